// Fire and polygon particles on offscreen frames: the fire's fans with their life-dependent
// centre and fading rims, hidden behind opaque things but not by each other, and the particle
// renderer's additive polygons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/dummy_cube.h"
#include "engine/fire_fx.h"
#include "engine/mesh.h"
#include "engine/particle_fx.h"
#include "engine/random.h"
#include "tests/render_fixture.h"

namespace {

// Wide enough for two fans of one unit side by side at the longer lens below.
constexpr int kW = 320, kH = 120;
constexpr float kEye = 20;  // the camera on +Z looking at the plane z = 0

void look_down_z(RenderFixture& f) {
  f.camera->Position().SetPoint(0, 0, kEye);
  f.camera->Direction().SetVector(0, 0, -1);
  f.camera->SetDepthOfView(5000);
  f.camera->SetFocalLength(100);  // about 38 pixels to the unit at z = 0
}

// Pixels per scene unit at the plane z.
double pixels_per_unit(const RenderFixture& f, float z = 0) {
  TGLCameraProjection p = f.camera->Projection(kW, kH, 96);
  return 0.5 * kW * p.nearPlane / ((kEye - z) * p.right);
}

// The column whose pixel holds the point (x, 0, z).
int screen_x(const RenderFixture& f, float x, float z = 0) {
  return static_cast<int>(std::floor(kW / 2 + x * pixels_per_unit(f, z)));
}

// The centre alpha of a fire particle, as an 8-bit white additive value on black.
int centre_value(const TFireParticle& p) {
  float alpha = p.Alpha * p.TimeToLive / (p.LifeLength * p.LifeLength);
  return static_cast<int>(std::lround(std::min(alpha, 1.0f) * 255));
}

// A fire that only moves its particles when told: no emission, no drift, white particles and
// a round fan of one unit; particles burst one at a time exactly at the reference.
struct Fire {
  TGLDummyCube* reference;
  TGLFireFXManager* manager;

  Fire(RenderFixture& f, TVector inner = {1, 1, 1, 1}) {
    reference = f.scene->Objects().CreateChild<TGLDummyCube>();
    manager = make_owned<TGLFireFXManager>(&f.form);
    manager->SetReference(reference);
    manager->SetDisabled(true);
    manager->FireDir().SetVector(0, 0, 0);
    manager->SetFireRadius(0);
    manager->SetParticleLife(1);
    manager->SetFireDensity(0.3f);
    manager->SetFireEvaporation(1);
    manager->SetParticleSize(1);
    // The rim in the centre's colour: only the alpha falls off across the fan.
    manager->InnerColor().SetColor(inner);
    manager->OuterColor().SetColor(inner);
    reference->Effects().Add<TGLBFireFX>().SetManager(manager);
  }
  void burst_at(float x, float y, float z) {
    reference->Position().SetPoint(x, y, z);
    manager->IsotropicBurst(0, 0, 1, 1);
  }
};

}  // namespace

TEST(RenderFireFX, CentreFollowsTheLifeAndTheRimFades) {
  SetRandSeed(77);
  RenderFixture f(kW, kH);
  look_down_z(f);
  Fire fire(f);
  fire.burst_at(-2, 0, 0);
  fire.manager->Progress({0.4, 0.4});  // the left one is 0.4 s older
  fire.burst_at(2, 0, 0);
  ASSERT_EQ(fire.manager->ParticleCount(), 2);
  const TFireParticle& old_one = fire.manager->Particles(0);
  const TFireParticle& fresh = fire.manager->Particles(1);
  ASSERT_FLOAT_EQ(old_one.Position.X, -2);
  ASSERT_FLOAT_EQ(fresh.Position.X, 2);
  f.Draw("fire_life");

  int old_x = screen_x(f, -2), fresh_x = screen_x(f, 2), y = kH / 2;
  int old_value = f.At(old_x, y).r, fresh_value = f.At(fresh_x, y).r;
  EXPECT_NEAR(old_value, centre_value(old_one), 4) << "alpha · timeToLive / lifeLength²";
  EXPECT_NEAR(fresh_value, centre_value(fresh), 4);
  EXPECT_LT(old_value, fresh_value) << "a particle near its end is dimmer";

  // From the centre the fan falls off to nothing at one ParticleSize.
  int rim = static_cast<int>(pixels_per_unit(f));
  EXPECT_GT(f.At(fresh_x + rim / 2, y).r, fresh_value / 4);
  EXPECT_LT(f.At(fresh_x + rim / 2, y).r, fresh_value * 3 / 4);
  EXPECT_LE(f.At(fresh_x + rim * 9 / 10, y).r, fresh_value / 5 + 1);
  EXPECT_EQ(f.At(fresh_x + rim + 2, y).sum(), 0) << "nothing beyond the rim";
  EXPECT_EQ(f.At(fresh_x, y - rim - 2).sum(), 0);
  EXPECT_EQ(f.At(kW / 2, y).sum(), 0) << "nothing between the two particles";
}

