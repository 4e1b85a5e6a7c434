#pragma once
// Easing curves for scripted motion: t elapsed time, b start value, k total change, d duration.
// Single precision, no clamping (t outside 0..d extrapolates).
namespace Easing {
float easeInSin(float t, float b, float k, float d);
float easeOutSin(float t, float b, float k, float d);
float easeInOutSin(float t, float b, float k, float d);
float easeInQuad(float t, float b, float k, float d);
float easeOutQuad(float t, float b, float k, float d);
float easeInOutQuad(float t, float b, float k, float d);
float easeLinear(float t, float b, float k, float d);
} // namespace Easing
