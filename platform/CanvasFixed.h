// A canvas device with fixed, font-independent metrics that records what is drawn, for
// layout tests: every character of a font H pixels high is CharWidth(H) wide, the ascent
// is H - H / 5 and the descent H / 5. Nothing is rasterised.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Graphics.h"

struct TCanvasRecord {
  enum TKind : uint8_t { TextOut, Shape, Fill, Image, Clip };
  TKind Kind = TextOut;
  TPoint Point;   // TextOut: left end of the baseline
  TRect Rect;     // Shape/Fill/Image: the device rectangle; Clip: the clip box
  std::u16string Text;
  std::vector<Integer> Advances;
  TColor Color = clBlack;      // Text/Fill colour, Shape pen colour (clNone without pen)
  TColor FillColor = clNone;   // Shape brush colour (clNone without brush)
  TShape::TKind ShapeKind = TShape::Polyline;
  std::vector<TPoint> Points;
  TDeviceFont Font;
  uint32_t Rop = 0;       // Image
  bool HasClip = false;   // Clip: whether a clip is set; others: drawn clipped
};

class TFixedMetricDevice : public TCanvasDevice {
public:
  TFixedMetricDevice(Integer width, Integer height) : FWidth(width), FHeight(height) {}

  // Character width for a font height; the table overrides the default max(1, H / 2).
  Integer CharWidth(Integer height) const;
  void SetCharWidth(Integer height, Integer width) { FWidths[height] = width; }
  // Width of bold fonts (added to CharWidth); 0 by default.
  Integer BoldExtra = 0;

  std::vector<TCanvasRecord> Records;
  void ClearRecords() { Records.clear(); }
  // The texts drawn, in order.
  std::vector<std::u16string> Texts() const;

  TRect DeviceRect() const override { return {0, 0, FWidth, FHeight}; }
  Integer LogPixels() const override { return 96; }
  TTextMetric TextMetrics(const TDeviceFont& font) override;
  void CharWidths(const TDeviceFont& font, const char16_t* text, size_t count, Integer* widths) override;
  void DrawGlyphs(const TDeviceFont& font, Integer x, Integer y, const char16_t* text, size_t count,
                  const Integer* advances, TColor color, const TRegion* clip) override;
  void DrawShape(const TShape& shape, const TDevicePen* pen, const TDeviceBrush* brush, const TRegion* clip) override;
  void FillSolid(const TRect& r, TColor color, const TRegion* clip) override;
  void DrawImage(const TRect& dest, const TBitmap& src, const TRect& srcRect, uint32_t rop,
                 const TRegion* clip) override;
  void ClipChanged(const TRegion* clip) override;

private:
  static Integer PixelHeight(const TDeviceFont& font) { return std::max(1, std::abs(font.Height)); }
  Integer FWidth, FHeight;
  std::map<Integer, Integer> FWidths;
};

// A canvas on a fixed-metric device of the given size; device (when given) receives a
// view of the device for reading the records.
std::unique_ptr<TCanvas> CreateFixedMetricCanvas(Integer width, Integer height, TFixedMetricDevice** device = nullptr);
