// The level source format of the game's levels and the objects a level is built from.
#include "game/LevelSource.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "Core/Space.h"
#include "Gameplay/GameplayComponents.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "game/LevelModel.h"

namespace levels {

namespace {
constexpr float kSpacing = 2.0f; // world units between neighbouring grid nodes
constexpr float kFraming = 0.7f; // share of the view the network may take
constexpr float kAspect = 16.0f / 9.0f;
constexpr float kPi = 3.14159265f;

// Ids by kind, so a level file reads easily and ids never collide.
constexpr int kControllerId = 1, kCameraId = 2, kPlayerId = 3, kFirstNodeId = 10,
              kFirstFireWallId = 100, kFirstLinkId = 200, kFirstPatrolId = 300;

// Z orders: links under nodes under firewalls under the player under patrols.
constexpr int kLinkZ = 1, kNodeZ = 2, kFireWallZ = 3, kPlayerZ = 4, kPatrolZ = 5;

bool IsNodeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

char At(const std::vector<std::string>& grid, int x, int y) {
  if (y < 0 || y >= static_cast<int>(grid.size()) || x < 0 ||
      x >= static_cast<int>(grid[static_cast<size_t>(y)].size()))
    return ' ';
  return grid[static_cast<size_t>(y)][static_cast<size_t>(x)];
}

// Follows link characters from a node; returns the grid position of the node reached (or -1)
// and whether any character of the run marks the link closed.
int FollowLink(const std::vector<std::string>& grid, int x, int y, int dx, int dy, char open,
               char closed, bool& isOpen, int& ex, int& ey) {
  isOpen = true;
  int steps = 0;
  for (x += dx, y += dy;; x += dx, y += dy, ++steps) {
    char c = At(grid, x, y);
    if (c == open)
      continue;
    if (c == closed) {
      isOpen = false;
      continue;
    }
    if (IsNodeChar(c) && steps > 0) {
      ex = x;
      ey = y;
      return 1;
    }
    return -1;
  }
}

bool ParseGrid(const std::vector<std::string>& grid, SourceLevel& level, std::string& error) {
  for (int y = 0; y < static_cast<int>(grid.size()); ++y)
    for (int x = 0; x < static_cast<int>(grid[static_cast<size_t>(y)].size()); ++x) {
      char c = At(grid, x, y);
      if (!IsNodeChar(c))
        continue;
      if (x % 2 || y % 2) {
        error = std::string("grid: node '") + c + "' is not on an even column and row";
        return false;
      }
      for (const SourceNode& other : level.nodes)
        if (other.label == c) {
          error = std::string("grid: the node label '") + c + "' is used twice";
          return false;
        }
      SourceNode node;
      node.label = c;
      node.col = x / 2;
      node.row = y / 2;
      level.nodes.push_back(node);
    }
  auto indexAt = [&level](int x, int y) {
    for (size_t i = 0; i < level.nodes.size(); ++i)
      if (level.nodes[i].col * 2 == x && level.nodes[i].row * 2 == y)
        return static_cast<int>(i);
    return -1;
  };
  for (size_t i = 0; i < level.nodes.size(); ++i) {
    SourceNode& node = level.nodes[i];
    int x = node.col * 2, y = node.row * 2, ex = 0, ey = 0;
    bool isOpen = true;
    if (FollowLink(grid, x, y, 1, 0, '-', '=', isOpen, ex, ey) > 0) {
      int j = indexAt(ex, ey);
      node.links[kRight] = j;
      node.open[kRight] = isOpen;
      level.nodes[static_cast<size_t>(j)].links[kLeft] = static_cast<int>(i);
      level.nodes[static_cast<size_t>(j)].open[kLeft] = isOpen;
    }
    if (FollowLink(grid, x, y, 0, 1, '|', '!', isOpen, ex, ey) > 0) {
      int j = indexAt(ex, ey);
      node.links[kDown] = j;
      node.open[kDown] = isOpen;
      level.nodes[static_cast<size_t>(j)].links[kUp] = static_cast<int>(i);
      level.nodes[static_cast<size_t>(j)].open[kUp] = isOpen;
    }
  }
  return true;
}

int NodeByLabel(const SourceLevel& level, const std::string& label) {
  if (label.size() != 1)
    return -1;
  for (size_t i = 0; i < level.nodes.size(); ++i)
    if (level.nodes[i].label == label[0])
      return static_cast<int>(i);
  return -1;
}

bool ParseNodeLine(std::istringstream& words, SourceLevel& level, std::string& error) {
  std::string label, word;
  words >> label;
  int index = NodeByLabel(level, label);
  if (index < 0) {
    error = "no node '" + label + "' in the grid";
    return false;
  }
  SourceNode& node = level.nodes[static_cast<size_t>(index)];
  while (words >> word) {
    size_t eq = word.find('=');
    std::string name = word.substr(0, eq);
    int value = eq == std::string::npos ? 0 : std::atoi(word.c_str() + eq + 1);
    if (name == "start")
      node.start = true;
    else if (name == "end")
      node.end = true;
    else if (name == "credits")
      node.credits = value;
    else if (name == "layers")
      node.layers = value;
    else if ((name == "key" || name == "firewall") && value < 1) {
      error = "'" + word + "': a key type is a number from 1";
      return false;
    } else if (name == "key")
      node.key = value;
    else if (name == "firewall")
      node.firewall = value;
    else {
      error = "unknown node property '" + word + "'";
      return false;
    }
  }
  return true;
}

bool ParsePatrolLine(std::istringstream& words, SourceLevel& level, std::string& error) {
  std::string label, dir;
  words >> label >> dir;
  SourcePatrol patrol;
  patrol.node = NodeByLabel(level, label);
  if (patrol.node < 0) {
    error = "no node '" + label + "' in the grid";
    return false;
  }
  static const char* const kDirWords[] = {"none", "up", "down", "left", "right"};
  patrol.moveDir = -1;
  for (int d = 0; d < 5; ++d)
    if (dir == kDirWords[d])
      patrol.moveDir = d;
  if (patrol.moveDir < 0) {
    error = "patrol direction '" + dir + "' is not one of none, up, down, left, right";
    return false;
  }
  level.patrols.push_back(patrol);
  return true;
}
} // namespace

std::string SourceLevel::FileName() const {
  char name[32];
  std::snprintf(name, sizeof name, "Level%02d.level", number);
  return name;
}

bool ParseLevelSource(const std::string& path, SourceLevel& level, std::string& error) {
  level = SourceLevel{};
  level.path = path;
  std::ifstream in(path);
  if (!in) {
    error = path + ": cannot open the file";
    return false;
  }
  std::vector<std::string> grid;
  std::string line;
  int lineNumber = 0;
  bool inGrid = false, hadGrid = false;
  auto fail = [&](const std::string& why) {
    error = path + ":" + std::to_string(lineNumber) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (inGrid) {
      if (line == "end") {
        inGrid = false;
        if (!ParseGrid(grid, level, error))
          return fail(error);
      } else {
        grid.push_back(line);
      }
      continue;
    }
    std::istringstream words(line);
    std::string key;
    if (!(words >> key) || key[0] == '#')
      continue;
    if (key == "level") {
      words >> level.number;
    } else if (key == "title") {
      std::getline(words >> std::ws, level.title);
    } else if (key == "credits") {
      words >> level.credits;
    } else if (key == "grid") {
      inGrid = hadGrid = true;
    } else if (key == "node") {
      if (!ParseNodeLine(words, level, error))
        return fail(error);
    } else if (key == "patrol") {
      if (!ParsePatrolLine(words, level, error))
        return fail(error);
    } else {
      return fail("unknown line '" + key + "'");
    }
  }
  if (inGrid || !hadGrid)
    return fail(hadGrid ? "the grid has no closing 'end' line" : "no grid");
  if (level.number <= 0)
    return fail("no 'level <number>' line");
  int starts = static_cast<int>(std::count_if(level.nodes.begin(), level.nodes.end(),
                                              [](const SourceNode& n) { return n.start; }));
  if (starts != 1)
    return fail("the grid needs exactly one start node, it has " + std::to_string(starts));
  return true;
}

namespace {

GameObject* Place(Space& space, int id, const char* name, float x, float y, float sx, float sy,
                  int z) {
  GameObject* object = space.CreateEmptyObject();
  object->m_Self = id;
  object->m_Name = name;
  auto* transform = static_cast<Transform*>(object->AddComponent("Transform"));
  transform->translation_ = {x, y, 1.0f};
  transform->scale_ = {sx, sy, 0.0f};
  transform->z_order = z;
  return object;
}

Sprite* AddSprite(GameObject* object, const char* art) {
  auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
  sprite->source_.filename_ = std::string("Graphics\\Art\\") + art;
  return sprite;
}

struct Layout {
  float x0 = 0.0f, y0 = 0.0f; // world position of grid cell (0, 0)
  float width = 0.0f, height = 0.0f;
};

Layout Frame(const SourceLevel& level) {
  int minCol = 1 << 20, maxCol = -1, minRow = 1 << 20, maxRow = -1;
  for (const SourceNode& n : level.nodes) {
    minCol = std::min(minCol, n.col);
    maxCol = std::max(maxCol, n.col);
    minRow = std::min(minRow, n.row);
    maxRow = std::max(maxRow, n.row);
  }
  Layout layout;
  // The network is centred on the origin, one node's size of margin around it.
  float w = static_cast<float>(maxCol - minCol) * kSpacing + 1.0f;
  float h = static_cast<float>(maxRow - minRow) * kSpacing + 1.0f;
  layout.x0 = -static_cast<float>(minCol + maxCol) * kSpacing / 2.0f;
  layout.y0 = static_cast<float>(minRow + maxRow) * kSpacing / 2.0f;
  layout.height = std::max({h / kFraming, w / kFraming / kAspect, 6.0f});
  layout.width = layout.height * kAspect;
  return layout;
}

float NodeX(const Layout& l, const SourceNode& n) {
  return l.x0 + static_cast<float>(n.col) * kSpacing;
}
float NodeY(const Layout& l, const SourceNode& n) {
  return l.y0 - static_cast<float>(n.row) * kSpacing;
}

void AddScript(GameObject* object, const char* script) {
  // Without a scripting system the component is only filed, not run.
  object->AddLuaComponent(script);
}

GameObject* MakeLink(Space& space, int id, float x0, float y0, float x1, float y1, bool open) {
  float length = std::hypot(x1 - x0, y1 - y0);
  bool vertical = std::fabs(x1 - x0) < std::fabs(y1 - y0);
  // link.png is a 64 x 16 strip: its quad is 8 x 2 model units.
  GameObject* link =
      Place(space, id, "Link", (x0 + x1) / 2, (y0 + y1) / 2, length / 8.0f, 0.07f, kLinkZ);
  static_cast<Transform*>(link->GetComponent("Transform"))->rotation_ = vertical ? kPi / 2 : 0.0f;
  AddSprite(link, open ? "link.png" : "link_closed.png");
  auto* emitter = static_cast<ParticleEmitter*>(link->AddComponent("ParticleEmitter"));
  emitter->Active = open;
  emitter->Objects = "LinkSpark";
  emitter->EmissionRate = 2.5f;
  emitter->Lifetime = 0.8f;
  emitter->LifetimeVariance = 0.2f;
  emitter->Scale = {0.06f, 0.06f};
  emitter->SquareScaleVariance = 0.3f;
  float along = length * 0.4f;
  emitter->EmitterSize = vertical ? glm::vec2{0.03f, along} : glm::vec2{along, 0.03f};
  emitter->VelocityVariance = vertical ? glm::vec2{0.0f, 0.6f} : glm::vec2{0.6f, 0.0f};
  AddScript(link, "LinkScript");
  return link;
}

void SetLinks(GameNode* node, int d, int id, bool open, int particles) {
  int* ids[] = {&node->UpID, &node->DownID, &node->LeftID, &node->RightID};
  bool* linked[] = {&node->UpLinked, &node->DownLinked, &node->LeftLinked, &node->RightLinked};
  int* particleIds[] = {&node->UpLinkParticlesID, &node->DownLinkParticlesID,
                        &node->LeftLinkParticlesID, &node->RightLinkParticlesID};
  *ids[d] = id;
  *linked[d] = open;
  *particleIds[d] = particles;
}

float Facing(int moveDir) {
  // Sprites turn clockwise for a positive rotation; the patrol art faces right.
  switch (moveDir) {
  case 1:
    return -kPi / 2;
  case 2:
    return kPi / 2;
  case 3:
    return kPi;
  default:
    return 0.0f;
  }
}
} // namespace

void BuildLevel(const SourceLevel& level, Space& space) {
  Layout layout = Frame(level);
  GameObject* controller = space.CreateEmptyObject();
  controller->m_Self = kControllerId;
  controller->m_Name = "TurnController";
  AddScript(controller, "TurnController");

  GameObject* cameraObject = space.CreateEmptyObject();
  cameraObject->m_Self = kCameraId;
  cameraObject->m_Name = "Camera";
  auto* camera = static_cast<Camera*>(cameraObject->AddComponent("Camera"));
  *camera =
      Camera(glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 1.0f, 0.0f), layout.width, layout.height);

