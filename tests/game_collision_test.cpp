// The collision response through the real frame loop: what the ship's four probes do when they
// touch walls, enemies, barrels, pick-ups and the bonus, and what a shot does to what it hits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/mesh.h"
#include "engine/proxy_object.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "platform/headless/headless.h"
#include "sound/wave_list.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

namespace fs = std::filesystem;

namespace {

using namespace gametest;

// Keeps what drifts by at the ship's height out of the way: stones, pick-ups and aliens wait
// far above the tunnel (their updates only nudge them there).
void quiet() {
  TForm1& f = F();
  for (Obj* o : {f.kamen1, f.kamen2, f.kamen3, f.kamen4, f.n_zbrane, f.n_palivo, f.n_energie})
    o->Position().SetPoint(0, 1000, 170);
  for (Obj* alien : {f.ali1, f.ali2, f.ali3}) {
    alien->Position().SetPoint(-200, 1000, 170);
    alien->SetVisible(false);
  }
}

// The walls and the view's edge far off the ship's plane (the levels move them along X and Y
// only).
void wallsAway() {
  F().steny1->Position().SetZ(100000);
  F().blok->Position().SetZ(100000);
}

// How many times wave `wave` was started so far (the wave list loads wave N as clip N).
int plays(int wave) {
  const std::string clip = " chunk " + std::to_string(wave) + " ";
  int n = 0;
  for (const std::string& line : platform::headless::audio_log())
    if (line.rfind("play channel", 0) == 0 && line.find(clip) != std::string::npos) ++n;
  return n;
}

TVector at(float x, float y, float z) { return {x, y, z, 1}; }

// Puts `target` (a child of the scene's root) where a probe at `from`, facing like `probe`,
// touches it with the game's sweep of one steering step: the middle of the nearest stretch of
// distances at which the engine reports contact.
void placeInReach(TGLFreeForm& target, Obj& probe, const TVector& from) {
  const TVector dir = probe.WorldDirection();
  const float radius = probe.BoundingRadius();
  float first = -1, last = -1;
  for (float d = 0; d < 100; d += 0.5f) {
    target.Position().SetPoint(from.X + d * dir.X, from.Y + d * dir.Y, from.Z + d * dir.Z);
    const bool touches = target.SphereSweepIntersect(from, dir, 7, radius);
    if (touches && first < 0) first = d;
    if (!touches && first >= 0) {
      last = d - 0.5f;
      break;
    }
  }
  if (first < 0 || last < 0) {
    ADD_FAILURE() << target.Name() << " never touched by " << probe.Name();
    return;
  }
  const float d = (first + last) / 2;
  target.Position().SetPoint(from.X + d * dir.X, from.Y + d * dir.Y, from.Z + d * dir.Z);
}

// Where a probe stands when the ship is at (x, y, 170).
TVector probeAt(Obj& probe, float x, float y) {
  TForm1& f = F();
  if (&probe == f.pbok) return at(x - 35, y, 170);
  if (&probe == f.lbok) return at(x, y, 170);
  if (&probe == f.spodek) return at(x - 20, y - 3, 170);
  return at(x - 20, y + 3, 170);  // vrch
}

}  // namespace

// --- probe contacts: walls

