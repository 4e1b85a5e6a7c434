// Opening and closing the editor with the ` key, and which input still reaches the game.
#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Graphics/Sprite.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "editor/EditorFixture.h"

TEST_F(EditorTest, BackquoteOpensAndClosesTheEditorAndNeverReachesTheGame) {
  EXPECT_FALSE(editor->open);
  Tap(SDLK_BACKQUOTE);
  EXPECT_TRUE(editor->open);
  ASSERT_NE(Find("Current Space:"), nullptr);
  EXPECT_EQ(Shown("Current Space:"), "Current Space: Main");
  Tap(SDLK_BACKQUOTE);
  EXPECT_FALSE(editor->open);
  EXPECT_FALSE(game.Saw("KeyIsTriggered 96"));
  EXPECT_FALSE(game.Saw("KeyIsReleased 96"));
}

TEST_F(EditorTest, ClicksOverAnEditorWindowStayWithTheEditorOthersReachTheGame) {
  OpenEditor();
  const EditorUi::ProbeItem* line = Find("Current Space:");
  ASSERT_NE(line, nullptr);
  ClickAt(static_cast<int>(line->x0) + 5, static_cast<int>(line->y0) + 3);
  EXPECT_FALSE(game.Saw("MouseIsTriggered 1"));
  // The middle of the screen has no editor window.
  ClickAt(640, 700);
  EXPECT_TRUE(game.Saw("MouseIsTriggered 1"));
  EXPECT_TRUE(game.Saw("MouseIsReleased 1"));
}

TEST_F(EditorTest, KeysTypedIntoAFieldStayWithTheEditorOtherwiseTheGameGetsThem) {
  Place("Typist", 0, 0);
  OpenEditor();
  Tap(SDLK_w);
  EXPECT_TRUE(game.Saw("KeyIsTriggered 119")) << "no editor widget has the keyboard";
  game.events.clear();
  ASSERT_TRUE(OpenEntry("Typist"));
  ASSERT_TRUE(Click("Typist/Change Name"));
  ASSERT_TRUE(Click("Typist/Change Name/New Name"));
  Tap(SDLK_w);
  PushText("w");
  Frames(2);
  EXPECT_FALSE(game.Saw("KeyIsTriggered 119"));
  EXPECT_EQ(Shown("Typist/Change Name/New Name"), "Typistw");
}

TEST_F(EditorTest, AKeyHeldWhenAFieldTakesTheKeyboardIsStillReleasedInTheGame) {
  Place("Holder", 0, 0);
  OpenEditor();
  PushKey(true, SDLK_d);
  Frame();
  ASSERT_TRUE(game.Saw("KeyIsTriggered 100"));
  ASSERT_TRUE(OpenEntry("Holder"));
  ASSERT_TRUE(Click("Holder/Change Name"));
  ASSERT_TRUE(Click("Holder/Change Name/New Name"));
  PushKey(false, SDLK_d);
  Frame();
  EXPECT_TRUE(game.Saw("KeyIsReleased 100"));
}

TEST_F(EditorTest, EscapeThatClosesAnEditorPopupStaysWithTheEditor) {
  PlaceNode("Far Node", 0, 0);
  PlaceNode("Near Node", -1.5f, 2);
  OpenEditor();
  ASSERT_TRUE(SelectInList("Far Node"));
  ASSERT_TRUE(Click("Node Properties/Select Up Node"));
  ASSERT_NE(Find("Node Properties/Select Up Connection/Select None"), nullptr);
  EXPECT_TRUE(Has("Node Properties/Select Up Connection/Near Node (" +
                  std::to_string(main->GetObjectByName("Near Node")->m_Self) + ") at (-1.5, 2)"))
      << "nodes are offered by name, id and place";
  game.events.clear();
  Tap(SDLK_ESCAPE);
  Frames(2);
  EXPECT_FALSE(Has("Node Properties/Select Up Connection/Select None")) << "the popup closed";
  EXPECT_FALSE(game.Saw("KeyIsTriggered 27")) << "a pause would open under the editor";
  Tap(SDLK_ESCAPE);
  EXPECT_TRUE(game.Saw("KeyIsTriggered 27")) << "with no popup open the game gets Escape";
}

TEST_F(EditorTest, TheGameDrawsTheSameWhileTheEditorIsOpen) {
  // A half-transparent sprite: blending, program and texture state all show in its colour.
  GameObject* object = Place("Marker", 0, 0);
  auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
  sprite->SwapTexture("red.png");
  sprite->SetColor(255, 255, 255, 128);
  Frame(true);
  Rgb closed = Pixel(640, 360);
  ASSERT_GT(closed.r, 100);
  ASSERT_LT(closed.r, 200);
  OpenEditor();
  Frames(2);
  Frame(true);
  EXPECT_EQ(Pixel(640, 360), closed);
  Tap(SDLK_BACKQUOTE);
  Frame(true);
  EXPECT_EQ(Pixel(640, 360), closed);
}

TEST_F(EditorTest, SceneCamerasAreOutlinedInRedWithAWhiteCrossWhileOpen) {
  GameObject* holder = Place("Camera", 0, 0);
  auto* camera = static_cast<Camera*>(holder->AddComponent("Camera"));
  camera->width_ = camera->height_ = 4.0f;
  camera->center_ = glm::vec3(1.0f, 0.0f, 1.0f);
  Frame(true);
  EXPECT_FALSE(AnyNear(PixelX(3.0f), PixelY(0.0f), {255, 0, 0}));
  OpenEditor();
  Frame(true);
  // The outline of the camera's view: 4 by 4 around (1, 0).
  EXPECT_TRUE(AnyNear(PixelX(3.0f), PixelY(0.0f), {255, 0, 0}));
  EXPECT_TRUE(AnyNear(PixelX(-1.0f), PixelY(1.0f), {255, 0, 0}));
  EXPECT_TRUE(AnyNear(PixelX(1.0f), PixelY(2.0f), {255, 0, 0}));
  EXPECT_TRUE(AnyNear(PixelX(1.1f), PixelY(0.0f), {255, 255, 255}));
  EXPECT_FALSE(AnyNear(PixelX(2.0f), PixelY(1.0f), {255, 0, 0}));
}
