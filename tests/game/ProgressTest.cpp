// The progress and options file ("Progress.txt"), the options screen and level select, with
// the real scripts and real input events: values survive a restart of the engine, a malformed
// file is a fresh start with one message naming it, a failed write keeps the old file, and
// level select offers exactly the levels reached.
#include <algorithm>
#include <filesystem>

#include "Binding/Binding.h"
#include "GameFixture.h"
#include "Graphics/Font.h"
#include "Objects/GameObject.h"

namespace {

constexpr const char* kGood = "# VANTIX progress and options\nreached 3\nmusic 70\neffects 40\n"
                              "mute 1\nfullscreen 0\nend\n";

class ProgressTest : public GameTest {
protected:
  void SetUp() override {
    GameTest::SetUp();
    CopyGameData();
  }
  void Start() {
    StartEngine();
    // The window is full screen until a script toggles it; the headless engine has none.
    ASSERT_EQ(
        luaL_dostring(L, "__full = true Graphics = { IsFullScreen = function() return __full end, "
                         "ToggleFullScreen = function() __full = not __full return __full end }"),
        0);
  }
  void Restart() {
    StopEngine();
    Start();
  }
  std::string Get(const std::string& key) {
    return Eval("dofile('Scripts/lib/Progress.lua').Get()." + key);
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> lines;
    for (const std::string& line : Printed())
      if (line.rfind("Progress.txt", 0) == 0)
        lines.push_back(line);
    return lines;
  }
  bool Heard(const std::string& sound) {
    std::vector<std::string> heard = Sounds();
    return std::find(heard.begin(), heard.end(), sound) != heard.end();
  }
  std::string Selected(const char* object, const char* script) {
    lb::PushPtr(L, main->GetObjectByName(object)->GetLuaComponent(script));
    lua_setglobal(L, "screen");
    return Eval("screen.Selected");
  }
  int VisibleSlots() {
    int n = 0;
    for (int i = 1; i <= 16; ++i) {
      GameObject* item = main->GetObjectByName(("Item" + std::to_string(i)).c_str());
      if (item && item->Get<Font>("Font")->visible_)
        ++n;
    }
    return n;
  }
};

TEST_F(ProgressTest, AMissingFileIsAFreshStartAndReachingALevelIsKeptAcrossARestart) {
  Start();
  EXPECT_EQ(Get("reached"), "1");
  EXPECT_EQ(Get("music"), "100");
  EXPECT_TRUE(Messages().empty());
  Load("Level04.level");
  Frames(3);
  EXPECT_EQ(Get("reached"), "4");
  Load("Level02.level"); // going back never lowers it
  Frames(3);
  EXPECT_EQ(Get("reached"), "4");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Progress.txt.tmp"));

  Restart();
  EXPECT_EQ(Get("reached"), "4");
  Load("LevelSelect.level");
  Frames(2);
  EXPECT_EQ(VisibleSlots(), 4);
  EXPECT_EQ(main->GetObjectByName("Item4")->Get<Font>("Font")->GetText(), "4 WATCHMAN");
}

TEST_F(ProgressTest, SavedOptionsAreAppliedAtStart) {
  dir.Write("Progress.txt", kGood);
  Start();
  Load("splash_KelvoLogo.level");
  Frame();
  EXPECT_TRUE(Heard("SetMusicVolume:0.7"));
  EXPECT_TRUE(Heard("SetSFXVolume:0.4"));
  EXPECT_TRUE(Heard("SetSoundToggle:true"));
  EXPECT_EQ(Eval("__full"), "false");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ProgressTest, AMalformedFileIsAFreshStartWithOneMessageAndNoCrash) {
  const std::string cases[] = {
      "garbage \x01\x02\xff\n",
      "# VANTIX progress and options\nreached 3\nmusic 70\n", // cut short
      "reached 99999999999999999999\nmusic 70\neffects 40\nmute 1\nfullscreen 0\nend\n",
      "reached 3\nmusic loud\neffects 40\nmute 1\nfullscreen 0\nend\n",
      "reached 3\nmusic 170\neffects 40\nmute 1\nfullscreen 0\nend\n",
      "reached -2\nmusic 70\neffects 40\nmute 1\nfullscreen 0\nend\n",
      "reached 3\nreached 4\nmusic 70\neffects 40\nmute 1\nfullscreen 0\nend\n",
      "reached 3\nmusic 70\neffects 40\nmute 1\nend\n", // a field missing
      std::string(100000, '7'),
      "",
  };
  for (const std::string& text : cases) {
    dir.Write("Progress.txt", text);
    Start();
    EXPECT_EQ(Get("reached"), "1") << text.substr(0, 60);
    EXPECT_EQ(Get("music"), "100") << text.substr(0, 60);
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 1u) << text.substr(0, 60);
    EXPECT_NE(messages[0].find("start fresh"), std::string::npos) << messages[0];
    EXPECT_TRUE(Errors().empty()) << Errors().front();
    // The game goes on: the menu and a level load.
    Load("MainMenu.level");
    Frame();
    Load("Level01.level");
    Frames(2);
    EXPECT_EQ(State("Phase"), "idle");
    StopEngine();
  }
}

