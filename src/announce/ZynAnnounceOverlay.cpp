// ZynAnnounceOverlay: layout and drawing of the overlay announcement.
#include "announce/ZynAnnounceOverlay.h"

#include "config/ZynConstDef.h"
#include "gfx/kvFont.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

void TannOverlay::Announce(const std::string& text, float seconds)
{
    TZynAnnounce::Announce(text.substr(0, MaxChars), seconds);
    // Line lengths, for centring each line and for the scale.
    std::vector<size_t> lengths(1, 0);
    for (char c : Text) {
        if (c == '\r') lengths.push_back(0);
        else lengths.back()++;
    }
    size_t longest = std::max<size_t>(*std::max_element(lengths.begin(), lengths.end()), 1);
    Scale = std::min(1.0f / static_cast<float>(longest), 0.1f);
    const float lines = static_cast<float>(lengths.size());
    size_t line = 0, column = 0;
    for (size_t j = 0; j < Text.size(); j++) {
        if (Text[j] == '\r') {
            Text[j] = ' ';
            line++;
            column = 0;
            continue;
        }
        Positions[j] = TPos{static_cast<float>(column) - static_cast<float>(lengths[line]) / 2,
                        (lines - 1) / 2 - static_cast<float>(line)};
        column++;
    }
    for (int k = 0; k < Layers; k++) {
        Offsets[k].SetRange({-0.1f, -0.1f, 0, 0}, {0.1f, 0.1f, 0, 0});
        Sizes[k].SetRange({1.2f, 1.2f, 0, 0}, {2, 2, 0, 0});
    }
}

float TannOverlay::Render(float dt)
{
    float progress = TZynAnnounce::Render(dt);
    if (progress >= 1) return progress;
    float alpha = FadeAlpha(zcAOVERLAY_FadeTime);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    glScalef(Scale, Scale, 1);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, alpha / 8);
    BindTexture(9);
    for (int k = 0; k < Layers; k++) {
        if (k < zcAOVERLAY_AlphaOverlays) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        else glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        TkvVector offset = Offsets[k].Advance(4 * dt);
        TkvVector size = Sizes[k].Advance(4 * dt);
        for (size_t j = 0; j < Text.size(); j++) {
            if (Text[j] == ' ') continue;
            DrawChar(static_cast<uint8_t>(Text[j]), size.y, size.x, 0,
                     offset.y + Positions[j].y - (size.y - 1) / 2, offset.x + Positions[j].x - (size.x - 1) / 2);
        }
    }
    glPopAttrib();
    glPopMatrix();
    return progress;
}
