// The headless game fixture: scratch data folder, engine with the real scripts, fixed-step
// frames, input through the input system, and readers for the scripts' state and log.
#include "GameFixture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

#include "Binding/Binding.h"
#include "Input/Input.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"
#include "game/LevelSource.h"

namespace fs = std::filesystem;

int RunProgram(const std::string& commandLine, std::string& output) {
  output.clear();
  std::FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe)
    return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output.append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void GameTest::SetUp() {
  fs::create_directories(dir.Path() / "Node Levels");
  fs::create_directories(dir.Path() / "Scripts");
  fs::copy(DataFile("Scripts"), dir.Path() / "Scripts",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void GameTest::TearDown() {
  StopEngine();
  Input::Shutdown();
}

void GameTest::StopEngine() {
  if (!engine)
    return;
  engine->Shutdown();
  delete engine;
  engine = nullptr;
  delete lua;
  lua = nullptr;
  delete ParticleSystem::ms_Singleton;
  delete PhysicsEngine::ms_Singleton;
}

void GameTest::CopyGameData() {
  auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
  fs::copy(DataFile("Archetypes"), dir.Path() / "Archetypes", options);
  fs::copy(DataFile("Node Levels"), dir.Path() / "Node Levels", options);
}

std::string GameTest::MakeLevels(const std::vector<std::pair<std::string, std::string>>& sources) {
  fs::remove_all(dir.Path() / "levelsrc");
  for (const auto& [name, text] : sources)
    dir.Write("levelsrc/" + name, text);
  std::string output;
  RunProgram(std::string("\"") + VANTIX_MAKE_LEVELS + "\" levelsrc .", output);
  return output;
}

void GameTest::StartEngine() {
  lua = new LuaEngine();
  auto* particles = new ParticleSystem();
  auto* physics = new PhysicsEngine();
  engine = new Engine();
  engine->AddSystems(3, lua, particles, physics);
  testing::internal::CaptureStderr(); // a scratch folder may have no pause level
  engine->Initialize();
  testing::internal::GetCapturedStderr();
  main = engine->GetSpace("Main");
  L = lua->L;
  // Records what the scripts print and which sounds they ask for. The headless engine has no
  // audio system, so the sound calls are only recorded.
  const char* recorders = R"(
    __printed = {}
    __forwardPrint = false
    local realPrint = print
    print = function(...)
      local parts = {}
      for i = 1, select('#', ...) do parts[#parts + 1] = tostring((select(i, ...))) end
      __printed[#__printed + 1] = table.concat(parts, " ")
      if __forwardPrint then realPrint(...) end
    end
    __sounds = {}
    Sounds = setmetatable({}, { __index = function(_, name)
      return function(first)
        __sounds[#__sounds + 1] = first ~= nil and (name .. ":" .. tostring(first)) or name
        if name == "GetSFXVolume" or name == "GetMusicVolume" then return 1 end
        return nil
      end
    end })
  )";
  ASSERT_EQ(luaL_dostring(L, recorders), 0) << lua_tostring(L, -1);
  lua_settop(L, 0);
}

void GameTest::Load(const std::string& file) {
  main->LoadLevel("Node Levels\\" + file);
}

void GameTest::Frame(float dt) {
  {
    LogicUpdate update(dt);
    EventDispatcher::ms_Singleton->Send(update, "LogicUpdate");
  }
  Input::RaiseHeldEvents();
  for (System* system : engine->systems)
    for (size_t i = 0; i < engine->spaces.size(); ++i)
      system->Update(dt, engine->spaces[i]);
  for (size_t i = 0; i < engine->spaces.size(); ++i)
    engine->spaces[i]->EndFrame();
  engine->paused = engine->pausedRequest;
  LogicUpdate update(dt);
  EventDispatcher::ms_Singleton->Send(update, "LogicUpdate");
}

void GameTest::Frames(int count) {
  for (int i = 0; i < count; ++i)
    Frame();
}

int GameTest::RunUntilIdle(int limit) {
  int frames = 0;
  do {
    Frame();
    ++frames;
  } while (frames < limit && State("Phase") != "idle");
  return frames;
}

namespace {
void SendKey(Uint32 type, SDL_Keycode key) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.sym = key;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  Input::HandleEvent(event);
}
void SendPad(Uint32 type, int button) {
  SDL_Event event{};
  event.type = type;
  event.cbutton.button = static_cast<Uint8>(button);
  Input::HandleEvent(event);
}
} // namespace

void GameTest::KeyDown(SDL_Keycode key) {
  SendKey(SDL_KEYDOWN, key);
}
void GameTest::KeyUp(SDL_Keycode key) {
  SendKey(SDL_KEYUP, key);
}
void GameTest::Tap(SDL_Keycode key) {
  KeyDown(key);
  Frame();
  KeyUp(key);
}
void GameTest::PadDown(int button) {
  SendPad(SDL_CONTROLLERBUTTONDOWN, button);
}
void GameTest::PadUp(int button) {
  SendPad(SDL_CONTROLLERBUTTONUP, button);
}

void GameTest::Click(int x, int y) {
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = x;
  motion.motion.y = y;
  Input::HandleEvent(motion);
  SDL_Event down{};
  down.type = SDL_MOUSEBUTTONDOWN;
  down.button.button = SDL_BUTTON_LEFT;
  down.button.x = x;
  down.button.y = y;
  Input::HandleEvent(down);
  Frame();
  SDL_Event up = down;
  up.type = SDL_MOUSEBUTTONUP;
  Input::HandleEvent(up);
}

void GameTest::Play(const std::string& word) {
  static const std::pair<const char*, SDL_Keycode> kDirections[] = {
      {"up", SDLK_UP}, {"down", SDLK_DOWN}, {"left", SDLK_LEFT}, {"right", SDLK_RIGHT}};
  std::string dir = word.rfind("link-", 0) == 0 ? word.substr(5) : word;
  for (const auto& [name, key] : kDirections)
    if (dir == name) {
      if (dir != word)
        KeyDown(SDLK_LSHIFT);
      Tap(key);
      if (dir != word)
        KeyUp(SDLK_LSHIFT);
      RunUntilIdle();
      return;
    }
  if (word == "siphon") {
    KeyDown(SDLK_SPACE);
    Frames(66); // a little more than the second the siphon is held
    KeyUp(SDLK_SPACE);
  } else if (word == "wait") {
    Tap(SDLK_TAB);
  } else if (word == "ping") {
    Tap(SDLK_f);
  } else {
    ADD_FAILURE() << "unknown action " << word;
  }
  RunUntilIdle();
}

void GameTest::PlaySequence(const std::string& words) {
  std::istringstream in(words);
  std::string word;
  while (in >> word)
    Play(word);
}

LuaComponent* GameTest::Controller() const {
  std::vector<GameObject*> objects = main->GetObjectsWith("TurnController");
  return objects.empty() ? nullptr : objects[0]->GetLuaComponent("TurnController");
}

std::string GameTest::Eval(const std::string& expression) {
  if (LuaComponent* controller = Controller())
    lb::PushPtr(L, controller);
  else
    lua_pushnil(L);
  lua_setglobal(L, "ctl");
  std::string result;
  if (luaL_dostring(L, ("return tostring(" + expression + ")").c_str()) != 0)
    result = std::string("ERROR ") + lua_tostring(L, -1);
  else
    result = lua_tostring(L, -1);
  lua_settop(L, 0);
  return result;
}

std::string GameTest::State(const std::string& field) {
  return Controller() ? Eval("ctl." + field) : "nil";
}

int GameTest::StateInt(const std::string& field) {
  return std::atoi(State(field).c_str());
}

namespace {
std::vector<std::string> Strings(lua_State* L, const char* table) {
  std::vector<std::string> lines;
  lua_getglobal(L, table);
  int n = static_cast<int>(lua_objlen(L, -1));
  for (int i = 1; i <= n; ++i) {
    lua_rawgeti(L, -1, i);
    lines.push_back(lua_tostring(L, -1) ? lua_tostring(L, -1) : "");
    lua_pop(L, 1);
  }
  lua_settop(L, 0);
  return lines;
}
} // namespace

std::vector<std::string> GameTest::Printed() {
  return Strings(L, "__printed");
}

std::vector<std::string> GameTest::LogLines() {
  std::vector<std::string> lines;
  for (const std::string& line : Printed())
    if (line.rfind("level ", 0) == 0 || line.rfind("game ", 0) == 0)
      lines.push_back(line);
  return lines;
}

long GameTest::CountPrinted(const std::string& line) {
  std::vector<std::string> printed = Printed();
  return std::count(printed.begin(), printed.end(), line);
}

std::vector<std::string> GameTest::Sounds() {
  return Strings(L, "__sounds");
}

void GameTest::ClearRecords() {
  luaL_dostring(L, "__printed = {} __sounds = {}");
  lua_settop(L, 0);
}

void GameTest::LoadSource(const std::string& source) {
  lastSource = source;
  std::string output = MakeLevels({{"level01.txt", source}});
  ASSERT_TRUE(fs::exists(dir.Path() / "Node Levels" / "Level01.level")) << output;
  if (!engine)
    StartEngine();
  Load("Level01.level");
  ClearRecords();
}

int GameTest::NodeId(char label) const {
  dir.Write("levelsrc/probe.txt", lastSource);
  levels::SourceLevel level;
  std::string error;
  EXPECT_TRUE(levels::ParseLevelSource((dir.Path() / "levelsrc/probe.txt").string(), level, error))
      << error;
  for (size_t i = 0; i < level.nodes.size(); ++i)
    if (level.nodes[i].label == label)
      return 10 + static_cast<int>(i);
  ADD_FAILURE() << "no node " << label;
  return -1;
}

GameNode* GameTest::NodeOf(char label) const {
  GameObject* object = main->GetObjectById(NodeId(label));
  return object ? object->Get<GameNode>("GameNode") : nullptr;
}

int GameTest::PlayerCredits() const {
  std::vector<GameObject*> players = main->GetObjectsWith("Player");
  return players.empty() ? -1 : players[0]->Get<Player>("Player")->Credits;
}

std::string GameTest::PatrolField(int i, const std::string& field) {
  std::vector<GameObject*> patrols = main->GetObjectsWith("Patrol");
  if (i >= static_cast<int>(patrols.size()))
    return "no patrol";
  lb::PushPtr(L, patrols[static_cast<size_t>(i)]->GetLuaComponent("PatrolScript"));
  lua_setglobal(L, "patrol");
  return Eval("patrol." + field);
}

bool GameTest::PlayerAt(char label) const {
  std::vector<GameObject*> players = main->GetObjectsWith("Player");
  GameObject* player = players.empty() ? nullptr : players[0];
  GameObject* node = main->GetObjectById(NodeId(label));
  if (!player || !node)
    return false;
  Vector2D a = player->Get<Transform>("Transform")->translation_;
  Vector2D b = node->Get<Transform>("Transform")->translation_;
  return std::abs(a.x_ - b.x_) < 0.001f && std::abs(a.y_ - b.y_) < 0.001f;
}

std::vector<std::string> GameTest::Errors() {
  std::vector<std::string> errors;
  for (const std::string& line : Printed())
    if (line.find("Error") != std::string::npos)
      errors.push_back(line);
  return errors;
}
