// The PNG writer over libpng; its error jumps end in our exception.
#include "platform/headless/png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>

#include "platform/error.h"

namespace platform::headless {

namespace {

struct FileClose {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

void write_png(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height) {
  if (width <= 0 || height <= 0 ||
      rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    throw Exception("Cannot write \"" + path + "\": no picture");
  std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "wb"));
  if (!file) throw Exception("Cannot write \"" + path + "\"");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    throw Exception("Cannot write \"" + path + "\"");
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[static_cast<size_t>(y)] =
        const_cast<png_bytep>(rgba.data() + static_cast<size_t>(y) * width * 4);
  // libpng reports failures by jumping back here; nothing with a destructor lives in between.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw Exception("Cannot write \"" + path + "\"");
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
}

}  // namespace platform::headless
