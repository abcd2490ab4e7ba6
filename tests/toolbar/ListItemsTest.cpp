// List items: measures, keyboard, mouse and wheel on the viewer, and the light scroll bar's
// layout and input; the wheel reaching a list in an open menu through the menu loop.
#include <gtest/gtest.h>

#include "platform/Forms.h"
#include "toolbar/ListItems.h"
#include "tests/toolbar/RealInput.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

namespace {

struct ThemedList : ::testing::Test {
  TTBRootItem Root;
  TTBXStringList* List = nullptr;
  TForm Form;
  std::unique_ptr<TTestBar> Host;
  int Changes = 0;

  void SetUp() override
  {
    List = Root.AddNew<TTBXStringList>();
    List->OnChange = [this](TObject*) { ++Changes; };
    Form.SetBounds(100, 100, 300, 300);
    Host = std::make_unique<TTestBar>(&Root);
    Host->SetParent(&Form);
    Host->SetBounds(0, 0, 300, 300);
    Host->View->SetIsToolbar(false);
    Host->View->RecreateAllViewers();
  }
  void TearDown() override
  {
    Form.Hide();
    Host.reset();
    Application->ProcessMessages();
  }
  void Fill(int n)
  {
    std::vector<std::string> s;
    for (int i = 0; i < n; ++i)
      s.push_back("Entry " + std::to_string(i + 1));
    List->SetStrings(s);
    Host->View->UpdatePositions();
  }
  TTBXCustomListViewer* V() { return dynamic_cast<TTBXCustomListViewer*>(Host->View->Find(List)); }
  Integer TextH()
  {
    TCanvas& c = Host->View->MeasureCanvas();
    c.Font().Assign(Host->View->GetFont());
    return c.TextHeight("Q");
  }
};

}   // namespace

