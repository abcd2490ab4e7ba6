// The viewer control: loading, links, history and visited links.
#include <gtest/gtest.h>

#include "platform/BmpFile.h"
#include "tests/html/HtmlViewerTestUtil.h"

namespace {

std::string Page(const std::string& Title, const std::string& Body)
{
  return "<html><head><title>" + Title + "</title></head><body>" + Body + "</body></html>";
}

// A table of more columns than a table may have: its page fails to lay out.
std::string TooWideTable()
{
  std::string cells;
  for (int i = 0; i < 201; ++i)
    cells += "<td>" + std::to_string(i) + "</td>";
  return "<table><tr>" + cells + "</tr></table>";
}

}   // namespace

TEST_F(HtmlViewerTest, LoadFromStringRunsTheEventsInOrderAndMakesNoHistory)
{
  std::vector<std::string> log;
  Viewer->SetHistoryMaxCount(20);
  Viewer->OnProcessing = [&](TObject*, bool On) { log.push_back(On ? "on" : "off"); };
  Viewer->OnProgress = [&](TObject*, TProgressStage S, int32_t P) {
    if (S != psRunning)
      log.push_back("progress" + std::to_string(P));
  };
  Viewer->OnSoundRequest = [&](TObject*, const std::string& Src, int32_t Loop, bool Terminate) {
    EXPECT_TRUE(Src.empty());
    EXPECT_EQ(Loop, 0);
    EXPECT_TRUE(Terminate);
    log.push_back("sound");
  };
  // The handler may change the text before it is parsed.
  Viewer->OnParseBegin = [&](TObject*, std::string& Source) {
    log.push_back("begin");
    Source = Page("Changed", "<p>Hello</p>");
  };
  Viewer->OnParseEnd = [&](TObject*) { log.push_back("end"); };
  Viewer->LoadFromString(Page("Original", "<p>Hi</p>"));
  EXPECT_EQ(log, (std::vector<std::string>{"on", "progress0", "sound", "begin", "end", "progress100", "off"}));
  EXPECT_EQ(Viewer->Title(), u"Changed");
  EXPECT_NE(Viewer->DocumentSource().find("Hello"), std::string::npos);
  EXPECT_TRUE(Viewer->CurrentFile().empty());
  EXPECT_FALSE(Viewer->Processing());
  EXPECT_TRUE(Viewer->History().empty());
}

TEST_F(HtmlViewerTest, LoadFromFileIgnoresLetterCaseAndReportsAMissingFile)
{
  Write("Page.htm", Page("First page", "<p>Text</p>"));
  Viewer->SetHistoryMaxCount(20);
  Viewer->LoadFromFile(Dir + "/PAGE.HTM");
  EXPECT_EQ(Viewer->Title(), u"First page");
  EXPECT_EQ(Viewer->CurrentFile(), Dir + "/PAGE.HTM");
  EXPECT_EQ(Viewer->FileType(), ftHTML);

  bool processingOff = false;
  Viewer->OnProcessing = [&](TObject*, bool On) { processingOff = !On; };
  try {
    Viewer->LoadFromFile(Dir + "/Missing.htm#anchor");
    FAIL() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message, "Can't locate file: " + Dir + "/Missing.htm");
  }
  EXPECT_TRUE(processingOff);
  EXPECT_FALSE(Viewer->Processing());
  // The page shown stays, and no history entry was made.
  EXPECT_EQ(Viewer->Title(), u"First page");
  EXPECT_EQ(Viewer->History().size(), 1u);

  // A text file is shown as preformatted text.
  Write("notes.txt", "one <b>two</b>\nthree");
  Viewer->LoadTextFile(Dir + "/Notes.TXT");
  EXPECT_EQ(Viewer->FileType(), ftText);
  EXPECT_EQ(Viewer->History().size(), 2u);
}

