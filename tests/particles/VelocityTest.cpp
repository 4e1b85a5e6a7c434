// Particle velocities, and the physics step moving particles by them.
#include "particles/ParticleFixture.h"

TEST_F(ParticleTest, BaseVelocityMovesParticlesThroughThePhysicsStep) {
  ParticleEmitter* e = Emitter(1.0f, 1.0f);
  e->EmissionRate = 4.0f;
  e->BaseVelocity = {2.0f, -1.0f};
  Step(0.5f);
  ASSERT_EQ(Live().size(), 1u);
  GameObject* p = Live()[0];
  EXPECT_EQ(Body(p).vel_, Vector2D(2.0f, -1.0f, 1.0f));
  EXPECT_FLOAT_EQ(Place(p).translation_.x_, 2.0f) << "moved in the frame it was made";
  Step(0.5f);
  EXPECT_FLOAT_EQ(Place(p).translation_.x_, 3.0f);
  EXPECT_FLOAT_EQ(Place(p).translation_.y_, 0.0f);
}

TEST_F(ParticleTest, AShareOfTheEmittersVelocityIsAdded) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 4.0f;
  e->BaseVelocity = {1.0f, 1.0f};
  e->AddEmitterVelocity = {0.5f, 2.0f};
  static_cast<RigidBody*>(e->GetOwner()->AddComponent("RigidBody"))->vel_ = {4.0f, 1.0f, 0.0f};
  Step(0.5f);
  EXPECT_EQ(Body(Live()[0]).vel_, Vector2D(3.0f, 3.0f, 2.0f));
}

TEST_F(ParticleTest, VelocityVarianceSpreadsEachAxisOverItsRange) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 400.0f;
  e->VelocityVariance = {1.0f, 3.0f};
  Step(0.5f);
  float reachX = 0.0f, reachY = 0.0f;
  for (GameObject* p : Live()) {
    const Vector2D& v = Body(p).vel_;
    ASSERT_TRUE(std::fabs(v.x_) <= 1.0f && std::fabs(v.y_) <= 3.0f) << v.x_ << ", " << v.y_;
    reachX = std::max(reachX, std::fabs(v.x_));
    reachY = std::max(reachY, std::fabs(v.y_));
  }
  EXPECT_GT(reachX, 0.9f);
  EXPECT_GT(reachY, 2.7f);
}

TEST_F(ParticleTest, VelocityScaleStretchesTheParticleNotTheEmitter) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 4.0f;
  e->BaseVelocity = {4.0f, 0.0f};
  e->SquareScaleVariance = 0.0f;
  e->VelocityScale = {0.5f, 0.25f};
  Step(0.5f);
  EXPECT_EQ(Place(Live()[0]).scale_, Vector2D(2.0f, 1.0f, 1.0f));
  EXPECT_EQ(Place(e->GetOwner()).scale_, Vector2D(1.0f, 1.0f, 0.0f));
}

TEST_F(ParticleTest, AnArchetypeRigidBodyKeepsItsAcceleration) {
  GameObject* falling = Thing("Falling");
  static_cast<RigidBody*>(falling->AddComponent("RigidBody"))->accel_ = {0.0f, -10.0f, 0.0f};
  SaveArchetypeOf(falling, "Falling");
  ParticleEmitter* e = Emitter();
  e->Objects = "Falling";
  e->EmissionRate = 4.0f;
  Step(0.5f);
  Step(0.5f);
  for (GameObject* p : Live())
    EXPECT_EQ(Body(p).accel_.y_, -10.0f) << "every instance, read or stamped";
  EXPECT_FLOAT_EQ(Body(Live()[0]).vel_.y_, -10.0f);
}
