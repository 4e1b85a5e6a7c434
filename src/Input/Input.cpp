#include "Input/Input.h"

namespace Input {
void Start() {}
void Pump() {}
void Shutdown() {}
} // namespace Input
