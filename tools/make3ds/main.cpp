// Writes a sample mesh as a 3DS file: "make3ds FILE [cube|prism]". The cube carries a
// coloured material and texture coordinates; the prism is a hexagonal bar in the file's
// default material. Used for test seeds and as the start of the content generator.
#include <cstdio>
#include <string>

#include "tools/common/File3DSWriter.h"

namespace {

T3DSModel Cube()
{
  T3DSModel m;
  T3DSMaterial brass;
  brass.Name = "Brass";
  brass.Ambient = {0.33f, 0.22f, 0.03f, 1};
  brass.Diffuse = {0.78f, 0.57f, 0.11f, 1};
  brass.Specular = {0.99f, 0.94f, 0.81f, 1};
  brass.Shininess = 22;
  m.Materials = {brass};
  T3DSMesh mesh;
  mesh.Name = "cube";
  // Four vertices per face, so each face has its own texture corners.
  const Single f[6][4][3] = {{{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
                             {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}},
                             {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}},
                             {{1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}},
                             {{0, 1, 1}, {1, 1, 1}, {1, 1, 0}, {0, 1, 0}},
                             {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}};
  const Single tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  T3DSFaceGroup group{"Brass", {}};
  for (int k = 0; k < 6; ++k) {
    const uint16_t base = uint16_t(mesh.Vertices.size());
    for (int c = 0; c < 4; ++c) {
      mesh.Vertices.push_back({f[k][c][0] - 0.5f, f[k][c][1] - 0.5f, f[k][c][2] - 0.5f});
      mesh.TexCoords.push_back({tex[c][0], tex[c][1]});
    }
    group.Faces.push_back(uint16_t(mesh.Faces.size()));
    mesh.Faces.push_back({base, uint16_t(base + 1), uint16_t(base + 2)});
    group.Faces.push_back(uint16_t(mesh.Faces.size()));
    mesh.Faces.push_back({base, uint16_t(base + 2), uint16_t(base + 3)});
  }
  mesh.MaterialGroups = {group};
  m.Meshes = {mesh};
  return m;
}

T3DSModel Prism()
{
  T3DSModel m;
  T3DSMesh mesh;
  mesh.Name = "prism";
  const int n = 6;
  for (int end = 0; end < 2; ++end) {
    mesh.Vertices.push_back({0, 0, end ? 0.5f : -0.5f});
    for (int i = 0; i < n; ++i) {
      Single s, c;
      SinCos(2 * cPI * i / n, s, c);
      mesh.Vertices.push_back({0.3f * c, 0.3f * s, end ? 0.5f : -0.5f});
    }
  }
  const uint16_t top = uint16_t(n + 1);
  for (int i = 0; i < n; ++i) {
    const uint16_t a = uint16_t(1 + i), b = uint16_t(1 + (i + 1) % n);
    mesh.Faces.push_back({0, b, a});                                     // back end
    mesh.Faces.push_back({top, uint16_t(top + a), uint16_t(top + b)});   // front end
    mesh.Faces.push_back({a, b, uint16_t(top + b)});                     // side
    mesh.Faces.push_back({a, uint16_t(top + b), uint16_t(top + a)});
  }
  m.Meshes = {mesh};
  return m;
}

}   // namespace

int main(int argc, char** argv)
{
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make3ds FILE [cube|prism]\n");
    return 2;
  }
  const std::string kind = argc == 3 ? argv[2] : "cube";
  if (kind != "cube" && kind != "prism") {
    std::fprintf(stderr, "make3ds: unknown shape %s\n", kind.c_str());
    return 2;
  }
  try {
    Write3DSFile(kind == "cube" ? Cube() : Prism(), argv[1]);
  } catch (const Exception& e) {
    std::fprintf(stderr, "make3ds: %s\n", e.Message.c_str());
    return 1;
  }
  return 0;
}
