// The game's screens through the real program, with real SDL events: the pause screen over a
// level (Escape and Start open it, the level ignores moves while it is open, Resume, Restart and
// Main Menu), the options from the main menu and from the pause screen (applied at once and
// saved), level select after winning levels, the progress and options kept across a second run
// of the program on the same data, and a damaged progress file.
#include <algorithm>
#include <chrono>

#include "Audio/Sounds.h"
#include "Graphics/Font.h"
#include "Systems/GraphicsEngine.h"
#include "playthrough/Playthrough.h"

namespace {

using namespace playthrough;

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

class ScreensPlaythroughTest : public PlaythroughTest {
protected:
  Space* Pause() const { return run->TheEngine().GetSpace("Pause"); }

  // The pause screen is open over the level: the pause space active with the pause menu (or
  // the options) in it, and the engine paused.
  bool PauseOpen(const std::string& screen = "Paused.level") const {
    Space* pause = Pause();
    return pause && pause->m_Active && pause->LevelName == screen && run->TheEngine().GetPaused();
  }
  bool PauseClosed() const {
    Space* pause = Pause();
    return pause && !pause->m_Active && !run->TheEngine().GetPaused();
  }

  Font* FontOf(const Space* space, const std::string& name) const {
    GameObject* object = space ? space->GetObjectByName(name) : nullptr;
    return object ? object->Get<Font>("Font") : nullptr;
  }
  std::string Text(const Space* space, const std::string& name) const {
    Font* font = FontOf(space, name);
    return font ? font->text_ : "(no " + name + ")";
  }

  // Presses and releases, as steps at the end of the list.
  void Tap(const std::string& what, std::function<void(bool)> push, int times = 1) {
    std::vector<Step> out;
    for (int i = 0; i < times; ++i)
      Press(out, what, push);
    for (Step& step : out)
      run->Add(step.name, step.run);
  }

  // A left click on the middle of an object of a space (of the Main space without one), offset
  // along x in world units.
  void Click(const std::string& space, const std::string& name, float dx = 0.0f) {
    run->Do("click " + name, [this, space, name, dx] {
      Space* in = space.empty() ? &run->Main() : run->TheEngine().GetSpace(space);
      GameObject* object = in ? in->GetObjectByName(name) : nullptr;
      ASSERT_NE(object, nullptr) << "no " << name << " to click";
      Vector2D at = object->Get<Transform>("Transform")->translation_;
      int px, py;
      run->PixelOf(at.x_ + dx, at.y_, px, py, in);
      GameRun::PushMotion(px, py);
      GameRun::PushMouseButton(true, px, py);
    });
    run->Do("release " + name, [] { GameRun::PushMouseButton(false, 0, 0); });
  }

  // Lets that much of the game's clock pass (and a few frames at least), so that what a press
  // would have done has been done.
  void Pass(double gameSeconds) {
    auto passed = std::make_shared<double>(0.0);
    auto frames = std::make_shared<int>(0);
    run->WaitFor(std::to_string(gameSeconds) + " s of game time",
                 [this, passed, frames, gameSeconds] {
                   *passed += run->TheEngine().dt * kSpeed;
                   return ++*frames > 3 && *passed >= gameSeconds;
                 });
  }

  // Plays the first `count` actions of the checker's winning sequence of the level now loaded.
  void PlayFirst(const levels::ParEntry& entry, Device device, size_t count) {
    run->Do("solve " + entry.file, [this, entry, device, count] {
      levels::LevelModel model;
      levels::ModelFromSpace(run->Main(), entry.file, model);
      levels::Solution solution = levels::Solve(model);
      ASSERT_TRUE(solution.solved) << entry.file;
      std::vector<Step> steps;
      for (size_t i = 0; i < count && i < solution.win.size(); ++i)
        for (Step& step : Word(levels::ActionName(solution.win[i]), device, static_cast<int>(i)))
          steps.push_back(std::move(step));
      steps.push_back({"idle after the moves", [this] { return run->State("Phase") == "idle"; }});
      run->Next(steps);
    });
  }

