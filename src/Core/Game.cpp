// The program's run: the engine and its five systems, the splash level, the frame loop.
#include "Core/Game.h"

#include <cstdlib>
#include <string>

#include "Audio/Sounds.h"
#include "Core/Engine.h"
#include "Core/Space.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"
#include "Scripting/LuaEngine.h"
#include "Systems/GraphicsEngine.h"

int RunGame(const GameHooks& hooks) {
  auto* engine = new Engine();
  auto* physics = new PhysicsEngine();
  auto* particles = new ParticleSystem();
  auto* sounds = new Sounds();
  auto* graphics = new GraphicsEngine("VANTIX");
  auto* lua = new LuaEngine();
  engine->AddSystems(5, lua, graphics, sounds, particles, physics);
  engine->Initialize();
  // For development: VANTIX_START_LEVEL=<file> starts on that level of "Node Levels\"
  // instead of the splash screen.
  const char* start = std::getenv("VANTIX_START_LEVEL");
  if (Space* main = engine->GetSpace("Main"))
    main->LoadLevel(start && *start ? std::string("Node Levels\\") + start : Engine::kSplashLevel);
  if (hooks.started)
    hooks.started(*engine);
  for (long frames = 1; !engine->quit; ++frames) {
    engine->Update();
    if (hooks.frameDone)
      hooks.frameDone(*engine, frames);
  }
  engine->Shutdown();
  // The systems outlive the engine, as their objects may still be referenced at exit.
  delete engine;
  return 0;
}
