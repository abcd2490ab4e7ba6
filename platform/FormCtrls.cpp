#include "platform/FormCtrls.h"

#include <algorithm>

#include "platform/Accessible.h"
#include "platform/CanvasQt.h"
#include "platform/Clipboard.h"

namespace {

Integer TextW(const TFont& font, const std::string& s) { return s.empty() ? 0 : MeasuringCanvas(font).TextWidth(s); }

// How many leading characters of s fit before x (the nearest boundary).
Integer CharIndexAt(const TFont& font, const std::string& s, Integer x)
{
  Integer best = 0, bestDist = std::abs(x);
  for (size_t i = 1; i <= s.size(); ++i) {
    Integer d = std::abs(x - TextW(font, s.substr(0, i)));
    if (d < bestDist) {
      best = static_cast<Integer>(i);
      bestDist = d;
    }
  }
  return best;
}

void DrawArrow(TCanvas& c, const TRect& r, int dir)   // 0 up, 1 down, 2 left, 3 right
{
  const Integer cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(clBlack);
  c.Brush().SetStyle(bsSolid);
  std::vector<TPoint> p;
  switch (dir) {
  case 0: p = {{cx - 3, cy + 1}, {cx + 3, cy + 1}, {cx, cy - 2}}; break;
  case 1: p = {{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}}; break;
  case 2: p = {{cx + 1, cy - 3}, {cx + 1, cy + 3}, {cx - 2, cy}}; break;
  default: p = {{cx - 1, cy - 3}, {cx - 1, cy + 3}, {cx + 2, cy}}; break;
  }
  c.Polygon(p);
}

void DrawButtonFace(TCanvas& c, TRect r)
{
  c.FillRect(r, clBtnFace);
  c.DrawEdge(r, EDGE_RAISED, BF_RECT);
}

}   // namespace

void DrawScrollBar(TCanvas& c, const TRect& r, bool vertical, Integer pos, Integer range, Integer page)
{
  c.FillRect(r, clScrollBar);
  const Integer len = vertical ? r.Height() : r.Width();
  const Integer thick = vertical ? r.Width() : r.Height();
  const Integer btn = std::min(thick, len / 2);
  TRect a = vertical ? TRect{r.Left, r.Top, r.Right, r.Top + btn} : TRect{r.Left, r.Top, r.Left + btn, r.Bottom};
  TRect b =
      vertical ? TRect{r.Left, r.Bottom - btn, r.Right, r.Bottom} : TRect{r.Right - btn, r.Top, r.Right, r.Bottom};
  DrawButtonFace(c, a);
  DrawButtonFace(c, b);
  DrawArrow(c, a, vertical ? 0 : 2);
  DrawArrow(c, b, vertical ? 1 : 3);
  const Integer track = len - 2 * btn;
  if (range <= page || track < 8)
    return;
  const Integer thumb = std::max<Integer>(8, static_cast<Integer>(static_cast<int64_t>(track) * page / range));
  const Integer at =
      static_cast<Integer>(static_cast<int64_t>(track - thumb) * std::clamp(pos, 0, range - page) / (range - page));
  TRect t = vertical ? TRect{r.Left, r.Top + btn + at, r.Right, r.Top + btn + at + thumb}
                     : TRect{r.Left + btn + at, r.Top, r.Left + btn + at + thumb, r.Bottom};
  DrawButtonFace(c, t);
}

// ---------------------------------------------------------------------------------------
// TInputControl

TInputControl::TInputControl()
{
  SetTabStop(true);
  SetColor(clWindow);
  SetCursor(crIBeam);
  Font().OnChange = [this](TFont*) { Invalidate(); };
}

void TInputControl::SetBordered(bool v)
{
  if (v == FBordered)
    return;
  FBordered = v;
  Invalidate();
}

void TInputControl::PaintNonClient(TCanvas& canvas)
{
  if (!FBordered)
    return;
  TRect r{0, 0, Width(), Height()};
  canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
}

void TInputControl::KeyDown(Word& key, TShiftState shift)
{
  if (OnKeyDown)
    OnKeyDown(this, key, shift);
}

void TInputControl::KeyPress(char& key)
{
  if (OnKeyPress)
    OnKeyPress(this, key);
}

void TInputControl::DoEnter()
{
  Invalidate();
  TCustomControl::DoEnter();
}

void TInputControl::DoExit()
{
  Invalidate();
  TCustomControl::DoExit();
}

void TInputControl::Changed()
{
  Invalidate();
  if (OnChange)
    OnChange(this);
}

Integer TInputControl::LineHeight() const { return std::max(1, MeasuringCanvas(Font()).TextHeight("Ay")); }

// ---------------------------------------------------------------------------------------
// TEdit

std::string ApplyCharCase(const std::string& text, TEditCharCase charCase)
{
  if (charCase == ecNormal)
    return text;
  std::string r = text;
  for (char& ch : r) {
    auto c = static_cast<unsigned char>(ch);
    // Windows-1252 letters: ASCII, and 0xC0-0xDE / 0xE0-0xFE less the signs at 0xD7 and 0xF7.
    bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    bool lower = (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
    if (charCase == ecUpperCase && lower)
      ch = static_cast<char>(c - 0x20);
    else if (charCase == ecLowerCase && upper)
      ch = static_cast<char>(c + 0x20);
  }
  return r;
}

namespace {

// The classes a double click selects a run of: word characters (letters, digits, and every
// character from 128 up), blanks, and everything else.
int CharClass(char ch)
{
  auto c = static_cast<unsigned char>(ch);
  if (c == ' ' || c == '\t')
    return 0;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 128)
    return 1;
  return 2;
}

// The start of the word before p (Ctrl+Left) and the start of the next word after p
// (Ctrl+Right), blanks skipped.
Integer WordLeft(const std::string& s, Integer p)
{
  while (p > 0 && CharClass(s[static_cast<size_t>(p - 1)]) == 0)
    --p;
  const int cls = p > 0 ? CharClass(s[static_cast<size_t>(p - 1)]) : 0;
  while (p > 0 && CharClass(s[static_cast<size_t>(p - 1)]) == cls)
    --p;
  return p;
}

Integer WordRight(const std::string& s, Integer p)
{
  const auto n = static_cast<Integer>(s.size());
  if (p < n) {
    const int cls = CharClass(s[static_cast<size_t>(p)]);
    while (p < n && CharClass(s[static_cast<size_t>(p)]) == cls)
      ++p;
  }
  while (p < n && CharClass(s[static_cast<size_t>(p)]) == 0)
    ++p;
  return p;
}

}   // namespace

