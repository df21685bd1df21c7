// The generator's own random numbers: a fixed-seed 64-bit generator, so every build draws the
// same sequence and writes the same bytes.
#pragma once

#include <cstdint>

namespace content {

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

  uint64_t next() {
    // splitmix64: tiny, well mixed, and its output depends only on the seed
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double real() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  // Uniform in [lo, hi).
  double range(double lo, double hi) { return lo + (hi - lo) * real(); }
  // Uniform integer in [0, n).
  uint32_t below(uint32_t n) {
    return static_cast<uint32_t>(((next() >> 32) * static_cast<uint64_t>(n)) >> 32);
  }
  bool chance(double p) { return real() < p; }

 private:
  uint64_t state_;
};

}  // namespace content
