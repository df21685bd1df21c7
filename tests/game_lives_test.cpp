// Lives through the real frame loop: the hit recovery, the hearts, the extra life at 100 %,
// the restart with "SORRY..." once all are lost, and the last-life warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/proxy_object.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "game/kolize.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

using namespace gametest;

namespace {

struct Hearts {
  bool first, second, third;
};

void expectHearts(const Hearts& want, const std::string& when) {
  EXPECT_EQ(Form1->srdce1->Visible(), want.first) << when;
  EXPECT_EQ(Form1->srdce2->Visible(), want.second) << when;
  EXPECT_EQ(Form1->srdce3->Visible(), want.third) << when;
}

class GameLivesTest : public GameTest {
 protected:
  // Level 1 from the menu; the ship waits at its start place, where nothing touches it.
  GameRunOptions level1(int64_t frames) {
    GameRunOptions o;
    o.script = start_level_script(1);
    o.frames = frames;
    return o;
  }
};

}  // namespace

TEST_F(GameLivesTest, AHitCostsALifeOnlyOnceTheShipHasRecovered) {
  GameRunOptions o = level1(20);
  int plays = 0;
  o.before_frame[12] = [&] {
    plays = wave_plays(6);
    hitRecovery = 120;
    shipHit = true;
    weaponLevel = 3;
  };
  o.after_frame[12] = [&] {
    EXPECT_EQ(lives, 2);
    EXPECT_FLOAT_EQ(hitRecovery, 1);
    EXPECT_EQ(wave_plays(6), plays + 1) << "a life lost, lives left";
    EXPECT_EQ(weaponLevel, 1) << "re-armed with the basic gun in the same frame";
    EXPECT_FALSE(weaponChanged);
    EXPECT_FALSE(shipHit) << "consumed";
    EXPECT_FALSE(Form1->raketa_hori->Disabled()) << "the ship burns while hit";
  };
  o.before_frame[13] = [] {
    shipHit = true;
    weaponLevel = 3;
  };
  o.after_frame[13] = [&] {
    EXPECT_EQ(lives, 2) << "still recovering";
    EXPECT_FLOAT_EQ(hitRecovery, 6);
    EXPECT_EQ(weaponLevel, 1) << "every hit costs the guns";
    EXPECT_EQ(wave_plays(6), plays + 1);
  };
  o.after_frame[14] = [] {
    EXPECT_TRUE(Form1->raketa_hori->Disabled()) << "no hit, no fire";
    EXPECT_FLOAT_EQ(hitRecovery, 11);
  };
  o.before_frame[15] = [] {
    hitRecovery = 110;
    shipHit = true;
  };
  o.after_frame[15] = [] {
    EXPECT_EQ(lives, 2) << "115 is not recovered";
    EXPECT_FLOAT_EQ(hitRecovery, 115);
  };
  o.before_frame[16] = [] {
    hitRecovery = 115;
    shipHit = true;
  };
  o.after_frame[16] = [&] {
    EXPECT_EQ(lives, 1) << "recovery reaches 120 before the hit counts";
    EXPECT_FLOAT_EQ(hitRecovery, 1);
    EXPECT_EQ(wave_plays(6), plays + 2);
  };
  o.before_frame[17] = [] {
    hitRecovery = 120;
    shipHit = true;
  };
  o.after_frame[17] = [&] {
    EXPECT_EQ(lives, 0);
    EXPECT_EQ(wave_plays(6), plays + 3) << "one sound: the last-life warning";
    expectHearts({false, false, true}, "the hearts follow in the next frame");
    EXPECT_TRUE(Form1->bonus->Visible()) << "the bonus comes into play";
  };
  o.after_frame[18] = [] { expectHearts({false, false, false}, "on the last life"); };
  expectCleanRun(run_game(dir_, o), 20);
}

TEST_F(GameLivesTest, HeartsShowTheLivesLeft) {
  GameRunOptions o = level1(16);
  o.after_frame[11] = [] { expectHearts({true, true, true}, "3 lives"); };
  o.before_frame[12] = [] { lives = 2; };
  o.after_frame[12] = [] { expectHearts({false, true, true}, "2 lives"); };
  o.before_frame[13] = [] { lives = 1; };
  o.after_frame[13] = [] { expectHearts({false, false, true}, "1 life"); };
  o.before_frame[14] = [] { lives = 0; };
  o.after_frame[14] = [] { expectHearts({false, false, false}, "0 lives"); };
  o.before_frame[15] = [] {
    lives = 3;
    hitPercent = 40;
  };
  o.after_frame[15] = [] {
    expectHearts({true, true, true}, "3 lives again");
    EXPECT_EQ(hitPercent, 0);
    EXPECT_EQ(Form1->zi->Text(), "0%");
  };
  expectCleanRun(run_game(dir_, o), 16);
}

