// The game's own art and shaders: the splash scene (logo and title) as its level places them.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <string>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Systems/GraphicsEngine.h"
#include "graphics/GfxHarness.h"

namespace fs = std::filesystem;

namespace {
GameObject* Place(Space* space, const char* name, float x, float y, float scale, int z) {
  GameObject* object = space->CreateEmptyObject();
  object->m_Name = name;
  auto* transform = static_cast<Transform*>(object->AddComponent("Transform"));
  transform->translation_ = Vector2D(x, y, 1.0f);
  transform->scale_ = Vector2D(scale, scale, 0.0f);
  transform->z_order = z;
  return object;
}

int PixelRow(float wy) {
  return static_cast<int>(360.0f - wy * 72.0f);
}
} // namespace

TEST(SplashScene, LogoAndTitleAppearWhereTheLevelPutsThem) {
  VANTIX_NEED_DISPLAY(X11VideoStarts(), "no display for a GL window");
  ScratchDir dir;
  fs::copy(DataFile("Graphics"), dir.Path() / "Graphics", fs::copy_options::recursive);
  Engine engine;
  RegisterAllTypes();
  auto* graphics = new GraphicsEngine("VANTIX");
  graphics->Initialize();
  PinGraphicsDrivers();
  ASSERT_FALSE(engine.quit);
  // Every entry of the game's art list is loaded.
  std::ifstream list(DataFile("Graphics/Art/sahatmftu.txt"));
  size_t entries = 0;
  for (std::string line; std::getline(list, line);)
    entries += !line.empty();
  EXPECT_EQ(graphics->textureNames.size(), entries);
  Space* main = engine.CreateSpace("Main");

  // As the splash level: Logo at (0, 1), scale 4, z 1; Title "VANTIX" centred at (0, -3),
  // scale 0.6, z 2.
  auto* logo = static_cast<Sprite*>(Place(main, "Logo", 0, 1, 4, 1)->AddComponent("Sprite"));
  logo->source_.filename_ = "Graphics\\Art\\kelvo_logo.png";
  logo->ReapplyAfterLoad();
  auto* title = static_cast<Font*>(Place(main, "Title", 0, -3, 0.6f, 2)->AddComponent("Font"));
  title->source_.filename_ = "Graphics\\Art\\font.png";
  title->ReapplyAfterLoad();
  title->SetText("VANTIX");
  title->align_ = 1;

  graphics->SetClearPending();
  graphics->Update(0.016f, main);
  graphics->Draw();
  std::vector<unsigned char> rgba;
  int width = 0, height = 0;
  ASSERT_TRUE(graphics->ReadFrame(rgba, width, height));
  ASSERT_EQ(width, 1280);
  if (const char* shot = std::getenv("VANTIX_TEST_SCREENSHOT"))
    stbi_write_png(shot, width, height, 4, rgba.data(), width * 4);
  auto pixel = [&](float wx, float wy) {
    int x = static_cast<int>(640.0f + wx * 72.0f), y = static_cast<int>(360.0f - wy * 72.0f);
    if (x < 0 || y < 0 || x >= width || y >= height)
      return Rgb{-1, -1, -1};
    const unsigned char* p = &rgba[static_cast<size_t>((y * width + x) * 4)];
    return Rgb{p[0], p[1], p[2]};
  };

  // The logo is 16 x 8 units from (-8, -3) to (8, 5): an orange panel over image rows 4..100
  // (y 4.75 .. -1.25), transparent around it.
  EXPECT_TRUE(Near(pixel(-6.125f, -0.5f), {240, 112, 48}, 12)) << pixel(-6.125f, -0.5f);
  EXPECT_EQ(pixel(0.0f, -2.0f), (Rgb{0, 0, 0}));
  EXPECT_EQ(pixel(-7.95f, 4.95f), (Rgb{0, 0, 0}));
  EXPECT_EQ(pixel(0.0f, 4.8f), (Rgb{0, 0, 0}));
  EXPECT_EQ(pixel(8.3f, 0.0f), (Rgb{0, 0, 0}));
  // The title spans x -2.7 .. 2.7 and y -3.6 .. -2.4 in white; the left stroke of the V covers
  // texels 1 and 2 of its cell.
  EXPECT_TRUE(Near(pixel(-2.55f, -2.7f), {255, 255, 255}, 12)) << pixel(-2.55f, -2.7f);
  int white = 0, stray = 0;
  for (int y = PixelRow(-2.3f); y <= PixelRow(-3.7f); ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = &rgba[static_cast<size_t>((y * width + x) * 4)];
      bool isWhite = p[0] > 200 && p[1] > 200 && p[2] > 200;
      float wx = (static_cast<float>(x) - 640.0f) / 72.0f;
      if (isWhite && wx > -2.7f && wx < 2.7f)
        ++white;
      else if (isWhite)
        ++stray;
    }
  EXPECT_GT(white, 500);
  EXPECT_EQ(stray, 0);

  graphics->Shutdown();
  delete graphics;
}
