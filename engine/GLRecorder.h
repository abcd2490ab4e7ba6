// A GL table for tests: while a TGLRecorder lives, every GL and GLU call made through the
// wrappers of OpenGL1x.h is recorded (name and numeric arguments) instead of reaching a
// driver. The recorder also plays the parts of GL that tests look at: display lists are
// kept and replayed by glCallList, the matrix stacks are tracked so executed vertices can
// be read back in eye space, and the tessellator is emulated with our own ear clipper.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Base/VectorGeometry.h"
#include "engine/OpenGL1x.h"

struct TGLCall {
  std::string Name;           // "glBegin", "gluCylinder"...
  std::vector<double> Args;   // numbers only; vectors and matrices spelled out
  GLuint List = 0;            // the display list being compiled when it was called, or 0
};

struct TGLPrimitive {
  GLenum Mode = 0;
  int VertexCount = 0;
};

class TGLRecorder {
public:
  // Installs the recording table; the previous table comes back when it is destroyed.
  // Only one recorder may be installed at a time.
  TGLRecorder();
  ~TGLRecorder();
  TGLRecorder(const TGLRecorder&) = delete;
  TGLRecorder& operator=(const TGLRecorder&) = delete;

  // Every call issued so far (display-list contents once, when compiled).
  const std::vector<TGLCall>& Calls() const { return FCalls; }
  void Clear();

  int Count(std::string_view name) const;
  // glVertex* calls.
  int VertexCount() const;
  // Each glBegin/glEnd pair with its vertex count, in order.
  std::vector<TGLPrimitive> Primitives() const;
  // No nested glBegin, every glBegin closed, only per-vertex calls between them.
  bool BeginEndBalanced() const;
  // Push and pop of attributes and matrices pair up, within each display list and outside.
  bool AttribBalanced() const;
  bool MatrixBalanced() const;
  // Every glNormal is finite and of non-zero length.
  bool AllNormalsFinite() const;
  bool AllVerticesFinite() const;
  // Every primitive has a vertex count its mode can draw (3n triangles, 4n quads...).
  bool PrimitivesComplete() const;
  // No glNewList inside another, every list ended.
  bool ListsWellFormed() const;
  // All checks above; empty when the stream is sound, else a description of the first fault.
  std::string Problems() const;

  // Vertices executed (immediately or through glCallList), in eye space: the modelview
  // matrix current at the time applied.
  const std::vector<TAffineVector>& ExecutedVertices() const { return FExecuted; }
  void ClearExecuted() { FExecuted.clear(); }
  TMatrix ModelViewMatrix() const { return FModelView.back(); }
  // Display lists created and not deleted, and how many times each was compiled.
  int LiveLists() const { return static_cast<int>(FLists.size()); }
  int CompileCount(GLuint list) const;
  int LiveTextures() const { return static_cast<int>(FTextures.size()); }
  bool Enabled(GLenum cap) const;

  // The recorder currently installed, or null.
  static TGLRecorder* Active();

  // Entry for the table's functions; not for tests.
  void Record(const char* name, std::vector<double> args);
  GLuint GenLists(GLsizei range);
  GLuint GenTexture();
  void DeleteTexture(GLuint t);
  void GetIntegerv(GLenum pname, GLint* out) const;
  void GetFloatv(GLenum pname, GLfloat* out) const;
  struct TTess;
  TTess* NewTess();
  void DeleteTess(TTess* t);
  GLUquadric* NewQuadric();
  void DeleteQuadric(GLUquadric* q);

private:
  void Execute(const TGLCall& call, int depth);
  void MultMatrix(const TMatrix& m);

  TGLFunctions FTable{};
  TGLFunctions* FPrevious = nullptr;
  std::vector<TGLCall> FCalls;
  std::map<GLuint, std::vector<TGLCall>> FLists;
  std::map<GLuint, int> FCompiles;
  GLuint FCompiling = 0;
  bool FCompileExecute = false;
  GLuint FNextList = 1;
  GLuint FNextTexture = 1;
  std::map<GLuint, bool> FTextures;
  std::map<GLenum, bool> FEnabled;
  std::vector<TMatrix> FModelView{IdentityHmgMatrix};
  std::vector<TMatrix> FProjection{IdentityHmgMatrix};
  GLenum FMatrixMode = GL_MODELVIEW;
  GLint FViewport[4] = {0, 0, 0, 0};
  std::vector<TAffineVector> FExecuted;
  std::vector<std::unique_ptr<TTess>> FTessellators;
  std::vector<std::unique_ptr<int>> FQuadrics;
};
