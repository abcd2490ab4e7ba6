// The help router against a recording viewer: which request goes where, with which command
// and arguments, and the router's life cycle.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/AppHelp.h"
#include "platform/Controls.h"
#include "shell/HelpRouter.h"
#include "shell/HtmlHelpApi.h"
#include "tests/shell/HelpTestSupport.h"

using namespace helptest;

namespace {

struct TCall {
  std::string File;   // "<null>" for none
  Cardinal Command = 0;
  uintptr_t Data = 0;
  std::string Keyword;   // for the index
  THHPopup Popup;        // for a text popup
};

// A help folder with a file where the recorder's requests name it: context requests for a
// file that is not there go nowhere.
const std::string& HelpFolder()
{
  static const std::string folder = [] {
    const std::string f = MakeProgramFolder("router", true, "recorded, never read") + "Help/";
    std::ofstream(f + "Own.chm") << "recorded, never read";
    return f;
  }();
  return folder;
}

// Puts a recorder in the viewer's place for the test's length.
struct HelpRouterTest : ::testing::Test {
  std::vector<TCall> Calls;
  HWND Answer = 7;
  void SetUp() override
  {
    SetApplicationOnHelp(nullptr);
    SetApplicationHelpFile(HelpFolder() + "KVHelp.chm");
    SetHtmlHelpBinding([this](HWND, const char* file, Cardinal command, uintptr_t data) {
      TCall c{file ? file : "<null>", command, data, {}, {}};
      if (command == HH_DISPLAY_INDEX && data)
        c.Keyword = reinterpret_cast<const char*>(data);
      if (command == HH_DISPLAY_TEXT_POPUP)
        c.Popup = *reinterpret_cast<const THHPopup*>(data);
      Calls.push_back(c);
      return Answer;
    });
  }
  void TearDown() override
  {
    ResetHtmlHelpBinding();
    SetApplicationOnHelp(nullptr);
    SetApplicationHelpFile("");
  }
};

}   // namespace

TEST_F(HelpRouterTest, OneRouterAtATimeAndThePreviousHelpEventComesBack)
{
  int previousCalls = 0;
  THelpEvent previous = [&](Word, intptr_t, bool&) {
    ++previousCalls;
    return false;
  };
  SetApplicationOnHelp(previous);
  {
    THelpRouter router;
    EXPECT_EQ(HelpRouter(), &router);
    EXPECT_EQ(router.CHMPopupTopics(), "CSHelp.txt");
    EXPECT_EQ(router.ShowType(), stDefault);
    try {
      THelpRouter second;
      ADD_FAILURE() << "a second router was made";
    } catch (const EHelpRouterError& e) {
      EXPECT_EQ(e.Message, "Multiple instances of THelpRouter are not allowed");
    }
    EXPECT_EQ(HelpRouter(), &router);   // the failed second one left the first in service
    // The previous event is still asked first; it leaves CallHelp set, so the router goes on.
    router.SetHelpType(htHTMLhelp);
    EXPECT_TRUE(ApplicationHelpCommand(HELP_FINDER, 0));
    EXPECT_EQ(previousCalls, 1);
    ASSERT_EQ(Calls.size(), 1u);
  }
  EXPECT_EQ(HelpRouter(), nullptr);
  // The router's quit at its end went through the previous event too, then to the viewer.
  EXPECT_EQ(previousCalls, 2);
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[1].Command, HH_CLOSE_ALL);
  // Back with the previous event only.
  ApplicationHelpCommand(HELP_FINDER, 0);
  EXPECT_EQ(previousCalls, 3);
  EXPECT_EQ(Calls.size(), 2u);
}

