#pragma once
// Particle archetypes kept in parsed form. An emitter makes many instances of one archetype, so
// its file is read once (and again only when it changes on disk, as when the editor saves it);
// every further instance is stamped from what that read produced.
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>

#include "Objects/Vector2D.h"

class GameObject;
class Space;
// One archetype of the cache: its file, the state of the file last seen, and the parsed form.
struct ArchetypeEntry;

class ArchetypeCache {
public:
  using Entry = ArchetypeEntry;
  struct ObjectForm;

  ArchetypeCache();
  ~ArchetypeCache();
  ArchetypeCache(const ArchetypeCache&) = delete;
  ArchetypeCache& operator=(const ArchetypeCache&) = delete;

  // The archetype of that name, to be re-read if its file has changed since the last look. Null
  // when the file is missing or gave nothing to make objects of; that is reported once for each
  // state of the file, not each time it is asked for.
  Entry* Find(const std::string& archetypeName);
  // A new object of `space` as the archetype describes it, its Transform (added when the
  // archetype has none) placed at x, y and w of `position`. Null when the archetype read turned
  // out empty, or a script of the new object emptied the space.
  GameObject* Instantiate(Space& space, Entry& entry, const Vector2D& position);
  // Forgets every archetype read so far.
  void Clear();

  // Whether particles of the archetype lead back to it: an emitter in it makes particles of
  // itself, directly or through other archetypes' emitters. Known once every archetype of the
  // loop has made an object (that is when each is read); reported once, naming the files.
  static bool EmitsItself(const Entry& entry);

  // Number of archetype files read since start (tests and benchmarks).
  int FileReads() const { return fileReads; }

private:
  // Looks for a way from a newly read archetype back to itself through the archetypes read so
  // far; marks and reports the loop it finds.
  void FindLoopThrough(Entry& entry);

  std::unordered_map<std::string, std::unique_ptr<ArchetypeEntry>> entries;
  int fileReads = 0;
};
