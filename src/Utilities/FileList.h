#pragma once
#include <string>
#include <vector>

// Names (without folder) of the files in a folder with that extension, sorted by name. The
// folder is used as given, so callers end it with a separator: the pattern is folder + "*." +
// extension. A missing folder gives an empty list.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension);
