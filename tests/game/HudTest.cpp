// The HUD in the "HUD" space: what it shows of the turn controller's state, that it shows
// nothing on the other screens, and that none of its elements covers a node of any level of the
// game (each node's drawn rectangle through the level's camera against each element's drawn
// rectangle through the default view, both in window coordinates).
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <glm/glm.hpp>

#include "GameFixture.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"

namespace {

struct Rect {
  float x0, y0, x1, y1;
  bool Overlaps(const Rect& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Height of a PNG from its header (the font's glyph cells are as high as the sheet).
int PngHeight(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[24] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  return (header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23];
}

class HudTest : public GameTest {
protected:
  void SetUp() override {
    GameTest::SetUp();
    CopyGameData();
    StartEngine();
  }
  Space* Hud() { return engine->GetHUDSpace(); }
  Font* FontOf(const char* name) {
    GameObject* object = Hud()->GetObjectByName(name);
    return object ? object->Get<Font>("Font") : nullptr;
  }
  std::string Text(const char* name) {
    Font* font = FontOf(name);
    return font ? font->GetText() : "<none>";
  }
  bool Shown(const char* name) {
    Font* font = FontOf(name);
    return font && font->visible_;
  }
  std::string Rule(const std::string& expression) {
    return Eval("dofile('Scripts/lib/GameRules.lua')." + expression);
  }

  // A world rectangle through a view-projection into window coordinates (-1..1).
  static Rect Through(const glm::mat3& viewProjection, Rect world) {
    glm::vec3 a = viewProjection * glm::vec3(world.x0, world.y0, 1.0f);
    glm::vec3 b = viewProjection * glm::vec3(world.x1, world.y1, 1.0f);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  }

  // The drawn extent of a text of `length` characters: each glyph is a cell 2 x half-cell wide
  // and 2 high (times the scale), placed as the text's alignment places it.
  static Rect TextRect(const Transform& t, const Font& font, unsigned length, float halfCell) {
    float w = halfCell * t.scale_.x_;
    float L = static_cast<float>(length);
    float first = 0.0f; // centre of the first glyph relative to the object
    if (font.align_ == 0)
      first = w;
    else if (font.align_ == 1)
      first = length % 2 == 0 ? w * (1.0f - L) : -L * w;
    else
      first = w * (1.0f - 2.0f * L);
    float x = t.translation_.x_ + first;
    return {x - w, t.translation_.y_ - t.scale_.y_, x + w * (2.0f * L - 1.0f),
            t.translation_.y_ + t.scale_.y_};
  }
};

TEST_F(HudTest, ShowsTheLevelsStateAndTheRefusalAndUpdatesAfterEachTurn) {
  Load("Level02.level");
  Frames(3);
  ASSERT_EQ(Hud()->LevelName, "Hud.level");
  EXPECT_EQ(Text("Level"), "LEVEL 2  SIPHON");
  EXPECT_EQ(Text("Par"), "PAR 4");
  EXPECT_EQ(Text("Credits"), "CREDITS " + State("Credits"));
  EXPECT_EQ(Text("Keys"), "KEYS 0");
  EXPECT_EQ(Text("Turn"), "TURNS 0");
  EXPECT_EQ(Text("Help"), State("Help"));
  EXPECT_FALSE(Text("Help").empty());
  EXPECT_EQ(Text("Refusal"), "");
  for (const char* name : {"Level", "Par", "Credits", "Keys", "Turn", "Refusal", "Help"})
    EXPECT_TRUE(Shown(name)) << name;

  Tap(SDLK_UP); // Level02 has no link up from its start
  Frames(2);
  EXPECT_EQ(Text("Refusal"), Rule("Refusal.NoLink"));
  EXPECT_EQ(Text("Turn"), "TURNS 0");
  Play("right");
  Frames(2);
  EXPECT_EQ(Text("Turn"), "TURNS 1");
  EXPECT_EQ(Text("Refusal"), "");
  EXPECT_EQ(Text("Credits"), "CREDITS " + State("Credits"));

  Load("MainMenu.level");
  Frames(2);
  for (const char* name : {"Level", "Par", "Credits", "Keys", "Turn", "Refusal", "Help"})
    EXPECT_FALSE(Shown(name)) << name;
}

TEST_F(HudTest, KeysHeldShowOneIconPerKeyTypeInItsColour) {
  Load("Level12.level");
  Frames(3);
  ASSERT_EQ(luaL_dostring(L, "local c = Engine.GetSpaceByName('Main'):GetObjectByName("
                             "'TurnController').TurnController c.Keys = { [1] = 2, [2] = 1 } "
                             "c.KeyCount = 3"),
            0)
      << lua_tostring(L, -1);
  Frame();
  EXPECT_EQ(Text("Keys"), "KEYS 3");
  auto key = [&](int i) {
    return Hud()->GetObjectByName(("Key" + std::to_string(i)).c_str())->Get<Sprite>("Sprite");
  };
  EXPECT_TRUE(key(1)->visible_);
  EXPECT_TRUE(key(2)->visible_);
  EXPECT_FALSE(key(3)->visible_);
  EXPECT_EQ(std::to_string(key(1)->GetRed()) + "," + std::to_string(key(1)->GetGreen()),
            Rule("KeyColor[1][1]") + "," + Rule("KeyColor[1][2]"));
  EXPECT_EQ(std::to_string(key(2)->GetBlue()), Rule("KeyColor[2][3]"));
}

TEST_F(HudTest, NoHudElementCoversANodeOnAnyLevel) {
  float halfCell = 12.0f / static_cast<float>(PngHeight(DataFile("Graphics/Art/font.png")));
  ASSERT_GT(halfCell, 0.1f);
  // The HUD space has no camera: the default view, 10 units high in the 1280 x 720 window.
  Camera view(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 10.0f * 1280.0f / 720.0f, 10.0f);
  // The longest line the help and refusal texts can show.
  unsigned longest = static_cast<unsigned>(std::stoi(Eval(R"((function()
    local R, n = dofile('Scripts/lib/GameRules.lua'), 0
    for _, group in ipairs({ R.Help, R.LevelHelp, R.Refusal }) do
      for _, line in pairs(group) do n = math.max(n, #string.format(line, 99)) end
    end
    return n end)())")));

  int levels = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "Node Levels")) {
    std::string file = entry.path().filename().string();
    if (file.rfind("Level", 0) != 0 || !std::isdigit(static_cast<unsigned char>(file[5])))
      continue;
    ++levels;
    Load(file);
    Frames(3);
    ASSERT_EQ(State("Phase"), "idle") << file;
    Camera* camera = nullptr;
    for (GameObject* object : main->objects)
      if (object && object->Get<Camera>("Camera"))
        camera = object->Get<Camera>("Camera");
    ASSERT_NE(camera, nullptr) << file;

    std::vector<std::pair<std::string, Rect>> hud;
    for (GameObject* object : Hud()->objects) {
      if (!object)
        continue;
      auto* t = object->Get<Transform>("Transform");
      if (Font* font = object->Get<Font>("Font")) {
        unsigned length = static_cast<unsigned>(font->GetText().size()) + 2; // room to grow
        if (object->m_Name == "Help" || object->m_Name == "Refusal")
          length = std::max(length, longest);
        hud.push_back({object->m_Name,
                       Through(view.GetViewProjection(), TextRect(*t, *font, length, halfCell))});
      } else if (object->Get<Sprite>("Sprite")) {
        const Vector2D& p = t->translation_;
        Rect r{p.x_ - t->scale_.x_, p.y_ - t->scale_.y_, p.x_ + t->scale_.x_, p.y_ + t->scale_.y_};
        hud.push_back({object->m_Name, Through(view.GetViewProjection(), r)});
      }
    }
    ASSERT_GE(hud.size(), 7u);
    for (const auto& [name, r] : hud)
      EXPECT_TRUE(r.x0 >= -1.0f && r.x1 <= 1.0f && r.y0 >= -1.0f && r.y1 <= 1.0f)
          << file << ": " << name << " leaves the window";

    for (GameObject* node : main->GetObjectsByName("Node")) {
      auto* t = node->Get<Transform>("Transform");
      const Vector2D& p = t->translation_;
      // Node art is square: the sprite spans its scale either side of its position.
      Rect world{p.x_ - t->scale_.x_, p.y_ - t->scale_.y_, p.x_ + t->scale_.x_,
                 p.y_ + t->scale_.y_};
      Rect drawn = Through(camera->GetViewProjection(), world);
      for (const auto& [name, r] : hud)
        EXPECT_FALSE(drawn.Overlaps(r))
            << file << ": " << name << " covers the node at " << p.x_ << ", " << p.y_;
    }
  }
  EXPECT_GE(levels, 12);
}

} // namespace
