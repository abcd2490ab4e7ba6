#include "toolbar/ThemeUtils.h"

#include <algorithm>
#include <cassert>

#include "platform/SysSettings.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/Docks.h"

// ---------------------------------------------------------------------------------------
// System metrics

Integer GetTBXSystemMetric(int Index)
{
  switch (Index) {
  case SM_CXFIXEDFRAME:
  case SM_CYFIXEDFRAME: return 3;
  case SM_CXFRAME:
  case SM_CYFRAME: return 4;
  case SM_CYSMCAPTION: return 16;
  case SM_CXMENUCHECK:
  case SM_CYMENUCHECK: return SystemSettings().MenuCheckWidth;
  default: return 0;
  }
}

const TFont& SmCaptionFont()
{
  static const std::unique_ptr<const TFont> font = [] {
    auto f = std::make_unique<TFont>();
    f->SetName("MS Sans Serif");
    f->SetSize(8);
    f->SetStyle(fsBold);
    f->SetColor(clCaptionText);
    return f;
  }();
  return *font;
}

// ---------------------------------------------------------------------------------------
// Colours

namespace {

TColor Resolve(TColor C) { return ColorToRGB(C) & 0xFFFFFF; }

}   // namespace

TColor Blend(TColor C1, TColor C2, Integer W)
{
  assert(W >= 0 && W < 256);
  W = std::clamp(W, 0, 255);
  uint32_t a = static_cast<uint32_t>(Resolve(C1)), b = static_cast<uint32_t>(Resolve(C2));
  uint32_t w1 = static_cast<uint32_t>(W), w2 = 255 - w1;
  // Red and blue share one multiplication; their products cannot reach each other.
  uint32_t rb = (((a & 0xFF00FF) * w1 + (b & 0xFF00FF) * w2) >> 8) & 0xFF00FF;
  uint32_t g = (((a & 0x00FF00) * w1 + (b & 0x00FF00) * w2) >> 8) & 0x00FF00;
  return static_cast<TColor>(rb | g);
}

TColor NearestBlend(TColor C1, TColor C2, Integer W) { return Blend(C1, C2, W); }

TColor Lighten(TColor C, Integer Amount)
{
  TColor c = Resolve(C);
  auto ch = [&](Integer v) { return std::clamp(v + Amount, 0, 255); };
  return RGBColor(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
}

bool IsDarkColor(TColor C, Integer Threshold)
{
  TColor c = Resolve(C);
  return Threshold * 256 > GetRValue(c) * 76 + GetGValue(c) * 150 + GetBValue(c) * 30;
}

TColor SwapRB(TColor C)
{
  uint32_t c = static_cast<uint32_t>(C);
  return static_cast<TColor>((c & 0xFF00FF00u) | ((c >> 16) & 0xFF) | ((c & 0xFF) << 16));
}

// ---------------------------------------------------------------------------------------
// Rectangles and lines

bool FillRectEx(TCanvas& Canvas, const TRect& Rect, TColor Color)
{
  if (Color == clNone)
    return false;
  Canvas.FillRect(Rect, Color);
  return true;
}

bool FrameRectEx(TCanvas& Canvas, TRect& Rect, TColor Color, bool Adjust)
{
  if (Color == clNone)
    return false;
  TRect r = Rect;
  if (!r.IsEmpty()) {
    Canvas.FillRect({r.Left, r.Top, r.Right, r.Top + 1}, Color);
    Canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, Color);
    Canvas.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, Color);
    Canvas.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, Color);
  }
  if (Adjust)
    Rect = {Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};
  return true;
}

bool DrawLineEx(TCanvas& Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, TColor Color)
{
  if (Color == clNone)
    return false;
  Canvas.Pen().SetColor(Color);
  Canvas.Pen().SetStyle(psSolid);
  Canvas.Pen().SetWidth(1);
  Canvas.MoveTo(X1, Y1);
  Canvas.LineTo(X2, Y2);
  return true;
}

