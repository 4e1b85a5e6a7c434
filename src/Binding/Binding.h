#pragma once
// lb: the engine's own small Lua binding layer.
//
// Every binding is one line of a builder chain, so a module's part of the script API reads as a
// list. Scopes nest; End() closes the innermost one.
//
//   static void BindMine(lua_State* L) {
//     lb::Global(L)
//         .Function("MakeThing", &MakeThing)              // global function
//         .Namespace("Engine")                            // nested namespaces: more Namespace()
//           .Function("GetHUDSpace", &GetHUDSpace)
//           .Property("Paused", &GetPaused, &SetPaused)   // getter/setter functions (or only a
//           getter) .Variable("Quit", &someBool)                  // a C++ variable, read-write
//           .Constant("A", 4)                             // read-only value
//         .End()
//         .Class<Vector2D>("Vector2D")                    // value class: crosses as a copy
//           .Constructor<float, float, float>()           // Vector2D(1, 2, 3) from scripts
//           .Property("x", &GetX, &SetX)                  // free functions taking Vector2D*
//           .Field("z", &Vector2D::z_)                    // data member, read-write
//         .End()
//         .Class<GameObject>("GameObject")                // engine object: crosses as a reference
//           .FieldRO("IsDead", &GameObject::IsDead)       // read-only data member
//           .Method("Destroy", &GameObject::Destroy)      // obj:Destroy(); free functions whose
//           .Method("Raw", &RawFn)                        //   first parameter is T* work too, and
//           .Fallback(&GetByName, nullptr)                //   int(lua_State*, T*) for raw access
//           .Equality()                                   // __eq: same engine object
//         .End();
//   }
//   static lb::ApiSection section(12, &BindMine);          // runs in section order at start-up
//
// Argument types are checked before a bound function runs; a mismatch raises a Lua error naming
// the function and the argument. Raw functions (int(lua_State*) or int(lua_State*, T*)) return
// the number of results, or -1 with an error message pushed to raise it as a Lua error.
//
// Reference userdata hold a plain pointer; a class whose objects can be deleted while scripts
// still hold them installs a liveness check (ClassId::tagOf / isAlive) so that stale references
// raise an error instead of touching freed memory.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <lua.hpp>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "Binding/ApiRecord.h"
#include "Binding/LuaPush.h"

