// Popup windows, their placement, and the modal menu loop.
#include <algorithm>
#include <climits>
#include <memory>

#include "toolbar/AccessibleItems.h"
#include "toolbar/PopupAnimation.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/Items.h"
#include "platform/AppHelp.h"

// ---------------------------------------------------------------------------------------
// Popup view and window

void TTBPopupView::AutoSize(Integer AWidth, Integer AHeight)
{
  if (auto* w = dynamic_cast<TTBPopupWindow*>(Window())) {
    TPoint nc = w->GetNCSize();
    w->SetBounds(w->Left(), w->Top(), AWidth + 2 * nc.X, AHeight + 2 * nc.Y);
  }
}

TFont& TTBPopupView::GetFont() { return Window()->Font(); }

TTBPopupWindow::TTBPopupWindow(TTBView* ParentView, TTBCustomItem* Item, bool Customizing)
{
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
  SetControlStyle(ControlStyle() & ~csCaptureMouse);
  SetShowHint(true);
  SetColor(clMenu);
  FView = std::make_unique<TTBPopupView>(ParentView, Item, this, false, Customizing, false);
  FView->InModalLoop = true;
  TBAccExposeView(this, FView.get());
  // A submenu, a chevron's overflow or a list is read below the item that opened it.
  if (ParentView)
    SetAccessibleOpener(this, ParentView->Window());
  Font().Assign(ParentView ? ParentView->GetFont() : ToolbarMenuFont());
  if (ParentView) {
    FView->HideAccelsUntilKeyboard = ParentView->HideAccelsUntilKeyboard;
    FView->AccelsVisible = ParentView->AccelsVisible;
  } else {
    FView->HideAccelsUntilKeyboard = true;
  }
}

TTBPopupWindow::~TTBPopupWindow()
{
  ReturnControls();
  if (FView && Visible())
    TBAccNotify(FView.get(), TAccessibleEvent::PopupEnd);
  TBAccExposeView(this, nullptr);
  SetAccessibleOpener(this, nullptr);
  EndAnimation(this);
  if (FView) {
    for (TTBViewTimerID t : {tiOpen, tiClose, tiScrollUp, tiScrollDown})
      FView->StopTimer(t);
  }
  FView.reset();
  DestroyHandle();
}

TPoint TTBPopupWindow::NonClientSize() const { return GetNCSize(); }

void TTBPopupWindow::TakeControls(TTBView* From)
{
  std::vector<TControl*> list;
  From->GetControls(list);
  FLender = From;
  for (TControl* c : list) {
    // Lent first, so that the toolbar keeps the control's item while it is away.
    From->FLentControls.push_back(c);
    FTaken.push_back(c);
    c->SetParent(this);
  }
}

void TTBPopupWindow::ReturnControls()
{
  if (!FLender)
    return;
  TTBView* lender = FLender;
  std::vector<TControl*> taken = std::move(FTaken);
  FTaken.clear();
  FLender = nullptr;
  for (TControl* c : taken)
    c->SetParent(lender->Window());
  auto& lent = lender->FLentControls;
  for (TControl* c : taken)
    lent.erase(std::remove(lent.begin(), lent.end(), c), lent.end());
  if (!taken.empty()) {
    // Back past the edge at once, before the toolbar shows them where the popup had them.
    lender->InvalidatePositions();
    lender->TryValidatePositions();
  }
}

void TTBPopupWindow::ControlRemoved(TControl* Control)
{
  TPopupWindowControl::ControlRemoved(Control);
  // A taken control freed while away: nothing to give back.
  if (!FLender)
    return;
  auto it = std::find(FTaken.begin(), FTaken.end(), Control);
  if (it == FTaken.end())
    return;
  FTaken.erase(it);
  auto& lent = FLender->FLentControls;
  lent.erase(std::remove(lent.begin(), lent.end(), Control), lent.end());
}

void TTBPopupWindow::PaintNonClient(TCanvas& Canvas)
{
  TRect r{0, 0, Width(), Height()};
  if (DrawAnimationFrame(this, Canvas, {0, 0}))
    return;
  if (AreFlatMenusEnabled()) {
    Canvas.Brush().SetColor(clBtnShadow);
    Canvas.FrameRect(r);
    Canvas.Brush().SetColor(clWindow);
    Canvas.FrameRect({1, 1, r.Right - 1, r.Bottom - 1});
    Canvas.FrameRect({2, 2, r.Right - 2, r.Bottom - 2});
  } else {
    Canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    Canvas.Brush().SetColor(clBtnFace);
    Canvas.FrameRect(r);
  }
}

void TTBPopupWindow::Paint()
{
  TCanvas& c = Canvas();
  // The client area shows its part of the sliding picture.
  if (DrawAnimationFrame(this, c, GetNCSize()))
    return;
  c.FillRect(ClientRect(), Color());
  FView->DrawSubitems(c);
  PaintScrollArrows(c);
}

