// Script API rows of the particle emitters: ParticleEmitter and SimpleEmitter, with an accessor
// for every axis or channel of their vector fields.
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Particles/ParticleComponents.h"

namespace {

// One axis or channel of a vector member, as a number property.
template <class T, class V, V T::*Member, int Index> struct Part {
  static float Get(T* self) { return (self->*Member)[Index]; }
  static void Set(T* self, float value) { (self->*Member)[Index] = value; }
};

template <class T, class V, V T::*Member, int Index>
lb::ClassBuilder<T>& AddPart(lb::ClassBuilder<T>& builder, const char* name) {
  using P = Part<T, V, Member, Index>;
  return builder.Property(name, &P::Get, &P::Set);
}

#define PART(Class, member, index, name)                                                           \
  AddPart<Class, decltype(Class::member), &Class::member, index>(builder, name)

void BindParticleEmitter(lua_State* L) {
  using E = ParticleEmitter;
  lb::Global global(L);
  lb::ClassBuilder<E> builder = global.Class<E>("ParticleEmitter");
  builder
      .Doc("Makes particles from an archetype at its object (component \"ParticleEmitter\"); "
           "each vector member is reached one axis or channel at a time.")
      .Plain()
      .Field("Active", &E::Active)
      .Doc("Whether the emitter makes particles.")
      .Field("LoopAnimation", &E::LoopAnimation)
      .Doc("Stored; the emitter does not use it.")
      .Field("TintAffectEmitters", &E::TintAffectEmitters)
      .Doc("Stored; the emitter does not use it.")
      .Field("RandomDirection", &E::RandomDirection)
      .Doc("Each particle starts at a random rotation instead of `FaceRotation`.")
      .Field("Warmup", &E::Warmup)
      .Doc("Seconds of emission made at once on the first update, each particle aged and "
           "moved as if made that long ago.")
      .Field("AnimationSpeed", &E::AnimationSpeed)
      .Doc("The frame time given to each particle's Sprite.")
      .Field("GeometryMode", &E::GeometryMode)
      .Doc("Stored; the emitter does not use it.")
      .Field("BlendMode", &E::BlendMode)
      .Doc("Handed on to emitters that are themselves particles.")
      .Field("EmitCount", &E::EmitCount)
      .Doc("Stops after this many particles; 0 for no limit.")
      .Field("Objects", &E::Objects)
      .Doc("The archetype each particle is made from (\"Spark\" reads "
           "Archetypes/Spark.archetype); empty makes none.")
      .Field("EmissionRate", &E::EmissionRate)
      .Doc("Particles per second (the stored `EmissionVariance` varies it at each update).")
      .Field("Lifetime", &E::Lifetime)
      .Doc("Seconds a particle lives (0, with no variance: for ever).")
      .Field("RotationRate", &E::RotationRate)
      .Doc("The particles' spin in degrees per second.");
  PART(E, Tint, 0, "TintR").Doc("The red of the particles' tint (`Tint`).");
  PART(E, Tint, 1, "TintG").Doc("The green of the particles' tint.");
  PART(E, Tint, 2, "TintB").Doc("The blue of the particles' tint.");
  PART(E, Tint, 3, "TintA").Doc("The alpha of the particles' tint.");
  PART(E, VelocityScale, 0, "VelocityScaleX").Doc("The stretch in x of a particle by its x speed.");
  PART(E, VelocityScale, 1, "VelocityScaleY").Doc("The stretch in y of a particle by its x speed.");
  PART(E, Scale, 0, "ScaleX").Doc("The particles' width.");
  PART(E, Scale, 1, "ScaleY").Doc("The particles' height.");
  PART(E, EmitterSize, 0, "EmitterSizeX").Doc("The width of the area particles start in.");
  PART(E, EmitterSize, 1, "EmitterSizeY").Doc("The height of that area.");
  PART(E, CenterEmpty, 0, "CenterEmptyX").Doc("The width of the empty middle of that area.");
  PART(E, CenterEmpty, 1, "CenterEmptyY").Doc("The height of the empty middle.");
  PART(E, AddEmitterVelocity, 0, "AddEmitterVelocityX")
      .Doc("The share of the object's RigidBody x velocity added to each particle's.");
  PART(E, AddEmitterVelocity, 1, "AddEmitterVelocityY").Doc("The share of its y velocity added.");
  PART(E, BaseVelocity, 0, "BaseVelocityX").Doc("The particles' starting x velocity.");
  PART(E, BaseVelocity, 1, "BaseVelocityY").Doc("The particles' starting y velocity.");
  builder.Field("FaceRotation", &E::FaceRotation)
      .Doc("The particles' starting rotation in degrees.");
  PART(E, RandomTintRange, 0, "RandomTintRangeR").Doc("The random spread (±) of the red.");
  PART(E, RandomTintRange, 1, "RandomTintRangeG").Doc("The random spread (±) of the green.");
  PART(E, RandomTintRange, 2, "RandomTintRangeB").Doc("The random spread (±) of the blue.");
  PART(E, RandomTintRange, 3, "RandomTintRangeA").Doc("The random spread (±) of the alpha.");
  PART(E, ScaleVariance, 0, "ScaleVarianceX").Doc("The random spread (±) of the width.");
  PART(E, ScaleVariance, 1, "ScaleVarianceY").Doc("The random spread (±) of the height.");
  PART(E, VelocityVariance, 0, "VelocityVarianceX").Doc("The random spread (±) of the x velocity.");
  PART(E, VelocityVariance, 1, "VelocityVarianceY").Doc("The random spread (±) of the y velocity.");
  builder.Equality().End();
}

void BindSimpleEmitter(lua_State* L) {
  using S = SimpleEmitter;
  lb::Global global(L);
  lb::ClassBuilder<S> builder = global.Class<S>("SimpleEmitter");
  builder
      .Doc("Makes bare particles (a sprite that moves and expires) at its object (component "
           "\"SimpleEmitter\").")
      .Plain()
      .Field("SpriteSource", &S::SpriteSource)
      .Doc("The art-list texture of each particle; empty makes none.");
  PART(S, Color, 0, "TintR").Doc("The red of the particles' tint (`Color`).");
  PART(S, Color, 1, "TintG").Doc("The green of the particles' tint.");
  PART(S, Color, 2, "TintB").Doc("The blue of the particles' tint.");
  PART(S, Color, 3, "TintA").Doc("The alpha of the particles' tint.");
  builder.Field("BlendMode", &S::BlendMode)
      .Doc("Stored; the emitter does not use it.")
      .Field("EmissionRate", &S::EmissionRate)
      .Doc("Particles per second.")
      .Field("EmissionVariance", &S::EmissionVariance)
      .Doc("Stored; the emitter does not use it.");
  PART(S, Area, 0, "AreaX")
      .Doc("The width of the area, centred on the object, particles start in.");
  PART(S, Area, 1, "AreaY").Doc("The height of that area.");
  PART(S, Size, 0, "ScaleX").Doc("The particles' width (`Size`).");
  PART(S, Size, 1, "ScaleY").Doc("The particles' height.");
  builder.Field("Lifetime", &S::Lifetime).Doc("Seconds each particle lives.");
  PART(S, BaseVelocity, 0, "BaseVelocityX").Doc("The particles' starting x velocity.");
  PART(S, BaseVelocity, 1, "BaseVelocityY").Doc("The particles' starting y velocity.");
  PART(S, VelocityVariance, 0, "VelocityVarianceX")
      .Doc("The full random spread of the x velocity (± half of it).");
  PART(S, VelocityVariance, 1, "VelocityVarianceY")
      .Doc("The full random spread of the y velocity.");
  builder.Equality().End();
}

#undef PART

lb::ApiSection particleEmitterSection(24, &BindParticleEmitter);
lb::ApiSection simpleEmitterSection(25, &BindSimpleEmitter);

} // namespace
