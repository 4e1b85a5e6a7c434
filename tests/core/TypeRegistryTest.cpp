// The registered types: names, order, member tables (the file vocabulary) and value operations.
#include <algorithm>
#include <cstring>
#include <vector>

#include "Meta/TypeRegistry.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"
#include "core/CoreFixtures.h"

namespace {
std::vector<std::string> MemberNames(const char* type) {
  RegisterAllTypes();
  std::vector<std::string> names;
  if (TypeInfo* info = TypeRegistry::Get().Lookup(type))
    for (const MemberInfo& m : info->members)
      names.push_back(m.name);
  return names;
}
using Names = std::vector<std::string>;
} // namespace

TEST(TypeRegistry, ThirtyThreeTypesInRegistrationOrder) {
  RegisterAllTypes();
  RegisterAllTypes(); // once only
  Names expected = {
      "int",       "int *",         "unsigned",        "unsigned *",    "char",
      "char *",    "float",         "float *",         "bool",          "double",
      "double *",  "std::string",   "Vector2D",        "BoxCollider",   "CircleCollider",
      "RigidBody", "GameObject",    "LuaComponent",    "Space",         "Sprite",
      "Font",      "Texture",       "Transform",       "glm::vec4",     "glm::vec3",
      "glm::vec2", "SimpleEmitter", "ParticleEmitter", "ParticleTimer", "Player",
      "GameNode",  "Patrol",        "Camera"};
  EXPECT_EQ(TypeRegistry::Get().RegistrationOrder(), expected);
  EXPECT_EQ(TypeRegistry::Get().TypeCount(), 33u);
}

TEST(TypeRegistry, ComponentNameList) {
  RegisterAllTypes();
  EXPECT_EQ(TypeRegistry::Get().ComponentNames(),
            (Names{"RigidBody", "Sprite", "Font", "Transform", "SimpleEmitter", "ParticleEmitter",
                   "Player", "GameNode", "Patrol", "Camera"}));
}

TEST(TypeRegistry, NamesLoseTheirBlanksButLookupUsesTheRegisteredText) {
  RegisterAllTypes();
  TypeRegistry& r = TypeRegistry::Get();
  ASSERT_NE(r.Lookup("int *"), nullptr);
  EXPECT_EQ(r.Lookup("int *")->name, "int*");
  EXPECT_EQ(r.Lookup("int*"), nullptr);
  EXPECT_EQ(r.Lookup("std::string")->name, "std::string");
  EXPECT_EQ(r.Lookup("Components"), nullptr);
  EXPECT_EQ(r.Lookup(""), nullptr);
  EXPECT_EQ(r.Lookup("float"), TypeOf<float>());
}

TEST(TypeRegistry, PrimitiveFlagSizesAndComponentKinds) {
  RegisterAllTypes();
  TypeRegistry& r = TypeRegistry::Get();
  for (const char* name :
       {"int", "int *", "unsigned", "char", "float", "bool", "double", "double *", "std::string"})
    EXPECT_TRUE(r.Lookup(name)->primitive) << name;
  for (const char* name : {"Vector2D", "GameObject", "Space", "Texture", "Transform", "glm::vec3",
                           "ParticleTimer", "LuaComponent"})
    EXPECT_FALSE(r.Lookup(name)->primitive) << name;
  EXPECT_EQ(r.Lookup("int")->size, 4u);
  EXPECT_EQ(r.Lookup("double")->size, 8u);
  EXPECT_EQ(r.Lookup("Vector2D")->size, 16u);
  EXPECT_EQ(r.Lookup("Transform")->size, sizeof(Transform));
  EXPECT_TRUE(r.Lookup("BoxCollider")->isComponent);
  EXPECT_TRUE(r.Lookup("ParticleTimer")->isComponent);
  EXPECT_FALSE(r.Lookup("LuaComponent")->isComponent);
  EXPECT_FALSE(r.Lookup("GameObject")->isComponent);
}

