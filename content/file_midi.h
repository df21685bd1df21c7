// Standard MIDI File writer (format 1): tracks of timed channel and meta events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/bytes.h"

namespace content {

class MidiTrack {
 public:
  void name(uint32_t tick, const std::string& text) { meta(tick, 0x03, text); }
  void text(uint32_t tick, const std::string& text) { meta(tick, 0x01, text); }
  void tempo(uint32_t tick, double bpm);
  void time_signature(uint32_t tick, int numerator, int denominator_power);
  void program(uint32_t tick, int channel, int program);
  void control(uint32_t tick, int channel, int controller, int value);
  // A note from `tick` for `length` ticks (its note-off goes before any note-on at the same tick).
  void note(uint32_t tick, uint32_t length, int channel, int key, int velocity);
  // Where the track ends (the end-of-track event): notes still sounding are released there.
  void end_at(uint32_t tick) { end_ = tick; }

  // The track's events in time order, as an "MTrk" chunk.
  Bytes chunk() const;

 private:
  struct Event {
    uint32_t tick;
    int order;  // within a tick: note-offs (0) before everything else (1)
    uint32_t seq;
    std::vector<uint8_t> data;
  };
  void meta(uint32_t tick, uint8_t type, const std::string& text);
  void add(uint32_t tick, int order, std::vector<uint8_t> data);
  std::vector<Event> events_;
  uint32_t end_ = 0;
};

// "MThd" (format 1, the tracks, `ticks_per_quarter`), then every track.
Bytes write_midi(const std::vector<MidiTrack>& tracks, int ticks_per_quarter);

}  // namespace content
