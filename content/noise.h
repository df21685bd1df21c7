// Deterministic value noise for the painter and the modelling helpers: a hash of integer lattice
// points, smooth interpolation, octave sums, and periodic variants for tileable textures.
#pragma once

#include <cstdint>

namespace content {

// Hash of a lattice point into [0, 1).
float lattice(int32_t x, int32_t y, int32_t z, uint32_t seed);
// Smooth noise in [-1, 1]; `period` > 0 wraps the lattice so the noise tiles every `period` units.
float noise2(float x, float y, uint32_t seed, int period = 0);
float noise3(float x, float y, float z, uint32_t seed);
// Octave sums (each octave doubles the frequency, halves the amplitude), normalised to [-1, 1].
float fbm2(float x, float y, int octaves, uint32_t seed, int period = 0);
float fbm3(float x, float y, float z, int octaves, uint32_t seed);

}  // namespace content
