#include <gtest/gtest.h>

#include <functional>

#include "platform/Forms.h"
#include "platform/ImageSave.h"
#include "platform/StdCtrls.h"
#include "tests/TestWait.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/ThemedItems.h"

namespace {

class TTestToolbar : public TTBXToolbar {
public:
  ~TTestToolbar() override { DestroyHandle(); }
};

class TTestDock : public TTBDock {
public:
  ~TTestDock() override { DestroyHandle(); }
};

// Three glyphs (a disc, a square, a triangle) of Size pixels on a fuchsia key.
std::unique_ptr<TTBImageList> Glyphs(Integer Size)
{
  auto list = std::make_unique<TTBImageList>(Size, Size);
  TBitmap bm(Size * 3, Size, TPixelFormat::pf24bit);
  bm.Fill(clFuchsia);
  TCanvas& c = bm.Canvas();
  c.Pen().SetColor(clNavy);
  c.Brush().SetColor(RGBColor(0, 160, 0));
  c.Ellipse(2, 2, Size - 2, Size - 2);
  c.Brush().SetColor(RGBColor(200, 40, 40));
  c.Rectangle(Size + 3, 3, 2 * Size - 3, Size - 3);
  c.Brush().SetColor(RGBColor(230, 180, 0));
  c.Polygon({{2 * Size + 2, Size - 3}, {3 * Size - 3, Size - 3}, {2 * Size + Size / 2, 2}});
  list->AddMasked(bm, clFuchsia);
  return list;
}

template <class T>
T* Add(TTBCustomItem* parent, const std::string& caption, TImageIndex image = -1)
{
  auto i = std::make_unique<T>();
  i->SetCaption(caption);
  i->SetImageIndex(image);
  return static_cast<T*>(parent->Add(std::move(i)));
}

TSize TextSize(TTBView* view, TTBItemViewer* v, const std::string& s)
{
  TCanvas& c = view->MeasureCanvas();
  c.Font().Assign(view->GetFont());
  return static_cast<TTBXItemViewer*>(v)->GetTextSize(c, s, DT_SINGLELINE, false);
}

// Runs the steps one per posted message, from inside the loops they drive. A loop still
// running 10 s on fails the test and loses the mouse capture, which ends the menu loop.
class TScript {
public:
  explicit TScript(std::vector<std::function<void()>> steps)
      : Steps(std::move(steps)), FBound("the menu loop of a scripted press to end", 10000, [] { ReleaseCapture(); })
  {
    FWnd = AllocateHWnd([this](TMessage&) {
      if (FNext >= Steps.size())
        return;
      auto step = Steps[FNext++];
      PostMessage(FWnd, WM_USER, 0, 0);
      step();
    });
    PostMessage(FWnd, WM_USER, 0, 0);
  }
  ~TScript() { DeallocateHWnd(FWnd); }
  std::vector<std::function<void()>> Steps;

private:
  testwait::TLoopBound FBound;
  HWND FWnd = 0;
  size_t FNext = 0;
};

TPoint CentreOf(TTBItemViewer* v)
{
  const TRect& r = v->BoundsRect;
  return v->View()->Window()->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

void SavePng(TBitmap& b, const std::string& name)
{
  std::vector<uint8_t> pixels(static_cast<size_t>(b.Width()) * b.Height() * 4);
  for (Integer y = 0; y < b.Height(); ++y)
    std::copy_n(b.ScanLine(y), b.Width() * 4, pixels.data() + static_cast<size_t>(y) * b.Width() * 4);
  SavePixelsToPng(std::string(ORRELO_TEST_OUTPUT) + "/" + name, b.Width(), b.Height(), pixels.data(), false);
}

// Records what the themed layer sends a control.
class TRecorder : public TCustomControl {
public:
  ~TRecorder() override { DestroyHandle(); }
  void WndProc(TMessage& m) override
  {
    if (m.Msg == TBXM_THEMEUPDATE)
      Codes.push_back(static_cast<Integer>(m.WParam));
    if (m.Msg == CM_PARENTCOLORCHANGED)
      ParentColor = static_cast<TColor>(m.LParam);
    TCustomControl::WndProc(m);
  }
  std::vector<Integer> Codes;
  TColor ParentColor = clNone;
};

}   // namespace

TEST(ThemedItems, FontSettingsAndSeparatorSize)
{
  int changes = 0;
  TFontSettings fs([&] { ++changes; });
  fs.SetBold(tsTrue);
  fs.SetBold(tsTrue);
  fs.SetItalic(tsFalse);
  fs.SetSize(150);
  fs.SetColor(clRed);
  fs.SetName("Courier New");
  EXPECT_EQ(changes, 5);
  TFont f;
  f.SetSize(8);
  f.SetStyle(fsItalic);
  fs.Apply(f);
  EXPECT_EQ(f.Size(), 12);   // (8 * 150 + 50) div 100
  EXPECT_EQ(f.Style(), fsBold);
  EXPECT_EQ(f.Color(), clRed);
  EXPECT_EQ(f.Name(), "Courier New");
  TFontSettings copy;
  copy.Assign(fs);
  fs.Assign(copy);   // all equal: no change
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(copy.Size(), 150);

  // A share of nothing is no size: the font keeps its own.
  TFontSettings none;
  none.SetSize(0);
  TFont g;
  g.SetSize(8);
  none.Apply(g);
  EXPECT_EQ(g.Size(), 8);
  // The image column; a negative theme margin that empties the row divides by nothing.
  EXPECT_EQ(TBXPopupMargin(16, 16, 13, 2), 20);
  EXPECT_EQ(TBXPopupMargin(16, 16, 20, 2), 24);
  EXPECT_EQ(TBXPopupMargin(2, 2, 13, -1), 0);
  EXPECT_EQ(TBXPopupMargin(5, 2, 13, -1), 3);

  TTBXSeparatorItem sep;
  EXPECT_EQ(sep.Size(), -1);
  sep.SetSize(-5);
  EXPECT_EQ(sep.Size(), -1);
  sep.SetSize(10);
  EXPECT_EQ(sep.Size(), 10);
}

TEST(ThemedItems, ButtonSizesThroughTheTheme)
{
  TForm form;
  form.SetBounds(100, 100, 500, 200);
  auto images = Glyphs(20);
  TTestToolbar bar;
  bar.SetParent(&form);
  bar.SetImages(images.get());
  auto* zoom = Add<TTBXItem>(bar.Items(), "Zoom", 0);
  zoom->SetLayout(tbxlGlyphTop);
  zoom->SetMinWidth(50);
  zoom->SetDisplayMode(nbdmImageAndText);
  auto* wide = Add<TTBXItem>(bar.Items(), "A much wider caption", 1);
  wide->SetLayout(tbxlGlyphTop);
  wide->SetMinWidth(50);
  wide->SetDisplayMode(nbdmImageAndText);
  auto* plain = Add<TTBXItem>(bar.Items(), "Plain");
  auto* left = Add<TTBXItem>(bar.Items(), "Left", 2);
  left->SetDisplayMode(nbdmImageAndText);
  auto* sep = bar.Items()->Add(std::make_unique<TTBXSeparatorItem>());
  Add<TTBXItem>(bar.Items(), "Between");
  auto* sized = static_cast<TTBXSeparatorItem*>(bar.Items()->Add(std::make_unique<TTBXSeparatorItem>()));
  sized->SetSize(10);
  Add<TTBXItem>(bar.Items(), "End");
  TTBView* v = bar.View();
  v->ValidatePositions();

  TTBItemViewer* zv = v->Find(zoom);
  TSize zt = TextSize(v, zv, "Zoom");
  EXPECT_EQ(zv->BoundsRect.Width(), std::max({50, zt.cx + 10, 27}));
  EXPECT_EQ(zv->BoundsRect.Height(), zt.cy + 26);
  TSize wt = TextSize(v, zv, "A much wider caption");
  ASSERT_GT(wt.cx, 40);
  EXPECT_EQ(v->Find(wide)->BoundsRect.Width(), wt.cx + 10);
  // No image: no room for one on a toolbar.
  EXPECT_EQ(v->Find(plain)->BoundsRect.Width(), TextSize(v, zv, "Plain").cx + 10);
  // Glyph left: image, one pixel of gap, then the caption.
  EXPECT_EQ(v->Find(left)->BoundsRect.Width(), TextSize(v, zv, "Left").cx + 10 + 20 + 1);
  // Separators: the theme's size (none given: 6), or their own.
  EXPECT_EQ(v->Find(sep)->BoundsRect.Width(), 6);
  EXPECT_EQ(v->Find(sized)->BoundsRect.Width(), 10);

  // Text only in menus: the toolbar shows the image.
  plain->SetImageIndex(1);
  plain->SetDisplayMode(nbdmTextOnlyInMenus);
  v->ValidatePositions();
  EXPECT_TRUE(static_cast<TTBXItemViewer*>(v->Find(plain))->GetImageShown());
}

TEST(ThemedItems, MenuItemSizesAndPopupMargin)
{
  TTBRootItem root;
  auto* a = Add<TTBXItem>(&root, "Open");
  auto* b = Add<TTBXItem>(&root, "Save\tCtrl+S");
  auto* c = Add<TTBXItem>(&root, "Menus");
  c->SetDisplayMode(nbdmTextOnlyInMenus);
  c->SetImageIndex(0);
  TTBView menu(nullptr, &root, nullptr, false, false, false);
  TCanvas& canvas = menu.MeasureCanvas();
  canvas.Font().Assign(menu.GetFont());
  TTextMetric tm = canvas.GetTextMetrics();
  auto* va = static_cast<TTBXItemViewer*>(menu.Find(a));
  Integer w = 0, h = 0;
  va->CalcSize(canvas, w, h);
  // No image list: a 16 by 16 column all the same.
  EXPECT_EQ(h, std::max(4 + tm.tmHeight + tm.tmExternalLeading, 20));
  Integer margin = va->PopupMargin(canvas);
  EXPECT_EQ(margin, 20 * std::max(tm.tmHeight + tm.tmExternalLeading + 4, 20) / 20);
  TSize text = va->GetTextSize(canvas, "Open", DT_SINGLELINE, false);
  EXPECT_EQ(w, text.cx + 1 + margin + 2 + 3 + h);
  // A shortcut adds its width and the row height less 6.
  Integer w2 = 0, h2 = 0;
  menu.Find(b)->CalcSize(canvas, w2, h2);
  TSize sc = va->GetTextSize(canvas, "Ctrl+S", DT_SINGLELINE | DT_NOPREFIX, false);
  EXPECT_EQ(w2, va->GetTextSize(canvas, "Save", DT_SINGLELINE, false).cx + 1 + margin + 2 + 3 + sc.cx + h2 - 6 + h2);
  EXPECT_FALSE(static_cast<TTBXItemViewer*>(menu.Find(c))->GetImageShown());
}

TEST(ThemedItems, ViewTypesAndTheColourOfThePanel)
{
  TForm form;
  form.SetBounds(100, 100, 300, 120);
  TPanel panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 0, 300, 60);
  panel.SetBevelOuter(bvNone);
  panel.SetColor(RGBColor(40, 120, 200));
  TTestToolbar bar;
  bar.SetBorderStyle(bsNone);
  bar.SetParent(&panel);
  bar.SetAlign(alTop);
  Add<TTBXItem>(bar.Items(), "One");
  form.Show();
  EXPECT_EQ(bar.Color(), clNone);
  EXPECT_FALSE(bar.DblClickUndock());
  EXPECT_EQ(GetViewType(&bar), TVT_NORMALTOOLBAR | TVT_RESIZABLE | TVT_EMBEDDED);
  bar.SetItemTransparency(itEnable);
  EXPECT_EQ(GetViewType(&bar), TVT_NORMALTOOLBAR | TVT_RESIZABLE);
  EXPECT_EQ(GetViewType(&panel), 0);
  EXPECT_EQ(GetEffectiveColor(&bar), RGBColor(40, 120, 200));
  EXPECT_EQ(GetEffectiveColor(nullptr), clBtnFace);
  TForm mdi;
  mdi.SetFormStyle(fsMDIForm);
  mdi.SetColor(clRed);
  EXPECT_EQ(GetEffectiveColor(&mdi), clBtnFace);

