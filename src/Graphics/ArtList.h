#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Graphics/ImageDecoder.h"
#include "Graphics/Texture.h"

// The art list names every image of the game, one entry per line:
//   name flag aniwidth frame_count seconds_per_frame
// e.g. "player.png a 64 4 0.1". Any flag character means "starts animating".
namespace ArtList {
constexpr const char* kListPath = "Graphics\\Art\\sahatmftu.txt";
constexpr const char* kArtFolder = "Graphics\\Art\\";
// Names are read into a 128-byte field: 127 characters at most.
constexpr size_t kMaxNameLength = 127;

struct Entry {
  std::string name;
  Texture texture;
};

// Parses the text of an art list. Lines that do not hold the five fields, that have a name too
// long for its field, negative sizes, or a name already listed are reported (naming the list
// and the line) and skipped.
std::vector<Entry> Parse(const std::string& listName, const std::string& text);

// Sizes of the consecutive slices that `threads` workers decode: chunk =
// ceil((count + count mod threads) / threads), each slice takes what is left up to a chunk.
std::vector<size_t> SliceSizes(size_t count, unsigned threads);

// Opens and decodes the record's image to 8-bit RGBA in a buffer of its own, to be freed with
// stbi_image_free. A file that cannot be opened or decoded leaves the record without pixels.
void Decode(TextureRecord& record);

// Decodes the records over `threads` workers, each on its own slice; all joined on return. The
// pixels live in the returned memory, one arena per worker, until it is destroyed.
std::vector<ImageDecoder::Arena> DecodeAll(const std::vector<TextureRecord*>& records,
                                           unsigned threads);

// Receives each decoded record on the calling thread, in list order (GL upload).
using Upload = std::function<void(TextureRecord&)>;

// Reads the list, fills the table and the name list (file order) and decodes the images: one
// thread decodes and uploads line by line; more threads decode in parallel first and upload
// afterwards. `threads` 0 means one per hardware thread. Pixel buffers are released after
// upload (all at once after the last one when decoded in parallel). Returns false when the list
// cannot be opened (after printing the message).
bool Load(const std::string& listPath, unsigned threads,
          std::map<std::string, TextureRecord>& table, std::vector<std::string>& names,
          const Upload& upload);
} // namespace ArtList
