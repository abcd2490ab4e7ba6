// Run-time OpenGL 1.1 and GLU binding. The program links no GL function: libGL.so.1 and
// libGLU.so.1 are opened with dlopen on first need and their entry points land in a table
// of function pointers. Code calls the plain-looking wrappers below (glBegin(GL_QUADS)...),
// which go through the current table; tests swap the table for a recorder (GLRecorder.h).
// Until a table is loaded every entry is a harmless no-op.
//
// No system GL header may be included next to this one: the types and constants here are
// our own, with the standard OpenGL ABI values.
#pragma once

#include <cstdint>
#include <string>

using GLenum = uint32_t;
using GLboolean = uint8_t;
using GLbitfield = uint32_t;
using GLbyte = int8_t;
using GLshort = int16_t;
using GLint = int32_t;
using GLsizei = int32_t;
using GLubyte = uint8_t;
using GLushort = uint16_t;
using GLuint = uint32_t;
using GLfloat = float;
using GLclampf = float;
using GLdouble = double;
using GLclampd = double;
using GLvoid = void;

// Opaque GLU objects.
struct GLUquadric;
struct GLUtesselator;
using GLUquadricObj = GLUquadric;
using GLUtriangulatorObj = GLUtesselator;
// GLU takes every tessellator callback as this type and casts it back by the callback kind.
using TGLUTessCallback = void (*)();

// --- constants -------------------------------------------------------------------------
constexpr GLboolean GL_FALSE = 0;
constexpr GLboolean GL_TRUE = 1;
constexpr GLenum GL_NO_ERROR = 0;

// primitives
constexpr GLenum GL_POINTS = 0x0000;
constexpr GLenum GL_LINES = 0x0001;
constexpr GLenum GL_LINE_LOOP = 0x0002;
constexpr GLenum GL_LINE_STRIP = 0x0003;
constexpr GLenum GL_TRIANGLES = 0x0004;
constexpr GLenum GL_TRIANGLE_STRIP = 0x0005;
constexpr GLenum GL_TRIANGLE_FAN = 0x0006;
constexpr GLenum GL_QUADS = 0x0007;
constexpr GLenum GL_QUAD_STRIP = 0x0008;
constexpr GLenum GL_POLYGON = 0x0009;

// attribute bits
constexpr GLbitfield GL_CURRENT_BIT = 0x00000001;
constexpr GLbitfield GL_POINT_BIT = 0x00000002;
constexpr GLbitfield GL_LINE_BIT = 0x00000004;
constexpr GLbitfield GL_POLYGON_BIT = 0x00000008;
constexpr GLbitfield GL_POLYGON_STIPPLE_BIT = 0x00000010;
constexpr GLbitfield GL_PIXEL_MODE_BIT = 0x00000020;
constexpr GLbitfield GL_LIGHTING_BIT = 0x00000040;
constexpr GLbitfield GL_FOG_BIT = 0x00000080;
constexpr GLbitfield GL_DEPTH_BUFFER_BIT = 0x00000100;
constexpr GLbitfield GL_ACCUM_BUFFER_BIT = 0x00000200;
constexpr GLbitfield GL_STENCIL_BUFFER_BIT = 0x00000400;
constexpr GLbitfield GL_VIEWPORT_BIT = 0x00000800;
constexpr GLbitfield GL_TRANSFORM_BIT = 0x00001000;
constexpr GLbitfield GL_ENABLE_BIT = 0x00002000;
constexpr GLbitfield GL_COLOR_BUFFER_BIT = 0x00004000;
constexpr GLbitfield GL_HINT_BIT = 0x00008000;
constexpr GLbitfield GL_EVAL_BIT = 0x00010000;
constexpr GLbitfield GL_LIST_BIT = 0x00020000;
constexpr GLbitfield GL_TEXTURE_BIT = 0x00040000;
constexpr GLbitfield GL_SCISSOR_BIT = 0x00080000;
constexpr GLbitfield GL_ALL_ATTRIB_BITS = 0x000FFFFF;

