// karmund-headless: the real game on the headless backend, with a scripted input, a frame limit
// and a JSON dump of the game state and the form's named objects at the end of the run.
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "engine/hud_text.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "game/program.h"
#include "platform/headless/headless.h"
#include "platform/headless/png_writer.h"
#include "platform/platform.h"

using nlohmann::json;

namespace {

struct Options {
  std::string workdir = ".";
  std::string input;
  std::string dump;
  std::string audio;
  std::string shots;
  int64_t shot_every = 1;
  platform::headless::Config config;
};

const char* const kUsage =
    "usage: karmund-headless [--workdir DIR] [--frames N] [--dt S] [--input FILE] [--dump FILE]\n"
    "                        [--audio FILE] [--shots DIR [--shot-every K]]\n"
    "  --workdir DIR  the game's working directory (modely/, data/); default: here\n"
    "  --frames N     stop after N frames (a whole number from 1); default: until the game ends\n"
    "  --dt S         virtual seconds per frame (a finite number above 0); default 1/60\n"
    "  --input FILE   input script: 'FRAME key down|up NAME', 'FRAME mouse move X Y',\n"
    "                 'FRAME mouse down|up left|right', 'FRAME wheel N'; '#' comments\n"
    "  --dump FILE    JSON at the end: frame, how it ended, errors, game state, named objects\n"
    "  --audio FILE   the run's sound through SDL's disk driver into FILE: raw signed 16-bit\n"
    "                 little-endian stereo at 44100 Hz, written in real time, so the run then\n"
    "                 keeps to the wall clock: frame N waits until N x dt seconds have passed\n"
    "                 (without it the run is silent)\n"
    "  --shots DIR    PNG pictures of the frames into DIR, named frame_NNNNNN.png by frame\n"
    "  --shot-every K one picture per K frames (the first frame shown from each multiple of\n"
    "                 K on); default 1\n";

int usage(const std::string& problem) {
  std::cerr << "karmund-headless: " << problem << "\n" << kUsage;
  return 2;
}

// Digits only, at least 1, and within the frame counter's range.
bool parse_count(const std::string& text, int64_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const int digit = c - '0';
    if (value > (INT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  return value >= 1;
}

// A finite number above 0 ("inf", "nan" and "1e999" are not).
bool parse_seconds(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0' && errno == 0 && std::isfinite(value) && value > 0;
}

json vec(const TGLCoordinates& c) { return json::array({c.X(), c.Y(), c.Z()}); }

json state_json() {
  return json{
      {"timeFactor", timeFactor},
      {"steerStep", steerStep},
      {"scrollStep", scrollStep},
      {"shotStep", shotStep},
      {"titleScreen", titleScreen},
      {"inMenu", inMenu},
      {"resetPending", resetPending},
      {"assetsLoaded", assetsLoaded},
      {"paused", paused},
      {"levelComplete", levelComplete},
      {"gameFinished", gameFinished},
      {"firstFrameDone", firstFrameDone},
      {"enemyGateA", enemyGateA},
      {"enemyGateB", enemyGateB},
      {"enemyGateC", enemyGateC},
      {"pickupGate", pickupGate},
      {"shipHit", shipHit},
      {"weaponChanged", weaponChanged},
      {"showProbes", showProbes},
      {"levelNumber", levelNumber},
      {"selectedLevel", selectedLevel},
      {"levelsOpen", levelsOpen},
      {"lives", lives},
      {"hitPercent", hitPercent},
      {"weaponLevel", weaponLevel},
      {"fireWave", fireWave},
      {"startHold", startHold},
      {"hitRecovery", hitRecovery},
      {"sorryTimer", sorryTimer},
      {"crashBlink", crashBlink},
      {"crashSoundTick", crashSoundTick},
      {"rockRate", rockRate},
      {"fireTimer1", fireTimer1},
      {"fireTimer2", fireTimer2},
      {"fireTimer3", fireTimer3},
      {"fireTimer4", fireTimer4},
      {"fireTimer5", fireTimer5},
      {"shotSlot1", shotSlot1},
      {"shotSlot2", shotSlot2},
      {"shotSlot3", shotSlot3},
      {"shotSlot4", shotSlot4},
      {"shotSlot5", shotSlot5},
      {"fireSoundArmed", fireSoundArmed},
      {"swing5", swing5},
      {"swing6", swing6},
      {"hitFxTimer1", hitFxTimer1},
      {"hitFxTimer2", hitFxTimer2},
      {"hitFxTimer3", hitFxTimer3},
      {"hitFxTimer4", hitFxTimer4},
      {"hitFxTimer5", hitFxTimer5},
      {"mouseX", mouseX},
      {"mouseY", mouseY},
      {"probeSize", probeSize},
      {"probeDepth", probeDepth},
      {"animName", animName},
  };
}

// HUD texts hold Windows-1250 bytes, the font's code page; JSON wants UTF-8.
std::string cp1250_to_utf8(const std::string& text) {
  std::string out;
  for (char ch : text) {
    uint32_t c = platform::cp1250_to_unicode(static_cast<uint8_t>(ch));
    if (c == 0 && ch != 0) c = '?';
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Sprites add their size; HUD texts their text.
void describe_extra(const TGLBaseSceneObject& o, json& entry) {
  if (auto* sprite = dynamic_cast<const TGLSprite*>(&o)) {
    entry["width"] = sprite->Width();
    entry["height"] = sprite->Height();
  }
  if (auto* text = dynamic_cast<const TGLHUDText*>(&o))
    entry["text"] = cp1250_to_utf8(text->Text());
}

// --shots: after each shown frame, a picture once per K frames; a failed write stops them.
void take_shot(const std::string& dir, int64_t every, int64_t& next_due) {
  int64_t frame = platform::headless::frame();
  if (dir.empty() || frame < next_due) return;
  next_due = (frame / every + 1) * every;
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  if (!platform::read_frame(rgba, w, h)) return;
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frame));
  try {
    platform::headless::write_png(dir + name, rgba, w, h);
  } catch (const std::exception& e) {
    std::cerr << "karmund-headless: " << e.what() << "; no more pictures\n";
    next_due = INT64_MAX;
  }
}

void add_objects(const TGLBaseSceneObject& parent, json& objects) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TGLBaseSceneObject& o = *parent.Children(i);
    if (!o.Name().empty()) {
      json entry{{"position", vec(o.Position())},
                 {"direction", vec(o.Direction())},
                 {"up", vec(o.Up())},
                 {"visible", o.Visible()},
                 {"tag", o.Tag()},
                 {"pitch", o.PitchAngle()},
                 {"turn", o.TurnAngle()},
                 {"roll", o.RollAngle()}};
      describe_extra(o, entry);
      objects[o.Name()] = std::move(entry);
    }
    add_objects(o, objects);
  }
}

json dump_json(const char* reason) {
  std::string ended = reason;
  if (ended == "stalled") ended = "error";  // the frame clock stopped after a reported error
  json objects = json::object();
  if (Form1 && Form1->GLScene1) {
    add_objects(Form1->GLScene1->Objects(), objects);
    add_objects(Form1->GLScene1->Cameras(), objects);
  }
  return json{{"frame", platform::headless::frame()},
              {"ended", ended},
              {"errors", platform::reported_errors()},
              {"state", state_json()},
              {"objects", objects}};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (i + 1 >= argc) return usage("missing value after " + arg);
    std::string value = argv[++i];
    if (arg == "--workdir") {
      options.workdir = value;
    } else if (arg == "--frames") {
      if (!parse_count(value, options.config.max_frames)) return usage("bad --frames " + value);
    } else if (arg == "--dt") {
      if (!parse_seconds(value, options.config.dt)) return usage("bad --dt " + value);
    } else if (arg == "--input") {
      options.input = value;
    } else if (arg == "--dump") {
      options.dump = value;
    } else if (arg == "--audio") {
      options.audio = value;
    } else if (arg == "--shots") {
      options.shots = value;
    } else if (arg == "--shot-every") {
      if (!parse_count(value, options.shot_every)) return usage("bad --shot-every " + value);
    } else {
      return usage("unknown option " + arg);
    }
  }

