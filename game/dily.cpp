// Asset loading, the menu's layout and the set-up of the six levels.
#include "game/dily.h"

#include <string>

#include "game/data.h"
#include "game/form/form1.h"
#include "game/progress_file.h"

namespace {

using Obj = TGLBaseSceneObject;

TForm1& F() { return *Form1; }

void place(Obj& o, float x, float y, float z) { o.Position().SetPoint(x, y, z); }
void placeAt(Obj& o, const Obj& where) { o.Position().Assign(where.Position()); }

// A mesh file of "modely\", with its collision octree when shots or probes sweep against it.
void loadMesh(TGLFreeForm& mesh, const char* file, bool octree) {
  mesh.LoadFromFile(std::string("modely\\") + file);
  if (octree) mesh.BuildCollisionOctree();
}

// The library material `name` of `mat1`: the library first, then the name.
void wear(TGLCustomSceneObject& o, const char* name) {
  o.Material().SetMaterialLibrary(F().mat1);
  o.Material().SetLibMaterialName(name);
}

// An animated actor from "data\": the model, its animation appended and started in a loop.
// `before` turns the actor before the animation is switched on.
template <class Before>
void loadActor(TGLActor& actor, const char* model, int32_t interval, Before before) {
  const std::string base = std::string("data\\") + model;
  actor.LoadFromFile(base + ".smd");
  actor.AppendFromFile(base + "_anim.smd");
  animName = base + "_anim";  // the name appending registered the animation under
  actor.SetInterval(interval);
  before(actor);
  actor.SelectAnimation(animName, false);
  actor.SetVisible(true);
  actor.SetAnimationMode(aamLoop);
}

void loadActor(TGLActor& actor, const char* model, int32_t interval) {
  loadActor(actor, model, interval, [](TGLActor&) {});
}

// The swimming, walking and floating bodies face along +X once turned.
void turnedQuarter(TGLActor& actor) {
  actor.ResetOrientation();
  actor.SetTurnAngle(90);
}

void nearestFilters(TGLMaterial& m) {
  m.Texture().SetMagFilter(maNearest);
  m.Texture().SetMinFilter(miNearest);
}

// --- the loading half

void loadLevelActors(int32_t n) {
  TForm1& f = F();
  switch (n) {
    case 1: {
      loadActor(*f.hyb2, "klep1", 100);
      loadActor(*f.hyb1, "klep1", 100, [](TGLActor& a) { a.SetPitchAngle(180); });
      break;
    }
    case 2:
      loadActor(*f.hyb1, "celisti", 200);
      loadActor(*f.hyb2, "chapadla", 180);
      break;
    case 3:
      loadActor(*f.ali_anim1, "ryba", 80, turnedQuarter);
      loadActor(*f.ali_anim2, "ryba", 80, turnedQuarter);
      break;
    case 4:
      loadActor(*f.ali_anim1, "pavouk", 80, turnedQuarter);
      loadActor(*f.ali_anim2, "pavouk", 80, turnedQuarter);
      break;
    case 6:
      loadActor(*f.ali_anim1, "martan", 80, turnedQuarter);
      loadActor(*f.ali_anim2, "martan", 80, turnedQuarter);
      break;
    default:
      break;  // level 5 has no actors of its own
  }
}

// What each level loads into the shared objects (null: the object keeps its mesh).
struct LevelMeshes {
  const char* steny2;
  const char* ruzne;
  const char* aliens;  // ali1 and ali2
  const char* ali3;
  const char* ob1;
  const char* oci;
  const char* trup;
  const char* kamen;
};

const LevelMeshes kLevelMeshes[6] = {
    {nullptr, nullptr, "koule.3ds", "koule.3ds", "delo.3ds", "oci.3ds", "trup1.3ds", nullptr},
    {"valec.3ds", "ruzne2.3ds", "ryba.3ds", "ryba.3ds", "vrtule.3ds", "oci.3ds", "trup2.3ds",
     nullptr},
    {"valec.3ds", "ruzne3.3ds", "ryba3.3ds", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ruzne4.3ds", nullptr, "t4.3ds", "masina.3ds", nullptr, nullptr, nullptr, nullptr},
    {"ruzne5.3ds", "dvere5.3ds", "vetrak.3ds", "vetrak.3ds", nullptr, nullptr, nullptr,
     "kamen.3ds"},
    {"spodky6.3ds", nullptr, "al6.3ds", "al6.3ds", "ruzne6.3ds", "vrch6.3ds", "trup6.3ds", nullptr},
};

void loadLevelMeshes(int32_t n) {
  TForm1& f = F();
  const LevelMeshes& m = kLevelMeshes[n - 1];
  const std::string walls = "steny" + std::to_string(n) + ".3ds";
  loadMesh(*f.steny1, walls.c_str(), true);
  f.steny1->SetVisible(true);
  if (m.steny2) {
    loadMesh(*f.steny2, m.steny2, false);
    if (n == 6) f.steny2->ResetOrientation();
  }
  if (m.ruzne) loadMesh(*f.ruzne, m.ruzne, false);
  if (m.aliens) {
    loadMesh(*f.ali1, m.aliens, true);
    loadMesh(*f.ali2, m.aliens, true);
  }
  if (m.ali3) loadMesh(*f.ali3, m.ali3, true);
  if (m.ob1) loadMesh(*f.ob1, m.ob1, true);
  if (m.oci) loadMesh(*f.oci, m.oci, true);
  if (m.trup) loadMesh(*f.trup, m.trup, true);
  if (m.kamen)
    for (TGLFreeForm* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4})
      loadMesh(*stone, m.kamen, true);
}

// The library materials each level's pieces wear (null: not changed).
struct LevelMaterials {
  const char* steny1;
  const char* steny2;
  const char* ruzne;
  const char* aliens;  // ali1 and ali2
  const char* ali3;
  const char* ali_anim1;
  const char* ali_anim2;
  const char* ob1;
  const char* oci;
  const char* trup;
  const char* hyb;  // hyb1 and hyb2
  const char* kamen;
};

const LevelMaterials kLevelMaterials[6] = {
    {"m0", nullptr, nullptr, "m2", "m2", nullptr, nullptr, "m0", nullptr, "m3", "m3", "m4"},
    {"m0", "m1", "m1", "m5", "m5", nullptr, nullptr, "m0", nullptr, "m6", "m6", "m1"},
    {"m0", "m1", "m1", "m5", nullptr, "m5", "m5", nullptr, nullptr, nullptr, nullptr, "m1"},
    {"m0", "m1", nullptr, "m3", "m0", "m3", "m3", nullptr, nullptr, nullptr, nullptr, "m4"},
    {"m0", "m1", "m0", "m0", "m0", "m1", "m3", "m0", nullptr, "m3", "m3", "m4"},
    {"m4", "m1", nullptr, "m0", "m0", "m7", "m7", "m0", "m1", "m3", nullptr, "m4"},
};

void wearLevelMaterials(int32_t n) {
  TForm1& f = F();
  const LevelMaterials& m = kLevelMaterials[n - 1];
  auto wearIf = [](TGLCustomSceneObject& o, const char* name) {
    if (name) wear(o, name);
  };
  wearIf(*f.steny1, m.steny1);
  wearIf(*f.steny2, m.steny2);
  wearIf(*f.ruzne, m.ruzne);
  wearIf(*f.ali1, m.aliens);
  wearIf(*f.ali2, m.aliens);
  wearIf(*f.ali3, m.ali3);
  wearIf(*f.ali_anim1, m.ali_anim1);
  wearIf(*f.ali_anim2, m.ali_anim2);
  wearIf(*f.ob1, m.ob1);
  wearIf(*f.oci, m.oci);
  wearIf(*f.trup, m.trup);
  wearIf(*f.hyb1, m.hyb);
  wearIf(*f.hyb2, m.hyb);
  for (TGLFreeForm* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4}) wearIf(*stone, m.kamen);
}

