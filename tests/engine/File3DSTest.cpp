#include "engine/File3DS.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tools/common/File3DSWriter.h"

namespace {

using TBytes = std::vector<uint8_t>;

void Put16(TBytes& b, uint32_t v)
{
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

void Put32(TBytes& b, uint32_t v)
{
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void PutF(TBytes& b, float f)
{
  uint32_t u;
  std::memcpy(&u, &f, 4);
  Put32(b, u);
}

// A chunk with the given payload; `lie` replaces the true length when set.
TBytes Chunk(uint16_t id, const TBytes& payload, int64_t lie = -1)
{
  TBytes b;
  Put16(b, id);
  Put32(b, lie >= 0 ? uint32_t(lie) : uint32_t(payload.size() + 6));
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

TBytes Cat(std::initializer_list<TBytes> parts)
{
  TBytes b;
  for (const auto& p : parts)
    b.insert(b.end(), p.begin(), p.end());
  return b;
}

TBytes Str(const std::string& s)
{
  TBytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}

TBytes Vertices(uint16_t declared, int actual)
{
  TBytes b;
  Put16(b, declared);
  for (int i = 0; i < actual; ++i) {
    PutF(b, float(i));
    PutF(b, float(i % 2));
    PutF(b, 0);
  }
  return b;
}

TBytes Faces(uint16_t declared, std::vector<std::array<uint16_t, 3>> faces, const TBytes& sub = {})
{
  TBytes b;
  Put16(b, declared);
  for (const auto& f : faces) {
    Put16(b, f[0]);
    Put16(b, f[1]);
    Put16(b, f[2]);
    Put16(b, 7);
  }
  b.insert(b.end(), sub.begin(), sub.end());
  return b;
}

// A file with one object holding the given mesh chunks.
TBytes FileWithMesh(const TBytes& meshChunks)
{
  return Chunk(C3DS_MAIN,
               Chunk(C3DS_EDITOR, Chunk(C3DS_NAMED_OBJECT, Cat({Str("obj"), Chunk(C3DS_TRIANGLE_MESH, meshChunks)}))));
}

// Parses a copy of exactly those bytes on the heap, so reading past them is caught.
T3DSModel ParseExact(const TBytes& bytes)
{
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
  if (!bytes.empty())
    std::memcpy(copy.get(), bytes.data(), bytes.size());
  return Read3DS(copy.get(), bytes.size());
}

T3DSModel SampleModel()
{
  T3DSModel m;
  T3DSMaterial brass;
  brass.Name = "Brass";
  brass.Ambient = {0.3f, 0.2f, 0.1f, 1};
  brass.Diffuse = {0.8f, 0.6f, 0.2f, 1};
  brass.Specular = {1, 1, 0.9f, 1};
  brass.Shininess = 70;
  T3DSMaterial wood;
  wood.Name = "Wood";
  wood.TextureMap = "ashwood.jpg";
  m.Materials = {brass, wood};
  T3DSMesh quad;
  quad.Name = "quad";
  quad.Vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  quad.Faces = {{0, 1, 2}, {0, 2, 3}};
  quad.TexCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  quad.MaterialGroups = {{"Brass", {1}}, {"Wood", {0}}};
  quad.LocalMatrix = CreateTranslationMatrix(AffineVectorMake(1, 2, 3));
  T3DSMesh tri;
  tri.Name = "tri";
  tri.Vertices = {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}};
  tri.Faces = {{0, 1, 2}};
  m.Meshes = {quad, tri};
  return m;
}

TEST(File3DS, RoundTripThroughTheWriter)
{
  const T3DSModel m = SampleModel();
  const TBytes bytes = Write3DS(m);
  EXPECT_EQ(ParseExact(bytes), m);
  // An empty model is a valid file too.
  EXPECT_EQ(ParseExact(Write3DS(T3DSModel{})), T3DSModel{});
  // Files saved and read through the file system.
  const std::string file = std::string(ORRELO_TEST_OUTPUT) + "/roundtrip.3ds";
  Write3DSFile(m, file);
  EXPECT_EQ(Read3DSFile(file), m);
  EXPECT_THROW(Read3DSFile(std::string(ORRELO_TEST_OUTPUT) + "/no such file.3ds"), E3DSError);
}

TEST(File3DS, SkipsWhatItDoesNotKnowAndReadsEveryColourForm)
{
  TBytes colour24 = {255, 0, 51};
  TBytes mat = Cat({Chunk(C3DS_MAT_NAME, Str("m")), Chunk(C3DS_MAT_DIFFUSE, Chunk(C3DS_COLOR_24, colour24)),
                    Chunk(0xA050, TBytes{1, 2, 3}),   // transparency: not ours
                    Chunk(C3DS_MAT_SHININESS, Chunk(C3DS_FLOAT_PERCENTAGE, [] {
                            TBytes b;
                            PutF(b, 250.f);   // out of range: clamped
                            return b;
                          }()))});
  TBytes light = Chunk(C3DS_NAMED_OBJECT, Cat({Str("lamp"), Chunk(0x4600, TBytes(12, 0))}));
  TBytes file = Chunk(C3DS_MAIN, Cat({Chunk(C3DS_VERSION, TBytes{3, 0, 0, 0}),
                                      Chunk(C3DS_EDITOR, Cat({Chunk(C3DS_MATERIAL, mat), light})),
                                      Chunk(C3DS_KEYFRAMER, TBytes(20, 0xEE))}));
  file.push_back(0x42);   // bytes after the main chunk are not the model's
  const T3DSModel m = ParseExact(file);
  ASSERT_EQ(m.Materials.size(), 1u);
  EXPECT_NEAR(m.Materials[0].Diffuse[0], 1, 1e-6);
  EXPECT_NEAR(m.Materials[0].Diffuse[2], 0.2f, 1e-6);
  EXPECT_EQ(m.Materials[0].Shininess, 100);
  EXPECT_TRUE(m.Meshes.empty());   // a light is no mesh
  // Texture coordinates that are not one per vertex are dropped, not trusted.
  TBytes tex;
  Put16(tex, 1);
  PutF(tex, 0.5f);
  PutF(tex, 0.5f);
  const T3DSModel t =
      ParseExact(FileWithMesh(Cat({Chunk(C3DS_VERTEX_LIST, Vertices(3, 3)), Chunk(C3DS_TEXTURE_COORDS, tex)})));
  ASSERT_EQ(t.Meshes.size(), 1u);
  EXPECT_TRUE(t.Meshes[0].TexCoords.empty());
}

TEST(File3DS, EveryTruncationIsAnError)
{
  const TBytes bytes = Write3DS(SampleModel());
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_THROW(ParseExact(TBytes(bytes.begin(), bytes.begin() + long(n))), E3DSError) << "length " << n;
  // A file cut short says so, however far into it the cut lies.
  for (size_t n : {size_t(6), bytes.size() / 2, bytes.size() - 1}) {
    try {
      Read3DS(TBytes(bytes.begin(), bytes.begin() + long(n)));
      ADD_FAILURE() << "length " << n;
    } catch (const E3DSError& e) {
      EXPECT_EQ(e.Message.rfind("Truncated 3DS file: it ends " + std::to_string(bytes.size() - n) + " bytes", 0), 0u)
          << e.Message;
    }
  }
}

TEST(File3DS, LyingFilesAreErrors)
{
  auto expectError = [](const TBytes& file, const char* what) {
    try {
      ParseExact(file);
      ADD_FAILURE() << what << ": no error";
    } catch (const E3DSError& e) {
      EXPECT_FALSE(e.Message.empty());
    }
  };
  const TBytes goodVerts = Chunk(C3DS_VERTEX_LIST, Vertices(3, 3));
  const TBytes goodFaces = Chunk(C3DS_FACE_LIST, Faces(1, {{0, 1, 2}}));
  EXPECT_NO_THROW(ParseExact(FileWithMesh(Cat({goodVerts, goodFaces}))));
  // Counts beyond the bytes, up to the largest the format can say.
  expectError(FileWithMesh(Chunk(C3DS_VERTEX_LIST, Vertices(4, 3))), "vertex count");
  expectError(FileWithMesh(Chunk(C3DS_VERTEX_LIST, Vertices(0xFFFF, 3))), "huge vertex count");
  expectError(FileWithMesh(Cat({goodVerts, Chunk(C3DS_FACE_LIST, Faces(0xFFFF, {{0, 1, 2}}))})), "huge face count");
  TBytes tex;
  Put16(tex, 0xFFFF);
  expectError(FileWithMesh(Cat({goodVerts, Chunk(C3DS_TEXTURE_COORDS, tex)})), "texture count");
  // Indices beyond their tables.
  expectError(FileWithMesh(Cat({goodVerts, Chunk(C3DS_FACE_LIST, Faces(1, {{0, 1, 3}}))})), "vertex index");
  expectError(FileWithMesh(Chunk(C3DS_FACE_LIST, Faces(1, {{0, 1, 2}}))), "faces without vertices");
  TBytes group = Str("m");
  Put16(group, 1);
  Put16(group, 1);   // face 1 of 1
  expectError(FileWithMesh(
                  Cat({goodVerts, Chunk(C3DS_FACE_LIST, Faces(1, {{0, 1, 2}}, Chunk(C3DS_FACE_MATERIAL, group)))})),
              "group face");
  TBytes bigGroup = Str("m");
  Put16(bigGroup, 500);
  expectError(FileWithMesh(
                  Cat({goodVerts, Chunk(C3DS_FACE_LIST, Faces(1, {{0, 1, 2}}, Chunk(C3DS_FACE_MATERIAL, bigGroup)))})),
              "group count");
  // Chunk lengths beyond the parent, below the header, and zero.
  expectError(FileWithMesh(Chunk(C3DS_VERTEX_LIST, Vertices(3, 3), 1000)), "length beyond parent");
  expectError(FileWithMesh(Chunk(C3DS_VERTEX_LIST, Vertices(3, 3), 0xFFFFFFFF)), "length beyond all");
  expectError(FileWithMesh(Chunk(C3DS_VERTEX_LIST, {}, 0)), "zero length");
  expectError(FileWithMesh(Chunk(C3DS_VERTEX_LIST, {}, 5)), "length below the header");
  expectError(Cat({Chunk(C3DS_MAIN, Chunk(C3DS_EDITOR, {}), 7)}), "main runs past the file");
  // A header cut short inside a parent.
  expectError(Chunk(C3DS_MAIN, TBytes{0x3D, 0x3D, 6}), "half a header");
  // Names without their terminator, and far too long.
  expectError(Chunk(C3DS_MAIN, Chunk(C3DS_EDITOR, Chunk(C3DS_NAMED_OBJECT, TBytes{'a', 'b'}))), "unterminated name");
  expectError(Chunk(C3DS_MAIN, Chunk(C3DS_EDITOR, Chunk(C3DS_NAMED_OBJECT, Str(std::string(300, 'n'))))), "long name");
  // Not a 3DS file at all.
  expectError({}, "empty");
  expectError(TBytes{0x4D, 0x4D, 6, 0, 0}, "five bytes");
  expectError(Chunk(0x1234, {}), "wrong main chunk");
  // Another file's bytes say so, whatever length their first chunk header would give.
  for (const TBytes& other : {TBytes(64, 0x5A), TBytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}}) {
    try {
      Read3DS(other);
      ADD_FAILURE() << "no error";
    } catch (const E3DSError& e) {
      EXPECT_EQ(e.Message.rfind("Not a 3DS file", 0), 0u) << e.Message;
    }
  }
  // Numbers that are no numbers.
  TBytes nanVerts;
  Put16(nanVerts, 1);
  PutF(nanVerts, NAN);
  PutF(nanVerts, 0);
  PutF(nanVerts, 0);
  expectError(FileWithMesh(Chunk(C3DS_VERTEX_LIST, nanVerts)), "NaN vertex");
  // Deep nesting is only ever skipped, never followed, so it costs no stack.
  TBytes deep = Chunk(C3DS_MAT_TEXMAP, {});
  for (int i = 0; i < 4000; ++i)
    deep = Chunk(C3DS_MAT_TEXMAP, deep);
  EXPECT_NO_THROW(ParseExact(Chunk(C3DS_MAIN, Chunk(C3DS_EDITOR, Chunk(C3DS_MATERIAL, deep)))));
}

TEST(File3DS, DamagedBytesGiveAModelOrE3DSError)
{
  const TBytes good = Write3DS(SampleModel());
  const uint8_t values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
  for (size_t i = 0; i < good.size(); ++i)
    for (uint8_t v : values) {
      TBytes bad = good;
      bad[i] = v;
      try {
        ParseExact(bad);
      } catch (const E3DSError&) {}
    }
}

TEST(File3DS, WriterRefusesModelsTheFormatCannotHold)
{
  T3DSModel m = SampleModel();
  m.Meshes[0].Faces[0][2] = 9;
  EXPECT_THROW(Write3DS(m), E3DSError);
  m = SampleModel();
  m.Meshes[0].TexCoords.pop_back();
  EXPECT_THROW(Write3DS(m), E3DSError);
  m = SampleModel();
  m.Meshes[0].MaterialGroups[0].Faces = {5};
  EXPECT_THROW(Write3DS(m), E3DSError);
  m = SampleModel();
  m.Meshes[0].Vertices.resize(70000);
  EXPECT_THROW(Write3DS(m), E3DSError);
}

}   // namespace
