// The scripting system: the one Lua state, the script API, cached chunks and hot reload.
#include "Scripting/LuaEngine.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <lua.hpp>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <unordered_map>

#include "Binding/Binding.h"
#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/GameObject.h"
#include "Scripting/LuaComponent.h"
#include "Utilities/Debug.h"
#include "Utilities/Paths.h"

namespace {
int Print(lua_State* L) {
  debug::CloseOpenLine();
  int n = lua_gettop(L);
  for (int i = 1; i <= n; ++i)
    Lua_PrintIndex(L, i);
  std::printf("\n");
  std::fflush(stdout);
  return 0;
}

bool DebuggerAttached() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("TracerPid:", 0) == 0)
      return std::stoi(line.substr(10)) != 0;
  return false;
}

int DebugBreak(lua_State*) {
  if (DebuggerAttached())
    std::raise(SIGTRAP);
  return 0;
}

// One character from standard input. A terminal is waited on; anything else (a closed stream,
// a pipe nobody writes to) is only read if a character is already there, so an unattended run
// never hangs here.
void WaitForKey() {
  if (isatty(STDIN_FILENO)) {
    std::getchar();
    return;
  }
  pollfd in{STDIN_FILENO, POLLIN, 0};
  if (poll(&in, 1, 0) > 0 && (in.revents & POLLIN))
    std::getchar();
}
} // namespace

int LuaPanic(lua_State* L) {
  const char* message = lua_tostring(L, -1);
  std::printf("Panic Error: %s\n", message ? message : "(error object is not a string)");
  std::printf("LUA DIED!!! WHAT DID YOU DO?!?!?!?!?!?!?!?!?!\n");
  std::fflush(stdout);
  WaitForKey();
  return 0;
}

void LuaEngine::Initialize() {
  scriptsFolder = "Scripts/";
  L = luaL_newstate();
  luaL_openlibs(L);
  lua_register(L, "print", &Print);
  lua_register(L, "__debugbreak", &DebugBreak);
  lua_atpanic(L, &LuaPanic);
  lb::RegisterApi(L);
  lua_settop(L, 0);
  eventKey = NameKey("event");
  lastCheck = std::chrono::steady_clock::now();
}

void LuaEngine::Update(float, Space*) {
  auto now = std::chrono::steady_clock::now();
  if (now - lastCheck < reloadInterval)
    return;
  lastCheck = now;
  CheckScripts();
}

int LuaEngine::CheckScripts() {
  if (!L)
    return 0;
  // Components may come and go while others reload, so work from a snapshot and re-check
  // each one before touching it.
  auto snapshot = LuaComponent::LiveComponents();
  std::unordered_map<std::string, int64_t> stamps;
  int reloaded = 0;
  for (auto [component, serial] : snapshot) {
    if (!LuaComponent::IsLive(component, serial) || !component->loadAttempted)
      continue;
    auto found = stamps.find(component->path);
    if (found == stamps.end())
      found = stamps.emplace(component->path, FileInfo::Stamp(component->path)).first;
    if (found->second != 0 && found->second != component->fileStamp) {
      component->Reload();
      ++reloaded;
    }
  }
  return reloaded;
}

int LuaEngine::LoadChunk(const std::string& path) {
  int64_t stamp = FileInfo::Stamp(path);
  auto it = chunks.find(path);
  if (it != chunks.end() && stamp != 0 && it->second.stamp == stamp && it->second.running == 0) {
    lua_rawgeti(L, LUA_REGISTRYINDEX, it->second.ref);
    return 0;
  }
  int status = luaL_loadfile(L, HostPath(path).c_str());
  if (status != 0 || stamp == 0 || (it != chunks.end() && it->second.running > 0))
    return status;
  CachedChunk& entry = chunks[path];
  luaL_unref(L, LUA_REGISTRYINDEX, entry.ref);
  lua_pushvalue(L, -1);
  entry.ref = luaL_ref(L, LUA_REGISTRYINDEX);
  entry.stamp = stamp;
  return 0;
}

int LuaEngine::NameKey(const std::string& name) {
  if (!L)
    return 0;
  auto [it, made] = nameKeys.try_emplace(name, 0);
  if (made) {
    lua_pushlstring(L, name.data(), name.size());
    it->second = luaL_ref(L, LUA_REGISTRYINDEX);
  }
  return it->second;
}

void LuaEngine::SetChunkRunning(const std::string& path, bool running) {
  auto it = chunks.find(path);
  if (it != chunks.end())
    it->second.running += running ? 1 : -1;
}

void LuaEngine::Shutdown() {
  if (!L)
    return;
  // Script components still filed in objects are freed while the state they refer to exists;
  // the program is ending, so their scripts are not told anything.
  if (Engine::ms_Singleton)
    for (Space* space : Engine::ms_Singleton->spaces)
      for (GameObject* object : space->objects)
        if (object) {
          auto scripts = std::move(object->luaComponents);
          object->luaComponents.clear();
          for (auto& entry : scripts)
            LuaComponent::Release(entry.second);
        }
  chunks.clear();
  nameKeys.clear();
  eventKey = 0;
  closing = true;
  lua_close(L);
  L = nullptr;
  closing = false;
}
