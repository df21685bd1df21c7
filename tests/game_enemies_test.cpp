// The enemies through the real frame loop: aliens, leapers, stones and falling barrels, the
// cannon and the monsters, spiders and the bomber, carriers and the final monster.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "engine/proxy_object.h"
#include "engine/random.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "game/obludy.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

namespace {

using Obj = TGLBaseSceneObject;

// The menu is left with Escape, the level's button and then the preview are clicked; the
// click of frame kClick starts the level and that frame is its first play frame.
constexpr int64_t kClick = 8;
// Frame `k` of play (1 = the first play frame).
constexpr int64_t play(int64_t k) { return kClick + k - 1; }

std::string startScript(int level) {
  const int y = 130 + 60 * (level - 1);
  return "1 key down ESC\n2 key up ESC\n4 mouse move 103 " + std::to_string(y) +
         "\n5 mouse down left\n6 mouse up left\n7 mouse move 400 280\n" + std::to_string(kClick) +
         " mouse down left\n" + std::to_string(kClick + 1) + " mouse up left\n";
}

TForm1& F() { return *Form1; }
float X(const Obj& o) { return o.Position().X(); }
float Y(const Obj& o) { return o.Position().Y(); }
float Z(const Obj& o) { return o.Position().Z(); }
float W() { return X(*F().steny1); }

// Runs `fn` before each of the frames from..to (after what is already hooked there).
void eachFrame(GameRunOptions& options, int64_t from, int64_t to, std::function<void()> fn) {
  for (int64_t f = from; f <= to; ++f) {
    std::function<void()> before = options.before_frame[f];
    options.before_frame[f] = [before, fn] {
      if (before) before();
      fn();
    };
  }
}

// Nothing harms the ship: the tests watch the enemies, not the lives.
void shield() {
  shipHit = false;
  lives = 3;
}

class EnemyTest : public gametest::GameTest {
 protected:
  // Plays `level` for `frames` play frames with the hooks set in `options`.
  GameRun run(int level, int64_t frames, GameRunOptions options) {
    options.script = startScript(level) + options.script;
    options.frames = play(frames);
    options.dt = 0.05;
    eachFrame(options, play(1), play(frames), shield);
    GameRun result = run_game(dir_, options);
    EXPECT_TRUE(result.errors.empty()) << (result.errors.empty() ? "" : result.errors[0]);
    return result;
  }
};

// The state that makes the generator's next integer draw below `n` come out as `value`.
uint32_t seedDrawing(int32_t value, int32_t n) {
  // state' = state * a + 1; draw = (state' * n) >> 32: aim state' at the middle of the value's
  // range and step back through the inverse of a.
  const uint64_t target = ((uint64_t(value) << 32) + (uint64_t(1) << 31)) / uint64_t(n);
  uint32_t inverse = 1;
  for (int i = 0; i < 5; ++i) inverse *= 2 - 134775813u * inverse;  // Newton's step mod 2^32
  return (static_cast<uint32_t>(target) - 1u) * inverse;
}

}  // namespace

TEST(EnemyHelpers, SeedMakesTheWantedDraw) {
  SetRandSeed(seedDrawing(10, 100));
  EXPECT_EQ(Random(100), 10);
  SetRandSeed(seedDrawing(42, 100));
  EXPECT_EQ(Random(100), 42);
}

