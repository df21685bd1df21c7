// The shared random generator: the exact sequence from state 0 and the re-seed.
#include "engine/random.h"

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/platform.h"

TEST(RandomGenerator, FirstValuesFromStateZero) {
  SetRandSeed(0);
  // state 1, then 134775813 + 1, then 134775814 · 134775813 + 1 mod 2^32 = 3698175007.
  EXPECT_DOUBLE_EQ(Random(), 1.0 / 4294967296.0);
  EXPECT_EQ(RandSeed(), 1u);
  EXPECT_EQ(Random(100), 3) << "high 32 bits of 134775814 · 100";
  EXPECT_EQ(RandSeed(), 134775814u);
  EXPECT_EQ(Random(100), 86) << "high 32 bits of 3698175007 · 100";
  EXPECT_DOUBLE_EQ(Random(), 870078620 / 4294967296.0);
}

TEST(RandomGenerator, IntegerDrawsStayBelowTheRange) {
  SetRandSeed(0xFFFFFFFFu);
  for (int i = 0; i < 1000; ++i) {
    int32_t v = Random(7);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 7);
    double r = Random();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
  EXPECT_EQ(Random(1), 0);
  EXPECT_EQ(Random(0), 0);
}

TEST(RandomGenerator, RandomizeTakesTheCounter) {
  platform::headless::Config config;
  config.render = false;
  platform::headless::configure(config);
  platform::pace_frame();
  Randomize();
  EXPECT_EQ(RandSeed(), static_cast<uint32_t>(platform::performance_counter()));
  EXPECT_NE(RandSeed(), 0u);
}
