#include "toolbar/TB2Common.h"

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

TFont& ToolbarMenuFont()
{
  static std::unique_ptr<TFont> font;
  if (!font) {
    font = std::make_unique<TFont>();
    font->SetName("MS Sans Serif");
    font->SetSize(8);
    font->SetColor(clMenuText);
  }
  return *font;
}

void UpdateMenuFont()
{
  TFont& f = ToolbarMenuFont();
  f.SetName("MS Sans Serif");
  f.SetSize(8);
}

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

char FindAccelChar(const std::string& S)
{
  char result = 0;
  for (size_t i = 0; i < S.size(); ++i)
    if (S[i] == '&') {
      ++i;
      if (i < S.size() && S[i] != '&')
        result = S[i];
    }
  return result;
}

std::string StripTrailingPunctuation(const std::string& S)
{
  if (!S.empty() && S.back() == ':')
    return S.substr(0, S.size() - 1);
  if (S.size() >= 3 && S.compare(S.size() - 3, 3, "...") == 0)
    return S.substr(0, S.size() - 3);
  return S;
}

void DrawRotatedText(TCanvas& Canvas, std::string Text, const TRect& ARect, uint32_t Format)
{
  // No turned fonts on this canvas: the text is drawn upright, centred in the rectangle,
  // with the same accelerator and clipping rules. Vertical bars are not used by the
  // program's windows.
  if (Text.empty())
    return;
  TRect r = ARect;
  Canvas.DrawText(Text, r, (Format & (DT_NOPREFIX | DT_HIDEPREFIX | DT_NOCLIP)) | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
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
  static std::unique_ptr<TBitmap> b;
  if (!b) {
    b = std::make_unique<TBitmap>(8, 8, TPixelFormat::pf24bit);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        b->SetPixel(x, y, ((x + y) & 1) ? clWhite : clBlack);
    b->SetPixelFormat(TPixelFormat::pf1bit);
  }
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