TEST_F(EnemyTest, AliensChaseUntilHitHoldAfterOneAndFallFromTheSecond) {
  GameRunOptions o;
  float y = 0, roll = 0;
  // ali1: Tag 0 chases the ship's height (54) at 2 a frame.
  o.before_frame[play(60)] = [] {
    F().ali1->Position().SetPoint(-100, 0, 170);
    F().ali1->SetTag(0);
    F().ali3->Position().SetPoint(-100, 0, 170);
    F().ali3->SetTag(0);
  };
  o.before_frame[play(61)] = [&] {
    EXPECT_FLOAT_EQ(Y(*F().ali1), 2) << "chases up by 2";
    EXPECT_FLOAT_EQ(X(*F().ali1), -96) << "drifts 4 a frame";
    EXPECT_FLOAT_EQ(Y(*F().ali3), 0) << "ali3 keeps its height until hit";
    F().ali1->SetTag(1);
    F().ali3->SetTag(1);
    y = Y(*F().ali1);
  };
  o.before_frame[play(62)] = [&] {
    EXPECT_FLOAT_EQ(Y(*F().ali1), y) << "one hit: holds its height";
    EXPECT_FLOAT_EQ(Y(*F().ali3), 4 - 6) << "ali3 after one hit chases at 4 and falls at 6";
    F().ali1->SetTag(2);
    y = Y(*F().ali1);
    roll = F().ali1->RollAngle();
  };
  o.before_frame[play(63)] = [&] {
    EXPECT_FLOAT_EQ(Y(*F().ali1), y - 6) << "two hits: falls";
    EXPECT_NE(F().ali1->RollAngle(), roll) << "and rolls";
  };
  run(1, 63, o);
}

TEST_F(EnemyTest, ParkedAlienChasesWhileHiddenAndShowsWhereItIsWhenTheGateOpens) {
  GameRunOptions o;
  // Walls below 600: gate A shut, so an alien leaving past X 250 is parked at Y 1000.
  o.before_frame[play(60)] = [] {
    F().ali1->Position().SetPoint(251, 40, 170);
    F().ali1->SetTag(0);
  };
  o.before_frame[play(61)] = [] {
    EXPECT_FALSE(enemyGateA);
    EXPECT_FALSE(F().ali1->Visible());
    EXPECT_FLOAT_EQ(Y(*F().ali1), 1000);
    EXPECT_FLOAT_EQ(X(*F().ali1), -250);
  };
  o.before_frame[play(71)] = [] {
    EXPECT_FALSE(F().ali1->Visible());
    EXPECT_FLOAT_EQ(Y(*F().ali1), 1000 - 2 * 10) << "chases the ship's height while hidden";
    EXPECT_FLOAT_EQ(X(*F().ali1), -250 + 4 * 10);
    F().steny1->Position().SetX(700);  // gate A opens
  };
  o.before_frame[play(72)] = [] {
    EXPECT_TRUE(F().ali1->Visible()) << "shown where it is";
    EXPECT_FLOAT_EQ(Y(*F().ali1), 1000 - 2 * 11);
  };
  run(1, 72, o);
}

TEST_F(EnemyTest, LeapersParkEveryFrameWhileTheirGateIsShutAndStartFromTheirEntry) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] {
    EXPECT_FALSE(enemyGateB);
    const Obj& leaper = *F().ali1;
    EXPECT_FALSE(leaper.Visible());
    EXPECT_FLOAT_EQ(Y(leaper), -150);
    EXPECT_FLOAT_EQ(X(leaper), X(*F().muz) - 350);
    EXPECT_FLOAT_EQ(leaper.PitchAngle(), 90);
    F().steny1->Position().SetX(200);  // gate B opens
  };
  o.before_frame[play(61)] = [] {
    const Obj& leaper = *F().ali1;
    EXPECT_TRUE(leaper.Visible());
    EXPECT_FLOAT_EQ(Y(leaper), -95) << "always from its entry point";
    EXPECT_FLOAT_EQ(X(leaper), X(*F().muz) - 350);
    EXPECT_FLOAT_EQ(leaper.PitchAngle(), 90) << "nose up";
  };
  o.before_frame[play(70)] = [] {
    EXPECT_GT(Y(*F().ali1), -95) << "it leaps out of the floor";
    EXPECT_LT(F().ali1->PitchAngle(), 90) << "and arcs over";
  };
  run(2, 70, o);
}

TEST_F(EnemyTest, StonesRecycleAtTheShipsHeightWhenHit) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] {
    F().kamen2->Position().SetPoint(0, -20, 170);
    F().kamen2->SetTag(1);
  };
  o.before_frame[play(61)] = [] {
    EXPECT_FLOAT_EQ(X(*F().kamen2), -450);
    EXPECT_FLOAT_EQ(Y(*F().kamen2), Y(*F().muz));
    EXPECT_EQ(F().kamen2->Tag(), 0);
    EXPECT_TRUE(F().kamen2->Visible());
  };
  run(1, 61, o);
}

