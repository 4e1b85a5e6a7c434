#pragma once
#include <cstddef>
#include <glm/glm.hpp>
#include <map>
#include <string>
#include <vector>

#include "Graphics/ShaderProgram.h"
#include "Graphics/Texture.h"

class Sprite;

// Draws runs of sprites in one call each. Every art image is also copied, with each of
// its mipmap levels, into a layer of a texture array holding the images of its size ("a page"),
// so consecutive sprites of different images share one draw as long as their images are of one
// size. Each corner is carried to its final place on the CPU, with the arithmetic the sprite
// shader does on the GPU (so the rasteriser sees the same floats), and goes out as a small
// vertex; texels are sampled with the same filtering from the same mip chain: the picture is the
// one the per-sprite draw gives, pixel for pixel.
class SpriteBatch {
public:
  // One corner as the batch shader reads it: its place in normalised window coordinates, its
  // texture coordinate and the image's layer, and the tint.
  struct Vertex {
    float x, y;
    float u, v, layer;
    float r, g, b, a;
  };

  SpriteBatch() = default;
  SpriteBatch(const SpriteBatch&) = delete;
  SpriteBatch& operator=(const SpriteBatch&) = delete;

  // Builds the batch program from its shader files; when they are missing or do not build, the
  // problem is reported once and every sprite keeps its own draw.
  bool Start(const std::string& vertexPath, const std::string& fragmentPath);
  // Copies every uploaded texture of the table into the pages.
  void AddPages(const std::map<std::string, TextureRecord>& textures);
  // Deletes the GL objects (needs the context that made them).
  void Release();

  bool Ready() const { return program != 0; }
  // Whether the sprite can go into a run: it has a texture that has a page.
  bool Takes(const Sprite& sprite) const;
  // Appends the sprite (its vertices up to date) drawn with `viewProjection`; a sprite of
  // another page first draws the run so far.
  void Add(const Sprite& sprite, const glm::mat3& viewProjection);
  // Draws the pending run, leaving `restoreProgram` in use.
  void Flush(unsigned restoreProgram);
  // The frame begins: the instance buffer is reused from its start.
  void BeginFrame(std::size_t sprites);

  std::size_t DrawCalls() const { return drawCalls; }
  // Times this frame the runs drawn so far were handed to the GL to start on (glFlush).
  std::size_t HandOvers() const { return handOvers; }

private:
  struct Slot {
    unsigned page = 0; // index + 1 into pages; 0 = none
    float layer = 0.0f;
  };
  struct Page {
    unsigned texture = 0;
    int width = 0, height = 0, layers = 0;
  };
  const Slot* SlotOf(unsigned textureName) const {
    return textureName < slots.size() && slots[textureName].page ? &slots[textureName] : nullptr;
  }
  void MakeBuffers();
  void GrowBuffer(std::size_t vertices);

  unsigned program = 0;
  int texLocation = -1;
  unsigned vertexArray = 0;
  unsigned instanceBuffer = 0; // the vertices of this frame's sprites
  unsigned indexBuffer = 0;
  std::size_t indexQuads = 0;     // quads the index buffer holds
  std::size_t bufferVertices = 0; // capacity of the GL buffer
  std::size_t frameVertices = 0;  // vertices of this frame already in the GL buffer
  std::vector<Page> pages;
  std::vector<Slot> slots;     // by GL texture name
  std::vector<Vertex> pending; // this run's corners; its storage is kept between frames
  unsigned pendingPage = 0;
  std::size_t drawCalls = 0;
  std::size_t handOvers = 0;
  std::size_t unflushedQuads = 0; // drawn since the rasteriser was last handed its work
  static constexpr std::size_t kQuadsPerHandOver = 1024;
  unsigned glGeneration = 0;
};
