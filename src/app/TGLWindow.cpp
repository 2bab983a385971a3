// TGLWindow: SDL window, GL context, display modes, message loop and frame clock.
#include "app/TGLWindow.h"

#include "app/TGLWindowKeys.h"
#include "platform/ZynNumbers.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

TGLWindow GLWindow;

namespace {

volatile std::sig_atomic_t g_closeRequested = 0;

SDL_Window* Win(void* h) { return static_cast<SDL_Window*>(h); }

// Calls a bool slot; an exception escaping it counts as failure and is logged.
bool CallSlot(TGLWindow& w, const std::function<bool()>& slot, const char* name, const std::function<void()>& fallback)
{
    if (!slot) {
        fallback();
        return true;
    }
    try {
        return slot();
    } catch (const std::exception& e) {
        w.Log(std::string("#ERROR : ") + name + " raised: " + e.what());
    } catch (...) {
        w.Log(std::string("#ERROR : ") + name + " raised an unknown exception");
    }
    return false;
}

bool DepthMatches(int modeBits, int requested)
{
    if (requested >= 24) return modeBits >= 24;
    if (requested == 16) return modeBits == 15 || modeBits == 16;
    return modeBits == requested;
}

}  // namespace

uint8_t GLWMouseState(bool left, bool right, bool middle, bool ctrl, bool shift)
{
    return static_cast<uint8_t>((left ? GLW_MK_LBUTTON : 0) | (right ? GLW_MK_RBUTTON : 0) |
                                (middle ? GLW_MK_MBUTTON : 0) | (ctrl ? GLW_MK_CONTROL : 0) |
                                (shift ? GLW_MK_SHIFT : 0));
}

TGLWindow::TGLWindow() = default;

// The process is ending: SDL and GL objects were released by Run already.
TGLWindow::~TGLWindow() = default;

bool TGLWindow::RequestClose()
{
    bool pending = g_closeRequested != 0;
    g_closeRequested = 1;
    return pending;
}

void TGLWindow::Log(const std::string& text)
{
    if (!OnLog) return;
    try {
        OnLog(text);
    } catch (...) {
        // Logging never stops the window layer.
    }
}

void TGLWindow::PostMessage(uint32_t message)
{
    m_posted.push_back(message);
}

void TGLWindow::Quit()
{
    Log("Sending QUIT Message");
    PostMessage(GLW_WM_QUIT);
}

void TGLWindow::Restart()
{
    if (RestartByMessage) {
        Log("Sending RESTART Message");
        PostMessage(GLW_WM_RESTART);
    } else {
        Recreate = true;
        Quit();
    }
}

void TGLWindow::ClearKeys()
{
    for (bool& k : Keys) k = false;
}

// ---------------------------------------------------------------------------
// Frame clock

