#include "engine/GLVectorFileObjects.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/BmpFile.h"
#include "platform/Files.h"
#include "tests/engine/ShapesTestUtil.h"
#include "tools/common/File3DSWriter.h"

namespace {

std::string OutFile(const std::string& name) { return std::string(ORRELO_TEST_OUTPUT) + "/" + name; }

// A unit cube of 8 shared vertices and 12 outward faces.
T3DSMesh CubeMesh()
{
  T3DSMesh m;
  m.Name = "cube";
  for (int i = 0; i < 8; ++i)
    m.Vertices.push_back({Single(i & 1), Single((i >> 1) & 1), Single((i >> 2) & 1)});
  const uint16_t q[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& f : q) {
    m.Faces.push_back({f[0], f[1], f[2]});
    m.Faces.push_back({f[0], f[2], f[3]});
  }
  return m;
}

// The side of a 32-sided prism: neighbouring faces meet at 11.25 degrees.
T3DSMesh TubeMesh()
{
  T3DSMesh m;
  m.Name = "tube";
  const int n = 32;
  for (int i = 0; i < n; ++i) {
    Single s, c;
    SinCos(2 * cPI * i / n, s, c);
    m.Vertices.push_back({c, 0, -s});
    m.Vertices.push_back({c, 1, -s});
  }
  for (int i = 0; i < n; ++i) {
    const uint16_t a = uint16_t(2 * i), b = uint16_t(2 * ((i + 1) % n));
    m.Faces.push_back({a, b, uint16_t(b + 1)});
    m.Faces.push_back({a, uint16_t(b + 1), uint16_t(a + 1)});
  }
  return m;
}

TEST(FreeForm, LoadsAMeshWithCreasedAndSmoothNormals)
{
  T3DSModel model;
  model.Meshes = {CubeMesh(), TubeMesh()};
  Write3DSFile(model, OutFile("shapes.3ds"));
  TFreeForm ff;
  ff.LoadFromFile(OutFile("SHAPES.3DS"));   // names resolve whatever their letter case
  ASSERT_EQ(ff.MeshObjectCount(), 2);
  const TMeshObject& cube = ff.GetMeshObject(0);
  EXPECT_EQ(cube.TriangleCount(), 12);
  // At the cube's edges faces meet at right angles: every corner keeps its face's normal.
  for (size_t i = 0; i < cube.Vertices.size(); i += 3) {
    const TAffineVector fn = CalcPlaneNormal(cube.Vertices[i], cube.Vertices[i + 1], cube.Vertices[i + 2]);
    for (size_t k = 0; k < 3; ++k)
      EXPECT_GT(VectorDotProduct(fn, cube.Normals[i + k]), 0.9999f);
  }
  // Round the tube the normals are shared: they point straight out from the axis.
  const TMeshObject& tube = ff.GetMeshObject(1);
  for (size_t i = 0; i < tube.Vertices.size(); ++i) {
    const TAffineVector radial = VectorNormalize(TAffineVector{tube.Vertices[i][0], 0, tube.Vertices[i][2]});
    EXPECT_GT(VectorDotProduct(radial, tube.Normals[i]), 0.9999f);
  }
  const TAABB box = ff.BoundingBox();
  EXPECT_FLOAT_EQ(box.Max[1], 1);
  EXPECT_FLOAT_EQ(box.Min[0], -1);
  // Drawn through the recorder: one sound triangle list, every triangle facing its normals.
  TGLRecorder rec;
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  ff.Render(rci);
  EXPECT_SOUND_STREAM(rec);
  EXPECT_EQ(rec.Count("glNewList"), 1);
  EXPECT_EQ(rec.VertexCount(), 3 * (12 + 64));
  EXPECT_EQ(MisWoundTriangles(RecordedTriangles(rec.Calls())), 0);
}

TEST(FreeForm, DegenerateFacesStillGetNormals)
{
  T3DSModel model;
  T3DSMesh m;
  m.Name = "flat";
  m.Vertices = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}};
  m.Faces = {{0, 1, 2}, {0, 0, 0}, {0, 1, 3}};
  model.Meshes = {m};
  TFreeForm ff;
  ff.LoadFrom3DS(model, "");
  TGLRecorder rec;
  RecordBuild(ff, rec);
  EXPECT_SOUND_STREAM(rec);
  EXPECT_EQ(rec.VertexCount(), 9);
}