TEST_F(EnemyTest, FallingStonesAreHeldAwayWhileTheirGateIsShut) {
  GameRunOptions o;
  o.before_frame[play(20)] = [] {
    EXPECT_FALSE(enemyGateB);
    for (Obj* stone : {F().kamen1, F().kamen2, F().kamen3, F().kamen4}) {
      EXPECT_FLOAT_EQ(X(*stone), 1000);
      EXPECT_FLOAT_EQ(Y(*stone), 1000);
      EXPECT_FALSE(stone->Visible());
    }
    F().steny1->Position().SetY(500);  // gate B opens
  };
  o.before_frame[play(21)] = [] {
    EXPECT_TRUE(enemyGateB);
    EXPECT_TRUE(F().kamen1->Visible());
    EXPECT_FLOAT_EQ(Y(*F().kamen1), 998) << "first falls from where it was held";
    EXPECT_FLOAT_EQ(X(*F().kamen1), 1000);
  };
  run(3, 21, o);
}

TEST_F(EnemyTest, TouchedFallingBarrelExplodesOnceAndStartsAgainAtItsTop) {
  GameRunOptions o;
  int32_t copies = 0;
  o.before_frame[play(60)] = [&] {
    F().sud1->Position().SetY(300);
    F().sud1->SetTag(10);
    copies = F().list->Items(0).CopyCount();
  };
  o.before_frame[play(61)] = [&] {
    EXPECT_EQ(F().sud1->Tag(), 0);
    EXPECT_FLOAT_EQ(Y(*F().sud1), 350) << "back at its top";
    EXPECT_FLOAT_EQ(X(*F().zasah_sud), 50) << "the blast where it was";
    EXPECT_FLOAT_EQ(Y(*F().zasah_sud), 296);
    EXPECT_GT(F().vybuch_sud->ParticleCount(), 0);
    EXPECT_TRUE(F().list->Items(0).Playing()) << "with the explosion";
    EXPECT_GE(F().list->Items(0).CopyCount(), std::max(copies, 1));
  };
  run(5, 61, o);
}

TEST_F(EnemyTest, HitBurstInsideItsCooldownMakesNoParticlesAndNoSound) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] {
    F().list->stopWave(0);
    hitFxTimer2 = 3;
    hitBurst2();
    EXPECT_EQ(F().zasah2->ParticleCount(), 0);
    EXPECT_FALSE(F().list->Items(0).Playing());
    hitFxTimer2 = 0;
    hitBurst2();
    EXPECT_EQ(F().zasah2->ParticleCount(), 20);
    EXPECT_TRUE(F().list->Items(0).Playing());
    EXPECT_EQ(hitFxTimer2, 10);
  };
  o.before_frame[play(70)] = [] { EXPECT_EQ(hitFxTimer2, 0) << "counted down a frame at a time"; };
  run(1, 70, o);
}

