// Draws through a real window (Xvfb with Mesa's software renderer in CI) and checks the pixels.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Graphics/Font.h"
#include "Graphics/GLCheck.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Systems/GraphicsEngine.h"
#include "Utilities/Check.h"
#include "graphics/GfxHarness.h"

namespace {
const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255},
    kWhite{255, 255, 255}, kMagenta{255, 0, 255};

Sprite* SpriteOf(GameObject* object) {
  return object->Get<Sprite>("Sprite");
}
Transform* TransformOf(GameObject* object) {
  return object->Get<Transform>("Transform");
}
} // namespace

TEST_F(RenderTest, WindowIsDesktopSizedWithSixteenByNineViewport) {
  VANTIX_NEED_REFERENCE_SCREEN();
  EXPECT_EQ(graphics->name, "GraphicsEngine");
  EXPECT_TRUE(graphics->IsFullScreen());
  EXPECT_GT(graphics->windowWidth, 0);
  GraphicsEngine::Viewport expected =
      GraphicsEngine::LetterBox(graphics->windowWidth, graphics->windowHeight, 1280, 720);
  EXPECT_EQ(graphics->CurrentViewport(), expected);
  ASSERT_EQ(graphics->defaultCameras.size(), 2u);
  EXPECT_FLOAT_EQ(graphics->defaultCameras[0].width_, 10.0f * 1280.0f / 720.0f);
  EXPECT_FLOAT_EQ(graphics->defaultCameras[0].height_, 10.0f);
}

TEST_F(RenderTest, SpriteShowsItsColourAtItsPlaceAndNothingElsewhere) {
  VANTIX_NEED_REFERENCE_SCREEN();
  ASSERT_EQ(graphics->windowWidth, 1280) << "tests expect a 1280x720 screen";
  AddSprite(main, "red.png", 2.0f, 1.0f);
  Frame();
  // The quad is 2 units square (8x8 image) around (2, 1).
  EXPECT_EQ(At(2.0f, 1.0f), kRed);
  EXPECT_EQ(At(2.9f, 1.9f), kRed);
  EXPECT_EQ(At(1.1f, 0.1f), kRed);
  EXPECT_EQ(At(3.2f, 1.0f), kBlack);
  EXPECT_EQ(At(2.0f, -0.2f), kBlack);
  EXPECT_EQ(At(0.0f, 0.0f), kBlack);
}

TEST_F(RenderTest, ScaleRotationAndParentPlacementReachTheQuad) {
  GameObject* parent = AddSprite(main, "", 3.0f, 0.0f);
  TransformOf(parent)->scale_ = Vector2D(2.0f, 2.0f, 0.0f);
  GameObject* child = AddSprite(main, "quads.png", 1.0f, 0.0f, 0.5f);
  child->SetParent(parent);
  Frame();
  // Child at 3 + 1 * 2 = 5, its quad 2 units (scale 0.5 x 2) wide.
  EXPECT_EQ(At(4.5f, 0.5f), kRed);
  EXPECT_EQ(At(5.5f, 0.5f), kGreen);
  EXPECT_EQ(At(4.5f, -0.5f), kBlue);
  EXPECT_EQ(At(6.2f, 0.0f), kBlack);

  // A quarter turn is clockwise: the top-left (red) quadrant moves to the top right.
  TransformOf(child)->rotation_ = 3.14159265f / 2.0f;
  Frame();
  EXPECT_EQ(At(5.5f, 0.5f), kRed);
  EXPECT_EQ(At(5.5f, -0.5f), kGreen);
  EXPECT_EQ(At(4.5f, 0.5f), kBlue);
}

TEST_F(RenderTest, FlipsMirrorTheImage) {
  GameObject* object = AddSprite(main, "quads.png", 0.0f, 0.0f);
  Sprite* sprite = SpriteOf(object);
  Frame();
  EXPECT_EQ(At(-0.5f, 0.5f), kRed);
  EXPECT_EQ(At(0.5f, 0.5f), kGreen);
  EXPECT_EQ(At(-0.5f, -0.5f), kBlue);
  EXPECT_EQ(At(0.5f, -0.5f), kWhite);

  sprite->flipx_ = true;
  Frame();
  EXPECT_EQ(At(-0.5f, 0.5f), kGreen);
  EXPECT_EQ(At(0.5f, 0.5f), kRed);

  sprite->flipx_ = false;
  sprite->flipy_ = true;
  Frame();
  EXPECT_EQ(At(-0.5f, 0.5f), kBlue);
  EXPECT_EQ(At(-0.5f, -0.5f), kRed);

  // Both flips: half a turn.
  sprite->flipx_ = true;
  Frame();
  EXPECT_EQ(At(-0.5f, 0.5f), kWhite);
  EXPECT_EQ(At(0.5f, -0.5f), kRed);
}