  // A child control hears the colour; a new panel colour shows at once.
  TRecorder child;
  child.SetParent(&bar);
  EXPECT_EQ(child.ParentColor, RGBColor(40, 120, 200));
  child.SetParent(nullptr);
  panel.SetColor(RGBColor(200, 60, 20));
  TBitmap shot(300, 60, TPixelFormat::pf32bit);
  bar.PaintTo(shot.Canvas(), 0, 0);
  EXPECT_EQ(shot.GetPixel(bar.Width() - 3, 3), RGBColor(200, 60, 20));
  bar.SetColor(clLime);
  EXPECT_EQ(bar.EffectiveColor(), clLime);
  form.Hide();
}

TEST(ThemedItems, NexusPassesThemeChangesOn)
{
  TTestToolbar bar;
  TRecorder rec;
  TBXNexus().AddThemeNotification(&rec);
  TBXNexus().AddThemeNotification(&rec);
  Integer n = TBXNexus().NotificationCount();
  EXPECT_GE(n, 2);
  EXPECT_EQ(CurrentTheme()->Name(), "Default");
  Add<TTBXItem>(bar.Items(), "One");
  bar.View()->ValidatePositions();
  TBXThemeManager().UpdateVariables();
  EXPECT_EQ(rec.Codes, (std::vector<Integer>{TSC_BEFOREVIEWCHANGE, TSC_VIEWCHANGE, TSC_AFTERVIEWCHANGE}));
  // The toolbar held its layout for the change and let it go again.
  EXPECT_TRUE(bar.View()->PositionsValid());
  TBXNexus().RemoveThemeNotification(&rec);
  // An end of change without its beginning leaves the owner's own update alone.
  bar.BeginUpdate();
  TMessage end{TBXM_THEMEUPDATE, TSC_AFTERVIEWCHANGE, 0, 0, 0};
  bar.WndProc(end);
  Add<TTBXItem>(bar.Items(), "Two");
  EXPECT_FALSE(bar.View()->PositionsValid());
  bar.EndUpdate();
  EXPECT_TRUE(bar.View()->PositionsValid());
  EXPECT_EQ(TBXNexus().NotificationCount(), n - 1);
}

