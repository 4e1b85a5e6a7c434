// The art list: its lines, the image decoding spread over worker threads, and the texture table.
#include "Graphics/ArtList.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

#include "Utilities/Check.h"
#include "Utilities/Paths.h"

namespace ArtList {
namespace {
const char* kModule = "Graphics\\ArtList";

void ReportLine(const char* rule, int line, const std::string& listName, size_t lineNumber,
                const std::string& problem) {
  ReportCheck(rule, kModule, line,
              "art list " + listName + " line " + std::to_string(lineNumber) + ": " + problem);
}

bool ParseInt(const std::string& token, int& out) {
  char* end = nullptr;
  long value = std::strtol(token.c_str(), &end, 10);
  if (token.empty() || *end != '\0' || value < -2147483647L - 1 || value > 2147483647L)
    return false;
  out = static_cast<int>(value);
  return true;
}

bool ParseFloat(const std::string& token, float& out) {
  char* end = nullptr;
  out = std::strtof(token.c_str(), &end);
  return !token.empty() && *end == '\0';
}
} // namespace

std::vector<Entry> Parse(const std::string& listName, const std::string& text) {
  std::vector<Entry> entries;
  std::istringstream lines(text);
  std::string line;
  size_t lineNumber = 0;
  std::set<std::string> seen;
  while (std::getline(lines, line)) {
    ++lineNumber;
    std::istringstream fields(line);
    std::vector<std::string> tokens;
    std::string token;
    while (fields >> token)
      tokens.push_back(token);
    if (tokens.empty())
      continue;

    if (tokens[0].size() > kMaxNameLength) {
      ReportLine("name fits its field", __LINE__, listName, lineNumber,
                 "the name has " + std::to_string(tokens[0].size()) + " characters (at most " +
                     std::to_string(kMaxNameLength) + ")");
      continue;
    }
    if (tokens.size() != 5 || tokens[1].size() != 1) {
      ReportLine("entry has five fields", __LINE__, listName, lineNumber,
                 "expected \"name flag frame-width frame-count seconds-per-frame\"");
      continue;
    }
    Entry entry;
    entry.name = tokens[0];
    if (!seen.insert(entry.name).second) {
      ReportLine("name listed once", __LINE__, listName, lineNumber,
                 entry.name + " is listed twice; the first entry is kept");
      continue;
    }
    // A line of the right shape names its image: bad numbers are reported and replaced, and the
    // image is still listed and loaded.
    int aniwidth = 0, frames = 0;
    float seconds = 0.0f;
    if (!ParseInt(tokens[2], aniwidth) || aniwidth <= 0) {
      ReportLine("frame width is a positive whole number", __LINE__, listName, lineNumber,
                 entry.name + ": frame width \"" + tokens[2] +
                     "\"; the image's width over its frame count is used");
      aniwidth = 0;
      entry.widthFromImage = true;
    }
    if (!ParseInt(tokens[3], frames) || frames <= 0) {
      ReportLine("frame count is a positive whole number", __LINE__, listName, lineNumber,
                 entry.name + ": frame count \"" + tokens[3] + "\"; one frame is used");
      frames = 1;
    }
    if (!ParseFloat(tokens[4], seconds) || !std::isfinite(seconds) || seconds < 0.0f) {
      ReportLine("seconds per frame is a number", __LINE__, listName, lineNumber,
                 entry.name + ": seconds per frame \"" + tokens[4] + "\"; 0 is used");
      seconds = 0.0f;
    }
    entry.texture.filename_ = std::string(kArtFolder) + entry.name;
    entry.texture.does_animate_ = tokens[1][0] != '\0';
    entry.texture.aniwidth_ = static_cast<unsigned>(aniwidth);
    entry.texture.frame_count_ = static_cast<unsigned>(frames);
    entry.texture.base_fps_ = seconds;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<size_t> SliceSizes(size_t count, unsigned threads) {
  if (threads == 0)
    threads = 1;
  float chunk =
      std::ceil(static_cast<float>(count + count % threads) / static_cast<float>(threads));
  size_t per = static_cast<size_t>(chunk);
  std::vector<size_t> slices;
  size_t left = count;
  for (unsigned i = 0; i < threads; ++i) {
    size_t take = per < left ? per : left;
    slices.push_back(take);
    left -= take;
  }
  return slices;
}

void Decode(TextureRecord& record) {
  ImageDecoder::Arena scratch;
  ImageDecoder::Image image = ImageDecoder::DecodeFile(scratch, record.texture.filename_);
  if (!image.pixels) {
    record.problem = ImageDecoder::Describe(image);
    return;
  }
  size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4;
  auto* pixels = static_cast<unsigned char*>(std::malloc(bytes));
  if (!pixels)
    return;
  std::memcpy(pixels, image.pixels, bytes);
  record.width = image.width;
  record.height = image.height;
  record.pixels = pixels;
}

namespace {
// Room for decoding a small image; larger ones get scratch memory of their own.
constexpr size_t kScratchStart = size_t(1) << 20;

// Waits until `value` differs from `old`. The waits here are short (a list being parsed, the
// last images of another worker), and a thread that sleeps for one leaves its core idle: on a
// virtual machine waking an idle core costs tens of microseconds, as much as decoding a small
// image. So it spins for a while first, and sleeps only if the wait goes on.
template <class T> void AwaitChange(const std::atomic<T>& value, T old) {
  constexpr auto kSpin = std::chrono::microseconds(500);
  auto until = std::chrono::steady_clock::now() + kSpin;
  for (unsigned i = 1; value.load(std::memory_order_acquire) == old; ++i) {
    if (i % 64 == 0 && std::chrono::steady_clock::now() > until) {
      value.wait(old, std::memory_order_acquire);
      return;
    }
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
}
} // namespace

namespace {
// Reports an image that did not decode, or hands the decoded record to the upload; its pixels
// are not its own to free.
void FinishRecord(TextureRecord& record, const Upload& upload) {
  if (!record.pixels) {
    std::string key = record.texture.filename_.substr(kArtPrefixLength);
    ReportCheck("image decodes", kModule, __LINE__,
                record.texture.filename_ + ": " +
                    (record.problem.empty() ? "the image cannot be decoded" : record.problem) +
                    (key == kFallbackName
                         ? "; it is the fallback image, so sprites whose texture is unknown draw "
                           "untextured"
                         : "; sprites using it draw untextured"));
    return;
  }
  if (record.widthFromImage)
    record.texture.aniwidth_ = static_cast<unsigned>(record.width) / record.texture.Frames();
  if (upload)
    upload(record);
  record.pixels = nullptr;
}
} // namespace

namespace {
void ReportMissingFallback(const std::string& listPath,
                           const std::map<std::string, TextureRecord>& table) {
  if (table.count(kFallbackName) == 0)
    ReportCheck("fallback image listed", kModule, __LINE__,
                listPath + ": " + kFallbackName +
                    " is not listed; sprites whose texture is unknown draw untextured");
}
} // namespace

Decoding::Decoding(const std::string& list, unsigned threadCount, bool finisherDecodes)
    : listPath(list),
      threads(threadCount == 0 ? std::thread::hardware_concurrency() : threadCount) {
  if (threads == 0)
    threads = 1;
  std::ifstream in(HostPath(listPath));
  if (!in)
    return;
  opened = true;

  // The workers start before the list is read: starting a thread and first touching its memory
  // cost about as much as parsing and sizing a short list, and now happen meanwhile. They wait
  // for the order below before taking any image.
  if (threads > 1) {
    unsigned count = finisherDecodes ? threads - 1 : threads;
    kept = std::vector<ImageDecoder::Arena>(count + 1);
    scratch = std::vector<ImageDecoder::Arena>(count + 1);
    workers.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
      running.fetch_add(1, std::memory_order_relaxed);
      try {
        workers.emplace_back(&Decoding::Work, this, i, true);
      } catch (const std::system_error&) {
        running.fetch_sub(1, std::memory_order_relaxed);
        break; // the finishing thread decodes what no worker took
      }
    }
  }

  std::stringstream text;
  text << in.rdbuf();
  entries = Parse(listPath, text.str());
  if (threads > 1) {
    records.resize(entries.size());
    std::vector<uintmax_t> sizes(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      records[i].texture = entries[i].texture;
      records[i].widthFromImage = entries[i].widthFromImage;
      std::error_code ec;
      sizes[i] = std::filesystem::file_size(HostPath(entries[i].texture.filename_), ec);
      if (ec)
        sizes[i] = 0;
      order.push_back(i);
    }
    // The largest first, so that no large image is left to one worker at the end.
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
  }
  ready.store(true, std::memory_order_release);
  ready.notify_all();
}

Decoding::~Decoding() {
  // A list that failed to parse part-way still lets the workers go.
  ready.store(true, std::memory_order_release);
  ready.notify_all();
  Join();
}

void Decoding::Join() {
  for (std::thread& worker : workers)
    if (worker.joinable())
      worker.join();
  workers.clear();
}

void Decoding::Work(size_t slot, bool wait) {
  ImageDecoder::Arena& into = kept[slot];
  ImageDecoder::Arena& own = scratch[slot];
  own.Borrow(into, kScratchStart);
  if (wait)
    AwaitChange(ready, false);
  for (;;) {
    size_t at = next.fetch_add(1, std::memory_order_relaxed);
    if (at >= order.size()) {
      // The finishing thread's own pass ends here too, and counts for nothing.
      if (wait && running.fetch_sub(1, std::memory_order_release) == 1)
        running.notify_all();
      return;
    }
    TextureRecord& record = records[order[at]];
    own.Reset();
    ImageDecoder::Image image = ImageDecoder::DecodeFile(own, record.texture.filename_, &into);
    if (!image.pixels) {
      record.problem = ImageDecoder::Describe(image);
      continue;
    }
    record.width = image.width;
    record.height = image.height;
    record.pixels = image.pixels;
  }
}

bool Decoding::Finish(Table& table, std::vector<std::string>& names, const Upload& upload) {
  if (finished)
    return false;
  finished = true;
  if (!opened) {
    std::printf("Failed to open the art asset file %s\n", listPath.c_str());
    std::fflush(stdout);
    return false;
  }

  if (threads <= 1) {
    ImageDecoder::Arena scratch;
    for (Entry& entry : entries) {
      TextureRecord record;
      record.texture = entry.texture;
      record.widthFromImage = entry.widthFromImage;
      scratch.Reset();
      ImageDecoder::Image image = ImageDecoder::DecodeFile(scratch, record.texture.filename_);
      if (image.pixels) {
        record.width = image.width;
        record.height = image.height;
        record.pixels = image.pixels;
      } else {
        record.problem = ImageDecoder::Describe(image);
      }
      FinishRecord(record, upload);
      names.push_back(entry.name);
      table.emplace(entry.name, record);
    }
    ReportMissingFallback(listPath, table);
    return true;
  }

  Work(kept.size() - 1, false);
  for (unsigned left = running.load(std::memory_order_acquire); left != 0;
       left = running.load(std::memory_order_acquire))
    AwaitChange(running, left);
  for (size_t i = 0; i < entries.size(); ++i) {
    TextureRecord& record = table[entries[i].name];
    record = std::move(records[i]);
    names.push_back(entries[i].name);
    FinishRecord(record, upload);
  }
  ReportMissingFallback(listPath, table);
  return true;
}

bool Load(const std::string& listPath, unsigned threads, Table& table,
          std::vector<std::string>& names, const Upload& upload) {
  Decoding decoding(listPath, threads, true);
  return decoding.Finish(table, names, upload);
}
} // namespace ArtList
