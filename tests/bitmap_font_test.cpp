// Bitmap fonts without drawing: the text layout rules, the glyph texture's size choice and
// cell placement, the too-large error, and the system font built from the rasterised face.
#include "engine/bitmap_font.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/hud_text.h"
#include "platform/error.h"
#include "platform/platform.h"

namespace {

constexpr char kTooLarge[] = "Characters are too large or too many. Unable to create font texture.";

// A face whose every code advances `advance` pixels and draws a full block of that width.
platform::FontFace block_face(int advance, int ascent = 12, int descent = 3) {
  platform::FontFace face;
  face.ascent = ascent;
  face.descent = descent;
  face.height = ascent + descent;
  face.glyphs.resize(256);
  for (int c = 33; c < 256; ++c) {
    platform::Glyph& g = face.glyphs[c];
    g.advance = advance;
    g.width = advance;
    g.height = ascent;
    g.left = 0;
    g.top = ascent;
    g.alpha.assign(static_cast<size_t>(g.width) * g.height, 255);
  }
  face.glyphs[32].advance = advance / 2;
  return face;
}

// A custom font with square glyphs for the layout rules.
struct LayoutFont {
  TGLCustomBitmapFont font;
  LayoutFont() {
    font.SetCharWidth(10);
    font.SetCharHeight(20);
    font.SetVSpace(2);
    font.Ranges().Add(32, 126);
  }
};

}  // namespace

TEST(BitmapFontLayout, LinesStepByCharHeightPlusVSpace) {
  LayoutFont f;
  std::string text = "a\r\nb";
  std::vector<TGLGlyphQuad> q = f.font.LayoutText(text, taLeftJustify, tlTop);
  ASSERT_EQ(q.size(), 2u) << "the line feed draws nothing";
  EXPECT_EQ(q[0].Code, 'a');
  EXPECT_EQ(q[0].Y0, 0);
  EXPECT_EQ(q[0].Y1, -20);
  EXPECT_EQ(q[1].Code, 'b');
  EXPECT_EQ(q[1].X0, 0) << "a carriage return goes back to the line's start";
  EXPECT_EQ(q[1].Y0, -22) << "one line (CharHeight + VSpace) below";
}

TEST(BitmapFontLayout, AlignmentAndLayout) {
  LayoutFont f;
  std::vector<TGLGlyphQuad> right = f.font.LayoutText("abc", taRightJustify, tlTop);
  ASSERT_EQ(right.size(), 3u);
  EXPECT_EQ(right.back().X1, 0) << "right-justified text ends at the origin";
  EXPECT_EQ(right.front().X0, -30);
  std::vector<TGLGlyphQuad> centre = f.font.LayoutText("abc", taCenter, tlTop);
  EXPECT_EQ(centre.front().X0, -15);
  // Two lines: 2·22 − 2 = 42 high.
  std::vector<TGLGlyphQuad> bottom = f.font.LayoutText("a\rb", taLeftJustify, tlBottom);
  EXPECT_EQ(bottom.front().Y0, 42);
  EXPECT_EQ(bottom.back().Y1, 0) << "the last line ends on the origin";
  std::vector<TGLGlyphQuad> middle = f.font.LayoutText("a\rb", taLeftJustify, tlCenter);
  EXPECT_EQ(middle.front().Y0, 21);
  // Each line is aligned on its own.
  std::vector<TGLGlyphQuad> lines = f.font.LayoutText("ab\rc", taRightJustify, tlTop);
  EXPECT_EQ(lines[1].X1, 0);
  EXPECT_EQ(lines[2].X1, 0);
}

TEST(BitmapFontLayout, SpacesAdvanceAndUnknownCodesDrawNothing) {
  LayoutFont f;
  std::vector<TGLGlyphQuad> q = f.font.LayoutText("a b", taLeftJustify, tlTop);
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[1].X0, 20) << "the space advances by its own width";
  std::string odd = "a";
  odd += static_cast<char>(200);  // outside every range
  odd += "b";
  q = f.font.LayoutText(odd, taLeftJustify, tlTop);
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[1].X0, 10);
  EXPECT_EQ(f.font.LineWidth(odd), 20);
  EXPECT_TRUE(f.font.LayoutText("", taLeftJustify, tlTop).empty());
}

