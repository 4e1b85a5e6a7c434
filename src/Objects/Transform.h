#pragma once
#include "Objects/Component.h"
#include "Objects/Vector2D.h"

class GameObject;

// Places an object relative to its parent (or to the space for a top-level object).
class Transform : public Component<Transform> {
public:
  Transform();
  Transform(const Transform& other);
  Transform& operator=(const Transform&) = default;

  Vector2D translation_{0.0f, 0.0f, 1.0f};
  Vector2D scale_{1.0f, 1.0f, 0.0f};
  float rotation_ = 0.0f;
  int z_order = 0;

  struct Placement {
    Vector2D translation;
    Vector2D scale;
    float rotation = 0.0f;
  };
  // World-space placement through the owner's parent chain, all three parts from one walk up
  // it. A parent without a Transform counts as the identity (its own parents are still
  // followed).
  Placement GetWorldPlacement(const GameObject* owner) const;
  // Each one part of GetWorldPlacement.
  Vector2D GetWorldTranslation(const GameObject* owner) const;
  Vector2D GetWorldScale(const GameObject* owner) const;
  float GetWorldRotation(const GameObject* owner) const;
};
