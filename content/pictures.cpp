// The pictures. Screen-space pictures follow the places the game puts its sprites at: the title
// and the menu picture fill `menustart` (centre 315, 243), so a screen point (x, y) is the
// picture's pixel (x + 5, y - 3); the top bar `menuvrch` (centre 315, 42) maps (x, y) to
// (x + 5, y - 4). Texts are Czech, as the game's are.
#include "content/pictures.h"

#include <array>
#include <cmath>

#include "content/build.h"
#include "content/file_bmp.h"
#include "content/file_jpeg.h"
#include "content/levels.h"
#include "content/noise.h"
#include "content/preview.h"
#include "content/rng.h"
#include "content/text.h"
#include "content/textures.h"

namespace content {
namespace {

const Rgba kGold = rgb(1.0f, 0.82f, 0.25f);
const Rgba kYellow = rgb(1.0f, 0.95f, 0.35f);
const Rgba kSteel = rgb(0.55f, 0.6f, 0.68f);

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Stars on a dark sky fading to a red glow at the horizon (the sky dome's colours).
void space_backdrop(Image& img, float horizon, uint32_t seed) {
  img.generate([&](float x, float y) {
    float t = clamp01((y - horizon * 0.2f) / horizon);
    Rgba c = mix(rgb(0.01f, 0.01f, 0.04f), rgb(0.40f, 0.10f, 0.10f), t * t);
    float neb = clamp01(fbm2(x / 140, y / 140, 5, seed) * 0.9f + 0.1f);
    c.r += 0.10f * neb;
    c.b += 0.14f * neb;
    return c;
  });
  Rng rng(seed);
  for (int i = 0; i < 700; ++i) {
    float x = static_cast<float>(rng.range(0, img.width())),
          y = static_cast<float>(rng.range(0, horizon));
    float b = static_cast<float>(rng.range(0.2, 1.0));
    img.circle(x, y, b > 0.93f ? 1.2f : 0.5f, rgb(b, b, std::min(1.0f, b * 1.1f), b));
  }
}

// A planet lit from the upper left.
void planet(Image& img, float cx, float cy, float r, Rgba a, Rgba b, uint32_t seed) {
  for (int y = static_cast<int>(cy - r - 12); y < cy + r + 12; ++y)
    for (int x = static_cast<int>(cx - r - 12); x < cx + r + 12; ++x) {
      float dx = (static_cast<float>(x) + 0.5f - cx) / r,
            dy = (static_cast<float>(y) + 0.5f - cy) / r;
      float d2 = dx * dx + dy * dy;
      if (d2 > 1.0f) {
        float halo = clamp01(1.0f - (std::sqrt(d2) - 1.0f) * 9.0f);
        img.add(x, y, rgb(0.5f, 0.25f, 0.2f), halo * 0.35f);
        continue;
      }
      float dz = std::sqrt(1 - d2);
      float light = clamp01(-dx * 0.6f - dy * 0.5f + dz * 0.6f);
      float n = fbm2(dx * 3 + 10, dy * 8 + 10, 5, seed);
      Rgba c = mix(a, b, clamp01(0.5f + 0.7f * n));
      img.blend(x, y, scale(c, 0.08f + 0.92f * light), clamp01((1 - std::sqrt(d2)) * r));
    }
}

// A jagged ridge of rock against the sky, darker towards the bottom.
void ridge(Image& img, float base, float height, Rgba colour, uint32_t seed) {
  for (int x = 0; x < img.width(); ++x) {
    float top = base - height * (0.5f + 0.5f * fbm2(static_cast<float>(x) / 90.0f, 3.3f, 5, seed));
    for (int y = static_cast<int>(top); y < img.height(); ++y) {
      float k = clamp01((static_cast<float>(y) - top) / 80.0f);
      img.blend(x, y, scale(colour, 1.0f - 0.7f * k), clamp01(static_cast<float>(y) + 1 - top));
    }
  }
}

// A bevelled metal panel.
void panel(Image& img, float x0, float y0, float x1, float y1, float r, Rgba face) {
  img.round_rect(x0, y0, x1, y1, r, rgb(0, 0, 0, 0.6f));
  img.round_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r, scale(face, 1.25f));
  img.round_rect(x0 + 2, y0 + 2.5f, x1 - 2, y1 - 2, r - 1, face);
  img.frame_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r, 1.2f, rgb(0.85f, 0.88f, 0.95f, 0.35f));
}

// A dark recess where a sprite will sit.
void socket(Image& img, float cx, float cy, float w, float h, float margin) {
  float x0 = cx - w / 2 - margin, y0 = cy - h / 2 - margin, x1 = cx + w / 2 + margin,
        y1 = cy + h / 2 + margin;
  img.round_rect(x0, y0, x1, y1, 5, rgb(0.02f, 0.02f, 0.03f));
  img.frame_rect(x0, y0, x1, y1, 5, 2, rgb(0.0f, 0.0f, 0.0f, 0.8f));
  img.frame_rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, 6, 1, rgb(0.8f, 0.7f, 0.4f, 0.5f));
}

