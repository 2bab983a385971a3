// ZynScenePointRender: the point rendering scene.
#include "scenes/ZynScenePointRender.h"

#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "scenes/ZynLogoMesh.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
float Finite(float v, float fallback) { return std::isfinite(v) ? v : fallback; }
}

void TvisPointRender::Init()
{
    TZynScene::Init();
    Name = "Point Rendering";
    Section = "POINT";
    TextureSlotCount = 2;
    Reset();
}

void TvisPointRender::Reset()
{
    TZynScene::Reset();
    Kick.Reset();
}

void TvisPointRender::DotGrid(const int32_t viewport[4], int32_t& across, int32_t& down)
{
    // Formulas write the sizes without limits; the picture must fit the buffer and the frame.
    across = std::clamp(zcPOINT_X, 8, MaxDots);
    down = std::clamp(zcPOINT_Y, 8, MaxDots);
    across = std::max(std::min(across, viewport[2]), 1);
    down = std::max(std::min(down, viewport[3]), 1);
}

void TvisPointRender::DrawSource(const TVisData& visData, float dt, float bass)
{
    glEnable(GL_BLEND);
    if (zcPOINT_UseTex == 1) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -1);
        UseTexture(zcPOINT_TEX1);
        glEnable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 1);
        kvDrawScreenQuad();
        return;
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, bass * Finite(zcPOINT_BassZoom, 0) - Finite(zcPOINT_Dist, 3));
    Kick.Update(visData, dt);
    Kick.Use();
    glRotatef(90, 1, 0, 0);
    glRotatef(180, 0, 1, 0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, Finite(zcPOINT_Brightness, 0.16f));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_LINE_SMOOTH);
    ZynDrawLogoMesh();
    glDisable(GL_LINE_SMOOTH);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void TvisPointRender::DrawDots(int32_t across, int32_t down, float bass)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(2.0f / across, 2.0f / down, 1);
    glTranslatef(-across / 2.0f, -down / 2.0f, -0.5f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    UseTexture(zcPOINT_TEX0);
    glEnable(GL_TEXTURE_2D);
    const bool logo = zcPOINT_UseTex != 1;
    const float offset = Finite(zcPOINT_Offset, 0.5f), expand = Finite(zcPOINT_Expand, 0.8f);
    glBegin(GL_QUADS);
    for (int32_t r = 0; r < down; r++)
        for (int32_t c = 0; c < across; c++) {
            const uint8_t* p = &PixelBuffer[size_t(r * across + c) * 3];
            int32_t m = std::max({p[0], p[1], p[2]});
            if (m == 0) continue;
            glColor3ub(uint8_t(p[0] * 255 / m), uint8_t(p[1] * 255 / m), uint8_t(p[2] * 255 / m));
            float l = (p[0] + p[1] + p[2]) / 768.0f;
            if (logo) l *= bass;
            float w = offset - expand * l;
            float x0 = c + w, x1 = c + 1 - w, y0 = r + w, y1 = r + 1 - w;
            glTexCoord2f(0, 0); glVertex2f(x0, y0);
            glTexCoord2f(1, 0); glVertex2f(x1, y0);
            glTexCoord2f(1, 1); glVertex2f(x1, y1);
            glTexCoord2f(0, 1); glVertex2f(x0, y1);
        }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void TvisPointRender::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = Finite(visData.Bass, 0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    int32_t viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    int32_t across = 0, down = 0;
    DotGrid(viewport, across, down);
    glViewport(0, 0, across, down);
    DrawSource(visData, dt, bass);
    // Rows of the read-back are packed tightly (odd widths included).
    int32_t packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, across, down, GL_RGB, GL_UNSIGNED_BYTE, PixelBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    DrawDots(across, down, bass);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
