// Tests of the window's outer cycle on the offscreen driver: create, init, loop, rebuild, destroy.
#include "app/TGLWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <string>
#include <vector>

namespace {

struct GLWindowRun : ::testing::Test {
    TGLWindow w;
    std::vector<std::string> log;
    int inits = 0, deinits = 0, frames = 0;
    std::vector<float> deltas;

    void SetUp() override
    {
        w.Headless = true;
        w.MessageBoxes = false;
        w.Width = 200 + TGLWindow::FrameExtraW;
        w.Height = 100 + TGLWindow::FrameExtraH;
        w.OnLog = [this](const std::string& t) { log.push_back(t); };
        w.OnInit = [this] { inits++; return true; };
        w.OnDeInit = [this] { deinits++; return true; };
        w.OnFrame = [this] {
            frames++;
            deltas.push_back(w.TimeDelta);
            return true;
        };
    }

    // Index of the first log line equal to text at or after from; -1 when absent.
    int Find(const std::string& text, int from = 0) const
    {
        for (size_t i = static_cast<size_t>(from); i < log.size(); i++)
            if (log[i] == text) return static_cast<int>(i);
        return -1;
    }
    int Count(const std::string& text) const { return static_cast<int>(std::count(log.begin(), log.end(), text)); }
};

}  // namespace

TEST_F(GLWindowRun, RunsTheFrameLimitThenTearsDown)
{
    w.MaxFrames = 5;
    w.FixedDelta = 0.02f;
    int viewportW = 0, viewportH = 0;
    w.OnResize = [&] {
        viewportW = w.Width;
        viewportH = w.Height;
        return true;
    };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(frames, 5);
    EXPECT_EQ(w.FrameCount(), 5);
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(deinits, 1);
    EXPECT_NEAR(w.TimeTotal, 0.1f, 1e-6);
    for (float d : deltas) EXPECT_FLOAT_EQ(d, 0.02f);
    // The client area has the requested outer size less the frame allowances.
    EXPECT_EQ(viewportW, 200);
    EXPECT_EQ(viewportH, 100);
    EXPECT_EQ(w.hWnd, nullptr);
    EXPECT_EQ(w.hRC, nullptr);

    const char* order[] = {"Registering Window Class", "Calling RegisterClassEx", "Call CreateWindowGL",
                           "Recieved WM_CREATE", "Show Window", "Resize GL", "Clear keys", "Custom Initialization",
                           "Entering Main Message Loop...", "Sending QUIT Message",
                           "Recieved WM_QUIT - exiting message loop", "Exiting Main Message Loop...",
                           "Custom De-Initialization", "Call DestroyWindowGL", "hWnd <> 0", "hDC <> 0", "hRC <> 0",
                           "Full Release."};
    int at = 0;
    for (const char* line : order) {
        int next = Find(line, at);
        ASSERT_GE(next, 0) << "missing or out of order: " << line;
        at = next + 1;
    }
}

TEST_F(GLWindowRun, QuitBeforeRunLeavesTheFirstLoopWithoutFrames)
{
    w.Quit();                           // e.g. a failed start-up step
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(deinits, 1);
    EXPECT_GE(Find("Recieved WM_QUIT - exiting message loop"), 0);
}

TEST_F(GLWindowRun, FailingInitSkipsTheLoopButStillDeinitialises)
{
    w.OnInit = [this] { inits++; return false; };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(deinits, 1);
    EXPECT_GE(Find("Custom Initialization FAIL"), 0);
    EXPECT_EQ(Find("Entering Main Message Loop..."), -1);
}

TEST_F(GLWindowRun, FailingOrThrowingFrameQuits)
{
    w.OnFrame = [this] {
        frames++;
        if (frames == 3) throw std::runtime_error("scene broke");
        return true;
    };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(frames, 3);
    EXPECT_GE(Find("#ERROR : OnFrame raised: scene broke"), 0);
}

TEST_F(GLWindowRun, RecreateRebuildsWindowAndRunsInitAgain)
{
    w.MaxFrames = 6;
    w.OnFrame = [this] {
        frames++;
        if (frames == 2) w.Restart();    // rebuild through the outer cycle
        return true;
    };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(inits, 2);
    EXPECT_EQ(deinits, 2);
    EXPECT_EQ(frames, 6);
    EXPECT_EQ(Count("Call CreateWindowGL"), 2);
    EXPECT_EQ(Count("Registering Window Class"), 1);
}

