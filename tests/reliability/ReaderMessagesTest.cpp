// What the level and archetype readers say about values and paths that read but cannot be
// right: floats that are not finite numbers, and data paths that mix both separators.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Utilities/Check.h"
#include "support/TestSupport.h"

namespace {

// A level of one object whose Transform has the given x, y and rotation texts.
std::string Level(const std::string& x, const std::string& y, const std::string& rotation) {
  return "Space\n{\n  m_Active bool true\n  Objects\n  {\n    GameObject\n    {\n"
         "      m_Active bool true\n      m_Self int 1\n"
         "      m_ArchetypeName std::string \"\"\n      m_Name std::string \"A\"\n"
         "      Children\n      {\n      }\n      Components\n      {\n"
         "        Component Transform\n        {\n          translation_ Vector2D\n"
         "          {\n            x_ float " +
         x + "\n            y_ float " + y +
         "\n            w_ float 1.000000\n          }\n          rotation_ float " + rotation +
         "\n          z_order int 4\n        }\n      }\n    }\n  }\n}\n";
}

class ReaderMessages : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterAllTypes();
    engine = new Engine();
    space = engine->CreateSpace("Main");
  }
  void TearDown() override { delete engine; }

  std::string Load(const std::string& dataPath) {
    ResetCheckFailureCount();
    testing::internal::CaptureStderr();
    space->LoadLevel(dataPath);
    return testing::internal::GetCapturedStderr();
  }
  Transform* OnlyTransform() {
    if (space->objects.size() != 1 || !space->objects[0])
      return nullptr;
    return space->objects[0]->Get<Transform>("Transform");
  }

  ScratchDir dir;
  Engine* engine = nullptr;
  Space* space = nullptr;
};

TEST_F(ReaderMessages, FloatsThatAreNotFiniteAreReportedAndSkipped) {
  dir.Write("Node Levels/odd.level", Level("nan", "-inf", "1e39"));
  std::string err = Load("Node Levels\\odd.level");
  EXPECT_EQ(CheckFailureCount(), 3) << err;
  EXPECT_NE(err.find("Node Levels/odd.level, line 21: float value nan is not a finite number"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("line 22: float value -inf is not"), std::string::npos) << err;
  // Too large for a float: read as an infinity, so reported too.
  EXPECT_NE(err.find("line 25: float value inf is not"), std::string::npos) << err;
  // The skipped values keep what a new Transform has; the rest of the object is read.
  Transform* t = OnlyTransform();
  ASSERT_NE(t, nullptr) << err;
  Transform fresh;
  EXPECT_EQ(t->translation_.x_, fresh.translation_.x_);
  EXPECT_EQ(t->translation_.y_, fresh.translation_.y_);
  EXPECT_EQ(t->rotation_, fresh.rotation_);
  EXPECT_EQ(t->z_order, 4);
}

TEST_F(ReaderMessages, LargeButFiniteFloatsAreKept) {
  dir.Write("Node Levels/far.level", Level("1e30", "-1e30", "3.0e38"));
  std::string err = Load("Node Levels\\far.level");
  EXPECT_EQ(CheckFailureCount(), 0) << err;
  Transform* t = OnlyTransform();
  ASSERT_NE(t, nullptr) << err;
  EXPECT_EQ(t->translation_.x_, 1e30f);
  EXPECT_EQ(t->translation_.y_, -1e30f);
  EXPECT_EQ(t->rotation_, 3.0e38f);
}

// "Node Levels\" + a name given with "/" is one path, and a message shows it with one separator.
TEST_F(ReaderMessages, PathsInMessagesUseOneSeparator) {
  std::string err = Load("Node Levels\\sub/none.level");
  EXPECT_NE(err.find("cannot open the level 'Node Levels/sub/none.level'"), std::string::npos)
      << err;

  dir.Write("Node Levels/sub/bad.level", "Space\n{\n  m_Active bool true\n  Objects\n  {\n");
  err = Load("Node Levels\\sub/bad.level");
  EXPECT_NE(err.find("Node Levels/sub/bad.level: the file ends"), std::string::npos) << err;

  testing::internal::CaptureStderr();
  space->CreateArchetypeInstance("sub\\none");
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("'Archetypes/sub/none.archetype'"), std::string::npos) << err;
  EXPECT_EQ(err.find('\\', err.find("Archetypes")), std::string::npos) << err;
}

} // namespace

// Reports from two threads at once: none is lost and the last detail is one whole report.
TEST(CheckReports, ReportsFromTwoThreadsAreAllCountedAndNoneTorn) {
  ResetCheckFailureCount();
  const std::string details[2] = {std::string(200, 'a'), std::string(300, 'b')};
  testing::internal::CaptureStderr();
  auto report = [&](int which) {
    for (int i = 0; i < 2000; ++i)
      ReportCheck("concurrent", "tests", __LINE__, details[which]);
  };
  std::thread first(report, 0), second(report, 1);
  first.join();
  second.join();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(CheckFailureCount(), 4000);
  std::string last = LastCheckDetail();
  EXPECT_TRUE(last == details[0] || last == details[1]) << last.size();
  EXPECT_EQ(static_cast<size_t>(std::count(err.begin(), err.end(), '\n')), 4000u);
}
