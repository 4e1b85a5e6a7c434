// How many particles the emitters make for known time steps, and when they make none.
#include "particles/ParticleFixture.h"

TEST_F(ParticleTest, TwentyPerSecondMakesTwoInAnEighthAndKeepsTheRest) {
  ParticleEmitter* e = Emitter();
  Step(0.125f);
  EXPECT_EQ(Live().size(), 2u);
  EXPECT_NEAR(e->accumulator, 0.025f, 1e-6f);
  EXPECT_FLOAT_EQ(e->interval, 0.05f);
}

TEST_F(ParticleTest, EmittersThatMayNotEmitMakeNothingAndSaveNothingUp) {
  std::vector<ParticleEmitter*> idle;
  for (int i = 0; i < 5; ++i)
    idle.push_back(Emitter());
  idle[0]->Objects.clear();
  idle[1]->Active = false;
  idle[2]->EmissionRate = 0.0f;
  idle[3]->EmissionRate = -5.0f;
  idle[4]->EmissionRate = std::nanf("");
  Step(2.0f);
  EXPECT_TRUE(Live().empty());
  for (ParticleEmitter* e : idle)
    EXPECT_EQ(e->accumulator, 0.0f);
}

TEST_F(ParticleTest, EffectiveRateIsHeldBetweenAHundredthAndAThousand) {
  Emitter()->EmissionRate = 5000.0f;
  Step(0.0105f);
  EXPECT_EQ(Live().size(), 10u) << "1000 per second";
  main->Clear();
  // 0.001 per second would make nothing in 250 s; raised to 0.01 it makes one per 100 s.
  ParticleEmitter* slow = Emitter();
  slow->EmissionRate = 0.001f;
  slow->Lifetime = 1000.0f;
  Step(250.0f);
  EXPECT_EQ(Live().size(), 2u);
}

TEST_F(ParticleTest, AStalledFrameMakesAtMostAThousandAndDropsTheBacklog) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 1000.0f;
  SimpleEmitter* s = Simple();
  s->EmissionRate = 1.0e6f;
  s->Lifetime = 100.0f;
  Step(30.0f);
  EXPECT_EQ(Live().size(), 2000u);
  EXPECT_EQ(e->accumulator, 0.0f);
  EXPECT_EQ(s->accumulator, 0.0f);
}

TEST_F(ParticleTest, EmitCountCapsTheParticlesOfAnEmitter) {
  Emitter()->EmitCount = 5;
  Step(0.125f, 10);
  EXPECT_EQ(Live().size(), 5u);
}

TEST_F(ParticleTest, AnInactiveSpaceNeitherEmitsNorAges) {
  Emitter();
  Step(0.125f);
  ASSERT_EQ(Live().size(), 2u);
  float before = Timer(Live()[0])->remaining;
  main->m_Active = main->nextActive = false;
  Step(0.5f, 4);
  EXPECT_EQ(Live().size(), 2u);
  EXPECT_EQ(Timer(Live()[0])->remaining, before);
}

TEST_F(ParticleTest, SimpleEmitterCountsAndItsRatesThatEmitNothing) {
  SimpleEmitter* s = Simple();
  s->EmissionRate = 4.0f;
  s->Lifetime = 100.0f;
  Step(1.0f);
  EXPECT_EQ(Live().size(), 3u) << "the accumulator must exceed the interval";
  main->Clear();
  for (float rate : {0.0f, -1.0f, std::nanf("")})
    Simple()->EmissionRate = rate;
  Simple()->SpriteSource.clear();
  Step(5.0f);
  EXPECT_TRUE(Live().empty());
}

TEST_F(ParticleTest, SimpleParticlesAreBuiltAroundTheEmitter) {
  SimpleEmitter* s = Simple(3.0f, -2.0f);
  Place(s->GetOwner()).z_order = 4;
  s->EmissionRate = 1000.0f;
  s->Area = {2.0f, 4.0f};
  s->Size = {0.5f, 0.25f};
  s->Color = {1.0f, 0.5f, 0.25f, 1.0f};
  s->VelocityVariance = {2.0f, 0.0f};
  s->Lifetime = 3.0f;
  Step(0.1f);
  ASSERT_GT(Live().size(), 90u);
  for (GameObject* p : Live()) {
    const Transform& t = Place(p);
    // Spread over the area, then moved by up to 1 unit/s for the frame by the physics step.
    EXPECT_TRUE(t.translation_.x_ >= 1.9f && t.translation_.x_ <= 4.1f) << t.translation_.x_;
    EXPECT_TRUE(t.translation_.y_ >= -4.0f && t.translation_.y_ <= 0.0f) << t.translation_.y_;
    EXPECT_EQ(t.z_order, 5);
    EXPECT_EQ(t.scale_, Vector2D(0.5f, 0.25f, 0.0f));
    auto* sprite = p->Get<Sprite>("Sprite");
    EXPECT_EQ(sprite->color_, glm::vec4(1.0f, 0.5f, 0.25f, 1.0f));
    EXPECT_TRUE(sprite->active_animation_);
    EXPECT_LE(std::fabs(Body(p).vel_.x_), 1.0f);
    EXPECT_NEAR(Timer(p)->remaining, 2.9f, 1e-5f);
  }
}

TEST_F(ParticleTest, WarmUpFillsInTheParticlesOfTheWarmUpTime) {
  ParticleEmitter* e = Emitter();
  e->Warmup = 1.0;
  e->EmissionRate = 10.0f;
  e->Lifetime = 2.0f;
  e->BaseVelocity = {1.0f, 0.0f};
  Step(0.0f);
  std::vector<GameObject*> warm = Live();
  ASSERT_EQ(warm.size(), 10u);
  for (size_t i = 0; i < warm.size(); ++i) {
    float age = static_cast<float>(i) / 10.0f;
    EXPECT_NEAR(Timer(warm[i])->remaining, 2.0f - age, 1e-5f);
    EXPECT_NEAR(Place(warm[i]).translation_.x_, age, 1e-5f) << "moved as far as its age";
  }
  Step(0.0f);
  EXPECT_EQ(Live().size(), 10u) << "warm-up happens once";
}
