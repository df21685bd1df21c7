// The modelling helpers. Shapes face outward, counter-clockwise, because the engine's reader
// derives each face normal from the winding and the collision sweep ignores back faces.
#include "content/mesh.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "content/noise.h"

namespace content {

Xform Xform::then(const Xform& b) const {
  Xform r;
  r.r0 = b.vector(r0);
  r.r1 = b.vector(r1);
  r.r2 = b.vector(r2);
  r.t = b.point(t);
  return r;
}

Xform Xform::translate(Vec3 d) {
  Xform x;
  x.t = d;
  return x;
}

Xform Xform::scale(Vec3 s) {
  Xform x;
  x.r0 = {s.x, 0, 0};
  x.r1 = {0, s.y, 0};
  x.r2 = {0, 0, s.z};
  return x;
}

Xform Xform::rotate_x(float deg) {
  float c = std::cos(radians(deg)), s = std::sin(radians(deg));
  Xform x;
  x.r1 = {0, c, s};
  x.r2 = {0, -s, c};
  return x;
}

Xform Xform::rotate_y(float deg) {
  float c = std::cos(radians(deg)), s = std::sin(radians(deg));
  Xform x;
  x.r0 = {c, 0, -s};
  x.r2 = {s, 0, c};
  return x;
}

Xform Xform::rotate_z(float deg) {
  float c = std::cos(radians(deg)), s = std::sin(radians(deg));
  Xform x;
  x.r0 = {c, s, 0};
  x.r1 = {-s, c, 0};
  return x;
}

void Mesh::quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, UvRect uv, uint32_t smooth, uint16_t mat) {
  uint32_t ia = vertex(a, uv.at(0, 0)), ib = vertex(b, uv.at(1, 0)), ic = vertex(c, uv.at(1, 1)),
           id = vertex(d, uv.at(0, 1));
  quad(ia, ib, ic, id, smooth, mat);
}

uint16_t Mesh::material(const std::string& name) {
  for (size_t i = 0; i < materials.size(); ++i)
    if (materials[i] == name) return static_cast<uint16_t>(i);
  materials.push_back(name);
  return static_cast<uint16_t>(materials.size() - 1);
}

void Mesh::append(const Mesh& other) {
  uint32_t base = static_cast<uint32_t>(verts.size());
  verts.insert(verts.end(), other.verts.begin(), other.verts.end());
  std::vector<uint16_t> remap(other.materials.size());
  for (size_t i = 0; i < other.materials.size(); ++i) remap[i] = material(other.materials[i]);
  for (Tri t : other.tris) {
    for (uint32_t& v : t.v) v += base;
    t.material = remap[t.material];
    tris.push_back(t);
  }
}

void Mesh::transform(const Xform& x) {
  for (Vertex& v : verts) v.p = x.point(v.p);
  // A mirroring transform turns the faces inside out; turn them back.
  if (dot(cross(x.r0, x.r1), x.r2) < 0) flip();
}

void Mesh::flip() {
  for (Tri& t : tris) std::swap(t.v[1], t.v[2]);
}

Bounds Mesh::bounds() const {
  Bounds b;
  if (verts.empty()) return b;
  b.min = b.max = verts[0].p;
  for (const Vertex& v : verts) {
    b.min = {std::min(b.min.x, v.p.x), std::min(b.min.y, v.p.y), std::min(b.min.z, v.p.z)};
    b.max = {std::max(b.max.x, v.p.x), std::max(b.max.y, v.p.y), std::max(b.max.z, v.p.z)};
  }
  return b;
}

Vec3 Mesh::face_normal(const Tri& t) const {
  Vec3 a = verts[t.v[0]].p, b = verts[t.v[1]].p, c = verts[t.v[2]].p;
  return normalize(cross(b - a, c - a));
}

// ----- shapes

