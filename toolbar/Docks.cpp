// The dock: rows of dockable windows, their arrangement, bound lines and background; the
// floating parent window; the frame drawing shared with the themes.
#include "toolbar/Docks.h"

#include <algorithm>
#include <cstdio>

#include "toolbar/KitHelpers.h"
#include "toolbar/ThemeUtils.h"

const char* const STBDockParentNotAllowed =
    "A TTBDock control cannot be placed inside a tool window or another TTBDock";
const char* const STBDockCannotChangePosition = "Cannot change Position of a TTBDock if it already contains controls";
const char* const SParentRequired = "Control '%s' has no parent window";

// ---------------------------------------------------------------------------------------
// Background

TTBBasicBackground::~TTBBasicBackground() { BeforeDestruction(); }

void TTBBasicBackground::RegisterChanges(const void* Key, TNotifyEvent Proc)
{
  for (auto& l : FListeners)
    if (l.first == Key) {
      l.second = std::move(Proc);
      return;
    }
  FListeners.emplace_back(Key, std::move(Proc));
}

void TTBBasicBackground::UnregisterChanges(const void* Key)
{
  for (auto it = FListeners.begin(); it != FListeners.end(); ++it)
    if (it->first == Key) {
      FListeners.erase(it);
      return;
    }
}

void TTBBasicBackground::Changed()
{
  auto copy = FListeners;
  for (auto& l : copy)
    if (l.second)
      l.second(this);
}

// ---------------------------------------------------------------------------------------
// Dock

TTBDock::TTBDock()
{
  SetControlStyle((ControlStyle() | csAcceptsControls | csMenuEvents) & ~(csCaptureMouse | csClickEvents | csOpaque));
  SetColor(clBtnFace);
  SetAlign(alTop);
}

TTBDock::~TTBDock()
{
  Destroying();
  // Windows docked here go to their forms; the ones remembering us forget.
  std::vector<TTBCustomDockableWindow*> list = FDockList;
  for (TTBCustomDockableWindow* w : list) {
    if (w->FLastDock == this)
      w->FLastDock = nullptr;
    if (w->FDefaultDock == this)
      w->FDefaultDock = nullptr;
  }
  for (int i = ControlCount() - 1; i >= 0; --i)
    if (auto* w = dynamic_cast<TTBCustomDockableWindow*>(Controls(i))) {
      if (w->GetParentForm() && w->GetParentForm() != static_cast<TControl*>(w))
        w->SetCurrentDock(nullptr);
      else
        w->SetParent(nullptr);
    }
  FDockList.clear();
  FDockVisibleList.clear();
  SetBackground(nullptr);
  DestroyHandle();
}

void TTBDock::SetParent(TWinControl* parent)
{
  if (dynamic_cast<TTBCustomDockableWindow*>(parent) || dynamic_cast<TTBDock*>(parent))
    throw EInvalidOperation(STBDockParentNotAllowed);
  TCustomControl::SetParent(parent);
}

TPoint TTBDock::BoundLinesExtent() const
{
  auto n = [&](TTBDockBoundLines a, TTBDockBoundLines b) {
    return ((FBoundLines & a) ? 1 : 0) + ((FBoundLines & b) ? 1 : 0);
  };
  return {n(blLeft, blRight), n(blTop, blBottom)};
}

TPoint TTBDock::NonClientSize() const { return {(FBoundLines & blLeft) ? 1 : 0, (FBoundLines & blTop) ? 1 : 0}; }

TRect TTBDock::ClientRect() const
{
  TPoint e = BoundLinesExtent();
  return {0, 0, std::max(0, Width() - e.X), std::max(0, Height() - e.Y)};
}

void TTBDock::SetPosition(TTBDockPosition Value)
{
  if (Value == FPosition)
    return;
  if (ControlCount() > 0)
    throw EInvalidOperation(STBDockCannotChangePosition);
  FPosition = Value;
  switch (Value) {
  case dpTop: SetAlign(alTop); break;
  case dpBottom: SetAlign(alBottom); break;
  case dpLeft: SetAlign(alLeft); break;
  case dpRight: SetAlign(alRight); break;
  }
  ArrangeToolbars();
}

void TTBDock::SetAllowDrag(bool Value)
{
  if (Value == FAllowDrag)
    return;
  FAllowDrag = Value;
  // The drag handles come or go: every window's frame changes.
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* w = dynamic_cast<TTBCustomDockableWindow*>(Controls(i)))
      w->DockedFrameChanged();
  ArrangeToolbars();
}

