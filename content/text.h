// Text on pictures: the platform's font rasteriser gives the glyphs (Windows-1250, so Czech
// letters come whole), this lays them out and paints them.
#pragma once

#include <string>

#include "content/image.h"

namespace content {

enum class Align { left, centre, right };

struct TextStyle {
  int size = 16;  // em height in pixels
  bool bold = true;
  Rgba colour{1, 1, 1, 1};
  Rgba shadow{0, 0, 0, 0};  // alpha 0: none
  float shadow_offset = 2;
  Rgba outline{0, 0, 0, 0};  // alpha 0: none
  float spacing = 0;         // extra pixels between letters
};

// Width in pixels of UTF-8 `text` in the style.
float text_width(const std::string& text, const TextStyle& style);
// Paints UTF-8 `text` with its baseline at y.
void draw_text(Image& img, const std::string& text, float x, float baseline, const TextStyle& style,
               Align align = Align::left);

}  // namespace content
