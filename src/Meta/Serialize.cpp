// The registry-driven text writer and reader for any value, game object and component.
#include "Meta/Serialize.h"

#include <algorithm>
#include <cstring>

#include "Core/Space.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Meta/SerializeTemplates.h"
#include "Meta/TextReader.h"
#include "Meta/TextWriter.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Component.h"
#include "Objects/GameObject.h"
#include "Particles/ParticleComponents.h"
#include "Scripting/LuaComponent.h"
#include "Utilities/Check.h"

namespace {
const char* const kModule = "Meta\\Serialize";

char* At(void* base, uint32_t offset) {
  return static_cast<char*>(base) + offset;
}
const char* At(const void* base, uint32_t offset) {
  return static_cast<const char*>(base) + offset;
}

std::string Quote(const char* word) {
  return std::string("'") + word + "'";
}

// The brace handling shared by TypeScan and MemberScan: reads tokens, counting braces, up to
// the first other word (left in Token()). False at the end of the text or at a "}" that brings
// the depth down to `stopDepth`.
bool ScanToWord(TextReader& in, int stopDepth) {
  int& depth = TextDepth();
  for (;;) {
    if (!in.ReadToken())
      return false;
    if (in.TokenIs("{")) {
      ++depth;
      continue;
    }
    if (in.TokenIs("}")) {
      if (--depth == stopDepth)
        return false;
      continue;
    }
    return true;
  }
}

// ---- Hooks that read the members and then bring the component's derived state up to date.

void ReadSprite(TextReader& in, void* value, const TypeInfo* info) {
  DefaultRead(in, value, info);
  static_cast<Sprite*>(value)->ReapplyAfterLoad();
}

// A text draws at most this many glyphs from a file. A longer Length_ than its text repeats the
// text, which a file may mean; one past any text's worth would have the layout run (and
// allocate) for minutes.
constexpr unsigned kMaxStoredGlyphs = 65536;

void ReadFont(TextReader& in, void* value, const TypeInfo* info) {
  DefaultRead(in, value, info);
  auto* font = static_cast<Font*>(value);
  if (font->Length_ > kMaxStoredGlyphs) {
    in.Report("Length_ <= 65536", kModule, __LINE__,
              "the text \"" + font->text_ + "\" has a Length_ of " + std::to_string(font->Length_) +
                  "; it draws 65536 glyphs");
    font->Length_ = kMaxStoredGlyphs;
  }
  font->ReapplyAfterLoad();
}

void ReadMembersOnly(TextReader& in, void* value, const TypeInfo* info) {
  DefaultRead(in, value, info);
}

void WriteGameObjectHook(TextWriter& out, const void* value, const TypeInfo*) {
  WriteGameObject(out, static_cast<const GameObject*>(value), false);
}

void ReadGameObjectHook(TextReader& in, void* value, const TypeInfo* info) {
  ReadGameObject(in, nullptr, true, static_cast<GameObject*>(value), info);
}

// ---- The object writer.

void WriteObject(TextWriter& out, const GameObject* object, bool child, int nesting) {
  if (object->m_Name == "Particle" || object->IsDead || !object->m_Active ||
      (!child && object->parent))
    return;
  if (nesting > kMaxObjectNesting) {
    ReportCheck("false", kModule, 160,
                "children of '" + object->m_Name + "' nest deeper than " +
                    std::to_string(kMaxObjectNesting) + " levels; the rest is not written");
    return;
  }
  DefaultWrite(out, object, TypeOf<GameObject>(), false);

  out.Indent().Put("Children\n");
  OpenBlock(out);
  for (const GameObject* c : object->children) {
    if (!c)
      continue;
    out.Indent();
    WriteObject(out, c, true, nesting + 1);
  }
  CloseBlock(out);

  out.Indent().Put("Components\n");
  OpenBlock(out);
  const TypeRegistry& registry = TypeRegistry::Get();
  for (const auto& [typeName, component] : object->components) {
    const TypeInfo* info = registry.Lookup(typeName);
    if (!component || !info || !info->isComponent)
      continue;
    out.Indent().Put("Component ");
    WriteValue(out, component, info);
  }
  const TypeInfo* script = TypeOf<LuaComponent>();
  for (const auto& [scriptName, component] : object->luaComponents) {
    if (!component)
      continue;
    out.Indent().Put("Component ");
    WriteValue(out, component, script);
  }
  CloseBlock(out);
  CloseBlock(out); // the object's own block, opened by DefaultWrite
}

// ---- The object reader.

// Does `object` still sit in `space`'s object list? A script started during the read may have
// cleared the space (or loaded another level into it).
bool StillInSpace(const GameObject* object, const Space* space) {
  if (!space)
    return true;
  size_t at = static_cast<size_t>(object->index);
  return object->index >= 0 && at < space->objects.size() && space->objects[at] == object;
}

// Reads a value of type `info` into a temporary, to get past it without keeping it.
void ReadAndDrop(TextReader& in, const TypeInfo* info) {
  void* dropped = info->New();
  ReadValue(in, dropped, info);
  info->Delete(dropped);
}

// Native component `info` read into a pooled component of `home`, or (with no space to keep it)
// into a temporary that is dropped.
void ReadNativeComponent(TextReader& in, GameObject* object, Space* home, const TypeInfo* info,
                         bool scratch) {
  if (!home || scratch) {
    if (!scratch)
      in.Report("false", kModule, 190,
                "object '" + object->m_Name + "' has no space; its " + info->name +
                    " component is read but not kept");
    ReadAndDrop(in, info);
    return;
  }
  // Members missing in the file keep the defaults of a new component.
  BaseComponent* component = home->NewComponent(info->name, info);
  if (!component) {
    // Not poolable: read past it without keeping it.
    ReadAndDrop(in, info);
    return;
  }
  ReadValue(in, component, info);
  component->ownerId = object->m_Self;
  component->spaceIndex = object->spaceIndex;
  // In an entry the space kept from the last level's components, so that loading level after
  // level does not pile up the entries (the clear keeps every one).
  if (!home->File(object->components, info->name, component)) {
    in.Report("false", kModule, 205,
              "object '" + object->m_Name + "' has a second " + info->name +
                  " component; the second one is ignored");
    home->ReturnComponent(info->name, component);
    return;
  }
  home->liveComponents[info->name].push_back(component);
}

void ReadScriptComponent(TextReader& in, GameObject* object, Space* home, const TypeInfo* info,
                         bool scratch) {
  auto* component = static_cast<LuaComponent*>(info->New());
  ReadValue(in, component, info);
  component->ownerId = object->m_Self;
  component->spaceIndex = object->spaceIndex;
  if (scratch) {
    // A piece of an object that is read only to get past it: its script never runs.
    LuaComponent::Release(component);
    return;
  }
  if (!object->luaComponents.emplace(component->m_Name, component).second) {
    in.Report("false", kModule, 218,
              "object '" + object->m_Name + "' names the script '" + component->m_Name +
                  "' twice; the second one is ignored");
    LuaComponent::Release(component);
    return;
  }
  // The script may clear the space, and the component with it: its name is kept apart.
  std::string name = component->m_Name;
  component->LoadByName(name);
  if (!StillInSpace(object, home)) {
    in.Report("false", kModule, 226,
              "the space was cleared by the script '" + name +
                  "' while it was being read; the rest of the file is not read");
    in.Abandon();
  }
}

void ReadObject(TextReader& in, Space* spaceRef, bool keepOwnId, GameObject* object,
                const TypeInfo* info, Space* home, bool scratch, int nesting);

// After a failed scan: skips the value that follows the word the scan stopped at, unless the
// scan stopped at a closing brace (then there is nothing to skip).
void SkipAfterScan(TextReader& in, const TypeInfo* found) {
  if (!in.TokenIs("}"))
    SkipValue(in, found);
}

void ReadChildren(TextReader& in, GameObject* object, const TypeInfo* info, Space* home,
                  bool scratch, int nesting) {
  for (;;) {
    size_t mark = in.Tell();
    const TypeInfo* type = TypeScan(in, 0, info);
    if (!type)
      return;
    in.Seek(mark);
    if (type != info)
      return;
    if (nesting >= kMaxObjectNesting) {
      in.Report("false", kModule, 245,
                "children nest deeper than " + std::to_string(kMaxObjectNesting) +
                    " levels; the rest of the file is not read");
      in.Abandon();
      return;
    }
    if (home && !scratch) {
      GameObject* child = home->CreateEmptyObject();
      ChildIdsRead().Add(child->m_Self);
      ReadObject(in, nullptr, true, child, info, home, false, nesting + 1);
      child->SetParent(object);
    } else {
      // No space to take the child from: it is read to get past it, then dropped.
      GameObject dropped;
      dropped.spaceIndex = -1;
      ReadObject(in, nullptr, true, &dropped, info, nullptr, true, nesting + 1);
      dropped.Release();
    }
    // The closing braces of the child (and of the children block after the last child).
    for (;;) {
      size_t before = in.Tell();
      if (!in.ReadToken() || !in.TokenIs("}")) {
        in.Seek(before);
        break;
      }
    }
  }
}

void ReadComponents(TextReader& in, GameObject* object, Space* home, bool scratch) {
  const TypeInfo* script = TypeOf<LuaComponent>();
  for (;;) {
    if (!in.ReadToken())
      return;
    if (in.TokenIs("{") || in.TokenIs("Components"))
      continue;
    if (!in.TokenIs("Component"))
      return;
    size_t mark = in.Tell();
    const TypeInfo* type = TypeScan(in, TextDepth());
    if (!type) {
      if (in.Tell() >= in.Size()) {
        in.ReportEnd("false", kModule, 275, "a component type name");
        return;
      }
      in.Report("false", kModule, 278,
                "unknown component type " + Quote(in.Token()) + "; its block is skipped");
      SkipAfterScan(in, nullptr);
      continue;
    }
    if (type != script && !type->isComponent) {
      in.Report("false", kModule, 285,
                Quote(in.Token()) + " is not a component type; its block is skipped");
      SkipValue(in, nullptr);
      continue;
    }
    in.Seek(mark);
    if (type == script)
      ReadScriptComponent(in, object, home, type, scratch);
    else
      ReadNativeComponent(in, object, home, type, scratch);
  }
}

// A top-level object takes the id its file stores, and a child read earlier may hold it
// already (children are numbered as they are made). The child gives way now, before this
// object's scripts start and look their owner up by id. Two stored objects that share an id
// keep it: the file says so.
void GiveWayToStoredId(Space& space, const GameObject* object) {
  IssuedIds& childIds = ChildIdsRead();
  if (!childIds.Contains(object->m_Self))
    return; // no child was issued this id: the usual case, and no scan
  for (GameObject* other : space.objects) {
    if (!other || other == object || !other->parent || other->m_Self != object->m_Self)
      continue;
    other->m_Self = space.IssueId();
    childIds.Add(other->m_Self);
    Reown(other);
  }
}

void ReadObject(TextReader& in, Space* spaceRef, bool keepOwnId, GameObject* object,
                const TypeInfo* info, Space* home, bool scratch, int nesting) {
  int ownId = object->m_Self;
  DefaultRead(in, object, info);
  if (keepOwnId)
    object->m_Self = ownId;
  if (spaceRef) {
    object->spaceIndex = spaceRef->index;
    if (!keepOwnId)
      GiveWayToStoredId(*spaceRef, object);
  }
  ReadChildren(in, object, info, home, scratch, nesting);
  in.MatchLiteral("Components");
  ReadComponents(in, object, home, scratch);
}
} // namespace