TEST(TypeRegistry, MemberTablesInFileOrder) {
  EXPECT_EQ(MemberNames("GameObject"), (Names{"m_Active", "m_Self", "m_ArchetypeName", "m_Name"}));
  EXPECT_EQ(MemberNames("Vector2D"), (Names{"x_", "y_", "w_"}));
  EXPECT_EQ(MemberNames("BoxCollider"), (Names{"center", "width", "height"}));
  EXPECT_EQ(MemberNames("CircleCollider"), (Names{"pos_", "radius_"}));
  EXPECT_EQ(MemberNames("RigidBody"), (Names{"pos_", "vel_", "accel_"}));
  EXPECT_EQ(MemberNames("LuaComponent"), (Names{"m_Name"}));
  EXPECT_EQ(MemberNames("Space"), (Names{"m_Active"}));
  Names appearance = {"source_",           "color_",        "visible_",      "flipx_", "flipy_",
                      "active_animation_", "animate_rate_", "current_frame_"};
  EXPECT_EQ(MemberNames("Sprite"), appearance);
  Names font = appearance;
  font.insert(font.end(), {"text_", "Length_", "align_"});
  EXPECT_EQ(MemberNames("Font"), font);
  EXPECT_EQ(MemberNames("Texture"),
            (Names{"filename_", "does_animate_", "aniwidth_", "frame_count_", "base_fps_"}));
  EXPECT_EQ(MemberNames("Transform"), (Names{"translation_", "scale_", "rotation_", "z_order"}));
  EXPECT_EQ(MemberNames("glm::vec4"), (Names{"x", "y", "z", "w"}));
  EXPECT_EQ(MemberNames("glm::vec3"), (Names{"x", "y", "z"}));
  EXPECT_EQ(MemberNames("glm::vec2"), (Names{"x", "y"}));
  EXPECT_EQ(MemberNames("SimpleEmitter"),
            (Names{"SpriteSource", "Color", "BlendMode", "EmissionRate", "EmissionVariance", "Area",
                   "Size", "Lifetime", "BaseVelocity", "VelocityVariance"}));
  EXPECT_EQ(MemberNames("ParticleEmitter"), (Names{"Ellipse",
                                                   "Active",
                                                   "RelativeSpace",
                                                   "Warmup",
                                                   "GeometryMode",
                                                   "LoopAnimation",
                                                   "AnimationSpeed",
                                                   "BlendMode",
                                                   "Tint",
                                                   "RandomTintRange",
                                                   "TintAffectEmitters",
                                                   "Objects",
                                                   "VelocityScale",
                                                   "EmitCount",
                                                   "EmissionRate",
                                                   "EmissionVariance",
                                                   "Scale",
                                                   "SquareScaleVariance",
                                                   "ScaleVariance",
                                                   "Lifetime",
                                                   "LifetimeVariance",
                                                   "EmitterSize",
                                                   "CenterEmpty",
                                                   "AddEmitterVelocity",
                                                   "BaseVelocity",
                                                   "VelocityVariance",
                                                   "FaceRotation",
                                                   "RotationRate",
                                                   "RotationRateVariance",
                                                   "RandomDirection"}));
  EXPECT_TRUE(MemberNames("ParticleTimer").empty());
  EXPECT_EQ(MemberNames("Player"), (Names{"Credits", "LevelNum", "Quarter"}));
  EXPECT_EQ(MemberNames("GameNode"),
            (Names{"UpID", "UpLinked", "UpLinkParticlesID", "DownID", "DownLinked",
                   "DownLinkParticlesID", "LeftID", "LeftLinked", "LeftLinkParticlesID", "RightID",
                   "RightLinked", "RightLinkParticlesID", "EndNode", "Credits", "EncryptionLayers",
                   "KeyType", "FireWallProtected", "FireWallID"}));
  EXPECT_EQ(MemberNames("Patrol"), (Names{"StartID", "MoveDir"}));
  EXPECT_EQ(MemberNames("Camera"), (Names{"center_", "right_", "up_", "width_", "height_"}));
}

