// Our reader of uncompressed Windows bitmaps (1, 4, 8 bit palettised, 16, 24, 32 bit, either row
// order): every header field and size is checked against the data before a pixel is read.
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr uint32_t kRgb = 0;        // BI_RGB
constexpr uint32_t kBitfields = 3;  // BI_BITFIELDS
constexpr uint32_t kAlphaBitfields = 6;
constexpr int64_t kMaxSide = 32768;
// The decoded picture is four bytes a pixel: 256 MiB of it is the most we allocate, as for JPEG.
// A small 1-bit file could otherwise ask for gigabytes.
constexpr int64_t kMaxPixels = int64_t{1} << 26;

[[noreturn]] void invalid(const std::string& why) {
  throw Exception("Bitmap image is not valid: " + why);
}

struct Reader {
  const std::vector<uint8_t>& data;
  uint32_t u16(size_t at) const {
    if (at + 2 > data.size()) invalid("header truncated");
    return data[at] | (data[at + 1] << 8);
  }
  uint32_t u32(size_t at) const {
    if (at + 4 > data.size()) invalid("header truncated");
    return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) |
           (static_cast<uint32_t>(data[at + 3]) << 24);
  }
};

// One channel of a bit-field pixel, scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (!mask) return;
    while (!((mask >> shift) & 1)) ++shift;
    max = mask >> shift;
  }
  uint8_t operator()(uint32_t pixel, uint8_t absent) const {
    if (!mask) return absent;
    uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((uint64_t{value} * 255 + max / 2) / max);
  }
};

struct Layout {
  int64_t width = 0, height = 0;  // height > 0
  bool top_down = false;
  int bits = 0;
  uint32_t compression = kRgb;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  size_t palette_at = 0, palette_count = 0, palette_entry = 4;
  size_t pixels_at = 0;
};

Layout read_layout(const std::vector<uint8_t>& data) {
  Reader r{data};
  if (data.size() < 14 || data[0] != 'B' || data[1] != 'M') invalid("no BM signature");
  Layout l;
  l.pixels_at = r.u32(10);
  uint32_t header = r.u32(14);
  size_t header_end = 14 + static_cast<size_t>(header);
  if (header != 12 && header != 40 && header != 52 && header != 56 && header != 108 &&
      header != 124) {
    invalid("unknown header size " + std::to_string(header));
  }
  if (header_end > data.size()) invalid("header truncated");

  uint32_t planes = 0;
  if (header == 12) {
    l.width = r.u16(18);
    l.height = static_cast<int16_t>(r.u16(20));
    planes = r.u16(22);
    l.bits = static_cast<int>(r.u16(24));
    l.palette_entry = 3;
  } else {
    l.width = static_cast<int32_t>(r.u32(18));
    l.height = static_cast<int32_t>(r.u32(22));
    planes = r.u16(26);
    l.bits = static_cast<int>(r.u16(28));
    l.compression = r.u32(30);
    l.palette_count = r.u32(46);
  }
  if (planes != 1) invalid("plane count " + std::to_string(planes));
  if (l.height < 0) {
    l.top_down = true;
    l.height = -l.height;
  }
  if (l.width <= 0 || l.height <= 0) invalid("empty picture");
  if (l.width > kMaxSide || l.height > kMaxSide || l.width * l.height > kMaxPixels) {
    invalid("picture too large (" + std::to_string(l.width) + " x " + std::to_string(l.height) +
            ")");
  }
  switch (l.bits) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      invalid("unsupported bit depth " + std::to_string(l.bits));
  }

  size_t after_header = header_end;
  if (l.compression == kBitfields || l.compression == kAlphaBitfields) {
    if (l.bits != 16 && l.bits != 32) invalid("bit fields need 16 or 32 bits");
    size_t count = l.compression == kAlphaBitfields ? 4 : 3;
    // A plain info header has the masks after it; the later headers carry them inside.
    size_t masks_at = 54;
    if (header == 40) after_header += count * 4;
    for (size_t i = 0; i < count; ++i) l.masks[i] = r.u32(masks_at + i * 4);
    if (header >= 56) l.masks[3] = r.u32(masks_at + 12);
  } else if (l.compression != kRgb) {
    invalid("compressed bitmaps are not supported");
  } else if (l.bits == 16) {
    l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
  } else if (l.bits == 32) {
    l.masks[0] = 0x00FF0000, l.masks[1] = 0x0000FF00, l.masks[2] = 0x000000FF;
    l.masks[3] = 0xFF000000;  // used only when some pixel has a non-zero alpha byte
  }
  if (l.bits == 16 || l.bits == 32) {
    if (!l.masks[0] && !l.masks[1] && !l.masks[2]) invalid("empty colour masks");
  }

  if (l.bits > 8) l.palette_count = 0;  // a true-colour bitmap's optional palette is not used
  if (l.bits <= 8) {
    size_t most = size_t{1} << l.bits;
    if (l.palette_count == 0 || l.palette_count > most) l.palette_count = most;
    l.palette_at = after_header;
    if (l.palette_at + l.palette_count * l.palette_entry > data.size())
      invalid("palette truncated");
  }
  if (l.pixels_at < after_header || l.pixels_at > data.size()) {
    invalid("bad pixel data offset " + std::to_string(l.pixels_at));
  }
  return l;
}

}  // namespace

