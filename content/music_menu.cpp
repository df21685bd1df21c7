// The menu music: a calm, slightly dark tune for pad, harp arpeggios, bass, a square lead and a
// drum kit, written as General MIDI. Its last bar sits on the dominant so the player's restart
// resolves back into the first bar.
#include <array>

#include "content/build.h"
#include "content/file_midi.h"
#include "content/music.h"
#include "content/rng.h"

namespace content {
namespace {

constexpr int kPpq = 480;
constexpr uint32_t kEighth = kPpq / 2;
constexpr uint32_t kBar = kPpq * 4;

// Chords of the eight-bar cycle: root (MIDI key) and the triad above it.
struct Chord {
  int root;
  std::array<int, 3> tones;
};
const Chord kChords[8] = {
    {50, {62, 65, 69}},  // Dm
    {46, {58, 62, 65}},  // Bb
    {53, {60, 65, 69}},  // F
    {48, {60, 64, 67}},  // C
    {50, {62, 65, 69}},  // Dm
    {43, {58, 62, 67}},  // Gm
    {46, {58, 62, 65}},  // Bb
    {45, {61, 64, 69}},  // A
};

// Melodies: per bar, (key, length in eighths) pairs filling eight eighths; 0 is a rest.
using Phrase = std::vector<std::vector<std::pair<int, int>>>;
const Phrase kTheme = {
    {{69, 2}, {74, 2}, {77, 3}, {76, 1}}, {{74, 2}, {77, 2}, {70, 4}},
    {{72, 2}, {77, 2}, {81, 3}, {79, 1}}, {{79, 4}, {76, 2}, {72, 2}},
    {{74, 2}, {77, 2}, {81, 2}, {86, 2}}, {{82, 3}, {81, 1}, {79, 2}, {74, 2}},
    {{77, 2}, {74, 2}, {70, 2}, {74, 2}}, {{76, 2}, {73, 2}, {69, 4}},
};
const Phrase kAnswer = {
    {{77, 3}, {76, 1}, {74, 2}, {81, 2}},          {{82, 4}, {81, 2}, {77, 2}},
    {{81, 2}, {84, 2}, {81, 2}, {77, 2}},          {{79, 3}, {77, 1}, {76, 4}},
    {{74, 1}, {76, 1}, {77, 2}, {81, 2}, {77, 2}}, {{79, 2}, {82, 2}, {86, 3}, {84, 1}},
    {{82, 2}, {81, 2}, {79, 2}, {77, 2}},          {{76, 3}, {73, 1}, {69, 4}},
};

void phrase(MidiTrack& t, const Phrase& p, uint32_t start, int channel, int shift, int velocity,
            Rng& rng) {
  for (size_t bar = 0; bar < p.size(); ++bar) {
    uint32_t at = start + static_cast<uint32_t>(bar) * kBar;
    for (auto [key, len] : p[bar]) {
      uint32_t dur = static_cast<uint32_t>(len) * kEighth;
      if (key)
        t.note(at, dur - 20, channel, key + shift, velocity + static_cast<int>(rng.below(12)));
      at += dur;
    }
  }
}

}  // namespace

Bytes make_menu_midi() {
  Rng rng(0x3E7);
  const int bars = 32;
  const uint32_t end = bars * kBar;

  MidiTrack conductor;
  conductor.name(0, "Karmund - menu");
  conductor.tempo(0, 100);
  conductor.time_signature(0, 4, 2);
  conductor.end_at(end);

  MidiTrack pad, harp, bass, lead, drums;
  pad.name(0, "Pad");
  pad.program(0, 0, 89);  // warm pad
  pad.control(0, 0, 7, 78);
  pad.control(0, 0, 91, 90);
  harp.name(0, "Arpeggio");
  harp.program(0, 1, 46);  // harp
  harp.control(0, 1, 7, 88);
  harp.control(0, 1, 10, 44);
  harp.control(0, 1, 91, 70);
  bass.name(0, "Bass");
  bass.program(0, 2, 38);  // synth bass
  bass.control(0, 2, 7, 96);
  lead.name(0, "Lead");
  lead.program(0, 3, 80);  // square lead
  lead.control(0, 3, 7, 84);
  lead.control(0, 3, 10, 80);
  lead.control(0, 3, 91, 60);
  lead.program(24 * kBar, 3, 48);  // the last section sings on strings, an octave down
  drums.name(0, "Drums");
  drums.control(0, 9, 7, 92);

  const int arp[8] = {0, 1, 2, 1, 0, 2, 1, 2};
  for (int bar = 0; bar < bars; ++bar) {
    const Chord& c = kChords[bar % 8];
    uint32_t at = static_cast<uint32_t>(bar) * kBar;
    for (int tone : c.tones) pad.note(at, kBar - 10, 0, tone - 12, 58);
    for (int k = 0; k < 8; ++k) {
      int key = c.tones[arp[k]] + (k >= 4 ? 12 : 0);
      harp.note(at + k * kEighth, kEighth * 2, 1, key, 62 + static_cast<int>(rng.below(14)));
    }
    // Bass: root, root, fifth, octave.
    const int steps[4][2] = {{0, 3}, {0, 1}, {7, 2}, {12, 2}};
    uint32_t b = at;
    for (auto& s : steps) {
      bass.note(b, static_cast<uint32_t>(s[1]) * kEighth - 30, 2, c.root - 12 + s[0],
                86 + static_cast<int>(rng.below(10)));
      b += static_cast<uint32_t>(s[1]) * kEighth;
    }
    // Drums join in the fifth bar; the last section thins to a half-time feel.
    if (bar >= 4) {
      bool half = bar >= 24;
      for (int k = 0; k < 8; ++k) {
        uint32_t t = at + k * kEighth;
        drums.note(t, 60, 9, 42, (k % 2 ? 52 : 70) + static_cast<int>(rng.below(10)));
        if (k == 0 || (!half && k == 4) || (!half && k == 5 && bar % 2))
          drums.note(t, 120, 9, 36, 100);
        if ((!half && (k == 2 || k == 6)) || (half && k == 4)) drums.note(t, 120, 9, 38, 92);
      }
      if (bar % 8 == 7) drums.note(at + 7 * kEighth, 120, 9, 46, 70);
    }
    if (bar % 8 == 0 && bar >= 8) drums.note(at, 400, 9, 49, 90);
  }
  phrase(lead, kTheme, 8 * kBar, 3, 0, 88, rng);
  phrase(lead, kAnswer, 16 * kBar, 3, 0, 92, rng);
  phrase(lead, kTheme, 24 * kBar, 3, -12, 80, rng);
  for (MidiTrack* t : {&pad, &harp, &bass, &lead, &drums}) t->end_at(end);
  return write_midi({conductor, pad, harp, bass, lead, drums}, kPpq);
}

void add_music_products(std::vector<Product>& out) {
  out.push_back({"data/menu.mid", make_menu_midi});
  out.push_back({"data/hra.mp3", make_game_mp3, 100});
}

}  // namespace content
