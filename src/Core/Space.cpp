// Spaces: object and component pools, destruction at the end of the frame, clearing, and
// level loads, saves, changes and restarts.
#include "Core/Space.h"

#include <algorithm>
#include <limits>

#include "Core/Engine.h"
#include "Meta/File.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Component.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Scripting/LuaComponent.h"
#include "Utilities/Check.h"

namespace {
void Prepare(GameObject* object, int spaceIndex) {
  object->m_Active = true;
  object->IsDead = false;
  object->m_ArchetypeName.clear();
  object->m_Name.clear();
  object->spaceIndex = spaceIndex;
  object->parent = nullptr;
  // A recycled object must not bring back the children of its previous life.
  object->children.clear();
}
} // namespace

Space::Space() {
  GrowObjectPool();
}

Space::~Space() {
  // The dispatcher must not keep delivering to a space that is gone.
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->ForgetSpace(this);
  for (GameObject* object : ownedObjects) {
    // Script components still filed belong to their object; at exit they are not told
    // "Shutdown", only freed.
    for (auto& entry : object->luaComponents)
      delete entry.second;
    object->luaComponents.clear();
    delete object;
  }
  for (BaseComponent* component : ownedComponents)
    delete component;
}

void Space::GrowObjectPool() {
  for (int i = 0; i < kObjectBlock; ++i) {
    auto* object = new GameObject();
    ownedObjects.push_back(object);
    Prepare(object, index);
    objectPool.emplace_back(0, object);
  }
}

GameObject* Space::CreateEmptyObject() {
  if (objectPool.empty())
    GrowObjectPool();
  GameObject* object = objectPool.back().second;
  objectPool.pop_back();
  Prepare(object, index);
  object->m_Self = IssueId(); // before it is listed: a recycled object still holds its old id
  object->index = static_cast<int>(objects.size());
  objects.push_back(object);
  return object;
}

int Space::IssueId() {
  if (idCounter < std::numeric_limits<int>::max())
    return ++idCounter;
  ReportCheck("idCounter < INT_MAX", "Core\\Space", __LINE__,
              LevelName + ": the object ids have reached the largest int; the lowest free id is "
                          "used instead");
  std::vector<int> used;
  used.reserve(objects.size());
  for (const GameObject* object : objects)
    if (object && object->m_Self >= 0)
      used.push_back(object->m_Self);
  std::sort(used.begin(), used.end());
  int free = 0;
  for (int id : used) {
    if (id > free)
      break;
    if (id == free)
      ++free;
  }
  return free;
}

GameObject* Space::CreateArchetypeInstance(const std::string& archetypeName) {
  GameObject* object = CreateEmptyObject();
  LoadArchetype(object, archetypeName);
  return object;
}

GameObject* Space::CreateAtPosition(const std::string& archetypeName, const Vector2D& position) {
  GameObject* object = CreateArchetypeInstance(archetypeName);
  auto* transform = object->Get<Transform>("Transform");
  if (!transform)
    transform = static_cast<Transform*>(object->AddComponent("Transform"));
  if (transform) {
    transform->translation_.x_ = position.x_;
    transform->translation_.y_ = position.y_;
    transform->translation_.w_ = position.w_;
  }
  return object;
}

GameObject* Space::GetObjectByName(const std::string& wanted) const {
  for (GameObject* object : objects)
    if (object && object->m_Name == wanted)
      return object;
  return nullptr;
}

std::vector<GameObject*> Space::GetObjectsByName(const std::string& wanted) const {
  std::vector<GameObject*> found;
  for (GameObject* object : objects)
    if (object && object->m_Name == wanted)
      found.push_back(object);
  return found;
}

namespace {
bool Has(const GameObject* object, const std::string& component) {
  return object && (object->GetComponent(component) || object->GetLuaComponent(component));
}
} // namespace

std::vector<GameObject*> Space::GetObjectsWith(const std::string& component) const {
  std::vector<GameObject*> found;
  for (GameObject* object : objects)
    if (Has(object, component))
      found.push_back(object);
  return found;
}

