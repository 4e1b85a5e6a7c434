#pragma once
// The random draws of the emitters. They use the standard library's process-wide generator,
// scaled as if rand() yielded 0..32767 on every platform, so a seed gives the same particles
// wherever the game runs.
#include <cmath>
#include <cstdlib>

namespace particle_random {

constexpr float kRandMax = 32767.0f;

// A whole number 0..32767.
inline int Next() {
  return std::rand() & 0x7FFF;
}

// Uniform on [-|v|, |v|]; a half-range of 0 yields 0.
inline float Symmetric(float v) {
  float half = std::fabs(v);
  return static_cast<float>(Next()) * (2.0f * half) / kRandMax - half;
}

// Uniform between a and b, in either order.
inline float Between(float a, float b) {
  float lo = a < b ? a : b, hi = a < b ? b : a;
  return static_cast<float>(Next()) * (hi - lo) / kRandMax + lo;
}

// An angle from 0 to 2 pi.
inline float Angle() {
  return static_cast<float>(static_cast<double>(Next()) / 5215.03);
}

// True on an odd draw: the side of a band a box-spawned particle lands on.
inline bool Odd() {
  return (Next() & 1) != 0;
}

} // namespace particle_random
