// SimpleEmitter: bare particles (Transform, Sprite, RigidBody, ParticleTimer) built in place.
#include <cmath>
#include <ctime>

#include "Core/Space.h"
#include "Graphics/Sprite.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Particles/ParticleObjects.h"
#include "Particles/ParticleRandom.h"
#include "Particles/ParticleSystem.h"
#include "Physics/RigidBody.h"

using namespace particle_random;

SimpleEmitter::SimpleEmitter() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}

void SimpleEmitter::Update(float dt, Space& space, ParticleSystem& system) {
  // A rate of zero, below zero or NaN emits nothing (and its interval could never be used up).
  if (SpriteSource.empty() || !(EmissionRate > 0.0f))
    return;
  GameObject* owner = FindOwnerWithHint(*this, "SimpleEmitter", ownerHint);
  if (!owner || owner->IsDead)
    return;
  interval = 1.0f / EmissionRate;
  accumulator += dt;
  if (!std::isfinite(accumulator))
    accumulator = 0.0f;
  for (int made = 0; accumulator > interval; ++made) {
    if (made == ParticleEmitter::kMaxPerUpdate || !system.HasRoomForParticle(space)) {
      accumulator = 0.0f;
      break;
    }
    Emit(space, system, *owner);
    accumulator -= interval;
  }
}

void SimpleEmitter::Emit(Space& space, ParticleSystem& system, GameObject& owner) {
  const auto* home = owner.Get<Transform>("Transform");
  GameObject* particle = space.CreateEmptyObject();
  particle->m_Name = "Particle";
  system.CountParticle(space);

  if (Transform* placed = FreshTransform(*particle)) {
    Vector2D origin = home ? home->GetWorldTranslation(&owner) : Vector2D();
    float dx = Symmetric(Area.x / 2.0f);
    float dy = Symmetric(Area.y / 2.0f);
    placed->translation_ = Vector2D(origin.x_ + dx, origin.y_ + dy, 0.0f);
    placed->z_order = (home ? home->z_order : 0) + 1;
    placed->scale_ = Vector2D(Size.x, Size.y, 0.0f);
    placed->rotation_ = 0.0f;
  }
  if (Sprite* sprite = FreshSprite(*particle)) {
    sprite->SetColorF(Color.r, Color.g, Color.b, Color.a);
    sprite->SwapTexture(SpriteSource);
    sprite->active_animation_ = true;
  }
  if (RigidBody* body = FreshRigidBody(*particle)) {
    float vx = BaseVelocity.x + Symmetric(VelocityVariance.x / 2.0f);
    float vy = BaseVelocity.y + Symmetric(VelocityVariance.y / 2.0f);
    body->vel_ = Vector2D(vx, vy, 0.0f);
  }
  system.AttachTimer(*particle, Lifetime);
}
