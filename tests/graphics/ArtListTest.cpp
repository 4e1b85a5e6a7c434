// The art list reader and the image decoding, without a window.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include "Graphics/ArtList.h"
#include "Utilities/Check.h"
#include "graphics/GfxHarness.h"

namespace {
struct Loaded {
  std::map<std::string, TextureRecord> table;
  std::vector<std::string> names;
  std::map<std::string, unsigned long> checksums; // of the pixels handed to the upload
  bool opened = false;
};

Loaded LoadWith(unsigned threads, const std::string& list = ArtList::kListPath) {
  Loaded out;
  out.opened = ArtList::Load(list, threads, out.table, out.names, [&](TextureRecord& record) {
    unsigned long sum = 0;
    for (int i = 0; i < record.width * record.height * 4; ++i)
      sum = sum * 31 + record.pixels[i];
    out.checksums[record.texture.filename_] = sum;
    record.glName = 1; // stands for the GL name an upload makes
  });
  return out;
}
} // namespace

TEST(ArtSlices, FollowTheChunkRule) {
  using V = std::vector<size_t>;
  EXPECT_EQ(ArtList::SliceSizes(10, 4), (V{3, 3, 3, 1}));
  EXPECT_EQ(ArtList::SliceSizes(9, 4), (V{3, 3, 3, 0}));
  EXPECT_EQ(ArtList::SliceSizes(5, 8), (V{2, 2, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ArtList::SliceSizes(0, 2), (V{0, 0}));
  EXPECT_EQ(ArtList::SliceSizes(7, 1), (V{7}));
  // Every record lands in exactly one slice.
  for (size_t count = 0; count < 40; ++count)
    for (unsigned threads = 1; threads <= 9; ++threads) {
      size_t total = 0;
      for (size_t s : ArtList::SliceSizes(count, threads))
        total += s;
      EXPECT_EQ(total, count) << count << " on " << threads;
    }
}

TEST(ArtListParse, ReadsTheFiveFieldsAndAnyFlagMeansAnimating) {
  auto entries = ArtList::Parse("list.txt", "player.png a 64 4 0.1\n\n   \n"
                                            "still.png s 32 1 0   \n"
                                            "Player.png x 16 0 2.5\n");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "player.png");
  EXPECT_EQ(entries[0].texture.filename_, "Graphics\\Art\\player.png");
  EXPECT_TRUE(entries[0].texture.does_animate_);
  EXPECT_EQ(entries[0].texture.aniwidth_, 64u);
  EXPECT_EQ(entries[0].texture.frame_count_, 4u);
  EXPECT_FLOAT_EQ(entries[0].texture.base_fps_, 0.1f);
  EXPECT_TRUE(entries[1].texture.does_animate_);
  // Case matters: a separate entry. A frame count of 0 is reported and becomes one frame.
  EXPECT_EQ(entries[2].name, "Player.png");
  EXPECT_EQ(entries[2].texture.frame_count_, 1u);
}

TEST(ArtListParse, RejectsBadLinesNamingTheListAndLine) {
  std::string longName(124, 'n'); // 128 with the extension
  std::string fits(127, 'f');
  ResetCheckFailureCount();
  testing::internal::CaptureStderr();
  auto entries = ArtList::Parse("Graphics\\Art\\sahatmftu.txt",
                                "ok.png s 8 1 0\n" +              // 1
                                    longName + ".png s 8 1 0\n" + // 2
                                    fits + " s 8 1 0\n" +         // 3
                                    "short.png s 8\n" +           // 4
                                    "word.png s eight 1 0\n" +    // 5
                                    "flag.png sa 8 1 0\n" +       // 6
                                    "neg.png s -8 1 0\n" +        // 7
                                    "ok.png s 16 1 0\n" +         // 8
                                    "extra.png s 8 1 0 9\n" +     // 9
                                    "last.png s 8 2 0.5");        // 10, no newline
  std::string err = testing::internal::GetCapturedStderr();
  // Lines of the right shape are kept whatever their numbers say.
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].name, "ok.png");
  EXPECT_EQ(entries[0].texture.aniwidth_, 8u); // the first of a repeated name is kept
  EXPECT_EQ(entries[1].name, fits);
  EXPECT_EQ(entries[2].name, "word.png");
  EXPECT_TRUE(entries[2].widthFromImage);
  EXPECT_EQ(entries[3].name, "neg.png");
  EXPECT_TRUE(entries[3].widthFromImage);
  EXPECT_EQ(entries[4].name, "last.png");
  EXPECT_FALSE(entries[4].widthFromImage);
  EXPECT_EQ(CheckFailureCount(), 7);
  for (int line : {2, 4, 5, 6, 7, 8, 9})
    EXPECT_NE(err.find("Graphics\\Art\\sahatmftu.txt line " + std::to_string(line) + ":"),
              std::string::npos)
        << "line " << line << " in:\n"
        << err;
  EXPECT_NE(err.find("name has 128 characters"), std::string::npos);
}

