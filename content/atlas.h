// Where the shared library textures keep their pieces. The big pictures ("m0", "m1") are atlases
// of 128-pixel tiles whose lower half mirrors the upper half, so a tile is found whichever way
// up the renderer reads texture rows.
#pragma once

#include "content/mesh.h"

namespace content {

// m0, the rock and metal atlas.
enum RockTile {
  kTileCanyon,     // level 1 walls
  kTileCliff,      // level 1 back cliff
  kTileSeabed,     // level 2
  kTileCrypt,      // level 3 brick
  kTileHall,       // level 4 plates
  kTileShaft,      // level 5 concrete
  kTileMachine,    // cannon, propeller, fans, bomber, door
  kTileAlienHide,  // level 6 aliens and pieces
};
// m1, the glowing atlas drawn additively.
enum GlowTile {
  kGlowStripes,   // the rollers
  kGlowPlankton,  // sea decoration
  kGlowRunes,     // crypt decoration
  kGlowLamps,     // hall and shaft lights
  kGlowRing,      // shaft ring
  kGlowSlime,     // lair floor
  kGlowCrystal,   // glowing stones
  kGlowEye,       // the final monster's crown
};

constexpr int kAtlasSize = 512;
constexpr int kAtlasTile = 128;

// The texture rectangle of tile k (0..7), inset by half a texel.
inline UvRect atlas_tile(int k) {
  float col = static_cast<float>(k % 4), row = static_cast<float>(k / 4);
  float e = 0.5f / kAtlasSize;
  // Rows are counted from the top; the picture's bottom rows repeat them mirrored.
  float v_top = 1.0f - row * 0.25f;
  return {col * 0.25f + e, v_top - 0.25f + e, col * 0.25f + 0.25f - e, v_top - e};
}

}  // namespace content
