// Text: glyph layout from a fixed-width font sheet, alignment and drawing.
#include "Graphics/Font.h"

#include "Graphics/ModelMatrix.h"

namespace {
const char* kModule = "Graphics\\Font.cpp";
} // namespace

Font::Font() : Font(0, Texture{}, glm::vec4(1.0f), std::string()) {}

Font::Font(int align, const Texture& source, glm::vec4 tint, const std::string& text)
    : Appearance(kModule, source, tint), text_(text), Length_(static_cast<unsigned>(text.size())),
      align_(align) {}

Font::Font(const Font& other) : Component<Font>(), Appearance(kModule) {
  *this = other;
}

Font& Font::operator=(const Font& other) {
  if (this == &other)
    return *this;
  CopyLook(other);
  text_ = other.text_;
  Length_ = other.Length_;
  align_ = other.align_;
  layoutPending = true;
  return *this;
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
  if (!TakeTexture(key))
    return;
  // As for sprites, but text does not animate by itself.
  active_animation_ = false;
  animate_rate_ = source_.base_fps_;
  current_frame_ = 0;
  frameTimer = 0.0f;
  layoutPending = true;
}

void Font::SetColor(int r, int g, int b, int a) {
  color_ = glm::vec4(FromByte(r), FromByte(g), FromByte(b), FromByte(a));
  layoutPending = true;
}

void Font::SetRed(int v) {
  color_.r = FromByte(v);
  layoutPending = true;
}
void Font::SetGreen(int v) {
  color_.g = FromByte(v);
  layoutPending = true;
}
void Font::SetBlue(int v) {
  color_.b = FromByte(v);
  layoutPending = true;
}
void Font::SetAlpha(int v) {
  color_.a = FromByte(v);
  layoutPending = true;
}

void Font::CopyFrom(const Font& other) {
  SwapTexture(other.TextureKey());
  SetColor(other.GetRed(), other.GetGreen(), other.GetBlue(), other.GetAlpha());
}

void Font::ReapplyAfterLoad() {
  ReapplyLook();
  layoutPending = true;
}

bool Font::AlignmentOffset(float wk, float& offset) const {
  float length = static_cast<float>(Length_);
  switch (align_) {
  case 0:
    offset = wk;
    return true;
  case 1:
    offset = Length_ % 2 == 0 ? wk * (1.0f - length) : -length * wk;
    return true;
  case 2:
    offset = wk * (1.0f - 2.0f * length);
    return true;
  default:
    return false;
  }
}

void Font::Layout() {
  glyphVertices.clear();
  glyphIndices.clear();
  float w = HalfCellWidth();
  float s = 1.0f / static_cast<float>(source_.Frames());
  size_t n = text_.size();
  float x = 0.0f;
  unsigned emitted = 0;
  for (unsigned i = 0; n > 0 && i < Length_; ++i) {
    auto ch = static_cast<unsigned char>(text_[i % n]);
    if (ch >= 32 && ch <= 126) {
      float g = static_cast<float>(ch - 32);
      const float corners[4][4] = {
          {x - w, 1.0f, g * s, 0.0f},
          {x + w, 1.0f, (g + 1.0f) * s, 0.0f},
          {x + w, -1.0f, (g + 1.0f) * s, 1.0f},
          {x - w, -1.0f, g * s, 1.0f},
      };
      for (const auto& c : corners)
        glyphVertices.insert(glyphVertices.end(),
                             {c[0], c[1], color_.r, color_.g, color_.b, color_.a, c[2], c[3]});
      unsigned k = 4 * emitted++;
      glyphIndices.insert(glyphIndices.end(), {k, k + 1, k + 2, k + 2, k + 3, k});
    }
    x += 2.0f * w;
  }
  built = Built{text_, Length_, color_, source_.Frames(), source_.aniwidth_, textureHeight};
  layoutPending = false;
  uploadPending = true;
}

void Font::RefreshIfStale() {
  if (source_.filename_ != lookedUpPath)
    ReapplyAfterLoad();
  // Compared in place: building a Built to compare would copy the text every draw.
  if (!layoutPending && (built.text != text_ || built.length != Length_ || built.color != color_ ||
                         built.frames != source_.Frames() || built.aniwidth != source_.aniwidth_ ||
                         built.height != textureHeight))
    layoutPending = true;
}

void Font::Draw(float x, float y, float sx, float sy, float rotation,
                const glm::mat3& viewProjection, unsigned program) {
  RefreshIfStale();
  float w = HalfCellWidth();
  float offset = 0.0f;
  if (AlignmentOffset(w * sx, offset))
    model = BuildModelMatrix(x + offset, y, sx, sy, rotation, flipx_, flipy_);
  if (layoutPending)
    Layout();
  if (!glyphIndices.empty())
    DrawQuads(glyphVertices.data(), glyphVertices.size(), glyphIndices.data(), glyphIndices.size(),
              viewProjection, program);
}
