// The Graphics namespace and the Sprite and Font classes as scripts see them.
#include <gtest/gtest.h>
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Systems/GraphicsEngine.h"

namespace {
class ScriptRows : public ::testing::Test {
protected:
  void SetUp() override {
    TextureRecord sheet;
    sheet.width = 256;
    sheet.height = 64;
    sheet.texture = Texture{"Graphics\\Art\\sheet.png", true, 64, 4, 0.25f};
    graphics.textures["sheet.png"] = sheet;
    TextureRecord font = sheet;
    font.texture = Texture{"Graphics\\Art\\font.png", true, 12, 95, 0.0f};
    graphics.textures["font.png"] = font;
    graphics.defaultCameras = {Camera(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 17.0f, 10.0f),
                               Camera(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 17.0f, 10.0f)};
    L = luaL_newstate();
    luaL_openlibs(L);
    lb::RegisterApi(L);
  }
  void TearDown() override { lua_close(L); }

  // Runs a chunk; returns the error text, empty on success.
  std::string Run(const std::string& code) {
    if (luaL_dostring(L, code.c_str()) == 0)
      return "";
    std::string error = lua_tostring(L, -1);
    lua_pop(L, 1);
    return error;
  }
  template <class T> void SetGlobal(const char* name, T* object) {
    lb::PushPtr<T>(L, object);
    lua_setglobal(L, name);
  }

  GraphicsEngine graphics{"headless"};
  lua_State* L = nullptr;
};
} // namespace

TEST_F(ScriptRows, GraphicsNamespaceDrivesTheDefaultCamera) {
  ASSERT_EQ(Run("Graphics.CameraZoom(2) Graphics.CameraZoom(2)\n"
                "Graphics.CameraMove(1.5, -2)\n"
                "zoom = Graphics.CameraZoomGet()\n"
                "x, y = Graphics.CameraPosGetX(), Graphics.CameraPosGetY()\n"
                "full = Graphics.IsFullScreen()"),
            "");
  EXPECT_FLOAT_EQ(graphics.defaultCameras[1].width_, 34.0f);
  ASSERT_EQ(Run("assert(zoom == 2 and x == 1.5 and y == -2 and full == true)"), "");
  EXPECT_NE(Run("Graphics.CameraZoom('big')"), "");
}

TEST_F(ScriptRows, SpritePropertiesAndMethods) {
  Sprite sprite(Texture{"Graphics\\Art\\sheet.png"}, glm::vec4(1.0f));
  SetGlobal("s", &sprite);
  ASSERT_EQ(Run("s.Visible = false s.Flipx = true s.Flipy = true\n"
                "s:SwapTexture('sheet.png')\n"
                "assert(s.Animate == true)\n"
                "s.Animate = false\n"
                "s.Current_Frame = 2\n"
                "s:SetColor(300, -5, 128, 255)\n"
                "s.Green = 51\n"
                "r, g, b, a = s.Red, s.Green, s.Blue, s.Alpha\n"
                "tex = s:GetTexture()\n"
                "s:SwapTexture('unknown.png')"),
            "");
  EXPECT_FALSE(sprite.visible_);
  EXPECT_TRUE(sprite.flipx_ && sprite.flipy_);
  EXPECT_FALSE(sprite.active_animation_);
  EXPECT_EQ(sprite.current_frame_, 2u);
  EXPECT_EQ(Run("assert(r == 255 and g == 51 and b == 128 and a == 255, r..' '..g..' '..b)\n"
                "assert(tex == 'Graphics\\\\Art\\\\sheet.png', tex)"),
            "");
  ASSERT_EQ(Run("s.Current_Frame = -3"), "");
  EXPECT_EQ(sprite.current_frame_, 0u);
  std::string error = Run("s:SetColor('red', 0, 0, 0)");
  EXPECT_NE(error.find("SetColor"), std::string::npos) << error;
}

TEST_F(ScriptRows, FontPropertiesAndMethods) {
  Font font(1, Texture{"Graphics\\Art\\font.png"}, glm::vec4(1.0f), "hello");
  SetGlobal("f", &font);
  ASSERT_EQ(Run("assert(f.Text == 'hello' and f.Length == 5)\n"
                "f.Length = 3\n"
                "n3 = f.Length\n"
                "f.Text = 'hi there'\n"
                "f.Alpha = 0\n"
                "f.Blue = 10\n"
                "f.Current_frame = 4\n"
                "assert(f.Current_frame == 4)\n"
                "f.Visible = false\n"
                "f:SwapTexture('font.png')"),
            "");
  EXPECT_EQ(font.GetText(), "hi there");
  EXPECT_EQ(font.GetLength(), 8u);
  EXPECT_EQ(font.GetAlpha(), 0);
  EXPECT_EQ(font.GetBlue(), 10);
  EXPECT_EQ(font.GetRed(), 255);
  EXPECT_EQ(font.current_frame_, 0u); // a swap restarts the frames
  EXPECT_FALSE(font.visible_);
  EXPECT_EQ(Run("assert(n3 == 3)"), "");
  ASSERT_EQ(Run("f.Length = -1"), "");
  EXPECT_EQ(font.GetLength(), 0u);
}