// faces, winding, polygon modes
constexpr GLenum GL_FRONT = 0x0404;
constexpr GLenum GL_BACK = 0x0405;
constexpr GLenum GL_FRONT_AND_BACK = 0x0408;
constexpr GLenum GL_CW = 0x0900;
constexpr GLenum GL_CCW = 0x0901;
constexpr GLenum GL_POINT = 0x1B00;
constexpr GLenum GL_LINE = 0x1B01;
constexpr GLenum GL_FILL = 0x1B02;
constexpr GLenum GL_FLAT = 0x1D00;
constexpr GLenum GL_SMOOTH = 0x1D01;

// capabilities
constexpr GLenum GL_POINT_SMOOTH = 0x0B10;
constexpr GLenum GL_LINE_SMOOTH = 0x0B20;
constexpr GLenum GL_LINE_STIPPLE = 0x0B24;
constexpr GLenum GL_POLYGON_SMOOTH = 0x0B41;
constexpr GLenum GL_CULL_FACE = 0x0B44;
constexpr GLenum GL_LIGHTING = 0x0B50;
constexpr GLenum GL_LIGHT_MODEL_LOCAL_VIEWER = 0x0B51;
constexpr GLenum GL_LIGHT_MODEL_TWO_SIDE = 0x0B52;
constexpr GLenum GL_LIGHT_MODEL_AMBIENT = 0x0B53;
constexpr GLenum GL_COLOR_MATERIAL = 0x0B57;
constexpr GLenum GL_FOG = 0x0B60;
constexpr GLenum GL_DEPTH_TEST = 0x0B71;
constexpr GLenum GL_ALPHA_TEST = 0x0BC0;
constexpr GLenum GL_DITHER = 0x0BD0;
constexpr GLenum GL_BLEND = 0x0BE2;
constexpr GLenum GL_SCISSOR_TEST = 0x0C11;
constexpr GLenum GL_NORMALIZE = 0x0BA1;
constexpr GLenum GL_TEXTURE_1D = 0x0DE0;
constexpr GLenum GL_TEXTURE_2D = 0x0DE1;
constexpr GLenum GL_POLYGON_OFFSET_FILL = 0x8037;
constexpr GLenum GL_RESCALE_NORMAL = 0x803A;
constexpr GLenum GL_VERTEX_ARRAY = 0x8074;
constexpr GLenum GL_NORMAL_ARRAY = 0x8075;
constexpr GLenum GL_COLOR_ARRAY = 0x8076;
constexpr GLenum GL_TEXTURE_COORD_ARRAY = 0x8078;
constexpr GLenum GL_LIGHT_MODEL_COLOR_CONTROL = 0x81F8;
constexpr GLenum GL_SEPARATE_SPECULAR_COLOR = 0x81FA;
constexpr GLenum GL_SINGLE_COLOR = 0x81F9;

// lights and materials
constexpr GLenum GL_LIGHT0 = 0x4000;
constexpr GLenum GL_LIGHT1 = 0x4001;
constexpr GLenum GL_LIGHT2 = 0x4002;
constexpr GLenum GL_LIGHT3 = 0x4003;
constexpr GLenum GL_LIGHT4 = 0x4004;
constexpr GLenum GL_LIGHT5 = 0x4005;
constexpr GLenum GL_LIGHT6 = 0x4006;
constexpr GLenum GL_LIGHT7 = 0x4007;
constexpr GLenum GL_AMBIENT = 0x1200;
constexpr GLenum GL_DIFFUSE = 0x1201;
constexpr GLenum GL_SPECULAR = 0x1202;
constexpr GLenum GL_POSITION = 0x1203;
constexpr GLenum GL_SPOT_DIRECTION = 0x1204;
constexpr GLenum GL_SPOT_EXPONENT = 0x1205;
constexpr GLenum GL_SPOT_CUTOFF = 0x1206;
constexpr GLenum GL_CONSTANT_ATTENUATION = 0x1207;
constexpr GLenum GL_LINEAR_ATTENUATION = 0x1208;
constexpr GLenum GL_QUADRATIC_ATTENUATION = 0x1209;
constexpr GLenum GL_EMISSION = 0x1600;
constexpr GLenum GL_SHININESS = 0x1601;
constexpr GLenum GL_AMBIENT_AND_DIFFUSE = 0x1602;

