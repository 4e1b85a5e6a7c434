// The editor test engine: a real window, real SDL events, frames as the main loop runs them.
#include "editor/EditorFixture.h"

#include <cstdlib>
#include <filesystem>
#include <stb_image_write.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Input/Input.h"
#include "Objects/Camera.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"
#include "Scripting/LuaEngine.h"
#include "Systems/GraphicsEngine.h"

namespace fs = std::filesystem;

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

void GameInputLog::HandleEvent(PolyEventBase& event, const std::string& function) {
  std::string text = function;
  if (auto* e = dynamic_cast<KeyIsTriggered*>(&event))
    text += " " + std::to_string(e->Key);
  else if (auto* e = dynamic_cast<KeyIsReleased*>(&event))
    text += " " + std::to_string(e->Key);
  else if (auto* e = dynamic_cast<MouseIsTriggered*>(&event))
    text += " " + std::to_string(e->Button);
  else if (auto* e = dynamic_cast<MouseIsReleased*>(&event))
    text += " " + std::to_string(e->Button);
  events.push_back(text);
}

bool GameInputLog::Saw(const std::string& text) const {
  for (const std::string& e : events)
    if (e == text)
      return true;
  return false;
}

namespace {
// Tests share one X display and may run side by side: the windows of other tests cover this
// one and the pointer moves for them. Only the events a test pushes (marked with this window
// id) reach the editor and the game.
constexpr Uint32 kPushed = 0x7e57;
// The test window's own size changes still arrive: a full-screen window may be created at one size
// and settle at another, and the view follows it as in the game.
Uint32 ownWindow = 0;

int KeepPushedEvents(void*, SDL_Event* event) {
  switch (event->type) {
  case SDL_KEYDOWN:
  case SDL_KEYUP:
    return event->key.windowID == kPushed;
  case SDL_TEXTINPUT:
    return event->text.windowID == kPushed;
  case SDL_TEXTEDITING:
    return 0;
  case SDL_MOUSEMOTION:
    return event->motion.windowID == kPushed;
  case SDL_MOUSEBUTTONDOWN:
  case SDL_MOUSEBUTTONUP:
    return event->button.windowID == kPushed;
  case SDL_MOUSEWHEEL:
    return event->wheel.windowID == kPushed;
  case SDL_WINDOWEVENT:
    return event->window.windowID == kPushed ||
           (event->window.windowID == ownWindow && event->window.event == SDL_WINDOWEVENT_RESIZED);
  default:
    return 1;
  }
}

void SolidImage(const std::string& path, int w, int h, unsigned char r, unsigned char g,
                unsigned char b) {
  std::vector<unsigned char> pixels(static_cast<size_t>(w * h * 4));
  for (size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = r;
    pixels[i + 1] = g;
    pixels[i + 2] = b;
    pixels[i + 3] = 255;
  }
  fs::create_directories(fs::path(path).parent_path());
  stbi_write_png(path.c_str(), w, h, 4, pixels.data(), w * 4);
}
} // namespace

void EditorTest::SetUp() {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  VANTIX_NEED_DISPLAY(X11VideoStarts(), "no X display for a GL window");
  dir = std::make_unique<ScratchDir>();
  SolidImage("Graphics/Art/img_test.png", 8, 8, 255, 0, 255);
  SolidImage("Graphics/Art/red.png", 8, 8, 255, 0, 0);
  SolidImage("Graphics/Art/blue.png", 8, 8, 0, 0, 255);
  SolidImage("Graphics/Art/font.png", 95 * 4, 4, 255, 255, 255);
  dir->Write("Graphics/Art/sahatmftu.txt", "img_test.png s 8 1 0\n"
                                           "red.png s 8 1 0\n"
                                           "blue.png s 8 1 0\n"
                                           "font.png s 4 95 0\n");
  fs::create_directories("Graphics/Shaders");
  for (const char* name : {"VSSprite.glsl", "FSSprite.glsl", "VSArrow.glsl", "FSArrow.glsl"})
    fs::copy_file(DataFile(std::string("Graphics/Shaders/") + name),
                  fs::path("Graphics/Shaders") / name);
  dir->Write("FrameRate.txt", "999");
  fs::create_directories("Node Levels");
  fs::create_directories("Archetypes");
  fs::create_directories("Scripts");

  engine = new Engine();
  lua = new LuaEngine();
  graphics = new GraphicsEngine("VANTIX editor test");
  particles = new ParticleSystem();
  physics = new PhysicsEngine();
  engine->AddSystems(4, lua, graphics, particles, physics);
  testing::internal::CaptureStderr(); // the missing pause level is reported
  engine->Initialize();
  testing::internal::GetCapturedStderr();
  ownWindow = SDL_GetWindowID(graphics->window);
  // On a loaded machine the window can still be on its way to the screen when the first frame
  // is drawn; wait (a little) until the server has mapped it.
  for (int waited = 0; waited < 200; ++waited) {
    SDL_PumpEvents();
    Uint32 flags = SDL_GetWindowFlags(graphics->window);
    if ((flags & SDL_WINDOW_SHOWN) && !(flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)))
      break;
    SDL_Delay(10);
  }
  SDL_SetEventFilter(KeepPushedEvents, nullptr);
  main = engine->GetSpace("Main");
  main->m_Active = main->nextActive = true;
  editor = LevelEditor::ms_Singleton;
  EditorUi::Probe::enabled = true;
  for (const char* name :
       {"KeyIsTriggered", "KeyIsReleased", "MouseIsTriggered", "MouseIsReleased"})
    EventDispatcher::ms_Singleton->Connect(&game, name, name);
  started = true;
  Frames(2);
  game.events.clear();
}

