#pragma once
#include <cstddef>
#include <glm/glm.hpp>
#include <string>

#include "Graphics/Texture.h"

// What sprites and text share: the stored look (texture, tint, flags, animation state), the
// texture as found in the graphics system's table, and the GL buffers they draw from. Buffers
// are made at the first draw, so either can be built (and pooled) without a window.
class Appearance {
public:
  // Stored members, in the order they are registered (frameTimer and frameStep are the
  // animation's running state, not stored).
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

  std::string GetTexture() const { return source_.filename_; }
  // Channels 0..255, truncated from the stored 0..1.
  int GetRed() const;
  int GetGreen() const;
  int GetBlue() const;
  int GetAlpha() const;

  // Buffer sets of appearances gone, kept for the next ones to draw (of the live context).
  static std::size_t SpareBufferSets();

protected:
  // `module` is the drawing component's source file, which its GL error checks name.
  explicit Appearance(const char* module) : glModule(module) {}
  // Takes the tint clamped and the texture as the table has it ("img_test.png" for a name the
  // table lacks).
  Appearance(const char* module, const Texture& source, glm::vec4 tint);
  ~Appearance();
  // Copies go through CopyLook: GL buffers must never be shared.
  Appearance(const Appearance&) = delete;
  Appearance& operator=(const Appearance&) = delete;

  // Copies the stored look and the texture found for it; the GL buffers stay with their owner.
  void CopyLook(const Appearance& other);
  // After stored members were written directly (loads): the texture is looked up again, and
  // the frame step and the clamped colour follow it. A name the art list lacks is kept (and
  // drawn as "img_test.png").
  void ReapplyLook();
  // Takes the texture listed under key; false, and nothing changed, for an unknown key.
  bool TakeTexture(const std::string& key);
  // source_'s name as another appearance can pass it to SwapTexture.
  std::string TextureKey() const;
  // Half the width of one frame in model units (frames are 2 units tall); 1 without an image.
  float HalfFrameWidth() const;

  static glm::vec4 Clamped(glm::vec4 color);
  // A 0..255 channel as 0..1, clamped.
  static float FromByte(int value);

  // Draws the indexed quads (8 floats a vertex: position, colour, texture coordinate; indices
  // 0 1 2 2 3 0 a quad) with model and the texture; the data goes to GL only while
  // uploadPending.
  void DrawQuads(const float* vertices, std::size_t floatCount, const unsigned* indices,
                 std::size_t indexCount, const glm::mat3& viewProjection, unsigned program);

  bool uploadPending = true;
  std::string lookedUpPath; // texture path the GL name and size were taken for

private:
  // Finds source_ in the texture table, falling back to "img_test.png"; without a graphics
  // system or either entry the stored texture is kept as it is. With `keepStoredName` (names
  // read from files) a fallback keeps source_'s name and reports it, once a name.
  void LookUpTexture(bool keepStoredName);
  void Adopt(const TextureRecord& record);
  bool EnsureBuffers();
  void ReleaseBuffers();

  const char* glModule;
  unsigned glGeneration = 0;                   // context the buffers belong to
  std::size_t vertexBytes = 0, indexBytes = 0; // sizes of the buffers' storage
};
