// The driven run of the real program: scratch data, standard output captured to a file and read
// back every frame, steps run from the program's frame hook, SDL events pushed into SDL's queue.
#include "playthrough/GameRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <lua.hpp>
#include <sstream>
#include <unistd.h>

#include "Audio/Sounds.h"
#include "Binding/Binding.h"
#include "Core/Engine.h"
#include "Core/Game.h"
#include "Core/Space.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"
#include "Systems/GraphicsEngine.h"

namespace fs = std::filesystem;

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The game counts half of every frame step (it gets each step twice); the copy counts more.
void SpeedUp(const fs::path& rules, double speed, std::vector<std::string>& problems) {
  std::ifstream in(rules);
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  const std::string clock = "return dt * 0.5";
  size_t at = s.find(clock);
  if (at == std::string::npos) {
    problems.push_back("the game's clock (\"" + clock + "\") is not in GameRules.lua");
    return;
  }
  s.replace(at, clock.size(), clock + " * " + std::to_string(speed));
  std::ofstream(rules) << s;
}

// Other tests' windows on the shared display take the focus now and then; a lost focus would
// rightly open the pause screen in the middle of a playthrough. The focus rules have their own
// tests.
int KeepFocus(void*, SDL_Event* event) {
  if (event->type != SDL_WINDOWEVENT)
    return 1;
  Uint8 what = event->window.event;
  return what != SDL_WINDOWEVENT_FOCUS_LOST && what != SDL_WINDOWEVENT_FOCUS_GAINED;
}

} // namespace

GameRun::GameRun(double speed) : dir(std::make_shared<ScratchDir>()) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  // The window may not have the focus on a shared test display; the virtual controller still plays.
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 0);
  unsetenv("VANTIX_START_LEVEL");
  unsetenv("VANTIX_SCREENSHOT");
  unsetenv("VANTIX_EXIT_AFTER_SECONDS");
  auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
  for (const char* folder : {"Scripts", "Archetypes", "Node Levels", "Graphics", "Sounds"})
    fs::copy(DataFile(folder), dir->Path() / folder, options);
  dir->Write("FrameRate.txt", "999");
  if (speed != 1.0)
    SpeedUp(dir->Path() / "Scripts" / "lib" / "GameRules.lua", speed, problems);
  outputPath = (dir->Path() / "stdout.txt").string();
}

GameRun::GameRun(std::shared_ptr<ScratchDir> data) : dir(std::move(data)) {
  outputPath = (dir->Path() / "stdout.txt").string();
}

std::unique_ptr<GameRun> GameRun::After(const GameRun& earlier) {
  return std::unique_ptr<GameRun>(new GameRun(earlier.dir));
}

GameRun::~GameRun() = default;

void GameRun::Add(const std::string& name, std::function<bool()> run) {
  steps.push_back({name, std::move(run)});
}

void GameRun::Do(const std::string& name, std::function<void()> action) {
  Add(name, [action] {
    action();
    return true;
  });
}

void GameRun::WaitFor(const std::string& name, std::function<bool()> condition) {
  Add(name, std::move(condition));
}

void GameRun::WaitForLine(const std::string& line) {
  Add("\"" + line + "\" printed", [this, line] {
    for (size_t i = lineWaitedFor; i < lines.size(); ++i)
      if (lines[i] == line) {
        lineWaitedFor = i + 1;
        return true;
      }
    return false;
  });
}

void GameRun::Next(std::vector<Step> more) {
  inserted.insert(inserted.end(), more.begin(), more.end());
}

bool GameRun::Run(int seconds) {
  std::fflush(stdout);
  int saved = dup(1);
  int file = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(file, 1);
  close(file);
  deadline = Now() + seconds;
  if (startLevel.empty())
    unsetenv("VANTIX_START_LEVEL");
  else
    setenv("VANTIX_START_LEVEL", startLevel.c_str(), 1);
  GameHooks hooks;
  hooks.started = [this](Engine& e) {
    engine = &e;
    SDL_SetEventFilter(KeepFocus, nullptr);
  };
  hooks.frameDone = [this](Engine& e, long n) { Frame(e, n); };
  RunGame(hooks);
  unsetenv("VANTIX_START_LEVEL");
  SDL_SetEventFilter(nullptr, nullptr);
  // The program leaves its systems to process exit; the next run in this process builds its own.
  delete LuaEngine::ms_Singleton;
  delete GraphicsEngine::ms_Singleton;
  delete Sounds::ms_Singleton;
  delete ParticleSystem::ms_Singleton;
  delete PhysicsEngine::ms_Singleton;
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  engine = nullptr;
  ReadOutput();
  if (!partial.empty())
    lines.push_back(partial);
  // Expectations that failed inside steps were reported while standard output was captured.
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(": Failure") != std::string::npos)
      for (size_t j = i; j < std::min(lines.size(), i + 6); ++j)
        std::printf("%s\n", lines[j].c_str());
  if (timedOut)
    problems.push_back(
        "stalled after " + std::to_string(seconds) + " s (" + std::to_string(frames) +
        " frames) at step: " + (steps.empty() ? std::string("none") : steps.front().name));
  else if (!steps.empty())
    problems.push_back("the program quit before the step: " + steps.front().name);
  return problems.empty();
}

