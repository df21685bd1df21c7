// Input during play through the real frame loop: the pause, Escape back to the menu, and the
// menu's clicks, which act in every mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/proxy_object.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

using namespace gametest;

namespace {

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string key(int64_t frame, const char* how, const char* name) {
  return std::to_string(frame) + " key " + how + " " + name + "\n";
}

// What a pause must keep still.
struct Still {
  float wallsX, shipX, shipY, pitch, energy, fireTimer;
  int32_t hold;
  std::vector<float> shotX;
  std::vector<int32_t> shotAge;
  std::vector<bool> shotShown;

  static Still now() {
    Still s{Form1->steny1->Position().X(),
            Form1->muz->Position().X(),
            Form1->muz->Position().Y(),
            Form1->lod->PitchAngle(),
            Form1->energie->Width(),
            fireTimer1,
            startHold,
            {},
            {},
            {}};
    for (int slot = 1; slot <= 20; ++slot) {
      s.shotX.push_back(shots1[slot]->Position().X());
      s.shotAge.push_back(shots1[slot]->Tag());
      s.shotShown.push_back(shots1[slot]->Visible());
    }
    return s;
  }
};

void expectSame(const Still& a, const Still& b, int64_t frame) {
  EXPECT_EQ(a.wallsX, b.wallsX) << "frame " << frame;
  EXPECT_EQ(a.shipX, b.shipX) << "frame " << frame;
  EXPECT_EQ(a.shipY, b.shipY) << "frame " << frame;
  EXPECT_EQ(a.pitch, b.pitch) << "frame " << frame;
  EXPECT_EQ(a.energy, b.energy) << "frame " << frame;
  EXPECT_EQ(a.fireTimer, b.fireTimer) << "frame " << frame;
  EXPECT_EQ(a.hold, b.hold) << "frame " << frame;
  EXPECT_EQ(a.shotX, b.shotX) << "frame " << frame;
  EXPECT_EQ(a.shotAge, b.shotAge) << "frame " << frame;
  EXPECT_EQ(a.shotShown, b.shotShown) << "frame " << frame;
}

using GameInputTest = GameTest;

}  // namespace

// --- the pause

