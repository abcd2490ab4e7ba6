// Text runs and their fonts, images in paragraph text, and the placing of floats.
#include <algorithm>
#include <cstdlib>

#include "html/Document.h"

namespace {

// The canvas fonts are measured on. It stands for the screen, one for the process as the
// screen is; tests put a canvas of fixed metrics in its place. With it, the metrics of the
// font measured last: runs mostly follow runs of the same (shared) font. Held, the font is
// not changed in place while its metrics are kept.
struct TMeasuring {
  TCanvas* Replacement = nullptr;
  std::unique_ptr<TBitmap> Screen;   // a one-pixel bitmap, made on first use
  const TCanvas* LastCanvas = nullptr;
  std::shared_ptr<TMyFont> LastFont;
  TTextMetric LastMetrics;
};
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the screen's, as above.
TMeasuring Measuring;

int32_t FontPixelHeight(double Points) { return -std::max(1, SafeRound(Points * ScreenPixelsPerInch() / 72)); }

// A page's number bounded to what layout can carry.
int32_t Bounded(int64_t V, int32_t Lo, int32_t Hi) { return static_cast<int32_t>(std::clamp<int64_t>(V, Lo, Hi)); }

bool PropGiven(const TProperties& Prop, int Index)
{
  const TPropValue& v = Prop.Props[static_cast<size_t>(Index)];
  if (IsEmpty(v))
    return false;
  const int32_t* i = std::get_if<int32_t>(&v);
  return !(i && *i == IntNull);
}

// Box values of an inline object's style: margins against a 200 by 200 box.
void ObjectBox(TProperties& Prop, TBoxValues& B)
{
  int32_t em = std::max(1, std::abs(Prop.GetFont()->Height()));
  Prop.GetBoxValues(200, 200, em, em / 2, B);
}

int32_t BoxValue(const TBoxValues& B, int Index)
{
  int32_t v = B.V[static_cast<size_t>(Index)];
  return v == Auto ? 0 : std::clamp(v, 0, MaxImageSide);
}

}   // namespace

bool SameFont(const TMyFont& A, const TMyFont& B)
{
  return A.Height() == B.Height() && A.Style() == B.Style() && A.Color() == B.Color() && A.bgColor == B.bgColor
         && A.Charset() == B.Charset() && A.Pitch() == B.Pitch() && A.Orientation() == B.Orientation()
         && A.PixelsPerInch() == B.PixelsPerInch() && A.Name() == B.Name();
}

TCanvas& FontMeasureCanvas()
{
  if (Measuring.Replacement)
    return *Measuring.Replacement;
  if (!Measuring.Screen)
    Measuring.Screen = std::make_unique<TBitmap>(1, 1);
  return Measuring.Screen->Canvas();
}

void SetFontMeasureCanvas(TCanvas* Canvas)
{
  Measuring.Replacement = Canvas;
  Measuring.LastCanvas = nullptr;
  Measuring.LastFont.reset();
}

// ---- text runs ----

TFontObj::TFontObj(TSection* ASection, std::shared_ptr<TMyFont> F, int32_t Position)
    : Section(ASection), TheFont(std::move(F)), Pos(Position)
{
  if (!TheFont)
    TheFont = std::make_shared<TMyFont>();
  FontChanged();
}

TFontObj::TFontObj(TSection* ASection, const TFontObj& T)
    : Section(ASection), Title(T.Title), TheFont(std::make_shared<TMyFont>()), Pos(T.Pos), SScript(T.SScript)
{
  if (T.UrlTarget)
    UrlTarget = std::make_unique<TUrlTarget>(*T.UrlTarget);
  TheFont->Assign(*T.TheFont);
  if (T.FIArray) {
    const ThtFontInfo& info = (*T.FIArray)[lsNormal];
    if (!info.iName.empty())
      TheFont->SetName(info.iName);
    TheFont->SetHeight(FontPixelHeight(info.iSize));
    TheFont->SetStyle(info.iStyle);
    TheFont->SetColor(info.iColor);
    TheFont->bgColor = info.ibgColor;
  }
  FontChanged();
}

TFontObj::~TFontObj() = default;

const std::string& TFontObj::GetURL() const
{
  static const std::string none;
  return UrlTarget ? UrlTarget->URL : none;
}

void TFontObj::CreateFIArray()
{
  if (!FIArray)
    FIArray = std::make_unique<TFontInfoArray>();
}

void TFontObj::ReplaceFont(std::shared_ptr<TMyFont> F)
{
  TheFont = F ? std::move(F) : std::make_shared<TMyFont>();
  FontChanged();
}