void GameRun::ReadOutput() {
  std::fflush(stdout);
  std::ifstream in(outputPath, std::ios::binary);
  in.seekg(outputRead);
  std::string chunk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  outputRead += static_cast<long>(chunk.size());
  partial += chunk;
  size_t end;
  while ((end = partial.find('\n')) != std::string::npos) {
    lines.push_back(partial.substr(0, end));
    partial.erase(0, end + 1);
  }
}

void GameRun::Frame(Engine& running, long frameNumber) {
  engine = &running;
  frames = frameNumber;
  ReadOutput();
  if (Now() > deadline) {
    timedOut = true;
    running.quit = true;
    return;
  }
  if (steps.empty())
    return;
  Step current = steps.front();
  ++stepFrames;
  if (!current.run())
    return;
  stepFrames = 0;
  steps.pop_front();
  steps.insert(steps.begin(), inserted.begin(), inserted.end());
  inserted.clear();
}

std::vector<std::string> GameRun::LogLines() const {
  std::vector<std::string> log;
  for (const std::string& line : lines)
    if (line.rfind("level ", 0) == 0 || line.rfind("game ", 0) == 0)
      log.push_back(line);
  return log;
}

std::vector<std::string> GameRun::Errors() const {
  std::vector<std::string> errors;
  for (const std::string& line : lines)
    if (line.find("Error") != std::string::npos)
      errors.push_back(line);
  return errors;
}

Space& GameRun::Main() const {
  return *engine->GetSpace("Main");
}

std::string GameRun::Level() const {
  return engine ? Main().LevelName : "";
}

std::string GameRun::State(const std::string& field) const {
  return engine ? Field(&Main(), "TurnController", "TurnController", field) : "nil";
}

std::string GameRun::Field(const Space* space, const std::string& name,
                           const std::string& component, const std::string& field) const {
  GameObject* object = space ? space->GetObjectByName(name) : nullptr;
  LuaComponent* controller = object ? object->GetLuaComponent(component) : nullptr;
  if (!controller)
    return "nil";
  lua_State* L = LuaEngine::ms_Singleton->L;
  int top = lua_gettop(L);
  lb::PushPtr(L, controller);
  lua_setglobal(L, "__ctl");
  std::string result = "nil";
  if (luaL_dostring(L, ("return tostring(__ctl." + field + ")").c_str()) == 0 &&
      lua_tostring(L, -1))
    result = lua_tostring(L, -1);
  lua_settop(L, top);
  return result;
}

void GameRun::PushKey(bool down, SDL_Keycode key) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  SDL_PushEvent(&event);
}

void GameRun::PushMotion(int x, int y) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  SDL_PushEvent(&event);
}

void GameRun::PushMouseButton(bool down, int x, int y) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.button = SDL_BUTTON_LEFT;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  event.button.x = x;
  event.button.y = y;
  SDL_PushEvent(&event);
}

void GameRun::PixelOf(float x, float y, int& px, int& py, const Space* space) const {
  float cx = 0.0f, cy = 0.0f, width = 10.0f * 16.0f / 9.0f, height = 10.0f;
  for (GameObject* object : (space ? *space : Main()).objects)
    if (Camera* camera = object ? object->Get<Camera>("Camera") : nullptr) {
      cx = camera->center_.x;
      cy = camera->center_.y;
      width = camera->width_;
      height = camera->height_;
    }
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  int w = 0, h = 0;
  SDL_GetWindowSize(graphics->window, &w, &h);
  GraphicsEngine::Viewport view =
      GraphicsEngine::LetterBox(w, h, graphics->referenceWidth, graphics->referenceHeight);
  px = view.x + static_cast<int>(((x - cx) / width + 0.5f) * static_cast<float>(view.width));
  py = view.y + static_cast<int>((0.5f - (y - cy) / height) * static_cast<float>(view.height));
}