TEST_F(ProgressTest, TheMessageSaysWhereTheFileIsCutShortAndShowsRawBytesEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"# VANTIX progress and options\nreached 3\nmusic 70\neffe", "line 4 is cut short"},
      {"reached 3\nmusic 70\neffects ", "line 3 is cut short"},
      {"reached 3\nmusic 70\neffects 40\nmute 1\nfullscreen 0\nen", "line 6 is cut short"},
      {"reached 3\nmusic 70\nvolume", "line 3: not a setting (\"volume\")"},
      {std::string("\x7f"
                   "ELF\x01 \xff\n",
                   8),
       "line 1: not a setting (\"\\x7FELF\\x01 \\xFF\")"},
  };
  for (const auto& [text, problem] : cases) {
    dir.Write("Progress.txt", text);
    Start();
    EXPECT_EQ(Get("reached"), "1") << text;
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 1u) << text;
    EXPECT_EQ(messages[0],
              "Progress.txt: cannot be read (" + problem + "); progress and options start fresh");
    StopEngine();
  }
}

TEST_F(ProgressTest, AFailedWriteKeepsTheOldFile) {
  dir.Write("Progress.txt", kGood);
  std::filesystem::create_directories(dir.Path() / "Progress.txt.tmp"); // cannot be opened
  Start();
  Load("Level05.level");
  Frames(3);
  EXPECT_EQ(dir.Read("Progress.txt"), kGood);
  std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("not saved"), std::string::npos) << messages[0];
  EXPECT_EQ(Get("reached"), "5"); // this run still knows it
}

// A folder where the file should be: it is neither read nor replaced, and the messages say so
// of the file itself.
TEST_F(ProgressTest, AFolderInPlaceOfTheFileIsNamedAsSuchAndPlayGoesOn) {
  std::filesystem::create_directories(dir.Path() / "Progress.txt");
  Start();
  Load("Level05.level");
  Frames(3);
  std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].rfind("Progress.txt: cannot be read (", 0), 0u) << messages[0];
  EXPECT_EQ(messages[0].find("cut short"), std::string::npos) << messages[0];
  EXPECT_EQ(messages[1].rfind("Progress.txt: not saved: it cannot be replaced (", 0), 0u)
      << messages[1];
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Progress.txt.tmp"));
  EXPECT_EQ(Get("reached"), "5");
}

TEST_F(ProgressTest, OptionsChangeAtOnceAndAreKeptBetweenRuns) {
  Start();
  Load("MainMenu.level");
  Frame();
  Tap(SDLK_DOWN);
  Tap(SDLK_DOWN);
  Tap(SDLK_RETURN);
  Frame();
  ASSERT_EQ(LevelName(), "Options.level");
  Frame();
  ClearRecords();
  Tap(SDLK_LEFT); // music 100 -> 90
  Tap(SDLK_LEFT);
  EXPECT_TRUE(Heard("SetMusicVolume:0.8"));
  EXPECT_TRUE(Heard("PlaySound:hudbloop"));
  Tap(SDLK_DOWN);
  Tap(SDLK_a); // effects 90
  EXPECT_TRUE(Heard("SetSFXVolume:0.9"));
  Tap(SDLK_DOWN);
  Tap(SDLK_RETURN); // mute on
  EXPECT_TRUE(Heard("SetSoundToggle:true"));
  Tap(SDLK_DOWN);
  Tap(SDLK_SPACE); // full screen off
  EXPECT_EQ(Eval("__full"), "false");
  EXPECT_EQ(main->GetObjectByName("Item1")->Get<Font>("Font")->GetText(), "MUSIC 80%");
  EXPECT_EQ(main->GetObjectByName("Item4")->Get<Font>("Font")->GetText(), "FULL SCREEN OFF");
  Tap(SDLK_ESCAPE);
  Frame();
  EXPECT_EQ(LevelName(), "MainMenu.level");

  Restart();
  EXPECT_EQ(Get("music"), "80");
  EXPECT_EQ(Get("effects"), "90");
  EXPECT_EQ(Get("mute"), "1");
  EXPECT_EQ(Get("fullscreen"), "0");
  EXPECT_EQ(Eval("__full"), "false");
  EXPECT_TRUE(Heard("SetMusicVolume:0.8"));
  EXPECT_TRUE(Errors().empty()) << Errors().front();
}

