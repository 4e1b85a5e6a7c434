// Keyboard, mouse and controller each play the game: every action from every device, through
// the input system's own event handling.
#include <algorithm>

#include "GameFixture.h"
#include "Input/Input.h"

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

constexpr const char* kLevel = "level 1\ncredits 5\ngrid\nS-c-b-E\nend\nnode S start\n"
                               "node c credits=2\nnode E end\n";

class InputTest : public GameTest {
protected:
  void Pad(int button) {
    PadDown(button);
    Frame();
    PadUp(button);
    RunUntilIdle();
  }
  void Stick(int axis, int value) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERAXISMOTION;
    event.caxis.axis = static_cast<Uint8>(axis);
    event.caxis.value = static_cast<Sint16>(value);
    Input::HandleEvent(event);
    Frame();
  }
};

TEST_F(InputTest, WasdMovesLikeTheArrows) {
  LoadSource(kLevel);
  Tap(SDLK_d);
  RunUntilIdle();
  EXPECT_EQ(PlayerNodeId(), NodeId('c'));
  Tap(SDLK_a);
  RunUntilIdle();
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
}

TEST_F(InputTest, TheControllerMovesWaitsSiphonsPingsLinksAndRestarts) {
  LoadSource(kLevel);
  Pad(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_EQ(PlayerNodeId(), NodeId('c'));
  Pad(SDL_CONTROLLER_BUTTON_X);
  EXPECT_EQ(StateInt("Turn"), 2);
  PadDown(SDL_CONTROLLER_BUTTON_A);
  Frames(66);
  PadUp(SDL_CONTROLLER_BUTTON_A);
  RunUntilIdle();
  EXPECT_EQ(PlayerCredits(), 7);
  Pad(SDL_CONTROLLER_BUTTON_Y);
  EXPECT_EQ(PlayerCredits(), 6);
  PadDown(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  Pad(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  PadUp(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  EXPECT_FALSE(NodeOf('c')->RightLinked);
  EXPECT_EQ(PlayerCredits(), 4);
  Stick(SDL_CONTROLLER_AXIS_LEFTX, -30000);
  Stick(SDL_CONTROLLER_AXIS_LEFTX, -31000); // held: no second move
  Stick(SDL_CONTROLLER_AXIS_LEFTX, 0);
  RunUntilIdle();
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
  EXPECT_EQ(StateInt("Turn"), 5);
  Pad(SDL_CONTROLLER_BUTTON_BACK);
  Frames(2);
  EXPECT_EQ(StateInt("Turn"), 0);
  EXPECT_EQ(CountPrinted("level start Level01.level"), 1);
}

TEST_F(InputTest, ARealStickPushMovesOnceThoughItsOtherAxisJittersAndAPulledPadLeavesNothingHeld) {
  LoadSource(kLevel);
  Stick(SDL_CONTROLLER_AXIS_LEFTX, 30000);
  Stick(SDL_CONTROLLER_AXIS_LEFTY, 300); // the other axis wobbles near the centre
  Stick(SDL_CONTROLLER_AXIS_LEFTX, 31000);
  RunUntilIdle();
  EXPECT_EQ(StateInt("Turn"), 1);
  Stick(SDL_CONTROLLER_AXIS_LEFTX, 0);
  // A bumper down when the controller goes: the keyboard then moves, it does not link.
  PadDown(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  SDL_Event removed{};
  removed.type = SDL_CONTROLLERDEVICEREMOVED;
  Input::HandleEvent(removed);
  Tap(SDLK_RIGHT);
  RunUntilIdle();
  EXPECT_EQ(PlayerNodeId(), NodeId('b'));
  EXPECT_TRUE(NodeOf('c')->RightLinked);
}

TEST_F(InputTest, AClickOnANeighbouringNodeMovesThereAClickElsewhereDoesNothing) {
  LoadSource(kLevel);
  // The network S c b E spans x = -3..3 around the centre of a 1280 x 720 window whose view is
  // 6 world units tall: c, at x = -1, is 1/6 of the height (120 pixels) left of the centre.
  Click(640 - 120, 360);
  RunUntilIdle();
  EXPECT_EQ(PlayerNodeId(), NodeId('c'));
  Click(640 + 360, 360); // E, not a neighbour of c
  RunUntilIdle();
  EXPECT_EQ(PlayerNodeId(), NodeId('c'));
  EXPECT_EQ(StateInt("Turn"), 1);
}

TEST_F(InputTest, EscapeIsLeftToThePauseScreen) {
  LoadSource(kLevel);
  Tap(SDLK_ESCAPE);
  RunUntilIdle();
  EXPECT_EQ(StateInt("Turn"), 0);
  EXPECT_FALSE(Contains(Sounds(), "PlaySound:cantping"));
}

} // namespace
