#pragma once
#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

class TextWriter;
class TextReader;
class BaseComponent;
struct TypeInfo;

struct MemberInfo {
  const char* name;
  uint32_t offset;
  TypeInfo* type;
};

using SerializeHook = void (*)(TextWriter& out, const void* value, const TypeInfo* info);
using DeserializeHook = void (*)(TextReader& in, void* value, const TypeInfo* info);

// Run-time description of a stored type: its name, size, value operations, members in file
// order and optional text hooks.
struct TypeInfo {
  TypeInfo* next = nullptr; // chain of every descriptor ever made

  void* (*New)() = nullptr;
  void (*Copy)(void* destination, const void* source) = nullptr;
  void (*Delete)(void* value) = nullptr;
  void (*NewCopy)(void** out, const void* source) = nullptr;
  void (*PlacementNew)(void* storage) = nullptr;
  void (*PlacementDelete)(void* value) = nullptr;
  void (*PlacementCopy)(void* destination, const void* source) = nullptr;

  uint32_t size = 0;
  std::string name; // registration name without blanks
  std::vector<MemberInfo> members;
  SerializeHook serialize = nullptr;
  DeserializeHook deserialize = nullptr;
  bool primitive = false;
  // The registry finds this type under `name` itself (its registration name has no blank), so a
  // token equal to `name` is this type without a lookup.
  bool foundByName = false;
  // Values of this type are BaseComponents and can be pooled by a space.
  bool isComponent = false;
  // For component types: New, returning the component base (correctly adjusted, unlike a cast
  // of New's untyped result).
  BaseComponent* (*NewComponent)() = nullptr;

  const MemberInfo* FindMember(const std::string& key) const;
};

// Head of the chain of all descriptors.
TypeInfo*& TypeChainHead();

// The descriptor of T, created empty on first use and linked into the chain. Every use of a
// type's descriptor goes through here, so members can name types registered later.
template <class T> TypeInfo* TypeOf() {
  static TypeInfo* info = [] {
    auto* made = new TypeInfo();
    made->next = TypeChainHead();
    TypeChainHead() = made;
    return made;
  }();
  return info;
}

// The eight value operations of T.
template <class T> struct TypeOps {
  static void* New() { return new T; }
  static void Copy(void* d, const void* s) {
    if constexpr (std::is_copy_assignable_v<T>)
      *static_cast<T*>(d) = *static_cast<const T*>(s);
  }
  static void Delete(void* p) { delete static_cast<T*>(p); }
  static void NewCopy(void** out, const void* s) {
    if constexpr (std::is_copy_constructible_v<T>)
      *out = new T(*static_cast<const T*>(s));
    else
      *out = nullptr;
  }
  static void PlacementNew(void* p) {
    if constexpr (!std::is_trivially_default_constructible_v<T>)
      new (p) T;
  }
  static void PlacementDelete(void* p) {
    if constexpr (!std::is_trivially_destructible_v<T>)
      static_cast<T*>(p)->~T();
  }
  static void PlacementCopy(void* d, const void* s) {
    if constexpr (std::is_copy_constructible_v<T>)
      new (d) T(*static_cast<const T*>(s));
  }
};
