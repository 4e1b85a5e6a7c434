// Delivery of events to real script components: what handlers may do to the connections, their
// components and their space while a delivery runs, and how failures are reported.
#include "ScriptFixture.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

class Delivery : public ScriptTest {
protected:
  // A Relay component on a new object of that name, reachable from Lua as the global `name`.
  LuaComponent* Relay(const std::string& name) {
    LuaComponent* c = NewObject(name)->AddLuaComponent("Relay");
    SetGlobal(name.c_str(), c);
    return c;
  }
  // The calls logged since the last look, which are then forgotten.
  std::string TakeLog() {
    std::string log = Eval("log or ''");
    Run("log = nil");
    return log;
  }
  void Plan(const std::string& code) { ASSERT_EQ(Run("plan = " + code), ""); }
};

TEST_F(Delivery, ConnectionsMadeDuringADeliveryAreCalledFromTheNextOn) {
  Relay("a");
  Relay("b");
  Plan("{ a = function(self)"
       "  Events.GlobalLuaConnect('LogicUpdate', self, 'Late')"
       "  Events.GlobalLuaConnect('LogicUpdate', b, 'Late') end }");
  SendLogicUpdate();
  EXPECT_EQ(TakeLog(), "a;b;");
  Plan("{}");
  SendLogicUpdate();
  EXPECT_EQ(TakeLog(), "a;b;a:late;b:late;");
}

TEST_F(Delivery, DisconnectingDuringADeliveryNeitherSkipsNorRepeats) {
  for (const char* name : {"a", "b", "c", "d"})
    Relay(name);
  // b takes itself, an earlier and a later handler off.
  Plan("{ b = function(self)"
       "  Events.GlobalLuaDisconnect('LogicUpdate', self, 'OnUpdate')"
       "  Events.GlobalLuaDisconnect('LogicUpdate', a, 'OnUpdate')"
       "  Events.GlobalLuaDisconnect('LogicUpdate', d, 'OnUpdate') end }");
  SendLogicUpdate();
  EXPECT_EQ(TakeLog(), "a;b;c;");
  SendLogicUpdate();
  EXPECT_EQ(TakeLog(), "c;");
  EXPECT_EQ(EventDispatcher::ms_Singleton->ConnectionCount(main, "LogicUpdate"), 1u);
}

TEST_F(Delivery, ComponentRemovedByAnEarlierHandlerIsNotCalled) {
  Relay("a");
  LuaComponent* b = Relay("b");
  const uint64_t bSerial = b->serial;
  Relay("c");
  lb::PushPtr(L, main->GetObjectByName("b"));
  lua_setglobal(L, "bObject");
  Plan("{ a = function(self) bObject:RemoveLuaComponent('Relay') end }");
  size_t live = LuaComponent::LiveCount();
  SendLogicUpdate();
  EXPECT_EQ(TakeLog(), "a;b:shutdown;c;");
  EXPECT_EQ(LuaComponent::LiveCount(), live - 1);
  EXPECT_FALSE(LuaComponent::IsLive(b, bSerial));
  Plan("{}");
  SendLogicUpdate();
  EXPECT_EQ(TakeLog(), "a;c;");
}