// A screen-space button picture: gradient face, frame and a centred label.
Image button(int w, int h, const std::string& label, Rgba top, Rgba bottom, int size) {
  Image img(w, h, rgb(0, 0, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float t = (static_cast<float>(y) + 0.5f) / static_cast<float>(h);
      img.at(x, y) = mix(top, bottom, t);
    }
  img.frame_rect(0.5f, 0.5f, static_cast<float>(w) - 0.5f, static_cast<float>(h) - 0.5f, 4, 2,
                 rgb(1, 0.9f, 0.6f, 0.8f));
  img.frame_rect(3, 3, static_cast<float>(w) - 3, static_cast<float>(h) - 3, 3, 1,
                 rgb(0, 0, 0, 0.5f));
  TextStyle s;
  s.size = size;
  s.colour = kYellow;
  s.shadow = rgb(0, 0, 0, 0.8f);
  s.shadow_offset = 1.5f;
  draw_text(img, label, static_cast<float>(w) / 2,
            static_cast<float>(h) / 2 + static_cast<float>(size) * 0.36f, s, Align::centre);
  return img;
}

Image heart_picture() {
  Image img(35, 25, rgb(0, 0, 0));
  auto heart = [](float x, float y) {
    // Two circles and a point, in a 35 x 25 box.
    float d1 = std::hypot(x - 12.5f, y - 9.5f) - 6.5f, d2 = std::hypot(x - 22.5f, y - 9.5f) - 6.5f;
    float px = std::fabs(x - 17.5f), py = y - 4;
    float tri = std::max(px * 0.85f + (py - 18) * 0.55f, -(py - 6));
    return std::min({d1, d2, tri});
  };
  img.draw_sdf([&](float x, float y) { return heart(x, y) - 2.5f; }, rgb(0.5f, 0.02f, 0.05f), 0, 0,
               35, 25);
  img.draw_sdf(heart, rgb(1.0f, 0.15f, 0.2f), 0, 0, 35, 25);
  img.circle(13, 8, 2.2f, rgb(1, 0.8f, 0.8f, 0.8f));
  return img;
}

Image warning_picture() {
  Image img(156, 26, rgb(0.25f, 0.0f, 0.0f));
  for (int x = -26; x < 156; x += 16)
    img.polygon({{static_cast<float>(x), 26},
                 {static_cast<float>(x) + 8, 26},
                 {static_cast<float>(x) + 34, 0},
                 {static_cast<float>(x) + 26, 0}},
                rgb(0.5f, 0.05f, 0.0f));
  img.frame_rect(0.5f, 0.5f, 155.5f, 25.5f, 3, 2, rgb(1, 0.3f, 0.1f));
  TextStyle s;
  s.size = 18;
  s.colour = rgb(1, 0.9f, 0.3f);
  s.outline = rgb(0.1f, 0, 0);
  s.spacing = 2;
  draw_text(img, "HAVÁRIE", 78, 19.5f, s, Align::centre);
  return img;
}

Image super_picture() {
  // Drawn opaque over the play screen, so the banner fills its whole rectangle: a gold plate
  // with square corners and a dark rim, no black around it.
  const int w = 100, h = 59;
  Image img(w, h);
  img.generate([&](float x, float y) {
    float t = y / static_cast<float>(h);
    Rgba c = mix(rgb(1.0f, 0.78f, 0.2f), rgb(0.75f, 0.3f, 0.02f), t);
    // Rays from the middle, so the plate shines.
    float a = std::atan2(y - h / 2.0f, x - w / 2.0f);
    float ray = 0.5f + 0.5f * std::cos(a * 12);
    return mix(c, rgb(1, 0.92f, 0.55f), 0.22f * ray * ray);
  });
  img.frame_rect(0, 0, w, h, 0, 3, rgb(0.45f, 0.16f, 0.0f));
  img.frame_rect(3, 3, w - 3, h - 3, 0, 1.2f, rgb(1, 0.95f, 0.7f, 0.9f));
  img.fill_rect(6, 6, w - 6, 22, rgb(1, 1, 0.9f, 0.18f));
  TextStyle s;
  s.size = 19;
  s.colour = rgb(1, 1, 0.88f);
  s.outline = rgb(0.35f, 0.1f, 0);
  draw_text(img, "SUPER!", 50, 37, s, Align::centre);
  return img;
}

Image cursor_picture() {
  // Black is transparent on this sprite; the reticle's dark rim is a very dark grey instead.
  Image img(30, 30, rgb(0, 0, 0));
  img.ring(15, 15, 10, 3.5f, rgb(0.12f, 0.1f, 0.08f));
  img.ring(15, 15, 10, 1.8f, rgb(1, 0.75f, 0.2f));
  for (auto [x0, y0, x1, y1] : std::vector<std::array<float, 4>>{
           {15, 1, 15, 8}, {15, 22, 15, 29}, {1, 15, 8, 15}, {22, 15, 29, 15}}) {
    img.line(x0, y0, x1, y1, 3.2f, rgb(0.12f, 0.1f, 0.08f));
    img.line(x0, y0, x1, y1, 1.5f, rgb(1, 1, 0.9f));
  }
  img.circle(15, 15, 1.6f, rgb(1, 1, 1));
  return img;
}

Image highlight_picture() {
  // Drawn tinted yellow over active places: a soft white ring.
  Image img(30, 30, rgb(0, 0, 0));
  img.generate([](float x, float y) {
    float d = std::hypot(x - 15, y - 15);
    float k = clamp01(1 - std::fabs(d - 11) / 4) + 0.25f * clamp01(1 - d / 14);
    return rgb(k, k, k);
  });
  return img;
}

// ----- textures of the fixed objects (their meshes map them as described in models.cpp)

Image hull_texture() {
  Image img(128, 128);
  img.generate([](float x, float y) {
    float u = x / 128, v = y / 128;
    float n = fbm2(u * 8, v * 8, 4, 201, 8);
    Rgba c = mix(rgb(0.78f, 0.80f, 0.86f), rgb(0.58f, 0.60f, 0.68f), clamp01(0.5f + 0.5f * n));
    float panel_line = std::min(std::fabs(std::fmod(u * 6, 1.0f) - 0.5f), std::fabs(v - 0.5f) * 3);
    if (std::fabs(std::fmod(u * 6, 1.0f) - 0.02f) < 0.02f) c = scale(c, 0.6f);
    (void)panel_line;
    if (std::fabs(v - 0.5f) < 0.07f) c = rgb(0.85f, 0.15f, 0.1f);  // the red stripe
    if (std::fabs(v - 0.5f) < 0.02f) c = rgb(1.0f, 0.75f, 0.2f);
    if (u > 0.86f && std::fabs(v - 0.5f) < 0.12f) c = rgb(0.1f, 0.25f, 0.5f);  // glass
    return c;
  });
  return img;
}

Image glossy(int size, Rgba base, Rgba light, uint32_t seed, float pattern) {
  Image img(size, size);
  img.generate([&](float x, float y) {
    float u = x / static_cast<float>(size), v = y / static_cast<float>(size);
    float n = fbm2(u * 6, v * 6, 3, seed, 6);
    float band = 0.5f + 0.5f * std::cos(6.2832f * v * pattern);
    return mix(base, light, clamp01(0.25f + 0.4f * band + 0.2f * n));
  });
  return img;
}

Image barrel_texture() {
  Image img(128, 128);
  img.generate([](float x, float y) {
    float u = x / 128, v = y / 128;
    // Left half: the side with hazard bands; right half: the lid with its sign.
    if (u < 0.5f) {
      float bands = std::fmod(v * 4, 1.0f);
      Rgba c = bands < 0.15f ? rgb(0.3f, 0.3f, 0.3f) : rgb(0.85f, 0.65f, 0.05f);
      if (std::fabs(v - 0.5f) < 0.12f)
        c = std::fmod((u * 8 + v * 4), 1.0f) < 0.5f ? rgb(0.1f, 0.1f, 0.1f)
                                                    : rgb(0.95f, 0.8f, 0.1f);
      return scale(c, 0.85f + 0.15f * fbm2(u * 10, v * 10, 3, 211, 10));
    }
    float du = (u - 0.75f) * 4, dv = (v - 0.5f) * 2;
    float r = std::hypot(du, dv), a = std::atan2(dv, du);
    Rgba c = rgb(0.85f, 0.65f, 0.05f);
    if (r < 0.95f && r > 0.25f && std::fmod(a / 6.2832f * 3 + 1.0f + 0.0833f, 1.0f) < 0.5f)
      c = rgb(0.1f, 0.1f, 0.1f);
    if (r < 0.15f) c = rgb(0.1f, 0.1f, 0.1f);
    if (r > 1.0f) c = rgb(0.35f, 0.35f, 0.35f);
    return c;
  });
  return img;
}

Image eyes_texture() {
  Image img(128, 128);
  img.generate([](float x, float y) {
    float u = x / 128 - 0.5f, v = y / 128 - 0.5f;
    float r = std::hypot(u, v) * 2;
    Rgba c = rgb(0.95f, 0.92f, 0.8f);
    float veins = std::pow(clamp01(1 - std::fabs(fbm2(u * 10, v * 10, 3, 221))), 14.0f);
    c = mix(c, rgb(0.8f, 0.1f, 0.1f), veins * 0.7f);
    if (r < 0.55f) c = mix(rgb(0.9f, 0.3f, 0.0f), rgb(0.4f, 0.05f, 0.0f), r / 0.55f);
    if (r < 0.22f) c = rgb(0.02f, 0.02f, 0.02f);
    if (std::hypot(u + 0.08f, v + 0.08f) < 0.05f) c = rgb(1, 1, 1);
    return c;
  });
  return img;
}

Image shot_texture(Rgba core, Rgba edge) {
  Image img(32, 32);
  img.generate([&](float x, float y) {
    float d = std::fabs(y - 16) / 16;
    (void)x;
    return mix(core, edge, clamp01(d * 1.4f));
  });
  return img;
}

Image gun_texture() {
  Image img(64, 64);
  img.generate([](float x, float y) {
    float u = x / 64, v = y / 64;
    Rgba c = mix(rgb(0.35f, 0.37f, 0.42f), rgb(0.22f, 0.23f, 0.27f),
                 clamp01(0.5f + 0.5f * fbm2(u * 8, v * 8, 3, 231, 8)));
    if (u > 0.8f) c = rgb(1.0f, 0.55f, 0.1f);  // the muzzle
    return c;
  });
  return img;
}

Bytes bmp(const Image& i) { return write_bmp(i); }

}  // namespace

