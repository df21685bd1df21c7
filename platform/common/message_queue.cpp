// Registered message handlers and the posted queue. Handlers are added and run on the main
// thread only; the queue itself is locked because the audio thread posts its notices too.
#include "platform/common/message_queue.h"

#include <map>
#include <mutex>

namespace platform::detail {
namespace {

// Private ids start above the range a window system would use for its own messages.
constexpr uint32_t kFirstMessage = 0xC000;

struct Registry {
  std::map<uint32_t, MessageHandler> handlers;
  uint32_t next_id = kFirstMessage;
  std::mutex lock;  // guards `queue`
  std::vector<PostedMessage> queue;
};

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

std::vector<PostedMessage> take_posted() {
  std::vector<PostedMessage> out;
  std::lock_guard<std::mutex> guard(registry().lock);
  out.swap(registry().queue);
  return out;
}

bool posted_pending() {
  std::lock_guard<std::mutex> guard(registry().lock);
  return !registry().queue.empty();
}

void dispatch_message(uint32_t message, uint32_t message_time) {
  auto found = registry().handlers.find(message);
  if (found == registry().handlers.end()) return;
  // A copy, so a handler that unregisters itself does not destroy the function it runs in.
  MessageHandler handler = found->second;
  if (handler) handler(message, message_time);
}

bool message_registered(uint32_t message) { return registry().handlers.count(message) != 0; }

void reset_messages() {
  registry().handlers.clear();
  registry().next_id = kFirstMessage;
  std::lock_guard<std::mutex> guard(registry().lock);
  registry().queue.clear();
}

void enqueue_message(uint32_t message, uint32_t time) {
  std::lock_guard<std::mutex> guard(registry().lock);
  registry().queue.push_back({message, time});
}

}  // namespace platform::detail

namespace platform {

uint32_t register_message(MessageHandler handler) {
  auto& r = detail::registry();
  uint32_t id = r.next_id++;
  r.handlers[id] = std::move(handler);
  return id;
}

void unregister_message(uint32_t message) { detail::registry().handlers.erase(message); }

}  // namespace platform