TEST_F(EnemyTest, TheWallsWaitAtTheCannonAndTheMonsterLosesItsPartsToHits) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] { F().steny1->Position().SetX(1555); };
  o.before_frame[play(160)] = [] {
    EXPECT_GT(W(), 1560);
    EXPECT_LE(W(), 1560.5f) << "stopped just over 1560 while the cannon lives";
    EXPECT_TRUE(F().ob1->Visible());
    F().ob1->SetTag(80);  // destroyed: the wreck sinks
  };
  o.before_frame[play(300)] = [] {
    EXPECT_FALSE(F().ob1->Visible());
    EXPECT_EQ(F().ob1->Tag(), 100);
    EXPECT_GT(W(), 1570) << "the walls move on";
    // Straight on to the monster's fight.
    F().steny1->Position().SetX(2300);
    F().trup->SetTag(100);
  };
  float hyb1 = 0;
  o.before_frame[play(310)] = [&] {
    EXPECT_FLOAT_EQ(Y(*F().hyb1), -23) << "100 hits drop nothing";
    F().trup->SetTag(101);
  };
  o.before_frame[play(311)] = [&] {
    EXPECT_FLOAT_EQ(Y(*F().hyb1), -28) << "the 101st releases hyb1";
    EXPECT_TRUE(F().hyb2->Visible());
    hyb1 = Y(*F().hyb1);
    F().trup->SetTag(201);
  };
  o.before_frame[play(312)] = [&] {
    EXPECT_FLOAT_EQ(Y(*F().hyb2), -5) << "above 200 hyb2 drops";
    EXPECT_FLOAT_EQ(Y(*F().oci), 28);
    F().trup->SetTag(301);
  };
  o.before_frame[play(313)] = [&] { EXPECT_FLOAT_EQ(Y(*F().oci), 23) << "above 300 the eyes"; };
  o.before_frame[play(400)] = [&] {
    EXPECT_FALSE(F().hyb1->Visible()) << "fallen out of sight";
    EXPECT_FALSE(F().oci->Visible());
    EXPECT_TRUE(F().obluda->Visible()) << "500 hits or fewer: it fights on";
    F().trup->SetTag(501);
  };
  bool ended = false;
  eachFrame(o, play(401), play(700), [&] {
    if (!ended && levelComplete) {
      ended = true;
      EXPECT_FALSE(F().obluda->Visible()) << "sunk below -200";
      EXPECT_LT(Y(*F().obluda), -200);
      EXPECT_EQ(selectedLevel, 2);
    }
  });
  o.at_end = [&] {
    EXPECT_TRUE(ended);
    EXPECT_EQ(levelNumber, 2) << "the banner led into level 2";
  };
  run(1, 700, o);
}

TEST_F(EnemyTest, CannonBarrelFliesOnWhenTouchedAndTheRearBarrelReloadsFarOut) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] { F().steny1->Position().SetX(1555); };
  o.before_frame[play(70)] = [] {
    ASSERT_TRUE(F().sud1->Visible());
    F().sud1->Position().SetX(0);
    F().sud1->SetTag(10);  // the ship touched it
  };
  o.before_frame[play(71)] = [] {
    EXPECT_FLOAT_EQ(X(*F().sud1), 9) << "a touch does not reload the cannon: it flies on";
    EXPECT_EQ(F().sud1->Tag(), 10);
    F().ob1->SetTag(80);
    F().steny1->Position().SetX(2300);
    F().obluda->Position().SetX(-300);
  };
  eachFrame(o, play(73), play(80), [] {
    // Past -150 the rear barrel is pulled back to -400 every frame and reloads at once.
    EXPECT_FLOAT_EQ(X(*F().sud2), X(*F().obluda) + 20);
    EXPECT_FLOAT_EQ(Y(*F().sud2), Y(*F().obluda) - 10);
  });
  run(1, 80, o);
}

TEST_F(EnemyTest, SecondMonsterSinksAfterAThousandHits) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] {
    F().steny1->Position().SetX(2150);
    F().trup->SetTag(1000);
  };
  o.before_frame[play(100)] = [] {
    EXPECT_GT(Y(*F().obluda), -250) << "up from the floor past 2100";
    EXPECT_FALSE(levelComplete) << "a thousand hits are not enough";
    F().trup->SetTag(1001);
  };
  bool ended = false;
  eachFrame(o, play(101), play(400), [&] {
    if (!ended && levelComplete) {
      ended = true;
      EXPECT_EQ(selectedLevel, 3);
      EXPECT_FALSE(F().trup->Visible());
    }
  });
  o.at_end = [&] {
    EXPECT_TRUE(ended);
    EXPECT_EQ(levelNumber, 3);
  };
  run(2, 400, o);
}

