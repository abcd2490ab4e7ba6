// The accessibility bridge: our nodes behind the toolkit's accessibility interfaces. The
// control's own widget gets an interface that answers from the control's root node; every
// node below it gets an interface of its own, registered with the toolkit (which owns it)
// and found again by the node's identity while the node stays valid.
#include "platform/Accessible.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTextBoundaryFinder>
#include <QWidget>
#include <QWindow>

#include <map>
#include <tuple>

#include "platform/AccessibleQt.h"
#include "platform/Application.h"
#include "platform/CodePages.h"
#include "platform/Controls.h"

using namespace accessible;

namespace {

// The interfaces the toolkit has registered for our nodes, found again by the node. The
// toolkit keeps one registry of interfaces and one list of factories for the process, and
// its interfaces call back here until it goes (after the application object), so this index
// is one for the process as well.
struct TBridgeState {
  // Node interfaces by (control, node identity, part), with the control's widget they were
  // made under.
  struct TEntry {
    QAccessible::Id Id;
    const QWidget* Widget;
  };
  std::map<std::tuple<TControl*, const void*, int32_t>, TEntry> Nodes;
  // The count of node interfaces at which those whose nodes have gone are taken back.
  size_t SweepAt = 256;
  bool FactoryInstalled = false;
  // The handler that stood before ours, which our events go on to.
  QAccessible::UpdateHandler PreviousUpdateHandler = nullptr;
  // Popup windows a reader reaches through the control that opened them, by the popup.
  std::map<TControl*, TControl*> Openers;
};

// Takes back the interfaces whose nodes have gone (pages replaced, menus closed), which
// nobody asks for again.
void SweepNodes(TBridgeState& b)
{
  for (auto it = b.Nodes.begin(); it != b.Nodes.end();) {
    QAccessibleInterface* iface = QAccessible::accessibleInterface(it->second.Id);
    if (iface && iface->isValid()) {
      ++it;
      continue;
    }
    if (iface)
      QAccessible::deleteAccessibleInterface(it->second.Id);
    it = b.Nodes.erase(it);
  }
  b.SweepAt = std::max<size_t>(256, 2 * b.Nodes.size());
}

TBridgeState& Bridge()
{
  static TBridgeState s;   // NOLINT(orrelo-static-local-state): one per process, as the toolkit's registry
  return s;
}

// The one action a node offers: its default action, under the toolkit's standard name that
// fits it, described by the node's own text ("Press", "Open", "Execute", "Close"...).
QString ActionNameFor(const std::u16string& defaultAction)
{
  if (defaultAction == u"Open")
    return QAccessibleActionInterface::showMenuAction();
  return QAccessibleActionInterface::pressAction();
}

// The first interface below i, depth levels deep at most, that says it is focused.
QAccessibleInterface* FocusedBelow(QAccessibleInterface* i, int depth)
{
  for (int k = 0, n = depth > 0 ? i->childCount() : 0; k < n; ++k)
    if (QAccessibleInterface* c = i->child(k)) {
      if (c->state().focused)
        return c;
      if (QAccessibleInterface* below = FocusedBelow(c, depth - 1))
        return below;
    }
  return nullptr;
}

// Answers from a node: shared by the widget's interface (the root) and the nodes'.
class TNodeAnswers : public TTextAnswers, public TValueAnswers {
public:
  virtual ~TNodeAnswers() = default;
  virtual std::shared_ptr<TAccessibleNode> Node() const = 0;
  virtual TControl* Control() const = 0;
  virtual QAccessibleInterface* Self() = 0;

  bool ReadText(TAccessibleText& t) const override
  {
    auto n = Node();
    return n && n->Valid() && n->GetText(t);
  }
  bool ReadRange(TAccessibleRange& r) const override
  {
    auto n = Node();
    return n && n->Valid() && n->GetRange(r);
  }
  QRect characterRect(int offset) const override
  {
    auto n = Node();
    return n && n->Valid() ? ToQRect(n->CharacterRect(offset)) : QRect();
  }
  int offsetAtPoint(const QPoint& point) const override
  {
    auto n = Node();
    return n && n->Valid() ? n->OffsetAtPoint({point.x(), point.y()}) : -1;
  }
  bool ReadLine(int offset, int& start, int& end) const override
  {
    auto n = Node();
    int32_t s = 0, e = 0;
    if (!n || !n->Valid() || !n->LineAt(offset, s, e))
      return false;
    start = s;
    end = e;
    return true;
  }
  void setCursorPosition(int position) override
  {
    if (auto n = Node(); n && n->Valid())
      n->SetCaret(position);
  }
  void WriteValue(int32_t v) override
  {
    if (auto n = Node(); n && n->Valid())
      AfterRequest(Control(), [n, v] {
        if (n->Valid())
          n->SetValue(v);
      });
  }

