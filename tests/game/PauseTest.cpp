// The pause screen over a level, with the real scripts and real input events: Escape or Start
// opens it in the "Pause" space and pauses the engine, the level takes no input meanwhile, its
// items resume, restart, open the options or go to the main menu, and a lost window focus
// pauses the sound and opens it.
#include <algorithm>

#include "Binding/Binding.h"
#include "GameFixture.h"
#include "Input/Input.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"

namespace {

class PauseTest : public GameTest {
protected:
  void SetUp() override {
    GameTest::SetUp();
    CopyGameData();
    StartEngine();
    Load("Level01.level");
    Frames(2);
    start = PlayerNodeId();
    ClearRecords();
  }
  Space* Buffer() { return engine->GetBufferSpace(); }
  bool PauseOpen() { return engine->paused && Buffer()->m_Active; }
  bool PauseClosed() { return !engine->paused && !Buffer()->m_Active; }
  std::string Selected() {
    GameObject* menu = Buffer()->GetObjectByName("PauseMenu");
    if (!menu)
      return "<no pause menu>";
    lb::PushPtr(L, menu->GetLuaComponent("PauseScreen"));
    lua_setglobal(L, "pause");
    return Eval("pause.Selected");
  }
  void Focus(Uint8 which) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = which;
    Input::HandleEvent(event);
    Frame();
  }
  void Pad(int button) {
    PadDown(button);
    Frame();
    PadUp(button);
    Frame();
  }
  bool Heard(const std::string& sound) {
    std::vector<std::string> heard = Sounds();
    return std::find(heard.begin(), heard.end(), sound) != heard.end();
  }
  int start = -1;
};