TEST_F(EnemyTest, SpidersPickUpThrowAndFallAfterThreeHits) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] {
    F().steny1->Position().SetX(0);  // gate A open
    F().ali_anim1->Position().SetPoint(0, 34, 170);
    F().sud1->SetVisible(true);
    F().sud1->SetTag(0);
    F().list->stopWave(0);
  };
  // The shell follows its body a frame later; from then on it is inside the pick-up zone.
  o.before_frame[play(62)] = [] {
    Obj& shell = *F().ali1;
    EXPECT_EQ(F().sud1->Tag(), 1) << "picked up";
    EXPECT_FLOAT_EQ(X(*F().sud1), X(shell) - 2 + 18) << "held at the shell it had";
    EXPECT_FLOAT_EQ(F().sud1->RollAngle(), 90);
    EXPECT_TRUE(F().list->Items(0).Playing()) << "with a bang as it is taken";
    F().sud1->SetTag(10);  // touched inside the pick-up zone
  };
  o.before_frame[play(63)] = [] {
    EXPECT_EQ(F().sud1->Tag(), 1) << "a touch in the pick-up zone does not explode it";
    EXPECT_LT(Y(*F().sud1), 1000);
    F().ali_anim1->Position().SetX(170);  // past 160: it throws
  };
  o.before_frame[play(64)] = [] {
    EXPECT_EQ(F().sud1->Tag(), 0);
    EXPECT_FLOAT_EQ(X(*F().zasah_sud), X(*F().sud1)) << "the barrel flies burning";
    EXPECT_GT(F().vybuch_sud->ParticleCount(), 0);
    F().ali_anim1->Position().SetPoint(0, 34, 170);
    F().ali1->SetTag(3);  // the third hit
  };
  o.before_frame[play(90)] = [] {
    EXPECT_NEAR(Y(*F().ali_anim1), -47, 6) << "a beaten spider falls to about -47";
    EXPECT_TRUE(F().ali_anim1->Visible());
  };
  run(4, 90, o);
}

TEST_F(EnemyTest, BombDropsOnlyFromItsSettledDepthExplodesAndReArms) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] {
    F().steny1->Position().SetX(900);
    F().sud3->SetTag(0);
    F().sud3->Position().SetZ(222);
    SetRandSeed(seedDrawing(10, 100));  // the lucky draw, but not yet at 221
  };
  o.before_frame[play(61)] = [] {
    EXPECT_EQ(F().sud3->Tag(), 0) << "not released above 221";
    EXPECT_FLOAT_EQ(Z(*F().sud3), 221);
    SetRandSeed(seedDrawing(11, 100));
  };
  o.before_frame[play(62)] = [] {
    EXPECT_EQ(F().sud3->Tag(), 0) << "only a draw of 10 releases it";
    SetRandSeed(seedDrawing(10, 100));
  };
  o.before_frame[play(63)] = [] {
    EXPECT_EQ(F().sud3->Tag(), 2) << "released and counted in the same frame";
    EXPECT_FLOAT_EQ(Z(*F().sud3), 219);
    F().sud3->SetTag(179);
  };
  o.before_frame[play(64)] = [] {
    EXPECT_EQ(F().sud3->Tag(), 180);
    EXPECT_FALSE(F().sud3->Visible()) << "exploded";
    EXPECT_GT(F().vybuch_sud->ParticleCount(), 0);
    F().sud3->SetTag(220);
  };
  o.before_frame[play(65)] = [] {
    EXPECT_EQ(F().sud3->Tag(), 0) << "re-armed after 220";
    EXPECT_TRUE(F().sud3->Visible());
    EXPECT_FLOAT_EQ(Z(*F().sud3), 250);
    // Touched while armed: it stops following the bomber and goes off two updates later.
    F().sud3->Position().SetPoint(33, 44, 221);
    F().sud3->SetTag(178);
  };
  o.before_frame[play(66)] = [] {
    EXPECT_TRUE(F().sud3->Visible());
    EXPECT_FLOAT_EQ(X(*F().sud3), 33);
  };
  o.before_frame[play(67)] = [] {
    EXPECT_FALSE(F().sud3->Visible());
    EXPECT_FLOAT_EQ(X(*F().zasah_sud), 33) << "where it was touched";
    EXPECT_FLOAT_EQ(Y(*F().zasah_sud), 44);
  };
  run(4, 67, o);
}

