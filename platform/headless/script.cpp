// The input script of headless runs: one event a line, "FRAME key down NAME" and the like, with
// '#' comments. A line that does not parse stops the run, naming the line.
#include <cctype>
#include <charconv>
#include <sstream>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace platform::headless {
namespace {

std::string upper(std::string word) {
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word;
}

bool parse_int(const std::string& word, int64_t& value) {
  const char* end = word.data() + word.size();
  auto result = std::from_chars(word.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

int key_code(const std::string& name) {
  std::string n = upper(name);
  if (n == "ESC" || n == "ESCAPE") return vkEscape;
  if (n == "SPACE") return vkSpace;
  if (n == "CTRL") return vkControl;
  if (n == "SHIFT") return vkShift;
  if (n == "ENTER") return vkReturn;
  if (n == "UP") return vkUp;
  if (n == "DOWN") return vkDown;
  if (n == "LEFT") return vkLeft;
  if (n == "RIGHT") return vkRight;
  if (n.size() == 1 && ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= '0' && n[0] <= '9'))) return n[0];
  return -1;
}

int button_code(const std::string& name) {
  std::string n = upper(name);
  if (n == "LEFT") return mbLeft;
  if (n == "RIGHT") return mbRight;
  return -1;
}

ScriptEvent parse_line(const std::vector<std::string>& words) {
  auto fail = [](const std::string& what) -> ScriptEvent { throw Exception(what); };
  ScriptEvent event;
  int64_t number = 0;
  if (!parse_int(words[0], number) || number < 0) {
    return fail("bad frame number \"" + words[0] + "\"");
  }
  event.frame = number;
  if (words.size() < 2) return fail("event missing after the frame number");
  std::string what = upper(words[1]);
  std::string how = words.size() > 2 ? upper(words[2]) : std::string();
  auto arguments = [&](size_t count, const std::string& form) {
    if (words.size() != count) throw Exception("expected \"" + form + "\"");
  };
  auto small_int = [&](const std::string& word) {
    int64_t v = 0;
    if (!parse_int(word, v) || v < -1000000 || v > 1000000) {
      throw Exception("bad number \"" + word + "\"");
    }
    return static_cast<int>(v);
  };

  if (what == "KEY" && (how == "DOWN" || how == "UP")) {
    arguments(4, "FRAME key down|up NAME");
    event.kind = how == "DOWN" ? ScriptEvent::KeyDown : ScriptEvent::KeyUp;
    event.a = key_code(words[3]);
    if (event.a < 0) return fail("unknown key \"" + words[3] + "\"");
  } else if (what == "MOUSE" && how == "MOVE") {
    arguments(5, "FRAME mouse move X Y");
    event.kind = ScriptEvent::MouseMove;
    event.a = small_int(words[3]);
    event.b = small_int(words[4]);
  } else if (what == "MOUSE" && (how == "DOWN" || how == "UP")) {
    arguments(4, "FRAME mouse down|up left|right");
    event.kind = how == "DOWN" ? ScriptEvent::MouseDown : ScriptEvent::MouseUp;
    event.a = button_code(words[3]);
    if (event.a < 0) return fail("unknown mouse button \"" + words[3] + "\"");
  } else if (what == "WHEEL") {
    arguments(3, "FRAME wheel N");
    event.kind = ScriptEvent::Wheel;
    event.a = small_int(words[2]) * 120;
  } else {
    std::string shown = words[1] + (words.size() > 2 ? " " + words[2] : std::string());
    return fail("unknown event \"" + shown + "\"");
  }
  return event;
}

}  // namespace

std::vector<ScriptEvent> parse_script(const std::string& text) {
  std::vector<ScriptEvent> events;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream split(line);
    std::vector<std::string> words;
    for (std::string word; split >> word;) words.push_back(word);
    if (words.empty()) continue;
    try {
      events.push_back(parse_line(words));
    } catch (const Exception& error) {
      throw Exception("line " + std::to_string(number) + ": " + error.what());
    }
  }
  return events;
}

}  // namespace platform::headless
