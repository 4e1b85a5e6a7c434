// The rules of a turn, one group per rule, played through the real scripts with real input:
// moves, encryption, siphoning, pinging, linking, keys and firewalls, patrol movement, the
// order inside a turn, being found and restarting.
#include <algorithm>
#include <cmath>
#include <regex>

#include "GameFixture.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class RulesTest : public GameTest {};

TEST_F(RulesTest, AMoveFollowsAnOpenLinkAndCostsTheTurnARefusedMoveCostsNothing) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a=b-E\nend\nnode S start\nnode E end\n");
  Play("right");
  EXPECT_EQ(PlayerNodeId(), NodeId('a'));
  EXPECT_TRUE(PlayerAt('a'));
  EXPECT_EQ(StateInt("Turn"), 1);
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:playermove"));

  ClearRecords();
  Play("right"); // the link to b is closed
  EXPECT_EQ(PlayerNodeId(), NodeId('a'));
  EXPECT_EQ(StateInt("Turn"), 1);
  EXPECT_EQ(State("Refusal"), "That link is closed.");
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:cantping"));

  Play("up"); // no link at all
  EXPECT_EQ(State("Refusal"), "There is no link that way.");
  EXPECT_EQ(StateInt("Turn"), 1);

  Play("left");
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
  EXPECT_EQ(StateInt("Turn"), 2);
  EXPECT_EQ(State("Refusal"), "");
}

TEST_F(RulesTest, EncryptionCostsOneCreditPerLayerPaidOnceAndIsRefusedWhenCreditsAreShort) {
  LoadSource("level 1\ncredits 1\ngrid\nc-S-x-d-E\nend\nnode S start\nnode c credits=2\n"
             "node x layers=2\nnode E end\n");
  Play("right"); // 1 credit, 2 layers
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
  EXPECT_EQ(PlayerCredits(), 1);
  EXPECT_EQ(NodeOf('x')->EncryptionLayers, 2);
  EXPECT_EQ(State("Refusal"), "Not enough credits: entering costs 2.");
  EXPECT_EQ(StateInt("Turn"), 0);

  PlaySequence("left siphon right right");
  EXPECT_EQ(PlayerNodeId(), NodeId('x'));
  EXPECT_EQ(PlayerCredits(), 1);
  EXPECT_EQ(NodeOf('x')->EncryptionLayers, 0);
  PlaySequence("right left");
  EXPECT_EQ(PlayerNodeId(), NodeId('x'));
  EXPECT_EQ(PlayerCredits(), 1) << "the layers are paid once";
  EXPECT_EQ(StateInt("Turn"), 6);
}

TEST_F(RulesTest, SiphonTakesAllCreditsAfterASecondsHoldReleasingEarlyCancels) {
  LoadSource("level 1\ncredits 0\ngrid\nS-c-E\nend\nnode S start\nnode c credits=3\nnode E end\n");
  KeyDown(SDLK_SPACE); // nothing to siphon on the start node
  Frame();
  KeyUp(SDLK_SPACE);
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:cantping"));
  EXPECT_FALSE(Contains(Sounds(), "SiphonSoundCall"));

  Play("right");
  ClearRecords();
  KeyDown(SDLK_SPACE);
  Frames(30); // half a second
  KeyUp(SDLK_SPACE);
  Frames(60);
  EXPECT_TRUE(Contains(Sounds(), "SiphonSoundCall"));
  EXPECT_TRUE(Contains(Sounds(), "SiphonSoundEnd"));
  EXPECT_EQ(PlayerCredits(), 0);
  EXPECT_EQ(StateInt("Turn"), 1);

  Play("siphon");
  EXPECT_EQ(PlayerCredits(), 3);
  EXPECT_EQ(NodeOf('c')->Credits, 0);
  EXPECT_EQ(StateInt("Turn"), 2);
  lb::PushPtr(L, main->GetObjectById(NodeId('c'))->GetLuaComponent("NodeScript"));
  lua_setglobal(L, "node");
  EXPECT_EQ(Eval("node.Look"), "node_drained.png");

  ClearRecords();
  Play("siphon");
  EXPECT_EQ(StateInt("Turn"), 2) << "a drained node is refused";
  EXPECT_EQ(State("Refusal"), "This node has no credits to siphon.");
}

