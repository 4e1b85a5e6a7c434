#pragma once
// A `Sounds` system started on the game's sounds (a scratch copy, which a test may damage first)
// with its mix written to a wave file, and the clock that places moments in that mix.
#include <gtest/gtest.h>

#include "Audio/Sounds.h"
#include "audio/AudioFixture.h"

class SoundsTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { UseWaveOutput(); }
  void TearDown() override {
    if (sounds.StudioSystem())
      sounds.Shutdown();
  }

  void Start() { sounds.Initialize(); }
  void Update() { sounds.Update(0.016f, nullptr); }
  // Runs frames for the given time.
  void Run(double seconds) {
    Pump(seconds, [this] { Update(); });
  }
  // Where in the mix the next change is heard.
  int64_t Clock() { return MixClock(sounds.StudioSystem()); }
  // Closes the device and reads back everything it mixed.
  Mix Finish() {
    sounds.Shutdown();
    return ReadMix();
  }
  int Timeline(const char* name) {
    int ms = -1;
    sounds.InstanceOf(name).GetTimelinePosition(&ms);
    return ms;
  }
  audio::PlaybackState State(const char* name) {
    audio::PlaybackState state = audio::PlaybackState::Stopped;
    sounds.InstanceOf(name).GetPlaybackState(&state);
    return state;
  }
  static int64_t Frames(double seconds) { return static_cast<int64_t>(seconds * 22050); }

  SoundsFolder folder;
  Sounds sounds;
};