TEST_F(EnemyTest, CarriersWaitBeyondTheirTurnWhileTheGateIsShut) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] {
    F().steny1->Position().SetX(100);  // gate C shut
    F().ali_anim1->Position().SetX(201);
  };
  o.before_frame[play(70)] = [] {
    EXPECT_FALSE(enemyGateC);
    EXPECT_FALSE(F().ali_anim1->Visible());
    EXPECT_FALSE(F().sud1->Visible());
    EXPECT_GT(X(*F().ali_anim1), 200);
    F().steny1->Position().SetX(800);  // gate C opens
  };
  o.before_frame[play(71)] = [] {
    EXPECT_TRUE(F().ali_anim1->Visible());
    EXPECT_TRUE(F().sud1->Visible());
    EXPECT_FLOAT_EQ(X(*F().ali_anim1), -200);
    EXPECT_FLOAT_EQ(X(*F().sud1), -202) << "carried under it";
  };
  run(6, 71, o);
}

TEST_F(EnemyTest, FinalMonsterDescendsFightsSinksAtSixHundredAndTheGameEnds) {
  GameRunOptions o;
  o.before_frame[play(60)] = [] { F().steny1->Position().SetX(2050); };
  o.before_frame[play(70)] = [] {
    EXPECT_TRUE(F().max->Visible()) << "the strength bar past 2000";
    // Coming down at 1.3 a frame while it also drifts 0.4 towards the ship's height.
    EXPECT_NEAR(Y(*F().obluda), 500 - 1.7f * 10, 0.01f);
    F().palivo->SetWidth(40);
  };
  o.before_frame[play(71)] = [] {
    EXPECT_FLOAT_EQ(F().palivo->Width(), 150) << "the bars are held full";
    F().trup->SetTag(599);
  };
  float x = 0, y = 0;
  o.before_frame[play(72)] = [&] {
    x = X(*F().obluda);
    y = Y(*F().obluda);
  };
  o.before_frame[play(80)] = [&] {
    EXPECT_FLOAT_EQ(X(*F().obluda), x) << "at 599 it neither chases";
    EXPECT_FLOAT_EQ(Y(*F().obluda), y) << "nor sinks";
    F().trup->SetTag(600);
  };
  o.before_frame[play(81)] = [&] { EXPECT_FLOAT_EQ(Y(*F().obluda), y - 2) << "sinks at 600"; };
  bool hidden = false;
  eachFrame(o, play(82), play(2000), [&] {
    if (!F().obluda->Visible() && !hidden) {
      hidden = true;
      EXPECT_FALSE(gameFinished) << "gameFinished comes one call after it is hidden";
    }
  });
  GameRun result = run(6, 2000, o);
  EXPECT_TRUE(hidden);
  EXPECT_EQ(result.ended, "halt") << "the closing sequence ends the program";
  EXPECT_LT(result.frames, play(2000));
}

TEST_F(EnemyTest, TheBasicGunCanHitTheCannon) {
  GameRunOptions o;
  o.script = std::to_string(play(60)) + " key down SPACE\n";
  o.before_frame[play(60)] = [] {
    // The walls, the cannon and the monster jump ahead together, as they scroll.
    const float ahead = 1555 - W();
    for (Obj* o :
         {static_cast<Obj*>(F().steny1), static_cast<Obj*>(F().ob1), static_cast<Obj*>(F().obluda)})
      o->Position().SetX(X(*o) + ahead);
  };
  // The ship keeps to the cannon's height, as a player aiming at it would.
  eachFrame(o, play(61), play(600), [] {
    F().muz->Position().SetY(std::max(F().ob1->WorldPosition().Y, -50.0f));
    F().energie->SetWidth(150);
  });
  o.at_end = [] {
    EXPECT_EQ(weaponLevel, 1);
    EXPECT_GT(F().ob1->Tag(), 0) << "shots of the basic gun reach the cannon at its depth";
  };
  run(1, 600, o);
}
