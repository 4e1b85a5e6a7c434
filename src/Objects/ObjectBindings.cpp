// Script API sections of the object model: game objects, vectors and the Transform component.
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Scripting/BindingHelpers.h"
#include "Scripting/LuaComponent.h"

namespace {

// ---- GameObject --------------------------------------------------------------------------------

GameObject* GetParent(const GameObject* object) {
  return object->parent;
}

int GetComponent(lua_State* L, GameObject* object) {
  if (lua_type(L, 2) != LUA_TSTRING) {
    lua_pushnil(L);
    return 1;
  }
  glue::PushComponent(L, object->GetComponent(lua_tostring(L, 2)));
  return 1;
}

int AddComponent(lua_State* L, GameObject* object) {
  if (lua_type(L, 2) != LUA_TSTRING) {
    lua_pushnil(L);
    return 1;
  }
  glue::PushComponent(L, object->AddComponent(lua_tostring(L, 2)));
  return 1;
}

int RemoveComponent(lua_State* L, GameObject* object) {
  if (!glue::StringArgument(L, 2, "GameObject.RemoveComponent"))
    return -1;
  if (!object->RemoveComponent(lua_tostring(L, 2)))
    return glue::RaiseMissingKey(L);
  return 0;
}

int GetLuaComponent(lua_State* L, GameObject* object) {
  if (!glue::StringArgument(L, 2, "GameObject.GetLuaComponent"))
    return -1;
  LuaComponent* component = object->GetLuaComponent(lua_tostring(L, 2));
  if (!component)
    return glue::RaiseMissingKey(L);
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
  glue::PushObjectList(L, object->children);
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
    glue::PushComponent(L, component);
    return 1;
  }
  if (LuaComponent* script = object->GetLuaComponent(key)) {
    lb::PushPtr(L, script);
    return 1;
  }
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

void BindTransform(lua_State* L) {
  lb::Global(L)
      .Class<Transform>("Transform")
      .Plain()
      .Field("Translation", &Transform::translation_)
      .Field("Scale", &Transform::scale_)
      .Field("Rotation", &Transform::rotation_)
      .Field("Z", &Transform::z_order)
      .Equality()
      .End();
}

lb::ApiSection gameObjectSection(12, &BindGameObject);
lb::ApiSection vectorSection(14, &BindVector2D);
// Transform is the fourth of the component classes (section 15), after the physics ones.
lb::ApiSection transformSection(15, 4, &BindTransform);

} // namespace