// --- the start half: where each level's pieces stand

// The level-1 monster and cannon back in one piece, facing the way they were made.
void reassembleMonster() {
  TForm1& f = F();
  for (Obj* o : {static_cast<Obj*>(f.hyb2), static_cast<Obj*>(f.hyb1), static_cast<Obj*>(f.oci),
                 static_cast<Obj*>(f.trup), static_cast<Obj*>(f.obluda), static_cast<Obj*>(f.ob1)})
    o->ResetOrientation();
  f.hyb1->SetPitchAngle(180);
  f.trup->SetTag(0);
  f.ob1->SetTag(0);
}

// Aliens waiting far behind the ship, out of the tunnel.
void aliensWaiting() {
  TForm1& f = F();
  place(*f.ali1, 500, 34, 500);
  place(*f.ali2, 500, 84, 500);
  place(*f.ali3, 500, 84, 500);
  for (Obj* alien : {f.ali1, f.ali2, f.ali3}) alien->ResetOrientation();
}

void placeLevel1() {
  TForm1& f = F();
  f.steny1->Position().SetY(0);
  f.steny1->Position().SetX(-400);
  place(*f.muz, 100, 54, 170);
  f.steny2->SetVisible(false);
  f.ruzne->SetVisible(false);
  reassembleMonster();
  for (Obj* o : {static_cast<Obj*>(f.obluda), static_cast<Obj*>(f.oci), static_cast<Obj*>(f.hyb1),
                 static_cast<Obj*>(f.hyb2), static_cast<Obj*>(f.trup), static_cast<Obj*>(f.ob1)})
    o->SetVisible(true);
  const float walls = f.steny1->Position().X();
  place(*f.ob1, walls - 1656, -200, 191);
  place(*f.obluda, walls - 2600, -200, 170);
  for (Obj* barrel : {f.sud1, f.sud2, f.sud3, f.sud4}) barrel->SetVisible(true);
  aliensWaiting();
  place(*f.oci, 17, 28, 0);
  place(*f.trup, 14, -12, 0);
  place(*f.hyb2, 0, 0, 0);
  place(*f.hyb1, 2, -23, 10);
  f.ali_anim1->SetVisible(false);
  f.ali_anim2->SetVisible(false);
}