void TFontObj::ConvertFont(const ThtFontInfo& Info)
{
  if (TheFont.use_count() != 1) {   // shared: change a copy of its own
    auto own = std::make_shared<TMyFont>();
    own->Assign(*TheFont);
    TheFont = std::move(own);
  }
  if (!Info.iName.empty())
    TheFont->SetName(Info.iName);
  TheFont->SetHeight(FontPixelHeight(Info.iSize));
  TheFont->SetStyle(Info.iStyle);
  TheFont->bgColor = Info.ibgColor;
  TheFont->SetColor(Info.iColor);
  TheFont->SetCharset(static_cast<TFontCharset>(std::clamp(Info.iCharset, 0, 255)));
  FontChanged();
}

void TFontObj::ApplyState()
{
  if (!FIArray)
    return;
  int state = Visited ? (Hover ? lsVisitedHover : lsVisited) : (Hover ? lsHover : lsNormal);
  ConvertFont((*FIArray)[static_cast<size_t>(state)]);
}

void TFontObj::SetVisited(bool Value)
{
  if (Value == Visited)
    return;
  Visited = Value;
  ApplyState();
}

void TFontObj::SetHover(bool Value)
{
  if (Value == Hover)
    return;
  Hover = Value;
  ApplyState();
}

void TFontObj::SetAllHovered(std::vector<TFontObj*>& List, bool Value)
{
  SetHover(Value);
  auto it = std::find(List.begin(), List.end(), this);
  if (it == List.end())
    return;
  const int32_t id = LinkID();
  for (auto b = it; b != List.begin();) {
    --b;
    if ((*b)->LinkID() != id)
      break;
    (*b)->SetHover(Value);
  }
  for (auto f = it + 1; f != List.end() && (*f)->LinkID() == id; ++f)
    (*f)->SetHover(Value);
}

void TFontObj::FontChanged()
{
  TCanvas& c = FontMeasureCanvas();
  if (Measuring.LastCanvas != &c || Measuring.LastFont != TheFont) {
    c.SetFont(*TheFont);
    Measuring.LastMetrics = c.GetTextMetrics();
    Measuring.LastFont = TheFont;
    Measuring.LastCanvas = &c;
  }
  const TTextMetric& tm = Measuring.LastMetrics;
  tmHeight = tm.tmHeight;
  tmMaxCharWidth = tm.tmMaxCharWidth;
  FontHeight = tm.tmHeight + tm.tmExternalLeading;
  Descent = tm.tmDescent;
  Overhang = (TheFont->Style() & fsItalic) ? tmHeight / 10 : 0;
}

void TFontList::CreateCopy(TSection* ASection, const TFontList& T)
{
  for (const auto& f : T)
    Add(std::make_unique<TFontObj>(ASection, *f));
}

// Runs, images and controls are kept in position order, so lookups by position search
// (paragraphs of many thousand styled runs would otherwise cost their square).
TFontObj* TFontList::GetFontObjAt(int32_t Posn, int32_t& Index) const
{
  Index = -1;
  if (Count() == 0)
    return nullptr;
  const auto it = std::upper_bound(begin(), end(), Posn, [](int32_t P, const auto& F) { return P < F->Pos; });
  // Text before the first run still takes its font.
  Index = it == begin() ? 0 : static_cast<int32_t>(it - begin()) - 1;
  return Items(Index);
}

TFontObj* TFontList::GetFontAt(int32_t Posn, int32_t& OHang) const
{
  int32_t index;
  TFontObj* f = GetFontObjAt(Posn, index);
  OHang = f ? f->Overhang : 0;
  return f;
}

int32_t TFontList::GetFontCountAt(int32_t Posn, int32_t Leng) const
{
  const auto it = std::upper_bound(begin(), end(), Posn, [](int32_t P, const auto& F) { return P < F->Pos; });
  return it != end() ? (*it)->Pos - Posn : Leng - Posn;
}

void TFontList::Decrement(int32_t N, TSectionList* List)
{
  for (const auto& f : *this)
    if (f->Pos > N)
      --f->Pos;
  DropEmptyRuns(List);
}

void TFontList::DropEmptyRuns(TSectionList* List)
{
  // A run that starts where the next one starts has no characters left. One pass that
  // keeps the last run of every position, so many empty runs cost no more than a few.
  std::vector<std::unique_ptr<TFontObj>>& items = FItems;
  size_t out = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i + 1 < items.size() && items[i + 1]->Pos == items[i]->Pos) {
      if (List)
        List->Forget(items[i].get());
      items[i].reset();
      continue;
    }
    if (out != i)
      items[out] = std::move(items[i]);
    ++out;
  }
  items.resize(out);
}

