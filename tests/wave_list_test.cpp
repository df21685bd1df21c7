// The RIFF WAVE reader, the sound device and the wave list's voice rules on the headless
// output, where a voice sounds for its clip's length in virtual time.
#include "sound/wave_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "sound/dx_sound.h"
#include "tests/sound_form.h"

namespace {

constexpr double kDt = 0.01;  // virtual seconds per paced frame

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put_id(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

// A RIFF WAVE image of `seconds` of a square wave, optionally with a LIST chunk of odd size
// before "fmt " to exercise the chunk padding.
std::vector<uint8_t> make_wave(int rate, double seconds, int channels = 1, int bits = 16,
                               bool odd_chunk = false) {
  const uint32_t frames = uint32_t(rate * seconds);
  const uint32_t block = uint32_t(channels * bits / 8);
  std::vector<uint8_t> out;
  put_id(out, "RIFF");
  put32(out, 0);  // patched below
  put_id(out, "WAVE");
  if (odd_chunk) {
    put_id(out, "LIST");
    put32(out, 3);
    out.insert(out.end(), {'a', 'b', 'c', 0});  // 3 bytes and the pad byte
  }
  put_id(out, "fmt ");
  put32(out, 16);
  put16(out, 1);
  put16(out, uint16_t(channels));
  put32(out, uint32_t(rate));
  put32(out, uint32_t(rate) * block);
  put16(out, uint16_t(block));
  put16(out, uint16_t(bits));
  put_id(out, "data");
  put32(out, frames * block);
  for (uint32_t f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) {
      const bool high = (f / 20) % 2 == 0;
      if (bits == 8)
        out.push_back(high ? 200 : 56);
      else
        put16(out, uint16_t(high ? 8000 : -8000));
    }
  const uint32_t riff = uint32_t(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(riff >> (8 * i));
  return out;
}

void set32(std::vector<uint8_t>& image, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) image[at + i] = uint8_t(v >> (8 * i));
}

std::string decode_error(const std::vector<uint8_t>& image) {
  try {
    platform::decode_wave(image);
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

void advance(double seconds) {
  for (int i = 0, n = int(seconds / kDt + 0.5); i < n; ++i) platform::pace_frame();
}

size_t count_lines(const std::string& prefix) {
  const auto& log = platform::headless::audio_log();
  return size_t(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
    return line.compare(0, prefix.size(), prefix) == 0;
  }));
}

class WaveListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Config config;
    config.dt = kDt;
    config.render = false;
    platform::headless::configure(config);
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The reader

TEST(WaveFile, ReadsPcmFormats) {
  platform::WaveClip mono = platform::decode_wave(make_wave(22050, 1.06));
  EXPECT_EQ(mono.channels, 1);
  EXPECT_EQ(mono.rate, 22050);
  EXPECT_EQ(mono.bits, 16);
  EXPECT_EQ(mono.frames(), int64_t(22050 * 1.06));
  EXPECT_NEAR(mono.seconds(), 1.06, 1e-4);

  platform::WaveClip stereo = platform::decode_wave(make_wave(44100, 0.01, 2, 8, true));
  EXPECT_EQ(stereo.channels, 2);
  EXPECT_EQ(stereo.bits, 8);
  EXPECT_EQ(stereo.frames(), 441);
  EXPECT_EQ(stereo.samples.size(), 882u);
}

TEST(WaveFile, RejectsBadImages) {
  const std::vector<uint8_t> good = make_wave(14300, 0.05);
  EXPECT_EQ(decode_error({}), "Invalid wave data: no RIFF WAVE header");
  auto riff = good;
  riff[8] = 'X';
  EXPECT_EQ(decode_error(riff), "Invalid wave data: no RIFF WAVE header");

  auto tag = good;
  tag[20] = 3;  // IEEE float
  EXPECT_EQ(decode_error(tag), "Invalid wave data: format tag 3 is not PCM (1)");
  auto bits = good;
  bits[34] = 24;
  EXPECT_EQ(decode_error(bits), "Invalid wave data: 24 bits per sample (8 or 16 supported)");
  auto channels = good;
  channels[22] = 3;
  EXPECT_EQ(decode_error(channels), "Invalid wave data: 3 channels (1 or 2 supported)");
  auto align = good;
  align[32] = 4;
  EXPECT_EQ(decode_error(align), "Invalid wave data: block align 4 does not match the format");
  auto short_fmt = good;
  set32(short_fmt, 16, 14);
  EXPECT_NE(decode_error(short_fmt).find("\"fmt \" chunk of 14 bytes"), std::string::npos);
  auto partial = good;
  set32(partial, 40, 3);  // one and a half 16-bit frames
  EXPECT_EQ(decode_error(partial), "Invalid wave data: partial sample frame in \"data\"");
  auto no_data = good;
  no_data[36] = 'D';
  EXPECT_EQ(decode_error(no_data), "Invalid wave data: no \"data\" chunk");
  auto huge = good;
  set32(huge, 40, 0xFFFFFFF0u);  // a data size that would run far past the image
  EXPECT_EQ(decode_error(huge), "Invalid wave data: truncated \"data\" chunk");

  // "data" before "fmt ": swap the order of the two chunks.
  std::vector<uint8_t> swapped = good;
  std::rotate(swapped.begin() + 12, swapped.begin() + 36, swapped.end());
  EXPECT_EQ(decode_error(swapped), "Invalid wave data: \"data\" chunk before \"fmt \"");
}

TEST(WaveFile, EveryTruncationIsRejected) {
  const std::vector<uint8_t> good = make_wave(22050, 0.002, 1, 16, true);
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(size));
    EXPECT_NE(decode_error(cut), "") << "a " << size << "-byte prefix was accepted";
    // The same prefix with its RIFF size made to fit: the chunk sizes must catch it.
    if (size >= 8) {
      set32(cut, 4, uint32_t(size - 8));
      EXPECT_NE(decode_error(cut), "") << "a fitted " << size << "-byte prefix was accepted";
    }
  }
  EXPECT_EQ(decode_error(good), "");
}

