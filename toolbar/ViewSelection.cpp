// Views at work: selection, keyboard, timers, scrolling, opening and closing child popups,
// and the done actions that end the menu loop.
#include <algorithm>

#include "toolbar/AccessibleItems.h"
#include "toolbar/PopupAnimation.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/Items.h"

// ---------------------------------------------------------------------------------------
// Selection

void TTBView::Select(TTBItemViewer* Value, bool ViaMouse)
{
  if (Value != FSelected) {
    // Selecting in a submenu re-selects its entry in the parent; deselecting (the pointer
    // went back to the parent) must not, or the parent's close and open timers would stop.
    if (Value && FParentView && FParentView->FOpenViewer && FParentView->FOpenViewer != FParentView->FSelected) {
      FParentView->Select(FParentView->FOpenViewer, false);
      FParentView->StopTimer(tiOpen);
      FParentView->StopTimer(tiClose);
    }
    if (InModalLoop || GetRootView()->InModalLoop) {
      if (FIsToolbar || !ViaMouse) {
        StopTimer(tiClose);
        if (Value != FOpenViewer)
          CloseChildPopups();
      } else if (FOpenViewer && !TimerRunning(tiClose)) {
        StartTimer(tiClose, GetMenuShowDelay());
      }
    }
    CancelCapture();
    TTBItemViewer* old = FSelected;
    if (old)
      old->Leaving();
    FSelected = Value;
    FSelectedViaMouse = ViaMouse;
    if (old && (old->Item()->ItemStyle() & tbisRepaintOnSelect))
      Invalidate(old);
    if (Value) {
      if (Value->Item()->ItemStyle() & tbisRepaintOnSelect)
        Invalidate(Value);
      Value->Entering(old);
      // To readers a focus event says where the keyboard is: the pointer resting on an item
      // moves the highlight, not the keyboard.
      if (!ViaMouse)
        TBAccNotifyFocus(this, Value);
    }
    bool loop = InModalLoop || GetRootView()->InModalLoop;
    if (loop && !FIsToolbar) {
      StopTimer(tiOpen);
      if (Value && ViaMouse && (Value->Item()->ItemStyle() & tbisSubmenu))
        StartTimer(tiOpen, GetMenuShowDelay());
    } else if (loop && FIsToolbar && MenuMode && Value) {
      if (ViaMouse || !(Value->Item()->ItemStyle() & tbisNoAutoOpen))
        OpenChildPopup(!ViaMouse);
    }
  }
  bool over = false;
  if (FSelected && FWindow) {
    TPoint p = FWindow->ScreenToClient(GetCursorPos());
    over = ViewerFromPoint(p) == FSelected
           && (!FCapture
               || FSelected->IsPtInButtonPart(p.X - FSelected->BoundsRect.Left, p.Y - FSelected->BoundsRect.Top));
  }
  if (over != FMouseOverSelected) {
    FMouseOverSelected = over;
    if (FCapture && FSelected && (FSelected->Item()->ItemStyle() & tbisRepaintOnHover))
      Invalidate(FSelected);
  }
}

void TTBView::CancelCapture()
{
  if (FCapture) {
    FCapture = false;
    if (FSelected)
      FSelected->LosingCapture();
  }
}

void TTBView::UpdateSelection(const TPoint* P, bool AllowNewSelection)
{
  ValidatePositions();
  TTBItemViewer* candidate = InModalLoop || GetRootView()->InModalLoop ? FSelected : nullptr;
  bool wasInside = MouseInWindow;
  if (P && FWindow) {
    TPoint c = FWindow->ScreenToClient(*P);
    TPoint nc = FWindow->NonClientSize();
    TRect wr{-nc.X, -nc.Y, FWindow->Width() - nc.X, FWindow->Height() - nc.Y};
    if (wr.Contains(c)) {
      if (!FIsToolbar)
        candidate = nullptr;
      MouseInWindow = true;
      if (AllowNewSelection || FSelected)
        if (TTBItemViewer* v = ViewerFromPoint(c))
          candidate = v;
    } else {
      MouseInWindow = false;
    }
  }
  if (FCapture)
    candidate = FSelected;
  if (!FIsToolbar && wasInside && !MouseInWindow && !FCapture) {
    if (!(FOpenViewer && candidate && (candidate->Item()->ItemStyle() & tbisSubmenu)))
      candidate = nullptr;
  }
  Select(candidate, true);
  // Auto-scroll over the arrow bands; anywhere else (the frame, outside the popup) it stops.
  if (!FIsToolbar && InModalLoop && FWindow) {
    TPoint c = P ? FWindow->ScreenToClient(*P) : TPoint{-1, -1};
    bool inClient = P && FWindow->ClientRect().Contains(c);
    if (inClient && c.Y < tbMenuScrollArrowHeight && ShowUpArrow) {
      StopTimer(tiScrollDown);
      StartTimer(tiScrollUp, 100);
    } else if (inClient && c.Y >= FWindow->ClientHeight() - tbMenuScrollArrowHeight && ShowDownArrow) {
      StopTimer(tiScrollUp);
      StartTimer(tiScrollDown, 100);
    } else {
      StopTimer(tiScrollUp);
      StopTimer(tiScrollDown);
    }
  }
}

