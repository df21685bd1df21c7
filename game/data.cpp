// The game state with resetGame, and the ship's procedures: steering, firing and arming,
// the box and the probes, the pick-ups, the lives and the closing fly-away.
#include "game/data.h"

#include "engine/keyboard.h"
#include "engine/proxy_object.h"
#include "engine/random.h"
#include "game/dily.h"
#include "game/form/form1.h"
#include "game/hlavni.h"
#include "game/kolize.h"

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

namespace {

using Obj = TGLBaseSceneObject;

TForm1& F() { return *Form1; }

// Sums are worked out wide and stored as the 32-bit float the property holds.
void addX(Obj& o, double d) { o.Position().SetX(static_cast<float>(o.Position().X() + d)); }
void addY(Obj& o, double d) { o.Position().SetY(static_cast<float>(o.Position().Y() + d)); }
void addWidth(TGLHUDSprite& bar, double d) { bar.SetWidth(static_cast<float>(bar.Width() + d)); }

const std::array<TShotPool*, 5> kPools = {&shots1, &shots2, &shots3, &shots4, &shots5};

void stopLasers() {
  for (int32_t wave = 1; wave <= 4; ++wave) F().list->stopWave(wave);
}

void setMasters(std::initializer_list<int> pools, TGLBaseSceneObject* master) {
  for (int pool : pools)
    for (int slot = 1; slot <= 20; ++slot) (*kPools[pool - 1])[slot]->SetMasterObject(master);
}

// Shows exactly the turrets listed among zbran1..zbran6.
void showTurrets(std::initializer_list<TGLFreeForm*> shown) {
  TForm1& f = F();
  for (TGLFreeForm* turret : {f.zbran1, f.zbran2, f.zbran3, f.zbran4, f.zbran5, f.zbran6}) {
    bool visible = false;
    for (TGLFreeForm* s : shown) visible = visible || s == turret;
    turret->SetVisible(visible);
  }
}

// --- firing

// Pool `pool` fires the shot in its next slot from the ship, offset by (dx, dy).
TGLProxyObject& fireShot(TShotPool& pool, int32_t& slot, float& timer, float dx, float dy) {
  TGLProxyObject& shot = *pool[slot];
  shot.Position().Assign(F().muz->Position());
  shot.SetVisible(true);
  shot.SetPitchAngle(0);
  shot.SetTag(0);
  addX(shot, dx);
  addY(shot, dy);
  slot += 1;
  if (slot == 21) slot = 1;  // the oldest shot is taken back even if it still flies
  timer = 1;
  return shot;
}

void fire() {
  TForm1& f = F();
  if (!KeyIsDown(platform::vkSpace) && !KeyIsDown(platform::vkControl)) {
    // One below each pool's firing count: holding the key fires every pool at once.
    fireTimer1 = 9;
    fireTimer2 = 11;
    fireTimer3 = 9;
    fireTimer4 = 10;
    fireTimer5 = 11;
    fireSoundArmed = 1;
    stopLasers();
    return;
  }
  if (f.energie->Width() < 2) return;
  if (fireSoundArmed != 0) {
    f.list->playWave(fireWave);
    fireSoundArmed = 0;
  }
  addWidth(*f.energie, -0.06);
  for (int32_t* slot : {&shotSlot1, &shotSlot2, &shotSlot3, &shotSlot4, &shotSlot5})
    if (*slot < 1) *slot = 1;

  const bool gun1 = f.zbran1->Visible(), gun2 = f.zbran2->Visible();
  const bool laser = f.zbran3->Visible(), rear = f.zbran4->Visible(), swing = f.zbran5->Visible();
  if (!laser && !rear && !swing) {
    fireTimer1 += 1;
    if (gun1) fireTimer2 += 1, fireTimer3 += 1;
    if (gun2) fireTimer4 += 1, fireTimer5 += 1;
    if (fireTimer1 == 10) fireShot(shots1, shotSlot1, fireTimer1, -35, 0);
    if (gun1 && fireTimer2 == 12) fireShot(shots2, shotSlot2, fireTimer2, -2, -13);
    if (gun1 && fireTimer3 == 10) fireShot(shots3, shotSlot3, fireTimer3, -2, 13);
    if (gun2 && fireTimer4 == 11) fireShot(shots4, shotSlot4, fireTimer4, -26, 8);
    if (gun2 && fireTimer5 == 12) fireShot(shots5, shotSlot5, fireTimer5, -26, -6);
  }
  if (laser && !rear) {
    fireTimer1 += 1;
    fireTimer2 += 1;
    if (fireTimer1 == 10) fireShot(shots1, shotSlot1, fireTimer1, -35, 5);
    if (fireTimer2 == 12) fireShot(shots2, shotSlot2, fireTimer2, -35, -5);
  }
  if (rear) {
    fireTimer1 += 1;
    fireTimer2 += 1;
    if (fireTimer1 == 10) fireShot(shots1, shotSlot1, fireTimer1, -35, 0);
    if (fireTimer2 == 12) fireShot(shots2, shotSlot2, fireTimer2, -15, 0);
  }
  if (swing) {
    fireTimer1 += 1;
    fireTimer2 += 1;
    fireTimer3 += 1;
    if (fireTimer1 == 10) fireShot(shots1, shotSlot1, fireTimer1, -35, 0).SetRollAngle(0);
    // The swinging turrets aim their shots.
    if (fireTimer2 == 12) {
      TGLProxyObject& shot = fireShot(shots2, shotSlot2, fireTimer2, -28, -5);
      shot.SetRollAngle(0);
      shot.SetPitchAngle(f.zbran5->RollAngle());
    }
    if (fireTimer3 == 10) {
      TGLProxyObject& shot = fireShot(shots3, shotSlot3, fireTimer3, 0, 10);
      shot.SetRollAngle(0);
      shot.SetPitchAngle(f.zbran6->RollAngle());
    }
  }
}

// --- pick-ups

// A pick-up comes back far ahead of the ship at its height once it has passed it; while the
// level keeps pick-ups out it waits behind the ship.
void drift(TGLFreeForm& pickup, double step, float reentryX, bool parkEveryFrame) {
  const Obj& ship = *F().muz;
  addX(pickup, step);
  if (pickup.Position().X() > 250) {
    if (pickupGate)
      pickup.Position().SetPoint(reentryX, ship.Position().Y(), ship.Position().Z());
    else if (!parkEveryFrame)
      pickup.Position().SetX(300);
  }
  if (!pickupGate && parkEveryFrame) pickup.Position().SetX(300);
}

void lastLifeBonus() {
  TForm1& f = F();
  f.bonus->Position().SetZ(f.muz->Position().Z());
  f.havarie->SetVisible(false);
  if (lives > 0) {
    f.bonus->Position().SetX(-400);
    f.bonus->SetVisible(false);
    return;
  }
  crashBlink = static_cast<float>(crashBlink + timeFactor * 4.0);
  crashSoundTick += 1;
  if (crashSoundTick == 1) f.list->playWave(6);
  if (crashSoundTick > 30) crashSoundTick = 0;
  if (crashBlink > 1 && crashBlink < 10) f.havarie->SetVisible(true);
  if (crashBlink > 20) crashBlink = 1;
  f.bonus->SetVisible(true);
  f.bonus->MoveAlongDirection(timeFactor * -2.0f);
  f.bonus->RollBy(timeFactor * -3.0f);
  if (f.bonus->Position().X() < -300) {
    f.bonus->Position().SetX(600);
    f.bonus->Position().SetY(f.muz->Position().Y());
  }
}

void clampBar(TGLHUDSprite& bar) {
  if (bar.Width() < 1) bar.SetWidth(1);
  if (bar.Width() > 150) bar.SetWidth(150);
}

}  // namespace