TEST_F(GameInputTest, PauseFreezesTheLevelTheShipAndTheShotsUntilAnotherKey) {
  GameRunOptions o;
  o.frames = 34;
  o.script = start_level_script(1) + key(12, "down", "SPACE") + key(20, "down", "P") +
             key(21, "up", "P") + key(23, "down", "ESC") + key(25, "up", "ESC") +
             key(30, "down", "A");
  Still at_pause;
  bool firing = false;
  o.after_frame[20] = [&] {
    EXPECT_TRUE(paused);
    at_pause = Still::now();
    firing = std::count(at_pause.shotShown.begin(), at_pause.shotShown.end(), true) > 0;
  };
  o.after_each = [&](int64_t frame) {
    if (frame < 21 || frame > 29) return;
    EXPECT_TRUE(paused) << "frame " << frame << ": Escape does not end the pause";
    EXPECT_FALSE(inMenu) << "frame " << frame << ": nor go to the menu";
    EXPECT_EQ(Form1->full->Camera(), Form1->camera);
    expectSame(at_pause, Still::now(), frame);
  };
  float walls_before = 0;
  o.after_frame[29] = [&] { walls_before = Form1->steny1->Position().X(); };
  o.after_frame[30] = [&] {
    EXPECT_FALSE(paused) << "A ends the pause";
    EXPECT_FALSE(inMenu);
    EXPECT_FLOAT_EQ(Form1->steny1->Position().X(), walls_before + 0.5f) << "moving again";
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
  EXPECT_TRUE(firing) << "shots were in flight when the game paused";
}

TEST_F(GameInputTest, PInTheMenuDoesNotPause) {
  GameRunOptions o;
  o.frames = 30;
  o.script = leave_title_script() + key(6, "down", "P") + key(8, "up", "P") +
             "7 mouse move 400 300\n" + key(10, "down", "ESC");
  o.after_frame[7] = [] {
    EXPECT_FALSE(paused);
    EXPECT_TRUE(Form1->kur2->Visible()) << "the menu goes on";
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "halt") << "Escape in the menu still ends the game";
  EXPECT_EQ(run.frames, 10);
}

// --- Escape during play

TEST_F(GameInputTest, EscapeInPlayGoesToTheMenuAndAFreshPressThereEndsTheGame) {
  GameRunOptions o;
  o.frames = 40;
  o.script = start_level_script(1) + key(12, "down", "SPACE") + key(15, "down", "ESC") +
             key(19, "up", "ESC") + key(19, "up", "SPACE") + key(24, "down", "ESC");
  size_t lines_before = 0;
  o.after_frame[14] = [&] {
    lines_before = audio_line_count();
    EXPECT_TRUE(Form1->list->Items(8).Playing()) << "level 1's wind";
    EXPECT_TRUE(Form1->list->Items(1).Playing()) << "the laser";
  };
  o.after_frame[15] = [&] {
    EXPECT_TRUE(inMenu);
    EXPECT_EQ(Form1->full->Camera(), Form1->camera2);
    for (int wave = 1; wave <= 10; ++wave)
      EXPECT_FALSE(Form1->list->Items(wave).Playing()) << "wave " << wave;
    const std::vector<std::string> lines = audio_lines_since(lines_before);
    EXPECT_TRUE(contains(lines, "music open data\\menu.mid"));
    EXPECT_FALSE(contains(lines, "music play")) << "the player's notification starts it";
    EXPECT_FALSE(Form1->sky->Visible());
    EXPECT_TRUE(Form1->menustart->Visible());
    EXPECT_FALSE(Form1->menuvrch->Visible());
  };
  int menu_frames = 0;
  o.after_each = [&](int64_t frame) {
    if (frame >= 15 && inMenu) ++menu_frames;
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(menu_frames, 23 - 15 + 1) << "Escape held from play is not the menu's press";
  EXPECT_EQ(run.ended, "halt");
  EXPECT_EQ(run.frames, 24);
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameInputTest, EscapeTappedInPlayLeavesTheGameInTheMenu) {
  GameRunOptions o;
  o.frames = 24;
  o.script = start_level_script(2) + key(15, "down", "ESC") + key(15, "up", "ESC");
  o.at_end = [] {
    EXPECT_TRUE(inMenu);
    EXPECT_EQ(levelNumber, 2) << "the level stays loaded";
    EXPECT_EQ(Form1->full->Camera(), Form1->camera2);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
}

// --- the menu's clicks during play

TEST_F(GameInputTest, AStartClickDuringPlayStartsTheSelectedLevelAgain) {
  GameRunOptions o;
  o.frames = 40;
  o.script = start_level_script(1) + click_script(24, kStartArea) +
             click_script(29, level_button(2)) + click_script(34, kStartArea);
  o.before_frame[20] = [] {
    Form1->steny1->Position().SetX(300);
    Form1->muz->Position().SetX(-50);
  };
  o.after_frame[25] = [] {
    EXPECT_EQ(levelNumber, 1);
    EXPECT_FALSE(inMenu);
    EXPECT_FLOAT_EQ(Form1->steny1->Position().X(), -399.5f) << "from the start again";
    EXPECT_EQ(startHold, 49);
    EXPECT_FLOAT_EQ(Form1->muz->Position().X(), 100);
  };
  o.after_frame[30] = [] {
    EXPECT_EQ(selectedLevel, 2) << "a level button acts during play too";
    EXPECT_EQ(levelNumber, 1);
    EXPECT_EQ(Form1->obrazovka->Material().LibMaterialName(), "m9");
  };
  o.after_frame[35] = [] {
    EXPECT_EQ(levelNumber, 2);
    EXPECT_FALSE(inMenu);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameInputTest, AnExitClickDuringPlayEndsTheGame) {
  GameRunOptions o;
  o.frames = 40;
  o.script = start_level_script(1) + click_script(20, kExitArea);
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "halt");
  EXPECT_EQ(run.frames, 21);
  EXPECT_TRUE(run.errors.empty());
}
