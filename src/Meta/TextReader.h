#pragma once
#include <cstddef>
#include <string>

// A level or archetype file held in memory and scanned like a formatted input stream: tokens
// are runs of non-blank characters (at most kMaxToken of them are kept), positions are
// offsets that can be remembered and returned to, and the end-of-file indicator is set when a
// read runs into the end (and cleared by Seek). Nothing ever reads outside the text.
class TextReader {
public:
  static constexpr size_t kMaxToken = 255;

  TextReader(std::string text, std::string fileName);

  const std::string& FileName() const { return fileName; }
  const std::string& Text() const { return text; }

  // Reads the next token into Token(). False at the end of the text (Token() is then empty).
  // A longer run is consumed whole, kept to its first kMaxToken characters and reported.
  bool ReadToken();
  const char* Token() const { return token; }
  // Compared in place: the words are short, and a library call for each was a tenth of a load.
  bool TokenIs(const char* word) const {
    for (const char* at = token;; ++at, ++word) {
      if (*at != *word)
        return false;
      if (*at == '\0')
        return true;
    }
  }

  // Consumes characters while they match `word` (no blanks are skipped first) and stops at the
  // first difference. True when the whole word matched.
  bool MatchLiteral(const char* word);

  // Scalar values in the forms of "%d", "%u", "%f" and "%lf": blanks are skipped, then the
  // number must end at a blank or at the end of the text. False otherwise: nothing is stored
  // and the position is where it was (unless the end of the text was reached).
  bool ReadLong(long long& value);
  bool ReadUnsigned(unsigned long long& value);
  bool ReadFloat(float& value);
  bool ReadDouble(double& value);

  // Reads the rest of the line after the first double quote and keeps the text up to the last
  // double quote of the line. False when the line has no opening or no closing quote (the line
  // is consumed and `value` is left unchanged).
  bool ReadQuotedLine(std::string& value, bool& hadOpening);

  // Skips to just past the next line feed (or to the end).
  void SkipLine();
  // Skips a "{ ... }" block whose opening brace is the next token; false (nothing consumed)
  // when the next token is not "{". Stops at the end of the text if the braces never balance.
  bool SkipBlock();

  size_t Tell() const { return pos; }
  void Seek(size_t offset);
  // The end-of-file indicator of the last read.
  bool AtEnd() const { return eof; }
  // True once any read has run into the end of the text since the start.
  bool EverHitEnd() const { return everHitEnd; }
  size_t Size() const { return text.size(); }

  // Stops all further reading: every read after this behaves as at the end of the text, and
  // further reports are suppressed (the first one already named the problem).
  void Abandon();
  bool Abandoned() const { return abandoned; }

  // Reports a failed check with a detail naming the file, the line and the problem. Quiet once
  // the reader was abandoned, and only the first report about a premature end is made.
  void Report(const char* check, const char* module, int line, const std::string& problem);
  void ReportEnd(const char* check, const char* module, int line, const std::string& expected);
  int Reports() const { return reports; }

  // 1-based line number of an offset, for messages.
  int LineAt(size_t offset) const;

private:
  void SkipBlanks();
  void HitEnd();
  // The one scalar reader behind ReadLong .. ReadDouble; `parse` has the form of strtod.
  template <class T, class Parse> bool ReadNumber(T& value, Parse parse);

  std::string text;
  std::string fileName;
  size_t pos = 0;
  bool eof = false;
  bool everHitEnd = false;
  bool abandoned = false;
  bool endReported = false;
  int reports = 0;
  char token[kMaxToken + 1] = {};
};

// A float as strtof reads it from `s` (with `*end` past it), for a text that ends at `limit`.
float ParseFloat(const char* s, const char* limit, char** end);

// Blank as the formatted-input functions see it.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
