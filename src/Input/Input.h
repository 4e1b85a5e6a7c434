#pragma once
#include <cstdint>

// Keyboard, mouse, controller and window events: one table of held codes shared by keys and
// mouse buttons, and a named event for every happening.
namespace Input {
void Start();
void Pump();
void Shutdown();
} // namespace Input
