// The headless output: a fixed mode list and, when rendering is on, an OSMesa context of the
// picture's own size whose swapped frames the runner and the tests can read back.
#include <GL/gl.h>

#include <cstring>

#include "platform/headless/backend.h"

namespace platform::headless {

void destroy_context() {
  Backend& b = backend();
  if (b.context) {
    OSMesaDestroyContext(b.context);
    b.context = nullptr;
  }
  b.color.clear();
}

}  // namespace platform::headless

namespace platform {

const std::vector<DisplayMode>& display_modes() {
  static const std::vector<DisplayMode> modes = [] {
    std::vector<DisplayMode> list{{1920, 1080, 32, 60, "default"}};
    const int sizes[][2] = {{640, 480},  {800, 600},   {1024, 768},
                            {1280, 720}, {1280, 1024}, {1920, 1080}};
    for (const auto& size : sizes) {
      for (int bits : {16, 32}) {
        list.push_back({size[0], size[1], bits, 60,
                        std::to_string(size[0]) + " x " + std::to_string(size[1]) + ", " +
                            std::to_string(bits) + " bpp"});
      }
    }
    return list;
  }();
  return modes;
}

void open_window(int width, int height, bool, const WindowEvents& events) {
  headless::Backend& b = headless::backend();
  close_window();
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  b.width = width;
  b.height = height;
  b.events = events;
  b.window_open = true;
  b.last_frame.clear();
  b.paint_requested = true;  // a new window is painted once, as a shown window would be
  if (!b.config.render) return;

  b.context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  if (!b.context) {
    b.window_open = false;
    throw Exception("Cannot create the offscreen rendering context");
  }
  b.color.assign(static_cast<size_t>(width) * height * 4, 0);
  if (!OSMesaMakeCurrent(b.context, b.color.data(), GL_UNSIGNED_BYTE, width, height)) {
    headless::destroy_context();
    b.window_open = false;
    throw Exception("Cannot make the offscreen rendering context current");
  }
}

void close_window() {
  headless::Backend& b = headless::backend();
  headless::destroy_context();
  b.window_open = false;
  b.events = WindowEvents{};
  b.paint_requested = false;
}

bool window_open() { return headless::backend().window_open; }

void invalidate_window() {
  if (headless::backend().window_open) headless::backend().paint_requested = true;
}

void begin_frame() {
  headless::Backend& b = headless::backend();
  if (!b.context) return;
  glViewport(0, 0, b.width, b.height);
}

void swap_buffers() {
  headless::Backend& b = headless::backend();
  if (!b.context) return;
  glFinish();
  // OSMesa keeps the bottom row first, the way GL counts rows.
  size_t row = static_cast<size_t>(b.width) * 4;
  b.last_frame.resize(b.color.size());
  for (int y = 0; y < b.height; ++y) {
    std::memcpy(b.last_frame.data() + static_cast<size_t>(y) * row,
                b.color.data() + static_cast<size_t>(b.height - 1 - y) * row, row);
  }
  if (b.config.frame_shown) b.config.frame_shown();
}

bool read_frame(std::vector<uint8_t>& rgba, int& width, int& height) {
  headless::Backend& b = headless::backend();
  if (b.last_frame.empty()) return false;
  rgba = b.last_frame;
  width = b.width;
  height = b.height;
  return true;
}

void set_cursor_visible(bool visible) { headless::backend().cursor_visible = visible; }

float display_dpi() { return 96.0f; }

}  // namespace platform
