#include "Graphics/Font.h"

#include <algorithm>

#include "Systems/GraphicsEngine.h"

namespace {
float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
int Channel(float v) { return static_cast<int>(v * 255.0f); }
} // namespace

Font::Font() : Font(0, Texture{}, glm::vec4(1.0f), std::string()) {}

Font::Font(int align, const Texture& source, glm::vec4 tint, const std::string& text)
    : source_(source), text_(text), Length_(static_cast<unsigned>(text.size())), align_(align) {
  color_ = glm::vec4(Clamp01(tint.r), Clamp01(tint.g), Clamp01(tint.b), Clamp01(tint.a));
  animate_rate_ = source.base_fps_;
  LookUpTexture();
  frameStep = 1.0f / static_cast<float>(source_.Frames());
}

Font::Font(const Font& other) : Component<Font>() { *this = other; }

Font& Font::operator=(const Font& other) {
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
  text_ = other.text_;
  Length_ = other.Length_;
  align_ = other.align_;
  textureName = other.textureName;
  textureHeight = other.textureHeight;
  textureWidth = other.textureWidth;
  layoutPending = true;
  return *this;
}

Font::~Font() = default;

void Font::LookUpTexture() {
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

void Font::SetText(const std::string& text) {
  text_ = text;
  Length_ = static_cast<unsigned>(text.size());
  layoutPending = true;
}

void Font::SetLength(unsigned n) {
  Length_ = text_.empty() ? 0u : n % static_cast<unsigned>(text_.size());
  layoutPending = true;
}

void Font::SwapTexture(const std::string& key) {
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  TextureRecord* record = graphics ? graphics->FindTexture(key) : nullptr;
  if (!record)
    return;
  source_ = record->texture;
  textureWidth = record->width;
  textureHeight = record->height;
  textureName = record->glName;
  active_animation_ = false;
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  layoutPending = true;
}

void Font::SetColor(int r, int g, int b, int a) {
  color_ = glm::vec4(Clamp01(r / 255.0f), Clamp01(g / 255.0f), Clamp01(b / 255.0f),
                     Clamp01(a / 255.0f));
  layoutPending = true;
}

int Font::GetRed() const { return Channel(color_.r); }
int Font::GetGreen() const { return Channel(color_.g); }
int Font::GetBlue() const { return Channel(color_.b); }
int Font::GetAlpha() const { return Channel(color_.a); }
void Font::SetRed(int v) { SetColor(v, GetGreen(), GetBlue(), GetAlpha()); }
void Font::SetGreen(int v) { SetColor(GetRed(), v, GetBlue(), GetAlpha()); }
void Font::SetBlue(int v) { SetColor(GetRed(), GetGreen(), v, GetAlpha()); }
void Font::SetAlpha(int v) { SetColor(GetRed(), GetGreen(), GetBlue(), v); }

void Font::CopyFrom(const Font& other) {
  std::string path = other.source_.filename_;
  SwapTexture(path.size() > kArtPrefixLength ? path.substr(kArtPrefixLength) : path);
  SetColor(Channel(other.color_.r), Channel(other.color_.g), Channel(other.color_.b),
           Channel(other.color_.a));
}

void Font::ReapplyAfterLoad() {
  bool animate = active_animation_;
  LookUpTexture();
  active_animation_ = animate;
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  color_ = glm::vec4(Clamp01(color_.r), Clamp01(color_.g), Clamp01(color_.b), Clamp01(color_.a));
  layoutPending = true;
}

void Font::Layout() { layoutPending = false; }

void Font::Draw(float, float, float, float, float, const glm::mat3&, unsigned) {}
