// TCanvas text: measuring, fit counts, justification, ExtTextOut and DrawText.
#include <algorithm>
#include <cmath>

#include "platform/CanvasInternal.h"
#include "platform/Graphics.h"

TDeviceFont TCanvas::DeviceFont() const
{
  TDeviceFont f;
  f.Name = FFont.Name();
  Integer h = FontDeviceHeight(FFont.Height());
  Integer scaled = ScaleY(std::abs(h));
  scaled = std::clamp(std::abs(scaled), 1, 30000);
  f.Height = h < 0 ? -scaled : scaled;
  f.Style = FFont.Style();
  f.Charset = FFont.Charset();
  f.Pitch = FFont.Pitch();
  f.Orientation = FFont.Orientation();
  return f;
}

TTextMetric TCanvas::GetTextMetrics()
{
  TTextMetric tm = FDevice->TextMetrics(DeviceFont());
  if (FMap.Mode != MM_TEXT) {
    tm.tmHeight = std::abs(UnscaleY(tm.tmHeight));
    tm.tmAscent = std::abs(UnscaleY(tm.tmAscent));
    tm.tmDescent = tm.tmHeight - tm.tmAscent;
    tm.tmInternalLeading = std::abs(UnscaleY(tm.tmInternalLeading));
    tm.tmExternalLeading = std::abs(UnscaleY(tm.tmExternalLeading));
    tm.tmAveCharWidth = std::abs(UnscaleX(tm.tmAveCharWidth));
    tm.tmMaxCharWidth = std::abs(UnscaleX(tm.tmMaxCharWidth));
    tm.tmOverhang = std::abs(UnscaleX(tm.tmOverhang));
  }
  return tm;
}

void TCanvas::SetTextJustification(Integer extra, Integer breakCount)
{
  FJustifyExtra = breakCount > 0 ? std::clamp(extra, -1000000, 1000000) : 0;
  FJustifyCount = breakCount > 0 ? breakCount : 0;
}

Integer TCanvas::SetTextCharacterExtra(Integer extra)
{
  return std::exchange(FCharExtra, std::clamp(extra, -10000, 10000));
}

std::vector<Integer> TCanvas::DeviceAdvances(const char16_t* text, size_t count)
{
  std::vector<Integer> w(count, 0);
  if (count == 0)
    return w;
  FDevice->CharWidths(DeviceFont(), text, count, w.data());
  if (FCharExtra != 0) {
    Integer extra = ScaleX(FCharExtra);
    for (size_t i = 0; i < count; ++i)
      if (!(i > 0 && text[i] >= 0xDC00 && text[i] <= 0xDFFF && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF))
        w[i] += extra;
  }
  if (FJustifyCount > 0 && FJustifyExtra != 0) {
    // The extra pixels go to the break characters in order, the first ones taking the
    // remainder one by one.
    Integer extra = ScaleX(FJustifyExtra);
    Integer each = extra / FJustifyCount, rest = extra % FJustifyCount;
    Integer seen = 0;
    for (size_t i = 0; i < count && seen < FJustifyCount; ++i)
      if (text[i] == u' ') {
        w[i] += each + (seen < std::abs(rest) ? (rest < 0 ? -1 : 1) : 0);
        ++seen;
      }
  }
  return w;
}

namespace {

// Device advances for glyphs placed at logical offsets dx; scale maps a logical x distance
// to device pixels, own holds the device's own advances of the glyphs.
template <class TScale>
std::vector<Integer> MappedAdvances(const char16_t* text, size_t count, const Integer* dx, TScale scale,
                                    const std::vector<Integer>& own)
{
  // Each glyph goes where its logical offset maps to: advances scaled one by one would round
  // the same way many times over a long run, and under a printer's mapping push its end into
  // what follows it.
  std::vector<Integer> mapped(count + 1, 0);
  int64_t offset = 0;
  for (size_t i = 0; i < count; ++i) {
    offset = std::clamp<int64_t>(offset + dx[i], -(1 << 28), 1 << 28);
    mapped[i + 1] = scale(static_cast<Integer>(offset));
  }
  // But logical offsets are whole logical units, coarser than a printer's pixels: placed one
  // by one, the letters of a word stand up to a unit apart from where the font puts them, and
  // whoever reads the printed text back sees the word split. So a word whose letters the
  // device's own advances place within a logical unit of their offsets keeps those advances;
  // each word still starts at its own offset, so nothing adds up along the run.
  const Integer unit = std::abs(scale(1000) - scale(0));
  if (unit != 1000 && count > 1) {
    const Integer slack = (unit + 999) / 1000 + 1;
    for (size_t start = 0; start < count;) {
      size_t end = start;
      while (end < count && text[end] != u' ')
        ++end;
      bool close = true;
      int64_t at = mapped[start];
      for (size_t i = start; i < end && close; ++i) {
        at += own[i];
        close = std::abs(at - mapped[i + 1]) <= slack;
      }
      // The word's last letter reaches to where the next word (or the space) begins.
      for (size_t i = start; close && i + 1 < end; ++i)
        mapped[i + 1] = mapped[i] + own[i];
      start = end + 1;
    }
  }
  std::vector<Integer> adv(count, 0);
  for (size_t i = 0; i < count; ++i)
    adv[i] = mapped[i + 1] - mapped[i];
  return adv;
}

}   // namespace

