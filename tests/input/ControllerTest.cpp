// Controllers through SDL's virtual joystick: plugging in, buttons, axes and rumble.
#include <limits>

#include "Input/Input.h"
#include "input/InputFixture.h"

using Strings = std::vector<std::string>;

namespace {

// SDL's virtual joystick with the game-controller layout: SDL gives it a controller mapping
// with buttons and axes in controller order.
int AttachVirtualController() {
  return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                   SDL_CONTROLLER_BUTTON_MAX, 0);
}

// Device index of the attached virtual joystick with that instance id.
int IndexOf(SDL_JoystickID id) {
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == id)
      return i;
  return -1;
}

} // namespace

class ControllerTest : public InputTest {
protected:
  // Attaches a virtual controller and returns its instance id.
  SDL_JoystickID Attach() {
    int index = AttachVirtualController();
    EXPECT_GE(index, 0) << SDL_GetError();
    EXPECT_TRUE(SDL_IsGameController(index));
    return SDL_JoystickGetDeviceInstanceID(index);
  }
  void Detach(SDL_JoystickID id) { SDL_JoystickDetachVirtual(IndexOf(id)); }
};

TEST_F(ControllerTest, PluggingInOpensTheFirstControllerOnly) {
  ASSERT_FALSE(Input::ControllerConnected());
  SDL_JoystickID first = Attach();
  // The search starts by dropping whatever was open.
  EXPECT_EQ(Frame(), (Strings{"ControllerRemoved 0", "ControllerAdded 1"}));
  EXPECT_TRUE(Input::ControllerConnected());

  SDL_JoystickID second = Attach();
  EXPECT_EQ(Frame(), Strings{});

  // Unplugging the open one moves on to the other.
  Detach(first);
  EXPECT_EQ(Frame(), (Strings{"ControllerRemoved 0", "ControllerAdded 1"}));
  EXPECT_TRUE(Input::ControllerConnected());

  Detach(second);
  EXPECT_EQ(Frame(), (Strings{"ControllerRemoved 0"}));
  EXPECT_FALSE(Input::ControllerConnected());
}

TEST_F(ControllerTest, ButtonsAndAxesArriveRaw) {
  SDL_JoystickID id = Attach();
  Frame();
  SDL_Joystick* joystick = SDL_JoystickFromInstanceID(id);
  ASSERT_NE(joystick, nullptr);

  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_Y, SDL_PRESSED);
  EXPECT_EQ(Frame(), (Strings{"ControllerButtonDown 3"}));
  // Controller buttons are not keys: nothing is held.
  EXPECT_FALSE(Input::IsDown(3));
  EXPECT_EQ(Frame(), Strings{});
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_Y, SDL_RELEASED);
  EXPECT_EQ(Frame(), (Strings{"ControllerButtonUp 3"}));

  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_PRESSED);
  EXPECT_EQ(Frame(), (Strings{"ControllerButtonDown 14"}));

  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -12345);
  EXPECT_EQ(Frame(), (Strings{"ControllerAxisMoved 0 -12345"}));
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTY, -32768);
  EXPECT_EQ(Frame(), (Strings{"ControllerAxisMoved 3 -32768"}));
  Detach(id);
  Frame();
}

TEST_F(ControllerTest, RumbleIsClampedAndNeedsADevice) {
  std::vector<Rumble> played;
  // No controller, no rumble device: nothing to play on, and nothing breaks.
  Input::SimpleVibrate(0.5f, 100);
  EXPECT_FALSE(Input::HasRumbleDevice());

  Input::SetRumbleDevice(std::make_unique<RecordingRumble>(&played));
  Input::SimpleVibrate(1.7f, 250);
  Input::SimpleVibrate(-0.2f, 10);
  Input::SimpleVibrate(0.5f, 0);
  Input::SimpleVibrate(std::numeric_limits<float>::quiet_NaN(), 5);
  EXPECT_EQ(played, (std::vector<Rumble>{{1.0f, 250}, {0.0f, 10}, {0.5f, 0}, {0.0f, 5}}));

  // A controller search replaces the device with the new controller's own (SDL has no haptic
  // device for a virtual joystick).
  SDL_JoystickID id = Attach();
  Frame();
  EXPECT_TRUE(Input::ControllerConnected());
  EXPECT_FALSE(Input::HasRumbleDevice());
  played.clear();
  Input::SimpleVibrate(1.0f, 100);
  EXPECT_TRUE(played.empty());
  Detach(id);
  Frame();
}

// A virtual controller with motors and no haptic device, as SDL's own drivers present most
// controllers: every rumble request SDL passes on is logged as "<low> <high>".
struct Motors {
  std::vector<std::string> log;
  static int Rumble(void* self, Uint16 low, Uint16 high) {
    static_cast<Motors*>(self)->log.push_back(std::to_string(low) + " " + std::to_string(high));
    return 0;
  }
};

TEST_F(ControllerTest, AControllerWithMotorsButNoHapticDeviceStillRumbles) {
  Motors motors;
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.userdata = &motors;
  desc.Rumble = &Motors::Rumble;
  int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
  Frame();
  ASSERT_TRUE(Input::ControllerConnected());
  EXPECT_TRUE(Input::HasRumbleDevice());
  Input::SimpleVibrate(0.8f, 400);
  Input::SimpleVibrate(3.0f, 100);
  EXPECT_EQ(motors.log, (Strings{"52428 52428", "65535 65535"}));
  // Unplugged, the device goes with it and rumble does nothing.
  Detach(id);
  Frame();
  EXPECT_FALSE(Input::HasRumbleDevice());
  motors.log.clear();
  Input::SimpleVibrate(1.0f, 100);
  EXPECT_TRUE(motors.log.empty());
}

// Start-up finds a controller that is already attached.
class ControllerAtStartTest : public ::testing::Test {};

TEST_F(ControllerAtStartTest, StartOpensAnAttachedController) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  VANTIX_NEED_DISPLAY(StartSdlVideo(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER),
                      "SDL cannot start: " << SDL_GetError());
  ScratchDir dir;
  {
    Engine engine;
    engine.Initialize();
    EventRecorder recorder;
    recorder.ConnectAll();
    int index = AttachVirtualController();
    ASSERT_GE(index, 0) << SDL_GetError();

    Input::Start();
    EXPECT_TRUE(Input::ControllerConnected());
    EXPECT_EQ(recorder.Take(), (Strings{"ControllerAdded 1"}));
    // SDL's own announcement of the device finds it already open.
    Input::Pump();
    EXPECT_EQ(recorder.Take(), Strings{});

    Input::Shutdown();
    EXPECT_FALSE(Input::ControllerConnected());
    SDL_JoystickDetachVirtual(index);
    engine.Shutdown();
  }
  SDL_Quit();
}
