#pragma once
#include <cstdint>
#include <memory>

union SDL_Event;

// Keyboard, mouse, controller and window events: one table of held codes shared by keys and
// mouse buttons, and a named event for every happening. The input system has no object of
// its own; the main loop calls Start once, Pump once per frame and Shutdown at exit.
//
// Codes: mouse buttons use their SDL numbers (1..5); keys use their SDL key code when it is
// 256 or less (the lower-case character) and otherwise the code with its top two bits
// cleared, which is the SDL scancode. Character codes and scancodes therefore share numbers
// ("=" and F4 are both 61); the tables do not tell them apart.
namespace Input {

// Number of codes with a slot in the tables; codes from here up are not tracked.
constexpr uint32_t kCodeSlots = 254;
// Held events: mouse buttons are reported for codes 0..kLastHeldMouse, keys for
// kFirstHeldKey..kLastHeldKey. Codes above that are tracked but raise no held event.
constexpr uint32_t kLastHeldMouse = 5;
constexpr uint32_t kFirstHeldKey = 6;
constexpr uint32_t kLastHeldKey = 245;

// Autoplay presses one key every kAutoplayPeriod pump calls.
constexpr int32_t kAutoplayPeriod = 16;

// Maps an SDL key code to the code used by the tables and the key events.
uint32_t MapKeyCode(int32_t sdlKeyCode);

// Starts every SDL subsystem the game uses and opens the first game controller, raising
// "ControllerAdded" for it. A subsystem that cannot start is reported and the rest carry on.
void Start();
// One frame of input: drains the SDL queue (or runs one autoplay step) and raises the held
// events. Listeners run inside the pump.
void Pump();
// Closes the controller and its rumble device, releases the SDL subsystems Start acquired and
// forgets the held codes, so a later Start begins clean.
void Shutdown();

// Handles one SDL event as the pump does (the editor's UI layer is not involved).
void HandleEvent(const SDL_Event& event);
// Raises "MouseIsDown" and "KeyIsDown" for the held codes, in ascending code order.
void RaiseHeldEvents();

// Queries. Codes without a slot (254, 255) are never down and never triggered.
bool IsDown(uint8_t code);
bool IsNotDown(uint8_t code);
// Down, and not yet repeated by the system since it went down.
bool IsTriggered(uint8_t code);
bool IsUpForKeys(uint8_t code);
// Not triggered: true for a button never pressed, false from its press until its release.
bool IsUpForMouse(uint8_t code);

int32_t MouseX();
int32_t MouseY();
// The game window's size in the units of the mouse position, read from the window itself, so
// it is right from the first frame (whatever size the window manager or full screen gave it)
// and not only after a resize event. 0, 0 without a window.
void WindowSize(int32_t& width, int32_t& height);

// True while a game controller is open.
bool ControllerConnected();

// Rumble on the open controller's rumble device. The strength is clamped to 0..1 (NaN plays
// as 0); without a rumble device nothing happens.
void SimpleVibrate(float strength, uint32_t milliseconds);

// Where rumble requests go. The controller search installs the SDL haptic device of the
// controller it opens or, when SDL has none for it, the controller's own rumble; another device
// can be installed to drive or watch rumble by other means.
class RumbleDevice {
public:
  virtual ~RumbleDevice() = default;
  virtual void Play(float strength, uint32_t milliseconds) = 0;
};
void SetRumbleDevice(std::unique_ptr<RumbleDevice> device);
bool HasRumbleDevice();

// Autoplay: while on, the pump ignores the SDL queue and presses random keys instead.
void ToggleAutoplay();
bool AutoplayOn();

// A flag kept for scripts only; the engine never reads it.
extern bool replay;

} // namespace Input
