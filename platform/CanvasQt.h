// Qt side of the canvas, for other platform sources only (includes Qt): canvas devices
// over a TBitmap or a painter, and conversions between TBitmap and QImage.
#pragma once

#include <QImage>

#include <memory>

#include "platform/Graphics.h"

class QPainter;

// A device drawing on a bitmap the caller keeps alive.
std::unique_ptr<TCanvasDevice> CreateBitmapDevice(TBitmap& bitmap);
// A device drawing through a painter the caller keeps active (paint events, printers);
// area is the device rectangle in the painter's pixels; with greys every colour and picture
// is drawn in its shade of grey (a printer set to greys).
std::unique_ptr<TCanvasDevice> CreatePainterDevice(QPainter& painter, const TRect& area, Integer logPixels,
                                                   bool printer, bool greys = false);

// A canvas for measuring text outside painting (a one-pixel bitmap's, at the screen's
// resolution), with the font set to font. Every use sets the font and reads no other state,
// so the controls share one.
TCanvas& MeasuringCanvas(const TFont& font);

// A 32-bit copy of a bitmap (RGB32).
QImage BitmapToQImage(const TBitmap& bitmap);
// Rows of part of a bitmap converted into the top-left of an RGB32 image at least that big.
void ConvertBitmapRows(const TBitmap& bitmap, const TRect& part, QImage& out);
// Part of a bitmap (inside it) as an image to draw at once: the bitmap's own rows where
// the painter reads them directly, else a converted copy valid until the next call.
QImage BitmapPartImage(const TBitmap& bitmap, const TRect& part);
// A 24-bit bitmap of an image (alpha dropped).
TBitmap QImageToBitmap(const QImage& image);