TEST_F(PauseTest, EscapeOpensThePauseScreenAndTheLevelIgnoresEveryDeviceUntilItCloses) {
  ASSERT_TRUE(PauseClosed());
  KeyDown(SDLK_SPACE); // held through the pause: nothing happens under it
  Frame();
  Tap(SDLK_ESCAPE);
  Frame();
  ASSERT_TRUE(PauseOpen());
  Frames(80);
  KeyUp(SDLK_SPACE);
  EXPECT_EQ(Buffer()->LevelName, "Paused.level");
  EXPECT_EQ(Selected(), "Resume");
  EXPECT_TRUE(Heard("PlaySound:hudbloop"));

  Tap(SDLK_RIGHT);
  Tap(SDLK_TAB);
  Pad(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  Pad(SDL_CONTROLLER_BUTTON_X);
  Click(1000, 360); // right of the menu, over the level
  Frames(30);
  EXPECT_EQ(PlayerNodeId(), start);
  EXPECT_EQ(StateInt("Turn"), 0);

  ClearRecords();
  Tap(SDLK_ESCAPE);
  Frame();
  EXPECT_TRUE(PauseClosed());
  EXPECT_TRUE(Heard("PlaySound:hudclose"));
  Play("right");
  EXPECT_NE(PlayerNodeId(), start);
  EXPECT_EQ(StateInt("Turn"), 1);
}

TEST_F(PauseTest, AMoveInTheSameFrameAsEscapeIsNotTaken) {
  KeyDown(SDLK_ESCAPE);
  KeyDown(SDLK_RIGHT);
  Frame();
  KeyUp(SDLK_ESCAPE);
  KeyUp(SDLK_RIGHT);
  Frames(30);
  EXPECT_TRUE(PauseOpen());
  EXPECT_EQ(PlayerNodeId(), start);
  EXPECT_EQ(StateInt("Turn"), 0);
}

TEST_F(PauseTest, ResumeRestartAndMainMenuDoWhatTheySay) {
  Play("right");
  ASSERT_EQ(StateInt("Turn"), 1);
  ASSERT_EQ(luaL_dostring(L, "_G.VantixTotals = { turns = 0, found = 0 }"), 0);

  Tap(SDLK_ESCAPE);
  Frame();
  Tap(SDLK_RETURN); // Resume
  Frame();
  EXPECT_TRUE(PauseClosed());
  EXPECT_EQ(StateInt("Turn"), 1);

  Tap(SDLK_ESCAPE);
  Frame();
  Tap(SDLK_DOWN);
  EXPECT_EQ(Selected(), "Restart");
  Tap(SDLK_SPACE);
  Frames(3);
  EXPECT_TRUE(PauseClosed());
  EXPECT_EQ(StateInt("Turn"), 0);
  EXPECT_EQ(PlayerNodeId(), start);
  EXPECT_EQ(CountPrinted("level start Level01.level"), 1);
  EXPECT_EQ(Eval("_G.VantixTotals.found"), "1"); // a restart counts as found

  // The highlight starts on Resume each time the screen opens; S and W move it and wrap.
  Tap(SDLK_ESCAPE);
  Frame();
  EXPECT_EQ(Selected(), "Resume");
  Tap(SDLK_w);
  EXPECT_EQ(Selected(), "Main Menu");
  Tap(SDLK_RETURN);
  Frames(2);
  EXPECT_TRUE(PauseClosed());
  EXPECT_EQ(LevelName(), "MainMenu.level");
  // Escape on the menu opens no pause screen.
  Tap(SDLK_ESCAPE);
  Frame();
  EXPECT_TRUE(PauseClosed());
  EXPECT_TRUE(Errors().empty()) << Errors().front();
}

TEST_F(PauseTest, TheControllerOpensMovesChoosesAndResumesWithStart) {
  Pad(SDL_CONTROLLER_BUTTON_START);
  ASSERT_TRUE(PauseOpen());
  Pad(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  Pad(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  Pad(SDL_CONTROLLER_BUTTON_DPAD_UP);
  EXPECT_EQ(Selected(), "Restart");
  Pad(SDL_CONTROLLER_BUTTON_START);
  EXPECT_TRUE(PauseClosed());

  Pad(SDL_CONTROLLER_BUTTON_START);
  ASSERT_TRUE(PauseOpen());
  Pad(SDL_CONTROLLER_BUTTON_A); // Resume
  EXPECT_TRUE(PauseClosed());
  Pad(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  RunUntilIdle();
  EXPECT_NE(PlayerNodeId(), start);
}

TEST_F(PauseTest, AClickOnAnItemChoosesIt) {
  Tap(SDLK_ESCAPE);
  Frame();
  ASSERT_TRUE(PauseOpen());
  Click(100, 700); // off every item
  Frame();
  EXPECT_TRUE(PauseOpen());
  // The default view: 72 pixels a unit, origin in the middle of the 1280 x 720 window.
  float y = Buffer()->GetObjectByName("Item4")->Get<Transform>("Transform")->translation_.y_;
  Click(640, 360 - static_cast<int>(y * 72.0f));
  Frames(2);
  EXPECT_TRUE(PauseClosed());
  EXPECT_EQ(LevelName(), "MainMenu.level");
}

TEST_F(PauseTest, OptionsOpenInThePauseSpaceAndGoBackToThePauseMenu) {
  Tap(SDLK_ESCAPE);
  Frame();
  Tap(SDLK_DOWN);
  Tap(SDLK_DOWN);
  Tap(SDLK_RETURN);
  Frames(2);
  ASSERT_EQ(Buffer()->LevelName, "Options.level");
  EXPECT_TRUE(PauseOpen());
  EXPECT_EQ(LevelName(), "Level01.level");
  Tap(SDLK_ESCAPE); // back to the pause menu, still paused
  Frames(2);
  EXPECT_EQ(Buffer()->LevelName, "Paused.level");
  EXPECT_TRUE(PauseOpen());
  EXPECT_EQ(Selected(), "Resume");
  Tap(SDLK_ESCAPE);
  Frame();
  EXPECT_TRUE(PauseClosed());

  // Leaving the pause screen from the options (Start) resumes and puts the pause menu back.
  Pad(SDL_CONTROLLER_BUTTON_START);
  Tap(SDLK_DOWN);
  Tap(SDLK_DOWN);
  Tap(SDLK_RETURN);
  Frames(2);
  ASSERT_EQ(Buffer()->LevelName, "Options.level");
  Pad(SDL_CONTROLLER_BUTTON_B);
  Frames(2);
  EXPECT_EQ(Buffer()->LevelName, "Paused.level");
  EXPECT_TRUE(PauseOpen());
  EXPECT_TRUE(Errors().empty()) << Errors().front();
}

TEST_F(PauseTest, LosingFocusPausesTheSoundAndOpensThePauseScreenWhichStaysOnRegain) {
  Focus(SDL_WINDOWEVENT_FOCUS_LOST);
  Frame();
  EXPECT_TRUE(Heard("SetSoundFocus:false"));
  EXPECT_TRUE(PauseOpen());
  ClearRecords();
  Focus(SDL_WINDOWEVENT_FOCUS_GAINED);
  Frame();
  EXPECT_TRUE(Heard("SetSoundFocus:true"));
  EXPECT_TRUE(PauseOpen());
  Tap(SDLK_RIGHT);
  Frames(30);
  EXPECT_EQ(PlayerNodeId(), start);

  // On the menu a lost focus pauses the sound only.
  Tap(SDLK_ESCAPE);
  Frame();
  Load("MainMenu.level");
  Frame();
  ClearRecords();
  Focus(SDL_WINDOWEVENT_FOCUS_LOST);
  Frame();
  EXPECT_TRUE(Heard("SetSoundFocus:false"));
  EXPECT_TRUE(PauseClosed());
}

} // namespace
