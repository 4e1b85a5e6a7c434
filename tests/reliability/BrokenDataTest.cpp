// Broken data through the real game: each case damages one file of a scratch copy of the data
// folder, runs the VANTIX program on it for a few frames and checks that it neither crashes nor
// hangs and that what it prints names the damaged file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reliability/Process.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

enum class Damage { Missing, Empty, Truncated, Garbage, Replace, LongLine };

struct BrokenCase {
  const char* name;     // the test's name
  const char* file;     // under data/
  Damage damage;        // how it is damaged
  const char* content;  // Replace: the new content
  const char* level;    // the level started on ("" for the splash)
  const char* expected; // what the output must contain (the file's name)
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void DamageFile(const fs::path& path, const BrokenCase& c) {
  std::string text = ReadAll(path);
  switch (c.damage) {
  case Damage::Missing:
    fs::remove(path);
    break;
  case Damage::Empty:
    WriteAll(path, "");
    break;
  case Damage::Truncated:
    WriteAll(path, text.substr(0, text.size() / 3));
    break;
  case Damage::Garbage: {
    std::string junk;
    unsigned x = 12345;
    for (int i = 0; i < 4096; ++i) {
      x = x * 1103515245u + 12345u;
      junk.push_back(static_cast<char>(x >> 16));
    }
    WriteAll(path, junk);
    break;
  }
  case Damage::Replace:
    WriteAll(path, c.content);
    break;
  case Damage::LongLine:
    WriteAll(path, std::string(1 << 20, 'x') + "\n" + text);
    break;
  }
}

// A level whose one script creates an instance of every archetype, since the game's own levels
// and scripts never read an archetype file while playing.
void AddArchetypeProbe(const fs::path& data) {
  WriteAll(data / "Scripts" / "ArchetypeProbe.lua",
           "function Initialize()\n"
           "  local main = Engine.GetSpaceByName(\"Main\")\n"
           "  for _, n in ipairs({\"Node\", \"Player\", \"Spark\"}) do\n"
           "    main:CreateArchetypeInstance(n)\n"
           "  end\n"
           "end\n");
  WriteAll(data / "Node Levels" / "ArchetypeProbe.level",
           "Space\n{\n  m_Active bool true\n  Objects\n  {\n    GameObject\n    {\n"
           "      m_Active bool true\n      m_Self int 0\n      m_ArchetypeName std::string \"\"\n"
           "      m_Name std::string \"Probe\"\n      Children\n      {\n      }\n"
           "      Components\n      {\n        Component LuaComponent\n        {\n"
           "          m_Name std::string \"ArchetypeProbe\"\n        }\n      }\n    }\n  }\n}\n");
}

struct Observed {
  ProcessResult run;
  std::string frameRateAfter;
};

Observed RunCase(const BrokenCase& c) {
  ScratchDir scratch;
  fs::path data = scratch.Path() / "data";
  fs::copy(VANTIX_SOURCE_DIR "/data", data, fs::copy_options::recursive);
  WriteAll(data / "FrameRate.txt", "999");
  AddArchetypeProbe(data);
  DamageFile(data / c.file, c);
  std::vector<std::string> env = {
      "VANTIX_EXIT_AFTER_SECONDS=0.4", "LIBGL_ALWAYS_SOFTWARE=1", "ALSOFT_DRIVERS=null",
      "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0", std::string("VANTIX_START_LEVEL=") + c.level};
  Observed o;
  o.run = RunBounded({VANTIX_GAME}, data.string(), env, 20);
  o.frameRateAfter = ReadAll(data / "FrameRate.txt");
  return o;
}

// With VANTIX_BROKEN_DATA_TABLE=<file>, each case adds its row of the table in docs/.
void Record(const BrokenCase& c, const Observed& o) {
  const char* table = std::getenv("VANTIX_BROKEN_DATA_TABLE");
  if (!table)
    return;
  std::string first = o.run.output.substr(0, o.run.output.find('\n'));
  if (first.size() > 160)
    first = first.substr(0, 160) + "...";
  for (char& ch : first)
    if (ch == '|')
      ch = '/';
  std::ofstream out(table, std::ios::app);
  out << "| " << c.file << " | " << c.name << " | "
      << (o.run.signal     ? "signal " + std::to_string(o.run.signal)
          : o.run.timedOut ? "hung"
                           : "exit " + std::to_string(o.run.exitStatus))
      << " | " << (first.empty() ? "(nothing)" : "`" + first + "`") << " |\n";
}

void Check(const BrokenCase& c) {
  VANTIX_NEED_DISPLAY(std::getenv("DISPLAY") != nullptr, "the game needs a display");
  Observed o = RunCase(c);
  Record(c, o);
  ASSERT_TRUE(o.run.started);
  EXPECT_FALSE(o.run.timedOut) << "the game hung on " << c.name << ":\n" << o.run.output;
  EXPECT_EQ(o.run.signal, 0) << "the game crashed on " << c.name << ":\n" << o.run.output;
  if (c.damage == Damage::Missing && std::string(c.file) == "FrameRate.txt")
    EXPECT_EQ(o.frameRateAfter, "60") << "a missing frame-rate file is made again with 60";
  else
    EXPECT_NE(o.run.output.find(c.expected), std::string::npos)
        << "nothing names " << c.expected << " for " << c.name << ":\n"
        << o.run.output.substr(0, 2000);
}

const char* kLevel = "Node Levels/Level01.level";
const char* kArchetype = "Archetypes/Node.archetype";
const char* kScript = "Scripts/NodeScript.lua";
const char* kShader = "Graphics/Shaders/FSSprite.glsl";
const char* kArtList = "Graphics/Art/sahatmftu.txt";
const char* kBank = "Sounds/Tovel/Master Bank.bank";
const char* kImage = "Graphics/Art/kelvo_logo.png";

const BrokenCase kCases[] = {
    {"FrameRateMissing", "FrameRate.txt", Damage::Missing, "", "", "FrameRate.txt"},
    {"FrameRateEmpty", "FrameRate.txt", Damage::Empty, "", "", "FrameRate.txt"},
    {"FrameRateGarbage", "FrameRate.txt", Damage::Garbage, "", "", "FrameRate.txt"},
    {"FrameRateNegative", "FrameRate.txt", Damage::Replace, "-30", "", "FrameRate.txt"},
    {"FrameRateNaN", "FrameRate.txt", Damage::Replace, "NaN", "", "FrameRate.txt"},
    {"FrameRateZero", "FrameRate.txt", Damage::Replace, "0", "", "FrameRate.txt"},
    {"FrameRateLongLine", "FrameRate.txt", Damage::LongLine, "", "", "FrameRate.txt"},
    {"LevelMissing", kLevel, Damage::Missing, "", "Level01.level", "Level01.level"},
    {"LevelEmpty", kLevel, Damage::Empty, "", "Level01.level", "Level01.level"},
    {"LevelTruncated", kLevel, Damage::Truncated, "", "Level01.level", "Level01.level"},
    {"LevelGarbage", kLevel, Damage::Garbage, "", "Level01.level", "Level01.level"},
    {"LevelLongLine", kLevel, Damage::LongLine, "", "Level01.level", "Level01.level"},
    {"LevelAbsurdCount", kLevel, Damage::Replace,
     "Space\n{\n  m_Active bool true\n  Objects\n  {\n    GameObject\n    {\n"
     "      m_Active bool true\n      m_Self int 2147483648\n",
     "Level01.level", "Level01.level"},
    {"LevelNonAsciiName", kLevel, Damage::Missing, "", "Lev\xc3\xa9l\xff.level", "Lev\xc3\xa9l"},
    {"ArchetypeMissing", kArchetype, Damage::Missing, "", "ArchetypeProbe.level", "Node"},
    {"ArchetypeEmpty", kArchetype, Damage::Empty, "", "ArchetypeProbe.level", "Node"},
    {"ArchetypeTruncated", kArchetype, Damage::Truncated, "", "ArchetypeProbe.level", "Node"},
    {"ArchetypeGarbage", kArchetype, Damage::Garbage, "", "ArchetypeProbe.level", "Node"},
    {"ScriptMissing", kScript, Damage::Missing, "", "Level01.level", "NodeScript"},
    {"ScriptTruncated", kScript, Damage::Truncated, "", "Level01.level", "NodeScript"},
    {"ScriptGarbage", kScript, Damage::Garbage, "", "Level01.level", "NodeScript"},
    {"ScriptRuntimeError", kScript, Damage::Replace,
     "function Initialize() local x = nil; x.y = 1 end\n", "Level01.level", "NodeScript"},
    {"ShaderMissing", kShader, Damage::Missing, "", "", "FSSprite.glsl"},
    {"ShaderEmpty", kShader, Damage::Empty, "", "", "FSSprite.glsl"},
    {"ShaderTruncated", kShader, Damage::Truncated, "", "", "FSSprite.glsl"},
    {"ShaderGarbage", kShader, Damage::Garbage, "", "", "FSSprite.glsl"},
    // The missing list's message is fixed by the art list format and names no file.
    {"ArtListMissing", kArtList, Damage::Missing, "", "", "Failed to open the art asset file"},
    {"ArtListGarbage", kArtList, Damage::Garbage, "", "", "sahatmftu.txt"},
    {"ArtListAbsurdNumbers", kArtList, Damage::Replace, "kelvo_logo.png s -5 1e30 NaN\n", "",
     "sahatmftu.txt"},
    {"ArtListLongLine", kArtList, Damage::LongLine, "", "", "sahatmftu.txt"},
    {"BankMissing", kBank, Damage::Missing, "", "", "Master Bank.bank"},
    {"BankEmpty", kBank, Damage::Empty, "", "", "Master Bank.bank"},
    {"BankTruncated", kBank, Damage::Truncated, "", "", "Master Bank.bank"},
    {"BankGarbage", kBank, Damage::Garbage, "", "", "Master Bank.bank"},
};

// Images do not report their faults yet; these cases say what each should print.
const BrokenCase kImageCases[] = {
    {"ImageMissing", kImage, Damage::Missing, "", "", "kelvo_logo.png"},
    {"ImageEmpty", kImage, Damage::Empty, "", "", "kelvo_logo.png"},
    {"ImageTruncated", kImage, Damage::Truncated, "", "", "kelvo_logo.png"},
    {"ImageGarbage", kImage, Damage::Garbage, "", "", "kelvo_logo.png"},
    {"ImageZeroFrames", kArtList, Damage::Replace, "kelvo_logo.png s 256 0 0\n", "",
     "kelvo_logo.png"},
};

class BrokenData : public testing::TestWithParam<BrokenCase> {};
class BrokenImage : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenData, ReportsTheFileWithoutCrashOrHang) {
  Check(GetParam());
}
TEST_P(BrokenImage, DISABLED_ReportsTheFileWithoutCrashOrHang) {
  Check(GetParam());
}

std::string CaseName(const testing::TestParamInfo<BrokenCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenData, testing::ValuesIn(kCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Images, BrokenImage, testing::ValuesIn(kImageCases), CaseName);

} // namespace