void TTBPopupWindow::PaintScrollArrows(TCanvas& Canvas)
{
  auto arrow = [&](const TRect& band, bool up) {
    Integer cx = (band.Left + band.Right) / 2, cy = (band.Top + band.Bottom) / 2;
    std::vector<TPoint> p = up ? std::vector<TPoint>{{cx - 3, cy + 2}, {cx + 3, cy + 2}, {cx, cy - 1}}
                               : std::vector<TPoint>{{cx - 3, cy - 2}, {cx + 3, cy - 2}, {cx, cy + 1}};
    Canvas.Pen().SetColor(clMenuText);
    Canvas.Brush().SetColor(clMenuText);
    Canvas.Polygon(p);
  };
  TRect cr = ClientRect();
  if (FView->ShowUpArrow)
    arrow({0, 0, cr.Right, tbMenuScrollArrowHeight}, true);
  if (FView->ShowDownArrow)
    arrow({0, cr.Bottom - tbMenuScrollArrowHeight, cr.Right, cr.Bottom}, false);
}

void TTBPopupWindow::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_TIMER:
    if (Message.WParam >= 9000 && Message.WParam <= 9003 && FView)
      FView->HandleTimer(static_cast<TTBViewTimerID>(Message.WParam - 9000));
    break;
  case WM_TB2K_ANIMATIONFRAME: HandleAnimationMessage(this, Message); break;
  case WM_TB2K_ANIMATIONEND: SendMessage(Handle(), TBM_POPUPNOTIFY, 2, 0); break;
  default: break;
  }
}

void TTBPopupWindow::CaptureLost() {}

bool TTBPopupWindow::GetHintInfo(TPoint, std::string& Hint, TRect& HintArea)
{
  TTBItemViewer* v = FView ? FView->Selected() : nullptr;
  if (!v)
    return false;
  Hint = v->GetHint();
  HintArea = v->BoundsRect;
  return !Hint.empty();
}

void TTBPopupWindow::SetPopupVisible(bool Value)
{
  TTBView* parent = FView->ParentView();
  TSystemSettings s = SystemSettings();
  const bool fade = s.MenuFade.value_or(false);
  if (Value && !Visible() && !(parent && parent->ChildPopupJustClosed) && !FView->Selected()
      && s.MenuAnimation.value_or(false) && (fade || AnimationDirection != 0)) {
    if (SendMessage(Handle(), TBM_POPUPNOTIFY, 1, 0) == 0) {
      StartAnimation(this, 150, fade, AnimationDirection);
      return;
    }
  }
  EndAnimation(this);
  SetVisible(Value);
  if (Value)
    SendMessage(Handle(), TBM_POPUPNOTIFY, 3, 0);
}

// ---------------------------------------------------------------------------------------
// Opening and placing popups

std::unique_ptr<TTBPopupWindow> TTBCustomItem::CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                                 bool Customizing)
{
  return std::make_unique<TTBPopupWindow>(ParentView, ItemToShow, Customizing);
}

