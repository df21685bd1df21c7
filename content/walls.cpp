// The wall builder. The outline comes from marching squares over the rock field; every vertex
// is displaced by a function of its position alone, so neighbouring facets meet without cracks,
// and the displacement stays small in the ship's plane where the walls decide collisions.
#include "content/walls.h"

#include <algorithm>
#include <cmath>

#include "content/noise.h"

namespace content {

float smin(float a, float b, float k) {
  float h = std::clamp(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
  return b + (a - b) * h - k * h * (1 - h);
}

float profile(const std::vector<Vec2>& keys, float x) {
  if (keys.empty()) return 0;
  if (x <= keys.front().x) return keys.front().y;
  if (x >= keys.back().x) return keys.back().y;
  for (size_t i = 1; i < keys.size(); ++i)
    if (x <= keys[i].x) {
      float t = (x - keys[i - 1].x) / std::max(keys[i].x - keys[i - 1].x, 1e-6f);
      t = t * t * (3 - 2 * t);  // eased, so the rock has no sharp kinks
      return keys[i - 1].y + (keys[i].y - keys[i - 1].y) * t;
    }
  return keys.back().y;
}

float sd_box2(float x, float y, float cx, float cy, float hx, float hy) {
  float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f);
}

float sd_capsule2(float x, float y, Vec2 a, Vec2 b, float r) {
  float px = x - a.x, py = y - a.y, dx = b.x - a.x, dy = b.y - a.y;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
  return std::hypot(px - dx * t, py - dy * t) - r;
}

namespace {

struct Builder {
  const WallSpec& s;
  Mesh m;
  int nx, ny;
  std::vector<float> grid;

  explicit Builder(const WallSpec& spec) : s(spec) {
    nx = static_cast<int>(std::lround((s.x1 - s.x0) / s.cell));
    ny = static_cast<int>(std::lround((s.y1 - s.y0) / s.cell));
    grid.resize(static_cast<size_t>(nx + 1) * (ny + 1));
    for (int j = 0; j <= ny; ++j)
      for (int i = 0; i <= nx; ++i) grid[idx(i, j)] = s.rock(px(i), py(j));
  }
  size_t idx(int i, int j) const { return static_cast<size_t>(j) * (nx + 1) + i; }
  float px(int i) const { return s.x0 + s.cell * static_cast<float>(i); }
  float py(int j) const { return s.y0 + s.cell * static_cast<float>(j); }
  float g(int i, int j) const { return grid[idx(i, j)]; }

  // The outline's crossing on the edge from corner (i, j) along x (dir 0) or y (dir 1); always
  // computed from the lower corner, so both cells sharing the edge get the very same point.
  Vec2 crossing(int i, int j, int dir) const {
    float a = g(i, j), b = dir == 0 ? g(i + 1, j) : g(i, j + 1);
    float t = std::clamp(a / (a - b), 0.0f, 1.0f);
    return dir == 0 ? Vec2{px(i) + s.cell * t, py(j)} : Vec2{px(i), py(j) + s.cell * t};
  }

  Vec2 gradient(Vec2 p) const {
    const float h = 2.0f;
    float gx = s.rock(p.x + h, p.y) - s.rock(p.x - h, p.y);
    float gy = s.rock(p.x, p.y + h) - s.rock(p.x, p.y - h);
    float l = std::hypot(gx, gy);
    return l > 0 ? Vec2{gx / l, gy / l} : Vec2{0, 0};
  }

  float amplitude(float z) const {
    float t = std::clamp((z - 190.0f) / 210.0f, 0.0f, 1.0f);
    return 2.0f + (s.relief - 2.0f) * t * t * (3 - 2 * t);
  }

  // Moves an outline point along the field's normal by relief noise.
  Vec3 displaced(Vec2 p, float z) const {
    Vec2 n = gradient(p);
    float d = amplitude(z) * fbm3(p.x / 37.0f, p.y / 37.0f, z / 53.0f, 3, s.seed);
    return {p.x + n.x * d, p.y + n.y * d, z};
  }

  Vec2 tile_uv(const UvRect& r, float u, float v) const { return r.at(u, v); }

