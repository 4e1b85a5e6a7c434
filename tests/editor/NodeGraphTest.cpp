// The node graph window and "Debug Draw": placement, links and their red marks, scrolling, the
// context menu, and the links and colliders drawn over the game.
#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"
#include "editor/EditorFixture.h"

class NodeGraphTest : public EditorTest {
protected:
  void ShowGraph() {
    OpenEditor();
    ASSERT_TRUE(Click("Show Demo Window"));
    Frames(2);
  }
  // The middle of a node's box in the canvas.
  std::pair<int, int> Centre(const std::string& name) {
    const EditorUi::ProbeItem* item = Find("Node Graph/Node " + name);
    if (!item)
      return {-1, -1};
    return {static_cast<int>((item->x0 + item->x1) / 2),
            static_cast<int>((item->y0 + item->y1) / 2)};
  }
  void Link(GameObject* from, GameObject* to) {
    from->Get<GameNode>("GameNode")->RightID = to->m_Self;
    to->Get<GameNode>("GameNode")->LeftID = from->m_Self;
  }
};

TEST_F(NodeGraphTest, NodesArePlacedFromTheirPositionsAndOnlyNamesWithNodeAppear) {
  PlaceNode("Left Node", -1, 1);
  PlaceNode("Right Node", 2, -1);
  Place("Player", 0, 0);
  ShowGraph();
  auto [lx, ly] = Centre("Left Node");
  auto [rx, ry] = Centre("Right Node");
  EXPECT_NEAR(rx - lx, 120 * 3, 1);
  EXPECT_NEAR(ry - ly, 60 * 2, 1);
  EXPECT_FALSE(Has("Node Graph/Node Player"));
  PushMotion(lx, ly);
  Frames(2);
  EXPECT_EQ(Shown("Node Graph/Hover"), "Left Node  Position: x = -1.000000  y = 1.000000");
}

TEST_F(NodeGraphTest, MiddleButtonScrollsTheCanvas) {
  PlaceNode("Only Node", 0, 0);
  ShowGraph();
  auto [x, y] = Centre("Only Node");
  const EditorUi::ProbeItem* canvas = Find("Node Graph/Canvas");
  ASSERT_NE(canvas, nullptr);
  int cx = static_cast<int>(canvas->x0) + 30, cy = static_cast<int>(canvas->y1) - 30;
  PushMotion(cx, cy);
  Frame();
  PushButton(true, SDL_BUTTON_MIDDLE, cx, cy);
  Frame();
  for (int i = 1; i <= 4; ++i) {
    PushMotion(cx + 10 * i, cy - 5 * i);
    Frame();
  }
  PushButton(false, SDL_BUTTON_MIDDLE, cx + 40, cy - 20);
  Frames(2);
  auto [x2, y2] = Centre("Only Node");
  EXPECT_NEAR(x2 - x, 40, 12);
  EXPECT_NEAR(y2 - y, -20, 12);
}

TEST_F(NodeGraphTest, OneSidedLinksAndIdsOfNoObjectAreMarkedInRed) {
  GameObject* a = PlaceNode("A Node", -1, 0);
  GameObject* b = PlaceNode("B Node", 1, 0);
  GameObject* c = PlaceNode("C Node", -1, -2);
  GameObject* d = PlaceNode("D Node", 1, -2);
  Link(a, b);                                        // both ways: not red
  c->Get<GameNode>("GameNode")->RightID = d->m_Self; // one way: red
  a->Get<GameNode>("GameNode")->UpID = 77;           // no such object: red
  ShowGraph();
  auto [ax, ay] = Centre("A Node");
  auto [bx, by] = Centre("B Node");
  auto [cx, cy] = Centre("C Node");
  auto [dx, dy] = Centre("D Node");
  Frame(true);
  const Rgb red{255, 0, 0};
  EXPECT_FALSE(AnyNear((ax + bx) / 2, (ay + by) / 2, red));
  EXPECT_TRUE(AnyNear((ax + bx) / 2, (ay + by) / 2, {200, 200, 100}));
  EXPECT_TRUE(AnyNear((cx + dx) / 2, (cy + dy) / 2, red));
  EXPECT_TRUE(AnyNear(ax, ay - 40, red)) << "a stub upwards for the missing id";
}

