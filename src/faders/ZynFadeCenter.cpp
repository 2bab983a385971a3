// ZynFadeCenter: an iris opening from the centre over the outgoing picture.
#include "faders/ZynFadeCenter.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

void TfadeCenter::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FCENTER";
    Name = "Looney Tunes";
    NeedsOldTexture = true;
}

// Vertex at radius r and angle a with the texture coordinate of its screen place.
static void IrisVertex(float r, float a, float alpha)
{
    float x = r * std::cos(a), y = r * std::sin(a);
    glColor4f(1, 1, 1, alpha);
    glTexCoord2f((x + 1) / 2, (y + 1) / 2);
    glVertex2f(x, y);
}

float TfadeCenter::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    SceneAlpha = 1;
    float p = FadeProgress(Time, zcFCENTER_Time);
    if (p >= 1) return p;
    int32_t slices = FadeCount(zcFCENTER_Slices, 8, 256);
    float fadeSize = FadeClampF(zcFCENTER_FadeSize, 0, 2, 0);
    const float outer = std::sqrt(2.0f);
    float r = (1 - FadeEase(p)) * outer;
    float inner = std::max(r - fadeSize, 0.0f);
    FadeBegin(oldTex);
    FadeCentredMapping();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    for (int32_t i = 0; i < slices; i++) {
        float a0 = 2 * ZynPi * i / slices, a1 = 2 * ZynPi * (i + 1) / slices;
        // Opaque ring from the iris edge out past the screen corners.
        IrisVertex(r, a0, 1); IrisVertex(outer, a0, 1); IrisVertex(outer, a1, 1); IrisVertex(r, a1, 1);
        // Soft edge fading to nothing towards the centre.
        IrisVertex(inner, a0, 0); IrisVertex(r, a0, 1); IrisVertex(r, a1, 1); IrisVertex(inner, a1, 0);
    }
    glEnd();
    FadeEnd();
    return p;
}
