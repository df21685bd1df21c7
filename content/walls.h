// The wall builder: a level's rock is a signed-distance map in the ship's plane (negative inside
// rock); the builder traces its outline, extrudes it in depth into faceted walls that face the
// open space, closes the rock with front caps and hangs a back wall behind the open parts.
#pragma once

#include <functional>

#include "content/mesh.h"

namespace content {

using RockField = std::function<float(float x, float y)>;

struct WallSpec {
  float x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // extent of the map (multiples of 64)
  RockField rock;                        // < 0 inside rock
  UvRect wall_uv, cap_uv, back_uv;       // texture rectangles (one repeat each)
  float cell = 8;                        // outline resolution
  float tile = 64;                       // scene units per texture repeat
  float z_front = 130, z_back = 420;
  float relief = 22;  // displacement of the walls far behind the ship's plane
  uint32_t seed = 1;
  // The back wall's top edge, where it gives way to open sky; none when empty.
  std::function<float(float x)> sky_line;
};

Mesh build_walls(const WallSpec& spec);

// Helpers for writing rock fields.
float smin(float a, float b, float k);  // smooth union
// A piecewise-linear profile through (x, y) keys sorted by x; constant beyond the ends.
float profile(const std::vector<Vec2>& keys, float x);
float sd_box2(float x, float y, float cx, float cy, float hx, float hy);
float sd_capsule2(float x, float y, Vec2 a, Vec2 b, float r);

}  // namespace content
