// The in-process game runner of the tests.
#include "tests/game_run.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

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
        if (!options.before_frame.empty() || options.before_each)
          Form1->GLScene1->OnProgress = [&](TComponent*, double, double) {
            const int64_t frame = platform::headless::frame();
            if (options.before_each) options.before_each(frame);
            auto hook = options.before_frame.find(frame);
            if (hook != options.before_frame.end()) hook->second();
          };
        if (options.after_frame.empty() && !options.after_each) return;
        // The game's own handler first; a frame that halts never comes back here.
        auto game = Form1->GLCadencer1->OnProgress;
        Form1->GLCadencer1->OnProgress = [&, game](TComponent* sender, double dt, double time) {
          game(sender, dt, time);
          const int64_t frame = platform::headless::frame();
          auto hook = options.after_frame.find(frame);
          if (hook != options.after_frame.end()) hook->second();
          if (options.after_each) options.after_each(frame);
        };
      });
  fs::current_path(old);
  return result;
}

namespace gametest {

Point level_button(int level) {
  static constexpr int kMiddles[6] = {127, 185, 248, 308, 368, 428};
  return {100, kMiddles[level - 1]};
}

std::string leave_title_script() {
  return std::to_string(kLeaveTitle) + " key down ESC\n" + std::to_string(kLeaveTitle + 2) +
         " key up ESC\n";
}

std::string click_script(int64_t frame, Point at) {
  const std::string f = std::to_string(frame), next = std::to_string(frame + 1);
  return f + " mouse move " + std::to_string(at.x) + " " + std::to_string(at.y) + "\n" + next +
         " mouse down left\n" + next + " mouse up left\n";
}

std::string start_level_script(int level) {
  return leave_title_script() + click_script(kLevelStart - 3, level_button(level)) +
         click_script(kLevelStart - 1, kStartArea);
}

void write_progress(const fs::path& workdir, const std::string& content) {
  std::ofstream(workdir / "data" / "volno.dtt", std::ios::binary) << content;
}

std::string read_progress(const fs::path& workdir) {
  std::ifstream in(workdir / "data" / "volno.dtt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int wave_plays(int wave) {
  const std::string chunk = " chunk " + std::to_string(wave) + " ";
  int count = 0;
  for (const std::string& line : platform::headless::audio_log())
    if (line.rfind("play channel ", 0) == 0 && line.find(chunk) != std::string::npos) ++count;
  return count;
}

std::vector<std::string> audio_lines_since(size_t from) {
  const auto& log = platform::headless::audio_log();
  if (from >= log.size()) return {};
  return {log.begin() + static_cast<std::ptrdiff_t>(from), log.end()};
}

size_t audio_line_count() { return platform::headless::audio_log().size(); }

}  // namespace gametest
