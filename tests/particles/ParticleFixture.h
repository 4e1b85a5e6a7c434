#pragma once
// The engine as the game builds it, minus the window: scripting, particles and physics in the
// game's system order, frames stepped without the frame limiter, in a scratch data folder whose
// archetypes are "Dot" (a Transform and a white Sprite) and whatever a test writes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <lua.hpp>
#include <string>
#include <vector>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"
#include "Physics/RigidBody.h"
#include "Scripting/LuaEngine.h"
#include "support/TestSupport.h"

class ParticleTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.Path() / "Archetypes");
    std::filesystem::create_directories(dir.Path() / "Node Levels");
    lua = new LuaEngine();
    engine = new Engine();
    engine->AddSystems(3, lua, &particles, &physics);
    testing::internal::CaptureStderr(); // no pause level in the scratch folder
    engine->Initialize();
    testing::internal::GetCapturedStderr();
    main = engine->GetSpace("Main");
    SaveArchetypeOf(Thing("Dot"), "Dot");
  }
  void TearDown() override {
    engine->Shutdown();
    delete engine;
    delete lua;
  }

  // A frame of every system for every space, then the end-of-frame pass of each space.
  void Step(float dt, int frames = 1) {
    for (int f = 0; f < frames; ++f) {
      for (System* system : engine->systems)
        for (Space* space : engine->spaces)
          system->Update(dt, space);
      for (Space* space : engine->spaces)
        space->EndFrame();
    }
  }

  // A top-level object of the main space with a Transform at (x, y) and a white Sprite.
  GameObject* Thing(const std::string& name, float x = 0.0f, float y = 0.0f) {
    GameObject* object = main->CreateEmptyObject();
    object->m_Name = name;
    auto* t = static_cast<Transform*>(object->AddComponent("Transform"));
    t->translation_ = Vector2D(x, y, 1.0f);
    object->AddComponent("Sprite");
    return object;
  }
  // Saves the object as an archetype and takes it out of the space.
  void SaveArchetypeOf(GameObject* object, const std::string& name) {
    ASSERT_TRUE(SaveArchetype(object, name));
    object->Destroy();
    main->EndFrame();
  }

  // A component of the object with the values of a new one (the pools hand out used ones).
  template <class T> T* Fresh(GameObject* object, const char* typeName) {
    auto* c = static_cast<T*>(object->AddComponent(typeName));
    int owner = c->ownerId, space = c->spaceIndex;
    *c = T();
    c->ownerId = owner;
    c->spaceIndex = space;
    return c;
  }

  // An emitter of "Dot" at (x, y) that emits from a point (EmitterSize 0) and lives long.
  ParticleEmitter* Emitter(float x = 0.0f, float y = 0.0f, Space* space = nullptr) {
    GameObject* object = (space ? space : main)->CreateEmptyObject();
    object->m_Name = "Emitter";
    static_cast<Transform*>(object->AddComponent("Transform"))->translation_ = Vector2D(x, y, 1);
    auto* e = Fresh<ParticleEmitter>(object, "ParticleEmitter");
    e->Objects = "Dot";
    e->EmitterSize = {0.0f, 0.0f};
    e->Lifetime = 100.0f;
    return e;
  }
  SimpleEmitter* Simple(float x = 0.0f, float y = 0.0f) {
    GameObject* object = main->CreateEmptyObject();
    object->m_Name = "Simple";
    static_cast<Transform*>(object->AddComponent("Transform"))->translation_ = Vector2D(x, y, 1);
    auto* e = Fresh<SimpleEmitter>(object, "SimpleEmitter");
    e->SpriteSource = "spark.png";
    return e;
  }

  // The live particles of a space, in object-list order.
  std::vector<GameObject*> Live(Space* space = nullptr) {
    std::vector<GameObject*> found;
    for (GameObject* o : (space ? space : main)->objects)
      if (o && o->m_Name == "Particle" && !o->IsDead)
        found.push_back(o);
    return found;
  }
  static Transform& Place(GameObject* o) { return *o->Get<Transform>("Transform"); }
  static RigidBody& Body(GameObject* o) { return *o->Get<RigidBody>("RigidBody"); }
  static ParticleTimer* Timer(GameObject* o) { return o->Get<ParticleTimer>("ParticleTimer"); }

  ScratchDir dir;
  ParticleSystem particles;
  PhysicsEngine physics;
  LuaEngine* lua = nullptr;
  Engine* engine = nullptr;
  Space* main = nullptr;
};