void placeLevel2() {
  TForm1& f = F();
  f.steny1->Position().SetY(0);
  f.steny1->Position().SetX(-380);
  placeAt(*f.ruzne, *f.steny1);
  f.ruzne->SetVisible(true);
  f.steny2->SetVisible(true);
  place(*f.steny2, f.steny1->Position().X() - 800, -109, 227);
  place(*f.muz, 100, 80, 170);
  placeAt(*f.bonus, *f.muz);
  place(*f.n_zbrane, -400, -54, 170);
  f.trup->SetTag(0);
  for (Obj* o : {static_cast<Obj*>(f.obluda), static_cast<Obj*>(f.hyb1), static_cast<Obj*>(f.hyb2),
                 static_cast<Obj*>(f.trup)})
    o->ResetOrientation();
  placeAt(*f.obluda, *f.muz);
  f.obluda->Position().SetY(-200);
  f.obluda->SetVisible(true);
  f.trup->SetVisible(true);
  f.oci->SetVisible(false);
  place(*f.hyb1, -32, 21, -10);
  place(*f.hyb2, -35, 22, -10);
  place(*f.trup, 0, 0, 0);
  // The leapers rise nose-up out of the floor.
  for (Obj* leaper : {f.ali1, f.ali2, f.ali3}) {
    place(*leaper, 60, -280, 170);
    leaper->ResetOrientation();
    leaper->SetTurnAngle(90);
    leaper->SetPitchAngle(70);
  }
  place(*f.ob1, f.steny1->Position().X() - 1796, 26, 164);
  f.ob1->ResetOrientation();
  f.ob1->SetVisible(true);
  f.ali_anim1->SetVisible(false);
  f.ali_anim2->SetVisible(false);
}

void placeLevel3() {
  TForm1& f = F();
  f.steny1->Position().SetX(-380);
  f.steny1->Position().SetY(-20);
  placeAt(*f.ruzne, *f.steny1);
  f.ruzne->SetVisible(true);
  f.steny2->SetVisible(false);
  place(*f.muz, 100, 54, 170);
  placeAt(*f.bonus, *f.muz);
  place(*f.n_zbrane, 300, -54, 170);
  place(*f.n_palivo, 300, -54, 170);
  f.obluda->SetVisible(false);
  f.ob1->SetVisible(false);
  f.ali3->SetVisible(false);
  for (Obj* alien : {f.ali1, f.ali2}) {
    place(*alien, 60, -280, 170);
    alien->ResetOrientation();
    alien->SetTurnAngle(90);
  }
  // The fish bodies swim with their shells.
  place(*f.ali_anim1, f.ali1->Position().X(), f.ali1->Position().Y() + 2, 170);
  place(*f.ali_anim2, f.ali2->Position().X(), f.ali2->Position().Y() + 2, 170);
}

