// Writes the levels that the program itself opens (the splash, the main menu, the victory screen,
// the pause screen, the HUD, the options and level select screens) with the engine's own writer,
// and the particle demo level with its two particle archetypes.
//
//   make_levels [data folder]     (default: the data folder of the source tree)
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Camera.h"
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

// Alignment 0 starts the text at the object, 1 centres it, 2 ends it there.
Font* AddText(GameObject* object, const char* text, int align = 1) {
  auto* font = static_cast<Font*>(object->AddComponent("Font"));
  font->source_.filename_ = "Graphics\\Art\\font.png";
  font->SetText(text);
  font->align_ = align;
  return font;
}

void AddSprite(GameObject* object, const char* file) {
  auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
  sprite->source_.filename_ = std::string("Graphics\\Art\\") + file;
}

// The screens and the HUD are laid out in a view 10 units high and 16:9 wide, centred on the
// origin: the level cameras' shape. Each screen brings a camera of that shape, so in a window
// of any other shape it is letter-boxed exactly like the level under it (the engine's default
// view takes the window's own shape when full screen, which would stretch the screen).
GameObject* MakeScreenCamera(Space* space) {
  GameObject* object = Place(space, "Camera", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0);
  auto* camera = static_cast<Camera*>(object->AddComponent("Camera"));
  camera->width_ = camera->baseWidth = 10.0f * 16.0f / 9.0f;
  camera->height_ = camera->baseHeight = 10.0f;
  return object;
}

// The menu backdrop filling the default 10-unit-high view: a sprite spans twice its scale in
// height (and its art's aspect, 512 x 288, in width), dimmed so the text over it reads.
void AddBackdrop(Space* space) {
  GameObject* backdrop = Place(space, "Backdrop", {0.0f, 0.0f, 1.0f}, {5.0f, 5.0f, 0.0f}, 0);
  AddSprite(backdrop, "menu_backdrop.png");
  backdrop->Get<Sprite>("Sprite")->color_ = {0.45f, 0.45f, 0.5f, 1.0f};
}

// The highlight bar in the game's blue, so white text reads on it.
void TintHighlight(Space* space) {
  space->GetObjectByName("Highlight")->Get<Sprite>("Sprite")->color_ = {0.15f, 0.45f, 0.85f, 1.0f};
}

// A column of menu items ("Item1", "Item2", ... top to bottom, as the menu scripts find them)
// from `top` down, with the highlight bar behind the first. Items and bar are drawn from layer
// `z` up, so a screen over a level stays above it.
void AddMenuItems(Space* space, const std::vector<const char*>& items, float top, float step,
                  float textScale, Vector2D barScale, int z) {
  AddSprite(Place(space, "Highlight", {0.0f, top, 1.0f}, barScale, z), "ui_bar.png");
  TintHighlight(space);
  for (size_t i = 0; i < items.size(); ++i) {
    std::string name = "Item" + std::to_string(i + 1);
    GameObject* item = Place(space, name.c_str(), {0.0f, top - step * static_cast<float>(i), 1.0f},
                             {textScale, textScale, 0.0f}, z + 1);
    AddText(item, items[i]);
  }
}

// ---- The main menu: a title, the highlight bar and one text object per item.
void PlaceMainMenu(Space* space) {
  MakeScreenCamera(space);
  AddBackdrop(space);
  AddText(Place(space, "Title", {0.0f, 3.0f, 1.0f}, {0.6f, 0.6f, 0.0f}, 3), "VANTIX");
  AddMenuItems(space, {"PLAY", "LEVEL SELECT", "OPTIONS", "QUIT"}, 1.0f, 1.1f, 0.35f,
               {0.3f, 0.25f, 0.0f}, 1);
  Place(space, "Menu", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0)->AddLuaComponent("MainMenu");
}

// ---- The pause screen, drawn over the level: a dimmed backdrop, a title and the menu.
void PlacePause(Space* space) {
  MakeScreenCamera(space);
  GameObject* dim = Place(space, "Dim", {0.0f, 0.0f, 1.0f}, {9.0f, 5.1f, 0.0f}, 7);
  AddSprite(dim, "ui_white.png");
  dim->Get<Sprite>("Sprite")->color_ = {0.0f, 0.02f, 0.06f, 0.72f};
  AddText(Place(space, "Title", {0.0f, 2.6f, 1.0f}, {0.5f, 0.5f, 0.0f}, 9), "PAUSED");
  AddMenuItems(space, {"RESUME", "RESTART", "OPTIONS", "MAIN MENU"}, 1.0f, 1.0f, 0.3f,
               {0.25f, 0.22f, 0.0f}, 8);
  Place(space, "PauseMenu", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0)
      ->AddLuaComponent("PauseScreen");
}

// ---- The options screen (from the menu in the Main space, from the pause screen in the Pause
// space, so it is drawn from layer 7 up with a backdrop of its own). The script writes the
// items' texts.
void PlaceOptions(Space* space) {
  MakeScreenCamera(space);
  GameObject* dim = Place(space, "Dim", {0.0f, 0.0f, 1.0f}, {9.0f, 5.1f, 0.0f}, 7);
  AddSprite(dim, "ui_white.png");
  dim->Get<Sprite>("Sprite")->color_ = {0.0f, 0.03f, 0.08f, 0.9f};
  AddText(Place(space, "Title", {0.0f, 3.2f, 1.0f}, {0.5f, 0.5f, 0.0f}, 9), "OPTIONS");
  // The bar is as wide as the widest item the script writes, "FULL SCREEN OFF".
  AddMenuItems(space, {"MUSIC", "EFFECTS", "MUTE", "FULL SCREEN", "BACK"}, 1.6f, 1.0f, 0.28f,
               {0.44f, 0.22f, 0.0f}, 8);
  AddText(Place(space, "Hint", {0.0f, -3.8f, 1.0f}, {0.16f, 0.16f, 0.0f}, 9),
          "LEFT/RIGHT CHANGE   ENTER STEPS   ESCAPE GOES BACK");
  Place(space, "Options", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0)
      ->AddLuaComponent("OptionsScreen");
}