// A page that cannot be laid out (a table wider than any may be) is reported once and leaves
// the page that was shown on screen as it was: scrolled where it was, its form fields as the
// reader left them, its history entry and Back and Forward unchanged; a resize does not raise
// the error again.
TEST_F(HtmlViewerTest, APageThatFailsToLayOutLeavesTheShownPageAsItWas)
{
  Write("first.htm", Page("First page", "<p>One</p>"));
  std::string good = "<form><input type=text name=q value=start></form>";
  for (int i = 0; i < 60; ++i)
    good += "<p>Line " + std::to_string(i) + "</p>";
  Write("good.htm", Page("Good page", good));
  Write("wide.htm", Page("Wide page", TooWideTable()));
  Viewer->SetHistoryMaxCount(20);
  Viewer->LoadFromFile(Dir + "/first.htm");
  Viewer->LoadFromFile(Dir + "/good.htm");
  Viewer->SetHistoryIndex(1);
  Viewer->SetHistoryIndex(0);   // there is a page to go back to and one was forward
  Viewer->LoadFromFile(Dir + "/first.htm");
  Viewer->SetHistoryIndex(1);
  ASSERT_EQ(Viewer->Title(), u"Good page");
  Viewer->SetVScrollBarPosition(300);
  const int32_t height = Viewer->DocumentHeight();
  Viewer->SectionList().htmlFormList[0]->SetFormData({"q=typed"});
  int changes = 0;
  Viewer->OnHistoryChange = [&](TObject*) { ++changes; };

  try {
    Viewer->LoadFromFile(Dir + "/wide.htm");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Table has too many Columns");
  }
  EXPECT_FALSE(Viewer->Processing());
  EXPECT_EQ(Viewer->CurrentFile(), Dir + "/good.htm");
  EXPECT_EQ(Viewer->Title(), u"Good page");
  EXPECT_EQ(Viewer->DocumentHeight(), height);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 300);
  ASSERT_EQ(Viewer->SectionList().htmlFormList.Count(), 1);
  EXPECT_EQ(Viewer->SectionList().htmlFormList[0]->GetFormSubmission(), std::vector<std::string>{"q=typed"});
  EXPECT_EQ(Viewer->History(), (std::vector<std::string>{Dir + "/first.htm", Dir + "/good.htm", Dir + "/first.htm"}));
  EXPECT_EQ(Viewer->HistoryIndex(), 1);
  EXPECT_EQ(changes, 0);
  EXPECT_NO_THROW(Viewer->SetBounds(0, 0, 250, 200));
  EXPECT_NO_THROW(Shot());
  // Back and Forward reach what they reached before.
  Viewer->SetHistoryIndex(2);
  EXPECT_EQ(Viewer->Title(), u"First page");
  Viewer->SetHistoryIndex(1);
  EXPECT_EQ(Viewer->Title(), u"Good page");
  Viewer->SetHistoryIndex(0);
  EXPECT_EQ(Viewer->Title(), u"First page");

  // The same from a string: the page shown from a string before stays.
  Viewer->LoadFromString(Page("From a string", "<p>Four</p>"));
  EXPECT_THROW(Viewer->LoadFromString(TooWideTable()), Exception);
  EXPECT_EQ(Viewer->Title(), u"From a string");
  EXPECT_TRUE(Viewer->CurrentFile().empty());
  EXPECT_GT(Viewer->DocumentHeight(), 0);
  EXPECT_NO_THROW(Viewer->SetBounds(0, 0, 300, 200));
}