void TTBView::StartTimer(TTBViewTimerID Timer, Integer Interval)
{
  auto* pw = dynamic_cast<TTBPopupWindow*>(FWindow);
  if (!pw)
    return;
  FActiveTimers |= static_cast<uint8_t>(1u << Timer);
  SetTimer(pw->Handle(), 9000 + Timer, static_cast<Cardinal>(std::max(1, Interval)));
}

void TTBView::StopTimer(TTBViewTimerID Timer)
{
  if (!(FActiveTimers & (1u << Timer)))
    return;
  FActiveTimers &= static_cast<uint8_t>(~(1u << Timer));
  if (auto* pw = dynamic_cast<TTBPopupWindow*>(FWindow))
    KillTimer(pw->Handle(), 9000 + Timer);
}

void TTBView::HandleTimer(TTBViewTimerID Timer)
{
  switch (Timer) {
  case tiOpen:
    StopTimer(tiOpen);
    CloseChildPopups();
    OpenChildPopup(false);
    break;
  case tiClose:
    StopTimer(tiClose);
    CloseChildPopups();
    break;
  case tiScrollUp:
    if (ShowUpArrow)
      ScrollOneStep(false);
    else
      StopTimer(tiScrollUp);
    break;
  case tiScrollDown:
    if (ShowDownArrow)
      ScrollOneStep(true);
    else
      StopTimer(tiScrollDown);
    break;
  }
}

void TTBView::ScrollOneStep(bool Down)
{
  // One step brings the nearest item cut by the arrow band fully into view.
  ValidatePositions();
  Integer top = tbMenuScrollArrowHeight, bottom = MaxHeight - tbMenuScrollArrowHeight;
  bool found = false;
  Integer edge = 0;
  for (auto& v : FViewers) {
    if (!v->Clipped || (v->Item()->ItemStyle() & tbisSeparator))
      continue;
    const TRect& r = v->BoundsRect;
    if (Down && r.Bottom > bottom && (!found || r.Bottom < edge)) {
      edge = r.Bottom;
      found = true;
    } else if (!Down && r.Top < top && (!found || r.Top > edge)) {
      edge = r.Top;
      found = true;
    }
  }
  if (!found)
    return;
  ScrollOffset += Down ? edge - bottom : edge - top;
  UpdatePositions();
}

void TTBView::ScrollSelectedIntoView()
{
  ValidatePositions();
  if (!FSelected || !FSelected->Clipped)
    return;
  const TRect& r = FSelected->BoundsRect;
  if (r.Top < tbMenuScrollArrowHeight)
    ScrollOffset += r.Top - tbMenuScrollArrowHeight;
  else
    ScrollOffset += r.Bottom - (MaxHeight - tbMenuScrollArrowHeight);
  UpdatePositions();
}

void TTBView::GivePriority(TTBItemViewer* AViewer)
{
  if (FChevronParentView) {
    Integer i = IndexOf(AViewer) + FChevronParentView->FInternalViewersAtFront;
    if (i >= 0 && i < FChevronParentView->ViewerCount())
      FChevronParentView->GivePriority(FChevronParentView->Viewers(i));
    return;
  }
  if (FUsePriorityList) {
    auto it = std::find(FPriorityList.begin(), FPriorityList.end(), AViewer);
    if (it != FPriorityList.end()) {
      FPriorityList.erase(it);
      FPriorityList.insert(FPriorityList.begin(), AViewer);
      if (!FValidated || AViewer->OffEdge)
        UpdatePositions();
    }
  }
  if (FParentView && FParentView->FOpenViewer)
    FParentView->GivePriority(FParentView->FOpenViewer);
}

