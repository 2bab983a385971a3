// ZynFadeCube: the outgoing and incoming pictures on the faces of a spinning cube.
#include "faders/ZynFadeCube.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"
#include "scenes/kvGeometry.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>

void TfadeCube::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FCUBE";
    Name = "Spinning Cube";
    NeedsOldTexture = true;
    NeedsNewTexture = true;
}

// One pair of opposite cube faces: quads at z = +1 and z = -1.
static void FacePair()
{
    glBegin(GL_QUADS);
    for (float z : {1.0f, -1.0f}) {
        glTexCoord2f(0, 0); glVertex3f(-1, -1, z);
        glTexCoord2f(1, 0); glVertex3f(1, -1, z);
        glTexCoord2f(1, 1); glVertex3f(1, 1, z);
        glTexCoord2f(0, 1); glVertex3f(-1, 1, z);
    }
    glEnd();
}

float TfadeCube::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    float p = FadeProgress(Time, zcFCUBE_Time);
    // The end pose is drawn even on the last frame: the animation time is clamped, p is not.
    TFadeCubeTiming t = FadeCubeTiming(Time, zcFCUBE_Time, zcFCUBE_AspectTime, ViewportAspect());
    int32_t bg = FadeCount(zcFCUBE_BG, 0, 32);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (bg > 0) {
        // Background texture repeated bg times, drifting in a circle.
        BindTextureSlot(19);
        glColor4f(1, 1, 1, 0.5f);
        float s0 = 8 * std::cos(t.T), t0 = 8 * std::sin(t.T);
        glBegin(GL_QUADS);
        FadeQuad(-1, -1, 1, 1, s0, t0, s0 + bg, t0 + bg);
        glEnd();
    }
    glMatrixMode(GL_PROJECTION);
    gluPerspective(90, t.aspect, 0.1, 10);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0, 0, -2 - (1 - std::cos(2 * ZynPi * t.s)) / 2);
    glRotatef(t.s * 360, 1, 1, 1);
    glRotatef(-90 * t.s, 0, 1, 0);
    glColor4f(1, 1, 1, 1);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);

    glPushMatrix();
    FadeBindTexture(oldTex);
    FacePair();
    glRotatef(90, 0, 1, 0);
    FadeBindTexture(newTex);
    FacePair();
    glRotatef(90, 1, 0, 0);
    BindTextureSlot(19);
    FacePair();
    glPopMatrix();

    if (zcFCUBE_Shiny == 1) {
        // A faint reflective shell, strongest at mid-turn.
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4f(1, 1, 1, (1 - std::cos(2 * ZynPi * t.s)) / 2);
        glScalef(1.01f, 1.01f, 1.01f);
        BeginEnvMap();
        DrawCube(kvOrigin);
        EndEnvMap();
    }
    glDisable(GL_DEPTH_TEST);
    FadeEnd();
    return p;
}
