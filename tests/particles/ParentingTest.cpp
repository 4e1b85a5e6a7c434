// Particles parented to their emitter, particles of a removed emitter, and emitters as particles.
#include "particles/ParticleFixture.h"

TEST_F(ParticleTest, LocalParticlesAreChildrenPlacedInTheEmittersFrame) {
  ParticleEmitter* e = Emitter(5.0f, 5.0f);
  e->RelativeSpace = 1;
  e->EmissionRate = 4.0f;
  GameObject* owner = e->GetOwner();
  Step(0.5f);
  GameObject* p = Live()[0];
  EXPECT_EQ(p->parent, owner);
  EXPECT_EQ(Place(p).GetWorldTranslation(p), Vector2D(5.0f, 5.0f, 0.0f));
  Place(owner).translation_.x_ = 7.0f;
  EXPECT_FLOAT_EQ(Place(p).GetWorldTranslation(p).x_, 7.0f) << "it follows the emitter";
}

TEST_F(ParticleTest, WorldParticlesHaveNoParentAndStartAtTheEmitter) {
  ParticleEmitter* e = Emitter(5.0f, -3.0f);
  e->EmissionRate = 4.0f;
  Step(0.5f);
  GameObject* p = Live()[0];
  EXPECT_EQ(p->parent, nullptr);
  EXPECT_EQ(Place(p).translation_, Vector2D(5.0f, -3.0f, 1.0f));
}

TEST_F(ParticleTest, ParticlesOutliveTheirEmittersObject) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 16.0f;
  e->Lifetime = 1.0f;
  Step(0.25f);
  ASSERT_EQ(Live().size(), 3u);
  e->GetOwner()->Destroy();
  Step(0.25f);
  EXPECT_EQ(Live().size(), 3u);
  EXPECT_TRUE(main->liveComponents["ParticleEmitter"].empty());
  Step(0.25f, 2);
  EXPECT_TRUE(Live().empty()) << "still retired on time";
}

TEST_F(ParticleTest, LocalParticlesGoWithTheirEmitterLeavingNoTimerBehind) {
  ParticleEmitter* e = Emitter();
  e->RelativeSpace = 1;
  Step(0.25f);
  ASSERT_FALSE(Live().empty());
  e->GetOwner()->Destroy();
  Step(0.25f);
  EXPECT_TRUE(Live().empty());
  EXPECT_TRUE(main->liveComponents["ParticleTimer"].empty());
}

TEST_F(ParticleTest, AnEmitterParticleTakesBlendTintAndAnimationSpeedAndEmits) {
  GameObject* fountain = main->CreateEmptyObject();
  fountain->m_Name = "Fountain";
  fountain->AddComponent("Transform");
  static_cast<ParticleEmitter*>(fountain->AddComponent("ParticleEmitter"))->Objects = "Dot";
  SaveArchetypeOf(fountain, "Fountain");
  ParticleEmitter* e = Emitter();
  e->Objects = "Fountain";
  e->EmissionRate = 4.0f;
  e->BlendMode = 3;
  e->Tint = {300.0f, 0.5f, -1.0f, 1.0f};
  e->AnimationSpeed = 0.2;
  Step(0.5f);
  ASSERT_EQ(Live().size(), 1u);
  auto* nested = Live()[0]->Get<ParticleEmitter>("ParticleEmitter");
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(nested->BlendMode, 3);
  EXPECT_EQ(nested->Tint, glm::vec4(255.0f, 0.5f, 0.0f, 1.0f));
  EXPECT_DOUBLE_EQ(nested->AnimationSpeed, 0.2);
  e->Active = false;
  Step(0.125f);
  EXPECT_EQ(Live().size(), 3u) << "the nested emitter's own particles, 20 per second";
}
