// Script components: one script instance per component, its calls, messages and dynamic values.
#include "Scripting/LuaComponent.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Scripting/LuaEngine.h"
#include "Utilities/Check.h"
#include "Utilities/Debug.h"
#include "Utilities/Paths.h"

namespace {
// Live components by address, with their serials.
std::unordered_map<const LuaComponent*, uint64_t>& Live() {
  static std::unordered_map<const LuaComponent*, uint64_t> live;
  return live;
}
uint64_t NextSerial() {
  static uint64_t next = 0;
  return ++next;
}

// The engine's state, unless it is missing or being closed.
lua_State* State() {
  LuaEngine* engine = LuaEngine::ms_Singleton;
  return engine && engine->L && !engine->closing ? engine->L : nullptr;
}

const char* ErrorText(lua_State* L, int idx) {
  const char* text = lua_tostring(L, idx);
  return text ? text : "(error object is not a string)";
}

// A script's error (on top of the stack), as a failed call or look-up reports it.
void PrintScriptError(const std::string& path, lua_State* L) {
  debug::CloseOpenLine();
  std::printf("Error: %s <-----> %s\n", path.c_str(), ErrorText(L, -1));
  std::fflush(stdout);
}

int IndexThroughMetatable(lua_State* L) {
  lua_gettable(L, 1);
  return 1;
}

void PushKey(lua_State* L, int key, const std::string& name) {
  if (key > 0)
    lua_rawgeti(L, LUA_REGISTRYINDEX, key);
  else
    lua_pushlstring(L, name.data(), name.size());
}

// Pushes the value of the table at `table` for the name (or its interned key, when above 0).
// The table's own fields are read raw; any other name is looked up through its metatable (a
// script's instance falls back to the globals, which may have a metatable of their own) in
// protected mode, as a metamethod may fail and nothing would catch it here. On failure the error
// message takes the value's place and the result is false.
bool LookUp(lua_State* L, int table, int key, const std::string& name) {
  PushKey(L, key, name);
  lua_rawget(L, table);
  if (!lua_isnil(L, -1) || !lua_getmetatable(L, table))
    return true;
  lua_pop(L, 2);
  lua_pushcfunction(L, &IndexThroughMetatable);
  lua_pushvalue(L, table);
  PushKey(L, key, name);
  return lua_pcall(L, 2, 1, 0) == 0;
}
} // namespace

