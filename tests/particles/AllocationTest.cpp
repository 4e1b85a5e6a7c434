// Steady emission and retirement take everything from pools: once a space has run a while, a
// frame that makes and retires particles allocates nothing. Every allocation of this test
// program is counted for that (except under AddressSanitizer, which keeps its own new).
#include <atomic>
#include <cstdlib>
#include <new>

#include "particles/ParticleFixture.h"

#if !defined(__SANITIZE_ADDRESS__)
#define VANTIX_COUNTS_ALLOCATIONS 1
namespace {
std::atomic<long> g_allocations{0};
}

// The replaced operators pair malloc with free, which this warning cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
#endif

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
  long allocations = g_allocations.load();
  Step(1.0f / 60.0f, 60);
  long made = g_allocations.load() - allocations;
  ASSERT_GT(e->emitted - before, 250);
  ASSERT_GT(Live().size(), 250u);
  EXPECT_EQ(made, 0) << "allocations in a second of steady emission";
#endif
}
