// The frame timer: the frame-rate setting file, the performance counter and the frame limiter.
#include "Core/FrameTimer.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "Utilities/Check.h"

namespace FrameTimer {
int64_t frameStart = 0;
int64_t counterFrequency = 1;
int64_t targetFrameUnits = 1666;

namespace {
constexpr int kDefaultRate = 60;
int64_t g_waitEnded = 0; // counter when the last wait reached its deadline; 0 before any
} // namespace

int ReadFrameRate(const std::string& path) {
  std::FILE* fp = std::fopen(path.c_str(), "r");
  if (!fp) {
    if (std::FILE* out = std::fopen(path.c_str(), "w")) {
      std::fputs("60", out);
      std::fclose(out);
    }
    return kDefaultRate;
  }
  char text[4] = {0, 0, 0, 0};
  // At most three characters of the first line.
  for (int i = 0; i < 3; ++i) {
    int c = std::fgetc(fp);
    if (c == EOF || c == '\n' || c == '\r')
      break;
    text[i] = static_cast<char>(c);
  }
  std::fclose(fp);
  int rate = std::atoi(text);
  if (rate <= 0) {
    std::fprintf(stderr, "%s: \"%s\" is not a positive frame rate, using %d\n", path.c_str(),
                 Printable(text).c_str(), kDefaultRate);
    rate = kDefaultRate;
  }
  return rate;
}

void Start(const std::string& path) {
  targetFrameUnits = 100000 / static_cast<int64_t>(ReadFrameRate(path));
  counterFrequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  if (counterFrequency <= 0)
    counterFrequency = 1;
  g_waitEnded = 0;
}

int64_t Now() {
  return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

void BeginFrame() {
  int64_t now = Now();
  // Work done after the last wait ended (the step's event, the loop's own return) belongs to
  // this frame: the frame starts where that wait ended, so the period is held from deadline to
  // deadline instead of growing by that work. After a longer gap (a load, a pause) it starts now.
  int64_t frameTicks = targetFrameUnits * counterFrequency / 100000;
  if (g_waitEnded != 0 && now >= g_waitEnded && now - g_waitEnded < frameTicks)
    frameStart = g_waitEnded;
  else
    frameStart = now;
}

bool sleepBeforeSpin = true;
int64_t sleepMarginUnits = kSleepMarginStart;

namespace {
// Multiply before dividing, as the frame units are finer than a millisecond. The product is
// split to keep it inside 64 bits for long runs on fast counters.
int64_t ElapsedUnits(int64_t now = Now()) {
  int64_t ticks = now - frameStart;
  return (ticks / counterFrequency) * 100000 +
         (ticks % counterFrequency) * 100000 / counterFrequency;
}

// Sleeps until `margin` before the deadline. The margin follows how late the system wakes the
// thread: it grows at once to cover a late wake-up and shrinks slowly back, so one busy moment
// of the machine does not cost every later frame its sleep.
void SleepMostOfTheWait(int64_t elapsed) {
  int64_t sleepUnits = targetFrameUnits - elapsed - sleepMarginUnits;
  if (sleepUnits <= 0)
    return;
  int64_t before = ElapsedUnits();
  std::this_thread::sleep_for(std::chrono::microseconds(sleepUnits * 10));
  int64_t late = ElapsedUnits() - before - sleepUnits;
  int64_t wanted = late + kSleepMarginStart / 2;
  if (wanted > sleepMarginUnits)
    sleepMarginUnits = wanted < targetFrameUnits ? wanted : targetFrameUnits;
  else if (sleepMarginUnits > kSleepMarginStart)
    sleepMarginUnits -= (sleepMarginUnits - kSleepMarginStart + 15) / 16;
}
} // namespace

float WaitForFrameEnd() {
  int64_t elapsed = ElapsedUnits();
  if (sleepBeforeSpin && elapsed < targetFrameUnits)
    SleepMostOfTheWait(elapsed);
  // The last stretch is a busy wait on the counter: that is what holds the period to 10 us.
  int64_t now = Now();
  elapsed = ElapsedUnits(now);
  while (elapsed < targetFrameUnits) {
    now = Now();
    elapsed = ElapsedUnits(now);
  }
  g_waitEnded = now;
  return static_cast<float>(elapsed) / 100000.0f;
}
} // namespace FrameTimer
