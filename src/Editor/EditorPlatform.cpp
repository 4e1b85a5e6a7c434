// The editor's ImGui platform binding: SDL events to ImGui input, and the editor's style.
#include "Editor/EditorPlatform.h"

#include <SDL.h>
#include <cfloat>
#include <imgui.h>
#include <vector>

namespace EditorPlatform {
namespace {

constexpr int kButtons = 5;

struct State {
  SDL_Window* window = nullptr;
  uint64_t lastCounter = 0;
  ImVec2 mouse{-FLT_MAX, -FLT_MAX};
  bool held[kButtons] = {};
  // A press that was released again before the frame began still counts for that frame.
  bool pressed[kButtons] = {};
  uint16_t lastMod = 0;
  // ImGui looks at the keys once a frame: a key pressed and let go between two frames is held
  // for one frame and let go before the next.
  bool freshDown[512] = {};
  std::vector<int> deferred;
  std::vector<int> releaseNext;
  char* clipboard = nullptr;
};

State state;

const char* GetClipboard(void*) {
  if (state.clipboard)
    SDL_free(state.clipboard);
  state.clipboard = SDL_GetClipboardText();
  return state.clipboard;
}

void SetClipboard(void*, const char* text) {
  SDL_SetClipboardText(text);
}

// SDL numbers the buttons left 1, middle 2, right 3, X1 4, X2 5; ImGui left 0, right 1,
// middle 2, then the extras.
int ImGuiButton(uint8_t sdlButton) {
  switch (sdlButton) {
  case SDL_BUTTON_LEFT:
    return 0;
  case SDL_BUTTON_RIGHT:
    return 1;
  case SDL_BUTTON_MIDDLE:
    return 2;
  case SDL_BUTTON_X1:
    return 3;
  case SDL_BUTTON_X2:
    return 4;
  default:
    return -1;
  }
}

void HandleKey(const SDL_KeyboardEvent& key) {
  ImGuiIO& io = ImGui::GetIO();
  bool down = key.type == SDL_KEYDOWN;
  int code = key.keysym.scancode;
  state.lastMod = key.keysym.mod;
  if (code < 0 || code >= static_cast<int>(IM_ARRAYSIZE(io.KeysDown)))
    return;
  if (down) {
    io.KeysDown[code] = true;
    state.freshDown[code] = true;
  } else if (state.freshDown[code]) {
    state.deferred.push_back(code);
  } else {
    io.KeysDown[code] = false;
  }
}

// The modifiers as ImGui sees them this frame: the modifier keys held (or let go only since the
// last frame), or the modifier state of the last key event.
void UpdateModifiers() {
  ImGuiIO& io = ImGui::GetIO();
  auto held = [&io](SDL_Scancode left, SDL_Scancode right) {
    return io.KeysDown[left] || io.KeysDown[right];
  };
  io.KeyCtrl = held(SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL) || (state.lastMod & KMOD_CTRL);
  io.KeyShift = held(SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT) || (state.lastMod & KMOD_SHIFT);
  io.KeyAlt = held(SDL_SCANCODE_LALT, SDL_SCANCODE_RALT) || (state.lastMod & KMOD_ALT);
  io.KeySuper = held(SDL_SCANCODE_LGUI, SDL_SCANCODE_RGUI) || (state.lastMod & KMOD_GUI);
}

void HandleButton(const SDL_MouseButtonEvent& button) {
  int index = ImGuiButton(button.button);
  state.mouse = ImVec2(static_cast<float>(button.x), static_cast<float>(button.y));
  if (index < 0)
    return;
  bool down = button.type == SDL_MOUSEBUTTONDOWN;
  state.held[index] = down;
  if (down)
    state.pressed[index] = true;
}

void HandleWheel(const SDL_MouseWheelEvent& wheel) {
  ImGuiIO& io = ImGui::GetIO();
  float flip = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
  if (wheel.x > 0)
    io.MouseWheelH += flip;
  if (wheel.x < 0)
    io.MouseWheelH -= flip;
  if (wheel.y > 0)
    io.MouseWheel += flip;
  if (wheel.y < 0)
    io.MouseWheel -= flip;
}

} // namespace

void Start(SDL_Window* window) {
  state = State{};
  state.window = window;
  ImGuiIO& io = ImGui::GetIO();
  io.BackendPlatformName = "vantix_sdl";
  // Window layout is not kept between runs: nothing is written beside the game's data.
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  // The system cursor is hidden for the whole run, so ImGui draws its own.
  io.MouseDrawCursor = true;
  io.KeyMap[ImGuiKey_Tab] = SDL_SCANCODE_TAB;
  io.KeyMap[ImGuiKey_LeftArrow] = SDL_SCANCODE_LEFT;
  io.KeyMap[ImGuiKey_RightArrow] = SDL_SCANCODE_RIGHT;
  io.KeyMap[ImGuiKey_UpArrow] = SDL_SCANCODE_UP;
  io.KeyMap[ImGuiKey_DownArrow] = SDL_SCANCODE_DOWN;
  io.KeyMap[ImGuiKey_PageUp] = SDL_SCANCODE_PAGEUP;
  io.KeyMap[ImGuiKey_PageDown] = SDL_SCANCODE_PAGEDOWN;
  io.KeyMap[ImGuiKey_Home] = SDL_SCANCODE_HOME;
  io.KeyMap[ImGuiKey_End] = SDL_SCANCODE_END;
  io.KeyMap[ImGuiKey_Insert] = SDL_SCANCODE_INSERT;
  io.KeyMap[ImGuiKey_Delete] = SDL_SCANCODE_DELETE;
  io.KeyMap[ImGuiKey_Backspace] = SDL_SCANCODE_BACKSPACE;
  io.KeyMap[ImGuiKey_Space] = SDL_SCANCODE_SPACE;
  io.KeyMap[ImGuiKey_Enter] = SDL_SCANCODE_RETURN;
  io.KeyMap[ImGuiKey_Escape] = SDL_SCANCODE_ESCAPE;
  io.KeyMap[ImGuiKey_KeyPadEnter] = SDL_SCANCODE_KP_ENTER;
  io.KeyMap[ImGuiKey_A] = SDL_SCANCODE_A;
  io.KeyMap[ImGuiKey_C] = SDL_SCANCODE_C;
  io.KeyMap[ImGuiKey_V] = SDL_SCANCODE_V;
  io.KeyMap[ImGuiKey_X] = SDL_SCANCODE_X;
  io.KeyMap[ImGuiKey_Y] = SDL_SCANCODE_Y;
  io.KeyMap[ImGuiKey_Z] = SDL_SCANCODE_Z;
  io.GetClipboardTextFn = GetClipboard;
  io.SetClipboardTextFn = SetClipboard;
  io.ClipboardUserData = nullptr;
  state.lastCounter = SDL_GetPerformanceCounter();
}

void Stop() {
  if (state.clipboard)
    SDL_free(state.clipboard);
  state = State{};
}

void ProcessEvent(const SDL_Event& event) {
  if (!ImGui::GetCurrentContext())
    return;
  ImGuiIO& io = ImGui::GetIO();
  switch (event.type) {
  case SDL_KEYDOWN:
  case SDL_KEYUP:
    HandleKey(event.key);
    break;
  case SDL_TEXTINPUT:
    io.AddInputCharactersUTF8(event.text.text);
    break;
  case SDL_MOUSEMOTION:
    state.mouse = ImVec2(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y));
    break;
  case SDL_MOUSEBUTTONDOWN:
  case SDL_MOUSEBUTTONUP:
    HandleButton(event.button);
    break;
  case SDL_MOUSEWHEEL:
    HandleWheel(event.wheel);
    break;
  case SDL_WINDOWEVENT:
    if (event.window.event == SDL_WINDOWEVENT_LEAVE)
      state.mouse = ImVec2(-FLT_MAX, -FLT_MAX);
    else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
      ResetInput();
    break;
  default:
    break;
  }
}

