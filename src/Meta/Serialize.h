#pragma once
#include <string>

#include "Meta/TypeInfo.h"

class TextWriter;
class TextReader;

// Sets the text hooks of the scalar types, std::string, GameObject, Space, Sprite, Font,
// LuaComponent and ParticleEmitter.
void InstallTextHooks();
