#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <thread>
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

// Sizes of consecutive slices of `count` records for `threads` workers: chunk =
// ceil((count + count mod threads) / threads), each slice takes what is left up to a chunk.
// Loading does not split by them (see Decoding): fixed slices leave a worker waiting
// behind the one that got the large images.
std::vector<size_t> SliceSizes(size_t count, unsigned threads);

// Opens and decodes the record's image to 8-bit RGBA in a buffer of its own, to be freed with
// free. A file that cannot be opened or decoded leaves the record without pixels and with the
// problem.
void Decode(TextureRecord& record);

// Receives each decoded record on the calling thread, in list order (GL upload).
using Upload = std::function<void(TextureRecord&)>;

using Table = std::map<std::string, TextureRecord>;

// The listed images decoded while the caller does something else: decoding needs no GL
// context, the upload does, so start-up decodes while it makes the window and the context.
//
// With more than one thread the workers take the images one at a time, largest file first, from
// a shared cursor rather than in fixed slices: the game's list ends with one image as large as
// the rest together, and a worker whose core is busy with another program then holds up no one.
// With one thread nothing starts and Finish decodes and uploads line by line.
class Decoding {
public:
  // Reads the list and starts the workers: `threads` of them (0 means one per hardware thread),
  // one fewer when `finisherDecodes` says the thread calling Finish counts as one of them
  // (it then calls Finish at once). The finishing thread always decodes whatever is left.
  Decoding(const std::string& listPath, unsigned threads, bool finisherDecodes = false);
  // Joins the workers that are still running.
  ~Decoding();
  Decoding(const Decoding&) = delete;
  Decoding& operator=(const Decoding&) = delete;

  // Waits for the decoding, fills the table and the name list (file order) and hands each
  // decoded record to `upload` in list order, on the calling thread. Each image that did not
  // decode is reported on standard error with its file and problem, in list order, and so is a
  // list without the fallback image. False when the list cannot be opened (after printing the
  // message with the list's name). Once only: a second call does nothing and returns false.
  bool Finish(Table& table, std::vector<std::string>& names, const Upload& upload);

private:
  // Decodes records from the shared cursor until none is left, in the arenas of `slot`; pixels
  // go to its kept arena. A worker first waits for the order to be ready, and counts itself out
  // of `running` when done.
  void Work(size_t slot, bool wait);
  void Join();

  std::string listPath;
  bool opened = false;
  bool finished = false;
  unsigned threads = 1;
  std::vector<Entry> entries;
  std::vector<TextureRecord> records; // list order; sized once, so workers may hold on to them
  std::vector<size_t> order;          // indices of `records`, largest file first
  std::atomic<size_t> next{0};
  std::atomic<bool> ready{false}; // records and order are filled in
  // Workers that have not yet decoded their last image. The finishing thread waits for this to
  // reach 0 rather than for the threads to end: a thread's teardown takes longer than the rest
  // of Finish, and is left to the destructor.
  std::atomic<unsigned> running{0};
  // One of each per worker, the last for the finishing thread.
  std::vector<ImageDecoder::Arena> kept;
  std::vector<ImageDecoder::Arena> scratch;
  std::vector<std::thread> workers;
};

// Decoding(listPath, threads, true) finished at once into the table and name list.
bool Load(const std::string& listPath, unsigned threads, Table& table,
          std::vector<std::string>& names, const Upload& upload);
} // namespace ArtList
