// The generated content beside the program: the committed files load with our own readers,
// fit the scenes that use them, and are exactly what the generator writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "engine/File3DS.h"
#include "engine/GLObjects.h"
#include "engine/GLVectorFileObjects.h"
#include "platform/BmpFile.h"
#include "platform/Files.h"
#include "platform/JpegImage.h"
#include "tests/topics/PulleyTopicsTestSupport.h"
#include "topics/Arms.h"
#include "topics/Hammers.h"
#include "topics/NutcrackerObjects.h"
#include "topics/Nutcrackers.h"

namespace {

// The repository's content folder: tests/data's grandparent holds it.
const std::string ContentDir =
    std::filesystem::path(ORRELO_TEST_DATA).parent_path().parent_path().string() + "/content/";
const std::string ModelFolder = ContentDir + "3DS/";

const char* const GeneratedFiles[] = {
    "3DS/Arm_01.3ds", "3DS/Arm_02.3ds",  "3DS/Arm_03.3ds",           "3DS/nut.3ds",
    "3DS/nut.bmp",    "3DS/ashwood.jpg", "HTML/images/Splash_B.jpg", "HTML/images/Splash_NB.jpg"};

std::vector<TAffineVector> Vertices(const std::string& file)
{
  std::vector<TAffineVector> all;
  for (const T3DSMesh& m : Read3DSFile(ModelFolder + file).Meshes)
    all.insert(all.end(), m.Vertices.begin(), m.Vertices.end());
  return all;
}

TAABB Bounds(const std::vector<TAffineVector>& v)
{
  TAABB box{v.front(), v.front()};
  for (const auto& p : v)
    for (size_t k = 0; k < 3; ++k) {
      box.Min[k] = std::min(box.Min[k], p[k]);
      box.Max[k] = std::max(box.Max[k], p[k]);
    }
  return box;
}

// Six times the volume the faces enclose: positive when every closed piece faces outwards.
double SignedVolume(const T3DSMesh& m)
{
  double v = 0;
  for (const auto& f : m.Faces) {
    const TAffineVector &a = m.Vertices[f[0]], &b = m.Vertices[f[1]], &c = m.Vertices[f[2]];
    v += double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1])
         - double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0])
         + double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0]);
  }
  return v;
}

// Even-odd test of a point against a closed outline in the XY plane.
bool InsideOutline(const std::vector<TAffineVector>& poly, Single x, Single y)
{
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const TAffineVector &a = poly[i], &b = poly[j];
    if ((a[1] > y) != (b[1] > y) && x < a[0] + (y - a[1]) * (b[0] - a[0]) / (b[1] - a[1]))
      in = !in;
  }
  return in;
}

// How many of the nut's corners (grown by `grow` about its centre) lie inside either arm of
// the nutcracker scene as posed: the arm's section is its lower edge, notches and teeth
// included, closed by its back, through the arm's thickness.
int NutCornersInsideTheArms(TDummyCube* base, Single grow)
{
  auto* nut = static_cast<TFreeForm*>(base->GetChild(4));
  auto* cracker = static_cast<TNutCracker*>(base->GetChild(0)->GetChild(0));
  std::vector<TAffineVector> section = TNutCracker::LowerOutline();
  for (size_t i = section.size(); i-- > 0;)
    section.push_back({section[i][0], TNutCracker::BackHeight(section[i][0]), 0});
  // The upper arm draws in its group's frame; the lower one is the proxy's copy of it.
  TMatrix toUpper = cracker->AbsoluteMatrix();
  TMatrix toLower = MatrixMultiply(cracker->LocalMatrix(), base->GetChild(1)->AbsoluteMatrix());
  InvertMatrix(toUpper);
  InvertMatrix(toLower);
  // The section's box: a point outside it is outside the section, without walking the outline.
  TAffineVector low = section[0], high = section[0];
  for (const TAffineVector& q : section)
    for (size_t k = 0; k < 2; ++k) {
      low[k] = std::min(low[k], q[k]);
      high[k] = std::max(high[k], q[k]);
    }
  const TMatrix nutToWorld = nut->AbsoluteMatrix();
  const TAABB box = nut->BoundingBox();
  int inside = 0;
  for (const TAffineVector& v : nut->GetMeshObject(0).Vertices) {
    TAffineVector p = v;
    for (size_t k = 0; k < 3; ++k)
      p[k] = (box.Min[k] + box.Max[k]) / 2 + grow * (v[k] - (box.Min[k] + box.Max[k]) / 2);
    const TAffineVector world = VectorTransform(p, nutToWorld);
    for (const TMatrix* m : {&toUpper, &toLower}) {
      const TAffineVector l = VectorTransform(world, *m);
      if (std::fabs(l[2]) < cracker->Thickness / 2 && l[0] >= low[0] && l[0] <= high[0] && l[1] >= low[1]
          && l[1] <= high[1] && InsideOutline(section, l[0], l[1]))
        ++inside;
    }
  }
  return inside;
}

