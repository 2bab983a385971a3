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
    FadeBegin(oldTex);
    FadeUnitMapping();
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1 - p);
    FadeDrawCells(sx, sy, e, 0);
    FadeEnd();
    return p;
}
