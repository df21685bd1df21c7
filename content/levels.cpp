// The six levels' walls. Each map is written in the walls' coordinates: the ship sits at its
// screen place minus the walls' position, so as the walls scroll towards +X (or along Y on
// levels 3 and 5) the ship travels towards -X (or down, or up) through the map. The numbers below
// follow the level timelines: where each level starts and stops, where the enemies come in at
// which heights, where the cannon and the monsters rise, and what the ship's probes reach.
#include "content/levels.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "content/atlas.h"
#include "content/build.h"
#include "content/file_3ds.h"
#include "content/noise.h"

namespace content {
namespace {

// Low, smooth wobble in [-1, 1] along one coordinate.
float wobble(float t, float wavelength, uint32_t seed) {
  return fbm2(t / wavelength, 0.37f, 2, seed);
}

// Rock below a floor line and above a ceiling line.
float floor_rock(float y, float floor_y) { return y - floor_y; }
float ceiling_rock(float y, float ceiling_y) { return ceiling_y - y; }

// Carves open space out of rock: `open` < 0 inside the carved shape.
float carve(float rock, float open) { return std::max(rock, -open); }

// ----- Level 1: a wind-swept canyon. The ship starts at x 500 and flies to about x -2400.
// Aliens cross at heights 34..84 while the walls are at 600..1300 and 1700..2200 (x -2450..-350),
// so that band stays open there; the cannon rises from a pit at x -1656, the monster climbs out of
// a pit at x -2600 towards +x and fights in the low arena beyond it, where its barrels fly down to
// -130 and up to 200.
float rock1(float x, float y) {
  const uint32_t seed = 101;
  float fl = profile({{-2900, -150},
                      {-2080, -150},
                      {-1980, -80},
                      {-1760, -90},
                      {-1300, -90},
                      {-1200, -62},
                      {-1000, -85},
                      {-820, -58},
                      {-600, -90},
                      {-420, -70},
                      {-300, -95},
                      {300, -90},
                      {900, -90}},
                     x) +
             7 * wobble(x, 110, seed) + 3 * wobble(x, 29, seed + 1);
  float s = floor_rock(y, fl);
  // Start stretch: a spire to climb over, a rock bridge to dive under, another spire.
  s = smin(s, sd_capsule2(x, y, {150, -130}, {138, 4}, 26), 18);
  s = std::min(s, sd_capsule2(x, y, {-40, 330}, {-62, 96}, 30));
  s = std::min(s, sd_box2(x, y, -60, 300, 110, 60));
  s = smin(s, sd_capsule2(x, y, {-262, -130}, {-246, 14}, 24), 18);
  // A squeeze between a ledge and a hanging rock.
  s = smin(s, sd_box2(x, y, 40, -60, 40, 52) - 8, 14);
  s = std::min(s, sd_capsule2(x, y, {48, 330}, {40, 122}, 26));
  // Arches over the alien stretches, high enough to leave the aliens' band.
  s = std::min(s, sd_box2(x, y, -630, 250, 90, 95) - 12);
  s = std::min(s, sd_box2(x, y, -1130, 262, 80, 105) - 12);
  s = std::min(s, sd_box2(x, y, -1960, 258, 70, 100) - 12);
  // Low boulders, under the aliens' band.
  s = smin(s, sd_capsule2(x, y, {-905, -100}, {-890, -35}, 20), 14);
  s = smin(s, sd_capsule2(x, y, {-1905, -100}, {-1890, -30}, 18), 14);
  // Pits for the cannon and the monster.
  s = carve(s, sd_box2(x, y, -1656, -230, 50, 150) - 6);
  s = carve(s, sd_box2(x, y, -2560, -250, 150, 140) - 10);
  // The canyon's ends.
  s = std::min(s, (x + 2860) + 20 * wobble(y, 60, seed + 2));
  s = std::min(s, (880 - x) + 20 * wobble(y, 60, seed + 3));
  return s;
}

// ----- Level 2: under water. Start at x 480, end near x -2320. Leapers jump out of the sea bed
// at -95 ahead of the ship while the walls are at 0..1300 (x -1800..-150) and arc up to about
// 110 on their way towards +x, so the bed lies below -100 up to x 100 and the coral there ends
// above 130; the propeller turns at x -1796 around height 26 with blades of 100; the monster
// rises through a trench under the last stretch.
float rock2(float x, float y) {
  const uint32_t seed = 202;
  float fl =
      profile({{-2700, -100}, {-1850, -108}, {200, -108}, {330, -40}, {440, -95}, {960, -95}}, x) +
      4 * wobble(x, 90, seed) + 2 * wobble(x, 25, seed + 1);
  float ce = profile({{-2700, 200},
                      {-2000, 200},
                      {-1900, 210},
                      {-1700, 210},
                      {-1600, 185},
                      {-150, 190},
                      {0, 195},
                      {960, 200}},
                     x) +
             6 * wobble(x, 70, seed + 2);
  float s = std::min(floor_rock(y, fl - 4), ceiling_rock(y, ce));
  // Coral hanging from the roof: deep in the start stretch, shallower where leapers arc.
  s = smin(s, sd_capsule2(x, y, {210, 220}, {196, 72}, 24), 16);
  s = smin(s, sd_capsule2(x, y, {-420, 220}, {-430, 160}, 22), 16);
  s = smin(s, sd_capsule2(x, y, {-980, 220}, {-975, 158}, 20), 16);
  s = smin(s, sd_capsule2(x, y, {-1380, 220}, {-1395, 160}, 22), 16);
  s = smin(s, sd_capsule2(x, y, {-2500, 220}, {-2490, 130}, 24), 16);
  // The monster's trench.
  s = carve(s, sd_box2(x, y, -2140, -250, 270, 150) - 12);
  s = std::min(s, (x + 2650) + 18 * wobble(y, 50, seed + 3));
  s = std::min(s, (900 - x) + 18 * wobble(y, 50, seed + 4));
  return s;
}

// ----- Level 3: a crypt shaft. The ship goes down the shaft (x 256..543) from y 74 to about
// -2810, then along a corridor to x -844. Stones fall at the ship's own x all the way down, so
// the shaft holds nothing a stone could strike: the right wall stays beyond x 560, where neither
// the ship nor a stone beside it reaches, and the left wall and its ledges keep left of x 236,
// out of the reach of a stone falling at the ship's leftmost place (x 256). The ledges still
// make the ship keep its nose off the left wall as they come up.
float rock3(float x, float y) {
  const uint32_t seed = 303;
  float shaft = sd_box2(x, y, 388, -1100, 186 + 2 * wobble(y, 80, seed), 1900);
  float corridor_floor = -2974 + 5 * wobble(x, 70, seed + 1);
  float corridor =
      sd_box2(x, y, -300, (corridor_floor - 2690) / 2, 910, (-2690 - corridor_floor) / 2);
  float s = -std::min(shaft, corridor);
  // Ledges down the shaft: short ones on the left, buttresses on the right.
  for (int k = 0; k < 8; ++k) {
    float ly = 330 - 380.0f * static_cast<float>(k);
    s = std::min(s, sd_box2(x, y, 196, ly, 30, 22) - 6);                       // reaches x 232
    s = std::min(s, sd_box2(x, y, 606, ly - 190, 36, 30) - 6);                 // from x 564
    s = std::min(s, sd_box2(x, y, 204, ly - 190, 20, 60 + 20 * (k % 3)) - 6);  // reaches 230
  }
  // Tomb blocks and hanging arches in turn along the corridor, where no stones fall, clear of
  // the aliens' band (-2850..-2800, fish shells of about 19).
  for (float tx : {100.0f, -300.0f, -620.0f, -940.0f})
    s = std::min(s, sd_box2(x, y, tx, -2960, 36, 84) - 4);  // up to -2872
  for (float ax : {-110.0f, -460.0f, -780.0f})
    s = std::min(s, sd_box2(x, y, ax, -2690, 36, 82) - 4);  // down to -2776
  return s;
}

// ----- Level 4: an industrial hall. Start at x 450 (high, at 164), end near x -1900. Spiders
// walk at 34 and the bomber hangs at 58, so the band 10..90 stays open from x -1950 to 300.
float rock4(float x, float y) {
  const uint32_t seed = 404;
  float fl = -92 + 2 * wobble(x, 60, seed);
  float ce =
      profile({{-2300, 215}, {-1000, 215}, {-900, 230}, {200, 230}, {300, 240}, {960, 240}}, x);
  float s = std::min(floor_rock(y, fl), ceiling_rock(y, ce));
  // Machines on the floor (tops at -5 or lower) and presses from the roof (down to 110).
  const float floor_blocks[][2] = {{260, -30},  {-150, -12},  {-520, -8},  {-880, -20},
                                   {-1250, -6}, {-1600, -14}, {-1980, -25}};
  for (auto& b : floor_blocks) s = std::min(s, sd_box2(x, y, b[0], -92, 55, b[1] + 92) - 4);
  const float roof_blocks[][2] = {{80, 120},   {-330, 112},  {-700, 125}, {-1060, 110},
                                  {-1250, 98}, {-1430, 118}, {-1800, 124}};
  for (auto& b : roof_blocks) s = std::min(s, sd_box2(x, y, b[0], 240, 42, 240 - b[1]) - 4);
  s = std::min(s, x + 2260);
  s = std::min(s, 900 - x);
  return s;
}

// ----- Level 5: a shaft of fans. The ship climbs from y 164 to about 2670 within x 282..569.
// Barrels fall in the columns 356..456 from as high as 3162 and the fans turn at x 403, heights
// 757, 1782 and 2295; ledges keep out of the band 330..480 and away from the fans.
float rock5(float x, float y) {
  const uint32_t seed = 505;
  float shaft = sd_box2(x, y, 422, 1450, 186 + 5 * wobble(y, 90, seed), 1800);
  float s = -shaft;
  const float ledges[][2] = {{420, 0},  {560, 1},  {1080, 0}, {1320, 1},
                             {1560, 0}, {2050, 1}, {2520, 0}};
  for (auto& l : ledges) {
    if (l[1] == 0)
      s = std::min(s, sd_box2(x, y, 255, l[0], 42, 30) - 6);  // reaches x 303
    else
      s = std::min(s, sd_box2(x, y, 592, l[0], 50, 30) - 6);  // reaches x 536
  }
  // Gates: both walls close in, away from the fans.
  for (float gy : {250.0f, 1000.0f, 1950.0f}) {
    s = std::min(s, sd_box2(x, y, 272, gy, 40, 22) - 6);
    s = std::min(s, sd_box2(x, y, 566, gy, 52, 22) - 6);
  }
  s = std::min(s, y + 330);  // the shaft's floor, far below
  return s;
}

// ----- Level 6: the martians' lair. Start at x 400, end near x -2220. Aliens cross at 34..84
// over x -2050..-250, carriers float at -44 and the barrels they drop rise from -47 over
// x -1810..-640, so the floor's teeth stay below -70; the final monster comes down a wide chimney
// at about x -2070 and fights in the arena below it.
float rock6(float x, float y) {
  const uint32_t seed = 606;
  float fl =
      profile({{-2600, -150}, {-1850, -150}, {-1750, -80}, {-250, -80}, {-150, -92}, {832, -92}},
              x) +
      6 * wobble(x, 80, seed) + 3 * wobble(x, 23, seed + 1);
  float ce = profile({{-2600, 230}, {-1850, 230}, {-1750, 200}, {-250, 205}, {832, 210}}, x) +
             10 * wobble(x, 60, seed + 2);
  float s = smin(floor_rock(y, fl - 6), ceiling_rock(y, ce), 10);
  // Teeth of the lair: a big one to climb over at the start, fangs from the roof.
  s = smin(s, sd_capsule2(x, y, {205, -120}, {195, 8}, 28), 20);
  s = smin(s, sd_capsule2(x, y, {-95, 240}, {-105, 100}, 26), 20);
  s = smin(s, sd_capsule2(x, y, {-110, -120}, {-100, -34}, 24), 16);  // and a tooth under it
  for (float fx : {-560.0f, -1000.0f, -1460.0f})
    s = smin(s, sd_capsule2(x, y, {fx, 240}, {fx - 8, 138}, 20), 18);
  for (float fx : {-820.0f, -1300.0f})
    s = smin(s, sd_capsule2(x, y, {fx, -120}, {fx + 6, -100}, 18), 14);
  // The monster's chimney.
  s = carve(s, sd_box2(x, y, -2066, 420, 230, 260) - 20);
  s = std::min(s, (x + 2560) + 20 * wobble(y, 50, seed + 3));
  s = std::min(s, (800 - x) + 20 * wobble(y, 50, seed + 4));
  return s;
}

}  // namespace

RockField level_rock(int n) {
  switch (n) {
    case 1:
      return rock1;
    case 2:
      return rock2;
    case 3:
      return rock3;
    case 4:
      return rock4;
    case 5:
      return rock5;
    default:
      return rock6;
  }
}

WallSpec level_walls(int n) {
  WallSpec w;
  w.rock = level_rock(n);
  w.seed = static_cast<uint32_t>(n * 7919);
  switch (n) {
    case 1:
      w.x0 = -2944, w.x1 = 960, w.y0 = -384, w.y1 = 384;
      w.wall_uv = w.cap_uv = atlas_tile(kTileCanyon);
      w.back_uv = atlas_tile(kTileCliff);
      // The canyon is open to the sky above its ragged rim.
      w.sky_line = [](float x) { return 230 + 50 * wobble(x, 140, 17) + 12 * wobble(x, 31, 18); };
      break;
    case 2:
      w.x0 = -2752, w.x1 = 960, w.y0 = -448, w.y1 = 384;
      w.wall_uv = w.cap_uv = w.back_uv = atlas_tile(kTileSeabed);
      break;
    case 3:
      w.x0 = -1344, w.x1 = 768, w.y0 = -3136, w.y1 = 832;
      w.wall_uv = w.cap_uv = w.back_uv = atlas_tile(kTileCrypt);
      break;
    case 4:
      w.x0 = -2304, w.x1 = 960, w.y0 = -256, w.y1 = 384;
      w.wall_uv = w.cap_uv = w.back_uv = atlas_tile(kTileHall);
      w.relief = 10;
      break;
    case 5:
      w.x0 = 0, w.x1 = 832, w.y0 = -384, w.y1 = 3328;
      w.wall_uv = w.cap_uv = w.back_uv = atlas_tile(kTileShaft);
      w.relief = 14;
      break;
    default:
      w.x0 = -2624, w.x1 = 896, w.y0 = -320, w.y1 = 704;
      // Level 6 wears its own material (m4), a single repeating texture.
      w.wall_uv = w.cap_uv = w.back_uv = UvRect{0, 0, 1, 1};
      w.relief = 28;
      break;
  }
  return w;
}

const Mesh& level_mesh(int n) {
  static std::once_flag once[6];
  static Mesh meshes[6];
  int i = std::clamp(n, 1, 6) - 1;
  std::call_once(once[i], [i]() { meshes[i] = build_walls(level_walls(i + 1)); });
  return meshes[i];
}

void add_level_products(std::vector<Product>& out) {
  for (int n = 1; n <= 6; ++n)
    out.push_back({"modely/steny" + std::to_string(n) + ".3ds",
                   [n]() { return write_3ds(to_3ds(level_mesh(n), "steny"), {}); }, 8});
}

}  // namespace content
