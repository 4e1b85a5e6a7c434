// Particle timers: when particles retire, what retiring does, and the pool of retired timers.
#include "particles/ParticleFixture.h"

TEST_F(ParticleTest, AParticleLivesItsLifetimeAndRetiresWhenItReachesZero) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 4.0f;
  e->Lifetime = 1.0f;
  Step(0.5f);
  ASSERT_EQ(Live().size(), 1u);
  GameObject* p = Live()[0];
  e->Active = false;
  Step(0.25f);
  ASSERT_EQ(Live().size(), 1u) << "a quarter of a second left";
  // Exactly zero retires: dead, inactive, timer and rigid body gone, removed at the frame's end.
  particles.Update(0.25f, main);
  EXPECT_TRUE(p->IsDead);
  EXPECT_FALSE(p->m_Active);
  EXPECT_EQ(Timer(p), nullptr);
  EXPECT_EQ(p->GetComponent("RigidBody"), nullptr);
  EXPECT_TRUE(main->liveComponents["ParticleTimer"].empty());
  main->EndFrame();
  EXPECT_EQ(main->GetObjectByName("Particle"), nullptr);
}

TEST_F(ParticleTest, NoLifetimeAtAllMeansNoTimer) {
  ParticleEmitter* e = Emitter();
  e->Lifetime = 0.0f;
  Step(0.125f);
  e->Active = false;
  Step(50.0f, 2);
  ASSERT_EQ(Live().size(), 2u);
  EXPECT_EQ(Timer(Live()[0]), nullptr);
}

TEST_F(ParticleTest, VariedLifetimesSpreadOverTheirRange) {
  ParticleEmitter* e = Emitter();
  e->Lifetime = 2.0f;
  e->LifetimeVariance = 0.5f;
  e->EmissionRate = 200.0f;
  Step(0.5f);
  float low = 10.0f, high = 0.0f;
  for (GameObject* p : Live()) {
    low = std::min(low, Timer(p)->remaining + 0.5f);
    high = std::max(high, Timer(p)->remaining + 0.5f);
  }
  EXPECT_GE(low, 1.5f);
  EXPECT_LE(high, 2.5f);
  EXPECT_GT(high - low, 0.9f);
}

TEST_F(ParticleTest, RetiredTimersArePooledAndReusedBySimpleEmitters) {
  ParticleEmitter* e = Emitter();
  e->Lifetime = 0.5f;
  e->EmissionRate = 16.0f;
  Step(0.25f); // 3 particles
  e->Active = false;
  Step(0.25f);
  ASSERT_TRUE(Live().empty());
  ASSERT_EQ(particles.PooledTimers(main->index), 3u);
  SimpleEmitter* s = Simple();
  s->EmissionRate = 8.0f;
  Step(0.25f); // 1 particle
  EXPECT_EQ(particles.PooledTimers(main->index), 2u);
  EXPECT_EQ(Live().size(), 1u);
  EXPECT_EQ(main->liveComponents["ParticleTimer"].size(), 1u);
  // Taken from the pool but filed exactly as an added one would be.
  ParticleTimer* t = Timer(Live()[0]);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetOwner(), Live()[0]);
}

TEST_F(ParticleTest, TheEntryMovedIntoARetiredSlotIsExaminedNext) {
  std::vector<GameObject*> made;
  for (float life : {1.0f, 5.0f, 1.0f}) {
    made.push_back(Thing("Particle"));
    particles.AttachTimer(*made.back(), life);
  }
  particles.Update(1.0f, main);
  EXPECT_TRUE(made[0]->IsDead);
  EXPECT_FALSE(made[1]->IsDead);
  EXPECT_TRUE(made[2]->IsDead) << "moved into the first slot, and due as well";
}

TEST_F(ParticleTest, ATimerWithoutItsParticleIsDroppedAndHarmsNoOtherObject) {
  GameObject* a = Thing("Particle");
  particles.AttachTimer(*a, 0.5f);
  // The object no longer files the timer, though the timer names it: not its particle.
  a->components.erase("ParticleTimer");
  a->AddComponent("RigidBody");
  Step(1.0f);
  EXPECT_FALSE(a->IsDead);
  EXPECT_NE(a->GetComponent("RigidBody"), nullptr);
  EXPECT_TRUE(main->liveComponents["ParticleTimer"].empty());
  EXPECT_EQ(particles.PooledTimers(main->index), 1u);
}