TEdit::TEdit() { SetBounds(0, 0, 121, 21); }

void TEdit::AdjustHeight() { SetHeight(LineHeight() + 2 * NonClientSize().Y + 2); }

void TEdit::SetText(const std::string& text)
{
  const std::string before = FText;
  FText = ApplyCharCase(text, FCharCase);
  FAnchor = FCaret = std::min<Integer>(FCaret, static_cast<Integer>(FText.size()));
  FScroll = 0;
  Invalidate();
  NotifyAccessibleTextChange(this, before);
  NotifyAccessibleChange(this, TAccessibleChange::Caret);
}

void TEdit::SetMaxLength(Integer n) { FMaxLength = std::max(0, n); }

void TEdit::SetCharCase(TEditCharCase c)
{
  FCharCase = c;
  SetText(FText);
}

void TEdit::SetSel(Integer start, Integer length)
{
  const auto n = static_cast<Integer>(FText.size());
  const bool selected = FAnchor != FCaret;
  FAnchor = std::clamp<Integer>(start, 0, n);
  FCaret = std::clamp<Integer>(FAnchor + std::max<Integer>(length, 0), FAnchor, n);
  Invalidate();
  AnnounceCaret(selected);
}

void TEdit::AnnounceCaret(bool selectedBefore)
{
  NotifyAccessibleChange(this, TAccessibleChange::Caret);
  if (selectedBefore || FAnchor != FCaret)
    NotifyAccessibleChange(this, TAccessibleChange::Selection);
}

void TEdit::SetSelStart(Integer p) { SetSel(p, 0); }

void TEdit::SetSelLength(Integer n) { SetSel(SelStart(), n); }

std::string TEdit::SelText() const
{
  return FText.substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength()));
}

void TEdit::SetSelText(const std::string& text)
{
  if (FReadOnly)
    return;
  std::string ins = ApplyCharCase(text, FCharCase);
  const auto start = static_cast<size_t>(SelStart());
  const auto len = static_cast<size_t>(SelLength());
  if (FMaxLength > 0) {
    const size_t kept = FText.size() - len;
    const size_t room = static_cast<size_t>(FMaxLength) > kept ? static_cast<size_t>(FMaxLength) - kept : 0;
    if (ins.size() > room)
      ins.resize(room);
  }
  if (ins.empty() && len == 0)
    return;
  const std::string before = FText;
  FText.replace(start, len, ins);
  FAnchor = FCaret = static_cast<Integer>(start + ins.size());
  Changed();
  NotifyAccessibleTextChange(this, before);
  AnnounceCaret(len > 0);
}

void TEdit::DeleteFromCaret(bool forward)
{
  if (FReadOnly)
    return;
  // Without a selection, the character after (or before) the caret.
  if (SelLength() == 0) {
    const Integer other = forward ? FCaret + 1 : FCaret - 1;
    if (other < 0 || other > static_cast<Integer>(FText.size()))
      return;
    FAnchor = other;
  }
  SetSelText({});
}

void TEdit::MoveCaret(Integer p, bool extend)
{
  const bool selected = FAnchor != FCaret;
  const Integer before = FCaret;
  FCaret = std::clamp<Integer>(p, 0, static_cast<Integer>(FText.size()));
  if (!extend)
    FAnchor = FCaret;
  Invalidate();
  if (FCaret != before || selected != (FAnchor != FCaret))
    AnnounceCaret(selected);
}

TRect TEdit::CharBounds(Integer Index) const
{
  const std::string shown = DisplayText();
  const auto i = static_cast<size_t>(std::clamp<Integer>(Index, 0, static_cast<Integer>(shown.size())));
  const Integer left = TextLeft(shown) - FScroll + TextWidth(shown.substr(0, i));
  const Integer width = i < shown.size() ? TextWidth(shown.substr(i, 1)) : 1;
  return Bounds(left, TextTop(), width, LineHeight());
}

std::string TEdit::DisplayText() const { return FPasswordChar ? std::string(FText.size(), FPasswordChar) : FText; }

Integer TEdit::TextTop() const { return std::max(0, (ClientRect().Height() - LineHeight()) / 2); }

Integer TEdit::TextWidth(const std::string& s) const { return TextW(Font(), s); }

Integer TEdit::PositionAt(Integer x) const
{
  const std::string shown = DisplayText();
  return CharIndexAt(Font(), shown, x - TextLeft(shown) + FScroll);
}

