// The main form's unit: start-up, frame loop, menus and input, and the program's ends.
#pragma once

// The game's regular end: close the form, switch the viewer off, halt the process.
[[noreturn]] void endProgram();

// The five shot pools of 20 proxies under `cek`, made once at start-up.
void createShotPools();