// Keeps a component alive while one of its calls runs; a release meanwhile deletes it when the
// outermost call returns. Declare it first in a function, so it is destroyed last, and touch
// nothing of the component after it.
struct CallScope {
  explicit CallScope(LuaComponent* c) : component(c) { ++component->activeCalls; }
  ~CallScope() {
    if (--component->activeCalls == 0 && component->deletePending)
      delete component;
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;
  LuaComponent* component;
};

FileInfo::FileInfo(std::string filePath) : path(std::move(filePath)) {
  StatFile();
}

FileInfo::~FileInfo() = default;

int64_t FileInfo::Stamp(const std::string& file) {
  std::error_code ec;
  auto when = std::filesystem::last_write_time(HostPath(file), ec);
  if (ec)
    return 0;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

bool FileInfo::StatFile() {
  std::error_code ec;
  auto when = std::filesystem::last_write_time(HostPath(path), ec);
  if (ec) {
    modificationTime = 0;
    fileStamp = 0;
    return false;
  }
  auto since = when.time_since_epoch();
  // The file clock's epoch is not the system clock's; convert to seconds since 1970.
  auto system = std::chrono::file_clock::to_sys(when);
  modificationTime =
      std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
  fileStamp = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
  return true;
}

LuaComponent::LuaComponent() : serial(NextSerial()) {
  Live()[this] = serial;
}

LuaComponent::LuaComponent(const std::string& scriptName, GameObject* owner)
    : FileInfo(scriptName + ".lua"), m_Name(scriptName), serial(NextSerial()) {
  if (owner) {
    ownerId = owner->m_Self;
    spaceIndex = owner->spaceIndex;
  }
  Live()[this] = serial;
}

LuaComponent::~LuaComponent() {
  Live().erase(this);
  if (lua_State* L = State()) {
    for (auto& [key, ref] : dynamicValues)
      luaL_unref(L, LUA_REGISTRYINDEX, ref);
    ReleaseInstance();
  }
  dynamicValues.clear();
}

std::vector<std::pair<LuaComponent*, uint64_t>> LuaComponent::LiveComponents() {
  std::vector<std::pair<LuaComponent*, uint64_t>> all;
  all.reserve(Live().size());
  for (auto& [component, serial] : Live())
    all.emplace_back(const_cast<LuaComponent*>(component), serial);
  return all;
}

bool LuaComponent::IsLive(const LuaComponent* component, uint64_t serial) {
  auto it = Live().find(component);
  return it != Live().end() && it->second == serial;
}

size_t LuaComponent::LiveCount() {
  return Live().size();
}

void LuaComponent::ReleaseInstance() {
  lua_State* L = State();
  if (L && instanceRef > 0)
    luaL_unref(L, LUA_REGISTRYINDEX, instanceRef);
  instanceRef = 0;
}

void LuaComponent::LoadByName(const std::string& scriptName) {
  std::string folder =
      LuaEngine::ms_Singleton ? LuaEngine::ms_Singleton->scriptsFolder : "Scripts/";
  path = folder + scriptName + ".lua";
  Load();
}

void LuaComponent::Load() {
  lua_State* L = State();
  if (!L || released)
    return;
  CallScope scope(this);
  loadAttempted = true;
  int top = lua_gettop(L);
  // Until the new instance exists the component has none, so a failed load leaves it empty.
  ReleaseInstance();
  StatFile();

  LuaEngine* engine = LuaEngine::ms_Singleton;
  int status = engine->LoadChunk(path);
  if (status != 0) {
    if (status == LUA_ERRFILE)
      // The file is named too: the component's name alone does not say where it was sought.
      std::fprintf(stderr, "Error: %s <-----> Cannot find/open lua script <-----> %s\n",
                   Printable(m_Name).c_str(), Printable(HostPath(path)).c_str());
    else if (status == LUA_ERRMEM)
      std::fprintf(stderr, "Error: %s <-----> Memory allocation error while loading\n",
                   Printable(m_Name).c_str());
    else
      std::fprintf(stderr, "Error: %s\n", ErrorText(L, -1));
    lua_settop(L, top);
    return;
  }

  // The instance table: the script's globals, falling back to the real ones.
  lua_newtable(L);
  lua_newtable(L);
  lua_pushvalue(L, LUA_GLOBALSINDEX);
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  lb::PushPtr<LuaComponent>(L, this);
  lua_setfield(L, -2, "this");
  lua_pushvalue(L, -1);
  instanceRef = lb::TakeRef(L);
  lua_setfenv(L, -2);

  // The chunk may be shared with other components of this script (see LoadChunk); its
  // environment is this instance only while it runs.
  std::string chunkPath = path;
  engine->SetChunkRunning(chunkPath, true);
  int result = lua_pcall(L, 0, 0, 0);
  engine->SetChunkRunning(chunkPath, false);
  if (result != 0) {
    PrintScriptError(path, L);
  }
  lua_settop(L, top);
  Call("Initialize", 0);
}

void LuaComponent::Reload() {
  if (released || !State())
    return;
  CallScope scope(this);
  Call("Shutdown", 0);
  if (released)
    return; // its "Shutdown" removed it
  Load();
}

void LuaComponent::Call(const std::string& function, int nargs) {
  CallKeyed(function, 0, nargs);
}

void LuaComponent::CallKeyed(const std::string& function, int key, int nargs) {
  lua_State* L = State();
  if (!L)
    return;
  CallScope scope(this);
  int base = lua_gettop(L) - nargs;
  if (base < 0)
    base = 0;
  if (released) {
    lua_settop(L, base);
    return;
  }
  if (instanceRef > 0)
    lua_rawgeti(L, LUA_REGISTRYINDEX, instanceRef);
  else
    lua_pushnil(L);
  CallIn(L, lua_gettop(L), function, key, base, nargs);
}

void LuaComponent::CallIn(lua_State* L, int table, const std::string& function, int key, int base,
                          int nargs) {
  if (!lua_istable(L, table)) {
    std::fprintf(stderr, "Error: %s.lua instance has not been loaded %s cannot be called!\n",
                 Printable(m_Name).c_str(), function.c_str());
    lua_settop(L, base);
    return;
  }
  if (!LookUp(L, table, key, function)) {
    PrintScriptError(path, L);
    lua_settop(L, base);
    return;
  }
  if (!lua_isfunction(L, -1)) {
    std::fprintf(stderr, "Error: %s.lua  does not contain a function %s, call terminated!\n",
                 Printable(m_Name).c_str(), function.c_str());
    lua_settop(L, base);
    return;
  }
  for (int i = 1; i <= nargs; ++i)
    lua_pushvalue(L, base + i);
  if (lua_pcall(L, nargs, 0, 0) != 0) {
    // Even if the failing script released this component, its deletion waits for the caller's
    // scope.
    PrintScriptError(path, L);
  }
  lua_settop(L, base);
}

int LuaComponent::FunctionKey(const std::string& function) {
  return LuaEngine::ms_Singleton && State() ? LuaEngine::ms_Singleton->NameKey(function) : 0;
}

void LuaComponent::HandleEvent(PolyEventBase& event, const std::string& function) {
  HandleKeyedEvent(event, function, 0);
}

void LuaComponent::HandleKeyedEvent(PolyEventBase& event, const std::string& function, int key) {
  lua_State* L = State();
  if (!L || released)
    return;
  CallScope scope(this);
  int top = lua_gettop(L);
  LuaEngine* engine = LuaEngine::ms_Singleton;
  int eventKey = engine->eventKey;
  if (key <= 0 || eventKey <= 0 || key == eventKey || instanceRef <= 0) {
    // The instance table (nil without one) and the event copy, stored as its field "event";
    // the call then finds the function in that same table.
    event.PushToHandler(L, this);
    CallIn(L, top + 1, function, key, top + 1, 1);
    lua_settop(L, top);
    return;
  }
  // The same steps with the function looked up before the copy is made rather than after, so
  // that it already lies below the copy as the call wants it and no argument is copied. For a
  // function not named "event" only a metamethod with side effects could tell the difference.
  lua_rawgeti(L, LUA_REGISTRYINDEX, instanceRef);
  if (!lua_istable(L, top + 1)) {
    CallIn(L, top + 1, function, key, top, 0);
    return;
  }
  if (!LookUp(L, top + 1, key, function)) {
    PrintScriptError(path, L);
    lua_settop(L, top);
    return;
  }
  event.PushCopy(L);
  StoreEventInTable(L, top + 1);
  if (!lua_isfunction(L, top + 2)) {
    std::fprintf(stderr, "Error: %s.lua  does not contain a function %s, call terminated!\n",
                 Printable(m_Name).c_str(), function.c_str());
  } else if (lua_pcall(L, 1, 0, 0) != 0) {
    PrintScriptError(path, L);
  }
  lua_settop(L, top);
}

GameObject* LuaComponent::GetOwner() const {
  Space* space = GetSpace();
  return space ? space->GetObjectById(ownerId) : nullptr;
}

Space* LuaComponent::GetSpace() const {
  return Engine::ms_Singleton ? Engine::ms_Singleton->SpaceAt(spaceIndex) : nullptr;
}

void LuaComponent::PushDynamic(lua_State* L, const std::string& key) const {
  auto it = dynamicValues.find(key);
  if (it == dynamicValues.end())
    lua_pushnil(L);
  else
    lua_rawgeti(L, LUA_REGISTRYINDEX, it->second);
}

void LuaComponent::StoreDynamic(lua_State* L, const std::string& key) {
  int ref = luaL_ref(L, LUA_REGISTRYINDEX);
  auto [it, inserted] = dynamicValues.emplace(key, ref);
  if (!inserted) {
    luaL_unref(L, LUA_REGISTRYINDEX, it->second);
    it->second = ref;
  }
}

void LuaComponent::Release(LuaComponent* component) {
  if (!component || component->released)
    return;
  component->released = true;
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->RemoveHandler(component);
  // Scripts holding it see a stale reference from now on.
  Live().erase(component);
  if (component->activeCalls > 0)
    component->deletePending = true;
  else
    delete component;
}