// ---- floating objects ----

TFloatingObj::TFloatingObj(const TFloatingObj& T) : TIDObject()
{
  Pos = T.Pos;
  ImageHeight = T.ImageHeight;
  ImageWidth = T.ImageWidth;
  ObjAlign = T.ObjAlign;
  HSpaceL = T.HSpaceL;
  HSpaceR = T.HSpaceR;
  VSpaceT = T.VSpaceT;
  VSpaceB = T.VSpaceB;
  SpecWidth = T.SpecWidth;
  SpecHeight = T.SpecHeight;
  PercentWidth = T.PercentWidth;
  Title = T.Title;
  Alt = T.Alt;
  ObjHeight = T.ObjHeight;
  ObjWidth = T.ObjWidth;
  ImageKnown = T.ImageKnown;
  NoBorder = T.NoBorder;
  FHSpaceGiven = T.FHSpaceGiven;
}

void TFloatingObj::ProcessProperties(TProperties& Prop)
{
  // A float's default space of 3 goes only to the sides the style leaves open: a floated
  // picture with a left margin alone keeps that margin.
  const bool leftGiven = PropGiven(Prop, MarginLeft);
  const bool rightGiven = PropGiven(Prop, MarginRight);
  auto alignment = [&]() {
    AlignmentType a;
    if (Prop.GetFloat(a) && (a == ALeft || a == ARight)) {
      ObjAlign = a;
      if (!FHSpaceGiven) {
        if (!leftGiven)
          HSpaceL = 3;
        if (!rightGiven)
          HSpaceR = 3;
      }
    }
    if (Prop.GetVertAlign(a))
      ObjAlign = a;
  };
  alignment();
  if (Title.empty())
    Title = Prop.PropTitle;
  TBoxValues B;
  ObjectBox(Prop, B);
  if (leftGiven)
    HSpaceL = BoxValue(B, bxMarginLeft);
  if (rightGiven) {
    HSpaceR = BoxValue(B, bxMarginRight);
    FHSpaceGiven = true;
  }
  if (PropGiven(Prop, MarginTop))
    VSpaceT = B.TopAuto ? 0 : BoxValue(B, bxMarginTop);
  if (PropGiven(Prop, MarginBottom))
    VSpaceB = B.BottomAuto ? 0 : BoxValue(B, bxMarginBottom);
  if (PropGiven(Prop, piWidth)) {
    SpecWidth = BoxValue(B, bxWidth);
    PercentWidth = false;
  }
  if (PropGiven(Prop, piHeight))
    SpecHeight = BoxValue(B, bxHeight);
  alignment();
}

void TFloatingObj::SetAlignFromText(const std::string& Text)
{
  const std::string s = UpperCase(Trim(Text));
  if (s == "TOP")
    ObjAlign = ATop;
  else if (s == "MIDDLE" || s == "ABSMIDDLE")
    ObjAlign = AMiddle;
  else if (s == "LEFT")
    ObjAlign = ALeft;
  else if (s == "RIGHT")
    ObjAlign = ARight;
}

int32_t TFloatingObj::AlignedTop(TFontObj* FO, int32_t YBaseline, int32_t YTop) const
{
  int32_t top;
  switch (ObjAlign) {
  case ATop:
  case ALeft:
  case ARight: top = YTop + VSpaceT; break;
  case AMiddle:
    top = YBaseline + (FO ? FO->Descent - FO->tmHeight / 2 : 0) - (ImageHeight - VSpaceT + VSpaceB) / 2;
    break;
  default: top = YBaseline - ImageHeight - VSpaceB; break;
  }
  return top;
}

// ---- images ----

