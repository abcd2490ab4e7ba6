#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under the test output, removed again afterwards.
struct TTempTree {
  std::string Root;
  TTempTree()
  {
    Root =
        std::string(ORRELO_TEST_OUTPUT) + "/files_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(Root);
    fs::create_directories(Root);
    Root += "/";
  }
  ~TTempTree() { fs::remove_all(Root); }
  void Write(const std::string& rel, const std::string& text)
  {
    fs::create_directories(fs::path(Root + rel).parent_path());
    std::ofstream(Root + rel, std::ios::binary) << text;
  }
};

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

}   // namespace

TEST(Files, NamesResolveOneComponentAtATimeIgnoringCase)
{
  TTempTree t;
  t.Write("HTML/Images/Splash_NB.jpg", "lower");
  t.Write("HTML/Rotary.htm", "page");
  EXPECT_EQ(ResolveFileName(t.Root + "html/IMAGES/splash_nb.JPG"), t.Root + "HTML/Images/Splash_NB.jpg");
  EXPECT_EQ(ResolveFileName(t.Root + "HTML\\images\\Splash_NB.jpg"), t.Root + "HTML/Images/Splash_NB.jpg");
  EXPECT_EQ(ResolveFileName(t.Root + "HTML//./ROTARY.HTM"), t.Root + "HTML/Rotary.htm");
  EXPECT_EQ(ResolveFileName(t.Root + "html/images/"), t.Root + "HTML/Images/");
  EXPECT_EQ(ResolveFileName(t.Root + "HTML/Images/../rotary.htm"), t.Root + "HTML/Images/../Rotary.htm");
  // Unresolvable names come back with forward slashes only.
  EXPECT_EQ(ResolveFileName(t.Root + "HTML\\nothing\\x.gif"), t.Root + "HTML/nothing/x.gif");
  // A file in the way of a folder component does not resolve.
  EXPECT_EQ(ResolveFileName(t.Root + "html/rotary.htm/x"), t.Root + "html/rotary.htm/x");

  EXPECT_TRUE(FileExists(t.Root + "html\\rotary.HTM"));
  EXPECT_FALSE(FileExists(t.Root + "html"));
  EXPECT_TRUE(DirectoryExists(t.Root + "html\\IMAGES"));
  EXPECT_FALSE(DirectoryExists(t.Root + "html/rotary.htm"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_EQ(Text(ReadFileBytes(t.Root + "HTML/IMAGES/SPLASH_NB.JPG", 100)), "lower");
}

TEST(Files, AnExactMatchWinsOverOneOfAnotherCase)
{
  TTempTree t;
  t.Write("images/a.gif", "lower");
  t.Write("IMAGES/a.gif", "upper");
  t.Write("Images/B.gif", "mixed");
  EXPECT_EQ(Text(ReadFileBytes(t.Root + "images/a.gif", 100)), "lower");
  EXPECT_EQ(Text(ReadFileBytes(t.Root + "IMAGES/a.gif", 100)), "upper");
  // B.gif lives only in the mixed-case folder: an exact folder match without it must not
  // end the search.
  EXPECT_EQ(ResolveFileName(t.Root + "images/b.GIF"), t.Root + "Images/B.gif");
  // Among several case-insensitive matches the first in byte order is taken.
  EXPECT_EQ(ResolveFileName(t.Root + "iMaGeS/a.gif"), t.Root + "IMAGES/a.gif");
}

TEST(Files, ReadingAndWritingWholeFiles)
{
  TTempTree t;
  t.Write("data.bin", std::string(1000, 'x'));
  EXPECT_EQ(ReadFileBytes(t.Root + "data.bin", 1000).size(), 1000u);
  EXPECT_THROW(ReadFileBytes(t.Root + "data.bin", 999), EReadError);
  EXPECT_THROW(ReadFileBytes(t.Root + "missing.bin", 1000), EFOpenError);
  EXPECT_THROW(ReadFileBytes(t.Root, 1000), EFOpenError);   // a folder

  // Writing over a file of another letter case replaces it rather than adding a twin.
  WriteFileBytes(t.Root + "DATA.BIN", {'o', 'k'});
  EXPECT_EQ(Text(ReadFileBytes(t.Root + "data.bin", 1000)), "ok");
  EXPECT_FALSE(fs::exists(t.Root + "DATA.BIN"));
  WriteFileBytes(t.Root + "NEW.bin", {});
  EXPECT_TRUE(FileExists(t.Root + "new.BIN"));
  EXPECT_THROW(WriteFileBytes(t.Root + "no/such/folder/x", {'x'}), EFCreateError);

  // A replaced file keeps its permissions; a link stays a link and its file takes the bytes.
  fs::permissions(t.Root + "data.bin", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileBytes(t.Root + "data.bin", {'n', 'e', 'w'});
  EXPECT_EQ(fs::status(t.Root + "data.bin").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("data.bin", t.Root + "link.bin");
  WriteFileBytes(t.Root + "link.bin", {'v', 'i', 'a'});
  EXPECT_TRUE(fs::is_symlink(t.Root + "link.bin"));
  EXPECT_EQ(Text(ReadFileBytes(t.Root + "data.bin", 1000)), "via");
  EXPECT_THROW(WriteFileBytes(t.Root, {'x'}), EFCreateError);   // a folder
  EXPECT_THROW(WriteFileBytes("/dev/null", {'x'}), EFCreateError);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // A file the user may not write is not replaced behind its back (the superuser may write any).
  fs::permissions(t.Root + "NEW.bin", fs::perms::owner_read);
  if (::geteuid() != 0) {
    EXPECT_THROW(WriteFileBytes(t.Root + "NEW.bin", {'x'}), EFCreateError);
    EXPECT_EQ(fs::file_size(t.Root + "NEW.bin"), 0u);
  }
  // Nothing else was left in the folder on the way.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(t.Root))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"NEW.bin", "data.bin", "link.bin"}));
}

TEST(Files, IniFilesAreReadOnlyAndForgiving)
{
  TTempTree t;
  t.Write("Tarv.ini",
          "; settings\r\n"
          "[UserDir]\r\n"
          "  dir = C:\\Pictures \r\n"
          "[video]\n"
          "MP=1\n"
          "Hex=0x1F\n"
          "Bad=12a\n"
          "Quoted=\"  spaced  \"\n"
          "mp=2\n"
          "[Video]\n"
          "Extra=yes\n"
          "noequals\n");
  TIniFile ini(t.Root + "tarv.INI");
  EXPECT_EQ(ini.ReadString("userdir", "DIR", ""), "C:\\Pictures");
  EXPECT_EQ(ini.ReadInteger("VIDEO", "mp", 0), 1);   // the first of repeated keys counts
  EXPECT_EQ(ini.ReadInteger("video", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("video", "Bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger("video", "Missing", -3), -3);
  EXPECT_EQ(ini.ReadString("video", "Quoted", ""), "  spaced  ");
  EXPECT_EQ(ini.ReadString("video", "Extra", ""), "yes");   // a repeated section adds keys
  EXPECT_TRUE(ini.SectionExists("VIDEO"));
  EXPECT_TRUE(ini.ValueExists("video", "EXTRA"));
  EXPECT_FALSE(ini.ValueExists("video", "noequals"));
  EXPECT_EQ(ini.ReadString("Nowhere", "dir", "default"), "default");

  TIniFile missing(t.Root + "none.ini");
  EXPECT_EQ(missing.ReadString("UserDir", "dir", ""), "");
  EXPECT_EQ(missing.ReadInteger("video", "MP", 0), 0);
}

TEST(Files, ProgramFolderUserAndVersion)
{
  std::string folder = ExeFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_TRUE(FileExists(folder + "test_platform"));
  EXPECT_FALSE(LoginUserName().empty());
  std::string v = VersionString();
  EXPECT_FALSE(v.empty());
  EXPECT_NE(v.find('.'), std::string::npos);
}
