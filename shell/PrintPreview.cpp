#include "shell/PrintPreview.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <limits>
#include <vector>

#include "platform/Forms.h"
#include "platform/SysSettings.h"
#include "shell/HelpContexts.h"
#include "toolbar/AccessibleItems.h"

namespace {

// The toolbar holds the window's keyboard: Tab and Shift+Tab go round its buttons that
// work, a dotted frame shows the one with the keyboard, Space or Return presses it, and the
// keys it has no use for (Escape, Page Up, Page Down) go on to the window. No menu loop
// runs for it, so nothing stands between the window and its keys.
class TPreviewToolbar : public TTBXToolbar {
public:
  // The toolbar lets go of its window before the form's children go.
  ~TPreviewToolbar() override { DestroyHandle(); }
  bool HasTabParts() const override { return true; }
  bool TabInto(bool Forward) override;
  bool TabWithin(bool Forward) override;
  bool FocusInPart() const override { return FFocused != nullptr; }
  TTBCustomItem* KeyboardItem() const override { return Focused() ? FFocused : nullptr; }
  // A button that stops working hands the keyboard on to the next that works.
  void KeepFocusOnEnabled();
  // The button the keyboard starts on when it comes to the toolbar.
  std::function<TTBCustomItem*()> StartItem;

protected:
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoEnter() override;

private:
  // The buttons, left to right: those that work, or all of them.
  std::vector<TTBCustomItem*> Buttons(bool Working) const;
  // Gives the keyboard to Item's button.
  void FocusItem(TTBCustomItem* Item);
  // Tells readers which button has the keyboard.
  void Announce();
  TTBCustomItem* FFocused = nullptr;
};

std::vector<TTBCustomItem*> TPreviewToolbar::Buttons(bool Working) const
{
  std::vector<TTBCustomItem*> list;
  for (Integer i = 0; i < View()->ViewerCount(); ++i) {
    TTBItemViewer* v = View()->Viewers(i);
    TTBCustomItem* item = v->Item();
    if (v->Show && item->Visible() && (item->Enabled() || !Working) && (item->ItemStyle() & tbisSelectable)
        && !dynamic_cast<TTBControlItem*>(item))
      list.push_back(item);
  }
  return list;
}

bool TPreviewToolbar::TabInto(bool Forward)
{
  const std::vector<TTBCustomItem*> list = Buttons(true);
  if (list.empty())
    return false;
  FocusItem(Forward ? list.front() : list.back());
  return true;
}

bool TPreviewToolbar::TabWithin(bool Forward)
{
  const std::vector<TTBCustomItem*> list = Buttons(true);
  const auto it = std::find(list.begin(), list.end(), FFocused);
  const auto next = NextTabPart(it == list.end() ? -1 : it - list.begin(), std::ssize(list), Forward);
  if (next < 0) {
    // Past the last (before the first) the walk goes on, and comes round to the toolbar.
    FFocused = nullptr;
    return false;
  }
  FocusItem(list[static_cast<size_t>(next)]);
  return true;
}

void TPreviewToolbar::FocusItem(TTBCustomItem* Item)
{
  FFocused = Item;
  Invalidate();
  // Taking the focus announces the button (DoEnter).
  if (!Focused())
    SetFocus();
  else
    Announce();
}

void TPreviewToolbar::Announce()
{
  if (FFocused && Focused())
    TBAccNotifyFocus(View(), View()->Find(FFocused));
}

void TPreviewToolbar::KeepFocusOnEnabled()
{
  if (!FFocused || FFocused->Enabled())
    return;
  // The next that works after it, round to the first.
  const std::vector<TTBCustomItem*> all = Buttons(false);
  const auto at = std::find(all.begin(), all.end(), FFocused) - all.begin();
  TTBCustomItem* next = nullptr;
  for (std::ptrdiff_t k = 1; k <= std::ssize(all) && !next; ++k)
    if (TTBCustomItem* item = all[static_cast<size_t>((at + k) % std::ssize(all))]; item->Enabled())
      next = item;
  FFocused = next;
  Invalidate();
  Announce();
}

void TPreviewToolbar::DoEnter()
{
  TTBXToolbar::DoEnter();
  // New to the toolbar, the keyboard starts on the window's first button; back from
  // another window, it finds the one it left.
  if (!FFocused && StartItem)
    FFocused = StartItem();
  Invalidate();
  Announce();
}

void TPreviewToolbar::KeyDown(Word& Key, TShiftState Shift)
{
  TTBXToolbar::KeyDown(Key, Shift);
  if (FFocused && (Key == VK_SPACE || Key == VK_RETURN) && !(Shift & (ssAlt | ssCtrl))) {
    Key = 0;
    TTBCustomItem* item = FFocused;
    item->Click();
    return;
  }
  if (Key != 0)
    if (TCustomForm* form = GetParentForm())
      form->DispatchKeyDown(Key, Shift);
}

void TPreviewToolbar::Paint()
{
  TTBXToolbar::Paint();
  if (!FFocused || !Focused())
    return;
  const TRect b = View()->Find(FFocused)->BoundsRect;
  Canvas().DrawFocusRect({b.Left + 3, b.Top + 3, b.Right - 3, b.Bottom - 3});
}

TTBXItem* AddButton(TTBXToolbar* Bar, const char* Name, const std::string& Caption, const std::string& Hint,
                    TImageIndex Image, bool HaveImages)
{
  HaveImages = HaveImages && Image >= 0;
  auto* item = static_cast<TTBXItem*>(Bar->Items()->Add(std::make_unique<TTBXItem>()));
  item->SetName(Name);
  item->SetCaption(Caption);
  item->SetHint(Hint);
  item->SetMinWidth(70);
  if (HaveImages) {
    item->SetImageIndex(Image);
    item->SetDisplayMode(nbdmImageAndText);
  } else {
    item->SetDisplayMode(nbdmTextOnly);
  }
  return item;
}

constexpr int32_t ScrollBarSize = 16;
// The highest page the print dialog lets the user name: the paper chosen there may give the
// document many more pages than the preview shows.
constexpr int32_t MaxPrintedPage = 9999;

}   // namespace