TEST_F(HelpRouterTest, CommandsBecomeTheViewersCallsOnTheChmFile)
{
  THelpRouter router;
  router.SetHelpType(htHTMLhelp);
  SetApplicationHelpFile(HelpFolder() + "KVHelp.hlp");   // any extension becomes .chm
  const std::string chm = HelpFolder() + "KVHelp.chm";

  EXPECT_TRUE(ApplicationHelpContext(1040));
  router.ShowHelpContents();
  ApplicationHelpCommand(HELP_TAB, 1);
  ApplicationHelpCommand(HELP_INDEX, 0);
  ApplicationHelpCommand(HELP_FINDER, 0);
  router.SearchHelpKeyword("gears");
  std::string partial = "zo";
  ApplicationHelpCommand(HELP_PARTIALKEY, reinterpret_cast<intptr_t>(partial.c_str()));
  router.SearchHelpKeyword("");
  router.SearchHelpKeyword(std::string(300, 'k'));
  ApplicationHelpCommand(HELP_QUIT, 0);

  const std::vector<std::pair<Cardinal, std::string>> want = {{HH_HELP_CONTEXT, chm},  {HH_DISPLAY_TOC, chm},
                                                              {HH_DISPLAY_INDEX, chm}, {HH_DISPLAY_TOC, chm},
                                                              {HH_DISPLAY_TOC, chm},   {HH_DISPLAY_INDEX, chm},
                                                              {HH_DISPLAY_INDEX, chm}, {HH_DISPLAY_INDEX, chm},
                                                              {HH_DISPLAY_INDEX, chm}, {HH_CLOSE_ALL, "<null>"}};
  ASSERT_EQ(Calls.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(Calls[i].Command, want[i].first) << i;
    EXPECT_EQ(Calls[i].File, want[i].second) << i;
  }
  EXPECT_EQ(Calls[0].Data, 1040u);
  EXPECT_EQ(Calls[2].Data, 0u);   // the index tab without a keyword
  EXPECT_EQ(Calls[5].Keyword, "gears");
  EXPECT_EQ(Calls[6].Keyword, "zo");
  EXPECT_EQ(Calls[7].Keyword, "");
  EXPECT_NE(Calls[7].Data, 0u);   // "Search for help on.." passes an empty keyword, not none
  EXPECT_EQ(Calls[8].Keyword, std::string(255, 'k'));
  // The viewer's answer is the command's result.
  Answer = 0;
  EXPECT_FALSE(ApplicationHelpContext(1040));
}

TEST_F(HelpRouterTest, PopupsGoAtTheStoredPointOnceThenAtTheCursor)
{
  THelpRouter router;
  router.SetHelpType(htHTMLhelp);
  SetCursorPos({333, 222});
  EXPECT_FALSE(ApplicationHelpCommand(HELP_SETPOPUP_POS, MakePopupPos(40, 50)));
  EXPECT_EQ(router.PopupPos(), (TPoint{40, 50}));
  EXPECT_TRUE(Calls.empty());   // storing the point calls nothing
  EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXTPOPUP, 2001));
  ASSERT_EQ(Calls.size(), 1u);
  const TCall& first = Calls[0];
  EXPECT_EQ(first.Command, HH_DISPLAY_TEXT_POPUP);
  EXPECT_EQ(first.File, HelpFolder() + "KVHelp.chm::/CSHelp.txt");
  EXPECT_EQ(first.Popup.cbStruct, 52);
  EXPECT_EQ(first.Popup.idString, 2001u);
  EXPECT_EQ(first.Popup.pszText, nullptr);
  EXPECT_EQ(first.Popup.pt, (TPoint{40, 50}));
  EXPECT_EQ(first.Popup.clrForeground, -1);
  EXPECT_EQ(first.Popup.clrBackground, -1);
  EXPECT_EQ(first.Popup.rcMargins.Left, -1);
  EXPECT_EQ(first.Popup.rcMargins.Bottom, -1);
  EXPECT_EQ(router.PopupPos(), (TPoint{0, 0}));
  // The next one, without a stored point, goes to the cursor; negative points survive packing.
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, 2002);
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[1].Popup.pt, GetCursorPos());
  ApplicationHelpCommand(HELP_SETPOPUP_POS, MakePopupPos(-20, 1500));
  EXPECT_EQ(router.PopupPos(), (TPoint{-20, 1500}));
  // An empty topics file name falls back to the usual one; another one is used as given.
  router.SetCHMPopupTopics("");
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, 2003);
  EXPECT_EQ(Calls.back().File, HelpFolder() + "KVHelp.chm::/CSHelp.txt");
  router.SetCHMPopupTopics("Other.txt");
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, 2003);
  EXPECT_EQ(Calls.back().File, HelpFolder() + "KVHelp.chm::/Other.txt");
  // A help file of the router's own wins over the application's.
  router.SetHelpfile(HelpFolder() + "Own.chm");
  ApplicationHelpContext(5);
  EXPECT_EQ(Calls.back().File, HelpFolder() + "Own.chm");
  // F1's requests for a help file that is not there go nowhere: a missing file is no error.
  const size_t before = Calls.size();
  router.SetHelpfile(HelpFolder() + "Missing.chm");
  EXPECT_FALSE(ApplicationHelpContext(5));
  EXPECT_FALSE(ApplicationHelpCommand(HELP_CONTEXTPOPUP, 2003));
  EXPECT_EQ(Calls.size(), before);
}

