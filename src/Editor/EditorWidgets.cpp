// The editor's widgets: ImGui calls with undo steps around level edits, and the test probe.
#include "Editor/EditorWidgets.h"

#include <cstdio>
#include <imgui.h>
#include <vector>

#include "Core/Space.h"
#include "Editor/EditorHistory.h"

namespace EditorUi {

bool Probe::enabled = false;
std::map<std::string, ProbeItem> Probe::items;
std::vector<std::string> Probe::scopes;

namespace {
EditorHistory* g_history = nullptr;
Space* g_space = nullptr;

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Writes an edited copy back, opening the step first.
template <class T> bool Apply(bool changed, const T& value, T& field) {
  if (!changed || value == field)
    return false;
  BeforeEdit();
  field = value;
  return true;
}
} // namespace

void SetTarget(EditorHistory* history, Space* space) {
  g_history = history;
  g_space = space;
}

void EndFrame() {
  if (g_history && g_history->EditPending() && !ImGui::IsAnyItemActive())
    g_history->CommitEdit();
}

void Step() {
  if (g_history && g_space)
    g_history->Record(*g_space);
}

void BeforeEdit() {
  if (g_history && g_space)
    g_history->BeginEdit(*g_space);
}

std::string Probe::Key(const std::string& label) {
  std::string key;
  for (const std::string& scope : scopes)
    key += scope + "/";
  return key + label;
}

void Probe::Record(const std::string& label, const std::string& text) {
  if (!enabled)
    return;
  ProbeItem item;
  ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
  ImVec2 windowPos = ImGui::GetWindowPos(), windowSize = ImGui::GetWindowSize();
  item.x0 = min.x;
  item.y0 = min.y;
  item.x1 = max.x;
  item.y1 = max.y;
  item.visible = ImGui::IsItemVisible();
  item.text = text;
  item.wx0 = windowPos.x;
  item.wy0 = windowPos.y;
  item.wx1 = windowPos.x + windowSize.x;
  item.wy1 = windowPos.y + windowSize.y;
  items[Key(label)] = item;
}

ProbeScope::ProbeScope(const std::string& name) {
  Probe::scopes.push_back(name);
}
ProbeScope::~ProbeScope() {
  Probe::scopes.pop_back();
}

std::string Shown(const char* label) {
  std::string text = label;
  size_t hidden = text.find("##");
  return hidden == std::string::npos ? text : text.substr(0, hidden);
}

bool Button(const char* label) {
  bool pressed = ImGui::Button(label);
  Probe::Record(label);
  return pressed;
}

bool Selectable(const char* label, bool selected) {
  bool chosen = ImGui::Selectable(label, selected);
  Probe::Record(label);
  return chosen;
}

bool MenuItem(const char* label) {
  bool chosen = ImGui::MenuItem(label);
  Probe::Record(label);
  return chosen;
}

void Text(const std::string& key, const std::string& text) {
  ImGui::TextUnformatted(text.c_str());
  Probe::Record(key, text);
}

void TextColored(const std::string& key, const std::string& text, float r, float g, float b) {
  ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(r, g, b, 1.0f));
  ImGui::TextUnformatted(text.c_str());
  ImGui::PopStyleColor();
  Probe::Record(key, text);
}

bool Checkbox(const char* label, bool& field) {
  bool value = field;
  bool changed = ImGui::Checkbox(label, &value);
  Probe::Record(label, value ? "true" : "false");
  return Apply(changed, value, field);
}

bool DragFloat(const char* label, float& field, float speed, const char* format) {
  float value = field;
  bool changed = ImGui::DragFloat(label, &value, speed, 0.0f, 0.0f, format);
  Probe::Record(label, Format(format, value));
  return Apply(changed, value, field);
}

bool DragDouble(const char* label, double& field, float speed, const char* format) {
  double value = field;
  bool changed =
      ImGui::DragScalar(label, ImGuiDataType_Double, &value, speed, nullptr, nullptr, format);
  Probe::Record(label, Format(format, value));
  return Apply(changed, value, field);
}

namespace {
template <int N> bool DragFloats(const char* label, float* field, float speed, const char* format) {
  float value[N];
  for (int i = 0; i < N; ++i)
    value[i] = field[i];
  bool changed =
      ImGui::DragScalarN(label, ImGuiDataType_Float, value, N, speed, nullptr, nullptr, format);
  std::string shown;
  for (int i = 0; i < N; ++i)
    shown += (i ? " " : "") + Format(format, value[i]);
  Probe::Record(label, shown);
  bool differs = false;
  for (int i = 0; i < N; ++i)
    differs = differs || value[i] != field[i];
  if (!changed || !differs)
    return false;
  BeforeEdit();
  for (int i = 0; i < N; ++i)
    field[i] = value[i];
  return true;
}
} // namespace

bool DragFloat2(const char* label, float* field, float speed, const char* format) {
  return DragFloats<2>(label, field, speed, format);
}

bool DragFloat4(const char* label, float* field, float speed, const char* format) {
  return DragFloats<4>(label, field, speed, format);
}

bool InputInt(const char* label, int& field, int step, int fastStep) {
  int value = field;
  float width = ImGui::CalcItemWidth();
  bool changed = ImGui::InputInt(label, &value, step, fastStep);
  Probe::Record(label, std::to_string(value));
  if (Probe::enabled) {
    // The step buttons sit at the right end of the field, one frame height square each.
    float side = ImGui::GetFrameHeight();
    float spacing = ImGui::GetStyle().ItemInnerSpacing.x;
    ImVec2 min = ImGui::GetItemRectMin();
    ProbeItem plus = Probe::items[Probe::Key(label)];
    plus.x0 = min.x + width - side;
    plus.x1 = min.x + width;
    plus.y1 = plus.y0 + side;
    ProbeItem minus = plus;
    minus.x0 = plus.x0 - spacing - side;
    minus.x1 = plus.x0 - spacing;
    Probe::items[Probe::Key(std::string(label) + "/+")] = plus;
    Probe::items[Probe::Key(std::string(label) + "/-")] = minus;
  }
  return Apply(changed, value, field);
}

namespace {
bool TextField(const char* label, std::string& value, size_t capacity) {
  std::vector<char> buffer(capacity + 1, '\0');
  value.copy(buffer.data(), std::min(value.size(), capacity));
  bool changed = ImGui::InputText(label, buffer.data(), buffer.size());
  if (changed)
    value = buffer.data();
  return changed;
}
} // namespace

bool InputText(const char* label, std::string& field, size_t capacity) {
  std::string value = field;
  bool changed = TextField(label, value, capacity);
  Probe::Record(label, value);
  return Apply(changed, value, field);
}

bool InputScratch(const char* label, std::string& field, size_t capacity) {
  bool changed = TextField(label, field, capacity);
  Probe::Record(label, field);
  return changed;
}

void Tip(const char* text) {
  if (!ImGui::IsItemHovered())
    return;
  ImGui::SetTooltip("%s", text);
  Probe::Record("Tooltip", text);
}

} // namespace EditorUi