TEST(ThemedItems, ClickingAButtonAndASubmenuItem)
{
  TForm form;
  form.SetBounds(200, 200, 360, 160);
  TPanel panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 0, 360, 60);
  auto images = Glyphs(16);
  TTestToolbar bar;
  bar.SetBorderStyle(bsNone);
  bar.SetParent(&panel);
  bar.SetAlign(alTop);
  bar.SetImages(images.get());
  int starts = 0, zooms = 0;
  auto* start = Add<TTBXItem>(bar.Items(), "Start", 0);
  start->OnClick = [&](TObject*) { ++starts; };
  bar.Items()->Add(std::make_unique<TTBXSeparatorItem>());
  auto* view = Add<TTBXSubmenuItem>(bar.Items(), "&View");
  auto* zoomIn = Add<TTBXItem>(view, "Zoom &in", 1);
  zoomIn->OnClick = [&](TObject*) { ++zooms; };
  Add<TTBXItem>(view, "Zoom &out", 2);
  form.Show();
  Application->ProcessMessages();
  bar.View()->ValidatePositions();

  {
    TPoint at = CentreOf(bar.View()->Find(start));
    TScript s({[&] { SimulateMouse(TInputKind::MouseUp, at); }});
    SimulateMouse(TInputKind::MouseDown, at);
    Application->ProcessMessages();
  }
  EXPECT_EQ(starts, 1);

  Integer popupType = 0;
  TTBView* popupView = nullptr;
  {
    TPoint at = CentreOf(bar.View()->Find(view));
    TPoint item;
    TScript s({[&] { SimulateMouse(TInputKind::MouseUp, at); },
               [&] {
                 popupView = bar.View()->OpenViewerView();
                 if (!popupView)
                   return bar.View()->EndModal();
                 popupType = GetViewType(popupView);
                 item = CentreOf(popupView->Find(zoomIn));
                 SimulateMouse(TInputKind::MouseMove, item);
               },
               [&] { SimulateMouse(TInputKind::MouseDown, item); }, [&] { SimulateMouse(TInputKind::MouseUp, item); },
               [&] { bar.View()->EndModal(); }});
    SimulateMouse(TInputKind::MouseDown, at);
    Application->ProcessMessages();
  }
  EXPECT_NE(popupView, nullptr);
  EXPECT_EQ(popupType, PVT_POPUPMENU);
  EXPECT_EQ(zooms, 1);
  EXPECT_EQ(bar.View()->OpenViewerView(), nullptr);
  form.Hide();
}

