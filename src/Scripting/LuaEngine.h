#pragma once
#include <chrono>
#include <string>

#include "Core/System.h"
#include "Utilities/Singleton.h"

struct lua_State;

// The scripting system: owns the one Lua state of the program, registers the script API and
// reloads script components whose files changed.
class LuaEngine : public System, public Singleton<LuaEngine> {
public:
  void Initialize() override;
  // Checks the script files for changes, at most every `reloadInterval` (not every frame).
  void Update(float, Space*) override;
  void Shutdown() override;

  // Reloads every live script component whose file changed since it was loaded. Returns how
  // many were reloaded.
  int CheckScripts();

  lua_State* State() const { return L; }
  lua_State* L = nullptr;
  std::string scriptsFolder = "Scripts/";
  // True while the state is being closed: finalizers and destructors leave it alone.
  bool closing = false;
  std::chrono::milliseconds reloadInterval{250};

private:
  std::chrono::steady_clock::time_point lastCheck{};
};

// The panic handler installed in the state (exposed for tests).
int LuaPanic(lua_State* L);
