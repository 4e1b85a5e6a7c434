#include "Particles/ParticleSystem.h"

#include "Core/Space.h"

// Emission and particle retirement arrive with the particle work; the system already takes
// its place in the frame.
void ParticleSystem::Update(float, Space*) {}