TEST(ContentTest, ModelsLoadIntoFreeForms)
{
  for (const char* name : {"Arm_01.3ds", "Arm_02.3ds", "Arm_03.3ds", "nut.3ds"}) {
    SCOPED_TRACE(name);
    TFreeForm form;
    ASSERT_NO_THROW(form.LoadFromFile(ModelFolder + name));
    ASSERT_EQ(form.MeshObjectCount(), 1);
    const TMeshObject& mesh = form.GetMeshObject(0);
    // Small meshes in the free form's own material.
    EXPECT_GT(mesh.TriangleCount(), 200);
    EXPECT_LE(mesh.TriangleCount(), 4000);
    EXPECT_EQ(form.FileMaterialCount(), 0);
    for (const auto& g : mesh.FaceGroups)
      EXPECT_EQ(g.MaterialIndex, -1);
    for (const auto& n : mesh.Normals)
      ASSERT_NEAR(VectorLength(n), 1, 1e-3);
    const T3DSModel model = Read3DSFile(ModelFolder + name);
    EXPECT_GT(SignedVolume(model.Meshes[0]), 0);
  }
}

TEST(ContentTest, PicturesDecode)
{
  TBitmap shell;
  ASSERT_NO_THROW(LoadBmpFromFile(shell, ModelFolder + "nut.bmp"));
  EXPECT_EQ(shell.Width(), 128);
  EXPECT_EQ(shell.Height(), 128);
  struct TExpected {
    const char* Path;
    int32_t Width, Height;
    size_t MaxBytes;
  };
  for (const TExpected& e :
       {TExpected{"3DS/ashwood.jpg", 512, 256, 80000}, TExpected{"HTML/images/Splash_B.jpg", 480, 300, 60000},
        TExpected{"HTML/images/Splash_NB.jpg", 400, 240, 60000}}) {
    SCOPED_TRACE(e.Path);
    EXPECT_LE(std::filesystem::file_size(ContentDir + e.Path), e.MaxBytes);
    TJPEGImage jpeg;
    ASSERT_NO_THROW(jpeg.LoadFromFile(ContentDir + e.Path));
    const TBitmap& bmp = jpeg.Bitmap();
    EXPECT_EQ(bmp.Width(), e.Width);
    EXPECT_EQ(bmp.Height(), e.Height);
    EXPECT_FALSE(jpeg.Grayscale());
  }
}

TEST(ContentTest, BonesFitTheForearmScene)
{
  // The upper arm rises from the elbow past the biceps' shoulder end (0.2, 5.25) and keeps
  // clear of the muscle's belly, which swells round x 0.8 down to y 1.25.
  const std::vector<TAffineVector> upper = Vertices("Arm_01.3ds");
  const TAABB u = Bounds(upper);
  EXPECT_NEAR(u.Min[1], -0.26, 0.05);
  EXPECT_GT(u.Max[1], 5.3);
  EXPECT_LT(u.Max[1], 6.0);
  EXPECT_LT(u.Max[0], 0.35);
  for (const auto& p : upper) {
    if (p[1] > 1.0f && p[1] < 5.0f) {
      ASSERT_LT(p[0], 0.45f);
    }
  }
  // The elbow's roller is centred on the turning axis.
  EXPECT_NEAR(u.Min[2] + u.Max[2], 0, 0.05);

  // The forearm reaches from behind the elbow to the wrist at 4.0, stays behind the effort
  // arrow (z 0.38) and carries the tuberosity up to the biceps' end at (0.6, 0.45).
  const std::vector<TAffineVector> fore = Vertices("Arm_02.3ds");
  const TAABB f = Bounds(fore);
  EXPECT_LT(f.Min[0], -0.3);
  EXPECT_GT(f.Max[0], 3.8);
  EXPECT_LE(f.Max[0], 4.0);
  EXPECT_LT(f.Max[2], 0.38);
  double nearest = 1e9;
  for (const auto& p : fore)
    nearest = std::min(nearest, std::hypot(p[0] - 0.6, p[1] - 0.45));
  EXPECT_LT(nearest, 0.08);

  // The hand starts at the wrist and lies under the weight, whose base is at y 0.1 from
  // x 0.6 to 2.0 and z -0.9 to 0.5; only the fingertips curl up past its far edge.
  const std::vector<TAffineVector> hand = Vertices("Arm_03.3ds");
  const TAABB h = Bounds(hand);
  EXPECT_GT(h.Min[0], -0.1);
  EXPECT_LT(h.Max[0], 2.4);
  for (const auto& p : hand) {
    if (p[0] > 0.6f && p[0] < 1.98f && p[2] > -0.9f && p[2] < 0.5f) {
      ASSERT_LE(p[1], 0.1f) << p[0] << " " << p[2];
    }
  }
}

