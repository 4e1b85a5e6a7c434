// Keys and mouse buttons: code mapping, held events, queries, and the window events.
#include <cstdio>

#include "Core/FrameTimer.h"
#include "Core/Space.h"
#include "Input/Input.h"
#include "Systems/GraphicsEngine.h"
#include "Utilities/Debug.h"
#include "input/InputFixture.h"

using Strings = std::vector<std::string>;

TEST(InputCodes, KeysMapToCharactersOrScancodes) {
  EXPECT_EQ(Input::MapKeyCode(SDLK_a), 97u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_SPACE), 32u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_ESCAPE), 27u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_BACKSPACE), 8u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_DELETE), 127u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_F1), 58u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_F12), 69u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_RIGHT), 79u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_UP), 82u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_LSHIFT), 225u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_KP_ENTER), 88u);
  // Character codes and scancodes share numbers.
  EXPECT_EQ(Input::MapKeyCode(SDLK_EQUALS), 61u);
  EXPECT_EQ(Input::MapKeyCode(SDLK_F4), 61u);
  EXPECT_EQ(Input::MapKeyCode(256), 256u);
  // A non-Latin letter keeps its character code, which has no slot.
  EXPECT_GE(Input::MapKeyCode(0x439), Input::kCodeSlots);
  EXPECT_GE(Input::MapKeyCode(-5), Input::kCodeSlots);
}

TEST(InputCodes, CodesWithoutSlotAnswerAsNeverPressed) {
  for (uint8_t code : {uint8_t(254), uint8_t(255)}) {
    EXPECT_FALSE(Input::IsDown(code));
    EXPECT_FALSE(Input::IsTriggered(code));
    EXPECT_TRUE(Input::IsNotDown(code));
    EXPECT_TRUE(Input::IsUpForKeys(code));
    EXPECT_TRUE(Input::IsUpForMouse(code));
  }
}

TEST_F(InputTest, HeldKeyIsTriggeredOnceThenHeldUntilReleased) {
  PushKey(true, SDLK_a);
  EXPECT_EQ(Frame(), (Strings{"KeyIsTriggered 97", "KeyIsDown 97"}));
  EXPECT_TRUE(Input::IsDown(97));
  EXPECT_TRUE(Input::IsTriggered(97));
  EXPECT_FALSE(Input::IsNotDown(97));

  // A frame without events still reports the held key; the press stays fresh.
  EXPECT_EQ(Frame(), (Strings{"KeyIsDown 97"}));
  EXPECT_TRUE(Input::IsTriggered(97));

  // The system's auto-repeat raises no second trigger and ends the fresh press.
  PushKey(true, SDLK_a, true);
  PushKey(true, SDLK_a, true);
  EXPECT_EQ(Frame(), (Strings{"KeyIsDown 97"}));
  EXPECT_TRUE(Input::IsDown(97));
  EXPECT_FALSE(Input::IsTriggered(97));

  PushKey(false, SDLK_a);
  EXPECT_EQ(Frame(), (Strings{"KeyIsReleased 97"}));
  EXPECT_FALSE(Input::IsDown(97));
  EXPECT_TRUE(Input::IsNotDown(97));
  EXPECT_TRUE(Input::IsUpForKeys(97));
  EXPECT_EQ(Frame(), Strings{});

  // Pressed again, it is fresh again.
  PushKey(true, SDLK_a);
  EXPECT_EQ(Frame(), (Strings{"KeyIsTriggered 97", "KeyIsDown 97"}));
  EXPECT_TRUE(Input::IsTriggered(97));
}

TEST_F(InputTest, SecondKeyDownWithoutRepeatFlagIsStillARepeat) {
  PushKey(true, SDLK_TAB);
  PushKey(true, SDLK_TAB);
  EXPECT_EQ(Frame(), (Strings{"KeyIsTriggered 9", "KeyIsDown 9"}));
  EXPECT_TRUE(Input::IsDown(9));
  EXPECT_FALSE(Input::IsTriggered(9));
}

TEST_F(InputTest, ListenersSeeTheStateBeforeTheChange) {
  std::vector<bool> downDuring;
  recorder.onEvent = [&](const std::string& text) {
    if (text == "KeyIsTriggered 32" || text == "KeyIsReleased 32")
      downDuring.push_back(Input::IsDown(32));
  };
  PushKey(true, SDLK_SPACE);
  PushKey(false, SDLK_SPACE);
  Frame();
  EXPECT_EQ(downDuring, (std::vector<bool>{false, true}));
}

