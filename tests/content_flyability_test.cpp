// Whether the generated levels can be flown: the walls of each level loaded with the engine's
// reader, swept with the ship's four real probes along the level's whole timeline at the pace the
// walls really move, looking for a path the ship can steer from its start to the level's end past
// the large pieces the probes push against; and the enemies' lanes kept clear of the rock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include "content_test_build.h"
#include "engine/actor.h"
#include "engine/mesh.h"

using content_test::file;

namespace {

// The probes as the asset loading shapes them (CubeSize 1, so half extents 0.5) and as
// constrainShip places them round the ship holder.
struct Probe {
  float dx, dy;
  TVector dir;
  float radius;
};
const float kSideRadius = std::sqrt(10.0f * 10.0f + 4.0f * 4.0f + 0.05f * 0.05f);
const float kUpDownRadius = std::sqrt(10.0f * 10.0f + 10.0f * 10.0f + 0.25f * 0.25f);
const Probe kProbes[4] = {{-35, 0, vector_make(-1, 0, 0), kSideRadius},      // pbok
                          {0, 0, vector_make(1, 0, 0), kSideRadius},         // lbok
                          {-20, 3, vector_make(0, 1, 0), kUpDownRadius},     // vrch
                          {-20, -3, vector_make(0, -1, 0), kUpDownRadius}};  // spodek
// One steering step at 20 frames per second, on each axis: the longest sweep the probes make.
const float kSteer = 7;
const float kShipZ = 170;
const int kStartHold = 50;  // frames the ship is held at its start while the walls move on

// The ship's box (constrainShip) on a grid of 4 units.
const float kGrid = 4, kX0 = -124, kX1 = 163, kY0 = -50, kY1 = 160;
const int kNX = static_cast<int>((kX1 - kX0) / kGrid) + 1,
          kNY = static_cast<int>((kY1 - kY0) / kGrid) + 1;

std::unique_ptr<TGLFreeForm> load_mesh(const std::string& name, TMeshAutoCenterings centring) {
  auto m = std::make_unique<TGLFreeForm>();
  m->SetAutoCentering(centring);
  m->LoadFromBytes("modely\\" + name + ".3ds", file("modely/" + name + ".3ds"));
  m->BuildCollisionOctree();
  return m;
}
const TMeshAutoCenterings kCentred = macCenterX | macCenterY | macCenterZ;

struct Extent {
  float x, y, z;  // the bounding box's size
};
Extent extent_of(const TGLBaseMesh& m) {
  float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
  for (const auto& o : m.MeshObjects())
    for (const TAffineVector& v : o->Vertices)
      for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], v[a]), hi[a] = std::max(hi[a], v[a]);
  return {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
}
const Extent& ship() {
  static const Extent e = extent_of(*load_mesh("lod", kCentred));
  return e;
}

// A straight stretch of a level's timeline: the walls' position moves from (x0, y0) to (x1, y1)
// by `per_frame` each frame at 20 frames per second.
struct Run {
  float x0, y0, x1, y1, per_frame;
  bool vertical() const { return std::fabs(y1 - y0) > std::fabs(x1 - x0); }
};

struct Level {
  int n;
  float start_x, start_y;
  std::vector<Run> runs;
};

// Level 1 halts at 1560.5 while the cannon lives (the first frame past 1560); level 3 climbs two
// units a frame until 2884, then runs along X; level 5 sinks three half-units a frame.
const Level kLevels[6] = {
    {1, 100, 54, {{-400, 0, 1560.5f, 0, 0.5f}, {1560.5f, 0, 2410, 0, 0.5f}}},
    {2, 100, 80, {{-380, 0, 2200, 0, 0.5f}}},
    {3, 100, 54, {{-380, -20, -380, 2884, 1.0f}, {-380, 2884, 721, 2884, 0.5f}}},
    {4, 50, 164, {{-400, 0, 1751, 0, 0.5f}}},
    {5, 50, 164, {{-406, 0, -406, -2512, 1.5f}}},
    {6, 100, 54, {{-300, 0, 2100, 0, 0.5f}}},
};