TEST(ProbeContacts, AWallPushesTheShipBackAStepAndCostsALifeAtFullRecovery) {
  Play play("collide_walls", 1);
  // Around W = 700 the roof of the first canyon hangs within the ship's reach.
  const int64_t shown = kFree, hidden = kFree + 30, end = kFree + 50;
  play.beforeEach(kPlay, end, [](int64_t) { quiet(); });
  play.before(shown, [] { F().steny1->Position().SetX(700); });
  play.before(hidden - 5, [] { F().steny1->Position().SetX(700); });
  play.before(hidden, [] { F().steny1->SetVisible(false); });
  play.hold("UP", shown, shown + 19);
  play.hold("DOWN", shown + 21, shown + 24);
  play.hold("UP", hidden, end);
  std::vector<float> y;
  std::vector<bool> hit;
  std::vector<int> lifeCount, lifeSounds;
  play.after(shown - 1, [&] { y.push_back(Y(*F().muz)); });
  play.afterEach(shown, end, [&](int64_t) {
    y.push_back(Y(*F().muz));
    hit.push_back(shipHit);
    lifeCount.push_back(lives);
    lifeSounds.push_back(plays(6));
  });
  play.run(end);

  auto climb = [&](int64_t from, int64_t to, const char* walls) {
    SCOPED_TRACE(walls);
    int firstHit = -1;
    float highest = -1e9f;
    for (int64_t k = from - shown; k <= to - shown; ++k) {
      const float moved = y[k + 1] - y[k];
      // Up costs +7; each probe pass that touches the roof takes one steering step back.
      SCOPED_TRACE("frame " + std::to_string(k));
      EXPECT_TRUE(moved == 7 || moved == 0 || moved == -7) << moved;
      EXPECT_EQ(hit[k], moved < 7) << "a push-back comes with a hit";
      if (hit[k] && firstHit < 0) firstHit = static_cast<int>(k);
      highest = std::max(highest, y[k + 1]);
    }
    EXPECT_GE(firstHit, 0) << "the roof is reached";
    EXPECT_LT(highest, 150) << "and holds the ship below the box's top";
    return firstHit;
  };
  const int firstHit = climb(shown, shown + 19, "walls shown");
  ASSERT_GE(firstHit, 1);
  // The first hit at full recovery costs a life (with the life sound); the hits that follow
  // within the recovery do not.
  EXPECT_EQ(lifeCount[firstHit], 3);
  EXPECT_EQ(lifeCount[firstHit + 1], 2);
  EXPECT_EQ(lifeSounds[firstHit + 1], lifeSounds[firstHit] + 1);
  EXPECT_EQ(lifeCount[19], 2);
  // Hidden walls hold the ship all the same.
  climb(hidden, end, "walls hidden");
}

// --- probe contacts: enemies, barrels and hidden objects

