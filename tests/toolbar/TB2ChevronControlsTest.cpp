// Controls hosted in a toolbar that went past its edge: the chevron's popup shows them in
// its own window, where the real pointer can use them, and gives them back when it closes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "tests/TestWait.h"
#include "tests/toolbar/RealInput.h"
#include "toolbar/ThemedItems.h"

using testwait::WaitUntil;

namespace {

class TBar : public TTBXToolbar {
public:
  ~TBar() override { DestroyHandle(); }
};

// A toolbar like the program's lever bar: a caption panel, two buttons, a separator and a
// check box, in a panel too narrow for all of them.
struct TLeverBar {
  TForm Form;
  TPanel Panel;
  TBar Bar;
  TPanel Caption;
  TCheckBox Labels;
  std::vector<TTBCustomItem*> Buttons;
  int LabelClicks = 0;
  TLeverBar()
  {
    Form.SetBounds(100, 100, 400, 200);
    Panel.SetParent(&Form);
    Panel.SetBounds(0, 0, 400, 40);
    Bar.SetBorderStyle(bsNone);
    Bar.SetParent(&Panel);
    Bar.SetAlign(alTop);
    for (const char* c : {"First", "Second", "Third"}) {
      auto i = std::make_unique<TTBXItem>();
      i->SetCaption(c);
      Buttons.push_back(Bar.Items()->Add(std::move(i)));
    }
    // Made last, they stand at the bar's right end: the first to go past the edge.
    Caption.SetCaption("Class 1 levers");
    Caption.SetBounds(0, 0, 90, 22);
    Caption.SetParent(&Bar);
    Labels.SetCaption("Show labels");
    Labels.SetBounds(0, 0, 90, 17);
    Labels.SetChecked(true);
    Labels.OnClick = [this](TObject*) { ++LabelClicks; };
    Labels.SetParent(&Bar);
    Form.Show();
  }
  ~TLeverBar() { Form.Hide(); }
  TTBItemViewer* ViewerOf(TControl* c)
  {
    TTBView* v = Bar.View();
    for (Integer i = 0; i < v->ViewerCount(); ++i)
      if (auto* ci = dynamic_cast<TTBControlItem*>(v->Viewers(i)->Item()); ci && ci->Control() == c)
        return v->Viewers(i);
    return nullptr;
  }
};

}   // namespace

TEST(ToolbarChevronControls, TheChevronPopupShowsTheHiddenControlsAndTheyWorkThere)
{
  realinput::TXInput x;
  if (!x.Available())
    GTEST_SKIP() << "no X display with the test extension";
  TLeverBar f;
  const Integer items = f.Bar.Items()->Count();
  // Room for the first two buttons and the chevron: the third button, the caption and the
  // check box go past the edge, out of sight.
  f.Bar.View()->ValidatePositions();
  Integer room = 12 + 1;
  for (TTBCustomItem* b : {f.Buttons[0], f.Buttons[1]})
    room += f.Bar.View()->Find(b)->BoundsRect.Width();
  f.Panel.SetWidth(room);
  f.Bar.View()->ValidatePositions();
  EXPECT_TRUE(f.Bar.View()->Find(f.Buttons[2])->OffEdge);
  EXPECT_FALSE(f.Bar.View()->Find(f.Buttons[0])->OffEdge);
  ASSERT_TRUE(WaitUntil([&] { return f.Form.Showing(); }, 3000));
  WaitUntil([] { return false; }, 200);
  ASSERT_NE(f.ViewerOf(&f.Caption), nullptr);
  EXPECT_TRUE(f.ViewerOf(&f.Caption)->OffEdge);
  EXPECT_TRUE(f.ViewerOf(&f.Labels)->OffEdge);
  EXPECT_LT(f.Labels.Left(), -1000);
  TTBItemViewer* chevron = f.Bar.View()->Find(f.Bar.ChevronItem());
  ASSERT_TRUE(chevron->Show);
  TPoint chevronAt = f.Bar.ClientToScreen({(chevron->BoundsRect.Left + chevron->BoundsRect.Right) / 2,
                                           (chevron->BoundsRect.Top + chevron->BoundsRect.Bottom) / 2});

  TControl* popupWindow = nullptr;
  bool captionInPopup = false, boxInPopup = false, stillOpenAfterClick = false;
  TPoint boxAt;
  realinput::TTimedSteps steps({
      [&] { x.MoveTo(chevronAt); },
      [&] {
        x.Press();
        x.Release();
      },
      [&] {
        TTBView* pv = f.Bar.View()->OpenViewerView();
        popupWindow = pv ? pv->Window() : nullptr;
        if (!popupWindow)
          return;
        TRect inPopup = popupWindow->ClientRect();
        captionInPopup = f.Caption.Parent() == popupWindow && f.Caption.Visible()
                         && inPopup.Contains({f.Caption.Left(), f.Caption.Top()});
        boxInPopup = f.Labels.Parent() == popupWindow && f.Labels.Visible()
                     && inPopup.Contains({f.Labels.Left() + f.Labels.Width() - 1, f.Labels.Top()});
        realinput::Screenshot("chevron-controls-open.png");
        boxAt = f.Labels.ClientToScreen({8, f.Labels.Height() / 2});
        x.MoveTo(boxAt);
      },
      [&] {
        x.Press();
        x.Release();
      },
      [&] {
        stillOpenAfterClick = f.Bar.View()->OpenViewerView() != nullptr;
        realinput::Screenshot("chevron-controls-clicked.png");
        // A click away from the menus closes them.
        x.MoveTo(f.Form.ClientToScreen({300, 150}));
      },
      [&] {
        x.Press();
        x.Release();
      },
      [&] {},
  });
  ASSERT_TRUE(WaitUntil([&] { return steps.Done() && !f.Bar.View()->InModalLoop; }, 10000));
  WaitUntil([] { return false; }, 100);

  EXPECT_NE(popupWindow, nullptr);
  EXPECT_TRUE(captionInPopup);
  EXPECT_TRUE(boxInPopup);
  // The click reached the box, the menus stayed.
  EXPECT_FALSE(f.Labels.Checked());
  EXPECT_EQ(f.LabelClicks, 1);
  EXPECT_TRUE(stillOpenAfterClick);
  // Given back: the toolbar kept their items and put them past its edge again.
  EXPECT_EQ(f.Bar.View()->OpenViewerView(), nullptr);
  EXPECT_EQ(f.Bar.Items()->Count(), items);
  EXPECT_EQ(f.Caption.Parent(), &f.Bar);
  EXPECT_EQ(f.Labels.Parent(), &f.Bar);
  EXPECT_LT(f.Labels.Left(), -1000);
  EXPECT_LT(f.Caption.Left(), -1000);

  // Wide again: both show on the bar itself.
  f.Panel.SetWidth(400);
  f.Bar.View()->ValidatePositions();
  EXPECT_FALSE(f.ViewerOf(&f.Labels)->OffEdge);
  EXPECT_GE(f.Labels.Left(), 0);

  TSize screen = GetScreenSize();
  x.MoveTo({screen.cx - 1, screen.cy - 1});
}
