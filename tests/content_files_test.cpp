// The generated working directory and form assets, read back through the engine's and the
// platform's own readers: every file there, every file loads, shapes and formats as the game
// expects them, and a second build gives the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "content/materials.h"
#include "content/preview.h"
#include "content_test_build.h"
#include "engine/actor.h"
#include "engine/material_library.h"
#include "engine/mesh.h"
#include "platform/platform.h"

using content_test::built;
using content_test::file;

namespace {

const char* kCommonMeshes[] = {"lod",    "bonus",   "blok",    "n_zbrane", "n_palivo", "n_energie",
                               "sud1",   "kamen",   "zbran1",  "zbran2",   "zbran3",   "zbran4",
                               "zbran5", "strela1", "strela2", "strela5"};
const char* kLevelMeshes[] = {"steny1", "steny2", "steny3", "steny4", "steny5", "steny6",  "valec",
                              "ruzne2", "ruzne3", "ruzne4", "ruzne5", "dvere5", "spodky6", "koule",
                              "ryba",   "ryba3",  "t4",     "masina", "vetrak", "al6",     "delo",
                              "vrtule", "ruzne6", "oci",    "vrch6",  "trup1",  "trup2",   "trup6"};
const char* kActors[] = {"klep1", "celisti", "chapadla", "ryba", "pavouk", "martan"};

struct Box {
  float min[3] = {1e9f, 1e9f, 1e9f}, max[3] = {-1e9f, -1e9f, -1e9f};
  float size(int a) const { return max[a] - min[a]; }
};

Box bounds(const TGLBaseMesh& m) {
  Box b;
  for (const auto& o : m.MeshObjects())
    for (const TAffineVector& v : o->Vertices)
      for (int a = 0; a < 3; ++a) {
        b.min[a] = std::min(b.min[a], v[a]);
        b.max[a] = std::max(b.max[a], v[a]);
      }
  return b;
}

// Loads a mesh as the form does: centred on all three axes, except the walls and `ruzne`.
std::unique_ptr<TGLFreeForm> load_mesh(const std::string& name, bool centred = true) {
  auto m = std::make_unique<TGLFreeForm>();
  if (centred) m->SetAutoCentering(macCenterX | macCenterY | macCenterZ);
  m->LoadFromBytes("modely\\" + name + ".3ds", file("modely/" + name + ".3ds"));
  return m;
}

}  // namespace

TEST(ContentFiles, EveryFileTheGameLoadsIsThere) {
  std::vector<std::string> wanted = {"data/data.mat", "data/menu1.jpg", "data/menu.mid",
                                     "data/hra.mp3",  "data/volno.dtt", "form/index.txt"};
  for (const char* m : kCommonMeshes) wanted.push_back(std::string("modely/") + m + ".3ds");
  for (const char* m : kLevelMeshes) wanted.push_back(std::string("modely/") + m + ".3ds");
  for (const char* a : kActors) {
    wanted.push_back(std::string("data/") + a + ".smd");
    wanted.push_back(std::string("data/") + a + "_anim.smd");
  }
  std::set<std::string> made;
  for (const content::Product& p : content::all_products()) made.insert(p.path);
  for (const std::string& w : wanted) EXPECT_TRUE(made.count(w)) << w;
  EXPECT_EQ(file("data/volno.dtt"), (std::vector<uint8_t>{'1', '\r', '\n'}));
}

TEST(ContentFiles, RebuildKeepsThePlayersProgress) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("karmund-content-progress-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  auto only_progress = [](const std::string& p) { return p == "data/volno.dtt"; };
  content::build(dir.string(), 1, only_progress);
  EXPECT_EQ(content_test::read(dir / "data/volno.dtt"), (std::vector<uint8_t>{'1', '\r', '\n'}))
      << "a new working directory opens level 1 only";
  std::ofstream(dir / "data/volno.dtt", std::ios::binary) << "4\r\n";
  content::build(dir.string(), 1, only_progress);
  EXPECT_EQ(content_test::read(dir / "data/volno.dtt"), (std::vector<uint8_t>{'4', '\r', '\n'}))
      << "a rebuild keeps the level the player reached";
  std::filesystem::remove_all(dir);
}

