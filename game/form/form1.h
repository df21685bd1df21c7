// The main form: every component and scene object of the game as a named field, created with
// its stored settings when the form is made. The handlers live in game/hlavni.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "engine/actor.h"
#include "engine/bitmap_font.h"
#include "engine/cadencer.h"
#include "engine/camera.h"
#include "engine/collision.h"
#include "engine/dummy_cube.h"
#include "engine/fire_fx.h"
#include "engine/full_screen_viewer.h"
#include "engine/hud_sprite.h"
#include "engine/hud_text.h"
#include "engine/light_source.h"
#include "engine/material_library.h"
#include "engine/mesh.h"
#include "engine/particle_fx.h"
#include "engine/scene_object.h"
#include "engine/sky_dome.h"
#include "platform/platform.h"
#include "sound/dx_sound.h"
#include "sound/media_player.h"
#include "sound/wave_list.h"

// The form's own window settings. The game draws in the viewer's window, so these are kept
// only as the form stores them.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
constexpr TColor clGray = 0x808080;
constexpr TCursor crHandPoint = -21;

class TForm1 : public TComponent {
 public:
  // Composes the form: components and the scene tree, in their stored order. Nothing starts
  // running here; the game begins when `create` is called.
  TForm1();
  ~TForm1() override;

  // --- the form itself
  TFormBorderStyle BorderStyle = bsNone;
  TWindowState WindowState = wsMaximized;
  TColor Color = clGray;
  TCursor Cursor = crHandPoint;
  std::string Hint;
  bool ShowHint = false;
  bool KeyPreview = false;
  bool Visible = false;
  TNotifyEvent OnCreate;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;

  // --- non-visual components, in stored order
  TGLScene* GLScene1 = nullptr;
  TGLCadencer* GLCadencer1 = nullptr;
  TGLFullScreenViewer* full = nullptr;
  TGLWindowsBitmapFont* GLWindowsBitmapFont1 = nullptr;
  TGLMaterialLibrary* mat1 = nullptr;
  TCollisionManager* CollisionManager1 = nullptr;
  TDXSound* DXSound1 = nullptr;
  TDXWaveList* list = nullptr;
  TMediaPlayer* hudba = nullptr;
  // effect managers
  TGLFireFXManager* raketa_hori = nullptr;
  TGLFireFXManager* zasah1 = nullptr;
  TGLFireFXManager* zasah2 = nullptr;
  TGLFireFXManager* zasah3 = nullptr;
  TGLFireFXManager* zasah4 = nullptr;
  TGLFireFXManager* zasah5 = nullptr;
  TGLFireFXManager* vybuch_sud = nullptr;
  TGLPolygonPFXManager* motor = nullptr;
  TGLPolygonPFXManager* pridej_zbran = nullptr;