// ---------------------------------------------------------------------------------------------
// The device and the list

TEST_F(WaveListTest, DeviceInitialisesAtLoadAndLoadsEveryClip) {
  SoundForm form({{false, make_wave(22050, 1.0)}, {true, make_wave(14300, 0.5)}});
  EXPECT_TRUE(form.sound->Initialized());
  EXPECT_TRUE(form.list->Items(0).Initialized());
  EXPECT_TRUE(form.list->Items(1).Initialized());
  EXPECT_EQ(count_lines("load "), 2u);

  // A wave given after the device came up is loaded at once.
  TDXWaveListItem& late = form.list->Add();
  EXPECT_FALSE(late.Initialized());
  late.SetWave(make_wave(44100, 0.28));
  EXPECT_TRUE(late.Initialized());
}

TEST_F(WaveListTest, BadWaveIsRejectedAndTheOldOneKept) {
  SoundForm form({{false, make_wave(22050, 0.2)}});
  TDXWaveListItem& item = form.list->Items(0);
  const std::vector<uint8_t> before = item.Wave();
  auto bad = before;
  bad.resize(30);
  EXPECT_THROW(item.SetWave(bad), Exception);
  EXPECT_EQ(item.Wave(), before);
  EXPECT_TRUE(item.Initialized());
}

TEST_F(WaveListTest, NoDeviceMeansSilenceAndNoError) {
  platform::headless::set_audio_device(false);
  SoundForm form({{false, make_wave(22050, 1.0)}, {true, make_wave(14300, 0.5)}});
  EXPECT_FALSE(form.sound->Initialized());
  EXPECT_FALSE(form.list->Items(0).Initialized());
  form.list->playWave(0);
  form.list->playWave(1);
  form.list->stopWave(0);
  EXPECT_EQ(form.list->Items(0).CopyCount(), 0);
  EXPECT_FALSE(form.list->Items(1).Playing());
  EXPECT_EQ(count_lines("play"), 0u);
  EXPECT_EQ(count_lines("stop"), 0u);
  // Asked for explicitly, the missing device is an error.
  try {
    form.sound->Initialize();
    FAIL() << "Initialize without a device raised nothing";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Sound device could not be opened");
  }
}

TEST_F(WaveListTest, OverlappingRequestsMakeCopiesAndAFinishedCopyIsReused) {
  SoundForm form({{false, make_wave(22050, 1.06)}});  // "vybuch"
  TDXWaveListItem& vybuch = form.list->Items(0);
  form.list->playWave(0);
  advance(0.1);
  form.list->playWave(0);
  ASSERT_EQ(vybuch.CopyCount(), 2);
  EXPECT_TRUE(vybuch.CopyPlaying(0));
  EXPECT_TRUE(vybuch.CopyPlaying(1));

  advance(1.0);  // 1.10 s: the first has ended, the second sounds on
  EXPECT_FALSE(vybuch.CopyPlaying(0));
  EXPECT_TRUE(vybuch.CopyPlaying(1));
  advance(0.1);  // both over
  EXPECT_FALSE(vybuch.Playing());

  form.list->playWave(0);
  EXPECT_EQ(vybuch.CopyCount(), 2) << "a finished copy must be reused, not a new one made";
  EXPECT_TRUE(vybuch.CopyPlaying(0));
  EXPECT_FALSE(vybuch.CopyPlaying(1));
  const auto& log = platform::headless::audio_log();
  EXPECT_EQ(log.back(), "play channel 0 chunk 0 once volume 1 pan 0 frequency 0");
}