Image level_picture(int level) {
  // The level as the player meets it, with its name.
  static const char* const names[6] = {"Větrný kaňon", "Pod hladinou",   "Krypta",
                                       "Továrna",      "Šachta větráků", "Doupě Marťanů"};
  const int n = std::clamp(level, 1, 6);
  Image view = render_level_scene(n, 342, 256);
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) img.at(x, y) = view.at(x + 43, y);
  img.vignette(0.5f);
  img.fill_rect(0, 196, 256, 256, rgb(0, 0, 0, 0.55f));
  TextStyle t;
  t.size = 26;
  t.colour = kGold;
  t.shadow = rgb(0, 0, 0, 0.9f);
  draw_text(img, "ÚROVEŇ " + std::to_string(level), 128, 224, t, Align::centre);
  t.size = 15;
  t.colour = rgb(0.9f, 0.9f, 0.95f);
  draw_text(img, names[n - 1], 128, 245, t, Align::centre);
  img.frame_rect(0.5f, 0.5f, 255.5f, 255.5f, 6, 3, rgb(0.8f, 0.65f, 0.3f));
  return img;
}

Image settings_picture() {
  Image img(256, 256, rgb(0.04f, 0.05f, 0.09f));
  img.generate([](float x, float y) {
    float g = (std::fmod(x, 16.0f) < 1 || std::fmod(y, 16.0f) < 1) ? 0.08f : 0.0f;
    return rgb(0.03f + g, 0.05f + g, 0.10f + g * 1.5f);
  });
  TextStyle h;
  h.size = 24;
  h.colour = kGold;
  h.shadow = rgb(0, 0, 0, 0.9f);
  draw_text(img, "OVLÁDÁNÍ", 128, 40, h, Align::centre);
  img.fill_rect(30, 50, 226, 52, kGold);
  struct Row {
    const char* keys;
    const char* what;
  };
  const Row rows[] = {{"šipky / W A S D", "řízení lodi"},
                      {"mezerník / Ctrl", "střelba"},
                      {"P", "pauza"},
                      {"Esc", "konec hry"}};
  TextStyle k;
  k.size = 15;
  k.colour = kYellow;
  TextStyle w = k;
  w.colour = rgb(0.85f, 0.9f, 1.0f);
  w.bold = false;
  float y = 88;
  for (const Row& r : rows) {
    img.round_rect(14, y - 17, 242, y + 9, 5, rgb(0.1f, 0.14f, 0.25f));
    draw_text(img, r.keys, 22, y, k);
    draw_text(img, r.what, 234, y, w, Align::right);
    y += 38;
  }
  TextStyle f = w;
  f.size = 12;
  draw_text(img, "Sbírej palivo, energii a zbraně.", 128, 240, f, Align::centre);
  img.frame_rect(0.5f, 0.5f, 255.5f, 255.5f, 6, 3, rgb(0.8f, 0.65f, 0.3f));
  return img;
}

