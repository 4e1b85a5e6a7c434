#pragma once
// The designers' level source: a small text file with an ASCII picture of the network and a
// line per special node and patrol, turned into level objects by BuildLevel.
//
//   # comment
//   level 3                 the level's number (Player.LevelNum); the file is Level03.level
//   title Pay to enter      the title the game shows
//   credits 1               the player's starting credits
//   grid                    the network, nodes on even columns and rows:
//   S-a=b                     letters and digits are nodes, '-' and '|' open links,
//   |   |                     '=' and '!' closed links
//   c---E                   (a link may span several columns or rows of '-' or '|')
//   end
//   node S start            the player's start node
//   node E end layers=2     end node, encrypted with two layers
//   node a credits=3 key=1  3 credits to siphon; key of type 1 picked up on entry
//   node b firewall=1       firewalled, opened with a key of type 1
//   patrol c right          a patrol starting on c facing right (up, down, left, right, none)
#include <string>
#include <vector>

class Space;

namespace levels {

struct SourceNode {
  char label = 0;
  int col = 0, row = 0; // grid cell / 2
  bool start = false, end = false;
  int credits = 0, layers = 0, key = 0, firewall = 0;
  int links[4] = {-1, -1, -1, -1}; // index into SourceLevel::nodes
  bool open[4] = {true, true, true, true};
};

struct SourcePatrol {
  int node = -1;
  int moveDir = 0; // 0 none, 1 up, 2 down, 3 left, 4 right
};

struct SourceLevel {
  std::string path;
  int number = 0;
  std::string title;
  int credits = 0;
  std::vector<SourceNode> nodes;
  std::vector<SourcePatrol> patrols;

  std::string FileName() const; // "Level03.level"
};

// Parses a level source; false with `error` naming the line and the problem.
bool ParseLevelSource(const std::string& path, SourceLevel& level, std::string& error);

// Fills an empty space with the level's objects (controller, camera, links, nodes, firewalls,
// player, patrols), ready for Space::SaveLevel.
void BuildLevel(const SourceLevel& level, Space& space);

// Writes the archetypes the scripts and the editor use into "Archetypes/" of the current folder.
bool SaveGameArchetypes(Space& scratch);

} // namespace levels
