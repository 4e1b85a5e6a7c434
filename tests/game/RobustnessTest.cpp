// The game never breaks on its own data or timing: input during an animation is queued one
// action deep, moves are eased, a restart or a shutdown in the middle of an animation leaves
// no script behind, a paused game ignores input, and a broken level is reported and skipped.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "GameFixture.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

float PlayerX(Space* space) {
  return space->GetObjectByName("Player")->Get<Transform>("Transform")->translation_.x_;
}

class RobustnessTest : public GameTest {};

TEST_F(RobustnessTest, InputDuringAMoveIsQueuedOneActionDeepAndTheMoveIsEased) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-b-c-E\nend\nnode S start\nnode E end\n");
  float start = PlayerX(main);
  Tap(SDLK_RIGHT);
  Frames(3);
  float along = PlayerX(main);
  EXPECT_GT(along, start);
  EXPECT_LT(along, start + 2.0f) << "the move is animated, not instant";
  EXPECT_EQ(PlayerNodeId(), NodeId('a')) << "the turn's state is complete at once";
  Tap(SDLK_RIGHT); // queued
  Tap(SDLK_RIGHT); // one action deep: dropped
  RunUntilIdle();
  RunUntilIdle();
  EXPECT_EQ(PlayerNodeId(), NodeId('b'));
  EXPECT_TRUE(PlayerAt('b'));
  EXPECT_EQ(StateInt("Turn"), 2);
}

TEST_F(RobustnessTest, ARestartDuringAnAnimationLeavesNoScriptOfTheOldLevelRunning) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-b-c-E\nend\nnode S start\nnode E end\n"
             "patrol c left\n");
  size_t scripts = LuaComponent::LiveCount();
  testing::internal::CaptureStdout();
  Tap(SDLK_RIGHT);
  Frames(3);
  Tap(SDLK_r);
  Frames(10);
  Tap(SDLK_RIGHT); // into the patrol step animation this time
  Frames(16);
  Tap(SDLK_r);
  Frames(30);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.find("Error"), std::string::npos) << out;
  EXPECT_EQ(CountPrinted("level start Level01.level"), 2);
  EXPECT_EQ(LuaComponent::LiveCount(), scripts) << "the old level's scripts are gone";
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
  EXPECT_EQ(StateInt("Turn"), 0);
}

TEST_F(RobustnessTest, ALevelChangeDuringAnAnimationLeavesNoScriptOfTheOldLevelRunning) {
  MakeLevels({{"level01.txt", "level 1\ncredits 0\ngrid\nS-a-b-c-E\nend\nnode S start\n"
                              "node E end\npatrol c left\n"},
              {"level02.txt", "level 2\ncredits 0\ngrid\nS-E\nend\nnode S start\nnode E end\n"}});
  StartEngine();
  Load("Level02.level");
  Frames(2);
  size_t scripts = LuaComponent::LiveCount();
  for (int frames : {3, 16}) { // the player's move, then the patrol's step
    Load("Level01.level");
    Frames(2);
    ClearRecords();
    testing::internal::CaptureStdout();
    Tap(SDLK_RIGHT);
    Frames(frames);
    EXPECT_EQ(State("Phase"), "busy");
    Eval("ctl.Space:ChangeLevel('Level02.level')");
    Frames(30);
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    EXPECT_EQ(LevelName(), "Level02.level");
    EXPECT_EQ(CountPrinted("level start Level02.level"), 1);
    EXPECT_EQ(LuaComponent::LiveCount(), scripts) << "the old level's scripts are gone";
  }
}

TEST_F(RobustnessTest, TheEngineShutsDownCleanlyInTheMiddleOfATurn) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-b-E\nend\nnode S start\nnode E end\npatrol b left\n");
  Tap(SDLK_RIGHT);
  Frames(2);
  KeyDown(SDLK_SPACE); // a siphon gauge running too
  Frame();
  StopEngine();
  SUCCEED();
}

TEST_F(RobustnessTest, WhilePausedTheLevelIgnoresInput) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-E\nend\nnode S start\nnode E end\n");
  ASSERT_EQ(luaL_dostring(L, "Engine.Paused = true"), 0);
  Frame();
  Tap(SDLK_RIGHT);
  Frames(30);
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
  ASSERT_EQ(luaL_dostring(L, "Engine.Paused = false"), 0);
  Frame();
  Play("right");
  EXPECT_EQ(PlayerNodeId(), NodeId('a'));
}