Image title_picture() {
  Image img(640, 480);
  space_backdrop(img, 400, 301);
  planet(img, 500, 140, 90, rgb(0.75f, 0.35f, 0.2f), rgb(0.35f, 0.12f, 0.1f), 302);
  ridge(img, 420, 110, rgb(0.25f, 0.09f, 0.07f), 303);
  ridge(img, 470, 70, rgb(0.12f, 0.04f, 0.04f), 304);
  TextStyle t;
  t.size = 92;
  t.colour = kGold;
  t.outline = rgb(0.25f, 0.08f, 0.0f);
  t.shadow = rgb(0, 0, 0, 0.8f);
  t.shadow_offset = 5;
  t.spacing = 4;
  draw_text(img, "KARMUND", 320, 235, t, Align::centre);
  TextStyle s;
  s.size = 22;
  s.colour = rgb(0.9f, 0.85f, 0.8f);
  s.shadow = rgb(0, 0, 0, 0.9f);
  draw_text(img, "šest úrovní v hlubinách planety", 320, 280, s, Align::centre);
  TextStyle e = s;
  e.size = 26;
  e.colour = kYellow;
  img.round_rect(210, 410, 430, 452, 10, rgb(0, 0, 0, 0.55f));
  draw_text(img, "ESC – pokračovat", 320, 440, e, Align::centre);
  return img;
}

