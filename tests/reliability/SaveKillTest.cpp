// Saves survive a kill, a full disk and a read-only folder: a level, an archetype and the
// progress file are saved over and over by a child process that is killed (SIGKILL) at random
// moments; afterwards each file is the complete old or the complete new version and loads. A
// save to a full or read-only folder reports and keeps the old file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/File.h"
#include "Meta/TextWriter.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Utilities/Check.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::string text;
  ReadTextFile(path.string(), text);
  return text;
}

// A headless engine with two versions of a level and of an archetype, in a scratch folder.
class SaveTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterAllTypes();
    engine = new Engine();
    for (const char* name : {"A", "B", "Check", "Archetypes"})
      spaces.push_back(engine->CreateSpace(name));
    testing::internal::CaptureStderr(); // the levels' scripts cannot run here
    LoadData(spaces[0], "Level05.level");
    LoadData(spaces[1], "Level13.level");
    archetypes[0] = spaces[3]->CreateEmptyObject();
    archetypes[1] = spaces[3]->CreateEmptyObject();
    fs::create_directories("Archetypes");
    fs::copy_file(DataFile("Archetypes/Node.archetype"), "Archetypes/Node.archetype");
    fs::copy_file(DataFile("Archetypes/Patrol.archetype"), "Archetypes/Patrol.archetype");
    LoadArchetype(archetypes[0], "Node");
    LoadArchetype(archetypes[1], "Patrol");
    testing::internal::GetCapturedStderr();
    for (int v = 0; v < 2; ++v) {
      levelText[v] = ToStoredLineEnds(LevelText(*spaces[v]));
      archetypes[v]->m_ArchetypeName = "Saved";
      archetypeText[v] = ToStoredLineEnds(ArchetypeText(*archetypes[v]));
    }
    ASSERT_NE(levelText[0], levelText[1]);
    ASSERT_NE(archetypeText[0], archetypeText[1]);
    fs::create_directories("Node Levels");
  }
  void TearDown() override { delete engine; }

  void LoadData(Space* space, const std::string& file) {
    std::string text;
    ASSERT_TRUE(ReadTextFile(DataFile("Node Levels/" + file), text));
    ASSERT_TRUE(ReadLevelText(*space, text, file));
  }

  // Saves version v of the level and of the archetype; true when both were written.
  bool SaveVersion(int v, const std::string& folder = ".") {
    bool level = WriteLevelFile(*spaces[v], folder + "/Node Levels/Saved.level");
    bool archetype = SaveArchetype(archetypes[v], "Saved");
    return level && archetype;
  }

  // The file is one of the two versions and reads back without a report.
  void ExpectWholeAndLoadable(const fs::path& path, const std::string* versions, bool level,
                              int kill) {
    std::string text = ReadFile(path);
    ASSERT_TRUE(text == versions[0] || text == versions[1])
        << path << " after kill " << kill << " is neither version (" << text.size()
        << " bytes; the versions have " << versions[0].size() << " and " << versions[1].size()
        << ")";
    Space* check = spaces[2];
    check->Clear();
    testing::internal::CaptureStderr();
    bool read = level ? ReadLevelText(*check, text, path.string())
                      : ReadArchetypeText(*check->CreateEmptyObject(), text, path.string());
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(read) << path << " after kill " << kill;
  }

  ScratchDir dir;
  Engine* engine = nullptr;
  std::vector<Space*> spaces;
  GameObject* archetypes[2] = {};
  std::string levelText[2], archetypeText[2];
};