TEST_F(InputTest, EqualsAndF4ShareOneCode) {
  PushKey(true, SDLK_F4);
  EXPECT_EQ(Frame(), (Strings{"KeyIsTriggered 61", "KeyIsDown 61"}));
  // "=" while F4 is held reads as a repeat of the same code.
  PushKey(true, SDLK_EQUALS);
  EXPECT_EQ(Frame(), (Strings{"KeyIsDown 61"}));
  EXPECT_FALSE(Input::IsTriggered(61));
  // Releasing "=" releases F4 too.
  PushKey(false, SDLK_EQUALS);
  EXPECT_EQ(Frame(), (Strings{"KeyIsReleased 61"}));
  EXPECT_FALSE(Input::IsDown(61));

  PushKey(true, SDLK_EQUALS);
  EXPECT_EQ(Frame(), (Strings{"KeyIsTriggered 61", "KeyIsDown 61"}));
  PushKey(false, SDLK_F4);
  EXPECT_EQ(Frame(), (Strings{"KeyIsReleased 61"}));
}

TEST_F(InputTest, HeldEventsListMouseButtonsThenKeysInCodeOrder) {
  PushKey(true, SDLK_z);
  PushButton(true, SDL_BUTTON_RIGHT);
  PushKey(true, SDLK_LSHIFT);
  PushKey(true, SDLK_TAB);
  PushButton(true, SDL_BUTTON_LEFT);
  Strings frame = Frame();
  Strings held(frame.end() - 5, frame.end());
  EXPECT_EQ(held, (Strings{"MouseIsDown 1", "MouseIsDown 3", "KeyIsDown 9", "KeyIsDown 122",
                           "KeyIsDown 225"}));
  EXPECT_EQ(Frame(), held);
}

TEST_F(InputTest, CodesAboveTheHeldRangeAreTrackedSilently) {
  // Scancode 250 maps to code 250: it has a slot but raises no held event.
  PushKey(true, static_cast<SDL_Keycode>(250 | SDLK_SCANCODE_MASK));
  EXPECT_EQ(Frame(), (Strings{"KeyIsTriggered 250"}));
  EXPECT_TRUE(Input::IsDown(250));
  EXPECT_EQ(Frame(), Strings{});
  PushKey(false, static_cast<SDL_Keycode>(250 | SDLK_SCANCODE_MASK));
  EXPECT_EQ(Frame(), (Strings{"KeyIsReleased 250"}));
}

TEST_F(InputTest, KeysWithoutASlotChangeNothingAndRaiseNothing) {
  // 0x439 would read as code 57 ("9") once narrowed to eight bits.
  for (SDL_Keycode sym :
       {SDL_Keycode(0x439), SDL_Keycode(254), SDL_Keycode(256), SDL_Keycode(SDLK_AUDIOPLAY)}) {
    PushKey(true, sym);
    PushKey(true, sym);
    EXPECT_EQ(Frame(), Strings{}) << sym;
    PushKey(false, sym);
    EXPECT_EQ(Frame(), Strings{}) << sym;
  }
  for (int code = 0; code < 256; ++code)
    EXPECT_FALSE(Input::IsDown(static_cast<uint8_t>(code))) << code;
}

TEST_F(InputTest, MouseButtonsShareTheKeyTable) {
  EXPECT_TRUE(Input::IsUpForMouse(SDL_BUTTON_LEFT));
  PushButton(true, SDL_BUTTON_LEFT);
  EXPECT_EQ(Frame(), (Strings{"MouseIsTriggered 1", "MouseIsDown 1"}));
  EXPECT_TRUE(Input::IsDown(1));
  EXPECT_TRUE(Input::IsTriggered(1));
  EXPECT_FALSE(Input::IsUpForMouse(1));
  EXPECT_EQ(Frame(), (Strings{"MouseIsDown 1"}));
  EXPECT_FALSE(Input::IsUpForMouse(1));

  PushButton(false, SDL_BUTTON_LEFT);
  EXPECT_EQ(Frame(), (Strings{"MouseIsReleased 1"}));
  EXPECT_TRUE(Input::IsUpForMouse(1));
  EXPECT_FALSE(Input::IsDown(1));

  // X2 is code 5, the last with a held mouse event.
  PushButton(true, SDL_BUTTON_X2);
  EXPECT_EQ(Frame(), (Strings{"MouseIsTriggered 5", "MouseIsDown 5"}));
  PushButton(false, SDL_BUTTON_X2);
  Frame();
}

TEST_F(InputTest, MotionAndWheel) {
  PushMotion(120, -7);
  PushMotion(640, 360);
  EXPECT_EQ(Frame(), (Strings{"MouseMoved 120 -7", "MouseMoved 640 360"}));
  EXPECT_EQ(Input::MouseX(), 640);
  EXPECT_EQ(Input::MouseY(), 360);

  PushWheel(0, -3);
  EXPECT_EQ(Frame(), (Strings{"MouseWheel 0 -3"}));
  EXPECT_EQ(Input::MouseX(), 640);
  for (int code = 0; code < 256; ++code)
    EXPECT_FALSE(Input::IsDown(static_cast<uint8_t>(code)));
}

