// Game objects: components and script components by name, parenting and destruction.
#include "Objects/GameObject.h"

#include <algorithm>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/Component.h"
#include "Scripting/LuaComponent.h"

Space* GameObject::GetSpace() const {
  if (spaceIndex < 0 || !Engine::ms_Singleton)
    return nullptr;
  return Engine::ms_Singleton->SpaceAt(spaceIndex);
}

BaseComponent* GameObject::AddComponent(const std::string& typeName) {
  // A second component of a type the object already has would be live but unfiled: nothing
  // would ever return it to the pool. The filed one is handed back instead.
  auto filed = components.find(typeName);
  if (filed != components.end())
    return filed->second;
  Space* space = GetSpace();
  if (!space)
    return nullptr;
  BaseComponent* component = space->NewComponent(typeName);
  if (!component)
    return nullptr;
  component->ownerId = m_Self;
  component->spaceIndex = spaceIndex;
  space->File(components, typeName, component);
  space->liveComponents[typeName].push_back(component);
  return component;
}

BaseComponent* GameObject::GetComponent(std::string_view typeName) const {
  auto it = components.find(typeName);
  return it == components.end() ? nullptr : it->second;
}

namespace {
// Tells a script "Shutdown" unless its Shutdown is already running: one that removes its own
// component from inside Shutdown must not start another.
void ShutDownOnce(LuaComponent* component) {
  if (component->shuttingDown)
    return;
  uint64_t serial = component->serial;
  component->shuttingDown = true;
  component->Call("Shutdown", 0);
  if (LuaComponent::IsLive(component, serial)) // the call may have released and freed it
    component->shuttingDown = false;
}

void Unlist(Space* space, const std::string& typeName, BaseComponent* component) {
  auto live = space->liveComponents.find(typeName);
  if (live == space->liveComponents.end())
    return;
  // A component is listed once, so searching from the back finds the same entry; recently made
  // components (the usual ones to go) sit there, and erasing near the end moves little.
  auto& list = live->second;
  auto it = std::find(list.rbegin(), list.rend(), component);
  if (it != list.rend())
    list.erase(std::next(it).base());
}
} // namespace

bool GameObject::RemoveComponent(const std::string& typeName) {
  auto it = components.find(typeName);
  if (it == components.end())
    return false;
  BaseComponent* component = it->second;
  Space::Filing filing = components.extract(it);
  if (Space* space = GetSpace()) {
    Unlist(space, typeName, component);
    space->ReturnComponent(typeName, component);
    space->KeepFiling(std::move(filing));
  }
  return true;
}

LuaComponent* GameObject::AddLuaComponent(const std::string& name) {
  auto it = luaComponents.find(name);
  if (it != luaComponents.end())
    return it->second;
  auto* component = new LuaComponent(name, this);
  luaComponents.emplace(name, component);
  component->LoadByName(name);
  // Its "Initialize" may have removed it again.
  it = luaComponents.find(name);
  return it == luaComponents.end() ? nullptr : it->second;
}

LuaComponent* GameObject::GetLuaComponent(const std::string& name) const {
  auto it = luaComponents.find(name);
  return it == luaComponents.end() ? nullptr : it->second;
}

bool GameObject::RemoveLuaComponent(const std::string& name) {
  auto it = luaComponents.find(name);
  if (it == luaComponents.end())
    return false;
  LuaComponent* component = it->second;
  ShutDownOnce(component);
  // "Shutdown" may itself have removed it.
  it = luaComponents.find(name);
  if (it == luaComponents.end() || it->second != component)
    return true;
  luaComponents.erase(it);
  LuaComponent::Release(component);
  return true;
}

void GameObject::Destroy() {
  IsDead = true;
  if (Space* space = GetSpace())
    space->QueueDestroy(this);
  // Children go with their parent, so none is left pointing at a recycled object. A child that
  // is already dead has been handled (this also ends the walk on a malformed, cyclic tree).
  for (GameObject* child : children)
    if (child && child->parent == this && !child->IsDead)
      child->Destroy();
}

bool GameObject::IsAncestorOf(const GameObject* other) const {
  // SetParent keeps the links acyclic; the bound only stops a walk up a damaged chain.
  int steps = 0;
  for (const GameObject* p = other ? other->parent : nullptr; p && steps < kMaxDepth;
       p = p->parent, ++steps)
    if (p == this)
      return true;
  return false;
}

bool GameObject::SetParent(GameObject* newParent) {
  if (newParent == this || (newParent && IsAncestorOf(newParent)))
    return false;
  RemoveFromParent();
  parent = newParent;
  if (!newParent)
    return false;
  newParent->children.push_back(this);
  return true;
}

bool GameObject::RemoveFromParent() {
  if (!parent)
    return false;
  auto& siblings = parent->children;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  if (it != siblings.end())
    siblings.erase(it);
  parent = nullptr;
  return true;
}

GameObject* GameObject::GetChildByName(const std::string& wanted) const {
  for (GameObject* child : children)
    if (child && child->m_Name == wanted)
      return child;
  return nullptr;
}

void GameObject::Release() {
  Space* space = GetSpace();
  auto natives = std::move(components);
  components.clear();
  for (auto& [typeName, component] : natives) {
    if (space) {
      Unlist(space, typeName, component);
      space->ReturnComponent(typeName, component);
    }
  }
  if (space)
    while (!natives.empty())
      space->KeepFiling(natives.extract(natives.begin()));
  // Scripts are shut down in name order, each left filed until its own "Shutdown" has run, so
  // a Shutdown still reaches the scripts after it. Scripts a Shutdown adds are shut down in
  // turn; a bound on the calls keeps one that keeps re-adding itself from holding the release
  // up for ever.
  size_t calls = 0, budget = 4 * luaComponents.size() + 8;
  while (!luaComponents.empty()) {
    auto it = luaComponents.begin();
    std::string name = it->first;
    LuaComponent* component = it->second;
    if (calls++ < budget)
      ShutDownOnce(component);
    it = luaComponents.find(name);
    if (it != luaComponents.end() && it->second == component) {
      luaComponents.erase(it);
      LuaComponent::Release(component);
    } // else its Shutdown removed it, and the removal released it
  }
}
