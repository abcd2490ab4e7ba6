#include "engine/GLVectorFileObjects.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <unordered_map>

#include "platform/Files.h"

namespace {

std::string LowerExtension(const std::string& fileName)
{
  const size_t slash = fileName.find_last_of("/\\");
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "";
  std::string ext = fileName.substr(dot);
  for (char& c : ext)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string FolderOf(const std::string& fileName)
{
  const size_t slash = fileName.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

// How many face normals one load may weigh for its smooth corner normals. A corner weighs
// every face at its place, so a file that stacks thousands of faces on one place would cost
// the square of that; real models stay far below. Corners past the budget keep their face's
// own normal, so a hostile file loads (a little flat) instead of freezing the program.
constexpr size_t SmoothingBudget = size_t(1) << 25;

// Converts one mesh of the file: corners of every face with creased normals. `budget` is
// what is left of SmoothingBudget; `materialIndex` maps a material name to its first index.
TMeshObject ConvertMesh(const T3DSMesh& src, const std::unordered_map<std::string, Integer>& materialIndex,
                        size_t& budget)
{
  TMeshObject mesh;
  mesh.Name = src.Name;
  const size_t faces = src.Faces.size();
  // Vertices at the same place share normals even when the file splits them (texture seams).
  const size_t nv = src.Vertices.size();
  std::vector<size_t> order(nv);
  std::iota(order.begin(), order.end(), size_t(0));
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return src.Vertices[a] < src.Vertices[b]; });
  std::vector<size_t> place(nv, 0);
  for (size_t k = 1; k < nv; ++k)
    place[order[k]] = src.Vertices[order[k]] == src.Vertices[order[k - 1]] ? place[order[k - 1]] : k;
  if (nv)
    place[order[0]] = 0;
  // Each face's unit normal and the angle at each of its corners: corners weigh by their
  // angle, so the way a surface happens to be cut into triangles does not tilt its normals.
  std::vector<TAffineVector> faceNormals(faces);
  std::vector<std::array<Single, 3>> cornerAngles(faces);
  std::vector<std::vector<uint32_t>> incident(nv);
  for (size_t f = 0; f < faces; ++f) {
    const auto& idx = src.Faces[f];
    const TAffineVector p[3] = {src.Vertices[idx[0]], src.Vertices[idx[1]], src.Vertices[idx[2]]};
    faceNormals[f] = CalcPlaneNormal(p[0], p[1], p[2]);
    if (!std::isfinite(faceNormals[f][0]) || !std::isfinite(faceNormals[f][1]) || !std::isfinite(faceNormals[f][2]))
      faceNormals[f] = NullVector;
    for (size_t k = 0; k < 3; ++k) {
      const TAffineVector e1 = VectorNormalize(VectorSubtract(p[(k + 1) % 3], p[k]));
      const TAffineVector e2 = VectorNormalize(VectorSubtract(p[(k + 2) % 3], p[k]));
      cornerAngles[f][k] = ArcCos(VectorDotProduct(e1, e2));
      if (!std::isfinite(cornerAngles[f][k]))
        cornerAngles[f][k] = 0;
      incident[place[idx[k]]].push_back(uint32_t(3 * f + k));
    }
  }
  const Single crease = std::cos(DegToRad(TFreeForm::CreaseAngle));
  mesh.Vertices.reserve(faces * 3);
  mesh.Normals.reserve(faces * 3);
  const bool tex = !src.TexCoords.empty();
  for (size_t f = 0; f < faces; ++f)
    for (uint16_t i : src.Faces[f]) {
      const TAffineVector& own = faceNormals[f];
      const bool degenerate = !(VectorLength(own) > 0);
      TAffineVector sum = NullVector;
      const std::vector<uint32_t>& around = incident[place[i]];
      if (around.size() <= budget) {
        budget -= around.size();
        for (uint32_t corner : around) {
          const size_t g = corner / 3;
          if (degenerate || VectorDotProduct(own, faceNormals[g]) >= crease)
            sum = VectorAdd(sum, VectorScale(faceNormals[g], cornerAngles[g][corner % 3]));
        }
      }
      TAffineVector n = VectorLength(sum) > 1e-12f ? VectorNormalize(sum) : own;
      if (!(VectorLength(n) > 0))
        n = ZVector;
      mesh.Vertices.push_back(src.Vertices[i]);
      mesh.Normals.push_back(n);
      if (tex)
        mesh.TexCoords.push_back(src.TexCoords[i]);
    }
  // Faces go to the group of the first material that names them, the rest to the own one.
  std::vector<bool> taken(faces, false);
  for (const T3DSFaceGroup& g : src.MaterialGroups) {
    TFGVertexIndexList list;
    list.MaterialName = g.MaterialName;
    if (auto it = materialIndex.find(g.MaterialName); it != materialIndex.end())
      list.MaterialIndex = it->second;
    for (uint16_t f : g.Faces) {
      if (f >= faces || taken[f])
        continue;
      taken[f] = true;
      for (int k = 0; k < 3; ++k)
        list.VertexIndices.push_back(Integer(3 * f + size_t(k)));
    }
    if (!list.VertexIndices.empty())
      mesh.FaceGroups.push_back(std::move(list));
  }
  TFGVertexIndexList rest;
  for (size_t f = 0; f < faces; ++f)
    if (!taken[f])
      for (int k = 0; k < 3; ++k)
        rest.VertexIndices.push_back(Integer(3 * f + size_t(k)));
  if (!rest.VertexIndices.empty())
    mesh.FaceGroups.push_back(std::move(rest));
  return mesh;
}

}   // namespace

