// The viewer control's interactive half: layout for the window with its scroll bars,
// scrolling by bar, key and wheel, double-buffered painting with the page background, the
// mouse (links, hover, selection, word pick, drag scrolling, right click) and the clipboard.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "html/HtmlViewer.h"
#include "platform/Accessible.h"
#include "platform/Forms.h"
#include "platform/SysSettings.h"

namespace {

// Documents are laid out no wider than this for scrolling.
constexpr int32_t MaxScrollWidth = 6000;
constexpr int32_t LineStep = 16;
constexpr int32_t HLineStep = 15;
// Long documents are laid out once, with room for the vertical bar.
constexpr size_t LongDocument = 4000;

bool IsWordChar(char16_t C)
{
  return (C >= u'0' && C <= u'9') || (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z') || C >= 192;
}

TCursor ScreenCursor(int Index) { return static_cast<TCursor>(Index); }

// The page's background colour as the screen takes it: palette-relative values are for
// 8-bit screens.
TColor ScreenBackground(TColor Back) { return (Back & 0xFF000000) == PalRelative ? Back & 0x00FFFFFF : Back; }

}   // namespace

// ---- layout and scroll bars ----

int32_t THTMLViewer::LayoutAt(int32_t Width)
{
  FInLayout = true;
  int32_t sw = 0, curs = 0, h = 0;
  try {
    h = FSectionList->DoLogic(FontMeasureCanvas(), 0, std::max(Width, 0), std::max(Height(), 0), sw, curs);
  } catch (...) {
    FInLayout = false;
    throw;
  }
  FInLayout = false;
  FScrollWidth = sw;
  return h;
}

void THTMLViewer::DoScrollBars()
{
  const int32_t B = FBorderStyle == htNone ? 0 : 2;
  const int32_t W = std::max(Width() - B, 0), H = std::max(Height() - B, 0), S = FScrollBarThickness;
  const bool showV = (FOptions & htShowVScroll) != 0;
  const bool vStyle = FScrollBars == ssVertical || FScrollBars == ssBoth;
  // A height equal to the room counts as too tall.
  auto needV = [&](int32_t h, int32_t limit) {
    return h >= H || (FScrollBars == ssBoth && h >= H - S && FScrollWidth > limit);
  };
  int32_t h;
  if (!vStyle) {
    h = LayoutAt(W);
  } else if (!showV && FDocumentSource.size() < LongDocument) {
    h = LayoutAt(W);
    if (needV(h, W - S)) {
      h = LayoutAt(W - S);
      if (!needV(h, W))
        h = LayoutAt(W);
    }
  } else {
    h = LayoutAt(W - S);
  }
  FMaxVertical = std::max(h, 0);
  FScrollWidth = std::min(FScrollWidth, MaxScrollWidth);

  bool vBar = false, hBar = false;
  if ((!showV && h < H && FScrollWidth <= W) || FScrollBars == ssNone) {
  } else if (FScrollBars == ssHorizontal) {
    hBar = FScrollWidth > W;
  } else {
    vBar = needV(h, W - S);
    if (FScrollBars == ssBoth)
      hBar = FScrollWidth > W || (FScrollWidth > W - S && (vBar || showV));
  }
  const bool vShown = vBar || (showV && vStyle);
  const int32_t pw = std::max(W - (vShown ? S : 0), 0);
  const int32_t ph = std::max(H - (hBar ? S : 0), 0);
  const int32_t o = B / 2;
  FPaintPanel->SetBounds(o, o, pw, ph);
  FScrollWidth = std::max(FScrollWidth, pw);

  FVScrollBar->SetBounds(o + pw, o, S, ph);
  FVScrollBar->SetVisible(vShown);
  FVScrollBar->SetEnabled(vBar);
  FVScrollBar->SetLargeChange(std::max(ph - LineStep, 1));
  FVScrollBar->SetParams(std::clamp(FSectionList->YOff, 0, std::max(FMaxVertical - ph, 0)), 0, FMaxVertical, ph + 1);
  FHScrollBar->SetBounds(o, o + ph, pw, S);
  FHScrollBar->SetVisible(hBar);
  FHScrollBar->SetLargeChange(std::max(pw - 20, 1));
  FHScrollBar->SetParams(std::clamp(FHScrollBar->Position(), 0, std::max(FScrollWidth - pw, 0)), 0, FScrollWidth, pw);
  if (Cursor() == crIBeam)
    SetCursor(ScreenCursor(ThickIBeamCursor));
}

void THTMLViewer::DoLayout()
{
  if (!FSectionList || !FPaintPanel || FInLayout || FProcessing)
    return;
  const TViewerPosition pos = Position();
  DoScrollBars();
  SetPosition(pos);
  if (PanelHeight() > FMaxVertical)
    ScrollTo(0);
  ScrollHorzTo(FHScrollBar->Position());
  InvalidatePaintPanel();
}

void THTMLViewer::Resize()
{
  TCustomControl::Resize();
  DoLayout();
}

// ---- scrolling ----

int32_t THTMLViewer::VScrollBarPosition() const { return FSectionList->YOff; }
int32_t THTMLViewer::HScrollBarPosition() const { return FHScrollBar->Position(); }
void THTMLViewer::SetVScrollBarPosition(int32_t Value) { ScrollTo(Value); }

void THTMLViewer::ScrollTo(int32_t Y)
{
  Y = std::clamp(Y, 0, std::max(FMaxVertical - PanelHeight(), 0));
  const int32_t old = FSectionList->YOff;
  FVScrollBar->SetPosition(Y);
  FSectionList->SetYOffset(Y);
  // Over a background that scrolls with the page the window's picture moves along and only
  // the uncovered strip is painted; a fixed background needs the whole panel again.
  if (FPaintPanel && Y != old && !FBackgroundFixed && std::abs(Y - old) < PanelHeight()) {
    FPaintPanel->ScrollContents(0, old - Y);
    PrepareStrip(old - Y);
  } else
    InvalidatePaintPanel();
}

void THTMLViewer::PrepareStrip(int32_t Dy)
{
  FPrepared = false;
  // The buffer is drawn into only at the screen's own resolution (and made here the first
  // time); on a high-density screen the window's picture takes the page directly.
  if (FInLayout || FProcessing || !Showing() || FPaintPanel->DevicePixelRatio() != 1)
    return;
  const int32_t h = PanelHeight();
  const TRect strip = Dy < 0 ? Rect(0, h + Dy, PanelWidth(), h) : Rect(0, 0, PanelWidth(), Dy);
  try {
    RenderBuffer(strip);
  } catch (const std::exception&) {
    return;   // the paint draws it again and reports
  }
  FPreparedStrip = strip;
  FPreparedY = FSectionList->YOff;
  FPrepared = true;
}

void THTMLViewer::ScrollHorzTo(int32_t X)
{
  X = std::clamp(X, 0, std::max(FHScrollBar->Max() - PanelWidth(), 0));
  if (X != FHScrollBar->Position()) {
    FHScrollBar->SetPosition(X);
    InvalidatePaintPanel();
  }
}

void THTMLViewer::VScroll(TScrollCode Code, int32_t& Pos)
{
  const int32_t y = FSectionList->YOff;
  switch (Code) {
  case scLineUp: ScrollTo(y - LineStep); break;
  case scLineDown: ScrollTo(y + LineStep); break;
  case scPageUp: ScrollTo(y - FVScrollBar->LargeChange()); break;
  case scPageDown: ScrollTo(y + FVScrollBar->LargeChange()); break;
  case scTrack:
  case scPosition: ScrollTo(Pos); break;
  case scTop: ScrollTo(0); break;
  case scBottom: ScrollTo(FMaxVertical); break;
  case scEndScroll: break;
  }
  Pos = FSectionList->YOff;
}

void THTMLViewer::HScroll(TScrollCode Code, int32_t& Pos)
{
  const int32_t x = FHScrollBar->Position();
  switch (Code) {
  case scLineUp: ScrollHorzTo(x - HLineStep); break;
  case scLineDown: ScrollHorzTo(x + HLineStep); break;
  case scPageUp: ScrollHorzTo(x - FHScrollBar->LargeChange()); break;
  case scPageDown: ScrollHorzTo(x + FHScrollBar->LargeChange()); break;
  case scTrack:
  case scPosition: ScrollHorzTo(Pos); break;
  case scTop: ScrollHorzTo(0); break;
  case scBottom: ScrollHorzTo(FHScrollBar->Max()); break;
  case scEndScroll: break;
  }
  Pos = FHScrollBar->Position();
}

TViewerPosition THTMLViewer::Position()
{
  const int32_t pos = VScrollBarPosition();
  int32_t top = 0, index = -1;
  TSectionBase* s = FSectionList->FindSectionAtPosition(pos, top, index);
  if (s && index >= 0 && pos >= top)
    return static_cast<TViewerPosition>((static_cast<uint64_t>(static_cast<uint32_t>(index) + 1u) << 32)
                                        | static_cast<uint32_t>(pos - top));
  return pos;
}

void THTMLViewer::SetPosition(TViewerPosition Value)
{
  const uint64_t u = static_cast<uint64_t>(Value);
  const uint64_t upper = u >> 32;
  const int32_t offset = static_cast<int32_t>(std::min<uint64_t>(u & 0xFFFFFFFFu, MaxDocY));
  if (upper == 0) {
    ScrollTo(offset);
    return;
  }
  const uint64_t index = upper - 1;
  if (index < FSectionList->PositionList.size())
    ScrollTo(static_cast<int32_t>(
        std::min<int64_t>(int64_t{FSectionList->PositionList[index]->GetYPosition()} + offset, MaxDocY)));
}

void THTMLViewer::ViewerKeyDown(Word& Key, TShiftState Shift)
{
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
  if (FPanning)
    EndPanning();
  const int32_t y = FSectionList->YOff;
  switch (Key) {
  case VK_PRIOR: ScrollTo(y - FVScrollBar->LargeChange()); break;
  case VK_NEXT: ScrollTo(y + FVScrollBar->LargeChange()); break;
  case VK_HOME: ScrollTo(0); break;
  case VK_END: ScrollTo(FMaxVertical); break;
  case VK_UP: ScrollTo(y - LineStep); break;
  case VK_DOWN: ScrollTo(y + LineStep); break;
  case VK_LEFT: ScrollHorzTo(FHScrollBar->Position() - HLineStep); break;
  case VK_RIGHT: ScrollHorzTo(FHScrollBar->Position() + HLineStep); break;
  // Tab reaches here when no other control takes the focus: the walk starts again.
  case VK_TAB: FocusNextItem(!(Shift & ssShift)); break;
  case VK_RETURN: FollowFocusedLink(); break;
  default: break;
  }
}

bool THTMLViewer::PanelMouseWheel(TShiftState Shift, int32_t Delta)
{
  // The desktop's setting, however far the wheel turned.
  const int32_t lines = std::min<int32_t>(::WheelScrollLines(), MaxDocY / LineStep);
  if (lines >= 1)
    ScrollTo(FSectionList->YOff + (Delta > 0 ? -1 : 1) * lines * LineStep);
  else
    ScrollTo(FSectionList->YOff - Delta / 2);
  return true;
}

// ---- painting ----

void THTMLViewer::InvalidatePaintPanel()
{
  FPrepared = false;
  if (FPaintPanel)
    FPaintPanel->Invalidate();
}

void THTMLViewer::InvalidatePaintRect(const TRect& R)
{
  FPrepared = false;
  if (FPaintPanel)
    FPaintPanel->InvalidateRect(R);
}

TRect THTMLViewer::VisibleDocRect()
{
  if (!FPaintPanel || !FPaintPanel->Showing())
    return TRect{};
  const int32_t x = FHScrollBar->Position(), y = FSectionList->YOff;
  return Rect(x, y, x + PanelWidth(), y + PanelHeight());
}

void THTMLViewer::Repaint()
{
  FBorderPanel->Invalidate();
  Invalidate();
  InvalidatePaintPanel();
  Update();
}

void THTMLViewer::PanelPaint(TCanvas& Canvas)
{
  if (FInLayout)
    return;
  RefreshBorder();
  TRect box = Canvas.ClipRect();
  box.Left = std::max(box.Left, 0);
  box.Top = std::max(box.Top, 0);
  box.Right = std::min(box.Right, PanelWidth());
  box.Bottom = std::min(box.Bottom, PanelHeight());
  if (box.IsEmpty())
    return;
  // On a high-density screen the window's own picture, already double-buffered at the
  // screen's pixels, takes the page directly: text and lines at its resolution while the
  // layout stays in logical pixels, and no copy of the whole pane at four times the pixels.
  // The window clips to whole device pixels, so strips meet without seams at any scale.
  // At the screen's own resolution the buffer is made for the first line scroll's strip;
  // until then the page is drawn directly too, the same pixels without the buffer's first
  // filling: a page that never scrolls, as the index the program opens with, needs none.
  if (FPaintPanel->DevicePixelRatio() != 1 || !FPaintBuffer) {
    if (FPaintPanel->DevicePixelRatio() != 1)
      FPaintBuffer.reset();
    const int s = Canvas.SaveDC();
    Canvas.IntersectClipRect(box.Left, box.Top, box.Right, box.Bottom);
    Canvas.FillRect(box, ScreenBackground(FSectionList->Background));
    DrawBackground(Canvas, box);
    PaintDocument(Canvas, box);
    Canvas.RestoreDC(s);
    return;
  }
  // A line scroll drew the uncovered strip already (see ScrollTo); anything else is drawn now.
  const TRect& p = FPreparedStrip;
  const bool ready = FPrepared && FPreparedY == FSectionList->YOff && p.Left == box.Left && p.Top == box.Top
                     && p.Right == box.Right && p.Bottom == box.Bottom;
  FPrepared = false;
  if (!ready)
    RenderBuffer(box);
  Canvas.BitBlt(box.Left, box.Top, box.Width(), box.Height(), *FPaintBuffer, 0, 0, SRCCOPY);
}

void THTMLViewer::RenderBuffer(const TRect& box)
{
  // One picture the size of the panel serves every paint; a strip uses its top-left part.
  if (!FPaintBuffer)
    FPaintBuffer = std::make_unique<TBitmap>();
  TBitmap& buffer = *FPaintBuffer;
  try {
    FitScreenBuffer(buffer, PanelWidth(), PanelHeight(), 1);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Out of Resources");
  }
  TCanvas& bc = buffer.Canvas();
  bc.SetWindowOrgEx(box.Left, box.Top);
  bc.FillRect(box, ScreenBackground(FSectionList->Background));
  DrawBackground(bc, box);
  PaintDocument(bc, box);
  bc.SetWindowOrgEx(0, 0);
}

void THTMLViewer::RefreshBorder()
{
  FBorderPanel->SetShowBorder(FBorderStyle == htSingle
                              || (FBorderStyle == htFocused && (Focused() || HasState(csDesigning))));
}

void THTMLViewer::DoEnter()
{
  TCustomControl::DoEnter();
  RefreshBorder();
  if (FSectionList->FocusLinkID != 0)
    InvalidatePaintPanel();   // the focused link's frame shows again
}

void THTMLViewer::DoExit()
{
  TCustomControl::DoExit();
  RefreshBorder();
  if (FSectionList->FocusLinkID != 0)
    InvalidatePaintPanel();
}

void THTMLViewer::PaintDocument(TCanvas& Canvas, const TRect& ARect)
{
  FSectionList->ShowLinkFocus = Focused() || FPaintPanel->Focused();
  FSectionList->Draw(Canvas, ARect, MaxScrollWidth, -FHScrollBar->Position(), 0, 0);
}

void THTMLViewer::DrawBackground(TCanvas& Canvas, const TRect& ARect)
{
  FBackgroundFixed = false;
  if (!FSectionList->ShowImages)
    return;
  const TBitmap* picture = FSectionList->GetBackgroundBitmap();
  if (!picture)
    return;
  const PtPositionRec& pos = FSectionList->BackgroundPRec;
  FBackgroundFixed = pos[0].Fixed || pos[1].Fixed;
  const int32_t hx = FHScrollBar->Position(), vy = FSectionList->YOff;
  const TRect area = FBackgroundFixed ? Rect(0, 0, PanelWidth(), PanelHeight())
                                      : Rect(-hx, -vy, FHScrollBar->Max() - hx, FMaxVertical - vy);
  DrawTiledBackground(FSectionList.get(), Canvas, picture, FSectionList->BackgroundMask, pos, area, ARect);
}

// ---- hit tests and selection ----

int32_t THTMLViewer::CharPosAt(int32_t X, int32_t Y)
{
  const int32_t docY = Y + FSectionList->YOff;
  TCursorInfo info;
  int32_t p = FSectionList->CursorAt(FontMeasureCanvas(), X, docY, info);
  if (p < 0 && docY >= FMaxVertical)
    p = FSectionList->DocLength();
  else if (p < 0 && docY < 0)
    p = 0;
  return p;
}

void THTMLViewer::ExtendSelectionTo(int32_t X, int32_t Y)
{
  if (!FSelecting || FSelStartDown < 0)
    return;
  const int32_t p = CharPosAt(X, Y);
  if (p < 0)
    return;
  if (p < FSelStartDown) {
    FSectionList->SelB = p;
    FSectionList->SelE = FSelStartDown;
  } else {
    FSectionList->SelB = FSelStartDown;
    FSectionList->SelE = p;
  }
  FCaretPos = p;
  InvalidatePaintPanel();
}

int32_t THTMLViewer::SelLength() const
{
  const int32_t b = FSectionList->SelB, e = FSectionList->SelE;
  if (e <= b)
    return 0;
  return FCaretPos == b ? e - b : b - e;
}

void THTMLViewer::SetCaretPos(int32_t Value)
{
  if (Value >= 0)
    FCaretPos = Value;
}

void THTMLViewer::CopyToClipboard() { FSectionList->CopyToClipboard(); }

bool THTMLViewer::WordBounds(int32_t Pos, int32_t& First, int32_t& Last)
{
  auto at = [this](int32_t P, TSectionBase*& Obj) -> char16_t {
    char16_t c = u' ';
    Obj = nullptr;
    if (P < 0 || !FSectionList->CharAt(P, c, Obj))
      return u' ';
    return c;
  };
  if (Pos < 0)
    return false;
  TSectionBase* home = nullptr;
  char16_t c = at(Pos, home);
  if (!IsWordChar(c)) {
    // The point may lie just after the word's last character.
    TSectionBase* before = nullptr;
    if (!IsWordChar(at(Pos - 1, before)))
      return false;
    --Pos;
    home = before;
  }
  First = Last = Pos;
  TSectionBase* o = nullptr;
  while (IsWordChar(at(First - 1, o)) && o == home)
    --First;
  while (IsWordChar(at(Last + 1, o)) && o == home)
    ++Last;
  return true;
}

std::u16string THTMLViewer::GetWordAt(int32_t X, int32_t Y)
{
  const int32_t p = CharPosAt(X, Y);
  if (p >= 0)
    FCaretPos = p;
  int32_t first = 0, last = 0;
  if (!WordBounds(p, first, last))
    return std::u16string();
  std::u16string w;
  for (int32_t i = first; i <= last; ++i) {
    char16_t c = u' ';
    TSectionBase* o = nullptr;
    FSectionList->CharAt(i, c, o);
    w += c;
  }
  return w;
}

// ---- mouse ----

void THTMLViewer::EndPanning()
{
  FPanning = false;
  FPaintPanel->SetCursor(FPanCursorBefore);
}

void THTMLViewer::PanelMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
  if (Showing())
    SetFocus();
  FLinkClicked = false;
  if (FPanning) {
    EndPanning();
  } else if (Button == mbMiddle) {
    FPanning = true;
    FPanY = Y;
    FPanCursorBefore = FPaintPanel->Cursor();
    FPaintPanel->SetCursor(ScreenCursor(UpDownCursor));
  } else if (Button == mbLeft) {
    FLeftButtonDown = true;
    FSectionList->LeftButtonDown = true;
    FSelecting = true;
    const int32_t p = CharPosAt(X, Y);
    if (p >= 0) {
      FSelStartDown = p;
      if (FSectionList->SelE > FSectionList->SelB)
        InvalidatePaintPanel();
      FSectionList->SelB = FSectionList->SelE = p;
      FCaretPos = p;
      // A reader reads on from the click, as from a text browser's: it hears the caret move
      // (unless a focused link holds the reader's caret).
      if (FSectionList->FocusLinkID <= 0)
        NotifyAccessibleChange(FPaintPanel, TAccessibleChange::Caret);
    }
    if (FSectionList->ActiveImage)
      FSectionList->HoverLinkDown(true);
  }
}