  // One outline segment from a to b with open space on its right: a strip of quads in depth.
  void strip(Vec2 a, Vec2 b) {
    float dx = b.x - a.x, dy = b.y - a.y;
    bool along_x = std::fabs(dx) >= std::fabs(dy);
    float ua = (along_x ? a.x : a.y) / s.tile, ub = (along_x ? b.x : b.y) / s.tile;
    // Split where the texture repeats, so each quad maps inside one repeat.
    float lo = std::min(ua, ub), hi = std::max(ua, ub);
    float cut = std::floor(hi);
    if (cut > lo && cut < hi) {
      float t = (cut - ua) / (ub - ua);
      Vec2 c{a.x + dx * t, a.y + dy * t};
      strip(a, c);
      strip(c, b);
      return;
    }
    float base = std::floor((ua + ub) / 2);
    float u0 = ua - base, u1 = ub - base;
    const float rows[] = {130, 146, 162, 178, 194, 226, 258, 290, 322, 354, 386, 420};
    float z_span = s.z_back - s.z_front;
    std::vector<float> zs;
    for (float r : rows) zs.push_back(s.z_front + (r - 130.0f) / 290.0f * z_span);
    for (size_t k = 0; k + 1 < zs.size(); ++k) {
      float v0 = (zs[k] - s.z_front) / s.tile, v1 = (zs[k + 1] - s.z_front) / s.tile;
      float vb = std::floor((v0 + v1) / 2);
      uint32_t i0 = m.vertex(displaced(a, zs[k]), tile_uv(s.wall_uv, u0, v0 - vb));
      uint32_t i1 = m.vertex(displaced(b, zs[k]), tile_uv(s.wall_uv, u1, v0 - vb));
      uint32_t i2 = m.vertex(displaced(b, zs[k + 1]), tile_uv(s.wall_uv, u1, v1 - vb));
      uint32_t i3 = m.vertex(displaced(a, zs[k + 1]), tile_uv(s.wall_uv, u0, v1 - vb));
      m.quad(i0, i1, i2, i3);
    }
  }

  void segment(Vec2 a, Vec2 b) {
    if (std::hypot(b.x - a.x, b.y - a.y) < 1e-4f) return;
    // Open space must lie to the right of a -> b: (dy, -dx) points along the field's rise.
    Vec2 mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    Vec2 gr = gradient(mid);
    if ((b.y - a.y) * gr.x - (b.x - a.x) * gr.y < 0) std::swap(a, b);
    strip(a, b);
  }

  // A rock polygon of a cell at the front, facing the camera (-Z).
  void cap(const std::vector<Vec2>& poly, bool outline_points_displaced,
           const std::vector<bool>& on_outline) {
    if (poly.size() < 3) return;
    // Texture: the repeat that holds the cell's centre.
    float cx = 0, cy = 0;
    for (Vec2 p : poly) {
      cx += p.x;
      cy += p.y;
    }
    cx /= static_cast<float>(poly.size());
    cy /= static_cast<float>(poly.size());
    float bx = std::floor(cx / s.tile), by = std::floor(cy / s.tile);
    std::vector<uint32_t> ids;
    for (size_t k = 0; k < poly.size(); ++k) {
      Vec3 p = outline_points_displaced && on_outline[k] ? displaced(poly[k], s.z_front)
                                                         : Vec3{poly[k].x, poly[k].y, s.z_front};
      ids.push_back(m.vertex(p, tile_uv(s.cap_uv, std::clamp(poly[k].x / s.tile - bx, 0.0f, 1.0f),
                                        std::clamp(poly[k].y / s.tile - by, 0.0f, 1.0f))));
    }
    // Seen from the camera (looking along +Z, X to the left), counter-clockwise in the XY plane
    // means clockwise on screen, so the fan runs backwards.
    for (size_t k = 1; k + 1 < ids.size(); ++k) m.tri(ids[0], ids[k + 1], ids[k]);
  }

