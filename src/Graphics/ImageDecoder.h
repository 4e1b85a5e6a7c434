#pragma once
#include <cstddef>
#include <string>

// Decoding of art images to 8-bit RGBA, with the memory the decoder works in held by the caller.
//
// Fresh memory is expensive: every first touch of a small page is a page fault, and on a
// virtual machine one costs about as much as decoding a thousand pixels. A decoder that takes
// its buffers from the C heap pays that again and again, since the heap hands freed blocks back
// to the system; with several threads each one also gets its own new heap. Arenas keep their
// memory for as long as their owner lives, reuse it image after image, and ask the system for
// large pages where it offers them (one fault per 2 MiB instead of per 4 KiB).
namespace ImageDecoder {

// Memory handed out by bumping a pointer through large mapped blocks. Only the most recent
// allocation can be given back or grown in place; Reset frees everything at once and keeps the
// memory for the next use. One thread at a time.
class Arena {
public:
  Arena() = default;
  ~Arena();
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;
  Arena(Arena&& other) noexcept;
  Arena& operator=(Arena&&) = delete;

  // 16-byte aligned; null only when the system refuses the memory.
  void* Allocate(size_t size);
  // Like realloc: null keeps the old block intact.
  void* Grow(void* block, size_t size);
  void Release(void* block);
  void Reset();
  // Whether the block lies in this arena's memory.
  bool Owns(const void* block) const;
  // Takes `size` bytes of `from` (which must outlive this arena) as memory to use first, so a
  // small job touches the pages of one arena only.
  void Borrow(Arena& from, size_t size);

private:
  struct Block {
    char* mapping = nullptr; // what munmap gets back; null for borrowed memory
    size_t mappedSize = 0;
    char* base = nullptr; // aligned to the large-page size
    size_t size = 0;
    size_t used = 0;
  };
  bool MapBlock(size_t atLeast);
  // In place rather than on the heap: a worker thread's first heap use costs it a heap of its
  // own. Blocks double in size, so a few are plenty.
  static constexpr size_t kMaxBlocks = 24;
  Block blocks[kMaxBlocks];
  size_t count = 0;
  size_t current = 0;
};

// Largest image side accepted: a header asking for more is refused before any pixel memory is
// taken (100000 x 100000 would be 40 GB), and no GL texture is larger anyway.
constexpr int kMaxSide = 8192;

// A decoded image in an arena.
struct Image {
  int width = 0;
  int height = 0;
  unsigned char* pixels = nullptr; // width * height * 4 bytes; null if the file did not decode
  const char* problem = nullptr;   // why there are no pixels (static text)
  int headerWidth = 0, headerHeight = 0; // the sizes a refused header gave
};

// The whole problem of a failed image as one line's text, e.g. "the file is empty".
std::string Describe(const Image& image);

// Reads the whole file at `path` (a data path, see HostPath) and decodes it to RGBA. The file's
// bytes and the decoder's working buffers live in `scratch`; the pixels are made in `kept`
// (in scratch when there is no kept arena), so they last until that arena is reset. A file
// that cannot be opened or decoded gives an image without pixels and the problem.
Image DecodeFile(Arena& scratch, const std::string& path, Arena* kept = nullptr);

} // namespace ImageDecoder
