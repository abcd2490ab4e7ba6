// Renders every part of the second half of the library side by side, lit, into one PNG
// for a person to look at, and checks that each grid cell shows a lit part.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/GLRecorder.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "parts/MachineParts.h"
#include "parts/CamDrum.h"
#include "parts/ToggleLinks.h"
#include "parts/RatchetParts.h"
#include "parts/RopeParts.h"
#include "parts/ScrewParts.h"
#include "parts/SlabParts.h"
#include "parts/SlotLinks.h"
#include "platform/Bitmap.h"

namespace {

// An 8-bit RGB PNG: signature, header, one zlib stream of unfiltered rows, end.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb)
{
  std::vector<uint8_t> raw;
  raw.reserve(size_t(height) * (size_t(width) * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + long(y) * width * 3, rgb.begin() + long(y + 1) * width * 3);
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK)
    return false;
  packed.resize(packedSize);
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto be32 = [](std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8)
      v.push_back(uint8_t(x >> s));
  };
  auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
    be32(out, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    be32(out, uint32_t(crc32(0, body.data(), uInt(body.size()))));
  };
  std::vector<uint8_t> ihdr;
  be32(ihdr, uint32_t(width));
  be32(ihdr, uint32_t(height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk("IHDR", ihdr);
  chunk("IDAT", packed);
  chunk("IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

// The extent of what a part draws (its own matrix moves included), read from the
// recording GL table.
void PartBounds(TGLBaseSceneObject& part, TAffineVector& lo, TAffineVector& hi)
{
  TGLRecorder rec;
  TRenderContextInfo rci;
  part.BuildList(rci);
  lo = {1e9f, 1e9f, 1e9f};
  hi = {-1e9f, -1e9f, -1e9f};
  for (const TAffineVector& v : rec.ExecutedVertices())
    for (size_t i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], v[i]);
      hi[i] = std::max(hi[i], v[i]);
    }
}

// Creates a part, keeps it in `parts` until it goes into the scene, and hands back a view.
template <class T, class... A>
T* Make(std::vector<std::unique_ptr<TGLSceneObject>>& parts, A... args)
{
  auto p = std::make_unique<T>(nullptr, args...);
  T* view = p.get();
  parts.push_back(std::move(p));
  return view;
}

constexpr int Columns = 7, Rows = 5, ImageWidth = 1400, ImageHeight = 1000;
constexpr float Cell = 1.1f, CameraDistance = 13;
constexpr TColor Background = 0x00402820;   // dark blue-grey

}   // namespace

TEST(RenderParts, EveryPartOfTheSecondHalfSideBySide)
{
  TGLScene scene;
  TStandardScene stage = BuildStandardScene(scene);
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);