TEST(ArtLoad, MissingListPrintsTheMessageAndLeavesTheTableEmpty) {
  ScratchDir dir;
  testing::internal::CaptureStdout();
  Loaded loaded = LoadWith(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Failed to open the art asset file Graphics\\Art\\sahatmftu.txt\n");
  EXPECT_FALSE(loaded.opened);
  EXPECT_TRUE(loaded.table.empty());
  EXPECT_TRUE(loaded.names.empty());
}

TEST(ArtLoad, SameTableOnOneThreadAndOnMany) {
  ScratchDir dir;
  WriteTestArt(dir);
  // Not an image at all: listed, no pixels.
  dir.Write("Graphics/Art/broken.png", "this is not a png");
  dir.Write("Graphics/Art/sahatmftu.txt",
            dir.Read("Graphics/Art/sahatmftu.txt") + "broken.png s 8 1 0\nRed.png s 8 1 0\n");
  Loaded one = LoadWith(1);
  ASSERT_TRUE(one.opened);
  const std::vector<std::string> expected = {
      "img_test.png", "red.png",   "green.png",   "blue.png",   "quads.png",
      "sheet.png",    "cells.png", "missing.png", "broken.png", "Red.png"};
  EXPECT_EQ(one.names, expected);
  EXPECT_EQ(one.table.size(), expected.size());
  EXPECT_EQ(one.table["sheet.png"].width, 32);
  EXPECT_EQ(one.table["sheet.png"].height, 8);
  EXPECT_EQ(one.table["sheet.png"].texture.frame_count_, 4u);
  for (const char* absent : {"missing.png", "broken.png", "Red.png"}) {
    const TextureRecord& record = one.table[absent];
    EXPECT_EQ(record.glName, 0u) << absent;
    EXPECT_EQ(record.height, 0) << absent;
    EXPECT_EQ(record.pixels, nullptr) << absent;
  }

  for (unsigned threads : {2u, 3u, 4u, 16u, 0u}) {
    Loaded many = LoadWith(threads);
    EXPECT_EQ(many.names, one.names) << threads;
    EXPECT_EQ(many.checksums, one.checksums) << threads;
    for (const auto& [name, record] : one.table) {
      const TextureRecord& other = many.table[name];
      EXPECT_EQ(other.width, record.width) << name << " on " << threads;
      EXPECT_EQ(other.height, record.height) << name << " on " << threads;
      EXPECT_EQ(other.glName, record.glName) << name << " on " << threads;
      EXPECT_EQ(other.pixels, nullptr) << "buffers are released after upload";
      EXPECT_EQ(other.texture.filename_, record.texture.filename_);
    }
  }
}

TEST(ArtLoad, GreyImagesDecodeToRgba) {
  ScratchDir dir;
  std::filesystem::create_directories("Graphics/Art");
  const unsigned char grey[4] = {0, 85, 170, 255};
  ASSERT_TRUE(stbi_write_png("Graphics/Art/grey.png", 2, 2, 1, grey, 2));
  TextureRecord record;
  record.texture.filename_ = "Graphics\\Art\\grey.png";
  ArtList::Decode(record);
  ASSERT_NE(record.pixels, nullptr);
  EXPECT_EQ(record.width, 2);
  EXPECT_EQ(record.height, 2);
  const unsigned char second[4] = {85, 85, 85, 255};
  EXPECT_TRUE(std::equal(second, second + 4, record.pixels + 4));
  stbi_image_free(record.pixels);
}

TEST(ArtLoad, DecodingStartedEarlyFinishesLikeALoad) {
  ScratchDir dir;
  WriteTestArt(dir);
  Loaded one = LoadWith(1);
  ASSERT_TRUE(one.opened);
  for (unsigned threads : {2u, 5u}) {
    ArtList::Decoding decoding(ArtList::kListPath, threads);
    // The list and the images are read when the decoding starts, not when it is finished.
    std::string list = dir.Read("Graphics/Art/sahatmftu.txt");
    dir.Write("Graphics/Art/sahatmftu.txt", "");
    Loaded early;
    std::vector<std::string> uploaded;
    EXPECT_TRUE(decoding.Finish(early.table, early.names, [&](TextureRecord& record) {
      uploaded.push_back(record.texture.filename_.substr(kArtPrefixLength));
      record.glName = 7;
    }));
    dir.Write("Graphics/Art/sahatmftu.txt", list);
    EXPECT_EQ(early.names, one.names);
    // Uploads come in list order whichever worker decoded what; the missing image has none.
    std::vector<std::string> decoded;
    for (const std::string& name : one.names)
      if (one.table[name].glName != 0)
        decoded.push_back(name);
    EXPECT_EQ(uploaded, decoded) << threads;
    for (const auto& [name, record] : one.table) {
      EXPECT_EQ(early.table[name].width, record.width) << name;
      EXPECT_EQ(early.table[name].glName != 0, record.glName != 0) << name;
    }
    // Once only: a second finish adds nothing.
    Loaded again;
    EXPECT_FALSE(decoding.Finish(again.table, again.names, nullptr));
    EXPECT_TRUE(again.table.empty());
  }
  // Abandoned without finishing: the workers are joined and their memory returned.
  { ArtList::Decoding unfinished(ArtList::kListPath, 2); }
}

TEST(ArtLoad, WorkersStartedBeforeTheListIsReadEndWhenItListsNoImage) {
  ScratchDir dir;
  std::filesystem::create_directories("Graphics/Art");
  // Only lines that are reported and skipped: the workers wait for an order with nothing in it.
  dir.Write("Graphics/Art/sahatmftu.txt", "one two\n\nthree\n");
  for (unsigned threads : {2u, 4u}) {
    Loaded loaded;
    EXPECT_TRUE(ArtList::Load(ArtList::kListPath, threads, loaded.table, loaded.names, nullptr));
    EXPECT_TRUE(loaded.names.empty());
    ArtList::Decoding decoding(ArtList::kListPath, threads);
    Loaded later;
    EXPECT_TRUE(decoding.Finish(later.table, later.names, nullptr));
    EXPECT_TRUE(later.table.empty());
  }
}
