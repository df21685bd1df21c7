// The program entry shared by karmund and karmund-headless: the same form, handlers and frame loop.
#pragma once

#include <functional>

// Starts the platform (platform::init), creates the main form and runs its create handler, inside
// which the whole game runs, then ends.
// `atStart` runs once the form is composed, before its create handler (tests hook in there).
// `atEnd` runs while the form still exists, with how the run ended ("halt", "error", or the
// headless backend's "frames" and "stalled"). Returns the process's exit status: 0, or non-zero
// after a reported start-up error.
int Karmund(const std::function<void(const char* reason)>& atEnd = {},
            const std::function<void()>& atStart = {});
