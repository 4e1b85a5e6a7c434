#pragma once
// Sound files decoded through libsndfile (Ogg Vorbis, FLAC, WAV, ...), mono or stereo, as 16-bit
// samples: whole, for effects, or a block at a time, for streamed music.
#include <cstdint>
#include <string>
#include <vector>

#include "Audio/AudioResult.h"

typedef struct sf_private_tag SNDFILE;

namespace audio {

struct SampleFormat {
  int rate = 0;
  int channels = 0;
  int64_t frames = 0;
};

// A sound file opened for reading. Every failure leaves a message naming the problem (not the
// file, which the caller names).
class SampleFile {
public:
  SampleFile() = default;
  ~SampleFile();
  SampleFile(const SampleFile&) = delete;
  SampleFile& operator=(const SampleFile&) = delete;

  Result Open(const std::string& path, std::string& problem);
  void Close();
  bool IsOpen() const { return file != nullptr; }
  const SampleFormat& Format() const { return format; }

  // Decodes up to `frames` frames at the read position into `out` (interleaved, resized to what
  // was read). Returns the number of frames read; 0 at the end or on a decoding failure.
  int64_t Read(int64_t frames, std::vector<int16_t>& out);
  bool Seek(int64_t frame);
  // What the decoder last failed on, or "" (after a short read: the file merely ended).
  std::string DecodeError() const;

  // Makes sure the file decodes to the end its header gives: its last block is decoded. When it
  // does not, or the header gives no length (an Ogg file cut short loses the page that holds
  // it), the file is read through once and the format's length becomes what decodes; `damage`
  // then says what is wrong. Returns BadSoundFile when nothing decodes at all. The read position
  // is left at the start.
  Result CheckLength(std::string& damage);

private:
  SNDFILE* file = nullptr;
  std::string path;
  SampleFormat format;
  std::vector<float> scratch;
};

// The longest sound decoded whole (ten minutes at 48 kHz); longer ones must be streamed.
constexpr int64_t kMaxDecodedFrames = 48000LL * 600;

// The longest sound streamed (two hours at 48 kHz): a file whose header gives no length is
// read through at most this far to find its end.
constexpr int64_t kMaxStreamedFrames = 48000LL * 7200;

// Seconds, as the reports print them.
std::string SecondsText(int64_t frames, int rate);

// Decodes a whole file. On failure returns its result with `problem` set. A file that decodes
// only in part (it ends early or its tail is damaged) is Ok, holds what decoded, and `damage`
// says what is missing; otherwise `damage` is "".
Result DecodeWhole(const std::string& path, SampleFormat& format, std::vector<int16_t>& pcm,
                   std::string& problem, std::string& damage);

} // namespace audio