  // Links first: every node names the particle object of each of its links.
  std::vector<std::array<int, 4>> particles(level.nodes.size(), {-1, -1, -1, -1});
  int nextLink = kFirstLinkId;
  for (size_t i = 0; i < level.nodes.size(); ++i)
    for (int d : {kDown, kRight}) {
      int j = level.nodes[i].links[d];
      if (j < 0)
        continue;
      const SourceNode& a = level.nodes[i];
      const SourceNode& b = level.nodes[static_cast<size_t>(j)];
      MakeLink(space, nextLink, NodeX(layout, a), NodeY(layout, a), NodeX(layout, b),
               NodeY(layout, b), a.open[d]);
      particles[i][static_cast<size_t>(d)] = nextLink;
      particles[static_cast<size_t>(j)][static_cast<size_t>(Opposite(d))] = nextLink;
      ++nextLink;
    }

  for (size_t i = 0; i < level.nodes.size(); ++i) {
    const SourceNode& n = level.nodes[i];
    GameObject* object = Place(space, kFirstNodeId + static_cast<int>(i), "Node", NodeX(layout, n),
                               NodeY(layout, n), 0.42f, 0.42f, kNodeZ);
    AddSprite(object, n.end ? "node_end.png" : "node_plain.png");
    auto* node = static_cast<GameNode*>(object->AddComponent("GameNode"));
    node->EndNode = n.end;
    node->Credits = n.credits;
    node->EncryptionLayers = n.layers;
    node->KeyType = n.firewall ? n.firewall : n.key;
    node->FireWallProtected = n.firewall != 0;
    node->FireWallID = n.firewall ? kFirstFireWallId + static_cast<int>(i) : -1;
    for (int d = 0; d < kDirs; ++d)
      SetLinks(node, d, n.links[d] < 0 ? -1 : kFirstNodeId + n.links[d], n.open[d],
               particles[i][static_cast<size_t>(d)]);
    AddScript(object, "NodeScript");
  }

