// The title and the start menu through the real frame loop: leaving the title, ending from the
// menu, the level buttons and the progress file, the second cursor and the start click.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/data.h"
#include "game/form/form1.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

using namespace gametest;

namespace {

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class GameMenuTest : public GameTest {
 protected:
  GameMenuTest() : GameTest(nullptr) {}
};

}  // namespace

// --- the title

TEST_F(GameMenuTest, EscapeHeldOnTheTitleLeadsToTheMenuAndDoesNotEndTheGame) {
  GameRunOptions o;
  o.frames = 12;
  o.script = "2 key down ESC\n7 key up ESC\n";
  size_t before_title = 0;
  std::vector<std::string> title_sound;
  o.before_frame[2] = [&] { before_title = audio_line_count(); };
  o.after_frame[1] = [] { EXPECT_TRUE(titleScreen) << "no Escape yet"; };
  o.after_frame[2] = [&] {
    title_sound = audio_lines_since(before_title);
    EXPECT_FALSE(titleScreen);
    EXPECT_TRUE(inMenu);
    EXPECT_TRUE(Form1->obrazovka->Visible());
    EXPECT_TRUE(Form1->kur->Visible());
  };
  bool checked = false;
  o.at_end = [&] {
    checked = true;
    EXPECT_TRUE(inMenu);
    EXPECT_FALSE(titleScreen);
    EXPECT_FALSE(resetPending) << "the menu step clears the pending reset";
    EXPECT_TRUE(assetsLoaded);
    EXPECT_EQ(levelNumber, 0);
    EXPECT_EQ(Form1->full->Camera(), Form1->camera2);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(checked);
  EXPECT_EQ(run.ended, "frames") << "Escape held from the title is not a press in the menu";
  EXPECT_EQ(run.frames, 12);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_TRUE(contains(title_sound, "music open data\\menu.mid"));
  EXPECT_TRUE(contains(title_sound, "music play"));
}

TEST_F(GameMenuTest, AFreshEscapePressInTheMenuEndsTheGame) {
  GameRunOptions o;
  o.frames = 30;
  o.script = leave_title_script() + "9 key down ESC\n";
  bool in_menu_before = false;
  o.after_frame[8] = [&] { in_menu_before = inMenu && !titleScreen; };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(in_menu_before);
  EXPECT_EQ(run.ended, "halt");
  EXPECT_EQ(run.frames, 9) << "in the frame of the press";
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameMenuTest, ALeftClickOnTheTitleDoesNothing) {
  GameRunOptions o;
  o.frames = 10;
  o.script = click_script(2, kStartArea) + click_script(4, level_button(1));
  bool checked = false;
  o.at_end = [&] {
    checked = true;
    EXPECT_TRUE(titleScreen);
    EXPECT_TRUE(inMenu);
    EXPECT_TRUE(resetPending);
    EXPECT_FALSE(assetsLoaded) << "no start action ran";
    EXPECT_EQ(levelNumber, 0);
    EXPECT_EQ(Form1->d1->Width(), Form1->d2->Width()) << "the level button was not clicked";
    EXPECT_EQ(Form1->full->Camera(), Form1->camera2);
    EXPECT_EQ(wave_plays(10), 0) << "no click sound";
    for (const std::string& line : audio_lines_since(0))
      EXPECT_EQ(line.rfind("music", 0), std::string::npos) << line;
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(checked);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty()) << run.errors.front();
}

TEST_F(GameMenuTest, TheMenuStillWorksAfterAClickOnTheTitle) {
  GameRunOptions o;
  o.frames = 12;
  o.script =
      click_script(1, kStartArea) + "4 key down ESC\n5 key up ESC\n" + click_script(9, kStartArea);
  bool checked = false;
  o.at_end = [&] {
    checked = true;
    EXPECT_FALSE(inMenu);
    EXPECT_EQ(levelNumber, 1);
    EXPECT_FALSE(resetPending);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(checked);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty()) << run.errors.front();
}

// --- the level buttons

TEST_F(GameMenuTest, LevelButtonsOpenUpToTheRecordedLevel) {
  write_progress(dir_, "3\r\n");
  GameRunOptions o;
  o.frames = 20;
  o.script = leave_title_script() + click_script(5, level_button(2)) +
             click_script(9, level_button(3)) + click_script(13, level_button(4));
  o.after_frame[6] = [] {
    EXPECT_EQ(levelsOpen, 3);
    EXPECT_EQ(selectedLevel, 2);
    EXPECT_EQ(wave_plays(10), 1);
    EXPECT_EQ(Form1->obrazovka->Material().LibMaterialName(), "m9");
  };
  o.after_frame[10] = [] {
    EXPECT_EQ(selectedLevel, 3);
    EXPECT_EQ(wave_plays(10), 2);
    EXPECT_EQ(Form1->obrazovka->Material().LibMaterialName(), "m10");
  };
  o.after_frame[14] = [] {
    EXPECT_EQ(selectedLevel, 3) << "level 4 is not open";
    EXPECT_EQ(wave_plays(10), 2) << "no sound for a closed level";
    EXPECT_FLOAT_EQ(Form1->d4->Width(), 120) << "a closed button does not shrink";
    EXPECT_EQ(Form1->obrazovka->Material().LibMaterialName(), "m10");
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameMenuTest, ProgressFileWithoutANumberOpensOnlyLevelOne) {
  write_progress(dir_, "");
  GameRunOptions o;
  o.frames = 12;
  o.script =
      leave_title_script() + click_script(5, level_button(2)) + click_script(8, level_button(1));
  o.after_frame[6] = [] {
    EXPECT_EQ(levelsOpen, 0);
    EXPECT_EQ(selectedLevel, 1);
    EXPECT_EQ(wave_plays(10), 0);
  };
  o.after_frame[9] = [] {
    EXPECT_EQ(selectedLevel, 1);
    EXPECT_EQ(wave_plays(10), 1) << "level 1 is always open";
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameMenuTest, AClickedButtonDropsTo100AndGrowsBack4PixelsAFrame) {
  GameRunOptions o;
  o.frames = 16;
  o.script = leave_title_script() + click_script(5, level_button(1));
  float at_click = 0;
  std::vector<float> widths;
  o.before_frame[6] = [&] { at_click = Form1->d1->Width(); };
  o.after_each = [&](int64_t frame) {
    if (frame >= 6) widths.push_back(Form1->d1->Width());
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_FLOAT_EQ(at_click, 100);
  const std::vector<float> expected = {104, 108, 112, 116, 120, 120, 120};
  ASSERT_GE(widths.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_FLOAT_EQ(widths[i], expected[i]) << "frame " << 6 + i;
}

TEST_F(GameMenuTest, TheSecondCursorLightsOnlyOverWhatCanBeClicked) {
  write_progress(dir_, "3\r\n");
  struct Case {
    Point at;
    bool lit;
    const char* what;
  };
  const std::vector<Case> cases = {
      {level_button(1), true, "level 1"},
      {level_button(3), true, "level 3 (open)"},
      {level_button(4), false, "level 4"},
      {level_button(6), false, "level 6"},
      {kStartArea, true, "start"},
      {kSettingsArea, true, "settings"},
      {kExitArea, true, "exit"},
      {kNowhere, false, "nowhere"},
      {{160, 127}, false, "level 1's edge"},
      {{252, 300}, false, "the start area's edge"},
      {{100, 160}, false, "between buttons"},
  };
  GameRunOptions o;
  o.frames = 6 + static_cast<int64_t>(cases.size());
  o.script = leave_title_script();
  for (size_t i = 0; i < cases.size(); ++i)
    o.script += std::to_string(6 + i) + " mouse move " + std::to_string(cases[i].at.x) + " " +
                std::to_string(cases[i].at.y) + "\n";
  for (size_t i = 0; i < cases.size(); ++i)
    o.after_frame[6 + static_cast<int64_t>(i)] = [&, i] {
      const Case& c = cases[i];
      EXPECT_EQ(Form1->kur2->Visible(), c.lit) << c.what;
      EXPECT_FLOAT_EQ(Form1->kur->Position().X(), c.at.x);
      EXPECT_FLOAT_EQ(Form1->kur->Position().Y(), c.at.y);
      EXPECT_FLOAT_EQ(Form1->kur2->Position().X(), c.at.x);
      EXPECT_FLOAT_EQ(Form1->kur2->Position().Y(), c.at.y);
      EXPECT_EQ(mouseX, c.at.x);
      EXPECT_EQ(mouseY, c.at.y);
    };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameMenuTest, TheSettingsButtonShowsTheSettingsPicture) {
  GameRunOptions o;
  o.frames = 8;
  o.script = leave_title_script() + click_script(5, kSettingsArea);
  o.after_frame[6] = [] {
    EXPECT_EQ(Form1->obrazovka->Material().LibMaterialName(), "m14");
    EXPECT_EQ(wave_plays(10), 1);
    EXPECT_TRUE(inMenu);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameMenuTest, TheExitButtonEndsTheGame) {
  GameRunOptions o;
  o.frames = 30;
  o.script = leave_title_script() + click_script(5, kExitArea);
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "halt");
  EXPECT_EQ(run.frames, 6) << "the click comes before the frame's step";
  EXPECT_TRUE(run.errors.empty());
}

// --- the start click and the progress file

TEST_F(GameMenuTest, StartClickSetsUpTheSelectedLevelWithTheGameMusic) {
  write_progress(dir_, "3\r\nsecond line\r\n");
  GameRunOptions o;
  o.frames = kLevelStart + 2;
  o.script = start_level_script(3);
  size_t before_click = 0;
  o.after_frame[kLevelStart - 1] = [&] { before_click = audio_line_count(); };
  o.after_frame[kLevelStart] = [&] {
    EXPECT_FALSE(inMenu);
    EXPECT_FALSE(resetPending);
    EXPECT_EQ(levelNumber, 3);
    EXPECT_EQ(levelsOpen, 3);
    EXPECT_EQ(startHold, 49) << "50 at the click, one frame held";
    EXPECT_FLOAT_EQ(Form1->super->Position().X(), -100);
    EXPECT_TRUE(Form1->sky->Visible());
    EXPECT_FALSE(Form1->menustart->Visible());
    EXPECT_TRUE(Form1->menuvrch->Visible());
    EXPECT_EQ(Form1->full->Camera(), Form1->camera);
    const std::vector<std::string> lines = audio_lines_since(before_click);
    EXPECT_TRUE(contains(lines, "music stop"));
    EXPECT_TRUE(contains(lines, "music open data\\hra.mp3"));
    EXPECT_FALSE(contains(lines, "music play")) << "the notification starts it";
  };
  o.after_frame[kLevelStart + 1] = [&] {
    EXPECT_TRUE(contains(audio_lines_since(before_click), "music play"));
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(read_progress(dir_), "3\r\nsecond line\r\n") << "level 3 was already open";
}

TEST_F(GameMenuTest, EnteringLevelOneWithAnOpenLevelLeavesTheFileAlone) {
  write_progress(dir_, "3\r\n");
  GameRunOptions o;
  o.frames = kLevelStart;
  o.script = start_level_script(1);
  o.at_end = [] {
    EXPECT_EQ(levelNumber, 1);
    EXPECT_EQ(levelsOpen, 3);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(read_progress(dir_), "3\r\n");
}

TEST_F(GameMenuTest, EnteringLevelOneWithAnEmptyFileRecordsIt) {
  write_progress(dir_, "");
  GameRunOptions o;
  o.frames = kLevelStart;
  o.script = start_level_script(1);
  o.at_end = [] {
    EXPECT_EQ(levelNumber, 1);
    EXPECT_EQ(levelsOpen, 1);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(read_progress(dir_), "1\r\n");
}

TEST_F(GameMenuTest, EnteringLevelFourWithSixOpenLeavesTheFileAlone) {
  write_progress(dir_, "6\r\n");
  GameRunOptions o;
  o.frames = kLevelStart;
  o.script = start_level_script(4);
  o.at_end = [] {
    EXPECT_EQ(levelNumber, 4);
    EXPECT_EQ(levelsOpen, 6);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(read_progress(dir_), "6\r\n");
}
