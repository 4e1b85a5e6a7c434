#pragma once
// What the script API registers, row by row, with the one-line description kept beside each
// registration: the source of the script API reference and of the tests that check it. Rows are
// kept only while a Recorder exists; a normal start-up records nothing.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace lb {
struct ClassId;

enum class RowKind {
  Namespace,
  Class,
  Constructor,
  Function,
  Method,
  Property,
  Constant,
  Fallback
};
// "namespace", "class", "constructor", ...
const char* KindName(RowKind kind);

// A type as scripts see it: a word ("number", "integer", "boolean", "string", "table",
// "function", "none", "any", ...) or a bound class. A class's script name is read when asked,
// since a row may name a class that a later section registers.
struct ScriptType {
  std::string word;
  const ClassId* cls = nullptr;
  // The word, the class's script name, or "" when neither is known.
  std::string Name() const;
};

struct ApiRow {
  int section = 0;
  int position = 0;
  RowKind kind = RowKind::Function;
  std::string owner; // the qualified namespace or class name; empty for the global table
  std::string name;  // empty for a fallback
  std::vector<ScriptType> args;
  ScriptType result; // a property's or constant's type; "none" for functions without a result
  // False for raw functions (int(lua_State*...)) until Signature() names their types.
  bool typed = true;
  bool writable = false; // properties, constants and fallbacks: scripts may assign it
  bool equality = false; // class rows: == compares the engine objects
  std::string value;     // constants and variables: the value at registration
  std::string doc;
};

// While one exists, registrations append their rows to it (nested recorders: the innermost).
class Recorder {
public:
  Recorder();
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  std::vector<ApiRow> rows;
  // Misplaced descriptions: a Doc() or Signature() with no row to describe, or given twice.
  std::vector<std::string> problems;
  // The section being registered (RegisterApi sets both before each one).
  int section = 0;
  int position = 0;

private:
  Recorder* previous;
};

// The recorder in use, or null.
Recorder* ActiveRecorder();

namespace detail {
// Appends a row to the active recorder and returns it; null (and nothing done) without one.
ApiRow* AddRow(RowKind kind, const std::string& owner, const std::string& name);
// Gives the last recorded row its description.
void AttachDoc(std::string_view doc);
// Gives the last recorded row (a raw function, a fallback) its argument and result types.
void AttachSignature(std::initializer_list<const char*> args, const char* result);
} // namespace detail

} // namespace lb
