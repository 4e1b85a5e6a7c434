// Levels and archetypes written to disk and read back: objects, relations, ids and values.
#include <filesystem>
#include <functional>

#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Meta/Serialize.h"
#include "Meta/TextWriter.h"
#include "Objects/Transform.h"
#include "Scripting/LuaComponent.h"
#include "meta/MetaFixture.h"

namespace {
// Gives every stored member of a value a distinct, non-default value that prints exactly with
// six decimals and survives the components' own clean-up after loading.
void Fill(void* value, const TypeInfo* info, int& seed) {
  for (const MemberInfo& m : info->members) {
    char* at = static_cast<char*>(value) + m.offset;
    const std::string& type = m.type->name;
    ++seed;
    if (type == "int")
      *reinterpret_cast<int*>(at) = seed * 7 - 40;
    else if (type == "unsigned")
      *reinterpret_cast<unsigned*>(at) = static_cast<unsigned>(seed % 3);
    else if (type == "float")
      *reinterpret_cast<float*>(at) = static_cast<float>(seed % 8) / 8.0f;
    else if (type == "double")
      *reinterpret_cast<double*>(at) = static_cast<double>(seed) / 4.0;
    else if (type == "bool")
      *reinterpret_cast<bool*>(at) = !*reinterpret_cast<bool*>(at);
    else if (type == "std::string")
      *reinterpret_cast<std::string*>(at) = "text \"" + std::to_string(seed) + "\" here";
    else
      Fill(at, m.type, seed);
  }
}

// Compares every stored member; `path` names the member in failure messages.
void ExpectSame(const void* a, const void* b, const TypeInfo* info, const std::string& path) {
  for (const MemberInfo& m : info->members) {
    const char* x = static_cast<const char*>(a) + m.offset;
    const char* y = static_cast<const char*>(b) + m.offset;
    const std::string& type = m.type->name;
    std::string where = path + "." + m.name;
    if (type == "int")
      EXPECT_EQ(*reinterpret_cast<const int*>(x), *reinterpret_cast<const int*>(y)) << where;
    else if (type == "unsigned")
      EXPECT_EQ(*reinterpret_cast<const unsigned*>(x), *reinterpret_cast<const unsigned*>(y))
          << where;
    else if (type == "float")
      EXPECT_EQ(*reinterpret_cast<const float*>(x), *reinterpret_cast<const float*>(y)) << where;
    else if (type == "double")
      EXPECT_EQ(*reinterpret_cast<const double*>(x), *reinterpret_cast<const double*>(y)) << where;
    else if (type == "bool")
      EXPECT_EQ(*reinterpret_cast<const bool*>(x), *reinterpret_cast<const bool*>(y)) << where;
    else if (type == "std::string")
      EXPECT_EQ(*reinterpret_cast<const std::string*>(x), *reinterpret_cast<const std::string*>(y))
          << where;
    else
      ExpectSame(x, y, m.type, where);
  }
}

const char* const kAllComponents[] = {
    "Transform",   "Camera",         "Sprite",          "Font",          "RigidBody",
    "BoxCollider", "CircleCollider", "ParticleEmitter", "SimpleEmitter", "ParticleTimer",
    "GameNode",    "Patrol",         "Player"};

void GiveAllComponents(GameObject* object, int& seed) {
  for (const char* name : kAllComponents) {
    BaseComponent* c = object->AddComponent(name);
    ASSERT_NE(c, nullptr) << name;
    Fill(c, TypeRegistry::Get().Lookup(name), seed);
  }
  // The current frame must lie inside the strip, or loading resets it.
  auto* sprite = object->Get<Sprite>("Sprite");
  sprite->source_.frame_count_ = 4;
  sprite->current_frame_ = 2;
  auto* font = object->Get<Font>("Font");
  font->source_.frame_count_ = 4;
  font->current_frame_ = 1;
  object->luaComponents.emplace("Mover", new LuaComponent("Mover", object));
  object->luaComponents.emplace("Blinker", new LuaComponent("Blinker", object));
}

std::string NamesOf(const std::vector<GameObject*>& list) {
  std::string out;
  for (const GameObject* o : list)
    out += (o ? o->m_Name : std::string("null")) + " ";
  return out;
}
} // namespace

