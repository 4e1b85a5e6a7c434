// The audio layer on its own, over banks of test tones: handles that were never made or were
// released, volume limits, bank conflicts, the sharing of few real sources among more channels,
// and the fade-out of a stop.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "Audio/BankFile.h"
#include "Audio/Studio.h"
#include "audio/AudioFixture.h"

using audio::Result;

namespace {
const char* const kMaster =
    "vantix-bank 1 master\nbus \"bus:/\" volume 1\nbus \"bus:/T\" volume 1\n";
const char* const kStrings = "vantix-bank 1 strings\n"
                             "path \"event:/A\" a\npath \"event:/B\" b\npath \"event:/C\" c\n"
                             "path \"event:/Short\" short\npath \"event:/Lost\" lost\n"
                             "path \"event:/CutOgg\" cutogg\npath \"event:/CutFlac\" cutflac\n"
                             "path \"event:/Changed\" changed\n";
const char* const kEvents =
    "vantix-bank 1 events\n"
    "event a\n file \"a.wav\"\n bus \"bus:/T\"\n loop true\nend\n"
    "event b\n file \"b.wav\"\n bus \"bus:/T\"\n loop true\nend\n"
    "event c\n file \"c.wav\"\n bus \"bus:/T\"\n loop true\nend\n"
    "event short\n file \"a.wav\"\n bus \"bus:/T\"\n fadeout 100\nend\n"
    "event lost\n file \"a.wav\"\n bus \"bus:/Nowhere\"\nend\n"
    "event cutogg\n file \"cut.ogg\"\n bus \"bus:/T\"\n loop true\n"
    " stream true\nend\n"
    "event cutflac\n file \"cut.flac\"\n bus \"bus:/T\"\n stream true\nend\n"
    "event changed\n file \"changed.wav\"\n bus \"bus:/T\"\n loop true\n"
    " stream true\nend\n";
} // namespace

class StudioTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { UseWaveOutput(); }
  void SetUp() override {
    dir.Write("banks/master.bank", kMaster);
    dir.Write("banks/strings.bank", kStrings);
    dir.Write("banks/events.bank", kEvents);
    WriteTone((dir.Path() / "banks/a.wav").string(), 441, 2.0, 0.5);
    WriteTone((dir.Path() / "banks/b.wav").string(), 630, 2.0, 0.5);
    WriteTone((dir.Path() / "banks/c.wav").string(), 1050, 2.0, 0.5);
  }
  void TearDown() override {
    if (studio)
      studio->Release();
  }
  void Open(int realVoices = 32, int channels = 512) {
    ASSERT_EQ(audio::Studio::Create(&studio, audio::kHeaderVersion), Result::Ok);
    audio::AdvancedSettings settings;
    settings.realVoices = realVoices;
    ASSERT_EQ(studio->SetAdvancedSettings(settings), Result::Ok);
    ASSERT_EQ(studio->Initialize(channels, 0, 0, nullptr), Result::Ok);
    for (const char* bank : {"banks/master.bank", "banks/strings.bank", "banks/events.bank"})
      ASSERT_EQ(studio->LoadBankFile(bank, 0, nullptr), Result::Ok);
  }
  audio::EventInstance Make(const char* path) {
    audio::EventDescription description;
    EXPECT_EQ(studio->GetEvent(path, &description), Result::Ok);
    EXPECT_EQ(description.LoadSampleData(), Result::Ok);
    audio::EventInstance instance;
    EXPECT_EQ(description.CreateInstance(&instance), Result::Ok);
    return instance;
  }
  static bool Virtual(const audio::EventInstance& instance) {
    bool v = false;
    instance.IsVirtual(&v);
    return v;
  }
  static int Timeline(const audio::EventInstance& instance) {
    int ms = -1;
    instance.GetTimelinePosition(&ms);
    return ms;
  }
  void Run(double seconds) {
    Pump(seconds, [this] { studio->Update(); });
  }
  Mix Finish() {
    studio->Release();
    studio = nullptr;
    return ReadMix();
  }

  ScratchDir dir;
  audio::Studio* studio = nullptr;
};

