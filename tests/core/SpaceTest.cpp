// Spaces: lookup by name, the end-of-frame activity rule, and level changes and restarts.
#include <limits>
#include <set>

#include "Utilities/Check.h"
#include "core/CoreFixtures.h"
#include "support/TestSupport.h"

using Spaces = EngineFixture;

TEST_F(Spaces, NewSpaceDefaults) {
  Space fresh;
  EXPECT_EQ(fresh.idCounter, -1);
  EXPECT_TRUE(fresh.m_Active);
  EXPECT_FALSE(fresh.nextActive);
  EXPECT_EQ(fresh.ID, 0);
  EXPECT_EQ(fresh.name, "Main");
  EXPECT_FALSE(fresh.restartPending);
  EXPECT_FALSE(fresh.changePending);
  EXPECT_EQ(fresh.objectPool.size(), 200u);
}

TEST_F(Spaces, CreateAppendsWithItsIndexAndGetFindsTheFirstOfAName) {
  Space* pause = engine->CreateSpace("Pause");
  Space* hud = engine->CreateSpace("HUD");
  Space* pause2 = engine->CreateSpace("Pause");
  EXPECT_EQ(pause->index, 1);
  EXPECT_EQ(hud->index, 2);
  EXPECT_EQ(pause2->index, 3);
  EXPECT_EQ(engine->SpaceAt(3), pause2);
  EXPECT_EQ(engine->SpaceAt(4), nullptr);
  EXPECT_EQ(engine->SpaceAt(-1), nullptr);
  EXPECT_EQ(engine->GetSpace("Pause"), pause);
  EXPECT_EQ(engine->GetSpace("pause"), nullptr);
  EXPECT_EQ(engine->GetSpace("Nowhere"), nullptr);

  engine->DeactivateSpaces("Pause");
  EXPECT_FALSE(pause->m_Active);
  EXPECT_FALSE(pause2->m_Active);
  EXPECT_TRUE(hud->m_Active);
}

// A file can store the largest int as an id; the ids issued after it must not overflow, and
// must still be ones no object holds.
TEST_F(Spaces, IdsAfterTheLargestIntAreTheLowestFreeOnes) {
  Space* space = engine->CreateSpace("Ids");
  space->CreateEmptyObject()->m_Self = 0;
  space->CreateEmptyObject()->m_Self = 2;
  space->CreateEmptyObject()->m_Self = std::numeric_limits<int>::max();
  space->idCounter = std::numeric_limits<int>::max();
  testing::internal::CaptureStderr();
  int before = CheckFailureCount();
  EXPECT_EQ(space->CreateEmptyObject()->m_Self, 1);
  EXPECT_EQ(space->CreateEmptyObject()->m_Self, 3);
  EXPECT_EQ(CheckFailureCount() - before, 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("the object ids have reached the largest"),
            std::string::npos);
  EXPECT_EQ(space->idCounter, std::numeric_limits<int>::max());
}

TEST_F(Spaces, ActivityRule) {
  Space* made = engine->CreateSpace("Made");
  Space* kept = engine->CreateSpace("Kept");
  Space* silenced = engine->CreateSpace("Silenced");
  kept->SetActive(true);
  silenced->SetActive(true);
  silenced->Destroy();
  EXPECT_TRUE(made->GetActive()) << "active in the frame it was made";
  EXPECT_TRUE(kept->GetActive());
  EXPECT_FALSE(silenced->GetActive()) << "Destroy silences at once";
  for (Space* s : {made, kept, silenced})
    s->EndFrame();
  EXPECT_FALSE(made->GetActive()) << "left alone: inactive from the next frame";
  EXPECT_TRUE(kept->GetActive());
  EXPECT_TRUE(silenced->GetActive()) << "from the next frame on, nextActive decides";

  kept->SetActive(false);
  EXPECT_TRUE(kept->GetActive()) << "writing Active waits for the end of the frame";
  kept->EndFrame();
  EXPECT_FALSE(kept->GetActive());
}

class Levels : public EngineFixture {
protected:
  void SetUp() override {
    EngineFixture::SetUp();
    const char* empty = "Space\n{\n  m_Active bool true\n  Objects\n  {\n  }\n}\n";
    dir.Write("Node Levels/old.level", empty);
    dir.Write("Node Levels/new.level", empty);
    main->LoadLevel("Node Levels\\old.level");
  }
  ScratchDir dir;
};

TEST_F(Levels, ChangeIsAppliedAtTheEndOfTheFrame) {
  ASSERT_EQ(main->LevelName, "old.level");
  GameObject* survivor = main->CreateEmptyObject();
  main->ChangeLevel("new.level");
  EXPECT_EQ(main->LevelName, "old.level");
  EXPECT_EQ(main->objects.size(), 1u) << "the rest of the frame runs on the old level";
  main->EndFrame();
  EXPECT_EQ(main->LevelName, "new.level");
  EXPECT_FALSE(main->changePending);
  EXPECT_EQ(main->GetObjectByName(""), nullptr);
  EXPECT_TRUE(survivor->IsDead) << "the load released the old objects";
}

TEST_F(Levels, RestartTakesPrecedenceAndTheChangeFollowsAFrameLater) {
  main->CreateEmptyObject();
  main->ChangeLevel("new.level");
  main->RestartLevel();
  main->EndFrame();
  EXPECT_EQ(main->LevelName, "old.level");
  EXPECT_TRUE(main->objects.empty()) << "the old level was reloaded";
  EXPECT_FALSE(main->restartPending);
  EXPECT_TRUE(main->changePending);
  main->EndFrame();
  EXPECT_EQ(main->LevelName, "new.level");
  EXPECT_FALSE(main->changePending);
}

TEST_F(Levels, ObjectsDestroyedInAChangingFrameArePooledOnce) {
  auto objects = MakeObjects(main, 5);
  objects[4]->Destroy();
  objects[1]->Destroy();
  main->ChangeLevel("new.level");
  main->EndFrame();
  EXPECT_TRUE(main->pendingDestroy.empty());
  std::set<GameObject*> pooled;
  for (auto& entry : main->objectPool)
    EXPECT_TRUE(pooled.insert(entry.second).second) << "an object is in the pool twice";
  EXPECT_EQ(pooled.size(), main->AllocatedObjects());
}

TEST_F(Levels, RepeatedLoadsKeepMemoryConstant) {
  for (int i = 0; i < 100; ++i) {
    MakeObjects(main, 120);
    main->RestartLevel();
    main->EndFrame();
  }
  EXPECT_EQ(main->AllocatedObjects(), 200u);
}
