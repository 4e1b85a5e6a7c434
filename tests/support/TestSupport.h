#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

// Runs a test inside a fresh scratch folder (the game's working directory during the test)
// and returns to the previous folder afterwards.
class ScratchDir {
public:
  ScratchDir();
  ~ScratchDir();
  const std::filesystem::path& Path() const { return path; }
  // Writes a file relative to the scratch folder, creating its folders.
  void Write(const std::string& relative, const std::string& content) const;
  std::string Read(const std::string& relative) const;

private:
  std::filesystem::path previous;
  std::filesystem::path path;
};

// Path of a file checked in under tests/.
std::string TestFile(const std::string& relative);
// Path of a file in the game's data folder.
std::string DataFile(const std::string& relative);

// Window tests need a display. Run by the test command (which names the suite in VANTIX_SUITE),
// a missing display fails the test; run by hand without one, the test is skipped.
bool DisplayRequired();
// Starts SDL subsystems that include video, and leaves them started. Every window test shares
// the test command's one X server, and now and then a connection to it fails under load, so
// with a display set a failure is tried twice more; each failure's reason goes to standard
// error, and SDL_GetError still holds the last one.
bool StartSdlVideo(uint32_t flags);
// Whether a window with a GL context can be opened: SDL's X11 video driver starts (GL is loaded
// through GLX, so no other driver will do), tried as StartSdlVideo is and quit again. Asked once
// a process; it also has Mesa's software rasteriser draw on the calling thread.
bool X11VideoStarts();
#define VANTIX_NEED_DISPLAY(available, why)                                                        \
  do {                                                                                             \
    if (!(available)) {                                                                            \
      if (DisplayRequired())                                                                       \
        FAIL() << why;                                                                             \
      else                                                                                         \
        GTEST_SKIP() << why;                                                                       \
    }                                                                                              \
  } while (0)
