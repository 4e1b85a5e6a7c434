// The document generator's check: it passes on documents that match the engine and fails, naming
// the file, the line and how to regenerate, on ones that do not.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

int RunGenerator(const std::string& arguments, std::string& output) {
  output.clear();
  std::string command = std::string("\"") + VANTIX_GEN_API_DOCS + "\" " + arguments + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output.append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class GenApiDocs : public ::testing::Test {
protected:
  void SetUp() override {
    // The generator reads the hand-written part of levels.md from the docs folder. Generated
    // from the engine, the files then match it whatever the committed ones say.
    dir.Write("docs/levels.md", "# Levels\n\nintro\n\n"
                                "<!-- begin generated: stored members (tools/gen_api_docs) -->\n"
                                "<!-- end generated: stored members -->\n\nnotes after\n");
    std::string output;
    ASSERT_EQ(RunGenerator("docs", output), 0) << output;
    api = dir.Read("docs/script-api.md");
    levels = dir.Read("docs/levels.md");
  }
  void WriteLevelsWithMarkers() {
    dir.Write("docs/levels.md", "# Levels\n\nintro\n\n"
                                "<!-- begin generated: stored members (tools/gen_api_docs) -->\n"
                                "old table\n"
                                "<!-- end generated: stored members -->\n\nnotes after\n");
  }
  ScratchDir dir;
  std::string api;
  std::string levels;
};

TEST_F(GenApiDocs, WritesTheReferenceAndTheMemberTablesKeepingTheProse) {
  EXPECT_NE(api.find("### Namespace `Input`"), std::string::npos);
  EXPECT_NE(api.find("| `KeyIsDown` | function | (integer) → boolean |"), std::string::npos);
  EXPECT_NE(api.find("| `Translation` | property | Vector2D | rw |"), std::string::npos);
  EXPECT_NE(api.find("| `Owner` | property | GameObject | ro |"), std::string::npos);
  EXPECT_NE(api.find("| `Left` | constant | integer | ro | 80 |"), std::string::npos);
  // Sections in registration order: script components first, sounds last.
  EXPECT_LT(api.find("## 1. Script components"), api.find("## 12. Game objects"));
  EXPECT_LT(api.find("## 12. Game objects"), api.find("## 27. Sounds"));

  EXPECT_EQ(levels.rfind("# Levels\n\nintro\n\n", 0), 0u);
  EXPECT_NE(levels.find("| `Transform` | `translation_ Vector2D`, `scale_ Vector2D`, "
                        "`rotation_ float`, `z_order int` |"),
            std::string::npos);
  EXPECT_NE(levels.find("| `glm::vec4` | `x float`, `y float`, `z float`, `w float` |"),
            std::string::npos);
  EXPECT_NE(levels.find("<!-- end generated: stored members -->\n\nnotes after\n"),
            std::string::npos);
}

TEST_F(GenApiDocs, RegeneratingReplacesTheOldTablesAndChangesNothingElse) {
  WriteLevelsWithMarkers();
  std::string output;
  ASSERT_EQ(RunGenerator("docs", output), 0) << output;
  std::string again = dir.Read("docs/levels.md");
  EXPECT_EQ(again.find("old table"), std::string::npos);
  EXPECT_EQ(again, levels);
  EXPECT_EQ(dir.Read("docs/script-api.md"), api);
}

TEST_F(GenApiDocs, TheCheckPassesOnMatchingFilesAndNamesTheLineThatDiffers) {
  std::string output;
  EXPECT_EQ(RunGenerator("--check check docs", output), 0) << output;

  std::string changed = api;
  size_t at = changed.find("| `KeyIsDown` | function");
  ASSERT_NE(at, std::string::npos);
  changed.replace(at, 13, "| `KeyIsHeld`");
  dir.Write("docs/script-api.md", changed);
  EXPECT_EQ(RunGenerator("--check check docs", output), 1);
  EXPECT_NE(output.find("script-api.md: differs from the generated file at line"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("committed: | `KeyIsHeld`"), std::string::npos) << output;
  EXPECT_NE(output.find("regenerate them with: build/tools/gen_api_docs"), std::string::npos);
  // The committed file is left as it was; the fresh one is in the check folder.
  EXPECT_EQ(dir.Read("docs/script-api.md"), changed);
  EXPECT_EQ(dir.Read("check/script-api.md"), api);
}

TEST_F(GenApiDocs, AStaleMemberTableOrAMissingFileFailsTheCheck) {
  WriteLevelsWithMarkers();
  std::string output;
  EXPECT_EQ(RunGenerator("--check check docs", output), 1);
  EXPECT_NE(output.find("levels.md: differs from the generated file"), std::string::npos) << output;

  fs::remove(dir.Path() / "docs/script-api.md");
  EXPECT_EQ(RunGenerator("--check check docs", output), 1);
  EXPECT_NE(output.find("script-api.md: missing"), std::string::npos) << output;
}

TEST_F(GenApiDocs, LevelsWithoutTheMarkersAreReportedAndLeftAlone) {
  dir.Write("docs/levels.md", "# Levels\n\nno markers here\n");
  std::string output;
  EXPECT_EQ(RunGenerator("docs", output), 1);
  EXPECT_NE(output.find("levels.md: the marker lines"), std::string::npos) << output;
  EXPECT_EQ(dir.Read("docs/levels.md"), "# Levels\n\nno markers here\n");
}

} // namespace
