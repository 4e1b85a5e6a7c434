// The soak run: the real game on a scratch copy of its data, frame rate uncapped, driven by a
// dev-only script (autoplay on, every level visited in turn), watched from a parent process.
//
//   vantix_soak [--frames N] [--warmup W] [--every K] [--dwell D] [--timeout S]
//               [--data DIR] [--work DIR] [--log FILE] [--max-growth PERCENT]
//
// The parent copies the data folder, starts itself as the game (--play) in the copy and reads
// everything the game prints. It fails the run on a crash, a timeout, any "Error:" line, check
// or sanitizer report, a Lua stack that is not empty between frames, Lua or process memory that
// grows by more than the allowed share between the warm-up frame and the last frame, or a level
// whose script count differs from one visit to the next.
#include <lua.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <poll.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "Core/Engine.h"
#include "Core/Game.h"
#include "Core/Space.h"
#include "Objects/GameObject.h"
#include "Scripting/LuaComponent.h"
#include "Scripting/LuaEngine.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  long frames = 10000;
  long warmup = -1; // the frame memory is first measured at; -1: a fifth of the run
  long every = 1000;
  long dwell = 250;
  int timeout = 600;
  double maxGrowth = 1.0; // percent
  std::string data = VANTIX_DATA_DIR;
  std::string work;
  std::string log;
  std::string driver = VANTIX_SOAK_DRIVER;
  bool play = false;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
    if (a == "--frames")
      o.frames = std::atol(value().c_str());
    else if (a == "--warmup")
      o.warmup = std::atol(value().c_str());
    else if (a == "--every")
      o.every = std::atol(value().c_str());
    else if (a == "--dwell")
      o.dwell = std::atol(value().c_str());
    else if (a == "--timeout")
      o.timeout = std::atoi(value().c_str());
    else if (a == "--max-growth")
      o.maxGrowth = std::atof(value().c_str());
    else if (a == "--data")
      o.data = value();
    else if (a == "--work")
      o.work = value();
    else if (a == "--log")
      o.log = value();
    else if (a == "--driver")
      o.driver = value();
    else if (a == "--play")
      o.play = true;
    else {
      std::fprintf(stderr, "vantix_soak: unknown option '%s'\n", a.c_str());
      return false;
    }
  }
  if (o.frames < 1 || o.every < 1 || o.dwell < 1) {
    std::fprintf(stderr, "vantix_soak: --frames, --every and --dwell must be positive\n");
    return false;
  }
  if (o.warmup < 0)
    o.warmup = std::max(1L, o.frames / 5);
  return true;
}

// ---- The game side (--play) ---------------------------------------------------------------

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the C and C++ code holds from malloc, apart from the mappings that make up the rest of
// the process (the GL driver's, the X client's): the figure that shows a leak of ours.
long HeapKb() {
  return static_cast<long>(mallinfo2().uordblks / 1024);
}

// Leaves in the Lua heap only what scripts hold. Compiled traces are counted in the heap too;
// LuaJIT bounds them itself (its trace limit) and drops them all when that is reached, so
// without the flush the count would rise and fall with the traces, not with the scripts.
void MeasurableHeap(lua_State* L) {
  luaL_dostring(L, "if jit then jit.flush() end");
  lua_settop(L, 0);
  lua_gc(L, LUA_GCCOLLECT, 0);
  lua_gc(L, LUA_GCCOLLECT, 0);
}

// Values the Lua registry holds (the references the engine keeps). Free reference slots hold
// numbers (the free list), so they are not counted.
int RegistrySize(lua_State* L) {
  int n = 0;
  lua_pushnil(L);
  while (lua_next(L, LUA_REGISTRYINDEX)) {
    if (lua_type(L, -1) != LUA_TNUMBER)
      ++n;
    lua_pop(L, 1);
  }
  return n;
}

// Puts the driver script into a space of its own, which no level change clears.
void StartDriver(Engine& engine, long dwell) {
  lua_State* L = LuaEngine::ms_Singleton->L;
  lua_newtable(L);
  lua_pushnumber(L, static_cast<lua_Number>(dwell));
  lua_setfield(L, -2, "dwell");
  lua_setglobal(L, "SoakConfig");
  Space* soak = engine.CreateSpace("Soak");
  soak->m_Active = soak->nextActive = true;
  soak->CreateEmptyObject()->AddLuaComponent("SoakDriver");
  std::printf("soak: driver started\n");
  std::fflush(stdout);
}

