// The editor's undo history: level texts before each step, and the saved-state mark.
#include "Editor/EditorHistory.h"

#include "Core/Space.h"
#include "Meta/File.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"

void EditorHistory::Push(State state) {
  undo.push_back(std::move(state));
  if (undo.size() > kMaxSteps)
    undo.pop_front();
  redo.clear();
}

void EditorHistory::Record(Space& space) {
  CommitEdit();
  Push(State{LevelText(space), current});
  current = nextId++;
}

void EditorHistory::BeginEdit(Space& space) {
  if (pending)
    return;
  pending = State{LevelText(space), current};
  current = nextId++;
}

void EditorHistory::CommitEdit() {
  if (!pending)
    return;
  State state = std::move(*pending);
  pending.reset();
  Push(std::move(state));
}

bool EditorHistory::Undo(Space& space) {
  CommitEdit();
  if (undo.empty())
    return false;
  State before = std::move(undo.back());
  undo.pop_back();
  redo.push_back(State{LevelText(space), current});
  RestoreLevel(space, before.text);
  current = before.id;
  return true;
}

bool EditorHistory::Redo(Space& space) {
  CommitEdit();
  if (redo.empty())
    return false;
  State after = std::move(redo.back());
  redo.pop_back();
  undo.push_back(State{LevelText(space), current});
  RestoreLevel(space, after.text);
  current = after.id;
  return true;
}

void EditorHistory::Reset() {
  undo.clear();
  redo.clear();
  pending.reset();
  current = nextId++;
  saved = current;
}

void RestoreLevel(Space& space, const std::string& text) {
  space.Clear();
  ReadLevelText(space, text, "the editor's history of '" + space.LevelName + "'");
  AllObjectsCreated created;
  created.Quarter = 3;
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->SendToSpace(created, &space, "AllObjectsCreated");
}
