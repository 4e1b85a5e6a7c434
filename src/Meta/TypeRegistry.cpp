// The run-time type registry: type descriptors by name and their member tables.
#include "Meta/TypeRegistry.h"

#include <algorithm>

namespace {
// Component types that the editor can add by name, in list order.
const char* const kAddable[] = {"RigidBody",     "Sprite",          "Font",   "Transform",
                                "SimpleEmitter", "ParticleEmitter", "Player", "GameNode",
                                "Patrol",        "Camera"};
} // namespace

TypeInfo*& TypeChainHead() {
  static TypeInfo* head = nullptr;
  return head;
}

const MemberInfo* TypeInfo::FindMember(const std::string& key) const {
  for (const MemberInfo& m : members)
    if (key == m.name)
      return &m;
  return nullptr;
}

TypeRegistry& TypeRegistry::Get() {
  static TypeRegistry registry;
  return registry;
}

void TypeRegistry::Insert(const std::string& registrationName, TypeInfo* info, size_t size,
                          bool primitive) {
  info->name.clear();
  for (char c : registrationName)
    if (c != ' ')
      info->name += c;
  info->size = static_cast<uint32_t>(size);
  info->primitive = primitive;
  if (byName.emplace(registrationName, info).second) {
    info->foundByName = info->name == registrationName;
    order.push_back(registrationName);
    if (std::find(std::begin(kAddable), std::end(kAddable), registrationName) != std::end(kAddable))
      componentNames.push_back(registrationName);
  }
}

void TypeRegistry::AddMember(TypeInfo* owner, const char* key, uint32_t offset, TypeInfo* type) {
  owner->members.push_back({key, offset, type});
}

void TypeRegistry::SetHooks(TypeInfo* info, SerializeHook serialize, DeserializeHook deserialize) {
  info->serialize = serialize;
  info->deserialize = deserialize;
}

TypeInfo* TypeRegistry::Lookup(std::string_view registrationName) const {
  auto it = byName.find(registrationName);
  return it == byName.end() ? nullptr : it->second;
}
