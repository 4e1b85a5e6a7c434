#version 330
// Batched sprites: the texel of the sprite's image (a layer of its page) tinted by its colour.
in vec4 vColor;
in vec2 vTexCoord;
flat in float vLayer;

uniform sampler2DArray tex;

out vec4 fragColor;

void main() {
  fragColor = texture(tex, vec3(vTexCoord, vLayer)) * vColor;
}