// ---- Level select: sixteen slots in two columns of eight (the script fills in the levels
// reached and hides the rest) and Back under them.
void PlaceLevelSelect(Space* space) {
  MakeScreenCamera(space);
  AddBackdrop(space);
  AddText(Place(space, "Title", {0.0f, 3.9f, 1.0f}, {0.4f, 0.4f, 0.0f}, 3), "LEVEL SELECT");
  AddSprite(Place(space, "Highlight", {-4.0f, 2.8f, 1.0f}, {0.44f, 0.2f, 0.0f}, 1), "ui_bar.png");
  TintHighlight(space);
  for (int i = 0; i < 16; ++i) {
    std::string name = "Item" + std::to_string(i + 1);
    float x = i < 8 ? -4.0f : 4.0f;
    float y = 2.8f - 0.8f * static_cast<float>(i % 8);
    AddText(Place(space, name.c_str(), {x, y, 1.0f}, {0.2f, 0.2f, 0.0f}, 3), "");
  }
  AddText(Place(space, "BackItem", {0.0f, -3.9f, 1.0f}, {0.25f, 0.25f, 0.0f}, 3), "BACK");
  Place(space, "Select", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0)->AddLuaComponent("LevelSelect");
}

// ---- The HUD, in the screens' view (10 units high, 16:9): two rows along the top edge and two
// along the bottom edge, in the bands the level cameras leave free of nodes. The HUD script
// writes every text.
void PlaceHud(Space* space) {
  MakeScreenCamera(space);
  const float left = -8.5f, right = 8.5f, top = 4.6f, second = 4.15f;
  const Vector2D large{0.17f, 0.17f, 0.0f}, small{0.12f, 0.12f, 0.0f};
  AddText(Place(space, "Level", {left, top, 1.0f}, large, 6), "LEVEL", 0);
  AddText(Place(space, "Par", {right, top, 1.0f}, large, 6), "PAR", 2);
  AddText(Place(space, "Credits", {left, second, 1.0f}, large, 6), "CREDITS", 0);
  AddText(Place(space, "Keys", {-2.2f, second, 1.0f}, large, 6), "KEYS", 0);
  for (int i = 0; i < 4; ++i) {
    std::string name = "Key" + std::to_string(i + 1);
    GameObject* key =
        Place(space, name.c_str(), {-0.2f + 0.45f * static_cast<float>(i), second, 1.0f},
              {0.17f, 0.17f, 0.0f}, 6);
    AddSprite(key, "key.png");
    key->Get<Sprite>("Sprite")->visible_ = false;
  }
  AddText(Place(space, "Turn", {right, second, 1.0f}, large, 6), "TURNS", 2);
  Font* refusal = AddText(Place(space, "Refusal", {0.0f, -4.15f, 1.0f}, small, 6), "");
  refusal->color_ = {1.0f, 0.45f, 0.4f, 1.0f};
  Font* help = AddText(Place(space, "Help", {0.0f, -4.6f, 1.0f}, small, 6), "");
  help->color_ = {0.75f, 0.85f, 0.95f, 1.0f};
  Place(space, "Hud", {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, 0)->AddLuaComponent("Hud");
}

// ---- The victory screen: the script fills in the totals.
void PlaceVictory(Space* space) {
  MakeScreenCamera(space);
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
  MakeScreenCamera(space);
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
  MakeScreenCamera(splash);
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
  PlacePause(pause);
  Space* hud = engine.CreateSpace("Hud");
  PlaceHud(hud);
  Space* options = engine.CreateSpace("Options");
  PlaceOptions(options);
  Space* select = engine.CreateSpace("Select");
  PlaceLevelSelect(select);

  Space* demo = engine.CreateSpace("Demo");
  bool ok = SaveParticleArchetypes(demo);
  // The cursor's space is made by a script, which gives it this camera.
  bool saved = SaveArchetype(MakeScreenCamera(demo), "ScreenCamera");
  std::printf("%s Archetypes/ScreenCamera.archetype\n", saved ? "wrote" : "FAILED to write");
  ok = saved && ok;
  demo->Clear();
  PlaceParticleDemo(demo);

  ok = Save(splash, "Node Levels\\splash_KelvoLogo.level") && ok;
  ok = Save(pause, "Node Levels\\Paused.level") && ok;
  ok = Save(menu, "Node Levels\\MainMenu.level") && ok;
  ok = Save(victory, "Node Levels\\Victory.level") && ok;
  ok = Save(hud, "Node Levels\\Hud.level") && ok;
  ok = Save(options, "Node Levels\\Options.level") && ok;
  ok = Save(select, "Node Levels\\LevelSelect.level") && ok;
  ok = Save(demo, "Node Levels\\ParticleDemo.level") && ok;
  return ok ? 0 : 1;
}
