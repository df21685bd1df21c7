// The wave clips: the wave list's formats and lengths, and looped clips that run round cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "content/file_wav.h"
#include "content/sounds.h"

using namespace content;

TEST(WaveClips, FormatsFollowTheWaveList) {
  const auto& f = clip_formats();
  ASSERT_EQ(f.size(), 11u);
  const char* names[] = {"vybuch", "laser1", "laser2", " laser3", "laser4", "dobij",
                         "zivot",  "voda",   "vitr",   "krypt",   "klap"};
  const bool looped[] = {false, true, true, true, true, false, false, true, true, true, false};
  const int rates[] = {22050, 14300, 14300, 22050, 25300, 22050, 22050, 22050, 22050, 22050, 44100};
  const double secs[] = {1.06, 0.50, 0.42, 0.38, 0.41, 0.87, 1.05, 2.81, 8.79, 4.94, 0.28};
  for (size_t i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f[i].name, names[i]);
    EXPECT_EQ(f[i].looped, looped[i]);
    EXPECT_EQ(f[i].rate, rates[i]);
    EXPECT_NEAR(static_cast<double>(f[i].samples()) / f[i].rate, secs[i], 0.6 / f[i].rate);
  }
}

TEST(WaveClips, SoundLoudEnoughAndNeverClip) {
  for (int i = 0; i < 11; ++i) {
    Signal s = make_clip(i);
    ASSERT_EQ(s.size(), clip_formats()[i].samples()) << "clip " << i;
    double energy = 0;
    float peak = 0;
    for (float v : s) {
      energy += static_cast<double>(v) * v;
      peak = std::max(peak, std::fabs(v));
    }
    EXPECT_LE(peak, 0.95f) << "clip " << i;
    EXPECT_GT(std::sqrt(energy / static_cast<double>(s.size())), 0.03)
        << "clip " << i << " too quiet";
    if (!clip_formats()[i].looped) {
      EXPECT_LT(std::fabs(s.back()), 0.01f) << "one-shot clip " << i << " ends in silence";
    }
  }
}

TEST(WaveClips, LoopedClipsJoinWithoutAClick) {
  for (int i = 0; i < 11; ++i) {
    if (!clip_formats()[i].looped) continue;
    std::vector<int16_t> s = to_pcm16(make_clip(i));
    std::vector<int> steps;
    for (size_t k = 1; k < s.size(); ++k) steps.push_back(std::abs(s[k] - s[k - 1]));
    std::sort(steps.begin(), steps.end());
    int typical = steps[steps.size() * 99 / 100];
    int seam = std::abs(s.front() - s.back());
    EXPECT_LE(seam, std::max(typical, 64)) << "clip " << i << " jumps at its loop point";
  }
}