class Walls {
 public:
  explicit Walls(int level) {
    mesh_ = load_mesh("steny" + std::to_string(level), 0);
    // The wall faces that cross the ship's plane, as segments, for the inside-rock test.
    for (const CollisionTriangle& t : mesh_->CollisionTriangles()) {
      if (!t.usable) continue;
      const TAffineVector* p[3] = {&t.p1, &t.p2, &t.p3};
      std::vector<std::pair<float, float>> cut;
      for (int k = 0; k < 3; ++k) {
        const TAffineVector &a = *p[k], &b = *p[(k + 1) % 3];
        if ((a.Z - kShipZ) * (b.Z - kShipZ) < 0 || a.Z == kShipZ) {
          float s = a.Z == b.Z ? 0 : (kShipZ - a.Z) / (b.Z - a.Z);
          cut.push_back({a.X + (b.X - a.X) * s, a.Y + (b.Y - a.Y) * s});
        }
      }
      if (cut.size() < 2 || std::fabs(t.normal.Z) > 0.9f) continue;
      segments_.push_back(
          {cut[0].first, cut[0].second, cut[1].first, cut[1].second, t.normal.X, t.normal.Y});
    }
  }

  // A probe at a point of the walls' own space touches them.
  bool touches(float x, float y, const TVector& dir, float radius, float velocity,
               float z = kShipZ) {
    return mesh_->SphereSweepIntersect(point_make(x, y, z), dir, velocity, radius);
  }

  // The point lies inside rock: the nearest wall face turns its back on it.
  bool inside(float x, float y) const {
    float best = 1e30f, side = 1;
    for (const Seg& s : segments_) {
      float dx = s.x1 - s.x0, dy = s.y1 - s.y0, l2 = dx * dx + dy * dy;
      float t = l2 > 0 ? std::clamp(((x - s.x0) * dx + (y - s.y0) * dy) / l2, 0.0f, 1.0f) : 0;
      float px = s.x0 + dx * t - x, py = s.y0 + dy * t - y, d = px * px + py * py;
      if (d < best) {
        best = d;
        side = -(px * s.nx + py * s.ny);
      }
    }
    return side < 0;
  }

  // All four probes clear of the walls with the ship at (x, y) in the walls' space.
  bool ship_free(float x, float y) {
    int64_t key = (static_cast<int64_t>(std::lround(x * 2)) << 32) ^
                  static_cast<int64_t>(std::lround(y * 2) & 0xffffffff);
    auto it = memo_.find(key);
    if (it != memo_.end()) return it->second;
    bool free = !inside(x, y);
    for (const Probe& p : kProbes)
      if (free && touches(x + p.dx, y + p.dy, p.dir, p.radius, kSteer)) free = false;
    memo_[key] = free;
    ++evaluated;
    return free;
  }

  // A sphere of `radius` at the point (depth z) neither inside rock nor touching a wall.
  bool clear(float x, float y, float radius, float z = kShipZ) {
    if (inside(x, y)) return false;
    const TVector dirs[4] = {vector_make(1, 0, 0), vector_make(-1, 0, 0), vector_make(0, 1, 0),
                             vector_make(0, -1, 0)};
    for (const TVector& d : dirs)
      if (touches(x, y, d, radius, 1, z)) return false;
    return true;
  }

  size_t evaluated = 0;

 private:
  struct Seg {
    float x0, y0, x1, y1, nx, ny;
  };
  std::unique_ptr<TGLFreeForm> mesh_;
  std::vector<Seg> segments_;
  std::unordered_map<int64_t, bool> memo_;
};

// A large piece the probes push against as they push against the walls (`ob1`), placed in the
// walls' space.
class Piece {
 public:
  Piece(const std::string& name, float x, float y, float z) : mesh_(load_mesh(name, kCentred)) {
    place(x, y, z, 0);
    reach_ = mesh_->BoundingRadius() + 35 + kUpDownRadius + kSteer;
  }
  void place(float x, float y, float z, float pitch) {
    mesh_->ResetOrientation();
    mesh_->Position().SetPoint(x, y, z);
    if (pitch != 0) mesh_->PitchBy(pitch);
    x_ = x, y_ = y;
  }
  // All four probes clear of the piece with the ship at (x, y).
  bool ship_free(float x, float y) {
    if (std::hypot(x - 17 - x_, y - y_) > reach_) return true;
    for (const Probe& p : kProbes)
      if (mesh_->SphereSweepIntersect(point_make(x + p.dx, y + p.dy, kShipZ), p.dir, kSteer,
                                      p.radius))
        return false;
    return true;
  }

