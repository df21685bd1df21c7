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

// The textures the pictures wear, painted once.
struct Textures {
  Image m0 = rock_atlas(), m1 = glow_atlas(), m2 = alien_metal(), m3 = chitin(), m4 = lair_rock(),
        m5 = fish_scales(), m6 = sea_skin(), m7 = martian_skin(), hull = object_texture("lod"),
        barrel = object_texture("sud1"), eyes = object_texture("oci");
};
const Textures& textures() {
  static const Textures t;
  return t;
}

// A model centred as the form centres it on loading.
Mesh centred(const std::string& name) {
  Mesh m = make_model(name);
  m.transform(Xform::translate(m.bounds().centre() * -1.0f));
  return m;
}

// An actor posed at `frame` of its animation, as the engine reads and centres it.
Mesh actor_pose(const std::string& name, int frame) {
  Bytes model, anim;
  make_actor(name, model, anim);
  TGLActor act;
  act.SetAutoCentering(macCenterX | macCenterY | macCenterZ);
  act.LoadFromBytes("data\\" + name + ".smd", model);
  act.AppendFromBytes("data\\" + name + "_anim.smd", anim);
  act.Skeleton().PrepareGlobalMatrices();
  int frames = static_cast<int>(act.Skeleton().Frames.size());
  return engine_mesh(act, frames > 0 ? frame % frames : -1);
}

// A level's scene through a camera like the play camera, the ship at (ship_x, ship_y) and the
// walls at (wx, wy); pieces are placed in the scene's space as the game places them (where they
// would stand out of the picture, a little nearer).
class Stage {
 public:
  Stage(int level, float wx, float wy, float ship_x, float ship_y, int w, int h, Rgba fog,
        Rgba ambient, bool pieces)
      : level_(level),
        pieces_(pieces),
        wx_(wx),
        wy_(wy),
        ship_x_(ship_x),
        ship_y_(ship_y),
        raster_(w, h, view(ship_x, ship_y, fog, ambient)) {}

  void walls() {
    raster_.draw(level_mesh(level_), Xform::translate({wx_, wy_, 0}), &wall_texture(level_),
                 rgb(1, 1, 1));
  }
  void ship() {
    raster_.draw(centred("lod"),
                 Xform::rotate_z(8).then(Xform::translate({ship_x_ - 16, ship_y_ + 1, 170})),
                 &textures().hull, rgb(1, 1, 1));
  }
  void piece(const Mesh& m, Vec3 at, const Xform& turn, const Image& tex, bool glow = false) {
    if (pieces_) raster_.draw(m, turn.then(Xform::translate(at)), &tex, rgb(1, 1, 1), glow);
  }
  // Scenery that follows the walls in the walls' own coordinates.
  void on_walls(const std::string& name, const Image& tex, bool glow) {
    if (pieces_)
      raster_.draw(make_model(name), Xform::translate({wx_, wy_, 0}), &tex, rgb(1, 1, 1), glow);
  }
  Image image() const { return raster_.image(); }

 private:
  static View view(float ship_x, float ship_y, Rgba fog, Rgba ambient) {
    View v;
    // Nearer than the play camera and a little lower, so the pieces read in a small picture.
    v.eye = {0, ship_y + 20, -120};
    v.light = {ship_x - 16, ship_y + 135, 119};
    v.fog = fog;
    v.fog_end = 900;
    v.ambient = ambient;
    return v;
  }
  int level_;
  bool pieces_;
  float wx_, wy_, ship_x_, ship_y_;
  Raster raster_;
};

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

