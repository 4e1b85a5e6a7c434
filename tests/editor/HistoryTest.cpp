// The editor's history and level operations without a window: steps, capacity, the saved
// mark, name checks and two-way links.
#include <gtest/gtest.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Editor/EditorActions.h"
#include "Editor/EditorHistory.h"
#include "Gameplay/GameplayComponents.h"
#include "Meta/File.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "support/TestSupport.h"

namespace {
class HistoryTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterAllTypes();
    space = engine.CreateSpace("Main");
  }
  GameObject* Node(const std::string& name) {
    GameObject* object = space->CreateEmptyObject();
    object->m_Name = name;
    object->AddComponent("Transform");
    object->AddComponent("GameNode");
    return object;
  }
  GameNode& NodeOf(GameObject* object) { return *object->Get<GameNode>("GameNode"); }
  ScratchDir dir;
  Engine engine;
  Space* space = nullptr;
  EditorHistory history;
};
} // namespace

TEST_F(HistoryTest, KeepsAtLeastAHundredStepsAndUndoesThemAllInOrder) {
  GameObject* object = Node("Counter");
  std::string start = LevelText(*space);
  for (int i = 1; i <= 150; ++i) {
    history.Record(*space);
    space->GetObjectByName("Counter")->Get<Transform>("Transform")->z_order = i;
  }
  EXPECT_EQ(history.UndoCount(), 150u);
  for (int i = 149; i >= 0; --i) {
    ASSERT_TRUE(history.Undo(*space));
    EXPECT_EQ(space->GetObjectByName("Counter")->Get<Transform>("Transform")->z_order, i);
  }
  EXPECT_FALSE(history.Undo(*space));
  EXPECT_EQ(LevelText(*space), start);
  EXPECT_EQ(space->GetObjectByName("Counter")->m_Self, object->m_Self);
}

TEST_F(HistoryTest, TheOldestStepsGoPastTheLimit) {
  Node("N");
  for (size_t i = 0; i < EditorHistory::kMaxSteps + 10; ++i)
    history.Record(*space);
  EXPECT_EQ(history.UndoCount(), EditorHistory::kMaxSteps);
}

TEST_F(HistoryTest, AnEditSpanningFramesIsOneStepAndANewStepDropsTheRedos) {
  GameObject* object = Node("N");
  auto* t = object->Get<Transform>("Transform");
  history.BeginEdit(*space);
  t->z_order = 1;
  history.BeginEdit(*space);
  t->z_order = 2;
  history.CommitEdit();
  EXPECT_EQ(history.UndoCount(), 1u);
  ASSERT_TRUE(history.Undo(*space));
  EXPECT_EQ(space->GetObjectByName("N")->Get<Transform>("Transform")->z_order, 0);
  EXPECT_EQ(history.RedoCount(), 1u);
  history.Record(*space);
  EXPECT_EQ(history.RedoCount(), 0u);
}

TEST_F(HistoryTest, DirtyFollowsTheSavedStateThroughUndoAndRedo) {
  Node("N");
  history.Reset();
  EXPECT_FALSE(history.Dirty());
  history.Record(*space);
  EXPECT_TRUE(history.Dirty());
  history.Undo(*space);
  EXPECT_FALSE(history.Dirty()) << "back at the state that was loaded";
  history.Redo(*space);
  EXPECT_TRUE(history.Dirty());
  history.MarkSaved();
  EXPECT_FALSE(history.Dirty());
  history.Undo(*space);
  EXPECT_TRUE(history.Dirty());
}

TEST_F(HistoryTest, RestoringKeepsTheIdsOfChildrenAsWellAsTopLevelObjects) {
  GameObject* parent = Node("Parent");
  GameObject* child = space->CreateEmptyObject();
  child->m_Name = "Child";
  child->SetParent(parent);
  std::string text = LevelText(*space);
  RestoreLevel(*space, text);
  std::string once = LevelText(*space);
  RestoreLevel(*space, once);
  EXPECT_EQ(LevelText(*space), once) << "a restored level restores to itself";
  EXPECT_NE(space->GetObjectByName("Child"), nullptr);
  EXPECT_EQ(space->GetObjectByName("Child")->parent, space->GetObjectByName("Parent"));
}

TEST(EditorNames, RefusesEmptyLongAndPathLikeNames) {
  std::string why;
  EXPECT_TRUE(EditorActions::CheckName("Level 01", why));
  EXPECT_TRUE(EditorActions::CheckName(std::string(255, 'a'), why));
  EXPECT_FALSE(EditorActions::CheckName(std::string(256, 'a'), why));
  for (const char* bad : {"", "a/b", "a\\b", "..", "x..y", "tab\there"})
    EXPECT_FALSE(EditorActions::CheckName(bad, why)) << bad;
  EXPECT_EQ(EditorActions::LevelFileName("Made"), "Made.level");
  EXPECT_EQ(EditorActions::LevelFileName("Made.level"), "Made.level");
}

TEST_F(HistoryTest, LinkingJoinsBothEndsAndUnlinksTheFormerPartners) {
  GameObject* a = Node("A");
  GameObject* b = Node("B");
  GameObject* c = Node("C");
  EditorActions::Link(*space, a, EditorActions::kUp, b);
  EXPECT_EQ(NodeOf(a).UpID, b->m_Self);
  EXPECT_EQ(NodeOf(b).DownID, a->m_Self);
  // C takes B's down link: A no longer links up to B.
  EditorActions::Link(*space, c, EditorActions::kUp, b);
  EXPECT_EQ(NodeOf(b).DownID, c->m_Self);
  EXPECT_EQ(NodeOf(a).UpID, -1);
  EditorActions::SetLinkOpen(*space, b, EditorActions::kDown, false);
  EXPECT_FALSE(NodeOf(c).UpLinked);
  for (const EditorActions::LinkView& link : EditorActions::NodeLinks(*space))
    EXPECT_FALSE(link.oneSided || link.missing);
  NodeOf(a).LeftID = 99;
  NodeOf(a).RightID = b->m_Self;
  int missing = 0, oneSided = 0;
  for (const EditorActions::LinkView& link : EditorActions::NodeLinks(*space)) {
    missing += link.missing;
    oneSided += link.oneSided;
  }
  EXPECT_EQ(missing, 1);
  EXPECT_EQ(oneSided, 1);
}
