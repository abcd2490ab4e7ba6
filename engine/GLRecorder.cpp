#include "engine/GLRecorder.h"

#include <cmath>
#include <sstream>

#include "engine/GLTessellator.h"

struct TGLRecorder::TTess {
  std::map<GLenum, TGLUTessCallback> Callbacks;
  std::vector<std::vector<TAffineVector>> Contours;
  std::vector<void*> Data;   // per vertex, in the contours' order
  void* PolygonData = nullptr;
  TAffineVector Normal = NullVector;
};

namespace {

// The recorder whose table GLTable holds. The table's entries are plain functions, as the
// library's are, so they find their recorder here; there is one at a time, as there is one
// GLTable.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): one at a time, as above.
TGLRecorder* gActive = nullptr;

struct TRec {
  const char* Name;
  template <class... A>
  void operator()(A... a) const
  {
    gActive->Record(Name, {static_cast<double>(a)...});
  }
};

#define REC(Name, Params, Args) \
  void Rec##Name Params { TRec{"gl" #Name} Args; }
ORRELO_GL_SCALAR_FUNCS(REC)
#undef REC
#define REC_GLU(Name, Params, Args) \
  void RecGlu##Name Params { TRec{"glu" #Name} Args; }
ORRELO_GLU_SCALAR_FUNCS(REC_GLU)
#undef REC_GLU

std::vector<double> Spell(const GLfloat* v, int n)
{
  std::vector<double> r;
  for (int i = 0; v && i < n; ++i)
    r.push_back(v[i]);
  return r;
}

// How many values a glMaterialfv/glLightfv parameter takes.
int ParamCount(GLenum pname)
{
  switch (pname) {
  case GL_SHININESS:
  case GL_SPOT_EXPONENT:
  case GL_SPOT_CUTOFF:
  case GL_CONSTANT_ATTENUATION:
  case GL_LINEAR_ATTENUATION:
  case GL_QUADRATIC_ATTENUATION: return 1;
  case GL_SPOT_DIRECTION: return 3;
  default: return 4;
  }
}

void RecNormal3fv(const GLfloat* v) { gActive->Record("glNormal3fv", Spell(v, 3)); }
void RecVertex2fv(const GLfloat* v) { gActive->Record("glVertex2fv", Spell(v, 2)); }
void RecVertex3fv(const GLfloat* v) { gActive->Record("glVertex3fv", Spell(v, 3)); }
void RecTexCoord2fv(const GLfloat* v) { gActive->Record("glTexCoord2fv", Spell(v, 2)); }
void RecColor3fv(const GLfloat* v) { gActive->Record("glColor3fv", Spell(v, 3)); }
void RecColor4fv(const GLfloat* v) { gActive->Record("glColor4fv", Spell(v, 4)); }
void RecMaterialfv(GLenum face, GLenum pname, const GLfloat* p)
{
  std::vector<double> a{double(face), double(pname)};
  for (double d : Spell(p, ParamCount(pname)))
    a.push_back(d);
  gActive->Record("glMaterialfv", a);
}
void RecLightfv(GLenum light, GLenum pname, const GLfloat* p)
{
  std::vector<double> a{double(light), double(pname)};
  for (double d : Spell(p, ParamCount(pname)))
    a.push_back(d);
  gActive->Record("glLightfv", a);
}
void RecLightModelfv(GLenum pname, const GLfloat* p)
{
  std::vector<double> a{double(pname)};
  for (double d : Spell(p, 4))
    a.push_back(d);
  gActive->Record("glLightModelfv", a);
}
void RecMultMatrixf(const GLfloat* m) { gActive->Record("glMultMatrixf", Spell(m, 16)); }
void RecLoadMatrixf(const GLfloat* m) { gActive->Record("glLoadMatrixf", Spell(m, 16)); }
GLuint RecGenLists(GLsizei range) { return gActive->GenLists(range); }
GLboolean RecIsList(GLuint list) { return gActive->CompileCount(list) > 0 ? GL_TRUE : GL_FALSE; }
GLboolean RecIsEnabled(GLenum cap) { return gActive->Enabled(cap) ? GL_TRUE : GL_FALSE; }
void RecTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei w, GLsizei h, GLint border, GLenum format,
                   GLenum type, const void*)
{
  gActive->Record("glTexImage2D", {double(target), double(level), double(internalFormat), double(w), double(h),
                                   double(border), double(format), double(type)});
}
void RecGenTextures(GLsizei n, GLuint* t)
{
  gActive->Record("glGenTextures", {double(n)});
  for (GLsizei i = 0; t && i < n; ++i)
    t[i] = gActive->GenTexture();
}
void RecDeleteTextures(GLsizei n, const GLuint* t)
{
  gActive->Record("glDeleteTextures", {double(n)});
  for (GLsizei i = 0; t && i < n; ++i)
    gActive->DeleteTexture(t[i]);
}
void RecReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void*)
{
  gActive->Record("glReadPixels", {double(x), double(y), double(w), double(h), double(format), double(type)});
}
void RecGetIntegerv(GLenum pname, GLint* p) { gActive->GetIntegerv(pname, p); }
void RecGetFloatv(GLenum pname, GLfloat* p) { gActive->GetFloatv(pname, p); }
GLenum RecGetError() { return GL_NO_ERROR; }
const GLubyte* RecGetString(GLenum) { return reinterpret_cast<const GLubyte*>("GL recorder"); }
void RecVertexPointer(GLint size, GLenum type, GLsizei stride, const void*)
{
  gActive->Record("glVertexPointer", {double(size), double(type), double(stride)});
}
void RecTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void*)
{
  gActive->Record("glTexCoordPointer", {double(size), double(type), double(stride)});
}
void RecNormalPointer(GLenum type, GLsizei stride, const void*)
{
  gActive->Record("glNormalPointer", {double(type), double(stride)});
}
void RecDrawElements(GLenum mode, GLsizei count, GLenum type, const void*)
{
  gActive->Record("glDrawElements", {double(mode), double(count), double(type)});
}