  QStringList ActNames() const
  {
    auto n = Node();
    if (!n || !n->Valid())
      return {};
    QStringList names;
    if (!n->DefaultAction().empty())
      names.append(ActionNameFor(n->DefaultAction()));
    if (n->CanTakeFocus())
      names.append(QAccessibleActionInterface::setFocusAction());
    return names;
  }
  // Empty when the name is not the node's action.
  QString ActLocalized(const QString& name) const
  {
    auto n = Node();
    if (n && n->Valid() && !n->DefaultAction().empty() && name == ActionNameFor(n->DefaultAction()))
      return FromWide(n->DefaultAction());
    return {};
  }
  void ActDo(const QString& name)
  {
    auto n = Node();
    if (n && n->Valid() && name == QAccessibleActionInterface::setFocusAction() && n->CanTakeFocus()) {
      AfterRequest(Control(), [n] {
        if (n->Valid())
          n->TakeFocus();
      });
      return;
    }
    if (n && n->Valid() && !n->DefaultAction().empty() && name == ActionNameFor(n->DefaultAction()))
      AfterRequest(Control(), [n] {
        if (n->Valid())
          n->DoDefaultAction();
      });
  }
  QStringList ActKeys() const
  {
    auto n = Node();
    if (!n || !n->Valid() || n->KeyboardShortcut().empty())
      return {};
    return {FromWide(n->KeyboardShortcut())};
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
    return NodeChildOf(*n, index, true);
  }
  // A search through the children makes no window a control waits for out of sight (a
  // page's far fields): such a control is neither the child asked about nor on the screen.
  int NodeIndexOf(const QAccessibleInterface* child)
  {
    auto n = Node();
    for (int i = 0, c = n && n->Valid() ? n->ChildCount() : 0; i < c; ++i)
      if (NodeChildOf(*n, i, false) == child)
        return i;
    return -1;
  }
  QAccessibleInterface* NodeChildAt(int x, int y)
  {
    auto n = Node();
    for (int i = 0, c = n && n->Valid() ? n->ChildCount() : 0; i < c; ++i)
      if (QAccessibleInterface* ch = NodeChildOf(*n, i, false); ch && ch->rect().contains(x, y))
        return ch;
    return nullptr;
  }
  // Child index of n; a control it hosts by its own window's interface, that window made
  // first when make asks for it (nullptr while it has none).
  QAccessibleInterface* NodeChildOf(TAccessibleNode& n, int index, bool make)
  {
    auto child = n.Child(index);
    if (TControl* hosted = child && child->Valid() ? child->HostedControl() : nullptr) {
      if (QWidget* w = make ? AccessibleWidgetMade(hosted) : AccessibleWidgetOf(hosted))
        return QAccessible::queryAccessibleInterface(w);
      if (!make)
        return nullptr;
    }
    return NodeInterface(Control(), child, Self());
  }
  QString NodeText(QAccessible::Text t) const
  {
    auto n = Node();
    if (!n || !n->Valid())
      return {};
    switch (t) {
    case QAccessible::Name: return FromWide(n->Name());
    case QAccessible::Description: return FromWide(n->Description());
    case QAccessible::Value: return FromWide(n->Value());
    case QAccessible::Accelerator: return FromWide(n->KeyboardShortcut());
    default: return {};
    }
  }
  // The node's state, with whether it shows worked out from where it stands.
  QAccessible::State NodeState(const QRect& rect) const
  {
    auto n = Node();
    QAccessible::State s = ToQState(n->State());
    MarkShowing(s, ShownIn(), rect);
    return s;
  }
  // The control the node is drawn in.
  TControl* ShownIn() const
  {
    auto n = Node();
    TControl* at = n && n->Valid() ? n->ShownIn() : nullptr;
    return at ? at : Control();
  }
  void* NodeInterfaceCast(QAccessible::InterfaceType t)
  {
    TAccessibleText text;
    TAccessibleRange range;
    if (t == QAccessible::TextInterface && ReadText(text))
      return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::ValueInterface && ReadRange(range))
      return static_cast<QAccessibleValueInterface*>(this);
    return nullptr;
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
      : FControl(control), FWidget(AccessibleWidgetOf(control)), FNode(std::move(node)),
        FParent(parent ? QAccessible::uniqueId(parent) : 0)
  {}
  // Nothing while the control whose tree holds the node has gone: what the node describes
  // may have gone with it.
  std::shared_ptr<TAccessibleNode> Node() const override
  {
    return FWidget && AccessibleControlOf(FWidget) == FControl ? FNode : nullptr;
  }
  TControl* Control() const override { return FControl; }
  QAccessibleInterface* Self() override { return this; }
  void Reparent(QAccessibleInterface* parent) { FParent = parent ? QAccessible::uniqueId(parent) : 0; }

