// Sound file decoding through libsndfile, converting to 16-bit with clipping (a lossy file may
// decode slightly above full scale, which a plain conversion would wrap round).
#include "Audio/SampleFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace audio {

SampleFile::~SampleFile() {
  Close();
}

Result SampleFile::Open(const std::string& path, std::string& problem) {
  Close();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    problem = "file not found";
    return Result::FileNotFound;
  }
  SF_INFO info{};
  file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    problem = std::string("not a sound file that can be decoded (") + sf_strerror(nullptr) + ")";
    return Result::BadSoundFile;
  }
  if (info.channels < 1 || info.channels > 2 || info.samplerate < 1000 ||
      info.samplerate > 192000 || info.frames <= 0) {
    problem = info.frames <= 0 ? "the file holds no samples"
                               : "only mono or stereo files of 1 to 192 kHz are played";
    Close();
    return Result::BadSoundFile;
  }
  format = {info.samplerate, info.channels, static_cast<int64_t>(info.frames)};
  return Result::Ok;
}

void SampleFile::Close() {
  if (file)
    sf_close(file);
  file = nullptr;
}

int64_t SampleFile::Read(int64_t frames, std::vector<int16_t>& out) {
  out.clear();
  if (!file || frames <= 0)
    return 0;
  scratch.resize(static_cast<size_t>(frames * format.channels));
  sf_count_t got = sf_readf_float(file, scratch.data(), frames);
  if (got <= 0)
    return 0;
  out.resize(static_cast<size_t>(got * format.channels));
  for (size_t i = 0; i < out.size(); ++i) {
    float v = scratch[i];
    v = std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
    out[i] = static_cast<int16_t>(std::lrint(v * 32767.0f));
  }
  return got;
}

bool SampleFile::Seek(int64_t frame) {
  return file && sf_seek(file, frame, SEEK_SET) == frame;
}

Result DecodeWhole(const std::string& path, SampleFormat& format, std::vector<int16_t>& pcm,
                   std::string& problem) {
  SampleFile file;
  Result result = file.Open(path, problem);
  if (result != Result::Ok)
    return result;
  format = file.Format();
  if (format.frames > kMaxDecodedFrames) {
    problem = "too long to be loaded whole; mark its event \"stream true\"";
    return Result::BadSoundFile;
  }
  int64_t got = file.Read(format.frames, pcm);
  if (got <= 0) {
    problem = "the samples cannot be decoded (the file is damaged)";
    return Result::BadSoundFile;
  }
  // A damaged tail leaves what decoded before it; the sound is then that much shorter.
  format.frames = got;
  return Result::Ok;
}

} // namespace audio