GameObject* Space::GetObjectWith(const std::string& component) const {
  for (GameObject* object : objects)
    if (Has(object, component))
      return object;
  return nullptr;
}

GameObject* Space::GetObjectById(int id) const {
  for (GameObject* object : objects)
    if (object && object->m_Self == id)
      return object;
  return nullptr;
}

BaseComponent* Space::NewComponent(const std::string& typeName, const TypeInfo* info) {
  auto& pool = componentPool[typeName];
  if (!info)
    info = TypeRegistry::Get().Lookup(typeName);
  if (pool.empty()) {
    if (!info || !info->isComponent || !info->NewComponent) {
      componentPool.erase(typeName);
      return nullptr;
    }
    pool.reserve(kComponentBlock);
    for (int i = 0; i < kComponentBlock; ++i) {
      BaseComponent* component = info->NewComponent();
      ownedComponents.push_back(component);
      pool.push_back(component);
    }
  }
  BaseComponent* component = pool.back();
  pool.pop_back();
  if (info) {
    info->PlacementDelete(component);
    info->PlacementNew(component);
  }
  return component;
}

void Space::ReturnComponent(const std::string& typeName, BaseComponent* component) {
  if (component)
    componentPool[typeName].push_back(component);
}

void Space::KeepFiling(Filing&& filing) {
  if (filing) {
    filing.mapped() = nullptr;
    spareFilings.push_back(std::move(filing));
  }
}

Space::Filing Space::TakeFiling() {
  if (spareFilings.empty())
    return {};
  Filing filing = std::move(spareFilings.back());
  spareFilings.pop_back();
  return filing;
}

bool Space::File(std::map<std::string, BaseComponent*, std::less<>>& map,
                 const std::string& typeName, BaseComponent* component) {
  Filing filing = TakeFiling();
  if (!filing)
    return map.emplace(typeName, component).second;
  filing.key() = typeName;
  filing.mapped() = component;
  auto filed = map.insert(std::move(filing));
  if (!filed.inserted)
    KeepFiling(std::move(filed.node));
  return filed.inserted;
}

void Space::QueueDestroy(GameObject* object) {
  if (!object)
    return;
  if (inDestroyPass)
    lateDestroy.push_back(object);
  else
    pendingDestroy.push_back(object->index);
}

void Space::DestroyWithParent(GameObject* child) {
  child->parent = nullptr;
  if (!child->IsDead)
    child->Destroy();
}

void Space::ReleaseObject(GameObject* object) {
  object->Release();
  object->RemoveFromParent();
  // Children go with their parent (also ones attached after it was destroyed), so none is left
  // pointing at an object that the pool will hand out again.
  std::vector<GameObject*> children;
  children.swap(object->children);
  for (GameObject* child : children)
    if (child && child->parent == object)
      DestroyWithParent(child);
}

void Space::ReleaseAll() {
  // Every object is released while it is still listed, so a "Shutdown" script finds its own
  // object, the objects it asks for by name and the nodes its links name. Scripts may create
  // objects while the space is being emptied; those are released in further rounds, and a script
  // that keeps making objects cannot hold the clear up for ever.
  constexpr int kRounds = 4;
  // Every listed component is about to go: the lists are emptied at once (keeping their room
  // for the next level) instead of each release searching them, which took quadratic time.
  for (auto& [typeName, list] : liveComponents)
    list.clear();
  size_t released = 0;
  for (int round = 0; round < kRounds && released < objects.size(); ++round) {
    size_t end = objects.size();
    for (; released < end; ++released)
      if (GameObject* object = objects[released])
        object->Release();
  }
  for (GameObject* object : objects) {
    if (!object)
      continue;
    DetachFromOtherSpaces(object);
    object->parent = nullptr;
    object->children.clear();
    object->IsDead = true;
    objectPool.emplace_back(object->m_Self, object);
  }
  objects.clear();
}

