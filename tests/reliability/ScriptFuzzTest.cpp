// The script API fuzzer: a headless engine (scripting, audio, particles, physics; no window) on a
// scratch copy of the game's data, playing a real level, while ScriptFuzz.lua calls every
// registered function, constructor, method and property with hostile arguments, across frames
// and level changes. Every call must end in a Lua error or a result; a crash, a sanitizer report
// or a hang fails the run.
//
// The run is seeded and bounded. For a longer one:
//   VANTIX_SCRIPT_FUZZ_CALLS=2000000 VANTIX_SCRIPT_FUZZ_SEED=7 test_reliability
//       --gtest_filter='ScriptFuzz.*'
// VANTIX_SCRIPT_FUZZ_TRACE=1 names each call on standard error before it is made.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <lua.hpp>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Audio/Sounds.h"
#include "Binding/Binding.h"
#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

long EnvNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::atol(text) : fallback;
}

// A script component that runs fuzz calls from inside the engine's own event deliveries: each
// logic update, and while its level is being left (its Shutdown runs inside the level change).
const char* const kFuzzScript = R"(
function Initialize()
  Events.GlobalLuaConnect("LogicUpdate", this, "OnLogicUpdate")
  Events.GlobalLuaConnect("AllObjectsCreated", this, "OnLogicUpdate")
  FuzzFromScript(3)
end
function OnLogicUpdate(event)
  FuzzFromScript(5)
end
function Shutdown()
  FuzzFromScript(5)
end
)";

const char* const kLevels[] = {"Level01.level", "Level02.level", "Level07.level", "MainMenu.level",
                               "ParticleDemo.level"};

// Aborts the run, naming the call under way, when one step takes longer than the limit.
class Watchdog {
public:
  explicit Watchdog(int seconds) : limit(seconds), thread([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      done = true;
    }
    wake.notify_all();
    thread.join();
  }
  void Beat(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex);
    step = what;
    ++beats;
  }

private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex);
    long seen = -1;
    while (!done) {
      if (beats == seen) {
        std::fprintf(stderr, "script fuzz: no progress for %d s during: %s\n", limit, step.c_str());
        std::fflush(stderr);
        std::abort();
      }
      seen = beats;
      wake.wait_for(lock, std::chrono::seconds(limit), [this] { return done; });
    }
  }
  int limit;
  std::mutex mutex;
  std::condition_variable wake;
  bool done = false;
  long beats = 0;
  std::string step;
  std::thread thread;
};

// The names a bare Lua state already has: everything else in the globals is the engine's.
std::set<std::string> StandardGlobalNames() {
  std::set<std::string> names;
  lua_State* bare = luaL_newstate();
  luaL_openlibs(bare);
  lua_pushnil(bare);
  while (lua_next(bare, LUA_GLOBALSINDEX)) {
    if (lua_type(bare, -2) == LUA_TSTRING)
      names.insert(lua_tostring(bare, -2));
    lua_pop(bare, 1);
  }
  lua_close(bare);
  return names;
}

class ScriptFuzz : public ::testing::Test {
protected:
  void SetUp() override {
    fs::copy(VANTIX_SOURCE_DIR "/data", dir.Path(), fs::copy_options::recursive);
    std::ofstream("FrameRate.txt") << "999";
    dir.Write("Scripts/FuzzScript.lua", kFuzzScript);
    engine = new Engine();
    lua = new LuaEngine();
    sounds = new Sounds();
    particles = new ParticleSystem();
    physics = new PhysicsEngine();
    engine->AddSystems(4, lua, sounds, particles, physics);
    engine->Initialize();
    L = lua->L;
    main = engine->GetSpace("Main");
  }
  void TearDown() override {
    engine->Shutdown();
    delete engine;
    delete physics;
    delete particles;
    delete sounds;
    delete lua;
  }

  // Loads the driver with the seed; leaves its table in the registry.
  void LoadDriver(long seed) {
    ASSERT_EQ(luaL_loadfile(L, (VANTIX_TESTS_DIR "/reliability/ScriptFuzz.lua")), 0)
        << lua_tostring(L, -1);
    lua_pushnumber(L, static_cast<lua_Number>(seed));
    lua_newtable(L);
    for (const std::string& name : StandardGlobalNames()) {
      lua_pushboolean(L, 1);
      lua_setfield(L, -2, name.c_str());
    }
    ASSERT_EQ(lua_pcall(L, 2, 1, 0), 0) << lua_tostring(L, -1);
    driverRef = luaL_ref(L, LUA_REGISTRYINDEX);
    lua_pushlightuserdata(L, this);
    lua_pushcclosure(L, &FromScript, 1);
    lua_setglobal(L, "FuzzFromScript");
  }

