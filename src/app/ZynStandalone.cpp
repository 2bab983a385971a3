// ZynStandalone: program entry of the zyn executable.
//
// Sets BaseDir and the run options, then runs the fixed order: window
// callbacks, start-up, the window cycle, shut-down (--render: the same, with
// its checks first and its result and summary last). SIGINT and SIGTERM close
// the window like the window manager's close button (and stop a running
// command line), so shut-down still saves.
#include "app/TGLWindow.h"
#include "app/ZynInit.h"
#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "app/ZynRender.h"
#include "console/ZynCmdInterp.h"
#include "gfx/ZynTextures.h"
#include "platform/ZynPath.h"
#include "platform/ZynRandom.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <unistd.h>

namespace {

void OnSignal(int sig)
{
    // The first signal closes the window and stops the command line that may
    // be running, so the frame returns and shut-down saves as usual; a second
    // one while the first is still waiting for the loop (a hung frame, a long
    // load) ends the process at once.
    CmdRequestStop();
    if (TGLWindow::RequestClose()) _exit(128 + sig);
}

void InstallSignalHandlers()
{
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Portable (the executable's folder or --base-dir) or installed mode.
bool SetBaseDir()
{
    std::string error;
    if (ZynSetupDirs(ZynChooseDirs(ZynExecutableDir(), ZynOpt.baseDir), error)) return true;
    std::fprintf(stderr, "zyn: %s\n", error.c_str());
    return false;
}

// --render: checks the file and the output before any window, then fixes the
// run's clock, frame count and seed. false: the one-line error is printed.
bool PrepareRender(TZynRender& render)
{
    if (!ZynOpt.hasSeed) {   // drawn once and reported, so the render can be made again
        auto t = std::chrono::steady_clock::now().time_since_epoch().count();
        ZynOpt.seed = static_cast<uint32_t>(t ^ (t >> 32) ^ getpid());
        ZynOpt.hasSeed = true;
    }
    std::string error;
    if (!render.Begin(ZynOpt, ZynOpt.seed, error)) {
        std::fprintf(stderr, "zyn: %s\n", error.c_str());
        return false;
    }
    ZynRenderJob = &render;
    ZynOpt.headless = true;
    ZynOpt.fixedDt = 1.0 / ZynOpt.renderFps;
    ZynOpt.frames = render.FrameCount();
    ZynOpt.maxFps = 0;
    // The user's custom images stay as they were, whatever the script draws.
    tZynTextures::SaveOnExit = false;
    // A failing ffmpeg shows as a write error, not as a killed process.
    signal(SIGPIPE, SIG_IGN);
    return true;
}

// The offscreen picture at exactly the render's size.
void SetRenderWindow()
{
    GLWindow.Fullscreen = false;
    GLWindow.Left = GLWindow.Top = 0;
    GLWindow.Width = ZynOpt.renderWidth + TGLWindow::FrameExtraW;
    GLWindow.Height = ZynOpt.renderHeight + TGLWindow::FrameExtraH;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out, error;
    switch (ZynParseOptions(argc, argv, ZynOpt, out, error)) {
    case ZynOptionsResult::ExitOk:
        std::fputs(out.c_str(), stdout);
        return 0;
    case ZynOptionsResult::ExitUsage:
        std::fprintf(stderr, "zyn: %s\n\n%s", error.c_str(), ZynUsageText().c_str());
        return 2;
    case ZynOptionsResult::ExitError:
        std::fprintf(stderr, "zyn: %s\n", error.c_str());
        return 2;
    case ZynOptionsResult::Run:
        break;
    }
    if (!SetBaseDir()) return 1;
    TZynRender render;
    if (!ZynOpt.render.empty() && !PrepareRender(render)) return 2;
    if (ZynOpt.hasSeed) ZynRandomFixSeed(ZynOpt.seed);

    GLWindow.Headless = ZynOpt.headless;
    GLWindow.FixedDelta = static_cast<float>(ZynOpt.fixedDt);
    GLWindow.MaxFrames = ZynOpt.frames;
    // Offline runs (fixed frame time) go as fast as they can unless asked otherwise.
    GLWindow.MaxFPS = static_cast<float>(ZynOpt.maxFps >= 0 ? ZynOpt.maxFps : (ZynOpt.fixedDt > 0 ? 0 : 60));
    GLWindow.MessageBoxes = ZynOpt.frames < 0;      // a bounded run must never wait for a click
    InstallSignalHandlers();

    bool ok = false;
    try {
        ZynI_SetupCallbacks();
        ZynI_Init();
        if (ZynRenderJob) SetRenderWindow();
        ok = GLWindow.Run();
    } catch (const std::exception& e) {
        ZynLogError(std::string("(main) : ") + e.what());
    } catch (...) {
        ZynLogError("(main) : unknown exception");
    }
    try {
        ZynI_Done();
    } catch (const std::exception& e) {
        ZynLogError(std::string("(ZynI_Done) : ") + e.what());
    }
    if (ZynRenderJob) {
        std::string message;
        int status = render.End(ok, message);
        std::fprintf(status == 0 ? stdout : stderr, "%s\n", message.c_str());
        ZynRenderJob = nullptr;
        return status;
    }
    return ok ? 0 : 1;
}
