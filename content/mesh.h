// The modelling helpers: a triangle mesh with texture coordinates, material indices and smoothing
// groups, affine transforms, and the primitive shapes (boxes, lathes, cylinders, extrusions,
// lofts along a path, noise-displaced rocks) from which every model is made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/file_3ds.h"
#include "content/vec.h"

namespace content {

// A rectangle of texture space; shapes spread their coordinates over it.
struct UvRect {
  float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  Vec2 at(float s, float t) const { return {u0 + (u1 - u0) * s, v0 + (v1 - v0) * t}; }
};

// Row-vector affine transform (point · M): p' = x·r0 + y·r1 + z·r2 + t.
struct Xform {
  Vec3 r0{1, 0, 0}, r1{0, 1, 0}, r2{0, 0, 1}, t{0, 0, 0};
  Vec3 point(Vec3 p) const { return r0 * p.x + r1 * p.y + r2 * p.z + t; }
  Vec3 vector(Vec3 v) const { return r0 * v.x + r1 * v.y + r2 * v.z; }
  // this, then b
  Xform then(const Xform& b) const;
  static Xform translate(Vec3 d);
  static Xform scale(Vec3 s);
  static Xform rotate_x(float deg);
  static Xform rotate_y(float deg);
  static Xform rotate_z(float deg);
};

struct Bounds {
  Vec3 min{0, 0, 0}, max{0, 0, 0};
  Vec3 size() const { return max - min; }
  Vec3 centre() const { return (min + max) * 0.5f; }
};

struct Mesh {
  struct Vertex {
    Vec3 p;
    Vec2 uv;
  };
  struct Tri {
    uint32_t v[3];
    uint32_t smooth = 0;  // smoothing group bits, 0 = flat
    uint16_t material = 0;
  };
  std::vector<Vertex> verts;
  std::vector<Tri> tris;
  std::vector<std::string> materials{"default"};

  uint32_t vertex(Vec3 p, Vec2 uv) {
    verts.push_back({p, uv});
    return static_cast<uint32_t>(verts.size() - 1);
  }
  // Counter-clockwise seen from the front.
  void tri(uint32_t a, uint32_t b, uint32_t c, uint32_t smooth = 0, uint16_t material = 0) {
    tris.push_back({{a, b, c}, smooth, material});
  }
  void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t smooth = 0,
            uint16_t material = 0) {
    tri(a, b, c, smooth, material);
    tri(a, c, d, smooth, material);
  }
  // A quad of four new vertices, counter-clockwise seen from the front.
  void quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, UvRect uv, uint32_t smooth = 0, uint16_t material = 0);
  uint16_t material(const std::string& name);

  void append(const Mesh& other);
  void transform(const Xform& x);
  void flip();  // turns every face round
  Bounds bounds() const;
  Vec3 face_normal(const Tri& t) const;
};

// ----- shapes: each adds to `m`, outward faces counter-clockwise

void box(Mesh& m, Vec3 lo, Vec3 hi, UvRect uv, uint32_t smooth = 0, uint16_t mat = 0);
// Revolves the profile (radius, height) pairs, bottom to top, around the Y axis.
void lathe(Mesh& m, const std::vector<Vec2>& profile, int segments, UvRect uv, uint32_t smooth = 1,
           uint16_t mat = 0);
void cylinder(Mesh& m, float radius, float y0, float y1, int segments, UvRect uv, uint16_t mat = 0);
void sphere(Mesh& m, Vec3 centre, Vec3 radii, int segments, int rings, UvRect uv, uint16_t mat = 0);
// Extrudes a counter-clockwise polygon in the XY plane from z0 to z1 (z1 > z0), with both caps.
void extrude(Mesh& m, const std::vector<Vec2>& polygon, float z0, float z1, UvRect uv,
             uint16_t mat = 0);
// Sweeps a closed cross-section (counter-clockwise in its local XY) along a path; `scales`
// (empty or one per path point) sizes the section at each point. Ends are capped.
void loft(Mesh& m, const std::vector<Vec3>& path, const std::vector<Vec2>& section,
          const std::vector<float>& scales, UvRect uv, uint32_t smooth = 1, uint16_t mat = 0);
// A noise-displaced sphere: a lumpy stone of the given radii.
void rock(Mesh& m, Vec3 centre, Vec3 radii, int detail, float roughness, uint32_t seed, UvRect uv,
          uint16_t mat = 0);

// Triangulates a simple counter-clockwise polygon (ear clipping); indices into `polygon`.
std::vector<uint32_t> triangulate(const std::vector<Vec2>& polygon);

// The 3DS objects of a mesh, split into pieces of at most 65535 vertices and faces, named
// `name`, `name`1, `name`2 ... when split.
std::vector<TdsObject> to_3ds(const Mesh& m, const std::string& name);

}  // namespace content
