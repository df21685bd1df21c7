// Weapons and shots through the real frame loop: the firing rhythm of each weapon level, the
// energy it costs, slot re-use, shot ages, the glancing shots of levels 3 and 5, the rear gun
// and the double movement of levels 4 and 5, and re-arming.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/proxy_object.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "sound/wave_list.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

namespace fs = std::filesystem;

namespace {

using namespace gametest;

// The shots fly free: the walls, the view's edge `blok` and the stones are moved far off the
// ship's plane (the level only moves them along X and Y), the pick-ups are kept away, and
// nothing counts as a hit on the ship, which would take the guns back to level 1.
void clearTheWay() {
  TForm1& f = F();
  f.steny1->Position().SetZ(100000);
  f.blok->Position().SetZ(100000);
  for (Obj* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4})
    stone->Position().SetPoint(0, 1000, 170);
  // The pick-ups drift by at the ship's height; one would change the weapon level.
  for (Obj* pickup : {f.n_zbrane, f.n_palivo, f.n_energie})
    pickup->Position().SetPoint(-500, 1000, 170);
  shipHit = false;
}

// Re-arms the ship the way the game does: the armament step of this frame applies it.
void arm(int level) {
  weaponLevel = level;
  weaponChanged = true;
}

const std::array<TShotPool*, 5> kPools = {&shots1, &shots2, &shots3, &shots4, &shots5};

// The next slot of each pool (a counter the game has not used yet counts as slot 1).
std::array<int32_t, 5> slots() {
  std::array<int32_t, 5> s = {shotSlot1, shotSlot2, shotSlot3, shotSlot4, shotSlot5};
  for (int32_t& v : s)
    if (v < 1) v = 1;
  return s;
}

// The shot a pool fired last.
TGLProxyObject& lastShot(int pool) {
  int32_t slot = slots()[pool - 1] - 1;
  if (slot < 1) slot = 20;
  return *(*kPools[pool - 1])[slot];
}

}  // namespace

// --- firing

TEST(WeaponFiring, EachLevelFiresItsPoolsAtTheirRhythm) {
  Play play("weapons_rhythm", 1);
  constexpr int64_t kPhase = 42, kHeld = 35;
  const int64_t end = kFree + 5 * kPhase;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  // Which pools each level uses, and every how many frames each pool fires.
  const std::set<int> used[6] = {{}, {1}, {1, 2, 3, 4, 5}, {1, 2}, {1, 2}, {1, 2, 3}};
  const int64_t period[5] = {9, 11, 9, 10, 11};
  for (int level = 1; level <= 5; ++level) {
    const int64_t start = kFree + (level - 1) * kPhase;
    play.before(start - 2, [level] { arm(level); });
    play.before(start - 1, [] { F().energie->SetWidth(150); });
    play.hold("SPACE", start, start + kHeld - 1);
    auto fired = std::make_shared<std::array<std::vector<int64_t>, 5>>();
    auto previous = std::make_shared<std::array<int32_t, 5>>();
    auto energy = std::make_shared<float>();
    play.after(start - 1, [=] {
      *previous = slots();
      *energy = F().energie->Width();
    });
    play.afterEach(start, start + kHeld + 2, [=](int64_t frame) {
      const auto now = slots();
      for (int p = 0; p < 5; ++p) {
        if (now[p] == (*previous)[p]) continue;
        fired->at(p).push_back(frame - start);
        EXPECT_EQ(now[p], (*previous)[p] % 20 + 1) << "one shot a frame at most";
        TGLProxyObject& shot = lastShot(p + 1);
        EXPECT_TRUE(shot.Visible()) << "pool " << p + 1 << " frame " << frame - start;
        EXPECT_LE(shot.Tag(), 2);
      }
      *previous = now;
      // Energy: 0.06 a frame while the key is held, nothing after.
      const float cost = frame - start < kHeld ? 0.06f : 0.0f;
      EXPECT_NEAR(*energy - F().energie->Width(), cost, 1e-4) << "level " << level;
      *energy = F().energie->Width();
    });
    play.after(start + kHeld + 2, [=] {
      for (int p = 1; p <= 5; ++p) {
        SCOPED_TRACE("level " + std::to_string(level) + " pool " + std::to_string(p));
        std::vector<int64_t> expected;
        if (used[level].count(p))
          for (int64_t k = 0; k < kHeld; k += period[p - 1]) expected.push_back(k);
        EXPECT_EQ(fired->at(p - 1), expected);
      }
    });
  }
  play.run(end);
}

