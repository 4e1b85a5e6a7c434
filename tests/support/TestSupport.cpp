// Test support: scratch folders and paths to the checked-in data.
#include "support/TestSupport.h"

#include <atomic>
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
