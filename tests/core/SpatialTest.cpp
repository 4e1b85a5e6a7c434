// Vector2D arithmetic, world-space placement through the parent chain, and camera matrices.
#include <cmath>
#include <glm/glm.hpp>

#include "Objects/Camera.h"
#include "Objects/Transform.h"
#include "core/CoreFixtures.h"

TEST(Vector2DMath, ScalingKeepsWAndAddingKeepsTheLeftFourth) {
  Vector2D v(2, 3, 5, 7);
  EXPECT_EQ(v * 2.0f, Vector2D(4, 6, 5, 7));
  EXPECT_EQ(v + Vector2D(1, 1, 1, 100), Vector2D(3, 4, 6, 7));
  EXPECT_FLOAT_EQ(PI, 3.14159265f);
}

class Placement : public EngineFixture {
protected:
  Transform* Placed(GameObject* object, Vector2D translation, Vector2D scale, float rotation) {
    auto* t = static_cast<Transform*>(object->AddComponent("Transform"));
    t->translation_ = translation;
    t->scale_ = scale;
    t->rotation_ = rotation;
    return t;
  }
};

TEST_F(Placement, TopLevelObjectIsPlacedByItsOwnFieldsExactly) {
  GameObject* object = main->CreateEmptyObject();
  Transform* t = Placed(object, {1, 2, 3, 4}, {5, 6, 7, 8}, 0.5f);
  EXPECT_EQ(t->GetWorldTranslation(object), Vector2D(1, 2, 3, 4));
  EXPECT_EQ(t->GetWorldScale(object), Vector2D(5, 6, 7, 8));
  EXPECT_EQ(t->GetWorldRotation(object), 0.5f);
}

TEST_F(Placement, ChildFollowsParentPositionRotationAndScale) {
  GameObject* parent = main->CreateEmptyObject();
  GameObject* child = main->CreateEmptyObject();
  ASSERT_TRUE(child->SetParent(parent));
  Placed(parent, {10, 0, 1, 9}, {2, 2, 0, 0}, PI / 2);
  Transform* t = Placed(child, {1, 0, 1, 9}, {3, 4, 5, 6}, 0.25f);
  Vector2D at = t->GetWorldTranslation(child);
  EXPECT_NEAR(at.x_, 10.0f, 1e-5f);
  EXPECT_NEAR(at.y_, 2.0f, 1e-5f);
  EXPECT_EQ(at.w_, 0.0f);
  EXPECT_EQ(at.z_, 0.0f);
  EXPECT_EQ(t->GetWorldScale(child), Vector2D(6, 8, 0, 0));
  EXPECT_FLOAT_EQ(t->GetWorldRotation(child), PI / 2 + 0.25f);
}

TEST_F(Placement, GrandchildComposesTheWholeChain) {
  GameObject* a = main->CreateEmptyObject();
  GameObject* b = main->CreateEmptyObject();
  GameObject* c = main->CreateEmptyObject();
  b->SetParent(a);
  c->SetParent(b);
  Placed(a, {1, 1, 0}, {1, 2, 0}, 0.0f);
  Placed(b, {0, 1, 0}, {3, 1, 0}, PI);
  Transform* t = Placed(c, {1, 0, 0}, {1, 1, 0}, 0.0f);
  // b sits at (1, 1 + 1*2) = (1, 3), rotated by PI and scaled (3, 2); c's (1, 0) becomes
  // (3, 0) and turns to (-3, 0).
  Vector2D at = t->GetWorldTranslation(c);
  EXPECT_NEAR(at.x_, -2.0f, 1e-5f);
  EXPECT_NEAR(at.y_, 3.0f, 1e-5f);
  EXPECT_EQ(t->GetWorldScale(c), Vector2D(3, 2, 0, 0));
}

TEST_F(Placement, ParentWithoutTransformCountsAsIdentity) {
  GameObject* grand = main->CreateEmptyObject();
  GameObject* bare = main->CreateEmptyObject();
  GameObject* child = main->CreateEmptyObject();
  child->SetParent(bare);
  Transform* t = Placed(child, {3, 4, 1, 1}, {2, 2, 1, 1}, 0.5f);
  EXPECT_EQ(t->GetWorldTranslation(child), Vector2D(3, 4, 0, 0));
  EXPECT_EQ(t->GetWorldScale(child), Vector2D(2, 2, 0, 0));
  EXPECT_EQ(t->GetWorldRotation(child), 0.5f);

  // Placement above the bare parent still applies.
  bare->SetParent(grand);
  Placed(grand, {100, 0, 0}, {1, 1, 0}, 0.0f);
  EXPECT_EQ(t->GetWorldTranslation(child), Vector2D(103, 4, 0, 0));
}

