// Whether the player can see the ship: nothing of a level's scenery that stands between the play
// camera and the ship's plane may cover the part of the screen where the ship can be. The walls
// and the pieces that follow them are loaded with the engine's readers and placed as the level's
// set-up and timeline place them; the camera is a pinhole at (0, camera Y, -237) looking along +Z.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content_test_build.h"
#include "engine/mesh.h"

using content_test::file;

namespace {

const float kShipZ = 170;
// Scenery stands before the ship when it lies nearer than this.
const float kFront = kShipZ - 5;
const float kCamZ = -237;
// The screen's half height at the ship's plane (focal length 100 at 640 x 480).
const float kHalfHigh = 129;
// The ship's box (constrainShip) and the camera's heights: it trails the ship's height plus 50,
// so any height from the lowest to the highest, with the ship anywhere on the screen.
const float kX0 = -124, kX1 = 163, kY0 = -50, kY1 = 160;
const float kCamY0 = kY0 + 50, kCamY1 = kY1 + 50;
const float kGrid = 4;
const int kNX = static_cast<int>((kX1 - kX0) / kGrid) + 1,
          kNY = static_cast<int>((kY1 - kY0) / kGrid) + 1;

const TMeshAutoCenterings kCentred = macCenterX | macCenterY | macCenterZ;

std::unique_ptr<TGLFreeForm> load_mesh(const std::string& name, TMeshAutoCenterings centring) {
  auto m = std::make_unique<TGLFreeForm>();
  m->SetAutoCentering(centring);
  m->LoadFromBytes("modely\\" + name + ".3ds", file("modely/" + name + ".3ds"));
  return m;
}

struct Tri {
  std::array<TAffineVector, 3> p;
};

// Where the walls' rock cuts the ship's plane, row by row in the walls' own space: the side
// faces crossing Z 170 give the rock's edges, and their normals tell rock from open space.
class PlaneRock {
 public:
  PlaneRock(const TGLFreeForm& walls, float y0, float y1) : y0_(y0) {
    rows_.resize(static_cast<size_t>((y1 - y0) / kRow) + 1);
    for (const CollisionTriangle& t : walls.CollisionTriangles()) {
      if (!t.usable || std::fabs(t.normal.Z) > 0.9f) continue;
      const TAffineVector* p[3] = {&t.p1, &t.p2, &t.p3};
      std::vector<std::pair<float, float>> cut;
      for (int k = 0; k < 3; ++k) {
        const TAffineVector &a = *p[k], &b = *p[(k + 1) % 3];
        if ((a.Z - kShipZ) * (b.Z - kShipZ) < 0) {
          float s = (kShipZ - a.Z) / (b.Z - a.Z);
          cut.push_back({a.X + (b.X - a.X) * s, a.Y + (b.Y - a.Y) * s});
        }
      }
      if (cut.size() != 2) continue;
      auto [ax, ay] = cut[0];
      auto [bx, by] = cut[1];
      if (ay > by) std::swap(ax, bx), std::swap(ay, by);
      long r0 = std::max(0L, static_cast<long>(std::floor((ay - y0_) / kRow)));
      long r1 = std::min(static_cast<long>(rows_.size()) - 1,
                         static_cast<long>(std::ceil((by - y0_) / kRow)));
      for (long ri = r0; ri <= r1; ++ri) {
        size_t r = static_cast<size_t>(ri);
        float y = row_y(r);
        if (y < ay || y >= by) continue;
        rows_[r].push_back({ax + (bx - ax) * (y - ay) / (by - ay), t.normal.X > 0});
      }
    }
    for (auto& row : rows_) std::sort(row.begin(), row.end());
  }
  // The point of the walls' space lies in rock.
  bool inside(float x, float y) const {
    long r = std::lround((y - y0_) / kRow);
    if (r < 0 || r >= static_cast<long>(rows_.size())) return true;
    const auto& row = rows_[static_cast<size_t>(r)];
    if (row.empty()) return true;  // every level is closed at its ends: no edge, all rock
    auto it = std::upper_bound(row.begin(), row.end(), std::make_pair(x, true));
    if (it == row.begin()) return it->second;  // before an edge that opens towards +X: rock
    return !std::prev(it)->second;
  }

