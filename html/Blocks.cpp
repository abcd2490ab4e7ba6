// Blocks: the box model of block elements (margin collapsing, widths and auto margins,
// floats, clearing, positioning, stacking), their backgrounds and borders, page breaks
// when printing, list items with their markers, the body, and the boxes of tables and rules.
#include <algorithm>
#include <cstdlib>

#include "html/SmallSections.h"
#include "html/Document.h"

namespace {

// Document Y kept where the layout arithmetic cannot overflow.
int32_t ClipY(int64_t V) { return static_cast<int32_t>(std::clamp<int64_t>(V, -MaxDocY, MaxDocY)); }

int32_t NoAuto(int32_t V) { return V == Auto ? 0 : V; }

// A z-index from a page, kept so that ten times it stays in range.
int32_t Level(int32_t Z) { return std::clamp(Z, -1000000, 1000000) * 10; }

// The tag of the cell's owner: "default" for the document, the block's tag inside a block,
// nothing for a table cell.
std::string CellTag(const TCellBasic* Cell)
{
  if (!Cell)
    return std::string();
  if (const auto* b = dynamic_cast<const TBlockCell*>(Cell))
    return b->OwnerBlock ? b->OwnerBlock->Tag() : std::string();
  if (dynamic_cast<const TSectionList*>(Cell))
    return "default";
  return std::string();
}

bool IntersectsRect(const TRect& A, const TRect& B)
{
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

TRect Intersection(const TRect& A, const TRect& B)
{
  return TRect{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
               std::min(A.Bottom, B.Bottom)};
}

// A tiled background is drawn tile by tile where it can be seen; a page that tiles a
// one-pixel picture over a huge box gets no more tiles than this.
constexpr int64_t MaxTiles = 40000;

}   // namespace

// ---- TBlock ----

TBlock::TBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, TAttributeList* Attributes)
    : TBlock(AMasterList, Prop, AnOwnerCell, Attributes, true)
{}

TBlock::TBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, TAttributeList* Attributes,
               bool ACollapse)
    : TSectionBase(AMasterList), OwnerCell(AnOwnerCell)
{
  MyCell = std::make_unique<TBlockCell>(AMasterList);
  MyCell->OwnerBlock = this;
  BoxProps = TBoxProps(Prop);
  EmSize = std::max(1, std::abs(Prop.GetFont()->Height()));
  ExSize = std::max(1, EmSize / 2);
  TBoxValues b;
  BoxProps.GetBoxValues(0, 0, EmSize, ExSize, b);
  BGColor = b.BackgroundColor;
  BorderColor = b.BorderColor;
  TopAuto = b.TopAuto;
  BottomAuto = b.BottomAuto;
  FontColor = Prop.GetFontColor();
  HasBorderStyle = Prop.HasBorderStyle();
  AlignmentType f = ANone;
  if (Prop.GetFloat(f) && (f == ALeft || f == ARight))
    FloatLR = f;
  ClearAttrType c;
  if (Prop.GetClear(c))
    ClearAttr = c;
  Positioning = Prop.GetPosition();
  if (Positioning == posAbsolute)
    FloatLR = ANone;
  Visibility = !Prop.IsHidden();
  DisplayNone = Prop.DisplayNone();
  BreakBefore = Prop.GetPageBreakBefore();
  BreakAfter = Prop.GetPageBreakAfter();
  KeepIntact = Prop.GetPageBreakAvoid();
  TagClass = Prop.PropTag + "." + Prop.PropClass;
  Title = Prop.PropTitle;
  const std::string tag = Tag();
  IsListBlock = tag == "ol" || tag == "ul" || tag == "dir" || tag == "menu";
  if (Positioning != posStatic)
    ZIndex = Level(Prop.GetZIndex());
  if ((Positioning == posAbsolute || FloatLR != ANone) && ZIndex == 0)
    ZIndex = 1;
  std::string url;
  if (Prop.GetBackgroundImage(url) && !url.empty()) {
    BGImage = std::make_unique<TImageObj>(AMasterList, url);
    Prop.GetBackgroundPos(EmSize, ExSize, BGPosition);
  }
  if (Attributes && AMasterList && AMasterList->IDNameList) {
    std::string id = Attributes->TheID();
    if (!id.empty())
      AMasterList->IDNameList->AddObject(id, this);
  }
  if (ACollapse)
    CollapseMargins();
}

TBlock::TBlock(TSectionList* AMasterList, const TBlock& T) : TSectionBase(AMasterList, T)
{
  MyCell = std::make_unique<TBlockCell>(AMasterList, *T.MyCell);
  MyCell->OwnerBlock = this;
  for (const auto& s : *MyCell)
    if (auto* b = dynamic_cast<TBlock*>(s.get()))
      b->OwnerCell = MyCell.get();
  BoxProps = T.BoxProps;
  BGColor = T.BGColor;
  BorderColor = T.BorderColor;
  FontColor = T.FontColor;
  MargArray = T.MargArray;
  EmSize = T.EmSize;
  ExSize = T.ExSize;
  BGPosition = T.BGPosition;
  HasBorderStyle = T.HasBorderStyle;
  FloatLR = T.FloatLR;
  ClearAttr = T.ClearAttr;
  TopAuto = T.TopAuto;
  BottomAuto = T.BottomAuto;
  Positioning = T.Positioning;
  Visibility = T.Visibility;
  DisplayNone = T.DisplayNone;
  BreakBefore = T.BreakBefore;
  BreakAfter = T.BreakAfter;
  KeepIntact = T.KeepIntact;
  TagClass = T.TagClass;
  Title = T.Title;
  IsListBlock = T.IsListBlock;
  if (T.BGImage && AMasterList && AMasterList->PrintTableBackground)
    BGImage = std::make_unique<TImageObj>(AMasterList, *T.BGImage);
}

TBlock::~TBlock() = default;

std::unique_ptr<TSectionBase> TBlock::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TBlock>(AMasterList, *this);
}

std::string TBlock::Tag() const { return TagClass.substr(0, TagClass.find('.')); }

