#include "engine/File3DS.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/Files.h"

namespace {

std::string Hex(uint16_t id)
{
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%04X", unsigned(id));
  return buf;
}

// Reads values from [Pos, End) of the file, never past End.
struct TCursor {
  const uint8_t* Pos;
  const uint8_t* End;

  size_t Left() const { return size_t(End - Pos); }
  void Need(size_t n, const char* what) const
  {
    if (Left() < n)
      throw E3DSError(std::string("Truncated 3DS file: ") + what + " runs past its chunk");
  }
  uint8_t U8()
  {
    Need(1, "a byte");
    return *Pos++;
  }
  uint16_t U16()
  {
    Need(2, "a word");
    const uint16_t v = uint16_t(Pos[0] | (Pos[1] << 8));
    Pos += 2;
    return v;
  }
  uint32_t U32()
  {
    Need(4, "a double word");
    const uint32_t v = uint32_t(Pos[0]) | (uint32_t(Pos[1]) << 8) | (uint32_t(Pos[2]) << 16) | (uint32_t(Pos[3]) << 24);
    Pos += 4;
    return v;
  }
  Single F32()
  {
    const uint32_t u = U32();
    Single f;
    std::memcpy(&f, &u, 4);
    return f;
  }
  Single FiniteF32(const char* what)
  {
    const Single f = F32();
    if (!std::isfinite(f))
      throw E3DSError(std::string("Bad 3DS file: ") + what + " is not a finite number");
    return f;
  }
  std::string CStr(const char* what)
  {
    const size_t limit = std::min(Left(), T3DSLimits::MaxNameLength + 1);
    const void* nul = std::memchr(Pos, 0, limit);
    if (!nul)
      throw E3DSError(std::string("Bad 3DS file: ") + what + " is unterminated or too long");
    std::string s(reinterpret_cast<const char*>(Pos), size_t(static_cast<const uint8_t*>(nul) - Pos));
    Pos = static_cast<const uint8_t*>(nul) + 1;
    return s;
  }
  // The count of elements of `size` bytes that follow, checked against the bytes left.
  size_t Count(size_t count, size_t size, const char* what) const
  {
    if (count > Left() / size)
      throw E3DSError(std::string("Bad 3DS file: ") + what + " count " + IntToStr(int64_t(count))
                      + " exceeds the chunk");
    return count;
  }
};

struct TChunk {
  uint16_t Id;
  TCursor Data;   // the chunk's contents after its header
};

class TReader {
public:
  T3DSModel Model;

  void ReadMain(const uint8_t* data, size_t size)
  {
    TCursor all{data, data + size};
    if (size < 6)
      throw E3DSError("Not a 3DS file: too short");
    // The first chunk's id before its length: any other file's bytes would read as a main
    // chunk of some absurd length, and be called a cut-short 3DS file.
    if (uint16_t(data[0] | data[1] << 8) != C3DS_MAIN)
      throw E3DSError("Not a 3DS file: the main chunk is missing");
    TChunk main = Next(all, 0);
    ForEach(main.Data, 1, [&](TChunk& c) {
      if (c.Id == C3DS_EDITOR)
        ReadEditor(c.Data, 2);
    });
  }

private:
  size_t FElements = 0;

  // The next chunk at the cursor, checked against the cursor's end; the cursor moves past it.
  static TChunk Next(TCursor& parent, int depth)
  {
    if (depth > T3DSLimits::MaxDepth)
      throw E3DSError("Bad 3DS file: chunks nested too deeply");
    parent.Need(6, "a chunk header");
    const uint16_t id = parent.U16();
    const uint32_t len = parent.U32();
    if (len < 6)
      throw E3DSError("Bad 3DS file: chunk " + Hex(id) + " has the impossible length " + IntToStr(len));
    if (len - 6 > parent.Left() && depth == 0)
      throw E3DSError("Truncated 3DS file: it ends " + IntToStr(int64_t(len - 6 - parent.Left()))
                      + " bytes before its main chunk does");
    if (len - 6 > parent.Left())
      throw E3DSError("Bad 3DS file: chunk " + Hex(id) + " runs past its parent");
    TChunk c{id, {parent.Pos, parent.Pos + (len - 6)}};
    parent.Pos += len - 6;
    return c;
  }

