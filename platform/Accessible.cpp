// The accessibility bridge: our nodes behind the toolkit's accessibility interfaces. The
// control's own widget gets an interface that answers from the control's root node; every
// node below it gets an interface of its own, registered with the toolkit (which owns it)
// and found again by the node's identity while the node stays valid.
#include "platform/Accessible.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>

#include <climits>
#include <map>

#include "platform/ComCtrls.h"
#include "platform/Controls.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "platform/ScrollBar.h"
#include "platform/StdCtrls.h"

QWidget* AccessibleWidgetOf(TControl* control);
TControl* AccessibleControlOf(QObject* object);

namespace {

struct TBridgeState {
  std::map<TControl*, TAccessibleRootProvider> Providers;
  // Node interfaces by (control, node identity).
  std::map<std::pair<TControl*, const void*>, QAccessible::Id> Nodes;
  bool FactoryInstalled = false;
};

TBridgeState& Bridge()
{
  static TBridgeState s;
  return s;
}

// Classic state bits <-> the toolkit's state.
constexpr uint32_t stUnavailable = 0x1, stFocused = 0x4, stPressed = 0x8, stChecked = 0x10, stHotTracked = 0x80,
                   stInvisible = 0x8000, stFocusable = 0x100000, stHasPopup = 0x40000000;

QAccessible::State ToState(uint32_t s)
{
  QAccessible::State q;
  q.disabled = (s & stUnavailable) != 0;
  q.focused = (s & stFocused) != 0;
  q.pressed = (s & stPressed) != 0;
  q.checked = (s & stChecked) != 0;
  q.checkable = q.checked;
  q.hotTracked = (s & stHotTracked) != 0;
  q.invisible = (s & stInvisible) != 0;
  q.focusable = (s & stFocusable) != 0;
  q.hasPopup = (s & stHasPopup) != 0;
  return q;
}

uint32_t FromState(const QAccessible::State& q)
{
  uint32_t s = 0;
  s |= q.disabled ? stUnavailable : 0;
  s |= q.focused ? stFocused : 0;
  s |= q.pressed ? stPressed : 0;
  s |= q.checked ? stChecked : 0;
  s |= q.hotTracked ? stHotTracked : 0;
  s |= q.invisible ? stInvisible : 0;
  s |= q.focusable ? stFocusable : 0;
  s |= q.hasPopup ? stHasPopup : 0;
  return s;
}

QString Q(const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size())); }