TEST_F(RenderTest, ZOrderIsGlobalAcrossSpacesAndEarlierObjectsWinWithinALayer) {
  Space* second = engine->CreateSpace("HUD");
  // Space order would put the second space's sprite last; its lower z keeps it underneath.
  AddSprite(main, "green.png", 0.0f, 0.0f, 1.0f, 2);
  AddSprite(second, "red.png", 0.5f, 0.0f, 1.0f, 1);
  // Same layer, same space: the earlier object is drawn last and ends on top.
  AddSprite(main, "blue.png", 4.0f, 0.0f, 1.0f, 3);
  AddSprite(main, "white.png", 4.5f, 0.0f, 1.0f, 3); // not in the list: fallback image
  Frame();
  EXPECT_EQ(At(0.25f, 0.0f), kGreen);
  EXPECT_EQ(At(1.25f, 0.0f), kRed);
  EXPECT_EQ(At(4.25f, 0.0f), kBlue);
  EXPECT_EQ(At(5.25f, 0.0f), kMagenta);
}

TEST_F(RenderTest, OutOfRangeZOrderAndHiddenOrInactiveAreNotDrawn) {
  GameObject* high = AddSprite(main, "red.png", -4.0f, 0.0f, 1.0f, 10);
  GameObject* low = AddSprite(main, "red.png", 0.0f, 0.0f, 1.0f, -1);
  GameObject* hidden = AddSprite(main, "red.png", 4.0f, 0.0f);
  SpriteOf(hidden)->visible_ = false;
  GameObject* inactive = AddSprite(main, "red.png", 4.0f, 3.0f);
  inactive->m_Active = false;
  SpriteOf(high)->SwapTexture("sheet.png");
  SpriteOf(low)->SwapTexture("sheet.png");
  Frame(1.0f);
  EXPECT_EQ(At(-4.0f, 0.0f), kBlack);
  EXPECT_EQ(At(0.0f, 0.0f), kBlack);
  EXPECT_EQ(At(4.0f, 0.0f), kBlack);
  EXPECT_EQ(At(4.0f, 3.0f), kBlack);
  // Not submitted, so not animated either.
  EXPECT_EQ(SpriteOf(high)->current_frame_, 0u);
  EXPECT_EQ(SpriteOf(low)->current_frame_, 0u);
}

TEST_F(RenderTest, AnimationStepsOnceWhenTheTimerPassesTheRate) {
  GameObject* object = AddSprite(main, "sheet.png", 0.0f, 0.0f);
  Sprite* sprite = SpriteOf(object);
  sprite->SwapTexture("sheet.png"); // starts animating, 0.1 s per frame
  ASSERT_TRUE(sprite->active_animation_);
  Frame(0.0f);
  EXPECT_EQ(At(0.0f, 0.0f), kRed);
  Frame(0.25f); // one step; the surplus 0.15 s is dropped
  EXPECT_EQ(sprite->current_frame_, 1u);
  EXPECT_FLOAT_EQ(sprite->frameTimer, 0.0f);
  EXPECT_EQ(At(0.0f, 0.0f), kGreen);
  Frame(0.1f); // not strictly greater: no step
  EXPECT_EQ(At(0.0f, 0.0f), kGreen);
  Frame(0.05f);
  EXPECT_EQ(At(0.0f, 0.0f), kBlue);
  Frame(0.2f);
  EXPECT_EQ(At(0.0f, 0.0f), kWhite);
  Frame(0.2f); // wraps to the first frame
  EXPECT_EQ(At(0.0f, 0.0f), kRed);
  // A frame set directly (as scripts do) shows at the next draw.
  sprite->active_animation_ = false;
  sprite->current_frame_ = 2;
  Frame(1.0f);
  EXPECT_EQ(At(0.0f, 0.0f), kBlue);
}

