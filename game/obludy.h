// The enemies' per-frame updates: the wave enemies and the level monsters and carriers. The frame
// loop calls them for the level being played, in a fixed order, after the walls have moved.
#pragma once

// Wave enemies
void updateAlien1();
void updateAlien2();
void updateAlien3();
void updateLeaper1();
void updateLeaper2();
void updateLeaper3();
void updateDriftingStones();
void updateFallingStones();
void updateFallingBarrels();

// Level monsters and carriers
void updateCannon();
void updateMonster1();
void updateMonster2();
void updateSpider1();
void updateSpider2();
void updateBomber();
void updateCarriers();
void updateFinalMonster();
