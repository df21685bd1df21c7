// The software painter: a floating-point RGBA picture with fills, gradients, shapes drawn from
// signed distances (anti-aliased), per-pixel procedural fills and compositing.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace content {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};
inline Rgba rgb(float r, float g, float b, float a = 1) { return {r, g, b, a}; }
inline Rgba rgb8(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f, 1}; }
Rgba mix(Rgba a, Rgba b, float t);
Rgba scale(Rgba c, float s);  // colour times s, alpha kept

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgba fill = {0, 0, 0, 1});

  int width() const { return w_; }
  int height() const { return h_; }
  Rgba& at(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
  const Rgba& at(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
  // Clamped and wrapped reads.
  Rgba clamped(int x, int y) const;
  Rgba wrapped(int x, int y) const;
  Rgba sample(float x, float y) const;  // bilinear, clamped

  void fill(Rgba c);
  // Sets every pixel from a function of its centre (x + 0.5, y + 0.5).
  void generate(const std::function<Rgba(float x, float y)>& f);
  // Blends `c` over each pixel with coverage = clamp(0.5 - d(x, y), 0, 1) times c.a, where d is a
  // signed distance in pixels (negative inside).
  void draw_sdf(const std::function<float(float x, float y)>& d, Rgba c, int x0, int y0, int x1,
                int y1);
  void blend(int x, int y, Rgba c, float coverage);
  void add(int x, int y, Rgba c, float coverage);

  void fill_rect(float x0, float y0, float x1, float y1, Rgba c);
  void round_rect(float x0, float y0, float x1, float y1, float radius, Rgba c);
  void frame_rect(float x0, float y0, float x1, float y1, float radius, float width, Rgba c);
  void circle(float cx, float cy, float r, Rgba c);
  void ring(float cx, float cy, float r, float width, Rgba c);
  void line(float x0, float y0, float x1, float y1, float width, Rgba c);
  void polygon(const std::vector<std::pair<float, float>>& pts, Rgba c);
  void gradient_v(float y0, float y1, Rgba top, Rgba bottom);  // whole width
  // Alpha-composites `src` at (x, y).
  void paste(const Image& src, int x, int y);
  // Multiplies colour by (1 - amount) towards the edges (a soft frame).
  void vignette(float amount);

  // 8-bit RGBA, top row first.
  std::vector<uint8_t> rgba8() const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};

// Signed distances for the shape helpers, in pixels.
float sd_round_rect(float x, float y, float x0, float y0, float x1, float y1, float r);
float sd_segment(float x, float y, float x0, float y0, float x1, float y1);

}  // namespace content
