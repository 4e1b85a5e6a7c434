#pragma once
// The game's view of a level file: its nodes, player, patrols and the objects they name, read
// through the engine's own level reader, and the data conventions every level keeps.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

class Space;

namespace levels {

// Directions in the order of the link fields: up, down, left, right. A patrol's MoveDir is the
// index plus one (0 is a sentry).
enum Dir { kUp = 0, kDown = 1, kLeft = 2, kRight = 3 };
constexpr int kDirs = 4;
const char* DirName(int dir);
int Opposite(int dir);
// The directions a patrol facing `dir` tries, in order: ahead, its right, its left, back.
std::array<int, 4> PatrolOrder(int dir);

struct ObjectInfo {
  int id = -1;
  std::string name;
  bool hasTransform = false;
  float x = 0.0f, y = 0.0f;
  float halfWidth = 0.0f, halfHeight = 0.0f; // a sprite spans its scale either side
  std::vector<std::string> scripts;
  bool isNode = false;
  bool HasScript(const std::string& name) const {
    return std::find(scripts.begin(), scripts.end(), name) != scripts.end();
  }
};

struct NodeInfo {
  int object = -1; // index into LevelModel::objects
  int id = -1;
  float x = 0.0f, y = 0.0f;
  bool end = false;
  int credits = 0;
  int layers = 0;
  int keyType = 0;
  bool firewall = false;
  int firewallId = -1;
  std::array<int, kDirs> linkId{-1, -1, -1, -1};
  std::array<bool, kDirs> linked{true, true, true, true};
  std::array<int, kDirs> particlesId{-1, -1, -1, -1};
  // Index into LevelModel::nodes of each neighbour, -1 for none (filled by Resolve).
  std::array<int, kDirs> next{-1, -1, -1, -1};
};

struct PatrolInfo {
  int object = -1;
  int startId = -1;
  int moveDir = 0;
  int startNode = -1; // index into nodes, -1 when StartID is not a node
};

// A rectangle of the world: centre and full extents.
struct ViewInfo {
  float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
};

struct LevelModel {
  std::string file; // the level's file name, as the game's log gives it
  // What the level is seen through: its last top-level Camera, else the engine's default view.
  ViewInfo view;
  bool hasCamera = false;
  std::vector<ObjectInfo> objects;
  std::vector<NodeInfo> nodes; // object-list order
  std::vector<PatrolInfo> patrols;
  int players = 0;
  int playerObject = -1;
  int levelNum = 0;
  int startCredits = 0;
  int startNode = -1; // the node the player stands on
  // Text-format problems the engine's reader reported while reading the file.
  int readerFailures = 0;

  bool Playable() const { return players > 0; }
  // The node index of an object id, -1 when the id is not a node.
  int NodeOfId(int id) const;
  const ObjectInfo* ObjectOfId(int id) const;
};

// The space the tools read and build levels in: one engine without systems, made on first
// use, so no script runs. Not for programs that have an engine of their own.
Space& ToolSpace();
// A new, empty space of that engine. Building levels takes a fresh space each time: a space
// hands out recycled components that keep their previous owner's values.
Space& NewToolSpace();

// Reads "Node Levels\<file>" of the data folder `dataDir` through the engine. False (with a
// message) when the file cannot be read at all.
bool ReadLevel(const std::string& dataDir, const std::string& file, LevelModel& model,
               std::string& error);

// The model of the level loaded in `space`, whose file name is `file`.
void ModelFromSpace(const Space& space, const std::string& file, LevelModel& model);

// Every broken data convention of the level, one sentence each; empty for a sound level.
std::vector<std::string> Validate(const LevelModel& model);
// The problem a file not read whole is, playable or not; empty when it was read whole.
std::string ReaderProblem(const LevelModel& model);

} // namespace levels
