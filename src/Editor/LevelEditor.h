#pragma once
#include <vector>

#include "Utilities/Singleton.h"

class Space;
class GameObject;

// The in-game level editor. While open, the renderer views every space through the default
// camera and the main loop asks the editor to draw after the game.
class LevelEditor : public Singleton<LevelEditor> {
public:
  void Draw(std::vector<Space*>& spaces);

  bool open = false;
  GameObject* selected = nullptr;
};
