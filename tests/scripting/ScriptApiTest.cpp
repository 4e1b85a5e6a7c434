// The script API over a headless engine: objects, spaces, components, events, the engine
// namespace and the node graph.
#include "ScriptFixture.h"

#include <cmath>
#include <filesystem>

#include "Gameplay/GameplayComponents.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"

namespace {

TEST_F(ScriptTest, VectorsAndEventsAreConstructedByValue) {
  EXPECT_EQ(Eval("Vector2D(1, 2, 3).x + Vector2D(1, 2, 3).y"), "3");
  EXPECT_EQ(Eval("Vector2D(1, 2, 3).w"), "3");
  EXPECT_EQ(Eval("Vector2D(1, 2, 3).z"), "0");
  EXPECT_EQ(Run("v = Vector2D(1, 2, 3) v.x = 5 v.z = 9 assert(v.x == 5 and v.z == 9)"), "");
  EXPECT_NE(Run("Vector2D('a', 2, 3)").find("bad argument 1 to 'Vector2D'"), std::string::npos);

  EXPECT_EQ(Eval("Ping().PingNodeID"), "0");
  EXPECT_EQ(Eval("Siphon().Credits"), "0");
  EXPECT_EQ(Eval("AllObjectsCreated().Quarter"), "0");
  EXPECT_EQ(Run("p = Ping() p.PingNodeID = 12 assert(p.PingNodeID == 12)"), "");
  EXPECT_EQ(Run("local e = EndPlayerTurn() local f = PlayerFound()"), "");
  EXPECT_EQ(Eval("Ping().Nothing"), "nil");
}

TEST_F(ScriptTest, LogicUpdateAccumulatesTimePassed) {
  LogicUpdate::timePassed = 0.0;
  EXPECT_NEAR(std::stod(Eval("LogicUpdate().dt")), 0.16666667, 1e-6);
  EXPECT_NEAR(LogicUpdate::timePassed, 0.16666667, 1e-6);
  EXPECT_EQ(Run("u = LogicUpdate() u.timePassed = 10"), "");
  EXPECT_EQ(LogicUpdate::timePassed, 10.0);
  EXPECT_EQ(Eval("LogicUpdate.timePassed"), "10");
}

TEST_F(ScriptTest, ObjectsAreCreatedFoundParentedAndDestroyed) {
  SetGlobal("space", main);
  EXPECT_EQ(Run(R"(
    a = space:CreateEmptyObject()  a.Name = "twin"
    b = space:CreateEmptyObject()  b.Name = "twin"
    c = space:CreateEmptyObject()  c.Name = "child"
  )"),
            "");
  EXPECT_EQ(Eval("space:GetObjectByName('twin') == a"), "true");
  EXPECT_EQ(Eval("#space:GetObjectsByName('twin')"), "2");
  EXPECT_EQ(Eval("space:GetObjectsByName('twin')[2] == b"), "true");
  EXPECT_EQ(Eval("space:GetObjectsByName('nobody')"), "nil");
  EXPECT_EQ(Eval("a == b"), "false");
  EXPECT_EQ(Eval("a:GetAllChildren()"), "nil");
  EXPECT_EQ(Eval("c:SetParent(a)"), "true");
  EXPECT_EQ(Eval("c.Parent == a"), "true");
  EXPECT_EQ(Eval("a:GetChildByName('child') == c"), "true");
  EXPECT_EQ(Eval("a:GetAllChildren()[1] == c"), "true");
  EXPECT_EQ(Eval("a:SetParent(c)"), "false"); // a cycle is refused
  EXPECT_EQ(Eval("c:SetParent(nil)"), "false");
  EXPECT_EQ(Eval("c.Parent"), "nil");
  EXPECT_EQ(Eval("c:RemoveFromParent()"), "false");
  EXPECT_EQ(Eval("a.Space.Name"), "Main");
  EXPECT_EQ(Eval("a.Active"), "true");

  EXPECT_EQ(Run("b:Destroy()"), "");
  EXPECT_EQ(Eval("b.IsDead"), "true");
  EXPECT_EQ(Eval("#space:GetObjectsByName('twin')"), "2"); // until the end of the frame
  main->EndFrame();
  EXPECT_EQ(Eval("#space:GetObjectsByName('twin')"), "1");
}

TEST_F(ScriptTest, ComponentsThroughMethodsAndFallback) {
  GameObject* o = NewObject("o");
  SetGlobal("o", o);
  EXPECT_EQ(Eval("o:GetComponent('Transform')"), "nil");
  EXPECT_EQ(Eval("o.Transform"), "nil");
  EXPECT_EQ(Run("t = o:AddComponent('Transform') t.Translation = Vector2D(3, 4, 1) t.Z = 2"), "");
  auto* t = o->Get<Transform>("Transform");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->translation_.x_, 3.0f);
  EXPECT_EQ(t->translation_.w_, 1.0f);
  EXPECT_EQ(t->z_order, 2);
  EXPECT_EQ(Eval("o.Transform == o:GetComponent('Transform')"), "true");
  EXPECT_EQ(Eval("o:GetComponent(5)"), "nil");
  EXPECT_EQ(Eval("o:AddComponent()"), "nil");
  EXPECT_EQ(Eval("o:AddComponent('NotAComponent')"), "nil");
  EXPECT_EQ(Eval("o.Transform.Scale.x"), "1");

