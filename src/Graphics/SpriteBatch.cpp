// Batched sprite drawing: texture-array pages of same-sized images and runs drawn in one call.
#include "Graphics/SpriteBatch.h"

#include <GL/glew.h>
#include <algorithm>
#include <sstream>
#include <utility>

#include "Graphics/GLCheck.h"
#include "Graphics/GLContext.h"
#include "Graphics/Sprite.h"
#include "Utilities/Check.h"

namespace {
// Errors met while batching are the sprites' own draw failing, so they name its file.
const char* kSpriteModule = "Graphics\\Sprite.cpp";
const char* kModule = "Graphics\\SpriteBatch";

unsigned CompileQuietly(GLenum kind, const std::string& path, std::string& problem) {
  unsigned shader = glCreateShader(kind);
  std::string log;
  switch (CompileShaderFile(shader, path, log)) {
  case ShaderFileResult::Compiled:
    return shader;
  case ShaderFileResult::CannotOpen:
    problem = path + ": the file cannot be opened";
    break;
  case ShaderFileResult::DoesNotCompile:
    problem = path + " does not compile: " + log;
    break;
  }
  glDeleteShader(shader);
  return 0;
}

// One coordinate of M x (px, py, 1), summed in the order Mesa's software rasteriser sums it for
// the sprite shader, with every product and sum rounded on its own: x times its column, plus the
// translation, plus y times its column. Another order, or a fused multiply-add, moves some quad
// edges by a rounding step and with them the pixels they cover.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("fp-contract=off")))
#endif
inline float
Place(float column0, float column1, float column2, float px, float py) {
#if defined(__clang__)
#pragma clang fp contract(off)
#endif
  float sum = column0 * px;
  sum = sum + column2;
  return sum + column1 * py;
}

int MipLevels(int width, int height) {
  int levels = 1;
  for (int side = std::max(width, height); side > 1; side /= 2)
    ++levels;
  return levels;
}
} // namespace

bool SpriteBatch::Start(const std::string& vertexPath, const std::string& fragmentPath) {
  Release();
  std::string problem;
  unsigned vs = CompileQuietly(GL_VERTEX_SHADER, vertexPath, problem);
  unsigned fs = vs ? CompileQuietly(GL_FRAGMENT_SHADER, fragmentPath, problem) : 0;
  if (vs && fs) {
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      glDeleteProgram(program);
      program = 0;
      problem = vertexPath + " and " + fragmentPath + " do not link";
    }
  }
  for (unsigned shader : {vs, fs})
    if (shader) {
      if (program)
        glDetachShader(program, shader);
      glDeleteShader(shader);
    }
  if (!program) {
    ReportCheck("batch shaders build", kModule, __LINE__,
                problem + "; sprites are drawn one by one");
    return false;
  }
  texLocation = glGetUniformLocation(program, "tex");
  glGeneration = GLContext::Generation();
  MakeBuffers();
  CheckGLError(kSpriteModule, __LINE__);
  return true;
}

void SpriteBatch::MakeBuffers() {
  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &instanceBuffer);
  glGenBuffers(1, &indexBuffer);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer);
  // The attributes point at the start of the buffer for good; each run is drawn with its first
  // vertex as the base.
  const GLsizei stride = sizeof(Vertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(Vertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(Vertex, u)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(Vertex, r)));
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
  glBindVertexArray(0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  bufferVertices = 0;
}

void SpriteBatch::GrowBuffer(std::size_t vertices) {
  // Grown, never shrunk: later frames write into the same storage.
  bufferVertices = std::max(vertices, bufferVertices * 2);
  glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bufferVertices * sizeof(Vertex)), nullptr,
               GL_STREAM_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SpriteBatch::Release() {
  if (GLContext::Alive(glGeneration)) {
    for (const Page& page : pages)
      glDeleteTextures(1, &page.texture);
    if (vertexArray)
      glDeleteVertexArrays(1, &vertexArray);
    if (instanceBuffer)
      glDeleteBuffers(1, &instanceBuffer);
    if (indexBuffer)
      glDeleteBuffers(1, &indexBuffer);
    if (program)
      glDeleteProgram(program);
  }
  pages.clear();
  slots.clear();
  pending.clear();
  program = vertexArray = instanceBuffer = indexBuffer = 0;
  indexQuads = 0;
  bufferVertices = frameVertices = 0;
  pendingPage = 0;
}

