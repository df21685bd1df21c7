// The headless run's sound capture: with a capture file the voices go through the real mixer
// and SDL's disk driver, so a run's sound can be heard or measured afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "content/file_wav.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

TEST(AudioCapture, VoicesReachTheCaptureFile) {
  const fs::path file =
      fs::temp_directory_path() / ("karmund_capture_" + std::to_string(::getpid()) + ".raw");
  fs::remove(file);
  platform::headless::Config config;
  config.render = false;
  platform::headless::configure(config);
  platform::headless::set_audio_capture(file.string());

  ASSERT_TRUE(platform::audio_open()) << "the disk driver needs no sound card";
  std::vector<float> tone(22050 / 4);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.5f * std::sin(float(i) * 0.1f);
  platform::Chunk chunk =
      platform::audio_load_wave(content::write_wav(content::to_pcm16(tone), 22050));
  ASSERT_GE(chunk, 0);
  platform::Voice voice = platform::audio_play(chunk, false, 1.0f, 0.0f, 0);
  ASSERT_GE(voice, 0);
  EXPECT_TRUE(platform::audio_playing(voice));
  // The disk driver writes in real time.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  platform::audio_stop(voice);
  platform::headless::set_audio_capture("");
  platform::headless::configure(config);

  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 4096u) << "a quarter second of 44.1 kHz stereo was written";
  int loud = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    int16_t sample = int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
    if (std::abs(sample) > 1000) ++loud;
  }
  EXPECT_GT(loud, 1000) << "the tone is in the capture, not silence";
  fs::remove(file);
}

TEST(AudioCapture, ARunKeepsToTheWallClockSoTheFileLastsItsVirtualTime) {
  const fs::path dir =
      fs::temp_directory_path() / ("karmund_capture_run_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  const fs::path file = dir / "sound.raw";
  // 12 frames of 0.125 s: 1.5 s of game, far more than the frames take to compute.
  const std::string command = std::string(KARMUND_HEADLESS_EXE) + " --workdir " + dir.string() +
                              " --frames 12 --dt 0.125 --audio " + file.string() + " 2>" +
                              (dir / "stderr.txt").string();
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(std::system(command.c_str()), 0);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const double seconds = double(fs::file_size(file)) / (44100.0 * 4);
  fs::remove_all(dir);
  // The driver's clock runs within a few per cent of the wall clock.
  EXPECT_GT(wall, 1.4) << "each frame waits until the device has played up to it";
  // The disk driver sleeps between its writes and so falls a little behind real time; a run
  // that did not wait would leave a third of this.
  EXPECT_GT(seconds, 1.5 * 0.8) << "the capture holds the whole virtual run";
  EXPECT_LT(seconds, 1.5 + 1.5) << "and ends with it (the game's own tidying up is in the tail)";
}