namespace lb {

// Per-C++-class identity; its address keys the class's metatable in the Lua registry.
struct ClassId {
  std::string name; // script name, set when the class is registered
  // Optional liveness check: the tag is taken when a reference is pushed and must still match.
  uint64_t (*tagOf)(const void* object) = nullptr;
  bool (*isAlive)(const void* object, uint64_t tag) = nullptr;
  // False for value classes whose copies need no destructor run (see ClassBuilder::Plain).
  bool finalize = true;
  // The metatable of the state that registered the class last, reachable by an integer
  // reference: the registry's key of the class identity takes a hash-chain walk per push.
  // What the reference leads to is trusted only if it is that very table.
  const void* cachedMetatable = nullptr;
  int cachedRef = 0;
};
template <class T> ClassId& ClassOf() {
  static ClassId id;
  return id;
}

// Layout of every userdata made by this layer. The object pointer comes first, so a debugger
// dump of the userdata shows it.
struct Header {
  void* object;
  const ClassId* cls;
  uint64_t tag;
  void (*destroy)(void*); // set for owned copies
  uint32_t magic;
};
inline constexpr uint32_t kMagic = 0x6C62ACE1u;
inline constexpr size_t kPayloadOffset = (sizeof(Header) + 15) & ~size_t(15);

// The header of one of our userdata at idx, or null for any other value.
Header* HeaderAt(lua_State* L, int idx);
// Pushes the metatable of a registered class; returns false (pushing nothing) when unregistered.
bool PushMetatable(lua_State* L, const ClassId& cls);
// "GameObject", "stale LuaComponent", or the Lua type name.
const char* Describe(lua_State* L, int idx);

enum class Got { Ok, Nil, Wrong, Stale };

template <class T> T* ToObject(lua_State* L, int idx, Got* why = nullptr) {
  Header* h = HeaderAt(L, idx);
  Got result = Got::Ok;
  T* object = nullptr;
  if (!h)
    result = lua_isnoneornil(L, idx) ? Got::Nil : Got::Wrong;
  else if (h->cls != &ClassOf<T>())
    result = Got::Wrong;
  else if (h->cls->isAlive && !h->cls->isAlive(h->object, h->tag))
    result = Got::Stale;
  else
    object = static_cast<T*>(h->object);
  if (why)
    *why = result;
  return object;
}

// Gives our userdata on top of the stack its class metatable; when the class is not registered
// in this state, destroys the payload and replaces the userdata with nil.
inline void SetClassMetatable(lua_State* L, const ClassId& cls) {
  if (PushMetatable(L, cls)) {
    lua_setmetatable(L, -2);
    return;
  }
  auto* h = static_cast<Header*>(lua_touserdata(L, -1));
  if (h->destroy)
    h->destroy(h->object);
  lua_pop(L, 1);
  lua_pushnil(L);
}

template <class T> void PushPtr(lua_State* L, T* object) {
  const ClassId& cls = ClassOf<T>();
  if (!object) {
    lua_pushnil(L);
    return;
  }
  auto* h = static_cast<Header*>(lua_newuserdata(L, sizeof(Header)));
  *h = Header{object, &cls, cls.tagOf ? cls.tagOf(object) : 0, nullptr, kMagic};
  SetClassMetatable(L, cls);
}

template <class T> void PushCopy(lua_State* L, const T& value) {
  static_assert(alignof(T) <= 16, "over-aligned value class");
  const ClassId& cls = ClassOf<T>();
  void* block = lua_newuserdata(L, kPayloadOffset + sizeof(T));
  void* payload = static_cast<char*>(block) + kPayloadOffset;
  new (payload) T(value);
  auto* h = static_cast<Header*>(block);
  void (*destroy)(void*) = [](void* p) { static_cast<T*>(p)->~T(); };
  *h = Header{payload, &cls, 0, cls.finalize ? destroy : nullptr, kMagic};
  SetClassMetatable(L, cls);
}

// ---- Conversion of C++ values to and from the Lua stack ----------------------------------------

template <class T> using Plain = std::remove_cv_t<std::remove_reference_t<T>>;

template <class T, class Enable = void> struct Stack;

template <> struct Stack<bool> {
  static bool Is(lua_State*, int) { return true; }
  static const char* Expected() { return "boolean"; }
  static bool Get(lua_State* L, int idx) { return lua_toboolean(L, idx) != 0; }
  static void Push(lua_State* L, bool v) { lua_pushboolean(L, v); }
};

template <class T>
struct Stack<T, std::enable_if_t<std::is_arithmetic_v<T> && !std::is_same_v<T, bool>>> {
  static bool Is(lua_State* L, int idx) { return lua_isnumber(L, idx) != 0; }
  static const char* Expected() { return "number"; }
  static T Get(lua_State* L, int idx) {
    double d = lua_tonumber(L, idx);
    if constexpr (std::is_floating_point_v<T>) {
      return static_cast<T>(d);
    } else {
      // Out-of-range and NaN inputs wrap or become 0 instead of being undefined behaviour.
      if (!(d == d))
        return 0;
      if (d >= 9.2e18 || d <= -9.2e18)
        return 0;
      return static_cast<T>(static_cast<int64_t>(d));
    }
  }
  static void Push(lua_State* L, T v) { lua_pushnumber(L, static_cast<lua_Number>(v)); }
};

template <> struct Stack<std::string> {
  static bool Is(lua_State* L, int idx) { return lua_isstring(L, idx) != 0; }
  static const char* Expected() { return "string"; }
  static std::string Get(lua_State* L, int idx) {
    size_t n = 0;
    const char* s = lua_tolstring(L, idx, &n);
    return std::string(s, n);
  }
  static void Push(lua_State* L, const std::string& v) { lua_pushlstring(L, v.data(), v.size()); }
};

template <> struct Stack<const char*> {
  static bool Is(lua_State* L, int idx) { return lua_isstring(L, idx) != 0; }
  static const char* Expected() { return "string"; }
  static const char* Get(lua_State* L, int idx) { return lua_tostring(L, idx); }
  static void Push(lua_State* L, const char* v) {
    if (v)
      lua_pushstring(L, v);
    else
      lua_pushnil(L);
  }
};

// Engine objects by reference; nil is accepted as null.
template <class T> struct Stack<T*, std::enable_if_t<std::is_class_v<T>>> {
  using U = std::remove_cv_t<T>;
  static bool Is(lua_State* L, int idx) {
    Got why;
    ToObject<U>(L, idx, &why);
    return why == Got::Ok || why == Got::Nil;
  }
  static const char* Expected() { return ClassOf<U>().name.c_str(); }
  static T* Get(lua_State* L, int idx) { return ToObject<U>(L, idx); }
  static void Push(lua_State* L, T* v) { PushPtr<U>(L, const_cast<U*>(v)); }
};

// Value classes (events, Vector2D) by copy.
template <class T>
struct Stack<T, std::enable_if_t<std::is_class_v<T> && !std::is_same_v<T, std::string>>> {
  static bool Is(lua_State* L, int idx) { return ToObject<T>(L, idx) != nullptr; }
  static const char* Expected() { return ClassOf<T>().name.c_str(); }
  static const T& Get(lua_State* L, int idx) { return *ToObject<T>(L, idx); }
  static void Push(lua_State* L, const T& v) { PushCopy<T>(L, v); }
};

// ---- Calling C++ functions from Lua -----------------------------------------------------------

namespace detail {
// Pushes "bad argument n to 'name' (expected, got ...)"; arg 0 means the object itself.
void PushArgError(lua_State* L, const char* name, int arg, const char* expected, int idx);
const char* UpvalueName(lua_State* L);

template <class F> F UpvalueFunction(lua_State* L) {
  F f;
  std::memcpy(static_cast<void*>(&f), lua_touserdata(L, lua_upvalueindex(1)), sizeof(F));
  return f;
}
template <class F> void PushFunctionUpvalue(lua_State* L, F f) {
  std::memcpy(lua_newuserdata(L, sizeof(F)), static_cast<const void*>(&f), sizeof(F));
}

template <class... A, size_t... I>
bool CheckArgs(lua_State* L, int first, const char* name, std::index_sequence<I...>) {
  int bad = 0;
  const char* expected = nullptr;
  (void)((Stack<Plain<A>>::Is(L, first + static_cast<int>(I))
              ? true
              : (bad = static_cast<int>(I) + 1, expected = Stack<Plain<A>>::Expected(), false)) &&
         ...);
  if (bad) {
    PushArgError(L, name, bad, expected, first + bad - 1);
    return false;
  }
  return true;
}

// Checks and converts the arguments at first.., calls f and pushes its result.
// Returns the result count, or -1 with an error message pushed. No C++ object outlives it, so
// the caller may raise the Lua error safely.
template <class R, class... A, class Fn>
int Invoke(lua_State* L, int first, const char* name, Fn&& fn) {
  if (!CheckArgs<A...>(L, first, name, std::index_sequence_for<A...>{}))
    return -1;
  return [&]<size_t... I>(std::index_sequence<I...>) {
    std::tuple<Plain<A>...> args{Stack<Plain<A>>::Get(L, first + static_cast<int>(I))...};
    if constexpr (std::is_void_v<R>) {
      fn(std::get<I>(args)...);
      return 0;
    } else {
      Stack<Plain<R>>::Push(L, fn(std::get<I>(args)...));
      return 1;
    }
  }
  (std::index_sequence_for<A...>{});
}

inline int Finish(lua_State* L, int results) {
  return results < 0 ? lua_error(L) : results;
}

template <class T> T* Self(lua_State* L, const char* name) {
  Got why;
  T* self = ToObject<T>(L, 1, &why);
  if (!self)
    PushArgError(L, name, 0, ClassOf<T>().name.c_str(), 1);
  return self;
}

// Free functions: upvalue 1 holds the pointer, upvalue 2 the name.
template <class F> struct FreeThunk;
template <class R, class... A> struct FreeThunk<R (*)(A...)> {
  static int Call(lua_State* L) { return Finish(L, Run(L, 1)); }
  // Constructors called through the class table get the table as argument 1.
  static int CallSkippingFirst(lua_State* L) { return Finish(L, Run(L, 2)); }
  static int Run(lua_State* L, int first) {
    auto f = UpvalueFunction<R (*)(A...)>(L);
    return Invoke<R, A...>(L, first, UpvalueName(L), f);
  }
};
template <> struct FreeThunk<int (*)(lua_State*)> {
  static int Call(lua_State* L) { return Finish(L, UpvalueFunction<int (*)(lua_State*)>(L)(L)); }
};

// Methods: member function pointers, free functions taking T* first, or raw int(lua_State*, T*).
template <class T, class F> struct MethodThunk;
template <class T, class C, class R, class... A> struct MethodThunk<T, R (C::*)(A...)> {
  static int Call(lua_State* L) { return Finish(L, Run(L)); }
  static int Run(lua_State* L) {
    const char* name = UpvalueName(L);
    T* self = Self<T>(L, name);
    if (!self)
      return -1;
    auto f = UpvalueFunction<R (C::*)(A...)>(L);
    return Invoke<R, A...>(L, 2, name, [&](auto&&... a) -> R { return (self->*f)(a...); });
  }
};
template <class T, class C, class R, class... A> struct MethodThunk<T, R (C::*)(A...) const> {
  static int Call(lua_State* L) { return Finish(L, Run(L)); }
  static int Run(lua_State* L) {
    const char* name = UpvalueName(L);
    T* self = Self<T>(L, name);
    if (!self)
      return -1;
    auto f = UpvalueFunction<R (C::*)(A...) const>(L);
    return Invoke<R, A...>(L, 2, name, [&](auto&&... a) -> R { return (self->*f)(a...); });
  }
};
template <class T, class S, class R, class... A> struct MethodThunk<T, R (*)(S*, A...)> {
  static int Call(lua_State* L) { return Finish(L, Run(L)); }
  static int Run(lua_State* L) {
    const char* name = UpvalueName(L);
    T* self = Self<T>(L, name);
    if (!self)
      return -1;
    auto f = UpvalueFunction<R (*)(S*, A...)>(L);
    return Invoke<R, A...>(L, 2, name, [&](auto&&... a) -> R { return f(self, a...); });
  }
};
template <class T> struct MethodThunk<T, int (*)(lua_State*, T*)> {
  static int Call(lua_State* L) {
    T* self = Self<T>(L, UpvalueName(L));
    if (!self)
      return lua_error(L);
    return Finish(L, UpvalueFunction<int (*)(lua_State*, T*)>(L)(L, self));
  }
};

// Data members: upvalue 1 holds the member pointer. Getters get (self), setters (self, value).
template <class T, class V> struct FieldThunk {
  using M = V T::*;
  static int Get(lua_State* L) {
    T* self = Self<T>(L, UpvalueName(L));
    if (!self)
      return lua_error(L);
    Stack<V>::Push(L, self->*UpvalueFunction<M>(L));
    return 1;
  }
  static int Set(lua_State* L) {
    const char* name = UpvalueName(L);
    T* self = Self<T>(L, name);
    if (!self)
      return lua_error(L);
    M m = UpvalueFunction<M>(L);
    return Finish(L, Invoke<void, V>(L, 2, name, [&](const V& v) { self->*m = v; }));
  }
};

template <class V> struct VariableThunk {
  static int Get(lua_State* L) {
    Stack<V>::Push(L, *UpvalueFunction<V*>(L));
    return 1;
  }
  static int Set(lua_State* L) {
    V* p = UpvalueFunction<V*>(L);
    // Namespace setters are called as set(value); value at index 1.
    return Finish(L, Invoke<void, V>(L, 1, UpvalueName(L), [&](const V& v) { *p = v; }));
  }
};

// Raw fallback accessors: int(lua_State*, T*, const char* key); the value to set is at index 3.
template <class T> struct FallbackThunk {
  using F = int (*)(lua_State*, T*, const char*);
  static int Call(lua_State* L) {
    T* self = Self<T>(L, UpvalueName(L));
    if (!self)
      return lua_error(L);
    return Finish(L, UpvalueFunction<F>(L)(L, self, lua_tostring(L, 2)));
  }
};

template <class T, class... A> struct CtorThunk {
  static int Call(lua_State* L) {
    int n = Invoke<void, A...>(L, 2, UpvalueName(L), [&](auto&&... a) { PushCopy<T>(L, T(a...)); });
    return Finish(L, n < 0 ? -1 : 1);
  }
};

template <class T> int Equal(lua_State* L) {
  Header* a = HeaderAt(L, 1);
  Header* b = HeaderAt(L, 2);
  lua_pushboolean(L, a && b && a->object == b->object);
  return 1;
}

// Pushes a C closure with a function pointer upvalue and a name upvalue.
template <class F>
void PushClosure(lua_State* L, lua_CFunction thunk, F f, const std::string& name) {
  PushFunctionUpvalue(L, f);
  lua_pushlstring(L, name.data(), name.size());
  lua_pushcclosure(L, thunk, 2);
}
} // namespace detail

// ---- Types as scripts see them, for the recorder of ApiRecord.h -------------------------------

namespace detail {
template <class T> ScriptType ScriptTypeOf() {
  using U = Plain<T>;
  if constexpr (std::is_void_v<U>)
    return {"none"};
  else if constexpr (std::is_same_v<U, bool>)
    return {"boolean"};
  else if constexpr (std::is_integral_v<U>)
    return {"integer"};
  else if constexpr (std::is_floating_point_v<U>)
    return {"number"};
  else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, const char*> ||
                     std::is_same_v<U, char*>)
    return {"string"};
  else if constexpr (std::is_pointer_v<U>)
    return {"", &ClassOf<std::remove_cv_t<std::remove_pointer_t<U>>>()};
  else
    return {"", &ClassOf<U>()};
}

template <class V> std::string ValueText(const V& value) {
  if constexpr (std::is_same_v<V, bool>) {
    return value ? "true" : "false";
  } else if constexpr (std::is_integral_v<V>) {
    return std::to_string(static_cast<long long>(value));
  } else if constexpr (std::is_floating_point_v<V>) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
  } else if constexpr (std::is_convertible_v<V, std::string>) {
    return "\"" + std::string(value) + "\"";
  } else {
    return "";
  }
}

