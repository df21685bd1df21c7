// PNG files of offscreen frames (libpng), for the headless runner's screenshots and for tests
// that want to look at what they drew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::headless {

// Writes RGBA rows (top first) as an 8-bit RGBA PNG; throws Exception naming the file when it
// cannot be written.
void write_png(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);

}  // namespace platform::headless