TEST(WeaponFiring, EnergyBelowTwoStopsTheGunsButNotTheLaserSound) {
  Play play("weapons_energy", 1);
  const int64_t start = kFree, end = kFree + 30;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  play.hold("SPACE", start, start + 19);
  std::array<int32_t, 5> before{};
  play.before(start, [&] {
    F().energie->SetWidth(2.03f);
    before = slots();
  });
  play.after(start, [&] {
    EXPECT_NEAR(F().energie->Width(), 1.97f, 1e-4);
    EXPECT_EQ(slots()[0], before[0] + 1) << "2.03 still fires";
    EXPECT_TRUE(F().list->Items(1).Playing()) << "the laser sound starts with the first shot";
    before = slots();
  });
  play.afterEach(start + 1, start + 19, [&](int64_t) {
    EXPECT_NEAR(F().energie->Width(), 1.97f, 1e-4);
    EXPECT_EQ(slots(), before) << "nothing fires below 2";
    EXPECT_TRUE(F().list->Items(1).Playing()) << "the laser sounds on while the key is held";
  });
  play.after(start + 20, [&] { EXPECT_FALSE(F().list->Items(1).Playing()); });
  play.run(end);
}

TEST(WeaponShots, TheTwentyFirstShotOfAPoolReusesSlotOneEvenInFlight) {
  // The rear gun of level 4 (pool 2) has no age limit, so its first shot is still flying when
  // the pool comes round to its slot again.
  Play play("weapons_slots", 1);
  const int64_t start = kFree, end = start + 20 * 11 + 2;
  play.beforeEach(kPlay, end, [](int64_t) {
    clearTheWay();
    F().energie->SetWidth(150);
  });
  play.before(start - 2, [] { arm(4); });
  play.hold("SPACE", start, end);
  TGLProxyObject* first = nullptr;
  play.after(start, [&] {
    first = shots2[1];
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(shotSlot2, 2);
  });
  play.after(start + 19 * 11, [&] {
    EXPECT_EQ(shotSlot2, 1) << "20 shots: the counter wraps";
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(first->Tag(), 19 * 11 + 1) << "the first rear shot still flies, older than 80";
  });
  play.after(start + 20 * 11, [&] {
    EXPECT_EQ(shotSlot2, 2);
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(first->Tag(), 1) << "the 21st shot took slot 1 back";
    EXPECT_FLOAT_EQ(X(*first), X(*F().muz) - 15 + 10);
  });
  play.run(end);
}

TEST(WeaponShots, ABasicShotIsRemovedAfterEightyFrames) {
  Play play("weapons_age", 1);
  const int64_t start = kFree, end = start + 82;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  play.hold("SPACE", start, start);
  TGLProxyObject* shot = nullptr;
  play.after(start, [&] { shot = &lastShot(1); });
  play.afterEach(start, start + 79, [&](int64_t frame) {
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(shot->Visible());
    EXPECT_EQ(shot->Tag(), frame - start + 1);
    EXPECT_FLOAT_EQ(X(*shot), 100 - 35 - 10 * (frame - start + 1)) << "10 a frame towards -X";
  });
  play.after(start + 80, [&] {
    EXPECT_FALSE(shot->Visible()) << "older than 80";
    EXPECT_FLOAT_EQ(X(*shot), X(*F().muz)) << "a spent shot waits at the ship";
    EXPECT_FLOAT_EQ(Y(*shot), Y(*F().muz));
  });
  play.run(end);
}

