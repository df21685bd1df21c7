// The in-process game runner of the tests.
#include "tests/game_run.h"

#include <unistd.h>

#include "game/form/form1.h"
#include "game/program.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

fs::path make_workdir(const std::string& name, bool with_data) {
  fs::path dir = fs::temp_directory_path() / ("karmund_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "modely");
#ifdef KARMUND_RUN_DIR
  const fs::path run = KARMUND_RUN_DIR;
  if (with_data && fs::exists(run / "data")) {
    fs::copy(run / "data", dir / "data",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    if (fs::exists(run / "modely"))
      fs::copy(run / "modely", dir / "modely",
               fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
#endif
  return dir;
}

GameRun run_game(const fs::path& workdir, const GameRunOptions& options) {
  platform::headless::Config config;
  config.dt = options.dt;
  config.max_frames = options.frames;
  config.render = options.render;
  config.events = platform::headless::parse_script(options.script);
  const fs::path old = fs::current_path();
  fs::current_path(workdir);
  platform::init();
  platform::headless::configure(config);

  GameRun result;
  result.status = Karmund(
      [&](const char* reason) {
        result.ended = reason;
        result.frames = platform::headless::frame();
        result.errors = platform::reported_errors();
        if (options.at_end) options.at_end();
      },
      [&] {
        if (options.before_frame.empty()) return;
        Form1->GLScene1->OnProgress = [&](TComponent*, double, double) {
          auto hook = options.before_frame.find(platform::headless::frame());
          if (hook != options.before_frame.end()) hook->second();
        };
      });
  fs::current_path(old);
  return result;
}