void TTBView::ExecuteSelected(bool AGivePriority)
{
  if (FSelected && FSelected->Item()->Enabled()) {
    if (!(FSelected->Item()->ItemStyle() & tbisSplitDropdown) && OpenChildPopup(true))
      return;
    if (!(FSelected->Item()->ItemStyle() & tbisSelectable))
      EndModal();
    else
      FSelected->Execute(AGivePriority);
  } else {
    EndModal();
  }
}

bool TTBView::OpenChildPopup(bool SelectFirstItem)
{
  StopTimer(tiOpen);
  StopTimer(tiClose);
  if (FSelected != FOpenViewer) {
    CloseChildPopups();
    if (FSelected && FSelected->Item()->Enabled() && (FSelected->Item()->ItemStyle() & tbisSubmenu))
      FSelected->Item()->CreatePopup(this, FSelected, !FIsToolbar, SelectFirstItem, false, {}, tbpaLeft);
  }
  return FOpenViewer != nullptr;
}

void TTBView::CloseChildPopups()
{
  StopTimer(tiClose);
  if (!FOpenViewerWindow && !FOpenViewer)
    return;
  std::unique_ptr<TTBPopupWindow> w = std::move(FOpenViewerWindow);
  TTBItemViewer* old = FOpenViewer;
  FOpenViewer = nullptr;
  FOpenViewerView = nullptr;
  w.reset();
  if (old)
    Invalidate(old);
}

TTBView* TTBView::GetRootView()
{
  TTBView* v = this;
  while (v->FParentView)
    v = v->FParentView;
  return v;
}

TTBView* TTBView::GetParentToolbarView()
{
  for (TTBView* v = this; v; v = v->FParentView)
    if (v->FIsToolbar)
      return v;
  return nullptr;
}

bool TTBView::IsAncestorOf(const TTBView* AView) const
{
  for (; AView; AView = AView->FParentView)
    if (AView == this)
      return true;
  return false;
}

void TTBView::InitiateActions()
{
  for (auto& v : FViewers)
    v->Item()->InitiateAction();
}

void TTBView::GetControls(std::vector<TControl*>& List)
{
  for (const auto& v : FViewers)
    if (auto* ci = dynamic_cast<TTBControlItem*>(v->Item()); ci && v->OffEdge)
      if (auto* c = dynamic_cast<TWinControl*>(ci->Control()))
        List.push_back(c);
}

bool TTBView::ControlLent(const TControl* C) const
{
  return std::find(FLentControls.begin(), FLentControls.end(), C) != FLentControls.end();
}

TTBItemViewer* TTBView::FirstShownNonSeparator()
{
  if (FUsePriorityList) {
    for (TTBItemViewer* v : FPriorityList)
      if (v->Show && !(v->Item()->ItemStyle() & tbisSeparator))
        return v;
    return nullptr;
  }
  for (auto& v : FViewers)
    if (v->Show && !(v->Item()->ItemStyle() & tbisSeparator))
      return v.get();
  return nullptr;
}

void TTBView::SetDoneAction(TTBDoneAction Kind, TTBCustomItem* Item, Integer Extra)
{
  TTBView* root = GetRootView();
  root->FDoneActionData.Kind = Kind;
  root->FDoneActionData.Item = Item;
  root->FDoneActionData.Extra = Extra;
  root->FDoneActionData.FromPopup = !FIsToolbar;
}

void TTBView::EndModal() { SetDoneAction(tbdaCancel, nullptr, 0); }
void TTBView::EndModalWithClick(TTBItemViewer* AViewer) { SetDoneAction(tbdaClickItem, AViewer->Item(), 0); }
void TTBView::EndModalWithHelp(Integer AContextID) { SetDoneAction(tbdaHelpContext, nullptr, AContextID); }
void TTBView::EndModalWithSystemMenu(Integer AKey) { SetDoneAction(tbdaOpenSystemMenu, nullptr, AKey); }

void TTBView::ShowAccels()
{
  if (AccelsVisible)
    return;
  AccelsVisible = true;
  for (auto& v : FViewers)
    if (v->CaptionShown() && FindAccelChar(v->GetCaptionText()) != 0)
      Invalidate(v.get());
}

