// ZynFadeSlices: both pictures as stacks of translucent slices in a turning box.
#include "faders/ZynFadeSlices.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"
#include "scenes/kvGeometry.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>

void TfadeSlices::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FSLICES";
    Name = "Sliced Cube";
    NeedsOldTexture = true;
    NeedsNewTexture = true;
}

// Layers copies of the bound picture from z = -1 towards z = +1, each scaled so
// that, seen from the start position, they all cover the same screen area.
static void SliceStack(int32_t layers, float a)
{
    glPushMatrix();
    glTranslatef(0, 0, -1);
    for (int32_t j = 0; j < layers; j++) {
        float f = 2.0f * j / layers;
        float scale = (1 - a) * f + 1;
        glPushMatrix();
        glTranslatef(0, 0, f);
        glScalef(scale, scale, 1);
        glBegin(GL_QUADS);
        FadeQuad(-1, -1, 1, 1, 0, 0, 1, 1);
        glEnd();
        glPopMatrix();
    }
    glPopMatrix();
}

float TfadeSlices::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    float p = FadeProgress(Time, zcFSLICES_Time);
    TFadeCubeTiming t = FadeCubeTiming(Time, zcFSLICES_Time, zcFSLICES_AspectTime, ViewportAspect());
    int32_t layers = FadeCount(zcFSLICES_Layers, 4, 64);
    float dist = FadeClampF(zcFSLICES_Dist, -3, 3, 1);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gluPerspective(90, t.aspect, 0.1, 10);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, 0, -2 - (1 - std::cos(2 * ZynPi * t.s)) * dist);
    glRotatef(-360 * t.s, 1, 1, 1);
    glRotatef(-180 * t.s, 0, 1, 0);
    glColor4f(1, 1, 1, (t.a + 1) / layers);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    FadeBindTexture(newTex);
    glScalef(-1, 1, 1);
    SliceStack(layers, t.a);
    FadeBindTexture(oldTex);
    glPushMatrix();
    glScalef(-1, 1, -1);   // the two stacks face away from each other
    SliceStack(layers, t.a);
    glPopMatrix();

    glDisable(GL_CULL_FACE);
    FadeEnd();
    return p;
}