void EditorTest::TearDown() {
  if (!started)
    return;
  EditorUi::Probe::enabled = false;
  EditorUi::Probe::items.clear();
  EventDispatcher::ms_Singleton->RemoveHandler(&game);
  SDL_SetEventFilter(nullptr, nullptr);
  engine->Shutdown();
  delete engine;
  delete physics;
  delete particles;
  delete graphics;
  delete lua;
  delete editor;
  SDL_Quit();
  dir.reset();
}

void EditorTest::Frame(bool capture) {
  const float dt = 1.0f / 60.0f;
  Input::Pump();
  for (System* system : engine->systems) {
    if (system == graphics)
      graphics->SetClearPending();
    for (size_t i = 0; i < engine->spaces.size(); ++i)
      system->Update(dt, engine->spaces[i]);
  }
  graphics->Draw();
  if (editor->open)
    editor->Draw(engine->spaces);
  if (capture) {
    ASSERT_TRUE(graphics->ReadFrame(frame, frameWidth, frameHeight));
  }
  graphics->SwapWindow();
  for (size_t i = 0; i < engine->spaces.size(); ++i)
    engine->spaces[i]->EndFrame();
}

void EditorTest::Frames(int count) {
  for (int i = 0; i < count; ++i)
    Frame();
}

void EditorTest::PushKey(bool down, SDL_Keycode sym, uint16_t mod) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = sym;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  event.key.keysym.mod = mod;
  event.key.windowID = kPushed;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void EditorTest::PushText(const std::string& text) {
  for (size_t at = 0; at < text.size(); at += 16) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = kPushed;
    std::string piece = text.substr(at, 16);
    piece.copy(event.text.text, piece.size());
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
}

