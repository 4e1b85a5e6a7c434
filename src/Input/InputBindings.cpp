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
  lb::Global(L).Namespace("ReplayStuff").Variable("_Replay", &Input::replay).End();
}

void BindQueries(lua_State* L) {
  lb::Global(L)
      .Function("keyIsDown", &QueryDown)
      .Function("keyIsNotDown", &QueryNotDown)
      .Function("keyIsTriggered", &QueryTriggered)
      .Function("keyIsUp", &QueryUpForKeys)
      .Function("mouseIsDown", &QueryDown)
      .Function("mouseIsNotDown", &QueryNotDown)
      .Function("mouseIsTriggered", &QueryTriggered)
      .Function("mouseIsUp", &QueryUpForMouse);
}

void BindKeys(lua_State* L) {
  lb::Global global(L);
  lb::Scope& keys = global.Namespace("Keys");
  char letter[2] = {0, 0};
  for (int i = 0; i < 26; ++i) {
    letter[0] = static_cast<char>('A' + i);
    keys.Constant(letter, static_cast<uint8_t>('a' + i));
  }
  for (int i = 0; i < 12; ++i)
    keys.Constant(("F" + std::to_string(i + 1)).c_str(), static_cast<uint8_t>(58 + i));
  for (int i = 0; i < 10; ++i)
    keys.Constant(kDigitNames[i], static_cast<uint8_t>('0' + i));
  for (const NamedCode& key : kOtherKeys)
    keys.Constant(key.name, key.code);
  keys.End();
}

void BindControllerInput(lua_State* L) {
  lb::Global global(L);
  lb::Scope& buttons = global.Namespace("ControllerInput").Namespace("Buttons");
  for (size_t i = 0; i < std::size(kButtonDefaults); ++i) {
    buttonValues[i] = kButtonDefaults[i].code;
    buttons.Variable(kButtonDefaults[i].name, &buttonValues[i]);
  }
  lb::Scope& axes = buttons.End().Namespace("Axis");
  for (size_t i = 0; i < std::size(kAxisDefaults); ++i) {
    axisValues[i] = kAxisDefaults[i].code;
    axes.Variable(kAxisDefaults[i].name, &axisValues[i]);
  }
  axes.End().End();
}

void BindEvents(lua_State* L) {
  lb::Global(L)
      .Class<KeyIsDown>("KeyIsDown")
      .Plain()
      .Constructor<>()
      .Field("Key", &KeyIsDown::Key)
      .End()
      .Class<KeyIsTriggered>("KeyIsTriggered")
      .Plain()
      .Constructor<>()
      .Field("Key", &KeyIsTriggered::Key)
      .End()
      .Class<KeyIsReleased>("KeyIsReleased")
      .Plain()
      .Constructor<>()
      .Field("Key", &KeyIsReleased::Key)
      .End()
      .Class<MouseIsDown>("MouseIsDown")
      .Plain()
      .Constructor<>()
      .Field("Button", &MouseIsDown::Button)
      .End()
      .Class<MouseIsTriggered>("MouseIsTriggered")
      .Plain()
      .Constructor<>()
      .Field("Button", &MouseIsTriggered::Button)
      .End()
      .Class<MouseIsReleased>("MouseIsReleased")
      .Plain()
      .Constructor<>()
      .Field("Button", &MouseIsReleased::Button)
      .End()
      .Class<MouseMoved>("MouseMoved")
      .Plain()
      .Constructor<>()
      .Field("XPos", &MouseMoved::XPos)
      .Field("YPos", &MouseMoved::YPos)
      .End()
      .Class<MouseWheel>("MouseWheel")
      .Plain()
      .Constructor<>()
      .Field("X", &MouseWheel::X)
      .Field("Y", &MouseWheel::Y)
      .End()
      .Class<ControllerAdded>("ControllerAdded")
      .Plain()
      .Constructor<>()
      .Field("Connected", &ControllerAdded::Connected)
      .End()
      .Class<ControllerRemoved>("ControllerRemoved")
      .Plain()
      .Constructor<>()
      .Field("Connected", &ControllerRemoved::Connected)
      .End()
      .Class<ControllerButtonDown>("ControllerButtonDown")
      .Plain()
      .Constructor<>()
      .Field("Button", &ControllerButtonDown::Button)
      .End()
      .Class<ControllerButtonUp>("ControllerButtonUp")
      .Plain()
      .Constructor<>()
      .Field("Button", &ControllerButtonUp::Button)
      .End()
      .Class<ControllerAxis>("ControllerAxis")
      .Plain()
      .Constructor<>()
      .Field("Value", &ControllerAxis::Value)
      .Field("Axis", &ControllerAxis::Axis)
      .End()
      .Class<WindowResized>("WindowResized")
      .Plain()
      .Constructor<>()
      .Field("XDim", &WindowResized::XDim)
      .Field("YDim", &WindowResized::YDim)
      .End()
      .Class<FocusLost>("FocusLost")
      .Plain()
      .Constructor<>()
      .End()
      .Class<FocusGained>("FocusGained")
      .Plain()
      .Constructor<>()
      .End()
      .Class<WindowClose>("WindowClose")
      .Plain()
      .Constructor<>()
      .End();
}

void BindInput(lua_State* L) {
  lb::Global(L)
      .Namespace("Input")
      .Function("KeyIsDown", &QueryDown)
      .Function("KeyIsNotDown", &QueryNotDown)
      .Function("KeyIsTriggered", &QueryTriggered)
      .Function("KeyIsUp", &QueryUpForKeys)
      .Function("MouseButtonIsDown", &QueryDown)
      .Function("MouseButtonIsNotDown", &QueryNotDown)
      .Function("MouseButtonIsTriggered", &QueryTriggered)
      .Function("MouseButtonIsUp", &QueryUpForMouse)
      .Function("MouseX", &MouseX)
      .Function("MouseY", &MouseY)
      .Function("SimpleVibrate", &SimpleVibrate)
      .Function("ControllerConnected", &ControllerConnected)
      .Function("ToggleAutoplay", &ToggleAutoplay)
      .Variable("Replay", &Input::replay)
      .End();
}

lb::ApiSection replaySection(6, &BindReplay);
lb::ApiSection querySection(7, &BindQueries);
lb::ApiSection keySection(8, &BindKeys);
lb::ApiSection controllerSection(9, &BindControllerInput);
lb::ApiSection eventSection(10, &BindEvents);
lb::ApiSection inputSection(11, &BindInput);

} // namespace
