// The levels' meshes: enemies (aliens, fish, spider shells, the bomber, fans), the large
// pieces (the cannon, the propeller, the lair's pod, the monsters' bodies) and the scenery that
// follows the walls. Pieces worn with the shared atlases keep their coordinates inside their
// tile; `ruzne` pieces are not centred on loading, so they are built in the walls' coordinates.
#include <algorithm>
#include <cmath>

#include "content/atlas.h"
#include "content/mesh.h"
#include "content/noise.h"
#include "content/rng.h"

namespace content {
namespace level_models {
namespace {

const UvRect kFull{0, 0, 1, 1};

Mesh moved(Mesh m, const Xform& x) {
  m.transform(x);
  return m;
}
void add(Mesh& into, Mesh part, const Xform& x) { into.append(moved(std::move(part), x)); }

Mesh cone(float radius, float height, int segments, UvRect uv) {
  Mesh m;
  lathe(m, {{0, 0}, {radius, 0}, {0, height}}, segments, uv, 1);
  return m;
}

Mesh torus(float radius, float tube, int segments, int sides, UvRect uv) {
  std::vector<Vec2> p;
  for (int i = 0; i <= sides; ++i) {
    float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(sides);
    p.push_back({radius + tube * std::cos(a), tube * std::sin(a)});
  }
  Mesh m;
  lathe(m, p, segments, uv, 1);
  return m;
}

Mesh slab(const std::vector<Vec2>& poly, float depth, UvRect uv) {
  Mesh m;
  extrude(m, poly, -depth / 2, depth / 2, uv);
  return m;
}

Mesh ball(Vec3 radii, UvRect uv, int seg = 14, int rings = 10) {
  Mesh m;
  sphere(m, {0, 0, 0}, radii, seg, rings, uv);
  return m;
}

// Turns +Y into d.
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

// Spikes radiating from a body of the given radii.
void spikes(Mesh& m, Vec3 radii, int count, float length, float width, UvRect uv, uint32_t seed) {
  Rng rng(seed);
  for (int k = 0; k < count; ++k) {
    // Spread evenly over the sphere (a golden-angle spiral), not at random, so the shape is even.
    float y = 1 - 2 * (static_cast<float>(k) + 0.5f) / static_cast<float>(count);
    float r = std::sqrt(1 - y * y), a = 2.39996f * static_cast<float>(k);
    Vec3 d{r * std::cos(a), y, r * std::sin(a)};
    Vec3 at = mul(d, radii) * 0.9f;
    add(m, cone(width, length * static_cast<float>(rng.range(0.8, 1.2)), 6, uv),
        aim_y(d).then(Xform::translate(at)));
  }
}

// A billboard-like glowing quad facing the camera (-Z).
void glow_quad(Mesh& m, Vec3 c, float w, float h, UvRect uv) {
  m.quad({c.x + w / 2, c.y - h / 2, c.z}, {c.x - w / 2, c.y - h / 2, c.z},
         {c.x - w / 2, c.y + h / 2, c.z}, {c.x + w / 2, c.y + h / 2, c.z}, uv);
}

}  // namespace

// Level 1 aliens: spiked balls with a band (m2).
Mesh koule() {
  Mesh m = ball({10, 10, 10}, kFull);
  spikes(m, {10, 10, 10}, 14, 7, 2.2f, kFull, 61);
  add(m, torus(11, 1.5f, 20, 6, kFull), Xform::rotate_x(20));
  return m;
}

// A fish with its head along +Z: body, tail, fins (m5).
Mesh fish(float length, float height, float width) {
  Mesh m;
  std::vector<Vec3> path;
  std::vector<float> scales;
  for (int i = 0; i <= 10; ++i) {
    float t = static_cast<float>(i) / 10.0f;
    path.push_back({0, 0, -length / 2 + length * 0.8f * t});
    scales.push_back(0.15f + 0.85f * std::sin(kPi * (0.15f + 0.85f * t)));
  }
  std::vector<Vec2> section;
  for (int k = 0; k < 10; ++k) {
    float a = 2 * kPi * static_cast<float>(k) / 10.0f;
    section.push_back({height / 2 * std::cos(a), width / 2 * std::sin(a)});
  }
  loft(m, path, section, scales, kFull, 1);
  // Tail and fins, thin in X.
  Mesh tail = slab({{0, 0},
                    {height * 0.7f, -length * 0.25f},
                    {0, -length * 0.15f},
                    {-height * 0.7f, -length * 0.25f}},
                   1.2f, kFull);
  add(m, tail,
      Xform::rotate_x(-90)
          .then(Xform::rotate_x(90))
          .then(Xform::rotate_z(90))
          .then(Xform::translate({0, 0, -length / 2 + 1})));
  add(m,
      slab({{-length * 0.15f, 0}, {length * 0.1f, 0}, {-length * 0.05f, height * 0.55f}}, 1, kFull),
      Xform::rotate_y(-90).then(Xform::translate({0, height * 0.4f, 0})));
  // Eyes.
  for (float x : {-width * 0.42f, width * 0.42f})
    add(m, ball({1.4f, 1.4f, 1.4f}, {0, 0, 0.05f, 0.05f}, 8, 6),
        Xform::translate({x, height * 0.12f, length * 0.22f}));
  return m;
}

Mesh ryba() { return fish(30, 12, 6); }

// Level 3 shells round the fish bodies: a cage of three hoops with fins (m5).
Mesh ryba3() {
  Mesh m;
  for (float z : {-7.0f, 0.0f, 7.0f})
    add(m, torus(9, 1, 16, 5, kFull), Xform::rotate_x(90).then(Xform::translate({0, 0, z})));
  add(m, slab({{-8, 0}, {8, 0}, {0, 9}}, 1, kFull),
      Xform::rotate_y(90).then(Xform::translate({0, 8, 0})));
  return m;
}

// Level 4 spider shells: a domed carapace with spines (m3).
Mesh t4() {
  Mesh m;
  lathe(m, {{0, -2}, {12, -2}, {11, 2}, {8, 5.5f}, {4, 7.5f}, {0, 8}}, 16, kFull, 1);
  m.transform(Xform::scale({1, 1, 0.8f}));
  for (int k = 0; k < 5; ++k)
    add(m, cone(1.3f, 5, 5, kFull),
        Xform::rotate_x(-25).then(Xform::translate({0, 6.5f, -8.0f + 4.0f * k})));
  return m;
}

// Level 4 bomber: a hovering machine with two rotors and a bomb bay (m0, machine tile).
Mesh masina() {
  UvRect uv = atlas_tile(kTileMachine);
  Mesh m;
  box(m, {-32, -8, -14}, {32, 10, 14}, uv);
  box(m, {-20, 10, -10}, {20, 16, 10}, uv);
  box(m, {-8, -14, -8}, {8, -8, 8}, uv);
  for (float x : {-38.0f, 38.0f}) {
    Mesh rotor;
    cylinder(rotor, 14, -1, 1, 16, uv);
    add(m, rotor, Xform::translate({x, 14, 0}));
  }
  for (float x : {-38.0f, 38.0f}) {
    Mesh mast;
    cylinder(mast, 2, 0, 14, 8, uv);
    add(m, mast, Xform::translate({x, 0, 0}));
    box(m, {x - 6, -2, -3}, {x + 6, 2, 3}, uv);
  }
  return m;
}

// Level 5 fans: four blades round a hub, turning about Y (m0, machine tile).
Mesh vetrak() {
  UvRect uv = atlas_tile(kTileMachine);
  Mesh m;
  cylinder(m, 9, -8, 8, 16, uv);
  for (int k = 0; k < 4; ++k) {
    Mesh blade = slab({{8, -6}, {70, -11}, {72, 0}, {70, 11}, {8, 6}}, 3, uv);
    // The slab lies in XY; lay it flat (XZ) with a slight pitch, then spread round the hub.
    add(m, blade, Xform::rotate_x(90).then(Xform::rotate_x(25)).then(Xform::rotate_y(90.0f * k)));
  }
  return m;
}

// Level 6 aliens: a pod with a crest and hanging tentacles (m0, alien tile).
Mesh al6() {
  UvRect uv = atlas_tile(kTileAlienHide);
  Mesh m = ball({11, 8, 11}, uv);
  for (int k = 0; k < 5; ++k) {
    float a = 2 * kPi * static_cast<float>(k) / 5.0f;
    std::vector<Vec3> path;
    for (int i = 0; i <= 5; ++i) {
      float t = static_cast<float>(i) / 5.0f;
      path.push_back({(6 + 3 * t) * std::cos(a) + 2 * std::sin(t * 5), -4 - 14 * t,
                      (6 + 3 * t) * std::sin(a)});
    }
    loft(m, path, {{-1.4f, -1.4f}, {1.4f, -1.4f}, {1.4f, 1.4f}, {-1.4f, 1.4f}},
         {1, 0.9f, 0.8f, 0.6f, 0.4f, 0.1f}, uv);
  }
  spikes(m, {11, 8, 11}, 6, 5, 1.6f, uv, 63);
  return m;
}

// Level 1 cannon: a base, a turret and a barrel firing along +X (m0, machine tile). It stands
// at depth 191; its base reaches forward through the ship's plane (170) so that the ship's
// smallest shots can hit it.
Mesh delo() {
  UvRect uv = atlas_tile(kTileMachine);
  Mesh m;
  box(m, {-30, -26, -25}, {22, -6, 25}, uv);
  add(
      m,
      [&] {
        Mesh t;
        sphere(t, {0, 0, 0}, {16, 14, 14}, 16, 10, uv);
        return t;
      }(),
      Xform::translate({-4, 0, 0}));
  Mesh barrel;
  lathe(barrel, {{0, 0}, {6, 0}, {5, 30}, {7, 32}, {7, 38}, {0, 38}}, 14, uv, 1);
  add(m, barrel, Xform::rotate_z(-90).then(Xform::translate({6, 2, 0})));
  return m;
}

// Level 2 propeller: a hub along X and two blades turning in the YZ plane, 100 to the tips
// (m0, machine tile).
Mesh vrtule() {
  UvRect uv = atlas_tile(kTileMachine);
  Mesh m;
  Mesh hub;
  lathe(hub, {{0, -10}, {8, -8}, {9, 4}, {4, 10}, {0, 11}}, 16, uv, 1);
  add(m, hub, Xform::rotate_z(90));
  for (int k = 0; k < 2; ++k) {
    Mesh blade = slab({{-5, 6}, {5, 6}, {9, 60}, {6, 100}, {-6, 100}, {-9, 60}}, 5, uv);
    // The slab lies in XY (thin in Z); turn it to lie in the YZ plane, thin in X.
    add(m, blade, Xform::rotate_y(90).then(Xform::rotate_x(180.0f * k)));
  }
  return m;
}

// Level 6 pod that moves with the walls: a spiked egg in the middle of the passage (m0).
Mesh ruzne6() {
  UvRect uv = atlas_tile(kTileAlienHide);
  Mesh m;
  rock(m, {0, 0, 0}, {26, 30, 20}, 2, 0.18f, 64, uv);
  spikes(m, {26, 30, 20}, 10, 10, 3, uv, 65);
  return m;
}

// Level 6 crown of the final monster: a glowing ring of orbs that turns (m1, eye tile).
Mesh vrch6() {
  UvRect uv = atlas_tile(kGlowEye);
  Mesh m = torus(40, 3, 32, 6, uv);
  for (int k = 0; k < 8; ++k) {
    float a = 2 * kPi * static_cast<float>(k) / 8.0f;
    Mesh orb;
    sphere(orb, {0, 0, 0}, {6, 6, 6}, 10, 6, uv);
    for (Mesh::Vertex& v : orb.verts) v.uv = uv.at(0.5f + v.p.x / 12, 0.5f + v.p.y / 12);
    add(m, orb, Xform::translate({40 * std::cos(a), 0, 40 * std::sin(a)}));
  }
  return m;
}

// Monster bodies: lumpy cores with plates and spines.
Mesh trup1() {
  Mesh m;
  rock(m, {0, 0, 0}, {36, 22, 22}, 3, 0.12f, 66, kFull);
  spikes(m, {36, 22, 22}, 12, 9, 3, kFull, 67);
  for (float x : {-22.0f, -8.0f, 6.0f, 20.0f})
    add(m, torus(17 - std::fabs(x) * 0.2f, 2.2f, 18, 6, kFull),
        Xform::rotate_z(90).then(Xform::translate({x, 0, 0})));
  return m;
}

Mesh trup2() {
  Mesh m;
  rock(m, {0, 0, 0}, {46, 24, 24}, 3, 0.1f, 68, kFull);
  for (int k = 0; k < 7; ++k)
    add(m, cone(4, 14, 6, kFull),
        Xform::rotate_z(-15.0f + 5 * k).then(Xform::translate({-30.0f + 10 * k, 20, 0})));
  return m;
}

Mesh trup6() {
  Mesh m;
  rock(m, {0, 0, 0}, {55, 38, 30}, 3, 0.14f, 69, kFull);
  spikes(m, {55, 38, 30}, 18, 14, 4, kFull, 70);
  for (float x : {-30.0f, 30.0f})
    add(m, cone(7, 30, 8, kFull),
        Xform::rotate_z(x < 0 ? 20 : -20).then(Xform::translate({x, 30, 0})));
  return m;
}

// Levels 2 and 3: a long glowing roller along X (m1, stripes).
Mesh valec() {
  Mesh m;
  lathe(m, {{0, -130}, {30, -130}, {34, -124}, {34, 124}, {30, 130}, {0, 130}}, 20,
        atlas_tile(kGlowStripes), 1);
  for (Mesh::Vertex& v : m.verts) {
    float a = std::atan2(v.p.z, v.p.x) / (2 * kPi) + 0.5f;
    UvRect t = atlas_tile(kGlowStripes);
    v.uv = t.at(a, std::clamp((v.p.y + 130) / 260, 0.0f, 1.0f));
  }
  m.transform(Xform::rotate_z(90));
  return m;
}

// Level 2 scenery in the walls' coordinates: glowing kelp on the sea bed and plankton clouds.
Mesh ruzne2() {
  UvRect uv = atlas_tile(kGlowPlankton);
  Mesh m;
  Rng rng(72);
  for (float x = -2600; x < 880; x += static_cast<float>(rng.range(70, 150))) {
    float z = static_cast<float>(rng.range(200, 390)), h = static_cast<float>(rng.range(50, 130));
    std::vector<Vec3> path;
    for (int i = 0; i <= 6; ++i) {
      float t = static_cast<float>(i) / 6.0f;
      path.push_back({x + 10 * std::sin(t * 4 + x), -108 + h * t, z});
    }
    loft(m, path, {{-3, -0.5f}, {3, -0.5f}, {3, 0.5f}, {-3, 0.5f}},
         {1, 1, 0.9f, 0.8f, 0.6f, 0.4f, 0.1f}, uv, 0);
  }
  for (int k = 0; k < 40; ++k)
    glow_quad(m,
              {static_cast<float>(rng.range(-2600, 880)), static_cast<float>(rng.range(-60, 180)),
               static_cast<float>(rng.range(300, 410))},
              64, 64, uv);
  return m;
}

// Level 3 scenery: rune plaques on the crypt's back wall and torches down the shaft.
Mesh ruzne3() {
  Mesh m;
  UvRect runes = atlas_tile(kGlowRunes), lamps = atlas_tile(kGlowLamps);
  for (float y = 400; y > -2700; y -= 190) {
    glow_quad(m, {415, y, 405}, 56, 56, runes);
    glow_quad(m, {300, y - 95, 380}, 22, 22, lamps);
    glow_quad(m, {540, y - 95, 380}, 22, 22, lamps);
  }
  for (float x = 200; x > -1200; x -= 170) {
    glow_quad(m, {x, -2800, 405}, 60, 60, runes);
    glow_quad(m, {x - 85, -2740, 385}, 24, 24, lamps);
  }
  return m;
}

// Level 4 scenery in front of the ship's plane (the set-up puts it at depth 124, centred on
// height 38): a row of warning lamps low over the floor and one strung under the roof. Nearer
// than the ship, a lamp seen from the camera drifts away from the screen's middle, so both rows
// keep out of the band where the ship flies, whatever the camera's height: the low row from -65
// to -47, the high one from 172 to 190. A speck at -114, below the screen, holds the centre at 38
// so loading leaves them in place.
Mesh ruzne4() {
  Mesh m;
  UvRect lamps = atlas_tile(kGlowLamps);
  for (float x = -500; x <= 500; x += 100) {
    glow_quad(m, {x, -56, 0}, 18, 18, lamps);
    glow_quad(m, {x + 50, 181, 0}, 18, 18, lamps);
  }
  glow_quad(m, {0, -113.5f, 0}, 1, 1, lamps);
  return m;
}

// Level 5: a glowing ring round the shaft, lying flat; the set-up centres it at depth 184. The
// shaft scrolls through every height the ship flies at, so only the ring's far half is built:
// its near half would pass between the camera and the ship. A speck at the near end of the
// ring's diameter, off the screen's side at that depth, keeps the centring where the whole ring
// would have it.
Mesh ruzne5() {
  const float radius = 190, tube = 6, orb = 9;
  Mesh m;
  std::vector<Vec2> section;
  for (int i = 0; i < 6; ++i) {
    float a = 2 * kPi * static_cast<float>(i) / 6.0f;
    section.push_back({tube * std::cos(a), tube * std::sin(a)});
  }
  // The far half, from one side of the shaft round the back to the other, at depths 0 and up.
  std::vector<Vec3> path;
  for (int k = 0; k <= 24; ++k) {
    float a = kPi * static_cast<float>(k) / 24.0f;
    path.push_back({radius * std::cos(a), 0, radius * std::sin(a)});
  }
  loft(m, path, section, {}, atlas_tile(kGlowRing), 1);
  for (int k = 0; k <= 6; ++k) {
    float a = kPi * static_cast<float>(k) / 6.0f;
    Mesh o;
    sphere(o, {0, 0, 0}, {orb, orb, orb}, 8, 6, atlas_tile(kGlowLamps));
    add(m, o, Xform::translate({radius * std::cos(a), 0, radius * std::sin(a)}));
  }
  glow_quad(m, {radius, 0, -radius - orb}, 1, 1, atlas_tile(kGlowRing));
  return m;
}

// Level 5 door: a hatch across the top of the shaft, in the walls' coordinates (m0).
Mesh dvere5() {
  UvRect uv = atlas_tile(kTileMachine);
  Mesh m;
  box(m, {200, 2705, 130}, {416, 2745, 420}, uv);
  box(m, {424, 2705, 130}, {640, 2745, 420}, uv);
  for (float x : {260.0f, 330.0f, 500.0f, 570.0f})
    box(m, {x - 6, 2695, 130}, {x + 6, 2755, 140}, uv);
  return m;
}

// Level 6: glowing slime pools on the floor and drips hanging behind the ship's plane (m1). The
// set-up centres the piece at depth 182, so its depths stand as built: the pools run from 140 in
// front of the floor's edge back to 224, the drips hang at 176 and deeper, where they never come
// between the camera and the ship.
Mesh spodky6() {
  UvRect uv = atlas_tile(kGlowSlime);
  Mesh m;
  Rng rng(74);
  for (float x = -600; x <= 600; x += 60) {
    float w = static_cast<float>(rng.range(30, 60));
    m.quad({x - w, -100, 140}, {x + w, -100, 140}, {x + w, -86, 224}, {x - w, -86, 224}, uv);
    float h = static_cast<float>(rng.range(10, 20));
    glow_quad(m, {x + 30, 118 - h / 2, 176 + static_cast<float>(rng.range(0, 44))}, 6, h, uv);
  }
  // Hold the bounds round the form's centre: y from -100 to 118.
  glow_quad(m, {0, 116, 224}, 2, 4, uv);
  return m;
}

}  // namespace level_models
}  // namespace content