TEST_F(RenderTest, TintMultipliesTheImage) {
  GameObject* object = AddSprite(main, "quads.png", 0.0f, 0.0f);
  SpriteOf(object)->SetColor(255, 128, 0, 255);
  Frame();
  EXPECT_TRUE(Near(At(0.5f, -0.5f), {255, 128, 0})) << At(0.5f, -0.5f);
  // Half alpha over black.
  SpriteOf(object)->SetColor(255, 255, 255, 128);
  Frame();
  EXPECT_TRUE(Near(At(0.5f, -0.5f), {128, 128, 128})) << At(0.5f, -0.5f);
}

TEST_F(RenderTest, MissingImageDrawsUntexturedAndUnknownNameFallsBack) {
  GameObject* missing = AddSprite(main, "missing.png", -3.0f, 0.0f);
  ASSERT_EQ(SpriteOf(missing)->textureName, 0u);
  SpriteOf(missing)->SetColor(0, 255, 0, 255);
  GameObject* unknown = AddSprite(main, "", 3.0f, 0.0f);
  auto* sprite = static_cast<Sprite*>(unknown->AddComponent("Sprite"));
  sprite->source_.filename_ = "Graphics\\Art\\nowhere.png";
  sprite->ReapplyAfterLoad();
  Frame();
  // A square of the tint, 2 units wide.
  EXPECT_EQ(At(-3.0f, 0.0f), kGreen);
  EXPECT_EQ(At(-3.9f, 0.9f), kGreen);
  EXPECT_EQ(At(-4.1f, 0.0f), kBlack);
  EXPECT_EQ(At(3.0f, 0.0f), kMagenta);
  // It keeps the name it was given, so that saving the level does not lose it.
  EXPECT_EQ(sprite->GetTexture(), "Graphics\\Art\\nowhere.png");
  EXPECT_NE(LevelText(*main).find("filename_ std::string \"Graphics\\Art\\nowhere.png\""),
            std::string::npos);
  Swap();

  // Without the fallback an unknown name leaves an untextured quad.
  graphics->textures.erase("img_test.png");
  GameObject* bare = AddSprite(main, "", 0.0f, 3.0f);
  auto* untextured = static_cast<Sprite*>(bare->AddComponent("Sprite"));
  untextured->source_.filename_ = "Graphics\\Art\\nowhere.png";
  untextured->ReapplyAfterLoad();
  untextured->SetColor(0, 0, 255, 255);
  Frame();
  EXPECT_EQ(untextured->textureName, 0u);
  EXPECT_EQ(At(0.0f, 3.0f), kBlue);
}

TEST_F(RenderTest, MembersWrittenDirectlyAreLookedUpAtTheNextDraw) {
  GameObject* object = AddSprite(main, "red.png", 0.0f, 0.0f);
  Sprite* sprite = SpriteOf(object);
  sprite->source_.filename_ = "Graphics\\Art\\blue.png";
  sprite->color_ = glm::vec4(1.0f, 1.0f, 1.0f, 1.0f);
  Frame();
  EXPECT_EQ(At(0.0f, 0.0f), kBlue);
  sprite->color_ = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
  Frame();
  EXPECT_EQ(At(0.0f, 0.0f), kBlack);
}

