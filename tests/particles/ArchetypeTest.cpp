// Emitting from archetype files: read once and stamped, read again when the file changes, and
// a file that cannot be used reported once.
#include "particles/ParticleFixture.h"

namespace {
int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++n;
  return n;
}
} // namespace

TEST_F(ParticleTest, AMissingArchetypeIsReportedOnceAndMakesNoObjects) {
  ParticleEmitter* e = Emitter();
  e->Objects = "Nowhere";
  testing::internal::CaptureStderr();
  Step(0.1f, 20);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Count(said, "Archetypes/Nowhere.archetype"), 1) << said;
  EXPECT_EQ(main->objects.size(), 1u);
  // Once the file is there, the emitter starts without a burst of saved-up particles.
  SaveArchetypeOf(Thing("Nowhere"), "Nowhere");
  Step(0.1f);
  EXPECT_FALSE(Live().empty());
  EXPECT_LE(Live().size(), 2u);
}

TEST_F(ParticleTest, AnEmptyArchetypeIsReportedOnceAndLeavesNoObject) {
  dir.Write("Archetypes/Blank.archetype", "");
  ParticleEmitter* e = Emitter();
  e->Objects = "Blank";
  testing::internal::CaptureStderr();
  Step(0.1f, 20);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Count(said, "Archetypes/Blank.archetype' gives an object with nothing"), 1) << said;
  EXPECT_EQ(main->objects.size(), 1u);
}

TEST_F(ParticleTest, StampedInstancesEqualInstancesReadFromTheFile) {
  GameObject* spark = Thing("Spark");
  auto* sprite = spark->Get<Sprite>("Sprite");
  sprite->color_ = {0.25f, 0.5f, 0.75f, 1.0f};
  sprite->flipx_ = true;
  static_cast<BoxCollider*>(spark->AddComponent("BoxCollider"))->width = 3.0f;
  GameObject* glow = Thing("Glow");
  glow->SetParent(spark);
  Place(glow).z_order = 4;
  SaveArchetypeOf(spark, "Spark");
  ParticleEmitter* e = Emitter();
  e->Objects = "Spark";
  e->EmissionRate = 100.0f;
  Step(0.5f);
  ASSERT_GT(Live().size(), 40u);
  EXPECT_EQ(particles.Archetypes().FileReads(), 1);
  GameObject* read = main->CreateArchetypeInstance("Spark");
  for (GameObject* p : Live()) {
    std::vector<std::string> types, expected;
    for (auto& [name, c] : p->components)
      types.push_back(name);
    for (auto& [name, c] : read->components)
      expected.push_back(name);
    expected.push_back("ParticleTimer");
    expected.push_back("RigidBody");
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(types, expected);
    EXPECT_EQ(p->Get<Sprite>("Sprite")->flipx_, true);
    EXPECT_EQ(p->Get<BoxCollider>("BoxCollider")->width, 3.0f);
    EXPECT_EQ(p->m_ArchetypeName, "Spark");
    ASSERT_EQ(p->children.size(), 1u);
    EXPECT_EQ(p->children[0]->m_Name, "Glow");
    EXPECT_EQ(Place(p->children[0]).z_order, 4);
    EXPECT_EQ(p->children[0]->parent, p);
  }
}

TEST_F(ParticleTest, ARewrittenArchetypeIsReadAgain) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 4.0f;
  Step(0.5f, 2);
  GameObject* bigger = Thing("Dot");
  Place(bigger).z_order = 7;
  bigger->AddComponent("CircleCollider");
  SaveArchetypeOf(bigger, "Dot");
  Step(0.5f);
  std::vector<GameObject*> made = Live();
  ASSERT_EQ(made.size(), 5u) << "one, two, then two of the new kind";
  EXPECT_EQ(made[2]->GetComponent("CircleCollider"), nullptr);
  EXPECT_NE(made[3]->GetComponent("CircleCollider"), nullptr);
  EXPECT_EQ(Place(made[3]).z_order, 7);
  EXPECT_EQ(particles.Archetypes().FileReads(), 2);
}