void TEdit::Paint()
{
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  c.FillRect(r, Enabled() ? clWindow : clBtnFace);
  c.Font().Assign(Font());
  c.SetBkMode(TRANSPARENT);
  c.Brush().SetStyle(bsClear);   // text over what is painted already
  const TColor text = Enabled() ? Font().Color() : clGrayText;
  const std::string s = DisplayText();
  const Integer left = TextLeft(s);
  auto widthTo = [&](Integer p) { return TextW(Font(), s.substr(0, static_cast<size_t>(p))); };
  const Integer caretX = widthTo(FCaret);
  // Keep the caret in view.
  const Integer room = std::max(1, r.Width() - left - 2);
  if (caretX - FScroll > room)
    FScroll = caretX - room;
  if (caretX < FScroll)
    FScroll = caretX;
  const Integer y = TextTop();
  const Integer x0 = left - FScroll;
  c.SetTextColor(text);
  c.TextRect(r, x0, y, s);
  // The selection shows while the box has the focus, in the highlight colours.
  if (Focused() && SelLength() > 0) {
    const Integer a = x0 + widthTo(SelStart()), b = x0 + widthTo(SelStart() + SelLength());
    TRect band{std::max(r.Left, a), y, std::min(r.Right, b), std::min(r.Bottom, y + LineHeight())};
    if (!band.IsEmpty()) {
      c.FillRect(band, clHighlight);
      c.SetTextColor(clHighlightText);
      c.TextRect(band, a, y, s.substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength())));
    }
  }
  if (Focused()) {
    c.Pen().SetColor(text);
    c.MoveTo(x0 + caretX, y);
    c.LineTo(x0 + caretX, y + LineHeight());
  }
}

bool TEdit::ClipboardKey(Word key)
{
  switch (key) {
  case 'A': SelectAll(); return true;
  case 'C':
  case VK_INSERT:
    // A password is not handed out.
    if (!FPasswordChar && SelLength() > 0)
      Clipboard().SetAsText(SelText());
    return true;
  case 'X':
    if (!FPasswordChar && !FReadOnly && SelLength() > 0) {
      Clipboard().SetAsText(SelText());
      SetSelText({});
    }
    return true;
  case 'V': {
    // One line: a pasted text ends at its first line break.
    std::string t = Clipboard().AsText();
    t = t.substr(0, t.find_first_of("\r\n"));
    SetSelText(t);
    return true;
  }
  default: return false;
  }
}

void TEdit::KeyDown(Word& key, TShiftState shift)
{
  TInputControl::KeyDown(key, shift);
  const auto len = static_cast<Integer>(FText.size());
  const bool extend = (shift & ssShift) != 0;
  const bool ctrl = (shift & ssCtrl) != 0;
  if (ctrl && !(shift & ssAlt) && ClipboardKey(key)) {
    key = 0;
    return;
  }
  switch (key) {
  case VK_LEFT:
    // Without Shift a selection collapses to its start; Ctrl moves by words.
    if (ctrl)
      MoveCaret(WordLeft(FText, FCaret), extend);
    else
      MoveCaret(SelLength() > 0 && !extend ? SelStart() : FCaret - 1, extend);
    break;
  case VK_RIGHT:
    if (ctrl)
      MoveCaret(WordRight(FText, FCaret), extend);
    else
      MoveCaret(SelLength() > 0 && !extend ? SelStart() + SelLength() : FCaret + 1, extend);
    break;
  case VK_HOME: MoveCaret(0, extend); break;
  case VK_END: MoveCaret(len, extend); break;
  case VK_DELETE:
    if (extend) {
      // Shift+Delete cuts.
      ClipboardKey('X');
      break;
    }
    DeleteFromCaret(true);
    break;
  case VK_INSERT:
    if (extend)
      ClipboardKey('V');
    else
      return;
    break;
  case VK_RETURN:
  case VK_ESCAPE:
    // A dialog's default and cancel buttons answer Enter and Escape typed in its edits.
    if (auto* form = GetParentForm())
      form->DispatchKeyDown(key, shift);
    return;
  default: return;
  }
  key = 0;
}

void TEdit::KeyPress(char& key)
{
  TInputControl::KeyPress(key);
  if (key == 8) {
    DeleteFromCaret(false);
  } else if (static_cast<unsigned char>(key) >= 32 && key != 127) {
    SetSelText(std::string(1, key));
  }
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft) {
    const Integer p = PositionAt(x);
    if (shift & ssDouble) {
      // A double click selects the run of word characters (or blanks, or signs) it hits.
      const auto n = static_cast<Integer>(FText.size());
      Integer from = std::min(p, n), to = from;
      const int cls = from < n ? CharClass(FText[static_cast<size_t>(from)])
                               : (from > 0 ? CharClass(FText[static_cast<size_t>(from - 1)]) : 0);
      while (from > 0 && CharClass(FText[static_cast<size_t>(from - 1)]) == cls)
        --from;
      while (to < n && CharClass(FText[static_cast<size_t>(to)]) == cls)
        ++to;
      SetSel(from, to - from);
      FSelecting = false;
    } else {
      MoveCaret(p, (shift & ssShift) != 0);
      FSelecting = true;
    }
  }
  TInputControl::MouseDown(button, shift, x, y);
}

void TEdit::MouseMove(TShiftState shift, Integer x, Integer y)
{
  // Dragging with the left button held selects from where it went down.
  if (FSelecting && (shift & ssLeft))
    MoveCaret(PositionAt(x), true);
  TInputControl::MouseMove(shift, x, y);
}

void TEdit::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft)
    FSelecting = false;
  TInputControl::MouseUp(button, shift, x, y);
}

// ---------------------------------------------------------------------------------------
// TMemo

TMemo::TMemo() { SetBounds(0, 0, 185, 89); }

void TMemo::SetText(const std::string& text)
{
  FText = text;
  FCaret = 0;
  FTopLine = 0;
  Invalidate();
}

void TMemo::SetSelStart(Integer p)
{
  FCaret = std::clamp<Integer>(p, 0, static_cast<Integer>(FText.size()));
  ScrollToCaret();
  Invalidate();
}

TRect TMemo::TextRect() const
{
  TRect r = ClientRect();
  if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth)
    r.Right = std::max(r.Left, r.Right - VScrollBarWidth);
  if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
    r.Bottom = std::max(r.Top, r.Bottom - VScrollBarWidth);
  return r;
}