void TBlock::ConvertBox(int32_t BaseWidth, int32_t BaseHeight, int32_t& AutoCount)
{
  TBoxValues b;
  BoxProps.GetBoxValues(std::max(BaseWidth, 0), std::max(BaseHeight, 0), EmSize, ExSize, b);
  for (size_t i = 0; i < MargArray.size(); ++i)
    MargArray[i] = b.V[i] == Auto ? Auto : std::clamp(b.V[i], -MaxLength, MaxLength);
  // Sizes are never negative; margins and offsets may be.
  for (int i : {bxPaddingTop, bxPaddingRight, bxPaddingBottom, bxPaddingLeft, bxBorderTop, bxBorderRight,
                bxBorderBottom, bxBorderLeft})
    MargArray[static_cast<size_t>(i)] = std::max(0, NoAuto(MargArray[static_cast<size_t>(i)]));
  if (!HasBorderStyle)
    for (int i : {bxBorderTop, bxBorderRight, bxBorderBottom, bxBorderLeft})
      MargArray[static_cast<size_t>(i)] = 0;
  for (int i : {bxMarginTop, bxMarginBottom})
    MargArray[static_cast<size_t>(i)] = NoAuto(MargArray[static_cast<size_t>(i)]);
  AutoCount = 0;
  for (int i : {bxWidth, bxMarginLeft, bxMarginRight})
    if (MargArray[static_cast<size_t>(i)] == Auto)
      ++AutoCount;
}

int32_t TBlock::HorzExtras() const
{
  return NoAuto(MargArray[bxMarginLeft]) + NoAuto(MargArray[bxMarginRight]) + MargArray[bxBorderLeft]
         + MargArray[bxBorderRight] + MargArray[bxPaddingLeft] + MargArray[bxPaddingRight];
}

void TBlock::CollapseMargins()
{
  TBoxValues mine;
  BoxProps.GetBoxValues(0, 0, EmSize, ExSize, mine);
  auto setTop = [this](int32_t V) {
    BoxProps.Set(MarginTop, TPropValue(V));
    TopAuto = false;
  };
  if (Positioning == posAbsolute) {
    if (mine.TopAuto)
      setTop(0);
    return;
  }
  if (FloatLR != ANone || !OwnerCell)
    return;
  TSectionBase* last = nullptr;
  for (int i = OwnerCell->Count() - 1; i >= 0; --i) {
    TSectionBase* s = OwnerCell->Items(i);
    if (auto* b = dynamic_cast<TBlock*>(s); b && b->Positioning == posAbsolute)
      continue;
    last = s;
    break;
  }
  const std::string parentTag = CellTag(OwnerCell);
  if (!last) {
    if (mine.TopAuto && parentTag != "default" && parentTag != "body")
      setTop(0);
    return;
  }
  if (auto* tb = dynamic_cast<TTableBlock*>(last); tb && tb->FloatLR != ANone) {
    if (mine.TopAuto)
      setTop(0);
    return;
  }
  if (auto* b = dynamic_cast<TBlock*>(last)) {
    TBoxValues theirs;
    b->BoxProps.GetBoxValues(0, 0, b->EmSize, b->ExSize, theirs);
    const int32_t B = theirs.V[bxMarginBottom];
    const int32_t T = mine.V[bxMarginTop];
    b->BoxProps.Set(MarginBottom, TPropValue(int32_t{0}));
    b->BottomAuto = false;
    int32_t r;
    if (T >= 0 && B >= 0)
      r = std::max(T, B);
    else if (T < 0 && B < 0)
      r = std::min(T, B);
    else
      r = T + B;
    setTop(r);
    return;
  }
  const std::string tag = Tag();
  if (parentTag == "li" && mine.TopAuto && (tag == "ul" || tag == "ol"))
    setTop(0);
}

bool TBlock::ClearAutoBottomMargin()
{
  if (!BottomAuto)
    return false;
  BoxProps.Set(MarginBottom, TPropValue(int32_t{0}));
  BottomAuto = false;
  return true;
}

void TBlock::SetAutoBottomMargin()
{
  BoxProps.Set(MarginBottom, TPropValue(Auto));
  BottomAuto = true;
}

int32_t TBlock::FindWidth(TCanvas& Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount)
{
  int32_t mn = 0, mx = 0;
  MyCell->MinMaxWidth(Canvas, mn, mx);
  const int32_t bp =
      MargArray[bxBorderLeft] + MargArray[bxBorderRight] + MargArray[bxPaddingLeft] + MargArray[bxPaddingRight];
  int32_t& ml = MargArray[bxMarginLeft];
  int32_t& mr = MargArray[bxMarginRight];
  int32_t w = MargArray[bxWidth];
  // The room left for the content once margins, borders and paddings are taken.
  auto rest = [&]() { return AWidth - NoAuto(ml) - NoAuto(mr) - bp; };
  switch (AutoCount) {
  case 0: w = std::max(w, mn); break;
  case 1:
    if (w != Auto) {
      w = std::max(w, mn);
      if (ml == Auto)
        ml = std::max(0, AWidth - bp - mr - w);
      else
        mr = FloatLR != ANone ? 0 : std::max(0, AWidth - bp - ml - w);
    } else {
      w = std::max(mn, rest());
    }
    break;
  case 2:
    if (w != Auto) {
      w = std::max(w, mn);
      ml = mr = std::max(0, (AWidth - w - bp) / 2);
    } else {
      ml = NoAuto(ml);
      mr = NoAuto(mr);
      w = std::max(mn, rest());
    }
    break;
  default:
    ml = mr = 0;
    w = std::max(mn, rest());
    break;
  }
  ml = NoAuto(ml);
  mr = NoAuto(mr);
  // A float without a width of its own shrinks to its content, so text can flow beside it.
  if (FloatLR != ANone && MargArray[bxWidth] == Auto)
    w = std::max(mn, std::min(mx, rest()));
  MargArray[bxWidth] = w;
  return std::max(0, w);
}

