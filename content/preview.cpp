// Preview pictures: the levels through a camera like the play camera, lit from above the ship
// as the ship's lamp lights them in the game.
#include "content/preview.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "content/file_png.h"
#include "content/levels.h"
#include "content/pictures.h"
#include "content/raster.h"
#include "content/textures.h"

namespace content {

namespace {

void save(const std::string& path, const Image& img) {
  Bytes b = write_png(img);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

const Image& wall_texture(int level) {
  static const Image rock = rock_atlas(), lair = lair_rock();
  return level == 6 ? lair : rock;
}

}  // namespace

Image render_level(int level, const Mesh& walls, float wx, float wy, float ship_x, float ship_y,
                   int width, int height) {
  View v;
  v.eye = {0, ship_y + 50, -237};
  v.light = {ship_x - 16, ship_y + 135, 119};
  Raster r(width, height, v);
  r.draw(walls, Xform::translate({wx, wy, 0}), &wall_texture(level), rgb(1, 1, 1));
  // The ship's place, as a small marker.
  Image img = r.image();
  float sx = width / 2.0f - (ship_x - v.eye.x) / (407 * v.tan_half_w) * width / 2.0f;
  float sy = height / 2.0f - (ship_y - v.eye.y) / (407 * v.tan_half_h) * height / 2.0f;
  img.circle(sx, sy, 3, rgb(1, 1, 0));
  return img;
}

void write_previews(const std::string& dir) {
  std::filesystem::create_directories(dir);
  save(dir + "/m0.png", rock_atlas());
  save(dir + "/m1.png", glow_atlas());
  Image menu(4 * 256, 2 * 256);
  for (int k = 0; k < 7; ++k) {
    Image p = k < 6 ? level_picture(k + 1) : settings_picture();
    menu.paste(p, (k % 4) * 256, (k / 4) * 256);
  }
  save(dir + "/m8_m14.png", menu);
  // Wall positions along each timeline and a ship place there.
  struct Shot {
    float wx, wy, sx, sy;
  };
  const std::vector<std::vector<Shot>> shots = {
      {{-400, 0, 100, 54},
       {0, 0, 60, 60},
       {200, 0, 60, 20},
       {600, 0, 0, 60},
       {1000, 0, 0, 60},
       {1560, 0, 40, 60},
       {1900, 0, 0, 60},
       {2300, 0, 0, 60},
       {2410, 0, 0, 60}},
      {{-380, 0, 100, 80},
       {200, 0, 0, 20},
       {700, 0, 0, 40},
       {1300, 0, 0, 40},
       {1796, 0, 0, 100},
       {2200, 0, 0, 60}},
      {{-380, -20, 100, 54},
       {-380, 700, 50, 54},
       {-380, 1500, 50, 54},
       {-380, 2400, 50, 54},
       {-380, 2884, 50, 54},
       {200, 2884, 0, 54},
       {720, 2884, 0, 54}},
      {{-400, 0, 50, 164}, {0, 0, 0, 40}, {600, 0, 0, 40}, {1200, 0, 0, 40}, {1780, 0, 0, 40}},
      {{-406, 0, 50, 164}, {-406, -700, 50, 60}, {-406, -1500, 50, 60}, {-406, -2512, 50, 60}},
      {{-300, 0, 100, 54}, {300, 0, 0, 40}, {900, 0, 0, 40}, {1500, 0, 0, 40}, {2100, 0, 0, 40}},
  };
  // A contact sheet: one row a level, pictures at half size.
  Image sheet(9 * 240, 6 * 180, rgb(0.2f, 0.2f, 0.2f));
  for (int level = 1; level <= 6; ++level) {
    Mesh walls = build_walls(level_walls(level));
    int k = 0;
    for (const Shot& s : shots[level - 1]) {
      Image img = render_level(level, walls, s.wx, s.wy, s.sx, s.sy, 480, 360);
      save(dir + "/level" + std::to_string(level) + "_" + std::to_string(k) + ".png", img);
      for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 238; ++x)
          sheet.at(k * 240 + x, (level - 1) * 180 + y) = img.sample(x * 2 + 1, y * 2 + 1);
      ++k;
    }
    std::cout << "level " << level << ": " << walls.tris.size() << " triangles\n";
  }
  save(dir + "/sheet.png", sheet);
}

}  // namespace content
