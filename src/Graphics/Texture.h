#pragma once
#include <string>

// One art-list entry: the image path and its animation layout.
struct Texture {
  std::string filename_;      // "Graphics\Art\" + art-list name
  bool does_animate_ = false; // a sprite taking this texture starts animating
  unsigned aniwidth_ = 0;     // width of one frame, pixels
  unsigned frame_count_ = 1;  // frames side by side in the image
  float base_fps_ = 0.0f;     // seconds per frame

  // Frame count used for arithmetic: a count of 0 from a file counts as 1.
  unsigned Frames() const { return frame_count_ == 0 ? 1u : frame_count_; }
};

// A texture-table entry: the GL texture and the decoded image while it is being loaded.
struct TextureRecord {
  unsigned glName = 0;
  int width = 0;
  int height = 0;
  unsigned char* pixels = nullptr; // present only between decoding and upload
  Texture texture;
  std::string problem;         // why the image did not decode, while it is being loaded
  bool widthFromImage = false; // the list's frame width was unusable: width / frames at upload
};

// Length of the "Graphics\Art\" prefix of a texture's file name.
constexpr size_t kArtPrefixLength = 13;
