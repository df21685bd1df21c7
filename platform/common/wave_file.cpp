// The RIFF WAVE reader shared by both audio backends and the wave list: every size is checked
// against what is left of the image before it is read.
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

[[noreturn]] void bad_wave(const std::string& what) {
  throw Exception("Invalid wave data: " + what);
}

uint32_t u32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

struct Format {
  int tag = 0, channels = 0, rate = 0, block_align = 0, bits = 0;
};

Format read_format(const uint8_t* p, uint32_t size) {
  if (size < 16) bad_wave("\"fmt \" chunk of " + std::to_string(size) + " bytes, 16 needed");
  Format f;
  f.tag = u16(p);
  f.channels = u16(p + 2);
  uint32_t rate = u32(p + 4);
  f.block_align = u16(p + 12);
  f.bits = u16(p + 14);
  if (f.tag != 1) bad_wave("format tag " + std::to_string(f.tag) + " is not PCM (1)");
  if (f.channels != 1 && f.channels != 2)
    bad_wave(std::to_string(f.channels) + " channels (1 or 2 supported)");
  if (f.bits != 8 && f.bits != 16)
    bad_wave(std::to_string(f.bits) + " bits per sample (8 or 16 supported)");
  if (rate < 1000 || rate > 192000) bad_wave("sample rate " + std::to_string(rate) + " Hz");
  f.rate = int(rate);
  if (f.block_align != f.channels * f.bits / 8)
    bad_wave("block align " + std::to_string(f.block_align) + " does not match the format");
  return f;
}

}  // namespace

WaveClip decode_wave(const std::vector<uint8_t>& image) {
  const uint8_t* data = image.data();
  const size_t size = image.size();
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    bad_wave("no RIFF WAVE header");
  // The RIFF size counts everything after its own field; bytes beyond it are ignored.
  const uint64_t riff_end = uint64_t(u32(data + 4)) + 8;
  if (riff_end > size) bad_wave("truncated (RIFF size " + std::to_string(riff_end - 8) + ")");

  bool have_format = false;
  Format format;
  uint64_t pos = 12;
  while (pos + 8 <= riff_end) {
    const uint8_t* id = data + pos;
    const uint32_t chunk = u32(data + pos + 4);
    const std::string name(reinterpret_cast<const char*>(id), 4);
    pos += 8;
    if (uint64_t(chunk) > riff_end - pos) bad_wave("truncated \"" + name + "\" chunk");
    if (name == "fmt ") {
      format = read_format(data + pos, chunk);
      have_format = true;
    } else if (name == "data") {
      if (!have_format) bad_wave("\"data\" chunk before \"fmt \"");
      if (chunk % uint32_t(format.block_align) != 0) bad_wave("partial sample frame in \"data\"");
      WaveClip clip;
      clip.channels = format.channels;
      clip.rate = format.rate;
      clip.bits = format.bits;
      clip.samples.assign(data + pos, data + pos + chunk);
      return clip;
    }
    pos += chunk + (chunk & 1);  // chunks are padded to an even size
  }
  bad_wave(have_format ? "no \"data\" chunk" : "no \"fmt \" chunk");
}

}  // namespace platform
