// The art list: its lines, the image decoding spread over worker threads, and the texture table.
#include "Graphics/ArtList.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
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

// One worker's slice: each image is decoded in scratch memory that the next one reuses, its
// pixels made in `kept`, which outlives the worker.
void DecodeSlice(TextureRecord* const* records, size_t count, ImageDecoder::Arena& kept) {
  ImageDecoder::Arena scratch;
  scratch.Borrow(kept, kScratchStart);
  for (size_t i = 0; i < count; ++i) {
    TextureRecord& record = *records[i];
    scratch.Reset();
    ImageDecoder::Image image = ImageDecoder::DecodeFile(scratch, record.texture.filename_, &kept);
    if (!image.pixels) {
      record.problem = ImageDecoder::Describe(image);
      continue;
    }
    record.width = image.width;
    record.height = image.height;
    record.pixels = image.pixels;
  }
}
} // namespace

std::vector<ImageDecoder::Arena> DecodeAll(const std::vector<TextureRecord*>& records,
                                           unsigned threads) {
  std::vector<size_t> slices = SliceSizes(records.size(), threads);
  std::vector<ImageDecoder::Arena> kept(slices.size());
  std::vector<std::thread> workers;
  workers.reserve(slices.size());
  // The calling thread is the last slice's worker rather than waiting idle for the others.
  size_t start = 0;
  for (size_t i = 0; i + 1 < slices.size(); ++i) {
    workers.emplace_back(DecodeSlice, records.data() + start, slices[i], std::ref(kept[i]));
    start += slices[i];
  }
  if (!slices.empty())
    DecodeSlice(records.data() + start, slices.back(), kept.back());
  for (std::thread& worker : workers)
    worker.join();
  return kept;
}

namespace {
// Reports an image that did not decode, or hands the decoded record to the upload; its pixels
// are not its own to free.
void Finish(TextureRecord& record, const Upload& upload) {
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

bool Load(const std::string& listPath, unsigned threads,
          std::map<std::string, TextureRecord>& table, std::vector<std::string>& names,
          const Upload& upload) {
  std::ifstream in(HostPath(listPath));
  if (!in) {
    std::printf("Failed to open the art asset file %s\n", listPath.c_str());
    std::fflush(stdout);
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<Entry> entries = Parse(listPath, text.str());

  if (threads == 0)
    threads = std::thread::hardware_concurrency();
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
      Finish(record, upload);
      names.push_back(entry.name);
      table.emplace(entry.name, record);
    }
    ReportMissingFallback(listPath, table);
    return true;
  }

  // The table is complete before any worker starts, so the workers never touch the map.
  std::vector<TextureRecord*> records;
  for (Entry& entry : entries) {
    TextureRecord& record = table[entry.name];
    record = TextureRecord{};
    record.texture = entry.texture;
    record.widthFromImage = entry.widthFromImage;
    records.push_back(&record);
    names.push_back(entry.name);
  }
  std::vector<ImageDecoder::Arena> pixels = DecodeAll(records, threads);
  for (TextureRecord* record : records)
    Finish(*record, upload);
  ReportMissingFallback(listPath, table);
  return true;
}
} // namespace ArtList
