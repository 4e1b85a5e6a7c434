// Reading a level file into the game's model (through the engine's reader) and checking it
// against the data conventions of the game's levels.
#include "game/LevelModel.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Gameplay/GameplayComponents.h"
#include "Meta/TypeRegistry.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Utilities/Check.h"

namespace levels {

const char* DirName(int dir) {
  static const char* const kNames[kDirs] = {"up", "down", "left", "right"};
  return dir >= 0 && dir < kDirs ? kNames[dir] : "none";
}

int Opposite(int dir) {
  static const int kOpposite[kDirs] = {kDown, kUp, kRight, kLeft};
  return kOpposite[dir];
}

std::array<int, 4> PatrolOrder(int dir) {
  switch (dir) {
  case kUp:
    return {kUp, kRight, kLeft, kDown};
  case kRight:
    return {kRight, kDown, kUp, kLeft};
  case kDown:
    return {kDown, kLeft, kRight, kUp};
  default:
    return {kLeft, kUp, kDown, kRight};
  }
}

int LevelModel::NodeOfId(int id) const {
  if (id < 0)
    return -1;
  for (size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].id == id)
      return static_cast<int>(i);
  return -1;
}

const ObjectInfo* LevelModel::ObjectOfId(int id) const {
  if (id < 0)
    return nullptr;
  for (const ObjectInfo& object : objects)
    if (object.id == id)
      return &object;
  return nullptr;
}

namespace {

// The engine the tools read levels with; made once, without any system, so no script runs.
Engine& ToolEngine() {
  static Engine* engine = [] {
    RegisterAllTypes();
    auto* made = new Engine();
    made->CreateSpace("Main");
    return made;
  }();
  return *engine;
}

} // namespace

Space& ToolSpace() {
  return *ToolEngine().GetSpace("Main");
}

Space& NewToolSpace() {
  return *ToolEngine().CreateSpace("Build");
}

namespace {
// The engine's default view when a level has no Camera: 10 units high, at 16:9.
constexpr float kDefaultViewHeight = 10.0f;
// The share of the view's width and height the network may take, as the generator frames it.
constexpr float kFreeShare = 0.7f;
constexpr float kSlack = 1e-3f;

std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

NodeInfo NodeOf(const GameNode& node) {
  NodeInfo info;
  info.end = node.EndNode;
  info.credits = node.Credits;
  info.layers = node.EncryptionLayers;
  info.keyType = node.KeyType;
  info.firewall = node.FireWallProtected;
  info.firewallId = node.FireWallID;
  info.linkId = {node.UpID, node.DownID, node.LeftID, node.RightID};
  info.linked = {node.UpLinked, node.DownLinked, node.LeftLinked, node.RightLinked};
  info.particlesId = {node.UpLinkParticlesID, node.DownLinkParticlesID, node.LeftLinkParticlesID,
                      node.RightLinkParticlesID};
  return info;
}

void Resolve(LevelModel& model) {
  for (NodeInfo& node : model.nodes)
    for (int d = 0; d < kDirs; ++d)
      node.next[d] = model.NodeOfId(node.linkId[d]);
  for (PatrolInfo& patrol : model.patrols)
    patrol.startNode = model.NodeOfId(patrol.startId);
  if (model.playerObject >= 0) {
    const ObjectInfo& player = model.objects[model.playerObject];
    for (size_t i = 0; i < model.nodes.size(); ++i)
      if (std::fabs(model.nodes[i].x - player.x) <= 0.01f &&
          std::fabs(model.nodes[i].y - player.y) <= 0.01f) {
        model.startNode = static_cast<int>(i);
        break;
      }
  }
}
} // namespace

