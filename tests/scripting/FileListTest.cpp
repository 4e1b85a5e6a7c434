// Folder listings by extension.
#include <gtest/gtest.h>

#include <filesystem>

#include "Utilities/FileList.h"
#include "support/TestSupport.h"

namespace {

TEST(FileList, ListsFilesOfOneExtensionSortedByName) {
  ScratchDir dir;
  dir.Write("Node Levels/b.level", "");
  dir.Write("Node Levels/a.level", "");
  dir.Write("Node Levels/c.level.bak", "");
  dir.Write("Node Levels/notes.txt", "");
  std::filesystem::create_directories(dir.Path() / "Node Levels" / "dir.level");
  EXPECT_EQ(ListFiles("Node Levels/", "level"), (std::vector<std::string>{"a.level", "b.level"}));
  // Data paths may use backslashes.
  EXPECT_EQ(ListFiles("Node Levels\\", "txt"), (std::vector<std::string>{"notes.txt"}));
  EXPECT_TRUE(ListFiles("Missing/", "level").empty());
  EXPECT_TRUE(ListFiles("Node Levels/", "png").empty());
}

TEST(FileList, FolderWithoutSeparatorActsAsNamePrefix) {
  ScratchDir dir;
  dir.Write("Scripts/inside.lua", "");
  dir.Write("ScriptsExtra.lua", "");
  dir.Write("Other.lua", "");
  EXPECT_EQ(ListFiles("Scripts", "lua"), (std::vector<std::string>{"ScriptsExtra.lua"}));
  EXPECT_EQ(ListFiles("", "lua"), (std::vector<std::string>{"Other.lua", "ScriptsExtra.lua"}));
}

} // namespace
