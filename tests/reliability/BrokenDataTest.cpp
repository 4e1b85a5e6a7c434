// Broken data through the real game: each case damages one file of a scratch copy of the data
// folder, runs the VANTIX program on it for a few frames and checks that it neither crashes nor
// hangs and that what it prints names the damaged file. Where the damaged file is not needed to
// play (a sound, a bank, an odd but readable level), the game must also go on playing: a probe
// object added to "Level01.level" reports that the level's objects are there and its frames go
// by, and no script fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "reliability/Process.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

enum class Damage { Missing, Empty, Truncated, Garbage, Replace, LongLine, Edit };

// Edit: the damaged file's new text, made from its old text (and other files of the data folder).
using EditFunction = std::string (*)(const std::string& text, const fs::path& data);

struct BrokenCase {
  const char* name;     // the test's name
  const char* file;     // under data/
  Damage damage;        // how it is damaged
  const char* content;  // Replace: the new content
  const char* level;    // the level started on ("" for the splash)
  const char* expected; // what the output must contain (the file's name); "" for nothing
  bool plays = false;   // the game must go on playing "Level01.level" (then started on)
  EditFunction edit = nullptr;
  // When set, the game plays for 4 s and its memory may grow by at most this much from the
  // probe's first look to its last.
  int growthLimitMb = 0;
};

// Test names print as the case's name rather than as the bytes of the record.
void PrintTo(const BrokenCase& c, std::ostream* out) {
  *out << c.name;
}

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
  case Damage::Edit:
    WriteAll(path, c.edit(text, path.parent_path().parent_path()));
    break;
  }
}

// ---- Edits -------------------------------------------------------------------------------

const char* const kCrLf = "\r\n";

// A level's text with `objects` (whole GameObject blocks) added at the end of its objects.
std::string WithObjects(const std::string& level, const std::string& objects) {
  // The level ends with the brace of the objects and the brace of the space.
  size_t space = level.rfind('}');
  size_t list = space == std::string::npos ? space : level.rfind('}', space - 1);
  if (list == std::string::npos)
    return level + objects;
  size_t lineStart = level.rfind('\n', list);
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  return level.substr(0, lineStart) + objects + level.substr(lineStart);
}

// One GameObject block with a Transform and, when given, a script component; `children` goes
// inside its Children block.
std::string ObjectBlock(const std::string& name, const std::string& script,
                        const std::string& children = "") {
  std::string o = "    GameObject\r\n    {\r\n      m_Active bool true\r\n      m_Self int 0\r\n"
                  "      m_ArchetypeName std::string \"\"\r\n      m_Name std::string \"" +
                  name + "\"\r\n      Children\r\n      {\r\n" + children +
                  "      }\r\n      Components\r\n      {\r\n        Component Transform\r\n"
                  "        {\r\n          translation_ Vector2D\r\n          {\r\n"
                  "            x_ float 1.000000\r\n            y_ float 2.000000\r\n"
                  "            w_ float 1.000000\r\n          }\r\n        }\r\n";
  if (!script.empty())
    o += "        Component LuaComponent\r\n        {\r\n          m_Name std::string \"" + script +
         "\"\r\n        }\r\n";
  return o + "      }\r\n    }\r\n";
}

std::string Replaced(const std::string& text, const char* pattern, const char* with) {
  return std::regex_replace(text, std::regex(pattern), with);
}

