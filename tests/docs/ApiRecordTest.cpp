// The recorder of script API rows: what the builder records for each kind of registration, and
// that the engine's whole script API is recorded, described and typed.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Binding/Binding.h"
#include "Scripting/LuaEngine.h"

namespace {

struct Gadget {
  Gadget() = default;
  Gadget(int c, float w) : count(c), weight(w) {}
  int count = 0;
  float weight = 0;
  std::string label;
  int Twice(int x) const { return 2 * x; }
};
struct Widget {};

Widget theWidget;
int level = 4;

Widget* MakeWidget(const std::string&, double) {
  return &theWidget;
}
bool GetReady() {
  return true;
}
bool GadgetOn(const Gadget*) {
  return true;
}
int RawList(lua_State* L, Gadget*) {
  lua_newtable(L);
  return 1;
}
int GadgetGet(lua_State* L, Gadget*, const char*) {
  lua_pushnil(L);
  return 1;
}

const lb::ApiRow* Find(const lb::Recorder& recorder, const std::string& owner,
                       const std::string& name) {
  for (const lb::ApiRow& row : recorder.rows)
    if (row.owner == owner && row.name == name)
      return &row;
  return nullptr;
}

std::vector<std::string> ArgNames(const lb::ApiRow& row) {
  std::vector<std::string> names;
  for (const lb::ScriptType& arg : row.args)
    names.push_back(arg.Name());
  return names;
}

class Recording : public ::testing::Test {
protected:
  void SetUp() override { L = luaL_newstate(); }
  void TearDown() override { lua_close(L); }
  lua_State* L = nullptr;
};

// Registers a small API of every kind of row.
void BindKit(lua_State* L) {
  lb::Global(L)
      .Namespace("Kit")
      .Doc("kit")
      .Function("Make", &MakeWidget)
      .Doc("makes a widget")
      .Constant("Max", 7)
      .Doc("the most")
      .Variable("Level", &level)
      .Doc("a level")
      .Property("Ready", &GetReady)
      .Doc("ready")
      .End()
      .Class<Gadget>("Gadget")
      .Doc("a gadget")
      .Constructor<int, float>()
      .Doc("makes one")
      .Field("Count", &Gadget::count)
      .Doc("count")
      .FieldRO("Label", &Gadget::label)
      .Doc("label")
      .Property("On", &GadgetOn)
      .Doc("on")
      .Method("Twice", &Gadget::Twice)
      .Doc("twice")
      .Method("List", &RawList)
      .Doc("a list")
      .Signature({"string"}, "table")
      .Fallback(&GadgetGet, nullptr)
      .Doc("other names")
      .Equality()
      .End()
      .Class<Widget>("Widget")
      .Doc("a widget")
      .End();
}

TEST_F(Recording, EachKindOfRegistrationRecordsItsKindOwnerTypesAndAccess) {
  lb::Recorder recorder;
  BindKit(L);
  ASSERT_TRUE(recorder.problems.empty()) << recorder.problems.front();

  std::vector<std::string> kinds;
  for (const lb::ApiRow& row : recorder.rows)
    kinds.push_back(std::string(lb::KindName(row.kind)) + " " + row.owner + ":" + row.name);
  EXPECT_EQ(kinds,
            (std::vector<std::string>{
                "namespace :Kit", "function Kit:Make", "constant Kit:Max", "property Kit:Level",
                "property Kit:Ready", "class :Gadget", "constructor Gadget:Gadget",
                "property Gadget:Count", "property Gadget:Label", "property Gadget:On",
                "method Gadget:Twice", "method Gadget:List", "fallback Gadget:", "class :Widget"}));

  // Widget is named after the row that returns it: its name is read when asked.
  const lb::ApiRow* make = Find(recorder, "Kit", "Make");
  EXPECT_EQ(ArgNames(*make), (std::vector<std::string>{"string", "number"}));
  EXPECT_EQ(make->result.Name(), "Widget");
  EXPECT_EQ(make->doc, "makes a widget");

  const lb::ApiRow* max = Find(recorder, "Kit", "Max");
  EXPECT_EQ(max->result.Name(), "integer");
  EXPECT_EQ(max->value, "7");
  EXPECT_FALSE(max->writable);
  const lb::ApiRow* levelRow = Find(recorder, "Kit", "Level");
  EXPECT_TRUE(levelRow->writable);
  EXPECT_EQ(levelRow->value, "4");
  EXPECT_FALSE(Find(recorder, "Kit", "Ready")->writable);
  EXPECT_EQ(Find(recorder, "Kit", "Ready")->result.Name(), "boolean");

  const lb::ApiRow* ctor = Find(recorder, "Gadget", "Gadget");
  EXPECT_EQ(ArgNames(*ctor), (std::vector<std::string>{"integer", "number"}));
  EXPECT_EQ(ctor->result.Name(), "Gadget");
  EXPECT_TRUE(Find(recorder, "Gadget", "Count")->writable);
  EXPECT_EQ(Find(recorder, "Gadget", "Label")->result.Name(), "string");
  EXPECT_FALSE(Find(recorder, "Gadget", "Label")->writable);
  EXPECT_FALSE(Find(recorder, "Gadget", "On")->writable);
  const lb::ApiRow* twice = Find(recorder, "Gadget", "Twice");
  EXPECT_EQ(ArgNames(*twice), (std::vector<std::string>{"integer"}));
  EXPECT_EQ(twice->result.Name(), "integer");
  const lb::ApiRow* list = Find(recorder, "Gadget", "List");
  EXPECT_TRUE(list->typed);
  EXPECT_EQ(ArgNames(*list), (std::vector<std::string>{"string"}));
  EXPECT_EQ(list->result.Name(), "table");
  const lb::ApiRow* fallback = Find(recorder, "Gadget", "");
  EXPECT_FALSE(fallback->writable);
  EXPECT_EQ(fallback->doc, "other names");
  EXPECT_TRUE(Find(recorder, "", "Gadget")->equality);
  EXPECT_FALSE(Find(recorder, "", "Widget")->equality);
}

TEST_F(Recording, RawFunctionsAreUntypedUntilGivenASignature) {
  lb::Recorder recorder;
  lb::Global(L).Class<Gadget>("Gadget").Method("List", &RawList).Doc("a list").End();
  ASSERT_EQ(recorder.rows.size(), 2u);
  EXPECT_FALSE(recorder.rows[1].typed);
}

TEST_F(Recording, MisplacedDescriptionsAreReported) {
  lb::Recorder recorder;
  lb::Global(L).Doc("before anything");
  lb::Global(L)
      .Namespace("Kit")
      .Function("Make", &MakeWidget)
      .Doc("once")
      .Doc("twice")
      .Signature({"string"}, "Widget")
      .End();
  ASSERT_EQ(recorder.problems.size(), 3u);
  EXPECT_NE(recorder.problems[0].find("no row before it"), std::string::npos);
  EXPECT_NE(recorder.problems[1].find("function Kit.Make is described twice"), std::string::npos);
  EXPECT_NE(recorder.problems[2].find("has its types from C++ already"), std::string::npos);
  EXPECT_EQ(Find(recorder, "Kit", "Make")->doc, "once");
}

TEST_F(Recording, NothingIsRecordedWithoutARecorderAndTheApiStillWorks) {
  BindKit(L);
  lb::Recorder later;
  EXPECT_TRUE(later.rows.empty());
  ASSERT_EQ(luaL_dostring(L, "return Kit.Max, Gadget(3, 1.5).Count, Gadget(3, 1.5):Twice(4)"), 0)
      << lua_tostring(L, -1);
  EXPECT_EQ(lua_tointeger(L, -3), 7);
  EXPECT_EQ(lua_tointeger(L, -2), 3);
  EXPECT_EQ(lua_tointeger(L, -1), 8);
}

TEST_F(Recording, RowsCarryTheSectionThatRegisteredThem) {
  static lb::ApiSection kit(3001, 2, &BindKit);
  lb::Recorder recorder;
  lb::RegisterApi(L);
  const lb::ApiRow* make = Find(recorder, "Kit", "Make");
  ASSERT_NE(make, nullptr);
  EXPECT_EQ(make->section, 3001);
  EXPECT_EQ(make->position, 2);
  const lb::ApiRow* first = &recorder.rows.front();
  EXPECT_EQ(first->section, 1); // the script components come first
}

// ---- The engine's own script API ---------------------------------------------------------------

struct EngineApi {
  EngineApi() {
    lb::Recorder recorder;
    LuaEngine engine;
    engine.Initialize();
    rows = recorder.rows;
    problems = recorder.problems;
    globals = NamesOf(engine.L, LUA_GLOBALSINDEX);
    classMembers = ClassMembers(engine.L);
    engine.Shutdown();
  }

