// The GL error check that stops the program on a programming error.
#include "Graphics/GLCheck.h"

#include <GL/glew.h>
#include <cstdio>

#include "Utilities/Check.h"

void CheckGLError(const char* module, int line) {
  GLenum code = glGetError();
  if (code == GL_NO_ERROR)
    return;
  std::printf("%u\n", static_cast<unsigned>(code));
  std::fflush(stdout);
  FatalCheck("glGetError() == GL_NO_ERROR", module, line);
}