QRect QR(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// The one action a node offers: its default action, under the toolkit's standard name that
// fits it, described by the node's own text ("Press", "Open", "Execute", "Close").
QString ActionNameFor(const std::string& defaultAction)
{
  if (defaultAction == "Open")
    return QAccessibleActionInterface::showMenuAction();
  return QAccessibleActionInterface::pressAction();
}

QAccessibleInterface* InterfaceFor(TControl* control, const std::shared_ptr<TAccessibleNode>& node,
                                   QAccessibleInterface* parent);

// Answers from a node: shared by the widget's interface (the root) and the nodes'.
class TNodeAnswers {
public:
  virtual ~TNodeAnswers() = default;
  virtual std::shared_ptr<TAccessibleNode> Node() const = 0;
  virtual TControl* Control() const = 0;
  virtual QAccessibleInterface* Self() = 0;

  QStringList ActNames() const
  {
    auto n = Node();
    if (!n || !n->Valid() || n->DefaultAction().empty())
      return {};
    return {ActionNameFor(n->DefaultAction())};
  }
  // Empty when the name is not the node's action.
  QString ActLocalized(const QString& name) const
  {
    auto n = Node();
    if (n && n->Valid() && name == ActionNameFor(n->DefaultAction()))
      return Q(n->DefaultAction());
    return {};
  }
  void ActDo(const QString& name)
  {
    auto n = Node();
    if (n && n->Valid() && !n->DefaultAction().empty() && name == ActionNameFor(n->DefaultAction()))
      n->DoDefaultAction();
  }
  QStringList ActKeys() const
  {
    auto n = Node();
    if (!n || !n->Valid() || n->KeyboardShortcut().empty())
      return {};
    return {Q(n->KeyboardShortcut())};
  }

  int NodeChildCount() const
  {
    auto n = Node();
    return n && n->Valid() ? n->ChildCount() : 0;
  }
  QAccessibleInterface* NodeChild(int index)
  {
    auto n = Node();
    if (!n || !n->Valid() || index < 0 || index >= n->ChildCount())
      return nullptr;
    auto child = n->Child(index);
    if (TControl* hosted = child && child->Valid() ? child->HostedControl() : nullptr)
      if (QWidget* w = AccessibleWidgetOf(hosted))
        return QAccessible::queryAccessibleInterface(w);
    return InterfaceFor(Control(), child, Self());
  }
  int NodeIndexOf(const QAccessibleInterface* child)
  {
    for (int i = 0, c = NodeChildCount(); i < c; ++i)
      if (NodeChild(i) == child)
        return i;
    return -1;
  }
  QAccessibleInterface* NodeChildAt(int x, int y)
  {
    for (int i = 0, c = NodeChildCount(); i < c; ++i)
      if (QAccessibleInterface* ch = NodeChild(i); ch && ch->rect().contains(x, y))
        return ch;
    return nullptr;
  }
  QString NodeText(QAccessible::Text t) const
  {
    auto n = Node();
    if (!n || !n->Valid())
      return {};
    switch (t) {
    case QAccessible::Name: return Q(n->Name());
    case QAccessible::Value: return Q(n->Value());
    case QAccessible::Accelerator: return Q(n->KeyboardShortcut());
    default: return {};
    }
  }
};

class TNodeInterface : public QAccessibleInterface, public QAccessibleActionInterface, public TNodeAnswers {
public:
  QStringList actionNames() const override { return ActNames(); }
  QString localizedActionName(const QString& name) const override
  {
    QString l = ActLocalized(name);
    return l.isEmpty() ? QAccessibleActionInterface::localizedActionName(name) : l;
  }
  void doAction(const QString& name) override { ActDo(name); }
  QStringList keyBindingsForAction(const QString&) const override { return ActKeys(); }

  TNodeInterface(TControl* control, std::shared_ptr<TAccessibleNode> node, QAccessibleInterface* parent)
      : FControl(control), FNode(std::move(node)), FParent(parent ? QAccessible::uniqueId(parent) : 0)
  {}
  std::shared_ptr<TAccessibleNode> Node() const override { return FNode; }
  TControl* Control() const override { return FControl; }
  QAccessibleInterface* Self() override { return this; }
  void Reparent(QAccessibleInterface* parent) { FParent = parent ? QAccessible::uniqueId(parent) : 0; }

  bool isValid() const override { return FNode && FNode->Valid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override
  {
    QWidget* w = AccessibleWidgetOf(FControl);
    return w && w->window() ? w->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface* parent() const override
  {
    return FParent ? QAccessible::accessibleInterface(FParent) : nullptr;
  }
  QAccessibleInterface* child(int index) const override { return const_cast<TNodeInterface*>(this)->NodeChild(index); }
  int childCount() const override { return NodeChildCount(); }
  int indexOfChild(const QAccessibleInterface* c) const override
  {
    return const_cast<TNodeInterface*>(this)->NodeIndexOf(c);
  }
  QAccessibleInterface* childAt(int x, int y) const override
  {
    return const_cast<TNodeInterface*>(this)->NodeChildAt(x, y);
  }
  QString text(QAccessible::Text t) const override { return NodeText(t); }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override { return isValid() ? QR(FNode->ScreenRect()) : QRect(); }
  QAccessible::Role role() const override
  {
    return isValid() ? static_cast<QAccessible::Role>(FNode->Role()) : QAccessible::NoRole;
  }
  QAccessible::State state() const override
  {
    if (!isValid()) {
      QAccessible::State s;
      s.invalid = true;
      return s;
    }
    return ToState(FNode->State());
  }
  void* interface_cast(QAccessible::InterfaceType t) override
  {
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }

private:
  TControl* FControl;
  std::shared_ptr<TAccessibleNode> FNode;
  QAccessible::Id FParent;
};

// The control's own widget, answering from the root node while the control gives one.
class TRootInterface : public QAccessibleWidget, public TNodeAnswers {
public:
  TRootInterface(QWidget* w, TControl* control) : QAccessibleWidget(w), FControl(control) {}
  std::shared_ptr<TAccessibleNode> Node() const override
  {
    auto& p = Bridge().Providers;
    auto it = p.find(FControl);
    if (it == p.end() || !it->second)
      return nullptr;
    auto n = it->second();
    return n && n->Valid() ? n : nullptr;
  }
  TControl* Control() const override { return FControl; }
  QAccessibleInterface* Self() override { return this; }

  QAccessibleInterface* child(int index) const override
  {
    if (!Node())
      return QAccessibleWidget::child(index);
    return const_cast<TRootInterface*>(this)->NodeChild(index);
  }
  int childCount() const override { return Node() ? NodeChildCount() : QAccessibleWidget::childCount(); }
  int indexOfChild(const QAccessibleInterface* c) const override
  {
    return Node() ? const_cast<TRootInterface*>(this)->NodeIndexOf(c) : QAccessibleWidget::indexOfChild(c);
  }
  QAccessibleInterface* childAt(int x, int y) const override
  {
    return Node() ? const_cast<TRootInterface*>(this)->NodeChildAt(x, y) : QAccessibleWidget::childAt(x, y);
  }
  QString text(QAccessible::Text t) const override
  {
    if (!Node())
      return QAccessibleWidget::text(t);
    return NodeText(t);
  }
  QAccessible::Role role() const override
  {
    auto n = Node();
    return n ? static_cast<QAccessible::Role>(n->Role()) : QAccessibleWidget::role();
  }
  QAccessible::State state() const override
  {
    auto n = Node();
    if (!n)
      return QAccessibleWidget::state();
    QAccessible::State s = ToState(n->State());
    s.invisible = s.invisible || !widget()->isVisible();
    return s;
  }
  QStringList actionNames() const override { return Node() ? ActNames() : QAccessibleWidget::actionNames(); }
  QString localizedActionName(const QString& name) const override
  {
    QString l = Node() ? ActLocalized(name) : QString();
    return l.isEmpty() ? QAccessibleWidget::localizedActionName(name) : l;
  }
  void doAction(const QString& name) override
  {
    if (Node())
      ActDo(name);
    else
      QAccessibleWidget::doAction(name);
  }
  QStringList keyBindingsForAction(const QString& name) const override
  {
    return Node() ? ActKeys() : QAccessibleWidget::keyBindingsForAction(name);
  }

private:
  TControl* FControl;
};

// ---------------------------------------------------------------------------------------
// The platform's own controls, as a screen reader should read them: a role from the kind of
// control, a name from its caption, the label beside it or its hint, a value where it holds
// one, and the actions a user can take on it.

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
    if (l == c || !l->Visible() || !dynamic_cast<TLabel*>(l) || l->Caption().empty())
      continue;
    TRect b = l->BoundsRect();
    int distance = INT_MAX;
    if (b.Top < r.Bottom && r.Top < b.Bottom && b.Right <= r.Left + 2)
      distance = r.Left - b.Right;
    else if (b.Left < r.Right && r.Left < b.Right && b.Bottom <= r.Top + 2 && r.Top - b.Bottom <= 8)
      distance = r.Top - b.Bottom;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = l;
    }
  }
  return best;
}