uint64_t TGLWindow::GetTickCount() const
{
    if (TickSource) return TickSource();
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

void TGLWindow::AdvanceClock(uint64_t now)
{
    if (FixedDelta > 0) {
        // frames x dt, not a running sum, so long runs do not drift
        m_fixedFrames++;
        TimeTotal = static_cast<float>(static_cast<double>(m_fixedFrames) * static_cast<double>(FixedDelta));
        TimeDelta = FixedDelta > 1 ? 1.0f : FixedDelta;
    } else {
        TimeTotal = static_cast<float>(static_cast<double>(now - StartTick) / 1e6);
        float dt = static_cast<float>(static_cast<double>(now - LastTick) / 1e6);
        if (dt > 1) dt = 1;
        if (!(dt >= 0)) dt = 0;
        TimeDelta = dt;
    }
    LastTick = now;
    UpdateFPS();
}

void TGLWindow::UpdateFPS()
{
    FPSTime += TimeDelta;
    FPSFrames += 1;
    if (FPSTime > 0.25f) {
        FPS = 0.5f * static_cast<float>(FPSFrames) / FPSTime + 0.5f * FPS;
        FPSTime = 0;
        FPSFrames = 0;
        std::memmove(FPSHistory, FPSHistory + 1, sizeof(float) * 127);
        FPSHistory[127] = FPS;
    }
}

void TGLWindow::FrameStep()
{
    timespec t0{};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    AdvanceClock(GetTickCount());
    bool ok = CallSlot(*this, OnFrame, "OnFrame", [this] { DefaultFrame(); });
    m_frameCount++;
    if (!ok) Quit();
    if (SwapAfterFrame) SwapBuffers();
    // The offscreen swap does not wait for the software renderer: without this
    // it queues frame after frame and later stalls for seconds.
    if (m_offscreen && hRC) FinishFrame();
    // The work of the frame on the real clock (pacing waits excluded), kept
    // for the run summary once start-up (scene loading, first uploads) is over.
    timespec t1{};
    clock_gettime(CLOCK_MONOTONIC, &t1);
    const int64_t us = (int64_t(t1.tv_sec) - int64_t(t0.tv_sec)) * 1000000 + (t1.tv_nsec - t0.tv_nsec) / 1000;
    if (m_frameCount > StartupFrames && us > m_longestFrameUs) m_longestFrameUs = us;
}

void TGLWindow::WaitForFrameSlot()
{
    if (!(MaxFPS > 0) || (m_vsync && !m_offscreen)) return;
    const uint64_t period = static_cast<uint64_t>(1e6 / MaxFPS);
    uint64_t now = GetTickCount();
    // After a slow frame (or at the start) the schedule restarts: no burst of catch-up frames.
    if (m_nextFrameDue == 0 || now > m_nextFrameDue + period) m_nextFrameDue = now;
    if (now < m_nextFrameDue && !TickSource) WaitUntil(m_nextFrameDue);
    m_nextFrameDue += period;
}

namespace {
timespec Microseconds(uint64_t us)
{
    return timespec{static_cast<time_t>(us / 1000000u), static_cast<long>(us % 1000000u) * 1000};
}
}  // namespace

int TGLWindow::ServeWaitInput(uint64_t timeoutUs)
{
    if (!WaitDescriptors || !OnWaitInput) return -1;
    m_waitFds.clear();
    WaitDescriptors(m_waitFds);
    m_pollFds.clear();
    for (int fd : m_waitFds)
        if (fd >= 0) m_pollFds.push_back(pollfd{fd, POLLIN, 0});
    const timespec rest = Microseconds(timeoutUs);
    const int r = ppoll(m_pollFds.data(), m_pollFds.size(), &rest, nullptr);
    if (r < 0) return errno == EINTR ? 0 : -1;
    if (r == 0) return 0;
    try {
        OnWaitInput();
    } catch (...) {
        Log("#ERROR : OnWaitInput raised an exception");
        return -1;
    }
    return 1;
}

// Sleeps to the clock reading due (microseconds); input on the wait descriptors
// is handled as it arrives, at most once a millisecond so that a descriptor the
// handler leaves readable cannot spin the processor. A close request ends the wait.
void TGLWindow::WaitUntil(uint64_t due)
{
    constexpr uint64_t kServiceGap = 1000;
    bool watch = true;
    uint64_t quietUntil = 0;
    for (;;) {
        const uint64_t now = GetTickCount();
        if (now >= due || g_closeRequested) return;
        if (watch && now >= quietUntil) {
            const int r = ServeWaitInput(due - now);
            if (r < 0) watch = false;
            if (r > 0) quietUntil = GetTickCount() + kServiceGap;
        } else {
            const timespec rest = Microseconds(std::min(due, watch ? quietUntil : due) - now);
            nanosleep(&rest, nullptr);
        }
    }
}

bool TGLWindow::LoadFences()
{
    if (m_fenceChecked != hRC) {
        m_fenceChecked = hRC;
        m_fenceSync = m_clientWaitSync = m_deleteSync = nullptr;
        if (SDL_GL_ExtensionSupported("GL_ARB_sync")) {
            m_fenceSync = SDL_GL_GetProcAddress("glFenceSync");
            m_clientWaitSync = SDL_GL_GetProcAddress("glClientWaitSync");
            m_deleteSync = SDL_GL_GetProcAddress("glDeleteSync");
        }
    }
    return m_fenceSync && m_clientWaitSync && m_deleteSync;
}

void TGLWindow::FinishFrame()
{
    if (!WaitDescriptors || !OnWaitInput || !LoadFences()) {
        glFinish();
        return;
    }
    const auto fenceSync = reinterpret_cast<PFNGLFENCESYNCPROC>(m_fenceSync);
    const auto clientWaitSync = reinterpret_cast<PFNGLCLIENTWAITSYNCPROC>(m_clientWaitSync);
    const auto deleteSync = reinterpret_cast<PFNGLDELETESYNCPROC>(m_deleteSync);
    GLsync fence = fenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (!fence) {
        glFinish();
        return;
    }
    // The renderer's threads finish the frame meanwhile; input is looked at every millisecond.
    GLbitfield flags = GL_SYNC_FLUSH_COMMANDS_BIT;
    bool watch = true;
    for (;;) {
        const GLenum r = clientWaitSync(fence, flags, 1000000);
        flags = 0;
        if (r == GL_ALREADY_SIGNALED || r == GL_CONDITION_SATISFIED) break;
        if (r != GL_TIMEOUT_EXPIRED) {
            glFinish();
            break;
        }
        if (watch && ServeWaitInput(0) < 0) watch = false;
    }
    deleteSync(fence);
}

// ---------------------------------------------------------------------------
// Default callbacks (used while a slot is empty)

float GLWAspect(int32_t width, int32_t height)
{
    // A zero-height client (minimised, collapsed) would divide by zero.
    return static_cast<float>(width) / static_cast<float>(height > 0 ? height : 1);
}

void TGLWindow::DefaultResize()
{
    if (!hRC) return;
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, GLWAspect(Width, Height), 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void TGLWindow::DefaultInit()
{
    if (!hRC) return;
    glClearColor(0, 0, 0, 0.5f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void TGLWindow::DefaultFrame()
{
    if (!hRC) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    glColor4f(1, 1, 1, 1);
    glRotatef(static_cast<float>(GetTickCount() / 1000u) / 5.0f, 0, 0, 1);   // ms / 5 degrees
    glRectf(-0.1f, -0.1f, 0.1f, 0.1f);
}

bool TGLWindow::ResizeGL(int32_t width, int32_t height)
{
    Width = width;
    Height = height;
    return CallSlot(*this, OnResize, "OnResize", [this] { DefaultResize(); });
}

// ---------------------------------------------------------------------------
// Class registration (the SDL video subsystem) and display modes

bool TGLWindow::HaveDisplay() const
{
    if (Headless) return false;
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy"))) return false;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetCurrentVideoDriver()) return true;
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

bool TGLWindow::RegisterWindowClass()
{
    Log("Calling RegisterClassEx");
    // The program handles SIGINT/SIGTERM itself; closing the window is not quitting the process.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (Headless) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // The class name becomes the X11 window class (what window managers match on).
    setenv("SDL_VIDEO_X11_WMCLASS", ClassName.c_str(), 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        Log("RegisterClassEx Failed!");
        Log(std::string("SDL: ") + SDL_GetError());
        MessageBox("RegisterClassEx Failed!", "Error", 1);
        return false;
    }
    m_classRegistered = true;
    return true;
}

void TGLWindow::UnregisterWindowClass()
{
    if (!m_classRegistered) return;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    m_classRegistered = false;
}

bool TGLWindow::ChangeDisplayMode(int32_t width, int32_t height, int32_t bits)
{
    Log("Attempting Mode Change - " + std::to_string(width) + "x" + std::to_string(height) + "x" +
        std::to_string(bits));
    Width = width;
    Height = height;
    BitsPerPixel = bits;
    bool ok = false;
    if (DisplayModeTest) {
        ok = DisplayModeTest(width, height, bits);
    } else if (SDL_WasInit(SDL_INIT_VIDEO)) {
        int n = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < n && !ok; i++) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w == width && m.h == height &&
                DepthMatches(SDL_BITSPERPIXEL(m.format), bits))
                ok = true;
        }
    }
    if (ok) {
        m_modeChanged = true;
        m_modeW = width;
        m_modeH = height;
        m_modeBits = bits;
    }
    return ok;
}

bool TGLWindow::FindDisplayMode()
{
    for (;;) {
        if (ChangeDisplayMode(Width, Height, BitsPerPixel)) return true;
        Log("Mode change fail");
        if (BitsPerPixel != 16) {
            Log("Defaulting to 16bit color");
            BitsPerPixel = 16;
        } else if (Width != 640 || Height != 480) {
            Log("Defaulting to 640x480x32");
            Width = 640;
            Height = 480;
            BitsPerPixel = 32;
        } else {
            Log("Failed to find a good GL mode");
            return false;
        }
    }
}

// ---------------------------------------------------------------------------
// Window and context

// Pixel format request: exact 8-8-8(-8) for 24/32 bits, 5-6-5 for 16; double buffered with depth.
static void RequestPixelFormat(int32_t bits)
{
    bool deep = bits >= 24;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deep ? 8 : 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, bits >= 32 ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// Creation step 10 once the context is current: show, cursor, first resize, clean input state.
void TGLWindow::FinishWindow(int32_t x, int32_t y, int32_t w, int32_t h)
{
    SDL_Window* win = Win(hWnd);
    int r = 0, g = 0, b = 0, a = 0, d = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
    SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
    SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &a);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &d);
    Log("Pixel Format " + std::to_string(r) + "-" + std::to_string(g) + "-" + std::to_string(b) + "-" +
        std::to_string(a) + ", depth " + std::to_string(d));
    // Wait for the display's refresh where there is one; a refusal is normal (Xvfb, offscreen).
    // Offscreen there is nothing to wait for and frames are paced by MaxFPS instead.
    m_offscreen = !HaveDisplay();
    m_vsync = !m_offscreen && SDL_GL_SetSwapInterval(1) == 0;
    if (!m_offscreen && !m_vsync) Log(std::string("Swap interval not set: ") + SDL_GetError());
    m_nextFrameDue = 0;

    Log("Show Window");
    SDL_ShowWindow(win);
    if ((IsFullscreen && !ShowCursorFullscreen) || HideCursor) {
        SDL_ShowCursor(SDL_DISABLE);
        m_cursorHidden = true;
    }
    Active = true;
    if (!IsFullscreen) {
        Left = x;
        Top = y;
    }
    int dw = w, dh = h;
    SDL_GL_GetDrawableSize(win, &dw, &dh);
    Log("Resize GL");
    ResizeGL(dw, dh);
    Log("Clear keys");
    ClearKeys();
    m_buttons = 0;
    FPSFrames = 0;
    FPSTime = 0;
    SDL_StartTextInput();
}

// The client rectangle for the outer one in Left/Top/Width/Height, worked out
// in 64 bits and kept on the desktop (full screen or without one: at most
// MaxUnboundedSide a side).
void TGLWindow::ClientRect(bool framed, int& x, int& y, int& w, int& h) const
{
    int64_t cx = int64_t{Left} + (framed ? FrameLeft : 0), cy = int64_t{Top} + (framed ? FrameTop : 0);
    int64_t cw = int64_t{Width} - (framed ? FrameExtraW : 0), ch = int64_t{Height} - (framed ? FrameExtraH : 0);
    SDL_Rect desk{-MaxWindowSide, -MaxWindowSide, 3 * MaxWindowSide, 3 * MaxWindowSide};
    int64_t maxW = MaxUnboundedSide, maxH = MaxUnboundedSide;
    if (!IsFullscreen && HaveDisplay() && SDL_GetDisplayUsableBounds(0, &desk) == 0 && desk.w > 0 && desk.h > 0) {
        maxW = std::min<int64_t>(MaxWindowSide, desk.w);
        maxH = std::min<int64_t>(MaxWindowSide, desk.h);
    }
    cw = std::clamp<int64_t>(cw, 1, maxW);
    ch = std::clamp<int64_t>(ch, 1, maxH);
    cx = std::clamp<int64_t>(cx, desk.x, std::max<int64_t>(desk.x, int64_t{desk.x} + desk.w - cw));
    cy = std::clamp<int64_t>(cy, desk.y, std::max<int64_t>(desk.y, int64_t{desk.y} + desk.h - ch));
    x = static_cast<int>(cx);
    y = static_cast<int>(cy);
    w = static_cast<int>(cw);
    h = static_cast<int>(ch);
}

bool TGLWindow::CreateWindowGL()
{
    IsFullscreen = Fullscreen;
    uint32_t style = Style;
    uint32_t exStyle = ExStyle;
    m_modeChanged = false;

    if (IsFullscreen) {
        Width = ScreenWidth;
        Height = ScreenHeight;
        Left = Top = 0;
        if (FindDisplayMode()) {
            exStyle |= GLW_WS_EX_TOPMOST;
            style = GLW_WS_POPUP;
        } else {
            MessageBox("Mode Switch Failed.\rRunning In Windowed Mode.", "Error", 1);
            IsFullscreen = false;
        }
    }

    // Width/Height/Left/Top name the outer rectangle; SDL places the client area.
    bool framed = !IsFullscreen && (style & GLW_WS_POPUP) == 0;
    int x = 0, y = 0, w = 1, h = 1;
    ClientRect(framed, x, y, w, h);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (IsFullscreen) flags |= SDL_WINDOW_FULLSCREEN;
    else if (!framed) flags |= SDL_WINDOW_BORDERLESS;
    else if (style & 0x40000) flags |= SDL_WINDOW_RESIZABLE;  // WS_THICKFRAME
    if (exStyle & GLW_WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (exStyle & GLW_WS_EX_TOOLWINDOW) flags |= SDL_WINDOW_SKIP_TASKBAR;

    RequestPixelFormat(BitsPerPixel);

    SDL_Window* win = SDL_CreateWindow(Title.c_str(), x, y, w, h, flags);
    if (!win && BitsPerPixel >= 32) {
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);      // 8-8-8 without destination alpha
        win = SDL_CreateWindow(Title.c_str(), x, y, w, h, flags);
    }
    if (!win && !IsFullscreen) {
        // A saved size the system refuses: the configured size, centred, rather
        // than no window (and a box nobody may be there to click).
        Log("CreateWindowEx FAIL at " + std::to_string(w) + "x" + std::to_string(h) + ": " + SDL_GetError());
        w = std::clamp(ScreenWidth, 1, MaxUnboundedSide);
        h = std::clamp(ScreenHeight, 1, MaxUnboundedSide);
        Log("Trying the default size " + std::to_string(w) + "x" + std::to_string(h));
        win = SDL_CreateWindow(Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    }
    if (!win) {
        Log("CreateWindowEx FAIL");
        Log(std::string("SDL: ") + SDL_GetError());
        IsFullscreen = false;
        m_modeChanged = false;      // nothing was switched: the mode applies with the window
        return false;
    }
    hWnd = win;
    WindowProc(GLW_WM_CREATE, 0, 0);
    hDC = win;

    auto fail = [&](const char* what) {
        Log(what);
        Log(std::string("SDL: ") + SDL_GetError());
        hDC = nullptr;
        SDL_DestroyWindow(win);         // also returns a switched display mode to the desktop's
        hWnd = nullptr;
        if (IsFullscreen) Log("Changing display settings back");
        IsFullscreen = false;
        m_modeChanged = false;
        return false;
    };
    if (IsFullscreen && m_modeChanged) {
        SDL_DisplayMode mode = {};
        SDL_DisplayMode want = {};
        want.w = m_modeW;
        want.h = m_modeH;
        if (!SDL_GetClosestDisplayMode(0, &want, &mode) || SDL_SetWindowDisplayMode(win, &mode) != 0)
            return fail("Mode change fail");
    }
    SDL_GLContext ctx = SDL_GL_CreateContext(win);
    if (!ctx) return fail("wglCreateContext FAIL");
    hRC = ctx;
    if (SDL_GL_MakeCurrent(win, ctx) != 0) {
        SDL_GL_DeleteContext(ctx);
        hRC = nullptr;
        return fail("wglMakeCurrent FAIL");
    }
    FinishWindow(x, y, w, h);
    m_everCreated = true;
    return true;
}

bool TGLWindow::DestroyWindowGL()
{
    if (m_cursorHidden) {
        SDL_ShowCursor(SDL_ENABLE);
        m_cursorHidden = false;
    }
    if (hWnd) {
        Log("hWnd <> 0");
        if (hDC) {
            Log("hDC <> 0");
            SDL_GL_MakeCurrent(Win(hWnd), nullptr);
            if (hRC) {
                Log("hRC <> 0");
                SDL_GL_DeleteContext(static_cast<SDL_GLContext>(hRC));
                hRC = nullptr;
                m_fenceChecked = nullptr;
                Log("Full Release.");
            }
            hDC = nullptr;
        }
        SDL_DestroyWindow(Win(hWnd));
        hWnd = nullptr;
    }
    if (IsFullscreen) Log("Changing display settings back");   // SDL restores the mode with the window
    m_modeChanged = false;
    // Messages posted to the old window are not delivered to the next one.
    m_posted.clear();
    return true;
}

void TGLWindow::SwapBuffers()
{
    if (hWnd && hRC) SDL_GL_SwapWindow(Win(hWnd));
}

void TGLWindow::BringToFront()
{
    if (!hWnd) return;
    SDL_RaiseWindow(Win(hWnd));
}

bool TGLWindow::GetGammaRamp(uint16_t* red, uint16_t* green, uint16_t* blue)
{
    return hWnd && SDL_GetWindowGammaRamp(Win(hWnd), red, green, blue) == 0;
}

bool TGLWindow::SetGammaRamp(const uint16_t* red, const uint16_t* green, const uint16_t* blue)
{
    if (!hWnd) return false;
    bool kept = SDL_SetWindowGammaRamp(Win(hWnd), red, green, blue) == 0;
    return kept && SDL_GetKeyboardFocus() == Win(hWnd);
}

void TGLWindow::MessageBox(const std::string& text, const std::string& caption, int kind)
{
    // The box text uses CR between lines; the log gets one line each.
    std::string shown = text;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); i++) {
        if (i == text.size() || text[i] == '\r') {
            Log(text.substr(start, i - start));
            if (i < text.size()) shown[i] = '\n';
            start = i + 1;
        }
    }
    if (MessageBoxes && HaveDisplay()) {
        Uint32 flags = kind == 2 ? SDL_MESSAGEBOX_ERROR : kind == 1 ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
        if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), shown.c_str(), nullptr) == 0) return;
    }
    std::fprintf(stderr, "zyn: %s: %s\n", caption.c_str(), shown.c_str());
}

