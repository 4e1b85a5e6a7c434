// The input rows of the script API, driven by a few lines of Lua in a headless scripting system.
#include <SDL.h>
#include <gtest/gtest.h>
#include <lua.hpp>
#include <string>
#include <vector>

#include "Binding/LuaPush.h"
#include "Input/Input.h"
#include "Objects/Events.h"
#include "Scripting/LuaEngine.h"
#include "Systems/GraphicsEngine.h"
#include "input/InputFixture.h"

namespace {

class InputScriptTest : public ::testing::Test {
protected:
  void SetUp() override {
    lua.Initialize();
    L = lua.L;
  }
  void TearDown() override {
    Input::Shutdown();
    Input::replay = false;
    lua.Shutdown();
  }

  // Runs a chunk and returns its one result as text, or "error: <message>".
  std::string Run(const std::string& code) {
    if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
      std::string message = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
      lua_settop(L, 0);
      return "error: " + message;
    }
    std::string result;
    if (lua_isboolean(L, -1))
      result = lua_toboolean(L, -1) ? "true" : "false";
    else if (lua_isnil(L, -1))
      result = "nil";
    else
      result = lua_tostring(L, -1) ? lua_tostring(L, -1) : luaL_typename(L, -1);
    lua_settop(L, 0);
    return result;
  }

  static void Key(bool down, SDL_Keycode sym) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.sym = sym;
    Input::HandleEvent(event);
  }

  LuaEngine lua;
  lua_State* L = nullptr;
};

} // namespace

TEST_F(InputScriptTest, KeyConstantsAreReadOnlyWithTheirOddNames) {
  EXPECT_EQ(Run("return Keys.Seperator"), "159");
  EXPECT_EQ(Run("return Keys.Equals"), "61");
  EXPECT_EQ(Run("return Keys.F4"), "61");
  EXPECT_EQ(Run("return Keys.A .. ' ' .. Keys.Z .. ' ' .. Keys.Zero .. ' ' .. Keys.Nine"),
            "97 122 48 57");
  EXPECT_EQ(Run("return Keys.F1 .. ' ' .. Keys.F12 .. ' ' .. Keys.Delete .. ' ' .. Keys.LShift"),
            "58 69 127 225");
  EXPECT_EQ(Run("return Keys.Left .. ' ' .. Keys.Up .. ' ' .. Keys.Right .. ' ' .. Keys.Down"),
            "80 82 79 81");
  EXPECT_EQ(Run("return Keys.Separator"), "nil");
  EXPECT_NE(Run("Keys.A = 1").find("read-only"), std::string::npos);
  EXPECT_EQ(Run("return Keys.A"), "97");
}

TEST_F(InputScriptTest, ControllerConstantsCanBeRemappedPerState) {
  EXPECT_EQ(Run("return ControllerInput.Buttons.A .. ' ' .. ControllerInput.Buttons.DPadRight"),
            "0 14");
  EXPECT_EQ(Run("return ControllerInput.Buttons.Home .. ' ' .. ControllerInput.Buttons.LB"), "5 9");
  EXPECT_EQ(Run("return ControllerInput.Axis.LStickX .. ' ' .. ControllerInput.Axis.RT"), "0 5");
  EXPECT_EQ(Run("ControllerInput.Buttons.A = 3; return ControllerInput.Buttons.A"), "3");
  EXPECT_EQ(Run("ControllerInput.Axis.LT = 1; return ControllerInput.Axis.LT"), "1");

  // A new scripting state starts from the standard numbering.
  lua.Shutdown();
  lua.Initialize();
  L = lua.L;
  EXPECT_EQ(Run("return ControllerInput.Buttons.A .. ' ' .. ControllerInput.Axis.LT"), "0 4");
}