GLint RecBuild2DMipmaps(GLenum target, GLint components, GLint w, GLint h, GLenum format, GLenum type, const void*)
{
  gActive->Record("gluBuild2DMipmaps",
                  {double(target), double(components), double(w), double(h), double(format), double(type)});
  return 0;
}
GLUquadric* RecNewQuadric()
{
  gActive->Record("gluNewQuadric", {});
  return gActive->NewQuadric();
}
void RecDeleteQuadric(GLUquadric* q)
{
  gActive->Record("gluDeleteQuadric", {});
  gActive->DeleteQuadric(q);
}
void RecQuadricNormals(GLUquadric*, GLenum v) { gActive->Record("gluQuadricNormals", {double(v)}); }
void RecQuadricOrientation(GLUquadric*, GLenum v) { gActive->Record("gluQuadricOrientation", {double(v)}); }
void RecQuadricTexture(GLUquadric*, GLboolean v) { gActive->Record("gluQuadricTexture", {double(v)}); }
void RecQuadricDrawStyle(GLUquadric*, GLenum v) { gActive->Record("gluQuadricDrawStyle", {double(v)}); }
void RecCylinder(GLUquadric*, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks)
{
  gActive->Record("gluCylinder", {base, top, height, double(slices), double(stacks)});
}
void RecDisk(GLUquadric*, GLdouble inner, GLdouble outer, GLint slices, GLint loops)
{
  gActive->Record("gluDisk", {inner, outer, double(slices), double(loops)});
}
void RecPartialDisk(GLUquadric*, GLdouble inner, GLdouble outer, GLint slices, GLint loops, GLdouble start,
                    GLdouble sweep)
{
  gActive->Record("gluPartialDisk", {inner, outer, double(slices), double(loops), start, sweep});
}
void RecSphere(GLUquadric*, GLdouble radius, GLint slices, GLint stacks)
{
  gActive->Record("gluSphere", {radius, double(slices), double(stacks)});
}

