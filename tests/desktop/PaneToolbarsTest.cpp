// The main window's toolbars in narrowed panes, on a desktop with a window manager: the
// splitter is dragged by the real pointer, the chevron clicked by it, and what the bars show
// is read back from the screen. A bar gives up its rightmost buttons first, and its chevron
// shows only with something behind it, which its popup then offers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/MainWindow.h"
#include "tests/desktop/ScreenReadBack.h"
#include "tests/platform/XInputSupport.h"
#include "tests/shell/MainWindowSupport.h"
#include "tests/toolbar/RealInput.h"

namespace {

using namespace xinput;

class DesktopPaneBars : public ::testing::Test {
protected:
  void SetUp() override
  {
    if (!Available())
      GTEST_SKIP() << "xdotool is not installed";
    SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
    Frm = std::make_unique<TKVMainFrm>(ExeFolder());
    Frm->Show();
    ASSERT_TRUE(PumpUntil([&] { return Frm->Showing(); }));
    mainwindow::Pump(300);
  }
  void TearDown() override
  {
    Frm.reset();
    mainwindow::Pump();
    SetMessageAnswerer(nullptr);
  }
  // The splitter dragged by the pointer until the model pane is that wide.
  void DragSplitterTo(Integer paneWidth)
  {
    const TPoint from = Frm->Splitter->ClientToScreen({Frm->Splitter->Width() / 2, Frm->Splitter->Height() / 2});
    const TPoint to{from.X + paneWidth - Frm->LeftPanel->Width(), from.Y};
    X("mousemove " + At(from) + " mousedown 1 sleep 0.1 mousemove " + At({(from.X + to.X) / 2, to.Y})
      + " sleep 0.1 mousemove " + At(to) + " sleep 0.1 mouseup 1");
    PumpUntil([&] { return Frm->LeftPanel->Width() == paneWidth; }, 3000);
    mainwindow::Pump(300);
    Park();
    mainwindow::Pump(200);
  }
  void Park()
  {
    TSize screen = GetScreenSize();
    X("mousemove " + std::to_string(screen.cx - 1) + " " + std::to_string(screen.cy - 1));
  }
  desktop::TPixels Grab(TControl& c, const TRect& r)
  {
    const TPoint o = c.ClientToScreen({r.Left, r.Top});
    return X11.Grab(o.X, o.Y, r.Width(), r.Height());
  }
  TRect BoundsOf(TTBCustomToolbar& bar, TTBCustomItem* item) { return bar.View()->Find(item)->BoundsRect; }
  std::unique_ptr<TKVMainFrm> Frm;
  desktop::TDesktop Desk{desktop::TDesktop::TThisDisplay{}};
  desktop::TXConnection X11{Desk.Display()};
};

}   // namespace

// The page pane narrowed by the splitter until its toolbar cannot hold every button: the
// buttons at its left (home, forward, back, copy) stay where they were on the screen, and
// what went behind the chevron is its rightmost buttons.
TEST_F(DesktopPaneBars, ThePageToolbarGivesUpItsRightmostButtonsFirst)
{
  TTBXToolbar* bar = Frm->HTMLToolbar;
  TTBView* view = bar->View();
  view->ValidatePositions();
  ASSERT_FALSE(view->Find(bar->ChevronItem())->Show) << "the page toolbar is cut before the pane is narrowed";
  std::vector<TTBCustomItem*> items;
  for (Integer i = 0; i < bar->Items()->Count(); ++i)
    items.push_back(bar->Items()->Items(i));
  ASSERT_GE(items.size(), 6u);
  const TRect left{0, 0, BoundsOf(*bar, Frm->CopyBtn).Right, bar->Height()};
  const desktop::TPixels before = Grab(*bar, left);

  // Room for the left four buttons and a little more: two or three go behind the chevron.
  const Integer keep = BoundsOf(*bar, Frm->FontBtn).Right + 14;
  DragSplitterTo(Frm->LeftPanel->Width() + Frm->RightPanel->Width() - keep);
  view->ValidatePositions();
  Desk.Screenshot("pane-page-toolbar-narrow.png");
  ASSERT_TRUE(view->Find(bar->ChevronItem())->Show) << "the narrowed bar shows no chevron";
  EXPECT_LT(desktop::MeanDifference(Grab(*bar, left), before), 1.0) << "the left buttons left their places";
  // Behind the chevron: a run at the bar's right end, nothing at its left.
  bool hiding = false;
  for (TTBCustomItem* item : items) {
    const bool off = view->Find(item)->OffEdge;
    EXPECT_TRUE(!hiding || off) << item->Caption() << " shows right of a hidden button";
    hiding = hiding || off;
  }
  EXPECT_TRUE(hiding);
  EXPECT_FALSE(view->Find(Frm->IndexBtn)->OffEdge);
  EXPECT_TRUE(view->Find(items.back())->OffEdge);
}