TEST(ContentTest, NutSitsBetweenTheJaws)
{
  const T3DSModel model = Read3DSFile(ModelFolder + "nut.3ds");
  ASSERT_EQ(model.Meshes.size(), 1u);
  const T3DSMesh& m = model.Meshes[0];
  ASSERT_EQ(m.TexCoords.size(), m.Vertices.size());
  for (const auto& t : m.TexCoords) {
    ASSERT_GE(t[0], 0);
    ASSERT_LE(t[0], 1);
    ASSERT_GE(t[1], 0);
    ASSERT_LE(t[1], 1);
  }
  const TAABB b = Bounds(m.Vertices);
  for (size_t k = 0; k < 3; ++k)
    EXPECT_NEAR(b.Min[k] + b.Max[k], 0, 0.03) << k;
  // No longer than the small-nut notch is wide (0.195).
  EXPECT_LT(b.Max[0] - b.Min[0], 0.195);

  // Over the whole stroke the jaws' teeth stay outside the shell; closed (phase 90, arms at
  // 5 degrees) they hold it: a shell 4% larger would be bitten into.
  TSceneFixture f;
  BuildNutCrackerScene(f.Get(), &f.Lib, ModelFolder, false);
  ASSERT_EQ(static_cast<TFreeForm*>(f->GetChild(4))->MeshObjectCount(), 1);
  for (Single phase = 0; phase <= 180; phase += 2.5f) {
    AnimateNutCrackerScene(f.Get(), false, phase);
    ASSERT_EQ(NutCornersInsideTheArms(f.Get(), 1), 0) << "phase " << phase;
  }
  AnimateNutCrackerScene(f.Get(), false, 90);
  EXPECT_GT(NutCornersInsideTheArms(f.Get(), 1.04f), 0);
  AnimateNutCrackerScene(f.Get(), false, 60);
  EXPECT_EQ(NutCornersInsideTheArms(f.Get(), 1.04f), 0);
}

TEST(ContentTest, ScenesTakeTheContent)
{
  {
    TSceneFixture f;
    BuildArmScene(f.Get(), &f.Lib, ModelFolder, false);
    for (Integer i = 0; i < 3; ++i)
      EXPECT_EQ(static_cast<TFreeForm*>(f->GetChild(i))->MeshObjectCount(), 1) << i;
  }
  {
    TSceneFixture f;
    BuildNutCrackerScene(f.Get(), &f.Lib, ModelFolder, false);
    auto* nut = static_cast<TFreeForm*>(f->GetChild(4));
    EXPECT_EQ(nut->MeshObjectCount(), 1);
    EXPECT_TRUE(nut->Material.Texture.Enabled());
  }
  {
    TSceneFixture f;
    BuildClawHammerScene(f.Get(), &f.Lib, ModelFolder);
    EXPECT_TRUE(static_cast<TCube*>(f->GetChild(5))->Material.Texture.Enabled());
  }
}

TEST(ContentTest, GeneratorReproducesTheCommittedFiles)
{
  const std::string tool = ExeFolder() + "make-content";
  if (!FileExists(tool))
    GTEST_SKIP() << "make-content is not built beside the tests";
  const std::string out = std::string(ORRELO_TEST_OUTPUT) + "/content-remade";
  std::filesystem::remove_all(out);
  ASSERT_EQ(std::system(("\"" + tool + "\" \"" + out + "\"").c_str()), 0);
  for (const char* name : GeneratedFiles) {
    SCOPED_TRACE(name);
    const auto made = ReadFileBytes(out + "/" + name, size_t(1) << 20);
    const auto committed = ReadFileBytes(ContentDir + name, size_t(1) << 20);
    EXPECT_TRUE(made == committed) << "remake with make-content (see content/README.md)";
  }
}

}   // namespace
