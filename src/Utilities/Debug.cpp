// Text dumps of Lua values, tables and stacks, exported for debuggers.
#include "Utilities/Debug.h"

#include <cstdio>
#include <lua.hpp>
#include <vector>

extern "C" {
__attribute__((visibility("default"))) int NvOptimusEnablement = 0x00000001;
}

namespace {
int indentLevel = 0;

// Tables whose listing is in progress. A table key may contain itself (directly or further
// down); such a key is named instead of listed again, so every dump ends. The depth cap keeps
// deep chains of distinct tables from exhausting the C stack.
std::vector<const void*> openTables;
constexpr size_t kMaxTableDepth = 64;

bool IsOpen(const void* table) {
  for (const void* p : openTables)
    if (p == table)
      return true;
  return false;
}
} // namespace

namespace debug {
int IndentLevel() {
  return indentLevel;
}

namespace {
bool lineOpen = false;
}

void LeaveLineOpen() {
  lineOpen = true;
}

void CloseOpenLine() {
  if (lineOpen)
    std::fputc('\n', stdout);
  lineOpen = false;
}
} // namespace debug

extern "C" {

void PrintIndent() {
  for (int i = 0; i < indentLevel; ++i)
    std::fputc(' ', stdout);
}

void Lua_PrintTable(lua_State* L, int index) {
  index = index < 0 && index > LUA_REGISTRYINDEX ? lua_gettop(L) + index + 1 : index;
  const void* self = lua_topointer(L, index);
  if (IsOpen(self) || openTables.size() >= kMaxTableDepth) {
    std::printf("Table: %p (already being listed)", self);
    return;
  }
  openTables.push_back(self);
  std::printf("Table: \n");
  PrintIndent();
  std::printf("{\n");
  indentLevel += 2;
  int top = lua_gettop(L);
  lua_pushnil(L);
  while (lua_next(L, index) != 0) {
    lua_pop(L, 1);        // the value is never written
    lua_pushvalue(L, -1); // a copy of the key: printing must not disturb the iteration
    PrintIndent();
    std::printf("Key: ");
    Lua_PrintIndex(L, -1);
    std::printf("\n");
    lua_pop(L, 1);
  }
  lua_settop(L, top);
  indentLevel -= 2;
  PrintIndent();
  std::printf("}");
  openTables.pop_back();
}

void Lua_PrintIndex(lua_State* L, int index) {
  index = index < 0 && index > LUA_REGISTRYINDEX ? lua_gettop(L) + index + 1 : index;
  switch (lua_type(L, index)) {
  case LUA_TNIL:
    std::printf("nil");
    break;
  case LUA_TBOOLEAN:
    std::printf(lua_toboolean(L, index) ? "true" : "false");
    break;
  case LUA_TLIGHTUSERDATA:
    std::printf("[Light Userdata]: %p", lua_touserdata(L, index));
    break;
  case LUA_TNUMBER:
    std::printf("%f", static_cast<double>(static_cast<float>(lua_tonumber(L, index))));
    break;
  case LUA_TSTRING: {
    size_t n = 0;
    const char* s = lua_tolstring(L, index, &n);
    std::fwrite(s, 1, n, stdout);
    break;
  }
  case LUA_TTABLE:
    Lua_PrintTable(L, index);
    break;
  case LUA_TFUNCTION:
    std::printf("[Function]: %p", reinterpret_cast<void*>(lua_tocfunction(L, index)));
    break;
  case LUA_TUSERDATA: {
    void* first = nullptr;
    if (lua_objlen(L, index) >= sizeof(void*))
      first = *static_cast<void**>(lua_touserdata(L, index));
    std::printf("[Userdata]: %p\n", first);
    std::printf("\n");
    break;
  }
  case LUA_TTHREAD:
    std::printf("[Thread]: %p\n", static_cast<void*>(lua_tothread(L, index)));
    break;
  default:
    std::printf("dumpStack Err, type encountered: %s", luaL_typename(L, index));
    break;
  }
}

void Lua_stackDump(lua_State* L) {
  std::printf("--- LUA TOP ---\n");
  int top = lua_gettop(L);
  for (int i = 1; i <= top; ++i) {
    std::printf("%i - ", i);
    Lua_PrintIndex(L, i);
    std::printf("\n");
  }
  std::printf("--- END ---\n\n");
}

void Lua_stackTrace(lua_State* L) {
  luaL_traceback(L, L, nullptr, 0);
  std::printf("%s\n", lua_tostring(L, -1));
  lua_pop(L, 1);
}
}
