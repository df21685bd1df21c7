// The 3D Studio chunk writer. Every chunk is a 2-byte id and a 4-byte length that counts its
// own 6-byte header; lengths are patched in once the chunk's children are written.
#include "content/file_3ds.h"

#include <cmath>
#include <stdexcept>

namespace content {
namespace {

class ChunkWriter {
 public:
  explicit ChunkWriter(ByteWriter& w) : w_(w) {}
  size_t open(uint16_t id) {
    w_.u16le(id);
    size_t at = w_.size();
    w_.u32le(0);
    return at;
  }
  void close(size_t at) { w_.patch_u32le(at, static_cast<uint32_t>(w_.size() - at + 2)); }

 private:
  ByteWriter& w_;
};

uint8_t colour_byte(float c) {
  float v = std::round(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255.0f);
  return static_cast<uint8_t>(v);
}

void colour_chunk(ByteWriter& w, ChunkWriter& c, uint16_t id, Vec3 rgb) {
  size_t at = c.open(id);
  size_t col = c.open(0x0011);  // 24-bit colour
  w.u8(colour_byte(rgb.x));
  w.u8(colour_byte(rgb.y));
  w.u8(colour_byte(rgb.z));
  c.close(col);
  c.close(at);
}

void percent_chunk(ByteWriter& w, ChunkWriter& c, uint16_t id, float value) {
  size_t at = c.open(id);
  size_t pc = c.open(0x0030);  // integer percentage
  w.u16le(static_cast<uint32_t>(std::lround(std::fmin(std::fmax(value, 0.0f), 1.0f) * 100.0f)));
  c.close(pc);
  c.close(at);
}

void write_material(ByteWriter& w, ChunkWriter& c, const TdsMaterial& m) {
  size_t entry = c.open(0xAFFF);
  size_t name = c.open(0xA000);
  w.cstring(m.name);
  c.close(name);
  colour_chunk(w, c, 0xA010, m.ambient);
  colour_chunk(w, c, 0xA020, m.diffuse);
  colour_chunk(w, c, 0xA030, m.specular);
  percent_chunk(w, c, 0xA040, m.shininess);
  percent_chunk(w, c, 0xA041, m.shininess_strength);
  if (!m.texture.empty()) {
    size_t map = c.open(0xA200);
    size_t strength = c.open(0x0030);  // the map at full strength
    w.u16le(100);
    c.close(strength);
    size_t file = c.open(0xA300);
    w.cstring(m.texture);
    c.close(file);
    c.close(map);
  }
  c.close(entry);
}

void write_object(ByteWriter& w, ChunkWriter& c, const TdsObject& o) {
  if (o.vertices.size() > 65535 || o.faces.size() > 65535)
    throw std::length_error("3DS object \"" + o.name + "\" is too large");
  size_t named = c.open(0x4000);
  w.cstring(o.name);
  if (o.hidden) c.close(c.open(0x4010));
  size_t tri = c.open(0x4100);

  size_t points = c.open(0x4110);
  w.u16le(static_cast<uint32_t>(o.vertices.size()));
  for (const Vec3& v : o.vertices) {
    w.f32le(v.x);
    w.f32le(v.y);
    w.f32le(v.z);
  }
  c.close(points);

  if (!o.uvs.empty()) {
    size_t tex = c.open(0x4140);
    w.u16le(static_cast<uint32_t>(o.uvs.size()));
    for (const Vec2& t : o.uvs) {
      w.f32le(t.x);
      w.f32le(t.y);
    }
    c.close(tex);
  }

  // Identity local axes: the vertices are stored in the object's final place.
  size_t axes = c.open(0x4160);
  const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  for (float f : identity) w.f32le(f);
  c.close(axes);

  size_t faces = c.open(0x4120);
  w.u16le(static_cast<uint32_t>(o.faces.size()));
  for (const auto& f : o.faces) {
    w.u16le(f[0]);
    w.u16le(f[1]);
    w.u16le(f[2]);
    w.u16le(0x0007);  // all three edges visible
  }
  for (const auto& g : o.groups) {
    size_t group = c.open(0x4130);
    w.cstring(g.material);
    w.u16le(static_cast<uint32_t>(g.faces.size()));
    for (uint16_t f : g.faces) w.u16le(f);
    c.close(group);
  }
  if (!o.smoothing.empty()) {
    size_t smooth = c.open(0x4150);
    for (uint32_t mask : o.smoothing) w.u32le(mask);
    c.close(smooth);
  }
  c.close(faces);

  c.close(tri);
  c.close(named);
}

}  // namespace

Bytes write_3ds(const std::vector<TdsObject>& objects, const std::vector<TdsMaterial>& materials) {
  ByteWriter w;
  ChunkWriter c(w);
  size_t main = c.open(0x4D4D);
  size_t version = c.open(0x0002);
  w.u32le(3);
  c.close(version);

  size_t editor = c.open(0x3D3D);
  size_t mesh_version = c.open(0x3D3E);
  w.u32le(3);
  c.close(mesh_version);
  for (const TdsMaterial& m : materials) write_material(w, c, m);
  size_t scale = c.open(0x0100);
  w.f32le(1.0f);
  c.close(scale);
  for (const TdsObject& o : objects) write_object(w, c, o);
  c.close(editor);

  c.close(main);
  return std::move(w.bytes());
}

}  // namespace content