// What the editor changes while the level runs shows on the next frame.
TEST_F(RulesTest, ANodeChangedWhileTheLevelRunsShowsItsNewLookAtOnce) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-E\nend\nnode S start\nnode E end\n");
  lb::PushPtr(L, main->GetObjectById(NodeId('a'))->GetLuaComponent("NodeScript"));
  lua_setglobal(L, "node");
  EXPECT_EQ(Eval("node.Look"), "node_plain.png");
  NodeOf('a')->EndNode = true;
  Frame();
  EXPECT_EQ(Eval("node.Look"), "node_end.png");
  NodeOf('a')->EndNode = false;
  NodeOf('a')->Credits = 3;
  Frame();
  EXPECT_EQ(Eval("node.Look"), "node_credits.png");
  NodeOf('a')->Credits = 0;
  NodeOf('a')->EncryptionLayers = 2;
  Frame();
  EXPECT_EQ(Eval("node.Look"), "node_enc2.png");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(RulesTest, PingCostsACreditNotTheTurnAndShowsPatrolsWithinThreeLinksForTwoTurns) {
  LoadSource("level 1\ncredits 1\ngrid\nS-a-b-c-d-E\nend\nnode S start\nnode E end\n"
             "patrol c none\npatrol d none\n");
  dir.Write("Scripts/PingListener.lua", "function OnPing(event) _G.pinged = event.PingNodeID end\n"
                                        "function Initialize() end function Shutdown() end\n");
  ASSERT_EQ(Eval("(function() local o = ctl.Space:CreateEmptyObject() "
                 "o:AddLuaComponent('PingListener') ctl.Listen(o.PingListener) return 1 end)()"),
            "1");
  Play("ping");
  EXPECT_EQ(PlayerCredits(), 0);
  EXPECT_EQ(StateInt("Turn"), 0);
  EXPECT_EQ(PatrolField(0, "Revealed"), "2") << "three links away";
  EXPECT_EQ(PatrolField(1, "Revealed"), "nil") << "four links away";
  EXPECT_EQ(Eval("pinged"), std::to_string(NodeId('S'))) << "the Ping event names the node";
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:ping"));

  ClearRecords();
  Play("ping");
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:cantping"));
  EXPECT_EQ(State("Refusal"), "A ping costs 1 credit.");

  Play("wait");
  EXPECT_EQ(PatrolField(0, "Revealed"), "1");
  Play("wait");
  EXPECT_EQ(PatrolField(0, "Revealed"), "0");
  EXPECT_EQ(StateInt("Turn"), 2);
}

TEST_F(RulesTest, LinkingClosesAndReopensALinkAtBothEndsForTwoCreditsAndNobodyCrossesIt) {
  LoadSource("level 1\ncredits 4\ngrid\nS-a-b-c\n      |\n      E\nend\nnode S start\n"
             "node E end\npatrol c left\n");
  Play("link-right");
  EXPECT_EQ(PlayerCredits(), 2);
  EXPECT_EQ(StateInt("Turn"), 1);
  EXPECT_FALSE(NodeOf('S')->RightLinked);
  EXPECT_FALSE(NodeOf('a')->LeftLinked);
  lb::PushPtr(
      L, main->GetObjectById(NodeOf('S')->RightLinkParticlesID)->GetLuaComponent("LinkScript"));
  lua_setglobal(L, "link");
  EXPECT_EQ(Eval("link.Open"), "false");
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:unlink"));
  EXPECT_EQ(PatrolNode(0), NodeId('b'));

  Play("right");
  EXPECT_EQ(PlayerNodeId(), NodeId('S')) << "the player does not cross a closed link";
  EXPECT_EQ(State("Refusal"), "That link is closed.");
  PlaySequence("wait wait");
  EXPECT_EQ(PatrolNode(0), NodeId('b')) << "the patrol turned back at the closed link";
  EXPECT_EQ(PatrolField(0, "MoveDir"), "4");

  Play("link-right");
  EXPECT_TRUE(NodeOf('S')->RightLinked);
  EXPECT_TRUE(NodeOf('a')->LeftLinked);
  EXPECT_EQ(PlayerCredits(), 0);
  EXPECT_EQ(StateInt("Turn"), 4);
  Play("link-right");
  EXPECT_EQ(State("Refusal"), "Closing or opening a link costs 2 credits.");
  Play("link-up");
  EXPECT_EQ(State("Refusal"), "There is no link that way to close or open.");
  EXPECT_EQ(StateInt("Turn"), 4);
}

