// The level generator: turns the level sources of tools/levels/*.txt into the game's level
// files with the engine's own writer, writes the archetypes the scripts and the editor use,
// solves every level with the level checker and writes each par into the pars file.
//
//   make_game_levels [source folder] [data folder]
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>

#include "Core/Space.h"
#include "game/LevelCheck.h"
#include "game/LevelSource.h"

int main(int argc, char** argv) {
  std::filesystem::path sources = argc > 1 ? argv[1] : VANTIX_LEVEL_SOURCES;
  std::filesystem::path data = std::filesystem::absolute(argc > 2 ? argv[2] : VANTIX_DATA_DIR);
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(sources, ec))
    if (entry.path().extension() == ".txt")
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::cerr << "make_game_levels: no level sources in " << sources << '\n';
    return 1;
  }

  std::vector<levels::SourceLevel> built;
  std::filesystem::current_path(data, ec);
  if (ec) {
    std::cerr << "make_game_levels: cannot enter " << data << ": " << ec.message() << '\n';
    return 1;
  }
  bool ok = true;
  for (const auto& path : files) {
    levels::SourceLevel level;
    std::string error;
    if (!levels::ParseLevelSource(path.string(), level, error)) {
      std::cerr << error << '\n';
      ok = false;
      continue;
    }
    Space& space = levels::NewToolSpace();
    levels::BuildLevel(level, space);
    if (!space.SaveLevel("Node Levels\\" + level.FileName())) {
      std::cerr << "make_game_levels: cannot write " << level.FileName() << '\n';
      ok = false;
    }
    space.Clear();
    std::cout << "wrote Node Levels/" << level.FileName() << " from " << path.filename().string()
              << '\n';
    built.push_back(level);
  }
  std::filesystem::create_directories("Archetypes", ec);
  ok = levels::SaveGameArchetypes(levels::NewToolSpace()) && ok;

  std::vector<levels::CheckedLevel> checked = levels::CheckLevels(data.string());
  std::vector<levels::ParEntry> pars;
  for (const levels::CheckedLevel& level : checked) {
    if (!level.playable || !level.problems.empty())
      continue;
    auto source = std::find_if(built.begin(), built.end(), [&](const levels::SourceLevel& s) {
      return s.FileName() == level.file;
    });
    std::string title = source != built.end() ? source->title : level.file;
    pars.push_back({level.model.levelNum, level.file, level.solution.par, title});
  }
  std::sort(pars.begin(), pars.end(), [](const levels::ParEntry& a, const levels::ParEntry& b) {
    return a.number < b.number;
  });
  if (!levels::WritePars(data.string(), pars)) {
    std::cerr << "make_game_levels: cannot write " << levels::kParsFile << '\n';
    ok = false;
  }
  ok = levels::Report(checked, &pars, {}, std::cout) && ok;
  return ok ? 0 : 1;
}
