// Script API sections of the scripting system itself: script components, the per-frame event,
// coroutines, event connections and the easing curves.
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Scripting/Coroutine.h"
#include "Scripting/Easing.h"
#include "Scripting/LuaComponent.h"

namespace {

// ---- LuaComponent ------------------------------------------------------------------------------

// Unregistered names: the script's function of that name (so another script can call it, in its
// own instance), else a value stored on the component, else nil.
int ComponentGet(lua_State* L, LuaComponent* component, const char* key) {
  if (!key) {
    lua_pushnil(L);
    return 1;
  }
  if (component->instanceRef > 0) {
    lua_rawgeti(L, LUA_REGISTRYINDEX, component->instanceRef);
    if (lua_istable(L, -1)) {
      lua_getfield(L, -1, key);
      if (lua_isfunction(L, -1))
        return 1;
      lua_pop(L, 1);
    }
    lua_pop(L, 1);
  }
  component->PushDynamic(L, key);
  return 1;
}

// Writes never touch the instance table: they are the component's dynamic values.
int ComponentSet(lua_State* L, LuaComponent* component, const char* key) {
  if (!key)
    return 0;
  lua_pushvalue(L, 3);
  component->StoreDynamic(L, key);
  return 0;
}

std::string GetComponentName(const LuaComponent* c) {
  return c->m_Name;
}
void SetComponentName(LuaComponent* c, const std::string& name) {
  c->m_Name = name;
}

// ---- Coroutines --------------------------------------------------------------------------------

int MakeCoroutine(lua_State* L) {
  if (!lua_isfunction(L, 1)) {
    lb::detail::PushArgError(L, "MakeCoroutine", 1, "function", 1);
    return -1;
  }
  lua_settop(L, 1);
  Coroutine made(L); // takes the function
  lb::PushCopy(L, made);
  return 1;
}

int Resume(lua_State* L, Coroutine* coroutine) {
  return coroutine->Resume(L, 2);
}

// ---- Events ------------------------------------------------------------------------------------

void GlobalLuaConnect(const std::string& eventName, LuaComponent* component,
                      const std::string& function) {
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->Connect(component, function, eventName);
}

void GlobalLuaDisconnect(const std::string& eventName, LuaComponent* component,
                         const std::string& function) {
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->Disconnect(component, function, eventName);
}

void BindLuaComponent(lua_State* L) {
  lb::ClassId& cls = lb::ClassOf<LuaComponent>();
  cls.tagOf = [](const void* p) { return static_cast<const LuaComponent*>(p)->serial; };
  cls.isAlive = [](const void* p, uint64_t serial) {
    return LuaComponent::IsLive(static_cast<const LuaComponent*>(p), serial);
  };
  lb::Global(L)
      .Class<LuaComponent>("LuaComponent")
      .Plain()
      .Fallback(&ComponentGet, &ComponentSet)
      .Property("Name", &GetComponentName, &SetComponentName)
      .Property("Owner", &LuaComponent::GetOwner)
      .Property("Space", &LuaComponent::GetSpace)
      .Equality()
      .End();
}

void BindLogicUpdate(lua_State* L) {
  lb::Global(L)
      .Class<LogicUpdate>("LogicUpdate")
      .Plain()
      .Constructor<>()
      .StaticVariable("timePassed", &LogicUpdate::timePassed)
      .Field("dt", &LogicUpdate::dt)
      .End();
}

void BindCoroutine(lua_State* L) {
  lb::Global(L)
      .Class<Coroutine>("Coroutine")
      .Method("IsLooping", &Coroutine::IsLooping)
      .Method("ToggleLooping", &Coroutine::ToggleLooping)
      .Method("resume", &Resume)
      .Method("IsDead", &Coroutine::IsDead)
      .End();
}

void BindMakeCoroutine(lua_State* L) {
  lb::Global(L).Function("MakeCoroutine", &MakeCoroutine);
}

void BindEvents(lua_State* L) {
  lb::Global(L)
      .Namespace("Events")
      .Function("GlobalLuaConnect", &GlobalLuaConnect)
      .Function("GlobalLuaDisconnect", &GlobalLuaDisconnect)
      .End();
}

void BindEasing(lua_State* L) {
  lb::Global(L)
      .Namespace("Easing")
      .Function("easeInSin", &Easing::easeInSin)
      .Function("easeOutSin", &Easing::easeOutSin)
      .Function("easeInOutSin", &Easing::easeInOutSin)
      .Function("easeInQuad", &Easing::easeInQuad)
      .Function("easeOutQuad", &Easing::easeOutQuad)
      .Function("easeInOutQuad", &Easing::easeInOutQuad)
      .Function("easeLinear", &Easing::easeLinear)
      .End();
}

lb::ApiSection luaComponentSection(1, &BindLuaComponent);
lb::ApiSection logicUpdateSection(2, &BindLogicUpdate);
lb::ApiSection coroutineSection(3, &BindCoroutine);
lb::ApiSection makeCoroutineSection(4, &BindMakeCoroutine);
lb::ApiSection eventsSection(5, &BindEvents);
lb::ApiSection easingSection(16, &BindEasing);

} // namespace
