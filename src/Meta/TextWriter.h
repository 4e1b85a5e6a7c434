#pragma once
#include <string>
#include <string_view>

// Builds the text of a level or archetype in memory with "\n" line ends. Indentation follows
// the writer's own nesting depth (two blanks per level), which the block writers raise and
// lower. The text reaches the disk only through WriteTextFile, so a failed save never leaves
// half a file behind.
class TextWriter {
public:
  explicit TextWriter(int startDepth = 0) : depth(startDepth) {}

  TextWriter& Put(std::string_view piece) {
    text.append(piece);
    return *this;
  }
  TextWriter& Put(char c) {
    text.push_back(c);
    return *this;
  }
  // Blanks for the current nesting depth.
  TextWriter& Indent();
  // printf-style piece (numbers).
  TextWriter& Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

  const std::string& Text() const { return text; }
  std::string Take() { return std::move(text); }
  void Reserve(size_t bytes) { text.reserve(bytes); }

  // Nesting depth of the block being written.
  int depth;

private:
  std::string text;
};

// Reads a whole file. False (and `text` untouched) when it cannot be opened or read.
bool ReadTextFile(const std::string& hostPath, std::string& text);

// Writes `text` (with "\n" line ends) to `hostPath` with CR LF line ends: first into a
// temporary file beside it, which then replaces the target. On failure the old file is left
// as it was, the temporary file is removed and `why` says what went wrong.
bool WriteTextFile(const std::string& hostPath, const std::string& text, std::string& why);

// "\n" line ends to CR LF (a "\n" already preceded by CR is kept as it is).
std::string ToStoredLineEnds(const std::string& text);