TPrntPrevFrm::TPrntPrevFrm(THTMLViewer* AViewer, TCustomImageList* Images, const TPreviewGlyphs& Glyphs)
    : Viewer(AViewer)
{
  SetName("PrntPrevFrm");
  SetHelpContext(IDH_PRINT_PREVIEW);
  SetCaption("Print preview");
  Font().SetHeight(-MulDiv(8, ScreenPixelsPerInch(), 72));
  // Shown maximised: the whole work area, its frame included.
  SetFrameBounds(Screen().WorkAreaRect());

  auto* toolbar = TComponent::Create<TPreviewToolbar>(this);
  PPToolbar = toolbar;
  PPToolbar->SetBorderStyle(bsNone);
  PPToolbar->SetAccessibleName("Print preview");
  PPToolbar->SetItemTransparency(itEnable);
  PPToolbar->SetName("PPToolbar");
  PPToolbar->SetParent(this);
  PPToolbar->SetAlign(alTop);
  PPToolbar->SetImages(Images);
  const bool haveImages = Images != nullptr;
  PrintBtn = AddButton(PPToolbar, "PrintBtn", "Print", "Print", Glyphs.Print, haveImages);
  PrevPageBtn = AddButton(PPToolbar, "PrevPageBtn", "Previous", "Previous page", Glyphs.PrevPage, haveImages);
  NextPageBtn = AddButton(PPToolbar, "NextPageBtn", "Next", "Next page", Glyphs.NextPage, haveImages);
  ZoomBtn = AddButton(PPToolbar, "ZoomBtn", "Zoom", "Fit the page's width", Glyphs.Zoom, haveImages);
  ZoomBtn->SetAutoCheck(true);
  CloseBtn = AddButton(PPToolbar, "CloseBtn", "Close", "Close", Glyphs.Close, haveImages);
  auto* sep = static_cast<TTBXSeparatorItem*>(PPToolbar->Items()->Add(std::make_unique<TTBXSeparatorItem>()));
  sep->SetSize(20);
  CurPageLabel = TComponent::Create<TLabel>(this);
  CurPageLabel->SetName("CurPageLabel");
  CurPageLabel->Font().Assign(Font());
  CurPageLabel->SetAutoSize(true);
  // Placed on the toolbar, the label gets its item there (a second would host it twice).
  CurPageLabel->SetParent(PPToolbar);
  PrintBtn->OnClick = [this](TObject* s) { PrintBtnClick(s); };
  PrevPageBtn->OnClick = [this](TObject* s) { PrevPageBtnClick(s); };
  NextPageBtn->OnClick = [this](TObject* s) { NextPageBtnClick(s); };
  ZoomBtn->OnClick = [this](TObject* s) { ZoomBtnClick(s); };
  CloseBtn->OnClick = [this](TObject* s) { CloseBtnClick(s); };

  ScrollBox1 = TComponent::Create<TPanel>(this);
  ScrollBox1->SetName("ScrollBox1");
  ScrollBox1->SetParent(this);
  ScrollBox1->SetAlign(alClient);
  ScrollBox1->SetBevelOuter(bvNone);
  ScrollBox1->SetColor(clAppWorkSpace);
  ScrollBox1->SetCaption("");
  ScrollBox1->OnResize = [this](TObject* s) { ScrollBox1Resize(s); };

  PagePanel = TComponent::Create<TPanel>(this);
  PagePanel->SetName("PagePanel");
  PagePanel->SetParent(ScrollBox1);
  PagePanel->SetBevelOuter(bvNone);
  PagePanel->SetColor(clWhite);
  PagePanel->SetCaption("");
  PB = TComponent::Create<TPaintBox>(this);
  PB->SetName("PB");
  PB->SetParent(PagePanel);
  PB->SetAlign(alClient);
  PB->SetHint("Page View.  With Zoom Tool, left or right click to zoom in/out.  Click && drag with Hand Tool to pan.");
  PB->OnPaint = [this](TObject* s) { PBPaint(s); };

  VScroll = TComponent::Create<T32ScrollBar>(this, sbVertical);
  VScroll->SetParent(ScrollBox1);
  // The scroll box's own bars, as a window's: no tab stops.
  VScroll->SetTabStop(false);
  // The bar moves after its event: place the page at the position asked for.
  VScroll->OnScroll = [this](TObject*, TScrollCode, int32_t& Pos) {
    PlacePage(HScroll->Position(), std::clamp(Pos, 0, std::max(VScroll->MaxPosition(), 0)));
  };
  HScroll = TComponent::Create<T32ScrollBar>(this, sbHorizontal);
  HScroll->SetParent(ScrollBox1);
  HScroll->SetTabStop(false);
  HScroll->OnScroll = [this](TObject*, TScrollCode, int32_t& Pos) {
    PlacePage(std::clamp(Pos, 0, std::max(HScroll->MaxPosition(), 0)), VScroll->Position());
  };

  // The wheel over the page or round it scrolls the page up and down.
  auto wheel = [this](TObject*, TShiftState, Integer Delta, TPoint, bool& Handled) { Handled = ScrollByWheel(Delta); };
  for (TControl* c : std::initializer_list<TControl*>{ScrollBox1, PagePanel, PB})
    c->OnMouseWheel = wheel;

  PrintDlg = TComponent::Create<TPrintDialog>(this);
  PrintDlg->SetName("PrintDlg");
  PrintDlg->Options = poPageNums;
  PrintDlg->MinPage = 1;

  OnShow = [](TObject*) { Screen().SetCursor(crDefault); };
  // Shown, the window's keyboard is on its first button that acts: Print, or Close when
  // there is nothing to print.
  toolbar->StartItem = [this]() -> TTBCustomItem* { return PrintBtn->Enabled() ? PrintBtn : CloseBtn; };
  SetActiveControl(PPToolbar);

  // The print dialog proposes the queue's own paper, whatever was chosen for the last job:
  // the pages are shown on it.
  if (!Printer().Printing())
    Printer().UseQueuePaper();
  MFPrinter = std::make_unique<TMetaFilePrinter>();
  if (Viewer)
    Viewer->PrintPreview(*MFPrinter);
  ShowPage(0);
  UpdateButtons();
  ScrollBox1Resize(this);
}