// A level built in the editor has links but no strips along them; the controller lays them.
TEST_F(RulesTest, LinksWithoutStripsGetThemLaidAtLoadShownClosedWhenClosedAndNeverSaved) {
  LoadSource("level 1\ncredits 2\ngrid\nS-a\n  |\n  E\nend\nnode S start\nnode E end\n");
  auto strips = [this] {
    std::vector<GameObject*> found;
    for (GameObject* object : main->GetObjectsByName("Particle"))
      if (!object->IsDead && object->GetLuaComponent("LinkScript"))
        found.push_back(object);
    return found;
  };
  EXPECT_TRUE(strips().empty()) << "the generator's levels have their own strips";

  for (GameObject* object : main->GetObjectsByName("Link"))
    object->Destroy();
  for (GameObject* object : main->GetObjectsByName("Node")) {
    auto* node = object->Get<GameNode>("GameNode");
    node->UpLinkParticlesID = node->DownLinkParticlesID = -1;
    node->LeftLinkParticlesID = node->RightLinkParticlesID = -1;
  }
  ASSERT_TRUE(main->SaveLevel("Node Levels\\Level01.level"));
  Load("Level01.level");
  RunUntilIdle();
  ASSERT_EQ(strips().size(), 2u);
  Vector2D s = main->GetObjectById(NodeId('S'))->Get<Transform>("Transform")->translation_;
  Vector2D a = main->GetObjectById(NodeId('a'))->Get<Transform>("Transform")->translation_;
  Vector2D e = main->GetObjectById(NodeId('E'))->Get<Transform>("Transform")->translation_;
  GameObject* across = nullptr;
  for (GameObject* strip : strips()) {
    const Transform& t = *strip->Get<Transform>("Transform");
    bool flat = std::fabs(t.translation_.y_ - s.y_) < 1e-4f;
    const Vector2D& to = flat ? a : e;
    const Vector2D& from = flat ? s : a;
    EXPECT_NEAR(t.translation_.x_, (from.x_ + to.x_) / 2, 1e-4f);
    EXPECT_NEAR(t.translation_.y_, (from.y_ + to.y_) / 2, 1e-4f);
    EXPECT_NEAR(t.rotation_, std::atan2(to.y_ - from.y_, to.x_ - from.x_), 1e-4f);
    EXPECT_NEAR(t.scale_.x_, std::hypot(to.x_ - from.x_, to.y_ - from.y_) / 8, 1e-4f);
    EXPECT_EQ(t.z_order, 1) << "under the nodes";
    if (flat)
      across = strip;
  }
  ASSERT_NE(across, nullptr);
  lb::PushPtr(L, across->GetLuaComponent("LinkScript"));
  lua_setglobal(L, "strip");
  EXPECT_EQ(Eval("strip.Open"), "true");
  Play("link-right");
  EXPECT_FALSE(NodeOf('S')->RightLinked);
  EXPECT_EQ(Eval("strip.Open"), "false") << "closing the link dims its strip";

  // Saved from the editor while it runs, the level keeps no strip, and a reload lays them once.
  ASSERT_TRUE(main->SaveLevel("Node Levels\\Level01.level"));
  std::string text = dir.Read("Node Levels/Level01.level");
  EXPECT_EQ(text.find("LinkScript"), std::string::npos);
  Load("Level01.level");
  RunUntilIdle();
  EXPECT_EQ(strips().size(), 2u);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(RulesTest, AKeyIsPickedUpOnceAndOpensTheFirewallOfItsTypeWhichAlsoNeedsItsCredits) {
  LoadSource("level 1\ncredits 0\ngrid\nS-w-E\n|\nk\nend\nnode S start\nnode k key=1 credits=1\n"
             "node w firewall=1 layers=1\nnode E end\n");
  Play("right");
  EXPECT_EQ(State("Refusal"), "The firewall needs a key and 1 credits.");
  PlaySequence("down up down");
  EXPECT_EQ(State("KeyCount"), "1") << "a key node gives its key once";
  EXPECT_EQ(NodeOf('k')->KeyType, 0);
  PlaySequence("up right");
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
  EXPECT_EQ(State("Refusal"), "Not enough credits: entering costs 1.");
  EXPECT_EQ(State("KeyCount"), "1") << "a refused move keeps the key";

  PlaySequence("down siphon up right");
  EXPECT_EQ(PlayerNodeId(), NodeId('w'));
  EXPECT_EQ(State("KeyCount"), "0");
  EXPECT_EQ(PlayerCredits(), 0);
  EXPECT_FALSE(NodeOf('w')->FireWallProtected);
  Frames(40);
  EXPECT_EQ(main->GetObjectByName("FireWall"), nullptr) << "the firewall object is removed";
  PlaySequence("left right");
  EXPECT_EQ(PlayerNodeId(), NodeId('w'));
  EXPECT_EQ(State("KeyCount"), "0") << "an opened firewall gives no key";
}

TEST_F(RulesTest, PatrolsTryAheadThenRightThenLeftThenBackWaitWithoutAnOpenLinkSentriesStay) {
  LoadSource("level 1\ncredits 0\ngrid\n"
             "A-P-B     U     I     J\n"
             "  |       |     |     |\n"
             "  C     V-Q   G-X-H   Y-M\n"
             "          |           |\n"
             "          W           K\n"
             "\n"
             "N-O   Z   2-3   S-4-E\n"
             "      !\n"
             "      1\n"
             "end\nnode S start\nnode E end\n"
             "patrol P up\npatrol Q right\npatrol X down\npatrol Y left\npatrol O right\n"
             "patrol Z up\npatrol 2 none\n");
  Play("wait");
  EXPECT_EQ(PatrolNode(0), NodeId('B')) << "facing up without an up link: right";
  EXPECT_EQ(PatrolField(0, "MoveDir"), "4");
  EXPECT_EQ(PatrolNode(1), NodeId('W')) << "facing right without a right link: down";
  EXPECT_EQ(PatrolField(1, "MoveDir"), "2");
  EXPECT_EQ(PatrolNode(2), NodeId('G')) << "facing down without a down link: left";
  EXPECT_EQ(PatrolField(2, "MoveDir"), "3");
  EXPECT_EQ(PatrolNode(3), NodeId('J')) << "facing left without a left link: up";
  EXPECT_EQ(PatrolField(3, "MoveDir"), "1");
  EXPECT_EQ(PatrolNode(4), NodeId('N')) << "a dead end: back";
  EXPECT_EQ(PatrolField(4, "MoveDir"), "3");
  EXPECT_EQ(PatrolNode(5), NodeId('Z')) << "no open link: waits";
  EXPECT_EQ(PatrolField(5, "MoveDir"), "1") << "and keeps its facing";
  EXPECT_EQ(PatrolNode(6), NodeId('2')) << "a sentry never moves";
  Play("wait");
  EXPECT_EQ(PatrolNode(0), NodeId('P')) << "from the end of a line it comes back";
  EXPECT_EQ(PatrolNode(6), NodeId('2'));
}

// The editor's Patrol archetype has the moving patrol's picture, whatever its direction.
TEST_F(RulesTest, ASentryShowsTheSentryPictureAndAMovingPatrolThePatrolsWhateverTheFileSays) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-b-E\nend\nnode S start\nnode E end\n"
             "patrol a none\npatrol b left\n");
  EXPECT_EQ(PatrolField(0, "Look"), "sentry.png");
  EXPECT_EQ(PatrolField(1, "Look"), "patrol_unit.png");
  std::string text = dir.Read("Node Levels/Level01.level");
  text = std::regex_replace(text, std::regex("sentry\\.png"), "@");
  text = std::regex_replace(text, std::regex("patrol_unit\\.png"), "sentry.png");
  dir.Write("Node Levels/Level01.level",
            std::regex_replace(text, std::regex("@"), "patrol_unit.png"));
  Load("Level01.level");
  RunUntilIdle();
  EXPECT_EQ(PatrolField(0, "Look"), "sentry.png");
  EXPECT_EQ(PatrolField(1, "Look"), "patrol_unit.png");
}

