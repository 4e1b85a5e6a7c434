#pragma once
#include <map>
#include <string>
#include <vector>

class EditorHistory;
class Space;

// The widgets the editor builds its windows from. Each one that changes the level makes the
// change a step of the undo history: an edit is made on a copy of the value, and the level is
// recorded before the copy is written back. Edits that go on over several frames (a drag,
// typing) are one step, closed when no widget is active any more.
namespace EditorUi {

// Where the frame's edits go.
void SetTarget(EditorHistory* history, Space* space);
// Closes a step that spans frames once no widget is being worked any more.
void EndFrame();
// Records the level before a change made at once (buttons, menu entries).
void Step();
// Called before a value of the level is written; opens or joins the current step.
void BeforeEdit();

// A test hook: while enabled, every widget's rectangle (window pixels), whether it was visible
// and the text it showed are kept under its key, the probe scopes joined with "/" and the
// label, e.g. "Player/Delete Object". Filled only when a test enables it; cleared each frame.
struct ProbeItem {
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool visible = false;
  std::string text;
  // The rectangle of the window the widget is in.
  float wx0 = 0, wy0 = 0, wx1 = 0, wy1 = 0;
};
struct Probe {
  static bool enabled;
  static std::map<std::string, ProbeItem> items;
  static std::vector<std::string> scopes;
  static std::string Key(const std::string& label);
  // Keeps the last ImGui item under the label.
  static void Record(const std::string& label, const std::string& text = {});
};
class ProbeScope {
public:
  explicit ProbeScope(const std::string& name);
  ~ProbeScope();
  ProbeScope(const ProbeScope&) = delete;
  ProbeScope& operator=(const ProbeScope&) = delete;
};

// Plain widgets, recorded by the probe.
bool Button(const char* label);
bool Selectable(const char* label, bool selected = false);
bool MenuItem(const char* label);
// A line of text, recorded under the key.
void Text(const std::string& key, const std::string& text);
void TextColored(const std::string& key, const std::string& text, float r, float g, float b);
// The text of a label: everything before "##".
std::string Shown(const char* label);

// Level edits: each returns true when the field was changed this frame.
bool Checkbox(const char* label, bool& field);
bool DragFloat(const char* label, float& field, float speed = 0.1f, const char* format = "%.3f");
bool DragDouble(const char* label, double& field, float speed = 0.1f, const char* format = "%.3f");
bool DragFloat2(const char* label, float* field, float speed = 0.1f, const char* format = "%.3f");
bool DragFloat4(const char* label, float* field, float speed = 0.01f, const char* format = "%.3f");
bool InputInt(const char* label, int& field, int step = 1, int fastStep = 100);
bool InputText(const char* label, std::string& field, size_t capacity = 256);
// A text field that is editor state, not level data (names typed before an action).
bool InputScratch(const char* label, std::string& field, size_t capacity = 256);

// A tooltip for the last widget while it is hovered (the probe keeps it as "Tooltip").
void Tip(const char* text);

} // namespace EditorUi
