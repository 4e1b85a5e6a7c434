// The program's entry point.
#include <SDL.h>

#include "Core/Game.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  return RunGame();
}
