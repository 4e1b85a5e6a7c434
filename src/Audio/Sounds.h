#pragma once
#include "Core/System.h"
#include "Utilities/Singleton.h"

// The audio system. Its banks and sounds arrive with the audio work; it already takes its
// place in the system order.
class Sounds : public System, public Singleton<Sounds> {
public:
  void Initialize() override { name.clear(); }
  void Update(float, Space*) override {}
  void Shutdown() override {}
};
