// The platform's own controls, as a screen reader should read them: a role from the kind of
// control, a name from its caption, the label beside it or its hint, a value where it holds
// one, the text of the boxes that hold text (with the caret), the entries of a drop-down
// list as selectable children, and the actions a user can take on it.
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/AccessibleQt.h"
#include "platform/CodePages.h"
#include "platform/ComCtrls.h"
#include "platform/Controls.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "platform/ScrollBar.h"
#include "platform/StdCtrls.h"

using namespace accessible;

namespace {

int EntryCount(const TComboBox* c) { return static_cast<int>(c->Items().size()); }

std::string StripAccelerator(const std::string& s)
{
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size())
      ++i;
    else if (s[i] == '&')
      continue;
    out += s[i];
  }
  return out;
}

bool ShowsCaption(TControl* c)
{
  return dynamic_cast<TButton*>(c) || dynamic_cast<TSpeedButton*>(c) || dynamic_cast<TMarkControl*>(c)
         || dynamic_cast<TLabel*>(c) || dynamic_cast<TCustomForm*>(c) || dynamic_cast<TPanel*>(c);
}

// A caption that labels a neighbour: a label's, or a panel's that holds nothing else.
bool IsLabelLike(TControl* c)
{
  if (dynamic_cast<TLabel*>(c))
    return true;
  auto* p = dynamic_cast<TPanel*>(c);
  return p && p->ControlCount() == 0 && !p->Caption().empty();
}

// The label nearest to the left on the control's row, else the one just above it.
TControl* LabelBeside(TControl* c)
{
  TWinControl* parent = c->Parent();
  if (!parent)
    return nullptr;
  // An up-down names itself after what labels the box it steps.
  TRect r = c->BoundsRect();
  if (auto* ud = dynamic_cast<TUpDown*>(c); ud && ud->Associate() && ud->Associate()->Parent() == parent) {
    TRect a = ud->Associate()->BoundsRect();
    r = {std::min(r.Left, a.Left), std::min(r.Top, a.Top), std::max(r.Right, a.Right), std::max(r.Bottom, a.Bottom)};
  }
  TControl* best = nullptr;
  int bestDistance = INT_MAX;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* l = parent->Controls(i);
    // (A control hidden with its label still goes by it.)
    if (l == c || l->Visible() != c->Visible() || !dynamic_cast<TLabel*>(l) || l->Caption().empty())
      continue;
    TRect b = l->BoundsRect();
    int distance = INT_MAX;
    // (A label may reach under the control it names: it starts to its left.)
    if (b.Top < r.Bottom && r.Top < b.Bottom && b.Left < r.Left)
      distance = std::max(r.Left - b.Right, 0);
    else if (b.Left < r.Right && r.Left < b.Right && b.Bottom <= r.Top + 2 && r.Top - b.Bottom <= 8)
      distance = r.Top - b.Bottom;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = l;
    }
  }
  return best;
}

// The up-down that steps a box, when one does.
TUpDown* StepperOf(TControl* box)
{
  TWinControl* parent = box->Parent();
  for (int i = 0; parent && i < parent->ControlCount(); ++i)
    if (auto* ud = dynamic_cast<TUpDown*>(parent->Controls(i)); ud && ud->Associate() == box)
      return ud;
  return nullptr;
}

// A box with an up-down beside it is a number box: one control, as readers know a spin box,
// that holds the value and takes the steps; the arrows beside it are no control of their own.
TUpDown* NumberBoxStepper(TControl* c) { return dynamic_cast<TEdit*>(c) ? StepperOf(c) : nullptr; }

bool ArrowsOfANumberBox(TControl* c)
{
  auto* ud = dynamic_cast<TUpDown*>(c);
  return ud && NumberBoxStepper(ud->Associate()) == ud;
}

std::string ControlName(TControl* c)
{
  if (!c->AccessibleName().empty())
    return c->AccessibleName();
  // A status bar's name is what it says now, as readers expect of one.
  if (auto* bar = dynamic_cast<TStatusBar*>(c))
    return bar->SimpleText();
  if (ShowsCaption(c) && !c->Caption().empty())
    return StripAccelerator(c->Caption());
  if (TControl* l = LabelBeside(c))
    return StripAccelerator(l->Caption());
  // A number box goes by what its arrows go by.
  if (TUpDown* ud = StepperOf(c))
    return ControlName(ud);
  // A hint shows "&&" as "&".
  return StripAccelerator(GetShortHint(c->Hint()));
}

