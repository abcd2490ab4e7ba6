// The toolbar and its chevron: sizing from the view, the place-dependent chevron and wrap
// limits, hosted controls, the floating resize steps, the mouse, and the keyboard (item
// shortcuts for the whole form, accelerators, menu bars).
#include "toolbar/Toolbars.h"

#include <algorithm>
#include <cctype>

#include "platform/Forms.h"
#include "platform/SysSettings.h"
#include "toolbar/AccessibleItems.h"
#include "toolbar/KitHelpers.h"

const char* const STBChevronItemMoreButtonsHint = "More Buttons|";

namespace {

constexpr Integer ChevronSize = 12;

// Toolbars that answer shortcuts; the key hook lives while the list is not empty.
struct TShortCutState {
  std::vector<TTBCustomToolbar*> Toolbars;
  int Filter = 0;
  bool AltAlone = false;
};

TShortCutState& ShortCuts()
{
  // One for the process: the application has one key hook, which offers each shortcut to
  // the toolbars of the active form and of the main form in the order they registered.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static TShortCutState s;
  return s;
}

bool IsHorizontalDock(const TTBDock* D) { return D->Position() == dpTop || D->Position() == dpBottom; }

// The character of a key press: what it typed, else the letter or digit of its key.
char KeyChar(Word Key, char Char)
{
  if (Char != 0)
    return Char;
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))
    return static_cast<char>(std::tolower(Key));
  if (Key == VK_SUBTRACT || Key == 0xBD)
    return '-';
  return 0;
}

// The application's main form: the first form made.
TCustomForm* MainForm() { return Screen().FormCount() > 0 ? Screen().Forms(0) : nullptr; }

// Depth first through Parent's controls: the first toolbar that Offer accepts.
bool OfferToToolbars(TWinControl* Parent, const std::function<bool(TTBCustomToolbar*)>& Offer)
{
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    if (!c->Visible() || !c->Enabled())
      continue;
    if (auto* t = dynamic_cast<TTBCustomToolbar*>(c))
      if (Offer(t))
        return true;
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (OfferToToolbars(w, Offer))
        return true;
    // A menu bar floating away from a dock of this form is no child of it, yet still the
    // form's: the dock hands the key on to the windows of its list.
    if (auto* d = dynamic_cast<TTBDock*>(c))
      if (d->HandleKeyboardNotification([&](TTBCustomDockableWindow* w) {
            auto* t = dynamic_cast<TTBCustomToolbar*>(w);
            return t && Offer(t);
          }))
        return true;
  }
  return false;
}

bool KeyFilter(const TInputEvent& ev)
{
  TShortCutState& s = ShortCuts();
  if (ev.Kind == TInputKind::KeyUp) {
    // Alt pressed and released alone opens a menu bar.
    bool alone = ev.Key == VK_MENU && s.AltAlone;
    s.AltAlone = false;
    return alone && ToolbarsHandleKeyDown(0, ssAlt, 0);
  }
  if (ev.Kind != TInputKind::KeyDown)
    return false;
  if (ev.Key == VK_MENU) {
    s.AltAlone = true;
    // Alt shows the active form's menu bars their accelerators.
    if (TCustomForm* active = Screen().ActiveForm())
      OfferToToolbars(active, [](TTBCustomToolbar* t) {
        if (t->MenuBar())
          t->View()->ShowAccels();
        return false;
      });
    return false;
  }
  s.AltAlone = false;
  return ToolbarsHandleKeyDown(ev.Key, ev.Shift, ev.Char);
}

}   // namespace

Integer ShortCutToolbarCount() { return static_cast<Integer>(ShortCuts().Toolbars.size()); }
bool ShortCutHookInstalled() { return ShortCuts().Filter != 0; }

