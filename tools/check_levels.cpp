// The level checker: validates every level file of the data folder against the game's data
// conventions, proves each playable level winnable by breadth-first search under the game's
// rules, prints its par and a winning sequence, and checks the pars file the game reads.
//
//   check_levels [data folder]     (default: the data folder of the source tree)
// Exit status 0 when every level is sound and every par agrees, 1 otherwise.
#include <iostream>
#include <string>

#include "game/LevelCheck.h"

int main(int argc, char** argv) {
  std::string data = argc > 1 ? argv[1] : VANTIX_DATA_DIR;
  std::vector<levels::CheckedLevel> checked = levels::CheckLevels(data);
  std::vector<levels::ParEntry> pars;
  std::vector<std::string> parProblems;
  bool havePars = levels::ReadPars(data, pars, parProblems);
  bool ok = levels::Report(checked, havePars ? &pars : nullptr, parProblems, std::cout);
  return ok ? 0 : 1;
}
