// The game state's definitions and resetGame.
#include "game/data.h"

#include "engine/random.h"
#include "game/form/form1.h"
#include "game/hlavni.h"

float timeFactor, steerStep, scrollStep, shotStep;

bool titleScreen, inMenu, resetPending, assetsLoaded, paused, levelComplete, gameFinished,
    firstFrameDone, enemyGateA, enemyGateB, enemyGateC, pickupGate, shipHit, weaponChanged,
    showProbes;

int32_t levelNumber, selectedLevel, levelsOpen, lives, hitPercent, weaponLevel, fireWave, startHold;
float hitRecovery, sorryTimer, crashBlink;
int32_t crashSoundTick;
float rockRate;
float fireTimer1, fireTimer2, fireTimer3, fireTimer4, fireTimer5;
int32_t shotSlot1, shotSlot2, shotSlot3, shotSlot4, shotSlot5;
int32_t fireSoundArmed;
int32_t swing5, swing6;
int32_t hitFxTimer1, hitFxTimer2, hitFxTimer3, hitFxTimer4, hitFxTimer5;
int32_t mouseX, mouseY;
float probeSize, probeDepth;
std::string animName;

TShotPool shots1, shots2, shots3, shots4, shots5;
TVector sweepStart, sweepVector, sweepHitPoint, sweepHitNormal;
TTextFile progressFile;

void resetGame() {
  Randomize();
  resetPending = true;
  firstFrameDone = false;
  fireTimer1 = 9.0f;
  shotSlot1 = 1;
  scrollStep = 0;
  enemyGateA = true;
  enemyGateB = true;
  shipHit = false;
  rockRate = 0.7f;
  swing5 = 2;
  swing6 = 2;
  weaponLevel = 1;
  weaponChanged = false;
  lives = 3;
  fireSoundArmed = 0;
  fireWave = 1;
  hitPercent = 0;
  pickupGate = true;
  levelComplete = false;
  startHold = 0;
  paused = false;
  if (Form1 && Form1->max) Form1->max->SetVisible(false);
  gameFinished = false;
  titleScreen = false;
  crashSoundTick = 0;
}

void clearGameState() {
  timeFactor = steerStep = scrollStep = shotStep = 0;
  titleScreen = inMenu = resetPending = assetsLoaded = paused = levelComplete = gameFinished =
      firstFrameDone = enemyGateA = enemyGateB = enemyGateC = pickupGate = shipHit = weaponChanged =
          showProbes = false;
  levelNumber = selectedLevel = levelsOpen = lives = hitPercent = weaponLevel = fireWave =
      startHold = 0;
  hitRecovery = sorryTimer = crashBlink = 0;
  crashSoundTick = 0;
  rockRate = 0;
  fireTimer1 = fireTimer2 = fireTimer3 = fireTimer4 = fireTimer5 = 0;
  shotSlot1 = shotSlot2 = shotSlot3 = shotSlot4 = shotSlot5 = 0;
  fireSoundArmed = 0;
  swing5 = swing6 = 0;
  hitFxTimer1 = hitFxTimer2 = hitFxTimer3 = hitFxTimer4 = hitFxTimer5 = 0;
  mouseX = mouseY = 0;
  probeSize = probeDepth = 0;
  animName.clear();
  shots1 = shots2 = shots3 = shots4 = shots5 = TShotPool{};
  sweepStart = sweepVector = sweepHitPoint = sweepHitNormal = TVector{};
  progressFile = TTextFile{};
}

// The shot models and `cek` arrive with the rest of the form's composition; until then there
// is nothing to fill the pools from.
void createShotPools() {}

// The play-frame procedures take shape with the form's objects; until those exist a frame has
// nothing to steer, arm or count.
void readFlightControls() {}
void constrainShip() {}
void pushShipFromWalls() {}
void updatePickups() {}
void updateLives() {}
void closingSequence() {}
void armWeapons1() {}
void armWeapons3() {}
void armWeapons4() {}
void armWeapons5() {}
void rearm_ship() { weaponChanged = false; }