void Space::DetachFromOtherSpaces(GameObject* object) {
  // Links with objects of other spaces would otherwise outlive this level; children there go
  // with their parent, as they do when it is destroyed.
  if (object->parent && object->parent->spaceIndex != index)
    object->RemoveFromParent();
  for (GameObject* child : object->children)
    if (child && child->parent == object && child->spaceIndex != index)
      DestroyWithParent(child);
}

void Space::Clear() {
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->ShutdownSpace(this);
  pendingDestroy.clear();
  ReleaseAll();
  // Destroy calls made by "Shutdown" scripts name objects that are already back in the pool.
  pendingDestroy.clear();
  lateDestroy.clear();
  idCounter = -1;
}

void Space::DestroyPending() {
  // Releasing runs "Shutdown" scripts, which may destroy further objects; those are taken in
  // further rounds of this pass (a script that keeps doing so is left for the next frame).
  constexpr int kRounds = 8;
  // The list is swapped with last frame's, so neither loses its capacity (a pass started from
  // a script of this one finds the kept list taken and starts an empty one).
  std::vector<int> pending = std::move(destroyScratch);
  pending.clear();
  pending.swap(pendingDestroy);
  inDestroyPass = true;
  for (int round = 0; !pending.empty() && round < kRounds; ++round) {
    std::sort(pending.begin(), pending.end());
    // An object destroyed twice is listed twice; it is released once.
    pending.erase(std::unique(pending.begin(), pending.end()), pending.end());
    // From the highest index down, so the swap-and-pop below never moves an object whose index
    // is still to be processed.
    for (size_t i = pending.size(); i-- > 0;) {
      int at = pending[i];
      if (at < 0 || at >= static_cast<int>(objects.size()))
        continue;
      GameObject* object = objects[static_cast<size_t>(at)];
      if (!object || !object->IsDead)
        continue;
      ReleaseObject(object);
      // A "Shutdown" script that loaded a level into this space has already emptied it; the
      // remaining indices mean nothing any more.
      if (at >= static_cast<int>(objects.size()) || objects[static_cast<size_t>(at)] != object) {
        pending.clear();
        break;
      }
      objectPool.emplace_back(object->m_Self, object);
      objects[static_cast<size_t>(at)] = objects.back();
      objects.pop_back();
      if (at < static_cast<int>(objects.size()))
        objects[static_cast<size_t>(at)]->index = at;
    }
    pending.clear();
    for (GameObject* object : lateDestroy)
      if (object->index >= 0 && object->index < static_cast<int>(objects.size()) &&
          objects[static_cast<size_t>(object->index)] == object)
        pending.push_back(object->index);
    lateDestroy.clear();
  }
  inDestroyPass = false;
  // Left over after the last round: their indices are current, so the next pass can take them.
  pendingDestroy.insert(pendingDestroy.end(), pending.begin(), pending.end());
  pending.clear();
  destroyScratch = std::move(pending);
}

void Space::LoadLevel(const std::string& path) {
  Clear();
  LevelName = LevelFileName(path);
  loadProblem.clear();
  if (!ReadLevelFile(*this, path))
    loadProblem = LastCheckDetail().empty() ? "the file was not read" : LastCheckDetail();
  AllObjectsCreated created;
  created.Quarter = 3;
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->SendToSpace(created, this, "AllObjectsCreated");
}

bool Space::SaveLevel(const std::string& path) {
  return WriteLevelFile(*this, path);
}

void Space::ChangeLevel(const std::string& levelFileName) {
  changeTarget = levelFileName;
  changePending = true;
}

void Space::RestartLevel() {
  restartPending = true;
}

void Space::EndFrame() {
  if (restartPending) {
    LoadLevel(std::string("Node Levels\\") + LevelName);
    restartPending = false;
  } else if (changePending) {
    LoadLevel(std::string("Node Levels\\") + changeTarget);
    changePending = false;
  } else {
    DestroyPending();
  }
  m_Active = nextActive;
}
