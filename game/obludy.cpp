// The enemy updates of every level and the explosions: aliens, leapers, stones and barrels, then
// the cannon, the monsters, spiders, bomber and carriers, and the blast and hit bursts they use.
#include "game/obludy.h"

#include <cstdint>

#include "engine/fire_fx.h"
#include "engine/hud_sprite.h"
#include "engine/random.h"
#include "engine/scene_object.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "sound/wave_list.h"

namespace {

using Obj = TGLBaseSceneObject;

// A step "per frame" is that much at 20 frames per second; the frame's own time scales it.
// Sums are worked out wide and stored as the position's 32-bit float.
double scaled(double step) { return step * static_cast<double>(timeFactor); }

float px(const Obj& o) { return o.Position().X(); }
float py(const Obj& o) { return o.Position().Y(); }
float pz(const Obj& o) { return o.Position().Z(); }
void setX(Obj& o, double v) { o.Position().SetX(static_cast<float>(v)); }
void setY(Obj& o, double v) { o.Position().SetY(static_cast<float>(v)); }
void setZ(Obj& o, double v) { o.Position().SetZ(static_cast<float>(v)); }
void addX(Obj& o, double d) { setX(o, px(o) + d); }
void addY(Obj& o, double d) { setY(o, py(o) + d); }
void addZ(Obj& o, double d) { setZ(o, pz(o) + d); }

Obj& ship() { return *Form1->muz; }
// The walls' scroll position: the level's timeline.
float W() { return px(*Form1->steny1); }

enum class Axis { X, Y };

float coord(const Obj& o, Axis a) { return a == Axis::X ? px(o) : py(o); }
void setCoord(Obj& o, Axis a, double v) { a == Axis::X ? setX(o, v) : setY(o, v); }

// Two tests on the current value each time; near the target the order decides on which side
// the chaser settles.
void chaseUpFirst(Obj& o, Axis a, float target, double step) {
  if (coord(o, a) < target) setCoord(o, a, coord(o, a) + step);
  if (coord(o, a) > target) setCoord(o, a, coord(o, a) - step);
}

void chaseDownFirst(Obj& o, Axis a, float target, double step) {
  if (coord(o, a) > target) setCoord(o, a, coord(o, a) - step);
  if (coord(o, a) < target) setCoord(o, a, coord(o, a) + step);
}

void playExplosion() { Form1->list->playWave(0); }

// The barrel blast where `o` is now.
void blastAt(Obj& o) {
  Form1->zasah_sud->Position().Assign(o.Position());
  barrelBlast();
}

void hitBurst(int32_t& timer, TGLFireFXManager& fx, int32_t maxParticles, float minSpeed) {
  if (timer > 0) return;
  fx.ResetFire();
  playExplosion();
  fx.SetMaxParticles(maxParticles);
  fx.SetParticleSize(10.0f);
  fx.IsotropicBurst(minSpeed, 15, 1);
  // Only the burst's own particles live on; the manager emits nothing more.
  fx.SetDisabled(true);
  timer = 10;
}

// --- aliens

struct AlienRule {
  double drift;       // levels 1 and 6
  double levelThree;  // level 3
  int32_t chaseTag;   // chases the ship's height while its Tag is this
  double chaseStep;
  int32_t fallAbove;  // falls once its Tag is above this
  float entryY;
  bool rollsInLevelThree;
};

void updateAlien(Obj& ali, Obj* body, const AlienRule& r) {
  if (levelNumber == 1 || levelNumber == 6) {
    ali.TurnBy(static_cast<float>(scaled(6)));
    addX(ali, scaled(r.drift));
  }
  if (levelNumber == 3) {
    addX(ali, scaled(r.levelThree));
    // The animated body rides with its shell, which is what the shots hit.
    if (body) {
      setX(*body, px(ali));
      setY(*body, static_cast<double>(py(ali)) + 2);
      setZ(*body, 170);
    }
  }
  if (ali.Tag() == r.chaseTag) chaseDownFirst(ali, Axis::Y, py(ship()), scaled(r.chaseStep));
  if (ali.Tag() > r.fallAbove) {
    if (levelNumber != 3 || r.rollsInLevelThree) ali.RollBy(static_cast<float>(scaled(25)));
    addY(ali, -scaled(6));
  }
  if (py(ali) < -60 || px(ali) > 250) {
    ali.ResetOrientation();
    if (levelNumber == 3) ali.SetTurnAngle(90);
    setX(ali, -250);
    setY(ali, r.entryY);
    ali.SetTag(0);
    if (!enemyGateA) {
      setY(ali, 1000);
      ali.SetVisible(false);
    }
  }
  setZ(ali, pz(ship()));
  if (enemyGateA) ali.SetVisible(true);
}

// --- leapers

struct LeaperRule {
  double firstPitch, secondPitch, speed;
  double lead;  // how far ahead of the ship it comes out of the floor
};

void updateLeaper(Obj& ali, bool gate, const LeaperRule& r) {
  if (ali.PitchAngle() >= 0)
    ali.SetPitchAngle(static_cast<float>(ali.PitchAngle() - scaled(r.firstPitch)));
  if (ali.PitchAngle() < 0 && ali.PitchAngle() > -60)
    ali.SetPitchAngle(static_cast<float>(ali.PitchAngle() - scaled(r.secondPitch)));
  ali.MoveAlongDirection(static_cast<float>(scaled(r.speed)));
  if (px(ali) > 500) setX(ali, 500);
  if (py(ali) < -100 || ali.Tag() > 1) {
    setX(ali, px(ship()) - r.lead);
    setY(ali, -95);
    ali.SetPitchAngle(90);
    ali.SetTag(0);
    // Parked below its own exit height: while the gate stays shut it is recycled every frame.
    if (!gate) {
      setY(ali, -150);
      ali.SetVisible(false);
    }
  }
  setZ(ali, pz(ship()));
  if (gate) ali.SetVisible(true);
}

// --- stones

struct DriftingStoneRule {
  double turn, drift;
  float farLimit;  // beyond it in the drift's direction the stone leaves
  float entryX;
};

void updateDriftingStone(Obj& stone, const DriftingStoneRule& r) {
  stone.TurnBy(static_cast<float>(scaled(r.turn)));
  stone.RollBy(static_cast<float>(scaled(-5)));
  addX(stone, scaled(r.drift));
  const bool beyond = r.drift < 0 ? px(stone) < r.farLimit : px(stone) > r.farLimit;
  if (py(stone) < -60 || beyond || stone.Tag() > 0) {
    setX(stone, r.entryX);
    setY(stone, py(ship()));
    stone.SetTag(0);
    if (!enemyGateB) setY(stone, 1000);
  }
  setZ(stone, pz(ship()));
  // A parked stone stays shown, up where the tunnel hides it.
  stone.SetVisible(true);
}

enum class Spin { Roll, Turn };

struct FallingStoneRule {
  Spin spin;
  double rate, fall;
};

void updateFallingStone(Obj& stone, const FallingStoneRule& r) {
  const float angle = static_cast<float>(scaled(r.rate));
  r.spin == Spin::Roll ? stone.RollBy(angle) : stone.TurnBy(angle);
  addY(stone, -scaled(r.fall));
  stone.SetVisible(true);
  if (py(stone) < -80 || stone.Tag() > 0) {
    setY(stone, 350);
    setX(stone, px(ship()));
    stone.SetTag(0);
  }
  if (!enemyGateB) {
    setY(stone, 1000);
    setX(stone, 1000);
    stone.SetVisible(false);
  }
  setZ(stone, pz(ship()));
}

// --- falling barrels

struct FallingBarrelRule {
  float column;
  bool alwaysShown;
  double roll, fall;
  float bottom, top;
};

void updateFallingBarrel(Obj& sud, const FallingBarrelRule& r) {
  setX(sud, r.column);
  if (r.alwaysShown) sud.SetVisible(true);
  sud.RollBy(static_cast<float>(scaled(r.roll)));
  addY(sud, -scaled(r.fall));
  if (py(sud) < r.bottom) setY(sud, r.top);
  // Shots never hit barrels: a Tag here means the ship touched it.
  if (sud.Tag() > 0) {
    sud.SetTag(0);
    playExplosion();
    blastAt(sud);
    setY(sud, r.top);
  }
}

// --- the level-1 monster's barrels

struct MonsterBarrelRule {
  Axis motionAxis;
  double motion;
  Axis chaseAxis;
  double chaseStep;
  bool blastNeedsNearMonster;  // sud2: no blast when the monster is far out at −X
};

// Out past 200 going up or right, past −130 going down or left, or touched by the ship.
bool monsterBarrelLeaves(const Obj& sud, const MonsterBarrelRule& r) {
  if (sud.Tag() > 5) return true;
  const float v = coord(sud, r.motionAxis);
  return r.motion > 0 ? v > 200 : v < -130;
}

void updateMonsterBarrel(Obj& sud, const MonsterBarrelRule& r) {
  if (!sud.Visible()) return;
  Obj& obluda = *Form1->obluda;
  setCoord(sud, r.motionAxis, coord(sud, r.motionAxis) + scaled(r.motion));
  chaseUpFirst(sud, r.chaseAxis, coord(ship(), r.chaseAxis), scaled(r.chaseStep));
  if (!monsterBarrelLeaves(sud, r)) return;
  if (!r.blastNeedsNearMonster || px(obluda) > -100) blastAt(sud);
  sud.SetTag(0);
  setY(sud, static_cast<double>(py(obluda)) - 10);
  setX(sud, static_cast<double>(px(obluda)) + 20);
  setZ(sud, pz(ship()));
  if (!Form1->trup->Visible()) {
    setY(sud, 1000);
    sud.SetVisible(false);
  }
}

// A part of the level-1 monster coming off: it drops and tumbles until it is out of sight.
void dropPart(Obj& part) {
  if (part.Visible()) {
    addY(part, -5);
    part.PitchBy(static_cast<float>(scaled(25)));
  }
  if (py(part) < -200) part.SetVisible(false);
}

// A beaten monster sinks nose down; once it is out of sight the level is won.
bool sinkMonster() {
  Obj& obluda = *Form1->obluda;
  addY(obluda, -2);
  obluda.PitchBy(static_cast<float>(scaled(5)));
  if (py(obluda) >= -200) return false;
  obluda.SetVisible(false);
  Form1->trup->SetVisible(false);
  return true;
}

// --- spiders (level 4)

struct SpiderRule {
  double pickUpSide;  // +1: spider 1 picks up at shell X < 60; −1: spider 2 at X > −60
  double walk;        // along its direction per frame
  double fallWalk;    // extra walk once beaten
  double chaseStep;
  float entryX;
};

void updateSpider(Obj& body, Obj& shell, Obj& sud, const SpiderRule& r) {
  const double side = r.pickUpSide;
  if (sud.Visible()) {
    // Inside the pick-up zone the barrel is taken again every frame, which also overwrites a
    // touch (10) before the touch test below can see it.
    if (side * px(shell) < 60) {
      if (sud.Tag() == 0) playExplosion();
      sud.SetTag(1);
      sud.Position().Assign(shell.Position());
      setX(sud, px(shell) + side * 18);
      sud.SetRollAngle(90);
      setZ(sud, pz(ship()));
    }
    if (sud.Tag() == 10) {
      playExplosion();
      blastAt(sud);
      sud.SetTag(3);
      setY(sud, 1000);
    }
    if (side * px(body) > 160 && sud.Tag() < 10) {
      chaseUpFirst(sud, Axis::X, px(ship()), scaled(4));
      chaseUpFirst(sud, Axis::Y, py(ship()), scaled(4));
      sud.RollBy(static_cast<float>(scaled(30)));
      // Restarted every frame of the throw, so the barrel flies burning.
      blastAt(sud);
      sud.SetTag(0);
      if (!body.Visible()) {
        setY(sud, 1000);
        sud.SetVisible(false);
      }
    }
  }
  if (body.Visible()) body.MoveAlongDirection(static_cast<float>(scaled(r.walk)));
  shell.Position().Assign(body.Position());
  setY(shell, static_cast<double>(py(body)) + 5);
  if (body.Tag() == 0) chaseDownFirst(body, Axis::Y, py(ship()), scaled(r.chaseStep));
  if (shell.Tag() > 2) {
    body.MoveAlongDirection(static_cast<float>(scaled(r.fallWalk)));
    if (py(body) > -47) addY(body, -scaled(6));
  }
  const bool out = side > 0 ? (py(body) < -60 || px(body) > 250) : px(body) < -250;
  if (out) {
    setX(body, r.entryX);
    setY(body, 34);
    shell.SetTag(0);
    if (!enemyGateA) {
      setY(body, 1000);
      body.SetVisible(false);
    }
  }
  setZ(body, pz(ship()));
  if (enemyGateA) body.SetVisible(true);
}

// --- carriers (level 6)

struct CarrierRule {
  double drift;
  float releaseX;
  float burstLow, burstHigh;  // the released barrel bursts strictly inside this height band
  float liftLimit;
};

void updateCarrier(Obj& carrier, Obj& sud, const CarrierRule& r) {
  addX(carrier, scaled(r.drift));
  if (px(carrier) > 200) {
    sud.Position().Assign(carrier.Position());
    sud.ResetOrientation();
    carrier.SetVisible(false);
    sud.SetVisible(false);
    if (enemyGateC) {
      carrier.SetVisible(true);
      sud.SetVisible(true);
      setX(carrier, -200);
    }
  }
  if (px(carrier) <= r.releaseX) {
    setX(sud, static_cast<double>(px(carrier)) - 2);
    setY(sud, static_cast<double>(py(carrier)) - 3);
    return;
  }
  setZ(sud, pz(ship()));
  if (py(sud) < r.liftLimit) {
    sud.RollBy(static_cast<float>(scaled(10)));
    addY(sud, scaled(3));
  }
  if ((py(sud) > r.burstLow && py(sud) < r.burstHigh) || sud.Tag() == 10) {
    blastAt(sud);
    // Out of the way until the carrier comes round again.
    setY(sud, 500);
    setX(sud, 300);
    sud.SetTag(0);
  }
}

}  // namespace

