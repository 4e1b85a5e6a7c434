// The main theme: started at start-up and heard from its first note, streamed without gaps,
// and looping back to where "LoopPoint1" says.
#include "audio/SoundsFixture.h"

TEST_F(SoundsTest, ThemeIsHeardFromItsStartAtItsStartingVolume) {
  Start();
  Stopwatch started;
  int64_t start = Clock();
  Run(1.2);
  int heardMs = Timeline("theme");
  double expectedMs = started.Ms();
  Mix mix = Finish();
  ASSERT_EQ(mix.rate, 22050);
  std::vector<int16_t> theme = DecodeData("Sounds/Tovel/Main_Theme.ogg");
  // The stretch from 0.3 s to 1.1 s crosses several stream buffers.
  EXPECT_GT(BestCorrelation(theme, Frames(0.3), mix.samples, start + Frames(0.3), Frames(0.8),
                            Frames(0.03)),
            0.98);
  Mix file{22050, theme};
  double expected = file.Rms(Frames(0.3), Frames(1.1)) * 0.05 * 2.0;
  EXPECT_NEAR(mix.Rms(start + Frames(0.3), start + Frames(1.1)), expected, expected * 0.1);
  EXPECT_NEAR(heardMs, expectedMs, 40);
}

TEST_F(SoundsTest, LoopPointChoosesWhereTheThemeRepeatsFrom) {
  Start();
  Update();
  // The start-up loop point 0.05 of the 40 s theme: each repeat starts at 2 s.
  sounds.InstanceOf("theme").SetTimelinePosition(39700);
  Stopwatch seeked;
  Run(0.6);
  EXPECT_NEAR(Timeline("theme"), 2000 + seeked.Ms() - 300, 40);

  sounds.SetLoopPoint(0.5f);
  sounds.InstanceOf("theme").SetTimelinePosition(39700);
  Stopwatch seekedAgain;
  Update();
  int64_t seek = Clock();
  Run(0.6);
  EXPECT_NEAR(Timeline("theme"), 20000 + seekedAgain.Ms() - 300, 40);
  Mix mix = Finish();
  // What follows the end of the theme is its middle.
  std::vector<int16_t> theme = DecodeData("Sounds/Tovel/Main_Theme.ogg");
  EXPECT_GT(BestCorrelation(theme, Frames(20.05), mix.samples, seek + Frames(0.35), Frames(0.2),
                            Frames(0.06)),
            0.95);
}
