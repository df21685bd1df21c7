// The fire manager's particle pool without drawing: bursts, the pool size, interval emission,
// ageing, the frame clock's list, and the fire effect's link and stored form.
#include "engine/fire_fx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/cadencer.h"
#include "engine/dummy_cube.h"
#include "engine/random.h"
#include "platform/error.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

TProgressTimes step(double dt, double t = 0) { return {dt, t}; }

}  // namespace

TEST(FireFXManager, Defaults) {
  TGLFireFXManager m;
  EXPECT_EQ(m.MaxParticles(), 256);
  EXPECT_FLOAT_EQ(m.ParticleSize(), 1);
  EXPECT_EQ(m.FireDir().AsVector(), (TVector{0, 0.5f, 0, 0}));
  EXPECT_EQ(m.InitialDir().AsVector(), (TVector{0, 1, 0, 0}));
  EXPECT_EQ(m.InnerColor().Color(), (TVector{1, 1, 0, 1}));
  EXPECT_EQ(m.OuterColor().Color(), (TVector{1, 0.5f, 0, 1}));
  EXPECT_FLOAT_EQ(m.FireEvaporation(), 0.86f);
  EXPECT_EQ(m.ParticleLife(), 3);
  EXPECT_FLOAT_EQ(m.ParticleInterval(), 0.1f);
  EXPECT_TRUE(m.UseInterval());
  EXPECT_TRUE(m.NoZWrite());
  EXPECT_FALSE(m.Disabled());
  EXPECT_EQ(m.ParticleCount(), 0);
}

TEST(FireFXBurst, FullPoolTakesNoBurst) {
  TGLFireFXManager m;
  m.SetMaxParticles(10);
  m.IsotropicBurst(1, 2, 1);
  EXPECT_EQ(m.ParticleCount(), 10) << "a negative count fills every free place";
  uint32_t seed = RandSeed();
  m.IsotropicBurst(1, 2, 1, 5);
  EXPECT_EQ(m.ParticleCount(), 10);
  EXPECT_EQ(RandSeed(), seed) << "nothing was drawn for a full pool";
}

TEST(FireFXBurst, CountSpeedPlaceAndLife) {
  TComponent form;
  auto* centre = make_owned<TGLDummyCube>(&form);
  centre->Position().SetPoint(10, 20, 30);
  TGLFireFXManager m;
  m.SetReference(centre);
  m.SetFireRadius(2);
  m.SetParticleLife(4);
  m.SetFireDensity(0.7f);
  m.IsotropicBurst(3, 5, 2, 6);
  ASSERT_EQ(m.ParticleCount(), 6);
  for (int i = 0; i < m.ParticleCount(); ++i) {
    const TFireParticle& p = m.Particles(i);
    float speed = length3(p.Speed);
    EXPECT_GE(speed, 3 - 1e-4f);
    EXPECT_LE(speed, 5 + 1e-4f);
    EXPECT_LE(std::fabs(p.Position.X - 10), 2);
    EXPECT_LE(std::fabs(p.Position.Y - 20), 2);
    EXPECT_LE(std::fabs(p.Position.Z - 30), 2);
    // ParticleLife · (r·0.5 + 0.5) · boost
    EXPECT_GE(p.TimeToLive, 4 * 0.5f * 2);
    EXPECT_LT(p.TimeToLive, 4 * 1.0f * 2);
    EXPECT_EQ(p.LifeLength, p.TimeToLive);
    EXPECT_FLOAT_EQ(p.Alpha, 0.7f);
  }
}

TEST(FireFXBurst, DrawsInTheWrittenOrder) {
  SetRandSeed(1234);
  TGLFireFXManager m;
  m.IsotropicBurst(1, 3, 1, 1);
  SetRandSeed(1234);
  double r[8];
  for (double& v : r) v = Random();
  const TFireParticle& p = m.Particles(0);
  TVector d = normalize3({float(r[0] - 0.5), float(r[1] - 0.5), float(r[2] - 0.5), 0});
  float speed = 1 + float(r[3]) * 2;
  EXPECT_NEAR(p.Speed.X, d.X * speed, 1e-5);
  EXPECT_NEAR(p.Speed.Z, d.Z * speed, 1e-5);
  EXPECT_NEAR(p.Position.X, (2 * r[4] - 1), 1e-5);
  EXPECT_NEAR(p.Position.Z, (2 * r[6] - 1), 1e-5);
  EXPECT_NEAR(p.TimeToLive, 3 * (r[7] * 0.5 + 0.5), 1e-5);
}

