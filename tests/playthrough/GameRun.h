#pragma once
// The real program (the game's own run: window, GL, sound, scripts, frame limiter) on a scratch
// copy of the game's data, driven from its frame hook by a list of steps that push real SDL
// events into SDL's queue and wait on what the game prints on standard output or publishes on
// its turn controller. Every wait is bounded: a run that stalls quits and names the step.
#include <SDL.h>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/TestSupport.h"

class Engine;
class Space;

class GameRun {
public:
  // One thing to do, called once a frame until it returns true; the next step starts the
  // frame after.
  struct Step {
    std::string name;
    std::function<bool()> run;
  };

  // Lays out the data copy in the scratch folder (the frame rate uncapped). `speed` makes the
  // game's clock run that many times faster, so eased animations still play out in full.
  explicit GameRun(double speed);
  // A later run of the program on the data folder of an earlier one (at its speed), with what
  // that run saved.
  static std::unique_ptr<GameRun> After(const GameRun& earlier);
  ~GameRun();

  // Steps at the end of the list; Next puts steps right after the one running now.
  void Add(const std::string& name, std::function<bool()> run);
  void Do(const std::string& name, std::function<void()> action);
  void WaitFor(const std::string& name, std::function<bool()> condition);
  // Waits for a line on standard output equal to `line`, printed after the line last waited for.
  void WaitForLine(const std::string& line);
  void Next(std::vector<Step> steps);

  // Runs the program until it quits; false (with the reason in `problems`) when the steps
  // were not all done within `seconds` or the program quit early.
  bool Run(int seconds);

  // What the program printed on standard output, line by line.
  const std::vector<std::string>& Lines() const { return lines; }
  // The game's log: the lines that start with "level " or "game ".
  std::vector<std::string> LogLines() const;
  // Lines that report errors ("Error" anywhere in them).
  std::vector<std::string> Errors() const;

  // The running game's pieces, valid inside steps.
  Engine& TheEngine() const { return *engine; }
  Space& Main() const;
  // A field the turn controller publishes ("Phase", "Turn", ...), as text; "nil" without one.
  std::string State(const std::string& field) const;
  // A field of a script component of the named object of a space, as text; "nil" without one.
  std::string Field(const Space* space, const std::string& object, const std::string& component,
                    const std::string& field) const;
  int StateInt(const std::string& field) const { return std::atoi(State(field).c_str()); }
  std::string Level() const;
  long Frames() const { return frames; }

  // Real SDL events, pushed into SDL's queue for the next frame's pump.
  static void PushKey(bool down, SDL_Keycode key);
  static void PushMotion(int x, int y);
  static void PushMouseButton(bool down, int x, int y);
  // The window pixel where a world point of a space (the Main space without one) shows: through
  // the space's camera, or the default 10-unit view without one, letter-boxed in the window.
  void PixelOf(float x, float y, int& px, int& py, const Space* space = nullptr) const;

  std::vector<std::string> problems;
  std::shared_ptr<ScratchDir> dir;
  // The level the program starts on instead of the splash, when set.
  std::string startLevel;

private:
  explicit GameRun(std::shared_ptr<ScratchDir> data);
  void Frame(Engine& running, long frameNumber);
  void ReadOutput();

  std::deque<Step> steps;
  std::vector<Step> inserted;
  std::vector<std::string> lines;
  size_t lineWaitedFor = 0;
  std::string partial;
  std::string outputPath;
  long outputRead = 0;
  Engine* engine = nullptr;
  long frames = 0;
  long stepFrames = 0;
  double deadline = 0;
  bool timedOut = false;
};