  template <class F>
  static void ForEach(TCursor cur, int depth, F&& f)
  {
    while (cur.Left() > 0) {
      TChunk c = Next(cur, depth);
      f(c);
    }
  }

  void Reserve(size_t n)
  {
    if (n > T3DSLimits::MaxTotalElements - FElements)
      throw E3DSError("Bad 3DS file: more vertices and faces than a model may hold");
    FElements += n;
  }

  void ReadEditor(TCursor cur, int depth)
  {
    ForEach(cur, depth, [&](TChunk& c) {
      if (c.Id == C3DS_MATERIAL) {
        if (Model.Materials.size() >= T3DSLimits::MaxMaterials)
          throw E3DSError("Bad 3DS file: too many materials");
        Model.Materials.push_back(ReadMaterial(c.Data, depth + 1));
      } else if (c.Id == C3DS_NAMED_OBJECT) {
        ReadNamedObject(c.Data, depth + 1);
      }
    });
  }

  static TVector ReadColour(TCursor cur, int depth, TVector def)
  {
    bool found = false;
    ForEach(cur, depth, [&](TChunk& c) {
      if (found)
        return;
      auto clamp = [](Single v) { return std::isfinite(v) ? std::clamp<Single>(v, 0, 1) : 0.f; };
      if (c.Id == C3DS_COLOR_F || c.Id == C3DS_LIN_COLOR_F) {
        for (int k = 0; k < 3; ++k)
          def[size_t(k)] = clamp(c.Data.F32());
        found = true;
      } else if (c.Id == C3DS_COLOR_24 || c.Id == C3DS_LIN_COLOR_24) {
        for (int k = 0; k < 3; ++k)
          def[size_t(k)] = c.Data.U8() / 255.f;
        found = true;
      }
    });
    return def;
  }

  static Integer ReadPercent(TCursor cur, int depth, Integer def)
  {
    ForEach(cur, depth, [&](TChunk& c) {
      if (c.Id == C3DS_INT_PERCENTAGE)
        def = std::clamp<Integer>(Integer(int16_t(c.Data.U16())), 0, 100);
      else if (c.Id == C3DS_FLOAT_PERCENTAGE)
        def = std::clamp<Integer>(SafeRound(c.Data.F32()), 0, 100);
    });
    return def;
  }

  static T3DSMaterial ReadMaterial(TCursor cur, int depth)
  {
    T3DSMaterial m;
    ForEach(cur, depth, [&](TChunk& c) {
      switch (c.Id) {
      case C3DS_MAT_NAME: m.Name = c.Data.CStr("a material name"); break;
      case C3DS_MAT_AMBIENT: m.Ambient = ReadColour(c.Data, depth + 1, m.Ambient); break;
      case C3DS_MAT_DIFFUSE: m.Diffuse = ReadColour(c.Data, depth + 1, m.Diffuse); break;
      case C3DS_MAT_SPECULAR: m.Specular = ReadColour(c.Data, depth + 1, m.Specular); break;
      case C3DS_MAT_SHININESS: m.Shininess = ReadPercent(c.Data, depth + 1, m.Shininess); break;
      case C3DS_MAT_TEXMAP:
        ForEach(c.Data, depth + 1, [&](TChunk& t) {
          if (t.Id == C3DS_MAT_MAPNAME && m.TextureMap.empty())
            m.TextureMap = t.Data.CStr("a texture map name");
        });
        break;
      default: break;
      }
    });
    return m;
  }

  void ReadNamedObject(TCursor cur, int depth)
  {
    const std::string name = cur.CStr("an object name");
    ForEach(cur, depth, [&](TChunk& c) {
      if (c.Id != C3DS_TRIANGLE_MESH)
        return;   // lights and cameras are not ours to draw
      if (Model.Meshes.size() >= T3DSLimits::MaxMeshes)
        throw E3DSError("Bad 3DS file: too many objects");
      T3DSMesh mesh;
      mesh.Name = name;
      ReadMesh(c.Data, depth + 1, mesh);
      Model.Meshes.push_back(std::move(mesh));
    });
  }

