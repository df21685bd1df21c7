// The one exception type of the program: it carries the system's message text exactly,
// and the halt signal that ends the process from inside a frame or an input handler.
#pragma once

#include <stdexcept>
#include <string>

// Raised by the engine, the readers, the components and the platform; the game never catches it.
// The dispatch boundaries (input handlers, a frame-clock step, the start-up) report it.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

namespace platform {

// Thrown by platform::halt. Deliberately not a std::exception: no dispatch boundary
// catches it, so it unwinds straight to the program entry, which returns its code.
struct Halt {
  int code = 0;
  const char* reason = "halt";  // "halt" for the game's own end; the headless runner adds others
};

}  // namespace platform
