#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Meta/TypeInfo.h"

class BaseComponent;

// Maps registration names to descriptors and lists the component types that can be added to
// an object by name.
class TypeRegistry {
public:
  static TypeRegistry& Get();

  template <class T> TypeInfo* Register(const std::string& registrationName) {
    TypeInfo* info = TypeOf<T>();
    info->New = &TypeOps<T>::New;
    info->Copy = &TypeOps<T>::Copy;
    info->Delete = &TypeOps<T>::Delete;
    info->NewCopy = &TypeOps<T>::NewCopy;
    info->PlacementNew = &TypeOps<T>::PlacementNew;
    info->PlacementDelete = &TypeOps<T>::PlacementDelete;
    info->PlacementCopy = &TypeOps<T>::PlacementCopy;
    info->isComponent = std::is_base_of_v<BaseComponent, T>;
    if constexpr (std::is_base_of_v<BaseComponent, T>)
      info->NewComponent = []() -> BaseComponent* { return new T; };
    Insert(registrationName, info, sizeof(T),
           std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_same_v<T, std::string>);
    return info;
  }

  static void AddMember(TypeInfo* owner, const char* key, uint32_t offset, TypeInfo* type);
  static void SetHooks(TypeInfo* info, SerializeHook serialize, DeserializeHook deserialize);

  // Null when the name was never registered.
  TypeInfo* Lookup(std::string_view registrationName) const;

  const std::vector<std::string>& ComponentNames() const { return componentNames; }
  size_t TypeCount() const { return byName.size(); }
  // Names in registration order.
  const std::vector<std::string>& RegistrationOrder() const { return order; }

private:
  void Insert(const std::string& registrationName, TypeInfo* info, size_t size, bool primitive);

  // Looked up by the words of level files as they are read, without making strings of them.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  std::unordered_map<std::string, TypeInfo*, NameHash, std::equal_to<>> byName;
  std::vector<std::string> order;
  std::vector<std::string> componentNames;
};

// Registers every stored type with its members and hooks, once.
void RegisterAllTypes();
