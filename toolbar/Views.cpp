// Views: the viewers of an item's children, their layout, drawing, selection, timers and
// keyboard handling.
#include <algorithm>

#include "toolbar/KitHelpers.h"
#include "toolbar/Items.h"

TTBView::TTBView(TTBView* AParentView, TTBCustomItem* AParentItem, TCustomControl* AWindow, bool AIsToolbar,
                 bool ACustomizing, bool AUsePriorityList)
    : FParentView(AParentView), FParentItem(AParentItem), FWindow(AWindow), FIsToolbar(AIsToolbar),
      FCustomizing(ACustomizing), FUsePriorityList(AUsePriorityList)
{
  if (FParentItem) {
    FParentItem->RegisterNotification(&FParentItem,
                                      [this](TTBCustomItem* s, bool r, TTBItemChangeKind k, Integer i,
                                             TTBCustomItem* it) { ParentItemNotification(s, r, k, i, it); });
    FreeNotification(FParentItem);
  }
  // An item that links to another shows that one's children.
  SetCurParentItem(FParentItem ? FParentItem->EffectiveItem() : nullptr);
}

TTBView::~TTBView()
{
  BeforeDestruction();
  CloseChildPopups();
  if (FParentView && FParentView->IsToolbar()) {
    FParentView->ChildPopupJustClosed = true;
  }
  SetCurParentItem(nullptr);
  if (FParentItem) {
    FParentItem->UnregisterNotification(&FParentItem);
    RemoveFreeNotification(FParentItem);
  }
  FreeViewers();
  if (AccObjectInstance)
    TBAccClientDestroying(AccObjectInstance);
}

void TTBView::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FParentItem) {
    FParentItem = nullptr;
    SetCurParentItem(nullptr);
    if (FParentView)
      FParentView->CloseChildPopups();
  } else if (AComponent == FCurParentItem) {
    SetCurParentItem(nullptr);
  }
  if (AComponent == FChevronParentView)
    FChevronParentView = nullptr;
}

void TTBView::SetCurParentItem(TTBCustomItem* Value)
{
  if (Value == FCurParentItem)
    return;
  if (FCurParentItem) {
    FCurParentItem->UnregisterNotification(this);
    if (FCurParentItem != FParentItem)
      RemoveFreeNotification(FCurParentItem);
  }
  FCurParentItem = Value;
  if (Value) {
    Value->RegisterNotification(this, [this](TTBCustomItem* s, bool r, TTBItemChangeKind k, Integer i,
                                             TTBCustomItem* it) { ItemNotification(s, r, k, i, it); });
    FreeNotification(Value);
  }
  if (!HasState(csDestroying)) {
    RecreateAllViewers();
    // The items about to be shown take their actions' current state (a menu that opens
    // shows what its actions now allow).
    if (Value && !HasState(csDesigning))
      InitiateActions();
  }
}

void TTBView::FreeViewers()
{
  FSelected = nullptr;
  FOpenViewer = nullptr;
  FPriorityList.clear();
  while (!FViewers.empty())
    FViewers.pop_back();
}

void TTBView::RecreateAllViewers()
{
  CloseChildPopups();
  Select(nullptr, false);
  InvalidatePositions();
  FreeViewers();
  FInternalViewersAtFront = 0;
  FInternalViewersAtEnd = 0;
  if (TTBCustomItem* lead = GetLeadingGroup())
    for (Integer i = 0; i < lead->Count(); ++i)
      FInternalViewersAtFront += InsertItemViewers(ViewerCount(), lead->Items(i), 0, true, false);
  if (FCurParentItem)
    for (Integer i = 0; i < FCurParentItem->Count(); ++i)
      InsertItemViewers(ViewerCount(), FCurParentItem->Items(i), 0, true, false);
  if (TTBCustomItem* trail = GetTrailingGroup())
    for (Integer i = 0; i < trail->Count(); ++i)
      FInternalViewersAtEnd += InsertItemViewers(ViewerCount(), trail->Items(i), 0, true, false);
  if (TTBCustomItem* chevron = GetChevronItem())
    FInternalViewersAtEnd += InsertItemViewers(ViewerCount(), chevron, 0, false, false);
}

Integer TTBView::InsertItemViewers(Integer NewIndex, TTBCustomItem* AItem, Integer AGroupLevel, bool AddToPriorityList,
                                   bool TopOfPriorityList)
{
  if (AGroupLevel > 10)
    return 0;
  std::unique_ptr<TTBItemViewer> v = AItem->CreateViewer(this, AGroupLevel);
  TTBItemViewer* raw = v.get();
  FViewers.insert(FViewers.begin() + NewIndex, std::move(v));
  if (FUsePriorityList && AddToPriorityList) {
    if (TopOfPriorityList)
      FPriorityList.insert(FPriorityList.begin(), raw);
    else
      FPriorityList.push_back(raw);
  }
  Integer n = 1;
  if (!FCustomizing && (AItem->ItemStyle() & tbisInlineGroup)) {
    TTBCustomItem* eff = AItem->EffectiveItem();
    for (Integer i = 0; i < eff->Count(); ++i)
      n += InsertItemViewers(NewIndex + n, eff->Items(i), AGroupLevel + 1, AddToPriorityList, TopOfPriorityList);
  }
  return n;
}

