#pragma once
#include <map>
#include <string>
#include <vector>

class BaseComponent;
class LuaComponent;
class Space;

// A named entity of one space. Components are filed by type name and belong to the space's
// pools; script components are filed by script name. Objects are pooled per space and never
// freed while the program runs.
class GameObject {
public:
  static constexpr const char* kNullName = "__NULLOBJECT__";

  std::map<std::string, BaseComponent*> components;
  std::map<std::string, LuaComponent*> luaComponents;
  std::vector<GameObject*> children;
  bool m_Active = false;
  bool IsDead = false;
  int m_Self = -1;
  GameObject* parent = nullptr;
  std::string m_ArchetypeName = kNullName;
  std::string m_Name = kNullName;
  int spaceIndex = 0;
  int index = 0;

  Space* GetSpace() const;

  // Adds a component of the registered type; a type the object already has keeps the old one
  // filed (the new one is still returned). Null when the type name is not a component type.
  BaseComponent* AddComponent(const std::string& typeName);
  // The component of that type, or null.
  BaseComponent* GetComponent(const std::string& typeName) const;
  template <class T> T* Get(const std::string& typeName) const {
    return static_cast<T*>(GetComponent(typeName));
  }
  // Returns the component to its pool. False when the object has no component of that type.
  bool RemoveComponent(const std::string& typeName);

  // Script components. Add returns the one filed under the name (an existing one is kept and
  // no second instance is made); Get returns null for an unknown name; Remove tells the script
  // "Shutdown" and releases it, and returns false for an unknown name.
  LuaComponent* AddLuaComponent(const std::string& name);
  LuaComponent* GetLuaComponent(const std::string& name) const;
  bool RemoveLuaComponent(const std::string& name);

  // Marks the object and its children dead; they leave the space at the end of the frame.
  void Destroy();

  // Attaches to a new parent. Refused (false) for null, for the object itself and for one of
  // its own descendants, which would make a cycle.
  bool SetParent(GameObject* newParent);
  bool RemoveFromParent();
  bool IsAncestorOf(const GameObject* other) const;
  GameObject* GetChildByName(const std::string& name) const;

  // Returns every component and script component (scripts are told "Shutdown").
  void Release();
};
