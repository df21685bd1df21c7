// Bitmap fonts for the HUD texts: character ranges mapped to glyphs of one picture, the text
// layout rules, and the font whose glyph picture is built from a system font.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/coordinates.h"
#include "engine/scene_object.h"
#include "engine/texture.h"
#include "platform/platform.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

class TGLCustomBitmapFont;

// Codes StartASCII..StopASCII show the glyphs from StartGlyphIdx on.
class TBitmapFontRange {
 public:
  explicit TBitmapFontRange(TGLCustomBitmapFont* font) : font_(font) {}
  uint8_t StartASCII() const { return start_; }
  void SetStartASCII(uint8_t v);
  uint8_t StopASCII() const { return stop_; }
  void SetStopASCII(uint8_t v);
  int32_t StartGlyphIdx() const { return start_glyph_; }
  void SetStartGlyphIdx(int32_t v);

 private:
  friend class TBitmapFontRanges;
  TGLCustomBitmapFont* font_;
  uint8_t start_ = 0;
  uint8_t stop_ = 0;
  int32_t start_glyph_ = 0;
};

class TBitmapFontRanges {
 public:
  explicit TBitmapFontRanges(TGLCustomBitmapFont* font) : font_(font) {}
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TBitmapFontRange& Items(int32_t index) const { return *items_.at(static_cast<size_t>(index)); }
  TBitmapFontRange& operator[](int32_t index) const { return Items(index); }
  // A new range of codes whose glyphs follow those of the ranges before it; the font is told
  // once.
  TBitmapFontRange& Add(uint8_t startASCII = 0, uint8_t stopASCII = 0);
  void Delete(int32_t index);
  void Clear();
  // The glyph index of a code, or −1 when no range holds it.
  int32_t GlyphIndex(uint8_t code) const;
  bool Contains(uint8_t code) const { return GlyphIndex(code) >= 0; }

 private:
  TGLCustomBitmapFont* font_;
  std::vector<std::unique_ptr<TBitmapFontRange>> items_;
};

// One glyph of a laid-out text: the quad in pixels (Y up from the text's origin) and its part
// of the glyph picture (fractions of its size, measured from the picture's top-left corner).
struct TGLGlyphQuad {
  uint8_t Code = 0;
  float X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  float S0 = 0, T0 = 0, S1 = 0, T1 = 0;
};

struct TGLGlyphRect {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TGLCustomBitmapFont : public TGLUpdateAbleComponent {
 public:
  explicit TGLCustomBitmapFont(TComponent* owner = nullptr);
  ~TGLCustomBitmapFont() override;

  TBitmapFontRanges& Ranges() { return ranges_; }
  const TBitmapFontRanges& Ranges() const { return ranges_; }
  // The glyph picture: RGBA rows, top first.
  const platform::Picture& Glyphs() const { return glyphs_; }
  void SetGlyphs(const platform::Picture& picture);
  // Moves whenever the picture or the glyph places change (the renderer re-uploads then).
  uint64_t GlyphsRevision() const { return glyphs_revision_; }

  int32_t CharWidth() const { return char_width_; }
  void SetCharWidth(int32_t v);
  int32_t CharHeight() const { return char_height_; }
  void SetCharHeight(int32_t v);
  int32_t HSpace() const { return h_space_; }
  void SetHSpace(int32_t v);
  int32_t VSpace() const { return v_space_; }
  void SetVSpace(int32_t v);
  // Added to every advance: 0, or −CharWidth/3 for italic system fonts.
  int32_t SpacingCorrection() const { return spacing_correction_; }
  TGLMagFilter MagFilter() const { return mag_filter_; }
  void SetMagFilter(TGLMagFilter v);
  TGLMinFilter MinFilter() const { return min_filter_; }
  void SetMinFilter(TGLMinFilter v);
  TGLTextureImageAlpha GlyphsAlpha() const { return glyphs_alpha_; }
  void SetGlyphsAlpha(TGLTextureImageAlpha v);

  // Advance of a code in pixels (0: no glyph) and its part of the glyph picture.
  int32_t CharacterWidth(uint8_t code) const { return widths_[code]; }
  const TGLGlyphRect& CharacterRect(uint8_t code) const { return rects_[code]; }

