// Message dispatching of the SDL backend: window events, then posted messages, then due timers,
// then a requested paint. Posting may come from the audio thread; it wakes a waiting loop.
#include <algorithm>
#include <atomic>

#include "platform/common/message_queue.h"
#include "platform/sdl/backend.h"

namespace platform {
namespace {

std::atomic<bool> wake_pending{false};

uint64_t one_ms() { return SDL_GetPerformanceFrequency() / 1000; }

bool handle(const SDL_Event& event) {
  if (event.type == sdl::backend().wake_event && event.type != 0) {
    wake_pending = false;
    return false;
  }
  return sdl::handle_event(event);
}

bool poll_window_events() {
  bool any = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) any |= handle(event);
  return any;
}

bool run_due_timers() {
  bool any = false;
  uint64_t now = SDL_GetPerformanceCounter();
  // A copy: a timer handler may stop its timer or start another.
  std::vector<sdl::Timer> timers = sdl::backend().timers;
  for (const auto& timer : timers) {
    if (now < timer.due) continue;
    auto& running = sdl::backend().timers;
    auto found = std::find_if(running.begin(), running.end(),
                              [&](const sdl::Timer& t) { return t.message == timer.message; });
    if (found == running.end()) continue;
    found->due = now + one_ms();
    detail::dispatch_message(timer.message, SDL_GetTicks());
    any = true;
  }
  return any;
}

// Nothing was pending: wait for an event, a post or the next timer, at most 10 ms. The event is
// taken and handled here: SDL 2.26 loses later events after a wait without one that times out.
bool wait_briefly() {
  uint64_t wait = 10;
  uint64_t now = SDL_GetPerformanceCounter();
  for (const auto& timer : sdl::backend().timers) {
    uint64_t until = timer.due > now ? (timer.due - now) / std::max<uint64_t>(one_ms(), 1) : 0;
    wait = std::min(wait, until);
  }
  if (wait == 0 || detail::posted_pending()) return false;
  SDL_Event event;
  if (!SDL_WaitEventTimeout(&event, static_cast<int>(wait))) return false;
  return handle(event);
}

}  // namespace

void post_message(uint32_t message) {
  detail::enqueue_message(message, SDL_GetTicks());
  uint32_t wake = sdl::backend().wake_event;
  if (wake != 0 && !wake_pending.exchange(true)) {
    SDL_Event event{};
    event.type = wake;
    if (SDL_PushEvent(&event) <= 0) wake_pending = false;
  }
}

void start_timer(uint32_t message) {
  auto& timers = sdl::backend().timers;
  for (const auto& timer : timers) {
    if (timer.message == message) return;
  }
  timers.push_back({message, SDL_GetPerformanceCounter() + one_ms()});
}

void stop_timer(uint32_t message) {
  auto& timers = sdl::backend().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [&](const sdl::Timer& t) { return t.message == message; }),
               timers.end());
}

bool process_messages() {
  bool any = poll_window_events();
  for (const auto& posted : detail::take_posted()) {
    detail::dispatch_message(posted.message, posted.time);
    any = true;
  }
  any |= run_due_timers();
  any |= sdl::paint_if_requested();
  if (!any) any = wait_briefly();
  return any;
}

void process_window_events() {
  poll_window_events();
  sdl::paint_if_requested();
}

}  // namespace platform
