// Picture decoders and the font rasteriser: crafted bitmaps of every depth, JPEG round trips
// through libjpeg's encoder, and bad or cut-short data of both kinds ending in an Exception.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/common/picture_fit.h"
#include "platform/platform.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
void put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A Windows bitmap with a 40-byte info header; `extra` (palette or masks) follows the header.
Bytes make_bmp(int width, int height, int bits, const Bytes& extra, const Bytes& pixels,
               uint32_t compression = 0, uint32_t colours = 0) {
  Bytes b(54, 0);
  b[0] = 'B', b[1] = 'M';
  uint32_t offset = static_cast<uint32_t>(54 + extra.size());
  put32(b, 2, static_cast<uint32_t>(offset + pixels.size()));
  put32(b, 10, offset);
  put32(b, 14, 40);
  put32(b, 18, static_cast<uint32_t>(width));
  put32(b, 22, static_cast<uint32_t>(height));
  put16(b, 26, 1);
  put16(b, 28, static_cast<uint32_t>(bits));
  put32(b, 30, compression);
  put32(b, 34, static_cast<uint32_t>(pixels.size()));
  put32(b, 46, colours);
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

Bytes pixel(const platform::Picture& p, int x, int y) {
  size_t at = (static_cast<size_t>(y) * p.width + x) * 4;
  return Bytes(p.rgba.begin() + at, p.rgba.begin() + at + 4);
}

std::string error_of(const Bytes& data, platform::Picture (*decode)(const Bytes&)) {
  try {
    decode(data);
  } catch (const Exception& error) {
    return error.what();
  }
  return "(no error)";
}

// Palette of three entries, stored blue, green, red, reserved.
const Bytes kPalette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};

Bytes eight_bit_sample() {
  // 3 x 2, bottom row first, each row padded to 4 bytes.
  return make_bmp(3, 2, 8, kPalette, {2, 2, 2, 0, 0, 1, 2, 0}, 0, 3);
}

Bytes encode_jpeg(int width, int height, int components, const Bytes& pixels) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&pixels[info.next_scanline * width * components]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// 16 x 16: the left half red, the right half blue.
Bytes two_colour_jpeg() {
  Bytes rgb(16 * 16 * 3);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      uint8_t* p = &rgb[(y * 16 + x) * 3];
      p[0] = x < 8 ? 255 : 0;
      p[2] = x < 8 ? 0 : 255;
    }
  }
  return encode_jpeg(16, 16, 3, rgb);
}

void expect_near(const Bytes& got, const Bytes& want, int tolerance) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i], want[i], tolerance) << "channel " << i;
  }
}

}  // namespace

TEST(BmpReader, EightBitPaletteBottomUpWithPadding) {
  auto p = platform::decode_bmp(eight_bit_sample());
  ASSERT_EQ(p.width, 3);
  ASSERT_EQ(p.height, 2);
  EXPECT_EQ(p.bits, 8);
  EXPECT_EQ(pixel(p, 0, 0), (Bytes{255, 0, 0, 255})) << "the last stored row is the top";
  EXPECT_EQ(pixel(p, 1, 0), (Bytes{0, 255, 0, 255}));
  EXPECT_EQ(pixel(p, 2, 0), (Bytes{0, 0, 255, 255}));
  EXPECT_EQ(pixel(p, 0, 1), (Bytes{0, 0, 255, 255}));
}

TEST(BmpReader, IndexPastThePaletteIsBlack) {
  auto p = platform::decode_bmp(make_bmp(1, 1, 8, kPalette, {200, 0, 0, 0}, 0, 3));
  EXPECT_EQ(pixel(p, 0, 0), (Bytes{0, 0, 0, 255}));
}

TEST(BmpReader, OneAndFourBitRows) {
  // 1 bit, 9 wide: bits 1 0 1 1 0 0 0 0 | 1 -> two bytes, padded to 4.
  Bytes two = {0, 0, 0, 0, 255, 255, 255, 0};
  auto mono = platform::decode_bmp(make_bmp(9, 1, 1, two, {0xB0, 0x80, 0, 0}));
  EXPECT_EQ(pixel(mono, 0, 0), (Bytes{255, 255, 255, 255}));
  EXPECT_EQ(pixel(mono, 1, 0), (Bytes{0, 0, 0, 255}));
  EXPECT_EQ(pixel(mono, 3, 0), (Bytes{255, 255, 255, 255}));
  EXPECT_EQ(pixel(mono, 8, 0), (Bytes{255, 255, 255, 255}));
  // 4 bit, 3 wide: indices 2 1 0.
  auto nibbles = platform::decode_bmp(make_bmp(3, 1, 4, kPalette, {0x21, 0x00, 0, 0}, 0, 3));
  EXPECT_EQ(pixel(nibbles, 0, 0), (Bytes{0, 0, 255, 255}));
  EXPECT_EQ(pixel(nibbles, 1, 0), (Bytes{0, 255, 0, 255}));
  EXPECT_EQ(pixel(nibbles, 2, 0), (Bytes{255, 0, 0, 255}));
}

