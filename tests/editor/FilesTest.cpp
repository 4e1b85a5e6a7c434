// Saving, new levels, loading and archetypes from the editor, with its questions and checks.
#include <filesystem>
#include <unistd.h>

#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Meta/File.h"
#include "Meta/TextWriter.h"
#include "Objects/GameObject.h"
#include "editor/EditorFixture.h"

namespace fs = std::filesystem;

class FilesTest : public EditorTest {
protected:
  void SaveThroughTheModal(const std::string& name) {
    ASSERT_TRUE(Click("Files/Save"));
    ASSERT_TRUE(Type("Files/Save?/Level Name", name));
    ASSERT_TRUE(Click("Files/Save?/Save"));
  }
};

TEST_F(FilesTest, SaveWritesTheLevelUnderTheTypedNameAndLoadLevelReadsItBack) {
  Place("Keeper", 1, 2)->AddComponent("GameNode");
  OpenEditor();
  EXPECT_NE(Find("Files/Save"), nullptr);
  SaveThroughTheModal("Made");
  ASSERT_TRUE(fs::exists("Node Levels/Made.level"));
  EXPECT_EQ(dir->Read("Node Levels/Made.level"), ToStoredLineEnds(LevelText(*main)));
  EXPECT_EQ(main->LevelName, "Made.level");
  EXPECT_FALSE(editor->history.Dirty());

  main->Clear();
  ASSERT_TRUE(Click("Files/Load Level"));
  ASSERT_TRUE(Click("Files/Load Level/Made.level"));
  Frame();
  GameObject* back = main->GetObjectByName("Keeper");
  ASSERT_NE(back, nullptr);
  EXPECT_NE(back->GetComponent("GameNode"), nullptr);
}

TEST_F(FilesTest, AFailedSaveSaysSoAndKeepsTheOldFile) {
  dir->Write("Node Levels/Kept.level", "old level\r\n");
  // The temporary file beside the level cannot be made.
  fs::create_directories("Node Levels/Kept.level.saving-" + std::to_string(::getpid()));
  Place("New Thing", 0, 0);
  OpenEditor();
  SaveThroughTheModal("Kept.level");
  EXPECT_EQ(dir->Read("Node Levels/Kept.level"), "old level\r\n");
  EXPECT_EQ(Shown("Message").rfind("Save failed: ", 0), 0u) << Shown("Message");
  EXPECT_NE(main->LevelName, "Kept.level");
}

TEST_F(FilesTest, BadLevelNamesAreRefusedAndNothingIsWritten) {
  OpenEditor();
  for (const char* bad : {"../Escape", "sub/Level", ""}) {
    SaveThroughTheModal(bad);
    EXPECT_NE(Shown("Message").find("is refused"), std::string::npos) << bad;
  }
  EXPECT_FALSE(fs::exists("Escape.level"));
  EXPECT_FALSE(fs::exists("Node Levels/sub"));
  EXPECT_TRUE(fs::is_empty("Node Levels"));
}

TEST_F(FilesTest, NewLevelAsksOnlyWhenThereAreUnsavedChanges) {
  Place("Before", 0, 0);
  OpenEditor();
  ASSERT_TRUE(Click("Create Empty Object"));
  ASSERT_TRUE(Click("Files/New Level"));
  ASSERT_NE(Find("Files/Save Before Leaving?/Don't Save"), nullptr);
  ASSERT_TRUE(Click("Files/Save Before Leaving?/Cancel"));
  EXPECT_NE(main->GetObjectByName("Before"), nullptr);
  ASSERT_TRUE(Click("Files/New Level"));
  ASSERT_TRUE(Click("Files/Save Before Leaving?/Don't Save"));
  EXPECT_TRUE(main->objects.empty());
  EXPECT_EQ(main->LevelName, "");
  EXPECT_EQ(editor->history.UndoCount(), 0u);

  // Nothing unsaved now: no question.
  Place("Scripted", 0, 0);
  ASSERT_TRUE(Click("Files/New Level"));
  Frames(2);
  EXPECT_FALSE(Has("Files/Save Before Leaving?/Don't Save"));
  EXPECT_TRUE(main->objects.empty());
}

TEST_F(FilesTest, LeavingThroughSaveKeepsTheChangesInTheFileFirst) {
  dir->Write("Node Levels/Other.level", "Space\r\n{\r\n  m_Active bool true\r\n  Objects\r\n  {\r\n"
                                        "  }\r\n}\r\n");
  OpenEditor();
  ASSERT_TRUE(Click("Create Empty Object"));
  ASSERT_TRUE(Click("Files/Load Level"));
  ASSERT_TRUE(Click("Files/Load Level/Other.level"));
  ASSERT_TRUE(Type("Files/Save Before Leaving?/Level Name", "Draft"));
  ASSERT_TRUE(Click("Files/Save Before Leaving?/Save"));
  Frame();
  EXPECT_NE(dir->Read("Node Levels/Draft.level").find("Empty Object"), std::string::npos);
  EXPECT_EQ(main->LevelName, "Other.level");
  EXPECT_EQ(main->GetObjectByName("Empty Object"), nullptr);
  EXPECT_EQ(editor->history.UndoCount(), 0u);
}

