// The content generator's heavier steps: building a level's walls, painting an atlas,
// encoding music and making the whole working directory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>

#include "content/build.h"
#include "content/file_mp3.h"
#include "content/levels.h"
#include "content/textures.h"

static void BM_BuildWallsLevel1(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(content::build_walls(content::level_walls(1)));
}
BENCHMARK(BM_BuildWallsLevel1)->Unit(benchmark::kMillisecond);

static void BM_PaintRockAtlas(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(content::rock_atlas());
}
BENCHMARK(BM_PaintRockAtlas)->Unit(benchmark::kMillisecond);

// Ten seconds of stereo at 44.1 kHz and 160 kbit/s.
static void BM_EncodeMp3TenSeconds(benchmark::State& state) {
  std::vector<float> l(441000), r(441000);
  for (size_t i = 0; i < l.size(); ++i) {
    l[i] = static_cast<float>(0.4 * std::sin(i * 0.031));
    r[i] = static_cast<float>(0.4 * std::sin(i * 0.047));
  }
  for (auto _ : state) benchmark::DoNotOptimize(content::encode_mp3(l, r, 44100, 160));
}
BENCHMARK(BM_EncodeMp3TenSeconds)->Unit(benchmark::kMillisecond);

// The whole build on the two workers the command uses.
static void BM_FullBuild(benchmark::State& state) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "karmund-content-bench";
  for (auto _ : state) content::build(dir.string(), 2);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FullBuild)->Unit(benchmark::kMillisecond)->Iterations(1);
