#include "platform/Forms.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include <algorithm>

// ---------------------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm()
{
  SetBounds(0, 0, 320, 240);
  SetVisible(false);
  Screen().FForms.push_back(this);
}

TCustomForm::~TCustomForm()
{
  auto& v = Screen().FForms;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  if (Screen().FLastActive == this)
    Screen().FLastActive = nullptr;
  DestroyHandle();
}

void TCustomForm::Close()
{
  TCloseAction action = caHide;
  if (OnClose)
    OnClose(this, action);
  if (action == caHide || action == caFree || action == caMinimize)
    Hide();
}

bool TCustomForm::Active() const { return Screen().ActiveForm() == this; }

void TCustomForm::Activate()
{
  Screen().FLastActive = this;
  HandleNeeded();
}

void TCustomForm::VisibleChanged()
{
  if (Visible()) {
    Screen().FLastActive = this;
    if (OnShow)
      OnShow(this);
  } else if (OnHide) {
    OnHide(this);
  }
}

void TPopupWindowControl::CreateParams(TCreateParams& params)
{
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP;
  params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}

// ---------------------------------------------------------------------------------------
// TScreen

TScreen& Screen()
{
  static TScreen screen;
  return screen;
}

TMonitorInfo TScreen::MonitorFromWindow(const TControl& control) const
{
  TPoint o = control.ClientToScreen({0, 0});
  TPoint nc = control.NonClientSize();
  return ::MonitorFromRect(Bounds(o.X - nc.X, o.Y - nc.Y, control.Width(), control.Height()));
}

void TScreen::SetCursor(TCursor c)
{
  if (c == FCursor)
    return;
  FCursor = c;
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    return;
  while (QApplication::overrideCursor())
    QApplication::restoreOverrideCursor();
  if (c != crDefault)
    QApplication::setOverrideCursor(QCursor(c == crHourGlass ? Qt::WaitCursor
                                            : c == crAppStart ? Qt::BusyCursor
                                            : Qt::ArrowCursor));
}

TCustomForm* TScreen::ActiveForm() const
{
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    if (QWidget* w = QApplication::activeWindow())
      for (TCustomForm* f : FForms)
        if (f->Showing() && f->ClientToScreen({0, 0}) == TPoint{w->x(), w->y()})
          return f;
  return FLastActive;
}

// ---------------------------------------------------------------------------------------
// Hints

namespace {
std::string GHint;
TNotifyEvent GOnHint;
}  // namespace

void SetApplicationHint(const std::string& hint)
{
  if (hint == GHint)
    return;
  GHint = hint;
  if (GOnHint)
    GuardedCall([] { GOnHint(nullptr); });
}

std::string ApplicationHint() { return GHint; }
void CancelHint() {}
void SetOnApplicationHint(TNotifyEvent handler) { GOnHint = std::move(handler); }

std::string GetShortHint(const std::string& hint)
{
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint)
{
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

// ---------------------------------------------------------------------------------------
// Nested loops

bool RunNestedLoop(const std::function<bool()>& finished)
{
  if (!Application)
    return false;
  while (!finished()) {
    if (Application->Terminated())
      return false;
    Application->HandleMessage();
  }
  return !Application->Terminated();
}