void SpriteBatch::AddPages(const std::map<std::string, TextureRecord>& textures) {
  if (!Ready())
    return;
  // Images grouped by size, each group in list-name order.
  std::map<std::pair<int, int>, std::vector<unsigned>> sizes;
  for (const auto& [name, record] : textures)
    if (record.glName && record.width > 0 && record.height > 0)
      sizes[{record.width, record.height}].push_back(record.glName);

  GLint maxLayers = 256;
  glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &maxLayers);
  GLuint readFramebuffer = 0;
  glGenFramebuffers(1, &readFramebuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
  glActiveTexture(GL_TEXTURE0);
  for (const auto& [size, names] : sizes) {
    auto [width, height] = size;
    int levels = MipLevels(width, height);
    for (size_t first = 0; first < names.size(); first += static_cast<size_t>(maxLayers)) {
      int layers = static_cast<int>(std::min(names.size() - first, static_cast<size_t>(maxLayers)));
      Page page{0, width, height, layers};
      glGenTextures(1, &page.texture);
      glBindTexture(GL_TEXTURE_2D_ARRAY, page.texture);
      for (int level = 0; level < levels; ++level)
        glTexImage3D(GL_TEXTURE_2D_ARRAY, level, GL_RGBA, std::max(1, width >> level),
                     std::max(1, height >> level), layers, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
      pages.push_back(page);
      for (int layer = 0; layer < layers; ++layer) {
        unsigned name = names[first + static_cast<size_t>(layer)];
        // The image's own mip chain, made as its own draw makes it, copied level by level.
        glBindTexture(GL_TEXTURE_2D, name);
        GLContext::EnsureMipmaps(name);
        glBindTexture(GL_TEXTURE_2D, 0);
        for (int level = 0; level < levels; ++level) {
          glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name,
                                 level);
          glCopyTexSubImage3D(GL_TEXTURE_2D_ARRAY, level, 0, 0, layer, 0, 0,
                              std::max(1, width >> level), std::max(1, height >> level));
        }
        if (name >= slots.size())
          slots.resize(name + 1);
        slots[name] = Slot{static_cast<unsigned>(pages.size()), static_cast<float>(layer)};
      }
      glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    }
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &readFramebuffer);
  CheckGLError(kModule, __LINE__);
}

bool SpriteBatch::Takes(const Sprite& sprite) const {
  return program && SlotOf(sprite.textureName) != nullptr;
}

void SpriteBatch::BeginFrame(std::size_t sprites) {
  frameVertices = 0;
  drawCalls = 0;
  handOvers = 0;
  unflushedQuads = 0;
  pending.clear();
  pendingPage = 0;
  if (!program)
    return;
  if (sprites > indexQuads) {
    // The quads' indices (0 1 2 2 3 0 of each) never change: made once for the most sprites.
    indexQuads = std::max(sprites, indexQuads * 2);
    std::vector<unsigned> indices;
    indices.reserve(indexQuads * 6);
    for (unsigned k = 0; k < indexQuads; ++k)
      for (unsigned corner : {0u, 1u, 2u, 2u, 3u, 0u})
        indices.push_back(4 * k + corner);
    glBindVertexArray(vertexArray);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned)), indices.data(),
                 GL_STATIC_DRAW);
    glBindVertexArray(0);
  }
  std::size_t need = 4 * sprites;
  if (pending.capacity() < need)
    pending.reserve(need);
  if (need > bufferVertices)
    GrowBuffer(need);
}

void SpriteBatch::Add(const Sprite& sprite, const glm::mat3& viewProjection) {
  const Slot& slot = *SlotOf(sprite.textureName);
  if (pendingPage != slot.page && !pending.empty())
    Flush(0);
  pendingPage = slot.page;
  // The product the sprite's own draw hands its shader, each corner carried through it as that
  // shader does.
  const glm::mat3 mvp = viewProjection * sprite.model;
  const float* v = sprite.vertices;
  for (std::size_t corner = 0; corner < 4; ++corner) {
    const float* c = v + corner * Sprite::kFloatsPerVertex;
    float px = c[0], py = c[1];
    float x = Place(mvp[0][0], mvp[1][0], mvp[2][0], px, py);
    float y = Place(mvp[0][1], mvp[1][1], mvp[2][1], px, py);
    pending.push_back(Vertex{x, y, c[6], c[7], slot.layer, c[2], c[3], c[4], c[5]});
  }
}

void SpriteBatch::Flush(unsigned restoreProgram) {
  if (pending.empty()) {
    if (restoreProgram)
      glUseProgram(restoreProgram);
    return;
  }
  if (frameVertices + pending.size() > bufferVertices) {
    // More sprites than the frame announced: start the storage over (GL keeps the old data for
    // the draws already made).
    GrowBuffer(pending.size());
    frameVertices = 0;
  }
  const Page& page = pages[pendingPage - 1];
  glUseProgram(program);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer);
  glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(frameVertices * sizeof(Vertex)),
                  static_cast<GLsizeiptr>(pending.size() * sizeof(Vertex)), pending.data());
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D_ARRAY, page.texture);
  glUniform1i(texLocation, 0);
  // One plain indexed draw: the software rasteriser runs an instanced draw instance by
  // instance, which costs more than the vertices it saves.
  std::size_t quads = pending.size() / 4;
  glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_INT, nullptr,
                           static_cast<GLint>(frameVertices));
  ++drawCalls;
  glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  frameVertices += pending.size();
  // A software rasteriser shades a frame's triangles on its own threads, and only once they are
  // handed over; left until the swap, that waits for the whole frame to be prepared. Handing
  // over each few thousand sprites lets it shade them while the next ones are prepared.
  unflushedQuads += quads;
  if (unflushedQuads >= kQuadsPerHandOver) {
    glFlush();
    unflushedQuads = 0;
    ++handOvers;
  }
  pending.clear();
  pendingPage = 0;
  if (restoreProgram)
    glUseProgram(restoreProgram);
  CheckGLError(kSpriteModule, __LINE__);
}