TImageObj::TImageObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L) : MasterList(AMasterList)
{
  Pos = Position;
  ObjAlign = ABottom;
  bool spaceGiven = false;
  int32_t space = 0;
  int32_t vspace = 0;
  for (const auto& a : L) {
    if (!a)
      continue;
    switch (a->Which) {
    case AlignSy: SetAlignFromText(a->Name); break;
    case SrcSy: Source = Trim(a->Name); break;
    case AltSy:
      Alt = a->Name;
      Title = Alt;
      break;
    case WidthSy:
      if (a->Name.find('%') == std::string::npos) {
        SpecWidth = Bounded(a->Value, 0, MaxImageSide);
      } else if (a->Value >= 1 && a->Value <= 100) {
        SpecWidth = a->Value;
        PercentWidth = true;
      }
      break;
    case HeightSy: SpecHeight = Bounded(std::max<int64_t>(1, a->Value), 1, MaxImageSide); break;
    case HSpaceSy:
      space = static_cast<int32_t>(std::min<int64_t>(40, std::llabs(static_cast<int64_t>(a->Value))));
      spaceGiven = true;
      break;
    case VSpaceSy:
      vspace = static_cast<int32_t>(std::min<int64_t>(40, std::llabs(static_cast<int64_t>(a->Value))));
      break;
    case BorderSy: NoBorder = a->Value == 0; break;
    case TranspSy: Transparent = LLCorner; break;
    case IsMapSy: IsMap = true; break;
    case UseMapSy: {
      UseMap = true;
      std::string m = UpperCase(Trim(a->Name));
      if (m.size() > 1 && m[0] == '#')
        m.erase(0, 1);
      MapName = m;
      break;
    }
    case ActiveSy: HoverImage = true; break;
    case NameSy:
      if (MasterList && MasterList->IDNameList)
        MasterList->IDNameList->AddObject(a->Name, this);
      break;
    case IDSy:
      if (MasterList && MasterList->IDNameList && !Trim(a->Name).empty())
        MasterList->IDNameList->AddObject(LowerCase(Trim(a->Name)), this);
      break;
    default: break;
    }
  }
  if (const TAttribute* t = L.Find(TitleSy))
    Title = t->Name;
  if (spaceGiven)
    HSpaceL = space;
  else
    HSpaceL = (ObjAlign == ALeft || ObjAlign == ARight) ? 3 : 0;
  HSpaceR = HSpaceL;
  FHSpaceGiven = spaceGiven;
  VSpaceT = VSpaceB = vspace;
}

TImageObj::TImageObj(TSectionList* AMasterList, const std::string& URL) : MasterList(AMasterList)
{
  Source = URL;
  ObjAlign = ABottom;
  NoBorder = true;
}

TImageObj::TImageObj(TSectionList* AMasterList, const TImageObj& T) : TFloatingObj(T), MasterList(AMasterList)
{
  Source = T.Source;
  FBitmap = T.FBitmap;
  FGif = T.FGif;
  FMask = T.FMask;
  Transparent = T.Transparent;
  IsMap = T.IsMap;
  FExpanded = T.FExpanded;
  FCopy = true;
}

TImageObj::~TImageObj()
{
  if (MasterList) {
    if (!FCopy && !FCacheKey.empty() && MasterList->BitmapList)
      MasterList->BitmapList->DecUsage(FCacheKey);
    MasterList->Forget(this);
  }
}

std::unique_ptr<TFloatingObj> TImageObj::Clone(TSectionList* AMasterList) const
{
  return std::make_unique<TImageObj>(AMasterList, *this);
}

void TImageObj::SetPicture(const TImageResult& R)
{
  if (R.GIF) {
    if (R.FromCache) {
      // Each image of a document animates on its own.
      FOwnedGif = R.GIF->CreateCopy();
      FGif = FOwnedGif.get();
    } else {
      FGif = R.GIF;
    }
    FBitmap = nullptr;
    FMask = nullptr;
    if (HoverImage)
      FGif->SetAnimate(false);
    else if (MasterList
             && std::find(MasterList->AGifList.begin(), MasterList->AGifList.end(), FGif) == MasterList->AGifList.end())
      MasterList->AGifList.push_back(FGif);
  } else {
    FBitmap = R.Bitmap;
    FMask = R.Mask;
    FGif = nullptr;
  }
  Transparent = R.Transparent;
}

void TImageObj::InsertImage(const TImageResult& R)
{
  if (!Waiting || R.Empty())
    return;
  Waiting = false;
  SetPicture(R);
  if (!(SpecWidth > 0 && SpecHeight > 0))
    ImageKnown = false;
}

