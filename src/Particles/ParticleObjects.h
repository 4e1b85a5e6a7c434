#pragma once
// What both emitters and the timers need of a particle object: its owner found quickly, and
// components that start from their defaults.
class BaseComponent;
class GameObject;
class RigidBody;
class Sprite;
class Transform;

// The object that files this very component under `typeName`: the remembered one when it still
// does, otherwise the object whose id the component names (the hint is then updated); null when
// neither files it. Objects are never freed while their space lives, so the hint is safe to read.
GameObject* FindOwnerWithHint(const BaseComponent& component, const char* typeName,
                              GameObject*& hint);

// The object's component of that type, or a new one with the values of a newly constructed
// component: pooled components otherwise keep what their last owner left in them.
Transform* FreshTransform(GameObject& object);
RigidBody* FreshRigidBody(GameObject& object);
Sprite* FreshSprite(GameObject& object);
