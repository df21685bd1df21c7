// Bitmap font ranges, the text layout, the custom font's glyph grid, and the glyph picture of
// a system font built cell by cell from the rasterised face.
#include "engine/bitmap_font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/error.h"

namespace {

constexpr char kTooLarge[] = "Characters are too large or too many. Unable to create font texture.";
constexpr int kTextureSizes[] = {64, 128, 256, 512};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Ranges

void TBitmapFontRange::SetStartASCII(uint8_t v) {
  if (v == start_) return;
  start_ = v;
  if (stop_ < start_) stop_ = start_;
  font_->GlyphsChanged();
}

void TBitmapFontRange::SetStopASCII(uint8_t v) {
  if (v == stop_) return;
  stop_ = v;
  if (start_ > stop_) start_ = stop_;
  font_->GlyphsChanged();
}

void TBitmapFontRange::SetStartGlyphIdx(int32_t v) {
  if (v < 0) v = 0;
  if (v == start_glyph_) return;
  start_glyph_ = v;
  font_->GlyphsChanged();
}

TBitmapFontRange& TBitmapFontRanges::Add(uint8_t startASCII, uint8_t stopASCII) {
  int32_t glyph = 0;
  for (const auto& before : items_) glyph += before->stop_ - before->start_ + 1;
  auto& range = *items_.emplace_back(std::make_unique<TBitmapFontRange>(font_));
  range.start_ = startASCII;
  range.stop_ = std::max(startASCII, stopASCII);
  range.start_glyph_ = glyph;
  font_->GlyphsChanged();
  return range;
}

void TBitmapFontRanges::Delete(int32_t index) {
  items_.erase(items_.begin() + index);
  font_->GlyphsChanged();
}

void TBitmapFontRanges::Clear() {
  if (items_.empty()) return;
  items_.clear();
  font_->GlyphsChanged();
}

int32_t TBitmapFontRanges::GlyphIndex(uint8_t code) const {
  for (const auto& r : items_)
    if (code >= r->start_ && code <= r->stop_) return r->start_glyph_ + (code - r->start_);
  return -1;
}

// ---------------------------------------------------------------------------------------------
// TGLCustomBitmapFont

TGLCustomBitmapFont::TGLCustomBitmapFont(TComponent* owner)
    : TGLUpdateAbleComponent(owner), ranges_(this) {}

TGLCustomBitmapFont::~TGLCustomBitmapFont() = default;

void TGLCustomBitmapFont::SetGlyphs(const platform::Picture& picture) {
  glyphs_ = picture;
  GlyphsChanged();
}

void TGLCustomBitmapFont::set_glyph_picture(platform::Picture picture) {
  glyphs_ = std::move(picture);
  ++glyphs_revision_;
}

void TGLCustomBitmapFont::SetCharWidth(int32_t v) {
  if (v < 1) v = 1;
  if (v == char_width_) return;
  char_width_ = v;
  GlyphsChanged();
}

void TGLCustomBitmapFont::SetCharHeight(int32_t v) {
  if (v < 1) v = 1;
  if (v == char_height_) return;
  char_height_ = v;
  GlyphsChanged();
}

void TGLCustomBitmapFont::SetHSpace(int32_t v) {
  if (v < 0) v = 0;
  if (v == h_space_) return;
  h_space_ = v;
  GlyphsChanged();
}

void TGLCustomBitmapFont::SetVSpace(int32_t v) {
  if (v < 0) v = 0;
  if (v == v_space_) return;
  v_space_ = v;
  GlyphsChanged();
}

void TGLCustomBitmapFont::SetMagFilter(TGLMagFilter v) {
  if (v == mag_filter_) return;
  mag_filter_ = v;
  ++glyphs_revision_;
}

void TGLCustomBitmapFont::SetMinFilter(TGLMinFilter v) {
  if (v == min_filter_) return;
  min_filter_ = v;
  ++glyphs_revision_;
}

void TGLCustomBitmapFont::SetGlyphsAlpha(TGLTextureImageAlpha v) {
  if (v == glyphs_alpha_) return;
  glyphs_alpha_ = v;
  ++glyphs_revision_;
}

void TGLCustomBitmapFont::GlyphsChanged() {
  if (Loading()) return;
  place_glyphs();
  ++glyphs_revision_;
}

void TGLCustomBitmapFont::Loaded() { GlyphsChanged(); }

void TGLCustomBitmapFont::place_glyphs() {
  widths_.fill(0);
  rects_.fill(TGLGlyphRect{});
  int cell_w = char_width_ + h_space_;
  int cell_h = char_height_ + v_space_;
  float pw = static_cast<float>(std::max(1, glyphs_.width));
  float ph = static_cast<float>(std::max(1, glyphs_.height));
  int columns = std::max(1, glyphs_.width / std::max(1, cell_w));
  for (int code = 0; code < 256; ++code) {
    int32_t glyph = ranges_.GlyphIndex(static_cast<uint8_t>(code));
    if (glyph < 0) continue;
    widths_[code] = char_width_;
    float x = static_cast<float>((glyph % columns) * cell_w);
    float y = static_cast<float>((glyph / columns) * cell_h);
    rects_[code] = {x / pw, y / ph, (x + char_width_) / pw, (y + char_height_) / ph};
  }
}

namespace {

// Spaces always advance; other codes only when they have a glyph.
bool advances(uint8_t code, const std::array<int32_t, 256>& widths) {
  return code == 32 || (code >= 33 && widths[code] > 0);
}

}  // namespace

int32_t TGLCustomBitmapFont::LineWidth(const std::string& line) const {
  int32_t width = 0;
  for (char ch : line) {
    auto code = static_cast<uint8_t>(ch);
    if (advances(code, widths_)) width += widths_[code] + spacing_correction_;
  }
  return width;
}

std::vector<TGLGlyphQuad> TGLCustomBitmapFont::LayoutText(const std::string& text,
                                                          TAlignment alignment,
                                                          TTextLayout layout) const {
  std::vector<std::string> lines(1);
  for (char ch : text) {
    if (ch == '\r')
      lines.emplace_back();
    else
      lines.back().push_back(ch);
  }
  int32_t step = char_height_ + v_space_;
  int32_t total = static_cast<int32_t>(lines.size()) * step - v_space_;
  int32_t y = layout == tlTop      ? 0
              : layout == tlBottom ? total
                                   : static_cast<int32_t>(std::lround(total / 2.0));
  std::vector<TGLGlyphQuad> quads;
  for (const std::string& line : lines) {
    int32_t width = LineWidth(line);
    int32_t x = alignment == taLeftJustify    ? 0
                : alignment == taRightJustify ? -width
                                              : -static_cast<int32_t>(std::lround(width / 2.0));
    for (char ch : line) {
      auto code = static_cast<uint8_t>(ch);
      if (!advances(code, widths_)) continue;  // line feeds and codes without a glyph
      int32_t w = widths_[code];
      if (code != 32) {
        const TGLGlyphRect& r = rects_[code];
        quads.push_back({code, static_cast<float>(x), static_cast<float>(y),
                         static_cast<float>(x + w), static_cast<float>(y - char_height_), r.Left,
                         r.Top, r.Right, r.Bottom});
      }
      x += w + spacing_correction_;
    }
    y -= step;
  }
  return quads;
}

// ---------------------------------------------------------------------------------------------
// The system font's glyph picture

namespace {

// Lays the glyph cells out left to right in rows of charHeight; calls place(index, x, y) for
// each and returns false as soon as one does not fit width x height.
template <class Place>
bool lay_out_cells(const std::vector<int32_t>& widths, int32_t charHeight, int width, int height,
                   Place place) {
  if (charHeight > height) return false;
  int x = 0, y = 0;
  for (size_t i = 0; i < widths.size(); ++i) {
    int cell = widths[i] + 2;
    if (cell > width) return false;
    if (x + cell > width) {
      x = 0;
      y += charHeight;
      if (y + charHeight > height) return false;
    }
    place(i, x, y);
    x += cell;
  }
  return true;
}

}  // namespace

std::pair<int, int> choose_font_texture_size(const std::vector<int32_t>& glyphWidths,
                                             int32_t charHeight) {
  std::pair<int, int> best{0, 0};
  long best_area = std::numeric_limits<long>::max();
  for (int w : kTextureSizes) {
    for (int h : kTextureSizes) {
      if (!lay_out_cells(glyphWidths, charHeight, w, h, [](size_t, int, int) {})) continue;
      long area = static_cast<long>(w) * h;
      bool squarer = std::abs(w - h) < std::abs(best.first - best.second);
      if (area < best_area || (area == best_area && squarer)) {
        best = {w, h};
        best_area = area;
      }
    }
  }
  return best;
}

TGLFontTextureBuild build_font_texture(const platform::FontFace& face, bool italic,
                                       const TBitmapFontRanges& ranges) {
  auto advance = [&](uint8_t code) {
    return code < face.glyphs.size() ? face.glyphs[code].advance : 0;
  };
  TGLFontTextureBuild b;
  // 1. The cell: the widest of three wide letters, and a sample reaching from the accents down
  // to the descenders.
  b.CharWidth = std::max({advance('_'), advance('W'), advance('M')}) + 2;
  b.CharHeight = face.ascent + face.descent + 2;
  if (italic) {
    b.SpacingCorrection = -(b.CharWidth / 3);
    b.CharWidth += b.CharWidth / 3;
  }
  // 2. The codes of the ranges in code order, each as wide as the face draws it.
  std::vector<uint8_t> codes;
  std::vector<int32_t> widths;
  for (int code = 0; code < 256; ++code) {
    if (!ranges.Contains(static_cast<uint8_t>(code))) continue;
    int32_t w = std::max(0, advance(static_cast<uint8_t>(code)) - b.SpacingCorrection);
    b.Widths[code] = w;
    codes.push_back(static_cast<uint8_t>(code));
    widths.push_back(w);
  }
  // 3. The smallest texture that holds them.
  // Plain ints, not structured bindings: older clang (the fuzz build) cannot capture those.
  const std::pair<int, int> size = choose_font_texture_size(widths, b.CharHeight);
  const int tw = size.first, th = size.second;
  if (tw == 0) throw Exception(kTooLarge);
  b.TextureWidth = tw;
  b.TextureHeight = th;
  // 4. White on black, each character one pixel in from its cell's corner.
  b.Picture.width = tw;
  b.Picture.height = th;
  b.Picture.bits = 32;
  b.Picture.rgba.assign(static_cast<size_t>(tw) * th * 4, 0);
  for (size_t i = 3; i < b.Picture.rgba.size(); i += 4) b.Picture.rgba[i] = 255;
  lay_out_cells(widths, b.CharHeight, tw, th, [&](size_t i, int cx, int cy) {
    uint8_t code = codes[i];
    int cell_right = cx + widths[i] + 2;
    int cell_bottom = cy + b.CharHeight;
    if (code < face.glyphs.size()) {
      const platform::Glyph& g = face.glyphs[code];
      int left = cx + 1 + g.left;
      int top = cy + 1 + face.ascent - g.top;
      for (int gy = 0; gy < g.height; ++gy) {
        int py = top + gy;
        if (py < cy || py >= cell_bottom) continue;
        for (int gx = 0; gx < g.width; ++gx) {
          int px = left + gx;
          if (px < cx || px >= cell_right) continue;
          uint8_t v = g.alpha[static_cast<size_t>(gy) * g.width + gx];
          uint8_t* texel = &b.Picture.rgba[(static_cast<size_t>(py) * tw + px) * 4];
          texel[0] = texel[1] = texel[2] = std::max(texel[0], v);
        }
      }
    }
    float fw = static_cast<float>(tw), fh = static_cast<float>(th);
    b.Rects[code] = {(cx + 1.05f) / fw, (cy + 0.05f) / fh, (cell_right - 1.05f) / fw,
                     (cy + b.CharHeight - 0.05f) / fh};
  });
  apply_image_alpha(b.Picture.rgba, tiaAlphaFromIntensity);
  return b;
}

// ---------------------------------------------------------------------------------------------
// TGLFont

void TGLFont::SetName(const std::string& v) {
  if (v == name_) return;
  name_ = v;
  NotifyChange(this);
}

void TGLFont::SetHeight(int32_t v) {
  if (v == height_) return;
  height_ = v;
  NotifyChange(this);
}

int32_t TGLFont::Size() const {
  return static_cast<int32_t>(std::lround(std::abs(height_) * 72.0 / 96.0));
}

void TGLFont::SetSize(int32_t points) {
  SetHeight(-static_cast<int32_t>(std::lround(points * 96.0 / 72.0)));
}

void TGLFont::SetStyle(TFontStyles v) {
  if (v == style_) return;
  style_ = v;
  NotifyChange(this);
}

void TGLFont::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  NotifyChange(this);
}

