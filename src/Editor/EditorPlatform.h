#pragma once

union SDL_Event;
struct SDL_Window;

// The editor's ImGui platform binding for SDL: display size, frame time, keys, text, mouse and
// clipboard. Everything it tells ImGui comes from the SDL events it is handed, so the editor
// behaves the same whether the events came from the devices or were pushed into the queue.
// Drawing is done by ImGui's OpenGL 3 renderer.
namespace EditorPlatform {

// Binds ImGui (whose context must exist) to the window: key map, clipboard, no ini file.
void Start(SDL_Window* window);
void Stop();
void ProcessEvent(const SDL_Event& event);
// Before ImGui::NewFrame: display size, time step, mouse position and buttons.
void NewFrame();
// Whether Ctrl or Shift is held as of the last event handed over.
bool CtrlHeld();
bool ShiftHeld();
// Forgets held keys and buttons (they may have been let go while the editor was closed).
void ResetInput();
// The editor's dark grey-blue colours.
void ApplyStyle();

} // namespace EditorPlatform
