// The keyboard state both backends share: which keys are held, and which were pressed since the
// game last asked about them (the asynchronous key-state query reports both).
#pragma once

#include <cstdint>

namespace platform::detail {

// `source` tells apart two physical keys with one code (left and right Ctrl): 0 or 1.
void key_pressed(int vk, int source = 0);
void key_released(int vk, int source = 0);
bool key_held(int vk);
// Focus went elsewhere: no key-up will come for what is held now. Latches stay.
void release_all_keys();
void reset_keys();
// ssShift / ssCtrl / ssAlt from the held modifier keys.
uint32_t key_shift_state();

}  // namespace platform::detail
