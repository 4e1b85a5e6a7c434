#pragma once
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "Graphics/Texture.h"
#include "Objects/Component.h"

// A line of text drawn from a fixed-width bitmap font whose frames are ASCII 32..126.
// Like sprites, GL buffers are made at the first draw.
class Font : public Component<Font> {
public:
  Font();
  Font(int align, const Texture& source, glm::vec4 tint, const std::string& text);
  Font(const Font& other);
  Font& operator=(const Font& other);
  ~Font() override;

  // Stored members (the sprite's appearance block, then the text).
  Texture source_;
  glm::vec4 color_{1.0f, 1.0f, 1.0f, 1.0f};
  bool visible_ = true;
  bool flipx_ = false;
  bool flipy_ = false;
  bool active_animation_ = false;
  float animate_rate_ = 0.0f;
  float frameTimer = 0.0f;
  float frameStep = 1.0f;
  unsigned current_frame_ = 0;
  std::string text_;
  unsigned Length_ = 0;
  int align_ = 0; // 0 left, 1 centre, 2 right

  unsigned vertexBuffer = 0;
  unsigned textureName = 0;
  unsigned vertexArray = 0;
  unsigned indexBuffer = 0;
  int textureHeight = 0;
  int textureWidth = 0;
  glm::mat3 model{1.0f};
  glm::mat3 mvp{1.0f};
  bool layoutPending = true;
  std::vector<float> glyphVertices;
  std::vector<unsigned> glyphIndices;

  void SetText(const std::string& text);
  std::string GetText() const { return text_; }
  void SetLength(unsigned n);
  unsigned GetLength() const { return Length_; }
  void SwapTexture(const std::string& name);
  std::string GetTexture() const { return source_.filename_; }
  void SetColor(int r, int g, int b, int a);
  int GetRed() const;
  int GetGreen() const;
  int GetBlue() const;
  int GetAlpha() const;
  void SetRed(int v);
  void SetGreen(int v);
  void SetBlue(int v);
  void SetAlpha(int v);
  void CopyFrom(const Font& other);
  void ReapplyAfterLoad();

  // Half the width of one character cell in model units (cells are 2 units tall); 0 when the
  // font image has no height, in which case nothing is drawn.
  float HalfCellWidth() const;
  // Offset along x (world units) that places the text for its alignment, given w x scale.x.
  // False for an unknown alignment, which keeps the previous model matrix.
  bool AlignmentOffset(float halfCellTimesScale, float& offset) const;

  // Builds the glyph quads when the layout is pending (no GL needed).
  void Layout();
  void Draw(float x, float y, float sx, float sy, float rotation, const glm::mat3& viewProjection,
            unsigned program);

private:
  void LookUpTexture();
  void RefreshIfStale();
  bool EnsureBuffers();
  void ReleaseBuffers();

  unsigned glGeneration = 0;
  bool uploadPending = true;
  std::string lookedUpPath;
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