TEST(BmpReader, TwentyFourBitTopDown) {
  // Negative height: the first stored row is the top. Rows of 2 pixels are 6 bytes + 2 padding.
  Bytes rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 10, 20, 30, 0, 0};
  auto p = platform::decode_bmp(make_bmp(2, -2, 24, {}, rows));
  ASSERT_EQ(p.height, 2);
  EXPECT_EQ(p.bits, 24);
  EXPECT_EQ(pixel(p, 0, 0), (Bytes{255, 0, 0, 255}));
  EXPECT_EQ(pixel(p, 1, 0), (Bytes{0, 255, 0, 255}));
  EXPECT_EQ(pixel(p, 0, 1), (Bytes{0, 0, 255, 255}));
  EXPECT_EQ(pixel(p, 1, 1), (Bytes{30, 20, 10, 255}));
}

TEST(BmpReader, ThirtyTwoBitAlpha) {
  // Plain 32 bit with every fourth byte zero: opaque.
  auto opaque = platform::decode_bmp(make_bmp(1, 1, 32, {}, {10, 20, 30, 0}));
  EXPECT_EQ(pixel(opaque, 0, 0), (Bytes{30, 20, 10, 255}));
  // Some fourth byte set: it is the alpha.
  auto blended = platform::decode_bmp(make_bmp(2, 1, 32, {}, {10, 20, 30, 128, 1, 2, 3, 0}));
  EXPECT_EQ(pixel(blended, 0, 0), (Bytes{30, 20, 10, 128}));
  EXPECT_EQ(pixel(blended, 1, 0), (Bytes{3, 2, 1, 0}));
  // Bit fields in RGBA byte order, with an alpha mask after the three colour masks.
  Bytes masks(16);
  put32(masks, 0, 0x000000FF);
  put32(masks, 4, 0x0000FF00);
  put32(masks, 8, 0x00FF0000);
  put32(masks, 12, 0xFF000000);
  auto fields = platform::decode_bmp(make_bmp(1, 1, 32, masks, {40, 50, 60, 70}, 6));
  EXPECT_EQ(pixel(fields, 0, 0), (Bytes{40, 50, 60, 70}));
}

TEST(BmpReader, SixteenBitFiveFiveFiveAndBitFields) {
  // 555: red 31, green 0, blue 16.
  uint32_t v = (31 << 10) | 16;
  auto p = platform::decode_bmp(make_bmp(1, 1, 16, {}, {uint8_t(v), uint8_t(v >> 8), 0, 0}));
  EXPECT_EQ(pixel(p, 0, 0), (Bytes{255, 0, 132, 255}));
  // 565 through bit fields: green 63.
  Bytes masks(12);
  put32(masks, 0, 0xF800);
  put32(masks, 4, 0x07E0);
  put32(masks, 8, 0x001F);
  auto q = platform::decode_bmp(make_bmp(1, 1, 16, masks, {0xE0, 0x07, 0, 0}, 3));
  EXPECT_EQ(pixel(q, 0, 0), (Bytes{0, 255, 0, 255}));
}

TEST(BmpReader, BadHeadersAreRejected) {
  Bytes good = eight_bit_sample();
  auto with = [&](size_t at, uint32_t value, bool wide = true) {
    Bytes b = good;
    if (wide)
      put32(b, at, value);
    else
      put16(b, at, value);
    return error_of(b, platform::decode_bmp);
  };
  const std::string prefix = "Bitmap image is not valid: ";
  EXPECT_EQ(error_of(Bytes(good.begin(), good.begin() + 30), platform::decode_bmp),
            prefix + "header truncated");
  EXPECT_EQ(error_of(Bytes(good.begin(), good.end() - 1), platform::decode_bmp),
            prefix + "pixel data truncated");
  EXPECT_EQ(with(18, 100000), prefix + "picture too large (100000 x 2)");
  EXPECT_EQ(with(18, 0x80000000u), prefix + "empty picture");
  EXPECT_EQ(with(18, 30000), prefix + "pixel data truncated") << "a width the data cannot hold";
  EXPECT_EQ(with(22, 0x80000000u), prefix + "picture too large (3 x 2147483648)");
  EXPECT_EQ(with(10, 5000), prefix + "bad pixel data offset 5000");
  EXPECT_EQ(with(10, 20), prefix + "bad pixel data offset 20");
  EXPECT_EQ(with(14, 41), prefix + "unknown header size 41");
  EXPECT_EQ(with(14, 0xFFFFFFF0u), prefix + "unknown header size 4294967280");
  EXPECT_EQ(with(26, 0, false), prefix + "plane count 0");
  EXPECT_EQ(with(28, 7, false), prefix + "unsupported bit depth 7");
  EXPECT_EQ(with(30, 1), prefix + "compressed bitmaps are not supported");
  EXPECT_EQ(with(30, 3), prefix + "bit fields need 16 or 32 bits");
  EXPECT_EQ(error_of(Bytes{'B', 'X', 0, 0}, platform::decode_bmp), prefix + "no BM signature");
  Bytes no_masks(12, 0);
  EXPECT_EQ(error_of(make_bmp(1, 1, 16, no_masks, {0, 0, 0, 0}, 3), platform::decode_bmp),
            prefix + "empty colour masks");
}

