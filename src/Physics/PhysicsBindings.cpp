// Script API rows of the physics components: rigid bodies and the two collider shapes.
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Physics/RigidBody.h"

namespace {

void BindRigidBody(lua_State* L) {
  lb::Global(L)
      .Class<RigidBody>("RigidBody")
      .Plain()
      .Field("Position", &RigidBody::pos_)
      .Field("Velocity", &RigidBody::vel_)
      .Field("Acceleration", &RigidBody::accel_)
      .Field("Update", &RigidBody::update)
      .Equality()
      .End();
}

void BindCircleCollider(lua_State* L) {
  lb::Global(L)
      .Class<CircleCollider>("CircleCollider")
      .Plain()
      .Field("Position", &CircleCollider::pos_)
      .Field("Radius", &CircleCollider::radius_)
      .Equality()
      .End();
}

void BindBoxCollider(lua_State* L) {
  lb::Global(L)
      .Class<BoxCollider>("BoxCollider")
      .Plain()
      .Field("Center", &BoxCollider::center)
      .Field("Width", &BoxCollider::width)
      .Field("Height", &BoxCollider::height)
      .Equality()
      .End();
}

// The first three component classes of section 15.
lb::ApiSection rigidBodySection(15, 1, &BindRigidBody);
lb::ApiSection circleSection(15, 2, &BindCircleCollider);
lb::ApiSection boxSection(15, 3, &BindBoxCollider);

} // namespace
