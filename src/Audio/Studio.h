#pragma once
// The audio layer: banks of events played through OpenAL Soft.
//
// A `Studio` owns the output device, the loaded banks, the event descriptions they resolve to and
// the event instances made from them. Handles (`Bank`, `EventDescription`, `EventInstance`,
// `ParameterInstance`) are small values; one that is empty or whose object was released answers
// every call with Result::InvalidHandle, never a crash.
//
// Calls on instances change their state at once (what the getters report) and reach the mixer
// at the next `Studio::Update`, all together, so that a start and the volume set just after it
// are heard as one. An instance that plays is given one of the system's virtual channels; the
// loudest of those get the few real OpenAL sources, the others (and every silent or paused one)
// go on virtually, their timelines advancing with the clock, and are heard again from where they
// have got to when a source frees up. Without an output device every channel is virtual.
#include <cstdint>
#include <string>

#include "Audio/AudioResult.h"

namespace audio {

// The layer's interface version; `Studio::Create` refuses any other.
constexpr uint32_t kHeaderVersion = 0x00010705;

class Studio;
struct StudioState;

enum class PlaybackState { Playing, Stopping, Stopped };
enum class StopMode { AllowFadeout, Immediate };

class Bank {
public:
  bool IsValid() const;

private:
  friend class Studio;
  Studio* studio = nullptr;
  uint32_t index = 0;
};

class ParameterInstance {
public:
  // Sets the value the parameter moves toward (clamped to its range; NaN is refused).
  Result SetValue(float value);
  // The value last set (the one the parameter is moving toward).
  Result GetValue(float* value) const;
  bool IsValid() const;

private:
  friend class EventInstance;
  Studio* studio = nullptr;
  uint32_t instance = 0;
  uint32_t generation = 0;
  uint32_t parameter = 0;
};

class EventInstance {
public:
  // Plays from the start; an instance already playing restarts.
  Result Start();
  Result Stop(StopMode mode);
  Result SetPaused(bool paused);
  Result GetPaused(bool* paused) const;
  // NaN and negative volumes are taken as 0, volumes above kMaxVolume as kMaxVolume.
  Result SetVolume(float volume);
  Result GetVolume(float* volume) const;
  Result SetTimelinePosition(int milliseconds);
  Result GetTimelinePosition(int* milliseconds) const;
  Result GetParameter(const char* name, ParameterInstance* parameter) const;
  Result GetPlaybackState(PlaybackState* state) const;
  // Whether the instance is playing without a real source (silent, paused, or outnumbered).
  Result IsVirtual(bool* isVirtual) const;
  // Frees the instance once it has stopped; the handle is invalid at once.
  Result Release();
  bool IsValid() const;

private:
  friend class EventDescription;
  Studio* studio = nullptr;
  uint32_t index = 0;
  uint32_t generation = 0;
};

class EventDescription {
public:
  // Decodes the sound of an effect (or checks the file of a streamed one) now, so that starting
  // an instance never waits. A failure is reported once and remembered.
  Result LoadSampleData();
  Result CreateInstance(EventInstance* instance);
  Result GetPath(std::string* path) const;
  // The length of the event's sound in milliseconds (its sample data must be loaded).
  Result GetLength(int* milliseconds) const;
  bool IsValid() const;

private:
  friend class Studio;
  Studio* studio = nullptr;
  uint32_t index = 0;
};

// Settings that must be made before `Initialize`.
struct AdvancedSettings {
  int realVoices = 32;          // OpenAL sources at most (fewer if the device has fewer)
  int streamBlockFrames = 4096; // frames per buffer of a streamed sound
  int streamBlocks = 4;         // buffers queued per streamed sound
};

class Studio {
public:
  static Result Create(Studio** studio, uint32_t headerVersion);

  Result SetAdvancedSettings(const AdvancedSettings& settings);
  // Opens the default output device. Without one the result is NoDevice and the system goes on
  // silently; that failure is reported once, here.
  Result Initialize(int maxChannels, uint32_t studioFlags, uint32_t coreFlags,
                    void* extraDriverData);
  // Loads a bank file; the files its events name are relative to the bank's folder.
  Result LoadBankFile(const char* path, uint32_t flags, Bank* bank);
  Result GetEvent(const char* path, EventDescription* description);
  // Sends every change since the last call to the mixer, advances virtual channels, refills
  // streams and shares the real sources among the loudest channels.
  Result Update();
  // Releases every instance, the banks and the device, and deletes this object.
  Result Release();

  // The number of frames the device has mixed since it opened, and its rate (0 without one).
  Result GetOutputClock(int64_t* frames, int* rate) const;
  int RealVoiceCount() const;
  bool HasDevice() const;

private:
  friend class Bank;
  friend class EventDescription;
  friend class EventInstance;
  friend class ParameterInstance;
  friend struct StudioState;

  Studio();
  ~Studio();
  Studio(const Studio&) = delete;
  Studio& operator=(const Studio&) = delete;

  StudioState* state;
};

} // namespace audio