// A broken copy of a good level: `edit` rewrites the text of "Node Levels/Level01.level".
class BrokenLevelTest : public GameTest {
protected:
  void Break(const std::string& pattern, const std::string& replacement,
             const std::string& level01 = "level 1\ncredits 0\ngrid\nS-a-E\nend\nnode S start\n"
                                          "node E end\n") {
    MakeLevels({{"level01.txt", level01},
                {"level02.txt", "level 2\ncredits 0\ngrid\nS-E\nend\nnode S start\nnode E end\n"}});
    std::string text = dir.Read("Node Levels/Level01.level");
    std::string broken = std::regex_replace(text, std::regex(pattern), replacement,
                                            std::regex_constants::format_first_only);
    ASSERT_NE(broken, text) << pattern;
    dir.Write("Node Levels/Level01.level", broken);
  }
  // The checker refuses the level with this problem...
  void ExpectChecker(const std::string& problem) {
    std::string output;
    EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 1);
    EXPECT_NE(output.find("Level01.level: " + problem), std::string::npos) << output;
  }
  // ...and the scripts report it and skip to the next level.
  void ExpectSkipped(const std::string& problem) {
    StartEngine();
    testing::internal::CaptureStdout();
    Load("Level01.level");
    Frames(3);
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Error: Scripts/"), std::string::npos) << "no script failed: " << out;
    std::vector<std::string> printed = Printed();
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed[0].rfind("Error: Level01.level <-----> ", 0), 0u) << printed[0];
    EXPECT_NE(printed[0].find(problem), std::string::npos) << printed[0];
    EXPECT_TRUE(Contains(printed, "level start Level02.level"));
    EXPECT_EQ(LevelName(), "Level02.level");
  }
};

TEST_F(BrokenLevelTest, ALinkToAnObjectThatIsNotANode) {
  Break("RightID int 11", "RightID int 2"); // the camera
  ExpectChecker("node 10 links right to object 2, which is not a node");
  ExpectSkipped("to an object that is not a node");
}

TEST_F(BrokenLevelTest, AOneSidedLink) {
  Break("LeftID int 10", "LeftID int -1");
  ExpectChecker("node 10 links right to node 11, but that node's left link is -1");
  ExpectSkipped("which does not link back");
}

TEST_F(BrokenLevelTest, NoPlayer) {
  Break("Component Player\\s*\\{[^}]*\\}", "");
  ExpectChecker("no object has a Player component");
  ExpectSkipped("exactly one Player");
}

TEST_F(BrokenLevelTest, NoEndNode) {
  Break("EndNode bool true", "EndNode bool false");
  ExpectChecker("no node is an end node");
  ExpectSkipped("no node is an end node");
}

// The game still plays these; the checker points them out to the designer.
TEST_F(BrokenLevelTest, ANodeOutsideTheMiddleOfTheCameraWhereTheHudMayCoverIt) {
  Break("width_ float [0-9.]+", "width_ float 4.000000");
  ExpectChecker("node 10 at (-2, 0) is not inside the middle of the Camera's view (x -1.4 to 1.4");
}

TEST_F(BrokenLevelTest, ACameraWhoseViewHasNoArea) {
  Break("height_ float [0-9.]+", "height_ float 0.000000");
  ExpectChecker("the camera's view of ");
}

TEST_F(BrokenLevelTest, ALinkToAnIdNoObjectHas) {
  Break("RightID int 11", "RightID int 77");
  ExpectChecker("node 10 links right to id 77, which no object has");
  ExpectSkipped("node 10 links right to id 77, which no object has");
}

TEST_F(BrokenLevelTest, ALinkToAnIdNoObjectHasWithNothingLinkingBack) {
  Break("UpID int -1", "UpID int 77"); // read by the accessor as no link
  ExpectChecker("node 10 links up to id 77, which no object has");
  ExpectSkipped("node 10 links up to id 77, which no object has");
}

TEST_F(BrokenLevelTest, AStartNodeThatIsNotPlain) {
  Break("EncryptionLayers int 0", "EncryptionLayers int 2");
  ExpectChecker("the player's start node 10 is not a plain node");
}

