// HUD sprites and texts on offscreen frames: placement in view pixels, children placed by
// their own position, drawing over the 3D scene, tiles and alpha, and the text's box.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/bitmap_font.h"
#include "engine/dummy_cube.h"
#include "engine/hud_sprite.h"
#include "engine/hud_text.h"
#include "engine/mesh.h"
#include "tests/render_fixture.h"

namespace {

TGLHUDSprite* make_hud(RenderFixture& f, TGLBaseSceneObject& parent, float x, float y, float w,
                       float h, TVector color = {1, 1, 1, 1}) {
  auto* s = make_owned<TGLHUDSprite>(&f.form);
  parent.AddChild(s);
  s->Position().SetPoint(x, y, 0);
  s->SetSize(w, h);
  s->Material().SetMaterialOptions(moNoLighting);
  s->Material().FrontProperties().Diffuse().SetColor(color);
  return s;
}

// The box of pixels brighter than the threshold: {x0, y0, x1, y1} inclusive, or all −1.
struct Box {
  int x0 = -1, y0 = -1, x1 = -1, y1 = -1;
};
Box lit_box(const RenderFixture& f, int threshold = 60) {
  Box b;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      if (f.At(x, y).sum() <= threshold) continue;
      if (b.x0 < 0 || x < b.x0) b.x0 = x;
      if (b.y0 < 0 || y < b.y0) b.y0 = y;
      b.x1 = std::max(b.x1, x);
      b.y1 = std::max(b.y1, y);
    }
  return b;
}

TGLWindowsBitmapFont* arial_black(RenderFixture& f) {
  auto* font = make_owned<TGLWindowsBitmapFont>(&f.form);
  font->Font().SetName("Arial Black");
  font->Font().SetHeight(-15);
  return font;
}

}  // namespace

TEST(RenderHUDSprite, CoversExactlyItsRectangle) {
  RenderFixture f(160, 120);
  make_hud(f, f.scene->Objects(), 50, 40, 20, 10);
  f.Draw("hud_rect");
  EXPECT_EQ(f.LitTotal(), 200) << "20 x 10 pixels, no more, no less";
  EXPECT_EQ(f.Lit(40, 35, 60, 45), 200);
  EXPECT_EQ(f.At(40, 35).sum(), 765);
  EXPECT_EQ(f.At(59, 44).sum(), 765);
  EXPECT_EQ(f.At(39, 40).sum(), 0);
  EXPECT_EQ(f.At(60, 40).sum(), 0);
  EXPECT_EQ(f.At(50, 34).sum(), 0);
  EXPECT_EQ(f.At(50, 45).sum(), 0);
}

TEST(RenderHUDSprite, ChildPlacedByItsOwnPosition) {
  RenderFixture f(160, 120);
  TGLHUDSprite* parent = make_hud(f, f.scene->Objects(), 100, 60, 20, 20, {0, 0, 1, 1});
  make_hud(f, *parent, 30, 20, 6, 6, {1, 0, 0, 1});
  f.Draw("hud_child");
  EXPECT_EQ(f.At(30, 20).r, 255) << "the child at its own screen place";
  EXPECT_EQ(f.At(130, 80).r, 0) << "not at the sum of the positions";
  EXPECT_EQ(f.At(100, 60).b, 255);
  parent->SetVisible(false);
  f.Draw();
  EXPECT_EQ(f.LitTotal(), 0) << "hiding the parent hides the child too";
}

TEST(RenderHUDSprite, ShowsUnderA3DObjectInsideAHUDTree) {
  RenderFixture f(160, 120);
  TGLHUDSprite* bar = make_hud(f, f.scene->Objects(), 100, 60, 20, 20, {0, 0, 1, 1});
  auto* group = bar->CreateChild<TGLDummyCube>();
  group->Position().SetPoint(500, 500, 0);
  make_hud(f, *group, 30, 20, 6, 6, {1, 0, 0, 1});
  f.Draw("hud_under_3d");
  EXPECT_EQ(f.At(100, 60).b, 255);
  EXPECT_EQ(f.At(30, 20).r, 255) << "the HUD sprite under the dummy cube shows at its own place";
  EXPECT_EQ(f.Lit(27, 17, 33, 23), 36);
  group->SetVisible(false);
  f.Draw();
  EXPECT_EQ(f.At(30, 20).sum(), 0) << "a hidden 3D parent still hides its subtree";
}

