// The whole script API registers in the order of the script-API list, whatever the link order
// of the modules that contribute to it; its classes compare and are collected as their kind needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <lua.hpp>
#include <set>
#include <string>
#include <vector>

#include "Binding/ApiRecord.h"
#include "Binding/Binding.h"

namespace {

struct Observed {
  std::set<std::string> seen;
  std::vector<std::string> order;
};

// Records the global names each section adds, in the order they appear.
void NoteNewGlobals(lua_State* L, int, int, void* context) {
  auto* observed = static_cast<Observed*>(context);
  std::vector<std::string> added;
  lua_pushnil(L);
  while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
    lua_pop(L, 1);
    if (lua_type(L, -1) == LUA_TSTRING && observed->seen.insert(lua_tostring(L, -1)).second)
      added.push_back(lua_tostring(L, -1));
  }
  // Inside one section the table walk has no order: a section that adds several names (the
  // global queries, the input events) is compared as a sorted group.
  std::sort(added.begin(), added.end());
  observed->order.insert(observed->order.end(), added.begin(), added.end());
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ApiOrder, GlobalsAppearInTheOrderOfTheScriptApiList) {
  lua_State* L = luaL_newstate();
  Observed observed;
  lua_pushnil(L);
  while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
    lua_pop(L, 1);
    observed.seen.insert(lua_tostring(L, -1));
  }
  lb::RegisterApi(L, &NoteNewGlobals, &observed);

  std::vector<std::string> expected = {"LuaComponent",  "LogicUpdate", "Coroutine",
                                       "MakeCoroutine", "Events",      "ReplayStuff"};
  for (const std::string& name :
       Sorted({"keyIsDown", "keyIsNotDown", "keyIsTriggered", "keyIsUp", "mouseIsDown",
               "mouseIsNotDown", "mouseIsTriggered", "mouseIsUp"}))
    expected.push_back(name);
  expected.insert(expected.end(), {"Keys", "ControllerInput"});
  for (const std::string& name :
       Sorted({"KeyIsDown", "KeyIsTriggered", "KeyIsReleased", "MouseIsDown", "MouseIsTriggered",
               "MouseIsReleased", "MouseMoved", "MouseWheel", "ControllerAdded",
               "ControllerRemoved", "ControllerButtonDown", "ControllerButtonUp", "ControllerAxis",
               "WindowResized", "FocusLost", "FocusGained", "WindowClose"}))
    expected.push_back(name);
  expected.insert(expected.end(),
                  {"Input", "GameObject", "Space", "Vector2D", "RigidBody", "CircleCollider",
                   "BoxCollider", "Transform", "Sprite", "GameNode", "Easing"});
  for (const std::string& name : Sorted({"EndPlayerTurn", "PlayerFound"}))
    expected.push_back(name);
  expected.insert(expected.end(), {"PatrolComponent", "PlayerComponent"});
  for (const std::string& name : Sorted({"AllObjectsCreated", "Siphon"}))
    expected.push_back(name);
  expected.insert(expected.end(), {"Graphics", "Ping", "Engine", "ParticleEmitter", "SimpleEmitter",
                                   "Font", "Sounds"});
  EXPECT_EQ(observed.order, expected);
  lua_close(L);
}