TEST_F(StudioTest, HandlesThatWereNeverMadeAreRejected) {
  audio::EventInstance none;
  float volume;
  bool paused;
  int ms;
  audio::PlaybackState state;
  audio::ParameterInstance parameter;
  EXPECT_EQ(none.Start(), Result::InvalidHandle);
  EXPECT_EQ(none.Stop(audio::StopMode::AllowFadeout), Result::InvalidHandle);
  EXPECT_EQ(none.SetPaused(true), Result::InvalidHandle);
  EXPECT_EQ(none.GetPaused(&paused), Result::InvalidHandle);
  EXPECT_EQ(none.SetVolume(1), Result::InvalidHandle);
  EXPECT_EQ(none.GetVolume(&volume), Result::InvalidHandle);
  EXPECT_EQ(none.SetTimelinePosition(0), Result::InvalidHandle);
  EXPECT_EQ(none.GetTimelinePosition(&ms), Result::InvalidHandle);
  EXPECT_EQ(none.GetPlaybackState(&state), Result::InvalidHandle);
  EXPECT_EQ(none.GetParameter("x", &parameter), Result::InvalidHandle);
  EXPECT_EQ(none.Release(), Result::InvalidHandle);
  EXPECT_EQ(parameter.SetValue(1), Result::InvalidHandle);
  audio::EventDescription noDescription;
  EXPECT_EQ(noDescription.LoadSampleData(), Result::InvalidHandle);
  EXPECT_EQ(noDescription.CreateInstance(&none), Result::InvalidHandle);
}

TEST_F(StudioTest, AReleasedInstanceIsInvalidAtOnceAndStaysSo) {
  Open();
  audio::EventInstance first = Make("event:/A");
  ASSERT_EQ(first.Start(), Result::Ok);
  studio->Update();
  EXPECT_EQ(first.Release(), Result::Ok);
  EXPECT_EQ(first.SetVolume(1), Result::InvalidHandle);
  EXPECT_EQ(first.Release(), Result::InvalidHandle);
  studio->Update();
  // Its slot serves the next instance; the old handle does not come back to life.
  audio::EventInstance second = Make("event:/B");
  EXPECT_TRUE(second.IsValid());
  EXPECT_EQ(first.Start(), Result::InvalidHandle);
}

TEST_F(StudioTest, VersionChannelsAndOrderOfCallsAreChecked) {
  audio::Studio* other = nullptr;
  EXPECT_EQ(audio::Studio::Create(&other, 0x00010704), Result::HeaderMismatch);
  EXPECT_EQ(other, nullptr);
  ASSERT_EQ(audio::Studio::Create(&studio, audio::kHeaderVersion), Result::Ok);
  EXPECT_EQ(studio->LoadBankFile("banks/master.bank", 0, nullptr), Result::NotInitialized);
  EXPECT_EQ(studio->Update(), Result::NotInitialized);
  EXPECT_EQ(studio->Initialize(0, 0, 0, nullptr), Result::InvalidArgument);
  EXPECT_EQ(studio->Initialize(512, 0, 0, nullptr), Result::Ok);
  EXPECT_EQ(studio->Initialize(512, 0, 0, nullptr), Result::NotInitialized);
}

TEST_F(StudioTest, VolumesAreClampedAndNaNIsSilence) {
  Open();
  audio::EventInstance a = Make("event:/A");
  float volume = -1;
  a.SetVolume(std::numeric_limits<float>::quiet_NaN());
  a.GetVolume(&volume);
  EXPECT_EQ(volume, 0.0f);
  a.SetVolume(-0.5f);
  a.GetVolume(&volume);
  EXPECT_EQ(volume, 0.0f);
  a.SetVolume(std::numeric_limits<float>::infinity());
  a.GetVolume(&volume);
  EXPECT_EQ(volume, audio::kMaxVolume);
}

TEST_F(StudioTest, BanksThatClashOrAreMissingPiecesAreRefused) {
  Open();
  testing::internal::CaptureStderr();
  EXPECT_EQ(studio->LoadBankFile("banks/events.bank", 0, nullptr), Result::AlreadyLoaded);
  dir.Write("banks/again.bank",
            "vantix-bank 1 events\nevent b\n file \"b.wav\"\n bus \"bus:/T\"\nend\n");
  EXPECT_EQ(studio->LoadBankFile("banks/again.bank", 0, nullptr), Result::MalformedBank);
  EXPECT_EQ(studio->LoadBankFile("banks/none.bank", 0, nullptr), Result::FileNotFound);
  audio::EventDescription description;
  EXPECT_EQ(studio->GetEvent("event:/Lost", &description), Result::EventNotFound);
  EXPECT_EQ(studio->GetEvent("event:/Nothing", &description), Result::EventNotFound);
  EXPECT_FALSE(description.IsValid());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("banks/again.bank: event b is held by another loaded bank already"),
            std::string::npos);
  EXPECT_NE(err.find("banks/none.bank: file not found"), std::string::npos);
  EXPECT_NE(err.find("event:/Lost: plays on \"bus:/Nowhere\", which no loaded master bank defines"),
            std::string::npos);
}

