// The application object's pump, exception report and idle hooks.
#include "engine/application.h"

#include <algorithm>

#include "platform/platform.h"

TApplication Application;

void TApplication::ProcessMessages() {
  if (!platform::process_messages()) DoIdle();
}

void TApplication::HandleException(const std::exception& e) {
  if (OnException)
    OnException(e);
  else
    platform::report_error(e.what());
}

void TApplication::AddIdleHandler(const void* key, std::function<void()> handler) {
  RemoveIdleHandler(key);
  idle_.emplace_back(key, std::move(handler));
}

void TApplication::RemoveIdleHandler(const void* key) {
  idle_.erase(std::remove_if(idle_.begin(), idle_.end(), [&](auto& e) { return e.first == key; }),
              idle_.end());
}

void TApplication::DoIdle() {
  // A copy: a hook may remove itself.
  auto hooks = idle_;
  for (auto& hook : hooks)
    if (hook.second) hook.second();
}