QAccessible::Role ControlRole(TControl* c)
{
  if (dynamic_cast<TButton*>(c) || dynamic_cast<TSpeedButton*>(c))
    return QAccessible::PushButton;
  if (dynamic_cast<TCheckBox*>(c))
    return QAccessible::CheckBox;
  if (dynamic_cast<TRadioButton*>(c))
    return QAccessible::RadioButton;
  if (dynamic_cast<TUpDown*>(c) || NumberBoxStepper(c))
    return QAccessible::SpinBox;
  // A scroll bar that Tab passes by scrolls the view it stands beside, as a stock scroll bar
  // does; one that Tab stops at sets a value of its own (an angle, a size), as a slider.
  if (auto* b = dynamic_cast<TScrollBar*>(c))
    return b->TabStop() ? QAccessible::Slider : QAccessible::ScrollBar;
  if (dynamic_cast<TTrackBar*>(c))
    return QAccessible::Slider;
  if (dynamic_cast<TEdit*>(c) || dynamic_cast<TMemo*>(c))
    return QAccessible::EditableText;
  if (dynamic_cast<TComboBox*>(c))
    return QAccessible::ComboBox;
  if (dynamic_cast<TListBox*>(c))
    return QAccessible::List;
  if (dynamic_cast<TStatusBar*>(c))
    return QAccessible::StatusBar;
  if (dynamic_cast<TImage*>(c) || dynamic_cast<TPaintBox*>(c))
    return QAccessible::Graphic;
  if (IsLabelLike(c))
    return QAccessible::StaticText;
  // A window shown modally, or framed as a dialog, is read as a dialog: readers then read
  // its text with its title. One that only tells something is read as a message box is.
  if (auto* f = dynamic_cast<TCustomForm*>(c); f && !c->Parent()) {
    if (f->AccessibleAlert())
      return QAccessible::AlertMessage;
    return f->ShownModally() || f->BorderStyle() == bsDialog ? QAccessible::Dialog : QAccessible::Window;
  }
  if (dynamic_cast<TWinControl*>(c))
    return QAccessible::Pane;
  return QAccessible::Client;
}

// A range the control holds: position, lowest and highest. A drop-down list holds the
// index of its chosen entry.
bool ControlRange(TControl* c, TAccessibleRange& r)
{
  if (auto* u = NumberBoxStepper(c))
    c = u;
  if (auto* u = dynamic_cast<TUpDown*>(c)) {
    r = {u->Position(), u->Min(), u->Max()};
    return true;
  }
  if (auto* t = dynamic_cast<TTrackBar*>(c)) {
    r = {t->Position(), t->Min(), t->Max()};
    return true;
  }
  if (auto* b = dynamic_cast<TScrollBar*>(c)) {
    r = {b->Position(), b->Min(), b->MaxPosition()};
    return true;
  }
  if (auto* cb = dynamic_cast<TComboBox*>(c)) {
    r = {cb->ItemIndex(), 0, std::max(EntryCount(cb) - 1, 0)};
    return true;
  }
  return false;
}

// The text a box holds, with its caret.
bool ControlText(TControl* c, TAccessibleText& t)
{
  if (auto* e = dynamic_cast<TEdit*>(c)) {
    const std::string& text = e->Text();
    t.Text = e->PasswordChar() ? AnsiToWide(std::string(text.size(), e->PasswordChar())) : AnsiToWide(text);
    t.Caret = e->CaretPosition();
    t.SelStart = e->SelStart();
    t.SelEnd = e->SelStart() + e->SelLength();
    return true;
  }
  if (auto* m = dynamic_cast<TMemo*>(c)) {
    t.Text = AnsiToWide(m->Text());
    t.Caret = m->SelStart();
    return true;
  }
  if (auto* cb = dynamic_cast<TComboBox*>(c)) {
    t.Text = AnsiToWide(cb->Text());
    return true;
  }
  return false;
}

// One step up or down, as the user's arrow key or button makes it (the control's events
// fire as for the user).
void ControlStep(TControl* c, bool up)
{
  if (auto* u = NumberBoxStepper(c)) {
    // From what the box holds, as the box's own Up and Down step it.
    u->TakeTypedPosition();
    u->Step(up ? btNext : btPrev);
  } else if (auto* u = dynamic_cast<TUpDown*>(c)) {
    u->Step(up ? btNext : btPrev);
  } else if (auto* b = dynamic_cast<TScrollBar*>(c)) {
    b->Scroll(up ? scLineDown : scLineUp, b->Position());
  } else if (dynamic_cast<TTrackBar*>(c)) {
    Word key = up ? VK_RIGHT : VK_LEFT;
    c->DispatchKeyDown(key, 0);
  }
}