void placeLevel4() {
  TForm1& f = F();
  f.steny1->Position().SetY(0);
  f.steny1->Position().SetX(-400);
  f.steny2->ResetOrientation();
  place(*f.steny2, -781, 38, 124);
  f.steny2->SetVisible(true);
  place(*f.muz, 50, 164, 170);
  place(*f.ali3, -17, 76, 228);
  f.ali3->ResetOrientation();
  place(*f.ali_anim1, 150, 554, 170);
  place(*f.ali_anim2, -150, 554, 170);
  // The spiders' shells ride on their bodies.
  placeAt(*f.ali1, *f.ali_anim1);
  placeAt(*f.ali2, *f.ali_anim2);
  for (Obj* shell : {f.ali1, f.ali2}) {
    shell->ResetOrientation();
    shell->SetTurnAngle(90);
  }
  f.sud1->SetVisible(true);
  f.sud2->SetVisible(true);
  for (Obj* o : {f.ali1, f.ali2, f.ali3}) o->SetVisible(true);
  f.ruzne->SetVisible(false);
  f.obluda->SetVisible(false);
  f.ob1->SetVisible(false);
}

void placeLevel5() {
  TForm1& f = F();
  f.steny1->Position().SetY(0);
  f.steny1->Position().SetX(-406);
  place(*f.steny2, 6, 1403, 184);
  f.steny2->SetVisible(true);
  f.steny2->ResetOrientation();
  place(*f.muz, 50, 164, 170);
  for (TGLActor* body : {f.ali_anim1, f.ali_anim2}) {
    place(*body, 1150, 554, 170);
    body->SetVisible(false);
  }
  f.ruzne->SetVisible(true);
  // The fans turn in the shaft (the frame loop turns them).
  for (Obj* fan : {f.ali1, f.ali2, f.ali3}) {
    place(*fan, -3, 0, 213);
    fan->ResetOrientation();
    fan->SetVisible(true);
  }
  f.obluda->SetVisible(false);
  f.ob1->SetVisible(false);
}

void placeLevel6() {
  TForm1& f = F();
  f.steny1->Position().SetY(0);
  f.steny1->Position().SetX(-300);
  f.ob1->Position().SetY(f.steny1->Position().Y() + 18);
  f.ob1->Position().SetZ(f.steny1->Position().Z() + 193);
  f.steny2->Position().SetY(9);
  f.steny2->Position().SetZ(182);
  f.steny2->SetVisible(true);
  place(*f.muz, 100, 54, 170);
  place(*f.ali_anim1, -200, -44, 100);
  place(*f.ali_anim2, -300, -44, 120);
  f.ruzne->SetVisible(false);
  reassembleMonster();
  for (Obj* o : {static_cast<Obj*>(f.obluda), static_cast<Obj*>(f.oci), static_cast<Obj*>(f.trup),
                 static_cast<Obj*>(f.ob1)})
    o->SetVisible(true);
  f.hyb1->SetVisible(false);
  f.hyb2->SetVisible(false);
  f.max->SetVisible(false);
  f.max->SetWidth(600);
  place(*f.obluda, -80, 500, 170);
  aliensWaiting();
  place(*f.oci, 15, -34, 0);
  place(*f.trup, 14, -12, 0);
}