// Viewers added at run time have not been used: they join the priority list beside their
// neighbour on the bar, so that the chevron still takes the rightmost of the unused first
// (a bar built in code gives up its last buttons, as one loaded from a form does).
void TTBView::PlaceInPriorityList(Integer First, Integer Count)
{
  if (!FUsePriorityList || Count < 1)
    return;
  std::vector<TTBItemViewer*> added;
  for (Integer i = First; i < First + Count; ++i) {
    auto it = std::find(FPriorityList.begin(), FPriorityList.end(), Viewers(i));
    if (it != FPriorityList.end()) {
      added.push_back(*it);
      FPriorityList.erase(it);
    }
  }
  auto at = FPriorityList.end();
  if (First > 0)
    at = std::find(FPriorityList.begin(), FPriorityList.end(), Viewers(First - 1));
  if (at != FPriorityList.end())
    ++at;
  else if (First + Count < ViewerCount())
    at = std::find(FPriorityList.begin(), FPriorityList.end(), Viewers(First + Count));
  FPriorityList.insert(at, added.begin(), added.end());
}

void TTBView::DeletingViewer(TTBItemViewer* Viewer)
{
  if (FSelected == Viewer)
    FSelected = nullptr;
  if (FOpenViewer == Viewer)
    CloseChildPopups();
  FPriorityList.erase(std::remove(FPriorityList.begin(), FPriorityList.end(), Viewer), FPriorityList.end());
}

void TTBView::ItemNotification(TTBCustomItem* Sender, bool Relayed, TTBItemChangeKind Kind, Integer Index,
                               TTBCustomItem* Item)
{
  switch (Kind) {
  case ickInserted: {
    InvalidatePositions();
    // The new viewers go before the viewer of the item's next sibling at the same level,
    // else after its siblings: for the view's own items before the trailing viewers, for
    // an inline group's at the end of the group's span (from the group's viewer to the
    // first viewer of a lower level). A group may be shown more than once (two groups
    // showing one list): the first occurrence that does not show the item yet takes it.
    Integer level = 0, spanStart = 0, spanEnd = ViewerCount() - FInternalViewersAtEnd;
    if (Relayed) {
      bool found = false;
      for (Integer i = 0; i < ViewerCount() && !found; ++i) {
        TTBItemViewer* g = Viewers(i);
        if (g->Item() != Sender && g->Item()->EffectiveItem() != Sender)
          continue;
        Integer lvl = g->GroupLevel + 1;
        Integer j = i + 1;
        bool shows = false;
        while (j < ViewerCount() && Viewers(j)->GroupLevel >= lvl) {
          shows = shows || (Viewers(j)->Item() == Item && Viewers(j)->GroupLevel == lvl);
          ++j;
        }
        if (shows)
          continue;
        found = true;
        level = lvl;
        spanStart = i + 1;
        spanEnd = j;
      }
      if (!found)
        break;   // no group viewer here to show it
    }
    Integer at = spanEnd;
    TTBCustomItem* parent = Item->Parent();
    if (parent && Index + 1 < parent->Count()) {
      TTBCustomItem* next = parent->Items(Index + 1);
      for (Integer i = spanStart; i < spanEnd; ++i)
        if (Viewers(i)->Item() == next && Viewers(i)->GroupLevel == level) {
          at = i;
          break;
        }
    }
    Integer added = InsertItemViewers(at, Item, level, true, false);
    if (!Item->HasState(csLoading))
      PlaceInPriorityList(at, added);
    break;
  }
  case ickDeleted: {
    InvalidatePositions();
    for (Integer i = ViewerCount() - 1; i >= 0; --i) {
      if (Viewers(i)->Item() != Item)
        continue;
      Integer level = Viewers(i)->GroupLevel;
      Integer j = i + 1;
      while (j < ViewerCount() - FInternalViewersAtEnd && Viewers(j)->GroupLevel > level)
        ++j;
      for (Integer k = j - 1; k >= i; --k) {
        DeletingViewer(Viewers(k));
        FViewers.erase(FViewers.begin() + k);
      }
    }
    break;
  }
  case ickSubitemsChanged: RecreateAllViewers(); break;
  case ickBeginUpdate: BeginUpdate(); break;
  case ickEndUpdate: EndUpdate(); break;
  case ickInvalidate:
    for (Integer i = 0; i < ViewerCount(); ++i)
      if (Viewers(i)->Item() == Item)
        Invalidate(Viewers(i));
    break;
  case ickInvalidateAndResize: InvalidatePositions(); break;
  case ickRecreateViewers:
    InvalidatePositions();
    for (Integer i = 0; i < ViewerCount(); ++i)
      if (Viewers(i)->Item() == Item)
        RecreateItemViewer(i);
    break;
  case ickRenamed: return;
  case ickSubMenuImagesChanged:
    for (TTBView* v = this; v; v = v->FOpenViewerView) {
      v->InvalidatePositions();
      v->TryValidatePositions();
    }
    break;
  }
  TryValidatePositions();
}

