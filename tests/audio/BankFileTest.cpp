// The bank reader: the game's own banks read as written, and each kind of malformed bank
// refused with the line and the problem named.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Audio/BankFile.h"
#include "support/TestSupport.h"

namespace {
std::string ReadData(const std::string& relative) {
  std::ifstream in(DataFile(relative), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Problem(const std::string& text) {
  audio::BankSpec bank;
  std::string problem;
  return audio::ReadBank(text, bank, problem) ? "read" : problem;
}
} // namespace

TEST(BankFileTest, TheGameBanksHoldTheirEventsAndParameters) {
  audio::BankSpec bank;
  std::string problem;
  ASSERT_TRUE(audio::ReadBank(ReadData("Sounds/Tovel/Music.bank"), bank, problem)) << problem;
  ASSERT_EQ(bank.events.size(), 1u);
  const audio::EventSpec& theme = bank.events[0];
  EXPECT_EQ(theme.file, "Main_Theme.ogg");
  EXPECT_TRUE(theme.loop && theme.stream);
  ASSERT_EQ(theme.parameters.size(), 1u);
  EXPECT_EQ(theme.parameters[0].name, "LoopPoint1");
  EXPECT_EQ(theme.parameters[0].effect, audio::ParameterEffect::LoopStart);

  ASSERT_TRUE(audio::ReadBank(ReadData("Sounds/Tovel/Sound_Effects.bank"), bank, problem));
  EXPECT_EQ(bank.events.size(), 11u);
  const audio::EventSpec& gauge = bank.events.back();
  EXPECT_EQ(gauge.id, "gauge_fill");
  ASSERT_EQ(gauge.parameters.size(), 1u);
  EXPECT_EQ(gauge.parameters[0].name, "Parameter 1");
  EXPECT_EQ(gauge.parameters[0].effect, audio::ParameterEffect::Pitch);
  EXPECT_FLOAT_EQ(gauge.parameters[0].maximum, 10);

  ASSERT_TRUE(audio::ReadBank(ReadData("Sounds/Tovel/Master Bank.strings.bank"), bank, problem));
  EXPECT_EQ(bank.paths.size(), 12u);
  ASSERT_TRUE(audio::ReadBank(ReadData("Sounds/Tovel/Master Bank.bank"), bank, problem));
  EXPECT_EQ(bank.kind, audio::BankKind::Master);
  EXPECT_EQ(bank.buses.size(), 3u);
}

TEST(BankFileTest, MalformedBanksNameTheLineAndTheProblem) {
  const std::string events = "vantix-bank 1 events\n";
  const std::string open = events + "event e\n file \"e.ogg\"\n bus \"bus:/\"\n";
  struct Case {
    std::string text;
    std::string problem;
  } cases[] = {
      {"", "not a bank: the \"vantix-bank 1 <kind>\" line is missing"},
      {"RIFF\x01\x02", "not a bank: line 1: a control character outside a quoted name"},
      {"vantix-bank 2 events", "not a bank: line 1: the format version 2 is outside 1..1"},
      {"vantix-bank 1 sounds",
       "not a bank: line 1: unknown bank kind \"sounds\" (master, strings or events)"},
      {"vantix-bank 1 master\nbus \"SFX\" volume 1", "line 2: a bus path starts with \"bus:/\""},
      {"vantix-bank 1 master\nbus \"bus:/\" volume 9", "line 2: volume 9 is outside 0..4"},
      {"vantix-bank 1 master\nbus \"bus:/\" volume 1\nbus \"bus:/\" volume 1",
       "line 3: bus \"bus:/\" defined twice"},
      {"vantix-bank 1 strings\npath \"event:/A\"", "line 2: an event id expected (a plain word)"},
      {"vantix-bank 1 strings\npath \"event:/A", "line 2: a quoted name is not closed"},
      {events + "event e\n file \"e.ogg\"\n", "the file ends inside event e, before its \"end\""},
      {open + "end\nevent e\n", "line 6: event e defined twice"},
      {open + " volume -1\n", "line 5: volume -1 is outside 0..4"},
      {open + " volume 1e999\n", "line 5: \"1e999\" is not a number (volume)"},
      {open + " loop yes\n", "line 5: true or false expected for loop"},
      {open + " bus \"bus:/\"\n", "line 5: \"bus\" given twice in one event"},
      {open + " colour red\n", "line 5: unknown event setting \"colour\""},
      {events + "event e\n bus \"bus:/\"\nend\n", "line 4: event e has no sound file"},
      {open + " parameter \"P\" min 0 max 1\nend\n",
       "line 5: the parameter controls nothing (pitch, volume or loop-start expected)"},
      {open + " parameter \"P\" min 1 max 1 pitch 1 2\nend\n", "line 5: min must be below max"},
      {open + " parameter \"P\" min 0 max 1 default 2 pitch 1 2\nend\n",
       "line 5: default lies outside min..max"},
      {open + " parameter \"P\" pitch 1 2 volume 0 1\nend\n",
       "line 5: a parameter controls one thing only"},
      {open + " parameter \"P\" loop-start\nend\n",
       "line 6: event e: a loop-start parameter needs a looping, streamed event"},
      {open + " parameter \"P\" pitch 1 2\n parameter \"P\" pitch 1 2\n",
       "line 6: parameter \"P\" given twice in one event"},
      {std::string(audio::kMaxBankBytes + 1, ' '), "the file is larger than 1048576 bytes"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Problem(c.text), c.problem) << c.text.substr(0, 200);
}

TEST(BankFileTest, CommentsBlankLinesAndSpacedNamesAreRead) {
  audio::BankSpec bank;
  std::string problem;
  ASSERT_TRUE(audio::ReadBank("# a bank\r\n\n  vantix-bank 1 strings # kind\r\n"
                              "path \"event:/A b/C#1\" id-1 # a comment\n",
                              bank, problem))
      << problem;
  ASSERT_EQ(bank.paths.size(), 1u);
  EXPECT_EQ(bank.paths[0].path, "event:/A b/C#1");
  EXPECT_EQ(bank.paths[0].id, "id-1");
}