std::string PositionsNaN(const std::string& text, const fs::path&) {
  return Replaced(Replaced(text, "x_ float [-0-9.]+", "x_ float nan"), "y_ float [-0-9.]+",
                  "y_ float -inf");
}
// Far outside any screen, and a float that does not fit a float at all.
std::string PositionsHuge(const std::string& text, const fs::path&) {
  return Replaced(Replaced(text, "x_ float [-0-9.]+", "x_ float 1e30"), "y_ float [-0-9.]+",
                  "y_ float -1e39");
}
// One object whose children nest 1000 deep, far past what the reader takes.
std::string DeepNesting(const std::string& text, const fs::path&) {
  std::string inner;
  for (int i = 0; i < 1000; ++i)
    inner = ObjectBlock("Deep" + std::to_string(i), "", inner);
  return WithObjects(text, ObjectBlock("DeepRoot", "", inner));
}
std::string ThousandsOfObjects(const std::string& text, const fs::path&) {
  std::string many;
  for (int i = 0; i < 5000; ++i)
    many += ObjectBlock("Crowd", "");
  return WithObjects(text, many);
}
// Links and a firewall of the node graph that name objects the level does not hold.
std::string DanglingIds(const std::string& text, const fs::path&) {
  return Replaced(Replaced(text, "RightID int [0-9]+", "RightID int 9999"), "FireWallID int -1",
                  "FireWallID int -77");
}
// The spark archetype gets an emitter of sparks: each spark it makes makes sparks.
std::string EmitsItself(const std::string& text, const fs::path& data) {
  std::string level = ReadAll(data / "Node Levels" / "Level01.level");
  size_t start = level.find("Component ParticleEmitter");
  start = level.rfind('\n', start) + 1;
  size_t end = level.find("\n        }", start);
  std::string emitter = level.substr(start, end + 11 - start) + "\r\n";
  size_t at = text.find("Components");
  at = text.find('\n', text.find('{', at)) + 1;
  return text.substr(0, at) + emitter + text.substr(at);
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

// The probe of "the game still plays": after 5 logic updates it prints what it sees.
void AddPlayProbe(const fs::path& data) {
  WriteAll(
      data / "Scripts" / "PlayProbe.lua",
      "local frames = 0\n"
      "function Initialize()\n"
      "  Events.GlobalLuaConnect(\"LogicUpdate\", this, \"OnLogicUpdate\")\n"
      "end\n"
      "function OnLogicUpdate()\n"
      "  frames = frames + 1\n"
      "  if frames % 100 == 5 then\n"
      "    local statm = io.open(\"/proc/self/statm\", \"r\")\n"
      "    if statm then\n"
      "      local _, resident = statm:read(\"*n\", \"*n\")\n"
      "      statm:close()\n"
      "      print(\"probe: rss_kb \" .. resident * 4)\n"
      "    end\n"
      "  end\n"
      "  if frames == 5 then\n"
      "    local space = this.Space\n"
      "    local nodes = space:GetObjectsByName(\"Node\")\n"
      "    local player = space:GetObjectByName(\"Player\")\n"
      "    print(\"probe: \" .. space.LevelName .. \" plays, \" .. (nodes and #nodes or 0) ..\n"
      "          \" nodes, player \" .. (player and player.Transform and \"placed\" or "
      "\"missing\"))\n"
      "  end\n"
      "end\n"
      "function Shutdown()\n"
      "end\n");
  // First of the objects, so that a level whose later objects are not read still has it.
  fs::path level = data / "Node Levels" / "Level01.level";
  std::string text = ReadAll(level);
  size_t at = text.find("Objects");
  at = at == std::string::npos ? at : text.find('\n', text.find('{', at));
  if (at != std::string::npos)
    WriteAll(level, text.insert(at + 1, ObjectBlock("Probe", "PlayProbe")));
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
  // Added to the damaged level, when the level is what was damaged.
  if (c.plays)
    AddPlayProbe(data);
  std::vector<std::string> env = {
      std::string("VANTIX_EXIT_AFTER_SECONDS=") + (c.growthLimitMb ? "4.0"
                                                   : c.plays       ? "1.0"
                                                                   : "0.4"),
      "LIBGL_ALWAYS_SOFTWARE=1", "ALSOFT_DRIVERS=null",
      "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0",
      std::string("VANTIX_START_LEVEL=") + (c.plays ? "Level01.level" : c.level)};
  Observed o;
  o.run = RunBounded({VANTIX_GAME}, data.string(), env, 20);
  o.frameRateAfter = ReadAll(data / "FrameRate.txt");
  return o;
}

// AddressSanitizer holds freed memory back in its quarantine (up to 256 MB), so there the
// process grows with every allocation freed, and its size says nothing about the game's.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kJudgeProcessMemory = false;
#else
constexpr bool kJudgeProcessMemory = true;
#endif

// The process sizes the play probe printed, in order.
std::vector<long> ProbedMemoryKb(const std::string& output) {
  std::vector<long> sizes;
  const std::string mark = "probe: rss_kb ";
  for (size_t at = output.find(mark); at != std::string::npos; at = output.find(mark, at + 1))
    sizes.push_back(std::atol(output.c_str() + at + mark.size()));
  return sizes;
}

// For a case whose memory is watched, how much the process grew while it played.
std::string MemoryNote(const BrokenCase& c, const Observed& o) {
  std::vector<long> rss = ProbedMemoryKb(o.run.output);
  if (!c.growthLimitMb || rss.size() < 2)
    return "";
  char note[64];
  std::snprintf(note, sizeof note, ", %+.1f MB in 4 s", (rss.back() - rss.front()) / 1024.0);
  return note;
}

// With VANTIX_BROKEN_DATA_TABLE=<file>, each case adds its row of the table in docs/.
void Record(const BrokenCase& c, const Observed& o) {
  const char* table = std::getenv("VANTIX_BROKEN_DATA_TABLE");
  if (!table)
    return;
  // The first line naming the file, else the first line.
  size_t at = *c.expected ? o.run.output.find(c.expected) : std::string::npos;
  at = at == std::string::npos ? 0 : o.run.output.rfind('\n', at);
  at = at == std::string::npos ? 0 : at + (o.run.output[at] == '\n');
  std::string first = o.run.output.substr(at, o.run.output.find('\n', at) - at);
  if (first.size() > 160)
    first = first.substr(0, 160) + "...";
  // Damaged files echo raw bytes: the table shows them as \xNN so the document stays plain text.
  std::string shown;
  for (char ch : first) {
    auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x20 || byte >= 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      shown += hex;
    } else {
      shown += ch == '|' ? '/' : ch;
    }
  }
  first = shown;
  std::ofstream out(table, std::ios::app);
  out << "| " << c.file << " | " << c.name << " | "
      << (o.run.signal     ? "signal " + std::to_string(o.run.signal)
          : o.run.timedOut ? "hung"
                           : "exit " + std::to_string(o.run.exitStatus))
      << " | " << (c.plays ? "yes" : "") << MemoryNote(c, o) << " | "
      << (first.empty() ? "(nothing)" : "`" + first + "`") << " |\n";
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
  if (c.plays) {
    EXPECT_NE(o.run.output.find("probe: Level01.level plays, 4 nodes, player placed"),
              std::string::npos)
        << "the game did not go on playing after " << c.name << ":\n"
        << o.run.output.substr(0, 3000);
    EXPECT_EQ(o.run.output.find("Error: "), std::string::npos)
        << "a script failed after " << c.name << ":\n"
        << o.run.output.substr(0, 3000);
  }
  if (c.growthLimitMb && kJudgeProcessMemory) {
    std::vector<long> rss = ProbedMemoryKb(o.run.output);
    ASSERT_GE(rss.size(), 2u) << o.run.output.substr(0, 3000);
    EXPECT_LT(rss.back() - rss.front(), c.growthLimitMb * 1024L)
        << c.name << ": memory grew from " << rss.front() << " KB to " << rss.back() << " KB";
  }
}

