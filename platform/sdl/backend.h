// The SDL backend's shared state: the window and its GL context, the picture's placement inside
// it, the running timers and the wake-up event. Internal to platform/sdl/.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/common/picture_fit.h"
#include "platform/platform.h"

namespace platform::sdl {

using detail::fit_picture;
using detail::Placement;

struct Timer {
  uint32_t message = 0;
  uint64_t due = 0;  // performance counter
};

struct Backend {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  int width = 0, height = 0;  // the picture
  WindowEvents events;
  bool fullscreen = true;
  bool vsync = false;
  bool paint_requested = false;
  bool cursor_visible = true;
  uint32_t buttons = 0;  // ssLeft / ssRight / ssMiddle
  int mouse_x = 0, mouse_y = 0;
  std::vector<Timer> timers;
  uint32_t wake_event = 0;  // an SDL user event that only ends a wait
  std::vector<std::string> errors;
};

Backend& backend();
// Handles one SDL event (input, window changes, close); true when it meant anything.
bool handle_event(const SDL_Event& event);
// Alt+Enter: full screen <-> a resizable window, the picture scaled the same way.
void toggle_fullscreen();
// Runs a requested paint; true when one ran.
bool paint_if_requested();

}  // namespace platform::sdl
