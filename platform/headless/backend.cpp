// The headless backend's state and its reset: every test and every headless run starts from
// configure(), with a fresh clock, empty queues, no keys held and no window.
#include "platform/headless/backend.h"

#include <algorithm>

#include "platform/common/key_state.h"
#include "platform/common/message_queue.h"

namespace platform::headless {
namespace {

std::vector<std::function<void()>>& reset_hooks() {
  static std::vector<std::function<void()>> hooks;
  return hooks;
}

}  // namespace

Backend& backend() {
  static Backend state;
  return state;
}

void on_configure(std::function<void()> reset) { reset_hooks().push_back(std::move(reset)); }

void configure(const Config& config) {
  // First the sound output, which may close a device while its messages are still registered.
  for (auto& reset : reset_hooks()) reset();
  destroy_context();
  backend() = Backend{};
  backend().config = config;
  // Events of one frame keep their script order.
  std::stable_sort(backend().config.events.begin(), backend().config.events.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
  detail::reset_keys();
  detail::reset_messages();
}

int64_t frame() { return backend().frame; }

}  // namespace platform::headless

namespace platform {

void init() {}

}  // namespace platform
