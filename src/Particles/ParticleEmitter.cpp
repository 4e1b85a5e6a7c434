// ParticleEmitter: the behaviour choices, emission from its archetype, the set-up of each
// particle and the warm-up.
#include <algorithm>
#include <cmath>
#include <ctime>

#include "Core/Space.h"
#include "Graphics/Sprite.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ArchetypeCache.h"
#include "Particles/ParticleComponents.h"
#include "Particles/ParticleObjects.h"
#include "Particles/ParticleRandom.h"
#include "Particles/ParticleSystem.h"
#include "Physics/RigidBody.h"

using namespace particle_random;

namespace {
constexpr float kDegrees = 3.1415927f / 180.0f;
constexpr float kMinRate = 0.01f, kMaxRate = 1000.0f;

// ---- The choices: each pair is the cheap form for a zero variance and the drawing form.

// A point of the ring between the inner and the outer ellipse, along a random direction.
Vector2D EllipseSpawn(const ParticleEmitter& e) {
  float a = Angle(), c = std::cos(a), s = std::sin(a);
  float x = Between(e.CenterEmpty.x * c, e.EmitterSize.x * c);
  float y = Between(e.CenterEmpty.y * s, e.EmitterSize.y * s);
  return {x, y};
}

// A point of the rectangular ring: band A is the full-width strips above and below the hole,
// band B the strips left and right of it (only as tall as the hole, so the bands do not overlap
// and the ring fills evenly). A band is picked by its share of the ring's area.
Vector2D BoxSpawn(const ParticleEmitter& e) {
  float ex = std::fabs(e.EmitterSize.x), ey = std::fabs(e.EmitterSize.y);
  float cx = std::fabs(e.CenterEmpty.x), cy = std::fabs(e.CenterEmpty.y);
  bool bandA = true;
  if (cx != 0.0f || cy != 0.0f) {
    float areaA = (ey - cy) * ex, areaB = (ex - cx) * cy;
    float total = areaA + areaB;
    bandA = !(total > 0.0f) || static_cast<float>(Next()) / (kRandMax + 1.0f) < areaA / total;
  }
  if (bandA) {
    float x = Symmetric(ex);
    float y = Between(cy, ey);
    return {x, Odd() ? -y : y};
  }
  float x = Between(cx, ex);
  if (Odd())
    x = -x;
  return {x, Symmetric(cy)};
}

float FixedLifetime(const ParticleEmitter& e) {
  return e.Lifetime;
}
float VariedLifetime(const ParticleEmitter& e) {
  return e.Lifetime + Symmetric(e.LifetimeVariance);
}

Vector2D NoVelocityOffset(const ParticleEmitter&) {
  return {0.0f, 0.0f, 0.0f};
}
Vector2D VelocityOffset(const ParticleEmitter& e) {
  float y = Symmetric(e.VelocityVariance.y);
  float x = Symmetric(e.VelocityVariance.x);
  return {x, y, 1.0f};
}

glm::vec4 NoTintOffset(const ParticleEmitter&) {
  return glm::vec4(0.0f);
}
glm::vec4 TintOffset(const ParticleEmitter& e) {
  const glm::vec4& r = e.RandomTintRange;
  float red = Symmetric(r.r), green = Symmetric(r.g), blue = Symmetric(r.b);
  return {red, green, blue, Symmetric(r.a)};
}

glm::vec2 NoScaleOffset(const ParticleEmitter&) {
  return glm::vec2(0.0f);
}
glm::vec2 ScaleOffset(const ParticleEmitter& e) {
  float x = Symmetric(e.ScaleVariance.x);
  return {x, Symmetric(e.ScaleVariance.y)};
}

float UnitFactor(const ParticleEmitter&) {
  return 1.0f;
}
float SquareFactor(const ParticleEmitter& e) {
  return 1.0f + Symmetric(e.SquareScaleVariance);
}

float NoSpin(const ParticleEmitter&) {
  return 0.0f;
}
float FixedSpin(const ParticleEmitter& e) {
  return e.RotationRate * kDegrees;
}
float VariedSpin(const ParticleEmitter& e) {
  return (e.RotationRate + Symmetric(e.RotationRateVariance)) * kDegrees;
}

bool IsZero(glm::vec2 v) {
  return v.x == 0.0f && v.y == 0.0f;
}
bool IsZero(glm::vec4 v) {
  return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f && v.w == 0.0f;
}

float ClampedRate(float rate) {
  return std::clamp(rate, kMinRate, kMaxRate);
}
} // namespace

ParticleEmitter::ParticleEmitter() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  RemakeChoices();
}

