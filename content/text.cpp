// Text layout over the platform's glyphs. Faces are rasterised once per size and kept.
#include "content/text.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/platform.h"

namespace content {
namespace {

const platform::FontFace& face(int size, bool bold) {
  static std::mutex guard;
  static std::map<std::pair<int, bool>, platform::FontFace> cache;
  std::lock_guard<std::mutex> lock(guard);
  auto key = std::make_pair(size, bold);
  auto it = cache.find(key);
  if (it == cache.end())
    it = cache.emplace(key, platform::rasterize_font("DejaVu Sans", size, bold)).first;
  return it->second;
}

void glyphs(Image& img, const std::string& bytes, const platform::FontFace& f, float x,
            float baseline, float spacing, Rgba colour, float grow) {
  float pen = x;
  for (unsigned char c : bytes) {
    const platform::Glyph& g = f.glyphs[c];
    int gx = static_cast<int>(std::lround(pen)) + g.left,
        gy = static_cast<int>(std::lround(baseline)) - g.top;
    for (int y = -static_cast<int>(grow); y < g.height + grow; ++y)
      for (int xx = -static_cast<int>(grow); xx < g.width + grow; ++xx) {
        float a = 0;
        int r = static_cast<int>(grow);
        for (int dy = -r; dy <= r; ++dy)
          for (int dx = -r; dx <= r; ++dx) {
            int sx = xx + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= g.width || sy >= g.height) continue;
            if (dx * dx + dy * dy > r * r + r) continue;
            a = std::max(a, g.alpha[static_cast<size_t>(sy) * g.width + sx] / 255.0f);
          }
        if (a > 0) img.blend(gx + xx, gy + y, colour, a);
      }
    pen += static_cast<float>(g.advance) + spacing;
  }
}

}  // namespace

float text_width(const std::string& text, const TextStyle& s) {
  const platform::FontFace& f = face(s.size, s.bold);
  std::string bytes = platform::utf8_to_cp1250(text);
  float w = 0;
  for (unsigned char c : bytes) w += static_cast<float>(f.glyphs[c].advance) + s.spacing;
  return bytes.empty() ? 0 : w - s.spacing;
}

void draw_text(Image& img, const std::string& text, float x, float baseline, const TextStyle& s,
               Align align) {
  const platform::FontFace& f = face(s.size, s.bold);
  std::string bytes = platform::utf8_to_cp1250(text);
  float w = text_width(text, s);
  if (align == Align::centre) x -= w / 2;
  if (align == Align::right) x -= w;
  if (s.shadow.a > 0)
    glyphs(img, bytes, f, x + s.shadow_offset, baseline + s.shadow_offset, s.spacing, s.shadow, 0);
  if (s.outline.a > 0) glyphs(img, bytes, f, x, baseline, s.spacing, s.outline, 2);
  glyphs(img, bytes, f, x, baseline, s.spacing, s.colour, 0);
}

}  // namespace content
