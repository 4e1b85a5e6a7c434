#include "Scripting/LuaEngine.h"

#include <lua.hpp>

void LuaEngine::Initialize() {
  L = luaL_newstate();
  luaL_openlibs(L);
}

void LuaEngine::Shutdown() {
  if (L)
    lua_close(L);
  L = nullptr;
}
