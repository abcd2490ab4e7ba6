#include "toolbar/KitHelpers.h"

#include <memory>

#include "platform/Forms.h"
#include "platform/SysSettings.h"

Integer GetMenuShowDelay()
{
  TSystemSettings s = SystemSettings();
  Integer delay;
  if (s.MenuShowDelay) {
    delay = *s.MenuShowDelay;
  } else if (!s.StoredMenuShowDelay) {
    delay = 400;
  } else {
    const std::string& v = *s.StoredMenuShowDelay;
    delay = v.size() > 32 ? 0 : StrToIntDef(v, 0);
  }
  return delay < 0 ? 0 : delay;
}

bool AreFlatMenusEnabled() { return SystemSettings().FlatMenus; }
bool AreKeyboardCuesEnabled() { return SystemSettings().KeyboardCues; }
bool MultiMonitorsPresent() { return GetMonitors().size() >= 2; }

TRect GetRectOfMonitorContainingRect(const TRect& R, bool WorkArea)
{
  TMonitorInfo m = MonitorFromRect(R);
  return WorkArea ? m.WorkArea : m.Bounds;
}

TRect GetRectOfMonitorContainingPoint(TPoint P, bool WorkArea)
{
  TMonitorInfo m = MonitorFromPoint(P);
  return WorkArea ? m.WorkArea : m.Bounds;
}

bool ApplicationIsActive() { return Screen().ActiveForm() != nullptr; }

namespace {

// The shared menu font takes the desktop's menu font.
void TakeDesktopMenuFont(TFont& Font)
{
  const TDesktopFont d = SystemSettings().MenuFont.value_or(TDesktopFont{});
  Font.SetName(d.Name);
  Font.SetSize(d.Size);
  Font.SetStyle(d.Style);
}

}   // namespace

TFont& ToolbarMenuFont()
{
  // One for the process: every menu and toolbar without a font of its own shows the
  // desktop's menu font, and a change of the desktop's settings refreshes it for all of them.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static std::unique_ptr<TFont> font;
  if (!font) {
    font = std::make_unique<TFont>();
    TakeDesktopMenuFont(*font);
    font->SetColor(clMenuText);
  }
  return *font;
}

void UpdateMenuFont() { TakeDesktopMenuFont(ToolbarMenuFont()); }

Integer GetTextHeight(TCanvas& Canvas) { return Canvas.GetTextMetrics().tmHeight; }

Integer GetTextWidth(TCanvas& Canvas, const std::string& Text, bool Prefix)
{
  return Canvas.TextWidth(Prefix ? StripAccelChars(Text) : Text);
}

