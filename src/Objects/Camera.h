#pragma once
#include <glm/glm.hpp>

#include "Objects/Component.h"

// Maps the world to the window: centre, axes and visible extent in world units.
class Camera : public Component<Camera> {
public:
  Camera();
  Camera(glm::vec3 center, glm::vec3 up, float width, float height);

  glm::vec3 center_{0.0f, 0.0f, 1.0f};
  glm::vec3 right_{1.0f, 0.0f, 0.0f};
  glm::vec3 up_{0.0f, 1.0f, 0.0f};
  float width_ = 10.0f;
  float height_ = 10.0f;
  float baseWidth = 10.0f;
  float baseHeight = 10.0f;
  // Set once a view that shows nothing has been reported, until the view can show something.
  bool unusableReported = false;

  void Rotate(float angle);
  glm::mat3 GetProjection() const;
  glm::mat3 GetInverseProjection() const;
  glm::mat3 GetCameraMatrix() const;
  // Projection times the inverse camera matrix: world to normalised window coordinates.
  glm::mat3 GetViewProjection() const;

  // Absolute zoom from the base size; factors do not accumulate.
  void Zoom(float factor);
  float GetZoom() const { return width_ / baseWidth; }
};