TEST_F(Delivery, SpaceClearedByAHandlerEndsTheDelivery) {
  for (const char* name : {"a", "b", "c"})
    Relay(name);
  Plan("{ b = function(self) self.Space:Clear() end }");
  SendLogicUpdate();
  // Each connection is told "Shutdown", then each released component once more; c's update
  // never comes.
  EXPECT_EQ(TakeLog(), "a;b;a:shutdown;b:shutdown;c:shutdown;a:shutdown;b:shutdown;c:shutdown;");
  EXPECT_TRUE(main->objects.empty());
  EXPECT_EQ(EventDispatcher::ms_Singleton->ConnectionCount(main, "LogicUpdate"), 0u);
  SendLogicUpdate();
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(Delivery, AFailingHandlerIsReportedAndTheOthersStillRun) {
  for (const char* name : {"a", "b", "c"})
    Relay(name);
  Plan("{ b = function() error('b gave up') end }");
  CaptureStdout();
  SendLogicUpdate();
  SendLogicUpdate();
  std::string out = GetCapturedStdout();
  std::string line = "Error: Scripts/Relay.lua <-----> [string \"plan = { b = function() "
                     "error('b gave up') end }\"]:1: b gave up\n";
  EXPECT_EQ(out, line + line);
  EXPECT_EQ(TakeLog(), "a;b;c;a;b;c;");
}

TEST_F(Delivery, MissingFunctionIsReportedByNameAndTheEventIsStillLeft) {
  LuaComponent* a = Relay("a");
  EventDispatcher::ms_Singleton->Connect(a, "NotYet", "LogicUpdate");
  CaptureStderr();
  SendLogicUpdate(0.75f);
  EXPECT_EQ(GetCapturedStderr(),
            "Error: Relay.lua  does not contain a function NotYet, call terminated!\n");
  lua_rawgeti(L, LUA_REGISTRYINDEX, a->instanceRef);
  lua_getfield(L, -1, "event");
  LogicUpdate* left = lb::ToObject<LogicUpdate>(L, -1);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->dt, 0.75f);
  lua_settop(L, 0);

  // The function is looked up at every delivery: defined later, it is called.
  lua_rawgeti(L, LUA_REGISTRYINDEX, a->instanceRef);
  ASSERT_EQ(luaL_loadstring(L, "log = (log or '') .. 'defined now;'"), 0);
  lua_setfield(L, -2, "NotYet");
  lua_settop(L, 0);
  TakeLog();
  CaptureStderr();
  SendLogicUpdate();
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(TakeLog(), "a;defined now;");
}

TEST_F(Delivery, FunctionsAreFoundByNameEachTimeAlsoThroughTheGlobals) {
  LuaComponent* a = Relay("a");
  // Only in the global table: found through the instance's fallback to the globals.
  ASSERT_EQ(Run("function OnlyGlobal(u) log = (log or '') .. 'global ' .. u.dt .. ';' end"), "");
  EventDispatcher::ms_Singleton->Connect(a, "OnlyGlobal", "LogicUpdate");
  EventDispatcher::ms_Singleton->Connect(a, "Late", "LogicUpdate");
  EventDispatcher::ms_Singleton->Connect(a, "Late", "LogicUpdate");
  SendLogicUpdate(0.5f);
  EXPECT_EQ(TakeLog(), "a;global 0.5;a:late;a:late;");

  // The instance's own Late goes away and a global one appears: that one is called now.
  lua_rawgeti(L, LUA_REGISTRYINDEX, a->instanceRef);
  lua_pushnil(L);
  lua_setfield(L, -2, "Late");
  lua_settop(L, 0);
  EXPECT_EQ(Run("function Late() log = (log or '') .. 'replaced;' end"), "");
  SendLogicUpdate(0.25f);
  EXPECT_EQ(TakeLog(), "a;global 0.25;replaced;replaced;");
}

TEST_F(Delivery, EveryHandlerGetsAnEventOfItsOwn) {
  Relay("a");
  Relay("b");
  // a keeps its first copy and changes it; neither b nor later deliveries see that.
  Plan("{ a = function(self, u) if not kept then kept = u; u.dt = 99 end end,"
       "  b = function(self, u) seenByB = u.dt; sameCopy = rawequal(u, kept) end }");
  SendLogicUpdate(0.5f);
  EXPECT_EQ(Eval("seenByB"), "0.5");
  EXPECT_EQ(Eval("sameCopy"), "false");
  SendLogicUpdate(0.25f);
  EXPECT_EQ(Eval("seenByB"), "0.25");
  EXPECT_EQ(Eval("kept.dt"), "99");
}

