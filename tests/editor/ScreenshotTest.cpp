// The editor as a designer sees it: windows, node graph and camera outline in one picture.
// With VANTIX_EDITOR_SCREENSHOT set, the picture is also saved there as PNG.
#include <cstdlib>
#include <stb_image_write.h>

#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Graphics/Sprite.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "editor/EditorFixture.h"

TEST_F(EditorTest, EditorWindowsShowOverTheGame) {
  GameObject* a = PlaceNode("Start Node", -2, 0);
  GameObject* b = PlaceNode("Middle Node", 0, 0);
  GameObject* c = PlaceNode("End Node", 0, 2);
  for (GameObject* node : {a, b, c}) {
    auto* sprite = static_cast<Sprite*>(node->AddComponent("Sprite"));
    sprite->SwapTexture("blue.png");
  }
  a->Get<GameNode>("GameNode")->RightID = b->m_Self;
  b->Get<GameNode>("GameNode")->LeftID = a->m_Self;
  b->Get<GameNode>("GameNode")->UpID = c->m_Self;
  c->Get<GameNode>("GameNode")->DownID = b->m_Self;
  c->Get<GameNode>("GameNode")->EndNode = true;
  GameObject* view = Place("Camera", 0, 0);
  auto* camera = static_cast<Camera*>(view->AddComponent("Camera"));
  camera->width_ = camera->height_ = 4.0f;
  OpenEditor();
  ASSERT_TRUE(SelectInList("Middle Node"));
  ASSERT_TRUE(Click("Show Demo Window"));
  ASSERT_TRUE(Click("Debug Draw"));
  Frames(3);
  Frame(true);
  // Title bars of the main window and the object list, in the editor's grey-blue.
  const EditorUi::ProbeItem* space = Find("Current Space:");
  ASSERT_NE(space, nullptr);
  Rgb title = Pixel(static_cast<int>(space->wx0) + 200, static_cast<int>(space->wy0) + 5);
  EXPECT_GT(title.b, title.r) << title;
  if (const char* path = std::getenv("VANTIX_EDITOR_SCREENSHOT"))
    stbi_write_png(path, frameWidth, frameHeight, 4, frame.data(), frameWidth * 4);
}
