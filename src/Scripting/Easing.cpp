// The easing curves scripts use for animation.
#include "Scripting/Easing.h"

#include <cmath>

#include "Objects/Vector2D.h"

namespace Easing {
namespace {
float Pi() {
  return PI;
}
float QuarterTurn() {
  return PI / 2.0f;
}
} // namespace

float easeInSin(float t, float b, float k, float d) {
  return k - k * std::cos(t / d * QuarterTurn()) + b;
}
float easeOutSin(float t, float b, float k, float d) {
  return k * std::sin(t / d * QuarterTurn()) + b;
}
float easeInOutSin(float t, float b, float k, float d) {
  return b - (k / 2.0f) * (std::cos(Pi() * t / d) - 1.0f);
}
float easeInQuad(float t, float b, float k, float d) {
  float u = t / d;
  return k * u * u + b;
}
float easeOutQuad(float t, float b, float k, float d) {
  float u = t / d;
  return -k * u * (u - 2.0f) + b;
}
float easeInOutQuad(float t, float b, float k, float d) {
  float u = t / (d / 2.0f);
  if (u < 1.0f)
    return (k / 2.0f) * u * u + b;
  return b - (k / 2.0f) * ((u - 1.0f) * (u - 3.0f) - 1.0f);
}
float easeLinear(float t, float b, float k, float d) {
  return k * t / d + b;
}
} // namespace Easing
