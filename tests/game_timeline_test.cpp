// The six level timelines through the real frame loop: where the walls stop, the gates they
// open, the level ends, the banner and the next level, the start hold, levels started straight
// from the menu, and the closing fly-away.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/proxy_object.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

using namespace gametest;

namespace {

float wallsX() { return Form1->steny1->Position().X(); }
float wallsY() { return Form1->steny1->Position().Y(); }

// Level 1's cannon and monster ride with the walls at their start-up distances.
void putLevel1Walls(float x) {
  Form1->steny1->Position().SetX(x);
  Form1->ob1->Position().SetX(x - 1656);
  Form1->obluda->Position().SetX(x - 2600);
}

// What a test looks at after a frame.
struct Frame {
  float x = 0, y = 0, banner = 0, shipY = 0;
  bool complete = false;
  int32_t level = 0, selected = 0, hold = 0, open = 0;
  static Frame now() {
    return {wallsX(),
            wallsY(),
            Form1->super->Position().X(),
            Form1->muz->Position().Y(),
            levelComplete,
            levelNumber,
            selectedLevel,
            startHold,
            levelsOpen};
  }
};

// The change of an angle from `from` to `to`, the short way round.
float turned(float from, float to) {
  float d = std::fmod(to - from, 360.0f);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

class GameTimelineTest : public GameTest {
 protected:
  // Level `level` from the menu; no hit costs a life, so the walls are never put back by a
  // restart while a test watches them.
  GameRunOptions level(int level, int64_t frames) {
    GameRunOptions o;
    o.script = start_level_script(level);
    o.frames = frames;
    o.before_each = [](int64_t) { hitRecovery = 0; };
    return o;
  }
};

struct Gates {
  bool a, b, c, pickups;
};

void expectGates(const Gates& want, const std::string& where) {
  EXPECT_EQ(enemyGateA, want.a) << where;
  EXPECT_EQ(enemyGateB, want.b) << where;
  EXPECT_EQ(enemyGateC, want.c) << where;
  EXPECT_EQ(pickupGate, want.pickups) << where;
}

// One sample a frame from `first` on: the walls put at (x, y) before the frame, the gates
// checked after it.
struct GateSample {
  float x, y;
  Gates gates;
};

void addGateSamples(GameRunOptions& o, int64_t first, const std::vector<GateSample>& samples) {
  for (size_t i = 0; i < samples.size(); ++i) {
    const GateSample s = samples[i];
    const int64_t frame = first + static_cast<int64_t>(i);
    o.before_frame[frame] = [s] {
      Form1->steny1->Position().SetX(s.x);
      Form1->steny1->Position().SetY(s.y);
    };
    o.after_frame[frame] = [s] {
      expectGates(s.gates, "walls at " + std::to_string(s.x) + ", " + std::to_string(s.y));
    };
  }
}

}  // namespace

// --- level 1: the cannon, the monster and the end of the tunnel

TEST_F(GameTimelineTest, Level1WallsWaitForTheCannonThenTheMonsterThenStopForGood) {
  GameRunOptions o = level(1, 75);
  std::vector<float> x(80, 0), cannon(80, 0), scroll(80, -1);
  o.after_each = [&](int64_t frame) {
    x[frame] = wallsX();
    cannon[frame] = Form1->ob1->Position().X();
    scroll[frame] = scrollStep;
  };
  o.before_frame[20] = [] { putLevel1Walls(1559.2f); };
  o.before_frame[31] = [] { Form1->ob1->SetVisible(false); };
  o.before_frame[40] = [] { putLevel1Walls(2299.2f); };
  o.before_frame[49] = [] { Form1->obluda->SetVisible(false); };
  o.before_frame[55] = [] { putLevel1Walls(2409.2f); };
  bool cannon_shown = false, monster_shown = false;
  o.after_frame[30] = [&] { cannon_shown = Form1->ob1->Visible(); };
  o.after_frame[48] = [&] { monster_shown = Form1->obluda->Visible(); };
  GameRun run = run_game(dir_, o);
  expectCleanRun(run, 75);
  ASSERT_TRUE(cannon_shown);
  ASSERT_TRUE(monster_shown);

  EXPECT_FLOAT_EQ(x[19], -400 + 12 * 0.5f) << "half a unit a frame from -400";
  EXPECT_FLOAT_EQ(x[20], 1559.7f);
  EXPECT_FLOAT_EQ(x[21], 1560.2f) << "the first frame past 1560 still scrolls";
  for (int f = 20; f <= 21; ++f) EXPECT_FLOAT_EQ(cannon[f] - x[f], -1656) << "the cannon rides";
  for (int f = 22; f <= 30; ++f) {
    EXPECT_FLOAT_EQ(x[f], 1560.2f) << "frame " << f << ": the cannon is still there";
    EXPECT_EQ(scroll[f], 0) << "frame " << f;
  }
  EXPECT_FLOAT_EQ(x[31], 1560.7f) << "the cannon gone, the walls go on";
  EXPECT_FLOAT_EQ(scroll[31], 0.5f);

  EXPECT_FLOAT_EQ(x[40], 2299.7f);
  EXPECT_FLOAT_EQ(x[41], 2300.2f);
  for (int f = 42; f <= 48; ++f) EXPECT_FLOAT_EQ(x[f], 2300.2f) << "frame " << f;
  EXPECT_FLOAT_EQ(x[49], 2300.7f) << "the monster gone, the walls go on";

  EXPECT_FLOAT_EQ(x[55], 2409.7f);
  EXPECT_FLOAT_EQ(x[56], 2410.2f);
  for (int f = 57; f <= 75; ++f) {
    EXPECT_FLOAT_EQ(x[f], 2410.2f) << "frame " << f << ": the end of the tunnel";
    EXPECT_EQ(scroll[f], 0) << "frame " << f;
  }
}

TEST_F(GameTimelineTest, Level1GatesFollowTheWalls) {
  GameRunOptions o = level(1, 20);
  addGateSamples(o, 10,
                 {{400, 0, {false, true, false, true}},
                  {800, 0, {true, false, false, true}},
                  {1400, 0, {false, false, false, true}},
                  {1600, 0, {false, false, false, false}},
                  {1900, 0, {true, false, false, true}},
                  {2250, 0, {false, false, false, true}}});
  expectCleanRun(run_game(dir_, o), 20);
}

// --- level 2

TEST_F(GameTimelineTest, Level2StopsPast2200AndCarriesItsSceneryAlong) {
  GameRunOptions o = level(2, 24);
  addGateSamples(o, 10,
                 {{200, 0, {false, true, false, true}},
                  {700, 0, {true, false, false, true}},
                  {1100, 0, {false, true, false, true}},
                  {1500, 0, {false, false, false, false}},
                  {1320, 0, {false, false, false, true}}});
  o.before_frame[16] = [] { Form1->steny1->Position().SetX(2199.8f); };
  std::vector<float> x(30, 0);
  o.after_each = [&](int64_t frame) {
    if (frame < kLevelStart) return;
    x[frame] = wallsX();
    const TGLCoordinates& walls = Form1->steny1->Position();
    EXPECT_FLOAT_EQ(Form1->steny2->Position().X(), walls.X() - 780) << frame;
    EXPECT_FLOAT_EQ(Form1->ob1->Position().X(), walls.X() - 1796) << frame;
    EXPECT_FLOAT_EQ(Form1->ob1->Position().Y(), 26) << frame;
    EXPECT_FLOAT_EQ(Form1->ob1->Position().Z(), 164) << frame;
    EXPECT_EQ(Form1->ruzne->Position().X(), walls.X()) << frame;
    EXPECT_EQ(Form1->ruzne->Position().Y(), walls.Y()) << frame;
  };
  expectCleanRun(run_game(dir_, o), 24);
  EXPECT_FLOAT_EQ(x[16], 2200.3f);
  for (int f = 17; f <= 24; ++f) EXPECT_FLOAT_EQ(x[f], 2200.3f) << "frame " << f;
}

// --- level 3: the climb, then sideways to the end

TEST_F(GameTimelineTest, Level3ClimbsTo2884ThenScrollsSidewaysAndEndsPast720) {
  write_progress(dir_, "3\r\n");
  GameRunOptions o = level(3, 72);
  std::vector<Frame> at(80);
  o.after_each = [&](int64_t frame) {
    at[frame] = Frame::now();
    EXPECT_LE(wallsY(), 2884) << "frame " << frame;
  };
  o.before_frame[20] = [] { Form1->steny1->Position().SetY(2882.5f); };
  o.before_frame[30] = [] { Form1->steny1->Position().SetX(719.2f); };
  expectCleanRun(run_game(dir_, o), 72);

  for (int f = kLevelStart; f < 20; ++f) {
    EXPECT_FLOAT_EQ(at[f].x, -380) << "frame " << f << ": only climbing";
    EXPECT_FLOAT_EQ(at[f].y, -20 + (f - kLevelStart + 1)) << "frame " << f;
  }
  EXPECT_FLOAT_EQ(at[20].y, 2883.5f);
  EXPECT_FLOAT_EQ(at[20].x, -380) << "below 2884 no sideways scroll";
  EXPECT_FLOAT_EQ(at[21].y, 2884) << "held at the top";
  EXPECT_FLOAT_EQ(at[21].x, -379.5f) << "the frame reaching the top already scrolls sideways";
  EXPECT_FLOAT_EQ(at[22].x, -379);

  EXPECT_FLOAT_EQ(at[30].x, 719.7f);
  EXPECT_FALSE(at[30].complete);
  EXPECT_TRUE(at[31].complete) << "past 720";
  EXPECT_EQ(at[31].selected, 3);
  EXPECT_FLOAT_EQ(at[31].banner, -90) << "the banner starts in the same frame";
  for (int f = 32; f <= 70; ++f) {
    EXPECT_FLOAT_EQ(at[f].banner, at[f - 1].banner + 10) << "frame " << f;
    EXPECT_EQ(at[f].level, 3) << "frame " << f;
  }
  EXPECT_FLOAT_EQ(at[70].banner, 300) << "at 300 it has not passed yet";
  EXPECT_TRUE(at[70].complete);

  EXPECT_EQ(at[71].level, 4) << "past 300 the next level is set up";
  EXPECT_FALSE(at[71].complete);
  EXPECT_FLOAT_EQ(at[71].banner, -100) << "back for the next level";
  EXPECT_EQ(at[71].hold, 50) << "the frame ends with the set-up";
  EXPECT_FLOAT_EQ(at[71].x, -400);
  EXPECT_FLOAT_EQ(at[71].y, 0);
  EXPECT_EQ(at[71].open, 4);
  EXPECT_EQ(at[72].hold, 49);
  EXPECT_FLOAT_EQ(at[72].shipY, 164);
  EXPECT_EQ(read_progress(dir_), "4\r\n") << "entering level 4 records it";
}

TEST_F(GameTimelineTest, Level3GatesFollowTheShaftAndTheCorridor) {
  GameRunOptions o = level(3, 20);
  addGateSamples(o, 10,
                 {{-380, 50, {false, false, false, false}},
                  {-380, 1000, {false, true, false, false}},
                  {0, 1000, {true, true, false, true}},
                  {100, 2884, {true, false, false, true}},
                  {700, 2884, {false, false, false, true}}});
  expectCleanRun(run_game(dir_, o), 20);
}

// --- level 4

TEST_F(GameTimelineTest, Level4EndsPast1750AndLevel5Follows) {
  GameRunOptions o = level(4, 62);
  addGateSamples(o, 10,
                 {{300, 0, {true, false, false, true}},
                  {900, 0, {false, false, false, true}},
                  {1200, 0, {true, false, false, true}}});
  o.before_frame[20] = [] { Form1->steny1->Position().SetX(1749.2f); };
  o.before_frame[25] = [] { Form1->steny1->Position().SetX(1779.6f); };
  std::vector<Frame> at(70);
  o.after_each = [&](int64_t frame) {
    at[frame] = Frame::now();
    if (levelNumber == 4) {
      EXPECT_FLOAT_EQ(Form1->steny2->Position().X(), wallsX() - 760);
    }
  };
  expectCleanRun(run_game(dir_, o), 62);
  EXPECT_FLOAT_EQ(at[20].x, 1749.7f);
  EXPECT_FALSE(at[20].complete);
  EXPECT_FLOAT_EQ(at[21].x, 1750.2f);
  EXPECT_TRUE(at[21].complete);
  EXPECT_EQ(at[21].selected, 4);
  EXPECT_FLOAT_EQ(at[25].x, 1780.1f);
  for (int f = 26; f <= 60; ++f) EXPECT_FLOAT_EQ(at[f].x, 1780.1f) << "frame " << f;
  EXPECT_EQ(at[60].level, 4);
  EXPECT_TRUE(at[60].complete);
  EXPECT_EQ(at[61].level, 5) << "40 frames after the end";
  EXPECT_FALSE(at[61].complete);
  EXPECT_FLOAT_EQ(at[61].x, -406);
}

// --- level 5: down the shaft, then the door

TEST_F(GameTimelineTest, Level5EndsOnlyOnceTheDoorHasRisenAtTheBottom) {
  GameRunOptions o = level(5, 175);
  std::vector<float> y(180, 0), door(180, 0);
  std::vector<bool> complete(180, false), pickups(180, true);
  o.after_each = [&](int64_t frame) {
    y[frame] = wallsY();
    door[frame] = Form1->ruzne->Position().Y();
    complete[frame] = levelComplete;
    pickups[frame] = pickupGate;
    if (levelNumber == 5) {
      EXPECT_FLOAT_EQ(Form1->steny2->Position().Y(), wallsY() + 1243) << frame;
      EXPECT_FLOAT_EQ(Form1->ali1->Position().Y(), wallsY() + 757) << frame;
      EXPECT_FLOAT_EQ(Form1->ali2->Position().Y(), wallsY() + 1782) << frame;
      EXPECT_FLOAT_EQ(Form1->ali3->Position().Y(), wallsY() + 2295) << frame;
    }
  };
  o.before_frame[20] = [] { Form1->steny1->Position().SetY(-2000); };
  o.before_frame[30] = [] { Form1->steny1->Position().SetY(-2398); };
  expectCleanRun(run_game(dir_, o), 175);

  for (int f = kLevelStart; f < 20; ++f)
    EXPECT_FLOAT_EQ(y[f], -1.5f * (f - kLevelStart + 1)) << "frame " << f << ": going down";
  for (int f = kLevelStart; f < 170; ++f) EXPECT_FALSE(pickups[f]) << "frame " << f;
  for (int f = 20; f < 30; ++f) {
    EXPECT_FLOAT_EQ(door[f], y[f]) << "frame " << f << ": the door comes along";
    EXPECT_FALSE(complete[f]) << "frame " << f << ": the door is above -2200, but not yet down";
  }
  EXPECT_FLOAT_EQ(y[30], -2399.5f);
  EXPECT_FLOAT_EQ(door[30], -2399.5f);
  EXPECT_FLOAT_EQ(y[31], -2401);
  EXPECT_FLOAT_EQ(door[31], -2397.5f) << "past -2400 the door rises 2 a frame";
  // -2399.5 + 2k reaches -2200 at k = 100.
  for (int f = 31; f < 130; ++f) EXPECT_FALSE(complete[f]) << "frame " << f;
  EXPECT_FLOAT_EQ(door[129], -2201.5f);
  EXPECT_FLOAT_EQ(door[130], -2199.5f);
  EXPECT_TRUE(complete[130]);
  // -2399.5 - 1.5k reaches -2512 at k = 75: there the walls stop.
  EXPECT_FLOAT_EQ(y[104], -2510.5f);
  EXPECT_FLOAT_EQ(y[105], -2512);
  EXPECT_FLOAT_EQ(y[130], -2512);
  EXPECT_FALSE(complete[170]) << "level 6 set up 40 frames later";
  EXPECT_FLOAT_EQ(y[170], 0);
}

TEST_F(GameTimelineTest, Level5KeepsEveryGateShut) {
  GameRunOptions o = level(5, 14);
  addGateSamples(o, 10,
                 {{-406, -100, {false, false, false, false}},
                  {-406, -1500, {false, false, false, false}},
                  {-406, -2450, {false, false, false, false}}});
  expectCleanRun(run_game(dir_, o), 14);
}

// --- level 6: the last level ends through the monster, never through the banner

TEST_F(GameTimelineTest, Level6GatesAndItsMonsterBarPast2000) {
  GameRunOptions o = level(6, 20);
  addGateSamples(o, 10,
                 {{300, 0, {false, true, false, true}},
                  {600, 0, {true, false, false, true}},
                  {750, 0, {true, false, true, true}},
                  {1000, 0, {false, true, true, true}},
                  {1250, 0, {false, false, false, true}},
                  {1400, 0, {true, true, false, true}},
                  {1700, 0, {true, false, true, true}}});
  o.after_frame[9] = [] { EXPECT_FALSE(Form1->max->Visible()); };
  o.after_frame[10] = [] {
    EXPECT_FLOAT_EQ(Form1->ob1->Position().X(), 300 - 723) << "from before the scroll";
    EXPECT_FLOAT_EQ(Form1->steny2->Position().X(), 300 - 762);
  };
  o.before_frame[18] = [] { Form1->steny1->Position().SetX(2050); };
  o.after_frame[18] = [] { EXPECT_TRUE(Form1->max->Visible()); };
  expectCleanRun(run_game(dir_, o), 20);
}

TEST_F(GameTimelineTest, Level6NeverCompletesAndItsWallsStopAt2100) {
  GameRunOptions o = level(6, 80);
  o.before_frame[10] = [] { Form1->steny1->Position().SetX(2080); };
  std::vector<float> x(90, 0);
  o.after_each = [&](int64_t frame) {
    x[frame] = wallsX();
    EXPECT_FALSE(levelComplete) << "frame " << frame;
    EXPECT_FALSE(gameFinished) << "frame " << frame << ": the monster is still there";
  };
  expectCleanRun(run_game(dir_, o), 80);
  EXPECT_FLOAT_EQ(x[49], 2100) << "the first position at 2100";
  EXPECT_FLOAT_EQ(x[80], 2100);
}

// --- the start hold

TEST_F(GameTimelineTest, TheShipIsHeldAtItsStartFor50Frames) {
  struct Start {
    int level;
    float x, y;
  };
  for (const Start s : {Start{1, 100, 54}, Start{2, 100, 80}, Start{3, 100, 54}, Start{4, 50, 164},
                        Start{5, 50, 164}, Start{6, 100, 54}}) {
    SCOPED_TRACE("level " + std::to_string(s.level));
    GameRunOptions o = level(s.level, kLevelStart + 50);
    // Steering against the hold all the while.
    o.script += std::to_string(kLevelStart) + " key down DOWN\n" + std::to_string(kLevelStart) +
                " key down RIGHT\n";
    int held = 0;
    o.after_each = [&](int64_t frame) {
      if (frame < kLevelStart) return;
      const TGLCoordinates& ship = Form1->muz->Position();
      if (frame < kLevelStart + 50) {
        EXPECT_EQ(startHold, kLevelStart + 49 - frame);
        if (ship.X() == s.x && ship.Y() == s.y && ship.Z() == 170) ++held;
      } else {
        EXPECT_EQ(startHold, 0);
        EXPECT_LT(ship.Y(), s.y) << "free to steer after the hold";
        EXPECT_LE(ship.Y(), 160);
      }
    };
    expectCleanRun(run_game(dir_, o), kLevelStart + 50);
    EXPECT_EQ(held, 50);
  }
}

TEST_F(GameTimelineTest, WithoutTheHoldTheShipKeepsToItsBox) {
  GameRunOptions o = level(4, kLevelStart + 52);
  float after_hold_y = 0;
  o.after_frame[kLevelStart + 49] = [] { EXPECT_FLOAT_EQ(Form1->muz->Position().Y(), 164); };
  o.after_frame[kLevelStart + 50] = [&] { after_hold_y = Form1->muz->Position().Y(); };
  expectCleanRun(run_game(dir_, o), kLevelStart + 52);
  EXPECT_LE(after_hold_y, 160) << "the box holds Y to 160 once the hold is over";
}

// --- levels started straight from the menu

TEST_F(GameTimelineTest, LevelsStartedFromTheMenuPlayWithoutErrors) {
  for (int n = 2; n <= 6; ++n) {
    SCOPED_TRACE("level " + std::to_string(n));
    GameRunOptions o;
    o.script = start_level_script(n);
    // Flying about and firing: probes and shots sweep against whatever is loaded.
    o.script += "60 key down UP\n60 key down SPACE\n80 key up UP\n80 key down LEFT\n";
    o.frames = kLevelStart + 100;
    o.at_end = [n] { EXPECT_EQ(levelNumber, n); };
    GameRun run = run_game(dir_, o);
    EXPECT_EQ(run.ended, "frames");
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
  }
}

// --- the closing fly-away

TEST_F(GameTimelineTest, TheClosingSequenceEndsTheGameOnceTheShipIsPastMinus200) {
  GameRunOptions o = level(6, 200);
  o.script += "19 key down UP\n";
  o.before_frame[20] = [] {
    gameFinished = true;
    Form1->muz->Position().SetPoint(100, 54, 170);
    for (TShotPool* pool : {&shots1, &shots2}) (*pool)[3]->SetVisible(true);
  };
  std::vector<float> x(200, 0), y(200, 0), pitch(200, 0);
  o.after_each = [&](int64_t frame) {
    x[frame] = Form1->muz->Position().X();
    y[frame] = Form1->muz->Position().Y();
    pitch[frame] = Form1->lod->PitchAngle();
    if (frame >= 20) {
      EXPECT_EQ(Form1->informace->Text(), "Diky...konec hry...");
      EXPECT_FALSE(shots1[3]->Visible());
      EXPECT_FLOAT_EQ(shots2[3]->Position().Y(), -1000);
    }
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "halt");
  // 100 - 4k reaches -200 at the 75th frame.
  EXPECT_EQ(run.frames, 20 + 74);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_FLOAT_EQ(x[20], 96);
  EXPECT_FLOAT_EQ(y[20], 54.5f) << "climbing half a unit a frame; Up is not read";
  for (int f = 21; f < 94; ++f) {
    EXPECT_FLOAT_EQ(x[f], x[f - 1] - 4) << "frame " << f;
    EXPECT_FLOAT_EQ(y[f], y[f - 1] + 0.5f) << "frame " << f;
    EXPECT_NEAR(turned(pitch[f - 1], pitch[f]), 2, 1e-3) << "frame " << f;
  }
  EXPECT_FLOAT_EQ(x[93], -196) << "still flying one frame before";
}