void NewFrame() {
  ImGuiIO& io = ImGui::GetIO();
  int width = 0, height = 0, drawableWidth = 0, drawableHeight = 0;
  if (state.window) {
    SDL_GetWindowSize(state.window, &width, &height);
    SDL_GL_GetDrawableSize(state.window, &drawableWidth, &drawableHeight);
  }
  io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
  if (width > 0 && height > 0)
    io.DisplayFramebufferScale =
        ImVec2(static_cast<float>(drawableWidth) / static_cast<float>(width),
               static_cast<float>(drawableHeight) / static_cast<float>(height));

  uint64_t now = SDL_GetPerformanceCounter();
  double step = static_cast<double>(now - state.lastCounter) /
                static_cast<double>(SDL_GetPerformanceFrequency());
  state.lastCounter = now;
  // ImGui needs a positive step; a frame after a long pause counts as a short one.
  io.DeltaTime = step > 0.0 && step < 1.0 ? static_cast<float>(step) : 1.0f / 60.0f;

  for (int code : state.releaseNext)
    if (!state.freshDown[code])
      io.KeysDown[code] = false;
  state.releaseNext.swap(state.deferred);
  state.deferred.clear();
  for (bool& fresh : state.freshDown)
    fresh = false;
  UpdateModifiers();

  io.MousePos = state.mouse;
  for (int i = 0; i < kButtons; ++i) {
    io.MouseDown[i] = state.held[i] || state.pressed[i];
    state.pressed[i] = false;
  }
}