bool DitherRect(TCanvas& Canvas, const TRect& Rect, TColor C1, TColor C2)
{
  if (C1 == clNone || C2 == clNone)
    return false;
  // The pattern's 0 bits take the text colour, its 1 bits the background colour.
  TColor oldText = Canvas.SetTextColor(C1);
  TColor oldBk = Canvas.SetBkColor(C2);
  TBrush saved;
  saved.Assign(Canvas.Brush());
  // The pattern paints whatever brush the caller left: a hollow one (as views leave it
  // for their items) would fill nothing.
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetBitmap(&HalftoneBrushBitmap());
  Canvas.FillRect(Rect);
  Canvas.Brush().Assign(saved);
  Canvas.SetTextColor(oldText);
  Canvas.SetBkColor(oldBk);
  return true;
}

void Frame3D(TCanvas& Canvas, TRect& Rect, TColor TopLeftColor, TColor BottomRightColor)
{
  TRect r = Rect;
  if (!r.IsEmpty()) {
    FillRectEx(Canvas, {r.Left, r.Top, r.Right - 1, r.Top + 1}, TopLeftColor);
    FillRectEx(Canvas, {r.Left, r.Top, r.Left + 1, r.Bottom - 1}, TopLeftColor);
    FillRectEx(Canvas, {r.Right - 1, r.Top, r.Right, r.Bottom}, BottomRightColor);
    FillRectEx(Canvas, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, BottomRightColor);
  }
  Rect = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

// ---------------------------------------------------------------------------------------
// Image-list images

TColor ContrastPixel(TColor Pixel)
{
  TColor c = Pixel & 0xFFFFFF;
  Integer l = GetRValue(c) * 76 + GetGValue(c) * 150 + GetBValue(c) * 29;
  if (l >= 64769)
    c = clBlack;
  else if (l < 25600)
    c = clWhite;
  return Lighten(c, 32);
}

TColor BlendPixel(TColor Pixel, Byte Alpha, TColor Color)
{
  TColor p = Pixel & 0xFFFFFF, c = Resolve(Color);
  auto ch = [&](Integer a, Integer b) { return (a * Alpha + b * (255 - Alpha)) / 256; };
  return RGBColor(ch(GetRValue(p), GetRValue(c)), ch(GetGValue(p), GetGValue(c)), ch(GetBValue(p), GetBValue(c)));
}

TColor ShadowPixel(TColor Pixel, TColor Background, Integer Mode)
{
  static constexpr Integer D[3] = {3, 8, 20}, O[3] = {170, 224, 243};
  assert(Mode >= 0 && Mode < 3);
  Mode = std::clamp(Mode, 0, 2);
  TColor p = Pixel & 0xFFFFFF, b = Background & 0xFFFFFF;
  Integer l = (GetRValue(p) * 29 + GetGValue(p) * 150 + GetBValue(p) * 76) / 256;
  Integer v = l / D[Mode] + O[Mode];
  return RGBColor(GetRValue(b) * v / 256, GetGValue(b) * v / 256, GetBValue(b) * v / 256);
}

namespace {

// The image drawn on the key colour, the background under R, and a mask to put the result
// back. The background is read from the canvas where it has pixels of its own; a window
// canvas has none, and there the button face stands in for it.
struct TIconWork {
  Integer W = 0, H = 0;
  TBitmap Image, Background, Result, Mask;

  bool Prepare(TCanvas& Canvas, const TRect& R, TCustomImageList* List, Integer Index)
  {
    if (!List || Index < 0 || Index >= List->Count())
      return false;
    W = std::min(List->Width(), R.Width());
    H = std::min(List->Height(), R.Height());
    if (W <= 0 || H <= 0)
      return false;
    Image.SetPixelFormat(TPixelFormat::pf32bit);
    Image.SetSize(W, H);
    Image.Fill(TBXKeyColor);
    List->Draw(Image.Canvas(), 0, 0, Index, true);
    Background.SetPixelFormat(TPixelFormat::pf32bit);
    Background.SetSize(W, H);
    Background.Fill(Resolve(clBtnFace));
    if (Canvas.Bitmap())
      for (Integer y = 0; y < H; ++y)
        for (Integer x = 0; x < W; ++x) {
          TColor c = Canvas.GetPixel(R.Left + x, R.Top + y);
          if (c != clNone)
            Background.SetPixel(x, y, c);
        }
    Result = Background;
    Mask.SetPixelFormat(TPixelFormat::pf24bit);
    Mask.SetSize(W, H);
    Mask.Fill(clWhite);
    return true;
  }
  void Set(Integer X, Integer Y, TColor C)
  {
    Result.SetPixel(X, Y, C);
    Mask.SetPixel(X, Y, clBlack);
  }
  void Finish(TCanvas& Canvas, const TRect& R) { Canvas.DrawMasked(Bounds(R.Left, R.Top, W, H), Result, Mask); }
};

}   // namespace

void DrawTBXIcon(TCanvas& Canvas, const TRect& R, TCustomImageList* ImageList, Integer ImageIndex, bool Contrast)
{
  if (!ImageList)
    return;
  if (!Contrast) {
    ImageList->Draw(Canvas, R.Left, R.Top, ImageIndex, true);
    return;
  }
  TIconWork w;
  if (!w.Prepare(Canvas, R, ImageList, ImageIndex))
    return;
  for (Integer y = 0; y < w.H; ++y)
    for (Integer x = 0; x < w.W; ++x) {
      TColor p = w.Image.GetPixel(x, y);
      if (p != TBXKeyColor)
        w.Set(x, y, ContrastPixel(p));
    }
  w.Finish(Canvas, R);
}

void BlendTBXIcon(TCanvas& Canvas, const TRect& R, TCustomImageList* ImageList, Integer ImageIndex, Byte Alpha,
                  TColor Color)
{
  TIconWork w;
  if (!w.Prepare(Canvas, R, ImageList, ImageIndex))
    return;
  for (Integer y = 0; y < w.H; ++y)
    for (Integer x = 0; x < w.W; ++x) {
      TColor p = w.Image.GetPixel(x, y);
      if (p != TBXKeyColor)
        w.Set(x, y, BlendPixel(p, Alpha, Color));
    }
  w.Finish(Canvas, R);
}

void DrawTBXIconShadow(TCanvas& Canvas, const TRect& R, TCustomImageList* ImageList, Integer ImageIndex, Integer Mode)
{
  assert(Mode >= 0 && Mode < 3);
  TIconWork w;
  if (!w.Prepare(Canvas, R, ImageList, ImageIndex))
    return;
  // The image over a copy of the background: the pixels it changed are the image's.
  TBitmap over = w.Background;
  ImageList->Draw(over.Canvas(), 0, 0, ImageIndex, true);
  for (Integer y = 0; y < w.H; ++y)
    for (Integer x = 0; x < w.W; ++x) {
      TColor b = w.Background.GetPixel(x, y), p = over.GetPixel(x, y);
      if (p != b)
        w.Set(x, y, ShadowPixel(p, b, Mode));
    }
  w.Finish(Canvas, R);
}

// ---------------------------------------------------------------------------------------
// Frame geometry

Integer GetTBXDragHandleSize(TTBCustomDockableWindow* Window)
{
  if (!Window || !Window->CurrentDock() || !Window->CurrentDock()->AllowDrag())
    return 0;
  if (Window->CloseButtonWhenDocked())
    return 14;
  switch (Window->DragHandleStyle()) {
  case dhDouble: return 9;
  case dhSingle: return 6;
  default: return 0;
  }
}

TRect GetTBXCaptionRect(TTBCustomDockableWindow* Window, bool AdjustForBorder, bool MinusCloseButton)
{
  TRect r{0, 0, Window->ClientWidth(), GetTBXSystemMetric(SM_CYSMCAPTION) - 1};
  if (MinusCloseButton && Window->CloseButton())
    r.Right -= r.Bottom - r.Top;
  if (AdjustForBorder) {
    TPoint b = Window->GetFloatingBorderSize();
    r = {r.Left + b.X, r.Top + b.Y, r.Right + b.X, r.Bottom + b.Y};
  }
  return r;
}

TRect GetTBXCloseButtonRect(TTBCustomDockableWindow* Window, bool AdjustForBorder)
{
  TRect r = GetTBXCaptionRect(Window, AdjustForBorder, false);
  r.Left = r.Right - (r.Bottom - r.Top);
  return r;
}

TRect GetTBXDockedCloseRect(TTBCustomDockableWindow* Window, bool DockedLeftRight)
{
  Integer side = GetTBXDragHandleSize(Window) - 1;
  if (side < 0)
    side = 0;
  if (DockedLeftRight) {
    Integer w = Window->ClientWidth();
    return Bounds(w - side, 0, side, side);
  }
  return Bounds(0, 0, side, side);
}

// ---------------------------------------------------------------------------------------
// Shadows

Integer ShadowLayeringMode(bool LowColor)
{
  if (LowColor)
    return 0;
  // Layered windows and alpha blending are looked up from the system; where neither
  // exists the shadow is left out.
  if (SystemSettings().LayeredWindows)
    return 1;
  return 0;
}

TShadow::TShadow(const TRect& R, Byte Opacity, bool LowColor, TShadowEdges Edges)
    : FOpacity(Opacity), FEdges(Edges), FStyle(ShadowLayeringMode(LowColor))
{
  SetVisible(false);
  SetColor(clBtnShadow);
  SetControlStyle(ControlStyle() & ~(csCaptureMouse | csClickEvents | csDoubleClicks));
  SetEnabled(false);   // input falls through to the windows below
  SetBoundsRect(R);
}

TShadow::~TShadow() { DestroyHandle(); }

void TShadow::CreateParams(TCreateParams& Params)
{
  TPopupWindowControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FSaveBits)
    Params.WindowClassStyle |= CS_SAVEBITS;
}