  if (!options.input.empty()) {
    std::ifstream in(options.input, std::ios::binary);
    if (!in) return usage("cannot read " + options.input);
    std::stringstream text;
    text << in.rdbuf();
    try {
      options.config.events = platform::headless::parse_script(text.str());
    } catch (const std::exception& e) {
      return usage(options.input + ": " + e.what());
    }
  }
  for (std::string* path : {&options.dump, &options.audio, &options.shots}) {
    char cwd[4096];
    if (!path->empty() && (*path)[0] != '/' && ::getcwd(cwd, sizeof cwd))
      *path = std::string(cwd) + "/" + *path;
  }
  if (!options.shots.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.shots, error);
    if (error) return usage("cannot make " + options.shots);
  }
  if (::chdir(options.workdir.c_str()) != 0) return usage("cannot enter " + options.workdir);
  int64_t next_shot = 0;
  if (!options.shots.empty())
    options.config.frame_shown = [&] { take_shot(options.shots, options.shot_every, next_shot); };

  platform::headless::configure(options.config);
  if (!options.audio.empty()) platform::headless::set_audio_capture(options.audio);
  int status = Karmund([&](const char* reason) {
    if (options.dump.empty()) return;
    std::ofstream out(options.dump);
    out << dump_json(reason).dump(1) << "\n";
  });
  // The captured sound ends with the run, not whenever the process is gone.
  if (!options.audio.empty()) platform::headless::set_audio_capture("");
  return status;
}
