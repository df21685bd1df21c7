// The SDL backend's sound: SDL2_mixer on the system's audio device.
#include "platform/mixer/mixer_audio.h"

namespace platform {

bool audio_open() { return mixer::audio_open(); }
bool audio_available() { return mixer::audio_available(); }
Chunk audio_load_wave(const std::vector<uint8_t>& riff_wave) {
  return mixer::audio_load_wave(riff_wave);
}
void audio_free_wave(Chunk chunk) { mixer::audio_free_wave(chunk); }
Voice audio_play(Chunk chunk, bool looped, float volume, float pan, int frequency) {
  return mixer::audio_play(chunk, looped, volume, pan, frequency);
}
void audio_stop(Voice voice) { mixer::audio_stop(voice); }
bool audio_playing(Voice voice) { return mixer::audio_playing(voice); }
void music_open(const std::string& path) { mixer::music_open(path); }
void music_close() { mixer::music_close(); }
void music_play(std::function<void()> finished) { mixer::music_play(std::move(finished)); }
void music_stop() { mixer::music_stop(); }
void music_rewind() { mixer::music_rewind(); }

}  // namespace platform
