// libFuzzer target over the art list reader. Each input is read as an art list; every line that
// holds something must become an entry or be reported, and every entry must be one the texture
// table and the decoding workers can take (a name that fits its field, listed once, sizes that
// are not negative). The workers' slices of the entries must cover them exactly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "Graphics/ArtList.h"
#include "Utilities/Check.h"

namespace {
void Fail(const char* what, const std::string& text) {
  std::fprintf(stdout, "fuzz_artlist: %s\n--- text ---\n%s\n--- end ---\n", what, text.c_str());
  std::fflush(stdout);
  std::abort();
}

// Lines with anything but white space, as the reader splits them.
size_t FilledLines(const std::string& text) {
  std::istringstream lines(text);
  std::string line, token;
  size_t filled = 0;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    if (fields >> token)
      ++filled;
  }
  return filled;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ResetCheckFailureCount();
  std::vector<ArtList::Entry> entries = ArtList::Parse(ArtList::kListPath, text);
  const size_t reports = static_cast<size_t>(CheckFailureCount());
  const size_t filled = FilledLines(text);
  if (entries.size() > filled)
    Fail("more entries than lines", text);
  if (entries.size() + reports < filled)
    Fail("a line was dropped without a report", text);

  std::set<std::string> names;
  for (const ArtList::Entry& e : entries) {
    if (e.name.empty() || e.name.size() > ArtList::kMaxNameLength)
      Fail("an entry's name does not fit its field", text);
    if (e.name.find_first_of(" \t\r\n\v\f") != std::string::npos)
      Fail("an entry's name holds white space", text);
    if (!names.insert(e.name).second)
      Fail("a name was accepted twice", text);
    if (e.texture.filename_ != std::string(ArtList::kArtFolder) + e.name)
      Fail("an entry's file is not its name in the art folder", text);
    if (e.texture.aniwidth_ > 2147483647u || e.texture.frame_count_ > 2147483647u)
      Fail("a negative size was taken as a huge one", text);
    if (e.texture.Frames() == 0)
      Fail("an entry has no frame to show", text);
  }

  // The decoding workers' slices, for a thread count taken from the input.
  const unsigned threads = size ? 1u + data[0] % 64u : 1u;
  size_t covered = 0;
  for (size_t slice : ArtList::SliceSizes(entries.size(), threads))
    covered += slice;
  if (covered != entries.size())
    Fail("the workers' slices do not cover the entries", text);
  return 0;
}