Image menu_picture() {
  Image img(640, 480);
  space_backdrop(img, 480, 311);
  ridge(img, 480, 60, rgb(0.15f, 0.05f, 0.05f), 312);
  // Screen places shift by (+5, -3) into the picture.
  auto px = [](float x) { return x + 5; };
  auto py = [](float y) { return y - 3; };
  // The frame of the level buttons on the left.
  panel(img, px(30), py(94), px(176), py(466), 10, rgb(0.22f, 0.24f, 0.30f));
  for (int k = 0; k < 6; ++k) socket(img, px(103), py(130 + 60.0f * k), 120, 48, 4);
  // The preview screen (start) and the two buttons under it.
  panel(img, px(236), py(118), px(570), py(476), 12, rgb(0.22f, 0.24f, 0.30f));
  socket(img, px(403), py(284), 300, 300, 5);
  socket(img, px(307), py(452), 85, 30, 3);
  socket(img, px(514), py(452), 85, 30, 3);
  TextStyle t;
  t.size = 44;
  t.colour = kGold;
  t.outline = rgb(0.25f, 0.08f, 0);
  t.spacing = 3;
  draw_text(img, "KARMUND", px(403), py(80), t, Align::centre);
  TextStyle l;
  l.size = 14;
  l.colour = kSteel;
  draw_text(img, "ÚROVNĚ", px(103), py(88), l, Align::centre);
  draw_text(img, "klikni na obrazovku a startuj", px(403), py(110), l, Align::centre);
  return img;
}

