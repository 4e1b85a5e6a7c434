// What keeps particles from growing without end: an archetype whose particles lead back to it is
// reported and its particles make none, and a space holds at most so many particles.
#include "particles/ParticleFixture.h"

namespace {
int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++n;
  return n;
}
} // namespace

class ParticleLimitsTest : public ParticleTest {
protected:
  // Saves an archetype named `name`: a Dot with an emitter of `emits` (20 a second).
  void SaveEmitting(const std::string& name, const std::string& emits) {
    GameObject* object = Thing(name);
    auto* e = Fresh<ParticleEmitter>(object, "ParticleEmitter");
    e->Objects = emits;
    e->EmitterSize = {0.0f, 0.0f};
    e->Lifetime = 100.0f;
    SaveArchetypeOf(object, name);
  }
  size_t LiveOf(const std::string& archetype) {
    size_t n = 0;
    for (GameObject* p : Live())
      n += p->m_ArchetypeName == archetype;
    return n;
  }
};

TEST_F(ParticleLimitsTest, AnArchetypeThatEmitsItselfIsReportedOnceAndItsParticlesMakeNone) {
  SaveEmitting("Spark", "Spark");
  ParticleEmitter* e = Emitter();
  e->Objects = "Spark";
  testing::internal::CaptureStderr();
  // Unchecked, each spark makes two a frame and the count triples every frame.
  Step(0.1f, 8);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Count(said, "'Archetypes/Spark.archetype' emits itself; particles of it emit nothing"),
            1)
      << said;
  EXPECT_EQ(Count(said, "\n"), 1) << said;
  // Only the level's emitter makes sparks, as many as its rate gives.
  EXPECT_EQ(Live().size(), static_cast<size_t>(e->emitted));
  EXPECT_LE(Live().size(), 17u);
  for (GameObject* p : Live())
    EXPECT_EQ(p->Get<ParticleEmitter>("ParticleEmitter")->emitted, 0);
}

TEST_F(ParticleLimitsTest, ALoopThroughOtherArchetypesIsReportedOnceNamingThem) {
  SaveEmitting("Ping", "Pong");
  SaveEmitting("Pong", "Ping");
  ParticleEmitter* e = Emitter();
  e->Objects = "Ping";
  testing::internal::CaptureStderr();
  Step(0.1f, 8);
  std::string said = testing::internal::GetCapturedStderr();
  // Found when the second of the two is first made.
  EXPECT_EQ(Count(said, "'Archetypes/Pong.archetype' emits itself through "
                        "'Archetypes/Ping.archetype'; particles of it emit nothing"),
            1)
      << said;
  EXPECT_EQ(Count(said, "\n"), 1) << said;
  EXPECT_EQ(LiveOf("Ping"), static_cast<size_t>(e->emitted));
  // The first Ping's emitter made the Pong that closed the loop, and nothing after it.
  EXPECT_GE(LiveOf("Pong"), 1u);
  EXPECT_LE(LiveOf("Pong"), 2u);
}

TEST_F(ParticleLimitsTest, NestedEmittersWithoutALoopEmitAsBefore) {
  SaveEmitting("Rocket", "Dot");
  ParticleEmitter* e = Emitter();
  e->Objects = "Rocket";
  e->EmissionRate = 10.0f;
  testing::internal::CaptureStderr();
  Step(0.1f, 10);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // Rockets from 0.1 s to 1 s, each making 20 dots a second from the frame after its own.
  EXPECT_EQ(LiveOf("Rocket"), 9u);
  size_t dots = 0;
  for (GameObject* p : Live())
    if (p->m_ArchetypeName == "Rocket")
      dots += static_cast<size_t>(p->Get<ParticleEmitter>("ParticleEmitter")->emitted);
  EXPECT_EQ(LiveOf("Dot"), dots);
  EXPECT_GE(dots, 60u);
}

TEST_F(ParticleLimitsTest, ASpaceStopsAtItsParticleLimitAndRefillsWithoutABurst) {
  EXPECT_EQ(ParticleSystem::kMaxLiveParticles, 20000u);
  particles.LimitLiveParticles(50);
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 100.0f;
  e->Lifetime = 0.0f; // particles that never die
  SimpleEmitter* simple = Simple();
  simple->EmissionRate = 100.0f;
  simple->Lifetime = 1000.0f;
  testing::internal::CaptureStderr();
  Step(0.1f, 10);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Live().size(), 50u);
  EXPECT_EQ(Count(said, "the space 'Main' holds 50 particles, as many as one space may"), 1)
      << said;
  EXPECT_EQ(Count(said, "\n"), 1) << said;
  // Ten gone make room for ten, not for the backlog of a second at the limit.
  std::vector<GameObject*> live = Live();
  for (int i = 0; i < 10; ++i)
    live[i]->Destroy();
  main->EndFrame();
  testing::internal::CaptureStderr();
  Step(0.1f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(Live().size(), 50u);
}
