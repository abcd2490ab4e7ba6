// Memory streams: reading files whole, safely, and seeking.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "html/HTMLStreams.h"
#include "tests/html/HtmlViewerTestUtil.h"

namespace {

std::string OutDir(const std::string& Name)
{
  const std::string dir = std::string(ORRELO_TEST_OUTPUT) + "/htmlstreams/" + Name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir + "/Pics");
  return dir;
}

// A page's picture name can lead anywhere a relative link climbs to; what is no regular file
// (a device that never ends, a folder) or far too large for a picture is refused at once
// instead of read until memory runs out.
TEST(HTMLStreams, FilesAreReadWholeAndSafely)
{
  const std::string dir = OutDir("Files");
  std::ofstream(dir + "/Pics/Small.GIF", std::ios::binary) << "GIF89a-bytes";
  TByteStream s;
  s.LoadFromFile(dir + "/pics/small.gif");   // names from pages ignore letter case
  EXPECT_EQ(std::string(s.Bytes().begin(), s.Bytes().end()), "GIF89a-bytes");
  EXPECT_EQ(s.Position(), 0);

  TByteStream t;
  EXPECT_THROW(t.LoadFromFile("/dev/zero"), EFOpenError);
  EXPECT_THROW(t.LoadFromFile(dir + "/Pics"), EFOpenError);
  EXPECT_THROW(t.LoadFromFile(dir + "/none.gif"), EFOpenError);

  // A sparse file one byte over the limit takes no room on disk.
  const std::string huge = dir + "/huge.bmp";
  std::ofstream(huge, std::ios::binary).put('B');
  ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(TByteStream::MaxFileBytes) + 1), 0);
  EXPECT_THROW(t.LoadFromFile(huge), EReadError);
  EXPECT_TRUE(t.Bytes().empty());
}

// The same through a page: a picture that climbs out to a device shows as a broken picture
// and the page loads.
TEST_F(HtmlViewerTest, APictureNamingADeviceLoadsNothing)
{
  std::string up;
  for (int i = 0; i < 40; ++i)
    up += "../";
  const std::string page = Write("page.htm", "<p>Before<img src=\"" + up + "dev/zero\" width=20 height=20>After</p>");
  Viewer->LoadFromFile(page);
  Shot();
  EXPECT_NE(Viewer->DocumentSource().find("After"), std::string::npos);
}

TEST(HTMLStreams, SeekingStaysInRange)
{
  TByteStream s(std::vector<uint8_t>{1, 2, 3, 4});
  EXPECT_EQ(s.Seek(2, TSeekOrigin::soBeginning), 2);
  EXPECT_EQ(s.Seek(-10, TSeekOrigin::soCurrent), 0);
  EXPECT_EQ(s.Seek(-1, TSeekOrigin::soEnd), 3);
  uint8_t b = 0;
  EXPECT_EQ(s.Read(&b, 1), 1u);
  EXPECT_EQ(b, 4);
  // Lengths read from a damaged file can be anything: the position saturates.
  EXPECT_EQ(s.Seek(INT64_MAX, TSeekOrigin::soCurrent), INT64_MAX);
  EXPECT_EQ(s.Read(&b, 1), 0u);
  EXPECT_EQ(s.Seek(INT64_MIN, TSeekOrigin::soEnd), 0);
}

}   // namespace
