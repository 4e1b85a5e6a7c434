// The memory image decoding works in: arenas that grow and give back their newest block, and
// decoded pixels that outlive the scratch memory they were decoded in.
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <vector>

#include "Graphics/ImageDecoder.h"
#include "support/TestSupport.h"

namespace {
using ImageDecoder::Arena;

TEST(DecodeMemory, GrowingKeepsTheContentWhetherInPlaceOrMoved) {
  Arena arena;
  auto* a = static_cast<unsigned char*>(arena.Allocate(100));
  for (int i = 0; i < 100; ++i)
    a[i] = static_cast<unsigned char>(i);
  auto* grown = static_cast<unsigned char*>(arena.Grow(a, 5000));
  EXPECT_EQ(grown, a) << "the newest block grows where it is";
  void* b = arena.Allocate(16);
  auto* moved = static_cast<unsigned char*>(arena.Grow(grown, 20u << 20)); // past one block
  ASSERT_NE(moved, nullptr);
  EXPECT_NE(moved, grown);
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(moved[i], i);
  EXPECT_TRUE(arena.Owns(b));
  EXPECT_TRUE(arena.Owns(moved));
  int local = 0;
  EXPECT_FALSE(arena.Owns(&local));
}

TEST(DecodeMemory, ReleasingTheNewestBlockAndResettingReuseTheMemory) {
  Arena arena;
  void* first = arena.Allocate(64);
  void* second = arena.Allocate(64);
  arena.Release(second);
  EXPECT_EQ(arena.Allocate(64), second);
  arena.Release(first); // not the newest: kept until the reset
  EXPECT_NE(arena.Allocate(64), first);
  arena.Reset();
  EXPECT_EQ(arena.Allocate(64), first);
}

TEST(DecodeMemory, BorrowedMemoryIsUsedFirstAndStaysTheLenders) {
  Arena lender, borrower;
  borrower.Borrow(lender, 4096);
  void* small = borrower.Allocate(1000);
  EXPECT_TRUE(lender.Owns(small));
  void* big = borrower.Allocate(10000); // does not fit: memory of its own
  EXPECT_FALSE(lender.Owns(big));
  EXPECT_TRUE(borrower.Owns(big));
}

class DecodeFile : public ::testing::Test {
protected:
  void SetUp() override { std::filesystem::create_directories("Graphics/Art"); }
  // A w x h image whose pixel i has the bytes i, i+1, i+2, 255 (mod 256).
  static std::vector<unsigned char> Pattern(int w, int h) {
    std::vector<unsigned char> p(static_cast<size_t>(w * h * 4));
    for (size_t i = 0; i < p.size(); ++i)
      p[i] = (i % 4 == 3) ? 255 : static_cast<unsigned char>(i / 4 + i % 4);
    return p;
  }
  ScratchDir dir;
};

TEST_F(DecodeFile, PixelsMadeInTheKeptArenaOutliveTheScratch) {
  std::vector<unsigned char> big = Pattern(300, 200), small = Pattern(3, 2);
  ASSERT_TRUE(stbi_write_png("Graphics/Art/big.png", 300, 200, 4, big.data(), 300 * 4));
  ASSERT_TRUE(stbi_write_png("Graphics/Art/small.png", 3, 2, 4, small.data(), 3 * 4));
  Arena scratch, kept;
  scratch.Borrow(kept, 1 << 16);
  ImageDecoder::Image first = ImageDecoder::DecodeFile(scratch, "Graphics\\Art\\big.png", &kept);
  scratch.Reset();
  ImageDecoder::Image second = ImageDecoder::DecodeFile(scratch, "Graphics\\Art\\small.png", &kept);
  scratch.Reset();
  ImageDecoder::DecodeFile(scratch, "Graphics\\Art\\big.png"); // overwrites the scratch memory
  ASSERT_NE(first.pixels, nullptr);
  ASSERT_NE(second.pixels, nullptr);
  EXPECT_EQ(first.width, 300);
  EXPECT_EQ(first.height, 200);
  EXPECT_EQ(std::memcmp(first.pixels, big.data(), big.size()), 0);
  EXPECT_EQ(std::memcmp(second.pixels, small.data(), small.size()), 0);
  EXPECT_TRUE(kept.Owns(first.pixels));
}

TEST_F(DecodeFile, GreyImagesBecomeRgbaInTheKeptArenaToo) {
  const unsigned char grey[4] = {0, 85, 170, 255};
  ASSERT_TRUE(stbi_write_png("Graphics/Art/grey.png", 2, 2, 1, grey, 2));
  Arena scratch, kept;
  ImageDecoder::Image image = ImageDecoder::DecodeFile(scratch, "Graphics\\Art\\grey.png", &kept);
  scratch.Reset();
  ImageDecoder::DecodeFile(scratch, "Graphics\\Art\\grey.png");
  ASSERT_NE(image.pixels, nullptr);
  const unsigned char expected[16] = {0,   0,   0,   255, 85,  85,  85,  255,
                                      170, 170, 170, 255, 255, 255, 255, 255};
  EXPECT_EQ(std::memcmp(image.pixels, expected, 16), 0);
}

TEST_F(DecodeFile, MissingEmptyAndBrokenFilesGiveNoPixels) {
  dir.Write("Graphics/Art/empty.png", "");
  dir.Write("Graphics/Art/broken.png", "\x89PNG but not really");
  Arena scratch, kept;
  for (const char* path :
       {"Graphics\\Art\\absent.png", "Graphics\\Art\\empty.png", "Graphics\\Art\\broken.png"}) {
    ImageDecoder::Image image = ImageDecoder::DecodeFile(scratch, path, &kept);
    EXPECT_EQ(image.pixels, nullptr) << path;
    EXPECT_EQ(image.width, 0) << path;
  }
}

} // namespace