// ---------------------------------------------------------------- effects

void barrelBlast() {
  TGLFireFXManager& fx = *Form1->vybuch_sud;
  fx.ResetFire();
  fx.SetMaxParticles(100);
  fx.SetParticleSize(5.0f);
  fx.IsotropicBurst(1, 10, 7);
  fx.SetDisabled(true);
}

void hitBurst1() { hitBurst(hitFxTimer1, *Form1->zasah1, 15, 15); }
void hitBurst2() { hitBurst(hitFxTimer2, *Form1->zasah2, 20, 12); }
void hitBurst3() { hitBurst(hitFxTimer3, *Form1->zasah3, 20, 12); }
void hitBurst4() { hitBurst(hitFxTimer4, *Form1->zasah4, 20, 12); }
void hitBurst5() { hitBurst(hitFxTimer5, *Form1->zasah5, 50, 12); }

// ---------------------------------------------------------------- wave enemies

void updateAlien1() { updateAlien(*Form1->ali1, Form1->ali_anim1, {4, 8, 0, 2, 1, 84, false}); }
void updateAlien2() { updateAlien(*Form1->ali2, Form1->ali_anim2, {6, 7, 0, 3, 1, 34, false}); }
// Keeps its height until the first hit, then chases and falls at once.
void updateAlien3() { updateAlien(*Form1->ali3, nullptr, {4, 0, 1, 4, 0, 34, true}); }