// Argument and result types of a function called as f(...); raw functions have none.
template <class F> struct FunctionTypes;
template <class R, class... A> struct FunctionTypes<R (*)(A...)> {
  static void Fill(ApiRow& row) {
    row.args = {ScriptTypeOf<A>()...};
    row.result = ScriptTypeOf<R>();
  }
};
template <> struct FunctionTypes<int (*)(lua_State*)> {
  static void Fill(ApiRow& row) { row.typed = false; }
};

// The same for a method called as obj:f(...): the object is not an argument.
template <class T, class F> struct MethodTypes;
template <class T, class C, class R, class... A> struct MethodTypes<T, R (C::*)(A...)> {
  static void Fill(ApiRow& row) { FunctionTypes<R (*)(A...)>::Fill(row); }
};
template <class T, class C, class R, class... A> struct MethodTypes<T, R (C::*)(A...) const> {
  static void Fill(ApiRow& row) { FunctionTypes<R (*)(A...)>::Fill(row); }
};
template <class T, class S, class R, class... A> struct MethodTypes<T, R (*)(S*, A...)> {
  static void Fill(ApiRow& row) { FunctionTypes<R (*)(A...)>::Fill(row); }
};
template <class T> struct MethodTypes<T, int (*)(lua_State*, T*)> {
  static void Fill(ApiRow& row) { row.typed = false; }
};
} // namespace detail

