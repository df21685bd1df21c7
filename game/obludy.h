// The enemies: each level's enemy updates, run once per play frame by the frame loop, and the
// explosions they and the shots set off (the barrel blast and the five hit bursts).
#pragma once

// Wave enemies: aliens (levels 1, 3, 6), leapers (level 2), stones, falling barrels (level 5).
void updateAlien1();
void updateAlien2();
void updateAlien3();
void updateLeaper1();
void updateLeaper2();
void updateLeaper3();
void updateDriftingStones();
void updateFallingStones();
void updateFallingBarrels();

// Level monsters and carriers: cannon and monster (level 1), monster (level 2), spiders and
// bomber (level 4), carriers and the final monster (level 6).
void updateCannon();
void updateMonster1();
void updateMonster2();
void updateSpider1();
void updateSpider2();
void updateBomber();
void updateCarriers();
void updateFinalMonster();

// The barrel explosion at `zasah_sud`; the caller puts `zasah_sud` where the barrel was and
// plays the sound if one goes with it.
void barrelBlast();
// The hit explosion of shot pool N at `zasN` with the "vybuch" wave, at most once every
// 10 play frames each (the frame loop counts hitFxTimerN down).
void hitBurst1();
void hitBurst2();
void hitBurst3();
void hitBurst4();
void hitBurst5();
