// lb, the binding layer: scopes, class builders and the ordered list of API sections.
#include "Binding/Binding.h"

#include <algorithm>
#include <vector>

namespace lb {

Header* HeaderAt(lua_State* L, int idx) {
  if (lua_type(L, idx) != LUA_TUSERDATA || lua_objlen(L, idx) < sizeof(Header))
    return nullptr;
  auto* h = static_cast<Header*>(lua_touserdata(L, idx));
  return h->magic == kMagic ? h : nullptr;
}

bool PushMetatable(lua_State* L, const ClassId& cls) {
  if (cls.cachedRef > 0) {
    // In another state the reference leads elsewhere, never to this live table.
    lua_rawgeti(L, LUA_REGISTRYINDEX, cls.cachedRef);
    if (lua_topointer(L, -1) == cls.cachedMetatable)
      return true;
    lua_pop(L, 1);
  }
  lua_pushlightuserdata(L, const_cast<ClassId*>(&cls));
  lua_rawget(L, LUA_REGISTRYINDEX);
  if (lua_istable(L, -1))
    return true;
  lua_pop(L, 1);
  return false;
}

const char* Describe(lua_State* L, int idx) {
  if (Header* h = HeaderAt(L, idx)) {
    if (h->cls->isAlive && !h->cls->isAlive(h->object, h->tag))
      return lua_pushfstring(L, "stale %s", h->cls->name.c_str());
    return h->cls->name.c_str();
  }
  return luaL_typename(L, idx);
}

namespace detail {
void PushArgError(lua_State* L, const char* name, int arg, const char* expected, int idx) {
  const char* got = Describe(L, idx);
  if (arg == 0)
    lua_pushfstring(L, "bad self to '%s' (%s expected, got %s)", name, expected, got);
  else
    lua_pushfstring(L, "bad argument %d to '%s' (%s expected, got %s)", arg, name, expected, got);
  // Where-information, as Lua's own argument errors carry it.
  luaL_where(L, 1);
  lua_insert(L, -2);
  lua_concat(L, 2);
}

const char* UpvalueName(lua_State* L) {
  const char* name = lua_tostring(L, lua_upvalueindex(2));
  return name ? name : "?";
}
} // namespace detail

namespace {
// Metatable slots of classes and namespaces.
constexpr const char* kGetters = "__getters";
constexpr const char* kSetters = "__setters";
constexpr const char* kMethods = "__methods";

// Instance __index(self, key); upvalue 1 is the class metatable.
int InstanceIndex(lua_State* L) {
  // Every member of a stale reference reads as nil; writes and calls still raise errors.
  Header* h = HeaderAt(L, 1);
  if (lua_type(L, 2) != LUA_TSTRING ||
      (h && h->cls->isAlive && !h->cls->isAlive(h->object, h->tag))) {
    lua_pushnil(L);
    return 1;
  }
  const int mt = lua_upvalueindex(1);
  lua_getfield(L, mt, kMethods);
  lua_pushvalue(L, 2);
  lua_rawget(L, -2);
  if (!lua_isnil(L, -1))
    return 1;
  lua_pop(L, 2);
  lua_getfield(L, mt, kGetters);
  lua_pushvalue(L, 2);
  lua_rawget(L, -2);
  if (lua_isfunction(L, -1)) {
    lua_pushvalue(L, 1);
    lua_call(L, 1, 1);
    return 1;
  }
  lua_pop(L, 2);
  lua_getfield(L, mt, "__fallbackget");
  if (lua_isfunction(L, -1)) {
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 2);
    lua_call(L, 2, 1);
    return 1;
  }
  lua_pushnil(L);
  return 1;
}

// Instance __newindex(self, key, value).
int InstanceNewIndex(lua_State* L) {
  const int mt = lua_upvalueindex(1);
  lua_getfield(L, mt, "__classname");
  const char* cls = lua_tostring(L, -1);
  if (lua_type(L, 2) == LUA_TSTRING) {
    lua_getfield(L, mt, kSetters);
    lua_pushvalue(L, 2);
    lua_rawget(L, -2);
    if (lua_isfunction(L, -1)) {
      lua_pushvalue(L, 1);
      lua_pushvalue(L, 3);
      lua_call(L, 2, 0);
      return 0;
    }
    lua_pop(L, 2);
    for (const char* table : {kGetters, kMethods}) {
      lua_getfield(L, mt, table);
      lua_pushvalue(L, 2);
      lua_rawget(L, -2);
      if (!lua_isnil(L, -1))
        return luaL_error(L, "'%s.%s' is read-only", cls, lua_tostring(L, 2));
      lua_pop(L, 2);
    }
    lua_getfield(L, mt, "__fallbackset");
    if (lua_isfunction(L, -1)) {
      lua_pushvalue(L, 1);
      lua_pushvalue(L, 2);
      lua_pushvalue(L, 3);
      lua_call(L, 3, 0);
      return 0;
    }
    return luaL_error(L, "no writable member '%s' in %s", lua_tostring(L, 2), cls);
  }
  return luaL_error(L, "no writable member of type %s in %s", luaL_typename(L, 2), cls);
}

// Namespace and class-table __index(table, key); upvalue 1 is the table's metatable.
int ScopeIndex(lua_State* L) {
  lua_getfield(L, lua_upvalueindex(1), kGetters);
  lua_pushvalue(L, 2);
  lua_rawget(L, -2);
  if (lua_isfunction(L, -1)) {
    lua_call(L, 0, 1);
    return 1;
  }
  lua_pushnil(L);
  return 1;
}

int ScopeNewIndex(lua_State* L) {
  const int mt = lua_upvalueindex(1);
  lua_getfield(L, mt, kSetters);
  lua_pushvalue(L, 2);
  lua_rawget(L, -2);
  if (lua_isfunction(L, -1)) {
    lua_pushvalue(L, 3);
    lua_call(L, 1, 0);
    return 0;
  }
  lua_pop(L, 2);
  lua_getfield(L, mt, kGetters);
  lua_pushvalue(L, 2);
  lua_rawget(L, -2);
  if (!lua_isnil(L, -1)) {
    lua_getfield(L, mt, "__scopename");
    return luaL_error(L, "'%s.%s' is read-only", lua_tostring(L, -1), lua_tostring(L, 2));
  }
  lua_settop(L, 3);
  lua_rawset(L, 1);
  return 0;
}

int InstanceToString(lua_State* L) {
  Header* h = HeaderAt(L, 1);
  if (!h)
    lua_pushstring(L, "?");
  else
    lua_pushfstring(L, "%s: %p", h->cls->name.c_str(), h->object);
  return 1;
}

// Gives the table on top of the stack a metatable with accessor tables and the scope
// metamethods, unless it has one already.
void EnsureScopeMetatable(lua_State* L, const std::string& name) {
  if (lua_getmetatable(L, -1)) {
    lua_getfield(L, -1, kGetters);
    bool ours = lua_istable(L, -1);
    lua_pop(L, 2);
    if (ours)
      return;
  }
  lua_newtable(L);
  lua_newtable(L);
  lua_setfield(L, -2, kGetters);
  lua_newtable(L);
  lua_setfield(L, -2, kSetters);
  lua_pushlstring(L, name.data(), name.size());
  lua_setfield(L, -2, "__scopename");
  lua_pushvalue(L, -1);
  lua_pushcclosure(L, &ScopeIndex, 1);
  lua_setfield(L, -2, "__index");
  lua_pushvalue(L, -1);
  lua_pushcclosure(L, &ScopeNewIndex, 1);
  lua_setfield(L, -2, "__newindex");
  lua_setmetatable(L, -2);
}

struct SectionEntry {
  int section;
  int position;
  BindFunction bind;
};
std::vector<SectionEntry>& Sections() {
  static std::vector<SectionEntry> sections;
  return sections;
}
} // namespace

