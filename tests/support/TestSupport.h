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
