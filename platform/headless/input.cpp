// Scripted input: the events of frame F reach the window handlers once frame F has been paced,
// so they are in place before frame F's progress step, and keys update the shared key state.
#include "platform/common/key_state.h"
#include "platform/headless/backend.h"

namespace platform::headless {
namespace {

uint32_t shift_state() { return detail::key_shift_state() | backend().buttons; }

uint32_t button_bit(MouseButton button) {
  switch (button) {
    case mbLeft:
      return ssLeft;
    case mbRight:
      return ssRight;
    case mbMiddle:
      return ssMiddle;
  }
  return 0;
}

void deliver(const ScriptEvent& event) {
  Backend& b = backend();
  // A copy: a handler may close the window and reset the events.
  WindowEvents events = b.window_open ? b.events : WindowEvents{};
  switch (event.kind) {
    case ScriptEvent::KeyDown:
      detail::key_pressed(event.a);
      if (events.key_down) events.key_down(event.a, shift_state());
      break;
    case ScriptEvent::KeyUp:
      detail::key_released(event.a);
      if (events.key_up) events.key_up(event.a, shift_state());
      break;
    case ScriptEvent::MouseMove:
      b.mouse_x = event.a;
      b.mouse_y = event.b;
      if (events.mouse_move) events.mouse_move(shift_state(), b.mouse_x, b.mouse_y);
      break;
    case ScriptEvent::MouseDown: {
      auto button = static_cast<MouseButton>(event.a);
      b.buttons |= button_bit(button);
      if (events.mouse_down) events.mouse_down(button, shift_state(), b.mouse_x, b.mouse_y);
      break;
    }
    case ScriptEvent::MouseUp: {
      auto button = static_cast<MouseButton>(event.a);
      b.buttons &= ~button_bit(button);
      if (events.mouse_up) events.mouse_up(button, shift_state(), b.mouse_x, b.mouse_y);
      break;
    }
    case ScriptEvent::Wheel:
      if (events.mouse_wheel) events.mouse_wheel(shift_state(), event.a, b.mouse_x, b.mouse_y);
      break;
  }
}

}  // namespace

bool deliver_window_events() {
  bool any = false;
  Backend& b = backend();
  while (b.next_event < b.config.events.size() && b.config.events[b.next_event].frame <= b.frame) {
    ScriptEvent event = b.config.events[b.next_event++];
    deliver(event);
    any = true;
  }
  if (b.paint_requested) {
    b.paint_requested = false;
    if (b.window_open && b.context && b.events.paint) {
      auto paint = b.events.paint;
      paint();
    }
    any = true;
  }
  return any;
}

}  // namespace platform::headless