void TBlock::MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max)
{
  Min = Max = 0;
  if (DisplayNone || Positioning == posAbsolute)
    return;
  const auto saved = MargArray;
  int32_t autoCount = 0;
  ConvertBox(0, 0, autoCount);
  MyCell->MinMaxWidth(Canvas, Min, Max);
  if (MargArray[bxWidth] != Auto && MargArray[bxWidth] > 0) {
    Min = std::max(Min, MargArray[bxWidth]);
    Max = Min;
  }
  Max = std::max(Min, Max);
  const int32_t extras = HorzExtras();
  Min = ClipY(static_cast<int64_t>(Min) + extras);
  Max = ClipY(static_cast<int64_t>(Max) + extras);
  MargArray = saved;
}

int32_t TBlock::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                       int32_t& MaxWidth, int32_t& Curs)
{
  YDraw = Y;
  StartCurs = Curs;
  MaxWidth = 0;
  if (DisplayNone) {
    SectionHeight = DrawHeight = 0;
    ContentTop = DrawTop = ContentBot = DrawBot = BoxTop = BoxBot = Y;
    Len = 0;
    return 0;
  }
  AWidth = std::max(AWidth, 0);
  ClearAddon = 0;
  if (ClearAttr != clrNone && Positioning != posAbsolute) {
    int32_t cl = 0, cr = 0;
    IMgr.GetClearY(cl, cr);
    const int32_t bottom = ClearAttr == clrLeft ? cl : ClearAttr == clrRight ? cr : std::max(cl, cr);
    ClearAddon = std::max(0, bottom - Y - 1);
  }
  int32_t autoCount = 0;
  ConvertBox(AWidth, AHeight, autoCount);

  // The origin the box is laid out from: absolute blocks from the cell's origin.
  int32_t xx = X;
  int32_t yy = Y;
  LeftP = TopP = 0;
  if (Positioning == posAbsolute) {
    const int32_t cellTop = OwnerCell ? OwnerCell->CellTop : Y;
    LeftP = NoAuto(MargArray[bxLeft]);
    TopP = MargArray[bxTop] == Auto ? Y - cellTop : MargArray[bxTop];
    xx = ClipY(static_cast<int64_t>(X) + LeftP);
    yy = ClipY(static_cast<int64_t>(cellTop) + TopP);
  } else if (Positioning == posRelative) {
    LeftP = NoAuto(MargArray[bxLeft]);
    TopP = NoAuto(MargArray[bxTop]);
  }

  NewWidth = FindWidth(Canvas, AWidth, AHeight, autoCount);
  const int32_t ml = MargArray[bxMarginLeft], mr = MargArray[bxMarginRight];
  const int32_t mt = MargArray[bxMarginTop], mb = MargArray[bxMarginBottom];
  const int32_t bl = MargArray[bxBorderLeft], br = MargArray[bxBorderRight];
  const int32_t bt = MargArray[bxBorderTop], bb = MargArray[bxBorderBottom];
  const int32_t pl = MargArray[bxPaddingLeft], pr = MargArray[bxPaddingRight];
  const int32_t pt = MargArray[bxPaddingTop], pb = MargArray[bxPaddingBottom];
  const int32_t boxY = ClipY(static_cast<int64_t>(yy) + ClearAddon);   // top of the margin box

  // Where the content starts, from the left side of the cell as it stands at this Y.
  if (FloatLR == ALeft)
    Indent = std::max(xx, IMgr.LeftSide(boxY)) + ml + bl + pl - xx;
  else if (FloatLR == ARight)
    Indent = std::min(IMgr.RightSide(boxY), xx + AWidth) - mr - br - pr - NewWidth - xx;
  else
    Indent = ml + bl + pl;
  if (IsListBlock) {
    const int32_t least = IMgr.LeftSide(boxY) + 35;
    if (xx + Indent < least) {
      const int32_t d = least - (xx + Indent);
      Indent += d;
      NewWidth = std::max(0, NewWidth - d);
    }
  }
  const int32_t shiftY = Positioning == posRelative ? TopP : 0;
  BoxTop = ClipY(static_cast<int64_t>(boxY) + mt + shiftY);
  ContentTop = ClipY(static_cast<int64_t>(BoxTop) + bt + pt);
  DrawTop = ClipY(static_cast<int64_t>(boxY) + std::min(mt, 0) + shiftY);
  const int32_t contentX = xx + Indent + (Positioning == posRelative ? LeftP : 0);

  // The cell works inside this block's edges; floats of the document still count.
  const TBlock* savedID = IMgr.CurrentID;
  IMgr.CurrentID = this;
  IndentRec* lr = IMgr.AddLeft(contentX - IMgr.BaseX, ContentTop);
  IndentRec* rr = IMgr.AddRight(contentX + NewWidth - IMgr.BaseX, ContentTop);
  MyCell->IMgr = &IMgr;
  int32_t widest = 0;
  const int32_t h = MyCell->Layout(Canvas, contentX, ContentTop, NewWidth, AHeight, Curs, widest);
  Len = Curs - StartCurs;
  MaxWidth = ClipY(static_cast<int64_t>(widest) + HorzExtras());
  IMgr.Remove(lr);
  IMgr.Remove(rr);
  IMgr.CurrentID = savedID;

  int32_t contentBot = ClipY(static_cast<int64_t>(ContentTop) + h);
  if (MargArray[bxHeight] != Auto && MargArray[bxHeight] > 0)
    contentBot = std::max(contentBot, ClipY(static_cast<int64_t>(ContentTop) + MargArray[bxHeight]));
  ContentBot = contentBot;
  BoxBot = ClipY(static_cast<int64_t>(contentBot) + pb + bb);
  const int32_t floatsBot = MyCell->Count() > 0 ? std::max(contentBot, MyCell->tcDrawBot) : contentBot;
  const int32_t drawBot = ClipY(static_cast<int64_t>(floatsBot) + pb + bb);
  // The flow ignores a relative shift.
  const int32_t flowBot = ClipY(static_cast<int64_t>(BoxBot) - shiftY + mb);
  const int32_t boxHeight = std::max(0, flowBot - boxY);

  if (BGImage) {
    BGImage->DrawLogic(ParentSectionList, Canvas, nullptr, 0);
    if (BGImage->IsErrorImage())
      BGImage.reset();
  }
  Indent = contentX - X;
  BoxLeft = Indent - pl - bl;

  if (FloatLR != ANone) {
    // Text after a float flows beside it as beside a floating image.
    const int32_t boxWidth = ml + bl + pl + NewWidth + pr + br + mr;
    const int32_t left = contentX - pl - bl - ml;
    IndentRec* r =
        FloatLR == ALeft ? IMgr.AddLeft(left + boxWidth - IMgr.BaseX, boxY) : IMgr.AddRight(left - IMgr.BaseX, boxY);
    r->ID = nullptr;
    r->YB = ClipY(static_cast<int64_t>(boxY) + boxHeight);
    SectionHeight = 0;
    DrawBot = std::max(r->YB, drawBot);
  } else if (Positioning == posAbsolute) {
    SectionHeight = 0;
    DrawBot = std::max(drawBot, ClipY(static_cast<int64_t>(BoxBot) + mb));
  } else {
    SectionHeight = std::max(0, flowBot - Y);
    DrawBot = std::max(drawBot, ClipY(static_cast<int64_t>(Y) + SectionHeight));
  }
  DrawTop = std::min(DrawTop, DrawBot);
  DrawHeight = DrawBot - DrawTop;
  if (DrawList.empty())
    BuildDrawList();
  return SectionHeight;
}