TTBPopupWindow* TTBCustomItem::CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                                           bool SelectFirstItem, bool Customizing, TPoint PopupPoint,
                                           TTBPopupAlignment Alignment)
{
  if (FLinkSubitems && FLinkSubitems != this)
    FLinkSubitems->DoPopup(this, true);
  DoPopup(this, false);
  TTBView* chevronParent = GetChevronParentView();
  TTBCustomItem* toShow = chevronParent ? chevronParent->ParentItem() : this;
  TTBPopupPositionRec rec;
  rec.PositionAsSubmenu = PositionAsSubmenu;
  rec.Alignment = Alignment;
  rec.Opposite = ParentView && ParentView->OpenedOpposite;
  std::unique_ptr<TTBPopupWindow> owned = CreatePopupWindow(ParentView, toShow, Customizing);
  TTBPopupWindow* w = owned.get();
  TTBPopupView* view = w->View();
  if (chevronParent) {
    view->SetChevronParentView(chevronParent);
    w->TakeControls(chevronParent);
    view->SetIsToolbar(true);
    view->ShowHintsForAll = chevronParent->ShowHintsForAll;
    w->SetColor(clBtnFace);
  }
  if (ParentView && ParentViewer) {
    ParentView->ValidatePositions();
    TRect r = ParentViewer->BoundsRect;
    TPoint tl = ParentView->Window()->ClientToScreen({r.Left, r.Top});
    rec.ParentItemRect = Bounds(tl.X, tl.Y, r.Width(), r.Height());
    rec.MonitorRect = !ParentView->IsToolbar() && !ParentView->MonitorRect.IsEmpty()
                          ? ParentView->MonitorRect
                          : GetRectOfMonitorContainingRect(rec.ParentItemRect, true);
  } else {
    rec.ParentItemRect = {PopupPoint.X, PopupPoint.Y, PopupPoint.X, PopupPoint.Y};
    rec.MonitorRect = GetRectOfMonitorContainingPoint(PopupPoint, true);
  }
  view->MonitorRect = rec.MonitorRect;
  TPoint nc = w->GetNCSize();
  rec.NCSizeX = nc.X;
  rec.NCSizeY = nc.Y;
  if (chevronParent)
    view->WrapOffset = rec.MonitorRect.Width() - 2 * nc.X;
  else
    view->MaxHeight = rec.MonitorRect.Height() - 2 * nc.Y;
  view->UpdatePositions();
  // Only laid-out viewers are selectable.
  if (SelectFirstItem)
    view->Select(view->FirstSelectable(), false);
  rec.W = w->Width();
  rec.H = w->Height();
  const TRect& p = rec.ParentItemRect;
  if (!ParentView) {
    rec.X = PopupPoint.X - (Alignment == tbpaRight ? rec.W : (Alignment == tbpaCenter ? rec.W / 2 : 0));
    rec.Y = PopupPoint.Y;
  } else if (PositionAsSubmenu) {
    rec.X = p.Right - nc.X;
    rec.Y = p.Top - nc.Y;
  } else if (chevronParent) {
    if (ParentView->Orientation() != voVertical) {
      rec.X = p.Right - rec.W;
      rec.Y = p.Bottom;
    } else {
      rec.X = p.Left - rec.W;
      rec.Y = p.Top;
    }
  } else if (ParentView->Orientation() == voVertical) {
    rec.X = p.Left - rec.W;
    rec.Y = p.Top;
  } else {
    rec.X = SystemSettings().MenuDropAlignmentRight ? p.Right - rec.W : p.Left;
    rec.Y = p.Bottom;
  }
  GetPopupPosition(ParentView, w, rec);
  w->AnimationDirection = rec.AnimDir;
  w->SetBounds(rec.X, rec.Y, rec.W, rec.H);
  if (ParentView) {
    ParentView->FOpenViewerWindow = std::move(owned);
    ParentView->FOpenViewer = ParentViewer;
    ParentView->FOpenViewerView = view;
    if (ParentView->IsToolbar())
      ParentView->MenuMode = true;
    ParentView->Invalidate(ParentViewer);
    ParentView->Window()->Update();
  }
  view->DrawSelectedLast = true;
  if (rec.PlaySound && IsSoundEventSet("MenuPopup")) {
    // The sound library loads with the first sound: that first popup shows before it, so
    // the menu does not wait for the loading; later ones start the sound first. The library
    // loads once for the process, so this is the process's first popup with a sound.
    // NOLINTNEXTLINE(orrelo-static-local-state)
    static bool shownBefore = false;
    if (!shownBefore) {
      shownBefore = true;
      w->SetPopupVisible(true);
      w->Update();
    }
    PlaySystemSound("MenuPopup");
  }
  // Shown once: showing it again would cut its slide short.
  if (!w->Visible())
    w->SetPopupVisible(true);
  TBAccNotify(view, TAccessibleEvent::PopupStart);
  if (view->Selected())
    TBAccNotifyFocus(view, view->Selected());
  if (!ParentView)
    (void)owned.release();   // the caller of PopupItem owns it
  return w;
}

std::unique_ptr<TTBPopupWindow> PopupItem(TTBCustomItem* Item, TPoint P, TTBPopupAlignment Alignment)
{
  // Without a parent view nobody else holds the window: the caller owns it.
  return std::unique_ptr<TTBPopupWindow>(Item->CreatePopup(nullptr, nullptr, false, false, false, P, Alignment));
}

void TrackPopupItem(TTBCustomItem* Item, TPoint P, TTBPopupAlignment Alignment)
{
  if (std::unique_ptr<TTBPopupWindow> popup = PopupItem(Item, P, Alignment))
    popup->View()->EnterToolbarLoop(0);
}