  bool isValid() const override
  {
    auto n = Node();
    return n && n->Valid();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override
  {
    QWidget* w = AccessibleWidgetOf(ShownIn());
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
  using TTextAnswers::text;
  QString text(QAccessible::Text t) const override { return NodeText(t); }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override { return isValid() ? ToQRect(FNode->ScreenRect()) : QRect(); }
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
    return NodeState(rect());
  }
  void* interface_cast(QAccessible::InterfaceType t) override
  {
    if (!isValid())
      return nullptr;
    if (t == QAccessible::ActionInterface)
      return static_cast<QAccessibleActionInterface*>(this);
    return NodeInterfaceCast(t);
  }

private:
  TControl* FControl;
  QPointer<QWidget> FWidget;
  std::shared_ptr<TAccessibleNode> FNode;
  QAccessible::Id FParent;
};

// The control's own widget, answering from the root node while the control gives one.
class TRootInterface : public QAccessibleWidget, public TNodeAnswers {
public:
  TRootInterface(QWidget* w, TControl* control) : QAccessibleWidget(w), FControl(control), FWidget(w) {}
  ~TRootInterface() override { DropNodeInterfaces(FControl, FWidget); }
  std::shared_ptr<TAccessibleNode> Node() const override
  {
    // The widget outlives its control a little (it is freed from the loop): a control that
    // has let go of its widget may be gone.
    if (AccessibleControlOf(widget()) != FControl)
      return nullptr;
    const auto& provider = FControl->AccessibleRoot();
    if (!provider)
      return nullptr;
    auto n = provider();
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
  using TTextAnswers::text;
  QString text(QAccessible::Text t) const override
  {
    if (!Node())
      return QAccessibleWidget::text(t);
    return NodeText(t);
  }
  // The part that holds the keyboard focus (a page's link, a toolbar's item).
  QAccessibleInterface* focusChild() const override
  {
    if (!Node())
      return QAccessibleWidget::focusChild();
    return FocusedBelow(const_cast<TRootInterface*>(this), 3);
  }
  QAccessible::Role role() const override
  {
    auto n = Node();
    return n ? static_cast<QAccessible::Role>(n->Role()) : QAccessibleWidget::role();
  }
  QAccessible::State state() const override
  {
    if (!Node())
      return QAccessibleWidget::state();
    QAccessible::State s = NodeState(rect());
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
  void* interface_cast(QAccessible::InterfaceType t) override
  {
    if (Node())
      if (void* i = NodeInterfaceCast(t))
        return i;
    return QAccessibleWidget::interface_cast(t);
  }

private:
  TControl* FControl;
  const QWidget* FWidget;
};

// The program as readers see it: its top-level windows, less the popups they reach through
// the control that opened them (a list below its combo box, a submenu below its item), so
// that each popup is read once, where it belongs, and a list kept hidden between openings
// does not stand beside the windows.
class TApplicationInterface : public QAccessibleApplication {
public:
  int childCount() const override { return static_cast<int>(Windows().size()); }
  QAccessibleInterface* child(int index) const override
  {
    const std::vector<QAccessibleInterface*> w = Windows();
    return index >= 0 && index < static_cast<int>(w.size()) ? w[static_cast<size_t>(index)] : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* c) const override
  {
    const std::vector<QAccessibleInterface*> w = Windows();
    auto it = std::find(w.begin(), w.end(), c);
    return it == w.end() ? -1 : static_cast<int>(it - w.begin());
  }

private:
  std::vector<QAccessibleInterface*> Windows() const
  {
    std::vector<QAccessibleInterface*> out;
    const auto& openers = Bridge().Openers;
    for (int i = 0, n = QAccessibleApplication::childCount(); i < n; ++i)
      if (QAccessibleInterface* w = QAccessibleApplication::child(i);
          w && !openers.count(AccessibleControlOf(w->object())))
        out.push_back(w);
    return out;
  }
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
  if (object && object == QCoreApplication::instance())
    return new TApplicationInterface;
  TControl* c = AccessibleControlOf(object);
  if (!c)
    return nullptr;
  if (c->AccessibleRoot())
    return new TRootInterface(static_cast<QWidget*>(object), c);
  return CreateControlInterface(static_cast<QWidget*>(object), c);
}

// Events go to the readers as they come, but for the focus a control's window takes while
// the control keeps it on a part of its own: readers hear the part, which the control
// tells, and no unnamed panel before it.
void UpdateHandler(QAccessibleEvent* e)
{
  if (e->type() == QAccessible::Focus && e->child() < 0)
    if (auto* c = dynamic_cast<TWinControl*>(AccessibleControlOf(e->object())); c && c->FocusInPart())
      return;
  if (QAccessible::UpdateHandler previous = Bridge().PreviousUpdateHandler) {
    previous(e);
    return;
  }
  // The toolkit's own delivery runs while no handler stands.
  QAccessible::installUpdateHandler(nullptr);
  QAccessible::updateAccessibility(e);
  QAccessible::installUpdateHandler(&UpdateHandler);
}

// Every control's widget answers through the factory from the first control on.
void InstallFactory()
{
  TBridgeState& b = Bridge();
  if (!b.FactoryInstalled) {
    QAccessible::installFactory(&Factory);
    b.PreviousUpdateHandler = QAccessible::installUpdateHandler(&UpdateHandler);
    b.FactoryInstalled = true;
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

// Events the toolkit's bridge does not carry as readers want them (a document loaded, on
// which readers start reading a new page; a combo box's selection, which the bridge tells
// only of a box without a value) are told on the bridge's own connection to the
// accessibility bus, from the object the bridge shows, in the form the bridge gives its
// events.
void SendBusEvent(QAccessibleInterface* i, const QString& Interface, const QString& Member)
{
  QDBusConnection bus(QStringLiteral("a11y"));
  if (!bus.isConnected())
    return;
  const QString prefix = QStringLiteral("/org/a11y/atspi/accessible/");
  QDBusMessage m = QDBusMessage::createSignal(prefix + QString::number(QAccessible::uniqueId(i)), Interface, Member);
  QDBusArgument application;
  application.beginStructure();
  application << bus.baseService() << QDBusObjectPath(prefix + QStringLiteral("root"));
  application.endStructure();
  m << QString() << 0 << 0 << QVariant::fromValue(QDBusVariant(QVariant(0))) << QVariant::fromValue(application);
  bus.send(m);
}

TAccessibleSnapshot Snap(QAccessibleInterface* i, int depth)
{
  TAccessibleSnapshot s;
  s.Name = i->text(QAccessible::Name).toStdString();
  s.Description = i->text(QAccessible::Description).toStdString();
  s.Role = static_cast<int32_t>(i->role());
  s.State = FromQState(i->state());
  if (QAccessibleActionInterface* a = i->actionInterface()) {
    QStringList names = a->actionNames();
    if (!names.isEmpty())
      s.Actions = a->localizedActionName(names.first()).toStdString();
  }
  s.KeyboardShortcut = i->text(QAccessible::Accelerator).toStdString();
  QRect r = i->rect();
  s.Rect = {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
  if (QAccessibleTextInterface* t = i->textInterface()) {
    s.HasText = true;
    s.Text = t->text(0, t->characterCount()).toStdString();
    s.Caret = t->cursorPosition();
  }
  if (QAccessibleValueInterface* v = i->valueInterface()) {
    s.HasRange = true;
    s.Range = {v->currentValue().toInt(), v->minimumValue().toInt(), v->maximumValue().toInt()};
  }
  if (depth > 0)
    for (int k = 0, n = i->childCount(); k < n; ++k)
      if (QAccessibleInterface* c = i->child(k))
        s.Children.push_back(Snap(c, depth - 1));
  return s;
}

}   // namespace

// ---------------------------------------------------------------------------------------

namespace accessible {

QString FromAnsi(const std::string& s) { return FromWide(AnsiToWide(s)); }

QString FromWide(const std::u16string& s)
{
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

QAccessible::State ToQState(uint32_t s)
{
  QAccessible::State q;
  q.disabled = (s & STATE_SYSTEM_UNAVAILABLE) != 0;
  q.selected = (s & STATE_SYSTEM_SELECTED) != 0;
  q.focused = (s & STATE_SYSTEM_FOCUSED) != 0;
  q.pressed = (s & STATE_SYSTEM_PRESSED) != 0;
  q.checked = (s & STATE_SYSTEM_CHECKED) != 0;
  q.checkable = q.checked;
  q.readOnly = (s & STATE_SYSTEM_READONLY) != 0;
  q.hotTracked = (s & STATE_SYSTEM_HOTTRACKED) != 0;
  q.expanded = (s & STATE_SYSTEM_EXPANDED) != 0;
  q.collapsed = (s & STATE_SYSTEM_COLLAPSED) != 0;
  q.expandable = q.expanded || q.collapsed;
  q.invisible = (s & STATE_SYSTEM_INVISIBLE) != 0;
  q.offscreen = (s & STATE_SYSTEM_OFFSCREEN) != 0;
  q.focusable = (s & STATE_SYSTEM_FOCUSABLE) != 0;
  q.selectable = (s & STATE_SYSTEM_SELECTABLE) != 0;
  q.linked = (s & STATE_SYSTEM_LINKED) != 0;
  q.traversed = (s & STATE_SYSTEM_TRAVERSED) != 0;
  q.hasPopup = (s & STATE_SYSTEM_HASPOPUP) != 0;
  return q;
}

uint32_t FromQState(const QAccessible::State& q)
{
  uint32_t s = 0;
  s |= q.disabled ? STATE_SYSTEM_UNAVAILABLE : 0;
  s |= q.selected ? STATE_SYSTEM_SELECTED : 0;
  s |= q.focused ? STATE_SYSTEM_FOCUSED : 0;
  s |= q.pressed ? STATE_SYSTEM_PRESSED : 0;
  s |= q.checked ? STATE_SYSTEM_CHECKED : 0;
  s |= q.readOnly ? STATE_SYSTEM_READONLY : 0;
  s |= q.hotTracked ? STATE_SYSTEM_HOTTRACKED : 0;
  s |= q.expanded ? STATE_SYSTEM_EXPANDED : 0;
  s |= q.collapsed ? STATE_SYSTEM_COLLAPSED : 0;
  s |= q.invisible ? STATE_SYSTEM_INVISIBLE : 0;
  s |= q.offscreen ? STATE_SYSTEM_OFFSCREEN : 0;
  s |= q.focusable ? STATE_SYSTEM_FOCUSABLE : 0;
  s |= q.selectable ? STATE_SYSTEM_SELECTABLE : 0;
  s |= q.linked ? STATE_SYSTEM_LINKED : 0;
  s |= q.traversed ? STATE_SYSTEM_TRAVERSED : 0;
  s |= q.hasPopup ? STATE_SYSTEM_HASPOPUP : 0;
  return s;
}

void MarkShowing(QAccessible::State& s, TControl* Control, const QRect& Rect)
{
  QWidget* w = AccessibleWidgetOf(Control);
  if (!w || !w->isVisible())
    s.invisible = true;
  else if (!s.invisible
           && !AccessibleRectShows(Control, {Rect.x(), Rect.y(), Rect.x() + Rect.width(), Rect.y() + Rect.height()}))
    s.offscreen = true;
}

void AfterRequest(TControl* Control, std::function<void()> Action)
{
  QPointer<QWidget> w = AccessibleWidgetOf(Control);
  QMetaObject::invokeMethod(
      qApp,
      [w, Control, Action = std::move(Action)] {
        if (w && AccessibleControlOf(w) == Control)
          GuardedCall(Action, Control);
      },
      Qt::QueuedConnection);
}

// ---- text answers ----

void TTextAnswers::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
  TAccessibleText t;
  *startOffset = *endOffset = 0;
  if (selectionIndex == 0 && ReadText(t) && t.SelEnd > t.SelStart) {
    *startOffset = t.SelStart;
    *endOffset = t.SelEnd;
  }
}

int TTextAnswers::selectionCount() const
{
  TAccessibleText t;
  return ReadText(t) && t.SelEnd > t.SelStart ? 1 : 0;
}

int TTextAnswers::cursorPosition() const
{
  TAccessibleText t;
  return ReadText(t) && t.Caret >= 0 ? t.Caret : 0;
}

QString TTextAnswers::text(int startOffset, int endOffset) const
{
  TAccessibleText t;
  if (!ReadText(t))
    return {};
  const auto n = static_cast<int>(t.Text.size());
  if (endOffset < 0 || endOffset > n)
    endOffset = n;
  startOffset = std::clamp(startOffset, 0, endOffset);
  return FromWide(t.Text.substr(static_cast<size_t>(startOffset), static_cast<size_t>(endOffset - startOffset)));
}

int TTextAnswers::characterCount() const
{
  TAccessibleText t;
  return ReadText(t) ? static_cast<int>(t.Text.size()) : 0;
}

QString TTextAnswers::attributes(int offset, int* startOffset, int* endOffset) const
{
  // The text carries no attributes: it is one run, and the reader that splits a line by its
  // runs keeps every character (an empty run at each offset cost the line its last one).
  TAccessibleText t;
  const int n = ReadText(t) ? static_cast<int>(t.Text.size()) : 0;
  if (offset < 0 || offset > n) {
    *startOffset = *endOffset = -1;
    return {};
  }
  *startOffset = 0;
  *endOffset = n;
  return {};
}

namespace {

// The word or sentence round an offset: from the nearest boundary at or before it that starts
// or ends one to the next such boundary after it (the spaces between two words are an item of
// their own). The offset lies in [0, length].
void ItemAround(const QString& Text, QTextBoundaryFinder::BoundaryType Kind, int Offset, int& Start, int& End)
{
  const auto n = static_cast<int>(Text.size());
  const auto edges = QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem;
  QTextBoundaryFinder finder(Kind, Text);
  finder.setPosition(Offset);
  int at = Offset;
  while (at > 0 && !(finder.boundaryReasons() & edges))
    at = finder.toPreviousBoundary();
  Start = std::max(at, 0);
  finder.setPosition(Start);
  int next = finder.toNextBoundary();
  while (next > 0 && next < n && !(finder.boundaryReasons() & edges))
    next = finder.toNextBoundary();
  End = next < 0 ? n : std::max(next, Start);
}

// The line its line ends make round an offset, with the line end that closes it.
void ParagraphAround(const QString& Text, int Offset, int& Start, int& End)
{
  const auto n = static_cast<int>(Text.size());
  Start = Offset > 0 ? static_cast<int>(Text.lastIndexOf(u'\n', Offset - 1)) + 1 : 0;
  const auto end = Offset < n ? Text.indexOf(u'\n', Offset) : -1;
  End = end < 0 ? n : static_cast<int>(end) + 1;
}

// The piece of the text of that kind round the offset; false where there is none.
bool PieceAround(const TTextAnswers& Answers, const QString& Text, QAccessible::TextBoundaryType Type, int Offset,
                 int& Start, int& End)
{
  const auto n = static_cast<int>(Text.size());
  if (Offset < 0 || Offset > n)
    return false;
  switch (Type) {
  case QAccessible::CharBoundary:
    if (Offset == n)
      return false;
    Start = Offset;
    End = Offset + (Text.at(Offset).isHighSurrogate() && Offset + 1 < n ? 2 : 1);
    return true;
  case QAccessible::WordBoundary: ItemAround(Text, QTextBoundaryFinder::Word, Offset, Start, End); return true;
  case QAccessible::SentenceBoundary: ItemAround(Text, QTextBoundaryFinder::Sentence, Offset, Start, End); return true;
  case QAccessible::LineBoundary:
    if (Answers.ReadLine(Offset, Start, End) && Start >= 0 && Start <= Offset && End >= Start && End <= n)
      return true;
    ParagraphAround(Text, Offset, Start, End);
    return true;
  case QAccessible::ParagraphBoundary: ParagraphAround(Text, Offset, Start, End); return true;
  case QAccessible::NoBoundary:
    Start = 0;
    End = n;
    return true;
  }
  return false;
}

}   // namespace

namespace {

// The text a reader asks about, with its offset made a place in it (-2: the caret, -1: the
// end); false where there is no text.
bool TextAndOffset(const TTextAnswers& Answers, int& Offset, QString& Text)
{
  TAccessibleText t;
  if (!Answers.ReadText(t))
    return false;
  Text = FromWide(t.Text);
  if (Offset == -2)
    Offset = t.Caret >= 0 ? t.Caret : 0;
  else if (Offset == -1)
    Offset = static_cast<int>(Text.size());
  return true;
}

QString Answer(const QString& Text, int Start, int End, int* StartOffset, int* EndOffset)
{
  *StartOffset = Start;
  *EndOffset = End;
  return Text.mid(Start, End - Start);
}

}   // namespace

QString TTextAnswers::textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                   int* endOffset) const
{
  *startOffset = *endOffset = -1;
  QString text;
  int s = 0, e = 0;
  if (!TextAndOffset(*this, offset, text) || !PieceAround(*this, text, type, offset, s, e))
    return {};
  return Answer(text, s, e, startOffset, endOffset);
}

QString TTextAnswers::textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                       int* endOffset) const
{
  *startOffset = *endOffset = -1;
  QString text;
  int s = 0, e = 0;
  // The piece before the one the offset stands in.
  if (!TextAndOffset(*this, offset, text)
      || !PieceAround(*this, text, type, std::min(offset, static_cast<int>(text.size())), s, e) || s <= 0
      || !PieceAround(*this, text, type, s - 1, s, e))
    return {};
  return Answer(text, s, e, startOffset, endOffset);
}

QString TTextAnswers::textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                      int* endOffset) const
{
  *startOffset = *endOffset = -1;
  QString text;
  int s = 0, e = 0;
  // The piece after the one the offset stands in.
  if (!TextAndOffset(*this, offset, text) || !PieceAround(*this, text, type, offset, s, e)
      || e >= static_cast<int>(text.size()) || e <= offset || !PieceAround(*this, text, type, e, s, e))
    return {};
  return Answer(text, s, e, startOffset, endOffset);
}

// ---- value answers ----

QVariant TValueAnswers::currentValue() const
{
  TAccessibleRange r;
  return ReadRange(r) ? QVariant(r.Position) : QVariant();
}

QVariant TValueAnswers::minimumValue() const
{
  TAccessibleRange r;
  return ReadRange(r) ? QVariant(r.Min) : QVariant();
}

QVariant TValueAnswers::maximumValue() const
{
  TAccessibleRange r;
  return ReadRange(r) ? QVariant(r.Max) : QVariant();
}

void TValueAnswers::setCurrentValue(const QVariant& value)
{
  TAccessibleRange r;
  if (ReadRange(r))
    WriteValue(std::clamp(value.toInt(), r.Min, r.Max));
}

// ---- node interfaces ----

QAccessibleInterface* NodeInterface(TControl* Control, const std::shared_ptr<TAccessibleNode>& Node,
                                    QAccessibleInterface* Parent)
{
  if (!Node || !Node->Valid())
    return nullptr;
  auto& nodes = Bridge().Nodes;
  auto key = std::make_tuple(Control, Node->Identity(), Node->Part());
  auto it = nodes.find(key);
  if (it != nodes.end()) {
    auto* iface = static_cast<TNodeInterface*>(QAccessible::accessibleInterface(it->second.Id));
    if (iface && iface->isValid()) {
      iface->Reparent(Parent);
      return iface;
    }
    // What it described has gone (and something new may sit at the same address).
    if (iface)
      QAccessible::deleteAccessibleInterface(it->second.Id);
    nodes.erase(it);
  }
  if (nodes.size() >= Bridge().SweepAt)
    SweepNodes(Bridge());
  auto* iface = new TNodeInterface(Control, Node, Parent);
  nodes[key] = {QAccessible::registerAccessibleInterface(iface), AccessibleWidgetOf(Control)};
  return iface;
}

void DropNodeInterfaces(TControl* Control, const QWidget* Widget)
{
  auto& nodes = Bridge().Nodes;
  for (auto it = nodes.begin(); it != nodes.end();) {
    if (std::get<0>(it->first) == Control && (!Widget || it->second.Widget == Widget)) {
      QAccessible::Id id = it->second.Id;
      it = nodes.erase(it);
      if (QAccessible::accessibleInterface(id))
        QAccessible::deleteAccessibleInterface(id);
    } else {
      ++it;
    }
  }
}

}   // namespace accessible

// ---------------------------------------------------------------------------------------

void EnsureAccessibleControls() { InstallFactory(); }

void SetAccessibleRoot(TControl* Control, TAccessibleRootProvider Provider)
{
  if (!Control)
    return;
  InstallFactory();
  DropNodeInterfaces(Control);
  Control->FAccessibleRoot = std::move(Provider);
}

void SetAccessibleOpener(TControl* Popup, TControl* Opener)
{
  if (!Popup)
    return;
  if (Opener)
    Bridge().Openers[Popup] = Opener;
  else
    Bridge().Openers.erase(Popup);
}

namespace {

class TControlNode : public TAccessibleNode {
public:
  explicit TControlNode(TControl* Control) : FControl(Control) {}
  bool Valid() override { return true; }
  std::u16string Name() override { return {}; }
  int32_t Role() override { return ROLE_SYSTEM_CLIENT; }
  uint32_t State() override { return 0; }
  TRect ScreenRect() override { return {}; }
  const void* Identity() override { return FControl; }
  TControl* HostedControl() override { return FControl; }

private:
  TControl* FControl;
};

}   // namespace

std::shared_ptr<TAccessibleNode> AccessibleControlNode(TControl* Control)
{
  return std::make_shared<TControlNode>(Control);
}

bool AccessibleRectShows(TControl* Control, const TRect& ScreenRect)
{
  QWidget* w = AccessibleWidgetOf(Control);
  if (!w || !w->isVisible() || w->window()->isMinimized())
    return false;
  // What of the control its parents do not clip away, on the screen.
  QRect seen(w->mapToGlobal(QPoint(0, 0)), w->size());
  for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    seen &= QRect(p->mapToGlobal(QPoint(0, 0)), p->size());
  QRect r = ToQRect(ScreenRect);
  if (r.isEmpty())
    r.setSize({1, 1});
  if (!seen.intersects(r))
    return false;
  for (QScreen* screen : QGuiApplication::screens())
    if (screen->geometry().intersects(r))
      return true;
  return false;
}

void NotifyAccessible(TControl* Control, TAccessibleEvent Event, const std::vector<int>& Child)
{
  if (!QAccessible::isActive() || !Control || !Control->AccessibleRoot())
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
  case TAccessibleEvent::NameChange: e = QAccessible::NameChanged; break;
  case TAccessibleEvent::DocumentLoad:
    SendBusEvent(i, QStringLiteral("org.a11y.atspi.Event.Document"), QStringLiteral("LoadComplete"));
    return;
  case TAccessibleEvent::SelectedChange:
    // (Heard as the selected state's change, whichever way it went.)
    e = i->state().selected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove;
    break;
  }
  QAccessibleEvent ev(i, e);
  QAccessible::updateAccessibility(&ev);
}

void NotifyAccessibleFocus(TControl* Control)
{
  QWidget* w = AccessibleWidgetOf(Control);
  if (!QAccessible::isActive() || !w)
    return;
  if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w)) {
    QAccessibleEvent ev(i, QAccessible::Focus);
    QAccessible::updateAccessibility(&ev);
  }
}

