// The input system: the SDL event pump, held codes, queries, controllers, rumble and autoplay.
#include "Input/Input.h"

#include <SDL.h>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Core/Engine.h"
#include "Core/FrameTimer.h"
#include "Editor/LevelEditor.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Systems/GraphicsEngine.h"
#include "Utilities/Debug.h"

namespace Input {

bool replay = false;

namespace {

// The subsystems the game needs: timer, audio, video, joystick, haptic, game controller, events.
constexpr uint32_t kSdlSubsystems = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO |
                                    SDL_INIT_JOYSTICK | SDL_INIT_HAPTIC | SDL_INIT_GAMECONTROLLER |
                                    SDL_INIT_EVENTS;

// Keys that the autoplay step picks from, and the keys it favours once they are held.
constexpr std::array<uint32_t, 10> kAutoplayKeys = {119, 97, 115, 100, 102, 82, 81, 80, 79, 9};
constexpr uint32_t kAutoplayRestart = 114; // "r"
constexpr uint32_t kSpace = 32;
constexpr uint32_t kLeftShift = 225;

// Event names, built once: held events are raised for every held code every frame.
const std::string kKeyIsTriggered = "KeyIsTriggered";
const std::string kKeyIsReleased = "KeyIsReleased";
const std::string kKeyIsDown = "KeyIsDown";
const std::string kMouseIsTriggered = "MouseIsTriggered";
const std::string kMouseIsReleased = "MouseIsReleased";
const std::string kMouseIsDown = "MouseIsDown";

class HapticRumble : public RumbleDevice {
public:
  explicit HapticRumble(SDL_Haptic* device) : haptic(device) {}
  ~HapticRumble() override {
    // SDL may already be gone at exit; it refuses unknown handles itself, but there is no point
    // in asking once the haptic subsystem is down.
    if (SDL_WasInit(SDL_INIT_HAPTIC))
      SDL_HapticClose(haptic);
  }
  void Play(float strength, uint32_t milliseconds) override {
    SDL_HapticRumblePlay(haptic, strength, milliseconds);
  }

private:
  SDL_Haptic* haptic;
};

// Rumble through the controller's own motors: SDL drives many controllers (and its virtual
// ones) without a haptic device, yet can still rumble them.
class ControllerRumble : public RumbleDevice {
public:
  explicit ControllerRumble(SDL_GameController* pad) : controller(pad) {}
  void Play(float strength, uint32_t milliseconds) override {
    auto level = static_cast<Uint16>(std::lround(strength * 65535.0f));
    SDL_GameControllerRumble(controller, level, level, milliseconds);
  }

private:
  SDL_GameController* controller;
};

struct State {
  std::array<bool, kCodeSlots> down{};
  std::array<bool, kCodeSlots> triggered{};
  int32_t mouseX = 0;
  int32_t mouseY = 0;
  SDL_GameController* controller = nullptr;
  std::unique_ptr<RumbleDevice> rumble;
  bool autoplay = false;
  int32_t autoplayFrame = 0;
  uint32_t startedSubsystems = 0;
};

State state;

void Raise(PolyEventBase& event, const std::string& name) {
  if (EventDispatcher* dispatcher = EventDispatcher::ms_Singleton)
    dispatcher->Send(event, name);
}

// Press and release of a key or mouse button. Listeners of the trigger run before the code is
// marked down, listeners of the release while it still is.
template <class TriggerEvent>
void Press(uint32_t code, const std::string& name, uint8_t TriggerEvent::*field) {
  // A code without a slot cannot be told apart from a tracked one once narrowed to the
  // event's 8 bits, so it raises nothing rather than reporting some other key.
  if (code >= kCodeSlots)
    return;
  if (state.down[code]) {
    // The system repeats a held key: the press is no longer fresh.
    state.triggered[code] = false;
    return;
  }
  TriggerEvent event;
  event.*field = static_cast<uint8_t>(code);
  Raise(event, name);
  state.down[code] = true;
  state.triggered[code] = true;
}

template <class ReleaseEvent>
void Release(uint32_t code, const std::string& name, uint8_t ReleaseEvent::*field) {
  if (code >= kCodeSlots)
    return;
  ReleaseEvent event;
  event.*field = static_cast<uint8_t>(code);
  Raise(event, name);
  state.down[code] = false;
  state.triggered[code] = false;
}

void CloseController() {
  // The rumble device belongs to the controller's joystick: close it first.
  state.rumble.reset();
  if (state.controller) {
    SDL_GameControllerClose(state.controller);
    state.controller = nullptr;
  }
}

void OpenController(int index) {
  state.controller = SDL_GameControllerOpen(index);
  if (state.controller) {
    SDL_Joystick* joystick = SDL_GameControllerGetJoystick(state.controller);
    if (SDL_Haptic* haptic = SDL_HapticOpenFromJoystick(joystick)) {
      if (SDL_HapticRumbleInit(haptic) == 0)
        state.rumble = std::make_unique<HapticRumble>(haptic);
      else
        SDL_HapticClose(haptic);
    }
    if (!state.rumble && SDL_GameControllerHasRumble(state.controller))
      state.rumble = std::make_unique<ControllerRumble>(state.controller);
  }
  ControllerAdded added;
  added.Connected = state.controller != nullptr;
  Raise(added, "ControllerAdded");
}

// Opens the first attached joystick that SDL knows as a game controller; false if none.
bool OpenFirstController() {
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_IsGameController(i)) {
      OpenController(i);
      return true;
    }
  return false;
}

// A controller came or went: start over with the first game controller attached now.
void SearchControllers() {
  CloseController();
  ControllerRemoved removed;
  removed.Connected = false;
  Raise(removed, "ControllerRemoved");
  OpenFirstController();
}

void HandleWindowEvent(const SDL_WindowEvent& window) {
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  SDL_Window* gameWindow = graphics ? graphics->window : nullptr;
  switch (window.event) {
  case SDL_WINDOWEVENT_MOVED:
    // Time spent dragging the window must not count as one long frame.
    FrameTimer::frameStart = FrameTimer::Now();
    break;
  case SDL_WINDOWEVENT_RESIZED: {
    if (graphics)
      graphics->Resize(window.data1, window.data2);
    WindowResized resized;
    resized.XDim = window.data1;
    resized.YDim = window.data2;
    Raise(resized, "WindowResized");
    break;
  }
  case SDL_WINDOWEVENT_MINIMIZED:
    if (gameWindow)
      SDL_MinimizeWindow(gameWindow);
    break;
  case SDL_WINDOWEVENT_MAXIMIZED:
    if (gameWindow)
      SDL_MaximizeWindow(gameWindow);
    break;
  case SDL_WINDOWEVENT_FOCUS_GAINED: {
    FocusGained gained;
    Raise(gained, "FocusGained");
    break;
  }
  case SDL_WINDOWEVENT_FOCUS_LOST: {
    FocusLost lost;
    Raise(lost, "FocusLost");
    break;
  }
  case SDL_WINDOWEVENT_CLOSE: {
    if (Engine::ms_Singleton)
      Engine::ms_Singleton->quit = true;
    WindowClose close;
    Raise(close, "WindowClose");
    break;
  }
  case SDL_WINDOWEVENT_SHOWN:
  case SDL_WINDOWEVENT_HIDDEN:
  case SDL_WINDOWEVENT_EXPOSED:
  case SDL_WINDOWEVENT_SIZE_CHANGED:
  case SDL_WINDOWEVENT_RESTORED:
  case SDL_WINDOWEVENT_ENTER:
  case SDL_WINDOWEVENT_LEAVE:
    break;
  default:
    std::printf("UNKOWN WINDOW EVENT");
    debug::LeaveLineOpen();
    break;
  }
}

void AutoplayStep() {
  if (state.autoplayFrame++ < kAutoplayPeriod - 1)
    return;
  state.autoplayFrame = 0;

  int r = std::rand();
  std::printf("Num: %i, ", r % 10);
  uint32_t key = kAutoplayKeys[static_cast<size_t>(r % 10)];
  int p = std::rand() % 128;
  if (p == 0)
    key = kAutoplayRestart;
  else if (p < 8 || (state.down[kSpace] && p < 32))
    key = kSpace;
  else if (p < 12 || (state.down[kLeftShift] && p < 40))
    key = kLeftShift;
  std::printf("Key: %i\n", static_cast<int>(key));

  if (state.down[key])
    Release(key, kKeyIsReleased, &KeyIsReleased::Key);
  else
    Press(key, kKeyIsTriggered, &KeyIsTriggered::Key);
  RaiseHeldEvents();
}

void StartSdl() {
  if (SDL_InitSubSystem(kSdlSubsystems) == 0) {
    state.startedSubsystems = kSdlSubsystems;
    return;
  }
  // SDL undoes everything when one subsystem fails; take them one by one so that, say, a
  // machine without sound still gets its controllers.
  std::fprintf(stderr, "Input: SDL could not start every subsystem: %s\n", SDL_GetError());
  const struct {
    uint32_t flag;
    const char* name;
  } subsystems[] = {{SDL_INIT_TIMER, "timer"},   {SDL_INIT_AUDIO, "audio"},
                    {SDL_INIT_VIDEO, "video"},   {SDL_INIT_JOYSTICK, "joystick"},
                    {SDL_INIT_HAPTIC, "haptic"}, {SDL_INIT_GAMECONTROLLER, "game controller"},
                    {SDL_INIT_EVENTS, "events"}};
  for (const auto& subsystem : subsystems) {
    if (SDL_InitSubSystem(subsystem.flag) == 0)
      state.startedSubsystems |= subsystem.flag;
    else
      std::fprintf(stderr, "Input: SDL %s subsystem unavailable: %s\n", subsystem.name,
                   SDL_GetError());
  }
}

bool ReleasesHeldCode(const SDL_Event& event) {
  uint32_t code = kCodeSlots;
  if (event.type == SDL_KEYUP)
    code = MapKeyCode(event.key.keysym.sym);
  else if (event.type == SDL_MOUSEBUTTONUP)
    code = event.button.button;
  return code < kCodeSlots && state.down[code];
}

} // namespace