// After a page fails to lay out, the history stays as it was before the failed load: the
// page left, loaded again, records nothing new, and a page loaded next is recorded as if it
// had been left from the page before the failure, so Back reaches what it reached before.
TEST_F(HtmlViewerTest, AFailedLoadLeavesTheHistoryAsItWas)
{
  Write("first.htm", Page("First page", "<p>One</p>"));
  Write("second.htm", Page("Second page", "<p>Two</p>"));
  Write("other.htm", Page("Other page", "<p>Three</p>"));
  Write("wide.htm", Page("Wide page", TooWideTable()));
  const std::string first = Dir + "/first.htm", second = Dir + "/second.htm", other = Dir + "/other.htm";
  Viewer->SetHistoryMaxCount(20);
  int changes = 0;
  Viewer->OnHistoryChange = [&](TObject*) { ++changes; };
  Viewer->LoadFromFile(first);
  Viewer->LoadFromFile(second);
  const std::vector<std::string> before{second, first};
  ASSERT_EQ(Viewer->History(), before);
  changes = 0;
  EXPECT_THROW(Viewer->LoadFromFile(Dir + "/wide.htm"), Exception);
  EXPECT_EQ(Viewer->History(), before);
  EXPECT_EQ(Viewer->HistoryIndex(), 0);
  EXPECT_EQ(changes, 0);

  // The page left, loaded again: no second entry for it, and Back goes to the page before.
  Viewer->LoadFromFile(second);
  EXPECT_EQ(Viewer->History(), before);
  EXPECT_EQ(Viewer->HistoryIndex(), 0);
  Viewer->SetHistoryIndex(1);
  EXPECT_EQ(Viewer->Title(), u"First page");

  // A failure after going back: the next page drops the newer entries as it would have from
  // the page shown before the failure.
  EXPECT_THROW(Viewer->LoadFromFile(Dir + "/wide.htm"), Exception);
  EXPECT_EQ(Viewer->History(), before);
  EXPECT_EQ(Viewer->HistoryIndex(), 1);
  Viewer->LoadFromFile(other);
  EXPECT_EQ(Viewer->History(), (std::vector<std::string>{other, first}));
  Viewer->SetHistoryIndex(1);
  EXPECT_EQ(Viewer->Title(), u"First page");

  // A page shown from a string is no page of the history: what follows it is recorded as
  // the viewer always did, the failure before it forgotten.
  EXPECT_THROW(Viewer->LoadFromFile(Dir + "/wide.htm"), Exception);
  Viewer->LoadFromString(Page("Shown from a string", "<p>Four</p>"));
  Viewer->LoadFromFile(first);
  EXPECT_EQ(Viewer->History().front(), first);
  EXPECT_EQ(Viewer->History().size(), 3u);
}

TEST_F(HtmlViewerTest, AnAnchorInTheNameScrollsAndReloadingKeepsThePlace)
{
  Write("long.htm", LongPage(80));
  Write("other.htm", LongPage(80));
  Viewer->LoadFromFile(Dir + "/long.htm#DEEP");
  const int32_t y = Viewer->VScrollBarPosition();
  EXPECT_GT(y, 500);
  EXPECT_EQ(Viewer->CurrentFile(), Dir + "/long.htm");
  EXPECT_EQ(Viewer->Visited().front(), Dir + "/long.htm#DEEP");
  // The same file again keeps the scroll position; another file starts at the top.
  Viewer->LoadFromFile(Dir + "/long.htm");
  EXPECT_EQ(Viewer->VScrollBarPosition(), y);
  Viewer->LoadFromFile(Dir + "/other.htm");
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);
  EXPECT_FALSE(Viewer->PositionTo("#nowhere"));
  EXPECT_FALSE(Viewer->PositionTo(""));
  EXPECT_TRUE(Viewer->PositionTo("deep"));
  EXPECT_GT(Viewer->VScrollBarPosition(), 500);
}

TEST_F(HtmlViewerTest, FollowLinkAsksTheHostFirstAndThenLoadsTheRightKind)
{
  Write("index.htm", LongPage(60));
  Write("Two.htm", Page("Two", "<p>Second</p>"));
  Write("three.htmlx", Page("Three", "<p>Third</p>"));
  Viewer->SetHistoryMaxCount(20);
  Viewer->LoadFromFile(Dir + "/index.htm");

  std::vector<std::string> asked;
  bool handle = true;
  Viewer->OnHotSpotClick = [&](TObject*, const std::string& Src, bool& Handled) {
    EXPECT_FALSE(Handled);
    asked.push_back(Src);
    Handled = handle;
  };
  Viewer->URL = "two.HTM";
  Viewer->FollowLink();
  EXPECT_EQ(asked, std::vector<std::string>{"two.HTM"});
  EXPECT_EQ(Viewer->Title(), u"Long");   // handled by the host

  handle = false;
  // A link to an anchor the page lacks, to the page itself, or off-site: nothing happens.
  for (const char* link : {"#missing", "index.htm", "http://example.com/a.htm", "readme.doc"}) {
    Viewer->URL = link;
    Viewer->FollowLink();
    EXPECT_EQ(Viewer->Title(), u"Long") << link;
    EXPECT_EQ(Viewer->History().size(), 1u) << link;
    EXPECT_EQ(Viewer->VScrollBarPosition(), 0) << link;
  }

  Viewer->URL = "#deep";
  Viewer->FollowLink();
  EXPECT_GT(Viewer->VScrollBarPosition(), 0);
  ASSERT_EQ(Viewer->History().size(), 2u);   // the same page at two places

  Viewer->URL = "Two.htm";
  Viewer->FollowLink();
  EXPECT_EQ(Viewer->Title(), u"Two");
  EXPECT_EQ(Viewer->History().size(), 3u);
  EXPECT_EQ(Viewer->Visited().front(), Dir + "/Two.htm");

  // Only five characters of the extension count.
  Viewer->URL = "three.htmlx";
  Viewer->FollowLink();
  EXPECT_EQ(Viewer->Title(), u"Three");

  // A "file:///" link names its file by its absolute path, whichever folder the page is in.
  Write("Sub/four.htm", Page("Four", "<p>Fourth</p>"));
  ASSERT_EQ(Dir[0], '/');
  Viewer->URL = "file://" + Dir + "/Sub/four.htm";
  Viewer->FollowLink();
  EXPECT_EQ(Viewer->Title(), u"Four");
  EXPECT_EQ(Viewer->CurrentFile(), Dir + "/Sub/four.htm");
}