TEST_F(Placement, DamagedCyclicChainDoesNotHang) {
  GameObject* a = main->CreateEmptyObject();
  GameObject* b = main->CreateEmptyObject();
  Placed(a, {1, 0, 0}, {1, 1, 0}, 0.0f);
  Transform* t = Placed(b, {1, 0, 0}, {1, 1, 0}, 0.0f);
  // Links written directly, bypassing SetParent's cycle check.
  a->parent = b;
  b->parent = a;
  Vector2D at = t->GetWorldTranslation(b);
  EXPECT_TRUE(std::isfinite(at.x_));
  a->parent = b->parent = nullptr;
}

TEST(TransformCopy, CopiesFieldsButNotTheOwner) {
  Transform original;
  EXPECT_EQ(original.translation_, Vector2D(0, 0, 1, 0));
  EXPECT_EQ(original.scale_, Vector2D(1, 1, 0, 0));
  original.translation_ = {1, 2, 3, 4};
  original.rotation_ = 2.0f;
  original.z_order = 5;
  original.ownerId = 12;
  original.spaceIndex = 2;
  Transform copy(original);
  EXPECT_EQ(copy.translation_, original.translation_);
  EXPECT_EQ(copy.rotation_, 2.0f);
  EXPECT_EQ(copy.z_order, 5);
  EXPECT_EQ(copy.ownerId, -1);
  EXPECT_EQ(copy.spaceIndex, 0);
}

TEST(CameraMath, RightIsUpTurnedClockwise) {
  Camera camera(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 16, 9);
  EXPECT_NEAR(camera.right_.x, 1.0f, 1e-6f);
  EXPECT_NEAR(camera.right_.y, 0.0f, 1e-6f);
  EXPECT_EQ(camera.right_.z, 0.0f);
  Camera tilted(glm::vec3(0, 0, 1), glm::vec3(1, 0, 0), 16, 9);
  EXPECT_NEAR(tilted.right_.x, 0.0f, 1e-6f);
  EXPECT_NEAR(tilted.right_.y, -1.0f, 1e-6f);
}

TEST(CameraMath, RotateTurnsBothAxes) {
  Camera camera(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 10, 10);
  camera.Rotate(PI / 2);
  EXPECT_NEAR(camera.up_.x, -1.0f, 1e-6f);
  EXPECT_NEAR(camera.up_.y, 0.0f, 1e-6f);
  EXPECT_NEAR(camera.right_.x, 0.0f, 1e-6f);
  EXPECT_NEAR(camera.right_.y, 1.0f, 1e-6f);
}

TEST(CameraMath, ZoomIsAbsoluteFromTheBaseSize) {
  Camera camera(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 16, 9);
  camera.Zoom(2);
  camera.Zoom(3);
  EXPECT_EQ(camera.width_, 48.0f);
  EXPECT_EQ(camera.height_, 27.0f);
  EXPECT_EQ(camera.GetZoom(), 3.0f);
  EXPECT_EQ(camera.baseWidth, 16.0f);
}

TEST(CameraMath, WorldToWindow) {
  Camera camera(glm::vec3(5, 2, 1), glm::vec3(0, 1, 0), 10, 4);
  glm::mat3 projection = camera.GetProjection();
  EXPECT_EQ(projection[0][0], 0.2f);
  EXPECT_EQ(projection[1][1], 0.5f);
  EXPECT_EQ(projection[2][2], 1.0f);
  glm::mat3 identity = projection * camera.GetInverseProjection();
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r)
      EXPECT_FLOAT_EQ(identity[c][r], c == r ? 1.0f : 0.0f);
  glm::mat3 view = camera.GetCameraMatrix();
  EXPECT_EQ(view[2], glm::vec3(5, 2, 1)) << "centre is the third column";
  // The view's right edge and top edge map to 1.
  glm::vec3 corner = camera.GetViewProjection() * glm::vec3(10, 4, 1);
  EXPECT_NEAR(corner.x, 1.0f, 1e-5f);
  EXPECT_NEAR(corner.y, 1.0f, 1e-5f);
}
