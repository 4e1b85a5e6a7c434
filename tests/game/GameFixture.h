#pragma once
// The real game scripts in a headless engine (scripting, particles and physics, no window),
// in a scratch folder laid out like the game's data folder. Levels come from the game's data
// or are written as level sources and turned into level files by the level generator. Input
// goes through the input system's own event handling; frames are stepped with a fixed time
// step in the main loop's order.
#include <gtest/gtest.h>

#include <SDL.h>
#include <lua.hpp>
#include <string>
#include <vector>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Gameplay/GameplayComponents.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"
#include "support/TestSupport.h"

class GameTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Copies the game's scripts, archetypes and levels into the scratch folder.
  void CopyGameData();
  // Writes level sources (file name -> text) and runs the level generator on them. Returns the
  // generator's output.
  std::string MakeLevels(const std::vector<std::pair<std::string, std::string>>& sources);
  // Starts the engine (after the data is in place).
  void StartEngine();
  // Shuts the engine down and deletes it and its systems.
  void StopEngine();
  // Loads "Node Levels\<file>" into the Main space now.
  void Load(const std::string& file);

  // One frame of fixed length, in the main loop's order.
  void Frame(float dt = 1.0f / 60.0f);
  // Frames until the turn controller is idle (or `limit` frames).
  int RunUntilIdle(int limit = 2000);
  void Frames(int count);

  // Input, as the input system receives it from SDL.
  void KeyDown(SDL_Keycode key);
  void KeyUp(SDL_Keycode key);
  void Tap(SDL_Keycode key);
  void PadDown(int button);
  void PadUp(int button);
  void Click(int x, int y);
  // Plays one action of the checker's words ("up", "link-left", "siphon", "wait") as a player
  // would: keys held and released, siphon held for its second; then waits until idle.
  void Play(const std::string& word);
  void PlaySequence(const std::string& words);

  // A value of the turn controller's published state (nil when there is no controller).
  std::string State(const std::string& field);
  int StateInt(const std::string& field);
  // Evaluates a Lua expression to a string; `ctl` is the turn controller component.
  std::string Eval(const std::string& expression);
  // The game's log lines (lines printed by scripts that start with "level " or "game ").
  std::vector<std::string> LogLines();
  // Every line the scripts printed.
  std::vector<std::string> Printed();
  long CountPrinted(const std::string& line);
  // Names of the sounds the scripts asked for, in order ("PlaySound:cantping", "SiphonSoundCall").
  std::vector<std::string> Sounds();
  void ClearRecords();

  // Builds one level from its source text as Level01.level, starts the engine if needed and
  // loads the level.
  void LoadSource(const std::string& source);
  // The id the generator gave the node of that label in the last source.
  int NodeId(char label) const;
  GameNode* NodeOf(char label) const;
  int PlayerNodeId() { return StateInt("NodeId"); }
  int PlayerCredits() const;
  // A field the i-th patrol's script publishes (NodeId, MoveDir, Revealed).
  std::string PatrolField(int i, const std::string& field);
  int PatrolNode(int i) { return std::atoi(PatrolField(i, "NodeId").c_str()); }
  // Frames until the player's transform reaches the position of the node (or `limit`).
  bool PlayerAt(char label) const;
  // Lines the scripts printed that report errors.
  std::vector<std::string> Errors();

  LuaComponent* Controller() const;
  std::string LevelName() const { return main->LevelName; }

  ScratchDir dir;
  Engine* engine = nullptr;
  LuaEngine* lua = nullptr;
  Space* main = nullptr;
  lua_State* L = nullptr;
  std::string lastSource;
};

// Runs a program; returns its exit status and puts its output into `output`.
int RunProgram(const std::string& commandLine, std::string& output);