TEST(ProbeContacts, BarrelsAreArmedAndHiddenThingsDoNothing) {
  Play play("collide_barrels", 1);
  const int64_t barrels = kFree, hiddenOnes = kFree + 4, alien = kFree + 8, end = kFree + 10;
  play.beforeEach(kPlay, end, [](int64_t) {
    quiet();
    wallsAway();
  });
  float shipX = 0, shipY = 0;
  play.before(barrels, [&] {
    TForm1& f = F();
    shipX = X(*f.muz);
    shipY = Y(*f.muz);
    // Shown barrels in front of and above the ship, hidden ones behind and below it.
    placeInReach(*f.sud1, *f.pbok, probeAt(*f.pbok, shipX, shipY));
    placeInReach(*f.sud3, *f.vrch, probeAt(*f.vrch, shipX, shipY));
    placeInReach(*f.sud2, *f.spodek, probeAt(*f.spodek, shipX, shipY));
    placeInReach(*f.sud4, *f.lbok, probeAt(*f.lbok, shipX, shipY));
    f.sud1->SetVisible(true);
    f.sud3->SetVisible(true);
    f.sud2->SetVisible(false);
    f.sud4->SetVisible(false);
    for (Obj* sud : {f.sud1, f.sud2, f.sud3, f.sud4}) sud->SetTag(0);
  });
  play.after(barrels, [&] {
    TForm1& f = F();
    EXPECT_EQ(f.sud1->Tag(), 10);
    EXPECT_EQ(f.sud3->Tag(), 178) << "the bomb goes off two updates later";
    EXPECT_EQ(f.sud2->Tag(), 0) << "hidden";
    EXPECT_EQ(f.sud4->Tag(), 0) << "hidden";
    EXPECT_TRUE(shipHit);
    EXPECT_FLOAT_EQ(X(*f.muz), shipX) << "barrels do not push the ship";
    EXPECT_FLOAT_EQ(Y(*f.muz), shipY);
    for (Obj* sud : {f.sud1, f.sud2, f.sud3, f.sud4}) sud->Position().SetPoint(500, -1134, 500);
  });
  play.after(barrels + 1, [&] { EXPECT_EQ(lives, 2) << "the hit cost a life"; });

  // A hidden alien, a hidden barrel and a hidden pick-up at the probes: nothing at all.
  play.before(hiddenOnes, [&] {
    TForm1& f = F();
    weaponLevel = 3;
    weaponChanged = true;
    f.energie->SetWidth(40);
    // The alien's own update first takes it 4 towards +X.
    placeInReach(*f.ali1, *f.pbok, probeAt(*f.pbok, shipX, shipY));
    f.ali1->Position().SetX(X(*f.ali1) - 4);
    placeInReach(*f.sud1, *f.vrch, probeAt(*f.vrch, shipX, shipY));
    placeInReach(*f.n_energie, *f.spodek, probeAt(*f.spodek, shipX, shipY));
    f.ali1->SetVisible(false);
    f.sud1->SetVisible(false);
    f.sud1->SetTag(0);
    f.n_energie->SetVisible(false);
  });
  play.after(hiddenOnes, [&] {
    TForm1& f = F();
    EXPECT_FALSE(shipHit);
    EXPECT_EQ(f.sud1->Tag(), 0);
    EXPECT_NEAR(f.energie->Width(), 40, 1e-3);
    f.n_energie->SetVisible(true);
  });
  play.after(hiddenOnes + 1, [&] {
    EXPECT_EQ(lives, 2);
    EXPECT_EQ(weaponLevel, 3) << "no hit, no loss of the guns";
  });

  // A shown alien at a probe hits the ship but does not push it.
  play.before(alien, [&] {
    TForm1& f = F();
    // Its own update first takes it 4 towards +X.
    placeInReach(*f.ali1, *f.pbok, probeAt(*f.pbok, shipX, shipY));
    f.ali1->Position().SetX(X(*f.ali1) - 4);
    f.ali1->SetVisible(true);
    f.ali1->SetTag(0);
  });
  play.after(alien, [&] {
    EXPECT_TRUE(shipHit);
    EXPECT_FLOAT_EQ(X(*F().muz), shipX);
    EXPECT_FLOAT_EQ(Y(*F().muz), shipY);
  });
  play.after(alien + 1, [&] { EXPECT_EQ(weaponLevel, 1) << "a hit takes the guns back"; });
  play.run(end);
}

// --- probe contacts: pick-ups and the bonus

// During the start hold the ship is put back at its start place after the probes were brought
// to it: moving the ship away before such a frame sends the probes there for the frame's second
// probe pass only. What they collect then is left as the collection put it.
constexpr float kAwayX = 100, kAwayY = -30;

// Puts `pickup` in reach of the bottom probe of a ship standing at the away place, `drift`
// short of it along X (its drift in this frame comes before the second pass).
void underAway(TGLFreeForm& pickup, float drift) {
  TForm1& f = F();
  f.muz->Position().SetPoint(kAwayX, kAwayY, 170);
  placeInReach(pickup, *f.spodek, probeAt(*f.spodek, kAwayX, kAwayY));
  pickup.Position().SetX(X(pickup) - drift);
  pickup.SetVisible(true);
}

