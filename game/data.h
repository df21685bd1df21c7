// The game state: the module-level variables every game unit reads and writes, and resetGame.
// There is no game object; everything runs on the one user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/vector_math.h"

class TGLProxyObject;

// Frame scaling: written at the top of every play frame by kadencer from the frame's elapsed time.
extern float timeFactor;  // elapsed seconds x 20 (1.0 at 20 frames per second)
extern float steerStep;   // timeFactor x 7
extern float scrollStep;  // timeFactor x 0.5; 0 in a frame where the level stops scrolling
extern float shotStep;    // timeFactor x 10

// Modes and flags: create sets the first four; resetGame resets most of them before a level.
extern bool titleScreen;
extern bool inMenu;
extern bool resetPending;
extern bool assetsLoaded;
extern bool paused;
extern bool levelComplete;
extern bool gameFinished;
extern bool firstFrameDone;
extern bool enemyGateA, enemyGateB, enemyGateC;  // recomputed every play frame from the walls
extern bool pickupGate;
extern bool shipHit;        // set by the collision response, consumed by updateLives
extern bool weaponChanged;  // applied by the armament step
extern bool showProbes;

// Counters and values: see each one's writers in the unit that owns the step.
extern int32_t levelNumber;
extern int32_t selectedLevel;
extern int32_t levelsOpen;  // from the progress file; only grows
extern int32_t lives;
extern int32_t hitPercent;
extern int32_t weaponLevel;
extern int32_t fireWave;
extern int32_t startHold;
extern float hitRecovery;
extern float sorryTimer;
extern float crashBlink;
extern int32_t crashSoundTick;
extern float rockRate;
extern float fireTimer1, fireTimer2, fireTimer3, fireTimer4, fireTimer5;
extern int32_t shotSlot1, shotSlot2, shotSlot3, shotSlot4, shotSlot5;
extern int32_t fireSoundArmed;
extern int32_t swing5, swing6;
extern int32_t hitFxTimer1, hitFxTimer2, hitFxTimer3, hitFxTimer4, hitFxTimer5;
extern int32_t mouseX, mouseY;
extern float probeSize, probeDepth;
extern std::string animName;

// Object references and work areas. The pools are counted 1..20 as the game counts them;
// slot 0 stays empty.
using TShotPool = std::array<TGLProxyObject*, 21>;
extern TShotPool shots1, shots2, shots3, shots4, shots5;
extern TVector sweepStart, sweepVector, sweepHitPoint, sweepHitNormal;

// The progress file's text-file variable: bound to its path at start-up, never closed.
struct TTextFile {
  std::string path;
};
extern TTextFile progressFile;

// Puts the state back before a level is set up (the HUD bar `max` is hidden too).
void resetGame();

// Every variable back to its program-start value (zero, false, empty): the headless runner and
// the tests start several runs in one process.
void clearGameState();

// The ship, firing, lives and HUD procedures of the play frame, in the order the frame loop
// calls them (game/data.cpp).

// The five shot pools of 20 proxies under `cek`, made once at start-up.
void createShotPools();

// Steering (arrows or W, A, S, D, each held group costing fuel), P to pause, Space or Ctrl to
// fire from the five shot pools at the rhythm of the turrets shown.
void readFlightControls();
// Keeps the ship in its box, lets the camera follow its height, rocks the ship and brings the
// four wall probes and `blok` along.
void constrainShip();
// The four probe tests; each contact pushes the ship one steering step back. In the first play
// frame after a reset it only puts the lives back to 3.
void pushShipFromWalls();
// The last-life bonus, the drift of the three pick-ups, the re-arming after a weapon change and
// the limits of the fuel and energy bars.
void updatePickups();
// Hearts, hit recovery, the loss of a life and the restart of the level once all are lost.
void updateLives();
// The fly-away after the last monster: ends the program once the ship is past X = -200.
void closingSequence();

// The armings: each shows exactly its turrets among zbran1..zbran6, sets its pools' masters and
// takes every shot out of flight. armWeapons1 also starts every level.
void armWeapons1();
void armWeapons3();
void armWeapons4();
void armWeapons5();
// Re-arms the ship for `weaponLevel` (the arming, `fireWave`, the firing sound) and clears
// `weaponChanged`.
void rearmShip();
// Every shot of the five pools hidden at Y = -1000.
void parkAllShots();
