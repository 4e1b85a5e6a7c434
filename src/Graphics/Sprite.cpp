#include "Graphics/Sprite.h"

#include <GL/glew.h>
#include <algorithm>

#include "Graphics/GLCheck.h"
#include "Graphics/ModelMatrix.h"
#include "Graphics/ShaderProgram.h"
#include "Systems/GraphicsEngine.h"

namespace {
const char* kModule = "Graphics\\Sprite.cpp";
float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}
int Channel(float v) {
  return static_cast<int>(v * 255.0f);
}
const unsigned kQuadIndices[6] = {0, 1, 2, 2, 3, 0};
} // namespace

Sprite::Sprite() : Sprite(Texture{}, glm::vec4(1.0f)) {}

Sprite::Sprite(const Texture& source, glm::vec4 tint) : source_(source) {
  color_ = glm::vec4(Clamp01(tint.r), Clamp01(tint.g), Clamp01(tint.b), Clamp01(tint.a));
  animate_rate_ = source.base_fps_;
  LookUpTexture();
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  RewriteVertices();
}

Sprite::Sprite(const Sprite& other) : Component<Sprite>() {
  *this = other;
}

Sprite& Sprite::operator=(const Sprite& other) {
  if (this == &other)
    return *this;
  // The appearance is copied; the GL buffers stay with their owner.
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
  lookedUpPath = other.lookedUpPath;
  RewriteVertices();
  return *this;
}

Sprite::~Sprite() {
  ReleaseBuffers();
}

void Sprite::LookUpTexture() {
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

void Sprite::SwapTexture(const std::string& key) {
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  TextureRecord* record = graphics ? graphics->FindTexture(key) : nullptr;
  if (!record)
    return;
  source_ = record->texture;
  lookedUpPath = source_.filename_;
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

int Sprite::GetRed() const {
  return Channel(color_.r);
}
int Sprite::GetGreen() const {
  return Channel(color_.g);
}
int Sprite::GetBlue() const {
  return Channel(color_.b);
}
int Sprite::GetAlpha() const {
  return Channel(color_.a);
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

float Sprite::HalfWidth() const {
  if (textureHeight <= 0)
    return 0.0f;
  return static_cast<float>(source_.aniwidth_) / static_cast<float>(textureHeight);
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

bool Sprite::EnsureBuffers() {
  if (vertexArray && GraphicsEngine::ContextAlive(glGeneration))
    return true;
  if (!GraphicsEngine::ContextAlive(GraphicsEngine::ContextGeneration()))
    return false;
  // Names from a context that is gone are simply forgotten.
  glGeneration = GraphicsEngine::ContextGeneration();
  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &vertexBuffer);
  glGenBuffers(1, &indexBuffer);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_DYNAMIC_DRAW);
  const GLsizei stride = kFloatsPerVertex * sizeof(float);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(8));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(24));
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof kQuadIndices, kQuadIndices, GL_STATIC_DRAW);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  CheckGLError(kModule, __LINE__);
  uploadPending = false;
  return true;
}

void Sprite::ReleaseBuffers() {
  if (vertexArray && GraphicsEngine::ContextAlive(glGeneration)) {
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &indexBuffer);
  }
  vertexArray = vertexBuffer = indexBuffer = 0;
}

void Sprite::Draw(const glm::mat3& viewProjection, unsigned program) {
  RefreshIfStale();
  if (!HasImage() || !EnsureBuffers())
    return;
  if (uploadPending) {
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices);
    uploadPending = false;
  }
  mvp = viewProjection * model;
  const SpriteUniforms& uniforms = SpriteUniformsOf(program);
  glUniformMatrix3fv(uniforms.mvp, 1, GL_FALSE, &mvp[0][0]);
  glBindTexture(GL_TEXTURE_2D, textureName);
  glUniform1i(uniforms.tex, 0);
  glUniform1i(uniforms.textured, textureName != 0 ? 1 : 0);
  if (textureName) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    GraphicsEngine::EnsureMipmaps(textureName);
  }
  glBindVertexArray(vertexArray);
  glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
  glBindVertexArray(0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  CheckGLError(kModule, __LINE__);
}
