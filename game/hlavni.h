// The main form's unit: start-up, frame loop, menus and input, and the program's ends.
#pragma once

// The game's regular end: close the form, switch the viewer off, halt the process.
[[noreturn]] void endProgram();

// Stops waves 1 to 10 with all their copies (the explosion, wave 0, sounds on).
void stopAllWaves();
