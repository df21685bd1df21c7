// A whole game, scripted: from the title through all six levels to the fly-away, firing all the
// way, with a pilot that keeps the ship alive and aims it at the cannon and the monsters.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/data.h"
#include "game/form/form1.h"
#include "tests/game_run.h"

namespace fs = std::filesystem;

namespace {

TForm1& F() { return *Form1; }

// What the pilot saw of one level.
struct LevelLog {
  int64_t firstFrame = 0;
  int32_t cannonHits = 0;   // ob1's hits by real shots before the pilot stepped in
  int32_t monsterHits = 0;  // trup's hits by real shots before the pilot stepped in
};

// The test's own hand on the game: the ship cannot be hurt and never runs dry, it flies at the
// height of what it has to shoot, and a fight that real shots have started but would take too
// long is finished by raising the hit counter to its threshold.
class Pilot {
 public:
  std::array<LevelLog, 7> levels{};

  void operator()(int64_t frame) {
    if (inMenu || titleScreen || levelNumber < 1) return;
    shipHit = false;
    lives = 3;
    F().palivo->SetWidth(150);
    F().energie->SetWidth(150);
    LevelLog& log = levels[levelNumber];
    if (log.firstFrame == 0) {
      log.firstFrame = frame;
      fightStart_ = 0;
      weaponLevel = 5;  // the strongest guns from the start
      weaponChanged = true;
    }
    const float walls = F().steny1->Position().X();
    TGLBaseSceneObject* target = nullptr;
    int32_t needed = 0;
    if (levelNumber == 1 && F().ob1->Visible() && walls > 1550) {
      target = F().ob1;
      needed = 80;
    } else if ((levelNumber == 1 && walls >= 2250) || (levelNumber == 2 && walls >= 2100) ||
               (levelNumber == 6 && walls > 2000)) {
      target = F().trup;
      needed = levelNumber == 1 ? 501 : levelNumber == 2 ? 1001 : 600;
    }
    if (!target || !target->Visible()) {
      fightStart_ = 0;
      return;
    }
    steerTowards(target->WorldPosition().Y);
    if (fightStart_ == 0) fightStart_ = frame;
    int32_t& hits = target == F().ob1 ? log.cannonHits : log.monsterHits;
    if (target->Tag() >= needed) return;
    hits = target->Tag();
    // Real shots first; after a while the counter is raised, once shots have landed.
    if (frame - fightStart_ > kFightFrames && hits > 0) target->SetTag(needed);
  }

 private:
  static constexpr int64_t kFightFrames = 150;

  // At most one steering step a frame, as the keys would move it.
  static void steerTowards(float y) {
    TGLCoordinates& ship = F().muz->Position();
    const float step = std::min(steerStep, std::abs(y - ship.Y()));
    ship.SetY(ship.Y() + (y > ship.Y() ? step : -step));
  }

  int64_t fightStart_ = 0;
};

}  // namespace

TEST(WholeGame, EveryLevelInTurnThenTheFlyAway) {
  fs::path dir = make_workdir("whole_game", true);
  std::ofstream(dir / "data" / "volno.dtt", std::ios::binary) << "1\r\n";
  GameRunOptions options;
  // Title, menu, level 1 (the only one open), and the fire key held from then on.
  options.script =
      "1 key down ESC\n2 key up ESC\n4 mouse move 400 280\n5 mouse down left\n"
      "6 mouse up left\n10 key down SPACE\n";
  options.dt = 0.05;  // the unit speed: a sinking monster outpaces its own chase only below
  // about twice it
  options.frames = 60000;
  Pilot pilot;
  for (int64_t f = 1; f <= options.frames; ++f) options.before_frame[f] = [&pilot, f] { pilot(f); };
  bool finished = false;
  int32_t level = 0;
  options.at_end = [&] {
    finished = gameFinished;
    level = levelNumber;
  };
  GameRun run = run_game(dir, options);

  EXPECT_EQ(run.ended, "halt") << "the fly-away ends the program";
  EXPECT_TRUE(run.errors.empty()) << (run.errors.empty() ? "" : run.errors[0]);
  EXPECT_TRUE(finished);
  EXPECT_EQ(level, 6);
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE(n);
    EXPECT_GT(pilot.levels[n].firstFrame, 0) << "every level is played";
    if (n > 1) {
      EXPECT_GT(pilot.levels[n].firstFrame, pilot.levels[n - 1].firstFrame) << "in order";
    }
  }
  EXPECT_GT(pilot.levels[1].cannonHits, 0) << "real shots hit the cannon";
  for (int n : {1, 2, 6}) {
    EXPECT_GT(pilot.levels[n].monsterHits, 0) << "real shots hit monster " << n;
  }
  std::ifstream progress(dir / "data" / "volno.dtt", std::ios::binary);
  std::stringstream text;
  text << progress.rdbuf();
  EXPECT_EQ(text.str(), "6\r\n") << "every level unlocked";
  fs::remove_all(dir);
}