TEST(ContentFiles, WorkingDirectoryAndStoredAssetsAreApart) {
  // The working directory gets modely/ and data/ only; the form's assets are compiled in.
  size_t working = 0, stored = 0;
  for (const content::Product& p : content::all_products()) {
    EXPECT_NE(content::in_working_dir(p.path), content::stored_with_form(p.path)) << p.path;
    working += content::in_working_dir(p.path);
    stored += content::stored_with_form(p.path);
  }
  EXPECT_GT(working, 50u);
  EXPECT_GT(stored, 40u);
  EXPECT_TRUE(content::stored_with_form("form/index.txt"));
  for (const content::FormAsset& a : content::form_assets())
    EXPECT_FALSE(content::in_working_dir("form/" + a.file)) << a.file;
  // A build of the working directory's files writes no form/ folder.
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("karmund-content-working-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  content::build(dir.string(), 2, [](const std::string& p) {
    return content::in_working_dir(p) && p.rfind("modely/", 0) != 0 && p != "data/hra.mp3";
  });
  std::set<std::string> top;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    top.insert(e.path().filename().string());
  EXPECT_EQ(top, (std::set<std::string>{"data"}));
  std::filesystem::remove_all(dir);
}

TEST(ContentFiles, FormIndexListsEveryStoredAsset) {
  // Only the stored assets are made for this one.
  content::build(content_test::out_dir().string(), 2,
                 [](const std::string& p) { return p.rfind("form/", 0) == 0; });
  std::vector<uint8_t> idx = file("form/index.txt");
  std::string text(idx.begin(), idx.end());
  std::set<std::string> listed;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    std::string line = text.substr(at, nl - at);
    size_t sp = line.find(' ');
    ASSERT_NE(sp, std::string::npos) << line;
    std::string name = line.substr(0, sp), f = line.substr(sp + 1);
    EXPECT_TRUE(std::filesystem::exists(content_test::out_dir() / "form" / f)) << f;
    listed.insert(name);
    at = nl + 1;
  }
  for (const char* n :
       {"menustart", "menuvrch", "srdce1",  "srdce2", "srdce3", "havarie",  "super",
        "d1",        "d2",       "d3",      "d4",     "d5",     "d6",       "nastav",
        "ex",        "kur",      "kur2",    "lod",    "bonus",  "n_palivo", "n_zbrane",
        "n_energie", "sud1",     "sud2",    "sud3",   "sud4",   "zbran1",   "zbran5",
        "strela1",   "strela4",  "strela5", "oci",    "wave00", "wave10"})
    EXPECT_TRUE(listed.count(n)) << n;
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(content_test::out_dir() / "form"))
    files += e.is_regular_file();
  EXPECT_EQ(files, listed.size() + 1) << "every file but the index is listed";
}

TEST(ContentFiles, PicturesDecodeAtTheirSizes) {
  const std::map<std::string, std::pair<int, int>> sizes = {
      {"data/menu1.jpg", {640, 480}},   {"form/menustart.jpg", {640, 480}},
      {"form/menuvrch.jpg", {640, 76}}, {"form/srdce1.bmp", {35, 25}},
      {"form/havarie.bmp", {156, 26}},  {"form/super.bmp", {100, 59}},
      {"form/d1.bmp", {120, 48}},       {"form/d6.bmp", {120, 48}},
      {"form/nastav.bmp", {85, 30}},    {"form/ex.bmp", {85, 30}},
      {"form/kur.bmp", {30, 30}},       {"form/kur2.bmp", {30, 30}},
      {"form/lod.bmp", {128, 128}},     {"form/sud1.bmp", {128, 128}},
      {"form/oci.bmp", {128, 128}}};
  for (const auto& [path, wh] : sizes) {
    platform::Picture p = platform::decode_picture(file(path));
    EXPECT_EQ(p.width, wh.first) << path;
    EXPECT_EQ(p.height, wh.second) << path;
  }
  // The cursor is drawn with black as transparent: its corners are black, its reticle is not.
  platform::Picture kur = platform::decode_bmp(file("form/kur.bmp"));
  auto px = [&](int x, int y) { return &kur.rgba[(static_cast<size_t>(y) * kur.width + x) * 4]; };
  EXPECT_EQ(px(0, 0)[0] | px(0, 0)[1] | px(0, 0)[2], 0);
  EXPECT_EQ(px(29, 29)[0] | px(29, 29)[1] | px(29, 29)[2], 0);
  EXPECT_GT(px(15, 15)[0], 200) << "the centre dot shows";
}

