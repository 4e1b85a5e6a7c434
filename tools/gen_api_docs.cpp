// Writes the script API reference (docs/script-api.md) from what LuaEngine::Initialize registers,
// and the stored-member tables of docs/levels.md from the type registry.
//
//   gen_api_docs [docs folder]                   rewrites both (default: the source tree's docs/)
//   gen_api_docs --check <temp folder> [docs]    writes both into the temp folder and exits 1
//                                                when they differ from the files in docs/
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Binding/Binding.h"
#include "Meta/TypeRegistry.h"
#include "Scripting/LuaEngine.h"

namespace {

namespace fs = std::filesystem;
using lb::ApiRow;
using lb::RowKind;

const char* const kRegenerate = "regenerate them with: build/tools/gen_api_docs";
const char* const kMembersBegin = "<!-- begin generated: stored members (tools/gen_api_docs) -->";
const char* const kMembersEnd = "<!-- end generated: stored members -->";

// Headings of the script-API sections. A section without one is called by its number.
const std::map<int, std::string> kSectionTitles = {
    {1, "Script components"},
    {2, "The per-frame event"},
    {3, "Coroutines"},
    {4, "Making a coroutine"},
    {5, "Event connections"},
    {6, "The replay flag"},
    {7, "Input queries"},
    {8, "Key codes"},
    {9, "Controller buttons and axes"},
    {10, "Input events"},
    {11, "The Input namespace"},
    {12, "Game objects"},
    {13, "Spaces"},
    {14, "Vectors"},
    {15, "Component classes"},
    {16, "Easing curves"},
    {17, "Turn events"},
    {18, "Patrols"},
    {19, "The player"},
    {20, "Level events"},
    {21, "Graphics"},
    {22, "The ping event"},
    {23, "The Engine namespace"},
    {24, "Particle emitters"},
    {25, "Simple emitters"},
    {26, "Text"},
    {27, "Sounds"},
};

std::string SectionTitle(int section) {
  auto found = kSectionTitles.find(section);
  std::string title = std::to_string(section) + ". ";
  return title + (found != kSectionTitles.end() ? found->second : "Section");
}

// GitHub's anchor of a heading: lower case, punctuation dropped, blanks as hyphens.
std::string Anchor(const std::string& heading) {
  std::string anchor;
  for (char c : heading) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
      anchor += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (c == ' ')
      anchor += '-';
  }
  return anchor;
}

// Table cells cannot hold a bare '|'.
std::string Cell(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '|')
      out += "\\|";
    else
      out += c;
  }
  return out;
}

std::string Code(const std::string& text) {
  return "`" + text + "`";
}

std::string Signature(const ApiRow& row) {
  std::string text = "(";
  for (size_t i = 0; i < row.args.size(); ++i)
    text += (i ? ", " : "") + row.args[i].Name();
  text += ") → " + row.result.Name();
  return text;
}

// One namespace, one class, or the global functions of a section.
struct Table {
  std::string heading;
  const ApiRow* scope = nullptr; // the namespace or class row; null for globals
  std::vector<const ApiRow*> members;
};

struct Section {
  int number = 0;
  std::vector<Table> tables;
};

std::vector<Section> GroupRows(const std::vector<ApiRow>& rows) {
  std::vector<Section> sections;
  std::map<std::string, std::pair<size_t, size_t>> open; // owner -> (section, table) indices
  for (const ApiRow& row : rows) {
    if (sections.empty() || sections.back().number != row.section) {
      sections.push_back({row.section, {}});
      open.clear();
    }
    Section& section = sections.back();
    if (row.kind == RowKind::Namespace || row.kind == RowKind::Class) {
      std::string full = row.owner.empty() ? row.name : row.owner + "." + row.name;
      std::string what = row.kind == RowKind::Namespace ? "Namespace " : "Class ";
      section.tables.push_back({what + Code(full), &row, {}});
      open[full] = {sections.size() - 1, section.tables.size() - 1};
      continue;
    }
    auto found = open.find(row.owner);
    if (found == open.end()) {
      std::string heading = row.owner.empty() ? "Global functions" : Code(row.owner);
      section.tables.push_back({heading, nullptr, {}});
      found =
          open.emplace(row.owner, std::make_pair(sections.size() - 1, section.tables.size() - 1))
              .first;
    }
    sections[found->second.first].tables[found->second.second].members.push_back(&row);
  }
  return sections;
}

void WriteMemberRow(std::ostream& out, const ApiRow& row, bool withValues) {
  std::string member = row.name.empty() ? "(any other name)" : Code(row.name);
  std::string type;
  std::string access;
  switch (row.kind) {
  case RowKind::Constructor:
  case RowKind::Function:
  case RowKind::Method:
    type = Signature(row);
    break;
  case RowKind::Property:
  case RowKind::Fallback:
    type = row.result.Name();
    access = row.writable ? "rw" : "ro";
    break;
  case RowKind::Constant:
    type = row.result.Name();
    access = "ro";
    break;
  default:
    break;
  }
  out << "| " << member << " | " << lb::KindName(row.kind) << " | " << Cell(type) << " | " << access
      << " | ";
  if (withValues)
    out << Cell(row.value) << " | ";
  out << Cell(row.doc) << " |\n";
}

