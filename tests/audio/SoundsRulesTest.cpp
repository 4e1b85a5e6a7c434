// The volume, mute and focus rules of the audio system as they reach the instances: stored
// volumes times factors times category multipliers, temporary changes undone by the next
// frame, and names matched exactly.
#include <cmath>
#include <limits>

#include "Audio/BankFile.h"
#include "audio/SoundsFixture.h"

namespace {
float Volume(const audio::EventInstance& instance) {
  float volume = -1;
  instance.GetVolume(&volume);
  return volume;
}
} // namespace

TEST_F(SoundsTest, AFreshSystemIsFocusedUnmutedAtFullVolumes) {
  EXPECT_TRUE(sounds.GetSoundFocus());
  EXPECT_FALSE(sounds.GetSoundToggle());
  EXPECT_FLOAT_EQ(sounds.GetSFXVolume(), 1.0f);
  EXPECT_FLOAT_EQ(sounds.GetMusicVolume(), 1.0f);
  EXPECT_FALSE(sounds.SoundFocusToggle());
  EXPECT_TRUE(sounds.SoundFocusToggle());
}

TEST_F(SoundsTest, InstanceVolumeIsStoredVolumeTimesFactorTimesCategory) {
  Start();
  Update();
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.05f * 2.0f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("ping")), 0.075f);
  sounds.SetSFXVolume(0.5f);
  sounds.SetMusicVolume(0.25f);
  Update();
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("link")), 1.0f * 0.2f * 0.5f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("cantping")), 0.05f * 0.5f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.05f * 2.0f * 0.25f);
  sounds.SetVolume("enemymove", 0.5f, false);
  Update();
  EXPECT_FLOAT_EQ(sounds.StoredVolume("enemymove"), 0.5f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("enemymove")), 0.5f * 0.04f * 0.5f);
}

TEST_F(SoundsTest, TemporaryVolumesLastUntilTheNextUpdate) {
  Start();
  Update();
  sounds.SetVolumeCategory("SFX", 0);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("ping")), 0.0f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("hudbloop")), 0.0f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.1f);
  Update();
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("ping")), 0.075f);

  sounds.SetVolumeCategory("MUSIC", 0.5f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.05f * 0.5f * 2.0f);
  sounds.SetVolume("link", 3.0f, true);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("link")), 0.6f);
  EXPECT_FLOAT_EQ(sounds.StoredVolume("link"), 1.0f);
  Update();
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.1f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("link")), 0.2f);

  // Categories and names are matched exactly.
  sounds.SetVolumeCategory("sfx", 0);
  sounds.SetVolumeCategory("Music", 0);
  sounds.SetVolume("Link", 0, false);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("link")), 0.2f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.1f);
}

TEST_F(SoundsTest, MuteKeepsTheStoredVolumesForTheUnmute) {
  Start();
  sounds.SetVolume("death", 0.5f, false);
  sounds.SetSoundToggle(true);
  Update();
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("death")), 0.0f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.0f);
  EXPECT_FLOAT_EQ(sounds.StoredVolume("death"), 0.5f);
  sounds.SetSoundToggle(false);
  Update();
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("death")), 0.5f * 0.08f);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("theme")), 0.1f);
}

TEST_F(SoundsTest, OutOfRangeVolumesReachTheLayerAsSilenceOrItsMaximum) {
  Start();
  sounds.SetVolume("ping", std::numeric_limits<float>::quiet_NaN(), true);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("ping")), 0.0f);
  sounds.SetVolume("ping", -2.0f, true);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("ping")), 0.0f);
  sounds.SetVolume("ping", 1000.0f, true);
  EXPECT_FLOAT_EQ(Volume(sounds.InstanceOf("ping")), audio::kMaxVolume);
  // The siphon instance does not exist before the first SiphonSoundCall.
  sounds.SetVolume("siphon", 1.0f, false);
  EXPECT_FALSE(sounds.InstanceOf("siphon").IsValid());
  EXPECT_FLOAT_EQ(sounds.StoredVolume("siphon"), 1.0f);
}

TEST_F(SoundsTest, FocusLossPausesEveryInstanceAtTheNextUpdate) {
  Start();
  Update();
  sounds.SetSoundFocus(false);
  bool paused = false;
  sounds.InstanceOf("theme").GetPaused(&paused);
  EXPECT_FALSE(paused);
  Update();
  for (const char* name : {"theme", "ping", "cantping", "hudclose"}) {
    sounds.InstanceOf(name).GetPaused(&paused);
    EXPECT_TRUE(paused) << name;
  }
  EXPECT_TRUE(sounds.SoundFocusToggle());
  Update();
  sounds.InstanceOf("theme").GetPaused(&paused);
  EXPECT_FALSE(paused);
}
