// Views: the viewers of an item's children, their layout, drawing, selection, timers and
// keyboard handling.
#include <algorithm>

#include "toolbar/TB2Common.h"
#include "toolbar/TB2Item.h"

TTBView::TTBView(TTBView* AParentView, TTBCustomItem* AParentItem, TCustomControl* AWindow, bool AIsToolbar,
                 bool ACustomizing, bool AUsePriorityList)
  : FParentView(AParentView), FParentItem(AParentItem), FWindow(AWindow), FIsToolbar(AIsToolbar),
    FCustomizing(ACustomizing), FUsePriorityList(AUsePriorityList)
{
  if (FParentItem) {
    FParentItem->RegisterNotification(&FParentItem, [this](TTBCustomItem* s, bool r, TTBItemChangeKind k, Integer i,
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
    InsertItemViewers(at, Item, level, true, !Item->HasState(csLoading));
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
  case ickSubitemsChanged:
    RecreateAllViewers();
    break;
  case ickBeginUpdate:
    BeginUpdate();
    break;
  case ickEndUpdate:
    EndUpdate();
    break;
  case ickInvalidate:
    for (Integer i = 0; i < ViewerCount(); ++i)
      if (Viewers(i)->Item() == Item)
        Invalidate(Viewers(i));
    break;
  case ickInvalidateAndResize:
    InvalidatePositions();
    break;
  case ickRecreateViewers:
    InvalidatePositions();
    for (Integer i = 0; i < ViewerCount(); ++i)
      if (Viewers(i)->Item() == Item)
        RecreateItemViewer(i);
    break;
  case ickRenamed:
    return;
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
  if (!FValidated || !FWindow || !AViewer || !AViewer->Show || AViewer->BoundsRect.IsEmpty() ||
      dynamic_cast<TTBControlItem*>(AViewer->Item()))
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
}  // namespace

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

  Integer n = ViewerCount();
  std::vector<TWork> w(static_cast<size_t>(n));
  TTBCustomItem* chevronItem = GetChevronItem();
  Integer chevronIndex = chevronItem && n > 0 && Viewers(n - 1)->Item() == chevronItem ? n - 1 : -1;
  bool vertical = AOrientation == voVertical;
  auto isSep = [&](Integer i) { return (Viewers(i)->Item()->ItemStyle() & tbisSeparator) != 0; };
  auto isControl = [&](Integer i) { return dynamic_cast<TTBControlItem*>(Viewers(i)->Item()) != nullptr; };

  // Visibility.
  auto separatorPass = [&]() {
    bool prevSep = true;
    for (Integer i = 0; i < n; ++i) {
      if (i == chevronIndex || !w[i].Show || w[i].OffEdge)
        continue;
      if (isSep(i)) {
        if (prevSep)
          w[i].Show = false;
        prevSep = true;
      } else {
        prevSep = false;
      }
    }
  };
  if (FChevronParentView)
    FChevronParentView->ValidatePositions();
  for (Integer i = 0; i < n; ++i) {
    if (i == chevronIndex)
      continue;
    TTBCustomItem* it = Viewers(i)->Item();
    if (auto* ci = dynamic_cast<TTBControlItem*>(it)) {
      TControl* c = ci->Control();
      w[i].Show = c && c->Parent() == FWindow && c->Visible();
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
    w[i].Show = (!(it->ItemStyle() & tbisInlineGroup) || FCustomizing) && it->Visible();
  }
  separatorPass();
  auto hideTrailingSeps = [&]() {
    for (Integer i = n - 1; i >= 0; --i) {
      if (i == chevronIndex || !w[i].Show)
        continue;
      if (!isSep(i))
        break;
      w[i].Show = false;
    }
  };
  hideTrailingSeps();

  // Measurement.
  TCanvas& canvas = MeasureCanvas();
  canvas.Font().Assign(GetFont());
  Integer sameWidth = 0;
  for (Integer i = 0; i < n; ++i) {
    if (!w[i].Show && i != chevronIndex)
      continue;
    TTBItemViewer* v = Viewers(i);
    // An item whose viewer class follows the orientation (the edit item) is measured by a
    // viewer of the right class: the real one when viewers change, else a stand-in.
    std::unique_ptr<TTBItemViewer> standIn;
    if (i != chevronIndex && v->Item()->NeedToRecreateViewer(v)) {
      if (ChangeViewers) {
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
    } else if (i == chevronIndex) {
      cw = ch = AChevronSize;
    } else {
      TFontStyles st = canvas.Font().Style();
      if (v->Item()->EffectiveOptions() & tboDefault)
        canvas.Font().SetStyle(st | fsBold);
      v->CalcSize(canvas, cw, ch);
      canvas.Font().SetStyle(st);
      if (v->UsesSameWidth()) {
        w[i].SameWidth = true;
        sameWidth = std::max(sameWidth, cw);
      }
    }
    w[i].R = {0, 0, cw, ch};
  }
  for (Integer i = 0; i < n; ++i)
    if (w[i].SameWidth)
      w[i].R.Right = sameWidth;

  // Length along the axis.
  auto along = [&](Integer i) { return vertical ? w[i].R.Height() : w[i].R.Width(); };
  Integer length = 0;
  for (Integer i = 0; i < n; ++i)
    if (w[i].Show && i != chevronIndex)
      length += along(i);
  ABaseSize = {};
  if (vertical)
    ABaseSize.Y = length;
  else
    ABaseSize.X = length;

  // Chevron cut.
  bool cut = chevronIndex >= 0 && AChevronOffset >= 1 && length > AChevronOffset;
  bool nonControlOffEdge = false;
  if (cut) {
    Integer avail = AChevronOffset - AChevronSize;
    auto shownNonSeps = [&]() {
      Integer c = 0;
      for (Integer i = 0; i < n; ++i)
        if (i != chevronIndex && w[i].Show && !isSep(i))
          ++c;
      return c;
    };
    // The cut never leaves fewer than two items shown.
    while (length > avail && shownNonSeps() > 2) {
      Integer last = -1;
      for (Integer i = n - 1; i >= 0; --i)
        if (i != chevronIndex && w[i].Show) {
          last = i;
          break;
        }
      if (last >= 0 && isSep(last)) {
        w[last].Show = false;
        length -= along(last);
        continue;
      }
      Integer victim = -1;
      if (FUsePriorityList) {
        for (auto it = FPriorityList.rbegin(); it != FPriorityList.rend() && victim < 0; ++it) {
          Integer i = IndexOf(*it);
          if (i >= 0 && i != chevronIndex && w[i].Show && !isSep(i))
            victim = i;
        }
      }
      for (Integer i = n - 1; i >= 0 && victim < 0; --i)
        if (i != chevronIndex && w[i].Show && !isSep(i))
          victim = i;
      if (victim < 0)
        break;
      w[victim].Show = false;
      w[victim].OffEdge = true;
      length -= along(victim);
      if (!isControl(victim))
        nonControlOffEdge = true;
      // Separators that now follow each other collapse.
      bool prevSep = true;
      for (Integer i = 0; i < n; ++i) {
        if (i == chevronIndex || !w[i].Show)
          continue;
        if (isSep(i)) {
          if (prevSep) {
            w[i].Show = false;
            length -= along(i);
          }
          prevSep = true;
        } else {
          prevSep = false;
        }
      }
    }
    hideTrailingSeps();
  }

  // Thickness.
  Integer across = 0;
  for (Integer i = 0; i < n; ++i)
    if (w[i].Show && i != chevronIndex)
      across = std::max(across, vertical ? w[i].R.Width() : w[i].R.Height());
  if (vertical)
    ABaseSize.X = across;
  else
    ABaseSize.Y = across;

  // Placement.
  TTBMargins m;
  GetMargins(AOrientation, m);
  Integer curX = m.Left, curY = m.Top;
  TPoint total;
  bool prevToolbarSized = FIsToolbar;
  Integer rows = 0;
  bool wrapped = false, overflowed = false;
  Integer rowStart = -1, rowThickness = 0;
  auto finishRow = [&](Integer first, Integer lastIdx, bool lastRow) {
    if (first < 0)
      return;
    if (wrapped && !FChevronParentView && AOrientation != voFloating) {
      if (vertical)
        total.Y = std::max(total.Y, AWrapOffset);
      else
        total.X = std::max(total.X, AWrapOffset);
    }
    Integer thick = rowThickness;
    if (FIsToolbar && lastRow && !wrapped && AOrientation != voFloating)
      thick = vertical ? total.X : total.Y;
    for (Integer i = first; i <= lastIdx; ++i) {
      if (!w[i].Show || i == chevronIndex)
        continue;
      TRect& r = w[i].R;
      if (FIsToolbar) {
        if (isSep(i) || (Viewers(i)->Item()->ItemStyle() & tbisStretch)) {
          if (!w[i].LineSep) {
            if (vertical)
              r.Right = r.Left + thick;
            else
              r.Bottom = r.Top + thick;
          }
        } else {
          Integer off = (thick - (vertical ? r.Width() : r.Height())) / 2;
          if (vertical) {
            r.Left += off;
            r.Right += off;
          } else {
            r.Top += off;
            r.Bottom += off;
          }
        }
      } else if (!(FIsToolbar || (Viewers(i)->Item()->EffectiveOptions() & tboToolbarSize))) {
        r.Right = r.Left + total.X - m.Left - m.Right + (r.Left == m.Left ? 0 : 0);
        r.Right = std::max(r.Right, total.X);
      }
    }
    // Right alignment.
    Integer firstRA = -1, lastShown = -1;
    for (Integer i = first; i <= lastIdx; ++i) {
      if (!w[i].Show || i == chevronIndex)
        continue;
      if (firstRA < 0 && (Viewers(i)->Item()->ItemStyle() & tbisRightAlign))
        firstRA = i;
      lastShown = i;
    }
    if (firstRA >= 0 && lastShown >= 0) {
      Integer limit = std::min(AWrapOffset > 0 ? AWrapOffset : (vertical ? total.Y : total.X), vertical ? total.Y : total.X);
      Integer shift = limit - (vertical ? w[lastShown].R.Bottom : w[lastShown].R.Right);
      if (shift >= 1)
        for (Integer i = firstRA; i <= lastShown; ++i)
          if (w[i].Show) {
            if (vertical) {
              w[i].R.Top += shift;
              w[i].R.Bottom += shift;
            } else {
              w[i].R.Left += shift;
              w[i].R.Right += shift;
            }
          }
    }
  };
  Integer lastShownIndex = -1;
  for (Integer i = 0; i < n; ++i) {
    if (!w[i].Show || i == chevronIndex)
      continue;
    TTBItemViewer* v = Viewers(i);
    bool toolbarSized = FIsToolbar || (v->Item()->EffectiveOptions() & tboToolbarSize);
    if (prevToolbarSized && !toolbarSized) {
      curX = m.Left;
      curY = total.Y;
    }
    prevToolbarSized = toolbarSized;
    if (rowStart < 0)
      rowStart = i;
    Integer cur = vertical ? curY : curX;
    if (AWrapOffset >= 1 && cur >= 1) {
      Integer end = cur + along(i);
      bool isRowBreak = false;
      if (isSep(i)) {
        if (overflowed && !(v->Item()->ItemStyle() & tbisNoLineBreakAfterWrap))
          isRowBreak = true;
        else {
          Integer e = end;
          for (Integer j = i + 1; j < n; ++j) {
            if (!w[j].Show || j == chevronIndex)
              continue;
            if (isSep(j))
              break;
            e += along(j);
          }
          isRowBreak = e > AWrapOffset;
        }
      }
      if (isRowBreak) {
        ++rows;
        wrapped = true;
        finishRow(rowStart, i - 1, false);
        w[i].LineSep = true;
        if (vertical) {
          curX += rowThickness;
          w[i].R = {curX, 0, curX + 6, 0};
          curX += 6;
          curY = m.Top;
        } else {
          curY += rowThickness;
          w[i].R = {0, curY, 0, curY + 6};
          curY += 6;
          curX = m.Left;
        }
        total.X = std::max(total.X, w[i].R.Right);
        total.Y = std::max(total.Y, w[i].R.Bottom);
        overflowed = false;
        rowThickness = 0;
        rowStart = -1;
        lastShownIndex = i;
        continue;
      }
      if (end > AWrapOffset) {
        ++rows;
        wrapped = true;
        finishRow(rowStart, i - 1, false);
        if (vertical) {
          curY = m.Top;
          curX += rowThickness;
        } else {
          curX = m.Left;
          curY += rowThickness;
        }
        overflowed = true;
        rowThickness = 0;
        rowStart = i;
      }
    }
    rowThickness = std::max(rowThickness, vertical ? w[i].R.Width() : w[i].R.Height());
    Integer cw = w[i].R.Width(), ch = w[i].R.Height();
    w[i].R = Bounds(std::max(curX, 0), std::max(curY, 0), cw, ch);
    if (!toolbarSized || vertical)
      curY += ch;
    else
      curX += cw;
    total.X = std::max(total.X, w[i].R.Right);
    total.Y = std::max(total.Y, w[i].R.Bottom);
    lastShownIndex = i;
  }
  finishRow(rowStart, lastShownIndex, true);
  total.X += m.Right;
  total.Y += m.Bottom;
  if (!FIsToolbar)
    for (Integer i = 0; i < n; ++i)
      if (w[i].Show && !(Viewers(i)->Item()->EffectiveOptions() & tboToolbarSize))
        w[i].R.Right = std::max(w[i].R.Right, total.X - m.Right);
  if (vertical)
    for (Integer i = 0; i < n; ++i)
      if (w[i].Show && i != chevronIndex) {
        TRect r = w[i].R;
        w[i].R.Left = total.X - r.Right;
        w[i].R.Right = total.X - r.Left;
      }
  AWrappedLines = rows + 1;

  // Scrolling of tall menus.
  bool showUp = false, showDown = false;
  Integer scrollOffset = ScrollOffset;
  if (MaxHeight >= 1 && MaxHeight < total.Y) {
    Integer overflow = total.Y - MaxHeight;
    scrollOffset = std::clamp(scrollOffset, 0, overflow);
    showUp = scrollOffset > 0;
    showDown = overflow > scrollOffset;
    Integer top = showUp ? tbMenuScrollArrowHeight : 0;
    Integer bottom = showDown ? MaxHeight - tbMenuScrollArrowHeight : MaxHeight;
    for (Integer i = 0; i < n; ++i) {
      if (w[i].R.IsEmpty())
        continue;
      w[i].R.Top -= scrollOffset;
      w[i].R.Bottom -= scrollOffset;
      if (w[i].Show && (w[i].R.Top < top || w[i].R.Bottom > bottom)) {
        w[i].Show = false;
        w[i].Clipped = true;
      }
    }
    total.Y = MaxHeight;
  } else {
    scrollOffset = 0;
  }

  // Row breaks span the bar.
  if (FIsToolbar)
    for (Integer i = 0; i < n; ++i)
      if (w[i].Show && w[i].LineSep) {
        if (vertical)
          w[i].R.Bottom = w[i].R.Top + total.Y;
        else
          w[i].R.Right = w[i].R.Left + total.X;
      }

  // Chevron.
  if (chevronIndex >= 0) {
    w[chevronIndex].Show = cut;
    if (cut) {
      Integer pos = std::max(AChevronOffset - AChevronSize, vertical ? total.Y : total.X);
      if (vertical)
        w[chevronIndex].R = {0, pos, total.X, pos + AChevronSize};
      else
        w[chevronIndex].R = {pos, 0, pos + AChevronSize, total.Y};
      if (ChangeViewers)
        chevronItem->SetEnabled(nonControlOffEdge);
    }
  }

  bool changed = false;
  if (ChangeViewers) {
    ScrollOffset = scrollOffset;
    ShowUpArrow = showUp;
    ShowDownArrow = showDown;
    WrappedLines = AWrappedLines;
    for (Integer i = 0; i < n; ++i) {
      TTBItemViewer* v = Viewers(i);
      // Clipped viewers keep their (scrolled) place: scroll steps are measured from it.
      if (!w[i].Show && !w[i].Clipped)
        w[i].R = {};
      if (!(v->BoundsRect == w[i].R) || v->Show != w[i].Show || v->LineSep != w[i].LineSep)
        changed = true;
      v->BoundsRect = w[i].R;
      v->Show = w[i].Show;
      v->OffEdge = w[i].OffEdge;
      v->LineSep = w[i].LineSep;
      v->Clipped = w[i].Clipped;
      // Hosted controls follow their viewers, or leave the visible area.
      if (auto* ci = dynamic_cast<TTBControlItem*>(v->Item()))
        if (TControl* c = ci->Control()) {
          if (w[i].Show) {
            if (!(c->BoundsRect() == w[i].R))
              c->SetBoundsRect(w[i].R);
          } else if (w[i].OffEdge || w[i].Clipped) {
            c->SetBounds(-10000 - c->Width(), -10000 - c->Height(), c->Width(), c->Height());
          }
        }
    }
  }
  if (AnyChange)
    *AnyChange = changed;
  return total;
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
      useDisabledShadow = toolbarStyle || (!isSelected && ColorToRGB(window) == ColorToRGB(clBtnFace)) ||
                          ColorToRGB(window) == ColorToRGB(clGrayText);
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
