// The meshes. Coordinates are the objects' own: the game centres each of these on loading (all
// but the walls and `ruzne`), so shapes are built round the origin. Faces point outwards.
// Objects turned by 90 degrees on the form or in the level set-up (shots, the bonus, fish,
// spiders) have their front along +Z, which the turn brings round to +X.
#include "content/models.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "content/atlas.h"
#include "content/build.h"
#include "content/file_3ds.h"
#include "content/noise.h"

namespace content {
namespace {

const UvRect kFull{0, 0, 1, 1};

Mesh moved(Mesh m, const Xform& x) {
  m.transform(x);
  return m;
}

void add(Mesh& into, Mesh part, const Xform& x) { into.append(moved(std::move(part), x)); }

// Every vertex's texture coordinates from its place: u along X, v along Y over the box.
void planar_uv(Mesh& m, UvRect r, Vec3 lo, Vec3 hi) {
  for (Mesh::Vertex& v : m.verts)
    v.uv = r.at(std::clamp((v.p.x - lo.x) / (hi.x - lo.x), 0.0f, 1.0f),
                std::clamp((v.p.y - lo.y) / (hi.y - lo.y), 0.0f, 1.0f));
}

// A ring (torus) around the Y axis.
Mesh torus(float radius, float tube, int segments, int sides, UvRect uv) {
  std::vector<Vec2> profile;
  for (int i = 0; i <= sides; ++i) {
    float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(sides);
    profile.push_back({radius + tube * std::cos(a), tube * std::sin(a)});
  }
  Mesh m;
  lathe(m, profile, segments, uv, 1);
  return m;
}

// A cone along +Y from the base at 0.
Mesh cone(float radius, float height, int segments, UvRect uv) {
  Mesh m;
  lathe(m, {{0, 0}, {radius, 0}, {0, height}}, segments, uv, 1);
  return m;
}

// A flat shape from a polygon in XY, `depth` thick round z = 0.
Mesh slab(const std::vector<Vec2>& poly, float depth, UvRect uv) {
  Mesh m;
  extrude(m, poly, -depth / 2, depth / 2, uv);
  return m;
}

// A rotation that turns +Y into the direction d.
Xform aim_y(Vec3 d) {
  d = normalize(d);
  Vec3 a = std::fabs(d.y) < 0.99f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  Vec3 x = normalize(cross(d, a)), z = cross(x, d);
  Xform r;
  r.r0 = x;
  r.r1 = d;
  r.r2 = z;
  return r;
}

// ----- the player's ship: 35 long, nose towards -X

Mesh lod() {
  Mesh m;
  const UvRect hull{0, 0, 0.85f, 1};
  std::vector<Vec3> path;
  std::vector<float> scales;
  for (int i = 0; i <= 10; ++i) {
    float t = static_cast<float>(i) / 10.0f;
    path.push_back({-17.5f + 31.0f * t, 0.6f * std::sin(t * kPi), 0});
    scales.push_back(i == 0 ? 0.05f
                            : std::sqrt(std::sin(t * kPi * 0.5f + 0.25f)) * (1.0f - 0.2f * t));
  }
  std::vector<Vec2> section;
  for (int k = 0; k < 12; ++k) {
    float a = 2 * kPi * static_cast<float>(k) / 12.0f;
    section.push_back({3.4f * std::cos(a), 4.2f * std::sin(a)});
  }
  // The loft runs along +X; its section lies across Y and Z.
  Mesh body;
  loft(body, path, section, scales, hull, 1);
  // Wings, swept back, slightly down; tail fin on top.
  Mesh wing = slab({{-4, 0}, {9, 0}, {14, 13}, {9, 13}}, 1.2f, hull);
  add(body, wing,
      Xform::rotate_x(90).then(Xform::rotate_x(-8)).then(Xform::translate({0, -1.5f, 3.5f})));
  add(body, wing,
      Xform::rotate_x(-90).then(Xform::rotate_x(8)).then(Xform::translate({0, -1.5f, -3.5f})));
  add(body, slab({{5, 0}, {15, 0}, {17, 9}, {13, 9}}, 1.0f, hull), Xform::translate({0, 2.5f, 0}));
  // Engine nozzle at the tail.
  Mesh nozzle;
  lathe(nozzle, {{2.4f, 0}, {3.2f, 2.5f}, {2.6f, 3.0f}, {0, 2.6f}}, 12, hull, 1);
  add(body, nozzle, Xform::rotate_z(-90).then(Xform::translate({13.5f, 0.3f, 0})));
  planar_uv(body, hull, {-17.5f, -7, -1}, {17.5f, 7, 1});
  m.append(body);
  // The cockpit's glass.
  Mesh glass;
  sphere(glass, {-6, 2.8f, 0}, {6, 2.6f, 3}, 12, 8, {0.9f, 0.45f, 0.98f, 0.55f});
  m.append(glass);
  return m;
}

// ----- the extra life: a heart facing the camera once the form turns it 90 degrees

Mesh bonus() {
  std::vector<Vec2> heart;
  for (int k = 0; k < 40; ++k) {
    float t = 2 * kPi * static_cast<float>(k) / 40.0f;
    float x = 16 * std::pow(std::sin(t), 3.0f);
    float y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
    heart.push_back({x * 0.55f, y * 0.55f});
  }
  // The curve runs clockwise; the extrusion wants it the other way round.
  std::reverse(heart.begin(), heart.end());
  Mesh m = slab(heart, 5, kFull);
  m.transform(Xform::rotate_y(90));
  return m;
}

// ----- the frame that spends shots leaving the view: four planes facing outwards, just
// beyond the view's edges in the ship's plane (about +-172 across and +-129 high round the
// camera's height, which the frame follows)

Mesh blok() {
  Mesh m;
  const float x = 182, y = 138, z = 40, over = 40;
  const UvRect uv = kFull;
  m.quad({-x, -y - over, -z}, {-x, -y - over, z}, {-x, y + over, z}, {-x, y + over, -z},
         uv);  // faces -X
  m.quad({x, -y - over, -z}, {x, y + over, -z}, {x, y + over, z}, {x, -y - over, z},
         uv);  // faces +X
  m.quad({-x - over, y, -z}, {-x - over, y, z}, {x + over, y, z}, {x + over, y, -z},
         uv);  // faces +Y
  m.quad({-x - over, -y, -z}, {x + over, -y, -z}, {x + over, -y, z}, {-x - over, -y, z},
         uv);  // faces -Y
  return m;
}

// ----- pick-ups: weapon (a red star), fuel (a cyan canister), energy (a yellow orb with rings)

Mesh n_zbrane() {
  Mesh m;
  sphere(m, {0, 0, 0}, {5, 5, 5}, 10, 6, kFull);
  const Vec3 dirs[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (Vec3 d : dirs) add(m, cone(3.2f, 6.5f, 8, kFull), aim_y(d).then(Xform::translate(d * 3.5f)));
  const Vec3 diag[4] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}};
  for (Vec3 d : diag)
    add(m, cone(2, 5.5f, 6, kFull), aim_y(d).then(Xform::translate(normalize(d) * 3.5f)));
  return m;
}

Mesh n_palivo() {
  Mesh m;
  lathe(m, {{0, -8}, {5.5f, -8}, {6, -7}, {6, 5}, {4, 7}, {2, 7}, {2, 8.5f}, {0, 8.5f}}, 16, kFull,
        1);
  add(m, torus(6.6f, 0.8f, 16, 6, kFull), Xform::translate({0, -3, 0}));
  add(m, torus(6.6f, 0.8f, 16, 6, kFull), Xform::translate({0, 2, 0}));
  return m;
}

Mesh n_energie() {
  Mesh m;
  sphere(m, {0, 0, 0}, {5.5f, 5.5f, 5.5f}, 14, 8, kFull);
  add(m, torus(8.5f, 0.9f, 20, 6, kFull), Xform::rotate_x(70));
  add(m, torus(8.5f, 0.9f, 20, 6, kFull), Xform::rotate_x(-70).then(Xform::rotate_y(60)));
  return m;
}

// ----- barrels: the axis along Z, so a rolling barrel turns like a wheel towards the camera

Mesh sud1() {
  Mesh m;
  const UvRect side{0, 0, 0.5f, 1};
  lathe(m,
        {{7.2f, -7},
         {7.8f, -6},
         {7.8f, -4.5f},
         {7.2f, -4},
         {7.6f, 0},
         {7.2f, 4},
         {7.8f, 4.5f},
         {7.8f, 6},
         {7.2f, 7}},
        16, side, 1);
  Mesh lids;
  lathe(lids, {{0, -7}, {7.2f, -7}}, 16, kFull, 0);
  lathe(lids, {{7.2f, 7}, {0, 7}}, 16, kFull, 0);
  for (Mesh::Vertex& v : lids.verts)
    v.uv = {0.75f + v.p.x / 7.2f * 0.25f, 0.5f + v.p.z / 7.2f * 0.5f};
  m.append(lids);
  m.transform(Xform::rotate_x(90));
  return m;
}

// ----- stones: lumpy, 18 across; their coordinates stay inside the glowing atlas's crystal
// tile, since on two levels they wear the glowing material

Mesh kamen() {
  Mesh m;
  rock(m, {0, 0, 0}, {8.6f, 7.4f, 7.8f}, 2, 0.3f, 51, atlas_tile(kGlowCrystal));
  return m;
}

// ----- turrets and weapon parts, children of the ship

Mesh barrel(float length, float radius) {
  Mesh m;
  lathe(m,
        {{0, 0},
         {radius, 0},
         {radius, length * 0.8f},
         {radius * 1.3f, length * 0.85f},
         {radius * 1.3f, length},
         {0, length}},
        10, kFull, 1);
  return m;
}

Mesh zbran1() {
  // Twin pods above and below the hull.
  Mesh m;
  for (float y : {-6.0f, 6.0f}) {
    Mesh pod;
    lathe(pod, {{0, -6}, {1.8f, -4}, {2, 3}, {1.2f, 6}, {0, 6}}, 10, kFull, 1);
    add(m, pod, Xform::rotate_z(90).then(Xform::translate({0, y, 0})));
  }
  return m;
}

Mesh zbran2() {
  // A pair of cannons under the nose.
  Mesh m;
  for (float z : {-2.5f, 2.5f})
    add(m, barrel(14, 1.3f), Xform::rotate_z(90).then(Xform::translate({0, -3, z})));
  box(m, {-4, -4, -3.5f}, {4, -2, 3.5f}, kFull);
  return m;
}

Mesh zbran3() {
  // A glowing ring spinning round the hull's axis.
  Mesh m = torus(8.5f, 1.1f, 20, 6, kFull);
  add(m, torus(8.5f, 1.1f, 20, 6, kFull), Xform::rotate_x(90));
  m.transform(Xform::rotate_z(90));
  return m;
}

Mesh zbran4() {
  // Two glowing blades spinning at the nose.
  Mesh m;
  add(m, slab({{-1.5f, -11}, {1.5f, -11}, {2, 0}, {1.5f, 11}, {-1.5f, 11}, {-2, 0}}, 1.2f, kFull),
      Xform::rotate_y(90));
  add(m, slab({{-1.5f, -11}, {1.5f, -11}, {2, 0}, {1.5f, 11}, {-1.5f, 11}, {-2, 0}}, 1.2f, kFull),
      Xform::rotate_y(90).then(Xform::rotate_x(90)));
  return m;
}

Mesh zbran5() {
  // A swinging gun: a ball joint and a barrel pointing along -X.
  Mesh m;
  sphere(m, {0, 0, 0}, {3, 3, 3}, 10, 6, kFull);
  add(m, barrel(10, 1.1f), Xform::rotate_z(90));
  add(m, barrel(2, 1.8f), Xform::rotate_z(-90));
  return m;
}

// ----- shots: bolts along Z (the form turns them to fly along X)

Mesh bolt(float length, float radius, int spikes) {
  Mesh m;
  lathe(m,
        {{0, -length / 2},
         {radius * 0.6f, -length * 0.35f},
         {radius, 0},
         {radius * 0.6f, length * 0.35f},
         {0, length / 2}},
        8, kFull, 1);
  for (int k = 0; k < spikes; ++k) {
    float a = 360.0f * static_cast<float>(k) / static_cast<float>(spikes);
    add(m, cone(radius * 0.5f, radius * 1.6f, 5, kFull),
        Xform::rotate_z(90).then(Xform::rotate_y(a)).then(Xform::translate({0, 0, 0})));
  }
  m.transform(Xform::rotate_x(90));
  return m;
}

Mesh strela1() { return bolt(8, 1.2f, 0); }
Mesh strela2() { return bolt(10, 1.6f, 0); }
Mesh strela5() { return bolt(12, 2.4f, 6); }

// ----- the level 1 monster's eyes: two eyeballs looking towards the camera

Mesh oci() {
  Mesh m;
  for (float x : {-8.0f, 8.0f}) {
    Mesh eye;
    sphere(eye, {0, 0, 0}, {7, 7, 7}, 14, 10, kFull);
    for (Mesh::Vertex& v : eye.verts) v.uv = {0.5f + v.p.x / 14.0f, 0.5f + v.p.y / 14.0f};
    add(m, eye, Xform::translate({x, 0, 0}));
  }
  return m;
}

}  // namespace

