// ZynTextureScreen: the shared frame of the texture scenes.
#include "scenes/ZynTextureScreen.h"

#include "platform/ZynNumbers.h"

#include <GL/gl.h>
#include <GL/glu.h>

void ZynBeginTextureScreen(TZynScene& scene, int32_t texture, bool repeat)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(90, 1, 0.1, 4);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    scene.UseTexture(texture);
    glEnable(GL_TEXTURE_2D);
    if (!repeat) return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void ZynEndTextureScreen()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void ZynTextureScreenColour(float r, float g, float b, float a)
{
    glColor4f(ZynClampFloat(r, 0, 1, 0), ZynClampFloat(g, 0, 1, 0), ZynClampFloat(b, 0, 1, 0),
              ZynClampFloat(a, 0, 1, 0));
}

float ZynTextureScreenValue(float v, float fallback) { return ZynClampFloat(v, -1e4f, 1e4f, fallback); }
