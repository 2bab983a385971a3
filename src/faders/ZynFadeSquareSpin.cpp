// ZynFadeSquareSpin: grid cells that spin while they shrink.
#include "faders/ZynFadeSquareSpin.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>
#include <cmath>

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
    float turn = (1 - e) * ZynPi * spin;
    // Corner offsets are the same for every cell: work them out once.
    float ox[4], oy[4];
    for (int i = 0; i < 4; i++) {
        float phi = i * ZynPi / 2 - ZynPi / 4 + turn;
        ox[i] = std::sin(phi) * e / sx / std::sqrt(2.0f);
        oy[i] = -std::cos(phi) * e / sy / std::sqrt(2.0f);
    }
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
            const float ts[4] = {s0, s1, s1, s0}, tt[4] = {t0, t0, t1, t1};
            for (int i = 0; i < 4; i++) {
                glTexCoord2f(ts[i], tt[i]);
                glVertex2f(cx + ox[i], cy + oy[i]);
            }
        }
    }
    glEnd();
    FadeEnd();
    return p;
}
