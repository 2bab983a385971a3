// ZynFadeRipple: the outgoing picture fading under ripples travelling outwards.
#include "faders/ZynFadeRipple.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>
#include <cmath>

void TfadeRipple::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FRIPPLE";
    Name = "Ripple Out";
    NeedsOldTexture = true;
}

static void RippleVertex(float x, float y, float p)
{
    float m = std::sqrt((x - 0.5f) * (x - 0.5f) + (y - 0.5f) * (y - 0.5f));
    float o = 1 + (std::sin((2 * p + m) * 6 * ZynPi) / (m + 0.5f)) * p / 4;
    glTexCoord2f((x - 0.5f) * o + 0.5f, (y - 0.5f) * o + 0.5f);
    glVertex2f(x, y);
}

float TfadeRipple::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    SceneAlpha = 1;
    float p = FadeProgress(Time, zcFRIPPLE_Time);
    if (p >= 1) return p;
    float k = 1 - FadeEase(p);
    int32_t sx = FadeCount(zcFRIPPLE_SquareX, 2, 256), sy = FadeCount(zcFRIPPLE_SquareY, 2, 256);
    FadeBegin(oldTex);
    FadeUnitMapping(1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1 - k);
    glBegin(GL_QUADS);
    for (int32_t w = 0; w < sy; w++) {
        for (int32_t c = 0; c < sx; c++) {
            float x0 = float(c) / sx, x1 = float(c + 1) / sx;
            float y0 = float(w) / sy, y1 = float(w + 1) / sy;
            RippleVertex(x0, y0, p);
            RippleVertex(x1, y0, p);
            RippleVertex(x1, y1, p);
            RippleVertex(x0, y1, p);
        }
    }
    glEnd();
    FadeEnd();
    return p;
}
