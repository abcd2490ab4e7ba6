// One scene holding every shape, lit by the standard lights in several of the standard
// materials, rendered under the display's GL (Mesa under Xvfb) and saved as a PNG. Each
// shape must leave visible, lit pixels: the frame is compared with one where that shape
// is hidden.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/GLBezier.h"
#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "engine/GLStandardScene.h"
#include "engine/GLVectorFileObjects.h"
#include "engine/GLViewer.h"

namespace {

// A PNG of 8-bit RGB from the bitmap (rows in screen order).
void SavePng(const TBitmap& bmp, const std::string& fileName)
{
  const uint32_t w = uint32_t(bmp.Width()), h = uint32_t(bmp.Height());
  std::vector<uint8_t> raw;
  raw.reserve(size_t(h) * (1 + 3 * size_t(w)));
  for (uint32_t y = 0; y < h; ++y) {
    raw.push_back(0);   // no filter
    for (uint32_t x = 0; x < w; ++x) {
      const TColor c = bmp.GetPixel(int32_t(x), int32_t(y));
      raw.push_back(uint8_t(GetRValue(c)));
      raw.push_back(uint8_t(GetGValue(c)));
      raw.push_back(uint8_t(GetBValue(c)));
    }
  }
  uLongf zlen = compressBound(uLong(raw.size()));
  std::vector<uint8_t> z(zlen);
  ASSERT_EQ(compress2(z.data(), &zlen, raw.data(), uLong(raw.size()), 6), Z_OK);
  z.resize(zlen);
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto be32 = [](std::vector<uint8_t>& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
      b.push_back(uint8_t(v >> s));
  };
  auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
    be32(png, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    be32(png, uint32_t(crc32(0, body.data(), uInt(body.size()))));
  };
  std::vector<uint8_t> ihdr;
  be32(ihdr, w);
  be32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});   // 8 bits, RGB
  chunk("IHDR", ihdr);
  chunk("IDAT", z);
  chunk("IEND", {});
  FILE* f = std::fopen(fileName.c_str(), "wb");
  ASSERT_NE(f, nullptr) << fileName;
  std::fwrite(png.data(), 1, png.size(), f);
  std::fclose(f);
}

struct TShot {
  int W = 0, H = 0;
  std::vector<TColor> Pixels;
  TColor At(int x, int y) const { return Pixels[size_t(y) * size_t(W) + size_t(x)]; }
};

TShot Capture(TGLSceneViewer& viewer, std::unique_ptr<TBitmap>* keep = nullptr)
{
  viewer.GetSurface()->Repaint();
  std::unique_ptr<TBitmap> bmp = viewer.GetBuffer()->CreateSnapshot()->ToBitmap();
  TShot s;
  s.W = bmp->Width();
  s.H = bmp->Height();
  s.Pixels.resize(size_t(s.W) * size_t(s.H));
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x)
      s.Pixels[size_t(y) * size_t(s.W) + size_t(x)] = bmp->GetPixel(x, y);
  if (keep)
    *keep = std::move(bmp);
  return s;
}

int Brightness(TColor c) { return std::max({GetRValue(c), GetGValue(c), GetBValue(c)}); }

// A hexagonal nut as a 3DS mesh, for the free form.
T3DSModel NutModel()
{
  T3DSModel m;
  T3DSMesh mesh;
  mesh.Name = "nut";
  const int n = 6;
  const Single ro = 0.45f, ri = 0.2f, hz = 0.15f;
  // Outer and inner rings at the back (z = -hz) and the front (z = +hz).
  for (Single z : {-hz, hz})
    for (Single r : {ro, ri})
      for (int i = 0; i < n; ++i) {
        Single s, c;
        SinCos(2 * cPI * i / n, s, c);
        mesh.Vertices.push_back({r * c, r * s, z});
      }
  auto v = [&](int ring, int i) {
    return uint16_t(ring * n + (i % n));
  };   // ring: 0 back outer, 1 back inner, 2 front outer, 3 front inner
  for (int i = 0; i < n; ++i) {
    auto quad = [&](uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
      mesh.Faces.push_back({a, b, c});
      mesh.Faces.push_back({a, c, d});
    };
    quad(v(2, i), v(2, i + 1), v(3, i + 1), v(3, i));   // front face, facing +z
    quad(v(0, i), v(1, i), v(1, i + 1), v(0, i + 1));   // back face
    quad(v(0, i), v(0, i + 1), v(2, i + 1), v(2, i));   // outer flats
    quad(v(1, i), v(3, i), v(3, i + 1), v(1, i + 1));   // bore
  }
  m.Meshes = {mesh};
  return m;
}

