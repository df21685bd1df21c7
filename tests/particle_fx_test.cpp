// Particle managers fed by source effects, without drawing: the source's remainder rule and
// dispersion, ageing at the last life colour, life colours, the polygon shape, the renderer's
// list and the source's stored form.
#include "engine/particle_fx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/dummy_cube.h"
#include "engine/random.h"
#include "platform/error.h"

namespace {

struct SourceScene {
  TComponent form;
  TGLScene* scene = make_owned<TGLScene>(&form);
  TGLDummyCube* object = scene->Objects().CreateChild<TGLDummyCube>();
  TGLPolygonPFXManager* manager = make_owned<TGLPolygonPFXManager>(&form);
  TGLSourcePFXEffect* source = &object->Effects().Add<TGLSourcePFXEffect>();
  SourceScene() { source->SetManager(manager); }
};

}  // namespace

TEST(SourcePFX, FirstParticleOnTheFourthStep) {
  SourceScene s;
  s.source->SetParticleInterval(0.03f);
  double t = 0;
  for (int i = 1; i <= 3; ++i) {
    t += 0.02;
    s.object->Progress({0.02, t});
    EXPECT_EQ(s.manager->ParticleCount(), 0) << "nothing on step " << i;
  }
  t += 0.02;
  s.object->Progress({0.02, t});
  ASSERT_EQ(s.manager->ParticleCount(), 1) << "remainder 0.08 > 0.06: one particle";
  EXPECT_NEAR(s.source->TimeRemainder(), 0.05, 1e-6) << "one interval stays in reserve";
  EXPECT_DOUBLE_EQ(s.manager->Particles(0).CreationTime, t);
}

TEST(SourcePFX, LongStepsEmitSeveral) {
  SourceScene s;
  s.source->SetParticleInterval(0.125f);
  s.object->Progress({1.05, 1.05});
  // trunc((1.05 − 0.125) / 0.125) = 7 particles, the rest kept.
  EXPECT_EQ(s.manager->ParticleCount(), 7);
  EXPECT_NEAR(s.source->TimeRemainder(), 0.175, 1e-9);
}

TEST(SourcePFX, NoManagerOrNoIntervalEmitsNothing) {
  SourceScene s;
  s.source->SetParticleInterval(0);
  s.object->Progress({1.0, 1.0});
  EXPECT_EQ(s.manager->ParticleCount(), 0);
  s.source->SetParticleInterval(-0.1f);
  s.object->Progress({1.0, 2.0});
  EXPECT_EQ(s.manager->ParticleCount(), 0) << "a negative interval never fills its reserve";
  s.source->SetParticleInterval(0.1f);
  s.source->SetManager(nullptr);
  s.object->Progress({1.0, 3.0});
  EXPECT_EQ(s.manager->ParticleCount(), 0);
}

TEST(SourcePFX, EmitsEvenWhenItsObjectIsHidden) {
  SourceScene s;
  s.object->SetVisible(false);
  s.object->Progress({1.0, 1.0});
  EXPECT_GT(s.manager->ParticleCount(), 0);
}

TEST(SourcePFX, PlaceAndVelocityWithDispersion) {
  SourceScene s;
  s.object->Position().SetPoint(5, 6, 7);
  s.source->InitialPosition().SetPoint(1, 0, 0);
  s.source->InitialVelocity().SetVector(0, 2, 0);
  s.source->SetPositionDispersion(0.5f);
  s.source->SetVelocityDispersion(0.25f);
  s.source->Burst(3.0, 200);
  ASSERT_EQ(s.manager->ParticleCount(), 200);
  bool spread = false;
  for (int i = 0; i < 200; ++i) {
    const TGLParticle& p = s.manager->Particles(i);
    EXPECT_LE(std::fabs(p.Position.X - 6), 0.5f);
    EXPECT_LE(std::fabs(p.Position.Y - 6), 0.5f);
    EXPECT_LE(std::fabs(p.Position.Z - 7), 0.5f);
    EXPECT_LE(std::fabs(p.Velocity.Y - 2), 0.25f);
    spread = spread || std::fabs(p.Position.X - 6) > 0.3f;
  }
  EXPECT_TRUE(spread) << "the fast mode fills the cube";
  // The isotropic mode keeps to the ball.
  s.manager->ParticleList().clear();
  s.source->SetDispersionMode(sdmIsotropic);
  s.source->Burst(3.0, 200);
  for (int i = 0; i < 200; ++i) {
    TAffineVector d = s.manager->Particles(i).Position - TAffineVector{6, 6, 7};
    EXPECT_LE(length(d), 0.5f + 1e-5f);
  }
}

