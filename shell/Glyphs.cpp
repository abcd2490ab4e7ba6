#include "shell/Glyphs.h"

#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr TColor Ground = GlyphGround;
constexpr TColor Ink = 0x202020;
constexpr TColor Steel = 0x9C8C84;
constexpr TColor Blue = 0xC06020;
constexpr TColor Green = 0x30A030;
constexpr TColor Red = 0x2020D0;
constexpr TColor Gold = 0x30B0E0;
constexpr TColor Paper = 0xFFFFFF;
constexpr TColor Wood = 0x3070A0;

using TPainter = std::function<void(TCanvas& c)>;

void Pen(TCanvas& c, TColor colour, Integer width = 1)
{
  c.Pen().SetColor(colour);
  c.Pen().SetWidth(width);
}

void Fill(TCanvas& c, TColor colour)
{
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(colour);
}

void Poly(TCanvas& c, std::vector<TPoint> p, TColor fill, TColor line = Ink)
{
  Pen(c, line);
  Fill(c, fill);
  c.Polygon(p);
}

void Line(TCanvas& c, Integer x1, Integer y1, Integer x2, Integer y2, TColor colour, Integer width = 1)
{
  Pen(c, colour, width);
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

// Draws every picture side by side on one strip and hands it to the list.
void AddStrip(TCustomImageList& list, const std::vector<TPainter>& painters)
{
  const Integer w = list.Width(), h = list.Height();
  TBitmap strip(w * Integer(painters.size()), h);
  strip.Fill(Ground);
  TCanvas& c = strip.Canvas();
  for (size_t i = 0; i < painters.size(); ++i) {
    c.SetWindowOrgEx(-Integer(i) * w, 0);
    painters[i](c);
  }
  c.SetWindowOrgEx(0, 0);
  list.AddMasked(strip, Ground);
}

void Magnifier(TCanvas& c, bool plus)
{
  Line(c, 12, 12, 18, 18, Ink, 3);
  Pen(c, Ink);
  Fill(c, Paper);
  c.Ellipse(1, 1, 14, 14);
  Line(c, 4, 7, 11, 7, Blue, 2);
  if (plus)
    Line(c, 7, 4, 7, 11, Blue, 2);
}

void Gear(TCanvas& c, Integer cx, Integer cy, Integer r, Integer teeth, TColor fill)
{
  std::vector<TPoint> p;
  for (Integer i = 0; i < teeth * 4; ++i) {
    double a = 2 * M_PI * i / (teeth * 4);
    double rr = (i % 4 < 2) ? r : r * 0.72;
    p.push_back({cx + Integer(std::lround(rr * std::cos(a))), cy + Integer(std::lround(rr * std::sin(a)))});
  }
  Poly(c, p, fill);
  Pen(c, Ink);
  Fill(c, 0xE8E8E8);
  Integer hub = std::max<Integer>(2, r / 4);
  c.Ellipse(cx - hub, cy - hub, cx + hub + 1, cy + hub + 1);
}

}   // namespace

void AddMainGlyphs(TCustomImageList& List)
{
  AddStrip(List, {
                     [](TCanvas& c) { Magnifier(c, true); },
                     [](TCanvas& c) { Magnifier(c, false); },
                     [](TCanvas& c) {
                       Poly(c, {{5, 3}, {17, 10}, {5, 17}}, Green);
                     },
                     [](TCanvas& c) {
                       Pen(c, Ink);
                       Fill(c, Red);
                       c.Rectangle(4, 4, 16, 16);
                     },
                 });
}

