// The library's textures, painted from noise. Every tile repeats seamlessly (the noise lattices
// wrap with the tile), and the atlases mirror their upper half into their lower half.
#include "content/textures.h"

#include <algorithm>
#include <cmath>

#include "content/atlas.h"
#include "content/noise.h"

namespace content {

Cells cellular(float x, float y, int period, uint32_t seed) {
  int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  Cells c{9, 9, 0};
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      int cx = ix + dx, cy = iy + dy;
      int wx = ((cx % period) + period) % period, wy = ((cy % period) + period) % period;
      float fx = static_cast<float>(cx) + lattice(wx, wy, 1, seed);
      float fy = static_cast<float>(cy) + lattice(wx, wy, 2, seed);
      float d = std::hypot(x - fx, y - fy);
      if (d < c.f1) {
        c.f2 = c.f1;
        c.f1 = d;
        c.id = static_cast<uint32_t>(wx * 7919 + wy * 104729) ^ seed;
      } else if (d < c.f2) {
        c.f2 = d;
      }
    }
  return c;
}

namespace {

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float smooth(float a, float b, float v) {
  float t = clamp01((v - a) / (b - a));
  return t * t * (3 - 2 * t);
}
Rgba shade(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

// A tile painter: f(u, v) with u, v in [0, 1) over one repeat.
using TileFn = Rgba (*)(float u, float v);

// ----- m0 tiles

Rgba canyon(float u, float v) {
  float n = fbm2(u * 8, v * 8, 5, 11, 8);
  float strata = std::sin((v + 0.06f * fbm2(u * 4, v * 4, 3, 12, 4)) * 2 * 3.14159f * 5);
  float crack = smooth(0.05f, 0.0f, std::fabs(fbm2(u * 6, v * 6, 4, 13, 6)));
  Rgba sand = rgb(0.80f, 0.58f, 0.38f), dark = rgb(0.50f, 0.30f, 0.20f);
  Rgba c = mix(sand, dark, clamp01(0.45f + 0.35f * n + 0.15f * strata));
  return shade(c, 1.0f - 0.55f * crack +
                      0.1f * lattice(static_cast<int>(u * 128), static_cast<int>(v * 128), 0, 14));
}

Rgba cliff(float u, float v) {
  float n = fbm2(u * 6, v * 6, 5, 21, 6);
  float band = std::sin((v * 9 + 0.5f * n) * 3.14159f * 2);
  Rgba a = rgb(0.55f, 0.32f, 0.22f), b = rgb(0.30f, 0.17f, 0.13f);
  return mix(a, b, clamp01(0.5f + 0.3f * band + 0.3f * n));
}

Rgba seabed(float u, float v) {
  float n = fbm2(u * 8, v * 8, 5, 31, 8);
  float algae = smooth(0.1f, 0.35f, fbm2(u * 4 + 3, v * 4, 4, 32, 4));
  Cells c = cellular(u * 6, v * 6, 6, 33);
  Rgba rock = mix(rgb(0.25f, 0.45f, 0.55f), rgb(0.12f, 0.25f, 0.33f), clamp01(0.5f + 0.4f * n));
  rock = shade(rock, 0.75f + 0.35f * smooth(0.0f, 0.25f, c.f2 - c.f1));
  return mix(rock, rgb(0.25f, 0.65f, 0.30f), algae * 0.8f);
}

Rgba crypt(float u, float v) {
  // Four courses of bricks, two bricks a course, every other course shifted by half.
  float rows = 4, row = std::floor(v * rows);
  float shift = std::fmod(row, 2.0f) * 0.25f;
  float bu = std::fmod(u + shift, 1.0f) * 2, bv = v * rows;
  float fu = bu - std::floor(bu), fv = bv - std::floor(bv);
  float mortar = std::min({fu, 1 - fu, (fv)*0.5f, (1 - fv) * 0.5f});
  float brick_id = lattice(static_cast<int>(std::floor(bu)), static_cast<int>(row), 0, 41);
  float n = fbm2(u * 16, v * 16, 4, 42, 16);
  Rgba stone =
      mix(rgb(0.62f, 0.56f, 0.50f), rgb(0.40f, 0.36f, 0.34f), clamp01(brick_id * 0.7f + 0.3f * n));
  float moss = smooth(0.25f, 0.5f, fbm2(u * 5, v * 5, 3, 43, 5));
  stone = mix(stone, rgb(0.28f, 0.40f, 0.22f), moss * 0.6f);
  return mix(rgb(0.12f, 0.10f, 0.09f), stone, smooth(0.015f, 0.05f, mortar));
}

Rgba hall(float u, float v) {
  float fu = std::fmod(u * 2, 1.0f), fv = std::fmod(v * 2, 1.0f);
  float seam = std::min({fu, 1 - fu, fv, 1 - fv});
  float brushed = fbm2(u * 64, v * 4, 3, 51, 64) * 0.5f + fbm2(u * 8, v * 8, 4, 52, 8) * 0.5f;
  Rgba steel =
      mix(rgb(0.62f, 0.66f, 0.70f), rgb(0.40f, 0.44f, 0.50f), clamp01(0.5f + 0.5f * brushed));
  float rust = smooth(0.2f, 0.5f, fbm2(u * 6, v * 6, 4, 53, 6)) * smooth(0.3f, 0.0f, fv);
  steel = mix(steel, rgb(0.50f, 0.28f, 0.14f), rust * 0.7f);
  float rivet = 1e9f;
  for (float cx : {0.08f, 0.42f, 0.58f, 0.92f})
    for (float cy : {0.08f, 0.42f, 0.58f, 0.92f})
      rivet = std::min(rivet, std::hypot(u - cx, v - cy));
  Rgba c = mix(rgb(0.15f, 0.15f, 0.17f), steel, smooth(0.004f, 0.02f, seam));
  return mix(rgb(0.85f, 0.85f, 0.88f), c, smooth(0.012f, 0.02f, rivet));
}

Rgba shaft(float u, float v) {
  float n = fbm2(u * 10, v * 10, 5, 61, 10);
  float stain = smooth(0.1f, 0.6f, fbm2(u * 12, v * 2, 4, 62, 12)) * 0.5f;
  Rgba concrete = mix(rgb(0.62f, 0.62f, 0.58f), rgb(0.42f, 0.42f, 0.40f), clamp01(0.5f + 0.5f * n));
  concrete = shade(concrete, 1 - stain);
  float fv = std::fmod(v * 2, 1.0f);
  float joint = std::min(fv, 1 - fv);
  concrete = mix(rgb(0.2f, 0.2f, 0.2f), concrete, smooth(0.01f, 0.03f, joint));
  // A band of grating.
  if (std::fabs(u - 0.5f) < 0.12f) {
    float gx = std::fmod(v * 16, 1.0f);
    concrete = mix(concrete, rgb(0.1f, 0.1f, 0.1f), gx < 0.35f ? 0.8f : 0.0f);
  }
  return concrete;
}

Rgba machine(float u, float v) {
  float n = fbm2(u * 12, v * 12, 4, 71, 12);
  Rgba paint = mix(rgb(0.45f, 0.52f, 0.30f), rgb(0.30f, 0.36f, 0.20f), clamp01(0.5f + 0.5f * n));
  float stripe = std::fmod((u + v) * 8, 1.0f) < 0.5f ? 1.0f : 0.0f;
  if (v < 0.18f || v > 0.82f) paint = stripe ? rgb(0.92f, 0.75f, 0.1f) : rgb(0.08f, 0.08f, 0.08f);
  float wear = smooth(0.3f, 0.6f, fbm2(u * 8, v * 8, 4, 72, 8));
  paint = mix(paint, rgb(0.6f, 0.6f, 0.62f), wear * 0.6f);
  float fu = std::fmod(u * 2, 1.0f);
  return mix(rgb(0.1f, 0.1f, 0.1f), paint, smooth(0.01f, 0.04f, std::min(fu, 1 - fu)));
}

Rgba alien_hide(float u, float v) {
  Cells c = cellular(u * 5, v * 5, 5, 81);
  float edge = smooth(0.0f, 0.18f, c.f2 - c.f1);
  float tone = lattice(static_cast<int>(c.id), 0, 0, 82);
  Rgba cell = mix(rgb(0.55f, 0.25f, 0.60f), rgb(0.30f, 0.55f, 0.35f), tone);
  cell = shade(cell, 0.7f + 0.4f * (1 - c.f1));
  return mix(rgb(0.10f, 0.05f, 0.12f), cell, edge);
}

// ----- m1 tiles (black is nothing: the material adds)

Rgba stripes(float u, float v) {
  float s = std::fmod((u * 2 + v * 2), 1.0f);
  float band = smooth(0.0f, 0.08f, s) * smooth(0.45f, 0.37f, s);
  return rgb(0.2f * band, 0.9f * band, 0.8f * band);
}

Rgba plankton(float u, float v) {
  Cells c = cellular(u * 8, v * 8, 8, 91);
  float dot = smooth(0.28f, 0.0f, c.f1) * lattice(static_cast<int>(c.id), 1, 0, 92);
  float haze = 0.15f * clamp01(fbm2(u * 3, v * 3, 3, 93, 3) + 0.3f);
  return rgb(0.1f * dot + 0.1f * haze, 0.7f * dot + 0.4f * haze, 0.9f * dot + 0.5f * haze);
}

Rgba runes(float u, float v) {
  // Glyphs of strokes on a 4 x 4 grid, each cell picking its strokes by hash.
  int gx = static_cast<int>(u * 4), gy = static_cast<int>(v * 4);
  float fu = u * 4 - static_cast<float>(gx), fv = v * 4 - static_cast<float>(gy);
  uint32_t bits = static_cast<uint32_t>(lattice(gx, gy, 0, 101) * 255);
  float d = 1;
  const float seg[6][4] = {{0.25f, 0.2f, 0.25f, 0.8f}, {0.75f, 0.2f, 0.75f, 0.8f},
                           {0.25f, 0.2f, 0.75f, 0.2f}, {0.25f, 0.8f, 0.75f, 0.8f},
                           {0.25f, 0.2f, 0.75f, 0.8f}, {0.5f, 0.2f, 0.5f, 0.8f}};
  for (int k = 0; k < 6; ++k)
    if (bits >> k & 1)
      d = std::min(d, sd_segment(fu, fv, seg[k][0], seg[k][1], seg[k][2], seg[k][3]));
  float glow = smooth(0.12f, 0.02f, d);
  return rgb(1.0f * glow, 0.55f * glow, 0.15f * glow);
}

Rgba lamps(float u, float v) {
  float fu = std::fmod(u * 2, 1.0f) - 0.5f, fv = std::fmod(v * 2, 1.0f) - 0.5f;
  float r = std::hypot(fu, fv);
  float core = smooth(0.18f, 0.05f, r), halo = smooth(0.5f, 0.0f, r) * 0.35f;
  return rgb(core + halo, 0.85f * core + 0.6f * halo, 0.4f * core + 0.1f * halo);
}

Rgba ring_glow(float u, float v) {
  float w = 0.5f + 0.5f * std::sin(v * 3.14159f * 2 * 3);
  float spark = smooth(0.75f, 1.0f, fbm2(u * 16, v * 4, 2, 111, 16) * 0.5f + 0.5f);
  return rgb(0.7f * w + spark, 0.2f * w + spark * 0.6f, 0.9f * w + spark);
}

Rgba slime(float u, float v) {
  float r = 1 - std::fabs(fbm2(u * 5, v * 5, 4, 121, 5));
  float vein = std::pow(clamp01(r), 10.0f);
  return rgb(0.3f * vein, 1.0f * vein, 0.2f * vein);
}

Rgba crystal(float u, float v) {
  Cells c = cellular(u * 4, v * 4, 4, 131);
  float edge = smooth(0.12f, 0.0f, c.f2 - c.f1);
  float face = 0.25f + 0.3f * lattice(static_cast<int>(c.id), 2, 0, 132);
  return rgb(0.3f * face + 0.3f * edge, 0.7f * face + 0.8f * edge, 0.9f * face + edge);
}

Rgba eye_glow(float u, float v) {
  float r = std::hypot(u - 0.5f, v - 0.5f) * 2;
  float iris = smooth(0.9f, 0.3f, r), pupil = smooth(0.25f, 0.18f, r);
  float rays = 0.5f + 0.5f * std::sin(std::atan2(v - 0.5f, u - 0.5f) * 14);
  float k = iris * (0.6f + 0.4f * rays) * (1 - pupil);
  return rgb(1.0f * k, 0.35f * k, 0.05f * k);
}

// Paints the eight tiles into a mirrored atlas.
Image atlas(const TileFn (&tiles)[8]) {
  Image img(kAtlasSize, kAtlasSize);
  for (int k = 0; k < 8; ++k) {
    int ox = (k % 4) * kAtlasTile, oy = (k / 4) * kAtlasTile;
    for (int y = 0; y < kAtlasTile; ++y)
      for (int x = 0; x < kAtlasTile; ++x) {
        float u = (static_cast<float>(x) + 0.5f) / kAtlasTile;
        // The tile's v runs upwards, like the texture coordinates that point at it.
        float v = 1.0f - (static_cast<float>(y) + 0.5f) / kAtlasTile;
        Rgba c = tiles[k](u, v);
        c.a = 1;
        img.at(ox + x, oy + y) = c;
        img.at(ox + x, kAtlasSize - 1 - (oy + y)) = c;
      }
  }
  return img;
}

Image square(int size, Rgba (*f)(float, float)) {
  Image img(size, size);
  img.generate([&](float x, float y) {
    Rgba c = f(x / static_cast<float>(size), 1.0f - y / static_cast<float>(size));
    c.a = 1;
    return c;
  });
  return img;
}

}  // namespace

Image rock_atlas() {
  static const TileFn tiles[8] = {canyon, cliff, seabed, crypt, hall, shaft, machine, alien_hide};
  return atlas(tiles);
}

Image glow_atlas() {
  static const TileFn tiles[8] = {stripes,   plankton, runes,   lamps,
                                  ring_glow, slime,    crystal, eye_glow};
  return atlas(tiles);
}

Image alien_metal() {
  return square(256, [](float u, float v) {
    float n = fbm2(u * 8, v * 8, 4, 141, 8);
    Cells c = cellular(u * 6, v * 6, 6, 142);
    Rgba base = mix(rgb(0.75f, 0.85f, 0.75f), rgb(0.45f, 0.60f, 0.50f), clamp01(0.5f + 0.5f * n));
    float spot = smooth(0.35f, 0.2f, c.f1);
    return mix(base, rgb(0.15f, 0.35f, 0.15f), spot * 0.8f);
  });
}

Image chitin() {
  return square(256, [](float u, float v) {
    float plate = std::fmod(v * 6 + 0.15f * std::sin(u * 6.2832f * 2), 1.0f);
    float n = fbm2(u * 10, v * 10, 4, 151, 10);
    Rgba c =
        mix(rgb(0.95f, 0.70f, 0.35f), rgb(0.60f, 0.30f, 0.12f), clamp01(plate * 0.8f + 0.3f * n));
    return shade(c, 0.6f + 0.4f * smooth(0.0f, 0.12f, plate));
  });
}

Image lair_rock() {
  return square(256, [](float u, float v) {
    Cells c = cellular(u * 6, v * 6, 6, 161);
    float n = fbm2(u * 8, v * 8, 5, 162, 8);
    Rgba flesh = mix(rgb(0.65f, 0.40f, 0.55f), rgb(0.35f, 0.18f, 0.32f), clamp01(0.5f + 0.5f * n));
    float groove = smooth(0.0f, 0.15f, c.f2 - c.f1);
    flesh = shade(flesh, 0.45f + 0.55f * groove);
    float vein = std::pow(clamp01(1 - std::fabs(fbm2(u * 4, v * 4, 3, 163, 4))), 12.0f);
    return mix(flesh, rgb(0.4f, 0.9f, 0.5f), vein * 0.6f);
  });
}

Image fish_scales() {
  return square(256, [](float u, float v) {
    float su = u * 16, sv = v * 16;
    float row = std::floor(sv);
    float off = std::fmod(row, 2.0f) * 0.5f;
    float fu = su + off - std::floor(su + off) - 0.5f, fv = sv - row;
    float d = std::hypot(fu, fv);
    float rim = smooth(0.55f, 0.45f, d);
    float n = fbm2(u * 4, v * 4, 3, 171, 4);
    Rgba c = mix(rgb(0.75f, 0.85f, 0.95f), rgb(0.30f, 0.45f, 0.70f), clamp01(fv * 0.8f + 0.2f * n));
    return shade(c, 0.65f + 0.35f * rim);
  });
}

Image sea_skin() {
  return square(256, [](float u, float v) {
    Cells c = cellular(u * 10, v * 10, 10, 181);
    float n = fbm2(u * 6, v * 6, 4, 182, 6);
    Rgba skin = mix(rgb(0.50f, 0.80f, 0.75f), rgb(0.20f, 0.45f, 0.45f), clamp01(0.5f + 0.6f * n));
    return mix(skin, rgb(0.08f, 0.20f, 0.22f), smooth(0.3f, 0.15f, c.f1) * 0.7f);
  });
}

Image martian_skin() {
  return square(256, [](float u, float v) {
    Cells c = cellular(u * 12, v * 12, 12, 191);
    float bump = smooth(0.6f, 0.0f, c.f1);
    float n = fbm2(u * 5, v * 5, 4, 192, 5);
    Rgba skin = mix(rgb(0.55f, 0.85f, 0.35f), rgb(0.25f, 0.50f, 0.20f), clamp01(0.5f + 0.5f * n));
    return shade(skin, 0.6f + 0.45f * bump);
  });
}

}  // namespace content