const char* kLevel = "Node Levels/Level01.level";
const char* kArchetype = "Archetypes/Node.archetype";
const char* kScript = "Scripts/NodeScript.lua";
const char* kShader = "Graphics/Shaders/FSSprite.glsl";
const char* kArtList = "Graphics/Art/sahatmftu.txt";
const char* kBank = "Sounds/Tovel/Master Bank.bank";
const char* kImage = "Graphics/Art/kelvo_logo.png";
const char* kMusic = "Sounds/Tovel/Main_Theme.ogg";
const char* kEffect = "Sounds/Tovel/Player_Move.ogg";
const char* kMusicBank = "Sounds/Tovel/Music.bank";
const char* kEffectBank = "Sounds/Tovel/Sound_Effects.bank";
const char* kStrings = "Sounds/Tovel/Master Bank.strings.bank";
const char* kSpark = "Archetypes/LinkSpark.archetype";

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
    {"ArtListMissing", kArtList, Damage::Missing, "", "", "sahatmftu.txt"},
    {"ArtListGarbage", kArtList, Damage::Garbage, "", "", "sahatmftu.txt"},
    {"ArtListAbsurdNumbers", kArtList, Damage::Replace, "kelvo_logo.png s -5 1e30 NaN\n", "",
     "sahatmftu.txt"},
    {"ArtListLongLine", kArtList, Damage::LongLine, "", "", "sahatmftu.txt"},
    {"BankMissing", kBank, Damage::Missing, "", "", "Master Bank.bank"},
    {"BankEmpty", kBank, Damage::Empty, "", "", "Master Bank.bank"},
    {"BankTruncated", kBank, Damage::Truncated, "", "", "Master Bank.bank"},
    {"BankGarbage", kBank, Damage::Garbage, "", "", "Master Bank.bank"},
    // Sounds and banks are not needed to play: the level goes on, silent where it must.
    {"MusicMissing", kMusic, Damage::Missing, "", "", "Main_Theme.ogg", true},
    {"MusicEmpty", kMusic, Damage::Empty, "", "", "Main_Theme.ogg", true},
    {"MusicGarbage", kMusic, Damage::Garbage, "", "", "Main_Theme.ogg", true},
    {"EffectMissing", kEffect, Damage::Missing, "", "", "Player_Move.ogg", true},
    {"EffectTruncated", kEffect, Damage::Truncated, "", "", "Player_Move.ogg", true},
    {"EffectGarbage", kEffect, Damage::Garbage, "", "", "Player_Move.ogg", true},
    {"MusicBankMissing", kMusicBank, Damage::Missing, "", "", "Music.bank", true},
    {"MusicBankTruncated", kMusicBank, Damage::Truncated, "", "", "Music.bank", true},
    {"MusicBankGarbage", kMusicBank, Damage::Garbage, "", "", "Music.bank", true},
    {"EffectBankEmpty", kEffectBank, Damage::Empty, "", "", "Sound_Effects.bank", true},
    {"EffectBankTruncated", kEffectBank, Damage::Truncated, "", "", "Sound_Effects.bank", true},
    {"StringsBankMissing", kStrings, Damage::Missing, "", "", "Master Bank.strings.bank", true},
    {"StringsBankEmpty", kStrings, Damage::Empty, "", "", "Master Bank.strings.bank", true},
    {"StringsBankTruncated", kStrings, Damage::Truncated, "", "", "Master Bank.strings.bank", true},
    {"StringsBankGarbage", kStrings, Damage::Garbage, "", "", "Master Bank.strings.bank", true},
    {"StringsBankLongLine", kStrings, Damage::LongLine, "", "", "Master Bank.strings.bank", true},
    // Levels that read but hold absurd values, or a shape far beyond the game's own.
    {"LevelNaN", kLevel, Damage::Edit, "", "", "Level01.level", true, &PositionsNaN},
    {"LevelHugeNumbers", kLevel, Damage::Edit, "", "", "Level01.level", true, &PositionsHuge},
    {"LevelDeepNesting", kLevel, Damage::Edit, "", "", "Level01.level", true, &DeepNesting},
    {"LevelThousandsOfObjects", kLevel, Damage::Edit, "", "", "", true, &ThousandsOfObjects},
    // The game's own check of the node graph skips such a level, naming it.
    {"LevelDanglingIds", kLevel, Damage::Edit, "", "Level01.level", "Level01.level", false,
     &DanglingIds},
    // Reported when the first spark is made; sparks on sparks make none, so memory stays put.
    {"ArchetypeEmitsItself", kSpark, Damage::Edit, "", "", "LinkSpark.archetype", true,
     &EmitsItself, 20},
};

