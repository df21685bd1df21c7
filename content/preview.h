// Preview pictures for people: each level seen through the play camera at points along its
// timeline, and the library textures, written as PNG files.
#pragma once

#include <string>

#include "content/image.h"
#include "content/mesh.h"

namespace content {

// The level's walls as the play camera sees them with the walls at (wx, wy) and the ship at
// (ship_x, ship_y).
Image render_level(int level, const Mesh& walls, float wx, float wy, float ship_x, float ship_y,
                   int width, int height);
// The level as a player remembers it, through the play camera: its walls round the ship with the
// level's own pieces in play (enemies or monster, the large pieces, the scenery), in the level's
// light. The menu's level pictures; without `pieces` only the walls and the ship.
Image render_level_scene(int level, int width, int height, bool pieces = true);
void write_previews(const std::string& dir);

}  // namespace content