class RoundTrip : public MetaTest {
protected:
  void SetUp() override {
    MetaTest::SetUp();
    std::filesystem::create_directories("Node Levels");
    std::filesystem::create_directories("Archetypes");
  }

  // Built in the order in which loading creates objects, so that ids come out the same.
  void Build() {
    int seed = 0;
    GameObject* a = Make(space, "A");
    GameObject* a1 = Make(space, "A1");
    GameObject* a11 = Make(space, "A11");
    GameObject* a2 = Make(space, "A2");
    a1->SetParent(a);
    a11->SetParent(a1);
    a2->SetParent(a);
    a->m_ArchetypeName = "Crate";
    static_cast<Transform*>(a11->AddComponent("Transform"))->z_order = 4;
    a2->AddComponent("Sprite");
    Make(space, "B")->AddComponent("Player");
    GiveAllComponents(Make(space, "F"), seed);
    Make(space, "Inactive")->m_Active = false;
    GameObject* dead = Make(space, "Dead");
    Make(space, "DeadChild")->SetParent(dead);
    dead->Destroy();
    GameObject* particle = Make(space, "Particle");
    particle->AddComponent("Transform");
    space->m_Active = true;
  }
};

TEST_F(RoundTrip, LevelKeepsObjectsRelationsAndValues) {
  Build();
  ASSERT_TRUE(space->SaveLevel("Node Levels\\round.level"));
  const std::string first = dir.Read("Node Levels/round.level");

  other->LoadLevel("Node Levels\\round.level");
  EXPECT_EQ(CheckFailureCount(), 0);
  EXPECT_EQ(other->LevelName, "round.level");
  ASSERT_EQ(NamesOf(other->objects), "A A1 A11 A2 B F ");

  for (GameObject* loaded : other->objects) {
    GameObject* original = space->GetObjectByName(loaded->m_Name);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(loaded->m_Self, original->m_Self) << loaded->m_Name;
    EXPECT_EQ(loaded->spaceIndex, other->index);
    EXPECT_EQ(loaded->m_ArchetypeName, original->m_ArchetypeName);
    EXPECT_EQ(loaded->m_Active, original->m_Active);
    EXPECT_EQ(NamesOf(loaded->children), NamesOf(original->children)) << loaded->m_Name;
    EXPECT_EQ(loaded->parent ? loaded->parent->m_Name : "",
              original->parent ? original->parent->m_Name : "");
    ASSERT_EQ(loaded->components.size(), original->components.size()) << loaded->m_Name;
    for (auto& [typeName, component] : loaded->components) {
      ASSERT_TRUE(original->components.count(typeName)) << typeName;
      EXPECT_EQ(component->ownerId, loaded->m_Self);
      EXPECT_EQ(component->spaceIndex, other->index);
      EXPECT_EQ(component->GetOwner(), loaded) << typeName;
      ExpectSame(component, original->components[typeName], TypeRegistry::Get().Lookup(typeName),
                 loaded->m_Name + "." + typeName);
      const auto& live = other->liveComponents[typeName];
      EXPECT_NE(std::find(live.begin(), live.end(), component), live.end()) << typeName;
    }
    ASSERT_EQ(loaded->luaComponents.size(), original->luaComponents.size());
    for (auto& [name, script] : loaded->luaComponents) {
      EXPECT_EQ(script->m_Name, name);
      EXPECT_EQ(script->ownerId, loaded->m_Self);
      EXPECT_EQ(script->spaceIndex, other->index);
    }
  }

  // Saved again: the same text, less the blanks that the four objects left out of the file
  // (inactive, dead, the dead one's child, "Particle") had left before the end of "Objects".
  ASSERT_TRUE(other->SaveLevel("Node Levels\\again.level"));
  std::string expected = first;
  const std::string tail = std::string(16, ' ') + "  }\r\n}\r\n";
  ASSERT_TRUE(expected.ends_with(tail));
  expected.replace(expected.size() - tail.size(), tail.size(), "  }\r\n}\r\n");
  EXPECT_EQ(dir.Read("Node Levels/again.level"), expected);
}

