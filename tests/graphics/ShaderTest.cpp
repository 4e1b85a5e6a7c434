// Shader build failures at start-up: reported, the key wait does not block on a closed input,
// and the engine is asked to quit.
#include <gtest/gtest.h>
#include <unistd.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/ShaderProgram.h"
#include "Meta/TypeRegistry.h"
#include "Systems/GraphicsEngine.h"
#include "graphics/GfxHarness.h"

namespace {
// Standard input as a pipe whose writer is already closed.
std::FILE* ClosedInput() {
  int fds[2];
  if (pipe(fds) != 0)
    return nullptr;
  close(fds[1]);
  return fdopen(fds[0], "r");
}
} // namespace

TEST(ShaderFailure, WaitForKeyEndsAtEndOfInputAndRequestsQuit) {
  Engine engine;
  std::FILE* input = ClosedInput();
  ASSERT_NE(input, nullptr);
  g_fatalKeyInput = input;
  testing::internal::CaptureStdout();
  ReportFatal("something broke");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "something broke\npress any key to quit\n");
  EXPECT_TRUE(engine.quit);
  g_fatalKeyInput = stdin;
  std::fclose(input);
}

TEST(ShaderFailure, BrokenAndMissingFilesAreReportedAndNothingIsDrawn) {
  VANTIX_NEED_DISPLAY(X11VideoStarts(), "no display for a GL window");
  ScratchDir dir;
  WriteTestArt(dir);
  CopyShaders(dir);
  dir.Write("Graphics/Shaders/FSSprite.glsl", "#version 330\nvoid main() { this is not glsl }\n");
  std::filesystem::remove(dir.Path() / "Graphics/Shaders/VSArrow.glsl");

  Engine engine;
  RegisterAllTypes();
  std::FILE* input = ClosedInput();
  g_fatalKeyInput = input;
  auto* graphics = new GraphicsEngine("VANTIX test");
  testing::internal::CaptureStdout();
  graphics->Initialize();
  std::string out = testing::internal::GetCapturedStdout();
  PinGraphicsDrivers();
  g_fatalKeyInput = stdin;
  std::fclose(input);

  EXPECT_NE(out.find("Shader Graphics\\Shaders\\FSSprite.glsl failed to compile\n"
                     "press any key to quit\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("failed to open Graphics\\Shaders\\VSArrow.glsl\npress any key to quit\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("Failed to link"), std::string::npos) << out;
  EXPECT_TRUE(engine.quit);
  EXPECT_EQ(graphics->spriteProgram.program, 0u);
  EXPECT_EQ(graphics->arrowProgram.program, 0u);
  // The art still loaded, and a frame with a sprite neither draws nor trips the GL check.
  EXPECT_NE(graphics->FindTexture("red.png"), nullptr);
  Space* space = engine.CreateSpace("Main");
  (void)space;
  graphics->SetClearPending();
  graphics->Update(0.0f, space);
  graphics->Draw();
  graphics->Shutdown();
  delete graphics;
}

TEST(ShaderFailure, TheGameShadersBuild) {
  VANTIX_NEED_DISPLAY(X11VideoStarts(), "no display for a GL window");
  ScratchDir dir;
  CopyShaders(dir);
  Engine engine;
  auto* graphics = new GraphicsEngine("VANTIX test");
  testing::internal::CaptureStdout();
  graphics->Initialize();
  std::string out = testing::internal::GetCapturedStdout();
  PinGraphicsDrivers();
  EXPECT_FALSE(engine.quit) << out;
  EXPECT_NE(graphics->spriteProgram.program, 0u);
  EXPECT_NE(graphics->arrowProgram.program, 0u);
  // No art list here: the message, and an empty table.
  EXPECT_NE(out.find("Failed to open the art asset file"), std::string::npos);
  EXPECT_TRUE(graphics->textures.empty());
  graphics->Shutdown();
  delete graphics;
}
