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
      .Doc("A script component: one running instance of a script on one object (`this` in a "
           "script).")
      .Plain()
      .Fallback(&ComponentGet, &ComponentSet)
      .Doc("Reading gives the script's function of that name (callable from other scripts), "
           "else the value stored under that name, else nil; writing stores a value on the "
           "component (never in the script's own globals).")
      .Property("Name", &GetComponentName, &SetComponentName)
      .Doc("The script name (its file name without `.lua`); writing renames without reloading.")
      .Property("Owner", &LuaComponent::GetOwner)
      .Doc("The object the component belongs to; nil once that object is gone.")
      .Property("Space", &LuaComponent::GetSpace)
      .Doc("The space of the owning object; nil without one.")
      .Equality()
      .End();
}

void BindLogicUpdate(lua_State* L) {
  lb::Global(L)
      .Class<LogicUpdate>("LogicUpdate")
      .Doc("The per-frame event \"LogicUpdate\", sent to every active space twice a frame.")
      .Plain()
      .Constructor<>()
      .Doc("A new update with `dt` 0.1667; like every update made, it adds its `dt` to "
           "`timePassed`.")
      .StaticVariable("timePassed", &LogicUpdate::timePassed)
      .Doc("Shared by all updates (also `LogicUpdate.timePassed`): the total `dt` of every "
           "update made so far, in seconds.")
      .Field("dt", &LogicUpdate::dt)
      .Doc("The frame's time step in seconds.")
      .End();
}

void BindCoroutine(lua_State* L) {
  lb::Global(L)
      .Class<Coroutine>("Coroutine")
      .Doc("A script function running on its own Lua thread, made by `MakeCoroutine`.")
      .Method("IsLooping", &Coroutine::IsLooping)
      .Doc("True (the start) when the function starts again from the top after it returns.")
      .Method("ToggleLooping", &Coroutine::ToggleLooping)
      .Doc("Flips looping and returns the new setting.")
      .Method("resume", &Resume)
      .Doc("Runs the function, with the given values, until it yields (giving back the yielded "
           "values), returns or fails; a failure prints a traceback and kills the coroutine.")
      .Signature({"any..."}, "any...")
      .Method("IsDead", &Coroutine::IsDead)
      .Doc("True after a failed resume: a dead coroutine never runs again.")
      .End();
}

void BindMakeCoroutine(lua_State* L) {
  lb::Global(L)
      .Function("MakeCoroutine", &MakeCoroutine)
      .Doc("A new looping coroutine that runs the function on its own thread; nothing runs "
           "until its first `resume`.")
      .Signature({"function"}, "Coroutine");
}

void BindEvents(lua_State* L) {
  lb::Global(L)
      .Namespace("Events")
      .Doc("Connecting script functions to events by event name.")
      .Function("GlobalLuaConnect", &GlobalLuaConnect)
      .Doc("(eventName, component, functionName): calls the component's function with the "
           "event each time an event of that name is raised in an active space.")
      .Function("GlobalLuaDisconnect", &GlobalLuaDisconnect)
      .Doc("(eventName, component, functionName): removes that connection.")
      .End();
}

void BindEasing(lua_State* L) {
  lb::Global(L)
      .Namespace("Easing")
      .Doc("Easing curves, each (t, b, k, d): the value at time t of a change from b by k over "
           "duration d; t outside 0..d extrapolates.")
      .Function("easeInSin", &Easing::easeInSin)
      .Doc("k - k cos(t/d π/2) + b: slow start.")
      .Function("easeOutSin", &Easing::easeOutSin)
      .Doc("k sin(t/d π/2) + b: slow end.")
      .Function("easeInOutSin", &Easing::easeInOutSin)
      .Doc("b - k/2 (cos(π t/d) - 1): slow start and end.")
      .Function("easeInQuad", &Easing::easeInQuad)
      .Doc("k (t/d)² + b.")
      .Function("easeOutQuad", &Easing::easeOutQuad)
      .Doc("-k u (u - 2) + b with u = t/d.")
      .Function("easeInOutQuad", &Easing::easeInOutQuad)
      .Doc("Quadratic in over the first half, out over the second.")
      .Function("easeLinear", &Easing::easeLinear)
      .Doc("k t/d + b.")
      .End();
}

lb::ApiSection luaComponentSection(1, &BindLuaComponent);
lb::ApiSection logicUpdateSection(2, &BindLogicUpdate);
lb::ApiSection coroutineSection(3, &BindCoroutine);
lb::ApiSection makeCoroutineSection(4, &BindMakeCoroutine);
lb::ApiSection eventsSection(5, &BindEvents);
lb::ApiSection easingSection(16, &BindEasing);

} // namespace
