#version 330
// Batched sprites: the texel of the sprite's image (a layer of its page) tinted by its colour.
flat in vec4 vColor;
in vec3 vTexCoord;

uniform sampler2DArray tex;

out vec4 fragColor;

void main() {
  fragColor = texture(tex, vTexCoord) * vColor;
}
