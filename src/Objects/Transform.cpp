// Transforms: placement of an object and its world placement through the parent chain.
#include "Objects/Transform.h"

#include <cmath>

#include "Objects/GameObject.h"

namespace {
using Placement = Transform::Placement;

// What an object without a placing ancestor is placed relative to.
const Placement kIdentity{{0.0f, 0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.0f, 0.0f}, 0.0f};

// Deeper nesting than this is treated as unplaced; it only stops a walk over a damaged
// (cyclic) parent chain from running away.
constexpr int kMaxNesting = 1000;

Placement WorldPlacement(const GameObject* owner, const Transform& t, int depth);

// World placement of the nearest ancestor that has a Transform. A parent without one places its
// children as the identity would, so the walk continues past it.
Placement ParentPlacement(const GameObject* owner, int depth) {
  int steps = 0;
  for (const GameObject* a = owner->parent; a && steps < GameObject::kMaxDepth;
       a = a->parent, ++steps) {
    if (auto* placed = a->Get<Transform>("Transform"))
      return depth < kMaxNesting ? WorldPlacement(a, *placed, depth + 1) : kIdentity;
  }
  return kIdentity;
}

// One walk up the chain gives translation, scale and rotation together.
Placement WorldPlacement(const GameObject* owner, const Transform& t, int depth) {
  if (!owner || !owner->parent)
    return {t.translation_, t.scale_, t.rotation_};
  Placement p = ParentPlacement(owner, depth);
  float cr = std::cos(p.rotation), sr = std::sin(p.rotation);
  float a = t.translation_.x_ * p.scale.x_;
  float b = t.translation_.y_ * p.scale.y_;
  return {{p.translation.x_ + a * cr - b * sr, p.translation.y_ + a * sr + b * cr, 0.0f, 0.0f},
          {t.scale_.x_ * p.scale.x_, t.scale_.y_ * p.scale.y_, 0.0f, 0.0f},
          t.rotation_ + p.rotation};
}
} // namespace

Transform::Transform() = default;

Transform::Transform(const Transform& other)
    : Component<Transform>(), translation_(other.translation_), scale_(other.scale_),
      rotation_(other.rotation_), z_order(other.z_order) {}

Transform::Placement Transform::GetWorldPlacement(const GameObject* owner) const {
  return WorldPlacement(owner, *this, 0);
}

Vector2D Transform::GetWorldTranslation(const GameObject* owner) const {
  return WorldPlacement(owner, *this, 0).translation;
}

Vector2D Transform::GetWorldScale(const GameObject* owner) const {
  return WorldPlacement(owner, *this, 0).scale;
}

float Transform::GetWorldRotation(const GameObject* owner) const {
  return WorldPlacement(owner, *this, 0).rotation;
}
