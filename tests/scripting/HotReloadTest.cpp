// Script components follow edits of their files while the game runs.
#include "ScriptFixture.h"

#include <chrono>
#include <filesystem>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

class HotReloadTest : public ScriptTest {
protected:
  // Rewrites a script and moves its time forward, as an editor's save would.
  void Edit(const std::string& name, const std::string& code) {
    WriteScript(name, code);
    namespace fs = std::filesystem;
    fs::path file = dir.Path() / "Scripts" / (name + ".lua");
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(++edits));
  }
  int edits = 0;
  const std::string version2 = R"(
    function Initialize() _G.reloadLog = (_G.reloadLog or "") .. "init2;" end
    function Version() return 2 end
  )";
};

TEST_F(HotReloadTest, ChangedFileReloadsEveryComponentRunningIt) {
  LuaComponent* a = NewObject("a")->AddLuaComponent("Reloadable");
  LuaComponent* b = NewObject("b")->AddLuaComponent("Reloadable");
  LuaComponent* other = NewObject("c")->AddLuaComponent("Counter");
  SetGlobal("a", a);
  SetGlobal("b", b);
  EXPECT_EQ(lua->CheckScripts(), 0); // nothing changed
  Edit("Reloadable", version2);
  EXPECT_EQ(lua->CheckScripts(), 2);
  EXPECT_EQ(Eval("a.Version() + b.Version()"), "4");
  EXPECT_EQ(Eval("reloadLog"), "init1;init1;shutdown1;init2;shutdown1;init2;");
  EXPECT_EQ(Instance(other, "initialized"), "1"); // untouched
  EXPECT_EQ(lua->CheckScripts(), 0);              // once per change
}

TEST_F(HotReloadTest, EngineChecksFromItsUpdateButNotEveryFrame) {
  LuaComponent* a = NewObject("a")->AddLuaComponent("Reloadable");
  SetGlobal("a", a);
  lua->reloadInterval = std::chrono::hours(1);
  Edit("Reloadable", version2);
  engine->Update();
  EXPECT_EQ(Eval("a.Version()"), "1");
  lua->reloadInterval = std::chrono::milliseconds(0);
  engine->Update();
  EXPECT_EQ(Eval("a.Version()"), "2");
}

TEST_F(HotReloadTest, SyntaxErrorLeavesComponentUnloadedUntilFixed) {
  LuaComponent* a = NewObject("a")->AddLuaComponent("Reloadable");
  SetGlobal("a", a);
  EventDispatcher::ms_Singleton->Connect(a, "Version", "LogicUpdate");
  Edit("Reloadable", "function Initialize( = end");
  CaptureStderr();
  EXPECT_EQ(lua->CheckScripts(), 1);
  std::string err = GetCapturedStderr();
  EXPECT_EQ(err.rfind("Error: Scripts/Reloadable.lua:1:", 0), 0u) << err;
  EXPECT_EQ(a->instanceRef, 0);
  EXPECT_EQ(Eval("a.Version"), "nil");
  CaptureStderr();
  SendLogicUpdate();
  EXPECT_EQ(GetCapturedStderr(),
            "Error: Reloadable.lua instance has not been loaded Version cannot be called!\n");

  Edit("Reloadable", version2);
  CaptureStderr();
  EXPECT_EQ(lua->CheckScripts(), 1);
  GetCapturedStderr(); // the unloaded instance cannot be told "Shutdown"
  EXPECT_EQ(Eval("a.Version()"), "2");
}

TEST_F(HotReloadTest, DeletedFileIsNotReloaded) {
  NewObject("a")->AddLuaComponent("Reloadable");
  std::filesystem::remove(dir.Path() / "Scripts" / "Reloadable.lua");
  EXPECT_EQ(lua->CheckScripts(), 0);
}

} // namespace
