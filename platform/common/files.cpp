// Data files in the working directory: the backslash paths of the data, whole-file reads with the
// file-open error text, and the atomic rewrite that never leaves a half-written file behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/common/replace_file.h"
#include "platform/platform.h"

namespace platform {
namespace {

std::string open_error(const std::string& path, int error) {
  return "Cannot open file \"" + full_path(path) + "\". " + std::strerror(error);
}

std::string write_error(const std::string& path, int error) {
  return "Cannot write file \"" + full_path(path) + "\". " + std::strerror(error);
}

// Closes the descriptor and removes the temporary file unless the rename went through.
struct TempFile {
  std::string name;
  int fd = -1;
  bool keep = false;
  ~TempFile() {
    if (fd >= 0) ::close(fd);
    if (!keep && !name.empty()) ::unlink(name.c_str());
  }
};

}  // namespace

std::string map_data_path(const std::string& path) {
  std::string mapped = path;
  for (char& c : mapped) {
    if (c == '\\') c = '/';
  }
  return mapped;
}

std::string full_path(const std::string& path) {
  std::error_code error;
  std::filesystem::path mapped(map_data_path(path));
  std::filesystem::path absolute = std::filesystem::absolute(mapped, error);
  if (error) return mapped.string();
  return absolute.lexically_normal().string();
}

bool file_exists(const std::string& path) {
  struct stat info {};
  return ::stat(map_data_path(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<uint8_t> read_file(const std::string& path) {
  int fd = ::open(map_data_path(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Exception(open_error(path, errno));
  TempFile guard{"", fd, true};  // only to close the descriptor
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw Exception(open_error(path, errno));
  if (S_ISDIR(info.st_mode)) throw Exception(open_error(path, EISDIR));

  std::vector<uint8_t> data;
  if (info.st_size > 0) data.reserve(static_cast<size_t>(info.st_size));
  uint8_t buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Exception(open_error(path, errno));
    }
    if (got == 0) break;
    data.insert(data.end(), buffer, buffer + got);
  }
  return data;
}

int replace_file(const std::string& path, const std::string& content) {
  std::string target = map_data_path(path);
  std::filesystem::path folder = std::filesystem::path(target).parent_path();
  std::string pattern = (folder.empty() ? std::string(".") : folder.string()) + "/." +
                        std::filesystem::path(target).filename().string() + ".XXXXXX";

  TempFile temp;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  temp.fd = ::mkstemp(name.data());
  if (temp.fd < 0) return errno;
  temp.name = name.data();

  const char* at = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t put = ::write(temp.fd, at, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    at += put;
    left -= static_cast<size_t>(put);
  }
  // The content must be on the disk before the name points at it, or a crash leaves it empty.
  if (::fsync(temp.fd) != 0) return errno;
  // mkstemp makes the file private; a progress file is an ordinary one.
  ::fchmod(temp.fd, 0644);
  int fd = temp.fd;
  temp.fd = -1;
  if (::close(fd) != 0) return errno;
  if (::rename(temp.name.c_str(), target.c_str()) != 0) return errno;
  temp.keep = true;

  // Make the rename itself durable; a failure here no longer risks the content.
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

void write_file_atomic(const std::string& path, const std::string& content) {
  if (int error = replace_file(path, content)) throw Exception(write_error(path, error));
}

}  // namespace platform