TEST(TypeRegistry, MemberTypesAndOffsetsReachTheFields) {
  RegisterAllTypes();
  TypeRegistry& r = TypeRegistry::Get();
  TypeInfo* transform = r.Lookup("Transform");
  const MemberInfo* z = transform->FindMember("z_order");
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z->type, r.Lookup("int"));
  EXPECT_EQ(transform->FindMember("translation_")->type, r.Lookup("Vector2D"));
  EXPECT_EQ(transform->FindMember("nothing"), nullptr);
  EXPECT_EQ(r.Lookup("CircleCollider")->FindMember("radius_")->type, r.Lookup("double"));

  Transform t;
  t.z_order = 42;
  t.scale_.y_ = 3.5f;
  auto* base = reinterpret_cast<char*>(&t);
  EXPECT_EQ(*reinterpret_cast<int*>(base + z->offset), 42);
  const MemberInfo* scale = transform->FindMember("scale_");
  const MemberInfo* y = scale->type->FindMember("y_");
  EXPECT_EQ(*reinterpret_cast<float*>(base + scale->offset + y->offset), 3.5f);
}

TEST(TypeRegistry, ValueOperationsWorkThroughTheDescriptor) {
  RegisterAllTypes();
  TypeInfo* info = TypeRegistry::Get().Lookup("RigidBody");
  auto* body = static_cast<RigidBody*>(info->New());
  body->vel_ = {1, 2, 3};
  void* copy = nullptr;
  info->NewCopy(&copy, body);
  EXPECT_EQ(static_cast<RigidBody*>(copy)->vel_, Vector2D(1, 2, 3));
  RigidBody target;
  info->Copy(&target, body);
  EXPECT_EQ(target.vel_, Vector2D(1, 2, 3));
  info->Delete(copy);
  // Deleting through the base must run the right destructor (ASan would see a mismatch).
  info->Delete(body);

  TypeInfo* text = TypeRegistry::Get().Lookup("std::string");
  alignas(std::string) unsigned char storage[sizeof(std::string)];
  text->PlacementNew(storage);
  std::string source = "a long enough string to live on the heap";
  text->Copy(storage, &source);
  EXPECT_EQ(*reinterpret_cast<std::string*>(storage), source);
  text->PlacementDelete(storage);
}

TEST(TypeRegistry, HooksFollowTheTable) {
  RegisterAllTypes();
  TypeRegistry& r = TypeRegistry::Get();
  for (const char* name : {"int", "unsigned", "char", "float", "bool", "double", "std::string",
                           "GameObject", "Space"}) {
    EXPECT_NE(r.Lookup(name)->serialize, nullptr) << name;
    EXPECT_NE(r.Lookup(name)->deserialize, nullptr) << name;
  }
  for (const char* name : {"Sprite", "Font", "LuaComponent", "ParticleEmitter"}) {
    EXPECT_EQ(r.Lookup(name)->serialize, nullptr) << name;
    EXPECT_NE(r.Lookup(name)->deserialize, nullptr) << name;
  }
  for (const char* name : {"int *", "Vector2D", "Transform", "Texture", "Camera", "glm::vec2"}) {
    EXPECT_EQ(r.Lookup(name)->serialize, nullptr) << name;
    EXPECT_EQ(r.Lookup(name)->deserialize, nullptr) << name;
  }
}

TEST(TypeRegistry, EveryDescriptorIsOnTheChain) {
  RegisterAllTypes();
  std::vector<const TypeInfo*> chain;
  for (const TypeInfo* info = TypeChainHead(); info; info = info->next)
    chain.push_back(info);
  for (const std::string& name : TypeRegistry::Get().RegistrationOrder())
    EXPECT_NE(std::find(chain.begin(), chain.end(), TypeRegistry::Get().Lookup(name)), chain.end())
        << name;
}