bool ToolbarsHandleKeyDown(Word Key, TShiftState Shift, char Char)
{
  std::vector<TTBCustomToolbar*> list = ShortCuts().Toolbars;
  TCustomForm* active = Screen().ActiveForm();
  TCustomForm* main = MainForm();
  auto listed = [](TTBCustomToolbar* t) {
    auto& l = ShortCuts().Toolbars;
    return std::find(l.begin(), l.end(), t) != l.end();
  };
  // Item shortcuts: the active form's toolbars first, then the main form's.
  if (Key != 0 && Key != VK_MENU) {
    TShortCut sc = ShortCut(Key, Shift);
    for (TCustomForm* form : {active, main != active ? main : nullptr}) {
      if (!form || !form->Enabled())
        continue;
      for (TTBCustomToolbar* t : list)
        if (listed(t) && t->ProcessShortCuts() && t->GetParentForm() == form && t->AcceptsShortCut(sc))
          return true;
    }
  }
  // Alt with a key, Alt alone or F10: the menu bar's system command, else the dialog
  // character of an ordinary toolbar.
  bool f10 = Key == VK_F10 && !(Shift & (ssShift | ssCtrl | ssAlt));
  bool alt = (Shift & ssAlt) && !(Shift & ssCtrl);
  if (!active || !(alt || f10))
    return false;
  char c = f10 ? 0 : KeyChar(Key, Char);
  if (Key != 0 && c == 0 && !f10)
    return false;
  if (OfferToToolbars(active, [&](TTBCustomToolbar* t) { return t->MenuBar() && t->SystemCommandKey(c); }))
    return true;
  if (c == 0)
    return false;
  return OfferToToolbars(active, [&](TTBCustomToolbar* t) { return !t->MenuBar() && t->DialogChar(c); });
}

// ---------------------------------------------------------------------------------------
// Chevron

namespace {
const char ChevronViewerClassToken = 0;
}

TTBChevronItem::TTBChevronItem(TTBCustomToolbar* AToolbar) : FToolbar(AToolbar)
{
  SetItemStyle(ItemStyle() | tbisSubmenu | tbisNoAutoOpen);
  SetHint(STBChevronItemMoreButtonsHint);
  SetCaption(EscapeAmpersands(GetShortHint(STBChevronItemMoreButtonsHint)));
}

TTBView* TTBChevronItem::GetChevronParentView() { return FToolbar ? FToolbar->View() : nullptr; }

std::unique_ptr<TTBItemViewer> TTBChevronItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBChevronItemViewer>(AView, this, AGroupLevel);
}

const void* TTBChevronItem::GetItemViewerClass(TTBView*) const { return &ChevronViewerClassToken; }
const void* TTBChevronItemViewer::ViewerClass() const { return &ChevronViewerClassToken; }

void TTBChevronItemViewer::Paint(TCanvas& Canvas, const TRect& R, bool IsSelected, bool IsPushed, bool)
{
  bool enabled = Item()->Enabled();
  if (enabled && (IsSelected || IsPushed)) {
    TRect e = R;
    if (IsPushed)
      Canvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
    else if (!View()->Customizing())
      Canvas.DrawEdge(e, BDR_RAISEDINNER, BF_RECT);
  }
  // A double arrow: right-pointing on a horizontal bar, down-pointing on a vertical one.
  static const Byte horz[8] = {0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};
  static const Byte vert[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};
  bool vertical = View()->Orientation() == voVertical;
  const Byte* rows = vertical ? vert : horz;
  Integer x = vertical ? R.Right - 9 : R.Left + 2;
  Integer y = vertical ? R.Top + 2 : R.Top + 4;
  if (IsPushed) {
    ++x;
    ++y;
  }
  auto glyph = [&](Integer gx, Integer gy, TColor c) {
    TColor rgb = ColorToRGB(c);
    for (Integer row = 0; row < 8; ++row)
      for (Integer col = 0; col < 8; ++col)
        if (rows[row] & (0x80 >> col))
          Canvas.SetPixel(gx + col, gy + row, rgb);
  };
  if (enabled) {
    glyph(x, y, clBtnText);
  } else {
    glyph(x + 1, y + 1, clBtnHighlight);
    glyph(x, y, clBtnShadow);
  }
}

// ---------------------------------------------------------------------------------------
// Toolbar view

TTBToolbarView::TTBToolbarView(TTBCustomToolbar* AToolbar)
    : TTBView(nullptr, AToolbar->Items(), AToolbar, true, false, !AToolbar->HasState(csDesigning)), FToolbar(AToolbar)
{
  BackgroundColor = clBtnFace;
}

void TTBToolbarView::AutoSize(Integer, Integer) { FToolbar->FBaseSize = BaseSize; }

void TTBToolbarView::DoUpdatePositions(TPoint& ASize)
{
  FToolbar->SetCurrentSize(0);
  TTBView::DoUpdatePositions(ASize);
  // A full-size bar reaches to the wrap limit.
  if (FToolbar->FullSize()) {
    if (Orientation() == voVertical)
      ASize.Y = std::max(ASize.Y, WrapOffset);
    else
      ASize.X = std::max(ASize.X, WrapOffset);
  }
  // A layout of the view's own (items came or went): the toolbar follows it.
  if (!FToolbar->FInArrange && FToolbar->AutoResized() && PositionsValid())
    FToolbar->Arrange();
}

