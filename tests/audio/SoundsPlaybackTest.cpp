// What the audio system makes heard, read back from the mix: mute and focus from the next
// frame on, each playable name audible and restarting, names that play nothing, effect levels
// following the SFX volume, and the siphon gauge that stops itself.
#include <string>

#include "audio/SoundsFixture.h"

namespace {
constexpr const char* kPlayable[] = {"ping",         "death",   "playermove", "link",
                                     "enemymove",    "unlink",  "hudclose",   "hudbloop",
                                     "levelvictory", "cantping"};
constexpr double kMargin = 0.03; // seconds: a mixer period and the writer's buffering
constexpr double kHeard = 1e-3;  // an RMS level anyone would hear (-60 dBFS)
} // namespace

TEST_F(SoundsTest, MuteSilencesEverythingFromTheNextUpdateAndUnmuteRestores) {
  Start();
  Run(0.3);
  sounds.PlaySound("hudclose");
  Run(0.2);
  int64_t muted = Clock();
  sounds.SetSoundToggle(true);
  Update();
  int64_t mutedAt = Clock();
  Run(0.3);
  // The quiet stretch ends where the unmute is asked for: the mixer may already be playing
  // again by the time the clock is read after the update.
  int64_t unmuting = Clock();
  sounds.SetSoundToggle(false);
  Update();
  int64_t unmuted = Clock();
  Run(0.3);
  Mix mix = Finish();
  EXPECT_GT(mix.Rms(muted - Frames(0.15), muted), 10 * kHeard);
  EXPECT_EQ(mix.Peak(mutedAt + Frames(kMargin), unmuting), 0.0);
  EXPECT_GT(mix.Rms(unmuted + Frames(kMargin), unmuted + Frames(0.25)), kHeard);
}

TEST_F(SoundsTest, FocusLossPausesEverythingAndFocusResumesExactlyThose) {
  Start();
  sounds.PlaySound("playermove"); // 0.14 s: over before the focus goes
  Run(0.4);
  sounds.PlaySound("levelvictory");
  Run(0.3);
  sounds.SetSoundFocus(false);
  Update();
  int64_t lost = Clock();
  int themeAt = Timeline("theme");
  int jingleAt = Timeline("levelvictory");
  Run(0.4);
  EXPECT_EQ(Timeline("theme"), themeAt);
  EXPECT_EQ(Timeline("levelvictory"), jingleAt);
  int64_t regaining = Clock();
  sounds.SetSoundFocus(true);
  Stopwatch resumed;
  Update();
  int64_t regained = Clock();
  Run(0.3);
  EXPECT_NEAR(Timeline("theme"), themeAt + resumed.Ms(), 40);
  EXPECT_NEAR(Timeline("levelvictory"), jingleAt + resumed.Ms(), 40);
  EXPECT_EQ(State("playermove"), audio::PlaybackState::Stopped);
  Mix mix = Finish();
  EXPECT_EQ(mix.Peak(lost + Frames(kMargin), regaining), 0.0);
  EXPECT_GT(mix.Rms(regained + Frames(kMargin), regained + Frames(0.25)), kHeard);
}

TEST_F(SoundsTest, EachPlayableNameIsHeard) {
  Start();
  sounds.SetMusicVolume(0);
  Run(0.05);
  // Per sound: when the last one was stopped, when this one was asked for, and when it was
  // under way. The quiet stretch ends as the sound is asked for: the mixer may already be
  // playing it by the time the clock is read again.
  struct Marks {
    int64_t stopped, asked, start;
  };
  std::vector<Marks> marks;
  for (const char* name : kPlayable) {
    Update();
    int64_t stopped = Clock();
    Run(0.06);
    int64_t asked = Clock();
    sounds.PlaySound(name);
    Update();
    int64_t start = Clock();
    Run(0.12);
    sounds.InstanceOf(name).Stop(audio::StopMode::Immediate);
    Update();
    marks.push_back({stopped, asked, start});
  }
  Mix mix = Finish();
  for (size_t i = 0; i < marks.size(); ++i) {
    SCOPED_TRACE(kPlayable[i]);
    EXPECT_EQ(mix.Peak(marks[i].stopped + Frames(kMargin), marks[i].asked), 0.0);
    EXPECT_GT(mix.Rms(marks[i].start + Frames(0.01), marks[i].start + Frames(0.11)), kHeard);
  }
}

TEST_F(SoundsTest, NamesThatAreNotPlayableDoNothing) {
  Start();
  Run(0.2);
  sounds.SetMusicVolume(0);
  Update();
  int themeAt = Timeline("theme");
  int64_t silentFrom = Clock();
  for (const char* name : {"theme", "siphon", "Ping", "PING", "nothing", ""})
    sounds.PlaySound(name);
  Run(0.3);
  int64_t silentTo = Clock();
  EXPECT_GE(Timeline("theme"), themeAt + 250); // not restarted
  EXPECT_FALSE(sounds.InstanceOf("siphon").IsValid());
  EXPECT_EQ(State("ping"), audio::PlaybackState::Stopped);
  EXPECT_FALSE(sounds.SiphonPlaying());
  Mix mix = Finish();
  EXPECT_EQ(mix.Peak(silentFrom + Frames(kMargin), silentTo), 0.0);
}

