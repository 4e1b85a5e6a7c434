#pragma once
// Checking every level file of a data folder: the data conventions, a breadth-first solution of
// each playable level, and agreement with the pars file the game reads.
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "game/LevelModel.h"
#include "game/Solver.h"

namespace levels {

// The file, beside the levels, from which the game takes each level's number, par and title.
constexpr const char* kParsFile = "Node Levels/Pars.txt";

struct CheckedLevel {
  std::string file;
  bool playable = false;
  LevelModel model;
  std::vector<std::string> problems;
  Solution solution;
};

struct ParEntry {
  int number = 0;
  std::string file;
  int par = 0;
  std::string title;
};

// Reads, validates and solves every "Node Levels/*.level" of `dataDir`, in file-name order.
// A level is playable when it has a player, a node or a turn controller, or its file name
// starts with "Level".
std::vector<CheckedLevel> CheckLevels(const std::string& dataDir);

// Reads the pars file; false when it cannot be opened. Malformed lines are listed in `problems`.
bool ReadPars(const std::string& dataDir, std::vector<ParEntry>& entries,
              std::vector<std::string>& problems);
bool WritePars(const std::string& dataDir, const std::vector<ParEntry>& entries);

// Prints each level's result and every problem (levels, numbering, the pars file's own lines
// in `parProblems`, pars that disagree), then the count of them all; true when there is none.
// A null `pars` is a pars file that cannot be read.
bool Report(const std::vector<CheckedLevel>& levels, const std::vector<ParEntry>* pars,
            const std::vector<std::string>& parProblems, std::ostream& out);

} // namespace levels