TTBCustomItem* TTBToolbarView::GetChevronItem() { return FToolbar->ChevronItem(); }

TFont& TTBToolbarView::GetFont() { return FToolbar->SystemFont() ? TTBView::GetFont() : FToolbar->Font(); }

void TTBToolbarView::InvalidatePositions()
{
  FToolbar->SetCurrentSize(0);
  TTBView::InvalidatePositions();
}

// ---------------------------------------------------------------------------------------
// Toolbar: life

struct TTBCustomToolbar::TFloatingSizes {
  TTBSizeHandle Side = twshRight;
  TPoint Origin;
  Integer OrigRightX = 0;
  std::vector<TPoint> Sizes;   // largest first
  TPoint Unwrapped;            // the one size laid out without a wrap limit
  Integer Snap = 12;
  bool Changed = false;
  Integer LastSign = 0;
  Integer CandidateWrap = 0;
  bool HasCandidate = false;
};

TTBCustomToolbar::TTBCustomToolbar() : TTBCustomToolbar(TTBToolbarClasses{}) {}

TTBCustomToolbar::TTBCustomToolbar(const TTBToolbarClasses& Classes) { Construct(Classes); }

void TTBCustomToolbar::Construct(const TTBToolbarClasses& Classes)
{
  SetControlStyle((ControlStyle() | csAcceptsControls | csActionClient) & ~csCaptureMouse);
  SetDockableWindowStyles(DockableWindowStyles() & ~(tbdsResizeEightCorner | tbdsResizeClipCursor));
  FItems = Classes.ItemClass ? Classes.ItemClass() : std::make_unique<TTBRootItem>();
  FItems->SetParentComponent(this);
  FChevronItem = Classes.ChevronClass ? Classes.ChevronClass(this) : std::make_unique<TTBChevronItem>(this);
  FChevronItem->SetLinkSubitems(FItems.get());
  FChevronHint = STBChevronItemMoreButtonsHint;
  FView = Classes.ViewClass ? Classes.ViewClass(this) : std::make_unique<TTBToolbarView>(this);
  // The view's own construction could not see the chevron yet.
  FView->RecreateAllViewers();
  TBAccExposeView(this, FView.get());
  SetColor(clBtnFace);
  SetBounds(Left(), Top(), 23, 22);
  // A bar that draws in its own font lays itself out again when that font changes,
  // however it is changed.
  Font().OnChange = [this](TFont*) {
    if (!FSystemFont && FView) {
      FView->InvalidatePositions();
      Arrange();
    }
  };
  // A change of the desktop's settings may bring another menu font: the bar takes it and
  // lays itself out again.
  FSettingsHandler = AddSettingsChangeHandler([this] {
    UpdateMenuFont();
    if (FView) {
      FView->InvalidatePositions();
      Arrange();
    }
  });
}

TTBCustomToolbar::~TTBCustomToolbar()
{
  BeforeDestruction();
  RemoveSettingsChangeHandler(FSettingsHandler);
  TBAccExposeView(this, nullptr);
  FProcessShortCuts = false;
  FMenuBar = false;
  UpdateShortCutInstallation();
  FSizing.reset();
  FView.reset();
  FChevronItem.reset();
  FItems.reset();
  DestroyHandle();
}

void TTBCustomToolbar::Loaded()
{
  // Child controls not hosted yet become control items at the end of the bar.
  std::vector<TControl*> controls;
  for (int i = 0; i < ControlCount(); ++i)
    if (!FindControlItem(Controls(i)))
      controls.push_back(Controls(i));
  for (TControl* c : controls)
    FItems->Add(std::make_unique<TTBControlItem>(c));
  TTBCustomDockableWindow::Loaded();
  if (FMenuBar)
    SetMenuBar(true);
  UpdateShortCutInstallation();
}

TTBControlItem* TTBCustomToolbar::FindControlItem(TControl* Control) const
{
  for (Integer i = 0; i < FItems->Count(); ++i)
    if (auto* ci = dynamic_cast<TTBControlItem*>(FItems->Items(i)))
      if (ci->Control() == Control)
        return ci;
  return nullptr;
}