void TBlock::BuildDrawList()
{
  DrawList.clear();
  for (const auto& s : *MyCell)
    DrawList.push_back(s.get());
  std::stable_sort(DrawList.begin(), DrawList.end(),
                   [](const TSectionBase* a, const TSectionBase* b) { return a->ZIndex < b->ZIndex; });
}

int32_t TBlock::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef)
{
  const int32_t result = YDraw + SectionHeight;
  TSectionList* doc = ParentSectionList;
  if (DisplayNone || !doc)
    return result;
  if (doc->Printing && Positioning != posAbsolute) {
    const int32_t pageTop = doc->PageTop;
    const int32_t pageHeight = ARect.Bottom - ARect.Top;
    // A break only where the page has moved on, so every page ends below its top.
    if (BreakBefore && BoxTop > pageTop && BoxTop < doc->PageBottom) {
      doc->PageBottom = BoxTop;
      return result;
    }
    if (KeepIntact && BoxTop > pageTop && BoxTop < doc->PageBottom && BoxBot > doc->PageBottom
        && BoxBot - BoxTop < pageHeight) {
      doc->PageBottom = BoxTop;
      return result;
    }
    if (BreakAfter && BoxBot > pageTop && BoxBot < doc->PageBottom)
      doc->PageBottom = BoxBot;
  }
  if (!Visibility)
    return result;
  const int32_t pageBottom = doc->PageBottom;
  DrawBlock(Canvas, ARect, IMgr, X);
  // Nothing inside the box fitted on this page (its first line, or a table moved whole): the
  // box's top border and padding go to the next page with it, so they neither stand alone at
  // this page's foot nor show twice.
  if (doc->Printing && Positioning != posAbsolute && doc->PageBottom < pageBottom && doc->PageBottom > BoxTop
      && BoxTop > doc->PageTop && doc->PageBottom <= BoxTop + MargArray[bxBorderTop] + MargArray[bxPaddingTop])
    doc->PageBottom = BoxTop;
  return result;
}

void TBlock::DrawBlock(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X)
{
  TSectionList* doc = ParentSectionList;
  const int32_t yOff = doc->YOff;
  const int32_t left = X + BoxLeft;
  const int32_t width = MargArray[bxBorderLeft] + MargArray[bxPaddingLeft] + NewWidth + MargArray[bxPaddingRight]
                        + MargArray[bxBorderRight];
  MyRect = TRect{left, BoxTop, left + width, BoxBot};
  const TRect box{left, BoxTop - yOff, left + width, BoxBot - yOff};
  if (IntersectsRect(box, ARect)) {
    const TRect pad{box.Left + MargArray[bxBorderLeft], box.Top + MargArray[bxBorderTop],
                    box.Right - MargArray[bxBorderRight], box.Bottom - MargArray[bxBorderBottom]};
    if (BGColor != NoColor && (!doc->Printing || doc->PrintTableBackground)) {
      TRect r = Intersection(pad, ARect);
      if (r.Left < r.Right && r.Top < r.Bottom)
        Canvas.FillRect(r, BGColor | PalRelative);
    }
    if (BGImage)
      DrawTiledBackground(doc, Canvas, *BGImage, BGPosition, pad, ARect);
    if (HasBorderStyle)
      DrawBorders(Canvas, box);
  }
  const int32_t cellX = X + Indent;
  if (DrawList.empty())
    for (const auto& s : *MyCell)
      s->Draw(Canvas, ARect, IMgr, cellX, cellX, 0);
  else
    for (TSectionBase* s : DrawList)
      s->Draw(Canvas, ARect, IMgr, cellX, cellX, 0);
}

void TBlock::DrawBorders(TCanvas& Canvas, const TRect& B)
{
  DrawBoxBorders(Canvas, B,
                 {MargArray[bxBorderTop], MargArray[bxBorderRight], MargArray[bxBorderBottom], MargArray[bxBorderLeft]},
                 BorderColor != NoColor ? BorderColor : FontColor);
}

void DrawBoxBorders(TCanvas& Canvas, const TRect& B, const std::array<int32_t, 4>& Widths, TColor Color)
{
  const TColor c = Color | PalRelative;
  const TRect sides[4] = {
      {B.Left, B.Top, B.Right, B.Top + Widths[0]},
      {B.Right - Widths[1], B.Top, B.Right, B.Bottom},
      {B.Left, B.Bottom - Widths[2], B.Right, B.Bottom},
      {B.Left, B.Top, B.Left + Widths[3], B.Bottom},
  };
  const TRect clip = Intersection(B, Canvas.ClipRect());
  for (const TRect& s : sides) {
    TRect r = Intersection(s, clip);
    if (r.Left < r.Right && r.Top < r.Bottom)
      Canvas.FillRect(r, c);
  }
}