TEST(ProbeContacts, PickupsRaiseTheWeaponAndRefillFuelAndEnergy) {
  Play play("collide_pickups", 1);
  const int64_t weapon = kPlay + 3, fuel = kPlay + 6, energy = kPlay + 9, wrap = kPlay + 12;
  const int64_t end = kPlay + 15;
  play.beforeEach(kPlay, end, [](int64_t) { quiet(); });
  int sounds = 0;
  // Left where the collection put it: behind the ship, at the ship's height (its start place,
  // not the place the probe touched it).
  auto expectBehindTheShip = [](Obj& pickup) {
    EXPECT_FLOAT_EQ(X(pickup), 350) << pickup.Name();
    EXPECT_FLOAT_EQ(Y(pickup), 54) << pickup.Name();
    EXPECT_FLOAT_EQ(Z(pickup), 170) << pickup.Name();
  };
  play.before(weapon, [&] {
    sounds = plays(5);
    underAway(*F().n_zbrane, 3);
  });
  play.after(weapon, [&] {
    EXPECT_EQ(weaponLevel, 2);
    EXPECT_TRUE(weaponChanged);
    EXPECT_EQ(plays(5), sounds + 1) << "\"dobij\"";
    expectBehindTheShip(*F().n_zbrane);
  });
  play.after(weapon + 1, [] {
    EXPECT_TRUE(F().zbran1->Visible()) << "re-armed in the next frame";
    EXPECT_TRUE(F().zbran2->Visible());
  });
  play.before(fuel, [&] {
    sounds = plays(5);
    F().palivo->SetWidth(40);
    underAway(*F().n_palivo, 2);
  });
  play.after(fuel, [&] {
    EXPECT_FLOAT_EQ(F().palivo->Width(), 150);
    EXPECT_EQ(plays(5), sounds + 1);
    expectBehindTheShip(*F().n_palivo);
  });
  play.before(energy, [&] {
    sounds = plays(5);
    F().energie->SetWidth(30);
    underAway(*F().n_energie, 3);
  });
  play.after(energy, [&] {
    EXPECT_FLOAT_EQ(F().energie->Width(), 150);
    EXPECT_EQ(plays(5), sounds + 1);
    expectBehindTheShip(*F().n_energie);
  });
  // At weapon level 5 the pick-up starts again at 1 (the arming of this frame comes before the
  // second pass, and the pick-up does not drift at level 5).
  play.before(wrap, [] {
    weaponLevel = 5;
    weaponChanged = true;
    underAway(*F().n_zbrane, 0);
  });
  play.after(wrap, [&] {
    EXPECT_EQ(weaponLevel, 1);
    EXPECT_TRUE(weaponChanged);
    expectBehindTheShip(*F().n_zbrane);
  });
  play.run(end);
}

// Collects the bonus in frame `frame` of a level-`level` run with the walls at `w`, on the
// ship's last life, and checks the frame's result.
void collectBonus(const std::string& name, int level, float w, int weapon, int livesAfter) {
  Play play(name, level);
  const int64_t frame = kPlay + 5;
  play.beforeEach(kPlay, frame + 1, [](int64_t) { quiet(); });
  play.before(frame, [&] {
    TForm1& f = F();
    f.steny1->Position().SetX(w);
    // The bonus flies only while the ship is on its last life.
    lives = 0;
    f.palivo->SetWidth(20);
    f.energie->SetWidth(20);
    underAway(*f.bonus, 0);
    // This frame's flight of the bonus (2 back along its direction) comes before the pass.
    f.bonus->MoveAlongDirection(2);
    f.bonus->RollBy(3);
  });
  play.after(frame, [&] {
    SCOPED_TRACE(name);
    TForm1& f = F();
    EXPECT_EQ(lives, livesAfter);
    EXPECT_EQ(weaponLevel, weapon);
    EXPECT_TRUE(weaponChanged);
    EXPECT_FLOAT_EQ(X(*f.bonus), 600);
    EXPECT_FLOAT_EQ(X(*f.n_zbrane), 350);
    EXPECT_FLOAT_EQ(f.palivo->Width(), 150);
    EXPECT_FLOAT_EQ(f.energie->Width(), 150);
  });
  play.run(frame + 1);
}

TEST(ProbeContacts, TheBonusGivesWeaponLevelThreeAndTwoLives) {
  collectBonus("collide_bonus1", 1, 1900, 3, 2);
  collectBonus("collide_bonus6", 6, 1700, 3, 2);
}

TEST(ProbeContacts, TheBonusBeforeTheLastMonsterGivesWeaponLevelFiveAndThreeLives) {
  collectBonus("collide_bonus6_end", 6, 1900, 5, 3);
}

// --- shot hits

// The engine's sweep of a basic shot at `p` (its direction +X, sweep 20, its own radius).
bool shotWouldTouch(TGLFreeForm& target, const TVector& p) {
  return target.SphereSweepIntersect(p, {1, 0, 0, 0}, 20, shots1[1]->BoundingRadius());
}

