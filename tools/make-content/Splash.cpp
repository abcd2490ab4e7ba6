#include <algorithm>
#include <limits>

#include "engine/GLRecorder.h"
#include "parts/BasicParts.h"
#include "platform/BmpFile.h"
#include "platform/JpegImage.h"
#include "topics/GearCogs.h"
#include "tools/make-content/Content.h"
#include "tools/make-content/ContentKit.h"

// The title pictures show a pair of our own gear wheels beside the program's name. The
// wheels are drawn by the parts library into the recording GL table and the triangles it
// records are shaded here in software: a GL driver's pixels differ between machines, these
// do not. The name is set in geometric letters drawn from circles and bars.

namespace {

constexpr int Supersample = 4;
constexpr int32_t Quality = 88;

struct TVertex {
  TV3 P, N;
};
struct TTriangle {
  TVertex V[3];
};

// The triangles one part draws, in its own frame.
std::vector<TTriangle> RecordPart(TGLSceneObject& part)
{
  TGLRecorder recorder;
  TRenderContextInfo rci;
  part.BuildList(rci);
  std::vector<TTriangle> out;
  std::vector<TVertex> prim;
  GLenum mode = 0;
  TV3 normal{0, 0, 1};
  auto emit = [&](const TVertex& a, const TVertex& b, const TVertex& c) { out.push_back({{a, b, c}}); };
  for (const TGLCall& c : recorder.Calls()) {
    const auto& a = c.Args;
    if (c.Name == "glBegin" && !a.empty()) {
      mode = GLenum(a[0]);
      prim.clear();
    } else if ((c.Name == "glNormal3f" || c.Name == "glNormal3fv") && a.size() >= 3) {
      normal = {a[0], a[1], a[2]};
    } else if ((c.Name == "glVertex3f" || c.Name == "glVertex3fv") && a.size() >= 3) {
      prim.push_back({{a[0], a[1], a[2]}, Normalized(normal)});
    } else if ((c.Name == "glVertex2f" || c.Name == "glVertex2fv") && a.size() >= 2) {
      prim.push_back({{a[0], a[1], 0}, Normalized(normal)});
    } else if (c.Name == "glEnd") {
      const size_t n = prim.size();
      switch (mode) {
      case GL_TRIANGLES:
        for (size_t i = 0; i + 2 < n; i += 3)
          emit(prim[i], prim[i + 1], prim[i + 2]);
        break;
      case GL_TRIANGLE_STRIP:
        for (size_t i = 2; i < n; ++i)
          emit(prim[i - 2], prim[i - 1], prim[i]);
        break;
      case GL_QUADS:
        for (size_t i = 0; i + 3 < n; i += 4) {
          emit(prim[i], prim[i + 1], prim[i + 2]);
          emit(prim[i], prim[i + 2], prim[i + 3]);
        }
        break;
      case GL_QUAD_STRIP:
        for (size_t i = 0; i + 3 < n; i += 2) {
          emit(prim[i], prim[i + 1], prim[i + 3]);
          emit(prim[i], prim[i + 3], prim[i + 2]);
        }
        break;
      case GL_TRIANGLE_FAN:
      case GL_POLYGON:
        for (size_t i = 2; i < n; ++i)
          emit(prim[0], prim[i - 1], prim[i]);
        break;
      default: break;
      }
      prim.clear();
    }
  }
  return out;
}

// A shaft through a wheel's bore: a plain cylinder along Z.
std::vector<TTriangle> Shaft(double radius, double z0, double z1)
{
  std::vector<TTriangle> out;
  const int sides = 24;
  for (int k = 0; k < sides; ++k) {
    const double a0 = 2 * Pi * k / sides, a1 = 2 * Pi * (k + 1) / sides;
    const TV3 n0{std::cos(a0), std::sin(a0), 0}, n1{std::cos(a1), std::sin(a1), 0};
    const TVertex p00{{n0.X * radius, n0.Y * radius, z0}, n0}, p01{{n0.X * radius, n0.Y * radius, z1}, n0};
    const TVertex p10{{n1.X * radius, n1.Y * radius, z0}, n1}, p11{{n1.X * radius, n1.Y * radius, z1}, n1};
    out.push_back({{p00, p10, p11}});
    out.push_back({{p00, p11, p01}});
    const TVertex c{{0, 0, z1}, {0, 0, 1}};
    out.push_back({{c, {p01.P, {0, 0, 1}}, {p11.P, {0, 0, 1}}}});
  }
  return out;
}

struct TMaterial {
  TRGB Colour;
  TRGB Specular;
  double Shininess;
};

struct TObject {
  std::vector<TTriangle> Triangles;
  TMaterial Material;
  double Angle = 0;   // about Z, degrees
  TV3 Offset;
};

// The view: the scene turned to a three-quarter view and seen in perspective from +Z.
struct TView {
  double Tilt = -28, Yaw = 32, Distance = 5;
  double Focal = 1, CentreX = 0, CentreY = 0;

