#include "engine/GLMaterial.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/GLContext.h"
#include "platform/BmpFile.h"
#include "platform/Files.h"
#include "platform/Graphics.h"
#include "platform/JpegImage.h"

namespace {

void FaceColor(GLenum face, GLenum pname, const TGLColor& c) { glMaterialfv(face, pname, c.GetColor().data()); }

GLenum MinFilterEnum(TGLMinFilter f)
{
  switch (f) {
  case TGLMinFilter::miNearest: return GL_NEAREST;
  case TGLMinFilter::miLinear: return GL_LINEAR;
  case TGLMinFilter::miNearestMipmapNearest: return GL_NEAREST_MIPMAP_NEAREST;
  case TGLMinFilter::miLinearMipmapNearest: return GL_LINEAR_MIPMAP_NEAREST;
  case TGLMinFilter::miNearestMipmapLinear: return GL_NEAREST_MIPMAP_LINEAR;
  case TGLMinFilter::miLinearMipmapLinear: return GL_LINEAR_MIPMAP_LINEAR;
  }
  return GL_LINEAR;
}

GLint TextureModeEnum(TGLTextureMode m)
{
  switch (m) {
  case TGLTextureMode::tmDecal: return GL_DECAL;
  case TGLTextureMode::tmModulate: return GL_MODULATE;
  case TGLTextureMode::tmBlend: return GL_BLEND;
  case TGLTextureMode::tmReplace: return GL_REPLACE;
  }
  return GL_MODULATE;
}

}   // namespace

TVector ConvertWinColor(TColor c, Single alpha)
{
  TColor rgb = ColorToRGB(c);   // the program's one system-colour table
  return {GetRValue(rgb) / 255.0f, GetGValue(rgb) / 255.0f, GetBValue(rgb) / 255.0f, alpha};
}

void TGLColor::SetAsWinColor(TColor c) { FColor = ConvertWinColor(c, 1); }

TColor TGLColor::AsWinColor() const
{
  auto byte = [](Single v) { return std::clamp(SafeRound(double(v) * 255), 0, 255); };
  return RGBColor(byte(FColor[0]), byte(FColor[1]), byte(FColor[2]));
}

TGLFaceProperties::TGLFaceProperties()
    : Ambient(0.2f, 0.2f, 0.2f, 1), Diffuse(0.8f, 0.8f, 0.8f, 1), Specular(0, 0, 0, 1), Emission(0, 0, 0, 1)
{}

void TGLFaceProperties::SetShininess(Integer v) { FShininess = std::clamp<Integer>(v, 0, 128); }

void TGLFaceProperties::Apply(GLenum face) const
{
  FaceColor(face, GL_AMBIENT, Ambient);
  FaceColor(face, GL_DIFFUSE, Diffuse);
  FaceColor(face, GL_SPECULAR, Specular);
  FaceColor(face, GL_EMISSION, Emission);
  glMateriali(face, GL_SHININESS, FShininess);
}

// --- pictures ----------------------------------------------------------------------------

void TGLPictureImage::SetPixels(int32_t width, int32_t height, const std::vector<uint8_t>& rgbaTopDown)
{
  if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide
      || rgbaTopDown.size() != size_t(width) * size_t(height) * 4)
    throw EGLMaterialError("Invalid texture size");
  auto data = std::make_shared<TGLTextureImageData>();
  data->Width = width;
  data->Height = height;
  data->RGBA.resize(rgbaTopDown.size());
  size_t row = size_t(width) * 4;
  for (int32_t y = 0; y < height; ++y)
    std::copy_n(rgbaTopDown.data() + size_t(y) * row, row, data->RGBA.data() + size_t(height - 1 - y) * row);
  FData = std::move(data);
}

// --- textures ----------------------------------------------------------------------------

TGLTexture::TGLTexture(const TGLTexture& other)
    : Image(other.Image), FDisabled(other.FDisabled), FMinFilter(other.FMinFilter), FMagFilter(other.FMagFilter),
      FTextureMode(other.FTextureMode), FTextureWrap(other.FTextureWrap)
{}

TGLTexture& TGLTexture::operator=(const TGLTexture& other)
{
  if (this != &other) {
    Image = other.Image;
    FDisabled = other.FDisabled;
    FMinFilter = other.FMinFilter;
    FMagFilter = other.FMagFilter;
    FTextureMode = other.FTextureMode;
    FTextureWrap = other.FTextureWrap;
    FParamsChanged = true;
  }
  return *this;
}

TGLTexture::~TGLTexture() { ReleaseHandle(); }

void TGLTexture::ReleaseHandle()
{
  if (auto context = FHandleContext.lock())
    context->QueueTextureDeletion(FHandle);
  FHandle = 0;
  FHandleContext.reset();
  FUploaded = nullptr;
}

void TGLTexture::SetMinFilter(TGLMinFilter f)
{
  FMinFilter = f;
  FParamsChanged = true;
}

void TGLTexture::SetMagFilter(TGLMagFilter f)
{
  FMagFilter = f;
  FParamsChanged = true;
}

void TGLTexture::SetTextureWrap(TGLTextureWrap w)
{
  FTextureWrap = w;
  FParamsChanged = true;
}