TEST_F(FilesTest, ArchetypesAreMadeFromAnObjectAndInstantiatedFromTheList) {
  GameObject* crate = Place("Crate", 4, 5);
  crate->AddComponent("RigidBody");
  OpenEditor();
  ASSERT_TRUE(Click("Archetype Menu"));
  ASSERT_TRUE(Click("Archetype Menu/Create New Archetype From Object List"));
  ASSERT_TRUE(Type("Archetype Menu/Name of File", "../Crate"));
  ASSERT_TRUE(
      Click("Archetype Menu/Choose Name of Archetype/Crate##" + std::to_string(crate->m_Self)));
  EXPECT_FALSE(fs::exists("Crate.archetype"));
  EXPECT_NE(Shown("Message").find("is refused"), std::string::npos);
  ASSERT_TRUE(Type("Archetype Menu/Name of File", "Crate"));
  ASSERT_TRUE(
      Click("Archetype Menu/Choose Name of Archetype/Crate##" + std::to_string(crate->m_Self)));
  ASSERT_TRUE(fs::exists("Archetypes/Crate.archetype"));
  EXPECT_EQ(crate->m_ArchetypeName, "Crate");

  ASSERT_TRUE(Click("Archetype Menu/Create Archetype Instance"));
  size_t before = main->objects.size();
  ASSERT_TRUE(Click("Archetype Menu/Crate"));
  ASSERT_EQ(main->objects.size(), before + 1);
  GameObject* made = main->objects.back();
  EXPECT_EQ(made->m_ArchetypeName, "Crate");
  EXPECT_NE(made->GetComponent("RigidBody"), nullptr);
  EXPECT_NE(made->m_Self, crate->m_Self);
  EXPECT_EQ(editor->Selected(), made);
}

TEST_F(FilesTest, ALevelOrAnArchetypeThatCannotBeReadIsReportedInTheEditor) {
  dir->Write("Node Levels/Broken.level", "Space\r\n{\r\n  m_Active bool tru");
  dir->Write("Archetypes/Garbled.archetype", "GameObject\r\n{\r\n  m_Name std::string\r\n");
  OpenEditor();
  testing::internal::CaptureStderr(); // the reader's own reports
  ASSERT_TRUE(Click("Archetype Menu"));
  ASSERT_TRUE(Click("Archetype Menu/Create Archetype Instance"));
  ASSERT_TRUE(Click("Archetype Menu/Garbled"));
  EXPECT_TRUE(editor->messageIsError) << editor->message;
  EXPECT_NE(editor->message.find("Garbled.archetype"), std::string::npos) << editor->message;

  ASSERT_TRUE(Click("Files/Load Level"));
  ASSERT_TRUE(Click("Files/Load Level/Broken.level"));
  if (Has("Files/Save Before Leaving?/Don't Save")) {
    ASSERT_TRUE(Click("Files/Save Before Leaving?/Don't Save"));
  }
  Frames(2);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(main->LevelName, "Broken.level");
  EXPECT_TRUE(editor->messageIsError) << editor->message;
  EXPECT_NE(editor->message.find("Broken.level"), std::string::npos) << editor->message;
  EXPECT_EQ(editor->message.find("Loaded"), std::string::npos) << editor->message;

  // A level read whole says so.
  dir->Write("Node Levels/Whole.level", "Space\r\n{\r\n  m_Active bool true\r\n  Objects\r\n  {\r\n"
                                        "  }\r\n}\r\n");
  ASSERT_TRUE(Click("Files/Load Level/Whole.level"));
  Frames(2);
  EXPECT_FALSE(editor->messageIsError) << editor->message;
  EXPECT_EQ(editor->message, "Loaded Node Levels\\Whole.level");
}

// A level that was not read whole, however it came (here the game loaded it), is pointed out,
// and saving over its file asks to be done twice: what was not read would be lost.
TEST_F(FilesTest, SavingOverALevelThatWasNotReadWholeIsAskedTwice) {
  const std::string broken = "Space\r\n{\r\n  m_Active bool true\r\n  Objects\r\n  {\r\n"
                             "    GameObject\r\n    {\r\n      m_Active bool true\r\n"
                             "      m_Self int 0\r\n      m_ArchetypeName std::string \"\"\r\n"
                             "      m_Name std::string \"Kept\"\r\n      Children\r\n      {\r\n"
                             "      }\r\n      Components\r\n      {\r\n"
                             "        Component GameNodeX\r\n        {\r\n        }\r\n"
                             "      }\r\n    }\r\n  }\r\n}\r\n";
  dir->Write("Node Levels/Typo.level", broken);
  testing::internal::CaptureStderr(); // the reader's own reports
  main->LoadLevel("Node Levels\\Typo.level");
  testing::internal::GetCapturedStderr();
  ASSERT_FALSE(main->loadProblem.empty());
  OpenEditor();
  EXPECT_TRUE(editor->messageIsError) << editor->message;
  EXPECT_NE(editor->message.find("Typo.level was not read whole"), std::string::npos)
      << editor->message;

  SaveThroughTheModal("Typo");
  EXPECT_EQ(dir->Read("Node Levels/Typo.level"), broken);
  EXPECT_TRUE(editor->messageIsError) << editor->message;
  EXPECT_NE(editor->message.find("save again to overwrite it"), std::string::npos)
      << editor->message;

  // Under another name it is saved at once; the original stays as it was.
  SaveThroughTheModal("Typo fixed");
  EXPECT_TRUE(fs::exists("Node Levels/Typo fixed.level"));
  EXPECT_EQ(dir->Read("Node Levels/Typo.level"), broken);

  // Asked again, the original is overwritten.
  main->LoadLevel("Node Levels\\Typo.level");
  testing::internal::CaptureStderr();
  Frame();
  testing::internal::GetCapturedStderr();
  SaveThroughTheModal("Typo");
  EXPECT_EQ(dir->Read("Node Levels/Typo.level"), broken);
  SaveThroughTheModal("Typo");
  EXPECT_NE(dir->Read("Node Levels/Typo.level"), broken);
  EXPECT_EQ(editor->message, "Saved Node Levels\\Typo.level");
  EXPECT_TRUE(main->loadProblem.empty());
}
