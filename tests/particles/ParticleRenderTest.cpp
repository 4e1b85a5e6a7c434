// Particles on screen: a real window and GL context under X (Xvfb in the test run), the game's
// art and the demo level, frames read back before the swap.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"
#include "Systems/GraphicsEngine.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {
struct Rgb {
  int r, g, b;
};
} // namespace

class ParticleRender : public ::testing::Test {
protected:
  void SetUp() override {
    VANTIX_NEED_DISPLAY(X11VideoStarts(), "no display for a GL window");
    for (const char* folder : {"Graphics", "Archetypes", "Node Levels"})
      fs::copy(DataFile(folder), dir.Path() / folder, fs::copy_options::recursive);
    engine = new Engine();
    RegisterAllTypes();
    graphics = new GraphicsEngine("VANTIX test");
    graphics->Initialize();
    main = engine->CreateSpace("Main");
    main->nextActive = true;
  }
  void TearDown() override {
    if (!graphics)
      return;
    particles.Shutdown();
    graphics->Shutdown();
    delete engine;
    delete graphics;
  }
  // Runs the particle and physics systems for `frames` frames, then draws one and reads it.
  void Run(int frames) {
    for (int i = 0; i < frames; ++i) {
      particles.Update(1.0f / 60.0f, main);
      physics.Update(1.0f / 60.0f, main);
      main->EndFrame();
    }
    graphics->SetClearPending();
    graphics->Update(1.0f / 60.0f, main);
    graphics->Draw();
    ASSERT_TRUE(graphics->ReadFrame(frame, width, height));
  }
  // Colour at a world point seen through the default camera: 10 units tall and as wide as the
  // window's shape, drawn into the letter-boxed viewport (72 pixels a unit in 1280 x 720).
  Rgb At(float wx, float wy) const {
    const GraphicsEngine::Viewport& view = graphics->CurrentViewport();
    int x = static_cast<int>(view.x + view.width / 2.0f + wx * PerUnitX());
    int y = static_cast<int>(height - (view.y + view.height / 2.0f) - wy * PerUnitY());
    const unsigned char* p = &frame[static_cast<size_t>((y * width + x) * 4)];
    return {p[0], p[1], p[2]};
  }
  float PerUnitX() const {
    return graphics->CurrentViewport().width / (10.0f * static_cast<float>(width) / height);
  }
  float PerUnitY() const { return graphics->CurrentViewport().height / 10.0f; }
  // Pixels of the world rectangle whose strongest channel is `channel` and clearly lit, counted
  // as pixels of a 1280 x 720 window.
  int Lit(float x0, float y0, float x1, float y1, int channel) const {
    int count = 0;
    for (float y = y0; y < y1; y += 1.0f / PerUnitY())
      for (float x = x0; x < x1; x += 1.0f / PerUnitX()) {
        Rgb c = At(x, y);
        int v[3] = {c.r, c.g, c.b};
        count += v[channel] > 60 && v[channel] >= v[(channel + 1) % 3] &&
                 v[channel] >= v[(channel + 2) % 3];
      }
    return static_cast<int>(count * 72.0f * 72.0f / (PerUnitX() * PerUnitY()));
  }

  ScratchDir dir;
  ParticleSystem particles;
  PhysicsEngine physics;
  Engine* engine = nullptr;
  GraphicsEngine* graphics = nullptr;
  Space* main = nullptr;
  std::vector<unsigned char> frame;
  int width = 0, height = 0;
};

TEST_F(ParticleRender, ASimpleParticleShowsItsTintedImage) {
  GameObject* source = main->CreateEmptyObject();
  static_cast<Transform*>(source->AddComponent("Transform"))->translation_ = {2.0f, 1.0f, 1.0f};
  auto* e = static_cast<SimpleEmitter*>(source->AddComponent("SimpleEmitter"));
  e->SpriteSource = "spark.png";
  e->Color = {1.0f, 0.0f, 0.0f, 1.0f};
  e->Area = {0.0f, 0.0f};
  e->VelocityVariance = {0.0f, 0.0f};
  e->EmissionRate = 30.0f;
  Run(3);
  Rgb centre = At(2.0f, 1.0f);
  EXPECT_GT(centre.r, 200) << "the bright middle of the dot";
  EXPECT_LT(centre.g + centre.b, 10);
  Rgb beside = At(3.5f, 1.0f);
  EXPECT_EQ(beside.r + beside.g + beside.b, 0) << "nothing beyond the dot";
}

TEST_F(ParticleRender, TheDemoLevelShowsEachOfItsEmitters) {
  main->LoadLevel("Node Levels\\ParticleDemo.level");
  Run(90);
  // The blue ring around (-4.5, 0.5) with its dark hole, the orange fountain rising from
  // (0, -2.5), the green drift around (4.5, 0), and nothing far from all three.
  EXPECT_GT(Lit(-6.1f, 1.7f, -2.9f, 2.1f, 2), 500);
  EXPECT_EQ(Lit(-4.8f, 0.2f, -4.2f, 0.8f, 2), 0);
  EXPECT_GT(Lit(-0.8f, -2.5f, 0.8f, 1.0f, 0), 2000);
  EXPECT_GT(Lit(3.6f, -1.4f, 5.4f, 1.4f, 1), 1000);
  EXPECT_EQ(Lit(6.5f, -4.5f, 8.5f, -2.5f, 0) + Lit(6.5f, -4.5f, 8.5f, -2.5f, 1), 0);
}
