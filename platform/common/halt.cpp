// The regular end of the program from inside a frame or a handler, shared by both backends.
#include "platform/platform.h"

namespace platform {

void halt(int code) { throw Halt{code, "halt"}; }

}  // namespace platform
