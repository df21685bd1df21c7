// What a sound request costs the frame: playWave with many copies already sounding, and the
// main thread's share of one music notification (post, dispatch, the game's Rewind and Play).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "sound/dx_sound.h"
#include "sound/media_player.h"
#include "sound/wave_list.h"

namespace {

std::vector<uint8_t> one_second_wave() {
  const uint32_t rate = 22050, bytes = rate * 2;
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  auto put = [&out](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  out.insert(out.end(), {'f', 'm', 't', ' '});
  put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put(bytes, 4);
  out.resize(out.size() + bytes, 0x10);
  const uint32_t riff = uint32_t(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(riff >> (8 * i));
  return out;
}

void configure() {
  platform::headless::Config config;
  config.render = false;
  platform::headless::configure(config);
}

// 32 copies of "vybuch" sound at once; each request either recycles the oldest (a limit of 32)
// or, with no limit, reuses the first copy a stop left idle. Neither may add copies.
void BM_PlayWaveWith32CopiesSounding(benchmark::State& state) {
  configure();
  TComponent form;
  auto* sound = new TDXSound(&form);
  auto* list = new TDXWaveList(&form);
  list->SetDXSound(sound);
  TDXWaveListItem& vybuch = list->Add();
  vybuch.SetWave(one_second_wave());
  const bool limited = state.range(0) != 0;
  if (limited) vybuch.SetMaxPlayingCount(32);
  sound->EndLoading();
  for (int i = 0; i < 32; ++i) list->playWave(0);
  for (auto _ : state) {
    if (!limited) {
      state.PauseTiming();
      list->stopWave(0);
      for (int i = 0; i < 31; ++i) list->playWave(0);
      state.ResumeTiming();
    }
    list->playWave(0);
  }
  state.counters["copies"] = double(vybuch.CopyCount());
}
BENCHMARK(BM_PlayWaveWith32CopiesSounding)->Arg(1)->Arg(0)->ArgNames({"limit32"});

// One Stop of a playing piece through to the game's handler having started it again.
void BM_MusicNotification(benchmark::State& state) {
  configure();
  const auto file = std::filesystem::temp_directory_path() / "karmund_bench_menu.mid";
  std::ofstream(file) << "MThd";
  uint32_t keep_alive = platform::register_message([](uint32_t, uint32_t) {});
  platform::start_timer(keep_alive);
  TMediaPlayer hudba;
  hudba.SetFileName(file.string());
  hudba.Open();
  int64_t notified = 0;
  hudba.OnNotify = [&](TComponent*) {
    ++notified;
    hudba.Rewind();
    hudba.Play();
  };
  hudba.Play();
  for (auto _ : state) {
    hudba.Stop();
    platform::process_messages();
  }
  state.counters["notifications"] = double(notified);
  std::filesystem::remove(file);
}
BENCHMARK(BM_MusicNotification);

}  // namespace