  // The width of one line (no carriage returns) as the layout measures it.
  int32_t LineWidth(const std::string& line) const;
  // The glyph quads of a text laid out about its origin by the alignment and layout rules.
  std::vector<TGLGlyphQuad> LayoutText(const std::string& text, TAlignment alignment,
                                       TTextLayout layout) const;
  // Draws the laid-out text at the current modelview, tinted by `color` (engine/render_hud.cpp).
  void RenderString(TGLRenderContextInfo& rci, const std::string& text, TAlignment alignment,
                    TTextLayout layout, const TVector& color);

  // Ranges or picture changed: the glyph places are worked out again.
  virtual void GlyphsChanged();

 protected:
  void Loaded() override;
  // The custom font's glyphs sit in a grid of (CharWidth + HSpace) x (CharHeight + VSpace)
  // cells over its picture; every code of a range is CharWidth wide.
  virtual void place_glyphs();
  void set_glyph_picture(platform::Picture picture);
  void set_spacing_correction(int32_t v) { spacing_correction_ = v; }
  void set_char_size(int32_t width, int32_t height) {
    char_width_ = width;
    char_height_ = height;
  }
  std::array<int32_t, 256> widths_{};
  std::array<TGLGlyphRect, 256> rects_{};

 private:
  TBitmapFontRanges ranges_;
  platform::Picture glyphs_;
  uint64_t glyphs_revision_ = 0;
  int32_t char_width_ = 16;
  int32_t char_height_ = 16;
  int32_t h_space_ = 1;
  int32_t v_space_ = 1;
  int32_t spacing_correction_ = 0;
  TGLMagFilter mag_filter_ = maLinear;
  TGLMinFilter min_filter_ = miLinear;
  TGLTextureImageAlpha glyphs_alpha_ = tiaDefault;
};

// A system font description: face name, height in pixels (negative: the character height
// without internal leading), style, colour and character set.
enum TFontStyle : uint32_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint32_t;
constexpr int32_t ANSI_CHARSET = 0;
constexpr int32_t DEFAULT_CHARSET = 1;

class TGLFont : public TGLUpdateAbleObject {
 public:
  explicit TGLFont(IGLNotifyAble* owner) : TGLUpdateAbleObject(owner) {}
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v);
  int32_t Height() const { return height_; }
  void SetHeight(int32_t v);
  // Points at 96 dpi: Height = −round(Size · 96 / 72).
  int32_t Size() const;
  void SetSize(int32_t points);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int32_t Charset() const { return charset_; }
  void SetCharset(int32_t v);

 private:
  std::string name_ = "Arial";
  int32_t height_ = -11;
  TFontStyles style_ = 0;
  TColor color_ = clWhite;
  int32_t charset_ = DEFAULT_CHARSET;
};

// What the glyph picture of a system font is built from: per code the advance and the
// rasterised glyph (platform::rasterize_font gives it), and the face's ascent and descent.
struct TGLFontTextureBuild {
  int32_t CharWidth = 0;
  int32_t CharHeight = 0;
  int32_t SpacingCorrection = 0;
  int TextureWidth = 0;
  int TextureHeight = 0;
  std::array<int32_t, 256> Widths{};
  std::array<TGLGlyphRect, 256> Rects{};
  platform::Picture Picture;  // white glyphs on black, alpha by the font's rule
};

// Builds the glyph picture of `face` for the codes of `ranges`; italic fonts get the spacing
// correction. Fails with "Characters are too large or too many. Unable to create font
// texture." when the glyphs do not fit 512 x 512.
TGLFontTextureBuild build_font_texture(const platform::FontFace& face, bool italic,
                                       const TBitmapFontRanges& ranges);
// The texture size the glyphs of these widths fit best (smallest area, then the squarer);
// {0, 0} when none of 64..512 holds them.
std::pair<int, int> choose_font_texture_size(const std::vector<int32_t>& glyphWidths,
                                             int32_t charHeight);

class TGLWindowsBitmapFont : public TGLCustomBitmapFont {
 public:
  // Codes 32..125 of a white font; the glyph picture is built at once.
  explicit TGLWindowsBitmapFont(TComponent* owner = nullptr);

  TGLFont& Font() { return font_; }
  // Font or ranges changed: the glyph picture is built again (may fail as above).
  void NotifyChange(IGLNotifyAble* sender) override;
  void GlyphsChanged() override;

 private:
  void build();
  TGLFont font_;
  bool building_ = false;
};