TEST(RenderHUDSprite, IgnoresTheCameraAndThe3DParents) {
  RenderFixture f(160, 120);
  auto* holder = f.scene->Objects().CreateChild<TGLDummyCube>();
  holder->Position().SetPoint(50, -20, 7);
  holder->TurnBy(40);
  make_hud(f, *holder, 50, 40, 20, 10);
  f.camera->Position().SetPoint(3, 4, 5);
  f.Draw();
  EXPECT_EQ(f.Lit(40, 35, 60, 45), 200);
}

TEST(RenderHUDSprite, DrawnOverTheScene) {
  RenderFixture f(160, 120);
  f.camera->Position().SetPoint(0, 0, 3);
  // A 3D square right in front of the camera, listed after the HUD sprite.
  make_hud(f, f.scene->Objects(), 80, 60, 20, 20, {0, 1, 0, 1});
  make_square(f, f.scene->Objects(), 2, {1, 0, 0, 1});
  f.Draw("hud_over_scene");
  Pixel p = f.At(80, 60);
  EXPECT_EQ(p.g, 255) << "the HUD covers what the scene drew";
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(f.At(20, 60).r, 255) << "the square shows around it";
}

TEST(RenderHUDSprite, TilesAndAlphaChannel) {
  RenderFixture f(160, 120);
  TGLHUDSprite* s = make_hud(f, f.scene->Objects(), 80, 60, 40, 10);
  TGLTexture& t = s->Material().Texture();
  platform::Picture stripes;
  stripes.width = 2;
  stripes.height = 1;
  stripes.rgba = {0, 0, 0, 255, 255, 255, 255, 255};  // black | white
  t.Image().Assign(stripes);
  t.SetMinFilter(miNearest);
  t.SetMagFilter(maNearest);
  t.SetDisabled(false);
  s->SetXTiles(2);
  f.Draw("hud_tiles");
  // Four stripes of 10 pixels: black, white, black, white.
  EXPECT_EQ(f.At(65, 60).sum(), 0);
  EXPECT_EQ(f.At(75, 60).sum(), 765);
  EXPECT_EQ(f.At(85, 60).sum(), 0);
  EXPECT_EQ(f.At(95, 60).sum(), 765);
  t.SetDisabled(true);
  s->Material().SetBlendingMode(bmTransparency);
  s->SetAlphaChannel(0.5f);
  f.Draw();
  EXPECT_NEAR(f.At(80, 60).r, 128, 2) << "AlphaChannel replaces the material's alpha";
}

TEST(RenderHUDSprite, PictureUpright) {
  RenderFixture f(160, 120);
  TGLHUDSprite* s = make_hud(f, f.scene->Objects(), 80, 60, 20, 20);
  platform::Picture p;
  p.width = 1;
  p.height = 2;
  p.rgba = {255, 0, 0, 255, 0, 0, 255, 255};  // red top row, blue bottom row
  TGLTexture& t = s->Material().Texture();
  t.Image().Assign(p);
  t.SetMinFilter(miNearest);
  t.SetMagFilter(maNearest);
  t.SetDisabled(false);
  f.Draw();
  EXPECT_EQ(f.At(80, 52).r, 255) << "the picture's top row at the top";
  EXPECT_EQ(f.At(80, 68).b, 255);
}

TEST(RenderHUDText, GlyphsInsideTheirBox) {
  RenderFixture f(160, 120);
  TGLWindowsBitmapFont* font = arial_black(f);
  auto* text = f.scene->Objects().CreateChild<TGLHUDText>();
  text->SetBitmapFont(font);
  text->Position().SetPoint(20, 30, 0);
  text->SetText("HUD");
  f.Draw("hud_text");
  Box b = lit_box(f);
  ASSERT_GE(b.x0, 0) << "the text shows";
  EXPECT_GE(b.x0, 20);
  EXPECT_LE(b.x1, 20 + font->LineWidth("HUD"));
  EXPECT_GE(b.y0, 30);
  EXPECT_LE(b.y1, 30 + font->CharHeight());
  EXPECT_GT(b.x1 - b.x0, font->LineWidth("HUD") / 2);
  // Twice the scale, twice the width.
  text->Scale().SetVector(2, 2, 1);
  f.Draw();
  Box big = lit_box(f);
  EXPECT_NEAR(big.x1 - big.x0, 2 * (b.x1 - b.x0), 3);
}