void TTBDock::SetBackground(TTBBasicBackground* Value)
{
  if (Value == FBackground)
    return;
  if (FBackground) {
    FBackground->UnregisterChanges(this);
    RemoveFreeNotification(FBackground);
  }
  FBackground = Value;
  if (FBackground) {
    FreeNotification(FBackground);
    FBackground->RegisterChanges(this, [this](TObject* s) { BackgroundChanged(s); });
  }
  BackgroundChanged(FBackground);
}

void TTBDock::SetBackgroundOnToolbars(bool Value)
{
  if (Value == FBackgroundOnToolbars)
    return;
  FBackgroundOnToolbars = Value;
  InvalidateBackgrounds();
}

void TTBDock::BackgroundChanged(TObject*) { InvalidateBackgrounds(); }

void TTBDock::InvalidateBackgrounds()
{
  Invalidate();
  for (TTBCustomDockableWindow* w : FDockVisibleList)
    w->Invalidate();
}

void TTBDock::SetBoundLines(TTBDockBoundLines Value)
{
  if (Value == FBoundLines)
    return;
  FBoundLines = Value;
  // The frame changes: the children move with the client area.
  SetBounds(Left(), Top(), Width(), Height());
  Invalidate();
  ArrangeToolbars();
}

void TTBDock::SetFixAlign(bool Value)
{
  if (Value == FFixAlign)
    return;
  FFixAlign = Value;
  ArrangeToolbars();
}

void TTBDock::SetLimitToOneRow(bool Value)
{
  if (Value == FLimitToOneRow)
    return;
  FLimitToOneRow = Value;
  ArrangeToolbars();
}

bool TTBDock::ToolbarVisibleOnDock(const TTBCustomDockableWindow* Toolbar) const
{
  return Toolbar->Parent() == this && (Toolbar->Visible() || HasState(csDesigning));
}

void TTBDock::ChangeDockList(bool Insert, TTBCustomDockableWindow* Bar)
{
  auto it = std::find(FDockList.begin(), FDockList.end(), Bar);
  if (Insert) {
    if (it == FDockList.end())
      FDockList.push_back(Bar);
  } else if (it != FDockList.end()) {
    FDockList.erase(it);
  }
}

void TTBDock::ChangeDockVisibleList(bool Insert, TTBCustomDockableWindow* Bar)
{
  auto it = std::find(FDockVisibleList.begin(), FDockVisibleList.end(), Bar);
  bool changed = false;
  if (Insert) {
    if (it == FDockVisibleList.end()) {
      FDockVisibleList.push_back(Bar);
      changed = true;
    }
  } else if (it != FDockVisibleList.end()) {
    FDockVisibleList.erase(it);
    changed = true;
  }
  if (!changed)
    return;
  ArrangeToolbars();
  if (OnInsertRemoveBar)
    OnInsertRemoveBar(this, Insert, Bar);
}

void TTBDock::RemoveFromDockLists(TTBCustomDockableWindow* Bar)
{
  ChangeDockList(false, Bar);
  auto it = std::find(FDockVisibleList.begin(), FDockVisibleList.end(), Bar);
  if (it != FDockVisibleList.end())
    FDockVisibleList.erase(it);
  if (FDragToolbar == Bar)
    FDragToolbar = nullptr;
}

void TTBDock::EndUpdate()
{
  if (FDisableArrangeToolbars > 0 && --FDisableArrangeToolbars == 0 && FArrangeToolbarsNeeded)
    ArrangeToolbars();
}

Integer TTBDock::AvailableLength() const
{
  TPoint e = BoundLinesExtent();
  Integer len = IsHorizontal() ? Width() - e.X : Height() - e.Y;
  return std::max(0, len);
}

void TTBDock::Loaded()
{
  TCustomControl::Loaded();
  ArrangeToolbars();
}

void TTBDock::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FBackground) {
    FBackground = nullptr;
    InvalidateBackgrounds();
  }
  if (auto* w = dynamic_cast<TTBCustomDockableWindow*>(AComponent)) {
    bool wasShown = std::find(FDockVisibleList.begin(), FDockVisibleList.end(), w) != FDockVisibleList.end();
    RemoveFromDockLists(w);
    // A window freed while shown here leaves a gap: close it, as when a window hides.
    if (wasShown && !HasState(csDestroying)) {
      ArrangeToolbars();
      if (OnInsertRemoveBar)
        OnInsertRemoveBar(this, false, w);
    }
  }
}

void TTBDock::CreateParams(TCreateParams& Params) { TCustomControl::CreateParams(Params); }

void TTBDock::ControlInserted(TControl*) {}
void TTBDock::ControlRemoved(TControl*) {}

void TTBDock::Paint()
{
  if (HasState(csDesigning)) {
    TCanvas& c = Canvas();
    c.Pen().SetColor(clBtnShadow);
    c.Pen().SetStyle(psDot);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(ClientRect());
    c.Brush().SetStyle(bsSolid);
    c.Pen().SetStyle(psSolid);
  }
}

