#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>

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

  // Loads a script file as a chunk and pushes it (or pushes the error message and returns the
  // load status). Chunks are kept per path until the file changes, so every component running
  // one script shares its function prototypes: parsed once, and compiled once by the JIT.
  int LoadChunk(const std::string& path);
  // Marks a cached chunk as running (true) or finished, so that a nested load of the same script
  // while its chunk runs gets a fresh chunk rather than changing the running one's environment.
  void SetChunkRunning(const std::string& path, bool running);

  // A registry reference to the name as a Lua string, made once per name and kept while the
  // state lives, so code that looks the same name up again and again need not re-hash it.
  // 0 without a state.
  int NameKey(const std::string& name);

  lua_State* State() const { return L; }
  lua_State* L = nullptr;
  std::string scriptsFolder = "Scripts/";
  // True while the state is being closed: finalizers and destructors leave it alone.
  bool closing = false;
  // NameKey("event"): the field in which each delivery leaves the event for the script.
  int eventKey = 0;
  std::chrono::milliseconds reloadInterval{250};

private:
  struct CachedChunk {
    int ref = -2;
    int64_t stamp = 0;
    int running = 0;
  };
  std::unordered_map<std::string, CachedChunk> chunks;
  std::unordered_map<std::string, int> nameKeys;
  std::chrono::steady_clock::time_point lastCheck{};
};

// The panic handler installed in the state (exposed for tests).
int LuaPanic(lua_State* L);
