#version 330
// Sprite and text vertices: position in model units, tint colour, texture coordinate.
// MVP maps model units straight to normalised window coordinates (2D homogeneous, 3x3).
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 texCoord;

uniform mat3 MVP;

out vec4 vColor;
out vec2 vTexCoord;

void main() {
  vec3 p = MVP * vec3(position, 1.0);
  gl_Position = vec4(p.xy, 0.0, 1.0);
  vColor = color;
  vTexCoord = texCoord;
}