TEST(FreeForm, FileMaterialsAndTheOwnMaterial)
{
  T3DSModel model;
  T3DSMaterial red;
  red.Name = "Red";
  red.Diffuse = {1, 0, 0, 1};
  red.Shininess = 50;
  red.TextureMap = "missing.bmp";   // not there: the material stays untextured
  model.Materials = {red};
  T3DSMesh m = CubeMesh();
  m.MaterialGroups = {{"Red", {0, 1}}, {"Nowhere", {2}}};
  model.Meshes = {m};
  TFreeForm ff;
  ff.LoadFrom3DS(model, std::string(ORRELO_TEST_OUTPUT) + "/");
  ASSERT_EQ(ff.FileMaterialCount(), 1);
  EXPECT_EQ(ff.GetFileMaterial(0).Material.FrontProperties.GetShininess(), 64);
  EXPECT_FALSE(ff.GetFileMaterial(0).Material.Texture.Enabled());
  const TMeshObject& mesh = ff.GetMeshObject(0);
  ASSERT_EQ(mesh.FaceGroups.size(), 3u);
  EXPECT_EQ(mesh.FaceGroups[0].MaterialIndex, 0);
  EXPECT_EQ(mesh.FaceGroups[0].VertexIndices.size(), 6u);
  EXPECT_EQ(mesh.FaceGroups[1].MaterialIndex, -1);   // a name the file does not define
  EXPECT_EQ(mesh.FaceGroups[2].VertexIndices.size(), 27u);
  // The own-material faces go through the list, the red ones after it in red.
  TGLRecorder rec;
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  ff.Render(rci);
  EXPECT_SOUND_STREAM(rec);
  bool redApplied = false;
  for (const auto& c : rec.Calls())
    if (c.Name == "glMaterialfv" && c.Args.size() >= 6 && c.Args[1] == GL_DIFFUSE && c.Args[2] == 1 && c.Args[3] == 0)
      redApplied = true;
  EXPECT_TRUE(redApplied);
  EXPECT_EQ(rec.VertexCount(), 36);
}

TEST(FreeForm, LoadFailuresKeepWhatWasLoaded)
{
  T3DSModel model;
  model.Meshes = {CubeMesh()};
  TFreeForm ff;
  ff.LoadFrom3DS(model, "");
  EXPECT_THROW(ff.LoadFromFile(OutFile("model.obj")), EGLVectorFileError);
  EXPECT_THROW(ff.LoadFromFile(OutFile("not there.3ds")), E3DSError);
  WriteFileBytes(OutFile("broken.3ds"), {0x4D, 0x4D, 0xFF, 0xFF, 0, 0, 1, 2});
  try {
    ff.LoadFromFile(OutFile("broken.3ds"));
    ADD_FAILURE() << "no error";
  } catch (const E3DSError& e) {
    EXPECT_NE(e.Message.find("broken.3ds"), std::string::npos);
  }
  EXPECT_EQ(ff.MeshObjectCount(), 1);
  ff.Clear();
  EXPECT_EQ(ff.MeshObjectCount(), 0);
  EXPECT_THROW(ff.GetMeshObject(0), EGLSceneError);
}

