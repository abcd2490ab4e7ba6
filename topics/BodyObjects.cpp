#include "topics/BodyObjects.h"

#include <cmath>
#include <vector>

#include "parts/PartGeometry.h"
#include "parts/PartHelpers.h"

THead::THead(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void THead::BuildList(TRenderContextInfo&)
{
  // Drawn in units of the radius; a head without a usable radius draws nothing.
  const Single radius = Finite(Radius);
  if (!(std::fabs(radius) > 1e-6f))
    return;
  const Integer n = SafeCount(Slices, 3);
  const Single a = 0.5f * Finite(Height) / radius, b = 0.35f * Finite(Height) / radius, c = 1 - (a - b);
  const Single twoPi = 2 * 3.14159265f;
  const Single t0 = (a - b) / twoPi, t1 = (a + b) / twoPi, t2 = 2 * a / twoPi;
  std::vector<Single> S(size_t(n) + 1), C(size_t(n) + 1);
  for (Integer k = 0; k <= n; ++k) {
    S[size_t(k)] = Single(std::sin(k * 2 * 3.14159265358979323846 / n));
    C[size_t(k)] = Single(std::cos(k * 2 * 3.14159265358979323846 / n));
  }
  auto s = [&](Integer k) { return Single(k) / Single(n); };

  glPushMatrix();
  glScalef(radius, radius, radius);
  glBegin(GL_TRIANGLE_STRIP);   // side
  for (Integer k = 0; k <= n; ++k) {
    const Single ck = C[size_t(k)], sk = S[size_t(k)];
    glNormal3f(ck, 0, -sk);
    glTexCoord2f(s(k), t1);
    glVertex3f(ck, b, -sk);
    glTexCoord2f(s(k), t0);
    glVertex3f(ck, -b, -sk);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // upper chamfer
  for (Integer k = 0; k <= n; ++k) {
    const Single ck = C[size_t(k)], sk = S[size_t(k)];
    glNormal3f(ck, 0.7f, -sk);
    glTexCoord2f(s(k), t2);
    glVertex3f(c * ck, a, -c * sk);
    glTexCoord2f(s(k), t1);
    glVertex3f(ck, b, -sk);
  }
  glEnd();
  glBegin(GL_TRIANGLE_FAN);   // top
  glNormal3f(0, 1, 0);
  glTexCoord2f(0.5f, 0.5f);
  glVertex3f(0, a, 0);
  for (Integer k = 0; k <= n; ++k) {
    const Single ck = C[size_t(k)], sk = S[size_t(k)];
    glTexCoord2f(0.5f + ck / twoPi, 0.5f + sk / twoPi);
    glVertex3f(c * ck, a, -c * sk);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // lower chamfer
  for (Integer k = n; k >= 0; --k) {
    const Single ck = C[size_t(k)], sk = S[size_t(k)];
    glNormal3f(ck, -0.7f, -sk);
    glTexCoord2f(s(k), 0);
    glVertex3f(c * ck, -a, -c * sk);
    glTexCoord2f(s(k), t0);
    glVertex3f(ck, -b, -sk);
  }
  glEnd();

  // The underside in plain skin colour, never textured.
  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_COLOR_MATERIAL);
  glColor3f(0.96f, 0.8f, 0.69f);
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, -1, 0);
  glVertex3f(0, -a, 0);
  for (Integer k = n; k >= 0; --k)
    glVertex3f(c * C[size_t(k)], -a, -c * S[size_t(k)]);
  glEnd();
  glPopAttrib();
  glPopMatrix();
}