TPrntPrevFrm::~TPrntPrevFrm() = default;

void TPrntPrevFrm::ShowPage(int32_t N)
{
  const int32_t count = PageCount();
  CurrentPage = std::clamp(N, 0, std::max(count - 1, 0));
  // With no page there is no first page to count.
  CurPageLabel->SetCaption("Page " + IntToStr(count > 0 ? CurrentPage + 1 : 0) + " of " + IntToStr(count));
  PB->Invalidate();
}

void TPrntPrevFrm::UpdateButtons()
{
  NextPageBtn->SetEnabled(PageCount() > CurrentPage + 1);
  PrevPageBtn->SetEnabled(CurrentPage >= 1);
  PrintBtn->SetEnabled(PageCount() > 0);
  static_cast<TPreviewToolbar*>(PPToolbar)->KeepFocusOnEnabled();
}

void TPrntPrevFrm::PBPaint(TObject*)
{
  const int32_t w = PB->Width(), h = PB->Height();
  if (CurrentPage >= PageCount() || w < 1 || h < 1)
    return;
  // On a high-density screen the page is rendered at the screen's pixels.
  const double ratio = PB->DevicePixelRatio();
  if (!FShown || FShownPage != CurrentPage || FShown->LogicalWidth() != w || FShown->LogicalHeight() != h
      || FShown->DevicePixelRatio() != ratio) {
    // The paper, with the printable area where the printer puts it.
    const TMetaFilePrinter& mf = *MFPrinter;
    const TRect paper = Rect(-mf.PhysicalOffsetX, -mf.PhysicalOffsetY, mf.PhysicalWidth - mf.PhysicalOffsetX,
                             mf.PhysicalHeight - mf.PhysicalOffsetY);
    FShown = mf.MetaFile(CurrentPage).Render(ScreenPixels(w, ratio), ScreenPixels(h, ratio), paper);
    FShown->SetDevicePixelRatio(ratio);
    FShownPage = CurrentPage;
  }
  PB->Canvas().Draw(0, 0, *FShown);
}

