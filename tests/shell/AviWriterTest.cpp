// The clip writer's file structure: the sizes that players trust to find the frames.
#include "tools/common/AviWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
  return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}

std::string Tag(const std::vector<uint8_t>& b, size_t at)
{
  return std::string(b.begin() + long(at), b.begin() + long(at + 4));
}

// The position of the first chunk or list with the tag (lists by their type) at or after from.
size_t Find(const std::vector<uint8_t>& b, const std::string& tag, size_t from = 12)
{
  for (size_t i = from; i + 4 <= b.size(); ++i)
    if (Tag(b, i) == tag)
      return i;
  return std::string::npos;
}

}   // namespace

TEST(AviWriterTest, ChunkSizesIndexAndHeadersDescribeTheFrames)
{
  // Frames of odd and even lengths: odd ones are padded, and the index must still find
  // every frame's start.
  const std::vector<std::vector<uint8_t>> frames{{1, 2, 3}, {4, 5, 6, 7}, {8}, {9, 10, 11, 12, 13, 14}};
  const std::vector<uint8_t> avi = SaveMjpegAvi(32, 24, 12, frames);
  ASSERT_EQ(Tag(avi, 0), "RIFF");
  EXPECT_EQ(U32(avi, 4), avi.size() - 8);
  EXPECT_EQ(Tag(avi, 8), "AVI ");

  const size_t avih = Find(avi, "avih");
  ASSERT_NE(avih, std::string::npos);
  EXPECT_EQ(U32(avi, avih + 8), 1000000u / 12);   // microseconds a frame
  EXPECT_EQ(U32(avi, avih + 8 + 16), 4u);         // frames
  EXPECT_EQ(U32(avi, avih + 8 + 32), 32u);        // width
  EXPECT_EQ(U32(avi, avih + 8 + 36), 24u);        // height
  const size_t strh = Find(avi, "strh");
  ASSERT_NE(strh, std::string::npos);
  EXPECT_EQ(Tag(avi, strh + 8), "vids");
  EXPECT_EQ(Tag(avi, strh + 12), "MJPG");
  EXPECT_EQ(U32(avi, strh + 8 + 20), 1u);    // scale
  EXPECT_EQ(U32(avi, strh + 8 + 24), 12u);   // rate: 12 / 1 frames a second
  EXPECT_EQ(U32(avi, strh + 8 + 32), 4u);    // length in frames

  const size_t movi = Find(avi, "movi");
  const size_t idx = Find(avi, "idx1");
  ASSERT_NE(movi, std::string::npos);
  ASSERT_NE(idx, std::string::npos);
  // The movi list's size reaches exactly to the index.
  EXPECT_EQ(U32(avi, movi - 4) + movi, idx);
  ASSERT_EQ(U32(avi, idx + 4), 16u * frames.size());
  for (size_t k = 0; k < frames.size(); ++k) {
    const size_t entry = idx + 8 + 16 * k;
    EXPECT_EQ(Tag(avi, entry), "00dc");
    const size_t chunk = movi + U32(avi, entry + 8);   // offsets count from the "movi" tag
    ASSERT_EQ(Tag(avi, chunk), "00dc") << k;
    EXPECT_EQ(U32(avi, chunk + 4), frames[k].size());
    EXPECT_EQ(U32(avi, entry + 12), frames[k].size());
    EXPECT_TRUE(std::equal(frames[k].begin(), frames[k].end(), avi.begin() + long(chunk + 8))) << k;
  }
}

TEST(AviWriterTest, AClipNeedsFramesASizeAndARate)
{
  EXPECT_THROW(SaveMjpegAvi(32, 24, 12, {}), EInvalidGraphic);
  EXPECT_THROW(SaveMjpegAvi(0, 24, 12, {{1}}), EInvalidGraphic);
  EXPECT_THROW(SaveMjpegAvi(32, 24, 0, {{1}}), EInvalidGraphic);
  EXPECT_NO_THROW(SaveMjpegAvi(32, 24, 12, {{1}}));
}
