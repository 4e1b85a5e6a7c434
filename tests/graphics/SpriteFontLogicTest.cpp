// Sprite and text state, geometry and layout without a window: the texture table is filled by
// hand, as the art list would.
#include <gtest/gtest.h>

#include "Graphics/Font.h"
#include "Graphics/ModelMatrix.h"
#include "Graphics/Sprite.h"
#include "Systems/GraphicsEngine.h"

namespace {
TextureRecord Record(const std::string& name, int width, int height, unsigned aniwidth,
                     unsigned frames, bool animate = true, float seconds = 0.1f) {
  TextureRecord record;
  record.width = width;
  record.height = height;
  record.glName = 0;
  record.texture.filename_ = "Graphics\\Art\\" + name;
  record.texture.does_animate_ = animate;
  record.texture.aniwidth_ = aniwidth;
  record.texture.frame_count_ = frames;
  record.texture.base_fps_ = seconds;
  return record;
}

Texture Named(const std::string& name) {
  Texture t;
  t.filename_ = "Graphics\\Art\\" + name;
  return t;
}

class Headless : public ::testing::Test {
protected:
  void SetUp() override {
    graphics.textures["img_test.png"] = Record("img_test.png", 64, 64, 64, 1);
    graphics.textures["sheet.png"] = Record("sheet.png", 256, 64, 64, 4, true, 0.25f);
    graphics.textures["wide.png"] = Record("wide.png", 128, 32, 128, 1, false, 0.0f);
    graphics.textures["zero.png"] = Record("zero.png", 64, 64, 64, 0);
    graphics.textures["flat.png"] = Record("flat.png", 0, 0, 8, 1);
    graphics.textures["font.png"] = Record("font.png", 95 * 12, 16, 12, 95, true);
  }
  GraphicsEngine graphics{"headless"};
};

// Texture coordinate u of vertex i.
float U(const Sprite& s, int i) {
  return s.vertices[i * Sprite::kFloatsPerVertex + 6];
}
float X(const Sprite& s, int i) {
  return s.vertices[i * Sprite::kFloatsPerVertex];
}
} // namespace

TEST_F(Headless, SpriteQuadKeepsTheFramesAspectAndWalksTheSheet) {
  Sprite sprite(Named("sheet.png"), glm::vec4(1.0f));
  EXPECT_EQ(sprite.textureHeight, 64);
  EXPECT_FLOAT_EQ(sprite.HalfWidth(), 1.0f);
  EXPECT_FLOAT_EQ(X(sprite, 0), -1.0f);
  EXPECT_FLOAT_EQ(X(sprite, 1), 1.0f);
  EXPECT_FLOAT_EQ(U(sprite, 0), 0.0f);
  EXPECT_FLOAT_EQ(U(sprite, 1), 0.25f);
  // Vertex 0 is the top-left corner and samples the image's top row.
  EXPECT_FLOAT_EQ(sprite.vertices[1], 1.0f);
  EXPECT_FLOAT_EQ(sprite.vertices[7], 0.0f);
  EXPECT_FLOAT_EQ(sprite.vertices[3 * 8 + 7], 1.0f);

  sprite.current_frame_ = 3;
  sprite.AdvanceFrame(); // 4 frames: 3 wraps to 0
  EXPECT_EQ(sprite.current_frame_, 0u);
  sprite.AdvanceFrame();
  sprite.AdvanceFrame();
  EXPECT_EQ(sprite.current_frame_, 2u);
  EXPECT_FLOAT_EQ(U(sprite, 0), 0.5f);
  EXPECT_FLOAT_EQ(U(sprite, 2), 0.75f);
  sprite.ResetAnimation();
  EXPECT_FLOAT_EQ(U(sprite, 0), 0.0f);

  Sprite wide(Named("wide.png"), glm::vec4(1.0f));
  EXPECT_FLOAT_EQ(wide.HalfWidth(), 4.0f);
  wide.AdvanceFrame(); // one frame: stays on it, shows the whole image
  EXPECT_EQ(wide.current_frame_, 0u);
  EXPECT_FLOAT_EQ(U(wide, 1), 1.0f);
}

