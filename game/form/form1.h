// The main form: every component and scene object of the game as a named field, created with
// its stored settings when the form is made. The handlers live in game/hlavni.cpp.
#pragma once

#include <cstdint>

#include "engine/cadencer.h"
#include "engine/camera.h"
#include "engine/full_screen_viewer.h"
#include "engine/scene_object.h"
#include "engine/sprite.h"
#include "platform/platform.h"

class TForm1 : public TComponent {
 public:
  // Composes the form: components and the scene tree, in their stored order.
  TForm1();
  ~TForm1() override;

  // Non-visual components
  TGLScene* GLScene1 = nullptr;
  TGLCadencer* GLCadencer1 = nullptr;
  TGLFullScreenViewer* full = nullptr;

  // Scene objects
  TGLSprite* max = nullptr;  // the last monster's strength bar; a HUD sprite once the HUD exists
  TGLCamera* camera2 = nullptr;
  TGLCamera* camera = nullptr;

  // Handlers (game/hlavni.cpp)
  void create(TComponent* Sender);
  void kadencer(TComponent* Sender, double deltaTime, double newTime);
  void mousedown(TComponent* Sender, platform::MouseButton Button, uint32_t Shift, int X, int Y);
  void mousemove(TComponent* Sender, uint32_t Shift, int X, int Y);
  void kolecko(TComponent* Sender, uint32_t Shift, int WheelDelta, TPoint MousePos, bool& Handled);
  void keydown(TComponent* Sender, int& Key, uint32_t Shift);

 private:
  void compose();
};

extern TForm1* Form1;
