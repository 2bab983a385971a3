// ZynSceneCube: the Bass Cube scene and the feedback frame it shares with the fractal cube.
#include "scenes/ZynSceneCube.h"

#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "scenes/ZynSceneNumbers.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>

bool TZynFeedbackFrame::Begin(TZynScene& scene, float dt, float halfLife, float farPlane)
{
    Fade = ZynHalfLifeFactor(dt, halfLife);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glGetIntegerv(GL_VIEWPORT, Viewport);
    glViewport(0, 0, std::max(scene.TexWidth, 1), std::max(scene.TexHeight, 1));
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
    gluPerspective(90, 1, 0.1, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    if (scene.OwnTexture == 0) return false;
    // At z = -1 the square 90 degree view spans exactly -1..1.
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, scene.OwnTexture);
    glEnable(GL_BLEND);
    glColor4f(Fade, Fade, Fade, 1);
    kvDrawScreenQuad();
    return true;
}

void TZynFeedbackFrame::End(TZynScene& scene, float alpha)
{
    CopyToTexture(std::max(scene.TexWidth, 1), std::max(scene.TexHeight, 1), scene.OwnTexture);
    glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]);
    scene.PresentOwnTexture(alpha);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

TvisCube::~TvisCube() { delete Kick; }

void TvisCube::Init()
{
    TZynScene::Init();
    Name = "Bass Cube";
    Section = "CUBE";
    TextureSlotCount = 1;
    RendersToTexture = true;
    Kick = new TZynKick();
    Reset();
}

void TvisCube::Reset()
{
    TZynScene::Reset();
    Kick->Reset();
}

namespace {
// Two opposite faces of the cube of half-size 1, at z = 1 and z = -1.
void DrawFacePair()
{
    static const float front[4][3] = {{1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}};
    static const float back[4][3] = {{1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, -1}};
    static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; k++) {
        glTexCoord2fv(uv[k]);
        glVertex3fv(front[k]);
    }
    for (int k = 0; k < 4; k++) {
        glTexCoord2fv(uv[k]);
        glVertex3fv(back[k]);
    }
    glEnd();
}
}

void TvisCube::DrawObject(const TVisData& visData, float dt, float fade)
{
    float bass = ZynFiniteOr(visData.Bass, 0);
    UseTexture(zcCUBE_TEX0);
    glTranslatef(0, 0, bass * ZynFiniteOr(zcCUBE_ZoomBass, 0) - ZynFiniteOr(zcCUBE_Dist, 4));
    glScalef(8, 8, 8);
    glRotatef(bass * ZynFiniteOr(zcCUBE_BassTwist, 0), 0, 0, 1);
    Kick->Update(visData, dt);
    Kick->Use();
    glColor4f(1, 1, 1, (1 - fade) * ZynFiniteOr(zcCUBE_Brightness, 1));
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    DrawFacePair();
    glRotatef(90, 0, 1, 0);
    DrawFacePair();
    glRotatef(90, 1, 0, 0);
    DrawFacePair();
}

void TvisCube::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    TZynFeedbackFrame frame;
    if (frame.Begin(*this, dt, zcCUBE_HalfLife, 20)) DrawObject(visData, dt, frame.Fade);
    frame.End(*this, alpha);
}
