#version 330
// The texel tinted by the vertex colour. "textured" is 0 when the sprite has no texture
// (texture name 0): the quad then shows the plain vertex colour. A program that never sets it
// reads 0, so drawing code that wants texels must set it to 1.
in vec4 vColor;
in vec2 vTexCoord;

uniform sampler2D tex;
uniform int textured;

out vec4 fragColor;

void main() {
  vec4 texel = textured != 0 ? texture(tex, vTexCoord) : vec4(1.0);
  fragColor = texel * vColor;
}
