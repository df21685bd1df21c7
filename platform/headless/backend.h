// The headless backend's shared state: the virtual clock, the script cursor, the timers, the
// offscreen window and the recorded errors. Internal to platform/headless/.
#pragma once

#include <GL/osmesa.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace platform::headless {

struct Backend {
  Config config;
  int64_t frame = 0;
  size_t next_event = 0;  // the first script event not yet delivered
  std::vector<uint32_t> timers;
  std::vector<std::string> errors;

  bool window_open = false;
  int width = 0, height = 0;
  WindowEvents events;
  bool paint_requested = false;
  bool cursor_visible = true;
  OSMesaContext context = nullptr;
  std::vector<uint8_t> color;       // what OSMesa draws into, bottom row first
  std::vector<uint8_t> last_frame;  // the last swapped frame, top row first

  int mouse_x = 0, mouse_y = 0;
  uint32_t buttons = 0;  // ssLeft / ssRight / ssMiddle
};

Backend& backend();
// Virtual seconds since configure: frame × dt, so a run never drifts with rounding.
double virtual_seconds();
// Delivers the script events that are due and a requested paint; true when anything ran.
bool deliver_window_events();
void destroy_context();

// With the sound captured, waits until the capture file holds `seconds` of sound (the disk driver
// writes in real time), so each sound lands in the file where the run played it.
void wait_for_capture(double seconds);

// Other parts of the headless backend (the audio log) register here to be cleared by configure.
void on_configure(std::function<void()> reset);

}  // namespace platform::headless