void TTBCustomItem::GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& R)
{
  const TRect& M = R.MonitorRect;
  const TRect& P = R.ParentItemRect;
  bool parentVertical = ParentView && ParentView->Orientation() == voVertical;
  if (R.Y + R.H > M.Bottom && !parentVertical) {
    Integer y2 = (R.PositionAsSubmenu ? P.Bottom + R.NCSizeY : P.Top) - R.H;
    if (y2 >= M.Top)
      R.Y = y2;
  }
  if (R.Y + R.H > M.Bottom)
    R.Y = M.Bottom - R.H;
  if (R.Y < M.Top)
    R.Y = M.Top;
  if (R.PositionAsSubmenu) {
    for (int guard = 0; guard < 2; ++guard) {
      if (!R.Opposite && R.X + R.W <= M.Right)
        break;
      Integer x2 = (ParentView ? P.Left + R.NCSizeX : R.X) - R.W;
      if (R.Opposite && x2 < M.Left) {
        R.Opposite = false;
        continue;
      }
      if (PopupWindow)
        PopupWindow->View()->OpenedOpposite = true;
      R.X = x2;
      break;
    }
    R.X = std::max(R.X, M.Left);
  } else {
    if (!ParentView && R.Alignment == tbpaRight && R.X < M.Left)
      R.X += R.W;
    if (R.X + R.W > M.Right)
      R.X = ((ParentView || R.Alignment != tbpaLeft) ? M.Right : R.X) - R.W;
    R.X = std::max(R.X, M.Left);
    if (ParentView) {
      auto covered = [&](Integer x, Integer y) {
        TRect pr = Bounds(x, y, R.W, R.H);
        Integer n = 0;
        for (Integer i = 0; i < ParentView->ViewerCount(); ++i) {
          TTBItemViewer* v = ParentView->Viewers(i);
          if (!v->Show)
            continue;
          TPoint tl = ParentView->Window()->ClientToScreen({v->BoundsRect.Left, v->BoundsRect.Top});
          TRect vr = Bounds(tl.X, tl.Y, v->BoundsRect.Width(), v->BoundsRect.Height());
          if (vr.Left >= pr.Left && vr.Top >= pr.Top && vr.Right <= pr.Right && vr.Bottom <= pr.Bottom)
            ++n;
        }
        return n;
      };
      auto overlaps = [&](Integer x, Integer y) {
        TRect pr = Bounds(x, y, R.W, R.H);
        return pr.Left < P.Right && P.Left < pr.Right && pr.Top < P.Bottom && P.Top < pr.Bottom;
      };
      if (parentVertical) {
        Integer x2 = P.Right;
        if (x2 + R.W <= M.Right && (covered(x2, R.Y) < covered(R.X, R.Y) || overlaps(R.X, R.Y)))
          R.X = x2;
        if (overlaps(R.X, R.Y)) {
          R.Y = P.Bottom + R.H > M.Bottom ? P.Top - R.H : P.Bottom;
          R.Y = std::max(R.Y, M.Top);
        }
      } else {
        Integer y2 = P.Top - R.H;
        if (y2 >= M.Top && (covered(R.X, y2) < covered(R.X, R.Y) || overlaps(R.X, R.Y)))
          R.Y = y2;
        if (overlaps(R.X, R.Y)) {
          R.X = P.Right + R.W > M.Right ? P.Left - R.W : P.Right;
          R.X = std::max(R.X, M.Left);
        }
      }
    }
  }
  R.AnimDir = 0;
  if (R.PositionAsSubmenu) {
    R.AnimDir = (R.X + R.W / 2 < P.Left + P.Width() / 2) ? 1 : 2;
  } else {
    if (R.Y >= P.Bottom)
      R.AnimDir |= 4;
    else if (R.Y + R.H <= P.Top)
      R.AnimDir |= 8;
    if (R.X >= P.Right)
      R.AnimDir |= 2;
    else if (R.X + R.W <= P.Left)
      R.AnimDir |= 1;
  }
}

// ---------------------------------------------------------------------------------------
// The modal loop

TTBModalHandler::TTBModalHandler(TControl* Wnd) : FWnd(Wnd)
{
  if (!FWnd) {
    FOwnWnd = std::make_unique<TCustomControl>();
    FWnd = FOwnWnd.get();
  }
  SetCaptureControl(FWnd);
  // A press anywhere ends the menus, even where no window of ours would hear of it.
  SetPointerGrab(FWnd);
  if (FWnd && !FOwnWnd)
    NotifyAccessible(FWnd, TAccessibleEvent::MenuStart);
}

TTBModalHandler::~TTBModalHandler()
{
  SetPointerGrab(nullptr);
  if (GetCaptureControl() == FWnd)
    ReleaseCapture();
  if (FWnd && !FOwnWnd)
    NotifyAccessible(FWnd, TAccessibleEvent::MenuEnd);
  // The menus held a reader's focus: it goes back to the control that has the keyboard.
  NotifyAccessibleFocusReturn();
}

namespace {
// Character messages (and the F1-key notification) a loop leaves behind in the queue.
constexpr Cardinal WM_KEYF1 = 0x4D, WM_CHAR = 0x102, WM_DEADCHAR = 0x103, WM_SYSCHAR = 0x106, WM_SYSDEADCHAR = 0x107;
}   // namespace

// One run of the modal menu loop over the menu tree of its root view R: what the run keeps
// between input events, and the steps each kind of input goes through.
struct TTBMenuLoop {
  // The last pointer position the loop saw; stale (X = 0x80000000) when the loop starts, so
  // that it reads the position and refreshes the hover state first; from then on only a
  // move away from that position counts as the pointer's.
  static constexpr Integer StalePos = INT32_MIN;

  TTBMenuLoop(TTBView* Root, TControl* CaptureWnd, std::vector<TInputEvent>& Replay)
      : R(Root), FCaptureWnd(CaptureWnd), FReplay(Replay)
  {}

