// Text drawn through a real window with a test font whose glyph g is a solid cell of colour
// (g * 2 + 10, 200, 50); cells are 2 x 2 world units at scale 1.
#include <gtest/gtest.h>

#include "Core/Space.h"
#include "Graphics/Font.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Systems/GraphicsEngine.h"
#include "graphics/GfxHarness.h"

namespace {
Rgb Glyph(char c) {
  return {(c - 32) * 2 + 10, 200, 50};
}
const Rgb kBlack{0, 0, 0};

class TextTest : public RenderTest {
protected:
  Font* AddText(const std::string& text, int align, float x = 0.0f, float y = 0.0f, int z = 0) {
    GameObject* object = AddSprite(main, "", x, y, 1.0f, z);
    auto* font = static_cast<Font*>(object->AddComponent("Font"));
    font->SwapTexture("cells.png");
    font->SetText(text);
    font->align_ = align;
    return font;
  }
  // The covered x range (world units, to a tenth) along the row at height y, within -8..8.
  std::pair<float, float> Extent(float y) {
    float first = 99.0f, last = -99.0f;
    for (int i = -80; i <= 80; ++i) {
      float x = static_cast<float>(i) / 10.0f + 0.05f;
      if (!(At(x, y) == kBlack)) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
    return {first - 0.05f, last + 0.05f};
  }
};
} // namespace

TEST_F(TextTest, GlyphsComeFromTheirFramesInCodeOrder) {
  AddText("A~!", 0);
  Frame();
  // Left aligned: cell i covers x 2i .. 2i + 2.
  EXPECT_TRUE(Near(At(1.0f, 0.0f), Glyph('A'))) << At(1.0f, 0.0f);
  EXPECT_TRUE(Near(At(3.0f, 0.0f), Glyph('~'))) << At(3.0f, 0.0f);
  EXPECT_TRUE(Near(At(5.0f, 0.0f), Glyph('!'))) << At(5.0f, 0.0f);
  EXPECT_EQ(At(1.0f, 1.2f), kBlack);
}

TEST_F(TextTest, AlignmentPlacesTheLine) {
  Font* font = AddText("AB", 0);
  Frame();
  auto [l0, r0] = Extent(0.0f);
  EXPECT_NEAR(l0, 0.0f, 0.01f);
  EXPECT_NEAR(r0, 4.0f, 0.01f);

  font->align_ = 2; // right edge of the last cell on the position
  Frame();
  auto [l2, r2] = Extent(0.0f);
  EXPECT_NEAR(l2, -4.0f, 0.01f);
  EXPECT_NEAR(r2, 0.0f, 0.01f);

  font->align_ = 1; // even length: centred
  Frame();
  auto [l1, r1] = Extent(0.0f);
  EXPECT_NEAR(l1, -2.0f, 0.01f);
  EXPECT_NEAR(r1, 2.0f, 0.01f);

  font->SetText("ABC"); // odd length: the middle cell sits half a cell left
  Frame();
  auto [l3, r3] = Extent(0.0f);
  EXPECT_NEAR(l3, -4.0f, 0.01f);
  EXPECT_NEAR(r3, 2.0f, 0.01f);

  font->align_ = 7; // unknown: keeps the previous placement
  Frame();
  auto [l4, r4] = Extent(0.0f);
  EXPECT_NEAR(l4, -4.0f, 0.01f);
  EXPECT_NEAR(r4, 2.0f, 0.01f);
}

TEST_F(TextTest, LengthRepeatsOrCutsTheTextAndOtherCharactersLeaveEmptyCells) {
  Font* font = AddText("AB", 0, -7.0f, 2.0f);
  font->Length_ = 5; // ABABA
  Font* tabbed = AddText("A\tB", 0, -7.0f, -2.0f);
  Frame();
  EXPECT_TRUE(Near(At(-6.0f, 2.0f), Glyph('A')));
  EXPECT_TRUE(Near(At(-4.0f, 2.0f), Glyph('B')));
  EXPECT_TRUE(Near(At(-2.0f, 2.0f), Glyph('A')));
  EXPECT_TRUE(Near(At(0.0f, 2.0f), Glyph('B')));
  EXPECT_TRUE(Near(At(2.0f, 2.0f), Glyph('A')));
  EXPECT_EQ(At(4.0f, 2.0f), kBlack);
  EXPECT_TRUE(Near(At(-6.0f, -2.0f), Glyph('A')));
  EXPECT_EQ(At(-4.0f, -2.0f), kBlack);
  EXPECT_TRUE(Near(At(-2.0f, -2.0f), Glyph('B')));

  font->SetLength(2); // 2 mod 2 = 0: nothing
  tabbed->SetText("");
  Frame();
  EXPECT_EQ(At(-6.0f, 2.0f), kBlack);
  EXPECT_EQ(At(-6.0f, -2.0f), kBlack);
}

TEST_F(TextTest, ColourChangesRelayTheGlyphs) {
  Font* font = AddText("A", 0);
  Frame();
  EXPECT_TRUE(Near(At(1.0f, 0.0f), Glyph('A')));
  font->SetGreen(0);
  Frame();
  Rgb expected = Glyph('A');
  expected.g = 0;
  EXPECT_TRUE(Near(At(1.0f, 0.0f), expected)) << At(1.0f, 0.0f);
}

TEST_F(TextTest, ReplacedTextShowsItsOwnGlyphsWhateverItsLength) {
  Font* font = AddText("AB", 0);
  Frame();
  font->SetText("BA"); // as many glyphs: the buffers are rewritten in place
  Frame();
  EXPECT_TRUE(Near(At(1.0f, 0.0f), Glyph('B'))) << At(1.0f, 0.0f);
  EXPECT_TRUE(Near(At(3.0f, 0.0f), Glyph('A'))) << At(3.0f, 0.0f);
  font->SetText("~"); // fewer
  Frame();
  EXPECT_TRUE(Near(At(1.0f, 0.0f), Glyph('~'))) << At(1.0f, 0.0f);
  EXPECT_EQ(At(3.0f, 0.0f), kBlack);
  font->SetText("!A!"); // more
  Frame();
  EXPECT_TRUE(Near(At(1.0f, 0.0f), Glyph('!'))) << At(1.0f, 0.0f);
  EXPECT_TRUE(Near(At(3.0f, 0.0f), Glyph('A'))) << At(3.0f, 0.0f);
  EXPECT_TRUE(Near(At(5.0f, 0.0f), Glyph('!'))) << At(5.0f, 0.0f);
}

TEST_F(TextTest, TextIsDrawnAfterTheSpritesOfItsLayer) {
  AddText("A", 0, 0.0f, 0.0f, 1);
  AddSprite(main, "red.png", 1.0f, 0.0f, 1.0f, 1);
  AddSprite(main, "blue.png", 1.0f, 3.0f, 1.0f, 2);
  AddText("A", 0, 0.0f, 3.0f, 1);
  Frame();
  EXPECT_TRUE(Near(At(1.0f, 0.0f), Glyph('A')));
  EXPECT_EQ(At(1.0f, 3.0f), (Rgb{0, 0, 255}));
}

// Pooled components are built again in place when a level reuses them; the GL buffers of the
// text that went away serve the next one, which draws its own glyphs from them.
TEST_F(TextTest, BuffersOfPooledTextsOutliveTheLevel) {
  Font* first = AddText("AB", 0);
  Frame();
  Swap();
  unsigned vertexArray = first->vertexArray;
  ASSERT_NE(vertexArray, 0u);
  size_t spare = Appearance::SpareBufferSets();
  main->Clear();
  Font* next = AddText("~", 0);
  EXPECT_EQ(next, first) << "the pool hands the same component out again";
  EXPECT_EQ(next->vertexArray, 0u) << "built afresh";
  EXPECT_EQ(Appearance::SpareBufferSets(), spare + 1);
  Frame();
  EXPECT_EQ(next->vertexArray, vertexArray);
  EXPECT_EQ(Appearance::SpareBufferSets(), spare);
  EXPECT_TRUE(Near(At(1.0f, 0.0f), Glyph('~'))) << At(1.0f, 0.0f);
  EXPECT_EQ(At(3.0f, 0.0f), kBlack) << "one glyph now, not the two the buffers held before";
}
