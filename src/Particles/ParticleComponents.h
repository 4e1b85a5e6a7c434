#pragma once
#include <glm/glm.hpp>
#include <string>

#include "Objects/Component.h"

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
  float accumulator = 0.0f;
  float interval = 0.0f;
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
};

// Remaining life of a particle, seconds. Not stored.
class ParticleTimer : public Component<ParticleTimer> {
public:
  float remaining = 0.0f;
};
