// Sprites: the textured, tinted quad of an object, its sheet animation and its drawing.
#include "Graphics/Sprite.h"

#include <iterator>

#include "Graphics/ModelMatrix.h"

namespace {
const unsigned kQuadIndices[6] = {0, 1, 2, 2, 3, 0};
const char* kModule = "Graphics\\Sprite.cpp";
} // namespace

Sprite::Sprite() : Sprite(Texture{}, glm::vec4(1.0f)) {}

Sprite::Sprite(const Texture& source, glm::vec4 tint) : Appearance(kModule, source, tint) {
  RewriteVertices();
}

Sprite::Sprite(const Sprite& other) : Component<Sprite>(), Appearance(kModule) {
  *this = other;
}

Sprite& Sprite::operator=(const Sprite& other) {
  if (this == &other)
    return *this;
  CopyLook(other);
  RewriteVertices();
  return *this;
}

void Sprite::SwapTexture(const std::string& key) {
  if (!TakeTexture(key))
    return;
  active_animation_ = source_.does_animate_;
  animate_rate_ = source_.base_fps_;
  ResetAnimation();
}

void Sprite::SetColor(int r, int g, int b, int a) {
  SetColorF(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

void Sprite::SetColorF(float r, float g, float b, float a) {
  color_ = Clamped(glm::vec4(r, g, b, a));
  RewriteVertices();
}

void Sprite::SetRed(int v) {
  SetColor(v, GetGreen(), GetBlue(), GetAlpha());
}
void Sprite::SetGreen(int v) {
  SetColor(GetRed(), v, GetBlue(), GetAlpha());
}
void Sprite::SetBlue(int v) {
  SetColor(GetRed(), GetGreen(), v, GetAlpha());
}
void Sprite::SetAlpha(int v) {
  SetColor(GetRed(), GetGreen(), GetBlue(), v);
}

void Sprite::AdvanceFrame() {
  current_frame_ = (current_frame_ + 1) % source_.Frames();
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  RewriteVertices();
  frameTimer = 0.0f;
}

void Sprite::ResetAnimation() {
  current_frame_ = 0;
  RewriteVertices();
}

void Sprite::CopyFrom(const Sprite& other) {
  SwapTexture(other.TextureKey());
  SetColor(other.GetRed(), other.GetGreen(), other.GetBlue(), other.GetAlpha());
}

void Sprite::ReapplyAfterLoad() {
  ReapplyLook();
  if (current_frame_ >= source_.Frames())
    current_frame_ = 0;
  RewriteVertices();
}

Sprite::Built Sprite::Current() const {
  return Built{color_, current_frame_, source_.Frames(), source_.aniwidth_, textureHeight};
}

void Sprite::RewriteVertices() {
  float h = HalfWidth();
  float s = 1.0f / static_cast<float>(source_.Frames());
  float f = static_cast<float>(current_frame_);
  const float corners[4][4] = {
      {-h, 1.0f, f * s, 0.0f},
      {h, 1.0f, (f + 1.0f) * s, 0.0f},
      {h, -1.0f, (f + 1.0f) * s, 1.0f},
      {-h, -1.0f, f * s, 1.0f},
  };
  for (int i = 0; i < 4; ++i) {
    float* v = vertices + i * kFloatsPerVertex;
    v[0] = corners[i][0];
    v[1] = corners[i][1];
    v[2] = color_.r;
    v[3] = color_.g;
    v[4] = color_.b;
    v[5] = color_.a;
    v[6] = corners[i][2];
    v[7] = corners[i][3];
  }
  built = Current();
  uploadPending = true;
}

void Sprite::RefreshIfStale() {
  if (source_.filename_ != lookedUpPath)
    ReapplyAfterLoad();
  if (!(built == Current()))
    RewriteVertices();
}

void Sprite::BuildModel(float x, float y, float sx, float sy, float rotation) {
  model = BuildModelMatrix(x, y, sx, sy, rotation, flipx_, flipy_);
}

void Sprite::Draw(const glm::mat3& viewProjection, unsigned program) {
  RefreshIfStale();
  DrawQuads(vertices, std::size(vertices), kQuadIndices, std::size(kQuadIndices), viewProjection,
            program);
}
