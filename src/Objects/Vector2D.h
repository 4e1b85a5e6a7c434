#pragma once

// Four floats: x, y, the homogeneous w, and a fourth component z kept for scripts.
struct Vector2D {
  float x_ = 0.0f;
  float y_ = 0.0f;
  float w_ = 0.0f;
  float z_ = 0.0f;

  Vector2D() = default;
  Vector2D(float x, float y, float w = 0.0f, float z = 0.0f) : x_(x), y_(y), w_(w), z_(z) {}

  // Scaling changes x and y only.
  Vector2D operator*(float s) const { return {x_ * s, y_ * s, w_, z_}; }
  // Adding adds x, y and w and keeps this vector's fourth component.
  Vector2D operator+(const Vector2D& o) const { return {x_ + o.x_, y_ + o.y_, w_ + o.w_, z_}; }
  Vector2D& operator+=(const Vector2D& o) { return *this = *this + o; }
  bool operator==(const Vector2D& o) const = default;
};

// 4 * atan(1), computed once at start-up.
extern const float PI;