Image top_bar_picture() {
  Image img(640, 76);
  img.generate([](float x, float y) {
    float t = y / 76;
    Rgba c = mix(rgb(0.30f, 0.33f, 0.40f), rgb(0.10f, 0.11f, 0.14f), t);
    float n = fbm2(x / 30, y / 30, 3, 321) * 0.05f;
    return rgb(c.r + n, c.g + n, c.b + n);
  });
  img.fill_rect(0, 72, 640, 76, rgb(0.7f, 0.55f, 0.2f));
  auto px = [](float x) { return x + 5; };
  auto py = [](float y) { return y - 4 + 0.0f; };
  TextStyle l;
  l.size = 11;
  l.colour = kSteel;
  // Energy (screen y 23) and fuel (screen y 41) bars, 150 wide, centred on x 108.
  for (auto [y, name] : {std::pair<float, const char*>{23, "ENERGIE"}, {41, "PALIVO"}}) {
    img.round_rect(px(30), py(y) - 4, px(186), py(y) + 4, 3, rgb(0.02f, 0.02f, 0.03f));
    img.frame_rect(px(30), py(y) - 4, px(186), py(y) + 4, 3, 1, rgb(0.8f, 0.7f, 0.4f, 0.6f));
    draw_text(img, name, px(192), py(y) + 4, l);
  }
  // The percent counter (text at screen 326, 19) and what it counts towards.
  socket(img, px(340), py(20), 70, 22, 2);
  draw_text(img, "K ŽIVOTU", px(340), py(50), l, Align::centre);
  // The hearts (screen 480, 530, 580 at y 32).
  for (float x : {480.0f, 530.0f, 580.0f}) socket(img, px(x), py(32), 35, 25, 3);
  draw_text(img, "ŽIVOTY", px(530), py(62), l, Align::centre);
  return img;
}

