#include "Objects/Transform.h"

#include <cmath>

#include "Objects/GameObject.h"

namespace {
// The nearest ancestor placement: world translation, scale and rotation of the parent chain.
struct Placement {
  Vector2D translation{0, 0, 0, 0};
  Vector2D scale{1, 1, 0, 0};
  float rotation = 0.0f;
};

Placement ParentPlacement(const GameObject* owner) {
  Placement p;
  const GameObject* parent = owner ? owner->parent : nullptr;
  if (!parent)
    return p;
  if (auto* t = parent->Get<Transform>("Transform")) {
    p.translation = t->GetWorldTranslation(parent);
    p.scale = t->GetWorldScale(parent);
    p.rotation = t->GetWorldRotation(parent);
    return p;
  }
  return ParentPlacement(parent);
}
} // namespace

Transform::Transform() = default;

Transform::Transform(const Transform& other)
    : Component<Transform>(), translation_(other.translation_), scale_(other.scale_),
      rotation_(other.rotation_), z_order(other.z_order) {}

Vector2D Transform::GetWorldTranslation(const GameObject* owner) const {
  if (!owner || !owner->parent)
    return translation_;
  Placement p = ParentPlacement(owner);
  float cr = std::cos(p.rotation), sr = std::sin(p.rotation);
  float a = translation_.x_ * p.scale.x_;
  float b = translation_.y_ * p.scale.y_;
  return {p.translation.x_ + a * cr - b * sr, p.translation.y_ + a * sr + b * cr, 0.0f, 0.0f};
}

Vector2D Transform::GetWorldScale(const GameObject* owner) const {
  if (!owner || !owner->parent)
    return scale_;
  Placement p = ParentPlacement(owner);
  return {scale_.x_ * p.scale.x_, scale_.y_ * p.scale.y_, 0.0f, 0.0f};
}

float Transform::GetWorldRotation(const GameObject* owner) const {
  if (!owner || !owner->parent)
    return rotation_;
  return rotation_ + ParentPlacement(owner).rotation;
}