// ---------------------------------------------------------------------------
// Outer cycle and message loop

bool TGLWindow::Run()
{
    Log("Registering Window Class");
    if (!RegisterWindowClass()) {
        Log("Error Registering Window Class");
        MessageBox("Error Registering Window Class!", "Error", 1);
        return false;
    }
    StartTick = GetTickCount();
    m_fixedFrames = 0;
    bool created = true;
    do {
        Recreate = false;
        Log("Call CreateWindowGL");
        if (!CreateWindowGL()) {
            MessageBox("Error Creating OpenGL Window", "Error", 1);
            Recreate = false;
            created = false;
            break;
        }
        Log("Custom Initialization");
        if (CallSlot(*this, OnInit, "OnInit", [this] { DefaultInit(); })) {
            Log("Entering Main Message Loop...");
            Running = true;
            MessageLoop();
            Log("Exiting Main Message Loop...");
        } else {
            Log("Custom Initialization FAIL");
            Quit();
        }
        Log("Custom De-Initialization");
        CallSlot(*this, OnDeInit, "OnDeInit", [] {});
        Log("Call DestroyWindowGL");
        DestroyWindowGL();
    } while (Recreate);
    UnregisterWindowClass();
    return created;
}

void TGLWindow::MessageLoop()
{
    while (Running) {
        try {
            LoopPass();
        } catch (const std::exception& e) {
            Log(std::string("#ERROR : message loop: ") + e.what());
        } catch (...) {
            Log("#ERROR : message loop: unknown exception");
        }
    }
}