TSize TCanvas::GetTextExtentPoint32W(const char16_t* text, size_t count)
{
  return GetTextExtentExPointW(text, count, -1, nullptr, nullptr);
}

TSize TCanvas::GetTextExtentExPointW(const char16_t* text, size_t count, Integer maxExtent, Integer* fit,
                                     Integer* partial)
{
  TTextMetric tm = GetTextMetrics();
  if (!text)
    count = 0;
  std::vector<Integer> w = DeviceAdvances(text, count);
  int64_t sum = 0;
  Integer fitted = 0;
  bool stillFits = true;
  for (size_t i = 0; i < count; ++i) {
    sum += w[i];
    Integer logical = UnscaleX(static_cast<Integer>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX)));
    if (partial)
      partial[i] = logical;
    if (stillFits && maxExtent >= 0 && logical <= maxExtent)
      fitted = static_cast<Integer>(i + 1);
    else
      stillFits = false;
  }
  if (fit)
    *fit = maxExtent < 0 ? static_cast<Integer>(count) : fitted;
  return {UnscaleX(static_cast<Integer>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX))), tm.tmHeight};
}

TSize TCanvas::TextExtent(const std::string& text)
{
  std::u16string w = AnsiToWide(text);
  return GetTextExtentPoint32W(w.data(), w.size());
}

void TCanvas::TextOutInternal(Integer x, Integer y, uint32_t options, const TRect* rect, const char16_t* text,
                              size_t count, const Integer* dx, bool updateCp)
{
  if (!text)
    count = 0;
  TDeviceFont font = DeviceFont();
  TTextMetric tm = FDevice->TextMetrics(font);
  std::vector<Integer> adv;
  if (dx)
    adv = MappedAdvances(
        text, count, dx, [this](Integer d) { return ScaleX(d); }, DeviceAdvances(text, count));
  else {
    adv = DeviceAdvances(text, count);
  }
  int64_t total64 = 0;
  for (Integer a : adv)
    total64 += a;
  Integer total = static_cast<Integer>(std::clamp<int64_t>(total64, -(1 << 28), 1 << 28));

  TPoint ref = (FTextAlign & TA_UPDATECP) && updateCp ? FPenPos : TPoint{x, y};
  TPoint p = LPtoDP(ref);
  Integer left = p.X;
  switch (FTextAlign & TA_CENTER) {
  case TA_RIGHT: left = p.X - total; break;
  case TA_CENTER: left = p.X - total / 2; break;
  default: break;
  }
  Integer baseline = p.Y + tm.tmAscent;
  if ((FTextAlign & TA_BASELINE) == TA_BASELINE)
    baseline = p.Y;
  else if (FTextAlign & TA_BOTTOM)
    baseline = p.Y - tm.tmDescent;

  // Turned text: the start found for upright text turns about the reference point, and the
  // device draws the glyphs along the turned baseline. (No background box is filled.)
  bool turned = font.Orientation != 0;
  if (turned) {
    double a = font.Orientation * 3.14159265358979323846 / 1800.0;
    double u = left - p.X, v = baseline - p.Y;
    left = p.X + static_cast<Integer>(std::lround(u * std::cos(a) + v * std::sin(a)));
    baseline = p.Y + static_cast<Integer>(std::lround(-u * std::sin(a) + v * std::cos(a)));
  }

  TRegion clipped;
  const TRegion* clip = Clip();
  TRect deviceRect;
  if (rect) {
    deviceRect = LPtoDP(NormalizedRect(*rect));
    if (options & ETO_OPAQUE) {
      TColor bk = ColorToRGB(FBkColor);
      if (bk != clNone && !deviceRect.IsEmpty())
        FDevice->FillSolid(deviceRect, bk & 0xFFFFFF, clip);
    }
    if (options & ETO_CLIPPED) {
      clipped = TRegion(deviceRect);
      if (clip)
        clipped.Intersect(*clip);
      clip = &clipped;
    }
  }
  if (FBkMode == OPAQUE && count > 0 && !turned && !(rect && (options & ETO_OPAQUE))) {
    TColor bk = ColorToRGB(FBkColor);
    if (bk != clNone)
      FDevice->FillSolid({left, baseline - tm.tmAscent, left + total, baseline + tm.tmDescent}, bk & 0xFFFFFF, clip);
  }
  TColor fg = ColorToRGB(FTextColor);
  if (count > 0 && fg != clNone && !(clip && clip->IsEmpty()))
    FDevice->DrawGlyphs(font, left, baseline, text, count, adv.data(), fg & 0xFFFFFF, clip);

  if ((FTextAlign & TA_UPDATECP) && updateCp) {
    Integer w = UnscaleX(total);
    if ((FTextAlign & TA_CENTER) == TA_LEFT)
      FPenPos.X += w;
    else if ((FTextAlign & TA_CENTER) == TA_RIGHT)
      FPenPos.X -= w;
  }
}