TEST_F(RoundTrip, ChildrenGetFreshIdsThatNeverClashWithStoredOnes) {
  GameObject* a = Make(space, "A"); // 0
  GameObject* b = Make(space, "B"); // 1
  GameObject* c = Make(space, "C"); // 2, child of A: read before B, so it is issued 1 first
  c->SetParent(a);
  c->AddComponent("Transform");
  Make(space, "D"); // 3
  (void)b;
  ASSERT_TRUE(space->SaveLevel("Node Levels\\ids.level"));

  other->LoadLevel("Node Levels\\ids.level");
  ASSERT_EQ(NamesOf(other->objects), "A C B D ");
  EXPECT_EQ(other->GetObjectByName("A")->m_Self, 0);
  EXPECT_EQ(other->GetObjectByName("B")->m_Self, 1);
  EXPECT_EQ(other->GetObjectByName("D")->m_Self, 3);
  GameObject* child = other->GetObjectByName("C");
  EXPECT_GT(child->m_Self, 3);
  EXPECT_EQ(other->GetObjectById(1)->m_Name, "B");
  EXPECT_EQ(child->Get<Transform>("Transform")->GetOwner(), child);
  EXPECT_EQ(other->CreateEmptyObject()->m_Self, child->m_Self + 1);
}

TEST_F(RoundTrip, IdCounterIsRaisedPastStoredIds) {
  for (int id : {5, 17, 40}) {
    GameObject* o = Make(space, "N" + std::to_string(id));
    o->m_Self = id;
  }
  ASSERT_TRUE(space->SaveLevel("Node Levels\\three.level"));
  other->LoadLevel("Node Levels\\three.level");
  ASSERT_EQ(other->objects.size(), 3u);
  EXPECT_EQ(other->objects[0]->m_Self, 5);
  EXPECT_EQ(other->objects[2]->m_Self, 40);
  EXPECT_EQ(other->CreateEmptyObject()->m_Self, 41);
}

// Clearing a level keeps its components' map entries for the next components; the reader must
// take them, or every load of a level leaves its entries behind for good.
TEST_F(RoundTrip, LoadingALevelAgainAndAgainKeepsNoMoreEntries) {
  for (int k = 0; k < 20; ++k) {
    GameObject* o = Make(space, "N" + std::to_string(k));
    o->AddComponent("Transform");
    o->AddComponent("Sprite");
    Make(space, "Child")->SetParent(o);
    o->children.back()->AddComponent("Transform");
  }
  ASSERT_TRUE(space->SaveLevel("Node Levels\twenty.level"));
  other->LoadLevel("Node Levels\twenty.level");
  other->LoadLevel("Node Levels\twenty.level");
  size_t kept = other->KeptFilings();
  for (int round = 0; round < 3; ++round) {
    other->LoadLevel("Node Levels\twenty.level");
    ASSERT_EQ(other->objects.size(), 40u);
    EXPECT_EQ(other->KeptFilings(), kept) << "after load " << round + 3;
  }
  // A second component of one type is refused, and its entry is kept again, not lost.
  const std::string transform = "        Component Transform\n        {\n"
                                "          z_order int 3\n        }\n";
  dir.Write("Node Levels/twice.level",
            "Space\n{\n  m_Active bool true\n  Objects\n  {\n    GameObject\n    {\n"
            "      m_Active bool true\n      m_Self int 1\n      m_ArchetypeName std::string \"\"\n"
            "      m_Name std::string \"A\"\n      Children\n      {\n      }\n"
            "      Components\n      {\n" +
                transform + transform + "      }\n    }\n  }\n}\n");
  testing::internal::CaptureStderr();
  other->LoadLevel("Node Levels\\twice.level");
  other->LoadLevel("Node Levels\\twice.level");
  kept = other->KeptFilings();
  other->LoadLevel("Node Levels\\twice.level");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("second Transform"), std::string::npos) << err;
  ASSERT_EQ(other->objects.size(), 1u);
  EXPECT_EQ(other->KeptFilings(), kept);
  EXPECT_EQ(other->objects[0]->components.size(), 1u);
}

