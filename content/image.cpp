// The software painter. Shapes are drawn from signed distances so their edges come out smooth
// without a rasteriser of their own.
#include "content/image.h"

#include <algorithm>
#include <cmath>

namespace content {

Rgba mix(Rgba a, Rgba b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Rgba scale(Rgba c, float s) { return {c.r * s, c.g * s, c.b * s, c.a}; }

Image::Image(int width, int height, Rgba fill)
    : w_(width), h_(height), px_(static_cast<size_t>(width) * height, fill) {}

Rgba Image::clamped(int x, int y) const {
  return at(std::clamp(x, 0, w_ - 1), std::clamp(y, 0, h_ - 1));
}

Rgba Image::wrapped(int x, int y) const { return at(((x % w_) + w_) % w_, ((y % h_) + h_) % h_); }

Rgba Image::sample(float x, float y) const {
  x -= 0.5f;
  y -= 0.5f;
  float fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  Rgba a = mix(clamped(ix, iy), clamped(ix + 1, iy), tx);
  Rgba b = mix(clamped(ix, iy + 1), clamped(ix + 1, iy + 1), tx);
  return mix(a, b, ty);
}

void Image::fill(Rgba c) { std::fill(px_.begin(), px_.end(), c); }

void Image::generate(const std::function<Rgba(float, float)>& f) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x)
      at(x, y) = f(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
}

void Image::blend(int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  float a = std::clamp(coverage * c.a, 0.0f, 1.0f);
  if (a <= 0) return;
  Rgba& d = at(x, y);
  d.r += (c.r - d.r) * a;
  d.g += (c.g - d.g) * a;
  d.b += (c.b - d.b) * a;
  d.a = d.a + (1 - d.a) * a;
}

void Image::add(int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  Rgba& d = at(x, y);
  float a = coverage * c.a;
  d.r += c.r * a;
  d.g += c.g * a;
  d.b += c.b * a;
}

void Image::draw_sdf(const std::function<float(float, float)>& d, Rgba c, int x0, int y0, int x1,
                     int y1) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, w_);
  y1 = std::min(y1, h_);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float dist = d(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
      float cov = std::clamp(0.5f - dist, 0.0f, 1.0f);
      if (cov > 0) blend(x, y, c, cov);
    }
}

float sd_round_rect(float x, float y, float x0, float y0, float x1, float y1, float r) {
  float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  float hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
  float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

float sd_segment(float x, float y, float x0, float y0, float x1, float y1) {
  float px = x - x0, py = y - y0, dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
  float ex = px - dx * t, ey = py - dy * t;
  return std::sqrt(ex * ex + ey * ey);
}

namespace {
int lo(float v) { return static_cast<int>(std::floor(v)) - 2; }
int hi(float v) { return static_cast<int>(std::ceil(v)) + 2; }
}  // namespace

void Image::fill_rect(float x0, float y0, float x1, float y1, Rgba c) {
  round_rect(x0, y0, x1, y1, 0, c);
}

void Image::round_rect(float x0, float y0, float x1, float y1, float r, Rgba c) {
  draw_sdf([&](float x, float y) { return sd_round_rect(x, y, x0, y0, x1, y1, r); }, c, lo(x0),
           lo(y0), hi(x1), hi(y1));
}

void Image::frame_rect(float x0, float y0, float x1, float y1, float r, float width, Rgba c) {
  draw_sdf(
      [&](float x, float y) {
        return std::fabs(sd_round_rect(x, y, x0, y0, x1, y1, r) + width / 2) - width / 2;
      },
      c, lo(x0), lo(y0), hi(x1), hi(y1));
}

void Image::circle(float cx, float cy, float r, Rgba c) {
  draw_sdf([&](float x, float y) { return std::hypot(x - cx, y - cy) - r; }, c, lo(cx - r),
           lo(cy - r), hi(cx + r), hi(cy + r));
}

void Image::ring(float cx, float cy, float r, float width, Rgba c) {
  draw_sdf([&](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r) - width / 2; },
           c, lo(cx - r - width), lo(cy - r - width), hi(cx + r + width), hi(cy + r + width));
}

void Image::line(float x0, float y0, float x1, float y1, float width, Rgba c) {
  draw_sdf([&](float x, float y) { return sd_segment(x, y, x0, y0, x1, y1) - width / 2; }, c,
           lo(std::min(x0, x1) - width), lo(std::min(y0, y1) - width), hi(std::max(x0, x1) + width),
           hi(std::max(y0, y1) + width));
}

void Image::polygon(const std::vector<std::pair<float, float>>& pts, Rgba c) {
  if (pts.size() < 3) return;
  float x0 = pts[0].first, x1 = x0, y0 = pts[0].second, y1 = y0;
  for (auto [x, y] : pts) {
    x0 = std::min(x0, x);
    x1 = std::max(x1, x);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
  }
  draw_sdf(
      [&](float x, float y) {
        float d = 1e9f;
        bool inside = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
          auto [xi, yi] = pts[i];
          auto [xj, yj] = pts[j];
          d = std::min(d, sd_segment(x, y, xi, yi, xj, yj));
          if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside ? -d : d;
      },
      c, lo(x0), lo(y0), hi(x1), hi(y1));
}

void Image::gradient_v(float y0, float y1, Rgba top, Rgba bottom) {
  for (int y = 0; y < h_; ++y) {
    float t =
        std::clamp((static_cast<float>(y) + 0.5f - y0) / std::max(y1 - y0, 1e-6f), 0.0f, 1.0f);
    Rgba c = mix(top, bottom, t);
    for (int x = 0; x < w_; ++x) at(x, y) = c;
  }
}

void Image::paste(const Image& src, int x, int y) {
  for (int j = 0; j < src.height(); ++j)
    for (int i = 0; i < src.width(); ++i) blend(x + i, y + j, src.at(i, j), 1.0f);
}

void Image::vignette(float amount) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(w_) * 2 - 1;
      float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(h_) * 2 - 1;
      float k = 1 - amount * std::clamp((u * u + v * v) * 0.5f, 0.0f, 1.0f);
      Rgba& p = at(x, y);
      p.r *= k;
      p.g *= k;
      p.b *= k;
    }
}

std::vector<uint8_t> Image::rgba8() const {
  std::vector<uint8_t> out(px_.size() * 4);
  auto q = [](float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  for (size_t i = 0; i < px_.size(); ++i) {
    out[i * 4 + 0] = q(px_[i].r);
    out[i * 4 + 1] = q(px_[i].g);
    out[i * 4 + 2] = q(px_[i].b);
    out[i * 4 + 3] = q(px_[i].a);
  }
  return out;
}

}  // namespace content
