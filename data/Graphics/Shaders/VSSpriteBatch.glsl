#version 330
// Batched sprites: each vertex carries its sprite's MVP, applied exactly as the single-sprite
// shader applies it, and the sprite's own vertex floats.
layout(location = 0) in vec3 mvp0;
layout(location = 1) in vec3 mvp1;
layout(location = 2) in vec3 mvp2;
layout(location = 3) in vec4 color;
layout(location = 4) in vec2 position;
layout(location = 5) in vec2 texCoord;
layout(location = 6) in float layer;

out vec4 vColor;
out vec2 vTexCoord;
flat out float vLayer;

void main() {
  mat3 MVP = mat3(mvp0, mvp1, mvp2);
  vec3 p = MVP * vec3(position, 1.0);
  gl_Position = vec4(p.xy, 0.0, 1.0);
  vColor = color;
  vTexCoord = texCoord;
  vLayer = layer;
}