void TPrntPrevFrm::ScrollBox1Resize(TObject*)
{
  const TMetaFilePrinter& mf = *MFPrinter;
  const int32_t ppi = ScreenPixelsPerInch();
  int32_t w = 0, h = 0;
  // A preview without pages has no paper to measure.
  if (mf.PhysicalWidth > 0 && mf.PhysicalHeight > 0 && mf.PixelsPerInchX > 0 && mf.PixelsPerInchY > 0) {
    const double paperW = double(mf.PhysicalWidth) / mf.PixelsPerInchX;   // inches
    const double paperH = double(mf.PhysicalHeight) / mf.PixelsPerInchY;
    const double acrossZ = (std::max(ScrollBox1->ClientWidth() - 20, 1) / double(ppi)) / paperW;
    const double downZ = (std::max(ScrollBox1->ClientHeight() - 20, 1) / double(ppi)) / paperH;
    // Unzoomed the whole page shows: fitted to the height, or to the width where a sheet
    // turned on its side would be wider than the window at that height.
    const double z = FitWidth ? acrossZ : std::min(acrossZ, downZ);
    w = SafeTrunc(ppi * z * paperW);
    h = SafeTrunc(ppi * z * paperH);
  }
  PagePanel->SetBounds(PagePanel->Left(), PagePanel->Top(), w, h);
  const int32_t cw = ScrollBox1->ClientWidth(), ch = ScrollBox1->ClientHeight();
  const bool needV = h > ch, needH = w > cw - (needV ? ScrollBarSize : 0);
  VScroll->SetVisible(needV);
  HScroll->SetVisible(needH);
  VScroll->SetBounds(cw - ScrollBarSize, 0, ScrollBarSize, std::max(ch - (needH ? ScrollBarSize : 0), 0));
  HScroll->SetBounds(0, ch - ScrollBarSize, std::max(cw - (needV ? ScrollBarSize : 0), 0), ScrollBarSize);
  VScroll->SetParams(VScroll->Position(), 0, std::max(h - 1, 0), std::max(VScroll->Height(), 1));
  HScroll->SetParams(HScroll->Position(), 0, std::max(w - 1, 0), std::max(HScroll->Width(), 1));
  PlacePage(HScroll->Position(), VScroll->Position());
}

