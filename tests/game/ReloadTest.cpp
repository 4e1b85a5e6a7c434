// Hot reload of the game's scripts in the middle of a level: the reloaded copy takes up the level
// again, and its handlers run once per event, not once for each time the script was loaded.
#include <chrono>
#include <filesystem>

#include "GameFixture.h"

namespace {

namespace fs = std::filesystem;

class ReloadTest : public GameTest {
protected:
  // Moves a script's time forward, as saving it in an editor would, and lets the engine find it.
  int Reload(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      fs::path file = dir.Path() / "Scripts" / (std::string(name) + ".lua");
      fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(++edits));
    }
    int reloaded = lua->CheckScripts();
    Frames(2);
    return reloaded;
  }
  int edits = 0;
};

// p-q-r is a patrol's beat of its own, out of the player's way.
const char* kLevel = "level 1\ncredits 0\ngrid\nS-a-b-c-E\n\np-q-r\nend\n"
                     "node S start\nnode E end\npatrol p right\n";

TEST_F(ReloadTest, APieceReloadedMidLevelTakesOneActionPerPressAndOneStepPerTurn) {
  LoadSource(kLevel);
  Play("right");
  ASSERT_EQ(PlayerNodeId(), NodeId('a'));
  ASSERT_EQ(PatrolNode(0), NodeId('q'));

  EXPECT_EQ(Reload({"PlayerScript", "PatrolScript"}), 2);
  Play("right");
  EXPECT_EQ(PlayerNodeId(), NodeId('b')) << "one press moves once";
  EXPECT_TRUE(PlayerAt('b'));
  EXPECT_EQ(StateInt("Turn"), 2);
  EXPECT_EQ(PatrolNode(0), NodeId('r'));

  // A second reload does not add up either.
  EXPECT_EQ(Reload({"PlayerScript"}), 1);
  Play("left");
  EXPECT_EQ(PlayerNodeId(), NodeId('a'));
  EXPECT_EQ(StateInt("Turn"), 3);
  EXPECT_EQ(PatrolNode(0), NodeId('q'));
  EXPECT_TRUE(Errors().empty()) << Errors().front();
}

TEST_F(ReloadTest, ReloadingTheTurnControllerStartsTheLevelAgainAndItPlaysOnce) {
  LoadSource(kLevel);
  Play("right");
  ClearRecords();
  EXPECT_EQ(Reload({"TurnController"}), 1);
  RunUntilIdle();
  EXPECT_EQ(CountPrinted("level start Level01.level"), 1);
  EXPECT_EQ(StateInt("Turn"), 0);
  Play("right");
  EXPECT_EQ(PlayerNodeId(), NodeId('a'));
  EXPECT_EQ(StateInt("Turn"), 1);
}

TEST_F(ReloadTest, AReloadedHudOpensThePauseScreenOncePerEscape) {
  CopyGameData();
  LoadSource(kLevel);
  Frames(2);
  EXPECT_EQ(Reload({"Hud"}), 1);
  Tap(SDLK_ESCAPE);
  Frames(2);
  EXPECT_TRUE(engine->paused && engine->GetBufferSpace()->m_Active);
  Tap(SDLK_ESCAPE);
  Frames(2);
  EXPECT_FALSE(engine->paused);
}

} // namespace
