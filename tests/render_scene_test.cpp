// The scene renderer on offscreen frames: projection, visibility, proxies, fog, lights,
// blending and the drawing order, textures and library materials, the sky dome, sprites,
// dummy cubes and actors in their pose.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/actor.h"
#include "engine/dummy_cube.h"
#include "engine/light_source.h"
#include "engine/material_library.h"
#include "engine/mesh.h"
#include "engine/proxy_object.h"
#include "engine/renderer.h"
#include "engine/sky_dome.h"
#include "engine/sprite.h"
#include "tests/render_fixture.h"

namespace {

constexpr int kW = 160, kH = 120;

// The camera at (0, 0, z) looking down −Z.
void look_down_z(RenderFixture& f, float z = 10) {
  f.camera->Position().SetPoint(0, 0, z);
  f.camera->Direction().SetVector(0, 0, -1);
  f.camera->SetDepthOfView(5000);
}

// Where a point of the plane z = 0 lands for look_down_z(z) with the fixture's defaults.
int screen_x(const RenderFixture& f, float x, float z) {
  TGLCameraProjection p = f.camera->Projection(kW, kH, 96);
  double ndc = x * p.nearPlane / z / p.right;
  return static_cast<int>((ndc + 1) * 0.5 * kW);
}

platform::Picture picture(int w, int h, const std::vector<uint32_t>& rgba) {
  platform::Picture p;
  p.width = w;
  p.height = h;
  p.bits = 32;
  for (uint32_t c : rgba) {
    p.rgba.push_back(static_cast<uint8_t>(c >> 24));
    p.rgba.push_back(static_cast<uint8_t>(c >> 16));
    p.rgba.push_back(static_cast<uint8_t>(c >> 8));
    p.rgba.push_back(static_cast<uint8_t>(c));
  }
  return p;
}

}  // namespace

TEST(RenderFrame, ClearsToTheBackgroundWithoutAScene) {
  RenderFixture f(kW, kH);
  f.viewer->Buffer().SetBackgroundColor(clBlue);
  f.Draw();
  Pixel p = f.At(10, 10);
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.b, 255);
}

TEST(RenderFrame, ProjectionFollowsTheCameraNumbers) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  make_square(f, f.scene->Objects(), 1);
  f.Draw("projection");
  // Near plane 2·50·96/(25.4·160) and a half-width of 0.5 there: the square's edge at x = 1
  // lands at a computed column.
  int right = screen_x(f, 1, 10), left = screen_x(f, -1, 10);
  EXPECT_GT(f.At(right - 2, kH / 2).sum(), 600);
  EXPECT_EQ(f.At(right + 2, kH / 2).sum(), 0);
  EXPECT_GT(f.At(left + 2, kH / 2).sum(), 600);
  EXPECT_EQ(f.At(left - 2, kH / 2).sum(), 0);
  // A longer lens shows the same square larger.
  f.camera->SetFocalLength(100);
  f.Draw();
  EXPECT_GT(f.At(right + 4, kH / 2).sum(), 600);
}

TEST(RenderVisibility, HiddenSubtreeDrawsNothing) {
  RenderFixture f(kW, kH);
  look_down_z(f);
  auto* group = f.scene->Objects().CreateChild<TGLDummyCube>();
  make_square(f, *group, 1);
  f.Draw();
  EXPECT_GT(f.LitTotal(), 100) << "the square shows while its parent is visible";
  group->SetVisible(false);
  f.Draw("hidden_subtree");
  EXPECT_EQ(f.LitTotal(), 0) << "a hidden parent hides its whole subtree";
  group->SetVisible(true);
  group->Children(0)->SetVisible(false);
  f.Draw();
  EXPECT_EQ(f.LitTotal(), 0);
}

