// ZynUI: TZynUI, the in-picture window manager.
//
// Owned by the sequencer. It owns the texture manager, one current window and
// one closing window (the one a newer window replaced, fading out), and two
// permanent windows: the player remote (bottom right, slides in when shown or
// when the song changes) and the side bar of buttons. It fades the mouse
// cursor and the side bar in on mouse activity and out after WINDOW.IdleTime,
// draws the optional logo and the frame-rate display (MAIN.DrawFPS), and
// routes key events (key binding first, then the current window) and mouse
// events (player window, side bar, current window). WindowOpen is the flag
// isWindowOpen reports and key bindings test.
// Depends on: ui/ZynWindow, ui/ZynWindowWinAMP, ui/ZynWindowSide, gfx/ZynTextures,
// gfx/kvFont, console/ZynKeyBind, app/TGLWindow (frame rate, full screen),
// app/ZynLog, config (WINDOW, MAIN.DrawFPS), OpenGL.
#pragma once

#include "ui/ZynWindow.h"

#include <memory>
#include <vector>

class tZynTextures;
class TWindowWinAMP;
class TWindowSide;

class TZynUI {
public:
    // Needs a current GL context (loads the textures).
    explicit TZynUI(TVisObject* owner);
    ~TZynUI();
    TZynUI(const TZynUI&) = delete;
    TZynUI& operator=(const TZynUI&) = delete;

    // Makes w the current window; a current one is closed and fades out.
    void OpenWindow(std::unique_ptr<TZWindow> w);
    // Clears WindowOpen; the current window fades out and is freed then.
    void CloseWindow();
    // Once per frame, after scenes and announcements.
    void Render(float dt);
    // Window key event: its binding runs first (virtual keys), then the current
    // window; Escape closes the window instead.
    void KeyEvent(bool pressed, int32_t code, bool isVirtualKey);
    // Window mouse event in pixels (button 0 move, 1 left, 2 right, 3 middle).
    void MouseEvent(int32_t x, int32_t y, int32_t button, bool pressed, uint8_t state);
    // Mouse activity: cursor and side bar fade in (or stay).
    void Activity();

    // The idle fade for a phase (0..2, used as an alpha).
    static float IdleFade(float idlePhase, float idleTime);

    TVisObject* Owner;
    std::unique_ptr<tZynTextures> Textures;
    std::unique_ptr<TZWindow> Current;
    std::unique_ptr<TZWindow> Closing;
    bool WindowOpen = false;
    std::unique_ptr<TWindowWinAMP> Player;
    std::unique_ptr<TWindowSide> Side;
    bool PlayerShown = false;
    float Aspect = 4.0f / 3;
    // Far past any idle time: cursor and side bar stay hidden until the mouse moves.
    float IdlePhase = 1e6f;
    float CursorFade = 0;
    float MouseX = 0, MouseY = 0;

    // The interface of the newest sequencer (nullptr when none exists).
    static TZynUI* Live();

private:
    void AnimateWindows(float dt);
    void DrawWindows();
    void DrawLogo();
    void DrawFPS();
    void DrawCursor();
    // Windows replaced while one of their own handlers may still run; freed
    // at the next frame.
    std::vector<std::unique_ptr<TZWindow>> Dropped;
};
