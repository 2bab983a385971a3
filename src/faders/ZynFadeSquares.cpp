// ZynFadeSquares: the outgoing picture as a grid of cells shrinking to nothing.
#include "faders/ZynFadeSquares.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>

void TfadeSquares::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FSSQUARE";
    Name = "Shrinking Squares";
    NeedsOldTexture = true;
}

float TfadeSquares::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    SceneAlpha = 1;
    float p = FadeProgress(Time, zcFSSQUARE_Time);
    if (p >= 1) return p;
    int32_t sx = FadeCount(zcFSSQUARE_SquareX, 2, 256), sy = FadeCount(zcFSSQUARE_SquareY, 2, 256);
    float e = FadeEase(p);
    float hx = e / (2.0f * sx), hy = e / (2.0f * sy);
    FadeBegin(oldTex);
    FadeUnitMapping();
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1 - p);
    glBegin(GL_QUADS);
    for (int32_t r = 0; r < sy; r++) {
        for (int32_t c = 0; c < sx; c++) {
            float s0 = float(c) / sx, s1 = float(c + 1) / sx;
            float t0 = float(r) / sy, t1 = float(r + 1) / sy;
            float cx = (s0 + s1) / 2, cy = (t0 + t1) / 2;
            FadeQuad(cx - hx, cy - hy, cx + hx, cy + hy, s0, t0, s1, t1);
        }
    }
    glEnd();
    FadeEnd();
    return p;
}