  // Script components are found by name through the fallback too.
  testing::internal::CaptureStderr(); // NoInit has no "Initialize"
  o->AddLuaComponent("NoInit");
  EXPECT_EQ(Eval("o.NoInit.Answer()"), "42");
  EXPECT_EQ(Eval("o:GetLuaComponent('NoInit').Name"), "NoInit");
  EXPECT_EQ(Eval("o.Nothing"), "nil");
  EXPECT_NE(Run("o.Whatever = 1").find("no writable member"), std::string::npos);

  EXPECT_EQ(Run("o:AddComponent('RigidBody').Velocity = Vector2D(1, 1, 0)"), "");
  EXPECT_EQ(o->Get<RigidBody>("RigidBody")->vel_.y_, 1.0f);
  EXPECT_EQ(Run("o:RemoveComponent('RigidBody')"), "");
  EXPECT_EQ(o->GetComponent("RigidBody"), nullptr);
  EXPECT_EQ(Run("o:AddComponent('CircleCollider').Radius = 2.5"), "");
  EXPECT_EQ(Eval("o.CircleCollider.Radius"), "2.5");
  EXPECT_EQ(Run("o:AddComponent('BoxCollider').Width = 4"), "");
  EXPECT_EQ(Eval("o.BoxCollider.Width"), "4");

  EXPECT_EQ(Run("o:RemoveLuaComponent('NoInit')"), "");
  EXPECT_TRUE(o->luaComponents.empty());
  EXPECT_EQ(Run("o:AddLuaComponent('NoInit')"), "");
  EXPECT_EQ(o->luaComponents.size(), 1u);
  testing::internal::GetCapturedStderr();
}

TEST_F(ScriptTest, SpacePropertiesAndLevelRequests) {
  SetGlobal("space", main);
  EXPECT_EQ(Eval("space.ID"), "0");
  EXPECT_EQ(Run("space.ID = 7 space.LevelName = 'x.level'"), "");
  EXPECT_EQ(main->ID, 7);
  EXPECT_EQ(Run("space:ChangeLevel('next.level')"), "");
  EXPECT_TRUE(main->changePending);
  EXPECT_EQ(main->changeTarget, "next.level");
  EXPECT_EQ(Run("space:RestartLevel()"), "");
  EXPECT_TRUE(main->restartPending);
  main->restartPending = main->changePending = false;

  EXPECT_EQ(Run("space.Active = false"), "");
  EXPECT_EQ(Eval("space.Active"), "true"); // until the end of the frame
  main->EndFrame();
  EXPECT_EQ(Eval("space.Active"), "false");
  EXPECT_EQ(Run("space.Active = true space:Destroy()"), "");
  EXPECT_EQ(Eval("space.Active"), "false");
  main->EndFrame();
  EXPECT_EQ(Eval("space.Active"), "true");

  EXPECT_EQ(Run("obj = space:CreateAtPosition('NoSuchArchetype', Vector2D(5, 6, 1))"), "");
  EXPECT_EQ(Eval("obj.Transform.Translation.y"), "6");
  EXPECT_EQ(Run("space:Clear()"), "");
  EXPECT_TRUE(main->objects.empty());
}

