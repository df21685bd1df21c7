// Play through the real frame loop from the menu into a level, with hooks before and after
// given frames: what the ship, weapon and collision tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "game/form/form1.h"
#include "tests/game_run.h"

namespace gametest {

using Obj = TGLBaseSceneObject;

// A game test with a working directory of its own, named after the test, holding the game data
// and (unless the test says otherwise) a progress file with every level open.
class GameTest : public ::testing::Test {
 protected:
  explicit GameTest(const char* progress = "6\r\n") : progress_(progress) {}
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = make_workdir(std::string(info->test_suite_name()) + "_" + info->name());
    if (progress_) write_progress(dir_, progress_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The run went its whole length without a reported error.
  static void expectCleanRun(const GameRun& run, int64_t frames) {
    EXPECT_EQ(run.ended, "frames");
    EXPECT_EQ(run.frames, frames);
    EXPECT_TRUE(run.errors.empty()) << (run.errors.empty() ? "" : run.errors.front());
  }

  std::filesystem::path dir_;

 private:
  const char* progress_;
};

// Escape leaves the title at frame 2, the level's button is clicked at 5 and the start area at
// kPlay, which is the level's first play frame; the start hold keeps the ship at its start place
// for 50 frames, so kFree is the first frame the ship can be steered.
constexpr int64_t kPlay = 8;
constexpr int64_t kFree = kPlay + 50;

inline TForm1& F() { return *Form1; }
inline float X(const Obj& o) { return o.Position().X(); }
inline float Y(const Obj& o) { return o.Position().Y(); }
inline float Z(const Obj& o) { return o.Position().Z(); }

// One game run from the menu into a level, with hooks around frames.
class Play {
 public:
  Play(const std::string& name, int level) : dir_(make_workdir(name)) {
    std::ofstream(dir_ / "data" / "volno.dtt") << level << "\r\n";
    const int buttonY = 130 + 60 * (level - 1);
    script_ = "2 key down ESC\n3 key up ESC\n4 mouse move 100 " + std::to_string(buttonY) +
              "\n5 mouse down left\n6 mouse up left\n7 mouse move 400 280\n" +
              std::to_string(kPlay) + " mouse down left\n" + std::to_string(kPlay + 1) +
              " mouse up left\n";
  }
  ~Play() { std::filesystem::remove_all(dir_); }

  // `fn` runs before frame `frame`'s game step (after that frame's input has arrived).
  void before(int64_t frame, std::function<void()> fn) { chain(before_[frame], std::move(fn)); }
  // `fn` sees what frame `frame` left behind (it runs ahead of the next frame's `before`).
  void after(int64_t frame, std::function<void()> fn) { chain(after_[frame], std::move(fn)); }
  void beforeEach(int64_t from, int64_t to, const std::function<void(int64_t)>& fn) {
    for (int64_t f = from; f <= to; ++f) before(f, [fn, f] { fn(f); });
  }
  void afterEach(int64_t from, int64_t to, const std::function<void(int64_t)>& fn) {
    for (int64_t f = from; f <= to; ++f) after(f, [fn, f] { fn(f); });
  }
  void setDt(double dt) { options_.dt = dt; }
  // The key is reported down in the frames from..to.
  void hold(const std::string& key, int64_t from, int64_t to) {
    script_ += std::to_string(from) + " key down " + key + "\n" + std::to_string(to + 1) +
               " key up " + key + "\n";
  }

  // Runs the game through frame `last` (one more frame lets `after(last)` run).
  GameRun run(int64_t last) {
    options_.script = script_;
    options_.frames = last + 1;
    for (int64_t f = 1; f <= last + 1; ++f) {
      std::function<void()> a = after_[f - 1], b = before_[f];
      if (a || b)
        options_.before_frame[f] = [a, b] {
          if (a) a();
          if (b) b();
        };
    }
    GameRun result = run_game(dir_, options_);
    EXPECT_TRUE(result.errors.empty()) << result.errors.front();
    EXPECT_EQ(result.ended, "frames");
    return result;
  }

 private:
  static void chain(std::function<void()>& hook, std::function<void()> fn) {
    hook = [earlier = hook, fn = std::move(fn)] {
      if (earlier) earlier();
      fn();
    };
  }

  std::filesystem::path dir_;
  std::string script_;
  GameRunOptions options_;
  std::map<int64_t, std::function<void()>> before_, after_;
};

}  // namespace gametest