TEST_F(HtmlViewerTest, RootLinksToPicturesExpandUnderTheServerRoot)
{
  TBitmap pic(8, 6);
  pic.Canvas().FillRect(Rect(0, 0, 8, 6), clRed);
  SaveBmpToFile(pic, Dir + "/Sub/Pic.bmp");
  Write("page.htm", Page("P", "<p>x</p>"));
  Viewer->SetServerRoot("  " + Dir + "\\ ");
  EXPECT_EQ(Viewer->ServerRoot(), Dir);
  Viewer->LoadFromFile(Dir + "/page.htm");
  EXPECT_EQ(Viewer->ExpandLinkName("/sub/pic.bmp"), Dir + "/sub/pic.bmp");
  EXPECT_EQ(Viewer->ExpandLinkName("Sub/../page.htm"), Dir + "/page.htm");
  EXPECT_EQ(Viewer->ExpandLinkName("x%20y.htm"), Dir + "/x y.htm");
  EXPECT_EQ(Viewer->ExpandLinkName("http://host/a.htm"), "http://host/a.htm");
  // An absolute file URL is not read below the root.
  EXPECT_EQ(Viewer->ExpandLinkName("file://" + Dir + "/page.htm"), Dir + "/page.htm");
  // A picture's full name, as a loaded picture keeps it, names that file; a name from the
  // root that is a file there stays below the root.
  EXPECT_EQ(Viewer->HTMLExpandFilename(Dir + "/Sub/Pic.bmp"), Dir + "/Sub/Pic.bmp");
  EXPECT_EQ(Viewer->HTMLExpandFilename("/Sub/Pic.bmp"), Dir + "/Sub/Pic.bmp");
  EXPECT_EQ(Viewer->HTMLExpandFilename(Dir + "/Sub/None.bmp"), Dir + Dir + "/Sub/None.bmp");
  Viewer->URL = "/sub/pic.bmp#ignored";
  Viewer->FollowLink();
  EXPECT_EQ(Viewer->FileType(), ftImage);
  EXPECT_EQ(Viewer->CurrentFile(), Dir + "/sub/pic.bmp");
  EXPECT_GE(Viewer->DocumentHeight(), 6);
}

TEST_F(HtmlViewerTest, HistoryGoesBackAndForwardAndForgetsTheNewerEntries)
{
  for (const char* n : {"a", "b", "c", "d"})
    Write(std::string(n) + ".htm", LongPage(60, "deep", n));
  Viewer->SetHistoryMaxCount(20);
  int changes = 0;
  Viewer->OnHistoryChange = [&](TObject*) { ++changes; };
  Viewer->LoadFromFile(Dir + "/a.htm");
  Viewer->SetVScrollBarPosition(300);
  Viewer->LoadFromFile(Dir + "/b.htm");
  Viewer->LoadFromFile(Dir + "/c.htm");
  ASSERT_EQ(Viewer->History().size(), 3u);
  EXPECT_EQ(Viewer->History()[0], Dir + "/c.htm");
  EXPECT_EQ(Viewer->TitleHistory()[2], u"a");
  EXPECT_EQ(changes, 3);

  Viewer->SetHistoryIndex(2);   // back two
  EXPECT_EQ(Viewer->Title(), u"a");
  EXPECT_EQ(Viewer->VScrollBarPosition(), 300);
  Viewer->SetHistoryIndex(1);   // forward one
  EXPECT_EQ(Viewer->Title(), u"b");
  Viewer->SetHistoryIndex(5);   // out of range: ignored
  Viewer->SetHistoryIndex(-1);
  EXPECT_EQ(Viewer->HistoryIndex(), 1);

  Viewer->SetHistoryIndex(2);
  Viewer->LoadFromFile(Dir + "/d.htm");   // b and c are dropped
  ASSERT_EQ(Viewer->History().size(), 2u);
  EXPECT_EQ(Viewer->History()[0], Dir + "/d.htm");
  EXPECT_EQ(Viewer->History()[1], Dir + "/a.htm");
  EXPECT_EQ(Viewer->HistoryIndex(), 0);

  Viewer->SetHistoryMaxCount(5);   // smaller: the history is cleared
  EXPECT_TRUE(Viewer->History().empty());
}