TEST_F(ScriptTest, EngineNamespace) {
  EXPECT_EQ(Eval("Engine.GetSpaceByName('Pause') == Engine.GetBufferSpace()"), "true");
  EXPECT_EQ(Eval("Engine.GetHUDSpace().Name"), "HUD");
  EXPECT_EQ(Eval("Engine.GetSpaceByName('Nope')"), "nil");
  EXPECT_EQ(Run("extra = Engine.CreatePauseSpace()"), "");
  EXPECT_EQ(Eval("extra == Engine.GetBufferSpace()"), "false");
  EXPECT_EQ(Eval("Engine.GetSpaceByName('Pause') == Engine.GetBufferSpace()"), "true");
  engine->GetBufferSpace()->m_Active = true;
  EXPECT_EQ(Run("Engine.DestroyPauseSpace()"), "");
  EXPECT_FALSE(engine->GetBufferSpace()->m_Active);
  EXPECT_EQ(Eval("extra.Active"), "false");
  EXPECT_EQ(Eval("Engine.CreateSpaceByName('Mine').Name"), "Mine");
  EXPECT_EQ(Run("Engine.DestroySpaceByName('Mine')"), "");
  EXPECT_FALSE(engine->GetSpace("Mine")->m_Active);

  EXPECT_EQ(Run("Engine.Paused = true"), "");
  EXPECT_EQ(Eval("Engine.Paused"), "false");
  engine->Update();
  EXPECT_EQ(Eval("Engine.Paused"), "true");
  EXPECT_EQ(Eval("Engine.Quit"), "false");
  EXPECT_EQ(Run("Engine.Quit = true"), "");
  EXPECT_TRUE(engine->quit);
}

TEST_F(ScriptTest, EasingCurves) {
  EXPECT_EQ(Eval("Easing.easeInOutQuad(1, 0, 10, 2)"), "5");
  EXPECT_EQ(Eval("Easing.easeLinear(0.5, 2, 4, 1)"), "4");
  EXPECT_EQ(Eval("Easing.easeInQuad(1, 0, 10, 2)"), "2.5");
  EXPECT_EQ(Eval("Easing.easeOutQuad(1, 0, 10, 2)"), "7.5");
  EXPECT_NEAR(std::stod(Eval("Easing.easeOutSin(1, 0, 10, 1)")), 10.0, 1e-5);
  EXPECT_NEAR(std::stod(Eval("Easing.easeInSin(1, 0, 10, 1)")), 10.0, 1e-5);
  EXPECT_NEAR(std::stod(Eval("Easing.easeInOutSin(0.5, 0, 10, 1)")), 5.0, 1e-5);
  EXPECT_EQ(Eval("Easing.easeLinear(2, 0, 4, 1)"), "8"); // no clamping
  EXPECT_EQ(Eval("Easing.easeLinear(1, 0, 4, 0)"), "inf");
  EXPECT_EQ(Eval("Easing.easeInQuad(4, 0, 10, 2)"), "40");
}

TEST_F(ScriptTest, GameplayComponentsAndPatrols) {
  GameObject* start = NewObject("start");
  GameObject* o = NewObject("patrol");
  auto* patrol = static_cast<Patrol*>(o->AddComponent("Patrol"));
  auto* player = static_cast<Player*>(o->AddComponent("Player"));
  ASSERT_TRUE(patrol && player);
  patrol->StartID = start->m_Self;
  SetGlobal("o", o);
  EXPECT_EQ(Eval("o.Patrol.StartNode.Name"), "start");
  EXPECT_EQ(Run("o.Patrol.MoveDir = 3 o.Player.Credits = 40 o.Player.Quarter = 3"), "");
  EXPECT_EQ(patrol->MoveDir, 3);
  EXPECT_EQ(player->Credits, 40);
  EXPECT_NE(Run("o.Patrol.StartNode = o").find("read-only"), std::string::npos);
  patrol->StartID = -1;
  EXPECT_EQ(Eval("o.Patrol.StartNode"), "nil");
}

