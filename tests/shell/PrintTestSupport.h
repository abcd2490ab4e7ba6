// A printer device context over a bitmap for the printing tests: it records the tiles
// handed to it and can refuse either drawing route.
#pragma once

#include <vector>

#include "platform/Bitmap.h"
#include "platform/Printers.h"
#include "platform/SysSettings.h"

class TBitmapPrinterDC : public TPrinterDC {
public:
  TBitmapPrinterDC(Integer width, Integer height) : Page(width, height) { Page.Fill(clWhite); }

  TCanvas& Canvas() override { return Page.Canvas(); }
  Integer GetDeviceCaps(int index) override
  {
    switch (index) {
    case HORZRES: return Page.Width();
    case VERTRES: return Page.Height();
    case PHYSICALWIDTH: return PhysicalWidth;
    case PHYSICALHEIGHT: return PhysicalHeight;
    case PHYSICALOFFSETX: return OffsetX;
    case PHYSICALOFFSETY: return OffsetY;
    case LOGPIXELSX:
    case LOGPIXELSY: return 300;
    case BITSPIXEL: return BitsPixel;
    case PLANES: return 1;
    case RASTERCAPS: return RasterCaps;
    default: return 0;
    }
  }
  bool StretchPicture(const TRect& dest, const TBitmap& picture) override
  {
    Stretched.push_back(dest);
    if (RefuseStretch)
      return false;
    return TPrinterDC::StretchPicture(dest, picture);
  }
  bool BltPicture(Integer x, Integer y, const TBitmap& picture) override
  {
    Blitted.push_back(Bounds(x, y, picture.Width(), picture.Height()));
    if (RefuseBlt)
      return false;
    return TPrinterDC::BltPicture(x, y, picture);
  }
  const TPalette* SelectPalette(const TPalette* palette, bool force) override
  {
    Selected.push_back(palette);
    SelectedSizes.push_back(palette ? int(palette->Entries.size()) : -1);
    return TPrinterDC::SelectPalette(palette, force);
  }

  TBitmap Page;
  Integer PhysicalWidth = 0, PhysicalHeight = 0, OffsetX = 0, OffsetY = 0;
  Integer BitsPixel = 24;
  Integer RasterCaps = RC_BITBLT | RC_BITMAP64 | RC_STRETCHDIB;
  bool RefuseStretch = false;
  bool RefuseBlt = false;
  std::vector<TRect> Stretched, Blitted;
  std::vector<const TPalette*> Selected;   // the palette made for a job is gone after it
  std::vector<int> SelectedSizes;
};

// Pretends the screen has the given size while alive.
class TScreenSizeScope {
public:
  TScreenSizeScope(Integer width, Integer height)
  {
    TSystemSettings s = SystemSettings();
    s.Monitors = {{Rect(0, 0, width, height), Rect(0, 0, width, height), true}};
    SetSystemSettings(s);
  }
  ~TScreenSizeScope() { ResetSystemSettings(); }
};
