// The input-test fixture: an engine with input started, recording every event raised.
#include "input/InputFixture.h"

#include <cstdlib>

#include "Input/Input.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"

const char* const kInputEventNames[] = {
    "KeyIsTriggered",      "KeyIsReleased",        "KeyIsDown",
    "MouseIsTriggered",    "MouseIsReleased",      "MouseIsDown",
    "MouseMoved",          "MouseWheel",           "ControllerAdded",
    "ControllerRemoved",   "ControllerButtonDown", "ControllerButtonUp",
    "ControllerAxisMoved", "WindowResized",        "FocusGained",
    "FocusLost",           "WindowClose",          nullptr};

void EventRecorder::HandleEvent(PolyEventBase& event, const std::string& function) {
  std::string text = function;
  auto add = [&text](long long value) { text += " " + std::to_string(value); };
  if (auto* e = dynamic_cast<KeyIsTriggered*>(&event))
    add(e->Key);
  else if (auto* e = dynamic_cast<KeyIsReleased*>(&event))
    add(e->Key);
  else if (auto* e = dynamic_cast<KeyIsDown*>(&event))
    add(e->Key);
  else if (auto* e = dynamic_cast<MouseIsTriggered*>(&event))
    add(e->Button);
  else if (auto* e = dynamic_cast<MouseIsReleased*>(&event))
    add(e->Button);
  else if (auto* e = dynamic_cast<MouseIsDown*>(&event))
    add(e->Button);
  else if (auto* e = dynamic_cast<MouseMoved*>(&event)) {
    add(e->XPos);
    add(e->YPos);
  } else if (auto* e = dynamic_cast<MouseWheel*>(&event)) {
    add(e->X);
    add(e->Y);
  } else if (auto* e = dynamic_cast<ControllerAdded*>(&event))
    add(e->Connected);
  else if (auto* e = dynamic_cast<ControllerRemoved*>(&event))
    add(e->Connected);
  else if (auto* e = dynamic_cast<ControllerButtonDown*>(&event))
    add(e->Button);
  else if (auto* e = dynamic_cast<ControllerButtonUp*>(&event))
    add(e->Button);
  else if (auto* e = dynamic_cast<ControllerAxis*>(&event)) {
    add(e->Axis);
    add(e->Value);
  } else if (auto* e = dynamic_cast<WindowResized*>(&event)) {
    add(e->XDim);
    add(e->YDim);
  }
  records.push_back(text);
  if (onEvent)
    onEvent(text);
}

void EventRecorder::ConnectAll() {
  for (const char* const* name = kInputEventNames; *name; ++name)
    EventDispatcher::ms_Singleton->Connect(this, *name, *name);
}

std::vector<std::string> EventRecorder::Take() {
  std::vector<std::string> taken;
  taken.swap(records);
  return taken;
}

void InputTest::SetUp() {
  // Tests need no sound device; keep SDL from probing one.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  VANTIX_NEED_DISPLAY(StartSdlVideo(SDL_INIT_VIDEO), "SDL video cannot start: " << SDL_GetError());
  SDL_QuitSubSystem(SDL_INIT_VIDEO);

  dir = std::make_unique<ScratchDir>();
  engine = std::make_unique<Engine>();
  engine->Initialize();
  recorder.ConnectAll();
  Input::Start();
  started = true;
  // Whatever the system queued at start-up is not part of the test.
  Input::Pump();
  recorder.Take();
}

void InputTest::TearDown() {
  if (started)
    Input::Shutdown();
  if (engine) {
    engine->Shutdown();
    engine.reset();
  }
  SDL_Quit();
  dir.reset();
}

void InputTest::PushKey(bool down, SDL_Keycode sym, bool repeat) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.sym = sym;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void InputTest::PushButton(bool down, uint8_t button) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.button = button;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void InputTest::PushMotion(int x, int y) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void InputTest::PushWheel(int x, int y) {
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.x = x;
  event.wheel.y = y;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void InputTest::PushWindow(uint8_t id, int data1, int data2) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = id;
  event.window.data1 = data1;
  event.window.data2 = data2;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

std::vector<std::string> InputTest::Frame() {
  Input::Pump();
  return recorder.Take();
}