TEST_F(RenderTest, SceneCameraViewsItsSpaceAndTheLastCameraWins) {
  AddSprite(main, "red.png", 5.0f, 0.0f);
  Frame();
  EXPECT_EQ(At(5.0f, 0.0f), kRed);
  EXPECT_EQ(At(0.0f, 0.0f), kBlack);

  GameObject* first = main->CreateEmptyObject();
  auto* camera1 = static_cast<Camera*>(first->AddComponent("Camera"));
  camera1->center_ = glm::vec3(-5.0f, 0.0f, 1.0f);
  camera1->width_ = 10.0f * 16.0f / 9.0f;
  camera1->height_ = 10.0f;
  GameObject* second = main->CreateEmptyObject();
  auto* camera2 = static_cast<Camera*>(second->AddComponent("Camera"));
  camera2->center_ = glm::vec3(5.0f, 0.0f, 1.0f);
  camera2->width_ = 10.0f * 16.0f / 9.0f;
  camera2->height_ = 10.0f;
  Frame();
  EXPECT_EQ(At(0.0f, 0.0f), kRed);
  EXPECT_EQ(At(5.0f, 0.0f), kBlack);

  // A zoomed-out camera (twice the extent) halves the quad.
  camera2->width_ *= 2.0f;
  camera2->height_ *= 2.0f;
  Frame();
  EXPECT_EQ(At(0.4f, 0.4f), kRed);
  EXPECT_EQ(At(0.6f, 0.0f), kBlack);

  // With the editor open, scene cameras are ignored for viewing.
  auto* editor = LevelEditor::ms_Singleton ? LevelEditor::ms_Singleton : new LevelEditor();
  editor->open = true;
  Frame();
  editor->open = false;
  EXPECT_EQ(At(5.5f, 0.5f), kRed);
  // Each scene camera is outlined: camera1's view rectangle spans x -13.9 .. 3.9 (its right
  // edge is on screen, in red) and camera2 gets a white cross at its centre (5, 0).
  EXPECT_TRUE(AnyNear(PixelX(3.89f), PixelY(2.0f), kRed));
  EXPECT_TRUE(AnyNear(PixelX(5.0f) + 20, PixelY(0.0f), kWhite));
  EXPECT_TRUE(AnyNear(PixelX(5.0f), PixelY(0.0f) - 20, kWhite));
  delete editor;
}

TEST_F(RenderTest, SpacesWithAndWithoutCamerasEachUseTheirOwnView) {
  Space* hud = engine->CreateSpace("HUD");
  AddSprite(main, "red.png", 5.0f, 0.0f);
  AddSprite(hud, "green.png", 5.0f, 3.0f);
  GameObject* holder = main->CreateEmptyObject();
  auto* camera = static_cast<Camera*>(holder->AddComponent("Camera"));
  camera->center_ = glm::vec3(5.0f, 0.0f, 1.0f);
  camera->width_ = 10.0f * 16.0f / 9.0f;
  camera->height_ = 10.0f;
  Frame();
  EXPECT_EQ(At(0.0f, 0.0f), kRed);   // main through its camera
  EXPECT_EQ(At(5.0f, 3.0f), kGreen); // HUD through the default camera
  hud->m_Active = false;
  Frame();
  EXPECT_EQ(At(5.0f, 3.0f), kBlack);
}

// A camera that cannot show anything is a mistake in the level: its designer hears of it once,
// by file and object, and again if the camera breaks after being mended.
TEST_F(RenderTest, ACameraWithoutAViewIsReportedOnceByLevelAndObject) {
  main->LevelName = "Cameras.level";
  GameObject* holder = main->CreateEmptyObject();
  holder->m_Name = "Eye";
  auto* camera = static_cast<Camera*>(holder->AddComponent("Camera"));
  camera->width_ = 0.0f;
  testing::internal::CaptureStderr();
  int before = CheckFailureCount();
  Frame();
  Frame();
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(CheckFailureCount() - before, 1);
  EXPECT_NE(said.find("Cameras.level: the Camera of \"Eye\" has a view of 0 x 10 world units"),
            std::string::npos)
      << said;

  camera->width_ = 10.0f;
  testing::internal::CaptureStderr();
  Frame();
  camera->up_ = camera->right_; // the axes now enclose no area
  Frame();
  Frame();
  said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(CheckFailureCount() - before, 2);
  EXPECT_NE(said.find("\"Eye\" has right_ and up_ axes that enclose no area"), std::string::npos)
      << said;
}

TEST_F(RenderTest, DefaultCameraZoomAndMove) {
  AddSprite(main, "red.png", 2.0f, 0.0f);
  graphics->CameraMove(2.0f, 0.0f);
  EXPECT_FLOAT_EQ(graphics->CameraPosGetX(), 2.0f);
  EXPECT_FLOAT_EQ(graphics->CameraPosGetY(), 0.0f);
  Frame();
  EXPECT_EQ(At(0.0f, 0.0f), kRed);
  graphics->CameraZoom(2.0f);
  graphics->CameraZoom(2.0f); // absolute, not cumulative
  EXPECT_FLOAT_EQ(graphics->CameraZoomGet(), 2.0f);
  Frame();
  EXPECT_EQ(At(0.45f, 0.45f), kRed);
  EXPECT_EQ(At(0.55f, 0.0f), kBlack);
  graphics->CameraZoom(0.5f);
  EXPECT_FLOAT_EQ(graphics->CameraZoomGet(), 0.5f);
}