// matrices
constexpr GLenum GL_MODELVIEW = 0x1700;
constexpr GLenum GL_PROJECTION = 0x1701;
constexpr GLenum GL_TEXTURE = 0x1702;
constexpr GLenum GL_MATRIX_MODE = 0x0BA0;
constexpr GLenum GL_MODELVIEW_MATRIX = 0x0BA6;
constexpr GLenum GL_PROJECTION_MATRIX = 0x0BA7;
constexpr GLenum GL_VIEWPORT = 0x0BA2;
constexpr GLenum GL_MODELVIEW_STACK_DEPTH = 0x0BA3;
constexpr GLenum GL_ATTRIB_STACK_DEPTH = 0x0BB0;
constexpr GLenum GL_MAX_TEXTURE_SIZE = 0x0D33;

// depth and blending
constexpr GLenum GL_NEVER = 0x0200;
constexpr GLenum GL_LESS = 0x0201;
constexpr GLenum GL_EQUAL = 0x0202;
constexpr GLenum GL_LEQUAL = 0x0203;
constexpr GLenum GL_GREATER = 0x0204;
constexpr GLenum GL_NOTEQUAL = 0x0205;
constexpr GLenum GL_GEQUAL = 0x0206;
constexpr GLenum GL_ALWAYS = 0x0207;
constexpr GLenum GL_ZERO = 0;
constexpr GLenum GL_ONE = 1;
constexpr GLenum GL_SRC_COLOR = 0x0300;
constexpr GLenum GL_ONE_MINUS_SRC_COLOR = 0x0301;
constexpr GLenum GL_SRC_ALPHA = 0x0302;
constexpr GLenum GL_ONE_MINUS_SRC_ALPHA = 0x0303;
constexpr GLenum GL_DST_ALPHA = 0x0304;
constexpr GLenum GL_ONE_MINUS_DST_ALPHA = 0x0305;
constexpr GLenum GL_DST_COLOR = 0x0306;
constexpr GLenum GL_ONE_MINUS_DST_COLOR = 0x0307;

// hints
constexpr GLenum GL_PERSPECTIVE_CORRECTION_HINT = 0x0C50;
constexpr GLenum GL_POINT_SMOOTH_HINT = 0x0C51;
constexpr GLenum GL_LINE_SMOOTH_HINT = 0x0C52;
constexpr GLenum GL_POLYGON_SMOOTH_HINT = 0x0C53;
constexpr GLenum GL_DONT_CARE = 0x1100;
constexpr GLenum GL_FASTEST = 0x1101;
constexpr GLenum GL_NICEST = 0x1102;

// display lists
constexpr GLenum GL_COMPILE = 0x1300;
constexpr GLenum GL_COMPILE_AND_EXECUTE = 0x1301;

// data types and pixel formats
constexpr GLenum GL_BYTE = 0x1400;
constexpr GLenum GL_UNSIGNED_BYTE = 0x1401;
constexpr GLenum GL_SHORT = 0x1402;
constexpr GLenum GL_UNSIGNED_SHORT = 0x1403;
constexpr GLenum GL_INT = 0x1404;
constexpr GLenum GL_UNSIGNED_INT = 0x1405;
constexpr GLenum GL_FLOAT = 0x1406;
constexpr GLenum GL_DOUBLE = 0x140A;
constexpr GLenum GL_ALPHA = 0x1906;
constexpr GLenum GL_RGB = 0x1907;
constexpr GLenum GL_RGBA = 0x1908;
constexpr GLenum GL_LUMINANCE = 0x1909;
constexpr GLenum GL_BGR = 0x80E0;
constexpr GLenum GL_BGRA = 0x80E1;
constexpr GLenum GL_RGB8 = 0x8051;
constexpr GLenum GL_RGBA8 = 0x8058;
constexpr GLenum GL_UNPACK_ALIGNMENT = 0x0CF5;
constexpr GLenum GL_PACK_ALIGNMENT = 0x0D05;
constexpr GLenum GL_FRONT_LEFT = 0x0400;
constexpr GLenum GL_BACK_LEFT = 0x0402;

