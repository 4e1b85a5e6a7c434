// Batched sprite drawing against each sprite's own draw: the same scene drawn both ways in one
// window must give the same frame, byte for byte, while the batch makes far fewer draw calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Systems/GraphicsEngine.h"
#include "Utilities/Check.h"
#include "graphics/GfxHarness.h"

namespace {
// Noise shows any difference in filtering, mip levels or texel placement; solid colours would
// hide them.
void SaveNoise(const std::string& path, int w, int h, unsigned seed) {
  TestImage image(w, h);
  std::mt19937 random(seed);
  for (size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = static_cast<unsigned char>(i % 4 == 3 ? 128 + random() % 128 : random());
  image.Save(path);
}

class BatchScene : public RenderTest {
protected:
  void SetUp() override {
    RenderTest::SetUp();
    if (!started)
      return;
    // Three images of one size (one page), a sheet of another, and a third size, added to the
    // harness's list; the graphics system starts over to read it.
    SaveNoise("Graphics/Art/n1.png", 16, 16, 1);
    SaveNoise("Graphics/Art/n2.png", 16, 16, 2);
    SaveNoise("Graphics/Art/n3.png", 16, 16, 3);
    SaveNoise("Graphics/Art/nsheet.png", 64, 16, 4);
    SaveNoise("Graphics/Art/nbig.png", 40, 24, 5);
    dir->Write("Graphics/Art/sahatmftu.txt",
               dir->Read("Graphics/Art/sahatmftu.txt") +
                   "n1.png s 16 1 0\nn2.png s 16 1 0\nn3.png s 16 1 0\nnsheet.png a 16 4 0.1\n"
                   "nbig.png s 40 1 0\n");
    graphics->Shutdown();
    delete graphics;
    graphics = new GraphicsEngine("VANTIX test");
    graphics->Initialize();
    ASSERT_TRUE(graphics->spriteBatch.Ready());
  }

  // Draws the frame each way and compares; returns the batch's draw calls.
  size_t CompareFrame(const char* what) {
    graphics->batchSprites = false;
    Frame();
    std::vector<unsigned char> single = frame;
    Swap();
    graphics->batchSprites = true;
    Frame();
    size_t calls = graphics->spriteBatch.DrawCalls();
    Swap();
    EXPECT_EQ(single.size(), frame.size());
    size_t differing = 0, first = frame.size();
    for (size_t i = 0; i < frame.size() && i < single.size(); ++i)
      if (frame[i] != single[i]) {
        ++differing;
        first = std::min(first, i);
      }
    EXPECT_EQ(differing, 0u) << what << ": first difference at pixel " << first / 4 << " (x "
                             << (first / 4) % static_cast<size_t>(frameWidth) << ", y "
                             << (first / 4) / static_cast<size_t>(frameWidth) << ")";
    return calls;
  }

  std::vector<Sprite*> sprites;
  std::vector<Font*> texts;

  void BuildScene(int count) {
    const char* art[] = {"n1.png",  "n2.png",    "nsheet.png", "n3.png",     "nbig.png",
                         "red.png", "sheet.png", "quads.png",  "missing.png"};
    std::mt19937 random(99);
    std::uniform_real_distribution<float> x(-8.0f, 8.0f), y(-4.5f, 4.5f), turn(-3.2f, 3.2f);
    // Scales from well below a texel per pixel (the smallest mip levels) to magnified.
    std::uniform_real_distribution<float> scale(0.02f, 1.6f);
    for (int i = 0; i < count; ++i) {
      GameObject* object = AddSprite(main, art[i % 9], x(random), y(random), scale(random),
                                     static_cast<int>(random() % 10));
      auto* transform = object->Get<Transform>("Transform");
      transform->rotation_ = turn(random);
      transform->scale_.y_ *= 0.5f + static_cast<float>(random() % 100) / 100.0f;
      Sprite* sprite = object->Get<Sprite>("Sprite");
      sprite->SetColor(static_cast<int>(random() % 256), static_cast<int>(random() % 256),
                       static_cast<int>(random() % 256), 230);
      // Tints that are no whole step of 255 (particles set them so) reach the batch unrounded.
      if (i % 5 == 1)
        sprite->SetColorF(0.3f, 0.77f, 1.0f, 0.9f);
      sprite->flipx_ = random() % 3 == 0;
      sprite->flipy_ = random() % 4 == 0;
      for (unsigned f = random() % 4; f > 0; --f)
        sprite->AdvanceFrame();
      sprites.push_back(sprite);
      if (i % 17 == 0) {
        auto* text = static_cast<Font*>(object->AddComponent("Font"));
        text->SwapTexture("cells.png");
        text->SetText("batch " + std::to_string(i));
        texts.push_back(text);
      }
    }
    // A child placed through its parent.
    GameObject* parent = AddSprite(main, "n2.png", 1.0f, 1.0f, 0.7f, 4);
    GameObject* child = AddSprite(main, "n1.png", 1.5f, 0.0f, 0.5f, 4);
    child->SetParent(parent);
    parent->Get<Transform>("Transform")->rotation_ = 0.6f;
  }
};

TEST_F(BatchScene, ReferenceSceneIsPixelIdenticalToSingleDraws) {
  BuildScene(400);
  EXPECT_GT(CompareFrame("reference scene"), 0u);
}

// A frame of thousands of sprites is handed to the GL in parts as it is drawn; the parts add up
// to the same picture.
TEST_F(BatchScene, LargeFrameHandedOverInPartsIsPixelIdentical) {
  BuildScene(2500);
  EXPECT_GT(CompareFrame("2,500 sprites"), 0u);
  EXPECT_GE(graphics->spriteBatch.HandOvers(), 2u);
}

// Images of one size share a page: a layer of sprites whose texture changes from each to the
// next is still one call; an image of another size or an untextured sprite starts a new run.
TEST_F(BatchScene, RunsBreakOnlyWhereThePageChanges) {
  for (int i = 0; i < 200; ++i)
    AddSprite(main,
              i % 3 == 0   ? "n1.png"
              : i % 3 == 1 ? "n2.png"
                           : "n3.png",
              -8.0f + 0.08f * static_cast<float>(i), 0.0f, 0.3f, i % 10);
  EXPECT_EQ(CompareFrame("one page"), 10u);
  // Drawn last-added first: the untextured sprite on its own, then nbig.png's page, then the
  // first page again; layer 4 takes two batched calls.
  AddSprite(main, "nbig.png", 0.0f, 2.0f, 0.5f, 4);
  AddSprite(main, "missing.png", 0.0f, 2.0f, 0.5f, 4);
  EXPECT_EQ(CompareFrame("two pages"), 11u);
}

// Scripts swap textures, animate, flip and recolour every frame; each frame is still the one the
// single draws give.
TEST_F(BatchScene, ChangesEveryFrameKeepThePicture) {
  BuildScene(120);
  const char* art[] = {"n3.png", "nsheet.png", "nbig.png", "n1.png", "sheet.png"};
  for (int round = 0; round < 4; ++round) {
    for (size_t i = 0; i < sprites.size(); ++i) {
      Sprite* sprite = sprites[i];
      switch ((i + static_cast<size_t>(round)) % 5) {
      case 0:
        sprite->SwapTexture(art[(i + static_cast<size_t>(round)) % 5]);
        break;
      case 1:
        sprite->AdvanceFrame();
        break;
      case 2:
        sprite->flipx_ = !sprite->flipx_;
        break;
      case 3:
        sprite->SetColor(40 * round, 255 - 30 * round, 128, 255 - 40 * round);
        break;
      default:
        sprite->visible_ = !sprite->visible_;
        break;
      }
    }
    for (Font* text : texts)
      text->SetText("round " + std::to_string(round));
    CompareFrame(("round " + std::to_string(round)).c_str());
  }
}

TEST_F(BatchScene, SpritesInSeveralSpacesWithTheirOwnViews) {
  BuildScene(60);
  Space* other = engine->CreateSpace("Other");
  other->m_Active = true;
  for (int i = 0; i < 30; ++i)
    AddSprite(other, i % 2 ? "n1.png" : "nbig.png", -6.0f + 0.4f * static_cast<float>(i),
              0.1f * static_cast<float>(i % 7), 0.4f, i % 10);
  graphics->CameraZoom(0.7f);
  CompareFrame("two spaces, zoomed default camera");
}

TEST(BatchShaders, MissingBatchShaderIsReportedAndSpritesDrawOneByOne) {
  VANTIX_NEED_DISPLAY(X11VideoStarts(), "no display for a GL window");
  ScratchDir dir;
  WriteTestArt(dir);
  CopyShaders(dir);
  std::filesystem::remove(dir.Path() / "Graphics/Shaders/FSSpriteBatch.glsl");
  Engine engine;
  RegisterAllTypes();
  auto* graphics = new GraphicsEngine("VANTIX test");
  testing::internal::CaptureStderr();
  graphics->Initialize();
  std::string err = testing::internal::GetCapturedStderr();
  PinGraphicsDrivers();
  EXPECT_NE(err.find("Graphics\\Shaders\\FSSpriteBatch.glsl: the file cannot be opened; sprites "
                     "are drawn one by one"),
            std::string::npos)
      << err;
  EXPECT_FALSE(graphics->spriteBatch.Ready());
  EXPECT_FALSE(engine.quit);

  Space* space = engine.CreateSpace("Main");
  GameObject* object = space->CreateEmptyObject();
  object->AddComponent("Transform");
  static_cast<Sprite*>(object->AddComponent("Sprite"))->SwapTexture("red.png");
  graphics->SetClearPending();
  graphics->Update(0.0f, space);
  graphics->Draw();
  std::vector<unsigned char> rgba;
  int width = 0, height = 0;
  ASSERT_TRUE(graphics->ReadFrame(rgba, width, height));
  const unsigned char* centre = &rgba[static_cast<size_t>((height / 2 * width + width / 2) * 4)];
  EXPECT_EQ(centre[0], 255);
  EXPECT_EQ(centre[1], 0);
  graphics->Shutdown();
  delete graphics;
}
} // namespace