ParticleEmitter::ChoiceInputs ParticleEmitter::CurrentInputs() const {
  ChoiceInputs in;
  in.ellipse = Ellipse;
  in.relativeSpace = RelativeSpace;
  in.lifetimeVariance = LifetimeVariance;
  in.squareScaleVariance = SquareScaleVariance;
  in.rotationRate = RotationRate;
  in.rotationRateVariance = RotationRateVariance;
  in.velocityVariance = VelocityVariance;
  in.scaleVariance = ScaleVariance;
  in.randomTintRange = RandomTintRange;
  return in;
}

void ParticleEmitter::RemakeChoices() {
  madeFrom = CurrentInputs();
  choices.spawnOffset = Ellipse ? &EllipseSpawn : &BoxSpawn;
  choices.lifetime = LifetimeVariance == 0.0f ? &FixedLifetime : &VariedLifetime;
  choices.parentToEmitter = RelativeSpace == 1;
  choices.velocityOffset = IsZero(VelocityVariance) ? &NoVelocityOffset : &VelocityOffset;
  choices.tintOffset = IsZero(RandomTintRange) ? &NoTintOffset : &TintOffset;
  choices.scaleOffset = IsZero(ScaleVariance) ? &NoScaleOffset : &ScaleOffset;
  choices.squareScaleFactor = SquareScaleVariance == 0.0f ? &UnitFactor : &SquareFactor;
  if (RotationRateVariance != 0.0f)
    choices.spin = &VariedSpin;
  else
    choices.spin = RotationRate == 0.0f ? &NoSpin : &FixedSpin;
}

const EmitterChoices& ParticleEmitter::Choices() {
  if (!(CurrentInputs() == madeFrom))
    RemakeChoices();
  return choices;
}

GameObject* ParticleEmitter::FindOwner() {
  return FindOwnerWithHint(*this, "ParticleEmitter", ownerHint);
}

bool ParticleEmitter::MayEmit(const ArchetypeEntry& source) const {
  return nesting == 0 || !ArchetypeCache::EmitsItself(source);
}

namespace {
// Emitters anywhere in a new particle are one level deeper than the one that made it.
void MarkNesting(GameObject& object, int nesting) {
  if (auto* nested = object.Get<ParticleEmitter>("ParticleEmitter"))
    nested->nesting = nesting;
  for (GameObject* child : object.children)
    if (child && child->parent == &object)
      MarkNesting(*child, nesting);
}
} // namespace

bool ParticleEmitter::StillOwnedBy(const GameObject& owner) const {
  return owner.m_Self == ownerId && owner.GetComponent("ParticleEmitter") == this;
}

// A pooled emitter given to another object starts again: no backlog, count or warm-up of the
// object it served before.
void ParticleEmitter::StartLifeIfNew(const GameObject& owner) {
  if (owner.m_Self == lifeOwner && owner.spaceIndex == lifeSpace)
    return;
  lifeOwner = owner.m_Self;
  lifeSpace = owner.spaceIndex;
  accumulator = 0.0f;
  emitted = 0;
  warmedUp = false;
}

void ParticleEmitter::Update(float dt, Space& space, ParticleSystem& system) {
  if (!Active || Objects.empty() || !(EmissionRate > 0.0f) || CountReached())
    return;
  // An object destroyed this frame makes no more particles.
  GameObject* owner = FindOwner();
  if (!owner || owner->IsDead)
    return;
  StartLifeIfNew(*owner);
  Choices();
  if (!warmedUp) {
    warmedUp = true;
    if (Warmup > 0.0)
      WarmUp(space, system, *owner);
    if (!StillOwnedBy(*owner))
      return;
  }

  accumulator += dt;
  float rate = EmissionRate + Symmetric(EmissionVariance);
  if (!std::isfinite(accumulator) || std::isnan(rate)) {
    accumulator = 0.0f;
    return;
  }
  interval = 1.0f / ClampedRate(rate);
  if (!(accumulator > interval))
    return;
  ArchetypeCache::Entry* source = system.Archetypes().Find(Objects);
  if (!source || !MayEmit(*source)) {
    // Nothing builds up while the archetype cannot be read or used.
    accumulator = 0.0f;
    return;
  }
  for (int made = 0; accumulator > interval; ++made) {
    // Nor while the space holds as many particles as it may.
    if (made == kMaxPerUpdate || CountReached() || !system.HasRoomForParticle(space)) {
      accumulator = 0.0f;
      break;
    }
    accumulator -= interval;
    // A script of the new particle may have removed this emitter or emptied the space.
    if (!Emit(space, system, *owner, *source, 0.0f) || !StillOwnedBy(*owner))
      break;
  }
}

