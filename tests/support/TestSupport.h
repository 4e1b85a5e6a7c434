#pragma once
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
#define VANTIX_NEED_DISPLAY(available, why)                                                        \
  do {                                                                                             \
    if (!(available)) {                                                                            \
      if (DisplayRequired())                                                                       \
        FAIL() << why;                                                                             \
      else                                                                                         \
        GTEST_SKIP() << why;                                                                       \
    }                                                                                              \
  } while (0)
