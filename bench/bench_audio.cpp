// The audio system on the game's sounds, mixing through OpenAL Soft's wave-file writer: the cost
// of one frame of `Sounds::Update` (three calls, one per space, as the main loop makes them)
// with the theme streaming and effects playing, and the delay from `PlaySound` to the first
// non-silent sample of the mixed output.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "Audio/Sounds.h"

namespace fs = std::filesystem;

namespace {
fs::path Scratch() {
  static fs::path dir =
      fs::temp_directory_path() / ("vantix-bench-audio-" + std::to_string(::getpid()));
  return dir;
}

// Runs in a scratch copy of the sounds, with the mix written to a wave file there.
void Prepare() {
  fs::create_directories(Scratch());
  fs::copy(fs::path(VANTIX_DATA_DIR) / "Sounds", Scratch() / "Sounds", fs::copy_options::recursive);
  std::ofstream(Scratch() / "alsoft.conf")
      << "[general]\ndrivers = wave\nchannels = mono\nfrequency = 22050\nsample-type = int16\n"
         "period_size = 256\nperiods = 2\noutput-limiter = false\n[wave]\nfile = "
      << (Scratch() / "mix.wav").string() << "\n";
  ::setenv("ALSOFT_CONF", (Scratch() / "alsoft.conf").c_str(), 1);
  ::setenv("ALSOFT_DRIVERS", "wave", 1);
  fs::current_path(Scratch());
}

int64_t Clock(Sounds& sounds) {
  int64_t frames = 0;
  int rate = 0;
  sounds.StudioSystem()->GetOutputClock(&frames, &rate);
  return frames;
}

void Frame(Sounds& sounds) {
  for (int space = 0; space < 3; ++space)
    sounds.Update(0.016f, nullptr);
}

void BM_SoundsUpdateFrame(benchmark::State& state) {
  Sounds sounds;
  sounds.Initialize();
  int frame = 0;
  for (auto _ : state) {
    if (frame % 20 == 0)
      sounds.PlaySound(frame % 40 == 0 ? "playermove" : "enemymove");
    if (frame % 90 == 0)
      sounds.SiphonSoundCall();
    ++frame;
    Frame(sounds);
  }
  sounds.Shutdown();
}
BENCHMARK(BM_SoundsUpdateFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Plays "cantping" twenty times at 60 frames a second and finds each start in the mix. The
// writer mixes a period ahead of the wall clock, so the moment mix frame f is played is
// t0 + f / rate, t0 being the latest wall time minus the clock seen over all the frames.
void MeasureStartDelay() {
  Sounds sounds;
  sounds.Initialize();
  sounds.SetMusicVolume(0);
  double t0 = -1e300;
  auto observe = [&] { t0 = std::max(t0, Now() - static_cast<double>(Clock(sounds)) / 22050.0); };
  auto frameFor = [&](double seconds) {
    double end = Now() + seconds;
    while (Now() < end) {
      Frame(sounds);
      observe();
      std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
  };
  frameFor(0.2);
  std::vector<double> calls;
  for (int i = 0; i < 20; ++i) {
    std::this_thread::sleep_for(std::chrono::microseconds(1000 * (i % 7)));
    calls.push_back(Now());
    sounds.PlaySound("cantping");
    Frame(sounds);
    frameFor(0.15);
    sounds.InstanceOf("cantping").Stop(audio::StopMode::Immediate);
    frameFor(0.1);
  }
  sounds.Shutdown();

  std::ifstream in(Scratch() / "mix.wav", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t data = bytes.find("data");
  if (data == std::string::npos) {
    std::printf("start delay: no mix was written\n");
    return;
  }
  auto sample = [&](int64_t i) {
    size_t at = data + 8 + 2 * static_cast<size_t>(i);
    if (at + 1 >= bytes.size())
      return -1;
    auto v = static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) |
                                  static_cast<uint8_t>(bytes[at + 1]) << 8);
    return std::abs(static_cast<int>(v));
  };
  std::vector<double> delays;
  for (double call : calls) {
    auto from = static_cast<int64_t>((call - t0) * 22050.0) - 2205; // from 0.1 s before
    for (int64_t i = std::max<int64_t>(0, from); i < from + 22050; ++i) {
      int v = sample(i);
      if (v < 0)
        break;
      if (v > 32) { // -60 dBFS
        delays.push_back((t0 + static_cast<double>(i) / 22050.0 - call) * 1000.0);
        break;
      }
    }
  }
  if (delays.empty()) {
    std::printf("start delay: no start was heard\n");
    return;
  }
  std::sort(delays.begin(), delays.end());
  std::printf(
      "PlaySound (then the frame's Update) to the first non-silent mixed sample, %zu of %zu "
      "starts heard: median %.1f ms, min %.1f ms, max %.1f ms (mixer period 11.6 ms)\n",
      delays.size(), calls.size(), delays[delays.size() / 2], delays.front(), delays.back());
}
} // namespace

int main(int argc, char** argv) {
  Prepare();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  MeasureStartDelay();
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  fs::remove_all(Scratch(), ec);
  return 0;
}
