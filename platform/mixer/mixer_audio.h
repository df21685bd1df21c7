// Sound output over SDL2_mixer, shared by the SDL backend and the headless backend's capture
// mode: the same operations as platform.h's audio and music calls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::mixer {

bool audio_open();
bool audio_available();
// Closes the device with every clip and the music; the next audio_open starts afresh (the
// headless capture ends its file this way).
void audio_close();
// The open device's rate × bytes per sample frame (0 while closed).
int audio_bytes_per_second();
Chunk audio_load_wave(const std::vector<uint8_t>& riff_wave);
void audio_free_wave(Chunk chunk);
Voice audio_play(Chunk chunk, bool looped, float volume, float pan, int frequency);
void audio_stop(Voice voice);
bool audio_playing(Voice voice);
void music_open(const std::string& path);
void music_close();
void music_play(std::function<void()> finished);
void music_stop();
void music_rewind();

}  // namespace platform::mixer
