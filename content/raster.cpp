// The software rasteriser: edge functions over each triangle's bounding box, perspective-correct
// texture coordinates, flat lighting per face.
#include "content/raster.h"

#include <algorithm>
#include <cmath>

namespace content {

Raster::Raster(int width, int height, const View& view)
    : v_(view),
      image_(width, height, view.fog),
      depth_(static_cast<size_t>(width) * height, 1e30f) {}

bool Raster::project(Vec3 p, Screen& s) const {
  float dz = p.z - v_.eye.z;
  if (dz < 1.0f) return false;
  float w = static_cast<float>(image_.width()), h = static_cast<float>(image_.height());
  s.x = w / 2 - (p.x - v_.eye.x) / (dz * v_.tan_half_w) * w / 2;
  s.y = h / 2 - (p.y - v_.eye.y) / (dz * v_.tan_half_h) * h / 2;
  s.w = 1.0f / dz;
  s.depth = dz;
  return true;
}

void Raster::draw(const Mesh& mesh, const Xform& place, const Image* tex, Rgba tint,
                  bool additive) {
  const int W = image_.width(), H = image_.height();
  for (const Mesh::Tri& t : mesh.tris) {
    Vec3 p[3];
    Vec2 uv[3];
    Screen s[3] = {};
    bool ok = true;
    for (int k = 0; k < 3; ++k) {
      p[k] = place.point(mesh.verts[t.v[k]].p);
      uv[k] = mesh.verts[t.v[k]].uv;
      ok = ok && project(p[k], s[k]);
    }
    if (!ok) continue;
    Vec3 n = normalize(cross(p[1] - p[0], p[2] - p[0]));
    Vec3 centre = (p[0] + p[1] + p[2]) / 3.0f;
    // Back faces are culled, as the engine draws them.
    if (dot(n, v_.eye - centre) <= 0) continue;
    float lit = std::max(0.0f, dot(n, normalize(v_.light - centre))) * 0.8f;
    Rgba shade{v_.ambient.r + lit, v_.ambient.g + lit, v_.ambient.b + lit, 1};
    float area = (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[1].y - s[0].y) * (s[2].x - s[0].x);
    if (std::fabs(area) < 1e-8f) continue;
    int x0 = std::max(0, static_cast<int>(std::floor(std::min({s[0].x, s[1].x, s[2].x}))));
    int x1 = std::min(W - 1, static_cast<int>(std::ceil(std::max({s[0].x, s[1].x, s[2].x}))));
    int y0 = std::max(0, static_cast<int>(std::floor(std::min({s[0].y, s[1].y, s[2].y}))));
    int y1 = std::min(H - 1, static_cast<int>(std::ceil(std::max({s[0].y, s[1].y, s[2].y}))));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
        float b0 = ((s[1].x - px) * (s[2].y - py) - (s[1].y - py) * (s[2].x - px)) / area;
        float b1 = ((s[2].x - px) * (s[0].y - py) - (s[2].y - py) * (s[0].x - px)) / area;
        float b2 = 1 - b0 - b1;
        if (b0 < 0 || b1 < 0 || b2 < 0) continue;
        float w = b0 * s[0].w + b1 * s[1].w + b2 * s[2].w;
        float depth = 1.0f / w;
        size_t at = static_cast<size_t>(y) * W + x;
        if (!additive && depth >= depth_[at]) continue;
        if (additive && depth >= depth_[at]) continue;
        Rgba c = tint;
        if (tex) {
          float u = (b0 * uv[0].x * s[0].w + b1 * uv[1].x * s[1].w + b2 * uv[2].x * s[2].w) / w;
          float vv = (b0 * uv[0].y * s[0].w + b1 * uv[1].y * s[1].w + b2 * uv[2].y * s[2].w) / w;
          // Texture rows: v = 0 is the picture's bottom row.
          int tx = static_cast<int>(std::floor(u * static_cast<float>(tex->width())));
          int ty = static_cast<int>(std::floor((1 - vv) * static_cast<float>(tex->height())));
          Rgba texel = tex->wrapped(tx, ty);
          c = {c.r * texel.r, c.g * texel.g, c.b * texel.b, 1};
        }
        if (!additive) c = {c.r * shade.r, c.g * shade.g, c.b * shade.b, 1};
        float fog = std::clamp((depth - v_.fog_start) / (v_.fog_end - v_.fog_start), 0.0f, 1.0f);
        c = mix(c, v_.fog, fog);
        Rgba& d = image_.at(x, y);
        if (additive) {
          d.r += c.r * (1 - fog);
          d.g += c.g * (1 - fog);
          d.b += c.b * (1 - fog);
        } else {
          d = c;
          depth_[at] = depth;
        }
      }
  }
}

int Raster::covered() const {
  int n = 0;
  for (float d : depth_) n += d < 1e29f;
  return n;
}

}  // namespace content
