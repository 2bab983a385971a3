// ZynAnnounceScroller: layout and drawing of the scrolling announcement.
#include "announce/ZynAnnounceScroller.h"

#include "config/ZynConstDef.h"
#include "gfx/kvFont.h"
#include "platform/ZynNumbers.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

int32_t TannScroller::CellsFor(int32_t width, int32_t height, float charSize)
{
    if (width <= 0 || height <= 0 || !(charSize > 0)) return 0;
    double cells = 2.0 * width / (static_cast<double>(height) * charSize);
    return std::clamp(ZynRoundToInt32(cells), 0, MaxCells);
}

void TannScroller::Announce(const std::string& text, float seconds)
{
    TZynAnnounce::Announce(text, seconds);
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    Aspect = vp[3] > 0 ? static_cast<float>(vp[2]) / static_cast<float>(vp[3]) : 1.0f;
    Cells = CellsFor(vp[2], vp[3], zcASCROLLER_CharSize);
}

float TannScroller::ScrollPosition() const
{
    const float f = zcASCROLLER_FadeTime;
    const float length = static_cast<float>(Text.size()), cells = static_cast<float>(Cells);
    if (!(Duration - 2 * f > 0)) return (length + cells) / 2;
    return (length + 2 * cells) * (Elapsed - f) / (Duration - 2 * f);
}

float TannScroller::Render(float dt)
{
    float progress = TZynAnnounce::Render(dt);
    if (progress >= 1) return progress;
    const float alpha = FadeAlpha(zcASCROLLER_FadeTime);
    const float s = zcASCROLLER_CharSize, o = zcASCROLLER_CharOverlap, w = s + 2 * o;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -2);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    // The band and its edges.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, alpha / 2);
    glRectf(-Aspect, s - 0.7f, Aspect, -s - 0.7f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0, 0, 1, alpha / 2);
    glBegin(GL_LINES);
    glVertex2f(-Aspect, s - 0.7f);
    glVertex2f(Aspect, s - 0.7f);
    glVertex2f(-Aspect, -s - 0.7f);
    glVertex2f(Aspect, -s - 0.7f);
    glEnd();
    // The text.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, alpha);
    BindTexture(9);
    const float l = ScrollPosition();
    const float first = std::trunc(l), frac = l - first;
    const int64_t length = static_cast<int64_t>(Text.size());
    for (int32_t k = 0; k <= Cells; k++) {
        const int64_t p = static_cast<int64_t>(first) + k - Cells;
        if (p < 0 || p >= length || Text[static_cast<size_t>(p)] == ' ') continue;
        DrawChar(static_cast<uint8_t>(Text[static_cast<size_t>(p)]), w, w, 0, -s / 2 - o - 0.7f,
                 s * (static_cast<float>(k) - static_cast<float>(Cells) / 2 - frac) - o);
    }
    glPopAttrib();
    glPopMatrix();
    return progress;
}