TGLRecorder::TTess* AsTess(GLUtesselator* t) { return reinterpret_cast<TGLRecorder::TTess*>(t); }

GLUtesselator* RecNewTess()
{
  gActive->Record("gluNewTess", {});
  return reinterpret_cast<GLUtesselator*>(gActive->NewTess());
}
void RecDeleteTess(GLUtesselator* t)
{
  gActive->Record("gluDeleteTess", {});
  gActive->DeleteTess(AsTess(t));
}
void RecTessCallback(GLUtesselator* t, GLenum which, TGLUTessCallback fn)
{
  gActive->Record("gluTessCallback", {double(which)});
  if (t)
    AsTess(t)->Callbacks[which] = fn;
}
void RecTessBeginPolygon(GLUtesselator* t, void* data)
{
  gActive->Record("gluTessBeginPolygon", {});
  if (!t)
    return;
  AsTess(t)->Contours.clear();
  AsTess(t)->Data.clear();
  AsTess(t)->PolygonData = data;
}
void RecTessBeginContour(GLUtesselator* t)
{
  gActive->Record("gluTessBeginContour", {});
  if (t)
    AsTess(t)->Contours.emplace_back();
}
void RecTessVertex(GLUtesselator* t, GLdouble* loc, void* data)
{
  gActive->Record("gluTessVertex", {loc ? loc[0] : 0, loc ? loc[1] : 0, loc ? loc[2] : 0});
  if (!t || !loc)
    return;
  TGLRecorder::TTess* s = AsTess(t);
  if (s->Contours.empty())
    s->Contours.emplace_back();
  s->Contours.back().push_back(AffineVectorMake(Single(loc[0]), Single(loc[1]), Single(loc[2])));
  s->Data.push_back(data);
}
void RecTessEndContour(GLUtesselator*) { gActive->Record("gluTessEndContour", {}); }
void RecTessEndPolygon(GLUtesselator* t)
{
  gActive->Record("gluTessEndPolygon", {});
  if (!t)
    return;
  TGLRecorder::TTess* s = AsTess(t);
  std::vector<int> tri = TessellatePolygon(s->Contours, s->Normal);
  if (tri.empty())
    return;
  auto cb = [&](GLenum which) -> TGLUTessCallback {
    auto it = s->Callbacks.find(which);
    return it == s->Callbacks.end() ? nullptr : it->second;
  };
  if (auto f = cb(GLU_TESS_BEGIN_DATA))
    reinterpret_cast<void (*)(GLenum, void*)>(f)(GL_TRIANGLES, s->PolygonData);
  else if (auto f = cb(GLU_TESS_BEGIN))
    reinterpret_cast<void (*)(GLenum)>(f)(GL_TRIANGLES);
  for (int i : tri) {
    void* d = s->Data[size_t(i)];
    if (auto f = cb(GLU_TESS_VERTEX_DATA))
      reinterpret_cast<void (*)(void*, void*)>(f)(d, s->PolygonData);
    else if (auto f = cb(GLU_TESS_VERTEX))
      reinterpret_cast<void (*)(void*)>(f)(d);
  }
  if (auto f = cb(GLU_TESS_END_DATA))
    reinterpret_cast<void (*)(void*)>(f)(s->PolygonData);
  else if (auto f = cb(GLU_TESS_END))
    reinterpret_cast<void (*)()>(f)();
}
void RecTessProperty(GLUtesselator*, GLenum which, GLdouble value)
{
  gActive->Record("gluTessProperty", {double(which), value});
}
void RecTessNormal(GLUtesselator* t, GLdouble x, GLdouble y, GLdouble z)
{
  gActive->Record("gluTessNormal", {x, y, z});
  if (t)
    AsTess(t)->Normal = AffineVectorMake(Single(x), Single(y), Single(z));
}

