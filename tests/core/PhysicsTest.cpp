// The rigid-body step: semi-implicit Euler on the Transform, nothing else.
#include <cmath>

#include "Objects/Transform.h"
#include "Physics/PhysicsEngine.h"
#include "Physics/RigidBody.h"
#include "core/CoreFixtures.h"

class Physics : public EngineFixture {
protected:
  struct Body {
    GameObject* object;
    RigidBody* body;
    Transform* transform;
  };
  Body Make(bool withTransform = true) {
    GameObject* object = main->CreateEmptyObject();
    auto* body = static_cast<RigidBody*>(object->AddComponent("RigidBody"));
    Transform* transform =
        withTransform ? static_cast<Transform*>(object->AddComponent("Transform")) : nullptr;
    return {object, body, transform};
  }
  PhysicsEngine physics;
};

TEST_F(Physics, VelocityMovesTheTranslation) {
  Body b = Make();
  b.body->vel_ = {2, 0, 0};
  physics.Update(0.5f, main);
  EXPECT_EQ(b.transform->translation_, Vector2D(1, 0, 1, 0));
  EXPECT_EQ(b.body->vel_, Vector2D(2, 0, 0));
}

TEST_F(Physics, AccelerationChangesVelocityFirst) {
  Body b = Make();
  b.body->accel_ = {0, -10, 0};
  physics.Update(0.1f, main);
  EXPECT_FLOAT_EQ(b.body->vel_.y_, -1.0f);
  EXPECT_FLOAT_EQ(b.transform->translation_.y_, -0.1f);
  EXPECT_EQ(b.transform->translation_.x_, 0.0f);
}

TEST_F(Physics, WIsAddedUnscaled) {
  Body b = Make();
  b.body->accel_ = {1, 0, 2, 9};
  b.body->vel_ = {0, 0, 1, 5};
  physics.Update(0.5f, main);
  EXPECT_EQ(b.body->vel_, Vector2D(0.5f, 0, 3, 5));
  EXPECT_EQ(b.transform->translation_, Vector2D(0.25f, 0, 4, 0));
}

TEST_F(Physics, ZeroMotionLeavesWAlone) {
  Body b = Make();
  b.body->accel_ = {0, 0, 5};
  b.body->vel_ = {0, 0, 5};
  physics.Update(1.0f, main);
  EXPECT_EQ(b.body->vel_.w_, 5.0f) << "x and y of the acceleration are zero: no step";
  EXPECT_EQ(b.transform->translation_, Vector2D(0, 0, 1, 0));
}

TEST_F(Physics, NaNCountsAsMotion) {
  Body b = Make();
  b.body->vel_ = {std::nanf(""), 0, 0};
  physics.Update(1.0f, main);
  EXPECT_TRUE(std::isnan(b.transform->translation_.x_));
}

TEST_F(Physics, SkipsObjectsThatCannotMove) {
  Body bare = Make(false);
  bare.body->accel_ = {1, 1, 0};
  Body asleep = Make();
  asleep.body->vel_ = {1, 1, 0};
  asleep.object->m_Active = false;
  Body collider = Make();
  collider.object->AddComponent("BoxCollider");
  Body other = Make();
  other.object->AddComponent("BoxCollider");
  Body shifted = Make();
  shifted.body->pos_ = {50, 50, 0};

  physics.Update(1.0f, main);
  EXPECT_EQ(bare.body->vel_, Vector2D(0, 0, 0)) << "no Transform: velocity unchanged";
  EXPECT_EQ(asleep.transform->translation_, Vector2D(0, 0, 1, 0));
  EXPECT_EQ(asleep.body->vel_, Vector2D(1, 1, 0));
  EXPECT_EQ(collider.transform->translation_, other.transform->translation_)
      << "overlapping colliders change nothing";
  EXPECT_EQ(shifted.transform->translation_, Vector2D(0, 0, 1, 0)) << "pos_ is not read";
}

TEST_F(Physics, InactiveSpacesAreStepped) {
  Body b = Make();
  b.body->vel_ = {1, 0, 0};
  main->m_Active = false;
  physics.Update(1.0f, main);
  EXPECT_EQ(b.transform->translation_.x_, 1.0f);
  physics.Update(1.0f, nullptr);
}

TEST(PhysicsDefaults, BodiesAndCollidersStartAtZero) {
  RigidBody body;
  EXPECT_EQ(body.pos_, Vector2D(0, 0, 0));
  EXPECT_EQ(body.vel_, Vector2D(0, 0, 0));
  EXPECT_EQ(body.accel_, Vector2D(0, 0, 0));
  EXPECT_FALSE(body.update);
  EXPECT_EQ(body.ownerId, -1);
  BoxCollider box;
  EXPECT_EQ(box.width, 0.0f);
  CircleCollider circle;
  EXPECT_EQ(circle.radius_, 0.0);
}
