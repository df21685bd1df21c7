// The asynchronous key-state query the game polls every frame.
#pragma once

#include "platform/platform.h"

// True while the key is held, or if it was pressed since the previous query of that key.
inline bool KeyIsDown(int vk) { return platform::key_is_down(vk); }