bool IsVertex(const std::string& n)
{
  return n == "glVertex3f" || n == "glVertex2f" || n == "glVertex3fv" || n == "glVertex2fv";
}
bool IsNormal(const std::string& n) { return n == "glNormal3f" || n == "glNormal3fv"; }
// Calls that GL accepts between glBegin and glEnd.
bool AllowedInBegin(const std::string& n)
{
  return IsVertex(n) || IsNormal(n) || n == "glTexCoord2f" || n == "glTexCoord2fv" || n == "glColor3f"
         || n == "glColor4f" || n == "glColor3fv" || n == "glColor4fv" || n == "glColor3ub" || n == "glMaterialfv"
         || n == "glMateriali" || n == "glMaterialf" || n == "glCallList" || n == "glEnd";
}

TMatrix MatrixFromArgs(const std::vector<double>& a)
{
  TMatrix m = IdentityHmgMatrix;
  if (a.size() >= 16)
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j)
        m[i][j] = Single(a[size_t(i * 4 + j)]);
  return m;
}

}   // namespace

TGLRecorder::TGLRecorder()
{
  TGLFunctions& t = FTable;
#define SET(Name, Params, Args) t.Name = Rec##Name;
  ORRELO_GL_SCALAR_FUNCS(SET)
#undef SET
#define SET_GLU(Name, Params, Args) t.glu##Name = RecGlu##Name;
  ORRELO_GLU_SCALAR_FUNCS(SET_GLU)
#undef SET_GLU
  t.Normal3fv = RecNormal3fv;
  t.Vertex2fv = RecVertex2fv;
  t.Vertex3fv = RecVertex3fv;
  t.TexCoord2fv = RecTexCoord2fv;
  t.Color3fv = RecColor3fv;
  t.Color4fv = RecColor4fv;
  t.Materialfv = RecMaterialfv;
  t.Lightfv = RecLightfv;
  t.LightModelfv = RecLightModelfv;
  t.MultMatrixf = RecMultMatrixf;
  t.LoadMatrixf = RecLoadMatrixf;
  t.GenLists = RecGenLists;
  t.IsList = RecIsList;
  t.IsEnabled = RecIsEnabled;
  t.TexImage2D = RecTexImage2D;
  t.GenTextures = RecGenTextures;
  t.DeleteTextures = RecDeleteTextures;
  t.ReadPixels = RecReadPixels;
  t.GetIntegerv = RecGetIntegerv;
  t.GetFloatv = RecGetFloatv;
  t.GetError = RecGetError;
  t.GetString = RecGetString;
  t.VertexPointer = RecVertexPointer;
  t.NormalPointer = RecNormalPointer;
  t.TexCoordPointer = RecTexCoordPointer;
  t.DrawElements = RecDrawElements;
  t.gluBuild2DMipmaps = RecBuild2DMipmaps;
  t.gluNewQuadric = RecNewQuadric;
  t.gluDeleteQuadric = RecDeleteQuadric;
  t.gluQuadricNormals = RecQuadricNormals;
  t.gluQuadricOrientation = RecQuadricOrientation;
  t.gluQuadricTexture = RecQuadricTexture;
  t.gluQuadricDrawStyle = RecQuadricDrawStyle;
  t.gluCylinder = RecCylinder;
  t.gluDisk = RecDisk;
  t.gluPartialDisk = RecPartialDisk;
  t.gluSphere = RecSphere;
  t.gluNewTess = RecNewTess;
  t.gluDeleteTess = RecDeleteTess;
  t.gluTessCallback = RecTessCallback;
  t.gluTessBeginPolygon = RecTessBeginPolygon;
  t.gluTessBeginContour = RecTessBeginContour;
  t.gluTessVertex = RecTessVertex;
  t.gluTessEndContour = RecTessEndContour;
  t.gluTessEndPolygon = RecTessEndPolygon;
  t.gluTessProperty = RecTessProperty;
  t.gluTessNormal = RecTessNormal;
  t.ActiveTexture = nullptr;
  t.GenerateMipmap = nullptr;
  FPrevious = GLTable;
  gActive = this;
  GLTable = &FTable;
}

TGLRecorder::~TGLRecorder()
{
  GLTable = FPrevious;
  gActive = nullptr;
}

