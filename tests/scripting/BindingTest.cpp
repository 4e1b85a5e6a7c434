// The binding layer on its own, over a bare Lua state with test-only classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Binding/Binding.h"

namespace {

struct Point {
  float x = 0, y = 0;
  Point() = default;
  Point(float x_, float y_) : x(x_), y(y_) {}
  float Sum() const { return x + y; }
};

struct Thing {
  int hp = 10;
  bool flag = false;
  std::string label = "thing";
  Point where{1, 2};
  int lookups = 0;
  static inline double shared = 1.5;

  int GetDouble() const { return hp * 2; }
  void SetDouble(int v) { hp = v / 2; }
  void Hit(int n) { hp -= n; }
  Thing* Self() { return this; }
  std::string Describe(const std::string& prefix, int n) const {
    return prefix + label + std::to_string(n);
  }
};

// Deletable objects with a liveness check, like script components.
struct Mortal {
  uint64_t serial;
  static inline std::vector<Mortal*> live;
  static inline uint64_t next = 1;
  Mortal() : serial(next++) { live.push_back(this); }
  ~Mortal() { std::erase(live, this); }
};

int thingFallbackGet(lua_State* L, Thing* t, const char* key) {
  ++t->lookups;
  lua_pushfstring(L, "dyn:%s", key);
  return 1;
}
int thingFallbackSet(lua_State* L, Thing* t, const char* key) {
  t->label = std::string(key) + "=" + lua_tostring(L, 3);
  return 0;
}
int rawCount(lua_State* L) {
  lua_pushinteger(L, lua_gettop(L));
  return 1;
}
int rawFail(lua_State* L) {
  lua_pushstring(L, "raw failure");
  return -1;
}
int rawMethod(lua_State* L, Thing* t) {
  lua_pushinteger(L, t->hp + static_cast<int>(lua_tointeger(L, 2)));
  return 1;
}
float add(float a, float b) {
  return a + b;
}
Thing* globalThing = nullptr;
Thing* getThing() {
  return globalThing;
}
Point mid(const Point& a, const Point& b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}
int speed = 3;
int getSpeed() {
  return speed;
}
void setSpeed(int v) {
  speed = v;
}
bool replay = false;

class BindingTest : public ::testing::Test {
protected:
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
    lb::ClassOf<Mortal>().tagOf = [](const void* p) {
      return static_cast<const Mortal*>(p)->serial;
    };
    lb::ClassOf<Mortal>().isAlive = [](const void* p, uint64_t tag) {
      for (Mortal* m : Mortal::live)
        if (m == p)
          return m->serial == tag;
      return false;
    };
    lb::Global(L)
        .Function("add", &add)
        .Function("getThing", &getThing)
        .Function("mid", &mid)
        .Function("rawCount", &rawCount)
        .Function("rawFail", &rawFail)
        .Namespace("Game")
        .Property("Speed", &getSpeed, &setSpeed)
        .Property("SpeedRO", &getSpeed)
        .Variable("Replay", &replay)
        .Constant("Seven", 7)
        .Namespace("Inner")
        .Constant("Name", std::string("inner"))
        .End()
        .End()
        .Class<Point>("Point")
        .Constructor<float, float>()
        .Field("x", &Point::x)
        .Field("y", &Point::y)
        .Method("Sum", &Point::Sum)
        .End()
        .Class<Thing>("Thing")
        .Field("hp", &Thing::hp)
        .Field("flag", &Thing::flag)
        .FieldRO("label", &Thing::label)
        .Field("where", &Thing::where)
        .Property("double", &Thing::GetDouble, &Thing::SetDouble)
        .Property("doubleRO", &Thing::GetDouble)
        .StaticVariable("shared", &Thing::shared)
        .Method("Hit", &Thing::Hit)
        .Method("Self", &Thing::Self)
        .Method("Describe", &Thing::Describe)
        .Method("Raw", &rawMethod)
        .Fallback(&thingFallbackGet, &thingFallbackSet)
        .Equality()
        .End()
        .Class<Mortal>("Mortal")
        .End();
    ASSERT_EQ(lua_gettop(L), 0);
  }
  void TearDown() override { lua_close(L); }

  // Runs a chunk; returns "" or the error message.
  std::string Run(const std::string& code) {
    std::string error;
    if (luaL_dostring(L, code.c_str())) {
      error = lua_tostring(L, -1);
      lua_pop(L, 1);
    }
    EXPECT_EQ(lua_gettop(L), 0);
    return error;
  }
  double Number(const std::string& expression) {
    luaL_dostring(L, ("return " + expression).c_str());
    double v = lua_tonumber(L, -1);
    lua_settop(L, 0);
    return v;
  }
  std::string String(const std::string& expression) {
    if (luaL_dostring(L, ("return " + expression).c_str()) != 0) {
      std::string e = lua_tostring(L, -1);
      lua_settop(L, 0);
      return "ERROR " + e;
    }
    std::string v = lua_isstring(L, -1) ? lua_tostring(L, -1) : luaL_typename(L, -1);
    lua_settop(L, 0);
    return v;
  }
  lua_State* L = nullptr;
};

