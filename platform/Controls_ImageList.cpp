// Image lists: equally sized pictures with masks, cut from strips.
#include <algorithm>

#include "platform/Controls.h"

TChangeLink::~TChangeLink()
{
  if (FSender)
    FSender->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList() = default;

TCustomImageList::TCustomImageList(Integer width, Integer height)
{
  FWidth = std::clamp(width, 1, 1024);
  FHeight = std::clamp(height, 1, 1024);
}

TCustomImageList::~TCustomImageList()
{
  BeforeDestruction();
  for (TChangeLink* l : FLinks)
    l->FSender = nullptr;
}

void TCustomImageList::SetSize(Integer width, Integer height)
{
  width = std::clamp(width, 1, 1024);
  height = std::clamp(height, 1, 1024);
  if (width == FWidth && height == FHeight)
    return;
  FWidth = width;
  FHeight = height;
  FImages.clear();
  Change();
}

Integer TCustomImageList::Add(const TBitmap& image, const TBitmap* mask)
{
  if (image.Empty())
    return -1;
  Integer count = image.Width() / FWidth;
  if (count < 1)
    return -1;
  Integer first = Count();
  for (Integer i = 0; i < count; ++i) {
    TImage img;
    img.Picture = std::make_unique<TBitmap>(FWidth, FHeight, TPixelFormat::pf24bit);
    img.Mask = std::make_unique<TBitmap>(FWidth, FHeight, TPixelFormat::pf24bit);
    for (Integer y = 0; y < FHeight; ++y)
      for (Integer x = 0; x < FWidth; ++x) {
        Integer sx = i * FWidth + x;
        bool inside = y < image.Height();
        img.Picture->SetPixel(x, y, inside ? image.GetPixel(sx, y) : clBlack);
        bool transparent = !inside || (mask && ColorToRGB(mask->GetPixel(sx, y)) != clBlack);
        img.Mask->SetPixel(x, y, transparent ? clWhite : clBlack);
      }
    img.Mask->SetPixelFormat(TPixelFormat::pf1bit);
    FImages.push_back(std::move(img));
  }
  Change();
  return first;
}

Integer TCustomImageList::AddMasked(const TBitmap& image, TColor maskColor)
{
  std::unique_ptr<TBitmap> mask = image.CreateMask(ColorToRGB(maskColor));
  return Add(image, mask.get());
}

void TCustomImageList::Delete(Integer index)
{
  if (index < 0 || index >= Count())
    return;
  FImages.erase(FImages.begin() + index);
  Change();
}

void TCustomImageList::Clear()
{
  if (FImages.empty())
    return;
  FImages.clear();
  Change();
}

bool TCustomImageList::GetImage(Integer index, TBitmap& image, TBitmap& mask) const
{
  if (index < 0 || index >= Count())
    return false;
  image = *FImages[static_cast<size_t>(index)].Picture;
  mask = *FImages[static_cast<size_t>(index)].Mask;
  return true;
}

void TCustomImageList::Draw(TCanvas& canvas, Integer x, Integer y, Integer index, bool enabled) const
{
  if (index < 0 || index >= Count())
    return;
  DoDraw(canvas, x, y, index, enabled);
}

void TCustomImageList::DoDraw(TCanvas& canvas, Integer x, Integer y, Integer index, bool enabled) const
{
  const TImage& img = FImages[static_cast<size_t>(index)];
  TRect dest = Bounds(x, y, FWidth, FHeight);
  if (enabled) {
    canvas.DrawMasked(dest, *img.Picture, *img.Mask);
    return;
  }
  // Disabled: the shape of the dark pixels, embossed: highlight one pixel down and right,
  // shadow in place.
  TBitmap shape(FWidth, FHeight, TPixelFormat::pf24bit);
  for (Integer py = 0; py < FHeight; ++py)
    for (Integer px = 0; px < FWidth; ++px) {
      bool opaque = img.Mask->GetPixel(px, py) == clBlack;
      TColor c = img.Picture->GetPixel(px, py);
      Integer lum = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
      shape.SetPixel(px, py, opaque && lum < 192 ? clBlack : clWhite);
    }
  shape.SetPixelFormat(TPixelFormat::pf1bit);
  for (int pass = 0; pass < 2; ++pass) {
    TBitmap fill(FWidth, FHeight, TPixelFormat::pf24bit);
    fill.Fill(ColorToRGB(pass == 0 ? clBtnHighlight : clBtnShadow));
    canvas.DrawMasked(pass == 0 ? Bounds(x + 1, y + 1, FWidth, FHeight) : dest, fill, shape);
  }
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
  if (!link || link->FSender == this)
    return;
  if (link->FSender)
    link->FSender->UnRegisterChanges(link);
  link->FSender = this;
  FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
  auto it = std::find(FLinks.begin(), FLinks.end(), link);
  if (it == FLinks.end())
    return;
  FLinks.erase(it);
  link->FSender = nullptr;
}

void TCustomImageList::EndUpdate()
{
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged)
    Change();
}

void TCustomImageList::Change()
{
  if (FUpdateCount > 0) {
    FChanged = true;
    return;
  }
  FChanged = false;
  // Copies: a handler may unregister links.
  std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* l : links)
    if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end() && l->OnChange)
      l->OnChange(this);
  if (OnChange)
    OnChange(this);
}
