#pragma once
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "Graphics/Appearance.h"
#include "Objects/Component.h"

// A line of text drawn from a fixed-width bitmap font whose frames are ASCII 32..126.
// Its look (the sprite's stored members) and GL buffers are the Appearance's.
class Font : public Component<Font>, public Appearance {
public:
  Font();
  Font(int align, const Texture& source, glm::vec4 tint, const std::string& text);
  Font(const Font& other);
  Font& operator=(const Font& other);

  // Stored members after the appearance's.
  std::string text_;
  unsigned Length_ = 0;
  int align_ = 0; // 0 left, 1 centre, 2 right

  bool layoutPending = true;
  std::vector<float> glyphVertices;
  std::vector<unsigned> glyphIndices;

  void SetText(const std::string& text);
  std::string GetText() const { return text_; }
  void SetLength(unsigned n);
  unsigned GetLength() const { return Length_; }
  // Takes the listed texture, never animated; an unknown name changes nothing.
  void SwapTexture(const std::string& name);
  void SetColor(int r, int g, int b, int a);
  // Each changes only its own channel; the others keep their exact values.
  void SetRed(int v);
  void SetGreen(int v);
  void SetBlue(int v);
  void SetAlpha(int v);
  void CopyFrom(const Font& other);
  void ReapplyAfterLoad();

  // Half the width of one character cell in model units (cells are 2 units tall); 1 without a
  // font image, whose cells are then drawn as untextured squares.
  float HalfCellWidth() const { return HalfFrameWidth(); }
  // Offset along x (world units) that places the text for its alignment, given w x scale.x.
  // False for an unknown alignment, which keeps the previous model matrix.
  bool AlignmentOffset(float halfCellTimesScale, float& offset) const;

  // Builds the glyph quads when the layout is pending (no GL needed).
  void Layout();
  void Draw(float x, float y, float sx, float sy, float rotation, const glm::mat3& viewProjection,
            unsigned program);

private:
  void RefreshIfStale();

  // What the glyph lists were built from; a direct write to any of it relays the text.
  struct Built {
    std::string text;
    unsigned length = 0;
    glm::vec4 color{-1.0f};
    unsigned frames = 0, aniwidth = 0;
    int height = -1;
    bool operator==(const Built&) const = default;
  } built;
};
