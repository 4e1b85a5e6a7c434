// The engine: start-up in its fixed order, one frame of work, shutdown, and the space list.
#include "Core/Engine.h"

#include "Core/FrameTimer.h"
#include "Core/Space.h"
#include "Core/System.h"
#include "Editor/LevelEditor.h"
#include "Input/Input.h"
#include "Meta/TypeRegistry.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Systems/GraphicsEngine.h"

Engine::Engine() = default;

Engine::~Engine() {
  // Spaces go first, while the dispatcher can still forget their script handlers. The list is
  // emptied before any is deleted, so nothing torn down with them can reach a deleted space.
  std::vector<Space*> doomed;
  doomed.swap(spaces);
  for (Space* space : doomed)
    delete space;
  systems.clear();
  delete eventDispatcher;
  delete auxList;
}

void Engine::Initialize() {
  RegisterAllTypes();
  eventDispatcher = new EventDispatcher();
  if (!LevelEditor::ms_Singleton)
    new LevelEditor();
  editor = LevelEditor::ms_Singleton;
  auxList = new AuxList();

  CreateSpace("Main")->nextActive = true;
  FrameTimer::Start();

  for (System* system : systems)
    system->Initialize();

  // Input needs the window that the graphics system opened.
  if (GraphicsEngine::ms_Singleton && GraphicsEngine::ms_Singleton->HasWindow()) {
    Input::Start();
    inputStarted = true;
  }

  CreateSpace("Pause");
  hudSpace = CreateSpace("HUD");
  hudSpace->m_Active = hudSpace->nextActive = true;
  Space* pause = spaces[1];
  pause->LoadLevel(kPauseLevel);
  bufferSpace = GetSpace("Pause");
  bufferSpace->m_Active = bufferSpace->nextActive = false;
}

void Engine::SendLogicUpdate(float step) {
  LogicUpdate update;
  update.dt = step;
  if (eventDispatcher)
    eventDispatcher->Send(update, "LogicUpdate");
}

void Engine::Update() {
  FrameTimer::BeginFrame();
  SendLogicUpdate(dt);

  if (inputStarted)
    Input::Pump();

  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  for (System* system : systems) {
    if (system->name == "GraphicsEngine" && graphics)
      graphics->SetClearPending();
    // Index loop: scripts may create spaces while systems run.
    for (size_t i = 0; i < spaces.size(); ++i)
      system->Update(dt, spaces[i]);
  }

  if (graphics)
    graphics->Draw();
  if (editor && editor->open)
    editor->Draw(spaces);
  if (graphics)
    graphics->SwapWindow();

  for (size_t i = 0; i < spaces.size(); ++i)
    spaces[i]->EndFrame();
  paused = pausedRequest;

  float step = FrameTimer::WaitForFrameEnd();
  LogicUpdate update(step);
  if (eventDispatcher)
    eventDispatcher->Send(update, "LogicUpdate");
  dt = step;
}

void Engine::Shutdown() {
  if (inputStarted) {
    Input::Shutdown();
    inputStarted = false;
  }
  delete auxList;
  auxList = nullptr;
  delete eventDispatcher;
  eventDispatcher = nullptr;
  for (System* system : systems)
    system->Shutdown();
}

Space* Engine::CreateSpace(const std::string& name) {
  Space* space = new Space();
  space->name = name;
  space->m_Active = true;
  space->index = static_cast<int>(spaces.size());
  spaces.push_back(space);
  return space;
}

Space* Engine::GetSpace(const std::string& name) const {
  for (Space* space : spaces)
    if (space->name == name)
      return space;
  return nullptr;
}

void Engine::DeactivateSpaces(const std::string& name) {
  for (Space* space : spaces)
    if (space->name == name)
      space->m_Active = false;
}

Space* Engine::SpaceAt(int index) const {
  if (index < 0 || index >= static_cast<int>(spaces.size()))
    return nullptr;
  return spaces[static_cast<size_t>(index)];
}
