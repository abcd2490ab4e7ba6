#include "platform/StdCtrls.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Application.h"
#include "platform/ComCtrls.h"
#include "platform/FormCtrls.h"
#include "tests/platform/ModalSupport.h"

using modal::Click;
using modal::InMessageLoop;
using modal::Later;

TEST(StdCtrlsTest, LabelSizesToItsText)
{
  TForm form;
  TLabel* label = TComponent::Create<TLabel>(&form);
  label->SetParent(&form);
  label->SetCaption("Cam shape");
  TBitmap probe(1, 1);
  probe.Canvas().Font().Assign(label->Font());
  EXPECT_EQ(label->Width(), probe.Canvas().TextWidth("Cam shape"));
  EXPECT_EQ(label->Height(), probe.Canvas().TextHeight("Cam shape"));
  Integer w = label->Width();
  label->Font().SetHeight(-22);
  EXPECT_GT(label->Width(), w);
  label->SetAutoSize(false);
  TRect kept = label->BoundsRect();
  label->SetCaption("A much longer caption than before");
  EXPECT_EQ(label->BoundsRect(), kept);

  // Transparent: it paints in its parent's colour.
  form.SetColor(clWhite);
  EXPECT_EQ(EffectiveColor(*label), clWhite);
  TBitmap shot(200, 50);
  label->PaintTo(shot.Canvas(), 0, 0);
  EXPECT_EQ(shot.GetPixel(label->Width() - 1, label->Height() - 1) & 0xFFFFFF, clWhite);
}

namespace {

// Handles messages until cond holds or timeoutMs passed; whether it holds.
bool PumpUntil(const std::function<bool()>& cond, Cardinal timeoutMs)
{
  Cardinal start = GetTickCount();
  while (!cond() && GetTickCount() - start < timeoutMs) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return cond();
}

// A default button ending with mrOk and a cancel button ending with mrCancel.
std::pair<TButton*, TButton*> AddOkAndCancel(TDialogForm& form, Integer okLeft, Integer cancelLeft, Integer top)
{
  TButton* ok = TComponent::Create<TButton>(&form);
  ok->SetParent(&form);
  ok->SetBounds(okLeft, top, 75, 25);
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  TButton* cancel = TComponent::Create<TButton>(&form);
  cancel->SetParent(&form);
  cancel->SetBounds(cancelLeft, top, 75, 25);
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  return {ok, cancel};
}

}   // namespace

TEST(StdCtrlsTest, AModalWindowTakesTheKeyboardAndGivesItBack)
{
  InMessageLoop([] {
    // The window that was active has the focus in a control, as the main window's page has.
    TForm other;
    other.SetBounds(20, 20, 200, 150);
    TEdit edit;
    edit.SetParent(&other);
    other.Show();
    edit.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return other.Active() && edit.Focused(); }, 3000));
    TDialogForm form;   // nothing on it takes the focus
    form.SetBounds(300, 300, 200, 100);
    bool active = false;
    Later([&] {
      active = PumpUntil([&] { return form.Active(); }, 3000);
      form.SetModalResult(mrOk);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(active);
    // Closed, it hands the keyboard back to where it was.
    EXPECT_TRUE(PumpUntil([&] { return other.Active() && edit.Focused(); }, 3000));
  });
}