  std::string Progress() const { return run->dir->Read("Progress.txt"); }

  // The lines of standard output that mention the progress file.
  Lines ProgressMessages() const {
    Lines found;
    for (const std::string& line : run->Lines())
      if (line.find("Progress.txt") != std::string::npos)
        found.push_back(line);
    return found;
  }

  // Level select shows exactly these levels (their numbers), in order, and no other item.
  void ExpectOffered(const std::vector<std::string>& numbers) {
    Space& main = run->Main();
    EXPECT_EQ(main.LevelName, "LevelSelect.level");
    EXPECT_EQ(run->Field(&main, "Select", "LevelSelect", "Levels"), std::to_string(numbers.size()));
    for (size_t i = 1; i <= 16; ++i) {
      Font* font = FontOf(&main, "Item" + std::to_string(i));
      ASSERT_NE(font, nullptr) << "Item" << i;
      EXPECT_EQ(font->visible_, i <= numbers.size()) << "Item" << i;
      if (i <= numbers.size()) {
        EXPECT_EQ(font->text_.substr(0, font->text_.find(' ')), numbers[i - 1]);
      }
    }
  }

  void StartLevelOne(std::function<void(bool)> choose) {
    SkipSplashWith(Key(SDLK_x));
    Tap("choose Play", choose);
    run->WaitForLine("level start " + pars[0].file);
    run->WaitFor("idle", [this] { return run->State("Phase") == "idle"; });
  }
};

TEST_F(ScreensPlaythroughTest, PauseHoldsTheLevelThenResumeRestartAndMainMenuOnEveryDevice) {
  run->WaitFor("the splash", [this] { return run->Level() == "splash_KelvoLogo.level"; });
  run->Do("plug in a controller", [this] { pad = std::make_unique<VirtualPad>(); });
  run->WaitFor("the controller found", [] { return Input::ControllerConnected(); });
  StartLevelOne(Key(SDLK_RETURN));

  // Escape opens the pause screen; a move that the level would take is ignored.
  auto before = std::make_shared<std::pair<int, int>>();
  run->Do("where the player is", [this, before] {
    *before = {run->StateInt("Turn"), run->StateInt("NodeId")};
  });
  Tap("Escape", Key(SDLK_ESCAPE));
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  run->Do("the pause menu", [this] {
    EXPECT_EQ(run->Field(Pause(), "PauseMenu", "PauseScreen", "Selected"), "Resume");
    EXPECT_EQ(run->Level(), pars[0].file);
  });
  auto firstMove = std::make_shared<int>(-1);
  run->Do("a move the level takes", [this, firstMove] {
    levels::LevelModel model;
    levels::ModelFromSpace(run->Main(), pars[0].file, model);
    levels::Solution solution = levels::Solve(model);
    ASSERT_TRUE(solution.solved && !solution.win.empty());
    *firstMove = DirOf(levels::ActionName(solution.win.front()));
    ASSERT_GE(*firstMove, 0) << "the level's first action is no move";
    std::vector<Step> press;
    Press(press, "the move", Key(KeyOf(*firstMove, true)));
    Press(press, "R", Key(SDLK_r)); // nor does the level restart
    run->Next(press);
  });
  Pass(1.0);
  run->Do("nothing moved", [this, before] {
    EXPECT_TRUE(PauseOpen());
    EXPECT_EQ(run->StateInt("Turn"), before->first);
    EXPECT_EQ(run->StateInt("NodeId"), before->second);
    EXPECT_EQ(run->State("Phase"), "idle");
  });
  // The move key may have moved the menu's highlight (W and S are menu keys); the mouse picks
  // Resume wherever it is.
  Click("Pause", "Item1");
  run->WaitFor("resumed", [this] { return PauseClosed(); });
  run->Do("the move again", [this, firstMove] {
    std::vector<Step> press;
    Press(press, "the move", Key(KeyOf(*firstMove, true)));
    run->Next(press);
  });
  run->WaitFor("the move taken", [this, before] { return run->StateInt("Turn") == 1; });
  run->Do("moved", [this, before] { EXPECT_NE(run->StateInt("NodeId"), before->second); });
  Tap("R restarts", Key(SDLK_r));
  PlayLevel(pars[0], Device::kKeyboard);
  run->WaitForLine(Won(pars[0]));

  // On the second level the controller plays part of the way, then Start, Down and A restart.
  run->WaitForLine("level start " + pars[1].file);
  auto startCredits = std::make_shared<int>(0);
  run->WaitFor("idle", [this, startCredits] {
    *startCredits = run->StateInt("Credits");
    return run->State("Phase") == "idle";
  });
  // Two of its actions: a move to the node with credits and the siphon.
  PlayFirst(pars[1], Device::kController, 2);
  auto played = std::make_shared<std::pair<int, int>>();
  run->Do("played", [this, played, startCredits] {
    *played = {run->StateInt("Turn"), run->StateInt("Credits")};
    EXPECT_GT(played->first, 0);
    EXPECT_NE(played->second, *startCredits) << "the moves played took no credits";
  });
  Tap("Start", PadButton(SDL_CONTROLLER_BUTTON_START));
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  Tap("D-pad down", PadButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
  run->Do("Restart selected", [this] {
    EXPECT_EQ(run->Field(Pause(), "PauseMenu", "PauseScreen", "Selected"), "Restart");
  });
  // The restart, timed on the game's clock (the frames' steps at the run's speed) from the
  // press of A until the level is played again.
  auto gameTime = std::make_shared<double>(0.0);
  auto realTime = std::make_shared<double>(0.0);
  run->Do("A down", [this, realTime] {
    pad->Button(SDL_CONTROLLER_BUTTON_A, true);
    *realTime = Seconds();
  });
  run->Do("A up", [this] { pad->Button(SDL_CONTROLLER_BUTTON_A, false); });
  run->WaitFor("restarted", [this, gameTime, realTime] {
    *gameTime += run->TheEngine().dt * kSpeed;
    int starts = 0;
    for (const std::string& line : run->LogLines())
      starts += line == "level start " + pars[1].file;
    if (starts < 2 || run->State("Phase") != "idle")
      return false;
    *realTime = Seconds() - *realTime;
    return true;
  });
  run->Do("the level as it started", [this, startCredits, gameTime, realTime] {
    EXPECT_TRUE(PauseClosed());
    EXPECT_EQ(run->Level(), pars[1].file);
    EXPECT_EQ(run->StateInt("Turn"), 0);
    EXPECT_EQ(run->StateInt("Credits"), *startCredits);
    EXPECT_LT(*gameTime, 1.0) << "the restart took " << *gameTime << " s of game time";
    std::printf("restart: %.3f s of game time, %.3f s real\n", *gameTime, *realTime);
  });

  // Start again, Up (wrapping to Main Menu) and A: the menu, unpaused.
  Tap("Start", PadButton(SDL_CONTROLLER_BUTTON_START));
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  run->Do("the highlight back on Resume", [this] {
    EXPECT_EQ(run->Field(Pause(), "PauseMenu", "PauseScreen", "Selected"), "Resume");
  });
  Tap("D-pad up", PadButton(SDL_CONTROLLER_BUTTON_DPAD_UP));
  run->Do("Main Menu selected", [this] {
    EXPECT_EQ(run->Field(Pause(), "PauseMenu", "PauseScreen", "Selected"), "Main Menu");
  });
  Tap("A", PadButton(SDL_CONTROLLER_BUTTON_A));
  run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });
  Pass(0.1);
  run->Do("unpaused", [this] { EXPECT_TRUE(PauseClosed()); });
  // Escape on the menu opens no pause screen; in the next game it opens as before.
  Tap("Escape", Key(SDLK_ESCAPE));
  Pass(0.5);
  run->Do("still unpaused", [this] { EXPECT_TRUE(PauseClosed()); });
  Tap("A plays", PadButton(SDL_CONTROLLER_BUTTON_A));
  run->WaitForLine("level start " + pars[0].file);
  run->WaitFor("idle", [this] { return run->State("Phase") == "idle"; });
  Tap("Start", PadButton(SDL_CONTROLLER_BUTTON_START));
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  run->Do("on Resume", [this] {
    EXPECT_EQ(run->Field(Pause(), "PauseMenu", "PauseScreen", "Selected"), "Resume");
  });
  Tap("Start resumes", PadButton(SDL_CONTROLLER_BUTTON_START));
  run->WaitFor("resumed", [this] { return PauseClosed(); });
  Tap("Start", PadButton(SDL_CONTROLLER_BUTTON_START));
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  Tap("B resumes", PadButton(SDL_CONTROLLER_BUTTON_B));
  run->WaitFor("resumed", [this] { return PauseClosed(); });
  Quit();