void TTBView::ParentItemNotification(TTBCustomItem*, bool, TTBItemChangeKind Kind, Integer, TTBCustomItem*)
{
  if (Kind == ickSubitemsChanged || Kind == ickSubMenuImagesChanged) {
    if (FParentItem && FParentItem->EffectiveItem() != FCurParentItem)
      SetCurParentItem(FParentItem->EffectiveItem());
    else if (Kind == ickSubMenuImagesChanged)
      ItemNotification(FParentItem, false, Kind, -1, nullptr);
  }
}

void TTBView::RecreateItemViewer(Integer I)
{
  TTBItemViewer* old = Viewers(I);
  std::unique_ptr<TTBItemViewer> v = old->Item()->CreateViewer(this, old->GroupLevel);
  auto it = std::find(FPriorityList.begin(), FPriorityList.end(), old);
  if (it != FPriorityList.end())
    *it = v.get();
  if (FSelected == old)
    FSelected = nullptr;
  if (FOpenViewer == old)
    CloseChildPopups();
  FViewers[static_cast<size_t>(I)] = std::move(v);
}

void TTBView::SetUsePriorityList(bool v)
{
  if (v == FUsePriorityList)
    return;
  FUsePriorityList = v;
  RecreateAllViewers();
}

void TTBView::SetOrientation(TTBViewOrientation v)
{
  if (v == FOrientation)
    return;
  FOrientation = v;
  InvalidatePositions();
}

void TTBView::EndUpdate()
{
  if (FUpdating > 0 && --FUpdating == 0)
    TryValidatePositions();
}

void TTBView::InvalidatePositions()
{
  if (!FValidated)
    return;
  FValidated = false;
  if (FWindow)
    FWindow->Invalidate();
}

void TTBView::UpdatePositions()
{
  TPoint size;
  DoUpdatePositions(size);
}

void TTBView::ValidatePositions()
{
  if (!FValidated)
    UpdatePositions();
}

void TTBView::TryValidatePositions()
{
  if (FUpdating == 0 && (!FParentItem || !FParentItem->HasState(csLoading)))
    ValidatePositions();
}

void TTBView::Invalidate(TTBItemViewer* AViewer)
{
  if (!FValidated || !FWindow || !AViewer || !AViewer->Show || AViewer->BoundsRect.IsEmpty()
      || dynamic_cast<TTBControlItem*>(AViewer->Item()))
    return;
  AViewer->PaintBuffered = true;
  FWindow->InvalidateRect(AViewer->BoundsRect);
}

TTBItemViewer* TTBView::Find(TTBCustomItem* Item)
{
  for (auto& v : FViewers)
    if (v->Item() == Item)
      return v.get();
  throw ETBItemError(STBViewerNotFound);
}

Integer TTBView::IndexOf(const TTBItemViewer* AViewer) const
{
  for (size_t i = 0; i < FViewers.size(); ++i)
    if (FViewers[i].get() == AViewer)
      return static_cast<Integer>(i);
  return -1;
}

TTBItemViewer* TTBView::ViewerFromPoint(TPoint P)
{
  ValidatePositions();
  for (auto& v : FViewers)
    if (v->Show && v->BoundsRect.Contains(P))
      return v.get();
  return nullptr;
}

TTBItemViewer* TTBView::NextSelectable(TTBItemViewer* CurViewer, bool GoForward)
{
  // Which viewers are shown depends on the layout (a new popup has none yet).
  ValidatePositions();
  Integer n = ViewerCount();
  if (n == 0)
    return nullptr;
  Integer start = CurViewer ? IndexOf(CurViewer) : -1;
  Integer i = start;
  for (Integer k = 0; k < n + 1; ++k) {
    if (GoForward) {
      ++i;
      if (i >= n)
        i = 0;
    } else {
      --i;
      if (i < 0)
        i = n - 1;
    }
    TTBItemViewer* v = Viewers(i);
    if ((v->Show || v->Clipped) && v->Item()->Visible() && (v->Item()->ItemStyle() & tbisSelectable))
      return v;
    if (i == start)
      break;
  }
  return nullptr;
}

TTBItemViewer* TTBView::FirstSelectable()
{
  TTBItemViewer* first = NextSelectable(nullptr, true);
  TTBItemViewer* v = first;
  while (v && (v->Item()->ItemStyle() & tbisSkipOnSelectFirst)) {
    v = NextSelectable(v, true);
    if (v == first)
      return first;
  }
  return v ? v : first;
}

TCanvas& TTBView::MeasureCanvas()
{
  if (!FMeasureCanvas) {
    FMeasureBitmap = std::make_unique<TBitmap>(1, 1, TPixelFormat::pf24bit);
    FMeasureCanvas = CreateBitmapCanvas(*FMeasureBitmap);
  }
  return *FMeasureCanvas;
}

TFont& TTBView::GetFont() { return ToolbarMenuFont(); }

void TTBView::GetMargins(TTBViewOrientation AOrientation, TTBMargins& Margins)
{
  if (AOrientation == voFloating)
    Margins = {4, 2, 4, 1};
  else
    Margins = {};
}

// ---------------------------------------------------------------------------------------
// Layout

