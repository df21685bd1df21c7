// Runs the real game in-process on the headless backend: the same form, handlers and frame loop
// as karmund, with a scripted input, a frame limit and hooks around frames and at the end.
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
  // Called at the start of frame N's scene advance (before kadencer), with Form1 alive; the
  // script's events of frame N have been delivered by then.
  std::map<int64_t, std::function<void()>> before_frame;
  // Called once kadencer of frame N has returned (not in a frame that ended the program).
  std::map<int64_t, std::function<void()>> after_frame;
  // The same around every frame, with the frame's number; before_each runs before before_frame,
  // after_each after after_frame.
  std::function<void(int64_t frame)> before_each;
  std::function<void(int64_t frame)> after_each;
  std::function<void()> at_end;  // the form is still alive here
};

// A fresh working directory with the generated game data (modely/, data/) when it exists,
// under the system's temp folder; removed by the caller (or left for inspection).
std::filesystem::path make_workdir(const std::string& name, bool with_data = true);

// Runs the game with `workdir` as the working directory (restored afterwards).
GameRun run_game(const std::filesystem::path& workdir, const GameRunOptions& options);

// What the game tests share: the usual way from the title into a level, the menu's places, the
// progress file and the sound the game asked for.
namespace gametest {

// Escape goes down at this frame, where the title step leaves the title, and up two frames
// later; the menu shows from the next frame on.
constexpr int64_t kLeaveTitle = 2;
// With start_level_script, the level's button is clicked at frame 6 and the start area at this
// frame, the level's first play frame.
constexpr int64_t kLevelStart = 8;

struct Point {
  int x, y;
};
// Inside the menu's active areas (viewer pixels).
Point level_button(int level);  // the middle of level 1..6's button
constexpr Point kStartArea = {400, 300};
constexpr Point kSettingsArea = {300, 450};
constexpr Point kExitArea = {510, 450};
constexpr Point kNowhere = {200, 60};

std::string leave_title_script();
// leave_title_script, then level `level`'s button and the start area.
std::string start_level_script(int level);
// "F mouse move X Y", then a left click at frame F + 1.
std::string click_script(int64_t frame, Point at);

void write_progress(const std::filesystem::path& workdir, const std::string& content);
std::string read_progress(const std::filesystem::path& workdir);

// Times wave `wave` of the form's wave list was started so far (the list loads its clips in
// order, so wave i is the backend's clip i).
int wave_plays(int wave);
// The audio backend's log lines from line `from` on.
std::vector<std::string> audio_lines_since(size_t from);
size_t audio_line_count();

}  // namespace gametest
