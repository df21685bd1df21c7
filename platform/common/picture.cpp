// Pictures by content: the decoder is chosen by the file's signature, not by its name.
#include "platform/platform.h"

namespace platform {

Picture decode_picture(const std::vector<uint8_t>& data) {
  if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    return decode_jpeg(data);
  }
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return decode_bmp(data);
  throw Exception("Unknown picture format");
}

}  // namespace platform
