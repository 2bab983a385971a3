// ZynUI: window animation, event routing and the interface overlays.
#include "ui/ZynUI.h"

#include "app/TGLWindow.h"
#include "app/ZynLog.h"
#include "config/ZynConstDef.h"
#include "console/ZynKeyBind.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvFont.h"
#include "gfx/kvTex.h"
#include "platform/ZynNumbers.h"
#include "ui/ZynWindowSide.h"
#include "ui/ZynWindowWinAMP.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {
TZynUI* g_live = nullptr;

}  // namespace

TZynUI* TZynUI::Live() { return g_live; }

TZynUI::TZynUI(TVisObject* owner) : Owner(owner)
{
    Textures = std::make_unique<tZynTextures>();
    Player = std::make_unique<TWindowWinAMP>(owner);
    Side = std::make_unique<TWindowSide>(owner);
    Side->Visibility = 1;
    g_live = this;
    BindSetWindowOpenQuery([] { return g_live && g_live->WindowOpen; });
}

TZynUI::~TZynUI()
{
    if (g_live == this) g_live = nullptr;
    Current.reset();
    Closing.reset();
    Dropped.clear();
    Side.reset();
    Player.reset();
    Textures.reset();
}

void TZynUI::OpenWindow(std::unique_ptr<TZWindow> w)
{
    if (!w) return;
    WindowOpen = true;
    if (!Current) {
        Current = std::move(w);
        return;
    }
    Current->OnClose();
    if (Closing) Dropped.push_back(std::move(Closing));
    const float lastX = Current->RawX, lastY = Current->RawY;
    Closing = std::move(Current);
    Current = std::move(w);
    Current->Place(Aspect);
    Current->HandleMouse(ZynMouseMove, false, 0, lastX, lastY);
}

void TZynUI::CloseWindow()
{
    WindowOpen = false;
    if (Current) Current->OnClose();
}

float TZynUI::IdleFade(float idlePhase, float idleTime)
{
    float q = idleTime > 0 ? idlePhase / idleTime : 1;
    if (q > 0.5f) q = 1 - q;
    q = std::clamp(q * idleTime * 2, 0.0f, 1.0f);
    return 1 - std::cos(q * static_cast<float>(M_PI));
}

void TZynUI::Activity()
{
    const float idle = zcWINDOW_IdleTime;
    if (IdlePhase > idle) IdlePhase = 0;
    else if (IdlePhase > 0.5f && IdlePhase < idle - 0.5f) IdlePhase = 1;
}

void TZynUI::AnimateWindows(float dt)
{
    IdlePhase += dt;
    CursorFade = IdleFade(IdlePhase, zcWINDOW_IdleTime);
    Side->Fade = CursorFade;
    Player->Shown = std::clamp(Player->Shown + (PlayerShown ? dt : -dt), 0.0f, 1.0f);
    Player->Frame(dt);
    const float up = zcWINDOW_UpTime > 0 ? dt / zcWINDOW_UpTime : 1;
    const float down = zcWINDOW_DownTime > 0 ? dt / zcWINDOW_DownTime : 1;
    if (Current) {
        if (WindowOpen) {
            Current->Visibility = std::min(Current->Visibility + up, 1.0f);
        } else {
            Current->Visibility -= down;
            if (Current->Visibility < 0) Current.reset();
        }
    }
    if (Closing) {
        Closing->Visibility -= down;
        if (Closing->Visibility < 0) Closing.reset();
    }
}

void TZynUI::Render(float dt)
{
    Dropped.clear();
    AnimateWindows(dt);
    const int32_t* vp = Owner->Viewport;
    Aspect = vp[3] > 0 ? static_cast<float>(vp[2]) / static_cast<float>(vp[3]) : 1.0f;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_TEXTURE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glScalef(1, -1, 1);
    glTranslatef(-1, -1, -0.5f);
    glScalef(1 / Aspect, 1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    DrawWindows();
    DrawLogo();
    DrawFPS();
    DrawCursor();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void TZynUI::DrawWindows()
{
    try {
        if (Closing) Closing->Draw(Aspect);
        if (Current) Current->Draw(Aspect);
    } catch (...) {
        ZynLogException("UI.Render - Window Rendering", ZynCurrentExceptionMessage());
    }
    try {
        Player->Draw(Aspect);
        Side->Draw(Aspect);
    } catch (...) {
        ZynLogException("UI.Render - Permanent Window Render", ZynCurrentExceptionMessage());
    }
}

void TZynUI::DrawLogo()
{
    if (!(zcWINDOW_LogoX > 0 && zcWINDOW_LogoY > 0)) return;
    glLoadIdentity();
    Textures->Bind(std::clamp(zcWINDOW_TEXLogo, 0, kZynCustomTextures - 1));
    glEnable(GL_TEXTURE_2D);
    glTranslatef(zcWINDOW_LogoXo, zcWINDOW_LogoYo, 0);
    glScalef(zcWINDOW_LogoX, -zcWINDOW_LogoY, 1);
    glTranslatef(0, -1, 0);
    glColor4f(1, 1, 1, 1);
    switch (zcWINDOW_LogoBlitType) {
    case 0: glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
    case 1: glBlendFunc(GL_SRC_ALPHA, GL_ONE); break;
    case 2: glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_COLOR); break;
    case 3: glBlendFunc(GL_ZERO, GL_SRC_COLOR); break;
    case 4: glBlendFunc(GL_DST_COLOR, GL_ZERO); break;
    case 5: glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ONE_MINUS_SRC_COLOR); break;
    default: break;
    }
    kvDrawUnitQuad();
}

