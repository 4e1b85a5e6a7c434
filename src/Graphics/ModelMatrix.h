#pragma once
#include <glm/glm.hpp>

// Model = T(position) x R(rotation) x S(scale) x F(flips). R maps (1, 0) to (cos, -sin), so a
// positive rotation turns clockwise in the y-up world.
inline glm::mat3 BuildModelMatrix(float x, float y, float sx, float sy, float rotation, bool flipx,
                                  bool flipy) {
  float c = glm::cos(rotation), s = glm::sin(rotation);
  glm::mat3 translate(1, 0, 0, 0, 1, 0, x, y, 1);
  glm::mat3 rotate(c, -s, 0, s, c, 0, 0, 0, 1);
  glm::mat3 scale(sx, 0, 0, 0, sy, 0, 0, 0, 1);
  glm::mat3 flip(flipx ? -1.0f : 1.0f, 0, 0, 0, flipy ? -1.0f : 1.0f, 0, 0, 0, 1);
  return translate * rotate * scale * flip;
}