// A hostile file may stack the greatest number of faces a mesh can hold on one triangle
// (and on one point): loading must still finish, each corner with a usable normal, rather
// than weigh every face at a place for every corner there (square of 65535 per place).
TEST(FreeForm, FacesStackedOnOnePlaceLoadWithUsableNormals)
{
  T3DSModel model;
  T3DSMesh stacked;
  stacked.Name = "stacked";
  stacked.Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  stacked.Faces.assign(65535, {0, 1, 2});
  T3DSMesh point;
  point.Name = "point";
  point.Vertices = {{0, 0, 0}};
  point.Faces.assign(65535, {0, 0, 0});
  model.Meshes = {stacked, point};
  TFreeForm ff;
  ff.LoadFrom3DS(model, "");
  ASSERT_EQ(ff.MeshObjectCount(), 2);
  const TMeshObject& a = ff.GetMeshObject(0);
  ASSERT_EQ(a.Normals.size(), 3u * 65535);
  for (size_t k = 0; k < a.Normals.size(); k += 997)
    EXPECT_NEAR(a.Normals[k][2], 1, 1e-5) << k;   // the triangle faces +Z
  EXPECT_NEAR(a.Normals.back()[2], 1, 1e-5);
  const TMeshObject& b = ff.GetMeshObject(1);
  ASSERT_EQ(b.Normals.size(), 3u * 65535);
  EXPECT_NEAR(VectorLength(b.Normals.front()), 1, 1e-5);
  EXPECT_NEAR(VectorLength(b.Normals.back()), 1, 1e-5);
}

// Two materials of one name: faces naming it take the first, as before any map was used.
TEST(FreeForm, ADuplicatedMaterialNameMeansTheFirst)
{
  T3DSModel model;
  T3DSMaterial first, second, other;
  first.Name = second.Name = "Steel";
  second.Diffuse = {0, 0, 1, 1};
  other.Name = "Brass";
  model.Materials = {other, first, second};
  T3DSMesh m = CubeMesh();
  m.MaterialGroups = {{"Steel", {0, 1}}, {"Brass", {2}}};
  model.Meshes = {m};
  TFreeForm ff;
  ff.LoadFrom3DS(model, "");
  const TMeshObject& mesh = ff.GetMeshObject(0);
  ASSERT_EQ(mesh.FaceGroups.size(), 3u);
  EXPECT_EQ(mesh.FaceGroups[0].MaterialIndex, 1);
  EXPECT_EQ(mesh.FaceGroups[1].MaterialIndex, 0);
  EXPECT_EQ(mesh.FaceGroups[2].MaterialIndex, -1);
  // Every face drawn once: two in Steel, one in Brass, the rest in the own material.
  TGLRecorder rec;
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  ff.Render(rci);
  EXPECT_SOUND_STREAM(rec);
  EXPECT_EQ(rec.VertexCount(), 36);
  int begins = 0;
  for (const auto& c : rec.Calls())
    begins += c.Name == "glBegin";
  EXPECT_EQ(begins, 3);
}

// Materials naming one texture share its pixels: read and held once, not once per material.
TEST(FreeForm, MaterialsNamingOneTextureShareItsPicture)
{
  TBitmap pic(4, 2, TPixelFormat::pf24bit);
  pic.Fill(RGBColor(10, 200, 30));
  SaveBmpToFile(pic, OutFile("shared texture.bmp"));
  T3DSModel model;
  for (const char* name : {"a", "b", "c"}) {
    T3DSMaterial m;
    m.Name = name;
    m.TextureMap = std::string(name) == "b" ? "missing.bmp" : "shared texture.bmp";
    model.Materials.push_back(m);
  }
  model.Meshes = {CubeMesh()};
  TFreeForm ff;
  ff.LoadFrom3DS(model, std::string(ORRELO_TEST_OUTPUT) + "/");
  ASSERT_EQ(ff.FileMaterialCount(), 3);
  const TGLTexture& a = ff.GetFileMaterial(0).Material.Texture;
  const TGLTexture& c = ff.GetFileMaterial(2).Material.Texture;
  ASSERT_TRUE(a.Enabled());
  ASSERT_TRUE(c.Enabled());
  EXPECT_FALSE(ff.GetFileMaterial(1).Material.Texture.Enabled());
  EXPECT_EQ(a.Image.Data(), c.Image.Data());
  EXPECT_EQ(a.Image.GetWidth(), 4);
  EXPECT_EQ(a.GetTextureMode(), TGLTextureMode::tmModulate);
}

}   // namespace