// Each damaged image is reported once and its sprites draw untextured.
const BrokenCase kImageCases[] = {
    {"ImageMissing", kImage, Damage::Missing, "", "", "kelvo_logo.png"},
    {"ImageEmpty", kImage, Damage::Empty, "", "", "kelvo_logo.png"},
    {"ImageTruncated", kImage, Damage::Truncated, "", "", "kelvo_logo.png"},
    {"ImageGarbage", kImage, Damage::Garbage, "", "", "kelvo_logo.png"},
    {"ImageZeroFrames", kArtList, Damage::Replace, "kelvo_logo.png s 256 0 0\n", "",
     "kelvo_logo.png"},
};

// A truncated music stream is found when the music is loaded, not when the stream gets to the
// cut, and the music loops the part that decodes.
const BrokenCase kSoundCases[] = {
    {"MusicTruncated", kMusic, Damage::Truncated, "", "", "Main_Theme.ogg", true},
};

class BrokenData : public testing::TestWithParam<BrokenCase> {};
class BrokenImage : public testing::TestWithParam<BrokenCase> {};
class BrokenSound : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenData, ReportsTheFileWithoutCrashOrHang) {
  Check(GetParam());
}
TEST_P(BrokenImage, ReportsTheFileWithoutCrashOrHang) {
  Check(GetParam());
}
TEST_P(BrokenSound, ReportsTheFileWithoutCrashOrHang) {
  Check(GetParam());
}

// Without a usable video driver the game stops at start-up with SDL's reason, while the art
// list may still be decoding on its workers: the exit waits for them and nothing crashes.
TEST(StartUpFailure, NoVideoDriverExitsWithTheSdlMessage) {
  ScratchDir scratch;
  fs::path data = scratch.Path() / "data";
  fs::copy(VANTIX_SOURCE_DIR "/data", data, fs::copy_options::recursive);
  ProcessResult run = RunBounded({VANTIX_GAME}, data.string(),
                                 {"SDL_VIDEODRIVER=no_such_driver", "ALSOFT_DRIVERS=null",
                                  "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0"},
                                 20);
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.signal, 0) << run.output;
  EXPECT_EQ(run.exitStatus, 1) << run.output;
  EXPECT_NE(run.output.find("SDL could not intialize! SDL_error:"), std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("runtime error"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("AddressSanitizer"), std::string::npos) << run.output;
}

std::string CaseName(const testing::TestParamInfo<BrokenCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenData, testing::ValuesIn(kCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Images, BrokenImage, testing::ValuesIn(kImageCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Sounds, BrokenSound, testing::ValuesIn(kSoundCases), CaseName);

} // namespace