TGLRecorder* TGLRecorder::Active() { return gActive; }

void TGLRecorder::Clear()
{
  FCalls.clear();
  FExecuted.clear();
}

void TGLRecorder::Record(const char* name, std::vector<double> args)
{
  TGLCall call{name, std::move(args), FCompiling};
  const std::string& n = call.Name;
  if (n == "glNewList") {
    FCalls.push_back(call);
    if (FCompiling == 0 && !call.Args.empty()) {
      FCompiling = GLuint(call.Args[0]);
      FCompileExecute = call.Args.size() > 1 && GLenum(call.Args[1]) == GL_COMPILE_AND_EXECUTE;
      FLists[FCompiling].clear();
      ++FCompiles[FCompiling];
    }
    return;
  }
  if (n == "glEndList") {
    FCalls.push_back(call);
    FCompiling = 0;
    return;
  }
  if (n == "glDeleteLists" && call.Args.size() >= 2) {
    for (GLuint i = 0; i < GLuint(call.Args[1]); ++i)
      FLists.erase(GLuint(call.Args[0]) + i);
  }
  FCalls.push_back(call);
  if (FCompiling) {
    FLists[FCompiling].push_back(call);
    if (!FCompileExecute)
      return;
  }
  Execute(call, 0);
}

GLuint TGLRecorder::GenLists(GLsizei range)
{
  Record("glGenLists", {double(range)});
  if (range <= 0)
    return 0;
  GLuint first = FNextList;
  FNextList += GLuint(range);
  for (GLsizei i = 0; i < range; ++i)
    FLists[first + GLuint(i)];
  return first;
}

int TGLRecorder::CompileCount(GLuint list) const
{
  auto it = FCompiles.find(list);
  return it == FCompiles.end() ? 0 : it->second;
}

GLuint TGLRecorder::GenTexture()
{
  GLuint t = FNextTexture++;
  FTextures[t] = true;
  return t;
}

void TGLRecorder::DeleteTexture(GLuint t) { FTextures.erase(t); }

bool TGLRecorder::Enabled(GLenum cap) const
{
  auto it = FEnabled.find(cap);
  return it != FEnabled.end() && it->second;
}

void TGLRecorder::GetIntegerv(GLenum pname, GLint* out) const
{
  if (!out)
    return;
  if (pname == GL_VIEWPORT) {
    for (int i = 0; i < 4; ++i)
      out[i] = FViewport[i];
  } else if (pname == GL_MAX_TEXTURE_SIZE) {
    *out = 4096;
  } else if (pname == GL_MODELVIEW_STACK_DEPTH) {
    *out = GLint(FModelView.size());
  } else {
    *out = 0;
  }
}

void TGLRecorder::GetFloatv(GLenum pname, GLfloat* out) const
{
  if (!out)
    return;
  const TMatrix* m = pname == GL_MODELVIEW_MATRIX    ? &FModelView.back()
                     : pname == GL_PROJECTION_MATRIX ? &FProjection.back()
                                                     : nullptr;
  if (m) {
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j)
        out[i * 4 + j] = (*m)[i][j];
  } else {
    *out = 0;
  }
}

TGLRecorder::TTess* TGLRecorder::NewTess()
{
  FTessellators.push_back(std::make_unique<TTess>());
  return FTessellators.back().get();
}

void TGLRecorder::DeleteTess(TTess* t)
{
  for (auto it = FTessellators.begin(); it != FTessellators.end(); ++it)
    if (it->get() == t) {
      FTessellators.erase(it);
      return;
    }
}

GLUquadric* TGLRecorder::NewQuadric()
{
  FQuadrics.push_back(std::make_unique<int>(0));
  return reinterpret_cast<GLUquadric*>(FQuadrics.back().get());
}

void TGLRecorder::DeleteQuadric(GLUquadric* q)
{
  for (auto it = FQuadrics.begin(); it != FQuadrics.end(); ++it)
    if (reinterpret_cast<GLUquadric*>(it->get()) == q) {
      FQuadrics.erase(it);
      return;
    }
}

