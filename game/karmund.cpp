// Karmund: the game on the SDL backend.
#include "game/program.h"

int main() { return Karmund(); }