TEST_F(ThemedList, EmptyListIsOneEntryHighAndMinWidthWide)
{
  Host->View->UpdatePositions();
  ASSERT_NE(V(), nullptr);
  Integer w = 0, h = 0;
  V()->CalcSize(Host->View->MeasureCanvas(), w, h);
  EXPECT_EQ(h, TextH() + 2);
  EXPECT_EQ(w, 32);
  // Keys on an empty list are used up and change nothing.
  Word key = VK_DOWN;
  V()->KeyDown(key, 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(List->ItemIndex(), -1);
  // Degenerate settings measure safely: no visible count of 0, no entry height of 0.
  List->SetMaxVisibleItems(0);
  List->OnMeasureHeight = [](TTBXCustomList*, TCanvas&, Integer& hh) { hh = 0; };
  Fill(3);
  EXPECT_EQ(V()->VisibleItems(), 1);
  EXPECT_EQ(V()->ItemHeight(), 1);
  EXPECT_EQ(V()->GetItemIndexAt(2, 0), 0);
}

TEST_F(ThemedList, ItemIndexStoresMinusOneForNegativesAndTellsOnChange)
{
  Fill(3);
  List->SetItemIndex(-5);
  EXPECT_EQ(List->ItemIndex(), -1);
  EXPECT_EQ(Changes, 1);
  List->SetItemIndex(2);
  EXPECT_EQ(List->ItemIndex(), 2);
}

TEST_F(ThemedList, TwelveEntriesShowEightWithAScrollBarAndKeysMoveTheSelection)
{
  List->SetMinWidth(20);
  Fill(12);
  TTBXCustomListViewer* v = V();
  EXPECT_EQ(v->VisibleItems(), 8);
  EXPECT_EQ(v->ScrollBarWidth(), TBXListScrollBarWidth);
  EXPECT_EQ(v->BoundsRect.Height(), 8 * (TextH() + 2));
  TCanvas& c = Host->View->MeasureCanvas();
  EXPECT_EQ(v->BoundsRect.Width(), c.TextWidth("Entry 10") + 8 + TBXListScrollBarWidth);
  Word key = VK_END;
  v->KeyDown(key, 0);
  EXPECT_EQ(List->ItemIndex(), 11);
  EXPECT_EQ(v->TopIndex(), 4);
  key = VK_DOWN;
  v->KeyDown(key, 0);
  EXPECT_EQ(List->ItemIndex(), 11) << "Down at the last entry stays there";
  key = VK_PRIOR;
  v->KeyDown(key, 0);
  EXPECT_EQ(List->ItemIndex(), 3);
  EXPECT_EQ(v->TopIndex(), 3);
  key = VK_HOME;
  v->KeyDown(key, 0);
  EXPECT_EQ(List->ItemIndex(), 0);
  EXPECT_EQ(v->TopIndex(), 0);
  key = 'A';
  v->KeyDown(key, 0);
  EXPECT_EQ(key, 'A') << "other keys pass";
  // The list's width can be capped.
  List->SetMaxWidth(40);
  Host->View->InvalidatePositions();
  Host->View->UpdatePositions();
  EXPECT_EQ(V()->BoundsRect.Width(), 40);
}

TEST_F(ThemedList, PressDraggedOutsideReleasesToNoEntryAndWheelScrollsByWholeNotches)
{
  Fill(12);
  TTBXCustomListViewer* v = V();
  Integer h = v->ItemHeight();
  bool onMenu = false;
  v->MouseDown(0, 5, h * 2 + 1, onMenu);
  EXPECT_EQ(v->HoverIndex(), 2);
  v->MouseMove(5, -20);
  EXPECT_EQ(v->HoverIndex(), -1);
  ASSERT_NE(v->ScrollBar(), nullptr);
  EXPECT_EQ(v->ScrollBar()->AutoScrollDelta(), 0) << "already at the top: nothing to scroll";
  v->MouseMove(5, v->BoundsRect.Height() + 60);
  EXPECT_EQ(v->ScrollBar()->AutoScrollDelta(), 4);
  EXPECT_EQ(v->ScrollBar()->AutoScrollInterval(), 100);
  v->MouseMove(5, v->BoundsRect.Height() + 4);
  EXPECT_EQ(v->ScrollBar()->AutoScrollDelta(), 1);
  EXPECT_EQ(v->ScrollBar()->AutoScrollInterval(), 150);
  v->MouseUp(5, v->BoundsRect.Height() + 4, false);
  EXPECT_FALSE(v->ScrollBar()->AutoScrolling());
  EXPECT_EQ(List->ItemIndex(), -1);

  // Moving without a press over no entry leaves the hover entry alone.
  v->MouseMove(5, h * 3 + 1);
  EXPECT_EQ(v->HoverIndex(), 3);
  v->MouseMove(v->BoundsRect.Width() - 2, h * 3 + 1);
  EXPECT_EQ(v->HoverIndex(), 3);

  v->MouseWheel(-60, 0, 0);
  EXPECT_EQ(v->TopIndex(), 0);
  v->MouseWheel(-60, 0, 0);
  EXPECT_EQ(v->TopIndex(), 1);
  v->MouseWheel(-600, 0, 0);
  EXPECT_EQ(v->TopIndex(), 4) << "never past the last page";
  v->MouseWheel(120, 0, 0);
  EXPECT_EQ(v->TopIndex(), 3);
}

TEST(ThemedScrollBarLayout, ZonesThumbAndShortTracks)
{
  TTBXScrollBar sb;
  sb.SetBounds(Rect(0, 0, 16, 160));
  sb.SetRange(12);
  sb.SetPageSize(8);
  // Track 128: thumb 128 * 8 / 12 = 85.33 -> 85, at 16 + 0.
  EXPECT_TRUE(sb.HasThumb());
  EXPECT_EQ(sb.GetZoneRect(TTBXScrollBar::zThumb), Rect(0, 16, 16, 101));
  EXPECT_EQ(sb.GetZone(8, 5), TTBXScrollBar::zBackArrow);
  EXPECT_EQ(sb.GetZone(8, 50), TTBXScrollBar::zThumb);
  EXPECT_EQ(sb.GetZone(8, 120), TTBXScrollBar::zTrackAfter);
  EXPECT_EQ(sb.GetZone(8, 150), TTBXScrollBar::zForwardArrow);
  sb.SetPosition(99);
  EXPECT_EQ(sb.Position(), 4) << "clamped to range less page";
  EXPECT_EQ(sb.GetZoneRect(TTBXScrollBar::zThumb).Top, 16 + 43);   // 128 * 4 / 12 = 42.67

  // A long range makes the thumb 8 long and places it over the track less 8.
  sb.SetRange(1000);
  sb.SetPageSize(1);
  sb.SetPosition(999);
  EXPECT_EQ(sb.GetZoneRect(TTBXScrollBar::zThumb), Rect(0, 16 + 120, 16, 16 + 128));

  // Track under 13 pixels: no thumb, and the track is one empty zone.
  sb.SetBounds(Rect(0, 0, 16, 44));
  EXPECT_FALSE(sb.HasThumb());
  EXPECT_EQ(sb.GetZone(8, 22), TTBXScrollBar::zNone);
  // Shorter than two arrows: they share the length.
  sb.SetBounds(Rect(0, 0, 16, 20));
  EXPECT_EQ(sb.GetZoneRect(TTBXScrollBar::zBackArrow), Rect(0, 0, 16, 9));
  // A page as large as the range: disabled, no thumb, no division by zero.
  sb.SetBounds(Rect(0, 0, 16, 160));
  sb.SetRange(8);
  sb.SetPageSize(8);
  EXPECT_FALSE(sb.Enabled());
  EXPECT_FALSE(sb.HasThumb());
  sb.SetRange(-3);
  EXPECT_EQ(sb.Range(), 0);
}

TEST(ThemedScrollBarLayout, PressesStepAndTheThumbDrags)
{
  TTBXScrollBar sb;
  int changes = 0;
  sb.OnChange = [&](TTBXScrollBar*) { ++changes; };
  sb.SetBounds(Rect(0, 0, 16, 160));
  sb.SetRange(12);
  sb.SetPageSize(4);
  sb.MouseDown(8, 150);
  EXPECT_EQ(sb.Position(), 1);
  sb.MouseUp(8, 150);
  sb.MouseDown(8, 140);   // the track after the thumb: a page
  EXPECT_EQ(sb.Position(), 5);
  sb.MouseUp(8, 140);
  EXPECT_EQ(changes, 2);
  // Dragging the thumb by a third of the track moves by a third of the range.
  TRect t = sb.GetZoneRect(TTBXScrollBar::zThumb);
  sb.MouseDown(8, t.Top + 2);
  sb.MouseMove(8, t.Top + 2 - 43);
  EXPECT_EQ(sb.Position(), 1);   // 5 - 43 * 12 / 128 = 5 - 4.03
  sb.MouseUp(8, 0);
  EXPECT_EQ(sb.PressedZone(), TTBXScrollBar::zNone);
  sb.SetPosition(0);
  EXPECT_EQ(changes, 3) << "positions set from code tell nobody";
}

TEST_F(ThemedList, Picture)
{
  List->SetItemIndex(2);
  Fill(12);
  Form.Show();
  Host->View->UpdatePositions();
  V()->MouseMove(5, V()->ItemHeight() * 4 + 2);
  Form.Repaint();
  TBitmap pic(200, 200);
  Form.PaintTo(pic.Canvas(), 0, 0);
  SavePng(pic, "tbx-list.png");
  TTBXCustomListViewer* v = V();
  Integer y = v->BoundsRect.Top + v->ItemHeight() * 4 + 1;
  EXPECT_EQ(pic.GetPixel(v->BoundsRect.Left + 1, y), ColorToRGB(clHighlight)) << "the hover entry";
  EXPECT_EQ(pic.GetPixel(v->BoundsRect.Left + 1, v->BoundsRect.Top + 1), ColorToRGB(clWindow));
}

TEST_F(ThemedList, OwnDrawingAndImagesOfEntries)
{
  // Images 20 high, taller than the text: they set the entry height. A green square on a
  // fuchsia key, image i with i + 1 pixels of the key at its left.
  TTBImageList images(20, 20);
  TBitmap strip(60, 20, TPixelFormat::pf24bit);
  strip.Fill(clFuchsia);
  for (int i = 0; i < 3; ++i)
    strip.Canvas().FillRect(Rect(i * 20 + i + 1, 0, i * 20 + 20, 20), RGBColor(0, 160, 0));
  images.AddMasked(strip, clFuchsia);
  List->SetImages(&images);
  List->SetShowImages(true);
  List->OnAdjustImageIndex = [](TTBXCustomList*, Integer entry, Integer& image) { image = 2 - entry; };
  Fill(3);
  TCanvas& c = Host->View->MeasureCanvas();
  c.Font().Assign(Host->View->GetFont());
  ASSERT_LT(TextH() + 2, 22);
  EXPECT_EQ(V()->ItemHeight(), 22);
  Integer w = 0, h = 0;
  V()->CalcSize(c, w, h);
  EXPECT_EQ(w, std::max<Integer>(32, c.TextWidth("Entry 1") + 20 + 4 + 8));
  EXPECT_EQ(h, 3 * 22);
  List->OnMeasureWidth = [](TTBXCustomList*, TCanvas&, Integer entry, Integer& width) {
    width += entry == 1 ? 100 : 0;
  };
  List->OnMeasureHeight = [](TTBXCustomList*, TCanvas&, Integer& height) { height += 4; };
  V()->CalcSize(c, w, h);
  EXPECT_EQ(w, c.TextWidth("Entry 2") + 20 + 4 + 8 + 100);
  EXPECT_EQ(h, 3 * 26);
  List->OnMeasureWidth = nullptr;
  List->OnMeasureHeight = nullptr;

  // Entry 0 clears itself in yellow; entry 1 draws nothing past the clearing; entry 2 is
  // drawn as the list draws: its image at the left, then its text.
  List->OnClearItem = [](TTBXCustomList*, TCanvas& canvas, TRect& r, Integer entry, Integer, bool& drawDefault) {
    if (entry == 0) {
      canvas.FillRect(r, clYellow);
      drawDefault = false;
    }
  };
  List->OnDrawItem = [](TTBXCustomList*, TCanvas&, TRect&, Integer entry, Integer, bool& drawDefault) {
    drawDefault = entry != 1;
  };
  Form.Show();
  Host->View->UpdatePositions();
  Form.Repaint();
  TBitmap pic(200, 120);
  Form.PaintTo(pic.Canvas(), 0, 0);
  SavePng(pic, "tbx-list-own-drawing.png");
  TTBXCustomListViewer* v = V();
  TPoint o = Form.ScreenToClient(Host->ClientToScreen({v->BoundsRect.Left, v->BoundsRect.Top}));
  Integer eh = v->ItemHeight();
  auto row = [&](Integer entry, Integer x, Integer y) { return pic.GetPixel(o.X + x, o.Y + entry * eh + y); };
  // Its own clearing, and the list's drawing over it (the drawing step still allows it).
  EXPECT_EQ(row(0, 2, 2), ColorToRGB(clYellow));
  EXPECT_EQ(row(0, 4, 11), ColorToRGB(clYellow));
  EXPECT_EQ(row(0, 7, 11), RGBColor(0, 160, 0)) << "image 2: three key columns";
  EXPECT_EQ(row(0, 6, 11), ColorToRGB(clYellow));
  Integer notWindow = 0;
  for (Integer x = 0; x < v->BoundsRect.Width(); ++x)
    for (Integer y = 0; y < eh; ++y)
      notWindow += row(1, x, y) != ColorToRGB(clWindow);
  EXPECT_EQ(notWindow, 0) << "entry 1 is cleared only";
  // Image 0 (for entry 2): one key column at x 4, green from x 5, 1 pixel below the top.
  EXPECT_EQ(row(2, 4, 11), ColorToRGB(clWindow));
  EXPECT_EQ(row(2, 5, 11), RGBColor(0, 160, 0));
  EXPECT_EQ(row(2, 5, 1), RGBColor(0, 160, 0));
  EXPECT_EQ(row(2, 5, 0), ColorToRGB(clWindow));
  Integer dark = 0;
  for (Integer x = 4 + 20 + 4; x < v->BoundsRect.Width(); ++x)
    for (Integer y = 0; y < eh; ++y)
      dark += GetRValue(row(2, x, y)) + GetGValue(row(2, x, y)) + GetBValue(row(2, x, y)) < 200;
  EXPECT_GT(dark, 10) << "the text after the image";
}

// The wheel turned over a list in an open menu reaches the list through the menu loop.
TEST(ThemedListInAMenu, TheWheelScrollsTheListUnderThePointer)
{
  realinput::TXInput x;
  if (!x.Available())
    GTEST_SKIP() << "no X display with the test extension";
  TTBRootItem root;
  TTBCustomItem* pick = root.Add(Item("&Pick", tbisSubmenu));
  auto* list = pick->AddNew<TTBXStringList>();
  std::vector<std::string> entries;
  for (int i = 0; i < 12; ++i)
    entries.push_back("Entry " + std::to_string(i + 1));
  list->SetStrings(entries);
  TBarOnForm on(&root, {100, 100, 300, 300}, {300, 24});
  TTestBar& bar = on.Bar;
  bar.View->UpdatePositions();
  ASSERT_TRUE(testwait::WaitUntil([&] { return on.Form.Showing(); }, 3000));
  TPoint button = ScreenCentre(bar.View->Find(pick));

  auto listViewer = [&]() -> TTBXCustomListViewer* {
    TTBView* pv = bar.View->OpenViewerView();
    return pv ? dynamic_cast<TTBXCustomListViewer*>(pv->Find(list)) : nullptr;
  };
  Integer topBefore = -1, topAfter = -1;
  realinput::TTimedSteps steps({
      [&] { x.MoveTo(button); },
      [&] {
        x.Press();
        x.Release();
      },
      [&] {
        if (TTBXCustomListViewer* v = listViewer()) {
          topBefore = v->TopIndex();
          x.MoveTo(ScreenCentre(v));
        }
      },
      // Two notches down: X's button 5.
      [&] {
        x.Press(5);
        x.Release(5);
      },
      [&] {
        x.Press(5);
        x.Release(5);
      },
      [&] {
        if (TTBXCustomListViewer* v = listViewer())
          topAfter = v->TopIndex();
        x.Key("Escape");
      },
      [&] { x.Key("Escape"); },
      [&] {},
  });
  bool ended = testwait::WaitUntil([&] { return steps.Done() && !bar.View->InModalLoop; }, 10000);
  if (!ended)
    bar.View->EndModal();
  EXPECT_TRUE(ended);
  EXPECT_EQ(topBefore, 0);
  EXPECT_EQ(topAfter, 2) << "each notch scrolls the list by one entry";
  // The pointer goes out of the way of the tests that follow.
  x.MoveTo({1270, 1015});
  ParkPointer();
}