namespace {

// The width of every leading part of s, by byte: result[j] is the width of the first j bytes
// (a byte inside a character takes the width before that character). Measured once, so that
// laying out a line costs its length, not its length squared.
std::vector<Integer> PrefixWidths(const TFont& font, const std::string& s)
{
  std::vector<Integer> byByte(s.size() + 1, -1);
  byByte[0] = 0;
  std::vector<Integer> positions;
  const std::u16string w = MultiByteToWide(CP_ACP, s, &positions);
  std::vector<Integer> partial(w.size());
  if (!w.empty())
    MeasuringCanvas(font).GetTextExtentExPointW(w.data(), w.size(), -1, nullptr, partial.data());
  for (size_t u = 0; u < w.size(); ++u) {
    const size_t end = u + 1 < w.size() ? static_cast<size_t>(positions[u + 1]) : s.size();
    if (end <= s.size())
      byByte[end] = partial[u];
  }
  for (size_t j = 1; j < byByte.size(); ++j)
    if (byByte[j] < 0)
      byByte[j] = byByte[j - 1];
  return byByte;
}

}   // namespace

std::vector<TMemo::TLine> TMemo::Layout() const
{
  std::vector<TLine> out;
  const Integer width = std::max(1, TextRect().Width() - 4);
  const auto n = static_cast<Integer>(FText.size());
  Integer start = 0;
  while (true) {
    Integer end = start;
    while (end < n && FText[static_cast<size_t>(end)] != '\r' && FText[static_cast<size_t>(end)] != '\n')
      ++end;
    // One line of the text, wrapped at spaces where it is too wide. The widths of its leading
    // parts are measured once; a piece's width is the difference of two of them.
    Integer ls = start;
    if (FWordWrap && end > start) {
      const std::vector<Integer> pw =
          PrefixWidths(Font(), FText.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
      auto wide = [&](Integer from, Integer to) {
        return pw[static_cast<size_t>(to - start)] - pw[static_cast<size_t>(from - start)];
      };
      Integer fit = ls + 1;
      while (ls < end && wide(ls, end) > width) {
        fit = std::max(fit, ls + 1);
        while (fit < end && wide(ls, fit + 1) <= width)
          ++fit;
        Integer brk = fit;
        // A word that ends right at the edge stays, the space after it hangs past.
        const Integer from = fit < end && FText[static_cast<size_t>(fit)] == ' ' ? fit + 1 : fit;
        for (Integer k = from; k > ls; --k)
          if (FText[static_cast<size_t>(k - 1)] == ' ') {
            brk = k;
            break;
          }
        out.push_back({ls, brk - ls});
        ls = brk;
      }
    }
    out.push_back({ls, end - ls});
    if (end >= n)
      break;
    start =
        end
        + ((FText[static_cast<size_t>(end)] == '\r' && end + 1 < n && FText[static_cast<size_t>(end) + 1] == '\n') ? 2
                                                                                                                   : 1);
  }
  return out;
}

std::vector<std::string> TMemo::Lines() const
{
  std::vector<std::string> out;
  for (const TLine& l : Layout()) {
    std::string s = FText.substr(static_cast<size_t>(l.Start), static_cast<size_t>(l.Length));
    // A wrapped line keeps no trailing space, as the control shows it.
    while (!s.empty() && s.back() == ' ' && l.Start + l.Length < static_cast<Integer>(FText.size())
           && FText[static_cast<size_t>(l.Start + l.Length)] != '\r'
           && FText[static_cast<size_t>(l.Start + l.Length)] != '\n')
      s.pop_back();
    out.push_back(s);
  }
  // No line after a final line end, as the control counts them.
  if (out.size() > 1 && out.back().empty() && !FText.empty() && (FText.back() == '\n' || FText.back() == '\r'))
    out.pop_back();
  return out;
}

Integer TMemo::LineOfCaret(const std::vector<TLine>& lines) const
{
  Integer li = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].Start <= FCaret)
      li = static_cast<Integer>(i);
  return li;
}

void TMemo::ScrollToCaret()
{
  const auto lines = Layout();
  const Integer li = LineOfCaret(lines);
  const Integer rows = std::max(1, TextRect().Height() / LineHeight());
  if (li < FTopLine)
    FTopLine = li;
  if (li >= FTopLine + rows)
    FTopLine = li - rows + 1;
}

void TMemo::Paint()
{
  TCanvas& c = Canvas();
  const TRect tr = TextRect();
  c.FillRect(ClientRect(), Enabled() ? clWindow : clBtnFace);
  c.Font().Assign(Font());
  c.SetBkMode(TRANSPARENT);
  c.Brush().SetStyle(bsClear);   // text over what is painted already
  c.SetTextColor(Enabled() ? Font().Color() : clGrayText);
  const auto lines = Layout();
  const Integer lh = LineHeight();
  const Integer rows = std::max(1, tr.Height() / lh);
  for (Integer i = FTopLine; i < static_cast<Integer>(lines.size()) && i < FTopLine + rows + 1; ++i) {
    const TLine& l = lines[static_cast<size_t>(i)];
    c.TextRect(tr, tr.Left + 2, tr.Top + (i - FTopLine) * lh,
               FText.substr(static_cast<size_t>(l.Start), static_cast<size_t>(l.Length)));
  }
  if (Focused()) {
    const Integer li = LineOfCaret(lines);
    const TLine& l = lines[static_cast<size_t>(li)];
    const Integer x =
        tr.Left + 2
        + TextW(Font(), FText.substr(static_cast<size_t>(l.Start),
                                     static_cast<size_t>(std::min(FCaret, l.Start + l.Length) - l.Start)));
    const Integer y = tr.Top + (li - FTopLine) * lh;
    if (y >= tr.Top && y < tr.Bottom) {
      c.Pen().SetColor(clBlack);
      c.MoveTo(x, y);
      c.LineTo(x, y + lh);
    }
  }
  const TRect cr = ClientRect();
  if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth)
    DrawScrollBar(c, {tr.Right, cr.Top, cr.Right, tr.Bottom}, true, FTopLine, static_cast<Integer>(lines.size()), rows);
  if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
    DrawScrollBar(c, {cr.Left, tr.Bottom, tr.Right, cr.Bottom}, false, 0, 1, 1);
  if (FScrollBars == TScrollStyle::ssBoth)
    c.FillRect({tr.Right, tr.Bottom, cr.Right, cr.Bottom}, clBtnFace);
}

