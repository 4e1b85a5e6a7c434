// Cost of delivering the per-frame event to script handlers, against the floor of calling an
// empty Lua function from C the same number of times.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <lua.hpp>
#include <unistd.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Scripting/LuaEngine.h"

namespace {

constexpr int kHandlers = 1000;

// A headless engine in a scratch folder with kHandlers objects whose scripts handle LogicUpdate.
struct ScriptWorld {
  ScriptWorld() {
    previous = std::filesystem::current_path();
    folder = std::filesystem::temp_directory_path() / ("vantix-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "Scripts");
    std::filesystem::current_path(folder);
    std::ofstream(folder / "Scripts" / "Empty.lua")
        << "function Initialize() Events.GlobalLuaConnect('LogicUpdate', this, 'OnUpdate') end\n"
           "function OnUpdate(update) end\n";
    lua = new LuaEngine();
    engine = new Engine();
    engine->AddSystems(1, lua);
    engine->Initialize();
    Space* main = engine->GetSpace("Main");
    for (int i = 0; i < kHandlers; ++i)
      main->CreateEmptyObject()->AddLuaComponent("Empty");
  }
  ~ScriptWorld() {
    engine->Shutdown();
    delete engine;
    delete lua;
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
  }
  std::filesystem::path previous, folder;
  LuaEngine* lua = nullptr;
  Engine* engine = nullptr;
};

void BM_LogicUpdateTo1000Handlers(benchmark::State& state) {
  ScriptWorld world;
  if (EventDispatcher::ms_Singleton->ConnectionCount(world.engine->GetSpace("Main"),
                                                     "LogicUpdate") != kHandlers)
    state.SkipWithError("handlers not connected");
  for (auto _ : state) {
    LogicUpdate update(0.016f);
    EventDispatcher::ms_Singleton->Send(update, "LogicUpdate");
  }
  state.SetItemsProcessed(state.iterations() * kHandlers);
}
BENCHMARK(BM_LogicUpdateTo1000Handlers)->Unit(benchmark::kMicrosecond);

void BM_1000BarePcalls(benchmark::State& state) {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  luaL_dostring(L, "function Empty() end");
  lua_getglobal(L, "Empty");
  int ref = luaL_ref(L, LUA_REGISTRYINDEX);
  for (auto _ : state) {
    for (int i = 0; i < kHandlers; ++i) {
      lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
      lua_pcall(L, 0, 0, 0);
    }
  }
  state.SetItemsProcessed(state.iterations() * kHandlers);
  lua_close(L);
}
BENCHMARK(BM_1000BarePcalls)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