  // Every class, in reading order (row by row from the top left).
  std::vector<std::unique_ptr<TGLSceneObject>> parts;
  Make<TAnnulusEx>(parts, 0.5f, 0.08f, 0.08f, 0, 270, 40);
  Make<TRatchet>(parts, 0.1f, 0.05f, 0.05f, 20);
  Make<TPawl>(parts, 0.1f, 0.05f, 0.1f, 0.4f, 0.05f, 20)->HookRadius = 0.18f;
  Make<TRope>(parts, 0.2f, 0.1f, 1.2f, 0.04f, 3, 8, 12)->SetExtent(0.3f);
  Make<TWestonRope>(parts, 0.2f, 0.15f, 0.1f, 1.5f, 0.04f);
  Make<THSCylinder>(parts, 0.2f, 0.1f, 0.05f, 20, 0.44f, 40)->UseSideColour = true;
  Make<TScrew>(parts, 0.1f, 0.04f, 0.12f, 0.08f, 5, 24)->SetOption1(tpSquare);
  auto* nut = Make<TScrew>(parts, 0.1f, 0.04f, 0.12f, 0.1f, 5, 24);
  nut->SetThreadStyle(true);
  Make<THexNut>(parts, 0.2f, 0.1f, 0.12f);
  Make<TSquareNut>(parts, 0.4f, 0.1f, 0.15f, 20);
  Make<TPartialTorus>(parts, 0.3f, 0.06f, 0, 180, 20, 12);
  Make<THelix>(parts, 0.15f, 0.02f, 0.08f, 6, 24, 8);
  Make<TAToggleLink>(parts, 1.0f, 0.5f, 0.2f, 0.03f);
  Make<TBToggleLink>(parts, 1.0f, 0.1f, 0.04f, 8);
  Make<TCToggleLink>(parts, 0.8f, 0.6f, 0.08f, 0.04f, 12);
  auto* slot = Make<TSlotLinkage>(parts, 0.15f, 0.05f, 1.5f, 16);
  slot->SlotWidth = 0.1f;
  slot->SlotTop = 1.25f;
  slot->SlotBottom = 0.25f;
  slot->SideColoured = true;
  Make<TRoundCube>(parts, 0.8f, 1.0f, 0.1f, 0.2f, 8);
  auto* pie = Make<TPie>(parts, 0.4f, 0.1f, 30);
  pie->StartAngle = 270;
  pie->EndAngle = 90;
  pie->UseSideColour = true;
  Make<TBelt>(parts)->SetAngle(40);
  Make<TXBelt>(parts)->SetAngle(40);
  auto* jockey = Make<TJockeyBelt>(parts);
  jockey->CentreDistance = 1.6f;
  jockey->SetAngle(40);
  Make<TWheel>(parts);
  Make<TCutBit>(parts);
  Make<TLinearCam>(parts);
  Make<TLinearPlate>(parts);
  Make<TGTEnd>(parts);
  Make<TGTSlider>(parts);
  Make<TGTBlade>(parts);
  Make<TEscWheel>(parts);
  Make<TPallet>(parts);
  Make<TSMRing>(parts);
  Make<TNeedle>(parts);
  Make<TRoundabout>(parts);
  Make<TSlattedPlane>(parts);
  ASSERT_LE(parts.size(), size_t(Columns * Rows));

  const char* materials[] = {"Brass", "Metal", "Red", "Blue", "Green", "Yellow", "Bronze", "ShinyBrass"};
  const float x0 = -Cell * (Columns - 1) / 2, y0 = Cell * (Rows - 1) / 2;
  for (size_t i = 0; i < parts.size(); ++i) {
    TAffineVector lo, hi;
    PartBounds(*parts[i], lo, hi);
    const float extent = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2], 1e-3f});
    const float s = 0.85f * Cell / extent;
    auto* holder = stage.SceneBase->AddNewChild<TDummyCube>();
    holder->Position.SetPoint(x0 + Cell * float(i % Columns), y0 - Cell * float(i / Columns), 0);
    holder->SetTurnAngle(-25);
    holder->SetPitchAngle(20);
    TGLSceneObject* part = holder->AddChild(std::move(parts[i]));
    part->Material = lib.LibMaterialByName(materials[i % 8])->Material;
    part->Scale.SetPoint(s, s, s);
    part->Position.SetPoint(-s * (lo[0] + hi[0]) / 2, -s * (lo[1] + hi[1]) / 2, -s * (lo[2] + hi[2]) / 2);
  }
  stage.Camera->Position.SetPoint(0, 0, CameraDistance);

  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(ImageWidth, ImageHeight);
  stage.Camera->SetFocalLength(160);   // a wide view: the grid spans 0.25 of the distance either side
  viewer.SetCamera(stage.Camera);
  viewer.GetBuffer()->SetBackgroundColor(Background);
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  viewer.GetSurface()->Repaint();
  std::unique_ptr<TBitmap> bmp = viewer.GetBuffer()->CreateSnapshot()->ToBitmap();
  ASSERT_EQ(bmp->Width(), ImageWidth);

  std::vector<uint8_t> rgb(size_t(ImageWidth) * ImageHeight * 3);
  for (int y = 0; y < ImageHeight; ++y)
    for (int x = 0; x < ImageWidth; ++x) {
      const TColor c = bmp->GetPixel(x, y);
      uint8_t* p = &rgb[(size_t(y) * ImageWidth + size_t(x)) * 3];
      p[0] = uint8_t(GetRValue(c));
      p[1] = uint8_t(GetGValue(c));
      p[2] = uint8_t(GetBValue(c));
    }
  EXPECT_TRUE(WritePng(std::string(ORRELO_TEST_OUTPUT) + "/parts-second-half.png", ImageWidth, ImageHeight, rgb));

  // Each cell shows its part: a good share of its pixels differ from the background, and
  // some of them are lit.
  const float pixelsPerUnit = (ImageHeight / 2.0f) / (0.25f * CameraDistance);
  const int half = int(0.45f * Cell * pixelsPerUnit);
  for (size_t i = 0; i < parts.size(); ++i) {
    const int cx = ImageWidth / 2 + int((x0 + Cell * float(i % Columns)) * pixelsPerUnit);
    const int cy = ImageHeight / 2 - int((y0 - Cell * float(i / Columns)) * pixelsPerUnit);
    int covered = 0, lit = 0, total = 0;
    for (int y = cy - half; y <= cy + half; ++y)
      for (int x = cx - half; x <= cx + half; ++x) {
        const TColor c = bmp->GetPixel(x, y);
        ++total;
        if (c != Background) {
          ++covered;
          lit += GetRValue(c) + GetGValue(c) + GetBValue(c) > 150;
        }
      }
    EXPECT_GT(covered, total / 50) << "part " << i << " does not show";
    EXPECT_GT(lit, covered / 10) << "part " << i << " is not lit";
  }
}