TEST_F(StudioTest, OutnumberedChannelsPlayVirtuallyAndComeBackWhereTheyHaveGot) {
  Open(2);
  ASSERT_EQ(studio->RealVoiceCount(), 2);
  audio::EventInstance a = Make("event:/A"), b = Make("event:/B"), c = Make("event:/C");
  a.SetVolume(1);
  b.SetVolume(0.5f);
  c.SetVolume(0.25f);
  for (audio::EventInstance* i : {&a, &b, &c})
    ASSERT_EQ(i->Start(), Result::Ok);
  Stopwatch started;
  studio->Update();
  EXPECT_FALSE(Virtual(a));
  EXPECT_FALSE(Virtual(b));
  EXPECT_TRUE(Virtual(c));
  Run(0.5);
  int cAt = Timeline(c);
  EXPECT_NEAR(cAt, started.Ms(), 40);
  a.Stop(audio::StopMode::Immediate);
  Stopwatch swappedAt;
  studio->Update();
  int64_t swapped = MixClock(studio);
  EXPECT_FALSE(Virtual(c));
  Run(0.3);
  EXPECT_NEAR(Timeline(c), cAt + swappedAt.Ms(), 40);
  Mix mix = Finish();
  // Tone b (0.25) and tone c (0.125) together, not b alone.
  double expected = std::sqrt(0.25 * 0.25 + 0.125 * 0.125) / std::sqrt(2.0);
  EXPECT_NEAR(mix.Rms(swapped + 1000, swapped + 5000), expected, expected * 0.04);
}

TEST_F(StudioTest, SilentAndPausedChannelsGiveUpTheirSourceAndKeepTheirPlace) {
  Open(1);
  audio::EventInstance a = Make("event:/A"), b = Make("event:/B");
  a.Start();
  b.Start();
  b.SetVolume(0.5f);
  Stopwatch started;
  studio->Update();
  EXPECT_TRUE(Virtual(b));
  a.SetVolume(0);
  studio->Update();
  EXPECT_TRUE(Virtual(a));
  EXPECT_FALSE(Virtual(b));
  b.SetPaused(true);
  studio->Update();
  int pausedAt = Timeline(b);
  Run(0.3);
  EXPECT_EQ(Timeline(b), pausedAt);
  EXPECT_NEAR(Timeline(a), started.Ms(), 40); // silent, yet its timeline runs
  b.SetPaused(false);
  Stopwatch resumed;
  Run(0.2);
  EXPECT_FALSE(Virtual(b));
  EXPECT_NEAR(Timeline(b), pausedAt + resumed.Ms(), 40);
}

TEST_F(StudioTest, AStopFadesOutOverTheEventsFadeTime) {
  Open();
  audio::EventInstance s = Make("event:/Short");
  s.Start();
  Run(0.3);
  s.Stop(audio::StopMode::AllowFadeout);
  audio::PlaybackState state;
  s.GetPlaybackState(&state);
  EXPECT_EQ(state, audio::PlaybackState::Stopping);
  studio->Update();
  int64_t stop = MixClock(studio);
  Run(0.25);
  s.GetPlaybackState(&state);
  EXPECT_EQ(state, audio::PlaybackState::Stopped);
  Mix mix = Finish();
  double before = mix.Rms(stop - 2000, stop - 200);
  double during = mix.Rms(stop + 600, stop + 1100); // 27 to 50 ms into the 100 ms fade
  EXPECT_GT(during, before * 0.2);
  EXPECT_LT(during, before * 0.9);
  EXPECT_EQ(mix.Peak(stop + 3500, stop + 5000), 0.0);
}