TEST(RenderProxy, HiddenMasterStillShowsThroughItsProxy) {
  RenderFixture f(kW, kH);
  look_down_z(f, 20);
  TGLFreeForm* master = make_square(f, f.scene->Objects(), 1);
  master->Position().SetX(-4);
  master->SetVisible(false);
  auto* proxy = f.scene->Objects().CreateChild<TGLProxyObject>();
  proxy->SetProxyOptions(pooObjects);
  proxy->SetMasterObject(master);
  proxy->Position().SetX(4);
  f.Draw("proxy_hidden_master");
  int at_proxy = screen_x(f, 4, 20), at_master = screen_x(f, -4, 20);
  EXPECT_GT(f.At(at_proxy, kH / 2).sum(), 600) << "the proxy draws the hidden master";
  EXPECT_EQ(f.At(at_master, kH / 2).sum(), 0) << "the master itself stays hidden";
  // Without pooTransformation the master's own place does not move the copy.
  EXPECT_EQ(f.At(screen_x(f, 0, 20), kH / 2).sum(), 0);
  proxy->SetProxyOptions(pooObjects | pooTransformation);
  f.Draw();
  EXPECT_GT(f.At(screen_x(f, 0, 20), kH / 2).sum(), 600) << "master's offset applied on top";
}

TEST(RenderProxy, WithoutMasterOnlyItsChildrenShow) {
  RenderFixture f(kW, kH);
  look_down_z(f, 20);
  auto* proxy = f.scene->Objects().CreateChild<TGLProxyObject>();
  f.Draw();
  EXPECT_EQ(f.LitTotal(), 0);
  make_square(f, *proxy, 1)->Position().SetX(4);
  f.Draw();
  EXPECT_GT(f.At(screen_x(f, 4, 20), kH / 2).sum(), 600);
  // A proxy of itself draws nothing of itself, and stops rather than recursing.
  proxy->SetMasterObject(proxy);
  f.Draw();
  EXPECT_GT(f.At(screen_x(f, 4, 20), kH / 2).sum(), 600);
}

TEST(RenderFog, FarObjectFadesTowardsTheFogColour) {
  RenderFixture f(kW, kH);
  look_down_z(f, 0);
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1);
  TGLSceneBuffer& buffer = f.viewer->Buffer();
  buffer.SetFogEnable(true);
  buffer.FogEnvironment().SetFogStart(50);
  buffer.FogEnvironment().SetFogEnd(1200);
  buffer.FogEnvironment().SetFogDistance(fdEyeRadial);
  buffer.FogEnvironment().FogColor().SetColor(0, 0, 0, 0);
  // Square sizes scaled with distance so each covers the middle of the view.
  square->Position().SetZ(-40);
  f.Draw();
  int near_value = f.At(kW / 2, kH / 2).r;
  square->Position().SetZ(-900);
  square->Scale().SetVector(22, 22, 1);
  f.Draw("fog_far");
  int far_value = f.At(kW / 2, kH / 2).r;
  EXPECT_EQ(near_value, 255) << "inside the fog start nothing is fogged";
  EXPECT_GT(far_value, 40);
  EXPECT_LT(far_value, 110) << "linear fog at 900 of 50..1200 leaves about a quarter";
  // A material that ignores fog keeps its colour.
  square->Material().SetMaterialOptions(moNoLighting | moIgnoreFog);
  f.Draw();
  EXPECT_EQ(f.At(kW / 2, kH / 2).r, 255);
  // Towards a red fog the far square turns red.
  square->Material().SetMaterialOptions(moNoLighting);
  buffer.FogEnvironment().FogColor().SetColor(1, 0, 0, 1);
  f.Draw();
  Pixel red = f.At(kW / 2, kH / 2);
  EXPECT_EQ(red.r, 255);
  EXPECT_LT(red.g, 110);
}