bool TCanvas::ExtTextOutW(Integer x, Integer y, uint32_t options, const TRect* rect, const char16_t* text, size_t count,
                          const Integer* dx)
{
  TextOutInternal(x, y, options, rect, text, count, dx, true);
  return true;
}

bool TCanvas::ExtTextOut(Integer x, Integer y, uint32_t options, const TRect* rect, const std::string& text,
                         const Integer* dx)
{
  std::u16string w = AnsiToWide(text);
  // One advance per byte was given; a single-byte page keeps them one per unit.
  return ExtTextOutW(x, y, options, rect, w.data(), w.size(), w.size() == text.size() ? dx : nullptr);
}

void TCanvas::TextOutW(Integer x, Integer y, const std::u16string& text)
{
  TextOutInternal(x, y, 0, nullptr, text.data(), text.size(), nullptr, true);
  // TextOut leaves the pen after the text, where the next piece of a line goes on.
  if (!(FTextAlign & TA_UPDATECP))
    FPenPos = {x + TextWidthW(text), y};
}

void TCanvas::TextOut(Integer x, Integer y, const std::string& text) { TextOutW(x, y, AnsiToWide(text)); }

void TCanvas::TextRectW(const TRect& r, Integer x, Integer y, const std::u16string& text)
{
  uint32_t options = ETO_CLIPPED;
  if (FBrush.Style() != bsClear)
    options |= ETO_OPAQUE;
  TextOutInternal(x, y, options, &r, text.data(), text.size(), nullptr, false);
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const std::string& text)
{
  TextRectW(r, x, y, AnsiToWide(text));
}

// ---------------------------------------------------------------------------------------
// DrawText

namespace {

struct TDrawLine {
  std::u16string Text;
  Integer Prefix = -1;   // index of the underlined character, -1 when none
};

// The text as it is shown: prefix characters taken out ("&x" underlines x, whose index goes
// to prefixAt; "&&" is one "&") and, with DT_EXPANDTABS, tabs padded with spaces to the next
// stop every eight average characters from the line's start.
template <class TWidth>
std::u16string ExpandPrefixesAndTabs(const std::u16string& source, uint32_t format, Integer aveCharWidth,
                                     const TWidth& width, Integer& prefixAt)
{
  std::u16string text;
  prefixAt = -1;
  for (size_t i = 0; i < source.size(); ++i) {
    char16_t c = source[i];
    if (c == u'&' && !(format & DT_NOPREFIX)) {
      if (i + 1 < source.size()) {
        ++i;
        if (source[i] != u'&')
          prefixAt = static_cast<Integer>(text.size());
        text += source[i];
      }
      continue;
    }
    if (c == u'\t' && (format & DT_EXPANDTABS)) {
      Integer tab = std::max(1, 8 * aveCharWidth);
      Integer spaceW = std::max(1, width(u" "));
      size_t lineStart = text.find_last_of(u"\r\n");
      lineStart = lineStart == std::u16string::npos ? 0 : lineStart + 1;
      Integer cur = width(text.substr(lineStart));
      Integer next = (cur / tab + 1) * tab;
      do {
        text += u' ';
        cur += spaceW;
      } while (cur < next);
      continue;
    }
    text += c;
  }
  return text;
}

// The lines of text: broken at line ends (unless DT_SINGLELINE) and, with DT_WORDBREAK, at
// spaces where a line would grow wider than maxWidth; a word wider than that stands alone.
template <class TWidth>
std::vector<TDrawLine> SplitDrawLines(const std::u16string& text, Integer prefixAt, uint32_t format, Integer maxWidth,
                                      const TWidth& width)
{
  std::vector<TDrawLine> lines;
  auto addLine = [&](size_t from, size_t to) {
    TDrawLine l;
    l.Text = text.substr(from, to - from);
    if (prefixAt >= static_cast<Integer>(from) && prefixAt < static_cast<Integer>(to))
      l.Prefix = prefixAt - static_cast<Integer>(from);
    lines.push_back(std::move(l));
  };
  auto wrap = [&](size_t from, size_t to) {
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
      addLine(from, to);
      return;
    }
    size_t start = from;
    while (true) {
      size_t best = std::u16string::npos;
      size_t pos = start;
      while (pos <= to) {
        size_t space = text.find(u' ', pos);
        size_t end = (space == std::u16string::npos || space > to) ? to : space;
        if (width(text.substr(start, end - start)) > maxWidth && best != std::u16string::npos)
          break;
        best = end;
        if (end == to)
          break;
        pos = end + 1;
      }
      if (best == std::u16string::npos || best >= to) {
        addLine(start, to);
        return;
      }
      addLine(start, best);
      start = best;
      while (start < to && text[start] == u' ')
        ++start;
      if (start >= to)
        return;
    }
  };
  if (format & DT_SINGLELINE) {
    addLine(0, text.size());
    return lines;
  }
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == u'\r' || text[i] == u'\n') {
      wrap(start, i);
      if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
        ++i;
      start = i + 1;
    }
  }
  return lines;
}

