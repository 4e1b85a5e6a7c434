#pragma once
// What the playthroughs share: the virtual controller, the steps that press keys and buttons
// and play the level checker's winning sequences on a device, and the fixture that runs the
// real program on a scratch copy of the data.
#include <gtest/gtest.h>

#include <memory>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Gameplay/GameplayComponents.h"
#include "Graphics/Sprite.h"
#include "Input/Input.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "game/LevelCheck.h"
#include "game/LevelModel.h"
#include "game/Solver.h"
#include "playthrough/GameRun.h"

namespace playthrough {

using Lines = std::vector<std::string>;
using Step = GameRun::Step;

// How many times faster than real time the game's clock runs in these runs.
constexpr double kSpeed = 8.0;

enum class Device { kKeyboard, kController, kMouse };

// A virtual controller with the game-controller layout and motors, plugged into SDL.
class VirtualPad {
public:
  VirtualPad() {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.userdata = this;
    desc.Rumble = [](void* self, Uint16 low, Uint16 high) {
      static_cast<VirtualPad*>(self)->rumbles.push_back(std::max(low, high));
      return 0;
    };
    int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0) {
      id = SDL_JoystickGetDeviceInstanceID(index);
      joystick = SDL_JoystickOpen(index);
    }
  }
  ~VirtualPad() { Unplug(); }
  bool Plugged() const { return joystick != nullptr; }
  void Button(int button, bool down) {
    if (joystick)
      SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
  void Axis(int axis, int value) {
    if (joystick)
      SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(value));
  }
  void Unplug() {
    if (!joystick)
      return;
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id)
        SDL_JoystickDetachVirtual(i);
  }
  std::vector<Uint16> rumbles; // the stronger motor of every rumble SDL passed on

private:
  SDL_JoystickID id = -1;
  SDL_Joystick* joystick = nullptr;
};