std::string ControlName(TControl* c)
{
  if (!c->AccessibleName().empty())
    return c->AccessibleName();
  if (ShowsCaption(c) && !c->Caption().empty())
    return StripAccelerator(c->Caption());
  if (TControl* l = LabelBeside(c))
    return StripAccelerator(l->Caption());
  return GetShortHint(c->Hint());
}

QAccessible::Role ControlRole(TControl* c)
{
  if (dynamic_cast<TButton*>(c) || dynamic_cast<TSpeedButton*>(c))
    return QAccessible::PushButton;
  if (dynamic_cast<TCheckBox*>(c))
    return QAccessible::CheckBox;
  if (dynamic_cast<TRadioButton*>(c))
    return QAccessible::RadioButton;
  if (dynamic_cast<TUpDown*>(c))
    return QAccessible::SpinBox;
  if (dynamic_cast<TTrackBar*>(c) || dynamic_cast<TScrollBar*>(c))
    return QAccessible::Slider;
  if (dynamic_cast<TEdit*>(c) || dynamic_cast<TMemo*>(c))
    return QAccessible::EditableText;
  if (dynamic_cast<TComboBox*>(c))
    return QAccessible::ComboBox;
  if (dynamic_cast<TListBox*>(c))
    return QAccessible::List;
  if (dynamic_cast<TStatusBar*>(c))
    return QAccessible::StatusBar;
  if (IsLabelLike(c))
    return QAccessible::StaticText;
  if (dynamic_cast<TCustomForm*>(c) && !c->Parent())
    return QAccessible::Window;
  if (dynamic_cast<TWinControl*>(c))
    return QAccessible::Pane;
  return QAccessible::Client;
}

// A range the control holds: position, lowest and highest.
bool ControlRange(TControl* c, int& pos, int& lo, int& hi)
{
  if (auto* u = dynamic_cast<TUpDown*>(c)) {
    pos = u->Position(), lo = u->Min(), hi = u->Max();
    return true;
  }
  if (auto* t = dynamic_cast<TTrackBar*>(c)) {
    pos = t->Position(), lo = t->Min(), hi = t->Max();
    return true;
  }
  if (auto* b = dynamic_cast<TScrollBar*>(c)) {
    pos = b->Position(), lo = b->Min(), hi = b->MaxPosition();
    return true;
  }
  return false;
}