  EXPECT_TRUE(run->Run(60)) << run->problems.front();
  Lines expected = {
      "level start " + pars[0].file, "level start " + pars[0].file, Won(pars[0]),
      "level start " + pars[1].file, "level start " + pars[1].file, "level start " + pars[0].file};
  EXPECT_EQ(run->LogLines(), expected);
  EXPECT_EQ(run->Errors(), Lines{});
}

TEST_F(ScreensPlaythroughTest, OptionsFromTheMenuAndFromThePauseScreenTakeEffectAndAreSaved) {
  run->WaitFor("the splash", [this] { return run->Level() == "splash_KelvoLogo.level"; });
  run->Do("plug in a controller", [this] { pad = std::make_unique<VirtualPad>(); });
  run->WaitFor("the controller found", [] { return Input::ControllerConnected(); });
  SkipSplashWith(Key(SDLK_x));
  Click("", "Item3");
  run->WaitFor("the options", [this] { return run->Level() == "Options.level"; });
  run->Do("the options as they start", [this] {
    Space* main = &run->Main();
    EXPECT_EQ(Text(main, "Item1"), "MUSIC 100%");
    EXPECT_EQ(Text(main, "Item2"), "EFFECTS 100%");
    EXPECT_EQ(Text(main, "Item3"), "MUTE OFF");
    EXPECT_EQ(Text(main, "Item4"), "FULL SCREEN ON");
    EXPECT_EQ(Text(main, "Item5"), "BACK TO MENU");
    EXPECT_TRUE(GraphicsEngine::ms_Singleton->IsFullScreen());
    EXPECT_FALSE(Sounds::ms_Singleton->GetSoundToggle());
    EXPECT_EQ(Progress(), "") << "saved before anything changed";
  });
  // Left lowers the music; a click left of the effects item's middle lowers the effects.
  Tap("Left", Key(SDLK_LEFT));
  Click("", "Item2", -1.0f);
  run->Do("the volumes lowered", [this] {
    EXPECT_NEAR(Sounds::ms_Singleton->GetMusicVolume(), 0.9f, 1e-4f);
    EXPECT_NEAR(Sounds::ms_Singleton->GetSFXVolume(), 0.9f, 1e-4f);
    EXPECT_EQ(Text(&run->Main(), "Item1"), "MUSIC 90%");
    EXPECT_EQ(Text(&run->Main(), "Item2"), "EFFECTS 90%");
    EXPECT_NE(Progress().find("\nmusic 90\neffects 90\n"), std::string::npos) << Progress();
  });
  Tap("Down", Key(SDLK_DOWN));
  Tap("Enter", Key(SDLK_RETURN));
  run->Do("muted", [this] {
    EXPECT_TRUE(Sounds::ms_Singleton->GetSoundToggle());
    EXPECT_EQ(Text(&run->Main(), "Item3"), "MUTE ON");
    EXPECT_NE(Progress().find("\nmute 1\n"), std::string::npos) << Progress();
  });
  // Full screen off and on again: the window follows.
  Tap("S", Key(SDLK_s));
  Tap("Space", Key(SDLK_SPACE));
  Pass(0.1);
  run->Do("windowed", [this] {
    GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
    EXPECT_FALSE(graphics->IsFullScreen());
    EXPECT_EQ(SDL_GetWindowFlags(graphics->window) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_EQ(Text(&run->Main(), "Item4"), "FULL SCREEN OFF");
    EXPECT_NE(Progress().find("\nfullscreen 0\n"), std::string::npos) << Progress();
  });
  Tap("Space", Key(SDLK_SPACE));
  Pass(0.1);
  run->Do("full screen", [this] {
    GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
    EXPECT_TRUE(graphics->IsFullScreen());
    EXPECT_NE(SDL_GetWindowFlags(graphics->window) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_NE(Progress().find("\nfullscreen 1\n"), std::string::npos) << Progress();
  });
  Tap("Escape", Key(SDLK_ESCAPE));
  run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });

  // From the pause screen over the first level, on the controller.
  Tap("Enter plays", Key(SDLK_RETURN));
  run->WaitForLine("level start " + pars[0].file);
  run->WaitFor("idle", [this] { return run->State("Phase") == "idle"; });
  Tap("Escape", Key(SDLK_ESCAPE));
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  Tap("D-pad down", PadButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN), 2);
  Tap("A", PadButton(SDL_CONTROLLER_BUTTON_A));
  run->WaitFor("the options over the level", [this] { return PauseOpen("Options.level"); });
  run->Do("the options as saved", [this] {
    EXPECT_EQ(run->Level(), pars[0].file);
    EXPECT_EQ(Text(Pause(), "Item1"), "MUSIC 90%");
    EXPECT_EQ(Text(Pause(), "Item3"), "MUTE ON");
    EXPECT_EQ(Text(Pause(), "Item5"), "BACK TO PAUSE");
  });
  Tap("D-pad left", PadButton(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
  Tap("D-pad down", PadButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN), 2);
  Tap("A", PadButton(SDL_CONTROLLER_BUTTON_A));
  run->Do("music lowered and the sound back", [this] {
    EXPECT_NEAR(Sounds::ms_Singleton->GetMusicVolume(), 0.8f, 1e-4f);
    EXPECT_FALSE(Sounds::ms_Singleton->GetSoundToggle());
    EXPECT_NE(Progress().find("\nmusic 80\neffects 90\nmute 0\n"), std::string::npos) << Progress();
  });
  // Full screen off and on again over the level; the mouse still plays it afterwards.
  Tap("D-pad down", PadButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
  Tap("A", PadButton(SDL_CONTROLLER_BUTTON_A));
  Pass(0.1);
  run->Do("windowed", [this] {
    EXPECT_FALSE(GraphicsEngine::ms_Singleton->IsFullScreen());
    EXPECT_EQ(Text(Pause(), "Item4"), "FULL SCREEN OFF");
  });
  Tap("A", PadButton(SDL_CONTROLLER_BUTTON_A));
  Pass(0.1);
  run->Do("full screen", [this] {
    EXPECT_TRUE(GraphicsEngine::ms_Singleton->IsFullScreen());
    EXPECT_NE(Progress().find("\nfullscreen 1\n"), std::string::npos) << Progress();
  });
  Tap("B", PadButton(SDL_CONTROLLER_BUTTON_B));
  run->WaitFor("back on the pause menu", [this] { return PauseOpen(); });
  Tap("Escape resumes", Key(SDLK_ESCAPE));
  run->WaitFor("resumed", [this] { return PauseClosed(); });
  PlayLevel(pars[0], Device::kMouse, false, true);
  run->WaitForLine(Won(pars[0]));
  run->WaitForLine("level start " + pars[1].file);
  Quit();

  EXPECT_TRUE(run->Run(60)) << run->problems.front();
  EXPECT_EQ(Progress(), "# VANTIX progress and options\nreached 2\nmusic 80\neffects 90\nmute 0\n"
                        "fullscreen 1\nend\n");
  Lines expected = {"level start " + pars[0].file, Won(pars[0]), "level start " + pars[1].file};
  EXPECT_EQ(run->LogLines(), expected);
  EXPECT_EQ(run->Errors(), Lines{});
}

TEST_F(ScreensPlaythroughTest,
       LevelSelectOffersTheLevelsReachedAndTheNextRunKeepsThemAndTheOptions) {
  SkipSplashWith(Key(SDLK_SPACE));
  // The options first: music at 70, muted.
  Tap("Down", Key(SDLK_DOWN), 2);
  Tap("Enter", Key(SDLK_RETURN));
  run->WaitFor("the options", [this] { return run->Level() == "Options.level"; });
  Tap("Left", Key(SDLK_LEFT), 3);
  Tap("Down", Key(SDLK_DOWN), 2);
  Tap("Enter", Key(SDLK_RETURN));
  Tap("Escape", Key(SDLK_ESCAPE));
  run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });
  run->Do("saved with the first level reached", [this] {
    EXPECT_NE(Progress().find("\nreached 1\nmusic 70\n"), std::string::npos) << Progress();
  });
  // Levels 1 and 2 won: level 3 reached; then back to the menu from the pause screen.
  Tap("Enter plays", Key(SDLK_RETURN));
  for (int i = 0; i < 2; ++i) {
    PlayLevel(pars[i], Device::kKeyboard);
    run->WaitForLine(Won(pars[i]));
  }
  run->WaitForLine("level start " + pars[2].file);
  run->WaitFor("idle", [this] { return run->State("Phase") == "idle"; });
  Tap("Escape", Key(SDLK_ESCAPE));
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  Tap("Up", Key(SDLK_UP));
  Tap("Enter", Key(SDLK_RETURN));
  run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });
  Tap("Down", Key(SDLK_DOWN));
  Tap("Enter", Key(SDLK_RETURN));
  run->WaitFor("level select", [this] { return run->Level() == "LevelSelect.level"; });
  run->Do("levels 1 to 3 offered", [this] { ExpectOffered({"1", "2", "3"}); });
  Click("", "Item3");
  run->WaitForLine("level start " + pars[2].file);
  Quit();

  EXPECT_TRUE(run->Run(60)) << run->problems.front();
  EXPECT_EQ(Progress(), "# VANTIX progress and options\nreached 3\nmusic 70\neffects 100\nmute 1\n"
                        "fullscreen 1\nend\n");
  Lines expected = {"level start " + pars[0].file, Won(pars[0]),
                    "level start " + pars[1].file, Won(pars[1]),
                    "level start " + pars[2].file, "level start " + pars[2].file};
  EXPECT_EQ(run->LogLines(), expected);
  EXPECT_EQ(run->Errors(), Lines{});

  // The program again, on the same data: the options as saved from the start, and level select
  // offers what the first run reached (on the controller); where a fourth level would be, a
  // click does nothing.
  std::unique_ptr<GameRun> first = std::move(run);
  run = GameRun::After(*first);
  run->WaitFor("the splash", [this] { return run->Level() == "splash_KelvoLogo.level"; });
  run->Do("the saved options", [this] {
    EXPECT_NEAR(Sounds::ms_Singleton->GetMusicVolume(), 0.7f, 1e-4f);
    EXPECT_NEAR(Sounds::ms_Singleton->GetSFXVolume(), 1.0f, 1e-4f);
    EXPECT_TRUE(Sounds::ms_Singleton->GetSoundToggle());
    EXPECT_TRUE(GraphicsEngine::ms_Singleton->IsFullScreen());
  });
  run->Do("plug in a controller", [this] { pad = std::make_unique<VirtualPad>(); });
  run->WaitFor("the controller found", [] { return Input::ControllerConnected(); });
  Tap("B skips", PadButton(SDL_CONTROLLER_BUTTON_B));
  run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });
  Tap("D-pad down", PadButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
  Tap("A", PadButton(SDL_CONTROLLER_BUTTON_A));
  run->WaitFor("level select", [this] { return run->Level() == "LevelSelect.level"; });
  run->Do("levels 1 to 3 offered", [this] { ExpectOffered({"1", "2", "3"}); });
  Click("", "Item4");
  Pass(0.5);
  run->Do("no fourth level", [this] {
    EXPECT_EQ(run->Level(), "LevelSelect.level");
    EXPECT_EQ(run->Field(&run->Main(), "Select", "LevelSelect", "Selected"), pars[0].file);
  });
  Tap("D-pad down", PadButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN), 2);
  Tap("A", PadButton(SDL_CONTROLLER_BUTTON_A));
  run->WaitForLine("level start " + pars[2].file);
  Quit();

  EXPECT_TRUE(run->Run(30)) << run->problems.front();
  EXPECT_EQ(run->LogLines(), Lines{"level start " + pars[2].file});
  EXPECT_EQ(ProgressMessages(), Lines{});
  EXPECT_EQ(run->Errors(), Lines{});
}

