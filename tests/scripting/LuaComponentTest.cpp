// Script components: loading, instances, calls, their messages, dynamic members, lifetime.
#include "ScriptFixture.h"

#include "Gameplay/GameplayComponents.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

TEST_F(ScriptTest, ComponentReceivesEventsAsArgumentAndInstanceField) {
  GameObject* o = NewObject("counter");
  LuaComponent* c = o->AddLuaComponent("Counter");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->path, "Scripts/Counter.lua");
  EXPECT_EQ(Instance(c, "initialized"), "1");
  SendLogicUpdate(0.25f);
  SendLogicUpdate(0.25f);
  EXPECT_EQ(Instance(c, "count"), "2");
  EXPECT_EQ(Instance(c, "lastDt"), "0.25");
  EXPECT_EQ(Instance(c, "sameEvent"), "true");
  // The instance's `event` is the last update delivered.
  EXPECT_EQ(Instance(c, "event"), Instance(c, "event"));
  lua_rawgeti(L, LUA_REGISTRYINDEX, c->instanceRef);
  lua_getfield(L, -1, "event");
  EXPECT_NE(lb::ToObject<LogicUpdate>(L, -1), nullptr);
  lua_settop(L, 0);
}

TEST_F(ScriptTest, InactiveSpaceReceivesNothing) {
  LuaComponent* c = NewObject("counter")->AddLuaComponent("Counter");
  main->m_Active = false;
  SendLogicUpdate();
  EXPECT_EQ(Instance(c, "count"), "0");
  main->m_Active = true;
  SendLogicUpdate();
  EXPECT_EQ(Instance(c, "count"), "1");
}

TEST_F(ScriptTest, LoadFailuresAreReportedOnStandardError) {
  GameObject* o = NewObject("o");
  CaptureStderr();
  LuaComponent* missing = o->AddLuaComponent("DoesNotExist");
  EXPECT_EQ(GetCapturedStderr(), "Error: DoesNotExist <-----> Cannot find/open lua script <-----> "
                                 "Scripts/DoesNotExist.lua\n");
  EXPECT_EQ(missing->instanceRef, 0);
  // The name comes from a level file: its control bytes are not passed on to the terminal.
  CaptureStderr();
  o->AddLuaComponent("Gone\x1b[2J");
  EXPECT_EQ(GetCapturedStderr(), "Error: Gone\\x1B[2J <-----> Cannot find/open lua script <-----> "
                                 "Scripts/Gone\\x1B[2J.lua\n");

  // A later delivery names the handler's function.
  EventDispatcher::ms_Singleton->Connect(missing, "OnUpdate", "LogicUpdate");
  CaptureStderr();
  SendLogicUpdate();
  EXPECT_EQ(GetCapturedStderr(),
            "Error: DoesNotExist.lua instance has not been loaded OnUpdate cannot be called!\n");

  CaptureStderr();
  CaptureStdout();
  LuaComponent* bad = o->AddLuaComponent("SyntaxError");
  std::string out = GetCapturedStdout();
  std::string err = GetCapturedStderr();
  EXPECT_EQ(out, "");
  EXPECT_EQ(err.rfind("Error: Scripts/SyntaxError.lua:2:", 0), 0u) << err;
  EXPECT_EQ(err.find("Initialize"), std::string::npos) << "no Initialize after a failed load";
  EXPECT_EQ(bad->instanceRef, 0);
}

TEST_F(ScriptTest, MissingInitializeIsReportedAndComponentStillWorks) {
  CaptureStderr();
  LuaComponent* c = NewObject("o")->AddLuaComponent("NoInit");
  EXPECT_EQ(GetCapturedStderr(),
            "Error: NoInit.lua  does not contain a function Initialize, call terminated!\n");
  SetGlobal("c", c);
  EXPECT_EQ(Eval("c.Answer()"), "42");
}

TEST_F(ScriptTest, ChunkErrorGoesToStandardOutputAndInitializeStillRuns) {
  CaptureStdout();
  LuaComponent* c = NewObject("o")->AddLuaComponent("ChunkError");
  std::string out = GetCapturedStdout();
  EXPECT_EQ(out.rfind("Error: Scripts/ChunkError.lua <-----> Scripts/ChunkError.lua:4: chunk "
                      "failed\n",
                      0),
            0u)
      << out;
  EXPECT_EQ(Instance(c, "initialized"), "true");
}