namespace {
// The part of a focused control that has the keyboard: a control that shows a page of its own
// in a child (a document and its links) is not what the reader is on.
QAccessibleInterface* FocusedPart(QAccessibleInterface* i)
{
  for (int depth = 0; depth < 4; ++depth) {
    QAccessibleInterface* part = i->focusChild();
    if (!part || part == i)
      part = FocusedBelow(i, 2);
    if (!part || part == i)
      break;
    i = part;
  }
  return i;
}
}   // namespace

void NotifyAccessibleFocusReturn()
{
  if (!QAccessible::isActive())
    return;
  // Told from the message loop, behind what the code that closed the menus queues as it
  // finishes (the item chosen, which may lay the page out anew or close the window that has
  // the keyboard): readers hear what has the keyboard then, never a part that went just after
  // they heard it. The first message finds that queued, the second comes after it.
  auto wnd = std::make_shared<HWND>(0);
  *wnd = AllocateHWnd([wnd](TMessage& m) {
    if (m.WParam == 0) {
      PostMessage(*wnd, WM_USER, 1, 0);
      return;
    }
    DeallocateHWnd(*wnd);
    QWidget* w = QApplication::focusWidget();
    QAccessibleInterface* i = w && w->isVisible() ? QAccessible::queryAccessibleInterface(w) : nullptr;
    if (!QAccessible::isActive() || !i)
      return;
    QAccessibleEvent ev(FocusedPart(i), QAccessible::Focus);
    QAccessible::updateAccessibility(&ev);
  });
  PostMessage(*wnd, WM_USER, 0, 0);
}