TEST_F(RoundTrip, RepeatedSavesReachAFixedText) {
  // Built out of load order: the first reload renumbers the child, after that nothing changes.
  GameObject* a = Make(space, "A");
  Make(space, "B");
  Make(space, "C")->SetParent(a);
  ASSERT_TRUE(space->SaveLevel("Node Levels\\x.level"));
  other->LoadLevel("Node Levels\\x.level");
  ASSERT_TRUE(other->SaveLevel("Node Levels\\x.level"));
  std::string second = dir.Read("Node Levels/x.level");
  space->LoadLevel("Node Levels\\x.level");
  ASSERT_TRUE(space->SaveLevel("Node Levels\\x.level"));
  EXPECT_EQ(dir.Read("Node Levels/x.level"), second);
}

TEST_F(RoundTrip, EmptyLevelLoadsAsAnEmptySpace) {
  Make(space, "Gone");
  dir.Write("Node Levels/empty.level",
            "Space\r\n{\r\n  m_Active bool true\r\n  Objects\r\n  {\r\n  }\r\n}\r\n");
  space->LoadLevel("Node Levels\\empty.level");
  EXPECT_TRUE(space->objects.empty());
  EXPECT_EQ(space->LevelName, "empty.level");
  EXPECT_EQ(CheckFailureCount(), 0);
  EXPECT_EQ(space->CreateEmptyObject()->m_Self, 0);
}

TEST_F(RoundTrip, LevelNameDropsTheFolder) {
  Make(other, "Pause text");
  ASSERT_TRUE(other->SaveLevel("Node Levels\\Paused.level"));
  space->LoadLevel("Node Levels\\Paused.level");
  EXPECT_EQ(space->LevelName, "Paused.level");
  EXPECT_EQ(space->objects.size(), 1u);
}

TEST_F(RoundTrip, MissingLevelLeavesTheSpaceClearedAndNamed) {
  Make(space, "Old");
  testing::internal::CaptureStderr();
  space->LoadLevel("Node Levels\\nowhere.level");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(space->objects.empty());
  EXPECT_EQ(space->LevelName, "nowhere.level");
  EXPECT_NE(err.find("fp (Meta\\File, line 39)"), std::string::npos) << err;
  EXPECT_NE(err.find("nowhere.level"), std::string::npos) << err;
  space->LoadLevel("short");
  EXPECT_EQ(space->LevelName, "");
}

TEST_F(RoundTrip, ArchetypeSaveAndInstances) {
  GameObject* crate = Make(space, "Crate");
  static_cast<Transform*>(crate->AddComponent("Transform"))->rotation_ = 0.25f;
  Make(space, "Lid")->SetParent(crate);
  crate->luaComponents.emplace("Wobble", new LuaComponent("Wobble", crate));
  ASSERT_TRUE(SaveArchetype(crate, "Crate"));
  EXPECT_EQ(crate->m_ArchetypeName, "Crate");
  EXPECT_EQ(dir.Read("Archetypes/Crate.archetype"), ToStoredLineEnds(ArchetypeText(*crate)));

  GameObject* made = other->CreateArchetypeInstance("Crate");
  EXPECT_EQ(CheckFailureCount(), 0);
  EXPECT_EQ(made->m_ArchetypeName, "Crate");
  EXPECT_EQ(made->m_Name, "Crate");
  EXPECT_EQ(made->m_Self, 0);
  ASSERT_EQ(made->children.size(), 1u);
  EXPECT_EQ(made->children[0]->m_Name, "Lid");
  EXPECT_EQ(made->children[0]->parent, made);
  EXPECT_EQ(made->children[0]->m_Self, 1);
  EXPECT_EQ(made->Get<Transform>("Transform")->rotation_, 0.25f);
  EXPECT_EQ(made->Get<Transform>("Transform")->GetOwner(), made);
  ASSERT_EQ(made->luaComponents.count("Wobble"), 1u);
  EXPECT_EQ(made->luaComponents["Wobble"]->ownerId, made->m_Self);

  // A second instance keeps its own id.
  GameObject* second = other->CreateArchetypeInstance("Crate");
  EXPECT_EQ(second->m_Self, 2);
  EXPECT_EQ(second->Get<Transform>("Transform")->ownerId, 2);
}