// ---- Registration builders ---------------------------------------------------------------------

class Scope;

// A class being registered. Its metatable sits on top of the Lua stack, the class table below.
template <class T> class ClassBuilder {
public:
  ClassBuilder(Scope& parent, lua_State* L, std::string name, ApiRow* row)
      : parent(parent), L(L), name(std::move(name)) {
    if (Recorder* recorder = ActiveRecorder(); recorder && row)
      classRow = static_cast<int>(row - recorder->rows.data());
  }

  // The description of the row registered last (see ApiRecord.h); costs nothing unless the
  // registrations are being recorded.
  ClassBuilder& Doc(std::string_view text) {
    detail::AttachDoc(text);
    return *this;
  }
  // The argument and result types of the row registered last, for raw methods and fallbacks.
  ClassBuilder& Signature(std::initializer_list<const char*> args, const char* result) {
    detail::AttachSignature(args, result);
    return *this;
  }

  template <class... A> ClassBuilder& Constructor() {
    lua_getmetatable(L, -2); // the class table's own metatable
    detail::PushClosure(L, &detail::CtorThunk<T, A...>::Call, 0, name);
    lua_setfield(L, -2, "__call");
    lua_pop(L, 1);
    if (ApiRow* row = detail::AddRow(RowKind::Constructor, name, name)) {
      row->args = {detail::ScriptTypeOf<A>()...};
      row->result = detail::ScriptTypeOf<T>();
    }
    return *this;
  }

  // obj:Name(...) — member functions, free functions taking T* first, or int(lua_State*, T*).
  template <class F> ClassBuilder& Method(const char* key, F f) {
    detail::PushClosure(L, &detail::MethodThunk<T, F>::Call, f, name + "." + key);
    SetIn("__methods", key);
    if (ApiRow* row = detail::AddRow(RowKind::Method, name, key))
      detail::MethodTypes<T, F>::Fill(*row);
    return *this;
  }

  template <class V> ClassBuilder& Field(const char* key, V T::*member) {
    detail::PushClosure(L, &detail::FieldThunk<T, V>::Get, member, name + "." + key);
    SetIn("__getters", key);
    detail::PushClosure(L, &detail::FieldThunk<T, V>::Set, member, name + "." + key);
    SetIn("__setters", key);
    RecordProperty<V>(key, true);
    return *this;
  }
  template <class V> ClassBuilder& FieldRO(const char* key, V T::*member) {
    detail::PushClosure(L, &detail::FieldThunk<T, V>::Get, member, name + "." + key);
    SetIn("__getters", key);
    ClearIn("__setters", key);
    RecordProperty<V>(key, false);
    return *this;
  }

  // Getter and optional setter: member functions or free functions taking T* first.
  template <class G> ClassBuilder& Property(const char* key, G get) {
    detail::PushClosure(L, &detail::MethodThunk<T, G>::Call, get, name + "." + key);
    SetIn("__getters", key);
    ClearIn("__setters", key);
    RecordGetter<G>(key, false);
    return *this;
  }
  template <class G, class S> ClassBuilder& Property(const char* key, G get, S set) {
    detail::PushClosure(L, &detail::MethodThunk<T, G>::Call, get, name + "." + key);
    SetIn("__getters", key);
    detail::PushClosure(L, &detail::MethodThunk<T, S>::Call, set, name + "." + key);
    SetIn("__setters", key);
    RecordGetter<G>(key, true);
    return *this;
  }

  // A class-wide variable, reachable from every instance and from the class table.
  template <class V> ClassBuilder& StaticVariable(const char* key, V* variable) {
    if (ApiRow* row = RecordProperty<V>(key, true))
      row->value = detail::ValueText(*variable);
    auto get = &detail::VariableThunk<V>::Get;
    auto set = &detail::VariableThunk<V>::Set;
    // Instances call accessors as (self[, value]); drop self first.
    detail::PushClosure(L, &StaticFromInstance<V, false>, variable, name + "." + key);
    SetIn("__getters", key);
    detail::PushClosure(L, &StaticFromInstance<V, true>, variable, name + "." + key);
    SetIn("__setters", key);
    lua_getmetatable(L, -2); // the class table's metatable: ClassName.key
    detail::PushClosure(L, get, variable, name + "." + key);
    SetIn("__getters", key);
    detail::PushClosure(L, set, variable, name + "." + key);
    SetIn("__setters", key);
    lua_pop(L, 1);
    return *this;
  }

  // Names that are neither methods nor properties. Both take (L, self, key); the getter pushes
  // one value and returns 1, the setter finds the value at index 3 and returns 0.
  ClassBuilder& Fallback(int (*get)(lua_State*, T*, const char*),
                         int (*set)(lua_State*, T*, const char*)) {
    using F = int (*)(lua_State*, T*, const char*);
    if (get)
      detail::PushClosure<F>(L, &detail::FallbackThunk<T>::Call, get, name + " (get)");
    else
      lua_pushnil(L);
    lua_setfield(L, -2, "__fallbackget");
    if (set)
      detail::PushClosure<F>(L, &detail::FallbackThunk<T>::Call, set, name + " (set)");
    else
      lua_pushnil(L);
    lua_setfield(L, -2, "__fallbackset");
    if (ApiRow* row = detail::AddRow(RowKind::Fallback, name, "")) {
      row->result = {"any"};
      row->writable = set != nullptr;
    }
    return *this;
  }

  // Copies of this value class own nothing (scalar fields only), so Lua need not finalize them:
  // collecting them is then much cheaper, which matters for events sent every frame.
  ClassBuilder& Plain() {
    ClassOf<T>().finalize = false;
    lua_pushnil(L);
    lua_setfield(L, -2, "__gc");
    return *this;
  }

  // Two references are equal when they denote the same engine object.
  ClassBuilder& Equality() {
    lua_pushcfunction(L, &detail::Equal<T>);
    lua_setfield(L, -2, "__eq");
    if (Recorder* recorder = ActiveRecorder(); recorder && classRow >= 0)
      recorder->rows[static_cast<size_t>(classRow)].equality = true;
    return *this;
  }

  Scope& End() {
    lua_pop(L, 2);
    return parent;
  }

private:
  template <class V, bool Set> static int StaticFromInstance(lua_State* L) {
    lua_remove(L, 1);
    return Set ? detail::VariableThunk<V>::Set(L) : detail::VariableThunk<V>::Get(L);
  }
  void SetIn(const char* table, const char* key) {
    lua_getfield(L, -2, table);
    lua_insert(L, -2);
    lua_setfield(L, -2, key);
    lua_pop(L, 1);
  }
  void ClearIn(const char* table, const char* key) {
    lua_pushnil(L);
    SetIn(table, key);
  }
  template <class V> ApiRow* RecordProperty(const char* key, bool writable) {
    ApiRow* row = detail::AddRow(RowKind::Property, name, key);
    if (row) {
      row->result = detail::ScriptTypeOf<V>();
      row->writable = writable;
    }
    return row;
  }
  template <class G> void RecordGetter(const char* key, bool writable) {
    if (ApiRow* row = detail::AddRow(RowKind::Property, name, key)) {
      detail::MethodTypes<T, G>::Fill(*row);
      row->args.clear();
      row->writable = writable;
    }
  }

  Scope& parent;
  lua_State* L;
  std::string name;
  int classRow = -1; // the recorder's row of this class, when recording
};

