// ZynFadePlaceholder: cross-fading stand-in faders.
#include "faders/ZynFadePlaceholder.h"

#include <GL/gl.h>

#include <cmath>

void TZynFadePlaceholder::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = Identity.Section;
    Name = Identity.Name;
    NeedsOldTexture = true;
    NeedsNewTexture = Identity.NeedsNew;
    if (!Identity.NeedsNewSwitch.empty()) {
        int32_t row = ZynEngFindConst(Identity.NeedsNewSwitch);
        NeedsNewTexture = row >= 0 && ZynEngConstAsInt(row) == 1;
    }
    TimeRow = ZynEngFindConst(Section + ".Time");
}

static void TexturedScreenQuad(uint32_t tex, float alpha)
{
    glBindTexture(GL_TEXTURE_2D, tex);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, alpha);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-1, -1);
    glTexCoord2f(1, 0); glVertex2f(1, -1);
    glTexCoord2f(1, 1); glVertex2f(1, 1);
    glTexCoord2f(0, 1); glVertex2f(-1, 1);
    glEnd();
}

float TZynFadePlaceholder::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    SceneAlpha = 1;
    float duration = TimeRow >= 0 ? ZynEngConstAsFloat(TimeRow) : 1.0f;
    if (!(duration > 0.001f)) duration = 0.001f;
    float p = Time / duration;
    if (p >= 1) return p;
    float a = (1 + std::cos(p * 3.14159265f)) / 2;   // 1 at the start, 0 at the end
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (NeedsNewTexture) TexturedScreenQuad(newTex, 1);
    TexturedScreenQuad(oldTex, a);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    return p;
}

TZynFaderClass ZynPlaceholderFader(const std::string& className, const std::string& section,
                                   const std::string& name, bool needsNew, const std::string& needsNewSwitch)
{
    TZynPlaceholderFaderIdentity id{section, name, needsNew, needsNewSwitch};
    return TZynFaderClass{className, [id] { return static_cast<TZynFader*>(new TZynFadePlaceholder(id)); }};
}
