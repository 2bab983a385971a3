// ZynWindow: placement, mouse handling, regions, colours and the frame of a window.
#include "ui/ZynWindow.h"

#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvFont.h"
#include "ui/ZynUI.h"

#include <GL/gl.h>

#include <algorithm>

void TZWindow::SetRegion(int32_t i, float x1, float y1, float x2, float y2, const std::string& hint)
{
    if (i < 0) return;
    if (i >= RegionCount()) Regions.resize(static_cast<size_t>(i) + 1);
    Regions[static_cast<size_t>(i)] = {x1, y1, x2, y2, hint};
}

void TZWindow::SetGridRegion(int32_t i, int32_t k, float pitch, const std::string& hint)
{
    const float x = 0.11f * static_cast<float>(k % 8), y = pitch * static_cast<float>(k / 8);
    SetRegion(i, 0.02f + x, 0.02f + y, 0.12f + x, 0.12f + y, hint);
}

void TZWindow::SetBackRegion(int32_t i, float y1, float y2) { SetRegion(i, Width - 0.1f, y1, Width - 0.01f, y2, "Back"); }

void TZWindow::DrawIcon(int32_t region, int32_t icon)
{
    BindTexture(ZynTexIcons);
    SetGlowColour();
    DrawRegionTile(region, icon);
}

int32_t TZWindow::HitRegion(float x, float y) const
{
    for (int32_t i = 0; i < RegionCount(); i++) {
        const TZRegion& r = Regions[static_cast<size_t>(i)];
        if (r.X1 <= x && x <= r.X2 && r.Y1 <= y && y <= r.Y2) return i;
    }
    return -1;
}

TZynUI* TZWindow::UI() const { return Owner ? Owner->UI.get() : nullptr; }

void TZWindow::HandleMouse(int32_t button, bool pressed, uint8_t state, float x, float y)
{
    RawX = x;
    RawY = y;
    LocalX = 0.5f * (x - ScreenX) / Scale;
    LocalY = 0.5f * (y - ScreenY) / Scale;
    const int32_t region = HitRegion(LocalX, LocalY);
    if (region >= 0) Hint = Regions[static_cast<size_t>(region)].Hint;
    Hover(region, state, LocalX, LocalY);
    if (button == ZynMouseMove) {
        Click(region, 0);
    } else if (pressed) {
        PressedRegion = region;
    } else if (region == PressedRegion && region >= 0) {
        Click(region, button);
    }
    const bool outside = LocalX < 0 || LocalX > Width || LocalY < 0 || LocalY > Height;
    if (pressed && (button == ZynMouseLeft || button == ZynMouseRight) && region < 0 && outside &&
        CloseOnOutsideClick && UI())
        UI()->CloseWindow();
    MouseMove(LocalX, LocalY);
}

void TZWindow::Place(float aspect)
{
    const float offsetX[3] = {0, aspect - Width * Scale, 2 * aspect - 2 * Width * Scale};
    const float offsetY[3] = {0, 1 - Scale * Height, 2 - 2 * Scale * Height};
    ScreenX = X + (HAlign <= 2 ? offsetX[HAlign] : 0);
    ScreenY = Y + (VAlign <= 2 ? offsetY[VAlign] : 0);
}

void TZWindow::Draw(float aspect)
{
    Place(aspect);
    if (!(Visibility > 0)) return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(ScreenX, ScreenY, 0);
    glScalef(2 * Scale, 2 * Scale, 1);
    const auto draw = [this] {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        DrawContents();
        glMatrixMode(GL_MODELVIEW);
    };
    // Only a fully shown window is cached: its picture does not scale with visibility.
    if (Cache && Visibility >= 1) Cache->Draw(CacheKey(), draw, -0.1f, -0.1f, Width + 0.1f, Height + 0.1f);
    else draw();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

std::string TZWindow::CacheKey() const
{
    return Title + '\n' + Hint + '\n' + std::to_string(Width) + ' ' + std::to_string(Height);
}

void TZWindow::DrawTileRect(int32_t tile, int32_t columns, int32_t rows, float x1, float y1, float x2, float y2)
{
    // The tile's top row goes to the smaller y (the top in interface coordinates).
    tZynTextures::DrawTile(tile, columns, rows, y2, x2, y1, x1);
}

void TZWindow::DrawRegionTile(int32_t i, int32_t tile)
{
    if (i < 0 || i >= RegionCount()) return;
    const TZRegion& r = Regions[static_cast<size_t>(i)];
    DrawTileRect(tile, 8, 8, r.X1, r.Y1, r.X2, r.Y2);
}

void TZWindow::SetAlphaColour(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a * Visibility);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void TZWindow::SetGlowColour()
{
    glColor4f(Visibility, Visibility, Visibility, Visibility);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR);
}

