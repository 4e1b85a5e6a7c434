// The object list: what it lists, selecting, renaming, parenting, components and deleting.
#include <filesystem>

#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"
#include "Systems/GraphicsEngine.h"
#include "editor/EditorFixture.h"
#include <lua.hpp>

TEST_F(EditorTest, ParticlesAreCountedButNeverListedAndChildrenSitUnderTheirParent) {
  Place("Particle", 0, 0);
  Place("Particle", 1, 0);
  GameObject* parent = Place("Parent", 0, 0);
  GameObject* child = Place("Child", 0, 0);
  child->SetParent(parent);
  GameObject* gone = Place("Gone", 0, 0);
  gone->Destroy();
  OpenEditor();
  EXPECT_EQ(Shown("Particles:"), "Particles: 2");
  EXPECT_TRUE(Has("Parent/entry"));
  EXPECT_FALSE(Has("Particle/entry"));
  EXPECT_FALSE(Has("Child/entry"));
  EXPECT_FALSE(Has("Gone/entry"));
  ASSERT_TRUE(OpenEntry("Parent"));
  EXPECT_NE(Find("Parent/Child/entry"), nullptr);
}

TEST_F(EditorTest, SelectingAnObjectCentresTheDefaultCameraOnIt) {
  GameObject* target = Place("Target", 3, 4);
  OpenEditor();
  ASSERT_TRUE(SelectInList("Target"));
  EXPECT_EQ(editor->Selected(), target);
  EXPECT_FLOAT_EQ(graphics->CameraPosGetX(), 3.0f);
  EXPECT_FLOAT_EQ(graphics->CameraPosGetY(), 4.0f);
  EXPECT_EQ(Shown("Current Object is: "), "Current Object is: Target");
}

TEST_F(EditorTest, HoveringAnEntrySaysClickToSelect) {
  Place("Hovered", 0, 0);
  OpenEditor();
  const EditorUi::ProbeItem* entry = Find("Hovered/entry");
  ASSERT_NE(entry, nullptr);
  EXPECT_FALSE(Has("Hovered/Tooltip"));
  PushMotion(static_cast<int>(entry->x0) + 40, static_cast<int>((entry->y0 + entry->y1) / 2));
  Frames(2);
  EXPECT_EQ(Shown("Hovered/Tooltip"), "CLICK TO SELECT");
}

TEST_F(EditorTest, TheFilterNarrowsTheListByName) {
  Place("Alpha", 0, 0);
  Place("Beta", 0, 0);
  OpenEditor();
  ASSERT_TRUE(Type("Filter (inc,-exc)", "alp"));
  EXPECT_TRUE(Has("Alpha/entry"));
  EXPECT_FALSE(Has("Beta/entry"));
  ASSERT_TRUE(Type("Filter (inc,-exc)", "-alp"));
  EXPECT_FALSE(Has("Alpha/entry"));
  EXPECT_TRUE(Has("Beta/entry"));
}

TEST_F(EditorTest, ADestroyedSelectionIsForgottenNotShown) {
  GameObject* doomed = Place("Doomed", 0, 0);
  OpenEditor();
  ASSERT_TRUE(SelectInList("Doomed"));
  ASSERT_EQ(editor->Selected(), doomed);
  doomed->Destroy();
  Frames(2);
  EXPECT_EQ(editor->Selected(), nullptr);
  // The pool hands the object out again: it is not the selection for that.
  GameObject* again = main->CreateEmptyObject();
  ASSERT_EQ(again, doomed);
  Frame();
  EXPECT_EQ(editor->Selected(), nullptr);
  EXPECT_EQ(Shown("Current Object is: "), "Current Object is: ");
}

TEST_F(EditorTest, RenamingTakesTheTypedNameAndRefusesBadOnes) {
  GameObject* object = Place("Old", 0, 0);
  OpenEditor();
  ASSERT_TRUE(OpenEntry("Old"));
  ASSERT_TRUE(Click("Old/Change Name"));
  // "Particle" would hide the object from the list and leave it out of the saved file.
  for (const char* bad : {"a/b", "..", "x\\y", "Particle"}) {
    ASSERT_TRUE(Type("Old/Change Name/New Name", bad));
    ASSERT_TRUE(Click("Old/Change Name/Modify"));
    EXPECT_EQ(object->m_Name, "Old") << bad;
    EXPECT_NE(Shown("Message").find("refused"), std::string::npos) << bad;
  }
  ASSERT_TRUE(Type("Old/Change Name/New Name", "New"));
  ASSERT_TRUE(Click("Old/Change Name/Modify"));
  EXPECT_EQ(object->m_Name, "New") << Shown("Message");
  EXPECT_NE(Find("New/entry"), nullptr);
}

// A hand-edited file can give two objects one id; their entries still open on their own.
TEST_F(EditorTest, EntriesOfTwoObjectsSharingAnIdOpenOnTheirOwn) {
  Place("Twin A", 0, 0)->m_Self = 7;
  Place("Twin B", 1, 0)->m_Self = 7;
  OpenEditor();
  ASSERT_TRUE(OpenEntry("Twin A"));
  EXPECT_NE(Find("Twin A/Change Name"), nullptr);
  EXPECT_EQ(Find("Twin B/Change Name"), nullptr);
}

