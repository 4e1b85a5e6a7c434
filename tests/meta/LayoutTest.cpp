// The text the writer produces, byte for byte, and how single values read back.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "Gameplay/GameplayComponents.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Meta/Serialize.h"
#include "Meta/TextReader.h"
#include "Meta/TextWriter.h"
#include "Objects/Transform.h"
#include "Scripting/LuaComponent.h"
#include "meta/MetaFixture.h"

namespace {
std::string Write(const void* value, const TypeInfo* info, int depth = 0) {
  TextWriter out(depth);
  WriteValue(out, value, info);
  EXPECT_EQ(out.depth, depth) << "the writer must leave the depth where it found it";
  return out.Take();
}

template <class T> void Read(const std::string& text, T& value) {
  TextDepth() = 0;
  TextReader in(text, "test.txt");
  ReadValue(in, &value, TypeOf<T>());
  TextDepth() = 0;
}
} // namespace

TEST_F(MetaTest, LevelWithOneTransformObjectMatchesTheReferenceLayout) {
  GameObject* player = Make(space, "Player");
  player->m_Self = 1;
  player->m_ArchetypeName = GameObject::kNullName;
  ASSERT_NE(player->AddComponent("Transform"), nullptr);

  const std::string expected = Lines({
      "Space",
      "{",
      "  m_Active bool true",
      "  Objects",
      "  {",
      "    GameObject",
      "    {",
      "      m_Active bool true",
      "      m_Self int 1",
      "      m_ArchetypeName std::string \"__NULLOBJECT__\"",
      "      m_Name std::string \"Player\"",
      "      Children",
      "      {",
      "      }",
      "      Components",
      "      {",
      "        Component Transform",
      "        {",
      "          translation_ Vector2D",
      "          {",
      "            x_ float 0.000000",
      "            y_ float 0.000000",
      "            w_ float 1.000000",
      "          }",
      "          scale_ Vector2D",
      "          {",
      "            x_ float 1.000000",
      "            y_ float 1.000000",
      "            w_ float 0.000000",
      "          }",
      "          rotation_ float 0.000000",
      "          z_order int 0",
      "        }",
      "      }",
      "    }",
      "  }",
      "}",
  });
  EXPECT_EQ(LevelText(*space), expected);
}

TEST_F(MetaTest, SavedLevelUsesCarriageReturnLineFeeds) {
  Make(space, "A")->AddComponent("Transform");
  std::filesystem::create_directories("Node Levels");
  ASSERT_TRUE(space->SaveLevel("Node Levels\\one.level"));
  std::string stored = dir.Read("Node Levels/one.level");
  EXPECT_EQ(stored, ToStoredLineEnds(LevelText(*space)));
  EXPECT_EQ(stored.substr(0, 9), "Space\r\n{\r");
  EXPECT_EQ(stored.find("\n\n"), std::string::npos);
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\n') {
      ASSERT_EQ(stored[i - 1], '\r') << "at byte " << i;
    }
  }
}

TEST_F(MetaTest, TransformAtDepthFourIndentsEachLevel) {
  Transform t;
  t.translation_ = Vector2D(1.5f, -2.25f, 1.0f);
  t.scale_ = Vector2D(3.0f, 4.0f, 0.0f);
  t.rotation_ = 0.5f;
  t.z_order = -7;
  TextWriter out(4);
  out.Indent().Put("Component ");
  WriteValue(out, &t, TypeOf<Transform>());
  EXPECT_EQ(out.Text(), Lines({
                            "        Component Transform",
                            "        {",
                            "          translation_ Vector2D",
                            "          {",
                            "            x_ float 1.500000",
                            "            y_ float -2.250000",
                            "            w_ float 1.000000",
                            "          }",
                            "          scale_ Vector2D",
                            "          {",
                            "            x_ float 3.000000",
                            "            y_ float 4.000000",
                            "            w_ float 0.000000",
                            "          }",
                            "          rotation_ float 0.500000",
                            "          z_order int -7",
                            "        }",
                        }));
}

TEST_F(MetaTest, ScalarFormsAndEmptyString) {
  int i = -42;
  unsigned u = 4000000000u;
  float f = 2.0f / 3.0f;
  double d = 1e20;
  bool b = true;
  std::string empty;
  EXPECT_EQ(Write(&i, TypeOf<int>()), "int -42\n");
  EXPECT_EQ(Write(&u, TypeOf<unsigned>()), "unsigned 4000000000\n");
  EXPECT_EQ(Write(&f, TypeOf<float>()), "float 0.666667\n");
  EXPECT_EQ(Write(&d, TypeOf<double>()), "double 100000000000000000000.000000\n");
  EXPECT_EQ(Write(&b, TypeOf<bool>()), "bool true\n");
  EXPECT_EQ(Write(&empty, TypeOf<std::string>()), "std::string \"\"\n");

  GameObject object;
  object.m_Active = true;
  object.m_Name.clear();
  std::string text = Write(&object, TypeOf<GameObject>());
  EXPECT_NE(text.find("  m_Name std::string \"\"\n"), std::string::npos) << text;
}