void ModelFromSpace(const Space& space, const std::string& file, LevelModel& model) {
  model = LevelModel{};
  model.file = file;
  model.view = {0.0f, 0.0f, kDefaultViewHeight * 16.0f / 9.0f, kDefaultViewHeight};
  for (const GameObject* object : space.objects) {
    if (!object || object->parent)
      continue;
    ObjectInfo info;
    info.id = object->m_Self;
    info.name = object->m_Name;
    if (auto* transform = object->Get<Transform>("Transform")) {
      info.hasTransform = true;
      info.x = transform->translation_.x_;
      info.y = transform->translation_.y_;
      info.halfWidth = std::fabs(transform->scale_.x_);
      info.halfHeight = std::fabs(transform->scale_.y_);
    }
    if (auto* camera = object->Get<Camera>("Camera"); camera && object->m_Active) {
      model.hasCamera = true;
      model.view = {camera->center_.x, camera->center_.y, camera->width_, camera->height_};
    }
    for (const auto& [name, script] : object->luaComponents)
      if (script)
        info.scripts.push_back(name);
    int index = static_cast<int>(model.objects.size());
    if (auto* node = object->Get<GameNode>("GameNode")) {
      info.isNode = true;
      NodeInfo n = NodeOf(*node);
      n.object = index;
      n.id = info.id;
      n.x = info.x;
      n.y = info.y;
      model.nodes.push_back(n);
    }
    if (auto* player = object->Get<Player>("Player")) {
      if (model.players++ == 0) {
        model.playerObject = index;
        model.levelNum = player->LevelNum;
        model.startCredits = player->Credits;
      }
    }
    if (auto* patrol = object->Get<Patrol>("Patrol"))
      model.patrols.push_back({index, patrol->StartID, patrol->MoveDir, -1});
    model.objects.push_back(std::move(info));
  }
  Resolve(model);
}

bool ReadLevel(const std::string& dataDir, const std::string& file, LevelModel& model,
               std::string& error) {
  std::error_code ec;
  std::filesystem::path previous = std::filesystem::current_path(ec);
  std::filesystem::current_path(dataDir, ec);
  if (ec) {
    error = "cannot enter the data folder " + dataDir + ": " + ec.message();
    return false;
  }
  Space* space = &ToolSpace();
  ResetCheckFailureCount();
  bool exists = std::filesystem::exists(std::filesystem::path("Node Levels") / file);
  if (exists)
    space->LoadLevel("Node Levels\\" + file);
  int failures = CheckFailureCount();
  ModelFromSpace(*space, file, model);
  model.readerFailures = failures;
  space->Clear();
  std::filesystem::current_path(previous, ec);
  if (!exists) {
    error = "the file does not exist";
    return false;
  }
  return true;
}

std::string ReaderProblem(const LevelModel& model) {
  if (model.readerFailures == 0)
    return "";
  return "the level reader reported " + std::to_string(model.readerFailures) +
         " problem(s) in the file's text";
}