TEST(RenderFog, RadialFogDarkensTheSidesAtTheSameDepth) {
  RenderFixture f(kW, kH);
  look_down_z(f, 0);
  f.camera->SetFocalLength(5);  // a wide lens: about 65° either side of the axis
  TGLSceneBuffer& buffer = f.viewer->Buffer();
  buffer.SetFogEnable(true);
  buffer.FogEnvironment().SetFogStart(50);
  buffer.FogEnvironment().SetFogEnd(1200);
  buffer.FogEnvironment().SetFogDistance(fdEyeRadial);
  buffer.FogEnvironment().FogColor().SetColor(0, 0, 0, 0);
  // Two squares 400 ahead, one on the axis and one 700 to the side (806 from the eye).
  TGLFreeForm* middle = make_square(f, f.scene->Objects(), 40);
  middle->Position().SetZ(-400);
  TGLFreeForm* side = make_square(f, f.scene->Objects(), 40);
  side->Position().SetPoint(700, 0, -400);
  f.Draw("fog_radial");
  if (!TGLRenderer::Instance().HasFogDistance())
    GTEST_SKIP() << "this GL has no GL_NV_fog_distance: fog is by depth alone";
  TGLCameraProjection p = f.camera->Projection(kW, kH, 96);
  int side_x = static_cast<int>((700 * p.nearPlane / 400 / p.right + 1) * 0.5 * kW);
  int middle_value = f.At(kW / 2, kH / 2).r, side_value = f.At(side_x, kH / 2).r;
  // Linear fog over 50..1200: 800/1150 left on the axis, 394/1150 at the side.
  EXPECT_NEAR(middle_value, 177, 8);
  EXPECT_NEAR(side_value, 87, 10) << "fogged by its distance from the eye, not its depth";
  // Measured by depth both are the same.
  buffer.FogEnvironment().SetFogDistance(fdEyePlane);
  f.Draw();
  EXPECT_NEAR(f.At(side_x, kH / 2).r, f.At(kW / 2, kH / 2).r, 4);
  EXPECT_NEAR(f.At(side_x, kH / 2).r, 177, 8);
}

TEST(RenderLight, LitFromItsWorldPlace) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1);
  square->Material().SetMaterialOptions(0);
  square->Material().FrontProperties().Diffuse().SetColor(1, 1, 1, 1);
  square->Material().FrontProperties().Ambient().SetColor(0, 0, 0, 1);
  f.viewer->Buffer().AmbientColor().SetColor(0, 0, 0, 1);
  auto* holder = f.scene->Objects().CreateChild<TGLDummyCube>();
  auto* light = holder->CreateChild<TGLLightSource>();
  light->SetLightStyle(lsOmni);
  holder->Position().SetPoint(0, 0, 5);
  f.Draw("light_front");
  int front = f.At(kW / 2, kH / 2).sum();
  holder->Position().SetPoint(0, 0, -5);  // the light moves with its parent, behind the square
  f.Draw();
  int behind = f.At(kW / 2, kH / 2).sum();
  EXPECT_GT(front, 600);
  EXPECT_LT(behind, 30);
  light->SetShining(false);
  holder->Position().SetPoint(0, 0, 5);
  f.Draw();
  EXPECT_LT(f.At(kW / 2, kH / 2).sum(), 30) << "a light that does not shine lights nothing";
  // The scene's ambient colour reaches the material's ambient part.
  square->Material().FrontProperties().Ambient().SetColor(1, 1, 1, 1);
  f.viewer->Buffer().AmbientColor().SetColor(0.5f, 0, 0, 1);
  f.Draw();
  Pixel p = f.At(kW / 2, kH / 2);
  EXPECT_NEAR(p.r, 128, 3);
  EXPECT_EQ(p.g, 0);
}

TEST(RenderBlending, AdditiveBrightensAndTransparencyMixes) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLFreeForm* back = make_square(f, f.scene->Objects(), 1, {0.4f, 0.4f, 0.4f, 1});
  TGLFreeForm* front = make_square(f, f.scene->Objects(), 0.5f, {0.4f, 0.4f, 0.4f, 1});
  front->Position().SetZ(1);
  front->Material().SetBlendingMode(bmAdditive);
  f.Draw("additive");
  int alone = f.At(screen_x(f, 0.8f, 10), kH / 2).r;
  int both = f.At(kW / 2, kH / 2).r;
  EXPECT_NEAR(alone, 102, 2);
  EXPECT_NEAR(both, 204, 3) << "additive adds source · alpha to what is there";
  front->Material().SetBlendingMode(bmTransparency);
  front->Material().FrontProperties().Diffuse().SetColor(1, 0, 0, 0.5f);
  back->Material().FrontProperties().Diffuse().SetColor(0, 0, 1, 1);
  f.Draw();
  Pixel mix = f.At(kW / 2, kH / 2);
  EXPECT_NEAR(mix.r, 128, 3);
  EXPECT_NEAR(mix.b, 128, 3);
}

