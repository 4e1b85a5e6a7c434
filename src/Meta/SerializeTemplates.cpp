// Text forms of the scalar types, std::string and the engine's value types.
#include "Meta/SerializeTemplates.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "Meta/Serialize.h"
#include "Meta/TextReader.h"
#include "Meta/TextWriter.h"
#include "Meta/TypeRegistry.h"

namespace {
const char* const kModule = "Meta\\SerializeTemplates";

// Lines of the checks, one per scalar reader.
constexpr int kIntLine = 71;
constexpr int kUnsignedLine = 79;
constexpr int kFloatLine = 87;
constexpr int kDoubleLine = 95;
constexpr int kBoolLine = 103;
constexpr int kCharLine = 111;
constexpr int kStringLine = 119;

// The scalar's own type name must come first. On a mismatch the rest of the member's line is
// skipped and the value keeps what it had.
bool TypeCheck(TextReader& in, const TypeInfo* expected, int line) {
  int& depth = TextDepth();
  int before = depth;
  size_t mark = in.Tell();
  const TypeInfo* found = TypeScan(in, depth, expected);
  if (found == expected)
    return true;
  if (in.Tell() >= in.Size() && !found) {
    in.ReportEnd("false", kModule, line, "a " + expected->name + " value");
    return false;
  }
  in.Report("false", kModule, line,
            "expected a " + expected->name + " value, found '" + in.Token() +
                "'; the value is skipped");
  depth = before;
  in.Seek(mark);
  in.SkipLine();
  return false;
}

void BadNumber(TextReader& in, const TypeInfo* info, int line) {
  if (in.Tell() >= in.Size()) {
    in.ReportEnd("false", kModule, line, "a " + info->name + " value");
    return;
  }
  in.Report("false", kModule, line, "no readable " + info->name + " value; the value is skipped");
  in.SkipLine();
}

// The numeric scalars differ only in the type they read and the reader's form: the type name,
// then the number through `read`. False (reported, `parsed` untouched) when either is missing.
template <class T>
bool ReadNumber(TextReader& in, const TypeInfo* info, int line, bool (TextReader::*read)(T&),
                T& parsed) {
  if (!TypeCheck(in, info, line))
    return false;
  if ((in.*read)(parsed))
    return true;
  BadNumber(in, info, line);
  return false;
}

// "nan" and "inf" read as numbers, but no stored position, size or time may be one: the value
// would spread through every sum it enters. Reported, and the value keeps what it had.
template <class T> bool Finite(TextReader& in, const TypeInfo* info, int line, T parsed) {
  if (std::isfinite(parsed))
    return true;
  const char* read = std::isnan(parsed) ? "nan" : parsed > 0 ? "inf" : "-inf";
  in.Report("false", kModule, line,
            info->name + " value " + read + " is not a finite number; the value is skipped");
  return false;
}

template <class T> T& As(void* value) {
  return *static_cast<T*>(value);
}
template <class T> const T& As(const void* value) {
  return *static_cast<const T*>(value);
}
} // namespace

void WriteInt(TextWriter& out, const void* value, const TypeInfo* info) {
  out.Put(info->name).Format(" %d\n", As<int>(value));
}

void ReadInt(TextReader& in, void* value, const TypeInfo* info) {
  long long parsed = 0;
  if (!ReadNumber(in, info, kIntLine, &TextReader::ReadLong, parsed))
    return;
  if (parsed > INT_MAX || parsed < INT_MIN) {
    in.Report("false", kModule, kIntLine, "int value out of range; it is limited");
    parsed = parsed > INT_MAX ? INT_MAX : INT_MIN;
  }
  As<int>(value) = static_cast<int>(parsed);
}

void WriteUnsigned(TextWriter& out, const void* value, const TypeInfo* info) {
  out.Put(info->name).Format(" %u\n", As<unsigned>(value));
}

void ReadUnsigned(TextReader& in, void* value, const TypeInfo* info) {
  unsigned long long parsed = 0;
  if (!ReadNumber(in, info, kUnsignedLine, &TextReader::ReadUnsigned, parsed))
    return;
  // As "%u" stores it: a negative number wraps around.
  As<unsigned>(value) = static_cast<unsigned>(parsed);
}