// Watches every frame: the Lua stack, memory at each checkpoint, each level as it is entered.
struct FrameWatch {
  const Options& options;
  std::string level;
  long stackReports = 0;

  void Frame(Engine& engine, long frame) {
    lua_State* L = LuaEngine::ms_Singleton->L;
    int top = lua_gettop(L);
    if (top != 0 && stackReports++ < 5)
      std::printf("soak: lua stack holds %d values after frame %ld\n", top, frame);
    Space* main = engine.GetSpace("Main");
    if (main && main->LevelName != level) {
      level = main->LevelName;
      MeasurableHeap(L);
      std::printf("soak: level %s frame=%ld scripts=%zu lua_kb=%d rss_kb=%ld registry=%d "
                  "heap_kb=%ld\n",
                  level.c_str(), frame, LuaComponent::LiveCount(), lua_gc(L, LUA_GCCOUNT, 0),
                  ResidentKb(), RegistrySize(L), HeapKb());
    }
    if (frame % options.every == 0 || frame == options.warmup || frame == options.frames) {
      MeasurableHeap(L);
      std::printf("soak: frame=%ld lua_kb=%d rss_kb=%ld heap_kb=%ld scripts=%zu level=%s\n", frame,
                  lua_gc(L, LUA_GCCOUNT, 0), ResidentKb(), HeapKb(), LuaComponent::LiveCount(),
                  level.c_str());
    }
    std::fflush(stdout);
    if (frame >= options.frames)
      engine.quit = true;
  }
};

int Play(const Options& options) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  FrameWatch watch{options, "", 0};
  GameHooks hooks;
  hooks.started = [&](Engine& engine) { StartDriver(engine, options.dwell); };
  hooks.frameDone = [&](Engine& engine, long frame) { watch.Frame(engine, frame); };
  int status = RunGame(hooks);
  std::printf("soak: game ended with status %d\n", status);
  return status;
}

// ---- The watching side --------------------------------------------------------------------

bool PrepareData(const Options& o, std::string& why) {
  std::error_code ec;
  fs::remove_all(o.work, ec);
  fs::create_directories(o.work, ec);
  fs::copy(o.data, o.work, fs::copy_options::recursive, ec);
  if (ec) {
    why = "cannot copy the data folder '" + o.data + "' to '" + o.work + "': " + ec.message();
    return false;
  }
  fs::copy_file(o.driver, fs::path(o.work) / "Scripts" / "SoakDriver.lua",
                fs::copy_options::overwrite_existing, ec);
  if (ec) {
    why = "cannot copy the soak driver '" + o.driver + "': " + ec.message();
    return false;
  }
  std::ofstream(fs::path(o.work) / "FrameRate.txt") << "999";
  return true;
}

struct Checkpoint {
  long frame = 0;
  long luaKb = 0;
  long rssKb = 0;
  long heapKb = 0;
};

// What the parent learns from the game's output.
struct Findings {
  std::vector<std::string> problems;
  std::vector<Checkpoint> checkpoints;
  // What each level held when it was entered, visit by visit.
  struct Visit {
    long frame = 0, scripts = 0, luaKb = 0, rssKb = 0, registry = 0, heapKb = 0;
  };
  std::map<std::string, std::vector<Visit>> visits;
  long errorLines = 0;
  long levelStarts = 0, levelsWon = 0, levelsFound = 0;

  void Problem(const std::string& what) {
    if (problems.size() < 20)
      problems.push_back(what);
  }

