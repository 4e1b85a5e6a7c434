#pragma once
// Result codes of the audio layer. Every call returns one; 0 is success. The numbers are what
// the audio system prints in its "FMOD error! (%d)" reports, so they never change meaning.
#include <cstdint>

namespace audio {

enum class Result : int32_t {
  Ok = 0,
  FileNotFound = 1,      // a bank or sound file does not exist
  MalformedBank = 2,     // a bank file could not be read as a bank (its report names the line)
  EventNotFound = 3,     // no loaded bank resolves the event path (or its event or bus)
  InvalidHandle = 4,     // the handle is empty, or its object was released
  NoDevice = 5,          // no output device: everything still works, silently
  ParameterNotFound = 6, // the event has no parameter of that name
  BadSoundFile = 7,      // a sound file exists but cannot be decoded
  AlreadyLoaded = 8,     // that bank file is loaded already
  NotInitialized = 9,    // the system was not initialised (or was initialised twice)
  NoFreeChannel = 10,    // every virtual channel is busy
  HeaderMismatch = 11,   // the caller was built against another version of the layer
  InvalidArgument = 12,  // a value out of its range (a channel count, a NaN parameter value)
};

// A short English description of a result, for messages.
const char* ResultText(Result result);

inline int32_t Code(Result result) {
  return static_cast<int32_t>(result);
}

} // namespace audio