namespace {

// The same pulley drawn from both sides, as an open shape is.
class TTwoSidedPulley : public TVPulley {
public:
  using TVPulley::TVPulley;
  bool IsClosedSolid() const override { return false; }
};

// Pictures of the stage from six sides (four round the vertical axis, then top and bottom),
// 160 x 120 on the background; false without GL.
bool ShootSixSides(TStandardScene& stage, std::unique_ptr<TBitmap> (&shots)[6])
{
  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(160, 120);
  viewer.SetCamera(stage.Camera);
  viewer.GetBuffer()->SetBackgroundColor(Background);
  if (!viewer.GetSurface()->CreateContext())
    return false;
  for (int k = 0; k < 6; ++k) {
    stage.Camera->MoveAroundTarget(k < 4 ? 0 : 90 * (k == 4 ? 1 : -2), k < 4 ? 90 : 0);
    viewer.GetSurface()->Repaint();
    shots[k] = viewer.GetBuffer()->CreateSnapshot()->ToBitmap();
  }
  return true;
}

// How many pixels two pictures differ in, and how many of the second are not background.
std::pair<int, int> CompareShots(const TBitmap& a, const TBitmap& b)
{
  int differing = 0, lit = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      differing += a.GetPixel(x, y) != b.GetPixel(x, y);
      lit += b.GetPixel(x, y) != Background;
    }
  return {differing, lit};
}

}   // namespace

TEST(RenderParts, ClosedPulleysLookTheSameWithTheirBackFacesCulled)
{
  // A pulley is drawn with GLU's quadrics, which the recorder does not take apart: only real
  // pictures show whether culling its back faces loses a face. Seen from six sides, each
  // closed form must look exactly as when drawn from both sides. (A cup, one web with the
  // inner wall, is not closed: looking into it shows the web's back.)
  EXPECT_FALSE(TVPulley(nullptr, 0.5f, 0.4f, 0.3f, 30, 1, 1 | 2 | 4 | 16).IsClosedSolid());
  EXPECT_FALSE(TVPulley(nullptr, 0.5f, 0.4f, 0.3f, 30, 1, 11).IsClosedSolid());
  struct TForm {
    Byte Faces, Groove;
  };
  const TForm forms[] = {{15, 0}, {15, 1}, {19, 0}, {19, 1}, {31, 1}};
  for (const TForm& f : forms) {
    SCOPED_TRACE(int(f.Faces) * 10 + f.Groove);
    std::unique_ptr<TBitmap> shots[2][6];
    for (int twoSided = 0; twoSided < 2; ++twoSided) {
      TGLScene scene;
      TStandardScene stage = BuildStandardScene(scene);
      TGLMaterialLibrary lib;
      FillStandardMaterials(lib);
      std::unique_ptr<TVPulley> p = twoSided
                                        ? std::make_unique<TTwoSidedPulley>(nullptr, 0.5f, 0.4f, 0.3f, 30, 1, f.Faces)
                                        : std::make_unique<TVPulley>(nullptr, 0.5f, 0.4f, 0.3f, 30, 1, f.Faces);
      p->GrooveKind = f.Groove;
      p->Material = lib.LibMaterialByName("Brass")->Material;
      EXPECT_EQ(p->IsClosedSolid(), !twoSided);
      stage.SceneBase->AddChild(std::move(p));
      stage.Camera->Position.SetPoint(0.3f, 0.2f, 4);
      if (!ShootSixSides(stage, shots[twoSided]))
        GTEST_SKIP() << "no OpenGL context on this display";
    }
    for (int k = 0; k < 6; ++k) {
      auto [differing, lit] = CompareShots(*shots[0][k], *shots[1][k]);
      EXPECT_GT(lit, 500) << "view " << k;
      EXPECT_EQ(differing, 0) << "view " << k;
    }
  }
}

