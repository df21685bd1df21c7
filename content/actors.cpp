// The actors: six skeletal SMD models with their animations (claws snapping, jaws biting,
// tentacles waving, a fish swimming, a spider walking, a martian floating). Every animation is
// one period of a motion sampled at whole steps, so its last frame runs into its first.
#include <cmath>
#include <functional>

#include "content/build.h"
#include "content/file_smd.h"
#include "content/mesh.h"
#include "content/models.h"

namespace content {
namespace {

const UvRect kFull{0, 0, 1, 1};

struct ActorBuilder {
  std::vector<SmdBone> bones;
  std::vector<Vec3> at;  // each bone's place in the bind pose, model space
  std::vector<SmdTriangle> tris;
  std::string material;

  int bone(const std::string& name, int parent, Vec3 place) {
    int id = static_cast<int>(bones.size());
    bones.push_back({id, name, parent});
    at.push_back(place);
    return id;
  }
  // Adds the part's faces; `which` picks each vertex's bone.
  void attach(const Mesh& part, const std::function<int(Vec3)>& which) {
    for (const Mesh::Tri& t : part.tris) {
      SmdTriangle s;
      s.material = material;
      Vec3 n = part.face_normal(t);
      for (int k = 0; k < 3; ++k) {
        const Mesh::Vertex& v = part.verts[t.v[k]];
        s.v[k] = {which(v.p), v.p, n, v.uv};
      }
      tris.push_back(s);
    }
  }
  void attach(const Mesh& part, int b) {
    attach(part, [b](Vec3) { return b; });
  }
  SmdPose rest(int b, Vec3 rotation = {0, 0, 0}, Vec3 shift = {0, 0, 0}) const {
    int p = bones[static_cast<size_t>(b)].parent;
    Vec3 rel = p >= 0 ? at[static_cast<size_t>(b)] - at[static_cast<size_t>(p)]
                      : at[static_cast<size_t>(b)];
    return {rel + shift, rotation};
  }
  SmdFrame bind() const {
    SmdFrame f;
    for (size_t b = 0; b < bones.size(); ++b) f.push_back(rest(static_cast<int>(b)));
    return f;
  }
  // `pose(frame, phase)` gives every bone's pose; phase runs once round over the frames.
  std::vector<SmdFrame> animate(int frames,
                                const std::function<SmdFrame(float phase)>& pose) const {
    std::vector<SmdFrame> out;
    for (int k = 0; k < frames; ++k)
      out.push_back(pose(2 * kPi * static_cast<float>(k) / static_cast<float>(frames)));
    return out;
  }
};

Mesh moved(Mesh m, const Xform& x) {
  m.transform(x);
  return m;
}

Mesh ball(Vec3 c, Vec3 r, int seg = 12, int rings = 8) {
  Mesh m;
  sphere(m, c, r, seg, rings, kFull);
  return m;
}

Mesh cone_to(Vec3 base, Vec3 tip, float radius) {
  Mesh m;
  lathe(m, {{0, 0}, {radius, 0}, {0, length(tip - base)}}, 6, kFull, 1);
  Vec3 d = normalize(tip - base);
  Vec3 a = std::fabs(d.y) < 0.99f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  Xform r;
  r.r0 = normalize(cross(d, a));
  r.r1 = d;
  r.r2 = cross(r.r0, d);
  m.transform(r.then(Xform::translate(base)));
  return m;
}

// A tapering tube through the points.
Mesh tube(const std::vector<Vec3>& path, float r0, float r1) {
  Mesh m;
  std::vector<float> scales;
  for (size_t i = 0; i < path.size(); ++i)
    scales.push_back(r0 + (r1 - r0) * static_cast<float>(i) / static_cast<float>(path.size() - 1));
  std::vector<Vec2> section;
  for (int k = 0; k < 8; ++k) {
    float a = 2 * kPi * static_cast<float>(k) / 8.0f;
    section.push_back({std::cos(a), std::sin(a)});
  }
  loft(m, path, section, scales, kFull, 1);
  return m;
}

// A jaw from the hinge towards +X curving by `bend`, with teeth pointing to `teeth_dir` in Y.
Mesh jaw(Vec3 hinge, float len, float bend, float thick, float teeth_dir, int teeth) {
  std::vector<Vec3> path;
  for (int i = 0; i <= 8; ++i) {
    float t = static_cast<float>(i) / 8.0f;
    path.push_back(
        {hinge.x + len * t, hinge.y + bend * std::sin(t * kPi * 0.8f) - bend * 0.3f * t, hinge.z});
  }
  Mesh m = tube(path, thick, thick * 0.25f);
  for (int k = 0; k < teeth; ++k) {
    float t = (static_cast<float>(k) + 1) / static_cast<float>(teeth + 1) * 0.85f;
    Vec3 p{hinge.x + len * t, hinge.y + bend * std::sin(t * kPi * 0.8f) - bend * 0.3f * t, hinge.z};
    m.append(cone_to(p, p + Vec3{1.5f, teeth_dir * thick * 1.4f, 0}, thick * 0.35f));
  }
  return m;
}

// ----- klep1: a claw of two pincers hinged at the back, snapping (m3)

void klep1(Bytes& model, Bytes& anim) {
  ActorBuilder a;
  a.material = "klep1.bmp";
  int root = a.bone("root", -1, {0, 0, 0});
  int upper = a.bone("upper", root, {-14, 3, 0});
  int lower = a.bone("lower", root, {-14, -3, 0});
  a.attach(ball({-24, 0, 0}, {13, 9, 9}), root);
  a.attach(jaw({-14, 3, 0}, 40, 9, 4.5f, -1, 4), upper);
  a.attach(jaw({-14, -3, 0}, 36, -7, 4, 1, 4), lower);
  model = write_smd_model(a.bones, a.bind(), a.tris);
  anim = write_smd_animation(a.bones, a.animate(12, [&](float p) {
    // Snaps: opens slowly, shuts fast.
    float open = 0.3f + 0.28f * std::sin(p) + 0.08f * std::sin(2 * p);
    return SmdFrame{a.rest(root), a.rest(upper, {0, 0, open}), a.rest(lower, {0, 0, -open * 0.8f})};
  }));
}

// ----- celisti: jaws of the sea monster, biting (m6)

void celisti(Bytes& model, Bytes& anim) {
  ActorBuilder a;
  a.material = "celisti.bmp";
  int root = a.bone("root", -1, {0, 0, 0});
  int upper = a.bone("upper", root, {-18, 4, 0});
  int lower = a.bone("lower", root, {-18, -4, 0});
  a.attach(ball({-24, 0, 0}, {10, 12, 12}), root);
  Mesh top = jaw({-18, 4, -6}, 34, 6, 5, -1, 6);
  top.append(jaw({-18, 4, 6}, 34, 6, 5, -1, 6));
  top.append(ball({-2, 8, 0}, {16, 6, 9}));
  a.attach(top, upper);
  Mesh bottom = jaw({-18, -4, -5}, 30, -4, 4.5f, 1, 5);
  bottom.append(jaw({-18, -4, 5}, 30, -4, 4.5f, 1, 5));
  a.attach(bottom, lower);
  model = write_smd_model(a.bones, a.bind(), a.tris);
  anim = write_smd_animation(a.bones, a.animate(10, [&](float p) {
    float open = 0.35f + 0.3f * std::sin(p);
    return SmdFrame{a.rest(root), a.rest(upper, {0, 0, open * 0.6f}), a.rest(lower, {0, 0, -open})};
  }));
}

// ----- chapadla: four tentacles of four segments, waving (m6)

void chapadla(Bytes& model, Bytes& anim) {
  ActorBuilder a;
  a.material = "chapadla.bmp";
  int root = a.bone("root", -1, {0, 0, 0});
  a.attach(ball({0, 2, 0}, {12, 6, 10}), root);
  const int kArms = 4, kSegs = 4;
  const float seg = 9;
  std::vector<std::vector<int>> arm(kArms);
  for (int i = 0; i < kArms; ++i) {
    float x = -9.0f + 6.0f * static_cast<float>(i), z = (i % 2 ? 4.0f : -4.0f);
    int parent = root;
    for (int s = 0; s < kSegs; ++s) {
      Vec3 p{x, -static_cast<float>(s) * seg, z};
      int b = a.bone("arm" + std::to_string(i) + "_" + std::to_string(s), parent, p);
      arm[static_cast<size_t>(i)].push_back(b);
      float r0 = 3.2f - 0.7f * static_cast<float>(s), r1 = r0 - 0.7f;
      a.attach(
          tube({p, p + Vec3{0, -seg * 0.55f, 0}, p + Vec3{0, -seg, 0}}, r0, std::max(r1, 0.3f)), b);
      parent = b;
    }
  }
  model = write_smd_model(a.bones, a.bind(), a.tris);
  anim = write_smd_animation(a.bones, a.animate(12, [&](float p) {
    SmdFrame f = a.bind();
    for (int i = 0; i < kArms; ++i)
      for (int s = 0; s < kSegs; ++s) {
        float w = 0.28f * std::sin(p + 0.9f * static_cast<float>(s) + 1.6f * static_cast<float>(i));
        float twist = 0.15f * std::cos(p + 0.7f * static_cast<float>(s) + static_cast<float>(i));
        f[static_cast<size_t>(arm[static_cast<size_t>(i)][static_cast<size_t>(s)])].rotation = {
            twist, 0, w};
      }
    return f;
  }));
}

// ----- ryba: a fish swimming, head along +Z (m5)

void ryba(Bytes& model, Bytes& anim) {
  ActorBuilder a;
  a.material = "ryba.bmp";
  int head = a.bone("head", -1, {0, 0, 6});
  int body = a.bone("body", head, {0, 0, -2});
  int tail = a.bone("tail", body, {0, 0, -9});
  int fin = a.bone("fin", tail, {0, 0, -15});
  Mesh m;
  std::vector<Vec3> path;
  std::vector<float> scales;
  for (int i = 0; i <= 12; ++i) {
    float t = static_cast<float>(i) / 12.0f;
    path.push_back({0, 0, -16 + 30 * t});
    scales.push_back(0.12f + 0.88f * std::sin(kPi * (0.1f + 0.85f * t)));
  }
  std::vector<Vec2> section;
  for (int k = 0; k < 10; ++k) {
    float an = 2 * kPi * static_cast<float>(k) / 10.0f;
    section.push_back({6 * std::cos(an), 3 * std::sin(an)});
  }
  loft(m, path, section, scales, kFull, 1);
  Mesh tailfin;
  extrude(tailfin, {{0, 0}, {-9, -7}, {-5, 0}, {-9, 7}}, -0.6f, 0.6f, kFull);
  m.append(moved(tailfin, Xform::rotate_y(-90).then(Xform::translate({0, 0, -15}))));
  m.append(ball({2.6f, 1.5f, 9}, {1.2f, 1.2f, 1.2f}, 6, 4));
  m.append(ball({-2.6f, 1.5f, 9}, {1.2f, 1.2f, 1.2f}, 6, 4));
  a.attach(m, [&](Vec3 p) { return p.z > 2 ? head : p.z > -6 ? body : p.z > -13 ? tail : fin; });
  model = write_smd_model(a.bones, a.bind(), a.tris);
  anim = write_smd_animation(a.bones, a.animate(12, [&](float p) {
    return SmdFrame{a.rest(head, {0, 0.08f * std::sin(p + 1.2f), 0}),
                    a.rest(body, {0, 0.16f * std::sin(p), 0}),
                    a.rest(tail, {0, 0.28f * std::sin(p - 0.9f), 0}),
                    a.rest(fin, {0, 0.4f * std::sin(p - 1.8f), 0})};
  }));
}

// ----- pavouk: a spider walking, head along +Z, eight legs of two segments (m3)

void pavouk(Bytes& model, Bytes& anim) {
  ActorBuilder a;
  a.material = "pavouk.bmp";
  int root = a.bone("body", -1, {0, 0, 0});
  Mesh body = ball({0, 2, -9}, {10, 8, 11});
  body.append(ball({0, 1, 6}, {7, 6, 7}));
  body.append(ball({2.5f, 3, 12}, {1.5f, 1.5f, 1.5f}, 6, 4));
  body.append(ball({-2.5f, 3, 12}, {1.5f, 1.5f, 1.5f}, 6, 4));
  a.attach(body, root);
  struct Leg {
    int hip, knee;
    float side, phase;
  };
  std::vector<Leg> legs;
  for (int i = 0; i < 4; ++i)
    for (int side = -1; side <= 1; side += 2) {
      float z = 8.0f - 5.0f * static_cast<float>(i), sx = static_cast<float>(side);
      Vec3 hip{sx * 5, 1, z}, knee{sx * 16, 9, z + 2 - static_cast<float>(i)},
          foot{sx * 25, -10, z + 3 - 2.0f * static_cast<float>(i)};
      int h = a.bone("hip" + std::to_string(i) + (side < 0 ? "l" : "r"), root, hip);
      int k = a.bone("knee" + std::to_string(i) + (side < 0 ? "l" : "r"), h, knee);
      a.attach(tube({hip, (hip + knee) * 0.5f + Vec3{0, 1, 0}, knee}, 1.6f, 1.2f), h);
      a.attach(tube({knee, (knee + foot) * 0.5f, foot}, 1.2f, 0.4f), k);
      // Alternating groups of four, as spiders walk.
      float phase = ((i + (side > 0 ? 1 : 0)) % 2) ? kPi : 0.0f;
      legs.push_back({h, k, sx, phase});
    }
  model = write_smd_model(a.bones, a.bind(), a.tris);
  anim = write_smd_animation(a.bones, a.animate(12, [&](float p) {
    SmdFrame f = a.bind();
    f[static_cast<size_t>(root)].position =
        f[static_cast<size_t>(root)].position + Vec3{0, 0.8f * std::sin(2 * p), 0};
    for (const Leg& l : legs) {
      float s = std::sin(p + l.phase), lift = std::max(0.0f, std::cos(p + l.phase));
      f[static_cast<size_t>(l.hip)].rotation = {0, 0.35f * s, l.side * 0.25f * lift};
      f[static_cast<size_t>(l.knee)].rotation = {0, 0, -l.side * 0.2f * lift};
    }
    return f;
  }));
}

// ----- martan: a martian floating, big-headed, waving its arms (m7)

void martan(Bytes& model, Bytes& anim) {
  ActorBuilder a;
  a.material = "martan.bmp";
  int root = a.bone("root", -1, {0, 0, 0});
  int head = a.bone("head", root, {0, 8, 0});
  int arm_l = a.bone("arm_l", root, {-7, 4, 0});
  int hand_l = a.bone("hand_l", arm_l, {-14, -3, 0});
  int arm_r = a.bone("arm_r", root, {7, 4, 0});
  int hand_r = a.bone("hand_r", arm_r, {14, -3, 0});
  Mesh torso = ball({0, 0, 0}, {7, 9, 6});
  // A skirt of short tentacles instead of legs.
  for (int k = 0; k < 6; ++k) {
    float an = 2 * kPi * static_cast<float>(k) / 6.0f;
    torso.append(tube({{4 * std::cos(an), -6, 4 * std::sin(an)},
                       {5 * std::cos(an), -12, 5 * std::sin(an)},
                       {4 * std::cos(an), -17, 4 * std::sin(an)}},
                      1.8f, 0.4f));
  }
  a.attach(torso, root);
  Mesh skull = ball({0, 17, 0}, {10, 9, 9});
  skull.append(ball({3.5f, 17, 8}, {2.5f, 3, 1.5f}, 8, 6));
  skull.append(ball({-3.5f, 17, 8}, {2.5f, 3, 1.5f}, 8, 6));
  skull.append(tube({{0, 25, 0}, {2, 30, 0}, {4, 33, 0}}, 0.7f, 0.3f));
  skull.append(ball({4, 33.5f, 0}, {1.5f, 1.5f, 1.5f}, 6, 4));
  a.attach(skull, head);
  a.attach(tube({{-7, 4, 0}, {-11, 1, 0}, {-14, -3, 0}}, 1.8f, 1.3f), arm_l);
  a.attach(tube({{-14, -3, 0}, {-16, -7, 0}, {-17, -10, 0}}, 1.3f, 0.8f), hand_l);
  a.attach(tube({{7, 4, 0}, {11, 1, 0}, {14, -3, 0}}, 1.8f, 1.3f), arm_r);
  a.attach(tube({{14, -3, 0}, {16, -7, 0}, {17, -10, 0}}, 1.3f, 0.8f), hand_r);
  model = write_smd_model(a.bones, a.bind(), a.tris);
  anim = write_smd_animation(a.bones, a.animate(16, [&](float p) {
    return SmdFrame{a.rest(root, {0, 0.12f * std::sin(p), 0}, {0, 2.5f * std::sin(p), 0}),
                    a.rest(head, {0.1f * std::sin(p + 1), 0, 0.08f * std::sin(p)}),
                    a.rest(arm_l, {0, 0, -0.4f * std::sin(p)}),
                    a.rest(hand_l, {0, 0, -0.3f * std::sin(p - 1)}),
                    a.rest(arm_r, {0, 0, 0.4f * std::sin(p + kPi)}),
                    a.rest(hand_r, {0, 0, 0.3f * std::sin(p + kPi - 1)})};
  }));
}

using Maker = void (*)(Bytes&, Bytes&);
const std::pair<const char*, Maker> kActors[] = {{"klep1", klep1},       {"celisti", celisti},
                                                 {"chapadla", chapadla}, {"ryba", ryba},
                                                 {"pavouk", pavouk},     {"martan", martan}};

}  // namespace

bool make_actor(const std::string& name, Bytes& model, Bytes& anim) {
  for (auto [n, make] : kActors)
    if (name == n) {
      make(model, anim);
      return true;
    }
  return false;
}

void add_actor_products(std::vector<Product>& out) {
  for (auto [name, make] : kActors) {
    std::string n = name;
    out.push_back({"data/" + n + ".smd", [make] {
                     Bytes model, anim;
                     make(model, anim);
                     return model;
                   }});
    out.push_back({"data/" + n + "_anim.smd", [make] {
                     Bytes model, anim;
                     make(model, anim);
                     return anim;
                   }});
  }
}

}  // namespace content