  for (size_t i = 0; i < level.nodes.size(); ++i) {
    const SourceNode& n = level.nodes[i];
    if (!n.firewall)
      continue;
    GameObject* wall = Place(space, kFirstFireWallId + static_cast<int>(i), "FireWall",
                             NodeX(layout, n), NodeY(layout, n), 0.5f, 0.5f, kFireWallZ);
    AddSprite(wall, "firewall.png");
    AddScript(wall, "FireWallScript");
  }

  for (const SourceNode& n : level.nodes) {
    if (!n.start)
      continue;
    GameObject* object =
        Place(space, kPlayerId, "Player", NodeX(layout, n), NodeY(layout, n), 0.3f, 0.3f, kPlayerZ);
    AddSprite(object, "probe.png");
    auto* player = static_cast<Player*>(object->AddComponent("Player"));
    player->LevelNum = level.number;
    player->Credits = level.credits;
    AddScript(object, "PlayerScript");
  }

  int nextPatrol = kFirstPatrolId;
  for (const SourcePatrol& p : level.patrols) {
    const SourceNode& n = level.nodes[static_cast<size_t>(p.node)];
    GameObject* object = Place(space, nextPatrol++, "Patrol", NodeX(layout, n), NodeY(layout, n),
                               0.34f, 0.34f, kPatrolZ);
    static_cast<Transform*>(object->GetComponent("Transform"))->rotation_ = Facing(p.moveDir);
    AddSprite(object, p.moveDir ? "patrol_unit.png" : "sentry.png");
    auto* patrol = static_cast<Patrol*>(object->AddComponent("Patrol"));
    patrol->StartID = kFirstNodeId + p.node;
    patrol->MoveDir = p.moveDir;
    AddScript(object, "PatrolScript");
  }
}

