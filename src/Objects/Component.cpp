// The component base: finding the owning object and space.
#include "Objects/Component.h"

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/GameObject.h"

void BaseComponent::PushToLua(lua_State*) {}

int BaseComponent::GetLuaRef(lua_State*) {
  return -1;
}

Space* BaseComponent::GetSpace() const {
  if (spaceIndex < 0 || !Engine::ms_Singleton)
    return nullptr;
  return Engine::ms_Singleton->SpaceAt(spaceIndex);
}

GameObject* BaseComponent::GetOwner() const {
  Space* space = GetSpace();
  return space ? space->GetObjectById(ownerId) : nullptr;
}