namespace {
struct TWork {
  TRect R;
  bool Show = false, OffEdge = false, LineSep = false, Clipped = false, SameWidth = false;
};
}   // namespace

// What the layout's steps share: its inputs, one work record per viewer, and the running
// state of the chevron cut, the placement and the scrolling.
struct TTBView::TLayoutPass {
  TLayoutPass(TTBView* AView, bool AChangeViewers, TTBViewOrientation Orientation, Integer WrapOffset,
              Integer ChevronOffset, Integer ChevronSize, TPoint& BaseSize, Integer& WrappedLines)
      : View(AView), ChangeViewers(AChangeViewers), AOrientation(Orientation), AWrapOffset(WrapOffset),
        AChevronOffset(ChevronOffset), AChevronSize(ChevronSize), ABaseSize(BaseSize), AWrappedLines(WrappedLines)
  {}
  TTBView* View;
  bool ChangeViewers;
  TTBViewOrientation AOrientation;
  Integer AWrapOffset, AChevronOffset, AChevronSize;
  TPoint& ABaseSize;
  Integer& AWrappedLines;
  Integer n = 0;
  std::vector<TWork> w;
  TTBCustomItem* chevronItem = nullptr;
  Integer chevronIndex = -1;
  bool vertical = false;
  Integer length = 0;
  bool cut = false, anyOffEdge = false;
  TTBMargins m;
  Integer curX = 0, curY = 0;
  TPoint total;
  bool prevToolbarSized = false;
  Integer rows = 0;
  bool wrapped = false, overflowed = false;
  Integer rowStart = -1, rowThickness = 0, lastShownIndex = -1;
  Integer scrollOffset = 0;
  bool showUp = false, showDown = false;

  bool isSep(Integer i) const { return (View->Viewers(i)->Item()->ItemStyle() & tbisSeparator) != 0; }
  Integer along(Integer i) const { return vertical ? w[i].R.Height() : w[i].R.Width(); }
  // Separators at the end of what shows are hidden.
  void hideTrailingSeps()
  {
    for (Integer i = n - 1; i >= 0; --i) {
      if (i == chevronIndex || !w[i].Show)
        continue;
      if (!isSep(i))
        break;
      w[i].Show = false;
    }
  }
};

TPoint TTBView::CalculatePositions(bool ChangeViewers, TTBViewOrientation AOrientation, Integer AWrapOffset,
                                   Integer AChevronOffset, Integer AChevronSize, TPoint& ABaseSize,
                                   Integer& AWrappedLines, bool* AnyChange)
{
  TTBViewOrientation savedOrientation = FOrientation;
  FOrientation = AOrientation;
  struct TRestore {
    TTBView* V;
    TTBViewOrientation O;
    ~TRestore() { V->FOrientation = O; }
  } restore{this, savedOrientation};

  TLayoutPass L(this, ChangeViewers, AOrientation, AWrapOffset, AChevronOffset, AChevronSize, ABaseSize, AWrappedLines);
  L.n = ViewerCount();
  L.w.resize(static_cast<size_t>(L.n));
  L.chevronItem = GetChevronItem();
  L.chevronIndex = L.chevronItem && L.n > 0 && Viewers(L.n - 1)->Item() == L.chevronItem ? L.n - 1 : -1;
  L.vertical = AOrientation == voVertical;

  LayoutVisibility(L);
  L.hideTrailingSeps();
  LayoutMeasure(L);
  // Length along the axis, thickness across it.
  L.length = 0;
  for (Integer i = 0; i < L.n; ++i)
    if (L.w[i].Show && i != L.chevronIndex)
      L.length += L.along(i);
  L.ABaseSize = {};
  if (L.vertical)
    L.ABaseSize.Y = L.length;
  else
    L.ABaseSize.X = L.length;

  LayoutChevronCut(L);
  Integer across = 0;
  for (Integer i = 0; i < L.n; ++i)
    if (L.w[i].Show && i != L.chevronIndex)
      across = std::max(across, L.vertical ? L.w[i].R.Width() : L.w[i].R.Height());
  if (L.vertical)
    L.ABaseSize.X = across;
  else
    L.ABaseSize.Y = across;

  LayoutPlace(L);
  LayoutScroll(L);
  LayoutChevronAndRowBreaks(L);
  bool changed = LayoutApply(L);
  if (AnyChange)
    *AnyChange = changed;
  return L.total;
}