void createShotPools() {
  Randomize();
  TForm1& f = F();
  TGLBaseSceneObject* masters[5] = {f.strela1, f.strela2, f.strela2, f.strela3, f.strela3};
  for (int pool = 0; pool < 5; ++pool)
    for (int slot = 1; slot <= 20; ++slot) {
      TGLProxyObject* shot = f.cek->CreateChild<TGLProxyObject>();
      (*kPools[pool])[slot] = shot;
      shot->SetMasterObject(masters[pool]);
      shot->SetProxyOptions(pooObjects);
      shot->SetDirection(masters[pool]->Direction());
    }
}

void parkAllShots() {
  for (TShotPool* pool : kPools)
    for (int slot = 1; slot <= 20; ++slot) {
      (*pool)[slot]->Position().SetY(-1000);
      (*pool)[slot]->SetVisible(false);
    }
}

void armWeapons1() {
  TForm1& f = F();
  showTurrets({});
  setMasters({1}, f.strela1);
  setMasters({2, 3}, f.strela2);
  setMasters({4, 5}, f.strela3);
  parkAllShots();
}

void armWeapons3() {
  showTurrets({F().zbran3});
  setMasters({1, 2}, F().strela4);
  parkAllShots();
}

void armWeapons4() {
  showTurrets({F().zbran4});
  setMasters({1, 2}, F().strela5);
  parkAllShots();
}

void armWeapons5() {
  TForm1& f = F();
  showTurrets({f.zbran5, f.zbran6});
  setMasters({1}, f.strela5);
  setMasters({2, 3}, f.strela4);
  parkAllShots();
}

void rearmShip() {
  TForm1& f = F();
  stopLasers();
  switch (weaponLevel) {
    case 1:
      armWeapons1();
      fireWave = 1;
      break;
    case 2:
      armWeapons1();
      f.zbran1->SetVisible(true);
      f.zbran2->SetVisible(true);
      fireWave = 1;
      break;
    case 3:
      armWeapons3();
      fireWave = 2;
      break;
    case 4:
      armWeapons4();
      fireWave = 3;
      break;
    case 5:
      armWeapons5();
      fireWave = 4;
      break;
    default:
      break;
  }
  weaponChanged = false;
  f.list->playWave(fireWave);
}

