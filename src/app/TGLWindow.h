// TGLWindow: the program's one OpenGL window, its message loop and frame clock.
//
// Owns the top-level window, the GL context, the optional full-screen display
// mode, the event loop and the frame clock. It knows nothing of visualisation:
// the application plugs in through the callback slots. The window can be torn
// down and built again (full-screen toggle, restart) without leaving Run.
// SDL events are translated into the window messages the rest of the program
// knows (key codes are Windows virtual-key codes), and handled by WindowProc,
// which needs no SDL and can be driven directly. Only this layer includes SDL:
// the handles below are opaque pointers to its objects.
// Depends on: SDL2, OpenGL, GLU.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <poll.h>

// Window messages understood by WindowProc and the posted-message queue.
enum : uint32_t {
    GLW_WM_CREATE = 0x0001,
    GLW_WM_MOVE = 0x0003,
    GLW_WM_SIZE = 0x0005,
    GLW_WM_SETFOCUS = 0x0007,
    GLW_WM_KILLFOCUS = 0x0008,
    GLW_WM_CLOSE = 0x0010,
    GLW_WM_QUIT = 0x0012,
    GLW_WM_KEYDOWN = 0x0100,
    GLW_WM_KEYUP = 0x0101,
    GLW_WM_CHAR = 0x0102,
    GLW_WM_SYSCOMMAND = 0x0112,
    GLW_WM_MOUSEMOVE = 0x0200,
    GLW_WM_LBUTTONDOWN = 0x0201,
    GLW_WM_LBUTTONUP = 0x0202,
    GLW_WM_RBUTTONDOWN = 0x0204,
    GLW_WM_RBUTTONUP = 0x0205,
    GLW_WM_MBUTTONDOWN = 0x0207,
    GLW_WM_MBUTTONUP = 0x0208,
    GLW_WM_TOGGLEFULLSCREEN = 1025,   // WM_USER+1: rebuild with the other mode
    GLW_WM_RESTART = 1026,            // WM_USER+2: rebuild in place
};
// WM_SIZE kinds (wParam).
enum : uint32_t { GLW_SIZE_RESTORED = 0, GLW_SIZE_MINIMIZED = 1, GLW_SIZE_MAXIMIZED = 2 };
// Mouse state bits passed to OnMouse.
enum : uint8_t {
    GLW_MK_LBUTTON = 2, GLW_MK_RBUTTON = 4, GLW_MK_MBUTTON = 8, GLW_MK_CONTROL = 16, GLW_MK_SHIFT = 32,
};
// Window styles (windowed default, full-screen popup) and extended styles.
enum : uint32_t {
    GLW_WS_OVERLAPPEDWINDOW = 0xCF0000, GLW_WS_POPUP = 0x80000000u,
    GLW_WS_EX_TOPMOST = 0x8, GLW_WS_EX_TOOLWINDOW = 0x80, GLW_WS_EX_APPWINDOW = 0x40000,
};

// Packs two signed 16-bit values into a message lParam (low word x, high word y).
inline intptr_t GLWMakeLParam(int32_t lo, int32_t hi)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(lo))) |
                                 (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}
inline int32_t GLWLoWord(intptr_t l) { return static_cast<int16_t>(static_cast<uint32_t>(l) & 0xFFFF); }
inline int32_t GLWHiWord(intptr_t l) { return static_cast<int16_t>((static_cast<uint32_t>(l) >> 16) & 0xFFFF); }

// Mouse state byte from the buttons and modifiers held.
uint8_t GLWMouseState(bool left, bool right, bool middle, bool ctrl, bool shift);
// Aspect ratio of the default projection; a zero height counts as 1.
float GLWAspect(int32_t width, int32_t height);

