// ZynWindowBass: bass rows and the live analysis display.
#include "ui/ZynWindowBass.h"

#include "config/ZynConst.h"
#include "engine/ZynVis.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowOptions.h"

#include <GL/gl.h>

#include <algorithm>

TWindowBass::TWindowBass(TVisObject* owner) : TZWindow(owner)
{
    Title = "Bass Control";
    Width = 1;
    for (int32_t c = 0; c < ConstCount(); c++)
        if (std::string(ConstRow(c)->Section) == "BASS") Rows.push_back(c);
    Height = 0.05f * static_cast<float>(Rows.size() + 2);
    for (size_t i = 0; i < Rows.size(); i++) {
        const float y1 = 0.05f * (static_cast<float>(i) + 0.5f);
        SetRegion(static_cast<int32_t>(i), 0.45f, y1, 0.98f, y1 + 0.05f, ConstRow(Rows[i])->Description);
    }
    SetBackRegion(BackRegion(), Height - 0.1f, Height - 0.01f);
}

void TWindowBass::DrawContents()
{
    TZWindow::DrawContents();
    for (size_t i = 0; i < Rows.size(); i++) {
        const float y2 = 0.05f * (static_cast<float>(i) + 1.5f) - 0.01f;
        DrawTextLine(0, ConstRow(Rows[i])->Name, 0.6f, 0.6f, y2, 0.45f, 1, 1, 1, 1);
        DrawTextLine(2, ConstToString(Rows[i]), 0.6f, 0.6f, y2, 0.98f, 1, 1, 1, 1);
    }
    DrawIcon(BackRegion(), 9);
    DrawAnalysis();
}

void TWindowBass::DrawAnalysis()
{
    if (!Owner) return;
    const TVisData& data = Owner->VisData;
    const float h = Height, levelSpan = h - 0.185f;
    DrawPanel(0.01f, h - 0.145f, 0.43f, h - 0.01f);
    DrawPanel(0.01f, 0.01f, 0.1f, h - 0.155f);
    glDisable(GL_TEXTURE_2D);
    // Spectrum: 72 bars of 8 bins each.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, 0.5f * Visibility);
    glBegin(GL_QUADS);
    for (int k = 0; k < 72; k++) {
        int sum = 0;
        for (int b = 8 * k; b < 8 * k + 8; b++) sum += data.Spectrum[b];
        const float rise = static_cast<float>(std::min(sum / 3, 256)) / 2048;
        const float x1 = 0.02f + 0.4f * k / 72, x2 = 0.02f + 0.4f * (k + 1) / 72;
        glVertex2f(x1, h - 0.02f);
        glVertex2f(x2, h - 0.02f);
        glVertex2f(x2, h - 0.02f - rise);
        glVertex2f(x1, h - 0.02f - rise);
    }
    glEnd();
    const float level = std::clamp(data.Bass / 3, 0.0f, 1.0f);
    glRectf(0.02f, 0.02f + (1 - level) * levelSpan, 0.09f, h - 0.165f);
    // The bass range and the level mark.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 0, 0, 0.5f * Visibility);
    const float rangeX = 0.02f + 0.4f * static_cast<float>(zcBASS_Range) / 576;
    glRectf(0.02f, h - 0.145f, rangeX, h - 0.01f);
    glBegin(GL_LINES);
    glVertex2f(rangeX, h - 0.145f);
    glVertex2f(rangeX, h - 0.01f);
    glVertex2f(0.01f, 0.02f + 0.667f * levelSpan);
    glVertex2f(0.1f, 0.02f + 0.667f * levelSpan);
    glEnd();
    // The waveform.
    glColor4f(0, 1, 0, Visibility);
    glBegin(GL_LINE_STRIP);
    for (int k = 0; k < 576; k += 4)
        glVertex2f(0.11f + 0.3f * k / 576, levelSpan * static_cast<float>(data.Waveform[k]) / 256);
    glEnd();
}

void TWindowBass::Click(int32_t region, int32_t button)
{
    if ((button != ZynMouseLeft && button != ZynMouseRight) || region < 0 || !UI()) return;
    if (region == BackRegion()) {
        if (button == ZynMouseLeft) UI()->OpenWindow(std::make_unique<TWindowOptions>(Owner));
    } else if (region < BackRegion()) {
        ConstStep(Rows[static_cast<size_t>(region)], button == ZynMouseLeft ? 1 : -1);
    }
}
