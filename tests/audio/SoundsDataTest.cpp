// Loading the game's sound data: the shipped banks without a single report, and damaged or
// missing banks and sound files reported (the layer's line naming the file, and the failed
// calls' "FMOD error!" lines) while everything else plays on.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/SoundsFixture.h"

namespace fs = std::filesystem;

namespace {
int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++n;
  return n;
}

struct Output {
  std::string out;
  std::string err;
};
} // namespace

class SoundsDataTest : public SoundsTest {
protected:
  void Damage(const std::string& relative, const std::string& content) {
    folder.Write("Sounds/Tovel/" + relative, content);
  }
  void Remove(const std::string& relative) {
    fs::remove(folder.Path() / "Sounds/Tovel" / relative);
  }
  // Starts the system, runs a few frames and plays everything, keeping what it printed.
  Output StartAndPlay() {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Start();
    Run(0.1);
    for (const char* name : {"ping", "death", "playermove", "link", "enemymove", "unlink",
                             "hudclose", "hudbloop", "levelvictory", "cantping"})
      sounds.PlaySound(name);
    sounds.SiphonSoundCall();
    Run(0.2);
    std::fflush(stdout);
    std::fflush(stderr);
    Output output{testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
    return output;
  }
  bool Plays(const char* name) { return State(name) == audio::PlaybackState::Playing; }
};

TEST_F(SoundsDataTest, TheGameDataLoadsAndPlaysWithoutAReport) {
  Output output = StartAndPlay();
  EXPECT_EQ(output.out, "");
  EXPECT_EQ(output.err, "");
  EXPECT_EQ(sounds.LastResult(), 0);
  for (const char* name : {"theme", "death", "levelvictory", "siphon"})
    EXPECT_TRUE(Plays(name)) << name;
}

TEST_F(SoundsDataTest, AMalformedBankIsReportedAndItsEventsStaySilent) {
  Damage("Sound_Effects.bank", "vantix-bank 1 events\nevent ping\n  file \"Ping.ogg\n");
  Output output = StartAndPlay();
  EXPECT_EQ(Count(output.out, "FMOD error! (2) \n"), 1);
  // The ten effects resolved at start-up, then the gauge on its call.
  EXPECT_EQ(Count(output.out, "FMOD error! (3) \n"), 11);
  EXPECT_NE(output.err.find("Sounds/Tovel/Sound_Effects.bank: line 3: a quoted name is not closed "
                            "(its events cannot be played)"),
            std::string::npos)
      << output.err;
  EXPECT_FALSE(sounds.InstanceOf("ping").IsValid());
  EXPECT_TRUE(Plays("theme"));
}

// Each damaged bank is one line: the file, what is wrong with it, what that costs; never the
// same words twice.
TEST_F(SoundsDataTest, BankReportsNameTheFileAndTheProblemOnce) {
  struct Case {
    const char* bank;
    std::string content;
    const char* line;
  } cases[] = {
      {"Master Bank.bank", "",
       "Audio: Sounds/Tovel/Master Bank.bank: not a bank: the \"vantix-bank 1 <kind>\" line is "
       "missing (its events cannot be played)\n"},
      {"Music.bank", "\x01\x02garbage",
       "Audio: Sounds/Tovel/Music.bank: not a bank: line 1: a control character outside a quoted "
       "name (its events cannot be played)\n"},
      {"Sound_Effects.bank", "vantix-bank 1 events\nevent ping\n  file \"Ping.ogg\"\n",
       "Audio: Sounds/Tovel/Sound_Effects.bank: the file ends inside event ping, before its "
       "\"end\" (its events cannot be played)\n"},
  };
  for (const Case& c : cases) {
    std::string original = folder.Read(std::string("Sounds/Tovel/") + c.bank);
    Damage(c.bank, c.content);
    Output output = StartAndPlay();
    Damage(c.bank, original);
    sounds.Shutdown();
    EXPECT_EQ(Count(output.err, c.line), 1) << output.err;
    EXPECT_EQ(Count(output.err, c.bank), 1) << output.err;
  }
}

TEST_F(SoundsDataTest, AMissingBankIsReportedAndTheOthersStillLoad) {
  Remove("Music.bank");
  Output output = StartAndPlay();
  EXPECT_EQ(output.out, "FMOD error! (1) \nFMOD error! (3) \n");
  EXPECT_NE(output.err.find("Sounds/Tovel/Music.bank: file not found"), std::string::npos);
  EXPECT_NE(output.err.find("event:/Music/Main_Theme"), std::string::npos);
  EXPECT_FALSE(sounds.InstanceOf("theme").IsValid());
  EXPECT_TRUE(Plays("levelvictory"));
}

TEST_F(SoundsDataTest, AnUnknownEventPathIsReportedOnce) {
  std::string strings = folder.Read("Sounds/Tovel/Master Bank.strings.bank");
  size_t line = strings.find("path \"event:/SFX/cantping\"");
  ASSERT_NE(line, std::string::npos);
  strings.erase(line, strings.find('\n', line) - line + 1);
  Damage("Master Bank.strings.bank", strings);
  Output output = StartAndPlay();
  EXPECT_EQ(output.out, "FMOD error! (3) \n");
  EXPECT_EQ(output.err, "Audio: event:/SFX/cantping: no loaded strings bank names this event\n");
  EXPECT_TRUE(Plays("ping"));
}

TEST_F(SoundsDataTest, ADamagedSoundFileIsReportedOnceAndOnlyItsSoundIsSilent) {
  Damage("Ping.ogg", "OggS but not really a sound file at all");
  Remove("Link.ogg");
  Output output = StartAndPlay();
  EXPECT_EQ(output.out, "");
  EXPECT_EQ(Count(output.err, "\n"), 2) << output.err;
  EXPECT_NE(output.err.find("Audio: Sounds/Tovel/Ping.ogg: the file cannot be decoded: "),
            std::string::npos);
  EXPECT_NE(output.err.find("Audio: Sounds/Tovel/Link.ogg: file not found"), std::string::npos);
  EXPECT_FALSE(Plays("ping"));
  EXPECT_FALSE(Plays("link"));
  EXPECT_TRUE(Plays("unlink"));
  // Playing them again reports nothing more.
  testing::internal::CaptureStderr();
  sounds.PlaySound("ping");
  sounds.PlaySound("link");
  Update();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(SoundsDataTest, ADamagedThemeIsReportedAndTheEffectsPlayOn) {
  std::string theme = folder.Read("Sounds/Tovel/Main_Theme.ogg");
  Damage("Main_Theme.ogg", theme.substr(0, 200));
  Output output = StartAndPlay();
  EXPECT_NE(output.err.find("Sounds/Tovel/Main_Theme.ogg"), std::string::npos) << output.err;
  EXPECT_TRUE(Plays("death"));
}

// Without any output device the game runs silently: one report at start-up, none after, and
// the timelines (the siphon's time-out among them) still advance.
TEST(SoundsNoDeviceTest, WithoutADeviceTheSystemRunsSilentlyReportingOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::unsetenv("ALSOFT_CONF");
        ::setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
        SoundsFolder folder;
        Sounds sounds;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        sounds.Initialize();
        bool hasDevice = sounds.StudioSystem()->HasDevice();
        sounds.SiphonSoundCall();
        sounds.PlaySound("death");
        Pump(1.2, [&] { sounds.Update(0.016f, nullptr); });
        bool stopped = !sounds.SiphonPlaying();
        sounds.Shutdown();
        std::fflush(stdout);
        std::fflush(stderr);
        std::string out = testing::internal::GetCapturedStdout();
        std::string err = testing::internal::GetCapturedStderr();
        bool reportedOnce =
            out == "FMOD error! (5) \n" &&
            err == "Audio: sound output: no device could be opened; the game runs silent\n";
        std::fprintf(stderr, "out: [%s] err: [%s] device: %d siphon stopped: %d\n", out.c_str(),
                     err.c_str(), hasDevice, stopped);
        std::exit(!hasDevice && stopped && reportedOnce ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
