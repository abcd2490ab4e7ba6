// The viewer driven by the X server's own keyboard and wheel (XTest, as xdotool types): Tab
// walks a page's links, the page follows the focused link, a frame shows it, Enter follows
// it; the wheel scrolls by the desktop's lines setting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "html/SmallSections.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/FormCtrls.h"
#include "platform/SysSettings.h"
#include "tests/TestWait.h"
#include "tests/html/HtmlViewerTestUtil.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/shell/PictureOutput.h"

using testwait::WaitUntil;

namespace {

bool HaveXdotool() { return std::system("command -v xdotool > /dev/null 2>&1") == 0; }

// Types keys on the X server's keyboard: they reach the window with the X focus through the
// toolkit's whole path, as a user's do.
void TypeKeys(const std::string& Keys)
{
  ASSERT_EQ(std::system(("xdotool key --delay 30 " + Keys).c_str()), 0) << Keys;
}

// Black pixels on row Y of a picture.
int BlackOnRow(const TBitmap& B, int Y)
{
  int n = 0;
  for (int x = 0; x < B.Width(); ++x)
    n += B.GetPixel(x, Y) == clBlack;
  return n;
}

// The viewer on a shown window, with an edit after it in the tab order.
class HtmlViewerKeyboardTest : public HtmlViewerTest {
protected:
  void SetUp() override
  {
    HtmlViewerTest::SetUp();
    if (!HaveXdotool())
      GTEST_SKIP() << "xdotool is not installed";
    Window = std::make_unique<TForm>();
    Window->SetBounds(100, 100, 420, 360);
    Viewer->SetParent(Window.get());
    Viewer->SetBounds(0, 0, 400, 300);
    Viewer->SetDefBackground(clWhite);
    Other = std::make_unique<TEdit>();
    Other->SetParent(Window.get());
    Other->SetBounds(0, 310, 100, 24);
    Other->SetTabStop(true);
  }
  void TearDown() override
  {
    if (Window) {
      Window->Hide();
      Other->SetParent(nullptr);
      Viewer->SetParent(nullptr);
    }
    ResetSystemSettings();
    HtmlViewerTest::TearDown();
  }
  // Shows the window with the keyboard focus on the viewer.
  void ShowFocused()
  {
    Window->Show();
    Viewer->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Viewer->Focused(); }, 3000));
  }
  std::unique_ptr<TForm> Window;
  std::unique_ptr<TEdit> Other;
};

}   // namespace

// Tab goes to the link of tab index 1 first, then to the others in document order; the page
// scrolls to a link out of view and back; Enter follows the focused link through the host's
// hot-spot event; past the last link Tab leaves the viewer for the next control.
TEST_F(HtmlViewerKeyboardTest, TabWalksTheLinksInTabOrderAndEnterFollowsTheFocusedOne)
{
  std::string page = "<p><a href=\"first.htm\">First</a> and <a href=\"tabbed.htm\" tabindex=1>Tabbed</a></p>";
  for (int i = 0; i < 40; ++i)
    page += "<p>Line " + std::to_string(i) + "</p>";
  page += "<p><a href=\"far.htm\">Far <b>away</b></a></p>";
  Viewer->LoadFromString(page);
  std::vector<std::string> followed;
  Viewer->OnHotSpotClick = [&](TObject*, const std::string& Src, bool& Handled) {
    followed.push_back(Src);
    Handled = true;
  };
  ShowFocused();
  auto focusedOn = [&](const std::string& Url) { return WaitUntil([&] { return Viewer->FocusedLinkURL() == Url; }); };

  TypeKeys("Tab");
  EXPECT_TRUE(focusedOn("tabbed.htm"));
  TypeKeys("Tab");
  EXPECT_TRUE(focusedOn("first.htm"));
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);
  TypeKeys("Tab");
  ASSERT_TRUE(focusedOn("far.htm"));
  // Out of view below: brought to the middle of the window.
  const std::vector<TFontObj*> links = Viewer->SectionList().TabLinks();
  ASSERT_EQ(links.size(), 3u);
  const int32_t farTop = links[2]->Section->LineTopAt(links[2]->Pos);
  const int32_t ph = Viewer->PaintPanel()->Height();
  EXPECT_EQ(Viewer->VScrollBarPosition(), std::min(farTop - ph / 2, Viewer->DocumentHeight() - ph));
  TypeKeys("shift+Tab");
  EXPECT_TRUE(focusedOn("first.htm"));
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);

  // The focused link is framed while the viewer has the focus.
  const int32_t firstTop = links[1]->Section->LineTopAt(links[1]->Pos);
  ASSERT_TRUE(WaitUntil([&] { return BlackOnRow(Shot(), firstTop + 1) > 0; }));
  const TBitmap framed = Shot();
  SaveTestPicture(framed, "htmlview-link-focus.png");
  WaitUntil([] { return false; }, 300);   // the window's own paint reaches the screen
  testcmd::Output("import -window root '" + std::string(ORRELO_TEST_OUTPUT)
                  + "/htmlview-link-focus-screen.png' 2>/dev/null");

  TypeKeys("Return");
  EXPECT_TRUE(WaitUntil([&] { return !followed.empty(); }));
  EXPECT_EQ(followed, (std::vector<std::string>{"first.htm"}));

  // Past the last link the focus goes on to the edit; the frame goes with the focus.
  TypeKeys("Tab");
  EXPECT_TRUE(focusedOn("far.htm"));
  TypeKeys("Tab");
  EXPECT_TRUE(WaitUntil([&] { return Other->Focused(); }));
  EXPECT_EQ(Viewer->FocusedLinkURL(), "");
  Viewer->SetVScrollBarPosition(0);
  EXPECT_LT(BlackOnRow(Shot(), firstTop + 1), BlackOnRow(framed, firstTop + 1));
}