// textures
constexpr GLenum GL_TEXTURE_ENV = 0x2300;
constexpr GLenum GL_TEXTURE_ENV_MODE = 0x2200;
constexpr GLenum GL_MODULATE = 0x2100;
constexpr GLenum GL_DECAL = 0x2101;
constexpr GLenum GL_REPLACE = 0x1E01;
constexpr GLenum GL_ADD = 0x0104;
constexpr GLenum GL_TEXTURE_MAG_FILTER = 0x2800;
constexpr GLenum GL_TEXTURE_MIN_FILTER = 0x2801;
constexpr GLenum GL_TEXTURE_WRAP_S = 0x2802;
constexpr GLenum GL_TEXTURE_WRAP_T = 0x2803;
constexpr GLenum GL_NEAREST = 0x2600;
constexpr GLenum GL_LINEAR = 0x2601;
constexpr GLenum GL_NEAREST_MIPMAP_NEAREST = 0x2700;
constexpr GLenum GL_LINEAR_MIPMAP_NEAREST = 0x2701;
constexpr GLenum GL_NEAREST_MIPMAP_LINEAR = 0x2702;
constexpr GLenum GL_LINEAR_MIPMAP_LINEAR = 0x2703;
constexpr GLenum GL_CLAMP = 0x2900;
constexpr GLenum GL_REPEAT = 0x2901;
constexpr GLenum GL_CLAMP_TO_EDGE = 0x812F;

// strings
constexpr GLenum GL_VENDOR = 0x1F00;
constexpr GLenum GL_RENDERER = 0x1F01;
constexpr GLenum GL_VERSION = 0x1F02;
constexpr GLenum GL_EXTENSIONS = 0x1F03;

// GLU
constexpr GLenum GLU_SMOOTH = 100000;
constexpr GLenum GLU_FLAT = 100001;
constexpr GLenum GLU_NONE = 100002;
constexpr GLenum GLU_POINT = 100010;
constexpr GLenum GLU_LINE = 100011;
constexpr GLenum GLU_FILL = 100012;
constexpr GLenum GLU_SILHOUETTE = 100013;
constexpr GLenum GLU_OUTSIDE = 100020;
constexpr GLenum GLU_INSIDE = 100021;
constexpr GLenum GLU_TESS_BEGIN = 100100;
constexpr GLenum GLU_TESS_VERTEX = 100101;
constexpr GLenum GLU_TESS_END = 100102;
constexpr GLenum GLU_TESS_ERROR = 100103;
constexpr GLenum GLU_TESS_EDGE_FLAG = 100104;
constexpr GLenum GLU_TESS_COMBINE = 100105;
constexpr GLenum GLU_TESS_BEGIN_DATA = 100106;
constexpr GLenum GLU_TESS_VERTEX_DATA = 100107;
constexpr GLenum GLU_TESS_END_DATA = 100108;
constexpr GLenum GLU_TESS_ERROR_DATA = 100109;
constexpr GLenum GLU_TESS_EDGE_FLAG_DATA = 100110;
constexpr GLenum GLU_TESS_COMBINE_DATA = 100111;
constexpr GLenum GLU_TESS_WINDING_RULE = 100140;
constexpr GLenum GLU_TESS_BOUNDARY_ONLY = 100141;
constexpr GLenum GLU_TESS_TOLERANCE = 100142;
constexpr GLenum GLU_TESS_WINDING_ODD = 100130;
constexpr GLenum GLU_TESS_WINDING_NONZERO = 100131;
constexpr GLenum GLU_TESS_WINDING_POSITIVE = 100132;
constexpr GLenum GLU_TESS_WINDING_NEGATIVE = 100133;
constexpr GLenum GLU_TESS_WINDING_ABS_GEQ_TWO = 100134;