// A press at the middle of the control, as the user's click makes it.
void ControlPress(TControl* c)
{
  TRect r = c->ClientRect();
  Integer x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
  c->DispatchMouseDown(mbLeft, ssLeft, x, y);
  c->DispatchMouseUp(mbLeft, 0, x, y);
}

// ---- a drop-down list's entries ----

// Where a combo box's list shows: the open list's window, else the box itself.
TControl* ComboListShownIn(TComboBox* c)
{
  TControl* list = c->ListWindow();
  return c->DroppedDown() && list ? list : c;
}

TRect ComboListRect(TComboBox* c)
{
  TControl* at = ComboListShownIn(c);
  TPoint o = at->ClientToScreen({0, 0});
  return Bounds(o.X, o.Y, at->ClientWidth(), at->ClientHeight());
}

// An entry of a combo box's list: selectable, selected while it is the chosen one, shown
// while the list is open; its action picks it as a click in the list does.
class TComboEntryNode : public TAccessibleNode {
public:
  TComboEntryNode(TComboBox* c, int index) : FCombo(c), FIndex(index) {}
  bool Valid() override { return FIndex < EntryCount(FCombo); }
  std::u16string Name() override { return AnsiToWide(FCombo->Items()[static_cast<size_t>(FIndex)]); }
  int32_t Role() override { return ROLE_SYSTEM_LISTITEM; }
  uint32_t State() override
  {
    uint32_t s = STATE_SYSTEM_SELECTABLE;
    s |= FCombo->ItemIndex() == FIndex ? STATE_SYSTEM_SELECTED : 0;
    s |= FCombo->DroppedDown() ? (FCombo->ItemIndex() == FIndex ? STATE_SYSTEM_FOCUSED : 0) : STATE_SYSTEM_INVISIBLE;
    s |= FCombo->Enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE;
    return s;
  }
  TRect ScreenRect() override
  {
    TRect list = ComboListRect(FCombo);
    if (!FCombo->DroppedDown())
      return list;
    const Integer rows = std::clamp<Integer>(EntryCount(FCombo), 1, 8);
    const Integer h = list.Height() / rows;
    return Bounds(list.Left, list.Top + FIndex * h, list.Width(), h);
  }
  std::u16string DefaultAction() override { return FCombo->Enabled() ? u"Select" : u""; }
  bool DoDefaultAction() override
  {
    if (!FCombo->Enabled())
      return false;
    FCombo->ChooseItem(FIndex);
    FCombo->SetDroppedDown(false);
    return true;
  }
  const void* Identity() override { return FCombo; }
  int32_t Part() override { return FIndex + 2; }
  TControl* ShownIn() override { return ComboListShownIn(FCombo); }

private:
  TComboBox* FCombo;
  int FIndex;
};

// The list of a combo box: a child of the box whether open or not, so its entries can be
// read and picked; it shows while it is open.
class TComboListNode : public TAccessibleNode {
public:
  explicit TComboListNode(TComboBox* c) : FCombo(c) {}
  bool Valid() override { return true; }
  std::u16string Name() override { return AnsiToWide(ControlName(FCombo)); }
  int32_t Role() override { return ROLE_SYSTEM_LIST; }
  uint32_t State() override { return FCombo->DroppedDown() ? 0 : STATE_SYSTEM_INVISIBLE; }
  TRect ScreenRect() override { return ComboListRect(FCombo); }
  int ChildCount() override { return EntryCount(FCombo); }
  std::shared_ptr<TAccessibleNode> Child(int i) override
  {
    return i >= 0 && i < EntryCount(FCombo) ? std::make_shared<TComboEntryNode>(FCombo, i) : nullptr;
  }
  const void* Identity() override { return FCombo; }
  int32_t Part() override { return 1; }
  TControl* ShownIn() override { return ComboListShownIn(FCombo); }

private:
  TComboBox* FCombo;
};

