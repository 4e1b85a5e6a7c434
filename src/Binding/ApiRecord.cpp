// The recorder of script API rows: the rows themselves and the descriptions attached to them.
#include "Binding/ApiRecord.h"

#include "Binding/Binding.h"

namespace lb {

namespace {
Recorder*& Active() {
  static Recorder* active = nullptr;
  return active;
}

std::string RowLabel(const ApiRow& row) {
  std::string label = KindName(row.kind);
  label += " ";
  if (!row.owner.empty())
    label += row.owner + ".";
  label += row.name.empty() ? "(fallback)" : row.name;
  return label;
}
} // namespace

const char* KindName(RowKind kind) {
  switch (kind) {
  case RowKind::Namespace:
    return "namespace";
  case RowKind::Class:
    return "class";
  case RowKind::Constructor:
    return "constructor";
  case RowKind::Function:
    return "function";
  case RowKind::Method:
    return "method";
  case RowKind::Property:
    return "property";
  case RowKind::Constant:
    return "constant";
  case RowKind::Fallback:
    return "fallback";
  }
  return "?";
}

std::string ScriptType::Name() const {
  if (!word.empty())
    return word;
  return cls ? cls->name : std::string();
}

Recorder::Recorder() : previous(Active()) {
  Active() = this;
}

Recorder::~Recorder() {
  Active() = previous;
}

Recorder* ActiveRecorder() {
  return Active();
}

namespace detail {
ApiRow* AddRow(RowKind kind, const std::string& owner, const std::string& name) {
  Recorder* recorder = Active();
  if (!recorder)
    return nullptr;
  ApiRow& row = recorder->rows.emplace_back();
  row.section = recorder->section;
  row.position = recorder->position;
  row.kind = kind;
  row.owner = owner;
  row.name = name;
  return &row;
}

void AttachDoc(std::string_view doc) {
  Recorder* recorder = Active();
  if (!recorder)
    return;
  if (recorder->rows.empty()) {
    recorder->problems.push_back("a description with no row before it: " + std::string(doc));
    return;
  }
  ApiRow& row = recorder->rows.back();
  if (!row.doc.empty()) {
    recorder->problems.push_back(RowLabel(row) +
                                 " is described twice (the second: " + std::string(doc) + ")");
    return;
  }
  row.doc = doc;
}

void AttachSignature(std::initializer_list<const char*> args, const char* result) {
  Recorder* recorder = Active();
  if (!recorder)
    return;
  if (recorder->rows.empty()) {
    recorder->problems.push_back("a signature with no row before it");
    return;
  }
  ApiRow& row = recorder->rows.back();
  if (row.typed && row.kind != RowKind::Fallback) {
    recorder->problems.push_back(RowLabel(row) + " has its types from C++ already");
    return;
  }
  row.args.clear();
  for (const char* arg : args)
    row.args.push_back({arg});
  row.result = {result};
  row.typed = true;
}
} // namespace detail

} // namespace lb
