// The collision response: the probe test with what the ship's contacts do, the shot hit test and
// the enemy-hit step.
#include "game/kolize.h"

#include <string>

#include "engine/mesh.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "game/obludy.h"

namespace {

TForm1& F() { return *Form1; }

// One sphere sweep from the work vectors against `target`. A piece the levels played so far
// never loaded has no octree and nothing to touch: starting at level 3 from the menu must not
// stop the game at the cannon that level 1 would have brought.
bool swept(TGLFreeForm& target, float distance, float radius) {
  if (!target.Octree()) return false;
  return target.SphereSweepIntersect(sweepStart, sweepVector, distance, radius, &sweepHitPoint,
                                     &sweepHitNormal);
}

void aimFrom(TGLBaseSceneObject& object) {
  sweepStart = object.WorldPosition();
  sweepVector = normalize3(object.WorldDirection());
}

void fromShip(TGLBaseSceneObject& pickup, float x) {
  const TGLCoordinates& ship = F().muz->Position();
  pickup.Position().SetPoint(x, ship.Y(), ship.Z());
}

void takeWeapon() {
  TForm1& f = F();
  weaponChanged = true;
  weaponLevel += 1;
  if (weaponLevel > 5) weaponLevel = 1;
  f.list->playWave(5);
  fromShip(*f.n_zbrane, 350);  // behind the ship, where the drift takes it over again
}

void takeFuel() {
  TForm1& f = F();
  f.palivo->SetWidth(150);
  fromShip(*f.n_palivo, 350);
  f.list->playWave(5);
}

void takeEnergy() {
  TForm1& f = F();
  f.energie->SetWidth(150);
  fromShip(*f.n_energie, 350);
  f.list->playWave(5);
}

void takeBonus() {
  TForm1& f = F();
  f.bonus->Position().SetX(600);
  lives = 2;
  f.n_zbrane->Position().SetX(350);
  f.energie->SetWidth(150);
  f.palivo->SetWidth(150);
  weaponChanged = true;
  weaponLevel = 3;
  // Before the final monster the bonus arms the ship fully.
  if (f.steny1->Position().X() > 1800 && levelNumber == 6) {
    weaponChanged = true;
    weaponLevel = 5;
    lives = 3;
  }
}

void addAngle(TGLBaseSceneObject& o, float (TGLBaseSceneObject::*get)() const,
              void (TGLBaseSceneObject::*set)(float), double amount) {
  (o.*set)(static_cast<float>((o.*get)() + amount));
}

// A shot in the monster's body makes it recoil (and on level 6 empties the strength bar).
void monsterRecoil() {
  TForm1& f = F();
  TGLDummyCube& monster = *f.obluda;
  if (levelNumber == 1 && monster.RollAngle() < 40)
    addAngle(monster, &TGLBaseSceneObject::RollAngle, &TGLBaseSceneObject::SetRollAngle,
             timeFactor * 10.0);
  if (levelNumber == 6) {
    f.max->SetWidth(f.max->Width() - 1);
    if (f.max->Width() < 1) {
      f.max->SetWidth(0);
      f.max->SetVisible(false);
    }
    if (monster.PitchAngle() < 40)
      addAngle(monster, &TGLBaseSceneObject::PitchAngle, &TGLBaseSceneObject::SetPitchAngle,
               timeFactor * 10.0);
  }
  if (levelNumber == 2)
    addAngle(monster, &TGLBaseSceneObject::RollAngle, &TGLBaseSceneObject::SetRollAngle,
             timeFactor * 5.0);
}

}  // namespace