TEST(RenderOrder, BlendedSiblingsDrawAfterTheOpaqueOnes) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  // The nearer, transparent square comes first in the list; drawn first, it would keep the
  // farther opaque one out of the depth test.
  TGLFreeForm* glass = make_square(f, f.scene->Objects(), 1, {1, 0, 0, 0.5f});
  glass->Position().SetZ(1);
  glass->Material().SetBlendingMode(bmTransparency);
  make_square(f, f.scene->Objects(), 1, {0, 1, 0, 1});
  f.Draw("blended_last");
  Pixel p = f.At(kW / 2, kH / 2);
  EXPECT_NEAR(p.r, 128, 3);
  EXPECT_NEAR(p.g, 128, 3) << "the opaque square shows through the glass";
  // Drawn in plain list order, the glass hides it.
  f.scene->Objects().SetObjectsSorting(osNone);
  f.Draw();
  EXPECT_LT(f.At(kW / 2, kH / 2).g, 10);
}

TEST(RenderTexture, SuperBlackTexelsAreTransparent) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  make_square(f, f.scene->Objects(), 1, {1, 0, 0, 1});
  TGLFreeForm* front = make_square(f, f.scene->Objects(), 1);
  front->Position().SetZ(1);
  TGLTexture& t = front->Material().Texture();
  // Left column black, right column white; the picture's top row first.
  t.Image().Assign(picture(2, 2, {0x000000FF, 0xFFFFFFFF, 0x000000FF, 0xFFFFFFFF}));
  t.SetImageAlpha(tiaSuperBlackTransparent);
  t.SetMinFilter(miNearest);
  t.SetMagFilter(maNearest);
  t.SetTextureMode(tmModulate);
  t.SetDisabled(false);
  f.Draw("super_black");
  int y = kH / 2;
  Pixel left = f.At(screen_x(f, -0.5f, 9), y), right = f.At(screen_x(f, 0.5f, 9), y);
  EXPECT_EQ(left.r, 255) << "the red square shows through the black texels";
  EXPECT_EQ(left.g, 0);
  EXPECT_EQ(right.g, 255) << "white texels are opaque";
  // Without the rule the black texels cover it.
  t.SetImageAlpha(tiaDefault);
  f.Draw();
  EXPECT_EQ(f.At(screen_x(f, -0.5f, 9), y).sum(), 0);
}

TEST(RenderTexture, UploadedOnceAndRebuiltWhenChanged) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1);
  TGLTexture& t = square->Material().Texture();
  t.Image().Assign(picture(1, 1, {0x00FF00FF}));
  t.SetTextureMode(tmReplace);
  t.SetDisabled(false);
  TGLRenderer& r = TGLRenderer::Instance();
  f.Draw();
  uint64_t uploads = r.TextureUploads();
  f.Draw();
  f.Draw();
  EXPECT_EQ(r.TextureUploads(), uploads) << "an unchanged texture is not uploaded again";
  EXPECT_EQ(f.At(kW / 2, kH / 2).g, 255);
  t.Image().Assign(picture(1, 1, {0x0000FFFF}));
  f.Draw();
  EXPECT_EQ(r.TextureUploads(), uploads + 1);
  EXPECT_EQ(f.At(kW / 2, kH / 2).b, 255) << "the changed picture shows";
  t.SetMagFilter(maNearest);
  f.Draw();
  EXPECT_EQ(r.TextureUploads(), uploads + 2) << "a filter change rebuilds the texture";
  // Disabled: the material's own colour, no texture.
  t.SetDisabled(true);
  f.Draw();
  EXPECT_EQ(f.At(kW / 2, kH / 2).sum(), 765);
}