class TGLWindow {
public:
    int32_t Width = 640;
    int32_t Height = 480;
    int32_t ScreenWidth = 640;
    int32_t ScreenHeight = 480;
    int32_t Top = 0;
    int32_t Left = 0;
    int32_t BitsPerPixel = 32;
    bool Fullscreen = false;
    bool IsFullscreen = false;
    bool ShowCursorFullscreen = true;
    bool HideCursor = false;
    bool RestartByMessage = false;
    bool SwapAfterFrame = true;
    std::string Title = "OpenGL Application";
    std::string ClassName = "OpenGL";
    bool Keys[256] = {};
    int32_t MouseX = 0;
    int32_t MouseY = 0;
    float TimeTotal = 0;
    float TimeDelta = 0;
    float FPS = 0;
    float FPSHistory[128] = {};
    std::function<bool()> OnResize;
    std::function<bool()> OnInit;
    std::function<bool()> OnDeInit;
    std::function<bool()> OnFrame;
    std::function<void(const std::string& text)> OnLog;
    std::function<void(bool pressed, int32_t code, bool isVirtualKey)> OnKey;
    std::function<void(int32_t x, int32_t y, uint8_t button, uint8_t state, bool pressed)> OnMouse;
    std::function<void(bool focused)> OnFocus;     // the window got or lost the keyboard focus
    std::function<bool(void* hWnd, uint32_t message, uintptr_t wParam, intptr_t lParam)> OnMessage;
    // Input served while the frame slot is awaited, so a request need not wait
    // for the next frame: WaitDescriptors lists the descriptors to watch for
    // reading, OnWaitInput handles what has arrived; the wait then goes on.
    std::function<void(std::vector<int>& fds)> WaitDescriptors;
    std::function<void()> OnWaitInput;
    uint32_t Style = GLW_WS_OVERLAPPEDWINDOW;
    uint32_t ExStyle = GLW_WS_EX_APPWINDOW;
    void* hWnd = nullptr;       // SDL_Window*
    void* Parent = nullptr;
    void* hDC = nullptr;        // the drawable: the same SDL_Window* while a context exists
    void* hRC = nullptr;        // SDL_GLContext
    void* hInstance = nullptr;
    bool Active = true;
    uint64_t StartTick = 0;     // frame clock in microseconds (monotonic)
    uint64_t LastTick = 0;
    bool Running = false;
    int32_t FPSFrames = 0;
    float FPSTime = 0;
    bool Recreate = false;

    // Run-time options of this process (set before Run).
    bool Headless = false;          // offscreen video driver: no visible window, same code path
    float FixedDelta = 0;           // > 0: every frame advances exactly this many seconds
    int64_t MaxFrames = -1;         // >= 0: quit cleanly after this many frames
    float MaxFPS = 0;               // > 0: frames are paced to this rate where vertical sync is not
                                    // available (always when offscreen); 0: as fast as possible
    bool MessageBoxes = true;       // false: message boxes are only logged (unattended runs)
    std::function<uint64_t()> TickSource;                   // replaces the monotonic microsecond clock
    std::function<bool(int32_t w, int32_t h, int32_t bits)> DisplayModeTest;  // replaces the mode query

    TGLWindow();
    ~TGLWindow();
    TGLWindow(const TGLWindow&) = delete;
    TGLWindow& operator=(const TGLWindow&) = delete;

    bool Run();
    void Quit();
    void Restart();
    void Log(const std::string& text);
    bool ResizeGL(int32_t width, int32_t height);
    void ClearKeys();
    bool CreateWindowGL();
    bool DestroyWindowGL();
    bool RegisterWindowClass();
    void UnregisterWindowClass();
    bool FindDisplayMode();
    bool ChangeDisplayMode(int32_t width, int32_t height, int32_t bits);

    // Frame clock: steps 2..5 of the frame step for the clock reading now (microseconds).
    void AdvanceClock(uint64_t now);
    void UpdateFPS();
    uint64_t GetTickCount() const;
    // One frame: clock, OnFrame (false -> Quit), swap; offscreen, the renderer's
    // work is finished before the next frame starts (the wait descriptors are
    // served meanwhile).
    void FrameStep();
    // Sleeps until the next frame is due at MaxFPS (nothing without a cap or with
    // vertical sync on a real display), serving the wait descriptors meanwhile.
    void WaitForFrameSlot();
    // True when the display accepted a swap interval of 1.
    bool VSync() const { return m_vsync; }
    // Handles one window message; true when handled (returns 0 in Windows terms).
    bool WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Queues a message for the loop (WM_QUIT, the toggle and restart messages).
    void PostMessage(uint32_t message);
    size_t PendingMessages() const { return m_posted.size(); }
    void ToggleFullscreen() { PostMessage(GLW_WM_TOGGLEFULLSCREEN); }