// With nothing else to take the focus, Tab past the last link starts again at the first; a
// clicked link takes the focus, so Tab goes on from it, and it keeps the focus, in view, when
// the page is laid out anew in another text size, though an earlier link leads to the same
// place.
TEST_F(HtmlViewerKeyboardTest, TabWrapsAroundAndGoesOnFromAClickedLink)
{
  Other->SetParent(nullptr);
  std::string filler;
  for (int i = 0; i < 40; ++i)
    filler += "<p>Words between the links, line " + std::to_string(i) + "</p>";
  Viewer->LoadFromFile(Write("links.htm",
                             "<p><a href=\"a.htm\">Alpha</a> <a href=\"b.htm\">Bravo</a> <a "
                             "href=\"c.htm\">Charlie</a></p>"
                                 + filler + "<p><a href=\"b.htm\">Bravo again</a></p>"));
  Viewer->OnHotSpotClick = [&](TObject*, const std::string&, bool& Handled) { Handled = true; };
  ShowFocused();
  TypeKeys("Tab Tab Tab Tab Tab");
  EXPECT_TRUE(WaitUntil([&] { return Viewer->FocusedLinkURL() == "a.htm"; }));
  TypeKeys("shift+Tab");
  EXPECT_TRUE(WaitUntil([&] { return Viewer->FocusedLinkURL() == "b.htm"; }));

  // A click on Bravo, through the X server's pointer, back at the top.
  TypeKeys("Home");
  const std::vector<TFontObj*> links = Viewer->SectionList().TabLinks();
  ASSERT_EQ(links.size(), 4u);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(
      Viewer->SectionList().CursorToXY(FontMeasureCanvas(), links[1]->Section->StartCurs + links[1]->Pos + 1, x, y));
  const TPoint at = Viewer->PaintPanel()->ClientToScreen({x, y + 4});
  ASSERT_EQ(std::system(
                ("xdotool mousemove " + std::to_string(at.X) + " " + std::to_string(at.Y) + " click 1").c_str()),
            0);
  EXPECT_TRUE(WaitUntil([&] { return Viewer->FocusedLinkURL() == "b.htm"; }));
  TypeKeys("Tab");
  EXPECT_TRUE(WaitUntil([&] { return Viewer->FocusedLinkURL() == "c.htm"; }));
  TypeKeys("Tab");
  EXPECT_TRUE(WaitUntil([&] { return Viewer->FocusedLinkURL() == "b.htm"; }));
  Viewer->SetDefFontSize(24);
  Viewer->Reload();
  const TFontObj* kept = Viewer->SectionList().TabLinks().back();
  EXPECT_EQ(Viewer->SectionList().FocusLinkID, kept->LinkID()) << "the second link to b.htm keeps the focus";
  const int32_t top = kept->Section->LineTopAt(kept->Pos) - Viewer->SectionList().YOff;
  EXPECT_TRUE(top >= 0 && top < Viewer->PaintPanel()->Height() - 20) << "the focused link is out of view: " << top;
  const TSize screen = GetScreenSize();
  std::system(("xdotool mousemove " + std::to_string(screen.cx - 1) + " " + std::to_string(screen.cy - 1)).c_str());
}

