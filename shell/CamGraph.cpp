#include "shell/CamGraph.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace {

constexpr Single DegToRad = 0.017453292f;
constexpr double Pi = 3.14159265358979323846;
constexpr double PixelsPerUnit = 150;
constexpr Integer CurveX0 = 100;
constexpr Integer CurveY0 = 160;
constexpr Integer CamX = 100;
constexpr Integer CamY = 300;
constexpr TColor LightYellow = RGBColor(0xFF, 0xFF, 0x80);

// arcsin that stays defined when rounding pushes its argument just past 1.
double SafeAsin(double v) { return std::asin(std::clamp(v, -1.0, 1.0)); }

// Puts a lift far outside any sensible cam back in a range the drawing can take.
double Bounded(double lift)
{
  if (!std::isfinite(lift))
    return 0;
  return std::clamp(lift, -10.0, 10.0);
}

Integer Px(double units) { return SafeRound(PixelsPerUnit * units); }

// Wraps degrees into [from, from + 360).
double WrapDegrees(double deg, double from)
{
  double r = std::fmod(deg - from, 360.0);
  if (r < 0)
    r += 360.0;
  return r + from;
}

}   // namespace

TCamGraph::TCamGraph(TCanvas* ACanvas, Integer AWidth, Integer AHeight)
    : Canvas(ACanvas), Width(AWidth), Height(AHeight)
{}

void TCamGraph::SetShape(Byte Kind)
{
  if (Kind != Shape && Kind <= ckHeart)
    Shape = Kind;
}

void TCamGraph::SetShapeParam(Single V)
{
  if (!std::isfinite(V))
    return;
  switch (Shape) {
  case ckPear: NoseRadius = 0.0018f * V + 0.1f; break;
  case ckRound: Eccentricity = 0.1f - (50 - V) * 0.002f; break;
  case ckHeart: HeartBase = 0.001f * V + 0.1f; break;
  default: break;
  }
}

double TCamGraph::LiftAt(double theta) const
{
  switch (Shape) {
  case ckPear: {
    double r1 = BaseRadius, r2 = NoseRadius, d = NoseDistance;
    // Without a nose distance (or with circles that cannot be joined) the cam is its base circle.
    if (!(d > 0) || !(r1 > 0) || !(r2 > 0))
      return r1;
    double alpha = SafeAsin(std::fabs(r1 - r2) / d);
    double beta = std::atan(d * std::cos(alpha) / r1);
    double a, b, c, e;
    if (r2 <= r1) {
      a = Pi / 2 + alpha;
      b = beta + alpha + Pi / 2;
      c = 3 * Pi / 2 - (alpha + beta);
      e = 3 * Pi / 2 - alpha;
    } else {
      a = Pi / 2 - alpha;
      b = a + beta;
      c = 3 * Pi / 2 + alpha - beta;
      e = 3 * Pi / 2 + alpha;
    }
    if (theta <= a)
      return r1;
    if (theta <= b)
      return r1 / std::cos(theta - a);
    if (theta <= c) {
      double phi = Pi - theta;
      double s = SafeAsin(std::sin(phi) * d / r2);
      double psi = Pi - s - phi;
      return std::sqrt(std::max(0.0, d * d + r2 * r2 - 2 * d * r2 * std::cos(psi)));
    }
    if (theta <= e)
      return r1 / std::cos(e - theta);
    return r1;
  }
  case ckRound: {
    double e = Eccentricity, r = BaseRadius;
    double es = e * std::sin(theta);
    return e * std::cos(theta) + std::sqrt(std::max(0.0, double(r) * r - es * es));
  }
  default:
    if (theta <= Pi)
      return HeartBase + HeartRate * theta;
    return HeartBase + HeartRate * (2 * Pi - theta);
  }
}

Single TCamGraph::Lift(Single AngleDeg) const
{
  // The follower stands at the top, a quarter turn from the cam's zero direction. The
  // formulas hold on one turn only: the pear's from -90 degrees, the heart's from 0 (below
  // it the heart would dip inside its own base circle), so the angle is wrapped first.
  double deg = double(AngleDeg) - 90.0;
  if (!std::isfinite(deg))
    deg = -90.0;
  if (Shape == ckHeart)
    deg = WrapDegrees(deg, 0);
  else
    deg = WrapDegrees(deg, -90);
  return static_cast<Single>(Bounded(LiftAt(Single(deg) * DegToRad)));
}

