#include "platform/SysSettings.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <map>

#include "platform/Application.h"
#include "platform/Fonts.h"
#include "platform/Sounds.h"
#include "platform/SysUtils.h"

namespace {

class TDesktopWatch;

// The settings record and who hears of its changes; the application holds them.
struct TSettingsState : TApplicationState {
  ~TSettingsState() override;
  TSystemSettings Settings;
  std::map<int, std::function<void()>> Handlers;
  int NextHandler = 1;
  bool ChangePending = false;
  std::unique_ptr<TDesktopWatch> Watch;
  Integer Beeps = 0;
};

TSettingsState* State() { return ApplicationState<TSettingsState>(); }

// The settings as they stand: the defaults where there is no application.
const TSystemSettings& Current()
{
  static const TSystemSettings defaults;
  const TSettingsState* state = FoundApplicationState<TSettingsState>();
  return state ? state->Settings : defaults;
}

void NotifySettingsChanged(TSettingsState& state)
{
  state.ChangePending = false;
  std::map<int, std::function<void()>> handlers = state.Handlers;
  for (auto& entry : handlers)
    if (state.Handlers.count(entry.first))
      entry.second();
}

// Hears the toolkit tell of a change of the desktop's theme or fonts: it comes to every
// window in turn, and the handlers hear of it once, when the loop is next free.
class TDesktopWatch : public QObject {
public:
  explicit TDesktopWatch(TSettingsState& state) : FState(state) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override
  {
    if ((event->type() == QEvent::ThemeChange || event->type() == QEvent::ApplicationFontChange)
        && !FState.ChangePending) {
      FState.ChangePending = true;
      QTimer::singleShot(0, this, [this] {
        if (FState.ChangePending)
          NotifySettingsChanged(FState);
      });
    }
    return QObject::eventFilter(watched, event);
  }

private:
  TSettingsState& FState;
};

TSettingsState::~TSettingsState() = default;

// With no settings of the desktop the toolkit falls back to a "Sans Serif" of its own at
// 9 points: that is no menu font the desktop names, and menus keep the classic one.
TDesktopFont DesktopMenuFont()
{
  const QFont f = QApplication::font("QMenu");
  if (f.family() == QLatin1String("Sans Serif") || f.family().isEmpty())
    return {};
  TDesktopFont d;
  d.Name = f.family().toStdString();
  const double points = f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 72.0 / 96.0;
  d.Size = std::max(1, SafeRound(points));
  d.Style = static_cast<TFontStyles>((f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0));
  return d;
}

// The desktop's choices that were not injected.
void FillFromDesktop(TSystemSettings& s)
{
  if (s.MenuAnimation && s.MenuFade && s.DropShadow && s.MenuFont)
    return;
  EnsureGuiApplication();
  if (!s.MenuAnimation)
    s.MenuAnimation = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
  if (!s.MenuFade)
    s.MenuFade = QApplication::isEffectEnabled(Qt::UI_FadeMenu);
  // The toolkit has no effect of its own for shadows: they go with the desktop's effects.
  if (!s.DropShadow)
    s.DropShadow = QApplication::isEffectEnabled(Qt::UI_General);
  if (!s.MenuFont)
    s.MenuFont = DesktopMenuFont();
}

TRect ToRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

std::vector<TMonitorInfo> DisplayMonitors()
{
  std::vector<TMonitorInfo> out;
  EnsureGuiApplication();
  QScreen* primary = QGuiApplication::primaryScreen();
  for (QScreen* s : QGuiApplication::screens()) {
    TMonitorInfo m{ToRect(s->geometry()), ToRect(s->availableGeometry()), s == primary};
    if (m.Bounds.IsEmpty())
      continue;
    if (m.WorkArea.IsEmpty())
      m.WorkArea = m.Bounds;
    if (m.Primary)
      out.insert(out.begin(), m);
    else
      out.push_back(m);
  }
  if (out.empty())
    out.push_back({{0, 0, 1024, 768}, {0, 0, 1024, 768}, true});
  return out;
}

int64_t DistanceSq(const TRect& r, TPoint p)
{
  int64_t dx = p.X < r.Left ? r.Left - p.X : (p.X >= r.Right ? p.X - r.Right + 1 : 0);
  int64_t dy = p.Y < r.Top ? r.Top - p.Y : (p.Y >= r.Bottom ? p.Y - r.Bottom + 1 : 0);
  return dx * dx + dy * dy;
}

}   // namespace