  static std::set<std::string> NamesOf(lua_State* L, int table) {
    std::set<std::string> names;
    lua_pushnil(L);
    while (lua_next(L, table) != 0) {
      lua_pop(L, 1);
      if (lua_type(L, -1) == LUA_TSTRING)
        names.insert(lua_tostring(L, -1));
    }
    return names;
  }

  // For every bound class: the names in its getters and methods tables, as scripts reach them.
  static std::map<std::string, std::set<std::string>> ClassMembers(lua_State* L) {
    std::map<std::string, std::set<std::string>> members;
    lua_pushnil(L);
    while (lua_next(L, LUA_REGISTRYINDEX) != 0) {
      if (lua_type(L, -2) == LUA_TLIGHTUSERDATA && lua_istable(L, -1)) {
        lua_getfield(L, -1, "__classname");
        if (lua_isstring(L, -1)) {
          std::string name = lua_tostring(L, -1);
          for (const char* slot : {"__getters", "__methods"}) {
            lua_getfield(L, -2, slot);
            int at = lua_gettop(L);
            for (const std::string& member : NamesOf(L, at))
              members[name].insert(member);
            lua_pop(L, 1);
          }
        }
        lua_pop(L, 1);
      }
      lua_pop(L, 1);
    }
    return members;
  }