TEST_F(NodeGraphTest, ContextMenuRenamesDeletesCopiesAndPastes) {
  GameObject* a = PlaceNode("A Node", 0, 0);
  GameObject* b = PlaceNode("B Node", 0, -2);
  Link(a, b);
  ShowGraph();
  auto [ax, ay] = Centre("A Node");
  ClickAt(ax, ay, SDL_BUTTON_RIGHT);
  ASSERT_TRUE(Click("Node Graph/context_menu/Copy"));
  ClickAt(ax, ay, SDL_BUTTON_RIGHT);
  size_t before = main->objects.size();
  ASSERT_TRUE(Click("Node Graph/context_menu/Paste"));
  ASSERT_EQ(main->objects.size(), before + 1);
  GameObject* copy = main->objects.back();
  EXPECT_EQ(copy->m_Name, "A Node");
  EXPECT_NE(copy->m_Self, a->m_Self);
  EXPECT_EQ(copy->Get<GameNode>("GameNode")->RightID, -1) << "the copy is unlinked";
  EXPECT_FLOAT_EQ(copy->Get<Transform>("Transform")->translation_.x_, 1.0f);

  auto [bx, by] = Centre("B Node");
  ClickAt(bx, by, SDL_BUTTON_RIGHT);
  ASSERT_TRUE(Click("Node Graph/context_menu/Rename.."));
  ASSERT_TRUE(Type("Node Graph/Rename Node/New Name", "Exit Node"));
  ASSERT_TRUE(Click("Node Graph/Rename Node/Modify"));
  EXPECT_EQ(b->m_Name, "Exit Node") << editor->message;

  auto [ex, ey] = Centre("Exit Node");
  ClickAt(ex, ey, SDL_BUTTON_RIGHT);
  ASSERT_TRUE(Click("Node Graph/context_menu/Delete"));
  Frame();
  EXPECT_EQ(main->GetObjectByName("Exit Node"), nullptr);
  EXPECT_EQ(a->Get<GameNode>("GameNode")->RightID, -1) << "links to the deleted node are cleared";
}

TEST_F(NodeGraphTest, DraggingANodeMovesItsObjectAsOneStep) {
  GameObject* node = PlaceNode("Moved Node", 0, 0);
  ShowGraph();
  size_t before = editor->history.UndoCount();
  ASSERT_TRUE(Drag("Node Graph/Node Moved Node", 120, 4));
  EXPECT_NEAR(node->Get<Transform>("Transform")->translation_.x_, 1.0f, 0.05f);
  EXPECT_EQ(editor->history.UndoCount(), before + 1);
}

TEST_F(NodeGraphTest, DebugDrawShowsOpenAndClosedLinksAndColliderOutlines) {
  GameObject* a = PlaceNode("A Node", -2, 0);
  GameObject* b = PlaceNode("B Node", 0, 0);
  GameObject* c = PlaceNode("C Node", 0, -2);
  Link(a, b);
  b->Get<GameNode>("GameNode")->DownID = c->m_Self;
  b->Get<GameNode>("GameNode")->DownLinked = false;
  c->Get<GameNode>("GameNode")->UpID = b->m_Self;
  c->Get<GameNode>("GameNode")->UpLinked = false;
  GameObject* wall = Place("Wall", -1, -3);
  auto* box = static_cast<BoxCollider*>(wall->AddComponent("BoxCollider"));
  box->width = 2.0f;
  box->height = 1.0f;
  OpenEditor();
  Frame(true);
  EXPECT_FALSE(AnyNear(PixelX(-1.0f), PixelY(0.0f), {0, 255, 0}));
  ASSERT_TRUE(Click("Debug Draw"));
  Frame(true);
  EXPECT_TRUE(AnyNear(PixelX(-1.0f), PixelY(0.0f), {0, 255, 0}));
  EXPECT_TRUE(AnyNear(PixelX(0.0f), PixelY(-1.0f), {255, 127, 0}) ||
              AnyNear(PixelX(0.0f), PixelY(-1.0f), {255, 128, 0}));
  EXPECT_TRUE(AnyNear(PixelX(0.0f), PixelY(-3.0f), {0, 255, 255}));
  EXPECT_TRUE(AnyNear(PixelX(-1.0f), PixelY(-2.5f), {0, 255, 255}));
  EXPECT_FALSE(AnyNear(PixelX(-1.0f), PixelY(-3.0f), {0, 255, 255}));
}

TEST_F(NodeGraphTest, ShowGridSitsInsideTheWindowAndTurnsTheGridOff) {
  PlaceNode("Only Node", 0, 0);
  ShowGraph();
  const EditorUi::ProbeItem* grid = Find("Node Graph/Show grid");
  ASSERT_NE(grid, nullptr);
  EXPECT_LE(grid->x1, grid->wx1) << "the checkbox is cut off by the window's right edge";
  EXPECT_EQ(grid->text, "true");
  const EditorUi::ProbeItem* found = Find("Node Graph/Canvas");
  ASSERT_NE(found, nullptr);
  // A copy: the probe's records are made again each frame.
  const EditorUi::ProbeItem canvas = *found;
  // Pixels of a canvas row near its top, away from the node, that are not the canvas colour:
  // only grid lines are drawn there.
  auto gridPixels = [&] {
    // The pointer (ImGui draws it) is taken to the canvas's far corner.
    PushMotion(static_cast<int>(canvas.x1) - 10, static_cast<int>(canvas.y1) - 30);
    Frame();
    Frame(true);
    int y = static_cast<int>(canvas.y0) + 12;
    Rgb background{40, 44, 54};
    int lit = 0;
    for (int x = static_cast<int>(canvas.x0) + 4; x < static_cast<int>(canvas.x1) - 4; ++x)
      lit += Pixel(x, y) == background ? 0 : 1;
    return lit;
  };
  EXPECT_GT(gridPixels(), 2);
  ASSERT_TRUE(Click("Node Graph/Show grid"));
  EXPECT_EQ(Shown("Node Graph/Show grid"), "false");
  EXPECT_EQ(gridPixels(), 0);
}
