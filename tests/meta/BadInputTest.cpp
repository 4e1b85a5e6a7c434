// Malformed levels and archetypes: every one is reported with the file's name, nothing crashes,
// and whatever can still be read is kept.
#include <filesystem>
#include <random>

#include "Graphics/Font.h"
#include "Meta/File.h"
#include "Meta/Serialize.h"
#include "Objects/Transform.h"
#include "Scripting/LuaComponent.h"
#include "meta/MetaFixture.h"

namespace {
// An object block at depth 2 (inside "Objects"), with the given component blocks.
std::string Object(const std::string& name, int id, const std::string& components = "") {
  return "    GameObject\n    {\n      m_Active bool true\n      m_Self int " + std::to_string(id) +
         "\n      m_ArchetypeName std::string \"\"\n      m_Name std::string \"" + name +
         "\"\n      Children\n      {\n      }\n      Components\n      {\n" + components +
         "      }\n    }\n";
}

std::string Level(const std::string& objects) {
  return "Space\n{\n  m_Active bool true\n  Objects\n  {\n" + objects + "  }\n}\n";
}

const std::string kTransform = "        Component Transform\n        {\n"
                               "          rotation_ float 1.500000\n"
                               "          z_order int 3\n        }\n";
} // namespace

class BadInput : public MetaTest {
protected:
  void SetUp() override {
    MetaTest::SetUp();
    std::filesystem::create_directories("Node Levels");
  }

  // Loads `text` as "Node Levels\bad.level"; returns what was reported on standard error.
  std::string LoadLevelText(const std::string& text) {
    dir.Write("Node Levels/bad.level", text);
    ResetCheckFailureCount();
    testing::internal::CaptureStderr();
    space->LoadLevel("Node Levels\\bad.level");
    return testing::internal::GetCapturedStderr();
  }

  std::string LoadArchetypeText(const std::string& text, GameObject*& object) {
    dir.Write("Archetypes/bad.archetype", text);
    ResetCheckFailureCount();
    testing::internal::CaptureStderr();
    object = space->CreateArchetypeInstance("bad");
    return testing::internal::GetCapturedStderr();
  }

  void ExpectReported(const std::string& err, const std::string& fragment = "") {
    EXPECT_GT(CheckFailureCount(), 0) << err;
    EXPECT_NE(err.find("bad.level"), std::string::npos) << err;
    if (!fragment.empty()) {
      EXPECT_NE(err.find(fragment), std::string::npos) << err;
    }
  }
};

TEST_F(BadInput, WellFormedLevelIsNotReported) {
  std::string err = LoadLevelText(Level(Object("A", 2, kTransform) + Object("B", 4)));
  EXPECT_EQ(CheckFailureCount(), 0) << err;
  ASSERT_EQ(space->objects.size(), 2u);
  EXPECT_EQ(space->objects[0]->Get<Transform>("Transform")->z_order, 3);
}

TEST_F(BadInput, EveryTruncationIsReportedAndNothingCrashes) {
  // A level with a child, several components and a script, cut after every byte.
  Make(other, "Parent")->AddComponent("Transform");
  GameObject* child = Make(other, "Child");
  child->SetParent(other->objects[0]);
  child->AddComponent("Font");
  child->luaComponents.emplace("Blink", new LuaComponent("Blink", child));
  Make(other, "Last")->AddComponent("GameNode");
  const std::string full = LevelText(*other);

  size_t last = full.find_last_not_of(" \n");
  int unreported = 0;
  testing::internal::CaptureStderr();
  for (size_t cut = 0; cut <= last && unreported < 5; ++cut) {
    space->Clear();
    ResetCheckFailureCount();
    ReadLevelText(*space, full.substr(0, cut), "cut.level");
    if (CheckFailureCount() == 0) {
      ++unreported;
      ADD_FAILURE() << "cut at " << cut << " not reported: ..."
                    << full.substr(cut > 40 ? cut - 40 : 0, 40);
    }
  }
  std::string err = testing::internal::GetCapturedStderr();
  // Every report names the file.
  for (size_t at = err.find("Check failed"); at != std::string::npos;
       at = err.find("Check failed", at + 1)) {
    std::string line = err.substr(at, err.find('\n', at) - at);
    ASSERT_NE(line.find("cut.level"), std::string::npos) << line;
  }
  space->Clear();
  ResetCheckFailureCount();
  EXPECT_TRUE(ReadLevelText(*space, full, "cut.level"));
  EXPECT_EQ(CheckFailureCount(), 0);
  EXPECT_EQ(space->objects.size(), 3u);
}