  static TTBView* Deepest(TTBView* root)
  {
    TTBView* v = root;
    while (v->FOpenViewerView)
      v = v->FOpenViewerView;
    return v;
  }
  // A popup window of this menu tree, the root itself included when it is a popup.
  static bool IsOurPopup(TTBView* root, TControl* c)
  {
    for (TTBView* v = root->IsToolbar() ? root->FOpenViewerView : root; v; v = v->FOpenViewerView)
      if (v->Window() == c)
        return true;
    return false;
  }
  // The control hosted in one of this tree's popups (a chevron popup shows them) that c is
  // or lies in, else none.
  static TControl* HostedInOurPopup(TTBView* root, TControl* c)
  {
    for (; c && c->Parent(); c = c->Parent())
      if (IsOurPopup(root, c->Parent()))
        return c;
    return nullptr;
  }
  static void UpdateAllSelections(TTBView* root, TPoint p, bool allowNew)
  {
    for (TTBView* v = root; v; v = v->FOpenViewerView)
      if (v->FCapture) {
        v->UpdateSelection(&p, allowNew);
        return;
      }
    for (TTBView* v = root; v; v = v->FOpenViewerView)
      v->UpdateSelection(&p, allowNew);
  }
  static TTBItemViewer* ViewerUnderMouse(TTBView* root)
  {
    for (TTBView* v = root; v; v = v->FOpenViewerView)
      if (v->FCapture)
        return v->FSelected;
    for (TTBView* v = root; v; v = v->FOpenViewerView)
      if (v->FSelected && v->FMouseOverSelected)
        return v->FSelected;
    return nullptr;
  }
  // The deepest open view that has a selected viewer.
  static TTBView* DeepestSelected(TTBView* root)
  {
    TTBView* found = nullptr;
    for (TTBView* v = root; v; v = v->FOpenViewerView)
      if (v->FSelected)
        found = v;
    return found;
  }
  static TPoint Local(TTBItemViewer* v, TPoint screen)
  {
    TPoint c = v->View()->Window()->ScreenToClient(screen);
    return {c.X - v->BoundsRect.Left, c.Y - v->BoundsRect.Top};
  }
  static void RefreshHintAndCursor(TTBView* root)
  {
    TCursor cursor = crDefault;
    TTBView* v = DeepestSelected(root);
    if (v) {
      TTBItemViewer* s = v->FSelected;
      bool capture = false;
      for (TTBView* x = root; x; x = x->FOpenViewerView)
        capture = capture || x->FCapture;
      // An item whose menu is open shows no tooltip: it would lie over the menu.
      if ((v->ShowHintsForAll || (s->Item()->EffectiveOptions() & tboShowHint)) && !capture && !v->FOpenViewerView) {
        v->Window()->Update();
        HintMouseMessage(v->Window(), GetCursorPos());
      } else {
        CancelHint();
      }
      s->GetCursor(Local(s, GetCursorPos()), cursor);
    } else {
      CancelHint();
    }
    Screen().SetCursor(cursor != crDefault ? cursor : crArrow);
  }
  static void RefreshHintText(TTBView* root)
  {
    TTBView* v = DeepestSelected(root);
    SetApplicationHint(v ? GetLongHint(v->FSelected->Item()->Hint()) : std::string());
  }
  static void Run(TTBView* root, TTBEnterToolbarLoopOptions options, std::vector<TInputEvent>& replay);

  // The steps of one run.
  void Begin(TTBEnterToolbarLoopOptions Options);
  // The loop's input filter: true when the event was the loop's.
  bool Input(const TInputEvent& Ev);
  bool KeepAfterEnd(const TInputEvent& Ev);
  bool Dispatch(const TInputEvent& Ev);
  bool HostedInput(const TInputEvent& Ev);
  bool MouseDown(const TInputEvent& Ev);
  bool MouseUp(const TInputEvent& Ev);
  bool MouseMove(const TInputEvent& Ev);
  bool MouseWheel(const TInputEvent& Ev);
  bool KeyDown(const TInputEvent& Ev);
  void TypedChar(const TInputEvent& Ev);
  bool EndByPress(const TInputEvent& Ev);
  void AfterInput();
  // Another program taking the activation (its window clicked, or a new one mapped with the
  // keyboard) ends the loop, as losing the capture does: the menus would stay over a window
  // no longer in use, holding the pointer while the keys go elsewhere.
  void WatchActivation(TWindowEvent Event, TControl* Window)
  {
    if (Event == TWindowEvent::Deactivated && !Window)
      FActivationLost = true;
  }
  // The nested loop's end condition (checked after every pass).
  bool Done();
  void Leave(TCursor SavedCursor);

  TTBView* const R;
  TControl* const FCaptureWnd;
  std::vector<TInputEvent>& FReplay;
  TPoint FLastPos{StalePos, 0};
  bool FEnded = false;
  // Started by a press on the selected viewer, rather than by a key or a reader's action.
  bool FByMouse = false;
  bool FMouseDownOnMenu = false;
  bool FActivationLost = false;
  // A control hosted in a popup that a press went down on: it has the mouse until the release.
  TControl* FHostedPress = nullptr;
};