void TImageObj::DrawLogic(TSectionList* SectionList, TCanvas& Canvas, TFontObj* FO, int32_t AvailableWidth)
{
  TSectionList* list = SectionList ? SectionList : MasterList;
  const bool showImages = list && list->ShowImages;
  if (showImages && !FBitmap && !FGif && !Source.empty() && list) {
    if (!FExpanded) {
      // Expanded once; the expanded form is what later layouts and the cache use.
      if (!list->GetBitmap && !list->GetImage) {
        if (list->TheOwner)
          Source = list->TheOwner->HTMLExpandFilename(Source);
      } else if (list->ExpandName) {
        Source = list->ExpandName(Source);
      }
      FExpanded = true;
    }
    std::string uName = UpperCase(Trim(Source));
    bool awaited = std::any_of(list->MissingImages.begin(), list->MissingImages.end(),
                               [&](const auto& m) { return m.first == uName; });
    if (awaited) {
      // Another image waits for the same picture already; this one waits beside it.
      FBitmap = &DefBitmap();
      Waiting = true;
      list->MissingImages.emplace_back(uName, this);
    } else {
      TImageResult r = list->GetTheBitmap(Source, Transparent);
      if (!r.Empty()) {
        FCacheKey = UpperCase(Trim(Source));
        SetPicture(r);
      } else if (r.Delayed) {
        FBitmap = &DefBitmap();
        Waiting = true;
        list->MissingImages.emplace_back(uName, this);
      } else {
        FBitmap = &ErrorBitmap();
        FMask = &ErrorBitmapMask();
        Transparent = LLCorner;
      }
    }
  }

  const TBitmap* pic = showImages ? FBitmap : &DefBitmap();
  TGIFImage* gif = showImages ? FGif : nullptr;
  if (!pic && !gif)
    pic = &DefBitmap();
  const bool placeholder = !showImages || pic == &ErrorBitmap() || pic == &DefBitmap();
  int32_t natW = gif ? gif->Width : pic->Width();
  int32_t natH = gif ? gif->Height : pic->Height();
  natW = std::clamp(natW, 0, MaxImageSide);
  natH = std::clamp(natH, 0, MaxImageSide);

  if (!ImageKnown) {
    if (placeholder) {
      if (SpecWidth > 0 && SpecHeight > 0 && !PercentWidth) {
        ObjWidth = SpecWidth;
        ObjHeight = SpecHeight;
        ImageKnown = true;
      } else {
        ObjWidth = natW;
        ObjHeight = natH;
      }
    } else if (PercentWidth) {
      ObjWidth = Bounded(static_cast<int64_t>(std::max(AvailableWidth, 0)) * SpecWidth / 100, 0, MaxImageSide);
      if (SpecHeight > 0)
        ObjHeight = SpecHeight;
      else
        ObjHeight = natW > 0 ? Bounded(static_cast<int64_t>(natH) * ObjWidth / natW, 0, MaxImageSide) : natH;
    } else {
      if (SpecWidth > 0 && SpecHeight > 0) {
        ObjWidth = SpecWidth;
        ObjHeight = SpecHeight;
      } else if (SpecHeight > 0) {
        ObjHeight = SpecHeight;
        ObjWidth = natH > 0 ? Bounded(static_cast<int64_t>(natW) * SpecHeight / natH, 0, MaxImageSide) : natW;
      } else if (SpecWidth > 0) {
        ObjWidth = SpecWidth;
        ObjHeight = natW > 0 ? Bounded(static_cast<int64_t>(natH) * SpecWidth / natW, 0, MaxImageSide) : natH;
      } else {
        ObjWidth = natW;
        ObjHeight = natH;
      }
      ImageKnown = true;
    }
    if (placeholder && !ImageKnown) {
      Canvas.Font().SetName("Arial");
      Canvas.Font().SetSize(8);
      TSize ext = Canvas.TextExtent(Alt);
      ObjWidth = std::min(std::max(ObjWidth, ext.cx + 2 + 24), MaxImageSide);
      ObjHeight = std::min(std::max(ObjHeight, std::max(24, ext.cy)), MaxImageSide);
    }
  }

  ImageWidth = ObjWidth;
  ImageHeight = ObjHeight;
  HasBorder = FO && FO->IsLink() && !NoBorder;
  if (HasBorder) {
    ImageWidth += 2;
    ImageHeight += 2;
  }
}

