// The headless sound output: no device, but voices that sound for their clip's length and music
// that ends after a scripted length, all in virtual time, and a log line for every request.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "platform/headless/backend.h"
#include "platform/headless/headless.h"
#include "platform/mixer/mixer_audio.h"
#include "platform/platform.h"

namespace platform {
namespace {

// A voice handle is the channel in its low bits and the channel's play count above, so a copy
// that holds an old handle never mistakes a later voice on the same channel for its own.
constexpr int kChannelBits = 12;
constexpr int kMaxChannels = 1 << kChannelBits;
constexpr uint32_t kSerialMask = (1u << (31 - kChannelBits)) - 1;

struct Clip {
  bool loaded = false;
  int rate = 0;
  int64_t frames = 0;
};

struct Channel {
  uint32_t serial = 0;
  bool active = false;
  bool looped = false;
  double start = 0;
  double length = 0;  // seconds at the played frequency
};

struct Music {
  bool open = false;
  std::string path;
  double length = -1;   // negative: never ends
  double position = 0;  // seconds into the piece while not playing
  bool playing = false;
  double started = 0;  // virtual time the current play began at `position`
  std::function<void()> finished;
  uint32_t serial = 0;  // of the play `finished` belongs to
};

struct State {
  bool present = true;
  bool open = false;
  std::vector<Clip> clips;
  std::vector<Channel> channels;
  Music music;
  uint32_t next_serial = 0;
  std::atomic<uint32_t> ended_serial{0};
  uint32_t message = 0;
  bool registered = false;
  std::map<std::string, double> lengths;
  std::vector<std::string> log;
};

State& state() {
  static State s;
  return s;
}

// A run that captures its sound plays through the real mixer into SDL's disk driver instead.
// The driver writes in real time from the moment the device opens; the frames keep in step with
// the length of the file itself, so each sound lands where the run played it even when the
// driver's thread starts late or lags a little behind the wall clock. Should the file stop
// growing, the wall clock since the open takes over.
struct Capture {
  std::string file;
  bool open = false;
  bool stuck = false;
  std::chrono::steady_clock::time_point start;
};

Capture& capture() {
  static Capture c;
  return c;
}
const std::string& capture_file() { return capture().file; }
bool capturing() { return !capture_file().empty(); }

// Called after every capture call that may have opened the device.
void note_capture_opened() {
  Capture& c = capture();
  if (c.open || !mixer::audio_available()) return;
  c.open = true;
  c.stuck = false;
  c.start = std::chrono::steady_clock::now();
}

// The device closes and the file stops growing.
void close_capture() {
  Capture& c = capture();
  if (!c.open) return;
  mixer::audio_close();
  c.open = false;
}

// Bounded, so a long headless run that stops its lasers every frame cannot eat the memory.
constexpr size_t kLogLimit = 100000;

void log_line(const std::string& line) {
  auto& log = state().log;
  if (log.size() < kLogLimit)
    log.push_back(line);
  else if (log.size() == kLogLimit)
    log.push_back("log full");
}

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

double now() {
  const int64_t f = performance_frequency();
  return f > 0 ? double(performance_counter()) / double(f) : 0.0;
}

bool sounding(const Channel& c) {
  return c.active && (c.looped ? c.length > 0 : now() < c.start + c.length);
}

Channel* channel_of(Voice voice) {
  State& s = state();
  if (voice < 0) return nullptr;
  const size_t index = size_t(voice) & (kMaxChannels - 1);
  if (index >= s.channels.size()) return nullptr;
  Channel& c = s.channels[index];
  return c.serial == (uint32_t(voice) >> kChannelBits) ? &c : nullptr;
}

// Delivered on the main thread after the clock found the end of the piece.
void on_music_message(uint32_t, uint32_t) {
  State& s = state();
  const uint32_t ended = s.ended_serial.exchange(0);
  if (!ended || !s.music.finished || ended != s.music.serial) return;
  auto finished = std::move(s.music.finished);
  s.music.finished = nullptr;
  finished();
}

void ensure_message() {
  State& s = state();
  if (s.registered) return;
  s.message = register_message(on_music_message);
  s.registered = true;
}

void halt_music() {
  Music& m = state().music;
  if (m.playing) {
    m.position += now() - m.started;
    if (m.length >= 0 && m.position > m.length) m.position = m.length;
  }
  m.playing = false;
  m.finished = nullptr;
  m.serial = 0;
}

// Everything, capture included; configure wipes the message registrations right after.
void forget_everything() {
  State& s = state();
  close_capture();
  capture().file.clear();
  s.registered = false;
  s.present = true;
  s.open = false;
  s.clips.clear();
  s.channels.clear();
  s.music = Music{};
  s.next_serial = 0;
  s.ended_serial = 0;
  s.lengths.clear();
  s.log.clear();
}

// Every configure starts the sound output afresh with the clock and the queues.
[[maybe_unused]] const bool hooked = (headless::on_configure(forget_everything), true);

}  // namespace

// ---------------------------------------------------------------------------------------------
// Controls

namespace headless {

const std::vector<std::string>& audio_log() { return state().log; }

void reset_audio() {
  State& s = state();
  if (s.registered) unregister_message(s.message);
  s.registered = false;
  forget_everything();
}

void set_audio_device(bool present) { state().present = present; }

void set_audio_capture(const std::string& file) {
  close_capture();
  capture().file = file;
}

void wait_for_capture(double seconds) {
  using Clock = std::chrono::steady_clock;
  Capture& c = capture();
  if (!c.open) return;
  if (!c.stuck) {
    const double needed = seconds * mixer::audio_bytes_per_second();
    std::error_code error;
    auto written = std::filesystem::file_size(c.file, error);
    Clock::time_point progress = Clock::now();
    while (!error && double(written) < needed) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      const auto now_written = std::filesystem::file_size(c.file, error);
      if (now_written != written) {
        written = now_written;
        progress = Clock::now();
      } else if (Clock::now() - progress > std::chrono::milliseconds(500)) {
        break;
      }
    }
    c.stuck = error || double(written) < needed;
    if (!c.stuck) return;
  }
  std::this_thread::sleep_until(c.start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(seconds)));
}

