// Every level of the game's data, played through the real scripts with the level checker's
// winning sequence (won in exactly par turns) and with its shortest way of being found.
#include <algorithm>

#include "GameFixture.h"
#include "game/LevelCheck.h"
#include "game/LevelModel.h"
#include "game/Solver.h"

namespace {

class WalkthroughTest : public GameTest {
protected:
  void SetUp() override {
    GameTest::SetUp();
    CopyGameData();
    StartEngine();
  }
  // The checker's solution for the level now loaded, from the engine's own copy of it.
  levels::Solution Solve() {
    levels::LevelModel model;
    levels::ModelFromSpace(*main, main->LevelName, model);
    EXPECT_TRUE(levels::Validate(model).empty()) << main->LevelName;
    return levels::Solve(model);
  }
};

TEST_F(WalkthroughTest, EveryLevelIsWonInExactlyParTurnsAndFoundByWalkingIntoAPatrol) {
  std::vector<levels::ParEntry> pars;
  std::vector<std::string> problems;
  ASSERT_TRUE(levels::ReadPars(".", pars, problems));
  ASSERT_GE(pars.size(), 12u);
  for (const levels::ParEntry& entry : pars) {
    SCOPED_TRACE(entry.file);
    Load(entry.file);
    levels::Solution solution = Solve();
    bool patrols = !main->GetObjectsByName("Patrol").empty();
    ASSERT_TRUE(solution.solved);
    EXPECT_EQ(solution.par, entry.par) << "the stored par differs from the solver's";
    EXPECT_EQ(StateInt("Par"), entry.par) << "the game shows the checker's par";
    EXPECT_EQ(State("Title"), entry.title);
    EXPECT_EQ(StateInt("LevelNum"), entry.number);
    ClearRecords();
    PlaySequence(levels::Sequence(solution.win));
    std::vector<std::string> log = LogLines();
    std::string won = "level won " + entry.file + " turns=" + std::to_string(entry.par);
    EXPECT_NE(std::find(log.begin(), log.end(), won), log.end())
        << "played: " << levels::Sequence(solution.win);
    // The shortest way of being found, and the shortest that ends with the player's own move
    // onto a patrol (found before the patrols step); every level with a patrol has one.
    EXPECT_EQ(solution.walkInReached, patrols);
    for (const std::vector<levels::Action>* found : {&solution.found, &solution.walkIn}) {
      if (found->empty())
        continue;
      Load(entry.file);
      ClearRecords();
      PlaySequence(levels::Sequence(*found));
      log = LogLines();
      std::string line = "level found " + entry.file + " turns=" + std::to_string(found->size());
      EXPECT_NE(std::find(log.begin(), log.end(), line), log.end())
          << "played: " << levels::Sequence(*found);
    }
    if (solution.walkInReached) {
      // The scripts find the player on that last move itself: no patrol steps after it.
      Load(entry.file);
      std::vector<levels::Action> before(solution.walkIn.begin(), solution.walkIn.end() - 1);
      PlaySequence(levels::Sequence(before));
      ClearRecords();
      PlaySequence(levels::Sequence({solution.walkIn.back()}));
      std::vector<std::string> sounds = Sounds();
      EXPECT_NE(std::find(sounds.begin(), sounds.end(), "PlaySound:death"), sounds.end());
      EXPECT_EQ(std::find(sounds.begin(), sounds.end(), "PlaySound:enemymove"), sounds.end())
          << "walking into a patrol is found before the patrols move";
    }
  }
}

} // namespace