  void outline_and_caps() {
    for (int j = 0; j < ny; ++j) {
      int run_start = -1;
      auto flush_run = [&](int end) {
        if (run_start < 0) return;
        cap({{px(run_start), py(j)},
             {px(end), py(j)},
             {px(end), py(j + 1)},
             {px(run_start), py(j + 1)}},
            false, {});
        run_start = -1;
      };
      for (int i = 0; i < nx; ++i) {
        float c[4] = {g(i, j), g(i + 1, j), g(i + 1, j + 1), g(i, j + 1)};
        int mask = (c[0] < 0) | (c[1] < 0) << 1 | (c[2] < 0) << 2 | (c[3] < 0) << 3;
        bool full = mask == 15;
        // Full rock cells merge into runs within one texture repeat.
        if (full && run_start >= 0 &&
            std::floor(px(run_start) / s.tile) != std::floor(px(i) / s.tile))
          flush_run(i);
        if (full) {
          if (run_start < 0) run_start = i;
          continue;
        }
        flush_run(i);
        if (mask == 0) continue;
        cell(i, j, c, mask);
      }
      flush_run(nx);
    }
  }

  void cell(int i, int j, const float c[4], int mask) {
    Vec2 corner[4] = {
        {px(i), py(j)}, {px(i + 1), py(j)}, {px(i + 1), py(j + 1)}, {px(i), py(j + 1)}};
    Vec2 edge[4] = {crossing(i, j, 0), crossing(i + 1, j, 1), crossing(i, j + 1, 0),
                    crossing(i, j, 1)};
    bool saddle = mask == 5 || mask == 10;
    float centre = s.rock(px(i) + s.cell / 2, py(j) + s.cell / 2);
    if (saddle && centre >= 0) {
      // Two separate rock corners.
      for (int k = 0; k < 4; ++k) {
        if (!(mask >> k & 1)) continue;
        Vec2 before = edge[(k + 3) % 4], after = edge[k];
        segment(before, after);
        cap({corner[k], after, before}, true, {false, true, true});
      }
      return;
    }
    // Walk the square: rock corners and the crossings between rock and open corners.
    std::vector<Vec2> poly;
    std::vector<bool> on;
    std::vector<Vec2> cross;
    for (int k = 0; k < 4; ++k) {
      bool in = c[k] < 0, next_in = c[(k + 1) % 4] < 0;
      if (in) {
        poly.push_back(corner[k]);
        on.push_back(false);
      }
      if (in != next_in) {
        poly.push_back(edge[k]);
        on.push_back(true);
        cross.push_back(edge[k]);
      }
    }
    if (cross.size() == 2) {
      segment(cross[0], cross[1]);
    } else if (cross.size() == 4) {
      // A saddle joined through the rock centre: two outline pieces.
      segment(cross[0], cross[1]);
      segment(cross[2], cross[3]);
    }
    cap(poly, true, on);
  }

  void back_wall() {
    float t = s.tile;
    for (float y = s.y0; y < s.y1 - 1; y += t)
      for (float x = s.x0; x < s.x1 - 1; x += t) {
        float deepest = std::max({s.rock(x, y), s.rock(x + t, y), s.rock(x, y + t),
                                  s.rock(x + t, y + t), s.rock(x + t / 2, y + t / 2)});
        if (deepest < -t * 0.25f) continue;  // hidden behind the rock's front anyway
        if (s.sky_line && y >= std::max(s.sky_line(x), s.sky_line(x + t))) continue;
        // Two by two quads per repeat, bulging a little where far from the rock.
        const int n = 2;
        uint32_t id[n + 1][n + 1];
        for (int b = 0; b <= n; ++b)
          for (int a = 0; a <= n; ++a) {
            float qx = x + t * static_cast<float>(a) / n, qy = y + t * static_cast<float>(b) / n;
            // The ragged rim: the top row of the wall follows the sky line.
            if (s.sky_line) qy = std::max(y, std::min(qy, s.sky_line(qx)));
            float away = std::clamp(s.rock(qx, qy) / 60.0f, 0.0f, 1.0f);
            float z = s.z_back + away * s.relief * fbm2(qx / 45.0f, qy / 45.0f, 3, s.seed + 7);
            id[b][a] = m.vertex({qx, qy, z}, tile_uv(s.back_uv, static_cast<float>(a) / n,
                                                     static_cast<float>(b) / n));
          }
        for (int b = 0; b < n; ++b)
          for (int a = 0; a < n; ++a)
            m.tri(id[b][a], id[b + 1][a + 1], id[b][a + 1]),
                m.tri(id[b][a], id[b + 1][a], id[b + 1][a + 1]);
      }
  }
};

}  // namespace

Mesh build_walls(const WallSpec& spec) {
  Builder b(spec);
  b.outline_and_caps();
  b.back_wall();
  return std::move(b.m);
}

}  // namespace content
