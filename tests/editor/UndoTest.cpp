// Undo and redo from the keyboard: every kind of editor change, one step per drag, and the
// level back byte for byte.
#include <filesystem>

#include "Core/Space.h"
#include "Editor/EditorActions.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Meta/File.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "editor/EditorFixture.h"

TEST_F(EditorTest, CtrlZUndoesAndCtrlShiftZOrCtrlYRedo) {
  GameObject* object = Place("First", 0, 0);
  OpenEditor();
  ASSERT_TRUE(OpenEntry("First"));
  ASSERT_TRUE(Click("First/Change Name"));
  ASSERT_TRUE(Type("First/Change Name/New Name", "Second"));
  ASSERT_TRUE(Click("First/Change Name/Modify"));
  ASSERT_EQ(object->m_Name, "Second");
  // ImGui tells whether a text field has the keyboard as of the frame before.
  Frame();
  Tap(SDLK_z, true);
  Frame();
  ASSERT_NE(main->GetObjectByName("First"), nullptr)
      << editor->message << " " << editor->history.UndoCount();
  EXPECT_EQ(main->GetObjectByName("Second"), nullptr);
  Tap(SDLK_z, true, true);
  Frame();
  EXPECT_NE(main->GetObjectByName("Second"), nullptr);
  Tap(SDLK_z, true);
  Frame();
  Tap(SDLK_y, true);
  Frame();
  EXPECT_NE(main->GetObjectByName("Second"), nullptr);
  EXPECT_FALSE(game.Saw("KeyIsTriggered 122")) << "the undo keys are the editor's";
}

TEST_F(EditorTest, ADragIsOneStepAndUndoingItRestoresTheValueAndTheSelection) {
  GameObject* object = Place("Dragged", 1.25f, 0);
  int id = object->m_Self;
  OpenEditor();
  ASSERT_TRUE(SelectInList("Dragged"));
  size_t before = editor->history.UndoCount();
  ASSERT_TRUE(Drag("Transform/X Position", 60, 6));
  EXPECT_GT(object->Get<Transform>("Transform")->translation_.x_, 5.0f);
  EXPECT_EQ(editor->history.UndoCount(), before + 1);
  Tap(SDLK_z, true);
  Frame();
  GameObject* back = main->GetObjectById(id);
  ASSERT_NE(back, nullptr);
  EXPECT_FLOAT_EQ(back->Get<Transform>("Transform")->translation_.x_, 1.25f);
  EXPECT_EQ(editor->Selected(), back);
}

TEST_F(EditorTest, AnySequenceOfEditsUndoneSavesTheSameBytesAsBefore) {
  GameObject* a = PlaceNode("A Node", 0, 0);
  GameObject* b = PlaceNode("B Node", 2, 0);
  GameObject* holder = Place("Holder", 0, 3);
  GameObject* child = Place("Child", 0, 0);
  child->SetParent(holder);
  a->Get<GameNode>("GameNode")->RightID = b->m_Self;
  b->Get<GameNode>("GameNode")->LeftID = a->m_Self;
  std::string why;
  ASSERT_TRUE(EditorActions::SaveLevelFile(*main, "Before.level", why)) << why;
  main->LoadLevel("Node Levels\\Before.level");
  std::string before = dir->Read("Node Levels/Before.level");

  OpenEditor();
  ASSERT_TRUE(OpenEntry("Holder"));
  ASSERT_TRUE(Click("Holder/Change Name"));
  ASSERT_TRUE(Type("Holder/Change Name/New Name", "Renamed"));
  ASSERT_TRUE(Click("Holder/Change Name/Modify"));
  ASSERT_TRUE(Click("Create Empty Object"));
  ASSERT_TRUE(SelectInList("A Node"));
  ASSERT_TRUE(Drag("Transform/X Position", 40));
  ASSERT_TRUE(Click("Transform/X Position", SDL_BUTTON_RIGHT));
  ASSERT_TRUE(Click("Transform/Positon Tools/Round X to 0.5"));
  ASSERT_TRUE(Click("Node Properties/Select Up Node"));
  int bId = main->GetObjectByName("B Node")->m_Self;
  ASSERT_TRUE(
      Click("Node Properties/Select Up Connection/B Node (" + std::to_string(bId) + ") at (2, 0)"));
  ASSERT_TRUE(OpenEntry("B Node"));
  ASSERT_TRUE(Click("B Node/Components"));
  ASSERT_TRUE(Click("B Node/Add Components/Sprite"));
  ASSERT_TRUE(Click("B Node/Delete Object"));
  ASSERT_TRUE(Click("B Node/Delete Object?/\t \t yes\t \t"));
  ASSERT_GE(editor->history.UndoCount(), 6u);

  size_t steps = editor->history.UndoCount();
  for (size_t i = 0; i < steps; ++i)
    Tap(SDLK_z, true);
  Frame();
  EXPECT_EQ(editor->history.UndoCount(), 0u);
  EXPECT_FALSE(editor->history.Dirty());
  ASSERT_TRUE(EditorActions::SaveLevelFile(*main, "After.level", why)) << why;
  EXPECT_EQ(dir->Read("Node Levels/After.level"), before);

  // And forward again to where the edits ended.
  for (size_t i = 0; i < steps; ++i)
    Tap(SDLK_y, true);
  Frame();
  EXPECT_EQ(main->GetObjectByName("B Node"), nullptr);
  EXPECT_NE(main->GetObjectByName("Renamed"), nullptr);
}