TEST_F(GLWindowRun, RestartMessageRebuildsInPlace)
{
    w.RestartByMessage = true;
    w.MaxFrames = 4;
    GLuint seenContext = 0;
    w.OnFrame = [&] {
        frames++;
        if (frames == 2) w.Restart();
        glClear(GL_COLOR_BUFFER_BIT);
        seenContext += glGetError() == GL_NO_ERROR ? 1 : 0;
        return true;
    };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(inits, 2);
    EXPECT_EQ(deinits, 2);
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(seenContext, 4u);          // every frame had a working context
    EXPECT_EQ(Count("Registering Window Class"), 2);
    EXPECT_EQ(Count("Entering Main Message Loop..."), 1);
    int restart = Find("Sending RESTART Message");
    ASSERT_GE(restart, 0);
    EXPECT_GT(Find("Custom Initialization", restart), restart);
}

TEST_F(GLWindowRun, FullscreenToggleGoesThroughTheModeChain)
{
    w.MaxFrames = 3;
    w.ScreenWidth = 320;
    w.ScreenHeight = 240;
    std::vector<bool> fullscreenAtFrame;
    w.DisplayModeTest = [](int32_t x, int32_t y, int32_t) { return x == 320 && y == 240; };
    w.OnFrame = [&] {
        frames++;
        fullscreenAtFrame.push_back(w.IsFullscreen);
        if (frames == 1) w.ToggleFullscreen();
        return true;
    };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(inits, 2);
    ASSERT_EQ(fullscreenAtFrame.size(), 3u);
    EXPECT_FALSE(fullscreenAtFrame[0]);
    EXPECT_TRUE(fullscreenAtFrame[1]);
    EXPECT_GE(Find("Switching between Fullscreen/Window"), 0);
    EXPECT_GE(Find("Attempting Mode Change - 320x240x32"), 0);
    EXPECT_GE(Find("Changing display settings back"), 0);
    EXPECT_EQ(w.Width, 320);
    EXPECT_EQ(w.Height, 240);
}

TEST_F(GLWindowRun, FailedModeChainFallsBackToAWindow)
{
    w.MaxFrames = 1;
    w.Fullscreen = true;
    w.DisplayModeTest = [](int32_t, int32_t, int32_t) { return false; };
    ASSERT_TRUE(w.Run());
    EXPECT_FALSE(w.IsFullscreen);
    EXPECT_EQ(frames, 1);
    int fail = Find("Failed to find a good GL mode");
    ASSERT_GE(fail, 0);
    EXPECT_EQ(Find("Mode Switch Failed.", fail), fail + 1);
    EXPECT_EQ(Find("Running In Windowed Mode.", fail), fail + 2);
    EXPECT_EQ(Find("Changing display settings back"), -1);
}

TEST_F(GLWindowRun, GammaRampRefusalIsNotFatal)
{
    w.MaxFrames = 1;
    bool got = true;
    w.OnInit = [&] {
        uint16_t r[256], g[256], b[256];
        got = w.GetGammaRamp(r, g, b);
        if (got) w.SetGammaRamp(r, g, b);
        return true;
    };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(frames, 1);
    uint16_t r[256], g[256], b[256];
    EXPECT_FALSE(w.GetGammaRamp(r, g, b));     // no window: refused, no crash
}

// ---------------------------------------------------------------------------
// SDL events as the loop receives them (pushed into the queue of the live window)

#include <SDL2/SDL.h>