TEST(RenderHUDText, CustomFontAppliesItsGlyphAlphaRule) {
  RenderFixture f(160, 120);
  make_hud(f, f.scene->Objects(), 80, 60, 160, 120, {1, 0, 0, 1});
  // One 8 x 8 glyph for "A": white on its left half, opaque black on its right half.
  auto* font = make_owned<TGLCustomBitmapFont>(&f.form);
  font->SetCharWidth(8);
  font->SetCharHeight(8);
  font->SetHSpace(0);
  font->SetVSpace(0);
  font->SetMagFilter(maNearest);
  font->SetMinFilter(miNearest);
  font->Ranges().Add('A', 'A');
  platform::Picture glyph;
  glyph.width = glyph.height = 8;
  glyph.bits = 32;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      uint8_t v = x < 4 ? 255 : 0;
      glyph.rgba.insert(glyph.rgba.end(), {v, v, v, 255});
    }
  font->SetGlyphs(glyph);
  auto* text = f.scene->Objects().CreateChild<TGLHUDText>();
  text->SetBitmapFont(font);
  text->Position().SetPoint(40, 30, 0);
  text->Scale().SetVector(4, 4, 1);
  text->SetText("A");
  // The glyph covers 40..71 x 30..61: white at (48, 46), black or see-through at (64, 46).
  f.Draw();
  EXPECT_EQ(f.At(48, 46).sum(), 765);
  EXPECT_EQ(f.At(64, 46).sum(), 0) << "by default the picture's own alpha: opaque black";
  font->SetGlyphsAlpha(tiaSuperBlackTransparent);
  f.Draw("hud_custom_font_alpha");
  EXPECT_EQ(f.At(48, 46).sum(), 765);
  Pixel through = f.At(64, 46);
  EXPECT_EQ(through.r, 255) << "the black texels let the red behind show";
  EXPECT_EQ(through.g, 0);
  font->SetGlyphsAlpha(tiaDefault);
  f.Draw();
  EXPECT_EQ(f.At(64, 46).sum(), 0) << "the rule works on a copy: the picture is as it was";
}

TEST(RenderHUDText, RightJustifiedEndsAtTheOrigin) {
  RenderFixture f(160, 120);
  auto* text = f.scene->Objects().CreateChild<TGLHUDText>();
  text->SetBitmapFont(arial_black(f));
  text->Position().SetPoint(140, 50, 0);
  text->SetAlignment(taRightJustify);
  text->SetText("MMM");
  f.Draw("hud_text_right");
  Box b = lit_box(f);
  ASSERT_GE(b.x0, 0);
  EXPECT_LT(b.x1, 140);
  EXPECT_GE(b.x1, 134) << "the last glyph reaches the origin (less its side bearing)";
}

TEST(RenderHUDText, ModulateColourAndNothingWithoutFontOrText) {
  RenderFixture f(160, 120);
  auto* text = f.scene->Objects().CreateChild<TGLHUDText>();
  text->Position().SetPoint(10, 10, 0);
  text->SetText("MW");
  f.Draw();
  EXPECT_EQ(f.LitTotal(), 0) << "no font: nothing";
  text->SetBitmapFont(arial_black(f));
  text->SetText("");
  f.Draw();
  EXPECT_EQ(f.LitTotal(), 0) << "no text: nothing";
  text->SetText("MW");
  text->ModulateColor().SetColor(0, 1, 1, 1);
  f.Draw();
  int red = 0, green = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      red = std::max(red, f.At(x, y).r);
      green = std::max(green, f.At(x, y).g);
    }
  EXPECT_EQ(red, 0);
  EXPECT_GT(green, 240);
}

TEST(RenderHUDText, HelpLineFitsOneLineAtTheBottom) {
  RenderFixture f(640, 480);
  auto* font = arial_black(f);
  auto* dole = f.scene->Objects().CreateChild<TGLHUDText>();
  dole->SetBitmapFont(font);
  dole->Position().SetPoint(470, 460, 0);
  dole->Scale().SetVector(0.7f, 0.7f, 0.7f);
  dole->SetText("P=pause  ESC= konec hry");
  dole->ModulateColor().SetColor(0, 1, 1, 1);
  f.Draw("hud_dole");
  Box b = lit_box(f);
  ASSERT_GE(b.x0, 0);
  EXPECT_GE(b.x0, 470);
  EXPECT_LT(b.x1, 639) << "the line ends inside the view";
  EXPECT_GE(b.y0, 460);
  EXPECT_LT(b.y1, 479) << "and above its bottom edge";
  EXPECT_LT(b.y1 - b.y0, font->CharHeight() * 0.7 + 1) << "one line";
  EXPECT_LE(470 + font->LineWidth("P=pause  ESC= konec hry") * 0.7, 640);
}