void TGLFont::SetCharset(int32_t v) {
  if (v == charset_) return;
  charset_ = v;
  NotifyChange(this);
}

// ---------------------------------------------------------------------------------------------
// TGLWindowsBitmapFont

TGLWindowsBitmapFont::TGLWindowsBitmapFont(TComponent* owner)
    : TGLCustomBitmapFont(owner), font_(this) {
  SetGlyphsAlpha(tiaAlphaFromIntensity);
  building_ = true;  // one build below, not one per setting
  Ranges().Add(32, 125);
  building_ = false;
  build();
}

void TGLWindowsBitmapFont::NotifyChange(IGLNotifyAble* sender) {
  if (sender == &font_) build();
}

void TGLWindowsBitmapFont::GlyphsChanged() { build(); }

void TGLWindowsBitmapFont::build() {
  if (Loading() || building_) return;
  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
  } guard(building_);
  auto rasterise = [this] {
    int32_t height = font_.Height();
    int pixels = height < 0 ? -height : (height > 0 ? height : 16);
    return platform::rasterize_font(font_.Name(), pixels, (font_.Style() & fsBold) != 0);
  };
  auto apply = [this](TGLFontTextureBuild&& b) {
    set_char_size(b.CharWidth, b.CharHeight);
    set_spacing_correction(b.SpacingCorrection);
    widths_ = b.Widths;
    rects_ = b.Rects;
    set_glyph_picture(std::move(b.Picture));
  };
  bool italic = (font_.Style() & fsItalic) != 0;
  try {
    apply(build_font_texture(rasterise(), italic, Ranges()));
  } catch (const Exception& e) {
    if (std::string(e.what()) != kTooLarge) throw;
    // The font falls back to 6 points; what still does not fit shows nothing.
    font_.SetSize(6);
    try {
      apply(build_font_texture(rasterise(), italic, Ranges()));
    } catch (const Exception&) {
      widths_.fill(0);
      rects_.fill(TGLGlyphRect{});
      set_glyph_picture(platform::Picture{});
    }
    throw;
  }
}
