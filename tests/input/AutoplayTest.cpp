// Autoplay: one random key every sixteen frames, and the system queue left alone meanwhile.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>

#include "Input/Input.h"
#include "input/InputFixture.h"

using Strings = std::vector<std::string>;

namespace {
const int kCandidates[10] = {119, 97, 115, 100, 102, 82, 81, 80, 79, 9};

bool Contains(const Strings& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}
} // namespace

class AutoplayTest : public InputTest {
protected:
  void TearDown() override {
    if (Input::AutoplayOn())
      Input::ToggleAutoplay();
    InputTest::TearDown();
  }
};

// One press every 16 frames: 15 quiet pump calls, then the press.
constexpr int kQuietFrames = 15;

TEST_F(AutoplayTest, PressesOneRandomKeyEverySixteenFrames) {
  std::srand(1234);
  Input::ToggleAutoplay();
  ASSERT_TRUE(Input::AutoplayOn());
  std::regex line(R"(Num: (\d), Key: (\d+)\n)");
  std::vector<bool> held(256, false);
  int presses = 0;
  for (int round = 0; round < 60; ++round) {
    testing::internal::CaptureStdout();
    Strings quiet;
    for (int frame = 0; frame < kQuietFrames; ++frame)
      for (auto& text : Frame())
        quiet.push_back(text);
    Strings active = Frame();
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    // Fifteen frames of nothing, not even held events.
    EXPECT_EQ(quiet, Strings{}) << "round " << round;

    std::smatch m;
    ASSERT_TRUE(std::regex_match(out, m, line)) << out;
    int num = std::stoi(m[1]);
    int key = std::stoi(m[2]);
    // The candidate stands unless a restart, Space or Left Shift overrides it.
    if (key != 114 && key != 32 && key != 225) {
      EXPECT_EQ(key, kCandidates[num]);
    }

    std::string k = std::to_string(key);
    if (held[static_cast<size_t>(key)]) {
      EXPECT_EQ(active.front(), "KeyIsReleased " + k);
      EXPECT_FALSE(Input::IsDown(static_cast<uint8_t>(key)));
    } else {
      EXPECT_EQ(active.front(), "KeyIsTriggered " + k);
      EXPECT_TRUE(Input::IsTriggered(static_cast<uint8_t>(key)));
      ++presses;
    }
    held[static_cast<size_t>(key)] = !held[static_cast<size_t>(key)];
    // Then the held events of this frame.
    for (int code = 6; code <= 245; ++code)
      EXPECT_EQ(Contains(active, "KeyIsDown " + std::to_string(code)), held[code]) << code;
  }
  EXPECT_GT(presses, 0);
}

TEST_F(AutoplayTest, LeavesTheSystemQueueAlone) {
  Input::ToggleAutoplay();
  PushKey(true, SDLK_q);
  PushWindow(SDL_WINDOWEVENT_CLOSE);
  testing::internal::CaptureStdout();
  for (int frame = 0; frame < kQuietFrames; ++frame)
    EXPECT_EQ(Frame(), Strings{});
  std::fflush(stdout);
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(Input::IsDown('q'));
  EXPECT_FALSE(engine->quit);

  // Switched off, the queued events are read at last.
  Input::ToggleAutoplay();
  Strings frame = Frame();
  EXPECT_TRUE(Contains(frame, "KeyIsTriggered 113"));
  EXPECT_TRUE(Contains(frame, "WindowClose"));
  EXPECT_TRUE(engine->quit);
}
