// The parsed-archetype cache of the particle system: one file read per archetype and file
// state, then instances stamped from copies of the components that read made.
#include "Particles/ArchetypeCache.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "Core/Space.h"
#include "Meta/File.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Particles/ParticleObjects.h"
#include "Utilities/Check.h"
#include "Utilities/Paths.h"

namespace fs = std::filesystem;

namespace {
const char* const kModule = "Particles\\ArchetypeCache";

// What tells one state of a file from the next: rewriting it changes the time, and the size
// catches rewrites within one tick of a coarse file-system clock.
struct FileStamp {
  fs::file_time_type time{};
  std::uintmax_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

bool ReadStamp(const fs::path& path, FileStamp& stamp) {
  std::error_code ec;
  stamp.time = fs::last_write_time(path, ec);
  if (ec)
    return false;
  stamp.size = fs::file_size(path, ec);
  return !ec;
}
} // namespace

// A copy of one stored component, made by the component type's own copy operation.
struct ComponentForm {
  const TypeInfo* info;
  std::unique_ptr<void, void (*)(void*)> value;
};

struct ArchetypeCache::ObjectForm {
  bool active = true;
  std::string archetypeName, name;
  std::vector<ObjectForm> children;
  std::vector<ComponentForm> components; // in file order
  std::vector<std::string> scripts;
};

struct ArchetypeEntry {
  std::string name;
  fs::path hostPath;
  FileStamp stamp;
  bool stamped = false;
  bool missingReported = false;
  bool empty = false; // this state of the file gave an object with nothing in it
  std::unique_ptr<ArchetypeCache::ObjectForm> form;
  std::vector<std::string> emits; // the archetypes its emitters make, as the form has them
  bool emitsItself = false;
};

namespace {
using ObjectForm = ArchetypeCache::ObjectForm;

ObjectForm Capture(const GameObject& object) {
  ObjectForm form;
  form.active = object.m_Active;
  form.archetypeName = object.m_ArchetypeName;
  form.name = object.m_Name;
  for (const GameObject* child : object.children)
    if (child && child->parent == &object)
      form.children.push_back(Capture(*child));
  const TypeRegistry& registry = TypeRegistry::Get();
  for (const auto& [typeName, component] : object.components) {
    const TypeInfo* info = registry.Lookup(typeName);
    if (!component || !info || !info->isComponent)
      continue;
    // The copy constructor, not the default one: a new emitter would reseed the generator.
    void* copy = nullptr;
    info->NewCopy(&copy, component);
    if (copy)
      form.components.push_back({info, {copy, info->Delete}});
  }
  for (const auto& [scriptName, script] : object.luaComponents)
    if (script)
      form.scripts.push_back(scriptName);
  return form;
}

// Fills a new object of `space` as reading the archetype would: its own fields, its children,
// its components, then its scripts.
void Stamp(Space& space, GameObject& object, const ObjectForm& form) {
  object.m_Active = form.active;
  object.m_ArchetypeName = form.archetypeName;
  object.m_Name = form.name;
  for (const ObjectForm& childForm : form.children) {
    GameObject* child = space.CreateEmptyObject();
    Stamp(space, *child, childForm);
    child->SetParent(&object);
  }
  for (const ComponentForm& part : form.components) {
    BaseComponent* component = object.AddComponent(part.info->name);
    if (!component)
      continue;
    int owner = component->ownerId, home = component->spaceIndex;
    part.info->Copy(component, part.value.get());
    component->ownerId = owner;
    component->spaceIndex = home;
  }
  for (const std::string& script : form.scripts)
    object.AddLuaComponent(script);
}

// The archetypes the emitters of an object and its children make particles of.
void CollectEmitted(const ObjectForm& form, std::vector<std::string>& names) {
  for (const ComponentForm& part : form.components)
    if (part.info->name == "ParticleEmitter") {
      const auto* emitter = static_cast<const ParticleEmitter*>(part.value.get());
      if (!emitter->Objects.empty())
        names.push_back(emitter->Objects);
    }
  for (const ObjectForm& child : form.children)
    CollectEmitted(child, names);
}

bool InSpace(const GameObject& object, const Space& space) {
  size_t at = static_cast<size_t>(object.index);
  return object.index >= 0 && at < space.objects.size() && space.objects[at] == &object &&
         object.spaceIndex == space.index;
}

bool HasNothing(const GameObject& object) {
  return object.components.empty() && object.luaComponents.empty() && object.children.empty();
}
} // namespace

ArchetypeCache::ArchetypeCache() = default;
ArchetypeCache::~ArchetypeCache() = default;

void ArchetypeCache::Clear() {
  entries.clear();
}

bool ArchetypeCache::EmitsItself(const Entry& entry) {
  return entry.emitsItself;
}

void ArchetypeCache::FindLoopThrough(Entry& start) {
  // Depth-first from the new archetype along what each read archetype emits; `path` holds the
  // way taken, so reaching `start` again gives the loop in order.
  std::vector<Entry*> path{&start};
  std::vector<size_t> next{0};
  std::vector<const Entry*> seen{&start};
  while (!path.empty()) {
    Entry& at = *path.back();
    if (next.back() == at.emits.size()) {
      path.pop_back();
      next.pop_back();
      continue;
    }
    auto found = entries.find(at.emits[next.back()++]);
    if (found == entries.end() || !found->second->form)
      continue;
    Entry* to = found->second.get();
    if (to == &start) {
      std::string through;
      for (size_t i = 1; i < path.size(); ++i)
        through += (i == 1 ? " through '" : ", '") + ArchetypePath(path[i]->name) + "'";
      for (Entry* member : path)
        member->emitsItself = true;
      ReportCheck("false", kModule, __LINE__,
                  "the particle archetype '" + ArchetypePath(start.name) + "' emits itself" +
                      through + "; particles of it emit nothing");
      return;
    }
    if (std::find(seen.begin(), seen.end(), to) != seen.end())
      continue;
    seen.push_back(to);
    path.push_back(to);
    next.push_back(0);
  }
}

ArchetypeCache::Entry* ArchetypeCache::Find(const std::string& archetypeName) {
  auto found = entries.find(archetypeName);
  if (found == entries.end()) {
    auto made = std::make_unique<ArchetypeEntry>();
    made->name = archetypeName;
    made->hostPath = HostPath(ArchetypePath(archetypeName));
    found = entries.emplace(archetypeName, std::move(made)).first;
  }
  Entry& entry = *found->second;
  FileStamp now;
  if (!ReadStamp(entry.hostPath, now)) {
    if (!entry.missingReported)
      ReportCheck("fp", kModule, __LINE__,
                  "cannot read the particle archetype '" + ArchetypePath(archetypeName) +
                      "'; emitters of it make nothing until the file is there");
    entry.missingReported = true;
    entry.stamped = false;
    entry.form.reset();
    return nullptr;
  }
  entry.missingReported = false;
  if (!entry.stamped || !(now == entry.stamp)) {
    entry.stamp = now;
    entry.stamped = true;
    entry.empty = false;
    entry.form.reset();
    entry.emits.clear();
    entry.emitsItself = false;
  }
  return entry.empty ? nullptr : &entry;
}

GameObject* ArchetypeCache::Instantiate(Space& space, Entry& entry, const Vector2D& position) {
  GameObject* object = space.CreateEmptyObject();
  if (entry.form) {
    Stamp(space, *object, *entry.form);
  } else {
    ++fileReads;
    LoadArchetype(object, entry.name);
    if (InSpace(*object, space) && HasNothing(*object)) {
      ReportCheck("false", kModule, __LINE__,
                  "the particle archetype '" + ArchetypePath(entry.name) +
                      "' gives an object with nothing in it; emitters of it make nothing until "
                      "the file changes");
      entry.empty = true;
      object->Destroy();
      object->m_Active = false;
      return nullptr;
    }
    entry.form = std::make_unique<ObjectForm>(Capture(*object));
    CollectEmitted(*entry.form, entry.emits);
    FindLoopThrough(entry);
  }
  // A script of the new object may have cleared the space or loaded a level into it.
  if (!InSpace(*object, space))
    return nullptr;
  if (Transform* transform = FreshTransform(*object)) {
    transform->translation_.x_ = position.x_;
    transform->translation_.y_ = position.y_;
    transform->translation_.w_ = position.w_;
  }
  return object;
}
