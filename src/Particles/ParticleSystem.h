#pragma once
#include "Core/System.h"
#include "Utilities/Singleton.h"

// Drives the emitters and particle timers of each active space.
class ParticleSystem : public System, public Singleton<ParticleSystem> {
public:
  void Initialize() override { name = "ParticleSystem"; }
  void Update(float dt, Space* space) override;
  void Shutdown() override {}
};
