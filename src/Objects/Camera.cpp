// Cameras: the projection and camera matrices a space is drawn through.
#include "Objects/Camera.h"

#include <cmath>

#include "Objects/Vector2D.h"

Camera::Camera() : Camera(glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 1.0f, 0.0f), 10.0f, 10.0f) {}

Camera::Camera(glm::vec3 center, glm::vec3 up, float width, float height)
    : center_(center), up_(up), width_(width), height_(height), baseWidth(width),
      baseHeight(height) {
  // Computed here rather than from PI: cameras may be built during static initialisation.
  const float a = -2.0f * std::atan(1.0f);
  right_ = glm::vec3(std::cos(a) * up_.x - std::sin(a) * up_.y,
                     std::sin(a) * up_.x + std::cos(a) * up_.y, 0.0f);
}

void Camera::Rotate(float angle) {
  float cr = std::cos(angle), sr = std::sin(angle);
  auto turn = [&](glm::vec3& v) { v = glm::vec3(cr * v.x - sr * v.y, sr * v.x + cr * v.y, v.z); };
  turn(up_);
  turn(right_);
}

glm::mat3 Camera::GetProjection() const {
  return glm::mat3(2.0f / width_, 0, 0, 0, 2.0f / height_, 0, 0, 0, 1);
}

glm::mat3 Camera::GetInverseProjection() const {
  return glm::mat3(width_ / 2.0f, 0, 0, 0, height_ / 2.0f, 0, 0, 0, 1);
}

glm::mat3 Camera::GetCameraMatrix() const {
  return glm::mat3(right_, up_, center_);
}

glm::mat3 Camera::GetViewProjection() const {
  return GetProjection() * glm::inverse(GetCameraMatrix());
}

void Camera::Zoom(float factor) {
  width_ = baseWidth * factor;
  height_ = baseHeight * factor;
}
