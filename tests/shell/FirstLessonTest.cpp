// What a teacher meets in a first lesson, driven through the X server as the user drives it
// (xdotool's XTest input): the window narrowed to a small screen's size, the splash picture
// on a small screen, a number typed into a teeth box, F1 in the test window, a toolbar
// button's menu opened under its tooltip, page text copied with its line breaks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <future>

#include "MainWindowSupport.h"
#include "PrintTestSupport.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/HelpViewer.h"
#include "shell/MainWindow.h"
#include "shell/TopicTest.h"
#include "tests/CommandOutput.h"
#include "tests/platform/XInputSupport.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"

namespace {

using mainwindow::Pump;

using namespace xinput;

class FirstLesson : public ::testing::Test {
protected:
  void SetUp() override
  {
    if (!Available())
      GTEST_SKIP() << "xdotool is not installed";
    SetMessageAnswerer([this](const TMessageRequest& r) {
      Messages.push_back(r.Text);
      return mrOk;
    });
  }
  void TearDown() override
  {
    Frm.reset();
    Pump();
    SetMessageAnswerer(nullptr);
  }
  void Start()
  {
    // The content beside the test program is laid out as the program's own.
    Frm = std::make_unique<TKVMainFrm>(ExeFolder());
    Frm->Show();
    Pump(100);
  }
  void Follow(const std::string& url)
  {
    Frm->Viewer->URL = url;
    GuardedCall([this] { Frm->Viewer->FollowLink(); });
    Pump(50);
  }

  std::unique_ptr<TKVMainFrm> Frm;
  std::vector<std::string> Messages;
};

// The teeth of the first gear of a scene, depth first; 0 where there is none.
Integer FirstCogTeeth(const TGLBaseSceneObject* obj)
{
  if (const auto* cog = dynamic_cast<const TCog*>(obj))
    return cog->Teeth;
  for (Integer i = 0; i < obj->GetCount(); ++i)
    if (Integer n = FirstCogTeeth(obj->GetChild(i)))
      return n;
  return 0;
}

}   // namespace

// A window made from the full screen's size down to 800 by 600 keeps a page pane that reads
// as a page, with every button of its toolbar in view (none behind the chevron).
TEST_F(FirstLesson, ANarrowedWindowKeepsAReadablePagePane)
{
  TScreenSizeScope screen(1280, 1024);
  Start();
  ASSERT_EQ(Frm->Width(), 1280);
  SimulateWindowResize(Frm.get(), 800, 600);
  ASSERT_TRUE(PumpUntil([&] { return Frm->Width() == 800; }));
  Pump(100);
  // The panes share the narrower window as they shared the wide one.
  EXPECT_GE(Frm->RightPanel->Width(), 360);
  EXPECT_GE(Frm->LeftPanel->Width(), 360);
  for (TTBCustomItem* b : std::initializer_list<TTBCustomItem*>{Frm->IndexBtn, Frm->FwdBtn, Frm->BackBtn, Frm->CopyBtn,
                                                                Frm->FontBtn, Frm->PrintBtn, Frm->TestBtn}) {
    TTBItemViewer* v = Frm->HTMLToolbar->View()->Find(b);
    ASSERT_NE(v, nullptr) << b->Caption();
    EXPECT_TRUE(v->Show && !v->Clipped) << b->Caption() << " is behind the chevron";
  }
  mainwindow::SaveWindowPicture(*Frm, "first-lesson-800x600.png");
  Follow("/TwoCog.htm");
  mainwindow::SaveWindowPicture(*Frm, "first-lesson-800x600-model.png");
}