std::vector<std::string> Validate(const LevelModel& model) {
  std::vector<std::string> problems;
  auto say = [&problems](std::string text) { problems.push_back(std::move(text)); };
  if (std::string text = ReaderProblem(model); !text.empty())
    say(text);

  std::set<int> ids;
  for (const ObjectInfo& object : model.objects)
    if (!ids.insert(object.id).second)
      say("two top-level objects share the id " + std::to_string(object.id));

  if (model.players == 0)
    say("no object has a Player component");
  if (model.players > 1)
    say(std::to_string(model.players) + " objects have a Player component; a level has one");
  if (model.nodes.empty())
    say("the level has no node");

  bool anyEnd = false;
  std::map<int, int> firewallOwner; // a firewall object's id -> the node it is drawn over
  for (const NodeInfo& node : model.nodes) {
    const ObjectInfo& object = model.objects[node.object];
    std::string who = "node " + std::to_string(node.id);
    anyEnd = anyEnd || node.end;
    if (!object.hasTransform)
      say(who + " has no Transform");
    if (!object.HasScript("NodeScript"))
      say(who + " has no NodeScript");
    for (int d = 0; d < kDirs; ++d) {
      std::string field = std::string(DirName(d));
      field[0] = static_cast<char>(field[0] - 'a' + 'A');
      int id = node.linkId[d];
      if (id >= 0) {
        if (!model.ObjectOfId(id)) {
          say(who + " links " + DirName(d) + " to id " + std::to_string(id) +
              ", which no object has");
        } else if (node.next[d] < 0) {
          say(who + " links " + DirName(d) + " to object " + std::to_string(id) +
              ", which is not a node");
        } else {
          const NodeInfo& other = model.nodes[node.next[d]];
          int back = Opposite(d);
          if (other.linkId[back] != node.id)
            say(who + " links " + DirName(d) + " to node " + std::to_string(id) +
                ", but that node's " + DirName(back) + " link is " +
                std::to_string(other.linkId[back]) + " (links are symmetric)");
          else if (other.linked[back] != node.linked[d])
            say("the link between node " + std::to_string(node.id) + " and node " +
                std::to_string(id) + " is open at one end and closed at the other");
          else if (other.particlesId[back] != node.particlesId[d])
            say("the two ends of the link between node " + std::to_string(node.id) + " and node " +
                std::to_string(id) + " name different link particles");
        }
      }
      int particles = node.particlesId[d];
      if (particles >= 0 && !model.ObjectOfId(particles))
        say(who + "'s " + field + "LinkParticlesID " + std::to_string(particles) +
            " names no object");
      if (particles >= 0 && id < 0)
        say(who + " has " + field + "LinkParticlesID " + std::to_string(particles) + " but no " +
            DirName(d) + " link");
    }
    if (node.credits < 0 || node.layers < 0)
      say(who + " has negative credits or encryption layers");
    if (node.firewall) {
      if (node.keyType == 0)
        say(who + " is firewalled but its KeyType is 0");
      if (!model.ObjectOfId(node.firewallId))
        say(who + " is firewalled but its FireWallID " + std::to_string(node.firewallId) +
            " names no object");
      // Opening one node removes its firewall object; a second node sharing it would stay
      // locked with no firewall drawn over it.
      auto [owner, first] = firewallOwner.emplace(node.firewallId, node.id);
      if (!first)
        say(who + " and node " + std::to_string(owner->second) + " share the firewall " +
            std::to_string(node.firewallId) + "; each firewalled node has its own");
    }
  }
  if (!model.nodes.empty() && !anyEnd)
    say("no node is an end node");

  // The generator keeps every network inside the middle of the view, where neither the HUD's
  // lines nor the screen's edge reach; a level built by hand must do the same.
  const ViewInfo& view = model.view;
  if (!(std::isfinite(view.width) && std::isfinite(view.height) && view.width > 0.0f &&
        view.height > 0.0f)) {
    say("the camera's view of " + Number(view.width) + " x " + Number(view.height) +
        " world units shows nothing");
  } else if (model.Playable()) {
    float left = view.x - view.width * kFreeShare / 2, right = view.x + view.width * kFreeShare / 2;
    float bottom = view.y - view.height * kFreeShare / 2,
          top = view.y + view.height * kFreeShare / 2;
    for (const NodeInfo& node : model.nodes) {
      const ObjectInfo& object = model.objects[node.object];
      if (!object.hasTransform)
        continue;
      if (node.x - object.halfWidth < left - kSlack || node.x + object.halfWidth > right + kSlack ||
          node.y - object.halfHeight < bottom - kSlack || node.y + object.halfHeight > top + kSlack)
        say("node " + std::to_string(node.id) + " at (" + Number(node.x) + ", " + Number(node.y) +
            ") is not inside the middle of the " + (model.hasCamera ? "Camera's" : "default") +
            " view (x " + Number(left) + " to " + Number(right) + ", y " + Number(bottom) + " to " +
            Number(top) +
            "), where the HUD or the screen's edge may hide it; widen the "
            "Camera or move the node");
    }
  }

  if (model.playerObject >= 0) {
    const ObjectInfo& player = model.objects[model.playerObject];
    if (!player.hasTransform)
      say("the player has no Transform");
    if (!player.HasScript("PlayerScript"))
      say("the player has no PlayerScript");
    if (model.startNode < 0) {
      say("the player does not stand on a node");
    } else {
      const NodeInfo& start = model.nodes[model.startNode];
      if (start.end || start.layers != 0 || start.keyType != 0 || start.firewall)
        say("the player's start node " + std::to_string(start.id) +
            " is not a plain node (end, encrypted, key or firewall)");
    }
    if (model.levelNum <= 0)
      say("Player.LevelNum is " + std::to_string(model.levelNum) + "; levels count from 1");
    if (model.startCredits < 0)
      say("the player starts with negative credits");
  }

  for (const PatrolInfo& patrol : model.patrols) {
    const ObjectInfo& object = model.objects[patrol.object];
    std::string who = "patrol " + std::to_string(object.id);
    if (patrol.startNode < 0)
      say(who + " starts on id " + std::to_string(patrol.startId) + ", which is not a node");
    if (!object.hasTransform)
      say(who + " has no Transform");
    if (!object.HasScript("PatrolScript"))
      say(who + " has no PatrolScript");
    if (patrol.moveDir < 0 || patrol.moveDir > 4)
      say(who + " has MoveDir " + std::to_string(patrol.moveDir) + " (0 to 4)");
  }

  int controllers = 0;
  for (const ObjectInfo& object : model.objects)
    controllers += object.HasScript("TurnController");
  if (model.Playable() && controllers != 1)
    say("a playable level has exactly one TurnController script; this one has " +
        std::to_string(controllers));
  return problems;
}

} // namespace levels
