#include "engine/GLRecorder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/GLTessellator.h"

namespace {

double TriangleArea(const std::vector<TAffineVector>& pts, const std::vector<int>& tri)
{
  double a = 0;
  for (size_t i = 0; i + 2 < tri.size(); i += 3) {
    const TAffineVector &p = pts[size_t(tri[i])], &q = pts[size_t(tri[i + 1])], &r = pts[size_t(tri[i + 2])];
    a += ((q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])) / 2;
  }
  return a;
}

TEST(GLRecorder, InstallsAndRestoresTheTable)
{
  TGLFunctions* before = GLTable;
  {
    TGLRecorder rec;
    EXPECT_NE(GLTable, before);
    EXPECT_EQ(TGLRecorder::Active(), &rec);
    glBegin(GL_TRIANGLES);
    glNormal3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(1, 0, 0);
    glVertex3f(0, 1, 0);
    glEnd();
    EXPECT_EQ(rec.VertexCount(), 3);
    EXPECT_EQ(rec.Count("glNormal3f"), 1);
    ASSERT_EQ(rec.Primitives().size(), 1u);
    EXPECT_EQ(rec.Primitives()[0].Mode, GL_TRIANGLES);
    EXPECT_EQ(rec.Problems(), "");
  }
  EXPECT_EQ(GLTable, before);
  EXPECT_EQ(TGLRecorder::Active(), nullptr);
}

TEST(GLRecorder, FindsTheFaultsPartsCanMake)
{
  {
    TGLRecorder rec;
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 0);
    glPushMatrix();   // not allowed inside begin/end
    glEnd();
    glPopMatrix();
    EXPECT_FALSE(rec.BeginEndBalanced());
    EXPECT_FALSE(rec.PrimitivesComplete());
  }
  {
    TGLRecorder rec;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBegin(GL_LINES);
    const GLfloat n[3] = {0, NAN, 1};
    glNormal3fv(n);
    glVertex3f(0, 0, 0);
    glVertex3f(1, 0, 0);
    glEnd();
    EXPECT_FALSE(rec.AttribBalanced());
    EXPECT_FALSE(rec.AllNormalsFinite());
    EXPECT_NE(rec.Problems(), "");
  }
  {
    TGLRecorder rec;
    glNewList(glGenLists(1), GL_COMPILE);
    glNewList(glGenLists(1), GL_COMPILE);
    glEndList();
    EXPECT_FALSE(rec.ListsWellFormed());
  }
}

TEST(GLRecorder, TracksMatricesThroughDisplayLists)
{
  TGLRecorder rec;
  GLuint l = glGenLists(1);
  glNewList(l, GL_COMPILE);
  glTranslatef(1, 0, 0);
  glBegin(GL_POINTS);
  glVertex3f(0, 0, 1);
  glEnd();
  glEndList();
  EXPECT_TRUE(rec.ExecutedVertices().empty());   // compiled, not run
  glPushMatrix();
  glRotatef(90, 0, 0, 1);
  glCallList(l);
  glPopMatrix();
  ASSERT_EQ(rec.ExecutedVertices().size(), 1u);
  EXPECT_NEAR(rec.ExecutedVertices()[0][0], 0, 1e-6f);
  EXPECT_NEAR(rec.ExecutedVertices()[0][1], 1, 1e-6f);
  EXPECT_NEAR(rec.ExecutedVertices()[0][2], 1, 1e-6f);
  EXPECT_EQ(rec.ModelViewMatrix(), IdentityHmgMatrix);
}

TEST(Tessellator, ConcaveOutlineFillsItsArea)
{
  // The letter L, concave, clockwise on purpose.
  std::vector<TAffineVector> l = {{0, 0, 0}, {0, 3, 0}, {1, 3, 0}, {1, 1, 0}, {2, 1, 0}, {2, 0, 0}};
  std::vector<int> tri = TessellatePolygon({l}, ZVector);
  EXPECT_EQ(tri.size(), 12u);
  // Counter-clockwise from +Z, covering the whole area of 4.
  EXPECT_NEAR(TriangleArea(l, tri), 4, 1e-5);
  // The letter E: ten corners, three prongs.
  std::vector<TAffineVector> e = {{0, 0, 0}, {3, 0, 0}, {3, 1, 0}, {1, 1, 0}, {1, 2, 0}, {2, 2, 0},
                                  {2, 3, 0}, {1, 3, 0}, {1, 4, 0}, {3, 4, 0}, {3, 5, 0}, {0, 5, 0}};
  tri = TessellatePolygon({e}, ZVector);
  EXPECT_EQ(tri.size(), 30u);
  EXPECT_NEAR(TriangleArea(e, tri), 15 - 2 - 2 - 1, 1e-4);
}

TEST(Tessellator, HolesAndDegenerateInput)
{
  std::vector<TAffineVector> outer = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}};
  std::vector<TAffineVector> hole = {{1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
  std::vector<int> tri = TessellatePolygon({outer, hole});
  std::vector<TAffineVector> all = outer;
  all.insert(all.end(), hole.begin(), hole.end());
  EXPECT_NEAR(TriangleArea(all, tri), 12, 1e-4);
  EXPECT_TRUE(TessellatePolygon({}).empty());
  EXPECT_TRUE(TessellatePolygon({{{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}}).empty());
  EXPECT_TRUE(TessellatePolygon({{{0, 0, 0}, {NAN, 0, 0}, {1, 1, 0}}}).empty());
}

struct TTessOut {
  std::vector<int> Vertices;
  int Begins = 0;
};

void TessBegin(GLenum, void* d) { static_cast<TTessOut*>(d)->Begins++; }
void TessVertex(void* v, void* d) { static_cast<TTessOut*>(d)->Vertices.push_back(*static_cast<int*>(v)); }

TEST(Tessellator, RecorderEmulatesTheGluCallbacks)
{
  TGLRecorder rec;
  GLUtesselator* t = gluNewTess();
  gluTessCallback(t, GLU_TESS_BEGIN_DATA, reinterpret_cast<TGLUTessCallback>(TessBegin));
  gluTessCallback(t, GLU_TESS_VERTEX_DATA, reinterpret_cast<TGLUTessCallback>(TessVertex));
  TTessOut out;
  double pts[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  int ids[4] = {10, 11, 12, 13};
  gluTessBeginPolygon(t, &out);
  gluTessBeginContour(t);
  for (int i = 0; i < 4; ++i)
    gluTessVertex(t, pts[i], &ids[i]);
  gluTessEndContour(t);
  gluTessEndPolygon(t);
  gluDeleteTess(t);
  EXPECT_EQ(out.Begins, 1);
  EXPECT_EQ(out.Vertices.size(), 6u);
  EXPECT_EQ(rec.Count("gluTessVertex"), 4);
}

}   // namespace
