// Reported errors of a headless run: kept for the dump and the tests, and echoed on stderr.
#include <cstdio>

#include "platform/headless/backend.h"

namespace platform {

void report_error(const std::string& text) {
  headless::backend().errors.push_back(text);
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

const std::vector<std::string>& reported_errors() { return headless::backend().errors; }

}  // namespace platform
