// JPEG pictures through libjpeg. Its errors leave by longjmp, so the decoding runs in a function
// that holds nothing with a destructor; the message is turned into an Exception afterwards.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

// libjpeg needs size_t and FILE declared before it.
#include <jpeglib.h>
// Its message codes, after the library's own header.
#include <jerror.h>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr size_t kMaxPixels = size_t{1} << 26;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void error_exit(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  manager->base.format_message(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings stay quiet, except running out of data: a truncated file is an error, not a picture
// padded with grey.
void emit_message(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) error_exit(info);
}

// The whole file is in memory; asking for more than there is means it was cut short.
void init_source(j_decompress_ptr) {}
boolean fill_input_buffer(j_decompress_ptr info) {
  info->err->msg_code = JWRN_JPEG_EOF;
  error_exit(reinterpret_cast<j_common_ptr>(info));
  return FALSE;
}
void skip_input_data(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* source = info->src;
  if (static_cast<size_t>(count) > source->bytes_in_buffer) fill_input_buffer(info);
  source->next_input_byte += count;
  source->bytes_in_buffer -= static_cast<size_t>(count);
}
void term_source(j_decompress_ptr) {}

// Plain data the C side may write into; the caller owns the buffer.
struct Output {
  int width = 0, height = 0, components = 0;
  bool cmyk = false;
  bool too_large = false;
  uint8_t* pixels = nullptr;  // set by the caller between the two passes
};

bool read_header(jpeg_decompress_struct* info, ErrorManager* errors, jpeg_source_mgr* source,
                 const uint8_t* data, size_t size, Output* out) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(info);
  info->src = source;
  source->next_input_byte = data;
  source->bytes_in_buffer = size;
  jpeg_read_header(info, TRUE);
  out->cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
  info->out_color_space = out->cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_calc_output_dimensions(info);
  out->width = static_cast<int>(info->output_width);
  out->height = static_cast<int>(info->output_height);
  out->components = info->out_color_components;
  out->too_large = static_cast<size_t>(out->width) * static_cast<size_t>(out->height) > kMaxPixels;
  return true;
}

bool read_pixels(jpeg_decompress_struct* info, ErrorManager* errors, Output* out) {
  if (setjmp(errors->jump)) return false;
  jpeg_start_decompress(info);
  size_t row_bytes = static_cast<size_t>(out->width) * 4;
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = out->pixels + info->output_scanline * row_bytes;
    jpeg_read_scanlines(info, &row, 1);
  }
  jpeg_finish_decompress(info);
  return true;
}

}  // namespace

Picture decode_jpeg(const std::vector<uint8_t>& data) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  std::memset(&info, 0, sizeof info);
  std::memset(&errors, 0, sizeof errors);
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = error_exit;
  errors.base.emit_message = emit_message;
  jpeg_source_mgr source{};
  source.init_source = init_source;
  source.fill_input_buffer = fill_input_buffer;
  source.skip_input_data = skip_input_data;
  source.resync_to_restart = jpeg_resync_to_restart;
  source.term_source = term_source;

  Output out;
  Picture picture;
  bool ok = read_header(&info, &errors, &source, data.data(), data.size(), &out);
  if (ok && out.too_large) {
    jpeg_destroy_decompress(&info);
    throw Exception("JPEG image too large (" + std::to_string(out.width) + " x " +
                    std::to_string(out.height) + ")");
  }
  if (ok) {
    // CMYK comes out four bytes a pixel as well, converted to RGBA in place below.
    picture.rgba.resize(static_cast<size_t>(out.width) * out.height * 4);
    out.pixels = picture.rgba.data();
    ok = read_pixels(&info, &errors, &out);
  }
  jpeg_destroy_decompress(&info);
  if (!ok) throw Exception(errors.message);

  picture.width = out.width;
  picture.height = out.height;
  picture.bits = out.cmyk ? 32 : 24;
  if (out.cmyk) {
    // Adobe writes CMYK inverted: each byte is already 255 minus the ink.
    for (size_t i = 0; i < picture.rgba.size(); i += 4) {
      uint8_t* p = &picture.rgba[i];
      unsigned k = p[3];
      p[0] = static_cast<uint8_t>(p[0] * k / 255);
      p[1] = static_cast<uint8_t>(p[1] * k / 255);
      p[2] = static_cast<uint8_t>(p[2] * k / 255);
      p[3] = 255;
    }
  }
  return picture;
}

}  // namespace platform