// The page stands in its window's Tab order: Tab from the control before it enters at the
// first of its links and fields, which share one order (tab indexes first, 2 before 10...
// then document order); a field out of view scrolls into view framed, Space ticks a box or
// a radio; past the last item Tab leaves for the control after the page, and Shift+Tab
// walks the same way back, out to the control before.
TEST_F(HtmlViewerKeyboardTest, TabEntersThePageAndWalksLinksAndFieldsInOneOrder)
{
  auto before = std::make_unique<TEdit>();
  before->SetParent(Window.get());
  before->SetBounds(110, 310, 100, 24);
  before->SetTabStop(true);
  before->SetTabOrder(0);
  std::string page =
      "<form><p><a href=\"first.htm\">First</a> <input type=checkbox name=box tabindex=10> "
      "<a href=\"one.htm\" tabindex=2>One</a></p>"
      "<p><input type=radio name=r value=1> <input type=radio name=r value=2></p>";
  for (int i = 0; i < 40; ++i)
    page += "<p>Line " + std::to_string(i) + "</p>";
  page += "<p><input name=far> <a href=\"last.htm\">Last</a></p></form>";
  Viewer->LoadFromString(page);
  Window->Show();
  before->SetFocus();
  ASSERT_TRUE(WaitUntil([&] { return before->Focused(); }, 3000));

  const std::vector<TFormControlObj*>& fields = Viewer->SectionList().FormControlList;
  ASSERT_EQ(fields.size(), 4u);
  auto box = dynamic_cast<TCheckBoxFormControlObj*>(fields[0]);
  auto radio1 = dynamic_cast<TRadioButtonFormControlObj*>(fields[1]);
  auto radio2 = dynamic_cast<TRadioButtonFormControlObj*>(fields[2]);
  auto* far = dynamic_cast<TEditFormControlObj*>(fields[3]);
  ASSERT_TRUE(box && radio1 && radio2 && far);
  // Fields in view have their windows as the page shows; the far one has none until needed.
  EXPECT_TRUE(WaitUntil([&] { return box->TheControl->HandleAllocated() && radio2->RButton->HandleAllocated(); }));
  EXPECT_FALSE(far->TheControl->HandleAllocated());
  auto onLink = [&](const std::string& Url) {
    return WaitUntil([&] {
      const TWinControl* f = FindFocusedControl();
      return Viewer->FocusedLinkURL() == Url && (f == Viewer.get() || f == Viewer->PaintPanel());
    });
  };
  auto onField = [&](TFormControlObj* F) {
    return WaitUntil([&] { return F->GetControl()->Focused() && Viewer->FocusedLinkURL().empty(); });
  };

  TypeKeys("Tab");
  EXPECT_TRUE(onLink("one.htm")) << "tab index 2 first";
  TypeKeys("Tab");
  EXPECT_TRUE(onField(box)) << "then tab index 10";
  TypeKeys("space");
  EXPECT_TRUE(WaitUntil([&] { return box->Box()->Checked(); }));
  // The focused box is framed on the page.
  const int32_t boxTop = box->TheControl->Top() - 2;
  ASSERT_TRUE(WaitUntil([&] { return BlackOnRow(Shot(), boxTop + 1) > 0; }));
  SaveTestPicture(Shot(), "htmlview-field-focus.png");
  WaitUntil([] { return false; }, 300);   // the window's own paint reaches the screen
  testcmd::Output("import -window root '" + std::string(ORRELO_TEST_OUTPUT)
                  + "/htmlview-field-focus-screen.png' 2>/dev/null");
  TypeKeys("Tab");
  EXPECT_TRUE(onLink("first.htm")) << "then document order";
  TypeKeys("Tab");
  EXPECT_TRUE(onField(radio1));
  TypeKeys("space");
  EXPECT_TRUE(WaitUntil([&] { return radio1->Checked(); }));
  TypeKeys("Tab");
  EXPECT_TRUE(onField(radio2));
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);
  // The field far below comes into view as it takes the focus, and takes the typing.
  TypeKeys("Tab");
  ASSERT_TRUE(onField(far));
  const int32_t y = Viewer->VScrollBarPosition();
  EXPECT_GT(y, 0);
  EXPECT_GE(far->YValue, y);
  EXPECT_LE(far->YValue + far->Height, y + Viewer->PaintPanel()->Height());
  TypeKeys("x y z");
  EXPECT_TRUE(WaitUntil([&] { return far->Edit()->Text() == "xyz"; }));
  TypeKeys("Tab");
  EXPECT_TRUE(onLink("last.htm"));
  TypeKeys("Tab");
  EXPECT_TRUE(WaitUntil([&] { return Other->Focused(); })) << "past the last item the page is left";
  EXPECT_EQ(Viewer->FocusedLinkURL(), "");

  // Back: in at the last item, the same way through, out to the control before.
  TypeKeys("shift+Tab");
  EXPECT_TRUE(onLink("last.htm"));
  TypeKeys("shift+Tab");
  EXPECT_TRUE(onField(far));
  TypeKeys("shift+Tab shift+Tab");
  EXPECT_TRUE(onField(radio1));
  TypeKeys("shift+Tab");
  EXPECT_TRUE(onLink("first.htm"));
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);
  TypeKeys("shift+Tab shift+Tab");
  EXPECT_TRUE(onLink("one.htm"));
  TypeKeys("shift+Tab");
  EXPECT_TRUE(WaitUntil([&] { return before->Focused(); }));
  EXPECT_EQ(Viewer->FocusedLinkURL(), "");
  EXPECT_TRUE(box->Box()->Checked() && radio1->Checked() && !radio2->Checked());
  before->SetParent(nullptr);
}

