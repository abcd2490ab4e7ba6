#include "platform/CanvasFixed.h"

#include <algorithm>

Integer TFixedMetricDevice::CharWidth(Integer height) const
{
  auto it = FWidths.find(height);
  if (it != FWidths.end())
    return it->second;
  return std::max(1, height / 2);
}

std::vector<std::u16string> TFixedMetricDevice::Texts() const
{
  std::vector<std::u16string> out;
  for (const TCanvasRecord& r : Records)
    if (r.Kind == TCanvasRecord::TextOut)
      out.push_back(r.Text);
  return out;
}

TTextMetric TFixedMetricDevice::TextMetrics(const TDeviceFont& font)
{
  Integer h = PixelHeight(font);
  TTextMetric tm;
  tm.tmHeight = h;
  tm.tmDescent = h / 5;
  tm.tmAscent = h - tm.tmDescent;
  tm.tmInternalLeading = 0;
  tm.tmExternalLeading = 0;
  tm.tmAveCharWidth = CharWidth(h) + ((font.Style & fsBold) ? BoldExtra : 0);
  tm.tmMaxCharWidth = tm.tmAveCharWidth;
  tm.tmWeight = (font.Style & fsBold) ? 700 : 400;
  tm.tmItalic = (font.Style & fsItalic) ? 1 : 0;
  tm.tmUnderlined = (font.Style & fsUnderline) ? 1 : 0;
  tm.tmStruckOut = (font.Style & fsStrikeOut) ? 1 : 0;
  tm.tmPitchAndFamily = 0;   // fixed pitch
  tm.tmCharSet = font.Charset == DEFAULT_CHARSET ? ANSI_CHARSET : font.Charset;
  return tm;
}

void TFixedMetricDevice::CharWidths(const TDeviceFont& font, const char16_t* text, size_t count, Integer* widths)
{
  Integer w = CharWidth(PixelHeight(font)) + ((font.Style & fsBold) ? BoldExtra : 0);
  for (size_t i = 0; i < count; ++i) {
    bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    widths[i] = low ? 0 : w;
  }
}

void TFixedMetricDevice::DrawGlyphs(const TDeviceFont& font, Integer x, Integer y, const char16_t* text, size_t count,
                                    const Integer* advances, TColor color, const TRegion* clip)
{
  TCanvasRecord r;
  r.Kind = TCanvasRecord::TextOut;
  r.Point = {x, y};
  r.Text.assign(text, count);
  r.Advances.assign(advances, advances + count);
  r.Color = color;
  r.Font = font;
  r.HasClip = clip != nullptr;
  Records.push_back(std::move(r));
}

void TFixedMetricDevice::DrawShape(const TShape& shape, const TDevicePen* pen, const TDeviceBrush* brush,
                                   const TRegion* clip)
{
  TCanvasRecord r;
  r.Kind = TCanvasRecord::Shape;
  r.ShapeKind = shape.Kind;
  r.Rect = shape.Rect;
  r.Points = shape.Points;
  r.Color = pen ? pen->Color : clNone;
  r.FillColor = brush ? brush->Color : clNone;
  r.HasClip = clip != nullptr;
  Records.push_back(std::move(r));
}

void TFixedMetricDevice::FillSolid(const TRect& rect, TColor color, const TRegion* clip)
{
  TCanvasRecord r;
  r.Kind = TCanvasRecord::Fill;
  r.Rect = rect;
  r.Color = color;
  r.HasClip = clip != nullptr;
  Records.push_back(std::move(r));
}

void TFixedMetricDevice::DrawImage(const TRect& dest, const TBitmap&, const TRect&, uint32_t rop, const TRegion* clip)
{
  TCanvasRecord r;
  r.Kind = TCanvasRecord::Image;
  r.Rect = dest;
  r.Rop = rop;
  r.HasClip = clip != nullptr;
  Records.push_back(std::move(r));
}

void TFixedMetricDevice::ClipChanged(const TRegion* clip)
{
  TCanvasRecord r;
  r.Kind = TCanvasRecord::Clip;
  r.HasClip = clip != nullptr;
  if (clip)
    r.Rect = clip->BoundingBox();
  Records.push_back(std::move(r));
}

std::unique_ptr<TCanvas> CreateFixedMetricCanvas(Integer width, Integer height, TFixedMetricDevice** device)
{
  auto dev = std::make_unique<TFixedMetricDevice>(width, height);
  if (device)
    *device = dev.get();
  return std::make_unique<TCanvas>(std::move(dev));
}