void TShadow::Paint()
{
  if (FStyle == 0)
    return;
  // Over the desktop only the alpha is known; black at that alpha over the button face
  // stands in for the blend with what lies below.
  TCanvas& c = Canvas();
  TColor base = ColorToRGB(clBtnFace);
  for (Integer y = 0; y < Height(); ++y)
    for (Integer x = 0; x < Width(); ++x) {
      Integer a = AlphaAt(x, y) * FOpacity / 255;
      c.SetPixel(x, y, Blend(clBlack, base, std::min(a, 255)));
    }
}

std::vector<uint32_t> TShadow::Gradient() const
{
  std::vector<uint32_t> out;
  out.reserve(static_cast<size_t>(std::max(0, Width())) * static_cast<size_t>(std::max(0, Height())));
  for (Integer y = 0; y < Height(); ++y)
    for (Integer x = 0; x < Width(); ++x)
      out.push_back(static_cast<uint32_t>(AlphaAt(x, y)) << 24);
  return out;
}

Byte TShadow::StripAlpha(Integer I, Integer T)
{
  if (T <= 0)
    return 0;
  Integer v = 255 - (I * 256) / T;
  return static_cast<Byte>(std::clamp(v, 0, 255));
}

Byte TShadow::CornerAlpha(Integer DX, Integer DY, Integer S)
{
  if (S <= 0)
    return 0;
  Integer v = (std::max(DX, DY) + DX + DY) * 128 / S;
  return v >= 255 ? 0 : static_cast<Byte>(255 - v);
}

