// Script glue shared by the bindings of several subsystems.
#include "Scripting/BindingHelpers.h"

#include <lua.hpp>

#include "Binding/Binding.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"

namespace glue {

int RaiseMissingKey(lua_State* L) {
  luaL_where(L, 1);
  lua_pushstring(L, "invalid map<K, T> key");
  lua_concat(L, 2);
  return -1;
}

bool StringArgument(lua_State* L, int idx, const char* function) {
  if (lua_type(L, idx) == LUA_TSTRING || lua_type(L, idx) == LUA_TNUMBER)
    return true;
  lb::detail::PushArgError(L, function, idx - 1, "string", idx);
  return false;
}

void PushComponent(lua_State* L, BaseComponent* component) {
  int top = lua_gettop(L);
  if (component)
    component->PushToLua(L);
  if (lua_gettop(L) == top)
    lua_pushnil(L);
}

void PushObjectList(lua_State* L, const std::vector<GameObject*>& objects) {
  if (objects.empty()) {
    lua_pushnil(L);
    return;
  }
  lua_createtable(L, static_cast<int>(objects.size()), 0);
  int key = 1;
  for (GameObject* object : objects) {
    lb::PushPtr(L, object);
    lua_rawseti(L, -2, key++);
  }
}

} // namespace glue
