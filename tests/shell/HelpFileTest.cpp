// The compiled help file the build lays beside the program, read through chmlib, and the
// reader's refusal of damaged files.
#include <gtest/gtest.h>

#include <chm_lib.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

#include "platform/ChmFile.h"
#include "shell/HelpContexts.h"
#include "shell/HelpViewer.h"
#include "tests/shell/HelpTestSupport.h"

using namespace helptest;

namespace {

std::string Lower(std::string s)
{
  for (char& c : s)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Every page and text file of the sources, as a path inside the compiled file ("/Menus/Exit.htm").
std::vector<std::string> SourcePages()
{
  std::vector<std::string> out;
  for (auto& e : std::filesystem::recursive_directory_iterator(HelpSources())) {
    std::string ext = Lower(e.path().extension().string());
    if (e.is_regular_file() && (ext == ".htm" || ext == ".txt"))
      out.push_back("/" + std::filesystem::relative(e.path(), HelpSources()).generic_string());
  }
  return out;
}

}   // namespace

TEST(HelpFile, StandardReaderListsEveryPageAndThePopupFile)
{
  ASSERT_TRUE(std::filesystem::exists(BuiltHelpFile())) << "the build lays Help/KVHelp.chm beside the program";
  // chmlib on its own, as any reader on the system uses it.
  chmFile* h = chm_open(BuiltHelpFile().c_str());
  ASSERT_NE(h, nullptr);
  std::set<std::string> listed;
  chm_enumerate(
      h, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
      [](chmFile*, chmUnitInfo* ui, void* c) {
        static_cast<std::set<std::string>*>(c)->insert(Lower(ui->path));
        return CHM_ENUMERATOR_CONTINUE;
      },
      &listed);
  std::vector<std::string> pages = SourcePages();
  ASSERT_GT(pages.size(), 30u);
  for (const std::string& p : pages)
    EXPECT_TRUE(listed.count(Lower(p))) << p << " is not in the compiled file";
  EXPECT_TRUE(listed.count("/cshelp.txt"));
  // A page reads back exactly as written.
  chmUnitInfo ui{};
  ASSERT_EQ(chm_resolve_object(h, "/Welcome.htm", &ui), CHM_RESOLVE_SUCCESS);
  std::string bytes(size_t(ui.length), '\0');
  EXPECT_EQ(chm_retrieve_object(h, &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0, LONGINT64(ui.length)),
            LONGINT64(ui.length));
  EXPECT_EQ(bytes, ReadText(HelpSources() + "/Welcome.htm"));
  chm_close(h);
}

TEST(HelpFile, SettingsContentsIndexAndLinksAllLeadToPagesOfTheFile)
{
  TChmFile chm(BuiltHelpFile());
  EXPECT_EQ(chm.Title(), "Orrelo Help");
  EXPECT_EQ(chm.DefaultTopic(), "Welcome.htm");
  EXPECT_TRUE(chm.Exists(chm.ContentsFile()));
  EXPECT_TRUE(chm.Exists(chm.IndexFile()));
  EXPECT_EQ(chm.Read("welcome.HTM"), ReadText(HelpSources() + "/Welcome.htm"));

  std::vector<TSitemapEntry> toc = ParseSitemap(chm.Read(chm.ContentsFile()));
  ASSERT_GT(toc.size(), 30u);
  std::set<std::string> inContents;
  for (const TSitemapEntry& e : toc)
    if (!e.Local.empty()) {
      EXPECT_TRUE(chm.Exists(e.Local)) << e.Name << " -> " << e.Local;
      inContents.insert(Lower("/" + e.Local));
    }
  // Every page can be reached from the contents.
  for (const std::string& p : SourcePages())
    if (Lower(p).ends_with(".htm")) {
      EXPECT_TRUE(inContents.count(Lower(p))) << p << " is missing from the contents";
    }

  std::vector<TSitemapEntry> index = ParseSitemap(chm.Read(chm.IndexFile()));
  ASSERT_GT(index.size(), 20u);
  for (const TSitemapEntry& e : index)
    EXPECT_TRUE(chm.Exists(e.Local)) << e.Name << " -> " << e.Local;

  // Every link of every page leads to a page of the file.
  std::regex href(R"(href="([^"]+)\")", std::regex::icase);
  for (const std::string& page : chm.Names()) {
    if (!Lower(page).ends_with(".htm"))
      continue;
    std::string text = chm.Read(page);
    for (std::sregex_iterator it(text.begin(), text.end(), href), end; it != end; ++it) {
      std::string target = ResolveHelpLink(page, (*it)[1].str());
      EXPECT_TRUE(chm.Exists(target.substr(0, target.find('#')))) << page << " links to " << (*it)[1].str();
    }
  }
}

TEST(HelpFile, ContextNumbersOfTheProgramMatchTheFileAndLeadToPagesOrPopups)
{
  TChmFile chm(BuiltHelpFile());
  std::string mapFile = chm.Read("Context.h");
  std::map<std::string, Integer> names = ParseContextNames(mapFile);
  std::map<Integer, std::string> pages = ParseContextPages(mapFile, chm.Read("Alias.txt"));
  std::string popups = chm.Read("CSHelp.txt");
  // The numbers the program's menu items and controls carry.
  const std::pair<const char*, THelpContext> program[] = {
      {"IDH_MAIN_WINDOW", IDH_MAIN_WINDOW},
      {"IDH_FILE_PRINT_MECHANISM", IDH_FILE_PRINT_MECHANISM},
      {"IDH_FILE_PRINT_TEXT", IDH_FILE_PRINT_TEXT},
      {"IDH_FILE_EXIT", IDH_FILE_EXIT},
      {"IDH_EDIT_COPY_MECHANISM", IDH_EDIT_COPY_MECHANISM},
      {"IDH_EDIT_COPY_MECHANISM_FILE", IDH_EDIT_COPY_MECHANISM_FILE},
      {"IDH_EDIT_COPY_TEXT", IDH_EDIT_COPY_TEXT},
      {"IDH_VIEW_BACKGROUND", IDH_VIEW_BACKGROUND},
      {"IDH_VIEW_TEXT_BACKGROUND", IDH_VIEW_TEXT_BACKGROUND},
      {"IDH_VIEW_AXES", IDH_VIEW_AXES},
      {"IDH_VIEW_RESET", IDH_VIEW_RESET},
      {"IDH_ANIMATION_SPEED", IDH_ANIMATION_SPEED},
      {"IDH_TEST_ALL", IDH_TEST_ALL},
      {"IDH_TEST_CATEGORY", IDH_TEST_CATEGORY},
      {"IDH_HELP_SEARCH", IDH_HELP_SEARCH},
      {"IDH_HELP_CONTENTS", IDH_HELP_CONTENTS},
      {"IDH_HELP_ABOUT", IDH_HELP_ABOUT},
      {"IDH_SPEED_DIALOG", IDH_SPEED_DIALOG},
      {"IDH_TEST_WINDOW", IDH_TEST_WINDOW},
      {"IDH_PRINT_PREVIEW", IDH_PRINT_PREVIEW},
      {"IDH_PICTURE_PREVIEW", IDH_PICTURE_PREVIEW},
      {"IDH_ENLARGED_PICTURE", IDH_ENLARGED_PICTURE},
      {"IDH_VIDEO_WINDOW", IDH_VIDEO_WINDOW},
      {"IDH_USER_NAME", IDH_USER_NAME},
      {"IDH_ABOUT", IDH_ABOUT},
      {"IDH_POPUP_3D_VIEW", IDH_POPUP_3D_VIEW},
      {"IDH_POPUP_STEP_BAR", IDH_POPUP_STEP_BAR},
      {"IDH_POPUP_START", IDH_POPUP_START},
      {"IDH_POPUP_STOP", IDH_POPUP_STOP},
      {"IDH_POPUP_ZOOM", IDH_POPUP_ZOOM},
      {"IDH_POPUP_SPEED_SLIDER", IDH_POPUP_SPEED_SLIDER},
      {"IDH_POPUP_USER_NAME", IDH_POPUP_USER_NAME},
      {"IDH_POPUP_TEST_ANSWERS", IDH_POPUP_TEST_ANSWERS},
      {"IDH_POPUP_PAGE", IDH_POPUP_PAGE},
      {"IDH_POPUP_CAM_SHAPE", IDH_POPUP_CAM_SHAPE},
  };
  EXPECT_EQ(names.size(), std::size(program));
  for (auto& [name, number] : program) {
    ASSERT_TRUE(names.count(Lower(name))) << name;
    EXPECT_EQ(names[Lower(name)], number) << name;
    bool popup = std::string(name).starts_with("IDH_POPUP_");
    if (popup) {
      EXPECT_FALSE(FindPopupText(popups, Cardinal(number), names).empty()) << name;
    } else {
      ASSERT_TRUE(pages.count(number)) << name;
      EXPECT_TRUE(chm.Exists(pages[number])) << pages[number];
    }
  }
}

TEST(HelpFile, TruncatedDamagedAndForeignFilesAreRefusedWithAReason)
{
  std::string good = ReadText(BuiltHelpFile());
  ASSERT_GT(good.size(), 4096u);
  auto reason = [](const std::string& file) -> std::string {
    try {
      TChmFile chm(file);
      for (const std::string& n : chm.Names())
        chm.Read(n);
      return "opened";
    } catch (const EChmError& e) {
      return e.Message;
    }
  };
  for (size_t cut : {size_t(0), size_t(3), size_t(0x57), size_t(0x60), size_t(0x100), size_t(2000), good.size() / 2,
                     good.size() - 1}) {
    std::string r = reason(WriteHelpCopy("cut.chm", good.substr(0, cut)));
    EXPECT_NE(r, "opened") << "cut at " << cut;
    if (cut >= 0x60) {
      EXPECT_NE(r.find("truncated"), std::string::npos) << "cut at " << cut << ": " << r;
    }
  }
  EXPECT_NE(reason(WriteHelpCopy("html.chm", "<html><body>not help</body></html>")).find("not a compiled help file"),
            std::string::npos);
  EXPECT_NE(reason(WriteHelpCopy("empty.chm", "")).find("not a compiled help file"), std::string::npos);
  EXPECT_NE(reason(std::string(ORRELO_TEST_OUTPUT) + "/help/no-such.chm").find("Cannot open"), std::string::npos);

  // The directory's chunk size, chunk count and listing chunks are checked before use.
  size_t dir = good.find("ITSP");
  ASSERT_NE(dir, std::string::npos);
  auto patched = [&](size_t at, std::initializer_list<unsigned char> bytes) {
    std::string b = good;
    size_t i = at;
    for (unsigned char c : bytes)
      b[i++] = char(c);
    return b;
  };
  for (const std::string& bad : {patched(dir + 0x10, {0, 0, 0, 0x40}),        // chunk size 1 GB
                                 patched(dir + 0x2C, {0xFF, 0xFF, 0, 0}),     // more chunks than the file
                                 patched(dir + 0x54, {'X', 'X', 'X', 'X'}),   // first chunk not a listing
                                 patched(dir + 0x1C, {0x40, 0, 0, 0})}) {     // index root past the chunks
    std::string r = reason(WriteHelpCopy("patched.chm", bad));
    EXPECT_NE(r.find("damaged"), std::string::npos) << r;
  }
  // The good file itself opens and reads whole.
  EXPECT_EQ(reason(BuiltHelpFile()), "opened");
}

TEST(HelpSitemap, EntriesLevelsNamesAndPagesAsWritten)
{
  std::vector<TSitemapEntry> e =
      ParseSitemap(R"(<HTML><BODY><!-- <OBJECT type="text/sitemap"><param name="Name" value="Hidden"></OBJECT> -->
<UL>
 <LI><OBJECT type="text/sitemap"><param name="Name" value="Top &amp; first"><param name="Local" value="A.htm"></OBJECT>
 <UL>
  <LI><object TYPE='text/sitemap'><PARAM NAME=name VALUE=Inner><param name="Local" value="Sub/B.htm#x"><param name="Name" value="Second name"></object>
  <UL><LI><OBJECT type="text/sitemap"><param name="Name" value="Deep"></OBJECT></UL>
 </UL>
 <LI><OBJECT type="text/sitemap"><param name="Name" value="Back at top &#65;"><param name="Local" value="C.htm"></OBJECT>
 <OBJECT type="application/x-other"><param name="Name" value="Not an entry"></OBJECT>
</UL></BODY></HTML>)");
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].Name, "Top & first");
  EXPECT_EQ(e[0].Level, 0);
  EXPECT_EQ(e[0].Local, "A.htm");
  EXPECT_EQ(e[1].Name, "Inner");   // the first name counts
  EXPECT_EQ(e[1].Level, 1);
  EXPECT_EQ(e[1].Local, "Sub/B.htm#x");
  EXPECT_EQ(e[2].Name, "Deep");
  EXPECT_EQ(e[2].Level, 2);
  EXPECT_EQ(e[2].Local, "");
  EXPECT_EQ(e[3].Name, "Back at top A");
  EXPECT_EQ(e[3].Level, 0);
  // Unclosed tags and stray closings neither crash nor go below the top.
  std::vector<TSitemapEntry> odd = ParseSitemap(
      "</UL></UL><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"X\"></OBJECT><UL><OBJECT type=\"text/sitemap\"><param name=\"Name");
  ASSERT_EQ(odd.size(), 1u);
  EXPECT_EQ(odd[0].Level, 0);

  // Character references in hexadecimal as well as decimal; those beyond ASCII in the
  // system page the names are drawn in (U+2019 is 0x92 there).
  std::vector<TSitemapEntry> refs = ParseSitemap(
      R"(<OBJECT type="text/sitemap"><param name="Name" value="The model&#x27;s &#X41;&#233;&#8217;&#x;&#xZZ;"></OBJECT>)");
  ASSERT_EQ(refs.size(), 1u);
  EXPECT_EQ(refs[0].Name, "The model's A\xE9\x92&#x;&#xZZ;");

  std::string file, inner;
  SplitHelpURL("/x/KVHelp.chm::/CSHelp.txt", file, inner);
  EXPECT_EQ(file, "/x/KVHelp.chm");
  EXPECT_EQ(inner, "/CSHelp.txt");
  SplitHelpURL("/x/KVHelp.chm", file, inner);
  EXPECT_EQ(file, "/x/KVHelp.chm");
  EXPECT_EQ(inner, "");
}