  void Line(const std::string& line) {
    if (line.find("Error:") != std::string::npos || line.find("Check failed") == 0 ||
        line.find("FMOD error!") != std::string::npos ||
        line.find("runtime error:") != std::string::npos ||
        line.find("Sanitizer") != std::string::npos) {
      ++errorLines;
      Problem("the game printed: " + line);
    }
    if (line.rfind("level start ", 0) == 0)
      ++levelStarts;
    else if (line.rfind("level won ", 0) == 0)
      ++levelsWon;
    else if (line.rfind("level found ", 0) == 0)
      ++levelsFound;
    if (line.rfind("soak: lua stack", 0) == 0)
      Problem(line.substr(6));
    char name[256];
    Visit v;
    Checkpoint c;
    if (std::sscanf(line.c_str(), "soak: frame=%ld lua_kb=%ld rss_kb=%ld heap_kb=%ld", &c.frame,
                    &c.luaKb, &c.rssKb, &c.heapKb) == 4)
      checkpoints.push_back(c);
    else if (std::sscanf(
                 line.c_str(),
                 "soak: level %255s frame=%ld scripts=%ld lua_kb=%ld rss_kb=%ld registry=%ld "
                 "heap_kb=%ld",
                 name, &v.frame, &v.scripts, &v.luaKb, &v.rssKb, &v.registry, &v.heapKb) == 7)
      visits[name].push_back(v);
  }
};

// Runs the game in the work folder, its standard output and error merged into one pipe.
int RunChild(const Options& o, const char* self, Findings& findings, std::FILE* log,
             bool& timedOut) {
  int fds[2];
  if (pipe(fds) != 0)
    return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    close(fds[1]);
    if (chdir(o.work.c_str()) != 0)
      _exit(126);
    std::string frames = std::to_string(o.frames), warmup = std::to_string(o.warmup),
                every = std::to_string(o.every), dwell = std::to_string(o.dwell);
    execl(self, self, "--play", "--frames", frames.c_str(), "--warmup", warmup.c_str(), "--every",
          every.c_str(), "--dwell", dwell.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(o.timeout);
  std::string line;
  char buffer[4096];
  timedOut = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) == 0) {
      timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break;
    std::fwrite(buffer, 1, static_cast<size_t>(got), log);
    for (ssize_t i = 0; i < got; ++i) {
      if (buffer[i] != '\n') {
        line.push_back(buffer[i]);
        continue;
      }
      findings.Line(line);
      if (line.rfind("soak: frame=", 0) == 0) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
      }
      line.clear();
    }
  }
  if (!line.empty())
    findings.Line(line);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// AddressSanitizer holds freed memory back in its quarantine, so process memory says nothing
// about leaks there; its leak checker does that job instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kJudgeResidentMemory = false;
#else
constexpr bool kJudgeResidentMemory = true;
#endif

std::string Percent(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f%%", value);
  return text;
}

double Growth(long from, long to) {
  return from > 0 ? 100.0 * static_cast<double>(to - from) / static_cast<double>(from) : 0.0;
}

// Each level, entered again after the warm-up, holds what it held the first time then: the same
// script components, the same registry references, no more Lua or process memory.
void JudgeLevels(const Options& o, Findings& f) {
  double worstLua = 0, worstRss = 0, worstHeap = 0;
  for (const auto& [level, visits] : f.visits) {
    const Findings::Visit* first = nullptr;
    for (const Findings::Visit& v : visits) {
      if (v.scripts != visits.front().scripts)
        f.Problem(level + " started with " + std::to_string(v.scripts) +
                  " script components at frame " + std::to_string(v.frame) + ", " +
                  std::to_string(visits.front().scripts) + " the first time");
      if (v.frame < o.warmup)
        continue;
      if (!first) {
        first = &v;
        continue;
      }
      if (v.registry > first->registry)
        f.Problem(level + " holds " + std::to_string(v.registry - first->registry) +
                  " more registry references at frame " + std::to_string(v.frame));
      worstLua = std::max(worstLua, Growth(first->luaKb, v.luaKb));
      worstRss = std::max(worstRss, Growth(first->rssKb, v.rssKb));
      worstHeap = std::max(worstHeap, Growth(first->heapKb, v.heapKb));
    }
  }
  // The heap at a level's start still holds what the level before left in the pools, so it
  // is shown (a leak of ours climbs visit after visit) but not judged.
  std::printf("soak: largest growth of one level between visits after frame %ld: Lua %+.2f%%, "
              "RSS %+.2f%%, malloc heap %+.2f%%\n",
              o.warmup, worstLua, worstRss, worstHeap);
  if (worstLua >= o.maxGrowth)
    f.Problem("a level's Lua memory grew by more than " + Percent(o.maxGrowth));
  if (worstRss >= o.maxGrowth && kJudgeResidentMemory)
    f.Problem("process memory at a level's start grew by more than " + Percent(o.maxGrowth));
}