TEST_F(RulesTest, MovingOntoAPatrolIsFoundBeforeThePatrolsMove) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-b-E\nend\nnode S start\nnode E end\npatrol a right\n");
  Play("right");
  EXPECT_TRUE(Contains(LogLines(), "level found Level01.level turns=1"));
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:death"));
}

TEST_F(RulesTest, ReachingTheEndNodeWinsBeforeAPatrolCanStepOntoIt) {
  LoadSource("level 1\ncredits 0\ngrid\nS-E-a\nend\nnode S start\nnode E end\npatrol a left\n");
  Play("right");
  std::vector<std::string> log = LogLines();
  EXPECT_TRUE(Contains(log, "level won Level01.level turns=1"));
  EXPECT_FALSE(std::any_of(log.begin(), log.end(),
                           [](const std::string& l) { return l.rfind("level found", 0) == 0; }));
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:levelvictory"));
}

// Once the log has said "won", neither the restart key nor the pause screen can take it back
// while the win still animates.
TEST_F(RulesTest, AWonLevelCannotBeRestartedOrPausedDuringItsAnimation) {
  LoadSource("level 1\ncredits 0\ngrid\nS-E\nend\nnode S start\nnode E end\n");
  KeyDown(SDLK_RIGHT);
  Frame();
  KeyUp(SDLK_RIGHT);
  for (int i = 0; i < 60 && !Contains(LogLines(), "level won Level01.level turns=1"); ++i)
    Frame();
  ASSERT_TRUE(Contains(LogLines(), "level won Level01.level turns=1"));
  Tap(SDLK_r);
  Tap(SDLK_ESCAPE);
  Frames(2);
  EXPECT_EQ(Eval("tostring(Engine.Paused)"), "false");
  EXPECT_EQ(CountPrinted("level start Level01.level"), 0) << "no restart";
  EXPECT_EQ(Eval("tostring(VantixTotals and VantixTotals.found or 0)"), "0");
}