void TTBMenuLoop::Run(TTBView* R, TTBEnterToolbarLoopOptions options, std::vector<TInputEvent>& replay)
{
  R->ClearDoneAction();
  R->ValidatePositions();
  R->ChildPopupJustClosed = false;
  TCursor savedCursor = Screen().Cursor();
  TTBModalHandler handler(R->Window());
  Screen().SetCursor(crArrow);
  TTBMenuLoop loop(R, handler.Wnd(), replay);
  loop.Begin(options);
  int filter = AddInputFilter([&loop](const TInputEvent& ev) { return loop.Input(ev); });
  int activation = AddWindowEventHandler([&loop](TWindowEvent e, TControl* c) { loop.WatchActivation(e, c); });
  R->InModalLoop = true;
  RunNestedLoop([&loop] { return loop.Done(); });
  RemoveWindowEventHandler(activation);
  RemoveInputFilter(filter);
  loop.Leave(savedCursor);
}

// The press on the selected viewer, or its execution, that the loop was entered with.
void TTBMenuLoop::Begin(TTBEnterToolbarLoopOptions Options)
{
  FByMouse = (Options & tbetMouseDown) != 0;
  if (FByMouse) {
    if (TTBItemViewer* v = R->FSelected) {
      TPoint p = Local(v, GetCursorPos());
      v->MouseDown(0, p.X, p.Y, FMouseDownOnMenu);
    }
  }
  if (Options & tbetExecuteSelected)
    R->ExecuteSelected(!(Options & tbetFromMSAA));
  FEnded = R->DoneAction() != tbdaNone;
}

bool TTBMenuLoop::Input(const TInputEvent& Ev)
{
  if (FEnded || R->DoneAction() != tbdaNone)
    return KeepAfterEnd(Ev);
  // The hover state and hint follow every event, however it was handled.
  struct TAfter {
    TTBMenuLoop& Loop;
    ~TAfter() { Loop.AfterInput(); }
  } after{*this};
  return Dispatch(Ev);
}

// Once the loop has ended, button input waits to be replayed with the press that ended it.
bool TTBMenuLoop::KeepAfterEnd(const TInputEvent& Ev)
{
  bool mouseButton =
      Ev.Kind == TInputKind::MouseDown || Ev.Kind == TInputKind::MouseDblClick || Ev.Kind == TInputKind::MouseUp;
  if (!mouseButton)
    return false;
  FEnded = true;
  FReplay.push_back(Ev);
  return true;
}

bool TTBMenuLoop::Dispatch(const TInputEvent& Ev)
{
  if (HostedInput(Ev))
    return true;
  switch (Ev.Kind) {
  case TInputKind::MouseDown:
  case TInputKind::MouseDblClick: return MouseDown(Ev);
  case TInputKind::MouseUp: return MouseUp(Ev);
  case TInputKind::MouseMove: return MouseMove(Ev);
  case TInputKind::MouseWheel: return MouseWheel(Ev);
  case TInputKind::KeyDown: return KeyDown(Ev);
  case TInputKind::KeyUp: return true;
  }
  return false;
}

// Input for a control hosted in a popup is the control's while the menus stay.
bool TTBMenuLoop::HostedInput(const TInputEvent& Ev)
{
  auto toHosted = [&](TControl* c) {
    TPoint p = c->ScreenToClient(Ev.ScreenPos);
    switch (Ev.Kind) {
    case TInputKind::MouseDown: c->DispatchMouseDown(Ev.Button, Ev.Shift, p.X, p.Y); break;
    case TInputKind::MouseDblClick: c->DispatchMouseDown(Ev.Button, Ev.Shift | ssDouble, p.X, p.Y); break;
    case TInputKind::MouseUp: c->DispatchMouseUp(Ev.Button, Ev.Shift, p.X, p.Y); break;
    case TInputKind::MouseMove: c->DispatchMouseMove(Ev.Shift, p.X, p.Y); break;
    default: break;
    }
  };
  if (FHostedPress && (Ev.Kind == TInputKind::MouseMove || Ev.Kind == TInputKind::MouseUp)) {
    TControl* c = FHostedPress;
    if (Ev.Kind == TInputKind::MouseUp)
      FHostedPress = nullptr;
    toHosted(c);
    return true;
  }
  if ((Ev.Kind == TInputKind::MouseDown || Ev.Kind == TInputKind::MouseDblClick) && Ev.Button == mbLeft)
    if (TControl* c = HostedInOurPopup(R, Ev.Target)) {
      FHostedPress = c;
      toHosted(c);
      return true;
    }
  return false;
}

