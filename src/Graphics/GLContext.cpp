// The generation count of the GL context and the textures whose mipmaps it already made.
#include "Graphics/GLContext.h"

#include <GL/glew.h>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
unsigned g_generation = 0;
bool g_live = false;
std::vector<bool> g_mipmapped;
} // namespace

namespace GLContext {

void Began() {
#ifdef __GLIBC__
  // Mesa's software rasteriser frees its per-frame bins after each frame and takes them again in
  // the next; with the default trim threshold the C library hands the top of the heap back to
  // the kernel each time, and every frame then pays the page faults of taking it back (a fifth
  // of a frame of many small sprites). Freed memory up to this much stays with the process.
  static bool trimSet = mallopt(M_TRIM_THRESHOLD, 64 << 20) == 1;
  (void)trimSet;
#endif
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
