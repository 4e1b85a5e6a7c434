#version 330
// Batched sprites: each corner arrives already in normalised window coordinates (the CPU applied
// the sprite's MVP), with its texture coordinate and its image's layer, and its tint. The tint
// and the layer are the same at all four corners, so interpolating them gives them back exactly;
// the tint goes flat and the layer rides with the texture coordinate, which keeps the
// rasteriser's per-triangle work down to two inputs.
layout(location = 0) in vec2 position;
layout(location = 1) in vec3 texCoord;
layout(location = 2) in vec4 color;

flat out vec4 vColor;
out vec3 vTexCoord;

void main() {
  gl_Position = vec4(position, 0.0, 1.0);
  vColor = color;
  vTexCoord = texCoord;
}