// On an 800 by 600 screen the splash picture is wider than the left pane: it shows whole,
// scaled into the pane with its proportions, not cut at the pane's edges.
TEST_F(FirstLesson, TheSplashPictureFitsASmallScreensPane)
{
  TScreenSizeScope screen(800, 600);
  Start();
  const TBitmap& picture = Frm->SplashPic->Picture();
  ASSERT_FALSE(picture.Empty());
  ASSERT_GT(picture.Width(), Frm->SplashPanel->Width()) << "the pane no longer cuts the picture";
  const TRect r = Frm->SplashPic->BoundsRect();
  EXPECT_GE(r.Left, 0);
  EXPECT_LE(r.Right, Frm->SplashPanel->Width());
  EXPECT_GE(r.Top, 0);
  EXPECT_LE(r.Bottom, Frm->SplashPanel->Height());
  EXPECT_GE(r.Width(), Frm->SplashPanel->Width() - 2);
  EXPECT_NEAR(double(r.Height()) / r.Width(), double(picture.Height()) / picture.Width(), 0.02);
  // Centred.
  EXPECT_LE(std::abs(r.Top - (Frm->SplashPanel->Height() - r.Bottom)), 1);
  mainwindow::SaveWindowPicture(*Frm, "first-lesson-splash-800x600.png");
}

// A number typed into a teeth box and confirmed with Enter is taken as the arrows would set
// it, and the model is built again with it; one beyond the range is clamped; text that is no
// number gives the box its value back; leaving the box confirms too.
TEST_F(FirstLesson, ANumberTypedIntoATeethBoxRebuildsTheModel)
{
  TScreenSizeScope screen(1280, 1024);
  Start();
  Follow("/TwoCog.htm");
  ASSERT_EQ(Frm->CurrentTopic, 1);
  TEdit* box = Frm->CogST[0];
  TUpDown* arrows = Frm->CogUpDn[0];
  ASSERT_EQ(arrows->Position(), 20);
  auto typeInto = [&](const std::string& keys) {
    Click(Centre(box));
    ASSERT_TRUE(PumpUntil([&] { return box->Focused(); })) << "the box did not take the focus";
    X("key End BackSpace BackSpace BackSpace");
    X(keys);
    Pump(50);
  };

  // The parts on show are marked: a rebuild leaves none of them.
  Frm->SceneBase->GetChild(0)->Name = "shown-before";
  typeInto("type 12");
  X("key Return");
  ASSERT_TRUE(PumpUntil([&] { return arrows->Position() == 12; })) << box->Text();
  EXPECT_EQ(box->Text(), "12");
  EXPECT_EQ(FirstCogTeeth(Frm->SceneBase), 12) << "the model was not built with the typed teeth";
  EXPECT_NE(Frm->SceneBase->GetChild(0)->Name, "shown-before");

  typeInto("type 99");
  X("key Return");
  ASSERT_TRUE(PumpUntil([&] { return arrows->Position() == 40; }));
  EXPECT_EQ(box->Text(), "40");
  EXPECT_EQ(FirstCogTeeth(Frm->SceneBase), 40);

  typeInto("type ab");
  X("key Return");
  ASSERT_TRUE(PumpUntil([&] { return box->Text() == "40"; })) << box->Text();
  EXPECT_EQ(arrows->Position(), 40);

  // Leaving the box for the other one takes what was typed.
  typeInto("type 15");
  Click(Centre(Frm->CogST[1]));
  ASSERT_TRUE(PumpUntil([&] { return arrows->Position() == 15; })) << box->Text();
  EXPECT_EQ(FirstCogTeeth(Frm->SceneBase), 15);
  EXPECT_EQ(Frm->CogUpDn[1]->Position(), 20);
  mainwindow::SaveWindowPicture(*Frm, "first-lesson-typed-teeth.png");
}