void box(Mesh& m, Vec3 lo, Vec3 hi, UvRect uv, uint32_t smooth, uint16_t mat) {
  Vec3 p[8];
  for (int i = 0; i < 8; ++i)
    p[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
  // Each face counter-clockwise seen from outside.
  m.quad(p[0], p[2], p[3], p[1], uv, smooth, mat);  // -Z
  m.quad(p[4], p[5], p[7], p[6], uv, smooth, mat);  // +Z
  m.quad(p[0], p[4], p[6], p[2], uv, smooth, mat);  // -X
  m.quad(p[1], p[3], p[7], p[5], uv, smooth, mat);  // +X
  m.quad(p[0], p[1], p[5], p[4], uv, smooth, mat);  // -Y
  m.quad(p[2], p[6], p[7], p[3], uv, smooth, mat);  // +Y
}

void lathe(Mesh& m, const std::vector<Vec2>& profile, int segments, UvRect uv, uint32_t smooth,
           uint16_t mat) {
  if (profile.size() < 2 || segments < 3) return;
  std::vector<float> along(profile.size(), 0);
  for (size_t i = 1; i < profile.size(); ++i)
    along[i] = along[i - 1] + length(profile[i] - profile[i - 1]);
  float total = along.back() > 0 ? along.back() : 1;
  uint32_t base = static_cast<uint32_t>(m.verts.size());
  int ring = segments + 1;
  for (size_t i = 0; i < profile.size(); ++i)
    for (int j = 0; j <= segments; ++j) {
      float a = 2 * kPi * static_cast<float>(j) / static_cast<float>(segments);
      Vec3 p{profile[i].x * std::cos(a), profile[i].y, -profile[i].x * std::sin(a)};
      m.vertex(p, uv.at(static_cast<float>(j) / static_cast<float>(segments), along[i] / total));
    }
  for (size_t i = 0; i + 1 < profile.size(); ++i)
    for (int j = 0; j < segments; ++j) {
      uint32_t a = base + static_cast<uint32_t>(i * ring + j), b = a + 1;
      uint32_t d = a + static_cast<uint32_t>(ring), c = d + 1;
      bool bottom_point = profile[i].x == 0, top_point = profile[i + 1].x == 0;
      if (bottom_point && top_point) continue;
      if (bottom_point)
        m.tri(a, c, d, smooth, mat);
      else if (top_point)
        m.tri(a, b, c, smooth, mat);
      else
        m.quad(a, b, c, d, smooth, mat);
    }
}

void cylinder(Mesh& m, float radius, float y0, float y1, int segments, UvRect uv, uint16_t mat) {
  Mesh side;
  side.materials = m.materials;
  lathe(side, {{radius, y0}, {radius, y1}}, segments, uv, 1, mat);
  lathe(side, {{0, y0}, {radius, y0}}, segments, uv, 0, mat);
  lathe(side, {{radius, y1}, {0, y1}}, segments, uv, 0, mat);
  m.append(side);
}

void sphere(Mesh& m, Vec3 centre, Vec3 radii, int segments, int rings, UvRect uv, uint16_t mat) {
  std::vector<Vec2> profile;
  for (int i = 0; i <= rings; ++i) {
    float a = kPi * static_cast<float>(i) / static_cast<float>(rings) - kPi / 2;
    profile.push_back({i == 0 || i == rings ? 0.0f : std::cos(a), std::sin(a)});
  }
  Mesh s;
  s.materials = m.materials;
  lathe(s, profile, segments, uv, 1, mat);
  s.transform(Xform::scale(radii).then(Xform::translate(centre)));
  m.append(s);
}

std::vector<uint32_t> triangulate(const std::vector<Vec2>& poly) {
  std::vector<uint32_t> out, idx(poly.size());
  for (size_t i = 0; i < poly.size(); ++i) idx[i] = static_cast<uint32_t>(i);
  auto cross2 = [](Vec2 a, Vec2 b, Vec2 c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  };
  auto inside = [&](Vec2 p, Vec2 a, Vec2 b, Vec2 c) {
    return cross2(a, b, p) > 0 && cross2(b, c, p) > 0 && cross2(c, a, p) > 0;
  };
  while (idx.size() > 3) {
    bool clipped = false;
    for (size_t i = 0; i < idx.size(); ++i) {
      uint32_t ia = idx[(i + idx.size() - 1) % idx.size()], ib = idx[i],
               ic = idx[(i + 1) % idx.size()];
      Vec2 a = poly[ia], b = poly[ib], c = poly[ic];
      if (cross2(a, b, c) <= 0) continue;
      bool ear = true;
      for (uint32_t j : idx)
        if (j != ia && j != ib && j != ic && inside(poly[j], a, b, c)) {
          ear = false;
          break;
        }
      if (!ear) continue;
      out.insert(out.end(), {ia, ib, ic});
      idx.erase(idx.begin() + static_cast<std::ptrdiff_t>(i));
      clipped = true;
      break;
    }
    if (!clipped) break;  // degenerate polygon: give up on the rest rather than loop
  }
  if (idx.size() == 3) out.insert(out.end(), {idx[0], idx[1], idx[2]});
  return out;
}

void extrude(Mesh& m, const std::vector<Vec2>& poly, float z0, float z1, UvRect uv, uint16_t mat) {
  size_t n = poly.size();
  if (n < 3) return;
  float perimeter = 0;
  for (size_t i = 0; i < n; ++i) perimeter += length(poly[(i + 1) % n] - poly[i]);
  float s = 0;
  for (size_t i = 0; i < n; ++i) {
    Vec2 a = poly[i], b = poly[(i + 1) % n];
    float s1 = s + length(b - a);
    UvRect r{uv.at(s / perimeter, 0).x, uv.v0, uv.at(s1 / perimeter, 0).x, uv.v1};
    m.quad({a.x, a.y, z0}, {b.x, b.y, z0}, {b.x, b.y, z1}, {a.x, a.y, z1}, r, 0, mat);
    s = s1;
  }
  float minx = poly[0].x, maxx = minx, miny = poly[0].y, maxy = miny;
  for (Vec2 p : poly) {
    minx = std::min(minx, p.x);
    maxx = std::max(maxx, p.x);
    miny = std::min(miny, p.y);
    maxy = std::max(maxy, p.y);
  }
  auto cap_uv = [&](Vec2 p) {
    return uv.at((p.x - minx) / std::max(maxx - minx, 1e-6f),
                 (p.y - miny) / std::max(maxy - miny, 1e-6f));
  };
  std::vector<uint32_t> tris = triangulate(poly);
  uint32_t top = static_cast<uint32_t>(m.verts.size());
  for (Vec2 p : poly) m.vertex({p.x, p.y, z1}, cap_uv(p));
  uint32_t bottom = static_cast<uint32_t>(m.verts.size());
  for (Vec2 p : poly) m.vertex({p.x, p.y, z0}, cap_uv(p));
  for (size_t i = 0; i + 2 < tris.size(); i += 3) {
    m.tri(top + tris[i], top + tris[i + 1], top + tris[i + 2], 0, mat);
    m.tri(bottom + tris[i], bottom + tris[i + 2], bottom + tris[i + 1], 0, mat);
  }
}

void loft(Mesh& m, const std::vector<Vec3>& path, const std::vector<Vec2>& section,
          const std::vector<float>& scales, UvRect uv, uint32_t smooth, uint16_t mat) {
  size_t n = path.size(), k = section.size();
  if (n < 2 || k < 3) return;
  // Tangents, then frames carried along the path without twisting.
  std::vector<Vec3> tangent(n), normal(n), binormal(n);
  for (size_t i = 0; i < n; ++i) {
    Vec3 d = path[std::min(i + 1, n - 1)] - path[i > 0 ? i - 1 : 0];
    tangent[i] = normalize(d);
  }
  Vec3 seed = std::fabs(tangent[0].y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  normal[0] = normalize(cross(cross(tangent[0], seed), tangent[0]));
  for (size_t i = 1; i < n; ++i) {
    Vec3 nrm = normal[i - 1] - tangent[i] * dot(normal[i - 1], tangent[i]);
    normal[i] = length(nrm) > 1e-6f ? normalize(nrm) : normal[i - 1];
  }
  for (size_t i = 0; i < n; ++i) binormal[i] = cross(tangent[i], normal[i]);

  std::vector<float> along(n, 0);
  for (size_t i = 1; i < n; ++i) along[i] = along[i - 1] + length(path[i] - path[i - 1]);
  float total = along.back() > 0 ? along.back() : 1;
  uint32_t base = static_cast<uint32_t>(m.verts.size());
  auto place = [&](size_t i, Vec2 s) {
    float sc = scales.empty() ? 1.0f : scales[i];
    return path[i] + normal[i] * (s.x * sc) + binormal[i] * (s.y * sc);
  };
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j <= k; ++j)
      m.vertex(place(i, section[j % k]),
               uv.at(static_cast<float>(j) / static_cast<float>(k), along[i] / total));
  uint32_t ring = static_cast<uint32_t>(k + 1);
  for (size_t i = 0; i + 1 < n; ++i)
    for (size_t j = 0; j < k; ++j) {
      uint32_t a = base + static_cast<uint32_t>(i) * ring + static_cast<uint32_t>(j);
      m.quad(a, a + 1, a + 1 + ring, a + ring, smooth, mat);
    }
  // Caps.
  std::vector<uint32_t> tris = triangulate(section);
  float minx = section[0].x, maxx = minx, miny = section[0].y, maxy = miny;
  for (Vec2 p : section) {
    minx = std::min(minx, p.x);
    maxx = std::max(maxx, p.x);
    miny = std::min(miny, p.y);
    maxy = std::max(maxy, p.y);
  }
  for (int end = 0; end < 2; ++end) {
    size_t i = end ? n - 1 : 0;
    if (!scales.empty() && scales[i] <= 0) continue;
    uint32_t first = static_cast<uint32_t>(m.verts.size());
    for (Vec2 s : section)
      m.vertex(place(i, s), uv.at((s.x - minx) / std::max(maxx - minx, 1e-6f),
                                  (s.y - miny) / std::max(maxy - miny, 1e-6f)));
    for (size_t t = 0; t + 2 < tris.size(); t += 3) {
      if (end)
        m.tri(first + tris[t], first + tris[t + 1], first + tris[t + 2], 0, mat);
      else
        m.tri(first + tris[t], first + tris[t + 2], first + tris[t + 1], 0, mat);
    }
  }
}

void rock(Mesh& m, Vec3 centre, Vec3 radii, int detail, float roughness, uint32_t seed, UvRect uv,
          uint16_t mat) {
  // An icosahedron, subdivided, its vertices pushed out by noise.
  const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
  std::vector<Vec3> pts = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                           {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                           {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  for (Vec3& p : pts) p = normalize(p);
  std::vector<std::array<uint32_t, 3>> faces = {
      {0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
      {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
      {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
  for (int d = 0; d < detail; ++d) {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> mid;
    auto midpoint = [&](uint32_t a, uint32_t b) {
      auto key = std::minmax(a, b);
      auto it = mid.find(key);
      if (it != mid.end()) return it->second;
      pts.push_back(normalize(pts[a] + pts[b]));
      uint32_t id = static_cast<uint32_t>(pts.size() - 1);
      mid[key] = id;
      return id;
    };
    std::vector<std::array<uint32_t, 3>> next;
    for (auto f : faces) {
      uint32_t a = midpoint(f[0], f[1]), b = midpoint(f[1], f[2]), c = midpoint(f[2], f[0]);
      next.push_back({f[0], a, c});
      next.push_back({f[1], b, a});
      next.push_back({f[2], c, b});
      next.push_back({a, b, c});
    }
    faces.swap(next);
  }
  uint32_t base = static_cast<uint32_t>(m.verts.size());
  for (Vec3 p : pts) {
    float bump = 1.0f + roughness * fbm3(p.x * 1.7f, p.y * 1.7f, p.z * 1.7f, 4, seed);
    Vec3 q = centre + mul(p * bump, radii);
    m.vertex(q, uv.at(0.5f + 0.5f * (p.x + 0.35f * p.z) / 1.35f,
                      0.5f + 0.5f * (p.y + 0.35f * p.z) / 1.35f));
  }
  for (auto f : faces) m.tri(base + f[0], base + f[1], base + f[2], 1, mat);
}

// ----- 3DS objects

std::vector<TdsObject> to_3ds(const Mesh& m, const std::string& name) {
  std::vector<TdsObject> out;
  std::vector<int32_t> local(m.verts.size(), -1);
  std::vector<uint32_t> touched;
  std::vector<std::vector<uint16_t>> by_material(m.materials.size());
  TdsObject cur;
  auto finish = [&]() {
    if (cur.faces.empty()) return;
    for (size_t i = 0; i < by_material.size(); ++i)
      if (!by_material[i].empty()) {
        cur.groups.push_back({m.materials[i], by_material[i]});
        by_material[i].clear();
      }
    if (std::all_of(cur.smoothing.begin(), cur.smoothing.end(), [](uint32_t s) { return !s; }))
      cur.smoothing.clear();
    cur.name = out.empty() ? name : name + std::to_string(out.size());
    out.push_back(std::move(cur));
    cur = TdsObject{};
    for (uint32_t v : touched) local[v] = -1;
    touched.clear();
  };
  for (const Mesh::Tri& t : m.tris) {
    int fresh = 0;
    for (uint32_t v : t.v) fresh += local[v] < 0;
    if (cur.vertices.size() + static_cast<size_t>(fresh) > 65535 || cur.faces.size() >= 65535)
      finish();
    std::array<uint16_t, 3> f{};
    for (int i = 0; i < 3; ++i) {
      uint32_t v = t.v[i];
      if (local[v] < 0) {
        local[v] = static_cast<int32_t>(cur.vertices.size());
        touched.push_back(v);
        cur.vertices.push_back(m.verts[v].p);
        cur.uvs.push_back(m.verts[v].uv);
      }
      f[i] = static_cast<uint16_t>(local[v]);
    }
    by_material[t.material].push_back(static_cast<uint16_t>(cur.faces.size()));
    cur.faces.push_back(f);
    cur.smoothing.push_back(t.smooth);
  }
  finish();
  return out;
}

}  // namespace content