 private:
  std::unique_ptr<TGLFreeForm> mesh_;
  float x_ = 0, y_ = 0, reach_ = 0;
};

// The tightest passage the ship had to pass on a run of the level (see `passage_needed`).
struct Narrowest {
  float room = 1e9f, needed = 0;
  std::string at;
};

struct Result {
  bool reached = false;
  size_t samples = 0;
  std::vector<Narrowest> runs;
  float least_room = 1;  // the smallest share of the box that was free at a sample
  bool cannon_passed = true;
  // Level 3: for each column of the walls the ship could be in while stones fall, the walls'
  // heights at those times.
  std::map<int, std::set<float>> stone_columns;
};

// The walls' position after `frames` frames of a run.
std::pair<float, float> walls_at(const Run& r, float frames) {
  float len = std::hypot(r.x1 - r.x0, r.y1 - r.y0);
  float t = std::min(1.0f, frames * r.per_frame / len);
  return {r.x0 + (r.x1 - r.x0) * t, r.y0 + (r.y1 - r.y0) * t};
}

// Level 1's cannon, when the walls halt for it: it rises from its pit and follows the ship's
// height, then sinks as a wreck (three down and one towards +X a frame). The ship must have a
// place it can reach where neither the walls nor the cannon touch it, the wreck included.
bool cannon_can_be_fought(Walls& walls, float wx, const std::vector<std::pair<float, float>>& at) {
  Piece cannon("delo", -1656, 0, 191);
  for (auto [sx, sy] : at) {
    float x = sx - wx, y = sy;
    bool ok = walls.ship_free(x, y);
    for (int f = 0; ok; ++f) {
      float cx = -1656 + static_cast<float>(f), cy = sy - 3.0f * static_cast<float>(f);
      if (cy < -300 || cx + wx > 250) break;
      cannon.place(cx, cy, 191, 0);
      ok = cannon.ship_free(x, y);
    }
    if (ok) return true;
  }
  return false;
}

// The passage at a line across a run of the level is the extent, along that line, of the places
// the ship itself can be in (all four probes free), in one stretch that the ship can reach; the
// probes' cushion is not counted, so it is the room the player has to steer in. Where the level
// runs sideways it must be at least twice the ship's height; in a shaft, where the ship lies
// across the passage, at least twice the ship's length.
float passage_needed(const Run& r) { return r.vertical() ? 2 * ship().x : 2 * ship().y; }

