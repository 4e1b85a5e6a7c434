// Cost of delivering the per-frame event to 1,000 script handlers, against two floors measured
// in the same run: a hand-written C loop doing exactly the steps a delivery needs, and 1,000 bare
// protected calls of an empty Lua function. A third figure, the event copies alone, shows what
// the copy each handler must get costs by itself.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <lua.hpp>
#include <memory>
#include <unistd.h>

#include "Binding/Binding.h"
#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Ratios.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"

namespace {

constexpr int kHandlers = 1000;
constexpr int kRounds = 5;

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
    main = engine->GetSpace("Main");
    for (int i = 0; i < kHandlers; ++i)
      main->CreateEmptyObject()->AddLuaComponent("Empty");
    for (auto& [component, serial] : LuaComponent::LiveComponents())
      if (component->spaceIndex == main->index)
        instances.push_back(component->instanceRef);
    L = lua->L;
    luaL_dostring(L, "function EmptyFunction() end");
    lua_getglobal(L, "EmptyFunction");
    emptyFunction = luaL_ref(L, LUA_REGISTRYINDEX);
    lua_pushstring(L, "OnUpdate");
    functionName = luaL_ref(L, LUA_REGISTRYINDEX);
    lua_pushstring(L, "event");
    eventName = luaL_ref(L, LUA_REGISTRYINDEX);
    lb::PushMetatable(L, lb::ClassOf<LogicUpdate>());
    updateMetatable = luaL_ref(L, LUA_REGISTRYINDEX);
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
  Space* main = nullptr;
  lua_State* L = nullptr;
  std::vector<int> instances; // registry references of the handlers' instance tables
  int emptyFunction = 0;
  int functionName = 0, eventName = 0, updateMetatable = 0; // for the hand-written loop
};

std::unique_ptr<ScriptWorld> world;

ScriptWorld& World() {
  if (!world)
    world = std::make_unique<ScriptWorld>();
  return *world;
}

void LogicUpdateTo1000Handlers(benchmark::State& state) {
  ScriptWorld& w = World();
  if (EventDispatcher::ms_Singleton->ConnectionCount(w.main, "LogicUpdate") != kHandlers)
    state.SkipWithError("handlers not connected");
  for (auto _ : state) {
    LogicUpdate update(0.016f);
    EventDispatcher::ms_Singleton->Send(update, "LogicUpdate");
  }
  state.SetItemsProcessed(state.iterations() * kHandlers);
}

// What a delivery has to do at the least, written out by hand as tight as the Lua API allows:
// push the instance table, find the function in it, push a copy of the event (a userdata of the
// event's script class), store the copy as the field "event", call the function in protected
// mode with the copy. The names are ready-made Lua strings and the metatable is at hand.
void HandWrittenDelivery(benchmark::State& state) {
  ScriptWorld& w = World();
  if (w.instances.size() != static_cast<size_t>(kHandlers))
    state.SkipWithError("handlers not loaded");
  lua_State* L = w.L;
  for (auto _ : state) {
    LogicUpdate update(0.016f);
    for (int ref : w.instances) {
      lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
      lua_rawgeti(L, LUA_REGISTRYINDEX, w.functionName);
      lua_gettable(L, -2);
      void* block = lua_newuserdata(L, lb::kPayloadOffset + sizeof(LogicUpdate));
      void* payload = static_cast<char*>(block) + lb::kPayloadOffset;
      new (payload) LogicUpdate(update);
      *static_cast<lb::Header*>(block) =
          lb::Header{payload, &lb::ClassOf<LogicUpdate>(), 0, nullptr, lb::kMagic};
      lua_rawgeti(L, LUA_REGISTRYINDEX, w.updateMetatable);
      lua_setmetatable(L, -2);
      lua_rawgeti(L, LUA_REGISTRYINDEX, w.eventName);
      lua_pushvalue(L, -2);
      lua_settable(L, -5);
      lua_pcall(L, 1, 0, 0);
      lua_pop(L, 1);
    }
  }
  state.SetItemsProcessed(state.iterations() * kHandlers);
}

// The one allocation a delivery must make per handler, alone: 1,000 copies of the event as
// userdata of its script class, left to the collector as deliveries leave them.
void EventCopies1000(benchmark::State& state) {
  ScriptWorld& w = World();
  lua_State* L = w.L;
  for (auto _ : state) {
    LogicUpdate update(0.016f);
    for (int i = 0; i < kHandlers; ++i) {
      update.PushCopy(L);
      lua_pop(L, 1);
    }
  }
  state.SetItemsProcessed(state.iterations() * kHandlers);
}

void BarePcalls1000(benchmark::State& state) {
  ScriptWorld& w = World();
  lua_State* L = w.L;
  for (auto _ : state) {
    for (int i = 0; i < kHandlers; ++i) {
      lua_rawgeti(L, LUA_REGISTRYINDEX, w.emptyFunction);
      lua_pcall(L, 0, 0, 0);
    }
  }
  state.SetItemsProcessed(state.iterations() * kHandlers);
}

} // namespace

int main(int argc, char** argv) {
  bench::RegisterAlternating(
      kRounds,
      {{"LogicUpdateTo1000Handlers", &LogicUpdateTo1000Handlers},
       {"HandWrittenDelivery", &HandWrittenDelivery},
       {"BarePcalls1000", &BarePcalls1000},
       {"EventCopies1000", &EventCopies1000}},
      [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMicrosecond)->MinTime(0.2); });
  int status = bench::RunWithRatios(argc, argv, [](const bench::RatioReporter& r) {
    r.Ratio("delivery / bare protected calls", "LogicUpdateTo1000Handlers", "BarePcalls1000", 4.0,
            true);
    r.Ratio("delivery / hand-written C loop", "LogicUpdateTo1000Handlers", "HandWrittenDelivery",
            1.3, true);
    r.Note("event copies alone / bare protected calls", "EventCopies1000", "BarePcalls1000");
  });
  world.reset();
  return status;
}
