#include "tools/common/File3DSWriter.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"

namespace {

// Little-endian bytes with chunks whose lengths are filled in when they close.
class TChunkWriter {
public:
  std::vector<uint8_t> Bytes;

  void U8(uint8_t v) { Bytes.push_back(v); }
  void U16(uint16_t v)
  {
    U8(uint8_t(v));
    U8(uint8_t(v >> 8));
  }
  void U32(uint32_t v)
  {
    U16(uint16_t(v));
    U16(uint16_t(v >> 16));
  }
  void F32(Single v)
  {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
  }
  void Str(const std::string& s)
  {
    Bytes.insert(Bytes.end(), s.begin(), s.end());
    U8(0);
  }
  size_t Begin(uint16_t id)
  {
    const size_t at = Bytes.size();
    U16(id);
    U32(0);
    return at;
  }
  void End(size_t at)
  {
    const uint32_t len = uint32_t(Bytes.size() - at);
    for (int k = 0; k < 4; ++k)
      Bytes[at + 2 + size_t(k)] = uint8_t(len >> (8 * k));
  }
  void Colour(uint16_t id, const TVector& c)
  {
    const size_t at = Begin(id);
    const size_t sub = Begin(C3DS_COLOR_F);
    F32(c[0]);
    F32(c[1]);
    F32(c[2]);
    End(sub);
    End(at);
  }
};

void CheckName(const std::string& name, const char* what)
{
  if (name.size() > T3DSLimits::MaxNameLength || name.find('\0') != std::string::npos)
    throw E3DSError(std::string("Cannot store the ") + what + " name \"" + name + "\"");
}

void WriteMaterial(TChunkWriter& w, const T3DSMaterial& m)
{
  CheckName(m.Name, "material");
  const size_t at = w.Begin(C3DS_MATERIAL);
  const size_t name = w.Begin(C3DS_MAT_NAME);
  w.Str(m.Name);
  w.End(name);
  w.Colour(C3DS_MAT_AMBIENT, m.Ambient);
  w.Colour(C3DS_MAT_DIFFUSE, m.Diffuse);
  w.Colour(C3DS_MAT_SPECULAR, m.Specular);
  const size_t shin = w.Begin(C3DS_MAT_SHININESS);
  const size_t pct = w.Begin(C3DS_INT_PERCENTAGE);
  w.U16(uint16_t(std::max<Integer>(0, std::min<Integer>(100, m.Shininess))));
  w.End(pct);
  w.End(shin);
  if (!m.TextureMap.empty()) {
    CheckName(m.TextureMap, "texture map");
    const size_t map = w.Begin(C3DS_MAT_TEXMAP);
    const size_t strength = w.Begin(C3DS_INT_PERCENTAGE);
    w.U16(100);
    w.End(strength);
    const size_t file = w.Begin(C3DS_MAT_MAPNAME);
    w.Str(m.TextureMap);
    w.End(file);
    w.End(map);
  }
  w.End(at);
}

void WriteMesh(TChunkWriter& w, const T3DSMesh& mesh)
{
  CheckName(mesh.Name, "object");
  if (mesh.Vertices.size() > 0xFFFF || mesh.Faces.size() > 0xFFFF)
    throw E3DSError("Mesh \"" + mesh.Name + "\" has more than 65535 vertices or faces");
  if (!mesh.TexCoords.empty() && mesh.TexCoords.size() != mesh.Vertices.size())
    throw E3DSError("Mesh \"" + mesh.Name + "\" needs one texture coordinate per vertex");
  for (const auto& f : mesh.Faces)
    for (uint16_t i : f)
      if (i >= mesh.Vertices.size())
        throw E3DSError("Mesh \"" + mesh.Name + "\" has a face index out of range");
  const size_t obj = w.Begin(C3DS_NAMED_OBJECT);
  w.Str(mesh.Name);
  const size_t tri = w.Begin(C3DS_TRIANGLE_MESH);
  const size_t verts = w.Begin(C3DS_VERTEX_LIST);
  w.U16(uint16_t(mesh.Vertices.size()));
  for (const auto& v : mesh.Vertices) {
    w.F32(v[0]);
    w.F32(v[1]);
    w.F32(v[2]);
  }
  w.End(verts);
  if (!mesh.TexCoords.empty()) {
    const size_t tex = w.Begin(C3DS_TEXTURE_COORDS);
    w.U16(uint16_t(mesh.TexCoords.size()));
    for (const auto& t : mesh.TexCoords) {
      w.F32(t[0]);
      w.F32(t[1]);
    }
    w.End(tex);
  }
  const size_t mat = w.Begin(C3DS_LOCAL_MATRIX);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      w.F32(mesh.LocalMatrix[size_t(r)][size_t(c)]);
  w.End(mat);
  const size_t faces = w.Begin(C3DS_FACE_LIST);
  w.U16(uint16_t(mesh.Faces.size()));
  for (const auto& f : mesh.Faces) {
    w.U16(f[0]);
    w.U16(f[1]);
    w.U16(f[2]);
    w.U16(7);   // all three edges visible
  }
  for (const T3DSFaceGroup& g : mesh.MaterialGroups) {
    CheckName(g.MaterialName, "material");
    if (g.Faces.size() > 0xFFFF)
      throw E3DSError("Mesh \"" + mesh.Name + "\" has a material group of more than 65535 faces");
    const size_t grp = w.Begin(C3DS_FACE_MATERIAL);
    w.Str(g.MaterialName);
    w.U16(uint16_t(g.Faces.size()));
    for (uint16_t f : g.Faces) {
      if (f >= mesh.Faces.size())
        throw E3DSError("Mesh \"" + mesh.Name + "\" has a material group face out of range");
      w.U16(f);
    }
    w.End(grp);
  }
  w.End(faces);
  w.End(tri);
  w.End(obj);
}

}   // namespace

std::vector<uint8_t> Write3DS(const T3DSModel& model)
{
  TChunkWriter w;
  const size_t main = w.Begin(C3DS_MAIN);
  const size_t version = w.Begin(C3DS_VERSION);
  w.U32(3);
  w.End(version);
  const size_t editor = w.Begin(C3DS_EDITOR);
  const size_t meshVersion = w.Begin(C3DS_MESH_VERSION);
  w.U32(3);
  w.End(meshVersion);
  for (const T3DSMaterial& m : model.Materials)
    WriteMaterial(w, m);
  for (const T3DSMesh& mesh : model.Meshes)
    WriteMesh(w, mesh);
  w.End(editor);
  w.End(main);
  return std::move(w.Bytes);
}

void Write3DSFile(const T3DSModel& model, const std::string& fileName) { WriteFileBytes(fileName, Write3DS(model)); }
