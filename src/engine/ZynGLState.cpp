// ZynGLState: saving and restoring the viewport and matrices around guarded drawing.
#include "engine/ZynGLState.h"

#include <GL/gl.h>

void TZynGLState::Save()
{
    glGetIntegerv(GL_VIEWPORT, Viewport);
    glGetIntegerv(GL_MATRIX_MODE, &MatrixMode);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &ProjectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &ModelviewDepth);
    glGetFloatv(GL_PROJECTION_MATRIX, Projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, Modelview);
}

static void PopTo(GLenum mode, GLenum depthQuery, int32_t depth, const float* matrix)
{
    glMatrixMode(mode);
    GLint now = 0;
    glGetIntegerv(depthQuery, &now);
    for (; now > depth && now > 1; now--) glPopMatrix();
    for (; now < depth; now++) glPushMatrix();   // popped too far: keep the caller's depth
    glLoadMatrixf(matrix);
}

void TZynGLState::Restore() const
{
    // Outside glBegin this glEnd only raises GL_INVALID_OPERATION, drained below
    // with whatever else the failed code left behind.
    glEnd();
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; i++) {}
    PopTo(GL_PROJECTION, GL_PROJECTION_STACK_DEPTH, ProjectionDepth, Projection);
    PopTo(GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH, ModelviewDepth, Modelview);
    glMatrixMode(static_cast<GLenum>(MatrixMode));
    glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]);
}