// Which viewers show: visible items (in a chevron popup, those past its toolbar's edge),
// hosted controls that sit in this window, no separator after another.
void TTBView::LayoutVisibility(TLayoutPass& L)
{
  auto separatorPass = [&]() {
    bool prevSep = true;
    for (Integer i = 0; i < L.n; ++i) {
      if (i == L.chevronIndex || !L.w[i].Show || L.w[i].OffEdge)
        continue;
      if (L.isSep(i)) {
        if (prevSep)
          L.w[i].Show = false;
        prevSep = true;
      } else {
        prevSep = false;
      }
    }
  };
  if (FChevronParentView)
    FChevronParentView->ValidatePositions();
  for (Integer i = 0; i < L.n; ++i) {
    if (i == L.chevronIndex)
      continue;
    TTBCustomItem* it = Viewers(i)->Item();
    if (auto* ci = dynamic_cast<TTBControlItem*>(it)) {
      TControl* c = ci->Control();
      L.w[i].Show = c && c->Parent() == FWindow && c->Visible();
      continue;
    }
    if (FChevronParentView) {
      Integer j = i + FChevronParentView->FInternalViewersAtFront;
      if (j >= FChevronParentView->ViewerCount())
        continue;
      TTBItemViewer* pv = FChevronParentView->Viewers(j);
      if (!pv->OffEdge && !(pv->Item()->ItemStyle() & tbisSeparator))
        continue;
    }
    L.w[i].Show = (!(it->ItemStyle() & tbisInlineGroup) || FCustomizing) && it->Visible();
  }
  separatorPass();
}

// Measurement of what shows: controls by their size, the chevron by its, items by their
// viewers (bold for the default item), same-width items at the widest of them.
void TTBView::LayoutMeasure(TLayoutPass& L)
{
  TCanvas& canvas = MeasureCanvas();
  canvas.Font().Assign(GetFont());
  Integer sameWidth = 0;
  for (Integer i = 0; i < L.n; ++i) {
    if (!L.w[i].Show && i != L.chevronIndex)
      continue;
    TTBItemViewer* v = Viewers(i);
    // An item whose viewer class follows the orientation (the edit item) is measured by a
    // viewer of the right class: the real one when viewers change, else a stand-in.
    std::unique_ptr<TTBItemViewer> standIn;
    if (i != L.chevronIndex && v->Item()->NeedToRecreateViewer(v)) {
      if (L.ChangeViewers) {
        RecreateItemViewer(i);
        v = Viewers(i);
      } else {
        standIn = v->Item()->CreateViewer(this, v->GroupLevel);
        v = standIn.get();
      }
    }
    Integer cw = 0, ch = 0;
    if (auto* ci = dynamic_cast<TTBControlItem*>(v->Item())) {
      cw = ci->Control()->Width();
      ch = ci->Control()->Height();
    } else if (i == L.chevronIndex) {
      cw = ch = L.AChevronSize;
    } else {
      TFontStyles st = canvas.Font().Style();
      if (v->Item()->EffectiveOptions() & tboDefault)
        canvas.Font().SetStyle(st | fsBold);
      v->CalcSize(canvas, cw, ch);
      canvas.Font().SetStyle(st);
      if (v->UsesSameWidth()) {
        L.w[i].SameWidth = true;
        sameWidth = std::max(sameWidth, cw);
      }
    }
    L.w[i].R = {0, 0, cw, ch};
  }
  for (Integer i = 0; i < L.n; ++i)
    if (L.w[i].SameWidth)
      L.w[i].R.Right = sameWidth;
}

// The chevron cut: what does not fit before the chevron goes past the edge, least
// recently used first. Two items stay while the chevron has room after them; in a bar too
// narrow for that they go as well, or the chevron would stand past the bar's edge, out of
// reach with everything it holds (only a bar narrower than the chevron itself keeps them).
void TTBView::LayoutChevronCut(TLayoutPass& L)
{
  L.cut = L.chevronIndex >= 0 && L.AChevronOffset >= 1 && L.length > L.AChevronOffset;
  L.anyOffEdge = false;
  if (L.cut) {
    Integer avail = L.AChevronOffset - L.AChevronSize;
    auto shownNonSeps = [&]() {
      Integer c = 0;
      for (Integer i = 0; i < L.n; ++i)
        if (i != L.chevronIndex && L.w[i].Show && !L.isSep(i))
          ++c;
      return c;
    };
    const Integer keep = avail >= 0 ? 0 : 2;
    while (L.length > avail && shownNonSeps() > keep) {
      Integer last = -1;
      for (Integer i = L.n - 1; i >= 0; --i)
        if (i != L.chevronIndex && L.w[i].Show) {
          last = i;
          break;
        }
      if (last >= 0 && L.isSep(last)) {
        L.w[last].Show = false;
        L.length -= L.along(last);
        continue;
      }
      Integer victim = -1;
      if (FUsePriorityList) {
        for (auto it = FPriorityList.rbegin(); it != FPriorityList.rend() && victim < 0; ++it) {
          Integer i = IndexOf(*it);
          if (i >= 0 && i != L.chevronIndex && L.w[i].Show && !L.isSep(i))
            victim = i;
        }
      }
      for (Integer i = L.n - 1; i >= 0 && victim < 0; --i)
        if (i != L.chevronIndex && L.w[i].Show && !L.isSep(i))
          victim = i;
      if (victim < 0)
        break;
      L.w[victim].Show = false;
      L.w[victim].OffEdge = true;
      L.length -= L.along(victim);
      L.anyOffEdge = true;
      // Separators that now follow each other collapse.
      bool prevSep = true;
      for (Integer i = 0; i < L.n; ++i) {
        if (i == L.chevronIndex || !L.w[i].Show)
          continue;
        if (L.isSep(i)) {
          if (prevSep) {
            L.w[i].Show = false;
            L.length -= L.along(i);
          }
          prevSep = true;
        } else {
          prevSep = false;
        }
      }
    }
    L.hideTrailingSeps();
  }
}

