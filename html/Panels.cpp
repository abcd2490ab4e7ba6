// Panels: real windows that a PANEL element places in the page for the host to fill,
// laid out like images and moved with scrolling; printed through the host or as a framed
// box with the alternative text.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "html/Pictures.h"
#include "html/Document.h"

ThvPanel::ThvPanel()
{
  SetBevelOuter(bvNone);
  SetColor(clWhite);
  SetCaption("");
}

void ThvPanel::PaintNonClient(TCanvas& Canvas)
{
  Canvas.Brush().SetColor(clBlack);
  Canvas.FrameRect(Rect(0, 0, Width(), Height()));
}

namespace {

int32_t PanelSide(int64_t V) { return static_cast<int32_t>(std::clamp<int64_t>(V, 1, MaxPanelSide)); }

}   // namespace

TPanelObj::TPanelObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L) : MasterList(AMasterList)
{
  Pos = Position;
  ObjAlign = ABottom;
  Panel = std::make_unique<ThvPanel>();
  if (MasterList && MasterList->TheOwner)
    if (TWinControl* paint = MasterList->TheOwner->PaintPanel())
      Panel->SetParent(paint);
  Panel->SetBounds(-4000, -4000, 30, 20);
  HSpaceL = HSpaceR = 3;
  std::string name, src, value;
  for (const auto& a : L) {
    if (!a)
      continue;
    switch (a->Which) {
    case AlignSy: SetAlignFromText(a->Name); break;
    case WidthSy:
      if (a->Name.find('%') != std::string::npos) {
        SetWidthPercent = std::clamp(a->Value, 1, 100);
        PercentWidth = true;
      } else {
        Panel->SetWidth(PanelSide(a->Value));
      }
      break;
    case HeightSy: Panel->SetHeight(PanelSide(a->Value)); break;
    case HSpaceSy:
      HSpaceL = HSpaceR = static_cast<int32_t>(std::min<int64_t>(40, std::llabs(static_cast<int64_t>(a->Value))));
      FHSpaceGiven = true;
      break;
    case VSpaceSy:
      VSpaceT = VSpaceB = static_cast<int32_t>(std::min<int64_t>(40, std::llabs(static_cast<int64_t>(a->Value))));
      break;
    case RatioSy: {
      double r = 0;
      const std::string t = Trim(a->Name);
      // Only a sensible ratio: a huge or negative one would make no panel.
      if (std::from_chars(t.data(), t.data() + t.size(), r).ec == std::errc() && std::isfinite(r) && r > 0 && r <= 1000)
        Ratio = r;
      break;
    }
    case AltSy: Alt = a->Name; break;
    case NameSy: name = a->Name; break;
    case SrcSy: src = a->Name; break;
    case ValueSy: value = a->Name; break;
    default: break;
    }
  }
  if (const TAttribute* t = L.Find(TitleSy))
    Title = t->Name;
  // The host may look its panels up by the element's NAME.
  Panel->SetName(name);
  if (MasterList && MasterList->PanelCreate)
    MasterList->PanelCreate(MasterList->Sender, name, Panel.get(), src, value);
  ImageWidth = ObjWidth = Panel->Width();
  ImageHeight = ObjHeight = Panel->Height();
  if (MasterList)
    MasterList->PanelList.push_back(this);
}

TPanelObj::TPanelObj(TSectionList* AMasterList, const TPanelObj& T)
    : TFloatingObj(T), MasterList(AMasterList), SetWidthPercent(T.SetWidthPercent), Ratio(T.Ratio), FCopy(true)
{
  Panel = std::make_unique<ThvPanel>();
  Panel->SetVisible(false);
  Panel->SetBounds(0, 0, T.Panel->Width(), T.Panel->Height());
  Panel->Shown = T.Panel->Shown;
  if (T.MasterList)
    OnPrint = T.MasterList->PanelPrint;
}

TPanelObj::~TPanelObj()
{
  if (MasterList) {
    std::erase(MasterList->PanelList, this);
    std::erase_if(MasterList->DrawList, [this](const TImageRec& r) { return r.AObj == this; });
    if (!FCopy && MasterList->PanelDestroy)
      GuardedCall([&] { MasterList->PanelDestroy(MasterList->Sender, Panel.get()); });
  }
}

std::unique_ptr<TFloatingObj> TPanelObj::Clone(TSectionList* AMasterList) const
{
  return std::make_unique<TPanelObj>(AMasterList, *this);
}

void TPanelObj::DrawLogic(TSectionList*, TCanvas&, TFontObj*, int32_t AvailableWidth)
{
  int32_t w = Panel->Width(), h = Panel->Height();
  if (PercentWidth && AvailableWidth >= 1)
    w = PanelSide(static_cast<int64_t>(MulDiv(AvailableWidth, SetWidthPercent, 100)));
  if (Ratio > 0)
    h = PanelSide(SafeRound(std::min(w * Ratio, static_cast<double>(MaxPanelSide))));
  if (w != Panel->Width() || h != Panel->Height())
    Panel->SetBounds(Panel->Left(), Panel->Top(), w, h);
  ImageWidth = ObjWidth = w;
  ImageHeight = ObjHeight = h;
}

void TPanelObj::Draw(TCanvas& Canvas, int32_t X, TFontObj* FO, int32_t YBaseline, int32_t YTop)
{
  const int32_t top = AlignedTop(FO, YBaseline, YTop);
  DrawXX = X;
  DrawYY = top;
  const int32_t y = top - (MasterList ? MasterList->YOff : 0);
  if (!FCopy) {
    ShowIt = true;
    Panel->SetBounds(X, y, ImageWidth, ImageHeight);
    Panel->SetVisible(Panel->Shown);
    return;
  }
  if (!Panel->Shown)
    return;
  if (OnPrint) {
    TBitmap bmp(std::max(1, ImageWidth), std::max(1, ImageHeight));
    bmp.Canvas().FillRect(Rect(0, 0, bmp.Width(), bmp.Height()), clWhite);
    OnPrint(MasterList ? MasterList->Sender : nullptr, Panel.get(), bmp);
    DrawBitmap(Canvas, X, y, ImageWidth, ImageHeight, bmp);
  } else {
    Canvas.Brush().SetStyle(bsClear);
    Canvas.Rectangle(X, y, X + ImageWidth, y + ImageHeight);
    if (!Alt.empty()) {
      int saved = Canvas.SaveDC();
      Canvas.IntersectClipRect(X + 1, y + 1, X + ImageWidth - 1, y + ImageHeight - 1);
      WrapText(Canvas, X + 5, y + 5, X + ImageWidth - 5, y + ImageHeight - 5, Alt);
      Canvas.RestoreDC(saved);
    }
  }
}

void TPanelObj::Hide()
{
  if (!FCopy)
    Panel->Hide();
}