TEST(BmpReader, PicturesWhoseBufferWouldPassTheLimitAreRefused) {
  // Four bytes a pixel, 256 MiB at most: a 1-bit file of 8 MiB may not ask for more.
  const std::string prefix = "Bitmap image is not valid: ";
  const Bytes two_colours = {0, 0, 0, 0, 255, 255, 255, 0};
  Bytes rows(size_t{1024} * 8193, 0);  // 8192 bits a row
  EXPECT_EQ(error_of(make_bmp(8192, 8193, 1, two_colours, rows, 0, 2), platform::decode_bmp),
            prefix + "picture too large (8192 x 8193)");
  EXPECT_EQ(error_of(make_bmp(32768, 32768, 1, two_colours, {}, 0, 2), platform::decode_bmp),
            prefix + "picture too large (32768 x 32768)")
      << "refused before the data is even looked at";
  EXPECT_EQ(error_of(make_bmp(8192, 8192, 1, two_colours, {}, 0, 2), platform::decode_bmp),
            prefix + "pixel data truncated")
      << "exactly 256 MiB is allowed; here only the data is missing";
  EXPECT_EQ(error_of(make_bmp(32768, 2048, 1, two_colours, {}, 0, 2), platform::decode_bmp),
            prefix + "pixel data truncated");
}

TEST(BmpReader, EveryCutAndFlipEndsInAnExceptionOrAPicture) {
  // Under the sanitizers this proves no read leaves the data.
  Bytes good = eight_bit_sample();
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_THROW(platform::decode_bmp(Bytes(good.begin(), good.begin() + n)), Exception) << n;
  }
  for (size_t at = 0; at < good.size(); ++at) {
    for (uint8_t value : {uint8_t{0}, uint8_t{0x7F}, uint8_t{0xFF}}) {
      Bytes b = good;
      b[at] = value;
      try {
        auto p = platform::decode_bmp(b);
        EXPECT_EQ(p.rgba.size(), static_cast<size_t>(p.width) * p.height * 4);
      } catch (const Exception&) {
      }
    }
  }
}

TEST(JpegReader, RoundTripThroughLibjpeg) {
  auto p = platform::decode_jpeg(two_colour_jpeg());
  ASSERT_EQ(p.width, 16);
  ASSERT_EQ(p.height, 16);
  EXPECT_EQ(p.bits, 24);
  expect_near(pixel(p, 2, 5), {255, 0, 0, 255}, 8);
  expect_near(pixel(p, 13, 10), {0, 0, 255, 255}, 8);

  Bytes grey(8 * 8, 100);
  auto g = platform::decode_jpeg(encode_jpeg(8, 8, 1, grey));
  EXPECT_EQ(g.bits, 24);
  expect_near(pixel(g, 4, 4), {100, 100, 100, 255}, 2);
}

TEST(JpegReader, PictureIsChosenBySignature) {
  EXPECT_EQ(platform::decode_picture(two_colour_jpeg()).width, 16);
  EXPECT_EQ(platform::decode_picture(eight_bit_sample()).width, 3);
  EXPECT_EQ(error_of(Bytes{'G', 'I', 'F', '8'}, platform::decode_picture),
            "Unknown picture format");
  EXPECT_EQ(error_of(Bytes{}, platform::decode_picture), "Unknown picture format");
}

TEST(JpegReader, CorruptAndTruncatedDataThrow) {
  Bytes good = two_colour_jpeg();
  EXPECT_EQ(error_of(Bytes(good.begin(), good.begin() + good.size() / 2), platform::decode_jpeg),
            "Premature end of JPEG file");
  EXPECT_EQ(error_of(Bytes{'B', 'M', 0, 0}, platform::decode_jpeg),
            "Not a JPEG file: starts with 0x42 0x4d");
  EXPECT_EQ(error_of(Bytes{}, platform::decode_jpeg), "Premature end of JPEG file");
  for (size_t n = 0; n < good.size(); n += 7) {
    EXPECT_THROW(platform::decode_jpeg(Bytes(good.begin(), good.begin() + n)), Exception) << n;
  }
  // Garbage after the start marker: libjpeg's own complaint, never a crash.
  Bytes garbage = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x13, 0x37};
  EXPECT_THROW(platform::decode_jpeg(garbage), Exception);
  // A frame header claiming a huge picture is refused before any pixel memory is taken.
  for (size_t at = 0; at + 9 < good.size(); ++at) {
    if (good[at] == 0xFF && good[at + 1] == 0xC0) {
      Bytes huge = good;
      huge[at + 5] = huge[at + 7] = 0xFF;
      huge[at + 6] = huge[at + 8] = 0xDC;  // 65500, libjpeg's own limit
      EXPECT_EQ(error_of(huge, platform::decode_jpeg), "JPEG image too large (65500 x 65500)");
    }
  }
}