void TImageObj::Draw(TCanvas& Canvas, int32_t X, TFontObj* FO, int32_t YBaseline, int32_t YTop)
{
  const bool showImages = MasterList && MasterList->ShowImages;
  const TBitmap* pic = showImages ? FBitmap : &DefBitmap();
  TGIFImage* gif = showImages ? FGif : nullptr;
  if (!pic && !gif)
    pic = &DefBitmap();
  const TBitmap* mask = gif ? nullptr : (showImages ? FMask : nullptr);
  const bool placeholder = !showImages || pic == &ErrorBitmap() || pic == &DefBitmap();
  const int32_t yOff = MasterList ? MasterList->YOff : 0;

  Canvas.Brush().SetStyle(bsClear);
  Canvas.Font().SetName("Arial");
  Canvas.Font().SetSize(8);

  const int32_t top = AlignedTop(FO, YBaseline, YTop);   // document Y of the box
  DrawXX = X;
  DrawYY = top;
  int32_t x = X;
  int32_t y = top - yOff;
  if (HasBorder) {
    ++x;
    ++y;
  }

  if (!(placeholder && (ObjWidth < 24 || ObjHeight < 24))) {
    if (placeholder)
      DoDraw(Canvas, x + 4, y + 4, pic, nullptr, mask);
    else
      DoDraw(Canvas, x, y, pic, gif, mask);
  }

  const TColor fontColor = FO ? FO->TheFont->Color() : clBlack;
  auto writeAlt = [&]() {
    Canvas.SetTextColor(fontColor);
    TRect r = Rect(x, y, x + ObjWidth, y + ObjHeight);
    WrapTextClipped(Canvas, r, x + 24, y + 1);
  };
  if (!HasBorder) {
    if (placeholder) {
      writeAlt();
      TBorderLook look;
      look.Background = MasterList ? MasterList->Background : clWhite;
      look.Printing = MasterList && MasterList->Printing;
      look.PrintMonoBlack = MasterList && MasterList->PrintMonoBlack;
      RaisedRect(look, Canvas, x, y, x + ObjWidth, y + ObjHeight, false);
    }
  } else {
    Canvas.Pen().SetColor(fontColor);
    Canvas.SetTextColor(fontColor);
    if (placeholder)
      writeAlt();
    Canvas.Brush().SetStyle(bsClear);
    Canvas.Rectangle(X, top - yOff, X + ImageWidth, top - yOff + ImageHeight);
  }

  if (MyFormControl && MyFormControl->Active) {
    Canvas.Brush().SetColor(clWhite);
    Canvas.DrawFocusRect(Rect(X - 2, top - yOff - 2, X + ImageWidth + 2, top - yOff + ImageHeight + 2));
  }
}

void TImageObj::WrapTextClipped(TCanvas& Canvas, const TRect& Box, int32_t TX, int32_t TY)
{
  if (Alt.empty())
    return;
  int saved = Canvas.SaveDC();
  Canvas.IntersectClipRect(Box.Left, Box.Top, Box.Right, Box.Bottom);
  WrapText(Canvas, TX, TY, Box.Right, Box.Bottom, Alt);
  Canvas.RestoreDC(saved);
}

void TImageObj::DoDraw(TCanvas& Canvas, int32_t XX, int32_t Y, const TBitmap* ddImage, TGIFImage* ddGif,
                       const TBitmap* ddMask)
{
  const bool printing = MasterList && MasterList->IsCopy;
  const bool special = ddImage == &ErrorBitmap() || ddImage == &DefBitmap();
  if (ddGif && !printing) {
    ddGif->ShowIt = true;
    ddGif->Visible = true;
    ddGif->Draw(Canvas, ObjHeight, ObjWidth, Y, XX);
    return;
  }
  const TBitmap* bmp = ddImage;
  const TBitmap* mask = ddMask;
  TTransparency transp = Transparent;
  if (ddGif) {
    bmp = ddGif->GetBitmap();
    mask = ddGif->GetMaskImage();
    if (mask)
      transp = Transparent = TrGif;
  }
  if (!bmp || bmp->Empty())
    return;
  const bool masked = mask && (transp != NotTransp || ddImage == &ErrorBitmap());
  const int32_t w = special ? bmp->Width() : ObjWidth;
  const int32_t h = special ? bmp->Height() : ObjHeight;
  if (printing) {
    if (masked)
      PrintTransparentBitmap(Canvas, XX, Y, w, h, *bmp, *mask);
    else
      DrawBitmap(Canvas, XX, Y, w, h, *bmp);
  } else if (masked) {
    FinishTransparentBitmap(Canvas, *bmp, *mask, h, w, Y, XX);
  } else if (!special) {
    int old = Canvas.SetStretchBltMode(COLORONCOLOR);
    Canvas.StretchBlt(XX, Y, w, h, *bmp, 0, 0, bmp->Width(), bmp->Height(), SRCCOPY);
    Canvas.SetStretchBltMode(old);
  } else {
    Canvas.BitBlt(XX, Y, w, h, *bmp, 0, 0, SRCCOPY);
  }
}

void TImageObj::SetHover(int32_t Value)
{
  if (Value == Hover || !HoverImage || !FGif)
    return;
  if (Value != 0) {
    if (FGif->NumFrames == 2) {
      FGif->SetCurrentFrame(2);
    } else if (FGif->NumFrames == 3) {
      FGif->SetCurrentFrame(Value == 2 ? 3 : 2);
    } else {
      FGif->SetAnimate(true);
      if (MasterList
          && std::find(MasterList->AGifList.begin(), MasterList->AGifList.end(), FGif) == MasterList->AGifList.end()) {
        FGif->Placed = false;   // (where it was drawn before may be from another layout)
        MasterList->AGifList.push_back(FGif);
      }
    }
  } else {
    FGif->SetAnimate(false);
    FGif->SetCurrentFrame(1);
    if (MasterList)
      std::erase(MasterList->AGifList, FGif);
  }
  Hover = Value;
  if (MasterList)
    MasterList->InvalidatePanel();
}

