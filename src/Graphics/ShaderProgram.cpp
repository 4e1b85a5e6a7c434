// Shader programs built from the data folder's shader files, with their failure messages.
#include "Graphics/ShaderProgram.h"

#include <GL/glew.h>
#include <cstdio>
#include <fstream>
#include <vector>

#include "Core/Engine.h"
#include "Utilities/Paths.h"

std::FILE* g_fatalKeyInput = stdin;

void ReportFatal(const std::string& message) {
  std::printf("%s\n", message.c_str());
  std::printf("press any key to quit\n");
  std::fflush(stdout);
  if (g_fatalKeyInput) {
    int c;
    do
      c = std::fgetc(g_fatalKeyInput);
    while (c != EOF && c != '\n');
  }
  if (Engine::ms_Singleton)
    Engine::ms_Singleton->quit = true;
}

ShaderFileResult CompileShaderFile(unsigned shader, const std::string& path, std::string& log) {
  // Read line by line, each line followed by "\n", whatever the file's own line endings.
  std::ifstream in(HostPath(path));
  if (!in)
    return ShaderFileResult::CannotOpen;
  std::string source, line;
  while (std::getline(in, line))
    source += line + "\n";
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok)
    return ShaderFileResult::Compiled;
  char info[512] = {};
  glGetShaderInfoLog(shader, sizeof info, nullptr, info);
  log = info;
  return ShaderFileResult::DoesNotCompile;
}

namespace {
// Compiles one shader from its file; deletes it and clears the name on failure.
bool Compile(unsigned& shader, const std::string& path) {
  if (!shader)
    return false;
  std::string log;
  ShaderFileResult result = CompileShaderFile(shader, path, log);
  if (result == ShaderFileResult::Compiled)
    return true;
  if (result == ShaderFileResult::CannotOpen) {
    std::perror(path.c_str());
    ReportFatal("failed to open " + path);
    return false;
  }
  glDeleteShader(shader);
  shader = 0;
  std::printf("%s\n", log.c_str());
  ReportFatal("Shader " + path + " failed to compile");
  return false;
}
} // namespace

bool ShaderProgram::Build(const std::string& vertexPath, const std::string& fragmentPath) {
  vertexShader = glCreateShader(GL_VERTEX_SHADER);
  if (!vertexShader)
    ReportFatal("Vertex Shader failed to be created");
  fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
  if (!fragmentShader)
    ReportFatal("Fragment Shader failed to be created");

  bool vertexOk = Compile(vertexShader, vertexPath);
  bool fragmentOk = Compile(fragmentShader, fragmentPath);

  // Linking is pointless (and only adds GL errors) once a shader is missing.
  bool linked = false;
  if (vertexOk && fragmentOk) {
    program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok) {
      linked = true;
    } else {
      GLint length = 0;
      glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
      std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1) + 1, '\0');
      glGetProgramInfoLog(program, length, nullptr, log.data());
      glDeleteProgram(program);
      program = 0;
      std::printf("%s\n", log.data());
      ReportFatal("Failed to link shaders!");
    }
  }

  // Only the program is kept. Each name is released exactly once, so no GL error is left
  // behind for the start-up check to trip over.
  for (unsigned* shader : {&vertexShader, &fragmentShader}) {
    if (!*shader)
      continue;
    if (program)
      glDetachShader(program, *shader);
    glDeleteShader(*shader);
    *shader = 0;
  }
  return linked;
}

void ShaderProgram::Release() {
  if (program)
    glDeleteProgram(program);
  program = 0;
}

namespace {
SpriteUniforms g_cachedUniforms;
}

void ForgetSpriteUniforms() {
  g_cachedUniforms = SpriteUniforms{};
}

const SpriteUniforms& SpriteUniformsOf(unsigned program) {
  SpriteUniforms& cached = g_cachedUniforms;
  if (cached.program != program) {
    cached.program = program;
    cached.mvp = glGetUniformLocation(program, "MVP");
    cached.tex = glGetUniformLocation(program, "tex");
    cached.textured = glGetUniformLocation(program, "textured");
  }
  return cached;
}
