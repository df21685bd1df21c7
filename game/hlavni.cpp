// The main form's handlers: start-up, the frame loop with the six level timelines, the title
// and the menu, the input handlers, the shot movers and the program's ends.
#include "game/hlavni.h"

#include <initializer_list>

#include "engine/application.h"
#include "engine/keyboard.h"
#include "engine/proxy_object.h"
#include "game/data.h"
#include "game/dily.h"
#include "game/form/form1.h"
#include "game/kolize.h"
#include "game/obludy.h"
#include "game/progress_file.h"
#include "platform/platform.h"

namespace {

using Obj = TGLBaseSceneObject;
using platform::vkEscape;

TForm1& F() { return *Form1; }

float X(const Obj& o) { return o.Position().X(); }
float Y(const Obj& o) { return o.Position().Y(); }
// Sums are worked out wide and stored as the 32-bit float the position holds.
void addX(Obj& o, double d) { o.Position().SetX(static_cast<float>(X(o) + d)); }
void addY(Obj& o, double d) { o.Position().SetY(static_cast<float>(Y(o) + d)); }

// The Escape press that leaves the title, or leaves play for the menu, is still reported down
// for a while after; the menu ends the program only on a press that comes after Escape was
// seen released.
bool menuEscapeArmed = false;

void showMenuMusic(bool play) {
  TMediaPlayer& music = *F().hudba;
  music.SetFileName("data\\menu.mid");
  music.Open();
  if (play) music.Play();
}

// ---------------------------------------------------------------------------------------------
// Title and menu

void showTitleScreen() {
  TForm1& f = F();
  f.menustart->SetVisible(true);
  if (!KeyIsDown(vkEscape)) return;
  // The menu picture takes the title's place.
  f.menustart->Material().Texture().Image().LoadFromFile("data\\menu1.jpg");
  f.obrazovka->SetVisible(true);
  f.kur->SetVisible(true);
  titleScreen = false;
  menuEscapeArmed = false;
  showMenuMusic(true);
}

struct Area {
  int left, right, top, bottom;
  bool contains(int x, int y) const { return left < x && x < right && top < y && y < bottom; }
};

constexpr Area kLevelButtons[6] = {{40, 160, 107, 148}, {40, 160, 165, 204}, {40, 160, 230, 266},
                                   {40, 160, 290, 326}, {40, 160, 350, 386}, {40, 160, 408, 448}};
constexpr Area kStartArea = {252, 550, 134, 430};
constexpr Area kSettingsArea = {252, 352, 440, 460};
constexpr Area kExitArea = {472, 550, 440, 460};

// Level 1 is always open; level N once the progress file says N.
bool levelButtonActive(int n) {
  return (n == 1 || levelsOpen > n - 1) && kLevelButtons[n - 1].contains(mouseX, mouseY);
}

TGLHUDSprite* levelButton(int n) {
  TForm1& f = F();
  TGLHUDSprite* buttons[6] = {f.d1, f.d2, f.d3, f.d4, f.d5, f.d6};
  return buttons[n - 1];
}

void menuHover() {
  TForm1& f = F();
  const bool escape = KeyIsDown(vkEscape);
  if (!escape) menuEscapeArmed = true;
  if (escape && menuEscapeArmed && !paused) endProgram();
  // A clicked button grows back to its width.
  for (int n = 1; n <= 6; ++n) {
    TGLHUDSprite& button = *levelButton(n);
    if (button.Width() < 120)
      button.SetWidth(static_cast<float>(button.Width() + timeFactor * 4.0));
    if (button.Width() > 120) button.SetWidth(120);
  }
  f.kur2->SetVisible(false);
  bool over = kStartArea.contains(mouseX, mouseY) || kSettingsArea.contains(mouseX, mouseY) ||
              kExitArea.contains(mouseX, mouseY);
  for (int n = 1; n <= 6; ++n) over = over || levelButtonActive(n);
  if (over) f.kur2->SetVisible(true);
}

void menuFrame() {
  TForm1& f = F();
  resetPending = false;
  f.sky->SetVisible(false);
  f.menustart->SetVisible(true);
  f.menuvrch->SetVisible(false);
  menuHover();
  f.list->stopWave(8);  // no wind over the menu
}

// The start click: the chosen level from its beginning, with the game music.
void startLevel() {
  TForm1& f = F();
  f.list->playWave(10);
  resetPending = false;
  f.sky->SetVisible(true);
  f.menustart->SetVisible(false);
  f.menuvrch->SetVisible(true);
  inMenu = false;
  resetGame();
  loadCommonAssets();
  f.full->SetCamera(f.camera);
  f.hudba->Stop();
  startHold = 50;
  f.super->Position().SetX(-100);
  setUpLevel(selectedLevel);
  // Its notification starts it: the Stop above ends the menu music's play request.
  f.hudba->SetFileName("data\\hra.mp3");
  f.hudba->Open();
}

void showPreview(const char* material) {
  TGLMaterial& m = F().obrazovka->Material();
  m.SetMaterialLibrary(F().mat1);
  m.SetLibMaterialName(material);
}

// ---------------------------------------------------------------------------------------------
// Shot movers

const std::initializer_list<TShotPool*> kAllPools = {&shots1, &shots2, &shots3, &shots4, &shots5};

// A spent shot waits hidden at the ship.
void removeShot(TGLProxyObject& shot) {
  shot.SetVisible(false);
  shot.Position().Assign(F().muz->Position());
}

void flyAndAge(TGLProxyObject& shot, float distance) {
  if (!shot.Visible()) return;
  shot.MoveAlongDirection(distance);
  shot.SetTag(shot.Tag() + 1);
}

void addPitch(TGLProxyObject& shot, float degrees) {
  shot.SetPitchAngle(shot.PitchAngle() + degrees);
}

// A laser shot glances off what it hits and flies on.
void glanceOff(TGLProxyObject& shot, float degrees) {
  shot.MoveAlongDirection(2 * shotStep);
  addPitch(shot, degrees);
  shot.MoveAlongDirection(-2 * shotStep);
}

void moveShotsBasic() {
  TForm1& f = F();
  const bool gun1 = f.zbran1->Visible(), gun2 = f.zbran2->Visible();
  // The side guns' shots curl: pitch changes even while a shot is hidden.
  auto curled = [](TGLProxyObject& shot, int32_t kind, bool up, float limit, float degrees) {
    flyAndAge(shot, -shotStep);
    if (up ? shot.PitchAngle() < limit : shot.PitchAngle() > limit)
      addPitch(shot, up ? degrees : -degrees);
    if (shotHitTest(&shot, kind) || shot.Tag() > 80) removeShot(shot);
  };
  for (int slot = 1; slot <= 20; ++slot) {
    TGLProxyObject& shot = *shots1[slot];
    flyAndAge(shot, -shotStep);
    if (shotHitTest(&shot, 1) || shot.Tag() > 80) removeShot(shot);
    if (gun1) {
      curled(*shots2[slot], 2, true, 180, 45);
      curled(*shots3[slot], 3, false, -180, 45);
    }
    if (gun2) {
      curled(*shots4[slot], 4, false, -90, 10);
      curled(*shots5[slot], 5, true, 90, 10);
    }
  }
}

void moveShotsLevel3() {
  F().zbran3->PitchBy(timeFactor * 10);
  for (int slot = 1; slot <= 20; ++slot)
    for (TShotPool* pool : {&shots1, &shots2}) {
      TGLProxyObject& shot = *(*pool)[slot];
      flyAndAge(shot, -shotStep);
      if (shotHitTest(&shot, 1)) glanceOff(shot, 55);
      if (shot.Tag() > 80) removeShot(shot);
    }
}

void moveShotsLevel4() {
  F().zbran4->PitchBy(timeFactor * 10);
  // No age limit: a rear shot flies until it hits or its slot is taken again.
  for (int slot = 1; slot <= 20; ++slot) {
    TGLProxyObject& front = *shots1[slot];
    flyAndAge(front, -shotStep);
    if (shotHitTest(&front, 1)) removeShot(front);
    TGLProxyObject& back = *shots2[slot];
    flyAndAge(back, shotStep);
    if (shotHitTest(&back, 2)) removeShot(back);
  }
}

void moveShotsLevel5() {
  TForm1& f = F();
  f.zbran5->RollBy(static_cast<float>(swing5) * timeFactor);
  if (f.zbran5->RollAngle() > 100) swing5 = -2;
  if (f.zbran5->RollAngle() < 0) swing5 = 2;
  f.zbran6->RollBy(static_cast<float>(swing6) * timeFactor);
  if (f.zbran6->RollAngle() > -75) swing6 = -2;
  if (f.zbran6->RollAngle() < -177) swing6 = 2;
  for (int slot = 1; slot <= 20; ++slot) {
    TGLProxyObject& shot = *shots1[slot];
    flyAndAge(shot, -shotStep);
    if (shotHitTest(&shot, 1) || shot.Tag() > 80) removeShot(shot);
    for (int pool = 2; pool <= 3; ++pool) {
      TGLProxyObject& swung = *(pool == 2 ? shots2 : shots3)[slot];
      flyAndAge(swung, -shotStep);
      if (shotHitTest(&swung, pool)) glanceOff(swung, 50);
      if (swung.Tag() > 80) removeShot(swung);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The six level timelines: the walls' position decides the scroll, the gates and the end.

void level1() {
  TForm1& f = F();
  const float x = X(*f.steny1);
  if (x < 500) enemyGateB = true;
  if (600 < x && x < 1300) enemyGateA = true;
  if (x > 1560 && f.ob1->Visible()) scrollStep = 0;  // the walls wait while the cannon lives
  if (1520 < x && x < 1700) pickupGate = false;
  if (1700 < x && x < 2200) enemyGateA = true;
  if (x > 2300 && f.obluda->Visible()) scrollStep = 0;
  if (x > 2410) scrollStep = 0;
  addX(*f.steny1, scrollStep);
  addX(*f.ob1, scrollStep);
  addX(*f.obluda, scrollStep);
  updateAlien1();
  updateAlien2();
  updateAlien3();
  updateCannon();
  updateDriftingStones();
  updateMonster1();
}

void level2() {
  TForm1& f = F();
  if (X(*f.steny1) > 2200) scrollStep = 0;
  addX(*f.steny1, scrollStep);
  const float x = X(*f.steny1);
  f.steny2->Position().SetX(x - 780);
  f.ob1->Position().SetPoint(x - 1796, 26, 164);
  f.ruzne->Position().Assign(f.steny1->Position());
  // The rollers and the propeller turn.
  f.steny2->PitchBy(timeFactor * 1);
  f.ob1->PitchBy(timeFactor * 1);
  if (0 < x && x < 400) enemyGateB = true;
  if (400 < x && x < 1000) enemyGateA = true;
  if (1050 < x && x < 1300) enemyGateB = true;
  if (1400 < x && x < 2150) pickupGate = false;
  updateMonster2();
  updateLeaper1();
  updateLeaper2();
  updateLeaper3();
  updateDriftingStones();
}

void level3() {
  TForm1& f = F();
  Obj& walls = *f.steny1;
  // The crypt shaft climbs first, then runs on sideways.
  if (Y(walls) < 2884) {
    addY(walls, scrollStep * 2.0);
    pickupGate = false;
  }
  if (Y(walls) >= 2884) addX(walls, scrollStep);
  if (Y(walls) > 2884) walls.Position().SetY(2884);
  f.ruzne->Position().Assign(walls.Position());
  enemyGateB = false;
  if (100 < Y(walls) && Y(walls) < 2650) enemyGateB = true;
  if (-130 < X(walls) && X(walls) < 680) {
    enemyGateA = true;
    pickupGate = true;
  }
  if (X(walls) > 720) {
    levelComplete = true;
    selectedLevel = 3;
  }
  updateFallingStones();
  updateAlien1();
  updateAlien2();
}

void level4() {
  TForm1& f = F();
  if (X(*f.steny1) < 1780) addX(*f.steny1, scrollStep);
  const float x = X(*f.steny1);
  f.steny2->Position().SetX(x - 760);
  if (-50 < x && x < 700) enemyGateA = true;
  if (1100 < x && x < 1550) enemyGateA = true;
  updateBomber();
  updateSpider1();
  updateSpider2();
  if (X(*f.steny1) > 1750) {
    levelComplete = true;
    selectedLevel = 4;
  }
}

void level5() {
  TForm1& f = F();
  Obj& walls = *f.steny1;
  if (Y(walls) > -2512) addY(walls, scrollStep * -3.0);
  pickupGate = false;
  if (Y(walls) > -2400) f.ruzne->Position().Assign(walls.Position());
  // At the bottom of the shaft the door rises; the level ends once it is open.
  if (Y(walls) < -2400) {
    if (Y(*f.ruzne) < -2200) addY(*f.ruzne, scrollStep * 4.0);
    if (Y(*f.ruzne) >= -2200) {
      levelComplete = true;
      selectedLevel = 5;
    }
  }
  const float y = Y(walls);
  f.steny2->Position().SetY(y + 1243);
  f.ali1->Position().SetY(y + 757);
  f.ali1->TurnBy(timeFactor * 8);
  f.ali2->Position().SetY(y + 1782);
  f.ali2->TurnBy(timeFactor * -6);
  f.ali3->Position().SetY(y + 2295);
  f.ali3->TurnBy(timeFactor * 4);
  updateFallingBarrels();
  pickupGate = false;
}

void level6() {
  TForm1& f = F();
  f.oci->TurnBy(timeFactor * 6);
  const float before = X(*f.steny1);
  f.ob1->Position().SetX(before - 723);
  f.steny2->Position().SetX(before - 762);
  if (before < 2100) addX(*f.steny1, scrollStep);
  const float x = X(*f.steny1);
  if (-140 < x && x < 500) enemyGateB = true;
  if (500 < x && x < 900) enemyGateA = true;
  if (700 < x && x < 1200) enemyGateC = true;
  if (850 < x && x < 1200) enemyGateB = true;
  if (1300 < x && x < 1500) enemyGateB = enemyGateA = true;
  if (1600 < x && x < 1800) enemyGateC = enemyGateA = true;
  if (x > 2000) {
    f.max->SetVisible(true);
    updateFinalMonster();
  }
  updateAlien1();
  updateAlien2();
  updateAlien3();
  updateDriftingStones();
  updateCarriers();
}

void messageLine() {
  TForm1& f = F();
  if (sorryTimer > 0) f.informace->SetText("SORRY...");
  if (0 < sorryTimer && sorryTimer < 3) f.informace->SetText("");
  if (sorryTimer > 0) sorryTimer = static_cast<float>(sorryTimer - timeFactor * 2.0);
  if (sorryTimer < 0) sorryTimer = 0;
}

// The ship is held at its level's start place while startHold lasts.
void holdAtStart() {
  if (startHold <= 0) return;
  Obj& ship = *F().muz;
  switch (levelNumber) {
    case 2:
      ship.Position().SetPoint(100, 80, 170);
      break;
    case 4:
    case 5:
      ship.Position().SetPoint(50, 164, 170);
      break;
    default:
      ship.Position().SetPoint(100, 54, 170);
      break;
  }
  startHold -= 1;
}

// The level-end banner slides in; past X = 300 the next level starts. True when the frame ends.
bool levelEndBanner() {
  TForm1& f = F();
  if (!levelComplete) return false;
  addX(*f.super, timeFactor * 10.0);
  if (X(*f.super) <= 300) return false;
  resetGame();
  if (levelNumber < 1 || levelNumber > 5) return false;
  setUpLevel(levelNumber + 1);
  levelComplete = false;
  startHold = 50;
  f.super->Position().SetX(-100);
  return true;
}

void playFrame() {
  TForm1& f = F();
  enemyGateA = false;
  enemyGateB = false;
  pickupGate = true;
  enemyGateC = false;
  switch (levelNumber) {
    case 1:
      level1();
      break;
    case 2:
      level2();
      break;
    case 3:
      level3();
      break;
    case 4:
      level4();
      break;
    case 5:
      level5();
      break;
    case 6:
      level6();
      break;
    default:
      break;
  }
  updateLives();
  messageLine();
  pushShipFromWalls();
  readFlightControls();
  constrainShip();
  updatePickups();
  for (int32_t* timer : {&hitFxTimer1, &hitFxTimer2, &hitFxTimer3, &hitFxTimer4, &hitFxTimer5})
    if (*timer > 0) *timer -= 1;
  if (!f.zbran3->Visible()) moveShotsBasic();
  if (f.zbran3->Visible()) moveShotsLevel3();
  if (f.zbran4->Visible()) moveShotsLevel4();
  if (f.zbran5->Visible()) moveShotsLevel5();
  if (levelEndBanner()) return;
  holdAtStart();
  pushShipFromWalls();
  firstFrameDone = true;
}

}  // namespace

void stopAllWaves() {
  for (int32_t wave = 1; wave <= 10; ++wave) F().list->stopWave(wave);
}

void TForm1::create(TComponent* /*Sender*/) {
  platform::set_cursor_visible(false);  // the game draws its own cursor sprite
  resetPending = true;
  assetsLoaded = false;
  inMenu = true;
  selectedLevel = 1;
  titleScreen = true;
  menuEscapeArmed = false;
  progressFile.path = "data/volno.dtt";
  readProgress();
  createShotPools();
  full->SetWidth(640);
  full->SetHeight(480);
  full->SetFullScreen(true);
  // The whole game runs from this loop: every frame and every input handler.
  while (full->Active()) Application.ProcessMessages();
  platform::sleep_ms(1);
}

void TForm1::kadencer(TComponent* /*Sender*/, double deltaTime, double /*newTime*/) {
  timeFactor = static_cast<float>(deltaTime * 20);
  steerStep = timeFactor * 7;
  scrollStep = timeFactor * 0.5f;
  shotStep = timeFactor * 10;
  if (titleScreen) {
    showTitleScreen();
    return;
  }
  if (KeyIsDown(vkEscape) && !paused) {
    if (!inMenu) menuEscapeArmed = false;  // the press that left play is not the menu's
    showMenuMusic(false);
    full->SetCamera(camera2);
    inMenu = true;
    stopAllWaves();
  }
  if (resetPending) {
    resetGame();
    loadCommonAssets();
    layOutMenu();
  }
  if (paused) return;
  if (inMenu) {
    menuFrame();
    return;
  }
  if (gameFinished) {
    closingSequence();
    return;
  }
  playFrame();
}

void TForm1::mousedown(TComponent* /*Sender*/, platform::MouseButton Button, uint32_t /*Shift*/,
                       int /*X*/, int /*Y*/) {
  if (Button != platform::mbLeft) return;
  // The title has no menu yet: a click there would start without the menu music to stop.
  if (titleScreen) return;
  static const char* const kPreviews[6] = {"m8", "m9", "m10", "m11", "m12", "m13"};
  for (int n = 1; n <= 6; ++n)
    if (levelButtonActive(n)) {
      levelButton(n)->SetWidth(100);
      selectedLevel = n;
      list->playWave(10);
      showPreview(kPreviews[n - 1]);
    }
  if (kStartArea.contains(mouseX, mouseY)) startLevel();
  if (kSettingsArea.contains(mouseX, mouseY)) {
    list->playWave(10);
    showPreview("m14");
  }
  if (kExitArea.contains(mouseX, mouseY)) endProgram();
}

void TForm1::mousemove(TComponent* /*Sender*/, uint32_t /*Shift*/, int X, int Y) {
  mouseX = X;
  mouseY = Y;
  kur->Position().SetX(static_cast<float>(X));
  kur->Position().SetY(static_cast<float>(Y));
  kur2->Position().Assign(kur->Position());
}

void TForm1::kolecko(TComponent*, uint32_t, int, TPoint, bool&) {}

void TForm1::keydown(TComponent* /*Sender*/, int& Key, uint32_t /*Shift*/) {
  if (Key != vkEscape && paused) paused = false;
}

void TForm1::notify(TComponent* /*Sender*/) {
  hudba->Rewind();
  hudba->Play();
}

void TForm1::kolize(TComponent* /*Sender*/, TGLBaseSceneObject* object1,
                    TGLBaseSceneObject* object2) {
  informace->SetText(object1->Name() + object2->Name());
}

void endProgram() {
  // Close the form, switch the viewer off (its window closes), halt: no further frames.
  Form1->full->SetFullScreen(false);
  platform::halt(0);
}
