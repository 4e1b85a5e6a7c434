// The four-float vector of the object model.
#include "Objects/Vector2D.h"

#include <cmath>

const float PI = 4.0f * std::atan(1.0f);
