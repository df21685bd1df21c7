// The output window: borderless full screen at the desktop's own mode (never switched, so there is
// nothing to restore), the picture scaled to fit with black bars, and Alt+Enter to a window.
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdio>

#include "platform/common/key_state.h"
#include "platform/sdl/backend.h"

namespace platform::sdl {
namespace {

int bits_of(uint32_t format) {
  if (SDL_BYTESPERPIXEL(format) == 4) return 32;
  int bits = SDL_BITSPERPIXEL(format);
  return bits == 15 ? 16 : bits;
}

std::string label_of(int w, int h, int bits) {
  char text[64];
  std::snprintf(text, sizeof text, "%d x %d, %d bpp", w, h, bits);
  return text;
}

int display_of_window() {
  int index = backend().window ? SDL_GetWindowDisplayIndex(backend().window) : 0;
  return index < 0 ? 0 : index;
}

// Vsync only paces right at 60 Hz; anywhere else the limiter alone keeps the rhythm.
void choose_swap_interval() {
  Backend& b = backend();
  SDL_DisplayMode mode;
  bool sixty = SDL_GetCurrentDisplayMode(display_of_window(), &mode) == 0 &&
               mode.refresh_rate >= 59 && mode.refresh_rate <= 61;
  b.vsync = sixty && SDL_GL_SetSwapInterval(1) == 0;
  if (!b.vsync) SDL_GL_SetSwapInterval(0);
}

SDL_Window* create_window(int width, int height) {
  // Created at the desktop's size: without a window manager to honour the full-screen request
  // the window would otherwise keep the picture's size.
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
    width = desktop.w;
    height = desktop.h;
  }
  const uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS |
                         SDL_WINDOW_ALLOW_HIGHDPI;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // Some drivers offer only a 16-bit depth buffer.
  for (int depth : {24, 16}) {
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
    SDL_Window* window = SDL_CreateWindow("Karmund", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          width, height, flags);
    if (window) return window;
  }
  return nullptr;
}

}  // namespace

void toggle_fullscreen() {
  Backend& b = backend();
  if (!b.window) return;
  if (b.fullscreen) {
    SDL_SetWindowFullscreen(b.window, 0);
    SDL_SetWindowBordered(b.window, SDL_TRUE);
    SDL_SetWindowResizable(b.window, SDL_TRUE);
    // The largest whole multiple of the picture that leaves room for the desktop around it.
    SDL_Rect usable{0, 0, b.width, b.height};
    SDL_GetDisplayUsableBounds(display_of_window(), &usable);
    int times = std::max(1, std::min(usable.w * 9 / 10 / b.width, usable.h * 9 / 10 / b.height));
    SDL_SetWindowSize(b.window, b.width * times, b.height * times);
    SDL_SetWindowPosition(b.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  } else {
    SDL_SetWindowFullscreen(b.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  b.fullscreen = !b.fullscreen;
  b.paint_requested = true;
}

bool paint_if_requested() {
  Backend& b = backend();
  if (!b.paint_requested) return false;
  b.paint_requested = false;
  if (!b.window) return false;
  auto paint = b.events.paint;
  if (paint) paint();
  return true;
}

}  // namespace platform::sdl

namespace platform {

const std::vector<DisplayMode>& display_modes() {
  static const std::vector<DisplayMode> modes = [] {
    constexpr size_t kMostModes = 200;
    std::vector<DisplayMode> list;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
      list.push_back(
          {desktop.w, desktop.h, sdl::bits_of(desktop.format), desktop.refresh_rate, "default"});
    } else {
      list.push_back({640, 480, 32, 60, "default"});
    }
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count && list.size() < kMostModes; ++i) {
      SDL_DisplayMode mode;
      if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
      int bits = sdl::bits_of(mode.format);
      auto same = std::find_if(list.begin() + 1, list.end(), [&](const DisplayMode& m) {
        return m.width == mode.w && m.height == mode.h && m.bits == bits;
      });
      if (same != list.end()) {
        same->refresh = std::max(same->refresh, mode.refresh_rate);
        continue;
      }
      list.push_back(
          {mode.w, mode.h, bits, mode.refresh_rate, sdl::label_of(mode.w, mode.h, bits)});
    }
    return list;
  }();
  return modes;
}

void open_window(int width, int height, bool, const WindowEvents& events) {
  sdl::Backend& b = sdl::backend();
  close_window();
  b.width = std::max(1, width);
  b.height = std::max(1, height);
  b.window = sdl::create_window(b.width, b.height);
  if (!b.window) throw Exception(std::string("Cannot open the game window: ") + SDL_GetError());
  b.context = SDL_GL_CreateContext(b.window);
  if (!b.context) {
    std::string reason = SDL_GetError();
    close_window();
    throw Exception("Cannot create the OpenGL context: " + reason);
  }
  SDL_GL_MakeCurrent(b.window, b.context);
  sdl::choose_swap_interval();
  b.events = events;
  b.fullscreen = true;
  b.buttons = 0;
  SDL_ShowCursor(b.cursor_visible ? SDL_ENABLE : SDL_DISABLE);
  SDL_ShowWindow(b.window);
  SDL_RaiseWindow(b.window);
  b.paint_requested = true;
}

void close_window() {
  sdl::Backend& b = sdl::backend();
  if (b.context) SDL_GL_DeleteContext(b.context);
  if (b.window) SDL_DestroyWindow(b.window);
  b.context = nullptr;
  b.window = nullptr;
  b.events = WindowEvents{};
  b.paint_requested = false;
  b.vsync = false;
  detail::release_all_keys();
}

bool window_open() { return sdl::backend().window != nullptr; }

void invalidate_window() {
  if (sdl::backend().window) sdl::backend().paint_requested = true;
}

void begin_frame() {
  sdl::Backend& b = sdl::backend();
  if (!b.window) return;
  int w = 1, h = 1;
  SDL_GL_GetDrawableSize(b.window, &w, &h);
  sdl::Placement p = sdl::fit_picture(b.width, b.height, w, h);
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, w, h);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  // GL counts rows from the bottom.
  glViewport(p.x, h - p.y - p.height, p.width, p.height);
  glScissor(p.x, h - p.y - p.height, p.width, p.height);
  glEnable(GL_SCISSOR_TEST);
}

void swap_buffers() {
  if (sdl::backend().window) SDL_GL_SwapWindow(sdl::backend().window);
}

bool read_frame(std::vector<uint8_t>& rgba, int& width, int& height) {
  rgba.clear();
  width = height = 0;
  return false;
}

void set_cursor_visible(bool visible) {
  sdl::backend().cursor_visible = visible;
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

// The picture is Width x Height pixels whatever the screen does, so its fonts are sized for the
// classic 96 dpi of the picture, not for the monitor's physical density.
float display_dpi() { return 96.0f; }

}  // namespace platform
