// Writes the levels that the program itself opens (the splash, the main menu, the victory screen
// and the pause screen) with the engine's own writer, and the particle demo level with its two
// particle archetypes.
//
//   make_levels [data folder]     (default: the data folder of the source tree)
#include <cstdio>
#include <filesystem>
#include <string>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"

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

void AddSprite(GameObject* object, const char* file) {
  auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
  sprite->source_.filename_ = std::string("Graphics\\Art\\") + file;
}

// The menu backdrop filling the default 10-unit-high view: a sprite is two units high at scale 1
// and as wide as its art's aspect.
void AddBackdrop(Space* space) {
  GameObject* backdrop = Place(space, "Backdrop", {0.0f, 0.0f, 1.0f}, {5.0f, 5.0f, 0.0f}, 0);
  AddSprite(backdrop, "menu_backdrop.png");
  // Dimmed, so the menu's text stays the brightest thing on screen.
  backdrop->Get<Sprite>("Sprite")->SetColor(90, 90, 100, 255);
}

// ---- The main menu: a title, the highlight bar and one text object per item, top to bottom.
// The menu script finds the items by their names ("Item1", "Item2", ...).
void PlaceMainMenu(Space* space) {
  AddBackdrop(space);
  AddText(Place(space, "Title", {0.0f, 3.0f, 1.0f}, {0.6f, 0.6f, 0.0f}, 3), "VANTIX");
  GameObject* highlight = Place(space, "Highlight", {0.0f, 0.0f, 1.0f}, {0.25f, 0.25f, 0.0f}, 1);
  AddSprite(highlight, "ui_bar.png");
  highlight->Get<Sprite>("Sprite")->SetColor(40, 120, 200,
                                             255); // the chosen item's white stands out
  const char* items[] = {"PLAY", "QUIT"};
  for (int i = 0; i < 2; ++i) {
    std::string name = "Item" + std::to_string(i + 1);
    GameObject* item = Place(space, name.c_str(), {0.0f, 0.5f - 1.5f * static_cast<float>(i), 1.0f},
                             {0.4f, 0.4f, 0.0f}, 3);
    AddText(item, items[i]);
  }
  Place(space, "Menu", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0)->AddLuaComponent("MainMenu");
}

// ---- The victory screen: the script fills in the totals.
void PlaceVictory(Space* space) {
  AddBackdrop(space);
  AddText(Place(space, "Title", {0.0f, 3.0f, 1.0f}, {0.6f, 0.6f, 0.0f}, 3), "NETWORK CLEARED");
  const char* lines[] = {"Turns", "Credits", "Found"};
  for (int i = 0; i < 3; ++i)
    AddText(Place(space, lines[i], {0.0f, 1.0f - 1.2f * static_cast<float>(i), 1.0f},
                  {0.35f, 0.35f, 0.0f}, 3),
            "");
  AddText(Place(space, "Prompt", {0.0f, -3.5f, 1.0f}, {0.25f, 0.25f, 0.0f}, 3), "PRESS ANY KEY");
  Place(space, "Victory", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0)
      ->AddLuaComponent("VictoryScreen");
}

// ---- The particle demo: a box ring, a fountain and a drift of simple particles.

void AddSpark(GameObject* object, float scale) {
  auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
  sprite->source_.filename_ = "Graphics\\Art\\spark.png";
  object->Get<Transform>("Transform")->scale_ = Vector2D(scale, scale, 0.0f);
}

bool SaveParticleArchetypes(Space* space) {
  GameObject* spark = Place(space, "Spark", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 3);
  AddSpark(spark, 0.2f);
  GameObject* ember = Place(space, "Ember", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 4);
  AddSpark(ember, 0.3f);
  bool ok = SaveArchetype(spark, "Spark") && SaveArchetype(ember, "Ember");
  std::printf("%s Archetypes/Spark.archetype and Archetypes/Ember.archetype\n",
              ok ? "wrote" : "FAILED to write");
  space->Clear();
  return ok;
}