TEST_F(HtmlViewerTest, HistoryKeepsAtMostItsMaximumNewestFirst)
{
  Viewer->SetHistoryMaxCount(20);
  for (int i = 0; i < 25; ++i) {
    Write("p" + std::to_string(i) + ".htm", Page("T" + std::to_string(i), "<p>x</p>"));
    Viewer->LoadFromFile(Dir + "/p" + std::to_string(i) + ".htm");
  }
  ASSERT_EQ(Viewer->History().size(), 20u);
  EXPECT_EQ(Viewer->History().front(), Dir + "/p24.htm");
  EXPECT_EQ(Viewer->History().back(), Dir + "/p5.htm");
  Viewer->ClearHistory();
  EXPECT_TRUE(Viewer->History().empty());
  EXPECT_EQ(Viewer->HistoryIndex(), 0);
}

TEST_F(HtmlViewerTest, MetaRefreshReportsItsDelayAndURL)
{
  std::vector<std::pair<int32_t, std::string>> got;
  std::vector<std::string> metas;
  Viewer->OnMeta = [&](TObject*, const std::string& H, const std::string& N, const std::string& C) {
    metas.push_back(H + "|" + N + "|" + C);
  };
  Viewer->OnMetaRefresh = [&](TObject*, int32_t Delay, const std::string& U) { got.emplace_back(Delay, U); };
  Viewer->LoadFromString("<meta http-equiv=\"Refresh\" content=\"0; URL=Next.HTM\"><p>x</p>");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, 1);
  EXPECT_EQ(got[0].second, "Next.HTM");
  EXPECT_EQ(metas, std::vector<std::string>{"Refresh||0; URL=Next.HTM"});
  Viewer->LoadFromString("<meta http-equiv=\"refresh\" content=\"soon;url=a.htm\"><p>x</p>");
  Viewer->LoadFromString("<meta http-equiv=\"refresh\" content=\"-3\"><p>x</p>");
  Viewer->LoadFromString("<meta http-equiv=\"refresh\" content=\"7\"><p>x</p>");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1], std::make_pair(7, std::string()));
}

TEST_F(HtmlViewerTest, VisitedLinksAreMarkedUntilTheListIsTurnedOff)
{
  Write("one.htm", Page("One", "<p><a href=\"two.htm\">two</a> <a href=\"#x\">here</a></p><a name=x>x</a>"));
  Write("two.htm", Page("Two", "<p><a href=\"ONE.htm\">back</a></p>"));
  Viewer->LoadFromFile(Dir + "/one.htm");
  auto visitedLinks = [&] {
    int n = 0;
    for (TFontObj* f : Viewer->SectionList().LinkList)
      n += f->Visited ? 1 : 0;
    return n;
  };
  EXPECT_EQ(visitedLinks(), 0);
  Viewer->URL = "two.htm";
  Viewer->FollowLink();
  Viewer->URL = "one.htm";
  Viewer->FollowLink();
  // Back on page one, the link to page two is marked when the page is parsed.
  EXPECT_GE(visitedLinks(), 1);
  Viewer->URL = "#x";
  Viewer->FollowLink();
  EXPECT_GE(visitedLinks(), 2);

  Viewer->SetVisitedMaxCount(0);
  EXPECT_EQ(visitedLinks(), 0);
  EXPECT_TRUE(Viewer->Visited().empty());
  Viewer->URL = "two.htm";
  Viewer->FollowLink();
  Viewer->URL = "one.htm";
  Viewer->FollowLink();
  EXPECT_EQ(visitedLinks(), 0);
  EXPECT_TRUE(Viewer->Visited().empty());
}

