#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "Meta/TypeInfo.h"

class TextWriter;
class TextReader;
class GameObject;
class Space;

// Sets the text hooks of the scalar types, std::string, GameObject, Space, Sprite, Font,
// LuaComponent and ParticleEmitter.
void InstallTextHooks();

// The nesting depth shared by the readers: the way to find the end of a block. One file is read
// at a time. (Each writer keeps its own depth.)
int& TextDepth();
// Ids given out during a read. A space's counter hands them out in increasing order, so they
// are kept as a plain list, sorted again only if one ever came out of order.
class IssuedIds {
public:
  void Add(int id) {
    if (!ids.empty() && id < ids.back())
      sorted = false;
    ids.push_back(id);
  }
  bool Contains(int id);

private:
  std::vector<int> ids;
  bool sorted = true;
};

// The ids the readers have issued to children since the level read began (ReadLevelText starts
// it empty): a stored id outside it clashes with no child, and needs no search.
IssuedIds& ChildIdsRead();
// Points the object's components and script components back at it (after its id changed).
void Reown(GameObject* object);

// Keeps the nesting depth of an outer read while a whole file is read from depth zero (a script
// may load an archetype while a level is being read).
class DepthScope {
public:
  DepthScope() : saved(TextDepth()) { TextDepth() = 0; }
  ~DepthScope() { TextDepth() = saved; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

private:
  int saved;
};

// "{" on a line of its own, then one level deeper; and back one level, then "}".
void OpenBlock(TextWriter& out);
void CloseBlock(TextWriter& out);

// A value through its type's hook, or member by member.
void WriteValue(TextWriter& out, const void* value, const TypeInfo* info);
void ReadValue(TextReader& in, void* value, const TypeInfo* info);

// Type name, then "{" and the members one level deeper; the closing brace only when `close`
// is set (GameObject and Space write their own fields first and close the block themselves).
void DefaultWrite(TextWriter& out, const void* value, const TypeInfo* info, bool close);
// Reads the members of a block of the expected type. A block of another type (or none) is
// reported and skipped, so nothing is written through a member table of another type.
void DefaultRead(TextReader& in, void* value, const TypeInfo* info);

// Reads tokens, counting braces, up to the first other word: that word's registered type, or
// null (unknown word, end of text, or a "}" that brings the depth down to `stopDepth`). A word
// naming `likely` (the type the caller expects) is matched without a registry lookup.
const TypeInfo* TypeScan(TextReader& in, int stopDepth, const TypeInfo* likely = nullptr);
// As TypeScan, but the word is looked up among `owner`'s member keys, the key at index
// `expected` first (member keys are unique in a table).
const MemberInfo* MemberScan(TextReader& in, const TypeInfo* owner, int stopDepth,
                             size_t expected = 0);

// After a type name was read: skips the value that follows it (a block, or the rest of the
// line for a scalar type).
void SkipValue(TextReader& in, const TypeInfo* found);

// An object with its children and components. Objects named "Particle", dead or inactive
// objects, and (unless `child`) objects that have a parent write nothing.
void WriteGameObject(TextWriter& out, const GameObject* object, bool child);
// Fills `object` from its block. `space`, when given, becomes the object's space; with
// `keepOwnId` the object keeps its id, otherwise it takes the one in the file.
void ReadGameObject(TextReader& in, Space* space, bool keepOwnId, GameObject* object,
                    const TypeInfo* info);

// Deepest nesting of children that is written or read; deeper files are refused.
constexpr int kMaxObjectNesting = 200;