ParticleEmitter* AddEmitter(Space* space, const char* name, Vector2D at, const char* archetype) {
  GameObject* object = Place(space, name, at, {1.0f, 1.0f, 0.0f}, 2);
  auto* emitter = static_cast<ParticleEmitter*>(object->AddComponent("ParticleEmitter"));
  emitter->Objects = archetype;
  return emitter;
}

void PlaceParticleDemo(Space* space) {
  ParticleEmitter* ring = AddEmitter(space, "Ring", {-4.5f, 0.5f, 1.0f}, "Spark");
  ring->EmitterSize = {1.6f, 1.6f};
  ring->CenterEmpty = {1.1f, 1.1f};
  ring->EmissionRate = 160.0f;
  ring->Lifetime = 1.5f;
  ring->LifetimeVariance = 0.5f;
  ring->VelocityVariance = {0.3f, 0.3f};
  ring->Scale = {0.1f, 0.1f};
  ring->SquareScaleVariance = 0.3f;
  ring->Tint = {0.3f, 0.8f, 1.0f, 1.0f};
  ring->Warmup = 1.5;

  ParticleEmitter* fountain = AddEmitter(space, "Fountain", {0.0f, -2.5f, 1.0f}, "Ember");
  fountain->Ellipse = true;
  fountain->EmitterSize = {0.3f, 0.3f};
  fountain->EmissionRate = 120.0f;
  fountain->Lifetime = 1.6f;
  fountain->LifetimeVariance = 0.3f;
  fountain->BaseVelocity = {0.0f, 2.5f};
  fountain->VelocityVariance = {1.0f, 0.6f};
  fountain->Scale = {0.14f, 0.14f};
  fountain->SquareScaleVariance = 0.4f;
  fountain->Tint = {1.0f, 0.55f, 0.15f, 1.0f};
  fountain->RandomTintRange = {0.0f, 0.25f, 0.1f, 0.0f};
  fountain->Warmup = 1.6;

  GameObject* drift = Place(space, "Drift", {4.5f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 2);
  auto* simple = static_cast<SimpleEmitter*>(drift->AddComponent("SimpleEmitter"));
  simple->SpriteSource = "spark.png";
  simple->Color = {0.55f, 1.0f, 0.4f, 1.0f};
  simple->EmissionRate = 60.0f;
  simple->Area = {2.0f, 3.0f};
  simple->Size = {0.12f, 0.12f};
  simple->Lifetime = 2.0f;
  simple->BaseVelocity = {0.0f, 0.4f};
  simple->VelocityVariance = {0.6f, 0.3f};

  AddText(Place(space, "Title", {0.0f, 4.0f, 1.0f}, {0.4f, 0.4f, 0.0f}, 5), "PARTICLES");
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
  std::filesystem::create_directories(data / "Archetypes", ec);
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
  logo->AddLuaComponent("SplashScreen");

  Space* menu = engine.CreateSpace("Menu");
  PlaceMainMenu(menu);
  Space* victory = engine.CreateSpace("Victory");
  PlaceVictory(victory);

  Space* pause = engine.CreateSpace("Pause");
  AddText(Place(pause, "PauseText", {0.0f, 0.0f, 1.0f}, {0.5f, 0.5f, 0.0f}, 5), "PAUSED");

  Space* demo = engine.CreateSpace("Demo");
  bool ok = SaveParticleArchetypes(demo);
  PlaceParticleDemo(demo);

  ok = Save(splash, "Node Levels\\splash_KelvoLogo.level") && ok;
  ok = Save(pause, "Node Levels\\Paused.level") && ok;
  ok = Save(menu, "Node Levels\\MainMenu.level") && ok;
  ok = Save(victory, "Node Levels\\Victory.level") && ok;
  ok = Save(demo, "Node Levels\\ParticleDemo.level") && ok;
  return ok ? 0 : 1;
}