TEST(FireFXPool, MaxParticlesKeepsTheFirstOnes) {
  TGLFireFXManager m;
  m.SetMaxParticles(20);
  m.IsotropicBurst(1, 1, 1);
  ASSERT_EQ(m.ParticleCount(), 20);
  TVector fourth = m.Particles(4).Position;
  m.SetMaxParticles(5);
  EXPECT_EQ(m.ParticleCount(), 5);
  EXPECT_EQ(m.Particles(4).Position, fourth);
  m.SetMaxParticles(-3);
  EXPECT_EQ(m.MaxParticles(), 0);
  EXPECT_EQ(m.ParticleCount(), 0);
  m.IsotropicBurst(1, 1, 1);
  EXPECT_EQ(m.ParticleCount(), 0) << "no room in an empty pool";
}

TEST(FireFXPool, ResetFireEmptiesAndRestartsTheInterval) {
  TGLFireFXManager m;
  m.IsotropicBurst(1, 1, 1, 7);
  m.Progress(step(0.05));  // half an interval banked
  m.ResetFire();
  EXPECT_EQ(m.ParticleCount(), 0);
  m.Progress(step(0.06));
  EXPECT_EQ(m.ParticleCount(), 0) << "the banked half interval is gone";
}

TEST(FireFXProgress, IntervalEmissionOnePerInterval) {
  TGLFireFXManager m;
  m.SetParticleLife(100);
  m.Progress(step(0.1));
  int after_first = m.ParticleCount();
  EXPECT_LE(after_first, 1);
  for (int i = 0; i < 9; ++i) m.Progress(step(0.1));
  EXPECT_EQ(m.ParticleCount() - after_first, 9) << "one particle per 0.1 s of steps";
  TGLFireFXManager single;
  single.SetParticleLife(100);
  single.Progress(step(0.35));
  EXPECT_EQ(single.ParticleCount(), 1) << "a long step still emits just one";
  // FireBurst speeds the whole simulation up: 0.1 s counts as 0.2 s.
  TGLFireFXManager burst;
  burst.SetParticleLife(100);
  burst.SetFireBurst(-1);
  burst.Progress(step(0.06));
  EXPECT_EQ(burst.ParticleCount(), 1);
}

TEST(FireFXProgress, WithoutIntervalTheStepFillsThePool) {
  TGLFireFXManager m;
  m.SetMaxParticles(30);
  m.SetUseInterval(false);
  m.Progress(step(0.01));
  EXPECT_EQ(m.ParticleCount(), 30);
}

TEST(FireFXProgress, DisabledAndPaused) {
  TGLFireFXManager m;
  m.SetDisabled(true);
  m.IsotropicBurst(1, 1, 1, 3);
  m.Progress(step(0.5));
  EXPECT_EQ(m.ParticleCount(), 3) << "disabled: the burst lives on, nothing new";
  TVector before = m.Particles(0).Position;
  m.SetPaused(true);
  m.Progress(step(0.5));
  EXPECT_EQ(m.Particles(0).Position, before) << "paused: no simulation at all";
  m.SetPaused(false);
  m.SetParticleInterval(0);
  m.Progress(step(0.5));
  EXPECT_EQ(m.Particles(0).Position, before) << "a zero interval stops it too";
}

TEST(FireFXProgress, ParticlesAgeMoveAndDie) {
  TGLFireFXManager m;
  m.SetDisabled(true);
  m.FireDir().SetVector(0, 0, 0);
  m.SetParticleLife(1);
  m.IsotropicBurst(2, 2, 1, 4);
  TFireParticle p0 = m.Particles(0);
  m.Progress(step(0.25));
  ASSERT_EQ(m.ParticleCount(), 4);
  EXPECT_NEAR(m.Particles(0).TimeToLive, p0.TimeToLive - 0.25f, 1e-6);
  EXPECT_NEAR(m.Particles(0).Position.X, p0.Position.X + p0.Speed.X * 0.25f, 1e-5);
  m.Progress(step(1.0));  // every life is at most 1 s
  EXPECT_EQ(m.ParticleCount(), 0);
}

TEST(FireFXProgress, AccelerationBeforeMovement) {
  TGLFireFXManager m;
  m.SetDisabled(true);
  m.SetParticleLife(10);
  m.IsotropicBurst(0, 0, 1, 1);
  TFireParticle p0 = m.Particles(0);
  m.Progress(step(0.5));
  // speed += FireDir·dt (0, 0.25, 0), then position += speed·dt.
  EXPECT_NEAR(m.Particles(0).Speed.Y, 0.25f, 1e-6);
  EXPECT_NEAR(m.Particles(0).Position.Y, p0.Position.Y + 0.125f, 1e-6);
}

TEST(FireFXProgress, EmissionAroundTheReferenceWithTheCrown) {
  TComponent form;
  auto* centre = make_owned<TGLDummyCube>(&form);
  centre->Position().SetPoint(100, 0, 0);
  TGLFireFXManager m;
  m.SetReference(centre);
  m.SetFireRadius(0);
  m.SetFireCrown(3);
  m.SetUseInterval(false);
  m.SetMaxParticles(8);
  m.Progress(step(0.01));
  ASSERT_EQ(m.ParticleCount(), 8);
  for (int i = 0; i < 8; ++i) {
    const TFireParticle& p = m.Particles(i);
    // A ring of the crown's radius about the Y axis through the reference.
    EXPECT_NEAR(std::hypot(p.Position.X - 100, p.Position.Z), 3, 1e-4);
    EXPECT_NEAR(p.Position.Y, 0, 1e-5);
    EXPECT_EQ(p.Speed, (TVector{0, 1, 0, 0})) << "emitted with InitialDir";
  }
}