void TTBDock::PaintNonClient(TCanvas& Canvas)
{
  // Top and left lines in the shadow colour, bottom and right in the highlight.
  Integer w = Width(), h = Height();
  if (FBoundLines & blTop)
    Canvas.FillRect({0, 0, w, 1}, clBtnShadow);
  if (FBoundLines & blLeft)
    Canvas.FillRect({0, 0, 1, h}, clBtnShadow);
  if (FBoundLines & blBottom)
    Canvas.FillRect({0, h - 1, w, h}, clBtnHighlight);
  if (FBoundLines & blRight)
    Canvas.FillRect({w - 1, 0, w, h}, clBtnHighlight);
}

bool TTBDock::UsingBackground() const { return FBackground && FBackground->UsingBackground(); }

void TTBDock::DrawBackground(TCanvas& Canvas, const TRect& DrawRect)
{
  if (FBackground)
    FBackground->PaintBackground(Canvas, DrawRect);
}

void TTBDock::EraseBackground(TCanvas& Canvas)
{
  if (UsingBackground())
    DrawBackground(Canvas, ClientRect());
  else
    TCustomControl::EraseBackground(Canvas);
}

void TTBDock::Resize()
{
  TCustomControl::Resize();
  // A change of length re-wraps the rows; a change of thickness is our own doing.
  Integer len = AvailableLength();
  if (len != FLastLength) {
    FLastLength = len;
    ArrangeToolbars();
  }
}

bool TTBDock::HandleKeyboardNotification(const std::function<bool(TTBCustomDockableWindow*)>& Offer)
{
  std::vector<TTBCustomDockableWindow*> list = FDockList;
  for (TTBCustomDockableWindow* w : list)
    if ((w->ControlStyle() & csMenuEvents) && w->Floating() && w->Showing() && w->Enabled() && Offer(w))
      return true;
  return false;
}

// ---------------------------------------------------------------------------------------
// Rows

Integer TTBDock::GetRowSize(Integer Row, bool* FullSize) const
{
  Integer size = 0;
  if (FullSize)
    *FullSize = false;
  for (TTBCustomDockableWindow* w : FDockVisibleList) {
    if (w->FEffectiveDockRow != Row)
      continue;
    size = std::max(size, IsHorizontal() ? w->Height() : w->Width());
    if (FullSize && w->FFullSize)
      *FullSize = true;
  }
  return size;
}

Integer TTBDock::GetMinRowSize(Integer Row, const TTBCustomDockableWindow* ExcludeControl) const
{
  Integer size = 0;
  for (TTBCustomDockableWindow* w : FDockVisibleList)
    if (w != ExcludeControl && w->FEffectiveDockRow == Row)
      size = std::max(size, w->FLastRowSize);
  return size;
}

Integer TTBDock::GetHighestRow(bool HighestEffective) const
{
  Integer highest = -1;
  for (TTBCustomDockableWindow* w : FDockVisibleList)
    highest = std::max(highest, HighestEffective ? w->FEffectiveDockRow : w->FDockRow);
  return highest;
}

Integer TTBDock::GetRowOf(Integer XY, bool& Before) const
{
  Before = false;
  Integer highest = GetHighestRow(false), offset = 0;
  for (Integer r = 0; r <= highest; ++r) {
    Integer s = 0;
    for (TTBCustomDockableWindow* w : FDockVisibleList)
      if (w->FDockRow == r)
        s = std::max(s, IsHorizontal() ? w->Height() : w->Width());
    offset += s;
    if (XY < offset)
      return r;
  }
  Before = true;
  return highest + 1;
}

// ---------------------------------------------------------------------------------------
// Arrangement

struct TTBDock::TArrangeItem {
  TTBCustomDockableWindow* Bar = nullptr;
  Integer Row = 0;
  Integer Pos = 0;
  Integer DockPos = 0;
  Integer Len = 0;      // base length along the dock, frame included
  Integer MinLen = 0;   // shrinks no further
  TTBShrinkMode Mode = tbsmNone;
  bool FullSize = false, Stretch = false;
  Integer Size = 0;   // the length given
  Integer Order = 0;
};

