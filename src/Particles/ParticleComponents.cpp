#include "Particles/ParticleComponents.h"

#include <cstdlib>
#include <ctime>

namespace {
// Emitters seed the generator from the calendar time when they are made.
void SeedFromClock() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}
} // namespace

ParticleEmitter::ParticleEmitter() {
  SeedFromClock();
}

SimpleEmitter::SimpleEmitter() {
  SeedFromClock();
}