void set_music_length(const std::string& path, double seconds) { state().lengths[path] = seconds; }

void audio_clock_moved() {
  State& s = state();
  Music& m = s.music;
  if (!m.playing || m.length < 0) return;
  if (m.position + now() - m.started < m.length) return;
  m.playing = false;
  m.position = m.length;
  log_line("music end " + m.path);
  if (m.finished) {
    s.ended_serial = m.serial;
    post_message(s.message);
  }
}

}  // namespace headless

// ---------------------------------------------------------------------------------------------
// Voices

bool audio_open() {
  if (capturing()) {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", capture_file().c_str(), 1);
    const bool open = mixer::audio_open();
    note_capture_opened();
    return open;
  }
  State& s = state();
  if (s.open) return true;
  if (!s.present) {
    log_line("open failed: no device");
    return false;
  }
  s.open = true;
  log_line("open");
  return true;
}

bool audio_available() { return capturing() ? mixer::audio_available() : state().open; }

Chunk audio_load_wave(const std::vector<uint8_t>& riff_wave) {
  if (capturing()) return mixer::audio_load_wave(riff_wave);
  WaveClip wave = decode_wave(riff_wave);
  State& s = state();
  if (!s.open) {
    log_line("load: no device");
    return -1;
  }
  s.clips.push_back(Clip{true, wave.rate, wave.frames()});
  const Chunk chunk = Chunk(s.clips.size() - 1);
  log_line("load " + std::to_string(chunk) + ": " + std::to_string(wave.channels) + " ch, " +
           std::to_string(wave.bits) + " bit, " + std::to_string(wave.rate) + " Hz, " +
           std::to_string(wave.frames()) + " frames");
  return chunk;
}

