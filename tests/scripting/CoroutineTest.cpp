// Coroutines made by scripts: looping, finishing, failing, arguments and yields.
#include "ScriptFixture.h"

#include "Scripting/Coroutine.h"

namespace {

// Threads held by registry references: each live coroutine holds one.
int ThreadsInRegistry(lua_State* L) {
  int threads = 0;
  lua_pushnil(L);
  while (lua_next(L, LUA_REGISTRYINDEX) != 0) {
    threads += lua_isthread(L, -1) && lua_type(L, -2) == LUA_TNUMBER;
    lua_pop(L, 1);
  }
  return threads;
}

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST_F(ScriptTest, LoopingCoroutineStartsAgainAfterReturning) {
  EXPECT_EQ(Run(R"(
    steps = {}
    co = MakeCoroutine(function()
      steps[#steps + 1] = "start"
      coroutine.yield()
      steps[#steps + 1] = "end"
    end)
    co:resume() co:resume() co:resume()
  )"),
            "");
  EXPECT_EQ(Eval("table.concat(steps, ',')"), "start,end,start");
  EXPECT_EQ(Eval("co:IsLooping()"), "true");
  EXPECT_EQ(Eval("co:IsDead()"), "false");
}

TEST_F(ScriptTest, FinishedNonLoopingCoroutineDiesOnTheNextResume) {
  EXPECT_EQ(Run("n = 0 co = MakeCoroutine(function() n = n + 1 end)"), "");
  EXPECT_EQ(Eval("co:ToggleLooping()"), "false");
  EXPECT_EQ(Run("co:resume()"), "");
  EXPECT_EQ(Eval("n"), "1");
  CaptureStdout();
  EXPECT_EQ(Run("co:resume()"), "");
  std::string out = GetCapturedStdout();
  EXPECT_EQ(out.rfind("cannot resume dead coroutine\nstack traceback:", 0), 0u) << out;
  EXPECT_EQ(Eval("co:IsDead()"), "true");
  CaptureStdout();
  EXPECT_EQ(Run("co:resume() co:resume()"), "");
  EXPECT_EQ(GetCapturedStdout(), ""); // dead: nothing runs, nothing printed
  EXPECT_EQ(Eval("n"), "1");
}

TEST_F(ScriptTest, ErrorInsideCoroutinePrintsTracebackAndKillsIt) {
  CaptureStdout();
  EXPECT_EQ(Run(R"(
    calls = 0
    co = MakeCoroutine(function() calls = calls + 1 error("inside") end)
    co:resume() co:resume()
  )"),
            "");
  std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("inside\nstack traceback:"), std::string::npos) << out;
  EXPECT_EQ(Eval("calls"), "1");
  EXPECT_EQ(Eval("co:IsDead()"), "true");
}

TEST_F(ScriptTest, ResumeArgumentsAndYieldedValues) {
  EXPECT_EQ(Run(R"(
    got = {}
    co = MakeCoroutine(function(a, b)
      got[#got + 1] = a + b
      local c = coroutine.yield(a * b)
      got[#got + 1] = c
    end)
    first = co:resume(3, 4)
    co:resume(10)
  )"),
            "");
  EXPECT_EQ(Eval("table.concat(got, ',')"), "7,10");
  EXPECT_EQ(Eval("first"), "12");
}

TEST_F(ScriptTest, CoroutineResumingItselfIsRefused) {
  CaptureStdout();
  EXPECT_EQ(Run(R"(
    co = MakeCoroutine(function() co:resume() coroutine.yield() end)
    co:resume()
  )"),
            "");
  std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("cannot resume non-suspended coroutine"), std::string::npos) << out;
  EXPECT_EQ(Eval("co:IsDead()"), "true");
}

TEST_F(ScriptTest, MakeCoroutineChecksItsArgument) {
  EXPECT_NE(Run("MakeCoroutine(5)").find("bad argument 1 to 'MakeCoroutine' (function expected"),
            std::string::npos);
}

TEST_F(ScriptTest, CoroutineCopiesShareThreadAndHoldTheirOwnReferences) {
  lua_pushcfunction(L, [](lua_State*) { return 0; });
  auto* a = new Coroutine(L);
  EXPECT_EQ(lua_gettop(L), 0);
  auto* b = new Coroutine(*a);
  EXPECT_NE(a->threadRef, b->threadRef);
  lua_rawgeti(L, LUA_REGISTRYINDEX, a->threadRef);
  lua_rawgeti(L, LUA_REGISTRYINDEX, b->threadRef);
  EXPECT_TRUE(lua_rawequal(L, -1, -2));
  lua_settop(L, 0);
  int bThread = b->threadRef;
  delete a;
  lua_rawgeti(L, LUA_REGISTRYINDEX, bThread);
  EXPECT_TRUE(lua_isthread(L, -1)); // still alive through the copy
  lua_settop(L, 0);
  delete b;
  // Thousands of short-lived coroutines do not leak registry slots.
  EXPECT_EQ(Run("for i = 1, 5000 do local c = MakeCoroutine(function() end) c:resume() end "
                "collectgarbage() collectgarbage()"),
            "");
  EXPECT_LT(ThreadsInRegistry(L), 5);
}

} // namespace
