// Page breaks, horizontal rules and preformatted lines.
#include "html/SmallSections.h"

#include <algorithm>

// ---- TPage ----

std::unique_ptr<TSectionBase> TPage::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TPage>(AMasterList, *this);
}

int32_t TPage::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                      int32_t& MaxWidth, int32_t& Curs)
{
  const int32_t height = TSectionBase::Layout(Canvas, X, Y, AWidth, AHeight, IMgr, MaxWidth, Curs);
  // As wide as the room it stands in: the width of the whole indent manager would take the
  // block's margins and indents twice, and make a narrow page scroll sideways.
  MaxWidth = std::max(AWidth, 0);
  return height;
}

int32_t TPage::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef)
{
  const int32_t result = TSectionBase::Draw(Canvas, ARect, IMgr, X, XRef, YRef);
  TSectionList* doc = ParentSectionList;
  // A break right at the top of a page would leave that page empty.
  if (doc && doc->Printing && YDraw > doc->PageTop + 5 && YDraw < doc->YOff + ARect.Bottom && YDraw < doc->PageBottom)
    doc->PageBottom = YDraw;
  return result;
}

// ---- THorzLine ----

THorzLine::THorzLine(TSectionList* AMasterList, TAttributeList* L, TProperties& Prop) : TSectionBase(AMasterList)
{
  if (L)
    for (const auto& a : *L) {
      switch (a->Which) {
      case ColorSy: {
        TColor c;
        if (ParseColor(a->Name, false, c)) {
          Color = c;
          Prop.SetProperty(::Color, TPropValue(static_cast<int32_t>(c)));
        }
        break;
      }
      case NoShadeSy: NoShade = true; break;
      case SizeSy:
        if (a->Value >= 1 && a->Value <= 20)
          VSize = a->Value;
        break;
      case AlignSy: {
        const std::string s = LowerCase(Trim(a->Name));
        Align = s == "left" ? 1 : s == "right" ? 3 : 2;
        break;
      }
      case WidthSy:
        if (a->Value >= 1) {
          if (a->Name.find('%') == std::string::npos)
            Prop.SetProperty(piWidth, TPropValue(std::min(a->Value, MaxLength)));
          else if (a->Value <= 100)
            Prop.SetProperty(piWidth, TPropValue(IntToStr(a->Value) + "%"));
        }
        break;
      default: break;
      }
    }
  Prop.Props[piHeight] = TPropValue(VSize);
  // Only a colour or alignment given to the rule itself counts, not one inherited from the
  // text around it.
  if (Prop.Originals[::Color])
    Color = Prop.GetFontColor();
  if (Prop.Originals[TextAlign]) {
    const std::string& s = PropString(Prop.Props[TextAlign]);
    if (s == "left")
      Align = 1;
    else if (s == "right")
      Align = 3;
    else if (s == "center")
      Align = 2;
  }
}

THorzLine::THorzLine(TSectionList* AMasterList, const THorzLine& T)
    : TSectionBase(AMasterList, T), VSize(T.VSize), Color(T.Color), Align(T.Align), NoShade(T.NoShade)
{}

std::unique_ptr<TSectionBase> THorzLine::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<THorzLine>(AMasterList, *this);
}

int32_t THorzLine::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                          int32_t& MaxWidth, int32_t& Curs)
{
  VSize = std::clamp(VSize, 1, MaxLength);
  Indent = std::max(X, IMgr.LeftSide(Y));
  Width = std::max(0, std::min(X + std::max(AWidth, 0) - Indent, IMgr.RightSide(Y) - Indent));
  SectionHeight = VSize;
  TSectionBase::Layout(Canvas, X, Y, AWidth, AHeight, IMgr, MaxWidth, Curs);
  MaxWidth = Width;
  return SectionHeight;
}

int32_t THorzLine::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef)
{
  const int32_t result = YDraw + SectionHeight;
  TSectionList* doc = ParentSectionList;
  if (!doc)
    return result;
  const int32_t top = YDraw - doc->YOff;
  if (top + VSize <= ARect.Top || top >= ARect.Bottom)
    return result;
  if (doc->Printing && YDraw >= doc->PageBottom)
    return result;
  const int32_t x1 = IMgr.LfEdge + Indent;
  const int32_t x2 = x1 + Width - 1;
  if (Color != NoColor) {
    Canvas.FillRect(TRect{x1, top, x2 + 1, top + VSize}, Color | PalRelative);
    return result;
  }
  const bool monoPrinter = doc->Printing && Canvas.Device().IsPrinter()
                           && Canvas.GetDeviceCaps(BITSPIXEL) * Canvas.GetDeviceCaps(PLANES) == 1;
  const TColor bg = ColorToRGB(doc->Background);
  const bool whiteBack = doc->Printing || bg == clWhite;
  const bool black = NoShade || monoPrinter;
  const int32_t bottom = top + VSize - 1;
  const TPen saved = Canvas.Pen();
  Canvas.Pen().SetWidth(1);
  Canvas.Pen().SetStyle(psSolid);
  Canvas.Pen().SetColor(black ? clBlack : clBtnShadow);
  Canvas.MoveTo(x1, bottom);
  Canvas.LineTo(x1, top);
  Canvas.LineTo(x2, top);
  Canvas.Pen().SetColor(black ? clBlack : whiteBack ? TColor(0xC0C0C0) : clBtnHighlight);
  Canvas.LineTo(x2, bottom);
  Canvas.LineTo(x1, bottom);
  Canvas.SetPen(saved);
  return result;
}

// ---- TPreFormated ----

TPreFormated::TPreFormated(TSectionList* AMasterList, const TPreFormated& T)
    : TSection(AMasterList, T), FullWidth(T.FullWidth)
{}

std::unique_ptr<TSectionBase> TPreFormated::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TPreFormated>(AMasterList, *this);
}

void TPreFormated::Finish()
{
  if (Finished)
    return;
  // Every space of preformatted text stays: as non-breaking spaces the paragraph's
  // finishing neither drops nor collapses them, and turns them back into spaces.
  for (char16_t& c : BuffS)
    if (c == u' ')
      c = NbSpace;
  TSection::Finish();
}

void TPreFormated::MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max)
{
  if (Len == 0) {
    Min = Max = 0;
    return;
  }
  if (FullWidth < 0)
    FullWidth = FindTextWidth(Canvas, 0, Len, false);
  Max = FullWidth;
  Min = std::min(2000, FullWidth);
}

int32_t TPreFormated::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight,
                             IndentManager& IMgr, int32_t& MaxWidth, int32_t& Curs)
{
  if (Len == 0) {
    const TFontObj* f = Fonts.First();
    SectionHeight = f && !EndsPreformatted ? std::max(0, f->TheFont->Size()) : 0;
    TSectionBase::Layout(Canvas, X, Y, AWidth, AHeight, IMgr, MaxWidth, Curs);
    MaxWidth = 0;
    return SectionHeight;
  }
  if (FullWidth < 0)
    FullWidth = FindTextWidth(Canvas, 0, Len, false);
  const int32_t h = TSection::Layout(Canvas, X, Y, 32000, AHeight, IMgr, MaxWidth, Curs);
  MaxWidth = FullWidth;
  return h;
}
