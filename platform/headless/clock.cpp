// The virtual clock: time moves only when a frame is paced, by exactly Config.dt, so a headless
// run is the same on every machine. A run that captures its sound also keeps to the wall clock.
#include <cmath>

#include "platform/headless/backend.h"

namespace platform::headless {

double virtual_seconds() { return static_cast<double>(backend().frame) * backend().config.dt; }

}  // namespace platform::headless

namespace platform {

namespace {
constexpr int64_t kFrequency = 1000000000;  // the counter runs in nanoseconds
}

int64_t performance_counter() {
  return std::llround(headless::virtual_seconds() * static_cast<double>(kFrequency));
}

int64_t performance_frequency() { return kFrequency; }

uint32_t tick_count() {
  return static_cast<uint32_t>(std::llround(headless::virtual_seconds() * 1000.0));
}

// Sleeping would not change what a frame sees: only pace_frame moves the virtual clock.
void sleep_ms(int) {}

void pace_frame() {
  auto& b = headless::backend();
  if (b.config.max_frames >= 0 && b.frame >= b.config.max_frames) throw Halt{0, "frames"};
  ++b.frame;
  // The disk driver writes the captured sound in real time: the run keeps in step with it.
  headless::wait_for_capture(headless::virtual_seconds());
  headless::audio_clock_moved();  // a piece of music may have reached its end
}

}  // namespace platform
