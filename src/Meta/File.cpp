// Level and archetype files: the level layout, reading and writing whole files, id fix-ups.
#include "Meta/File.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Core/Space.h"
#include "Meta/Serialize.h"
#include "Meta/TextReader.h"
#include "Meta/TextWriter.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"
#include "Scripting/LuaComponent.h"
#include "Utilities/Check.h"
#include "Utilities/Paths.h"

namespace {
const char* const kModule = "Meta\\File";
constexpr int kOpenLine = 39;
constexpr int kShapeLine = 64;
constexpr int kEmptyArchetypeLine = 171;
// Length of "Node Levels\", which the level name leaves out.
constexpr size_t kLevelFolderLength = 12;

void WriteSpace(TextWriter& out, const Space& space) {
  DefaultWrite(out, &space, TypeOf<Space>(), false);
  out.Indent().Put("Objects\n");
  OpenBlock(out);
  for (const GameObject* object : space.objects) {
    // The indentation comes first, so an object that is not written leaves its blanks.
    out.Indent();
    if (object)
      WriteGameObject(out, object, false);
  }
  CloseBlock(out);
  CloseBlock(out); // the space's own block, opened by DefaultWrite
}

void ReadSpace(TextReader& in, Space& space, std::vector<GameObject*>* topLevel) {
  int& depth = TextDepth();
  const TypeInfo* objectInfo = TypeOf<GameObject>();
  int entry = depth;
  DefaultRead(in, &space, TypeOf<Space>());
  in.MatchLiteral("Objects");
  in.MatchLiteral("{");
  ++depth;
  for (;;) {
    size_t mark = in.Tell();
    const TypeInfo* type = TypeScan(in, depth - 1, TypeOf<GameObject>());
    if (!type) {
      // The first scan ends at the brace that closes the object just read; the second finds
      // the next object or the end of the objects.
      bool closed = in.TokenIs("}");
      mark = in.Tell();
      type = TypeScan(in, depth - 1, TypeOf<GameObject>());
      if (!type) {
        if (!closed && !in.TokenIs("}"))
          in.ReportEnd("false", kModule, kShapeLine, "the closing brace of the objects");
        in.MatchLiteral("}");
        depth = entry;
        return;
      }
    }
    if (type != objectInfo) {
      // Reported as the object reader would report it, but no object is made for it.
      in.Report("(var.GetTypeInfo() == info)", "Meta\\Serialize", 54,
                "expected a GameObject block, found '" + std::string(in.Token()) +
                    "'; the block is skipped");
      SkipValue(in, type);
      continue;
    }
    in.Seek(mark);
    GameObject* object = space.CreateEmptyObject();
    ReadGameObject(in, &space, false, object, objectInfo);
    if (space.idCounter < object->m_Self)
      space.idCounter = object->m_Self;
    object->spaceIndex = space.index;
    Reown(object);
    if (topLevel)
      topLevel->push_back(object);
  }
}

// Children are numbered as they are created, before the ids of the later top-level objects are
// known, so a child can end up with the id that the file gives a later object. Ids must stay
// unique in a space (components find their owner by id), so such a child is renumbered.
void RenumberClashes(Space& space, const std::vector<GameObject*>& topLevel) {
  std::vector<const GameObject*> fromFile(topLevel.begin(), topLevel.end());
  std::sort(fromFile.begin(), fromFile.end());
  std::vector<int> fileIds;
  fileIds.reserve(topLevel.size());
  for (const GameObject* object : topLevel)
    fileIds.push_back(object->m_Self);
  std::sort(fileIds.begin(), fileIds.end());
  for (GameObject* object : space.objects) {
    if (!object || !std::binary_search(fileIds.begin(), fileIds.end(), object->m_Self) ||
        std::binary_search(fromFile.begin(), fromFile.end(), object))
      continue;
    object->m_Self = space.IssueId();
    Reown(object);
  }
}

// Braces of the whole text, leaving out text values (the rest of a line after "std::string").
// Words are split as the reader splits them. This runs over every level once more after it was
// read, so it does not look at every word: it jumps from one character that can matter ('{',
// '}', or the ':' every "std::string" has) to the next, and judges only the word around it.
struct BlankTable {
  bool blank[256] = {};
  constexpr BlankTable() {
    for (int c = 0; c < 256; ++c)
      blank[c] = IsBlank(static_cast<char>(c));
  }
  bool operator()(char c) const { return blank[static_cast<unsigned char>(c)]; }
};
constexpr BlankTable kBlank;

bool IsMark(char c) {
  return c == '{' || c == '}' || c == ':';
}

const char* NextMark(const char* at, const char* end) {
#if defined(__SSE2__)
  const __m128i open = _mm_set1_epi8('{');
  const __m128i close = _mm_set1_epi8('}');
  const __m128i colon = _mm_set1_epi8(':');
  for (; end - at >= 16; at += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, open), _mm_cmpeq_epi8(chunk, close)),
                     _mm_cmpeq_epi8(chunk, colon));
    if (int mask = _mm_movemask_epi8(hits))
      return at + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  while (at < end && !IsMark(*at))
    ++at;
  return at;
}