TEST_F(ScriptTest, FailingHandlerPrintsEveryFrameWithoutGrowingTheStack) {
  LuaComponent* c = NewObject("o")->AddLuaComponent("FailingHandler");
  ASSERT_GT(c->instanceRef, 0);
  CaptureStdout();
  for (int i = 0; i < 3000; ++i) {
    SendLogicUpdate();
    ASSERT_EQ(lua_gettop(L), 0);
  }
  std::string out = GetCapturedStdout();
  std::string line =
      "Error: Scripts/FailingHandler.lua <-----> Scripts/FailingHandler.lua:6: boom\n";
  size_t count = 0;
  for (size_t at = out.find(line); at != std::string::npos; at = out.find(line, at + 1))
    ++count;
  EXPECT_EQ(count, 3000u);
}

TEST_F(ScriptTest, FailedLoadsLeaveTheStackAsFound) {
  LuaComponent missing("DoesNotExist"), syntax("SyntaxError"), chunk("ChunkError");
  CaptureStderr();
  CaptureStdout();
  for (int i = 0; i < 1000; ++i) {
    missing.LoadByName("DoesNotExist");
    syntax.LoadByName("SyntaxError");
    chunk.LoadByName("ChunkError");
    chunk.Reload();
    ASSERT_EQ(lua_gettop(L), 0);
  }
  GetCapturedStdout();
  GetCapturedStderr();
}

TEST_F(ScriptTest, CallLeavesTheStackAsFoundOnEveryPath) {
  LuaComponent* c = NewObject("o")->AddLuaComponent("FailingHandler");
  LuaComponent unloaded("Nope");
  lua_pushinteger(L, 99); // something of the caller's below the arguments
  CaptureStderr();
  CaptureStdout();
  for (int i = 0; i < 2000; ++i) {
    lua_pushinteger(L, 1);
    lua_pushinteger(L, 2);
    c->Call("Boom", 2); // fails inside
    lua_pushinteger(L, 1);
    c->Call("NotThere", 1); // no such function
    lua_pushinteger(L, 1);
    unloaded.Call("Initialize", 1); // no instance
    lua_pushinteger(L, 1);
    c->Call("Initialize", 1); // succeeds
    ASSERT_EQ(lua_gettop(L), 1);
  }
  GetCapturedStdout();
  GetCapturedStderr();
  EXPECT_EQ(lua_tointeger(L, 1), 99);
  lua_settop(L, 0);
}

TEST_F(ScriptTest, TopLevelGlobalsBelongToTheInstance) {
  LuaComponent* a = NewObject("a")->AddLuaComponent("Globals");
  LuaComponent* b = NewObject("b")->AddLuaComponent("Globals");
  EXPECT_EQ(Eval("shared"), "nil");
  SetGlobal("a", a);
  SetGlobal("b", b);
  EXPECT_EQ(Run("a.Bump() a.Bump()"), "");
  EXPECT_EQ(Eval("a.Shared()"), "3");
  EXPECT_EQ(Eval("b.Shared()"), "1");
  // Globals of _G are still visible to scripts.
  EXPECT_EQ(Eval("a.print == print"), "true");
}

TEST_F(ScriptTest, ScriptLoadedWhileItsOwnChunkRunsKeepsInstancesApart) {
  LuaComponent* first = NewObject("first")->AddLuaComponent("Nested");
  EXPECT_EQ(Eval("nestedMade"), "3");
  EXPECT_EQ(Instance(first, "mine"), "first");
  EXPECT_EQ(Instance(main->GetObjectByName("nested1")->GetLuaComponent("Nested"), "mine"),
            "nested1");
  EXPECT_EQ(Instance(main->GetObjectByName("nested2")->GetLuaComponent("Nested"), "mine"),
            "nested2");
  EXPECT_EQ(Eval("mine"), "nil");
  // A later instance of the script (sharing its parsed chunk) is just as separate.
  LuaComponent* later = NewObject("later")->AddLuaComponent("Nested");
  EXPECT_EQ(Instance(later, "mine"), "later");
  EXPECT_EQ(Instance(first, "mine"), "first");
}