void NotifyAccessibleFocusedPart(TControl* Control)
{
  if (!QAccessible::isActive())
    return;
  // After the toolkit's own focus event for the control, which names the control.
  AfterRequest(Control, [Control] {
    QWidget* w = AccessibleWidgetOf(Control);
    QAccessibleInterface* i = w && w->hasFocus() ? QAccessible::queryAccessibleInterface(w) : nullptr;
    QAccessibleInterface* part = i ? FocusedPart(i) : nullptr;
    if (part && part != i) {
      QAccessibleEvent ev(part, QAccessible::Focus);
      QAccessible::updateAccessibility(&ev);
    }
  });
}

void NotifyAccessibleChange(TControl* Control, TAccessibleChange Change)
{
  QWidget* w = AccessibleWidgetOf(Control);
  if (!QAccessible::isActive() || !w)
    return;
  QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
  if (!i)
    return;
  switch (Change) {
  case TAccessibleChange::Name: {
    QAccessibleEvent ev(i, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&ev);
    // What goes by the label's words is renamed with it, each telling it itself.
    for (TControl* c : NamedAfter(Control))
      if (QWidget* cw = AccessibleWidgetOf(c))
        if (QAccessibleInterface* ci = QAccessible::queryAccessibleInterface(cw)) {
          QAccessibleEvent named(ci, QAccessible::NameChanged);
          QAccessible::updateAccessibility(&named);
        }
    break;
  }
  case TAccessibleChange::Checked: {
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent ev(i, changed);
    QAccessible::updateAccessibility(&ev);
    break;
  }
  case TAccessibleChange::Value:
    if (QAccessibleValueInterface* v = i->valueInterface()) {
      QAccessibleValueChangeEvent ev(i, v->currentValue());
      QAccessible::updateAccessibility(&ev);
    }
    // A combo box's choice is its name to readers, and its list's selection: both are told,
    // as the desktop's own combo box tells them.
    if (i->role() == QAccessible::ComboBox) {
      QAccessibleEvent name(i, QAccessible::NameChanged);
      QAccessible::updateAccessibility(&name);
      SendBusEvent(i, QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("SelectionChanged"));
    }
    break;
  case TAccessibleChange::Caret:
    if (QAccessibleTextInterface* t = i->textInterface()) {
      QAccessibleTextCursorEvent ev(i, t->cursorPosition());
      QAccessible::updateAccessibility(&ev);
    }
    break;
  case TAccessibleChange::Selection:
    if (QAccessibleTextInterface* t = i->textInterface()) {
      int start = 0, end = 0;
      if (t->selectionCount() > 0)
        t->selection(0, &start, &end);
      QAccessibleTextSelectionEvent ev(i, start, end);
      QAccessible::updateAccessibility(&ev);
    }
    break;
  }
}