void Reown(GameObject* object) {
  auto reown = [object](auto& byName) {
    for (auto& [name, component] : byName) {
      if (!component)
        continue;
      component->spaceIndex = object->spaceIndex;
      component->ownerId = object->m_Self;
    }
  };
  reown(object->components);
  reown(object->luaComponents);
}

int& TextDepth() {
  static int depth = 0;
  return depth;
}

bool IssuedIds::Contains(int id) {
  if (!sorted) {
    std::sort(ids.begin(), ids.end());
    sorted = true;
  }
  return std::binary_search(ids.begin(), ids.end(), id);
}

IssuedIds& ChildIdsRead() {
  static IssuedIds ids;
  return ids;
}

void InstallTextHooks() {
  InstallScalarHooks();
  TypeRegistry::SetHooks(TypeOf<GameObject>(), &WriteGameObjectHook, &ReadGameObjectHook);
  TypeRegistry::SetHooks(TypeOf<Space>(), &WriteSpaceHook, &ReadSpaceHook);
  TypeRegistry::SetHooks(TypeOf<Sprite>(), nullptr, &ReadSprite);
  TypeRegistry::SetHooks(TypeOf<Font>(), nullptr, &ReadFont);
  TypeRegistry::SetHooks(TypeOf<LuaComponent>(), nullptr, &ReadMembersOnly);
  TypeRegistry::SetHooks(TypeOf<ParticleEmitter>(), nullptr, &ReadMembersOnly);
}

