#pragma once
#include <glm/glm.hpp>
#include <string>

#include "Objects/Component.h"
#include "Objects/Vector2D.h"

class GameObject;
class ParticleEmitter;
struct ArchetypeEntry;
class Transform;
class ParticleSystem;
class Space;

// The per-particle decisions of a ParticleEmitter, each picked from the variance fields once, so
// that emitting a particle tests none of them.
struct EmitterChoices {
  Vector2D (*spawnOffset)(const ParticleEmitter&);    // ellipse or box
  float (*lifetime)(const ParticleEmitter&);          // fixed or varied
  bool parentToEmitter;                               // RelativeSpace 1
  Vector2D (*velocityOffset)(const ParticleEmitter&); // with or without variance
  glm::vec4 (*tintOffset)(const ParticleEmitter&);
  glm::vec2 (*scaleOffset)(const ParticleEmitter&);
  float (*squareScaleFactor)(const ParticleEmitter&);
  float (*spin)(const ParticleEmitter&); // radians per second
};

// Stamps out instances of an archetype as particles.
class ParticleEmitter : public Component<ParticleEmitter> {
public:
  ParticleEmitter();

  bool Ellipse = false;
  bool Active = true;
  int RelativeSpace = 0;
  double Warmup = 0.0;
  int GeometryMode = 0;
  bool LoopAnimation = false;
  double AnimationSpeed = 0.0;
  int BlendMode = 0;
  glm::vec4 Tint{1.0f, 1.0f, 1.0f, 1.0f};
  glm::vec4 RandomTintRange{0.0f, 0.0f, 0.0f, 0.0f};
  bool TintAffectEmitters = false;
  std::string Objects;
  glm::vec2 VelocityScale{0.0f, 0.0f};
  int EmitCount = 0;
  float EmissionRate = 20.0f;
  float EmissionVariance = 0.0f;
  glm::vec2 Scale{1.0f, 1.0f};
  float SquareScaleVariance = 1.0f;
  glm::vec2 ScaleVariance{0.0f, 0.0f};
  float Lifetime = 1.0f;
  float LifetimeVariance = 0.0f;
  glm::vec2 EmitterSize{1.0f, 1.0f};
  glm::vec2 CenterEmpty{0.0f, 0.0f};
  glm::vec2 AddEmitterVelocity{0.0f, 0.0f};
  glm::vec2 BaseVelocity{0.0f, 0.0f};
  glm::vec2 VelocityVariance{0.0f, 0.0f};
  float FaceRotation = 0.0f;
  float RotationRate = 0.0f;
  float RotationRateVariance = 0.0f;
  bool RandomDirection = false;

  // Not stored.
  float accumulator = 0.0f; // seconds of emission not yet turned into particles
  float interval = 0.0f;    // seconds between particles, drawn at each update
  int emitted = 0;          // particles made since the emitter started (for EmitCount)
  bool warmedUp = false;
  // How many emitters deep the object holding this emitter was made: 0 for one of a level or a
  // script, 1 on a particle of such an emitter, and so on.
  int nesting = 0;

  // Most particles one update makes; the rest of a longer backlog (a stalled frame) is dropped.
  static constexpr int kMaxPerUpdate = 1000;

  // Re-makes the behaviour choices from the current field values. An emitter also does this
  // itself, at its next update, whenever a field the choices depend on has changed (a file
  // read, a script write, an editor edit), so calling it is only needed to see them at once.
  void RemakeChoices();
  // The choices as the fields now ask for them.
  const EmitterChoices& Choices();

  // One update: warm-up on the first, then the particles due in `dt` (the system calls it for
  // every live emitter of an active space).
  void Update(float dt, Space& space, ParticleSystem& system);

private:
  // The fields the choices are made from, as they were when they were last made.
  struct ChoiceInputs {
    bool ellipse = false;
    int relativeSpace = 0;
    float lifetimeVariance = 0.0f, squareScaleVariance = 0.0f;
    float rotationRate = 0.0f, rotationRateVariance = 0.0f;
    glm::vec2 velocityVariance{0.0f}, scaleVariance{0.0f};
    glm::vec4 randomTintRange{0.0f};
    bool operator==(const ChoiceInputs&) const = default;
  };
  ChoiceInputs CurrentInputs() const;
  GameObject* FindOwner();
  void StartLifeIfNew(const GameObject& owner);
  void WarmUp(Space& space, ParticleSystem& system, GameObject& owner);
  // Makes one particle aged `age` seconds; null when none could be made.
  GameObject* Emit(Space& space, ParticleSystem& system, GameObject& owner, ArchetypeEntry& source,
                   float age);
  // Scale and tint (of the sprite, or of a nested emitter).
  void SetUp(GameObject& particle, Transform& placed);
  void GiveVelocity(GameObject& particle, GameObject& owner, Transform& placed, float age);
  bool StillOwnedBy(const GameObject& owner) const;
  // Whether this emitter may use the archetype: one on a particle makes nothing of an archetype
  // whose particles lead back to it.
  bool MayEmit(const ArchetypeEntry& source) const;
  bool CountReached() const { return EmitCount > 0 && emitted >= EmitCount; }

  ChoiceInputs madeFrom;
  EmitterChoices choices{};
  GameObject* ownerHint = nullptr; // checked before use: components never point at objects
  int lifeOwner = -1, lifeSpace = -1;
};

// Builds bare particles (Transform, Sprite, RigidBody, ParticleTimer) itself.
class SimpleEmitter : public Component<SimpleEmitter> {
public:
  SimpleEmitter();

  std::string SpriteSource;
  glm::vec4 Color{1.0f, 1.0f, 1.0f, 1.0f};
  int BlendMode = 0;
  float EmissionRate = 1.0f;
  float EmissionVariance = 1.0f;
  glm::vec2 Area{1.0f, 1.0f};
  glm::vec2 Size{1.0f, 1.0f};
  float Lifetime = 1.0f;
  glm::vec2 BaseVelocity{0.0f, 0.0f};
  glm::vec2 VelocityVariance{2.0f, 2.0f};

  float accumulator = 0.0f;
  float interval = 0.0f;

  void Update(float dt, Space& space, ParticleSystem& system);

private:
  void Emit(Space& space, ParticleSystem& system, GameObject& owner);
  GameObject* ownerHint = nullptr;
};

// Remaining life of a particle, seconds. Not stored.
class ParticleTimer : public Component<ParticleTimer> {
public:
  float remaining = 0.0f;
  float spin = 0.0f; // radians per second added to the particle's rotation while it lives
  // The particle it was attached to, checked before use (timers added by scripts lack it).
  GameObject* ownerHint = nullptr;
};
