// Sound file decoding through libsndfile, converting to 16-bit with clipping (a lossy file may
// decode slightly above full scale, which a plain conversion would wrap round).
#include "Audio/SampleFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace audio {

SampleFile::~SampleFile() {
  Close();
}

namespace {
// libsndfile's messages read "Error : <what>." or "<What>."; a report gives them in its own
// sentence.
std::string Reason(std::string text) {
  if (text.rfind("Error : ", 0) == 0)
    text.erase(0, 8);
  if (!text.empty() && text.back() == '.')
    text.pop_back();
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' &&
      !(text.size() > 1 && text[1] >= 'A' && text[1] <= 'Z'))
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}
} // namespace

Result SampleFile::Open(const std::string& path, std::string& problem) {
  Close();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    problem = "file not found";
    return Result::FileNotFound;
  }
  SF_INFO info{};
  file = sf_open(path.c_str(), SFM_READ, &info);
  this->path = path;
  if (!file) {
    problem = "the file cannot be decoded: " + Reason(sf_strerror(nullptr));
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

std::string SampleFile::DecodeError() const {
  if (!file || sf_error(file) == SF_ERR_NO_ERROR)
    return "";
  return Reason(sf_strerror(file));
}

std::string SecondsText(int64_t frames, int rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", rate > 0 ? static_cast<double>(frames) / rate : 0.0);
  return text;
}

namespace {
// libsndfile's length for a file whose header gives none.
bool LengthUnknown(int64_t frames) {
  return frames >= SF_COUNT_MAX;
}
} // namespace

Result SampleFile::CheckLength(std::string& damage) {
  damage.clear();
  if (!file)
    return Result::BadSoundFile;
  constexpr int64_t kBlock = 4096;
  std::vector<int16_t> pcm;
  bool unknown = LengthUnknown(format.frames);
  if (!unknown) {
    int64_t tail = std::min(format.frames, kBlock);
    if (Seek(format.frames - tail) && Read(tail, pcm) == tail && Seek(0))
      return Result::Ok;
  }
  // A failed decoder may not seek back; a fresh one reads from the start.
  std::string problem;
  SampleFormat promised = format;
  if (Open(path, problem) != Result::Ok)
    return Result::BadSoundFile;
  int64_t decoded = 0;
  int64_t limit = unknown ? kMaxStreamedFrames : promised.frames;
  while (decoded < limit) {
    int64_t got = Read(std::min(kBlock, limit - decoded), pcm);
    if (got <= 0)
      break;
    decoded += got;
  }
  std::string error = DecodeError();
  if (decoded <= 0 || Open(path, problem) != Result::Ok)
    return Result::BadSoundFile;
  format.frames = decoded;
  if (unknown)
    damage = "the file is cut short: only " + SecondsText(decoded, format.rate) + " of it decode";
  else
    damage = "the file ends early: " + SecondsText(decoded, format.rate) + " of the " +
             SecondsText(promised.frames, format.rate) + " its header gives decode";
  if (!error.empty())
    damage += " (" + error + ")";
  return Result::Ok;
}

Result DecodeWhole(const std::string& path, SampleFormat& format, std::vector<int16_t>& pcm,
                   std::string& problem, std::string& damage) {
  damage.clear();
  SampleFile file;
  Result result = file.Open(path, problem);
  if (result != Result::Ok)
    return result;
  format = file.Format();
  bool unknown = LengthUnknown(format.frames);
  if (format.frames > kMaxDecodedFrames && !unknown) {
    problem = "too long to be loaded whole; mark its event \"stream true\"";
    return Result::BadSoundFile;
  }
  int64_t got = 0;
  if (unknown) {
    // A file cut short gives no length: it is read a block at a time to its end, as far as a
    // whole sound may be.
    pcm.clear();
    std::vector<int16_t> block;
    while (got < kMaxDecodedFrames) {
      int64_t read = file.Read(std::min<int64_t>(65536, kMaxDecodedFrames - got), block);
      if (read <= 0)
        break;
      pcm.insert(pcm.end(), block.begin(), block.end());
      got += read;
    }
  } else {
    got = file.Read(format.frames, pcm);
  }
  if (got <= 0) {
    problem = "the file cannot be decoded: its samples are damaged";
    return Result::BadSoundFile;
  }
  // A damaged tail leaves what decoded before it; the sound is then that much shorter.
  std::string error = file.DecodeError();
  if (unknown)
    damage = "the file is cut short: only " + SecondsText(got, format.rate) + " of it decode";
  else if (got < format.frames)
    damage = "the file ends early: " + SecondsText(got, format.rate) + " of the " +
             SecondsText(format.frames, format.rate) + " its header gives decode";
  if (!damage.empty() && !error.empty())
    damage += " (" + error + ")";
  format.frames = got;
  return Result::Ok;
}

} // namespace audio