TEST_F(HtmlViewerTest, ReloadAndClear)
{
  const std::string f = Write("page.htm", LongPage(60));
  Viewer->LoadFromFile(f);
  Viewer->SetVScrollBarPosition(250);
  Write("page.htm", LongPage(61));
  Viewer->Reload();
  EXPECT_NE(Viewer->DocumentSource().find("Line 60"), std::string::npos);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 250);
  Viewer->Clear();
  EXPECT_TRUE(Viewer->Title().empty());
  EXPECT_TRUE(Viewer->CurrentFile().empty());
  EXPECT_EQ(Viewer->SectionList().Count(), 0);
  EXPECT_FALSE(Viewer->VScrollBar()->Visible());
  Viewer->Reload();   // nothing to reload
  EXPECT_EQ(Viewer->SectionList().Count(), 0);
}

// The viewer is the document's host: the controls of a page's forms (and its panels) must
// go on the viewer's own paint panel, or they are never seen.
TEST_F(HtmlViewerTest, FormControlsAndPanelsOfAPageLiveOnTheViewersPaintPanel)
{
  Viewer->LoadFromString("<p><input name=a value=typed><select name=s><option>one</select></p>");
  TSectionList& doc = Viewer->SectionList();
  ASSERT_GE(doc.FormControlList.size(), 2u);
  for (TFormControlObj* c : doc.FormControlList) {
    ASSERT_NE(c->GetControl(), nullptr);
    EXPECT_EQ(c->GetControl()->Parent(), Viewer->PaintPanel());
  }
  EXPECT_EQ(static_cast<THtmlDocHost&>(*Viewer).PaintPanel(), Viewer->PaintPanel());
}

// A host that keeps its pictures elsewhere (the help window reads them from inside its
// file) serves them through the image request; scripts and panels reach the host as every
// page is read.
TEST_F(HtmlViewerTest, PicturesScriptsAndPanelsOfAPageComeFromTheHost)
{
  TBitmap pic(20, 10);
  pic.Canvas().FillRect(Rect(0, 0, 20, 10), clRed);
  TByteStream served(SaveBmpToBytes(pic));
  std::vector<std::string> asked;
  Viewer->SetOnImageRequest([&](TObject* Sender, const std::string& Src, TStream*& Stream) {
    EXPECT_EQ(Sender, Viewer.get());
    asked.push_back(Src);
    Stream = Src == "inside.bmp" ? &served : nullptr;
  });
  std::vector<std::string> scripts;
  Viewer->OnScript = [&](TObject*, const std::string& Name, const std::string& Language, const std::string& Script) {
    scripts.push_back(Name + "|" + Language + "|" + Script);
  };
  std::vector<std::string> panels;
  Viewer->SetOnPanelCreate(
      [&](TObject*, const std::string& Name, ThvPanel* Panel, const std::string& Src, const std::string& Value) {
        ASSERT_NE(Panel, nullptr);
        Panel->SetBounds(0, 0, 33, 17);
        panels.push_back(Name + "|" + Src + "|" + Value);
      });
  Viewer->LoadFromString(
      "<p><img src=inside.bmp width=20 height=10></p><script name=s language=js>go();</script>"
      "<panel name=p src=there value=v></panel><p>after</p>");
  EXPECT_EQ(asked, std::vector<std::string>{"inside.bmp"});
  EXPECT_EQ(scripts, std::vector<std::string>{"s|js|go();"});
  EXPECT_EQ(panels, std::vector<std::string>{"p|there|v"});
  // The served picture is the one drawn: red where the image stands.
  TBitmap shot = Shot();
  int red = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x)
      red += shot.Canvas().GetPixel(x, y) == clRed;
  EXPECT_EQ(red, 200);
  // Another page asks again; a request answered with nothing falls back to the file.
  served.SetPosition(0);
  Viewer->LoadFromString("<p><img src=missing.bmp></p>");
  EXPECT_EQ(asked.back(), "missing.bmp");
}
