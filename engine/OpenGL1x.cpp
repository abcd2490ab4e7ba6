#include "engine/OpenGL1x.h"

#include <dlfcn.h>
#include <link.h>

#include <mutex>

namespace {

// --- the no-op table --------------------------------------------------------------------
#define NULL_STUB(Name, Params, Args) \
  void Null##Name Params {}
ORRELO_GL_SCALAR_FUNCS(NULL_STUB)
#undef NULL_STUB
#define NULL_GLU_STUB(Name, Params, Args) \
  void NullGlu##Name Params {}
ORRELO_GLU_SCALAR_FUNCS(NULL_GLU_STUB)
#undef NULL_GLU_STUB

void NullFv(const GLfloat*) {}
void NullMaterialfv(GLenum, GLenum, const GLfloat*) {}
void NullLightModelfv(GLenum, const GLfloat*) {}
GLuint NullGenLists(GLsizei) { return 0; }
GLboolean NullIsList(GLuint) { return GL_FALSE; }
GLboolean NullIsEnabled(GLenum) { return GL_FALSE; }
void NullTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) {}
void NullGenTextures(GLsizei n, GLuint* t)
{
  for (GLsizei i = 0; t && i < n; ++i)
    t[i] = 0;
}
void NullDeleteTextures(GLsizei, const GLuint*) {}
void NullReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) {}
void NullGetIntegerv(GLenum, GLint* p)
{
  if (p)
    *p = 0;
}
void NullGetFloatv(GLenum, GLfloat* p)
{
  if (p)
    *p = 0;
}
GLenum NullGetError() { return GL_NO_ERROR; }
const GLubyte* NullGetString(GLenum) { return reinterpret_cast<const GLubyte*>(""); }
void NullPointer(GLint, GLenum, GLsizei, const void*) {}
void NullNormalPointer(GLenum, GLsizei, const void*) {}
void NullDrawElements(GLenum, GLsizei, GLenum, const void*) {}
GLint NullBuild2DMipmaps(GLenum, GLint, GLint, GLint, GLenum, GLenum, const void*) { return 0; }
GLUquadric* NullNewQuadric() { return nullptr; }
void NullQuadric(GLUquadric*) {}
void NullQuadricEnum(GLUquadric*, GLenum) {}
void NullQuadricBool(GLUquadric*, GLboolean) {}
void NullCylinder(GLUquadric*, GLdouble, GLdouble, GLdouble, GLint, GLint) {}
void NullDisk(GLUquadric*, GLdouble, GLdouble, GLint, GLint) {}
void NullPartialDisk(GLUquadric*, GLdouble, GLdouble, GLint, GLint, GLdouble, GLdouble) {}
void NullSphere(GLUquadric*, GLdouble, GLint, GLint) {}
GLUtesselator* NullNewTess() { return nullptr; }
void NullTess(GLUtesselator*) {}
void NullTessCallback(GLUtesselator*, GLenum, TGLUTessCallback) {}
void NullTessBeginPolygon(GLUtesselator*, void*) {}
void NullTessVertex(GLUtesselator*, GLdouble*, void*) {}
void NullTessProperty(GLUtesselator*, GLenum, GLdouble) {}
void NullTessNormal(GLUtesselator*, GLdouble, GLdouble, GLdouble) {}