namespace {

// The same thread drawn from both sides.
class TTwoSidedScrew : public TScrew {
public:
  using TScrew::TScrew;
  bool IsClosedSolid() const override { return false; }
};

}   // namespace

TEST(RenderParts, OutsideThreadsOnTheirCoreLookTheSameWithTheirBackFacesCulled)
{
  // A thread whose ends are closed shows only its outer faces; its open underside lies on
  // the core. One whose start is left open, or a nut's inside thread, is not closed.
  TScrew openStart(nullptr, 0.2f, 0.05f, 0.1f, 0.1f, 6, 20);
  openStart.SetParts(ScrewParts({spEndCap}));
  EXPECT_FALSE(openStart.IsClosedSolid());
  TScrew inside(nullptr, 0.2f, 0.05f, 0.1f, 0.1f, 6, 20);
  inside.SetThreadStyle(true);
  EXPECT_FALSE(inside.IsClosedSolid());

  const TScrewParts forms[] = {ScrewParts({spEndCap, spRunIn}), ScrewParts({spRunIn, spRunOut}),
                               ScrewParts({spStartCap, spEndCap})};
  for (TScrewParts parts : forms) {
    SCOPED_TRACE(int(parts));
    std::unique_ptr<TBitmap> shots[2][6];
    for (int twoSided = 0; twoSided < 2; ++twoSided) {
      TGLScene scene;
      TStandardScene stage = BuildStandardScene(scene);
      TGLMaterialLibrary lib;
      FillStandardMaterials(lib);
      auto make = [&]() -> std::unique_ptr<TScrew> {
        if (twoSided)
          return std::make_unique<TTwoSidedScrew>(nullptr, 0.2f, 0.05f, 0.1f, 0.1f, 6, 20);
        return std::make_unique<TScrew>(nullptr, 0.2f, 0.05f, 0.1f, 0.1f, 6, 20);
      };
      std::unique_ptr<TScrew> s = make();
      s->SetParts(parts);
      s->Material = lib.LibMaterialByName("Brass")->Material;
      EXPECT_EQ(s->IsClosedSolid(), !twoSided);
      s->Position.SetPoint(-0.3f, 0, 0);
      // The core the thread winds round, along X as the thread is.
      auto core = std::make_unique<TCylinder>(nullptr);
      core->SetBottomRadius(0.2f);
      core->SetTopRadius(0.2f);
      core->SetHeight(0.9f);
      core->SetSlices(40);
      core->SetRollAngle(90);
      core->Material = lib.LibMaterialByName("Brass")->Material;
      stage.SceneBase->AddChild(std::move(s));
      stage.SceneBase->AddChild(std::move(core));
      stage.Camera->Position.SetPoint(0.3f, 0.4f, 3);
      if (!ShootSixSides(stage, shots[twoSided]))
        GTEST_SKIP() << "no OpenGL context on this display";
    }
    for (int k = 0; k < 6; ++k) {
      auto [differing, lit] = CompareShots(*shots[0][k], *shots[1][k]);
      EXPECT_GT(lit, 500) << "view " << k;
      // The core's facets are chords inside the thread's foot: a pixel may peek under it.
      EXPECT_LE(differing, lit / 200) << "view " << k;
    }
  }
}