TEST(RenderAllShapes, EveryShapeLeavesLitPixels)
{
  TGLScene scene;
  TStandardScene stage = BuildStandardScene(scene);
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  TDummyCube* base = stage.SceneBase;
  struct TEntry {
    TGLBaseSceneObject* Obj;
    const char* Name;
  };
  std::vector<TEntry> shapes;
  // Five columns and three rows of cells, 1.3 apart.
  auto place = [&](TGLBaseSceneObject* o, const char* name, int cell, const char* material) {
    o->Position.SetPoint(-2.6f + 1.3f * float(cell % 5), 1.45f - 1.45f * float(cell / 5), 0);
    if (material)
      if (auto* c = dynamic_cast<TGLCustomSceneObject*>(o))
        c->Material = lib.Materials.GetLibMaterialByName(material)->Material;
    shapes.push_back({o, name});
  };

  auto* cube = base->AddChild(TCube::CreateSized(nullptr, 0.7f, 0.7f, 0.7f));
  cube->SetTurnAngle(35);
  cube->SetPitchAngle(25);
  place(cube, "cube", 0, "Red");

  auto* cyl = base->AddChild(TCylinder::CreateSized(nullptr, 0.35f, 0.35f, 0.9f, 32, 1, 1, cyAll, ndOutside));
  cyl->SetPitchAngle(30);
  cyl->SetRollAngle(-20);
  place(cyl, "cylinder", 1, "Brass");

  auto* cone =
      base->AddChild(TCylinder::CreateSized(nullptr, 0.45f, 0.0f, 0.9f, 32, 1, 1, cySides | cyBottom, ndOutside));
  cone->SetPitchAngle(20);
  place(cone, "cone", 2, "Green");

  auto* ring = base->AddChild(TAnnulus::CreateSized(nullptr, 0.45f, 0.25f, 0.45f, 0.25f, 0.25f, anAll));
  ring->SetSlices(40);
  ring->SetPitchAngle(55);
  place(ring, "annulus", 3, "Bronze");

  auto* frustrum = base->AddNewChild<TFrustrum>();
  frustrum->SetBaseWidth(0.8f);
  frustrum->SetBaseDepth(0.8f);
  frustrum->SetHeight(0.6f);
  frustrum->SetApexHeight(1.1f);
  frustrum->SetTurnAngle(30);
  frustrum->SetPitchAngle(15);
  place(frustrum, "frustrum", 4, "Blue");
  frustrum->Position.Y -= 0.3f;

  auto* sphere = base->AddNewChild<TSphere>();
  sphere->SetRadius(0.45f);
  sphere->SetSlices(32);
  sphere->SetStop(270);
  sphere->SetTurnAngle(20);
  place(sphere, "sphere", 5, "ShinyBrass");

  auto* torus = base->AddNewChild<TTorus>();
  torus->SetMajorRadius(0.35f);
  torus->SetMinorRadius(0.12f);
  torus->SetRings(40);
  torus->SetSides(20);
  torus->SetPitchAngle(-50);
  place(torus, "torus", 6, "Yellow");

  auto* pipe = base->AddNewChild<TPipe>();
  pipe->SetRadius(0.06f);
  pipe->SetSplineMode(lsmCubicSpline);
  pipe->SetParts(ppOutside | ppStartDisk | ppStopDisk);
  for (auto [x, y] : {std::pair{-0.45f, 0.45f}, {-0.1f, 0.3f}, {0.05f, 0.0f}, {-0.1f, -0.3f}, {0.4f, -0.45f}})
    pipe->AddNode(x, y, 0);
  pipe->GetPipeNode(2)->SetRadiusFactor(2.5f);
  place(pipe, "pipe", 7, "Muscle");

  auto* vase = base->AddNewChild<TRevolutionSolid>();
  vase->SetSplineMode(lsmCubicSpline);
  vase->SetSlices(32);
  vase->SetParts(rspOutside | rspStartPolygon | rspStopPolygon);
  for (auto [x, y] : {std::pair{0.2f, 0.45f}, {0.3f, 0.3f}, {0.15f, 0.05f}, {0.38f, -0.25f}, {0.0f, -0.45f}})
    vase->AddNode(x, y, 0);
  vase->SetPitchAngle(20);
  place(vase, "revolution solid", 8, "PaleBlue");

  auto* letter = base->AddNewChild<TExtrusionSolid>();
  letter->SetHeight(0.2f);
  const Single s = 0.45f;
  for (auto [x, y] : {std::pair{0.f, 0.f},
                      {1.2f, 0.f},
                      {1.2f, 0.2f},
                      {0.2f, 0.2f},
                      {0.2f, 0.8f},
                      {1.2f, 0.8f},
                      {1.2f, 1.0f},
                      {0.2f, 1.0f},
                      {0.2f, 1.6f},
                      {1.2f, 1.6f},
                      {1.2f, 1.8f},
                      {0.f, 1.8f}})
    letter->AddNode(0, (x - 0.6f) * s, (y - 0.9f) * s, 0);
  letter->SetTurnAngle(-30);
  place(letter, "extrusion solid", 9, "mtOrange40");

  auto* strip = base->AddNewChild<TBezierStrip>();
  const TVector2f limb[8] = {{0, -0.05f}, {0.13f, -0.05f}, {0.25f, -0.12f}, {0.25f, -0.28f},
                             {0, 0.05f},  {0.29f, 0.05f},  {0.29f, -0.12f}, {0.29f, -0.28f}};
  for (int i = 0; i < 8; ++i)
    strip->SetControlPoint(i, 2.6f * limb[i][0] - 0.35f, 2.6f * limb[i][1] + 0.3f, false);
  strip->SetThickness(0.12f);
  strip->SetUseSideColour(true);
  strip->SetSideColour({1, 0, 0, 1});
  strip->SetTurnAngle(35);
  place(strip, "Bezier strip", 10, "Metal");

  auto* heap = base->AddNewChild<TBezierSurface>();
  heap->SetWidth(0.9f);
  heap->SetDepth(0.8f);
  heap->SetControlPoint(1, 1, {-0.2f, 1.4f, 0});
  heap->SetPitchAngle(35);
  place(heap, "Bezier surface", 11, "PaleWhite");
  heap->Position.Y -= 0.25f;

  auto* nut = base->AddNewChild<TFreeForm>();
  nut->LoadFrom3DS(NutModel(), "");
  nut->SetTurnAngle(40);
  nut->SetPitchAngle(-20);
  place(nut, "free form", 12, "DarkBrass");

  auto* arrow = base->AddNewChild<TLines>();
  arrow->SetLineColor(TVector{1, 1, 1, 1});
  arrow->SetAntiAliased(true);
  arrow->SetLineWidth(2);
  arrow->SetNodesAspect(lnaInvisible);
  for (auto [x, y] : {std::pair{-0.5f, 0.f}, {0.35f, 0.f}, {0.35f, 0.1f}, {0.5f, 0.f}, {0.35f, -0.1f}, {0.35f, 0.f}})
    arrow->AddNodeSilent(x, y, 0);
  arrow->SetRollAngle(30);
  place(arrow, "lines", 13, nullptr);

  auto* half = base->AddNewChild<TSphere>();
  half->SetRadius(0.4f);
  half->SetStop(180);
  half->SetRollAngle(-90);
  place(half, "half sphere", 14, "BrightMetal");
  half->Position.Y += 0.2f;

  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(800, 600);
  stage.Camera->SetFocalLength(160);   // a wide view: the grid spans 0.25 of the distance either side
  viewer.SetCamera(stage.Camera);
  viewer.GetBuffer()->SetBackgroundColor(RGBColor(28, 34, 46));
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";

  std::unique_ptr<TBitmap> bmp;
  const TShot all = Capture(viewer, &bmp);
  SavePng(*bmp, std::string(ORRELO_TEST_OUTPUT) + "/render-all-shapes.png");
  ASSERT_EQ(all.W, 800);
  for (const TEntry& e : shapes) {
    e.Obj->SetVisible(false);
    const TShot without = Capture(viewer);
    e.Obj->SetVisible(true);
    int changed = 0, lit = 0;
    for (int y = 0; y < all.H; ++y)
      for (int x = 0; x < all.W; ++x)
        if (all.At(x, y) != without.At(x, y)) {
          ++changed;
          lit += Brightness(all.At(x, y)) >= 110;
        }
    EXPECT_GT(changed, 400) << e.Name << " is not visible";
    EXPECT_GT(lit, 40) << e.Name << " is not lit";
  }
  // Hidden and shown again, the frame is the same as before.
  const TShot again = Capture(viewer);
  EXPECT_EQ(again.Pixels, all.Pixels);
}

}   // namespace