void updateLeaper1() { updateLeaper(*Form1->ali1, enemyGateB, {3, 2, 8, 350}); }
void updateLeaper2() { updateLeaper(*Form1->ali2, enemyGateA, {4, 2, 6, 350}); }
void updateLeaper3() { updateLeaper(*Form1->ali3, enemyGateA, {2, 8, 7, 200}); }

void updateDriftingStones() {
  // kamen1 overtakes the ship from behind; the others come from ahead.
  updateDriftingStone(*Form1->kamen1, {6, -4, -250, 550});
  updateDriftingStone(*Form1->kamen2, {4, 5, 250, -450});
  updateDriftingStone(*Form1->kamen3, {3, 4, 250, -650});
  updateDriftingStone(*Form1->kamen4, {3, 4, 250, -350});
}

void updateFallingStones() {
  updateFallingStone(*Form1->kamen1, {Spin::Roll, -5, 2});
  updateFallingStone(*Form1->kamen2, {Spin::Turn, 8, 4});
  updateFallingStone(*Form1->kamen3, {Spin::Turn, 6, 3});
  updateFallingStone(*Form1->kamen4, {Spin::Roll, -8, 5});
}

void updateFallingBarrels() {
  updateFallingBarrel(*Form1->sud1, {50, false, 10, 4, -140, 350});
  updateFallingBarrel(*Form1->sud2, {0, false, 13, 2, -140, 470});
  updateFallingBarrel(*Form1->sud3, {-20, false, 20, 4, -180, 550});
  updateFallingBarrel(*Form1->sud4, {-50, true, 20, 3, -160, 650});
}