// An entry of a list box: selectable, selected as the box's selection says, shown while it
// is scrolled into the box; its action clicks it as the user does.
class TListBoxEntryNode : public TAccessibleNode {
public:
  TListBoxEntryNode(TListBox* Box, int Index) : FBox(Box), FIndex(Index) {}
  bool Valid() override { return FIndex < FBox->Count(); }
  std::u16string Name() override { return AnsiToWide(FBox->Items()[static_cast<size_t>(FIndex)]); }
  int32_t Role() override { return ROLE_SYSTEM_LISTITEM; }
  uint32_t State() override
  {
    uint32_t s = STATE_SYSTEM_SELECTABLE | (FBox->Selected(FIndex) ? STATE_SYSTEM_SELECTED : 0);
    // The entry the keys move from is where a reader is while the list has the keyboard.
    s |= STATE_SYSTEM_FOCUSABLE | (FBox->Focused() && FBox->ItemIndex() == FIndex ? STATE_SYSTEM_FOCUSED : 0);
    s |= Row() >= 0 && Row() < FBox->VisibleRows() ? 0 : STATE_SYSTEM_INVISIBLE;
    return s | (FBox->Enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE);
  }
  TRect ScreenRect() override
  {
    TPoint o = FBox->ClientToScreen({0, Row() * FBox->ItemHeight()});
    return Bounds(o.X, o.Y, FBox->ClientWidth() - (FBox->ScrollBarShown() ? VScrollBarWidth : 0), FBox->ItemHeight());
  }
  std::u16string DefaultAction() override { return FBox->Enabled() ? u"Select" : u""; }
  bool DoDefaultAction() override
  {
    if (!FBox->Enabled())
      return false;
    if (Row() < 0 || Row() >= FBox->VisibleRows())
      FBox->SetTopIndex(FIndex);
    const Integer y = Row() * FBox->ItemHeight() + FBox->ItemHeight() / 2;
    FBox->DispatchMouseDown(mbLeft, ssLeft, 4, y);
    FBox->DispatchMouseUp(mbLeft, 0, 4, y);
    return true;
  }
  const void* Identity() override { return FBox; }
  int32_t Part() override { return FIndex + 1; }

private:
  Integer Row() const { return FIndex - FBox->TopIndex(); }
  TListBox* FBox;
  int FIndex;
};

class TControlInterface : public QAccessibleWidget, public TTextAnswers, public TValueAnswers {
public:
  TControlInterface(QWidget* w, TControl* control)
      : QAccessibleWidget(w, ControlRole(control)), FControl(control), FWidget(w)
  {}
  // The entries of its lists go with it.
  ~TControlInterface() override { DropNodeInterfaces(FControl, FWidget); }
  TControl* Control() const { return AccessibleControlOf(widget()) == FControl ? FControl : nullptr; }