void THTMLViewer::PanelMouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
  if (FPanning) {
    if (std::abs(Y - FPanY) > 20 && !FInMouseScroll)
      PostMessage(Handle(), wm_MouseScroll, 0, 0);
    return;
  }
  TLinkInfo info;
  const int32_t docY = Y + FSectionList->YOff;
  const uint32_t gu = FSectionList->LinkAt(FontMeasureCanvas(), X, docY, info);
  FTitleAttr = (gu & guTitle) ? info.Title : std::string();
  const bool onLink = (gu & guUrl) && info.UrlTarg;
  TCursor cur = (onLink || (gu & guControl)) ? ScreenCursor(HandCursor) : crArrow;
  int32_t ix = 0, iy = 0;
  TFloatingObj* obj = (OnImageClick || OnImageOver) ? FSectionList->ObjectAt(X, docY, ix, iy) : nullptr;
  if (auto* img = dynamic_cast<TImageObj*>(obj)) {
    if (cur != ScreenCursor(HandCursor))
      cur = crArrow;
    if (OnImageOver)
      OnImageOver(this, img, Shift, ix, iy);
  } else if (cur != ScreenCursor(HandCursor)) {
    TCursorInfo ci;
    if (FSectionList->CursorAt(FontMeasureCanvas(), X, docY, ci) >= 0 && ci.IntText)
      cur = Cursor();
  }
  FPaintPanel->SetCursor(cur);
  FHoverTimer->SetEnabled(cur == ScreenCursor(HandCursor) || FSectionList->ActiveLink != nullptr);

  const std::string newURL = onLink ? info.UrlTarg->URL : std::string();
  const std::string newTarget = onLink ? info.UrlTarg->Target : std::string();
  if (newURL != URL || newTarget != Target) {
    URL = newURL;
    Target = newTarget;
    if (OnHotSpotCovered)
      OnHotSpotCovered(this, URL);
  }

  if (FLeftButtonDown) {
    if ((Y < 0 || Y > PanelHeight()) && !FInMouseScroll)
      PostMessage(Handle(), wm_MouseScroll, 0, 0);
    if (!FNoSelect)
      ExtendSelectionTo(X, Y);
  }
}

