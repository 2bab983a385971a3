// ZynFadeHStrip: the outgoing picture cut into horizontal strips sliding apart.
#include "faders/ZynFadeHStrip.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>

void TfadeHStrip::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FHSTRIP";
    Name = "Horizontal Strip";
    NeedsOldTexture = true;
}

float TfadeHStrip::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    SceneAlpha = 1;
    float p = FadeProgress(Time, zcFHSTRIP_Time);
    if (p >= 1) return p;
    int32_t strips = FadeCount(zcFHSTRIP_Strips, 2, 256);
    float shift = 1 - FadeEase(p);
    FadeBegin(oldTex);
    FadeUnitMapping();
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1 - p);
    FadeDrawStrips(strips, shift, true);
    FadeEnd();
    return p;
}