void DrawTiledBackground(TSectionList* Doc, TCanvas& Canvas, TImageObj& Image, const PtPositionRec& Pos,
                         const TRect& PB, const TRect& ARect)
{
  const TBitmap* pic = Image.Bitmap();
  const TBitmap* mask = Image.Mask();
  if (TGIFImage* gif = Image.GIF()) {
    pic = gif->GetBitmap();
    mask = gif->GetMaskImage();
  }
  if (Image.IsDefImage())
    return;
  DrawTiledBackground(Doc, Canvas, pic, mask, Pos, PB, ARect);
}

void DrawTiledBackground(TSectionList* Doc, TCanvas& Canvas, const TBitmap* pic, const TBitmap* mask,
                         const PtPositionRec& Pos, const TRect& PB, const TRect& ARect)
{
  if (!Doc || !pic)
    return;
  int32_t w = pic->Width(), h = pic->Height();
  const int32_t W = PB.Right - PB.Left, H = PB.Bottom - PB.Top;
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0)
    return;
  auto start = [](const PositionRec& P, int32_t Size, int32_t Tile) {
    int64_t s;
    switch (P.PosType) {
    case bpCenter: s = Size / 2 - Tile / 2; break;
    case bpBottom:
    case bpRight: s = Size - Tile; break;
    case bpPercent: s = static_cast<int64_t>(Size - Tile) * std::clamp(P.Value, -1000, 1000) / 100; break;
    case bpDim: s = P.Value; break;
    default: s = 0; break;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(s, -Tile, Size));
  };
  int32_t x0 = start(Pos[0], W, w);
  int32_t y0 = start(Pos[1], H, h);
  const TRect vis = Intersection(PB, ARect);
  if (vis.Left >= vis.Right || vis.Top >= vis.Bottom)
    return;
  auto tileCount = [&]() {
    const int64_t nx = Pos[0].RepeatD ? (vis.Right - vis.Left) / w + 2 : 1;
    const int64_t ny = Pos[1].RepeatD ? (vis.Bottom - vis.Top) / h + 2 : 1;
    return nx * ny;
  };
  // A tiny picture tiled over a large area is first repeated into a bigger tile.
  std::unique_ptr<TBitmap> bigPic, bigMask;
  if (tileCount() > MaxTiles) {
    const int32_t kx = Pos[0].RepeatD ? 64 / w + 1 : 1;
    const int32_t ky = Pos[1].RepeatD ? 64 / h + 1 : 1;
    if (static_cast<int64_t>(kx) * w <= 512 && static_cast<int64_t>(ky) * h <= 512) {
      bigPic = std::make_unique<TBitmap>(kx * w, ky * h);
      if (mask)
        bigMask = std::make_unique<TBitmap>(kx * w, ky * h);
      for (int32_t y = 0; y < ky * h; ++y)
        for (int32_t x = 0; x < kx * w; ++x) {
          bigPic->SetPixel(x, y, pic->GetPixel(x % w, y % h));
          if (mask)
            bigMask->SetPixel(x, y, mask->GetPixel(x % w, y % h));
        }
      pic = bigPic.get();
      mask = bigMask.get();
      w *= kx;
      h *= ky;
    }
    if (tileCount() > MaxTiles)
      return;
  }
  // Tiles run from the start to the edges; only those that can be seen are drawn.
  int32_t xEnd = x0 + w, yEnd = y0 + h;
  if (Pos[0].RepeatD) {
    const int32_t firstVis = vis.Left - PB.Left;
    x0 = x0 - ((x0 - firstVis) / w + (x0 > firstVis ? 1 : 0)) * w;
    xEnd = std::min(W, vis.Right - PB.Left);
  }
  if (Pos[1].RepeatD) {
    const int32_t firstVis = vis.Top - PB.Top;
    y0 = y0 - ((y0 - firstVis) / h + (y0 > firstVis ? 1 : 0)) * h;
    yEnd = std::min(H, vis.Bottom - PB.Top);
  }
  const int saved = Canvas.SaveDC();
  Canvas.IntersectClipRect(vis.Left, vis.Top, vis.Right, vis.Bottom);
  for (int32_t y = y0; y < yEnd; y += h)
    for (int32_t x = x0; x < xEnd; x += w) {
      const int32_t dx = PB.Left + x, dy = PB.Top + y;
      if (dx + w <= vis.Left || dx >= vis.Right || dy + h <= vis.Top || dy >= vis.Bottom)
        continue;
      if (Doc->Printing) {
        if (mask)
          PrintTransparentBitmap(Canvas, dx, dy, w, h, *pic, *mask);
        else
          DrawBitmap(Canvas, dx, dy, w, h, *pic);
      } else if (mask) {
        Canvas.DrawMasked(TRect{dx, dy, dx + w, dy + h}, *pic, *mask);
      } else {
        Canvas.Draw(dx, dy, *pic);
      }
    }
  Canvas.RestoreDC(saved);
}

uint32_t TBlock::LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info)
{
  if (DisplayNone)
    return 0;
  uint32_t result = 0;
  if (!Title.empty() && X >= MyRect.Left && X < MyRect.Right && Y >= MyRect.Top && Y < MyRect.Bottom) {
    Info.Title = Title;
    result = guTitle;
  }
  return result | MyCell->LinkAt(Canvas, X, Y, Info);
}

TFloatingObj* TBlock::ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY)
{
  if (DisplayNone)
    return nullptr;
  for (auto it = DrawList.rbegin(); it != DrawList.rend(); ++it)
    if (Y >= (*it)->DrawTop && Y < (*it)->DrawBot)
      if (TFloatingObj* o = (*it)->ObjectAt(X, Y, IX, IY))
        return o;
  return nullptr;
}

int32_t TBlock::CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info)
{
  if (DisplayNone)
    return -1;
  for (auto it = DrawList.rbegin(); it != DrawList.rend(); ++it)
    if (Y >= (*it)->DrawTop && Y < (*it)->DrawBot) {
      const int32_t r = (*it)->CursorAt(Canvas, X, Y, Info);
      if (r >= 0)
        return r;
    }
  return -1;
}

int32_t TBlock::FindString(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  return DisplayNone ? -1 : MyCell->FindString(From, ToFind, MatchCase);
}

int32_t TBlock::FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  return DisplayNone ? -1 : MyCell->FindStringBackward(From, ToFind, MatchCase);
}

int32_t TBlock::SourcePosOf(int32_t Pos) const { return DisplayNone ? -1 : MyCell->SourcePosOf(Pos); }