  TV3 Eye(TV3 p) const
  {
    const double y = Yaw * Pi / 180, t = Tilt * Pi / 180;
    TV3 q{p.X * std::cos(y) + p.Z * std::sin(y), p.Y, -p.X * std::sin(y) + p.Z * std::cos(y)};
    q = {q.X, q.Y * std::cos(t) - q.Z * std::sin(t), q.Y * std::sin(t) + q.Z * std::cos(t)};
    return {q.X, q.Y, q.Z - Distance};
  }
  TV3 EyeDirection(TV3 n) const { return Eye(n) - Eye({0, 0, 0}); }
  // Screen x, y (y down) and depth.
  TV3 Project(TV3 e) const { return {CentreX + Focal * e.X / -e.Z, CentreY - Focal * e.Y / -e.Z, -e.Z}; }
};

TV3 Place(const TObject& o, TV3 p)
{
  const double a = o.Angle * Pi / 180;
  return TV3{p.X * std::cos(a) - p.Y * std::sin(a), p.X * std::sin(a) + p.Y * std::cos(a), p.Z} + o.Offset;
}

TV3 Turn(const TObject& o, TV3 n)
{
  const double a = o.Angle * Pi / 180;
  return {n.X * std::cos(a) - n.Y * std::sin(a), n.X * std::sin(a) + n.Y * std::cos(a), n.Z};
}

// Shading in eye space: a warm key light from the upper left, a cool fill from the right.
TRGB Shade(const TMaterial& m, TV3 n, TV3 position)
{
  const TV3 view = Normalized(position * -1);
  if (Dot(n, view) < 0)
    n = n * -1;
  const TV3 key = Normalized({-0.5, 0.7, 0.6}), fill = Normalized({0.8, -0.1, 0.5});
  const double diffuse = 0.22 + 0.75 * std::max(0.0, Dot(n, key)) + 0.25 * std::max(0.0, Dot(n, fill));
  const TV3 half = Normalized(key + view);
  const double highlight = std::pow(std::max(0.0, Dot(n, half)), m.Shininess);
  return {m.Colour.R * diffuse + m.Specular.R * highlight, m.Colour.G * diffuse + m.Specular.G * highlight,
          m.Colour.B * diffuse + m.Specular.B * highlight};
}

// Draws the objects into the picture (already holding the background), fitted into the
// rectangle given in the picture's pixels.
void RenderObjects(TPicture& pic, const std::vector<TObject>& objects, double left, double top, double width,
                   double height)
{
  TView view;
  // Fit: project once with a unit focal length and measure.
  double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
  for (const TObject& o : objects)
    for (const TTriangle& t : o.Triangles)
      for (const TVertex& v : t.V) {
        const TV3 s = view.Project(view.Eye(Place(o, v.P)));
        x0 = std::min(x0, s.X);
        x1 = std::max(x1, s.X);
        y0 = std::min(y0, s.Y);
        y1 = std::max(y1, s.Y);
      }
  view.Focal = std::min(width / (x1 - x0), height / (y1 - y0));
  view.CentreX = left + width / 2 - view.Focal * (x0 + x1) / 2;
  view.CentreY = top + height / 2 - view.Focal * (y0 + y1) / 2;

  const int32_t w = pic.Width(), h = pic.Height();
  std::vector<double> depth(size_t(w) * size_t(h), std::numeric_limits<double>::infinity());
  for (const TObject& o : objects)
    for (const TTriangle& t : o.Triangles) {
      TV3 eye[3], nrm[3], scr[3];
      for (int k = 0; k < 3; ++k) {
        eye[k] = view.Eye(Place(o, t.V[k].P));
        nrm[k] = view.EyeDirection(Turn(o, t.V[k].N));
        scr[k] = view.Project(eye[k]);
      }
      const double area = (scr[1].X - scr[0].X) * (scr[2].Y - scr[0].Y) - (scr[2].X - scr[0].X) * (scr[1].Y - scr[0].Y);
      if (std::fabs(area) < 1e-12)
        continue;
      const int32_t bx0 = std::max(0, SafeTrunc(std::floor(std::min({scr[0].X, scr[1].X, scr[2].X}))));
      const int32_t bx1 = std::min(w - 1, SafeTrunc(std::ceil(std::max({scr[0].X, scr[1].X, scr[2].X}))));
      const int32_t by0 = std::max(0, SafeTrunc(std::floor(std::min({scr[0].Y, scr[1].Y, scr[2].Y}))));
      const int32_t by1 = std::min(h - 1, SafeTrunc(std::ceil(std::max({scr[0].Y, scr[1].Y, scr[2].Y}))));
      for (int32_t y = by0; y <= by1; ++y)
        for (int32_t x = bx0; x <= bx1; ++x) {
          const double px = x + 0.5, py = y + 0.5;
          double b[3];
          for (int k = 0; k < 3; ++k) {
            const TV3& p = scr[(k + 1) % 3];
            const TV3& q = scr[(k + 2) % 3];
            b[k] = ((q.X - p.X) * (py - p.Y) - (px - p.X) * (q.Y - p.Y)) / area;
          }
          if (b[0] < 0 || b[1] < 0 || b[2] < 0)
            continue;
          const double z = b[0] * scr[0].Z + b[1] * scr[1].Z + b[2] * scr[2].Z;
          double& d = depth[size_t(y) * size_t(w) + size_t(x)];
          if (z >= d)
            continue;
          d = z;
          const TV3 n = Normalized(nrm[0] * b[0] + nrm[1] * b[1] + nrm[2] * b[2]);
          const TV3 e = eye[0] * b[0] + eye[1] * b[1] + eye[2] * b[2];
          pic.At(x, y) = Shade(o.Material, n, e);
        }
    }
}

// The meshing pair: 20 teeth in brass driving 12 in steel, each on its shaft.
std::vector<TObject> GearPair()
{
  const Integer big = 20, small = 12;
  TCog a(nullptr, big, CogPitch, CogToothDepth, CogThickness, 0.07f);
  TCog b(nullptr, small, CogPitch, CogToothDepth, CogThickness, 0.07f);
  const TMaterial brass{{0.8, 0.58, 0.16}, {0.55, 0.5, 0.4}, 24};
  const TMaterial steel{{0.6, 0.63, 0.68}, {0.7, 0.7, 0.7}, 40};
  const TMaterial dark{{0.3, 0.31, 0.33}, {0.5, 0.5, 0.5}, 30};
  const double ra = CogRadius(big), rb = CogRadius(small);
  // The drive turned a little from the build pose so no tooth sits square to the eye.
  const double turn = 7;
  std::vector<TObject> objects;
  objects.push_back({RecordPart(a), brass, turn, {-ra, 0, 0}});
  objects.push_back({RecordPart(b), steel, -CogStartAngle(small) - turn * big / small, {rb - CogToothDepth, 0, 0}});
  objects.push_back({Shaft(0.07, -0.45, 0.2), dark, 0, {-ra, 0, 0}});
  objects.push_back({Shaft(0.07, -0.45, 0.2), dark, 0, {rb - CogToothDepth, 0, 0}});
  return objects;
}

// --- lettering ----------------------------------------------------------------------------

// Letters on a baseline at y = 0, y up, the capital's height 1.
constexpr double Stroke = 0.15;
constexpr double XHeight = 0.7;
constexpr double Gap = 0.09;

bool InRing(double x, double y, double cx, double cy, double rx, double ry, double stroke)
{
  const double o = ((x - cx) / rx) * ((x - cx) / rx) + ((y - cy) / ry) * ((y - cy) / ry);
  const double ix = rx - stroke, iy = ry - stroke * 0.92;
  const double i = ((x - cx) / ix) * ((x - cx) / ix) + ((y - cy) / iy) * ((y - cy) / iy);
  return o <= 1 && i > 1;
}

bool InBox(double x, double y, double x0, double y0, double x1, double y1)
{
  return x >= x0 && x <= x1 && y >= y0 && y <= y1;
}

// Whether the point lies in the letter, and the letter's advance.
double Letter(char c, double x, double y, bool& inside)
{
  const double r = XHeight / 2;
  switch (c) {
  case 'O': inside = InRing(x, y, 0.47, 0.5, 0.47, 0.5, Stroke * 1.1); return 0.94;
  case 'r': {
    // A stem with a shoulder: the upper left part of a ring leaving the stem.
    const double cx = Stroke + 0.2, cy = XHeight - 0.3;
    const double angle = std::atan2(y - cy, x - cx) * 180 / Pi;
    inside = InBox(x, y, 0, 0, Stroke, XHeight)
             || (y >= cy && x >= Stroke * 0.5 && angle <= 150 && angle >= 25 && InRing(x, y, cx, cy, 0.3, 0.3, Stroke));
    return Stroke + 0.4;
  }
  case 'e': {
    const double angle = std::atan2(y - r, x - r) * 180 / Pi;
    inside = (InRing(x, y, r, r, r, r, Stroke) && !(angle > -38 && angle < 0))
             || (InBox(x, y, 0.02, r - Stroke * 0.45, 2 * r - 0.02, r + Stroke * 0.45)
                 && (x - r) * (x - r) + (y - r) * (y - r) <= r * r);
    return 2 * r;
  }
  case 'l': inside = InBox(x, y, 0, 0, Stroke, 1.04); return Stroke;
  case 'o': inside = InRing(x, y, r, r, r, r, Stroke); return 2 * r;
  default: inside = false; return 0.5;
  }
}

double TextWidth(const std::string& text)
{
  double w = 0;
  bool unused = false;
  for (char c : text)
    w += Letter(c, -1, -1, unused) + Gap;
  return w - Gap;
}

// Sets the text with its capital `size` pixels high, its baseline at `baseline`.
void DrawText(TPicture& pic, const std::string& text, double left, double baseline, double size, TRGB colour)
{
  const double right = left + TextWidth(text) * size;
  for (int32_t y = std::max(0, SafeTrunc(baseline - 1.1 * size)); y < std::min(pic.Height(), SafeTrunc(baseline + 2));
       ++y)
    for (int32_t x = std::max(0, SafeTrunc(left) - 1); x < std::min(pic.Width(), SafeTrunc(right) + 2); ++x) {
      const double tx = (x + 0.5 - left) / size, ty = (baseline - (y + 0.5)) / size;
      double pen = 0;
      for (char c : text) {
        bool inside = false;
        const double advance = Letter(c, tx - pen, ty, inside);
        if (inside) {
          pic.At(x, y) = colour;
          break;
        }
        pen += advance + Gap;
      }
    }
}

// Box-filters the supersampled picture down.
TPicture Downsample(const TPicture& big)
{
  TPicture small(big.Width() / Supersample, big.Height() / Supersample);
  for (int32_t y = 0; y < small.Height(); ++y)
    for (int32_t x = 0; x < small.Width(); ++x) {
      TRGB sum;
      for (int j = 0; j < Supersample; ++j)
        for (int i = 0; i < Supersample; ++i) {
          const TRGB& c = big.At(x * Supersample + i, y * Supersample + j);
          sum = {sum.R + Clamp01(c.R), sum.G + Clamp01(c.G), sum.B + Clamp01(c.B)};
        }
      small.At(x, y) = ScaleColour(sum, 1.0 / (Supersample * Supersample));
    }
  return small;
}

// The picture down to its size, compressed.
std::vector<uint8_t> Finish(const TPicture& big)
{
  const TPicture small = Downsample(big);
  TJPEGImage jpeg;
  jpeg.Assign(small.ToBitmap());
  jpeg.SetCompressionQuality(Quality);
  return jpeg.SaveToBytes();
}

struct TLayout {
  int32_t Width, Height;
  double GearLeft, GearTop, GearSize;
  double TextLeft, Baseline, CapHeight;
};

std::vector<uint8_t> MakeSplash(const TLayout& l, bool framed)
{
  const int s = Supersample;
  TPicture pic(l.Width * s, l.Height * s);
  const TRGB top = framed ? TRGB{0.16, 0.24, 0.34} : TRGB{1, 1, 1};
  const TRGB bottom = framed ? TRGB{0.05, 0.08, 0.13} : TRGB{0.93, 0.94, 0.96};
  for (int32_t y = 0; y < pic.Height(); ++y)
    for (int32_t x = 0; x < pic.Width(); ++x) {
      // A soft light behind the wheels.
      const double dx = (x - (l.GearLeft + l.GearSize * 0.5) * s) / (l.GearSize * s);
      const double dy = (y - (l.GearTop + l.GearSize * 0.5) * s) / (l.GearSize * s);
      const double glow = framed ? 0.12 * std::exp(-3 * (dx * dx + dy * dy)) : 0;
      const TRGB c = MixColour(top, bottom, double(y) / pic.Height());
      pic.At(x, y) = {c.R + glow, c.G + glow, c.B + glow * 1.2};
    }
  RenderObjects(pic, GearPair(), l.GearLeft * s, l.GearTop * s, l.GearSize * s, l.GearSize * s);
  const TRGB ink = framed ? TRGB{0.97, 0.94, 0.86} : TRGB{0.12, 0.2, 0.32};
  const TRGB accent{0.8, 0.6, 0.2};
  DrawText(pic, "Orrelo", l.TextLeft * s, l.Baseline * s, l.CapHeight * s, ink);
  // A brass rule under the name.
  const double ruleTop = (l.Baseline + 0.22 * l.CapHeight) * s, ruleHeight = std::max(2.0, 0.06 * l.CapHeight) * s;
  const double ruleRight = (l.TextLeft + TextWidth("Orrelo") * l.CapHeight) * s;
  for (int32_t y = SafeTrunc(ruleTop); y < SafeTrunc(ruleTop + ruleHeight); ++y)
    for (int32_t x = SafeTrunc(l.TextLeft * s); x < SafeTrunc(ruleRight); ++x)
      pic.At(x, y) = accent;
  if (framed) {
    // The window has no border of its own: the picture draws one.
    for (int32_t y = 0; y < pic.Height(); ++y)
      for (int32_t x = 0; x < pic.Width(); ++x) {
        const int32_t edge = std::min({x, y, pic.Width() - 1 - x, pic.Height() - 1 - y});
        if (edge < 2 * s)
          pic.At(x, y) = {0.03, 0.05, 0.08};
        else if (edge < 4 * s)
          pic.At(x, y) = accent;
      }
  }
  return Finish(pic);
}

}   // namespace