  // --- the scene tree, in stored order (indentation: children)
  TGLSkyDome* sky = nullptr;
  TGLActor* ali_anim1 = nullptr;
  TGLActor* ali_anim2 = nullptr;
  TGLFreeForm* blok = nullptr;
  TGLFreeForm* steny1 = nullptr;
  TGLFreeForm* n_palivo = nullptr;
  TGLDummyCube* ohen_palivo = nullptr;
  TGLFreeForm* n_zbrane = nullptr;
  TGLDummyCube* ohen_zbrane = nullptr;
  TGLFreeForm* n_energie = nullptr;
  TGLDummyCube* ohen_energie = nullptr;
  TGLFreeForm* sud1 = nullptr;
  TGLFreeForm* sud2 = nullptr;
  TGLFreeForm* sud3 = nullptr;
  TGLFreeForm* sud4 = nullptr;
  TGLParticleFXRenderer* GLParticleFXRenderer2 = nullptr;
  TGLFreeForm* kamen1 = nullptr;
  TGLFreeForm* kamen2 = nullptr;
  TGLFreeForm* kamen3 = nullptr;
  TGLFreeForm* kamen4 = nullptr;
  TGLFreeForm* ob1 = nullptr;
  TGLFreeForm* ali1 = nullptr;
  TGLFreeForm* ali2 = nullptr;
  TGLFreeForm* ali3 = nullptr;
  TGLDummyCube* zasah_sud = nullptr;
  TGLDummyCube* obluda = nullptr;
  TGLActor* hyb1 = nullptr;
  TGLActor* hyb2 = nullptr;
  TGLFreeForm* oci = nullptr;
  TGLFreeForm* trup = nullptr;
  TGLDummyCube* pbok = nullptr;
  TGLDummyCube* lbok = nullptr;
  TGLDummyCube* spodek = nullptr;
  TGLDummyCube* vrch = nullptr;
  TGLDummyCube* cek = nullptr;
  TGLDummyCube* muz = nullptr;
  TGLFreeForm* strela5 = nullptr;
  TGLParticleFXRenderer* GLParticleFXRenderer1 = nullptr;
  TGLFreeForm* lod = nullptr;
  TGLFreeForm* zbran1 = nullptr;
  TGLFreeForm* zbran2 = nullptr;
  TGLFreeForm* zbran3 = nullptr;
  TGLFreeForm* zbran4 = nullptr;
  TGLFreeForm* zbran5 = nullptr;
  TGLFreeForm* zbran6 = nullptr;
  TGLFreeForm* zbran7 = nullptr;
  TGLFreeForm* strela1 = nullptr;
  TGLFreeForm* strela2 = nullptr;
  TGLFreeForm* strela3 = nullptr;
  TGLFreeForm* strela4 = nullptr;
  TGLDummyCube* svetlo = nullptr;
  TGLLightSource* zarovka = nullptr;
  TGLDummyCube* zas1 = nullptr;
  TGLDummyCube* zas2 = nullptr;
  TGLDummyCube* zas3 = nullptr;
  TGLDummyCube* zas4 = nullptr;
  TGLDummyCube* zas5 = nullptr;
  TGLFreeForm* steny2 = nullptr;
  TGLFreeForm* ruzne = nullptr;
  TGLHUDSprite* menuvrch = nullptr;
  TGLHUDText* zi = nullptr;
  TGLHUDSprite* srdce3 = nullptr;
  TGLHUDSprite* srdce2 = nullptr;
  TGLHUDSprite* srdce1 = nullptr;
  TGLHUDSprite* energie = nullptr;
  TGLHUDSprite* palivo = nullptr;
  TGLHUDSprite* havarie = nullptr;
  TGLHUDSprite* super = nullptr;
  TGLHUDText* dole = nullptr;
  TGLHUDSprite* max = nullptr;  // the last monster's strength bar
  TGLFreeForm* bonus = nullptr;
  TGLHUDSprite* menustart = nullptr;
  TGLHUDSprite* obrazovka = nullptr;
  TGLHUDSprite* d6 = nullptr;
  TGLHUDSprite* d5 = nullptr;
  TGLHUDSprite* d4 = nullptr;
  TGLHUDSprite* d3 = nullptr;
  TGLHUDSprite* d2 = nullptr;
  TGLHUDSprite* d1 = nullptr;
  TGLHUDSprite* nastav = nullptr;
  TGLHUDSprite* ex = nullptr;
  TGLHUDSprite* kur = nullptr;
  TGLHUDSprite* kur2 = nullptr;
  TGLHUDText* informace = nullptr;
  TGLCamera* camera2 = nullptr;
  TGLCamera* camera = nullptr;

  // --- handlers (game/hlavni.cpp)
  void create(TComponent* Sender);
  void kadencer(TComponent* Sender, double deltaTime, double newTime);
  void mousedown(TComponent* Sender, platform::MouseButton Button, uint32_t Shift, int X, int Y);
  void mousemove(TComponent* Sender, uint32_t Shift, int X, int Y);
  void kolecko(TComponent* Sender, uint32_t Shift, int WheelDelta, TPoint MousePos, bool& Handled);
  void keydown(TComponent* Sender, int& Key, uint32_t Shift);
  // The music player's notification: the piece starts over.
  void notify(TComponent* Sender);
  // The collision registry's event (never raised: the registry tests nothing).
  void kolize(TComponent* Sender, TGLBaseSceneObject* object1, TGLBaseSceneObject* object2);

 private:
  void compose();
  void compose_materials();
};

extern TForm1* Form1;
