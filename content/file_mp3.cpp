// MP3 encoding through libmp3lame: fixed settings, no ID3 or Xing tags, so the same samples
// always give the same bytes.
#include "content/file_mp3.h"

#include <lame/lame.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace content {

Bytes encode_mp3(const std::vector<float>& left, const std::vector<float>& right, int rate,
                 int kbps) {
  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> gf(lame_init(), lame_close);
  if (!gf) throw std::runtime_error("LAME: cannot initialise the encoder");
  lame_set_in_samplerate(gf.get(), rate);
  lame_set_out_samplerate(gf.get(), rate);
  lame_set_num_channels(gf.get(), 2);
  lame_set_mode(gf.get(), JOINT_STEREO);
  lame_set_brate(gf.get(), kbps);
  lame_set_VBR(gf.get(), vbr_off);
  lame_set_quality(gf.get(), 5);
  lame_set_bWriteVbrTag(gf.get(), 0);
  lame_set_write_id3tag_automatic(gf.get(), 0);
  if (lame_init_params(gf.get()) < 0) throw std::runtime_error("LAME: bad encoder settings");

  const size_t frames = std::min(left.size(), right.size());
  const size_t block = 8192;
  Bytes out;
  std::vector<unsigned char> buf(block * 5 / 4 + 7200);
  for (size_t at = 0; at < frames; at += block) {
    int n = static_cast<int>(std::min(block, frames - at));
    int got = lame_encode_buffer_ieee_float(gf.get(), left.data() + at, right.data() + at, n,
                                            buf.data(), static_cast<int>(buf.size()));
    if (got < 0) throw std::runtime_error("LAME: encoding failed");
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  int got = lame_encode_flush(gf.get(), buf.data(), static_cast<int>(buf.size()));
  if (got < 0) throw std::runtime_error("LAME: flushing failed");
  out.insert(out.end(), buf.begin(), buf.begin() + got);
  return out;
}

}  // namespace content