namespace level_models {
Mesh koule();
Mesh ryba();
Mesh ryba3();
Mesh t4();
Mesh masina();
Mesh vetrak();
Mesh al6();
Mesh delo();
Mesh vrtule();
Mesh ruzne6();
Mesh vrch6();
Mesh trup1();
Mesh trup2();
Mesh trup6();
Mesh valec();
Mesh ruzne2();
Mesh ruzne3();
Mesh ruzne4();
Mesh ruzne5();
Mesh dvere5();
Mesh spodky6();
}  // namespace level_models

const std::vector<Model>& models() {
  using namespace level_models;
  static const std::vector<Model> list = {
      {"lod", lod},           {"bonus", bonus},       {"blok", blok},
      {"n_zbrane", n_zbrane}, {"n_palivo", n_palivo}, {"n_energie", n_energie},
      {"sud1", sud1},         {"kamen", kamen},       {"zbran1", zbran1},
      {"zbran2", zbran2},     {"zbran3", zbran3},     {"zbran4", zbran4},
      {"zbran5", zbran5},     {"strela1", strela1},   {"strela2", strela2},
      {"strela5", strela5},   {"oci", oci},           {"koule", koule},
      {"ryba", ryba},         {"ryba3", ryba3},       {"t4", t4},
      {"masina", masina},     {"vetrak", vetrak},     {"al6", al6},
      {"delo", delo},         {"vrtule", vrtule},     {"ruzne6", ruzne6},
      {"vrch6", vrch6},       {"trup1", trup1},       {"trup2", trup2},
      {"trup6", trup6},       {"valec", valec},       {"ruzne2", ruzne2},
      {"ruzne3", ruzne3},     {"ruzne4", ruzne4},     {"ruzne5", ruzne5},
      {"dvere5", dvere5},     {"spodky6", spodky6},
  };
  return list;
}

Mesh make_model(const std::string& name) {
  for (const Model& m : models())
    if (m.name == name) return m.make();
  throw std::invalid_argument("no model " + name);
}

void add_model_products(std::vector<Product>& out) {
  for (const Model& m : models())
    out.push_back({"modely/" + m.name + ".3ds",
                   [&m]() { return write_3ds(to_3ds(m.make(), m.name), {}); },
                   m.name.rfind("ruzne", 0) == 0 ? 3 : 1});
}

}  // namespace content