std::vector<TWinControl*> TTBCustomToolbar::TabOrderList() const
{
  std::vector<TWinControl*> list = TTBCustomDockableWindow::TabOrderList();
  std::erase_if(list, [this](TWinControl* c) {
    if (FItems && FindControlItem(c))
      return true;
    if (FView)
      for (Integer i = 0; i < FView->ViewerCount(); ++i)
        if (auto* ci = dynamic_cast<TTBControlItem*>(FView->Viewers(i)->Item()); ci && ci->Control() == c)
          return true;
    return false;
  });
  return list;
}

void TTBCustomToolbar::ControlInserted(TControl* Control)
{
  TTBCustomDockableWindow::ControlInserted(Control);
  if (HasState(csLoading) || HasState(csDestroying) || !FItems || FindControlItem(Control))
    return;
  FItems->Add(std::make_unique<TTBControlItem>(Control));
}

void TTBCustomToolbar::ControlRemoved(TControl* Control)
{
  TTBCustomDockableWindow::ControlRemoved(Control);
  if (!FItems || HasState(csDestroying) || (FView && FView->ControlLent(Control)))
    return;
  // The item goes; the control stays with its owner.
  while (TTBControlItem* ci = FindControlItem(Control)) {
    ci->SetKeepControl(true);
    FItems->Remove(ci);
  }
}

void TTBCustomToolbar::Notification(TComponent* AComponent, TOperation Operation)
{
  TTBCustomDockableWindow::Notification(AComponent, Operation);
}

// ---------------------------------------------------------------------------------------
// Properties

void TTBCustomToolbar::BeginUpdate() { FView->BeginUpdate(); }
void TTBCustomToolbar::EndUpdate() { FView->EndUpdate(); }

void TTBCustomToolbar::SetChevronMoveItems(bool Value)
{
  if (Value == FChevronMoveItems)
    return;
  FChevronMoveItems = Value;
  FView->SetUsePriorityList(Value && !HasState(csDesigning));
}

void TTBCustomToolbar::SetChevronHint(const std::string& Value)
{
  FChevronHint = Value;
  FChevronItem->SetHint(Value);
  FChevronItem->SetCaption(EscapeAmpersands(GetShortHint(Value)));
}

void TTBCustomToolbar::SetShrinkMode(TTBShrinkMode Value)
{
  if (Value == FShrinkMode)
    return;
  FShrinkMode = Value;
  FView->InvalidatePositions();
  if (Docked() && CurrentDock())
    CurrentDock()->ArrangeToolbars();
  else if (!Floating())
    Arrange();
}

void TTBCustomToolbar::SetMenuBar(bool Value)
{
  if (!HasState(csLoading)) {
    SetFullSize(Value);
    SetShrinkMode(Value ? tbsmWrap : tbsmChevron);
    SetCloseButton(!Value);
    SetProcessShortCuts(Value);
  }
  FMenuBar = Value;
  SetControlStyle(Value ? ControlStyle() | csMenuEvents : ControlStyle() & ~csMenuEvents);
  FView->MenuBar = Value;
  FView->HideAccelsUntilKeyboard = Value;
  UpdateShortCutInstallation();
  FView->InvalidatePositions();
  if (!HasState(csLoading))
    Arrange();
}

void TTBCustomToolbar::SetProcessShortCuts(bool Value)
{
  if (Value == FProcessShortCuts)
    return;
  FProcessShortCuts = Value;
  UpdateShortCutInstallation();
}

void TTBCustomToolbar::SetSystemFont(bool Value)
{
  if (Value == FSystemFont)
    return;
  FSystemFont = Value;
  FView->InvalidatePositions();
  Arrange();
}

void TTBCustomToolbar::SetFont(const TFont& Value) { Font().Assign(Value); }

void TTBCustomToolbar::SetShowHint(bool Value)
{
  TControl::SetShowHint(Value);
  FView->ShowHintsForAll = Value;
}

void TTBCustomToolbar::SetFloatingRightX(Integer Value)
{
  if (Value == FFloatingRightX)
    return;
  FFloatingRightX = std::max(0, Value);
  if (Floating())
    Arrange();
}

void TTBCustomToolbar::InitiateActions()
{
  if (FUpdateActions)
    FView->InitiateActions();
}

