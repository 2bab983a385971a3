// ZynLoading: the loading screen's progress bar and text.
#include "app/ZynLoading.h"

#include "app/TGLWindow.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvFont.h"
#include "gfx/kvTex.h"

#include <GL/gl.h>

void ShowLoading(const std::string& text, float progress)
{
    if (!GLWindow.hRC) return;
    if (!(progress >= 0)) progress = 0;
    if (progress > 1) progress = 1;
    glMatrixMode(GL_MODELVIEW);
    glBindTexture(GL_TEXTURE_2D, 0);
    glLoadIdentity();
    glTranslatef(0, 0, -3);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glColor4f(1, 1, 1, 1);
    glEnable(GL_LINE_SMOOTH);
    glBegin(GL_LINE_LOOP);
    glVertex2f(-1.02f, -0.05f);
    glVertex2f(1.02f, -0.05f);
    glVertex2f(1.02f, 0.05f);
    glVertex2f(-1.02f, 0.05f);
    glEnd();
    glDisable(GL_LINE_SMOOTH);

    glColor4f(0, 0, 0.5f, 1);
    glRectf(-1, -0.03f, 2 * progress - 1, 0.03f);
    // Before the small font (texture 8) is loaded the text is not shown.
    if (ZynDrawLoadingText(text)) glBindTexture(GL_TEXTURE_2D, 0);
    GLWindow.SwapBuffers();
}

bool ZynDrawLoadingText(const std::string& text)
{
    if (FontTexture == 0) return false;
    kvBindTexture(FontTexture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    SetCharSize(0.08f, 0.04f);
    SetInset(0.1f, 0.1f);
    DrawText(2, text, 0, -0.13f, 1.02f);
    glDisable(GL_TEXTURE_2D);
    return true;
}
