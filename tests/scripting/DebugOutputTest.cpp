// The debug dumps behind `print`, the exported debug functions and the panic handler.
#include "ScriptFixture.h"

#include <pthread.h>
#include <unistd.h>

#include "Utilities/Debug.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST_F(ScriptTest, PrintWritesValueForms) {
  CaptureStdout();
  EXPECT_EQ(Run("print()"), "");
  EXPECT_EQ(GetCapturedStdout(), "\n");
  CaptureStdout();
  EXPECT_EQ(Run("print({a=1}, 2)"), "");
  EXPECT_EQ(GetCapturedStdout(), "Table: \n{\n  Key: a\n}2.000000\n");
  CaptureStdout();
  EXPECT_EQ(Run("print(nil, true, false, 'text', 0.1)"), "");
  EXPECT_EQ(GetCapturedStdout(), "niltruefalsetext0.100000\n");
  CaptureStdout();
  EXPECT_EQ(Run("print(print, function() end)"), "");
  std::string out = GetCapturedStdout();
  EXPECT_EQ(out.rfind("[Function]: 0x", 0), 0u) << out;
  EXPECT_NE(out.find("[Function]: (nil)\n"), std::string::npos) << out;
  CaptureStdout();
  EXPECT_EQ(Run("print(coroutine.create(print))"), "");
  EXPECT_EQ(GetCapturedStdout().rfind("[Thread]: 0x", 0), 0u);
  // A full userdata shows the first pointer it holds: a vector copy's payload.
  CaptureStdout();
  EXPECT_EQ(Run("print(Vector2D(1, 2, 3))"), "");
  out = GetCapturedStdout();
  EXPECT_EQ(out.rfind("[Userdata]: 0x", 0), 0u) << out;
  EXPECT_EQ(out.substr(out.size() - 3), "\n\n\n");
}

TEST_F(ScriptTest, PrintOfNestedAndSelfContainingTablesEnds) {
  CaptureStdout();
  EXPECT_EQ(Run("local inner = {} local t = {[inner] = 1} print(t)"), "");
  EXPECT_EQ(GetCapturedStdout(), "Table: \n{\n  Key: Table: \n  {\n  }\n}\n");
  EXPECT_EQ(debug::IndentLevel(), 0);
  CaptureStdout();
  EXPECT_EQ(Run("local t = {} t[t] = true print(t)"), "");
  std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("already being listed"), std::string::npos) << out;
  CaptureStdout();
  EXPECT_EQ(Run("local a, b = {}, {} a[b] = 1 b[a] = 1 print(a) print({[a] = 1})"), "");
  GetCapturedStdout();
  // A long chain of distinct nested key tables is cut off instead of exhausting the stack.
  CaptureStdout();
  EXPECT_EQ(Run("local t = {} for i = 1, 500 do t = {[t] = 1} end print(t)"), "");
  GetCapturedStdout();
  EXPECT_EQ(debug::IndentLevel(), 0);
}

TEST_F(ScriptTest, TableFormListsKeysOnly) {
  CaptureStdout();
  EXPECT_EQ(Run("print({x = 'value1', y = 'value2'})"), "");
  std::string out = GetCapturedStdout();
  EXPECT_EQ(out.find("value"), std::string::npos);
  size_t keys = 0;
  for (size_t at = out.find("\n  Key: "); at != std::string::npos;
       at = out.find("\n  Key: ", at + 1))
    ++keys;
  EXPECT_EQ(keys, 2u);
}

TEST_F(ScriptTest, StackDumpAndTrace) {
  lua_pushnumber(L, 7);
  lua_pushstring(L, "word");
  lua_newtable(L);
  CaptureStdout();
  Lua_stackDump(L);
  EXPECT_EQ(GetCapturedStdout(),
            "--- LUA TOP ---\n1 - 7.000000\n2 - word\n3 - Table: \n{\n}\n--- END ---\n\n");
  EXPECT_EQ(lua_gettop(L), 3);
  CaptureStdout();
  Lua_PrintIndex(L, -2);
  Lua_PrintTable(L, -1);
  PrintIndent();
  EXPECT_EQ(GetCapturedStdout(), "wordTable: \n{\n}");
  lua_settop(L, 0);
  CaptureStdout();
  Lua_stackTrace(L);
  EXPECT_EQ(GetCapturedStdout(), "stack traceback:\n");
  EXPECT_EQ(lua_gettop(L), 0);
  lua_pushlightuserdata(L, nullptr);
  CaptureStdout();
  Lua_PrintIndex(L, 1);
  EXPECT_EQ(GetCapturedStdout(), "[Light Userdata]: (nil)");
  lua_settop(L, 0);
  EXPECT_EQ(NvOptimusEnablement, 1);
}

TEST_F(ScriptTest, DebugBreakWithoutDebuggerDoesNothing) {
  EXPECT_EQ(Run("__debugbreak()"), "");
}

// An error raised outside any protected call. It runs on a bare thread: a C++ frame able to
// catch it (the test framework's) would stop the error before it reaches the panic handler.
void* RaiseUnprotected(void*) {
  lua_State* L = luaL_newstate();
  lua_atpanic(L, &LuaPanic);
  lua_pushstring(L, "boom");
  lua_error(L);
  return nullptr;
}

TEST(LuaPanic, WritesItsMessagesAndDoesNotWaitOnClosedInput) {
  // The Lua library ends the program after the handler returns.
  EXPECT_EXIT(
      {
        dup2(2, 1); // the messages go to standard output; let the death test see them
        close(0);
        pthread_t thread;
        pthread_create(&thread, nullptr, &RaiseUnprotected, nullptr);
        pthread_join(thread, nullptr);
      },
      testing::ExitedWithCode(1),
      "Panic Error: boom\nLUA DIED!!! WHAT DID YOU DO\\?!\\?!\\?!\\?!\\?!\\?!\\?!\\?!\\?!\n");
}

} // namespace
