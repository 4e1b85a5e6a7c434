// The editor's level operations: name checks, links, deletion, copies, file lists and saving.
#include "Editor/EditorActions.h"

#include <filesystem>

#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Meta/File.h"
#include "Meta/TextWriter.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Utilities/FileList.h"
#include "Utilities/Paths.h"

namespace EditorActions {

bool CheckName(const std::string& name, std::string& why) {
  if (name.empty())
    why = "a name cannot be empty";
  else if (name.size() > kMaxName)
    why = "a name is at most " + std::to_string(kMaxName) + " characters";
  else if (name.find_first_of("/\\") != std::string::npos)
    why = "a name cannot contain '/' or '\\'";
  else if (name.find("..") != std::string::npos)
    why = "a name cannot contain \"..\"";
  else {
    for (char c : name)
      if (static_cast<unsigned char>(c) < 32) {
        why = "a name cannot contain control characters";
        return false;
      }
    return true;
  }
  return false;
}

bool CheckObjectName(const std::string& name, std::string& why) {
  if (!CheckName(name, why))
    return false;
  if (name != "Particle")
    return true;
  why = "objects named \"Particle\" are neither listed nor saved";
  return false;
}

std::string LevelFileName(const std::string& typed) {
  const std::string extension = ".level";
  if (typed.size() >= extension.size() &&
      typed.compare(typed.size() - extension.size(), extension.size(), extension) == 0)
    return typed;
  return typed + extension;
}

const char* DirectionName(Direction direction) {
  static const char* const names[] = {"Up", "Down", "Left", "Right"};
  return names[direction];
}

Direction Opposite(Direction direction) {
  switch (direction) {
  case kUp:
    return kDown;
  case kDown:
    return kUp;
  case kLeft:
    return kRight;
  default:
    return kLeft;
  }
}

int& LinkId(GameNode& node, Direction direction) {
  switch (direction) {
  case kUp:
    return node.UpID;
  case kDown:
    return node.DownID;
  case kLeft:
    return node.LeftID;
  default:
    return node.RightID;
  }
}

bool& LinkOpen(GameNode& node, Direction direction) {
  switch (direction) {
  case kUp:
    return node.UpLinked;
  case kDown:
    return node.DownLinked;
  case kLeft:
    return node.LeftLinked;
  default:
    return node.RightLinked;
  }
}

namespace {
GameNode* NodeOf(GameObject* object) {
  return object ? object->Get<GameNode>("GameNode") : nullptr;
}

GameNode* NodeById(const Space& space, int id) {
  return id < 0 ? nullptr : NodeOf(space.GetObjectById(id));
}

// Takes the link at `node` in the direction away, and the way back if the other end had it.
void Unlink(Space& space, GameObject* object, Direction direction) {
  GameNode* node = NodeOf(object);
  if (!node)
    return;
  int& id = LinkId(*node, direction);
  if (GameNode* other = NodeById(space, id)) {
    int& back = LinkId(*other, Opposite(direction));
    if (back == object->m_Self)
      back = -1;
  }
  id = -1;
}
} // namespace

void Link(Space& space, GameObject* from, Direction direction, GameObject* to) {
  GameNode* node = NodeOf(from);
  if (!node)
    return;
  Unlink(space, from, direction);
  GameNode* target = NodeOf(to);
  if (!target || to == from)
    return;
  Unlink(space, to, Opposite(direction));
  LinkId(*node, direction) = to->m_Self;
  LinkId(*target, Opposite(direction)) = from->m_Self;
  LinkOpen(*target, Opposite(direction)) = LinkOpen(*node, direction);
}

void SetLinkOpen(Space& space, GameObject* from, Direction direction, bool open) {
  GameNode* node = NodeOf(from);
  if (!node)
    return;
  LinkOpen(*node, direction) = open;
  if (GameNode* other = NodeById(space, LinkId(*node, direction)))
    if (LinkId(*other, Opposite(direction)) == from->m_Self)
      LinkOpen(*other, Opposite(direction)) = open;
}

int ClearLinksTo(Space& space, int id) {
  int cleared = 0;
  for (GameObject* object : space.objects) {
    if (!object || object->IsDead)
      continue;
    if (GameNode* node = NodeOf(object)) {
      for (Direction direction : kDirections)
        if (LinkId(*node, direction) == id) {
          LinkId(*node, direction) = -1;
          ++cleared;
        }
      // The firewall and the link emitters are ids too: left dangling, they would be saved
      // naming an object the level no longer has.
      for (int* other : {&node->FireWallID, &node->UpLinkParticlesID, &node->DownLinkParticlesID,
                         &node->LeftLinkParticlesID, &node->RightLinkParticlesID})
        if (*other == id) {
          *other = -1;
          ++cleared;
        }
    }
    if (auto* patrol = object->Get<Patrol>("Patrol"))
      if (patrol->StartID == id) {
        patrol->StartID = -1;
        ++cleared;
      }
  }
  return cleared;
}

namespace {
void ClearLinksToTree(Space& space, GameObject* object) {
  ClearLinksTo(space, object->m_Self);
  for (GameObject* child : object->children)
    if (child && child->parent == object)
      ClearLinksToTree(space, child);
}
} // namespace

void DeleteObject(Space& space, GameObject* object) {
  if (!object || object->IsDead)
    return;
  ClearLinksToTree(space, object);
  object->Destroy();
}

GameObject* CopyBeside(Space& space, GameObject* source) {
  if (!source)
    return nullptr;
  std::string text = ArchetypeText(*source);
  if (text.empty())
    return nullptr;
  GameObject* copy = space.CreateEmptyObject();
  ReadArchetypeText(*copy, text, "the copy of '" + source->m_Name + "'");
  if (GameNode* node = NodeOf(copy)) {
    for (Direction direction : kDirections)
      LinkId(*node, direction) = -1;
    node->UpLinkParticlesID = node->DownLinkParticlesID = -1;
    node->LeftLinkParticlesID = node->RightLinkParticlesID = -1;
  }
  auto* transform = copy->Get<Transform>("Transform");
  if (!transform)
    transform = static_cast<Transform*>(copy->AddComponent("Transform"));
  if (auto* from = source->Get<Transform>("Transform"))
    transform->translation_ = from->translation_;
  if (transform)
    transform->translation_.x_ += 1.0f;
  return copy;
}

std::vector<LinkView> NodeLinks(const Space& space) {
  std::vector<LinkView> links;
  for (GameObject* object : space.objects) {
    if (!object || object->IsDead)
      continue;
    GameNode* node = NodeOf(object);
    if (!node)
      continue;
    for (Direction direction : kDirections) {
      int id = LinkId(*node, direction);
      if (id < 0)
        continue;
      LinkView link;
      link.from = object->m_Self;
      link.to = id;
      link.direction = direction;
      link.open = LinkOpen(*node, direction);
      GameObject* target = space.GetObjectById(id);
      link.missing = !target || target->IsDead;
      if (!link.missing) {
        GameNode* other = NodeOf(target);
        link.oneSided = !other || LinkId(*other, Opposite(direction)) != object->m_Self ||
                        LinkOpen(*other, Opposite(direction)) != link.open;
      }
      links.push_back(link);
    }
  }
  return links;
}

namespace {
std::vector<std::string> Stems(const std::string& folder, const std::string& extension) {
  std::vector<std::string> names = ListFiles(folder, extension);
  for (std::string& name : names)
    name.resize(name.size() - extension.size() - 1);
  return names;
}
} // namespace

std::vector<std::string> LevelFiles() {
  return ListFiles(LevelEditor::kLevelFolder, "level");
}

std::vector<std::string> ArchetypeNames() {
  return Stems(LevelEditor::kArchetypeFolder, "archetype");
}

std::vector<std::string> ScriptNames() {
  return Stems(LevelEditor::kScriptFolder, "lua");
}

bool SaveLevelFile(const Space& space, const std::string& fileName, std::string& why) {
  std::string path = std::string(LevelEditor::kLevelFolder) + fileName;
  std::error_code ignored;
  std::filesystem::create_directories(HostPath(LevelEditor::kLevelFolder), ignored);
  return WriteTextFile(HostPath(path), LevelText(space), why);
}

} // namespace EditorActions
