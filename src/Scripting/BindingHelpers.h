#pragma once
// Small pieces of script glue that several subsystems' bindings share.
#include <vector>

struct lua_State;
class BaseComponent;
class GameObject;

namespace glue {
// Raises the standard out-of-range error of a throwing map lookup ("invalid map<K, T> key"),
// which scripts see for names an object does not have. Returns -1 for a raw binding to return.
int RaiseMissingKey(lua_State* L);
// True when the argument at idx is a string (or a number, which Lua converts); otherwise pushes
// the binding layer's argument error for `function` and returns false.
bool StringArgument(lua_State* L, int idx, const char* function);
// Pushes a component as its own script class, or nil.
void PushComponent(lua_State* L, BaseComponent* component);
// Pushes a 1-based array of the objects, or nil when there are none.
void PushObjectList(lua_State* L, const std::vector<GameObject*>& objects);
} // namespace glue