// What every level does after its own placement: the barrels and stones parked, the shots
// out of flight, the ship refilled with the basic gun.
void startCommon(int32_t n) {
  TForm1& f = F();
  for (Obj* barrel : {f.sud1, f.sud2, f.sud3, f.sud4}) {
    if (n == 5)
      place(*barrel, 250, 180, 170);  // the shaft's barrels start falling at once
    else
      place(*barrel, 500, -1134, 500);
  }
  for (Obj* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4}) place(*stone, 2500, -1134, 500);
  place(*f.strela1, -14, -5, 0);
  f.strela1->SetVisible(false);
  place(*f.strela2, -14, -9, 0);
  f.strela2->SetVisible(false);
  place(*f.strela5, -50, 0, 0);
  f.strela5->SetVisible(false);
  parkAllShots();
  lives = 3;
  hitPercent = 0;
  weaponLevel = 1;
  armWeapons1();
  fireWave = 1;
  f.palivo->SetWidth(150);
  f.energie->SetWidth(150);
  resetPending = false;
}

// The level's ambient loop: 1 and 4 and 6 the wind, 2 water, 3 and 5 the crypt.
constexpr int32_t kAmbientWave[6] = {8, 7, 9, 8, 9, 8};

}  // namespace

void loadCommonAssets() {
  if (assetsLoaded) return;
  TForm1& f = F();
  f.mat1->LoadFromFile("data\\data.mat");
  levelNumber = 0;
  lives = 3;
  hitPercent = 0;
  weaponLevel = 1;
  assetsLoaded = true;  // before any mesh: a failing mesh is not tried again

  // The horizon glows red between two black bands, under 20000 stars all round.
  TSkyDomeBand& below = f.sky->Bands()[0];
  below.SetSlices(20);
  below.SetStacks(1);
  below.SetStartAngle(-10);
  below.StartColor().SetRed(0);
  below.StartColor().SetGreen(0);
  below.StartColor().SetBlue(0);
  below.SetStopAngle(0);
  below.StopColor().SetRed(0.64f);
  below.StopColor().SetGreen(0.16f);
  below.StopColor().SetBlue(0.16f);
  TSkyDomeBand& above = f.sky->Bands()[1];
  above.SetSlices(20);
  above.SetStacks(1);
  above.SetStartAngle(0);
  above.StartColor().SetRed(0.64f);
  above.StartColor().SetGreen(0.16f);
  above.StartColor().SetBlue(0.16f);
  above.SetStopAngle(10);
  above.StopColor().SetRed(0);
  above.StopColor().SetGreen(0);
  above.StopColor().SetBlue(0);
  f.sky->SetVisible(true);
  f.sky->Stars().ScatterStars(20000, 0xFFFFFF, false);

  loadMesh(*f.lod, "lod.3ds", true);
  loadMesh(*f.bonus, "bonus.3ds", true);
  loadMesh(*f.blok, "blok.3ds", true);
  loadMesh(*f.n_zbrane, "n_zbrane.3ds", true);
  loadMesh(*f.n_palivo, "n_palivo.3ds", true);
  loadMesh(*f.n_energie, "n_energie.3ds", true);
  for (TGLFreeForm* barrel : {f.sud1, f.sud2, f.sud3, f.sud4}) loadMesh(*barrel, "sud1.3ds", true);
  for (TGLFreeForm* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4})
    loadMesh(*stone, "kamen.3ds", true);
  loadMesh(*f.zbran1, "zbran1.3ds", false);
  loadMesh(*f.zbran2, "zbran2.3ds", false);
  loadMesh(*f.zbran3, "zbran3.3ds", false);
  loadMesh(*f.zbran4, "zbran4.3ds", false);
  loadMesh(*f.zbran5, "zbran5.3ds", false);
  loadMesh(*f.zbran6, "zbran5.3ds", false);
  for (TGLFreeForm* shot : {f.strela1, f.strela2, f.strela3}) loadMesh(*shot, "strela1.3ds", true);
  loadMesh(*f.strela4, "strela2.3ds", true);
  loadMesh(*f.strela5, "strela5.3ds", true);

  // The library keeps the order m0..m14, so position k is mk.
  TGLLibMaterials& materials = f.mat1->Materials();
  nearestFilters(materials[0].Material());
  materials[1].Material().SetBlendingMode(bmAdditive);
  materials[1].Material().Texture().SetTextureMode(tmDecal);
  nearestFilters(materials[3].Material());
  for (int32_t k = 8; k <= 14; ++k) nearestFilters(materials[k].Material());

  wear(*f.obrazovka, "m8");

  place(*f.n_zbrane, -400, 84, 170);
  f.ohen_zbrane->Position().SetX(-18);
  f.ohen_zbrane->Position().SetY(-6);
  place(*f.n_palivo, -1000, 50, 170);
  f.ohen_palivo->Position().SetX(-17);
  f.ohen_palivo->Position().SetY(-4);
  place(*f.n_energie, -1200, 50, 170);
  f.ohen_energie->Position().SetX(-17);
  f.ohen_energie->Position().SetY(-4);

  place(*f.palivo, 108, 41, 0);
  f.palivo->SetWidth(150);
  place(*f.energie, 108, 23, 0);
  f.energie->SetWidth(150);
  place(*f.menuvrch, 315, 42, 0);
  place(*f.zi, 326, 19, 0);
  f.zi->SetText("0");

  place(*f.blok, 0, 0, 170);

  const struct {
    TGLFreeForm* turret;
    float x, y;
  } turrets[] = {{f.zbran1, 13, 0},  {f.zbran2, -10, 0},  {f.zbran3, 1, 0},
                 {f.zbran4, -14, 0}, {f.zbran5, -10, -5}, {f.zbran6, 14, 7}};
  for (const auto& t : turrets) {
    place(*t.turret, t.x, t.y, 0);
    t.turret->SetVisible(false);
  }

  place(*f.camera, 0, 100, -237);
  place(*f.lod, -16, 1, 0);
  place(*f.svetlo, 0, 134, -51);

  showProbes = false;
  probeSize = 20;
  probeDepth = 2;
  // Only the one Direction component is written; the form's values give the rest.
  f.pbok->SetCubeSize(1);
  f.pbok->Direction().SetX(-1);
  f.pbok->Scale().SetVector(probeSize, probeDepth * 4, 0.1f);
  f.lbok->SetCubeSize(1);
  f.lbok->Direction().SetX(1);
  f.lbok->Scale().SetVector(probeSize, probeDepth * 4, 0.1f);
  f.spodek->SetCubeSize(1);
  f.spodek->Direction().SetY(-1);
  f.spodek->Scale().SetVector(probeSize, probeSize, 0.5f);
  f.vrch->SetCubeSize(1);
  f.vrch->Direction().SetY(1);
  f.vrch->Scale().SetVector(probeSize, probeSize, 0.5f);
}