TEST(ShotHits, AnAlienCountsTheHitAndTheBurstWaitsTenFrames) {
  Play play("collide_shot_alien", 1);
  const int64_t start = kFree, end = start + 50;
  play.beforeEach(kPlay, end, [](int64_t) {
    quiet();
    wallsAway();
  });
  play.hold("SPACE", start, end);
  // On two lives every hit counts towards the extra life.
  play.before(start, [] { lives = 2; });
  struct Frame {
    int tag;
    int bursts;
    TVector zas;
    TVector shot;  // the last shot of pool 1 before the frame
    bool shotFlies;
  };
  std::vector<Frame> frames;
  TVector lastShotAt{};
  play.beforeEach(start, end, [&](int64_t) {
    TForm1& f = F();
    int32_t slot = shotSlot1 - 1;
    if (slot < 1) slot = 20;
    lastShotAt = shots1[slot]->Position().AsVector();
    // The alien waits in the line of fire, turned the same way every frame (its update then
    // takes it 4 towards +X and turns it a little).
    f.ali1->ResetOrientation();
    f.ali1->Position().SetPoint(0, Y(*f.muz), 170);
    f.ali1->SetVisible(true);
    f.ali1->SetTag(0);
  });
  play.afterEach(start, end, [&](int64_t) {
    TForm1& f = F();
    int32_t slot = shotSlot1 - 1;
    if (slot < 1) slot = 20;
    frames.push_back({f.ali1->Tag(), plays(0), f.zas1->Position().AsVector(), lastShotAt,
                      shots1[slot]->Visible()});
  });
  int hitPercentAfter = 0;
  std::string counter;
  play.after(end, [&] {
    hitPercentAfter = hitPercent;
    counter = F().zi->Text();
  });
  play.run(end);

  ASSERT_EQ(frames.size(), size_t(end - start + 1));
  std::vector<size_t> hits;
  for (size_t k = 1; k < frames.size(); ++k) {
    const Frame& now = frames[k];
    ASSERT_LE(now.tag, 1) << "one shot at a time reaches the alien";
    if (now.tag == 0) {
      EXPECT_EQ(now.bursts, frames[k - 1].bursts) << "no hit, no burst";
      continue;
    }
    hits.push_back(k);
    SCOPED_TRACE("hit in frame " + std::to_string(k));
    // The hit effect's holder stands 20 past the shot, which moved 10 towards -X this frame.
    EXPECT_FLOAT_EQ(now.zas.X, now.shot.X - 10 + 20);
    EXPECT_FLOAT_EQ(now.zas.Y, now.shot.Y);
    EXPECT_FLOAT_EQ(now.zas.Z, now.shot.Z);
    EXPECT_FALSE(now.shotFlies) << "a basic shot is spent on what it hits";
  }
  // A shot every 9 frames: a burst with its explosion on every other hit only, 18 frames apart.
  ASSERT_GE(hits.size(), 5u);
  for (size_t i = 0; i < hits.size(); ++i) {
    SCOPED_TRACE("hit " + std::to_string(i));
    if (i > 0) {
      EXPECT_EQ(hits[i] - hits[i - 1], 9u);
    }
    const int burst = frames[hits[i]].bursts - frames[hits[i] - 1].bursts;
    EXPECT_EQ(burst, i % 2 == 0 ? 1 : 0);
  }
  EXPECT_EQ(hitPercentAfter, 5 * static_cast<int>(hits.size()));
  EXPECT_EQ(counter, std::to_string(hitPercentAfter) + "%");
}