TEST_F(HelpRouterTest, ShowTypesHelpTypesAndTheHelpEventDecideWhereRequestsGo)
{
  std::vector<Word> seen;   // outlives the router, whose quit at its end passes its event
  THelpRouter router;
  // WinHelp: nothing reaches the viewer; the empty command counts as done.
  EXPECT_EQ(router.HelpType(), htWinhelp);
  EXPECT_FALSE(ApplicationHelpContext(1000));
  EXPECT_TRUE(ApplicationHelpCommand(0, 0));
  EXPECT_TRUE(Calls.empty());

  // Mixed mode: popups and their positions to WinHelp, the rest to the viewer.
  router.SetHelpType(htMixedMode);
  ApplicationHelpCommand(HELP_SETPOPUP_POS, MakePopupPos(1, 2));
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, 2001);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(router.PopupPos(), (TPoint{0, 0}));
  ApplicationHelpContext(1000);
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].Command, HH_HELP_CONTEXT);

  // Main show type: a popup request opens the page instead, and a position is ignored.
  router.SetHelpType(htHTMLhelp);
  router.SetShowType(stMain);
  ApplicationHelpCommand(HELP_SETPOPUP_POS, MakePopupPos(9, 9));
  EXPECT_EQ(router.PopupPos(), (TPoint{0, 0}));
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, 1040);
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[1].Command, HH_HELP_CONTEXT);
  EXPECT_EQ(Calls[1].Data, 1040u);
  router.SetShowType(stDefault);

  // The router's own event comes first and may keep the request from going on.
  router.OnHelp = [&](Word command, intptr_t, bool& callHelp) {
    seen.push_back(command);
    callHelp = command != HELP_CONTEXT;
    return command == HELP_CONTEXT;
  };
  EXPECT_TRUE(ApplicationHelpContext(1000));
  EXPECT_EQ(Calls.size(), 2u);
  router.ShowHelpContents();
  EXPECT_EQ(Calls.size(), 3u);
  EXPECT_EQ(seen, (std::vector<Word>{HELP_CONTEXT, HELP_TAB}));
}

TEST_F(HelpRouterTest, WithoutAViewerNothingIsCalledAndTheItemsStayDisabled)
{
  SetHtmlHelpBinding(nullptr);
  std::string folder = MakeProgramFolder("noviewer", true, ReadText(BuiltHelpFile()));
  THelpRouter router;
  EXPECT_FALSE(SetupHelp(router, folder));
  EXPECT_EQ(router.HelpType(), htHTMLhelp);
  EXPECT_EQ(ApplicationHelpFile(), folder + "Help/KVHelp.chm");
  EXPECT_FALSE(router.HtmlHelpAvailable());
  EXPECT_FALSE(ApplicationHelpContext(1000));
  router.ShowHelpContents();
  EXPECT_FALSE(router.ViewerUsed());
}

TEST_F(HelpRouterTest, SetupEnablesTheItemsForAFileThatIsThere)
{
  THelpRouter router;
  std::string good = ReadText(BuiltHelpFile());
  std::string withFile = MakeProgramFolder("withfile", true, good);
  EXPECT_TRUE(SetupHelp(router, withFile));
  EXPECT_EQ(ApplicationHelpFile(), withFile + "Help/KVHelp.chm");
  EXPECT_EQ(router.HelpType(), htHTMLhelp);
  EXPECT_FALSE(SetupHelp(router, MakeProgramFolder("nofile", false, "")));
  // A damaged file is there: the viewer tells what is wrong with it once help is asked for.
  EXPECT_TRUE(SetupHelp(router, MakeProgramFolder("cut", true, good.substr(0, good.size() / 3))));
  EXPECT_TRUE(SetupHelp(router, MakeProgramFolder("junk", true, std::string(5000, 'x'))));
  // Setting up calls no viewer.
  EXPECT_TRUE(Calls.empty());
  // A folder given without its final separator works the same.
  std::string noSlash = withFile.substr(0, withFile.size() - 1);
  EXPECT_TRUE(SetupHelp(router, noSlash));
  EXPECT_EQ(ApplicationHelpFile(), withFile + "Help/KVHelp.chm");
}

TEST_F(HelpRouterTest, TheViewerIsClosedAtExitWheneverTheRouterOpenedIt)
{
  {
    THelpRouter router;
    router.SetHelpType(htHTMLhelp);
    // Whatever the application's help file is, the viewer it opened closes with the router.
    router.ShowHelpContents();
    EXPECT_TRUE(router.ViewerUsed());
  }
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[1].Command, HH_CLOSE_ALL);
  Calls.clear();
  SetApplicationHelpFile("");
  {
    THelpRouter router;
    router.SetHelpType(htHTMLhelp);
    router.SetHelpfile("/x/Own.chm");
    router.SearchHelpKeyword("a");
  }
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[1].Command, HH_CLOSE_ALL);
  Calls.clear();
  {
    // Never used: nothing to close.
    THelpRouter router;
    router.SetHelpType(htHTMLhelp);
  }
  EXPECT_TRUE(Calls.empty());
  {
    // Closed already by a quit of its own: not closed twice.
    THelpRouter router;
    router.SetHelpType(htHTMLhelp);
    router.ShowHelpContents();
    ApplicationHelpCommand(HELP_QUIT, 0);
  }
  EXPECT_EQ(Calls.size(), 2u);
}