// A namespace (or the global table) being registered; its table sits on top of the Lua stack.
class Scope {
public:
  Scope(lua_State* L, Scope* parent, std::string name, bool global)
      : L(L), parent(parent), name(std::move(name)), global(global) {}

  Scope& Namespace(const char* key);
  Scope& End();

  // The description of the row registered last (see ApiRecord.h); costs nothing unless the
  // registrations are being recorded.
  Scope& Doc(std::string_view text) {
    detail::AttachDoc(text);
    return *this;
  }
  // The argument and result types of the row registered last, for raw functions.
  Scope& Signature(std::initializer_list<const char*> args, const char* result) {
    detail::AttachSignature(args, result);
    return *this;
  }

  template <class F> Scope& Function(const char* key, F f) {
    detail::PushClosure(L, &detail::FreeThunk<F>::Call, f, Qualified(key));
    lua_setfield(L, -2, key);
    if (ApiRow* row = detail::AddRow(RowKind::Function, Owner(), key))
      detail::FunctionTypes<F>::Fill(*row);
    return *this;
  }

  // Getter R() and optional setter void(V), evaluated at each access.
  template <class G> Scope& Property(const char* key, G get) {
    detail::PushClosure(L, &detail::FreeThunk<G>::Call, get, Qualified(key));
    SetAccessor("__getters", key);
    lua_pushnil(L);
    SetAccessor("__setters", key);
    RecordGetter<G>(key, false);
    return *this;
  }
  template <class G, class S> Scope& Property(const char* key, G get, S set) {
    detail::PushClosure(L, &detail::FreeThunk<G>::Call, get, Qualified(key));
    SetAccessor("__getters", key);
    detail::PushClosure(L, &detail::FreeThunk<S>::Call, set, Qualified(key));
    SetAccessor("__setters", key);
    RecordGetter<G>(key, true);
    return *this;
  }
  template <class V> Scope& Variable(const char* key, V* variable) {
    detail::PushClosure(L, &detail::VariableThunk<V>::Get, variable, Qualified(key));
    SetAccessor("__getters", key);
    detail::PushClosure(L, &detail::VariableThunk<V>::Set, variable, Qualified(key));
    SetAccessor("__setters", key);
    if (ApiRow* row = detail::AddRow(RowKind::Property, Owner(), key)) {
      row->result = detail::ScriptTypeOf<V>();
      row->writable = true;
      row->value = detail::ValueText(*variable);
    }
    return *this;
  }
  template <class V> Scope& Constant(const char* key, V value) {
    Stack<Plain<V>>::Push(L, value);
    lua_pushcclosure(L, &ReturnUpvalue, 1);
    SetAccessor("__getters", key);
    lua_pushnil(L);
    SetAccessor("__setters", key);
    if (ApiRow* row = detail::AddRow(RowKind::Constant, Owner(), key)) {
      row->result = detail::ScriptTypeOf<V>();
      row->value = detail::ValueText(value);
    }
    return *this;
  }