TEST(RenderFireFX, HiddenBehindOpaqueThingsButNotByEachOther) {
  SetRandSeed(78);
  RenderFixture f(kW, kH);
  look_down_z(f);
  // An opaque square at z = 5 in front of the left half; the fires come after it in the list.
  TGLFreeForm* wall = make_square(f, f.scene->Objects(), 1.5f, {0.5f, 0, 0, 1});
  wall->Position().SetPoint(-1.5f, 0, 5);
  Fire near_fire(f, {1, 0, 0, 1});
  Fire far_fire(f, {0, 1, 0, 1});
  far_fire.burst_at(-2, 0, 0);     // behind the wall
  near_fire.burst_at(1.5f, 0, 5);  // in the open, right in front of the next one
  far_fire.burst_at(2, 0, 0);
  f.Draw("fire_depth");
  int y = kH / 2, hidden_x = screen_x(f, -2), open_x = screen_x(f, 2);
  Pixel behind_wall = f.At(hidden_x, y);
  EXPECT_EQ(behind_wall.g, 0) << "the wall hides the particle behind it";
  EXPECT_NEAR(behind_wall.r, 128, 1) << "and the wall shows unchanged";
  Pixel both = f.At(open_x, y);
  EXPECT_NEAR(both.r, centre_value(near_fire.manager->Particles(0)), 4);
  EXPECT_NEAR(both.g, centre_value(far_fire.manager->Particles(1)), 4)
      << "the nearer particle wrote no depth: the one behind it still shows";

  // With depth writes the nearer fan, drawn first, keeps the farther one out.
  near_fire.manager->SetNoZWrite(false);
  f.Draw();
  both = f.At(open_x, y);
  EXPECT_GT(both.r, 20);
  EXPECT_EQ(both.g, 0);
}

TEST(RenderParticleFX, PolygonParticlesOfEveryManagerAddUp) {
  RenderFixture f(kW, kH);
  look_down_z(f);
  TGLFreeForm* back = make_square(f, f.scene->Objects(), 3, {0.2f, 0.2f, 0.2f, 1});
  back->Position().SetZ(-1);
  auto* renderer = f.scene->Objects().CreateChild<TGLParticleFXRenderer>();
  auto add_manager = [&](TVector inner, float x) {
    auto* m = make_owned<TGLPolygonPFXManager>(&f.form);
    m->SetRenderer(renderer);
    m->ColorInner().SetColor(inner);
    m->SetParticleSize(1);
    m->CreateParticle().Position = {x, 0, 0};
    return m;
  };
  add_manager({0.5f, 0, 0, 1}, 0);
  add_manager({0, 0.5f, 0, 1}, 0);
  f.Draw("pfx_additive");
  Pixel centre = f.At(kW / 2, kH / 2);
  // 0.2 underneath plus 0.5 from each manager's own colour.
  // (Colour and alpha both fall off towards the rim: a pixel's width off the centre shows.)
  EXPECT_NEAR(centre.r, 51 + 128, 6) << "added onto the square, not painted over it";
  EXPECT_NEAR(centre.g, 51 + 128, 6) << "the second manager's particle adds too";
  EXPECT_NEAR(centre.b, 51, 2);
  Pixel outside = f.At(screen_x(f, 1.5f, -1), kH / 2);
  EXPECT_NEAR(outside.r, 51, 2) << "the square alone beyond the particles";
  // As a transparency renderer the last particle covers what is under it instead.
  renderer->SetBlendingMode(bmTransparency);
  f.Draw();
  centre = f.At(kW / 2, kH / 2);
  EXPECT_LT(centre.r, 51 + 10);
}