TEST_F(ProgressTest, LevelSelectOffersTheLevelsReachedAndStartsTheChosenOne) {
  dir.Write("Progress.txt", kGood);
  Start();
  Load("MainMenu.level");
  Frame();
  Tap(SDLK_DOWN);
  Tap(SDLK_RETURN);
  Frame();
  ASSERT_EQ(LevelName(), "LevelSelect.level");
  Frame();
  EXPECT_EQ(VisibleSlots(), 3);
  EXPECT_EQ(Selected("Select", "LevelSelect"), "Level01.level");
  Tap(SDLK_UP); // wraps to Back
  EXPECT_EQ(Selected("Select", "LevelSelect"), "back");
  Tap(SDLK_UP);
  EXPECT_EQ(Selected("Select", "LevelSelect"), "Level03.level");
  ASSERT_EQ(luaL_dostring(L, "_G.VantixTotals = { turns = 9, found = 9 }"), 0);
  Tap(SDLK_RETURN);
  Frames(2);
  EXPECT_EQ(LevelName(), "Level03.level");
  EXPECT_EQ(Eval("_G.VantixTotals.turns .. ',' .. _G.VantixTotals.found"), "0,0");

  Load("LevelSelect.level");
  Frame();
  Tap(SDLK_ESCAPE);
  Frame();
  EXPECT_EQ(LevelName(), "MainMenu.level");
}

// Without a pars file, or with one that lists no level, the game still plays its levels in the
// order of their file names, with no par, and says so once a run, naming the file.
TEST_F(ProgressTest, WithoutAUsableParsFileTheLevelsGoByTheirFileNames) {
  const char* broken[] = {nullptr, "# the header alone\n\ngarbage \x01\xff\n"};
  for (const char* pars : broken) {
    if (pars)
      dir.Write("Node Levels/Pars.txt", pars);
    else
      std::filesystem::remove(dir.Path() / "Node Levels" / "Pars.txt");
    dir.Write("Progress.txt", kGood);
    Start();
    Load("LevelSelect.level");
    Frame();
    EXPECT_EQ(VisibleSlots(), 3);
    EXPECT_EQ(main->GetObjectByName("Item3")->Get<Font>("Font")->GetText(), "3");
    Load("Level01.level");
    Frames(3);
    EXPECT_EQ(Eval("Engine.GetHUDSpace():GetObjectByName('Par').Font.Text"), "PAR -");
    PlaySequence("right right down");
    Frames(120);
    EXPECT_EQ(LevelName(), "Level02.level");

    std::vector<std::string> told;
    for (const std::string& line : Printed())
      if (line.rfind("Node Levels/Pars.txt", 0) == 0)
        told.push_back(line);
    if (pars) {
      ASSERT_EQ(told.size(), 2u);
      EXPECT_EQ(told[0], "Node Levels/Pars.txt:3: not \"<number> <file> <par> <title>\": "
                         "\"garbage \\x01\\xFF\"; the line is skipped");
      EXPECT_EQ(told[1], "Node Levels/Pars.txt: lists no level; the levels go by their file names "
                         "and show no par");
    } else {
      ASSERT_EQ(told.size(), 1u);
      EXPECT_EQ(told[0], "Node Levels/Pars.txt: cannot be read; the levels go by their file names "
                         "and show no par");
    }
    EXPECT_TRUE(Errors().empty()) << Errors().front();
    StopEngine();
  }
}

// More levels reached than the screen's sixteen slots: pages of fifteen, each ending in "MORE".
TEST_F(ProgressTest, LevelSelectPagesThroughMoreLevelsThanItsSlots) {
  std::vector<std::pair<std::string, std::string>> sources;
  for (int n = 1; n <= 20; ++n)
    sources.push_back(
        {"level" + std::to_string(100 + n).substr(1) + ".txt",
         "level " + std::to_string(n) + "\ncredits 0\ngrid\nS-E\nend\nnode S start\nnode E end\n"});
  std::string made = MakeLevels(sources);
  ASSERT_NE(made.find("wrote Node Levels/Level20.level"), std::string::npos) << made;
  std::string progress = kGood;
  dir.Write("Progress.txt", progress.replace(progress.find("reached 3"), 9, "reached 20"));
  Start();
  Load("LevelSelect.level");
  Frame();
  EXPECT_EQ(VisibleSlots(), 16);
  EXPECT_EQ(Selected("Select", "LevelSelect"), "Level01.level");
  Tap(SDLK_UP); // Back
  Tap(SDLK_UP); // MORE, after the fifteenth level
  EXPECT_EQ(Selected("Select", "LevelSelect"), "more");
  Tap(SDLK_RETURN);
  Frame();
  EXPECT_EQ(LevelName(), "LevelSelect.level");
  EXPECT_EQ(VisibleSlots(), 6); // levels 16 to 20, then MORE
  EXPECT_EQ(Selected("Select", "LevelSelect"), "Level16.level");
  Tap(SDLK_UP);
  Tap(SDLK_UP);
  Tap(SDLK_RETURN); // back to the first page
  EXPECT_EQ(Selected("Select", "LevelSelect"), "Level01.level");
  Tap(SDLK_UP);
  Tap(SDLK_UP);
  Tap(SDLK_UP);
  ASSERT_EQ(Selected("Select", "LevelSelect"), "Level15.level");
  Tap(SDLK_RETURN);
  Frames(2);
  EXPECT_EQ(LevelName(), "Level15.level");
}

} // namespace
