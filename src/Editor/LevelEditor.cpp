#include "Editor/LevelEditor.h"

// The editor windows arrive with the editor work.
void LevelEditor::Draw(std::vector<Space*>&) {}
void LevelEditor::ProcessEvent(const SDL_Event&) {}
void LevelEditor::StartInterface(SDL_Window*, void*) {}
void LevelEditor::StopInterface() {}
