#pragma once
#include <vector>

#include "Utilities/Singleton.h"

class Space;
class GameObject;
union SDL_Event;
struct SDL_Window;

// The in-game level editor. While open, the renderer views every space through the default
// camera and the main loop asks the editor to draw after the game.
class LevelEditor : public Singleton<LevelEditor> {
public:
  void Draw(std::vector<Space*>& spaces);
  // The editor's UI layer sees every SDL event before the game does; it consumes none.
  void ProcessEvent(const SDL_Event& event);
  // The graphics system binds the editor's UI to its window and GL context once both exist,
  // and unbinds it before the context goes.
  void StartInterface(SDL_Window* window, void* glContext);
  void StopInterface();

  bool open = false;
  GameObject* selected = nullptr;
};