TEST(RenderTexture, FreedTexturesGiveBackTheirGLObjects) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLRenderer& r = TGLRenderer::Instance();
  f.Draw();
  const size_t before = r.TextureObjects();
  auto library = std::make_unique<TGLMaterialLibrary>();
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1);
  auto load_library = [&](uint32_t rgba) {
    // A reload: a new material (made while the old one lives, so it gets fresh memory) takes
    // the place of the freed one under the same name.
    TGLLibMaterial& wall = library->Materials().Add();
    wall.Material().SetMaterialOptions(moNoLighting);
    TGLTexture& t = wall.Material().Texture();
    t.Image().Assign(picture(1, 1, {rgba}));
    t.SetTextureMode(tmReplace);
    t.SetDisabled(false);
    if (library->Materials().Count() > 1) library->Materials().Delete(0);
    wall.SetName("wall");
    square->Material().SetMaterialLibrary(library.get());
    square->Material().SetLibMaterialName("wall");
  };
  load_library(0xFF0000FF);
  f.Draw();
  EXPECT_EQ(f.At(kW / 2, kH / 2).r, 255);
  EXPECT_EQ(r.TextureObjects(), before + 1);
  for (uint32_t colour : {0x00FF00FFu, 0x0000FFFFu, 0xFFFF00FFu}) {
    load_library(colour);
    f.Draw();
    EXPECT_EQ(r.TextureObjects(), before + 1) << "the old library's texture was let go";
  }
  EXPECT_EQ(f.At(kW / 2, kH / 2).g, 255) << "the last load shows";
  EXPECT_EQ(f.At(kW / 2, kH / 2).b, 0);

  // An object's own texture goes with the object.
  auto own = std::make_unique<TGLFreeForm>();
  f.scene->Objects().AddChild(own.get());
  own->Material().Texture().Image().Assign(picture(1, 1, {0xFFFFFFFF}));
  own->Material().Texture().SetDisabled(false);
  own->MeshObjects().push_back(std::make_unique<TMeshObject>());
  own->MeshObjects().back()->Vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}};
  own->MeshObjects().back()->FaceGroups.emplace_back().VertexIndices = {0, 1, 2};
  own->GeometryChanged();
  f.Draw();
  EXPECT_EQ(r.TextureObjects(), before + 2);
  own.reset();
  f.Draw();
  EXPECT_EQ(r.TextureObjects(), before + 1);
  // And the library's with the library.
  library.reset();
  f.Draw();
  EXPECT_EQ(r.TextureObjects(), before);
}

TEST(RenderTexture, ModesCombineWithTheMaterialColour) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1, {1, 0, 0, 1});
  TGLTexture& t = square->Material().Texture();
  t.Image().Assign(picture(1, 1, {0xFFFF00FF}));  // yellow
  t.SetDisabled(false);
  t.SetTextureMode(tmModulate);
  f.Draw();
  Pixel m = f.At(kW / 2, kH / 2);
  EXPECT_EQ(m.r, 255);
  EXPECT_EQ(m.g, 0) << "modulate multiplies: red times yellow";
  t.SetTextureMode(tmDecal);
  f.Draw();
  EXPECT_EQ(f.At(kW / 2, kH / 2).g, 255) << "an opaque decal covers the colour";
}

TEST(RenderMaterial, LibraryMaterialDrawsInPlaceOfTheOwn) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1, {1, 0, 0, 1});
  auto* library = make_owned<TGLMaterialLibrary>(&f.form);
  TGLLibMaterial& green = library->Materials().Add();
  green.SetName("green");
  green.Material().SetMaterialOptions(moNoLighting);
  green.Material().FrontProperties().Diffuse().SetColor(0, 1, 0, 1);
  square->Material().SetMaterialLibrary(library);
  square->Material().SetLibMaterialName("missing");
  f.Draw();
  EXPECT_EQ(f.At(kW / 2, kH / 2).r, 255) << "an unknown name keeps the own material";
  square->Material().SetLibMaterialName("green");
  f.Draw();
  Pixel p = f.At(kW / 2, kH / 2);
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.g, 255);
}