void EditorTest::PushMotion(int x, int y) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  event.motion.windowID = kPushed;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void EditorTest::PushButton(bool down, uint8_t button, int x, int y) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.button = button;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  event.button.x = x;
  event.button.y = y;
  event.button.windowID = kPushed;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void EditorTest::PushWheel(int x, int y, int amount) {
  PushMotion(x, y);
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = amount;
  event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  event.wheel.windowID = kPushed;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void EditorTest::Tap(SDL_Keycode sym, bool ctrl, bool shift) {
  uint16_t mod = (ctrl ? KMOD_LCTRL : 0) | (shift ? KMOD_LSHIFT : 0);
  if (ctrl)
    PushKey(true, SDLK_LCTRL, KMOD_LCTRL);
  if (shift)
    PushKey(true, SDLK_LSHIFT, mod);
  PushKey(true, sym, mod);
  PushKey(false, sym, mod);
  if (shift)
    PushKey(false, SDLK_LSHIFT, ctrl ? KMOD_LCTRL : 0);
  if (ctrl)
    PushKey(false, SDLK_LCTRL, 0);
  Frame();
}

void EditorTest::OpenEditor() {
  if (!editor->open)
    Tap(SDLK_BACKQUOTE);
  Frames(2);
}

const EditorUi::ProbeItem* EditorTest::Find(const std::string& key, int frames) {
  auto& items = EditorUi::Probe::items;
  for (int i = 0; i < frames; ++i) {
    auto it = items.find(key);
    if (it != items.end() && it->second.visible) {
      // Popups settle their size and place in the frame after they first appear.
      Frame();
      it = items.find(key);
      if (it == items.end())
        return nullptr;
      break;
    }
    Frame();
  }
  auto it = items.find(key);
  if (it == items.end())
    return nullptr;
  // Scrolls the widget's window until the widget is inside it.
  for (int i = 0; i < 60; ++i) {
    const EditorUi::ProbeItem& item = it->second;
    int direction = item.y1 > item.wy1 - 4 ? -1 : (item.y0 < item.wy0 + 20 ? 1 : 0);
    if (direction == 0)
      break;
    PushWheel(static_cast<int>((item.wx0 + item.wx1) / 2),
              static_cast<int>((item.wy0 + item.wy1) / 2), direction);
    Frames(2);
    it = items.find(key);
    if (it == items.end())
      return nullptr;
  }
  return &it->second;
}

bool EditorTest::Has(const std::string& key) {
  return EditorUi::Probe::items.count(key) > 0;
}

std::string EditorTest::Shown(const std::string& key) {
  const EditorUi::ProbeItem* item = Find(key);
  return item ? item->text : "<not shown>";
}

bool EditorTest::ClickAt(int x, int y, uint8_t button) {
  PushMotion(x, y);
  Frame();
  PushButton(true, button, x, y);
  Frame();
  PushButton(false, button, x, y);
  Frame();
  return true;
}

bool EditorTest::Click(const std::string& key, uint8_t button) {
  const EditorUi::ProbeItem* item = Find(key);
  if (!item) {
    ADD_FAILURE() << "no widget '" << key << "' on screen";
    return false;
  }
  return ClickAt(static_cast<int>((item->x0 + item->x1) / 2),
                 static_cast<int>((item->y0 + item->y1) / 2), button);
}

bool EditorTest::Type(const std::string& key, const std::string& text) {
  if (!Click(key))
    return false;
  Tap(SDLK_a, true);
  PushKey(true, SDLK_BACKSPACE);
  PushKey(false, SDLK_BACKSPACE);
  Frame();
  PushText(text);
  Frames(2);
  return true;
}

bool EditorTest::Drag(const std::string& key, int dx, int steps) {
  const EditorUi::ProbeItem* item = Find(key);
  if (!item) {
    ADD_FAILURE() << "no widget '" << key << "' on screen";
    return false;
  }
  int x = static_cast<int>((item->x0 + item->x1) / 2);
  int y = static_cast<int>((item->y0 + item->y1) / 2);
  PushMotion(x, y);
  Frame();
  PushButton(true, SDL_BUTTON_LEFT, x, y);
  Frame();
  for (int i = 1; i <= steps; ++i) {
    PushMotion(x + dx * i / steps, y);
    Frame();
  }
  PushButton(false, SDL_BUTTON_LEFT, x + dx, y);
  Frames(2);
  return true;
}

bool EditorTest::SelectInList(const std::string& name) {
  const EditorUi::ProbeItem* item = Find(name + "/entry");
  if (!item) {
    ADD_FAILURE() << "'" << name << "' is not in the object list";
    return false;
  }
  // The label, right of the arrow.
  return ClickAt(static_cast<int>(item->x0 + 40), static_cast<int>((item->y0 + item->y1) / 2));
}

bool EditorTest::OpenEntry(const std::string& name) {
  const EditorUi::ProbeItem* item = Find(name + "/entry");
  if (!item) {
    ADD_FAILURE() << "'" << name << "' is not in the object list";
    return false;
  }
  ClickAt(static_cast<int>(item->x0 + 8), static_cast<int>((item->y0 + item->y1) / 2));
  Frame();
  return true;
}

GameObject* EditorTest::Place(const std::string& name, float x, float y) {
  GameObject* object = main->CreateEmptyObject();
  object->m_Name = name;
  auto* transform = static_cast<Transform*>(object->AddComponent("Transform"));
  transform->translation_ = Vector2D(x, y, 1.0f);
  return object;
}

GameObject* EditorTest::PlaceNode(const std::string& name, float x, float y) {
  GameObject* object = Place(name, x, y);
  object->AddComponent("GameNode");
  return object;
}

Rgb EditorTest::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= frameWidth || y >= frameHeight)
    return {-1, -1, -1};
  const unsigned char* p = &frame[static_cast<size_t>((y * frameWidth + x) * 4)];
  return {p[0], p[1], p[2]};
}

bool EditorTest::AnyNear(int x, int y, Rgb colour, int radius) const {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx)
      if (Pixel(x + dx, y + dy) == colour)
        return true;
  return false;
}

// Through the editor's view and the viewport as they are, so a window that settled at another size
// still maps world points where the engine draws them.
int EditorTest::PixelX(float wx) const {
  const Camera& view = graphics->defaultCameras[graphics->cameraIndex];
  const GraphicsEngine::Viewport& port = graphics->CurrentViewport();
  float ndc = (view.GetViewProjection() * glm::vec3(wx, 0.0f, 1.0f)).x;
  return port.x + static_cast<int>((ndc + 1.0f) * 0.5f * static_cast<float>(port.width));
}

int EditorTest::PixelY(float wy) const {
  const Camera& view = graphics->defaultCameras[graphics->cameraIndex];
  const GraphicsEngine::Viewport& port = graphics->CurrentViewport();
  float ndc = (view.GetViewProjection() * glm::vec3(0.0f, wy, 1.0f)).y;
  int fromBottom = port.y + static_cast<int>((ndc + 1.0f) * 0.5f * static_cast<float>(port.height));
  return frameHeight - fromBottom;
}
