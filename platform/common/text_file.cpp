// Text-file input and output with the runtime's I/O result codes, for the progress file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/common/replace_file.h"
#include "platform/platform.h"

namespace platform {
namespace {

int io_code(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return 2;
    case ENAMETOOLONG:
    case EINVAL:
    case EISDIR:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
      return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 101;
    default:
      return error != 0 ? error : 1;
  }
}

}  // namespace

int read_text_file(const std::string& path, std::string& content) {
  content.clear();
  const std::string mapped = map_data_path(path);
  if (mapped.empty()) return 3;
  int fd = ::open(mapped.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return io_code(errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return 5;
  }
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int code = io_code(errno);
      ::close(fd);
      return code;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return 0;
}

int replace_text_file(const std::string& path, const std::string& content) {
  if (map_data_path(path).empty()) return 3;
  int error = replace_file(path, content);
  return error == 0 ? 0 : io_code(error);
}

}  // namespace platform
