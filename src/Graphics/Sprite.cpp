#include "Graphics/Sprite.h"

#include <algorithm>

#include "Systems/GraphicsEngine.h"

namespace {
float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
int Channel(float v) { return static_cast<int>(v * 255.0f); }
} // namespace

Sprite::Sprite() : Sprite(Texture{}, glm::vec4(1.0f)) {}

Sprite::Sprite(const Texture& source, glm::vec4 tint) : source_(source) {
  SetColorF(tint.r, tint.g, tint.b, tint.a);
  animate_rate_ = source.base_fps_;
  LookUpTexture();
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  RewriteVertices();
}

Sprite::Sprite(const Sprite& other) : Component<Sprite>() { *this = other; }

Sprite& Sprite::operator=(const Sprite& other) {
  if (this == &other)
    return *this;
  source_ = other.source_;
  color_ = other.color_;
  visible_ = other.visible_;
  flipx_ = other.flipx_;
  flipy_ = other.flipy_;
  active_animation_ = other.active_animation_;
  animate_rate_ = other.animate_rate_;
  frameTimer = other.frameTimer;
  frameStep = other.frameStep;
  current_frame_ = other.current_frame_;
  textureName = other.textureName;
  textureHeight = other.textureHeight;
  textureWidth = other.textureWidth;
  RewriteVertices();
  return *this;
}

Sprite::~Sprite() = default;

void Sprite::LookUpTexture() {
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  if (!graphics)
    return;
  const std::string& path = source_.filename_;
  std::string key = path.size() > kArtPrefixLength ? path.substr(kArtPrefixLength) : std::string();
  TextureRecord* record = graphics->FindTexture(key);
  if (!record)
    record = graphics->FindTexture("img_test.png");
  if (!record)
    return;
  source_ = record->texture;
  textureWidth = record->width;
  textureHeight = record->height;
  textureName = record->glName;
}

void Sprite::SwapTexture(const std::string& key) {
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  TextureRecord* record = graphics ? graphics->FindTexture(key) : nullptr;
  if (!record)
    return;
  source_ = record->texture;
  textureWidth = record->width;
  textureHeight = record->height;
  textureName = record->glName;
  active_animation_ = source_.does_animate_;
  animate_rate_ = source_.base_fps_;
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  ResetAnimation();
}

void Sprite::SetColor(int r, int g, int b, int a) {
  SetColorF(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

void Sprite::SetColorF(float r, float g, float b, float a) {
  color_ = glm::vec4(Clamp01(r), Clamp01(g), Clamp01(b), Clamp01(a));
  RewriteVertices();
}

int Sprite::GetRed() const { return Channel(color_.r); }
int Sprite::GetGreen() const { return Channel(color_.g); }
int Sprite::GetBlue() const { return Channel(color_.b); }
int Sprite::GetAlpha() const { return Channel(color_.a); }
void Sprite::SetRed(int v) { SetColor(v, GetGreen(), GetBlue(), GetAlpha()); }
void Sprite::SetGreen(int v) { SetColor(GetRed(), v, GetBlue(), GetAlpha()); }
void Sprite::SetBlue(int v) { SetColor(GetRed(), GetGreen(), v, GetAlpha()); }
void Sprite::SetAlpha(int v) { SetColor(GetRed(), GetGreen(), GetBlue(), v); }

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
  std::string path = other.source_.filename_;
  SwapTexture(path.size() > kArtPrefixLength ? path.substr(kArtPrefixLength) : path);
  SetColor(Channel(other.color_.r), Channel(other.color_.g), Channel(other.color_.b),
           Channel(other.color_.a));
}

void Sprite::ReapplyAfterLoad() {
  bool animate = active_animation_;
  float rate = animate_rate_;
  unsigned frame = current_frame_;
  LookUpTexture();
  active_animation_ = animate;
  animate_rate_ = rate;
  current_frame_ = frame < source_.Frames() ? frame : 0;
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  SetColorF(color_.r, color_.g, color_.b, color_.a);
}

void Sprite::BuildModel(float, float, float, float, float) {}

void Sprite::Draw(const glm::mat3&, unsigned) {}

void Sprite::RewriteVertices() {}