void WriteTable(std::ostream& out, const Table& table) {
  out << "### " << table.heading << "\n\n";
  if (table.scope) {
    out << table.scope->doc << "\n";
    if (table.scope->equality)
      out << "Two references are equal (`==`) when they denote the same engine object.\n";
    out << "\n";
  }
  if (table.members.empty())
    return;
  bool withValues = false;
  for (const ApiRow* row : table.members)
    withValues = withValues || !row->value.empty();
  out << "| Member | Kind | Type | Access | " << (withValues ? "Value | " : "")
      << "Description |\n";
  out << "|---|---|---|---|" << (withValues ? "---|" : "") << "---|\n";
  for (const ApiRow* row : table.members)
    WriteMemberRow(out, *row, withValues);
  out << "\n";
}

std::string ScriptApiMarkdown(const std::vector<ApiRow>& rows) {
  std::ostringstream out;
  out << "# Script API reference\n\n"
         "<!-- Generated by tools/gen_api_docs from the engine's own registrations: edit the "
         ".Doc(\"...\") beside a registration in src/*/*Bindings.cpp, then run "
         "build/tools/gen_api_docs. -->\n\n"
         "Everything Lua scripts can reach, in the order the engine registers it at start-up "
         "(a later registration of a name replaces an earlier one). Each row's description is "
         "kept beside its registration in the engine's `*Bindings.cpp` files, and this file is "
         "generated from them by `tools/gen_api_docs`: the test command fails when it is out "
         "of date.\n\n"
         "How to read the tables:\n\n"
         "- **function**: called with a dot, `Input.KeyIsDown(Keys.Left)`; a global function "
         "without a namespace: `keyIsDown(Keys.Left)`.\n"
         "- **method**: called on an object with a colon, `object:GetComponent(\"Sprite\")`.\n"
         "- **property**: read with a dot, `transform.Translation`; `rw` ones can be assigned, "
         "assigning a `ro` one raises a script error. A namespace's properties work the same "
         "way (`Engine.Paused = true`).\n"
         "- **constant**: a read-only value, `Keys.Left`.\n"
         "- **constructor**: calling the class name makes a new value, `Vector2D(1, 2, 1)`.\n"
         "- **fallback**: what any other member name gives on that class.\n"
         "- Types: `number` (a Lua number), `integer` (a whole number; the engine truncates "
         "fractions), `boolean`, `string`, `table`, `function`, a class name (an engine object or "
         "value of that class; `nil` where there is none), `none` (no result), `any`. Engine "
         "objects (game objects, spaces, components) are references to the engine's object; "
         "events and `Vector2D` are copies, so `t.Translation.x = 5` changes a copy: read the "
         "vector, change it and assign it back (`t.Translation = v`).\n"
         "- A wrong argument type raises a script error such as `bad argument 1 to "
         "'Input.KeyIsDown' (number expected, got string)`.\n\n"
         "Besides these, every script has `print(...)` (writes its arguments, tables as a "
         "listing, then a newline) and `__debugbreak()` (stops in an attached debugger).\n\n";
  std::vector<Section> sections = GroupRows(rows);
  out << "## Contents\n\n";
  for (const Section& section : sections) {
    std::string title = SectionTitle(section.number);
    out << "- [" << title << "](#" << Anchor(title) << "):";
    for (size_t i = 0; i < section.tables.size(); ++i) {
      const Table& table = section.tables[i];
      const ApiRow* scope = table.scope;
      std::string name = !scope                 ? table.heading
                         : scope->owner.empty() ? scope->name
                                                : scope->owner + "." + scope->name;
      out << (i ? ", " : " ") << name;
    }
    out << "\n";
  }
  out << "\n";
  for (const Section& section : sections) {
    out << "## " << SectionTitle(section.number) << "\n\n";
    for (const Table& table : section.tables)
      WriteTable(out, table);
  }
  std::string text = out.str();
  while (text.size() > 1 && text[text.size() - 1] == '\n' && text[text.size() - 2] == '\n')
    text.pop_back();
  return text;
}

// ---- Stored members, from the type registry ---------------------------------------------------

std::string MemberList(const TypeInfo* info) {
  if (info->members.empty())
    return "none";
  std::string list;
  for (const MemberInfo& member : info->members) {
    if (!list.empty())
      list += ", ";
    list += Code(std::string(member.name) + " " + member.type->name);
  }
  return list;
}

