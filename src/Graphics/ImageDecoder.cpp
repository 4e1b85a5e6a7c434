// Image decoding for the art list: stb_image built here to allocate from the calling thread's
// arena, and the arenas themselves.
#include "Graphics/ImageDecoder.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "Utilities/Paths.h"

namespace ImageDecoder {
namespace {
constexpr size_t kLargePage = size_t(2) << 20;
constexpr size_t kBlockSize = size_t(8) << 20;
constexpr size_t kAlign = 16;
// Each allocation is preceded by its size, so growing one knows how much to copy.
constexpr size_t kHeader = kAlign;

size_t RoundUp(size_t n, size_t to) {
  return (n + to - 1) / to * to;
}

size_t& SizeOf(void* block) {
  return *reinterpret_cast<size_t*>(static_cast<char*>(block) - kHeader);
}

// Where the decoder of this thread allocates while it runs: blocks of exactly the size of the
// finished image go to `kept`, as that is how the decoder makes its result; all else goes to
// `scratch`.
struct Decoding {
  Arena* scratch = nullptr;
  Arena* kept = nullptr;
  size_t resultSize = 0;
};
thread_local Decoding decoding;

// Scratch first: its memory may be borrowed from the kept arena.
Arena* Holder(void* block) {
  return decoding.scratch && decoding.scratch->Owns(block) ? decoding.scratch : decoding.kept;
}
} // namespace

Arena::~Arena() {
  for (size_t i = 0; i < count; ++i)
    if (blocks[i].mapping)
      munmap(blocks[i].mapping, blocks[i].mappedSize);
}

Arena::Arena(Arena&& other) noexcept
    : count(std::exchange(other.count, 0)), current(std::exchange(other.current, 0)) {
  std::copy(other.blocks, other.blocks + count, blocks);
}

bool Arena::MapBlock(size_t atLeast) {
  if (count == kMaxBlocks)
    return false;
  size_t grown = kBlockSize << (count < 8 ? count : 8);
  size_t size = RoundUp(atLeast > grown ? atLeast : grown, kLargePage);
  // One large page more, so that the block can start on a large-page boundary.
  size_t mapped = size + kLargePage;
  void* mapping = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED)
    return false;
  Block block;
  block.mapping = static_cast<char*>(mapping);
  block.mappedSize = mapped;
  block.base = reinterpret_cast<char*>(
      RoundUp(reinterpret_cast<uintptr_t>(mapping), static_cast<uintptr_t>(kLargePage)));
  block.size = size;
#ifdef MADV_HUGEPAGE
  madvise(block.base, block.size, MADV_HUGEPAGE); // a hint: without large pages all still works
#endif
  blocks[count++] = block;
  return true;
}

void* Arena::Allocate(size_t size) {
  size_t need = kHeader + RoundUp(size ? size : 1, kAlign);
  while (current < count && blocks[current].used + need > blocks[current].size)
    ++current;
  if (current == count && !MapBlock(need))
    return nullptr;
  Block& block = blocks[current];
  char* start = block.base + block.used;
  block.used += need;
  void* payload = start + kHeader;
  SizeOf(payload) = size;
  return payload;
}

void* Arena::Grow(void* old, size_t size) {
  if (!old)
    return Allocate(size);
  size_t had = SizeOf(old);
  if (current < count) {
    Block& block = blocks[current];
    char* end = static_cast<char*>(old) + RoundUp(had ? had : 1, kAlign);
    size_t grown = static_cast<size_t>(static_cast<char*>(old) - block.base) +
                   RoundUp(size ? size : 1, kAlign);
    if (end == block.base + block.used && grown <= block.size) {
      // The newest allocation: it grows where it is.
      block.used = grown;
      SizeOf(old) = size;
      return old;
    }
  }
  void* moved = Allocate(size);
  if (!moved)
    return nullptr;
  std::memcpy(moved, old, had < size ? had : size);
  Release(old);
  return moved;
}

void Arena::Release(void* block) {
  if (!block || current >= count)
    return;
  Block& last = blocks[current];
  char* start = static_cast<char*>(block) - kHeader;
  char* end = static_cast<char*>(block) + RoundUp(SizeOf(block) ? SizeOf(block) : 1, kAlign);
  if (end == last.base + last.used)
    last.used = static_cast<size_t>(start - last.base);
}

void Arena::Borrow(Arena& from, size_t size) {
  size = RoundUp(size, kAlign);
  auto* memory = static_cast<char*>(from.Allocate(size));
  if (!memory)
    return;
  Block block;
  block.base = memory;
  block.size = size;
  if (count == kMaxBlocks)
    return;
  // Used before any block of its own, so that it is the first to fill.
  std::copy_backward(blocks + current, blocks + count, blocks + count + 1);
  blocks[current] = block;
  ++count;
}

bool Arena::Owns(const void* block) const {
  auto* at = static_cast<const char*>(block);
  for (size_t i = 0; i < count; ++i)
    if (at >= blocks[i].base && at < blocks[i].base + blocks[i].size)
      return true;
  return false;
}

void Arena::Reset() {
  for (size_t i = 0; i < count; ++i)
    blocks[i].used = 0;
  current = 0;
}

