// The six levels' main walls (steny1..steny6): rock maps in the walls' own coordinates, which are
// the level's coordinates, since the walls are loaded without centring.
#pragma once

#include "content/walls.h"

namespace content {

// The wall description of level n (1..6).
WallSpec level_walls(int n);
// The walls' mesh, built once per run and shared (the wall file and the level's picture).
const Mesh& level_mesh(int n);
// The walls' rock field alone (cheap; for pictures and checks).
RockField level_rock(int n);

}  // namespace content
