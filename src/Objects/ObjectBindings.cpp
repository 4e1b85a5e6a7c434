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
      .Doc("An object of a space: a name, native components by type name, script components "
           "by script name, a parent and children.")
      .Plain()
      .Field("Active", &GameObject::m_Active)
      .Doc("The object's active flag.")
      .Field("IsDead", &GameObject::IsDead)
      .Doc("Set by `Destroy`: the object is removed at the end of the frame.")
      .Property("Parent", &GetParent)
      .Doc("The parent object, nil for a top-level one.")
      .Field("ArchetypeName", &GameObject::m_ArchetypeName)
      .Doc("The archetype the object was made from (\"\" if none).")
      .Field("Name", &GameObject::m_Name)
      .Doc("The object's name, as `Space.GetObjectByName` finds it.")
      .Property("Space", &GameObject::GetSpace)
      .Doc("The space the object lives in, nil if none.")
      .Method("GetComponent", &GetComponent)
      .Doc("The native component of that type name (\"Transform\", \"Sprite\", ...) as its "
           "own class; nil if the object has none.")
      .Signature({"string"}, "component")
      .Method("AddComponent", &AddComponent)
      .Doc("Adds a new native component of that type name and returns it (the existing one if "
           "the object has one already; nil for an unknown type).")
      .Signature({"string"}, "component")
      .Method("RemoveComponent", &RemoveComponent)
      .Doc("Removes the native component of that type name; raises an error if there is none.")
      .Signature({"string"}, "none")
      .Method("GetLuaComponent", &GetLuaComponent)
      .Doc("The script component of that script name; raises an error if there is none.")
      .Signature({"string"}, "LuaComponent")
      .Method("AddLuaComponent", &AddLuaComponent)
      .Doc("Unless the object has one already, adds a script component and loads and "
           "initialises \"Scripts/\" + name + \".lua\".")
      .Method("RemoveLuaComponent", &RemoveLuaComponent)
      .Doc("Calls that script component's `Shutdown`, then removes it.")
      .Method("Destroy", &GameObject::Destroy)
      .Doc("Marks the object and its children dead; they are removed at the end of the frame.")
      .Method("RemoveFromParent", &GameObject::RemoveFromParent)
      .Doc("Detaches the object from its parent; false if it had none.")
      .Method("SetParent", &GameObject::SetParent)
      .Doc("Detaches from the old parent and attaches to the new one; false for nil (which "
           "only detaches), the object itself or one of its descendants.")
      .Equality()
      .Method("GetChildByName", &GameObject::GetChildByName)
      .Doc("The first child of that name, nil if none.")
      .Method("GetAllChildren", &GetAllChildren)
      .Doc("An array (from 1) of the children; nil when there are none.")
      .Signature({}, "table")
      .Fallback(&ObjectGet, nullptr)
      .Doc("`object.Transform`, `object.PlayerScript`, ...: the native component of that type "
           "name, else the script component of that name, else nil.")
      .Signature({}, "component")
      .End();
}

void BindVector2D(lua_State* L) {
  lb::Global(L)
      .Class<Vector2D>("Vector2D")
      .Doc("A 2D vector value (positions, scales, velocities), handed to scripts as a copy.")
      .Plain()
      .Constructor<float, float, float>()
      .Doc("Vector2D(x, y, w): `w` is 1 for a position, 0 for a direction or scale; `z` "
           "starts at 0.")
      .Property("x", &GetX, &SetX)
      .Doc("The x component.")
      .Property("y", &GetY, &SetY)
      .Doc("The y component.")
      .Field("z", &Vector2D::z_)
      .Doc("The fourth component, not stored in files.")
      .Field("w", &Vector2D::w_)
      .Doc("The homogeneous component (stored in files as `w_`).")
      .End();
}

void BindTransform(lua_State* L) {
  lb::Global(L)
      .Class<Transform>("Transform")
      .Doc("Where an object is drawn: position, size, rotation and draw order.")
      .Plain()
      .Field("Translation", &Transform::translation_)
      .Doc("The position in world units, relative to the parent's Transform if it has a parent "
           "(a copy: assign a whole vector to move the object).")
      .Field("Scale", &Transform::scale_)
      .Doc("The size in world units (relative to the parent's).")
      .Field("Rotation", &Transform::rotation_)
      .Doc("The rotation in radians.")
      .Field("Z", &Transform::z_order)
      .Doc("The draw layer 0..9: higher layers are drawn over lower ones; outside 0..9 the "
           "object is not drawn.")
      .Equality()
      .End();
}

lb::ApiSection gameObjectSection(12, &BindGameObject);
lb::ApiSection vectorSection(14, &BindVector2D);
// Transform is the fourth of the component classes (section 15), after the physics ones.
lb::ApiSection transformSection(15, 4, &BindTransform);

} // namespace