void TGLTexture::Apply(TRenderContextInfo& rci)
{
  if (!Enabled())
    return;
  const TGLTextureImageData* img = Image.Data().get();
  if (FHandle && (!SameGLContext(FHandleContext, rci.Context) || FUploaded != img))
    ReleaseHandle();
  if (!FHandle) {
    glGenTextures(1, &FHandle);
    FHandleContext = rci.Context;
    glBindTexture(GL_TEXTURE_2D, FHandle);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // gluBuild2DMipmaps also scales the picture to powers of two, which GL 1.1 requires.
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, img->Width, img->Height, GL_RGBA, GL_UNSIGNED_BYTE, img->RGBA.data());
    FUploaded = img;
    FParamsChanged = true;
  } else {
    glBindTexture(GL_TEXTURE_2D, FHandle);
  }
  if (FParamsChanged) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(MinFilterEnum(FMinFilter)));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    FMagFilter == TGLMagFilter::maNearest ? GL_NEAREST : GL_LINEAR);
    bool wrapS = FTextureWrap == TGLTextureWrap::twBoth || FTextureWrap == TGLTextureWrap::twHorizontal;
    bool wrapT = FTextureWrap == TGLTextureWrap::twBoth || FTextureWrap == TGLTextureWrap::twVertical;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    FParamsChanged = false;
  }
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, TextureModeEnum(FTextureMode));
  glEnable(GL_TEXTURE_2D);
}

void TGLTexture::UnApply(TRenderContextInfo& rci)
{
  if (Enabled())
    glDisable(GL_TEXTURE_2D);
}

// --- materials ---------------------------------------------------------------------------

namespace {

// Colours and shininess of both faces in one row, as the frame's material cache holds them.
std::array<float, 34> FaceValues(const TGLFaceProperties& front, const TGLFaceProperties& back)
{
  std::array<float, 34> v{};
  size_t i = 0;
  for (const TGLFaceProperties* f : {&front, &back}) {
    for (const TGLColor* c : {&f->Ambient, &f->Diffuse, &f->Specular, &f->Emission})
      for (float x : c->GetColor())
        v[i++] = x;
    v[i++] = float(f->GetShininess());
  }
  return v;
}

}   // namespace

void TGLMaterial::Apply(TRenderContextInfo& rci)
{
  // Ten material calls per part add up over a chain's two hundred parts: GL re-validates
  // its lighting state after each. Skip them when the faces are what GL holds already.
  std::array<float, 34> faces = FaceValues(FrontProperties, BackProperties);
  if (!rci.AppliedFacesValid || faces != rci.AppliedFaces) {
    FrontProperties.Apply(GL_FRONT);
    BackProperties.Apply(GL_BACK);
    rci.AppliedFaces = faces;
    rci.AppliedFacesValid = true;
  }
  switch (FBlendingMode) {
  case TBlendingMode::bmOpaque: break;
  case TBlendingMode::bmTransparency:
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    break;
  case TBlendingMode::bmAdditive:
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    break;
  }
  Texture.Apply(rci);
}

void TGLMaterial::UnApply(TRenderContextInfo& rci)
{
  Texture.UnApply(rci);
  if (FBlendingMode != TBlendingMode::bmOpaque)
    glDisable(GL_BLEND);
}

// --- library -----------------------------------------------------------------------------

TGLLibMaterial* TGLLibMaterials::GetItem(Integer index) const
{
  if (index < 0 || index >= GetCount())
    throw EGLMaterialError("List index out of bounds (" + IntToStr(index) + ")");
  return FItems[size_t(index)].get();
}

TGLLibMaterial* TGLLibMaterials::Add()
{
  FItems.push_back(std::make_unique<TGLLibMaterial>());
  return FItems.back().get();
}

TGLLibMaterial* TGLLibMaterials::Add(const std::string& name)
{
  TGLLibMaterial* m = Add();
  m->Name = name;
  return m;
}

Integer TGLLibMaterials::IndexOf(const std::string& name) const
{
  std::string key = UpperCase(name);
  for (size_t i = 0; i < FItems.size(); ++i)
    if (UpperCase(FItems[i]->Name) == key)
      return Integer(i);
  return -1;
}

TGLLibMaterial* TGLLibMaterials::GetLibMaterialByName(const std::string& name) const
{
  Integer i = IndexOf(name);
  return i < 0 ? nullptr : FItems[size_t(i)].get();
}

void TGLPictureImage::LoadFromFile(const std::string& fileName)
{
  // Pictures are recognised by their first bytes, whatever the extension says.
  std::vector<uint8_t> bytes = ReadFileBytes(fileName, MaxFileBytes);
  TBitmap bmp;
  try {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
      LoadBmpFromBytes(bmp, bytes);
    } else if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
      TJPEGImage jpeg;
      jpeg.LoadFromBytes(bytes);
      if (jpeg.Width() > MaxSide || jpeg.Height() > MaxSide)
        throw EGLMaterialError("Texture too large: " + fileName);
      bmp = jpeg.Bitmap();
    } else {
      throw EGLMaterialError("Unknown picture format: " + fileName);
    }
  } catch (const EInvalidGraphic& e) {
    throw EGLMaterialError(e.Message + ": " + fileName);
  }
  int32_t w = bmp.Width(), h = bmp.Height();
  if (w <= 0 || h <= 0 || w > MaxSide || h > MaxSide)
    throw EGLMaterialError("Invalid texture size: " + fileName);
  bmp.SetPixelFormat(TPixelFormat::pf32bit);
  std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = bmp.ScanLine(y);
    uint8_t* dst = rgba.data() + size_t(y) * size_t(w) * 4;
    for (int32_t x = 0; x < w; ++x) {
      dst[x * 4] = src[x * 4 + 2];
      dst[x * 4 + 1] = src[x * 4 + 1];
      dst[x * 4 + 2] = src[x * 4];
      dst[x * 4 + 3] = 255;
    }
  }
  SetPixels(w, h, rgba);
}
