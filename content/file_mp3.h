// MP3 encoding through LAME for the play music.
#pragma once

#include <vector>

#include "content/bytes.h"

namespace content {

// Encodes interleaved stereo float samples ([-1, 1]) at `rate` Hz into a constant-bitrate MPEG-1
// Layer III stream of `kbps` kilobits per second, with no tags, so the file starts with a frame.
Bytes encode_mp3(const std::vector<float>& left, const std::vector<float>& right, int rate,
                 int kbps);

}  // namespace content
