#pragma once
#include <functional>
#include <map>
#include <string>
#include <string_view>
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
  // Longest parent chain that walks up the hierarchy follow.
  static constexpr int kMaxDepth = 100000;

  // Looked up by any string type (std::less<>), so a literal name makes no temporary string.
  using ComponentMap = std::map<std::string, BaseComponent*, std::less<>>;
  ComponentMap components;
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

  // Adds a component of the registered type. When the object already has one of that type, that
  // one stays filed and is returned. Null when the type name is not a component type.
  BaseComponent* AddComponent(const std::string& typeName);
  // The component of that type, or null.
  BaseComponent* GetComponent(std::string_view typeName) const;
  template <class T> T* Get(std::string_view typeName) const {
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

  // Detaches from the current parent and attaches to the new one; true when attached. Null
  // detaches and returns false. The object itself or one of its descendants would make a
  // cycle: refused, returning false with nothing changed.
  bool SetParent(GameObject* newParent);
  // Detaches from the parent; false when there was none.
  bool RemoveFromParent();
  // True when this object is a (possibly indirect) parent of `other`.
  bool IsAncestorOf(const GameObject* other) const;
  GameObject* GetChildByName(const std::string& name) const;

  // Returns every component and script component (scripts are told "Shutdown").
  void Release();
};
