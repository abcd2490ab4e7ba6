// Meshes loaded from model files: TFreeForm holds mesh objects, each a triangle list split
// into face groups, a group drawn in a material of the file or, where the file brings
// none, in the free form's own Material.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/File3DS.h"
#include "engine/GLScene.h"

class EGLVectorFileError : public Exception {
  using Exception::Exception;
};

// Triangles drawn in one material: every three entries of VertexIndices are a triangle
// (indices into the mesh's corner arrays).
class TFGVertexIndexList {
public:
  std::vector<Integer> VertexIndices;
  // Index into the free form's file materials, or -1 for the free form's own material.
  Integer MaterialIndex = -1;
  std::string MaterialName;
};

// One mesh: corners of its triangles with their normals (worked out at load, creased
// where faces meet at a sharp angle) and, when the file has them, texture coordinates.
class TMeshObject {
public:
  std::string Name;
  std::vector<TAffineVector> Vertices;
  std::vector<TAffineVector> Normals;
  std::vector<std::array<Single, 2>> TexCoords;   // empty or one per vertex
  std::vector<TFGVertexIndexList> FaceGroups;
  Integer TriangleCount() const;
};

class TFreeForm : public TGLSceneObject {
public:
  explicit TFreeForm(TGLBaseSceneObject* AOwner = nullptr);
  ~TFreeForm() override;

  // Faces meeting at more than this angle (degrees) keep separate normals at shared corners.
  static constexpr Single CreaseAngle = 60;

  // Reads the model, by the file's extension (".3ds"), replacing what was loaded. Textures
  // that the file's materials name are looked up beside the file; a missing one leaves
  // that material untextured. E3DSError for a bad 3DS file, EGLVectorFileError for a
  // format we do not read.
  void LoadFromFile(const std::string& fileName);
  // The same for a model that is one part of a scene: a file that cannot be read leaves the
  // free form empty and keeps the fault (naming the file) in LoadFault instead of raising,
  // so the rest of the scene is built around it and the faults reported once it stands
  // (ModelLoadFaults). Gives whether the model was loaded.
  bool TryLoadFromFile(const std::string& fileName);
  // Why the last TryLoadFromFile failed; empty after a load that worked or a Clear.
  const std::string& LoadFault() const { return FLoadFault; }
  // Takes a model already read; textureFolder is where its texture names are looked up.
  void LoadFrom3DS(const T3DSModel& model, const std::string& textureFolder);
  void Clear();

  Integer MeshObjectCount() const { return static_cast<Integer>(FMeshObjects.size()); }
  const TMeshObject& GetMeshObject(Integer index) const;   // throws EGLSceneError
  Integer FileMaterialCount() const { return static_cast<Integer>(FFileMaterials.size()); }
  const TGLLibMaterial& GetFileMaterial(Integer index) const;   // throws EGLSceneError
  // Smallest box holding every vertex (zero box when empty).
  TAABB BoundingBox() const;

  void BuildList(TRenderContextInfo& rci) override;

protected:
  // Own-material groups go through the display list; file-material groups are drawn in
  // their materials after it.
  void RenderGeometry(TRenderContextInfo& rci) override;

private:
  void DrawGroups(Integer materialIndex) const;

  std::vector<TMeshObject> FMeshObjects;
  std::vector<std::unique_ptr<TGLLibMaterial>> FFileMaterials;
  // For each material index + 1 (0: the own material) the (mesh, group) pairs drawn in it,
  // so a frame visits every group once however many materials the file has.
  std::vector<std::vector<std::pair<uint32_t, uint32_t>>> FGroupsByMaterial;
  std::string FLoadFault;
};

// The load faults of every free form in the tree under root (root included), in tree order.
std::vector<std::string> ModelLoadFaults(const TGLBaseSceneObject* root);
