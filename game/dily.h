// The pieces every level is made of: the common assets loaded once per run, the menu's layout,
// and the set-up of each of the six levels.
#pragma once

#include <cstdint>

// The material library, the ship, the bonus and `blok`, the pick-ups, barrels, stones, turrets
// and shot models with their octrees; the sky, the HUD bars and the probes. Only the first call
// of a run does anything.
void loadCommonAssets();

// Sizes and places the level buttons, the settings and exit buttons and the preview panel;
// a button the menu shrank comes back to 120 x 48.
void layOutMenu();

// Puts level `n` (1..6) in place. A level other than the one loaded last is loaded first (its
// progress recorded, its meshes, actors and materials); every call then places the objects,
// refills the ship and starts the level's ambient sound.
void setUpLevel(int32_t n);