  void ReadMesh(TCursor cur, int depth, T3DSMesh& mesh)
  {
    ForEach(cur, depth, [&](TChunk& c) {
      TCursor& d = c.Data;
      switch (c.Id) {
      case C3DS_VERTEX_LIST: {
        const size_t n = d.Count(d.U16(), 12, "vertex");
        Reserve(n);
        mesh.Vertices.resize(n);
        for (auto& v : mesh.Vertices)
          for (auto& x : v)
            x = d.FiniteF32("a vertex coordinate");
        break;
      }
      case C3DS_FACE_LIST: {
        const size_t n = d.Count(d.U16(), 8, "face");
        Reserve(n);
        mesh.Faces.resize(n);
        for (auto& f : mesh.Faces) {
          f = {d.U16(), d.U16(), d.U16()};
          d.U16();   // edge flags
        }
        ForEach(d, depth + 1, [&](TChunk& g) {
          if (g.Id != C3DS_FACE_MATERIAL)
            return;
          T3DSFaceGroup group;
          group.MaterialName = g.Data.CStr("a face material name");
          const size_t count = g.Data.Count(g.Data.U16(), 2, "material face");
          group.Faces.resize(count);
          for (auto& f : group.Faces) {
            f = g.Data.U16();
            if (f >= mesh.Faces.size())
              throw E3DSError("Bad 3DS file: material \"" + group.MaterialName + "\" names face " + IntToStr(f) + " of "
                              + IntToStr(int64_t(mesh.Faces.size())));
          }
          mesh.MaterialGroups.push_back(std::move(group));
        });
        break;
      }
      case C3DS_TEXTURE_COORDS: {
        const size_t n = d.Count(d.U16(), 8, "texture coordinate");
        Reserve(n);
        mesh.TexCoords.resize(n);
        for (auto& t : mesh.TexCoords) {
          t[0] = d.FiniteF32("a texture coordinate");
          t[1] = d.FiniteF32("a texture coordinate");
        }
        break;
      }
      case C3DS_LOCAL_MATRIX: {
        TMatrix m = IdentityHmgMatrix;
        for (int r = 0; r < 4; ++r)
          for (int k = 0; k < 3; ++k)
            m[size_t(r)][size_t(k)] = d.FiniteF32("a matrix element");
        mesh.LocalMatrix = m;
        break;
      }
      default: break;
      }
    });
    for (const auto& f : mesh.Faces)
      for (uint16_t i : f)
        if (i >= mesh.Vertices.size())
          throw E3DSError("Bad 3DS file: object \"" + mesh.Name + "\" has a face naming vertex " + IntToStr(i) + " of "
                          + IntToStr(int64_t(mesh.Vertices.size())));
    // Texture coordinates only make sense one per vertex.
    if (mesh.TexCoords.size() != mesh.Vertices.size())
      mesh.TexCoords.clear();
  }
};

}   // namespace

T3DSModel Read3DS(const uint8_t* data, size_t size)
{
  if (!data && size)
    throw E3DSError("Not a 3DS file");
  if (size > T3DSLimits::MaxFileSize)
    throw E3DSError("3DS file too large");
  TReader r;
  r.ReadMain(data, size);
  return std::move(r.Model);
}

T3DSModel Read3DS(const std::vector<uint8_t>& bytes) { return Read3DS(bytes.data(), bytes.size()); }

T3DSModel Read3DSFile(const std::string& fileName)
{
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadFileBytes(fileName, T3DSLimits::MaxFileSize);
  } catch (const Exception& e) {
    throw E3DSError("Cannot read the 3DS file " + fileName + ": " + e.Message);
  }
  try {
    return Read3DS(bytes);
  } catch (const E3DSError& e) {
    throw E3DSError(fileName + ": " + e.Message);
  }
}
