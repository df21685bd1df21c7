// The atomic rewrite shared by the exception-raising and the I/O-result file calls.
#pragma once

#include <string>

namespace platform {

// Temporary file in the same folder, written, synced, renamed over `path`; the folder synced.
// Returns 0 or the failing step's errno; on failure the old file is untouched.
int replace_file(const std::string& path, const std::string& content);

}  // namespace platform
