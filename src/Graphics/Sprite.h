#pragma once
#include <glm/glm.hpp>
#include <string>

#include "Graphics/Texture.h"
#include "Objects/Component.h"

// A textured, tinted quad for its object, optionally stepping through a horizontal sheet.
// GL buffers are made at the first draw, so sprites can be built (and pooled) without a window.
class Sprite : public Component<Sprite> {
public:
  Sprite();
  Sprite(const Texture& source, glm::vec4 tint);
  Sprite(const Sprite& other);
  Sprite& operator=(const Sprite& other);
  ~Sprite() override;

  // Stored members.
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

  // GL state, made when a context exists.
  unsigned vertexBuffer = 0;
  unsigned textureName = 0;
  unsigned vertexArray = 0;
  unsigned indexBuffer = 0;
  int textureHeight = 0;
  int textureWidth = 0;
  glm::mat3 model{1.0f};
  glm::mat3 mvp{1.0f};

  // The quad as it goes to the vertex buffer: 4 vertices of position (2), colour (4) and
  // texture coordinate (2).
  static constexpr int kFloatsPerVertex = 8;
  float vertices[4 * kFloatsPerVertex] = {};

  void SwapTexture(const std::string& name);
  std::string GetTexture() const { return source_.filename_; }
  // Channels 0..255, each divided by 255 and clamped.
  void SetColor(int r, int g, int b, int a);
  void SetColorF(float r, float g, float b, float a);
  int GetRed() const;
  int GetGreen() const;
  int GetBlue() const;
  int GetAlpha() const;
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
  // is 2 units tall. An image of height 0 has nothing to show and is never drawn.
  float HalfWidth() const;
  bool HasImage() const { return textureHeight > 0; }

  void BuildModel(float x, float y, float sx, float sy, float rotation);
  void Draw(const glm::mat3& viewProjection, unsigned program);

private:
  void LookUpTexture();
  void RewriteVertices();
  // Brings the vertices up to date with members written directly (loads, editor, scripts).
  void RefreshIfStale();
  bool EnsureBuffers();
  void ReleaseBuffers();

  unsigned glGeneration = 0; // context the buffers belong to
  bool uploadPending = true;
  std::string lookedUpPath; // texture path the GL name and size were taken for
  struct Built {
    glm::vec4 color{-1.0f};
    unsigned frame = 0, frames = 0, aniwidth = 0;
    int height = -1;
    bool operator==(const Built&) const = default;
  } built;
  Built Current() const;
};
