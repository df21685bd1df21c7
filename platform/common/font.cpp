// The system font rasteriser: fontconfig finds the nearest installed face for a family name and
// FreeType draws the 256 glyphs of the Windows-1250 code page, so Czech texts come out whole.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <memory>

#include "platform/platform.h"

namespace platform {
namespace {

// The upper half of Windows-1250 in Unicode; 0 where the code page has no character.
constexpr uint16_t kUpperHalf[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

struct FcPatternFree {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, FcPatternFree>;

struct FaceFree {
  void operator()(FT_Face f) const { FT_Done_Face(f); }
};
struct LibraryFree {
  void operator()(FT_Library l) const { FT_Done_FreeType(l); }
};

[[noreturn]] void no_font(const std::string& family) {
  throw Exception("Cannot find a font for \"" + family + "\"");
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The file and face index of the installed face nearest to the request.
std::pair<std::string, int> match_face(const std::string& family, int pixel_height, bool bold) {
  if (!FcInit()) no_font(family);
  Pattern pattern(FcPatternCreate());
  if (!pattern) no_font(family);
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  // "Arial Black" is a heavy face by its name alone; elsewhere the nearest is a bold one.
  int weight = ends_with(family, " Black") ? FC_WEIGHT_BLACK
               : bold                      ? FC_WEIGHT_BOLD
                                           : FC_WEIGHT_REGULAR;
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, weight);
  FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, pixel_height);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) {
    no_font(family);
  }
  int index = 0;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  return {reinterpret_cast<const char*>(file), index};
}

Glyph render_glyph(FT_Face face, uint32_t code_point) {
  Glyph glyph;
  if (code_point == 0 || FT_Get_Char_Index(face, code_point) == 0) return glyph;
  if (FT_Load_Char(face, code_point, FT_LOAD_RENDER) != 0) return glyph;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.height = static_cast<int>(bitmap.rows);
  glyph.alpha.assign(static_cast<size_t>(glyph.width) * glyph.height, 0);
  for (int y = 0; y < glyph.height; ++y) {
    const uint8_t* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
    uint8_t* out = &glyph.alpha[static_cast<size_t>(y) * glyph.width];
    for (int x = 0; x < glyph.width; ++x) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
      } else {
        out[x] = row[x];
      }
    }
  }
  return glyph;
}

}  // namespace

uint32_t cp1250_to_unicode(uint8_t code) { return code < 128 ? code : kUpperHalf[code - 128]; }

FontFace rasterize_font(const std::string& family, int pixel_height, bool bold) {
  if (pixel_height < 1) pixel_height = 1;
  auto [file, index] = match_face(family, pixel_height, bold);

  FT_Library raw_library = nullptr;
  if (FT_Init_FreeType(&raw_library) != 0) no_font(family);
  std::unique_ptr<FT_LibraryRec_, LibraryFree> library(raw_library);
  FT_Face raw_face = nullptr;
  if (FT_New_Face(library.get(), file.c_str(), index, &raw_face) != 0) no_font(family);
  std::unique_ptr<FT_FaceRec_, FaceFree> face(raw_face);
  if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixel_height)) != 0) no_font(family);

  FontFace font;
  const FT_Size_Metrics& metrics = face->size->metrics;
  font.ascent = static_cast<int>((metrics.ascender + 32) >> 6);
  font.descent = static_cast<int>((-metrics.descender + 32) >> 6);
  font.height = static_cast<int>((metrics.height + 32) >> 6);
  font.glyphs.resize(256);
  // Control codes have no glyph; everything from the space up is drawn.
  for (int code = 32; code < 256; ++code) {
    font.glyphs[code] = render_glyph(face.get(), cp1250_to_unicode(static_cast<uint8_t>(code)));
  }
  return font;
}

std::string utf8_to_cp1250(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    auto byte = static_cast<uint8_t>(text[i]);
    uint32_t code = byte;
    size_t length = 1;
    if (byte >= 0xF0)
      length = 4, code = byte & 0x07;
    else if (byte >= 0xE0)
      length = 3, code = byte & 0x0F;
    else if (byte >= 0xC0)
      length = 2, code = byte & 0x1F;
    else if (byte >= 0x80)
      length = 0;  // a stray continuation byte
    bool whole = length > 0 && i + length <= text.size();
    for (size_t k = 1; whole && k < length; ++k) {
      auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) whole = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (!whole) {
      out.push_back('?');
      ++i;
      continue;
    }
    i += length;
    char mapped = '?';
    if (code < 128) {
      mapped = static_cast<char>(code);
    } else {
      for (int k = 0; k < 128; ++k) {
        if (kUpperHalf[k] == code) mapped = static_cast<char>(128 + k);
      }
    }
    out.push_back(mapped);
  }
  return out;
}

}  // namespace platform