long BraceBalance(const std::string& text) {
  static constexpr char kText[] = "std::string";
  constexpr size_t kTextLength = sizeof(kText) - 1;
  const char* at = text.data(); // the start, a blank, or just past a line feed: no word spans it
  const char* end = at + text.size();
  long balance = 0;
  for (;;) {
    const char* mark = NextMark(at, end);
    if (mark == end)
      return balance;
    const char* word = mark;
    while (word > at && !kBlank(word[-1]))
      --word;
    const char* wordEnd = mark + 1;
    while (wordEnd < end && !kBlank(*wordEnd))
      ++wordEnd;
    size_t length = static_cast<size_t>(wordEnd - word);
    if (length == 1 && *word == '{') {
      ++balance;
    } else if (length == 1 && *word == '}') {
      --balance;
    } else if (length == kTextLength && std::memcmp(word, kText, kTextLength) == 0) {
      const void* lineEnd = std::memchr(wordEnd, '\n', static_cast<size_t>(end - wordEnd));
      wordEnd = lineEnd ? static_cast<const char*>(lineEnd) + 1 : end;
    }
    at = wordEnd;
  }
}

// What may follow a complete level or archetype: closing braces only.
bool CheckEnding(TextReader& in, const char* what) {
  if (in.Abandoned())
    return false;
  bool ok = in.Reports() == 0;
  while (in.ReadToken()) {
    if (!in.TokenIs("}")) {
      in.Report("false", kModule, kShapeLine,
                std::string("unexpected '") + in.Token() + "' after the end of the " + what);
      return false;
    }
  }
  long balance = BraceBalance(in.Text());
  if (balance != 0 && ok) {
    in.Report("false", kModule, kShapeLine,
              "the braces do not balance (" + std::to_string(balance > 0 ? balance : -balance) +
                  (balance > 0 ? " more '{' than '}'" : " more '}' than '{'") +
                  "): the file is truncated or damaged");
    return false;
  }
  return ok;
}

// Messages name a file as it is opened (HostPath): a data path may hold both separators
// ("Node Levels\" + a name with "/" in it), and a message should show one.
bool OpenForReading(const std::string& dataPath, std::string& text, const char* what) {
  if (ReadTextFile(HostPath(dataPath), text))
    return true;
  ReportCheck("fp", kModule, kOpenLine,
              std::string("cannot open the ") + what + " '" + HostPath(dataPath) + "' for reading");
  return false;
}

bool Store(const std::string& dataPath, const std::string& text) {
  std::string why;
  if (WriteTextFile(HostPath(dataPath), text, why))
    return true;
  ReportCheck("fp", kModule, kOpenLine, why);
  return false;
}
} // namespace

void WriteSpaceHook(TextWriter& out, const void* value, const TypeInfo*) {
  WriteSpace(out, *static_cast<const Space*>(value));
}

void ReadSpaceHook(TextReader& in, void* value, const TypeInfo*) {
  ReadSpace(in, *static_cast<Space*>(value), nullptr);
}

std::string LevelText(const Space& space) {
  TextWriter out;
  out.Reserve(1024 + space.objects.size() * 1024);
  WriteSpace(out, space);
  return out.Take();
}

std::string ArchetypeText(const GameObject& object) {
  TextWriter out;
  WriteGameObject(out, &object, false);
  return out.Take();
}

bool ReadLevelText(Space& space, std::string text, const std::string& fileName) {
  DepthScope depth;
  IssuedIds outerChildIds = std::exchange(ChildIdsRead(), {});
  TextReader in(std::move(text), fileName);
  std::vector<GameObject*> topLevel;
  ReadSpace(in, space, &topLevel);
  RenumberClashes(space, topLevel);
  ChildIdsRead() = std::move(outerChildIds);
  return CheckEnding(in, "level");
}

bool ReadArchetypeText(GameObject& object, std::string text, const std::string& fileName) {
  DepthScope depth;
  TextReader in(std::move(text), fileName);
  ReadGameObject(in, nullptr, true, &object, TypeOf<GameObject>());
  // The object reader stops at the brace that closes the components.
  if (!in.TokenIs("}"))
    in.ReportEnd("false", kModule, kShapeLine, "the closing brace of the components");
  return CheckEnding(in, "archetype");
}

std::string ArchetypePath(const std::string& archetypeName) {
  return "Archetypes/" + archetypeName + ".archetype";
}

bool ReadLevelFile(Space& space, const std::string& path) {
  std::string text;
  if (!OpenForReading(path, text, "level"))
    return false;
  return ReadLevelText(space, std::move(text), HostPath(path));
}

bool WriteLevelFile(const Space& space, const std::string& path) {
  return Store(path, LevelText(space));
}

std::string LevelFileName(const std::string& path) {
  return path.size() > kLevelFolderLength ? path.substr(kLevelFolderLength) : std::string();
}

bool LoadArchetype(GameObject* object, const std::string& archetypeName) {
  if (!object)
    return false;
  object->Release();
  std::string path = ArchetypePath(archetypeName);
  std::string text;
  if (!OpenForReading(path, text, "archetype"))
    return false;
  return ReadArchetypeText(*object, std::move(text), HostPath(path));
}

bool SaveArchetype(GameObject* object, const std::string& archetypeName) {
  if (!object)
    return false;
  object->m_ArchetypeName = archetypeName;
  std::string path = ArchetypePath(archetypeName);
  std::string text = ArchetypeText(*object);
  if (text.empty()) {
    // An inactive, dead or child object writes nothing. An archetype saved earlier under this
    // name is kept rather than replaced by an empty file.
    std::string existing;
    if (ReadTextFile(HostPath(path), existing) && !existing.empty()) {
      ReportCheck("false", kModule, kEmptyArchetypeLine,
                  "object '" + object->m_Name + "' is not saved (inactive, dead or a child); '" +
                      HostPath(path) + "' is kept as it was");
      return false;
    }
  }
  return Store(path, text);
}