void TZWindow::BindTexture(int32_t n)
{
    tZynTextures* textures = Owner ? Owner->Textures() : nullptr;
    if (textures) textures->Bind(n);
    glEnable(GL_TEXTURE_2D);
}

void TZWindow::DrawTextLine(int32_t align, const std::string& text, float size, float width, float y, float x,
                            float r, float g, float b, float a)
{
    SetAlphaColour(r, g, b, a);
    BindTexture(ZynTexFontSmall);
    SetCharSize(-0.07f * size, 0.02f * width);
    SetInset(0.1f, 0.2f);
    // Clear texels change no pixel under this blend: dropping them early saves the renderer's blending.
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    DrawText(align, text, 0, y, x);
    glPopAttrib();
}

void TZWindow::DrawPanel(float x1, float y1, float x2, float y2)
{
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0.25f, 0.75f * Visibility);
    glRectf(x1, y1, x2, y2);
    glColor4f(1, 1, 1, Visibility);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x1, y1);
    glVertex2f(x2, y1);
    glVertex2f(x2, y2);
    glVertex2f(x1, y2);
    glEnd();
}

void TZWindow::DrawScrollBar(int32_t i, float fraction)
{
    if (i < 0 || i >= RegionCount()) return;
    const TZRegion& bar = Regions[static_cast<size_t>(i)];
    BindTexture(ZynTexFontLarge);
    SetAlphaColour(1, 1, 1, 1);
    // The slider tiles turned upright: ends and groove.
    tZynTextures::DrawTileTurned(7, 16, 16, bar.Y1 + 0.05f, bar.X2, bar.Y1, bar.X1);
    tZynTextures::DrawTileTurned(8, 16, 16, bar.Y2 - 0.05f, bar.X2, bar.Y1 + 0.05f, bar.X1);
    tZynTextures::DrawTileTurned(9, 16, 16, bar.Y2, bar.X2, bar.Y2 - 0.05f, bar.X1);
    const float knob = bar.Y1 + (bar.Y2 - bar.Y1) * std::clamp(fraction, 0.0f, 1.0f);
    DrawTileRect(23, 16, 16, bar.X1, knob - 0.03f, bar.X2, knob + 0.03f);
}

void TZWindow::DrawContents()
{
    const float w = Width, h = Height;
    BindTexture(ZynTexSkin);
    glColor4f(1, 1, 1, Visibility);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetCharSize(-0.07f, 0.035f);
    const float t = TextWidth(Title);
    DrawTileRect(0, 8, 4, -0.1f, -0.1f, 0, 0);
    DrawTileRect(1, 8, 4, 0, -0.1f, t + 0.1f, 0);
    DrawTileRect(2, 8, 4, t + 0.1f, -0.1f, t + 0.2f, 0);
    DrawTileRect(3, 8, 4, t + 0.2f, -0.1f, w, 0);
    DrawTileRect(4, 8, 4, w, -0.1f, w + 0.1f, 0);
    DrawTileRect(8, 8, 4, -0.1f, 0, 0, h);
    // The body stretches one tile over the whole window, always magnified: the
    // minifying filter never applies, and without mipmaps named the software
    // renderer samples it more cheaply.
    GLint minFilter = GL_LINEAR;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    DrawTileRect(10, 8, 4, 0, 0, w, h);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    DrawTileRect(12, 8, 4, w, 0, w + 0.1f, h);
    DrawTileRect(16, 8, 4, -0.1f, h, 0, h + 0.1f);
    DrawTileRect(18, 8, 4, 0, h, w, h + 0.1f);
    DrawTileRect(20, 8, 4, w, h, w + 0.1f, h + 0.1f);
    BindTexture(ZynTexFontLarge);
    glColor4f(1, 1, 1, Visibility);
    SetInset(0.1f, 0.2f);
    DrawText(0, Title, 0, 0, -0.01f);
    DrawTextLine(1, Hint, 0.5f, 1, h + 0.075f, w / 2, 1, 1, 0, 1);
}