// One step up or down, as the user's arrow key or button makes it (the control's events
// fire as for the user).
void ControlStep(TControl* c, bool up)
{
  if (auto* u = dynamic_cast<TUpDown*>(c)) {
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

class TControlInterface : public QAccessibleWidget, public QAccessibleValueInterface {
public:
  TControlInterface(QWidget* w, TControl* control) : QAccessibleWidget(w, ControlRole(control)), FControl(control) {}
  TControl* Control() const { return AccessibleControlOf(widget()) == FControl ? FControl : nullptr; }

  QString text(QAccessible::Text t) const override
  {
    TControl* c = Control();
    if (!c)
      return QAccessibleWidget::text(t);
    switch (t) {
    case QAccessible::Name: return Q(ControlName(c));
    case QAccessible::Description: {
      std::string longHint = GetLongHint(c->Hint());
      return longHint == ControlName(c) ? QString() : Q(longHint);
    }
    case QAccessible::Value: {
      int pos = 0, lo = 0, hi = 0;
      if (ControlRange(c, pos, lo, hi))
        return QString::number(pos);
      if (auto* e = dynamic_cast<TEdit*>(c))
        return Q(e->Text());
      if (auto* m = dynamic_cast<TMemo*>(c))
        return Q(m->Text());
      if (auto* cb = dynamic_cast<TComboBox*>(c))
        return Q(cb->Text());
      return {};
    }
    default: return QAccessibleWidget::text(t);
    }
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
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->TabStop())
      s.focusable = true;
    return s;
  }

  QStringList actionNames() const override
  {
    TControl* c = Control();
    if (!c || !c->Enabled())
      return {};
    int pos = 0, lo = 0, hi = 0;
    if (ControlRange(c, pos, lo, hi))
      return {increaseAction(), decreaseAction()};
    switch (role()) {
    case QAccessible::PushButton:
    case QAccessible::RadioButton: return {pressAction()};
    case QAccessible::CheckBox: return {toggleAction()};
    default: return QAccessibleWidget::actionNames();
    }
  }
  void doAction(const QString& name) override
  {
    TControl* c = Control();
    if (!c || !c->Enabled())
      return;
    GuardedCall(
        [&] {
          if (name == increaseAction() || name == decreaseAction())
            ControlStep(c, name == increaseAction());
          else if (name == toggleAction() && dynamic_cast<TCheckBox*>(c))
            static_cast<TCheckBox*>(c)->Toggle();
          else if (name == pressAction() || name == toggleAction())
            ControlPress(c);
          else
            QAccessibleWidget::doAction(name);
        },
        c);
  }

  void* interface_cast(QAccessible::InterfaceType t) override
  {
    int pos = 0, lo = 0, hi = 0;
    if (t == QAccessible::ValueInterface)
      return Control() && ControlRange(Control(), pos, lo, hi) ? static_cast<QAccessibleValueInterface*>(this)
                                                               : nullptr;
    return QAccessibleWidget::interface_cast(t);
  }
  QVariant currentValue() const override { return Range(0); }
  QVariant minimumValue() const override { return Range(1); }
  QVariant maximumValue() const override { return Range(2); }
  QVariant minimumStepSize() const override { return 1; }
  // A value set by a client is reached by the user's steps, so the control's events fire.
  void setCurrentValue(const QVariant& value) override
  {
    TControl* c = Control();
    int pos = 0, lo = 0, hi = 0;
    if (!c || !c->Enabled() || !ControlRange(c, pos, lo, hi))
      return;
    const int target = std::clamp(value.toInt(), lo, hi);
    for (int steps = 0; steps <= hi - lo && pos != target; ++steps) {
      const int before = pos;
      GuardedCall([&] { ControlStep(c, target > pos); }, c);
      if (!Control() || !ControlRange(c, pos, lo, hi) || pos == before)
        break;
    }
  }

private:
  QVariant Range(int which) const
  {
    int v[3] = {0, 0, 0};
    TControl* c = Control();
    if (!c || !ControlRange(c, v[0], v[1], v[2]))
      return {};
    return v[which];
  }
  TControl* FControl;
};

QAccessibleInterface* InterfaceFor(TControl* control, const std::shared_ptr<TAccessibleNode>& node,
                                   QAccessibleInterface* parent)
{
  if (!node || !node->Valid())
    return nullptr;
  auto& nodes = Bridge().Nodes;
  auto key = std::make_pair(control, node->Identity());
  auto it = nodes.find(key);
  if (it != nodes.end()) {
    auto* iface = static_cast<TNodeInterface*>(QAccessible::accessibleInterface(it->second));
    if (iface && iface->isValid()) {
      iface->Reparent(parent);
      return iface;
    }
    // What it described has gone (and something new may sit at the same address).
    if (iface)
      QAccessible::deleteAccessibleInterface(it->second);
    nodes.erase(it);
  }
  auto* iface = new TNodeInterface(control, node, parent);
  nodes[key] = QAccessible::registerAccessibleInterface(iface);
  return iface;
}

QAccessibleInterface* Factory(const QString&, QObject* object)
{
  TControl* c = AccessibleControlOf(object);
  if (!c)
    return nullptr;
  if (Bridge().Providers.count(c))
    return new TRootInterface(static_cast<QWidget*>(object), c);
  return new TControlInterface(static_cast<QWidget*>(object), c);
}

// Every control's widget answers through the factory from the first control on.
void InstallFactory()
{
  TBridgeState& b = Bridge();
  if (!b.FactoryInstalled) {
    QAccessible::installFactory(&Factory);
    b.FactoryInstalled = true;
  }
}

void DropNodes(TControl* control)
{
  auto& nodes = Bridge().Nodes;
  for (auto it = nodes.begin(); it != nodes.end();) {
    if (it->first.first == control) {
      if (QAccessibleInterface* iface = QAccessible::accessibleInterface(it->second))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
      it = nodes.erase(it);
    } else {
      ++it;
    }
  }
}

QAccessibleInterface* RootOf(TControl* control)
{
  QWidget* w = AccessibleWidgetOf(control);
  return w ? QAccessible::queryAccessibleInterface(w) : nullptr;
}

QAccessibleInterface* AtPath(TControl* control, const std::vector<int>& path)
{
  QAccessibleInterface* i = RootOf(control);
  for (int index : path) {
    if (!i)
      return nullptr;
    i = i->child(index);
  }
  return i;
}

TAccessibleSnapshot Snap(QAccessibleInterface* i, int depth)
{
  TAccessibleSnapshot s;
  s.Name = i->text(QAccessible::Name).toStdString();
  s.Role = static_cast<int32_t>(i->role());
  s.State = FromState(i->state());
  if (QAccessibleActionInterface* a = i->actionInterface()) {
    QStringList names = a->actionNames();
    if (!names.isEmpty())
      s.Actions = a->localizedActionName(names.first()).toStdString();
  }
  s.KeyboardShortcut = i->text(QAccessible::Accelerator).toStdString();
  QRect r = i->rect();
  s.Rect = {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
  if (depth > 0)
    for (int k = 0, n = i->childCount(); k < n; ++k)
      if (QAccessibleInterface* c = i->child(k))
        s.Children.push_back(Snap(c, depth - 1));
  return s;
}

}   // namespace

void EnsureAccessibleControls() { InstallFactory(); }

void SetAccessibleRoot(TControl* Control, TAccessibleRootProvider Provider)
{
  if (!Control)
    return;
  TBridgeState& b = Bridge();
  InstallFactory();
  DropNodes(Control);
  if (Provider)
    b.Providers[Control] = std::move(Provider);
  else
    b.Providers.erase(Control);
}

void NotifyAccessible(TControl* Control, TAccessibleEvent Event, const std::vector<int>& Child)
{
  if (!QAccessible::isActive() || !Bridge().Providers.count(Control))
    return;
  QAccessibleInterface* i = AtPath(Control, Child);
  if (!i)
    return;
  QAccessible::Event e = QAccessible::Focus;
  switch (Event) {
  case TAccessibleEvent::Focus: e = QAccessible::Focus; break;
  case TAccessibleEvent::MenuStart: e = QAccessible::MenuStart; break;
  case TAccessibleEvent::MenuEnd: e = QAccessible::MenuEnd; break;
  case TAccessibleEvent::PopupStart: e = QAccessible::PopupMenuStart; break;
  case TAccessibleEvent::PopupEnd: e = QAccessible::PopupMenuEnd; break;
  }
  QAccessibleEvent ev(i, e);
  QAccessible::updateAccessibility(&ev);
}

TAccessibleSnapshot AccessibleSnapshot(TControl* Control, int MaxDepth)
{
  QAccessibleInterface* i = RootOf(Control);
  return i ? Snap(i, MaxDepth) : TAccessibleSnapshot{};
}

bool AccessibleDoDefaultAction(TControl* Control, const std::vector<int>& Path)
{
  QAccessibleInterface* i = AtPath(Control, Path);
  QAccessibleActionInterface* a = i ? i->actionInterface() : nullptr;
  if (!a || a->actionNames().isEmpty())
    return false;
  a->doAction(a->actionNames().first());
  return true;
}