void TGLRecorder::MultMatrix(const TMatrix& m)
{
  // GL post-multiplies in column form, which is pre-multiplying in our row form.
  std::vector<TMatrix>& stack = FMatrixMode == GL_PROJECTION ? FProjection : FModelView;
  stack.back() = MatrixMultiply(m, stack.back());
}

void TGLRecorder::Execute(const TGLCall& c, int depth)
{
  const std::string& n = c.Name;
  const auto& a = c.Args;
  auto arg = [&](size_t i) { return i < a.size() ? Single(a[i]) : 0.0f; };
  std::vector<TMatrix>& stack = FMatrixMode == GL_PROJECTION ? FProjection : FModelView;
  if (IsVertex(n)) {
    FExecuted.push_back(
        VectorTransform(AffineVectorMake(arg(0), arg(1), a.size() > 2 ? arg(2) : 0), FModelView.back()));
  } else if (n == "glPushMatrix") {
    if (FMatrixMode != GL_TEXTURE)
      stack.push_back(stack.back());
  } else if (n == "glPopMatrix") {
    if (FMatrixMode != GL_TEXTURE && stack.size() > 1)
      stack.pop_back();
  } else if (n == "glLoadIdentity") {
    if (FMatrixMode != GL_TEXTURE)
      stack.back() = IdentityHmgMatrix;
  } else if (n == "glLoadMatrixf") {
    if (FMatrixMode != GL_TEXTURE)
      stack.back() = MatrixFromArgs(a);
  } else if (n == "glMultMatrixf") {
    if (FMatrixMode != GL_TEXTURE)
      MultMatrix(MatrixFromArgs(a));
  } else if (n == "glTranslatef") {
    if (FMatrixMode != GL_TEXTURE)
      MultMatrix(CreateTranslationMatrix(AffineVectorMake(arg(0), arg(1), arg(2))));
  } else if (n == "glScalef") {
    if (FMatrixMode != GL_TEXTURE)
      MultMatrix(CreateScaleMatrix(AffineVectorMake(arg(0), arg(1), arg(2))));
  } else if (n == "glRotatef") {
    if (FMatrixMode != GL_TEXTURE)
      MultMatrix(CreateRotationMatrix(AffineVectorMake(arg(1), arg(2), arg(3)), DegToRad(arg(0))));
  } else if (n == "glMatrixMode") {
    FMatrixMode = GLenum(a.empty() ? 0 : a[0]);
  } else if (n == "glViewport") {
    for (int i = 0; i < 4; ++i)
      FViewport[i] = GLint(arg(size_t(i)));
  } else if (n == "glEnable" || n == "glDisable") {
    FEnabled[GLenum(a.empty() ? 0 : a[0])] = n == "glEnable";
  } else if (n == "glCallList") {
    auto it = FLists.find(GLuint(a.empty() ? 0 : a[0]));
    if (it != FLists.end() && depth < 64) {
      std::vector<TGLCall> body = it->second;   // a list may be recompiled while replaying
      for (const TGLCall& inner : body)
        Execute(inner, depth + 1);
    }
  }
}

int TGLRecorder::Count(std::string_view name) const
{
  int r = 0;
  for (const TGLCall& c : FCalls)
    r += c.Name == name;
  return r;
}

int TGLRecorder::VertexCount() const
{
  int r = 0;
  for (const TGLCall& c : FCalls)
    r += IsVertex(c.Name);
  return r;
}

std::vector<TGLPrimitive> TGLRecorder::Primitives() const
{
  std::vector<TGLPrimitive> r;
  bool open = false;
  for (const TGLCall& c : FCalls) {
    if (c.Name == "glBegin") {
      r.push_back({GLenum(c.Args.empty() ? 0 : c.Args[0]), 0});
      open = true;
    } else if (c.Name == "glEnd") {
      open = false;
    } else if (open && IsVertex(c.Name)) {
      ++r.back().VertexCount;
    }
  }
  return r;
}