void TTBDock::ArrangeToolbars()
{
  if (FDisableArrangeToolbars > 0 || HasState(csLoading)) {
    FArrangeToolbarsNeeded = true;
    return;
  }
  ++FDisableArrangeToolbars;
  struct TUnblock {
    TTBDock* D;
    ~TUnblock()
    {
      --D->FDisableArrangeToolbars;
      D->FArrangeToolbarsNeeded = false;
      D->FCommitNewPositions = false;
      D->FDragNewRow = false;
    }
  } unblock{this};

  std::vector<TArrangeItem> items = CollectArrangeItems();
  if (items.empty()) {
    SetArrangedThickness(HasState(csDesigning) ? 9 : (FFixAlign ? 1 : 0));
    return;
  }
  Integer avail = AvailableLength();
  NumberArrangeRows(items);
  MeasureArrangeItems(items, avail);

  Integer highest = items.back().Row;
  for (Integer row = 0; row <= highest; ++row) {
    std::vector<TArrangeItem*> r;
    for (TArrangeItem& a : items)
      if (a.Row == row)
        r.push_back(&a);
    if (!r.empty())
      PlaceArrangeRow(r, avail);
  }

  // Effective rows and positions; after a drag they become the stored ones.
  for (TArrangeItem& a : items) {
    a.Bar->FEffectiveDockRow = a.Row;
    a.Bar->FEffectiveDockPos = a.Pos;
    if (FCommitNewPositions) {
      a.Bar->FDockRow = a.Row;
      a.Bar->FDockPos = a.Pos;
    }
  }
  SetArrangedThickness(SizeArrangeRows(items, highest));
}

// The dock's thickness across its edge: a bottom dock grows upward, a right dock leftward
// (the far edge stays).
void TTBDock::SetArrangedThickness(Integer Thickness)
{
  TPoint bl = BoundLinesExtent();
  if (IsHorizontal()) {
    Integer h = Thickness + bl.Y;
    SetBounds(Left(), FPosition == dpBottom ? Top() + Height() - h : Top(), Width(), h);
  } else {
    Integer w = Thickness + bl.X;
    SetBounds(FPosition == dpRight ? Left() + Width() - w : Left(), Top(), w, Height());
  }
}

// The windows to arrange, in dock-list order (so equal rows and positions keep it); windows
// going away leave the lists first.
std::vector<TTBDock::TArrangeItem> TTBDock::CollectArrangeItems()
{
  std::vector<TTBCustomDockableWindow*> gone;
  for (TTBCustomDockableWindow* w : FDockList)
    if (w->HasState(csDestroying))
      gone.push_back(w);
  for (TTBCustomDockableWindow* w : gone)
    RemoveFromDockLists(w);

  std::vector<TArrangeItem> items;
  for (size_t i = 0; i < FDockList.size(); ++i) {
    TTBCustomDockableWindow* w = FDockList[i];
    if (std::find(FDockVisibleList.begin(), FDockVisibleList.end(), w) == FDockVisibleList.end())
      continue;
    if (!ToolbarVisibleOnDock(w))
      continue;
    TArrangeItem a;
    a.Bar = w;
    a.Order = static_cast<Integer>(items.size());
    items.push_back(a);
  }
  for (TTBCustomDockableWindow* w : FDockVisibleList)
    if (std::find(FDockList.begin(), FDockList.end(), w) == FDockList.end() && ToolbarVisibleOnDock(w)) {
      TArrangeItem a;
      a.Bar = w;
      a.Order = static_cast<Integer>(items.size());
      items.push_back(a);
    }
  return items;
}

// Rows from DockRow and DockPos: sorted, windows that must stand alone in their rows, then
// numbered without gaps.
void TTBDock::NumberArrangeRows(std::vector<TArrangeItem>& items)
{
  if (FLimitToOneRow)
    for (TArrangeItem& a : items)
      a.Bar->FDockRow = 0;
  for (TArrangeItem& a : items) {
    a.Row = a.Bar->FDockRow;
    a.DockPos = a.Bar->FDockPos;
  }
  // While the dragged window moves within its row it keeps its place in the order.
  bool keepDragPlace = FDragSplitting && FDragToolbar;
  std::stable_sort(items.begin(), items.end(), [&](const TArrangeItem& x, const TArrangeItem& y) {
    if (x.Row != y.Row)
      return x.Row < y.Row;
    if (keepDragPlace && (x.Bar == FDragToolbar || y.Bar == FDragToolbar))
      return x.Bar->FEffectiveDockPos < y.Bar->FEffectiveDockPos;
    return x.DockPos < y.DockPos;
  });

  // Windows that stand alone in their rows.
  auto standAlone = [&](TArrangeItem& s) {
    bool shared = false;
    for (TArrangeItem& o : items)
      shared = shared || (&o != &s && o.Row == s.Row);
    if (!shared)
      return;
    for (TArrangeItem& o : items)
      if (&o != &s && o.Row >= s.Row)
        ++o.Row;
  };
  if (FDragNewRow && FDragToolbar && !FLimitToOneRow)
    for (TArrangeItem& a : items)
      if (a.Bar == FDragToolbar)
        standAlone(a);
  if (!FLimitToOneRow)
    for (TArrangeItem& a : items)
      if (a.Bar->FFullSize)
        standAlone(a);
  std::stable_sort(items.begin(), items.end(),
                   [](const TArrangeItem& x, const TArrangeItem& y) { return x.Row < y.Row; });

  Integer next = -1, last = 0;
  bool first = true;
  for (TArrangeItem& a : items) {
    if (first || a.Row != last) {
      last = a.Row;
      ++next;
      first = false;
    }
    a.Row = next;
  }
}

