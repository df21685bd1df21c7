// Whether the generated levels can be flown: the walls of each level loaded with the engine's
// reader, swept with the ship's four real probes along the level's whole timeline, looking for a
// path the ship can steer from its start to the level's end; and the enemies' lanes kept clear.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "content_test_build.h"
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
// One steering step at 20 frames per second, the longest sweep the probes make.
const float kSteer = 7;
const float kShipZ = 170;
// How far from the ship's centre a probe sees a wall: up/down and front/back.
const float kReachY = 3 + kUpDownRadius + kSteer, kReachFront = 35 + kSideRadius + kSteer,
            kReachBack = kSideRadius + kSteer;

// The ship's box (constrainShip) on a grid of 4 units.
const float kGrid = 4, kX0 = -124, kX1 = 163, kY0 = -50, kY1 = 160;
const int kNX = static_cast<int>((kX1 - kX0) / kGrid) + 1,
          kNY = static_cast<int>((kY1 - kY0) / kGrid) + 1;

struct Level {
  int n;
  float start_x, start_y;
  // The walls' positions along the timeline: straight runs between these points.
  std::vector<std::pair<float, float>> path;
  float scroll_per_frame;  // along each run, at 20 frames per second
  bool vertical;           // the passage runs up or down
};

const Level kLevels[6] = {
    {1, 100, 54, {{-400, 0}, {2410, 0}}, 0.5f, false},
    {2, 100, 80, {{-380, 0}, {2200, 0}}, 0.5f, false},
    {3, 100, 54, {{-380, -20}, {-380, 2884}, {721, 2884}}, 0.5f, true},
    {4, 50, 164, {{-400, 0}, {1751, 0}}, 0.5f, false},
    {5, 50, 164, {{-406, 0}, {-406, -2512}}, 1.5f, true},
    {6, 100, 54, {{-300, 0}, {2100, 0}}, 0.5f, false},
};