// --- the table ---------------------------------------------------------------------------
// Entry points whose arguments are all numbers: (name without "gl", parameters, arguments).
// The recorder records these generically.
#define ORRELO_GL_SCALAR_FUNCS(X)                                                                          \
  X(Begin, (GLenum mode), (mode))                                                                          \
  X(End, (), ())                                                                                           \
  X(Normal3f, (GLfloat nx, GLfloat ny, GLfloat nz), (nx, ny, nz))                                          \
  X(Vertex2f, (GLfloat x, GLfloat y), (x, y))                                                              \
  X(Vertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                                \
  X(TexCoord2f, (GLfloat s, GLfloat t), (s, t))                                                            \
  X(Color3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))                                                 \
  X(Color4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))                                   \
  X(Color3ub, (GLubyte r, GLubyte g, GLubyte b), (r, g, b))                                                \
  X(Materiali, (GLenum face, GLenum pname, GLint param), (face, pname, param))                             \
  X(Materialf, (GLenum face, GLenum pname, GLfloat param), (face, pname, param))                           \
  X(PushAttrib, (GLbitfield mask), (mask))                                                                 \
  X(PopAttrib, (), ())                                                                                     \
  X(Enable, (GLenum cap), (cap))                                                                           \
  X(Disable, (GLenum cap), (cap))                                                                          \
  X(FrontFace, (GLenum mode), (mode))                                                                      \
  X(CullFace, (GLenum mode), (mode))                                                                       \
  X(PushMatrix, (), ())                                                                                    \
  X(PopMatrix, (), ())                                                                                     \
  X(Translatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                              \
  X(Rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z))                           \
  X(Scalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                                  \
  X(LoadIdentity, (), ())                                                                                  \
  X(MatrixMode, (GLenum mode), (mode))                                                                     \
  X(Viewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))                    \
  X(Scissor, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))                     \
  X(Clear, (GLbitfield mask), (mask))                                                                      \
  X(ClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a))                            \
  X(ClearDepth, (GLclampd depth), (depth))                                                                 \
  X(ClearStencil, (GLint s), (s))                                                                          \
  X(NewList, (GLuint list, GLenum mode), (list, mode))                                                     \
  X(EndList, (), ())                                                                                       \
  X(CallList, (GLuint list), (list))                                                                       \
  X(DeleteLists, (GLuint list, GLsizei range), (list, range))                                              \
  X(Lightf, (GLenum light, GLenum pname, GLfloat param), (light, pname, param))                            \
  X(LightModeli, (GLenum pname, GLint param), (pname, param))                                              \
  X(ShadeModel, (GLenum mode), (mode))                                                                     \
  X(DepthFunc, (GLenum func), (func))                                                                      \
  X(DepthMask, (GLboolean flag), (flag))                                                                   \
  X(BlendFunc, (GLenum sfactor, GLenum dfactor), (sfactor, dfactor))                                       \
  X(AlphaFunc, (GLenum func, GLclampf ref), (func, ref))                                                   \
  X(Hint, (GLenum target, GLenum mode), (target, mode))                                                    \
  X(LineWidth, (GLfloat width), (width))                                                                   \
  X(LineStipple, (GLint factor, GLushort pattern), (factor, pattern))                                      \
  X(PointSize, (GLfloat size), (size))                                                                     \
  X(ColorMaterial, (GLenum face, GLenum mode), (face, mode))                                               \
  X(ColorMask, (GLboolean r, GLboolean g, GLboolean b, GLboolean a), (r, g, b, a))                         \
  X(PolygonMode, (GLenum face, GLenum mode), (face, mode))                                                 \
  X(PolygonOffset, (GLfloat factor, GLfloat units), (factor, units))                                       \
  X(TexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))                     \
  X(TexEnvi, (GLenum target, GLenum pname, GLint param), (target, pname, param))                           \
  X(BindTexture, (GLenum target, GLuint texture), (target, texture))                                       \
  X(PixelStorei, (GLenum pname, GLint param), (pname, param))                                              \
  X(ReadBuffer, (GLenum mode), (mode))                                                                     \
  X(DrawBuffer, (GLenum mode), (mode))                                                                     \
  X(Finish, (), ())                                                                                        \
  X(Flush, (), ())                                                                                         \
  X(EnableClientState, (GLenum array), (array))                                                            \
  X(DisableClientState, (GLenum array), (array))                                                           \
  X(DrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count))                           \
  X(Frustum, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), (l, r, b, t, n, f)) \
  X(Ortho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), (l, r, b, t, n, f))