TEST_F(BadInput, StringWithoutClosingQuote) {
  std::string text = Level(Object("A", 0, kTransform) + Object("B", 1));
  text.replace(text.find("\"A\""), 3, "\"A");
  std::string err = LoadLevelText(text);
  ExpectReported(err, "closing quote");
  // The rest of the file is still read.
  ASSERT_EQ(space->objects.size(), 2u);
  EXPECT_EQ(space->objects[0]->Get<Transform>("Transform")->z_order, 3);
  EXPECT_EQ(space->objects[1]->m_Name, "B");

  // No quote at all, and a file that ends inside the text.
  err = LoadLevelText(Level(Object("A", 0)).replace(Level("").size() - 8, 0, "") + "");
  std::string cut = "Space\n{\n  m_Active bool true\n  Objects\n  {\n    GameObject\n    {\n"
                    "      m_Name std::string \"unfinished";
  err = LoadLevelText(cut);
  ExpectReported(err);
}

TEST_F(BadInput, OverlongWordsAreCutAndReported) {
  std::string word(300, 'x');
  std::string err = LoadLevelText(
      Level(Object("A", 0, "        Component " + word + "\n        {\n        }\n" + kTransform)));
  ExpectReported(err, "300 characters");
  ASSERT_EQ(space->objects.size(), 1u);
  EXPECT_NE(space->objects[0]->Get<Transform>("Transform"), nullptr);

  err = LoadLevelText(Level(Object(word, 0)));
  EXPECT_EQ(space->objects[0]->m_Name, word) << "text values are not words";
  EXPECT_EQ(CheckFailureCount(), 0) << err;
}

// A text's Length_ straight from a file bounds its layout's work: the largest unsigned would
// lay out four billion glyphs.
TEST_F(BadInput, AHugeTextLengthIsReportedAndCut) {
  auto font = [](const std::string& length) {
    return "        Component Font\n        {\n          text_ std::string \"VANTIX\"\n"
           "          Length_ unsigned " +
           length + "\n        }\n";
  };
  std::string err =
      LoadLevelText(Level(Object("Big", 0, font("4294967295")) + Object("Twice", 1, font("12"))));
  ExpectReported(err, "has a Length_ of 4294967295; it draws 65536 glyphs");
  ASSERT_EQ(space->objects.size(), 2u);
  EXPECT_EQ(space->objects[0]->Get<Font>("Font")->Length_, 65536u);
  EXPECT_EQ(space->objects[1]->Get<Font>("Font")->Length_, 12u) << "repeating the text is kept";
}

TEST_F(BadInput, UnknownComponentTypeSkipsItsBlock) {
  std::string widget = "        Component Widget\n        {\n          size_ float 2.000000\n"
                       "          inner_ Vector2D\n          {\n            x_ float 1.000000\n"
                       "          }\n        }\n";
  std::string err = LoadLevelText(Level(Object("A", 0, widget + kTransform) + Object("B", 1)));
  ExpectReported(err, "'Widget'");
  ASSERT_EQ(space->objects.size(), 2u);
  auto* t = space->objects[0]->Get<Transform>("Transform");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rotation_, 1.5f);
  EXPECT_EQ(space->objects[1]->m_Name, "B");
}

TEST_F(BadInput, RegisteredTypesThatAreNotComponentsAreSkipped) {
  for (const char* name : {"Vector2D", "Space", "GameObject", "int", "glm::vec4", "Texture"}) {
    std::string block = std::string("        Component ") + name +
                        "\n        {\n          x_ float 1.000000\n        }\n";
    std::string err = LoadLevelText(Level(Object("A", 0, block + kTransform)));
    ExpectReported(err, "not a component type");
    ASSERT_EQ(space->objects.size(), 1u) << name;
    EXPECT_EQ(space->objects[0]->components.size(), 1u) << name;
    EXPECT_NE(space->objects[0]->Get<Transform>("Transform"), nullptr) << name;
  }
}