TEST_F(ScriptTest, DynamicMembersAreSeparateFromScriptGlobals) {
  LuaComponent* g = NewObject("a")->AddLuaComponent("Globals");
  LuaComponent* f = NewObject("b")->AddLuaComponent("FunctionK");
  SetGlobal("g", g);
  SetGlobal("f", f);
  EXPECT_EQ(Eval("g.k"), "nil"); // the script's k = 7 is not a function
  EXPECT_EQ(Run("g.k = 3"), "");
  EXPECT_EQ(Eval("g.k"), "3");
  EXPECT_EQ(Instance(g, "k"), "7"); // writing never touches the instance
  EXPECT_EQ(Run("f.k = 3"), "");
  EXPECT_EQ(Eval("f.k()"), "function k");
  EXPECT_EQ(Eval("g.neverStored"), "nil");
  // Any value can be stored, and replaced.
  EXPECT_EQ(Run("g.t = {1, 2} g.t = 'text'"), "");
  EXPECT_EQ(Eval("g.t"), "text");
  EXPECT_EQ(Run("g.Name = 'Renamed'"), "");
  EXPECT_EQ(g->m_Name, "Renamed");
  EXPECT_EQ(g->path, "Scripts/Globals.lua"); // renaming does not reload
}

TEST_F(ScriptTest, OwnerAndSpaceProperties) {
  GameObject* o = NewObject("owner");
  LuaComponent* c = o->AddLuaComponent("NoInit");
  SetGlobal("c", c);
  SetGlobal("o", o);
  EXPECT_EQ(Eval("c.Owner == o"), "true");
  EXPECT_EQ(Eval("c.Space.Name"), "Main");
  EXPECT_NE(Run("c.Owner = o").find("read-only"), std::string::npos);

  // A component of an object that has left its space has no owner; one without space no space.
  GameObject* gone = NewObject("gone");
  LuaComponent loose("NoInit", gone);
  SetGlobal("loose", &loose);
  EXPECT_EQ(Eval("loose.Owner.Name"), "gone");
  gone->Destroy();
  main->EndFrame();
  EXPECT_EQ(Eval("loose.Owner"), "nil");
  LuaComponent spaceless("NoInit");
  SetGlobal("spaceless", &spaceless);
  EXPECT_EQ(Eval("spaceless.Space"), "nil");
}

TEST_F(ScriptTest, DestroyedObjectsScriptsAreToldShutdownAndNeverCalledAgain) {
  GameObject* o = NewObject("o");
  LuaComponent* c = o->AddLuaComponent("Counter");
  SendLogicUpdate();
  EXPECT_EQ(Instance(c, "count"), "1");
  o->Destroy();
  SendLogicUpdate(); // dead objects still work until the end of the frame
  EXPECT_EQ(Instance(c, "count"), "2");
  size_t before = LuaComponent::LiveCount();
  main->EndFrame();
  EXPECT_EQ(Eval("shutdowns"), "1");
  EXPECT_EQ(LuaComponent::LiveCount(), before - 1);
  EXPECT_EQ(EventDispatcher::ms_Singleton->ConnectionCount(main, "LogicUpdate"), 0u);
  SendLogicUpdate();
}

// Each script stays filed until its own Shutdown has run, and one that removes itself there is
// told Shutdown once.
TEST_F(ScriptTest, ReleasingAnObjectShutsItsScriptsDownInNameOrderEachStillReachable) {
  GameObject* o = NewObject("o");
  LuaComponent* witness = o->AddLuaComponent("ShutdownWitness");
  lua_rawgeti(L, LUA_REGISTRYINDEX, witness->instanceRef); // its table outlives it
  lua_setglobal(L, "witness");
  o->AddLuaComponent("ShutdownSelfRemover");
  size_t before = LuaComponent::LiveCount();
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  o->Destroy();
  main->EndFrame();
  std::string printed =
      testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed, "");
  EXPECT_EQ(Eval("selfShutdowns"), "1");
  EXPECT_EQ(Eval("sawLater"), "true");
  EXPECT_EQ(Eval("witness.sawOwner"), "true");
  EXPECT_EQ(LuaComponent::LiveCount(), before - 2);
}

TEST_F(ScriptTest, ComponentRemovingItselfInItsHandlerIsSafe) {
  GameObject* o = NewObject("o");
  o->AddLuaComponent("SelfRemover");
  SendLogicUpdate();
  EXPECT_EQ(Eval("goCalls"), "1");
  EXPECT_EQ(Eval("selfRemoverShutdowns"), "1");
  EXPECT_EQ(Eval("nameAfterRemoval"), "nil"); // its own reference went stale
  EXPECT_TRUE(o->luaComponents.empty());
  SendLogicUpdate();
  EXPECT_EQ(Eval("goCalls"), "1");
}

