#pragma once
#include <string>

class GameObject;
class Space;

// Archetype files: "Archetypes/" + name + ".archetype".
bool LoadArchetype(GameObject* object, const std::string& archetypeName);
bool SaveArchetype(GameObject* object, const std::string& archetypeName);