// One pass: a signal, a posted message, an SDL event, or else a frame (or a wait).
void TGLWindow::LoopPass()
{
    if (g_closeRequested) {
        g_closeRequested = 0;
        WindowProc(GLW_WM_CLOSE, 0, 0);
        return;
    }
    if (!m_posted.empty()) {
        uint32_t msg = m_posted.front();
        m_posted.pop_front();
        if (msg == GLW_WM_QUIT) {
            Log("Recieved WM_QUIT - exiting message loop");
            Log(ZynFormat("Frames rendered %lld, longest frame after start-up %.1f ms",
                          static_cast<long long>(m_frameCount), static_cast<double>(m_longestFrameUs) / 1000.0));
            Running = false;
        } else {
            WindowProc(msg, 0, 0);
        }
        return;
    }
    SDL_Event ev;
    if (m_classRegistered && SDL_PollEvent(&ev)) {
        TranslateEvent(&ev);
        return;
    }
    if (!Active || !hWnd) {
        SDL_WaitEventTimeout(nullptr, 100);    // minimised: no frames; wake for signals too
        return;
    }
    if (MaxFrames >= 0 && m_frameCount >= MaxFrames) {
        if (!m_frameLimitQuit) {
            m_frameLimitQuit = true;
            Log("Frame limit reached (" + std::to_string(MaxFrames) + ")");
        }
        Quit();
        return;
    }
    WaitForFrameSlot();
    FrameStep();
}