TEST_F(BindingTest, FunctionsConvertArgumentsAndResults) {
  EXPECT_EQ(Number("add(1.5, 2)"), 3.5);
  EXPECT_EQ(Number("add('1', 2)"), 3.0); // numeric strings count as numbers, as in Lua
  EXPECT_EQ(Number("rawCount(1, 2, 3)"), 3.0);
  EXPECT_NE(Run("rawFail()").find("raw failure"), std::string::npos);
  EXPECT_EQ(String("getThing()"), "nil");
  Thing t;
  globalThing = &t;
  EXPECT_EQ(Number("getThing().hp"), 10.0);
  globalThing = nullptr;
}

TEST_F(BindingTest, WrongArgumentsNameFunctionAndArgument) {
  std::string e = Run("add(1, {})");
  EXPECT_NE(e.find("bad argument 2 to 'add' (number expected, got table)"), std::string::npos) << e;
  e = Run("mid(Point(1, 2), 5)");
  EXPECT_NE(e.find("bad argument 2 to 'mid' (Point expected, got number)"), std::string::npos) << e;
  Thing t;
  globalThing = &t;
  e = Run("getThing().Hit(5)"); // dot instead of colon
  EXPECT_NE(e.find("bad self to 'Thing.Hit' (Thing expected, got number)"), std::string::npos) << e;
  e = Run("getThing():Describe('x', 'notanumber')");
  EXPECT_NE(e.find("bad argument 2 to 'Thing.Describe'"), std::string::npos) << e;
  e = Run("getThing():Hit(Point(1, 1))");
  EXPECT_NE(e.find("(number expected, got Point)"), std::string::npos) << e;
  globalThing = nullptr;
}

TEST_F(BindingTest, NamespacesPropertiesVariablesAndConstants) {
  speed = 3;
  EXPECT_EQ(Number("Game.Speed"), 3.0);
  EXPECT_EQ(Run("Game.Speed = 9"), "");
  EXPECT_EQ(speed, 9);
  EXPECT_NE(Run("Game.SpeedRO = 1").find("'Game.SpeedRO' is read-only"), std::string::npos);
  EXPECT_NE(Run("Game.Seven = 1").find("read-only"), std::string::npos);
  EXPECT_EQ(Number("Game.Seven"), 7.0);
  EXPECT_EQ(String("Game.Inner.Name"), "inner");
  EXPECT_EQ(Run("Game.Replay = true"), "");
  EXPECT_TRUE(replay);
  replay = false;
  EXPECT_EQ(String("tostring(Game.Replay)"), "false");
  // Names the namespace does not define are ordinary table fields.
  EXPECT_EQ(Run("Game.custom = 4"), "");
  EXPECT_EQ(Number("Game.custom"), 4.0);
}

TEST_F(BindingTest, ReferenceClassMembers) {
  Thing t;
  globalThing = &t;
  EXPECT_EQ(Run("local g = getThing(); g.hp = 4; g:Hit(1); g.flag = true"), "");
  EXPECT_EQ(t.hp, 3);
  EXPECT_TRUE(t.flag);
  EXPECT_EQ(Number("getThing().double"), 6.0);
  EXPECT_EQ(Run("getThing().double = 20"), "");
  EXPECT_EQ(t.hp, 10);
  EXPECT_NE(Run("getThing().doubleRO = 1").find("'Thing.doubleRO' is read-only"),
            std::string::npos);
  EXPECT_NE(Run("getThing().label = 'x'").find("read-only"), std::string::npos);
  EXPECT_NE(Run("getThing().Hit = 1").find("read-only"), std::string::npos);
  EXPECT_EQ(String("getThing():Describe('a-', 5)"), "a-thing5");
  EXPECT_EQ(Number("getThing():Raw(5)"), 15.0);
  // Two references to one object compare equal; a copy of a value does not alias.
  EXPECT_EQ(String("tostring(getThing() == getThing():Self())"), "true");
  EXPECT_EQ(Run("local w = getThing().where; w.x = 100"), "");
  EXPECT_EQ(t.where.x, 1.0f);
  EXPECT_EQ(Run("getThing().where = Point(5, 6)"), "");
  EXPECT_EQ(t.where.y, 6.0f);
  globalThing = nullptr;
}