int32_t TBlock::DocPosOf(int32_t SourcePos, bool Backward) const
{
  return DisplayNone ? -1 : MyCell->DocPosOf(SourcePos, Backward);
}

bool TBlock::CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y)
{
  return !DisplayNone && MyCell->CursorToXY(Canvas, Cursor, X, Y);
}

bool TBlock::CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj)
{
  return !DisplayNone && MyCell->CharAt(Pos, Ch, Obj);
}

void TBlock::CopyToClipboard()
{
  if (DisplayNone)
    return;
  MyCell->CopyToClipboard();
  if (TagClass.rfind("p.", 0) == 0 && ParentSectionList && ParentSectionList->CB)
    ParentSectionList->CB->AddTextCR(u"", 0);
}

void TBlock::AddToPositionList(std::vector<TSectionBase*>& List) { MyCell->AddToPositionList(List); }

// ---- TTableBlock ----

TTableBlock::TTableBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell,
                         std::unique_ptr<ThtmlTable> ATable, TAttributeList* Attributes, JustifyType Enclosing)
    : TBlock(AMasterList, Prop, AnOwnerCell, Attributes, false)
{
  Table = ATable.get();
  bool alignGiven = false;
  if (Attributes)
    for (const auto& a : *Attributes) {
      switch (a->Which) {
      case WidthSy:
        if (a->Name.find('%') != std::string::npos) {
          WidthAttr = std::clamp(a->Value, 0, 100) * 10;
          AsPercent = WidthAttr > 0;
        } else {
          WidthAttr = std::clamp(a->Value, 0, MaxLength);
        }
        break;
      case HeightSy:
        if (a->Name.find('%') != std::string::npos) {
          HeightAttr = std::clamp(a->Value, 0, 100) * 10;
          HtAsPercent = HeightAttr > 0;
        } else {
          HeightAttr = std::clamp(a->Value, 0, MaxLength);
        }
        break;
      case BGColorSy: BkGnd = ParseColor(a->Name, false, BkColor); break;
      case HSpaceSy:
        HSpace = static_cast<int32_t>(std::min<int64_t>(40, std::llabs(static_cast<int64_t>(a->Value))));
        break;
      case VSpaceSy:
        VSpace = static_cast<int32_t>(std::min<int64_t>(200, std::llabs(static_cast<int64_t>(a->Value))));
        break;
      case AlignSy: {
        const std::string s = LowerCase(Trim(a->Name));
        alignGiven = true;
        if (s == "center" || s == "middle")
          Justify = 2;
        else if (s == "right") {
          Justify = 3;
          if (FloatLR == ANone && Positioning != posAbsolute)
            FloatLR = ARight;
        } else if (s == "left") {
          if (FloatLR == ANone && Positioning != posAbsolute)
            FloatLR = ALeft;
        }
        break;
      }
      default: break;
      }
    }
  if (!alignGiven && FloatLR == ANone && Positioning == posStatic)
    Justify = Enclosing == Centered ? 2 : Enclosing == Right ? 3 : 0;
  if (FloatLR != ANone && ZIndex == 0)
    ZIndex = 1;
  if (BGColor == NoColor && BkGnd)
    BGColor = BkColor;
  if (BGColor != NoColor && !BGImage) {
    Table->BkColor = BGColor;
    Table->BkGnd = true;
  }
  MyCell->Add(std::move(ATable));
  CollapseMargins();
}

TTableBlock::TTableBlock(TSectionList* AMasterList, const TTableBlock& T) : TBlock(AMasterList, T)
{
  Table = MyCell->Count() > 0 ? dynamic_cast<ThtmlTable*>(MyCell->Items(0)) : nullptr;
  WidthAttr = T.WidthAttr;
  AsPercent = T.AsPercent;
  HeightAttr = T.HeightAttr;
  HtAsPercent = T.HtAsPercent;
  BkColor = T.BkColor;
  BkGnd = T.BkGnd;
  HSpace = T.HSpace;
  VSpace = T.VSpace;
  Justify = T.Justify;
}

std::unique_ptr<TSectionBase> TTableBlock::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TTableBlock>(AMasterList, *this);
}

void TTableBlock::MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max)
{
  TBlock::MinMaxWidth(Canvas, Min, Max);
  if (FloatLR != ANone && !DisplayNone) {
    // Missing side margins of a floating table are its HSPACE.
    if (IsEmpty(BoxProps.Get(MarginLeft)))
      Min += HSpace, Max += HSpace;
    if (IsEmpty(BoxProps.Get(MarginRight)))
      Min += HSpace, Max += HSpace;
  }
}

int32_t TTableBlock::FindWidth(TCanvas& Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount)
{
  if (!Table)
    return TBlock::FindWidth(Canvas, AWidth, AHeight, AutoCount);
  auto given = [this](int Index) {
    const TPropValue& v = BoxProps.Get(Index);
    const int32_t* i = std::get_if<int32_t>(&v);
    return !IsEmpty(v) && !(i && *i == IntNull);
  };
  const bool marginsGiven = given(MarginLeft) || given(MarginRight);
  int32_t& ml = MargArray[bxMarginLeft];
  int32_t& mr = MargArray[bxMarginRight];
  ml = NoAuto(ml);
  mr = NoAuto(mr);
  if (FloatLR != ANone) {
    if (!given(MarginLeft))
      ml = HSpace;
    if (!given(MarginRight))
      mr = HSpace;
    if (!given(MarginTop))
      MargArray[bxMarginTop] = VSpace;
    if (!given(MarginBottom))
      MargArray[bxMarginBottom] = VSpace;
  }
  const int32_t bp =
      MargArray[bxBorderLeft] + MargArray[bxBorderRight] + MargArray[bxPaddingLeft] + MargArray[bxPaddingRight];
  const int32_t extras = ml + mr + bp;
  int32_t mn = 0, mx = 0;
  Table->MinMaxWidth(Canvas, mn, mx);
  int32_t w;
  if (MargArray[bxWidth] != Auto && MargArray[bxWidth] > 0)
    w = MargArray[bxWidth];
  else if (WidthAttr == 0)
    w = std::max(mn, std::min(AWidth - extras, mx));
  else
    w = std::max(AsPercent ? MulDiv(AWidth, WidthAttr, 1000) : WidthAttr, mn);
  w = std::max(w, 0);
  if (!marginsGiven && FloatLR == ANone) {
    const int32_t room = std::max(0, AWidth - w - bp);
    if (Justify == 2)
      ml = room / 2;
    else if (Justify == 3)
      ml = room;
  }
  if (!given(piHeight) && HeightAttr > 0)
    Table->tblHeight = HtAsPercent ? std::max(0, MulDiv(std::max(AHeight, 0), HeightAttr, 1000)) : HeightAttr;
  MargArray[bxWidth] = w;
  return w;
}

