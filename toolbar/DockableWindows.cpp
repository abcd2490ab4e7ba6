// Dockable windows: their places (docked, floating, plain child), the docking transition,
// the frame, the drag and floating-resize loops, the close button, and the rules for
// showing floating windows.
#include <algorithm>
#include <cstdio>

#include "toolbar/KitHelpers.h"
#include "toolbar/Docks.h"
#include "toolbar/Hooks.h"
#include "toolbar/Items.h"
#include "toolbar/ThemeUtils.h"

namespace {

std::vector<TTBCustomDockableWindow*>& FloatingList()
{
  // One for the process: the application's activation and the moves of any form reach the
  // floating windows through one hook procedure, which walks them all here.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static std::vector<TTBCustomDockableWindow*> list;
  return list;
}

// Whether the program has the active window, as the desktop last told it. The last active
// form is remembered past the program's deactivation, so it cannot tell this.
struct TAppActivation : TApplicationState {
  bool Active = true;
};

bool ProgramIsActive()
{
  TAppActivation* a = FoundApplicationState<TAppActivation>();
  return a ? a->Active : ApplicationIsActive();
}

// Floating windows follow the application's activation and their forms' moves.
void DockableWindowHook(THookProcCode Code, TControl*, WPARAM wParam, LPARAM)
{
  if (Code != hpSendActivateApp && Code != hpSendWindowPosChanged)
    return;
  if (Code == hpSendActivateApp)
    ApplicationState<TAppActivation>()->Active = wParam != 0;
  std::vector<TTBCustomDockableWindow*> list = FloatingList();
  for (TTBCustomDockableWindow* w : list)
    if (std::find(FloatingList().begin(), FloatingList().end(), w) != FloatingList().end())
      w->UpdateVisibility();
}

class TOutlinePart : public TPopupWindowControl {
public:
  ~TOutlinePart() override { DestroyHandle(); }
};

// An outline shown while dragging without SmoothDrag: four thin windows around a rectangle.
class TDragOutline {
public:
  void Show(const TRect& R, TSize Thickness)
  {
    if (FParts.empty())
      for (int i = 0; i < 4; ++i) {
        auto p = std::make_unique<TOutlinePart>();
        p->SetVisible(false);
        p->SetColor(clBtnShadow);
        p->SetEnabled(false);
        FParts.push_back(std::move(p));
      }
    Integer tx = std::max(1, Thickness.cx), ty = std::max(1, Thickness.cy);
    TRect parts[4] = {{R.Left, R.Top, R.Right, R.Top + ty},
                      {R.Left, R.Bottom - ty, R.Right, R.Bottom},
                      {R.Left, R.Top + ty, R.Left + tx, R.Bottom - ty},
                      {R.Right - tx, R.Top + ty, R.Right, R.Bottom - ty}};
    for (int i = 0; i < 4; ++i) {
      FParts[static_cast<size_t>(i)]->SetBoundsRect(parts[i]);
      FParts[static_cast<size_t>(i)]->SetVisible(!parts[i].IsEmpty());
    }
    FRect = R;
  }
  TRect Rect() const { return FRect; }

private:
  std::vector<std::unique_ptr<TOutlinePart>> FParts;
  TRect FRect;
};

// Runs a nested loop with an input filter; ends when Done, when the capture is taken away,
// or on quit. Button input that arrives once Done is set but before the loop has returned
// (the second click of a double click, while a drag's end is still being worked) is kept
// and handed back: the caller replays it (ReplayButtons) once its own work after the loop
// is done, and it goes where it would have gone.
template <class F>
std::vector<TInputEvent> RunCaptureLoop(bool& Done, F&& Filter)
{
  TCustomControl holder;
  SetCaptureControl(&holder);
  std::vector<TInputEvent> later;
  int id = AddInputFilter([&](const TInputEvent& ev) -> bool {
    if (Done) {
      if (ev.Kind != TInputKind::MouseDown && ev.Kind != TInputKind::MouseDblClick && ev.Kind != TInputKind::MouseUp)
        return false;
      later.push_back(ev);
      return true;
    }
    return Filter(ev);
  });
  RunNestedLoop([&] { return Done || GetCaptureControl() != &holder; });
  Done = true;
  RemoveInputFilter(id);
  if (GetCaptureControl() == &holder)
    ReleaseCapture();
  return later;
}

void ReplayButtons(const std::vector<TInputEvent>& Events)
{
  for (const TInputEvent& ev : Events)
    SimulateMouse(ev.Kind, ev.ScreenPos, ev.Button, ev.Shift & (ssShift | ssCtrl | ssAlt | ssDouble));
}

TRect ScreenBoundsOf(const TControl* C)
{
  TPoint o = C->ClientOrigin();
  TPoint nc = C->NonClientSize();
  return Bounds(o.X - nc.X, o.Y - nc.Y, C->Width(), C->Height());
}

bool Intersects(const TRect& A, const TRect& B)
{
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

}   // namespace

const std::vector<TTBCustomDockableWindow*>& FloatingToolWindows() { return FloatingList(); }

// ---------------------------------------------------------------------------------------
// Life

TTBCustomDockableWindow::TTBCustomDockableWindow()
{
  SetControlStyle((ControlStyle() | csAcceptsControls | csClickEvents | csDoubleClicks) & ~(csCaptureMouse | csOpaque));
  SetColor(clBtnFace);
  InstallHookProc(DockableWindowHook,
                  HookCode(hpSendActivateApp) | HookCode(hpSendWindowPosChanged) | HookCode(hpPreDestroy));
}

TTBCustomDockableWindow::~TTBCustomDockableWindow()
{
  BeforeDestruction();
  UninstallHookProc(DockableWindowHook);
  auto& fl = FloatingList();
  fl.erase(std::remove(fl.begin(), fl.end(), this), fl.end());
  if (FCurrentDock)
    FCurrentDock->RemoveFromDockLists(this);
  if (FLastDock && FLastDock != FCurrentDock)
    FLastDock->RemoveFromDockLists(this);
  if (FFloatingWindowParent) {
    TControl::SetParent(nullptr);
    FFloatingWindowParent.reset();
  }
  DestroyHandle();
}

void TTBCustomDockableWindow::Loaded()
{
  TCustomControl::Loaded();
  if (FFloating && FFloatingWindowParent) {
    MoveOnScreen(true);
  }
  Arrange();
}

void TTBCustomDockableWindow::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FLastDock)
    FLastDock = nullptr;
  if (AComponent == FDefaultDock)
    FDefaultDock = nullptr;
  if (AComponent == FPopupMenu)
    FPopupMenu = nullptr;
  if (AComponent == FCurrentDock)
    FCurrentDock = nullptr;
}