Image render_level_scene(int level, int width, int height, bool pieces) {
  const Textures& t = textures();
  // Enemies face along X as the form turns them (their heads are +Z in the files).
  const Xform side = Xform::rotate_y(90), back = Xform::rotate_y(-90);
  switch (level) {
    case 1: {
      // The canyon at dusk: the walls halted for the cannon, which has risen out of its pit and
      // fires a barrel at the ship while two spiked aliens drift in.
      Stage st(1, 1560.5f, 0, 62, 60, width, height, rgb(0.2f, 0.07f, 0.05f),
               rgb(0.44f, 0.26f, 0.2f), pieces);
      st.walls();
      st.piece(centred("delo"), {-72, 44, 191}, Xform::rotate_z(10), t.m0);
      st.piece(centred("sud1"), {-8, 52, 170}, Xform::rotate_x(30), t.barrel);
      st.piece(centred("koule"), {-50, 128, 175}, Xform::rotate_y(30), t.m2);
      st.piece(centred("koule"), {30, 150, 190}, Xform::rotate_y(70), t.m2);
      st.ship();
      return st.image();
    }
    case 2: {
      // Under water: the propeller turning over the sea bed, kelp glowing, and fish leaping out
      // of the bed at the ship.
      Stage st(2, 1760, 0, 62, 92, width, height, rgb(0.03f, 0.14f, 0.18f), rgb(0.16f, 0.34f, 0.4f),
               pieces);
      st.walls();
      st.on_walls("ruzne2", t.m1, true);
      // Turned a little towards the camera, so its blades show their faces.
      st.piece(centred("vrtule"), {-46, 40, 164}, Xform::rotate_x(35).then(Xform::rotate_y(-50)),
               t.m0);
      st.piece(centred("ryba"), {0, 150, 170}, Xform::rotate_x(-35).then(side), t.m5);
      st.piece(centred("ryba"), {-90, 100, 170}, Xform::rotate_x(-75).then(side), t.m5);
      st.ship();
      return st.image();
    }
    case 3: {
      // Down the crypt's shaft: stones falling at the ship past the rune plaques and torches, a
      // fish in its cage of hoops swimming across.
      Stage st(3, -380, 1500, 62, 54, width, height, rgb(0.06f, 0.04f, 0.02f),
               rgb(0.38f, 0.28f, 0.18f), pieces);
      st.walls();
      st.on_walls("ruzne3", t.m1, true);
      st.piece(centred("kamen"), {55, 150, 170}, Xform::rotate_z(20), t.m4);
      st.piece(centred("kamen"), {-35, 118, 170}, Xform::rotate_x(50), t.m4);
      st.piece(centred("kamen"), {-75, 165, 170}, Xform::rotate_y(70), t.m4);
      st.piece(actor_pose("ryba", 3), {-55, 62, 170}, side, t.m5);
      st.piece(centred("ryba3"), {-55, 60, 170}, side, t.m5);
      st.ship();
      return st.image();
    }
    case 4: {
      // The hall: warning lamps, the bombing machine hanging over the floor with its bomb, a
      // spider carrying a barrel towards the ship and another coming down at it.
      Stage st(4, 1000, 0, 62, 46, width, height, rgb(0.14f, 0.09f, 0.03f),
               rgb(0.46f, 0.34f, 0.16f), pieces);
      st.walls();
      st.piece(centred("ruzne4"), {240, 38, 124}, Xform{}, t.m1, true);
      st.piece(centred("masina"), {-20, 110, 228}, Xform::rotate_y(15), t.m0);
      st.piece(centred("sud1"), {-22, 96, 221}, Xform::rotate_z(90), t.barrel);
      st.piece(actor_pose("pavouk", 2), {-70, 30, 170}, side, t.m3);
      st.piece(centred("t4"), {-70, 39, 170}, side, t.m3);
      st.piece(centred("sud1"), {-52, 44, 170}, Xform::rotate_z(90), t.barrel);
      st.piece(actor_pose("pavouk", 5), {40, 120, 170}, back, t.m3);
      st.piece(centred("t4"), {40, 129, 170}, back, t.m3);
      st.ship();
      return st.image();
    }
    case 5: {
      // Up the cold shaft of fans: a fan turning under the ship, barrels dropping in their
      // columns, the glowing ring round the shaft and the door that closes it above.
      Stage st(5, -406, -2520, 62, 118, width, height, rgb(0.02f, 0.07f, 0.13f),
               rgb(0.16f, 0.28f, 0.5f), pieces);
      st.walls();
      st.on_walls("dvere5", t.m0, false);
      st.piece(centred("ruzne5"), {6, 140, 184}, Xform{}, t.m1, true);
      st.piece(centred("vetrak"), {-20, 100, 213}, Xform::rotate_x(-12).then(Xform::rotate_y(20)),
               t.m0);
      st.piece(centred("sud1"), {0, 165, 170}, Xform::rotate_x(60), t.barrel);
      st.piece(centred("sud1"), {-50, 145, 170}, Xform::rotate_x(20), t.barrel);
      st.piece(centred("sud1"), {-20, 205, 170}, Xform::rotate_z(70), t.barrel);
      st.ship();
      return st.image();
    }
    default: {
      // The martians' lair: slime on the floor, the final monster with its crown coming down, a
      // martian carrying a barrel and an alien drifting in.
      Stage st(6, 2050, 0, 62, 40, width, height, rgb(0.1f, 0.03f, 0.12f), rgb(0.38f, 0.18f, 0.42f),
               pieces);
      st.walls();
      st.piece(centred("spodky6"), {0, 9, 182}, Xform{}, t.m1, true);
      st.piece(centred("trup6"), {-45, 110, 200}, Xform::rotate_y(20), t.m3);
      st.piece(centred("vrch6"), {-45, 76, 200}, Xform::rotate_x(-15), t.m1, true);
      st.piece(actor_pose("martan", 2), {0, 22, 150}, side, t.m7);
      st.piece(centred("sud1"), {-2, 2, 150}, Xform{}, t.barrel);
      st.piece(centred("al6"), {-70, 30, 170}, Xform::rotate_y(40), t.m0);
      st.ship();
      return st.image();
    }
  }
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
