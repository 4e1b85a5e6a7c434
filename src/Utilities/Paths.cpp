// Data paths: backslashes of stored paths become the host's separator here, and only here.
#include "Utilities/Paths.h"

std::string HostPath(const std::string& dataPath) {
  std::string out = dataPath;
  for (char& c : out)
    if (c == '\\')
      c = '/';
  return out;
}