TEST_F(InputTest, WindowCloseQuitsBeforeListenersRun) {
  bool quitDuringClose = false;
  recorder.onEvent = [&](const std::string& text) {
    if (text == "WindowClose")
      quitDuringClose = engine->quit;
  };
  PushWindow(SDL_WINDOWEVENT_CLOSE);
  EXPECT_EQ(Frame(), (Strings{"WindowClose"}));
  EXPECT_TRUE(engine->quit);
  EXPECT_TRUE(quitDuringClose);
}

TEST_F(InputTest, FocusAndResize) {
  PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
  // Without a graphics system the resize is still announced.
  PushWindow(SDL_WINDOWEVENT_RESIZED, 1000, 563);
  EXPECT_EQ(Frame(), (Strings{"FocusLost", "FocusGained", "WindowResized 1000 563"}));
  EXPECT_FALSE(engine->quit);
}

TEST_F(InputTest, ResizeReachesTheGraphicsSystemBeforeListeners) {
  GraphicsEngine graphics("VANTIX");
  int viewportHeightDuring = -1;
  recorder.onEvent = [&](const std::string& text) {
    if (text.rfind("WindowResized", 0) == 0)
      viewportHeightDuring = graphics.CurrentViewport().height;
  };
  PushWindow(SDL_WINDOWEVENT_RESIZED, 1000, 1000);
  EXPECT_EQ(Frame(), (Strings{"WindowResized 1000 1000"}));
  const auto& viewport = graphics.CurrentViewport();
  EXPECT_EQ(viewport.x, 0);
  EXPECT_EQ(viewport.y, 219);
  EXPECT_EQ(viewport.width, 1000);
  EXPECT_EQ(viewport.height, 563);
  EXPECT_EQ(viewportHeightDuring, 563);
  // Without a window there is nothing to minimise or maximise; the requests are harmless.
  PushWindow(SDL_WINDOWEVENT_MINIMIZED);
  PushWindow(SDL_WINDOWEVENT_MAXIMIZED);
  EXPECT_EQ(Frame(), Strings{});
}

TEST_F(InputTest, MovingTheWindowRestartsTheFrameClock) {
  FrameTimer::frameStart = 0;
  int64_t before = FrameTimer::Now();
  PushWindow(SDL_WINDOWEVENT_MOVED, 10, 10);
  EXPECT_EQ(Frame(), Strings{});
  EXPECT_GE(FrameTimer::frameStart, before);
  EXPECT_LE(FrameTimer::frameStart, FrameTimer::Now());
}

TEST_F(InputTest, UnknownWindowEventsAreReportedAndIgnored) {
  testing::internal::CaptureStdout();
  for (uint8_t quiet : {SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_HIDDEN, SDL_WINDOWEVENT_EXPOSED,
                        SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_RESTORED,
                        SDL_WINDOWEVENT_ENTER, SDL_WINDOWEVENT_LEAVE})
    PushWindow(quiet);
  Strings quietFrame = Frame();
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(quietFrame, Strings{});

  testing::internal::CaptureStdout();
  PushWindow(SDL_WINDOWEVENT_NONE);
  PushWindow(15);
  Strings unknownFrame = Frame();
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "UNKOWN WINDOW EVENTUNKOWN WINDOW EVENT");
  EXPECT_EQ(unknownFrame, Strings{});
  debug::CloseOpenLine(); // the line the note left open, for whatever prints next
}

TEST_F(InputTest, ApplicationQuitEventIsIgnored) {
  SDL_Event event{};
  event.type = SDL_QUIT;
  SDL_PushEvent(&event);
  EXPECT_EQ(Frame(), Strings{});
  EXPECT_FALSE(engine->quit);
}

TEST_F(InputTest, InactiveSpacesHearNothing) {
  engine->spaces[0]->m_Active = false;
  PushKey(true, SDLK_a);
  EXPECT_EQ(Frame(), Strings{});
  // The state is kept all the same.
  EXPECT_TRUE(Input::IsDown(97));
  engine->spaces[0]->m_Active = true;
  EXPECT_EQ(Frame(), (Strings{"KeyIsDown 97"}));
}

TEST_F(InputTest, ShutdownForgetsHeldCodes) {
  PushKey(true, SDLK_a);
  PushButton(true, SDL_BUTTON_LEFT);
  Frame();
  Input::Shutdown();
  EXPECT_FALSE(Input::IsDown(97));
  EXPECT_TRUE(Input::IsUpForMouse(1));
  Input::Start();
  EXPECT_EQ(Frame(), Strings{});
}