TEST_F(WaveListTest, NoLimitAtZeroAndTheOldestRecycledAtTheLimit) {
  SoundForm form({{false, make_wave(22050, 1.0)}, {false, make_wave(22050, 1.0)}});
  for (int i = 0; i < 40; ++i) form.list->playWave(0);
  EXPECT_EQ(form.list->Items(0).CopyCount(), 40);
  EXPECT_EQ(count_lines("play channel 39 "), 1u) << "forty voices sound at once";

  TDXWaveListItem& limited = form.list->Items(1);
  limited.SetMaxPlayingCount(2);
  form.list->playWave(1);  // copy A at 0.0
  advance(0.1);
  form.list->playWave(1);  // copy B at 0.1
  advance(0.1);
  form.list->playWave(1);  // at the limit: A starts over at 0.2 and moves behind B
  EXPECT_EQ(limited.CopyCount(), 2);
  EXPECT_TRUE(limited.CopyPlaying(0));
  EXPECT_TRUE(limited.CopyPlaying(1));
  advance(0.95);  // 1.15 s: B (from 0.1) is over, A (from 0.2) still sounds
  EXPECT_FALSE(limited.CopyPlaying(0)) << "B should now be first in the list";
  EXPECT_TRUE(limited.CopyPlaying(1)) << "the recycled A should be last";
}

TEST_F(WaveListTest, LoopedItemRestartsAndNeverDoubles) {
  SoundForm form({{true, make_wave(22050, 0.5)}});
  TDXWaveListItem& vitr = form.list->Items(0);
  form.list->playWave(0);
  advance(2.0);  // a loop sounds on past its length
  EXPECT_TRUE(vitr.Playing());
  form.list->playWave(0);
  form.list->playWave(0);
  EXPECT_EQ(vitr.CopyCount(), 0);
  const auto& log = platform::headless::audio_log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[log.size() - 2], "stop channel 0");
  EXPECT_EQ(log.back(), "play channel 0 chunk 0 loop volume 1 pan 0 frequency 0");
  EXPECT_EQ(count_lines("play channel 1 "), 0u) << "a loop must never get a second voice";
  form.list->stopWave(0);
  EXPECT_FALSE(vitr.Playing());
}

TEST_F(WaveListTest, StopSilencesEveryCopyAndASilentItemIsHarmless) {
  SoundForm form({{false, make_wave(22050, 1.0)}, {true, make_wave(22050, 1.0)}});
  form.list->stopWave(0);  // never played: nothing to stop
  form.list->stopWave(1);
  EXPECT_EQ(count_lines("stop"), 0u);

  for (int i = 0; i < 3; ++i) form.list->playWave(0);
  form.list->stopWave(0);
  TDXWaveListItem& item = form.list->Items(0);
  EXPECT_EQ(item.CopyCount(), 3);
  EXPECT_FALSE(item.Playing());
  EXPECT_EQ(count_lines("stop channel"), 3u);
  form.list->stopWave(0);  // again, now silent
  EXPECT_FALSE(item.Playing());
  EXPECT_EQ(count_lines("stop channel 0 (silent)"), 1u);
}

TEST_F(WaveListTest, VolumePanAndFrequencyApplyOnStart) {
  SoundForm form({{false, make_wave(22050, 1.0)}});
  TDXWaveListItem& item = form.list->Items(0);
  item.SetVolume(0.5f);
  item.SetPan(-1.0f);
  item.SetFrequency(11025);  // half the file's rate: twice as long
  form.list->playWave(0);
  EXPECT_EQ(platform::headless::audio_log().back(),
            "play channel 0 chunk 0 once volume 0.5 pan -1 frequency 11025");
  advance(1.5);
  EXPECT_TRUE(item.Playing());
  advance(0.6);
  EXPECT_FALSE(item.Playing());
}

TEST_F(WaveListTest, IndexOutsideTheListRaises) {
  SoundForm form({{false, make_wave(22050, 0.1)}});
  try {
    form.list->playWave(11);
    FAIL() << "playWave(11) on a one-item list raised nothing";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (11)");
  }
  EXPECT_THROW(form.list->stopWave(-1), Exception);
}

TEST_F(WaveListTest, FreeingTheDeviceFirstLeavesTheListSilent) {
  SoundForm form({{false, make_wave(22050, 1.0)}});
  form.list->playWave(0);
  delete form.sound;
  EXPECT_EQ(form.list->DXSound(), nullptr);
  EXPECT_FALSE(form.list->Items(0).Initialized());
  EXPECT_EQ(count_lines("free 0"), 1u);
  form.list->playWave(0);  // silently nothing
  EXPECT_EQ(count_lines("play"), 1u);
}
