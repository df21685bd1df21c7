// The generated content shared by the content tests: built once per test run into a temporary
// folder, and read back file by file.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "content/build.h"

namespace content_test {

// The output folder of this test program; each file in it is made when a test first asks
// for it (CTest runs every test in a process of its own, so nothing is made that is not read).
inline const std::filesystem::path& out_dir() {
  // Removed again when the test program ends.
  struct Folder {
    std::filesystem::path path;
    Folder()
        : path(std::filesystem::temp_directory_path() /
               ("karmund-content-test-" + std::to_string(::getpid()))) {
      std::filesystem::remove_all(path);
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}

// Makes every product (once) and returns the folder.
inline const std::filesystem::path& built() {
  static const bool all = (content::build(out_dir().string(), 2), true);
  (void)all;
  return out_dir();
}

inline std::vector<uint8_t> read(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                              std::istreambuf_iterator<char>());
}

// One product, made on first use.
inline std::vector<uint8_t> file(const std::string& relative) {
  std::filesystem::path p = out_dir() / relative;
  if (!std::filesystem::exists(p))
    content::build(out_dir().string(), 1,
                   [&](const std::string& path) { return path == relative; });
  return read(p);
}

}  // namespace content_test