void WriteValue(TextWriter& out, const void* value, const TypeInfo* info) {
  if (info->serialize)
    info->serialize(out, value, info);
  else
    DefaultWrite(out, value, info, true);
}

void ReadValue(TextReader& in, void* value, const TypeInfo* info) {
  if (info->deserialize)
    info->deserialize(in, value, info);
  else
    DefaultRead(in, value, info);
}

void OpenBlock(TextWriter& out) {
  out.Indent().Put("{\n");
  ++out.depth;
}

void CloseBlock(TextWriter& out) {
  --out.depth;
  out.Indent().Put("}\n");
}

void DefaultWrite(TextWriter& out, const void* value, const TypeInfo* info, bool close) {
  out.Put(info->name).Put('\n');
  OpenBlock(out);
  for (const MemberInfo& member : info->members) {
    out.Indent().Put(member.name).Put(' ');
    WriteValue(out, At(value, member.offset), member.type);
  }
  if (close)
    CloseBlock(out);
}

const TypeInfo* TypeScan(TextReader& in, int stopDepth, const TypeInfo* likely) {
  // A word that runs into the end of the text cannot be followed by its value.
  if (!ScanToWord(in, stopDepth) || in.AtEnd())
    return nullptr;
  if (likely && likely->foundByName && in.TokenIs(likely->name.c_str()))
    return likely;
  return TypeRegistry::Get().Lookup(in.Token());
}

