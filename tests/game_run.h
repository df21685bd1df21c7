// Runs the real game in-process on the headless backend: the same form, handlers and frame loop
// as karmund, with a scripted input, a frame limit and hooks before frames and at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct GameRun {
  std::string ended;  // "halt", "frames", "error" (start-up error) or "stalled"
  int status = 0;
  int64_t frames = 0;
  std::vector<std::string> errors;
};

struct GameRunOptions {
  std::string script;      // the runner's input-script syntax
  int64_t frames = 60;     // frame limit
  double dt = 1.0 / 20.0;  // 20 frames per second: timeFactor 1, the game's unit speed
  bool render = false;     // draw offscreen frames (slower)
  // Called at the start of frame N's scene advance (before kadencer), with Form1 alive.
  std::map<int64_t, std::function<void()>> before_frame;
  std::function<void()> at_end;  // the form is still alive here
};

// A fresh working directory with the generated game data (modely/, data/) when it exists,
// under the system's temp folder; removed by the caller (or left for inspection).
std::filesystem::path make_workdir(const std::string& name, bool with_data = true);

// Runs the game with `workdir` as the working directory (restored afterwards).
GameRun run_game(const std::filesystem::path& workdir, const GameRunOptions& options);