TEST_F(StudioTest, EveryChannelBusyRefusesAnotherStart) {
  Open(32, 2);
  audio::EventInstance a = Make("event:/A"), b = Make("event:/B"), c = Make("event:/C");
  EXPECT_EQ(a.Start(), Result::Ok);
  EXPECT_EQ(b.Start(), Result::Ok);
  EXPECT_EQ(c.Start(), Result::NoFreeChannel);
  EXPECT_EQ(a.Start(), Result::Ok); // a restart needs no new channel
}

namespace {
int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++n;
  return n;
}

// Keeps the first share of a file's bytes, as a copy cut short would.
void Cut(const std::filesystem::path& path, double share) {
  auto size = std::filesystem::file_size(path);
  std::filesystem::resize_file(path, static_cast<uintmax_t>(static_cast<double>(size) * share));
}
} // namespace

// A streamed file cut short is found when its sound is loaded, not minutes later when the stream
// gets to the cut: one report naming the file, and the sound is as long as what decodes (the
// looping one loops that part, the other ends there).
TEST_F(StudioTest, StreamsCutShortAreReportedOnceWhenLoadedAndPlayWhatDecodes) {
  // The game's theme (a tone would compress to little more than the Vorbis headers).
  std::filesystem::copy_file(DataFile("Sounds/Tovel/Main_Theme.ogg"), dir.Path() / "banks/cut.ogg");
  WriteTone((dir.Path() / "banks/cut.flac").string(), 441, 2.0, 0.5,
            SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  Cut(dir.Path() / "banks/cut.ogg", 1.0 / 3);
  Cut(dir.Path() / "banks/cut.flac", 0.3);
  Open();
  testing::internal::CaptureStderr();
  audio::EventInstance ogg = Make("event:/CutOgg");
  audio::EventInstance flac = Make("event:/CutFlac");
  ogg.Start();
  flac.Start();
  Run(1.0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Count(err, "\n"), 2) << err;
  EXPECT_EQ(Count(err, "Audio: banks/cut.ogg: the file is cut short: only "), 1) << err;
  EXPECT_NE(err.find("event:/CutOgg loops what decodes"), std::string::npos) << err;
  EXPECT_EQ(Count(err, "Audio: banks/cut.flac: the file ends early: "), 1) << err;
  EXPECT_NE(err.find(" of the 2.00 s its header gives decode"), std::string::npos) << err;
  EXPECT_NE(err.find("event:/CutFlac stops where the decoding stops"), std::string::npos) << err;
  struct Length {
    const char* path;
    int atLeast, below;
  };
  for (Length l : {Length{"event:/CutOgg", 5000, 30000}, Length{"event:/CutFlac", 100, 900}}) {
    audio::EventDescription description;
    studio->GetEvent(l.path, &description);
    int ms = 0;
    EXPECT_EQ(description.GetLength(&ms), Result::Ok);
    EXPECT_GE(ms, l.atLeast) << l.path;
    EXPECT_LT(ms, l.below) << l.path;
  }
  audio::PlaybackState state;
  ogg.GetPlaybackState(&state);
  EXPECT_EQ(state, audio::PlaybackState::Playing);
  flac.GetPlaybackState(&state);
  EXPECT_EQ(state, audio::PlaybackState::Stopped);
}

// A file that checked out when loaded but ends before that length when a stream reaches it (it
// was replaced by a shorter one): reported once, however often the loop comes round, and the
// music goes on looping what there is.
TEST_F(StudioTest, AStreamEndingBeforeItsLengthIsReportedOnceAndLoopsWhatThereIs) {
  WriteTone((dir.Path() / "banks/changed.wav").string(), 441, 1.0, 0.5);
  Open();
  audio::EventInstance changed = Make("event:/Changed");
  WriteTone((dir.Path() / "banks/changed.wav").string(), 441, 0.3, 0.5);
  testing::internal::CaptureStderr();
  changed.Start();
  studio->Update();
  int64_t started = MixClock(studio);
  Run(1.4);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "Audio: banks/changed.wav: decoding stops at 0.30 s of 1.00 s (the file ends "
                 "there); the event event:/Changed loops what decodes\n");
  audio::PlaybackState state;
  changed.GetPlaybackState(&state);
  EXPECT_EQ(state, audio::PlaybackState::Playing);
  EXPECT_LT(Timeline(changed), 300);
  Mix mix = Finish();
  // Heard past the first 0.3 s: the loop came round without a gap.
  EXPECT_GT(mix.Rms(started + 11025, started + 22050), 0.2);
}
