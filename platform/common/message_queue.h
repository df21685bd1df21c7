// The posted-message queue both backends share: registered handlers and a locked queue, so the
// audio thread may post while the main thread dispatches.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace platform::detail {

struct PostedMessage {
  uint32_t message = 0;
  uint32_t time = 0;  // tick_count() when it was posted
};

// Everything posted so far, in posting order; the queue is left empty.
std::vector<PostedMessage> take_posted();
bool posted_pending();
// Runs the message's handler; a message whose handler is gone is dropped.
void dispatch_message(uint32_t message, uint32_t message_time);
bool message_registered(uint32_t message);
void reset_messages();
// Queues a message; each backend's post_message stamps the time and wakes its dispatcher.
void enqueue_message(uint32_t message, uint32_t time);

}  // namespace platform::detail
