// Script API rows of the physics components: rigid bodies and the two collider shapes.
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Physics/RigidBody.h"

namespace {

void BindRigidBody(lua_State* L) {
  lb::Global(L)
      .Class<RigidBody>("RigidBody")
      .Doc("Moves its object each frame: velocity and acceleration (component \"RigidBody\").")
      .Plain()
      .Field("Position", &RigidBody::pos_)
      .Doc("Stored with the body; the physics step does not use it (it moves the Transform).")
      .Field("Velocity", &RigidBody::vel_)
      .Doc("World units per second added to the Transform's `Translation` each frame.")
      .Field("Acceleration", &RigidBody::accel_)
      .Doc("World units per second² added to `Velocity` each frame.")
      .Field("Update", &RigidBody::update)
      .Doc("A flag kept for scripts; not stored and not read by the engine.")
      .Equality()
      .End();
}

void BindCircleCollider(lua_State* L) {
  lb::Global(L)
      .Class<CircleCollider>("CircleCollider")
      .Doc("A circle shape kept for scripts; the engine tests no collisions (component "
           "\"CircleCollider\").")
      .Plain()
      .Field("Position", &CircleCollider::pos_)
      .Doc("The circle's centre.")
      .Field("Radius", &CircleCollider::radius_)
      .Doc("The circle's radius.")
      .Equality()
      .End();
}

void BindBoxCollider(lua_State* L) {
  lb::Global(L)
      .Class<BoxCollider>("BoxCollider")
      .Doc("A box shape kept for scripts; the engine tests no collisions (component "
           "\"BoxCollider\").")
      .Plain()
      .Field("Center", &BoxCollider::center)
      .Doc("The box's centre.")
      .Field("Width", &BoxCollider::width)
      .Doc("The box's width.")
      .Field("Height", &BoxCollider::height)
      .Doc("The box's height.")
      .Equality()
      .End();
}

// The first three component classes of section 15.
lb::ApiSection rigidBodySection(15, 1, &BindRigidBody);
lb::ApiSection circleSection(15, 2, &BindCircleCollider);
lb::ApiSection boxSection(15, 3, &BindBoxCollider);

} // namespace