// Lengths along the dock, and rows that overflow wrap onto a new row below.
void TTBDock::MeasureArrangeItems(std::vector<TArrangeItem>& items, Integer avail)
{
  bool horz = IsHorizontal();
  for (TArrangeItem& a : items) {
    TTBCustomDockableWindow* w = a.Bar;
    TPoint base;
    w->GetBaseSize(base);
    TPoint nc = w->GetDockedNCAreaSize(this);
    a.Len = (horz ? base.X + nc.X : base.Y + nc.Y);
    a.Mode = w->GetShrinkMode();
    Integer minSize = a.Len;
    w->GetMinShrinkSize(minSize);
    a.MinLen = std::clamp(minSize, 0, a.Len);
    a.FullSize = w->FFullSize;
    a.Stretch = w->FStretch;
  }
  if (FLimitToOneRow)
    return;
  for (Integer row = 0;; ++row) {
    Integer sum = 0, count = 0;
    bool any = false;
    for (size_t k = 0; k < items.size(); ++k) {
      if (items[k].Row != row)
        continue;
      any = true;
      sum += items[k].Mode == tbsmChevron ? items[k].MinLen : items[k].Len;
      if (count > 0 && sum > avail) {
        // This window and the rest of the row start a new row; later rows move down.
        for (size_t m = k; m < items.size(); ++m)
          ++items[m].Row;
        break;
      }
      ++count;
    }
    if (!any)
      break;
  }
}

// Positions along one row: each window at its DockPos or after the one before; a row too
// long slides back toward its start, then takes from the windows that may shrink; stretching
// windows reach the next one.
void TTBDock::PlaceArrangeRow(const std::vector<TArrangeItem*>& r, Integer avail)
{
  Integer end = 0;
  for (size_t i = 0; i < r.size(); ++i) {
    TArrangeItem& a = *r[i];
    a.Size = a.Len;
    if (a.FullSize) {
      a.Pos = 0;
      a.Size = avail;
    } else if (i == 0 && a.Stretch) {
      a.Pos = 0;
    } else {
      a.Pos = std::max(a.DockPos, end);
    }
    end = a.Pos + a.Size;
  }
  // Too long: slide back toward the row start, then shrink what may shrink.
  Integer limit = avail;
  for (size_t i = r.size(); i-- > 0;) {
    TArrangeItem& a = *r[i];
    if (a.Pos + a.Size > limit)
      a.Pos = limit - a.Size;
    limit = a.Pos;
  }
  if (r.front()->Pos < 0) {
    Integer excess = -r.front()->Pos;
    for (size_t i = r.size(); i-- > 0 && excess > 0;) {
      TArrangeItem& a = *r[i];
      bool shrinkable = a.Mode == tbsmChevron || (a.Mode == tbsmWrap && r.size() == 1);
      if (!shrinkable)
        continue;
      Integer give = std::min(excess, a.Size - a.MinLen);
      if (give > 0) {
        a.Size -= give;
        excess -= give;
      }
    }
    Integer p = 0;
    for (TArrangeItem* a : r) {
      a->Pos = p;
      p += a->Size;
    }
  }
  for (size_t i = 0; i < r.size(); ++i) {
    TArrangeItem& a = *r[i];
    if (a.Stretch && !a.FullSize) {
      Integer to = i + 1 < r.size() ? r[i + 1]->Pos : avail;
      a.Size = std::max(a.Size, to - a.Pos);
    }
  }
}

// Across the dock: each window arranged at the length it got reports its thickness; a row is
// as thick as its thickest window plus 4, and the windows get their bounds. The rows' sum.
Integer TTBDock::SizeArrangeRows(std::vector<TArrangeItem>& items, Integer highest)
{
  bool horz = IsHorizontal();
  std::vector<Integer> rowCross(static_cast<size_t>(highest) + 1, 0);
  for (TArrangeItem& a : items) {
    TTBCustomDockableWindow* w = a.Bar;
    w->FCurrentSize = a.Size;
    TPoint content = w->DoArrange(false, horz ? dtTopBottom : dtLeftRight, false, this);
    Integer cross = horz ? content.Y : content.X;
    w->FLastRowSize = cross;
    rowCross[static_cast<size_t>(a.Row)] = std::max(rowCross[static_cast<size_t>(a.Row)], cross);
  }
  Integer offset = 0;
  for (Integer row = 0; row <= highest; ++row) {
    Integer thick = rowCross[static_cast<size_t>(row)];
    if (thick > 0)
      thick += 4;
    for (TArrangeItem& a : items) {
      if (a.Row != row)
        continue;
      TTBCustomDockableWindow* w = a.Bar;
      TPoint old{w->Width(), w->Height()};
      w->FInArrange = true;
      if (horz)
        w->SetBounds(a.Pos, offset, a.Size, thick);
      else
        w->SetBounds(offset, a.Pos, thick, a.Size);
      w->FInArrange = false;
      w->FArrangedSize = {w->Width(), w->Height()};
      if (!(old == w->FArrangedSize))
        w->DoArrange(true, horz ? dtTopBottom : dtLeftRight, false, this);
    }
    offset += thick;
  }
  return offset;
}

