// Tables: cells and rows from the page, the grid with its spans, column widths from the
// cells' contents with pixel and percentage widths, row heights, vertical alignment, and
// the drawing of backgrounds, borders and cells, with page breaks between rows.
#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "html/Document.h"

namespace {

int32_t ClipY(int64_t V) { return static_cast<int32_t>(std::clamp<int64_t>(V, -MaxDocY, MaxDocY)); }

// MulDiv that answers 0 instead of -1 for a zero divisor.
int32_t MulDiv0(int32_t A, int32_t B, int32_t C) { return C == 0 ? 0 : MulDiv(A, B, C); }

// Grid positions a table may have; row spans that would go beyond are cut.
constexpr int64_t MaxGridCells = 250000;
// Row and column spans from a page.
constexpr int32_t MaxRowSpan = 100000;

bool PropIsGiven(const TProperties& P, int Index)
{
  const TPropValue& v = P.Props[static_cast<size_t>(Index)];
  const int32_t* i = std::get_if<int32_t>(&v);
  return !IsEmpty(v) && !(i && *i == IntNull);
}

// A width from a style: pixels, or tenths of a percent.
bool StyleWidth(const TProperties& P, int32_t EmSize, int32_t& Width, bool& Percent)
{
  if (!PropIsGiven(P, piWidth))
    return false;
  const std::string& s = PropString(P.Props[piWidth]);
  if (!s.empty() && s.back() == '%') {
    const int32_t v = StrToIntDef(Trim(s.substr(0, s.size() - 1)), 0);
    if (v < 1 || v > 100)
      return false;
    Width = v * 10;
    Percent = true;
    return true;
  }
  TBoxValues b;
  P.GetBoxValues(0, 0, EmSize, std::max(1, EmSize / 2), b);
  if (b.V[bxWidth] == Auto || b.V[bxWidth] <= 0)
    return false;
  Width = std::min(b.V[bxWidth], MaxLength);
  Percent = false;
  return true;
}

// BGCOLOR and BACKGROUND of a cell or row; true when the attribute was one of them.
bool BackgroundAttr(const TAttribute& A, TColor& Color, bool& ColorGiven, std::string& Image)
{
  if (A.Which == BGColorSy)
    ColorGiven = ParseColor(A.Name, false, Color);
  else if (A.Which == BackgroundSy)
    Image = A.Name;
  else
    return false;
  return true;
}

}   // namespace

// ---- cells ----

TCellObj::TCellObj(TSectionList* AMasterList, AlignmentType AVAlign, TAttributeList* Attr, TProperties* Prop)
    : MyVAlign(AVAlign), Cell(std::make_unique<TCell>(AMasterList))
{
  Padding.fill(IntNull);
  Border.fill(IntNull);
  std::string image;
  if (Attr)
    for (const auto& a : *Attr) {
      if (BackgroundAttr(*a, BkColor, BkGnd, image))
        continue;
      switch (a->Which) {
      case ColSpanSy:
        if (a->Value > 1)
          ColSpan = std::min(a->Value, MaxCols + 1);
        break;
      case RowSpanSy:
        if (a->Value > 1)
          RowSpan = std::min(a->Value, MaxRowSpan);
        break;
      case WidthSy:
        if (a->Name.find('%') != std::string::npos) {
          if (a->Value >= 1 && a->Value <= 100) {
            SpecWd = a->Value * 10;
            WidthIsPercent = true;
          }
        } else if (a->Value > 0) {
          SpecWd = std::min(a->Value, MaxLength);
        }
        break;
      case HeightSy: SpecHt = std::clamp(a->Value, 0, MaxLength); break;
      default: break;
      }
    }
  if (Prop) {
    const int32_t em = std::max(1, std::abs(Prop->GetFont()->Height()));
    StyleWidth(*Prop, em, SpecWd, WidthIsPercent);
    // The box values are worked out only for what a cell takes of them.
    const bool heightGiven = PropIsGiven(*Prop, piHeight);
    const bool borders = Prop->HasBorderStyle();
    bool paddings = false;
    for (int k = 0; k < 4; ++k)
      paddings = paddings || PropIsGiven(*Prop, PaddingTop + k);
    TBoxValues b;
    if (heightGiven || borders || paddings)
      Prop->GetBoxValues(0, 0, em, std::max(1, em / 2), b);
    if (heightGiven && b.V[bxHeight] != Auto && b.V[bxHeight] > 0)
      SpecHt = std::min(b.V[bxHeight], MaxLength);
    AlignmentType va;
    if (Prop->GetVertAlign(va) && (va == ATop || va == AMiddle || va == ABottom))
      MyVAlign = va;
    TColor c;
    if (Prop->GetBackgroundColor(c)) {
      BkColor = c;
      BkGnd = true;
    }
    std::string url;
    if (Prop->GetBackgroundImage(url) && !url.empty())
      image = url;
    if (!image.empty())
      Prop->GetBackgroundPos(em, std::max(1, em / 2), BGPosition);
    for (int k = 0; k < 4; ++k) {
      if (paddings && PropIsGiven(*Prop, PaddingTop + k))
        Padding[static_cast<size_t>(k)] = b.V[static_cast<size_t>(bxPaddingTop + k)];
      // A side the style leaves keeps the table's border (Initialize).
      if (borders && PropIsGiven(*Prop, BorderTopStyle + k)) {
        Border[static_cast<size_t>(k)] = b.V[static_cast<size_t>(bxBorderTop + k)];
        StyleSides = static_cast<uint8_t>(StyleSides | (1u << k));
      }
    }
    // Drawn in their own colour, or the cell's text colour as a block's are.
    if (StyleSides)
      StyleBorderColor = b.BorderColor != NoColor ? b.BorderColor : Prop->GetFontColor();
    BreakBefore = Prop->GetPageBreakBefore();
    BreakAfter = Prop->GetPageBreakAfter();
    KeepIntact = Prop->GetPageBreakAvoid();
  }
  if (image.empty())
    BGPosition = PtPositionRec{};
  else
    BGImage = std::make_unique<TImageObj>(AMasterList, image);
}

TCellObj::TCellObj(TSectionList* AMasterList, const TCellObj& T)
{
  ColSpan = T.ColSpan;
  RowSpan = T.RowSpan;
  Wd = T.Wd;
  Ht = T.Ht;
  VSize = T.VSize;
  SpecHt = T.SpecHt;
  SpecWd = T.SpecWd;
  WidthIsPercent = T.WidthIsPercent;
  MyVAlign = T.MyVAlign;
  YIndent = T.YIndent;
  Padding = T.Padding;
  Border = T.Border;
  StyleSides = T.StyleSides;
  StyleBorderColor = T.StyleBorderColor;
  HzSpace = T.HzSpace;
  VrSpace = T.VrSpace;
  BGPosition = T.BGPosition;
  BreakBefore = T.BreakBefore;
  BreakAfter = T.BreakAfter;
  KeepIntact = T.KeepIntact;
  // Printed backgrounds only when asked for.
  if (AMasterList && AMasterList->PrintTableBackground) {
    BkColor = T.BkColor;
    BkGnd = T.BkGnd;
    if (T.BGImage)
      BGImage = std::make_unique<TImageObj>(AMasterList, *T.BGImage);
  }
  if (T.Cell)
    Cell = std::make_unique<TCell>(AMasterList, *T.Cell);
}