  using TTextAnswers::text;
  QString text(QAccessible::Text t) const override
  {
    TControl* c = Control();
    if (!c)
      return QAccessibleWidget::text(t);
    switch (t) {
    case QAccessible::Name: return FromAnsi(ControlName(c));
    case QAccessible::Description: {
      std::string longHint = StripAccelerator(GetLongHint(c->Hint()));
      return longHint == ControlName(c) ? QString() : FromAnsi(longHint);
    }
    case QAccessible::Value: {
      TAccessibleRange r;
      TAccessibleText text;
      if (!dynamic_cast<TComboBox*>(c) && ControlRange(c, r))
        return QString::number(r.Position);
      if (ControlText(c, text))
        return FromWide(text.Text);
      return {};
    }
    default: return QAccessibleWidget::text(t);
    }
  }
  // (Asked each time: a window becomes a dialog as it is shown modally.)
  QAccessible::Role role() const override
  {
    TControl* c = Control();
    return c ? ControlRole(c) : QAccessibleWidget::role();
  }
  QAccessible::State state() const override
  {
    QAccessible::State s = QAccessibleWidget::state();
    TControl* c = Control();
    if (!c)
      return s;
    s.disabled = !c->Enabled();
    if (auto* m = dynamic_cast<TMarkControl*>(c)) {
      s.checkable = true;
      s.checked = m->Checked();
    }
    // A speed button of a group stays down: a toggle, pressed and checked while down.
    if (auto* b = dynamic_cast<TSpeedButton*>(c); b && b->GroupIndex() != 0) {
      s.checkable = true;
      s.checked = s.pressed = b->Down();
    }
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->TabStop())
      s.focusable = true;
    // A control that keeps the keyboard on a part of its own is not itself what has it; a
    // child control that is that part is.
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FocusInPart())
      s.focused = false;
    if (TWinControl* holder = c->Parent(); holder && holder->Focused() && holder->FocusedPart() == c)
      s.focused = s.focusable = true;
    if (auto* e = dynamic_cast<TEdit*>(c)) {
      s.editable = true;
      s.passwordEdit = e->PasswordChar() != 0;
    } else if (dynamic_cast<TMemo*>(c)) {
      s.editable = true;
      s.multiLine = true;
    } else if (auto* cb = dynamic_cast<TComboBox*>(c)) {
      s.readOnly = true;
      s.hasPopup = true;
      s.expandable = true;
      s.expanded = cb->DroppedDown();
      s.collapsed = !cb->DroppedDown();
    }
    MarkShowing(s, c, rect());
    return s;
  }

  // A combo box has its list as a child, a list box its entries, besides any child windows
  // (but a number box's arrows, which the box stands for).
  int childCount() const override { return static_cast<int>(OwnChildren().size()) + EntryNodeCount(); }
  QAccessibleInterface* child(int index) const override
  {
    const std::vector<QAccessibleInterface*> own = OwnChildren();
    if (index >= 0 && index < static_cast<int>(own.size()))
      return own[static_cast<size_t>(index)];
    auto node = EntryNode(index - static_cast<int>(own.size()));
    return node ? NodeInterface(FControl, node, const_cast<TControlInterface*>(this)) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* c) const override
  {
    const std::vector<QAccessibleInterface*> own = OwnChildren();
    if (auto it = std::find(own.begin(), own.end(), c); it != own.end())
      return static_cast<int>(it - own.begin());
    for (int first = static_cast<int>(own.size()), i = 0, n = EntryNodeCount(); i < n; ++i)
      if (child(first + i) == c)
        return first + i;
    return -1;
  }

  QStringList actionNames() const override
  {
    TControl* c = Control();
    if (!c || !c->Enabled())
      return {};
    QStringList names = OwnActionNames(c);
    // What Tab reaches a reader can give the focus to (its grabFocus).
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->TabStop() && !names.contains(setFocusAction()))
      names.append(setFocusAction());
    return names;
  }
  void doAction(const QString& name) override
  {
    TControl* c = Control();
    if (!c || !c->Enabled())
      return;
    AfterRequest(c, [c, name] {
      if (!c->Enabled())
        return;
      if (auto* cb = dynamic_cast<TComboBox*>(c); cb && name == showMenuAction())
        cb->SetDroppedDown(!cb->DroppedDown());
      else if (name == increaseAction() || name == decreaseAction())
        ControlStep(c, name == increaseAction());
      else if (name == toggleAction() && dynamic_cast<TCheckBox*>(c))
        static_cast<TCheckBox*>(c)->Toggle();
      else if (name == pressAction() || name == toggleAction())
        ControlPress(c);
      else if (auto* w = dynamic_cast<TWinControl*>(c); w && name == setFocusAction())
        w->SetFocus();
    });
  }

  void* interface_cast(QAccessible::InterfaceType t) override
  {
    TAccessibleRange r;
    TAccessibleText text;
    if (t == QAccessible::ValueInterface)
      return ReadRange(r) ? static_cast<QAccessibleValueInterface*>(this) : nullptr;
    if (t == QAccessible::TextInterface)
      return ReadText(text) ? static_cast<QAccessibleTextInterface*>(this) : nullptr;
    return QAccessibleWidget::interface_cast(t);
  }

  bool ReadText(TAccessibleText& t) const override { return Control() && ControlText(Control(), t); }

  // A reader moves an edit's caret and selection as the user's keys do, and finds where
  // each character stands.
  void setCursorPosition(int position) override
  {
    if (auto* e = dynamic_cast<TEdit*>(Control()))
      e->SetSel(position, 0);
  }
  void setSelection(int selectionIndex, int startOffset, int endOffset) override
  {
    if (auto* e = dynamic_cast<TEdit*>(Control()); e && selectionIndex == 0)
      e->SetSel(std::min(startOffset, endOffset), std::abs(endOffset - startOffset));
  }
  void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
  void removeSelection(int selectionIndex) override
  {
    if (auto* e = dynamic_cast<TEdit*>(Control()); e && selectionIndex == 0)
      e->SetSel(e->CaretPosition(), 0);
  }
  QRect characterRect(int offset) const override
  {
    auto* e = dynamic_cast<TEdit*>(Control());
    if (!e || offset < 0 || offset >= static_cast<int>(e->Text().size()))
      return {};
    const TRect r = e->CharBounds(offset);
    const TPoint o = e->ClientToScreen({r.Left, r.Top});
    return QRect(o.X, o.Y, r.Width(), r.Height());
  }
  int offsetAtPoint(const QPoint& point) const override
  {
    auto* e = dynamic_cast<TEdit*>(Control());
    for (int i = 0, n = e ? static_cast<int>(e->Text().size()) : 0; i < n; ++i)
      if (characterRect(i).contains(point))
        return i;
    return -1;
  }
  bool ReadRange(TAccessibleRange& r) const override { return Control() && ControlRange(Control(), r); }
  // A value set by a client is reached by the user's steps, so the control's events fire;
  // a drop-down list takes the entry as the user's pick.
  void WriteValue(int32_t target) override
  {
    TControl* c = Control();
    TAccessibleRange r;
    if (!c || !c->Enabled() || !ControlRange(c, r))
      return;
    AfterRequest(c, [c, target] {
      TAccessibleRange r;
      if (auto* cb = dynamic_cast<TComboBox*>(c)) {
        cb->ChooseItem(target);
        return;
      }
      for (int steps = 0; ControlRange(c, r) && steps <= r.Max - r.Min && r.Position != target; ++steps) {
        const int before = r.Position;
        ControlStep(c, target > r.Position);
        if (!ControlRange(c, r) || r.Position == before)
          break;
      }
    });
  }