TEST_F(SoundsTest, PlayingASoundAgainRestartsIt) {
  Start();
  sounds.SetMusicVolume(0);
  Update();
  sounds.PlaySound("death");
  Update();
  int64_t first = Clock();
  Run(0.4);
  EXPECT_GE(Timeline("death"), 350);
  sounds.PlaySound("death");
  Update();
  int64_t again = Clock();
  EXPECT_LT(Timeline("death"), 50);
  Run(0.3);
  Mix mix = Finish();
  // Both starts sound like the file's beginning; the restart is not the sound carrying on.
  std::vector<int16_t> death = DecodeData("Sounds/Tovel/Player_Death.ogg");
  auto match = [&](int64_t mixAt, double fileAt) {
    return BestCorrelation(death, Frames(fileAt), mix.samples, mixAt, Frames(0.2), Frames(0.04));
  };
  EXPECT_GT(match(first + Frames(0.05), 0.05), 0.95);
  EXPECT_GT(match(again + Frames(0.05), 0.05), 0.95);
  EXPECT_LT(match(again + Frames(0.05), 0.45), 0.5);
}

// Every playable name, started again while it plays, goes back to its beginning.
TEST_F(SoundsTest, EachPlayableNameRestartsWhilePlaying) {
  Start();
  sounds.SetMusicVolume(0);
  Update();
  for (const char* name : kPlayable) {
    SCOPED_TRACE(name);
    sounds.PlaySound(name);
    Update();
    Run(0.06); // the shortest, "playermove", lasts 0.14 s
    ASSERT_EQ(State(name), audio::PlaybackState::Playing);
    EXPECT_GE(Timeline(name), 30);
    sounds.PlaySound(name);
    Update();
    EXPECT_EQ(State(name), audio::PlaybackState::Playing);
    EXPECT_LT(Timeline(name), 20);
    sounds.InstanceOf(name).Stop(audio::StopMode::Immediate);
    Update();
  }
}

TEST_F(SoundsTest, EffectLevelFollowsTheSfxVolume) {
  Start();
  sounds.SetMusicVolume(0);
  std::vector<int16_t> link = DecodeData("Sounds/Tovel/Link.ogg");
  Mix file{22050, link};
  int64_t starts[2];
  float levels[2] = {1.0f, 0.5f};
  for (int i = 0; i < 2; ++i) {
    sounds.SetSFXVolume(levels[i]);
    Update();
    sounds.PlaySound("link");
    Update();
    starts[i] = Clock();
    Run(0.45);
  }
  Mix mix = Finish();
  double full = mix.Rms(starts[0] + Frames(0.02), starts[0] + Frames(0.3));
  double half = mix.Rms(starts[1] + Frames(0.02), starts[1] + Frames(0.3));
  // 1 x 0.2 x 1, then 1 x 0.2 x 0.5, of the file's own level.
  double expected = file.Rms(Frames(0.02), Frames(0.3)) * 0.2;
  EXPECT_NEAR(full, expected, expected * 0.1);
  EXPECT_NEAR(half / full, 0.5, 0.03);
}

TEST_F(SoundsTest, SiphonGaugeRisesAndStopsByItselfAfterAboutASecond) {
  Start();
  sounds.SetMusicVolume(0);
  Update();
  sounds.SiphonSoundCall();
  EXPECT_TRUE(sounds.SiphonPlaying());
  Update();
  int64_t start = Clock();
  double startTime = NowSeconds();
  Run(0.3);
  int at = Timeline("siphon");
  sounds.SiphonSoundCall(); // already running: not restarted
  Update();
  EXPECT_GE(Timeline("siphon"), at);
  double stoppedAfter = 0;
  Pump(1.2, [&] {
    Update();
    if (!sounds.SiphonPlaying() && stoppedAfter == 0)
      stoppedAfter = NowSeconds() - startTime;
  });
  EXPECT_GT(stoppedAfter, 0.75);
  EXPECT_LT(stoppedAfter, 1.2);
  int64_t end = Clock();
  Mix mix = Finish();
  // The pitch climbs while the gauge fills: "Parameter 1" goes from 0 to 10 over the second.
  double early = mix.CrossingRate(start + Frames(0.05), start + Frames(0.25));
  double late = mix.CrossingRate(start + Frames(0.6), start + Frames(0.8));
  EXPECT_GT(mix.Rms(start + Frames(0.05), start + Frames(0.7)), kHeard);
  EXPECT_GT(late, early * 1.2);
  EXPECT_EQ(mix.Peak(start + Frames(stoppedAfter + 0.15), end), 0.0);
}

TEST_F(SoundsTest, SiphonEndStopsTheGaugeEarlyAndTheNextCallStartsAgain) {
  Start();
  sounds.SetMusicVolume(0);
  Update();
  sounds.SiphonSoundCall();
  Run(0.3);
  sounds.SiphonSoundEnd();
  EXPECT_FALSE(sounds.SiphonPlaying());
  Update();
  int64_t ended = Clock();
  Run(0.2);
  EXPECT_EQ(State("siphon"), audio::PlaybackState::Stopped);
  int64_t calling = Clock();
  sounds.SiphonSoundCall();
  Update();
  int64_t again = Clock();
  EXPECT_LT(Timeline("siphon"), 50);
  Run(0.2);
  Mix mix = Finish();
  EXPECT_EQ(mix.Peak(ended + Frames(0.1) + Frames(kMargin), calling), 0.0);
  EXPECT_GT(mix.Rms(again + Frames(0.02), again + Frames(0.18)), kHeard);
}
