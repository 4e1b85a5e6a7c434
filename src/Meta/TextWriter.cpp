// The text builder of the file writer, and whole-file reads and atomic writes.
#include "Meta/TextWriter.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

TextWriter& TextWriter::Indent() {
  if (depth > 0)
    text.append(static_cast<size_t>(depth) * 2, ' ');
  return *this;
}

TextWriter& TextWriter::Format(const char* format, ...) {
  char small[128];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length < 0) {
    va_end(again);
    return *this;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    text.append(small, static_cast<size_t>(length));
  } else {
    // Doubles near their limit print hundreds of digits in fixed notation.
    size_t at = text.size();
    text.resize(at + static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data() + at, static_cast<size_t>(length) + 1, format, again);
    text.resize(at + static_cast<size_t>(length));
  }
  va_end(again);
  return *this;
}

bool ReadTextFile(const std::string& hostPath, std::string& text) {
  FILE* fp = std::fopen(hostPath.c_str(), "rb");
  if (!fp)
    return false;
  std::string content;
  struct stat info;
  if (::fstat(::fileno(fp), &info) == 0 && info.st_size > 0)
    content.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, fp)) > 0)
    content.append(buffer, got);
  bool ok = !std::ferror(fp);
  std::fclose(fp);
  if (ok)
    text = std::move(content);
  return ok;
}

std::string ToStoredLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
      out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

bool WriteTextFile(const std::string& hostPath, const std::string& text, std::string& why) {
  std::string stored = ToStoredLineEnds(text);
  std::string temporary = hostPath + ".saving-" + std::to_string(::getpid());
  FILE* fp = std::fopen(temporary.c_str(), "wb");
  if (!fp) {
    why = "cannot open '" + hostPath + "' for writing (" + std::strerror(errno) + ")";
    return false;
  }
  bool ok = std::fwrite(stored.data(), 1, stored.size(), fp) == stored.size();
  ok = std::fflush(fp) == 0 && ok;
  if (ok)
    ok = ::fsync(::fileno(fp)) == 0;
  int error = errno;
  ok = std::fclose(fp) == 0 && ok;
  if (!ok) {
    why = "writing '" + hostPath + "' failed (" + std::strerror(error ? error : errno) +
          "); the old file is kept";
    std::remove(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), hostPath.c_str()) != 0) {
    why = "cannot replace '" + hostPath + "' (" + std::strerror(errno) + "); the old file is kept";
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