TEST_F(RoundTrip, LoadArchetypeReplacesComponents) {
  GameObject* plain = Make(space, "Plain");
  plain->AddComponent("Sprite");
  ASSERT_TRUE(SaveArchetype(plain, "Plain"));
  GameObject* target = Make(space, "Target");
  target->AddComponent("Transform");
  target->AddComponent("Camera");
  int id = target->m_Self;
  ASSERT_TRUE(LoadArchetype(target, "Plain"));
  EXPECT_EQ(target->m_Self, id);
  EXPECT_EQ(target->m_Name, "Plain");
  EXPECT_EQ(target->components.size(), 1u);
  EXPECT_EQ(target->components.count("Sprite"), 1u);
  EXPECT_EQ(space->liveComponents["Transform"].size(), 0u);
}

TEST_F(RoundTrip, CreateAtPositionAddsATransformWhenTheArchetypeHasNone) {
  Make(space, "Bare");
  ASSERT_TRUE(SaveArchetype(space->objects[0], "Bare"));
  GameObject* made = other->CreateAtPosition("Bare", Vector2D(3.0f, -2.0f, 1.0f));
  auto* t = made->Get<Transform>("Transform");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->translation_.x_, 3.0f);
  EXPECT_EQ(t->translation_.y_, -2.0f);
  EXPECT_EQ(t->translation_.w_, 1.0f);
}

TEST_F(RoundTrip, UnsavableObjectNeverWipesAnExistingArchetype) {
  GameObject* good = Make(space, "Good");
  ASSERT_TRUE(SaveArchetype(good, "Thing"));
  const std::string before = dir.Read("Archetypes/Thing.archetype");
  ASSERT_FALSE(before.empty());

  GameObject* off = Make(space, "Off");
  off->m_Active = false;
  GameObject* child = Make(space, "Child");
  child->SetParent(good);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveArchetype(off, "Thing"));
  EXPECT_FALSE(SaveArchetype(child, "Thing"));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Archetypes/Thing.archetype"), std::string::npos) << err;
  EXPECT_EQ(dir.Read("Archetypes/Thing.archetype"), before);
  EXPECT_EQ(off->m_ArchetypeName, "Thing");

  // With no earlier file, the (empty) archetype is written as asked.
  EXPECT_TRUE(SaveArchetype(off, "Fresh"));
  EXPECT_TRUE(std::filesystem::exists("Archetypes/Fresh.archetype"));
  EXPECT_EQ(dir.Read("Archetypes/Fresh.archetype"), "");
}

TEST_F(RoundTrip, FailedSaveKeepsTheOldFile) {
  Make(space, "First");
  ASSERT_TRUE(space->SaveLevel("Node Levels\\keep.level"));
  const std::string before = dir.Read("Node Levels/keep.level");
  Make(space, "Second");

  // The target is a folder: the new text cannot replace it.
  std::filesystem::create_directories("Node Levels/folder.level/inside");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(space->SaveLevel("Node Levels\\folder.level"));
  // The folder of the target does not exist.
  EXPECT_FALSE(space->SaveLevel("No Such Folder\\keep.level"));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("folder.level"), std::string::npos) << err;
  EXPECT_NE(err.find("No Such Folder/keep.level"), std::string::npos) << err;
  EXPECT_TRUE(std::filesystem::is_directory("Node Levels/folder.level/inside"));
  EXPECT_EQ(dir.Read("Node Levels/keep.level"), before);
  // No temporary file is left behind.
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator("Node Levels"))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(RoundTrip, BothLineEndingsRead) {
  Make(space, "Line")->AddComponent("Font");
  space->objects[0]->Get<Font>("Font")->text_ = "two words";
  const std::string lf = LevelText(*space);
  dir.Write("Node Levels/lf.level", lf);
  dir.Write("Node Levels/crlf.level", ToStoredLineEnds(lf));
  other->LoadLevel("Node Levels\\lf.level");
  ASSERT_EQ(other->objects.size(), 1u);
  EXPECT_EQ(other->objects[0]->Get<Font>("Font")->text_, "two words");
  other->LoadLevel("Node Levels\\crlf.level");
  ASSERT_EQ(other->objects.size(), 1u);
  EXPECT_EQ(other->objects[0]->Get<Font>("Font")->text_, "two words");
  EXPECT_EQ(other->objects[0]->m_Name, "Line");
  EXPECT_EQ(CheckFailureCount(), 0);
}