std::string StoredMembersMarkdown() {
  RegisterAllTypes();
  TypeRegistry& registry = TypeRegistry::Get();
  std::vector<const TypeInfo*> components;
  for (const std::string& name : registry.RegistrationOrder()) {
    const TypeInfo* info = registry.Lookup(name);
    // Script components are written as components too (`Component LuaComponent`).
    if (info->isComponent || name == "LuaComponent")
      components.push_back(info);
  }
  // The composite types found inside component members, in registration order.
  std::set<const TypeInfo*> inside;
  std::vector<const TypeInfo*> pending(components.begin(), components.end());
  while (!pending.empty()) {
    const TypeInfo* info = pending.back();
    pending.pop_back();
    for (const MemberInfo& member : info->members)
      if (!member.type->members.empty() && inside.insert(member.type).second)
        pending.push_back(member.type);
  }
  std::ostringstream out;
  out << "Generated from the type registry (`src/Meta/RegisterTypes.cpp`) by "
         "`tools/gen_api_docs`: member names and types exactly as they appear in files, in "
         "file order.\n\n"
         "| Component | Stored members |\n|---|---|\n";
  for (const TypeInfo* info : components)
    out << "| " << Code(info->name) << " | " << MemberList(info) << " |\n";
  out << "\nThe value types inside them:\n\n| Type | Members |\n|---|---|\n";
  for (const std::string& name : registry.RegistrationOrder()) {
    const TypeInfo* info = registry.Lookup(name);
    if (inside.count(info) && !info->isComponent)
      out << "| " << Code(info->name) << " | " << MemberList(info) << " |\n";
  }
  return out.str();
}

bool ReadFile(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

bool WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    std::cerr << path.string() << ": cannot be written\n";
    return false;
  }
  return true;
}

// The levels document with its generated part replaced; false (with a message) when the
// markers are missing.
bool ReplaceMembers(const fs::path& path, const std::string& text, const std::string& members,
                    std::string& result) {
  size_t begin = text.find(kMembersBegin);
  size_t end = text.find(kMembersEnd);
  if (begin == std::string::npos || end == std::string::npos || end < begin) {
    std::cerr << path.string() << ": the marker lines \"" << kMembersBegin << "\" and \""
              << kMembersEnd << "\" are missing or out of order\n";
    return false;
  }
  begin += std::string(kMembersBegin).size();
  result = text.substr(0, begin) + "\n\n" + members + "\n" + text.substr(end);
  return true;
}

// Reports the first line where two versions of a document differ.
bool SameText(const fs::path& committed, const std::string& expected) {
  std::string actual;
  if (!ReadFile(committed, actual)) {
    std::cerr << committed.string() << ": missing; " << kRegenerate << "\n";
    return false;
  }
  if (actual == expected)
    return true;
  std::istringstream a(actual);
  std::istringstream b(expected);
  std::string lineA;
  std::string lineB;
  int line = 1;
  while (true) {
    bool moreA = static_cast<bool>(std::getline(a, lineA));
    bool moreB = static_cast<bool>(std::getline(b, lineB));
    if (!moreA || !moreB || lineA != lineB) {
      std::cerr << committed.string() << ": differs from the generated file at line " << line
                << "\n  committed: " << (moreA ? lineA : "(end of file)")
                << "\n  generated: " << (moreB ? lineB : "(end of file)") << "\n"
                << "The script API or a stored type changed: " << kRegenerate << "\n";
      return false;
    }
    ++line;
  }
}

std::vector<ApiRow> RecordScriptApi() {
  lb::Recorder recorder;
  LuaEngine engine;
  engine.Initialize();
  engine.Shutdown();
  for (const std::string& problem : recorder.problems)
    std::cerr << "script API: " << problem << "\n";
  return recorder.rows;
}

} // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string checkDir;
  if (!args.empty() && args[0] == "--check") {
    if (args.size() < 2) {
      std::cerr << "usage: gen_api_docs [--check <temp folder>] [docs folder]\n";
      return 2;
    }
    checkDir = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  fs::path docs = args.empty() ? fs::path(VANTIX_DOCS_DIR) : fs::path(args[0]);
  fs::path out = checkDir.empty() ? docs : fs::path(checkDir);

  std::vector<ApiRow> rows = RecordScriptApi();
  int undescribed = 0;
  for (const ApiRow& row : rows)
    if (row.doc.empty()) {
      std::cerr << "script API: " << lb::KindName(row.kind) << " "
                << (row.owner.empty() ? "" : row.owner + ".") << row.name
                << " has no description (.Doc(\"...\") beside its registration)\n";
      ++undescribed;
    }
  std::string api = ScriptApiMarkdown(rows);

  std::string levels;
  if (!ReadFile(docs / "levels.md", levels)) {
    std::cerr << (docs / "levels.md").string() << ": cannot be read\n";
    return 1;
  }
  std::string newLevels;
  if (!ReplaceMembers(docs / "levels.md", levels, StoredMembersMarkdown(), newLevels))
    return 1;

  fs::create_directories(out);
  if (!WriteFile(out / "script-api.md", api) || !WriteFile(out / "levels.md", newLevels))
    return 1;
  if (checkDir.empty()) {
    std::cout << "wrote " << (out / "script-api.md").string() << " (" << rows.size()
              << " rows) and the stored members of " << (out / "levels.md").string() << "\n";
    return undescribed ? 1 : 0;
  }
  bool same = SameText(docs / "script-api.md", api);
  same = SameText(docs / "levels.md", newLevels) && same;
  return same && !undescribed ? 0 : 1;
}