TTBItemViewer* TTBView::FindAccelViewer(TTBItemViewer* Start, char C, bool& IsOnly, bool OnlyAccelerators)
{
  IsOnly = false;
  Integer n = ViewerCount();
  if (n == 0)
    return nullptr;
  char up = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
  Integer startIndex = Start ? IndexOf(Start) : -1;
  for (int pass = 0; pass < (OnlyAccelerators ? 2 : 4); ++pass) {
    bool accelPass = pass < 2;
    bool enabledPass = pass % 2 == 0;
    TTBItemViewer* found = nullptr;
    Integer matches = 0;
    for (Integer k = 1; k <= n; ++k) {
      TTBItemViewer* v = Viewers((startIndex + k + n) % n);
      TTBCustomItem* it = v->Item();
      if (!(v->Show || v->Clipped) || !(it->ItemStyle() & tbisSelectable) || !it->Visible()
          || it->Enabled() != enabledPass || !v->CaptionShown())
        continue;
      std::string cap = v->GetCaptionText();
      if (cap.empty())
        continue;
      char a = FindAccelChar(cap);
      bool match;
      if (accelPass)
        match = a != 0 && std::toupper(static_cast<unsigned char>(a)) == static_cast<unsigned char>(up);
      else
        match = a == 0 && cap[0] != ' '
                && std::toupper(static_cast<unsigned char>(cap[0])) == static_cast<unsigned char>(up);
      if (match) {
        if (!found)
          found = v;
        ++matches;
      }
    }
    if (found) {
      IsOnly = (accelPass && enabledPass) ? matches == 1 : true;
      return found;
    }
  }
  return nullptr;
}

namespace {

// Closes the popups below Parent as a step back by the keyboard: readers are told the focus
// is on the item whose popup closed, as the item that held it has gone with the popup.
void StepBackFromPopups(TTBView* Parent)
{
  Parent->CloseChildPopups();
  if (Parent->Selected())
    TBAccNotifyFocus(Parent, Parent->Selected());
}

}   // namespace

void TTBView::KeyDown(Word& Key, TShiftState Shift)
{
  TTBView* bar = GetParentToolbarView();
  bool hBar = bar && bar->FOrientation != voVertical;
  auto selectNext = [&](bool forward) {
    if (TTBItemViewer* v = NextSelectable(FSelected, forward)) {
      Select(v, false);
      ScrollSelectedIntoView();
    }
  };
  switch (Key) {
  case VK_LEFT:
  case VK_RIGHT:
    if (bar == this && !hBar) {
      OpenChildPopup(true);
    } else if (Key == VK_LEFT) {
      if (hBar) {
        if (this == bar || FParentView == bar)
          bar->SelectPreviousByKey();
        else if (FParentView)
          StepBackFromPopups(FParentView);
      } else if (FParentView) {
        FParentView->MenuMode = false;
        StepBackFromPopups(FParentView);
      }
    } else {
      bool opened = !FIsToolbar && OpenChildPopup(true);
      if (!opened && hBar)
        bar->SelectNextByKey();
    }
    break;
  case VK_UP:
  case VK_DOWN:
    if (hBar && bar == this)
      OpenChildPopup(true);
    else
      selectNext(Key == VK_DOWN);
    break;
  case VK_HOME:
  case VK_END:
    if (TTBItemViewer* v = NextSelectable(nullptr, Key == VK_HOME)) {
      Select(v, false);
      ScrollSelectedIntoView();
    }
    break;
  case VK_TAB: selectNext(!(Shift & ssShift)); break;
  case VK_RETURN: ExecuteSelected(true); break;
  case VK_ESCAPE:
    if (FParentView) {
      if (FParentView->FIsToolbar)
        FParentView->MenuMode = false;
      StepBackFromPopups(FParentView);
    } else {
      EndModal();
    }
    break;
  case VK_MENU:
  case VK_F10: EndModal(); break;
  case VK_F1: {
    for (TTBView* v = this; v; v = v->FParentView)
      if (v->FSelected && v->FSelected->Item()->HelpContext() != 0) {
        EndModalWithHelp(v->FSelected->Item()->HelpContext());
        break;
      }
    break;
  }
  default: return;
  }
  Key = 0;
}

void TTBView::SelectPreviousByKey()
{
  if (TTBItemViewer* v = NextSelectable(FSelected, false))
    Select(v, false);
}

void TTBView::SelectNextByKey()
{
  if (TTBItemViewer* v = NextSelectable(FSelected, true))
    Select(v, false);
}