uint32_t MapKeyCode(int32_t sdlKeyCode) {
  uint32_t code = static_cast<uint32_t>(sdlKeyCode);
  // Non-character keys carry the scancode flag (bit 30); without the top two bits they are
  // their scancode.
  return code <= 256 ? code : (code & 0x3FFFFFFFu);
}

void Start() {
  StartSdl();
  if (!state.controller && (state.startedSubsystems & SDL_INIT_GAMECONTROLLER))
    OpenFirstController();
}

void Pump() {
  if (state.autoplay) {
    AutoplayStep();
    return;
  }
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    bool editorOnly = LevelEditor::ms_Singleton && LevelEditor::ms_Singleton->ProcessEvent(event);
    // A key or button the game saw go down always reaches it going up, or it would stay held.
    if (editorOnly && !ReleasesHeldCode(event))
      continue;
    HandleEvent(event);
  }
  RaiseHeldEvents();
}

void Shutdown() {
  CloseController();
  if (state.startedSubsystems)
    SDL_QuitSubSystem(state.startedSubsystems);
  state = State{};
}

void HandleEvent(const SDL_Event& event) {
  switch (event.type) {
  case SDL_KEYDOWN:
    Press(MapKeyCode(event.key.keysym.sym), kKeyIsTriggered, &KeyIsTriggered::Key);
    break;
  case SDL_KEYUP:
    Release(MapKeyCode(event.key.keysym.sym), kKeyIsReleased, &KeyIsReleased::Key);
    break;
  case SDL_MOUSEBUTTONDOWN:
    Press(event.button.button, kMouseIsTriggered, &MouseIsTriggered::Button);
    break;
  case SDL_MOUSEBUTTONUP:
    Release(event.button.button, kMouseIsReleased, &MouseIsReleased::Button);
    break;
  case SDL_MOUSEMOTION: {
    state.mouseX = event.motion.x;
    state.mouseY = event.motion.y;
    MouseMoved moved;
    moved.XPos = state.mouseX;
    moved.YPos = state.mouseY;
    Raise(moved, "MouseMoved");
    break;
  }
  case SDL_MOUSEWHEEL: {
    MouseWheel wheel;
    wheel.X = event.wheel.x;
    wheel.Y = event.wheel.y;
    Raise(wheel, "MouseWheel");
    break;
  }
  case SDL_CONTROLLERAXISMOTION: {
    ControllerAxis axis;
    axis.Axis = event.caxis.axis;
    axis.Value = event.caxis.value;
    Raise(axis, "ControllerAxisMoved");
    break;
  }
  case SDL_CONTROLLERBUTTONDOWN: {
    ControllerButtonDown button;
    button.Button = event.cbutton.button;
    Raise(button, "ControllerButtonDown");
    break;
  }
  case SDL_CONTROLLERBUTTONUP: {
    ControllerButtonUp button;
    button.Button = event.cbutton.button;
    Raise(button, "ControllerButtonUp");
    break;
  }
  case SDL_CONTROLLERDEVICEADDED:
    if (!state.controller)
      SearchControllers();
    break;
  case SDL_CONTROLLERDEVICEREMOVED:
    SearchControllers();
    break;
  case SDL_WINDOWEVENT:
    HandleWindowEvent(event.window);
    break;
  default:
    break;
  }
}