void TTBCustomToolbar::UpdateShortCutInstallation()
{
  bool want = (FProcessShortCuts || FMenuBar) && !HasState(csDesigning) && !HasState(csDestroying);
  if (HasState(csDestroying))
    want = false;
  if (want == FShortCutsInstalled)
    return;
  TShortCutState& s = ShortCuts();
  FShortCutsInstalled = want;
  if (want) {
    s.Toolbars.push_back(this);
    if (s.Filter == 0)
      s.Filter = AddInputFilter(KeyFilter);
  } else {
    s.Toolbars.erase(std::remove(s.Toolbars.begin(), s.Toolbars.end(), this), s.Toolbars.end());
    if (s.Toolbars.empty() && s.Filter != 0) {
      RemoveInputFilter(s.Filter);
      s.Filter = 0;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Layout

TTBViewOrientation TTBCustomToolbar::OrientationFor(TTBDock* ADock, bool AFloating) const
{
  if (AFloating)
    return voFloating;
  if (ADock)
    return IsHorizontalDock(ADock) ? voHorizontal : voVertical;
  return voHorizontal;
}

TPoint TTBCustomToolbar::NCSizeFor(TTBDock* ADock) const { return ADock ? GetDockedNCAreaSize(ADock) : TPoint{0, 0}; }

void TTBCustomToolbar::OffsetsFor(TTBDock* ADock, bool AFloating, Integer& AChevronOffset, Integer& AWrapOffset)
{
  AChevronOffset = 0;
  AWrapOffset = 0;
  if (AFloating) {
    AWrapOffset = FloatingWrapOffset(FFloatingRightX);
    return;
  }
  if (ADock) {
    TPoint nc = NCSizeFor(ADock);
    bool horz = IsHorizontalDock(ADock);
    if (FShrinkMode == tbsmChevron && Docked() && ADock == CurrentDock())
      AChevronOffset = std::max(0, CurrentSize() - (horz ? nc.X : nc.Y));
    if (FShrinkMode == tbsmWrap) {
      TPoint lines = ADock->BoundLinesExtent();
      AWrapOffset = horz ? ADock->Width() - lines.X - nc.X : ADock->Height() - lines.Y - nc.Y;
      AWrapOffset = std::max(0, AWrapOffset);
    }
    return;
  }
  // Placed in a control: a bar that follows its content never shrinks; one of fixed
  // width, or held at both sides, cuts or wraps at its own width.
  if (AutoResize() && (Anchors() & (akLeft | akRight)) != (akLeft | akRight))
    return;
  Integer w = std::max(0, ClientWidth());
  if (FShrinkMode == tbsmChevron)
    AChevronOffset = w;
  else if (FShrinkMode == tbsmWrap)
    AWrapOffset = w;
}

Integer TTBCustomToolbar::FloatingWrapOffset(Integer RightX)
{
  // The view wraps its items' right edges; the floating width counts its right margin too.
  if (RightX <= 0)
    return 0;
  TTBMargins m;
  FView->GetMargins(voFloating, m);
  return std::max(1, RightX - m.Right);
}

void TTBCustomToolbar::SetViewProperties()
{
  TTBDock* dock = Docked() ? CurrentDock() : nullptr;
  FView->SetOrientation(OrientationFor(dock, Floating()));
  FView->ChevronSize = ChevronSize;
  OffsetsFor(dock, Floating(), FView->ChevronOffset, FView->WrapOffset);
}

TPoint TTBCustomToolbar::DoArrange(bool CanMoveControls, TTBDockType, bool NewFloating, TTBDock* NewDock)
{
  if (CanMoveControls) {
    bool was = FInArrange;
    FInArrange = true;
    struct TRestore {
      bool& F;
      bool V;
      ~TRestore() { F = V; }
    } restore{FInArrange, was};
    SetViewProperties();
    TPoint size;
    FView->DoUpdatePositions(size);
    return size;
  }
  // A trial for another place (dragging, or the dock asking): positions only.
  TTBDock* dock = NewFloating ? nullptr : NewDock;
  Integer chevron = 0, wrap = 0;
  OffsetsFor(dock, NewFloating, chevron, wrap);
  TPoint base;
  Integer lines = 0;
  TPoint size =
      FView->CalculatePositions(false, OrientationFor(dock, NewFloating), wrap, chevron, ChevronSize, base, lines);
  if (FullSize() && dock && FShrinkMode == tbsmWrap) {
    if (IsHorizontalDock(dock))
      size.X = std::max(size.X, wrap);
    else
      size.Y = std::max(size.Y, wrap);
  }
  return size;
}

void TTBCustomToolbar::GetBaseSize(TPoint& ASize)
{
  // Everything shown: the length a dock row would give the bar without cutting it.
  TTBDock* dock = Docked() ? CurrentDock() : nullptr;
  TPoint base;
  Integer lines = 0;
  ASize = FView->CalculatePositions(false, OrientationFor(dock, Floating()),
                                    Floating() ? FloatingWrapOffset(FFloatingRightX) : 0, 0, ChevronSize, base, lines);
}

void TTBCustomToolbar::GetMinShrinkSize(Integer& AMinimumSize)
{
  FView->ValidatePositions();
  TTBItemViewer* v = FView->FirstShownNonSeparator();
  if (!v)
    return;
  TTBDock* dock = Docked() ? CurrentDock() : nullptr;
  TPoint nc = NCSizeFor(dock);
  bool vertical = dock && !IsHorizontalDock(dock);
  AMinimumSize = (vertical ? v->BoundsRect.Height() + nc.Y : v->BoundsRect.Width() + nc.X) + ChevronSize;
}

void TTBCustomToolbar::SizeChanging(Integer AWidth, Integer)
{
  // A bar placed in a control cuts or wraps at its width: a new width lays it out again.
  if (FInArrange || Docked() || Floating() || !FView)
    return;
  Integer chevron = 0, wrap = 0;
  OffsetsFor(nullptr, false, chevron, wrap);
  (void)AWidth;
  if (chevron != FView->ChevronOffset || wrap != FView->WrapOffset) {
    FView->InvalidatePositions();
    Arrange();
  }
}

bool TTBCustomToolbar::DragStartAllowed(TPoint P)
{
  if (!TTBCustomDockableWindow::DragStartAllowed(P))
    return false;
  TTBItemViewer* v = FView->ViewerFromPoint(P);
  return !(v && !(v->Item()->ItemStyle() & tbisClickThrough));
}

// ---------------------------------------------------------------------------------------
// Floating resize: the bar takes only the sizes its wrapped layouts give.

void TTBCustomToolbar::ResizeBegin(TTBSizeHandle ASizeHandle)
{
  FSizing = std::make_unique<TFloatingSizes>();
  TFloatingSizes& s = *FSizing;
  s.Side = ASizeHandle;
  s.Origin = ClientToScreen({0, 0});
  s.OrigRightX = FFloatingRightX;
  std::vector<std::pair<TPoint, Integer>> found;
  TPoint base;
  Integer lines = 0;
  auto trial = [&](Integer wrap) {
    return FView->CalculatePositions(false, voFloating, FloatingWrapOffset(wrap), 0, ChevronSize, base, lines);
  };
  TPoint full = trial(0);
  found.emplace_back(full, lines);
  TTBMargins m;
  FView->GetMargins(voFloating, m);
  Integer limit = full.X - 1;
  while (limit > m.Left + m.Right) {
    TPoint sz = trial(limit);
    if (sz.X > limit)
      break;
    if (sz.X == limit) {
      if (lines == found.back().second)
        found.back() = {sz, lines};
      else
        found.emplace_back(sz, lines);
      --limit;
    } else {
      limit = sz.X;
    }
  }
  FFloatingRightX = s.OrigRightX;
  TPoint nc = GetFloatingNCAreaSize();
  bool byHeight = ASizeHandle == twshTop || ASizeHandle == twshBottom;
  for (auto& f : found)
    s.Sizes.push_back({f.first.X + nc.X, f.first.Y + nc.Y});
  s.Unwrapped = s.Sizes.front();
  std::stable_sort(s.Sizes.begin(), s.Sizes.end(),
                   [&](const TPoint& a, const TPoint& b) { return byHeight ? a.Y > b.Y : a.X > b.X; });
  // Snapping never reaches past the neighbouring sizes.
  TPoint cur{Width() + nc.X, Height() + nc.Y};
  for (size_t i = 0; i < s.Sizes.size(); ++i) {
    if (!(s.Sizes[i] == cur))
      continue;
    auto key = [&](const TPoint& p) { return byHeight ? p.Y : p.X; };
    if (i > 0)
      s.Snap = std::min(s.Snap, key(s.Sizes[i - 1]) - key(cur) - 1);
    if (i + 1 < s.Sizes.size())
      s.Snap = std::min(s.Snap, key(cur) - key(s.Sizes[i + 1]) - 1);
    s.Snap = std::max(0, s.Snap);
    break;
  }
}

void TTBCustomToolbar::ResizeTrack(TRect& Rect, const TRect& OrigRect)
{
  if (!FSizing || FSizing->Sizes.empty())
    return;
  TFloatingSizes& s = *FSizing;
  bool byWidth = s.Side == twshLeft || s.Side == twshRight;
  Integer start = byWidth ? OrigRect.Width() : OrigRect.Height();
  Integer ext = 0;
  switch (s.Side) {
  case twshLeft: ext = OrigRect.Right - Rect.Left; break;
  case twshTop: ext = OrigRect.Bottom - Rect.Top; break;
  case twshBottom: ext = Rect.Bottom - OrigRect.Top; break;
  default: ext = Rect.Right - OrigRect.Left; break;
  }
  Integer sign = ext > start ? 1 : (ext < start ? -1 : 0);
  if (sign != s.LastSign && s.LastSign != 0)
    s.Changed = false;
  s.LastSign = sign;
  if (!s.Changed && std::abs(ext - start) <= s.Snap)
    ext = start;
  auto key = [&](const TPoint& p) { return byWidth ? p.X : p.Y; };
  Integer n = static_cast<Integer>(s.Sizes.size());
  Integer idx = -1;
  if (ext > start) {
    for (Integer i = n - 1; i >= 0 && idx < 0; --i)
      if (key(s.Sizes[static_cast<size_t>(i)]) > ext)
        idx = i;
    if (idx < 0)
      idx = 0;
  } else if (ext < start) {
    for (Integer i = 0; i < n && idx < 0; ++i)
      if (key(s.Sizes[static_cast<size_t>(i)]) <= ext)
        idx = i;
    if (idx < 0)
      idx = n - 1;
  } else {
    Rect = OrigRect;
    s.HasCandidate = false;
    return;
  }
  TPoint size = s.Sizes[static_cast<size_t>(idx)];
  if (size.X != OrigRect.Width() || size.Y != OrigRect.Height())
    s.Changed = true;
  Rect = OrigRect;
  if (s.Side == twshLeft)
    Rect.Left = Rect.Right - size.X;
  else
    Rect.Right = Rect.Left + size.X;
  if (s.Side == twshTop)
    Rect.Top = Rect.Bottom - size.Y;
  else
    Rect.Bottom = Rect.Top + size.Y;
  // Only the layout without a wrap limit takes no limit; sorted by height, the first size is
  // the tallest, the narrowest column, and needs its width as the limit.
  s.CandidateWrap = size == s.Unwrapped ? 0 : size.X - 2 * GetFloatingBorderSize().X;
  s.HasCandidate = true;
}

void TTBCustomToolbar::ResizeTrackAccept()
{
  if (!FSizing || !FSizing->HasCandidate)
    return;
  FFloatingRightX = FSizing->CandidateWrap;
  if (Floating())
    Arrange();
}

void TTBCustomToolbar::ResizeEnd() { FSizing.reset(); }

// ---------------------------------------------------------------------------------------
// Position data

void TTBCustomToolbar::ReadPositionData(const TTBPositionReadIntProc& ReadIntProc)
{
  TTBCustomDockableWindow::ReadPositionData(ReadIntProc);
  if (ReadIntProc)
    SetFloatingRightX(ReadIntProc(Name(), "FloatRightX", FFloatingRightX));
}

void TTBCustomToolbar::WritePositionData(const TTBPositionWriteIntProc& WriteIntProc)
{
  TTBCustomDockableWindow::WritePositionData(WriteIntProc);
  if (WriteIntProc)
    WriteIntProc(Name(), "FloatRightX", FFloatingRightX);
}

// ---------------------------------------------------------------------------------------
// Painting and the mouse

void TTBCustomToolbar::Paint() { FView->DrawSubitems(Canvas()); }

bool TTBCustomToolbar::GetHintInfo(TPoint ClientPos, std::string& Hint, TRect& HintArea)
{
  if (FView && ShowHint())
    if (TTBItemViewer* v = FView->ViewerFromPoint(ClientPos); v && !v->BoundsRect.IsEmpty()) {
      HintArea = v->BoundsRect;
      Hint = v->GetHint();
      return !Hint.empty();
    }
  return TTBCustomDockableWindow::GetHintInfo(ClientPos, Hint, HintArea);
}

void TTBCustomToolbar::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TTBCustomDockableWindow::MouseMove(Shift, X, Y);
  if (HasState(csDesigning) || FView->InModalLoop || DragMode())
    return;
  if (!ClientRect().Contains({X, Y})) {
    // Over the frame: no item is hot.
    ClearHover();
    SetHint("");
    return;
  }
  TPoint sp = ClientToScreen({X, Y});
  FView->UpdateSelection(&sp, true);
  TTBItemViewer* v = FView->Selected();
  SetHint(v ? v->Item()->Hint() : std::string());
  // The hint window follows the pointer from item to item (GetHintInfo gives each item's
  // own rectangle).
  if (ShowHint())
    HintMouseMessage(this, sp);
  // A hovered viewer may want its own cursor (an edit box); elsewhere the frame's rule.
  TCursor cursor = crDefault;
  if (v)
    v->GetCursor({X - v->BoundsRect.Left, Y - v->BoundsRect.Top}, cursor);
  if (cursor != crDefault || FViewerCursor)
    SetCursor(cursor);
  FViewerCursor = cursor != crDefault;
  if (v)
    v->MouseMove(X - v->BoundsRect.Left, Y - v->BoundsRect.Top);
}

void TTBCustomToolbar::ClearHover()
{
  if (GetCaptureControl() == this || FView->InModalLoop)
    return;
  FView->UpdateSelection(nullptr, false);
}

void TTBCustomToolbar::MouseLeave()
{
  TTBCustomDockableWindow::MouseLeave();
  if (!FMouseDownLoop)
    ClearHover();
  if (ShowHint())
    HintMouseMessage(nullptr, {});
}

void TTBCustomToolbar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TWinControl* oldParent = Parent();
  TTBCustomDockableWindow::MouseDown(Button, Shift, X, Y);
  if (Parent() != oldParent || Button != mbLeft || HasState(csDesigning) || FView->InModalLoop)
    return;
  TTBItemViewer* v = FView->ViewerFromPoint({X, Y});
  if (!v || (v->Item()->ItemStyle() & tbisClickThrough))
    return;
  FView->Select(v, true);
  FMouseDownLoop = true;
  struct TEnd {
    bool& F;
    ~TEnd() { F = false; }
  } end{FMouseDownLoop};
  FView->EnterToolbarLoop(tbetMouseDown);
}

// ---------------------------------------------------------------------------------------
// Keyboard

bool TTBCustomToolbar::AcceptsShortCut(TShortCut ShortCut)
{
  bool handled = false;
  if (OnShortCut)
    OnShortCut(this, ShortCut, handled);
  if (handled)
    return true;
  Word key = ShortCut & 0x0FFF;
  TShiftState shift =
      ((ShortCut & scShift) ? ssShift : 0) | ((ShortCut & scCtrl) ? ssCtrl : 0) | ((ShortCut & scAlt) ? ssAlt : 0);
  return FItems->IsShortCut(key, shift);
}

bool TTBCustomToolbar::KeyboardOpen(char Key, bool RequirePrimaryAccel)
{
  auto showAccels = [&](bool v) {
    if (FView->AccelsVisible != v) {
      FView->AccelsVisible = v;
      Invalidate();
    }
  };
  FView->ValidatePositions();
  showAccels(true);
  if (Key == 0) {
    TTBItemViewer* first = FView->FirstSelectable();
    if (!first)
      return false;
    FView->Select(first, false);
    FView->EnterToolbarLoop(0);
    return true;
  }
  bool isOnly = false;
  TTBItemViewer* v = FView->FindAccelViewer(nullptr, Key, isOnly, RequirePrimaryAccel);
  bool acted = false;
  if (v && v->Item()->Enabled()) {
    if (isOnly) {
      FView->Select(v, false);
      FView->EnterToolbarLoop(tbetExecuteSelected);
      acted = true;
    } else if (FMenuBar) {
      FView->Select(v, false);
      FView->EnterToolbarLoop(0);
      acted = true;
    }
  }
  if (v)
    showAccels(false);
  return acted;
}

bool TTBCustomToolbar::SystemCommandKey(char Key)
{
  if (!FMenuBar || !Enabled() || !Visible() || Key == ' ' || GetCaptureControl())
    return false;
  if (KeyboardOpen(Key, false))
    return true;
  if (Key == '-')
    return false;
  MessageBeep(0);
  return true;
}

bool TTBCustomToolbar::DialogChar(char Key)
{
  if (FMenuBar || !Enabled() || !Visible() || Key == 0)
    return false;
  return KeyboardOpen(Key, true);
}
