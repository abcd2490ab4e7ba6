// Materials and textures: colours of the front and back faces, shininess, an optional
// texture, and the named material library the scenes take their materials from by index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLRenderContextInfo.h"
#include "engine/OpenGL1x.h"
#include "platform/SysUtils.h"
#include "platform/Types.h"

class EGLMaterialError : public Exception {
  using Exception::Exception;
};

// An RGBA colour of four Singles.
class TGLColor {
public:
  TGLColor() = default;
  TGLColor(Single r, Single g, Single b, Single a = 1) : FColor{r, g, b, a} {}
  void SetColor(Single r, Single g, Single b, Single a = 1) { FColor = {r, g, b, a}; }
  void SetColor(const TVector& c) { FColor = c; }
  const TVector& GetColor() const { return FColor; }
  Single GetRed() const { return FColor[0]; }
  Single GetGreen() const { return FColor[1]; }
  Single GetBlue() const { return FColor[2]; }
  Single GetAlpha() const { return FColor[3]; }
  void SetAlpha(Single a) { FColor[3] = a; }
  // From and to a TColor (system colours through the platform's fixed table); alpha 1.
  void SetAsWinColor(TColor c);
  TColor AsWinColor() const;
  friend bool operator==(const TGLColor&, const TGLColor&) = default;

private:
  TVector FColor{0, 0, 0, 1};
};

// The RGB of a TColor, system colours resolved, as Singles 0..1 with alpha 1.
TVector ConvertWinColor(TColor c, Single alpha = 1);

class TGLFaceProperties {
public:
  TGLFaceProperties();
  TGLColor Ambient;
  TGLColor Diffuse;
  TGLColor Specular;
  TGLColor Emission;
  Integer GetShininess() const { return FShininess; }
  // Clamped to 0..128, the range GL accepts.
  void SetShininess(Integer v);
  void Apply(GLenum face) const;
  friend bool operator==(const TGLFaceProperties&, const TGLFaceProperties&) = default;

private:
  Integer FShininess = 0;
};

enum class TGLMinFilter : uint8_t {
  miNearest,
  miLinear,
  miNearestMipmapNearest,
  miLinearMipmapNearest,
  miNearestMipmapLinear,
  miLinearMipmapLinear
};
enum class TGLMagFilter : uint8_t { maNearest, maLinear };
enum class TGLTextureMode : uint8_t { tmDecal, tmModulate, tmBlend, tmReplace };
enum class TGLTextureWrap : uint8_t { twBoth, twNone, twVertical, twHorizontal };
enum class TBlendingMode : uint8_t { bmOpaque, bmTransparency, bmAdditive };

// Pixels of a texture, RGBA, rows bottom-up as GL takes them. Immutable once made, so
// materials copied from one library entry share it.
struct TGLTextureImageData {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> RGBA;
};

// The picture of a texture, loaded from a file (BMP or JPEG, recognised by content).
class TGLPictureImage {
public:
  // Largest side we upload; bigger pictures are refused rather than exhaust memory.
  static constexpr int32_t MaxSide = 8192;
  static constexpr size_t MaxFileBytes = size_t(64) << 20;
  // BMP or JPEG, told apart by content. EFOpenError/EReadError when the file cannot be
  // read, EGLMaterialError when it is no picture we know or too large.
  void LoadFromFile(const std::string& fileName);
  // Pixels given directly (RGBA, rows top-down); throws on a bad size.
  void SetPixels(int32_t width, int32_t height, const std::vector<uint8_t>& rgbaTopDown);
  void Clear() { FData.reset(); }
  bool Empty() const { return !FData; }
  int32_t GetWidth() const { return FData ? FData->Width : 0; }
  int32_t GetHeight() const { return FData ? FData->Height : 0; }
  const std::shared_ptr<const TGLTextureImageData>& Data() const { return FData; }

private:
  std::shared_ptr<const TGLTextureImageData> FData;
};

class TGLTexture {
public:
  TGLTexture() = default;
  // A copy shares the picture but uploads it into its own GL texture.
  TGLTexture(const TGLTexture& other);
  TGLTexture& operator=(const TGLTexture& other);
  ~TGLTexture();

  TGLPictureImage Image;
  bool GetDisabled() const { return FDisabled; }
  void SetDisabled(bool v) { FDisabled = v; }
  TGLMinFilter GetMinFilter() const { return FMinFilter; }
  void SetMinFilter(TGLMinFilter f);
  TGLMagFilter GetMagFilter() const { return FMagFilter; }
  void SetMagFilter(TGLMagFilter f);
  TGLTextureMode GetTextureMode() const { return FTextureMode; }
  void SetTextureMode(TGLTextureMode m) { FTextureMode = m; }
  TGLTextureWrap GetTextureWrap() const { return FTextureWrap; }
  void SetTextureWrap(TGLTextureWrap w);
  // Whether Apply will texture: enabled and holding a picture.
  bool Enabled() const { return !FDisabled && !Image.Empty(); }

  void Apply(TRenderContextInfo& rci);
  void UnApply(TRenderContextInfo& rci);
  GLuint Handle() const { return FHandle; }

private:
  void ReleaseHandle();

  bool FDisabled = true;
  TGLMinFilter FMinFilter = TGLMinFilter::miLinearMipmapLinear;
  TGLMagFilter FMagFilter = TGLMagFilter::maLinear;
  TGLTextureMode FTextureMode = TGLTextureMode::tmDecal;
  TGLTextureWrap FTextureWrap = TGLTextureWrap::twBoth;
  GLuint FHandle = 0;
  std::weak_ptr<TGLContextNames> FHandleContext;    // the context the handle lives in
  const TGLTextureImageData* FUploaded = nullptr;   // which picture the handle holds
  bool FParamsChanged = true;
};

class TGLMaterial {
public:
  TGLFaceProperties FrontProperties;
  TGLFaceProperties BackProperties;
  TGLTexture Texture;
  TBlendingMode GetBlendingMode() const { return FBlendingMode; }
  void SetBlendingMode(TBlendingMode m) { FBlendingMode = m; }
  void Assign(const TGLMaterial& src) { *this = src; }

  // Sets the GL state for an object drawn in this material, and restores it after.
  void Apply(TRenderContextInfo& rci);
  void UnApply(TRenderContextInfo& rci);

private:
  TBlendingMode FBlendingMode = TBlendingMode::bmOpaque;
};

class TGLLibMaterial {
public:
  std::string Name;
  TGLMaterial Material;
};

class TGLLibMaterials {
public:
  // Throws EGLMaterialError for an index outside 0..Count-1.
  TGLLibMaterial* GetItem(Integer index) const;
  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  TGLLibMaterial* Add();
  TGLLibMaterial* Add(const std::string& name);
  // First material of that name (case-insensitive), or null.
  TGLLibMaterial* GetLibMaterialByName(const std::string& name) const;
  Integer IndexOf(const std::string& name) const;
  void Clear() { FItems.clear(); }

private:
  std::vector<std::unique_ptr<TGLLibMaterial>> FItems;
};

class TGLMaterialLibrary {
public:
  explicit TGLMaterialLibrary(void* AOwner = nullptr) {}
  TGLLibMaterials Materials;
  // Shortcut for Materials.GetLibMaterialByName.
  TGLLibMaterial* LibMaterialByName(const std::string& name) const { return Materials.GetLibMaterialByName(name); }
};