TEST_F(EditorTest, AddToParentMakesTheEntryAChildAndRefusesACycle) {
  GameObject* box = Place("Box", 0, 0);
  GameObject* lid = Place("Lid", 0, 0);
  OpenEditor();
  ASSERT_TRUE(OpenEntry("Lid"));
  ASSERT_TRUE(Click("Lid/Add to Parent"));
  ASSERT_TRUE(Click("Lid/Add to Parent/Box##" + std::to_string(box->m_Self)));
  EXPECT_EQ(lid->parent, box);
  ASSERT_TRUE(OpenEntry("Box"));
  ASSERT_TRUE(Click("Box/Add to Parent"));
  ASSERT_TRUE(Click("Box/Add to Parent/Lid##" + std::to_string(lid->m_Self)));
  EXPECT_EQ(box->parent, nullptr);
  EXPECT_NE(Shown("Message").find("cannot become its parent"), std::string::npos);
}

TEST_F(EditorTest, ComponentsAndScriptComponentsAreAddedAndRemovedByName) {
  dir->Write("Scripts/Greeter.lua", "function Initialize() _G.Greeted = (_G.Greeted or 0) + 1 end\n"
                                    "function Shutdown() end\n");
  GameObject* object = Place("Host", 0, 0);
  OpenEditor();
  ASSERT_TRUE(OpenEntry("Host"));
  ASSERT_TRUE(Click("Host/Components"));
  ASSERT_TRUE(Click("Host/Add Components/RigidBody"));
  EXPECT_NE(object->GetComponent("RigidBody"), nullptr);
  ASSERT_TRUE(Click("Host/Remove Components/Transform"));
  EXPECT_EQ(object->GetComponent("Transform"), nullptr);
  ASSERT_TRUE(Click("Host/Add Lua Components/Greeter"));
  ASSERT_NE(object->GetLuaComponent("Greeter"), nullptr);
  lua_State* L = lua->L;
  lua_getglobal(L, "Greeted");
  EXPECT_EQ(lua_tointeger(L, -1), 1) << "the script component is initialised at once";
  lua_pop(L, 1);
  ASSERT_TRUE(Click("Host/Remove Lua Components/Greeter"));
  EXPECT_EQ(object->GetLuaComponent("Greeter"), nullptr);
}

TEST_F(EditorTest, DeleteAsksFirstAndOnlyYesDestroys) {
  GameObject* object = Place("Victim", 0, 0);
  OpenEditor();
  ASSERT_TRUE(OpenEntry("Victim"));
  ASSERT_TRUE(Click("Victim/Delete Object"));
  ASSERT_TRUE(Click("Victim/Delete Object?/\t \t no\t \t"));
  EXPECT_FALSE(object->IsDead);
  ASSERT_TRUE(Click("Victim/Delete Object"));
  ASSERT_TRUE(Click("Victim/Delete Object?/\t \t yes\t \t"));
  Frame();
  EXPECT_EQ(main->GetObjectByName("Victim"), nullptr);
  EXPECT_FALSE(Has("Victim/entry"));
}

TEST_F(EditorTest, DeletingALinkedNodeClearsTheLinksAndPatrolStartsThatNameIt) {
  GameObject* a = PlaceNode("A Node", 0, 0);
  GameObject* b = PlaceNode("B Node", 1, 0);
  GameObject* patrol = Place("Guard", 1, 0);
  patrol->AddComponent("Patrol");
  a->Get<GameNode>("GameNode")->RightID = b->m_Self;
  b->Get<GameNode>("GameNode")->LeftID = a->m_Self;
  patrol->Get<Patrol>("Patrol")->StartID = b->m_Self;
  OpenEditor();
  ASSERT_TRUE(OpenEntry("B Node"));
  ASSERT_TRUE(Click("B Node/Delete Object"));
  ASSERT_TRUE(Click("B Node/Delete Object?/\t \t yes\t \t"));
  EXPECT_EQ(a->Get<GameNode>("GameNode")->RightID, -1);
  EXPECT_EQ(patrol->Get<Patrol>("Patrol")->StartID, -1);
}

TEST_F(EditorTest, DeletingAFirewallOrLinkEmitterClearsTheNodeFieldsThatNameIt) {
  GameObject* node = PlaceNode("Locked Node", 0, 0);
  GameObject* wall = Place("Wall", 0, 0);
  GameObject* sparks = Place("Sparks", 0.5f, 0);
  GameObject* other = Place("Other", 2, 0);
  auto* n = node->Get<GameNode>("GameNode");
  n->FireWallProtected = true;
  n->FireWallID = wall->m_Self;
  n->RightLinkParticlesID = sparks->m_Self;
  n->UpLinkParticlesID = other->m_Self;
  OpenEditor();
  for (const char* name : {"Wall", "Sparks"}) {
    ASSERT_TRUE(OpenEntry(name));
    ASSERT_TRUE(Click(std::string(name) + "/Delete Object"));
    ASSERT_TRUE(Click(std::string(name) + "/Delete Object?/\t \t yes\t \t"));
  }
  EXPECT_EQ(n->FireWallID, -1);
  EXPECT_EQ(n->RightLinkParticlesID, -1);
  EXPECT_EQ(n->UpLinkParticlesID, other->m_Self); // ids of other objects stay
  EXPECT_TRUE(n->FireWallProtected);              // the designer decides what the node becomes
}

TEST_F(EditorTest, CreateEmptyObjectMakesAndSelectsANewObject) {
  OpenEditor();
  size_t before = main->objects.size();
  ASSERT_TRUE(Click("Create Empty Object"));
  ASSERT_EQ(main->objects.size(), before + 1);
  EXPECT_EQ(editor->Selected(), main->objects.back());
  EXPECT_TRUE(main->objects.back()->components.empty());
}