namespace {

void PushKey(Uint32 window, Uint32 type, SDL_Keycode sym, SDL_Scancode sc)
{
    SDL_Event e = {};
    e.type = type;
    e.key.windowID = window;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
}

void PushText(Uint32 window, const char* text)
{
    SDL_Event e = {};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = window;
    std::strncpy(e.text.text, text, sizeof e.text.text - 1);
    SDL_PushEvent(&e);
}

void PushButton(Uint32 window, Uint32 type, Uint8 button, int x, int y)
{
    SDL_Event e = {};
    e.type = type;
    e.button.windowID = window;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

void PushWindowEvent(Uint32 window, Uint8 event, int d1 = 0, int d2 = 0)
{
    SDL_Event e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window;
    e.window.event = event;
    e.window.data1 = d1;
    e.window.data2 = d2;
    SDL_PushEvent(&e);
}

Uint32 PushRestore(Uint32, void* param)
{
    PushWindowEvent(static_cast<Uint32>(reinterpret_cast<uintptr_t>(param)), SDL_WINDOWEVENT_RESTORED);
    return 0;
}

}  // namespace

TEST_F(GLWindowRun, KeyboardTextAndMouseEventsBecomeWindowMessages)
{
    std::vector<std::tuple<bool, int32_t, bool>> keys;
    std::vector<std::tuple<int32_t, int32_t, int, int, bool>> mouse;
    w.OnKey = [&](bool p, int32_t c, bool v) { keys.emplace_back(p, c, v); };
    w.OnMouse = [&](int32_t x, int32_t y, uint8_t b, uint8_t s, bool p) { mouse.emplace_back(x, y, b, s, p); };
    bool keyDuringFrame = false;
    w.OnFrame = [&] {
        frames++;
        Uint32 id = SDL_GetWindowID(static_cast<SDL_Window*>(w.hWnd));
        if (frames == 1) {
            PushKey(id, SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
            PushText(id, "a\xC3\xA9");
            PushKey(id, SDL_KEYUP, SDLK_a, SDL_SCANCODE_A);
            PushKey(id, SDL_KEYDOWN, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE);
            PushKey(id, SDL_KEYDOWN, SDLK_TAB, SDL_SCANCODE_TAB);
            PushKey(id, SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN);
            PushKey(id, SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
            PushKey(id, SDL_KEYDOWN, SDLK_F1, SDL_SCANCODE_F1);
            PushKey(id + 1000, SDL_KEYDOWN, SDLK_F2, SDL_SCANCODE_F2);   // another window: ignored
            PushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 10, 20);
            PushButton(id, SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 11, 21);
            PushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 6);
        }
        if (frames == 2) keyDuringFrame = w.Keys[0x70];
        if (frames == 3) PushWindowEvent(id, SDL_WINDOWEVENT_CLOSE);
        return true;
    };
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(frames, 3);
    EXPECT_TRUE(keyDuringFrame);
    std::vector<std::tuple<bool, int32_t, bool>> want = {
        {true, 'A', true}, {true, 'a', false}, {true, 0xE9, false}, {false, 'A', true},
        {true, 0x08, true}, {true, 8, false}, {true, 0x09, true}, {true, 9, false},
        {true, 0x0D, true}, {true, 13, false}, {true, 0x1B, true}, {true, 27, false},
        {true, 0x70, true}};
    EXPECT_EQ(keys, want);
    ASSERT_EQ(mouse.size(), 3u);
    EXPECT_EQ(mouse[0], std::make_tuple(10, 20, 2, 4, true));
    EXPECT_EQ(mouse[1], std::make_tuple(11, 21, 2, 0, false));
    EXPECT_EQ(mouse[2], std::make_tuple(5, 6, 3, 8, true));
    EXPECT_GE(Find("Recieved WM_CLOSE"), 0);
}

TEST_F(GLWindowRun, MinimisedWindowDrawsNoFramesUntilRestored)
{
    w.MaxFrames = 4;
    std::vector<uint64_t> ticks;
    w.OnFrame = [&] {
        frames++;
        ticks.push_back(w.LastTick);
        deltas.push_back(w.TimeDelta);
        if (frames == 2) {
            Uint32 id = SDL_GetWindowID(static_cast<SDL_Window*>(w.hWnd));
            PushWindowEvent(id, SDL_WINDOWEVENT_MINIMIZED);
            SDL_AddTimer(400, PushRestore, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
        }
        return true;
    };
    ASSERT_TRUE(w.Run());
    ASSERT_EQ(frames, 4);
    EXPECT_GE(ticks[2] - ticks[1], 380000u);   // nothing drawn while minimised (us)
    EXPECT_GE(deltas[2], 0.38f);               // the pause shows in the next delta
    EXPECT_LE(deltas[2], 1.0f);
}
