// Sound output over SDL2_mixer: a voice is a mixer channel (grown on demand) playing a clip
// converted to the device format, and one music stream for MIDI (FluidSynth) and MP3. The SDL
// backend plays through it; the headless one when a run captures its sound to a file.
#include "platform/mixer/mixer_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "platform/platform.h"

namespace platform::mixer {
namespace {

// A voice handle is the channel in its low bits and the channel's play count above, so a copy
// that holds an old handle never mistakes a later voice on the same channel for its own.
constexpr int kChannelBits = 12;
constexpr int kMaxChannels = 1 << kChannelBits;
constexpr uint32_t kSerialMask = (1u << (31 - kChannelBits)) - 1;

const char* const kSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                   "/usr/share/sounds/sf2/default-GM.sf2"};

// The clip converted for one playback rate; Mix_QuickLoad_RAW only points into `pcm`.
struct Variant {
  std::vector<uint8_t> pcm;
  Mix_Chunk* chunk = nullptr;
};

struct Clip {
  WaveClip wave;
  std::map<int, Variant> variants;  // by playback rate
};

struct Music {
  Mix_Music* music = nullptr;
  bool paused = false;  // stopped part-way: Play resumes
  bool rewound = true;  // Play starts from the beginning
  std::function<void()> finished;
  uint32_t serial = 0;  // of the play `finished` belongs to
};

struct State {
  bool open = false;
  int rate = 0;
  SDL_AudioFormat format = 0;
  int channels = 0;
  std::vector<std::unique_ptr<Clip>> clips;
  std::vector<uint32_t> channel_serials;
  Music music;
  uint32_t next_serial = 0;
  uint32_t message = 0;
};

State& state() {
  static State s;
  return s;
}

// The mixer's music thread reads the playing serial and writes the ended one; nothing else of
// the state crosses threads.
std::atomic<uint32_t> playing_serial{0};
std::atomic<uint32_t> ended_serial{0};

// Runs on the audio thread (or inside Mix_HaltMusic): no mixer call, only a message home.
void SDLCALL music_finished_hook() {
  const uint32_t serial = playing_serial.load();
  if (!serial) return;
  ended_serial.store(serial);
  post_message(state().message);
}

void on_music_message(uint32_t, uint32_t) {
  Music& m = state().music;
  const uint32_t ended = ended_serial.exchange(0);
  if (!ended || !m.finished || ended != m.serial) return;
  auto finished = std::move(m.finished);
  m.finished = nullptr;
  m.serial = 0;
  finished();
}

Variant& variant(Clip& clip, int rate) {
  State& s = state();
  auto found = clip.variants.find(rate);
  if (found != clip.variants.end()) return found->second;
  Variant& v = clip.variants[rate];
  const WaveClip& w = clip.wave;
  if (w.samples.empty()) return v;
  // Telling the converter the clip was recorded at `rate` is what plays it at that frequency.
  SDL_AudioStream* stream =
      SDL_NewAudioStream(w.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB, Uint8(w.channels), rate, s.format,
                         Uint8(s.channels), s.rate);
  if (!stream) return v;
  if (SDL_AudioStreamPut(stream, w.samples.data(), int(w.samples.size())) == 0 &&
      SDL_AudioStreamFlush(stream) == 0) {
    v.pcm.resize(size_t(SDL_AudioStreamAvailable(stream)));
    const int got = SDL_AudioStreamGet(stream, v.pcm.data(), int(v.pcm.size()));
    v.pcm.resize(got > 0 ? size_t(got) : 0);
  }
  SDL_FreeAudioStream(stream);
  if (!v.pcm.empty()) v.chunk = Mix_QuickLoad_RAW(v.pcm.data(), Uint32(v.pcm.size()));
  return v;
}

int free_channel() {
  State& s = state();
  const int count = int(s.channel_serials.size());
  for (int ch = 0; ch < count; ++ch)
    if (!Mix_Playing(ch)) return ch;
  if (count >= kMaxChannels) return -1;
  const int grown = std::min(kMaxChannels, count * 2);
  if (Mix_AllocateChannels(grown) != grown) return -1;
  s.channel_serials.resize(size_t(grown), 0);
  return count;
}

int channel_of(Voice voice) {
  const State& s = state();
  if (voice < 0 || !s.open) return -1;
  const int ch = voice & (kMaxChannels - 1);
  if (size_t(ch) >= s.channel_serials.size()) return -1;
  return s.channel_serials[size_t(ch)] == (uint32_t(voice) >> kChannelBits) ? ch : -1;
}

// Halts the stream without the hook reporting an end: whoever asked knows it stopped.
void halt_quietly() {
  playing_serial.store(0);
  Mix_HaltMusic();
  Music& m = state().music;
  m.paused = false;
  m.finished = nullptr;
  m.serial = 0;
}

bool is_midi(const std::string& path) {
  const auto dot = path.rfind('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == "mid" || ext == "midi" || ext == "rmi";
}

void set_up_midi() {
  if (!Mix_HasMusicDecoder("FLUIDSYNTH"))
    throw Exception(
        "MIDI needs SDL_mixer's FluidSynth support (library libfluidsynth3), which is missing");
  for (const char* font : kSoundFonts) {
    if (!file_exists(font)) continue;
    if (Mix_SetSoundFonts(font) == 1) return;  // 1 is success here
    throw Exception(std::string("The soundfont \"") + font +
                    "\" cannot be used: " + Mix_GetError());
  }
  throw Exception(std::string("MIDI needs a soundfont: \"") + kSoundFonts[0] +
                  "\" is missing (Debian package timgm6mb-soundfont)");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Voices

bool audio_open() {
  State& s = state();
  if (s.open) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  Mix_Init(MIX_INIT_MID | MIX_INIT_MP3);  // a missing decoder shows when its file is opened
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_QuerySpec(&s.rate, &s.format, &s.channels);
  s.channel_serials.assign(size_t(Mix_AllocateChannels(16)), 0);
  s.message = register_message(on_music_message);
  Mix_HookMusicFinished(music_finished_hook);
  s.open = true;
  return true;
}

bool audio_available() { return state().open; }

void audio_close() {
  State& s = state();
  if (!s.open) return;
  music_close();
  Mix_HookMusicFinished(nullptr);
  Mix_HaltChannel(-1);
  for (auto& clip : s.clips)
    if (clip)
      for (auto& [rate, v] : clip->variants)
        if (v.chunk) Mix_FreeChunk(v.chunk);
  unregister_message(s.message);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  playing_serial.store(0);
  ended_serial.store(0);
  s = State{};
}

int audio_bytes_per_second() {
  const State& s = state();
  return s.open ? s.rate * s.channels * int(SDL_AUDIO_BITSIZE(s.format)) / 8 : 0;
}

Chunk audio_load_wave(const std::vector<uint8_t>& riff_wave) {
  WaveClip wave = decode_wave(riff_wave);
  State& s = state();
  if (!s.open) return -1;
  auto clip = std::make_unique<Clip>();
  clip->wave = std::move(wave);
  s.clips.push_back(std::move(clip));
  return Chunk(s.clips.size() - 1);
}

void audio_free_wave(Chunk chunk) {
  State& s = state();
  if (chunk < 0 || size_t(chunk) >= s.clips.size() || !s.clips[size_t(chunk)]) return;
  // Mix_FreeChunk halts every channel still playing the chunk before its samples go.
  for (auto& [rate, v] : s.clips[size_t(chunk)]->variants)
    if (v.chunk) Mix_FreeChunk(v.chunk);
  s.clips[size_t(chunk)].reset();
}

Voice audio_play(Chunk chunk, bool looped, float volume, float pan, int frequency) {
  State& s = state();
  if (!s.open || chunk < 0 || size_t(chunk) >= s.clips.size() || !s.clips[size_t(chunk)]) return -1;
  Clip& clip = *s.clips[size_t(chunk)];
  const Variant& v = variant(clip, frequency > 0 ? frequency : clip.wave.rate);
  if (!v.chunk) return -1;
  const int ch = free_channel();
  if (ch < 0) return -1;
  volume = std::clamp(volume, 0.0f, 1.0f);
  pan = std::clamp(pan, -1.0f, 1.0f);
  Mix_Volume(ch, int(std::lround(volume * MIX_MAX_VOLUME)));
  // Always set, so a channel never keeps the pan of the voice it had before (255/255 removes it).
  const Uint8 left = Uint8(std::lround(255 * (pan > 0 ? 1 - pan : 1)));
  const Uint8 right = Uint8(std::lround(255 * (pan < 0 ? 1 + pan : 1)));
  Mix_SetPanning(ch, left, right);
  if (Mix_PlayChannel(ch, v.chunk, looped ? -1 : 0) < 0) return -1;
  uint32_t& serial = s.channel_serials[size_t(ch)];
  serial = (serial + 1) & kSerialMask;
  return Voice(serial << kChannelBits | uint32_t(ch));
}

void audio_stop(Voice voice) {
  const int ch = channel_of(voice);
  if (ch >= 0) Mix_HaltChannel(ch);
}

bool audio_playing(Voice voice) {
  const int ch = channel_of(voice);
  return ch >= 0 && Mix_Playing(ch) != 0;
}

// ---------------------------------------------------------------------------------------------
// Music

void music_open(const std::string& path) {
  music_close();
  if (!file_exists(path))
    throw Exception("Cannot open file \"" + full_path(path) + "\". " + std::strerror(ENOENT));
  if (!audio_open()) return;  // no device: the player opens, and stays silent
  if (is_midi(path)) set_up_midi();
  Mix_Music* music = Mix_LoadMUS(map_data_path(path).c_str());
  if (!music) throw Exception("Cannot play \"" + path + "\": " + Mix_GetError());
  State& s = state();
  s.music = Music{};
  s.music.music = music;
}

void music_close() {
  Music& m = state().music;
  if (!m.music) return;
  halt_quietly();
  Mix_FreeMusic(m.music);
  m = Music{};
}

void music_play(std::function<void()> finished) {
  State& s = state();
  Music& m = s.music;
  if (!m.music) return;
  s.next_serial = (s.next_serial + 1) ? s.next_serial + 1 : 1;
  const uint32_t serial = s.next_serial;
  if (m.paused && !m.rewound) {
    playing_serial.store(serial);
    Mix_ResumeMusic();
    m.paused = false;
  } else if (!Mix_PlayingMusic() || m.paused) {
    halt_quietly();
    playing_serial.store(serial);
    if (Mix_PlayMusic(m.music, 1) != 0) {
      playing_serial.store(0);
      throw Exception(std::string("Cannot play the music: ") + Mix_GetError());
    }
    m.rewound = false;
  } else {
    playing_serial.store(serial);  // already sounding: the new request takes over its end
  }
  m.serial = serial;
  m.finished = std::move(finished);
}

void music_stop() {
  Music& m = state().music;
  if (!m.music) return;
  playing_serial.store(0);
  m.finished = nullptr;
  m.serial = 0;
  if (Mix_PlayingMusic() && !m.paused) {
    Mix_PauseMusic();
    m.paused = true;
  }
}

void music_rewind() {
  Music& m = state().music;
  if (!m.music) return;
  halt_quietly();
  m.rewound = true;
}

}  // namespace platform::mixer