TEST_F(ScreensPlaythroughTest, ADamagedProgressFileIsNamedOnceTheGameStartsFreshAndSavesAGoodOne) {
  struct Case {
    std::string text, problem;
  };
  const Case cases[] = {
      {std::string("\x7f"
                   "ELF\x02\x01\x01 \xff\xfe garbage\n\0\0\x13 more",
                   27),
       "not a setting"},
      {"# VANTIX progress and options\nreached 9\nmusic 40\neffe", "cut short"},
      {"# VANTIX progress and options\nreached 9\nmusic 40\n", "cut short"},
  };
  for (const Case& damaged : cases) {
    SCOPED_TRACE(damaged.text);
    run.reset(); // its scratch folder goes before the next one is made
    run = std::make_unique<GameRun>(kSpeed);
    run->dir->Write("Progress.txt", damaged.text);
    SkipSplashWith(Key(SDLK_RETURN));
    Click("", "Item2");
    run->WaitFor("level select", [this] { return run->Level() == "LevelSelect.level"; });
    run->Do("only the first level offered", [this] { ExpectOffered({"1"}); });
    Tap("Enter", Key(SDLK_RETURN));
    PlayLevel(pars[0], Device::kKeyboard);
    run->WaitForLine(Won(pars[0]));
    run->WaitForLine("level start " + pars[1].file);
    Quit();

    EXPECT_TRUE(run->Run(30)) << run->problems.front();
    Lines messages = ProgressMessages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string& message = messages.front();
    EXPECT_EQ(message.rfind("Progress.txt: cannot be read (", 0), 0u) << message;
    EXPECT_NE(message.find(damaged.problem), std::string::npos) << message;
    EXPECT_NE(message.find("start fresh"), std::string::npos) << message;
    EXPECT_TRUE(
        std::all_of(message.begin(), message.end(), [](char ch) { return ch >= ' ' && ch <= '~'; }))
        << "a raw byte in: " << message;
    EXPECT_EQ(Progress(), "# VANTIX progress and options\nreached 2\nmusic 100\neffects 100\n"
                          "mute 0\nfullscreen 1\nend\n");
    Lines expected = {"level start " + pars[0].file, Won(pars[0]), "level start " + pars[1].file};
    EXPECT_EQ(run->LogLines(), expected);
    EXPECT_EQ(run->Errors(), Lines{});
  }
}