Scope& Scope::Namespace(const char* key) {
  lua_pushstring(L, key);
  lua_rawget(L, -2);
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setfield(L, -3, key);
  }
  std::string full = Qualified(key);
  EnsureScopeMetatable(L, full);
  detail::AddRow(RowKind::Namespace, Owner(), key);
  child = std::make_unique<Scope>(L, this, full, false);
  return *child;
}

Scope& Scope::End() {
  if (!parent)
    return *this;
  lua_pop(L, 1);
  Scope* up = parent;
  up->child.reset(); // destroys this scope
  return *up;
}

void Scope::SetAccessor(const char* table, const char* key) {
  if (global) {
    // Globals have no accessors: the value itself is stored.
    lua_pop(L, 1);
    return;
  }
  lua_getmetatable(L, -2);
  lua_getfield(L, -1, table);
  lua_pushvalue(L, -3);
  lua_setfield(L, -2, key);
  lua_pop(L, 3);
}

int Scope::GarbageCollect(lua_State* L) {
  Header* h = HeaderAt(L, 1);
  if (h && h->destroy) {
    h->destroy(h->object);
    h->destroy = nullptr;
    h->object = nullptr;
  }
  return 0;
}

void Scope::BeginClass(const char* key, ClassId& cls, lua_CFunction gc) {
  std::string full = Qualified(key);
  cls.name = full;
  // The class table, reused when the class is extended by a later section.
  lua_pushstring(L, key);
  lua_rawget(L, -2);
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setfield(L, -3, key);
  }
  EnsureScopeMetatable(L, full);
  // The instance metatable, keyed in the registry by the class identity.
  if (!PushMetatable(L, cls)) {
    lua_newtable(L);
    for (const char* table : {kGetters, kSetters, kMethods}) {
      lua_newtable(L);
      lua_setfield(L, -2, table);
    }
    lua_pushvalue(L, -1);
    lua_pushcclosure(L, &InstanceIndex, 1);
    lua_setfield(L, -2, "__index");
    lua_pushvalue(L, -1);
    lua_pushcclosure(L, &InstanceNewIndex, 1);
    lua_setfield(L, -2, "__newindex");
    lua_pushcfunction(L, gc);
    lua_setfield(L, -2, "__gc");
    lua_pushcfunction(L, &InstanceToString);
    lua_setfield(L, -2, "__tostring");
    lua_pushlightuserdata(L, &cls);
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
    lua_pushvalue(L, -1);
    cls.cachedRef = luaL_ref(L, LUA_REGISTRYINDEX);
    cls.cachedMetatable = lua_topointer(L, -1);
  }
  lua_pushlstring(L, full.data(), full.size());
  lua_setfield(L, -2, "__classname");
}

