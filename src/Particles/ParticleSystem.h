#pragma once
#include <map>
#include <string>
#include <vector>

#include "Core/System.h"
#include "Objects/GameObject.h"
#include "Particles/ArchetypeCache.h"
#include "Utilities/Singleton.h"

class BaseComponent;
class GameObject;
class ParticleTimer;

// Drives the emitters and particle timers of each active space: every frame the space's
// ParticleEmitters emit, then its SimpleEmitters, then every ParticleTimer ages and the
// particles whose time is up are retired (marked dead and inactive; the space removes them at
// the end of the frame). Retired timers are pooled per space and reused for new particles.
class ParticleSystem : public System, public Singleton<ParticleSystem> {
public:
  ParticleSystem();
  ~ParticleSystem() override;

  void Initialize() override;
  void Update(float dt, Space* space) override;
  // Hands the pooled timers back to their spaces, so nothing is held once the spaces go.
  void Shutdown() override;

  // Gives the particle a ParticleTimer with that much life left and that spin (radians per
  // second), from the pool of the particle's space when it has one. An object that already has
  // a timer keeps it, with the new values.
  ParticleTimer* AttachTimer(GameObject& particle, float remaining, float spin = 0.0f);

  // The most particles one space holds: emitters make no more while it has that many (any
  // data, an endless lifetime or an archetype that multiplies itself, stays within it), and
  // make new ones again, without a burst of saved-up ones, once some are gone.
  static constexpr size_t kMaxLiveParticles = 20000;
  // Whether one more particle fits in the space this frame; the first time it is full, says so.
  bool HasRoomForParticle(Space& space);
  // Counts a particle just made in the space.
  void CountParticle(Space& space);
  // A lower limit than kMaxLiveParticles (for tests); 0 restores it.
  void LimitLiveParticles(size_t limit) { liveLimit = limit ? limit : kMaxLiveParticles; }

  ArchetypeCache& Archetypes() { return archetypes; }
  // Retired timers waiting in the pool of the space with that index.
  size_t PooledTimers(int spaceIndex) const;

private:
  // A retired timer with the entry that filed it in its particle's components (kept, so that
  // filing it in the next particle allocates nothing; empty when its particle was gone).
  struct PooledTimer {
    ParticleTimer* timer;
    GameObject::ComponentMap::node_type filing;
  };

  void AgeTimers(float dt, Space& space);
  void Retire(ParticleTimer& timer, Space& space);
  std::vector<PooledTimer>& PoolOf(int spaceIndex);

  // The live particles of a space, counted at its first emission of a frame and followed by
  // CountParticle for the rest of that frame.
  struct ParticleCount {
    bool counted = false;
    bool fullReported = false;
    size_t live = 0;
  };
  ParticleCount& CountOf(Space& space);

  // Per space index: a timer belongs to its space's storage, so it is reused there only.
  std::vector<std::vector<PooledTimer>> timerPools;
  std::vector<ParticleCount> counts;
  size_t liveLimit = kMaxLiveParticles;
  ArchetypeCache archetypes;
};
