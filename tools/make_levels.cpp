// Writes the levels that the program itself opens ("Node Levels\splash_KelvoLogo.level" and
// "Node Levels\Paused.level") with the engine's own writer.
//
//   make_levels [data folder]     (default: the data folder of the source tree)
#include <cstdio>
#include <filesystem>
#include <string>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"

namespace {
GameObject* Place(Space* space, const char* name, Vector2D at, Vector2D scale, int z) {
  GameObject* object = space->CreateEmptyObject();
  object->m_Name = name;
  auto* transform = static_cast<Transform*>(object->AddComponent("Transform"));
  transform->translation_ = at;
  transform->scale_ = scale;
  transform->z_order = z;
  return object;
}

void AddText(GameObject* object, const char* text) {
  auto* font = static_cast<Font*>(object->AddComponent("Font"));
  font->source_.filename_ = "Graphics\\Art\\font.png";
  font->SetText(text);
  font->align_ = 1; // centred
}

bool Save(Space* space, const char* path) {
  bool ok = space->SaveLevel(path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED to write", path);
  return ok;
}
} // namespace

int main(int argc, char** argv) {
  std::filesystem::path data = argc > 1 ? argv[1] : VANTIX_DATA_DIR;
  std::error_code ec;
  std::filesystem::create_directories(data / "Node Levels", ec);
  std::filesystem::current_path(data, ec);
  if (ec) {
    std::fprintf(stderr, "make_levels: cannot enter %s: %s\n", data.string().c_str(),
                 ec.message().c_str());
    return 1;
  }

  RegisterAllTypes();
  Engine engine;
  Space* splash = engine.CreateSpace("Main");
  GameObject* logo = Place(splash, "Logo", {0.0f, 1.0f, 1.0f}, {4.0f, 4.0f, 0.0f}, 1);
  auto* sprite = static_cast<Sprite*>(logo->AddComponent("Sprite"));
  sprite->source_.filename_ = "Graphics\\Art\\kelvo_logo.png";
  AddText(Place(splash, "Title", {0.0f, -3.0f, 1.0f}, {0.6f, 0.6f, 0.0f}, 2), "VANTIX");

  Space* pause = engine.CreateSpace("Pause");
  AddText(Place(pause, "PauseText", {0.0f, 0.0f, 1.0f}, {0.5f, 0.5f, 0.0f}, 5), "PAUSED");

  bool ok = Save(splash, "Node Levels\\splash_KelvoLogo.level");
  ok = Save(pause, "Node Levels\\Paused.level") && ok;
  return ok ? 0 : 1;
}
