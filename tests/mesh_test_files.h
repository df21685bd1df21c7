// Small writers of the mesh files the readers take (3DS chunks, SMD text, bitmaps), for the
// reader tests, the benchmarks and the fuzzers' seeds; and a tunnel-like test mesh.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/mesh_math.h"

namespace mesh_test {

// Chunks open and close like brackets; the length is patched in when the chunk closes.
class ChunkWriter {
 public:
  void begin(uint16_t id) {
    u16(id);
    open_.push_back(out.size());
    u32(0);
  }
  void end() {
    size_t at = open_.back();
    open_.pop_back();
    uint32_t length = static_cast<uint32_t>(out.size() - at + 2);
    std::memcpy(&out[at], &length, 4);
  }
  void u8(uint8_t v) { out.push_back(v); }
  void u16(uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void f32(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    u32(b);
  }
  void zstring(const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
  }
  std::vector<uint8_t> out;

 private:
  std::vector<size_t> open_;
};

struct Face {
  uint16_t a, b, c;
};

struct Object3DS {
  std::string name = "obj";
  std::vector<TAffineVector> vertices;
  std::vector<std::pair<float, float>> texcoords;
  std::vector<Face> faces;
  std::vector<std::pair<std::string, std::vector<uint16_t>>> groups;
  std::vector<uint32_t> smoothing;  // empty: no smoothing chunk
  bool hidden = false;
};

struct Material3DS {
  std::string name;
  TAffineVector ambient, diffuse, specular;
  int16_t shininess_percent = 0, strength_percent = 0;
  std::string texture;
};

inline void write_color(ChunkWriter& w, uint16_t id, TAffineVector c) {
  w.begin(id);
  w.begin(0x0010);
  w.f32(c.X);
  w.f32(c.Y);
  w.f32(c.Z);
  w.end();
  w.end();
}

inline void write_percent(ChunkWriter& w, uint16_t id, int16_t p) {
  w.begin(id);
  w.begin(0x0030);
  w.u16(static_cast<uint16_t>(p));
  w.end();
  w.end();
}

// A face chunk (0x4120) with its material groups and smoothing masks (none when empty).
inline void write_faces(ChunkWriter& w, const std::vector<Face>& faces,
                        const std::vector<std::pair<std::string, std::vector<uint16_t>>>& groups,
                        const std::vector<uint32_t>& smoothing) {
  w.begin(0x4120);
  w.u16(static_cast<uint16_t>(faces.size()));
  for (auto f : faces) {
    w.u16(f.a);
    w.u16(f.b);
    w.u16(f.c);
    w.u16(7);
  }
  for (const auto& g : groups) {
    w.begin(0x4130);
    w.zstring(g.first);
    w.u16(static_cast<uint16_t>(g.second.size()));
    for (uint16_t f : g.second) w.u16(f);
    w.end();
  }
  if (!smoothing.empty()) {
    w.begin(0x4150);
    for (uint32_t s : smoothing) w.u32(s);
    w.end();
  }
  w.end();
}

// A vertex chunk (0x4110).
inline void write_vertices(ChunkWriter& w, const std::vector<TAffineVector>& vertices) {
  w.begin(0x4110);
  w.u16(static_cast<uint16_t>(vertices.size()));
  for (auto v : vertices) {
    w.f32(v.X);
    w.f32(v.Y);
    w.f32(v.Z);
  }
  w.end();
}

// The main chunk and its editor around whatever `editor` writes: for files the object writer
// above cannot make (repeated chunks, lights, cameras, broken lengths).
template <class Editor>
std::vector<uint8_t> make_3ds_around(Editor editor) {
  ChunkWriter w;
  w.begin(0x4D4D);
  w.begin(0x3D3D);
  editor(w);
  w.end();
  w.end();
  return w.out;
}

inline void write_object(ChunkWriter& w, const Object3DS& o) {
  w.begin(0x4000);
  w.zstring(o.name);
  if (o.hidden) {
    w.begin(0x4010);
    w.end();
  }
  w.begin(0x4100);
  write_vertices(w, o.vertices);
  if (!o.texcoords.empty()) {
    w.begin(0x4140);
    w.u16(static_cast<uint16_t>(o.texcoords.size()));
    for (auto t : o.texcoords) {
      w.f32(t.first);
      w.f32(t.second);
    }
    w.end();
  }
  w.begin(0x4160);
  for (int i = 0; i < 12; ++i) w.f32(i % 4 == 0 ? 1.0f : 0.0f);
  w.end();
  write_faces(w, o.faces, o.groups, o.smoothing);
  w.end();  // trimesh
  w.end();  // object
}

inline std::vector<uint8_t> make_3ds(const std::vector<Object3DS>& objects,
                                     const std::vector<Material3DS>& materials = {}) {
  ChunkWriter w;
  w.begin(0x4D4D);
  w.begin(0x0002);
  w.u32(3);
  w.end();
  w.begin(0x3D3D);
  w.begin(0x3D3E);
  w.u32(3);
  w.end();
  for (const auto& m : materials) {
    w.begin(0xAFFF);
    w.begin(0xA000);
    w.zstring(m.name);
    w.end();
    write_color(w, 0xA010, m.ambient);
    write_color(w, 0xA020, m.diffuse);
    write_color(w, 0xA030, m.specular);
    write_percent(w, 0xA040, m.shininess_percent);
    write_percent(w, 0xA041, m.strength_percent);
    if (!m.texture.empty()) {
      w.begin(0xA200);
      w.begin(0x0030);
      w.u16(100);
      w.end();
      w.begin(0xA300);
      w.zstring(m.texture);
      w.end();
      w.end();
    }
    w.end();
  }
  for (const auto& o : objects) write_object(w, o);
  w.end();
  w.begin(0xB000);
  w.begin(0xB00A);
  w.u16(5);
  w.zstring("");
  w.u32(100);
  w.end();
  w.end();
  w.end();
  return w.out;
}

// A quad of two triangles sharing the edge 0–2, in the z = 0 plane facing +z.
inline Object3DS quad_object(const std::string& name = "quad") {
  Object3DS o;
  o.name = name;
  o.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  o.texcoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  o.faces = {{0, 1, 2}, {0, 2, 3}};
  return o;
}

// SMD text: one bone per entry of `bones` (name, parent), frames of (position, rotation) per
// bone, and triangles of (material, three (bone, position, normal, u, v)).
struct SMDVertex {
  int bone;
  TAffineVector p, n;
  float u, v;
};
struct SMDTriangle {
  std::string material;
  SMDVertex v[3];
};

inline std::string fmt(float f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6f", f);
  return buf;
}

inline std::string make_smd(
    const std::vector<std::pair<std::string, int>>& bones,
    const std::vector<std::vector<std::pair<TAffineVector, TAffineVector>>>& frames,
    const std::vector<SMDTriangle>& triangles, bool with_triangles) {
  std::string s = "version 1\nnodes\n";
  for (size_t i = 0; i < bones.size(); ++i)
    s +=
        std::to_string(i) + " \"" + bones[i].first + "\" " + std::to_string(bones[i].second) + "\n";
  s += "end\nskeleton\n";
  for (size_t f = 0; f < frames.size(); ++f) {
    s += "time " + std::to_string(f) + "\n";
    for (size_t b = 0; b < frames[f].size(); ++b) {
      auto [p, r] = frames[f][b];
      s += std::to_string(b) + " " + fmt(p.X) + " " + fmt(p.Y) + " " + fmt(p.Z) + " " + fmt(r.X) +
           " " + fmt(r.Y) + " " + fmt(r.Z) + "\n";
    }
  }
  s += "end\n";
  if (with_triangles) {
    s += "triangles\n";
    for (const auto& t : triangles) {
      s += t.material + "\n";
      for (const auto& v : t.v)
        s += std::to_string(v.bone) + " " + fmt(v.p.X) + " " + fmt(v.p.Y) + " " + fmt(v.p.Z) + " " +
             fmt(v.n.X) + " " + fmt(v.n.Y) + " " + fmt(v.n.Z) + " " + fmt(v.u) + " " + fmt(v.v) +
             "\n";
    }
    s += "end\n";
  }
  return s;
}

// An uncompressed 24-bit Windows bitmap; `pixel(x, y)` gives RGB for the row y from the top.
template <class Pixel>
std::vector<uint8_t> make_bmp24(int w, int h, Pixel pixel) {
  int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> out;
  auto u16 = [&](uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  out.push_back('B');
  out.push_back('M');
  u32(54 + stride * h);
  u32(0);
  u32(54);
  u32(40);
  u32(w);
  u32(h);
  u16(1);
  u16(24);
  u32(0);
  u32(stride * h);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      uint32_t rgb = pixel(x, y);
      out.push_back(static_cast<uint8_t>(rgb));        // blue
      out.push_back(static_cast<uint8_t>(rgb >> 8));   // green
      out.push_back(static_cast<uint8_t>(rgb >> 16));  // red
    }
    for (int p = w * 3; p < stride; ++p) out.push_back(0);
  }
  return out;
}

// A tunnel along X: a ring of `sides` wall strips, `segments` long, facing inwards, with
// a little unevenness so the walls are not one plane. 2 · sides · segments triangles.
inline Object3DS tunnel_object(int sides, int segments, float radius, float length) {
  Object3DS o;
  o.name = "tunnel";
  const float pi = 3.14159265f;
  for (int s = 0; s <= segments; ++s) {
    float x = length * s / segments;
    for (int k = 0; k < sides; ++k) {
      float a = 2 * pi * k / sides;
      float r = radius * (1 + 0.05f * std::sin(0.37f * s + 1.3f * k));
      o.vertices.push_back({x, r * std::cos(a), r * std::sin(a)});
    }
  }
  for (int s = 0; s < segments; ++s)
    for (int k = 0; k < sides; ++k) {
      uint16_t i0 = static_cast<uint16_t>(s * sides + k);
      uint16_t i1 = static_cast<uint16_t>(s * sides + (k + 1) % sides);
      uint16_t j0 = static_cast<uint16_t>(i0 + sides), j1 = static_cast<uint16_t>(i1 + sides);
      o.faces.push_back({i0, j0, i1});
      o.faces.push_back({i1, j0, j1});
    }
  return o;
}

}  // namespace mesh_test
