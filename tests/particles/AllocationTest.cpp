// Steady emission and retirement take everything from pools: once a space has run a while, a
// frame that makes and retires particles allocates nothing. Every allocation of this test
// program is counted for that (except under AddressSanitizer, which keeps its own new).
#include "particles/ParticleFixture.h"
#include "support/CountingNew.h"

TEST_F(ParticleTest, SteadyEmissionAndRetirementAllocateNothing) {
#if !defined(VANTIX_COUNTS_ALLOCATIONS)
  GTEST_SKIP() << "AddressSanitizer replaces the allocation operators";
#else
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 300.0f;
  e->Lifetime = 0.5f;
  e->EmitterSize = {2.0f, 1.0f};
  e->VelocityVariance = {1.0f, 1.0f};
  SimpleEmitter* s = Simple();
  s->EmissionRate = 300.0f;
  s->Lifetime = 0.5f;
  // A second of frames fills the pools and grows the lists to what this load needs.
  Step(1.0f / 60.0f, 60);
  int before = e->emitted;
  long allocations = AllocationsSoFar();
  Step(1.0f / 60.0f, 60);
  long made = AllocationsSoFar() - allocations;
  ASSERT_GT(e->emitted - before, 250);
  ASSERT_GT(Live().size(), 250u);
  EXPECT_EQ(made, 0) << "allocations in a second of steady emission";
#endif
}