void ResetInput() {
  if (!ImGui::GetCurrentContext())
    return;
  ImGuiIO& io = ImGui::GetIO();
  for (bool& key : io.KeysDown)
    key = false;
  io.KeyCtrl = io.KeyShift = io.KeyAlt = io.KeySuper = false;
  for (int i = 0; i < kButtons; ++i)
    state.held[i] = state.pressed[i] = false;
  for (bool& fresh : state.freshDown)
    fresh = false;
  state.deferred.clear();
  state.releaseNext.clear();
  state.lastMod = 0;
}

bool CtrlHeld() {
  const ImGuiIO& io = ImGui::GetIO();
  return io.KeysDown[SDL_SCANCODE_LCTRL] || io.KeysDown[SDL_SCANCODE_RCTRL] ||
         (state.lastMod & KMOD_CTRL);
}

bool ShiftHeld() {
  const ImGuiIO& io = ImGui::GetIO();
  return io.KeysDown[SDL_SCANCODE_LSHIFT] || io.KeysDown[SDL_SCANCODE_RSHIFT] ||
         (state.lastMod & KMOD_SHIFT);
}

void ApplyStyle() {
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 2.0f;
  style.FrameRounding = 2.0f;
  ImVec4* c = style.Colors;
  c[ImGuiCol_Text] = ImVec4(0.86f, 0.89f, 0.93f, 1.00f);
  c[ImGuiCol_TextDisabled] = ImVec4(0.44f, 0.49f, 0.56f, 1.00f);
  c[ImGuiCol_WindowBg] = ImVec4(0.13f, 0.15f, 0.19f, 0.94f);
  c[ImGuiCol_ChildBg] = ImVec4(0.11f, 0.13f, 0.17f, 1.00f);
  c[ImGuiCol_PopupBg] = ImVec4(0.12f, 0.14f, 0.18f, 0.97f);
  c[ImGuiCol_Border] = ImVec4(0.27f, 0.32f, 0.40f, 0.60f);
  c[ImGuiCol_FrameBg] = ImVec4(0.20f, 0.24f, 0.30f, 1.00f);
  c[ImGuiCol_FrameBgHovered] = ImVec4(0.26f, 0.31f, 0.39f, 1.00f);
  c[ImGuiCol_FrameBgActive] = ImVec4(0.30f, 0.37f, 0.47f, 1.00f);
  c[ImGuiCol_TitleBg] = ImVec4(0.10f, 0.12f, 0.16f, 1.00f);
  c[ImGuiCol_TitleBgActive] = ImVec4(0.18f, 0.23f, 0.31f, 1.00f);
  c[ImGuiCol_TitleBgCollapsed] = ImVec4(0.10f, 0.12f, 0.16f, 0.75f);
  c[ImGuiCol_MenuBarBg] = ImVec4(0.15f, 0.18f, 0.23f, 1.00f);
  c[ImGuiCol_ScrollbarBg] = ImVec4(0.10f, 0.12f, 0.16f, 0.60f);
  c[ImGuiCol_ScrollbarGrab] = ImVec4(0.29f, 0.34f, 0.43f, 1.00f);
  c[ImGuiCol_CheckMark] = ImVec4(0.56f, 0.71f, 0.90f, 1.00f);
  c[ImGuiCol_SliderGrab] = ImVec4(0.45f, 0.58f, 0.75f, 1.00f);
  c[ImGuiCol_SliderGrabActive] = ImVec4(0.56f, 0.71f, 0.90f, 1.00f);
  c[ImGuiCol_Button] = ImVec4(0.24f, 0.30f, 0.39f, 1.00f);
  c[ImGuiCol_ButtonHovered] = ImVec4(0.31f, 0.39f, 0.51f, 1.00f);
  c[ImGuiCol_ButtonActive] = ImVec4(0.37f, 0.47f, 0.62f, 1.00f);
  c[ImGuiCol_Header] = ImVec4(0.22f, 0.28f, 0.36f, 1.00f);
  c[ImGuiCol_HeaderHovered] = ImVec4(0.29f, 0.36f, 0.47f, 1.00f);
  c[ImGuiCol_HeaderActive] = ImVec4(0.35f, 0.44f, 0.57f, 1.00f);
  c[ImGuiCol_Separator] = ImVec4(0.27f, 0.32f, 0.40f, 1.00f);
  c[ImGuiCol_Tab] = ImVec4(0.18f, 0.22f, 0.29f, 1.00f);
  c[ImGuiCol_TabHovered] = ImVec4(0.31f, 0.39f, 0.51f, 1.00f);
  c[ImGuiCol_TabActive] = ImVec4(0.26f, 0.33f, 0.43f, 1.00f);
  c[ImGuiCol_ModalWindowDimBg] = ImVec4(0.05f, 0.06f, 0.09f, 0.55f);
}

} // namespace EditorPlatform
