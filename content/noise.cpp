// Value noise on an integer lattice; the hash keeps it identical on every run and machine.
#include "content/noise.h"

#include <cmath>

namespace content {
namespace {

uint32_t mix(uint32_t h) {
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

float fade(float t) { return t * t * (3.0f - 2.0f * t); }

int wrap(int v, int period) {
  if (period <= 0) return v;
  int m = v % period;
  return m < 0 ? m + period : m;
}

}  // namespace

float lattice(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  uint32_t h = mix(seed ^ 0x9E3779B9u);
  h = mix(h ^ static_cast<uint32_t>(x));
  h = mix(h ^ static_cast<uint32_t>(y) * 0x85EBCA6Bu);
  h = mix(h ^ static_cast<uint32_t>(z) * 0xC2B2AE35u);
  return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float noise2(float x, float y, uint32_t seed, int period) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = fade(x - fx), ty = fade(y - fy);
  auto at = [&](int dx, int dy) {
    return lattice(wrap(ix + dx, period), wrap(iy + dy, period), 0, seed);
  };
  float a = at(0, 0) + (at(1, 0) - at(0, 0)) * tx;
  float b = at(0, 1) + (at(1, 1) - at(0, 1)) * tx;
  return (a + (b - a) * ty) * 2.0f - 1.0f;
}

float noise3(float x, float y, float z, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
  float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
  auto at = [&](int dx, int dy, int dz) { return lattice(ix + dx, iy + dy, iz + dz, seed); };
  auto plane = [&](int dz) {
    float a = at(0, 0, dz) + (at(1, 0, dz) - at(0, 0, dz)) * tx;
    float b = at(0, 1, dz) + (at(1, 1, dz) - at(0, 1, dz)) * tx;
    return a + (b - a) * ty;
  };
  float p0 = plane(0), p1 = plane(1);
  return (p0 + (p1 - p0) * tz) * 2.0f - 1.0f;
}

float fbm2(float x, float y, int octaves, uint32_t seed, int period) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * noise2(x, y, seed + static_cast<uint32_t>(o) * 101u, period);
    norm += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    if (period > 0) period *= 2;
  }
  return sum / norm;
}

float fbm3(float x, float y, float z, int octaves, uint32_t seed) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * noise3(x, y, z, seed + static_cast<uint32_t>(o) * 101u);
    norm += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    z *= 2;
  }
  return sum / norm;
}

}  // namespace content
