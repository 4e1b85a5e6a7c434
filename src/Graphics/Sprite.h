#pragma once
#include <glm/glm.hpp>
#include <string>

#include "Graphics/Appearance.h"
#include "Objects/Component.h"

// A textured, tinted quad for its object, optionally stepping through a horizontal sheet.
// The stored members and GL buffers are the Appearance's.
class Sprite : public Component<Sprite>, public Appearance {
public:
  Sprite();
  Sprite(const Texture& source, glm::vec4 tint);
  Sprite(const Sprite& other);
  Sprite& operator=(const Sprite& other);

  // The quad as it goes to the vertex buffer: 4 vertices of position (2), colour (4) and
  // texture coordinate (2).
  static constexpr int kFloatsPerVertex = 8;
  float vertices[4 * kFloatsPerVertex] = {};

  // Takes the listed texture and its animation, from frame 0; an unknown name changes nothing.
  void SwapTexture(const std::string& name);
  // Channels 0..255, each divided by 255 and clamped.
  void SetColor(int r, int g, int b, int a);
  void SetColorF(float r, float g, float b, float a);
  // Each re-stores the other channels as their truncated 0..255 values.
  void SetRed(int v);
  void SetGreen(int v);
  void SetBlue(int v);
  void SetAlpha(int v);
  void AdvanceFrame();
  void ResetAnimation();
  void CopyFrom(const Sprite& other);
  // After the stored members were read: look the texture up again and re-apply the colour.
  void ReapplyAfterLoad();

  // Half the quad's width in model units (one frame's width over the image height); the quad
  // is 2 units tall. Without an image it is a square drawn untextured in the tint colour.
  float HalfWidth() const { return HalfFrameWidth(); }
  bool HasImage() const { return textureHeight > 0; }

  void BuildModel(float x, float y, float sx, float sy, float rotation);
  void Draw(const glm::mat3& viewProjection, unsigned program);
  // Brings the texture and vertices up to date with members written directly (loads, editor,
  // scripts); Draw does it, and so must anything else drawing from the vertices.
  void RefreshIfStale();

private:
  void RewriteVertices();

  struct Built {
    glm::vec4 color{-1.0f};
    unsigned frame = 0, frames = 0, aniwidth = 0;
    int height = -1;
    bool operator==(const Built&) const = default;
  } built;
  Built Current() const;
};
