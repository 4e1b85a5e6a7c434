// Test support: scratch folders and paths to the checked-in data.
#include "support/TestSupport.h"

#include <SDL.h>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() : previous(fs::current_path()) {
  static std::atomic<int> counter{0};
  path = fs::temp_directory_path() /
         ("vantix-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path);
  fs::create_directories(path);
  fs::current_path(path);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::current_path(previous, ec);
  fs::remove_all(path, ec);
}

void ScratchDir::Write(const std::string& relative, const std::string& content) const {
  fs::path target = path / relative;
  fs::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary) << content;
}

std::string ScratchDir::Read(const std::string& relative) const {
  std::ifstream in(path / relative, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string TestFile(const std::string& relative) {
  return std::string(VANTIX_TESTS_DIR) + "/" + relative;
}

std::string DataFile(const std::string& relative) {
  return std::string(VANTIX_SOURCE_DIR) + "/data/" + relative;
}

bool DisplayRequired() {
  const char* suite = std::getenv("VANTIX_SUITE");
  return suite && *suite;
}

namespace {
// Starts the subsystems; with `x11Only` the x11 driver must be the one started (when the X
// server cannot be reached SDL starts its offscreen driver instead), and SDL is quit again.
// With a display set a failure is tried twice more, 0.2 s apart.
bool StartVideo(uint32_t flags, bool x11Only) {
  int attempts = std::getenv("DISPLAY") ? 3 : 1;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    if (attempt > 1)
      usleep(200 * 1000);
    if (SDL_InitSubSystem(flags) != 0) {
      std::fprintf(stderr, "SDL's video did not start (attempt %d of %d): %s\n", attempt, attempts,
                   SDL_GetError());
      continue;
    }
    if (!x11Only)
      return true;
    const char* driver = SDL_GetCurrentVideoDriver();
    std::string name = driver ? driver : "(none)";
    SDL_Quit();
    if (name == "x11")
      return true;
    std::fprintf(stderr, "SDL started the video driver %s, not x11 (attempt %d of %d)\n",
                 name.c_str(), attempt, attempts);
  }
  return false;
}
} // namespace

bool StartSdlVideo(uint32_t flags) {
  return StartVideo(flags, false);
}

bool X11VideoStarts() {
  static int available = -1;
  if (available < 0) {
    // Mesa's software rasteriser draws on the calling thread: no driver threads outlive the
    // context (the leak checker stops every thread at exit), and frames are deterministic.
    setenv("LP_NUM_THREADS", "0", 0);
    available = StartVideo(SDL_INIT_VIDEO, true) ? 1 : 0;
  }
  return available == 1;
}