std::unique_ptr<TCellObj> TCellObj::Placeholder(TSectionList* AMasterList, int32_t ARowSpan)
{
  std::unique_ptr<TCellObj> c(new TCellObj());
  c->ColSpan = 0;
  c->RowSpan = ARowSpan;
  return c;
}

TCellObj::~TCellObj() = default;

void TCellObj::Initialize(int32_t TablePadding, bool TableBorder)
{
  for (auto& p : Padding)
    if (p == IntNull)
      p = TablePadding;
  for (auto& b : Border)
    if (b == IntNull)
      b = TableBorder ? 1 : 0;
  for (auto& p : Padding)
    p = std::clamp(p, 0, MaxLength);
  for (auto& b : Border)
    b = std::clamp(b, 0, MaxLength);
  HzSpace = Padding[1] + Padding[3] + Border[1] + Border[3];
  VrSpace = Padding[0] + Padding[2] + Border[0] + Border[2];
}

// ---- rows ----

TCellList::TCellList(TAttributeList* Attr, TProperties* Prop)
{
  if (Attr)
    for (const auto& a : *Attr)
      if (!BackgroundAttr(*a, BkColor, BkGnd, BkImage) && a->Which == HeightSy)
        RowHeight = std::clamp(a->Value, 0, MaxLength);
  if (Prop) {
    TColor c;
    if (Prop->GetBackgroundColor(c)) {
      BkColor = c;
      BkGnd = true;
    }
    std::string url;
    if (Prop->GetBackgroundImage(url) && !url.empty())
      BkImage = url;
    BreakBefore = Prop->GetPageBreakBefore();
    BreakAfter = Prop->GetPageBreakAfter();
    KeepIntact = Prop->GetPageBreakAvoid();
  }
}

TCellList::TCellList(TSectionList* AMasterList, const TCellList& T)
{
  for (const auto& c : T)
    TFreeList<TCellObj>::Add(c ? std::make_unique<TCellObj>(AMasterList, *c) : nullptr);
  RowHeight = T.RowHeight;
  if (AMasterList && AMasterList->PrintTableBackground) {
    BkColor = T.BkColor;
    BkGnd = T.BkGnd;
  }
  BkImage = T.BkImage;
  BreakBefore = T.BreakBefore;
  BreakAfter = T.BreakAfter;
  KeepIntact = T.KeepIntact;
  RowHt = T.RowHt;
  TallestCellHt = T.TallestCellHt;
}

TCellObj* TCellList::Add(std::unique_ptr<TCellObj> Cell)
{
  if (Cell) {
    if (RowHeight > 0)
      Cell->SpecHt = std::max(Cell->SpecHt, RowHeight);
    BreakBefore = BreakBefore || Cell->BreakBefore;
    BreakAfter = BreakAfter || Cell->BreakAfter;
    KeepIntact = KeepIntact || Cell->KeepIntact;
  }
  return TFreeList<TCellObj>::Add(std::move(Cell));
}

// ---- the table ----

ThtmlTable::ThtmlTable(TSectionList* AMasterList, TAttributeList* Attr, TProperties* Prop) : TSectionBase(AMasterList)
{
  if (Attr)
    for (const auto& a : *Attr) {
      switch (a->Which) {
      case BorderSy: BorderWidth = a->Value > 0; break;
      case CellPaddingSy:
        if (a->Value >= 0)
          CellPadding = std::min(a->Value, 50);
        break;
      case CellSpacingSy:
        if (a->Value >= 0)
          CellSpacing = std::min(a->Value, 40);
        break;
      case WidthSy:
        if (a->Name.find('%') != std::string::npos) {
          if (a->Value >= 1) {
            tblWidthAttr = std::min(a->Value, 100) * 10;
            WidthIsPercent = true;
          }
        } else if (a->Value > 0) {
          tblWidthAttr = std::min(a->Value, MaxLength);
        }
        break;
      case BorderColorSy: ParseColor(a->Name, false, BorderColor); break;
      case BorderColorLightSy: LightGiven = ParseColor(a->Name, false, BorderColorLight); break;
      case BorderColorDarkSy: DarkGiven = ParseColor(a->Name, false, BorderColorDark); break;
      default: break;
      }
    }
  if (BorderWidth)
    CellSpacing = std::max(1, CellSpacing + 2);
  if (BorderColor != NoColor) {
    if (!LightGiven)
      BorderColorLight = BorderColor;
    if (!DarkGiven)
      BorderColorDark = BorderColor;
  }
  if (!LightGiven && BorderColor == NoColor)
    BorderColorLight = clBtnHighlight;
  if (!DarkGiven && BorderColor == NoColor)
    BorderColorDark = clBtnShadow;
  (void)Prop;
}

ThtmlTable::ThtmlTable(TSectionList* AMasterList, const ThtmlTable& T) : TSectionBase(AMasterList, T)
{
  for (const auto& r : T.Rows)
    Rows.Add(std::make_unique<TCellList>(AMasterList, *r));
  if (T.Caption)
    Caption = std::make_unique<TCellObj>(AMasterList, *T.Caption);
  TopCaption = T.TopCaption;
  BorderWidth = T.BorderWidth;
  Initialized = T.Initialized;
  NumCols = T.NumCols;
  TableWidth = T.TableWidth;
  CaptionWidth = T.CaptionWidth;
  tblWidthAttr = T.tblWidthAttr;
  WidthIsPercent = T.WidthIsPercent;
  tblHeight = T.tblHeight;
  HasPixelWidthCells = T.HasPixelWidthCells;
  CaptionHeight = T.CaptionHeight;
  CellPadding = T.CellPadding;
  CellSpacing = T.CellSpacing;
  Widths = T.Widths;
  Percents = T.Percents;
  MinWidths = T.MinWidths;
  MaxWidths = T.MaxWidths;
  BorderColorLight = T.BorderColorLight;
  BorderColorDark = T.BorderColorDark;
  BorderColor = T.BorderColor;
  LightGiven = T.LightGiven;
  DarkGiven = T.DarkGiven;
  if (AMasterList && AMasterList->PrintTableBackground) {
    BkColor = T.BkColor;
    BkGnd = T.BkGnd;
  }
  Len = T.Len;
  StartCurs = T.StartCurs;
}

ThtmlTable::~ThtmlTable() = default;

std::unique_ptr<TSectionBase> ThtmlTable::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<ThtmlTable>(AMasterList, *this);
}

