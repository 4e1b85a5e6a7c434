#pragma once
#include <string>

#include "Meta/TypeInfo.h"

class GameObject;
class Space;
class TextReader;
class TextWriter;

// Archetype files: "Archetypes/" + name + ".archetype". Load releases the object first and
// keeps its id; Save records the name in the object. Both report a file that cannot be opened
// (check "fp") and return false then.
bool LoadArchetype(GameObject* object, const std::string& archetypeName);
bool SaveArchetype(GameObject* object, const std::string& archetypeName);

// "Archetypes/" + name + ".archetype", as a data path.
std::string ArchetypePath(const std::string& archetypeName);

// The text of a level or an archetype as it is stored, but with "\n" line ends.
std::string LevelText(const Space& space);
std::string ArchetypeText(const GameObject& object);

// Level files. Read reports a file that cannot be opened (check "fp") and returns false, as it
// does for malformed text; the space is expected to be cleared. Write is atomic: a failed save
// reports and keeps the old file.
bool ReadLevelFile(Space& space, const std::string& path);
bool WriteLevelFile(const Space& space, const std::string& path);
// The level's name as a space keeps it: the path without its "Node Levels\" folder.
std::string LevelFileName(const std::string& path);

// Reads a level's text into a space that the caller has cleared; `fileName` names the source in
// messages. Returns false when the text was malformed (each problem has been reported).
bool ReadLevelText(Space& space, std::string text, const std::string& fileName);
// Reads an archetype's text into a released object, keeping its id.
bool ReadArchetypeText(GameObject& object, std::string text, const std::string& fileName);

// Hooks of the "Space" type: the level layout.
void WriteSpaceHook(TextWriter& out, const void* value, const TypeInfo* info);
void ReadSpaceHook(TextReader& in, void* value, const TypeInfo* info);
