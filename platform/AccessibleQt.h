// Qt side of the accessibility bridge, for the platform's accessibility sources only
// (includes Qt): the conversions every answer goes through, the text and value answers
// that nodes and controls share, and the interfaces of nodes and of controls.
#pragma once

#include <QAccessible>
#include <QAccessibleWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Accessible.h"

class QWidget;

QWidget* AccessibleWidgetOf(TControl* control);
// The same, made first when the control waits for its window out of sight (a page's far
// fields) under a parent that has one.
QWidget* AccessibleWidgetMade(TControl* control);
TControl* AccessibleControlOf(QObject* object);

namespace accessible {

// Every text that reaches a client goes through one of these: program strings from the
// 8-bit code page they are held in, node texts from UTF-16.
QString FromAnsi(const std::string& s);
QString FromWide(const std::u16string& s);

QRect ToQRect(const TRect& r);
QAccessible::State ToQState(uint32_t s);
uint32_t FromQState(const QAccessible::State& q);

// Marks the state of something of Control at Rect (screen coordinates) as a client must
// see it: invisible while the control is hidden, off the screen while the rectangle lies
// outside what of the control can be seen.
void MarkShowing(QAccessible::State& s, TControl* Control, const QRect& Rect);

// The text interface, answered from a text its owner reads when asked (read-only: clients
// read the text, its caret and its selection).
class TTextAnswers : public QAccessibleTextInterface {
public:
  virtual bool ReadText(TAccessibleText& t) const = 0;
  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override;
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override;
  void setCursorPosition(int) override {}
  QString text(int startOffset, int endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* startOffset, int* endOffset) const override;
  // Words and sentences as the text's boundaries make them; lines as the text is laid out on
  // the screen where ReadLine knows them, else as its line ends make them.
  QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset, int* endOffset) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                           int* endOffset) const override;
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                          int* endOffset) const override;
  // The laid-out line the offset stands on; false where the text has no layout of its own.
  virtual bool ReadLine(int, int&, int&) const { return false; }
};

// The value interface, answered from a range its owner reads when asked; a value a client
// sets goes to WriteValue, clamped to the range.
class TValueAnswers : public QAccessibleValueInterface {
public:
  virtual bool ReadRange(TAccessibleRange& r) const = 0;
  virtual void WriteValue(int32_t v) = 0;
  QVariant currentValue() const override;
  QVariant minimumValue() const override;
  QVariant maximumValue() const override;
  QVariant minimumStepSize() const override { return 1; }
  void setCurrentValue(const QVariant& value) override;
};

// Runs what a client asked for once its request has been answered, from the message loop,
// while the control's window still stands: an action may open a modal window, which must
// not hold the client's request.
void AfterRequest(TControl* Control, std::function<void()> Action);

// The interface of a node below Control, made once per described object and found again
// while the node stays valid (the toolkit owns it).
QAccessibleInterface* NodeInterface(TControl* Control, const std::shared_ptr<TAccessibleNode>& Node,
                                    QAccessibleInterface* Parent);

// Takes back the interfaces of the nodes below Control (its window goes, or its tree is
// replaced): what they describe may go with it. With a Widget, only those made while that
// widget was the control's: a widget freed after its control (from the loop) must not take
// the nodes of a new control made since at the same address.
void DropNodeInterfaces(TControl* Control, const QWidget* Widget = nullptr);

// The controls a label's caption names (those beside it with no name of their own): their
// names changed with it.
std::vector<TControl*> NamedAfter(TControl* Label);

// The interface of a platform control that has no nodes of its own.
QAccessibleInterface* CreateControlInterface(QWidget* Widget, TControl* Control);

}   // namespace accessible