void TShadow::EndLengths(Integer Length, Integer Thickness, Integer& StartLen, Integer& EndLen) const
{
  StartLen = (FEdges & seStart) ? Thickness : 0;
  EndLen = (FEdges & seEnd) ? Thickness : 0;
  if (StartLen + EndLen > Length) {
    // Both ends do not fit: each gets its share of the length.
    if (StartLen && EndLen) {
      StartLen = Length / 2;
      EndLen = Length - StartLen;
    } else {
      StartLen = std::min(StartLen, Length);
      EndLen = std::min(EndLen, Length);
    }
  }
}

Byte THorzShadow::AlphaAt(Integer X, Integer Y) const
{
  Integer t = Height(), len = Width(), s0 = 0, s1 = 0;
  EndLengths(len, t, s0, s1);
  if (X < s0)
    return CornerAlpha(s0 - 1 - X, Y, t);
  if (X >= len - s1)
    return CornerAlpha(X - (len - s1), Y, t);
  return StripAlpha(Y, t);
}

Byte TVertShadow::AlphaAt(Integer X, Integer Y) const
{
  Integer t = Width(), len = Height(), s0 = 0, s1 = 0;
  EndLengths(len, t, s0, s1);
  if (Y < s0)
    return CornerAlpha(X, s0 - 1 - Y, t);
  if (Y >= len - s1)
    return CornerAlpha(X, Y - (len - s1), t);
  return StripAlpha(X, t);
}