void TMemo::Insert(const std::string& s)
{
  FText.insert(static_cast<size_t>(FCaret), s);
  FCaret += static_cast<Integer>(s.size());
  ScrollToCaret();
  Changed();
}

void TMemo::KeyDown(Word& key, TShiftState shift)
{
  TInputControl::KeyDown(key, shift);
  const auto len = static_cast<Integer>(FText.size());
  const auto lines = Layout();
  const Integer li = LineOfCaret(lines);
  const TLine& l = lines[static_cast<size_t>(li)];
  auto toLine = [&](Integer target) {
    target = std::clamp<Integer>(target, 0, static_cast<Integer>(lines.size()) - 1);
    const TLine& t = lines[static_cast<size_t>(target)];
    SetSelStart(t.Start + std::min(FCaret - l.Start, t.Length));
  };
  switch (key) {
  case VK_LEFT:
    SetSelStart(FCaret >= 2 && FText.compare(static_cast<size_t>(FCaret - 2), 2, "\r\n") == 0 ? FCaret - 2
                                                                                              : FCaret - 1);
    break;
  case VK_RIGHT:
    SetSelStart(FText.compare(static_cast<size_t>(FCaret), 2, "\r\n") == 0 ? FCaret + 2 : FCaret + 1);
    break;
  case VK_UP: toLine(li - 1); break;
  case VK_DOWN: toLine(li + 1); break;
  case VK_HOME: SetSelStart(l.Start); break;
  case VK_END: SetSelStart(l.Start + l.Length); break;
  case VK_DELETE:
    if (FCaret < len) {
      FText.erase(static_cast<size_t>(FCaret), FText.compare(static_cast<size_t>(FCaret), 2, "\r\n") == 0 ? 2 : 1);
      Changed();
    }
    break;
  default: return;
  }
  key = 0;
}

void TMemo::KeyPress(char& key)
{
  TInputControl::KeyPress(key);
  if (key == 8) {
    if (FCaret > 0) {
      const Integer n = FCaret >= 2 && FText.compare(static_cast<size_t>(FCaret - 2), 2, "\r\n") == 0 ? 2 : 1;
      FCaret -= n;
      FText.erase(static_cast<size_t>(FCaret), static_cast<size_t>(n));
      ScrollToCaret();
      Changed();
    }
  } else if (key == 13) {
    Insert("\r\n");
  } else if (static_cast<unsigned char>(key) >= 32) {
    Insert(std::string(1, key));
  }
}

void TMemo::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  const TRect tr = TextRect();
  if (button == mbLeft && tr.Contains({x, y})) {
    const auto lines = Layout();
    const Integer li =
        std::clamp<Integer>(FTopLine + (y - tr.Top) / LineHeight(), 0, static_cast<Integer>(lines.size()) - 1);
    const TLine& l = lines[static_cast<size_t>(li)];
    SetSelStart(l.Start
                + CharIndexAt(Font(), FText.substr(static_cast<size_t>(l.Start), static_cast<size_t>(l.Length)),
                              x - tr.Left - 2));
  } else if (button == mbLeft && x >= tr.Right && y < tr.Bottom) {
    const Integer rows = std::max(1, tr.Height() / LineHeight());
    const auto count = static_cast<Integer>(Layout().size());
    FTopLine = std::clamp<Integer>(FTopLine + (y < tr.Height() / 2 ? -1 : 1), 0, std::max(0, count - rows));
    Invalidate();
  }
  TInputControl::MouseDown(button, shift, x, y);
}

bool TMemo::DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos)
{
  if (TInputControl::DoMouseWheel(shift, delta, mousePos))
    return true;
  const Integer rows = std::max(1, TextRect().Height() / LineHeight());
  const auto count = static_cast<Integer>(Layout().size());
  FTopLine = std::clamp<Integer>(FTopLine + (delta > 0 ? -3 : 3), 0, std::max(0, count - rows));
  Invalidate();
  return true;
}

// ---------------------------------------------------------------------------------------
// TCheckBox and TRadioButton

TMarkControl::TMarkControl()
{
  // Each click of a double click clicks the box: it toggles twice, back where it was.
  SetControlStyle(ControlStyle() & ~csDoubleClicks);
  SetTabStop(true);
  SetColor(clNone);
}

void TMarkControl::SetChecked(bool v)
{
  if (v == FChecked)
    return;
  FChecked = v;
  Invalidate();
  NotifyAccessibleChange(this, TAccessibleChange::Checked);
}

void TMarkControl::KeyDown(Word& key, TShiftState shift)
{
  if (OnKeyDown)
    OnKeyDown(this, key, shift);
  if (key == VK_SPACE) {
    key = 0;
    Click();
  }
}

void TMarkControl::DoEnter()
{
  Invalidate();
  TCustomControl::DoEnter();
}

void TMarkControl::DoExit()
{
  Invalidate();
  TCustomControl::DoExit();
}

TRect TMarkControl::MarkRect() const
{
  const Integer top = std::max(0, (Height() - 13) / 2);
  return {0, top, 13, top + 13};
}

