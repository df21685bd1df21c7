// RIFF WAVE writer for the sound clips: mono, 16-bit PCM.
#pragma once

#include <cstdint>
#include <vector>

#include "content/bytes.h"

namespace content {

Bytes write_wav(const std::vector<int16_t>& samples, uint32_t sample_rate);
// Float samples in [-1, 1] to 16-bit, clipped.
std::vector<int16_t> to_pcm16(const std::vector<float>& samples);

}  // namespace content