TEST(ThemedItems, PictureOfADockedToolbarWithAnOpenMenu)
{
  TForm form;
  form.SetBounds(60, 60, 420, 240);
  form.SetColor(clAppWorkSpace);
  TTestDock dock;
  dock.SetParent(&form);
  auto images = Glyphs(16);
  TTestToolbar bar;
  bar.SetParent(&form);
  bar.SetImages(images.get());
  bar.SetCloseButtonWhenDocked(true);
  Add<TTBXItem>(bar.Items(), "Start", 0);
  auto* stop = Add<TTBXItem>(bar.Items(), "Stop", 1);
  stop->SetEnabled(false);
  bar.Items()->Add(std::make_unique<TTBXSeparatorItem>());
  auto* axes = Add<TTBXItem>(bar.Items(), "Axes", 2);
  axes->SetChecked(true);
  auto* big = Add<TTBXItem>(bar.Items(), "Big", 0);
  big->SetLayout(tbxlGlyphTop);
  big->SetMinWidth(50);
  big->SetDisplayMode(nbdmImageAndText);
  auto* view = Add<TTBXSubmenuItem>(bar.Items(), "&View");
  view->SetOptions(tboDropdownArrow);
  auto* zoom = Add<TTBXItem>(view, "Zoom &in\tCtrl+I", 0);
  (void)zoom;
  Add<TTBXItem>(view, "Zoom &out", 1);
  view->Add(std::make_unique<TTBXSeparatorItem>());
  auto* colours = Add<TTBXSubmenuItem>(view, "&Colours");
  Add<TTBXItem>(colours, "Black");
  Add<TTBXItem>(view, "Show &axes")->SetChecked(true);
  Add<TTBXItem>(view, "Disabled")->SetEnabled(false);
  bar.SetCurrentDock(&dock);
  form.Show();
  Application->ProcessMessages();
  bar.View()->ValidatePositions();

  TTBItemViewer* vv = bar.View()->Find(view);
  bar.View()->Select(vv, false);
  bar.View()->OpenChildPopup(true);
  TTBView* pv = bar.View()->OpenViewerView();
  ASSERT_NE(pv, nullptr);
  TTBPopupWindow* popup = bar.View()->OpenViewerWindow();
  ASSERT_NE(dynamic_cast<TTBXPopupWindow*>(popup), nullptr);
  EXPECT_EQ(popup->NonClientSize(), (TPoint{3, 3}));
  EXPECT_EQ(popup->Top(), bar.ClientToScreen({0, vv->BoundsRect.Bottom}).Y);

  TBitmap shot(480, 320, TPixelFormat::pf32bit);
  shot.Fill(RGBColor(0, 128, 128));
  form.PaintTo(shot.Canvas(), 10, 10);
  popup->PaintTo(shot.Canvas(), popup->Left() - 50, popup->Top() - 50);
  SavePng(shot, "tbx_toolbar_menu.png");

  // The dock's toolbar face, the popup's raised frame and its menu colour, the selected
  // first entry in the highlight colour.
  TPoint barOrigin = bar.ClientToScreen({0, 0});
  EXPECT_EQ(shot.GetPixel(barOrigin.X - 50 + bar.ClientWidth() - 2, barOrigin.Y - 50 + 1), ColorToRGB(clBtnFace));
  Integer px = popup->Left() - 50, py = popup->Top() - 50;
  EXPECT_EQ(shot.GetPixel(px + 1, py + 1), ColorToRGB(clBtnHighlight));
  TTBItemViewer* first = pv->Find(zoom);
  EXPECT_EQ(pv->Selected(), first);
  EXPECT_EQ(shot.GetPixel(px + 3 + first->BoundsRect.Right - 2, py + 3 + first->BoundsRect.Top + 1),
            ColorToRGB(clHighlight));
  // The shortcut stands right-aligned one row height short of the entry's right end: text
  // over the highlight there.
  const TRect& fr = first->BoundsRect;
  Integer scWidth = TextSize(pv, first, "Ctrl+I").cx;
  int textPixels = 0;
  for (Integer y = fr.Top + 2; y < fr.Bottom - 2; ++y)
    for (Integer x = fr.Right - fr.Height() - scWidth; x < fr.Right - fr.Height(); ++x)
      if (shot.GetPixel(px + 3 + x, py + 3 + y) != ColorToRGB(clHighlight))
        ++textPixels;
  EXPECT_GT(textPixels, 10);
  bar.View()->CloseChildPopups();
  form.Hide();
}