 private:
  static constexpr float kRow = 2;
  float row_y(size_t r) const { return y0_ + kRow * static_cast<float>(r) + 0.013f; }
  float y0_;
  std::vector<std::vector<std::pair<float, bool>>> rows_;  // edge X, open towards +X
};

// A piece of scenery: its mesh, and where the level puts it for a position of the walls.
struct Placement {
  float x, y, z, pitch;
};
enum class Kind {
  kWalls,    // steny1, whose rock the probes meet in the ship's plane
  kStill,    // keeps its attitude
  kTurning,  // turns about its X axis as the walls move
};
struct Piece {
  std::string what;
  Kind kind;
  std::function<Placement(float wx, float wy)> place;
  std::unique_ptr<TGLFreeForm> mesh;
  std::vector<Tri> tris;  // the triangles that stand before the ship, in the mesh's own space
};

// A straight stretch of a level's timeline, as in the flyability test: the walls' position moves
// from (x0, y0) to (x1, y1).
struct Run {
  float x0, y0, x1, y1;
};
struct Level {
  int n;
  std::vector<Run> runs;
};
const Level kLevels[6] = {
    {1, {{-400, 0, 2410, 0}}},
    {2, {{-380, 0, 2200, 0}}},
    {3, {{-380, -20, -380, 2884}, {-380, 2884, 721, 2884}}},
    {4, {{-400, 0, 1751, 0}}},
    {5, {{-406, 0, -406, -2512}}},
    {6, {{-300, 0, 2100, 0}}},
};

// The pieces that move with the walls on each level, where the set-up and the frame loop put
// them: `ruzne` takes the walls' position; `steny2` and `ob1` keep their offsets from it; level
// 2's roller and propeller turn a degree a frame while the walls move half a unit.
std::vector<Piece> pieces_of(int level) {
  std::vector<Piece> out;
  auto add = [&](const std::string& what, const std::string& name, TMeshAutoCenterings c, Kind kind,
                 std::function<Placement(float, float)> place) {
    out.push_back({what + " (" + name + ")", kind, std::move(place), load_mesh(name, c), {}});
  };
  auto with_walls = [](float wx, float wy) { return Placement{wx, wy, 0, 0}; };
  auto turned = [](float wx) { return std::fmod((wx + 380) / 0.5f, 360.0f); };
  add("steny1", "steny" + std::to_string(level), 0, Kind::kWalls, with_walls);
  switch (level) {
    case 1:
      add("ob1", "delo", kCentred, Kind::kStill, [](float wx, float) {
        return Placement{wx - 1656, -200, 191, 0};
      });
      break;
    case 2:
      add("steny2", "valec", kCentred, Kind::kTurning, [=](float wx, float) {
        return Placement{wx - 780, -109, 227, turned(wx)};
      });
      add("ruzne", "ruzne2", 0, Kind::kStill, with_walls);
      add("ob1", "vrtule", kCentred, Kind::kTurning, [=](float wx, float) {
        return Placement{wx - 1796, 26, 164, turned(wx)};
      });
      break;
    case 3:
      add("ruzne", "ruzne3", 0, Kind::kStill, with_walls);
      break;
    case 4:
      add("steny2", "ruzne4", kCentred, Kind::kStill, [](float wx, float) {
        return Placement{wx - 760, 38, 124, 0};
      });
      break;
    case 5:
      add("steny2", "ruzne5", kCentred, Kind::kStill, [](float, float wy) {
        return Placement{6, wy + 1243, 184, 0};
      });
      // The door follows the walls down to -2400, then rises two units a frame to -2200 while the
      // walls sink on at a unit and a half.
      add("ruzne", "dvere5", 0, Kind::kStill, [](float wx, float wy) {
        float y = wy > -2400 ? wy : std::min(-2200.0f, -2400 + (-2400 - wy) * 2 / 1.5f);
        return Placement{wx, y, 0, 0};
      });
      break;
    default:
      add("ob1", "ruzne6", kCentred, Kind::kStill, [](float wx, float) {
        return Placement{wx - 723.5f, 18, 193, 0};
      });
      add("steny2", "spodky6", kCentred, Kind::kStill, [](float wx, float) {
        return Placement{wx - 762.5f, 9, 182, 0};
      });
      break;
  }
  return out;
}

// The largest Z of the surface each triangle belongs to: triangles sharing a corner are one
// surface.
std::vector<float> surface_backs(const std::vector<CollisionTriangle>& tris) {
  std::map<std::array<float, 3>, size_t> corner;
  std::vector<size_t> parent;
  auto find = [&](size_t a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  };
  std::vector<std::array<size_t, 3>> ids;
  for (const CollisionTriangle& t : tris) {
    const TAffineVector* p[3] = {&t.p1, &t.p2, &t.p3};
    std::array<size_t, 3> id{};
    for (int k = 0; k < 3; ++k) {
      auto [it, added] = corner.insert({{p[k]->X, p[k]->Y, p[k]->Z}, parent.size()});
      if (added) parent.push_back(it->second);
      id[static_cast<size_t>(k)] = it->second;
    }
    parent[find(id[1])] = find(id[0]);
    parent[find(id[2])] = find(id[0]);
    ids.push_back(id);
  }
  std::vector<float> back(parent.size(), -1e9f);
  for (size_t k = 0; k < tris.size(); ++k) {
    float& b = back[find(ids[k][0])];
    b = std::max({b, tris[k].p1.Z, tris[k].p2.Z, tris[k].p3.Z});
  }
  std::vector<float> out;
  for (const auto& id : ids) out.push_back(back[find(id[0])]);
  return out;
}

// Keeps the triangles of a piece that stand before the ship's plane: those wholly nearer than
// kFront. The walls' rock that reaches the plane, where the probes meet it, frames the passage
// (its faces before the plane hide only what is inside it or flush with it), so of the walls
// only what is not joined to that rock counts. A turning piece is judged over its whole turn: a
// blade that comes round through the plane, where the probes meet it, is part of the obstacle.
void keep_front(Piece& piece) {
  float z = piece.place(0, 0).z;
  std::vector<CollisionTriangle> tris = piece.mesh->CollisionTriangles();
  std::vector<float> surface_back;
  if (piece.kind == Kind::kWalls) surface_back = surface_backs(tris);
  for (size_t k = 0; k < tris.size(); ++k) {
    const CollisionTriangle& t = tris[k];
    float back = -1e9f;
    for (const TAffineVector* v : {&t.p1, &t.p2, &t.p3})
      back = std::max(back, piece.kind == Kind::kTurning ? std::hypot(v->Y, v->Z) : v->Z);
    if (piece.kind == Kind::kWalls) back = surface_back[k];
    if (z + back < kFront) piece.tris.push_back({{t.p1, t.p2, t.p3}});
  }
}

// What the check of a level found.
struct Finding {
  size_t samples = 0;
  size_t hidden = 0;  // places the ship can be in, at a sample, hidden from some camera height
  std::map<std::string, size_t> by_piece;
  std::map<std::string, std::string> first;
  std::map<std::string, std::pair<float, float>> span;  // the walls' positions along the run
};

// The ship's places at a sample that a triangle (scene space) covers as the camera at height
// `cy` sees them: the ray from the camera through each place meets the triangle.
template <typename Hit>
void cover(const Tri& t, float cy, const Hit& hit) {
  float px[3], py[3];
  for (int c = 0; c < 3; ++c) {
    const TAffineVector& v = t.p[c];
    if (v.Z <= kCamZ + 1) return;  // behind the camera
    // The corner as seen on the ship's plane.
    float s = (kShipZ - kCamZ) / (v.Z - kCamZ);
    px[c] = v.X * s;
    py[c] = cy + (v.Y - cy) * s;
  }
  float area = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
  if (std::fabs(area) < 1e-6f) return;
  // The ship on screen: its box, within the screen's height round the camera's aim.
  float lo_x = std::min({px[0], px[1], px[2]}), hi_x = std::max({px[0], px[1], px[2]});
  float lo_y = std::max({std::min({py[0], py[1], py[2]}), kY0, cy - kHalfHigh});
  float hi_y = std::min({std::max({py[0], py[1], py[2]}), kY1, cy + kHalfHigh});
  int i0 = std::max(0, static_cast<int>(std::ceil((lo_x - kX0) / kGrid)));
  int i1 = std::min(kNX - 1, static_cast<int>(std::floor((hi_x - kX0) / kGrid)));
  int j0 = std::max(0, static_cast<int>(std::ceil((lo_y - kY0) / kGrid)));
  int j1 = std::min(kNY - 1, static_cast<int>(std::floor((hi_y - kY0) / kGrid)));
  for (int j = j0; j <= j1; ++j)
    for (int i = i0; i <= i1; ++i) {
      float x = kX0 + kGrid * static_cast<float>(i), y = kY0 + kGrid * static_cast<float>(j);
      bool in = true;
      for (int c = 0; c < 3 && in; ++c) {
        int d = (c + 1) % 3;
        in = ((px[d] - px[c]) * (y - py[c]) - (x - px[c]) * (py[d] - py[c])) / area >= 0;
      }
      if (in) hit(i, j);
    }
}

Finding look_along(const Level& lv) {
  std::vector<Piece> pieces = pieces_of(lv.n);
  PlaneRock rock(*pieces[0].mesh, -3200, 3400);
  for (Piece& p : pieces) keep_front(p);
  std::vector<std::pair<float, float>> at;
  for (const Run& r : lv.runs) {
    int n = static_cast<int>(std::ceil(std::hypot(r.x1 - r.x0, r.y1 - r.y0) / kGrid));
    for (int k = 0; k <= n; ++k) {
      float t = static_cast<float>(k) / static_cast<float>(n);
      at.push_back({r.x0 + (r.x1 - r.x0) * t, r.y0 + (r.y1 - r.y0) * t});
    }
  }
  Finding found;
  std::vector<char> open(static_cast<size_t>(kNX * kNY)), hidden(open.size());
  for (auto [wx, wy] : at) {
    ++found.samples;
    // The places the ship can be in: in its box and not inside the walls' rock.
    for (int j = 0; j < kNY; ++j)
      for (int i = 0; i < kNX; ++i)
        open[static_cast<size_t>(j * kNX + i)] = !rock.inside(
            kX0 + kGrid * static_cast<float>(i) - wx, kY0 + kGrid * static_cast<float>(j) - wy);
    std::fill(hidden.begin(), hidden.end(), 0);
    for (Piece& piece : pieces) {
      if (piece.tris.empty()) continue;
      Placement pl = piece.place(wx, wy);
      piece.mesh->ResetOrientation();
      piece.mesh->Position().SetPoint(pl.x, pl.y, pl.z);
      if (pl.pitch != 0) piece.mesh->PitchBy(pl.pitch);
      const TMatrix& m = piece.mesh->AbsoluteMatrix();
      for (const Tri& local : piece.tris) {
        Tri t;
        for (int c = 0; c < 3; ++c) {
          const TAffineVector& v = local.p[c];
          TVector w = vector_transform(TVector{v.X, v.Y, v.Z, 1}, m);
          t.p[c] = {w.X, w.Y, w.Z};
        }
        for (float cy = kCamY0; cy <= kCamY1; cy += 10)
          cover(t, cy, [&](int i, int j) {
            size_t k = static_cast<size_t>(j * kNX + i);
            if (!open[k] || hidden[k]) return;
            hidden[k] = 1;
            ++found.hidden;
            float along = lv.n == 3 || lv.n == 5 ? wy : wx;
            auto [span, fresh] = found.span.try_emplace(piece.what, along, along);
            if (!fresh)
              span->second = {std::min(span->second.first, along),
                              std::max(span->second.second, along)};
            if (found.by_piece[piece.what]++) return;
            char text[160];
            std::snprintf(text, sizeof text,
                          "walls at (%.0f, %.0f), camera at height %.0f, ship at (%.0f, %.0f)", wx,
                          wy, cy, kX0 + kGrid * static_cast<float>(i),
                          kY0 + kGrid * static_cast<float>(j));
            found.first[piece.what] = text;
          });
      }
    }
  }
  return found;
}

}  // namespace