// The recorder sees the rows as they are registered, so the order inside a section is checked
// too: the global queries, the input events, the game's events and the key codes.
TEST(ApiOrder, EveryRowInTheOrderOfTheList) {
  lb::Recorder recorder;
  lua_State* L = luaL_newstate();
  lb::RegisterApi(L);
  lua_close(L);
  std::vector<std::string> globals;
  std::vector<std::string> keys;
  std::set<std::string> seen;
  for (const lb::ApiRow& row : recorder.rows) {
    if (row.owner.empty() && seen.insert(row.name).second)
      globals.push_back(row.name);
    if (row.owner == "Keys" && row.kind == lb::RowKind::Constant)
      keys.push_back(row.name);
  }
  EXPECT_EQ(globals, (std::vector<std::string>{"LuaComponent",
                                               "LogicUpdate",
                                               "Coroutine",
                                               "MakeCoroutine",
                                               "Events",
                                               "ReplayStuff",
                                               "keyIsDown",
                                               "keyIsNotDown",
                                               "keyIsTriggered",
                                               "keyIsUp",
                                               "mouseIsDown",
                                               "mouseIsNotDown",
                                               "mouseIsTriggered",
                                               "mouseIsUp",
                                               "Keys",
                                               "ControllerInput",
                                               "KeyIsDown",
                                               "KeyIsTriggered",
                                               "KeyIsReleased",
                                               "MouseIsDown",
                                               "MouseIsTriggered",
                                               "MouseIsReleased",
                                               "MouseMoved",
                                               "MouseWheel",
                                               "ControllerAdded",
                                               "ControllerRemoved",
                                               "ControllerButtonDown",
                                               "ControllerButtonUp",
                                               "ControllerAxis",
                                               "WindowResized",
                                               "FocusLost",
                                               "FocusGained",
                                               "WindowClose",
                                               "Input",
                                               "GameObject",
                                               "Space",
                                               "Vector2D",
                                               "RigidBody",
                                               "CircleCollider",
                                               "BoxCollider",
                                               "Transform",
                                               "Sprite",
                                               "GameNode",
                                               "Easing",
                                               "EndPlayerTurn",
                                               "PlayerFound",
                                               "PatrolComponent",
                                               "PlayerComponent",
                                               "AllObjectsCreated",
                                               "Siphon",
                                               "Graphics",
                                               "Ping",
                                               "Engine",
                                               "ParticleEmitter",
                                               "SimpleEmitter",
                                               "Font",
                                               "Sounds"}));

  std::vector<std::string> expectedKeys;
  for (char c = 'A'; c <= 'Z'; ++c)
    expectedKeys.push_back(std::string(1, c));
  for (int f = 1; f <= 12; ++f)
    expectedKeys.push_back("F" + std::to_string(f));
  for (const char* name :
       {"Zero",      "One",    "Two",         "Three",   "Four",      "Five",     "Six",
        "Seven",     "Eight",  "Nine",        "Equals",  "Tilde",     "Multiply", "Add",
        "Seperator", "Divide", "Subtract",    "Decimal", "Backspace", "Tab",      "Enter",
        "LShift",    "RShift", "LCtrl",       "RCtrl",   "LAlt",      "RAlt",     "Escape",
        "Space",     "PageUp", "PageDown",    "End",     "Home",      "Left",     "Up",
        "Right",     "Down",   "PrintScreen", "Insert",  "Delete"})
    expectedKeys.push_back(name);
  EXPECT_EQ(keys, expectedKeys);
}

// References to engine objects compare equal when they denote the same object; copies of
// values own nothing that Lua must finalise, except a coroutine's hold on its thread.
TEST(ApiClasses, ReferencesCompareByObjectAndOnlyCoroutinesAreFinalised) {
  lua_State* L = luaL_newstate();
  lb::RegisterApi(L);
  std::set<std::string> classes, comparing, finalised;
  lua_pushnil(L);
  while (lua_next(L, LUA_REGISTRYINDEX) != 0) {
    if (lua_type(L, -2) == LUA_TLIGHTUSERDATA && lua_istable(L, -1)) {
      lua_getfield(L, -1, "__classname");
      if (lua_type(L, -1) == LUA_TSTRING) {
        std::string name = lua_tostring(L, -1);
        classes.insert(name);
        lua_getfield(L, -2, "__eq");
        if (!lua_isnil(L, -1))
          comparing.insert(name);
        lua_getfield(L, -3, "__gc");
        if (!lua_isnil(L, -1))
          finalised.insert(name);
        lua_pop(L, 2);
      }
      lua_pop(L, 1);
    }
    lua_pop(L, 1);
  }
  lua_close(L);
  ASSERT_TRUE(classes.count("Sprite") && classes.count("KeyIsDown")) << "no class metatables";
  EXPECT_EQ(comparing, (std::set<std::string>{
                           "LuaComponent", "GameObject", "Space", "RigidBody", "CircleCollider",
                           "BoxCollider", "Transform", "Sprite", "GameNode", "PatrolComponent",
                           "PlayerComponent", "ParticleEmitter", "SimpleEmitter", "Font"}));
  EXPECT_EQ(finalised, std::set<std::string>{"Coroutine"});
}

TEST(ApiOrder, RowsOfOneSectionRunByTheirPosition) {
  static std::vector<int> ran;
  // Declared out of order, as modules linked in another order would register them.
  static lb::ApiSection third(2001, 3, [](lua_State*) { ran.push_back(3); });
  static lb::ApiSection first(2001, 1, [](lua_State*) { ran.push_back(1); });
  static lb::ApiSection second(2001, 2, [](lua_State*) { ran.push_back(2); });
  lua_State* L = luaL_newstate();
  lb::RegisterApi(L);
  lua_close(L);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

} // namespace
