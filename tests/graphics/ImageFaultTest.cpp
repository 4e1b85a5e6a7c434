// Broken images and art-list numbers: each fault is reported once, naming the image and the
// problem, and loading goes on with the texture absent.
#include <gtest/gtest.h>

#include <map>
#include <stb_image_write.h>
#include <string>
#include <vector>

#include "Graphics/ArtList.h"
#include "Utilities/Check.h"
#include "graphics/GfxHarness.h"

namespace {
std::string ValidPng(int w, int h) {
  std::vector<unsigned char> rgba(static_cast<size_t>(w * h * 4), 200);
  std::string bytes;
  stbi_write_png_to_func(
      [](void* to, void* data, int size) {
        static_cast<std::string*>(to)->append(static_cast<char*>(data), static_cast<size_t>(size));
      },
      &bytes, w, h, 4, rgba.data(), w * 4);
  return bytes;
}

// The IHDR chunk's width and height (big-endian, right after the 8-byte signature, the chunk
// length and the type).
std::string WithHeaderSize(std::string png, unsigned w, unsigned h) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<char>((w >> (24 - 8 * i)) & 0xff);
    png[20 + i] = static_cast<char>((h >> (24 - 8 * i)) & 0xff);
  }
  return png;
}

struct Result {
  std::map<std::string, TextureRecord> table;
  std::vector<std::string> names;
  std::string err;
  int uploads = 0;
};

Result Load(unsigned threads) {
  Result r;
  testing::internal::CaptureStderr();
  ArtList::Load(ArtList::kListPath, threads, r.table, r.names, [&](TextureRecord& record) {
    ++r.uploads;
    record.glName = 1;
  });
  r.err = testing::internal::GetCapturedStderr();
  return r;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

class ImageFaults : public testing::TestWithParam<unsigned> {
protected:
  ScratchDir dir;
};

TEST_P(ImageFaults, EachBrokenImageIsReportedOnceWithItsProblemAndStaysListed) {
  std::string good = ValidPng(8, 8);
  std::string big = ValidPng(64, 64);
  dir.Write("Graphics/Art/img_test.png", good);
  dir.Write("Graphics/Art/fine.png", good);
  dir.Write("Graphics/Art/empty.png", "");
  dir.Write("Graphics/Art/cut.png", big.substr(0, big.size() / 2));
  dir.Write("Graphics/Art/text.png", std::string(300, 'q'));
  dir.Write("Graphics/Art/zero.png", WithHeaderSize(good, 0, 0));
  dir.Write("Graphics/Art/huge.png", WithHeaderSize(good, 100000, 100000));
  const std::map<std::string, std::string> expected = {
      {"absent.png", "the file is missing"},  {"empty.png", "the file is empty"},
      {"cut.png", "truncated or damaged"},    {"text.png", "not an image"},
      {"zero.png", "a size of 0 x 0 pixels"}, {"huge.png", "a size of 100000 x 100000 pixels"},
  };
  std::string list = "img_test.png s 8 1 0\nfine.png s 8 1 0\n";
  for (const auto& [name, problem] : expected)
    list += name + " s 8 1 0\n";
  dir.Write("Graphics/Art/sahatmftu.txt", list);

  ResetCheckFailureCount();
  Result r = Load(GetParam());
  EXPECT_EQ(r.uploads, 2) << r.err;
  EXPECT_EQ(CheckFailureCount(), 6) << r.err;
  EXPECT_EQ(Count(r.err, "\n"), 6u) << r.err;
  for (const auto& [name, problem] : expected) {
    size_t at = r.err.find("Graphics\\Art\\" + name + ": ");
    ASSERT_NE(at, std::string::npos) << name << " in:\n" << r.err;
    std::string line = r.err.substr(at, r.err.find('\n', at) - at);
    EXPECT_NE(line.find(problem), std::string::npos) << line;
    EXPECT_EQ(Count(r.err, name), 1u) << r.err;
    const TextureRecord& record = r.table.at(name);
    EXPECT_EQ(record.glName, 0u) << name;
    EXPECT_EQ(record.pixels, nullptr) << name;
    EXPECT_EQ(record.height, 0) << name;
  }
  EXPECT_EQ(r.names.size(), expected.size() + 2);
  EXPECT_EQ(r.err.find("fine.png"), std::string::npos);
}

TEST_P(ImageFaults, AMissingOrUnlistedFallbackIsReported) {
  dir.Write("Graphics/Art/fine.png", ValidPng(4, 4));
  dir.Write("Graphics/Art/sahatmftu.txt", "fine.png s 4 1 0\n");
  Result unlisted = Load(GetParam());
  EXPECT_NE(unlisted.err.find("img_test.png is not listed"), std::string::npos) << unlisted.err;
  EXPECT_NE(unlisted.err.find("Graphics\\Art\\sahatmftu.txt"), std::string::npos);

  dir.Write("Graphics/Art/sahatmftu.txt", "fine.png s 4 1 0\nimg_test.png s 8 1 0\n");
  Result missing = Load(GetParam());
  EXPECT_EQ(Count(missing.err, "\n"), 1u) << missing.err;
  EXPECT_NE(missing.err.find("Graphics\\Art\\img_test.png: the file is missing; it is the "
                             "fallback image"),
            std::string::npos)
      << missing.err;
}

TEST_P(ImageFaults, UnusableNumbersAreReportedAndTheImageStillLoads) {
  dir.Write("Graphics/Art/img_test.png", ValidPng(8, 8));
  dir.Write("Graphics/Art/sheet.png", ValidPng(32, 8));
  dir.Write("Graphics/Art/still.png", ValidPng(16, 8));
  dir.Write("Graphics/Art/sahatmftu.txt", "img_test.png s 8 1 0\n"
                                          "sheet.png s -5 1e30 NaN\n"
                                          "still.png s 16 0 0.5\n");
  ResetCheckFailureCount();
  Result r = Load(GetParam());
  EXPECT_EQ(CheckFailureCount(), 4) << r.err;
  EXPECT_EQ(r.uploads, 3);
  for (const char* text :
       {"line 2: sheet.png: frame width \"-5\"", "line 2: sheet.png: frame count \"1e30\"",
        "line 2: sheet.png: seconds per frame \"NaN\"", "line 3: still.png: frame count \"0\""})
    EXPECT_NE(r.err.find(text), std::string::npos) << text << " in:\n" << r.err;
  const Texture& sheet = r.table.at("sheet.png").texture;
  EXPECT_EQ(sheet.frame_count_, 1u);
  EXPECT_EQ(sheet.aniwidth_, 32u); // the whole image is its one frame
  EXPECT_EQ(sheet.base_fps_, 0.0f);
  const Texture& still = r.table.at("still.png").texture;
  EXPECT_EQ(still.frame_count_, 1u);
  EXPECT_EQ(still.aniwidth_, 16u);
  EXPECT_FLOAT_EQ(still.base_fps_, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Threads, ImageFaults, testing::Values(1u, 2u));

TEST(ArtLoadMessages, AMissingListIsNamedOnItsOwnLine) {
  ScratchDir dir;
  std::map<std::string, TextureRecord> table;
  std::vector<std::string> names;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ArtList::Load(ArtList::kListPath, 2, table, names, nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Failed to open the art asset file Graphics\\Art\\sahatmftu.txt\n");
}
} // namespace
