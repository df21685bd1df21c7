// Controls of the headless backend: the virtual clock, the scripted input and the run's limits.
// Only the headless runner and the tests include this.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::headless {

struct ScriptEvent {
  enum Kind { KeyDown, KeyUp, MouseMove, MouseDown, MouseUp, Wheel };
  int64_t frame = 0;  // delivered before this frame's progress step (frames count from 1)
  Kind kind = KeyDown;
  int a = 0;  // key code, mouse button (0 left, 1 right), x, or wheel delta
  int b = 0;  // y
};

// Parses the input script (one event a line, '#' starts a comment). Throws Exception naming
// the line ("line 3: ...") on a malformed line.
std::vector<ScriptEvent> parse_script(const std::string& text);

struct Config {
  double dt = 1.0 / 60.0;   // virtual seconds per frame
  int64_t max_frames = -1;  // stop after this many frames (-1: until the game ends)
  std::vector<ScriptEvent> events;
  bool render = true;  // create an offscreen GL context (OSMesa)
  // Runs after each finished frame, when read_frame has it (the runner's screenshots).
  std::function<void()> frame_shown;
};
// Resets the whole backend (clock, queues, key state, window, errors, sound and its capture)
// and applies `config`.
void configure(const Config& config);
int64_t frame();  // frames paced so far

// When the run stops without a game end: Halt{0, "frames"} after max_frames, and
// Halt{0, "stalled"} when nothing is pending and nothing ever will be (the frame clock stopped).

// What the audio backend was asked to do, for tests: one line per call ("play 3 loop", ...).
const std::vector<std::string>& audio_log();

// From now on the run's sound goes through the real mixer and SDL's disk audio driver into
// `file`: raw signed 16-bit little-endian stereo at 44100 Hz, written in real time. Once the
// device is open, each paced frame waits until frame × dt seconds have been played since it
// opened, so the file is as long as the run in virtual time and each sound sits where the run
// played it. An empty name (and configure) closes the device and the file stops growing.
void set_audio_capture(const std::string& file);

// The simulated sound output: a voice sounds for its clip's length in virtual time, a piece of
// music for the length set here (a piece with no length set never ends).
void reset_audio();                   // no voices, no music, empty log, a device present
void set_audio_device(bool present);  // false: audio_open finds no device
void set_music_length(const std::string& path, double seconds);  // path as given to music_open
// The virtual clock calls this whenever it moves: it posts the music ends that fell due.
void audio_clock_moved();

}  // namespace platform::headless
