#include "engine/OpenGL1x.h"

#include <gtest/gtest.h>

#include "engine/GLRecorder.h"

namespace {

TEST(OpenGL1x, UnloadedCallsAreHarmless)
{
  // Before any context exists the no-op table answers.
  if (GLTable == &const_cast<TGLFunctions&>(NullGLFunctions())) {
    glBegin(GL_TRIANGLES);
    glEnd();
    EXPECT_EQ(glGenLists(1), 0u);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
  }
}

TEST(OpenGL1x, LoadsTheSystemLibrariesWithoutDisplacingARecorder)
{
  TGLRecorder rec;
  ASSERT_TRUE(InitOpenGL()) << OpenGLLoadError();
  EXPECT_TRUE(OpenGLLoaded());
  EXPECT_NE(LoadedGLFunctions(), nullptr);
  glEnable(GL_NORMALIZE);
  EXPECT_EQ(rec.Count("glEnable"), 1);
}

}   // namespace