void ThtmlTable::AddColumn(int32_t AWidth, bool AsPercent, int32_t ASpan, const std::string& AAlign,
                           AlignmentType AVAlign)
{
  if (!ColInfo)
    ColInfo = std::make_unique<TFreeList<TColObj>>();
  ASpan = std::max(1, ASpan);
  for (int32_t i = 0; i < ASpan && ColInfo->Count() <= MaxCols; ++i) {
    auto c = std::make_unique<TColObj>();
    c->ColWidth = AsPercent ? std::clamp(AWidth, 0, 1000) : std::clamp(AWidth, 0, MaxLength);
    c->AsPercent = AsPercent;
    c->ColAlign = AAlign;
    c->ColVAlign = AVAlign;
    ColInfo->Add(std::move(c));
  }
}

void ThtmlTable::Initialize()
{
  if (Initialized)
    return;
  TSectionList* doc = ParentSectionList;
  const int32_t nRows = Rows.Count();
  int64_t grid = 0;
  for (const auto& row : Rows) {
    for (int i = 0; i < row->Count(); ++i) {
      TCellObj* c = row->Items(i);
      if (!c || c->IsPlaceholder())
        continue;
      if (row->BkGnd && !c->BkGnd) {
        c->BkColor = row->BkColor;
        c->BkGnd = true;
      }
      c->Initialize(CellPadding, BorderWidth);
      if (c->SpecWd > 0 && !c->WidthIsPercent)
        HasPixelWidthCells = true;
      if (BkGnd && !c->BkGnd) {
        c->BkColor = BkColor;
        c->BkGnd = true;
      }
      if (c->BGImage == nullptr && !row->BkImage.empty() && doc)
        c->BGImage = std::make_unique<TImageObj>(doc, row->BkImage);
      // A row of more real cells than a table may have is refused; a single wide span only
      // reaches as far as the last column a table may have.
      if (row->Count() > MaxCols)
        throw ETableError("Table has too many Columns");
      c->ColSpan = std::min(c->ColSpan, MaxCols - row->Count() + 1);
      for (int32_t k = 1; k < c->ColSpan; ++k)
        row->Insert(i + k, TCellObj::Placeholder(ParentSectionList, c->RowSpan));
    }
    grid += row->Count();
  }
  int32_t widest = 0;
  for (const auto& row : Rows)
    widest = std::max(widest, row->Count());
  for (int32_t col = 0; col < widest; ++col)
    for (int32_t r = 0; r < nRows; ++r) {
      TCellList* row = Rows[r];
      if (col >= row->Count())
        continue;
      TCellObj* c = row->Items(col);
      if (!c || c->RowSpan <= 1)
        continue;
      c->RowSpan = std::min(c->RowSpan, nRows - r);
      for (int32_t k = 1; k < c->RowSpan; ++k) {
        TCellList* below = Rows[r + k];
        const int64_t added = std::max(0, col - below->Count()) + 1;
        if (grid + added > MaxGridCells) {
          c->RowSpan = k;   // the span stops where the grid would grow too large
          break;
        }
        while (below->Count() < col)
          below->TFreeList<TCellObj>::Add(TCellObj::Placeholder(ParentSectionList, 1));
        below->Insert(col, TCellObj::Placeholder(ParentSectionList, 1));
        grid += added;
      }
    }
  NumCols = 0;
  for (const auto& row : Rows)
    NumCols = std::max(NumCols, row->Count());
  for (std::vector<int32_t>* a : {&Widths, &Percents, &MinWidths, &MaxWidths})
    a->assign(static_cast<size_t>(NumCols) + 1, 0);
  if (NumCols > MaxCols)
    throw ETableError("Table has too many Columns");
  if (ColInfo)
    for (int32_t col = 0; col < std::min(NumCols, ColInfo->Count()); ++col) {
      const TColObj* ci = ColInfo->Items(col);
      if (ci->ColWidth <= 0)
        continue;
      for (const auto& row : Rows)
        if (col < row->Count())
          if (TCellObj* c = row->Items(col); c && !c->IsPlaceholder()) {
            c->SpecWd = ci->ColWidth;
            c->WidthIsPercent = ci->AsPercent;
            if (!ci->AsPercent)
              HasPixelWidthCells = true;
          }
    }
  if (Caption)
    Caption->Initialize(0, false);
  Initialized = true;
}

std::vector<TCellObj*> ThtmlTable::CellsInOrder() const
{
  std::vector<TCellObj*> v;
  if (Caption && TopCaption)
    v.push_back(Caption.get());
  for (const auto& row : Rows)
    for (const auto& c : *row)
      if (c && !c->IsPlaceholder() && c->Cell)
        v.push_back(c.get());
  if (Caption && !TopCaption)
    v.push_back(Caption.get());
  return v;
}