void layOutMenu() {
  TForm1& f = F();
  TGLHUDSprite* buttons[] = {f.d1, f.d2, f.d3, f.d4, f.d5, f.d6};
  for (int i = 0; i < 6; ++i) {
    buttons[i]->SetSize(120, 48);
    buttons[i]->Position().SetX(103);
    buttons[i]->Position().SetY(static_cast<float>(130 + 60 * i));
  }
  f.nastav->SetSize(85, 30);
  f.nastav->Position().SetX(307);
  f.nastav->Position().SetY(452);
  f.ex->SetSize(85, 30);
  f.ex->Position().SetX(514);
  f.ex->Position().SetY(452);
  f.obrazovka->SetSize(300, 300);
  f.obrazovka->Position().SetX(403);
  f.obrazovka->Position().SetY(284);
}

void setUpLevel(int32_t n) {
  if (n < 1 || n > 6) return;
  if (levelNumber != n) {
    levelNumber = n;
    recordProgress(n);
    loadLevelActors(n);
    loadLevelMeshes(n);
    wearLevelMaterials(n);
  }
  switch (n) {
    case 1:
      placeLevel1();
      break;
    case 2:
      placeLevel2();
      break;
    case 3:
      placeLevel3();
      break;
    case 4:
      placeLevel4();
      break;
    case 5:
      placeLevel5();
      break;
    case 6:
      placeLevel6();
      break;
  }
  startCommon(n);
  if (n == 6) {
    // The final monster carries its two barrels; the martians come last.
    TForm1& f = F();
    f.sud3->SetVisible(true);
    placeAt(*f.sud3, *f.obluda);
    f.sud4->SetVisible(true);
    placeAt(*f.sud4, *f.obluda);
    f.ali_anim1->SetVisible(true);
    f.ali_anim2->SetVisible(true);
  }
  F().list->playWave(kAmbientWave[n - 1]);
}
