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
void write_previews(const std::string& dir);

}  // namespace content
