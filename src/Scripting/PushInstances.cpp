// The push hooks engine types use to hand themselves to Lua, instantiated once for every bound
// class so engine code needs only Binding/LuaPush.h.
#include "Binding/Binding.h"
#include "Core/Space.h"
#include "Gameplay/GameplayComponents.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Objects/Camera.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Physics/RigidBody.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"

namespace lb {
#define VANTIX_PUSH_PTR(T) template void PushPtr<T>(lua_State*, T*);
VANTIX_PUSH_PTR(Transform)
VANTIX_PUSH_PTR(Camera)
VANTIX_PUSH_PTR(Sprite)
VANTIX_PUSH_PTR(Font)
VANTIX_PUSH_PTR(RigidBody)
VANTIX_PUSH_PTR(BoxCollider)
VANTIX_PUSH_PTR(CircleCollider)
VANTIX_PUSH_PTR(ParticleEmitter)
VANTIX_PUSH_PTR(SimpleEmitter)
VANTIX_PUSH_PTR(ParticleTimer)
VANTIX_PUSH_PTR(GameNode)
VANTIX_PUSH_PTR(Player)
VANTIX_PUSH_PTR(Patrol)
VANTIX_PUSH_PTR(GameObject)
VANTIX_PUSH_PTR(Space)
VANTIX_PUSH_PTR(LuaComponent)
#undef VANTIX_PUSH_PTR

#define VANTIX_PUSH_COPY(T) template void PushCopy<T>(lua_State*, const T&);
VANTIX_PUSH_COPY(Vector2D)
VANTIX_PUSH_COPY(LogicUpdate)
VANTIX_PUSH_COPY(AllObjectsCreated)
VANTIX_PUSH_COPY(KeyIsDown)
VANTIX_PUSH_COPY(KeyIsTriggered)
VANTIX_PUSH_COPY(KeyIsReleased)
VANTIX_PUSH_COPY(MouseIsDown)
VANTIX_PUSH_COPY(MouseIsTriggered)
VANTIX_PUSH_COPY(MouseIsReleased)
VANTIX_PUSH_COPY(MouseMoved)
VANTIX_PUSH_COPY(MouseWheel)
VANTIX_PUSH_COPY(ControllerAdded)
VANTIX_PUSH_COPY(ControllerRemoved)
VANTIX_PUSH_COPY(ControllerButtonDown)
VANTIX_PUSH_COPY(ControllerButtonUp)
VANTIX_PUSH_COPY(ControllerAxis)
VANTIX_PUSH_COPY(WindowResized)
VANTIX_PUSH_COPY(WindowClose)
VANTIX_PUSH_COPY(FocusLost)
VANTIX_PUSH_COPY(FocusGained)
VANTIX_PUSH_COPY(Ping)
VANTIX_PUSH_COPY(Siphon)
VANTIX_PUSH_COPY(EndPlayerTurn)
VANTIX_PUSH_COPY(PlayerFound)
#undef VANTIX_PUSH_COPY
} // namespace lb

void PushHandlerTable(lua_State* L, LuaComponent* handler) {
  if (handler && handler->instanceRef > 0)
    lua_rawgeti(L, LUA_REGISTRYINDEX, handler->instanceRef);
  else
    lua_pushnil(L);
}

void StoreEventInTable(lua_State* L, int table) {
  if (table < 0)
    table = lua_gettop(L) + table + 1;
  if (!lua_istable(L, table))
    return;
  // Stored raw: the field becomes the table's own even when a script's metatable would refuse
  // or redirect it, and no metamethod can fail here, outside the handler's protected call.
  int key = LuaEngine::ms_Singleton ? LuaEngine::ms_Singleton->eventKey : 0;
  if (key > 0)
    lua_rawgeti(L, LUA_REGISTRYINDEX, key);
  else
    lua_pushliteral(L, "event");
  lua_pushvalue(L, -2);
  lua_rawset(L, table);
}
