// The real clock and the frame pacing. The game counts many things per frame, so frames come at
// 60 a second on any display: vsync where the display runs at 60 Hz, a limiter everywhere.
#include "platform/sdl/backend.h"

namespace platform {

int64_t performance_counter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

int64_t performance_frequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

uint32_t tick_count() { return SDL_GetTicks(); }

void sleep_ms(int ms) { SDL_Delay(ms > 0 ? static_cast<uint32_t>(ms) : 0); }

void pace_frame() {
  static uint64_t next = 0;
  static uint64_t last = 0;
  const uint64_t frequency = SDL_GetPerformanceFrequency();
  const uint64_t period = frequency / 60;
  uint64_t now = SDL_GetPerformanceCounter();
  // With vsync the swap keeps the rhythm; the limiter only stops a frame that did not draw from
  // running ahead, so it must never wait for a swap that is about to come anyway.
  uint64_t target = sdl::backend().vsync ? last + period * 9 / 10 : next;
  if (last != 0 && now < target) {
    uint64_t two_ms = frequency / 500;
    while (target - now > two_ms) {
      SDL_Delay(static_cast<uint32_t>((target - now - two_ms) * 1000 / frequency) + 1);
      now = SDL_GetPerformanceCounter();
      if (now >= target) break;
    }
    while (now < target) now = SDL_GetPerformanceCounter();  // the last moment, exactly
  }
  // A frame that came late starts the schedule again instead of rushing to catch up.
  next = (last == 0 || now > next + period) ? now + period : next + period;
  last = now;
}

}  // namespace platform
