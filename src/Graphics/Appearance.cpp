// What sprites and text share: texture lookup, tint channels and the GL buffers they draw from.
#include "Graphics/Appearance.h"

#include <GL/glew.h>
#include <algorithm>
#include <set>
#include <vector>

#include "Graphics/GLCheck.h"
#include "Graphics/GLContext.h"
#include "Graphics/ShaderProgram.h"
#include "Systems/GraphicsEngine.h"
#include "Utilities/Check.h"

namespace {
// The buffers of appearances that went away, kept for the next ones: pooled components are
// destroyed and built again in place each time a level reuses them, and deleting and making GL
// buffers for every sprite and text of every level load is wasted work. Each set keeps its
// vertex array's attribute layout and the sizes of its storage.
struct SpareBuffers {
  unsigned vertexArray, vertexBuffer, indexBuffer;
  std::size_t vertexBytes, indexBytes;
  unsigned generation;
};
std::vector<SpareBuffers> g_spare;

float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}
int Channel(float v) {
  return static_cast<int>(v * 255.0f);
}
} // namespace

Appearance::Appearance(const char* module, const Texture& source, glm::vec4 tint)
    : source_(source), color_(Clamped(tint)), animate_rate_(source.base_fps_), glModule(module) {
  LookUpTexture(false);
  frameStep = 1.0f / static_cast<float>(source_.Frames());
}

Appearance::~Appearance() {
  ReleaseBuffers();
}

void Appearance::CopyLook(const Appearance& other) {
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
}

void Appearance::Adopt(const TextureRecord& record) {
  source_ = record.texture;
  lookedUpPath = source_.filename_;
  textureWidth = record.width;
  textureHeight = record.height;
  textureName = record.glName;
}

void Appearance::LookUpTexture(bool keepStoredName) {
  lookedUpPath = source_.filename_;
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  if (!graphics)
    return;
  const std::string& path = source_.filename_;
  std::string key = path.size() > kArtPrefixLength ? path.substr(kArtPrefixLength) : std::string();
  TextureRecord* record = graphics->FindTexture(key);
  if (record) {
    Adopt(*record);
    return;
  }
  record = graphics->FindTexture("img_test.png");
  if (!record)
    return;
  std::string stored = path;
  Adopt(*record);
  if (!keepStoredName)
    return;
  // A name from a file stays what the file says, so that saving the level does not turn a
  // typo or an image missing for now into "img_test.png" for good.
  source_.filename_ = stored;
  lookedUpPath = stored;
  static std::set<std::string> reported;
  if (reported.insert(stored).second)
    ReportCheck("texture listed", "Graphics\\Appearance", __LINE__,
                stored + " is not in the art list; it draws as img_test.png and keeps its name");
}

void Appearance::ReapplyLook() {
  LookUpTexture(true);
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  color_ = Clamped(color_);
}

bool Appearance::TakeTexture(const std::string& key) {
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  TextureRecord* record = graphics ? graphics->FindTexture(key) : nullptr;
  if (!record)
    return false;
  Adopt(*record);
  frameStep = 1.0f / static_cast<float>(source_.Frames());
  return true;
}

std::string Appearance::TextureKey() const {
  const std::string& path = source_.filename_;
  return path.size() > kArtPrefixLength ? path.substr(kArtPrefixLength) : path;
}

float Appearance::HalfFrameWidth() const {
  // Without an image (none listed, none decoded) the quad is a square in the tint colour.
  if (textureHeight <= 0)
    return 1.0f;
  return static_cast<float>(source_.aniwidth_) / static_cast<float>(textureHeight);
}

int Appearance::GetRed() const {
  return Channel(color_.r);
}
int Appearance::GetGreen() const {
  return Channel(color_.g);
}
int Appearance::GetBlue() const {
  return Channel(color_.b);
}
int Appearance::GetAlpha() const {
  return Channel(color_.a);
}

glm::vec4 Appearance::Clamped(glm::vec4 c) {
  return glm::vec4(Clamp01(c.r), Clamp01(c.g), Clamp01(c.b), Clamp01(c.a));
}

float Appearance::FromByte(int value) {
  return Clamp01(static_cast<float>(value) / 255.0f);
}

bool Appearance::EnsureBuffers() {
  if (vertexArray && GLContext::Alive(glGeneration))
    return true;
  if (!GLContext::Alive(GLContext::Generation()))
    return false;
  // Names from a context that is gone are simply forgotten.
  glGeneration = GLContext::Generation();
  while (!g_spare.empty()) {
    SpareBuffers spare = g_spare.back();
    g_spare.pop_back();
    if (spare.generation != glGeneration)
      continue;
    vertexArray = spare.vertexArray;
    vertexBuffer = spare.vertexBuffer;
    indexBuffer = spare.indexBuffer;
    vertexBytes = spare.vertexBytes;
    indexBytes = spare.indexBytes;
    uploadPending = true;
    return true;
  }
  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &vertexBuffer);
  glGenBuffers(1, &indexBuffer);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  const GLsizei stride = 8 * sizeof(float);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(8));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(24));
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  CheckGLError(glModule, __LINE__);
  vertexBytes = indexBytes = 0;
  uploadPending = true;
  return true;
}

void Appearance::ReleaseBuffers() {
  if (vertexArray && GLContext::Alive(glGeneration))
    g_spare.push_back(SpareBuffers{vertexArray, vertexBuffer, indexBuffer, vertexBytes, indexBytes,
                                   glGeneration});
  vertexArray = vertexBuffer = indexBuffer = 0;
}

std::size_t Appearance::SpareBufferSets() {
  std::size_t live = 0;
  for (const SpareBuffers& spare : g_spare)
    live += GLContext::Alive(spare.generation) ? 1 : 0;
  return live;
}

void Appearance::DrawQuads(const float* vertices, std::size_t floatCount, const unsigned* indices,
                           std::size_t indexCount, const glm::mat3& viewProjection,
                           unsigned program) {
  if (!EnsureBuffers())
    return;
  glBindVertexArray(vertexArray);
  if (uploadPending) {
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    // In place while the size is unchanged: an animation frame rewrites its quad without new
    // storage each time.
    if (floatCount * sizeof(float) == vertexBytes) {
      glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(vertexBytes), vertices);
    } else {
      vertexBytes = floatCount * sizeof(float);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), vertices,
                   GL_DYNAMIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    // Quad indices follow from the quad count alone: the same size means the same indices.
    // (The element buffer is the bound vertex array's.)
    std::size_t bytes = indexCount * sizeof(unsigned);
    if (bytes != indexBytes) {
      glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), indices,
                   GL_DYNAMIC_DRAW);
      indexBytes = bytes;
    }
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
    GLContext::EnsureMipmaps(textureName);
  }
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT, nullptr);
  glBindVertexArray(0);
  glBindTexture(GL_TEXTURE_2D, 0);
  DeferGLErrorCheck(glModule, __LINE__);
}