TEST(SourcePFX, RelativeVelocityTurnsWithTheObject) {
  SourceScene s;
  s.source->InitialVelocity().SetVector(0, 0, 1);
  s.object->TurnBy(90);  // local +Z now points along scene −X
  s.source->Burst(0, 1);
  EXPECT_NEAR(s.manager->Particles(0).Velocity.Z, 1, 1e-6) << "absolute: as given";
  s.source->SetVelocityMode(svmRelative);
  s.source->Burst(0, 1);
  const TGLParticle& p = s.manager->Particles(1);
  EXPECT_NEAR(p.Velocity.X, -1, 1e-5);
  EXPECT_NEAR(p.Velocity.Z, 0, 1e-5);
}

TEST(DynamicPFX, AgesOutAtTheLastLifeColour) {
  SourceScene s;
  s.manager->LifeColors()[0].SetLifeTime(0.2);
  s.source->Burst(0, 1);
  s.manager->Progress({0.1, 0.1});
  EXPECT_EQ(s.manager->ParticleCount(), 1);
  s.manager->Progress({0.1, 0.2});
  EXPECT_EQ(s.manager->ParticleCount(), 0) << "a motor particle lives 0.2 s";
  EXPECT_DOUBLE_EQ(s.manager->CurrentTime(), 0.2);
}

TEST(DynamicPFX, MovesThenAccelerates) {
  SourceScene s;
  s.manager->Acceleration().SetVector(0, -10, 0);
  s.source->InitialVelocity().SetVector(1, 0, 0);
  s.source->Burst(0, 1);
  s.manager->Progress({0.5, 0.5});
  const TGLParticle& p = s.manager->Particles(0);
  EXPECT_NEAR(p.Position.X, 0.5f, 1e-6);
  EXPECT_NEAR(p.Position.Y, 0, 1e-6) << "moved with the old velocity first";
  EXPECT_NEAR(p.Velocity.Y, -5, 1e-6);
}

TEST(LifeColoredPFX, YellowToTransparentBlackOverTheLife) {
  TGLPolygonPFXManager m;
  ASSERT_EQ(m.LifeColors().Count(), 1);
  EXPECT_DOUBLE_EQ(m.LifeColors()[0].LifeTime(), 3) << "a new manager's one life colour";
  m.LifeColors()[0].SetLifeTime(0.2);
  TVector inner, outer;
  m.ParticleColors(0, inner, outer);
  EXPECT_EQ(inner, (TVector{1, 1, 0, 1})) << "born in the manager's yellow";
  EXPECT_EQ(outer, (TVector{0, 0, 0, 0}));
  m.ParticleColors(0.1, inner, outer);
  EXPECT_NEAR(inner.X, 0.5f, 1e-6);
  EXPECT_NEAR(inner.W, 0.5f, 1e-6);
  m.ParticleColors(0.2, inner, outer);
  EXPECT_EQ(inner, (TVector{0, 0, 0, 0})) << "transparent black at the end";
  m.ParticleColors(5, inner, outer);
  EXPECT_EQ(inner, (TVector{0, 0, 0, 0})) << "no colour past the last stop";
}

TEST(LifeColoredPFX, BetweenTwoStops) {
  TGLPolygonPFXManager m;
  m.LifeColors()[0].SetLifeTime(1);
  m.LifeColors()[0].ColorInner().SetColor(1, 0, 0, 1);
  TPFXLifeColor& second = m.LifeColors().Add();
  second.SetLifeTime(3);
  second.ColorInner().SetColor(0, 0, 1, 1);
  TVector inner, outer;
  m.ParticleColors(2, inner, outer);
  EXPECT_NEAR(inner.X, 0.5f, 1e-6);
  EXPECT_NEAR(inner.Z, 0.5f, 1e-6);
  EXPECT_DOUBLE_EQ(m.MaxParticleAge(), 3);
  m.LifeColors().Clear();
  m.ParticleColors(2, inner, outer);
  EXPECT_EQ(inner, m.ColorInner().Color()) << "without life colours: the manager's own";
}

TEST(PolygonPFX, FanOfNbSidesAtParticleSize) {
  SourceScene s;
  s.manager->SetNbSides(12);
  s.manager->SetParticleSize(6);
  s.source->Burst(0, 1);
  std::vector<TGLParticleVertex> tris;
  s.manager->AppendParticle(0, {1, 0, 0}, {0, 1, 0}, tris);
  ASSERT_EQ(tris.size(), 36u) << "12 triangles round the centre";
  for (size_t i = 0; i < tris.size(); i += 3) {
    EXPECT_EQ(tris[i].X, 0);
    EXPECT_FLOAT_EQ(tris[i].R, 1) << "the centre in the inner colour";
    EXPECT_NEAR(std::hypot(tris[i + 1].X, tris[i + 1].Y), 6, 1e-4);
    EXPECT_EQ(tris[i + 1].A, 0) << "the rim in the (transparent) outer colour";
  }
  EXPECT_NEAR(tris[1].Y, 6, 1e-5) << "corner 0 straight up";
  EXPECT_NEAR(tris[35].Y, 6, 1e-5) << "the fan closes";
  s.manager->SetNbSides(1);
  EXPECT_EQ(s.manager->NbSides(), 3);
}