// ---------------------------------------------------------------- level monsters and carriers

void updateCannon() {
  Obj& ob1 = *Form1->ob1;
  Obj& sud1 = *Form1->sud1;
  if (levelNumber == 1 && W() < 1550) return;
  // Loaded once while the walls pass 1550..1560; past that the walls wait for the cannon.
  if (W() < 1560) {
    setY(ob1, -180);
    sud1.Position().Assign(ob1.Position());
    sud1.SetVisible(true);
  }
  if (sud1.Visible()) {
    addX(sud1, scaled(9));
    sud1.RollBy(static_cast<float>(scaled(30)));
    chaseUpFirst(sud1, Axis::Y, py(ship()), scaled(2));
    // A touch (10) is not enough to reload: a touched barrel flies on.
    if (px(sud1) > 200 || sud1.Tag() > 25) {
      blastAt(sud1);
      sud1.SetTag(0);
      setY(sud1, py(ob1));
      setX(sud1, static_cast<double>(px(ob1)) + 10);
      setZ(sud1, pz(ship()));
      if (!ob1.Visible()) {
        setY(sud1, 1000);
        sud1.SetVisible(false);
      }
    }
  }
  if (ob1.Tag() < 80) {
    chaseDownFirst(ob1, Axis::Y, py(ship()), 1);
    // The recoil of the hits relaxes.
    if (ob1.PitchAngle() > 0) ob1.SetPitchAngle(ob1.PitchAngle() - 1);
  }
  if (ob1.Tag() >= 80 && ob1.Tag() < 1000) {
    // The wreck sinks and tumbles.
    addY(ob1, -3);
    addX(ob1, 1);
    ob1.PitchBy(5);
  }
  if (py(ob1) < -300 || px(ob1) > 250) {
    ob1.SetTag(100);
    ob1.SetVisible(false);
  }
}

