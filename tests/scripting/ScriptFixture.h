#pragma once
// A headless engine with the scripting system, running in a scratch folder whose "Scripts/"
// holds the test scripts of tests/scripting/scripts.
#include <gtest/gtest.h>

#include <filesystem>
#include <lua.hpp>
#include <string>

#include "Binding/Binding.h"
#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"
#include "support/TestSupport.h"

class ScriptTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::filesystem::copy(TestFile("scripting/scripts"), dir.Path() / "Scripts",
                          std::filesystem::copy_options::recursive);
    lua = new LuaEngine();
    engine = new Engine();
    engine->AddSystems(1, lua);
    testing::internal::CaptureStderr(); // the missing pause level complains
    engine->Initialize();
    testing::internal::GetCapturedStderr();
    main = engine->GetSpace("Main");
    L = lua->L;
  }
  void TearDown() override {
    EXPECT_EQ(lua_gettop(L), 0) << "the Lua stack must end as it started";
    engine->Shutdown();
    delete engine;
    delete lua;
  }

  // Runs a chunk in the global environment; returns "" or the error message.
  std::string Run(const std::string& code) {
    std::string error;
    if (luaL_dostring(L, code.c_str()) != 0) {
      error = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
      lua_pop(L, 1);
    }
    lua_settop(L, 0);
    return error;
  }
  // Evaluates an expression to a string ("nil", "true", numbers via tostring).
  std::string Eval(const std::string& expression) {
    if (luaL_dostring(L, ("return tostring(" + expression + ")").c_str()) != 0) {
      std::string e = lua_tostring(L, -1);
      lua_settop(L, 0);
      return "ERROR " + e;
    }
    std::string v = lua_tostring(L, -1);
    lua_settop(L, 0);
    return v;
  }
  // A value of a component's own script instance, as a string.
  std::string Instance(LuaComponent* c, const std::string& name) {
    if (c->instanceRef <= 0)
      return "<no instance>";
    lua_rawgeti(L, LUA_REGISTRYINDEX, c->instanceRef);
    lua_getglobal(L, "tostring");
    lua_getfield(L, -2, name.c_str());
    lua_call(L, 1, 1);
    std::string v = lua_tostring(L, -1);
    lua_settop(L, 0);
    return v;
  }
  // Makes a script value reachable from Run/Eval under a global name.
  template <class T> void SetGlobal(const char* name, T* object) {
    lb::PushPtr(L, object);
    lua_setglobal(L, name);
  }
  GameObject* NewObject(const std::string& name, Space* space = nullptr) {
    GameObject* o = (space ? space : main)->CreateEmptyObject();
    o->m_Name = name;
    return o;
  }
  void SendLogicUpdate(float dt = 0.5f) {
    LogicUpdate update(dt);
    EventDispatcher::ms_Singleton->Send(update, "LogicUpdate");
  }
  // Writes a script into the scratch "Scripts/" folder.
  void WriteScript(const std::string& name, const std::string& code) {
    dir.Write("Scripts/" + name + ".lua", code);
  }

  ScratchDir dir;
  Engine* engine = nullptr;
  LuaEngine* lua = nullptr;
  Space* main = nullptr;
  lua_State* L = nullptr;
};
