// The emitters as scripts and level files see them: every scripted name reaches its field, and
// the behaviour choices follow values that come from a file or a script.
#include <functional>
#include <utility>

#include "Binding/Binding.h"
#include "particles/ParticleFixture.h"

namespace {
using Reader = std::function<double()>;
using Names = std::vector<std::pair<const char*, Reader>>;
} // namespace

class Scripted : public ParticleTest {
protected:
  template <class T> void Expose(T* component) {
    lb::PushPtr(lua->L, component);
    lua_setglobal(lua->L, "e");
  }
  std::string Run(const std::string& code) {
    std::string error;
    if (luaL_dostring(lua->L, code.c_str()) != 0)
      error = lua_tostring(lua->L, -1);
    lua_settop(lua->L, 0);
    return error;
  }
  // Writes a distinct number through every name, then reads each back on both sides.
  void CheckNumbers(const Names& names) {
    for (size_t i = 0; i < names.size(); ++i)
      ASSERT_EQ(Run(std::string("e.") + names[i].first + " = " + std::to_string(i + 1)), "");
    for (size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(names[i].second(), static_cast<double>(i + 1)) << names[i].first;
      EXPECT_EQ(
          Run(std::string("assert(e.") + names[i].first + " == " + std::to_string(i + 1) + ")"), "")
          << names[i].first;
    }
  }
};

TEST_F(Scripted, EveryParticleEmitterNameReachesItsField) {
  ParticleEmitter* e = Emitter();
  Expose(e);
  CheckNumbers({{"Warmup", [&] { return e->Warmup; }},
                {"AnimationSpeed", [&] { return e->AnimationSpeed; }},
                {"GeometryMode", [&] { return e->GeometryMode; }},
                {"BlendMode", [&] { return e->BlendMode; }},
                {"EmitCount", [&] { return e->EmitCount; }},
                {"EmissionRate", [&] { return e->EmissionRate; }},
                {"Lifetime", [&] { return e->Lifetime; }},
                {"RotationRate", [&] { return e->RotationRate; }},
                {"TintR", [&] { return e->Tint.r; }},
                {"TintG", [&] { return e->Tint.g; }},
                {"TintB", [&] { return e->Tint.b; }},
                {"TintA", [&] { return e->Tint.a; }},
                {"VelocityScaleX", [&] { return e->VelocityScale.x; }},
                {"VelocityScaleY", [&] { return e->VelocityScale.y; }},
                {"ScaleX", [&] { return e->Scale.x; }},
                {"ScaleY", [&] { return e->Scale.y; }},
                {"EmitterSizeX", [&] { return e->EmitterSize.x; }},
                {"EmitterSizeY", [&] { return e->EmitterSize.y; }},
                {"CenterEmptyX", [&] { return e->CenterEmpty.x; }},
                {"CenterEmptyY", [&] { return e->CenterEmpty.y; }},
                {"AddEmitterVelocityX", [&] { return e->AddEmitterVelocity.x; }},
                {"AddEmitterVelocityY", [&] { return e->AddEmitterVelocity.y; }},
                {"BaseVelocityX", [&] { return e->BaseVelocity.x; }},
                {"BaseVelocityY", [&] { return e->BaseVelocity.y; }},
                {"FaceRotation", [&] { return e->FaceRotation; }},
                {"RandomTintRangeR", [&] { return e->RandomTintRange.r; }},
                {"RandomTintRangeG", [&] { return e->RandomTintRange.g; }},
                {"RandomTintRangeB", [&] { return e->RandomTintRange.b; }},
                {"RandomTintRangeA", [&] { return e->RandomTintRange.a; }},
                {"ScaleVarianceX", [&] { return e->ScaleVariance.x; }},
                {"ScaleVarianceY", [&] { return e->ScaleVariance.y; }},
                {"VelocityVarianceX", [&] { return e->VelocityVariance.x; }},
                {"VelocityVarianceY", [&] { return e->VelocityVariance.y; }}});
  ASSERT_EQ(Run("e.Active = false e.LoopAnimation = true e.TintAffectEmitters = true "
                "e.RandomDirection = true e.Objects = 'Spark'"),
            "");
  EXPECT_FALSE(e->Active);
  EXPECT_TRUE(e->LoopAnimation && e->TintAffectEmitters && e->RandomDirection);
  EXPECT_EQ(e->Objects, "Spark");
  EXPECT_EQ(Run("assert(e.Objects == 'Spark' and e.Active == false)"), "");
}

