// Standard MIDI File writer: variable-length delta times, running status left out for clarity.
#include "content/file_midi.h"

#include <algorithm>
#include <cmath>

namespace content {
namespace {

void vlq(ByteWriter& w, uint32_t v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while (v >>= 7) buf[n++] = static_cast<uint8_t>((v & 0x7F) | 0x80);
  while (n) w.u8(buf[--n]);
}

uint8_t clamp7(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 127)); }

}  // namespace

void MidiTrack::add(uint32_t tick, int order, std::vector<uint8_t> data) {
  events_.push_back({tick, order, static_cast<uint32_t>(events_.size()), std::move(data)});
}

void MidiTrack::meta(uint32_t tick, uint8_t type, const std::string& text) {
  std::vector<uint8_t> d{0xFF, type};
  ByteWriter len;
  vlq(len, static_cast<uint32_t>(text.size()));
  d.insert(d.end(), len.bytes().begin(), len.bytes().end());
  d.insert(d.end(), text.begin(), text.end());
  add(tick, 1, std::move(d));
}

void MidiTrack::tempo(uint32_t tick, double bpm) {
  uint32_t us = static_cast<uint32_t>(std::lround(60000000.0 / bpm));
  add(tick, 1,
      {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8),
       static_cast<uint8_t>(us)});
}

void MidiTrack::time_signature(uint32_t tick, int num, int den_power) {
  add(tick, 1, {0xFF, 0x58, 0x04, clamp7(num), clamp7(den_power), 24, 8});
}

void MidiTrack::program(uint32_t tick, int ch, int prog) {
  add(tick, 1, {static_cast<uint8_t>(0xC0 | (ch & 15)), clamp7(prog)});
}

void MidiTrack::control(uint32_t tick, int ch, int cc, int value) {
  add(tick, 1, {static_cast<uint8_t>(0xB0 | (ch & 15)), clamp7(cc), clamp7(value)});
}

void MidiTrack::note(uint32_t tick, uint32_t length, int ch, int key, int velocity) {
  add(tick, 1,
      {static_cast<uint8_t>(0x90 | (ch & 15)), clamp7(key), clamp7(std::max(velocity, 1))});
  add(tick + length, 0, {static_cast<uint8_t>(0x80 | (ch & 15)), clamp7(key), 64});
}

Bytes MidiTrack::chunk() const {
  std::vector<Event> sorted = events_;
  // Notes still sounding at the end are released there, so the piece is exactly as long as set.
  if (end_ > 0)
    for (Event& e : sorted)
      if (e.order == 0 && e.tick > end_) e.tick = end_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    if (a.order != b.order) return a.order < b.order;
    return a.seq < b.seq;
  });
  ByteWriter w;
  w.text("MTrk");
  size_t at = w.size();
  w.u32be(0);
  uint32_t now = 0;
  for (const Event& e : sorted) {
    vlq(w, e.tick - now);
    now = e.tick;
    w.append(e.data);
  }
  vlq(w, std::max(end_, now) - now);
  w.u8(0xFF);
  w.u8(0x2F);
  w.u8(0x00);
  w.patch_u32be(at, static_cast<uint32_t>(w.size() - at - 4));
  return std::move(w.bytes());
}

Bytes write_midi(const std::vector<MidiTrack>& tracks, int ticks_per_quarter) {
  ByteWriter w;
  w.text("MThd");
  w.u32be(6);
  w.u16be(1);
  w.u16be(static_cast<uint32_t>(tracks.size()));
  w.u16be(static_cast<uint32_t>(ticks_per_quarter));
  for (const MidiTrack& t : tracks) w.append(t.chunk());
  return std::move(w.bytes());
}

}  // namespace content