inline SDL_Keycode KeyOf(int dir, bool letters) {
  static const SDL_Keycode arrows[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
  static const SDL_Keycode wasd[] = {SDLK_w, SDLK_s, SDLK_a, SDLK_d};
  return letters ? wasd[dir] : arrows[dir];
}

inline int DirOf(const std::string& word) {
  static const char* names[] = {"up", "down", "left", "right"};
  for (int d = 0; d < 4; ++d)
    if (word == names[d])
      return d;
  return -1;
}

class PlaythroughTest : public ::testing::Test {
protected:
  void SetUp() override {
    VANTIX_NEED_DISPLAY(StartSdlVideo(SDL_INIT_VIDEO),
                        "SDL video cannot start: " << SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    run = std::make_unique<GameRun>(kSpeed);
    Lines problems;
    ASSERT_TRUE(levels::ReadPars(".", pars, problems));
    ASSERT_GE(pars.size(), 12u);
  }

  // Presses and releases: down this frame, up the next.
  void Press(std::vector<Step>& out, const std::string& what, std::function<void(bool)> push) {
    out.push_back({what + " down", [push] {
                     push(true);
                     return true;
                   }});
    out.push_back({what + " up", [push] {
                     push(false);
                     return true;
                   }});
  }
  std::function<void(bool)> Key(SDL_Keycode key) {
    return [key](bool down) { GameRun::PushKey(down, key); };
  }
  std::function<void(bool)> PadButton(int button) {
    return [this, button](bool down) { pad->Button(button, down); };
  }

  // The window pixel of the player's neighbour in that direction (-1, -1 without one).
  void NeighbourPixel(int dir, int& px, int& py) {
    px = py = -1;
    GameObject* here = run->Main().GetObjectById(run->StateInt("NodeId"));
    GameNode* node = here ? here->Get<GameNode>("GameNode") : nullptr;
    if (!node)
      return;
    int ids[] = {node->UpID, node->DownID, node->LeftID, node->RightID};
    GameObject* next = run->Main().GetObjectById(ids[dir]);
    if (!next)
      return;
    Vector2D at = next->Get<Transform>("Transform")->translation_;
    run->PixelOf(at.x_, at.y_, px, py);
  }

  // The steps that play one of the checker's words on a device, starting once the turn
  // controller is idle. A siphon is held until the turn it costs has begun.
  std::vector<Step> Word(const std::string& word, Device device, int index) {
    std::vector<Step> out;
    out.push_back({"idle before " + word, [this] { return run->State("Phase") == "idle"; }});
    auto turn = std::make_shared<int>(0);
    bool link = word.rfind("link-", 0) == 0;
    int dir = DirOf(link ? word.substr(5) : word);
    bool alternate = index % 2 == 1; // WASD for the keyboard, the stick for the controller
    if (device == Device::kMouse) {
      EXPECT_TRUE(dir >= 0 && !link) << "the mouse only moves: " << word;
      out.push_back({"click " + word, [this, dir] {
                       int px, py;
                       NeighbourPixel(dir, px, py);
                       GameRun::PushMotion(px, py);
                       GameRun::PushMouseButton(true, px, py);
                       return true;
                     }});
      out.push_back({"release " + word, [] {
                       GameRun::PushMouseButton(false, 0, 0);
                       return true;
                     }});
    } else if (device == Device::kKeyboard) {
      if (link)
        out.push_back({"shift down", [] {
                         GameRun::PushKey(true, SDLK_LSHIFT);
                         return true;
                       }});
      if (dir >= 0)
        Press(out, word, Key(KeyOf(dir, alternate && !link)));
      else if (word == "wait")
        Press(out, word, Key(SDLK_TAB));
      else if (word == "ping")
        Press(out, word, Key(SDLK_f));
      if (link)
        out.push_back({"shift up", [] {
                         GameRun::PushKey(false, SDLK_LSHIFT);
                         return true;
                       }});
      if (word == "siphon") {
        out.push_back({"space held", [this, turn] {
                         *turn = run->StateInt("Turn");
                         GameRun::PushKey(true, SDLK_SPACE);
                         return true;
                       }});
        out.push_back({"siphoned", [this, turn] { return run->StateInt("Turn") > *turn; }});
        out.push_back({"space up", [] {
                         GameRun::PushKey(false, SDLK_SPACE);
                         return true;
                       }});
      }
    } else {
      static const int dpad[] = {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                                 SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT};
      if (link)
        out.push_back({"bumper down", [this] {
                         pad->Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
                         return true;
                       }});
      if (dir >= 0 && alternate && !link) {
        // The stick pushed all the way for two frames (one move), then let go.
        int axis = dir < 2 ? SDL_CONTROLLER_AXIS_LEFTY : SDL_CONTROLLER_AXIS_LEFTX;
        int value = (dir == 0 || dir == 2) ? -32768 : 32767;
        out.push_back({"stick " + word, [this, axis, value] {
                         pad->Axis(axis, value);
                         return true;
                       }});
        out.push_back({"stick held", [this, axis, value] {
                         pad->Axis(axis, value > 0 ? value - 100 : value + 100);
                         return true;
                       }});
        out.push_back({"stick back", [this, axis] {
                         pad->Axis(axis, 0);
                         return true;
                       }});
      } else if (dir >= 0) {
        Press(out, word, PadButton(dpad[dir]));
      } else if (word == "wait") {
        Press(out, word, PadButton(SDL_CONTROLLER_BUTTON_X));
      } else if (word == "ping") {
        Press(out, word, PadButton(SDL_CONTROLLER_BUTTON_Y));
      }
      if (link)
        out.push_back({"bumper up", [this] {
                         pad->Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
                         return true;
                       }});
      if (word == "siphon") {
        out.push_back({"A held", [this, turn] {
                         *turn = run->StateInt("Turn");
                         pad->Button(SDL_CONTROLLER_BUTTON_A, true);
                         return true;
                       }});
        out.push_back({"siphoned", [this, turn] { return run->StateInt("Turn") > *turn; }});
        out.push_back({"A up", [this] {
                         pad->Button(SDL_CONTROLLER_BUTTON_A, false);
                         return true;
                       }});
      }
    }
    return out;
  }

  // Once the level has started: the checker solves the level the game loaded and its winning
  // sequence (or the way to be found) is played on the device.
  void PlayLevel(const levels::ParEntry& entry, Device device, bool toBeFound = false,
                 bool started = false) {
    if (!started)
      run->WaitForLine("level start " + entry.file);
    run->Do("solve " + entry.file, [this, entry, device, toBeFound] {
      levels::LevelModel model;
      levels::ModelFromSpace(run->Main(), entry.file, model);
      levels::Solution solution = levels::Solve(model);
      EXPECT_TRUE(solution.solved) << entry.file;
      EXPECT_EQ(solution.par, entry.par) << entry.file;
      const std::vector<levels::Action>& actions = toBeFound ? solution.found : solution.win;
      std::vector<Step> steps;
      int index = 0;
      for (const levels::Action& action : actions)
        for (Step& step : Word(levels::ActionName(action), device, index++))
          steps.push_back(std::move(step));
      run->Next(steps);
      if (toBeFound)
        foundTurns = static_cast<int>(actions.size());
    });
  }
  std::string Won(const levels::ParEntry& entry) {
    return "level won " + entry.file + " turns=" + std::to_string(entry.par);
  }

  void SkipSplashWith(std::function<void(bool)> push) {
    run->WaitFor("the splash",
                 [this] { return run->Level() == "splash_KelvoLogo.level" && run->Frames() > 3; });
    std::vector<Step> press;
    Press(press, "skip", push);
    for (Step& step : press)
      run->Add(step.name, step.run);
    run->WaitFor("the menu", [this] { return run->Level() == "MainMenu.level"; });
  }

  void Quit() {
    run->Do("quit", [this] { run->TheEngine().quit = true; });
  }

  std::vector<levels::ParEntry> pars;
  std::unique_ptr<GameRun> run;
  std::unique_ptr<VirtualPad> pad;
  int foundTurns = 0;
};

} // namespace playthrough