TEST_F(BrokenLevelTest, AFirewallWithoutKeyType) {
  Break("FireWallProtected bool false\\s*FireWallID int -1",
        "FireWallProtected bool true\n          FireWallID int 1");
  ExpectChecker("node 10 is firewalled but its KeyType is 0");
}

TEST_F(BrokenLevelTest, LinkEndsThatDisagreeOnTheLinkState) {
  Break("RightLinked bool true", "RightLinked bool false");
  ExpectChecker("the link between node 10 and node 11 is open at one end and closed at the other");
}

TEST_F(BrokenLevelTest, TwoNodesSharingOneFirewall) {
  // Break the second firewalled node's FireWallID into the first's.
  Break("(FireWallID int )(\\d+)([^]*FireWallID int )\\d+", "$1$2$3$2",
        "level 1\ncredits 0\ngrid\nS-k-a-b-E\nend\nnode S start\nnode k key=1\n"
        "node a firewall=1\nnode b firewall=1\nnode E end\n");
  ExpectChecker("node 13 and node 12 share the firewall 102; each firewalled node has its own");
}

// The reader drops a component of a type it does not know, so node 10 is left without one.
TEST_F(BrokenLevelTest, ANodeWithoutATransform) {
  Break("(m_Self int 10[^]*?Component) Transform", "$1 Transfrom");
  ExpectChecker("node 10 has no Transform");
  ExpectSkipped("node 10 has no Transform");
}

// The checker refuses what the game would: pieces without the scripts that play them.
TEST_F(BrokenLevelTest, ANodeWithoutItsScript) {
  Break("Component LuaComponent\\s*\\{\\s*m_Name std::string \"NodeScript\"\\s*\\}", "");
  ExpectChecker("node 10 has no NodeScript");
  ExpectSkipped("node 10 has no NodeScript");
}

TEST_F(BrokenLevelTest, APlayerWithoutItsScript) {
  Break("Component LuaComponent\\s*\\{\\s*m_Name std::string \"PlayerScript\"\\s*\\}", "");
  ExpectChecker("the player has no PlayerScript");
  ExpectSkipped("the player has no PlayerScript");
}

TEST_F(BrokenLevelTest, APatrolWithoutATransform) {
  Break("(Component Patrol[^]*?Component) Transform", "$1 Transfrom",
        "level 1\ncredits 0\ngrid\nS-a-E\nend\nnode S start\nnode E end\npatrol a left\n");
  ExpectSkipped("a patrol has no Transform");
}

TEST_F(BrokenLevelTest, AMalformedFile) {
  Break("m_Self int 10[\\s\\S]*", "m_Self int 10\n      m_Name std::string \"Node");
  ExpectChecker("the level reader reported");
}

// The pieces of a level are what their components make them, whatever a designer named them:
// the checker proves such a level and the game plays it, its node ids read from the file even
// through names with braces in them.
TEST_F(GameTest, PiecesNamedByTheDesignerAreCheckedAndPlayed) {
  lastSource = "level 1\ncredits 0\ngrid\nS-a-E\n|\nb-c\nend\nnode S start\nnode E end\n"
               "patrol c left\n";
  MakeLevels({{"level01.txt", lastSource}});
  std::string text = dir.Read("Node Levels/Level01.level");
  for (const auto& [from, to] :
       std::vector<std::pair<std::string, std::string>>{{"Node", "Relay {"},
                                                        {"Player", "Probe"},
                                                        {"Patrol", "Guard}"},
                                                        {"TurnController", "Rules"}})
    text = std::regex_replace(
        text,
        std::regex("(m_ArchetypeName std::string \"[^\"]*\"\\s*m_Name std::string \")" + from +
                   "\""),
        "$1" + to + "\"");
  ASSERT_EQ(text.find("m_Name std::string \"Node\""), std::string::npos);
  ASSERT_EQ(text.find("m_Name std::string \"Patrol\""), std::string::npos);
  ASSERT_NE(text.find("m_Name std::string \"Rules\""), std::string::npos);
  dir.Write("Node Levels/Level01.level", text);

  std::string output;
  EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 0) << output;
  EXPECT_NE(output.find("Level01.level: level 1, par 2"), std::string::npos) << output;

  StartEngine();
  Load("Level01.level");
  Frames(3);
  Play("right");
  EXPECT_EQ(PlayerNodeId(), NodeId('a'));
  EXPECT_EQ(PatrolNode(0), NodeId('b')) << "the patrol named Guard} steps";
  Play("right");
  EXPECT_TRUE(Contains(LogLines(), "level won Level01.level turns=2"));
  EXPECT_TRUE(Errors().empty()) << Errors().front();
}