TEST(StdCtrlsTest, ButtonsEndAModalShowingWithTheirResult)
{
  InMessageLoop([] {
    TDialogForm form;
    form.SetPosition(poScreenCenter);
    form.SetClientSize(200, 100);
    const auto buttons = AddOkAndCancel(form, 10, 100, 60);
    TButton* ok = buttons.first;
    ok->SetCaption("OK");
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };

    TForm other;
    other.Show();
    Later([&] {
      EXPECT_TRUE(form.Modal());
      EXPECT_FALSE(other.Enabled());
      Click(ok);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Modal());
    EXPECT_TRUE(other.Enabled());
    // Centred on the work area.
    TRect work = Screen().WorkAreaRect();
    EXPECT_EQ(form.Left(), work.Left + (work.Width() - form.Width()) / 2);

    Later([&] { form.Close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);

    Later([&] {
      Word key = VK_ESCAPE;
      form.DispatchKeyDown(key, 0);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    Later([&] {
      Word key = VK_RETURN;
      form.DispatchKeyDown(key, 0);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(clicks, 2);
  });
}

TEST(StdCtrlsTest, SpeedButtonsStayDownInAGroup)
{
  TForm form;
  TSpeedButton* b = TComponent::Create<TSpeedButton>(&form);
  b->SetParent(&form);
  b->Click();
  EXPECT_FALSE(b->Down());   // no group: never stays down
  b->SetGroupIndex(1);
  b->Click();
  EXPECT_TRUE(b->Down());
  b->Click();
  EXPECT_TRUE(b->Down());   // all up not allowed
  b->SetAllowAllUp(true);
  b->Click();
  EXPECT_FALSE(b->Down());
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->Click();
  EXPECT_EQ(clicks, 1);
}

TEST(StdCtrlsTest, ASpeedButtonGoingDownLiftsTheOthersOfItsGroupOnly)
{
  TForm form;
  TPanel* other = TComponent::Create<TPanel>(&form);
  other->SetParent(&form);
  auto button = [&](TWinControl* parent, Integer group) {
    TSpeedButton* b = TComponent::Create<TSpeedButton>(&form);
    b->SetParent(parent);
    b->SetGroupIndex(group);
    return b;
  };
  TSpeedButton* a = button(&form, 1);
  TSpeedButton* b = button(&form, 1);
  TSpeedButton* c = button(&form, 2);
  TSpeedButton* elsewhere = button(other, 1);
  a->SetDown(true);
  c->SetDown(true);
  elsewhere->SetDown(true);
  b->Click();
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(c->Down()) << "another group";
  EXPECT_TRUE(elsewhere->Down()) << "another parent";
  a->SetDown(true);
  EXPECT_FALSE(b->Down()) << "from code too";
}

TEST(StdCtrlsTest, PanelsImagesAndPaintBoxes)
{
  TForm form;
  form.SetBounds(0, 0, 300, 200);
  TPanel* panel = TComponent::Create<TPanel>(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 200, 150);
  panel->SetBevelOuter(bvLowered);
  panel->SetBorderWidth(2);
  panel->SetColor(clWhite);
  EXPECT_EQ(panel->InnerRect(), Rect(3, 3, 197, 147));
  TImage* image = TComponent::Create<TImage>(panel);
  image->SetParent(panel);
  image->SetAlign(alClient);
  EXPECT_EQ(image->BoundsRect(), Rect(3, 3, 197, 147));

  TImage* sized = TComponent::Create<TImage>(panel);
  sized->SetParent(panel);
  sized->SetLeft(150);
  sized->SetTop(100);
  sized->SetAutoSize(true);
  TBitmap pic(30, 20);
  pic.Fill(clRed);
  sized->SetPicture(pic);
  EXPECT_EQ(sized->Width(), 30);
  EXPECT_EQ(sized->Height(), 20);

  image->SetPicture(pic);
  image->SetCenter(true);
  TBitmap shot(200, 150);
  panel->PaintTo(shot.Canvas(), 0, 0);
  // Lowered bevel: shadow top-left, highlight bottom-right; the picture centred on white.
  EXPECT_EQ(shot.GetPixel(0, 0) & 0xFFFFFF, ColorToRGB(clBtnShadow) & 0xFFFFFF);
  EXPECT_EQ(shot.GetPixel(199, 149) & 0xFFFFFF, ColorToRGB(clBtnHighlight) & 0xFFFFFF);
  EXPECT_EQ(shot.GetPixel(100, 75) & 0xFFFFFF, clRed);
  EXPECT_EQ(shot.GetPixel(20, 75) & 0xFFFFFF, clWhite);
  EXPECT_EQ(shot.GetPixel(160, 110) & 0xFFFFFF, clRed);

  TPaintBox* box = TComponent::Create<TPaintBox>(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 50, 40);
  int paints = 0;
  box->OnPaint = [&](TObject*) {
    ++paints;
    box->Canvas().FillRect(Rect(0, 0, 10, 10), clBlue);
  };
  TBitmap boxShot(50, 40);
  box->PaintTo(boxShot.Canvas(), 0, 0);
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(boxShot.GetPixel(5, 5) & 0xFFFFFF, clBlue);
}

// A dialog used without the mouse: Tab walks its buttons and its track bar, the track bar
// moves by the arrow keys, and each control shows that it has the focus.
TEST(StdCtrlsTest, TabReachesEveryControlOfADialog)
{
  InMessageLoop([] {
    TDialogForm form;
    form.SetPosition(poScreenCenter);
    form.SetClientSize(296, 104);
    TTrackBar* bar = TComponent::Create<TTrackBar>(&form);
    bar->SetParent(&form);
    bar->SetBounds(8, 8, 280, 34);
    bar->SetRange(1, 200);
    bar->SetPosition(100);
    const auto buttons = AddOkAndCancel(form, 132, 213, 70);
    TButton *ok = buttons.first, *cancel = buttons.second;

    std::vector<TWinControl*> seen;
    TBitmap okFocused(75, 25), okUnfocused(75, 25);
    Later([&] {
      PumpUntil([&] { return ok->Focused(); }, 3000);
      seen.push_back(ok->Focused() ? ok : nullptr);
      ok->PaintTo(okFocused.Canvas(), 0, 0);
      for (int i = 0; i < 3; ++i) {
        SimulateKey(VK_TAB);
        Application->ProcessMessages();
        for (TWinControl* c : std::initializer_list<TWinControl*>{bar, ok, cancel})
          if (c->Focused())
            seen.push_back(c);
        if (i == 0)
          ok->PaintTo(okUnfocused.Canvas(), 0, 0);
      }
      // Now on the default button again; back to the bar and move it by the keys.
      SimulateKey(VK_TAB, ssShift);
      Application->ProcessMessages();
      SimulateKey(VK_RIGHT);
      SimulateKey(VK_RIGHT);
      Application->ProcessMessages();
      SimulateKey(VK_RETURN);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(seen, (std::vector<TWinControl*>{ok, cancel, bar, ok}));
    EXPECT_EQ(bar->Position(), 102);
    // The focused default button looks different from the same button without the focus.
    bool differs = false;
    for (Integer y = 0; y < 25 && !differs; ++y)
      for (Integer x = 0; x < 75 && !differs; ++x)
        differs = okFocused.GetPixel(x, y) != okUnfocused.GetPixel(x, y);
    EXPECT_TRUE(differs);
  });
}
