// The menu and play music: a well-formed General MIDI file of over a minute, and an MP3 of over
// 90 s at 44.1 kHz stereo and at least 128 kbit/s.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "content/file_mp3.h"
#include "content/music.h"

using namespace content;

namespace {

uint32_t be32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

struct MidiSummary {
  int tracks = 0;
  uint32_t last_tick = 0;
  double seconds = 0;
  std::map<int, int> notes_per_channel;
  int unmatched = 0;
  bool ok = true;
};

// Reads every event of every track, checking lengths as a strict player would.
MidiSummary read_midi(const Bytes& m) {
  MidiSummary s;
  int ppq = (m[12] << 8) | m[13];
  double us_per_quarter = 500000;
  size_t at = 14;
  while (at + 8 <= m.size()) {
    if (std::string(m.begin() + at, m.begin() + at + 4) != "MTrk") return s.ok = false, s;
    size_t end = at + 8 + be32(m, at + 4), p = at + 8;
    if (end > m.size()) return s.ok = false, s;
    uint32_t tick = 0;
    std::map<int, int> open;
    bool ended = false;
    while (p < end) {
      uint32_t delta = 0;
      do delta = (delta << 7) | (m[p] & 0x7F);
      while (m[p++] & 0x80);
      tick += delta;
      uint8_t st = m[p++];
      if (st == 0xFF) {
        uint8_t type = m[p++];
        uint32_t len = m[p++];
        if (type == 0x51) us_per_quarter = (m[p] << 16) | (m[p + 1] << 8) | m[p + 2];
        if (type == 0x2F) ended = true;
        p += len;
      } else if ((st & 0xF0) == 0x90 || (st & 0xF0) == 0x80) {
        int ch = st & 15, key = m[p], vel = m[p + 1];
        p += 2;
        if ((st & 0xF0) == 0x90 && vel > 0) {
          ++open[ch * 128 + key];
          ++s.notes_per_channel[ch];
        } else {
          --open[ch * 128 + key];
        }
      } else if ((st & 0xF0) == 0xC0) {
        p += 1;
      } else if ((st & 0xF0) == 0xB0) {
        p += 2;
      } else {
        return s.ok = false, s;
      }
    }
    if (!ended || p != end) s.ok = false;
    for (auto& [k, n] : open) s.unmatched += n != 0;
    s.last_tick = std::max(s.last_tick, tick);
    ++s.tracks;
    at = end;
  }
  s.seconds = s.last_tick / static_cast<double>(ppq) * us_per_quarter / 1e6;
  return s;
}

}  // namespace

TEST(MenuMusic, GeneralMidiFileOfOverAMinute) {
  Bytes m = make_menu_midi();
  ASSERT_GE(m.size(), 14u);
  EXPECT_EQ(std::string(m.begin(), m.begin() + 4), "MThd");
  EXPECT_EQ(be32(m, 4), 6u);
  EXPECT_EQ(m[9], 1) << "format 1";
  MidiSummary s = read_midi(m);
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.tracks, (m[10] << 8) | m[11]);
  EXPECT_GE(s.tracks, 4);
  EXPECT_GE(s.seconds, 60.0);
  EXPECT_EQ(s.unmatched, 0) << "every note is released";
  EXPECT_GT(s.notes_per_channel[9], 100) << "drums on the General MIDI drum channel";
  for (int ch = 0; ch < 4; ++ch) EXPECT_GT(s.notes_per_channel[ch], 20) << "channel " << ch;
  // The piece ends on a whole bar, so its restart keeps the beat.
  EXPECT_EQ(s.last_tick % (480 * 4), 0u);
}

TEST(GameMusic, Mp3FramesAt44kStereoAndLongEnough) {
  Bytes mp3 = make_game_mp3();
  ASSERT_GT(mp3.size(), 4u);
  const int kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  size_t at = 0, frames = 0;
  while (at + 4 <= mp3.size()) {
    uint8_t b1 = mp3[at + 1], b2 = mp3[at + 2], b3 = mp3[at + 3];
    ASSERT_EQ(mp3[at], 0xFF) << "frame " << frames;
    ASSERT_EQ(b1 & 0xFE, 0xFA) << "MPEG-1 Layer III";
    int rate_index = (b2 >> 2) & 3, bitrate = kbps[b2 >> 4];
    ASSERT_EQ(rate_index, 0) << "44.1 kHz";
    ASSERT_GE(bitrate, 128);
    ASSERT_NE(b3 >> 6, 3) << "stereo, not mono";
    size_t len = 144000u * static_cast<size_t>(bitrate) / 44100u + ((b2 >> 1) & 1);
    at += len;
    ++frames;
  }
  EXPECT_EQ(at, mp3.size()) << "the stream ends with a whole frame";
  EXPECT_GE(frames * 1152.0 / 44100.0, 90.0);
}

TEST(GameMusic, EncoderGivesTheSameBytesTwice) {
  Signal l(44100), r(44100);
  for (size_t i = 0; i < l.size(); ++i) {
    l[i] = static_cast<float>(std::sin(i * 0.05) * 0.5);
    r[i] = static_cast<float>(std::sin(i * 0.031) * 0.5);
  }
  EXPECT_EQ(encode_mp3(l, r, 44100, 160), encode_mp3(l, r, 44100, 160));
}