// Lines wider than maxWidth lose characters at their end until they fit with "..." after them.
template <class TWidth>
void EndWithEllipses(std::vector<TDrawLine>& lines, Integer maxWidth, const TWidth& width)
{
  for (TDrawLine& l : lines) {
    if (width(l.Text) <= maxWidth)
      continue;
    std::u16string base = l.Text;
    while (!base.empty() && width(base + u"...") > maxWidth)
      base.pop_back();
    l.Text = base + u"...";
    if (l.Prefix >= static_cast<Integer>(base.size()))
      l.Prefix = -1;
  }
}

}   // namespace

Integer TCanvas::DrawText(const std::string& text, TRect& r, uint32_t format)
{
  return DrawTextW(AnsiToWide(text), r, format);
}

Integer TCanvas::DrawTextW(const std::u16string& source, TRect& r, uint32_t format)
{
  TTextMetric tm = GetTextMetrics();
  Integer lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  auto width = [&](const std::u16string& s) { return GetTextExtentPoint32W(s.data(), s.size()).cx; };

  Integer prefixAt = -1;
  const std::u16string text = ExpandPrefixesAndTabs(source, format, tm.tmAveCharWidth, width, prefixAt);
  const Integer maxWidth = r.Width();
  std::vector<TDrawLine> lines = SplitDrawLines(text, prefixAt, format, maxWidth, width);
  if (format & DT_END_ELLIPSIS)
    EndWithEllipses(lines, maxWidth, width);

  Integer textHeight = static_cast<Integer>(lines.size()) * lineHeight;
  if (format & DT_CALCRECT) {
    Integer w = 0;
    for (const TDrawLine& l : lines)
      w = std::max(w, width(l.Text));
    if (!(format & DT_WORDBREAK) || w > r.Width() || (format & DT_SINGLELINE))
      r.Right = r.Left + w;
    r.Bottom = r.Top + textHeight;
    return textHeight;
  }

  Integer y = r.Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = r.Top + (r.Height() - lineHeight) / 2;
    else if (format & DT_BOTTOM)
      y = r.Bottom - lineHeight;
  }
  Integer top = y;

  uint32_t oldAlign = SetTextAlign(TA_TOP | TA_LEFT);
  for (const TDrawLine& l : lines) {
    Integer w = width(l.Text);
    Integer x = r.Left;
    if (format & DT_CENTER)
      x = r.Left + (r.Width() - w) / 2;
    else if (format & DT_RIGHT)
      x = r.Right - w;
    if (!(format & DT_PREFIXONLY))
      TextOutInternal(x, y, (format & DT_NOCLIP) ? 0u : uint32_t(ETO_CLIPPED), &r, l.Text.data(), l.Text.size(),
                      nullptr, false);
    if (l.Prefix >= 0 && !(format & DT_HIDEPREFIX)) {
      Integer x0 = x + width(l.Text.substr(0, l.Prefix));
      Integer x1 = x + width(l.Text.substr(0, l.Prefix + 1));
      Integer uy = y + tm.tmAscent + 1;
      TRect line{x0, uy, x1, uy + 1};
      if (!(format & DT_NOCLIP)) {
        line.Left = std::max(line.Left, r.Left);
        line.Right = std::min(line.Right, r.Right);
      }
      FillRect(line, FTextColor);
    }
    y += lineHeight;
  }
  SetTextAlign(oldAlign);
  return (format & (DT_VCENTER | DT_BOTTOM)) && (format & DT_SINGLELINE) ? top - r.Top + textHeight : textHeight;
}