void ThtmlTable::GetMinMax(TCanvas& Canvas, bool Plain, int32_t TotalWidth, int32_t& MinTotal, int32_t& MaxTotal)
{
  std::fill(MinWidths.begin(), MinWidths.end(), 0);
  std::fill(MaxWidths.begin(), MaxWidths.end(), 0);
  std::fill(Percents.begin(), Percents.end(), 0);
  struct TCellMM {
    TCellObj* Cell;
    int32_t Col, Span, Min, Max, Pct;
  };
  std::vector<TCellMM> cells;
  for (const auto& row : Rows)
    for (int32_t col = 0; col < row->Count(); ++col) {
      TCellObj* c = row->Items(col);
      if (!c || c->IsPlaceholder() || !c->Cell)
        continue;
      int32_t mn = 0, mx = 0;
      c->Cell->MinMaxWidth(Canvas, mn, mx);
      const int32_t extra = CellSpacing + c->HzSpace;
      TCellMM m{c,
                col,
                std::clamp(c->ColSpan, 1, std::max(1, NumCols - col)),
                ClipY(int64_t{mn} + extra),
                ClipY(int64_t{mx} + extra),
                0};
      if (c->WidthIsPercent)
        m.Pct = c->SpecWd;
      else if (c->SpecWd > 0 && TotalWidth > 0)
        m.Pct = std::clamp(MulDiv(c->SpecWd, 1000, TotalWidth), 0, 1000);
      cells.push_back(m);
    }

  // Narrow cells first: spanning cells then see what their columns have already.
  const auto bySpan = [](const TCellMM& a, const TCellMM& b) { return a.Span < b.Span; };
  if (!std::is_sorted(cells.begin(), cells.end(), bySpan))
    std::stable_sort(cells.begin(), cells.end(), bySpan);
  for (TCellMM& m : cells) {
    const int32_t span = m.Span;
    const int32_t first = m.Col, last = m.Col + span;
    if (Plain) {
      if (span == 1) {
        if (m.Cell->SpecWd > 0 && !m.Cell->WidthIsPercent)
          m.Max = std::max(m.Min, ClipY(int64_t{m.Cell->SpecWd} + CellSpacing + m.Cell->HzSpace));
        MinWidths[first] = std::max(MinWidths[first], m.Min);
        MaxWidths[first] = std::max(MaxWidths[first], m.Max);
        continue;
      }
      // A spanning cell's surplus goes to its columns in proportion to what they have.
      auto spread = [&](std::vector<int32_t>& W, int32_t Need) {
        int64_t sum = 0;
        for (int32_t i = first; i < last; ++i)
          sum += W[i];
        if (sum >= Need)
          return;
        const int32_t diff = static_cast<int32_t>(Need - sum);
        if (sum == 0) {
          W[first] += diff;
          return;
        }
        for (int32_t i = first; i < last; ++i)
          W[i] += MulDiv0(diff, W[i], static_cast<int32_t>(sum));
      };
      spread(MinWidths, m.Min);
      spread(MaxWidths, m.Max);
      continue;
    }
    if (span == 1) {
      MinWidths[first] = std::max(MinWidths[first], m.Min);
      MaxWidths[first] = std::max(MaxWidths[first], m.Max);
      Percents[first] = std::max(Percents[first], m.Pct);
      continue;
    }
    int64_t minSum = 0, maxSum = 0, pctSum = 0;
    int32_t k = 0;
    bool noPct[MaxCols + 1] = {};
    for (int32_t i = first; i < last; ++i) {
      minSum += MinWidths[i];
      maxSum += MaxWidths[i];
      pctSum += Percents[i];
      if (Percents[i] == 0) {
        ++k;
        noPct[i] = true;
      }
    }
    if (m.Pct == 0 && pctSum == 0) {
      auto scale = [&](std::vector<int32_t>& W, int64_t Sum, int32_t Need) {
        if (Need <= Sum)
          return;
        for (int32_t i = first; i < last; ++i)
          W[i] = Sum == 0 ? Need / span : MulDiv0(Need, W[i], static_cast<int32_t>(Sum));
      };
      scale(MinWidths, minSum, m.Min);
      scale(MaxWidths, maxSum, m.Max);
      continue;
    }
    const int32_t sumP = static_cast<int32_t>(std::min<int64_t>(pctSum, INT32_MAX));
    if (k == 0 && sumP < m.Pct) {
      for (int32_t i = first; i < last; ++i)
        Percents[i] = MulDiv0(Percents[i], m.Pct, sumP);
    } else if (k > 0) {
      for (int32_t i = first; i < last; ++i)
        if (noPct[i])
          Percents[i] = std::max(0, (m.Pct - sumP) / k);
    }
    const int32_t d = std::max(sumP, m.Pct);
    if (m.Min > minSum) {
      const int32_t excess = static_cast<int32_t>(m.Min - minSum);
      for (int32_t i = first; i < last; ++i)
        MinWidths[i] += k == 0       ? MulDiv0(excess, Percents[i], d)
                        : maxSum > 0 ? MulDiv0(excess, MaxWidths[i], static_cast<int32_t>(maxSum))
                                     : excess / span;
    }
    if (m.Max > maxSum) {
      const int32_t excess = static_cast<int32_t>(m.Max - maxSum);
      for (int32_t i = first; i < last; ++i)
        if (k == 0)
          MaxWidths[i] += MulDiv0(excess, Percents[i], d);
        else if (noPct[i])
          MaxWidths[i] += excess / k;
    }
  }
  int64_t mn = 0, mx = 0;
  for (int32_t i = 0; i < NumCols; ++i) {
    MaxWidths[i] = std::max(MaxWidths[i], MinWidths[i]);
    mn += MinWidths[i];
    mx += MaxWidths[i];
  }
  MinTotal = ClipY(mn);
  MaxTotal = ClipY(mx);
}

void ThtmlTable::MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max)
{
  Initialize();
  // The table's box and the cell around it both ask; the answer holds for the whole pass.
  TSectionList* doc = ParentSectionList;
  const bool pass = doc && doc->InLayoutPass;
  if (pass && FMinMaxCycle == doc->CycleNumber && FMinMaxCanvas == &Canvas) {
    Min = FMinCache;
    Max = FMaxCache;
    return;
  }
  const bool specifiedPixels = tblWidthAttr > 0 && !WidthIsPercent;
  int32_t mn = 0, mx = 0;
  GetMinMax(Canvas, HasPixelWidthCells && tblWidthAttr == 0, specifiedPixels ? tblWidthAttr : 0, mn, mx);
  Min = ClipY(int64_t{mn} + CellSpacing);
  Max = ClipY(int64_t{mx} + CellSpacing);
  if (specifiedPixels) {
    Min = std::max(Min, tblWidthAttr);
    Max = std::max(Min, tblWidthAttr);
  }
  if (Caption && Caption->Cell) {
    int32_t cmn = 0, cmx = 0;
    Caption->Cell->MinMaxWidth(Canvas, cmn, cmx);
    Min = std::max(Min, cmn);
    Max = std::max(Max, cmx);
  }
  Max = std::max(Min, Max);
  if (pass) {
    FMinMaxCycle = doc->CycleNumber;
    FMinMaxCanvas = &Canvas;
    FMinCache = Min;
    FMaxCache = Max;
  }
}

void ThtmlTable::Interpolate(int32_t W, int32_t MinTotal, int32_t MaxTotal)
{
  if (W >= MaxTotal) {
    for (int32_t i = 0; i < NumCols; ++i)
      Widths[i] = MaxWidths[i];
    return;
  }
  if (W <= MinTotal) {
    for (int32_t i = 0; i < NumCols; ++i)
      Widths[i] = MinWidths[i];
    return;
  }
  for (int32_t i = 0; i < NumCols; ++i)
    if (MaxTotal > MinTotal)
      Widths[i] = MinWidths[i] + MulDiv0(MaxWidths[i] - MinWidths[i], W - MinTotal, MaxTotal - MinTotal);
    else if (MinTotal > 0)
      Widths[i] = MinWidths[i] + MulDiv0(MinWidths[i], W - MinTotal, MinTotal);
    else
      Widths[i] = W / NumCols;
  // Rounding leftovers go to the first column.
  int64_t sum = 0;
  for (int32_t i = 0; i < NumCols; ++i)
    sum += Widths[i];
  if (NumCols > 0)
    Widths[0] += static_cast<int32_t>(W - sum);
}