TEST(ShotHits, TheViewsEdgeSpendsAShotBeforeAnythingBehindIt) {
  // A single shot towards the view's left edge (`blok`), with an alien waiting where the shot's
  // sweep meets the edge; then the same with the edge moved away.
  float alienAt = 0;
  int64_t alienFrom = 0;
  for (bool edge : {true, false}) {
    SCOPED_TRACE(edge ? "with the edge" : "without the edge");
    Play play(edge ? "collide_blok" : "collide_noblok", 1);
    const int64_t start = kFree, end = start + 40;
    play.beforeEach(kPlay, end, [edge](int64_t) {
      quiet();
      F().steny1->Position().SetZ(100000);
      if (!edge) F().blok->Position().SetZ(100000);
    });
    play.hold("SPACE", start, start);
    TGLProxyObject* shot = nullptr;
    int64_t spent = 0;
    int alienHits = 0;
    play.after(start, [&] { shot = shots1[1]; });
    play.afterEach(start + 1, end, [&](int64_t frame) {
      alienHits += F().ali1->Tag();
      F().ali1->SetTag(0);
      if (!shot->Visible() && spent == 0) spent = frame;
    });
    play.beforeEach(start + 1, end, [&, edge](int64_t frame) {
      TForm1& f = F();
      if (edge && alienFrom == 0 && shot->Visible()) {
        // Where the shot will be after this frame's step; the edge (level with the ship's
        // camera, which stands still) takes it there when its sweep touches.
        const TVector next = at(X(*shot) - 10, Y(*shot), Z(*shot));
        if (shotWouldTouch(*f.blok, next)) {
          // The alien's near side where the same sweep touches it.
          for (float c = next.X; c < next.X + 20 && alienAt == 0; c += 0.5f) {
            f.ali1->Position().SetPoint(c, next.Y, 170);
            if (shotWouldTouch(*f.ali1, next)) alienAt = c;
          }
          ASSERT_NE(alienAt, 0) << "the alien can be put in the shot's sweep";
          alienFrom = frame;
        }
      }
      if (alienFrom != 0 && frame >= alienFrom) {
        // The alien's own update takes it 4 towards +X before the shots move.
        f.ali1->Position().SetPoint(alienAt - 4, Y(*f.muz), 170);
        f.ali1->SetVisible(true);
      }
    });
    play.run(end);
    ASSERT_NE(alienFrom, 0) << "the shot reaches the view's edge within 40 frames";
    EXPECT_EQ(spent, alienFrom) << "the shot is spent where it meets the edge or the alien";
    EXPECT_EQ(alienHits, edge ? 0 : 1);
  }
}

// The pool-1 shots past X = -60, beyond anything placed at X = 0.
int shotsPast() {
  int n = 0;
  for (int slot = 1; slot <= 20; ++slot)
    if (shots1[slot]->Visible() && X(*shots1[slot]) < -60) ++n;
  return n;
}