void Judge(const Options& o, int status, bool timedOut, Findings& f) {
  if (timedOut)
    f.Problem("the game did not finish " + std::to_string(o.frames) + " frames within " +
              std::to_string(o.timeout) + " s");
  else if (WIFSIGNALED(status))
    f.Problem(std::string("the game was ended by signal ") + strsignal(WTERMSIG(status)));
  else if (WEXITSTATUS(status) != 0)
    f.Problem("the game exited with status " + std::to_string(WEXITSTATUS(status)));
  const Checkpoint* warm = nullptr;
  const Checkpoint* last = nullptr;
  for (const Checkpoint& c : f.checkpoints) {
    if (c.frame == o.warmup)
      warm = &c;
    if (c.frame == o.frames)
      last = &c;
  }
  if (!last) {
    f.Problem("the game never reached frame " + std::to_string(o.frames));
  } else if (warm && o.warmup < o.frames) {
    std::printf("soak: memory from frame %ld to %ld: Lua %ld -> %ld KB (%+.2f%%), RSS %ld -> %ld "
                "KB (%+.2f%%), malloc heap %ld -> %ld KB (%+.2f%%)\n",
                warm->frame, last->frame, warm->luaKb, last->luaKb,
                Growth(warm->luaKb, last->luaKb), warm->rssKb, last->rssKb,
                Growth(warm->rssKb, last->rssKb), warm->heapKb, last->heapKb,
                Growth(warm->heapKb, last->heapKb));
    // Lua memory and the heap depend on the level being played, so they are judged level by
    // level.
    if (Growth(warm->rssKb, last->rssKb) >= o.maxGrowth && kJudgeResidentMemory)
      f.Problem("process memory grew by more than " + Percent(o.maxGrowth));
  }
  JudgeLevels(o, f);
  std::printf("soak: levels visited:");
  for (const auto& [level, visits] : f.visits)
    std::printf(" %s x%zu", level.c_str(), visits.size());
  std::printf("\nsoak: level start %ld, won %ld, found %ld; error lines %ld\n", f.levelStarts,
              f.levelsWon, f.levelsFound, f.errorLines);
}

int WatchGame(const Options& o, const char* self) {
  Options run = o;
  if (run.work.empty())
    run.work = (fs::temp_directory_path() / ("vantix-soak-" + std::to_string(getpid()))).string();
  if (run.log.empty())
    run.log = run.work + ".log";
  std::string why;
  if (!PrepareData(run, why)) {
    std::fprintf(stderr, "vantix_soak: %s\n", why.c_str());
    return 2;
  }
  std::FILE* log = std::fopen(run.log.c_str(), "w");
  if (!log) {
    std::fprintf(stderr, "vantix_soak: cannot write the log '%s'\n", run.log.c_str());
    return 2;
  }
  std::printf("soak: %ld frames (memory compared from frame %ld), data in %s, log in %s\n",
              run.frames, run.warmup, run.work.c_str(), run.log.c_str());
  std::fflush(stdout);
  auto begin = std::chrono::steady_clock::now();
  Findings findings;
  bool timedOut = false;
  int status = RunChild(run, self, findings, log, timedOut);
  std::fclose(log);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  Judge(run, status, timedOut, findings);
  std::printf("soak: %.1f s, %.2f ms a frame\n", seconds, 1000.0 * seconds / run.frames);
  if (!findings.problems.empty()) {
    for (const std::string& p : findings.problems)
      std::printf("soak FAILED: %s\n", p.c_str());
    std::printf("soak: the game's output is in %s\n", run.log.c_str());
    return 1;
  }
  std::error_code ec;
  if (o.work.empty())
    fs::remove_all(run.work, ec);
  std::printf("soak passed\n");
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options))
    return 2;
  if (options.play)
    return Play(options);
  return WatchGame(options, fs::canonical("/proc/self/exe").c_str());
}
