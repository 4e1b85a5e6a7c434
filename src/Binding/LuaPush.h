#pragma once
// The small part of the script binding layer that engine types need to hand themselves to
// Lua. The templates are defined by the binding layer and instantiated once per bound class.
struct lua_State;

namespace lb {
// Pushes a reference to an engine-owned object (nil for null).
template <class T> void PushPtr(lua_State* L, T* object);
// Pushes a copy of a value (events, vectors), owned by Lua.
template <class T> void PushCopy(lua_State* L, const T& value);
// Pops the top value and returns a registry reference to it.
int TakeRef(lua_State* L);
} // namespace lb