// The particles that `Warmup` seconds of emission would have left alive, each aged and moved
// as if it had been emitted that long ago.
void ParticleEmitter::WarmUp(Space& space, ParticleSystem& system, GameObject& owner) {
  float rate = ClampedRate(EmissionRate);
  double wanted = std::ceil(Warmup * rate);
  int count = wanted < kMaxPerUpdate ? static_cast<int>(wanted) : kMaxPerUpdate;
  bool lives = !(Lifetime == 0.0f && LifetimeVariance == 0.0f);
  float oldest = Lifetime + std::fabs(LifetimeVariance);
  ArchetypeCache::Entry* source = count > 0 ? system.Archetypes().Find(Objects) : nullptr;
  if (!source || !MayEmit(*source))
    return;
  for (int i = 0; i < count && !CountReached() && system.HasRoomForParticle(space); ++i) {
    float age = static_cast<float>(i) / rate;
    if (lives && age >= oldest)
      break;
    if (!Emit(space, system, owner, *source, age) || !StillOwnedBy(owner))
      break;
  }
}

GameObject* ParticleEmitter::Emit(Space& space, ParticleSystem& system, GameObject& owner,
                                  ArchetypeCache::Entry& source, float age) {
  const auto* home = owner.Get<Transform>("Transform");
  // A particle parented to the emitter is placed in the emitter's own frame; any other in the
  // world, around the emitter's world position.
  Vector2D at = choices.spawnOffset(*this);
  if (!choices.parentToEmitter && home) {
    Vector2D origin = home->GetWorldTranslation(&owner);
    at.x_ += origin.x_;
    at.y_ += origin.y_;
  }
  at.w_ = (home ? home->translation_.z_ : 0.0f) + 1.0f;
  GameObject* particle = system.Archetypes().Instantiate(space, source, at);
  if (!particle)
    return nullptr;
  system.CountParticle(space);
  particle->m_Active = true;
  particle->IsDead = false;
  particle->m_Name = "Particle";
  MarkNesting(*particle, nesting + 1);
  Transform* placed = FreshTransform(*particle);
  if (!placed)
    return particle;
  placed->rotation_ = RandomDirection ? Angle() : FaceRotation * kDegrees;
  SetUp(*particle, *placed);
  if (choices.parentToEmitter)
    particle->SetParent(&owner);
  if (!(Lifetime == 0.0f && LifetimeVariance == 0.0f)) {
    float life = choices.lifetime(*this) - age;
    float spin = choices.spin(*this);
    placed->rotation_ += spin * age;
    system.AttachTimer(*particle, life, spin);
  }
  GiveVelocity(*particle, owner, *placed, age);
  ++emitted;
  return particle;
}

void ParticleEmitter::SetUp(GameObject& particle, Transform& placed) {
  glm::vec4 tintOffset = choices.tintOffset(*this);
  glm::vec2 scaleOffset = choices.scaleOffset(*this);
  float k = choices.squareScaleFactor(*this);
  placed.scale_.x_ = Scale.x * k + scaleOffset.x * k;
  placed.scale_.y_ = Scale.y * k + scaleOffset.y * k;
  placed.scale_.w_ = 1.0f;
  glm::vec4 tint = glm::clamp(Tint + tintOffset, 0.0f, 255.0f);
  if (auto* sprite = particle.Get<Sprite>("Sprite")) {
    sprite->animate_rate_ = static_cast<float>(AnimationSpeed);
    sprite->SetColorF(tint.r, tint.g, tint.b, tint.a);
  } else if (auto* nested = particle.Get<ParticleEmitter>("ParticleEmitter")) {
    nested->BlendMode = BlendMode;
    nested->Tint = tint;
    nested->AnimationSpeed = AnimationSpeed;
  }
}

void ParticleEmitter::GiveVelocity(GameObject& particle, GameObject& owner, Transform& placed,
                                   float age) {
  RigidBody* body = FreshRigidBody(particle);
  if (!body)
    return;
  Vector2D velocity =
      Vector2D(BaseVelocity.x, BaseVelocity.y, 1.0f) + choices.velocityOffset(*this);
  if (const auto* carrier = owner.Get<RigidBody>("RigidBody"))
    velocity = velocity + Vector2D(AddEmitterVelocity.x * carrier->vel_.x_,
                                   AddEmitterVelocity.y * carrier->vel_.y_, 1.0f);
  body->vel_ = velocity;
  // Stretches the particle by its speed along x.
  if (!IsZero(VelocityScale)) {
    placed.scale_.x_ *= VelocityScale.x * velocity.x_;
    placed.scale_.y_ *= VelocityScale.y * velocity.x_;
  }
  placed.translation_.x_ += velocity.x_ * age;
  placed.translation_.y_ += velocity.y_ * age;
}
