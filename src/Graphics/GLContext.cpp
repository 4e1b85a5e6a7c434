// The generation count of the GL context and the textures whose mipmaps it already made.
#include "Graphics/GLContext.h"

#include <GL/glew.h>
#include <vector>

namespace {
unsigned g_generation = 0;
bool g_live = false;
std::vector<bool> g_mipmapped;
} // namespace

namespace GLContext {

void Began() {
  ++g_generation;
  g_live = true;
  g_mipmapped.clear();
}

void Ended() {
  g_live = false;
  g_mipmapped.clear();
}

unsigned Generation() {
  return g_generation;
}

bool Alive(unsigned generation) {
  return generation != 0 && g_live && generation == g_generation;
}

void EnsureMipmaps(unsigned textureName) {
  if (textureName >= g_mipmapped.size())
    g_mipmapped.resize(textureName + 1, false);
  if (g_mipmapped[textureName])
    return;
  glGenerateMipmap(GL_TEXTURE_2D);
  g_mipmapped[textureName] = true;
}

} // namespace GLContext