TEST_F(Headless, ZeroFrameCountsAndZeroHeightImagesAreSafe) {
  Sprite zero(Named("zero.png"), glm::vec4(1.0f));
  EXPECT_FLOAT_EQ(zero.frameStep, 1.0f);
  zero.AdvanceFrame();
  EXPECT_EQ(zero.current_frame_, 0u);
  EXPECT_FLOAT_EQ(U(zero, 1), 1.0f);

  Sprite flat(Named("flat.png"), glm::vec4(1.0f));
  EXPECT_FALSE(flat.HasImage());
  EXPECT_FLOAT_EQ(flat.HalfWidth(), 1.0f); // drawn as an untextured square
  for (float v : flat.vertices)
    EXPECT_TRUE(std::isfinite(v));

  Font text(0, Named("flat.png"), glm::vec4(1.0f), "abc");
  EXPECT_FLOAT_EQ(text.HalfCellWidth(), 1.0f);
  text.Layout();
  for (float v : text.glyphVertices)
    EXPECT_TRUE(std::isfinite(v));
}

TEST_F(Headless, UnknownTexturesFallBackAndSwapIgnoresUnknownNames) {
  Sprite sprite(Named("nothing.png"), glm::vec4(0.5f));
  EXPECT_EQ(sprite.GetTexture(), "Graphics\\Art\\img_test.png");

  sprite.SwapTexture("sheet.png");
  EXPECT_EQ(sprite.GetTexture(), "Graphics\\Art\\sheet.png");
  EXPECT_TRUE(sprite.active_animation_);
  EXPECT_FLOAT_EQ(sprite.animate_rate_, 0.25f);
  sprite.current_frame_ = 2;
  sprite.SetColor(10, 20, 30, 40);

  sprite.SwapTexture("Sheet.png"); // names are case-sensitive
  sprite.SwapTexture("Graphics\\Art\\sheet.png");
  EXPECT_EQ(sprite.GetTexture(), "Graphics\\Art\\sheet.png");
  EXPECT_EQ(sprite.current_frame_, 2u);
  EXPECT_EQ(sprite.GetGreen(), 20);

  sprite.SwapTexture("wide.png"); // restarts at frame 0, animation follows the list
  EXPECT_EQ(sprite.current_frame_, 0u);
  EXPECT_FALSE(sprite.active_animation_);

  // Without a texture table nothing is found and nothing breaks.
  graphics.textures.clear();
  Sprite bare(Named("sheet.png"), glm::vec4(1.0f));
  EXPECT_EQ(bare.textureName, 0u);
  EXPECT_FALSE(bare.HasImage());
}

TEST_F(Headless, FontSwapTakesTheTexturesRateAndRestartsWithTheAnimationOff) {
  Font text(0, Named("font.png"), glm::vec4(1.0f), "abc");
  text.active_animation_ = true;
  text.current_frame_ = 7;
  text.SwapTexture("sheet.png");
  EXPECT_EQ(text.GetTexture(), "Graphics\\Art\\sheet.png");
  EXPECT_FLOAT_EQ(text.animate_rate_, 0.25f);
  EXPECT_EQ(text.current_frame_, 0u);
  EXPECT_FALSE(text.active_animation_); // the list says it animates; text does not

  text.current_frame_ = 3;
  text.SwapTexture("missing.png"); // unknown: nothing changes
  EXPECT_EQ(text.current_frame_, 3u);
  EXPECT_FLOAT_EQ(text.animate_rate_, 0.25f);
}

TEST_F(Headless, SpriteColourIsClampedAndChannelSettersRoundTheOthers) {
  Sprite sprite(Named("sheet.png"), glm::vec4(2.0f, -1.0f, 0.5f, 1.0f));
  EXPECT_EQ(sprite.color_, glm::vec4(1.0f, 0.0f, 0.5f, 1.0f));
  sprite.SetColor(300, -5, 128, 255);
  EXPECT_EQ(sprite.color_, glm::vec4(1.0f, 0.0f, 128.0f / 255.0f, 1.0f));
  EXPECT_FLOAT_EQ(sprite.vertices[4], 128.0f / 255.0f); // the quad carries the tint

  sprite.SetColorF(0.0f, 0.5f, 0.0f, 1.0f);
  sprite.SetRed(255);
  EXPECT_FLOAT_EQ(sprite.color_.g, 127.0f / 255.0f);
  EXPECT_EQ(sprite.GetRed(), 255);
  EXPECT_EQ(sprite.GetGreen(), 127);

  Sprite copy(Named("wide.png"), glm::vec4(1.0f));
  copy.CopyFrom(sprite);
  EXPECT_EQ(copy.GetTexture(), sprite.GetTexture());
  EXPECT_EQ(copy.GetGreen(), 127);
  EXPECT_EQ(copy.vertexArray, 0u); // GL buffers are never shared by copies
}