void RaiseHeldEvents() {
  for (uint32_t code = 0; code <= kLastHeldMouse; ++code)
    if (state.down[code]) {
      MouseIsDown held;
      held.Button = static_cast<uint8_t>(code);
      Raise(held, kMouseIsDown);
    }
  for (uint32_t code = kFirstHeldKey; code <= kLastHeldKey; ++code)
    if (state.down[code]) {
      KeyIsDown held;
      held.Key = static_cast<uint8_t>(code);
      Raise(held, kKeyIsDown);
    }
}

bool IsDown(uint8_t code) {
  return code < kCodeSlots && state.down[code];
}
bool IsNotDown(uint8_t code) {
  return !IsDown(code);
}
bool IsTriggered(uint8_t code) {
  return IsDown(code) && state.triggered[code];
}
bool IsUpForKeys(uint8_t code) {
  return IsNotDown(code);
}
bool IsUpForMouse(uint8_t code) {
  return code >= kCodeSlots || !state.triggered[code];
}

int32_t MouseX() {
  return state.mouseX;
}
int32_t MouseY() {
  return state.mouseY;
}

void WindowSize(int32_t& width, int32_t& height) {
  width = height = 0;
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  if (graphics && graphics->window)
    SDL_GetWindowSize(graphics->window, &width, &height);
}

bool ControllerConnected() {
  return state.controller != nullptr;
}

void SimpleVibrate(float strength, uint32_t milliseconds) {
  if (!state.rumble)
    return;
  float clamped = std::isnan(strength) ? 0.0f : std::fmin(std::fmax(strength, 0.0f), 1.0f);
  state.rumble->Play(clamped, milliseconds);
}

void SetRumbleDevice(std::unique_ptr<RumbleDevice> device) {
  state.rumble = std::move(device);
}
bool HasRumbleDevice() {
  return state.rumble != nullptr;
}

void ToggleAutoplay() {
  state.autoplay = !state.autoplay;
}
bool AutoplayOn() {
  return state.autoplay;
}

} // namespace Input
