// The GL error check that stops the program on a programming error, and the deferred form the
// per-draw checks take.
#include "Graphics/GLCheck.h"

#include <GL/glew.h>
#include <cstdio>

#include "Utilities/Check.h"

namespace {
const char* g_deferredModule = nullptr;
int g_deferredLine = 0;

void Check(const char* module, int line) {
  GLenum code = glGetError();
  if (code == GL_NO_ERROR)
    return;
  std::printf("%u\n", static_cast<unsigned>(code));
  std::fflush(stdout);
  FatalCheck("glGetError() == GL_NO_ERROR", module, line);
}
} // namespace

void FlushGLErrorChecks() {
  if (!g_deferredModule)
    return;
  const char* module = g_deferredModule;
  g_deferredModule = nullptr;
  Check(module, g_deferredLine);
}

void CheckGLError(const char* module, int line) {
  // An error left by a deferred draw is that draw's.
  FlushGLErrorChecks();
  Check(module, line);
}

void DeferGLErrorCheck(const char* module, int line) {
  if (g_deferredModule && g_deferredModule != module)
    FlushGLErrorChecks();
  g_deferredModule = module;
  g_deferredLine = line;
}
