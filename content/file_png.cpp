// PNG writer through libpng's simplified interface.
#include "content/file_png.h"

#include <png.h>

#include <stdexcept>

namespace content {

Bytes write_png(const Image& image) {
  std::vector<uint8_t> px = image.rgba8();
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(image.width());
  img.height = static_cast<png_uint_32>(image.height());
  img.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&img, nullptr, &size, 0, px.data(), 0, nullptr))
    throw std::runtime_error("PNG: " + std::string(img.message));
  Bytes out(size);
  if (!png_image_write_to_memory(&img, out.data(), &size, 0, px.data(), 0, nullptr))
    throw std::runtime_error("PNG: " + std::string(img.message));
  out.resize(size);
  return out;
}

}  // namespace content