TEST(ContentFiles, SuperBannerFillsItsWholeRectangle) {
  // The banner is drawn opaque over the play screen: a black border or corner would show there.
  platform::Picture p = platform::decode_bmp(file("form/super.bmp"));
  ASSERT_EQ(p.width, 100);
  ASSERT_EQ(p.height, 59);
  int darkest = 255 * 3;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t* c = &p.rgba[(static_cast<size_t>(y) * p.width + x) * 4];
      int sum = c[0] + c[1] + c[2];
      bool edge = x < 2 || y < 2 || x >= p.width - 2 || y >= p.height - 2;
      if (edge) darkest = std::min(darkest, sum);
    }
  EXPECT_GT(darkest, 60) << "every pixel of the banner's rim is painted";
}

TEST(ContentFiles, LevelPicturesShowEachLevelsOwnPieces) {
  // The menu's level pictures: each level's walls with its enemies, monster and scenery in play,
  // each in a light of its own.
  const int w = 171, h = 128;
  float mean[7][3] = {};
  for (int level = 1; level <= 6; ++level) {
    content::Image with = content::render_level_scene(level, w, h);
    content::Image bare = content::render_level_scene(level, w, h, false);
    int changed = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const content::Rgba &a = with.at(x, y), &b = bare.at(x, y);
        changed += std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b) > 0.15f;
        mean[level][0] += a.r / (w * h), mean[level][1] += a.g / (w * h);
        mean[level][2] += a.b / (w * h);
      }
    std::printf("level %d: pieces cover %.1f%% of the picture, mean colour %.2f %.2f %.2f\n", level,
                100.0 * changed / (w * h), mean[level][0], mean[level][1], mean[level][2]);
    EXPECT_GT(changed, w * h / 40) << "level " << level << " shows its pieces";
  }
  auto apart = [&](int a, int b) {
    return std::hypot(mean[a][0] - mean[b][0], mean[a][1] - mean[b][1], mean[a][2] - mean[b][2]);
  };
  for (int a = 1; a <= 6; ++a)
    for (int b = a + 1; b <= 6; ++b) EXPECT_GT(apart(a, b), 0.03f) << a << " and " << b;
  EXPECT_GT(apart(4, 5), 0.1f) << "the hall and the shaft of fans look alike";
}

TEST(ContentFiles, MaterialLibraryHoldsM0ToM14InOrderWithTextures) {
  TGLMaterialLibrary lib;
  lib.LoadFromBytes(file("data/data.mat"));
  ASSERT_EQ(lib.Materials().Count(), 15);
  const auto& table = content::material_table();
  for (int i = 0; i < 15; ++i) {
    const TGLLibMaterial& item = lib.Materials()[i];
    EXPECT_EQ(item.Name(), "m" + std::to_string(i));
    const TGLMaterial& m = item.Material();
    ASSERT_TRUE(m.HasTexture()) << item.Name();
    const TGLTexture* t = m.TextureIfCreated();
    EXPECT_FALSE(t->Disabled()) << item.Name();
    EXPECT_GE(t->Image().Width(), 256) << item.Name();
    const TGLFaceProperties& f = m.FrontProperties();
    EXPECT_FLOAT_EQ(f.Diffuse().Red(), table[static_cast<size_t>(i)].diffuse[0]) << item.Name();
    EXPECT_FLOAT_EQ(f.Diffuse().Green(), table[static_cast<size_t>(i)].diffuse[1]) << item.Name();
    EXPECT_FLOAT_EQ(f.Emission().Green(), table[static_cast<size_t>(i)].emission[1]) << item.Name();
    EXPECT_FLOAT_EQ(f.Ambient().Green(), table[static_cast<size_t>(i)].ambient[1]) << item.Name();
  }
  // The form's colours: m1's front ambient is green, m7 glows a little green.
  EXPECT_FLOAT_EQ(lib.Materials()[1].Material().FrontProperties().Ambient().Green(), 0.9373f);
  EXPECT_FLOAT_EQ(lib.Materials()[7].Material().FrontProperties().Emission().Green(), 0.1843f);
}