Result fly(const Level& lv, Walls& walls, Piece* piece,
           const std::function<void(Piece&, float wx, float wy)>& move_piece) {
  Result res;
  auto cell_x = [](int i) { return kX0 + kGrid * static_cast<float>(i); };
  auto cell_y = [](int j) { return kY0 + kGrid * static_cast<float>(j); };
  std::vector<char> reach(static_cast<size_t>(kNX * kNY), 0), next(reach.size());
  auto at = [](int i, int j) { return static_cast<size_t>(j * kNX + i); };
  int si = static_cast<int>(std::lround((lv.start_x - kX0) / kGrid));
  int sj =
      std::min(kNY - 1, static_cast<int>(std::lround((std::min(lv.start_y, kY1) - kY0) / kGrid)));
  reach[at(si, sj)] = 1;
  int frame = 0;
  for (size_t r = 0; r < lv.runs.size(); ++r) {
    const Run& run = lv.runs[r];
    // Samples every few frames, so the walls move at most one grid step between two.
    int per_sample = std::max(1, static_cast<int>(kGrid / run.per_frame));
    float len = std::hypot(run.x1 - run.x0, run.y1 - run.y0);
    int run_frames = static_cast<int>(std::ceil(len / run.per_frame));
    bool vertical = run.vertical();
    // The lines across this run that the ship must cross, between where its box is at the run's
    // start and where it is at the run's end.
    float a0 = vertical ? run.y0 : run.x0, a1 = vertical ? run.y1 : run.x1;
    float c0 = vertical ? kY0 : kX0, c1 = vertical ? kY1 : kX1;
    float must_lo = a1 > a0 ? c1 - a1 : c1 - a0, must_hi = a1 > a0 ? c0 - a0 : c0 - a1;
    std::map<int, float> opening;  // by line: the widest passage seen there
    for (int done = 0; done < run_frames;) {
      int frames = std::min(per_sample, run_frames - done);
      done += frames;
      frame += frames;
      auto [wx, wy] = walls_at(run, static_cast<float>(done));
      ++res.samples;
      if (piece) move_piece(*piece, wx, wy);
      auto free_at = [&](int i, int j) {
        float x = cell_x(i) - wx, y = cell_y(j) - wy;
        return walls.ship_free(x, y) && (!piece || piece->ship_free(x, y));
      };
      if (frame <= kStartHold) {
        if (!free_at(si, sj)) return res;
        continue;
      }
      // Up to one steering step a frame on each axis, through free places only.
      int steps = static_cast<int>(
          kSteer * static_cast<float>(std::min(frames, frame - kStartHold)) / kGrid);
      std::fill(next.begin(), next.end(), 0);
      std::vector<std::pair<int, int>> frontier;
      for (int j = 0; j < kNY; ++j)
        for (int i = 0; i < kNX; ++i)
          if (reach[at(i, j)] && free_at(i, j)) {
            next[at(i, j)] = 1;
            frontier.push_back({i, j});
          }
      for (int s = 0; s < steps && !frontier.empty(); ++s) {
        std::vector<std::pair<int, int>> grown;
        for (auto [i, j] : frontier)
          for (int dj = -1; dj <= 1; ++dj)
            for (int di = -1; di <= 1; ++di) {
              int a = i + di, b = j + dj;
              if (a < 0 || b < 0 || a >= kNX || b >= kNY || next[at(a, b)]) continue;
              if (!free_at(a, b)) continue;
              next[at(a, b)] = 1;
              grown.push_back({a, b});
            }
        frontier.swap(grown);
      }
      reach.swap(next);
      int free_cells = 0;
      bool any = false;
      for (int j = 0; j < kNY; ++j)
        for (int i = 0; i < kNX; ++i) {
          free_cells += free_at(i, j);
          any = any || reach[at(i, j)];
        }
      if (!any) return res;
      res.least_room =
          std::min(res.least_room, static_cast<float>(free_cells) / static_cast<float>(kNX * kNY));
      // Stones fall in level 3's shaft while the walls are between 100 and 2650.
      if (lv.n == 3 && vertical && wy > 100 && wy < 2650)
        for (int i = 0; i < kNX; ++i)
          for (int j = 0; j < kNY; ++j)
            if (reach[at(i, j)]) {
              res.stone_columns[static_cast<int>(cell_x(i) - wx)].insert(wy);
              break;
            }
      // The passage at each line of the walls in the box, through a place the ship can reach.
      int lines = vertical ? kNY : kNX, across = vertical ? kNX : kNY;
      for (int a = 0; a < lines; ++a) {
        int run_len = 0, best = 0;
        bool run_touched = false;
        for (int b = 0; b <= across; ++b) {
          int i = vertical ? b : a, j = vertical ? a : b;
          if (b < across && free_at(i, j)) {
            ++run_len;
            run_touched = run_touched || reach[at(i, j)];
          } else {
            if (run_touched) best = std::max(best, run_len);
            run_len = 0;
            run_touched = false;
          }
        }
        if (!best) continue;
        float line = vertical ? cell_y(a) - wy : cell_x(a) - wx;
        if (line < must_lo || line > must_hi) continue;
        int key = static_cast<int>(std::lround(line / kGrid));
        float room = (static_cast<float>(best) - 1) * kGrid;
        auto it = opening.find(key);
        if (it == opening.end() || it->second < room) opening[key] = room;
      }
    }
    Narrowest tightest;
    tightest.needed = passage_needed(run);
    for (auto& [line, room] : opening)
      if (room < tightest.room) {
        tightest.room = room;
        tightest.at = std::string(vertical ? "y " : "x ") +
                      std::to_string(static_cast<int>(static_cast<float>(line) * kGrid));
      }
    res.runs.push_back(tightest);
    if (lv.n == 1 && r == 0) {
      std::vector<std::pair<float, float>> places;
      for (int j = 0; j < kNY; ++j)
        for (int i = 0; i < kNX; ++i)
          if (reach[at(i, j)]) places.push_back({cell_x(i), cell_y(j)});
      res.cannon_passed = cannon_can_be_fought(walls, run.x1, places);
    }
  }
  res.reached = true;
  return res;
}

