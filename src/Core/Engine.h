#pragma once
#include <string>
#include <vector>

#include "Utilities/Singleton.h"

class System;
class Space;
class EventDispatcher;
class LevelEditor;

// A small list the engine creates and destroys; kept for tools that want a scratch list.
class AuxList : public Singleton<AuxList> {
public:
  std::vector<int> values;
};

// Owns the systems and the spaces and runs the frame.
class Engine : public Singleton<Engine> {
public:
  static constexpr const char* kPauseLevel = "Node Levels\\Paused.level";
  static constexpr const char* kSplashLevel = "Node Levels\\splash_KelvoLogo.level";

  Engine();
  ~Engine();

  // Appends `count` systems in argument order; this is the system order of the program.
  template <class... Systems> void AddSystems(int count, Systems*... list) {
    System* all[] = {list...};
    for (int i = 0; i < count && i < static_cast<int>(sizeof...(list)); ++i)
      systems.push_back(all[i]);
  }

  void Initialize();
  void Update();
  void Shutdown();

  Space* CreateSpace(const std::string& name);
  Space* GetSpace(const std::string& name) const;
  void DeactivateSpaces(const std::string& name);
  Space* GetBufferSpace() const { return bufferSpace; }
  Space* GetHUDSpace() const { return hudSpace; }
  // The space at that index of the list, or null.
  Space* SpaceAt(int index) const;

  // Script property "Paused": reads the current state, writes the next frame's.
  bool GetPaused() const { return paused; }
  void SetPaused(bool value) { pausedRequest = value; }

  std::vector<System*> systems;
  std::vector<Space*> spaces;
  AuxList* auxList = nullptr;
  EventDispatcher* eventDispatcher = nullptr;
  LevelEditor* editor = nullptr;
  bool pausedRequest = false;
  bool paused = false;
  bool quit = false;
  // Time step of the previous frame, seconds.
  float dt = 0.0f;

private:
  void SendLogicUpdate(float step);
  Space* bufferSpace = nullptr;
  Space* hudSpace = nullptr;
  bool inputStarted = false;
};
