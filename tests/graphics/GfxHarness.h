#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "support/TestSupport.h"

class Engine;
class GraphicsEngine;
class GameObject;
class Space;

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);
// Within a few steps per channel (linear filtering and blending round differently).
bool Near(const Rgb& a, const Rgb& b, int tolerance = 6);

// A small RGBA image to write as PNG into the scratch art folder.
struct TestImage {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
  TestImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w * h * 4), 0) {}
  void Fill(int x0, int y0, int w, int h, Rgb c, int a = 255);
  void Save(const std::string& relative) const;
};

// Writes the images every rendering test uses into Graphics/Art, their art list, and copies the
// game's shaders into Graphics/Shaders:
//   red.png, green.png, blue.png   8x8 solid
//   quads.png   16x16: top-left red, top-right green, bottom-left blue, bottom-right white
//   sheet.png   4 frames of 8x8: red, green, blue, white (0.1 s per frame)
//   cells.png   a test font: 95 frames of 4x4, frame g solid (g * 2 + 10, 200, 50)
//   missing.png listed but not on disk
//   img_test.png  8x8 solid magenta (the fallback)
void WriteTestArt(const ScratchDir& dir);
void CopyShaders(const ScratchDir& dir);

// Keeps the GL driver libraries loaded for the rest of the process (call with a context open).
void PinGraphicsDrivers();

// A window, a GL context and the test art in a scratch data folder, with an engine that holds
// the spaces. Frames are drawn and read back before the swap.
class RenderTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Collects every space and draws, like one engine frame up to the swap.
  void Frame(float dt = 0.0f);
  void Swap();
  // Colour at a window pixel (origin top-left) of the last frame drawn.
  Rgb Pixel(int x, int y) const;
  // Some pixel within two pixels of (x, y) has exactly that colour (thin lines).
  bool AnyNear(int x, int y, Rgb colour) const;
  // Colour at a world point seen through the default camera (72 pixels per unit, origin at the
  // window's centre).
  Rgb At(float wx, float wy) const;
  int PixelX(float wx) const;
  int PixelY(float wy) const;

  // An object with a Transform (and a sprite of that art name when not empty).
  GameObject* AddSprite(Space* space, const std::string& art, float x, float y, float scale = 1.0f,
                        int z = 0);

  std::unique_ptr<ScratchDir> dir;
  Engine* engine = nullptr;
  GraphicsEngine* graphics = nullptr;
  Space* main = nullptr;
  std::vector<unsigned char> frame;
  int frameWidth = 0, frameHeight = 0;
  bool started = false;
  // The display is 1280 x 720, so the window started in desktop full screen at that size (the
  // harness otherwise leaves full screen for a 1280 x 720 window, see SetUp).
  bool onReferenceScreen = false;
};

// For tests of the desktop-sized full-screen window itself, which only a 1280 x 720 display
// can show.
#define VANTIX_NEED_REFERENCE_SCREEN()                                                             \
  do {                                                                                             \
    if (!onReferenceScreen)                                                                        \
      GTEST_SKIP() << "the display is not 1280 x 720";                                             \
  } while (0)