void updateMonster1() {
  Obj& obluda = *Form1->obluda;
  Obj& trup = *Form1->trup;
  Obj* barrels[] = {Form1->sud1, Form1->sud2, Form1->sud3, Form1->sud4};
  // The barrels ride with the approaching monster.
  if (levelNumber == 1 && W() > 1600 && W() < 2200)
    for (Obj* sud : barrels) sud->Position().Assign(obluda.Position());
  if (levelNumber == 1 && W() < 2250) return;
  setZ(obluda, pz(ship()));
  Form1->oci->SetTurnAngle((px(obluda) - px(ship())) / 3);
  if (trup.Tag() > 100) dropPart(*Form1->hyb1);
  if (trup.Tag() > 200) dropPart(*Form1->hyb2);
  if (trup.Tag() > 300) {
    dropPart(*Form1->oci);
    if (!Form1->oci->Visible() && trup.Visible()) trup.PitchBy(static_cast<float>(scaled(2)));
  }
  if (trup.Tag() > 500 && trup.Visible() && sinkMonster()) {
    levelComplete = true;
    selectedLevel = 2;
  }
  if (trup.Visible()) {
    if (obluda.RollAngle() > 0) {
      obluda.SetRollAngle(obluda.RollAngle() - 1);
      if (obluda.RollAngle() < 0) obluda.SetRollAngle(0);
    }
    chaseUpFirst(obluda, Axis::X, px(ship()), scaled(0.6));
    chaseUpFirst(obluda, Axis::Y, py(ship()), scaled(0.7));
    for (Obj* sud : barrels) sud->RollBy(static_cast<float>(scaled(30)));
  }
  updateMonsterBarrel(*Form1->sud1, {Axis::X, 3, Axis::Y, 1, false});
  // Far out at −X the monster's rear barrel is pulled back every frame and reloads unlit.
  if (px(obluda) < -150) setX(*Form1->sud2, -400);
  updateMonsterBarrel(*Form1->sud2, {Axis::X, -3, Axis::Y, 2, true});
  updateMonsterBarrel(*Form1->sud3, {Axis::Y, -3, Axis::X, 2.3, false});
  updateMonsterBarrel(*Form1->sud4, {Axis::Y, 3, Axis::X, 1.5, false});
}

