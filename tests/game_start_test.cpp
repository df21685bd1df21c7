// Start-up and the frame clock as the whole program sees them: the flags create sets, frames
// advancing, and an error inside a frame stopping the clock after it is reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/data.h"
#include "game/form/form1.h"
#include "platform/error.h"
#include "tests/game_run.h"

namespace fs = std::filesystem;

TEST(GameStart, CreateSetsTheStartFlagsAndFramesRun) {
  fs::path dir = make_workdir("start", false);
  std::ofstream(dir / "data" / "volno.dtt") << "2\r\n";
  GameRunOptions options;
  options.frames = 8;
  bool checked = false;
  options.at_end = [&] {
    checked = true;
    EXPECT_TRUE(titleScreen);
    EXPECT_TRUE(inMenu);
    EXPECT_TRUE(resetPending);
    EXPECT_FALSE(assetsLoaded);
    EXPECT_EQ(selectedLevel, 1);
    EXPECT_EQ(levelsOpen, 2);
    EXPECT_TRUE(Form1->full->Active()) << "the viewer stays on for the whole run";
    EXPECT_EQ(Form1->full->Width(), 640) << "the stored 800 x 600 is replaced";
    EXPECT_EQ(Form1->full->Height(), 480);
    EXPECT_FLOAT_EQ(timeFactor, 1.0f) << "20 frames per second is the unit";
    EXPECT_FLOAT_EQ(steerStep, 7.0f);
    EXPECT_FLOAT_EQ(scrollStep, 0.5f);
    EXPECT_FLOAT_EQ(shotStep, 10.0f);
  };
  GameRun run = run_game(dir, options);
  EXPECT_TRUE(checked);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_EQ(run.frames, 8);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(run.status, 0);
  fs::remove_all(dir);
}

TEST(GameStart, ErrorInAFrameIsReportedAndStopsTheClock) {
  fs::path dir = make_workdir("frame_error", false);
  GameRunOptions options;
  options.frames = 100;
  int frames_after = 0;
  options.before_frame[3] = [] { throw Exception("boom"); };
  options.before_frame[4] = [&] { ++frames_after; };
  GameRun run = run_game(dir, options);
  EXPECT_EQ(run.ended, "stalled") << "no frame comes after the clock is switched off";
  ASSERT_EQ(run.errors.size(), 1u);
  EXPECT_EQ(run.errors[0], "boom");
  EXPECT_EQ(run.frames, 3);
  EXPECT_EQ(frames_after, 0);
  fs::remove_all(dir);
}