// ---------------------------------------------------------------------------------------
// Floating window parent

namespace {
// One count for the process: each floating window's name carries a number no other
// floating window of the program has had.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
Cardinal GNextFloatingNumber = 1;
}   // namespace

TTBFloatingWindowParent::TTBFloatingWindowParent(TTBCustomDockableWindow* ADockableWindow)
    : FDockableWindow(ADockableWindow), FNumber(GNextFloatingNumber++)
{
  SetVisible(false);
  SetBorderStyle(bsToolWindow);
  char name[40];
  std::snprintf(name, sizeof name, "NBFloatingWindowParent_%.8x", FNumber);
  SetName(name);
  SetCaption(ADockableWindow ? ADockableWindow->Caption() : std::string());
  SetShowHint(true);
  SetControlStyle(ControlStyle() & ~(csClickEvents));
  // A close request (the window manager's close) is the form's to answer: the window only
  // follows its form, and closing it alone would leave the toolbar shown nowhere.
  OnClose = [this](TObject*, TCloseAction& Action) {
    Action = caNone;
    if (FParentForm)
      FParentForm->Close();
  };
  // A press anywhere in the window (frame or toolbar) keeps the keyboard with the form the
  // toolbar works for.
  FClickFilter = AddInputFilter([this](const TInputEvent& ev) {
    if (ev.Kind != TInputKind::MouseDown && ev.Kind != TInputKind::MouseDblClick)
      return false;
    bool ours = false;
    for (TControl* c = ev.Target; c && !ours; c = c->Parent())
      ours = c == this;
    if (ours && FDockableWindow && FDockableWindow->ActivateParent()
        && FDockableWindow->FloatingMode() == fmOnTopOfParentForm && FParentForm && FParentForm->Visible()
        && FParentForm->Enabled() && !FParentForm->Active())
      FParentForm->Activate();
    return false;
  });
}

TTBFloatingWindowParent::~TTBFloatingWindowParent()
{
  RemoveInputFilter(FClickFilter);
  DestroyHandle();
}

void TTBFloatingWindowParent::SetParentForm(TCustomForm* Value)
{
  if (Value == FParentForm)
    return;
  if (FParentForm)
    RemoveFreeNotification(FParentForm);
  FParentForm = Value;
  if (Value)
    FreeNotification(Value);
}

void TTBFloatingWindowParent::Notification(TComponent* AComponent, TOperation Operation)
{
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FParentForm) {
    // The window stood on top of that form: with it gone there is nothing to show over.
    FParentForm = nullptr;
    if (FDockableWindow)
      FDockableWindow->UpdateVisibility();
  }
}

void TTBFloatingWindowParent::CreateParams(TCreateParams& Params)
{
  TForm::CreateParams(Params);
  // A thin border and, when it can be resized, the sizing frame; no caption.
  Params.Style = WS_BORDER | (FDockableWindow && FDockableWindow->Resizable() ? Cardinal(WS_THICKFRAME) : 0);
}

TCustomForm* TTBFloatingWindowParent::OwnerWindow() const
{
  if (FDockableWindow && FDockableWindow->FloatingMode() == fmOnTopOfAllForms)
    return nullptr;
  return FParentForm;
}

Cardinal TTBFloatingWindowParent::InstanceNumber(const TTBFloatingWindowParent* W) { return W ? W->FNumber : 0; }

TSize TTBFloatingWindowParent::FrameSize() const
{
  TPoint b = FDockableWindow ? FDockableWindow->GetFloatingBorderSize() : TPoint{0, 0};
  Integer cap = FDockableWindow && FDockableWindow->ShowCaption() ? GetTBXSystemMetric(SM_CYSMCAPTION) : 0;
  return {2 * b.X, 2 * b.Y + cap};
}