TEST_F(Headless, ReapplyAfterLoadKeepsTheStoredAnimationState) {
  Sprite sprite;
  sprite.source_ = Named("sheet.png");
  sprite.active_animation_ = false;
  sprite.animate_rate_ = 0.5f;
  sprite.current_frame_ = 3;
  sprite.color_ = glm::vec4(3.0f, 0.5f, 0.5f, 1.0f);
  sprite.ReapplyAfterLoad();
  EXPECT_EQ(sprite.textureHeight, 64);
  EXPECT_EQ(sprite.current_frame_, 3u);
  EXPECT_FALSE(sprite.active_animation_);
  EXPECT_FLOAT_EQ(sprite.animate_rate_, 0.5f);
  EXPECT_FLOAT_EQ(sprite.color_.r, 1.0f);
  EXPECT_FLOAT_EQ(U(sprite, 0), 0.75f);

  sprite.source_ = Named("wide.png");
  sprite.current_frame_ = 3; // beyond the one frame of this image
  sprite.ReapplyAfterLoad();
  EXPECT_EQ(sprite.current_frame_, 0u);
}

TEST(ModelMatrix, TranslateRotateScaleAndFlip) {
  auto apply = [](const glm::mat3& m, float x, float y) { return m * glm::vec3(x, y, 1.0f); };
  glm::mat3 m = BuildModelMatrix(3.0f, 4.0f, 2.0f, 0.5f, 0.0f, false, false);
  EXPECT_EQ(apply(m, 1.0f, 1.0f), glm::vec3(5.0f, 4.5f, 1.0f));

  // Positive rotation turns clockwise: (1, 0) goes to (cos, -sin).
  glm::mat3 r = BuildModelMatrix(0, 0, 1, 1, 3.14159265f / 2.0f, false, false);
  glm::vec3 p = apply(r, 1.0f, 0.0f);
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, -1.0f, 1e-6f);

  // Both flips are half a turn.
  glm::mat3 both = BuildModelMatrix(0, 0, 1, 1, 0, true, true);
  glm::mat3 half = BuildModelMatrix(0, 0, 1, 1, 3.14159265f, false, false);
  glm::vec3 a = apply(both, 0.3f, 0.7f), b = apply(half, 0.3f, 0.7f);
  EXPECT_NEAR(a.x, b.x, 1e-6f);
  EXPECT_NEAR(a.y, b.y, 1e-6f);

  // Flips apply before scale and rotation: a flipped quad stays at its place.
  glm::mat3 f = BuildModelMatrix(2.0f, 0.0f, 3.0f, 1.0f, 0.0f, true, false);
  EXPECT_EQ(apply(f, 1.0f, 0.0f), glm::vec3(-1.0f, 0.0f, 1.0f));
}

TEST_F(Headless, FontLayoutRepeatsCutsAndSkipsCharacters) {
  Font font(0, Named("font.png"), glm::vec4(1.0f), "AB");
  EXPECT_FLOAT_EQ(font.HalfCellWidth(), 0.75f);
  font.Length_ = 5;
  font.Layout();
  ASSERT_EQ(font.glyphVertices.size(), 5u * 4 * 8);
  ASSERT_EQ(font.glyphIndices.size(), 5u * 6);
  // Cell i is centred at 2wi; 'B' (66) is glyph 34 of 95.
  EXPECT_FLOAT_EQ(font.glyphVertices[32 * 1 + 0], 1.5f - 0.75f);
  EXPECT_FLOAT_EQ(font.glyphVertices[32 * 1 + 6], 34.0f / 95.0f);
  EXPECT_FLOAT_EQ(font.glyphVertices[32 * 4 + 0], 6.0f - 0.75f);
  EXPECT_FLOAT_EQ(font.glyphVertices[32 * 4 + 6], 33.0f / 95.0f);
  EXPECT_EQ(font.glyphIndices[6], 4u);
  EXPECT_EQ(font.glyphIndices[11], 4u);

  font.SetText("A\tB\x7f"); // tab and DEL leave empty cells that still take room
  font.Layout();
  ASSERT_EQ(font.glyphVertices.size(), 2u * 32);
  EXPECT_FLOAT_EQ(font.glyphVertices[32 + 0], 3.0f - 0.75f);
  EXPECT_EQ(font.glyphIndices.back(), 4u);

  font.SetText("abcde");
  font.SetLength(3);
  EXPECT_EQ(font.GetLength(), 3u);
  font.SetLength(5);
  EXPECT_EQ(font.GetLength(), 0u);
  font.Layout();
  EXPECT_TRUE(font.glyphIndices.empty());

  font.SetText("");
  font.Length_ = 4;
  font.Layout();
  EXPECT_TRUE(font.glyphIndices.empty());
  font.SetLength(7);
  EXPECT_EQ(font.GetLength(), 0u);
}