bool probeTest(TGLBaseSceneObject* probe, float distance) {
  TForm1& f = F();
  bool result = false;
  aimFrom(*probe);
  const float radius = probe->BoundingRadius();
  auto touches = [&](TGLFreeForm& target) { return swept(target, distance, radius); };
  auto touchesVisible = [&](TGLFreeForm& target) { return touches(target) && target.Visible(); };

  // Walls count even when hidden; everything else only while it is shown.
  if (touches(*f.steny1)) result = shipHit = true;
  if (touchesVisible(*f.ob1)) result = shipHit = true;
  if (touchesVisible(*f.trup)) result = shipHit = true;
  for (TGLFreeForm* alien : {f.ali1, f.ali2, f.ali3})
    if (touchesVisible(*alien)) shipHit = true;
  // A touched barrel is armed to explode; the bomb goes off two updates later.
  const struct {
    TGLFreeForm* barrel;
    int32_t arm;
  } barrels[] = {{f.sud1, 10}, {f.sud2, 10}, {f.sud3, 178}, {f.sud4, 10}};
  for (const auto& b : barrels)
    if (touchesVisible(*b.barrel)) {
      b.barrel->SetTag(b.arm);
      shipHit = true;
    }
  for (TGLFreeForm* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4})
    if (touchesVisible(*stone)) shipHit = true;
  if (touchesVisible(*f.n_zbrane)) takeWeapon();
  if (touchesVisible(*f.n_palivo)) takeFuel();
  if (touchesVisible(*f.n_energie)) takeEnergy();
  if (touchesVisible(*f.bonus)) takeBonus();
  return result;
}

bool shotHitTest(TGLBaseSceneObject* shot, int32_t kind) {
  if (!shot->Visible()) return false;
  TForm1& f = F();
  aimFrom(*shot);
  const float radius = shot->BoundingRadius();
  auto touches = [&](TGLFreeForm& target) { return swept(target, 20, radius); };

  // Past the edge of the view a shot is spent.
  if (touches(*f.blok)) return true;
  bool hit = false;
  if (swept(*f.steny1, 40, radius) && f.steny1->Visible()) hit = true;
  auto strike = [&](TGLBaseSceneObject& enemy) {
    enemy.SetTag(enemy.Tag() + 1);
    onEnemyHit(shot, kind);
    hit = true;
  };
  for (TGLFreeForm* alien : {f.ali1, f.ali2, f.ali3})
    if (touches(*alien) && alien->Visible()) strike(*alien);
  // The cannon takes hits only while it fires on level 1; its barrel kicks up with each.
  TGLFreeForm& cannon = *f.ob1;
  if (touches(cannon) && cannon.Tag() < 80 && cannon.Visible() && f.steny1->Position().X() > 1550 &&
      levelNumber == 1) {
    strike(cannon);
    if (cannon.PitchAngle() < 20) cannon.SetPitchAngle(cannon.PitchAngle() + 8);
  }
  if (touches(*f.trup) && f.trup->Visible()) {
    monsterRecoil();
    strike(*f.trup);
  }
  for (TGLFreeForm* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4})
    if (touches(*stone) && stone->Visible()) strike(*stone);
  return hit;
}

void onEnemyHit(TGLBaseSceneObject* shot, int32_t kind) {
  TForm1& f = F();
  if (lives > 2) {
    hitPercent = 0;
  } else {
    hitPercent += 5;
    f.zi->SetText(std::to_string(hitPercent) + "%");
    if (hitPercent > 99) {
      lives += 1;  // the counter keeps showing 100% until it is next written
      hitPercent = 0;
    }
  }
  const struct {
    TGLDummyCube* holder;
    void (*burst)();
    float dx, dy;
  } effects[] = {{f.zas1, hitBurst1, 20, 0},
                 {f.zas2, hitBurst2, -20, 0},
                 {f.zas3, hitBurst3, -20, 0},
                 {f.zas4, hitBurst4, 20, -20},
                 {f.zas5, hitBurst5, 20, 20}};
  if (kind < 1 || kind > 5) return;
  const auto& e = effects[kind - 1];
  TGLCoordinates& at = e.holder->Position();
  at.Assign(shot->Position());
  at.SetX(at.X() + e.dx);
  if (kind == 2 && f.zbran4->Visible()) at.SetX(at.X() + 40);  // the rear gun's hits behind
  at.SetY(at.Y() + e.dy);
  e.burst();
}
