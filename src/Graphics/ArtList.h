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

// The texture every sprite and text falls back to when its own is not listed.
constexpr const char* kFallbackName = "img_test.png";

struct Entry {
  std::string name;
  Texture texture;
  bool widthFromImage = false; // the frame width was unusable: the image's width over its frames
};

// Parses the text of an art list. Lines that do not hold the five fields, that have a name too
// long for its field, or a name already listed are reported (naming the list and the line) and
// skipped. A line of the right shape with unusable numbers is reported and kept: a frame width
// that is not positive becomes the image's width over its frames, a frame count that is not
// positive becomes 1, seconds per frame that are not a finite number of at least 0 become 0.
std::vector<Entry> Parse(const std::string& listName, const std::string& text);

// Sizes of the consecutive slices that `threads` workers decode: chunk =
// ceil((count + count mod threads) / threads), each slice takes what is left up to a chunk.
std::vector<size_t> SliceSizes(size_t count, unsigned threads);

// Opens and decodes the record's image to 8-bit RGBA in a buffer of its own, to be freed with
// free. A file that cannot be opened or decoded leaves the record without pixels and with the
// problem.
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
// upload (all at once after the last one when decoded in parallel). Each image that does not
// decode is reported on standard error with its file and problem, in list order, and so is a
// list without the fallback image. Returns false when the list cannot be opened (after printing
// the message with the list's name).
bool Load(const std::string& listPath, unsigned threads,
          std::map<std::string, TextureRecord>& table, std::vector<std::string>& names,
          const Upload& upload);
} // namespace ArtList