void TTBCustomDockableWindow::CreateParams(TCreateParams& Params) { TCustomControl::CreateParams(Params); }

// ---------------------------------------------------------------------------------------
// Frame geometry

Integer TTBCustomDockableWindow::GetDragHandleSize() const
{
  return DragHandleWidth(true, FDragHandleStyle, FCloseButtonWhenDocked);
}

TPoint TTBCustomDockableWindow::GetDockedNCAreaSize(TTBDock* ADock) const
{
  TPoint s{4, 4};
  if (ADock && ADock->AllowDrag()) {
    if (ADock->Position() == dpLeft || ADock->Position() == dpRight)
      s.Y += GetDragHandleSize();
    else
      s.X += GetDragHandleSize();
  }
  return s;
}

TPoint TTBCustomDockableWindow::GetFloatingBorderSize() const
{
  return FResizable ? TPoint{GetTBXSystemMetric(SM_CXFRAME), GetTBXSystemMetric(SM_CYFRAME)}
                    : TPoint{GetTBXSystemMetric(SM_CXFIXEDFRAME), GetTBXSystemMetric(SM_CYFIXEDFRAME)};
}

TPoint TTBCustomDockableWindow::GetFloatingNCAreaSize() const
{
  TPoint b = GetFloatingBorderSize();
  return {2 * b.X, 2 * b.Y + (FShowCaption ? GetTBXSystemMetric(SM_CYSMCAPTION) : 0)};
}

TPoint TTBCustomDockableWindow::NonClientSize() const
{
  // The top-left offset of the client area: the drag handle sits on the leading side.
  if (!FDocked || !FCurrentDock)
    return {0, 0};
  bool handle = FCurrentDock->AllowDrag();
  bool vertical = FCurrentDock->Position() == dpLeft || FCurrentDock->Position() == dpRight;
  Integer h = handle ? GetDragHandleSize() : 0;
  return vertical ? TPoint{2, 2 + h} : TPoint{2 + h, 2};
}

TRect TTBCustomDockableWindow::ClientRect() const
{
  TPoint nc = FDocked && FCurrentDock ? GetDockedNCAreaSize(FCurrentDock) : TPoint{0, 0};
  return {0, 0, std::max(0, Width() - nc.X), std::max(0, Height() - nc.Y)};
}

TRect TTBCustomDockableWindow::GetDockedCloseButtonRect(bool LeftRight) const
{
  // In window coordinates, inside the handle.
  Integer side = GetDragHandleSize() - 3;
  if (LeftRight)
    return Bounds(ClientWidth() + 2 - side, 3, side, side);
  return Bounds(3, 2, side, side);
}

bool TTBCustomDockableWindow::CanDockTo(TTBDock* ADock) const
{
  return ADock && (FDockableTo & DockableToBit(ADock->Position())) != 0;
}

TTBDockType TTBCustomDockableWindow::DockType() const
{
  if (FFloating)
    return dtFloating;
  if (FDocked && FCurrentDock)
    return (FCurrentDock->Position() == dpLeft || FCurrentDock->Position() == dpRight) ? dtLeftRight : dtTopBottom;
  return dtNotDocked;
}

TPoint TTBCustomDockableWindow::DoArrange(bool, TTBDockType, bool, TTBDock*) { return FContentSize; }

void TTBCustomDockableWindow::GetBaseSize(TPoint& ASize)
{
  ASize = DoArrange(false, DockType(), FFloating, FCurrentDock);
}

void TTBCustomDockableWindow::DockedFrameChanged()
{
  if (!FDocked)
    return;
  // The client area moves: refresh the children's places.
  HandleNeeded();
  Realign();
  Invalidate();
  Arrange();
}

// ---------------------------------------------------------------------------------------
// Properties

void TTBCustomDockableWindow::SetAutoResize(bool Value)
{
  if (Value == FAutoResize)
    return;
  FAutoResize = Value;
  if (Value)
    Arrange();
}

void TTBCustomDockableWindow::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  DockedFrameChanged();
}

void TTBCustomDockableWindow::SetCloseButton(bool Value)
{
  if (Value == FCloseButton)
    return;
  FCloseButton = Value;
  RedrawNC();
}

void TTBCustomDockableWindow::SetCloseButtonWhenDocked(bool Value)
{
  if (Value == FCloseButtonWhenDocked)
    return;
  FCloseButtonWhenDocked = Value;
  DockedFrameChanged();
}

void TTBCustomDockableWindow::SetDragHandleStyle(TTBDragHandleStyle Value)
{
  if (Value == FDragHandleStyle)
    return;
  FDragHandleStyle = Value;
  DockedFrameChanged();
}

void TTBCustomDockableWindow::SetDefaultDock(TTBDock* Value)
{
  if (Value == FDefaultDock)
    return;
  FDefaultDock = Value;
  if (Value)
    FreeNotification(Value);
}

void TTBCustomDockableWindow::SetPopupMenu(TComponent* Value)
{
  if (Value == FPopupMenu)
    return;
  FPopupMenu = Value;
  if (Value)
    FreeNotification(Value);
}

void TTBCustomDockableWindow::FrameContextPopup()
{
  if (OnContextPopup)
    OnContextPopup(this);
  // The handler may have freed or replaced the menu: read it afterwards.
  auto* menu = dynamic_cast<TTBCustomItem*>(FPopupMenu);
  if (!menu)
    return;
  TrackPopupItem(menu, GetCursorPos(), tbpaLeft);
}

