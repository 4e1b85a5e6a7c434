// The Sounds rows of the script API, called from Lua on a running audio system, and the same
// calls answered harmlessly when there is no audio system.
#include <lua.hpp>
#include <string>

#include "Scripting/LuaEngine.h"
#include "audio/SoundsFixture.h"

namespace {
// Runs a chunk and returns its one result as text, or "error: <message>".
std::string Lua(lua_State* L, const std::string& code) {
  if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
    std::string message = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_settop(L, 0);
    return "error: " + message;
  }
  std::string result;
  if (lua_isboolean(L, -1))
    result = lua_toboolean(L, -1) ? "true" : "false";
  else if (lua_isnil(L, -1))
    result = "nil";
  else
    result = lua_tostring(L, -1) ? lua_tostring(L, -1) : luaL_typename(L, -1);
  lua_settop(L, 0);
  return result;
}
} // namespace

class SoundsScriptTest : public SoundsTest {
protected:
  void SetUp() override {
    lua.Initialize();
    L = lua.L;
  }
  void TearDown() override {
    lua.Shutdown();
    SoundsTest::TearDown();
  }
  LuaEngine lua;
  lua_State* L = nullptr;
};

TEST_F(SoundsScriptTest, ScriptsReadAndSetTheFlagsAndMultipliers) {
  Start();
  EXPECT_EQ(Lua(L, "return Sounds.SoundFocusToggle()"), "false");
  EXPECT_EQ(Lua(L, "return Sounds.GetSoundFocus()"), "false");
  Lua(L, "Sounds.SetSoundFocus(true)");
  EXPECT_TRUE(sounds.GetSoundFocus());
  Lua(L, "Sounds.SetSoundToggle(true)");
  EXPECT_EQ(Lua(L, "return Sounds.GetSoundToggle()"), "true");
  Lua(L, "Sounds.SetSFXVolume(0.5) Sounds.SetMusicVolume(0.25)");
  EXPECT_EQ(Lua(L, "return Sounds.GetSFXVolume() .. ' ' .. Sounds.GetMusicVolume()"), "0.5 0.25");
  Lua(L, "Sounds.SetVolume('ping', 0.5, false) Sounds.SetVolume('link', 0.1, true)");
  EXPECT_FLOAT_EQ(sounds.StoredVolume("ping"), 0.5f);
  EXPECT_FLOAT_EQ(sounds.StoredVolume("link"), 1.0f);
  Lua(L, "Sounds.SetVolumeCategory('SFX', 0)");
  float volume = -1;
  sounds.InstanceOf("unlink").GetVolume(&volume);
  EXPECT_FLOAT_EQ(volume, 0.0f);
}

TEST_F(SoundsScriptTest, ScriptsPlaySoundsRunTheGaugeAndMoveTheLoopPoint) {
  Start();
  Lua(L, "Sounds.PlaySound('hudbloop')");
  EXPECT_EQ(State("hudbloop"), audio::PlaybackState::Playing);
  Lua(L, "Sounds.SiphonSoundCall()");
  EXPECT_TRUE(sounds.SiphonPlaying());
  Lua(L, "Sounds.SiphonSoundEnd()");
  EXPECT_FALSE(sounds.SiphonPlaying());
  Lua(L, "Sounds.SetLoopPoint(0.25)");
  audio::ParameterInstance loop;
  ASSERT_EQ(sounds.InstanceOf("theme").GetParameter("LoopPoint1", &loop), audio::Result::Ok);
  float value = 0;
  loop.GetValue(&value);
  EXPECT_FLOAT_EQ(value, 0.25f);
  EXPECT_NE(Lua(L, "Sounds.SetVolume('ping')").find("error: "), std::string::npos);
}

TEST(SoundsScriptWithoutSystemTest, TheRowsDoNothingWithoutAnAudioSystem) {
  LuaEngine lua;
  lua.Initialize();
  EXPECT_EQ(Lua(lua.L, "Sounds.PlaySound('ping') Sounds.SiphonSoundCall() "
                       "Sounds.SetLoopPoint(1) return Sounds.GetSFXVolume()"),
            "0");
  EXPECT_EQ(Lua(lua.L, "return Sounds.SoundFocusToggle()"), "false");
  lua.Shutdown();
}