TEST(ShotHits, TheCannonTakesHitsOnlyOnLevelOnePast1550AndBeforeItsEightiethHit) {
  Play play("collide_cannon", 1);
  // Phases of 27 frames, three shots each; the cannon waits in the line of fire at X = 0.
  const int64_t low = kFree, high = low + 27, last = high + 27, wreck = last + 18,
                early = wreck + 27;
  const int64_t end = early + 27;
  float w = 1570;    // the walls wait here for the cannon
  float pitch = 19;  // the cannon's pitch before each frame
  int tag = 0;       // its hit count before each frame (-1: leave it)
  play.before(high, [&] { pitch = 25; });
  play.before(last, [&] {
    pitch = 0;
    tag = 79;
  });
  play.before(last + 1, [&] { tag = -1; });
  play.before(wreck, [&] { tag = 1000; });
  play.before(early, [&] {
    w = 1500;
    tag = 0;
  });
  play.beforeEach(kPlay, end, [&](int64_t frame) {
    TForm1& f = F();
    quiet();
    wallsAway();
    if (frame < low) return;
    f.steny1->Position().SetX(w);
    f.sud1->SetVisible(false);  // its barrel stays out of the way
    f.ob1->SetVisible(true);
    f.ob1->ResetOrientation();
    f.ob1->SetPitchAngle(pitch);
    f.ob1->Position().SetPoint(0, Y(*f.muz), 170);
    if (tag >= 0) f.ob1->SetTag(tag);
  });
  play.hold("SPACE", low, end);
  struct Frame {
    int64_t frame;
    int tag;
    float pitch;
    int past;
  };
  std::vector<Frame> frames;
  play.afterEach(low, end, [&](int64_t frame) {
    frames.push_back({frame, F().ob1->Tag(), F().ob1->PitchAngle(), shotsPast()});
  });
  play.run(end);

  auto phase = [&](int64_t from, int64_t to) {
    std::vector<Frame> out;
    for (const Frame& f : frames)
      if (f.frame >= from && f.frame < to) out.push_back(f);
    return out;
  };
  // Below 20 degrees each hit kicks the barrel up by 8, after the cannon's own update has let
  // it sink by 1; at 20 and above it only sinks.
  int hits = 0;
  for (const Frame& f : phase(low, high)) {
    SCOPED_TRACE("frame " + std::to_string(f.frame));
    ASSERT_LE(f.tag, 1);
    EXPECT_FLOAT_EQ(f.pitch, f.tag == 1 ? 26 : 18);
    EXPECT_EQ(f.past, 0) << "every shot is stopped";
    hits += f.tag;
  }
  EXPECT_EQ(hits, 3);
  hits = 0;
  for (const Frame& f : phase(high, last)) {
    SCOPED_TRACE("frame " + std::to_string(f.frame));
    EXPECT_FLOAT_EQ(f.pitch, 24);
    hits += f.tag;
  }
  EXPECT_EQ(hits, 3);
  // The 80th hit is the last it takes.
  int eightieth = 0;
  for (const Frame& f : phase(last, wreck)) {
    EXPECT_LE(f.tag, 80);
    if (f.tag == 80) eightieth += 1;
  }
  EXPECT_GT(eightieth, 0);
  for (const Frame& f : phase(wreck + 9, early)) {
    SCOPED_TRACE("frame " + std::to_string(f.frame));
    EXPECT_EQ(f.tag, 1000) << "past 80 hits it takes none";
  }
  EXPECT_GT(phase(early - 1, early)[0].past, 0) << "shots pass through it";
  // Before the walls pass 1550 the cannon does not stop shots either.
  for (const Frame& f : phase(early, end)) EXPECT_EQ(f.tag, 0) << "frame " << f.frame;
  EXPECT_GT(phase(end, end + 1)[0].past, 0);
}

TEST(ShotHits, TheLastMonstersBodyEmptiesTheStrengthBar) {
  Play play("collide_trup", 6);
  const int64_t start = kFree, end = start + 60;
  play.beforeEach(kPlay, end, [](int64_t) {
    quiet();
    wallsAway();
  });
  play.before(start, [] {
    TForm1& f = F();
    // The monster's body (14, -12 within it) in the line of fire at X = 0.
    f.obluda->Position().SetPoint(-14, Y(*f.muz) + 12, 170);
    f.trup->SetTag(0);
    f.max->SetVisible(true);
    f.max->SetWidth(2);
  });
  play.hold("SPACE", start, end);
  std::vector<int> tags;
  std::vector<float> widths, pitches;
  std::vector<bool> shown;
  play.afterEach(start, end, [&](int64_t) {
    TForm1& f = F();
    tags.push_back(f.trup->Tag());
    widths.push_back(f.max->Width());
    shown.push_back(f.max->Visible());
    pitches.push_back(f.obluda->PitchAngle());
  });
  play.run(end);
  int previous = 0;
  bool hidden = false;
  for (size_t k = 0; k < tags.size(); ++k) {
    SCOPED_TRACE("frame " + std::to_string(k));
    ASSERT_LE(tags[k] - previous, 1);
    // Each hit takes one pixel off the bar; below 1 it is gone and stays hidden.
    EXPECT_FLOAT_EQ(widths[k], std::max(0, 2 - tags[k]));
    EXPECT_EQ(shown[k], tags[k] < 2);
    // The body kicks the monster's pitch up by 10 a hit while it is below 40.
    EXPECT_FLOAT_EQ(pitches[k], std::min(40, 10 * tags[k]));
    hidden = hidden || !shown[k];
    previous = tags[k];
  }
  EXPECT_GE(previous, 4) << "a shot every 9 frames hits the body";
  EXPECT_TRUE(hidden);
}
