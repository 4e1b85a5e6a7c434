#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

class Space;

// Undo and redo of the editor's changes to one level. Each step keeps the level's text as it
// was before the step (the level format itself, so nothing can be forgotten); undoing re-reads
// that text into the space, which gives top-level objects their stored ids back and children
// the same fresh ids as before. States are numbered, so the history knows whether the level
// differs from what was last saved or loaded.
class EditorHistory {
public:
  static constexpr size_t kMaxSteps = 200;

  // Before a change that is made at once (a button, a menu entry, a checkbox).
  void Record(Space& space);
  // Before a change that goes on over several frames (a drag, typing): the level as it is now
  // becomes the step's starting point, and further changes join it until CommitEdit.
  void BeginEdit(Space& space);
  bool EditPending() const { return pending.has_value(); }
  void CommitEdit();

  // Re-reads the level before the last step (after it, for Redo); false when there is none.
  bool Undo(Space& space);
  bool Redo(Space& space);

  // After a load or a new level: no steps, nothing unsaved.
  void Reset();
  void MarkSaved() { saved = current; }
  // True when the level differs from the one last saved or loaded.
  bool Dirty() const { return current != saved; }
  size_t UndoCount() const { return undo.size(); }
  size_t RedoCount() const { return redo.size(); }

private:
  struct State {
    std::string text;
    uint64_t id = 0;
  };
  void Push(State state);

  std::deque<State> undo;
  std::deque<State> redo;
  std::optional<State> pending;
  uint64_t current = 0;
  uint64_t saved = 0;
  uint64_t nextId = 1;
};

// Replaces the space's objects with the level in the text, as loading that level does (the
// space's script connections are dropped, its scripts run again and "AllObjectsCreated" is
// sent); the level name is kept.
void RestoreLevel(Space& space, const std::string& text);
