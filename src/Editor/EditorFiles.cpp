// The main window's level file actions: "Save", "New Level" and "Load Level", and the question
// asked before unsaved changes would be lost.
#include <imgui.h>

#include "Core/Space.h"
#include "Editor/EditorActions.h"
#include "Editor/EditorPanels.h"
#include "Editor/EditorWidgets.h"
#include "Editor/LevelEditor.h"

namespace EditorPanels {

using namespace EditorUi;

namespace {
const char* const kSavePopup = "Save?";
const char* const kLeavePopup = "Save Before Leaving?";

// What "Save Before Leaving?" goes on to do once it is answered.
struct Leaving {
  bool newLevel = false;
  std::string levelToLoad;
};
Leaving g_leaving;
std::string g_saveName;
// The file of a level that was not read whole, once the designer has been told that saving
// over it loses what was not read: the next save to it goes ahead.
std::string g_overwriteWarned;

bool SaveAs(LevelEditor& editor, const std::string& typed) {
  std::string why;
  if (!EditorActions::CheckName(typed, why)) {
    editor.Say("The level name '" + typed + "' is refused: " + why, true);
    return false;
  }
  std::string fileName = EditorActions::LevelFileName(typed);
  Space& level = *editor.current;
  if (!level.loadProblem.empty() && fileName == level.LevelName && g_overwriteWarned != fileName) {
    g_overwriteWarned = fileName;
    editor.Say(std::string(LevelEditor::kLevelFolder) + fileName +
                   " was not read whole, and saving over it loses what was not read (" +
                   level.loadProblem + "). Save under another name, or save again to overwrite it.",
               true);
    return false;
  }
  if (!EditorActions::SaveLevelFile(level, fileName, why)) {
    editor.Say("Save failed: " + why, true);
    return false;
  }
  level.loadProblem.clear(); // the level now stands whole in the file it was saved to
  g_overwriteWarned.clear();
  level.LevelName = fileName;
  editor.history.MarkSaved();
  editor.Say(std::string("Saved ") + LevelEditor::kLevelFolder + fileName);
  return true;
}

void StartNewLevel(LevelEditor& editor) {
  editor.SelectObject(nullptr);
  editor.current->Clear();
  editor.current->LevelName.clear();
  editor.current->loadProblem.clear();
  editor.history.Reset();
  editor.Say("New level: save it to give it a name");
}

// The level file is read at the end of the frame, as any level change is.
void LoadLevel(LevelEditor& editor, const std::string& fileName) {
  editor.SelectObject(nullptr);
  editor.current->ChangeLevel(fileName);
  editor.loadRequested = fileName;
  editor.Say(std::string("Loading ") + LevelEditor::kLevelFolder + fileName);
}

void Leave(LevelEditor& editor) {
  if (g_leaving.newLevel)
    StartNewLevel(editor);
  else if (!g_leaving.levelToLoad.empty())
    LoadLevel(editor, g_leaving.levelToLoad);
  g_leaving = Leaving{};
}

void SaveModal(LevelEditor& editor) {
  if (!ImGui::BeginPopupModal(kSavePopup, nullptr, ImGuiWindowFlags_AlwaysAutoResize))
    return;
  ProbeScope scope(kSavePopup);
  ImGui::TextUnformatted("All those beautiful files will be Saveed.\n");
  InputScratch("Level Name", g_saveName, EditorActions::kMaxName);
  if (Button("Save")) {
    SaveAs(editor, g_saveName);
    ImGui::CloseCurrentPopup();
  }
  ImGui::SameLine();
  if (Button("Cancel"))
    ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
}

void LeaveModal(LevelEditor& editor) {
  if (!ImGui::BeginPopupModal(kLeavePopup, nullptr, ImGuiWindowFlags_AlwaysAutoResize))
    return;
  ProbeScope scope(kLeavePopup);
  ImGui::TextUnformatted("Only memers don't want to save their work...");
  InputScratch("Level Name", g_saveName, EditorActions::kMaxName);
  if (Button("Save")) {
    // The level is left only once its changes are safe.
    if (SaveAs(editor, g_saveName))
      Leave(editor);
    ImGui::CloseCurrentPopup();
  }
  ImGui::SameLine();
  if (Button("Don't Save")) {
    Leave(editor);
    ImGui::CloseCurrentPopup();
  }
  ImGui::SameLine();
  if (Button("Cancel")) {
    g_leaving = Leaving{};
    ImGui::CloseCurrentPopup();
  }
  ImGui::EndPopup();
}

// Leaves now, or asks first when the level has unsaved changes.
void AskToLeave(LevelEditor& editor, Leaving leaving, bool& ask) {
  g_leaving = std::move(leaving);
  if (!editor.history.Dirty()) {
    Leave(editor);
    return;
  }
  g_saveName = editor.current->LevelName;
  ask = true;
}
} // namespace

void DrawFileSection(LevelEditor& editor) {
  ProbeScope scope("Files");
  bool ask = false;
  if (Button("Save")) {
    g_saveName = editor.current->LevelName;
    ImGui::OpenPopup(kSavePopup);
  }
  ImGui::SameLine();
  if (Button("New Level"))
    AskToLeave(editor, Leaving{true, {}}, ask);
  bool open = ImGui::TreeNode("Load Level");
  Probe::Record("Load Level");
  if (open) {
    ProbeScope listScope("Load Level");
    static ImGuiTextFilter filter;
    filter.Draw("Filter (inc,-exc)##levels");
    for (const std::string& file : EditorActions::LevelFiles())
      if (filter.PassFilter(file.c_str()) && Selectable(file.c_str()))
        AskToLeave(editor, Leaving{false, file}, ask);
    ImGui::TreePop();
  }
  if (ask)
    ImGui::OpenPopup(kLeavePopup);
  SaveModal(editor);
  LeaveModal(editor);
}

} // namespace EditorPanels