TEST(BitmapFontLayout, CustomGlyphsSitInAGrid) {
  TGLCustomBitmapFont font;
  font.SetCharWidth(8);
  font.SetCharHeight(8);
  font.SetHSpace(0);
  font.SetVSpace(0);
  platform::Picture p;
  p.width = 32;
  p.height = 32;
  p.rgba.assign(32 * 32 * 4, 255);
  font.SetGlyphs(p);
  font.Ranges().Add(65, 70);  // A..F: glyphs 0..5, four to a row
  const TGLGlyphRect& e = font.CharacterRect('E');
  EXPECT_FLOAT_EQ(e.Left, 0);
  EXPECT_FLOAT_EQ(e.Top, 0.25f) << "glyph 4 starts the second row";
  EXPECT_FLOAT_EQ(e.Right, 0.25f);
  EXPECT_EQ(font.CharacterWidth('A'), 8);
  EXPECT_EQ(font.CharacterWidth('G'), 0);
  // A second range continues the glyph numbering.
  TBitmapFontRange& digits = font.Ranges().Add(48, 49);
  EXPECT_EQ(digits.StartGlyphIdx(), 6);
  EXPECT_EQ(font.Ranges().GlyphIndex('1'), 7);
}

TEST(FontTextureSize, SmallestAreaThenTheSquarerOne) {
  EXPECT_EQ(choose_font_texture_size(std::vector<int32_t>(10, 10), 16),
            (std::pair<int, int>{64, 64}));
  // 94 glyphs of 12-pixel cells, 20 high: 128 x 256, 256 x 128, 64 x 512 and 512 x 64 all
  // hold them in the same area; the first of the squarest wins.
  EXPECT_EQ(choose_font_texture_size(std::vector<int32_t>(94, 10), 20),
            (std::pair<int, int>{128, 256}));
  EXPECT_EQ(choose_font_texture_size({511}, 10), (std::pair<int, int>{0, 0}))
      << "a glyph wider than 512 pixels fits nowhere";
  EXPECT_EQ(choose_font_texture_size(std::vector<int32_t>(4, 10), 100),
            (std::pair<int, int>{64, 128}))
      << "one tall row";
}

TEST(FontTextureBuild, CellFromTheWideLettersAndTheSample) {
  platform::FontFace face = block_face(9);
  face.glyphs['_'].advance = 7;
  face.glyphs['W'].advance = 12;
  face.glyphs['M'].advance = 11;
  TGLCustomBitmapFont ranges_owner;
  ranges_owner.Ranges().Add(32, 125);
  TGLFontTextureBuild b = build_font_texture(face, false, ranges_owner.Ranges());
  EXPECT_EQ(b.CharWidth, 14) << "the widest of _, W, M plus 2";
  EXPECT_EQ(b.CharHeight, 17) << "ascent + descent + 2";
  EXPECT_EQ(b.SpacingCorrection, 0);
  EXPECT_EQ(b.Widths['W'], 12);
  EXPECT_EQ(b.Widths[' '], 4);
  EXPECT_EQ(b.Widths[126], 0) << "outside the ranges";
  EXPECT_EQ(b.Picture.width, b.TextureWidth);
  EXPECT_EQ(b.TextureWidth, 128) << "nine rows of 17 in 128 x 256 (as small as 256 x 128, squarer "
                                    "ties go to the first found)";
  EXPECT_EQ(b.TextureHeight, 256);

  // The space takes the first cell (4 + 2 wide), '!' the second; each character is drawn one
  // pixel in from its cell's corner, and the rectangle keeps 1.05 / 0.05 pixels inside.
  const TGLGlyphRect& bang = b.Rects['!'];
  EXPECT_FLOAT_EQ(bang.Left, (6 + 1.05f) / 128);
  EXPECT_FLOAT_EQ(bang.Right, (6 + 9 + 2 - 1.05f) / 128);
  EXPECT_FLOAT_EQ(bang.Top, 0.05f / 256);
  EXPECT_FLOAT_EQ(bang.Bottom, (17 - 0.05f) / 256);
  auto texel = [&](int x, int y) {
    return &b.Picture.rgba[(static_cast<size_t>(y) * 128 + x) * 4];
  };
  EXPECT_EQ(texel(7, 1)[0], 255) << "white glyph";
  EXPECT_EQ(texel(7, 1)[3], 255) << "opaque where white";
  EXPECT_EQ(texel(6, 0)[0], 0) << "the cell's border row and column stay black";
  EXPECT_EQ(texel(6, 0)[3], 0) << "transparent where black";
}

