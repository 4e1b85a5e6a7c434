// The physics step: rigid bodies move by their velocity and acceleration.
#include "Physics/PhysicsEngine.h"

#include "Core/Space.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"

namespace {
// A NaN counts as not zero.
bool Moving(const Vector2D& v) {
  return !(v.x_ == 0.0f) || !(v.y_ == 0.0f);
}
} // namespace

void PhysicsEngine::Update(float dt, Space* space) {
  if (!space)
    return;
  // Inactive spaces are stepped too; only the objects' own flags count.
  for (GameObject* object : space->objects) {
    if (!object || !object->m_Active)
      continue;
    auto* body = object->Get<RigidBody>("RigidBody");
    if (!body)
      continue;
    auto* transform = object->Get<Transform>("Transform");
    if (!transform)
      continue;
    if (Moving(body->accel_))
      body->vel_ = body->vel_ + body->accel_ * dt;
    if (Moving(body->vel_))
      transform->translation_ = transform->translation_ + body->vel_ * dt;
  }
}