TEST_F(Headless, FontAlignmentOffsets) {
  Font font(0, Named("font.png"), glm::vec4(1.0f), "abc");
  float offset = 0.0f;
  font.align_ = 2;
  ASSERT_TRUE(font.AlignmentOffset(0.5f, offset));
  EXPECT_FLOAT_EQ(offset, -2.5f);
  font.align_ = 1;
  ASSERT_TRUE(font.AlignmentOffset(0.5f, offset));
  EXPECT_FLOAT_EQ(offset, -1.5f);
  font.SetText("ab");
  ASSERT_TRUE(font.AlignmentOffset(0.5f, offset));
  EXPECT_FLOAT_EQ(offset, -0.5f);
  font.align_ = 0;
  ASSERT_TRUE(font.AlignmentOffset(0.5f, offset));
  EXPECT_FLOAT_EQ(offset, 0.5f);
  font.align_ = 3;
  EXPECT_FALSE(font.AlignmentOffset(0.5f, offset));
}

TEST_F(Headless, FontColourChannelsAreIndependentAndSwapStopsAnimation) {
  Font font(1, Named("missing.png"), glm::vec4(0.2f, 0.4f, 0.6f, 0.8f), "hi");
  EXPECT_EQ(font.GetTexture(), "Graphics\\Art\\img_test.png");
  font.SetBlue(255);
  EXPECT_FLOAT_EQ(font.color_.a, 0.8f);
  EXPECT_FLOAT_EQ(font.color_.g, 0.4f);
  EXPECT_EQ(font.GetBlue(), 255);
  font.SetRed(400);
  EXPECT_FLOAT_EQ(font.color_.r, 1.0f);

  font.active_animation_ = true;
  font.layoutPending = false;
  font.SwapTexture("font.png");
  EXPECT_FALSE(font.active_animation_);
  EXPECT_TRUE(font.layoutPending);
  font.SwapTexture("nope.png");
  EXPECT_EQ(font.GetTexture(), "Graphics\\Art\\font.png");
}

TEST(LetterBox, KeepsSixteenByNineCentred) {
  using V = GraphicsEngine::Viewport;
  EXPECT_EQ(GraphicsEngine::LetterBox(1920, 1080, 1280, 720), (V{0, 0, 1920, 1080}));
  EXPECT_EQ(GraphicsEngine::LetterBox(1000, 1000, 1280, 720), (V{0, 219, 1000, 563}));
  EXPECT_EQ(GraphicsEngine::LetterBox(2000, 800, 1280, 720), (V{289, 0, 1422, 800}));
  EXPECT_EQ(GraphicsEngine::LetterBox(1280, 720, 1280, 720), (V{0, 0, 1280, 720}));
}

TEST(DefaultCamera, ZoomIsAbsoluteAndMoveSetsTheCentre) {
  GraphicsEngine graphics("headless");
  graphics.defaultCameras = {Camera(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 17.0f, 10.0f),
                             Camera(glm::vec3(0, 0, 1), glm::vec3(0, 1, 0), 20.0f, 10.0f)};
  graphics.CameraZoom(2.0f);
  graphics.CameraZoom(3.0f);
  EXPECT_FLOAT_EQ(graphics.defaultCameras[1].width_, 60.0f);
  EXPECT_FLOAT_EQ(graphics.CameraZoomGet(), 3.0f);
  EXPECT_FLOAT_EQ(graphics.defaultCameras[0].width_, 17.0f); // only the camera in use
  graphics.CameraMove(1.5f, -2.0f);
  EXPECT_FLOAT_EQ(graphics.CameraPosGetX(), 1.5f);
  EXPECT_FLOAT_EQ(graphics.CameraPosGetY(), -2.0f);
  graphics.cameraIndex = 0;
  EXPECT_FLOAT_EQ(graphics.CameraPosGetX(), 0.0f);
  EXPECT_FLOAT_EQ(graphics.CameraZoomGet(), 1.0f);
}

TEST(HeadlessComponents, BuildWithoutAGraphicsSystem) {
  ASSERT_EQ(GraphicsEngine::ms_Singleton, nullptr);
  Sprite sprite;
  Font font;
  sprite.SetColor(1, 2, 3, 4);
  font.SetText("x");
  glm::mat3 vp(1.0f);
  sprite.BuildModel(0, 0, 1, 1, 0);
  sprite.Draw(vp, 0); // nothing to draw with: a no-op, not a crash
  font.Draw(0, 0, 1, 1, 0, vp, 0);
  EXPECT_EQ(sprite.vertexArray, 0u);
  EXPECT_EQ(font.vertexArray, 0u);
}
