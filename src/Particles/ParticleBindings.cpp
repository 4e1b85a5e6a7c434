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
  builder.Plain()
      .Field("Active", &E::Active)
      .Field("LoopAnimation", &E::LoopAnimation)
      .Field("TintAffectEmitters", &E::TintAffectEmitters)
      .Field("RandomDirection", &E::RandomDirection)
      .Field("Warmup", &E::Warmup)
      .Field("AnimationSpeed", &E::AnimationSpeed)
      .Field("GeometryMode", &E::GeometryMode)
      .Field("BlendMode", &E::BlendMode)
      .Field("EmitCount", &E::EmitCount)
      .Field("Objects", &E::Objects)
      .Field("EmissionRate", &E::EmissionRate)
      .Field("Lifetime", &E::Lifetime)
      .Field("RotationRate", &E::RotationRate);
  PART(E, Tint, 0, "TintR");
  PART(E, Tint, 1, "TintG");
  PART(E, Tint, 2, "TintB");
  PART(E, Tint, 3, "TintA");
  PART(E, VelocityScale, 0, "VelocityScaleX");
  PART(E, VelocityScale, 1, "VelocityScaleY");
  PART(E, Scale, 0, "ScaleX");
  PART(E, Scale, 1, "ScaleY");
  PART(E, EmitterSize, 0, "EmitterSizeX");
  PART(E, EmitterSize, 1, "EmitterSizeY");
  PART(E, CenterEmpty, 0, "CenterEmptyX");
  PART(E, CenterEmpty, 1, "CenterEmptyY");
  PART(E, AddEmitterVelocity, 0, "AddEmitterVelocityX");
  PART(E, AddEmitterVelocity, 1, "AddEmitterVelocityY");
  PART(E, BaseVelocity, 0, "BaseVelocityX");
  PART(E, BaseVelocity, 1, "BaseVelocityY");
  builder.Field("FaceRotation", &E::FaceRotation);
  PART(E, RandomTintRange, 0, "RandomTintRangeR");
  PART(E, RandomTintRange, 1, "RandomTintRangeG");
  PART(E, RandomTintRange, 2, "RandomTintRangeB");
  PART(E, RandomTintRange, 3, "RandomTintRangeA");
  PART(E, ScaleVariance, 0, "ScaleVarianceX");
  PART(E, ScaleVariance, 1, "ScaleVarianceY");
  PART(E, VelocityVariance, 0, "VelocityVarianceX");
  PART(E, VelocityVariance, 1, "VelocityVarianceY");
  builder.Equality().End();
}

void BindSimpleEmitter(lua_State* L) {
  using S = SimpleEmitter;
  lb::Global global(L);
  lb::ClassBuilder<S> builder = global.Class<S>("SimpleEmitter");
  builder.Plain().Field("SpriteSource", &S::SpriteSource);
  PART(S, Color, 0, "TintR");
  PART(S, Color, 1, "TintG");
  PART(S, Color, 2, "TintB");
  PART(S, Color, 3, "TintA");
  builder.Field("BlendMode", &S::BlendMode)
      .Field("EmissionRate", &S::EmissionRate)
      .Field("EmissionVariance", &S::EmissionVariance);
  PART(S, Area, 0, "AreaX");
  PART(S, Area, 1, "AreaY");
  PART(S, Size, 0, "ScaleX");
  PART(S, Size, 1, "ScaleY");
  builder.Field("Lifetime", &S::Lifetime);
  PART(S, BaseVelocity, 0, "BaseVelocityX");
  PART(S, BaseVelocity, 1, "BaseVelocityY");
  PART(S, VelocityVariance, 0, "VelocityVarianceX");
  PART(S, VelocityVariance, 1, "VelocityVarianceY");
  builder.Equality().End();
}

#undef PART

lb::ApiSection particleEmitterSection(24, &BindParticleEmitter);
lb::ApiSection simpleEmitterSection(25, &BindSimpleEmitter);

} // namespace