bool SaveGameArchetypes(Space& scratch) {
  bool ok = true;
  auto save = [&ok](GameObject* object, const char* name) {
    object->m_Active = true;
    ok = SaveArchetype(object, name) && ok;
  };
  GameObject* spark = Place(scratch, 1, "LinkSpark", 0, 0, 0.06f, 0.06f, kLinkZ);
  AddSprite(spark, "link_spark.png");
  save(spark, "LinkSpark");

  GameObject* intent = Place(scratch, 2, "PatrolIntent", 0, 0, 0.22f, 0.22f, kPatrolZ + 1);
  AddSprite(intent, "intent_arrow.png");
  save(intent, "PatrolIntent");
  // The strip the turn controller lays along a link that has none (a level built in the
  // editor); it places, turns and stretches it between the two nodes.
  save(MakeLink(scratch, 3, 0, 0, kSpacing, 0, true), "Link");
  // The level pieces go to a space of their own, so no component comes back recycled.
  Space& parts = NewToolSpace();

  // The pieces of a level, for building levels in the editor.
  SourceLevel one;
  one.number = 1;
  SourceNode node;
  node.start = true;
  node.firewall = 1;
  one.nodes.push_back(node);
  one.patrols.push_back({0, 4});
  BuildLevel(one, parts);
  for (GameObject* object : parts.objects) {
    if (!object)
      continue;
    if (object->m_Name == "Node") {
      // The firewall of the sample node is not part of the archetype.
      auto* game = static_cast<GameNode*>(object->GetComponent("GameNode"));
      game->FireWallProtected = false;
      game->FireWallID = -1;
      game->KeyType = 0;
    }
    // A new patrol starts on no node until the designer picks one.
    if (auto* patrol = static_cast<Patrol*>(object->GetComponent("Patrol")))
      patrol->StartID = -1;
    if (object->m_Name == "Node" || object->m_Name == "Player" || object->m_Name == "Patrol" ||
        object->m_Name == "FireWall" || object->m_Name == "TurnController")
      save(object, object->m_Name.c_str());
  }
  return ok;
}

} // namespace levels