TEST_F(Delivery, TheCopyIsStoredBeforeTheFunctionIsLookedUp) {
  LuaComponent* a = Relay("a");
  // The handler's argument is its table's "event".
  Plan("{ a = function(self, u) argument = u end }");
  SendLogicUpdate();
  lua_rawgeti(L, LUA_REGISTRYINDEX, a->instanceRef);
  lua_getfield(L, -1, "event");
  lua_getglobal(L, "argument");
  EXPECT_TRUE(lb::ToObject<LogicUpdate>(L, -1));
  EXPECT_TRUE(lua_rawequal(L, -1, -2));
  lua_settop(L, 0);
  // A function named "event" is replaced by the copy before the call looks for it.
  lua_rawgeti(L, LUA_REGISTRYINDEX, a->instanceRef);
  ASSERT_EQ(luaL_loadstring(L, "log = (log or '') .. 'called;'"), 0);
  lua_setfield(L, -2, "event");
  lua_settop(L, 0);
  EventDispatcher::ms_Singleton->Disconnect(a, "OnUpdate", "LogicUpdate");
  EventDispatcher::ms_Singleton->Connect(a, "event", "LogicUpdate");
  TakeLog();
  CaptureStderr();
  SendLogicUpdate();
  EXPECT_EQ(GetCapturedStderr(),
            "Error: Relay.lua  does not contain a function event, call terminated!\n");
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(lua_gettop(L), 0);
}

// A script may guard its own table with a metatable that refuses new fields. Storing the copy
// as "event" then neither raises outside the protected call (which would end the program) nor
// is refused: the field is the table's own, and the handler is still called with the copy.
TEST_F(Delivery, AnInstanceTableThatRefusesNewFieldsStillGetsTheEvent) {
  LuaComponent* a = Relay("a");
  Relay("b");
  Plan("{ a = function(self, u)"
       "  local own = getfenv(2)"
       "  if not guarded then"
       "    guarded = true; rawset(own, 'event', nil)"
       "    local old = getmetatable(own)"
       "    setmetatable(own, { __index = old and old.__index,"
       "                        __newindex = function(t, k) error('no new field ' .. k) end })"
       "  end"
       "  seen = u.dt end }");
  SendLogicUpdate(0.5f);
  CaptureStdout();
  SendLogicUpdate(0.25f);
  SendLogicUpdate(0.125f);
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(Eval("seen"), "0.125");
  EXPECT_EQ(TakeLog(), "a;b;a;b;a;b;");
  lua_rawgeti(L, LUA_REGISTRYINDEX, a->instanceRef);
  lua_pushstring(L, "event");
  lua_rawget(L, -2);
  LogicUpdate* stored = lb::ToObject<LogicUpdate>(L, -1);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->dt, 0.125f);
  lua_settop(L, 0);
}

// A function the instance lacks is looked up through its metatable; when that lookup fails (a
// "strict" table that refuses unknown names), it is reported like a failing handler, the other
// handlers still run and the program goes on.
TEST_F(Delivery, AFailingLookUpIsReportedAndTheOthersStillRun) {
  LuaComponent* a = Relay("a");
  Relay("b");
  Plan("{ a = function(self)"
       "  setmetatable(getfenv(2), { __index = function(t, k)"
       "    if k == 'Missing' then error('strict: no ' .. k) end return _G[k] end }) end }");
  SendLogicUpdate();
  EventDispatcher::ms_Singleton->Connect(a, "Missing", "LogicUpdate");
  Plan("{}");
  TakeLog();
  CaptureStdout();
  SendLogicUpdate();
  std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("Error: Scripts/Relay.lua <-----> "), std::string::npos) << out;
  EXPECT_NE(out.find("strict: no Missing"), std::string::npos) << out;
  EXPECT_EQ(TakeLog(), "a;b;");
  // Called by name outside a delivery, the same.
  CaptureStdout();
  a->Call("Missing", 0);
  EXPECT_NE(GetCapturedStdout().find("strict: no Missing"), std::string::npos);
  EXPECT_EQ(lua_gettop(L), 0);
}

} // namespace