Picture decode_bmp(const std::vector<uint8_t>& data) {
  Layout l = read_layout(data);
  size_t stride = static_cast<size_t>((l.width * l.bits + 31) / 32) * 4;
  size_t rows = static_cast<size_t>(l.height);
  if (stride * rows > data.size() - l.pixels_at) invalid("pixel data truncated");

  uint8_t palette[256][4];  // indices past the palette read as black
  for (auto& entry : palette) entry[0] = entry[1] = entry[2] = 0, entry[3] = 255;
  for (size_t i = 0; i < l.palette_count; ++i) {
    const uint8_t* entry = &data[l.palette_at + i * l.palette_entry];
    palette[i][0] = entry[2];
    palette[i][1] = entry[1];
    palette[i][2] = entry[0];
    palette[i][3] = 255;
  }
  Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]), alpha(l.masks[3]);

  Picture picture;
  picture.width = static_cast<int>(l.width);
  picture.height = static_cast<int>(l.height);
  picture.bits = l.bits;
  picture.rgba.resize(static_cast<size_t>(l.width) * rows * 4);
  bool any_alpha = false;
  for (size_t y = 0; y < rows; ++y) {
    const uint8_t* row = &data[l.pixels_at + y * stride];
    size_t out_row = l.top_down ? y : rows - 1 - y;
    uint8_t* out = &picture.rgba[out_row * static_cast<size_t>(l.width) * 4];
    for (int64_t x = 0; x < l.width; ++x, out += 4) {
      if (l.bits <= 8) {
        size_t bit = static_cast<size_t>(x) * l.bits;
        unsigned index = (row[bit / 8] >> (8 - l.bits - bit % 8)) & ((1u << l.bits) - 1);
        std::memcpy(out, palette[index], 4);
      } else if (l.bits == 24) {
        const uint8_t* p = row + x * 3;
        out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = 255;
      } else {
        uint32_t pixel = 0;
        if (l.bits == 16) {
          pixel = row[x * 2] | (row[x * 2 + 1] << 8);
        } else {
          const uint8_t* p = row + x * 4;
          pixel = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        }
        out[0] = red(pixel, 0), out[1] = green(pixel, 0), out[2] = blue(pixel, 0);
        out[3] = alpha(pixel, 255);
        any_alpha |= (pixel & l.masks[3]) != 0;
      }
    }
  }
  // A plain 32-bit bitmap usually leaves its fourth byte zero: that means opaque, not invisible.
  if (l.bits == 32 && l.compression == kRgb && !any_alpha) {
    for (size_t i = 3; i < picture.rgba.size(); i += 4) picture.rgba[i] = 255;
  }
  return picture;
}

}  // namespace platform
