#pragma once
// Shared pieces of the core tests: an engine with spaces but no systems, a scriptless event
// handler that records what reaches it, and a system that records its updates.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Core/System.h"
#include "Meta/TypeRegistry.h"
#include "Objects/EventDispatcher.h"
#include "Objects/EventHandler.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"

// Handler standing in for a script component: logs "<tag>:<function>" for every call.
class RecordingHandler : public EventHandler {
public:
  RecordingHandler(int space, std::vector<std::string>* log, std::string tag)
      : spaceIndex(space), log(log), tag(std::move(tag)) {}

  int HandlerSpaceIndex() const override { return spaceIndex; }
  void HandleEvent(PolyEventBase& event, const std::string& function) override {
    if (log)
      log->push_back(tag + ":" + function);
    if (onEvent)
      onEvent(event, function);
  }
  void CallFunction(const std::string& function) override {
    if (log)
      log->push_back(tag + ":" + function);
    if (onCall)
      onCall(function);
  }

  int spaceIndex;
  std::vector<std::string>* log;
  std::string tag;
  std::function<void(PolyEventBase&, const std::string&)> onEvent;
  std::function<void(const std::string&)> onCall;
};

// A system that logs "<name>@<space index>" for each update and runs an optional hook.
class ProbeSystem : public System {
public:
  ProbeSystem(std::string label, std::vector<std::string>* log)
      : label(std::move(label)), log(log) {}
  void Initialize() override { initialized = true; }
  void Update(float dt, Space* space) override {
    lastDt = dt;
    if (log)
      log->push_back(label + "@" + std::to_string(space->index));
    if (onUpdate)
      onUpdate(space);
  }
  void Shutdown() override { shutDown = true; }

  std::string label;
  std::vector<std::string>* log;
  std::function<void(Space*)> onUpdate;
  bool initialized = false;
  bool shutDown = false;
  float lastDt = -1.0f;
};

// An engine with a dispatcher and the types registered, but no systems and no level loading.
class EngineFixture : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterAllTypes();
    engine = new Engine();
    engine->eventDispatcher = new EventDispatcher();
    main = engine->CreateSpace("Main");
  }
  void TearDown() override { delete engine; }

  EventDispatcher& Dispatcher() { return *engine->eventDispatcher; }

  // Creates `n` objects named "o0", "o1", ... in the space.
  std::vector<GameObject*> MakeObjects(Space* space, int n) {
    std::vector<GameObject*> made;
    for (int i = 0; i < n; ++i) {
      GameObject* object = space->CreateEmptyObject();
      object->m_Name = "o" + std::to_string(i);
      made.push_back(object);
    }
    return made;
  }

  Engine* engine = nullptr;
  Space* main = nullptr;
};