TEST(RenderMaterial, BackFacesCulledUnlessTheMaterialSaysNot) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1);
  square->TurnBy(180);  // its front now faces away
  f.Draw();
  EXPECT_EQ(f.LitTotal(), 0);
  square->Material().SetFaceCulling(fcNoCull);
  f.Draw();
  EXPECT_GT(f.LitTotal(), 100);
}

TEST(RenderSky, BandColoursMeetAtTheHorizon) {
  RenderFixture f(kW, kH);
  f.camera->SetDepthOfView(2000);
  auto* sky = f.scene->Objects().CreateChild<TGLSkyDome>();
  sky->Bands().Clear();
  TSkyDomeBand& below = sky->Bands().Add();
  below.SetStartAngle(-10);
  below.SetStopAngle(0);
  below.SetSlices(20);
  below.StartColor().SetColor(0, 0, 0, 1);
  below.StopColor().SetColor(0.6471f, 0.1647f, 0.1647f, 1);
  TSkyDomeBand& above = sky->Bands().Add();
  above.SetStartAngle(0);
  above.SetStopAngle(10);
  above.SetSlices(20);
  above.StartColor().SetColor(0.6471f, 0.1647f, 0.1647f, 1);
  above.StopColor().SetColor(0, 0, 0, 1);
  // Looking along the horizon; the sky dome's own place is ignored.
  f.camera->Position().SetPoint(0, 0, 0);
  f.camera->Direction().SetVector(0, 0, -1);
  sky->Position().SetPoint(0, 500, 0);
  f.Draw("sky_bands");
  Pixel horizon = f.At(kW / 2, kH / 2);
  EXPECT_NEAR(horizon.r, 165, 8) << "both bands reach the red at 0°";
  EXPECT_NEAR(horizon.g, 42, 8);
  EXPECT_LT(f.At(kW / 2, kH / 2 - 20).r, horizon.r - 40) << "darker above";
  EXPECT_LT(f.At(kW / 2, kH / 2 + 20).r, horizon.r - 40) << "darker below";
  // Whatever is drawn after it covers it: the dome writes no depth.
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1, {0, 1, 0, 1});
  square->Position().SetPoint(0, 0, -1900);
  square->Scale().SetVector(300, 300, 1);
  f.Draw();
  EXPECT_EQ(f.At(kW / 2, kH / 2).g, 255);
}

TEST(RenderSky, StarsShowAsPoints) {
  RenderFixture f(kW, kH);
  f.camera->SetDepthOfView(2000);
  auto* sky = f.scene->Objects().CreateChild<TGLSkyDome>();
  sky->Bands().Clear();
  TSkyDomeStar& star = sky->Stars().Add();
  star.SetRA(0);
  star.SetDec(0);
  star.SetMagnitude(1);
  star.SetColor(clWhite);
  // RA 0 at declination 0 lies on local +Z: look that way.
  f.camera->Direction().SetVector(0, 0, 1);
  f.Draw("star");
  EXPECT_GE(f.LitTotal(), 1);
  EXPECT_LE(f.LitTotal(), 4) << "a star is a point, not a patch";
}

TEST(RenderDummyCube, InvisibleUnlessVisibleAtRunTime) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  auto* cube = f.scene->Objects().CreateChild<TGLDummyCube>();
  cube->SetCubeSize(4);
  f.Draw();
  EXPECT_EQ(f.LitTotal(), 0);
  cube->SetVisibleAtRunTime(true);
  f.Draw("dummy_cube");
  EXPECT_GT(f.LitTotal(), 20);
  EXPECT_EQ(f.At(kW / 2, kH / 2).sum(), 0) << "a wire frame: the middle stays empty";
}