TEST_F(Scripted, EverySimpleEmitterNameReachesItsField) {
  SimpleEmitter* e = Simple();
  Expose(e);
  CheckNumbers({{"TintR", [&] { return e->Color.r; }},
                {"TintG", [&] { return e->Color.g; }},
                {"TintB", [&] { return e->Color.b; }},
                {"TintA", [&] { return e->Color.a; }},
                {"BlendMode", [&] { return e->BlendMode; }},
                {"EmissionRate", [&] { return e->EmissionRate; }},
                {"EmissionVariance", [&] { return e->EmissionVariance; }},
                {"AreaX", [&] { return e->Area.x; }},
                {"AreaY", [&] { return e->Area.y; }},
                {"ScaleX", [&] { return e->Size.x; }},
                {"ScaleY", [&] { return e->Size.y; }},
                {"Lifetime", [&] { return e->Lifetime; }},
                {"BaseVelocityX", [&] { return e->BaseVelocity.x; }},
                {"BaseVelocityY", [&] { return e->BaseVelocity.y; }},
                {"VelocityVarianceX", [&] { return e->VelocityVariance.x; }},
                {"VelocityVarianceY", [&] { return e->VelocityVariance.y; }}});
  ASSERT_EQ(Run("e.SpriteSource = 'node.png'"), "");
  EXPECT_EQ(e->SpriteSource, "node.png");
}

namespace {
// Distinct values among the particles' readings.
size_t Distinct(const std::vector<GameObject*>& made, float (*read)(GameObject*)) {
  std::vector<float> seen;
  for (GameObject* p : made)
    if (std::find(seen.begin(), seen.end(), read(p)) == seen.end())
      seen.push_back(read(p));
  return seen.size();
}
float VelocityX(GameObject* p) {
  return p->Get<RigidBody>("RigidBody")->vel_.x_;
}
float Life(GameObject* p) {
  return p->Get<ParticleTimer>("ParticleTimer")->remaining;
}
} // namespace

TEST_F(Scripted, AScriptWriteOfAVarianceTakesEffect) {
  ParticleEmitter* e = Emitter();
  e->EmissionRate = 100.0f;
  Expose(e);
  Step(0.5f);
  size_t before = Live().size();
  EXPECT_EQ(Distinct(Live(), &VelocityX), 1u);
  ASSERT_EQ(Run("e.VelocityVarianceX = 2"), "");
  Step(0.5f);
  std::vector<GameObject*> made = Live();
  made.erase(made.begin(), made.begin() + static_cast<long>(before));
  EXPECT_GT(Distinct(made, &VelocityX), 20u);
}

TEST_F(ParticleTest, AnEmitterReadFromALevelBehavesAsItsFileSays) {
  ParticleEmitter* e = Emitter();
  e->Ellipse = true;
  e->EmitterSize = {2.0f, 2.0f};
  e->LifetimeVariance = 0.5f;
  e->EmissionRate = 500.0f;
  ASSERT_TRUE(main->SaveLevel("Node Levels\\Choices.level"));
  main->LoadLevel("Node Levels\\Choices.level");
  ASSERT_EQ(main->liveComponents["ParticleEmitter"].size(), 1u);
  Step(1.0f);
  std::vector<GameObject*> made = Live();
  ASSERT_GT(made.size(), 400u);
  for (GameObject* p : made) {
    const Vector2D& at = Place(p).translation_;
    ASSERT_LE(std::hypot(at.x_, at.y_), 2.0001f) << "an ellipse, not the box";
  }
  EXPECT_GT(Distinct(made, &Life), 100u) << "varied lifetimes";
}

TEST_F(ParticleTest, ParticlesAreNeverWrittenToALevelOrAnArchetype) {
  Emitter();
  Step(0.5f);
  ASSERT_FALSE(Live().empty());
  std::string text = LevelText(*main);
  EXPECT_NE(text.find("\"Emitter\""), std::string::npos);
  EXPECT_EQ(text.find("\"Particle\""), std::string::npos);
  EXPECT_EQ(ArchetypeText(*Live()[0]), "") << "nor as an archetype";
  ASSERT_TRUE(main->SaveLevel("Node Levels\\Saved.level"));
  main->LoadLevel("Node Levels\\Saved.level");
  EXPECT_EQ(main->objects.size(), 1u);
}
