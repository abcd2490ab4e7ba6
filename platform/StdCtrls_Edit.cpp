#include <algorithm>
#include <cstdlib>

#include "platform/StdCtrls.h"

namespace {

// The edge (2) and a pixel of space on each side.
constexpr Integer Inset = 3;

Integer WidthOf(const TFont& font, const std::string& text)
{
  static TBitmap bitmap(1, 1);
  bitmap.Canvas().Font().Assign(font);
  return bitmap.Canvas().TextWidth(text);
}

}  // namespace

TEdit::TEdit()
{
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
  SetCursor(crIBeam);
}

void TEdit::SetText(const std::string& text)
{
  FText = FMaxLength > 0 && text.size() > size_t(FMaxLength) ? text.substr(0, size_t(FMaxLength)) : text;
  FSelStart = static_cast<Integer>(FText.size());
  Invalidate();
}

void TEdit::SetSelStart(Integer v)
{
  FSelStart = std::clamp<Integer>(v, 0, static_cast<Integer>(FText.size()));
  Invalidate();
}

void TEdit::UserEdit(std::string text, Integer caret)
{
  if (FMaxLength > 0 && text.size() > size_t(FMaxLength))
    return;
  bool changed = text != FText;
  FText = std::move(text);
  SetSelStart(caret);
  if (changed && OnChange)
    OnChange(this);
}

Integer TEdit::TextOrigin()
{
  // Keep the caret inside the box: scroll left past it, or right up to it.
  const Integer inner = std::max(1, ClientWidth() - 2 * Inset);
  FScroll = std::clamp<Integer>(FScroll, 0, FSelStart);
  while (FScroll < FSelStart &&
         WidthOf(Font(), FText.substr(size_t(FScroll), size_t(FSelStart - FScroll))) >= inner)
    ++FScroll;
  return Inset - WidthOf(Font(), FText.substr(0, size_t(FScroll)));
}

void TEdit::Paint()
{
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  c.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  c.FillRect(r, Enabled() ? Color() : clBtnFace);
  const Integer origin = TextOrigin();
  c.Font().Assign(Font());
  c.SetBkMode(TRANSPARENT);
  c.SetTextColor(Enabled() ? Font().Color() : clGrayText);
  TRect text{Inset, r.Top, std::max<Integer>(Inset, ClientWidth() - Inset), r.Bottom};
  c.DrawText(FText.substr(size_t(FScroll)), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (Focused()) {
    Integer x = origin + WidthOf(Font(), FText.substr(0, size_t(FSelStart)));
    c.Pen().SetColor(Font().Color());
    c.MoveTo(x, r.Top + 1);
    c.LineTo(x, r.Bottom - 1);
  }
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft && Enabled()) {
    SetFocus();
    // The caret goes to the character boundary nearest the click.
    const Integer origin = TextOrigin();
    Integer best = FScroll, bestDistance = -1;
    for (Integer i = FScroll; i <= static_cast<Integer>(FText.size()); ++i) {
      Integer d = std::abs(origin + WidthOf(Font(), FText.substr(0, size_t(i))) - x);
      if (bestDistance < 0 || d < bestDistance) {
        best = i;
        bestDistance = d;
      } else {
        break;
      }
    }
    SetSelStart(best);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TEdit::KeyDown(Word& key, TShiftState shift)
{
  const Integer length = static_cast<Integer>(FText.size());
  switch (key) {
  case VK_LEFT: SetSelStart(FSelStart - 1); break;
  case VK_RIGHT: SetSelStart(FSelStart + 1); break;
  case VK_HOME: SetSelStart(0); break;
  case VK_END: SetSelStart(length); break;
  case VK_DELETE:
    if (FSelStart < length)
      UserEdit(FText.substr(0, size_t(FSelStart)) + FText.substr(size_t(FSelStart) + 1), FSelStart);
    break;
  case VK_RETURN:
  case VK_ESCAPE:
    if (auto* form = GetParentForm())
      form->DispatchKeyDown(key, shift);
    return;
  default: return;
  }
  key = 0;
}

void TEdit::KeyPress(char& key)
{
  if (key == '\b') {
    if (FSelStart > 0)
      UserEdit(FText.substr(0, size_t(FSelStart) - 1) + FText.substr(size_t(FSelStart)), FSelStart - 1);
  } else if (static_cast<unsigned char>(key) >= 32) {
    UserEdit(FText.substr(0, size_t(FSelStart)) + key + FText.substr(size_t(FSelStart)), FSelStart + 1);
  } else {
    return;
  }
  key = 0;
}