TPoint TTBFloatingWindowParent::NonClientSize() const
{
  TPoint b = FDockableWindow ? FDockableWindow->GetFloatingBorderSize() : TPoint{0, 0};
  Integer cap = FDockableWindow && FDockableWindow->ShowCaption() ? GetTBXSystemMetric(SM_CYSMCAPTION) : 0;
  return {b.X, b.Y + cap};
}

TRect TTBFloatingWindowParent::ClientRect() const
{
  TSize f = FrameSize();
  return {0, 0, std::max(0, Width() - f.cx), std::max(0, Height() - f.cy)};
}

TTBFloatingWindowParent::THitTest TTBFloatingWindowParent::HitTest(TPoint P) const
{
  if (!FDockableWindow)
    return htClient;
  TPoint nc = NonClientSize();
  TRect client = ClientRect();
  if (Bounds(nc.X, nc.Y, client.Width(), client.Height()).Contains(P))
    return htClient;
  if (FDockableWindow->ShowCaption()) {
    TRect cap = GetTBXCaptionRect(FDockableWindow, true, false);
    if (cap.Contains(P)) {
      if (FDockableWindow->CloseButton() && GetTBXCloseButtonRect(FDockableWindow, true).Contains(P))
        return htClose;
      return htCaption;
    }
  }
  if (!FDockableWindow->Resizable())
    return htCaption;
  TPoint b = FDockableWindow->GetFloatingBorderSize();
  Integer w = Width(), h = Height();
  bool left = P.X < b.X, right = P.X >= w - b.X, top = P.Y < b.Y, bottom = P.Y >= h - b.Y;
  if (FDockableWindow->DockableWindowStyles() & tbdsResizeEightCorner) {
    // Corners reach along each edge the border plus the small-caption height.
    Integer reach = GetTBXSystemMetric(SM_CYSMCAPTION);
    bool nearLeft = P.X < b.X + reach, nearRight = P.X >= w - b.X - reach;
    bool nearTop = P.Y < b.Y + reach, nearBottom = P.Y >= h - b.Y - reach;
    if ((top && nearLeft) || (left && nearTop))
      return htTopLeft;
    if ((top && nearRight) || (right && nearTop))
      return htTopRight;
    if ((bottom && nearLeft) || (left && nearBottom))
      return htBottomLeft;
    if ((bottom && nearRight) || (right && nearBottom))
      return htBottomRight;
  }
  if (left)
    return htLeft;
  if (right)
    return htRight;
  if (top)
    return htTop;
  if (bottom)
    return htBottom;
  return htCaption;
}

void TTBFloatingWindowParent::RedrawNCArea() { Invalidate(); }

void TTBFloatingWindowParent::PaintNonClient(TCanvas& Canvas)
{
  if (!FDockableWindow)
    return;
  TTBFloatingFrameState s;
  s.Border = FDockableWindow->GetFloatingBorderSize();
  s.ShowCaption = FDockableWindow->ShowCaption();
  s.Caption = FDockableWindow->Caption();
  s.CloseShown = FDockableWindow->CloseButton() && s.ShowCaption;
  s.CloseHot = FDockableWindow->CloseButtonHover();
  s.ClosePushed = FDockableWindow->CloseButtonDown();
  s.Inactive = !Active();
  DrawFloatingFrame(Canvas, {0, 0, Width(), Height()}, s, clBtnFace);
}

void TTBFloatingWindowParent::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TForm::MouseDown(Button, Shift, X, Y);
  TPoint nc = NonClientSize();
  THitTest hit = HitTest({X + nc.X, Y + nc.Y});
  if (hit != htClient && FDockableWindow)
    FDockableWindow->FloatingFrameMouseDown(hit, Button, Shift, ClientToScreen({X, Y}));
}

void TTBFloatingWindowParent::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TForm::MouseMove(Shift, X, Y);
  TPoint nc = NonClientSize();
  if (FDockableWindow)
    FDockableWindow->FloatingFrameMouseMove(HitTest({X + nc.X, Y + nc.Y}));
}

void TTBFloatingWindowParent::MouseLeave()
{
  TForm::MouseLeave();
  if (FDockableWindow)
    FDockableWindow->FloatingFrameMouseMove(htClient);
}

void TTBFloatingWindowParent::DblClick() { TForm::DblClick(); }