void TMarkControl::PaintCaption(TCanvas& c)
{
  if (Caption().empty())
    return;
  c.Font().Assign(Font());
  c.SetBkMode(TRANSPARENT);
  c.Brush().SetStyle(bsClear);   // text over what is painted already
  c.SetTextColor(Enabled() ? Font().Color() : clGrayText);
  TRect r{17, 0, Width(), Height()};
  c.DrawText(Caption(), r, DT_VCENTER | DT_SINGLELINE);
  // The focused box says so with a dotted frame round its caption, so the keyboard user sees
  // where Tab has gone.
  if (Focused()) {
    const TSize ext = c.TextExtent(Caption());
    const Integer top = std::max(0, (Height() - ext.cy) / 2 - 1);
    c.DrawFocusRect({15, top, std::min(Width(), 17 + ext.cx + 2), std::min(Height(), top + ext.cy + 2)});
  }
}

TCheckBox::TCheckBox() { SetBounds(0, 0, 97, 17); }

void TCheckBox::Toggle()
{
  SetChecked(!Checked());
  TCustomControl::Click();
}

void TCheckBox::Click() { Toggle(); }

void TCheckBox::Paint()
{
  TCanvas& c = Canvas();
  if (Color() != clNone)
    c.FillRect(ClientRect(), Color());
  TRect box = MarkRect();
  c.FillRect(box, Enabled() ? clWindow : clBtnFace);
  TRect e = box;
  c.DrawEdge(e, EDGE_SUNKEN, BF_RECT);
  if (Checked()) {
    c.Pen().SetColor(Enabled() ? clWindowText : clGrayText);
    // A tick of three strokes, three pixels thick.
    for (Integer d = 0; d < 3; ++d) {
      c.MoveTo(box.Left + 3, box.Top + 5 + d);
      c.LineTo(box.Left + 5, box.Top + 7 + d);
      c.LineTo(box.Left + 10, box.Top + 2 + d);
    }
  }
  PaintCaption(c);
}

TRadioButton::TRadioButton() { SetBounds(0, 0, 113, 17); }

void TRadioButton::SetChecked(bool v)
{
  if (v == Checked())
    return;
  TMarkControl::SetChecked(v);
  if (v && Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r != this)
        r->SetChecked(false);
}

void TRadioButton::Click()
{
  SetChecked(true);
  TCustomControl::Click();
}

void TRadioButton::Paint()
{
  TCanvas& c = Canvas();
  if (Color() != clNone)
    c.FillRect(ClientRect(), Color());
  TRect r = MarkRect();
  c.Brush().SetStyle(bsSolid);
  c.Pen().SetColor(clBtnShadow);
  c.Brush().SetColor(Enabled() ? clWindow : clBtnFace);
  c.Ellipse(r.Left, r.Top, r.Left + 12, r.Top + 12);
  // The upper left of the ring is darker, as the sunken look has it.
  c.Pen().SetColor(cl3DDkShadow);
  c.Arc(r.Left + 1, r.Top + 1, r.Left + 11, r.Top + 11, r.Left + 11, r.Top + 1, r.Left + 1, r.Top + 11);
  if (Checked()) {
    c.Pen().SetColor(clWindowText);
    c.Brush().SetColor(clWindowText);
    c.Ellipse(r.Left + 4, r.Top + 4, r.Left + 8, r.Top + 8);
  }
  PaintCaption(c);
}

// ---------------------------------------------------------------------------------------
// TListBox

TListBox::TListBox()
{
  SetBounds(0, 0, 121, 97);
  SetCursor(crDefault);
}

void TListBox::ItemsChanged()
{
  FSelected.assign(FItems.size(), false);
  if (FItemIndex >= Count())
    FItemIndex = -1;
  FTopIndex = std::clamp<Integer>(FTopIndex, 0, std::max(0, Count() - VisibleRows()));
  Invalidate();
}

Integer TListBox::VisibleRows() const { return std::max(1, ClientHeight() / ItemHeight()); }

void TListBox::SetItemIndex(Integer i)
{
  if (i < -1 || i >= Count())
    i = -1;
  // While the list has the keyboard, a reader follows the entry it moves to.
  const bool moved = i != FItemIndex;
  FItemIndex = i;
  FSelected.resize(FItems.size(), false);
  if (!FMultiSelect) {
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (i >= 0)
      FSelected[static_cast<size_t>(i)] = true;
  }
  if (i >= 0)
    MakeVisible(i);
  Invalidate();
  if (moved && i >= 0 && Focused())
    NotifyAccessibleEntryFocus(this, i);
}

bool TListBox::Selected(Integer i) const
{
  if (i < 0 || i >= Count())
    return false;
  if (!FMultiSelect)
    return i == FItemIndex;
  return static_cast<size_t>(i) < FSelected.size() && FSelected[static_cast<size_t>(i)];
}

void TListBox::SetSelected(Integer i, bool v)
{
  if (i < 0 || i >= Count())
    return;
  if (!FMultiSelect) {
    if (v)
      SetItemIndex(i);
    else if (i == FItemIndex)
      SetItemIndex(-1);
    return;
  }
  FSelected.resize(FItems.size(), false);
  FSelected[static_cast<size_t>(i)] = v;
  Invalidate();
}

void TListBox::ClearSelection()
{
  std::fill(FSelected.begin(), FSelected.end(), false);
  if (!FMultiSelect)
    FItemIndex = -1;
  Invalidate();
}

void TListBox::SetTopIndex(Integer i)
{
  FTopIndex = std::clamp<Integer>(i, 0, std::max(0, Count() - VisibleRows()));
  Invalidate();
}

void TListBox::MakeVisible(Integer i)
{
  if (i < FTopIndex)
    FTopIndex = i;
  else if (i >= FTopIndex + VisibleRows())
    FTopIndex = i - VisibleRows() + 1;
}

