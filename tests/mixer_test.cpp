// The wave list and the music player through the real SDL2_mixer backend, heard through SDL's
// disk audio driver: the captured file shows which voices sounded, when and how loud.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "content/file_midi.h"
#include "content/file_mp3.h"
#include "content/file_wav.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "sound/dx_sound.h"
#include "sound/media_player.h"
#include "sound/wave_list.h"
#include "tests/sound_form.h"

namespace fs = std::filesystem;

namespace {

constexpr double kDt = 0.01;         // virtual seconds per frame, in step with the capture
constexpr int kCaptureRate = 44100;  // the mixer's rate, stereo 16-bit in the file

// Seconds of white noise at 22050 Hz: a copy delayed by a fraction of a second is uncorrelated
// with the first, so two overlapping copies add up to twice the power of one.
std::vector<uint8_t> noise_wave(double seconds) {
  uint32_t state = 12345;
  std::vector<float> samples(size_t(22050 * seconds));
  for (float& s : samples) {
    state = state * 1664525u + 1013904223u;
    s = 0.25f * (float(state >> 8) / float(1 << 24) * 2.0f - 1.0f);
  }
  return content::write_wav(content::to_pcm16(samples), 22050);
}

void write_file(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// One test's capture: the headless clock at kDt per frame, the sound into a file of its own.
class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = fs::temp_directory_path() /
            ("karmund_mixer_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw");
    fs::remove(file_);
    platform::headless::Config config;
    config.dt = kDt;
    config.render = false;
    platform::headless::configure(config);
    platform::headless::set_audio_capture(file_.string());
  }
  void TearDown() override {
    form_.reset();
    platform::headless::set_audio_capture("");
    for (const char* extension : {".raw", ".mid", ".mp3"})
      fs::remove(fs::path(file_).replace_extension(extension));
  }

  // The form's device and a wave list on it, loaded as the form loads them.
  TDXWaveList& make_list(const std::vector<std::pair<bool, std::vector<uint8_t>>>& waves) {
    form_ = std::make_unique<SoundForm>(waves);
    EXPECT_TRUE(form_->sound->Initialized()) << "the disk driver needs no sound card";
    return *form_->list;
  }

  // Frames up to `frame` (each waits until the capture file has reached its time).
  void until_frame(int64_t frame) {
    while (platform::headless::frame() < frame) platform::pace_frame();
  }

  // The left channel of the whole capture, once the device is closed.
  std::vector<int16_t> captured() {
    form_.reset();
    platform::headless::set_audio_capture("");
    std::ifstream in(file_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> left;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4)
      left.push_back(int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
    return left;
  }

  // A sounding stretch of the capture: from its first loud sample to its last one before
  // `gap_ms` of quiet (noise at this level is never quiet that long).
  struct Span {
    size_t begin = 0, end = 0;
    double seconds() const { return double(end - begin) / kCaptureRate; }
  };
  static Span sounding(const std::vector<int16_t>& s, size_t from = 0, int gap_ms = 20) {
    Span span{s.size(), s.size()};
    size_t quiet = 0;
    for (size_t i = from; i < s.size(); ++i) {
      if (std::abs(int(s[i])) > 500) {
        if (span.begin == s.size()) span.begin = i;
        span.end = i + 1;
        quiet = 0;
      } else if (span.begin != s.size() && ++quiet > ms(gap_ms)) {
        break;
      }
    }
    return span;
  }

  // Mean square of samples [a, b).
  static double power(const std::vector<int16_t>& s, size_t a, size_t b) {
    double sum = 0;
    for (size_t i = a; i < b && i < s.size(); ++i) sum += double(s[i]) * double(s[i]);
    return b > a ? sum / double(b - a) : 0.0;
  }

  static size_t ms(int milliseconds) { return size_t(milliseconds) * kCaptureRate / 1000; }

  fs::path file_;
  std::unique_ptr<SoundForm> form_;
};

}  // namespace

TEST_F(MixerTest, OverlappingRequestsSoundAsTwoVoicesAndAFinishedCopyIsReused) {
  TDXWaveList& list = make_list({{false, noise_wave(0.5)}});  // a "vybuch"
  TDXWaveListItem& vybuch = list.Items(0);
  until_frame(5);
  list.playWave(0);
  until_frame(20);  // 0.15 s later, while the first still sounds
  list.playWave(0);
  EXPECT_EQ(vybuch.CopyCount(), 2);
  EXPECT_TRUE(vybuch.CopyPlaying(0));
  EXPECT_TRUE(vybuch.CopyPlaying(1));
  until_frame(85);  // both over (at 0.55 s and 0.7 s), with a margin for the device's buffer
  EXPECT_FALSE(vybuch.Playing());
  until_frame(90);
  list.playWave(0);
  EXPECT_EQ(vybuch.CopyCount(), 2) << "a finished copy must be reused, not a new one made";
  EXPECT_TRUE(vybuch.CopyPlaying(0));
  until_frame(100);

  const std::vector<int16_t> s = captured();
  const Span run = sounding(s);
  ASSERT_LT(run.begin, s.size()) << "nothing sounded in the capture";
  // The first copy fills [begin, begin + clip), the second ends the stretch: it started at
  // end - clip, about 0.15 s after the first (a busy machine may take the second one later).
  const size_t clip = size_t(0.5 * kCaptureRate);
  EXPECT_GT(run.seconds(), 0.53) << "two copies, 0.15 s apart, make one 0.65 s stretch";
  EXPECT_LT(run.seconds(), 0.85);
  ASSERT_GT(run.end, run.begin + clip + ms(30));
  const size_t second = run.end - clip;
  ASSERT_LT(second, run.begin + clip - ms(100)) << "the copies must overlap";
  const double one = power(s, run.begin + ms(10), second - ms(10));
  const double both = power(s, second + ms(10), run.begin + clip - ms(10));
  const double alone = power(s, run.begin + clip + ms(10), run.end - ms(10));
  ASSERT_GT(one, 1e5) << "the first copy is in the capture";
  EXPECT_GT(both / one, 1.6) << "two voices overlap: their noise adds to twice the power";
  EXPECT_LT(both / one, 2.5);
  EXPECT_GT(alone / one, 0.6) << "the second copy sounds on alone";
  EXPECT_LT(alone / one, 1.5);
  // The reused copy sounds again after the quiet.
  const Span again = sounding(s, run.end);
  EXPECT_LT(again.begin, s.size()) << "the third request was heard";
}