void THTMLViewer::PanelMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
  if (FPanning) {
    // A middle click that did not move keeps panning; the next press ends it.
    if (!(Button == mbMiddle && Y == FPanY))
      EndPanning();
    return;
  }
  const int32_t docY = Y + FSectionList->YOff;
  int32_t ix = 0, iy = 0;
  if (OnImageClick)
    if (auto* img = dynamic_cast<TImageObj*>(FSectionList->ObjectAt(X, docY, ix, iy)))
      OnImageClick(this, img, Button, Shift, ix, iy);

  if (Button == mbRight && OnRightClick) {
    TRightClickParameters params;
    TLinkInfo info;
    if ((FSectionList->LinkAt(FontMeasureCanvas(), X, docY, info) & guUrl) && info.UrlTarg) {
      params.URL = info.UrlTarg->URL;
      params.Target = info.UrlTarg->Target;
    }
    params.Image = dynamic_cast<TImageObj*>(FSectionList->ObjectAt(X, docY, ix, iy));
    if (params.Image) {
      params.ImageX = ix;
      params.ImageY = iy;
    }
    params.ClickWord = GetWordAt(X, Y);
    FHoverTimer->SetEnabled(false);
    OnRightClick(this, params);
    FHoverTimer->SetEnabled(true);
  }

  if (Button == mbLeft) {
    const bool wasDown = FLeftButtonDown;
    FInMouseScroll = false;
    if (!FNoSelect)
      ExtendSelectionTo(X, Y);
    FSelecting = false;
    FLeftButtonDown = false;
    FSectionList->LeftButtonDown = false;
    if (FSectionList->ActiveImage)
      FSectionList->HoverLinkDown(false);
    if (wasDown && FSectionList->SelE <= FSectionList->SelB) {
      TLinkInfo info;
      const uint32_t gu = FSectionList->LinkAt(FontMeasureCanvas(), X, docY, info);
      // A form control with a window acts on its own click; an image input is a picture on
      // the page, clicked here (LinkAt noted the point within it).
      if ((gu & guControl) && info.FormControl)
        info.FormControl->ImageClick();
      else if ((gu & guUrl) && info.UrlTarg) {
        // The clicked link takes the keyboard focus: Tab goes on from it.
        FSectionList->FocusLinkID = info.UrlTarg->ID;
        URL = info.UrlTarg->URL;
        Target = info.UrlTarg->Target;
        FLinkClicked = true;
        FollowLink();
      }
    }
  }
}

