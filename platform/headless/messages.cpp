// Message dispatching of the headless backend. A running timer fires on every pass, since the
// virtual clock has always moved on by at least a millisecond between frames.
#include <algorithm>

#include "platform/common/message_queue.h"
#include "platform/headless/backend.h"

namespace platform {

void post_message(uint32_t message) { detail::enqueue_message(message, tick_count()); }

void start_timer(uint32_t message) {
  auto& timers = headless::backend().timers;
  if (std::find(timers.begin(), timers.end(), message) == timers.end()) timers.push_back(message);
}

void stop_timer(uint32_t message) {
  auto& timers = headless::backend().timers;
  timers.erase(std::remove(timers.begin(), timers.end(), message), timers.end());
}

bool process_messages() {
  bool any = headless::deliver_window_events();
  for (const auto& posted : detail::take_posted()) {
    detail::dispatch_message(posted.message, posted.time);
    any = true;
  }
  // A copy: a timer handler may stop its timer or start another.
  std::vector<uint32_t> timers = headless::backend().timers;
  for (uint32_t timer : timers) {
    auto& running = headless::backend().timers;
    if (std::find(running.begin(), running.end(), timer) == running.end()) continue;
    detail::dispatch_message(timer, tick_count());
    any = true;
  }
  // Nothing queued and no timer: the frame clock has stopped and no frame will ever come.
  if (!any && !detail::posted_pending() && headless::backend().timers.empty()) {
    throw Halt{0, "stalled"};
  }
  return any;
}

void process_window_events() { headless::deliver_window_events(); }

}  // namespace platform