TEST_F(BadInput, WrongScalarTypeKeepsTheOldValue) {
  std::string text = Level(Object("A", 7, kTransform));
  text.replace(text.find("z_order int 3"), 13, "z_order float 3.0");
  text.replace(text.find("m_Active bool true", 30), 18, "m_Active int 1");
  std::string err = LoadLevelText(text);
  ExpectReported(err, "Meta\\SerializeTemplates, line 71");
  EXPECT_NE(err.find("Meta\\SerializeTemplates, line 103"), std::string::npos) << err;
  ASSERT_EQ(space->objects.size(), 1u);
  EXPECT_EQ(space->objects[0]->m_Self, 7);
  EXPECT_EQ(space->objects[0]->m_Name, "A");
  auto* t = space->objects[0]->Get<Transform>("Transform");
  EXPECT_EQ(t->z_order, 0);
  EXPECT_EQ(t->rotation_, 1.5f);

  // A number that is not one.
  text = Level(Object("A", 7, kTransform));
  text.replace(text.find("z_order int 3"), 13, "z_order int 3x");
  err = LoadLevelText(text);
  ExpectReported(err, "no readable int");
  EXPECT_EQ(space->objects[0]->Get<Transform>("Transform")->z_order, 0);
}

TEST_F(BadInput, WrongStructuredTypeIsSkippedWithoutTouchingTheValue) {
  std::string block =
      "        Component Transform\n        {\n"
      "          translation_ glm::vec2\n          {\n            x float 5.000000\n"
      "            y float 6.000000\n          }\n"
      "          rotation_ float 1.500000\n        }\n";
  std::string err = LoadLevelText(Level(Object("A", 0, block)));
  ExpectReported(err, "(var.GetTypeInfo() == info) (Meta\\Serialize, line 54)");
  auto* t = space->objects[0]->Get<Transform>("Transform");
  EXPECT_EQ(t->translation_, Transform().translation_);
  EXPECT_EQ(t->rotation_, 1.5f);

  std::string unknown = block;
  unknown.replace(unknown.find("glm::vec2"), 9, "Nothing");
  err = LoadLevelText(Level(Object("A", 0, unknown)));
  ExpectReported(err, "false (Meta\\Serialize, line 49)");
  EXPECT_EQ(space->objects[0]->Get<Transform>("Transform")->rotation_, 1.5f);
}

TEST_F(BadInput, UnbalancedBraces) {
  std::string extra = Level(Object("A", 0, kTransform)) + "}\n";
  std::string err = LoadLevelText(extra);
  ExpectReported(err);

  std::string missing = Level(Object("A", 0, kTransform));
  missing.erase(missing.find("          rotation_") - 10, 10); // the component's "{"
  err = LoadLevelText(missing);
  ExpectReported(err);

  std::string twice = Level(Object("A", 0, kTransform));
  twice.insert(twice.find("    GameObject"), "  {\n  {\n");
  err = LoadLevelText(twice);
  ExpectReported(err);

  // Braces inside names are text, not structure, and neither are names like "a:b" or "{x".
  std::string named =
      Level(Object("{ } } std::string {", 0, kTransform) + Object("a::b {x }} :", 1, kTransform));
  err = LoadLevelText(named);
  EXPECT_EQ(CheckFailureCount(), 0) << err;
  ASSERT_EQ(space->objects.size(), 2u);
  EXPECT_EQ(space->objects[0]->m_Name, "{ } } std::string {");
  err = LoadLevelText(named + "}\n");
  ExpectReported(err, "more '}' than '{'");
}

TEST_F(BadInput, ControlBytesInAReportedWordArePrintedAsEscapes) {
  std::string widget = "        Component Wid\x1b[2Jget\x07\n        {\n        }\n";
  std::string err = LoadLevelText(Level(Object("A", 0, widget + kTransform)));
  ExpectReported(err, "'Wid\\x1B[2Jget\\x07'");
  EXPECT_EQ(err.find_first_of("\x1b\x07"), std::string::npos) << err;
}

TEST_F(BadInput, BinaryGarbage) {
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    std::string junk(static_cast<size_t>(random() % 2000), '\0');
    for (char& c : junk)
      c = static_cast<char>(random());
    // Some rounds mix garbage into a real level.
    if (round % 2) {
      std::string level = Level(Object("A", 0, kTransform) + Object("B", 1));
      level.insert(random() % level.size(), junk);
      junk = level;
    }
    std::string err = LoadLevelText(junk);
    // Garbage inside a quoted text is just text; pure garbage is always reported.
    if (round % 2 == 0 && junk.find_first_not_of(" \t\r\n\v\f") != std::string::npos)
      ExpectReported(err);
  }
}

