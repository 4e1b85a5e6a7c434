// Script API sections of the engine core: spaces and the Engine namespace.
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/GameObject.h"
#include "Scripting/BindingHelpers.h"

namespace {

// ---- Space -------------------------------------------------------------------------------------

int GetObjectsByName(lua_State* L, Space* space) {
  if (!glue::StringArgument(L, 2, "Space.GetObjectsByName"))
    return -1;
  glue::PushObjectList(L, space->GetObjectsByName(lua_tostring(L, 2)));
  return 1;
}

// ---- Engine ------------------------------------------------------------------------------------

Engine* TheEngine() {
  return Engine::ms_Singleton;
}
bool GetQuit() {
  return TheEngine() && TheEngine()->quit;
}
void SetQuit(bool quit) {
  if (TheEngine())
    TheEngine()->quit = quit;
}
bool GetPaused() {
  return TheEngine() && TheEngine()->GetPaused();
}
void SetPaused(bool paused) {
  if (TheEngine())
    TheEngine()->SetPaused(paused);
}
Space* GetBufferSpace() {
  return TheEngine() ? TheEngine()->GetBufferSpace() : nullptr;
}
Space* GetHUDSpace() {
  return TheEngine() ? TheEngine()->GetHUDSpace() : nullptr;
}
Space* CreateSpaceByName(const std::string& name) {
  return TheEngine() ? TheEngine()->CreateSpace(name) : nullptr;
}
Space* GetSpaceByName(const std::string& name) {
  return TheEngine() ? TheEngine()->GetSpace(name) : nullptr;
}
Space* CreatePauseSpace() {
  return TheEngine() ? TheEngine()->CreateSpace("Pause") : nullptr;
}
void DestroySpaceByName(const std::string& name) {
  if (TheEngine())
    TheEngine()->DeactivateSpaces(name);
}
void DestroyPauseSpace() {
  DestroySpaceByName("Pause");
}

void BindSpace(lua_State* L) {
  lb::Global(L)
      .Class<Space>("Space")
      .Plain()
      .Method("ChangeLevel", &Space::ChangeLevel)
      .Method("RestartLevel", &Space::RestartLevel)
      .Property("Active", &Space::GetActive, &Space::SetActive)
      .Field("ID", &Space::ID)
      .Field("Name", &Space::name)
      .Field("LevelName", &Space::LevelName)
      .Method("Destroy", &Space::Destroy)
      .Method("Clear", &Space::Clear)
      .Method("CreateArchetypeInstance", &Space::CreateArchetypeInstance)
      .Method("CreateAtPosition", &Space::CreateAtPosition)
      .Method("CreateEmptyObject", &Space::CreateEmptyObject)
      .Method("GetObjectByName", &Space::GetObjectByName)
      .Method("GetObjectsByName", &GetObjectsByName)
      .Equality()
      .End();
}

void BindEngine(lua_State* L) {
  lb::Global(L)
      .Namespace("Engine")
      .Property("Quit", &GetQuit, &SetQuit)
      .Property("Paused", &GetPaused, &SetPaused)
      .Function("GetBufferSpace", &GetBufferSpace)
      .Function("GetHUDSpace", &GetHUDSpace)
      .Function("CreateSpaceByName", &CreateSpaceByName)
      .Function("GetSpaceByName", &GetSpaceByName)
      .Function("CreatePauseSpace", &CreatePauseSpace)
      .Function("DestroySpaceByName", &DestroySpaceByName)
      .Function("DestroyPauseSpace", &DestroyPauseSpace)
      .End();
}

lb::ApiSection spaceSection(13, &BindSpace);
lb::ApiSection engineSection(23, &BindEngine);

} // namespace