  // Calls driver.<name>(args...) with the arguments already pushed; leaves `results` values.
  bool CallDriver(const char* name, int args, int results) {
    lua_rawgeti(L, LUA_REGISTRYINDEX, driverRef);
    lua_getfield(L, -1, name);
    lua_remove(L, -2);
    lua_insert(L, -1 - args);
    if (lua_pcall(L, args, results, 0) != 0) {
      ADD_FAILURE() << "the driver itself failed in " << name << ": " << lua_tostring(L, -1);
      lua_pop(L, 1);
      return false;
    }
    return true;
  }

  // FuzzFromScript(n): n calls from inside an event handler, unless calls are already under way
  // (a handler run by one of the fuzz calls).
  static int FromScript(lua_State* L) {
    auto* self = static_cast<ScriptFuzz*>(lua_touserdata(L, lua_upvalueindex(1)));
    if (self->running || self->calls >= self->budget)
      return 0;
    long n = static_cast<long>(luaL_optnumber(L, 1, 1));
    self->Calls(n);
    return 0;
  }

  void Calls(long n) {
    running = true;
    int top = lua_gettop(L);
    lua_pushnumber(L, static_cast<lua_Number>(n));
    CallDriver("Run", 1, 0);
    EXPECT_EQ(lua_gettop(L), top) << "a call left values on the Lua stack";
    lua_settop(L, top);
    calls += n;
    running = false;
  }

  // Every object of every space and each of its components, into the driver's pool.
  void AdoptEngineObjects() {
    lua_newtable(L);
    int n = 0;
    for (Space* space : engine->spaces) {
      lb::PushPtr(L, space);
      lua_rawseti(L, -2, ++n);
      for (GameObject* object : space->objects) {
        if (!object)
          continue;
        lb::PushPtr(L, object);
        lua_rawseti(L, -2, ++n);
        for (auto& entry : object->components) {
          int before = lua_gettop(L);
          if (entry.second)
            entry.second->PushToLua(L);
          if (lua_gettop(L) > before)
            lua_rawseti(L, -2, ++n);
          lua_settop(L, before);
        }
        for (auto& entry : object->luaComponents) {
          lb::PushPtr(L, entry.second);
          lua_rawseti(L, -2, ++n);
        }
      }
    }
    CallDriver("Adopt", 1, 0);
  }

  // A fuzz script component on a new object of the main space.
  void AddFuzzComponent() {
    GameObject* host = main->CreateEmptyObject();
    host->m_Name = "FuzzHost";
    host->AddLuaComponent("FuzzScript");
  }

  ScratchDir dir;
  Engine* engine = nullptr;
  LuaEngine* lua = nullptr;
  Sounds* sounds = nullptr;
  ParticleSystem* particles = nullptr;
  PhysicsEngine* physics = nullptr;
  Space* main = nullptr;
  lua_State* L = nullptr;
  int driverRef = LUA_NOREF;
  bool running = false;
  long calls = 0;
  long budget = 0;
};

TEST_F(ScriptFuzz, WalkFindsTheWholeScriptApi) {
  LoadDriver(1);
  ASSERT_TRUE(CallDriver("Targets", 0, 1));
  std::string list = lua_tostring(L, -1);
  lua_pop(L, 1);
  // One of each kind of entry, from several sections of the API.
  for (const char* expected : {"call Sounds.PlaySound ",
                               "call Engine.GetSpaceByName ",
                               "call _G.MakeCoroutine ",
                               "call Events.GlobalLuaConnect ",
                               "call Easing.easeInSin ",
                               "get Engine.Paused ",
                               "set Engine.Quit ",
                               "construct Vector2D.() ",
                               "get LogicUpdate.timePassed ",
                               "set LogicUpdate.timePassed ",
                               "method Space.ChangeLevel ",
                               "method GameObject.Destroy ",
                               "method Coroutine.resume ",
                               "read GameObject.<other name> ",
                               "write LuaComponent.<other name> ",
                               "write Transform.Translation ",
                               "read GameNode.UpNode ",
                               "write ParticleEmitter.TintR ",
                               "write Font.Text ",
                               "read Sprite.Current_Frame ",
                               "write BoxCollider.Width "})
    EXPECT_NE(list.find(expected), std::string::npos) << expected << "is missing from:\n" << list;
  // Nothing of the standard library is taken for the engine's.
  for (const char* standard : {"_G.print ", "_G.pairs ", "_G.require ", "string.", "os."})
    EXPECT_EQ(list.find(std::string("call ") + standard), std::string::npos) << standard;
}

