// The level editor singleton: its ImGui binding, the events it keeps from the game, the
// selection, undo and redo, and the main window.
#include "Editor/LevelEditor.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "Core/Space.h"
#include "Editor/EditorPanels.h"
#include "Editor/EditorPlatform.h"
#include "Editor/EditorWidgets.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Systems/GraphicsEngine.h"

namespace {
constexpr float kWindowWidth = 400.0f;
constexpr float kWindowHeight = 650.0f;

bool IsKeyEvent(const SDL_Event& event) {
  return event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT;
}

bool IsClickEvent(const SDL_Event& event) {
  return event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP ||
         event.type == SDL_MOUSEWHEEL;
}

// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo; 0 for any other key.
int UndoKey(const SDL_KeyboardEvent& key, bool ctrl, bool shift) {
  if (key.type != SDL_KEYDOWN || !ctrl)
    return 0;
  if (key.keysym.sym == SDLK_z)
    return shift ? 2 : 1;
  if (key.keysym.sym == SDLK_y)
    return 2;
  return 0;
}
} // namespace

void LevelEditor::StartInterface(SDL_Window* gameWindow, void*) {
  if (interfaceStarted)
    return;
  open = false;
  mainWindowShown = true;
  nodeGraphShown = false;
  debugDraw = false;
  objectListShown = true;
  linkScale = false;
  selected = nullptr;
  selectedName.clear();
  window = gameWindow;
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  EditorPlatform::Start(gameWindow);
  EditorPlatform::ApplyStyle();
  ImGui_ImplOpenGL3_Init("#version 330");
  interfaceStarted = true;
}

void LevelEditor::StopInterface() {
  if (!interfaceStarted)
    return;
  ImGui_ImplOpenGL3_Shutdown();
  EditorPlatform::Stop();
  ImGui::DestroyContext();
  interfaceStarted = false;
  window = nullptr;
}

bool LevelEditor::ProcessEvent(const SDL_Event& event) {
  if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) &&
      event.key.keysym.sym == kToggleKey) {
    if (event.type == SDL_KEYDOWN && !event.key.repeat) {
      open = !open;
      if (open && interfaceStarted)
        EditorPlatform::ResetInput();
    }
    return true;
  }
  if (!open || !interfaceStarted)
    return false;
  EditorPlatform::ProcessEvent(event);
  const ImGuiIO& io = ImGui::GetIO();
  if (event.type == SDL_KEYDOWN && !io.WantTextInput) {
    int request = UndoKey(event.key, EditorPlatform::CtrlHeld(), EditorPlatform::ShiftHeld());
    if (request) {
      // Carried out when the frame's editor pass begins, not in the middle of the input pump.
      (request == 1 ? undoRequests : redoRequests)++;
      return true;
    }
  }
  // An open popup takes the keyboard, and Escape closes it (a text field being typed in keeps
  // Escape for itself): a picker's Escape must not also pause the game under it.
  bool popupOpen =
      ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
  if (popupOpen && event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE &&
      !event.key.repeat && !io.WantTextInput)
    closePopupRequested = true;
  if (IsKeyEvent(event))
    return io.WantCaptureKeyboard || popupOpen;
  if (IsClickEvent(event))
    return io.WantCaptureMouse;
  return false;
}

GameObject* LevelEditor::Selected() const {
  if (!selected || !current || selectedSpace != current->index)
    return nullptr;
  const auto& objects = current->objects;
  int at = selected->index;
  if (at < 0 || at >= static_cast<int>(objects.size()) ||
      objects[static_cast<size_t>(at)] != selected)
    return nullptr;
  if (selected->IsDead || selected->m_Self != selectedId)
    return nullptr;
  return selected;
}

void LevelEditor::SelectObject(GameObject* object) {
  selected = object;
  selectedId = object ? object->m_Self : -1;
  selectedSpace = object ? object->spaceIndex : -1;
  selectedName = object ? EditorPanels::NameOf(object) : std::string();
  linkScale = false;
  if (!object)
    return;
  if (auto* transform = object->Get<Transform>("Transform")) {
    Vector2D at = transform->GetWorldTranslation(object);
    if (GraphicsEngine* graphics = GraphicsEngine::ms_Singleton)
      graphics->CameraMove(at.x_, at.y_);
  }
}

void LevelEditor::KeepSelectionAfterRestore(int id) {
  GameObject* object = current && id >= 0 ? current->GetObjectById(id) : nullptr;
  selected = object;
  selectedId = object ? id : -1;
  selectedSpace = object ? object->spaceIndex : -1;
  selectedName = object ? EditorPanels::NameOf(object) : std::string();
}

bool LevelEditor::Undo() {
  if (!current)
    return false;
  int id = Selected() ? selectedId : -1;
  if (!history.Undo(*current)) {
    Say("Nothing to undo");
    return false;
  }
  KeepSelectionAfterRestore(id);
  Say("Undone (" + std::to_string(history.UndoCount()) + " more)");
  return true;
}