TEST(View, TheCameraSeesACardBeforeTheShip) {
  // A card half way to the ship, on the line from the camera at height 100 to the ship at
  // (0, 50): it hides that place and its neighbours, not the ship 40 units aside.
  const float t = (20 - kCamZ) / (kShipZ - kCamZ), y = 100 + (50 - 100) * t;
  const Tri card{{TAffineVector{-20, y - 10, 20}, TAffineVector{20, y - 10, 20},
                  TAffineVector{0, y + 10, 20}}};
  std::vector<std::pair<float, float>> hit;
  cover(card, 100, [&](int i, int j) {
    hit.push_back({kX0 + kGrid * static_cast<float>(i), kY0 + kGrid * static_cast<float>(j)});
  });
  auto hides = [&](float x, float y) {
    return std::find(hit.begin(), hit.end(), std::make_pair(x, y)) != hit.end();
  };
  EXPECT_TRUE(hides(0, 50));
  EXPECT_TRUE(hides(8, 50));
  EXPECT_FALSE(hides(40, 50));
  EXPECT_FALSE(hides(0, 90));
  // Seen from further up, the card drops below the ship on the screen.
  hit.clear();
  cover(card, 210, [&](int i, int j) {
    hit.push_back({kX0 + kGrid * static_cast<float>(i), kY0 + kGrid * static_cast<float>(j)});
  });
  EXPECT_FALSE(hides(0, 50));
}