bool TTBMenuLoop::MouseDown(const TInputEvent& Ev)
{
  if (Ev.Button != mbLeft && Ev.Button != mbRight)
    return true;
  if (!IsOurPopup(R, Ev.Target)) {
    bool onRoot = Ev.Target == R->Window();
    TPoint c = R->Window()->ScreenToClient(Ev.ScreenPos);
    if (!R->IsToolbar() || !onRoot || !R->Window()->ClientRect().Contains(c))
      return EndByPress(Ev);
    if (Ev.Button == mbLeft) {
      UpdateAllSelections(R, Ev.ScreenPos, true);
      TTBItemViewer* s = R->FSelected;
      if (!s || !R->FMouseOverSelected || (s->Item()->ItemStyle() & tbisClickThrough))
        return EndByPress(Ev);
    }
  }
  if (Ev.Button == mbRight)
    return true;
  CancelHint();
  FMouseDownOnMenu = false;
  R->IgnoreNextMouseUp = false;
  UpdateAllSelections(R, Ev.ScreenPos, true);
  if (TTBItemViewer* v = ViewerUnderMouse(R)) {
    TPoint p = Local(v, Ev.ScreenPos);
    v->MouseDown(Ev.Kind == TInputKind::MouseDblClick ? ssDouble : 0, p.X, p.Y, FMouseDownOnMenu);
  }
  FLastPos = Ev.ScreenPos;
  return true;
}

bool TTBMenuLoop::MouseUp(const TInputEvent& Ev)
{
  if (Ev.Button != mbLeft)
    return true;
  UpdateAllSelections(R, Ev.ScreenPos, false);
  if (TTBItemViewer* v = ViewerUnderMouse(R)) {
    TPoint p = Local(v, Ev.ScreenPos);
    v->MouseUp(p.X, p.Y, FMouseDownOnMenu);
  } else if (R->IgnoreNextMouseUp) {
    R->IgnoreNextMouseUp = false;
  } else if (!IsOurPopup(R, Ev.Target) && !(R->IsToolbar() && Ev.Target == R->Window())) {
    R->EndModal();
  }
  return true;
}

bool TTBMenuLoop::MouseMove(const TInputEvent& Ev)
{
  if (Ev.ScreenPos == FLastPos)
    return true;
  FLastPos = Ev.ScreenPos;
  UpdateAllSelections(R, Ev.ScreenPos, true);
  RefreshHintAndCursor(R);
  if (TTBItemViewer* v = ViewerUnderMouse(R)) {
    TPoint p = Local(v, Ev.ScreenPos);
    v->MouseMove(p.X, p.Y);
  }
  return true;
}

bool TTBMenuLoop::MouseWheel(const TInputEvent& Ev)
{
  if (TTBItemViewer* v = ViewerUnderMouse(R)) {
    TPoint p = Local(v, Ev.ScreenPos);
    v->MouseWheel(Ev.WheelDelta, p.X, p.Y);
  }
  return true;
}

bool TTBMenuLoop::KeyDown(const TInputEvent& Ev)
{
  CancelHint();
  bool mouseIsDown = IsMouseButtonDown(mbLeft);
  // The keyboard is in use: views that hide accelerators until then show them.
  for (TTBView* v = R; v; v = v->FOpenViewerView)
    v->ShowAccels();
  if (mouseIsDown && Ev.Key != VK_F1)
    return true;
  TTBView* d = Deepest(R);
  Word key = Ev.Key;
  if (key != 0) {
    if (d->FSelected)
      d->FSelected->KeyDown(key, Ev.Shift);
    if (key != 0)
      d->KeyDown(key, Ev.Shift);
  }
  // The key's character, when the key itself was not used (characters without a key code
  // of their own come with key 0).
  bool keyUsed = Ev.Key != 0 && key == 0;
  if (!keyUsed && Ev.Char != 0 && R->DoneAction() == tbdaNone && !mouseIsDown)
    TypedChar(Ev);
  return true;
}

// A typed character picks the item with that accelerator in the deepest open view.
void TTBMenuLoop::TypedChar(const TInputEvent& Ev)
{
  TTBView* d = Deepest(R);
  bool isOnly = false;
  if (TTBItemViewer* v = d->FindAccelViewer(d->FSelected, Ev.Char, isOnly, false)) {
    d->Select(v, false);
    d->ScrollSelectedIntoView();
    if (isOnly)
      d->ExecuteSelected(true);
  } else if ((Ev.Char == ' ' || Ev.Char == '-') && d == R && R->IsToolbar() && ApplicationIsActive()) {
    R->EndModalWithSystemMenu(static_cast<unsigned char>(Ev.Char));
  } else {
    MessageBeep(0);
  }
}

// A press that ends the loop is kept, with the input after it, and given to its own window
// once the menus are gone (as if it had waited in the queue).
bool TTBMenuLoop::EndByPress(const TInputEvent& Ev)
{
  FEnded = true;
  R->EndModal();
  FReplay.push_back(Ev);
  return true;
}

void TTBMenuLoop::AfterInput()
{
  if (FLastPos.X == StalePos) {
    FLastPos = GetCursorPos();
    // A pointer resting where it was when a key (Alt+letter, F10) or a reader opened the
    // menus takes nothing from the item they chose; it takes over once it moves.
    if (FByMouse || !R->FSelected)
      UpdateAllSelections(R, FLastPos, false);
    RefreshHintAndCursor(R);
  }
  RefreshHintText(R);
}

bool TTBMenuLoop::Done()
{
  if (!FEnded)
    AfterInput();
  if (R->DoneAction() != tbdaNone)
    return true;
  if (GetCaptureControl() != FCaptureWnd)
    return true;   // another window took the capture
  if (FActivationLost)
    return true;   // another program took the activation
  return FEnded;
}

