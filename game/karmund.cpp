// Karmund: the game on the SDL backend.
#include "game/program.h"
#include "platform/platform.h"

int main() {
  platform::init();
  return Karmund();
}
