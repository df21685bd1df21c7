// Baselines of the platform's shared part: decoding a texture-sized bitmap and building the HUD
// font's glyphs, the two costs paid while a level loads.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/platform.h"

namespace {

// A 256 x 256 24-bit bottom-up bitmap, the size of the level textures.
std::vector<uint8_t> sample_bmp() {
  const int side = 256;
  const uint32_t pixels = side * side * 3, offset = 54;
  std::vector<uint8_t> b(offset + pixels, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, offset + pixels);
  put32(10, offset);
  put32(14, 40);
  put32(18, side);
  put32(22, side);
  b[26] = 1;
  b[28] = 24;
  for (size_t i = offset; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 7);
  return b;
}

void BM_DecodeBmp256(benchmark::State& state) {
  std::vector<uint8_t> data = sample_bmp();
  for (auto _ : state) {
    platform::Picture p = platform::decode_bmp(data);
    benchmark::DoNotOptimize(p.rgba.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 256 * 256 * 4);
}
BENCHMARK(BM_DecodeBmp256);

void BM_RasterizeHudFont(benchmark::State& state) {
  for (auto _ : state) {
    platform::FontFace font = platform::rasterize_font("Arial Black", 15, false);
    benchmark::DoNotOptimize(font.glyphs.data());
  }
}
BENCHMARK(BM_RasterizeHudFont)->Unit(benchmark::kMillisecond);

}  // namespace
