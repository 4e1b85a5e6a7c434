#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Objects/EventHandler.h"

class GameObject;
class Space;
struct lua_State;

// A file on disk with its modification time.
class FileInfo {
public:
  explicit FileInfo(std::string filePath = {});
  virtual ~FileInfo();
  virtual void Load() {}
  virtual void Reload() {}
  virtual void Reserved() {}

  // Refreshes modificationTime (seconds) and fileStamp from the file system; false when the
  // file is missing (both become 0).
  bool StatFile();
  // The file's modification time at full resolution; 0 when it cannot be read.
  static int64_t Stamp(const std::string& path);

  std::string path;
  int64_t modificationTime = 0;
  // Full-resolution time of the file as last loaded; edits within one second still differ.
  int64_t fileStamp = 0;
};

// One Lua script attached to one game object, running its own instance of the script.
//
// Released components are deleted, but never while one of their own calls is running (the
// delete waits until it returns), and from the release on they are never called again and Lua
// references to them read as stale.
class LuaComponent : public FileInfo, public EventHandler {
public:
  LuaComponent();
  explicit LuaComponent(const std::string& scriptName, GameObject* owner = nullptr);
  ~LuaComponent() override;
  LuaComponent(const LuaComponent&) = delete;
  LuaComponent& operator=(const LuaComponent&) = delete;

  // path = "Scripts/" + name + ".lua", then Load().
  void LoadByName(const std::string& scriptName);
  // Runs the script at path in a fresh instance table and calls its "Initialize".
  void Load() override;
  // "Shutdown", re-read the file's time, Load() again.
  void Reload() override;
  // Calls the instance's function with the n values the caller pushed; always pops them.
  void Call(const std::string& function, int nargs);

  GameObject* GetOwner() const;
  Space* GetSpace() const;

  // The release function of the script-component type: the component is disconnected from
  // every event and will never be called again.
  static void Release(LuaComponent* component);

  // Live components and their serials (a serial tells a component from a later one that
  // happens to get the same address).
  static std::vector<std::pair<LuaComponent*, uint64_t>> LiveComponents();
  static bool IsLive(const LuaComponent* component, uint64_t serial);
  static size_t LiveCount();

  // Dynamic members: values other scripts stored on this component under unregistered names.
  // Push pushes the value (nil if never stored); Store takes the value on top of the stack.
  void PushDynamic(lua_State* L, const std::string& key) const;
  void StoreDynamic(lua_State* L, const std::string& key);

  // EventHandler
  int HandlerSpaceIndex() const override { return spaceIndex; }
  void HandleEvent(PolyEventBase& event, const std::string& function) override;
  void CallFunction(const std::string& function) override { Call(function, 0); }
  int FunctionKey(const std::string& function) override;
  void HandleKeyedEvent(PolyEventBase& event, const std::string& function, int key) override;

  std::string m_Name;
  int instanceRef = 0;
  int ownerId = -1;
  int spaceIndex = -1;
  std::unordered_map<std::string, int> dynamicValues;

  const uint64_t serial;
  bool loadAttempted = false;
  bool released = false;
  bool shuttingDown = false; // its "Shutdown" is running (see GameObject::Release)

private:
  friend struct CallScope;
  void ReleaseInstance();
  // Call, finding the function through `key` (a LuaEngine::NameKey of its name) when not 0.
  void CallKeyed(const std::string& function, int key, int nargs);
  // The call operation's body, on the instance table at stack index `table`: calls its function
  // with the nargs values above `base` and leaves the stack at `base`.
  void CallIn(lua_State* L, int table, const std::string& function, int key, int base, int nargs);
  int activeCalls = 0;
  bool deletePending = false;
};