std::vector<uint8_t> MakeIndexTitle()
{
  // On the index page the title lies on the light stripe, row for row, so the stripe's
  // colours are its background and the two join without a seam.
  const int s = Supersample;
  const int32_t width = 300, height = IndexStripeHeight;
  TPicture pic(width * s, height * s);
  for (int32_t y = 0; y < pic.Height(); ++y)
    for (int32_t x = 0; x < pic.Width(); ++x)
      pic.At(x, y) = StripeColour((y + 0.5) / pic.Height());
  RenderObjects(pic, GearPair(), 8 * s, 6 * s, 84 * s, height * s - 12 * s);
  DrawText(pic, "Orrelo", 104 * s, 48 * s, 34 * s, {0.12, 0.2, 0.32});
  const double ruleTop = 54 * s, ruleRight = (104 + TextWidth("Orrelo") * 34) * s;
  for (int32_t y = SafeTrunc(ruleTop); y < SafeTrunc(ruleTop + 2.0 * s); ++y)
    for (int32_t x = 104 * s; x < SafeTrunc(ruleRight); ++x)
      pic.At(x, y) = {0.8, 0.6, 0.2};
  return SaveBmpToBytes(Downsample(pic).ToBitmap());
}

std::vector<uint8_t> MakeSplashFramed() { return MakeSplash({480, 300, 16, 40, 220, 248, 172, 52}, true); }

std::vector<uint8_t> MakeSplashPlain() { return MakeSplash({400, 240, 8, 25, 190, 206, 138, 44}, false); }