// Placement, in rows that wrap at the wrap offset.
void TTBView::LayoutPlace(TLayoutPass& L)
{
  GetMargins(L.AOrientation, L.m);
  L.curX = L.m.Left, L.curY = L.m.Top;
  L.prevToolbarSized = FIsToolbar;
  L.rows = 0;
  L.wrapped = false, L.overflowed = false;
  L.rowStart = -1, L.rowThickness = 0;
  L.lastShownIndex = -1;
  for (Integer i = 0; i < L.n; ++i) {
    if (!L.w[i].Show || i == L.chevronIndex)
      continue;
    TTBItemViewer* v = Viewers(i);
    bool toolbarSized = FIsToolbar || (v->Item()->EffectiveOptions() & tboToolbarSize);
    if (L.prevToolbarSized && !toolbarSized) {
      L.curX = L.m.Left;
      L.curY = L.total.Y;
    }
    L.prevToolbarSized = toolbarSized;
    if (L.rowStart < 0)
      L.rowStart = i;
    Integer cur = L.vertical ? L.curY : L.curX;
    if (L.AWrapOffset >= 1 && cur >= 1) {
      Integer end = cur + L.along(i);
      bool isRowBreak = false;
      if (L.isSep(i)) {
        if (L.overflowed && !(v->Item()->ItemStyle() & tbisNoLineBreakAfterWrap))
          isRowBreak = true;
        else {
          Integer e = end;
          for (Integer j = i + 1; j < L.n; ++j) {
            if (!L.w[j].Show || j == L.chevronIndex)
              continue;
            if (L.isSep(j))
              break;
            e += L.along(j);
          }
          isRowBreak = e > L.AWrapOffset;
        }
      }
      if (isRowBreak) {
        ++L.rows;
        L.wrapped = true;
        LayoutFinishRow(L, L.rowStart, i - 1, false);
        L.w[i].LineSep = true;
        if (L.vertical) {
          L.curX += L.rowThickness;
          L.w[i].R = {L.curX, 0, L.curX + 6, 0};
          L.curX += 6;
          L.curY = L.m.Top;
        } else {
          L.curY += L.rowThickness;
          L.w[i].R = {0, L.curY, 0, L.curY + 6};
          L.curY += 6;
          L.curX = L.m.Left;
        }
        L.total.X = std::max(L.total.X, L.w[i].R.Right);
        L.total.Y = std::max(L.total.Y, L.w[i].R.Bottom);
        L.overflowed = false;
        L.rowThickness = 0;
        L.rowStart = -1;
        L.lastShownIndex = i;
        continue;
      }
      if (end > L.AWrapOffset) {
        ++L.rows;
        L.wrapped = true;
        LayoutFinishRow(L, L.rowStart, i - 1, false);
        if (L.vertical) {
          L.curY = L.m.Top;
          L.curX += L.rowThickness;
        } else {
          L.curX = L.m.Left;
          L.curY += L.rowThickness;
        }
        L.overflowed = true;
        L.rowThickness = 0;
        L.rowStart = i;
      }
    }
    L.rowThickness = std::max(L.rowThickness, L.vertical ? L.w[i].R.Width() : L.w[i].R.Height());
    Integer cw = L.w[i].R.Width(), ch = L.w[i].R.Height();
    L.w[i].R = Bounds(std::max(L.curX, 0), std::max(L.curY, 0), cw, ch);
    if (!toolbarSized || L.vertical)
      L.curY += ch;
    else
      L.curX += cw;
    L.total.X = std::max(L.total.X, L.w[i].R.Right);
    L.total.Y = std::max(L.total.Y, L.w[i].R.Bottom);
    L.lastShownIndex = i;
  }
  LayoutFinishRow(L, L.rowStart, L.lastShownIndex, true);
  L.total.X += L.m.Right;
  L.total.Y += L.m.Bottom;
  if (!FIsToolbar)
    for (Integer i = 0; i < L.n; ++i)
      if (L.w[i].Show && !(Viewers(i)->Item()->EffectiveOptions() & tboToolbarSize))
        L.w[i].R.Right = std::max(L.w[i].R.Right, L.total.X - L.m.Right);
  if (L.vertical)
    for (Integer i = 0; i < L.n; ++i)
      if (L.w[i].Show && i != L.chevronIndex) {
        TRect r = L.w[i].R;
        L.w[i].R.Left = L.total.X - r.Right;
        L.w[i].R.Right = L.total.X - r.Left;
      }
  L.AWrappedLines = L.rows + 1;
}