int32_t TTableBlock::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                            int32_t& MaxWidth, int32_t& Curs)
{
  if (FloatLR != ANone || Positioning == posAbsolute || DisplayNone)
    return TBlock::Layout(Canvas, X, Y, AWidth, AHeight, IMgr, MaxWidth, Curs);
  // A table beside a float takes the room left between the floats.
  const int32_t nx = std::max(X, IMgr.LeftSide(Y));
  const int32_t nw = std::max(0, std::min(X + AWidth, IMgr.RightSide(Y)) - nx);
  const int32_t h = TBlock::Layout(Canvas, nx, Y, nw, AHeight, IMgr, MaxWidth, Curs);
  Indent += nx - X;
  BoxLeft += nx - X;
  return h;
}

void TTableBlock::AddToPositionList(std::vector<TSectionBase*>& List)
{
  if (Table)
    List.push_back(Table);
}

// ---- THRBlock ----

THRBlock::THRBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell,
                   std::unique_ptr<THorzLine> ALine, TAttributeList* Attributes)
    : TBlock(AMasterList, Prop, AnOwnerCell, Attributes)
{
  Line = ALine.get();
  Align = Line->Align;
  MyCell->Add(std::move(ALine));
}

THRBlock::THRBlock(TSectionList* AMasterList, const THRBlock& T) : TBlock(AMasterList, T)
{
  Line = MyCell->Count() > 0 ? dynamic_cast<THorzLine*>(MyCell->Items(0)) : nullptr;
  Align = T.Align;
}

std::unique_ptr<TSectionBase> THRBlock::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<THRBlock>(AMasterList, *this);
}

int32_t THRBlock::FindWidth(TCanvas& Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount)
{
  int32_t& ml = MargArray[bxMarginLeft];
  int32_t& mr = MargArray[bxMarginRight];
  ml = NoAuto(ml);
  mr = NoAuto(mr);
  const int32_t extras = ml + mr + MargArray[bxBorderLeft] + MargArray[bxBorderRight] + MargArray[bxPaddingLeft]
                         + MargArray[bxPaddingRight];
  int32_t w =
      MargArray[bxWidth] == Auto ? std::max(15, AWidth - extras) : std::min(MargArray[bxWidth], AWidth - extras);
  w = std::max(w, 0);
  const int32_t room = std::max(0, AWidth - w - extras);
  if (Align == 2)
    ml += room / 2;
  else if (Align == 3)
    ml += room;
  if (Line && MargArray[bxHeight] != Auto && MargArray[bxHeight] > 0)
    Line->VSize = MargArray[bxHeight];
  MargArray[bxWidth] = w;
  return w;
}

// ---- TBlockLI ----

TBlockLI::TBlockLI(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, ListKind Kind,
                   int32_t AListNumb, char ListType, bool Plain, int32_t Level, TAttributeList* Attributes)
    : TBlock(AMasterList, Prop, AnOwnerCell, Attributes), ListKindOf(Kind), ListNumb(AListNumb)
{
  switch (Kind) {
  case lkOrdered:
    switch (ListType) {
    case 'A': ListStyleType = lbUpperAlpha; break;
    case 'I': ListStyleType = lbUpperRoman; break;
    case 'a': ListStyleType = lbLowerAlpha; break;
    case 'i': ListStyleType = lbLowerRoman; break;
    default: ListStyleType = lbDecimal; break;
    }
    break;
  case lkUnordered:
    if (Plain) {
      ListStyleType = lbNone;
    } else {
      static const ListBulletType byDepth[3] = {lbSquare, lbDisc, lbCircle};
      ListStyleType = byDepth[((Level % 3) + 3) % 3];
    }
    break;
  case lkDefinition: ListStyleType = lbNone; break;
  default: ListStyleType = lbDisc; break;
  }
  if (ListBulletType t = Prop.GetListStyleType(); t != lbBlank)
    ListStyleType = t;
  ListFont = std::make_unique<TMyFont>();
  ListFont->Assign(*Prop.GetFont());
  const std::string image = Prop.GetListStyleImage();
  if (!image.empty())
    Image = std::make_unique<TImageObj>(AMasterList, image);
}

TBlockLI::TBlockLI(TSectionList* AMasterList, const TBlockLI& T) : TBlock(AMasterList, T)
{
  ListKindOf = T.ListKindOf;
  ListNumb = T.ListNumb;
  ListStyleType = T.ListStyleType;
  ListFont = std::make_unique<TMyFont>();
  ListFont->Assign(*T.ListFont);
  if (T.Image)
    Image = std::make_unique<TImageObj>(AMasterList, *T.Image);
}

TBlockLI::~TBlockLI()
{
  if (ParentSectionList && ParentSectionList->FirstLineHtPtr == &FirstLineHt)
    ParentSectionList->FirstLineHtPtr = nullptr;
}

std::unique_ptr<TSectionBase> TBlockLI::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TBlockLI>(AMasterList, *this);
}

bool TBlockLI::ClearAutoBottomMargin() { return MyCell->CheckLastBottomMargin(); }