TEST_F(RenderTest, BackgroundColourUsesTheLowEightBitsAndFillsTheLetterBoxBars) {
  VANTIX_NEED_REFERENCE_SCREEN();
  graphics->SetBackgroundColor(256 + 255, 0, 0);
  Frame();
  EXPECT_EQ(Pixel(5, 5), kRed);

  graphics->SetBackgroundColor(0, 0, 255);
  GameObject* big = AddSprite(main, "green.png", 0.0f, 0.0f, 20.0f);
  (void)big;
  // A 1000 x 720 area: the 16:9 picture is 1000 x 563 at y 79, with bars above and below.
  graphics->Resize(1000, 720);
  EXPECT_EQ(graphics->CurrentViewport(), (GraphicsEngine::Viewport{0, 79, 1000, 563}));
  Frame();
  EXPECT_EQ(Pixel(500, 360), kGreen);
  EXPECT_EQ(Pixel(500, 20), kBlue);   // top bar
  EXPECT_EQ(Pixel(500, 700), kBlue);  // bottom bar
  EXPECT_EQ(Pixel(1100, 360), kBlue); // outside the area
  graphics->Resize(1280, 720);
}

TEST_F(RenderTest, ToggleFullScreenTwiceComesBack) {
  VANTIX_NEED_REFERENCE_SCREEN();
  EXPECT_FALSE(graphics->ToggleFullScreen());
  EXPECT_EQ(graphics->cameraIndex, 0);
  EXPECT_EQ(graphics->CurrentViewport(), (GraphicsEngine::Viewport{0, 0, 1280, 720}));
  EXPECT_TRUE(graphics->ToggleFullScreen());
  EXPECT_EQ(graphics->cameraIndex, 1);
  EXPECT_EQ(graphics->CurrentViewport(),
            GraphicsEngine::LetterBox(graphics->windowWidth, graphics->windowHeight, 1280, 720));
}

TEST_F(RenderTest, EmptyFramesClearEachTimeAndListsAreEmptiedByDraw) {
  GameObject* object = AddSprite(main, "red.png", 0.0f, 0.0f);
  Frame();
  EXPECT_EQ(At(0.0f, 0.0f), kRed);
  for (const auto& layer : graphics->spriteLayers)
    EXPECT_TRUE(layer.empty());
  EXPECT_TRUE(graphics->viewProjections.empty());
  EXPECT_EQ(graphics->spaceCounter, 0);
  Swap();
  object->m_Active = false;
  Frame();
  EXPECT_EQ(At(0.0f, 0.0f), kBlack);
}

// A GL error met while drawing is a programming error: the program stops, naming the drawing
// component's own source file. Draws check once a frame (the renderer flushes the checks), and
// before a draw of the other kind, so the error still names the one that met it.
TEST_F(RenderTest, GlErrorsInDrawingNameTheSpriteAndFontFiles) {
  GameObject* object = AddSprite(main, "red.png", 0.0f, 0.0f);
  auto* text = static_cast<Font*>(object->AddComponent("Font"));
  text->SetText("A");
  Sprite* sprite = SpriteOf(object);
  unsigned program = graphics->spriteProgram.program;
  glm::mat3 identity(1.0f);
  EXPECT_DEATH(
      {
        glEnable(0x7FFF); // GL_INVALID_ENUM
        sprite->Draw(identity, program);
        FlushGLErrorChecks();
      },
      "Graphics\\\\Sprite\\.cpp");
  EXPECT_DEATH(
      {
        glEnable(0x7FFF);
        text->Draw(0.0f, 0.0f, 1.0f, 1.0f, 0.0f, identity, program);
        sprite->Draw(identity, program);
        FlushGLErrorChecks();
      },
      "Graphics\\\\Font\\.cpp");
  // Any other check first settles the draw's.
  EXPECT_DEATH(
      {
        glEnable(0x7FFF);
        sprite->Draw(identity, program);
        CheckGLError("Systems\\GraphicsEngine.cpp", 1);
      },
      "Graphics\\\\Sprite\\.cpp");
  // Without an error the frame goes on.
  glUseProgram(program);
  sprite->Draw(identity, program);
  text->Draw(0.0f, 0.0f, 1.0f, 1.0f, 0.0f, identity, program);
  glUseProgram(0);
  FlushGLErrorChecks();
}