bool LevelEditor::Redo() {
  if (!current)
    return false;
  int id = Selected() ? selectedId : -1;
  if (!history.Redo(*current)) {
    Say("Nothing to redo");
    return false;
  }
  KeepSelectionAfterRestore(id);
  Say("Redone (" + std::to_string(history.RedoCount()) + " more)");
  return true;
}

void LevelEditor::Say(const std::string& text, bool error) {
  message = text;
  messageIsError = error;
}

void LevelEditor::BeginFrame(std::vector<Space*>& spaces) {
  current = nullptr;
  for (Space* space : spaces)
    if (space && space->name == "Main") {
      current = space;
      break;
    }
  // Another level arrived since the last frame (a level change, a restart, a load while the
  // editor was closed): the history and the selection were about the level that is gone.
  if (current && (reloadExpected || current->LevelName != lastLevelName)) {
    history.Reset();
    SelectObject(nullptr);
    std::string file = std::string(kLevelFolder) + current->LevelName;
    // However the level came (the editor, the game, a restart), a file that was not read whole
    // is pointed out before anyone saves over it.
    if (!current->loadProblem.empty())
      Say(file + " was not read whole: " + current->loadProblem, true);
    else if (!loadRequested.empty() && loadRequested == current->LevelName)
      Say("Loaded " + file);
    loadRequested.clear();
  }
  reloadExpected = false;
  if (selected && !Selected()) {
    selected = nullptr;
    selectedName.clear();
  } else if (selected) {
    selectedName = EditorPanels::NameOf(selected);
  }
  EditorUi::SetTarget(current ? &history : nullptr, current);
  for (; undoRequests > 0; --undoRequests)
    Undo();
  for (; redoRequests > 0; --redoRequests)
    Redo();
}

void LevelEditor::EndFrame() {
  EditorUi::EndFrame();
  if (current) {
    lastLevelName = current->LevelName;
    reloadExpected = current->changePending || current->restartPending;
  }
}

void LevelEditor::DrawMainWindow() {
  ImGui::SetNextWindowPos(ImVec2(10.0f, 20.0f), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(kWindowWidth, kWindowHeight), ImGuiCond_FirstUseEver);
  if (!ImGui::Begin("Level Editor Version 4.20")) {
    ImGui::End();
    return;
  }
  EditorUi::Text("Current Space:", std::string("Current Space: ") + (current ? current->name : ""));
  EditorUi::Text("Current Level is: ",
                 std::string("Current Level is: ") + (current ? current->LevelName : ""));
  EditorUi::Text("Current Object is: ", "Current Object is: " + selectedName);
  if (!message.empty()) {
    if (messageIsError)
      EditorUi::TextColored("Message", message, 1.0f, 0.35f, 0.35f);
    else
      EditorUi::TextColored("Message", message, 0.6f, 0.9f, 0.6f);
  }
  if (EditorUi::Button("Undo"))
    Undo();
  ImGui::SameLine();
  if (EditorUi::Button("Redo"))
    Redo();
  ImGui::SameLine();
  ImGui::TextDisabled("%zu / %zu steps%s", history.UndoCount(), history.RedoCount(),
                      history.Dirty() ? ", unsaved" : "");
  ImGui::Separator();
  if (GameObject* object = Selected())
    EditorPanels::DrawInspectors(*this, *object);
  ImGui::Separator();
  if (EditorUi::Button("Debug Draw"))
    debugDraw = !debugDraw;
  ImGui::SameLine();
  if (EditorUi::Button("Show Demo Window"))
    nodeGraphShown = !nodeGraphShown;
  ImGui::Separator();
  if (current)
    EditorPanels::DrawFileSection(*this);
  ImGui::End();
}

void LevelEditor::Draw(std::vector<Space*>& spaces) {
  if (!interfaceStarted)
    return;
  BeginFrame(spaces);
  if (debugDraw && current)
    EditorPanels::DrawDebugOverlay(*this);

  EditorPlatform::NewFrame();
  ImGui_ImplOpenGL3_NewFrame();
  ImGui::NewFrame();
  if (closePopupRequested) {
    // The topmost popup only, as a second Escape closes the one under it.
    int open = GImGui->OpenPopupStack.Size;
    if (open > 0)
      ImGui::ClosePopupToLevel(open - 1, true);
    closePopupRequested = false;
  }
  if (EditorUi::Probe::enabled)
    EditorUi::Probe::items.clear();
  EditorUi::Probe::scopes.clear();

  if (nodeGraphShown && current)
    EditorPanels::DrawNodeGraph(*this);
  if (mainWindowShown)
    DrawMainWindow();
  if (objectListShown && current)
    EditorPanels::DrawObjectList(*this);
  EndFrame();

  ImGui::Render();
  ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}
