#include "engine/GLStandardScene.h"

#include <gtest/gtest.h>

#include "engine/GLContext.h"
#include "engine/GLRecorder.h"
#include "platform/BmpFile.h"
#include "platform/Files.h"
#include "platform/JpegImage.h"

namespace {

TEST(StandardMaterials, TwentyInTheirOrder)
{
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  const char* expected[] = {"Metal",      "Brass",   "DarkMetal", "DarkBrass", "Blue",     "BrightMetal", "Bronze",
                            "Red",        "Yellow",  "PaleWhite", "Green",     "HazelNut", "Muscle",      "PaleBlue",
                            "ShinyBrass", "VSMetal", "DarkBrown", "FaceBrown", "mtPink70", "mtOrange40"};
  ASSERT_EQ(lib.Materials.GetCount(), 20);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(lib.Materials.GetItem(i)->Name, expected[i]);
    const TGLFaceProperties& f = lib.Materials.GetItem(i)->Material.FrontProperties;
    EXPECT_GE(f.GetShininess(), 0);
    EXPECT_LE(f.GetShininess(), 128);
  }
  // Brass reads as brass: a warm yellow, red over green over blue, with a bright highlight.
  const TVector& brass = lib.Materials.GetItem(1)->Material.FrontProperties.Diffuse.GetColor();
  EXPECT_GT(brass[0], brass[1]);
  EXPECT_GT(brass[1], 3 * brass[2]);
  EXPECT_GT(lib.Materials.GetItem(14)->Material.FrontProperties.GetShininess(),
            lib.Materials.GetItem(1)->Material.FrontProperties.GetShininess());
}

TEST(StandardScene, RootHoldsFourLightsThenTheSceneBase)
{
  TGLScene scene;
  TStandardScene s = BuildStandardScene(scene);
  ASSERT_EQ(s.RootDC->GetCount(), 5);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(s.RootDC->GetChild(i), s.Lights[i]);
  EXPECT_EQ(s.RootDC->GetChild(4), s.SceneBase);
  EXPECT_EQ(s.SceneBase->Name, "SceneBase");
  EXPECT_EQ(s.Camera->GetTargetObject(), s.RootDC);
  EXPECT_EQ(s.Camera->GetDepthOfView(), 1000);
  EXPECT_EQ(s.Camera->GetFocalLength(), 200);
  EXPECT_EQ(scene.ActiveLights().size(), 4u);
  // Clearing the scene base leaves the stage.
  s.SceneBase->AddNewChild<TDummyCube>();
  s.SceneBase->DeleteChildren();
  EXPECT_EQ(s.RootDC->GetCount(), 5);
}

class TTexturedQuad : public TGLSceneObject {
public:
  using TGLSceneObject::TGLSceneObject;
  void BuildList(TRenderContextInfo&) override
  {
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, 0);
    glVertex3f(0, 0, 0);
    glTexCoord2f(1, 0);
    glVertex3f(1, 0, 0);
    glTexCoord2f(1, 1);
    glVertex3f(1, 1, 0);
    glTexCoord2f(0, 1);
    glVertex3f(0, 1, 0);
    glEnd();
  }
};

std::string OutputFile(const char* name) { return std::string(ORRELO_TEST_OUTPUT) + "/" + name; }

double ArgOf(const TGLRecorder& rec, const char* name, double pname, size_t index)
{
  for (const TGLCall& c : rec.Calls())
    if (c.Name == name && c.Args.size() > index && c.Args[1] == pname)
      return c.Args[index];
  return -1;
}

TEST(Textures, BmpAndJpegUploadOnceWithMipmaps)
{
  TBitmap pic(8, 4, TPixelFormat::pf24bit);
  pic.Fill(RGBColor(200, 100, 50));
  pic.SetPixel(0, 0, RGBColor(255, 0, 0));
  SaveBmpToFile(pic, OutputFile("texture.bmp"));
  TJPEGImage jpeg;
  jpeg.Assign(pic);
  jpeg.SaveToFile(OutputFile("texture.jpg"));

  for (const char* file : {"texture.bmp", "texture.jpg"}) {
    TGLRecorder rec;
    TDummyCube root;
    auto* quad = root.AddNewChild<TTexturedQuad>();
    TGLTexture& t = quad->Material.Texture;
    t.Image.LoadFromFile(OutputFile(file));
    EXPECT_EQ(t.Image.GetWidth(), 8);
    EXPECT_EQ(t.Image.GetHeight(), 4);
    t.SetDisabled(false);
    t.SetMinFilter(TGLMinFilter::miLinearMipmapNearest);
    t.SetTextureMode(TGLTextureMode::tmModulate);
    TRenderContextInfo rci;
    rci.Context = std::make_shared<TGLContextNames>();
    root.Render(rci);
    root.Render(rci);
    EXPECT_EQ(rec.Count("gluBuild2DMipmaps"), 1) << file;
    EXPECT_EQ(rec.LiveTextures(), 1);
    EXPECT_EQ(ArgOf(rec, "glTexParameteri", GL_TEXTURE_MIN_FILTER, 2), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(ArgOf(rec, "glTexEnvi", GL_TEXTURE_ENV_MODE, 2), GL_MODULATE);
    EXPECT_FALSE(rec.Enabled(GL_TEXTURE_2D));   // switched off again after the object
    EXPECT_EQ(rec.Problems(), "");
  }
  // The top-left pixel of the file is the last row GL receives.
  TGLPictureImage img;
  img.LoadFromFile(OutputFile("texture.bmp"));
  const auto& d = *img.Data();
  EXPECT_EQ(d.RGBA[size_t(3 * 8 * 4)], 255);
  EXPECT_EQ(d.RGBA[size_t(3 * 8 * 4 + 1)], 0);
}

TEST(Textures, BadFilesRaiseAndLeaveTheObjectUntextured)
{
  std::vector<uint8_t> junk = {'B', 'M', 1, 2, 3};
  WriteFileBytes(OutputFile("junk.bmp"), junk);
  WriteFileBytes(OutputFile("junk.txt"), {'h', 'e', 'l', 'l', 'o'});
  TGLTexture t;
  EXPECT_THROW(t.Image.LoadFromFile(OutputFile("junk.bmp")), EGLMaterialError);
  EXPECT_THROW(t.Image.LoadFromFile(OutputFile("junk.txt")), EGLMaterialError);
  EXPECT_THROW(t.Image.LoadFromFile(OutputFile("missing.bmp")), Exception);
  EXPECT_TRUE(t.Image.Empty());
  t.SetDisabled(false);
  EXPECT_FALSE(t.Enabled());
}

}   // namespace
