// The registration of every stored type, in the fixed order that gives the files their shape.
#include <cstddef>
#include <glm/glm.hpp>
#include <string>

#include "Core/Space.h"
#include "Gameplay/GameplayComponents.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/Serialize.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Physics/RigidBody.h"
#include "Scripting/LuaComponent.h"

// Member offsets of classes with virtual functions: supported by the compilers we build with.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {
template <class Owner, class Member>
void Add(TypeInfo* owner, const char* key, std::size_t offset) {
  (void)sizeof(Owner);
  TypeRegistry::AddMember(owner, key, static_cast<uint32_t>(offset), TypeOf<Member>());
}
#define MEMBER(Owner, info, field, Type) Add<Owner, Type>(info, #field, offsetof(Owner, field))

// The eight appearance members shared by Sprite and Font, in file order.
template <class T> void AddAppearance(TypeInfo* info) {
  MEMBER(T, info, source_, Texture);
  MEMBER(T, info, color_, glm::vec4);
  MEMBER(T, info, visible_, bool);
  MEMBER(T, info, flipx_, bool);
  MEMBER(T, info, flipy_, bool);
  MEMBER(T, info, active_animation_, bool);
  MEMBER(T, info, animate_rate_, float);
  MEMBER(T, info, current_frame_, unsigned);
}
} // namespace

