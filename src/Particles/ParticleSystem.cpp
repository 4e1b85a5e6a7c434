// The particle system's frame: emitters, simple emitters, then the timers; timer retirement and
// the pool of retired timers.
#include "Particles/ParticleSystem.h"

#include <string>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Particles/ParticleObjects.h"
#include "Utilities/Check.h"

namespace {
const std::string kTimer = "ParticleTimer";

// Runs `update` on each component of the type that is live in the space when the pass starts.
// Emission can add components of the same type (nested emitters, which start next frame) and
// scripts of new particles can remove some, so the list is looked at afresh for every entry.
template <class T, class F> void ForEachLive(Space& space, const char* typeName, F update) {
  auto found = space.liveComponents.find(typeName);
  if (found == space.liveComponents.end())
    return;
  std::vector<BaseComponent*>& list = found->second;
  size_t count = list.size();
  for (size_t i = 0; i < count && i < list.size(); ++i)
    update(*static_cast<T*>(list[i]));
}
} // namespace

ParticleSystem::ParticleSystem() = default;
ParticleSystem::~ParticleSystem() = default;

void ParticleSystem::Initialize() {
  name = "ParticleSystem";
  timerPools.clear();
  counts.clear();
  archetypes.Clear();
}

void ParticleSystem::Shutdown() {
  Engine* engine = Engine::ms_Singleton;
  for (size_t i = 0; i < timerPools.size(); ++i) {
    Space* space = engine ? engine->SpaceAt(static_cast<int>(i)) : nullptr;
    if (space)
      for (PooledTimer& pooled : timerPools[i])
        space->ReturnComponent(kTimer, pooled.timer);
  }
  timerPools.clear();
}

void ParticleSystem::Update(float dt, Space* space) {
  if (!space || !space->m_Active)
    return;
  CountOf(*space).counted = false;
  ForEachLive<ParticleEmitter>(*space, "ParticleEmitter",
                               [&](ParticleEmitter& e) { e.Update(dt, *space, *this); });
  ForEachLive<SimpleEmitter>(*space, "SimpleEmitter",
                             [&](SimpleEmitter& e) { e.Update(dt, *space, *this); });
  AgeTimers(dt, *space);
}

ParticleSystem::ParticleCount& ParticleSystem::CountOf(Space& space) {
  size_t at = space.index < 0 ? 0 : static_cast<size_t>(space.index);
  if (at >= counts.size())
    counts.resize(at + 1);
  return counts[at];
}

bool ParticleSystem::HasRoomForParticle(Space& space) {
  ParticleCount& count = CountOf(space);
  if (!count.counted) {
    // Only frames that emit pay for the count, once.
    count.counted = true;
    count.live = 0;
    for (const GameObject* object : space.objects)
      count.live += object && !object->IsDead && object->m_Name == "Particle";
  }
  if (count.live < liveLimit)
    return true;
  if (!count.fullReported)
    ReportCheck("false", "Particles\\ParticleSystem", __LINE__,
                "the space '" + space.name + "' holds " + std::to_string(count.live) +
                    " particles, as many as one space may; its emitters make no more until "
                    "some are gone");
  count.fullReported = true;
  return false;
}

void ParticleSystem::CountParticle(Space& space) {
  ++CountOf(space).live;
}

std::vector<ParticleSystem::PooledTimer>& ParticleSystem::PoolOf(int spaceIndex) {
  size_t at = spaceIndex < 0 ? 0 : static_cast<size_t>(spaceIndex);
  if (at >= timerPools.size())
    timerPools.resize(at + 1);
  return timerPools[at];
}

size_t ParticleSystem::PooledTimers(int spaceIndex) const {
  size_t at = static_cast<size_t>(spaceIndex);
  return spaceIndex >= 0 && at < timerPools.size() ? timerPools[at].size() : 0;
}

ParticleTimer* ParticleSystem::AttachTimer(GameObject& particle, float remaining, float spin) {
  auto* timer = particle.Get<ParticleTimer>(kTimer);
  Space* space = particle.GetSpace();
  if (!timer && space) {
    std::vector<PooledTimer>& pool = PoolOf(space->index);
    if (!pool.empty()) {
      PooledTimer pooled = std::move(pool.back());
      pool.pop_back();
      timer = pooled.timer;
      timer->ownerId = particle.m_Self;
      timer->spaceIndex = particle.spaceIndex;
      if (pooled.filing)
        particle.components.insert(std::move(pooled.filing));
      else
        particle.components.emplace(kTimer, timer);
      space->liveComponents[kTimer].push_back(timer);
    }
  }
  if (!timer)
    timer = static_cast<ParticleTimer*>(particle.AddComponent(kTimer));
  if (!timer)
    return nullptr;
  timer->remaining = remaining;
  timer->spin = spin;
  timer->ownerHint = &particle;
  return timer;
}

void ParticleSystem::AgeTimers(float dt, Space& space) {
  auto found = space.liveComponents.find(kTimer);
  if (found == space.liveComponents.end())
    return;
  // Retiring runs no scripts, so the list changes only by the removals made here.
  std::vector<BaseComponent*>& list = found->second;
  for (size_t i = 0; i < list.size();) {
    auto* timer = static_cast<ParticleTimer*>(list[i]);
    timer->remaining -= dt;
    // A NaN life is treated as spent, not as endless.
    if (timer->remaining > 0.0f) {
      if (timer->spin != 0.0f)
        if (GameObject* owner = FindOwnerWithHint(*timer, "ParticleTimer", timer->ownerHint))
          if (auto* placed = owner->Get<Transform>("Transform"))
            placed->rotation_ += timer->spin * dt;
      ++i;
      continue;
    }
    // The last entry takes the freed slot and is examined next.
    list[i] = list.back();
    list.pop_back();
    Retire(*timer, space);
  }
}

void ParticleSystem::Retire(ParticleTimer& timer, Space& space) {
  GameObject* owner = FindOwnerWithHint(timer, "ParticleTimer", timer.ownerHint);
  timer.ownerHint = nullptr;
  timer.ownerId = -1;
  std::vector<PooledTimer>& pool = PoolOf(space.index);
  // A timer whose particle is gone has nothing more to retire.
  if (!owner) {
    pool.push_back({&timer, {}});
    return;
  }
  // The owner files this timer (that is how it was found).
  pool.push_back({&timer, owner->components.extract(kTimer)});
  owner->RemoveComponent("RigidBody");
  owner->Destroy();
  owner->m_Active = false;
}