TEST_F(BadInput, EmptyAndBlankFiles) {
  std::string err = LoadLevelText("");
  ExpectReported(err, "ends where a Space block was expected");
  EXPECT_TRUE(space->objects.empty());
  err = LoadLevelText("\r\n   \n");
  ExpectReported(err);
}

TEST_F(BadInput, DeepNestingIsRefused) {
  std::string open, close;
  for (int i = 0; i < 1000; ++i) {
    open += "GameObject\n{\nm_Name std::string \"n\"\nChildren\n{\n";
    close += "}\nComponents\n{\n}\n}\n";
  }
  GameObject* made = nullptr;
  std::string err = LoadArchetypeText(open + close, made);
  EXPECT_NE(err.find("nest deeper"), std::string::npos) << err.substr(0, 400);
  EXPECT_NE(err.find("bad.archetype"), std::string::npos);
  ASSERT_NE(made, nullptr);
  EXPECT_LE(space->objects.size(), static_cast<size_t>(kMaxObjectNesting) + 2);
}

TEST_F(BadInput, ArchetypeProblemsNameTheArchetype) {
  GameObject* made = nullptr;
  std::string err = LoadArchetypeText("GameObject\n{\n  m_Name std::string \"X\"\n", made);
  EXPECT_GT(CheckFailureCount(), 0);
  EXPECT_NE(err.find("Archetypes/bad.archetype"), std::string::npos) << err;
  EXPECT_EQ(made->m_Name, "X");

  err = LoadArchetypeText("Space\n{\n  m_Active bool true\n}\n", made);
  EXPECT_NE(err.find("(var.GetTypeInfo() == info)"), std::string::npos) << err;

  testing::internal::CaptureStderr();
  GameObject* none = space->CreateArchetypeInstance("missing");
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(none, nullptr);
  EXPECT_NE(err.find("fp (Meta\\File, line 39)"), std::string::npos) << err;
  EXPECT_NE(err.find("Archetypes/missing.archetype"), std::string::npos) << err;
}

TEST_F(BadInput, ReadingWithoutASpaceKeepsNothingButDoesNotFail) {
  // An object outside any space: components and children are read past, never leaked.
  GameObject loose;
  loose.spaceIndex = -1;
  Make(other, "Top")->AddComponent("Transform");
  Make(other, "Kid")->SetParent(other->objects[0]);
  other->objects[1]->AddComponent("Sprite");
  testing::internal::CaptureStderr();
  ReadArchetypeText(loose, ArchetypeText(*other->objects[0]), "loose.archetype");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(loose.m_Name, "Top");
  EXPECT_TRUE(loose.components.empty());
  EXPECT_TRUE(loose.children.empty());
  EXPECT_NE(err.find("no space"), std::string::npos) << err;
}

TEST_F(BadInput, DuplicateComponentsAndScriptsKeepTheFirst) {
  std::string second = kTransform;
  second.replace(second.find("z_order int 3"), 13, "z_order int 8");
  std::string script = "        Component LuaComponent\n        {\n"
                       "          m_Name std::string \"Same\"\n        }\n";
  std::string err = LoadLevelText(Level(Object("A", 0, kTransform + second + script + script)));
  ExpectReported(err, "second Transform");
  GameObject* a = space->objects[0];
  EXPECT_EQ(a->Get<Transform>("Transform")->z_order, 3);
  EXPECT_EQ(space->liveComponents["Transform"].size(), 1u);
  EXPECT_EQ(a->luaComponents.size(), 1u);
}

TEST_F(BadInput, BlockOfAnotherTypeAmongTheObjectsMakesNoObject) {
  std::string stray = "    Transform\n    {\n      z_order int 4\n    }\n";
  std::string err = LoadLevelText(Level(Object("A", 0) + stray + Object("B", 1)));
  ExpectReported(err, "(var.GetTypeInfo() == info) (Meta\\Serialize, line 54)");
  ASSERT_EQ(space->objects.size(), 2u);
  EXPECT_EQ(space->objects[0]->m_Name, "A");
  EXPECT_EQ(space->objects[1]->m_Name, "B");
}