TSystemSettings SystemSettings()
{
  TSystemSettings s = Current();
  if (s.Monitors.empty())
    s.Monitors = DisplayMonitors();
  FillFromDesktop(s);
  return s;
}

void SetSystemSettings(const TSystemSettings& settings)
{
  if (TSettingsState* state = State()) {
    state->Settings = settings;
    NotifySettingsChanged(*state);
  }
}

void ResetSystemSettings() { SetSystemSettings(TSystemSettings()); }

int AddSettingsChangeHandler(std::function<void()> handler)
{
  TSettingsState* st = State();
  if (!st)
    return 0;
  if (!st->Watch) {
    EnsureGuiApplication();
    st->Watch = std::make_unique<TDesktopWatch>(*st);
    QCoreApplication::instance()->installEventFilter(st->Watch.get());
  }
  const int id = st->NextHandler++;
  st->Handlers[id] = std::move(handler);
  return id;
}

void RemoveSettingsChangeHandler(int id)
{
  if (TSettingsState* state = FoundApplicationState<TSettingsState>())
    state->Handlers.erase(id);
}

Integer WheelScrollLines()
{
  if (Current().WheelScrollLines)
    return *Current().WheelScrollLines;
  EnsureGuiApplication();
  return QGuiApplication::styleHints()->wheelScrollLines();
}

std::vector<TMonitorInfo> GetMonitors() { return SystemSettings().Monitors; }

TMonitorInfo MonitorFromPoint(TPoint p)
{
  std::vector<TMonitorInfo> ms = GetMonitors();
  const TMonitorInfo* best = &ms.front();
  int64_t bestDist = INT64_MAX;
  for (const TMonitorInfo& m : ms) {
    int64_t d = DistanceSq(m.Bounds, p);
    if (d < bestDist) {
      bestDist = d;
      best = &m;
    }
  }
  return *best;
}

TMonitorInfo MonitorFromRect(const TRect& r)
{
  std::vector<TMonitorInfo> ms = GetMonitors();
  int64_t bestArea = 0;
  const TMonitorInfo* best = nullptr;
  for (const TMonitorInfo& m : ms) {
    int64_t w = std::min(m.Bounds.Right, r.Right) - std::max(m.Bounds.Left, r.Left);
    int64_t h = std::min(m.Bounds.Bottom, r.Bottom) - std::max(m.Bounds.Top, r.Top);
    if (w > 0 && h > 0 && w * h > bestArea) {
      bestArea = w * h;
      best = &m;
    }
  }
  if (best)
    return *best;
  return MonitorFromPoint({r.Left + (r.Right - r.Left) / 2, r.Top + (r.Bottom - r.Top) / 2});
}

TRect GetDesktopWorkArea() { return GetMonitors().front().WorkArea; }

TSize GetScreenSize()
{
  TRect b = GetMonitors().front().Bounds;
  return {b.Width(), b.Height()};
}

bool IsSoundEventSet(const std::string& eventName)
{
  return Current().SoundSchemes && !SoundEventForAlias(eventName).empty();
}
bool PlaySoundAlias(const std::string& alias) { return PlaySoundEvent(SoundEventForAlias(alias)); }
void MessageBeep(Cardinal type)
{
  if (TSettingsState* state = State())
    ++state->Beeps;
  PlaySoundEvent(SoundEventForBeep(type));
}
Integer MessageBeepCount()
{
  const TSettingsState* state = FoundApplicationState<TSettingsState>();
  return state ? state->Beeps : 0;
}
