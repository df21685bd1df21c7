// Fuzzes the JPEG reader the textures use, and prepares the texels of what it decodes.
#include <cstdint>
#include <vector>

#include "engine/texture.h"
#include "platform/error.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::Picture picture;
  try {
    picture = platform::decode_jpeg(std::vector<uint8_t>(data, data + size));
  } catch (const Exception&) {
    return 0;
  }
  std::vector<uint8_t> texels = picture.rgba;
  apply_image_alpha(texels, tiaLuminance);
  encode_bmp32(picture);
  return 0;
}
