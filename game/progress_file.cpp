// The progress file: reading with the runtime's I/O checking, and the atomic rewrite.
#include "game/progress_file.h"

#include <cstdio>

#include "game/data.h"
#include "platform/platform.h"

std::string ioErrorText(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "I/O error %d", code);
      return text;
    }
  }
}

int32_t parseProgress(const std::string& content, int& ioResult) {
  ioResult = 0;
  size_t i = 0;
  while (i < content.size() && static_cast<unsigned char>(content[i]) <= 32) ++i;
  std::string token;
  while (i < content.size() && static_cast<unsigned char>(content[i]) >= 33 && token.size() < 32)
    token += content[i++];
  if (token.empty()) return 0;

  size_t p = 0;
  bool negative = false;
  if (token[p] == '+' || token[p] == '-') negative = token[p++] == '-';
  if (p == token.size()) {
    ioResult = 106;
    return 0;
  }
  int64_t value = 0;
  for (; p < token.size(); ++p) {
    if (token[p] < '0' || token[p] > '9') {
      ioResult = 106;
      return 0;
    }
    value = value * 10 + (token[p] - '0');
    if (value > 2147483648LL) {
      ioResult = 106;
      return 0;
    }
  }
  if (negative) value = -value;
  if (value > 2147483647LL) {
    ioResult = 106;
    return 0;
  }
  return static_cast<int32_t>(value);
}

namespace {

void checkIo(int code) {
  if (code != 0) throw Exception(ioErrorText(code));
}

}  // namespace

void readProgress() {
  std::string content;
  int code = platform::read_text_file(progressFile.path, content);
  if (code == 2) {
    levelsOpen = 0;
    return;
  }
  checkIo(code);
  int32_t value = parseProgress(content, code);
  checkIo(code);
  levelsOpen = value;
}

void recordProgress(int32_t level) {
  readProgress();
  if (levelsOpen >= level) return;
  levelsOpen = level;
  checkIo(platform::replace_text_file(progressFile.path, std::to_string(level) + "\r\n"));
}