namespace {

// A colour for every point of the dock's own coordinates, so that a picture drawn from the
// wrong origin shows.
class TStripes : public TTBBasicBackground {
public:
  static TColor At(Integer X, Integer Y) { return RGBColor((X * 3) % 256, (Y * 9) % 256, 90); }
  void PaintBackground(TCanvas& Canvas, const TRect& R) override
  {
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x)
        Canvas.FillRect(Rect(x, y, x + 1, y + 1), At(x, y));
  }
  bool UsingBackground() override { return Using; }
  void Touch() { Changed(); }
  bool Using = true;
};

}   // namespace

TEST(ThemedItems, ADocksBackgroundRunsOnUnderItsToolbars)
{
  TForm form;
  form.SetBounds(60, 60, 420, 120);
  TTestDock dock;
  dock.SetParent(&form);
  TStripes stripes;
  dock.SetBackground(&stripes);
  TTestToolbar bar;
  bar.SetParent(&form);
  bar.SetDockPos(40);
  Add<TTBXItem>(bar.Items(), "Start");
  TTBXItem* stop = Add<TTBXItem>(bar.Items(), "Stop");
  bar.SetCurrentDock(&dock);
  form.Show();
  Application->ProcessMessages();
  bar.View()->ValidatePositions();
  ASSERT_GT(bar.Left(), 0);

  auto shot = [&] {
    auto b = std::make_unique<TBitmap>(480, 200, TPixelFormat::pf32bit);
    b->Fill(clBlack);
    form.PaintTo(b->Canvas(), 10, 10);
    return b;
  };
  // Where a point of the dock's client area lands in the picture.
  auto inShot = [&](TPoint dockPoint) {
    TPoint s = dock.ClientToScreen(dockPoint);
    return TPoint{s.X - form.Left() + 10, s.Y - form.Top() + 10};
  };
  // An idle button draws nothing of its own: its top-left corner shows what lies under it.
  TTBItemViewer* v = bar.View()->Find(stop);
  TPoint inBar = dock.ScreenToClient(bar.ClientToScreen({v->BoundsRect.Left + 1, v->BoundsRect.Top + 1}));
  TPoint beside{bar.Left() + bar.Width() + 30, 3};
  TPoint before{5, 6};

  auto b = shot();
  SavePng(*b, "tbx_dock_background.png");
  for (TPoint p : {inBar, beside, before}) {
    TPoint q = inShot(p);
    EXPECT_EQ(b->GetPixel(q.X, q.Y), ColorToRGB(TStripes::At(p.X, p.Y))) << p.X << "," << p.Y;
  }
  // Along the toolbar's whole client width, just inside its top.
  Integer wrong = 0;
  for (Integer x = 0; x < bar.ClientWidth(); ++x) {
    TPoint p = dock.ScreenToClient(bar.ClientToScreen({x, 1}));
    TPoint q = inShot(p);
    wrong += b->GetPixel(q.X, q.Y) != ColorToRGB(TStripes::At(p.X, p.Y));
  }
  EXPECT_EQ(wrong, 0);

  // Not on the toolbars: the toolbar keeps its face, the dock its picture.
  dock.SetBackgroundOnToolbars(false);
  b = shot();
  TPoint q = inShot(inBar);
  EXPECT_EQ(b->GetPixel(q.X, q.Y), ColorToRGB(clBtnFace));
  q = inShot(beside);
  EXPECT_EQ(b->GetPixel(q.X, q.Y), ColorToRGB(TStripes::At(beside.X, beside.Y)));

  // A background that is not in use leaves the dock its colour.
  stripes.Using = false;
  stripes.Touch();
  b = shot();
  q = inShot(beside);
  EXPECT_EQ(b->GetPixel(q.X, q.Y), ColorToRGB(dock.Color()));
  dock.SetBackground(nullptr);
  form.Hide();
}

