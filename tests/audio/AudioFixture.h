#pragma once
// What the audio tests share: OpenAL Soft writing its mix to a wave file (set up once per process,
// before any device opens, and rewritten each time a device opens), reading that mix back, and
// levels measured over stretches of it.
#include <cstdint>
#include <string>
#include <vector>

#include "Audio/Studio.h"
#include "support/TestSupport.h"

// Points OpenAL Soft at its wave-file writer. Must run before the process's first audio call.
void UseWaveOutput();
// The wave file the device writes (complete once the device has closed).
std::string MixFile();

struct Mix {
  int rate = 0;
  std::vector<int16_t> samples; // mono
  // Level of frames [from, to) as a share of full scale.
  double Rms(int64_t from, int64_t to) const;
  double Peak(int64_t from, int64_t to) const;
  // Zero crossings per second over [from, to): a rough pitch.
  double CrossingRate(int64_t from, int64_t to) const;
};

// Reads the mixed output back; empty when there is no file.
Mix ReadMix();

// The device clock in frames (where in the mix file the next change will be heard).
int64_t MixClock(audio::Studio* studio);

// Calls `update` about every 10 ms for the given time.
template <class F> void Pump(double seconds, F update);
void SleepSeconds(double seconds);
double NowSeconds();

// Milliseconds since it was made: what a timeline should have advanced by, however late the
// test's own frames ran on a busy machine.
struct Stopwatch {
  double start = NowSeconds();
  double Ms() const { return (NowSeconds() - start) * 1000.0; }
};

// The best normalised correlation of `b` (at b0) against `a` (at a0) over `length` frames,
// letting b start up to `slack` frames earlier or later.
double BestCorrelation(const std::vector<int16_t>& a, int64_t a0, const std::vector<int16_t>& b,
                       int64_t b0, int64_t length, int64_t slack);

// Decodes a sound file of the game data (whole, mono 16-bit).
std::vector<int16_t> DecodeData(const std::string& relative);

// A scratch folder holding a copy of the game's "Sounds/" folder, to run in or to damage.
class SoundsFolder : public ScratchDir {
public:
  SoundsFolder();
};

// Writes a mono 22050 Hz sine tone; `format` is a libsndfile major and minor format (16-bit
// WAV when 0).
void WriteTone(const std::string& path, double frequency, double seconds, double amplitude,
               int format = 0);

template <class F> void Pump(double seconds, F update) {
  double end = NowSeconds() + seconds;
  do {
    update();
    SleepSeconds(0.01);
  } while (NowSeconds() < end);
}
