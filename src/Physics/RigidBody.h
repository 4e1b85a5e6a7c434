#pragma once
#include "Objects/Component.h"
#include "Objects/Vector2D.h"

// Velocity and acceleration of an object; the physics step moves its Transform.
class RigidBody : public Component<RigidBody> {
public:
  Vector2D pos_;
  Vector2D vel_;
  Vector2D accel_;
  bool update = false; // script property "Update"; not stored, not read by the engine
};

// Data-only colliders: stored and scriptable, never tested against each other.
class BoxCollider : public Component<BoxCollider> {
public:
  Vector2D center;
  float width = 0.0f;
  float height = 0.0f;
};

class CircleCollider : public Component<CircleCollider> {
public:
  Vector2D pos_;
  double radius_ = 0.0;
};
