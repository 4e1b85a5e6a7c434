// Script coroutines: Lua threads that scripts resume, optionally looping.
#include "Scripting/Coroutine.h"

#include <cstdio>
#include <lua.hpp>

#include "Scripting/LuaEngine.h"

namespace {
// The main state of the engine when there is one: references outlive any script thread.
lua_State* HomeState(lua_State* L) {
  if (LuaEngine::ms_Singleton && LuaEngine::ms_Singleton->L)
    return LuaEngine::ms_Singleton->L;
  return L;
}
bool StateUsable(lua_State* home) {
  // While the engine closes its state, finalizers must not touch the registry any more.
  return home && !(LuaEngine::ms_Singleton && LuaEngine::ms_Singleton->L == home &&
                   LuaEngine::ms_Singleton->closing);
}
} // namespace

Coroutine::Coroutine(lua_State* L) : home(HomeState(L)) {
  // The function moves to the main state, so the references never depend on the caller thread.
  lua_xmove(L, home, 1);
  lua_pushvalue(home, -1);
  functionRef = luaL_ref(home, LUA_REGISTRYINDEX);
  lua_State* thread = lua_newthread(home);
  lua_insert(home, -2);
  lua_xmove(home, thread, 1); // the thread starts with the function as its only value
  threadRef = luaL_ref(home, LUA_REGISTRYINDEX);
}

Coroutine::Coroutine(const Coroutine& other)
    : looping(other.looping), dead(other.dead), home(other.home) {
  CopyRefs(other);
}

Coroutine& Coroutine::operator=(const Coroutine& other) {
  if (this != &other) {
    Unref();
    looping = other.looping;
    dead = other.dead;
    home = other.home;
    CopyRefs(other);
  }
  return *this;
}

Coroutine::~Coroutine() {
  Unref();
}

void Coroutine::CopyRefs(const Coroutine& other) {
  functionRef = threadRef = LUA_NOREF;
  if (!StateUsable(home))
    return;
  lua_rawgeti(home, LUA_REGISTRYINDEX, other.functionRef);
  functionRef = luaL_ref(home, LUA_REGISTRYINDEX);
  lua_rawgeti(home, LUA_REGISTRYINDEX, other.threadRef);
  threadRef = luaL_ref(home, LUA_REGISTRYINDEX);
}

void Coroutine::Unref() {
  if (StateUsable(home)) {
    luaL_unref(home, LUA_REGISTRYINDEX, functionRef);
    luaL_unref(home, LUA_REGISTRYINDEX, threadRef);
  }
  functionRef = threadRef = LUA_NOREF;
}

int Coroutine::Resume(lua_State* L, int firstArg) {
  int nargs = lua_gettop(L) - firstArg + 1;
  if (nargs < 0)
    nargs = 0;
  if (dead || !StateUsable(home)) {
    lua_pop(L, nargs);
    return 0;
  }
  lua_rawgeti(L, LUA_REGISTRYINDEX, threadRef);
  lua_State* thread = lua_tothread(L, -1);
  lua_pop(L, 1); // the registry keeps the thread alive
  if (!thread) {
    lua_pop(L, nargs);
    dead = true;
    return 0;
  }

  int status = lua_status(thread);
  lua_Debug frame;
  // A thread with live frames and no yield is running (it resumed, directly or not, the code
  // that resumes it now): its stack must not be touched.
  bool running = thread == L || (status == 0 && lua_getstack(thread, 0, &frame) != 0);
  bool startable = !running;
  if (running) {
  } else if (status == LUA_YIELD) {
    lua_settop(thread, 0); // what it yielded last time
  } else if (status == 0 && lua_gettop(thread) >= 1 && lua_isfunction(thread, 1)) {
    lua_settop(thread, 1); // only the function, fresh or pushed again after a loop
  } else {
    startable = false; // returned and not looping, or failed before
  }

  int result;
  const char* refusal = nullptr;
  if (!startable) {
    lua_pop(L, nargs);
    refusal = running ? "cannot resume non-suspended coroutine" : "cannot resume dead coroutine";
    result = LUA_ERRRUN;
  } else {
    lua_xmove(L, thread, nargs);
    result = lua_resume(thread, nargs);
  }

  if (result == LUA_YIELD) {
    int n = lua_gettop(thread);
    if (!lua_checkstack(L, n + 1))
      return 0;
    for (int i = 1; i <= n; ++i)
      lua_pushvalue(thread, i);
    lua_xmove(thread, L, n);
    return n;
  }
  if (result == 0) {
    lua_settop(thread, 0);
    if (looping) {
      lua_rawgeti(L, LUA_REGISTRYINDEX, functionRef);
      lua_xmove(L, thread, 1);
    }
    return 0;
  }
  const char* message = refusal ? refusal : lua_tostring(thread, -1);
  luaL_traceback(L, thread, message ? message : "(error object is not a string)", 0);
  std::printf("%s\n", lua_tostring(L, -1));
  lua_pop(L, 1);
  dead = true;
  return 0;
}