TEST(ContentFiles, EveryMeshLoadsWithTextureCoordinates) {
  std::vector<std::string> all(std::begin(kCommonMeshes), std::end(kCommonMeshes));
  all.insert(all.end(), std::begin(kLevelMeshes), std::end(kLevelMeshes));
  for (const std::string& name : all) {
    bool walls = name.rfind("steny", 0) == 0 || name.rfind("ruzne", 0) == 0 || name == "dvere5";
    std::unique_ptr<TGLFreeForm> m;
    ASSERT_NO_THROW(m = load_mesh(name, !walls)) << name;
    ASSERT_FALSE(m->MeshObjects().empty()) << name;
    size_t triangles = 0;
    for (const auto& o : m->MeshObjects()) {
      EXPECT_EQ(o->TexCoords.size(), o->Vertices.size()) << name;
      for (const auto& g : o->FaceGroups) triangles += g.VertexIndices.size() / 3;
    }
    EXPECT_GE(triangles, 8u) << name;
    ASSERT_NO_THROW(m->BuildCollisionOctree()) << name;
  }
}

TEST(ContentFiles, MeshesHaveSensibleSizes) {
  // The ship: about 35 long, its nose towards -X (the thin end).
  auto lod = load_mesh("lod");
  Box b = bounds(*lod);
  EXPECT_NEAR(b.size(0), 35, 3);
  EXPECT_LT(b.size(1), 18);
  float nose_height = 0, tail_height = 0;
  for (const auto& o : lod->MeshObjects())
    for (const TAffineVector& v : o->Vertices) {
      if (v.X < b.min[0] + 4) nose_height = std::max(nose_height, std::fabs(v.Y));
      if (v.X > b.max[0] - 6) tail_height = std::max(tail_height, std::fabs(v.Y));
    }
  EXPECT_LT(nose_height, tail_height) << "the nose is the pointed end, at -X";
  for (const char* n : {"n_zbrane", "n_palivo", "n_energie", "sud1", "kamen", "bonus"}) {
    Box p = bounds(*load_mesh(n));
    float big = std::max({p.size(0), p.size(1), p.size(2)});
    EXPECT_GE(big, 12) << n;
    EXPECT_LE(big, 20) << n;
  }
  for (const char* n : {"strela1", "strela2", "strela5"}) {
    Box p = bounds(*load_mesh(n));
    EXPECT_LE(std::max({p.size(0), p.size(1), p.size(2)}), 16) << n;
    EXPECT_GT(p.size(2), p.size(0)) << n << " is long along Z, which the form turns to X";
  }
  // The fan's hub is its centre, so it turns in place.
  Box fan = bounds(*load_mesh("vetrak"));
  EXPECT_NEAR(fan.max[0], -fan.min[0], 0.5f);
  EXPECT_NEAR(fan.max[2], -fan.min[2], 0.5f);
}

