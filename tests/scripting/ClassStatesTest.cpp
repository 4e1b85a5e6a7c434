// Classes bound in several Lua states at once: each state's values carry that state's own class
// metatable, and a state that never bound the class gets nil.
#include <gtest/gtest.h>

#include <string>

#include "Binding/Binding.h"

namespace {

struct Marker {
  int id = 0;
  std::string label = "owned text"; // a copy that owns memory must be destroyed either way
};

// `taken` registry references are made first, so the states' references differ.
lua_State* BoundState(int taken = 0) {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  for (int i = 0; i < taken; ++i) {
    lua_newtable(L);
    luaL_ref(L, LUA_REGISTRYINDEX);
  }
  lb::Global(L).Class<Marker>("Marker").Field("id", &Marker::id).End();
  return L;
}

// Pushes a copy of the marker as the global `m` and returns what the script reads from it.
std::string ReadBack(lua_State* L, int id) {
  Marker marker;
  marker.id = id;
  lb::PushCopy(L, marker);
  lua_setglobal(L, "m");
  if (luaL_dostring(L, "return tostring(m and m.id) .. ' ' .. tostring(getmetatable(m) and "
                       "getmetatable(m).__classname)") != 0)
    return lua_tostring(L, -1);
  std::string text = lua_tostring(L, -1);
  lua_settop(L, 0);
  return text;
}

TEST(ClassStates, ValuesTakeTheMetatableOfTheirOwnState) {
  lua_State* first = BoundState();
  lua_State* second = BoundState(5); // bound last
  EXPECT_EQ(ReadBack(first, 1), "1 Marker");
  EXPECT_EQ(ReadBack(second, 2), "2 Marker");
  // Each state's value answers to that state's metatable and no other.
  lb::PushCopy(first, Marker{});
  lua_getmetatable(first, -1);
  lua_pushlightuserdata(first, &lb::ClassOf<Marker>());
  lua_rawget(first, LUA_REGISTRYINDEX);
  EXPECT_TRUE(lua_rawequal(first, -1, -2));
  lua_settop(first, 0);

  lua_close(second);
  EXPECT_EQ(ReadBack(first, 3), "3 Marker");
  lua_State* unbound = luaL_newstate();
  luaL_openlibs(unbound);
  EXPECT_EQ(ReadBack(unbound, 4), "nil nil");
  lua_close(unbound);
  lua_close(first);

  lua_State* later = BoundState(2);
  EXPECT_EQ(ReadBack(later, 5), "5 Marker");
  lua_close(later);
}

} // namespace