    // Presents the back buffer now (loading screen, screenshots).
    void SwapBuffers();
    // Raises the window and gives it the keyboard focus.
    void BringToFront();
    // A modal message box, logged first; never shown without a display or when
    // MessageBoxes is off. kind: 0 information, 1 warning, 2 error.
    void MessageBox(const std::string& text, const std::string& caption, int kind);
    // Display gamma ramp (256 entries per channel); false where the system refuses. A ramp set
    // without the focus is kept and only shown while the window has it: that counts as refused.
    bool GetGammaRamp(uint16_t* red, uint16_t* green, uint16_t* blue);
    bool SetGammaRamp(const uint16_t* red, const uint16_t* green, const uint16_t* blue);
    // Frames drawn since the process started.
    int64_t FrameCount() const { return m_frameCount; }
    // Longest frame (microseconds of work, pacing waits excluded) after the first StartupFrames.
    int64_t LongestFrameUs() const { return m_longestFrameUs; }
    static constexpr int64_t StartupFrames = 300;
    // True once a window has been created (its position and size are real).
    bool WindowCreated() const { return m_everCreated; }
    // Async-signal-safe: treat like a window-manager close at the next loop pass.
    // Returns true when an earlier request has not been taken by the loop yet.
    static bool RequestClose();

    // Outer-frame allowances of a windowed (framed) window: Width/Height/Left/Top
    // name the outer rectangle at creation, the client area sits inside it.
    static constexpr int32_t FrameLeft = 4, FrameTop = 20, FrameExtraW = 8, FrameExtraH = 24;
    // Largest client side taken from saved settings, and the largest created
    // where no desktop bounds it (headless, full screen).
    static constexpr int32_t MaxWindowSide = 16384;
    static constexpr int32_t MaxUnboundedSide = 2048;

private:
    void ClientRect(bool framed, int& x, int& y, int& w, int& h) const;
    void WaitUntil(uint64_t due);
    // Watches the wait descriptors up to timeoutUs and serves them when one has
    // input: 1 served, 0 nothing came, -1 they cannot be watched.
    int ServeWaitInput(uint64_t timeoutUs);
    // glFinish, serving the wait descriptors meanwhile where the driver has fences.
    void FinishFrame();
    bool LoadFences();
    void MessageLoop();
    void LoopPass();
    void HandleEvents();
    bool TranslateEvent(const void* sdlEvent);
    void RestartInPlace();
    void FinishWindow(int32_t x, int32_t y, int32_t w, int32_t h);
    void DefaultResize();
    void DefaultInit();
    void DefaultFrame();
    void ReleaseGL();
    bool HaveDisplay() const;

    std::deque<uint32_t> m_posted;
    bool m_classRegistered = false;
    bool m_modeChanged = false;         // a full-screen display mode was found for this window
    int32_t m_modeW = 0, m_modeH = 0, m_modeBits = 0;
    bool m_cursorHidden = false;
    bool m_frameLimitQuit = false;
    bool m_everCreated = false;
    int64_t m_frameCount = 0;
    int64_t m_longestFrameUs = 0;
    int64_t m_fixedFrames = 0;          // frames of this cycle under FixedDelta
    uint64_t m_nextFrameDue = 0;        // pacing: clock reading the next frame may start at
    bool m_vsync = false;
    bool m_offscreen = false;
    uint8_t m_buttons = 0;              // GLW_MK_ button bits currently held
    std::vector<int> m_waitFds;         // WaitDescriptors' list, kept to save allocations
    std::vector<pollfd> m_pollFds;
    void* m_fenceChecked = nullptr;     // the context the fence entry points were looked up for
    void* m_fenceSync = nullptr;        // GL_ARB_sync entry points, or null
    void* m_clientWaitSync = nullptr;
    void* m_deleteSync = nullptr;
};

// The process-wide window.
extern TGLWindow GLWindow;
