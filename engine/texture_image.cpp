// Texture pictures read from JPEG and Windows bitmap files or bytes, through the platform's
// decoders (kept apart so that using materials does not pull the decoders in).
#include <cctype>

#include "engine/texture.h"
#include "platform/error.h"

namespace {

std::string lower_extension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

void TGLPersistentImage::LoadFromFile(const std::string& file_name) {
  if (!platform::file_exists(file_name)) {
    Clear();
    throw Exception("Could not open file: " + file_name);
  }
  std::vector<uint8_t> data = platform::read_file(file_name);
  std::string ext = lower_extension(file_name);
  if (ext == "bmp") {
    LoadFromBitmap(data);
    return;
  }
  platform::Picture p = (ext == "jpg" || ext == "jpeg") ? platform::decode_jpeg(data)
                                                        : platform::decode_picture(data);
  picture_ = std::move(p);
  bitmap_.clear();
  changed();
}

void TGLPersistentImage::LoadFromBitmap(const std::vector<uint8_t>& bmp) {
  platform::Picture p = platform::decode_bmp(bmp);
  picture_ = std::move(p);
  bitmap_ = bmp;
  changed();
}
