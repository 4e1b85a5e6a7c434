// Interim: pushes nil for every engine value until the binding layer arrives.
#include <lua.hpp>

#include "Gameplay/GameplayComponents.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Objects/Camera.h"
#include "Objects/Events.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Physics/RigidBody.h"

namespace lb {
template <class T> void PushPtr(lua_State* L, T*) { lua_pushnil(L); }
template <class T> void PushCopy(lua_State* L, const T&) { lua_pushnil(L); }
int TakeRef(lua_State* L) { return luaL_ref(L, LUA_REGISTRYINDEX); }

template void PushPtr<Transform>(lua_State*, Transform*);
template void PushPtr<Camera>(lua_State*, Camera*);
template void PushPtr<Sprite>(lua_State*, Sprite*);
template void PushPtr<Font>(lua_State*, Font*);
template void PushPtr<RigidBody>(lua_State*, RigidBody*);
template void PushPtr<BoxCollider>(lua_State*, BoxCollider*);
template void PushPtr<CircleCollider>(lua_State*, CircleCollider*);
template void PushPtr<ParticleEmitter>(lua_State*, ParticleEmitter*);
template void PushPtr<SimpleEmitter>(lua_State*, SimpleEmitter*);
template void PushPtr<ParticleTimer>(lua_State*, ParticleTimer*);
template void PushPtr<GameNode>(lua_State*, GameNode*);
template void PushPtr<Player>(lua_State*, Player*);
template void PushPtr<Patrol>(lua_State*, Patrol*);

#define COPY(T) template void PushCopy<T>(lua_State*, const T&);
COPY(LogicUpdate)
COPY(AllObjectsCreated)
COPY(KeyIsDown)
COPY(KeyIsTriggered)
COPY(KeyIsReleased)
COPY(MouseIsDown)
COPY(MouseIsTriggered)
COPY(MouseIsReleased)
COPY(MouseMoved)
COPY(MouseWheel)
COPY(ControllerAdded)
COPY(ControllerRemoved)
COPY(ControllerButtonDown)
COPY(ControllerButtonUp)
COPY(ControllerAxis)
COPY(WindowResized)
COPY(WindowClose)
COPY(FocusLost)
COPY(FocusGained)
COPY(Ping)
COPY(Siphon)
COPY(EndPlayerTurn)
COPY(PlayerFound)
#undef COPY
} // namespace lb

void PushHandlerTable(lua_State* L, LuaComponent*) { lua_pushnil(L); }
void StoreEventInTable(lua_State*) {}