TEST_F(GameLivesTest, TheHundredthPercentGivesALifeAndTheCounterStartsAgain) {
  GameRunOptions o = level1(16);
  o.before_frame[11] = [] {
    lives = 2;
    hitPercent = 40;
    onEnemyHit(shots1[1], 1);
    EXPECT_EQ(hitPercent, 45);
    EXPECT_EQ(Form1->zi->Text(), "45%");
  };
  o.after_frame[11] = [] {
    EXPECT_EQ(lives, 2);
    EXPECT_EQ(Form1->zi->Text(), "45%") << "kept while fewer than 3 lives";
  };
  o.before_frame[12] = [] {
    hitPercent = 95;
    onEnemyHit(shots1[1], 1);
    EXPECT_EQ(lives, 3);
    EXPECT_EQ(hitPercent, 0);
  };
  o.after_frame[12] = [] {
    EXPECT_EQ(lives, 3);
    EXPECT_EQ(hitPercent, 0);
    EXPECT_EQ(Form1->zi->Text(), "0%");
    expectHearts({true, true, true}, "the extra life");
  };
  o.before_frame[13] = [] { onEnemyHit(shots1[1], 1); };
  o.after_frame[13] = [] {
    EXPECT_EQ(hitPercent, 0) << "no counting with 3 lives";
    EXPECT_EQ(Form1->zi->Text(), "0%");
  };
  expectCleanRun(run_game(dir_, o), 16);
}

TEST_F(GameLivesTest, LosingAllLivesRestartsTheLevelWithSorry) {
  GameRunOptions o = level1(64);
  int plays = 0;
  o.before_frame[15] = [] {
    Form1->steny1->Position().SetX(300);
    Form1->max->SetVisible(true);
  };
  o.before_frame[18] = [] { lives = 0; };
  o.before_frame[20] = [&] {
    plays = wave_plays(6);
    hitRecovery = 120;
    shipHit = true;
  };
  o.after_frame[20] = [&] {
    EXPECT_EQ(lives, -1);
    EXPECT_EQ(wave_plays(6), plays) << "no life sound for the last life";
    EXPECT_TRUE(Form1->max->Visible()) << "nothing in level 1 hides the bar";
    EXPECT_EQ(levelNumber, 1);
  };
  o.after_frame[21] = [] {
    EXPECT_EQ(lives, 3);
    EXPECT_EQ(levelNumber, 1);
    EXPECT_FLOAT_EQ(Form1->steny1->Position().X(), -400) << "the level from its start";
    EXPECT_EQ(startHold, 49);
    EXPECT_FLOAT_EQ(Form1->muz->Position().X(), 100);
    EXPECT_FLOAT_EQ(Form1->muz->Position().Y(), 54);
    EXPECT_FALSE(Form1->max->Visible()) << "resetGame hides the bar";
    EXPECT_FLOAT_EQ(sorryTimer, 78);
  };
  o.after_frame[22] = [] { expectHearts({true, true, true}, "after the restart"); };
  std::vector<std::string> message(70);
  o.after_each = [&](int64_t frame) {
    if (frame < 70) message[frame] = Form1->informace->Text();
  };
  expectCleanRun(run_game(dir_, o), 64);
  EXPECT_EQ(read_progress(dir_), "6\r\n");
  EXPECT_NE(message[20], "SORRY...");
  // 80 falls 2 a frame; the text goes once it is below 3 (at 2, 39 frames later).
  for (int f = 21; f <= 59; ++f) EXPECT_EQ(message[f], "SORRY...") << "frame " << f;
  for (int f = 60; f <= 64; ++f) EXPECT_EQ(message[f], "") << "frame " << f;
}

TEST_F(GameLivesTest, TheLastLifeWarningSoundsEvery31Frames) {
  GameRunOptions o = level1(100);
  // No hit costs the last life while the warning is counted.
  o.before_each = [](int64_t) { hitRecovery = 0; };
  o.before_frame[12] = [] { lives = 0; };
  std::vector<int64_t> sounded;
  std::vector<bool> warning(110, false);
  int plays = 0;
  o.after_each = [&](int64_t frame) {
    const int now = wave_plays(6);
    if (frame >= 12 && now > plays) sounded.push_back(frame);
    plays = now;
    warning[frame] = Form1->havarie->Visible();
    if (frame >= 12) {
      EXPECT_EQ(lives, 0) << "frame " << frame;
    }
  };
  expectCleanRun(run_game(dir_, o), 100);
  EXPECT_EQ(sounded, (std::vector<int64_t>{12, 43, 74}));
  // The blink phase grows 4 a frame and starts over past 20: shown while it is in 1..10.
  EXPECT_TRUE(warning[12]);   // 4
  EXPECT_TRUE(warning[13]);   // 8
  EXPECT_FALSE(warning[14]);  // 12
  EXPECT_FALSE(warning[16]);  // 20
  EXPECT_FALSE(warning[17]);  // 24, then 1
  EXPECT_TRUE(warning[18]);   // 5
  EXPECT_FALSE(warning[11]) << "not before the last life";
}