TBitmap* TImageObj::GetBitmap()
{
  if (IsErrorImage())
    return nullptr;
  if (FGif)
    return FGif->GetBitmap();
  if (!FBitmap)
    return nullptr;
  if (!FBitmapCopy) {
    FBitmapCopy = std::make_unique<TBitmap>(*FBitmap);
    if (ColorBits() == 8 && FBitmapCopy->HasPalette())
      FBitmapCopy->SetPalette(CopyPalette(ThePalette()));
  }
  return FBitmapCopy.get();
}

// ---- image lists ----

void TImageObjList::CreateCopy(TSectionList* AMasterList, const TImageObjList& T)
{
  for (const auto& o : T)
    Add(o->Clone(AMasterList));
}

TFloatingObj* TImageObjList::FindImage(int32_t Posn) const
{
  const auto it = std::lower_bound(begin(), end(), Posn, [](const auto& O, int32_t P) { return O->Pos < P; });
  return it != end() && (*it)->Pos == Posn ? it->get() : nullptr;
}

int32_t TImageObjList::GetHeightAt(int32_t Posn, AlignmentType& AAlign, TFloatingObj*& FlObj) const
{
  FlObj = FindImage(Posn);
  if (!FlObj)
    return -1;
  AAlign = FlObj->ObjAlign;
  return FlObj->ImageHeight + FlObj->VSpaceT + FlObj->VSpaceB;
}

int32_t TImageObjList::GetWidthAt(int32_t Posn, AlignmentType& AAlign, int32_t& HSpcL, int32_t& HSpcR,
                                  TFloatingObj*& FlObj) const
{
  FlObj = FindImage(Posn);
  if (!FlObj)
    return -1;
  AAlign = FlObj->ObjAlign;
  HSpcL = FlObj->HSpaceL;
  HSpcR = FlObj->HSpaceR;
  return FlObj->ImageWidth;
}

int32_t TImageObjList::GetImageCountAt(int32_t Posn) const
{
  const auto it = std::lower_bound(begin(), end(), Posn, [](const auto& O, int32_t P) { return O->Pos < P; });
  return it != end() ? std::min(9999, (*it)->Pos - Posn) : 9999;
}

void TImageObjList::Decrement(int32_t N)
{
  for (const auto& o : *this)
    if (o->Pos > N)
      --o->Pos;
}

bool TImageObjList::PtInImage(int32_t X, int32_t Y, int32_t& IX, int32_t& IY, int32_t& Posn, bool& AsIsMap,
                              bool& AUsesMap, TMapItem*& MapItem, TImageObj*& ImageObj) const
{
  AUsesMap = false;
  MapItem = nullptr;
  for (const auto& o : *this) {
    auto* img = dynamic_cast<TImageObj*>(o.get());
    if (!img)
      continue;
    if (X >= img->DrawXX && X < img->DrawXX + img->ImageWidth && Y >= img->DrawYY
        && Y < img->DrawYY + img->ImageHeight) {
      IX = X - img->DrawXX;
      IY = Y - img->DrawYY;
      Posn = img->Pos;
      AsIsMap = img->IsMap;
      ImageObj = img;
      if (img->UseMap && img->MasterList) {
        MapItem = img->MasterList->FindMap(img->MapName);
        AUsesMap = MapItem != nullptr;
      }
      return true;
    }
  }
  return false;
}

bool TImageObjList::PtInObject(int32_t X, int32_t Y, TFloatingObj*& Obj, int32_t& IX, int32_t& IY) const
{
  for (const auto& o : *this)
    if (X >= o->DrawXX && X < o->DrawXX + o->ImageWidth && Y >= o->DrawYY && Y < o->DrawYY + o->ImageHeight) {
      Obj = o.get();
      IX = X - o->DrawXX;
      IY = Y - o->DrawYY;
      return true;
    }
  return false;
}

// ---- floats in the indent manager ----