void AddPageGlyphs(TCustomImageList& List)
{
  AddStrip(List, {
                     // Home: a house.
                     [](TCanvas& c) {
                       Poly(c, {{2, 10}, {10, 2}, {18, 10}}, Red);
                       Pen(c, Ink);
                       Fill(c, Paper);
                       c.Rectangle(4, 10, 17, 18);
                       Fill(c, Wood);
                       c.Rectangle(8, 12, 12, 18);
                     },
                     // Forward and back: arrows.
                     [](TCanvas& c) {
                       Poly(c, {{2, 7}, {10, 7}, {10, 3}, {18, 10}, {10, 17}, {10, 13}, {2, 13}}, Green);
                     },
                     [](TCanvas& c) {
                       Poly(c, {{18, 7}, {10, 7}, {10, 3}, {2, 10}, {10, 17}, {10, 13}, {18, 13}}, Green);
                     },
                     // Copy: two sheets.
                     [](TCanvas& c) {
                       Pen(c, Ink);
                       Fill(c, Paper);
                       c.Rectangle(2, 2, 12, 14);
                       c.Rectangle(8, 6, 18, 18);
                       for (Integer y = 9; y <= 15; y += 3)
                         Line(c, 10, y, 16, y, Steel);
                     },
                     // Font: a large A.
                     [](TCanvas& c) {
                       Line(c, 3, 18, 10, 2, Blue, 2);
                       Line(c, 10, 2, 17, 18, Blue, 2);
                       Line(c, 6, 12, 14, 12, Blue, 2);
                     },
                     // Print: a printer with its sheet.
                     [](TCanvas& c) {
                       Pen(c, Ink);
                       Fill(c, Paper);
                       c.Rectangle(5, 1, 15, 8);
                       Fill(c, Steel);
                       c.Rectangle(1, 7, 19, 15);
                       Fill(c, Paper);
                       c.Rectangle(5, 12, 15, 19);
                       Line(c, 7, 15, 13, 15, Steel);
                     },
                     // Test: a sheet with a tick.
                     [](TCanvas& c) {
                       Pen(c, Ink);
                       Fill(c, Paper);
                       c.Rectangle(3, 1, 16, 19);
                       Line(c, 5, 11, 8, 15, Green, 2);
                       Line(c, 8, 15, 14, 5, Green, 2);
                     },
                 });
}

void AddLeverGlyphs(TCustomImageList& List)
{
  AddStrip(List, {
                     // Claw hammer: a handle and a head with its claw.
                     [](TCanvas& c) {
                       Line(c, 6, 22, 15, 7, Wood, 3);
                       Poly(c, {{9, 4}, {19, 10}, {21, 7}, {13, 1}}, Steel);
                       Line(c, 9, 4, 4, 6, Steel, 2);
                     },
                     // Scissors: two blades crossing at a pivot, two rings.
                     [](TCanvas& c) {
                       Line(c, 4, 4, 16, 16, Steel, 2);
                       Line(c, 4, 16, 16, 4, Steel, 2);
                       Pen(c, Red, 2);
                       c.Brush().SetStyle(bsClear);
                       c.Ellipse(14, 14, 22, 22);
                       c.Ellipse(14, 0, 22, 8);
                       Fill(c, Ink);
                       c.Ellipse(9, 9, 12, 12);
                     },
                     // Nut crackers: two arms hinged at one end, a nut between them.
                     [](TCanvas& c) {
                       Line(c, 3, 12, 22, 4, Steel, 3);
                       Line(c, 3, 12, 22, 20, Steel, 3);
                       Pen(c, Ink);
                       Fill(c, Wood);
                       c.Ellipse(7, 9, 13, 15);
                     },
                     // Wheelbarrow: a tray, a wheel, a handle.
                     [](TCanvas& c) {
                       Poly(c, {{3, 8}, {17, 8}, {14, 15}, {6, 15}}, Green);
                       Line(c, 14, 13, 23, 9, Wood, 2);
                       Pen(c, Ink);
                       Fill(c, Ink);
                       c.Ellipse(1, 15, 8, 22);
                     },
                     // Arm: upper arm and forearm bent at the elbow, a ball in the hand.
                     [](TCanvas& c) {
                       Line(c, 4, 3, 6, 18, 0x7090E0, 4);
                       Line(c, 6, 18, 19, 12, 0x7090E0, 4);
                       Pen(c, Ink);
                       Fill(c, Red);
                       c.Ellipse(17, 6, 23, 12);
                     },
                     // Tweezers: two thin legs joined at the top.
                     [](TCanvas& c) {
                       Line(c, 12, 2, 7, 22, Steel, 2);
                       Line(c, 12, 2, 17, 22, Steel, 2);
                     },
                 });
}

TBitmap ApplicationIcon()
{
  TBitmap icon(32, 32);
  icon.Fill(Ground);
  Gear(icon.Canvas(), 16, 16, 14, 10, Gold);
  return icon;
}