void WriteChar(TextWriter& out, const void* value, const TypeInfo* info) {
  out.Put(info->name).Format(" %d\n", static_cast<int>(As<char>(value)));
}

void ReadChar(TextReader& in, void* value, const TypeInfo* info) {
  long long parsed = 0;
  if (ReadNumber(in, info, kCharLine, &TextReader::ReadLong, parsed))
    As<char>(value) = static_cast<char>(parsed);
}

void WriteFloat(TextWriter& out, const void* value, const TypeInfo* info) {
  out.Put(info->name).Format(" %f\n", static_cast<double>(As<float>(value)));
}

void ReadFloat(TextReader& in, void* value, const TypeInfo* info) {
  float parsed = 0.0f;
  if (ReadNumber(in, info, kFloatLine, &TextReader::ReadFloat, parsed) &&
      Finite(in, info, kFloatLine, parsed))
    As<float>(value) = parsed;
}

void WriteDouble(TextWriter& out, const void* value, const TypeInfo* info) {
  out.Put(info->name).Format(" %lf\n", As<double>(value));
}

void ReadDouble(TextReader& in, void* value, const TypeInfo* info) {
  double parsed = 0.0;
  if (ReadNumber(in, info, kDoubleLine, &TextReader::ReadDouble, parsed) &&
      Finite(in, info, kDoubleLine, parsed))
    As<double>(value) = parsed;
}

void WriteBool(TextWriter& out, const void* value, const TypeInfo* info) {
  out.Put(info->name).Put(As<bool>(value) ? " true\n" : " false\n");
}

void ReadBool(TextReader& in, void* value, const TypeInfo* info) {
  if (!TypeCheck(in, info, kBoolLine))
    return;
  if (!in.ReadToken()) {
    in.ReportEnd("false", kModule, kBoolLine, "a bool value");
    return;
  }
  // Exactly "true" is true; any other word is false.
  As<bool>(value) = in.TokenIs("true");
}

void WriteString(TextWriter& out, const void* value, const TypeInfo* info) {
  const std::string& text = As<std::string>(value);
  // The value is the rest of one line and ends at its last quote; a line break inside it
  // would cut the file in the middle of the value, so it is stored as a blank.
  size_t length = std::strlen(text.c_str());
  out.Put(info->name).Put(" \"");
  size_t from = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      out.Put(std::string_view(text.data() + from, i - from)).Put(' ');
      from = i + 1;
    }
  }
  out.Put(std::string_view(text.data() + from, length - from)).Put("\"\n");
}

void ReadString(TextReader& in, void* value, const TypeInfo* info) {
  (void)info;
  if (in.Tell() >= in.Size()) {
    in.ReportEnd("false", kModule, kStringLine, "a quoted text");
    return;
  }
  bool hadOpening = false;
  std::string text;
  if (!in.ReadQuotedLine(text, hadOpening)) {
    in.Report("false", kModule, kStringLine,
              hadOpening ? "a quoted text without its closing quote; the value is skipped"
                         : "no quoted text on the line; the value is skipped");
    return;
  }
  As<std::string>(value) = std::move(text);
}

void InstallScalarHooks() {
  TypeRegistry::SetHooks(TypeOf<int>(), &WriteInt, &ReadInt);
  TypeRegistry::SetHooks(TypeOf<unsigned>(), &WriteUnsigned, &ReadUnsigned);
  TypeRegistry::SetHooks(TypeOf<char>(), &WriteChar, &ReadChar);
  TypeRegistry::SetHooks(TypeOf<float>(), &WriteFloat, &ReadFloat);
  TypeRegistry::SetHooks(TypeOf<double>(), &WriteDouble, &ReadDouble);
  TypeRegistry::SetHooks(TypeOf<bool>(), &WriteBool, &ReadBool);
  TypeRegistry::SetHooks(TypeOf<std::string>(), &WriteString, &ReadString);
}
