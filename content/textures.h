// The library's textures (materials m0 to m7) and the helpers that paint tileable surfaces.
#pragma once

#include "content/image.h"

namespace content {

Image rock_atlas();    // m0
Image glow_atlas();    // m1
Image alien_metal();   // m2: the level 1 aliens
Image chitin();        // m3: claws, spiders, monster bodies
Image lair_rock();     // m4: level 6 walls and the stones
Image fish_scales();   // m5
Image sea_skin();      // m6
Image martian_skin();  // m7

// Cellular noise over a square that repeats every `period` cells: distance to the nearest and
// second nearest feature point (in cell units) and the nearest cell's hash.
struct Cells {
  float f1, f2;
  uint32_t id;
};
Cells cellular(float x, float y, int period, uint32_t seed);

}  // namespace content