void TZynUI::DrawFPS()
{
    const int32_t mode = zcMAIN_DrawFPS;
    if (mode <= 0) return;
    glLoadIdentity();
    glTranslatef(2 * Aspect, 0, 0);
    glColor4f(1, 1, 1, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Textures->Bind(ZynTexSkin);
    glEnable(GL_TEXTURE_2D);
    SetInset(0.1f, 0.2f);
    if (mode == 1) {
        TZWindow::DrawTileRect(27, 8, 4, -0.3f, 0, -0.15f, 0.15f);
    } else {
        TZWindow::DrawTileRect(27, 8, 4, -0.7f, 0, -0.55f, 0.15f);
        TZWindow::DrawTileRect(28, 8, 4, -0.55f, 0, -0.15f, 0.15f);
    }
    TZWindow::DrawTileRect(29, 8, 4, -0.15f, 0, 0, 0.15f);
    SetCharSize(-0.075f, 0.05f);
    Textures->Bind(ZynTexFontLarge);
    DrawText(2, std::to_string(ZynRoundToInt32(GLWindow.FPS)), 0, 0.1125f, -0.05f);
    if (mode != 2) return;
    float m = *std::max_element(std::begin(GLWindow.FPSHistory), std::end(GLWindow.FPSHistory));
    if (!(m > 0)) m = 1;
    glTranslatef(-0.2f, 0.11f, 0);
    glScalef(-0.0027343750f, -0.07f / m, 1);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LINE_SMOOTH);
    glColor4f(1, 0, 0, 1);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < 128; i++) glVertex2f(static_cast<float>(i), GLWindow.FPSHistory[i]);
    glEnd();
    glColor4f(0, 1, 0, 1);
    glBegin(GL_LINES);
    glVertex2f(0, 0);
    glVertex2f(127, 0);
    glEnd();
    glDisable(GL_LINE_SMOOTH);
}

void TZynUI::DrawCursor()
{
    if (!GLWindow.IsFullscreen) return;
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, std::min(CursorFade, 1.0f));
    Textures->Bind(ZynTexSkin);
    glEnable(GL_TEXTURE_2D);
    const float size = zcWINDOW_MouseSize;
    TZWindow::DrawTileRect(30, 8, 4, MouseX, MouseY, MouseX + size, MouseY + size);
}

void TZynUI::KeyEvent(bool pressed, int32_t code, bool isVirtualKey)
{
    ExecuteKeyBinding(pressed, code, isVirtualKey);
    if (!Current || !WindowOpen) return;
    // Escape closes the open window (its binding does not run while one is open).
    if (isVirtualKey && pressed && code == 27) CloseWindow();
    else if (isVirtualKey || code != 27) Current->Key(pressed, code, isVirtualKey);
}

void TZynUI::MouseEvent(int32_t x, int32_t y, int32_t button, bool pressed, uint8_t state)
{
    if (button != ZynMouseMove) Activity();
    const int32_t* vp = Owner->Viewport;
    if (vp[2] <= 0 || vp[3] <= 0) return;
    const float ix = 2 * Aspect * static_cast<float>(x - vp[0]) / static_cast<float>(vp[2]);
    const float iy = 2 * static_cast<float>(y - vp[1]) / static_cast<float>(vp[3]);
    if (ix != MouseX || iy != MouseY) {
        Activity();
        MouseX = ix;
        MouseY = iy;
    }
    Player->HandleMouse(button, pressed, state, ix, iy);
    Side->HandleMouse(button, pressed, state, ix, iy);
    if (Current) Current->HandleMouse(button, pressed, state, ix, iy);
}