// The large pieces the probes push against on each level, where they are in the walls' space:
// level 2's propeller turns a degree a frame about its pitch axis from the level's start, as the
// walls move half a unit a frame, so its angle is tied to the walls' position; level 6's pod
// sits half a unit behind its place because it follows the walls' position of the frame before.
std::unique_ptr<Piece> piece_of(int level) {
  if (level == 2) return std::make_unique<Piece>("vrtule", -1796, 26, 164);
  if (level == 6) return std::make_unique<Piece>("ruzne6", -723.5f, 18, 193);
  return nullptr;
}
void move_piece(int level, Piece& p, float wx, float /*wy*/) {
  if (level == 2) p.place(-1796, 26, 164, std::fmod((wx + 380) / 0.5f, 360.0f));
}

}  // namespace

TEST(Flyability, LargePiecesStandInThePassage) {
  // Level 6's pod stands in the middle of the passage.
  std::unique_ptr<Piece> pod = piece_of(6);
  EXPECT_FALSE(pod->ship_free(-723.5f + 20, 18));
  EXPECT_TRUE(pod->ship_free(-723.5f + 20, 130));
  // Level 2's propeller: at the level's start its blades stand upright, a wall from -74 to 126
  // before the ship's nose; 90 frames later (the walls 45 further) they lie across, and the ship
  // passes above or below the hub.
  std::unique_ptr<Piece> prop = piece_of(2);
  const float nose_near = -1796 + 50;
  move_piece(2, *prop, -380, 0);
  EXPECT_FALSE(prop->ship_free(nose_near, 100));
  EXPECT_FALSE(prop->ship_free(nose_near, -40));
  move_piece(2, *prop, -380 + 45, 0);
  EXPECT_TRUE(prop->ship_free(nose_near, 100));
  EXPECT_TRUE(prop->ship_free(nose_near, -40));
  EXPECT_FALSE(prop->ship_free(nose_near, 26)) << "the hub is always in the way";
}

TEST(Flyability, EveryLevelHasAPathFromStartToEnd) {
  for (const Level& lv : kLevels) {
    Walls walls(lv.n);
    std::unique_ptr<Piece> piece = piece_of(lv.n);
    Result r = fly(lv, walls, piece.get(),
                   [&](Piece& p, float wx, float wy) { move_piece(lv.n, p, wx, wy); });
    std::string passages;
    for (const Narrowest& n : r.runs) {
      char text[96];
      std::snprintf(text, sizeof text, "%s%.0f at %s (needs %.0f)", passages.empty() ? "" : "; ",
                    n.room, n.at.c_str(), n.needed);
      passages += text;
    }
    std::printf(
        "level %d: %zu samples, narrowest passage %s, least free %.0f%% of the box, %zu places "
        "swept\n",
        lv.n, r.samples, passages.c_str(), r.least_room * 100, walls.evaluated);
    EXPECT_TRUE(r.reached) << "level " << lv.n << " blocked after " << r.samples << " samples";
    EXPECT_EQ(r.runs.size(), lv.runs.size());
    for (const Narrowest& n : r.runs)
      EXPECT_GE(n.room, n.needed) << "level " << lv.n << " at " << n.at;
    EXPECT_LT(r.least_room, 0.85f)
        << "level " << lv.n << ": obstacles should make the player steer";
    EXPECT_TRUE(r.cannon_passed) << "level 1: no place to fight the cannon from";
    if (lv.n == 3) {
      // The stones fall at the ship's X, so every column the ship could be in is a stone's lane.
      static const float radius = [] {
        auto k = load_mesh("kamen", kCentred);
        return k->BoundingRadius();
      }();
      int blocked = 0;
      std::string first;
      for (auto& [x, heights] : r.stone_columns) {
        std::set<int> ys;  // in eights of the walls' space
        for (float wy : heights)
          for (int k = 0; k < 4; ++k) {
            // Stone k+1 falls `fall` a frame. Its first drop (when the walls pass 100) starts at
            // 1000 out of the shaft and takes it 1080 down before it comes to the ship's X; from
            // then on each starts 350 up at the ship's X, drops to -80 and is put away when the
            // walls reach 2650, while the walls climb a unit a frame.
            const float fall[4] = {2, 4, 3, 5};
            float v = fall[k];
            if (wy < 100 + 1080 / v) continue;
            float drop = (v + 1) * std::min(430 / v, 2650 - wy);
            for (float y = 350 - wy; y >= 350 - wy - drop; y -= 4)
              ys.insert(static_cast<int>(std::floor(y / 8)));
          }
        for (int y8 : ys) {
          float y = static_cast<float>(y8) * 8;
          if (walls.clear(static_cast<float>(x), y, radius)) continue;
          if (!blocked++) first = std::to_string(x) + ", " + std::to_string(static_cast<int>(y));
        }
      }
      EXPECT_GT(r.stone_columns.size(), 20u);
      EXPECT_EQ(blocked, 0) << "level 3: falling stones pass through rock, first at (" << first
                            << ")";
    }
  }
}

