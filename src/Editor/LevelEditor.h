#pragma once
#include <string>
#include <vector>

#include "Editor/EditorHistory.h"
#include "Utilities/Singleton.h"

class Space;
class GameObject;
union SDL_Event;
struct SDL_Window;

// The in-game level editor. While open, the renderer views every space through the default
// camera and the main loop asks the editor to draw after the game. It edits the space "Main";
// every change it makes is a step of its undo history.
class LevelEditor : public Singleton<LevelEditor> {
public:
  // The ` key (code "Tilde") opens and closes the editor.
  static constexpr int kToggleKey = 96;
  static constexpr const char* kLevelFolder = "Node Levels\\";
  static constexpr const char* kArchetypeFolder = "Archetypes\\";
  static constexpr const char* kScriptFolder = "Scripts\\";

  void Draw(std::vector<Space*>& spaces);
  // The editor's UI layer sees every SDL event before the game does. True when the event is
  // the editor's alone: the ` key, the undo keys while it is open, and keys and clicks while an
  // editor window has the keyboard or the mouse.
  bool ProcessEvent(const SDL_Event& event);
  // The graphics system binds the editor's UI to its window and GL context once both exist,
  // and unbinds it before the context goes.
  void StartInterface(SDL_Window* window, void* glContext);
  void StopInterface();
  bool InterfaceStarted() const { return interfaceStarted; }

  // Centres the default camera on the object (when it has a Transform) and shows it in the
  // inspectors. Null clears the selection.
  void SelectObject(GameObject* object);
  // The selected object while it is still the one that was selected: alive, in its space, with
  // the same id. Null otherwise (destroyed, recycled, or its level replaced).
  GameObject* Selected() const;

  // Undo and redo of the editor's changes to "Main"; false when there is nothing to take.
  bool Undo();
  bool Redo();
  // Shows a line in the main window; errors in red.
  void Say(const std::string& text, bool error = false);

  bool open = false;
  bool mainWindowShown = true;
  bool nodeGraphShown = false;
  bool debugDraw = false;
  bool objectListShown = true;
  bool linkScale = false;
  float rotationInPi = 0.0f;
  int particleCount = 0;
  std::string selectedName;
  Space* current = nullptr;

  EditorHistory history;
  std::string message;
  bool messageIsError = false;

  // Set when "Main" is about to take another level at the end of the frame (a level change or
  // restart): the next frame forgets the selection and the history.
  bool reloadExpected = false;
  std::string lastLevelName;
  // The level file "Load Level" asked for; once it has been read, the editor says how that went.
  std::string loadRequested;

private:
  void BeginFrame(std::vector<Space*>& spaces);
  void EndFrame();
  void DrawMainWindow();
  void KeepSelectionAfterRestore(int selectedId);

  GameObject* selected = nullptr;
  int selectedId = -1;
  int selectedSpace = -1;
  bool interfaceStarted = false;
  SDL_Window* window = nullptr;
  int undoRequests = 0;
  int redoRequests = 0;
  bool closePopupRequested = false;
};
