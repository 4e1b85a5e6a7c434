// Where particles appear and what each is given: spawn areas, rotation, scale and tint.
#include "particles/ParticleFixture.h"

namespace {
// A thousand particles of the emitter in one update, as offsets from (10, -5).
std::vector<Vector2D> Offsets(const std::vector<GameObject*>& made) {
  std::vector<Vector2D> offsets;
  for (GameObject* p : made) {
    const Vector2D& at = p->Get<Transform>("Transform")->translation_;
    offsets.push_back({at.x_ - 10.0f, at.y_ + 5.0f});
  }
  return offsets;
}
} // namespace

class Spawn : public ParticleTest {
protected:
  ParticleEmitter* Area(glm::vec2 size, glm::vec2 hole, bool ellipse = false) {
    ParticleEmitter* e = Emitter(10.0f, -5.0f);
    e->EmissionRate = 1000.0f;
    e->EmitterSize = size;
    e->CenterEmpty = hole;
    e->Ellipse = ellipse;
    return e;
  }
};

TEST_F(Spawn, BoxWithoutHoleCoversTheWholeRectangle) {
  Area({2.0f, 1.0f}, {0.0f, 0.0f});
  Step(1.0f);
  std::vector<Vector2D> at = Offsets(Live());
  ASSERT_GE(at.size(), 990u);
  int quadrant[4] = {};
  float reachX = 0.0f, reachY = 0.0f;
  for (const Vector2D& p : at) {
    ASSERT_TRUE(std::fabs(p.x_) <= 2.0f && std::fabs(p.y_) <= 1.0f) << p.x_ << ", " << p.y_;
    ++quadrant[(p.x_ < 0 ? 1 : 0) + (p.y_ < 0 ? 2 : 0)];
    reachX = std::max(reachX, std::fabs(p.x_));
    reachY = std::max(reachY, std::fabs(p.y_));
  }
  for (int q : quadrant)
    EXPECT_GT(q, 180);
  EXPECT_GT(reachX, 1.95f);
  EXPECT_GT(reachY, 0.95f);
}

TEST_F(Spawn, BoxRingKeepsOutOfTheHoleAndFillsEvenly) {
  Area({4.0f, 2.0f}, {2.0f, 1.0f});
  Step(1.0f);
  int beside = 0;
  std::vector<Vector2D> at = Offsets(Live());
  for (const Vector2D& p : at) {
    ASSERT_TRUE(std::fabs(p.x_) <= 4.0f && std::fabs(p.y_) <= 2.0f) << p.x_ << ", " << p.y_;
    ASSERT_TRUE(std::fabs(p.x_) >= 2.0f || std::fabs(p.y_) >= 1.0f) << p.x_ << ", " << p.y_;
    beside += std::fabs(p.y_) < 1.0f;
  }
  // The strips beside the hole are a third of the ring's area.
  EXPECT_NEAR(static_cast<double>(beside) / at.size(), 1.0 / 3.0, 0.05);
}

TEST_F(Spawn, EllipseRingLiesBetweenTheTwoEllipses) {
  Area({3.0f, 2.0f}, {1.5f, 1.0f}, true);
  Step(1.0f);
  float nearestCorner = 10.0f;
  for (const Vector2D& p : Offsets(Live())) {
    float outer = std::pow(p.x_ / 3.0f, 2.0f) + std::pow(p.y_ / 2.0f, 2.0f);
    float inner = std::pow(p.x_ / 1.5f, 2.0f) + std::pow(p.y_ / 1.0f, 2.0f);
    ASSERT_LE(outer, 1.0001f);
    ASSERT_GE(inner, 0.9999f);
    nearestCorner =
        std::min(nearestCorner, std::hypot(3.0f - std::fabs(p.x_), 2.0f - std::fabs(p.y_)));
  }
  EXPECT_GT(nearestCorner, 0.5f) << "a box would reach its corners";
}

TEST_F(ParticleTest, RotationIsRandomOrTheFaceRotation) {
  ParticleEmitter* random = Emitter();
  random->RandomDirection = true;
  random->EmissionRate = 500.0f;
  Step(1.0f);
  float low = 10.0f, high = -10.0f;
  for (GameObject* p : Live()) {
    low = std::min(low, Place(p).rotation_);
    high = std::max(high, Place(p).rotation_);
  }
  EXPECT_GE(low, 0.0f);
  EXPECT_LE(high, 6.2832f);
  EXPECT_GT(high - low, 6.0f);
  main->Clear();
  Emitter()->FaceRotation = 90.0f;
  Step(0.1f);
  EXPECT_FLOAT_EQ(Place(Live()[0]).rotation_, 3.1415927f / 2.0f);
}

TEST_F(ParticleTest, RotationRateSpinsParticlesInDegreesPerSecond) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 4.0f;
  e->RotationRate = 90.0f;
  Step(0.5f);
  Step(0.5f);
  // Emitted in the first frame and turned in both: a second at 90 degrees per second.
  EXPECT_NEAR(Place(Live()[0]).rotation_, 3.1415927f / 2.0f, 1e-5f);
  // With a variance each particle spins at its own rate, 90 ± 30 degrees per second.
  main->Clear();
  ParticleEmitter* varied = Emitter();
  varied->EmissionRate = 400.0f;
  varied->RotationRate = 90.0f;
  varied->RotationRateVariance = 30.0f;
  Step(0.5f);
  float low = 1000.0f, high = -1000.0f;
  for (GameObject* p : Live()) {
    float degrees = Timer(p)->spin * 180.0f / 3.1415927f;
    low = std::min(low, degrees);
    high = std::max(high, degrees);
  }
  EXPECT_GE(low, 59.99f);
  EXPECT_LE(high, 120.01f);
  EXPECT_GT(high - low, 50.0f);
}

TEST_F(ParticleTest, ScaleTakesTheSquareFactorOnBothAxes) {
  ParticleEmitter* e = Emitter();
  e->Scale = {2.0f, 3.0f};
  e->SquareScaleVariance = 0.5f;
  e->EmissionRate = 200.0f;
  Step(0.5f);
  float low = 10.0f, high = 0.0f;
  for (GameObject* p : Live()) {
    const Vector2D& s = Place(p).scale_;
    float k = s.x_ / 2.0f;
    ASSERT_NEAR(s.y_ / 3.0f, k, 1e-5f) << "one factor for both axes";
    low = std::min(low, k);
    high = std::max(high, k);
  }
  EXPECT_GE(low, 0.5f);
  EXPECT_LE(high, 1.5f);
  EXPECT_GT(high - low, 0.8f);
}

TEST_F(ParticleTest, SpriteTakesTheClampedTintAndTheAnimationSpeed) {
  ParticleEmitter* e = Emitter();
  e->Tint = {2.0f, 0.5f, -1.0f, 1.0f};
  e->AnimationSpeed = 0.3;
  Step(0.1f);
  auto* sprite = Live()[0]->Get<Sprite>("Sprite");
  EXPECT_EQ(sprite->color_, glm::vec4(1.0f, 0.5f, 0.0f, 1.0f));
  EXPECT_FLOAT_EQ(sprite->animate_rate_, 0.3f);
}
