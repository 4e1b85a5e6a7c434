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

int GetObjectsWith(lua_State* L, Space* space) {
  if (!glue::StringArgument(L, 2, "Space.GetObjectsWith"))
    return -1;
  glue::PushObjectList(L, space->GetObjectsWith(lua_tostring(L, 2)));
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
      .Doc("A named world of objects holding one level (\"Main\", \"Pause\", \"HUD\", ...).")
      .Plain()
      .Method("ChangeLevel", &Space::ChangeLevel)
      .Doc("At the end of the frame, clears the space and loads \"Node Levels\\\" + the file "
           "name (with its `.level`, e.g. \"Level02.level\").")
      .Method("RestartLevel", &Space::RestartLevel)
      .Doc("At the end of the frame, clears the space and loads its current level again.")
      .Property("Active", &Space::GetActive, &Space::SetActive)
      .Doc("Whether the space updates and draws; a write takes effect at the end of the frame.")
      .Field("ID", &Space::ID)
      .Doc("A number kept for scripts (0 at creation); the engine never reads it.")
      .Field("Name", &Space::name)
      .Doc("The space's name.")
      .Field("LevelName", &Space::LevelName)
      .Doc("The file name of the level last loaded (\"Level02.level\").")
      .Method("Destroy", &Space::Destroy)
      .Doc("Deactivates the space at once (its objects stay).")
      .Method("Clear", &Space::Clear)
      .Doc("Removes every object at once; their scripts are told `Shutdown`.")
      .Method("CreateArchetypeInstance", &Space::CreateArchetypeInstance)
      .Doc("A new object made from \"Archetypes/\" + name + \".archetype\" (an empty object if "
           "that file cannot be read).")
      .Method("CreateAtPosition", &Space::CreateAtPosition)
      .Doc("The same, then its Transform (added if missing) moved to the position.")
      .Method("CreateEmptyObject", &Space::CreateEmptyObject)
      .Doc("A new object without components.")
      .Method("GetObjectByName", &Space::GetObjectByName)
      .Doc("The first object of that name, nil if none.")
      .Method("GetObjectsByName", &GetObjectsByName)
      .Doc("An array (from 1) of every object of that name, in object order; nil if none.")
      .Signature({"string"}, "table")
      .Method("GetObjectsWith", &GetObjectsWith)
      .Doc("An array (from 1) of every object with a native component of that type name "
           "(\"GameNode\") or a script component of that name (\"TurnController\"), in object "
           "order; nil if none.")
      .Signature({"string"}, "table")
      .Method("GetObjectWith", &Space::GetObjectWith)
      .Doc("The first of those objects, nil if none.")
      .Equality()
      .End();
}

void BindEngine(lua_State* L) {
  lb::Global(L)
      .Namespace("Engine")
      .Doc("The engine: quitting, pausing and its spaces.")
      .Property("Quit", &GetQuit, &SetQuit)
      .Doc("Set to true to end the program after this frame.")
      .Property("Paused", &GetPaused, &SetPaused)
      .Doc("The pause flag; a write takes effect at the end of the frame.")
      .Function("GetBufferSpace", &GetBufferSpace)
      .Doc("The space that holds the pause screen (the \"Pause\" space made at start-up).")
      .Function("GetHUDSpace", &GetHUDSpace)
      .Doc("The \"HUD\" space made at start-up.")
      .Function("CreateSpaceByName", &CreateSpaceByName)
      .Doc("A new, active, empty space of that name, added after the others.")
      .Function("GetSpaceByName", &GetSpaceByName)
      .Doc("The first space of that name, nil if none.")
      .Function("CreatePauseSpace", &CreatePauseSpace)
      .Doc("A new, active, empty space named \"Pause\".")
      .Function("DestroySpaceByName", &DestroySpaceByName)
      .Doc("Deactivates every space of that name at once.")
      .Function("DestroyPauseSpace", &DestroyPauseSpace)
      .Doc("Deactivates the spaces named \"Pause\".")
      .End();
}

lb::ApiSection spaceSection(13, &BindSpace);
lb::ApiSection engineSection(23, &BindEngine);

} // namespace