void ThtmlTable::WidthsFromPercents(int32_t W)
{
  bool fixedCol[MaxCols + 1] = {};
  int32_t others = 0;
  int64_t room = 0;
  for (int32_t i = 0; i < NumCols; ++i) {
    if (Percents[i] <= 0) {
      Widths[i] = MinWidths[i];
      ++others;
      room += MaxWidths[i] - MinWidths[i];
    } else {
      const int32_t w = MulDiv0(W, Percents[i], 1000);
      if (w > MinWidths[i]) {
        Widths[i] = w;
      } else {
        Widths[i] = MinWidths[i];
        fixedCol[i] = true;
      }
    }
  }
  auto total = [&]() {
    int64_t s = 0;
    for (int32_t i = 0; i < NumCols; ++i)
      s += Widths[i];
    return s;
  };
  int64_t e = total() - W;
  if (e < 0) {
    const int32_t short_ = static_cast<int32_t>(std::min<int64_t>(-e, INT32_MAX));
    if (others == 0) {
      int64_t pctSum = 0;
      for (int32_t i = 0; i < NumCols; ++i)
        if (!fixedCol[i])
          pctSum += Percents[i];
      for (int32_t i = 0; i < NumCols; ++i)
        if (!fixedCol[i])
          Widths[i] += MulDiv0(short_, Percents[i], static_cast<int32_t>(pctSum));
    } else if (room > 0 && short_ / 4 <= room) {
      for (int32_t i = 0; i < NumCols; ++i)
        if (Percents[i] <= 0)
          Widths[i] +=
              MulDiv0(short_, MaxWidths[i] - MinWidths[i], static_cast<int32_t>(std::min<int64_t>(room, INT32_MAX)));
    } else {
      for (int32_t i = 0; i < NumCols; ++i)
        if (Percents[i] <= 0)
          Widths[i] += short_ / others;
    }
  } else if (e > 0) {
    int64_t pctSum = 0;
    for (int32_t i = 0; i < NumCols; ++i)
      if (Percents[i] > 0 && !fixedCol[i])
        pctSum += Percents[i];
    int32_t excess = static_cast<int32_t>(std::min<int64_t>(e, INT32_MAX));
    for (int round = 0; round < 4 && pctSum > 0; ++round) {
      bool changed = false;
      for (int32_t i = 0; i < NumCols; ++i) {
        if (Percents[i] <= 0 || fixedCol[i])
          continue;
        const int32_t share = MulDiv0(excess, Percents[i], static_cast<int32_t>(pctSum));
        if (Widths[i] - share < MinWidths[i]) {
          excess -= Widths[i] - MinWidths[i];
          pctSum -= Percents[i];
          Widths[i] = MinWidths[i];
          fixedCol[i] = true;
          changed = true;
        }
      }
      if (!changed)
        break;
    }
    if (pctSum > 0 && excess > 0)
      for (int32_t i = 0; i < NumCols; ++i)
        if (Percents[i] > 0 && !fixedCol[i])
          Widths[i] -= MulDiv0(excess, Percents[i], static_cast<int32_t>(pctSum));
  }
  const int64_t diff = W - total();
  if (NumCols == 0 || diff == 0)
    return;
  if (diff > 0) {
    Widths[0] += static_cast<int32_t>(diff);
    return;
  }
  for (int32_t i = 0; i < NumCols; ++i)
    if (!fixedCol[i]) {
      Widths[i] += static_cast<int32_t>(diff);
      return;
    }
}

int32_t ThtmlTable::ColLeft(int32_t Col) const
{
  int64_t x = 0;
  for (int32_t i = 0; i < std::min(Col, NumCols); ++i)
    x += Widths[i];
  return ClipY(x);
}

void ThtmlTable::ChooseColumnWidths(TCanvas& Canvas, int32_t W)
{
  const bool specified = tblWidthAttr > 0;
  std::fill(Widths.begin(), Widths.end(), 0);
  int32_t minTotal = 0, maxTotal = 0;
  if (HasPixelWidthCells && !specified) {
    GetMinMax(Canvas, true, 0, minTotal, maxTotal);
    Interpolate(W, minTotal, maxTotal);
  } else {
    GetMinMax(Canvas, false, W, minTotal, maxTotal);
    if (W <= minTotal) {
      for (int32_t i = 0; i < NumCols; ++i)
        Widths[i] = MinWidths[i];
    } else if (specified) {
      WidthsFromPercents(W);
    } else {
      int64_t p = 0;
      for (int32_t i = 0; i < NumCols; ++i)
        p += Percents[i];
      if (p >= 1 && p <= 1000)
        WidthsFromColumnPercents(W, static_cast<int32_t>(p));
      else
        Interpolate(W, minTotal, maxTotal);
    }
  }
  int64_t tw = CellSpacing;
  for (int32_t i = 0; i < NumCols; ++i) {
    Widths[i] = std::max(0, Widths[i]);
    tw += Widths[i];
  }
  TableWidth = ClipY(tw);
  CaptionWidth = TableWidth;
}

void ThtmlTable::WidthsFromColumnPercents(int32_t W, int32_t P)
{
  int32_t n1 = 0;
  int64_t r = 0;
  for (int32_t i = 0; i < NumCols; ++i)
    if (Percents[i] > 0)
      n1 = std::max(n1, MulDiv0(MaxWidths[i], 1000, Percents[i]));
    else
      r += MaxWidths[i];
  const int32_t R = ClipY(r);
  const int32_t n2 = P < 1000 ? MulDiv0(R, 1000, 1000 - P) : (R < 1 ? 0 : 30000);
  const int32_t t = std::max(n1, n2);
  if (t <= W) {
    // The natural width fits: percent columns take their share of it.
    const int32_t rest = MulDiv0(t, 1000 - P, 1000);
    for (int32_t i = 0; i < NumCols; ++i)
      Widths[i] = Percents[i] > 0 ? MulDiv0(t, Percents[i], 1000) : (R < 1 ? 0 : MulDiv0(MaxWidths[i], rest, R));
    return;
  }
  // Percent columns that cannot have their share at W lose their percent; the
  // others are scaled down until they fit beside the rest's minimums. Every round
  // drops a column or lowers every percent, so this ends.
  for (int round = 0; round < 2000; ++round) {
    int64_t othersMin = 0, pctWidths = 0;
    bool any = false;
    int32_t w[MaxCols + 1] = {};
    for (int32_t i = 0; i < NumCols; ++i)
      if (Percents[i] > 0) {
        w[i] = MulDiv0(W, Percents[i], 1000);
        if (w[i] < MinWidths[i]) {
          Percents[i] = 0;
          othersMin += MinWidths[i];
        }
      } else {
        othersMin += MinWidths[i];
      }
    for (int32_t i = 0; i < NumCols; ++i)
      if (Percents[i] > 0) {
        any = true;
        pctWidths += w[i];
      }
    if (!any)
      break;
    if (pctWidths + othersMin > W) {
      const int32_t l = ClipY(W - othersMin);
      for (int32_t i = 0; i < NumCols; ++i)
        if (Percents[i] > 0)
          Percents[i] = std::min(Percents[i] - 1, MulDiv0(Percents[i], l, ClipY(pctWidths)));
      continue;
    }
    for (int32_t i = 0; i < NumCols; ++i)
      if (Percents[i] > 0)
        MinWidths[i] = MaxWidths[i] = w[i];
    break;
  }
  int64_t mn = 0, mx = 0;
  for (int32_t i = 0; i < NumCols; ++i) {
    MaxWidths[i] = std::max(MaxWidths[i], MinWidths[i]);
    mn += MinWidths[i];
    mx += MaxWidths[i];
  }
  Interpolate(W, ClipY(mn), ClipY(mx));
}

int32_t ThtmlTable::CellWidth(int32_t Col, const TCellObj& C) const
{
  int64_t w = 0;
  for (int32_t i = Col; i < std::min(NumCols, Col + std::max(1, C.ColSpan)); ++i)
    w += Widths[i];
  return ClipY(w);
}