TGLFunctions MakeNullTable()
{
  TGLFunctions t{};
#define SET_NULL(Name, Params, Args) t.Name = Null##Name;
  ORRELO_GL_SCALAR_FUNCS(SET_NULL)
#undef SET_NULL
#define SET_NULL_GLU(Name, Params, Args) t.glu##Name = NullGlu##Name;
  ORRELO_GLU_SCALAR_FUNCS(SET_NULL_GLU)
#undef SET_NULL_GLU
  t.Normal3fv = t.Vertex2fv = t.Vertex3fv = t.TexCoord2fv = t.Color3fv = t.Color4fv = NullFv;
  t.Materialfv = t.Lightfv = NullMaterialfv;
  t.LightModelfv = NullLightModelfv;
  t.MultMatrixf = t.LoadMatrixf = NullFv;
  t.GenLists = NullGenLists;
  t.IsList = NullIsList;
  t.IsEnabled = NullIsEnabled;
  t.TexImage2D = NullTexImage2D;
  t.GenTextures = NullGenTextures;
  t.DeleteTextures = NullDeleteTextures;
  t.ReadPixels = NullReadPixels;
  t.GetIntegerv = NullGetIntegerv;
  t.GetFloatv = NullGetFloatv;
  t.GetError = NullGetError;
  t.GetString = NullGetString;
  t.VertexPointer = t.TexCoordPointer = NullPointer;
  t.NormalPointer = NullNormalPointer;
  t.DrawElements = NullDrawElements;
  t.gluBuild2DMipmaps = NullBuild2DMipmaps;
  t.gluNewQuadric = NullNewQuadric;
  t.gluDeleteQuadric = NullQuadric;
  t.gluQuadricNormals = t.gluQuadricOrientation = t.gluQuadricDrawStyle = NullQuadricEnum;
  t.gluQuadricTexture = NullQuadricBool;
  t.gluCylinder = NullCylinder;
  t.gluDisk = NullDisk;
  t.gluPartialDisk = NullPartialDisk;
  t.gluSphere = NullSphere;
  t.gluNewTess = NullNewTess;
  t.gluDeleteTess = t.gluTessBeginContour = t.gluTessEndContour = t.gluTessEndPolygon = NullTess;
  t.gluTessCallback = NullTessCallback;
  t.gluTessBeginPolygon = NullTessBeginPolygon;
  t.gluTessVertex = NullTessVertex;
  t.gluTessProperty = NullTessProperty;
  t.gluTessNormal = NullTessNormal;
  t.ActiveTexture = nullptr;
  t.GenerateMipmap = nullptr;
  return t;
}

// The GL and GLU libraries, opened once and kept open for the life of the process (display
// lists and textures may outlive any one viewer), like the entry points a program linked to
// them would have: their tables and what became of the loading.
struct TGLLibraries {
  TGLFunctions NullTable = MakeNullTable();
  TGLFunctions RealTable{};
  bool Loaded = false;
  bool Tried = false;
  bool ExtensionsRead = false;
  std::string LoadError;
  std::mutex LoadMutex;
};
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): one per process, as above.
TGLLibraries Libraries;

template <class F>
bool Bind(void* lib, const char* name, F& slot)
{
  void* p = dlsym(lib, name);
  if (!p) {
    if (Libraries.LoadError.empty())
      Libraries.LoadError = std::string("missing entry point ") + name;
    return false;
  }
  slot = reinterpret_cast<F>(p);
  return true;
}