std::u16string TBlockLI::MarkerText(ListBulletType Style, int32_t Number)
{
  auto ascii = [](const std::string& S) { return std::u16string(S.begin(), S.end()); };
  auto roman = [](int32_t N, bool Upper) {
    static const char* const ones[] = {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};
    std::string s = std::string(N >= 20 ? "xx" : N >= 10 ? "x" : "") + ones[N % 10];
    return Upper ? UpperCase(s) : s;
  };
  std::string s;
  switch (Style) {
  case lbDecimal: s = IntToStr(Number); break;
  case lbLowerAlpha:
  case lbUpperAlpha:
    // Numbers below 1 have no letter; they show as numbers.
    s = Number < 1 ? IntToStr(Number)
                   : std::string(1, static_cast<char>((Style == lbLowerAlpha ? 'a' : 'A') + std::min(Number - 1, 25)));
    break;
  case lbLowerRoman:
  case lbUpperRoman: s = Number < 1 ? IntToStr(Number) : roman(std::min(Number, 20), Style == lbUpperRoman); break;
  default: return std::u16string();
  }
  return ascii(s + ".");
}

int32_t TBlockLI::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                         int32_t& MaxWidth, int32_t& Curs)
{
  if (Image) {
    Image->DrawLogic(ParentSectionList, Canvas, nullptr, 100);
    if (Image->IsErrorImage())
      Image.reset();
  }
  FirstLineHt = 0;
  if (!ParentSectionList)
    return TBlock::Layout(Canvas, X, Y, AWidth, AHeight, IMgr, MaxWidth, Curs);
  // The first line laid out inside reports its baseline here; the request is disarmed
  // again however the layout ends (a table may refuse itself).
  struct TArm {
    TSectionList* Doc;
    int32_t* Saved;
    ~TArm() { Doc->FirstLineHtPtr = Saved; }
  } arm{ParentSectionList, ParentSectionList->FirstLineHtPtr};
  ParentSectionList->FirstLineHtPtr = &FirstLineHt;
  return TBlock::Layout(Canvas, X, Y, AWidth, AHeight, IMgr, MaxWidth, Curs);
}

int32_t TBlockLI::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef)
{
  const int32_t result = TBlock::Draw(Canvas, ARect, IMgr, X, XRef, YRef);
  TSectionList* doc = ParentSectionList;
  if (!doc || DisplayNone || !Visibility || FirstLineHt == 0)
    return result;
  const int32_t base = FirstLineHt - doc->YOff;
  if (base < ARect.Top - 50 || base > ARect.Bottom + 50)
    return result;
  if (doc->Printing && (FirstLineHt < doc->PageTop || FirstLineHt >= doc->PageBottom))
    return result;
  const int32_t x = X + Indent;
  if (Image && !Image->IsDefImage()) {
    Image->Draw(Canvas, x - 16, nullptr, FirstLineHt, FirstLineHt);
    return result;
  }
  if (ListKindOf == lkDefinition)
    return result;
  const TColor color = ListFont->Color() | PalRelative;
  switch (ListStyleType) {
  case lbCircle:
  case lbDisc:
  case lbSquare: {
    const TPen savedPen = Canvas.Pen();
    const TBrush savedBrush = Canvas.Brush();
    Canvas.Pen().SetColor(color);
    Canvas.Pen().SetWidth(1);
    Canvas.Pen().SetStyle(psSolid);
    if (ListStyleType == lbCircle) {
      Canvas.Brush().SetStyle(bsClear);
      Canvas.Ellipse(x - 16, base - 7, x - 9, base);
    } else {
      Canvas.Brush().SetColor(color);
      Canvas.Brush().SetStyle(bsSolid);
      if (ListStyleType == lbDisc)
        Canvas.Ellipse(x - 15, base - 6, x - 10, base - 1);
      else
        Canvas.Rectangle(x - 15, base - 6, x - 10, base - 1);
    }
    Canvas.SetPen(savedPen);
    Canvas.SetBrush(savedBrush);
    break;
  }
  case lbNone:
  case lbBlank: break;
  default: {
    const std::u16string text = MarkerText(ListStyleType, ListNumb);
    Canvas.SetFont(*ListFont);
    const int oldMode = Canvas.SetBkMode(TRANSPARENT);
    const uint32_t oldAlign = Canvas.SetTextAlign(TA_BASELINE);
    const TColor oldColor = Canvas.SetTextColor(color);
    const int32_t w = Canvas.TextWidthW(text);
    Canvas.TextOutW(x - 10 - w, base, text);
    Canvas.SetTextColor(oldColor);
    Canvas.SetTextAlign(oldAlign);
    Canvas.SetBkMode(oldMode);
    break;
  }
  }
  return result;
}

// ---- TBodyBlock ----

TBodyBlock::TBodyBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell,
                       TAttributeList* Attributes)
    : TBlock(AMasterList, Prop, AnOwnerCell, Attributes)
{
  // The body's background belongs to the whole document.
  BGImage.reset();
  std::string url;
  if (AMasterList) {
    if (Prop.GetBackgroundImage(url) && !url.empty()) {
      PtPositionRec pos{};
      Prop.GetBackgroundPos(EmSize, ExSize, pos);
      AMasterList->SetBackgroundBitmap(url, pos);
    }
    if (BGColor != NoColor)
      AMasterList->SetBackground(BGColor | PalRelative);
  }
}

TBodyBlock::TBodyBlock(TSectionList* AMasterList, const TBodyBlock& T) : TBlock(AMasterList, T) {}

std::unique_ptr<TSectionBase> TBodyBlock::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TBodyBlock>(AMasterList, *this);
}

int32_t TBodyBlock::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                           int32_t& MaxWidth, int32_t& Curs)
{
  const int32_t h = TBlock::Layout(Canvas, X, Y, IMgr.Width, AHeight, IMgr, MaxWidth, Curs);
  MaxWidth = std::max(MaxWidth, IMgr.Width);
  return h;
}

int32_t TBodyBlock::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
                         int32_t YRef)
{
  const int32_t result = YDraw + SectionHeight;
  if (DisplayNone)
    return result;
  const int32_t cellX = X + Indent;
  for (TSectionBase* s : DrawList)
    s->Draw(Canvas, ARect, IMgr, cellX, cellX, 0);
  return result;
}

uint32_t TBodyBlock::LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info)
{
  uint32_t result = 0;
  if (!Title.empty()) {
    Info.Title = Title;
    result = guTitle;
  }
  return result | MyCell->LinkAt(Canvas, X, Y, Info);
}