TEST(ThemedItems, ArrowBesideTheImageOfATallButton)
{
  TForm form;
  form.SetBounds(100, 100, 200, 200);
  auto images = Glyphs(16);
  TTestToolbar bar;
  bar.SetParent(&form);
  bar.SetImages(images.get());
  auto* tall = Add<TTBXSubmenuItem>(bar.Items(), "T", 0);
  tall->SetLayout(tbxlGlyphTop);
  tall->SetDisplayMode(nbdmImageAndText);
  tall->SetOptions(tboDropdownArrow);
  tall->SetMinHeight(120);
  tall->SetMinWidth(60);
  form.Show();
  bar.View()->ValidatePositions();
  TRect r = bar.View()->Find(tall)->BoundsRect;
  ASSERT_EQ(r.Height(), 120);
  TBitmap shot(bar.Width(), bar.Height(), TPixelFormat::pf32bit);
  bar.PaintTo(shot.Canvas(), 0, 0);
  Integer c = (r.Left + r.Right + 8 + 16 + 4) / 2;
  auto arrowPixels = [&](Integer y0, Integer y1) {
    Integer n = 0;
    for (Integer y = r.Top + y0; y < r.Top + y1; ++y)
      for (Integer x = c - 8; x < c; ++x)
        n += shot.GetPixel(x, y) == ColorToRGB(clMenuText) ? 1 : 0;
    return n;
  };
  // Level with the image at the top, not halfway down the button.
  EXPECT_GT(arrowPixels(2, 22), 0);
  EXPECT_EQ(arrowPixels(22, 60), 0);
  form.Hide();
}