class Walls {
 public:
  explicit Walls(int level) {
    mesh_.LoadFromBytes("modely\\steny" + std::to_string(level) + ".3ds",
                        file("modely/steny" + std::to_string(level) + ".3ds"));
    mesh_.BuildCollisionOctree();
    // The wall faces that cross the ship's plane, as segments, for the inside-rock test.
    for (const CollisionTriangle& t : mesh_.CollisionTriangles()) {
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
  bool touches(float x, float y, const TVector& dir, float radius, float velocity) {
    return mesh_.SphereSweepIntersect(point_make(x, y, kShipZ), dir, velocity, radius);
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

  // A sphere of `radius` at the point neither inside rock nor touching a wall.
  bool clear(float x, float y, float radius) {
    if (inside(x, y)) return false;
    const TVector dirs[4] = {vector_make(1, 0, 0), vector_make(-1, 0, 0), vector_make(0, 1, 0),
                             vector_make(0, -1, 0)};
    for (const TVector& d : dirs)
      if (touches(x, y, d, radius, 1)) return false;
    return true;
  }

  size_t evaluated = 0;

 private:
  struct Seg {
    float x0, y0, x1, y1, nx, ny;
  };
  TGLFreeForm mesh_;
  std::vector<Seg> segments_;
  std::unordered_map<int64_t, bool> memo_;
};

struct Result {
  bool reached = false;
  size_t samples = 0;
  float narrowest = 1e9f;        // the tightest opening the ship had to pass, wall to wall
  float least_room = 1;          // the smallest share of the box that was free at a sample
  std::map<int, float> opening;  // by line of the walls crossed: the widest opening seen there
};

Result fly(const Level& lv, Walls& walls) {
  // Samples every 4 units of scroll along the timeline.
  std::vector<std::pair<float, float>> samples;
  for (size_t r = 0; r + 1 < lv.path.size(); ++r) {
    auto [ax, ay] = lv.path[r];
    auto [bx, by] = lv.path[r + 1];
    float len = std::hypot(bx - ax, by - ay);
    int n = std::max(1, static_cast<int>(len / 4));
    for (int k = (r == 0 ? 0 : 1); k <= n; ++k)
      samples.push_back({ax + (bx - ax) * k / n, ay + (by - ay) * k / n});
  }
  Result res;
  auto cell_x = [](int i) { return kX0 + kGrid * static_cast<float>(i); };
  auto cell_y = [](int j) { return kY0 + kGrid * static_cast<float>(j); };
  std::vector<char> reach(static_cast<size_t>(kNX * kNY), 0), next(reach.size());
  auto at = [](int i, int j) { return static_cast<size_t>(j * kNX + i); };
  int si = static_cast<int>(std::lround((lv.start_x - kX0) / kGrid));
  int sj =
      std::min(kNY - 1, static_cast<int>(std::lround((std::min(lv.start_y, kY1) - kY0) / kGrid)));
  reach[at(si, sj)] = 1;
  // The hold at the start: 50 frames at the start place, while the walls move on.
  float held = 0;
  for (size_t k = 0; k < samples.size(); ++k) {
    auto [wx, wy] = samples[k];
    ++res.samples;
    float frames = 4 / lv.scroll_per_frame;
    if (held < 50) {
      held += frames;
      if (!walls.ship_free(lv.start_x - wx, lv.start_y - wy)) return res;
      continue;
    }
    // Up to one steering step a frame on each axis, through free places only.
    int steps = static_cast<int>(kSteer * frames / kGrid);
    auto free_at = [&](int i, int j) { return walls.ship_free(cell_x(i) - wx, cell_y(j) - wy); };
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
    // The opening at each column of the walls the ship is in: the longest free run across the
    // passage through a reachable place. The ship must cross every column of the level, so the
    // tightest of these is the narrowest passage it had to pass.
    int free_cells = 0;
    bool any = false;
    for (int j = 0; j < kNY; ++j)
      for (int i = 0; i < kNX; ++i) free_cells += free_at(i, j);
    int lines = lv.vertical ? kNY : kNX, across = lv.vertical ? kNX : kNY;
    float reach_both = lv.vertical ? kReachFront + kReachBack : 2 * kReachY;
    for (int a = 0; a < lines; ++a) {
      int run = 0, best = 0;
      bool run_touched = false;
      for (int b = 0; b <= across; ++b) {
        int i = lv.vertical ? b : a, j = lv.vertical ? a : b;
        bool f = b < across && free_at(i, j);
        if (f) {
          ++run;
          run_touched = run_touched || reach[at(i, j)];
        } else {
          if (run_touched) best = std::max(best, run);
          run = 0;
          run_touched = false;
        }
      }
      if (!best) continue;
      any = true;
      float wall_line = lv.vertical ? cell_y(a) - wy : cell_x(a) - wx;
      int key = static_cast<int>(std::lround(wall_line / kGrid));
      float opening = (static_cast<float>(best) - 1) * kGrid + reach_both;
      auto it = res.opening.find(key);
      if (it == res.opening.end() || it->second < opening) res.opening[key] = opening;
    }
    if (!any) return res;
    res.least_room =
        std::min(res.least_room, static_cast<float>(free_cells) / static_cast<float>(kNX * kNY));
  }
  res.reached = true;
  for (auto& [line, opening] : res.opening) res.narrowest = std::min(res.narrowest, opening);
  return res;
}

float ship_height() {
  TGLFreeForm lod;
  lod.LoadFromBytes("modely\\lod.3ds", file("modely/lod.3ds"));
  float lo = 1e9f, hi = -1e9f;
  for (const auto& o : lod.MeshObjects())
    for (const TAffineVector& v : o->Vertices) lo = std::min(lo, v.Y), hi = std::max(hi, v.Y);
  return hi - lo;
}

// A lane of an enemy: points from (x0, y0) to (x1, y1) in the walls' space every `step`, each
// needing a clear sphere of `radius`.
struct Lane {
  const char* what;
  float x0, y0, x1, y1, step, radius;
};

const std::vector<Lane> kLanes[6] = {
    {{"aliens at 34", -2450, 34, -350, 34, 8, 10},
     {"aliens at 84", -2450, 84, -350, 84, 8, 10},
     {"the cannon rising", -1656, -180, -1656, 150, 6, 12},
     {"the monster rising", -2600, -200, -2600, 150, 6, 20},
     {"the monster's arena", -2650, 40, -2150, 40, 8, 20}},
    {{"leapers' starts", -1774, -90, -187, -90, 8, 6},
     {"the propeller's disc", -1796, -70, -1796, 122, 6, 4},
     {"the monster rising", -2140, -250, -2140, 107, 6, 20}},
    {{"falling stones", 400, -2700, 400, 350, 8, 8},
     {"aliens at 34", -930, -2850, 380, -2850, 8, 10},
     {"aliens at 84", -930, -2800, 380, -2800, 8, 10}},
    {{"spiders at 34", -1950, 34, 300, 34, 8, 12},
     {"the bomber at 58", -1950, 58, -600, 58, 8, 12}},
    {{"barrels at 50", 456, -180, 456, 3000, 8, 9},
     {"barrels at 0", 406, -180, 406, 3000, 8, 9},
     {"barrels at -20", 386, -180, 386, 3000, 8, 9},
     {"barrels at -50", 356, -180, 356, 3000, 8, 9},
     {"fan 1", 333, 757, 473, 757, 6, 4},
     {"fan 2", 333, 1782, 473, 1782, 6, 4},
     {"fan 3", 333, 2295, 473, 2295, 6, 4}},
    {{"aliens at 34", -2050, 34, -250, 34, 8, 10},
     {"aliens at 84", -2050, 84, -250, 84, 8, 10},
     {"released barrels", -1790, -40, -500, -40, 8, 9},
     {"the final monster's descent", -2075, 0, -2075, 500, 8, 20},
     {"the final fight", -2300, 40, -1850, 40, 8, 20}},
};

}  // namespace

TEST(Flyability, EveryLevelHasAPathFromStartToEnd) {
  const float twice_ship = 2 * ship_height();
  for (const Level& lv : kLevels) {
    Walls walls(lv.n);
    Result r = fly(lv, walls);
    std::printf(
        "level %d: %zu samples, narrowest passage %.0f (twice the ship: %.0f), least free %.0f%% "
        "of the box, %zu places swept\n",
        lv.n, r.samples, r.narrowest, twice_ship, r.least_room * 100, walls.evaluated);
    EXPECT_TRUE(r.reached) << "level " << lv.n << " blocked after " << r.samples << " samples";
    EXPECT_GE(r.narrowest, twice_ship) << "level " << lv.n;
    EXPECT_LT(r.least_room, 0.85f)
        << "level " << lv.n << ": obstacles should make the player steer";
  }
}

TEST(Flyability, EnemyLanesAreClearOfTheWalls) {
  for (int n = 1; n <= 6; ++n) {
    Walls walls(n);
    for (const Lane& l : kLanes[n - 1]) {
      float len = std::hypot(l.x1 - l.x0, l.y1 - l.y0);
      int steps = std::max(1, static_cast<int>(len / l.step));
      int blocked = 0;
      float first_x = 0, first_y = 0;
      for (int k = 0; k <= steps; ++k) {
        float x = l.x0 + (l.x1 - l.x0) * k / steps, y = l.y0 + (l.y1 - l.y0) * k / steps;
        if (!walls.clear(x, y, l.radius)) {
          if (!blocked) first_x = x, first_y = y;
          ++blocked;
        }
      }
      EXPECT_EQ(blocked, 0) << "level " << n << ", " << l.what << ": " << blocked
                            << " points in rock, first at (" << first_x << ", " << first_y << ")";
    }
  }
}
