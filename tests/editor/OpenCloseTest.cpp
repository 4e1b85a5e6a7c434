// Opening and closing the editor with the ` key, and which input still reaches the game.
#include "Core/Space.h"
#include "Editor/LevelEditor.h"
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