TEST_F(RulesTest, APatrolSteppingOntoThePlayerFindsItAndTheLevelRestarts) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-b-E\nend\nnode S start\nnode E end\npatrol b left\n");
  Play("wait");
  EXPECT_EQ(PatrolNode(0), NodeId('a'));
  Tap(SDLK_TAB);
  EXPECT_LT(RunUntilIdle(), 60) << "the level is back in under a second (60 frames)";
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "level found Level01.level turns=2");
  EXPECT_EQ(log[1], "level start Level01.level") << "found restarts the level";
  EXPECT_EQ(StateInt("Turn"), 0);
  EXPECT_EQ(PatrolNode(0), NodeId('b'));
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
}

TEST_F(RulesTest, WaitCostsTheTurnAndRestartReloadsTheLevelCountingAsFound) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-b-E\nend\nnode S start\nnode E end\n");
  ClearRecords();
  PlaySequence("wait");
  EXPECT_TRUE(Contains(Sounds(), "PlaySound:hudbloop")) << "heard with no patrol to step";
  PlaySequence("right");
  EXPECT_EQ(StateInt("Turn"), 2);
  Tap(SDLK_r);
  Frames(2);
  EXPECT_TRUE(Contains(LogLines(), "level start Level01.level"));
  EXPECT_EQ(StateInt("Turn"), 0);
  EXPECT_EQ(PlayerNodeId(), NodeId('S'));
  EXPECT_EQ(Eval("VantixTotals.found"), "1");
}

TEST_F(RulesTest, TheStartMessagesAndTheTurnCountReachStandardOutputExactly) {
  LoadSource("level 1\ncredits 0\ngrid\nS-a-E\nend\nnode S start\nnode E end\n");
  ASSERT_EQ(luaL_dostring(L, "__forwardPrint = true"), 0);
  testing::internal::CaptureStdout();
  Load("Level01.level");
  PlaySequence("up right right");
  Frames(60);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("level start Level01.level\nlevel won Level01.level turns=2\n"),
            std::string::npos)
      << out;
}

} // namespace
