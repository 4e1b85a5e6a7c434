// The particle system under load, headless: the frame cost with 10,000 live particles from both
// emitter kinds, emission throughput from an archetype against reading its file for every
// particle, and memory once 100,000 particles have come and gone against after the first 10,000.
//
//   bench_particles            (runs in a scratch folder under the system's temporary folder)
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/File.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Particles/ParticleSystem.h"
#include "Physics/PhysicsEngine.h"

// Every allocation of the program is counted, to see what steady emission costs.
#include "../tests/support/CountingNew.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr float kFrame = 1.0f / 60.0f;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long HeapInUseKiB() {
  return static_cast<long>(mallinfo2().uordblks / 1024);
}

// An engine with one active space, the particle and physics systems, and the archetype "Spark"
// (a Transform and a Sprite) in the scratch folder.
struct Scene {
  Scene() {
    RegisterAllTypes();
    engine = new Engine();
    space = engine->CreateSpace("Main");
    space->nextActive = true;
    GameObject* spark = space->CreateEmptyObject();
    spark->m_Name = "Spark";
    spark->AddComponent("Transform");
    spark->AddComponent("Sprite");
    SaveArchetype(spark, "Spark");
    space->Clear();
  }
  ~Scene() {
    particles.Shutdown();
    delete engine;
  }
  void Frame(float dt) {
    particles.Update(dt, space);
    physics.Update(dt, space);
    space->EndFrame();
  }
  ParticleEmitter* Emitter(float rate, float lifetime) {
    GameObject* object = space->CreateEmptyObject();
    object->AddComponent("Transform");
    auto* e = static_cast<ParticleEmitter*>(object->AddComponent("ParticleEmitter"));
    e->Objects = "Spark";
    e->EmissionRate = rate;
    e->Lifetime = lifetime;
    e->EmitterSize = {4.0f, 4.0f};
    e->VelocityVariance = {1.0f, 1.0f};
    return e;
  }
  SimpleEmitter* Simple(float rate, float lifetime) {
    GameObject* object = space->CreateEmptyObject();
    object->AddComponent("Transform");
    auto* e = static_cast<SimpleEmitter*>(object->AddComponent("SimpleEmitter"));
    e->SpriteSource = "spark.png";
    e->EmissionRate = rate;
    e->Lifetime = lifetime;
    return e;
  }
  size_t Live() const {
    size_t n = 0;
    for (const GameObject* o : space->objects)
      n += o && o->m_Name == "Particle" && !o->IsDead;
    return n;
  }

  ParticleSystem particles;
  PhysicsEngine physics;
  Engine* engine = nullptr;
  Space* space = nullptr;
};

void FrameCost() {
  Scene scene;
  // An emitter makes at most 1000 a second: it keeps 5000 alive with a 5 s lifetime.
  scene.Emitter(1000.0f, 5.0f);
  scene.Simple(2500.0f, 2.0f);
  for (int i = 0; i < 330; ++i)
    scene.Frame(kFrame);
  const int frames = 300;
  double particleTime = 0.0, physicsTime = 0.0, endTime = 0.0;
  size_t live = 0;
  long before = AllocationsSoFar();
  for (int i = 0; i < frames; ++i) {
    auto t0 = Clock::now();
    scene.particles.Update(kFrame, scene.space);
    particleTime += Seconds(t0);
    auto t1 = Clock::now();
    scene.physics.Update(kFrame, scene.space);
    physicsTime += Seconds(t1);
    auto t2 = Clock::now();
    scene.space->EndFrame();
    endTime += Seconds(t2);
    live += scene.Live();
  }
  double emitted = 3500.0 * frames * kFrame;
  std::printf("Frame with %zu live particles (a ParticleEmitter keeping 5000, a SimpleEmitter "
              "5000), per frame:\n",
              live / frames);
  std::printf("  particle system %.3f ms, physics %.3f ms, end-of-frame removal %.3f ms\n",
              1e3 * particleTime / frames, 1e3 * physicsTime / frames, 1e3 * endTime / frames);
  std::printf("  allocations per particle emitted and retired: %.2f\n",
              static_cast<double>(AllocationsSoFar() - before) / emitted);
}

void Throughput() {
  Scene scene;
  ParticleEmitter* e = scene.Emitter(1000.0f, 0.5f);
  const int frames = 200;
  // dt 1: a thousand particles an update, each retired by the same update's timers.
  scene.Frame(1.0f);
  auto t0 = Clock::now();
  for (int i = 0; i < frames; ++i)
    scene.Frame(1.0f);
  double stamped = e->emitted / Seconds(t0) * frames / (frames + 1.0);
  int reads = scene.particles.Archetypes().FileReads();

  scene.space->Clear();
  const int perFrame = 1000, readFrames = 20;
  auto t1 = Clock::now();
  for (int f = 0; f < readFrames; ++f) {
    for (int i = 0; i < perFrame; ++i)
      scene.space->CreateAtPosition("Spark", Vector2D(0.0f, 0.0f, 1.0f))->Destroy();
    scene.space->EndFrame();
  }
  double read = perFrame * readFrames / Seconds(t1);
  std::printf("Emission from an archetype: %.0f particles/s stamped from its parsed form (%d file "
              "read%s), %.0f particles/s reading the file for each (%.1fx)\n",
              stamped, reads, reads == 1 ? "" : "s", read, stamped / read);
}

void Memory() {
  Scene scene;
  ParticleEmitter* e = scene.Emitter(500.0f, 0.5f);
  scene.Simple(500.0f, 0.5f);
  auto emittedSoFar = [&] { return static_cast<long>(e->emitted) * 2; };
  while (emittedSoFar() < 10000)
    scene.Frame(kFrame);
  long rss10 = ResidentKiB(), heap10 = HeapInUseKiB();
  size_t objects10 = scene.space->AllocatedObjects();
  long allocations = AllocationsSoFar();
  long emitted10 = emittedSoFar();
  while (emittedSoFar() < 100000)
    scene.Frame(kFrame);
  long rss100 = ResidentKiB(), heap100 = HeapInUseKiB();
  std::printf("Memory after %ld particles emitted and retired: resident %ld KiB, heap in use %ld "
              "KiB, %zu pooled objects\n",
              emitted10, rss10, heap10, objects10);
  std::printf("Memory after %ld: resident %ld KiB, heap in use %ld KiB, %zu pooled objects "
              "(%.2f allocations a particle in between)\n",
              emittedSoFar(), rss100, heap100, scene.space->AllocatedObjects(),
              static_cast<double>(AllocationsSoFar() - allocations) /
                  static_cast<double>(emittedSoFar() - emitted10));
}
} // namespace

int main() {
  std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("bench_particles_" + std::to_string(getpid()));
  std::filesystem::create_directories(scratch / "Archetypes");
  std::filesystem::current_path(scratch);
  FrameCost();
  Throughput();
  Memory();
  std::filesystem::current_path(scratch.parent_path());
  std::filesystem::remove_all(scratch);
  return 0;
}