int32_t ThtmlTable::LayCell(TCanvas& Canvas, TCellObj& C, int32_t CY, int32_t W, int32_t AHeight, int32_t& ACurs)
{
  // Within a pass, a cell laid out again at the same place, width and document position
  // comes out the same: such layouts are skipped.
  TSectionList* doc = ParentSectionList;
  const bool pass = doc && doc->InLayoutPass;
  if (pass && C.LaidCycle == doc->CycleNumber && C.LaidY == CY && C.LaidWidth == W && C.LaidCurs == ACurs
      && C.LaidAHeight == AHeight) {
    ACurs = ClipY(int64_t{ACurs} + C.Cell->Len);
    return C.LaidHeight;
  }
  const int32_t curs0 = ACurs;
  int32_t widest = 0;
  const int32_t h = C.Cell->Layout(Canvas, 0, CY, W, AHeight, ACurs, widest);
  if (pass) {
    C.LaidCycle = doc->CycleNumber;
    C.LaidY = CY;
    C.LaidWidth = W;
    C.LaidCurs = curs0;
    C.LaidAHeight = AHeight;
    C.LaidHeight = h;
  }
  return h;
}

std::vector<int64_t> ThtmlTable::MeasureRowHeights(TCanvas& Canvas, int32_t Y, int32_t AHeight, int32_t Curs)
{
  TSectionList* doc = ParentSectionList;
  const bool pass = doc && doc->InLayoutPass;
  const int32_t nRows = Rows.Count();
  std::vector<int64_t> heights(static_cast<size_t>(nRows), 0);
  // Heights: cells are measured span by span and row by row, spanning cells spreading
  // what their rows lack.
  struct TEntry {
    int32_t Span, Row, Col;
    TCellObj* C;
  };
  std::vector<TEntry> entries;
  for (int32_t r = 0; r < nRows; ++r)
    for (int32_t col = 0; col < Rows[r]->Count(); ++col)
      if (TCellObj* c = Rows[r]->Items(col); c && !c->IsPlaceholder() && c->Cell)
        entries.push_back(TEntry{std::clamp(c->RowSpan, 1, nRows - r), r, col, c});
  const auto bySpanAndRow = [](const TEntry& a, const TEntry& b) {
    return a.Span != b.Span ? a.Span < b.Span : a.Row < b.Row;
  };
  if (!std::is_sorted(entries.begin(), entries.end(), bySpanAndRow))
    std::stable_sort(entries.begin(), entries.end(), bySpanAndRow);

  // Cells spanning one row are measured where they will stand when their row's height is
  // settled by them alone (top of the row, the document positions in order), so that
  // placing them afterwards can take the measurement as it is.
  const int64_t rowsTop = int64_t{Y} + (TopCaption ? CaptionHeight : 0);
  int32_t measureCurs = ClipY(int64_t{Curs} + (Caption && Caption->Cell && TopCaption ? Caption->Cell->Len : 0));
  int64_t above = 0;   // heights of the rows above the row being measured
  int32_t aboveRow = 0;
  for (size_t e = 0; e < entries.size();) {
    const int32_t span = entries[e].Span, r = entries[e].Row;
    int64_t candidate = 0;
    for (; aboveRow < r; ++aboveRow)
      above += heights[static_cast<size_t>(aboveRow)];
    for (; e < entries.size() && entries[e].Span == span && entries[e].Row == r; ++e) {
      TCellObj* c = entries[e].C;
      c->Wd = CellWidth(entries[e].Col, *c);
      const int32_t w = std::max(0, c->Wd - c->HzSpace - CellSpacing);
      // A cell's height for a width does not change within a pass; a nested table is laid
      // out twice by each table around it, and measuring again would double the work per level.
      if (pass && c->MeasuredCycle == doc->CycleNumber && c->MeasuredWidth == w && c->MeasuredAHeight == AHeight) {
        c->VSize = c->MeasuredHeight;
        if (span == 1)
          measureCurs = ClipY(int64_t{measureCurs} + c->Cell->Len);
      } else {
        if (span == 1) {
          c->VSize = LayCell(Canvas, *c, ClipY(rowsTop + above + CellSpacing + c->PadTop() + c->BrdTop()), w, AHeight,
                             measureCurs);
        } else {
          int32_t scratch = Curs;
          c->VSize = LayCell(Canvas, *c, Y, w, AHeight, scratch);
        }
        if (pass) {
          c->MeasuredCycle = doc->CycleNumber;
          c->MeasuredWidth = w;
          c->MeasuredAHeight = AHeight;
          c->MeasuredHeight = c->VSize;
        }
      }
      const int64_t h = std::max<int64_t>(int64_t{c->VSize} + c->VrSpace, c->SpecHt);
      candidate = std::max(candidate, h + CellSpacing);
    }
    if (span == 1) {
      heights[static_cast<size_t>(r)] = std::max(heights[static_cast<size_t>(r)], candidate);
      continue;
    }
    int64_t sum = 0;
    for (int32_t k = r; k < r + span; ++k)
      sum += heights[static_cast<size_t>(k)];
    if (sum < candidate) {
      const int64_t more = candidate - sum;
      for (int32_t k = r; k < r + span; ++k)
        heights[static_cast<size_t>(k)] += more / span;
      heights[static_cast<size_t>(r + span - 1)] += more % span;
    }
  }
  return heights;
}

int64_t ThtmlTable::StretchToTableHeight(std::vector<int64_t>& Heights) const
{
  const int32_t nRows = static_cast<int32_t>(Heights.size());
  int64_t rowsTotal = 0;
  for (int64_t h : Heights)
    rowsTotal += h;
  if (nRows > 0 && rowsTotal < int64_t{tblHeight} - CellSpacing) {
    const int64_t more = tblHeight - rowsTotal - CellSpacing;
    for (int32_t r = 0; r < nRows - 1; ++r)
      Heights[static_cast<size_t>(r)] += more / nRows;
    Heights[static_cast<size_t>(nRows - 1)] += more - (more / nRows) * (nRows - 1);
    rowsTotal = int64_t{tblHeight} - CellSpacing;
  }
  return rowsTotal;
}

int64_t ThtmlTable::PlaceRows(TCanvas& Canvas, const std::vector<int64_t>& Heights, int32_t AHeight, int32_t& Curs)
{
  TSectionList* doc = ParentSectionList;
  const int32_t nRows = Rows.Count();
  FRowTops.assign(static_cast<size_t>(nRows), 0);
  int64_t rowY = FRowsTop;
  for (int32_t r = 0; r < nRows; ++r) {
    TCellList* row = Rows[r];
    FRowTops[static_cast<size_t>(r)] = ClipY(rowY);
    row->RowHt = ClipY(Heights[static_cast<size_t>(r)]);
    row->TallestCellHt = 0;
    for (int32_t col = 0; col < row->Count(); ++col) {
      TCellObj* c = row->Items(col);
      if (!c || c->IsPlaceholder() || !c->Cell)
        continue;
      int64_t ht = 0;
      for (int32_t k = r; k < std::min(nRows, r + std::max(1, c->RowSpan)); ++k)
        ht += Heights[static_cast<size_t>(k)];
      c->Ht = ClipY(ht);
      row->TallestCellHt = std::max(row->TallestCellHt, c->Ht);
      const int32_t avail = c->Ht - CellSpacing - c->VrSpace;
      switch (c->MyVAlign) {
      case ATop: c->YIndent = 0; break;
      case AMiddle: c->YIndent = std::max(0, (avail - c->VSize) / 2); break;
      default: c->YIndent = std::max(0, avail - c->VSize); break;
      }
      c->Wd = CellWidth(col, *c);
      const int32_t w = std::max(0, c->Wd - c->HzSpace - CellSpacing);
      LayCell(Canvas, *c, ClipY(rowY + CellSpacing + c->PadTop() + c->BrdTop() + c->YIndent), w, AHeight, Curs);
      if (c->BGImage) {
        c->BGImage->DrawLogic(doc, Canvas, nullptr, 0);
        if (c->BGImage->IsErrorImage())
          c->BGImage.reset();
      }
    }
    rowY += Heights[static_cast<size_t>(r)];
  }
  return rowY;
}