Global::Global(lua_State* L) : Scope(L, nullptr, "", true), base(lua_gettop(L)) {
  lua_pushvalue(L, LUA_GLOBALSINDEX);
}

Global::~Global() {
  child.reset();
  lua_settop(L, base);
}

ApiSection::ApiSection(int section, int position, BindFunction bind) {
  Sections().push_back({section, position, bind});
}

namespace {
std::vector<SectionEntry> SortedSections() {
  std::vector<SectionEntry> sorted = Sections();
  std::stable_sort(sorted.begin(), sorted.end(), [](const SectionEntry& a, const SectionEntry& b) {
    return a.section != b.section ? a.section < b.section : a.position < b.position;
  });
  return sorted;
}
} // namespace

std::vector<std::pair<int, int>> ApiOrder() {
  std::vector<std::pair<int, int>> order;
  for (const SectionEntry& entry : SortedSections())
    order.emplace_back(entry.section, entry.position);
  return order;
}

void RegisterApi(lua_State* L, SectionObserver observer, void* context) {
  for (const SectionEntry& entry : SortedSections()) {
    if (Recorder* recorder = ActiveRecorder()) {
      recorder->section = entry.section;
      recorder->position = entry.position;
    }
    int top = lua_gettop(L);
    entry.bind(L);
    lua_settop(L, top);
    if (observer)
      observer(L, entry.section, entry.position, context);
  }
}

int TakeRef(lua_State* L) {
  return luaL_ref(L, LUA_REGISTRYINDEX);
}

} // namespace lb