// A 3 x 2 grid of nodes linked in code:  n0 - n1 - n2
//                                         |    |    |
//                                         n3 - n4 - n5
class NodeGraphTest : public ScriptTest {
protected:
  void SetUp() override {
    ScriptTest::SetUp();
    for (int i = 0; i < 6; ++i) {
      nodes[i] = NewObject("n" + std::to_string(i));
      graph[i] = static_cast<GameNode*>(nodes[i]->AddComponent("GameNode"));
    }
    for (int i = 0; i < 6; ++i) {
      int col = i % 3, row = i / 3;
      if (col < 2)
        graph[i]->RightID = nodes[i + 1]->m_Self;
      if (col > 0)
        graph[i]->LeftID = nodes[i - 1]->m_Self;
      if (row == 0)
        graph[i]->DownID = nodes[i + 3]->m_Self;
      else
        graph[i]->UpID = nodes[i - 3]->m_Self;
    }
    walker = NewObject("walker")->AddLuaComponent("Walker");
    SetGlobal("walker", walker);
    for (int i = 0; i < 6; ++i)
      SetGlobal(("n" + std::to_string(i)).c_str(), nodes[i]);
  }
  GameObject* nodes[6];
  GameNode* graph[6];
  LuaComponent* walker = nullptr;
};

TEST_F(NodeGraphTest, ScriptWalksLinks) {
  EXPECT_EQ(Eval("walker.Walk(n0, 'Right')"), "n0,n1,n2");
  EXPECT_EQ(Eval("walker.Walk(n5, 'Left')"), "n5,n4,n3");
  EXPECT_EQ(Eval("walker.Walk(n4, 'Up')"), "n4,n1");
  EXPECT_EQ(Eval("walker.Reachable(n0)"), "6");
  // Closing links from scripts cuts the graph.
  EXPECT_EQ(Run("n1.GameNode.RightLinked = false n4.GameNode.RightLinked = false "
                "n2.GameNode.LeftLinked = false n5.GameNode.LeftLinked = false"),
            "");
  EXPECT_EQ(Eval("walker.Reachable(n0)"), "4");
  EXPECT_FALSE(graph[1]->RightLinked);
}

TEST_F(NodeGraphTest, AccessorsOfNewAndDestroyedNodes) {
  GameObject* fresh = NewObject("fresh");
  fresh->AddComponent("GameNode");
  SetGlobal("fresh", fresh);
  EXPECT_EQ(Eval("fresh.GameNode.UpNode"), "nil");
  EXPECT_EQ(Eval("fresh.GameNode.RightParticles"), "nil");
  EXPECT_EQ(Eval("fresh.GameNode.UpLinked"), "true");
  EXPECT_EQ(Eval("fresh.GameNode.EndNode"), "false");
  // The firewall and a patrol's start are "none" too, not the space's first object (id 0).
  ASSERT_EQ(nodes[0]->m_Self, 0);
  EXPECT_EQ(Eval("fresh.GameNode.FireWall"), "nil");
  fresh->AddComponent("Patrol");
  EXPECT_EQ(Eval("fresh.Patrol.StartNode"), "nil");

  graph[0]->FireWallID = nodes[5]->m_Self;
  EXPECT_EQ(Eval("n0.GameNode.FireWall == n5"), "true");
  EXPECT_EQ(Run("n1:Destroy()"), "");
  EXPECT_EQ(Eval("n0.GameNode.RightNode == n1"), "true"); // until the end of the frame
  main->EndFrame();
  EXPECT_EQ(Eval("n0.GameNode.RightNode"), "nil");
  EXPECT_EQ(Eval("walker.Walk(n3, 'Right')"), "n3,n4,n5");
}

} // namespace

