// Preview pictures: the levels through a camera like the play camera, lit from above the ship
// as the ship's lamp lights them in the game.
#include "content/preview.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "content/build.h"
#include "content/file_3ds.h"
#include "content/file_png.h"
#include "content/levels.h"
#include "content/models.h"
#include "content/pictures.h"
#include "content/raster.h"
#include "content/text.h"
#include "content/textures.h"
#include "engine/actor.h"
#include "engine/mesh.h"

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

// What the engine's reader makes of a file, as a mesh of ours (actors posed at `frame`).
Mesh engine_mesh(TGLBaseMesh& m, int frame) {
  Mesh out;
  const std::vector<TMatrix> pose =
      frame >= 0 ? m.Skeleton().GlobalMatrices(static_cast<size_t>(frame)) : std::vector<TMatrix>{};
  for (const auto& o : m.MeshObjects()) {
    for (const TFaceGroup& g : o->FaceGroups)
      for (size_t c = 0; c + 2 < g.VertexIndices.size(); c += 3) {
        uint32_t ids[3];
        for (int k = 0; k < 3; ++k) {
          int32_t vi = g.VertexIndices[c + static_cast<size_t>(k)];
          TAffineVector p = o->Vertices[static_cast<size_t>(vi)];
          int32_t bone =
              o->Skeletal ? m.Skeleton().BoneIndexByID(o->BoneIds[static_cast<size_t>(vi)]) : -1;
          if (bone >= 0 && static_cast<size_t>(bone) < pose.size()) {
            const TMatrix& bm = pose[static_cast<size_t>(bone)];
            TAffineVector b = o->BindVertices[static_cast<size_t>(vi)];
            p = {b.X * bm[0][0] + b.Y * bm[1][0] + b.Z * bm[2][0] + bm[3][0] + o->PoseOffset.X,
                 b.X * bm[0][1] + b.Y * bm[1][1] + b.Z * bm[2][1] + bm[3][1] + o->PoseOffset.Y,
                 b.X * bm[0][2] + b.Y * bm[1][2] + b.Z * bm[2][2] + bm[3][2] + o->PoseOffset.Z};
          }
          TAffineVector t =
              o->TexCoords.empty()
                  ? TAffineVector{}
                  : o->TexCoords[static_cast<size_t>(g.texcoord_index(c + static_cast<size_t>(k)))];
          ids[k] = out.vertex({p.X, p.Y, p.Z}, {t.X, t.Y});
        }
        out.tri(ids[0], ids[1], ids[2]);
      }
  }
  return out;
}

Image render_object(const Mesh& m, const Image* tex, bool glow, int w, int h, float turn) {
  Bounds b = m.bounds();
  Vec3 c = b.centre();
  float r = std::max(length(b.size()) / 2, 1.0f);
  View v;
  v.eye = {0, 0, -r / 0.3f};
  v.light = {-r * 2, r * 3, -r * 3};
  v.fog_start = 1e6f;
  v.fog_end = 2e6f;
  v.fog = rgb(0.12f, 0.12f, 0.16f);
  Raster ras(w, h, v);
  Xform place = Xform::translate(c * -1.0f).then(Xform::rotate_y(turn)).then(Xform::rotate_x(-15));
  ras.draw(m, place, tex, rgb(1, 1, 1), glow);
  return ras.image();
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

  // The models and actors as the engine reads them, each in its texture.
  static const Image atlas0 = rock_atlas(), atlas1 = glow_atlas(), m2 = alien_metal(),
                     m3 = chitin(), m5 = fish_scales(), m6 = sea_skin(), m7 = martian_skin();
  auto texture_of = [&](const std::string& n, bool& glow) -> Image {
    glow = false;
    Image own = object_texture(n == "sud1" ? "sud1" : n);
    if (own.width()) return own;
    if (n == "koule") return m2;
    if (n == "ryba" || n == "ryba3") return m5;
    if (n == "t4" || n == "trup1" || n == "trup6" || n == "klep1" || n == "pavouk") return m3;
    if (n == "trup2" || n == "celisti" || n == "chapadla") return m6;
    if (n == "martan") return m7;
    if (n == "kamen") return lair_rock();
    if (n == "vrch6" || n == "valec" || n.rfind("ruzne", 0) == 0 || n == "spodky6") {
      glow = n != "ruzne6";
      return glow ? atlas1 : atlas0;
    }
    return atlas0;
  };
  std::vector<std::string> names;
  for (const Model& m : models()) names.push_back(m.name);
  const char* actors[] = {"klep1", "celisti", "chapadla", "ryba", "pavouk", "martan"};
  const int cw = 200, ch = 150, cols = 8;
  int cells = static_cast<int>(names.size()) + 12;
  Image objects(cols * cw, ((cells + cols - 1) / cols) * ch, rgb(0.12f, 0.12f, 0.16f));
  TextStyle label;
  label.size = 12;
  int k = 0;
  auto place_cell = [&](const Image& img, const std::string& title) {
    objects.paste(img, (k % cols) * cw, (k / cols) * ch);
    draw_text(objects, title, static_cast<float>((k % cols) * cw + 4),
              static_cast<float>((k / cols) * ch + 14), label);
    ++k;
  };
  for (const std::string& n : names) {
    if (n.rfind("steny", 0) == 0) continue;
    bool centred = n.rfind("ruzne", 0) != 0 && n != "dvere5";
    TGLFreeForm f;
    if (centred) f.SetAutoCentering(macCenterX | macCenterY | macCenterZ);
    Bytes data = write_3ds(to_3ds(make_model(n), n), {});
    f.LoadFromBytes("modely\\" + n + ".3ds", data);
    bool glow = false;
    Image tex = texture_of(n, glow);
    // Things whose front is +Z are shown as the game turns them: side-on.
    bool turned = n == "ryba" || n == "ryba3" || n == "bonus" || n.rfind("strela", 0) == 0;
    place_cell(render_object(engine_mesh(f, -1), &tex, glow, cw, ch, turned ? 110 : 30), n);
  }
  std::vector<Product> all = all_products();
  auto bytes_of = [&](const std::string& path) {
    for (Product& p : all)
      if (p.path == path) return p.make();
    return Bytes{};
  };
  for (const char* a : actors) {
    TGLActor act;
    act.SetAutoCentering(macCenterX | macCenterY | macCenterZ);
    act.LoadFromBytes(std::string("data\\") + a + ".smd",
                      bytes_of(std::string("data/") + a + ".smd"));
    act.AppendFromBytes(std::string("data\\") + a + "_anim.smd",
                        bytes_of(std::string("data/") + a + "_anim.smd"));
    act.Skeleton().PrepareGlobalMatrices();
    bool glow = false;
    Image tex = texture_of(a, glow);
    int frames = static_cast<int>(act.Skeleton().Frames.size());
    float turn =
        std::string(a) == "ryba" || std::string(a) == "pavouk" || std::string(a) == "martan" ? 110
                                                                                             : 30;
    place_cell(render_object(engine_mesh(act, 1), &tex, false, cw, ch, turn),
               std::string(a) + " 0");
    place_cell(render_object(engine_mesh(act, 1 + (frames - 1) / 2), &tex, false, cw, ch, turn),
               std::string(a) + " half");
  }
  save(dir + "/objects.png", objects);
}

}  // namespace content
