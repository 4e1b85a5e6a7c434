#version 330
// Batched sprites: one instance per sprite, six vertices (the quad's two triangles 0 1 2 and
// 2 3 0). The corners are picked, not computed, from the sprite's own vertex floats, and MVP is
// applied exactly as the single-sprite shader applies it.
layout(location = 0) in vec3 mvp0;
layout(location = 1) in vec3 mvp1;
layout(location = 2) in vec3 mvp2;
layout(location = 3) in vec4 color;
layout(location = 4) in vec4 quad; // left x, right x, left u, right u
layout(location = 5) in float layer;

out vec4 vColor;
out vec2 vTexCoord;
flat out float vLayer;

const int corners[6] = int[6](0, 1, 2, 2, 3, 0);

void main() {
  int corner = corners[gl_VertexID];
  bool right = corner == 1 || corner == 2;
  bool top = corner < 2;
  vec2 position = vec2(right ? quad.y : quad.x, top ? 1.0 : -1.0);
  mat3 MVP = mat3(mvp0, mvp1, mvp2);
  vec3 p = MVP * vec3(position, 1.0);
  gl_Position = vec4(p.xy, 0.0, 1.0);
  vColor = color;
  vTexCoord = vec2(right ? quad.w : quad.z, top ? 0.0 : 1.0);
  vLayer = layer;
}
