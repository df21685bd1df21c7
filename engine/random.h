// The one random generator of the program, shared by the game and the engine: a 32-bit linear
// congruential state, 0 at start, so a run is repeatable until Randomize is called.
#pragma once

#include <cstdint>

// Each draw first sets state := state × 134775813 + 1 (mod 2^32).
// Integer draw below n: the upper 32 bits of the 64-bit product state × n.
int32_t Random(int32_t n);
// Real draw: state × 2^−32, in [0, 1).
double Random();
// Re-seeds from the low 32 bits of the high-resolution performance counter.
void Randomize();
uint32_t RandSeed();
void SetRandSeed(uint32_t seed);