void TPrntPrevFrm::PlacePage(int32_t X, int32_t Y)
{
  const int32_t top = VScroll->Visible() ? -Y : 0;
  const int32_t left = HScroll->Visible() ? -X : 0;
  PagePanel->SetBounds(left, top, PagePanel->Width(), PagePanel->Height());
}

bool TPrntPrevFrm::ScrollByWheel(Integer Delta)
{
  if (!VScroll->Visible() || Delta == 0)
    return false;
  // Three lines of 16 pixels a notch, as the page pane scrolls.
  const int32_t step = SafeTrunc(-double(Delta) / 120.0 * 48.0);
  VScroll->Scroll(scPosition, std::clamp(VScroll->Position() + step, 0, std::max(VScroll->MaxPosition(), 0)));
  return true;
}

void TPrntPrevFrm::ZoomBtnClick(TObject*)
{
  FitWidth = ZoomBtn->Checked();
  ScrollBox1Resize(this);
}

void TPrntPrevFrm::PrevPageBtnClick(TObject*)
{
  if (CurrentPage > 0)
    --CurrentPage;
  UpdateButtons();
  ShowPage(CurrentPage);
}

void TPrntPrevFrm::NextPageBtnClick(TObject*)
{
  if (CurrentPage < PageCount() - 1)
    ++CurrentPage;
  UpdateButtons();
  ShowPage(CurrentPage);
}

void TPrntPrevFrm::PrintBtnClick(TObject*)
{
  const int32_t count = PageCount();
  if (count < 1 || !Viewer)
    return;
  // The job is laid out on the paper the dialog chose, which may hold more or fewer pages
  // than the preview's: unless the user names pages, every page of that layout is printed,
  // and pages named count on that paper (so they are not bounded by the preview's count).
  PrintDlg->MaxPage = std::max(count, MaxPrintedPage);
  PrintDlg->FromPage = 1;
  PrintDlg->ToPage = count;
  PrintDlg->PrintRange = prAllPages;
  if (!PrintDlg->Execute())
    return;
  THTMLViewer::TPageSpans pages;
  if (PrintDlg->PrintRange != prAllPages) {
    for (const auto& [first, last] : PrintDlg->PageRanges)
      pages.emplace_back(first, last);
    if (pages.empty())
      pages.emplace_back(PrintDlg->FromPage, PrintDlg->ToPage);
  } else {
    pages.emplace_back(1, std::numeric_limits<int32_t>::max());
  }
  int32_t firstWanted = std::numeric_limits<int32_t>::max();
  for (const auto& span : pages)
    firstWanted = std::min(firstWanted, std::max(span.first, 1));
  try {
    Viewer->Print(pages);
  } catch (const Exception& e) {
    // The job failed (a queue that refuses it, a disk too full for it): the user is told
    // why, and may try again.
    MessageDlg(e.what(), mtError, mbOK);
    return;
  }
  if (Viewer->PrintPageNumber() < firstWanted) {
    // Nothing reached the printer: the user is told, and may choose again.
    const int32_t last = Viewer->PrintPageNumber();
    MessageDlg("Nothing was printed: on the paper chosen the document has " + IntToStr(last)
                   + (last == 1 ? " page." : " pages."),
               mtInformation, mbOK);
    return;
  }
  SetModalResult(mrOk);
}

void TPrntPrevFrm::CloseBtnClick(TObject*) { SetModalResult(mrCancel); }

void TPrntPrevFrm::KeyDown(Word& key, TShiftState shift)
{
  switch (key) {
  case VK_ESCAPE: CloseBtnClick(CloseBtn); break;
  case VK_NEXT: NextPageBtnClick(NextPageBtn); break;
  case VK_PRIOR: PrevPageBtnClick(PrevPageBtn); break;
  default: TDialogForm::KeyDown(key, shift); return;
  }
  key = 0;
}

void PrintTextPreview(THTMLViewer& Viewer, TCustomImageList* Images, const TPreviewGlyphs& Glyphs)
{
  TPrntPrevFrm form(&Viewer, Images, Glyphs);
  form.ShowModal();
}
