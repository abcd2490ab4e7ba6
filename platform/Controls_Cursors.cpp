// Cursors: the toolkit's cursor for each of ours, the program's own cursor pictures, and the
// cursor that overrides every window's.
#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <map>

#include "platform/ControlsQt.h"

using namespace controls;

namespace {

// The program's own cursors, by their numbers in the screen's cursor table (from 1 on): the
// screen's, so one table for the process, as the screen is.
std::map<TCursor, QCursor>& CustomCursors()
{
  static std::map<TCursor, QCursor> cursors;   // NOLINT(orrelo-static-local-state): the screen's, as above
  return cursors;
}

Qt::CursorShape CursorShape(TCursor c)
{
  switch (c) {
  case crCross: return Qt::CrossCursor;
  case crIBeam: return Qt::IBeamCursor;
  case crSizeNESW: return Qt::SizeBDiagCursor;
  case crSizeNS: return Qt::SizeVerCursor;
  case crSizeNWSE: return Qt::SizeFDiagCursor;
  case crSizeWE: return Qt::SizeHorCursor;
  case crUpArrow: return Qt::UpArrowCursor;
  case crHourGlass: return Qt::WaitCursor;
  case crNo:
  case crNoDrop: return Qt::ForbiddenCursor;
  case crAppStart: return Qt::BusyCursor;
  case crHelp: return Qt::WhatsThisCursor;
  case crHandPoint: return Qt::PointingHandCursor;
  case crSizeAll: return Qt::SizeAllCursor;
  case crHSplit: return Qt::SplitHCursor;
  case crVSplit: return Qt::SplitVCursor;
  case crNone: return Qt::BlankCursor;
  default: return Qt::ArrowCursor;
  }
}

}   // namespace

QCursor controls::CursorOf(TCursor c)
{
  if (c > 0)
    if (auto it = CustomCursors().find(c); it != CustomCursors().end())
      return it->second;
  return QCursor(CursorShape(c));
}


void SetOverrideCursor(TCursor c)
{
  EnsureInputFilter();
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    return;
  while (QApplication::overrideCursor())
    QApplication::restoreOverrideCursor();
  if (c != crDefault)
    QApplication::setOverrideCursor(CursorOf(c));
}

namespace {

// One pixel of a cursor: the mask keeps the screen where it is white; there a black image
// pixel lets the screen through and a white one turns it over, which a picture can only
// approach with black. Under the mask's black the image's own black or white shows.
// Gives false where the screen shows through.
bool CursorPixel(const TBitmap& image, const TBitmap& mask, Integer x, Integer y, TColor& colour)
{
  const bool keepScreen = ColorToRGB(mask.GetPixel(x, y)) == clWhite;
  const bool white = ColorToRGB(image.GetPixel(x, y)) == clWhite;
  colour = white && !keepScreen ? clWhite : clBlack;
  return !keepScreen || white;
}

}   // namespace

TBitmap CursorPicture(const TBitmap& image, const TBitmap& mask, TColor screen)
{
  const Integer w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  TBitmap out(std::max<Integer>(w, 0), std::max<Integer>(h, 0));
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      TColor c;
      out.SetPixel(x, y, CursorPixel(image, mask, x, y, c) ? c : screen);
    }
  return out;
}

void SetScreenCursorImage(TCursor index, const TBitmap& image, const TBitmap& mask, TPoint hotSpot)
{
  if (index <= 0 || !qobject_cast<QApplication*>(QCoreApplication::instance()))
    return;
  const Integer w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  if (w <= 0 || h <= 0)
    return;
  QImage picture(w, h, QImage::Format_ARGB32);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      TColor c;
      const bool shows = CursorPixel(image, mask, x, y, c);
      picture.setPixel(x, y, shows ? qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) : qRgba(0, 0, 0, 0));
    }
  CustomCursors()[index] = QCursor(QPixmap::fromImage(picture), hotSpot.X, hotSpot.Y);
}

bool HasScreenCursorImage(TCursor index) { return CustomCursors().count(index) != 0; }