TEST(WeaponShots, PoolOneMovesAndAgesTwiceAFrameAtLevelsFourAndFive) {
  Play play("weapons_double", 1);
  const int64_t four = kFree, five = kFree + 50, end = kFree + 100;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  play.before(four - 2, [] { arm(4); });
  play.before(five - 2, [] { arm(5); });
  play.hold("SPACE", four, four);
  play.hold("SPACE", five, five);
  for (int64_t start : {four, five}) {
    auto shot = std::make_shared<TGLProxyObject*>();
    auto rear = std::make_shared<TGLProxyObject*>();
    play.after(start, [=] {
      *shot = &lastShot(1);
      *rear = &lastShot(2);
    });
    play.afterEach(start, start + 39, [=](int64_t frame) {
      const int64_t k = frame - start + 1;
      SCOPED_TRACE("frame " + std::to_string(k) + (start == four ? " at level 4" : " at level 5"));
      EXPECT_TRUE((*shot)->Visible());
      EXPECT_EQ((*shot)->Tag(), 2 * k);
      EXPECT_FLOAT_EQ(X(**shot), 100 - 35 - 20 * k);
      if (start == four) {
        // The rear gun's shot flies backwards, once a frame.
        EXPECT_TRUE((*rear)->Visible());
        EXPECT_EQ((*rear)->Tag(), k);
        EXPECT_FLOAT_EQ(X(**rear), 100 - 15 + 10 * k);
      }
    });
    play.after(start + 40,
               [=] { EXPECT_FALSE((*shot)->Visible()) << "aged past 80 in 41 frames"; });
  }
  play.run(end);
}

// --- glancing shots

// Fires one volley at weapon level `level` and follows the shot of `pool` alone (the volley's
// other shots are taken out), with the alien `ali1` waiting where the shot's next step takes it
// every frame. Returns, for each frame from the volley on, the hits the alien took in it and
// the shot's pitch angle after it.
struct Glances {
  std::vector<int> hits;
  std::vector<float> pitch;
  std::vector<bool> flying;
};

Glances followGlancingShot(const std::string& name, int level, int pool) {
  Play play(name, 1);
  const int64_t start = kFree, end = start + 84;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  play.before(start - 2, [level] { arm(level); });
  play.hold("SPACE", start, start);
  TGLProxyObject* shot = nullptr;
  play.after(start, [&] {
    shot = &lastShot(pool);
    for (int p = 1; p <= 5; ++p)
      if (p != pool) lastShot(p).SetVisible(false);
  });
  Glances g;
  play.afterEach(start, end - 1, [&](int64_t) {
    ASSERT_NE(shot, nullptr);
    Obj& alien = *F().ali1;
    g.hits.push_back(alien.Tag());
    g.pitch.push_back(shot->PitchAngle());
    g.flying.push_back(shot->Visible());
    alien.SetTag(0);
    alien.SetVisible(true);
    // The shot's next step is 10 back along its direction, and its sweep looks back along the
    // way it came: the alien waits so that this step ends 8 inside it. The alien's own update
    // first takes it 4 towards +X.
    const TVector at = shot->WorldPosition();
    const TVector dir = shot->WorldDirection();
    alien.Position().SetPoint(at.X - 2 * dir.X - 4, at.Y - 2 * dir.Y, 170);
  });
  play.run(end);
  return g;
}

// The turn from angle a to angle b, within -180..180.
float turned(float a, float b) { return std::remainder(b - a, 360.0f); }

void expectGlances(const Glances& g, float degrees) {
  ASSERT_EQ(g.hits.size(), 84u);
  EXPECT_EQ(g.hits[0], 0) << "nothing in the way in the volley's frame";
  EXPECT_TRUE(g.flying[0]);
  // Frames 1..80 of the shot's flight: a hit every frame, and the shot flies on, turned.
  for (size_t k = 1; k <= 80; ++k) {
    SCOPED_TRACE("frame " + std::to_string(k));
    EXPECT_EQ(g.hits[k], 1);
    EXPECT_NEAR(turned(g.pitch[k - 1], g.pitch[k]), degrees, 1e-3);
    EXPECT_EQ(g.flying[k], k < 80) << "a glancing shot is removed only once older than 80";
  }
  for (size_t k = 81; k < g.hits.size(); ++k) EXPECT_EQ(g.hits[k], 0) << "frame " << k;
}

