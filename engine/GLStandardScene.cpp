#include "engine/GLStandardScene.h"

const char* const StandardMaterialNames[20] = {"Metal",       "Brass",     "DarkMetal", "DarkBrass", "Blue",
                                               "BrightMetal", "Bronze",    "Red",       "Yellow",    "PaleWhite",
                                               "Green",       "HazelNut",  "Muscle",    "PaleBlue",  "ShinyBrass",
                                               "VSMetal",     "DarkBrown", "FaceBrown", "mtPink70",  "mtOrange40"};

namespace {

struct TMaterialSpec {
  float Ambient[3];
  float Diffuse[3];
  float Specular[3];
  int Shininess;
};

// Chosen to read clearly under the four standard lights: metals grey with a hard highlight,
// brasses yellow-gold with a warm one, paints saturated with a soft one, wood and skin matt.
constexpr TMaterialSpec Specs[20] = {
    {{0.22f, 0.22f, 0.24f}, {0.55f, 0.56f, 0.59f}, {0.70f, 0.70f, 0.72f}, 60},    // Metal
    {{0.33f, 0.22f, 0.03f}, {0.78f, 0.57f, 0.11f}, {0.99f, 0.91f, 0.81f}, 28},    // Brass
    {{0.10f, 0.10f, 0.11f}, {0.30f, 0.30f, 0.33f}, {0.50f, 0.50f, 0.52f}, 50},    // DarkMetal
    {{0.20f, 0.13f, 0.02f}, {0.50f, 0.35f, 0.08f}, {0.60f, 0.53f, 0.38f}, 25},    // DarkBrass
    {{0.05f, 0.08f, 0.25f}, {0.15f, 0.27f, 0.80f}, {0.50f, 0.50f, 0.60f}, 40},    // Blue
    {{0.30f, 0.30f, 0.31f}, {0.76f, 0.76f, 0.79f}, {0.95f, 0.95f, 0.95f}, 90},    // BrightMetal
    {{0.21f, 0.13f, 0.05f}, {0.71f, 0.43f, 0.18f}, {0.39f, 0.27f, 0.17f}, 26},    // Bronze
    {{0.25f, 0.03f, 0.03f}, {0.80f, 0.10f, 0.10f}, {0.60f, 0.50f, 0.50f}, 40},    // Red
    {{0.25f, 0.24f, 0.03f}, {0.90f, 0.83f, 0.10f}, {0.60f, 0.60f, 0.50f}, 40},    // Yellow
    {{0.30f, 0.30f, 0.29f}, {0.85f, 0.85f, 0.82f}, {0.30f, 0.30f, 0.30f}, 20},    // PaleWhite
    {{0.03f, 0.20f, 0.05f}, {0.15f, 0.62f, 0.20f}, {0.40f, 0.50f, 0.40f}, 30},    // Green
    {{0.20f, 0.12f, 0.06f}, {0.58f, 0.37f, 0.19f}, {0.20f, 0.15f, 0.10f}, 10},    // HazelNut
    {{0.25f, 0.06f, 0.06f}, {0.70f, 0.22f, 0.20f}, {0.40f, 0.30f, 0.30f}, 15},    // Muscle
    {{0.15f, 0.20f, 0.30f}, {0.55f, 0.70f, 0.90f}, {0.40f, 0.40f, 0.50f}, 30},    // PaleBlue
    {{0.33f, 0.22f, 0.03f}, {0.86f, 0.66f, 0.16f}, {1.00f, 1.00f, 0.90f}, 90},    // ShinyBrass
    {{0.20f, 0.20f, 0.22f}, {0.50f, 0.50f, 0.55f}, {1.00f, 1.00f, 1.00f}, 120},   // VSMetal
    {{0.10f, 0.05f, 0.02f}, {0.35f, 0.20f, 0.08f}, {0.15f, 0.10f, 0.05f}, 10},    // DarkBrown
    {{0.25f, 0.16f, 0.10f}, {0.72f, 0.50f, 0.32f}, {0.20f, 0.15f, 0.10f}, 10},    // FaceBrown
    {{0.30f, 0.15f, 0.20f}, {0.95f, 0.55f, 0.68f}, {0.40f, 0.40f, 0.40f}, 30},    // mtPink70
    {{0.30f, 0.15f, 0.02f}, {0.95f, 0.50f, 0.08f}, {0.45f, 0.40f, 0.35f}, 30},    // mtOrange40
};

struct TLightSpec {
  const char* Name;
  float Position[3];
  float Diffuse;
  float Specular;
};

// A key light high at the front left, a fill at the front right, a rim light behind and a
// weak one from below so that undersides never go black.
constexpr TLightSpec LightSpecs[4] = {
    {"Light1", {-10, 12, 15}, 0.75f, 0.80f},
    {"Light2", {12, 5, 10}, 0.40f, 0.30f},
    {"Light3", {4, 10, -15}, 0.35f, 0.45f},
    {"Light4", {-5, -15, 6}, 0.25f, 0.10f},
};

}   // namespace

void FillStandardMaterials(TGLMaterialLibrary& library)
{
  for (int i = 0; i < 20; ++i) {
    const TMaterialSpec& s = Specs[i];
    TGLLibMaterial* m = library.Materials.Add(StandardMaterialNames[i]);
    for (TGLFaceProperties* f : {&m->Material.FrontProperties, &m->Material.BackProperties}) {
      f->Ambient.SetColor(s.Ambient[0], s.Ambient[1], s.Ambient[2], 1);
      f->Diffuse.SetColor(s.Diffuse[0], s.Diffuse[1], s.Diffuse[2], 1);
      f->Specular.SetColor(s.Specular[0], s.Specular[1], s.Specular[2], 1);
      f->SetShininess(s.Shininess);
    }
  }
}

TStandardScene BuildStandardScene(TGLScene& scene)
{
  TStandardScene r;
  r.RootDC = scene.Objects()->AddNewChild<TDummyCube>();
  r.RootDC->Name = "RootDC";
  for (int i = 0; i < 4; ++i) {
    const TLightSpec& s = LightSpecs[i];
    TGLLightSource* l = r.RootDC->AddNewChild<TGLLightSource>();
    l->Name = s.Name;
    l->Position.SetPoint(s.Position[0], s.Position[1], s.Position[2]);
    l->Diffuse.SetColor(s.Diffuse, s.Diffuse, s.Diffuse, 1);
    l->Specular.SetColor(s.Specular, s.Specular, s.Specular, 1);
    l->Ambient.SetColor(0, 0, 0, 1);
    r.Lights[i] = l;
  }
  r.SceneBase = r.RootDC->AddNewChild<TDummyCube>();
  r.SceneBase->Name = "SceneBase";
  r.Camera = scene.Objects()->AddNewChild<TGLCamera>();
  r.Camera->Name = "GLCamera";
  r.Camera->SetTargetObject(r.RootDC);
  r.Camera->SetDepthOfView(1000);
  r.Camera->SetFocalLength(200);
  r.Camera->Position.SetPoint(0, 0, 10);
  return r;
}
