// Program start and the error reports: SDL's video, events and timer (audio is opened by the
// sound code), and the message box that also works before a window exists.
#include <cstdio>

#include "platform/sdl/backend.h"

namespace platform::sdl {

Backend& backend() {
  static Backend state;
  return state;
}

}  // namespace platform::sdl

namespace platform {

void init() {
  // Clicking another screen must not minimise the game.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
    throw Exception(std::string("Cannot start the display: ") + SDL_GetError());
  }
  uint32_t wake = SDL_RegisterEvents(1);
  sdl::backend().wake_event = wake == static_cast<uint32_t>(-1) ? 0 : wake;
}

void report_error(const std::string& text) {
  sdl::Backend& b = sdl::backend();
  b.errors.push_back(text);
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  // The game hides the cursor; the box needs it to be clicked away.
  int shown = SDL_ShowCursor(SDL_QUERY);
  SDL_ShowCursor(SDL_ENABLE);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Karmund", text.c_str(), b.window);
  if (shown >= 0) SDL_ShowCursor(shown);
}

const std::vector<std::string>& reported_errors() { return sdl::backend().errors; }

}  // namespace platform