void TListBox::Paint()
{
  TCanvas& c = Canvas();
  TRect cr = ClientRect();
  const bool bar = ScrollBarShown();
  TRect items = cr;
  if (bar)
    items.Right = std::max(items.Left, items.Right - VScrollBarWidth);
  c.FillRect(cr, Enabled() ? clWindow : clBtnFace);
  c.Font().Assign(Font());
  c.SetBkMode(TRANSPARENT);
  c.Brush().SetStyle(bsClear);   // text over what is painted already
  const Integer h = ItemHeight();
  for (Integer i = FTopIndex; i < Count(); ++i) {
    const Integer y = (i - FTopIndex) * h;
    if (y >= items.Bottom)
      break;
    TRect row{items.Left, y, items.Right, y + h};
    const bool sel = Selected(i);
    if (sel)
      c.FillRect(row, clHighlight);
    c.SetTextColor(sel ? clHighlightText : (Enabled() ? Font().Color() : clGrayText));
    c.Brush().SetStyle(bsClear);
    c.TextRect(row, row.Left + 2, row.Top, FItems[static_cast<size_t>(i)]);
    if (Focused() && i == std::max<Integer>(FItemIndex, 0)) {
      c.Brush().SetColor(clWhite);
      c.DrawFocusRect(row);
    }
  }
  if (bar)
    DrawScrollBar(c, {items.Right, cr.Top, cr.Right, cr.Bottom}, true, FTopIndex, Count(), VisibleRows());
}

void TListBox::MoveTo(Integer i, TShiftState shift)
{
  if (Count() == 0)
    return;
  i = std::clamp<Integer>(i, 0, Count() - 1);
  if (FMultiSelect && FExtendedSelect && (shift & ssShift) && FAnchor >= 0) {
    FSelected.assign(FItems.size(), false);
    for (Integer k = std::min(FAnchor, i); k <= std::max(FAnchor, i); ++k)
      FSelected[static_cast<size_t>(k)] = true;
  } else if (FMultiSelect && FExtendedSelect && !(shift & ssCtrl)) {
    FSelected.assign(FItems.size(), false);
    FSelected[static_cast<size_t>(i)] = true;
    FAnchor = i;
  } else if (!FMultiSelect) {
    FAnchor = i;
  }
  if (!FMultiSelect) {
    SetItemIndex(i);
  } else {
    const bool moved = i != FItemIndex;
    FItemIndex = i;
    if (moved && Focused())
      NotifyAccessibleEntryFocus(this, i);
  }
  MakeVisible(i);
  Changed();
}

void TListBox::KeyDown(Word& key, TShiftState shift)
{
  TInputControl::KeyDown(key, shift);
  const Integer cur = std::max<Integer>(FItemIndex, 0);
  switch (key) {
  case VK_UP: MoveTo(FItemIndex < 0 ? 0 : cur - 1, shift); break;
  case VK_DOWN: MoveTo(FItemIndex < 0 ? 0 : cur + 1, shift); break;
  case VK_PRIOR: MoveTo(cur - VisibleRows() + 1, shift); break;
  case VK_NEXT: MoveTo(cur + VisibleRows() - 1, shift); break;
  case VK_HOME: MoveTo(0, shift); break;
  case VK_END: MoveTo(Count() - 1, shift); break;
  case VK_SPACE:
    if (FMultiSelect && FItemIndex >= 0) {
      SetSelected(FItemIndex, !Selected(FItemIndex));
      Changed();
    }
    break;
  default: return;
  }
  key = 0;
}

void TListBox::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  const TRect cr = ClientRect();
  if (button == mbLeft && ScrollBarShown() && x >= cr.Right - VScrollBarWidth) {
    SetTopIndex(FTopIndex + (y < cr.Height() / 2 ? -1 : 1));
  } else if (button == mbLeft) {
    const Integer i = FTopIndex + y / ItemHeight();
    if (i >= 0 && i < Count()) {
      if (FMultiSelect && (!FExtendedSelect || (shift & ssCtrl))) {
        FItemIndex = i;
        FAnchor = i;
        SetSelected(i, !Selected(i));
        Changed();
      } else {
        MoveTo(i, shift);
      }
    }
  }
  TInputControl::MouseDown(button, shift, x, y);
}

bool TListBox::DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos)
{
  if (TInputControl::DoMouseWheel(shift, delta, mousePos))
    return true;
  SetTopIndex(FTopIndex + (delta > 0 ? -3 : 3));
  return true;
}

// ---------------------------------------------------------------------------------------
// TComboBox

// The dropped list: a popup under the box; a click on an item chooses it.
class TComboPopup : public TPopupWindowControl {
public:
  // Readers meet its entries below the box (the box's list).
  explicit TComboPopup(TComboBox* owner) : FOwner(owner)
  {
    SetColor(clWindow);
    SetAccessibleOpener(this, owner);
  }
  ~TComboPopup() override { SetAccessibleOpener(this, nullptr); }
  Integer Hot = -1;

protected:
  void Paint() override
  {
    TCanvas& c = Canvas();
    c.FillRect(ClientRect(), clWindow);
    c.Brush().SetColor(clBlack);
    c.FrameRect(ClientRect());
    c.Font().Assign(FOwner->Font());
    c.SetBkMode(TRANSPARENT);
    c.Brush().SetStyle(bsClear);
    c.Brush().SetStyle(bsClear);   // text over what is painted already
    const Integer h = RowHeight();
    for (Integer i = 0; i < static_cast<Integer>(FOwner->FItems.size()); ++i) {
      TRect row{1, 1 + i * h, Width() - 1, 1 + (i + 1) * h};
      const bool hot = i == (Hot >= 0 ? Hot : FOwner->FItemIndex);
      if (hot)
        c.FillRect(row, clHighlight);
      c.SetTextColor(hot ? clHighlightText : clWindowText);
      c.TextRect(row, row.Left + 2, row.Top, FOwner->FItems[static_cast<size_t>(i)]);
    }
  }
  void MouseMove(TShiftState shift, Integer x, Integer y) override
  {
    Integer i = (y - 1) / RowHeight();
    if (i != Hot && i >= 0 && i < static_cast<Integer>(FOwner->FItems.size())) {
      Hot = i;
      Invalidate();
    }
  }
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override
  {
    Integer i = (y - 1) / RowHeight();
    if (button == mbLeft && y >= 1 && i >= 0 && i < static_cast<Integer>(FOwner->FItems.size()))
      FOwner->Choose(i);
    FOwner->SetDroppedDown(false);
  }

public:
  Integer RowHeight() const { return FOwner->LineHeight(); }

private:
  TComboBox* FOwner;
};

