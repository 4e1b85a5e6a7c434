#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

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

  // Refreshes modificationTime from the file system; false when the file is missing.
  bool StatFile();

  std::string path;
  int64_t modificationTime = 0;
};

// One Lua script attached to one game object, running its own instance of the script.
class LuaComponent : public FileInfo, public EventHandler {
public:
  LuaComponent();
  explicit LuaComponent(const std::string& scriptName, GameObject* owner = nullptr);
  ~LuaComponent() override;

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

  // EventHandler
  int HandlerSpaceIndex() const override { return spaceIndex; }
  void HandleEvent(PolyEventBase& event, const std::string& function) override;
  void CallFunction(const std::string& function) override { Call(function, 0); }

  std::string m_Name;
  int instanceRef = 0;
  int ownerId = -1;
  int spaceIndex = -1;
  std::unordered_map<std::string, int> dynamicValues;
};
