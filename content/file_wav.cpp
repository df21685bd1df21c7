// RIFF WAVE writer: "RIFF", "WAVE", a 16-byte PCM "fmt " chunk and the "data" chunk.
#include "content/file_wav.h"

#include <algorithm>
#include <cmath>

namespace content {

Bytes write_wav(const std::vector<int16_t>& samples, uint32_t rate) {
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  ByteWriter w;
  w.text("RIFF");
  w.u32le(36 + data);
  w.text("WAVE");
  w.text("fmt ");
  w.u32le(16);
  w.u16le(1);  // PCM
  w.u16le(1);  // mono
  w.u32le(rate);
  w.u32le(rate * 2);
  w.u16le(2);
  w.u16le(16);
  w.text("data");
  w.u32le(data);
  for (int16_t s : samples) w.u16le(static_cast<uint16_t>(s));
  return std::move(w.bytes());
}

std::vector<int16_t> to_pcm16(const std::vector<float>& samples) {
  std::vector<int16_t> out(samples.size());
  for (size_t i = 0; i < samples.size(); ++i)
    out[i] = static_cast<int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
  return out;
}

}  // namespace content