int32_t ThtmlTable::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                           int32_t& MaxWidth, int32_t& Curs)
{
  Initialize();
  YDraw = ContentTop = DrawTop = Y;
  StartCurs = Curs;
  // The table's box has settled a given width already; the table fills what it is given.
  ChooseColumnWidths(Canvas, std::max(0, AWidth - CellSpacing));

  // The caption first: a top caption decides where the rows start.
  CaptionHeight = 0;
  if (Caption && Caption->Cell) {
    int32_t cmn = 0, cmx = 0;
    Caption->Cell->MinMaxWidth(Canvas, cmn, cmx);
    CaptionWidth = std::max(TableWidth, cmn);
    int32_t scratch = Curs;
    CaptionHeight = LayCell(Canvas, *Caption, Y, CaptionWidth, AHeight, scratch);
  }
  std::vector<int64_t> heights = MeasureRowHeights(Canvas, Y, AHeight, Curs);
  const int64_t rowsTotal = StretchToTableHeight(heights);

  // Final places, in document order.
  if (Caption && Caption->Cell && TopCaption)
    LayCell(Canvas, *Caption, Y, CaptionWidth, AHeight, Curs);
  FRowsTop = ClipY(int64_t{Y} + (TopCaption ? CaptionHeight : 0));
  const int64_t rowY = PlaceRows(Canvas, heights, AHeight, Curs);
  if (Caption && Caption->Cell && !TopCaption)
    LayCell(Canvas, *Caption, ClipY(rowY + CellSpacing), CaptionWidth, AHeight, Curs);
  Len = Curs - StartCurs;
  SectionHeight = ClipY(int64_t{CaptionHeight} + rowsTotal + CellSpacing);
  DrawHeight = SectionHeight;
  ContentBot = DrawBot = ClipY(int64_t{Y} + SectionHeight);
  MaxWidth = std::max(TableWidth, CaptionWidth);
  return SectionHeight;
}

void ThtmlTable::DrawCell(TCanvas& Canvas, const TRect& ARect, TCellObj& C, int32_t X, int32_t YTop, int32_t Col,
                          int32_t Row)
{
  TSectionList* doc = ParentSectionList;
  const int32_t yOff = doc->YOff;
  const int32_t left = X + ColLeft(Col) + CellSpacing;
  const int32_t top = YTop + CellSpacing - yOff;
  const TRect box{left, top, left + std::max(0, C.Wd - CellSpacing), top + std::max(0, C.Ht - CellSpacing)};
  if (box.Right <= ARect.Left || box.Left >= ARect.Right || box.Bottom <= ARect.Top || box.Top >= ARect.Bottom)
    return;
  const TRect inner{box.Left + C.Border[3], box.Top + C.Border[0], box.Right - C.Border[1], box.Bottom - C.Border[2]};
  if (C.BkGnd && (!doc->Printing || doc->PrintTableBackground)) {
    const TRect r{std::max(inner.Left, ARect.Left), std::max(inner.Top, ARect.Top), std::min(inner.Right, ARect.Right),
                  std::min(inner.Bottom, ARect.Bottom)};
    if (r.Left < r.Right && r.Top < r.Bottom)
      Canvas.FillRect(r, C.BkColor | PalRelative);
  }
  if (C.BGImage && (!doc->Printing || doc->PrintTableBackground))
    DrawTiledBackground(doc, Canvas, *C.BGImage, C.BGPosition, inner, ARect);
  // The sides the cell's style gives stand in place of the frame a bordered table draws,
  // which still shows on the other sides.
  if (BorderWidth && C.StyleSides != 0xF) {
    const TBorderLook look{doc->Background, doc->Printing, doc->PrintMonoBlack};
    if (!LightGiven && !DarkGiven && BorderColor == NoColor)
      RaisedRect(look, Canvas, box.Left, box.Top, box.Right, box.Bottom, false);
    else
      RaisedRectColor(look, Canvas, box.Left, box.Top, box.Right, box.Bottom, BorderColorLight, BorderColorDark, false);
  }
  if (C.StyleSides) {
    std::array<int32_t, 4> widths{};
    for (size_t k = 0; k < 4; ++k)
      widths[k] = C.StyleSides & (1u << k) ? C.Border[k] : 0;
    DrawBoxBorders(Canvas, box, widths, C.StyleBorderColor);
  }
  C.Cell->Draw(Canvas, ARect, box.Right - box.Left, left + C.PadLeft() + C.BrdLeft(), 0, 0);
}