void THTMLViewer::PanelDblClick(TShiftState Shift, int32_t X, int32_t Y)
{
  if (FLinkClicked || FProcessing)
    return;
  const int32_t p = CharPosAt(X, Y);
  if (p >= 0)
    FCaretPos = p;
  int32_t first = 0, last = 0;
  if (!FNoSelect && WordBounds(p, first, last)) {
    FSectionList->SelB = first;
    FSectionList->SelE = last + 1;
    FCaretPos = first;
    InvalidatePaintPanel();
  }
  if (OnMouseDouble)
    OnMouseDouble(this, mbLeft, Shift, X, Y);
}

void THTMLViewer::MouseScrollLoop()
{
  if (FInMouseScroll)
    return;
  FInMouseScroll = true;
  Cardinal last = GetTickCount() - 100;
  auto mouse = [this] { return FPaintPanel->ScreenToClient(GetCursorPos()); };
  auto running = [&] {
    const TPoint p = mouse();
    const bool selecting =
        FSelecting && FLeftButtonDown && IsMouseButtonDown(mbLeft) && (p.Y < 0 || p.Y > PanelHeight());
    const bool panning = FPanning && std::abs(p.Y - FPanY) > 20;
    return FInMouseScroll && (selecting || panning) && !(Application && Application->Terminated());
  };
  while (running()) {
    if (GetTickCount() - last >= 100) {
      last = GetTickCount();
      const TPoint p = mouse();
      if (FPanning) {
        const int32_t d = p.Y - FPanY;
        const int32_t step = std::abs(d) > 60 ? 32 : 8;
        ScrollTo(FSectionList->YOff + (d < 0 ? -step : step));
        FPaintPanel->SetCursor(ScreenCursor(d < 0 ? UpOnlyCursor : DownOnlyCursor));
      } else {
        int32_t dy;
        if (p.Y < 0)
          dy = -(p.Y < -15 ? 8 : 1) * LineStep;
        else
          dy = (p.Y - PanelHeight() <= 15 ? 1 : 8) * LineStep;
        ScrollTo(FSectionList->YOff + dy);
        ExtendSelectionTo(p.X, p.Y);
      }
      FPaintPanel->Update();
    }
    for (int i = 0; i < 4 && Application; ++i)
      Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FInMouseScroll = false;
  if (FPanning)
    FPaintPanel->SetCursor(ScreenCursor(UpDownCursor));
}

void THTMLViewer::HoverTimerTimer()
{
  if (FindControlAtPos(GetCursorPos()) == FPaintPanel)
    return;
  FSectionList->ClearHover();
  FHoverTimer->SetEnabled(false);
  if (!URL.empty() || !Target.empty()) {
    URL.clear();
    Target.clear();
    if (OnHotSpotCovered)
      OnHotSpotCovered(this, std::string());
  }
}

// ---- the document's requests ----

void THTMLViewer::DoProgress(int32_t Stage, int32_t Percent)
{
  if (OnProgress)
    OnProgress(this, psRunning, Percent);
}

void THTMLViewer::ControlFocused(TFormControlObj* Ctrl)
{
  if (!Ctrl)
    return;
  DropLinkFocus();   // one focus on the page at a time
  const int32_t y = FSectionList->YOff;
  const int32_t ph = PanelHeight();
  if (Ctrl->YValue < y || Ctrl->YValue > y + ph - 20)
    ScrollTo(Ctrl->YValue - ph / 2);
}

void THTMLViewer::SubmitForm(const std::string& Action, const std::string& ATarget, const std::string& EncType,
                             const std::string& Method, std::vector<std::string> Results)
{
  FPendingSubmit = std::make_unique<TSubmit>(TSubmit{Action, ATarget, EncType, Method, std::move(Results)});
  PostMessage(Handle(), wm_FormSubmit, 0, 0);
}

void THTMLViewer::WndProc(TMessage& Message)
{
  if (Message.Msg == wm_MouseScroll) {
    MouseScrollLoop();
  } else if (Message.Msg == wm_FormSubmit) {
    std::unique_ptr<TSubmit> s = std::move(FPendingSubmit);
    if (s && OnFormSubmit)
      OnFormSubmit(this, s->Action, s->Target, s->EncType, s->Method, s->Results);
  } else {
    TCustomControl::WndProc(Message);
  }
}

// ---- properties ----

void THTMLViewer::SetDefBackground(TColor Value)
{
  if (FProcessing)
    return;
  FDefBackground = Value;
  FSectionList->SetBackground(Value);
  FPaintPanel->SetColor(Value);
  InvalidatePaintPanel();
}

void THTMLViewer::SetDefPreFontName(const std::string& Value)
{
  if (LowerCase(Value) == LowerCase(FPreFontName))
    return;
  FPreFontName = Value;
  FSectionList->PreFontName = Value.substr(0, 32);
}

void THTMLViewer::SetDefHotSpotColor(TColor Value)
{
  FHotSpotColor = Value;
  FSectionList->HotSpotColor = Value;
  InvalidatePaintPanel();
}

void THTMLViewer::SetDefVisitedLinkColor(TColor Value)
{
  FVisitedColor = Value;
  FSectionList->LinkVisitedColor = Value;
  InvalidatePaintPanel();
}

void THTMLViewer::SetDefOverLinkColor(TColor Value)
{
  FOverColor = Value;
  FSectionList->LinkActiveColor = Value;
  InvalidatePaintPanel();
}

void THTMLViewer::SetBorderStyle(THTMLBorderStyle Value)
{
  FBorderStyle = Value;
  DoLayout();
}

void THTMLViewer::SetScrollBars(TScrollStyle Value)
{
  FScrollBars = Value;
  DoLayout();
}

void THTMLViewer::SetNoSelect(bool Value)
{
  FNoSelect = Value;
  if (Value) {
    FSectionList->SelB = FSectionList->SelE = 0;
    InvalidatePaintPanel();
  }
}

void THTMLViewer::SetViewImages(bool Value)
{
  if (Value == FViewImages || FProcessing)
    return;
  FViewImages = Value;
  const TCursor saved = Screen().Cursor();
  Screen().SetCursor(crHourGlass);
  SetProcessing(true);
  try {
    FSectionList->ShowImages = Value;
    if (FSectionList->Count() > 0) {
      FSectionList->BitmapLoaded = false;
      FSectionList->GetBackgroundBitmap();
      const TViewerPosition pos = Position();
      DoScrollBars();
      SetPosition(pos);
    }
  } catch (...) {
    SetProcessing(false);
    Screen().SetCursor(saved);
    throw;
  }
  SetProcessing(false);
  Screen().SetCursor(saved);
  Repaint();
}

void THTMLViewer::SetImageCacheCount(int32_t Value)
{
  Value = std::clamp(Value, 0, 20);
  if (Value == FImageCacheCount)
    return;
  FImageCacheCount = Value;
  if (FBitmapList)
    FBitmapList->SetCacheCount(Value);
}

void THTMLViewer::SethtOptions(ThtmlViewerOptions Value)
{
  const bool vChanged = ((Value ^ FOptions) & htShowVScroll) != 0;
  FOptions = Value;
  FSectionList->LinksActive = (Value & htOverLinksActive) != 0;
  FSectionList->PrintTableBackground = (Value & htPrintTableBackground) != 0;
  FSectionList->PrintMonoBlack = (Value & htPrintMonochromeBlack) != 0;
  FSectionList->ShowDummyCaret = (Value & htShowDummyCaret) != 0;
  if (vChanged)
    DoLayout();
}