TEST_F(MixerTest, LoopedItemRestartedNeverDoubles) {
  TDXWaveList& list = make_list({{true, noise_wave(0.1)}});  // an ambient loop
  TDXWaveListItem& loop = list.Items(0);
  until_frame(5);
  list.playWave(0);
  until_frame(25);  // in its third round
  list.playWave(0);
  list.playWave(0);
  EXPECT_EQ(loop.CopyCount(), 0) << "a loop is one voice, never a list of copies";
  EXPECT_TRUE(loop.Playing());
  until_frame(45);
  list.stopWave(0);
  EXPECT_FALSE(loop.Playing());
  until_frame(70);

  const std::vector<int16_t> s = captured();
  // From the first sound to the last: a restart is a stop and a start, and a busy machine may
  // mix some quiet between them.
  const Span run = sounding(s, 0, 1000);
  ASSERT_LT(run.begin, s.size()) << "nothing sounded in the capture";
  EXPECT_GT(run.seconds(), 0.3) << "the first request to stopWave is 0.4 s";
  EXPECT_LT(run.seconds(), 0.65);
  EXPECT_GT(s.size(), run.end + ms(100)) << "stopWave silenced the loop for good";
  // Never two voices at once: no 50 ms stretch is much louder than the first.
  const double first = power(s, run.begin + ms(5), run.begin + ms(55));
  ASSERT_GT(first, 1e5);
  for (size_t at = run.begin + ms(5); at + ms(55) < run.end; at += ms(50)) {
    const double p = power(s, at, at + ms(50));
    EXPECT_LT(p / first, 1.4) << "a second voice at " << double(at - run.begin) / kCaptureRate
                              << " s into the loop";
  }
}

TEST_F(MixerTest, MidiAndMp3NotifyOnceAtTheirNaturalEnd) {
  if (!platform::file_exists("/usr/share/sounds/sf2/TimGM6mb.sf2"))
    GTEST_SKIP() << "MIDI needs the timgm6mb-soundfont package";
  const fs::path mid = fs::path(file_).replace_extension(".mid");
  const fs::path mp3 = fs::path(file_).replace_extension(".mp3");
  content::MidiTrack track;
  track.tempo(0, 120);
  track.note(0, 60, 9, 42, 100);  // a hi-hat: it dies away at once, where a piano rings on
  track.end_at(120);              // an eighth of a second
  write_file(mid, content::write_midi({track}, 480));
  std::vector<float> tone(44100 / 4);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.3f * std::sin(float(i) * 0.0627f);
  write_file(mp3, content::encode_mp3(tone, tone, 44100, 128));

  // A do-nothing timer keeps the dispatcher from declaring the run stalled.
  platform::start_timer(platform::register_message([](uint32_t, uint32_t) {}));
  TMediaPlayer player;
  std::vector<TMPNotifyValues> values;
  player.OnNotify = [&](TComponent*) { values.push_back(player.NotifyValue()); };
  // Frames until one notification came, and then some more to show no second one follows.
  auto play_to_the_end = [&](const fs::path& path) -> double {
    values.clear();
    player.SetFileName(path.string());
    player.Open();
    player.Play();
    const int64_t start = platform::headless::frame();
    while (values.empty() && platform::headless::frame() - start < 500) {
      platform::pace_frame();
      platform::process_messages();
    }
    const double heard = double(platform::headless::frame() - start) * kDt;
    for (int i = 0; i < 20; ++i) {
      platform::pace_frame();
      platform::process_messages();
    }
    return heard;
  };

  // FluidSynth lets the last notes ring for two seconds before the piece ends.
  const double midi = play_to_the_end(mid);
  ASSERT_EQ(values.size(), 1u) << "one Play of the MIDI piece, one notification";
  EXPECT_EQ(values[0], nvSuccessful);
  EXPECT_GT(midi, 0.125) << "not before the tune had played";
  const double mp3_heard = play_to_the_end(mp3);
  ASSERT_EQ(values.size(), 1u) << "one Play of the MP3 piece, one notification";
  EXPECT_EQ(values[0], nvSuccessful);
  EXPECT_GT(mp3_heard, 0.15);
  player.Close();
}