void TTBCustomDockableWindow::SetDockPos(Integer Value)
{
  FDockPos = Value;
  if (FDocked && FCurrentDock)
    FCurrentDock->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetDockRow(Integer Value)
{
  FDockRow = Value;
  if (FDocked && FCurrentDock)
    FCurrentDock->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetFloatingMode(TTBFloatingMode Value)
{
  if (Value == FFloatingMode)
    return;
  FFloatingMode = Value;
  UpdateVisibility();
}

void TTBCustomDockableWindow::SetFullSize(bool Value)
{
  if (Value == FFullSize)
    return;
  FFullSize = Value;
  if (FDocked && FCurrentDock)
    FCurrentDock->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetStretch(bool Value)
{
  if (Value == FStretch)
    return;
  FStretch = Value;
  if (FDocked && FCurrentDock)
    FCurrentDock->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetHideWhenInactive(bool Value)
{
  if (Value == FHideWhenInactive)
    return;
  FHideWhenInactive = Value;
  UpdateVisibility();
}

void TTBCustomDockableWindow::SetLastDock(TTBDock* Value)
{
  if (Value == FLastDock)
    return;
  TTBDock* old = FLastDock;
  FLastDock = Value;
  // The dock list holds the windows docked in a dock or remembering it.
  if (old && old != FCurrentDock)
    old->ChangeDockList(false, this);
  if (Value) {
    FreeNotification(Value);
    Value->ChangeDockList(true, this);
  }
}

void TTBCustomDockableWindow::SetUseLastDock(bool Value)
{
  if (Value == FUseLastDock)
    return;
  FUseLastDock = Value;
  SetLastDock(Value ? FCurrentDock : nullptr);
}

void TTBCustomDockableWindow::SetResizable(bool Value)
{
  if (Value == FResizable)
    return;
  FResizable = Value;
  if (FFloating && FFloatingWindowParent) {
    // The frame changes size: the floating parent keeps its client area.
    TSize f = FFloatingWindowParent->FrameSize();
    FFloatingWindowParent->SetBounds(FFloatingWindowParent->Left(), FFloatingWindowParent->Top(), Width() + f.cx,
                                     Height() + f.cy);
    FFloatingWindowParent->Invalidate();
  }
}

void TTBCustomDockableWindow::SetShowCaption(bool Value)
{
  if (Value == FShowCaption)
    return;
  FShowCaption = Value;
  if (FFloating && FFloatingWindowParent) {
    TSize f = FFloatingWindowParent->FrameSize();
    FFloatingWindowParent->SetBounds(FFloatingWindowParent->Left(), FFloatingWindowParent->Top(), Width() + f.cx,
                                     Height() + f.cy);
    FFloatingWindowParent->Invalidate();
  }
  Arrange();
}

void TTBCustomDockableWindow::SetFloatingPosition(TPoint Value)
{
  FFloatingPosition = Value;
  FFloatingPositionSet = true;
  if (FFloating && FFloatingWindowParent)
    FFloatingWindowParent->SetBounds(Value.X, Value.Y, FFloatingWindowParent->Width(), FFloatingWindowParent->Height());
}

void TTBCustomDockableWindow::AddDockForm(TCustomForm* Form)
{
  if (Form && std::find(FDockForms.begin(), FDockForms.end(), Form) == FDockForms.end())
    FDockForms.push_back(Form);
}

void TTBCustomDockableWindow::RemoveDockForm(TCustomForm* Form)
{
  FDockForms.erase(std::remove(FDockForms.begin(), FDockForms.end(), Form), FDockForms.end());
}

void TTBCustomDockableWindow::RedrawNC()
{
  Invalidate();
  if (FFloatingWindowParent)
    FFloatingWindowParent->RedrawNCArea();
}

// ---------------------------------------------------------------------------------------
// Places

TCustomForm* TTBCustomDockableWindow::ParentFormOf() const
{
  if (FFloatingWindowParent && FFloatingWindowParent->ParentForm())
    return FFloatingWindowParent->ParentForm();
  TCustomForm* f = GetParentForm();
  if (auto* fp = dynamic_cast<TTBFloatingWindowParent*>(f))
    return fp->ParentForm();
  return f;
}

void TTBCustomDockableWindow::SetCurrentDock(TTBDock* Value)
{
  if (Value == FCurrentDock && (Value || !FFloating))
    return;
  if (Value)
    SetParent(Value);
  else
    MoveToParentForm();
}

void TTBCustomDockableWindow::MoveToParentForm()
{
  TCustomForm* form = ParentFormOf();
  if (!form || form == static_cast<TControl*>(this)) {
    char msg[300];
    std::snprintf(msg, sizeof msg, SParentRequired, Name().c_str());
    throw EInvalidOperation(msg);
  }
  SetParent(form);
}

void TTBCustomDockableWindow::SetFloating(bool Value)
{
  if (Value == FFloating)
    return;
  if (Value) {
    TCustomForm* form = ParentFormOf();
    if (!FFloatingPositionSet) {
      TPoint o = ClientToScreen({0, 0});
      TPoint nc = NonClientSize();
      FFloatingPosition = {o.X - nc.X, o.Y - nc.Y};
    }
    if (!FFloatingWindowParent)
      FFloatingWindowParent = CreateFloatingWindowParent();
    FFloatingWindowParent->SetParentForm(form);
    SetParent(FFloatingWindowParent.get());
  } else {
    MoveToParentForm();
  }
}

std::unique_ptr<TTBFloatingWindowParent> TTBCustomDockableWindow::CreateFloatingWindowParent()
{
  return std::make_unique<TTBFloatingWindowParent>(this);
}

void TTBCustomDockableWindow::FreeFloatingParentIfUnused()
{
  if (FFloatingWindowParent && !FFloating && !FDragMode) {
    FFloatingWindowParent->Hide();
    FFloatingWindowParent.reset();
  }
}

void TTBCustomDockableWindow::SetParent(TWinControl* parent)
{
  if (parent == Parent()) {
    TCustomControl::SetParent(parent);
    return;
  }
  auto* newDock = dynamic_cast<TTBDock*>(parent);
  auto* newFloatParent = dynamic_cast<TTBFloatingWindowParent*>(parent);
  bool newFloating = newFloatParent != nullptr;
  bool loading = HasState(csLoading);
  bool destroying = HasState(csDestroying);
  if (!loading && !destroying) {
    if (OnDockChanging)
      OnDockChanging(this, newFloating, newDock);
    if (OnRecreating)
      OnRecreating(this);
  }
  TTBDock* oldDock = FCurrentDock;
  ++FHidden;
  BeginUpdate();
  if (oldDock)
    oldDock->BeginUpdate();
  if (newDock && newDock != oldDock)
    newDock->BeginUpdate();
  bool unblocked = false;
  auto unblock = [&] {
    if (unblocked)
      return;
    unblocked = true;
    if (newDock && newDock != oldDock)
      newDock->EndUpdate();
    if (oldDock)
      oldDock->EndUpdate();
    EndUpdate();
    --FHidden;
  };
  struct TGuard {
    decltype(unblock)& F;
    ~TGuard() { F(); }
  } guard{unblock};
  if (parent && !destroying && OnDockChangingHidden)
    OnDockChangingHidden(this, newFloating, newDock);

  FCurrentSize = 0;
  if (oldDock) {
    if (!(FUseLastDock && oldDock == FLastDock))
      oldDock->ChangeDockList(false, this);
    oldDock->ChangeDockVisibleList(false, this);
  }
  if (FFloating && FFloatingWindowParent)
    FFloatingWindowParent->Hide();

  TCustomControl::SetParent(parent);

  FCurrentDock = newDock;
  FFloating = newFloating;
  FDocked = newDock != nullptr;
  FEffectiveDockRow = -1;
  if (newDock)
    FreeNotification(newDock);
  if (!newFloating && !FDragMode && FFloatingWindowParent && newFloatParent != FFloatingWindowParent.get())
    FreeFloatingParentIfUnused();

  if (newDock) {
    if (FUseLastDock && !FDragMode)
      SetLastDock(newDock);
    newDock->ChangeDockList(true, this);
    if (Visible() || newDock->HasState(csDesigning))
      newDock->ChangeDockVisibleList(true, this);
  }
  auto& fl = FloatingList();
  fl.erase(std::remove(fl.begin(), fl.end(), this), fl.end());
  if (newFloating) {
    fl.push_back(this);
    SetBounds(0, 0, Width(), Height());
    TSize f = newFloatParent->FrameSize();
    newFloatParent->SetBounds(FFloatingPosition.X, FFloatingPosition.Y, Width() + f.cx, Height() + f.cy);
    newFloatParent->SetCaption(Caption());
  }
  Arrange();
  unblock();
  UpdateVisibility();
  if (!loading && !destroying) {
    if (OnRecreated)
      OnRecreated(this);
    if (OnDockChanged)
      OnDockChanged(this);
  }
}

void TTBCustomDockableWindow::SetBounds(Integer left, Integer top, Integer width, Integer height)
{
  TPoint nc = FDocked && FCurrentDock ? GetDockedNCAreaSize(FCurrentDock) : TPoint{0, 0};
  TPoint oldSize{Width(), Height()};
  if (!FInArrange)
    FContentSize = {std::max(0, width - nc.X), std::max(0, height - nc.Y)};
  TCustomControl::SetBounds(left, top, width, height);
  if (FFloating && FFloatingWindowParent && !(oldSize == TPoint{Width(), Height()})) {
    // The floating parent grows and shrinks with its client.
    TSize f = FFloatingWindowParent->FrameSize();
    FFloatingWindowParent->SetBounds(FFloatingWindowParent->Left(), FFloatingWindowParent->Top(), Width() + f.cx,
                                     Height() + f.cy);
  }
  if (!(oldSize == TPoint{Width(), Height()}))
    SizeChanging(Width(), Height());
  if (HasState(csDesigning) && FDocked && FCurrentDock && !FInArrange && FDisableArrange == 0) {
    // Moved by hand at design time: the row from the window's middle, the position from its edge.
    bool horz = FCurrentDock->Position() == dpTop || FCurrentDock->Position() == dpBottom;
    bool before = false;
    FDockRow = FCurrentDock->GetRowOf(horz ? top + height / 2 : left + width / 2, before);
    FDockPos = horz ? left : top;
    FCurrentDock->ArrangeToolbars();
  }
}

bool TTBCustomDockableWindow::IsAutoResized() const { return FAutoResize || FDocked || FFloating; }

void TTBCustomDockableWindow::EndUpdate()
{
  if (FDisableArrange > 0 && --FDisableArrange == 0 && FArrangeNeeded)
    Arrange();
}

void TTBCustomDockableWindow::Arrange()
{
  if (FDisableArrange > 0 || HasState(csLoading)) {
    FArrangeNeeded = true;
    return;
  }
  FArrangeNeeded = false;
  ArrangeNow();
}

void TTBCustomDockableWindow::ArrangeNow()
{
  if (FDocked && FCurrentDock) {
    FCurrentDock->ArrangeToolbars();
    return;
  }
  TPoint size = DoArrange(true, DockType(), FFloating, nullptr);
  if (IsAutoResized())
    ChangeSize(size.X, size.Y);
}

void TTBCustomDockableWindow::ChangeSize(Integer AWidth, Integer AHeight)
{
  if (!FFloating) {
    if ((Anchors() & (akLeft | akRight)) == (akLeft | akRight))
      AWidth = Width();
    if ((Anchors() & (akTop | akBottom)) == (akTop | akBottom))
      AHeight = Height();
  }
  FInArrange = true;
  SetBounds(Left(), Top(), AWidth, AHeight);
  FInArrange = false;
}

void TTBCustomDockableWindow::VisibleChanged()
{
  TCustomControl::VisibleChanged();
  if (FDocked && FCurrentDock)
    FCurrentDock->ChangeDockVisibleList(Visible(), this);
  UpdateVisibility();
  if (OnVisibleChanged)
    OnVisibleChanged(this);
}

void TTBCustomDockableWindow::UpdateVisibility()
{
  if (!FFloating || !FFloatingWindowParent || FHidden > 0)
    return;
  bool show = Visible();
  if (show && FFloatingMode == fmOnTopOfParentForm) {
    TCustomForm* form = FFloatingWindowParent->ParentForm();
    // Its form's window up first, or the window would belong to none and stand beneath the
    // form (a bar floated before its form first shows); the form's showing checks again.
    show = form && form->Visible() && form->WindowShown();
  }
  if (show && FHideWhenInactive)
    show = ProgramIsActive();
  if (FFloatingWindowParent->Visible() != show) {
    FFloatingWindowParent->SetVisible(show);
    if (show)
      FFloatingWindowParent->SetBounds(FFloatingPosition.X, FFloatingPosition.Y, FFloatingWindowParent->Width(),
                                       FFloatingWindowParent->Height());
  }
}

void TTBCustomDockableWindow::MoveOnScreen(bool OnlyIfFullyOffscreen)
{
  if (!FFloating || !FFloatingWindowParent)
    return;
  TTBFloatingWindowParent* p = FFloatingWindowParent.get();
  TRect r = Bounds(FFloatingPosition.X, FFloatingPosition.Y, p->Width(), p->Height());
  TRect work = GetRectOfMonitorContainingRect(r, true);
  if (OnlyIfFullyOffscreen && Intersects(r, work))
    return;
  Integer x = r.Left, y = r.Top;
  if (x + r.Width() > work.Right)
    x = work.Right - r.Width();
  if (x < work.Left)
    x = work.Left;
  if (y + r.Height() > work.Bottom)
    y = work.Bottom - r.Height();
  if (y < work.Top)
    y = work.Top;
  SetFloatingPosition({x, y});
}

void TTBCustomDockableWindow::Close()
{
  bool canClose = true;
  if (OnCloseQuery)
    OnCloseQuery(this, canClose);
  if (!canClose)
    return;
  Hide();
  if (OnClose)
    OnClose(this);
}

// ---------------------------------------------------------------------------------------
// Position data

void TTBCustomDockableWindow::ReadPositionData(const TTBPositionReadIntProc& ReadIntProc)
{
  if (!ReadIntProc)
    return;
  const std::string& s = Name();
  BeginUpdate();
  FDockRow = ReadIntProc(s, "DockRow", FDockRow);
  FDockPos = ReadIntProc(s, "DockPos", FDockPos);
  TPoint f{ReadIntProc(s, "FloatLeft", FFloatingPosition.X), ReadIntProc(s, "FloatTop", FFloatingPosition.Y)};
  SetFloatingPosition(f);
  SetVisible(ReadIntProc(s, "Visible", Visible() ? 1 : 0) != 0);
  EndUpdate();
  if (FDocked && FCurrentDock)
    FCurrentDock->ArrangeToolbars();
  MoveOnScreen(true);
}

void TTBCustomDockableWindow::WritePositionData(const TTBPositionWriteIntProc& WriteIntProc)
{
  if (!WriteIntProc)
    return;
  const std::string& s = Name();
  WriteIntProc(s, "Visible", Visible() ? 1 : 0);
  WriteIntProc(s, "DockRow", FDockRow);
  WriteIntProc(s, "DockPos", FDockPos);
  WriteIntProc(s, "FloatLeft", FFloatingPosition.X);
  WriteIntProc(s, "FloatTop", FFloatingPosition.Y);
}

// ---------------------------------------------------------------------------------------
// Painting and the mouse on the frame

void TTBCustomDockableWindow::PaintNonClient(TCanvas& Canvas) { DrawNCArea(Canvas, {0, 0, Width(), Height()}); }

void TTBCustomDockableWindow::DrawNCArea(TCanvas& Canvas, const TRect& R)
{
  if (!FDocked || !FCurrentDock)
    return;
  TTBFrameState s;
  s.Vertical = FCurrentDock->Position() == dpLeft || FCurrentDock->Position() == dpRight;
  s.AllowDrag = FCurrentDock->AllowDrag();
  s.BorderStyle = FBorderStyle;
  s.DragHandleStyle = FDragHandleStyle;
  s.CloseShown = FCloseButtonWhenDocked && s.AllowDrag;
  s.CloseHot = FCloseButtonHover;
  s.ClosePushed = FCloseButtonDown;
  DrawDockedFrame(Canvas, R, s, Color() == clNone ? clBtnFace : Color());
}

bool TTBCustomDockableWindow::DragStartAllowed(TPoint P)
{
  for (int i = ControlCount() - 1; i >= 0; --i) {
    TControl* c = Controls(i);
    if (c->Visible() && c->BoundsRect().Contains(P))
      return false;
  }
  return true;
}

bool TTBCustomDockableWindow::IsPointOnCloseButton(TPoint WindowPoint) const
{
  if (!FDocked || !FCurrentDock || !FCloseButtonWhenDocked || !FCurrentDock->AllowDrag())
    return false;
  bool lr = FCurrentDock->Position() == dpLeft || FCurrentDock->Position() == dpRight;
  return GetDockedCloseButtonRect(lr).Contains(WindowPoint);
}

void TTBCustomDockableWindow::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseDown(Button, Shift, X, Y);
  TPoint nc = NonClientSize();
  TPoint wp{X + nc.X, Y + nc.Y};
  bool onFrame = !ClientRect().Contains({X, Y});
  if (Button == mbRight) {
    if (onFrame)
      FrameContextPopup();
    return;
  }
  if (Button != mbLeft)
    return;
  if (Shift & ssDouble) {
    if (onFrame || DragStartAllowed({X, Y}))
      DoubleClick();
    return;
  }
  if (IsPointOnCloseButton(wp)) {
    CloseButtonLoop(false);
    return;
  }
  if (!onFrame && !DragStartAllowed({X, Y}))
    return;
  if ((FDocked && FCurrentDock && FCurrentDock->AllowDrag()) || FFloating)
    BeginMoving(X, Y);
}

void TTBCustomDockableWindow::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseMove(Shift, X, Y);
  TPoint nc = NonClientSize();
  bool hot = IsPointOnCloseButton({X + nc.X, Y + nc.Y});
  if (hot != FCloseButtonHover) {
    FCloseButtonHover = hot;
    RedrawNC();
  }
  if (FDocked && FCurrentDock && FCurrentDock->AllowDrag() && FDragHandleStyle != dhNone && !hot) {
    // Over the handle (and two pixels more) the cursor offers to move the window.
    bool vertical = FCurrentDock->Position() == dpLeft || FCurrentDock->Position() == dpRight;
    Integer along = vertical ? Y + nc.Y : X + nc.X;
    SetCursor(along < GetDragHandleSize() + 2 ? crSizeAll : crDefault);
  }
}

void TTBCustomDockableWindow::MouseLeave()
{
  TCustomControl::MouseLeave();
  if (FCloseButtonHover) {
    FCloseButtonHover = false;
    RedrawNC();
  }
}

void TTBCustomDockableWindow::FloatingFrameMouseDown(TTBFloatingWindowParent::THitTest Hit, TMouseButton Button,
                                                     TShiftState Shift, TPoint ScreenPos)
{
  using H = TTBFloatingWindowParent;
  if (Button == mbRight) {
    FrameContextPopup();
    return;
  }
  if (Button != mbLeft)
    return;
  if (Shift & ssDouble) {
    if (Hit == H::htCaption)
      DoubleClick();
    return;
  }
  switch (Hit) {
  case H::htCaption: {
    TPoint p = ScreenToClient(ScreenPos);
    BeginMoving(p.X, p.Y);
    break;
  }
  case H::htClose: CloseButtonLoop(true); break;
  case H::htLeft: BeginSizingLoop(twshLeft, ScreenPos); break;
  case H::htRight: BeginSizingLoop(twshRight, ScreenPos); break;
  case H::htTop: BeginSizingLoop(twshTop, ScreenPos); break;
  case H::htBottom: BeginSizingLoop(twshBottom, ScreenPos); break;
  case H::htTopLeft: BeginSizingLoop(twshTopLeft, ScreenPos); break;
  case H::htTopRight: BeginSizingLoop(twshTopRight, ScreenPos); break;
  case H::htBottomLeft: BeginSizingLoop(twshBottomLeft, ScreenPos); break;
  case H::htBottomRight: BeginSizingLoop(twshBottomRight, ScreenPos); break;
  default: break;
  }
}

void TTBCustomDockableWindow::FloatingFrameMouseMove(TTBFloatingWindowParent::THitTest Hit)
{
  bool hot = Hit == TTBFloatingWindowParent::htClose;
  if (hot != FCloseButtonHover) {
    FCloseButtonHover = hot;
    RedrawNC();
  }
}

void TTBCustomDockableWindow::DoubleClick()
{
  if (FDocked) {
    if (FDblClickUndock && FDockMode == dmCanFloat) {
      SetFloating(true);
      MoveOnScreen(true);
    }
  } else if (FFloating) {
    if (FLastDock) {
      SetCurrentDock(FLastDock);
    } else if (FDefaultDock) {
      FDockRow = 0;
      FDockPos = -8;
      SetCurrentDock(FDefaultDock);
    }
  }
}

void TTBCustomDockableWindow::CloseButtonLoop(bool Floating)
{
  auto inside = [&](TPoint screen) {
    if (Floating) {
      if (!FFloatingWindowParent)
        return false;
      TRect r = GetTBXCloseButtonRect(this, true);
      TPoint o = FFloatingWindowParent->ClientOrigin(), nc = FFloatingWindowParent->NonClientSize();
      return r.Contains({screen.X - (o.X - nc.X), screen.Y - (o.Y - nc.Y)});
    }
    TPoint c = ScreenToClient(screen), nc = NonClientSize();
    return IsPointOnCloseButton({c.X + nc.X, c.Y + nc.Y});
  };
  bool done = false, accepted = false;
  FCloseButtonDown = true;
  RedrawNC();
  const std::vector<TInputEvent> later = RunCaptureLoop(done, [&](const TInputEvent& ev) {
    switch (ev.Kind) {
    case TInputKind::MouseMove: {
      bool in = inside(ev.ScreenPos);
      if (in != FCloseButtonDown) {
        FCloseButtonDown = in;
        RedrawNC();
      }
      return true;
    }
    case TInputKind::MouseUp:
      if (ev.Button == mbLeft) {
        accepted = inside(ev.ScreenPos);
        done = true;
      }
      return true;
    default: return true;   // keys and other buttons are swallowed
    }
  });
  FCloseButtonDown = false;
  RedrawNC();
  if (accepted)
    Close();
  ReplayButtons(later);
}

// ---------------------------------------------------------------------------------------
// Dragging

struct TTBCustomDockableWindow::TDragLoop {
  TTBCustomDockableWindow* W;
  struct TCandidate {
    TTBDock* Dock;
    TPoint Size;   // the window's outside size in this dock
  };
  std::vector<TCandidate> Docks;
  TPoint FloatSize;
  TPoint Grab;         // the pointer within the window
  TPoint WindowSize;   // the window's outside size when the drag began
  TPoint StartPointer;
  TTBDock* StartDock = nullptr;
  Integer StartRow = 0, StartPos = 0, StartEffectiveRow = -1;
  bool StartFloating = false;
  TPoint StartFloatPos;
  bool SharedRow = false;
  TDragOutline Outline;

  // The last evaluation.
  TTBDock* Target = nullptr;
  bool ToFloat = false;
  Integer Row = 0, Pos = 0;
  bool NewRow = false;
  TRect FloatRect;
  bool Valid = false;

  void FindDocks(TWinControl* C)
  {
    // Depth first; among each control's children the docks by position before the rest.
    for (TTBDockPosition p : {dpTop, dpBottom, dpLeft, dpRight})
      for (int i = 0; i < C->ControlCount(); ++i)
        if (auto* d = dynamic_cast<TTBDock*>(C->Controls(i)); d && d->Position() == p)
          AddDock(d);
    for (int i = 0; i < C->ControlCount(); ++i) {
      TControl* child = C->Controls(i);
      if (dynamic_cast<TTBDock*>(child) || child == W)
        continue;
      if (auto* wc = dynamic_cast<TWinControl*>(child))
        FindDocks(wc);
    }
  }
  void AddDock(TTBDock* D)
  {
    for (auto& c : Docks)
      if (c.Dock == D)
        return;
    if (!D->Showing() || !D->AllowDrag() || !W->CanDockTo(D))
      return;
    // A dock inside the window itself would move with it.
    for (TControl* p = D->Parent(); p; p = p->Parent())
      if (p == W)
        return;
    TPoint content =
        W->DoArrange(false, (D->Position() == dpLeft || D->Position() == dpRight) ? dtLeftRight : dtTopBottom, false,
                     D);
    TPoint nc = W->GetDockedNCAreaSize(D);
    Docks.push_back({D, {content.X + nc.X, content.Y + nc.Y}});
  }

  // The pointer lies in the dock's zone.
  bool InZone(const TCandidate& C, TPoint P) const
  {
    TRect r = ScreenBoundsOf(C.Dock);
    r = {r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3};
    // A window one pixel wide or high has no proportion to keep: the grab counts as 0.
    Integer a = WindowSize.X > 1 ? MulDiv(25, Grab.X, WindowSize.X - 1) : 0;
    Integer b = WindowSize.Y > 1 ? MulDiv(25, Grab.Y, WindowSize.Y - 1) : 0;
    if (P.X < r.Left - (25 - a) || P.X >= r.Right + a)
      return false;
    bool lr = C.Dock->Position() == dpLeft || C.Dock->Position() == dpRight;
    if (lr && (P.Y < r.Top || P.Y >= r.Bottom))
      return false;
    if (P.Y < r.Top - (25 - b) || P.Y >= r.Bottom + b)
      return false;
    return Intersects(DockedRect(C, P), r);
  }
  TRect DockedRect(const TCandidate& C, TPoint P) const
  {
    Integer gx = WindowSize.X > 0 ? MulDiv(Grab.X, C.Size.X, WindowSize.X) : 0;
    Integer gy = WindowSize.Y > 0 ? MulDiv(Grab.Y, C.Size.Y, WindowSize.Y) : 0;
    return Bounds(P.X - gx, P.Y - gy, C.Size.X, C.Size.Y);
  }

  void Evaluate(TPoint P, bool Ctrl)
  {
    Target = nullptr;
    const TCandidate* cand = nullptr;
    if (!Ctrl)
      for (const TCandidate& c : Docks)
        if (InZone(c, P)) {
          bool accept = true;
          if (c.Dock->OnRequestDock)
            c.Dock->OnRequestDock(c.Dock, W, accept);
          if (accept) {
            cand = &c;
            break;
          }
        }
    Valid = true;
    if (!cand && W->FDockMode != dmCanFloat) {
      // It may not float: it stays where it started.
      Target = StartDock;
      ToFloat = StartFloating;
      Row = StartRow;
      Pos = StartPos;
      NewRow = false;
      if (StartDock && StartDock->FDragToolbar == W)
        StartDock->FDragSplitting = false;
      Valid = StartDock != nullptr;
      return;
    }
    if (!cand) {
      ToFloat = true;
      Integer gx = WindowSize.X > 0 ? MulDiv(Grab.X, FloatSize.X, WindowSize.X) : 0;
      Integer gy = WindowSize.Y > 0 ? MulDiv(Grab.Y, FloatSize.Y, WindowSize.Y) : 0;
      FloatRect = Bounds(P.X - gx, P.Y - gy, FloatSize.X, FloatSize.Y);
      return;
    }
    ToFloat = false;
    Target = cand->Dock;
    TTBDock* d = Target;
    bool horz = d->IsHorizontal();
    TRect dr = DockedRect(*cand, P);
    TPoint origin = d->ClientOrigin();
    Integer mid = horz ? (dr.Top + dr.Bottom) / 2 - origin.Y : (dr.Left + dr.Right) / 2 - origin.X;
    Pos = horz ? dr.Left - origin.X : dr.Top - origin.Y;

    // Moving within the row, once the pointer went 10 pixels along it.
    if (d == StartDock && SharedRow && !d->FDragSplitting) {
      Integer moved = horz ? P.X - StartPointer.X : P.Y - StartPointer.Y;
      if (std::abs(moved) >= 10 && RowAt(d, mid, NewRow) == StartEffectiveRow && !NewRow) {
        d->FDragSplitting = true;
        Screen().SetCursor(horz ? crSizeWE : crSizeNS);
      }
    }
    if (d->FDragSplitting && d == StartDock) {
      Row = W->FEffectiveDockRow >= 0 ? W->FEffectiveDockRow : StartEffectiveRow;
      NewRow = false;
    } else {
      Row = RowAt(d, mid, NewRow);
    }
  }

  // Walks the rows: the first quarter of a row inserts a new row before it, the middle
  // half joins it, the last quarter passes on (halves for full-size rows).
  Integer RowAt(TTBDock* D, Integer Mid, bool& NewRowOut) const
  {
    NewRowOut = false;
    Integer highest = D->GetHighestRow(true), offset = 0;
    for (Integer r = 0; r <= highest; ++r) {
      bool full = false;
      Integer s = D->GetRowSize(r, &full);
      if (s <= 0)
        continue;
      if (full || W->FFullSize) {
        if (Mid < offset + s / 2) {
          NewRowOut = true;
          return r;
        }
      } else if (Mid < offset + s / 4) {
        NewRowOut = true;
        return r;
      } else if (Mid < offset + s - s / 4) {
        return r;
      }
      offset += s;
    }
    NewRowOut = true;
    return highest + 1;
  }

  void Apply()
  {
    if (!Valid)
      return;
    if (ToFloat) {
      W->FFloatingPosition = {FloatRect.Left, FloatRect.Top};
      W->FFloatingPositionSet = true;
      if (!W->FFloating)
        W->SetFloating(true);
      else if (W->FFloatingWindowParent)
        W->FFloatingWindowParent->SetBounds(FloatRect.Left, FloatRect.Top, W->FFloatingWindowParent->Width(),
                                            W->FFloatingWindowParent->Height());
      W->MoveOnScreen(true);
      return;
    }
    if (!Target)
      return;
    W->FDockRow = Row;
    W->FDockPos = Pos;
    Target->FDragToolbar = W;
    Target->FDragNewRow = NewRow;
    if (W->FCurrentDock != Target || !W->FDocked)
      W->SetParent(Target);
    Target->FDragNewRow = NewRow;
    Target->FCommitNewPositions = true;
    Target->ArrangeToolbars();
  }

  // A cancelled drag: the window goes back where it started.
  void Restore()
  {
    Valid = true;
    Target = StartDock;
    ToFloat = StartFloating;
    Row = StartRow;
    Pos = StartPos;
    NewRow = false;
    FloatRect = Bounds(StartFloatPos.X, StartFloatPos.Y, FloatSize.X, FloatSize.Y);
    if (StartDock) {
      W->FDockRow = StartRow;
      W->FDockPos = StartPos;
      if (W->FCurrentDock != StartDock)
        W->SetParent(StartDock);
      StartDock->FDragSplitting = false;
      StartDock->ArrangeToolbars();
    } else if (StartFloating) {
      W->FFloatingPosition = StartFloatPos;
      if (!W->FFloating)
        W->SetFloating(true);
      else if (TTBFloatingWindowParent* p = W->FFloatingWindowParent.get())
        p->SetBounds(StartFloatPos.X, StartFloatPos.Y, p->Width(), p->Height());
    }
  }

  void ShowOutline()
  {
    if (!Valid)
      return;
    if (ToFloat) {
      TPoint b = W->GetFloatingBorderSize();
      Outline.Show(FloatRect, {b.X, b.Y});
    } else if (Target) {
      for (const TCandidate& c : Docks)
        if (c.Dock == Target)
          Outline.Show(DockedRect(c, GetCursorPos()), {1, 1});
    }
  }
};

void TTBCustomDockableWindow::BeginMoving(Integer InitX, Integer InitY)
{
  if (FDragMode)
    return;
  if (!((FDocked && FCurrentDock && FCurrentDock->AllowDrag()) || FFloating))
    return;
  TDragLoop d;
  d.W = this;
  d.StartDock = FDocked ? FCurrentDock : nullptr;
  d.StartRow = FDockRow;
  d.StartPos = FDockPos;
  d.StartEffectiveRow = FEffectiveDockRow;
  d.StartFloating = FFloating;
  d.StartFloatPos = FFloatingPosition;
  TPoint nc = NonClientSize();
  if (FFloating && FFloatingWindowParent) {
    TPoint fnc = FFloatingWindowParent->NonClientSize();
    d.WindowSize = {FFloatingWindowParent->Width(), FFloatingWindowParent->Height()};
    d.Grab = {std::clamp(InitX + fnc.X, 0, std::max(0, d.WindowSize.X - 1)),
              std::clamp(InitY + fnc.Y, 0, std::max(0, d.WindowSize.Y - 1))};
  } else {
    d.WindowSize = {Width(), Height()};
    d.Grab = {InitX + nc.X, InitY + nc.Y};
  }
  d.StartPointer = ClientToScreen({InitX, InitY});
  if (d.StartDock) {
    d.StartDock->FDragToolbar = this;
    d.StartDock->FDragSplitting = false;
    for (TTBCustomDockableWindow* o : d.StartDock->FDockVisibleList)
      d.SharedRow = d.SharedRow || (o != this && o->FEffectiveDockRow == FEffectiveDockRow);
    d.StartDock->FDragToolbarSharedRow = d.SharedRow;
  }
  // Candidate docks: only the current one when docks may not change.
  if (FDockMode == dmCannotFloatOrChangeDocks) {
    if (d.StartDock)
      d.AddDock(d.StartDock);
  } else {
    if (d.StartDock)
      d.AddDock(d.StartDock);
    if (TCustomForm* form = ParentFormOf())
      d.FindDocks(form);
    for (TCustomForm* f : FDockForms)
      d.FindDocks(f);
  }
  TPoint fc = DoArrange(false, dtFloating, true, nullptr);
  TPoint fn = GetFloatingNCAreaSize();
  d.FloatSize = {fc.X + fn.X, fc.Y + fn.Y};

  FDragMode = true;
  FCancelDrag = false;
  // moved: the pointer left the point it was pressed at (or Ctrl changed the target). A
  // press and a release with nothing between them is a click, and a click moves nothing.
  bool done = false, accepted = false, ctrl = false, moved = false;
  TPoint last = d.StartPointer;
  auto reevaluate = [&](TPoint p) {
    moved = true;
    d.Evaluate(p, ctrl);
    if (FSmoothDrag)
      d.Apply();
    else
      d.ShowOutline();
  };
  const std::vector<TInputEvent> later = RunCaptureLoop(done, [&](const TInputEvent& ev) {
    if (FCancelDrag) {
      done = true;
      return true;
    }
    switch (ev.Kind) {
    case TInputKind::MouseUp:
      if (ev.Button == mbLeft) {
        d.Evaluate(ev.ScreenPos, (ev.Shift & ssCtrl) != 0 || ctrl);
        moved = moved || !(ev.ScreenPos == d.StartPointer);
        accepted = true;
        done = true;
      }
      return true;
    case TInputKind::MouseDown:
    case TInputKind::MouseDblClick:
      if (ev.Button == mbLeft)
        done = true;
      return true;
    case TInputKind::MouseMove:
      ctrl = (ev.Shift & ssCtrl) != 0;
      if (!(ev.ScreenPos == last)) {
        last = ev.ScreenPos;
        reevaluate(ev.ScreenPos);
      }
      return true;
    case TInputKind::KeyDown:
      if (ev.Key == VK_ESCAPE) {
        done = true;
      } else if (ev.Key == VK_CONTROL) {
        ctrl = true;
        reevaluate(last);
      }
      return true;
    case TInputKind::KeyUp:
      if (ev.Key == VK_CONTROL) {
        ctrl = false;
        reevaluate(last);
      }
      return true;
    default: return true;
    }
  });
  if (Application && Application->Terminated())
    accepted = false;

  if (!moved) {
    // A click: nothing was applied on the way, and nothing is now.
  } else if (accepted && !FCancelDrag) {
    d.Apply();
  } else {
    d.Restore();
  }

  FDragMode = false;
  FCancelDrag = false;
  Screen().SetCursor(crDefault);
  for (const auto& c : d.Docks) {
    c.Dock->FDragToolbar = nullptr;
    c.Dock->FDragSplitting = false;
    c.Dock->FDragToolbarSharedRow = false;
    c.Dock->FDragNewRow = false;
  }
  if (d.StartDock) {
    d.StartDock->FDragToolbar = nullptr;
    d.StartDock->FDragSplitting = false;
  }
  if (FUseLastDock && FDocked && FCurrentDock)
    SetLastDock(FCurrentDock);
  FreeFloatingParentIfUnused();
  if (!FDocked) {
    FDockRow = d.StartRow;
    FDockPos = d.StartPos;
  }
  UpdateVisibility();
  ReplayButtons(later);
}

// ---------------------------------------------------------------------------------------
// Floating resize

void TTBCustomDockableWindow::BeginSizingLoop(TTBSizeHandle ASizeHandle, TPoint start)
{
  if (!FFloating || !FFloatingWindowParent || !FResizable)
    return;
  TTBFloatingWindowParent* p = FFloatingWindowParent.get();
  TRect orig = Bounds(p->Left(), p->Top(), p->Width(), p->Height());
  TRect work = GetRectOfMonitorContainingPoint(start, true);
  TSize frame = p->FrameSize();
  TRect current = orig;
  TDragOutline outline;
  TPoint b = GetFloatingBorderSize();
  ResizeBegin(ASizeHandle);
  bool done = false, accepted = false;
  auto track = [&](TPoint pt) {
    if (FDockableWindowStyles & tbdsResizeClipCursor)
      pt = {std::clamp(pt.X, work.Left, work.Right - 1), std::clamp(pt.Y, work.Top, work.Bottom - 1)};
    Integer dx = pt.X - start.X, dy = pt.Y - start.Y;
    TRect r = orig;
    bool left = ASizeHandle == twshLeft || ASizeHandle == twshTopLeft || ASizeHandle == twshBottomLeft;
    bool right = ASizeHandle == twshRight || ASizeHandle == twshTopRight || ASizeHandle == twshBottomRight;
    bool top = ASizeHandle == twshTop || ASizeHandle == twshTopLeft || ASizeHandle == twshTopRight;
    bool bottom = ASizeHandle == twshBottom || ASizeHandle == twshBottomLeft || ASizeHandle == twshBottomRight;
    if (left)
      r.Left = std::min(orig.Left + dx, orig.Right - frame.cx - 1);
    if (right)
      r.Right = std::max(orig.Right + dx, orig.Left + frame.cx + 1);
    if (top)
      r.Top = std::min(orig.Top + dy, orig.Bottom - frame.cy - 1);
    if (bottom)
      r.Bottom = std::max(orig.Bottom + dy, orig.Top + frame.cy + 1);
    ResizeTrack(r, orig);
    // Never smaller than 1 by 1, nor larger than 32767 by 32767.
    r.Right = std::clamp(r.Right, r.Left + 1, r.Left + 32767);
    r.Bottom = std::clamp(r.Bottom, r.Top + 1, r.Top + 32767);
    current = r;
    outline.Show(current, {b.X, b.Y});
  };
  const std::vector<TInputEvent> later = RunCaptureLoop(done, [&](const TInputEvent& ev) {
    if (FCancelDrag) {
      done = true;
      return true;
    }
    switch (ev.Kind) {
    case TInputKind::MouseMove: track(ev.ScreenPos); return true;
    case TInputKind::MouseUp:
      if (ev.Button == mbLeft) {
        track(ev.ScreenPos);
        accepted = true;
        done = true;
      }
      return true;
    case TInputKind::KeyDown:
      if (ev.Key == VK_ESCAPE)
        done = true;
      return true;
    default: return true;
    }
  });
  if (accepted && !FCancelDrag) {
    ResizeTrackAccept();
    FFloatingPosition = {current.Left, current.Top};
    p->SetBounds(current.Left, current.Top, current.Width(), current.Height());
    SetBounds(0, 0, std::max(0, current.Width() - frame.cx), std::max(0, current.Height() - frame.cy));
    MoveOnScreen(true);
  }
  FCancelDrag = false;
  ResizeEnd();
  ReplayButtons(later);
}
