// The OpenGL back end of the drawing: fixed-function GL and GLUT bitmap fonts.
#include "window/glcanvas.h"

#include <GL/freeglut.h>

#include <cmath>

namespace hs {

namespace {

// Radians to degrees for glRotate, with the program's own conversion factor.
constexpr double RADPERDEG = 0.01745329252;

GLenum glmode(Shape kind) {
  switch (kind) {
    case Shape::Lines: return GL_LINES;
    case Shape::LineLoop: return GL_LINE_LOOP;
    case Shape::LineStrip: return GL_LINE_STRIP;
    case Shape::Polygon: break;
  }
  return GL_POLYGON;
}

void* glutfont(Font f) {
  return f == Font::Helvetica12 ? GLUT_BITMAP_HELVETICA_12 : GLUT_BITMAP_HELVETICA_18;
}

}  // namespace

void GlCanvas::clear() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void GlCanvas::present() {
  glFlush();
  glutSwapBuffers();
}

void GlCanvas::linewidth(double px) { glLineWidth(static_cast<GLfloat>(px)); }

void GlCanvas::pushframe(const Pair& at, double angle) {
  glPushMatrix();
  glTranslated(at[0], at[1], 0.0);
  glRotated(angle / RADPERDEG, 0.0, 0.0, 1.0);
}

void GlCanvas::popframe() { glPopMatrix(); }

void GlCanvas::shape(Shape kind, const Rgba& c, const std::vector<Pair>& pts) {
  glDisable(GL_LIGHTING);
  glColor4f(c.r, c.g, c.b, c.a);
  glBegin(glmode(kind));
  for (const Pair& p : pts) glVertex2d(p[0], p[1]);
  glEnd();
}

void GlCanvas::text(float x, float y, Font font, const std::string& bytes) {
  // The raster colour is latched by glRasterPos: set black inside a saved
  // attribute group so the caller's current colour is left as it was.
  glPushAttrib(GL_CURRENT_BIT);
  glColor4f(0, 0, 0, 0);
  glRasterPos2f(x, y);
  for (unsigned char ch : bytes) {
    if (ch == '\0') break;
    if (ch == '\n') continue;
    glutBitmapCharacter(glutfont(font), ch);
  }
  glPopAttrib();
}

}  // namespace hs
