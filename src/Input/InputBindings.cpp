// The input system's part of the script API: queries, key and controller constants, the input
// event classes and the replay flag.
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>

#include "Binding/Binding.h"
#include "Input/Input.h"
#include "Objects/Events.h"

namespace {

// Scripts pass codes as plain numbers. One outside 0..255 reads as a code without a slot
// rather than wrapping round onto some other key.
uint8_t ScriptCode(int code) {
  return code >= 0 && code <= 255 ? static_cast<uint8_t>(code) : uint8_t{255};
}

bool QueryDown(int code) {
  return Input::IsDown(ScriptCode(code));
}
bool QueryNotDown(int code) {
  return Input::IsNotDown(ScriptCode(code));
}
bool QueryTriggered(int code) {
  return Input::IsTriggered(ScriptCode(code));
}
bool QueryUpForKeys(int code) {
  return Input::IsUpForKeys(ScriptCode(code));
}
bool QueryUpForMouse(int code) {
  return Input::IsUpForMouse(ScriptCode(code));
}

int32_t MouseX() {
  return Input::MouseX();
}
int32_t MouseY() {
  return Input::MouseY();
}
int32_t WindowWidth() {
  int32_t width = 0, height = 0;
  Input::WindowSize(width, height);
  return width;
}
int32_t WindowHeight() {
  int32_t width = 0, height = 0;
  Input::WindowSize(width, height);
  return height;
}
bool ControllerConnected() {
  return Input::ControllerConnected();
}
void ToggleAutoplay() {
  Input::ToggleAutoplay();
}

// A negative duration would wrap round to SDL's "forever".
void SimpleVibrate(float strength, int64_t milliseconds) {
  constexpr int64_t kLongest = std::numeric_limits<uint32_t>::max();
  int64_t length = milliseconds < 0 ? 0 : (milliseconds > kLongest ? kLongest : milliseconds);
  Input::SimpleVibrate(strength, static_cast<uint32_t>(length));
}

struct NamedCode {
  const char* name;
  uint8_t code;
};

// Key codes for scripts, in registration order.
constexpr NamedCode kOtherKeys[] = {
    {"Equals", 61},   {"Tilde", 96},    {"Multiply", 42},    {"Add", 43},      {"Seperator", 159},
    {"Divide", 47},   {"Subtract", 45}, {"Decimal", 46},     {"Backspace", 8}, {"Tab", 9},
    {"Enter", 13},    {"LShift", 225},  {"RShift", 229},     {"LCtrl", 224},   {"RCtrl", 228},
    {"LAlt", 226},    {"RAlt", 230},    {"Escape", 27},      {"Space", 32},    {"PageUp", 75},
    {"PageDown", 78}, {"End", 77},      {"Home", 74},        {"Left", 80},     {"Up", 82},
    {"Right", 79},    {"Down", 81},     {"PrintScreen", 70}, {"Insert", 73},   {"Delete", 127},
};
constexpr const char* kDigitNames[] = {"Zero", "One", "Two",   "Three", "Four",
                                       "Five", "Six", "Seven", "Eight", "Nine"};

// Game-controller numbering. Scripts may reassign these (to remap a pad), so each state starts
// from the defaults.
constexpr NamedCode kButtonDefaults[] = {
    {"A", 0},    {"B", 1},       {"X", 2},           {"Y", 3},           {"Back", 4},
    {"Home", 5}, {"Start", 6},   {"LStickClick", 7}, {"RStickClick", 8}, {"LB", 9},
    {"RB", 10},  {"DPadUp", 11}, {"DPadDown", 12},   {"DPadLeft", 13},   {"DPadRight", 14},
};
constexpr NamedCode kAxisDefaults[] = {{"LStickX", 0}, {"LStickY", 1}, {"RStickX", 2},
                                       {"RStickY", 3}, {"LT", 4},      {"RT", 5}};
uint8_t buttonValues[std::size(kButtonDefaults)];
uint8_t axisValues[std::size(kAxisDefaults)];

void BindReplay(lua_State* L) {
  lb::Global(L)
      .Namespace("ReplayStuff")
      .Doc("The replay flag under its older name.")
      .Variable("_Replay", &Input::replay)
      .Doc("A flag kept for scripts only (the engine never reads it); the same flag as "
           "`Input.Replay`.")
      .End();
}

void BindQueries(lua_State* L) {
  lb::Global(L)
      .Function("keyIsDown", &QueryDown)
      .Doc("True while the key (a `Keys` code) is held.")
      .Function("keyIsNotDown", &QueryNotDown)
      .Doc("True while the key is not held.")
      .Function("keyIsTriggered", &QueryTriggered)
      .Doc("True from the key's press until the system first repeats it (usually several "
           "frames); for one action per press connect to the \"KeyIsTriggered\" event.")
      .Function("keyIsUp", &QueryUpForKeys)
      .Doc("True while the key is not held (as `keyIsNotDown`).")
      .Function("mouseIsDown", &QueryDown)
      .Doc("True while the mouse button (1 left, 2 middle, 3 right) is held.")
      .Function("mouseIsNotDown", &QueryNotDown)
      .Doc("True while the mouse button is not held.")
      .Function("mouseIsTriggered", &QueryTriggered)
      .Doc("True from the button's press until it is released or repeated.")
      .Function("mouseIsUp", &QueryUpForMouse)
      .Doc("False from the button's press until its release, true otherwise.");
}

void BindKeys(lua_State* L) {
  lb::Global global(L);
  lb::Scope& keys = global.Namespace("Keys").Doc(
      "Key codes for the key queries and the key events' `Key`. Character keys and other keys "
      "share one numbering, so some codes coincide (`Equals` and `F4` are both 61).");
  char letter[2] = {0, 0};
  for (int i = 0; i < 26; ++i) {
    letter[0] = static_cast<char>('A' + i);
    keys.Constant(letter, static_cast<uint8_t>('a' + i))
        .Doc(std::string("The ") + letter + " key (its lower-case character code).");
  }
  for (int i = 0; i < 12; ++i)
    keys.Constant(("F" + std::to_string(i + 1)).c_str(), static_cast<uint8_t>(58 + i))
        .Doc("The function key F" + std::to_string(i + 1) + ".");
  for (int i = 0; i < 10; ++i)
    keys.Constant(kDigitNames[i], static_cast<uint8_t>('0' + i))
        .Doc("The " + std::to_string(i) + " key of the main row.");
  for (const NamedCode& key : kOtherKeys)
    keys.Constant(key.name, key.code).Doc(std::string("The ") + key.name + " key.");
  keys.End();
}

void BindControllerInput(lua_State* L) {
  lb::Global global(L);
  lb::Scope& buttons =
      global.Namespace("ControllerInput")
          .Doc("Game-controller numbering, for the controller events' `Button` and `Axis`.")
          .Namespace("Buttons")
          .Doc("Controller button numbers; scripts may reassign them to remap a pad.");
  for (size_t i = 0; i < std::size(kButtonDefaults); ++i) {
    buttonValues[i] = kButtonDefaults[i].code;
    buttons.Variable(kButtonDefaults[i].name, &buttonValues[i])
        .Doc(std::string("The number of the controller's ") + kButtonDefaults[i].name + " button.");
  }
  lb::Scope& axes = buttons.End().Namespace("Axis").Doc(
      "Controller axis numbers (sticks and triggers); scripts may reassign them.");
  for (size_t i = 0; i < std::size(kAxisDefaults); ++i) {
    axisValues[i] = kAxisDefaults[i].code;
    axes.Variable(kAxisDefaults[i].name, &axisValues[i])
        .Doc(std::string("The number of the controller's ") + kAxisDefaults[i].name + " axis.");
  }
  axes.End().End();
}

void BindEvents(lua_State* L) {
  lb::Global(L)
      .Class<KeyIsDown>("KeyIsDown")
      .Doc("Raised every frame for each key held (event \"KeyIsDown\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Key", &KeyIsDown::Key)
      .Doc("The key's code (see `Keys`).")
      .End()
      .Class<KeyIsTriggered>("KeyIsTriggered")
      .Doc("Raised once when a key goes down (event \"KeyIsTriggered\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Key", &KeyIsTriggered::Key)
      .Doc("The key's code.")
      .End()
      .Class<KeyIsReleased>("KeyIsReleased")
      .Doc("Raised when a key goes up (event \"KeyIsReleased\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Key", &KeyIsReleased::Key)
      .Doc("The key's code.")
      .End()
      .Class<MouseIsDown>("MouseIsDown")
      .Doc("Raised every frame for each mouse button held (event \"MouseIsDown\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Button", &MouseIsDown::Button)
      .Doc("The button: 1 left, 2 middle, 3 right.")
      .End()
      .Class<MouseIsTriggered>("MouseIsTriggered")
      .Doc("Raised once when a mouse button goes down (event \"MouseIsTriggered\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Button", &MouseIsTriggered::Button)
      .Doc("The button.")
      .End()
      .Class<MouseIsReleased>("MouseIsReleased")
      .Doc("Raised when a mouse button goes up (event \"MouseIsReleased\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Button", &MouseIsReleased::Button)
      .Doc("The button.")
      .End()
      .Class<MouseMoved>("MouseMoved")
      .Doc("Raised when the mouse moves (event \"MouseMoved\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("XPos", &MouseMoved::XPos)
      .Doc("The pointer's x in window pixels from the left.")
      .Field("YPos", &MouseMoved::YPos)
      .Doc("The pointer's y in window pixels from the top.")
      .End()
      .Class<MouseWheel>("MouseWheel")
      .Doc("Raised when the wheel turns (event \"MouseWheel\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("X", &MouseWheel::X)
      .Doc("Horizontal wheel steps.")
      .Field("Y", &MouseWheel::Y)
      .Doc("Vertical wheel steps (positive away from the user).")
      .End()
      .Class<ControllerAdded>("ControllerAdded")
      .Doc("Raised when a game controller is opened (event \"ControllerAdded\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Connected", &ControllerAdded::Connected)
      .Doc("True when a controller is open.")
      .End()
      .Class<ControllerRemoved>("ControllerRemoved")
      .Doc("Raised when the open controller is unplugged (event \"ControllerRemoved\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Connected", &ControllerRemoved::Connected)
      .Doc("False.")
      .End()
      .Class<ControllerButtonDown>("ControllerButtonDown")
      .Doc("Raised when a controller button goes down (event \"ControllerButtonDown\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Button", &ControllerButtonDown::Button)
      .Doc("The button (see `ControllerInput.Buttons`).")
      .End()
      .Class<ControllerButtonUp>("ControllerButtonUp")
      .Doc("Raised when a controller button goes up (event \"ControllerButtonUp\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Button", &ControllerButtonUp::Button)
      .Doc("The button.")
      .End()
      .Class<ControllerAxis>("ControllerAxis")
      .Doc("Raised when a stick or trigger moves, under the event name \"ControllerAxisMoved\".")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("Value", &ControllerAxis::Value)
      .Doc("The position, -32768..32767 (triggers 0..32767).")
      .Field("Axis", &ControllerAxis::Axis)
      .Doc("The axis (see `ControllerInput.Axis`).")
      .End()
      .Class<WindowResized>("WindowResized")
      .Doc("Raised when the window changes size (event \"WindowResized\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .Field("XDim", &WindowResized::XDim)
      .Doc("The new width in pixels.")
      .Field("YDim", &WindowResized::YDim)
      .Doc("The new height in pixels.")
      .End()
      .Class<FocusLost>("FocusLost")
      .Doc("Raised when the window loses the keyboard focus (event \"FocusLost\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .End()
      .Class<FocusGained>("FocusGained")
      .Doc("Raised when the window gains the keyboard focus (event \"FocusGained\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .End()
      .Class<WindowClose>("WindowClose")
      .Doc("Raised when the window is asked to close (event \"WindowClose\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with default fields.")
      .End();
}

void BindInput(lua_State* L) {
  lb::Global(L)
      .Namespace("Input")
      .Doc("Input queries, the controller's rumble and the autoplay test mode.")
      .Function("KeyIsDown", &QueryDown)
      .Doc("True while the key (a `Keys` code) is held.")
      .Function("KeyIsNotDown", &QueryNotDown)
      .Doc("True while the key is not held.")
      .Function("KeyIsTriggered", &QueryTriggered)
      .Doc("True from the key's press until the system first repeats it (as `keyIsTriggered`).")
      .Function("KeyIsUp", &QueryUpForKeys)
      .Doc("True while the key is not held.")
      .Function("MouseButtonIsDown", &QueryDown)
      .Doc("True while the mouse button (1 left, 2 middle, 3 right) is held.")
      .Function("MouseButtonIsNotDown", &QueryNotDown)
      .Doc("True while the mouse button is not held.")
      .Function("MouseButtonIsTriggered", &QueryTriggered)
      .Doc("True from the button's press until it is released or repeated.")
      .Function("MouseButtonIsUp", &QueryUpForMouse)
      .Doc("False from the button's press until its release, true otherwise.")
      .Function("MouseX", &MouseX)
      .Doc("The pointer's last x in window pixels from the left.")
      .Function("MouseY", &MouseY)
      .Doc("The pointer's last y in window pixels from the top.")
      .Function("WindowWidth", &WindowWidth)
      .Doc("The window's width in the pixels of `MouseX` (0 without a window).")
      .Function("WindowHeight", &WindowHeight)
      .Doc("The window's height in the pixels of `MouseY` (0 without a window).")
      .Function("SimpleVibrate", &SimpleVibrate)
      .Doc("(strength 0..1, milliseconds): rumbles the controller; nothing without one.")
      .Function("ControllerConnected", &ControllerConnected)
      .Doc("True while a game controller is open.")
      .Function("ToggleAutoplay", &ToggleAutoplay)
      .Doc("Switches autoplay on or off: while on, the real input is ignored and a random game "
           "key is pressed or released every 16 frames.")
      .Variable("Replay", &Input::replay)
      .Doc("A flag kept for scripts only (the engine never reads it); the same flag as "
           "`ReplayStuff._Replay`.")
      .End();
}

lb::ApiSection replaySection(6, &BindReplay);
lb::ApiSection querySection(7, &BindQueries);
lb::ApiSection keySection(8, &BindKeys);
lb::ApiSection controllerSection(9, &BindControllerInput);
lb::ApiSection eventSection(10, &BindEvents);
lb::ApiSection inputSection(11, &BindInput);

} // namespace
