// The program's entry point.
#include <SDL.h>

#include "Core/Game.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  // SDL would turn SIGINT and SIGTERM into a quit event, which the game ignores (closing the
  // window is how a player quits), and the program could then not be stopped or shut down.
  // Without SDL's handlers the signals end it as any program; saved files are written whole.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  return RunGame();
}
