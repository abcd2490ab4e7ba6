#include "platform/Forms.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include "platform/CanvasQt.h"

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

void TCustomForm::SetIcon(const TBitmap& icon, TColor transparentColor)
{
  FIcon = icon;
  FIconTransparent = transparentColor;
  ApplyIcon();
}

void TCustomForm::HandleCreated() { ApplyIcon(); }

void TCustomForm::ApplyIcon()
{
  auto* w = static_cast<QWidget*>(ToolkitWidget());
  if (!w || FIcon.Empty())
    return;
  QImage image = BitmapToQImage(FIcon).convertToFormat(QImage::Format_ARGB32);
  if (FIconTransparent != clNone) {
    const QRgb key = qRgb(GetRValue(FIconTransparent), GetGValue(FIconTransparent), GetBValue(FIconTransparent));
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
          line[x] = 0;
    }
  }
  w->setWindowIcon(QIcon(QPixmap::fromImage(image)));
}

bool TCustomForm::Active() const { return Screen().ActiveForm() == this; }

void TCustomForm::Activate()
{
  Screen().FLastActive = this;
  HandleNeeded();
  // A shown window is brought forward and takes the keyboard, as the system's activation does.
  if (auto* w = static_cast<QWidget*>(ToolkitWidget()); w && w->isVisible() && !IsPopupWindow()) {
    w->raise();
    w->activateWindow();
  }
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
  SetOverrideCursor(c);
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
}   // namespace

void SetApplicationHint(const std::string& hint)
{
  if (hint == GHint)
    return;
  GHint = hint;
  if (GOnHint)
    GuardedCall([] { GOnHint(nullptr); });
}

std::string ApplicationHint() { return GHint; }

namespace {

class THintWindow : public TPopupWindowControl {
public:
  THintWindow()
  {
    SetColor(clInfoBk);
    // Clicks on a hint reach the window under it.
    SetMouseTransparent(true);
  }
  ~THintWindow() override { DestroyHandle(); }
  std::string Text;

protected:
  void Paint() override
  {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(clInfoText);
    c.FrameRect(r);
    c.Font().SetColor(clInfoText);
    c.Brush().SetStyle(bsClear);
    r.Left += 3;
    c.DrawText(Text, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
};

struct THintState {
  TControl* Control = nullptr;   // the control the pause or the shown hint belongs to
  TPoint Pos;
  TRect Area;   // screen coordinates, while shown or expired
  bool Showing = false;
  bool Expired = false;
  std::unique_ptr<THintWindow> Window;
  std::unique_ptr<TTimer> Timer;
  int DestroyWatch = 0;
};

THintState& Hints()
{
  static THintState s;
  return s;
}

void HideHintWindow()
{
  THintState& h = Hints();
  if (h.Timer)
    h.Timer->SetEnabled(false);
  // The window lives only while it shows, so none outlives the toolkit at exit.
  h.Window.reset();
  h.Showing = false;
}

void HintTimerFired()
{
  THintState& h = Hints();
  h.Timer->SetEnabled(false);
  if (h.Showing) {
    HideHintWindow();
    h.Expired = true;
    return;
  }
  if (!h.Control)
    return;
  std::string text;
  TRect area;
  if (!h.Control->Showing() || !h.Control->GetHintInfo(h.Control->ScreenToClient(h.Pos), text, area) || text.empty()) {
    h.Control = nullptr;
    return;
  }
  TPoint tl = h.Control->ClientToScreen({area.Left, area.Top});
  h.Area = Bounds(tl.X, tl.Y, area.Width(), area.Height());
  h.Window = std::make_unique<THintWindow>();
  TBitmap measure(1, 1);
  std::unique_ptr<TCanvas> mc = CreateBitmapCanvas(measure);
  mc->Font().Assign(h.Window->Font());
  TSize ext = mc->TextExtent(text);
  Integer w = ext.cx + 8, ht = ext.cy + 4;
  TRect work = MonitorFromPoint(h.Pos).WorkArea;
  Integer x = std::max(work.Left, std::min(h.Pos.X, work.Right - w));
  Integer y = h.Pos.Y + 20;
  if (y + ht > work.Bottom)
    y = h.Pos.Y - ht - 2;
  h.Window->Text = text;
  h.Window->SetBounds(x, y, w, ht);
  h.Window->Show();
  h.Window->Invalidate();
  h.Showing = true;
  h.Timer->SetInterval(HintHidePauseMs);
  h.Timer->SetEnabled(true);
}

}   // namespace

void CancelHint()
{
  THintState& h = Hints();
  HideHintWindow();
  h.Control = nullptr;
  h.Expired = false;
}

void HintMouseMessage(TControl* control, TPoint screenPos)
{
  THintState& h = Hints();
  if (!control) {
    CancelHint();
    return;
  }
  if (control == h.Control && (h.Showing || h.Expired) && h.Area.Contains(screenPos))
    return;
  if (control == h.Control && !h.Showing && !h.Expired && h.Timer && h.Timer->Enabled()) {
    h.Pos = screenPos;   // still resting: the pause runs on
    return;
  }
  CancelHint();
  if (!h.Timer) {
    h.Timer = std::make_unique<TTimer>();
    h.Timer->SetEnabled(false);
    h.Timer->SetOnTimer([](TObject*) { HintTimerFired(); });
    // A control going away takes its hint with it.
    h.DestroyWatch = AddWindowEventHandler([](TWindowEvent e, TControl* c) {
      if (e == TWindowEvent::Destroying && c && c == Hints().Control)
        CancelHint();
    });
  }
  h.Control = control;
  h.Pos = screenPos;
  h.Timer->SetInterval(HintPauseMs);
  h.Timer->SetEnabled(true);
}

std::string ShownHintText()
{
  THintState& h = Hints();
  return h.Showing && h.Window ? h.Window->Text : std::string();
}

TRect ShownHintBounds()
{
  THintState& h = Hints();
  return h.Showing && h.Window ? h.Window->BoundsRect() : TRect{};
}
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
