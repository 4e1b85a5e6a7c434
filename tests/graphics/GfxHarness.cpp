// The window-test harness: scratch art, a real window and GL context, pixel reads.
#include "graphics/GfxHarness.h"

#include <GL/glew.h>

#include <SDL.h>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <link.h>
#include <sstream>
#include <stb_image_write.h>
#include <string>
#include <utility>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Sprite.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Systems/GraphicsEngine.h"

namespace fs = std::filesystem;

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

void TestImage::Fill(int x0, int y0, int w, int h, Rgb c, int a) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      unsigned char* p = &pixels[static_cast<size_t>((y * width + x) * 4)];
      p[0] = static_cast<unsigned char>(c.r);
      p[1] = static_cast<unsigned char>(c.g);
      p[2] = static_cast<unsigned char>(c.b);
      p[3] = static_cast<unsigned char>(a);
    }
}

void TestImage::Save(const std::string& relative) const {
  fs::create_directories(fs::path(relative).parent_path());
  stbi_write_png(relative.c_str(), width, height, 4, pixels.data(), width * 4);
}

void WriteTestArt(const ScratchDir& dir) {
  auto solid = [](Rgb c) {
    TestImage img(8, 8);
    img.Fill(0, 0, 8, 8, c);
    return img;
  };
  solid({255, 0, 0}).Save("Graphics/Art/red.png");
  solid({0, 255, 0}).Save("Graphics/Art/green.png");
  solid({0, 0, 255}).Save("Graphics/Art/blue.png");
  solid({255, 0, 255}).Save("Graphics/Art/img_test.png");

  TestImage quads(16, 16);
  quads.Fill(0, 0, 8, 8, {255, 0, 0});
  quads.Fill(8, 0, 8, 8, {0, 255, 0});
  quads.Fill(0, 8, 8, 8, {0, 0, 255});
  quads.Fill(8, 8, 8, 8, {255, 255, 255});
  quads.Save("Graphics/Art/quads.png");

  TestImage sheet(32, 8);
  const Rgb frames[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  for (int f = 0; f < 4; ++f)
    sheet.Fill(f * 8, 0, 8, 8, frames[f]);
  sheet.Save("Graphics/Art/sheet.png");

  TestImage cells(95 * 4, 4);
  for (int g = 0; g < 95; ++g)
    cells.Fill(g * 4, 0, 4, 4, {g * 2 + 10, 200, 50});
  cells.Save("Graphics/Art/cells.png");

  dir.Write("Graphics/Art/sahatmftu.txt", "img_test.png s 8 1 0\n"
                                          "red.png s 8 1 0\n"
                                          "green.png s 8 1 0\n"
                                          "blue.png s 8 1 0\n"
                                          "quads.png s 16 1 0\n"
                                          "sheet.png a 8 4 0.1\n"
                                          "cells.png s 4 95 0\n"
                                          "missing.png s 8 1 0\n");
}

void CopyShaders(const ScratchDir& dir) {
  fs::create_directories(dir.Path() / "Graphics/Shaders");
  for (const char* name : {"VSSprite.glsl", "FSSprite.glsl", "VSArrow.glsl", "FSArrow.glsl",
                           "VSSpriteBatch.glsl", "FSSpriteBatch.glsl"})
    fs::copy_file(DataFile(std::string("Graphics/Shaders/") + name),
                  dir.Path() / "Graphics/Shaders" / name, fs::copy_options::overwrite_existing);
}

void PinGraphicsDrivers() {
  // The GL driver is unloaded when the display closes; a leak report from inside it would then
  // show bare addresses that no suppression can match. Keeping it mapped lets the report name it.
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        std::string name = info->dlpi_name ? info->dlpi_name : "";
        for (const char* driver : {"_dri.so", "libgallium", "libLLVM", "libGLX_mesa", "libglapi"})
          if (name.find(driver) != std::string::npos)
            dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

void RenderTest::SetUp() {
  VANTIX_NEED_DISPLAY(X11VideoStarts(), "no display for a GL window");
  dir = std::make_unique<ScratchDir>();
  WriteTestArt(*dir);
  CopyShaders(*dir);
  engine = new Engine();
  RegisterAllTypes();
  graphics = new GraphicsEngine("VANTIX test");
  graphics->Initialize();
  PinGraphicsDrivers();
  main = engine->CreateSpace("Main");
  started = true;
  // The window starts in desktop full screen, so it takes the size of whatever X server the
  // display names; on a machine where several runs share displays that is now and then one of
  // another size (1024 wide was seen), and every pixel the tests look at moves. Leaving full
  // screen gives the configured 1280 x 720 window the tests' arithmetic assumes; the loop waits
  // (a little) until the server has mapped and sized it.
  auto drawable = [this] {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(graphics->window, &width, &height);
    return std::pair{width, height};
  };
  onReferenceScreen = drawable() == std::pair{1280, 720};
  if (!onReferenceScreen)
    graphics->ToggleFullScreen();
  for (int waited = 0; waited < 200; ++waited) {
    SDL_PumpEvents();
    Uint32 flags = SDL_GetWindowFlags(graphics->window);
    if ((flags & SDL_WINDOW_SHOWN) && !(flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) &&
        drawable() == std::pair{1280, 720})
      break;
    SDL_Delay(10);
  }
  glFinish();
  auto [width, height] = drawable();
  ASSERT_EQ(width, 1280) << "the tests expect a 1280 x 720 window";
  ASSERT_EQ(height, 720) << "the tests expect a 1280 x 720 window";
}

void RenderTest::TearDown() {
  if (!started)
    return;
  graphics->Shutdown();
  delete engine; // the spaces and their components go after the context, as in the game
  delete graphics;
  dir.reset();
}

void RenderTest::Frame(float dt) {
  graphics->SetClearPending();
  for (Space* space : engine->spaces)
    graphics->Update(dt, space);
  graphics->Draw();
  ASSERT_TRUE(graphics->ReadFrame(frame, frameWidth, frameHeight));
}

void RenderTest::Swap() {
  graphics->SwapWindow();
}

Rgb RenderTest::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= frameWidth || y >= frameHeight)
    return {-1, -1, -1};
  const unsigned char* p = &frame[static_cast<size_t>((y * frameWidth + x) * 4)];
  return {p[0], p[1], p[2]};
}

bool RenderTest::AnyNear(int x, int y, Rgb colour) const {
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx)
      if (Pixel(x + dx, y + dy) == colour)
        return true;
  return false;
}

int RenderTest::PixelX(float wx) const {
  return static_cast<int>(static_cast<float>(frameWidth) / 2.0f + wx * 72.0f);
}
int RenderTest::PixelY(float wy) const {
  return static_cast<int>(static_cast<float>(frameHeight) / 2.0f - wy * 72.0f);
}

Rgb RenderTest::At(float wx, float wy) const {
  return Pixel(PixelX(wx), PixelY(wy));
}

GameObject* RenderTest::AddSprite(Space* space, const std::string& art, float x, float y,
                                  float scale, int z) {
  GameObject* object = space->CreateEmptyObject();
  auto* transform = static_cast<Transform*>(object->AddComponent("Transform"));
  transform->translation_ = Vector2D(x, y, 1.0f);
  transform->scale_ = Vector2D(scale, scale, 0.0f);
  transform->z_order = z;
  if (!art.empty()) {
    auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
    sprite->SwapTexture(art);
    sprite->active_animation_ = false;
  }
  return object;
}