void readFlightControls() {
  TForm1& f = F();
  Obj& ship = *f.muz;
  // Each held direction costs fuel per frame, whether or not there is fuel left to move.
  auto steer = [&](int key, int alternative, bool vertical, double sign) {
    if (!KeyIsDown(key) && !KeyIsDown(alternative)) return;
    addWidth(*f.palivo, -0.04);
    if (f.palivo->Width() > 2) {
      if (vertical)
        addY(ship, sign * steerStep);
      else
        addX(ship, sign * steerStep);
    }
  };
  steer(platform::vkUp, 'W', true, 1);
  steer(platform::vkDown, 'S', true, -1);
  steer(platform::vkRight, 'D', false, -1);  // screen right is -X
  steer(platform::vkLeft, 'A', false, 1);
  if (KeyIsDown('P')) paused = true;
  fire();
}

void constrainShip() {
  TForm1& f = F();
  TGLCoordinates& ship = f.muz->Position();
  if (ship.Y() < -50) ship.SetY(-50);
  if (ship.Y() > 160) ship.SetY(160);
  if (ship.X() > 163) ship.SetX(163);
  if (ship.X() < -124) ship.SetX(-124);

  // The camera follows the ship's height two units a frame.
  TGLCoordinates& eye = f.camera->Position();
  if (ship.Y() + 50 > eye.Y()) eye.SetY(eye.Y() + 2);
  if (ship.Y() + 50 < eye.Y()) eye.SetY(eye.Y() - 2);

  f.lod->SetPitchAngle(f.lod->PitchAngle() + rockRate);
  if (f.lod->PitchAngle() > 40) rockRate = timeFactor * -2;
  if (f.lod->PitchAngle() < -40) rockRate = timeFactor * 2;

  const float x = ship.X(), y = ship.Y(), z = ship.Z();
  f.pbok->Position().SetPoint(x - 35, y, z);
  f.lbok->Position().SetPoint(x, y, z);
  f.spodek->Position().SetPoint(x - 20, y - 3, z);
  f.vrch->Position().SetPoint(x - 20, y + 3, z);
  f.blok->Position().SetY(eye.Y());
}

void pushShipFromWalls() {
  if (!firstFrameDone) {
    lives = 3;
    return;
  }
  TForm1& f = F();
  Obj& ship = *f.muz;
  if (probeTest(f.pbok, steerStep)) addX(ship, steerStep);
  if (probeTest(f.lbok, steerStep)) addX(ship, -steerStep);
  if (probeTest(f.vrch, steerStep)) addY(ship, -steerStep);
  if (probeTest(f.spodek, steerStep)) addY(ship, steerStep);
}

void updatePickups() {
  TForm1& f = F();
  lastLifeBonus();
  drift(*f.n_zbrane, weaponLevel < 5 ? timeFactor * 3.0 : 0.0, -800, false);
  if (weaponChanged) rearmShip();
  drift(*f.n_palivo, timeFactor * 2.0, -400, true);
  drift(*f.n_energie, timeFactor * 3.0, -1300, true);
  clampBar(*f.palivo);
  clampBar(*f.energie);
}

void updateLives() {
  TForm1& f = F();
  if (lives == 3) {
    f.srdce1->SetVisible(true);
    f.srdce2->SetVisible(true);
    f.srdce3->SetVisible(true);
    hitPercent = 0;
    f.zi->SetText("0%");
  }
  if (lives == 2) {
    f.srdce1->SetVisible(false);
    f.srdce2->SetVisible(true);
    f.srdce3->SetVisible(true);
  }
  if (lives == 1) {
    f.srdce1->SetVisible(false);
    f.srdce2->SetVisible(false);
    f.srdce3->SetVisible(true);
  }
  if (lives == 0) f.srdce3->SetVisible(false);
  if (lives < 0) {
    // All lives lost: the level starts again with the meshes it has.
    sorryTimer = 80;
    resetGame();
    startHold = 50;
    setUpLevel(levelNumber);
  }
  if (hitRecovery < 120) {
    hitRecovery = static_cast<float>(hitRecovery + timeFactor * 5.0);
    if (hitRecovery > 120) hitRecovery = 120;
  }
  if (!shipHit) {
    f.raketa_hori->SetDisabled(true);
    return;
  }
  // A hit costs a life only once the ship has recovered from the last; the guns go anyway.
  if (hitRecovery == 120) {
    lives -= 1;
    hitRecovery = 1;
    if (lives > 0) f.list->playWave(6);
  }
  weaponLevel = 1;
  weaponChanged = true;
  f.raketa_hori->SetDisabled(false);
  shipHit = false;
}

void closingSequence() {
  TForm1& f = F();
  parkAllShots();
  f.informace->SetText("Diky...konec hry...");
  Obj& ship = *f.muz;
  if (ship.Position().X() > -200) addX(ship, timeFactor * -4.0);
  addY(ship, 0.5);  // per frame, whatever the frame time
  f.lod->SetPitchAngle(f.lod->PitchAngle() + timeFactor * 2);
  if (ship.Position().X() <= -200) endProgram();
}