void TCamGraph::DrawCurve(TCanvas& c) const
{
  Integer step = Width / 36;
  Integer shift = SafeTrunc(double(Angle) * 36 * step / 360) + 36 * step;

  c.Pen().SetColor(clSilver);
  c.Pen().SetStyle(psSolid);
  for (Integer x = -(shift % 20); x < Width; x += 20) {
    c.MoveTo(x, 0);
    c.LineTo(x, CurveY0);
  }
  for (Integer y = 0; y <= CurveY0; y += 20) {
    c.MoveTo(0, y);
    c.LineTo(Width, y);
  }

  std::vector<TPoint> turn;
  for (Integer i = 0; i <= 36; ++i)
    turn.push_back({i * step + CurveX0 - shift, CurveY0 - Px(Lift(Single(i * 10)))});
  std::vector<TPoint> points;
  for (Integer copy = 0; copy < 3; ++copy)
    for (const TPoint& p : turn)
      points.push_back({p.X + copy * 36 * step, p.Y});
  c.Pen().SetColor(clRed);
  c.Polyline(points);

  // The axes' names: the angle along the bottom of the graph, the lift up its side.
  c.Brush().SetStyle(bsClear);
  c.Font().SetName("Arial");
  c.Font().SetSize(8);
  c.Font().SetColor(clBlack);
  const std::string across = "cam angle (degrees)";
  c.TextOut(Width - c.TextWidth(across) - 6, CurveY0 + 3, across);
  c.TextOut(6, 3, "follower lift");
}

void TCamGraph::DrawCam(TCanvas& c) const
{
  double a = double(Angle) * DegToRad;
  double ca = std::cos(a), sa = std::sin(a);
  auto place = [&](double x, double y) {
    double rx = x * ca - y * sa, ry = x * sa + y * ca;
    return TPoint{CamX + Px(rx), CamY - Px(ry)};
  };

  c.Pen().SetColor(clBlack);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(LightYellow);
  switch (Shape) {
  case ckPear: {
    double r1 = BaseRadius, r2 = NoseRadius, d = NoseDistance;
    double alpha = d > 0 ? SafeAsin(std::fabs(r1 - r2) / d) : 0;
    Integer k = SafeTrunc((2 * alpha + Pi) / (10 * DegToRad));
    std::vector<TPoint> outline;
    for (Integer i = 0; i < 36; ++i) {
      double t = i * 10 * DegToRad - (Pi / 2 + alpha);
      if (i <= k)
        outline.push_back(place(r1 * std::cos(t), r1 * std::sin(t)));
      else
        outline.push_back(place(r2 * std::cos(t) - d, r2 * std::sin(t)));
    }
    outline.push_back(outline.front());
    c.Polygon(outline);
    break;
  }
  case ckRound: {
    Integer r = Px(BaseRadius);
    Integer off = Px(Eccentricity);
    Integer cx = CamX + SafeRound(off * ca), cy = CamY - SafeRound(off * sa);
    c.Ellipse(cx - r, cy - r, cx + r, cy + r);
    break;
  }
  default: {
    std::vector<TPoint> outline;
    for (Integer i = 0; i <= 36; ++i) {
      double t = i * 10 * DegToRad;
      double l = Bounded(LiftAt(t));
      outline.push_back(place(l * std::cos(t), l * std::sin(t)));
    }
    c.Polygon(outline);
    break;
  }
  }

  Integer ty = CamY - Px(Lift(Angle));
  c.Brush().SetColor(clSilver);
  c.Polygon({{CamX, ty}, {CamX + 5, ty - 5}, {CamX + 5, ty - 140}, {CamX - 5, ty - 140}, {CamX - 5, ty - 5}});
  c.Ellipse(CamX - 10, CamY - 10, CamX + 10, CamY + 10);
  c.Pen().SetColor(clRed);
  c.Brush().SetColor(clRed);
  c.Ellipse(CamX - 4, ty - 144, CamX + 4, ty - 136);
}

void TCamGraph::Draw()
{
  if (Width <= 0 || Height <= 0)
    return;
  const double ratio = PixelRatio > 0 ? PixelRatio : 1;
  FPicture = std::make_unique<TBitmap>();
  FitScreenBuffer(*FPicture, std::min(Width, Integer(TBitmap::MaxSide / ratio)),
                  std::min(Height, Integer(TBitmap::MaxSide / ratio)), ratio);
  FPicture->Fill(clWhite);
  TCanvas& c = FPicture->Canvas();
  DrawCurve(c);
  DrawCam(c);
  TRect r{0, 0, FPicture->LogicalWidth(), FPicture->LogicalHeight()};
  c.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
  if (Canvas)
    Canvas->Draw(0, 0, *FPicture);
}