#define ORRELO_GLU_SCALAR_FUNCS(X)                                                                             \
  X(Perspective, (GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar), (fovy, aspect, zNear, zFar)) \
  X(LookAt,                                                                                                    \
    (GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy,   \
     GLdouble uz),                                                                                             \
    (ex, ey, ez, cx, cy, cz, ux, uy, uz))

struct TGLFunctions {
#define ORRELO_GL_MEMBER(Name, Params, Args) void(*Name) Params;
  ORRELO_GL_SCALAR_FUNCS(ORRELO_GL_MEMBER)
  // GLU entry points with number arguments are named with a "glu" prefix here.
#define ORRELO_GLU_MEMBER(Name, Params, Args) void(*glu##Name) Params;
  ORRELO_GLU_SCALAR_FUNCS(ORRELO_GLU_MEMBER)
#undef ORRELO_GL_MEMBER
#undef ORRELO_GLU_MEMBER

  void (*Normal3fv)(const GLfloat* v);
  void (*Vertex2fv)(const GLfloat* v);
  void (*Vertex3fv)(const GLfloat* v);
  void (*TexCoord2fv)(const GLfloat* v);
  void (*Color3fv)(const GLfloat* v);
  void (*Color4fv)(const GLfloat* v);
  void (*Materialfv)(GLenum face, GLenum pname, const GLfloat* params);
  void (*Lightfv)(GLenum light, GLenum pname, const GLfloat* params);
  void (*LightModelfv)(GLenum pname, const GLfloat* params);
  void (*MultMatrixf)(const GLfloat* m);
  void (*LoadMatrixf)(const GLfloat* m);
  GLuint (*GenLists)(GLsizei range);
  GLboolean (*IsList)(GLuint list);
  GLboolean (*IsEnabled)(GLenum cap);
  void (*TexImage2D)(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                     GLenum format, GLenum type, const void* pixels);
  void (*GenTextures)(GLsizei n, GLuint* textures);
  void (*DeleteTextures)(GLsizei n, const GLuint* textures);
  void (*ReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels);
  void (*GetIntegerv)(GLenum pname, GLint* params);
  void (*GetFloatv)(GLenum pname, GLfloat* params);
  GLenum (*GetError)();
  const GLubyte* (*GetString)(GLenum name);
  void (*VertexPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
  void (*NormalPointer)(GLenum type, GLsizei stride, const void* pointer);
  void (*TexCoordPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
  void (*DrawElements)(GLenum mode, GLsizei count, GLenum type, const void* indices);

  GLint (*gluBuild2DMipmaps)(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                             const void* data);
  GLUquadric* (*gluNewQuadric)();
  void (*gluDeleteQuadric)(GLUquadric* q);
  void (*gluQuadricNormals)(GLUquadric* q, GLenum normal);
  void (*gluQuadricOrientation)(GLUquadric* q, GLenum orientation);
  void (*gluQuadricTexture)(GLUquadric* q, GLboolean texture);
  void (*gluQuadricDrawStyle)(GLUquadric* q, GLenum draw);
  void (*gluCylinder)(GLUquadric* q, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks);
  void (*gluDisk)(GLUquadric* q, GLdouble inner, GLdouble outer, GLint slices, GLint loops);
  void (*gluPartialDisk)(GLUquadric* q, GLdouble inner, GLdouble outer, GLint slices, GLint loops, GLdouble start,
                         GLdouble sweep);
  void (*gluSphere)(GLUquadric* q, GLdouble radius, GLint slices, GLint stacks);
  GLUtesselator* (*gluNewTess)();
  void (*gluDeleteTess)(GLUtesselator* tess);
  void (*gluTessCallback)(GLUtesselator* tess, GLenum which, TGLUTessCallback fn);
  void (*gluTessBeginPolygon)(GLUtesselator* tess, void* data);
  void (*gluTessBeginContour)(GLUtesselator* tess);
  void (*gluTessVertex)(GLUtesselator* tess, GLdouble* location, void* data);
  void (*gluTessEndContour)(GLUtesselator* tess);
  void (*gluTessEndPolygon)(GLUtesselator* tess);
  void (*gluTessProperty)(GLUtesselator* tess, GLenum which, GLdouble value);
  void (*gluTessNormal)(GLUtesselator* tess, GLdouble x, GLdouble y, GLdouble z);

  // Extension entry points, looked up once a context exists (null when absent).
  void (*ActiveTexture)(GLenum texture);
  void (*GenerateMipmap)(GLenum target);
};

// The table every wrapper calls through. Never null: a no-op table until OpenGL is loaded.
// One for the process, as the library's entry points are; a test's recorder swaps it.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): process-wide, as above.
extern TGLFunctions* GLTable;

// A table whose every entry does nothing and returns zero (the start state).
const TGLFunctions& NullGLFunctions();

// Opens libGL.so.1 and libGLU.so.1 (once) and makes their table current. False when either
// library or one of the 1.1 entry points is missing; the no-op table then stays current.
bool InitOpenGL();
bool OpenGLLoaded();
// Why InitOpenGL failed, for diagnostics.
std::string OpenGLLoadError();
// The loaded table (valid after InitOpenGL succeeded), e.g. to restore it after a recorder.
TGLFunctions* LoadedGLFunctions();

// Looks up the extension entry points through a context's proc-address lookup. Call it
// with the context current; later calls do nothing.
using TGLProcLookup = void* (*)(const char* name, void* user);
void ReadExtensions(TGLProcLookup lookup, void* user);
// Keeps the GL driver that the current context loaded in memory until the process ends.
void PinGLDriver();

// --- wrappers --------------------------------------------------------------------------
#define ORRELO_GL_WRAPPER(Name, Params, Args) \
  inline void gl##Name Params { GLTable->Name Args; }
ORRELO_GL_SCALAR_FUNCS(ORRELO_GL_WRAPPER)
#undef ORRELO_GL_WRAPPER
#define ORRELO_GLU_WRAPPER(Name, Params, Args) \
  inline void glu##Name Params { GLTable->glu##Name Args; }
ORRELO_GLU_SCALAR_FUNCS(ORRELO_GLU_WRAPPER)
#undef ORRELO_GLU_WRAPPER

inline void glNormal3fv(const GLfloat* v) { GLTable->Normal3fv(v); }
inline void glVertex2fv(const GLfloat* v) { GLTable->Vertex2fv(v); }
inline void glVertex3fv(const GLfloat* v) { GLTable->Vertex3fv(v); }
inline void glTexCoord2fv(const GLfloat* v) { GLTable->TexCoord2fv(v); }
inline void glColor3fv(const GLfloat* v) { GLTable->Color3fv(v); }
inline void glColor4fv(const GLfloat* v) { GLTable->Color4fv(v); }
inline void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) { GLTable->Materialfv(face, pname, params); }
inline void glLightfv(GLenum light, GLenum pname, const GLfloat* params) { GLTable->Lightfv(light, pname, params); }
inline void glLightModelfv(GLenum pname, const GLfloat* params) { GLTable->LightModelfv(pname, params); }
inline void glMultMatrixf(const GLfloat* m) { GLTable->MultMatrixf(m); }
inline void glLoadMatrixf(const GLfloat* m) { GLTable->LoadMatrixf(m); }
inline GLuint glGenLists(GLsizei range) { return GLTable->GenLists(range); }
inline GLboolean glIsList(GLuint list) { return GLTable->IsList(list); }
inline GLboolean glIsEnabled(GLenum cap) { return GLTable->IsEnabled(cap); }
inline void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                         GLenum format, GLenum type, const void* pixels)
{
  GLTable->TexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
inline void glGenTextures(GLsizei n, GLuint* textures) { GLTable->GenTextures(n, textures); }
inline void glDeleteTextures(GLsizei n, const GLuint* textures) { GLTable->DeleteTextures(n, textures); }
inline void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* pixels)
{
  GLTable->ReadPixels(x, y, w, h, format, type, pixels);
}
inline void glGetIntegerv(GLenum pname, GLint* params) { GLTable->GetIntegerv(pname, params); }
inline void glGetFloatv(GLenum pname, GLfloat* params) { GLTable->GetFloatv(pname, params); }
inline GLenum glGetError() { return GLTable->GetError(); }
inline const GLubyte* glGetString(GLenum name) { return GLTable->GetString(name); }
inline void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* p)
{
  GLTable->VertexPointer(size, type, stride, p);
}
inline void glNormalPointer(GLenum type, GLsizei stride, const void* p) { GLTable->NormalPointer(type, stride, p); }
inline void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* p)
{
  GLTable->TexCoordPointer(size, type, stride, p);
}
inline void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
  GLTable->DrawElements(mode, count, type, indices);
}