TEST_F(ScriptTest, ReferencesToRemovedComponentsReadNilAndRaiseOnUse) {
  GameObject* keeperObject = NewObject("keeper");
  LuaComponent* keeper = keeperObject->AddLuaComponent("Keeper");
  GameObject* other = NewObject("other");
  LuaComponent* kept = other->AddLuaComponent("NoInit");
  lb::PushPtr(L, kept);
  lb::PushPtr(L, other);
  keeper->Call("Keep", 2);
  EXPECT_TRUE(other->RemoveLuaComponent("NoInit"));
  other->Destroy();
  main->EndFrame();

  SetGlobal("keeper", keeper);
  EXPECT_EQ(Eval("keeper.ReadKeptName()"), "nil");
  EXPECT_NE(Run("keeper.WriteKept()").find("stale LuaComponent"), std::string::npos);
  EXPECT_NE(Run("keeper.CallKept()").find("Answer"), std::string::npos);
  // Objects are pooled, never freed during play: a kept object reference stays harmless.
  EXPECT_EQ(Run("keeper.KeptObjectName()"), "");
  EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(ScriptTest, UnknownNamesRaiseTheMapKeyErrorInTheCallingScript) {
  LuaComponent* c = NewObject("o")->AddLuaComponent("Lookup");
  CaptureStdout();
  c->Call("MissingComponent", 0);
  std::string out = GetCapturedStdout();
  EXPECT_EQ(out, "Error: Scripts/Lookup.lua <-----> Scripts/Lookup.lua:5: invalid map<K, T> key\n");
  CaptureStdout();
  c->Call("MissingScript", 0);
  out = GetCapturedStdout();
  EXPECT_EQ(out,
            "Error: Scripts/Lookup.lua <-----> Scripts/Lookup.lua:10: invalid map<K, T> key\n");
  EXPECT_EQ(Instance(c, "reached"), "nil");
  CaptureStdout();
  c->Call("WrongArgument", 0);
  out = GetCapturedStdout();
  EXPECT_NE(out.find("bad argument 1 to 'GameObject.SetParent' (GameObject expected, got number)"),
            std::string::npos)
      << out;
}

TEST_F(ScriptTest, ReloadRunsShutdownAndInitializeAndKeepsDynamicValues) {
  LuaComponent* c = NewObject("o")->AddLuaComponent("Counter");
  SetGlobal("c", c);
  EXPECT_EQ(Run("c.stored = 'kept'"), "");
  SendLogicUpdate();
  c->Reload();
  EXPECT_EQ(Eval("shutdowns"), "1");
  EXPECT_EQ(Instance(c, "initialized"), "1"); // a fresh instance
  EXPECT_EQ(Instance(c, "count"), "0");
  EXPECT_EQ(Eval("c.stored"), "kept");
}

TEST_F(ScriptTest, ClearingASpaceTellsEachConnectionShutdown) {
  LuaComponent* c = NewObject("o")->AddLuaComponent("Counter");
  EventDispatcher::ms_Singleton->Connect(c, "OnUpdate", "Other");
  main->Clear();
  // Twice for the two connections, once more for the object's release.
  EXPECT_EQ(Eval("shutdowns"), "3");
  EXPECT_EQ(EventDispatcher::ms_Singleton->ConnectionCount(main, "LogicUpdate"), 0u);
}

TEST_F(ScriptTest, ShutdownDuringAClearStillFindsTheLevelsObjects) {
  GameObject* near = NewObject("Near");
  GameObject* far = NewObject("Far");
  auto* link = static_cast<GameNode*>(near->AddComponent("GameNode"));
  far->AddComponent("GameNode");
  link->UpID = far->m_Self;
  LuaComponent* witness = near->AddLuaComponent("ShutdownWitness");
  lua_rawgeti(L, LUA_REGISTRYINDEX, witness->instanceRef);
  lua_setglobal(L, "witness");
  main->Clear();
  EXPECT_EQ(Eval("witness.sawOwner"), "true");
  EXPECT_EQ(Eval("witness.sawOther"), "true");
  EXPECT_EQ(Eval("witness.sawLink"), "true");
  EXPECT_TRUE(main->objects.empty());
}

} // namespace
