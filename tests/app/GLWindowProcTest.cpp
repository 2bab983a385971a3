// Tests of the window's message handling, display-mode chain and quit/restart requests (no SDL).
#include "app/TGLWindow.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Recorder {
    std::vector<std::string> log;
    std::vector<std::tuple<bool, int32_t, bool>> keys;
    std::vector<std::tuple<int32_t, int32_t, int, int, bool>> mouse;
    std::vector<std::pair<int32_t, int32_t>> resizes;
    bool resizeResult = true;

    void Attach(TGLWindow& w)
    {
        w.OnLog = [this](const std::string& t) { log.push_back(t); };
        w.OnKey = [this](bool p, int32_t c, bool v) { keys.emplace_back(p, c, v); };
        w.OnMouse = [this](int32_t x, int32_t y, uint8_t b, uint8_t s, bool p) { mouse.emplace_back(x, y, b, s, p); };
        w.OnResize = [this, &w] {
            resizes.emplace_back(w.Width, w.Height);
            return resizeResult;
        };
    }
};

}  // namespace

TEST(GLWindowProc, KeysReachOnKeyAndTheKeyTable)
{
    TGLWindow w;
    Recorder r;
    r.Attach(w);
    w.WindowProc(GLW_WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(w.Keys['A']);
    w.WindowProc(GLW_WM_CHAR, 'a', 0);
    w.WindowProc(GLW_WM_KEYUP, 'A', 0);
    EXPECT_FALSE(w.Keys['A']);
    w.WindowProc(GLW_WM_CHAR, 8, 0);          // backspace arrives as a character too
    ASSERT_EQ(r.keys.size(), 4u);
    EXPECT_EQ(r.keys[0], std::make_tuple(true, 'A', true));
    EXPECT_EQ(r.keys[1], std::make_tuple(true, 'a', false));
    EXPECT_EQ(r.keys[2], std::make_tuple(false, 'A', true));
    EXPECT_EQ(r.keys[3], std::make_tuple(true, 8, false));

    // A code above 255 still reaches OnKey but leaves the table alone.
    w.WindowProc(GLW_WM_KEYDOWN, 300, 0);
    EXPECT_EQ(r.keys.back(), std::make_tuple(true, 300, true));
    for (bool k : w.Keys) EXPECT_FALSE(k);

    w.WindowProc(GLW_WM_KEYDOWN, 0x20, 0);
    w.ClearKeys();
    EXPECT_FALSE(w.Keys[0x20]);
}

TEST(GLWindowProc, MouseMessagesCarryButtonStateAndPosition)
{
    TGLWindow w;
    Recorder r;
    r.Attach(w);
    uint8_t leftCtrl = GLWMouseState(true, false, false, true, false);
    EXPECT_EQ(leftCtrl, 2 | 16);
    EXPECT_EQ(GLWMouseState(false, true, true, false, true), 4 | 8 | 32);
    EXPECT_EQ(GLWMouseState(false, false, false, false, false), 0);

    w.WindowProc(GLW_WM_MOUSEMOVE, 0, GLWMakeLParam(120, 45));
    EXPECT_EQ(w.MouseX, 120);
    EXPECT_EQ(w.MouseY, 45);
    w.WindowProc(GLW_WM_LBUTTONDOWN, leftCtrl, GLWMakeLParam(7, 9));
    w.WindowProc(GLW_WM_LBUTTONUP, 16, GLWMakeLParam(7, 9));
    w.WindowProc(GLW_WM_RBUTTONDOWN, 4, GLWMakeLParam(1, 2));
    w.WindowProc(GLW_WM_RBUTTONUP, 0, GLWMakeLParam(1, 2));
    w.WindowProc(GLW_WM_MBUTTONDOWN, 8, GLWMakeLParam(3, 4));
    w.WindowProc(GLW_WM_MBUTTONUP, 0, GLWMakeLParam(3, 4));
    // Dragging past the left edge gives a negative position, not 65535.
    w.WindowProc(GLW_WM_MOUSEMOVE, 2, GLWMakeLParam(-5, 10));
    ASSERT_EQ(r.mouse.size(), 8u);
    EXPECT_EQ(r.mouse[0], std::make_tuple(120, 45, 0, 0, false));
    EXPECT_EQ(r.mouse[1], std::make_tuple(7, 9, 1, 18, true));
    EXPECT_EQ(r.mouse[2], std::make_tuple(7, 9, 1, 16, false));
    EXPECT_EQ(r.mouse[3], std::make_tuple(1, 2, 2, 4, true));
    EXPECT_EQ(r.mouse[4], std::make_tuple(1, 2, 2, 0, false));
    EXPECT_EQ(r.mouse[5], std::make_tuple(3, 4, 3, 8, true));
    EXPECT_EQ(r.mouse[6], std::make_tuple(3, 4, 3, 0, false));
    EXPECT_EQ(r.mouse[7], std::make_tuple(-5, 10, 0, 2, false));
    // Button messages do not move the stored position.
    EXPECT_EQ(w.MouseX, -5);
    EXPECT_EQ(w.MouseY, 10);
}

TEST(GLWindowProc, MoveSizeAndMinimise)
{
    TGLWindow w;
    Recorder r;
    r.Attach(w);
    w.WindowProc(GLW_WM_MOVE, 0, GLWMakeLParam(-200, 30));   // left of the screen: signed
    EXPECT_EQ(w.Left, -200);
    EXPECT_EQ(w.Top, 30);

    w.WindowProc(GLW_WM_SIZE, GLW_SIZE_RESTORED, GLWMakeLParam(800, 600));
    ASSERT_EQ(r.resizes.size(), 1u);
    EXPECT_EQ(r.resizes[0], std::make_pair(800, 600));
    EXPECT_EQ(w.Width, 800);
    EXPECT_EQ(w.Height, 600);

    w.WindowProc(GLW_WM_SIZE, GLW_SIZE_MINIMIZED, 0);
    EXPECT_FALSE(w.Active);
    EXPECT_EQ(r.resizes.size(), 1u);
    // The minimised window's parking place is not remembered.
    w.WindowProc(GLW_WM_MOVE, 0, GLWMakeLParam(-32000, -32000));
    w.WindowProc(GLW_WM_MOVE, 0, GLWMakeLParam(10, 10));
    EXPECT_EQ(w.Left, -200);
    EXPECT_EQ(w.Top, 30);

    w.WindowProc(GLW_WM_SIZE, GLW_SIZE_MAXIMIZED, GLWMakeLParam(1024, 700));
    EXPECT_TRUE(w.Active);
    EXPECT_EQ(w.Width, 1024);
    // Parking coordinates are ignored even when reported before the minimise.
    w.WindowProc(GLW_WM_MOVE, 0, GLWMakeLParam(-32000, -32000));
    EXPECT_EQ(w.Left, -200);

    // Other size kinds change nothing; a failing resize asks to quit.
    w.WindowProc(GLW_WM_SIZE, 3, GLWMakeLParam(1, 1));
    EXPECT_EQ(w.Width, 1024);
    EXPECT_EQ(w.PendingMessages(), 0u);
    r.resizeResult = false;
    w.WindowProc(GLW_WM_SIZE, GLW_SIZE_RESTORED, GLWMakeLParam(300, 200));
    EXPECT_EQ(w.PendingMessages(), 1u);
    EXPECT_EQ(r.log.back(), "Sending QUIT Message");
}

TEST(GLWindowProc, CloseSyscommandAndUnknownMessages)
{
    TGLWindow w;
    Recorder r;
    r.Attach(w);
    EXPECT_TRUE(w.WindowProc(GLW_WM_CLOSE, 0, 0));
    EXPECT_EQ(r.log, (std::vector<std::string>{"Recieved WM_CLOSE", "Sending QUIT Message"}));
    EXPECT_EQ(w.PendingMessages(), 1u);
    EXPECT_TRUE(w.WindowProc(GLW_WM_SYSCOMMAND, 0xF140, 0));    // screen saver swallowed
    EXPECT_TRUE(w.WindowProc(GLW_WM_SYSCOMMAND, 0xF170, 0));    // monitor power swallowed
    EXPECT_FALSE(w.WindowProc(GLW_WM_SYSCOMMAND, 0xF020, 0));   // minimise goes on
    EXPECT_FALSE(w.WindowProc(0x7777, 0, 0));
    w.WindowProc(GLW_WM_CREATE, 0, 0);
    EXPECT_EQ(r.log.back(), "Recieved WM_CREATE");
}

TEST(GLWindowProc, OnMessageSeesEverythingFirst)
{
    TGLWindow w;
    Recorder r;
    r.Attach(w);
    std::vector<uint32_t> seen;
    w.OnMessage = [&](void*, uint32_t m, uintptr_t wp, intptr_t) {
        seen.push_back(m);
        return m == GLW_WM_KEYDOWN && wp == 'Q';
    };
    w.WindowProc(GLW_WM_KEYDOWN, 'Q', 0);    // handled: nothing else happens
    w.WindowProc(GLW_WM_KEYDOWN, 'W', 0);
    EXPECT_EQ(seen, (std::vector<uint32_t>{GLW_WM_KEYDOWN, GLW_WM_KEYDOWN}));
    EXPECT_FALSE(w.Keys['Q']);
    EXPECT_TRUE(w.Keys['W']);
    ASSERT_EQ(r.keys.size(), 1u);
}

TEST(GLWindowProc, ToggleRestartAndQuitRequests)
{
    TGLWindow w;
    Recorder r;
    r.Attach(w);
    w.ScreenWidth = 1024;
    w.ScreenHeight = 768;
    w.IsFullscreen = false;
    w.WindowProc(GLW_WM_TOGGLEFULLSCREEN, 0, 0);
    EXPECT_TRUE(w.Recreate);
    EXPECT_TRUE(w.Fullscreen);
    EXPECT_EQ(w.Width, 1024);
    EXPECT_EQ(w.Height, 768);
    EXPECT_EQ(r.log, (std::vector<std::string>{"Switching between Fullscreen/Window", "Sending QUIT Message"}));

    TGLWindow a;
    Recorder ra;
    ra.Attach(a);
    a.Restart();
    EXPECT_TRUE(a.Recreate);
    EXPECT_EQ(a.PendingMessages(), 1u);
    EXPECT_EQ(ra.log, (std::vector<std::string>{"Sending QUIT Message"}));

    TGLWindow b;
    Recorder rb;
    rb.Attach(b);
    b.RestartByMessage = true;
    b.Restart();
    EXPECT_FALSE(b.Recreate);
    EXPECT_EQ(b.PendingMessages(), 1u);
    EXPECT_EQ(rb.log, (std::vector<std::string>{"Sending RESTART Message"}));
}

TEST(GLWindowProc, LoggingNeverThrowsIntoTheWindow)
{
    TGLWindow w;
    w.OnLog = [](const std::string&) { throw std::runtime_error("disk full"); };
    EXPECT_NO_THROW(w.Quit());
    EXPECT_NO_THROW(w.WindowProc(GLW_WM_CLOSE, 0, 0));
    EXPECT_EQ(w.PendingMessages(), 2u);
}

TEST(GLWindowProc, AspectOfAZeroHeightClientIsFinite)
{
    EXPECT_FLOAT_EQ(GLWAspect(640, 480), 640.0f / 480.0f);
    EXPECT_FLOAT_EQ(GLWAspect(640, 0), 640.0f);
    EXPECT_FLOAT_EQ(GLWAspect(0, 0), 0.0f);
}

// ---------------------------------------------------------------------------
// Display-mode fallback chain

namespace {

struct ModeChain {
    TGLWindow w;
    Recorder r;
    std::set<std::tuple<int, int, int>> accepted;
    std::vector<std::tuple<int, int, int>> tried;

    ModeChain()
    {
        r.Attach(w);
        w.DisplayModeTest = [this](int32_t x, int32_t y, int32_t b) {
            tried.emplace_back(x, y, b);
            return accepted.count({x, y, b}) > 0;
        };
    }
};

}  // namespace

TEST(GLWindowModes, RequestedModeIsTakenAtOnce)
{
    ModeChain c;
    c.accepted = {{800, 600, 32}};
    c.w.Width = 800;
    c.w.Height = 600;
    EXPECT_TRUE(c.w.FindDisplayMode());
    EXPECT_EQ(c.r.log, (std::vector<std::string>{"Attempting Mode Change - 800x600x32"}));
}

TEST(GLWindowModes, LargeModeFallsBackTo640x480)
{
    ModeChain c;
    c.accepted = {{640, 480, 32}};
    c.w.Width = 1024;
    c.w.Height = 768;
    c.w.BitsPerPixel = 32;
    EXPECT_TRUE(c.w.FindDisplayMode());
    EXPECT_EQ(c.r.log, (std::vector<std::string>{
                           "Attempting Mode Change - 1024x768x32", "Mode change fail", "Defaulting to 16bit color",
                           "Attempting Mode Change - 1024x768x16", "Mode change fail", "Defaulting to 640x480x32",
                           "Attempting Mode Change - 640x480x32"}));
    EXPECT_EQ(c.w.Width, 640);
    EXPECT_EQ(c.w.Height, 480);
    EXPECT_EQ(c.w.BitsPerPixel, 32);
}

TEST(GLWindowModes, WholeChainFailsAfterFourTries)
{
    ModeChain c;
    c.w.Width = 1280;
    c.w.Height = 1024;
    EXPECT_FALSE(c.w.FindDisplayMode());
    EXPECT_EQ(c.tried, (std::vector<std::tuple<int, int, int>>{
                           {1280, 1024, 32}, {1280, 1024, 16}, {640, 480, 32}, {640, 480, 16}}));
    EXPECT_EQ(c.r.log.back(), "Failed to find a good GL mode");
}

TEST(GLWindowModes, Failing640x480x16EndsAtOnce)
{
    ModeChain c;
    c.w.Width = 640;
    c.w.Height = 480;
    c.w.BitsPerPixel = 16;
    EXPECT_FALSE(c.w.FindDisplayMode());
    EXPECT_EQ(c.r.log, (std::vector<std::string>{"Attempting Mode Change - 640x480x16", "Mode change fail",
                                                 "Failed to find a good GL mode"}));
}