TEST(ContentFiles, BlokSpendsShotsLeavingTheViewOnly) {
  auto blok = load_mesh("blok");
  blok->BuildCollisionOctree();
  const float cam_y = 104;
  blok->Position().SetPoint(0, cam_y, 170);
  auto shot = [&](float x, float y, TVector dir) {
    return blok->SphereSweepIntersect(point_make(x, y, 170), dir, 20, 4.4f);
  };
  const TVector along_x = vector_make(1, 0, 0), back_x = vector_make(-1, 0, 0);
  // Shots fly opposite to their direction; the sweep looks back the way they came.
  EXPECT_FALSE(shot(-150, cam_y, along_x)) << "inside the view it flies on";
  EXPECT_FALSE(shot(0, cam_y + 100, along_x));
  EXPECT_TRUE(shot(-190, cam_y, along_x)) << "past the right edge it is spent";
  EXPECT_TRUE(shot(-190, cam_y + 120, along_x));
  EXPECT_TRUE(shot(190, cam_y, back_x)) << "past the left edge (rear shots) it is spent";
  EXPECT_FALSE(shot(150, cam_y, back_x));
  EXPECT_TRUE(shot(0, cam_y + 145, vector_make(0, -1, 0))) << "past the top";
  EXPECT_TRUE(shot(40, cam_y - 145, vector_make(0, 1, 0))) << "past the bottom";
  EXPECT_FALSE(shot(40, cam_y - 110, vector_make(0, 1, 0)));
}

TEST(ContentFiles, ActorsAreSkeletalWithLoopingAnimations) {
  for (const char* name : kActors) {
    TGLActor a;
    a.SetAutoCentering(macCenterX | macCenterY | macCenterZ);
    std::string model = std::string("data\\") + name + ".smd",
                anim = std::string("data\\") + name + "_anim.smd";
    ASSERT_NO_THROW(a.LoadFromBytes(model, file(std::string("data/") + name + ".smd"))) << name;
    ASSERT_NO_THROW(a.AppendFromBytes(anim, file(std::string("data/") + name + "_anim.smd")))
        << name;
    const TSkeleton& s = a.Skeleton();
    EXPECT_GE(s.Bones.size(), 3u) << name;
    // The model's own pose registers as an animation too; the game selects the added one.
    const TActorAnimation* found = a.Animations().FindName(std::string("data\\") + name + "_anim");
    ASSERT_NE(found, nullptr) << name;
    const TActorAnimation& an = *found;
    int frames = an.EndFrame() - an.StartFrame() + 1;
    EXPECT_GE(frames, 8) << name;
    // It moves, and its last frame is as near its first as one step is to the next.
    float step = 0, wrap = 0;
    const auto& f = s.Frames;
    auto diff = [&](int i, int j) {
      float d = 0;
      for (size_t b = 0; b < s.Bones.size(); ++b)
        for (int k = 0; k < 3; ++k) {
          d = std::max(d, std::fabs(f[static_cast<size_t>(i)].Rotation[b][k] -
                                    f[static_cast<size_t>(j)].Rotation[b][k]));
          d = std::max(d, std::fabs(f[static_cast<size_t>(i)].Position[b][k] -
                                    f[static_cast<size_t>(j)].Position[b][k]) /
                              10);
        }
      return d;
    };
    for (int k = an.StartFrame(); k < an.EndFrame(); ++k) step = std::max(step, diff(k, k + 1));
    wrap = diff(an.EndFrame(), an.StartFrame());
    EXPECT_GT(step, 0.02f) << name << " moves";
    EXPECT_LE(wrap, step * 1.05f) << name << " loops without a jump";
    size_t vertices = 0;
    for (const auto& o : a.MeshObjects()) vertices += o->Vertices.size();
    EXPECT_GT(vertices, 50u) << name;
  }
}

TEST(ContentFiles, TwoBuildsGiveTheSameBytes) {
  std::filesystem::path again = std::filesystem::temp_directory_path() /
                                ("karmund-content-again-" + std::to_string(::getpid()));
  std::filesystem::remove_all(again);
  // One worker this time, so a different order of making cannot change anything either.
  content::build(again.string(), 1);
  size_t compared = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(built())) {
    if (!e.is_regular_file()) continue;
    auto rel = std::filesystem::relative(e.path(), built());
    EXPECT_TRUE(content_test::read(e.path()) == content_test::read(again / rel)) << rel;
    ++compared;
  }
  EXPECT_GT(compared, 100u);
  std::filesystem::remove_all(again);
}
