#pragma once
#include <SDL.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "Core/Engine.h"
#include "Input/Input.h"
#include "Objects/EventHandler.h"
#include "support/TestSupport.h"

// Records every event it is connected to as "<name> <fields>", in delivery order.
class EventRecorder : public EventHandler {
public:
  int HandlerSpaceIndex() const override { return 0; }
  void HandleEvent(PolyEventBase& event, const std::string& function) override;
  void CallFunction(const std::string&) override {}

  // Connects to every event the input system raises, in the engine's "Main" space.
  void ConnectAll();
  // Takes the records so far.
  std::vector<std::string> Take();

  std::vector<std::string> records;
  // Runs inside the delivery, after the event is recorded.
  std::function<void(const std::string&)> onEvent;
};

// A headless engine (its dispatcher and spaces) with the input system started on SDL, and a
// recorder connected to all input events. Skips when SDL video cannot start.
class InputTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Pushes events into the real SDL queue.
  static void PushKey(bool down, SDL_Keycode sym, bool repeat = false);
  static void PushButton(bool down, uint8_t button);
  static void PushMotion(int x, int y);
  static void PushWheel(int x, int y);
  static void PushWindow(uint8_t id, int data1 = 0, int data2 = 0);

  // One input frame; returns what it raised.
  std::vector<std::string> Frame();

  std::unique_ptr<ScratchDir> dir;
  std::unique_ptr<Engine> engine;
  EventRecorder recorder;
  bool started = false;
};

// One rumble request as the input system passed it to the device.
struct Rumble {
  float strength;
  uint32_t milliseconds;
  bool operator==(const Rumble&) const = default;
};

// A rumble device that logs what it is asked to play.
class RecordingRumble : public Input::RumbleDevice {
public:
  explicit RecordingRumble(std::vector<Rumble>* log) : played(log) {}
  void Play(float strength, uint32_t milliseconds) override {
    played->push_back({strength, milliseconds});
  }
  std::vector<Rumble>* played;
};

// The input event names the recorder listens to.
extern const char* const kInputEventNames[];