TEST(FireFXManager, RegistersWithTheFrameClock) {
  platform::headless::Config config;
  config.render = false;
  platform::headless::configure(config);
  TComponent form;
  auto* cadencer = make_owned<TGLCadencer>(&form);
  cadencer->SetMode(cmManual);
  auto owned = std::make_unique<TGLFireFXManager>();
  TGLFireFXManager* m = owned.get();
  m->SetCadencer(cadencer);
  EXPECT_EQ(cadencer->SubscriberCount(), 1);
  m->SetParticleLife(100);
  for (int i = 0; i < 12; ++i) {
    platform::pace_frame();
    cadencer->Progress();
  }
  EXPECT_GT(m->ParticleCount(), 0) << "the frame clock advanced the manager";
  m->SetCadencer(nullptr);
  EXPECT_EQ(cadencer->SubscriberCount(), 0);
  m->SetCadencer(cadencer);
  owned.reset();  // freed before the clock: the clock forgets it
  EXPECT_EQ(cadencer->SubscriberCount(), 0);
}

TEST(FireFXManager, ForgetsAFreedReference) {
  auto centre = std::make_unique<TGLDummyCube>();
  TGLFireFXManager m;
  m.SetReference(centre.get());
  centre.reset();
  EXPECT_EQ(m.Reference(), nullptr);
  m.IsotropicBurst(1, 1, 1, 1);
  EXPECT_EQ(m.ParticleCount(), 1) << "bursts from the origin";
}

TEST(FireFXEffect, ClientsAndRedrawRequests) {
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* object = scene->Objects().CreateChild<TGLDummyCube>();
  auto m = std::make_unique<TGLFireFXManager>();
  TGLBFireFX& fx = object->Effects().Add<TGLBFireFX>();
  fx.SetManager(m.get());
  ASSERT_EQ(m->Clients().size(), 1u);
  uint64_t changes = scene->ChangeCount();
  m->Progress(step(0.01));
  EXPECT_GT(scene->ChangeCount(), changes) << "the carrying object asks for a new picture";
  m.reset();
  EXPECT_EQ(fx.Manager(), nullptr) << "the effect forgets a freed manager";
  auto* m2 = make_owned<TGLFireFXManager>(&form);
  fx.SetManager(m2);
  object->Effects().Clear();
  EXPECT_TRUE(m2->Clients().empty()) << "a freed effect leaves its manager's list";
}

TEST(FireFXEffect, StoredFormRoundTrip) {
  TComponent form;
  auto* m = make_owned<TGLFireFXManager>(&form);
  m->SetName("raketa_hori");
  auto* object = make_owned<TGLDummyCube>(&form);
  TGLBFireFX& fx = object->Effects().Add<TGLBFireFX>();
  fx.SetManager(m);
  ByteWriter w;
  fx.WriteToFiler(w);

  auto* other = make_owned<TGLDummyCube>(&form);
  TGLBFireFX& read = other->Effects().Add<TGLBFireFX>();
  ByteReader r(w.data());
  read.ReadFromFiler(r);
  EXPECT_TRUE(r.at_end());
  EXPECT_EQ(read.Manager(), nullptr) << "looked up only once the form has loaded";
  EXPECT_EQ(read.PendingManagerName(), "raketa_hori");
  read.Loaded();
  EXPECT_EQ(read.Manager(), m);

  // A manager name the form does not have leaves the effect without one.
  ByteWriter w2;
  write_tagged_integer(w2, 0);
  write_tagged_string(w2, "nobody");
  ByteReader r2(w2.data());
  read.ReadFromFiler(r2);
  read.Loaded();
  EXPECT_EQ(read.Manager(), nullptr);
}

TEST(FireFXEffect, StoredFormBadInput) {
  TComponent form;
  auto* object = make_owned<TGLDummyCube>(&form);
  TGLBFireFX& fx = object->Effects().Add<TGLBFireFX>();
  auto expect_error = [&](const std::vector<uint8_t>& bytes, const char* text) {
    ByteReader r(bytes);
    try {
      fx.ReadFromFiler(r);
      ADD_FAILURE() << "expected " << text;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), text);
    }
  };
  expect_error({vaInt8, 1, vaString, 0}, "TGLBFireFX : unknown archive version 1");
  expect_error({vaInt8, 0, 7, 0}, "Invalid property value");
  expect_error({vaInt8, 0, vaString, 5, 'a'}, "Stream read error");
  expect_error({}, "Stream read error");
}