Image object_texture(const std::string& o) {
  if (o == "lod") return hull_texture();
  if (o == "bonus") return glossy(64, rgb(0.8f, 0.05f, 0.1f), rgb(1, 0.6f, 0.6f), 241, 1);
  if (o == "n_palivo") return glossy(64, rgb(0.05f, 0.55f, 0.8f), rgb(0.7f, 1, 1), 242, 2);
  if (o == "n_zbrane") return glossy(64, rgb(0.8f, 0.25f, 0.05f), rgb(1, 0.8f, 0.3f), 243, 3);
  if (o == "n_energie") return glossy(64, rgb(0.75f, 0.65f, 0.0f), rgb(1, 1, 0.6f), 244, 2);
  if (o.rfind("sud", 0) == 0) return barrel_texture();
  if (o.rfind("zbran", 0) == 0) return gun_texture();
  if (o == "strela1") return shot_texture(rgb(1, 0.9f, 0.6f), rgb(1, 0.3f, 0.05f));
  if (o == "strela2") return shot_texture(rgb(0.8f, 1, 0.8f), rgb(0.1f, 0.8f, 0.2f));
  if (o == "strela3") return shot_texture(rgb(1, 0.8f, 1), rgb(0.8f, 0.1f, 0.8f));
  if (o == "strela4") return shot_texture(rgb(0.8f, 0.9f, 1), rgb(0.05f, 0.35f, 1));
  if (o == "strela5") return shot_texture(rgb(1, 1, 0.8f), rgb(1, 0.85f, 0.0f));
  if (o == "oci") return eyes_texture();
  return {};
}

void add_picture_products(std::vector<Product>& out) {
  out.push_back({"data/menu1.jpg", [] { return write_jpeg(menu_picture(), 92); }});
  out.push_back({"form/menustart.jpg", [] { return write_jpeg(title_picture(), 92); }});
  out.push_back({"form/menuvrch.jpg", [] { return write_jpeg(top_bar_picture(), 94); }});
  for (int k = 1; k <= 3; ++k)
    out.push_back({"form/srdce" + std::to_string(k) + ".bmp", [] { return bmp(heart_picture()); }});
  out.push_back({"form/havarie.bmp", [] { return bmp(warning_picture()); }});
  out.push_back({"form/super.bmp", [] { return bmp(super_picture()); }});
  for (int k = 1; k <= 6; ++k)
    out.push_back({"form/d" + std::to_string(k) + ".bmp", [k] {
                     return bmp(button(120, 48, "ÚROVEŇ " + std::to_string(k),
                                       rgb(0.35f, 0.4f, 0.55f), rgb(0.12f, 0.14f, 0.22f), 17));
                   }});
  out.push_back({"form/nastav.bmp", [] {
                   return bmp(button(85, 30, "NASTAVENÍ", rgb(0.3f, 0.45f, 0.3f),
                                     rgb(0.1f, 0.18f, 0.1f), 11));
                 }});
  out.push_back(
      {"form/ex.bmp", [] {
         return bmp(button(85, 30, "KONEC", rgb(0.55f, 0.25f, 0.2f), rgb(0.2f, 0.06f, 0.05f), 13));
       }});
  out.push_back({"form/kur.bmp", [] { return bmp(cursor_picture()); }});
  out.push_back({"form/kur2.bmp", [] { return bmp(highlight_picture()); }});
  // Textures of the fixed objects.
  std::vector<std::string> objects = {"lod", "bonus", "n_palivo", "n_zbrane", "n_energie", "oci"};
  for (int k = 1; k <= 4; ++k) objects.push_back("sud" + std::to_string(k));
  for (int k = 1; k <= 7; ++k) objects.push_back("zbran" + std::to_string(k));
  for (int k = 1; k <= 5; ++k) objects.push_back("strela" + std::to_string(k));
  for (const std::string& o : objects)
    out.push_back({"form/" + o + ".bmp", [o] { return bmp(object_texture(o)); }});
}

}  // namespace content