TEST_F(ScreensPlaythroughTest, StartedOnTheMenuTheCursorShowsAndAClickChoosesLevelSelect) {
  run->startLevel = "MainMenu.level";
  run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });
  run->Do("the mouse moves", [] { GameRun::PushMotion(640, 360); });
  Pass(0.1);
  run->Do("the cursor shows", [this] {
    Space* space = run->TheEngine().GetSpace("Cursor");
    GameObject* cursor = space ? space->GetObjectByName("Cursor") : nullptr;
    ASSERT_NE(cursor, nullptr) << "no cursor";
    EXPECT_TRUE(space->m_Active);
    EXPECT_TRUE(cursor->Get<Sprite>("Sprite")->visible_);
  });
  Click("", "Item2");
  run->WaitFor("level select", [this] { return run->Level() == "LevelSelect.level"; });
  run->Do("the first level offered", [this] { ExpectOffered({"1"}); });
  Quit();

  EXPECT_TRUE(run->Run(30)) << run->problems.front();
  EXPECT_EQ(run->Errors(), Lines{});
}

TEST_F(ScreensPlaythroughTest, PausedInTheMiddleOfAMoveTheMoveHoldsAndFinishesOnResume) {
  run->startLevel = pars[0].file;
  run->WaitForLine("level start " + pars[0].file);
  run->WaitFor("idle", [this] { return run->State("Phase") == "idle"; });
  auto dir = std::make_shared<int>(-1);
  auto at = std::make_shared<Vector2D>();
  // The move and Escape in one frame: the pause screen opens while the move animates.
  run->Do("a move and Escape", [this, dir] {
    levels::LevelModel model;
    levels::ModelFromSpace(run->Main(), pars[0].file, model);
    levels::Solution solution = levels::Solve(model);
    ASSERT_TRUE(solution.solved && !solution.win.empty());
    *dir = DirOf(levels::ActionName(solution.win.front()));
    ASSERT_GE(*dir, 0);
    GameRun::PushKey(true, KeyOf(*dir, false));
    GameRun::PushKey(true, SDLK_ESCAPE);
  });
  run->Do("keys up", [dir] {
    GameRun::PushKey(false, KeyOf(*dir, false));
    GameRun::PushKey(false, SDLK_ESCAPE);
  });
  run->WaitFor("the pause screen", [this] { return PauseOpen(); });
  auto player = [this]() -> Vector2D {
    GameObject* object = run->Main().GetObjectByName("Player");
    return object ? object->Get<Transform>("Transform")->translation_ : Vector2D();
  };
  run->Do("mid-move", [this, at, player] {
    EXPECT_EQ(run->State("Phase"), "busy");
    *at = player();
  });
  // A second move while paused is neither taken nor kept for later.
  run->Do("another move", [dir] { GameRun::PushKey(true, KeyOf(*dir, false)); });
  run->Do("up", [dir] { GameRun::PushKey(false, KeyOf(*dir, false)); });
  Pass(2.0);
  run->Do("held", [this, at, player] {
    EXPECT_EQ(run->State("Phase"), "busy");
    EXPECT_EQ(player().x_, at->x_);
    EXPECT_EQ(player().y_, at->y_);
  });
  Tap("Escape resumes", Key(SDLK_ESCAPE));
  run->WaitFor("the move done", [this] { return run->State("Phase") == "idle"; });
  Pass(1.0);
  run->Do("one move made", [this, at, player] {
    EXPECT_EQ(run->StateInt("Turn"), 1);
    EXPECT_EQ(run->State("Phase"), "idle");
    EXPECT_TRUE(player().x_ != at->x_ || player().y_ != at->y_);
  });
  Quit();

  EXPECT_TRUE(run->Run(30)) << run->problems.front();
  EXPECT_EQ(run->LogLines(), Lines{"level start " + pars[0].file});
  EXPECT_EQ(run->Errors(), Lines{});
}

} // namespace
