#pragma once
// A whole engine (scripting, graphics, particles, physics) with a real window under X, the
// editor's interface bound to it and its test probe on. Frames run as the main loop runs them;
// input goes through the real SDL queue, and widgets are found where ImGui drew them.
#include <SDL.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "Editor/EditorWidgets.h"
#include "Objects/EventHandler.h"
#include "support/TestSupport.h"

class Engine;
class GameObject;
class GraphicsEngine;
class LevelEditor;
class LuaEngine;
class ParticleSystem;
class PhysicsEngine;
class Space;

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// Counts what the game's script handlers of "Main" are told.
class GameInputLog : public EventHandler {
public:
  int HandlerSpaceIndex() const override { return 0; }
  void HandleEvent(PolyEventBase& event, const std::string& function) override;
  void CallFunction(const std::string&) override {}
  std::vector<std::string> events;
  bool Saw(const std::string& text) const;
};

class EditorTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // One frame as the main loop runs it (input, systems, draw, editor, swap, end of frame); the
  // picture is read back before the swap when `capture` is set.
  void Frame(bool capture = false);
  void Frames(int count);

  // Real SDL events.
  static void PushKey(bool down, SDL_Keycode sym, uint16_t mod = 0);
  static void PushText(const std::string& text);
  static void PushMotion(int x, int y);
  static void PushButton(bool down, uint8_t button, int x, int y);
  static void PushWheel(int x, int y, int y2);
  // A key pressed and let go, with Ctrl and/or Shift held around it (as real modifier keys).
  void Tap(SDL_Keycode sym, bool ctrl = false, bool shift = false);
  void OpenEditor();

  // The widget under the probe key once ImGui has shown it (a few frames at most), scrolled
  // into its window; null when it never appears.
  const EditorUi::ProbeItem* Find(const std::string& key, int frames = 8);
  bool Has(const std::string& key);
  std::string Shown(const std::string& key);
  // A click (press in one frame, release in the next) at the middle of the widget.
  bool Click(const std::string& key, uint8_t button = SDL_BUTTON_LEFT);
  bool ClickAt(int x, int y, uint8_t button = SDL_BUTTON_LEFT);
  // Clicks a text field, selects what it holds and types the text over it.
  bool Type(const std::string& key, const std::string& text);
  // Drags from the middle of the widget by dx pixels, over several frames.
  bool Drag(const std::string& key, int dx, int steps = 4);
  // Clicks the object's entry in the object list.
  bool SelectInList(const std::string& name);
  // Opens the object's entry in the object list (its arrow).
  bool OpenEntry(const std::string& name);

  // An object of "Main" with a Transform at (x, y).
  GameObject* Place(const std::string& name, float x, float y);
  GameObject* PlaceNode(const std::string& name, float x, float y);
  Rgb Pixel(int x, int y) const;
  bool AnyNear(int x, int y, Rgb colour, int radius = 2) const;
  // Window pixel of a world point through the editor's default camera and the current viewport.
  int PixelX(float wx) const;
  int PixelY(float wy) const;

  std::unique_ptr<ScratchDir> dir;
  Engine* engine = nullptr;
  LuaEngine* lua = nullptr;
  GraphicsEngine* graphics = nullptr;
  ParticleSystem* particles = nullptr;
  PhysicsEngine* physics = nullptr;
  LevelEditor* editor = nullptr;
  Space* main = nullptr;
  GameInputLog game;
  std::vector<unsigned char> frame;
  int frameWidth = 0, frameHeight = 0;
  bool started = false;
};
