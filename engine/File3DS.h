// The 3DS model file: the chunk subset a mesh needs (objects with vertices, faces, face
// material groups, texture coordinates and local matrix; materials with colours,
// shininess and a texture map name). The file is untrusted: every chunk length is checked
// against its parent, every count against the bytes left and a cap, every index against
// its table; anything wrong raises E3DSError.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Base/VectorGeometry.h"
#include "platform/SysUtils.h"

class E3DSError : public Exception {
  using Exception::Exception;
};

// Chunk ids.
enum : uint16_t {
  C3DS_MAIN = 0x4D4D,
  C3DS_VERSION = 0x0002,
  C3DS_COLOR_F = 0x0010,
  C3DS_COLOR_24 = 0x0011,
  C3DS_LIN_COLOR_24 = 0x0012,
  C3DS_LIN_COLOR_F = 0x0013,
  C3DS_INT_PERCENTAGE = 0x0030,
  C3DS_FLOAT_PERCENTAGE = 0x0031,
  C3DS_EDITOR = 0x3D3D,
  C3DS_MESH_VERSION = 0x3D3E,
  C3DS_NAMED_OBJECT = 0x4000,
  C3DS_TRIANGLE_MESH = 0x4100,
  C3DS_VERTEX_LIST = 0x4110,
  C3DS_FACE_LIST = 0x4120,
  C3DS_FACE_MATERIAL = 0x4130,
  C3DS_TEXTURE_COORDS = 0x4140,
  C3DS_SMOOTH_GROUP = 0x4150,
  C3DS_LOCAL_MATRIX = 0x4160,
  C3DS_MATERIAL = 0xAFFF,
  C3DS_MAT_NAME = 0xA000,
  C3DS_MAT_AMBIENT = 0xA010,
  C3DS_MAT_DIFFUSE = 0xA020,
  C3DS_MAT_SPECULAR = 0xA030,
  C3DS_MAT_SHININESS = 0xA040,
  C3DS_MAT_TEXMAP = 0xA200,
  C3DS_MAT_MAPNAME = 0xA300,
  C3DS_KEYFRAMER = 0xB000
};

struct T3DSMaterial {
  std::string Name;
  TVector Ambient{0.2f, 0.2f, 0.2f, 1};
  TVector Diffuse{0.8f, 0.8f, 0.8f, 1};
  TVector Specular{0, 0, 0, 1};
  // Percent, 0 to 100.
  Integer Shininess = 0;
  // File name of the first texture map, empty when there is none.
  std::string TextureMap;
  friend bool operator==(const T3DSMaterial&, const T3DSMaterial&) = default;
};

// Faces drawn in one material (named; looked up in the file's materials).
struct T3DSFaceGroup {
  std::string MaterialName;
  std::vector<uint16_t> Faces;
  friend bool operator==(const T3DSFaceGroup&, const T3DSFaceGroup&) = default;
};

struct T3DSMesh {
  std::string Name;
  std::vector<TAffineVector> Vertices;
  std::vector<std::array<uint16_t, 3>> Faces;
  // One (s, t) per vertex, or none.
  std::vector<std::array<Single, 2>> TexCoords;
  std::vector<T3DSFaceGroup> MaterialGroups;
  // The object's frame as the file gives it. The vertices are already in model space, so
  // it is kept for information only.
  TMatrix LocalMatrix = IdentityHmgMatrix;
  friend bool operator==(const T3DSMesh&, const T3DSMesh&) = default;
};

struct T3DSModel {
  std::vector<T3DSMaterial> Materials;
  std::vector<T3DSMesh> Meshes;
  friend bool operator==(const T3DSModel&, const T3DSModel&) = default;
};

// Caps on what one file may hold, checked before anything is allocated.
struct T3DSLimits {
  static constexpr size_t MaxFileSize = size_t(64) << 20;
  static constexpr size_t MaxMeshes = 4096;
  static constexpr size_t MaxMaterials = 4096;
  // Vertices and faces of all meshes together.
  static constexpr size_t MaxTotalElements = size_t(8) << 20;
  static constexpr size_t MaxNameLength = 255;
  static constexpr int MaxDepth = 16;
};

// Reads a model from the bytes of a file. Unknown chunks are skipped.
T3DSModel Read3DS(const uint8_t* data, size_t size);
T3DSModel Read3DS(const std::vector<uint8_t>& bytes);
// Reads the file (resolved without regard to letter case); E3DSError when it cannot be read.
T3DSModel Read3DSFile(const std::string& fileName);