// A finished row: thickness across it, separators and stretching items spanning it,
// right-aligned items moved to its end.
void TTBView::LayoutFinishRow(TLayoutPass& L, Integer first, Integer lastIdx, bool lastRow)
{
  if (first < 0)
    return;
  if (L.wrapped && !FChevronParentView && L.AOrientation != voFloating) {
    if (L.vertical)
      L.total.Y = std::max(L.total.Y, L.AWrapOffset);
    else
      L.total.X = std::max(L.total.X, L.AWrapOffset);
  }
  Integer thick = L.rowThickness;
  if (FIsToolbar && lastRow && !L.wrapped && L.AOrientation != voFloating)
    thick = L.vertical ? L.total.X : L.total.Y;
  for (Integer i = first; i <= lastIdx; ++i) {
    if (!L.w[i].Show || i == L.chevronIndex)
      continue;
    TRect& r = L.w[i].R;
    if (FIsToolbar) {
      if (L.isSep(i) || (Viewers(i)->Item()->ItemStyle() & tbisStretch)) {
        if (!L.w[i].LineSep) {
          if (L.vertical)
            r.Right = r.Left + thick;
          else
            r.Bottom = r.Top + thick;
        }
      } else {
        Integer off = (thick - (L.vertical ? r.Width() : r.Height())) / 2;
        if (L.vertical) {
          r.Left += off;
          r.Right += off;
        } else {
          r.Top += off;
          r.Bottom += off;
        }
      }
    } else if (!(FIsToolbar || (Viewers(i)->Item()->EffectiveOptions() & tboToolbarSize))) {
      r.Right = r.Left + L.total.X - L.m.Left - L.m.Right + (r.Left == L.m.Left ? 0 : 0);
      r.Right = std::max(r.Right, L.total.X);
    }
  }
  // Right alignment.
  Integer firstRA = -1, lastShown = -1;
  for (Integer i = first; i <= lastIdx; ++i) {
    if (!L.w[i].Show || i == L.chevronIndex)
      continue;
    if (firstRA < 0 && (Viewers(i)->Item()->ItemStyle() & tbisRightAlign))
      firstRA = i;
    lastShown = i;
  }
  if (firstRA >= 0 && lastShown >= 0) {
    Integer limit = std::min(L.AWrapOffset > 0 ? L.AWrapOffset : (L.vertical ? L.total.Y : L.total.X),
                             L.vertical ? L.total.Y : L.total.X);
    Integer shift = limit - (L.vertical ? L.w[lastShown].R.Bottom : L.w[lastShown].R.Right);
    if (shift >= 1)
      for (Integer i = firstRA; i <= lastShown; ++i)
        if (L.w[i].Show) {
          if (L.vertical) {
            L.w[i].R.Top += shift;
            L.w[i].R.Bottom += shift;
          } else {
            L.w[i].R.Left += shift;
            L.w[i].R.Right += shift;
          }
        }
  }
}

// Scrolling of menus taller than their limit: what the arrow bands cover is clipped.
void TTBView::LayoutScroll(TLayoutPass& L)
{
  L.showUp = false, L.showDown = false;
  L.scrollOffset = ScrollOffset;
  if (MaxHeight >= 1 && MaxHeight < L.total.Y) {
    Integer overflow = L.total.Y - MaxHeight;
    L.scrollOffset = std::clamp(L.scrollOffset, 0, overflow);
    L.showUp = L.scrollOffset > 0;
    L.showDown = overflow > L.scrollOffset;
    Integer top = L.showUp ? tbMenuScrollArrowHeight : 0;
    Integer bottom = L.showDown ? MaxHeight - tbMenuScrollArrowHeight : MaxHeight;
    for (Integer i = 0; i < L.n; ++i) {
      if (L.w[i].R.IsEmpty())
        continue;
      L.w[i].R.Top -= L.scrollOffset;
      L.w[i].R.Bottom -= L.scrollOffset;
      if (L.w[i].Show && (L.w[i].R.Top < top || L.w[i].R.Bottom > bottom)) {
        L.w[i].Show = false;
        L.w[i].Clipped = true;
      }
    }
    L.total.Y = MaxHeight;
  } else {
    L.scrollOffset = 0;
  }
}

// Row breaks span the bar; the chevron stands after what shows.
void TTBView::LayoutChevronAndRowBreaks(TLayoutPass& L)
{
  if (FIsToolbar)
    for (Integer i = 0; i < L.n; ++i)
      if (L.w[i].Show && L.w[i].LineSep) {
        if (L.vertical)
          L.w[i].R.Bottom = L.w[i].R.Top + L.total.Y;
        else
          L.w[i].R.Right = L.w[i].R.Left + L.total.X;
      }

  // The chevron shows only with something behind it, and then it opens: its popup takes
  // hosted controls too, so a bar that hid only a label still offers it there.
  if (L.chevronIndex >= 0) {
    L.w[L.chevronIndex].Show = L.cut && L.anyOffEdge;
    if (L.w[L.chevronIndex].Show) {
      // A bar that gave up every item keeps the thickness they had, the chevron across it.
      Integer& across = L.vertical ? L.total.X : L.total.Y;
      bool none = true;
      for (Integer i = 0; i < L.n; ++i)
        none = none && (i == L.chevronIndex || !L.w[i].Show);
      for (Integer i = 0; i < L.n && none; ++i)
        if (L.w[i].OffEdge)
          across = std::max(across, (L.vertical ? L.w[i].R.Width() + L.m.Left + L.m.Right
                                                : L.w[i].R.Height() + L.m.Top + L.m.Bottom));
      Integer pos = std::max(L.AChevronOffset - L.AChevronSize, L.vertical ? L.total.Y : L.total.X);
      if (L.vertical)
        L.w[L.chevronIndex].R = {0, pos, L.total.X, pos + L.AChevronSize};
      else
        L.w[L.chevronIndex].R = {pos, 0, pos + L.AChevronSize, L.total.Y};
      if (L.ChangeViewers)
        L.chevronItem->SetEnabled(true);
    }
  }
}