// One wheel notch scrolls the desktop's lines setting times a line of 16 pixels, however far
// the wheel turned; a setting below 1 (a page at a time) scrolls half the wheel's turn.
TEST_F(HtmlViewerKeyboardTest, TheWheelScrollsByTheDesktopsLinesSetting)
{
  Viewer->LoadFromString(LongPage(200));
  ShowFocused();
  TPoint at = Viewer->PaintPanel()->ClientToScreen({100, 100});
  auto wheelDown = [&](int notches) {
    const int32_t before = Viewer->VScrollBarPosition();
    std::string cmd = "xdotool mousemove " + std::to_string(at.X) + " " + std::to_string(at.Y);
    for (int i = 0; i < notches; ++i)
      cmd += " click 5";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    WaitUntil([&] { return false; }, 300);
    return Viewer->VScrollBarPosition() - before;
  };
  EXPECT_EQ(wheelDown(1), WheelScrollLines() * 16);   // the desktop's own setting
  TSystemSettings s;
  s.WheelScrollLines = 5;
  SetSystemSettings(s);
  EXPECT_EQ(wheelDown(2), 2 * 5 * 16);
  s.WheelScrollLines = 0;
  SetSystemSettings(s);
  EXPECT_EQ(wheelDown(1), 60);   // one notch of 120, halved
  SetSystemSettings(TSystemSettings());

  // Over a field that takes no wheel of its own (a text box, a check box, a button), the wheel
  // still scrolls the page, as over the text beside it.
  Viewer->LoadFromString(
      "<form><p><input name=a size=30> <input type=checkbox name=b>"
      " <input type=submit value=Send></p></form>"
      + LongPage(200));
  ASSERT_EQ(Viewer->SectionList().FormControlList.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    Viewer->SetVScrollBarPosition(0);
    TControl* c = Viewer->SectionList().FormControlList[i]->GetControl();
    ASSERT_TRUE(WaitUntil([&] { return c->HandleAllocated() && c->Showing(); }));
    at = c->ClientToScreen({c->Width() / 2, c->Height() / 2});
    EXPECT_EQ(wheelDown(1), WheelScrollLines() * 16) << "over field " << i;
  }
  const TSize screen = GetScreenSize();
  std::system(("xdotool mousemove " + std::to_string(screen.cx - 1) + " " + std::to_string(screen.cy - 1)).c_str());
}