TEST_F(InputScriptTest, ReplayIsOneFlagUnderTwoNames) {
  EXPECT_EQ(Run("return ReplayStuff._Replay"), "false");
  EXPECT_EQ(Run("ReplayStuff._Replay = true; return Input.Replay"), "true");
  EXPECT_TRUE(Input::replay);
  EXPECT_EQ(Run("Input.Replay = false; return ReplayStuff._Replay"), "false");
  EXPECT_FALSE(Input::replay);
}

TEST_F(InputScriptTest, QueriesInBothSpellings) {
  Key(true, SDLK_a);
  Key(true, SDLK_F4);
  Key(true, SDLK_F4); // a repeat: no longer fresh
  EXPECT_EQ(Run("return keyIsDown(Keys.A) and Input.KeyIsDown(97)"), "true");
  EXPECT_EQ(Run("return keyIsTriggered(Keys.A) and Input.KeyIsTriggered(Keys.A)"), "true");
  EXPECT_EQ(Run("return keyIsNotDown(Keys.A) or Input.KeyIsNotDown(97) or keyIsUp(97)"), "false");
  // "=" and F4 are one code.
  EXPECT_EQ(Run("return Input.KeyIsDown(Keys.Equals)"), "true");
  EXPECT_EQ(Run("return keyIsTriggered(Keys.F4)"), "false");
  EXPECT_EQ(Run("return Input.KeyIsUp(Keys.B) and keyIsNotDown(Keys.B)"), "true");

  EXPECT_EQ(Run("return mouseIsUp(1) and Input.MouseButtonIsUp(1)"), "true");
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.button = SDL_BUTTON_LEFT;
  Input::HandleEvent(click);
  EXPECT_EQ(Run("return mouseIsDown(1) and Input.MouseButtonIsDown(1) and "
                "mouseIsTriggered(1) and Input.MouseButtonIsTriggered(1)"),
            "true");
  EXPECT_EQ(Run("return mouseIsUp(1) or Input.MouseButtonIsUp(1) or mouseIsNotDown(1) or "
                "Input.MouseButtonIsNotDown(1)"),
            "false");

  Key(false, SDLK_a);
  EXPECT_EQ(Run("return keyIsUp(Keys.A) and not keyIsTriggered(Keys.A)"), "true");
}

TEST_F(InputScriptTest, CodesOutsideTheTablesAreNeverDown) {
  Key(true, SDLK_a); // 97, which 353 and -159 would wrap onto
  for (const char* code : {"254", "255", "353", "-159", "1e12"}) {
    std::string c = code;
    EXPECT_EQ(Run("return keyIsDown(" + c + ") or Input.KeyIsTriggered(" + c + ")"), "false")
        << code;
    EXPECT_EQ(Run("return keyIsNotDown(" + c + ") and Input.KeyIsUp(" + c +
                  ") and Input.MouseButtonIsUp(" + c + ")"),
              "true")
        << code;
  }
  EXPECT_NE(Run("return keyIsDown('a')").find("bad argument 1"), std::string::npos);
}

TEST_F(InputScriptTest, MouseControllerRumbleAndAutoplay) {
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 321;
  motion.motion.y = 45;
  Input::HandleEvent(motion);
  EXPECT_EQ(Run("return Input.MouseX() .. ',' .. Input.MouseY()"), "321,45");
  EXPECT_EQ(Run("return Input.ControllerConnected()"), "false");

  // Without a rumble device a vibration is simply nothing.
  EXPECT_EQ(Run("Input.SimpleVibrate(0.5, 100) return 1"), "1");
  std::vector<Rumble> played;
  Input::SetRumbleDevice(std::make_unique<RecordingRumble>(&played));
  EXPECT_EQ(Run("Input.SimpleVibrate(1.7, 250) Input.SimpleVibrate(-0.2, 10) "
                "Input.SimpleVibrate(0.25, -1) return 1"),
            "1");
  EXPECT_EQ(played, (std::vector<Rumble>{{1.0f, 250}, {0.0f, 10}, {0.25f, 0}}));
  EXPECT_NE(Run("Input.SimpleVibrate('hard', 10)").find("bad argument 1"), std::string::npos);

  EXPECT_FALSE(Input::AutoplayOn());
  Run("Input.ToggleAutoplay()");
  EXPECT_TRUE(Input::AutoplayOn());
  Run("Input.ToggleAutoplay()");
  EXPECT_FALSE(Input::AutoplayOn());
}

