// ZynFadeMerge: cross-fade of the outgoing picture with cosine easing.
#include "faders/ZynFadeMerge.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>
#include <cmath>

void TfadeMerge::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FMERGE";
    Name = "Merge";
    NeedsOldTexture = true;
}

float TfadeMerge::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    SceneAlpha = 1;
    float p = FadeProgress(Time, zcFMERGE_Time);
    if (p >= 1) return p;
    FadeBegin(oldTex);
    FadeCentredMapping();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, (1 + std::cos(p * ZynPi)) / 2);
    glBegin(GL_QUADS);
    FadeQuad(-1, -1, 1, 1, 0, 0, 1, 1);
    glEnd();
    FadeEnd();
    return p;
}