TEST_F(EditorTest, ALevelLoadedUnderTheEditorClearsItsHistoryAndSelection) {
  dir->Write("Node Levels/Next.level", "Space\r\n{\r\n  m_Active bool true\r\n  Objects\r\n  {\r\n"
                                       "  }\r\n}\r\n");
  Place("Here", 0, 0);
  OpenEditor();
  ASSERT_TRUE(SelectInList("Here"));
  ASSERT_TRUE(Click("Create Empty Object"));
  ASSERT_EQ(editor->history.UndoCount(), 1u);
  main->ChangeLevel("Next.level");
  Frames(2);
  EXPECT_EQ(editor->history.UndoCount(), 0u);
  EXPECT_EQ(editor->Selected(), nullptr);
  Tap(SDLK_z, true);
  Frame();
  EXPECT_TRUE(main->objects.empty()) << "nothing of the old level comes back";
}

TEST_F(EditorTest, ReparentingScriptsArchetypesAndNodeGraphEditsUndoneSaveTheSameBytes) {
  dir->Write("Scripts/Greeter.lua", "function Initialize() end\nfunction Shutdown() end\n");
  GameObject* a = PlaceNode("A Node", 0, 0);
  GameObject* b = PlaceNode("B Node", 0, -2);
  a->Get<GameNode>("GameNode")->DownID = b->m_Self;
  b->Get<GameNode>("GameNode")->UpID = a->m_Self;
  GameObject* box = Place("Box", 3, 0);
  Place("Lid", 3, 1);
  ASSERT_TRUE(SaveArchetype(box, "Crate"));
  std::string why;
  ASSERT_TRUE(EditorActions::SaveLevelFile(*main, "Before.level", why)) << why;
  main->LoadLevel("Node Levels\\Before.level");
  std::string before = dir->Read("Node Levels/Before.level");

  OpenEditor();
  ASSERT_TRUE(OpenEntry("Lid"));
  int boxId = main->GetObjectByName("Box")->m_Self;
  ASSERT_TRUE(Click("Lid/Add to Parent"));
  ASSERT_TRUE(Click("Lid/Add to Parent/Box##" + std::to_string(boxId)));
  ASSERT_NE(main->GetObjectByName("Lid")->parent, nullptr);
  ASSERT_TRUE(OpenEntry("Box"));
  ASSERT_TRUE(Click("Box/Components"));
  ASSERT_TRUE(Click("Box/Add Lua Components/Greeter"));
  ASSERT_NE(main->GetObjectByName("Box")->GetLuaComponent("Greeter"), nullptr);
  ASSERT_TRUE(OpenEntry("Box"));
  ASSERT_TRUE(Click("Archetype Menu"));
  ASSERT_TRUE(Click("Archetype Menu/Create Archetype Instance"));
  size_t objects = main->objects.size();
  ASSERT_TRUE(Click("Archetype Menu/Crate"));
  ASSERT_EQ(main->objects.size(), objects + 1);

  ASSERT_TRUE(Click("Show Demo Window"));
  Frames(2);
  const EditorUi::ProbeItem* node = Find("Node Graph/Node A Node");
  ASSERT_NE(node, nullptr);
  int ax = static_cast<int>((node->x0 + node->x1) / 2),
      ay = static_cast<int>((node->y0 + node->y1) / 2);
  ClickAt(ax, ay, SDL_BUTTON_RIGHT);
  ASSERT_TRUE(Click("Node Graph/context_menu/Copy"));
  ClickAt(ax, ay, SDL_BUTTON_RIGHT);
  ASSERT_TRUE(Click("Node Graph/context_menu/Paste"));
  ASSERT_EQ(main->objects.size(), objects + 2);
  node = Find("Node Graph/Node B Node");
  ASSERT_NE(node, nullptr);
  ClickAt(static_cast<int>((node->x0 + node->x1) / 2), static_cast<int>((node->y0 + node->y1) / 2),
          SDL_BUTTON_RIGHT);
  ASSERT_TRUE(Click("Node Graph/context_menu/Delete"));
  Frame();
  ASSERT_EQ(main->GetObjectByName("B Node"), nullptr);
  ASSERT_EQ(editor->history.UndoCount(), 5u);

  for (int i = 0; i < 5; ++i)
    Tap(SDLK_z, true);
  Frame();
  EXPECT_EQ(editor->history.UndoCount(), 0u);
  EXPECT_FALSE(editor->history.Dirty());
  ASSERT_TRUE(EditorActions::SaveLevelFile(*main, "After.level", why)) << why;
  EXPECT_EQ(dir->Read("Node Levels/After.level"), before);
  GameObject* lid = main->GetObjectByName("Lid");
  ASSERT_NE(lid, nullptr);
  EXPECT_EQ(lid->parent, nullptr);
  EXPECT_EQ(main->GetObjectByName("Box")->GetLuaComponent("Greeter"), nullptr);

  for (int i = 0; i < 5; ++i)
    Tap(SDLK_y, true);
  Frame();
  EXPECT_EQ(main->GetObjectByName("B Node"), nullptr);
  EXPECT_NE(main->GetObjectByName("Lid")->parent, nullptr);
  EXPECT_NE(main->GetObjectByName("Box")->GetLuaComponent("Greeter"), nullptr);
}
