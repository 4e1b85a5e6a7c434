#version 330
// Flat-coloured lines and arrows: position in model units and a colour per vertex.
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 color;

uniform mat3 MVP;

out vec4 vColor;

void main() {
  vec3 p = MVP * vec3(position, 1.0);
  gl_Position = vec4(p.xy, 0.0, 1.0);
  vColor = color;
}
