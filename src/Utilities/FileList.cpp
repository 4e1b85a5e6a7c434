// Listing a folder's files by extension, sorted by name.
#include "Utilities/FileList.h"

#include <algorithm>
#include <filesystem>

#include "Utilities/Paths.h"

namespace fs = std::filesystem;

std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension) {
  // The pattern's last path element may carry a name prefix ("Scripts" + "*.lua" lists the
  // files beside "Scripts" whose names start with it), as with a find-first pattern.
  fs::path pattern(HostPath(folder + "*." + extension));
  fs::path directory = pattern.parent_path();
  std::string leaf = pattern.filename().string();
  std::string prefix = leaf.substr(0, leaf.find('*'));
  std::string suffix = "." + extension;

  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(directory.empty() ? fs::path(".") : directory, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError))
      continue;
    std::string name = it->path().filename().string();
    if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) &&
        name.ends_with(suffix))
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}
