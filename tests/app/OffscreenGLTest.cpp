// Tests of the hidden GL context helper used by GL tests and benchmarks.
#include "app/ZynOffscreenGL.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

TEST(OffscreenGL, ContextIsCurrentAndHasRequestedSize)
{
    ASSERT_TRUE(ZynOffscreenGL::Create(64, 32)) << ZynOffscreenGL::LastError();
    EXPECT_TRUE(ZynOffscreenGL::Exists());
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 64);
    EXPECT_EQ(vp[3], 32);
    GLint depth = 0, red = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_RED_BITS, &red);
    EXPECT_GE(depth, 16);
    EXPECT_EQ(red, 8);

    // Immediate mode draws into the back buffer, readable before the swap.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1); glVertex2f(0, -1); glVertex2f(0, 1); glVertex2f(-1, 1);
    glEnd();
    std::vector<unsigned char> px(64 * 32 * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 64, 32, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    EXPECT_EQ(px[(10 * 64 + 5) * 4 + 0], 255);     // left half red
    EXPECT_EQ(px[(10 * 64 + 50) * 4 + 0], 0);      // right half cleared
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ZynOffscreenGL::Swap();
    ZynOffscreenGL::Destroy();
    EXPECT_FALSE(ZynOffscreenGL::Exists());
}

TEST(OffscreenGL, RecreatesAfterDestroyAndRejectsEmptySize)
{
    EXPECT_FALSE(ZynOffscreenGL::Create(0, 10));
    EXPECT_FALSE(ZynOffscreenGL::LastError().empty());
    ASSERT_TRUE(ZynOffscreenGL::Create(16, 16)) << ZynOffscreenGL::LastError();
    ASSERT_TRUE(ZynOffscreenGL::Create(32, 8)) << ZynOffscreenGL::LastError();  // replaces the first
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 32);
    ZynOffscreenGL::Destroy();
    ZynOffscreenGL::Destroy();  // second call is harmless
}