void updateMonster2() {
  Obj& obluda = *Form1->obluda;
  Obj& trup = *Form1->trup;
  // It waits below the floor until the walls come near the end.
  if (W() < 2100) setY(obluda, -250);
  chaseUpFirst(obluda, Axis::Y, py(ship()), scaled(1));
  if (py(obluda) > 107) setY(obluda, 107);
  chaseUpFirst(obluda, Axis::X, px(ship()), scaled(0.5));
  if (px(ship()) < px(obluda) && obluda.TurnAngle() < 0)
    obluda.SetTurnAngle(static_cast<float>(obluda.TurnAngle() + scaled(4)));
  if (px(ship()) > px(obluda) && obluda.TurnAngle() > -170)
    obluda.SetTurnAngle(static_cast<float>(obluda.TurnAngle() - scaled(4)));
  if (obluda.RollAngle() > 0)
    obluda.SetRollAngle(static_cast<float>(obluda.RollAngle() - scaled(2)));
  if (trup.Tag() > 1000 && trup.Visible() && sinkMonster()) {
    levelComplete = true;
    selectedLevel = 3;
  }
}

void updateSpider1() {
  updateSpider(*Form1->ali_anim1, *Form1->ali1, *Form1->sud1, {1, 2, 2, 1, -250});
}

// Comes from behind the ship, once the walls have passed 400.
void updateSpider2() {
  Obj& body = *Form1->ali_anim2;
  Obj& shell = *Form1->ali2;
  if (W() < 400) {
    setX(body, 300);
    Form1->sud2->Position().Assign(shell.Position());
    shell.Position().Assign(body.Position());
    return;
  }
  updateSpider(body, shell, *Form1->sud2, {-1, -4, -1, 2, 250});
}