TEST_F(SaveTest, EveryFileIsTheOldOrTheNewVersionAfterTwoHundredKills) {
  // Kills are spread over a few saves' time, however slow this build saves.
  auto before = std::chrono::steady_clock::now();
  ASSERT_TRUE(SaveVersion(1));
  ASSERT_TRUE(SaveVersion(0));
  auto pair = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - before);
  int spread = std::max(4000, static_cast<int>(pair.count()) * 3);
  std::mt19937 random(20240615);
  std::uniform_int_distribution<int> wait(0, spread); // microseconds
  int kills = 0, duringAWrite = 0, saves = 0;
  for (; kills < 220; ++kills) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int v = 1;; v ^= 1)
        SaveVersion(v);
    }
    usleep(static_cast<useconds_t>(wait(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself";
    // The kill may leave the temporary file of a save in progress; it never replaces a file.
    for (const char* folder : {"Node Levels", "Archetypes"})
      for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".saving-") != std::string::npos) {
          ++duringAWrite;
          fs::remove(entry.path());
        }
    ExpectWholeAndLoadable("Node Levels/Saved.level", levelText, true, kills);
    ExpectWholeAndLoadable("Archetypes/Saved.archetype", archetypeText, false, kills);
    if (ReadFile("Node Levels/Saved.level") == levelText[1])
      ++saves;
    if (HasFatalFailure())
      return;
  }
  std::printf("[ info ] %d kills, %d during a write, %d found the second version in place\n", kills,
              duringAWrite, saves);
  EXPECT_GE(duringAWrite, 10) << "too few kills landed in the middle of a save to prove much";
}

// A small tmpfs of its own, unmounted at the end. Mounting needs root (as the test command
// runs in CI); without it the test is skipped with a message.
class MountedFolder {
public:
  explicit MountedFolder(const std::string& options) : path(fs::absolute("mounted")) {
    fs::create_directories(path);
    mounted = mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!mounted)
      why = std::string("cannot mount a tmpfs (") + std::strerror(errno) +
            "); run as root to test full and read-only folders";
  }
  ~MountedFolder() {
    if (mounted)
      umount2(path.c_str(), MNT_DETACH);
  }
  bool Remount(unsigned long flags) {
    return mount("tmpfs", path.c_str(), nullptr, MS_REMOUNT | flags, nullptr) == 0;
  }
  fs::path path;
  bool mounted = false;
  std::string why;
};

TEST_F(SaveTest, ASaveToAFullDiskReportsAndKeepsTheOldFile) {
  MountedFolder disk("size=160k");
  if (!disk.mounted)
    GTEST_SKIP() << disk.why;
  std::string folder = disk.path.string();
  fs::create_directories(disk.path / "Node Levels");
  ASSERT_TRUE(WriteLevelFile(*spaces[0], folder + "/Node Levels/Saved.level"));
  // Fill what is left, so the bigger level cannot fit beside the old one.
  {
    std::string filler(4096, 'x');
    FILE* fp = std::fopen((disk.path / "filler").c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    while (std::fwrite(filler.data(), 1, filler.size(), fp) == filler.size() &&
           std::fflush(fp) == 0) {
    }
    std::fclose(fp);
  }
  ResetCheckFailureCount();
  testing::internal::CaptureStderr();
  bool saved = WriteLevelFile(*spaces[1], folder + "/Node Levels/Saved.level");
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(saved);
  EXPECT_NE(report.find("Saved.level"), std::string::npos) << report;
  EXPECT_NE(report.find("No space left on device"), std::string::npos) << report;
  EXPECT_TRUE(ReadFile(disk.path / "Node Levels/Saved.level") == levelText[0]);
  for (const auto& entry : fs::directory_iterator(disk.path / "Node Levels"))
    EXPECT_EQ(entry.path().filename(), "Saved.level") << "no temporary file is left behind";
}

TEST_F(SaveTest, ASaveToAReadOnlyFolderReportsAndKeepsTheOldFile) {
  MountedFolder disk("size=1m");
  if (!disk.mounted)
    GTEST_SKIP() << disk.why;
  std::string folder = disk.path.string();
  fs::create_directories(disk.path / "Node Levels");
  ASSERT_TRUE(WriteLevelFile(*spaces[0], folder + "/Node Levels/Saved.level"));
  ASSERT_TRUE(disk.Remount(MS_RDONLY)) << std::strerror(errno);
  testing::internal::CaptureStderr();
  bool saved = WriteLevelFile(*spaces[1], folder + "/Node Levels/Saved.level");
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(saved);
  EXPECT_NE(report.find("Saved.level"), std::string::npos) << report;
  EXPECT_NE(report.find("Read-only file system"), std::string::npos) << report;
  EXPECT_TRUE(ReadFile(disk.path / "Node Levels/Saved.level") == levelText[0]);
  disk.Remount(0);
}

} // namespace