// The model pane at the width an 800 by 600 screen gives it, on Levers class 2: a chevron
// shows only with something behind it; a click on it opens its popup, which holds every
// item that went past the bar's edge, the "Class 2 levers" label among them when it went.
// Narrower still, down to the narrowest pane, where the two items a bar always keeps do not
// fit: the chevron stays at the bar's right end on the screen, and still opens.
TEST_F(DesktopPaneBars, AtAnEightHundredPixelScreensPaneTheLeverChevronOffersWhatItHides)
{
  DragSplitterTo(800 / 2 - 10);
  Frm->Viewer->URL = "/Lever_Class2.htm";
  GuardedCall([this] { Frm->Viewer->FollowLink(); });
  mainwindow::Pump(500);
  TTBXToolbar* bar = Frm->LeverToolbar;
  ASSERT_TRUE(bar->Showing());
  ASSERT_EQ(Frm->LeverLabel->Caption(), "Class 2 levers");
  TTBView* view = bar->View();
  TTBItemViewer* chevron = view->Find(bar->ChevronItem());
  const Integer twoItems = BoundsOf(*bar, Frm->LeverBtn1).Right;
  for (Integer pane : {Integer(800 / 2 - 10), twoItems + 12, twoItems + 4, twoItems - 30, Integer(60)}) {
    SCOPED_TRACE("model pane " + std::to_string(pane) + " px wide");
    if (pane != Frm->LeftPanel->Width())
      DragSplitterTo(pane);
    view->ValidatePositions();
    const std::vector<std::string> hidden = mainwindow::ChevronCaptions(*view, false);
    Desk.Screenshot("pane-lever-class2-" + std::to_string(pane) + ".png");
    // The pane is too narrow for the whole bar: something goes, and the chevron shows for it.
    ASSERT_FALSE(hidden.empty()) << "the bar holds everything at this width";
    ASSERT_TRUE(chevron->Show) << "items hidden without a chevron";
    // Drawn enabled on the screen, inside the bar: its glyph in the text colour, not greyed,
    // in the bar's last pixels.
    const TRect r = chevron->BoundsRect;
    EXPECT_LE(r.Right, bar->ClientWidth());
    const desktop::TPixels glyph = Grab(*bar, {bar->ClientWidth() - r.Width(), r.Top, bar->ClientWidth(), r.Bottom});
    int dark = 0;
    for (int y = 0; y < glyph.Height; ++y)
      for (int x = 0; x < glyph.Width; ++x)
        dark += glyph.Luminance(x, y) < 40;
    EXPECT_GE(dark, 10) << "no chevron at the bar's right end";

    const TPoint at = bar->ClientToScreen({bar->ClientWidth() - r.Width() / 2, (r.Top + r.Bottom) / 2});
    std::vector<std::string> listed;
    bool opened = false;
    realinput::TTimedSteps steps({
        [&] { X("mousemove " + At(at) + " click 1"); },
        [] {},
        [&] {
          TTBView* popup = view->OpenViewerView();
          opened = popup != nullptr;
          if (!popup)
            return;
          Desk.Screenshot("pane-lever-class2-" + std::to_string(pane) + "-chevron.png");
          // Hosted controls show inside the popup's window, where the screen has them.
          listed = mainwindow::ChevronCaptions(*popup, true);
        },
        [&] { X("key Escape"); },
        [&] { X("key Escape"); },
        [] {},
    });
    EXPECT_TRUE(PumpUntil([&] { return steps.Done() && !view->OpenViewerView(); }, 10000));
    EXPECT_TRUE(opened) << "a click on the chevron opened nothing";
    EXPECT_EQ(listed, hidden);
  }
}
