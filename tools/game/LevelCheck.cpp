// The level checker's passes over a data folder and the pars file it keeps in step.
#include "game/LevelCheck.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace levels {

std::vector<CheckedLevel> CheckLevels(const std::string& dataDir) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(dataDir) / "Node Levels", ec))
    if (entry.path().extension() == ".level")
      files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());

  std::vector<CheckedLevel> levels;
  for (const std::string& file : files) {
    CheckedLevel level;
    level.file = file;
    std::string error;
    if (!ReadLevel(dataDir, file, level.model, error)) {
      level.playable = true;
      level.problems.push_back(error);
      levels.push_back(std::move(level));
      continue;
    }
    bool controller = false;
    for (const ObjectInfo& object : level.model.objects)
      controller = controller || object.HasScript("TurnController");
    // "LevelNN.level" is a game level whatever it holds; "LevelSelect.level" is a screen.
    bool numbered = file.rfind("Level", 0) == 0 && file.size() > 5 &&
                    std::isdigit(static_cast<unsigned char>(file[5]));
    level.playable = level.model.Playable() || !level.model.nodes.empty() || controller || numbered;
    if (level.playable) {
      level.problems = Validate(level.model);
      if (level.problems.empty()) {
        level.solution = Solve(level.model);
        if (!level.solution.error.empty())
          level.problems.push_back("the search was cut short: " + level.solution.error);
        else if (!level.solution.solved)
          level.problems.push_back("cannot be won: no sequence of actions reaches an end node (" +
                                   std::to_string(level.solution.states) + " states searched)");
      }
    }
    levels.push_back(std::move(level));
  }
  return levels;
}

bool ReadPars(const std::string& dataDir, std::vector<ParEntry>& entries,
              std::vector<std::string>& problems) {
  std::ifstream in(std::filesystem::path(dataDir) / kParsFile);
  if (!in)
    return false;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty() || line[0] == '#')
      continue;
    std::istringstream words(line);
    ParEntry entry;
    if (!(words >> entry.number >> entry.file >> entry.par)) {
      problems.push_back(std::string(kParsFile) + ":" + std::to_string(lineNumber) +
                         ": not \"<number> <file> <par> <title>\"");
      continue;
    }
    std::getline(words >> std::ws, entry.title);
    entries.push_back(entry);
  }
  return true;
}

bool WritePars(const std::string& dataDir, const std::vector<ParEntry>& entries) {
  std::filesystem::path path = std::filesystem::path(dataDir) / kParsFile;
  std::filesystem::path temporary = path;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary);
    out << "# Written by the level generator from the level checker's solutions: "
           "<number> <file> <par> <title>\n";
    for (const ParEntry& e : entries)
      out << e.number << ' ' << e.file << ' ' << e.par << ' ' << e.title << '\n';
    if (!out)
      return false;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  return !ec;
}

bool Report(const std::vector<CheckedLevel>& levels, const std::vector<ParEntry>* pars,
            const std::vector<std::string>& parProblems, std::ostream& out) {
  int problems = 0, playable = 0;
  auto problem = [&](const std::string& file, const std::string& text) {
    out << file << ": " << text << '\n';
    ++problems;
  };
  std::map<int, std::string> numbers;
  for (const CheckedLevel& level : levels) {
    if (!level.playable) {
      out << level.file << ": not a playable level\n";
      // A screen the game cannot read whole is as broken as a level.
      if (std::string text = ReaderProblem(level.model); !text.empty())
        problem(level.file, text);
      continue;
    }
    ++playable;
    for (const std::string& text : level.problems)
      problem(level.file, text);
    if (!level.problems.empty())
      continue;
    const Solution& s = level.solution;
    out << level.file << ": level " << level.model.levelNum << ", par " << s.par << " (" << s.states
        << " states)\n";
    out << level.file << ": win: " << Sequence(s.win) << '\n';
    if (s.foundReached)
      out << level.file << ": found: " << Sequence(s.found) << '\n';
    if (s.walkInReached)
      out << level.file << ": walk-in: " << Sequence(s.walkIn) << '\n';
    auto [it, fresh] = numbers.emplace(level.model.levelNum, level.file);
    if (!fresh)
      problem(level.file,
              "has the level number " + std::to_string(level.model.levelNum) + " of " + it->second);
  }
  int expected = 1;
  for (const auto& [number, file] : numbers) {
    if (number != expected)
      problem(file, "is level " + std::to_string(number) + " but no level is numbered " +
                        std::to_string(expected) + " (levels count 1, 2, ...)");
    expected = number + 1;
  }
  for (const std::string& text : parProblems) {
    out << text << '\n';
    ++problems;
  }
  if (!pars)
    problem(kParsFile, "cannot be read");
  if (pars) {
    std::set<std::string> listed;
    for (const ParEntry& entry : *pars) {
      listed.insert(entry.file);
      auto level = std::find_if(levels.begin(), levels.end(),
                                [&](const CheckedLevel& l) { return l.file == entry.file; });
      if (level == levels.end() || !level->playable) {
        problem(kParsFile, "lists " + entry.file + ", which is not a playable level");
        continue;
      }
      if (!level->problems.empty())
        continue;
      if (entry.par != level->solution.par)
        problem(kParsFile, "gives " + entry.file + " the par " + std::to_string(entry.par) +
                               ", the checker finds " + std::to_string(level->solution.par));
      if (entry.number != level->model.levelNum)
        problem(kParsFile, "gives " + entry.file + " the number " + std::to_string(entry.number) +
                               ", its Player.LevelNum is " + std::to_string(level->model.levelNum));
    }
    for (const CheckedLevel& level : levels)
      if (level.playable && !listed.count(level.file))
        problem(kParsFile, "has no line for " + level.file);
  }
  out << "checked " << levels.size() << " level files, " << playable << " playable: " << problems
      << (problems == 1 ? " problem\n" : " problems\n");
  return problems == 0;
}

} // namespace levels
