// ZynFadeSquareSpin: grid cells that spin while they shrink.
#include "faders/ZynFadeSquareSpin.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>

void TfadeSquareSpin::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FSSQUARES";
    Name = "Spinning Squares";
    NeedsOldTexture = true;
}

float TfadeSquareSpin::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    SceneAlpha = 1;
    float p = FadeProgress(Time, zcFSSQUARES_Time);
    if (p >= 1) return p;
    int32_t sx = FadeCount(zcFSSQUARES_SquareX, 2, 256), sy = FadeCount(zcFSSQUARES_SquareY, 2, 256);
    float spin = FadeClampF(zcFSSQUARES_Spin, -1000, 1000, 0);
    float e = FadeEase(p);
    FadeBegin(oldTex);
    FadeUnitMapping();
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1 - p);
    FadeDrawCells(sx, sy, e, (1 - e) * ZynPi * spin);
    FadeEnd();
    return p;
}
