// A designer builds a small level from an empty one with the editor alone (nodes, links, an end
// node, a player and a patrol), saves it and loads it back. With VANTIX_EDITOR_SCREENSHOT set,
// the editor's picture at the end is saved there as PNG.
#include <cstdlib>
#include <stb_image_write.h>

#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "editor/EditorFixture.h"

class DesignerTest : public EditorTest {
protected:
  // Ctrl+click on a drag field turns it into a text field; the typed value replaces the old.
  void EnterValue(const std::string& key, const std::string& value) {
    PushKey(true, SDLK_LCTRL, KMOD_LCTRL);
    ASSERT_TRUE(Click(key));
    PushKey(false, SDLK_LCTRL);
    Frame();
    Tap(SDLK_a, true);
    PushText(value);
    Frame();
    Tap(SDLK_RETURN);
    Frame();
  }
  // "Create Empty Object", renamed, with the components added from its entry.
  GameObject* Make(const std::string& name, const std::vector<std::string>& components) {
    EXPECT_TRUE(Click("Create Empty Object"));
    GameObject* made = editor->Selected();
    EXPECT_TRUE(OpenEntry("Empty Object"));
    EXPECT_TRUE(Click("Empty Object/Change Name"));
    EXPECT_TRUE(Type("Empty Object/Change Name/New Name", name));
    EXPECT_TRUE(Click("Empty Object/Change Name/Modify"));
    EXPECT_TRUE(Click(name + "/Components"));
    for (const std::string& component : components)
      EXPECT_TRUE(Click(name + "/Add Components/" + component));
    // Closes the entry again, so the list stays short.
    EXPECT_TRUE(OpenEntry(name));
    EXPECT_TRUE(SelectInList(name));
    return made;
  }
  // The pickers offer each node by name, id and place, as a level's nodes often share a name.
  void Pick(const std::string& button, const std::string& popup, GameObject* target,
            const std::string& place) {
    ASSERT_TRUE(Click(button));
    ASSERT_TRUE(Click(popup + "/" + target->m_Name + " (" + std::to_string(target->m_Self) +
                      ") at " + place));
  }
};

TEST_F(DesignerTest, BuildsSavesAndLoadsASmallLevel) {
  OpenEditor();
  ASSERT_TRUE(Click("Files/New Level"));
  ASSERT_TRUE(main->objects.empty());

  GameObject* start = Make("Start Node", {"Transform", "GameNode"});
  GameObject* end = Make("End Node", {"Transform", "GameNode"});
  ASSERT_TRUE(start && end && end->GetComponent("Transform"));
  EnterValue("Transform/X Position", "2");
  ASSERT_FLOAT_EQ(end->Get<Transform>("Transform")->translation_.x_, 2.0f);
  ASSERT_TRUE(Click("Node Properties/EndNode"));
  Pick("Node Properties/Select Left Node", "Node Properties/Select Left Connection", start,
       "(0, 0)");

  GameObject* player = Make("Player", {"Transform", "Player"});
  ASSERT_TRUE(Type("Player/Starting Credits", "3"));
  ASSERT_TRUE(Type("Player/Level Number", "1"));
  Tap(SDLK_RETURN);
  GameObject* guard = Make("Guard", {"Transform", "Patrol"});
  ASSERT_TRUE(player && guard && guard->GetComponent("Patrol"));
  EnterValue("Transform/X Position", "2");
  Pick("Enemy Patrol/Select Node", "Enemy Patrol/Select Starting Node", end, "(2, 0)");
  ASSERT_TRUE(Click("Enemy Patrol/Direction for Move"));
  ASSERT_TRUE(Click("Enemy Patrol/Direction for Move/Left"));

  ASSERT_TRUE(Click("Files/Save"));
  ASSERT_TRUE(Type("Files/Save?/Level Name", "Walkthrough"));
  ASSERT_TRUE(Click("Files/Save?/Save"));
  ASSERT_EQ(main->LevelName, "Walkthrough.level") << editor->message;
  int startId = start->m_Self, endId = end->m_Self;
  (void)player;
  (void)guard;

  // Loaded back into an emptied editor.
  ASSERT_TRUE(Click("Files/New Level"));
  ASSERT_TRUE(main->objects.empty());
  ASSERT_TRUE(Click("Files/Load Level"));
  ASSERT_TRUE(Click("Files/Load Level/Walkthrough.level"));
  Frame();
  GameObject* s = main->GetObjectByName("Start Node");
  GameObject* e = main->GetObjectByName("End Node");
  GameObject* p = main->GetObjectByName("Player");
  GameObject* g = main->GetObjectByName("Guard");
  ASSERT_TRUE(s && e && p && g);
  EXPECT_EQ(s->m_Self, startId);
  EXPECT_EQ(e->m_Self, endId);
  EXPECT_EQ(s->Get<GameNode>("GameNode")->RightID, endId);
  EXPECT_EQ(e->Get<GameNode>("GameNode")->LeftID, startId);
  EXPECT_TRUE(e->Get<GameNode>("GameNode")->EndNode);
  EXPECT_FALSE(s->Get<GameNode>("GameNode")->EndNode);
  EXPECT_EQ(p->Get<Player>("Player")->Credits, 3);
  EXPECT_EQ(p->Get<Player>("Player")->LevelNum, 1);
  EXPECT_EQ(g->Get<Patrol>("Patrol")->StartID, endId);
  EXPECT_EQ(g->Get<Patrol>("Patrol")->MoveDir, 3);
  EXPECT_FLOAT_EQ(g->Get<Transform>("Transform")->translation_.x_, 2.0f);

  ASSERT_TRUE(SelectInList("End Node"));
  ASSERT_TRUE(Click("Show Demo Window"));
  ASSERT_TRUE(Click("Debug Draw"));
  Frames(3);
  Frame(true);
  // The main window's title bar in the editor's grey-blue.
  const EditorUi::ProbeItem* line = Find("Current Space:");
  ASSERT_NE(line, nullptr);
  Rgb title = Pixel(static_cast<int>(line->wx0) + 250, static_cast<int>(line->wy0) + 6);
  EXPECT_GT(title.b, title.r + 20) << title;
  if (const char* path = std::getenv("VANTIX_EDITOR_SCREENSHOT"))
    stbi_write_png(path, frameWidth, frameHeight, 4, frame.data(), frameWidth * 4);
}
