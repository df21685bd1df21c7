// JPEG writer through libjpeg's memory destination; the settings are fixed, so the bytes are too.
#include "content/file_jpeg.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace content {
namespace {

// libjpeg reports errors by calling error_exit; it must not return, and unwinding C++ exceptions
// through the library's C frames is not safe, so it jumps back here instead.
struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf back;
  char text[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr info) {
  ErrorJump* e = reinterpret_cast<ErrorJump*>(info->err);
  (*info->err->format_message)(info, e->text);
  std::longjmp(e->back, 1);
}

}  // namespace

Bytes write_jpeg(const Image& image, int quality) {
  const std::vector<uint8_t> px = image.rgba8();
  std::vector<uint8_t> row(static_cast<size_t>(image.width()) * 3);
  jpeg_compress_struct cinfo{};
  ErrorJump err{};
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = on_error;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(err.back)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    throw std::runtime_error(std::string("JPEG: ") + err.text);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width());
  cinfo.image_height = static_cast<JDIMENSION>(image.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* src = &px[static_cast<size_t>(cinfo.next_scanline) * image.width() * 4];
    for (int x = 0; x < image.width(); ++x)
      for (int c = 0; c < 3; ++c) row[static_cast<size_t>(x) * 3 + c] = src[x * 4 + c];
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

}  // namespace content
