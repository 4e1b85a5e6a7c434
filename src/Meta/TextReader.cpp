// The tokenizer of the text format, with its failure reports naming the file.
#include "Meta/TextReader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "Utilities/Check.h"

TextReader::TextReader(std::string textIn, std::string name)
    : text(std::move(textIn)), fileName(std::move(name)) {}

void TextReader::HitEnd() {
  eof = true;
  everHitEnd = true;
}

void TextReader::SkipBlanks() {
  while (pos < text.size() && IsBlank(text[pos]))
    ++pos;
  if (pos >= text.size())
    HitEnd();
}

bool TextReader::ReadToken() {
  token[0] = '\0';
  SkipBlanks();
  if (pos >= text.size())
    return false;
  size_t start = pos;
  while (pos < text.size() && !IsBlank(text[pos]))
    ++pos;
  if (pos >= text.size())
    HitEnd();
  size_t length = pos - start;
  if (length > kMaxToken) {
    Report("false", "Meta\\Serialize", 31,
           "a word of " + std::to_string(length) + " characters (at most " +
               std::to_string(kMaxToken) + " are allowed)");
    length = kMaxToken;
  }
  std::memcpy(token, text.data() + start, length);
  token[length] = '\0';
  return true;
}

bool TextReader::MatchLiteral(const char* word) {
  for (; *word; ++word) {
    if (pos >= text.size()) {
      HitEnd();
      return false;
    }
    if (text[pos] != *word)
      return false;
    ++pos;
  }
  return true;
}

namespace {
// A number read by strtoX must be followed by a blank or the end of the text.
bool EndsWell(const std::string& text, size_t at) {
  return at >= text.size() || IsBlank(text[at]);
}
} // namespace

float ParseFloat(const char* s, const char* limit, char** end) {
  // Decimals, which is what files hold ("-12.500000"), go through from_chars: as exact as
  // strtof and several times faster (most of a level is floats). What it reads otherwise than
  // strtof (a '+' sign, hexadecimal, words such as "inf") or cannot hold goes to strtof.
  const char* digits = s < limit && *s == '-' ? s + 1 : s;
  bool decimal = digits < limit && ((*digits >= '0' && *digits <= '9') || *digits == '.');
  bool hex = digits + 1 < limit && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  if (decimal && !hex) {
    float parsed = 0.0f;
    auto [stop, error] = std::from_chars(s, limit, parsed);
    if (error == std::errc()) {
      *end = const_cast<char*>(stop);
      return parsed;
    }
  }
  return std::strtof(s, end);
}

template <class T, class Parse> bool TextReader::ReadNumber(T& value, Parse parse) {
  size_t start = pos;
  SkipBlanks();
  if (pos >= text.size())
    return false;
  const char* begin = text.c_str() + pos;
  char* end = nullptr;
  errno = 0;
  T parsed = parse(begin, &end);
  size_t after = pos + static_cast<size_t>(end - begin);
  if (end == begin || !EndsWell(text, after)) {
    pos = start;
    return false;
  }
  pos = after;
  if (pos >= text.size())
    HitEnd();
  value = parsed;
  return true;
}

bool TextReader::ReadLong(long long& value) {
  return ReadNumber(value, [](const char* s, char** end) { return std::strtoll(s, end, 10); });
}

bool TextReader::ReadUnsigned(unsigned long long& value) {
  return ReadNumber(value, [](const char* s, char** end) { return std::strtoull(s, end, 10); });
}

bool TextReader::ReadFloat(float& value) {
  const char* limit = text.data() + text.size();
  return ReadNumber(value,
                    [limit](const char* s, char** end) { return ParseFloat(s, limit, end); });
}

bool TextReader::ReadDouble(double& value) {
  return ReadNumber(value, [](const char* s, char** end) { return std::strtod(s, end); });
}

bool TextReader::ReadQuotedLine(std::string& value, bool& hadOpening) {
  size_t lineEnd = text.find('\n', pos);
  if (lineEnd == std::string::npos)
    lineEnd = text.size();
  size_t open = text.find('"', pos);
  hadOpening = open != std::string::npos && open < lineEnd;
  size_t close = std::string::npos;
  if (hadOpening) {
    size_t last = text.rfind('"', lineEnd == 0 ? 0 : lineEnd - 1);
    if (last != std::string::npos && last > open)
      close = last;
  }
  pos = lineEnd < text.size() ? lineEnd + 1 : text.size();
  if (pos >= text.size())
    HitEnd();
  if (close == std::string::npos)
    return false;
  value.assign(text, open + 1, close - open - 1);
  return true;
}

void TextReader::SkipLine() {
  size_t lineEnd = text.find('\n', pos);
  pos = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
  if (pos >= text.size())
    HitEnd();
}

bool TextReader::SkipBlock() {
  size_t mark = pos;
  if (!ReadToken() || !TokenIs("{")) {
    Seek(mark);
    return false;
  }
  long open = 1;
  while (open > 0 && ReadToken()) {
    if (TokenIs("{"))
      ++open;
    else if (TokenIs("}"))
      --open;
  }
  return true;
}

void TextReader::Seek(size_t offset) {
  pos = std::min(offset, text.size());
  eof = false;
  if (abandoned)
    pos = text.size();
}

void TextReader::Abandon() {
  abandoned = true;
  pos = text.size();
}

int TextReader::LineAt(size_t offset) const {
  offset = std::min(offset, text.size());
  return 1 +
         static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

void TextReader::Report(const char* check, const char* module, int line,
                        const std::string& problem) {
  if (abandoned)
    return;
  ++reports;
  ReportCheck(check, module, line,
              fileName + ", line " + std::to_string(LineAt(pos)) + ": " + problem);
}

void TextReader::ReportEnd(const char* check, const char* module, int line,
                           const std::string& expected) {
  if (abandoned || endReported)
    return;
  endReported = true;
  ++reports;
  ReportCheck(check, module, line,
              fileName + ": the file ends where " + expected + " was expected");
}