void NotifyAccessibleTextChange(TControl* Control, const std::string& Before)
{
  QWidget* w = AccessibleWidgetOf(Control);
  if (!QAccessible::isActive() || !w)
    return;
  QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
  QAccessibleTextInterface* t = i ? i->textInterface() : nullptr;
  if (!t)
    return;
  const QString before = FromAnsi(Before), after = t->text(0, t->characterCount());
  if (before == after)
    return;
  // What lies between the parts both share at the start and at the end went, and what
  // stands there now came.
  qsizetype head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head])
    ++head;
  qsizetype tail = 0;
  while (tail < before.size() - head && tail < after.size() - head
         && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  const QString removed = before.mid(head, before.size() - head - tail);
  const QString inserted = after.mid(head, after.size() - head - tail);
  if (!removed.isEmpty()) {
    QAccessibleTextRemoveEvent ev(i, static_cast<int>(head), removed);
    QAccessible::updateAccessibility(&ev);
  }
  if (!inserted.isEmpty()) {
    QAccessibleTextInsertEvent ev(i, static_cast<int>(head), inserted);
    QAccessible::updateAccessibility(&ev);
  }
}

TAccessibleSnapshot AccessibleSnapshot(TControl* Control, int MaxDepth)
{
  QAccessibleInterface* i = RootOf(Control);
  return i ? Snap(i, MaxDepth) : TAccessibleSnapshot{};
}

int AccessibleIndexInParent(TControl* Control)
{
  QWidget* w = AccessibleWidgetMade(Control);
  QAccessibleInterface* i = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
  QAccessibleInterface* p = i ? i->parent() : nullptr;
  return p ? p->indexOfChild(i) : -1;
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