  std::vector<lb::ApiRow> rows;
  std::vector<std::string> problems;
  std::set<std::string> globals;
  std::map<std::string, std::set<std::string>> classMembers;
};

const EngineApi& Api() {
  static EngineApi api;
  return api;
}

std::string Label(const lb::ApiRow& row) {
  return std::string(lb::KindName(row.kind)) + " " + (row.owner.empty() ? "" : row.owner + ".") +
         row.name;
}

TEST(EngineScriptApi, EveryRowHasADescriptionAndScriptTypes) {
  const EngineApi& api = Api();
  ASSERT_GT(api.rows.size(), 300u);
  for (const std::string& problem : api.problems)
    ADD_FAILURE() << problem;
  for (const lb::ApiRow& row : api.rows) {
    EXPECT_FALSE(row.doc.empty()) << Label(row) << " has no .Doc(\"...\") beside its registration";
    EXPECT_TRUE(row.typed) << Label(row) << " is a raw function: give it a .Signature(...)";
    for (const lb::ScriptType& arg : row.args)
      EXPECT_FALSE(arg.Name().empty()) << Label(row) << " takes a class that is never bound";
    bool hasType = row.kind != lb::RowKind::Namespace && row.kind != lb::RowKind::Class;
    if (hasType) {
      EXPECT_FALSE(row.result.Name().empty()) << Label(row) << " gives a class never bound";
    }
  }
}

TEST(EngineScriptApi, EveryGlobalNameTheApiMakesIsARecordedRow) {
  const EngineApi& api = Api();
  lua_State* bare = luaL_newstate();
  luaL_openlibs(bare);
  std::set<std::string> standard = EngineApi::NamesOf(bare, LUA_GLOBALSINDEX);
  lua_close(bare);
  std::set<std::string> recorded;
  for (const lb::ApiRow& row : api.rows)
    if (row.owner.empty())
      recorded.insert(row.name);
  for (const std::string& name : api.globals) {
    if (standard.count(name) || name == "print" || name == "__debugbreak")
      continue;
    EXPECT_TRUE(recorded.count(name)) << "global " << name << " is registered but not recorded";
  }
}

TEST(EngineScriptApi, EveryClassMemberScriptsCanReachIsARecordedRow) {
  const EngineApi& api = Api();
  std::map<std::string, std::set<std::string>> recorded;
  for (const lb::ApiRow& row : api.rows)
    if (row.kind == lb::RowKind::Property || row.kind == lb::RowKind::Method)
      recorded[row.owner].insert(row.name);
  ASSERT_TRUE(api.classMembers.count("GameObject"));
  for (const auto& [cls, members] : api.classMembers)
    EXPECT_EQ(recorded[cls], members) << "class " << cls;
}

} // namespace