TEST_F(MetaTest, ScalarValuesReadBack) {
  int i = 0;
  Read("int -42\n", i);
  EXPECT_EQ(i, -42);
  unsigned u = 0;
  Read("unsigned 4000000000\r\n", u);
  EXPECT_EQ(u, 4000000000u);
  float f = 0;
  Read("float 0.666667\n", f);
  EXPECT_FLOAT_EQ(f, 0.666667f);
  double d = 0;
  Read("double -12.500000", d);
  EXPECT_EQ(d, -12.5);
  // Huge doubles print hundreds of digits; they are not cut at the word limit.
  double huge = 1e300, back = 0;
  Read(Write(&huge, TypeOf<double>()), back);
  EXPECT_EQ(back, huge);
}

// Floats are read through a faster path than strtof; every form must read as strtof reads it:
// the same bits and the same length (the reader then requires a blank after it).
TEST(FloatReading, AgreesWithStrtofOnEveryForm) {
  std::vector<std::string> words = {"0",
                                    "-0",
                                    "1.500000",
                                    "-12.500000",
                                    "0.666667",
                                    ".5",
                                    "-.5",
                                    "5.",
                                    "1e5",
                                    "1E-5",
                                    "1.5e",
                                    "1e+",
                                    "-",
                                    ".",
                                    "+1.5",
                                    "0x1p3",
                                    "-0X1.8p1",
                                    "0x",
                                    "inf",
                                    "-infinity",
                                    "nan",
                                    "NaN(1)",
                                    "1e39",
                                    "-3.4028236e38",
                                    "3.4028234e38",
                                    "1e-46",
                                    "1.4e-45",
                                    "1e-40",
                                    "0001.25",
                                    "1.5.5",
                                    "1_0",
                                    "7f",
                                    std::string(400, '9'),
                                    "0." + std::string(60, '0') + "1",
                                    "1,5",
                                    "--1"};
  std::mt19937 random(7);
  const char* pieces[] = {"0", "1", "5", "9", ".", "-", "+", "e", "E", "x", "p", "n", "i"};
  for (int k = 0; k < 20000; ++k) {
    std::string word;
    for (int n = 1 + static_cast<int>(random() % 12); n > 0; --n)
      word += pieces[random() % (sizeof pieces / sizeof *pieces)];
    words.push_back(word);
  }
  for (int k = 0; k < 20000; ++k) {
    char printed[64];
    float value;
    uint32_t bits = static_cast<uint32_t>(random());
    std::memcpy(&value, &bits, sizeof value);
    std::snprintf(printed, sizeof printed, k % 2 ? "%f" : "%.9g", static_cast<double>(value));
    words.push_back(printed);
  }
  for (const std::string& word : words) {
    std::string text = word + " next";
    char* fastEnd = nullptr;
    char* libraryEnd = nullptr;
    float fast = ParseFloat(text.c_str(), text.c_str() + text.size(), &fastEnd);
    float library = std::strtof(text.c_str(), &libraryEnd);
    ASSERT_EQ(fastEnd - text.c_str(), libraryEnd - text.c_str()) << word;
    if (std::isnan(library)) {
      EXPECT_TRUE(std::isnan(fast)) << word;
      continue;
    }
    uint32_t fastBits, libraryBits;
    std::memcpy(&fastBits, &fast, sizeof fast);
    std::memcpy(&libraryBits, &library, sizeof library);
    EXPECT_EQ(fastBits, libraryBits) << word;
  }
}

TEST_F(MetaTest, BoolIsTrueOnlyForExactlyTrue) {
  bool b = true;
  Read("bool True\n", b);
  EXPECT_FALSE(b);
  b = false;
  Read("bool true\n", b);
  EXPECT_TRUE(b);
  Read("bool 1\n", b);
  EXPECT_FALSE(b);
  EXPECT_EQ(CheckFailureCount(), 0);
}

TEST_F(MetaTest, StringValueEndsAtTheLastQuoteOfItsLine) {
  std::string title = "The \"Big\" Heist";
  std::string text = Write(&title, TypeOf<std::string>());
  EXPECT_EQ(text, "std::string \"The \"Big\" Heist\"\n");
  std::string back;
  Read(text, back);
  EXPECT_EQ(back, title);
  Read("std::string \"with CR\"\r\n", back);
  EXPECT_EQ(back, "with CR");
  Read("std::string \"  blanks kept  \"\n", back);
  EXPECT_EQ(back, "  blanks kept  ");
}