// One SDL event -> the window messages it stands for.
bool TGLWindow::TranslateEvent(const void* sdlEvent)
{
    const SDL_Event& ev = *static_cast<const SDL_Event*>(sdlEvent);
    SDL_Window* win = Win(hWnd);
    Uint32 id = win ? SDL_GetWindowID(win) : 0;
    auto ctrlShift = [&](uint8_t buttons) {
        SDL_Keymod mod = SDL_GetModState();
        return static_cast<uintptr_t>(GLWMouseState(buttons & GLW_MK_LBUTTON, buttons & GLW_MK_RBUTTON,
                                                    buttons & GLW_MK_MBUTTON, mod & KMOD_CTRL, mod & KMOD_SHIFT));
    };
    switch (ev.type) {
    case SDL_WINDOWEVENT: {
        if (ev.window.windowID != id) return false;
        int dw = 0, dh = 0;
        bool minimised = (SDL_GetWindowFlags(win) & SDL_WINDOW_MINIMIZED) != 0;
        switch (ev.window.event) {
        case SDL_WINDOWEVENT_MOVED:
            if (minimised) return false;
            return WindowProc(GLW_WM_MOVE, 0, GLWMakeLParam(ev.window.data1, ev.window.data2));
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            if (minimised) return false;
            SDL_GL_GetDrawableSize(win, &dw, &dh);
            return WindowProc(GLW_WM_SIZE,
                              ev.window.event == SDL_WINDOWEVENT_MAXIMIZED ? GLW_SIZE_MAXIMIZED : GLW_SIZE_RESTORED,
                              static_cast<intptr_t>((static_cast<uint32_t>(dw) & 0xFFFF) |
                                                    ((static_cast<uint32_t>(dh) & 0xFFFF) << 16)));
        case SDL_WINDOWEVENT_MINIMIZED:
            return WindowProc(GLW_WM_SIZE, GLW_SIZE_MINIMIZED, 0);
        case SDL_WINDOWEVENT_CLOSE:
            return WindowProc(GLW_WM_CLOSE, 0, 0);
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return WindowProc(GLW_WM_SETFOCUS, 0, 0);
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return WindowProc(GLW_WM_KILLFOCUS, 0, 0);
        default:
            return false;
        }
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (ev.key.windowID != id) return false;
        int32_t vk = GLWVirtualKey(ev.key.keysym.sym, ev.key.keysym.scancode);
        if (vk == 0) return false;
        bool down = ev.type == SDL_KEYDOWN;
        WindowProc(down ? GLW_WM_KEYDOWN : GLW_WM_KEYUP, static_cast<uintptr_t>(vk), 0);
        // Keys that type a control character outside text input (BS, Tab, Enter, Esc).
        int32_t c = GLWControlChar(vk);
        if (down && c) WindowProc(GLW_WM_CHAR, static_cast<uintptr_t>(c), 0);
        return true;
    }
    case SDL_TEXTINPUT:
        if (ev.text.windowID != id) return false;
        for (int32_t c : GLWTextToChars(ev.text.text)) WindowProc(GLW_WM_CHAR, static_cast<uintptr_t>(c), 0);
        return true;
    case SDL_MOUSEMOTION:
        if (ev.motion.windowID != id) return false;
        return WindowProc(GLW_WM_MOUSEMOVE, ctrlShift(m_buttons), GLWMakeLParam(ev.motion.x, ev.motion.y));
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (ev.button.windowID != id) return false;
        bool down = ev.type == SDL_MOUSEBUTTONDOWN;
        uint8_t bit = ev.button.button == SDL_BUTTON_LEFT ? GLW_MK_LBUTTON
                    : ev.button.button == SDL_BUTTON_RIGHT ? GLW_MK_RBUTTON
                    : ev.button.button == SDL_BUTTON_MIDDLE ? GLW_MK_MBUTTON : 0;
        if (!bit) return false;
        m_buttons = down ? (m_buttons | bit) : (m_buttons & ~bit);
        uint32_t msg = bit == GLW_MK_LBUTTON ? GLW_WM_LBUTTONDOWN
                     : bit == GLW_MK_RBUTTON ? GLW_WM_RBUTTONDOWN : GLW_WM_MBUTTONDOWN;
        if (!down) msg += 1;
        return WindowProc(msg, ctrlShift(m_buttons), GLWMakeLParam(ev.button.x, ev.button.y));
    }
    default:
        return false;
    }
}

