// The whole game played through the real program in a real window, with real SDL events: from
// the splash through the menu and every level (the level checker's winning sequences) to the
// victory screen and back to the menu on the keyboard; the first levels on a controller plugged
// in mid-game and pulled out again; a level with the mouse alone.
#include <algorithm>

#include "playthrough/Playthrough.h"

namespace {

using namespace playthrough;

TEST_F(PlaythroughTest, TheKeyboardPlaysFromTheSplashThroughEveryLevelToVictoryAndTheMenu) {
  SkipSplashWith(Key(SDLK_x));
  std::vector<Step> play;
  Press(play, "enter", Key(SDLK_RETURN));
  for (Step& step : play)
    run->Add(step.name, step.run);
  Lines expected;
  for (const levels::ParEntry& entry : pars) {
    PlayLevel(entry, Device::kKeyboard);
    run->WaitForLine(Won(entry));
    expected.push_back("level start " + entry.file);
    expected.push_back(Won(entry));
  }
  expected.push_back("game complete");
  run->WaitForLine("game complete");
  run->WaitFor("the victory screen", [this] { return run->Level() == "Victory.level"; });
  std::vector<Step> back;
  Press(back, "any key", Key(SDLK_q));
  for (Step& step : back)
    run->Add(step.name, step.run);
  run->WaitFor("back at the menu", [this] { return run->Level() == "MainMenu.level"; });
  Quit();

  EXPECT_TRUE(run->Run(90)) << run->problems.front();
  EXPECT_EQ(run->LogLines(), expected);
  EXPECT_EQ(run->Errors(), Lines{});
}

TEST_F(PlaythroughTest, AControllerPluggedInMidGamePlaysTheFirstLevelsAndRumblesThenTheKeyboard) {
  run->WaitFor("the splash",
               [this] { return run->Level() == "splash_KelvoLogo.level" && run->Frames() > 3; });
  run->Do("plug in a controller", [this] { pad = std::make_unique<VirtualPad>(); });
  run->WaitFor("the controller found", [] { return Input::ControllerConnected(); });
  std::vector<Step> steps;
  Press(steps, "B skips the splash", PadButton(SDL_CONTROLLER_BUTTON_B));
  steps.push_back({"the menu", [this] { return run->Level() == "MainMenu.level"; }});
  Press(steps, "A plays", PadButton(SDL_CONTROLLER_BUTTON_A));
  steps.push_back({"level one", [this] { return run->State("Phase") == "idle"; }});
  Press(steps, "Back restarts", PadButton(SDL_CONTROLLER_BUTTON_BACK));
  for (Step& step : steps)
    run->Add(step.name, step.run);
  run->WaitForLine("level start " + pars[0].file);

  Lines expected = {"level start " + pars[0].file};
  for (size_t i = 0; i < 3; ++i) {
    PlayLevel(pars[i], Device::kController);
    run->WaitForLine(Won(pars[i]));
    expected.push_back("level start " + pars[i].file);
    expected.push_back(Won(pars[i]));
  }
  // Found on the fourth level: the controller rumbles; then, with a bumper still held, it is
  // pulled out and the keyboard wins the level.
  const levels::ParEntry& fourth = pars[3];
  PlayLevel(fourth, Device::kController, true);
  run->WaitFor("found", [this, fourth] {
    for (const std::string& line : run->Lines())
      if (line.rfind("level found " + fourth.file + " turns=", 0) == 0)
        return true;
    return false;
  });
  run->Do("bumper held", [this] { pad->Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true); });
  run->WaitFor("the restart", [this, fourth] {
    int starts = 0;
    for (const std::string& line : run->LogLines())
      starts += line == "level start " + fourth.file;
    return starts == 2 && run->State("Phase") == "idle";
  });
  run->Do("pull the controller out", [this] { pad->Unplug(); });
  run->WaitFor("the controller gone", [] { return !Input::ControllerConnected(); });
  PlayLevel(fourth, Device::kKeyboard);
  run->WaitForLine(Won(fourth));
  run->WaitForLine("level start " + pars[4].file);
  Quit();