TEST(View, TheWallsRockIsReadInTheShipsPlane) {
  // Per level: the walls at the start, the ship's start place (open) and a place of rock.
  struct Spot {
    int level;
    float wx, wy, ship_x, ship_y, rock_x, rock_y;
  };
  const Spot spots[] = {{1, -400, 0, 100, 54, 100, -200},  {2, -380, 0, 100, 80, 100, -200},
                        {3, -380, -20, 100, 54, -280, 54}, {4, -400, 0, 50, 164, 50, -200},
                        {5, -406, 0, 50, 164, -300, 164},  {6, -300, 0, 100, 54, 100, -200}};
  for (const Spot& p : spots) {
    auto walls = load_mesh("steny" + std::to_string(p.level), 0);
    PlaneRock rock(*walls, -3200, 3400);
    EXPECT_FALSE(rock.inside(p.ship_x - p.wx, p.ship_y - p.wy)) << "level " << p.level;
    EXPECT_TRUE(rock.inside(p.rock_x - p.wx, p.rock_y - p.wy)) << "level " << p.level;
  }
}

TEST(View, NothingBeforeTheShipHidesIt) {
  for (const Level& lv : kLevels) {
    Finding f = look_along(lv);
    std::printf("level %d: %zu samples, %zu places hidden\n", lv.n, f.samples, f.hidden);
    for (auto& [what, n] : f.by_piece)
      std::printf("  %s: %zu, with the walls from %.0f to %.0f; first with the %s\n", what.c_str(),
                  n, f.span[what].first, f.span[what].second, f.first[what].c_str());
    EXPECT_EQ(f.hidden, 0u) << "level " << lv.n << ": the ship disappears behind scenery";
  }
}
