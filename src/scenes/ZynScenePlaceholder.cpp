// ZynScenePlaceholder: flat-colour stand-in scenes.
#include "scenes/ZynScenePlaceholder.h"

#include "gfx/ZynTextures.h"
#include "gfx/kvFont.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

void TZynScenePlaceholder::ColourOf(const std::string& section, float rgb[3])
{
    // FNV-1a of the section, spread over three channels kept away from black.
    uint32_t h = 2166136261u;
    for (char c : section) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    for (int i = 0; i < 3; i++) {
        rgb[i] = 0.2f + 0.8f * static_cast<float>((h >> (i * 8)) & 0xFF) / 255.0f;
    }
}

void TZynScenePlaceholder::Init()
{
    TZynScene::Init();
    Name = Identity.Name;
    Section = Identity.Section;
    TextureSlotCount = Identity.TextureSlots;
    RendersToTexture = Identity.OwnTexture;
    Reset();
}

void TZynScenePlaceholder::Reset() { TZynScene::Reset(); }

void TZynScenePlaceholder::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    // Scenes draw with the projection they are given and leave it as it was.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (!RendersToTexture) {
        Draw(visData, alpha);
    } else {
        RenderOwn(visData, alpha);
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void TZynScenePlaceholder::RenderOwn(const TVisData& visData, float alpha)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, TexWidth, TexHeight);
    Draw(visData, 1.0f);
    CopyToTexture(TexWidth, TexHeight, OwnTexture);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    PresentOwnTexture(alpha);
}

void TZynScenePlaceholder::Draw(const TVisData& visData, float alpha)
{
    float rgb[3];
    ColourOf(Section, rgb);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(rgb[0], rgb[1], rgb[2], alpha);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1); glVertex2f(1, -1); glVertex2f(1, 1); glVertex2f(-1, 1);
    glEnd();
    // A square in the middle that grows with the bass and turns with the clock.
    float s = 0.1f + 0.2f * std::clamp(visData.Bass, 0.0f, 2.0f);
    glRotatef(Time * 45.0f, 0, 0, 1);
    glColor4f(1 - rgb[0], 1 - rgb[1], 1 - rgb[2], alpha);
    glBegin(GL_QUADS);
    glVertex2f(-s, -s); glVertex2f(s, -s); glVertex2f(s, s); glVertex2f(-s, s);
    glEnd();
    glLoadIdentity();
    DrawName(alpha);
}

void TZynScenePlaceholder::DrawName(float alpha)
{
    // The scene's name across the lower part, once the small font is loaded.
    if (FontTexture == 0) return;
    glBindTexture(GL_TEXTURE_2D, FontTexture);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, alpha);
    float savedW = CharWidth, savedH = CharHeight;
    SetCharSize(0.12f, 0.07f);
    DrawText(1, Name, 0, -0.7f, 0);
    SetCharSize(savedH, savedW);
    glDisable(GL_TEXTURE_2D);
}

TZynSceneClass ZynPlaceholderScene(const std::string& className, const std::string& name,
                                   const std::string& section, int32_t textureSlots, bool ownTexture)
{
    TZynPlaceholderIdentity id{name, section, textureSlots, ownTexture};
    return TZynSceneClass{className, [id] { return static_cast<TZynScene*>(new TZynScenePlaceholder(id)); }};
}