namespace {

// How much room an enemy takes in the ship's plane, from its loaded mesh: a ball of its bounding
// radius for the small ones, which tumble; for the big ones, which keep their attitude, the
// half sizes of their box across and up (turning ones across their widest side).
struct Room {
  float rx, ry;
};
Room ball(TGLBaseMesh& m) {
  float r = m.BoundingRadius();
  return {r, r};
}
Room box(TGLBaseMesh& m, bool turns) {
  TVector h = m.HalfExtents();
  return {turns ? std::max(h.X, h.Z) : h.X, h.Y};
}

const std::map<std::string, Room>& rooms() {
  static const std::map<std::string, Room> all = [] {
    std::map<std::string, Room> r;
    for (const char* n : {"koule", "ryba", "ryba3", "al6", "sud1", "kamen", "t4"})
      r[n] = ball(*load_mesh(n, kCentred));
    r["delo"] = box(*load_mesh("delo", kCentred), false);
    r["masina"] = box(*load_mesh("masina", kCentred), false);
    r["trup1"] = box(*load_mesh("trup1", macUseBarycenter | kCentred), false);
    r["trup2"] = box(*load_mesh("trup2", macUseBarycenter | kCentred), true);
    r["trup6"] = box(*load_mesh("trup6", macUseBarycenter | kCentred), false);
    // The propeller turns in the YZ plane and the fans in XZ: their discs are lanes of their own,
    // as thick as the hub.
    Extent p = extent_of(*load_mesh("vrtule", kCentred));
    r["vrtule"] = {p.x / 2, p.x / 2};
    r["vrtule disc"] = {0, std::max(p.y, p.z) / 2};
    Extent f = extent_of(*load_mesh("vetrak", kCentred));
    r["vetrak"] = {f.y / 2, f.y / 2};
    r["vetrak disc"] = {std::max(f.x, f.z) / 2, 0};
    for (const char* a : {"pavouk", "martan"}) {
      TGLActor act;
      act.SetAutoCentering(kCentred);
      act.LoadFromBytes(std::string("data\\") + a + ".smd",
                        file(std::string("data/") + a + ".smd"));
      r[a] = ball(act);
    }
    return r;
  }();
  return all;
}

// A lane: the places an enemy's centre passes, in the walls' space; a segment from (x0, y0) to
// (x1, y1), or with `area` the whole rectangle between them; at depth z.
struct Lane {
  const char* what;
  float x0, y0, x1, y1;
  const char* who;
  float z = kShipZ;
  bool area = false;
};

// The lanes of each level, from the enemies' rules, W being the walls' X at the time:
// - aliens enter at X -250 at their entry heights and leave past 250 while their gate is open;
// - the cannon rises from its pit at -1656 and follows the ship's height, at depth 191;
// - level 1's monster climbs out of its pit at -2600 (0.6 across for 0.7 up a frame) to fight
//   where the ship can be while the walls halt at 2300.5, its body 14 ahead of and 12 below its
//   centre, its barrels flying out to X 200 and -130 and heights -130 and 200;
// - level 2's monster rises from -250 to at most 107 under the ship from W 2100 to 2200.5;
// - falling barrels of level 5 drop from their tops (350..650) to their bottoms in columns 50, 0,
//   -20 and -50 while the walls sink to -2512; the fans turn at 757, 1782 and 2295, depth 213;
// - the spiders walk at 34, their shells 5 higher; the bomber hangs at 58 and depth 228 over
//   the ship's X from W 800 to the end, its bomb 8 lower on the ship's plane;
// - level 6's carriers float at -44 and depths 100 and 120, the barrels they let go rise from
//   -47 to 100 at the ship's depth; the final monster comes down from 500 over the ship's X
//   while the walls go from 2000 to 2100, and fights with barrels down to -130 and up to 200.
const std::vector<Lane> kLanes[6] = {
    {{"aliens at 34", -2450, 34, -350, 34, "koule"},
     {"aliens at 84", -2450, 84, -350, 84, "koule"},
     {"the cannon", -1656, -200, -1656, 160, "delo", 191},
     {"the monster climbing", -2586, -212, -2458, -62, "trup1"},
     {"the monster's arena", -2410.5f, -62, -2123.5f, 148, "trup1", kShipZ, true},
     {"the monster's barrels", -2430.5f, -130, -2100.5f, 200, "sud1", kShipZ, true}},
    {{"the propeller's disc", -1796, 26, -1796, 26, "vrtule", 164},
     {"the monster", -2324.5f, -250, -1937, 107, "trup2", kShipZ, true}},
    {{"aliens at 34", -930, -2850, 380, -2850, "ryba3"},
     {"aliens at 84", -930, -2800, 380, -2800, "ryba3"}},
    {{"spiders at 34", -1800, 34, 300, 34, "pavouk"},
     {"spider shells at 39", -1800, 39, 300, 39, "t4"},
     {"the bomber at 58", -1875, 58, -637, 58, "masina", 228},
     {"the bomb at 66", -1875, 66, -637, 66, "sud1"}},
    {{"barrels in column 50", 456, -140, 456, 2862, "sud1"},
     {"barrels in column 0", 406, -140, 406, 2982, "sud1"},
     {"barrels in column -20", 386, -180, 386, 3062, "sud1"},
     {"barrels in column -50", 356, -160, 356, 3162, "sud1"},
     {"fan 1", 403, 757, 403, 757, "vetrak", 213},
     {"fan 2", 403, 1782, 403, 1782, "vetrak", 213},
     {"fan 3", 403, 2295, 403, 2295, "vetrak", 213}},
    {{"aliens at 34", -2050, 34, -250, 34, "al6"},
     {"aliens at 84", -2050, 84, -250, 84, "al6"},
     {"carrier 1", -2050, -44, -500, -44, "martan", 100},
     {"carrier 2", -2050, -44, -500, -44, "martan", 120},
     {"released barrels", -1810, -47, -640, 100, "sud1", kShipZ, true},
     {"the final monster", -2210, -62, -1923, 488, "trup6", kShipZ, true},
     {"the final monster's barrels", -2254, -130, -1867, 200, "sud1", kShipZ, true}},
};

// The places of a lane, every 8 units (a disc: across its width).
std::vector<std::pair<float, float>> lane_points(const Lane& l, Room& room) {
  room = rooms().at(l.who);
  std::vector<std::pair<float, float>> out;
  auto disc = rooms().find(std::string(l.who) + " disc");
  float x0 = l.x0, x1 = l.x1, y0 = l.y0, y1 = l.y1;
  if (disc != rooms().end()) {
    x0 -= disc->second.rx, x1 += disc->second.rx;
    y0 -= disc->second.ry, y1 += disc->second.ry;
  }
  int nx = std::max(1, static_cast<int>(std::ceil((x1 - x0) / 8)));
  int ny = std::max(1, static_cast<int>(std::ceil((y1 - y0) / 8)));
  if (l.area) {
    for (int j = 0; j <= ny; ++j)
      for (int i = 0; i <= nx; ++i)
        out.push_back({x0 + (x1 - x0) * i / nx, y0 + (y1 - y0) * j / ny});
  } else {
    int n = std::max(nx, ny);
    for (int k = 0; k <= n; ++k) out.push_back({x0 + (x1 - x0) * k / n, y0 + (y1 - y0) * k / n});
  }
  return out;
}

// The room at a place: balls of the smaller half size along the longer one.
bool room_clear(Walls& walls, float x, float y, Room room, float z) {
  float r = std::min(room.rx, room.ry), spread_x = room.rx - r, spread_y = room.ry - r;
  int n = static_cast<int>(std::ceil(std::max(spread_x, spread_y) / std::max(r, 1.0f)));
  for (int k = -n; k <= n; ++k) {
    float t = n ? static_cast<float>(k) / static_cast<float>(n) : 0;
    if (!walls.clear(x + spread_x * t, y + spread_y * t, r, z)) return false;
  }
  return true;
}

// Level 2's leapers: out of the sea bed at -95, `lead` ahead of the ship, nose up, then arcing
// over as their pitch falls, along their own direction, until below -100. The arc as the engine
// turns and moves them, relative to the start, a point a frame.
std::vector<std::pair<float, float>> leaper_arc(float first, float second, float speed) {
  TGLFreeForm f;
  f.ResetOrientation();
  f.SetTurnAngle(90);
  f.SetPitchAngle(90);
  f.Position().SetPoint(0, -95, kShipZ);
  std::vector<std::pair<float, float>> out;
  for (int frame = 0; frame < 400; ++frame) {
    if (f.PitchAngle() >= 0) f.SetPitchAngle(f.PitchAngle() - first);
    if (f.PitchAngle() < 0 && f.PitchAngle() > -60) f.SetPitchAngle(f.PitchAngle() - second);
    f.MoveAlongDirection(speed);
    if (f.Position().Y() < -100) break;
    out.push_back({f.Position().X(), f.Position().Y() + 95});
  }
  return out;
}

}  // namespace

