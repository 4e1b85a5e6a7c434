#pragma once
#include <functional>

class Engine;

// Ways for a tool that runs the real game to watch it (the soak run); the game passes none.
struct GameHooks {
  // After start-up and the first level's load, before the first frame.
  std::function<void(Engine&)> started;
  // After every complete frame, with the number of frames run so far.
  std::function<void(Engine&, long frames)> frameDone;
};

// The program: builds the engine and its systems, loads the splash level, runs frames until
// quit and shuts down. Returns the process exit status.
int RunGame(const GameHooks& hooks = {});