TEST_F(GameTest, TheCheckerRefusesAnUnwinnableLevelAndAParThatDiffersFromItsSolution) {
  MakeLevels({{"level01.txt", "level 1\ncredits 0\ngrid\nS-a-E\nend\nnode S start\nnode E end\n"},
              {"level02.txt", "level 2\ncredits 0\ngrid\nS=E\nend\nnode S start\nnode E end\n"}});
  std::string output;
  EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 1);
  EXPECT_NE(output.find("Level02.level: cannot be won"), std::string::npos) << output;
  EXPECT_NE(output.find("Level01.level: level 1, par 2"), std::string::npos) << output;
  EXPECT_NE(output.find("Level01.level: win: right right"), std::string::npos) << output;

  std::string pars = dir.Read("Node Levels/Pars.txt");
  dir.Write("Node Levels/Pars.txt",
            std::regex_replace(pars, std::regex("Level01.level 2"), "Level01.level 5"));
  EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 1);
  EXPECT_NE(output.find("gives Level01.level the par 5, the checker finds 2"), std::string::npos)
      << output;
}

// The game takes any KeyType but 0 as a key type; so does the checker, without reading past its
// key list. The generator's sources take key types from 1.
TEST_F(GameTest, TheCheckerTakesAnyKeyTypeAndTheGeneratorRefusesOnesBelowOne) {
  MakeLevels({{"level01.txt", "level 1\ncredits 0\ngrid\nS-k-w-E\nend\nnode S start\n"
                              "node k key=2\nnode w firewall=2\nnode E end\n"}});
  std::string text = dir.Read("Node Levels/Level01.level");
  std::string negative = std::regex_replace(text, std::regex("KeyType int 2"), "KeyType int -3");
  ASSERT_NE(negative, text);
  dir.Write("Node Levels/Level01.level", negative);
  std::string output;
  EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 0) << output;
  EXPECT_NE(output.find("Level01.level: level 1, par 3"), std::string::npos) << output;

  output = MakeLevels({{"level01.txt", "level 1\ncredits 0\ngrid\nS-k-E\nend\nnode S start\n"
                                       "node k key=-1\nnode E end\n"}});
  EXPECT_NE(output.find("'key=-1': a key type is a number from 1"), std::string::npos) << output;
}

// Problems of the pars file itself count in the checker's summary, as the levels' do.
TEST_F(GameTest, TheCheckersSummaryCountsTheProblemsOfThePars) {
  MakeLevels({{"level01.txt", "level 1\ncredits 0\ngrid\nS-E\nend\nnode S start\nnode E end\n"}});
  dir.Write("Node Levels/Pars.txt", dir.Read("Node Levels/Pars.txt") + "garbage line\n");
  std::string output;
  EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 1);
  EXPECT_NE(output.find("playable: 1 problem\n"), std::string::npos) << output;
  EXPECT_LT(output.find("Node Levels/Pars.txt:"), output.find("playable: 1 problem")) << output;
  std::filesystem::remove(dir.Path() / "Node Levels" / "Pars.txt");
  EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 1);
  EXPECT_NE(output.find("Node Levels/Pars.txt: cannot be read\nchecked"), std::string::npos)
      << output;
}

// A screen (no player, no nodes) is not solved, but one the game cannot read whole is a problem.
TEST_F(GameTest, TheCheckerCountsAScreenThatIsNotReadWhole) {
  MakeLevels({{"level01.txt", "level 1\ncredits 0\ngrid\nS-E\nend\nnode S start\nnode E end\n"}});
  std::string output;
  ASSERT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 0) << output;
  dir.Write("Node Levels/Menu.level", "Space\n{\n  m_Active bool true\n  Objects\n  {\n");
  EXPECT_EQ(RunProgram(std::string("\"") + VANTIX_CHECK_LEVELS + "\" .", output), 1);
  EXPECT_NE(output.find("Menu.level: not a playable level\nMenu.level: the level reader reported 1 "
                        "problem(s) in the file's text\n"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("1 playable: 1 problem\n"), std::string::npos) << output;
}
} // namespace
