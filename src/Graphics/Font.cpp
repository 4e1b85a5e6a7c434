#include "Graphics/Font.h"

#include <GL/glew.h>
#include <algorithm>

#include "Graphics/GLCheck.h"
#include "Graphics/ModelMatrix.h"
#include "Graphics/ShaderProgram.h"
#include "Systems/GraphicsEngine.h"

namespace {
const char* kModule = "Graphics\\Font.cpp";
float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}
int Channel(float v) {
  return static_cast<int>(v * 255.0f);
}
} // namespace

Font::Font() : Font(0, Texture{}, glm::vec4(1.0f), std::string()) {}

Font::Font(int align, const Texture& source, glm::vec4 tint, const std::string& text)
    : source_(source), text_(text), Length_(static_cast<unsigned>(text.size())), align_(align) {
  color_ = glm::vec4(Clamp01(tint.r), Clamp01(tint.g), Clamp01(tint.b), Clamp01(tint.a));
  animate_rate_ = source.base_fps_;
  LookUpTexture();
  frameStep = 1.0f / static_cast<float>(source_.Frames());
}

Font::Font(const Font& other) : Component<Font>() {
  *this = other;
}

Font& Font::operator=(const Font& other) {
  if (this == &other)
    return *this;
  // The appearance and text are copied; the GL buffers stay with their owner.
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
  lookedUpPath = other.lookedUpPath;
  layoutPending = true;
  return *this;
}

Font::~Font() {
  ReleaseBuffers();
}

void Font::LookUpTexture() {
  lookedUpPath = source_.filename_;
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
  lookedUpPath = source_.filename_;
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
  lookedUpPath = source_.filename_;
  textureWidth = record->width;
  textureHeight = record->height;
  textureName = record->glName;
  active_animation_ = false;
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  layoutPending = true;
}

void Font::SetColor(int r, int g, int b, int a) {
  color_ =
      glm::vec4(Clamp01(r / 255.0f), Clamp01(g / 255.0f), Clamp01(b / 255.0f), Clamp01(a / 255.0f));
  layoutPending = true;
}

int Font::GetRed() const {
  return Channel(color_.r);
}
int Font::GetGreen() const {
  return Channel(color_.g);
}
int Font::GetBlue() const {
  return Channel(color_.b);
}
int Font::GetAlpha() const {
  return Channel(color_.a);
}

// Each setter changes only its own channel; the others keep their exact values.
void Font::SetRed(int v) {
  color_.r = Clamp01(v / 255.0f);
  layoutPending = true;
}
void Font::SetGreen(int v) {
  color_.g = Clamp01(v / 255.0f);
  layoutPending = true;
}
void Font::SetBlue(int v) {
  color_.b = Clamp01(v / 255.0f);
  layoutPending = true;
}
void Font::SetAlpha(int v) {
  color_.a = Clamp01(v / 255.0f);
  layoutPending = true;
}

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

float Font::HalfCellWidth() const {
  if (textureHeight <= 0)
    return 0.0f;
  return static_cast<float>(source_.aniwidth_) / static_cast<float>(textureHeight);
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
  if (!layoutPending &&
      !(built == Built{text_, Length_, color_, source_.Frames(), source_.aniwidth_, textureHeight}))
    layoutPending = true;
}

bool Font::EnsureBuffers() {
  if (vertexArray && GraphicsEngine::ContextAlive(glGeneration))
    return true;
  if (!GraphicsEngine::ContextAlive(GraphicsEngine::ContextGeneration()))
    return false;
  glGeneration = GraphicsEngine::ContextGeneration();
  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &vertexBuffer);
  glGenBuffers(1, &indexBuffer);
  uploadPending = true;
  CheckGLError(kModule, __LINE__);
  return true;
}

void Font::ReleaseBuffers() {
  if (vertexArray && GraphicsEngine::ContextAlive(glGeneration)) {
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &indexBuffer);
  }
  vertexArray = vertexBuffer = indexBuffer = 0;
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
  if (textureHeight <= 0 || glyphIndices.empty() || !EnsureBuffers())
    return;

  if (uploadPending) {
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(glyphVertices.size() * sizeof(float)),
                 glyphVertices.data(), GL_DYNAMIC_DRAW);
    const GLsizei stride = 8 * sizeof(float);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(8));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(24));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(glyphIndices.size() * sizeof(unsigned)),
                 glyphIndices.data(), GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    CheckGLError(kModule, __LINE__);
    uploadPending = false;
  }

  mvp = viewProjection * model;
  const SpriteUniforms& uniforms = SpriteUniformsOf(program);
  glUniformMatrix3fv(uniforms.mvp, 1, GL_FALSE, &mvp[0][0]);
  glUniform1i(uniforms.tex, 0);
  glUniform1i(uniforms.textured, textureName != 0 ? 1 : 0);
  glBindTexture(GL_TEXTURE_2D, textureName);
  if (textureName) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    GraphicsEngine::EnsureMipmaps(textureName);
  }
  glBindVertexArray(vertexArray);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(glyphIndices.size()), GL_UNSIGNED_INT, nullptr);
  CheckGLError(kModule, __LINE__);
  glBindVertexArray(0);
  glBindTexture(GL_TEXTURE_2D, 0);
}
