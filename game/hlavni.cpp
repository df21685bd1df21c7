// The main form's handlers: start-up, the frame loop and the input handlers, and the ends.
#include "game/hlavni.h"

#include "engine/application.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "game/progress_file.h"
#include "platform/platform.h"

void TForm1::create(TComponent* /*Sender*/) {
  platform::set_cursor_visible(false);  // the game draws its own cursor sprite
  resetPending = true;
  assetsLoaded = false;
  inMenu = true;
  selectedLevel = 1;
  titleScreen = true;
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
}

void TForm1::mousedown(TComponent*, platform::MouseButton, uint32_t, int, int) {}

void TForm1::mousemove(TComponent*, uint32_t, int X, int Y) {
  mouseX = X;
  mouseY = Y;
}

void TForm1::kolecko(TComponent*, uint32_t, int, TPoint, bool&) {}

void TForm1::keydown(TComponent*, int&, uint32_t) {}

void endProgram() {
  // Close the form, switch the viewer off (its window closes), halt: no further frames.
  Form1->full->SetFullScreen(false);
  platform::halt(0);
}