  template <class T> ClassBuilder<T> Class(const char* key) {
    BeginClass(key, ClassOf<T>(), &GarbageCollect);
    ApiRow* row = detail::AddRow(RowKind::Class, Owner(), key);
    return ClassBuilder<T>(*this, L, Qualified(key), row);
  }

  lua_State* State() const { return L; }

private:
  static int ReturnUpvalue(lua_State* L) {
    lua_pushvalue(L, lua_upvalueindex(1));
    return 1;
  }
  static int GarbageCollect(lua_State* L);
  void BeginClass(const char* key, ClassId& cls, lua_CFunction gc);
  void SetAccessor(const char* table, const char* key);
  std::string Qualified(const char* key) const {
    return global || name.empty() ? std::string(key) : name + "." + key;
  }
  // This scope's name as the owner of the rows it records; empty for the global table.
  std::string Owner() const { return global ? std::string() : name; }
  template <class G> void RecordGetter(const char* key, bool writable) {
    if (ApiRow* row = detail::AddRow(RowKind::Property, Owner(), key)) {
      detail::FunctionTypes<G>::Fill(*row);
      row->args.clear();
      row->writable = writable;
    }
  }

protected:
  lua_State* L;
  Scope* parent;
  std::string name;
  bool global;
  std::unique_ptr<Scope> child;
};

// The global table as the outermost scope. Push nothing else on the stack while building.
class Global : public Scope {
public:
  explicit Global(lua_State* L);
  ~Global();

private:
  int base;
};

// A module's part of the script API, run by LuaEngine::Initialize in the order of the script-API
// list: by section number, then by the row's position inside its section. Both numbers are
// explicit, so the order never depends on the order in which the modules are linked. Declare one
// as a static object in the module's bindings file.
using BindFunction = void (*)(lua_State*);
struct ApiSection {
  ApiSection(int section, BindFunction bind) : ApiSection(section, 0, bind) {}
  ApiSection(int section, int position, BindFunction bind);
};
// Runs every section, lowest section first and, inside a section, lowest position first. The
// optional observer is called after each one (tools and tests use it to see what a section adds).
using SectionObserver = void (*)(lua_State*, int section, int position, void* context);
void RegisterApi(lua_State* L, SectionObserver observer = nullptr, void* context = nullptr);
// The (section, position) pairs in the order RegisterApi runs them.
std::vector<std::pair<int, int>> ApiOrder();

} // namespace lb