void IndentManager::Update(int32_t Y, TFloatingObj& Img)
{
  const int32_t w = Img.ImageWidth + Img.HSpaceL + Img.HSpaceR;
  const int32_t h = Img.ImageHeight + Img.VSpaceT + Img.VSpaceB;
  if (Img.ObjAlign == ALeft) {
    int32_t x = LeftSide(Y);
    IndentRec* r = AddLeft(x - BaseX + w, Y);
    r->ID = nullptr;
    r->YB = Y + h;
    Img.Indent = x + Img.HSpaceL;
  } else if (Img.ObjAlign == ARight) {
    int32_t x = RightSide(Y) - w;
    IndentRec* r = AddRight(x - BaseX, Y);
    r->ID = nullptr;
    r->YB = Y + h;
    Img.Indent = x + Img.HSpaceL;
  }
}

int32_t IndentManager::UpdateBlock(int32_t Y, int32_t AWidth, int32_t AHeight, AlignmentType Align)
{
  if (Align == ALeft) {
    int32_t x = LeftSide(Y);
    IndentRec* r = AddLeft(x - BaseX + AWidth, Y);
    r->ID = nullptr;
    r->YB = Y + AHeight;
    return x;
  }
  if (Align == ARight) {
    int32_t x = RightSide(Y) - AWidth;
    IndentRec* r = AddRight(x - BaseX, Y);
    r->ID = nullptr;
    r->YB = Y + AHeight;
    return x;
  }
  return LeftSide(Y);
}

// ---- form controls: what paragraphs need of them ----

TFormControlObj::TFormControlObj(TSectionList* AMasterList, int32_t Position) : MasterList(AMasterList), Pos(Position)
{}

TFormControlObj::~TFormControlObj()
{
  if (MasterList)
    MasterList->Forget(this);
}

void TFormControlObj::ProcessProperties(TProperties& Prop)
{
  TBoxValues B;
  ObjectBox(Prop, B);
  if (PropGiven(Prop, MarginLeft))
    HSpaceL = BoxValue(B, bxMarginLeft);
  if (PropGiven(Prop, MarginRight))
    HSpaceR = BoxValue(B, bxMarginRight);
  if (PropGiven(Prop, piWidth) && BoxValue(B, bxWidth) > 0)
    FWidth = BoxValue(B, bxWidth);
  if (PropGiven(Prop, piHeight) && BoxValue(B, bxHeight) > 0)
    FHeight = BoxValue(B, bxHeight);
  AlignmentType a;
  if (Prop.GetVertAlign(a))
    FormAlign = a;
}

ThtmlForm::~ThtmlForm() = default;

void ThtmlForm::InsertControl(std::unique_ptr<TFormControlObj> Ctrl)
{
  Ctrl->MyForm = this;
  if (!Ctrl->IsHidden())
    ++NonHiddenCount;
  Ctrl->FormIndex = static_cast<int32_t>(ControlList.size());
  ControlList.push_back(std::move(Ctrl));
}

void ThtmlForm::FreeControl(const TFormControlObj* Ctrl)
{
  const auto i = static_cast<size_t>(Ctrl->FormIndex);
  if (Ctrl->FormIndex >= 0 && i < ControlList.size() && ControlList[i].get() == Ctrl)
    ControlList[i].reset();
}

void ThtmlForm::SetSizes(TCanvas& Canvas)
{
  for (const auto& c : ControlList)
    c->SetHeightWidth(Canvas);
}

TFormControlObj* TFormControlList::FindControl(int32_t Posn) const
{
  const auto it =
      std::lower_bound(begin(), end(), Posn, [](const TFormControlObj* C, int32_t P) { return C->Pos < P; });
  return it != end() && (*it)->Pos == Posn ? *it : nullptr;
}

int32_t TFormControlList::GetHeightAt(int32_t Posn, AlignmentType& FormAlign) const
{
  TFormControlObj* c = FindControl(Posn);
  if (!c)
    return -1;
  FormAlign = c->FormAlign;
  return c->Height;
}

int32_t TFormControlList::GetWidthAt(int32_t Posn, int32_t& HSpcL, int32_t& HSpcR) const
{
  TFormControlObj* c = FindControl(Posn);
  if (!c)
    return -1;
  HSpcL = c->HSpaceL;
  HSpcR = c->HSpaceR;
  return c->Width;
}

int32_t TFormControlList::GetControlCountAt(int32_t Posn) const
{
  const auto it =
      std::lower_bound(begin(), end(), Posn, [](const TFormControlObj* C, int32_t P) { return C->Pos < P; });
  return it != end() ? std::min(9999, (*it)->Pos - Posn) : 9999;
}

void TFormControlList::Decrement(int32_t N)
{
  for (TFormControlObj* c : *this)
    if (c->Pos > N)
      --c->Pos;
}