namespace {
void* StbAllocate(size_t size) {
  if (decoding.kept && size == decoding.resultSize)
    return decoding.kept->Allocate(size);
  return decoding.scratch ? decoding.scratch->Allocate(size) : nullptr;
}
void* StbGrow(void* block, size_t size) {
  if (!block)
    return StbAllocate(size);
  Arena* holder = Holder(block);
  return holder ? holder->Grow(block, size) : nullptr;
}
void StbFree(void* block) {
  if (Arena* holder = block ? Holder(block) : nullptr)
    holder->Release(block);
}
} // namespace
} // namespace ImageDecoder

// stb_image's own copy, private to this file, allocating from the decoding thread's arena.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_MALLOC(size) ImageDecoder::StbAllocate(size)
#define STBI_REALLOC(block, size) ImageDecoder::StbGrow(block, size)
#define STBI_FREE(block) ImageDecoder::StbFree(block)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace ImageDecoder {
namespace {
const char* const kBadSize = "its header gives a size that is not usable";

// Width and height from a PNG's IHDR chunk, whatever they are.
bool PngHeaderSize(const unsigned char* file, size_t length, int& width, int& height) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (length < 24 || std::memcmp(file, kSignature, 8) != 0 || std::memcmp(file + 12, "IHDR", 4))
    return false;
  auto big = [&](size_t at) {
    uint32_t v = (uint32_t(file[at]) << 24) | (uint32_t(file[at + 1]) << 16) |
                 (uint32_t(file[at + 2]) << 8) | uint32_t(file[at + 3]);
    return v > 0x7fffffffu ? 0x7fffffff : static_cast<int>(v);
  };
  width = big(16);
  height = big(20);
  return true;
}

// The whole file in the arena; null when it cannot be opened or read.
unsigned char* ReadFile(Arena& arena, const std::string& path, size_t& length,
                        const char*& problem) {
  int fd = open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem = errno == ENOENT ? "the file is missing" : "the file cannot be opened";
    return nullptr;
  }
  struct stat status {};
  size_t capacity = fstat(fd, &status) == 0 && status.st_size > 0
                        ? static_cast<size_t>(status.st_size)
                        : size_t(64) << 10;
  auto* data = static_cast<unsigned char*>(arena.Allocate(capacity));
  length = 0;
  while (data) {
    if (length == capacity) {
      // Longer than it said (or it did not say): read on.
      capacity *= 2;
      data = static_cast<unsigned char*>(arena.Grow(data, capacity));
      if (!data)
        break;
    }
    ssize_t got = read(fd, data + length, capacity - length);
    if (got < 0) {
      problem = "the file cannot be read";
      data = nullptr;
      break;
    }
    if (got == 0)
      break;
    length += static_cast<size_t>(got);
  }
  close(fd);
  if (!data && !problem)
    problem = "there is no memory to read the file";
  return data;
}
} // namespace

std::string Describe(const Image& image) {
  if (!image.problem)
    return image.pixels ? std::string() : "the image cannot be decoded";
  std::string text = image.problem;
  if (image.problem == kBadSize)
    text = "its header gives a size of " + std::to_string(image.headerWidth) + " x " +
           std::to_string(image.headerHeight) + " pixels (each side must be 1 to " +
           std::to_string(kMaxSide) + ")";
  return text;
}

Image DecodeFile(Arena& scratch, const std::string& path, Arena* kept) {
  Image image;
  size_t length = 0;
  unsigned char* file = ReadFile(scratch, path, length, image.problem);
  if (!file)
    return image;
  if (length == 0) {
    image.problem = "the file is empty";
    return image;
  }
  if (length > 0x7fffffff) {
    image.problem = "the file is larger than 2 GB";
    return image;
  }
  int width = 0, height = 0, components = 0;
  if (!stbi_info_from_memory(file, static_cast<int>(length), &width, &height, &components)) {
    // The decoder refuses some sizes in the header itself; a PNG header still tells which.
    if (!PngHeaderSize(file, length, width, height)) {
      image.problem = "it is not an image in a known format (PNG, JPEG, BMP, TGA, GIF)";
      return image;
    }
  }
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    image.problem = kBadSize;
    image.headerWidth = width;
    image.headerHeight = height;
    return image;
  }
  Decoding outer = std::exchange(decoding, Decoding{&scratch, kept, 0});
  if (kept)
    decoding.resultSize = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  image.pixels = stbi_load_from_memory(file, static_cast<int>(length), &image.width, &image.height,
                                       &components, 4);
  decoding = outer;
  if (!image.pixels) {
    Image failed;
    // stb's reasons are terse ("bad png sig"); a header that read well means the data is cut
    // short or damaged.
    failed.problem = "its image data is truncated or damaged";
    return failed;
  }
  if (kept && scratch.Owns(image.pixels)) {
    // Made some other way than expected: copied over, so it outlives the scratch memory.
    size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4;
    auto* pixels = static_cast<unsigned char*>(kept->Allocate(bytes));
    if (!pixels)
      return Image{};
    std::memcpy(pixels, image.pixels, bytes);
    image.pixels = pixels;
  }
  return image;
}

} // namespace ImageDecoder
