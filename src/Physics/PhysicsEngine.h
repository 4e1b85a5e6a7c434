#pragma once
#include "Core/System.h"
#include "Utilities/Singleton.h"

// Moves every active object that has a RigidBody and a Transform (semi-implicit Euler).
class PhysicsEngine : public System, public Singleton<PhysicsEngine> {
public:
  void Initialize() override {}
  void Update(float dt, Space* space) override;
  void Shutdown() override {}
};
