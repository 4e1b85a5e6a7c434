// Owner look-ups and freshly reset components for the particle system.
#include "Particles/ParticleObjects.h"

#include "Graphics/Sprite.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"

namespace {
bool Files(const GameObject* object, const BaseComponent& component, const char* typeName) {
  return object && object->m_Self == component.ownerId &&
         object->spaceIndex == component.spaceIndex && object->GetComponent(typeName) == &component;
}
} // namespace

GameObject* FindOwnerWithHint(const BaseComponent& component, const char* typeName,
                              GameObject*& hint) {
  if (Files(hint, component, typeName))
    return hint;
  GameObject* owner = component.GetOwner();
  hint = Files(owner, component, typeName) ? owner : nullptr;
  return hint;
}

namespace {
// A component added to the object, or the one it already had; `isNew` says which.
template <class T> T* AddOrFind(GameObject& object, const char* typeName, bool& isNew) {
  if (auto* existing = object.Get<T>(typeName)) {
    isNew = false;
    return existing;
  }
  isNew = true;
  return static_cast<T*>(object.AddComponent(typeName));
}

// The stored values of a new T, keeping the component's owner.
template <class T> void Reset(T& component) {
  int owner = component.ownerId, space = component.spaceIndex;
  component = T();
  component.ownerId = owner;
  component.spaceIndex = space;
}
} // namespace

Transform* FreshTransform(GameObject& object) {
  bool isNew = false;
  Transform* transform = AddOrFind<Transform>(object, "Transform", isNew);
  if (transform && isNew)
    Reset(*transform);
  return transform;
}

RigidBody* FreshRigidBody(GameObject& object) {
  bool isNew = false;
  RigidBody* body = AddOrFind<RigidBody>(object, "RigidBody", isNew);
  if (body && isNew)
    Reset(*body);
  return body;
}

Sprite* FreshSprite(GameObject& object) {
  bool isNew = false;
  Sprite* sprite = AddOrFind<Sprite>(object, "Sprite", isNew);
  if (sprite && isNew) {
    // Assigning a whole new Sprite would look its texture up again; these are the fields the
    // emitters do not set themselves.
    sprite->visible_ = true;
    sprite->flipx_ = sprite->flipy_ = false;
    sprite->frameTimer = 0.0f;
    sprite->current_frame_ = 0;
  }
  return sprite;
}