Integer TMeshObject::TriangleCount() const
{
  size_t n = 0;
  for (const auto& g : FaceGroups)
    n += g.VertexIndices.size() / 3;
  return Integer(n);
}

TFreeForm::TFreeForm(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

TFreeForm::~TFreeForm() = default;

void TFreeForm::Clear()
{
  FMeshObjects.clear();
  FFileMaterials.clear();
  FGroupsByMaterial.clear();
  FLoadFault.clear();
  StructureChanged();
}

bool TFreeForm::TryLoadFromFile(const std::string& fileName)
{
  try {
    LoadFromFile(fileName);
    FLoadFault.clear();
    return true;
  } catch (const Exception& e) {
    Clear();
    // The 3DS reader names the file already; the other faults get its name here.
    FLoadFault =
        e.Message.find(fileName) == std::string::npos && e.Message.find(ResolveFileName(fileName)) == std::string::npos
            ? fileName + ": " + e.Message
            : e.Message;
    return false;
  }
}

std::vector<std::string> ModelLoadFaults(const TGLBaseSceneObject* root)
{
  std::vector<std::string> faults;
  if (!root)
    return faults;
  if (const auto* form = dynamic_cast<const TFreeForm*>(root); form && !form->LoadFault().empty())
    faults.push_back(form->LoadFault());
  for (Integer i = 0; i < root->GetCount(); ++i) {
    std::vector<std::string> below = ModelLoadFaults(root->GetChild(i));
    faults.insert(faults.end(), below.begin(), below.end());
  }
  return faults;
}

void TFreeForm::LoadFromFile(const std::string& fileName)
{
  const std::string ext = LowerExtension(fileName);
  if (ext != ".3ds")
    throw EGLVectorFileError("Unknown vector file format: " + (ext.empty() ? fileName : ext));
  const std::string resolved = ResolveFileName(fileName);
  const T3DSModel model = Read3DSFile(resolved);
  LoadFrom3DS(model, FolderOf(resolved));
}

void TFreeForm::LoadFrom3DS(const T3DSModel& model, const std::string& textureFolder)
{
  // Build everything first, so a failure (a texture that cannot be read) leaves the old mesh.
  std::vector<std::unique_ptr<TGLLibMaterial>> materials;
  // Each picture is read once and its pixels shared: a file whose thousands of materials
  // name one large texture would otherwise decode it, and hold it, thousands of times.
  std::unordered_map<std::string, TGLPictureImage> pictures;
  for (const T3DSMaterial& m : model.Materials) {
    auto lm = std::make_unique<TGLLibMaterial>();
    lm->Name = m.Name;
    TGLFaceProperties& fp = lm->Material.FrontProperties;
    fp.Ambient.SetColor(m.Ambient);
    fp.Diffuse.SetColor(m.Diffuse);
    fp.Specular.SetColor(m.Specular);
    fp.SetShininess(SafeRound(m.Shininess * 1.28));
    if (!m.TextureMap.empty() && FileExists(textureFolder + m.TextureMap)) {
      TGLTexture& t = lm->Material.Texture;
      const std::string path = textureFolder + m.TextureMap;
      auto known = pictures.find(path);
      if (known == pictures.end()) {
        TGLPictureImage picture;
        picture.LoadFromFile(path);
        known = pictures.emplace(path, std::move(picture)).first;
      }
      t.Image = known->second;
      t.SetTextureMode(TGLTextureMode::tmModulate);
      t.SetMinFilter(TGLMinFilter::miLinearMipmapLinear);
      t.SetDisabled(false);
    }
    materials.push_back(std::move(lm));
  }
  // A name used twice means its first material, as the file's own tools read it.
  std::unordered_map<std::string, Integer> materialIndex;
  for (size_t m = 0; m < materials.size(); ++m)
    materialIndex.emplace(materials[m]->Name, Integer(m));
  size_t budget = SmoothingBudget;
  std::vector<TMeshObject> meshes;
  meshes.reserve(model.Meshes.size());
  for (const T3DSMesh& m : model.Meshes)
    meshes.push_back(ConvertMesh(m, materialIndex, budget));
  std::vector<std::vector<std::pair<uint32_t, uint32_t>>> byMaterial(materials.size() + 1);
  for (size_t m = 0; m < meshes.size(); ++m)
    for (size_t g = 0; g < meshes[m].FaceGroups.size(); ++g) {
      const Integer index = meshes[m].FaceGroups[g].MaterialIndex;
      const size_t slot = index >= 0 && size_t(index) < materials.size() ? size_t(index) + 1 : 0;
      byMaterial[slot].emplace_back(uint32_t(m), uint32_t(g));
    }
  FFileMaterials = std::move(materials);
  FMeshObjects = std::move(meshes);
  FGroupsByMaterial = std::move(byMaterial);
  StructureChanged();
}

const TMeshObject& TFreeForm::GetMeshObject(Integer index) const
{
  if (index < 0 || index >= MeshObjectCount())
    throw EGLSceneError("List index out of bounds (" + IntToStr(index) + ")");
  return FMeshObjects[size_t(index)];
}

const TGLLibMaterial& TFreeForm::GetFileMaterial(Integer index) const
{
  if (index < 0 || index >= FileMaterialCount())
    throw EGLSceneError("List index out of bounds (" + IntToStr(index) + ")");
  return *FFileMaterials[size_t(index)];
}

TAABB TFreeForm::BoundingBox() const
{
  TAABB box;
  bool first = true;
  for (const auto& m : FMeshObjects)
    for (const auto& v : m.Vertices) {
      for (size_t k = 0; k < 3; ++k) {
        box.Min[k] = first ? v[k] : std::min(box.Min[k], v[k]);
        box.Max[k] = first ? v[k] : std::max(box.Max[k], v[k]);
      }
      first = false;
    }
  return box;
}

void TFreeForm::DrawGroups(Integer materialIndex) const
{
  const size_t slot = size_t(materialIndex + 1);
  if (materialIndex < -1 || slot >= FGroupsByMaterial.size() || FGroupsByMaterial[slot].empty())
    return;
  glBegin(GL_TRIANGLES);
  for (const auto& [mi, gi] : FGroupsByMaterial[slot]) {
    const TMeshObject& m = FMeshObjects[mi];
    const bool tex = m.TexCoords.size() == m.Vertices.size();
    for (Integer i : m.FaceGroups[gi].VertexIndices) {
      if (i < 0 || size_t(i) >= m.Vertices.size())
        continue;
      glNormal3fv(m.Normals[size_t(i)].data());
      if (tex)
        glTexCoord2fv(m.TexCoords[size_t(i)].data());
      glVertex3fv(m.Vertices[size_t(i)].data());
    }
  }
  glEnd();
}

void TFreeForm::BuildList(TRenderContextInfo&) { DrawGroups(-1); }

void TFreeForm::RenderGeometry(TRenderContextInfo& rci)
{
  TGLSceneObject::RenderGeometry(rci);
  for (size_t m = 0; m < FFileMaterials.size(); ++m) {
    if (m + 1 >= FGroupsByMaterial.size() || FGroupsByMaterial[m + 1].empty())
      continue;
    TGLMaterial& mat = FFileMaterials[m]->Material;
    mat.Apply(rci);
    try {
      DrawGroups(Integer(m));
    } catch (...) {
      mat.UnApply(rci);
      throw;
    }
    mat.UnApply(rci);
  }
}