// The work records become the viewers' (when viewers change); whether any changed.
bool TTBView::LayoutApply(TLayoutPass& L)
{
  bool changed = false;
  if (L.ChangeViewers) {
    ScrollOffset = L.scrollOffset;
    ShowUpArrow = L.showUp;
    ShowDownArrow = L.showDown;
    WrappedLines = L.AWrappedLines;
    for (Integer i = 0; i < L.n; ++i) {
      TTBItemViewer* v = Viewers(i);
      // Clipped viewers keep their (scrolled) place: scroll steps are measured from it.
      if (!L.w[i].Show && !L.w[i].Clipped)
        L.w[i].R = {};
      if (!(v->BoundsRect == L.w[i].R) || v->Show != L.w[i].Show || v->LineSep != L.w[i].LineSep)
        changed = true;
      v->BoundsRect = L.w[i].R;
      v->Show = L.w[i].Show;
      v->OffEdge = L.w[i].OffEdge;
      v->LineSep = L.w[i].LineSep;
      v->Clipped = L.w[i].Clipped;
      // Hosted controls follow their viewers, or leave the visible area.
      if (auto* ci = dynamic_cast<TTBControlItem*>(v->Item()))
        if (TControl* c = ci->Control()) {
          if (L.w[i].Show) {
            if (!(c->BoundsRect() == L.w[i].R))
              c->SetBoundsRect(L.w[i].R);
          } else if (L.w[i].OffEdge || L.w[i].Clipped) {
            c->SetBounds(-10000 - c->Width(), -10000 - c->Height(), c->Width(), c->Height());
          }
        }
    }
  }
  return changed;
}

void TTBView::DoUpdatePositions(TPoint& ASize)
{
  if (FInRelayout)
    return;
  FInRelayout = true;
  struct TEnd {
    bool& F;
    ~TEnd() { F = false; }
  } end{FInRelayout};
  bool changed = false;
  Integer lines = 0;
  ASize = CalculatePositions(true, FOrientation, WrapOffset, ChevronOffset, ChevronSize, BaseSize, lines, &changed);
  FValidated = true;
  AutoSize(ASize.X, ASize.Y);
  if (changed && FWindow)
    FWindow->Invalidate();
}

// ---------------------------------------------------------------------------------------
// Drawing

void TTBView::DrawItem(TTBItemViewer* Viewer, TCanvas& Canvas, bool)
{
  Viewer->PaintBuffered = false;
  if (!Viewer->Show || Viewer->BoundsRect.IsEmpty() || dynamic_cast<TTBControlItem*>(Viewer->Item()))
    return;
  bool isSelected = Viewer == FSelected;
  bool isPushed = isSelected && (Viewer == FOpenViewer || (FMouseOverSelected && FCapture));
  int saved = Canvas.SaveDC();
  const TRect& r = Viewer->BoundsRect;
  Canvas.IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
  if (!Canvas.ClipRect().IsEmpty()) {
    TPoint org = Canvas.WindowOrg();
    Canvas.SetWindowOrgEx(org.X - r.Left, org.Y - r.Top);
    bool toolbarStyle = Viewer->IsToolbarStyle();
    TTBCustomItem* item = Viewer->Item();
    if (isSelected && !toolbarStyle) {
      Canvas.Brush().SetStyle(bsSolid);
      Canvas.Brush().SetColor(AreFlatMenusEnabled() ? clMenuHighlight : clHighlight);
    } else {
      Canvas.Brush().SetStyle(bsClear);
    }
    Canvas.Font().Assign(GetFont());
    bool useDisabledShadow = false;
    TColor text;
    if (item->Enabled() || FCustomizing) {
      text = (isSelected && !toolbarStyle) ? clHighlightText : (toolbarStyle ? clBtnText : clMenuText);
    } else {
      text = clGrayText;
      TColor window = FWindow ? FWindow->Color() : clBtnFace;
      useDisabledShadow = toolbarStyle || (!isSelected && ColorToRGB(window) == ColorToRGB(clBtnFace))
                          || ColorToRGB(window) == ColorToRGB(clGrayText);
    }
    Canvas.Font().SetColor(ColorToRGB(text));
    Canvas.SetTextColor(ColorToRGB(text));
    Viewer->Paint(Canvas, {0, 0, r.Width(), r.Height()}, isSelected, isPushed, useDisabledShadow);
  }
  Canvas.RestoreDC(saved);
}

void TTBView::DrawSubitems(TCanvas& Canvas)
{
  ValidatePositions();
  for (auto& v : FViewers)
    if (!DrawSelectedLast || v.get() != FSelected)
      DrawItem(v.get(), Canvas, false);
  if (DrawSelectedLast && FSelected)
    DrawItem(FSelected, Canvas, false);
  DrawSelectedLast = false;
}