// F1 in the test window opens the help page about tests (not the main window's page).
TEST_F(FirstLesson, F1InTheTestWindowOpensTheHelpAboutTests)
{
  struct TCloseAll {
    ~TCloseAll() { CloseHelpViewer(); }
  } closeAll;
  TScreenSizeScope screen(1280, 1024);
  Start();
  ASSERT_TRUE(Frm->Contents1->Enabled()) << "no help file beside the program";
  Follow("/TwoCog.htm");
  Frm->TestBtn->Click();
  TTestWindows& tests = Frm->TestWindows;
  ASSERT_TRUE(PumpUntil([&] { return tests.TestFrm() && tests.TestFrm()->Visible(); }));
  Pump(100);
  Click(Centre(tests.TestFrm()->viewer));
  ASSERT_TRUE(PumpUntil([&] { return tests.TestFrm()->Active(); })) << "the test window did not become active";
  X("key F1");
  ASSERT_TRUE(PumpUntil([] { return HelpViewerWindow() != nullptr; })) << "no help came up";
  Pump(200);
  EXPECT_EQ(HelpViewerWindow()->CurrentTopic(), "/Windows/TestWindow.htm");
  mainwindow::Pump(50);
  TBitmap shot(HelpViewerWindow()->ClientWidth(), HelpViewerWindow()->ClientHeight());
  HelpViewerWindow()->PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "first-lesson-test-window-help.png");
}

// The pointer rests on the "font" button until its tooltip shows; a click opens the button's
// menu, and the tooltip goes at once and stays away while the menu is open (it covered the
// menu's first item).
TEST_F(FirstLesson, AButtonsTooltipClosesWhenItsMenuOpens)
{
  TScreenSizeScope screen(1280, 1024);
  Start();
  TTBItemViewer* v = Frm->HTMLToolbar->View()->Find(Frm->FontBtn);
  ASSERT_NE(v, nullptr);
  const TPoint button = Frm->HTMLToolbar->ClientToScreen(
      {(v->BoundsRect.Left + v->BoundsRect.Right) / 2, (v->BoundsRect.Top + v->BoundsRect.Bottom) / 2});
  Move({button.X - 3, button.Y});
  Move(button);
  ASSERT_TRUE(PumpUntil([] { return !ShownHintText().empty(); })) << "no tooltip on the button";
  const std::string tooltip = ShownHintText();

  std::vector<std::string> seen;   // the tooltip while the menu is open, at each look
  bool menuOpen = false;
  TTimer look;
  look.SetInterval(100);
  Cardinal opened = 0;
  look.SetOnTimer([&](TObject*) {
    menuOpen = Frm->HTMLToolbar->View()->OpenViewerView() != nullptr;
    if (!menuOpen)
      return;
    if (!opened)
      opened = GetTickCount();
    seen.push_back(ShownHintText());
    if (GetTickCount() - opened > 1500) {
      look.SetEnabled(false);
      // A click on the page closes the menu.
      std::system(("xdotool mousemove " + At(Centre(Frm->Viewer)) + " click 1").c_str());
    }
  });
  look.SetEnabled(true);
  X("click 1");
  PumpUntil([&] { return !look.Enabled(); }, 6000);
  look.SetEnabled(false);
  Pump(100);
  ASSERT_FALSE(seen.empty()) << "the menu did not open";
  for (const std::string& s : seen)
    EXPECT_EQ(s, "") << "the tooltip \"" << tooltip << "\" showed over the open menu";
}

