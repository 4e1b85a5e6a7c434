#pragma once
#include <cstdio>
#include <string>

// A linked GL program built from a vertex and a fragment shader file.
struct ShaderProgram {
  unsigned program = 0;
  unsigned vertexShader = 0;
  unsigned fragmentShader = 0;

  // Compiles both files (data paths) and links them. Every failure is reported through
  // ReportFatal, which asks for a key and requests quit; the build still runs to its end and
  // leaves only the program (0 when anything failed). Returns true when the program linked.
  bool Build(const std::string& vertexPath, const std::string& fragmentPath);
  // Deletes the program (needs the context that built it).
  void Release();
};

// One shader file compiled into `shader` (a name from glCreateShader), without reporting:
// the callers word their own failures. On DoesNotCompile `log` holds the compiler's log.
enum class ShaderFileResult { Compiled, CannotOpen, DoesNotCompile };
ShaderFileResult CompileShaderFile(unsigned shader, const std::string& path, std::string& log);

// Start-up failure of the shaders: prints the message and "press any key to quit", waits for
// one line of input and asks the engine to quit. Reaching the end of the input counts as the
// key, so a closed standard input never blocks.
void ReportFatal(const std::string& message);

// Where ReportFatal reads its key from; standard input unless a test points it elsewhere.
extern std::FILE* g_fatalKeyInput;

// Uniform locations of the sprite program, looked up once per program.
struct SpriteUniforms {
  unsigned program = 0;
  int mvp = -1;
  int tex = -1;
  int textured = -1;
};
const SpriteUniforms& SpriteUniformsOf(unsigned program);
// Drops the cached locations (the context that owned them is gone).
void ForgetSpriteUniforms();
