// Wave-file capture of OpenAL Soft's mix, and the measurements the audio tests make on it.
#include "audio/AudioFixture.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "Audio/SampleFile.h"

namespace fs = std::filesystem;

namespace {
fs::path CaptureFolder() {
  static fs::path folder = fs::temp_directory_path() / ("vantix-mix-" + std::to_string(::getpid()));
  return folder;
}

uint32_t Le32(const std::string& s, size_t at) {
  return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
         static_cast<uint8_t>(s[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}
} // namespace

void UseWaveOutput() {
  static bool done = false;
  if (done)
    return;
  done = true;
  fs::create_directories(CaptureFolder());
  fs::path conf = CaptureFolder() / "alsoft.conf";
  // Mono 16-bit at the sounds' own rate, no limiter or dither: the mix holds exactly the sum
  // of the sources times their gains.
  std::ofstream(conf) << "[general]\n"
                         "drivers = wave\n"
                         "channels = mono\n"
                         "frequency = 22050\n"
                         "sample-type = int16\n"
                         "period_size = 256\n"
                         "periods = 2\n"
                         "output-limiter = false\n"
                         "dither = false\n"
                         "[wave]\n"
                         "file = "
                      << MixFile() << "\n";
  ::setenv("ALSOFT_CONF", conf.c_str(), 1);
  ::setenv("ALSOFT_DRIVERS", "wave", 1);
  std::atexit([] {
    std::error_code ec;
    fs::remove_all(CaptureFolder(), ec);
  });
}

std::string MixFile() {
  return (CaptureFolder() / "mix.wav").string();
}

Mix ReadMix() {
  Mix mix;
  std::ifstream in(MixFile(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0)
    return mix;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    std::string id = bytes.substr(at, 4);
    uint32_t size = Le32(bytes, at + 4);
    if (id == "fmt ")
      mix.rate = static_cast<int>(Le32(bytes, at + 12));
    if (id == "data") {
      // The writer may not have filled in the size; the samples run to the end of the file.
      size_t begin = at + 8;
      size_t count = (bytes.size() - begin) / 2;
      mix.samples.resize(count);
      for (size_t i = 0; i < count; ++i)
        mix.samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[begin + 2 * i]) |
                                              static_cast<uint8_t>(bytes[begin + 2 * i + 1]) << 8);
      break;
    }
    at += 8 + size + (size & 1);
  }
  return mix;
}

double Mix::Rms(int64_t from, int64_t to) const {
  from = std::max<int64_t>(0, from);
  to = std::min<int64_t>(static_cast<int64_t>(samples.size()), to);
  if (to <= from)
    return 0;
  double sum = 0;
  for (int64_t i = from; i < to; ++i)
    sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(to - from)) / 32768.0;
}

double Mix::Peak(int64_t from, int64_t to) const {
  from = std::max<int64_t>(0, from);
  to = std::min<int64_t>(static_cast<int64_t>(samples.size()), to);
  int peak = 0;
  for (int64_t i = from; i < to; ++i)
    peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  return peak / 32768.0;
}

double Mix::CrossingRate(int64_t from, int64_t to) const {
  from = std::max<int64_t>(1, from);
  to = std::min<int64_t>(static_cast<int64_t>(samples.size()), to);
  if (to <= from)
    return 0;
  int crossings = 0;
  for (int64_t i = from; i < to; ++i)
    if ((samples[i - 1] < 0) != (samples[i] < 0))
      ++crossings;
  return crossings * static_cast<double>(rate) / static_cast<double>(to - from);
}

int64_t MixClock(audio::Studio* studio) {
  int64_t frames = 0;
  int rate = 0;
  studio->GetOutputClock(&frames, &rate);
  return frames;
}

void SleepSeconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double NowSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double BestCorrelation(const std::vector<int16_t>& a, int64_t a0, const std::vector<int16_t>& b,
                       int64_t b0, int64_t length, int64_t slack) {
  double best = -1;
  for (int64_t lag = -slack; lag <= slack; ++lag) {
    int64_t start = b0 + lag;
    if (start < 0 || a0 < 0 || start + length > static_cast<int64_t>(b.size()) ||
        a0 + length > static_cast<int64_t>(a.size()))
      continue;
    double ab = 0, aa = 0, bb = 0;
    for (int64_t i = 0; i < length; ++i) {
      double x = a[a0 + i], y = b[start + i];
      ab += x * y;
      aa += x * x;
      bb += y * y;
    }
    if (aa > 0 && bb > 0)
      best = std::max(best, ab / std::sqrt(aa * bb));
  }
  return best;
}

std::vector<int16_t> DecodeData(const std::string& relative) {
  audio::SampleFormat format;
  std::vector<int16_t> pcm;
  std::string problem, damage;
  audio::DecodeWhole(DataFile(relative), format, pcm, problem, damage);
  return pcm;
}

SoundsFolder::SoundsFolder() {
  fs::copy(DataFile("Sounds"), Path() / "Sounds", fs::copy_options::recursive);
}

void WriteTone(const std::string& path, double frequency, double seconds, double amplitude,
               int format) {
  SF_INFO info{};
  info.samplerate = 22050;
  info.channels = 1;
  info.format = format ? format : SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  fs::create_directories(fs::path(path).parent_path());
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  std::vector<float> pcm(static_cast<size_t>(seconds * 22050));
  for (size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * frequency * i / 22050.0));
  sf_writef_float(file, pcm.data(), static_cast<sf_count_t>(pcm.size()));
  sf_close(file);
}
