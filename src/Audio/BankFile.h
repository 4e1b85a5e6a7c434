#pragma once
// The bank file format (docs/audio-banks.md): a text file of one statement per line. A master
// bank defines the buses, a strings bank maps event paths to event ids, an events bank holds the
// events themselves (their sound file, bus, volume, looping, streaming, fade-out and
// parameters). Reading is pure: no files, no device, so the reader can be fuzzed on its own.
#include <string>
#include <string_view>
#include <vector>

namespace audio {

// What a parameter's value changes while the event plays.
enum class ParameterEffect {
  Pitch,     // the playback rate, from `from` at the minimum to `to` at the maximum
  Volume,    // a gain factor, from `from` at the minimum to `to` at the maximum
  LoopStart, // where a looping stream restarts: value (0..1) times the sound's length
};

struct ParameterSpec {
  std::string name;
  float minimum = 0;
  float maximum = 1;
  float initial = 0;
  float seek = 0; // units per second the value moves toward a new one; 0 jumps at once
  ParameterEffect effect = ParameterEffect::Pitch;
  float from = 1;
  float to = 1;
};

struct EventSpec {
  std::string id;
  std::string file; // relative to the bank's folder
  std::string bus;
  float volume = 1;
  bool loop = false;
  bool stream = false;
  int fadeoutMs = 50;
  std::vector<ParameterSpec> parameters;
};

enum class BankKind { Master, Strings, Events };

struct BusSpec {
  std::string path;
  float volume = 1;
};

struct PathSpec {
  std::string path;
  std::string id;
};

struct BankSpec {
  BankKind kind = BankKind::Events;
  std::vector<BusSpec> buses;
  std::vector<PathSpec> paths;
  std::vector<EventSpec> events;
};

// The largest bank file read; anything longer is refused as malformed.
constexpr size_t kMaxBankBytes = 1 << 20;
// The highest volume a bank, or a caller of the layer, may give (four times unity gain).
constexpr float kMaxVolume = 4.0f;

// Reads a bank's text. On a problem returns false with `problem` set to "line N: <what>", or
// "not a bank: ..." when the file does not begin as a bank (the caller names the file).
bool ReadBank(std::string_view text, BankSpec& bank, std::string& problem);

} // namespace audio