TEST(FontRasterizer, ArialBlackFallsBackToAnInstalledFace) {
  platform::FontFace font = platform::rasterize_font("Arial Black", 15, false);
  ASSERT_EQ(font.glyphs.size(), 256u);
  EXPECT_GT(font.ascent, 0);
  EXPECT_GT(font.height, 0);
  const platform::Glyph& a = font.glyphs['A'];
  EXPECT_GT(a.width, 0);
  EXPECT_GT(a.height, 5);
  EXPECT_LE(a.height, 20);
  EXPECT_GT(a.advance, 0);
  ASSERT_EQ(a.alpha.size(), static_cast<size_t>(a.width) * a.height);
  int covered = 0;
  for (uint8_t v : a.alpha) covered += v > 128;
  EXPECT_GT(covered, 5) << "the glyph must have ink";

  EXPECT_EQ(font.glyphs[' '].alpha.size(), 0u);
  EXPECT_GT(font.glyphs[' '].advance, 0);
  // Windows-1250: 0xF8 is r with caron, 0x9E z with caron.
  EXPECT_GT(font.glyphs[0xF8].alpha.size(), 0u);
  EXPECT_GT(font.glyphs[0x9E].alpha.size(), 0u);
  EXPECT_GT(font.glyphs[0xF8].top, font.glyphs['r'].top) << "the caron sits above the r";
}

TEST(FontRasterizer, CzechTextMapsToTheCodePage) {
  std::string bytes = platform::utf8_to_cp1250("Příliš žluťoučký kůň");
  EXPECT_EQ(bytes, "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2");
  for (unsigned char c : bytes) EXPECT_NE(platform::cp1250_to_unicode(c), 0u);
  EXPECT_EQ(platform::cp1250_to_unicode(0xF8), 0x0159u);
  EXPECT_EQ(platform::cp1250_to_unicode(0x81), 0u);
  EXPECT_EQ(platform::utf8_to_cp1250("a\xC3"), "a?") << "a cut sequence";
  EXPECT_EQ(platform::utf8_to_cp1250("\xE2\x82\xAC\xE2\x98\x83"), "\x80?");
}

TEST(PictureFit, ScalesToFitCentredWithBars) {
  using platform::detail::fit_picture;
  auto wide = fit_picture(640, 480, 1920, 1080);
  EXPECT_EQ(wide.width, 1440);
  EXPECT_EQ(wide.height, 1080);
  EXPECT_EQ(wide.x, 240) << "bars left and right";
  EXPECT_EQ(wide.y, 0);
  auto tall = fit_picture(640, 480, 1280, 1024);
  EXPECT_EQ(tall.width, 1280);
  EXPECT_EQ(tall.height, 960);
  EXPECT_EQ(tall.y, 32) << "bars above and below";
  auto same = fit_picture(640, 480, 640, 480);
  EXPECT_EQ(same.x, 0);
  EXPECT_EQ(same.width, 640);
  auto empty = fit_picture(640, 480, 0, 0);
  EXPECT_GE(empty.width, 1) << "a minimised window must not divide by zero later";
}

TEST(PictureFit, WindowPointsMapBackToPicturePixels) {
  using platform::detail::picture_point;
  auto placement = platform::detail::fit_picture(640, 480, 1920, 1080);
  auto at = [&](int x, int y) {
    auto p = picture_point(placement, 640, 480, x, y);
    return std::vector<int>{p.x, p.y};
  };
  EXPECT_EQ(at(240, 0), (std::vector<int>{0, 0}));
  EXPECT_EQ(at(960, 540), (std::vector<int>{320, 240}));
  EXPECT_EQ(at(1679, 1079), (std::vector<int>{639, 479}));
  EXPECT_EQ(at(100, 540), (std::vector<int>{0, 240})) << "the left bar clamps to the edge";
  EXPECT_EQ(at(239, 540), (std::vector<int>{0, 240}));
  EXPECT_EQ(at(1900, 540), (std::vector<int>{639, 240}));
  EXPECT_EQ(at(-50, -50), (std::vector<int>{0, 0}));
}