  EXPECT_TRUE(run->Run(60)) << run->problems.front();
  expected.push_back("level start " + fourth.file);
  expected.push_back("level found " + fourth.file + " turns=" + std::to_string(foundTurns));
  expected.push_back("level start " + fourth.file);
  expected.push_back(Won(fourth));
  expected.push_back("level start " + pars[4].file);
  EXPECT_EQ(run->LogLines(), expected);
  ASSERT_TRUE(pad);
  EXPECT_FALSE(pad->rumbles.empty()) << "being found did not rumble the controller";
  if (!pad->rumbles.empty()) {
    EXPECT_GT(pad->rumbles.front(), 30000);
  }
  EXPECT_EQ(run->Errors(), Lines{});
}

TEST_F(PlaythroughTest, TheMouseAloneSkipsTheSplashChoosesPlayAndWinsALevelWithItsCursorShown) {
  const int cx = 400, cy = 300;
  run->WaitFor("the splash",
               [this] { return run->Level() == "splash_KelvoLogo.level" && run->Frames() > 3; });
  run->Do("move and click", [cx, cy] {
    GameRun::PushMotion(cx, cy);
    GameRun::PushMouseButton(true, cx, cy);
  });
  run->Do("release", [cx, cy] { GameRun::PushMouseButton(false, cx, cy); });
  run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });
  // A window event the engine does not know (a window manager's "take focus") is noted on
  // standard output without a newline; the log lines after it still start lines of their own.
  run->Do("an unknown window event", [] {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = 15;
    SDL_PushEvent(&event);
  });
  // The cursor's arrow tip is where the mouse is.
  run->Do("the cursor follows", [this, cx, cy] {
    Space* space = run->TheEngine().GetSpace("Cursor");
    GameObject* cursor = space ? space->GetObjectByName("Cursor") : nullptr;
    ASSERT_NE(cursor, nullptr) << "no cursor";
    EXPECT_TRUE(cursor->Get<Sprite>("Sprite")->visible_);
    Transform* t = cursor->Get<Transform>("Transform");
    int px, py;
    float left = t->translation_.x_ - t->scale_.x_ / 2, top = t->translation_.y_ + t->scale_.y_ / 2;
    run->PixelOf(left, top, px, py); // the menu has the default view, as the cursor's space
    EXPECT_NEAR(px, cx, 1);
    EXPECT_NEAR(py, cy, 1);
  });
  run->Do("click Play", [this] {
    GameObject* item = run->Main().GetObjectByName("Item1");
    ASSERT_NE(item, nullptr);
    Vector2D at = item->Get<Transform>("Transform")->translation_;
    int px, py;
    run->PixelOf(at.x_, at.y_, px, py);
    GameRun::PushMotion(px, py);
    GameRun::PushMouseButton(true, px, py);
  });
  run->Do("release", [] { GameRun::PushMouseButton(false, 0, 0); });
  run->WaitForLine("level start " + pars[0].file);
  run->WaitFor("idle", [this] { return run->State("Phase") == "idle"; });
  // Clicks on nothing and on a node that is no neighbour do nothing.
  run->Do("click nothing", [] {
    GameRun::PushMotion(20, 20);
    GameRun::PushMouseButton(true, 20, 20);
  });
  run->Do("release", [] { GameRun::PushMouseButton(false, 20, 20); });
  run->Do("click a far node", [this] {
    for (GameObject* object : run->Main().GetObjectsByName("Node"))
      if (object->Get<GameNode>("GameNode")->EndNode) {
        Vector2D at = object->Get<Transform>("Transform")->translation_;
        int px, py;
        run->PixelOf(at.x_, at.y_, px, py);
        GameRun::PushMotion(px, py);
        GameRun::PushMouseButton(true, px, py);
      }
  });
  run->Do("release", [] { GameRun::PushMouseButton(false, 0, 0); });
  run->Do("nothing moved", [this] {
    EXPECT_EQ(run->StateInt("Turn"), 0);
    EXPECT_EQ(run->State("Phase"), "idle");
  });
  PlayLevel(pars[0], Device::kMouse, false, true);
  run->WaitForLine(Won(pars[0]));
  run->WaitForLine("level start " + pars[1].file);
  Quit();

  EXPECT_TRUE(run->Run(60)) << run->problems.front();
  Lines expected = {"level start " + pars[0].file, Won(pars[0]), "level start " + pars[1].file};
  EXPECT_EQ(run->LogLines(), expected);
  EXPECT_EQ(std::count(run->Lines().begin(), run->Lines().end(), "UNKOWN WINDOW EVENT"), 1);
  EXPECT_EQ(run->Errors(), Lines{});
}

} // namespace