std::string StripAccelChars(const std::string& S)
{
  std::string out;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '&') {
      if (i + 1 < S.size() && S[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += S[i];
  }
  return out;
}

std::string EscapeAmpersands(const std::string& S)
{
  std::string out;
  for (char c : S) {
    out += c;
    if (c == '&')
      out += '&';
  }
  return out;
}

std::string StripTrailingPunctuation(const std::string& S)
{
  if (!S.empty() && S.back() == ':')
    return S.substr(0, S.size() - 1);
  if (S.size() >= 3 && S.compare(S.size() - 3, 3, "...") == 0)
    return S.substr(0, S.size() - 3);
  return S;
}

void SelectRotatedFont(TCanvas& Canvas)
{
  TFont& f = Canvas.Font();
  // The bitmap face has no turned form; its outline twin has.
  if (f.Name() == "MS Sans Serif" || f.Name() == "Microsoft Sans Serif")
    f.SetName("Arial");
  f.SetOrientation(2700);
}

void DrawRotatedText(TCanvas& Canvas, std::string Text, const TRect& ARect, uint32_t Format)
{
  if (Text.empty())
    return;
  // The state stack keeps the font, alignment, clip and text colour; a font change would
  // take the font's colour as the text colour, so the caller's one is put back.
  int saved = Canvas.SaveDC();
  TColor textColor = Canvas.TextColor();
  SelectRotatedFont(Canvas);
  Canvas.SetTextColor(textColor);
  TTextMetric tm = Canvas.GetTextMetrics();
  Integer x = ARect.Left + (ARect.Width() - tm.tmHeight) / 2;

  // Accelerator marks go; the last accelerator's position is kept for its underline.
  Integer accel = -1;
  if (!(Format & DT_NOPREFIX)) {
    std::string plain;
    for (size_t i = 0; i < Text.size(); ++i) {
      if (Text[i] == '&') {
        ++i;
        if (i >= Text.size())
          break;
        if (Text[i] != '&')
          accel = static_cast<Integer>(plain.size());
      }
      plain += Text[i];
    }
    Text = plain;
  }
  // Too long for the rectangle's height: shortened with an ellipsis.
  if ((Format & DT_END_ELLIPSIS) && Canvas.TextWidth(Text) > ARect.Height()) {
    if (ARect.Height() < 3) {
      Text.resize(1);
    } else {
      while (Text.size() > 1 && Canvas.TextWidth(Text + "...") > ARect.Height())
        Text.pop_back();
      Text += "...";
    }
    if (accel >= static_cast<Integer>(Text.size()) - 3)
      accel = -1;
  }
  Integer y = ARect.Top;
  if (Format & DT_CENTER)
    y = ARect.Top + (ARect.Height() - Canvas.TextWidth(Text)) / 2;
  if (!(Format & DT_NOCLIP))
    Canvas.IntersectClipRect(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
  // Aligned to its bottom, the turned text's cell spans x .. x + height, running down from y.
  Canvas.SetTextAlign(TA_BOTTOM);
  Canvas.TextOut(x, y, Text);
  if (accel >= 0 && !(Format & DT_HIDEPREFIX)) {
    Integer from = y + Canvas.TextWidth(Text.substr(0, static_cast<size_t>(accel)));
    Integer to = from + Canvas.TextWidth(Text.substr(static_cast<size_t>(accel), 1));
    Integer lineX = x + tm.tmDescent - 2;
    Canvas.FillRect({lineX, from, lineX + 1, to}, Canvas.TextColor());
  }
  Canvas.RestoreDC(saved);
}

void PlaySystemSound(const std::string& Name) { PlaySoundAlias(Name); }

void ProcessPaintMessages()
{
  // Painting is the toolkit's: let it handle what is pending (our posted messages stay).
  if (Application)
    Application->ProcessMessages();
}

void RemoveMessages(Cardinal First, Cardinal Last)
{
  bool quit = false;
  WPARAM exitCode = 0;
  TMsg m;
  while (PeekMessage(m, 0, First, Last, PM_REMOVE))
    if (m.message == WM_QUIT) {
      quit = true;
      exitCode = m.wParam;
    }
  if (quit)
    PostQuitMessage(static_cast<int32_t>(exitCode));
}

Integer DivRoundUp(Integer A, Integer B)
{
  if (B == 0)
    return 0;
  Integer q = SafeDiv(A, B);
  if (q * B != A)
    q += ((A < 0) != (B < 0)) ? -1 : 1;
  return q;
}

const TBitmap& HalftoneBrushBitmap()
{
  // Made once, on first use, and never changed.
  static const std::unique_ptr<const TBitmap> b = [] {
    auto m = std::make_unique<TBitmap>(8, 8, TPixelFormat::pf24bit);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        m->SetPixel(x, y, ((x + y) & 1) ? clWhite : clBlack);
    m->SetPixelFormat(TPixelFormat::pf1bit);
    return m;
  }();
  return *b;
}

void DrawHalftoneInvertRect(TCanvas& Canvas, const TRect* NewRect, const TRect* OldRect, TSize NewSize, TSize OldSize)
{
  auto frame = [&](const TRect& r, TSize s) {
    TRegion rgn(r);
    TRect inner{r.Left + s.cx, r.Top + s.cy, r.Right - s.cx, r.Bottom - s.cy};
    if (!inner.IsEmpty())
      rgn.Subtract(TRegion(inner));
    return rgn;
  };
  TRegion area;
  if (NewRect)
    area = frame(*NewRect, NewSize);
  if (OldRect) {
    TRegion old = frame(*OldRect, OldSize);
    if (NewRect)
      area.Combine(TRegion(area), old, RGN_XOR);
    else
      area = old;
  }
  int saved = Canvas.SaveDC();
  Canvas.SelectClipRgn(&area);
  Canvas.Brush().SetBitmap(&HalftoneBrushBitmap());
  TRect box = area.BoundingBox();
  Canvas.PatBlt(box.Left, box.Top, box.Width(), box.Height(), PATINVERT);
  Canvas.Brush().SetBitmap(nullptr);
  Canvas.RestoreDC(saved);
}