TEST_F(InputScriptTest, EventClassesConstructAndCarryTheirFields) {
  EXPECT_EQ(Run("local e = KeyIsDown() e.Key = 61 return e.Key"), "61");
  EXPECT_EQ(Run("return KeyIsTriggered().Key .. KeyIsReleased().Key"), "00");
  EXPECT_EQ(Run("local e = MouseIsTriggered() e.Button = 3 return e.Button"), "3");
  EXPECT_EQ(Run("local e = MouseMoved() e.XPos = -4 e.YPos = 9 return e.XPos .. ',' .. e.YPos"),
            "-4,9");
  EXPECT_EQ(Run("local e = MouseWheel() e.Y = -2 return e.X .. ',' .. e.Y"), "0,-2");
  EXPECT_EQ(Run("local e = ControllerAdded() e.Connected = true return e.Connected"), "true");
  EXPECT_EQ(Run("return ControllerRemoved().Connected"), "false");
  EXPECT_EQ(Run("local e = ControllerAxis() e.Axis = 4 e.Value = -32768 "
                "return e.Axis .. ',' .. e.Value"),
            "4,-32768");
  EXPECT_EQ(Run("return ControllerButtonDown().Button .. ControllerButtonUp().Button"), "00");
  EXPECT_EQ(Run("local e = WindowResized() e.XDim = 1280 e.YDim = 720 "
                "return e.XDim .. 'x' .. e.YDim"),
            "1280x720");
  EXPECT_EQ(Run("return tostring(FocusLost() ~= nil and FocusGained() ~= nil and "
                "WindowClose() ~= nil and MouseIsDown() ~= nil and MouseIsReleased() ~= nil)"),
            "true");

  // Events raised by the engine reach scripts as copies of their class.
  ControllerAxis axis;
  axis.Axis = 2;
  axis.Value = 12345;
  lb::PushCopy<ControllerAxis>(L, axis);
  lua_setglobal(L, "raised");
  axis.Value = 0;
  EXPECT_EQ(Run("return raised.Axis .. ',' .. raised.Value"), "2,12345");
  KeyIsTriggered key;
  key.Key = 225;
  lb::PushCopy<KeyIsTriggered>(L, key);
  lua_setglobal(L, "pressed");
  EXPECT_EQ(Run("return pressed.Key == Keys.LShift"), "true");
}

// Clicks are mapped with the window's own size, whatever it started at and before any resize
// event: the size is read from the window, not remembered from events.
TEST_F(InputScriptTest, WindowSizeIsReadFromTheWindowItself) {
  EXPECT_EQ(Run("return Input.WindowWidth() .. 'x' .. Input.WindowHeight()"), "0x0");
  VANTIX_NEED_DISPLAY(StartSdlVideo(SDL_INIT_VIDEO), "SDL video cannot start: " << SDL_GetError());
  GraphicsEngine graphics("VANTIX");
  graphics.window = SDL_CreateWindow("size", 0, 0, 640, 400, SDL_WINDOW_HIDDEN);
  ASSERT_NE(graphics.window, nullptr) << SDL_GetError();
  EXPECT_EQ(Run("return Input.WindowWidth() .. 'x' .. Input.WindowHeight()"), "640x400");
  SDL_SetWindowSize(graphics.window, 800, 500);
  EXPECT_EQ(Run("return Input.WindowWidth() .. 'x' .. Input.WindowHeight()"), "800x500");
  SDL_DestroyWindow(graphics.window);
  graphics.window = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
