#include "platform/SysSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>

#include <algorithm>
#include <climits>

#include "platform/Fonts.h"
#include "platform/Sounds.h"

namespace {

TSystemSettings& Current()
{
  static TSystemSettings settings;
  return settings;
}

Integer GBeeps = 0;

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
  return s;
}

void SetSystemSettings(const TSystemSettings& settings) { Current() = settings; }
void ResetSystemSettings() { Current() = TSystemSettings(); }

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
  ++GBeeps;
  PlaySoundEvent(SoundEventForBeep(type));
}
Integer MessageBeepCount() { return GBeeps; }