bool TGLWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (OnMessage) {
        bool handled = false;
        try {
            handled = OnMessage(hWnd, message, wParam, lParam);
        } catch (...) {
            Log("#ERROR : OnMessage raised an exception");
        }
        if (handled) return true;
    }
    auto mouse = [&](uint8_t button, bool pressed) {
        if (OnMouse) OnMouse(GLWLoWord(lParam), GLWHiWord(lParam), button, static_cast<uint8_t>(wParam), pressed);
    };
    switch (message) {
    case GLW_WM_CREATE:
        Log("Recieved WM_CREATE");
        return true;
    case GLW_WM_MOVE: {
        // A minimised window reports a parking position, not a place to restore to.
        int32_t x = GLWLoWord(lParam), y = GLWHiWord(lParam);
        if (!Active || (x <= -32000 && y <= -32000)) return true;
        Left = x;
        Top = y;
        return true;
    }
    case GLW_WM_SIZE:
        if (wParam == GLW_SIZE_RESTORED || wParam == GLW_SIZE_MAXIMIZED) {
            Active = true;
            int32_t w = static_cast<int32_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
            int32_t h = static_cast<int32_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
            if (!ResizeGL(w, h)) Quit();
        } else if (wParam == GLW_SIZE_MINIMIZED) {
            Active = false;
        }
        return true;
    case GLW_WM_SETFOCUS:
    case GLW_WM_KILLFOCUS:
        if (OnFocus) OnFocus(message == GLW_WM_SETFOCUS);
        return true;
    case GLW_WM_CLOSE:
        Log("Recieved WM_CLOSE");
        Quit();
        return true;
    case GLW_WM_KEYDOWN:
    case GLW_WM_KEYUP: {
        bool down = message == GLW_WM_KEYDOWN;
        if (OnKey) OnKey(down, static_cast<int32_t>(wParam), true);
        if (wParam <= 255) Keys[wParam] = down;
        return true;
    }
    case GLW_WM_CHAR:
        if (OnKey) OnKey(true, static_cast<int32_t>(wParam), false);
        return true;
    case GLW_WM_SYSCOMMAND:
        // No screen saver and no monitor power-down while the window runs (SDL's default too).
        return wParam == 0xF140 || wParam == 0xF170;
    case GLW_WM_MOUSEMOVE:
        MouseX = GLWLoWord(lParam);
        MouseY = GLWHiWord(lParam);
        mouse(0, false);
        return true;
    case GLW_WM_LBUTTONDOWN: mouse(1, true); return true;
    case GLW_WM_LBUTTONUP: mouse(1, false); return true;
    case GLW_WM_RBUTTONDOWN: mouse(2, true); return true;
    case GLW_WM_RBUTTONUP: mouse(2, false); return true;
    case GLW_WM_MBUTTONDOWN: mouse(3, true); return true;
    case GLW_WM_MBUTTONUP: mouse(3, false); return true;
    case GLW_WM_TOGGLEFULLSCREEN:
        Recreate = true;
        Width = ScreenWidth;
        Height = ScreenHeight;
        Fullscreen = !IsFullscreen;
        Log("Switching between Fullscreen/Window");
        Quit();
        return true;
    case GLW_WM_RESTART:
        RestartInPlace();
        return true;
    default:
        return false;
    }
}

void TGLWindow::RestartInPlace()
{
    Log("Custom De-Initialization");
    CallSlot(*this, OnDeInit, "OnDeInit", [] {});
    Log("Call DestroyWindowGL");
    DestroyWindowGL();
    UnregisterWindowClass();
    StartTick = GetTickCount();
    m_fixedFrames = 0;
    Log("Registering Window Class");
    if (!RegisterWindowClass()) {
        Log("Error Registering Window Class");
        MessageBox("Error Registering Window Class!", "Error", 1);
        Quit();     // no window to run: leave the loop
        return;
    }
    Log("Call CreateWindowGL");
    if (!CreateWindowGL()) {
        MessageBox("Error Creating OpenGL Window", "Error", 1);
        Quit();
        return;
    }
    Log("Custom Initialization");
    if (!CallSlot(*this, OnInit, "OnInit", [this] { DefaultInit(); })) {
        Log("Custom Initialization FAIL");
        Quit();
    }
}
