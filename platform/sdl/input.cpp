// Keyboard and mouse for the game: physical keys become the game's virtual key codes (so WASD
// sits under the left hand on any layout), and mouse positions come back in picture pixels.
#include "platform/common/key_state.h"
#include "platform/sdl/backend.h"

namespace platform::sdl {
namespace {

int virtual_key(SDL_Scancode code) {
  if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + (code - SDL_SCANCODE_A);
  if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + (code - SDL_SCANCODE_1);
  if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return vkF1 + (code - SDL_SCANCODE_F1);
  if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9)
    return 97 + (code - SDL_SCANCODE_KP_1);
  switch (code) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_KP_0:
      return 96;
    case SDL_SCANCODE_ESCAPE:
      return vkEscape;
    case SDL_SCANCODE_SPACE:
      return vkSpace;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return vkReturn;
    case SDL_SCANCODE_BACKSPACE:
      return vkBack;
    case SDL_SCANCODE_TAB:
      return vkTab;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return vkShift;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return vkControl;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return vkMenu;
    case SDL_SCANCODE_PAUSE:
      return vkPause;
    case SDL_SCANCODE_PAGEUP:
      return vkPrior;
    case SDL_SCANCODE_PAGEDOWN:
      return vkNext;
    case SDL_SCANCODE_END:
      return vkEnd;
    case SDL_SCANCODE_HOME:
      return vkHome;
    case SDL_SCANCODE_LEFT:
      return vkLeft;
    case SDL_SCANCODE_UP:
      return vkUp;
    case SDL_SCANCODE_RIGHT:
      return vkRight;
    case SDL_SCANCODE_DOWN:
      return vkDown;
    case SDL_SCANCODE_INSERT:
      return vkInsert;
    case SDL_SCANCODE_DELETE:
      return vkDelete;
    case SDL_SCANCODE_CAPSLOCK:
      return 20;
    case SDL_SCANCODE_KP_MULTIPLY:
      return 106;
    case SDL_SCANCODE_KP_PLUS:
      return 107;
    case SDL_SCANCODE_KP_MINUS:
      return 109;
    case SDL_SCANCODE_KP_PERIOD:
      return 110;
    case SDL_SCANCODE_KP_DIVIDE:
      return 111;
    case SDL_SCANCODE_SEMICOLON:
      return 186;
    case SDL_SCANCODE_EQUALS:
      return 187;
    case SDL_SCANCODE_COMMA:
      return 188;
    case SDL_SCANCODE_MINUS:
      return 189;
    case SDL_SCANCODE_PERIOD:
      return 190;
    case SDL_SCANCODE_SLASH:
      return 191;
    case SDL_SCANCODE_GRAVE:
      return 192;
    case SDL_SCANCODE_LEFTBRACKET:
      return 219;
    case SDL_SCANCODE_BACKSLASH:
      return 220;
    case SDL_SCANCODE_RIGHTBRACKET:
      return 221;
    case SDL_SCANCODE_APOSTROPHE:
      return 222;
    default:
      return 0;
  }
}

// Left and right Ctrl (Shift, Alt) are one code; each holds it down on its own.
int key_source(SDL_Scancode code) {
  return code == SDL_SCANCODE_RCTRL || code == SDL_SCANCODE_RSHIFT || code == SDL_SCANCODE_RALT;
}

uint32_t shift_state() { return detail::key_shift_state() | backend().buttons; }

bool button_of(uint8_t sdl_button, MouseButton& button, uint32_t& bit) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT:
      button = mbLeft, bit = ssLeft;
      return true;
    case SDL_BUTTON_RIGHT:
      button = mbRight, bit = ssRight;
      return true;
    case SDL_BUTTON_MIDDLE:
      button = mbMiddle, bit = ssMiddle;
      return true;
    default:
      return false;
  }
}

// Window points to picture pixels, through the same fit as the drawing; the bars clamp to the edge.
void to_picture(int x, int y) {
  Backend& b = backend();
  int w = 1, h = 1;
  SDL_GetWindowSize(b.window, &w, &h);
  detail::Point point =
      detail::picture_point(fit_picture(b.width, b.height, w, h), b.width, b.height, x, y);
  b.mouse_x = point.x;
  b.mouse_y = point.y;
}

bool key_event(const SDL_KeyboardEvent& key, bool down) {
  if (down && key.repeat == 0 && (key.keysym.mod & KMOD_ALT) &&
      (key.keysym.scancode == SDL_SCANCODE_RETURN ||
       key.keysym.scancode == SDL_SCANCODE_KP_ENTER)) {
    toggle_fullscreen();
    return true;
  }
  int vk = virtual_key(key.keysym.scancode);
  if (vk == 0) return false;
  // A copy: a handler may close the window.
  WindowEvents events = backend().events;
  if (down) {
    detail::key_pressed(vk, key_source(key.keysym.scancode));
    if (events.key_down) events.key_down(vk, shift_state());
  } else {
    detail::key_released(vk, key_source(key.keysym.scancode));
    if (events.key_up) events.key_up(vk, shift_state());
  }
  return true;
}

bool mouse_button_event(const SDL_MouseButtonEvent& click, bool down) {
  MouseButton button = mbLeft;
  uint32_t bit = 0;
  if (!button_of(click.button, button, bit)) return false;
  Backend& b = backend();
  to_picture(click.x, click.y);
  if (down)
    b.buttons |= bit;
  else
    b.buttons &= ~bit;
  WindowEvents events = b.events;
  auto& handler = down ? events.mouse_down : events.mouse_up;
  if (handler) handler(button, shift_state(), b.mouse_x, b.mouse_y);
  return true;
}

bool window_event(const SDL_WindowEvent& window) {
  Backend& b = backend();
  switch (window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
      b.paint_requested = true;
      return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      // No key-up reaches us while another window has the keyboard.
      detail::release_all_keys();
      b.buttons = 0;
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      return false;  // handled as a close request by handle_event
    default:
      return false;
  }
}

void close_request() {
  WindowEvents events = backend().events;
  bool allowed = events.close_query ? events.close_query() : true;
  if (allowed && window_open()) close_window();
}

}  // namespace

bool handle_event(const SDL_Event& event) {
  Backend& b = backend();
  if (!b.window) {
    if (event.type == SDL_QUIT) return true;
    return false;
  }
  switch (event.type) {
    case SDL_KEYDOWN:
      return key_event(event.key, true);
    case SDL_KEYUP:
      return key_event(event.key, false);
    case SDL_MOUSEMOTION: {
      to_picture(event.motion.x, event.motion.y);
      WindowEvents events = b.events;
      if (events.mouse_move) events.mouse_move(shift_state(), b.mouse_x, b.mouse_y);
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
      return mouse_button_event(event.button, true);
    case SDL_MOUSEBUTTONUP:
      return mouse_button_event(event.button, false);
    case SDL_MOUSEWHEEL: {
      int notches =
          event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      if (notches == 0) return false;
      WindowEvents events = b.events;
      if (events.mouse_wheel)
        events.mouse_wheel(shift_state(), notches * 120, b.mouse_x, b.mouse_y);
      return true;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        close_request();
        return true;
      }
      return window_event(event.window);
    case SDL_QUIT:
      close_request();
      return true;
    default:
      return false;
  }
}

}  // namespace platform::sdl
