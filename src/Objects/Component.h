#pragma once
#include "Binding/LuaPush.h"

class Space;
class GameObject;

// Base of every engine component. A component does not point at its object: it knows the
// owner by space index and the owner's id, so recycled objects never leave it dangling.
class BaseComponent {
public:
  virtual void Reserved0() {}
  virtual void Reserved1() {}
  // Pushes this component onto the Lua stack as its own script class (nothing in the base).
  virtual void PushToLua(lua_State* L);
  // Registry reference to this component as its own script class; -1 (nil) in the base.
  virtual int GetLuaRef(lua_State* L);
  virtual ~BaseComponent() = default;

  Space* GetSpace() const;
  // First live object of the space whose id is ownerId; null when there is none.
  GameObject* GetOwner() const;

  int ownerId = -1;
  int spaceIndex = 0;
  int layoutVersion = 1; // written by every component constructor; reserved
};

template <class T> class Component : public BaseComponent {
public:
  void PushToLua(lua_State* L) override { lb::PushPtr<T>(L, static_cast<T*>(this)); }
  int GetLuaRef(lua_State* L) override {
    PushToLua(L);
    return lb::TakeRef(L);
  }
  ~Component() override = default;
};