TEST(Flyability, EnemyLanesAreClearOfTheWalls) {
  for (int n = 1; n <= 6; ++n) {
    Walls walls(n);
    for (const Lane& l : kLanes[n - 1]) {
      Room room{};
      int blocked = 0;
      float first_x = 0, first_y = 0;
      for (auto [x, y] : lane_points(l, room))
        if (!room_clear(walls, x, y, room, l.z)) {
          if (!blocked) first_x = x, first_y = y;
          ++blocked;
        }
      EXPECT_EQ(blocked, 0) << "level " << n << ", " << l.what << ": " << blocked
                            << " places in rock, first at (" << first_x << ", " << first_y << ")";
    }
  }
}

TEST(Flyability, LeapersArcThroughOpenWater) {
  Walls walls(2);
  const float r = rooms().at("ryba").rx;
  // first pitch rate, second, speed, lead, and the walls' X while the leaper's gate is open
  struct Leaper {
    float first, second, speed, lead;
    std::vector<std::pair<float, float>> gate;
  };
  const Leaper leapers[3] = {{3, 2, 8, 350, {{0, 400}, {1050, 1300}}},
                             {4, 2, 6, 350, {{400, 1000}}},
                             {2, 8, 7, 200, {{400, 1000}}}};
  size_t checked = 0;
  for (int k = 0; k < 3; ++k) {
    const Leaper& lp = leapers[k];
    std::vector<std::pair<float, float>> arc = leaper_arc(lp.first, lp.second, lp.speed);
    ASSERT_GT(arc.size(), 10u);
    float top = 0;
    for (auto& p : arc) top = std::max(top, p.second);
    EXPECT_GT(top, 60) << "leaper " << k + 1 << " leaps";
    int blocked = 0;
    float first_x = 0, first_y = 0;
    for (auto [w0, w1] : lp.gate) {
      // Starting at the ship's X less the lead, with the walls anywhere in the gate, and the walls
      // moving on half a unit a frame during the leap.
      float c0 = kX0 - lp.lead - w1, c1 = kX1 - lp.lead - w0;
      for (size_t t = 0; t < arc.size(); ++t) {
        float dx = arc[t].first - 0.5f * static_cast<float>(t), y = -95 + arc[t].second;
        // Out of the bed and back into it the leaper is partly in the sand; above it, all of it
        // must be in the water.
        bool whole = arc[t].second > r;
        for (float c = c0; c <= c1 + 4; c += 8) {
          float x = std::min(c, c1) + dx;
          ++checked;
          if (whole ? walls.clear(x, y, r) : !walls.inside(x, y)) continue;
          if (!blocked) first_x = x, first_y = y;
          ++blocked;
        }
      }
    }
    EXPECT_EQ(blocked, 0) << "leaper " << k + 1 << ": " << blocked << " places in rock, first at ("
                          << first_x << ", " << first_y << ")";
  }
  EXPECT_GT(checked, 1000u);
}
