#pragma once
#include <string>

// Data paths are written with backslashes in levels, scripts and the program's own constants
// ("Node Levels\splash_KelvoLogo.level"). This is the one place where they become host paths.
std::string HostPath(const std::string& dataPath);