void TTBFloatingWindowParent::KeyDown(Word& Key, TShiftState Shift)
{
  if (Key == VK_ESCAPE && !(Shift & (ssShift | ssCtrl | ssAlt)) && FDockableWindow) {
    FDockableWindow->CancelDragResize();
    Key = 0;
    return;
  }
  TForm::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------------------
// Frame drawing

Integer DragHandleWidth(bool AllowDrag, TTBDragHandleStyle Style, bool CloseButton)
{
  if (!AllowDrag)
    return 0;
  if (CloseButton)
    return 14;
  switch (Style) {
  case dhDouble: return 9;
  case dhSingle: return 6;
  default: return 0;
  }
}

namespace {

void DrawBits(TCanvas& C, Integer X, Integer Y, std::initializer_list<Byte> Rows, TColor Color)
{
  for (Byte row : Rows) {
    for (Integer bit = 0; bit < 8; ++bit)
      if (row & (0x80 >> bit))
        C.FillRect({X + bit, Y, X + bit + 1, Y + 1}, Color);
    ++Y;
  }
}

}   // namespace

void DrawDockedFrame(TCanvas& Canvas, const TRect& R, const TTBFrameState& S, TColor Face)
{
  TRect r = R;
  if (S.BorderStyle == bsSingle) {
    Canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    FrameRectEx(Canvas, r, Face, true);
  } else {
    FrameRectEx(Canvas, r, Face, true);
    FrameRectEx(Canvas, r, Face, true);
  }
  Integer handle = DragHandleWidth(S.AllowDrag, S.DragHandleStyle, S.CloseShown);
  if (handle == 0)
    return;
  TRect h =
      S.Vertical ? TRect{r.Left, r.Top, r.Right, r.Top + handle} : TRect{r.Left, r.Top, r.Left + handle, r.Bottom};
  FillRectEx(Canvas, h, Face);
  TRect grip = h;
  if (S.CloseShown) {
    // The close button: at the start of a horizontal handle, the far end of a vertical one.
    Integer side = handle - 3;
    TRect b = S.Vertical ? Bounds(h.Right - side - 1, h.Top + 1, side, side) : Bounds(h.Left + 1, h.Top, side, side);
    TRect e = b;
    if (S.ClosePushed)
      Canvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
    else if (S.CloseHot)
      Canvas.DrawEdge(e, BDR_RAISEDINNER, BF_RECT);
    Integer d = S.ClosePushed ? 1 : 0;
    DrawBits(Canvas, b.Left + (side - 8) / 2 + 1 + d, b.Top + (side - 8) / 2 + d,
             {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0, 0}, clBtnText);
    if (S.Vertical)
      grip.Right = b.Left;
    else
      grip.Top = b.Bottom;
  }
  Integer bars = S.DragHandleStyle == dhDouble ? 2 : S.DragHandleStyle == dhSingle ? 1 : 0;
  for (Integer i = 0; i < bars; ++i) {
    TRect g = S.Vertical ? TRect{grip.Left + 1, grip.Top + 1 + 3 * i, grip.Right - 1, grip.Top + 4 + 3 * i}
                         : TRect{grip.Left + 1 + 3 * i, grip.Top + 1, grip.Left + 4 + 3 * i, grip.Bottom - 1};
    if (!g.IsEmpty())
      Canvas.DrawEdge(g, BDR_RAISEDINNER, BF_RECT);
  }
}

void DrawFloatingFrame(TCanvas& Canvas, const TRect& R, const TTBFloatingFrameState& S, TColor Face)
{
  TRect r = R;
  Canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  for (Integer i = 2; i < std::max(S.Border.X, S.Border.Y); ++i)
    FrameRectEx(Canvas, r, Face, true);
  if (!S.ShowCaption)
    return;
  Integer captionHeight = GetTBXSystemMetric(SM_CYSMCAPTION) - 1;
  TRect cap{R.Left + S.Border.X, R.Top + S.Border.Y, R.Right - S.Border.X, R.Top + S.Border.Y + captionHeight};
  FillRectEx(Canvas, cap, S.Inactive ? clInactiveCaption : clActiveCaption);
  FillRectEx(Canvas, {cap.Left, cap.Bottom, cap.Right, cap.Bottom + 1}, Face);
  TRect text = cap;
  text.Left += 2;
  if (S.CloseShown) {
    TRect b{cap.Right - captionHeight, cap.Top, cap.Right, cap.Bottom};
    text.Right = b.Left;
    TRect e = b;
    FillRectEx(Canvas, e, clBtnFace);
    Canvas.DrawEdge(e, S.ClosePushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    Integer d = S.ClosePushed ? 1 : 0;
    DrawBits(Canvas, b.Left + (b.Width() - 7) / 2 + d, b.Top + (b.Height() - 6) / 2 + d,
             {0xC6, 0x6C, 0x38, 0x38, 0x6C, 0xC6}, clBtnText);
  }
  TFont saved(Canvas.Font());
  Canvas.Font().Assign(SmCaptionFont());
  Canvas.Font().SetColor(S.Inactive ? clInactiveCaptionText : clCaptionText);
  int mode = Canvas.SetBkMode(TRANSPARENT);
  Canvas.DrawText(S.Caption, text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  Canvas.SetBkMode(mode);
  Canvas.Font().Assign(saved);
}