// A pupil without a mouse: Tab from the check box on the lever toolbar goes on into the page
// pane at its first link, and the focused link is framed. The box is hosted by the toolbar
// and no stop of the window's own; with no other stop in the window for this topic,
// Shift+Tab from the page's first link and Tab past its last go round the page.
TEST_F(FirstLesson, TabFromTheToolbarEntersThePageAndGoesRoundIt)
{
  TScreenSizeScope screen(1280, 1024);
  Start();
  Follow("/Lever_Class1.htm");
  ASSERT_TRUE(Frm->LeverToolbar->Visible());
  ASSERT_TRUE(Frm->LeverChk->Visible());
  THTMLViewer& v = *Frm->Viewer;
  const std::vector<TSectionList::TTabItem> items = v.SectionList().TabItems();
  ASSERT_GE(items.size(), 2u);
  ASSERT_NE(items.front().Link, nullptr);
  ASSERT_NE(items.back().Link, nullptr);
  const std::string first = items.front().Link->GetURL();
  Click(Centre(Frm->LeverChk));
  ASSERT_TRUE(PumpUntil([&] { return Frm->LeverChk->Focused(); })) << "the check box did not take the focus";
  const bool checked = Frm->LeverChk->Checked();

  X("key --delay 30 Tab");
  ASSERT_TRUE(PumpUntil([&] { return v.FocusedLinkURL() == first; })) << "Tab did not enter the page";
  EXPECT_EQ(Frm->LeverChk->Checked(), checked);
  Pump(300);
  [[maybe_unused]] const int shot = std::system(("import -window root '" + std::string(ORRELO_TEST_OUTPUT)
                                                 + "/first-lesson-tab-into-page-screen.png' 2>/dev/null")
                                                    .c_str());
  X("key --delay 30 shift+Tab");
  EXPECT_TRUE(PumpUntil([&] { return v.FocusedLinkURL() == items.back().Link->GetURL(); }))
      << "Shift+Tab from the first link did not go round to the last";
  EXPECT_FALSE(Frm->LeverChk->Focused());

  // Tab past the last link: round to the first again.
  X("key --delay 30 Tab");
  EXPECT_TRUE(PumpUntil([&] { return v.FocusedLinkURL() == first; })) << "Tab past the page's last link";
  EXPECT_FALSE(Frm->LeverChk->Focused());
}

// A page's lines selected with the mouse and copied with Ctrl+C, as another program reads
// the clipboard: a line break is one line end, two are an empty line, and paragraphs keep
// the empty line between them.
TEST_F(FirstLesson, CopiedPageTextKeepsItsLineBreaks)
{
  if (std::system("command -v xclip > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xclip is not installed";
  TScreenSizeScope screen(1280, 1024);
  Start();
  Follow("/Chain.htm");   // a topic's page: the copy commands are offered
  const std::string page = std::string(ORRELO_TEST_OUTPUT) + "/first-lesson-breaks.htm";
  std::ofstream(page) << "<html><body><p>alpha<br>beta</p><p>gamma<br><br>delta<br><br><br>epsilon</p>"
                         "<p>omega</p></body></html>";
  THTMLViewer& v = *Frm->Viewer;
  v.LoadFromFile(page);
  Pump(100);
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ASSERT_TRUE(v.SectionList().CursorToXY(FontMeasureCanvas(), 0, x0, y0));
  ASSERT_TRUE(v.SectionList().CursorToXY(FontMeasureCanvas(), v.SectionList().DocLength() - 1, x1, y1));
  TControl* panel = v.PaintPanel();
  const TPoint from = panel->ClientToScreen({x0 + 1, y0 + 6}), to = panel->ClientToScreen({x1 + 40, y1 + 6});
  X("mousemove " + At(from) + " mousedown 1 mousemove " + At({(from.X + to.X) / 2, (from.Y + to.Y) / 2}) + " mousemove "
    + At(to) + " mouseup 1");
  ASSERT_TRUE(PumpUntil([&] { return v.SelLength() != 0; })) << "the drag selected nothing";
  Pump(100);
  X("key --delay 30 ctrl+c");
  Pump(200);
  auto reading =
      std::async(std::launch::async, [] { return testcmd::Output("xclip -selection clipboard -o 2>/dev/null"); });
  ASSERT_TRUE(PumpUntil([&] { return reading.wait_for(std::chrono::milliseconds(5)) == std::future_status::ready; }));
  const std::string copied = reading.get();
  const std::string expected = "alpha\r\nbeta\r\n\r\ngamma\r\n\r\ndelta\r\n\r\n\r\nepsilon\r\n\r\nomega";
  EXPECT_EQ(copied.substr(0, expected.size()), expected) << copied;
}
