// The shared key state behind key_is_down: a held mask per code and a latch that a key-down sets
// and the next query of that key clears, so a tap between two frames is never lost.
#include "platform/common/key_state.h"

#include <array>

#include "platform/platform.h"

namespace platform::detail {
namespace {

struct KeyState {
  std::array<uint8_t, 256> held{};  // one bit per source
  std::array<bool, 256> pressed_since_query{};
};

KeyState& keys() {
  static KeyState state;
  return state;
}

bool valid(int vk) { return vk >= 0 && vk < 256; }

}  // namespace

void key_pressed(int vk, int source) {
  if (!valid(vk)) return;
  keys().held[vk] |= static_cast<uint8_t>(1u << (source & 7));
  keys().pressed_since_query[vk] = true;
}

void key_released(int vk, int source) {
  if (!valid(vk)) return;
  keys().held[vk] &= static_cast<uint8_t>(~(1u << (source & 7)));
}

bool key_held(int vk) { return valid(vk) && keys().held[vk] != 0; }

void release_all_keys() { keys().held.fill(0); }

void reset_keys() { keys() = KeyState{}; }

uint32_t key_shift_state() {
  uint32_t shift = 0;
  if (key_held(vkShift)) shift |= ssShift;
  if (key_held(vkControl)) shift |= ssCtrl;
  if (key_held(vkMenu)) shift |= ssAlt;
  return shift;
}

}  // namespace platform::detail

namespace platform {

bool key_is_down(int vk) {
  if (vk < 0 || vk >= 256) return false;
  bool pressed = detail::key_held(vk) || detail::keys().pressed_since_query[vk];
  detail::keys().pressed_since_query[vk] = false;
  return pressed;
}

}  // namespace platform
