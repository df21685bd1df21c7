// The shared generator's state and draws.
#include "engine/random.h"

#include "platform/platform.h"

namespace {

uint32_t state = 0;

uint32_t next_state() {
  state = state * 134775813u + 1u;  // unsigned: wraps modulo 2^32
  return state;
}

}  // namespace

int32_t Random(int32_t n) {
  uint64_t product = static_cast<uint64_t>(next_state()) * static_cast<uint32_t>(n);
  return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}

double Random() { return static_cast<double>(next_state()) * (1.0 / 4294967296.0); }

void Randomize() { state = static_cast<uint32_t>(platform::performance_counter()); }

uint32_t RandSeed() { return state; }

void SetRandSeed(uint32_t seed) { state = seed; }
