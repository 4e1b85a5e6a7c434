#pragma once
#include <string>

class Space;

// Base of the engine systems. The engine calls Initialize once, Update once per frame for
// every space (active or not) and Shutdown once when the loop has ended.
class System {
public:
  virtual ~System() = default;
  virtual void Initialize() = 0;
  virtual void Update(float dt, Space* space) = 0;
  virtual void Shutdown() = 0;

  std::string name;
};