private:
  QStringList OwnActionNames(TControl* c) const
  {
    TAccessibleRange r;
    if (dynamic_cast<TComboBox*>(c))
      return {showMenuAction()};
    if (ControlRange(c, r))
      return {increaseAction(), decreaseAction()};
    switch (role()) {
    case QAccessible::PushButton:
    case QAccessible::RadioButton: return {pressAction()};
    case QAccessible::CheckBox: return {toggleAction()};
    default: return QAccessibleWidget::actionNames();
    }
  }
  std::vector<QAccessibleInterface*> OwnChildren() const
  {
    std::vector<QAccessibleInterface*> own;
    for (int i = 0, n = QAccessibleWidget::childCount(); i < n; ++i)
      if (QAccessibleInterface* c = QAccessibleWidget::child(i);
          c && !ArrowsOfANumberBox(AccessibleControlOf(c->object())))
        own.push_back(c);
    return own;
  }
  int EntryNodeCount() const
  {
    if (dynamic_cast<TComboBox*>(Control()))
      return 1;
    auto* lb = dynamic_cast<TListBox*>(Control());
    return lb ? lb->Count() : 0;
  }
  std::shared_ptr<TAccessibleNode> EntryNode(int i) const
  {
    if (i < 0 || i >= EntryNodeCount())
      return nullptr;
    if (auto* cb = dynamic_cast<TComboBox*>(Control()))
      return std::make_shared<TComboListNode>(cb);
    return std::make_shared<TListBoxEntryNode>(static_cast<TListBox*>(Control()), i);
  }
  TControl* FControl;
  const QWidget* FWidget;
};

}   // namespace

std::vector<TControl*> accessible::NamedAfter(TControl* Label)
{
  std::vector<TControl*> named;
  TWinControl* parent = dynamic_cast<TLabel*>(Label) ? Label->Parent() : nullptr;
  for (int i = 0; parent && i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c != Label && c->AccessibleName().empty() && !ShowsCaption(c) && LabelBeside(c) == Label)
      named.push_back(c);
  }
  return named;
}

QAccessibleInterface* accessible::CreateControlInterface(QWidget* Widget, TControl* Control)
{
  return new TControlInterface(Widget, Control);
}

void NotifyAccessibleEntryFocus(TControl* Control, int Index)
{
  QWidget* w = AccessibleWidgetOf(Control);
  auto* listBox = dynamic_cast<TListBox*>(Control);
  if (!QAccessible::isActive() || !w || !(dynamic_cast<TComboBox*>(Control) || listBox))
    return;
  QAccessibleInterface* box = QAccessible::queryAccessibleInterface(w);
  QAccessibleInterface* entry = nullptr;
  if (box && listBox) {
    // (A list box's entries are its last children.)
    entry = box->child(box->childCount() - listBox->Count() + Index);
  } else if (box && box->childCount() > 0) {
    // (A combo box's list is its last child.)
    QAccessibleInterface* list = box->child(box->childCount() - 1);
    entry = list ? list->child(Index) : nullptr;
  }
  if (entry) {
    QAccessibleEvent ev(entry, QAccessible::Focus);
    QAccessible::updateAccessibility(&ev);
  }
}