void updateBomber() {
  Obj& ali3 = *Form1->ali3;
  Obj& sud3 = *Form1->sud3;
  if (W() < 800) {
    setX(ali3, -300);
    sud3.Position().Assign(ali3.Position());
    return;
  }
  setY(ali3, 58);
  chaseUpFirst(ali3, Axis::X, px(ship()), scaled(2));
  if (sud3.Tag() == 0) {
    // Released by chance, and only once the bomb has settled at its carrying depth.
    if (Random(100) == 10 && pz(sud3) == 221 && ali3.Visible()) sud3.SetTag(1);
    if (pz(sud3) > 221) addZ(sud3, -1);
    setX(sud3, static_cast<double>(px(ali3)) - 2);
    setY(sud3, static_cast<double>(py(ali3)) + 8);
  }
  // Falling (or touched by the ship, which sets 178): it drops into the ship's plane.
  if (sud3.Tag() > 0) {
    sud3.SetTag(sud3.Tag() + 1);
    sud3.RollBy(static_cast<float>(scaled(30)));
    addZ(sud3, -2);
    if (pz(sud3) < 170) setZ(sud3, 170);
  }
  if (sud3.Tag() == 180) {
    sud3.SetVisible(false);
    playExplosion();
    blastAt(sud3);
  }
  if (sud3.Tag() > 220) {
    // Re-armed behind the bomber; it sinks back to 221 at 1 per frame.
    sud3.SetVisible(true);
    setZ(sud3, 250);
    sud3.SetTag(0);
  }
}

void updateCarriers() {
  if (W() < 0) return;
  updateCarrier(*Form1->ali_anim1, *Form1->sud1, {4, 50, 55, 100, 60});
  updateCarrier(*Form1->ali_anim2, *Form1->sud2, {2, 10, 65, 100, 70});
}

void updateFinalMonster() {
  Obj& obluda = *Form1->obluda;
  Obj& trup = *Form1->trup;
  Obj& sud3 = *Form1->sud3;
  Obj& sud4 = *Form1->sud4;
  // Gone since the previous call: the game is won.
  if (!obluda.Visible()) {
    gameFinished = true;
    sud3.Position().Assign(obluda.Position());
    sud4.Position().Assign(obluda.Position());
    return;
  }
  // Fuel and energy are held full for the fight.
  Form1->palivo->SetWidth(150);
  Form1->energie->SetWidth(150);

  addY(sud3, -scaled(3));
  sud3.RollBy(static_cast<float>(scaled(10)));
  chaseUpFirst(sud3, Axis::X, px(ship()), scaled(2.3));
  if (py(sud3) < -130 || (sud3.Tag() > 5 && obluda.Visible())) {
    blastAt(sud3);
    sud3.SetTag(0);
    setX(sud3, static_cast<double>(px(obluda)) + 70);
    setY(sud3, static_cast<double>(py(obluda)) - 10);
    setZ(sud3, pz(ship()));
  }

  addY(sud4, scaled(3));
  sud4.RollBy(static_cast<float>(scaled(10)));
  chaseUpFirst(sud4, Axis::X, px(ship()), scaled(2.3));
  if (py(sud4) > 200 || (sud4.Tag() > 5 && trup.Visible())) {
    blastAt(sud4);
    sud4.SetTag(0);
    setX(sud4, static_cast<double>(px(obluda)) - 30);
    setY(sud4, static_cast<double>(py(obluda)) - 10);
    setZ(sud4, pz(ship()));
  }

  if (trup.Tag() >= 600 && obluda.Visible()) {
    if (trup.Visible()) {
      addY(obluda, -2);
      obluda.PitchBy(static_cast<float>(scaled(5)));
    }
    // Hidden now; the next call finishes the game.
    if (py(obluda) < -200) {
      obluda.SetVisible(false);
      trup.SetVisible(false);
    }
  }
  // It comes down from above until the first hit.
  if (py(obluda) > 0 && trup.Tag() <= 0) addY(obluda, -scaled(1.3));
  if (trup.Visible() && trup.Tag() < 599) {
    chaseUpFirst(obluda, Axis::X, px(ship()), scaled(0.6));
    chaseUpFirst(obluda, Axis::Y, py(ship()), scaled(0.4));
    if (obluda.PitchAngle() > 0) {
      obluda.SetPitchAngle(obluda.PitchAngle() - 2);
      if (obluda.PitchAngle() < 0) obluda.SetPitchAngle(0);
    }
  }
}