int32_t ThtmlTable::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
                         int32_t YRef)
{
  const int32_t result = YDraw + SectionHeight;
  TSectionList* doc = ParentSectionList;
  if (!doc)
    return result;
  const int32_t yOff = doc->YOff;
  DrawX = X;
  DrawY = YDraw;
  if (ContentBot - yOff <= ARect.Top || YDraw - yOff >= ARect.Bottom)
    return result;
  const int32_t pageHeight = ARect.Bottom - ARect.Top;
  // A table that starts where the printed page ends belongs to the next page whole.
  if (doc->Printing && YDraw >= doc->PageBottom)
    return result;
  if (doc->Printing) {
    if (YDraw < doc->PageBottom && YDraw - doc->PageTop > pageHeight * 2 / 3 && ContentBot > doc->PageBottom
        && SectionHeight < pageHeight) {
      doc->PageBottom = YDraw;
      return result;
    }
  }
  if (Caption && Caption->Cell && TopCaption)
    Caption->Cell->Draw(Canvas, ARect, CaptionWidth, X, 0, 0);

  const int32_t nRows = Rows.Count();
  const int32_t rowsBottom =
      nRows > 0 ? ClipY(int64_t{FRowTops.back()} + Rows[nRows - 1]->RowHt + CellSpacing) : FRowsTop + CellSpacing;
  TRegion spacing;
  const bool fillSpacing = BorderColor != NoColor && (!doc->Printing || doc->PrintTableBackground);
  if (fillSpacing) {
    const TRect all{std::max(X, ARect.Left), std::max(FRowsTop - yOff, ARect.Top),
                    std::min(X + TableWidth, ARect.Right), std::min(rowsBottom - yOff, ARect.Bottom)};
    if (all.Left < all.Right && all.Top < all.Bottom)
      spacing = TRegion(all);
  }
  for (int32_t r = 0; r < nRows && r < static_cast<int32_t>(FRowTops.size()); ++r) {
    TCellList* row = Rows[r];
    const int32_t rowTop = FRowTops[static_cast<size_t>(r)];
    if (doc->Printing) {
      const int32_t rowBot = ClipY(int64_t{rowTop} + row->RowHt);
      bool breakHere = false;
      if (row->BreakBefore && rowTop > doc->PageTop)
        breakHere = true;
      else if (row->KeepIntact && rowTop > doc->PageTop && rowBot > doc->PageBottom && row->RowHt < pageHeight)
        breakHere = true;
      else if (r > 0 && rowTop - doc->PageTop > pageHeight * 2 / 3
               && ClipY(int64_t{rowTop} + row->TallestCellHt) > doc->PageBottom && row->TallestCellHt < pageHeight)
        breakHere = true;
      if (breakHere) {
        const int32_t bottom = rowTop + CellSpacing / 2;
        if (bottom < doc->PageBottom && bottom > doc->PageTop) {
          doc->PageBottom = bottom;
          doc->PageBreak = true;
          break;
        }
      }
      if (rowTop >= doc->PageBottom)
        break;
    }
    for (int32_t col = 0; col < row->Count(); ++col) {
      TCellObj* c = row->Items(col);
      if (!c || c->IsPlaceholder() || !c->Cell)
        continue;
      DrawCell(Canvas, ARect, *c, X, rowTop, col, r);
      if (fillSpacing && !spacing.IsEmpty()) {
        const int32_t left = X + ColLeft(col) + CellSpacing;
        const int32_t top = rowTop + CellSpacing - yOff;
        spacing.Subtract(
            TRegion(TRect{left, top, left + std::max(0, c->Wd - CellSpacing), top + std::max(0, c->Ht - CellSpacing)}));
      }
    }
    if (doc->Printing && row->BreakAfter) {
      const int32_t bottom = ClipY(int64_t{rowTop} + row->RowHt + CellSpacing / 2);
      if (bottom > doc->PageTop && bottom < doc->PageBottom) {
        doc->PageBottom = bottom;
        doc->PageBreak = true;
      }
    }
  }
  if (fillSpacing && !spacing.IsEmpty())
    Canvas.FillRegion(spacing, BorderColor | PalRelative);
  if (BorderWidth) {
    const TBorderLook look{doc->Background, doc->Printing, doc->PrintMonoBlack};
    const int32_t top = FRowsTop - yOff, bottom = rowsBottom - yOff;
    if (!LightGiven && !DarkGiven && BorderColor == NoColor)
      RaisedRect(look, Canvas, X, top, X + TableWidth, bottom, true);
    else
      RaisedRectColor(look, Canvas, X, top, X + TableWidth, bottom, BorderColorLight, BorderColorDark, true);
  }
  if (Caption && Caption->Cell && !TopCaption)
    Caption->Cell->Draw(Canvas, ARect, CaptionWidth, X, 0, 0);
  return result;
}

namespace {

// The cell of a table under a point (window X, document Y), the caption included.
TCellObj* CellAtPoint(const ThtmlTable& T, const std::vector<int32_t>& RowTops, int32_t RowsTop, int32_t X, int32_t Y)
{
  if (Y < T.ContentTop || Y >= T.ContentBot)
    return nullptr;
  if (T.Caption && T.Caption->Cell) {
    const bool inBand = T.TopCaption ? Y < RowsTop : Y >= T.ContentBot - T.CaptionHeight;
    if (inBand)
      return X >= T.DrawX && X < T.DrawX + T.CaptionWidth ? T.Caption.get() : nullptr;
  }
  if (X < T.DrawX || X >= T.DrawX + T.TableWidth)
    return nullptr;
  for (int32_t r = 0; r < T.Rows.Count() && r < static_cast<int32_t>(RowTops.size()); ++r) {
    const TCellList* row = T.Rows[r];
    int32_t left = T.DrawX;
    for (int32_t col = 0; col < row->Count() && col < T.NumCols; ++col) {
      const TCellObj* c = row->Items(col);
      const int32_t colW = T.Widths[col];
      if (c && !c->IsPlaceholder() && c->Cell) {
        const int32_t top = RowTops[static_cast<size_t>(r)];
        if (X >= left && X < left + c->Wd && Y >= top && Y < top + c->Ht)
          return const_cast<TCellObj*>(c);
      }
      left += colW;
    }
  }
  return nullptr;
}

}   // namespace

uint32_t ThtmlTable::LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info)
{
  TCellObj* c = CellAtPoint(*this, FRowTops, FRowsTop, X, Y);
  return c ? c->Cell->LinkAt(Canvas, X, Y, Info) : 0;
}

TFloatingObj* ThtmlTable::ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY)
{
  TCellObj* c = CellAtPoint(*this, FRowTops, FRowsTop, X, Y);
  return c ? c->Cell->ObjectAt(X, Y, IX, IY) : nullptr;
}

int32_t ThtmlTable::CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info)
{
  TCellObj* c = CellAtPoint(*this, FRowTops, FRowsTop, X, Y);
  return c ? c->Cell->CursorAt(Canvas, X, Y, Info) : -1;
}

int32_t ThtmlTable::FindString(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  for (TCellObj* c : CellsInOrder())
    if (int32_t r = c->Cell->FindString(From, ToFind, MatchCase); r >= 0)
      return r;
  return -1;
}

int32_t ThtmlTable::FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  const std::vector<TCellObj*> cells = CellsInOrder();
  for (auto it = cells.rbegin(); it != cells.rend(); ++it)
    if (int32_t r = (*it)->Cell->FindStringBackward(From, ToFind, MatchCase); r >= 0)
      return r;
  return -1;
}

int32_t ThtmlTable::SourcePosOf(int32_t Pos) const
{
  for (TCellObj* c : CellsInOrder())
    if (int32_t r = c->Cell->SourcePosOf(Pos); r >= 0)
      return r;
  return -1;
}

int32_t ThtmlTable::DocPosOf(int32_t SourcePos, bool Backward) const
{
  std::vector<TCellObj*> cells = CellsInOrder();
  if (Backward)
    std::reverse(cells.begin(), cells.end());
  for (TCellObj* c : cells)
    if (int32_t r = c->Cell->DocPosOf(SourcePos, Backward); r >= 0)
      return r;
  return -1;
}

bool ThtmlTable::CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y)
{
  for (TCellObj* c : CellsInOrder())
    if (c->Cell->CursorToXY(Canvas, Cursor, X, Y))
      return true;
  return false;
}

bool ThtmlTable::CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj)
{
  for (TCellObj* c : CellsInOrder())
    if (c->Cell->CharAt(Pos, Ch, Obj))
      return true;
  return false;
}

void ThtmlTable::CopyToClipboard()
{
  for (TCellObj* c : CellsInOrder())
    c->Cell->CopyToClipboard();
}

void ThtmlTable::AddToPositionList(std::vector<TSectionBase*>& List) { List.push_back(this); }
