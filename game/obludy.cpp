// The enemies' per-frame updates. Until the enemies move, every level plays without them.
#include "game/obludy.h"

void updateAlien1() {}
void updateAlien2() {}
void updateAlien3() {}
void updateLeaper1() {}
void updateLeaper2() {}
void updateLeaper3() {}
void updateDriftingStones() {}
void updateFallingStones() {}
void updateFallingBarrels() {}

void updateCannon() {}
void updateMonster1() {}
void updateMonster2() {}
void updateSpider1() {}
void updateSpider2() {}
void updateBomber() {}
void updateCarriers() {}
void updateFinalMonster() {}
