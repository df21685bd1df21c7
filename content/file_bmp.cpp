// Windows bitmap writer: BITMAPFILEHEADER, BITMAPINFOHEADER, rows bottom-up, BGR, padded to 4.
#include "content/file_bmp.h"

namespace content {

Bytes write_bmp(const Image& image) {
  const int w = image.width(), h = image.height();
  const uint32_t row = static_cast<uint32_t>((w * 3 + 3) & ~3);
  const uint32_t data = row * static_cast<uint32_t>(h);
  std::vector<uint8_t> px = image.rgba8();
  ByteWriter out;
  out.text("BM");
  out.u32le(14 + 40 + data);
  out.u32le(0);
  out.u32le(14 + 40);
  out.u32le(40);
  out.i32le(w);
  out.i32le(h);
  out.u16le(1);
  out.u16le(24);
  out.u32le(0);  // no compression
  out.u32le(data);
  out.i32le(2835);  // 72 dpi
  out.i32le(2835);
  out.u32le(0);
  out.u32le(0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
      out.u8(p[2]);
      out.u8(p[1]);
      out.u8(p[0]);
    }
    for (uint32_t pad = static_cast<uint32_t>(w) * 3; pad < row; ++pad) out.u8(0);
  }
  return std::move(out.bytes());
}

}  // namespace content
