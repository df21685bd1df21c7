// The sky dome's bands (clamping and the rebuild on every change) and the star scatter.
#include "engine/sky_dome.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/random.h"

TEST(SkyDomeBands, NewDomeHasTwoBands) {
  TGLSkyDome sky;
  ASSERT_EQ(sky.Bands().Count(), 2);
  EXPECT_FLOAT_EQ(sky.Bands()[0].StartAngle(), 0);
  EXPECT_FLOAT_EQ(sky.Bands()[0].StopAngle(), 15);
  EXPECT_EQ(sky.Bands()[0].Slices(), 12);
  EXPECT_EQ(sky.Bands()[0].Stacks(), 1);
  EXPECT_FLOAT_EQ(sky.Bands()[1].StartAngle(), 15);
  EXPECT_FLOAT_EQ(sky.Bands()[1].StopAngle(), 90);
  EXPECT_EQ(sky.Bands()[1].Stacks(), 4);
  EXPECT_EQ(sky.Options(), 0u);
  EXPECT_EQ(sky.Stars().Count(), 0);
}

TEST(SkyDomeBands, AnglesClampAndPushEachOther) {
  TGLSkyDome sky;
  TSkyDomeBand& band = sky.Bands()[0];  // 0..15
  band.SetStopAngle(120);
  EXPECT_FLOAT_EQ(band.StopAngle(), 90) << "clamped to 90";
  band.SetStartAngle(-100);
  EXPECT_FLOAT_EQ(band.StartAngle(), -90) << "clamped to -90";

  band.SetStartAngle(-10);
  band.SetStopAngle(0);
  band.SetStartAngle(30);
  EXPECT_FLOAT_EQ(band.StartAngle(), 30);
  EXPECT_FLOAT_EQ(band.StopAngle(), 30) << "StartAngle above StopAngle raises StopAngle";
  band.SetStopAngle(-20);
  EXPECT_FLOAT_EQ(band.StopAngle(), -20);
  EXPECT_FLOAT_EQ(band.StartAngle(), -20) << "StopAngle below StartAngle lowers StartAngle";

  // The form's order of setting (−10..0 on a band that was 0..15) ends where it should.
  TSkyDomeBand& second = sky.Bands()[1];  // 15..90
  second.SetStartAngle(0);
  second.SetStopAngle(10);
  EXPECT_FLOAT_EQ(second.StartAngle(), 0);
  EXPECT_FLOAT_EQ(second.StopAngle(), 10);
}

TEST(SkyDomeBands, SlicesAndStacksHaveFloors) {
  TGLSkyDome sky;
  TSkyDomeBand& band = sky.Bands()[0];
  band.SetSlices(2);
  EXPECT_EQ(band.Slices(), 3);
  band.SetSlices(-5);
  EXPECT_EQ(band.Slices(), 3);
  band.SetSlices(20);
  EXPECT_EQ(band.Slices(), 20);
  band.SetStacks(0);
  EXPECT_EQ(band.Stacks(), 1);
  band.SetStacks(7);
  EXPECT_EQ(band.Stacks(), 7);
}

TEST(SkyDomeBands, EveryChangeRebuildsTheDome) {
  TGLSkyDome sky;
  TSkyDomeBand& band = sky.Bands()[0];
  uint64_t r = sky.BandsRevision();
  band.SetSlices(12);
  EXPECT_EQ(sky.BandsRevision(), r) << "an unchanged value is no change";
  band.SetSlices(20);
  EXPECT_GT(sky.BandsRevision(), r);
  r = sky.BandsRevision();
  band.StartColor().SetRed(0.6471f);
  EXPECT_GT(sky.BandsRevision(), r) << "a colour component is a band change too";
  r = sky.BandsRevision();
  sky.Bands().Add();
  EXPECT_GT(sky.BandsRevision(), r);
  r = sky.BandsRevision();
  sky.Bands().Clear();
  EXPECT_GT(sky.BandsRevision(), r);
  EXPECT_EQ(sky.Bands().Count(), 0);
}

TEST(SkyDomeStars, ScatterUsesTheSharedGenerator) {
  TGLSkyDome sky;
  SetRandSeed(0);
  sky.Stars().ScatterStars(2, clWhite, false);
  ASSERT_EQ(sky.Stars().Count(), 2);
  // Draws from state 0: 1, 134775814, 3698175007, 870078620 (each × 2^-32).
  double u1 = 1 / 4294967296.0, u2 = 134775814 / 4294967296.0;
  double u3 = 3698175007 / 4294967296.0, u4 = 870078620 / 4294967296.0;
  const double rad = 180 / 3.14159265358979323846;
  EXPECT_NEAR(sky.Stars()[0].Dec(), std::asin(2 * u1 - 1) * rad, 1e-4);
  EXPECT_NEAR(sky.Stars()[0].RA(), u2 * 360 - 180, 1e-4);
  EXPECT_NEAR(sky.Stars()[1].Dec(), std::asin(2 * u3 - 1) * rad, 1e-4);
  EXPECT_NEAR(sky.Stars()[1].RA(), u4 * 360 - 180, 1e-4);
  EXPECT_FLOAT_EQ(sky.Stars()[0].Magnitude(), 3);
  EXPECT_EQ(sky.Stars()[1].Color(), clWhite);

  uint64_t r = sky.StarsRevision();
  sky.Stars().ScatterStars(1000, 0x00FF00, true);
  EXPECT_EQ(sky.Stars().Count(), 1002);
  EXPECT_GT(sky.StarsRevision(), r);
  for (int i = 2; i < sky.Stars().Count(); ++i) {
    ASSERT_GE(sky.Stars()[i].Dec(), 0) << "upper half only";
    ASSERT_LE(sky.Stars()[i].Dec(), 90);
    ASSERT_GE(sky.Stars()[i].RA(), -180);
    ASSERT_LT(sky.Stars()[i].RA(), 180);
  }
  sky.Stars().ScatterStars(0, clWhite, false);
  EXPECT_EQ(sky.Stars().Count(), 1002);
}