namespace {

std::string CheckBeginEnd(const std::vector<TGLCall>& calls)
{
  bool open = false;
  for (size_t i = 0; i < calls.size(); ++i) {
    const std::string& n = calls[i].Name;
    if (n == "glBegin") {
      if (open)
        return "nested glBegin at call " + std::to_string(i);
      open = true;
    } else if (n == "glEnd") {
      if (!open)
        return "glEnd without glBegin at call " + std::to_string(i);
      open = false;
    } else if (open && !AllowedInBegin(n)) {
      return n + " between glBegin and glEnd at call " + std::to_string(i);
    }
  }
  return open ? "glBegin never ended" : "";
}

// Pairs push and pop per display list (0 = outside any list).
std::string CheckPairs(const std::vector<TGLCall>& calls, const char* push, const char* pop)
{
  std::map<GLuint, int> depth;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].Name == push)
      ++depth[calls[i].List];
    else if (calls[i].Name == pop && --depth[calls[i].List] < 0)
      return std::string(pop) + " without " + push + " at call " + std::to_string(i);
  }
  for (auto& [list, d] : depth)
    if (d != 0)
      return std::string(push) + " not popped" + (list ? " in list " + std::to_string(list) : std::string());
  return "";
}

}   // namespace

bool TGLRecorder::BeginEndBalanced() const { return CheckBeginEnd(FCalls).empty(); }
bool TGLRecorder::AttribBalanced() const { return CheckPairs(FCalls, "glPushAttrib", "glPopAttrib").empty(); }
bool TGLRecorder::MatrixBalanced() const { return CheckPairs(FCalls, "glPushMatrix", "glPopMatrix").empty(); }

bool TGLRecorder::AllNormalsFinite() const
{
  for (const TGLCall& c : FCalls)
    if (IsNormal(c.Name)) {
      double l = 0;
      for (double v : c.Args) {
        if (!std::isfinite(v))
          return false;
        l += v * v;
      }
      if (!(l > 0))
        return false;
    }
  return true;
}

bool TGLRecorder::AllVerticesFinite() const
{
  for (const TGLCall& c : FCalls)
    if (IsVertex(c.Name))
      for (double v : c.Args)
        if (!std::isfinite(v))
          return false;
  return true;
}

bool TGLRecorder::PrimitivesComplete() const
{
  for (const TGLPrimitive& p : Primitives()) {
    int n = p.VertexCount;
    bool ok = true;
    switch (p.Mode) {
    case GL_POINTS: ok = n >= 1; break;
    case GL_LINES: ok = n >= 2 && n % 2 == 0; break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP: ok = n >= 2; break;
    case GL_TRIANGLES: ok = n >= 3 && n % 3 == 0; break;
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN:
    case GL_POLYGON: ok = n >= 3; break;
    case GL_QUADS: ok = n >= 4 && n % 4 == 0; break;
    case GL_QUAD_STRIP: ok = n >= 4 && n % 2 == 0; break;
    default: ok = false;
    }
    if (!ok)
      return false;
  }
  return true;
}

bool TGLRecorder::ListsWellFormed() const
{
  bool open = false;
  for (const TGLCall& c : FCalls) {
    if (c.Name == "glNewList") {
      if (open)
        return false;
      open = true;
    } else if (c.Name == "glEndList") {
      if (!open)
        return false;
      open = false;
    }
  }
  return !open;
}

std::string TGLRecorder::Problems() const
{
  std::string s = CheckBeginEnd(FCalls);
  if (s.empty())
    s = CheckPairs(FCalls, "glPushAttrib", "glPopAttrib");
  if (s.empty())
    s = CheckPairs(FCalls, "glPushMatrix", "glPopMatrix");
  if (s.empty() && !AllNormalsFinite())
    s = "a normal is not finite or has zero length";
  if (s.empty() && !AllVerticesFinite())
    s = "a vertex is not finite";
  if (s.empty() && !PrimitivesComplete())
    s = "a primitive has a vertex count its mode cannot draw";
  if (s.empty() && !ListsWellFormed())
    s = "display lists nested or not ended";
  return s;
}