TEST(ThemedItems, ThemedChevronAndItsPopup)
{
  TForm form;
  form.SetBounds(100, 100, 120, 100);
  TPanel panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 0, 120, 40);
  TTestToolbar bar;
  bar.SetBorderStyle(bsNone);
  bar.SetParent(&panel);
  bar.SetAlign(alTop);
  for (int i = 1; i <= 5; ++i)
    Add<TTBXItem>(bar.Items(), "Button " + std::to_string(i));
  form.Show();
  bar.View()->ValidatePositions();
  TTBItemViewer* chev = bar.View()->Find(bar.ChevronItem());
  ASSERT_TRUE(chev->Show);
  EXPECT_NE(dynamic_cast<TTBXChevronItemViewer*>(chev), nullptr);
  bar.View()->Select(chev, false);
  bar.View()->OpenChildPopup(false);
  ASSERT_NE(bar.View()->OpenViewerWindow(), nullptr);
  EXPECT_NE(dynamic_cast<TTBXChevronPopupWindow*>(bar.View()->OpenViewerWindow()), nullptr);
  EXPECT_EQ(GetViewType(bar.View()->OpenViewerView()), PVT_CHEVRONMENU);
  bar.View()->CloseChildPopups();
  form.Hide();
}

TEST(ThemedItems, FloatingToolbarTakesTheThemesMarginsAndSnaps)
{
  TForm form;
  form.SetBounds(100, 100, 300, 200);
  TTestToolbar bar;
  bar.SetParent(&form);
  Add<TTBXItem>(bar.Items(), "One");
  Add<TTBXItem>(bar.Items(), "Two");
  bar.SetSnapDistance(-4);
  EXPECT_EQ(bar.SnapDistance(), 0);
  bar.SetSnapDistance(10);
  form.Show();
  bar.SetFloatingPosition({300, 300});
  bar.SetFloating(true);
  ASSERT_TRUE(bar.Floating());
  EXPECT_EQ(GetViewType(&bar), TVT_NORMALTOOLBAR | TVT_FLOATING | TVT_RESIZABLE);
  TTBMargins m;
  bar.View()->GetMargins(voFloating, m);
  EXPECT_EQ(m.Left, 4);
  EXPECT_EQ(m.Top, 4);
  EXPECT_EQ(m.Right, 2);
  EXPECT_EQ(m.Bottom, 1);
  auto* parent = dynamic_cast<TTBXFloatingWindowParent*>(bar.FloatingWindowParent());
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->SnapDistance(), 10);
  TRect work = GetRectOfMonitorContainingPoint({300, 300}, true);
  parent->SetBounds(work.Left + 6, work.Top + 40, parent->Width(), parent->Height());
  EXPECT_EQ(parent->Left(), work.Left);
  EXPECT_EQ(parent->Top(), work.Top + 40);
  // Resizing does not snap.
  parent->SetBounds(work.Left + 6, work.Top + 40, parent->Width() + 1, parent->Height());
  EXPECT_EQ(parent->Left(), work.Left + 6);
  bar.SetFloating(false);
  EXPECT_EQ(GetViewType(&bar), TVT_NORMALTOOLBAR | TVT_RESIZABLE | TVT_EMBEDDED);
  form.Hide();
}