bool LoadTable()
{
  void* gl = dlopen("libGL.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!gl) {
    const char* e = dlerror();
    Libraries.LoadError = std::string("cannot open libGL.so.1: ") + (e ? e : "");
    return false;
  }
  void* glu = dlopen("libGLU.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!glu) {
    const char* e = dlerror();
    Libraries.LoadError = std::string("cannot open libGLU.so.1: ") + (e ? e : "");
    return false;
  }
  // The libraries stay open for the life of the process: display lists and textures may
  // outlive any one viewer.
  TGLFunctions t = Libraries.NullTable;
  bool ok = true;
#define BIND(Name, Params, Args) ok &= Bind(gl, "gl" #Name, t.Name);
  ORRELO_GL_SCALAR_FUNCS(BIND)
#undef BIND
#define BIND_GLU(Name, Params, Args) ok &= Bind(glu, "glu" #Name, t.glu##Name);
  ORRELO_GLU_SCALAR_FUNCS(BIND_GLU)
#undef BIND_GLU
  ok &= Bind(gl, "glNormal3fv", t.Normal3fv);
  ok &= Bind(gl, "glVertex2fv", t.Vertex2fv);
  ok &= Bind(gl, "glVertex3fv", t.Vertex3fv);
  ok &= Bind(gl, "glTexCoord2fv", t.TexCoord2fv);
  ok &= Bind(gl, "glColor3fv", t.Color3fv);
  ok &= Bind(gl, "glColor4fv", t.Color4fv);
  ok &= Bind(gl, "glMaterialfv", t.Materialfv);
  ok &= Bind(gl, "glLightfv", t.Lightfv);
  ok &= Bind(gl, "glLightModelfv", t.LightModelfv);
  ok &= Bind(gl, "glMultMatrixf", t.MultMatrixf);
  ok &= Bind(gl, "glLoadMatrixf", t.LoadMatrixf);
  ok &= Bind(gl, "glGenLists", t.GenLists);
  ok &= Bind(gl, "glIsList", t.IsList);
  ok &= Bind(gl, "glIsEnabled", t.IsEnabled);
  ok &= Bind(gl, "glTexImage2D", t.TexImage2D);
  ok &= Bind(gl, "glGenTextures", t.GenTextures);
  ok &= Bind(gl, "glDeleteTextures", t.DeleteTextures);
  ok &= Bind(gl, "glReadPixels", t.ReadPixels);
  ok &= Bind(gl, "glGetIntegerv", t.GetIntegerv);
  ok &= Bind(gl, "glGetFloatv", t.GetFloatv);
  ok &= Bind(gl, "glGetError", t.GetError);
  ok &= Bind(gl, "glGetString", t.GetString);
  ok &= Bind(gl, "glVertexPointer", t.VertexPointer);
  ok &= Bind(gl, "glNormalPointer", t.NormalPointer);
  ok &= Bind(gl, "glTexCoordPointer", t.TexCoordPointer);
  ok &= Bind(gl, "glDrawElements", t.DrawElements);
  ok &= Bind(glu, "gluBuild2DMipmaps", t.gluBuild2DMipmaps);
  ok &= Bind(glu, "gluNewQuadric", t.gluNewQuadric);
  ok &= Bind(glu, "gluDeleteQuadric", t.gluDeleteQuadric);
  ok &= Bind(glu, "gluQuadricNormals", t.gluQuadricNormals);
  ok &= Bind(glu, "gluQuadricOrientation", t.gluQuadricOrientation);
  ok &= Bind(glu, "gluQuadricTexture", t.gluQuadricTexture);
  ok &= Bind(glu, "gluQuadricDrawStyle", t.gluQuadricDrawStyle);
  ok &= Bind(glu, "gluCylinder", t.gluCylinder);
  ok &= Bind(glu, "gluDisk", t.gluDisk);
  ok &= Bind(glu, "gluPartialDisk", t.gluPartialDisk);
  ok &= Bind(glu, "gluSphere", t.gluSphere);
  ok &= Bind(glu, "gluNewTess", t.gluNewTess);
  ok &= Bind(glu, "gluDeleteTess", t.gluDeleteTess);
  ok &= Bind(glu, "gluTessCallback", t.gluTessCallback);
  ok &= Bind(glu, "gluTessBeginPolygon", t.gluTessBeginPolygon);
  ok &= Bind(glu, "gluTessBeginContour", t.gluTessBeginContour);
  ok &= Bind(glu, "gluTessVertex", t.gluTessVertex);
  ok &= Bind(glu, "gluTessEndContour", t.gluTessEndContour);
  ok &= Bind(glu, "gluTessEndPolygon", t.gluTessEndPolygon);
  ok &= Bind(glu, "gluTessProperty", t.gluTessProperty);
  ok &= Bind(glu, "gluTessNormal", t.gluTessNormal);
  if (!ok)
    return false;
  Libraries.RealTable = t;
  return true;
}

}   // namespace

// Every gl call goes through it, as a program linked to the library calls its entry points:
// the no-op table until the library is loaded, then the library's; a test's recorder swaps
// itself in.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): process-wide, as above.
TGLFunctions* GLTable = &Libraries.NullTable;

const TGLFunctions& NullGLFunctions() { return Libraries.NullTable; }

bool InitOpenGL()
{
  std::lock_guard<std::mutex> lock(Libraries.LoadMutex);
  if (!Libraries.Tried) {
    Libraries.Tried = true;
    Libraries.Loaded = LoadTable();
  }
  // Only replace the no-op table: a recorder installed by a test stays in charge.
  if (Libraries.Loaded && GLTable == &Libraries.NullTable)
    GLTable = &Libraries.RealTable;
  return Libraries.Loaded;
}

bool OpenGLLoaded() { return Libraries.Loaded; }
std::string OpenGLLoadError() { return Libraries.LoadError; }
TGLFunctions* LoadedGLFunctions() { return Libraries.Loaded ? &Libraries.RealTable : nullptr; }

void PinGLDriver()
{
  // The display's driver is unloaded when the toolkit closes the display at exit, which
  // leaves its allocations without names for leak reports and debuggers. Keep it loaded.
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.find("_dri.so") != std::string::npos || name.find("libgallium") != std::string::npos)
          dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

void ReadExtensions(TGLProcLookup lookup, void* user)
{
  if (!Libraries.Loaded || Libraries.ExtensionsRead || !lookup)
    return;
  Libraries.ExtensionsRead = true;
  Libraries.RealTable.ActiveTexture = reinterpret_cast<void (*)(GLenum)>(lookup("glActiveTexture", user));
  Libraries.RealTable.GenerateMipmap = reinterpret_cast<void (*)(GLenum)>(lookup("glGenerateMipmap", user));
}