namespace {

// A level file whose nodes keep their stored ids and whose script walks them once loaded.
TEST_F(ScriptTest, LevelLoadsNodeGraphAndScriptWalksIt) {
  std::filesystem::create_directories(dir.Path() / "Node Levels");
  std::filesystem::copy_file(TestFile("scripting/levels/Line.level"),
                             dir.Path() / "Node Levels" / "Line.level");
  main->LoadLevel("Node Levels\\Line.level");
  EXPECT_EQ(main->LevelName, "Line.level");
  EXPECT_EQ(Eval("levelWalk"), "start,middle,end");
  EXPECT_EQ(Eval("levelCredits"), "15");
  EXPECT_EQ(Eval("levelQuarter"), "3");
  ASSERT_NE(main->GetObjectByName("middle"), nullptr);
  EXPECT_EQ(main->GetObjectByName("middle")->m_Self, 20);

  // Changing level from a script: the old level's scripts are told "Shutdown", the new one runs.
  SetGlobal("space", main);
  EXPECT_EQ(Run("levelWalk = nil space:ChangeLevel('Line.level')"), "");
  EXPECT_EQ(Eval("levelWalk"), "nil"); // not before the end of the frame
  main->EndFrame();
  EXPECT_EQ(Eval("levelWalk"), "start,middle,end");
  EXPECT_EQ(Eval("levelWalkerShutdowns"), "2"); // its connection, then its object's release
}

// A script that clears its space while the level is read takes its own component with it: the
// reader stops, and its report still names the script.
TEST_F(ScriptTest, AScriptClearingItsSpaceDuringTheLoadStopsTheReadAndIsNamed) {
  dir.Write("Scripts/Clearer.lua", "function Initialize() this.Space:Clear() end\n");
  const std::string object = "GameObject\n{\nm_Active bool true\nm_Self int 0\n"
                             "m_ArchetypeName std::string \"\"\nm_Name std::string \"A\"\n"
                             "Children\n{\n}\nComponents\n{\nComponent LuaComponent\n{\n"
                             "m_Name std::string \"Clearer\"\n}\n}\n}\n";
  dir.Write("Node Levels/cleared.level",
            "Space\n{\nm_Active bool true\nObjects\n{\n" + object + object + "}\n}\n");
  testing::internal::CaptureStderr();
  main->LoadLevel("Node Levels\\cleared.level");
  testing::internal::GetCapturedStderr();
  EXPECT_NE(main->loadProblem.find("the space was cleared by the script 'Clearer'"),
            std::string::npos)
      << main->loadProblem;
  EXPECT_TRUE(main->objects.empty());
}

// A child is numbered as it is made, so it can be issued the id that the file stores for a
// later object. A script of that later object starts while the file is still being read, and
// must find its own object, not the child, when it looks its owner up by id.
TEST_F(ScriptTest, ScriptsStartedDuringALoadFindTheirOwnObject) {
  auto object = [](int id, const std::string& name, const std::string& children,
                   const std::string& components) {
    return "GameObject\n{\nm_Active bool true\nm_Self int " + std::to_string(id) +
           "\nm_ArchetypeName std::string \"\"\nm_Name std::string \"" + name +
           "\"\nChildren\n{\n" + children + "}\nComponents\n{\n" + components + "}\n}\n";
  };
  const std::string script = "Component LuaComponent\n{\nm_Name std::string \"OwnerNamer\"\n}\n";
  // The child is issued 1, gives way to B and is given 3, then gives way to D.
  dir.Write("Node Levels/ids.level", "Space\n{\nm_Active bool true\nObjects\n{\n" +
                                         object(0, "A", object(0, "child", "", ""), "") +
                                         object(1, "B", "", script) + object(2, "C", "", "") +
                                         object(3, "D", "", script) + "}\n}\n");
  main->LoadLevel("Node Levels\\ids.level");
  EXPECT_EQ(main->loadProblem, "");
  EXPECT_EQ(Eval("ownersSeen"), "B,D,");
  GameObject* child = main->GetObjectByName("child");
  ASSERT_NE(child, nullptr);
  EXPECT_GT(child->m_Self, 3);
  EXPECT_EQ(main->GetObjectById(1)->m_Name, "B");
  EXPECT_EQ(main->GetObjectById(3)->m_Name, "D");
}
} // namespace