void audio_free_wave(Chunk chunk) {
  if (capturing()) return mixer::audio_free_wave(chunk);
  State& s = state();
  if (chunk < 0 || size_t(chunk) >= s.clips.size() || !s.clips[chunk].loaded) return;
  s.clips[chunk].loaded = false;
  log_line("free " + std::to_string(chunk));
}

Voice audio_play(Chunk chunk, bool looped, float volume, float pan, int frequency) {
  if (capturing()) return mixer::audio_play(chunk, looped, volume, pan, frequency);
  State& s = state();
  if (!s.open || chunk < 0 || size_t(chunk) >= s.clips.size() || !s.clips[chunk].loaded) return -1;
  size_t index = 0;
  while (index < s.channels.size() && sounding(s.channels[index])) ++index;
  if (index == s.channels.size()) {
    if (index == kMaxChannels) {
      log_line("play: no free channel");
      return -1;
    }
    s.channels.emplace_back();
  }
  const Clip& clip = s.clips[chunk];
  const int rate = frequency > 0 ? frequency : clip.rate;
  Channel& c = s.channels[index];
  c.serial = (c.serial + 1) & kSerialMask;
  c.active = true;
  c.looped = looped;
  c.start = now();
  c.length = double(clip.frames) / rate;
  log_line("play channel " + std::to_string(index) + " chunk " + std::to_string(chunk) +
           (looped ? " loop" : " once") + " volume " + num(volume) + " pan " + num(pan) +
           " frequency " + std::to_string(frequency));
  return Voice(c.serial << kChannelBits | uint32_t(index));
}

void audio_stop(Voice voice) {
  if (capturing()) return mixer::audio_stop(voice);
  Channel* c = channel_of(voice);
  if (!c) return;
  const bool was = sounding(*c);
  c->active = false;
  log_line("stop channel " + std::to_string(voice & (kMaxChannels - 1)) + (was ? "" : " (silent)"));
}

bool audio_playing(Voice voice) {
  if (capturing()) return mixer::audio_playing(voice);
  const Channel* c = channel_of(voice);
  return c && sounding(*c);
}

// ---------------------------------------------------------------------------------------------
// Music

void music_open(const std::string& path) {
  if (capturing()) {
    if (!mixer::audio_available()) audio_open();  // the same disk driver as the voices
    return mixer::music_open(path);
  }
  State& s = state();
  music_close();
  log_line("music open " + path);
  if (!file_exists(path))
    throw Exception("Cannot open file \"" + full_path(path) + "\". " + std::strerror(ENOENT));
  if (!audio_open()) return;
  auto known = s.lengths.find(path);
  s.music = Music{};
  s.music.open = true;
  s.music.path = path;
  s.music.length = known == s.lengths.end() ? -1 : known->second;
}

void music_close() {
  if (capturing()) return mixer::music_close();
  State& s = state();
  if (!s.music.open) return;
  halt_music();
  s.music = Music{};
  log_line("music close");
}

void music_play(std::function<void()> finished) {
  if (capturing()) return mixer::music_play(std::move(finished));
  State& s = state();
  Music& m = s.music;
  log_line("music play");
  if (!m.open) return;
  ensure_message();
  if (!m.playing) {
    if (m.length >= 0 && m.position >= m.length) m.position = 0;
    m.playing = true;
    m.started = now();
  }
  s.next_serial = s.next_serial + 1 ? s.next_serial + 1 : 1;
  m.serial = s.next_serial;
  m.finished = std::move(finished);
  headless::audio_clock_moved();  // a piece of no length ends at once, but never inside this call
}

void music_stop() {
  if (capturing()) return mixer::music_stop();
  log_line("music stop");
  if (state().music.open) halt_music();
}

void music_rewind() {
  if (capturing()) return mixer::music_rewind();
  log_line("music rewind");
  Music& m = state().music;
  if (!m.open) return;
  halt_music();
  m.position = 0;
}

}  // namespace platform
