// Script API sections of the engine core and object model: game objects, spaces, vectors, the
// transform and physics components, and the engine namespace.
#include <lua.hpp>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"
#include "Scripting/Binding.h"
#include "Scripting/LuaComponent.h"

namespace {

// The message of the standard out-of-range error of a throwing map lookup; scripts see it for
// names an object does not have.
constexpr const char* kMissingKey = "invalid map<K, T> key";

int RaiseMissingKey(lua_State* L) {
  luaL_where(L, 1);
  lua_pushstring(L, kMissingKey);
  lua_concat(L, 2);
  return -1;
}

bool StringArgument(lua_State* L, int idx, const char* function) {
  if (lua_type(L, idx) == LUA_TSTRING || lua_type(L, idx) == LUA_TNUMBER)
    return true;
  lb::detail::PushArgError(L, function, idx - 1, "string", idx);
  return false;
}

void PushComponent(lua_State* L, BaseComponent* component) {
  int top = lua_gettop(L);
  if (component)
    component->PushToLua(L);
  if (lua_gettop(L) == top)
    lua_pushnil(L);
}

// ---- GameObject --------------------------------------------------------------------------------

GameObject* GetParent(const GameObject* object) {
  return object->parent;
}

int GetComponent(lua_State* L, GameObject* object) {
  if (lua_type(L, 2) != LUA_TSTRING) {
    lua_pushnil(L);
    return 1;
  }
  PushComponent(L, object->GetComponent(lua_tostring(L, 2)));
  return 1;
}

int AddComponent(lua_State* L, GameObject* object) {
  if (lua_type(L, 2) != LUA_TSTRING) {
    lua_pushnil(L);
    return 1;
  }
  PushComponent(L, object->AddComponent(lua_tostring(L, 2)));
  return 1;
}

int RemoveComponent(lua_State* L, GameObject* object) {
  if (!StringArgument(L, 2, "GameObject.RemoveComponent"))
    return -1;
  if (!object->RemoveComponent(lua_tostring(L, 2)))
    return RaiseMissingKey(L);
  return 0;
}

int GetLuaComponent(lua_State* L, GameObject* object) {
  if (!StringArgument(L, 2, "GameObject.GetLuaComponent"))
    return -1;
  LuaComponent* component = object->GetLuaComponent(lua_tostring(L, 2));
  if (!component)
    return RaiseMissingKey(L);
  lb::PushPtr(L, component);
  return 1;
}

void AddLuaComponent(GameObject* object, const std::string& name) {
  object->AddLuaComponent(name);
}
void RemoveLuaComponent(GameObject* object, const std::string& name) {
  object->RemoveLuaComponent(name);
}

int GetAllChildren(lua_State* L, GameObject* object) {
  if (object->children.empty()) {
    lua_pushnil(L);
    return 1;
  }
  lua_createtable(L, static_cast<int>(object->children.size()), 0);
  int key = 1;
  for (GameObject* child : object->children) {
    lb::PushPtr(L, child);
    lua_rawseti(L, -2, key++);
  }
  return 1;
}

// Unregistered names: the native component of that type, else the script component of that
// name, else nil.
int ObjectGet(lua_State* L, GameObject* object, const char* key) {
  if (!key) {
    lua_pushnil(L);
    return 1;
  }
  if (BaseComponent* component = object->GetComponent(key)) {
    PushComponent(L, component);
    return 1;
  }
  if (LuaComponent* script = object->GetLuaComponent(key)) {
    lb::PushPtr(L, script);
    return 1;
  }
  lua_pushnil(L);
  return 1;
}

// ---- Space -------------------------------------------------------------------------------------

int GetObjectsByName(lua_State* L, Space* space) {
  if (!StringArgument(L, 2, "Space.GetObjectsByName"))
    return -1;
  std::string wanted = lua_tostring(L, 2);
  int key = 0;
  for (GameObject* object : space->objects) {
    if (!object || object->m_Name != wanted)
      continue;
    if (key == 0)
      lua_createtable(L, 21, 0);
    lb::PushPtr(L, object);
    lua_rawseti(L, -2, ++key);
  }
  if (key == 0)
    lua_pushnil(L);
  return 1;
}

// ---- Vector2D ----------------------------------------------------------------------------------

float GetX(const Vector2D* v) {
  return v->x_;
}
float GetY(const Vector2D* v) {
  return v->y_;
}
void SetX(Vector2D* v, float x) {
  v->x_ = x;
}
void SetY(Vector2D* v, float y) {
  v->y_ = y;
}

// ---- Engine ------------------------------------------------------------------------------------

Engine* TheEngine() {
  return Engine::ms_Singleton;
}
bool GetQuit() {
  return TheEngine() && TheEngine()->quit;
}
void SetQuit(bool quit) {
  if (TheEngine())
    TheEngine()->quit = quit;
}
bool GetPaused() {
  return TheEngine() && TheEngine()->GetPaused();
}
void SetPaused(bool paused) {
  if (TheEngine())
    TheEngine()->SetPaused(paused);
}
Space* GetBufferSpace() {
  return TheEngine() ? TheEngine()->GetBufferSpace() : nullptr;
}
Space* GetHUDSpace() {
  return TheEngine() ? TheEngine()->GetHUDSpace() : nullptr;
}
Space* CreateSpaceByName(const std::string& name) {
  return TheEngine() ? TheEngine()->CreateSpace(name) : nullptr;
}
Space* GetSpaceByName(const std::string& name) {
  return TheEngine() ? TheEngine()->GetSpace(name) : nullptr;
}
Space* CreatePauseSpace() {
  return TheEngine() ? TheEngine()->CreateSpace("Pause") : nullptr;
}
void DestroySpaceByName(const std::string& name) {
  if (TheEngine())
    TheEngine()->DeactivateSpaces(name);
}
void DestroyPauseSpace() {
  DestroySpaceByName("Pause");
}

void BindGameObject(lua_State* L) {
  lb::Global(L)
      .Class<GameObject>("GameObject")
      .Plain()
      .Field("Active", &GameObject::m_Active)
      .Field("IsDead", &GameObject::IsDead)
      .Property("Parent", &GetParent)
      .Field("ArchetypeName", &GameObject::m_ArchetypeName)
      .Field("Name", &GameObject::m_Name)
      .Property("Space", &GameObject::GetSpace)
      .Method("GetComponent", &GetComponent)
      .Method("AddComponent", &AddComponent)
      .Method("RemoveComponent", &RemoveComponent)
      .Method("GetLuaComponent", &GetLuaComponent)
      .Method("AddLuaComponent", &AddLuaComponent)
      .Method("RemoveLuaComponent", &RemoveLuaComponent)
      .Method("Destroy", &GameObject::Destroy)
      .Method("RemoveFromParent", &GameObject::RemoveFromParent)
      .Method("SetParent", &GameObject::SetParent)
      .Equality()
      .Method("GetChildByName", &GameObject::GetChildByName)
      .Method("GetAllChildren", &GetAllChildren)
      .Fallback(&ObjectGet, nullptr)
      .End();
}

void BindSpace(lua_State* L) {
  lb::Global(L)
      .Class<Space>("Space")
      .Plain()
      .Method("ChangeLevel", &Space::ChangeLevel)
      .Method("RestartLevel", &Space::RestartLevel)
      .Property("Active", &Space::GetActive, &Space::SetActive)
      .Field("ID", &Space::ID)
      .Field("Name", &Space::name)
      .Field("LevelName", &Space::LevelName)
      .Method("Destroy", &Space::Destroy)
      .Method("Clear", &Space::Clear)
      .Method("CreateArchetypeInstance", &Space::CreateArchetypeInstance)
      .Method("CreateAtPosition", &Space::CreateAtPosition)
      .Method("CreateEmptyObject", &Space::CreateEmptyObject)
      .Method("GetObjectByName", &Space::GetObjectByName)
      .Method("GetObjectsByName", &GetObjectsByName)
      .Equality()
      .End();
}

void BindVector2D(lua_State* L) {
  lb::Global(L)
      .Class<Vector2D>("Vector2D")
      .Plain()
      .Constructor<float, float, float>()
      .Property("x", &GetX, &SetX)
      .Property("y", &GetY, &SetY)
      .Field("z", &Vector2D::z_)
      .Field("w", &Vector2D::w_)
      .End();
}

void BindComponents(lua_State* L) {
  lb::Global(L)
      .Class<RigidBody>("RigidBody")
      .Plain()
      .Field("Position", &RigidBody::pos_)
      .Field("Velocity", &RigidBody::vel_)
      .Field("Acceleration", &RigidBody::accel_)
      .Field("Update", &RigidBody::update)
      .Equality()
      .End()
      .Class<CircleCollider>("CircleCollider")
      .Plain()
      .Field("Position", &CircleCollider::pos_)
      .Field("Radius", &CircleCollider::radius_)
      .Equality()
      .End()
      .Class<BoxCollider>("BoxCollider")
      .Plain()
      .Field("Center", &BoxCollider::center)
      .Field("Width", &BoxCollider::width)
      .Field("Height", &BoxCollider::height)
      .Equality()
      .End()
      .Class<Transform>("Transform")
      .Plain()
      .Field("Translation", &Transform::translation_)
      .Field("Scale", &Transform::scale_)
      .Field("Rotation", &Transform::rotation_)
      .Field("Z", &Transform::z_order)
      .Equality()
      .End();
}

void BindEngine(lua_State* L) {
  lb::Global(L)
      .Namespace("Engine")
      .Property("Quit", &GetQuit, &SetQuit)
      .Property("Paused", &GetPaused, &SetPaused)
      .Function("GetBufferSpace", &GetBufferSpace)
      .Function("GetHUDSpace", &GetHUDSpace)
      .Function("CreateSpaceByName", &CreateSpaceByName)
      .Function("GetSpaceByName", &GetSpaceByName)
      .Function("CreatePauseSpace", &CreatePauseSpace)
      .Function("DestroySpaceByName", &DestroySpaceByName)
      .Function("DestroyPauseSpace", &DestroyPauseSpace)
      .End();
}

lb::ApiSection gameObjectSection(12, &BindGameObject);
lb::ApiSection spaceSection(13, &BindSpace);
lb::ApiSection vectorSection(14, &BindVector2D);
lb::ApiSection componentSection(15, &BindComponents);
lb::ApiSection engineSection(23, &BindEngine);

} // namespace