TEST(WeaponShots, ALevelThreeShotGlancesOffAnAlienAndHitsAgainUntilEightyFramesOld) {
  expectGlances(followGlancingShot("weapons_glance3", 3, 1), 55);
}

TEST(WeaponShots, LevelFiveSideShotsGlanceOffBy50Degrees) {
  expectGlances(followGlancingShot("weapons_glance5", 5, 2), 50);
}

// --- re-arming

TEST(WeaponArming, EachLevelShowsItsTurretsSetsItsMastersAndParksEveryShot) {
  Play play("weapons_arming", 1);
  const int levels[] = {2, 3, 4, 5, 1};
  const int64_t first = kFree;
  const int64_t end = first + 3 * 5;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  bool lamp = false;
  play.before(first, [&] { lamp = F().zbran7->Visible(); });
  // Which master each pool draws after each arming (pools an arming does not name keep theirs).
  struct Row {
    std::set<std::string> turrets;
    std::array<const char*, 5> masters;
    int wave;
  };
  const Row rows[6] = {
      {},
      {{}, {"strela1", "strela2", "strela2", "strela3", "strela3"}, 1},
      {{"zbran1", "zbran2"}, {"strela1", "strela2", "strela2", "strela3", "strela3"}, 1},
      {{"zbran3"}, {"strela4", "strela4", "strela2", "strela3", "strela3"}, 2},
      {{"zbran4"}, {"strela5", "strela5", "strela2", "strela3", "strela3"}, 3},
      {{"zbran5", "zbran6"}, {"strela5", "strela4", "strela4", "strela3", "strela3"}, 4},
  };
  for (size_t i = 0; i < std::size(levels); ++i) {
    const int level = levels[i];
    const int64_t frame = first + 3 * static_cast<int64_t>(i);
    // Shots in flight everywhere: the arming takes them all out.
    play.before(frame, [level] {
      for (TShotPool* pool : kPools)
        for (int slot = 1; slot <= 20; ++slot) {
          (*pool)[slot]->SetVisible(true);
          (*pool)[slot]->Position().SetPoint(0, 50, 170);
          (*pool)[slot]->SetTag(5);
        }
      arm(level);
    });
    play.after(frame, [&, level] {
      SCOPED_TRACE("weapon level " + std::to_string(level));
      TForm1& f = F();
      const Row& row = rows[level];
      EXPECT_FALSE(weaponChanged);
      EXPECT_EQ(fireWave, row.wave);
      for (TGLFreeForm* turret : {f.zbran1, f.zbran2, f.zbran3, f.zbran4, f.zbran5, f.zbran6})
        EXPECT_EQ(turret->Visible(), row.turrets.count(turret->Name()) == 1) << turret->Name();
      EXPECT_EQ(f.zbran7->Visible(), lamp) << "zbran7 is never changed";
      for (int p = 0; p < 5; ++p)
        for (int slot = 1; slot <= 20; ++slot) {
          TGLProxyObject& shot = *(*kPools[p])[slot];
          ASSERT_NE(shot.MasterObject(), nullptr);
          EXPECT_EQ(shot.MasterObject()->Name(), row.masters[p]) << "pool " << p + 1;
          EXPECT_FALSE(shot.Visible());
          EXPECT_FLOAT_EQ(Y(shot), -1000);
        }
      // The new gun's sound plays once; the other laser sounds are silent.
      for (int wave = 1; wave <= 4; ++wave)
        EXPECT_EQ(f.list->Items(wave).Playing(), wave == row.wave) << "wave " << wave;
    });
  }
  play.run(end);
}
