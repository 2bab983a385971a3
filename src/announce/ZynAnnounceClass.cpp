// ZynAnnounceClass: the shared timing, fade and texture binding of announcements.
#include "announce/ZynAnnounceClass.h"

#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"

#include <GL/gl.h>

#include <algorithm>

void TZynAnnounce::Announce(const std::string& text, float seconds)
{
    Text = text;
    Elapsed = 0;
    Duration = seconds;
}

float TZynAnnounce::Render(float dt)
{
    Elapsed += dt;
    // Not (Duration > 0) also catches NaN: such a text would never end.
    if (!(Duration > 0)) return 1.0f;
    return Elapsed / Duration;
}

void TZynAnnounce::BindTexture(int32_t n)
{
    tZynTextures* textures = Owner ? Owner->Textures() : nullptr;
    if (!textures) return;
    textures->Bind(n & 127);
    glEnable(GL_TEXTURE_2D);
}

float TZynAnnounce::FadeAlpha(float fadeTime) const
{
    float t = Elapsed;
    if (t > Duration / 2) t = Duration - t;
    if (!(fadeTime > 0)) return t > 0 ? 1.0f : 0.0f;
    return std::clamp(t / fadeTime, 0.0f, 1.0f);
}