inline GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                               const void* data)
{
  return GLTable->gluBuild2DMipmaps(target, components, width, height, format, type, data);
}
inline GLUquadric* gluNewQuadric() { return GLTable->gluNewQuadric(); }
inline void gluDeleteQuadric(GLUquadric* q) { GLTable->gluDeleteQuadric(q); }
inline void gluQuadricNormals(GLUquadric* q, GLenum normal) { GLTable->gluQuadricNormals(q, normal); }
inline void gluQuadricOrientation(GLUquadric* q, GLenum o) { GLTable->gluQuadricOrientation(q, o); }
inline void gluQuadricTexture(GLUquadric* q, GLboolean t) { GLTable->gluQuadricTexture(q, t); }
inline void gluQuadricDrawStyle(GLUquadric* q, GLenum d) { GLTable->gluQuadricDrawStyle(q, d); }
inline void gluCylinder(GLUquadric* q, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks)
{
  GLTable->gluCylinder(q, base, top, height, slices, stacks);
}
inline void gluDisk(GLUquadric* q, GLdouble inner, GLdouble outer, GLint slices, GLint loops)
{
  GLTable->gluDisk(q, inner, outer, slices, loops);
}
inline void gluPartialDisk(GLUquadric* q, GLdouble inner, GLdouble outer, GLint slices, GLint loops, GLdouble start,
                           GLdouble sweep)
{
  GLTable->gluPartialDisk(q, inner, outer, slices, loops, start, sweep);
}
inline void gluSphere(GLUquadric* q, GLdouble radius, GLint slices, GLint stacks)
{
  GLTable->gluSphere(q, radius, slices, stacks);
}
inline GLUtesselator* gluNewTess() { return GLTable->gluNewTess(); }
inline void gluDeleteTess(GLUtesselator* t) { GLTable->gluDeleteTess(t); }
inline void gluTessCallback(GLUtesselator* t, GLenum which, TGLUTessCallback fn)
{
  GLTable->gluTessCallback(t, which, fn);
}
inline void gluTessBeginPolygon(GLUtesselator* t, void* data) { GLTable->gluTessBeginPolygon(t, data); }
inline void gluTessBeginContour(GLUtesselator* t) { GLTable->gluTessBeginContour(t); }
inline void gluTessVertex(GLUtesselator* t, GLdouble* location, void* data)
{
  GLTable->gluTessVertex(t, location, data);
}
inline void gluTessEndContour(GLUtesselator* t) { GLTable->gluTessEndContour(t); }
inline void gluTessEndPolygon(GLUtesselator* t) { GLTable->gluTessEndPolygon(t); }
inline void gluTessProperty(GLUtesselator* t, GLenum which, GLdouble value)
{
  GLTable->gluTessProperty(t, which, value);
}
inline void gluTessNormal(GLUtesselator* t, GLdouble x, GLdouble y, GLdouble z) { GLTable->gluTessNormal(t, x, y, z); }
