// The game's screens with the real scripts and real input events: the splash fades and is
// skipped, the main menu moves its highlight over Play, Level Select, Options and Quit and
// starts the first level or quits, and the victory screen shows the run's totals and returns
// to the menu.
#include <algorithm>
#include <filesystem>

#include "GameFixture.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Input/Input.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"

namespace {

class ScreensTest : public GameTest {
protected:
  void SetUp() override {
    GameTest::SetUp();
    CopyGameData();
    StartEngine();
  }
  std::string Text(const char* object) {
    GameObject* found = main->GetObjectByName(object);
    Font* font = found ? found->Get<Font>("Font") : nullptr;
    return font ? font->GetText() : "<none>";
  }
  float LogoAlpha() {
    return static_cast<float>(main->GetObjectByName("Logo")->Get<Sprite>("Sprite")->GetAlpha());
  }
  float HighlightY() {
    return main->GetObjectByName("Highlight")->Get<Transform>("Transform")->translation_.y_;
  }
  float ItemY(const char* item) {
    return main->GetObjectByName(item)->Get<Transform>("Transform")->translation_.y_;
  }
};

TEST_F(ScreensTest, SplashFadesInThenOutAndGoesToTheMenuOnItsOwn) {
  Load("splash_KelvoLogo.level");
  Frames(15); // half a second (two logic updates a frame): half-way into the eased fade in
  float rising = LogoAlpha();
  EXPECT_GT(rising, 20.0f);
  EXPECT_LT(rising, 235.0f);
  Frames(30);
  EXPECT_GT(LogoAlpha(), 250.0f);
  EXPECT_EQ(LevelName(), "splash_KelvoLogo.level");
  Frames(100);
  EXPECT_EQ(LevelName(), "MainMenu.level");
  EXPECT_TRUE(Errors().empty()) << Errors().front();
}

TEST_F(ScreensTest, AnyKeyClickOrButtonSkipsTheSplash) {
  Load("splash_KelvoLogo.level");
  Frames(3);
  Tap(SDLK_x);
  Frame();
  EXPECT_EQ(LevelName(), "MainMenu.level");

  Load("splash_KelvoLogo.level");
  Frames(3);
  Click(100, 100);
  Frame();
  EXPECT_EQ(LevelName(), "MainMenu.level");

  Load("splash_KelvoLogo.level");
  Frames(3);
  PadDown(SDL_CONTROLLER_BUTTON_B);
  Frame();
  PadUp(SDL_CONTROLLER_BUTTON_B);
  Frame();
  EXPECT_EQ(LevelName(), "MainMenu.level");
}

TEST_F(ScreensTest, SplashThenMenuThenPlayStartsTheFirstLevelWithFreshTotals) {
  Load("splash_KelvoLogo.level");
  Frame();
  Tap(SDLK_SPACE);
  Frame();
  ASSERT_EQ(LevelName(), "MainMenu.level");
  Frame();
  EXPECT_FLOAT_EQ(HighlightY(), ItemY("Item1"));
  ASSERT_EQ(luaL_dostring(L, "_G.VantixTotals = { turns = 99, found = 7 }"), 0);
  Tap(SDLK_RETURN);
  Frame();
  EXPECT_EQ(LevelName(), "Level01.level");
  std::vector<std::string> log = LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "level start Level01.level"), log.end());
  EXPECT_EQ(Eval("_G.VantixTotals.turns .. ',' .. _G.VantixTotals.found"), "0,0");
  EXPECT_FALSE(engine->quit);
}

TEST_F(ScreensTest, MenuHighlightWrapsWithArrowsAndWSAndQuitEndsTheProgram) {
  Load("MainMenu.level");
  Frame();
  Tap(SDLK_DOWN);
  Frame();
  EXPECT_FLOAT_EQ(HighlightY(), ItemY("Item2"));
  Tap(SDLK_s);
  Tap(SDLK_s);
  Tap(SDLK_s); // past the last item back to the first
  Frame();
  EXPECT_FLOAT_EQ(HighlightY(), ItemY("Item1"));
  Tap(SDLK_w);
  Frame();
  EXPECT_FLOAT_EQ(HighlightY(), ItemY("Item4"));
  EXPECT_EQ(LevelName(), "MainMenu.level");
  Tap(SDLK_RETURN);
  Frame();
  EXPECT_TRUE(engine->quit);
  EXPECT_EQ(LevelName(), "MainMenu.level");
}

TEST_F(ScreensTest, AClickOnAnItemChoosesIt) {
  Load("MainMenu.level");
  Frame();
  // The default view is 10 units high in a 1280 x 720 window: 72 pixels a unit, origin centred.
  Click(640, 360 - static_cast<int>(ItemY("Item4") * 72.0f));
  Frame();
  EXPECT_TRUE(engine->quit);
  engine->quit = false;
  Load("MainMenu.level");
  Frame();
  Click(100, 700); // nowhere near an item
  Frame();
  EXPECT_FALSE(engine->quit);
  EXPECT_EQ(LevelName(), "MainMenu.level");
  Click(640, 360 - static_cast<int>(ItemY("Item1") * 72.0f));
  Frame();
  EXPECT_EQ(LevelName(), "Level01.level");
}

TEST_F(ScreensTest, VictoryShowsTheTotalsLogsOnceAndAnyKeyReturnsToTheMenu) {
  ASSERT_EQ(luaL_dostring(L, "_G.VantixTotals = { turns = 42, credits = 5, found = 3 }"), 0);
  Load("Victory.level");
  Frames(5);
  EXPECT_EQ(Text("Turns"), "TURNS 42");
  EXPECT_EQ(Text("Credits"), "CREDITS LEFT 5");
  EXPECT_EQ(Text("Found"), "TIMES FOUND 3");
  EXPECT_EQ(CountPrinted("game complete"), 1);
  Tap(SDLK_q);
  Frame();
  EXPECT_EQ(LevelName(), "MainMenu.level");
  Frames(5);
  EXPECT_EQ(CountPrinted("game complete"), 1);
}

TEST_F(ScreensTest, WinningTheLastLevelReachesVictory) {
  Load("Level01.level");
  Frame();
  // Pretend this is the last level: the level after it does not exist.
  ASSERT_EQ(luaL_dostring(L, "_G.VantixTotals = { turns = 10, found = 1 }"), 0);
  for (const char* file : {"Level02.level", "Pars.txt"})
    std::filesystem::remove(dir.Path() / "Node Levels" / file);
  PlaySequence("right right down");
  Frames(120);
  EXPECT_EQ(LevelName(), "Victory.level");
  EXPECT_EQ(Text("Turns"), "TURNS 13");
  EXPECT_EQ(CountPrinted("game complete"), 1);
}

} // namespace