TEST(FontTextureBuild, ItalicCorrection) {
  TGLCustomBitmapFont r;
  r.Ranges().Add(65, 66);
  platform::FontFace face = block_face(9);
  face.glyphs['W'].advance = 13;  // CharWidth 15
  TGLFontTextureBuild b = build_font_texture(face, true, r.Ranges());
  EXPECT_EQ(b.SpacingCorrection, -5);
  EXPECT_EQ(b.CharWidth, 20);
  EXPECT_EQ(b.Widths['A'], 14) << "the width less the (negative) correction";
}

TEST(FontTextureBuild, TooLargeOrTooMany) {
  TGLCustomBitmapFont r;
  r.Ranges().Add(32, 255);
  try {
    build_font_texture(block_face(100, 60, 20), false, r.Ranges());
    FAIL() << "expected the too-large error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), kTooLarge);
  }
}

TEST(WindowsBitmapFont, ArialBlackFifteenPixels) {
  TGLWindowsBitmapFont font;
  font.Font().SetName("Arial Black");
  font.Font().SetHeight(-15);
  platform::FontFace face = platform::rasterize_font("Arial Black", 15, false);
  int wide =
      std::max({face.glyphs['_'].advance, face.glyphs['W'].advance, face.glyphs['M'].advance});
  EXPECT_EQ(font.CharWidth(), wide + 2);
  EXPECT_EQ(font.CharHeight(), face.ascent + face.descent + 2);
  EXPECT_EQ(font.CharacterWidth('A'), face.glyphs['A'].advance);
  EXPECT_EQ(font.CharacterWidth(126), 0) << "the default range is 32..125";
  EXPECT_EQ(font.GlyphsAlpha(), tiaAlphaFromIntensity);
  const platform::Picture& glyphs = font.Glyphs();
  EXPECT_TRUE(glyphs.width == 64 || glyphs.width == 128 || glyphs.width == 256 ||
              glyphs.width == 512);
  EXPECT_TRUE(glyphs.height == 64 || glyphs.height == 128 || glyphs.height == 256 ||
              glyphs.height == 512);
  // Some texels of 'M' are solid white, opaque.
  const TGLGlyphRect& m = font.CharacterRect('M');
  int x0 = static_cast<int>(m.Left * glyphs.width), x1 = static_cast<int>(m.Right * glyphs.width);
  int y0 = static_cast<int>(m.Top * glyphs.height), y1 = static_cast<int>(m.Bottom * glyphs.height);
  int solid = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint8_t* t = &glyphs.rgba[(static_cast<size_t>(y) * glyphs.width + x) * 4];
      if (t[0] == 255 && t[3] == 255) ++solid;
    }
  EXPECT_GT(solid, 10);
}

TEST(WindowsBitmapFont, RebuiltWhenTheFontChanges) {
  TGLWindowsBitmapFont font;
  font.Font().SetHeight(-15);
  int height = font.CharHeight();
  uint64_t revision = font.GlyphsRevision();
  font.Font().SetHeight(-30);
  EXPECT_GT(font.CharHeight(), height);
  EXPECT_GT(font.GlyphsRevision(), revision);
  font.Ranges().Clear();
  EXPECT_EQ(font.CharacterWidth('A'), 0) << "no ranges, no glyphs";
}

TEST(WindowsBitmapFont, TooLargeFallsBackToSixPoints) {
  TGLWindowsBitmapFont font;
  font.Ranges().Add(126, 255);
  try {
    font.Font().SetHeight(-200);
    FAIL() << "expected the too-large error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), kTooLarge);
  }
  EXPECT_EQ(font.Font().Size(), 6);
  EXPECT_EQ(font.Font().Height(), -8);
  EXPECT_GT(font.CharacterWidth('A'), 0) << "the six-point font fits";
}

TEST(WindowsBitmapFont, LoadingBuildsOnceAtTheEnd) {
  TGLWindowsBitmapFont font;
  uint64_t revision = font.GlyphsRevision();
  font.BeginLoading();
  font.Font().SetName("Arial Black");
  font.Font().SetHeight(-15);
  EXPECT_EQ(font.GlyphsRevision(), revision) << "nothing is built while loading";
  font.EndLoading();
  EXPECT_GT(font.GlyphsRevision(), revision);
}

TEST(HUDText, ForgetsAFreedFont) {
  TGLHUDText text;
  auto font = std::make_unique<TGLWindowsBitmapFont>();
  text.SetBitmapFont(font.get());
  font.reset();
  EXPECT_EQ(text.BitmapFont(), nullptr);
  text.SetText("still fine");
  EXPECT_EQ(text.Text(), "still fine");
}