void RegisterAllTypes() {
  static bool done = false;
  if (done)
    return;
  done = true;
  TypeRegistry& r = TypeRegistry::Get();

  r.Register<int>("int");
  r.Register<int*>("int *");
  r.Register<unsigned>("unsigned");
  r.Register<unsigned*>("unsigned *");
  r.Register<char>("char");
  r.Register<char*>("char *");
  r.Register<float>("float");
  r.Register<float*>("float *");
  r.Register<bool>("bool");
  r.Register<double>("double");
  r.Register<double*>("double *");
  r.Register<std::string>("std::string");

  TypeInfo* t = r.Register<Vector2D>("Vector2D");
  MEMBER(Vector2D, t, x_, float);
  MEMBER(Vector2D, t, y_, float);
  MEMBER(Vector2D, t, w_, float);

  t = r.Register<BoxCollider>("BoxCollider");
  MEMBER(BoxCollider, t, center, Vector2D);
  MEMBER(BoxCollider, t, width, float);
  MEMBER(BoxCollider, t, height, float);

  t = r.Register<CircleCollider>("CircleCollider");
  MEMBER(CircleCollider, t, pos_, Vector2D);
  MEMBER(CircleCollider, t, radius_, double);

  t = r.Register<RigidBody>("RigidBody");
  MEMBER(RigidBody, t, pos_, Vector2D);
  MEMBER(RigidBody, t, vel_, Vector2D);
  MEMBER(RigidBody, t, accel_, Vector2D);

  t = r.Register<GameObject>("GameObject");
  MEMBER(GameObject, t, m_Active, bool);
  MEMBER(GameObject, t, m_Self, int);
  MEMBER(GameObject, t, m_ArchetypeName, std::string);
  MEMBER(GameObject, t, m_Name, std::string);

  t = r.Register<LuaComponent>("LuaComponent");
  MEMBER(LuaComponent, t, m_Name, std::string);

  t = r.Register<Space>("Space");
  MEMBER(Space, t, m_Active, bool);

  t = r.Register<Sprite>("Sprite");
  AddAppearance<Sprite>(t);

  t = r.Register<Font>("Font");
  AddAppearance<Font>(t);
  MEMBER(Font, t, text_, std::string);
  MEMBER(Font, t, Length_, unsigned);
  MEMBER(Font, t, align_, int);

  t = r.Register<Texture>("Texture");
  MEMBER(Texture, t, filename_, std::string);
  MEMBER(Texture, t, does_animate_, bool);
  MEMBER(Texture, t, aniwidth_, unsigned);
  MEMBER(Texture, t, frame_count_, unsigned);
  MEMBER(Texture, t, base_fps_, float);

  t = r.Register<Transform>("Transform");
  MEMBER(Transform, t, translation_, Vector2D);
  MEMBER(Transform, t, scale_, Vector2D);
  MEMBER(Transform, t, rotation_, float);
  MEMBER(Transform, t, z_order, int);

  t = r.Register<glm::vec4>("glm::vec4");
  MEMBER(glm::vec4, t, x, float);
  MEMBER(glm::vec4, t, y, float);
  MEMBER(glm::vec4, t, z, float);
  MEMBER(glm::vec4, t, w, float);

  t = r.Register<glm::vec3>("glm::vec3");
  MEMBER(glm::vec3, t, x, float);
  MEMBER(glm::vec3, t, y, float);
  MEMBER(glm::vec3, t, z, float);

  t = r.Register<glm::vec2>("glm::vec2");
  MEMBER(glm::vec2, t, x, float);
  MEMBER(glm::vec2, t, y, float);

  t = r.Register<SimpleEmitter>("SimpleEmitter");
  MEMBER(SimpleEmitter, t, SpriteSource, std::string);
  MEMBER(SimpleEmitter, t, Color, glm::vec4);
  MEMBER(SimpleEmitter, t, BlendMode, int);
  MEMBER(SimpleEmitter, t, EmissionRate, float);
  MEMBER(SimpleEmitter, t, EmissionVariance, float);
  MEMBER(SimpleEmitter, t, Area, glm::vec2);
  MEMBER(SimpleEmitter, t, Size, glm::vec2);
  MEMBER(SimpleEmitter, t, Lifetime, float);
  MEMBER(SimpleEmitter, t, BaseVelocity, glm::vec2);
  MEMBER(SimpleEmitter, t, VelocityVariance, glm::vec2);

  t = r.Register<ParticleEmitter>("ParticleEmitter");
  MEMBER(ParticleEmitter, t, Ellipse, bool);
  MEMBER(ParticleEmitter, t, Active, bool);
  MEMBER(ParticleEmitter, t, RelativeSpace, int);
  MEMBER(ParticleEmitter, t, Warmup, double);
  MEMBER(ParticleEmitter, t, GeometryMode, int);
  MEMBER(ParticleEmitter, t, LoopAnimation, bool);
  MEMBER(ParticleEmitter, t, AnimationSpeed, double);
  MEMBER(ParticleEmitter, t, BlendMode, int);
  MEMBER(ParticleEmitter, t, Tint, glm::vec4);
  MEMBER(ParticleEmitter, t, RandomTintRange, glm::vec4);
  MEMBER(ParticleEmitter, t, TintAffectEmitters, bool);
  MEMBER(ParticleEmitter, t, Objects, std::string);
  MEMBER(ParticleEmitter, t, VelocityScale, glm::vec2);
  MEMBER(ParticleEmitter, t, EmitCount, int);
  MEMBER(ParticleEmitter, t, EmissionRate, float);
  MEMBER(ParticleEmitter, t, EmissionVariance, float);
  MEMBER(ParticleEmitter, t, Scale, glm::vec2);
  MEMBER(ParticleEmitter, t, SquareScaleVariance, float);
  MEMBER(ParticleEmitter, t, ScaleVariance, glm::vec2);
  MEMBER(ParticleEmitter, t, Lifetime, float);
  MEMBER(ParticleEmitter, t, LifetimeVariance, float);
  MEMBER(ParticleEmitter, t, EmitterSize, glm::vec2);
  MEMBER(ParticleEmitter, t, CenterEmpty, glm::vec2);
  MEMBER(ParticleEmitter, t, AddEmitterVelocity, glm::vec2);
  MEMBER(ParticleEmitter, t, BaseVelocity, glm::vec2);
  MEMBER(ParticleEmitter, t, VelocityVariance, glm::vec2);
  MEMBER(ParticleEmitter, t, FaceRotation, float);
  MEMBER(ParticleEmitter, t, RotationRate, float);
  MEMBER(ParticleEmitter, t, RotationRateVariance, float);
  MEMBER(ParticleEmitter, t, RandomDirection, bool);

  r.Register<ParticleTimer>("ParticleTimer");

  t = r.Register<Player>("Player");
  MEMBER(Player, t, Credits, int);
  MEMBER(Player, t, LevelNum, int);
  MEMBER(Player, t, Quarter, int);

  t = r.Register<GameNode>("GameNode");
  MEMBER(GameNode, t, UpID, int);
  MEMBER(GameNode, t, UpLinked, bool);
  MEMBER(GameNode, t, UpLinkParticlesID, int);
  MEMBER(GameNode, t, DownID, int);
  MEMBER(GameNode, t, DownLinked, bool);
  MEMBER(GameNode, t, DownLinkParticlesID, int);
  MEMBER(GameNode, t, LeftID, int);
  MEMBER(GameNode, t, LeftLinked, bool);
  MEMBER(GameNode, t, LeftLinkParticlesID, int);
  MEMBER(GameNode, t, RightID, int);
  MEMBER(GameNode, t, RightLinked, bool);
  MEMBER(GameNode, t, RightLinkParticlesID, int);
  MEMBER(GameNode, t, EndNode, bool);
  MEMBER(GameNode, t, Credits, int);
  MEMBER(GameNode, t, EncryptionLayers, int);
  MEMBER(GameNode, t, KeyType, int);
  MEMBER(GameNode, t, FireWallProtected, bool);
  MEMBER(GameNode, t, FireWallID, int);

  t = r.Register<Patrol>("Patrol");
  MEMBER(Patrol, t, StartID, int);
  MEMBER(Patrol, t, MoveDir, int);

  t = r.Register<Camera>("Camera");
  MEMBER(Camera, t, center_, glm::vec3);
  MEMBER(Camera, t, right_, glm::vec3);
  MEMBER(Camera, t, up_, glm::vec3);
  MEMBER(Camera, t, width_, float);
  MEMBER(Camera, t, height_, float);

  InstallTextHooks();
}