const MemberInfo* MemberScan(TextReader& in, const TypeInfo* owner, int stopDepth,
                             size_t expected) {
  if (!ScanToWord(in, stopDepth))
    return nullptr;
  const std::vector<MemberInfo>& members = owner->members;
  if (expected < members.size() && in.TokenIs(members[expected].name))
    return &members[expected];
  for (const MemberInfo& member : members)
    if (in.TokenIs(member.name))
      return &member;
  return nullptr;
}

void SkipValue(TextReader& in, const TypeInfo* found) {
  if (found && found->primitive) {
    in.SkipLine();
    return;
  }
  if (!in.SkipBlock())
    in.SkipLine();
}

void DefaultRead(TextReader& in, void* value, const TypeInfo* info) {
  int& depth = TextDepth();
  const TypeInfo* found = TypeScan(in, 0, info);
  if (!found) {
    if (in.Tell() >= in.Size()) {
      in.ReportEnd("false", kModule, 49, "a " + info->name + " block");
      return;
    }
    in.Report("false", kModule, 49,
              "expected a " + info->name + " block, found " + Quote(in.Token()) +
                  "; the value is skipped");
    SkipAfterScan(in, nullptr);
    return;
  }
  if (found != info) {
    in.Report("(var.GetTypeInfo() == info)", kModule, 54,
              "expected a " + info->name + " block, found " + Quote(in.Token()) +
                  "; the value is skipped");
    SkipValue(in, found);
    return;
  }
  int start = depth;
  size_t next = 0; // files list the members in table order
  do {
    const MemberInfo* member = MemberScan(in, info, start, next);
    if (!member) {
      depth = start;
      return;
    }
    next = static_cast<size_t>(member - info->members.data()) + 1;
    ReadValue(in, At(value, member->offset), member->type);
  } while (depth > start);
}

void WriteGameObject(TextWriter& out, const GameObject* object, bool child) {
  WriteObject(out, object, child, 0);
}

void ReadGameObject(TextReader& in, Space* space, bool keepOwnId, GameObject* object,
                    const TypeInfo* info) {
  Space* home = space ? space : object->GetSpace();
  ReadObject(in, space, keepOwnId, object, info, home, false, 0);
}