TComboBox::TComboBox()
{
  SetBounds(0, 0, 145, 21);
  SetCursor(crDefault);
}

TComboBox::~TComboBox() { SetDroppedDown(false); }

void TComboBox::AdjustHeight() { SetHeight(LineHeight() + 2 * NonClientSize().Y + 2); }

void TComboBox::SetItemIndex(Integer i)
{
  const Integer before = FItemIndex;
  FItemIndex = i >= 0 && i < static_cast<Integer>(FItems.size()) ? i : -1;
  Invalidate();
  if (FItemIndex != before) {
    NotifyAccessibleChange(this, TAccessibleChange::Value);
    // In the open list the reader follows the chosen entry.
    if (DroppedDown() && FItemIndex >= 0)
      NotifyAccessibleEntryFocus(this, FItemIndex);
  }
}

std::string TComboBox::Text() const
{
  return FItemIndex >= 0 && FItemIndex < static_cast<Integer>(FItems.size()) ? FItems[static_cast<size_t>(FItemIndex)]
                                                                             : std::string();
}

bool TComboBox::DroppedDown() const { return FPopup && FPopup->Visible(); }

TControl* TComboBox::ListWindow() const { return FPopup.get(); }

void TComboBox::SetDroppedDown(bool v)
{
  if (v == DroppedDown())
    return;
  if (!v) {
    if (FFilter)
      RemoveInputFilter(FFilter);
    FFilter = 0;
    if (FPopup)
      FPopup->Hide();
    Invalidate();
    // The reader was in the list: it comes back to the box.
    if (Focused())
      NotifyAccessibleFocus(this);
    return;
  }
  if (!FPopup)
    FPopup = std::make_unique<TComboPopup>(this);
  FPopup->Hot = -1;
  const Integer rows = std::clamp<Integer>(static_cast<Integer>(FItems.size()), 1, 8);
  const TPoint p = ClientToScreen({-NonClientSize().X, Height() - NonClientSize().Y});
  FPopup->SetBounds(p.X, p.Y, Width(), rows * FPopup->RowHeight() + 2);
  FPopup->Show();
  // A click anywhere outside the list closes it.
  FFilter = AddInputFilter([this](const TInputEvent& e) {
    if (e.Kind == TInputKind::MouseDown && e.Target != FPopup.get() && e.Target != this)
      SetDroppedDown(false);
    return false;
  });
  Invalidate();
  if (FItemIndex >= 0)
    NotifyAccessibleEntryFocus(this, FItemIndex);
}

void TComboBox::Choose(Integer i)
{
  if (i == FItemIndex || i < 0 || i >= static_cast<Integer>(FItems.size()))
    return;
  SetItemIndex(i);
  Changed();
}

void TComboBox::Paint()
{
  TCanvas& c = Canvas();
  TRect cr = ClientRect();
  c.FillRect(cr, Enabled() ? clWindow : clBtnFace);
  TRect btn{std::max(cr.Left, cr.Right - VScrollBarWidth), cr.Top, cr.Right, cr.Bottom};
  DrawButtonFace(c, btn);
  DrawArrow(c, btn, 1);
  TRect text{cr.Left + 1, cr.Top + 1, btn.Left - 1, cr.Bottom - 1};
  const bool focus = Focused() && !DroppedDown();
  if (focus)
    c.FillRect(text, clHighlight);
  c.Font().Assign(Font());
  c.SetBkMode(TRANSPARENT);
  c.Brush().SetStyle(bsClear);   // text over what is painted already
  c.SetTextColor(focus ? clHighlightText : (Enabled() ? Font().Color() : clGrayText));
  c.TextRect(text, text.Left + 1, text.Top + std::max(0, (text.Height() - LineHeight()) / 2), Text());
  if (focus) {
    c.Brush().SetColor(clWhite);
    c.DrawFocusRect(text);
  }
}

void TComboBox::KeyDown(Word& key, TShiftState shift)
{
  TInputControl::KeyDown(key, shift);
  const auto n = static_cast<Integer>(FItems.size());
  if ((key == VK_DOWN && (shift & ssAlt)) || key == VK_F4) {
    SetDroppedDown(!DroppedDown());
  } else if (key == VK_RETURN || key == VK_ESCAPE) {
    if (!DroppedDown())
      return;
    if (key == VK_RETURN && FPopup->Hot >= 0)
      Choose(FPopup->Hot);
    SetDroppedDown(false);
  } else if (key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END) {
    if (n == 0)
      return;
    Integer i = key == VK_HOME ? 0 : key == VK_END ? n - 1 : FItemIndex + (key == VK_UP ? -1 : 1);
    Choose(std::clamp<Integer>(i, 0, n - 1));
    if (DroppedDown()) {
      FPopup->Hot = -1;
      FPopup->Invalidate();
    }
  } else {
    return;
  }
  key = 0;
}

void TComboBox::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft)
    SetDroppedDown(!DroppedDown());
  TInputControl::MouseDown(button, shift, x, y);
}

void TComboBox::DoExit()
{
  SetDroppedDown(false);
  TInputControl::DoExit();
}
