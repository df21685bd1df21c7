// The two pieces of music: the menu's General MIDI piece and the play music, synthesised here
// and encoded to MP3.
#pragma once

#include "content/bytes.h"
#include "content/synth.h"

namespace content {

// "data/menu.mid": a format-1 file, 32 bars in D minor that end on the dominant and loop.
Bytes make_menu_midi();

struct StereoTrack {
  Signal left, right;
  int rate = 44100;
};
// The play music as samples (about 96 s at 140 beats per minute, A minor), and the MP3 of it.
StereoTrack render_game_music();
Bytes make_game_mp3();

}  // namespace content
