// Tests of the window's outer cycle on the offscreen driver: create, init, loop, rebuild, destroy.
#include "app/TGLWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
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