// Leaving: capture-related state goes, the hint empties, typed characters are dropped.
void TTBMenuLoop::Leave(TCursor SavedCursor)
{
  R->CancelCapture();
  SetApplicationHint("");
  CancelHint();
  Screen().SetCursor(SavedCursor);
  RemoveMessages(WM_CHAR, WM_DEADCHAR);
  RemoveMessages(WM_SYSCHAR, WM_SYSDEADCHAR);
  RemoveMessages(WM_KEYF1, WM_KEYF1);
}

namespace {

void GiveInput(const TInputEvent& Ev)
{
  // Outside all our windows, or where another program's window lies over ours, the input is
  // that program's (or the window manager's): the display server gives it there, as it would
  // have without the menus' grab.
  if ((!FindControlAtPos(Ev.ScreenPos) || AnotherProgramAtPos(Ev.ScreenPos))
      && GiveMouseToDisplayServer(Ev.Kind, Ev.ScreenPos, Ev.Button))
    return;
  SimulateMouse(Ev.Kind, Ev.ScreenPos, Ev.Button, Ev.Shift & (ssShift | ssCtrl | ssAlt));
}

// The press that ended a loop reaches the window under it now that the menus are gone. The
// input kept after it follows from the queue, as it would have come: a press that starts a
// loop of its own (on another bar's menu title) gets its release inside that loop.
void ReplayInput(const std::vector<TInputEvent>& Replay)
{
  if (Replay.empty())
    return;
  if (Replay.size() > 1) {
    constexpr Cardinal WM_REPLAYINPUT = 0x0401;
    auto rest = std::make_shared<std::vector<TInputEvent>>(Replay.begin() + 1, Replay.end());
    auto wnd = std::make_shared<HWND>(0);
    *wnd = AllocateHWnd([rest, wnd](TMessage& m) {
      if (m.Msg != WM_REPLAYINPUT || m.WParam >= rest->size())
        return;
      const TInputEvent ev = (*rest)[m.WParam];
      if (m.WParam + 1 == rest->size())
        DeallocateHWnd(*wnd);   // the last: nothing of this handler is used after
      GiveInput(ev);
    });
    for (size_t i = 0; i < rest->size(); ++i)
      PostMessage(*wnd, WM_REPLAYINPUT, WPARAM(i), 0);
  }
  GiveInput(Replay.front());
}

}   // namespace

void TTBView::EnterToolbarLoop(TTBEnterToolbarLoopOptions Options)
{
  // Popups count as inside a loop from their creation; a popup menu at a point is the
  // root of its own loop all the same.
  if (FLoopRunning || (InModalLoop && (FParentView || FIsToolbar)))
    return;
  FLoopRunning = true;
  struct TEnd {
    bool& F;
    ~TEnd() { F = false; }
  } end{FLoopRunning};
  bool accels = AccelsVisible;
  MouseInWindow = false;
  DrawSelectedLast = false;
  OpenedOpposite = false;
  IgnoreNextMouseUp = false;
  MenuMode = false;
  ChildPopupJustClosed = false;
  AccelsVisible = accels;
  std::vector<TInputEvent> replay;
  TTBMenuLoop::Run(this, Options, replay);
  InModalLoop = false;
  for (TTBViewTimerID t : {tiOpen, tiClose, tiScrollUp, tiScrollDown})
    StopTimer(t);
  CloseChildPopups();
  TPoint p = GetCursorPos();
  UpdateSelection(&p, false);
  if (HideAccelsUntilKeyboard)
    AccelsVisible = false;
  Select(nullptr, false);
  TDoneActionData done = FDoneActionData;
  ClearDoneAction();
  MenuMode = false;
  if (FWindow)
    FWindow->Invalidate();
  switch (done.Kind) {
  case tbdaClickItem:
    if (done.FromPopup && IsSoundEventSet("MenuCommand"))
      PlaySystemSound("MenuCommand");
    if (done.Item)
      done.Item->PostClick();
    break;
  case tbdaOpenSystemMenu: {
    // The key goes on to the form as the system's menu key would, for its system menu.
    constexpr Cardinal WM_SYSCOMMAND = 0x0112;
    constexpr WPARAM SC_KEYMENU = 0xF100;
    if (TCustomForm* form = FWindow ? FWindow->GetParentForm() : nullptr)
      SendMessage(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, LPARAM(done.Extra));
    break;
  }
  case tbdaHelpContext: {
    // F1 on an item: a form with the help button asks for the short popup, any other for
    // the item's page.
    TCustomForm* active = Screen().ActiveForm();
    if (active && (active->BorderIcons() & biHelp))
      ApplicationHelpCommand(HELP_CONTEXTPOPUP, done.Extra);
    else
      ApplicationHelpContext(done.Extra);
    break;
  }
  default: break;
  }
  ReplayInput(replay);
}