TEST_F(ScriptFuzz, HostileCallsEndInLuaErrorsOrResults) {
  const long seed = EnvNumber("VANTIX_SCRIPT_FUZZ_SEED", 20261207);
  budget = EnvNumber("VANTIX_SCRIPT_FUZZ_CALLS", 30000);
  const long seconds = EnvNumber("VANTIX_SCRIPT_FUZZ_SECONDS", 60);
  LoadDriver(seed);
  if (EnvNumber("VANTIX_SCRIPT_FUZZ_TRACE", 0)) {
    lua_pushboolean(L, 1);
    CallDriver("SetTrace", 1, 0);
  }
  main->LoadLevel("Node Levels\\Level01.level");
  AddFuzzComponent();
  engine->Update();
  AdoptEngineObjects();

  Watchdog watchdog(20);
  const auto start = std::chrono::steady_clock::now();
  unsigned next = static_cast<unsigned>(seed);
  auto random = [&next](unsigned n) {
    next = next * 1103515245u + 12345u;
    return (next >> 16) % n;
  };
  long frames = 0;
  while (calls < budget &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds)) {
    watchdog.Beat("fuzz calls after frame " + std::to_string(frames));
    Calls(1 + static_cast<long>(random(60)));
    watchdog.Beat("frame " + std::to_string(frames));
    // Now and then a level change of the engine's own, with calls while it is pending.
    if (random(40) == 0) {
      main->ChangeLevel(kLevels[random(std::size(kLevels))]);
      Calls(1 + static_cast<long>(random(20)));
    }
    engine->Update();
    ++frames;
    if (random(25) == 0) {
      AddFuzzComponent();
      AdoptEngineObjects();
    }
    ASSERT_EQ(lua_gettop(L), 0) << "the Lua stack grew during frame " << frames;
  }

  ASSERT_TRUE(CallDriver("Stats", 0, 6));
  long made = static_cast<long>(lua_tonumber(L, -6));
  long errors = static_cast<long>(lua_tonumber(L, -5));
  long results = static_cast<long>(lua_tonumber(L, -4));
  long targets = static_cast<long>(lua_tonumber(L, -2));
  long classes = static_cast<long>(lua_tonumber(L, -1));
  lua_pop(L, 6);
  std::printf("script fuzz: seed %ld, %ld calls of %ld targets over %ld frames, %ld Lua errors, "
              "%ld results, instances of %ld classes seen\n",
              seed, made, targets, frames, errors, results, classes);

  // With enough calls, every target was reached (the walk is no use otherwise).
  if (made >= targets * 40) {
    ASSERT_TRUE(CallDriver("Targets", 0, 1));
    std::istringstream lines(lua_tostring(L, -1));
    lua_pop(L, 1);
    std::string kind, name;
    long count = 0;
    while (lines >> kind >> name >> count)
      EXPECT_GT(count, 0) << kind << " " << name << " was never called";
    EXPECT_GE(classes, 12) << "the calls reached instances of too few classes";
  }
  EXPECT_GT(errors, 0);
  EXPECT_GT(results, 0);

  // The game still plays: a level loads, its scripts run, frames go by.
  main->ChangeLevel("Level01.level");
  for (int i = 0; i < 3; ++i)
    engine->Update();
  EXPECT_GT(main->GetObjectsByName("Player").size() + main->GetObjectsByName("Node").size(), 0u)
      << "Level01 did not load after the fuzz run";
  EXPECT_EQ(luaL_dostring(L, "return Vector2D(1, 2, 3).y"), 0);
  EXPECT_EQ(lua_tonumber(L, -1), 2);
  lua_settop(L, 0);
}

} // namespace