TEST(ParticleFXRenderer, ManagersRegisterAndForgetEachOther) {
  TComponent form;
  auto renderer = std::make_unique<TGLParticleFXRenderer>();
  EXPECT_FALSE(renderer->ZWrite());
  EXPECT_EQ(renderer->BlendingMode(), bmAdditive);
  EXPECT_TRUE(renderer->IsBlended());
  auto a = std::make_unique<TGLPolygonPFXManager>();
  auto b = std::make_unique<TGLPolygonPFXManager>();
  a->SetRenderer(renderer.get());
  b->SetRenderer(renderer.get());
  EXPECT_EQ(renderer->Managers().size(), 2u);
  a.reset();
  EXPECT_EQ(renderer->Managers().size(), 1u);
  renderer.reset();
  EXPECT_EQ(b->Renderer(), nullptr);
}

TEST(SourcePFX, ForgetsAFreedManager) {
  SourceScene s;
  auto own = std::make_unique<TGLPolygonPFXManager>();
  s.source->SetManager(own.get());
  own.reset();
  EXPECT_EQ(s.source->Manager(), nullptr);
  s.object->Progress({1.0, 1.0});  // nothing to emit into, nothing breaks
}

TEST(SourcePFX, StoredFormRoundTrip) {
  SourceScene s;
  s.manager->SetName("motor");
  s.source->SetParticleInterval(0.03f);
  s.source->InitialVelocity().SetVector(1, 2, 3);
  s.source->InitialPosition().SetPoint(4, 5, 6);
  s.source->SetVelocityDispersion(0.5f);
  s.source->SetPositionDispersion(0.25f);
  s.source->SetVelocityMode(svmRelative);
  s.source->SetDispersionMode(sdmIsotropic);
  ByteWriter w;
  s.source->WriteToFiler(w);

  auto* other = s.scene->Objects().CreateChild<TGLDummyCube>();
  TGLSourcePFXEffect& read = other->Effects().Add<TGLSourcePFXEffect>();
  ByteReader r(w.data());
  read.ReadFromFiler(r);
  EXPECT_TRUE(r.at_end());
  EXPECT_FLOAT_EQ(read.ParticleInterval(), 0.03f);
  EXPECT_EQ(read.InitialVelocity().AsVector(), (TVector{1, 2, 3, 0}));
  EXPECT_EQ(read.InitialPosition().AsVector(), (TVector{4, 5, 6, 1}));
  EXPECT_FLOAT_EQ(read.VelocityDispersion(), 0.5f);
  EXPECT_FLOAT_EQ(read.PositionDispersion(), 0.25f);
  EXPECT_EQ(read.VelocityMode(), svmRelative);
  EXPECT_EQ(read.DispersionMode(), sdmIsotropic);
  EXPECT_EQ(read.Manager(), nullptr);
  read.Loaded();
  EXPECT_EQ(read.Manager(), s.manager);
}

namespace {

// A source record of the given own version, with coordinates that carry no values.
std::vector<uint8_t> source_record(int version, bool with_mode = true) {
  ByteWriter w;
  write_tagged_integer(w, 0);
  write_tagged_string(w, "pridej_zbran");
  write_tagged_integer(w, version);
  for (int i = 0; i < 2; ++i) {
    write_tagged_integer(w, 0);
    write_tagged_boolean(w, false);
  }
  w.write_f32(0);
  w.write_f32(0);
  w.write_f32(0.1f);
  write_tagged_integer(w, 0);
  if (with_mode) write_tagged_integer(w, 1);
  return w.data();
}

}  // namespace

TEST(SourcePFX, StoredFormVersions) {
  SourceScene s;
  std::vector<uint8_t> v0 = source_record(0, false);
  ByteReader r0(v0);
  s.source->SetDispersionMode(sdmIsotropic);
  s.source->ReadFromFiler(r0);
  EXPECT_TRUE(r0.at_end());
  EXPECT_EQ(s.source->DispersionMode(), sdmFast) << "version 0 has no dispersion mode";
  EXPECT_EQ(s.source->PendingManagerName(), "pridej_zbran");

  auto expect_error = [&](const std::vector<uint8_t>& bytes, const std::string& text) {
    ByteReader r(bytes);
    try {
      s.source->ReadFromFiler(r);
      ADD_FAILURE() << "expected " << text;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), text);
    }
  };
  expect_error(source_record(2), "Assertion failed: TGLSourcePFXEffect archive version 2");
  std::vector<uint8_t> bad_mode = source_record(1);
  bad_mode.back() = 7;  // dispersion mode 7
  expect_error(bad_mode, "Invalid property value");
  std::vector<uint8_t> cut = source_record(1);
  cut.resize(cut.size() - 6);
  expect_error(cut, "Stream read error");
  std::vector<uint8_t> common = source_record(1);
  common[1] = 3;
  expect_error(common, "TGLSourcePFXEffect : unknown archive version 3");
}