TEST_F(MetaTest, LineBreakInsideAStringIsStoredAsABlank) {
  std::string two = "first\nsecond";
  std::string text = Write(&two, TypeOf<std::string>());
  EXPECT_EQ(text, "std::string \"first second\"\n");
}

TEST_F(MetaTest, ComponentsAreSortedByTypeNameWithScriptsLast) {
  GameObject* object = Make(space, "Node");
  object->AddComponent("Transform");
  object->AddComponent("Sprite");
  object->AddComponent("GameNode");
  object->luaComponents.emplace("AScript", new LuaComponent("AScript", object));
  std::string text = ArchetypeText(*object);
  size_t node = text.find("Component GameNode");
  size_t sprite = text.find("Component Sprite");
  size_t transform = text.find("Component Transform");
  size_t script = text.find("Component LuaComponent");
  ASSERT_NE(script, std::string::npos);
  EXPECT_LT(node, sprite);
  EXPECT_LT(sprite, transform);
  EXPECT_LT(transform, script);
  EXPECT_NE(
      text.find("    Component LuaComponent\n    {\n      m_Name std::string \"AScript\"\n    }\n"),
      std::string::npos)
      << text;
}

TEST_F(MetaTest, ObjectsThatAreNotWrittenLeaveTheirIndentation) {
  Make(space, "Kept");
  Make(space, "Particle");
  Make(space, "Dead")->IsDead = true;
  Make(space, "Off")->m_Active = false;
  GameObject* parent = Make(space, "Parent");
  GameObject* child = Make(space, "Child");
  child->SetParent(parent);
  std::string text = LevelText(*space);
  EXPECT_EQ(text.find("Particle"), std::string::npos);
  EXPECT_EQ(text.find("Dead"), std::string::npos);
  EXPECT_EQ(text.find("Off"), std::string::npos);
  // Kept's closing brace, then three objects not written: 3 x 4 blanks before the next one.
  EXPECT_NE(text.find("\n    }\n" + std::string(12, ' ') + "    GameObject\n"), std::string::npos)
      << text;
  // The child is written once, inside its parent, at depth 4.
  EXPECT_NE(text.find("        GameObject\n        {\n"), std::string::npos);
  EXPECT_EQ(text.find("\"Child\""), text.rfind("\"Child\""));
  // The child's own four blanks stand before the brace that closes "Objects".
  EXPECT_TRUE(text.ends_with("\n      }\n    }\n      }\n}\n")) << text;
}

TEST_F(MetaTest, ChildrenOfAParticleOrDeadObjectAreNotWritten) {
  GameObject* particle = Make(space, "Particle");
  Make(space, "Spark")->SetParent(particle);
  GameObject* dead = Make(space, "Dead");
  Make(space, "Orphan")->SetParent(dead);
  dead->IsDead = true;
  std::string text = LevelText(*space);
  EXPECT_EQ(text.find("Spark"), std::string::npos);
  EXPECT_EQ(text.find("Orphan"), std::string::npos);
}

TEST_F(MetaTest, ComponentBlockWithoutAMemberKeepsTheNewComponentsValue) {
  // A recycled Transform with z_order 9 goes back to the pool first.
  GameObject* old = Make(space, "Old");
  static_cast<Transform*>(old->AddComponent("Transform"))->z_order = 9;
  old->Release();

  const std::string text = Lines({
      "GameObject",
      "{",
      "  m_Active bool true",
      "  m_Self int 3",
      "  m_ArchetypeName std::string \"\"",
      "  m_Name std::string \"NoZ\"",
      "  Children",
      "  {",
      "  }",
      "  Components",
      "  {",
      "    Component Transform",
      "    {",
      "      rotation_ float 2.000000",
      "    }",
      "  }",
      "}",
  });
  GameObject* object = Make(space, "");
  EXPECT_TRUE(ReadArchetypeText(*object, text, "noz.archetype"));
  auto* t = object->Get<Transform>("Transform");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->z_order, Transform().z_order);
  EXPECT_EQ(t->rotation_, 2.0f);
  EXPECT_EQ(t->scale_, Transform().scale_);
  EXPECT_EQ(CheckFailureCount(), 0);
}

TEST_F(MetaTest, MemberKeyTheTypeLacksEndsTheBlock) {
  Transform t;
  const std::string text = Lines({
      "Transform",
      "{",
      "  rotation_ float 3.000000",
      "  bogus_ float 1.000000",
      "  z_order int 5",
      "}",
  });
  Read(text, t);
  EXPECT_EQ(t.rotation_, 3.0f);
  EXPECT_EQ(t.z_order, 0);
}
