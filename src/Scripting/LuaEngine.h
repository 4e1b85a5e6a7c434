#pragma once
#include "Core/System.h"
#include "Utilities/Singleton.h"

struct lua_State;

// The scripting system: owns the one Lua state of the program.
class LuaEngine : public System, public Singleton<LuaEngine> {
public:
  void Initialize() override;
  void Update(float, Space*) override {}
  void Shutdown() override;

  lua_State* State() const { return L; }
  lua_State* L = nullptr;
};