TEST_F(BindingTest, FallbackSeesOnlyUnregisteredNames) {
  Thing t;
  globalThing = &t;
  EXPECT_EQ(String("getThing().whatever"), "dyn:whatever");
  EXPECT_EQ(t.lookups, 1);
  EXPECT_EQ(Number("getThing().hp"), 10.0);
  EXPECT_EQ(t.lookups, 1);
  EXPECT_EQ(Run("getThing().color = 'red'"), "");
  EXPECT_EQ(t.label, "color=red");
  globalThing = nullptr;
  // Point has no fallback: unknown names read nil and cannot be written.
  EXPECT_EQ(String("Point(1, 2).nothing"), "nil");
  EXPECT_NE(Run("Point(1, 2).nothing = 1").find("no writable member 'nothing' in Point"),
            std::string::npos);
}

TEST_F(BindingTest, ValueClassesAreOwnedCopies) {
  EXPECT_EQ(Number("Point(1, 2):Sum()"), 3.0);
  EXPECT_EQ(Number("mid(Point(0, 0), Point(4, 8)).y"), 4.0);
  EXPECT_EQ(Run("local p = Point(1, 2); p.x = 7; assert(p.x == 7)"), "");
  EXPECT_NE(Run("Point(1, {})").find("bad argument 2 to 'Point'"), std::string::npos);
  // Garbage collection of many copies runs their destructors without trouble.
  EXPECT_EQ(Run("for i = 1, 2000 do local p = Point(i, i) end collectgarbage()"), "");
}

TEST_F(BindingTest, StaticVariablesSharedByInstancesAndClass) {
  Thing a;
  globalThing = &a;
  Thing::shared = 1.5;
  EXPECT_EQ(Number("getThing().shared"), 1.5);
  EXPECT_EQ(Number("Thing.shared"), 1.5);
  EXPECT_EQ(Run("getThing().shared = 4"), "");
  EXPECT_EQ(Thing::shared, 4.0);
  EXPECT_EQ(Run("Thing.shared = 5"), "");
  EXPECT_EQ(Thing::shared, 5.0);
  globalThing = nullptr;
}

TEST_F(BindingTest, StaleReferencesRaiseInsteadOfTouchingFreedMemory) {
  auto* m = new Mortal();
  lb::PushPtr(L, m);
  lua_setglobal(L, "m");
  lb::PushPtr(L, m);
  lb::Got why;
  EXPECT_EQ(lb::ToObject<Mortal>(L, -1, &why), m);
  EXPECT_EQ(why, lb::Got::Ok);
  delete m;
  EXPECT_EQ(lb::ToObject<Mortal>(L, -1, &why), nullptr);
  EXPECT_EQ(why, lb::Got::Stale);
  lua_pop(L, 1);
  // A new object at the same address does not revive the old reference.
  auto* again = new Mortal();
  lua_getglobal(L, "m");
  EXPECT_EQ(lb::ToObject<Mortal>(L, -1, &why), nullptr);
  EXPECT_EQ(why, lb::Got::Stale);
  lua_pop(L, 1);
  delete again;
}

TEST_F(BindingTest, UnregisteredClassesPushNil) {
  struct Unbound {};
  Unbound u;
  lb::PushPtr(L, &u);
  EXPECT_TRUE(lua_isnil(L, -1));
  lb::PushCopy(L, u);
  EXPECT_TRUE(lua_isnil(L, -1));
  lua_settop(L, 0);
}

TEST_F(BindingTest, ErrorsNeverGrowTheStack) {
  Thing t;
  globalThing = &t;
  for (int i = 0; i < 3000; ++i) {
    lua_getglobal(L, "add");
    lua_pushnil(L);
    ASSERT_NE(lua_pcall(L, 1, 0, 0), 0);
    lua_pop(L, 1);
    luaL_loadstring(L, "getThing().label = 1");
    ASSERT_NE(lua_pcall(L, 0, 0, 0), 0);
    lua_pop(L, 1);
  }
  EXPECT_EQ(lua_gettop(L), 0);
  globalThing = nullptr;
}

// Sections registered by this test stay registered and also run in every other test's engine,
// so they record only while this test listens.
bool recording = false;
std::vector<int> order;
void first(lua_State*) {
  if (recording)
    order.push_back(1);
}
void second(lua_State*) {
  if (recording)
    order.push_back(2);
}

TEST(ApiSections, RunInNumberOrder) {
  // Sections registered here are run with the engine's own; only their relative order matters.
  static lb::ApiSection late(1002, &second);
  static lb::ApiSection early(1001, &first);
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  order.clear();
  recording = true;
  lb::RegisterApi(L);
  recording = false;
  EXPECT_EQ(lua_gettop(L), 0);
  lua_close(L);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

} // namespace
