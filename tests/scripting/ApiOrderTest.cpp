// The whole script API registers in the order of the script-API list, whatever the link order
// of the modules that contribute to it.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <set>
#include <string>
#include <vector>

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