TEST(RenderSprite, FacesTheCameraFromAnySide) {
  RenderFixture f(kW, kH);
  auto* sprite = f.scene->Objects().CreateChild<TGLSprite>();
  sprite->SetSize(2, 2);
  sprite->Material().SetMaterialOptions(moNoLighting);
  // Seen from the side the sprite still shows its full width.
  f.camera->Position().SetPoint(10, 0, 0);
  f.camera->Direction().SetVector(-1, 0, 0);
  f.Draw("sprite_side");
  int side = f.Lit(0, kH / 2, kW, kH / 2 + 1);
  f.camera->Position().SetPoint(0, 0, 10);
  f.camera->Direction().SetVector(0, 0, -1);
  f.Draw();
  int front = f.Lit(0, kH / 2, kW, kH / 2 + 1);
  EXPECT_GT(side, 20);
  EXPECT_NEAR(side, front, 2);
}

TEST(RenderActor, DrawnInTheFramesPose) {
  RenderFixture f(kW, kH);
  look_down_z(f, 40);
  auto* actor = f.scene->Objects().CreateChild<TGLActor>();
  actor->Material().SetMaterialOptions(moNoLighting);
  std::string model =
      "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\n"
      "triangles\nnull.bmp\n0 -1 -1 0 0 0 1 0 0\n0 1 -1 0 0 0 1 1 0\n0 1 1 0 0 0 1 1 1\n"
      "null.bmp\n0 -1 -1 0 0 0 1 0 0\n0 1 1 0 0 0 1 1 1\n0 -1 1 0 0 0 1 0 1\nend\n";
  std::string anim =
      "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\n"
      "time 1\n0 6 0 0 0 0 0\nend\n";
  actor->LoadFromBytes("box.smd", std::vector<uint8_t>(model.begin(), model.end()));
  actor->AppendFromBytes("box_anim.smd", std::vector<uint8_t>(anim.begin(), anim.end()));
  actor->SetReference(aarSkeleton);
  actor->SelectAnimation("box_anim");
  actor->Material().SetFaceCulling(fcNoCull);
  f.Draw("actor_frame0");
  int at_start = screen_x(f, 0, 40), at_end = screen_x(f, 6, 40), half = screen_x(f, 3, 40);
  EXPECT_GT(f.At(at_start, kH / 2).sum(), 600);
  EXPECT_EQ(f.At(at_end, kH / 2).sum(), 0);
  actor->SetCurrentFrame(actor->EndFrame());
  f.Draw("actor_frame1");
  EXPECT_EQ(f.At(at_start, kH / 2).sum(), 0) << "the bone carried the mesh away";
  EXPECT_GT(f.At(at_end, kH / 2).sum(), 600);
  // Half way between the frames under linear interpolation.
  actor->SetCurrentFrame(actor->StartFrame());
  actor->SetCurrentFrameDelta(0.5f);
  f.Draw();
  EXPECT_GT(f.At(half, kH / 2).sum(), 600);
  EXPECT_EQ(f.At(at_end + 3, kH / 2).sum(), 0);
}

TEST(RenderContext, ANewContextGetsItsTexturesAgain) {
  RenderFixture f(kW, kH);
  look_down_z(f, 10);
  TGLFreeForm* square = make_square(f, f.scene->Objects(), 1);
  TGLTexture& t = square->Material().Texture();
  t.Image().Assign(picture(1, 1, {0xFF00FFFF}));
  t.SetTextureMode(tmReplace);
  t.SetDisabled(false);
  f.Draw();
  EXPECT_EQ(f.At(kW / 2, kH / 2).g, 0);
  // Switching the viewer off and on replaces the GL context.
  f.viewer->SetFullScreen(false);
  f.viewer->SetFullScreen(true);
  f.Draw();
  Pixel p = f.At(kW / 2, kH / 2);
  EXPECT_EQ(p.r, 255);
  EXPECT_EQ(p.g, 0) << "the texture was uploaded into the new context";
}