namespace {

// Cuts the part of a strip that lies under Other, along the strip's length. A cut end no
// longer shows a rounded end: the strip comes out from under the other shape there.
bool CutStrip(TShadows::TStrip& S, const TRect& Other)
{
  if (Other.IsEmpty())
    return true;
  TRect& b = S.Bounds;
  bool v = S.Vertical;
  // Along the strip from A to Z; across it from C0 to C1.
  Integer& a = v ? b.Top : b.Left;
  Integer& z = v ? b.Bottom : b.Right;
  Integer c0 = v ? b.Left : b.Top, c1 = v ? b.Right : b.Bottom;
  Integer oa = v ? Other.Top : Other.Left, oz = v ? Other.Bottom : Other.Right;
  Integer oc0 = v ? Other.Left : Other.Top, oc1 = v ? Other.Right : Other.Bottom;
  if (oc0 > c0 || oc1 < c1 || oz <= a || oa >= z)
    return true;
  if (oa <= a && oz >= z)
    return false;
  if (oa <= a) {
    a = oz;
    S.Edges &= ~seStart;
  } else {
    z = oa;
    S.Edges &= ~seEnd;
  }
  return !b.IsEmpty();
}

}   // namespace

std::vector<TShadows::TStrip> TShadows::Layout(const TRect& PopupRect, const TRect& ParentItemRect, Integer Size)
{
  std::vector<TStrip> out;
  if (Size <= 0 || PopupRect.IsEmpty())
    return out;
  auto stripsOf = [&](const TRect& R, const TRect& Other) {
    // Right of R, from Size below its top to Size below its bottom (the corner included).
    TStrip v{{R.Right, R.Top + Size, R.Right + Size, R.Bottom + Size}, true, seStart | seEnd};
    // Below R, from Size right of its left to its right edge (the corner is the vertical's).
    TStrip h{{R.Left + Size, R.Bottom, R.Right, R.Bottom + Size}, false, seStart};
    for (TStrip s : {v, h})
      if (!s.Bounds.IsEmpty() && CutStrip(s, Other))
        out.push_back(s);
  };
  stripsOf(PopupRect, ParentItemRect);
  if (!ParentItemRect.IsEmpty())
    stripsOf(ParentItemRect, PopupRect);
  return out;
}

TShadows::TShadows(const TRect& PopupRect, const TRect& ParentItemRect, Integer Size, Byte Opacity, bool LowColor)
{
  for (const TStrip& s : Layout(PopupRect, ParentItemRect, Size)) {
    if (s.Vertical)
      FShadows.push_back(std::make_unique<TVertShadow>(s.Bounds, Opacity, LowColor, s.Edges));
    else
      FShadows.push_back(std::make_unique<THorzShadow>(s.Bounds, Opacity, LowColor, s.Edges));
  }
}

TShadows::~TShadows() = default;

void TShadows::SetSaveBits(bool Value)
{
  for (auto& s : FShadows)
    s->SetSaveBits(Value);
}

void TShadows::Show(TControl* AfterWindow)
{
  // Shadows that would not be drawn are not shown either: a window left blank would hide
  // what lies below.
  for (auto& s : FShadows)
    if (s->LayeringMode() != 0)
      s->Show();
  if (AfterWindow && AfterWindow->Visible()) {
    // Back on top of its shadows.
    AfterWindow->Hide();
    AfterWindow->Show();
  }
}
